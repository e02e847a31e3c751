// varnel-trame with candump's frames, the Durée line, and --journal.
#include <gtest/gtest.h>

#include <algorithm>

#include "outils.h"

// A candump frame prints what the same frame as options prints, VCD included (FD DLC in hex too).
TEST(Candump, MemeSortieQueLesOptions) {
    const std::pair<std::string, std::string> cas[] = {
        {"123#01FF", "123 01 FF"},
        {"7ef#01.ff", "7EF 01 ff"},
        {"123#", "123"},
        {"12345678#00", "-e 12345678 00"},
        {"123#R", "-r 123"},
        {"123#R3", "-r -d 3 123"},
        {"1abcdef0#r8", "-e -r -d8 1ABCDEF0"},
        {"123##0", "--fd 123"},
        {"7ef##2ab", "--fd --esi -d 1 7ef ab"},
        {"123##3AABB --debit 1000000 --debit-donnees 8000000",
         "--fd --brs --esi 123 AA BB --debit 1000000 --debit-donnees 8000000"},
        {"-- 123##5" + std::string(24, '1'), "--fd --brs 123" + Repete(" 11", 12)},
        {"00000000##0" + std::string(40, '1'), "-e 00000000 --fd" + Repete(" 11", 20)},
        {"321##1" + std::string(16, '1'), "--brs 321 --fd -d 08" + Repete(" 11", 8)},
        {"123##0" + std::string(48, '1'), "--fd --dlc=c 123" + Repete(" 11", 24)},
        {"1abcdef0##3" + std::string(128, '1'), "--fd -e --brs --esi -dF 1abcdef0" + Repete(" 11", 64)},
        {"--erreur ack 123#11", "--erreur ack 123 11"}};
    for (const auto& [candump, options] : cas) {
        SCOPED_TRACE(candump);
        Dossier d;
        const auto r = Execute(Mots("--vcd " + (d / "a.vcd") + " " + candump));
        ASSERT_EQ(std::get<0>(r), 0) << std::get<2>(r);
        EXPECT_EQ(r, Execute(Mots("--vcd " + (d / "b.vcd") + " " + options)));
        std::ifstream a(d / "a.vcd"), b(d / "b.vcd");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}),
                  std::string(std::istreambuf_iterator<char>(b), {}));
    }
}

// By hand: 123 is 35 bits to its CRC + 13 = 48. FD 042 with BRS: 136 bits, 30 nominal (17, 3/4 of
// BRS, 1/4 of the CRC delimiter, 12 after) and 106 fast (1/4 of BRS, 105, 3/4 of the delimiter).
TEST(Duree, CalculeeALaMain) {
    const std::string fd = "--fd 042 00 01 02 03 04 05 06 07 ", brs = fd + "--brs --debit 1000000 ",
                      classique = "48 bits (intermission comprise), ",
                      long_ = "136 bits (intermission comprise), ";
    const std::pair<std::string, std::string> cas[] = {
        {"123", classique + "96 µs à 500000 bit/s"},
        {"123 --debit 125000", classique + "384 µs à 125000 bit/s"},
        {"123# --debit 3000000", classique + "16 µs à 3000000 bit/s"},
        {"123 --debit 7", classique + "6857142,857 µs à 7 bit/s"}, // 48 / 7 s
        {"123 --debit 640000000", classique + "0,075 µs à 640000000 bit/s"},
        {"123 --debit 1000000000", classique + "0,048 µs à 1000000000 bit/s"},
        {fd + "--brs", long_ + "113 µs à 500000 / 2000000 bit/s"},
        {brs + "--debit-donnees 8000000", long_ + "43,25 µs à 1000000 / 8000000 bit/s"},  // 30 + 106 / 8
        {brs + "--debit-donnees 3000000", long_ + "65,333 µs à 1000000 / 3000000 bit/s"}, // 30 + 106 / 3
        {brs + "--debit-donnees 1000000", long_ + "136 µs à 1000000 / 1000000 bit/s"},
        {fd + "--debit-donnees 8000000", long_ + "272 µs à 500000 bit/s"},
        {"--erreur bus:10 123", classique + "96 µs à 500000 bit/s"}}; // the frame's
    for (const auto& [arguments, duree] : cas) {
        const auto [statut, sortie, erreurs] = Execute(Mots(arguments));
        ASSERT_EQ(statut, 0) << erreurs;
        EXPECT_EQ(Champ(sortie, "Durée"), duree);
        EXPECT_EQ(sortie.find("\nDurée: "), sortie.find('\n', sortie.find("Symboles: "))); // right after
        // The VCD, where it can be written, gives the same time from the SOF to its end (each end and
        // the Durée rounded to the ns).
        if (duree.find(" / 3000000") != std::string::npos || arguments.find("--erreur") == 0) continue;
        Dossier d;
        ASSERT_EQ(std::get<0>(Execute(Mots(arguments + " --vcd " + (d / "f.vcd")))), 0);
        const VCD v(d / "f.vcd");
        const double ns =
            std::map<std::string, double>{{"1 ns", 1}, {"10 ps", 1e-2}}.at(v.textes.at("$timescale"));
        auto sof = v.changements.at("can_tx").begin();
        while (sof->second != '0') ++sof;
        std::string us = duree.substr(duree.find("), ") + 3);
        std::replace(us.begin(), us.end(), ',', '.');
        EXPECT_NEAR(static_cast<double>(v.fin - static_cast<int64_t>(sof->first)) * ns, std::stod(us) * 1000,
                    1.5);
    }
}

// --journal, by hand: 123# lasts 96 µs, 7EF#01FF 134 µs; the log runs 2 ms + 96 µs (its first
// frame), 123 takes 3 * 96 µs (13,74 %), 7EF 2 * 134 µs (12,79 %). File, stdin, CSV, refusals.
TEST(Journal, FichierEtEntreeStandard) {
    Dossier d;
    const std::string f = d / "candump.log", trame = VARNEL_BUILD_DIR "/varnel-trame";
    std::ofstream(f) << "(1000.000000) can0 123#\n(1000.000500) can0 7EF#01FF\n\n(1000.001000) can0 123#\n"
                        "(1000.001700) can0 7EF#01.FF\n(1000.002000) can0 123#\n";
    const std::string tableau =
        "Interface can0\n"
        "Identifiant  Format    Trames  Bits (min / max)  Période moyenne (ms)  Part du bus (%)\n"
        "123          standard       3           48 / 48                 1,000            13,74\n"
        "7EF          standard       2           67 / 67                 1,200            12,79\n"
        "Total: 5 trames en 0,002096 s, charge du bus 26,53 % à 500000 bit/s\n";
    EXPECT_EQ(Lance({"--journal", f}), tableau + "0\n");
    EXPECT_EQ(Shell("cat '" + f + "' | " + trame + " --journal - 2>&1; echo $?"), tableau + "0\n");
    // At 250 kbit/s every time doubles: 192 µs more at the start, the frames twice as long.
    EXPECT_EQ(Champ(Lance({"--journal", f, "--debit", "250000"}), "Total"),
              "5 trames en 0,002192 s, charge du bus 50,73 % à 250000 bit/s");
    // The CSV: bits and time as the Durée line of the same frame gives them.
    auto duree = [](const std::string& candump) {
        const std::string l = Champ(Lance({candump, "--debit", "250000"}), "Durée");
        const size_t debut = l.find("), ") + 3;
        return l.substr(0, l.find(' ')) + ";" + l.substr(debut, l.find(" µs") - debut);
    };
    const std::string fd = "12345678##3" + std::string(96, '0'); // ESI makes a stuff bit after it
    EXPECT_EQ(Shell("printf '(1.5) can0 123#R2\\n(2.25) vcan1 " + fd + "\\n' | " + trame +
                    " --csv --jour=- --debit 250000 2>&1; echo $?"),
              "horodatage;interface;identifiant;format;dlc;bits;duree_us\n"
              "1.5;can0;123;standard requête;2;" +
                  duree("123#R2") + "\n2.25;vcan1;12345678;FD étendue BRS ESI;14;" + duree(fd) + "\n0\n");

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
    EXPECT_EQ(Shell(trame + " --journal - --csv </dev/null 2>&1; echo $?"),
              "varnel-trame: l'entrée standard ne contient aucune trame\n2\n");
    EXPECT_EQ(Lance({"--journal", d / "absent.log"}), "varnel-trame: impossible d'ouvrir le journal « " +
                                                          (d / "absent.log") + " »: fichier inexistant\n2\n");
    EXPECT_EQ(Lance({"--journal", d.chemin.string()}), "varnel-trame: impossible de lire le journal « " +
                                                           d.chemin.string() + " »: c'est un dossier\n2\n");
}
