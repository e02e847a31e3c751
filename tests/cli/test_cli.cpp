#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/varnel_trame.h"
#include "outils.h"

TEST(Sortie, ExempleStandard123) {
    EXPECT_EQ(Lance({"123"}), "Trame brute: 0 00100100011 0 000000 110100001011000 11 1111111\n"
                              "Nb bits: 43\n"
                              "CRC: 6858\n"
                              "Trame stuffée: 00010010001100000100110100001011000111111111\n"
                              "Nb bits stuffée: 44\n"
                              "Symboles: DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr\n"
                              "0\n");
}

// Options, DLC, bytes and remote frames give the expected raw frame. The VCD holds idle, the
// stuffed frame, CRC delimiter, ACK slot (dominant on can_rx), ACK delimiter, EOF, idle; its
// $comment names the format (s/e), the type (d/r), the identifier, the DLC and the CRC.
TEST(Sortie, OptionsEtVCD) {
    const std::string ab = "0 00100100011 0 000001 10101011 110011001101111 11 1111111",
                      ef = "0 11111101111 0 000010 00000001 11111111 001100101110110 11 1111111",
                      r8 = "0 11010101111 11 001101111011110000 1 001000         011010010101101 11 1111111",
                      r3 = "0 00000000000 11 000000000000000000 1 000011    011111011100111 11 1111111";
    const std::tuple<std::vector<std::string>, double, std::string, std::string> cas[] = {
        {{"123", "ab"}, 500000, ab, "sd 123 1"},
        {{"-d", "1", "123", "AB", "--debit", "125000"}, 125000, ab, "sd 123 1"},
        {{"--dlc=2", "7ef", "01", "ff", "--debit=300000"}, 300000, ef, "sd 7EF 2"},
        {{"-d2", "7EF", "01", "FF", "--debit", "1000000000"}, 1e9, ef, "sd 7EF 2"},
        {{"-r", "-d", "2", "123"}, 5e5, "0 00100100011 1 000010   101010100110110 11 1111111", "sr 123 2"},
        {{"--requete", "--dlc", "8", "--etendue", "1abcdef0"}, 5e5, r8, "er 1ABCDEF0 8"},
        {{"-er", "-d", "3", "00000000"}, 5e5, r3, "er 00000000 3"},
        {{"--req", "--ete", "--dl=3", "00000000"}, 5e5, r3, "er 00000000 3"}, // unambiguous abbreviations
    };
    for (auto [arguments, debit, brute, commentaire] : cas) {
        SCOPED_TRACE(arguments[0] + " " + arguments[1]);
        Dossier d;
        const std::string f = (d.chemin / "trame.vcd").string();
        std::ofstream(f) << "ancien contenu\n"; // replaced
        arguments.insert(arguments.end(), {"--vcd", f});
        const std::string r = Lance(arguments);
        ASSERT_EQ(r.rfind("\n0\n"), r.size() - 3) << r;
        commentaire = std::string("trame ") + (commentaire[0] == 'e' ? "etendue" : "standard") +
                      (commentaire[1] == 'r' ? " de requete" : " de donnees") + ", identifiant " +
                      commentaire.substr(3, commentaire.rfind(' ') - 3) + ", DLC " + commentaire.back() +
                      ", CRC " + Champ(r, "CRC");
        EXPECT_EQ(Champ(r, "Trame brute"), brute);
        EXPECT_EQ(d.Fichiers(), 1);

        const std::string stuffee = Champ(r, "Trame stuffée");
        const std::string tx =
            std::string(11, '1') + stuffee.substr(0, stuffee.size() - 9) + std::string(13, '1');
        const std::string rx = tx.substr(0, tx.size() - 12) + "0" + std::string(11, '1');
        const std::map<std::string, std::string> attendu = {
            {"$timescale", "1 ns"}, {"$comment", commentaire}, {"can_tx", tx}, {"can_rx", rx}};
        EXPECT_EQ(Relit(f, 1e9 / debit), attendu);
    }
}

// The accepted side of every limit (the refused side is in Refus): the lowest and highest
// identifiers, DLC 0, eight bytes without -d, the slowest bit rate.
TEST(Sortie, LimitesAcceptees) {
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"000"}, "43"},
        {{"-e", "1FBFFFFF"}, "63"},
        {{"-d", "0", "7EF"}, "43"},
        {{"--debit", "1", "123"}, "43"},
        {{"123", "00", "11", "22", "33", "44", "55", "66", "77"}, "107"}};
    for (const auto& [arguments, bits] : cas) {
        const std::string r = Lance(arguments);
        EXPECT_EQ(Champ(r, "Nb bits") + r.substr(r.size() - 3), bits + "\n0\n") << r;
    }
}

// The whole file, for a bit time that is no whole number of ns: the header, the comment, every
// change rounded to the nearest ns and only where a level changes, and the end time.
TEST(VCD, FichierComplet) {
    Dossier d;
    const std::string f = (d.chemin / "t.vcd").string();
    Lance({"--debit", "300000", "--vcd", f, "123"});
    std::ifstream in(f);
    std::string v{std::istreambuf_iterator<char>(in), {}};
    std::replace(v.begin(), v.end(), '\n', ' ');
    EXPECT_EQ(
        v, "$version varnel-trame $end $comment trame standard de donnees, identifiant 123, DLC 0, CRC 6858 "
           "$end $timescale 1 ns $end $scope module can $end $var wire 1 ! can_tx $end $var wire 1 \" "
           "can_rx $end $upscope $end $enddefinitions $end #0 $dumpvars 1! 1\" $end #36667 0! 0\" #46667 1! "
           "1\" #50000 0! 0\" #56667 1! 1\" #60000 0! 0\" #70000 1! 1\" #76667 0! 0\" #93333 1! 1\" "
           "#96667 0! 0\" #103333 1! 1\" #110000 0! 0\" #113333 1! 1\" #116667 0! 0\" #130000 1! 1\" "
           "#133333 0! 0\" #136667 1! 1\" #143333 0! 0\" #153333 1! 1\" #156667 0\" #160000 1\" #196667 ");
}

// Refusals: one stderr line naming the problem, no stdout, status 2, no VCD file left behind.
TEST(Refus, EntreesInvalides) {
    Dossier d;
    const std::string absent = (d.chemin / "absent" / "f.vcd").string(),
                      a = "Valeur non conforme à la norme CAN2.0A: ",
                      b = "Valeur non conforme à la norme CAN2.0B: ",
                      sept =
                          "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs! Au "
                          "moins 1 doit être un bit dominant.",
                      debit = "le débit doit être un nombre entier de bit/s de 1 à 1000000000, pas ";
    const auto chiffres = [](const std::string& id, bool etendue) {
        return "l'identifiant « " + id + " » a " + std::to_string(id.size()) +
               " chiffres hexadécimaux, il en faut " +
               (etendue ? "8 en trame étendue" : "3 en trame standard (-e pour étendue)");
    };
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{}, "il manque l'identifiant (varnel-trame --help affiche l'aide)"},
        {{"12G"}, "l'identifiant « 12G » n'est pas une valeur hexadécimale"},
        {{"-e", "1234567"}, chiffres("1234567", true)},
        {{"-e", "123456789"}, chiffres("123456789", true)},
        {{"12"}, chiffres("12", false)},
        {{"1234"}, chiffres("1234", false)},
        {{"7F0"}, a + sept},
        {{"800"}, a + "En mode standard, la longueur du champ identifiant est de 11 bits!"},
        {{"-e", "1FC00000"}, b + sept},
        {{"-e", "20000000"}, b + "En mode étendu, la longueur du champ identifiant est de 29 bits!"},
        {{"-d", "9", "123"}, "le DLC doit être un nombre de 0 à 8, pas « 9 »"},
        {{"-d", "-1", "123"}, "le DLC doit être un nombre de 0 à 8, pas « -1 »"},
        {{"123", "-d"}, "l'option -d attend une valeur"},
        {{"-d", "2", "123", "01"}, "le DLC 2 demande 2 octets de données, 1 donné"},
        {{"-d", "1", "123", "01", "02"}, "le DLC 1 demande 1 octet de données, 2 donnés"},
        {{"123", "00", "11", "22", "33", "44", "55", "66", "77", "88"},
         "trop d'octets de données: 9 (8 au plus)"},
        {{"123", "1"}, "l'octet « 1 » doit avoir deux chiffres hexadécimaux, pas 1"},
        {{"123", "123"}, "l'octet « 123 » doit avoir deux chiffres hexadécimaux, pas 3"},
        {{"123", "0g"}, "l'octet « 0g » n'est pas une valeur hexadécimale"},
        {{"-r", "123", "01"}, "une trame de requête ne porte aucun octet de données (1 octet donné)"},
        {{"-ex", "123"}, "option inconnue « -x »"},
        {{"--foo=3", "123"}, "option inconnue « --foo=3 »"},
        {{"--d=1", "123"}, "option ambiguë « --d » (--dlc, --debit, --debit-donnees)"},
        {{"--e", "123"}, "option ambiguë « --e » (--etendue, --esi, --erreur)"},
        // CAN FD
        {{"--brs", "123"}, "l'option --brs ne s'emploie qu'avec --fd"},
        {{"123", "--esi"}, "l'option --esi ne s'emploie qu'avec --fd"},
        {{"--debit-donnees", "4000000", "-e", "12345678"},
         "l'option --debit-donnees ne s'emploie qu'avec --fd"},
        {{"--fd", "-r", "123"}, "une trame CAN FD n'a pas de forme requête: -r ne s'emploie pas avec --fd"},
        {{"--fd", "-d", "16", "123"},
         "avec --fd, le DLC doit être un nombre de 0 à 15 ou un chiffre hexadécimal de 0 à F, pas « 16 »"},
        {{"--fd", "-d", "0x1", "123"},
         "avec --fd, le DLC doit être un nombre de 0 à 15 ou un chiffre hexadécimal de 0 à F, pas « 0x1 »"},
        {{"--fd", "123", "00", "11", "22", "33", "44", "55", "66", "77", "88"},
         "avec --fd, il faut 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas 9 (ou le DLC avec "
         "-d)"},
        {{"--fd", "-d", "a", "123", "01"}, "le DLC 10 demande 16 octets de données, 1 donné"},
        {{"--fd", "-d", "9", "123"}, "le DLC 9 demande 12 octets de données, 0 donné"},
        {{"--fd", "--debit-donnees", "2e6", "123"},
         "le débit des données doit être un nombre entier de bit/s de 1 à 1000000000, pas « 2e6 »"},
        {{"--fd", "--brs", "--debit", "4000000", "123"},
         "le débit des données (2000000 bit/s) doit être au moins le débit nominal (4000000 bit/s)"},
        {{"--fd", "--brs", "--debit-donnees", "3000000", "123"},
         "les débits 500000 et 3000000 bit/s ne s'écrivent pas exactement dans un VCD (un quart de bit doit "
         "durer un nombre entier de femtosecondes)"},
        {{"--etendue=1", "123"}, "l'option --etendue ne prend pas de valeur"},
        {{"123", "--debit"}, "l'option --debit attend une valeur"},
        {{"--", "-123"}, "l'identifiant « -123 » n'est pas une valeur hexadécimale"},
        {{"--debit=0", "123"}, debit + "« 0 »"},
        {{"--debit=5e5", "123"}, debit + "« 5e5 »"},
        {{"--debit", "1000000001", "123"}, debit + "« 1000000001 »"},
        {{"123", "--vcd", absent},
         "impossible d'écrire le fichier VCD « " + absent + " »: dossier inexistant"},
        {{"123", "--vcd", d.chemin.string()},
         "impossible d'écrire le fichier VCD « " + d.chemin.string() + " »: c'est un dossier"},
    };
    for (auto [arguments, message] : cas) {
        arguments.insert(arguments.begin(), {"--vcd", (d.chemin / "f.vcd").string()});
        EXPECT_EQ(Lance(arguments), "varnel-trame: " + message + "\n2\n");
        EXPECT_EQ(d.Fichiers(), 0);
    }
}

// In-process runs, one after the other: each parse starts afresh, options may follow the
// identifier even under POSIXLY_CORRECT, and "--" ends the options.
TEST(Options, AnalysesSuccessives) {
    setenv("POSIXLY_CORRECT", "1", 1);
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"123", "-d", "1", "AB"}, "Nb bits: 51"},
        {{"-d"}, "varnel-trame: l'option -d attend une valeur"},
        {{"123", "-e"}, "varnel-trame: l'identifiant « 123 » a 3 chiffres hexadécimaux, il en faut 8"},
        {{"-e", "--", "12345678"}, "Nb bits: 63"},
        {{"-d", "0", "--", "123", "-d"}, "varnel-trame: l'octet « -d » n'est pas une valeur hexadécimale"},
        {{"123"}, "Nb bits: 43"},
    };
    for (const auto& [arguments, debut] : cas) {
        std::ostringstream sortie, erreurs;
        varnel::Varnel_Trame(arguments, sortie, erreurs);
        EXPECT_NE((sortie.str() + erreurs.str()).find(debut), std::string::npos)
            << sortie.str() << erreurs.str();
    }
    unsetenv("POSIXLY_CORRECT");
}

// The CAN decoder of sigrok reads the VCD written by the program, without a warning.
TEST(VCD, DecodeParSigrok) {
    if (Shell("command -v sigrok-cli").empty()) GTEST_SKIP() << "sigrok-cli absent";
    const std::string fin = "CRC delimiter: 1|ACK slot: ACK|ACK delimiter: 1|End of frame|";
    const std::pair<std::string, std::string> cas[] = {
        {"123 01 ff", "Start of frame|Identifier: 291 (0x123)|Identifier extension bit: standard "
                      "frame|Reserved bit 0: 0|Remote transmission request: data frame|Data "
                      "length code: 2|Data byte 0: 0x01|Data byte 1: 0xff|CRC-15 sequence: 0x27c0|"},
        {"-e 1234abcd 7f 80",
         "Start of frame|Identifier: 1165 (0x48d)|Identifier extension bit: extended frame|"
         "Extended Identifier: 43981 (0xabcd)|Full Identifier: 305441741 (0x1234abcd)|Substitute "
         "remote request: 1|Remote transmission request: data frame|Reserved bit 1: 0|Reserved "
         "bit 0: 0|Data length code: 2|Data byte 0: 0x7f|Data byte 1: 0x80|CRC-15 sequence: "
         "0x3491|"},
    };
    for (const auto& [arguments, champs] : cas) {
        Dossier d;
        const std::string f = (d.chemin / "trame.vcd").string();
        Shell(VARNEL_BUILD_DIR "/varnel-trame --vcd '" + f + "' " + arguments);
        const std::string s = Shell("sigrok-cli -i '" + f + "' -I vcd -P can:can_rx=can_rx:" +
                                    "nominal_bitrate=500000 -A can=fields:warnings 2>&1; echo $?");
        EXPECT_EQ(std::regex_replace(s, std::regex("can-1: (.*)\\n"), "$1|"), champs + fin + "0\n");
    }
}
