// VCD export of a frame and the all-or-nothing file write.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/varnel_trame.h"

namespace varnel {

namespace {

const uint64_t Nanoseconde = 1000000000; // VCD units per second at 1 ns

bool A_Phase_Donnees(const Transmission& bits) {
    for (const TempsBit& b : bits)
        if (b.phase == Phase::Donnees) return true;
    return false;
}

std::string Echelle(uint64_t unites) {
    const char* const noms[] = {"1 ns", "100 ps", "10 ps", "1 ps", "100 fs", "10 fs", "1 fs"};
    size_t i = 0;
    for (uint64_t u = Nanoseconde; u < unites; u *= 10) ++i;
    return noms[i];
}

} // namespace

uint64_t Unites_VCD(const Transmission& bits, uint32_t debit, uint32_t debitDonnees) {
    if (!A_Phase_Donnees(bits)) return Nanoseconde;
    for (uint64_t u = Nanoseconde; u <= Nanoseconde * 1000000; u *= 10)
        if (u % (4ull * debit) == 0 && u % (4ull * debitDonnees) == 0) return u;
    return 0;
}

std::string Texte_VCD(const Transmission& bits, uint32_t debit, uint32_t debitDonnees,
                      const std::string& commentaire, bool recepteurs) {
    // What the transmitter drives, what the bus carries and what the receivers drive, idle
    // around the frame.
    struct Signal {
        const char* nom;
        char code;
    };
    const Signal signaux[] = {{"can_tx", '!'}, {"can_rx", '"'}, {"rx1_tx", '#'}, {"rx2_tx", '$'}};
    const size_t nombre = recepteurs ? 4 : 2;
    struct Bit {
        std::array<char, 4> niveaux;
        bool rapide;
    };
    std::vector<Bit> b(11, {{'1', '1', '1', '1'}, false});
    for (const TempsBit& t : bits)
        b.push_back({{t.emetteur, t.bus, t.recepteur1, t.recepteur2}, t.phase == Phase::Donnees});
    b.insert(b.end(), 3, {{'1', '1', '1', '1'}, false});

    // Time in quarters of a nominal bit and quarters of a data bit. The rate switches at
    // the sample point, three quarters into the bit before the data phase and into the
    // bit after it. Each quarter is a whole number of units at both rates, except when
    // there is no data phase: then each edge is rounded to the nearest unit.
    const uint64_t unites = Unites_VCD(bits, debit, debitDonnees);
    const uint64_t quartDonnees = unites / (4ull * debitDonnees);
    Quarts q; // from the start to the end of the bits gone by
    auto avance = [&](size_t i) {
        const int n =
            Quarts_Nominaux(i > 0 && b[i - 1].rapide, b[i].rapide, i + 1 < b.size() && b[i + 1].rapide);
        q += {static_cast<uint64_t>(n), static_cast<uint64_t>(4 - n)};
    };
    auto instant = [&] {
        return (q.nominaux * unites + 2ull * debit) / (4ull * debit) + q.rapides * quartDonnees;
    };

    std::string v;
    v += "$version varnel-trame $end\n";
    if (!commentaire.empty()) v += "$comment " + commentaire + " $end\n";
    v += "$timescale " + Echelle(unites) + " $end\n";
    v += "$scope module can $end\n";
    for (size_t s = 0; s < nombre; ++s)
        v += std::string("$var wire 1 ") + signaux[s].code + " " + signaux[s].nom + " $end\n";
    v += "$upscope $end\n";
    v += "$enddefinitions $end\n";
    v += "#0\n$dumpvars\n";
    for (size_t s = 0; s < nombre; ++s) v += std::string{b[0].niveaux[s], signaux[s].code, '\n'};
    v += "$end\n";
    for (size_t i = 1; i < b.size(); ++i) {
        avance(i - 1);
        std::string changements;
        for (size_t s = 0; s < nombre; ++s)
            if (b[i].niveaux[s] != b[i - 1].niveaux[s])
                changements += std::string{b[i].niveaux[s], signaux[s].code, '\n'};
        if (changements.empty()) continue;
        v += "#" + std::to_string(instant()) + "\n" + changements;
    }
    // The end time, so that the last idle bits have their full length.
    avance(b.size() - 1);
    v += "#" + std::to_string(instant()) + "\n";
    return v;
}

std::string Raison_Systeme(int numero) {
    switch (numero) {
    case ENOENT:
    case ENOTDIR: return "dossier inexistant";
    case EACCES:
    case EPERM: return "permission refusée";
    case EISDIR: return "c'est un dossier";
    case ENOSPC: return "plus de place sur le disque";
    case EROFS: return "système de fichiers en lecture seule";
    default: return std::strerror(numero);
    }
}

std::string Ecrit_Fichier(const std::string& chemin, const std::string& contenu) {
    if (chemin.empty()) return "nom de fichier vide";
    std::string temporaire = chemin + ".XXXXXX";
    const int fd = mkstemp(temporaire.data());
    if (fd < 0) return Raison_Systeme(errno);

    // mkstemp creates the file private; give it the usual permissions of a new file.
    const mode_t masque = umask(0);
    umask(masque);
    int erreur = 0;
    if (fchmod(fd, 0666 & ~masque) != 0) erreur = errno;

    size_t ecrit = 0;
    while (erreur == 0 && ecrit < contenu.size()) {
        const ssize_t n = write(fd, contenu.data() + ecrit, contenu.size() - ecrit);
        if (n < 0) {
            if (errno != EINTR) erreur = errno;
            continue;
        }
        ecrit += static_cast<size_t>(n);
    }
    if (close(fd) != 0 && erreur == 0) erreur = errno;
    if (erreur == 0 && std::rename(temporaire.c_str(), chemin.c_str()) != 0) erreur = errno;
    if (erreur != 0) {
        unlink(temporaire.c_str());
        return Raison_Systeme(erreur);
    }
    return {};
}

} // namespace varnel
