// varnel-trame: reads a frame from the command line, prints what the window shows
// for it and optionally writes it as a VCD chronogram.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <getopt.h>
#include <optional>
#include <unistd.h>

#include "cli/journal.h"
#include "cli/varnel_trame.h"
#include "frame/bus_erreurs.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"

namespace varnel {

namespace {

const char* const Prefixe = "varnel-trame: ";
const uint32_t DebitParDefaut = 500000;
const uint32_t DebitDonneesParDefaut = 2000000;
const uint32_t DebitMax = 1000000000; // one bit must last at least 1 ns

struct Options {
    bool etendue = false;
    bool requete = false;
    bool aide = false;
    bool fd = false;
    bool brs = false;
    bool esi = false;
    std::optional<std::string> dlc;
    std::optional<std::string> vcd;
    std::optional<std::string> debit;
    std::optional<std::string> debitDonnees;
    std::optional<std::string> erreur;
    std::optional<std::string> tentatives;
    std::optional<std::string> tec;
    std::optional<std::string> rec;
    std::optional<std::string> journal;
    bool csv = false;
    std::vector<std::string> positionnels;
};

// Every option of the tool, in the order of --help: its long name, its letter (0 when it
// has none), the name of its value in the help (nullptr when it takes none), its help
// text, and the member of Options it sets. An option is added here and nowhere else.
struct Definition {
    const char* nom;
    char lettre;
    const char* valeur;
    const char* aide;
    bool Options::*drapeau;                     // for an option without value
    std::optional<std::string> Options::*texte; // for an option with a value
};

const Definition Definitions[] = {
    {"etendue", 'e', nullptr, "trame étendue (CAN 2.0B, identifiant de 8 chiffres hexadécimaux)",
     &Options::etendue, nullptr},
    {"requete", 'r', nullptr, "trame de requête (RTR récessif, aucun octet de données)", &Options::requete,
     nullptr},
    {"dlc", 'd', "N",
     "DLC, 0 à 8, avec --fd 0 à 15 ou un chiffre hexadécimal 0 à F (par défaut : le nombre d'octets "
     "donnés)",
     nullptr, &Options::dlc},
    {"fd", 0, nullptr, "trame CAN FD (0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets)", &Options::fd, nullptr},
    {"brs", 0, nullptr, "avec --fd : BRS récessif, phase de données au débit rapide", &Options::brs, nullptr},
    {"esi", 0, nullptr, "avec --fd : ESI récessif, émetteur en erreur passive", &Options::esi, nullptr},
    {"vcd", 0, "FICHIER", "écrit aussi la trame en VCD (chronogramme)", nullptr, &Options::vcd},
    {"debit", 0, "N", "débit (nominal) en bit/s de la durée, du VCD et du journal (par défaut 500000)",
     nullptr, &Options::debit},
    {"debit-donnees", 0, "N",
     "avec une trame CAN FD ou --journal : débit en bit/s de la phase de données (par défaut 2000000)",
     nullptr, &Options::debitDonnees},
    {"erreur", 0, "PERTURBATION",
     "rejoue la trame sur un bus de trois nœuds, perturbée : bus:N, emetteur:N, recepteur:N (bit N lu "
     "inversé par tous, l'émetteur, le récepteur 1) ou ack (aucun récepteur)",
     nullptr, &Options::erreur},
    {"tentatives", 0, "N", "avec --erreur : tentatives de transmission au plus, 1 à 1000 (par défaut 2)",
     nullptr, &Options::tentatives},
    {"tec", 0, "N", "avec --erreur : TEC de départ de l'émetteur, 0 à 255 (par défaut 0)", nullptr,
     &Options::tec},
    {"rec", 0, "N", "avec --erreur : REC de départ des récepteurs, 0 à 255 (par défaut 0)", nullptr,
     &Options::rec},
    {"journal", 0, "FICHIER",
     "lit un journal de candump -L (- : l'entrée standard) : trames, bits, période et part du bus de chaque "
     "identifiant, charge du bus",
     nullptr, &Options::journal},
    {"csv", 0, nullptr,
     "avec --journal : une ligne par trame (horodatage;interface;identifiant;format;dlc;bits;duree_us) au "
     "lieu "
     "du tableau",
     &Options::csv, nullptr},
    {"help", 'h', nullptr, "affiche cette aide", &Options::aide, nullptr},
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

// getopt_long's code for the long option Definitions[i] is CodeLong + i, above every letter.
const int CodeLong = 256;

std::string Nom_Option(int code) {
    if (code >= CodeLong) return std::string("--") + Definitions[code - CodeLong].nom;
    return std::string("-") + static_cast<char>(code);
}

// The refusal for what getopt_long did not accept: `code` is '?' or ':', `texte` the
// argument it stopped at.
Refus Refus_Option(int code, int option, const std::string& texte) {
    if (code == ':') return {"l'option " + Nom_Option(option) + " attend une valeur"};
    if (option >= CodeLong) return {"l'option " + Nom_Option(option) + " ne prend pas de valeur"};
    if (option != 0) return {"option inconnue " + Cite(Nom_Option(option))};
    // A long option: unknown, or the start of several names.
    const std::string debut = texte.substr(2, texte.find('=') - 2);
    std::string candidats;
    for (const Definition& d : Definitions)
        if (std::string(d.nom).compare(0, debut.size(), debut) == 0)
            candidats += (candidats.empty() ? "--" : ", --") + std::string(d.nom);
    if (candidats.find(',') != std::string::npos)
        return {"option ambiguë " + Cite(texte.substr(0, texte.find('='))) + " (" + candidats + ")"};
    return {"option inconnue " + Cite(texte)};
}

Options Lit_Options(const std::vector<std::string>& arguments) {
    // "-": every non-option comes back in its place as code 1 (so options may follow the
    // identifier whatever POSIXLY_CORRECT says); ":": getopt prints nothing itself and
    // tells a missing value (':') from an unknown option ('?').
    std::string courtes = "-:";
    std::vector<option> longues;
    for (const Definition& d : Definitions) {
        const int code = CodeLong + static_cast<int>(longues.size());
        longues.push_back({d.nom, d.valeur ? required_argument : no_argument, nullptr, code});
        if (d.lettre) courtes += d.valeur ? std::string{d.lettre, ':'} : std::string{d.lettre};
    }
    longues.push_back({});

    std::vector<std::string> copies{"varnel-trame"};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());

    Options o;
    optind = 0; // a fresh scan: the tests run the tool many times in one process
    opterr = 0;
    for (int code; (code = getopt_long(argc, argv.data(), courtes.c_str(), longues.data(), nullptr)) != -1;) {
        if (code == 1) {
            o.positionnels.push_back(optarg);
            continue;
        }
        if (code == '?' || code == ':') throw Refus_Option(code, optopt, argv[optind - 1]);
        const Definition* d = &Definitions[0];
        if (code >= CodeLong)
            d += code - CodeLong;
        else
            while (d->lettre != code) ++d;
        if (d->valeur)
            o.*(d->texte) = optarg;
        else
            o.*(d->drapeau) = true;
    }
    // What follows "--".
    for (int i = optind; i < argc; ++i) o.positionnels.push_back(argv[i]);
    return o;
}

// The options that only make sense together.
void Verifie_Combinaisons(const Options& o) {
    if (o.csv && !o.journal) throw Refus{"l'option --csv ne s'emploie qu'avec --journal"};
    if (!o.fd) {
        const char* seule = o.brs ? "--brs" : o.esi ? "--esi" : o.debitDonnees ? "--debit-donnees" : nullptr;
        if (seule) throw Refus{"l'option " + std::string(seule) + " ne s'emploie qu'avec --fd"};
    } else if (o.requete) {
        throw Refus{"une trame CAN FD n'a pas de forme requête: -r ne s'emploie pas avec --fd"};
    }
    if (!o.erreur) {
        const char* seule = o.tentatives ? "--tentatives" : o.tec ? "--tec" : o.rec ? "--rec" : nullptr;
        if (seule) throw Refus{"l'option " + std::string(seule) + " ne s'emploie qu'avec --erreur"};
    } else if (o.esi) {
        throw Refus{"avec --erreur, l'ESI suit l'état de l'émetteur: --esi ne s'emploie pas (--tec 128 "
                    "donne un émetteur passif)"};
    }
}

RegleIdentifiant Lit_Identifiant(const Options& o) {
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
    return regle;
}

// The data bytes, in upper case.
std::vector<std::string> Lit_Octets(const Options& o) {
    std::vector<std::string> octets(o.positionnels.begin() + 1, o.positionnels.end());
    for (std::string& octet : octets) {
        const std::string original = octet;
        octet = Majuscules(octet);
        if (!Est_Hexa(octet)) throw Refus{"l'octet " + Cite(original) + " n'est pas une valeur hexadécimale"};
        if (octet.size() != 2)
            throw Refus{"l'octet " + Cite(original) + " doit avoir deux chiffres hexadécimaux, pas " +
                        std::to_string(octet.size())};
    }
    return octets;
}

Refus Refus_Nombre_Octets(size_t dlc, size_t attendus, size_t donnes) {
    return {"le DLC " + std::to_string(dlc) + " demande " + Octets(attendus) + " de données, " +
            std::to_string(donnes) + " donné" + (donnes > 1 ? "s" : "")};
}

uint32_t Lit_Debit(const std::optional<std::string>& texte, uint32_t parDefaut, const std::string& nom) {
    uint32_t debit = parDefaut;
    if (texte && (!Lit_Entier(*texte, DebitMax, debit) || debit == 0))
        throw Refus{nom + " doit être un nombre entier de bit/s de 1 à 1000000000, pas " + Cite(*texte)};
    return debit;
}

// The run asked with --erreur: the disturbance and how the nodes start.
struct Essai {
    Perturbation perturbation;
    ConditionsBus conditions;
};

std::optional<Essai> Lit_Essai(const Options& o) {
    if (!o.erreur) return std::nullopt;
    Essai e;
    if (!Lit_Perturbation(*o.erreur, e.perturbation))
        throw Refus{
            "la perturbation doit être bus:N, emetteur:N ou recepteur:N (N le numéro du bit, 0 pour le "
            "SOF) ou ack, pas " +
            Cite(*o.erreur)};
    uint32_t n = 0;
    if (o.tentatives) {
        if (!Lit_Entier(*o.tentatives, TentativesMax, n) || n == 0)
            throw Refus{"le nombre de tentatives doit être un nombre de 1 à " +
                        std::to_string(TentativesMax) + ", pas " + Cite(*o.tentatives)};
        e.conditions.tentatives = static_cast<int>(n);
    }
    const std::pair<const std::optional<std::string>*, int*> compteurs[] = {{&o.tec, &e.conditions.tec},
                                                                            {&o.rec, &e.conditions.rec}};
    for (const auto& [texte, valeur] : compteurs) {
        if (!*texte) continue;
        if (!Lit_Entier(**texte, 255, n))
            throw Refus{std::string(texte == &o.tec ? "le TEC" : "le REC") +
                        " doit être un nombre de 0 à 255, pas " + Cite(**texte)};
        *valeur = static_cast<int>(n);
    }
    return e;
}

// A frame as built from the arguments: the six lines, its bit times and a line about it
// for the VCD; for a CAN FD frame, also the bit times of the same frame with ESI recessive,
// as an error-passive transmitter sends it.
struct Resultat {
    std::string lignes;
    Transmission bits;
    std::string description;
    Transmission bitsPassif;
};

// The six lines, read from the same six texts the window shows.
template <class T> std::string Six_Lignes(const T& t) {
    return "Trame brute: " + t.Trame_Bin + "\n" + "Nb bits: " + t.Text1 + "\n" + "CRC: " + t.Champ_CRC +
           "\n" + "Trame stuffée: " + t.Trame_Bin_Stuf + "\n" + "Nb bits stuffée: " + t.Text2 + "\n" +
           "Symboles: " + t.TrameDR + "\n";
}

Resultat Classique(const Options& o, const RegleIdentifiant& regle, const std::vector<std::string>& octets) {
    uint32_t dlc = 0;
    if (o.dlc) {
        if (!Lit_Entier(*o.dlc, 8, dlc))
            throw Refus{"le DLC doit être un nombre de 0 à 8, pas " + Cite(*o.dlc)};
    } else if (!o.requete) {
        if (octets.size() > 8)
            throw Refus{"trop d'octets de données: " + std::to_string(octets.size()) + " (8 au plus)"};
        dlc = static_cast<uint32_t>(octets.size());
    }
    if (o.requete && !octets.empty())
        throw Refus{"une trame de requête ne porte aucun octet de données (" + Octets(octets.size()) +
                    " donné" + (octets.size() > 1 ? "s)" : ")")};
    if (!o.requete && octets.size() != dlc) throw Refus_Nombre_Octets(dlc, dlc, octets.size());

    Trame t;
    const std::string texteDlc(1, static_cast<char>('0' + dlc));
    t.Bits_ID = regle.Bits_ID;
    t.Bit_RTR = o.requete ? "1" : "0";
    t.Bits_Ctrl = "00" + Hexa_Bin(texteDlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = Hexa_Bin(octets[k]);
    t.Construit_Trame(texteDlc, true);
    return {Six_Lignes(t),
            Transmission_Classique(t),
            std::string(o.etendue ? "trame etendue" : "trame standard") +
                (o.requete ? " de requete" : " de donnees") + ", identifiant " +
                Majuscules(o.positionnels[0]) + ", DLC " + std::to_string(dlc) + ", CRC " + t.Champ_CRC,
            {}};
}

// `esi`: ESI recessive in the frame described.
Resultat FD(const Options& o, const RegleIdentifiant& regle, const std::vector<std::string>& octets,
            bool esi) {
    int dlc = DLC_FD(octets.size());
    if (o.dlc) {
        uint32_t n = 0;
        const bool chiffre = o.dlc->size() == 1 && Est_Hexa(Majuscules(*o.dlc));
        if (!Lit_Entier(*o.dlc, 15, n) && !chiffre)
            throw Refus{"avec --fd, le DLC doit être un nombre de 0 à 15 ou un chiffre hexadécimal de 0 à F, "
                        "pas " +
                        Cite(*o.dlc)};
        dlc = chiffre ? Val_Hexa(*o.dlc) : static_cast<int>(n);
        const size_t attendus = static_cast<size_t>(Longueur_FD(dlc));
        if (octets.size() != attendus)
            throw Refus_Nombre_Octets(static_cast<size_t>(dlc), attendus, octets.size());
    } else if (dlc < 0) {
        throw Refus{"avec --fd, il faut 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas " +
                    std::to_string(octets.size()) + " (ou le DLC avec -d)"};
    }

    SaisieFD s{regle.Bits_ID, o.brs, esi, dlc, {}};
    for (const std::string& octet : octets) s.Octets.push_back(static_cast<uint8_t>(Val_Hexa(octet)));
    TrameFD t = Construit_Trame_FD(s);
    s.ESI = true;
    return {Six_Lignes(t), std::move(t.Bits),
            std::string(o.etendue ? "trame FD etendue" : "trame FD standard") + ", identifiant " +
                Majuscules(o.positionnels[0]) + ", DLC " + std::to_string(dlc) + ", BRS " +
                (o.brs ? "1" : "0") + ", ESI " + (esi ? "1" : "0") + ", CRC " + t.Champ_CRC,
            Construit_Trame_FD(s).Bits};
}

// A frame written as candump writes it (the one argument with a "#"), turned into the
// options and arguments that say the same; the checks of those then apply as usual.
Options Depuis_Candump(Options o) {
    const auto diese = std::find_if(o.positionnels.begin(), o.positionnels.end(),
                                    [](const std::string& a) { return a.find('#') != std::string::npos; });
    if (diese == o.positionnels.end()) return o;
    const std::string texte = *diese;
    if (o.positionnels.size() > 1)
        throw Refus{"la trame candump " + Cite(texte) +
                    " s'écrit seule, sans identifiant ni octets à côté: " +
                    Cite(o.positionnels[diese == o.positionnels.begin() ? 1 : 0]) + " en trop"};
    const std::pair<bool, const char*> deja[] = {{o.etendue, "-e"},         {o.requete, "-r"},
                                                 {o.dlc.has_value(), "-d"}, {o.fd, "--fd"},
                                                 {o.brs, "--brs"},          {o.esi, "--esi"}};
    for (const auto& [donnee, nom] : deja)
        if (donnee)
            throw Refus{"la trame candump " + Cite(texte) +
                        " dit déjà son format, son type, son DLC et ses octets: " + nom +
                        " ne s'emploie pas avec elle"};
    TrameCandump t;
    const std::string raison = Lit_Trame_Candump(texte, t);
    if (!raison.empty()) throw Refus{"la trame candump " + Cite(texte) + " ne se lit pas: " + raison};
    if (t.esi && o.erreur)
        throw Refus{"avec --erreur, l'ESI suit l'état de l'émetteur: la trame candump " + Cite(texte) +
                    " ne peut pas porter le drapeau ESI (--tec 128 donne un émetteur passif)"};
    o.etendue = t.etendue;
    o.requete = t.requete;
    o.fd = t.fd;
    o.brs = t.brs;
    o.esi = t.esi;
    if (t.requete) o.dlc = std::to_string(t.dlc);
    o.positionnels = {Identifiant_Candump(t)};
    const char* const chiffres = "0123456789ABCDEF";
    for (size_t k = 0; k < t.longueur; ++k)
        o.positionnels.push_back({chiffres[t.donnees[k] >> 4], chiffres[t.donnees[k] & 15]});
    return o;
}

// The seventh line: every bit time of the frame and the intermission after it, and how long
// they last at the nominal rate (and the data rate for a data phase).
std::string Ligne_Duree(const Transmission& bits, uint32_t debit, uint32_t debitDonnees) {
    const Quarts q = Duree(bits, Intermission);
    return "Durée: " + std::to_string(bits.size() + Intermission) + " bits (intermission comprise), " +
           Texte_Microsecondes(Nanosecondes(q, debit, debitDonnees)) + " µs à " + std::to_string(debit) +
           (q.rapides ? " / " + std::to_string(debitDonnees) : "") + " bit/s\n";
}

// --journal: the log read and its figures; every option that describes a frame is refused
// with it, the log describing its own.
int Journal(const Options& o, uint32_t debit, uint32_t debitDonnees, std::ostream& sortie,
            std::ostream& erreurs) {
    if (!o.positionnels.empty())
        throw Refus{"--journal lit ses trames dans le journal: " + Cite(o.positionnels[0]) + " en trop"};
    const std::pair<bool, const char*> sansObjet[] = {{o.etendue, "-e"},
                                                      {o.requete, "-r"},
                                                      {o.dlc.has_value(), "-d"},
                                                      {o.fd, "--fd"},
                                                      {o.brs, "--brs"},
                                                      {o.esi, "--esi"},
                                                      {o.vcd.has_value(), "--vcd"},
                                                      {o.erreur.has_value(), "--erreur"}};
    for (const auto& [donnee, nom] : sansObjet)
        if (donnee) throw Refus{std::string("l'option ") + nom + " ne s'emploie pas avec --journal"};
    OptionsJournal j{debit, debitDonnees, o.csv, "l'entrée standard", Prefixe};
    int fd = 0;
    if (*o.journal != "-") {
        j.nom = "le journal " + Cite(*o.journal);
        fd = open(o.journal->c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw Refus{"impossible d'ouvrir " + j.nom + ": " +
                        (errno == ENOENT ? "fichier inexistant" : Raison_Systeme(errno))};
    }
    const int statut = Analyse_Journal(fd, j, sortie, erreurs);
    if (fd != 0) close(fd);
    return statut;
}

} // namespace

std::string Usage_Varnel_Trame() {
    // One line per option, the help texts in one column.
    auto gauche = [](const Definition& d) {
        return std::string("--") + d.nom + (d.valeur ? std::string(" ") + d.valeur : "");
    };
    size_t largeur = 0;
    for (const Definition& d : Definitions) largeur = std::max(largeur, gauche(d).size());
    std::string options;
    for (const Definition& d : Definitions)
        options += std::string("  ") + (d.lettre ? std::string{'-', d.lettre, ','} : "   ") + " " +
                   gauche(d) + std::string(largeur + 2 - gauche(d).size(), ' ') + d.aide + "\n";
    return "Usage: varnel-trame [options] IDENTIFIANT [OCTET ...]\n"
           "       varnel-trame [options] TRAME      (écrite comme candump : 123#01FF, 123#R3, 123##1AABB)\n"
           "       varnel-trame --journal FICHIER [--csv] [--debit N] [--debit-donnees N]\n"
           "Affiche la trame CAN brute, son CRC, la trame stuffée, ses symboles et sa durée ;\n"
           "ou, pour un journal de candump, la charge du bus.\n"
           "\n" +
           options +
           "\n"
           "Identifiant standard : 3 chiffres hexadécimaux (000 à 7EF) ; octets : 2 chiffres "
           "chacun.\n"
           "Exemples : varnel-trame -d 2 123 01 FF ; varnel-trame 123#01FF ; varnel-trame --journal "
           "can.log\n";
}

int Varnel_Trame(const std::vector<std::string>& arguments, std::ostream& sortie, std::ostream& erreurs) {
    try {
        Options o = Lit_Options(arguments);
        if (o.aide) {
            sortie << Usage_Varnel_Trame();
            return SortieOk;
        }
        if (!o.journal) o = Depuis_Candump(std::move(o));
        Verifie_Combinaisons(o);
        const uint32_t debit = Lit_Debit(o.debit, DebitParDefaut, "le débit");
        const uint32_t debitDonnees =
            Lit_Debit(o.debitDonnees, DebitDonneesParDefaut, "le débit des données");
        if ((o.brs || o.journal) && debitDonnees < debit)
            throw Refus{"le débit des données (" + std::to_string(debitDonnees) +
                        " bit/s) doit être au moins le débit nominal (" + std::to_string(debit) + " bit/s)"};
        if (o.journal) return Journal(o, debit, debitDonnees, sortie, erreurs);
        const RegleIdentifiant regle = Lit_Identifiant(o);
        const std::vector<std::string> octets = Lit_Octets(o);
        const std::optional<Essai> essai = Lit_Essai(o);
        const bool passif = essai && Etat_Selon(essai->conditions.tec, 0) == EtatErreur::Passif;
        Resultat r = o.fd ? FD(o, regle, octets, o.esi || passif) : Classique(o, regle, octets);
        r.lignes += Ligne_Duree(r.bits, debit, debitDonnees);

        if (essai) {
            // The run replaces the frame in the VCD.
            const Deroulement d =
                Simule_Bus(r.bits, essai->perturbation, essai->conditions, o.fd ? &r.bitsPassif : nullptr);
            if (d.bitPerturbe < 0 && essai->perturbation.sorte != Perturbation::Sorte::Acquittement) {
                const int fin = (d.debuts.size() > 1 ? d.debuts[1] : static_cast<int>(d.bits.size())) - 1;
                throw Refus{"le bit " + std::to_string(essai->perturbation.bit) +
                            " tombe après la première tentative, qui occupe les bits 0 à " +
                            std::to_string(fin)};
            }
            r.lignes += Lignes_Deroulement(d);
            r.description += ", perturbation " + *o.erreur;
            r.bits = d.bits;
        }
        if (o.vcd) {
            if (Unites_VCD(r.bits, debit, debitDonnees) == 0)
                throw Refus{"les débits " + std::to_string(debit) + " et " + std::to_string(debitDonnees) +
                            " bit/s ne s'écrivent pas exactement dans un VCD (un quart de bit doit durer un "
                            "nombre entier de femtosecondes)"};
            if (o.fd)
                r.description += o.brs ? ", debits " + std::to_string(debit) + " / " +
                                             std::to_string(debitDonnees) + " bit/s"
                                       : ", debit " + std::to_string(debit) + " bit/s";
            const std::string raison = Ecrit_Fichier(
                *o.vcd, Texte_VCD(r.bits, debit, debitDonnees, r.description, essai.has_value()));
            if (!raison.empty())
                throw Refus{"impossible d'écrire le fichier VCD " + Cite(*o.vcd) + ": " + raison};
        }
        sortie << r.lignes;
        return SortieOk;
    } catch (const Refus& r) {
        erreurs << Prefixe << r.texte << "\n";
        return SortieErreur;
    }
}

} // namespace varnel
