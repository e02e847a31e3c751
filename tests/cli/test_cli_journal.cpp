// varnel-trame with candump's frames, the Durée line, and --journal.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/varnel_trame.h"
#include "outils.h"

using varnel::Varnel_Trame;

namespace {

// In-process run: the status, then stdout and stderr.
std::tuple<int, std::string, std::string> Execute(const std::vector<std::string>& arguments) {
    std::ostringstream sortie, erreurs;
    const int statut = Varnel_Trame(arguments, sortie, erreurs);
    return {statut, sortie.str(), erreurs.str()};
}

} // namespace

// A frame written as candump writes it prints exactly what the same frame written with the
// options prints, the VCD's comment included.
TEST(Candump, MemeSortieQueLesOptions) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cas[] = {
        {{"123#01FF"}, {"123", "01", "FF"}},
        {{"7ef#01.ff"}, {"7EF", "01", "ff"}},
        {{"123#"}, {"123"}},
        {{"12345678#00"}, {"-e", "12345678", "00"}},
        {{"123#R"}, {"-r", "123"}},
        {{"123#R3"}, {"-r", "-d", "3", "123"}},
        {{"1abcdef0#r8"}, {"-e", "-r", "-d8", "1ABCDEF0"}},
        {{"123##0"}, {"--fd", "123"}},
        {{"123##1AABB"}, {"--fd", "--brs", "123", "AA", "BB"}},
        {{"123##3AABB", "--debit", "1000000", "--debit-donnees", "8000000"},
         {"--fd", "--brs", "--esi", "123", "AA", "BB", "--debit", "1000000", "--debit-donnees", "8000000"}},
        {{"--", "123##5" + std::string(24, '5')},
         {"--fd", "--brs", "123", "55", "55", "55", "55", "55", "55", "55", "55", "55", "55", "55", "55"}},
        {{"--erreur", "ack", "123#11"}, {"--erreur", "ack", "123", "11"}},
    };
    for (const auto& [candump, options] : cas) {
        SCOPED_TRACE(candump[0]);
        Dossier d;
        const std::string a = (d.chemin / "a.vcd").string(), b = (d.chemin / "b.vcd").string();
        std::vector<std::string> x = candump, y = options;
        x.insert(x.begin(), {"--vcd", a});
        y.insert(y.begin(), {"--vcd", b});
        const auto r = Execute(x);
        ASSERT_EQ(std::get<0>(r), 0) << std::get<2>(r);
        EXPECT_EQ(r, Execute(y));
        std::ifstream fa(a), fb(b);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(fa), {}),
                  std::string(std::istreambuf_iterator<char>(fb), {}));
    }
}

// A candump frame says its format, type, DLC and bytes: the options that say them too, or
// more arguments, are refused; a malformed one with its reason; the identifier rules apply.
TEST(Candump, Refus) {
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"-e", "123#01"},
         "la trame candump « 123#01 » dit déjà son format, son type, son DLC et ses octets: -e ne "
         "s'emploie pas avec elle"},
        {{"123#R", "-r"},
         "la trame candump « 123#R » dit déjà son format, son type, son DLC et ses octets: -r ne "
         "s'emploie pas avec elle"},
        {{"--dlc=2", "123#0102"},
         "la trame candump « 123#0102 » dit déjà son format, son type, son DLC et ses "
         "octets: -d ne s'emploie pas avec elle"},
        {{"--fd", "123##0"},
         "la trame candump « 123##0 » dit déjà son format, son type, son DLC et ses octets: --fd "
         "ne s'emploie pas avec elle"},
        {{"--brs", "123##1"},
         "la trame candump « 123##1 » dit déjà son format, son type, son DLC et ses octets: "
         "--brs ne s'emploie pas avec elle"},
        {{"123#01", "02"},
         "la trame candump « 123#01 » s'écrit seule, sans identifiant ni octets à côté: « 02 » en "
         "trop"},
        {{"123", "123#01"},
         "la trame candump « 123#01 » s'écrit seule, sans identifiant ni octets à côté: « 123 » "
         "en trop"},
        {{"123#0"},
         "la trame candump « 123#0 » ne se lit pas: l'octet « 0 » n'a qu'un chiffre hexadécimal, il en "
         "faut deux, dans les données « 0 »"},
        {{"12#00"},
         "la trame candump « 12#00 » ne se lit pas: l'identifiant « 12 » a 2 chiffres hexadécimaux, il "
         "en faut 3 (trame standard) ou 8 (trame étendue)"},
        {{"123##900"},
         "la trame candump « 123##900 » ne se lit pas: les drapeaux CAN FD « 9 » ont le bit 8, qui ne "
         "veut rien dire (1 BRS, 2 ESI, 4 trame FD)"},
        {{"7F0#"},
         "Valeur non conforme à la norme CAN2.0A: Les 7 bits de poids fort de l'identifiant ne doivent pas "
         "être tous récessifs! Au moins 1 doit être un bit dominant."},
        {{"--erreur=ack", "123##2"},
         "avec --erreur, l'ESI suit l'état de l'émetteur: la trame candump « 123##2 » ne "
         "peut pas porter le drapeau ESI (--tec 128 donne un émetteur passif)"},
        {{"--debit-donnees", "1000000", "--debit", "2000000", "123##1"},
         "le débit des données (1000000 bit/s) doit être au moins le débit nominal (2000000 bit/s)"},
        {{"--debit-donnees", "1000000", "123#"}, "l'option --debit-donnees ne s'emploie qu'avec --fd"},
    };
    for (const auto& [arguments, message] : cas)
        EXPECT_EQ(Execute(arguments), std::make_tuple(2, std::string(), "varnel-trame: " + message + "\n"));
}

// The seventh line, worked by hand. 123 without data: 35 bits to the last CRC bit (44 - 9),
// 48 with the tail and the intermission. The reference FD frame 042 with BRS and 8 bytes:
// 123 bits to the last CRC bit, BRS the 18th; at the nominal rate 17 bits, 3/4 of BRS, 1/4
// of the CRC delimiter and the 12 bits after it, 30 bits; at the data rate 1/4 of BRS, 105
// bits and 3/4 of the CRC delimiter, 106 bits. Without BRS, all 136 at the nominal rate.
TEST(Duree, CalculeeALaMain) {
    const std::vector<std::string> fd = {"--fd", "042", "00", "01", "02", "03", "04", "05", "06", "07"};
    auto avec = [](std::vector<std::string> a, const std::vector<std::string>& plus) {
        a.insert(a.end(), plus.begin(), plus.end());
        return a;
    };
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"123"}, "48 bits (intermission comprise), 96 µs à 500000 bit/s"},
        {{"123", "--debit", "125000"}, "48 bits (intermission comprise), 384 µs à 125000 bit/s"},
        {{"123#", "--debit", "3000000"}, "48 bits (intermission comprise), 16 µs à 3000000 bit/s"},
        {{"123", "--debit", "7"}, "48 bits (intermission comprise), 6857142,857 µs à 7 bit/s"}, // 48 / 7 s
        {{"123", "--debit", "640000000"}, "48 bits (intermission comprise), 0,075 µs à 640000000 bit/s"},
        {{"123", "--debit", "1000000000"}, "48 bits (intermission comprise), 0,048 µs à 1000000000 bit/s"},
        {avec(fd, {"--brs"}), "136 bits (intermission comprise), 113 µs à 500000 / 2000000 bit/s"},
        {avec(fd, {"--brs", "--debit", "1000000", "--debit-donnees", "8000000"}),
         "136 bits (intermission comprise), 43,25 µs à 1000000 / 8000000 bit/s"}, // 30 + 106 / 8
        {avec(fd, {"--brs", "--debit", "1000000", "--debit-donnees", "3000000"}),
         "136 bits (intermission comprise), 65,333 µs à 1000000 / 3000000 bit/s"}, // 30 + 106 / 3
        {avec(fd, {"--brs", "--debit", "1000000", "--debit-donnees", "1000000"}),
         "136 bits (intermission comprise), 136 µs à 1000000 / 1000000 bit/s"},
        {avec(fd, {"--debit-donnees", "8000000"}), "136 bits (intermission comprise), 272 µs à 500000 bit/s"},
        {{"--erreur", "bus:10", "123"},
         "48 bits (intermission comprise), 96 µs à 500000 bit/s"}, // the frame's
    };
    for (const auto& [arguments, duree] : cas) {
        const auto [statut, sortie, erreurs] = Execute(arguments);
        ASSERT_EQ(statut, 0) << erreurs;
        EXPECT_EQ(Champ(sortie, "Durée"), duree);
        EXPECT_EQ(sortie.find("\nDurée: "), sortie.find('\n', sortie.find("Symboles: "))); // right after
    }
}

// The time of the Durée line is the time the VCD gives the frame and the intermission, from
// the SOF's falling edge to the end of the 3 idle bits after EOF.
TEST(Duree, CommeLeVCD) {
    const std::vector<std::vector<std::string>> cas = {
        {"123", "01"},
        {"--debit", "125000", "-e", "1abcdef0", "00", "00", "00"},
        {"123##1AABBCCDDEEFF0011", "--debit", "1000000", "--debit-donnees", "8000000"},
        {"1abcdef0##1" + std::string(128, 'F')},
        {"--debit=250000", "--debit-donnees=4000000", "000##3" + std::string(40, '0')},
        {"7ef##0ABCD"},
    };
    for (std::vector<std::string> arguments : cas) {
        SCOPED_TRACE(arguments[0]);
        Dossier d;
        const std::string f = (d.chemin / "f.vcd").string();
        arguments.insert(arguments.end(), {"--vcd", f});
        const auto [statut, sortie, erreurs] = Execute(arguments);
        ASSERT_EQ(statut, 0) << erreurs;
        std::ifstream in(f);
        std::string mot, echelle;
        double unite = 0, sof = -1, temps = 0;
        while (in >> mot) {
            if (mot == "$timescale") {
                in >> echelle >> mot; // "1 ns", "10 ps"...
                unite = std::stod(echelle) * (mot == "ns" ? 1 : mot == "ps" ? 1e-3 : 1e-6); // in ns
            } else if (mot[0] == '#') {
                temps = std::stod(mot.substr(1));
            } else if (mot == "0!" && sof < 0) {
                sof = temps;
            }
        }
        const std::string duree = Champ(sortie, "Durée");
        std::string us = duree.substr(duree.find("), ") + 3);
        us = us.substr(0, us.find(' '));
        if (us.find(',') != std::string::npos) us[us.find(',')] = '.';
        EXPECT_DOUBLE_EQ((temps - sof) * unite, std::stod(us) * 1000) << duree;
    }
}

// --journal on a file and on standard input, the table and the CSV; lines that do not read,
// told with their number, status 1; a log without frame or that cannot be opened, status 2.
TEST(Journal, FichierEtEntreeStandard) {
    Dossier d;
    const std::string f = (d.chemin / "candump.log").string();
    std::ofstream(f) << "(1000.000000) can0 123#\n"
                        "(1000.000500) can0 7EF#01FF\n"
                        "(1000.001000) can0 123#\n"
                        "(1000.001700) can0 7EF#01.FF\n"
                        "(1000.002000) can0 123#\n";
    // 3 * 96 µs of 123 and 2 * 134 µs of 7EF over 2 ms + 96 µs (the first frame).
    const std::string tableau =
        "Interface can0\n"
        "Identifiant  Format    Trames  Bits (min / max)  Période moyenne (ms)  Part du bus (%)\n"
        "123          standard       3           48 / 48                 1,000            13,74\n"
        "7EF          standard       2           67 / 67                 1,200            12,79\n"
        "Total: 5 trames en 0,002096 s, charge du bus 26,53 % à 500000 bit/s\n";
    EXPECT_EQ(Lance({"--journal", f}), tableau + "0\n");
    EXPECT_EQ(Shell("cat '" + f + "' | " VARNEL_BUILD_DIR "/varnel-trame --journal - 2>&1; echo $?"),
              tableau + "0\n");
    // The CSV: bits and time as the Durée line of the same frame gives them.
    auto duree = [](const std::string& trame) {
        const std::string l = Champ(Lance({trame, "--debit", "250000"}), "Durée");
        const size_t debut = l.find("), ") + 3;
        return l.substr(0, l.find(' ')) + ";" + l.substr(debut, l.find(" µs") - debut);
    };
    EXPECT_EQ(Shell("printf '(1.5) can0 123#R2\\n(2.25) vcan1 12345678##1\\n' | " VARNEL_BUILD_DIR
                    "/varnel-trame --csv --jour=- --debit 250000 2>&1; echo $?"),
              "horodatage;interface;identifiant;format;dlc;bits;duree_us\n"
              "1.5;can0;123;standard requête;2;" +
                  duree("123#R2") + "\n2.25;vcan1;12345678;FD étendue BRS;0;" + duree("12345678##1") +
                  "\n0\n");

    std::ofstream(f) << "(1.0) can0 123#\n(1.1) can0 123#0\nbonjour\n(1.2) can0 123#\n";
    const std::string r = Lance({"--journal", f});
    EXPECT_EQ(
        r.substr(0, r.find("Interface")),
        "varnel-trame: ligne 2 ignorée: l'octet « 0 » n'a qu'un chiffre hexadécimal, il en faut deux, dans "
        "les données « 0 »\n"
        "varnel-trame: ligne 3 ignorée: la ligne ne commence pas par un horodatage (candump -L : « "
        "(1436509052.249713) can0 123#01FF »)\n");
    EXPECT_EQ(r.substr(r.find("Total")),
              "Total: 2 trames en 0,200096 s, charge du bus 0,10 % à 500000 bit/s\n"
              "2 lignes illisibles ignorées (voir la sortie d'erreur)\n1\n");

    std::ofstream(f) << "";
    EXPECT_EQ(Lance({"--journal", f}),
              "varnel-trame: le journal « " + f + " » ne contient aucune trame\n2\n");
    EXPECT_EQ(Shell(VARNEL_BUILD_DIR "/varnel-trame --journal - --csv </dev/null 2>&1; echo $?"),
              "varnel-trame: l'entrée standard ne contient aucune trame\n2\n");
    const std::string absent = (d.chemin / "absent.log").string();
    EXPECT_EQ(Lance({"--journal", absent}),
              "varnel-trame: impossible d'ouvrir le journal « " + absent + " »: fichier inexistant\n2\n");
    EXPECT_EQ(Lance({"--journal", d.chemin.string()}), "varnel-trame: impossible de lire le journal « " +
                                                           d.chemin.string() + " »: c'est un dossier\n2\n");
}

// What describes one frame makes no sense with a log, and --csv none without one.
TEST(Journal, OptionsRefusees) {
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"--journal", "f", "123"}, "--journal lit ses trames dans le journal: « 123 » en trop"},
        {{"--journal", "f", "123#01"}, "--journal lit ses trames dans le journal: « 123#01 » en trop"},
        {{"-e", "--journal", "f"}, "l'option -e ne s'emploie pas avec --journal"},
        {{"--journal", "f", "-r"}, "l'option -r ne s'emploie pas avec --journal"},
        {{"--journal", "f", "-d", "1"}, "l'option -d ne s'emploie pas avec --journal"},
        {{"--journal", "f", "--fd"}, "l'option --fd ne s'emploie pas avec --journal"},
        {{"--journal", "f", "--vcd", "g"}, "l'option --vcd ne s'emploie pas avec --journal"},
        {{"--journal", "f", "--erreur", "ack"}, "l'option --erreur ne s'emploie pas avec --journal"},
        {{"--journal", "f", "--tec", "1"}, "l'option --tec ne s'emploie qu'avec --erreur"},
        {{"--csv", "123"}, "l'option --csv ne s'emploie qu'avec --journal"},
        {{"--journal", "f", "--debit", "0"},
         "le débit doit être un nombre entier de bit/s de 1 à 1000000000, pas « 0 »"},
        {{"--journal", "f", "--debit", "4000000"},
         "le débit des données (2000000 bit/s) doit être au moins le débit nominal (4000000 bit/s)"},
        {{"--journal"}, "l'option --journal attend une valeur"},
        {{"--journal=f", "--csv=1"}, "l'option --csv ne prend pas de valeur"},
    };
    for (const auto& [arguments, message] : cas)
        EXPECT_EQ(Execute(arguments), std::make_tuple(2, std::string(), "varnel-trame: " + message + "\n"));
}
