// varnel-trame: reads a frame from the command line, prints what the window shows
// for it and optionally writes it as a VCD chronogram.
#include <sstream>

#include "cli/varnel_trame.h"
#include "frame/trame.h"

namespace varnel {

namespace {

const char* const Prefixe = "varnel-trame: ";
const uint32_t DebitParDefaut = 500000;
const uint32_t DebitMax = 1000000000; // one bit must last at least 1 ns

struct Options {
    bool etendue = false;
    bool requete = false;
    bool aide = false;
    bool dlcDonne = false;
    std::string dlc;
    bool vcdDonne = false;
    std::string vcd;
    bool debitDonne = false;
    std::string debit;
    std::vector<std::string> positionnels;
};

// A refusal: the one line the user sees after "varnel-trame: ".
struct Refus {
    std::string texte;
};

std::string Cite(const std::string& s) {
    return "« " + s + " »";
}

std::string Majuscules(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool Est_Hexa(const std::string& s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

// Decimal text of digits only, without sign; false when out of [0, max].
bool Lit_Entier(const std::string& s, uint32_t max, uint32_t& valeur) {
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > max) return false;
    valeur = static_cast<uint32_t>(v);
    return true;
}

std::string Chiffres(size_t n) {
    return std::to_string(n) + (n > 1 ? " chiffres hexadécimaux" : " chiffre hexadécimal");
}

std::string Octets(size_t n) {
    return std::to_string(n) + (n > 1 ? " octets" : " octet");
}

Options Lit_Options(const std::vector<std::string>& arguments) {
    Options o;
    auto valeur = [&](size_t& i, const std::string& nom) -> std::string {
        if (i + 1 >= arguments.size()) throw Refus{"l'option " + nom + " attend une valeur"};
        return arguments[++i];
    };
    bool finOptions = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (finOptions || a.size() < 2 || a[0] != '-') {
            o.positionnels.push_back(a);
            continue;
        }
        if (a == "--") {
            finOptions = true;
            continue;
        }
        if (a.compare(0, 2, "--") == 0) {
            const size_t egal = a.find('=');
            const std::string nom = a.substr(0, egal);
            const bool attache = egal != std::string::npos;
            const std::string val = attache ? a.substr(egal + 1) : std::string();
            if (nom == "--etendue" || nom == "--requete" || nom == "--help") {
                if (attache) throw Refus{"l'option " + nom + " ne prend pas de valeur"};
                (nom == "--etendue" ? o.etendue : nom == "--requete" ? o.requete : o.aide) = true;
            } else if (nom == "--dlc") {
                o.dlc = attache ? val : valeur(i, nom);
                o.dlcDonne = true;
            } else if (nom == "--vcd") {
                o.vcd = attache ? val : valeur(i, nom);
                o.vcdDonne = true;
            } else if (nom == "--debit") {
                o.debit = attache ? val : valeur(i, nom);
                o.debitDonne = true;
            } else {
                throw Refus{"option inconnue " + Cite(a)};
            }
            continue;
        }
        // Short options, possibly grouped ("-er"); -d takes the rest or the next word.
        for (size_t j = 1; j < a.size(); ++j) {
            const char c = a[j];
            if (c == 'e') {
                o.etendue = true;
            } else if (c == 'r') {
                o.requete = true;
            } else if (c == 'h') {
                o.aide = true;
            } else if (c == 'd') {
                o.dlc = (j + 1 < a.size()) ? a.substr(j + 1) : valeur(i, "-d");
                o.dlcDonne = true;
                break;
            } else {
                throw Refus{"option inconnue " + Cite(std::string("-") + c)};
            }
        }
    }
    return o;
}

// Checks everything and builds the frame; throws a Refus at the first problem.
void Construit_Depuis(const Options& o, Trame& t, uint32_t& debit) {
    if (o.positionnels.empty()) throw Refus{"il manque l'identifiant (varnel-trame --help affiche l'aide)"};

    const std::string id = Majuscules(o.positionnels[0]);
    if (!Est_Hexa(id))
        throw Refus{"l'identifiant " + Cite(o.positionnels[0]) + " n'est pas une valeur hexadécimale"};
    const size_t chiffres = o.etendue ? 8 : 3;
    if (id.size() != chiffres)
        throw Refus{"l'identifiant " + Cite(o.positionnels[0]) + " a " + Chiffres(id.size()) +
                    ", il en faut " + std::to_string(chiffres) +
                    (o.etendue ? " en trame étendue" : " en trame standard (-e pour étendue)")};
    const RegleIdentifiant regle = Regle_Identifiant(id, o.etendue);
    if (regle.etat != RegleIdentifiant::Etat::Valide) {
        std::string message = regle.Message;
        for (size_t p; (p = message.find("\r\n")) != std::string::npos;) message.replace(p, 2, " ");
        throw Refus{regle.Titre + ": " + message};
    }

    std::vector<std::string> octets(o.positionnels.begin() + 1, o.positionnels.end());
    for (std::string& octet : octets) {
        const std::string original = octet;
        octet = Majuscules(octet);
        if (!Est_Hexa(octet)) throw Refus{"l'octet " + Cite(original) + " n'est pas une valeur hexadécimale"};
        if (octet.size() != 2)
            throw Refus{"l'octet " + Cite(original) + " doit avoir deux chiffres hexadécimaux, pas " +
                        std::to_string(octet.size())};
    }

    uint32_t dlc = 0;
    if (o.dlcDonne) {
        if (!Lit_Entier(o.dlc, 8, dlc))
            throw Refus{"le DLC doit être un nombre de 0 à 8, pas " + Cite(o.dlc)};
    } else if (!o.requete) {
        if (octets.size() > 8)
            throw Refus{"trop d'octets de données: " + std::to_string(octets.size()) + " (8 au plus)"};
        dlc = static_cast<uint32_t>(octets.size());
    }
    if (o.requete && !octets.empty())
        throw Refus{"une trame de requête ne porte aucun octet de données (" + Octets(octets.size()) +
                    " donné" + (octets.size() > 1 ? "s)" : ")")};
    if (!o.requete && octets.size() != dlc)
        throw Refus{"le DLC " + std::to_string(dlc) + " demande " + Octets(dlc) + " de données, " +
                    std::to_string(octets.size()) + " donné" + (octets.size() > 1 ? "s" : "")};

    debit = DebitParDefaut;
    if (o.debitDonne) {
        if (!Lit_Entier(o.debit, DebitMax, debit) || debit == 0)
            throw Refus{"le débit doit être un nombre entier de bit/s de 1 à 1000000000, pas " +
                        Cite(o.debit)};
    }

    const std::string texteDlc(1, static_cast<char>('0' + dlc));
    t.Bits_ID = regle.Bits_ID;
    t.Bit_RTR = o.requete ? "1" : "0";
    t.Bits_Ctrl = "00" + Hexa_Bin(texteDlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = Hexa_Bin(octets[k]);
    t.Construit_Trame(texteDlc, true);
}

std::string Description(const Options& o, const Trame& t) {
    std::string d = std::string(o.etendue ? "trame etendue" : "trame standard") +
                    (o.requete ? " de requete" : " de donnees") + ", identifiant " +
                    Majuscules(o.positionnels[0]) + ", DLC " + Bin_Num(t.Bits_Ctrl.substr(2)) + ", CRC " +
                    t.Champ_CRC;
    return d;
}

} // namespace

std::string Usage_Varnel_Trame() {
    return "Usage: varnel-trame [options] IDENTIFIANT [OCTET ...]\n"
           "Affiche la trame CAN brute, son CRC, la trame stuffée et ses symboles.\n"
           "\n"
           "  -e, --etendue      trame étendue (CAN 2.0B, identifiant de 8 chiffres "
           "hexadécimaux)\n"
           "  -r, --requete      trame de requête (RTR récessif, aucun octet de données)\n"
           "  -d, --dlc N        DLC, 0 à 8 (par défaut : le nombre d'octets donnés)\n"
           "      --vcd FICHIER  écrit aussi la trame en VCD (chronogramme)\n"
           "      --debit N      débit en bit/s du VCD (par défaut 500000)\n"
           "  -h, --help         affiche cette aide\n"
           "\n"
           "Identifiant standard : 3 chiffres hexadécimaux (000 à 7EF) ; octets : 2 chiffres "
           "chacun.\n"
           "Exemple : varnel-trame -d 2 123 01 FF\n";
}

int Varnel_Trame(const std::vector<std::string>& arguments, std::ostream& sortie, std::ostream& erreurs) {
    try {
        const Options o = Lit_Options(arguments);
        if (o.aide) {
            sortie << Usage_Varnel_Trame();
            return SortieOk;
        }
        Trame t;
        uint32_t debit = DebitParDefaut;
        Construit_Depuis(o, t, debit);

        if (o.vcdDonne) {
            const std::string raison =
                Ecrit_Fichier(o.vcd, Texte_VCD(t.Trame_Stuffee, debit, Description(o, t)));
            if (!raison.empty())
                throw Refus{"impossible d'écrire le fichier VCD " + Cite(o.vcd) + ": " + raison};
        }
        std::ostringstream texte;
        texte << "Trame brute: " << t.Trame_Bin << "\n"
              << "Nb bits: " << t.Text1 << "\n"
              << "CRC: " << t.Champ_CRC << "\n"
              << "Trame stuffée: " << t.Trame_Bin_Stuf << "\n"
              << "Nb bits stuffée: " << t.Text2 << "\n"
              << "Symboles: " << t.TrameDR << "\n";
        sortie << texte.str();
        return SortieOk;
    } catch (const Refus& r) {
        erreurs << Prefixe << r.texte << "\n";
        return SortieErreur;
    }
}

} // namespace varnel
