#include <gtest/gtest.h>

#include <algorithm>

#include "../support/oracle_trame.h"
#include "outils.h"

TEST(Sortie, ExempleStandard123) {
    EXPECT_EQ(Lance({"123"}),
              "Trame brute: 0 00100100011 0 000000 110100001011000 11 1111111\n"
              "Nb bits: 43\n"
              "CRC: 6858\n"
              "Trame stuffée: 00010010001100000100110100001011000111111111\n"
              "Nb bits stuffée: 44\n"
              "Symboles: DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr\n"
              "Durée: 48 bits (intermission comprise), 96 µs à 500000 bit/s\n" // 35 + 10 + 3 bits
              "0\n");
}

// Options give the raw frame; the VCD replaces the file's content and its comment names the frame.
TEST(Sortie, OptionsEtVCD) {
    const std::string ab = "0 00100100011 0 000001 10101011 110011001101111 11 1111111",
                      ef = "0 11111101111 0 000010 00000001 11111111 001100101110110 11 1111111",
                      r3 = "0 00000000000 11 000000000000000000 1 000011    011111011100111 11 1111111",
                      dab = "trame standard de donnees, identifiant 123, DLC 1, CRC 666F",
                      def = "trame standard de donnees, identifiant 7EF, DLC 2, CRC 1976",
                      dr3 = "trame etendue de requete, identifiant 00000000, DLC 3, CRC 3EE7";
    const std::tuple<std::string, std::string, std::string> cas[] = {
        {"123 ab", ab, dab},
        {"-d 1 123 AB --debit 125000", ab, dab},
        {"--dlc=2 7ef 01 ff --debit=300000", ef, def},
        {"-d2 7EF 01 FF --debit 1000000000", ef, def},
        {"-r -d 2 123", "0 00100100011 1 000010   101010100110110 11 1111111",
         "trame standard de requete, identifiant 123, DLC 2, CRC 5536"},
        {"--requete --dlc 8 --etendue 1abcdef0",
         "0 11010101111 11 001101111011110000 1 001000         011010010101101 11 1111111",
         "trame etendue de requete, identifiant 1ABCDEF0, DLC 8, CRC 34AD"},
        {"-er -d 3 00000000", r3, dr3},
        {"--req --ete --dl=3 00000000", r3, dr3}}; // unambiguous abbreviations
    for (const auto& [arguments, brute, commentaire] : cas) {
        Dossier d;
        std::ofstream(d / "t.vcd") << "ancien contenu\n";
        const auto [statut, sortie, erreurs] = Execute(Mots(arguments + " --vcd " + (d / "t.vcd")));
        EXPECT_EQ(std::tuple(statut, Champ(sortie, "Trame brute"), erreurs), std::tuple(0, brute, ""));
        const std::string stuffee = Champ(sortie, "Trame stuffée"),
                          tx = std::string(11, '1') + stuffee.substr(0, stuffee.size() - 9) +
                               std::string(13, '1');
        const size_t debit = arguments.find("--debit"); // the bits read back at the middle of each
        EXPECT_EQ(Relit(d / "t.vcd",
                        1e9 / (debit == std::string::npos ? 5e5 : std::stod(arguments.substr(debit + 8)))),
                  (std::map<std::string, std::string>{
                      {"$comment", commentaire},
                      {"$timescale", "1 ns"},
                      {"can_tx", tx},
                      {"can_rx", tx.substr(0, tx.size() - 12) + "0" + std::string(11, '1')}}));
        EXPECT_EQ(d.Fichiers(), 1);
    }
}

// A bit of no whole number of ns: every change rounded to the nearest ns, only where a level changes.
TEST(VCD, FichierComplet) {
    Dossier d;
    Execute({"--debit", "300000", "--vcd", d / "t.vcd", "123"});
    std::string v = Shell("tr '\\n' ' ' < " + d / "t.vcd");
    EXPECT_EQ(
        v, "$version varnel-trame $end $comment trame standard de donnees, identifiant 123, DLC 0, CRC 6858 "
           "$end $timescale 1 ns $end $scope module can $end $var wire 1 ! can_tx $end $var wire 1 \" "
           "can_rx $end $upscope $end $enddefinitions $end #0 $dumpvars 1! 1\" $end #36667 0! 0\" #46667 1! "
           "1\" #50000 0! 0\" #56667 1! 1\" #60000 0! 0\" #70000 1! 1\" #76667 0! 0\" #93333 1! 1\" "
           "#96667 0! 0\" #103333 1! 1\" #110000 0! 0\" #113333 1! 1\" #116667 0! 0\" #130000 1! 1\" "
           "#133333 0! 0\" #136667 1! 1\" #143333 0! 0\" #153333 1! 1\" #156667 0\" #160000 1\" #196667 ");
    // An FD frame without BRS: the data rate unused, each change at the nearest ns too.
    Execute(Mots("--fd --debit-donnees 3000000 --debit 300000 123 01 --vcd " + (d / "fd.vcd")));
    const VCD fd(d / "fd.vcd");
    EXPECT_EQ(std::tuple(fd.textes.at("$timescale"), fd.ordonne), std::tuple("1 ns", true));
    for (const auto& [instant, niveau] : fd.changements.at("can_tx")) {
        const uint64_t bit = (instant * 3 + 5000) / 10000; // 10000 / 3 ns per bit
        EXPECT_EQ(instant, (bit * 10000 + 1) / 3) << "bit " << bit;
    }
}

// Both sides of every limit, in one process, under POSIXLY_CORRECT. A refusal: one stderr line, no
// stdout, status 2, no VCD left behind.
TEST(Arguments, AccepteesEtRefusees) {
    Dossier d;
    const std::string a = "Valeur non conforme à la norme CAN2.0A: ",
                      b = "Valeur non conforme à la norme CAN2.0B: ",
                      sept =
                          "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs! Au "
                          "moins 1 doit être un bit dominant.",
                      debit = "le débit doit être un nombre entier de bit/s de 1 à 1000000000, pas ",
                      dlcFD =
                          "avec --fd, le DLC doit être un nombre de 0 à 15 ou un chiffre hexadécimal de 0 "
                          "à F, pas ",
                      absent = d / "absent/f.vcd", dossier = d.chemin.string();
    const auto chiffres = [](const std::string& id, bool etendue) {
        return "l'identifiant « " + id + " » a " + std::to_string(id.size()) +
               " chiffres hexadécimaux, il en faut " +
               (etendue ? "8 en trame étendue" : "3 en trame standard (-e pour étendue)");
    };
    const auto deja = [](const std::string& trame, const std::string& option) {
        return "la trame candump « " + trame +
               " » dit déjà son format, son type, son DLC et ses octets: " + option +
               " ne s'emploie pas avec elle";
    };
    const auto moins = [](const std::string& donnees, const std::string& nominal) {
        return "le débit des données (" + donnees + " bit/s) doit être au moins le débit nominal (" +
               nominal + " bit/s)";
    };
    // The CRC and the bits sent up to it, from the plain oracle.
    const auto fd = [](std::string brut, size_t n, unsigned octet) {
        brut.erase(std::remove(brut.begin(), brut.end(), ' '), brut.end());
        for (size_t k = 0; k < n; ++k) brut += oracle::Bits(octet, 8);
        const oracle::Envoi e = oracle::FD(brut, n > 16);
        char crc[8];
        std::snprintf(crc, sizeof crc, "%X", e.crc);
        return "CRC: " + std::string(crc) + "\nTrame stuffée: " + e.bits;
    };
    const std::string seule =
        "la trame candump « 123#01 » s'écrit seule, sans identifiant ni octets à côté: ";
    const std::pair<std::string, std::string> cas[] = {
        {"000", "Nb bits: 43\n"},
        {"-e 1FBFFFFF", "Nb bits: 63\n"},
        {"-d 0 7EF", "Nb bits: 43\n"},
        {"--debit 1 123", "Nb bits: 43\n"},
        {"123 00 11 22 33 44 55 66 77", "Nb bits: 107\n"},
        {"123 -d 1 AB", "Nb bits: 51\n"},
        {"--fd --brs 042 00 01 02 03 04 05 06 07",
         "Trame brute: 0 00001000010 0 010101000 00000000 00000001 00000010 00000011 00000100 00000101 "
         "00000110 00000111 0110 11011011101111111 11 1111111\n"
         "Nb bits: 116\n"
         "CRC: 1B77F\n"
         "Trame stuffée: 000001100001000101010000010000010000010001000001010000010011000001100000100101000"
         "001110000010111001101110101011010110111101111111111\n"
         "Nb bits stuffée: 132\n"
         "Symboles: "
         "DDDDDSrDDDDrDDDrDrDrDDDDDSDDDDDSDDDDDSDDDrDDDDDSDrDDDDDSDDrrDDDDDSrDDDDDSDDrDrDDDDDSrrDDDDDSD"
         "rrrfDrrDFrrDrfrDrrfrDrrfrrrrfrrrrrrrrrrr\n"},
        {"--fd 000", "CRC: 72BF\n"},
        {"--fd -d 1 100 1F", "CRC: 9312\n"},
        // FD options, raw bits: SOF, identifier, RRS, IDE, FDF, res, BRS, ESI, DLC (extended: SOF, 11
        // identifier bits, SRR, IDE, 18 more, then from RRS on)
        {"--fd --esi -d 1 7ef ab", fd("0 11111101111 0 0 1 0 0 1 0001", 1, 0xAB)},
        {"--fd -d9 123" + Repete(" a5", 12), fd("0 00100100011 0 0 1 0 0 0 1001", 12, 0xA5)},
        {"--fd --dlc=c 123" + Repete(" 00", 24), fd("0 00100100011 0 0 1 0 0 0 1100", 24, 0x00)},
        {"--fd -e --brs --esi -dF 1abcdef0" + Repete(" FF", 64),
         fd("0 11010101111 1 1 001101111011110000 0 1 0 1 1 1111", 64, 0xFF)},
        {"-e 00000000 --fd" + Repete(" 5a", 20),
         fd("0 00000000000 1 1 000000000000000000 0 1 0 0 0 1011", 20, 0x5A)},
        {"--brs 321 --fd -d 08" + Repete(" 01", 8), fd("0 01100100001 0 0 1 0 1 0 1000", 8, 0x01)},
        {"-e -- 12345678", "Nb bits: 63\n"},
        {"--fd --debit-donnees 3000000 --debit 300000 123 01", "Nb bits: 60\n"}, // one rate: 1 ns
        {"", "il manque l'identifiant (varnel-trame --help affiche l'aide)"},
        {"12G", "l'identifiant « 12G » n'est pas une valeur hexadécimale"},
        {"-e 1234567", chiffres("1234567", true)},
        {"-e 123456789", chiffres("123456789", true)},
        {"12", chiffres("12", false)},
        {"1234", chiffres("1234", false)},
        {"123 -e", chiffres("123", true)},
        {"7F0", a + sept},
        {"800", a + "En mode standard, la longueur du champ identifiant est de 11 bits!"},
        {"-e 1FC00000", b + sept},
        {"-e 20000000", b + "En mode étendu, la longueur du champ identifiant est de 29 bits!"},
        {"-d 9 123", "le DLC doit être un nombre de 0 à 8, pas « 9 »"},
        {"-d -1 123", "le DLC doit être un nombre de 0 à 8, pas « -1 »"},
        {"123 -d", "l'option -d attend une valeur"},
        {"-d 2 123 01", "le DLC 2 demande 2 octets de données, 1 donné"},
        {"-d 1 123 01 02", "le DLC 1 demande 1 octet de données, 2 donnés"},
        {"123 00 11 22 33 44 55 66 77 88", "trop d'octets de données: 9 (8 au plus)"},
        {"123 1", "l'octet « 1 » doit avoir deux chiffres hexadécimaux, pas 1"},
        {"123 123", "l'octet « 123 » doit avoir deux chiffres hexadécimaux, pas 3"},
        {"123 0g", "l'octet « 0g » n'est pas une valeur hexadécimale"},
        {"-d 0 -- 123 -d", "l'octet « -d » n'est pas une valeur hexadécimale"},
        {"-r 123 01", "une trame de requête ne porte aucun octet de données (1 octet donné)"},
        {"-ex 123", "option inconnue « -x »"},
        {"--foo=3 123", "option inconnue « --foo=3 »"},
        {"--d=1 123", "option ambiguë « --d » (--dlc, --debit, --debit-donnees)"},
        {"--e 123", "option ambiguë « --e » (--etendue, --esi, --erreur)"},
        {"--etendue=1 123", "l'option --etendue ne prend pas de valeur"},
        {"123 --debit", "l'option --debit attend une valeur"},
        {"-- -123", "l'identifiant « -123 » n'est pas une valeur hexadécimale"},
        {"--debit=0 123", debit + "« 0 »"},
        {"--debit=5e5 123", debit + "« 5e5 »"},
        {"--debit 1000000001 123", debit + "« 1000000001 »"},
        {"123 --vcd " + absent, "impossible d'écrire le fichier VCD « " + absent + " »: dossier inexistant"},
        {"123 --vcd " + dossier, "impossible d'écrire le fichier VCD « " + dossier + " »: c'est un dossier"},
        // CAN FD
        {"--brs 123", "l'option --brs ne s'emploie qu'avec --fd"},
        {"123 --esi", "l'option --esi ne s'emploie qu'avec --fd"},
        {"--debit-donnees 4000000 -e 12345678", "l'option --debit-donnees ne s'emploie qu'avec --fd"},
        {"--fd -r 123", "une trame CAN FD n'a pas de forme requête: -r ne s'emploie pas avec --fd"},
        {"--fd -d 16 123", dlcFD + "« 16 »"},
        {"--fd -d 0x1 123", dlcFD + "« 0x1 »"},
        {"--fd 123 00 11 22 33 44 55 66 77 88",
         "avec --fd, il faut 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas 9 (ou le DLC "
         "avec -d)"},
        {"--fd -d a 123 01", "le DLC 10 demande 16 octets de données, 1 donné"},
        {"--fd -d 9 123", "le DLC 9 demande 12 octets de données, 0 donné"},
        {"--fd --debit-donnees 2e6 123",
         "le débit des données doit être un nombre entier de bit/s de 1 à 1000000000, pas « 2e6 »"},
        {"--fd --brs --debit 4000000 123", moins("2000000", "4000000")},
        {"--fd --brs --debit-donnees 3000000 123",
         "les débits 500000 et 3000000 bit/s ne s'écrivent pas exactement dans un VCD (un quart de bit "
         "doit durer un nombre entier de femtosecondes)"},
        // Frames written as candump writes them
        {"-e 123#01", deja("123#01", "-e")},
        {"123#R -r", deja("123#R", "-r")},
        {"--dlc=2 123#0102", deja("123#0102", "-d")},
        {"--fd 123##0", deja("123##0", "--fd")},
        {"--brs 123##1", deja("123##1", "--brs")},
        {"123#01 02", seule + "« 02 » en trop"},
        {"123 123#01", seule + "« 123 » en trop"},
        {"123#0", "la trame candump « 123#0 » ne se lit pas: l'octet « 0 » n'a qu'un chiffre "
                  "hexadécimal, il en faut deux, dans les données « 0 »"},
        {"12#00",
         "la trame candump « 12#00 » ne se lit pas: l'identifiant « 12 » a 2 chiffres hexadécimaux, il "
         "en faut 3 (trame standard) ou 8 (trame étendue)"},
        {"123##900",
         "la trame candump « 123##900 » ne se lit pas: les drapeaux CAN FD « 9 » ont le bit 8, qui ne "
         "veut rien dire (1 BRS, 2 ESI, 4 trame FD)"},
        {"7F0#", a + sept},
        {"--erreur=ack 123##2",
         "avec --erreur, l'ESI suit l'état de l'émetteur: la trame candump « 123##2 » ne peut pas porter "
         "le drapeau ESI (--tec 128 donne un émetteur passif)"},
        {"--debit-donnees 1000000 --debit 2000000 123##1", moins("1000000", "2000000")},
        {"--debit-donnees 1000000 123#", "l'option --debit-donnees ne s'emploie qu'avec --fd"},
        // Logs: what describes one frame makes no sense with one, --csv none without one
        {"--journal f 123", "--journal lit ses trames dans le journal: « 123 » en trop"},
        {"--journal f 123#01", "--journal lit ses trames dans le journal: « 123#01 » en trop"},
        {"-e --journal f", "l'option -e ne s'emploie pas avec --journal"},
        {"--journal f -r", "l'option -r ne s'emploie pas avec --journal"},
        {"--journal f -d 1", "l'option -d ne s'emploie pas avec --journal"},
        {"--journal f --fd", "l'option --fd ne s'emploie pas avec --journal"},
        {"--journal f --vcd g", "l'option --vcd ne s'emploie pas avec --journal"},
        {"--journal f --erreur ack", "l'option --erreur ne s'emploie pas avec --journal"},
        {"--journal f --tec 1", "l'option --tec ne s'emploie qu'avec --erreur"},
        {"--csv 123", "l'option --csv ne s'emploie qu'avec --journal"},
        {"--journal f --debit 0", debit + "« 0 »"},
        {"--journal f --debit 4000000", moins("2000000", "4000000")},
        {"--journal", "l'option --journal attend une valeur"},
        {"--journal=f --csv=1", "l'option --csv ne prend pas de valeur"}};
    setenv("POSIXLY_CORRECT", "1", 1);
    for (const auto& [ligne, attendu] : cas) {
        SCOPED_TRACE(ligne);
        std::vector<std::string> arguments = Mots(ligne);
        if (ligne.find("--jour") == std::string::npos)
            arguments.insert(arguments.begin(), {"--vcd", d / "f.vcd"});
        const auto [statut, sortie, erreurs] = Execute(arguments);
        if (attendu.find('\n') == std::string::npos) { // a refusal
            EXPECT_EQ(std::tie(statut, sortie, erreurs),
                      std::make_tuple(2, std::string(), "varnel-trame: " + attendu + "\n"));
            EXPECT_EQ(d.Fichiers(), 0);
        } else {
            EXPECT_EQ(std::tuple(statut, erreurs, d.Fichiers()), std::tuple(0, "", 1));
            EXPECT_NE(sortie.find(attendu), std::string::npos) << sortie;
            std::filesystem::remove(d / "f.vcd");
        }
    }
    unsetenv("POSIXLY_CORRECT");
}
