// candump's frames and log lines, the time of a frame on the bus, and a log read whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "cli/candump.h"
#include "cli/journal.h"
#include "outils.h"

using namespace varnel;

namespace {

// The fields of a frame in one text: identifier, format, flags, DLC and bytes.
std::string Decrit(const TrameCandump& t) {
    std::string d =
        Identifiant_Candump(t) + " " + Format_Trame(t, true) + " dlc " + std::to_string(t.dlc) + ":";
    char o[3];
    for (size_t k = 0; k < t.longueur; ++k) std::snprintf(o, sizeof o, "%02X", t.donnees[k]), d += o;
    return d;
}

// Reads a log as varnel-trame does: the status, then what went to stdout and to stderr.
std::tuple<int, std::string, std::string> Analyse(const std::string& contenu, bool csv = false) {
    Dossier d;
    std::ofstream(d / "candump.log", std::ios::binary) << contenu;
    const int fd = open((d / "candump.log").c_str(), O_RDONLY);
    std::ostringstream sortie, erreurs;
    const int statut = Analyse_Journal(fd, {500000, 4000000, csv, "le journal", "v: "}, sortie, erreurs);
    return close(fd), std::tuple(statut, sortie.str(), erreurs.str());
}

} // namespace

// Every form candump writes or cansend reads, and each malformed frame with its reason.
TEST(Candump, Formes) {
    const std::string
        trois = "il en faut 3 (trame standard) ou 8 (trame étendue)",
        un = " n'a qu'un chiffre hexadécimal, il en faut deux, dans les données ",
        fd = "une trame CAN FD porte 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas ",
        r = "le DLC d'une trame de requête s'écrit d'un chiffre de 0 à 8 après « R », pas ";
    const std::pair<std::string, std::string> cas[] = {
        {"123#", "123 standard dlc 0:"},
        {"123#01FF", "123 standard dlc 2:01FF"},
        {"7ef#01.ff.A5", "7EF standard dlc 3:01FFA5"},
        {"7ef#.01FF.", "7EF standard dlc 2:01FF"}, // as cansend reads them
        {"000#0011223344556677", "000 standard dlc 8:0011223344556677"},
        {"12345678#00", "12345678 étendue dlc 1:00"},
        {"1FFFFFFF#", "1FFFFFFF étendue dlc 0:"},
        {"123#R", "123 standard requête dlc 0:"},
        {"123#R3", "123 standard requête dlc 3:"},
        {"00000001#r8", "00000001 étendue requête dlc 8:"},
        {"123##0", "123 FD standard dlc 0:"},
        {"123##1AB", "123 FD standard BRS dlc 1:AB"},
        {"123##2AB", "123 FD standard ESI dlc 1:AB"},
        {"1abcdef0##3.01.02", "1ABCDEF0 FD étendue BRS ESI dlc 2:0102"},
        {"123##5" + std::string(24, 'F'), "123 FD standard BRS dlc 9:" + std::string(24, 'F')},
        {"123##4" + std::string(128, '0'), "123 FD standard dlc 15:" + std::string(128, '0')},
        {"", "trame vide"},
        {"123", "il manque « # » entre l'identifiant et les données (123#01FF) dans « 123 »"},
        {"12G#00", "l'identifiant « 12G » n'est pas une valeur hexadécimale"},
        {"#00", "l'identifiant «  » a 0 chiffre hexadécimal, " + trois},
        {"1234#00", "l'identifiant « 1234 » a 4 chiffres hexadécimaux, " + trois},
        {"800#", "l'identifiant standard « 800 » dépasse 7FF (11 bits)"},
        {"20000080#0004",
         "« 20000080 » est une trame d'erreur du contrôleur (bit 29 de l'identifiant), pas une trame du bus"},
        {"40000000#", "l'identifiant étendu « 40000000 » dépasse 1FFFFFFF (29 bits)"},
        {"123#0", "l'octet « 0 »" + un + "« 0 »"},
        {"123#012", "l'octet « 2 »" + un + "« 012 »"},
        {"123#0.12", "l'octet « 0 »" + un + "« 0.12 »"},
        {"123#0G", "« G » n'est pas un chiffre hexadécimal, dans les données « 0G »"},
        {"123#01 FF", "«   » n'est pas un chiffre hexadécimal, dans les données « 01 FF »"},
        {"123#01..02", "deux points se suivent dans les données « 01..02 »"},
        {"123##1..01", "deux points se suivent dans les données « ..01 »"},
        {"123#001122334455667788", "trop d'octets de données: 9 (8 au plus)"},
        {"123#R9", r + "« 9 »"},
        {"123#R01", r + "« 01 »"},
        {"123##", "il manque le chiffre hexadécimal des drapeaux CAN FD après « ## » (1 BRS, 2 ESI)"},
        {"123##G00", "les drapeaux CAN FD « G » ne sont pas un chiffre hexadécimal (1 BRS, 2 ESI)"},
        {"123###1", "les drapeaux CAN FD « # » ne sont pas un chiffre hexadécimal (1 BRS, 2 ESI)"},
        {"123##800",
         "les drapeaux CAN FD « 8 » ont le bit 8, qui ne veut rien dire (1 BRS, 2 ESI, 4 trame FD)"},
        {"123##1R", "une trame CAN FD n'a pas de forme requête: « 123##1R »"},
        {"123##1" + std::string(18, '0'), fd + "9"},
        {"123##1" + std::string(130, '0'), fd + "65"},
        {"123#\x01\x02", "« ? » n'est pas un chiffre hexadécimal, dans les données « ?? »"},
        {"123#" + std::string(50, 'x'),
         "« x » n'est pas un chiffre hexadécimal, dans les données « " + std::string(40, 'x') + "… »"}};
    for (const auto& [texte, attendu] : cas) {
        TrameCandump t;
        const std::string raison = Lit_Trame_Candump(texte, t);
        EXPECT_EQ(raison.empty() ? Decrit(t) : raison, attendu) << texte;
    }
}

// Log lines: timestamp to the ns, blanks, Windows end of line, candump -x's R or T; refusals.
TEST(Candump, LignesDuJournal) {
    const std::string modele = " (candump -L : « (1436509052.249713) can0 123#01FF »)",
                      illisible = "horodatage illisible: ",
                      limites = "horodatage hors limites (10 chiffres avant la virgule, 9 après au plus): ";
    const std::pair<std::string, std::string> cas[] = {
        {"(1436509052.249713) can0 123#01FF",
         "1436509052249713000 can0 1436509052.249713 123#01FF 123 standard dlc 2:01FF"},
        {"(0000000001.000001)\tvcan1\t12345678#R",
         "1000001000 vcan1 0000000001.000001 12345678#R 12345678 étendue requête dlc 0:"},
        {"(5) can0 123#  \r", "5000000000 can0 5 123# 123 standard dlc 0:"},
        {"(1.123456789) x 123##1 R", "1123456789 x 1.123456789 123##1 123 FD standard BRS dlc 0:"},
        {"(9999999999.5) can0 7FF#00 T",
         "9999999999500000000 can0 9999999999.5 7FF#00 7FF standard dlc 1:00"},
        {"1436509052.249713 can0 123#01FF", "la ligne ne commence pas par un horodatage" + modele},
        {"(14365a) can0 123#", illisible + "« (14365a) »" + modele},
        {"() can0 123#", illisible + "« () »" + modele},
        {"(.5) can0 123#", illisible + "« (.5) »" + modele},
        {"(5.) can0 123#", illisible + "« (5.) »" + modele},
        {"(1.5 can0 123#", illisible + "« (1.5 can0 123# »" + modele},
        {"(12345678901.0) can0 123#", limites + "« (12345678901.0) »"},
        {"(1.0123456789) can0 123#", limites + "« (1.0123456789) »"},
        {"(1.0)", "il manque l'interface et la trame" + modele},
        {"(1.0) can0", "il manque la trame" + modele},
        {"(1.0) can0 123#00 X", "texte en trop après la trame: « X »"},
        {"(1.0) can0 123#00 R T", "texte en trop après la trame: « R T »"},
        {"(1.0) can0 123 00", "il manque « # » entre l'identifiant et les données (123#01FF) dans « 123 »"},
        {"(1.0) can0 7F#00", "l'identifiant « 7F » a 2 chiffres hexadécimaux, il en faut 3 (trame standard) "
                             "ou 8 (trame étendue)"}};
    for (const auto& [ligne, attendu] : cas) {
        LigneCandump l;
        const std::string raison = Lit_Ligne_Candump(ligne, l);
        EXPECT_EQ(raison.empty() ? std::to_string(l.instant) + " " + std::string(l.interface) + " " +
                                       std::string(l.horodatage) + " " + std::string(l.texteTrame) + " " +
                                       Decrit(l.trame)
                                 : raison,
                  attendu);
    }
}

// Lines across the reader's blocks: too long ones cut (rest skipped), numbers kept, no final \n.
TEST(Journal, LignesParBlocs) {
    const size_t bloc = LecteurLignes::Bloc;
    std::string contenu, attendu;
    const std::vector<size_t> longueurs = {10, bloc - 20, 30, 0, bloc, bloc + 5, 3 * bloc + 1, 7, 0, 12};
    for (size_t i = 0; i < longueurs.size(); ++i) {
        contenu +=
            std::string(longueurs[i], static_cast<char>('a' + i)) + (i + 1 < longueurs.size() ? "\n" : "");
        attendu += std::to_string(i + 1) + ":" + std::to_string(std::min(longueurs[i], bloc)) +
                   (longueurs[i] >= bloc ? "+ " : " ");
    }
    Dossier d;
    std::ofstream(d / "f") << contenu;
    const int fd = open((d / "f").c_str(), O_RDONLY);
    LecteurLignes lecteur(fd);
    std::string lu;
    for (std::string_view l; lecteur.Suivante(l);) {
        EXPECT_EQ(l.find_first_not_of(l.empty() ? ' ' : l[0]), std::string_view::npos);
        lu += std::to_string(lecteur.Numero()) + ":" + std::to_string(l.size()) +
              (lecteur.Trop_Longue() ? "+ " : " ");
    }
    EXPECT_EQ(std::tuple(close(fd), lu, lecteur.Erreur()), std::tuple(0, attendu, 0));
}

// Two buses, each with its table; formats apart; one frame: no period; dates out of order.
TEST(Journal, DeuxInterfaces) {
    const auto [statut, sortie, erreurs] = Analyse("(1.000000) can1 123##1\n(1.002000) can0 123#\n"
                                                   "(1.001000) can0 00000123#\n(1.000000) can0 123#\n"
                                                   "(1.003000) can0 123##0\n");
    EXPECT_EQ(std::tuple(statut, erreurs, sortie.substr(0, sortie.find('\n'))),
              std::tuple(0, "", "Interface can1"));
    EXPECT_NE(sortie.find("Total: 1 trame en "), std::string::npos) << sortie;
    EXPECT_EQ(sortie.substr(sortie.find("charge du bus 100,00 %")),
              "charge du bus 100,00 % à 500000 / 4000000 bit/s\n\n"
              "Interface can0\n"
              "Identifiant  Format       Trames  Bits (min / max)  Période moyenne (ms)  Part du bus (%)\n"
              "123          standard          2           48 / 48                 2,000             6,20\n"
              "00000123     étendue           1           71 / 71                     —             4,59\n"
              "123          FD standard       1           63 / 63                     —             4,07\n"
              "Total: 4 trames en 0,003096 s, charge du bus 14,86 % à 500000 bit/s\n");
}

// Unreadable lines told and skipped (status 1), the CSV; nothing readable: status 2.
TEST(Journal, IllisiblesEtCSV) {
    const std::string horodatage = "ligne 3 ignorée: la ligne ne commence pas par un horodatage (candump -L "
                                   ": « (1436509052.249713) can0 123#01FF »)\n";
    EXPECT_EQ(
        Analyse("(1.0) can0 123#0\n(1.000500) can0 123#R2\nbla\n(1.001) can0 12345678##1" +
                    std::string(24, 'A') + "\n",
                true),
        std::make_tuple(1,
                        "horodatage;interface;identifiant;format;dlc;bits;duree_us\n"
                        "1.000500;can0;123;standard requête;2;47;94\n" // as varnel-trame 123#R2
                        "1.001;can0;12345678;FD étendue BRS;9;177;128,25\n",
                        "v: ligne 1 ignorée: l'octet « 0 » n'a qu'un chiffre hexadécimal, il en faut deux, "
                        "dans les données « 0 »\nv: " +
                            horodatage + "v: 2 lignes illisibles ignorées\n"));
    const auto [statut, sortie, erreurs] = Analyse("x\n(1.0) can0 123#\n");
    EXPECT_EQ(std::tuple(statut, sortie.substr(sortie.rfind('\n', sortie.size() - 2) + 1)),
              std::tuple(1, "1 ligne illisible ignorée (voir la sortie d'erreur)\n"));
    const std::pair<std::string, std::string> vides[] = {
        {"", "v: le journal ne contient aucune trame\n"},
        {"\n  \n", "v: le journal ne contient aucune trame\n"},
        {"\n\nx",
         "v: " + horodatage + "v: le journal ne contient aucune trame lisible (1 ligne illisible)\n"}};
    for (const auto& [contenu, message] : vides)
        for (const bool csv : {false, true})
            EXPECT_EQ(Analyse(contenu, csv), std::make_tuple(2, std::string(), message));
}
