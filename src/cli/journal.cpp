// A candump log read as a stream: lines in blocks, figures per interface and identifier,
// the table or the CSV lines.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "cli/journal.h"
#include "cli/varnel_trame.h"

namespace varnel {

namespace {

// `valeur` rounded to `decimales` decimals, written with a decimal comma whatever the
// locale.
std::string Virgule(long double valeur, int decimales) {
    long double echelle = 1;
    for (int d = 0; d < decimales; ++d) echelle *= 10;
    const auto entier = static_cast<unsigned long long>(std::llround(valeur * echelle));
    const auto e = static_cast<unsigned long long>(echelle);
    std::string t = std::to_string(entier / e);
    if (decimales > 0) {
        std::string f = std::to_string(entier % e);
        t += "," + std::string(static_cast<size_t>(decimales) - f.size(), '0') + f;
    }
    return t;
}

// Characters shown, not bytes: "é" is two bytes of UTF-8 and one column.
size_t Colonnes(const std::string& s) {
    return static_cast<size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Cadre(const std::string& s, size_t largeur, bool droite) {
    const std::string blancs(largeur > Colonnes(s) ? largeur - Colonnes(s) : 0, ' ');
    return droite ? blancs + s : s + blancs;
}

// A CSV field: quoted when it holds the separator or a quote.
void Ajoute_Champ(std::string& lot, std::string_view champ) {
    if (champ.find_first_of(";\"") == std::string_view::npos) {
        lot.append(champ);
        return;
    }
    lot += '"';
    for (const char c : champ) lot.append(c == '"' ? 2 : 1, c);
    lot += '"';
}

bool Blanche(std::string_view ligne) {
    return std::all_of(ligne.begin(), ligne.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

std::string Nombre(uint64_t n, const char* singulier, const char* pluriel) {
    return std::to_string(n) + " " + (n > 1 ? pluriel : singulier);
}

} // namespace

std::string Texte_Microsecondes(uint64_t ns) {
    std::string t = std::to_string(ns / 1000);
    if (ns % 1000 != 0) {
        char decimales[4];
        std::snprintf(decimales, sizeof decimales, "%03u", static_cast<unsigned>(ns % 1000));
        std::string_view d = decimales;
        while (d.back() == '0') d.remove_suffix(1);
        t.append(",").append(d);
    }
    return t;
}

bool LecteurLignes::Suivante(std::string_view& ligne) {
    tropLongue_ = false;
    for (;;) {
        char* const base = tampon_.data();
        const void* nl = std::memchr(base + debut_, '\n', fin_ - debut_);
        if (nl) {
            const size_t fin = static_cast<size_t>(static_cast<const char*>(nl) - base);
            ligne = std::string_view(base + debut_, fin - debut_);
            debut_ = fin + 1;
            if (sauter_) { // the end of a line already given cut
                sauter_ = false;
                continue;
            }
            ++numero_;
            return true;
        }
        if (finFichier_) {
            if (debut_ == fin_ || sauter_) return false;
            ligne = std::string_view(base + debut_, fin_ - debut_); // a last line without end of line
            debut_ = fin_;
            ++numero_;
            return true;
        }
        if (sauter_) {
            debut_ = fin_ = 0;
        } else if (debut_ == 0 && fin_ == tampon_.size()) {
            ligne = std::string_view(base, fin_);
            tropLongue_ = sauter_ = true;
            debut_ = fin_ = 0; // the view stays valid: nothing is read before the next call
            ++numero_;
            return true;
        } else if (debut_ > 0) {
            std::memmove(base, base + debut_, fin_ - debut_);
            fin_ -= debut_;
            debut_ = 0;
        }
        ssize_t n;
        do n = read(fd_, base + fin_, tampon_.size() - fin_);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            erreur_ = errno;
            return false;
        }
        if (n == 0) finFichier_ = true;
        fin_ += static_cast<size_t>(n);
    }
}

BilanJournal::Identifiant& BilanJournal::Entree(Interface& i, uint32_t cle) {
    if (2 * (i.occupees + 1) > i.table.size()) {
        std::vector<Identifiant> ancienne(std::max<size_t>(64, 2 * i.table.size()));
        ancienne.swap(i.table);
        i.occupees = 0;
        for (const Identifiant& e : ancienne)
            if (e.cle != Vide) Entree(i, e.cle) = e;
    }
    const size_t masque = i.table.size() - 1;
    for (size_t k = (cle * 0x9E3779B1u) >> 7 & masque;; k = (k + 1) & masque) {
        Identifiant& e = i.table[k];
        if (e.cle == cle) return e;
        if (e.cle == Vide) {
            e.cle = cle;
            ++i.occupees;
            return e;
        }
    }
}

void BilanJournal::Ajoute(const LigneCandump& l, const TempsSurLeBus& t) {
    if (interfaces_.empty() || interfaces_[derniere_].nom != l.interface) {
        // A few buses are looked for in turn; a log of many goes through the index.
        size_t k = 0;
        while (k < interfaces_.size() && k < 8 && interfaces_[k].nom != l.interface) ++k;
        if (k == 8) k = index_.emplace(std::string(l.interface), interfaces_.size()).first->second;
        if (k == interfaces_.size()) {
            interfaces_.emplace_back();
            interfaces_.back().nom = l.interface;
        }
        derniere_ = k;
    }
    Interface& i = interfaces_[derniere_];
    const TrameCandump& f = l.trame;
    Identifiant& e = Entree(i, f.identifiant | uint32_t{f.etendue} << 29 | uint32_t{f.fd} << 30);
    if (e.trames == 0 || l.instant < e.premier) e.premier = l.instant;
    if (e.trames == 0 || l.instant > e.dernier) e.dernier = l.instant;
    e.bitsMin = e.trames == 0 ? t.bits : std::min(e.bitsMin, t.bits);
    e.bitsMax = e.trames == 0 ? t.bits : std::max(e.bitsMax, t.bits);
    e.quarts += t.quarts;
    ++e.trames;
    if (i.trames == 0 || l.instant < i.premier) {
        i.premier = l.instant;
        i.dureePremiere = t.quarts;
    }
    if (i.trames == 0 || l.instant > i.dernier) i.dernier = l.instant;
    i.quarts += t.quarts;
    i.brs |= t.quarts.rapides != 0;
    ++i.trames;
    ++trames_;
}

long double BilanJournal::Secondes(const Quarts& q) const {
    return static_cast<long double>(q.nominaux) / (4.0L * debit_) +
           (q.rapides ? static_cast<long double>(q.rapides) / (4.0L * debitDonnees_) : 0.0L);
}

std::string BilanJournal::Tableau() const {
    const std::vector<std::string> titres = {
        "Identifiant", "Format", "Trames", "Bits (min / max)", "Période moyenne (ms)", "Part du bus (%)"};
    std::string t;
    for (const Interface& i : interfaces_) {
        // The log of a bus runs from the start of its earliest frame (candump dates a
        // frame when it has arrived) to its latest date.
        const long double duree =
            static_cast<long double>(i.dernier - i.premier) / 1e9L + Secondes(i.dureePremiere);
        std::vector<const Identifiant*> lignes;
        for (const Identifiant& e : i.table)
            if (e.cle != Vide) lignes.push_back(&e);
        std::sort(lignes.begin(), lignes.end(), [this](const Identifiant* a, const Identifiant* b) {
            const long double ta = Secondes(a->quarts), tb = Secondes(b->quarts);
            return ta != tb ? ta > tb : a->cle < b->cle;
        });
        std::vector<std::vector<std::string>> cellules = {titres};
        for (const Identifiant* e : lignes) {
            TrameCandump f;
            f.identifiant = e->cle & 0x1FFFFFFF;
            f.etendue = (e->cle >> 29) & 1;
            f.fd = (e->cle >> 30) & 1;
            cellules.push_back({Identifiant_Candump(f), Format_Trame(f, false), std::to_string(e->trames),
                                std::to_string(e->bitsMin) + " / " + std::to_string(e->bitsMax),
                                e->trames > 1 ? Virgule(static_cast<long double>(e->dernier - e->premier) /
                                                            1e6L / static_cast<long double>(e->trames - 1),
                                                        3)
                                              : "—",
                                Virgule(100 * Secondes(e->quarts) / duree, 2)});
        }
        std::vector<size_t> largeurs(titres.size(), 0);
        for (const auto& c : cellules)
            for (size_t k = 0; k < c.size(); ++k) largeurs[k] = std::max(largeurs[k], Colonnes(c[k]));
        t += (t.empty() ? "" : "\n") + std::string("Interface ") + i.nom + "\n";
        for (const auto& c : cellules) {
            std::string ligne;
            for (size_t k = 0; k < c.size(); ++k) ligne += (k ? "  " : "") + Cadre(c[k], largeurs[k], k >= 2);
            while (!ligne.empty() && ligne.back() == ' ') ligne.pop_back();
            t += ligne + "\n";
        }
        t += "Total: " + Nombre(i.trames, "trame", "trames") + " en " + Virgule(duree, 6) +
             " s, charge du bus " + Virgule(100 * Secondes(i.quarts) / duree, 2) + " % à " +
             std::to_string(debit_) + (i.brs ? " / " + std::to_string(debitDonnees_) : "") + " bit/s\n";
    }
    return t;
}

int Analyse_Journal(int fd, const OptionsJournal& o, std::ostream& sortie, std::ostream& erreurs) {
    LecteurLignes lecteur(fd);
    BilanJournal bilan(o.debit, o.debitDonnees);
    LigneCandump l;
    uint64_t illisibles = 0;
    std::string lot; // CSV lines not yet written
    for (std::string_view ligne; lecteur.Suivante(ligne);) {
        if (Blanche(ligne)) continue;
        const std::string raison =
            lecteur.Trop_Longue()
                ? "ligne trop longue (plus de " + std::to_string(LecteurLignes::Bloc) + " octets)"
                : Lit_Ligne_Candump(ligne, l);
        if (!raison.empty()) {
            ++illisibles;
            erreurs << o.prefixe << "ligne " << lecteur.Numero() << " ignorée: " << raison << "\n";
            continue;
        }
        const TempsSurLeBus t = Temps_Sur_Le_Bus(l.trame);
        bilan.Ajoute(l, t);
        if (!o.csv) continue;
        if (bilan.Trames() == 1) lot += "horodatage;interface;identifiant;format;dlc;bits;duree_us\n";
        char identifiant[9];
        std::snprintf(identifiant, sizeof identifiant, l.trame.etendue ? "%08X" : "%03X",
                      static_cast<unsigned>(l.trame.identifiant));
        Ajoute_Champ(lot, l.horodatage);
        lot += ';';
        Ajoute_Champ(lot, l.interface);
        lot.append(";").append(identifiant).append(";").append(Format_Trame(l.trame, true));
        lot.append(";").append(std::to_string(l.trame.dlc)).append(";").append(std::to_string(t.bits));
        lot.append(";")
            .append(Texte_Microsecondes(Nanosecondes(t.quarts, o.debit, o.debitDonnees)))
            .append("\n");
        if (lot.size() >= LecteurLignes::Bloc) {
            sortie.write(lot.data(), static_cast<std::streamsize>(lot.size()));
            lot.clear();
        }
    }
    sortie.write(lot.data(), static_cast<std::streamsize>(lot.size()));
    if (lecteur.Erreur() != 0) {
        erreurs << o.prefixe << "impossible de lire " << o.nom << ": " << Raison_Systeme(lecteur.Erreur())
                << "\n";
        return SortieErreur;
    }
    if (bilan.Trames() == 0) {
        erreurs << o.prefixe << o.nom << " ne contient aucune trame"
                << (illisibles
                        ? " lisible (" + Nombre(illisibles, "ligne illisible", "lignes illisibles") + ")"
                        : "")
                << "\n";
        return SortieErreur;
    }
    const std::string ignorees =
        illisibles ? Nombre(illisibles, "ligne illisible ignorée", "lignes illisibles ignorées") : "";
    if (!o.csv)
        sortie << bilan.Tableau() << (illisibles ? ignorees + " (voir la sortie d'erreur)\n" : "");
    else if (illisibles)
        erreurs << o.prefixe << ignorees << "\n";
    return illisibles ? SortieLignesIgnorees : SortieOk;
}

} // namespace varnel
