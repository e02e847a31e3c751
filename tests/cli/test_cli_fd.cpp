#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>

#include "outils.h"

// Two rates: BRS lasts 3/4 of a nominal bit and 1/4 of a data bit, the CRC delimiter the reverse.
// Every bit is checked at its first and last unit, in the coarsest exact unit.
TEST(VCD, DeuxDebits) {
    const std::tuple<std::string, uint64_t, uint64_t, std::string, std::string> cas[] = {
        {"--brs 042 00 01 02 03 04 05 06 07", 500000, 2000000, "1 ns",
         "trame FD standard, identifiant 042, DLC 8, BRS 1, ESI 0, CRC 1B77F, debits 500000 / 2000000 bit/s"},
        {"-e --brs --debit 1000000 --debit-donnees 8000000 1abcdef0" + Repete(" 3c", 12), 1000000, 8000000,
         "10 ps", ""},
        {"--brs --esi --debit=1 --debit-donnees=1000000000 7ef 00", 1, 1000000000, "10 ps", ""},
        {"--brs --debit=8192 --debit-donnees=8192 -e 00000000" + Repete(" 00", 64), 8192, 8192, "1 fs", ""},
        {"--brs --debit=125000 --debit-donnees=125000 000", 125000, 125000, "1 ns", ""}};
    for (const auto& [arguments, debit, donnees, echelle, commentaire] : cas) {
        SCOPED_TRACE(arguments);
        Dossier d;
        const auto [statut, sortie, erreurs] =
            Execute(Mots("--fd --vcd " + (d / "fd.vcd") + " " + arguments));
        ASSERT_EQ(statut, 0) << erreurs;
        const VCD c(d / "fd.vcd");
        const std::vector<std::string> mots = Mots(arguments);
        ASSERT_EQ(c.textes.at("$timescale"), echelle);
        if (!commentaire.empty()) { EXPECT_EQ(c.textes.at("$comment"), commentaire); }
        const uint64_t unites = std::map<std::string, uint64_t>{
            {"1 ns", 1000000000},
            {"10 ps", 100000000000},
            {"1 fs",
             1000000000000000}}.at(echelle);
        const std::string stuffee = Champ(sortie, "Trame stuffée"), symboles = Champ(sortie, "Symboles");
        const std::string emis = stuffee.substr(0, stuffee.size() - 9);
        size_t brs = 0; // BRS: frame bit 16 or 35, stuff bits apart
        for (int n = std::count(mots.begin(), mots.end(), "-e") ? 36 : 17; n > 0; ++brs)
            n -= symboles[brs] == 'D' || symboles[brs] == 'r';
        --brs;
        const uint64_t nominal = unites / debit, rapide = unites / donnees;
        ASSERT_EQ(nominal % 4 + rapide % 4, 0u);
        const std::string tx = std::string(11, '1') + emis + std::string(13, '1');
        std::string rx = tx;
        rx[11 + emis.size() + 1] = '0';
        uint64_t t = 0;
        for (size_t i = 0; i < tx.size(); ++i) {
            const size_t k = i - 11; // index in the frame (wraps below 0: idle)
            const uint64_t duree = k == brs                     ? nominal / 4 * 3 + rapide / 4
                                   : k > brs && k < emis.size() ? rapide
                                   : k == emis.size()           ? rapide / 4 * 3 + nominal / 4
                                                                : nominal;
            for (const uint64_t instant : {t, t + duree - 1})
                ASSERT_EQ(std::string() + c.Niveau("can_tx", instant) + c.Niveau("can_rx", instant),
                          std::string() + tx[i] + rx[i])
                    << "bit " << i << " à " << instant;
            t += duree;
        }
        EXPECT_EQ(c.fin, static_cast<int64_t>(t));
        EXPECT_TRUE(c.ordonne);
    }
}

// Random argument lists: one refusal line and no file; or the log read; or lines that fit together.
TEST(Options, ArgumentsAuHasard) {
    Dossier d, j;
    const std::string vcd = "--vcd=" + (d / "f.vcd"), lisible = "--journal=" + (j / "lisible.log"),
                      illisible = "--journal=" + (j / "illisible.log");
    std::ofstream(j / "lisible.log") << "(1.0) can0 123#01FF\n(1.001) can0 12345678##1AABB\n";
    std::ofstream(j / "illisible.log") << "(1.0) can0 123#01FF\n(1.003) can0 123#0\n";
    const std::vector<std::string> options =
        Mots("-e -e -r -d -d9 -dF --dlc=3 --fd --fd --fd --fd --brs --brs --esi --debit --debit-donnees "
             "--deb --e --es "
             "-x -- -h --erreur=ack --erreur=ack --erreur=bus:30 --erreur=recepteur:60 --erreur --tentatives "
             "--tec=130 --rec --csv --journal " +
             vcd + " " + vcd + " " + lisible + " " + illisible);
    const std::vector<std::string> valeurs = Mots("500000 3000000 8000000 1 0 15 a 0g ff"),
                                   standards = Mots("123 7EF 000 7f0 12"),
                                   etendus = Mots("1abcdef0 00000000 1FFFFFFF -1"),
                                   candumps = Mots(
                                       "123#01FF 7ef##1AABB 123#R3 12345678#00 123##2 123#0 7F0# 123##9");
    const size_t longueurs[] = {0, 1, 3, 8, 9, 12, 16, 20, 64, 65};
    std::mt19937 alea(15);
    auto un = [&alea](const std::vector<std::string>& v) { return v[alea() % v.size()]; };
    int trames = 0, fd = 0, deroulements = 0, lus = 0, candump = 0;
    for (int n = 0; n < 5000; ++n) {
        std::vector<std::string> a;
        for (auto k = alea() % 5; k > 0; --k) {
            a.push_back(un(options));
            if (alea() % 4 == 0) a.push_back(un(valeurs));
        }
        if (alea() % 10 == 0) { // a log with what goes with it
            a = {un({lisible, illisible})};
            if (alea() % 2) a.push_back("--csv");
            if (alea() % 3 == 0) a.push_back("--debit-donnees=" + un(valeurs));
        }
        auto avec = [&a](const std::string& mot) { return std::find(a.begin(), a.end(), mot) != a.end(); };
        auto journal = [&] { return avec(lisible) || avec(illisible); };
        if (!journal() || alea() % 4 == 0) {
            if (alea() % 5 == 0) {
                a.push_back(un(candumps));
            } else {
                a.push_back(un(avec("-e") == (alea() % 6 != 0) ? etendus : standards));
                a.insert(a.end(), longueurs[alea() % 10], alea() % 8 ? "5a" : un(valeurs));
            }
        }
        if (alea() % 4 == 0) a.push_back(un(options));
        SCOPED_TRACE(testing::PrintToString(a));
        const auto [statut, s, e] = Execute(a);
        std::string lu; // the last --journal before any "--" is the one read
        for (size_t i = 0; i < a.size() && a[i] != "--"; ++i)
            if (a[i].rfind("--journal", 0) == 0) lu = a[i] == "--journal" && i + 1 < a.size() ? a[++i] : a[i];
        if (statut != 2 && journal() && s.rfind("Usage:", 0) != 0) {
            ++lus;
            ASSERT_EQ(std::tuple(statut, e.empty()), std::tuple(lu == illisible ? 1 : 0, lu != illisible));
            ASSERT_EQ(s.rfind(avec("--csv") ? "horodatage;" : "Interface can0\n", 0), 0u) << s;
        } else if (statut != 0) {
            ASSERT_EQ(std::tuple(statut, s, e.rfind("varnel-trame: ", 0), e.find('\n'), d.Fichiers()),
                      std::tuple(2, "", 0u, e.size() - 1, 0));
        } else if (s.rfind("Usage:", 0) != 0) {
            ++trames;
            ASSERT_EQ(e, "");
            const std::string symboles = Champ(s, "Symboles"), duree = Champ(s, "Durée");
            const bool estFD = symboles.find_first_of("fF") != std::string::npos;
            fd += estFD;
            candump += a.back().find('#') != std::string::npos;
            ASSERT_EQ(estFD, avec("--fd") || avec("7ef##1AABB") || avec("123##2"));
            ASSERT_EQ(duree.substr(0, duree.find(" bits")), std::to_string(symboles.size() + 3));
            ASSERT_EQ(duree.find(" / ") != std::string::npos, estFD && (avec("--brs") || avec("7ef##1AABB")));
            const size_t bus = Champ(s, "Bus").size(); // --erreur: as many bit times in its four lines
            deroulements += s.find("\nBus: ") != std::string::npos;
            ASSERT_TRUE(s.find("\nBus: ") == std::string::npos || Champ(s, "Emetteur").size() +
                                                                          Champ(s, "Récepteur 1").size() +
                                                                          Champ(s, "Récepteur 2").size() ==
                                                                      3 * bus);
            ASSERT_EQ(d.Fichiers(), avec(vcd) ? 1 : 0);
            std::filesystem::remove(d / "f.vcd");
        }
    }
    EXPECT_TRUE(trames > 200 && fd > 70 && deroulements > 20 && lus > 150 && candump > 20)
        << trames << " " << fd << " " << deroulements << " " << lus << " " << candump;
}

// sigrok's CAN decoder reads the VCD back without a warning: classic frames, and FD frames base
// and extended, with and without BRS, at 1 ns and 10 ps per unit. The FD frames avoid what that
// decoder (libsigrokdecode 0.5.3) gets wrong: DLC 10, a data field ending in five equal bits,
// BRS with ESI, a fixed stuff bit followed by four equal bits. Its FD CRC spans the stuff count,
// so only the classic CRC is compared.
TEST(VCD, DecodeParSigrok) {
    if (Shell("command -v sigrok-cli").empty()) GTEST_SKIP() << "sigrok-cli absent";
    const std::string id123 = "Identifier: 291 (0x123)|",
                      id1abc = "Identifier: 1711 (0x6af)|Full Identifier: 448585456 (0x1abcdef0)|";
    const auto octets = [](int n, int pas) { // " 03 06 09 ..."
        std::string o;
        char t[4];
        for (int i = 1; i <= n; ++i) std::snprintf(t, sizeof t, " %02x", (i * pas) & 0xFF), o += t;
        return o;
    };
    const std::tuple<std::string, std::string, std::string, std::string> cas[] = {
        {"123 01 ff", "500000", id123 + "Data length code: 2|", "CRC-15 sequence: 0x27c0|"},
        {"-e 1234abcd 7f 80", "500000",
         "Identifier: 1165 (0x48d)|Full Identifier: 305441741 (0x1234abcd)|Data length code: 2|",
         "CRC-15 sequence: 0x3491|"},
        {"--fd 123 01 02 03", "500000:fast_bitrate=2000000",
         id123 + "Bit rate switch: 0|Error state indicator: 0|Data length code: 3|", ""},
        {"--fd --esi 7a5 00 11 22 33", "500000:fast_bitrate=2000000",
         "Identifier: 1957 (0x7a5)|Bit rate switch: 0|Error state indicator: 1|Data length code: 4|", ""},
        {"--fd --brs 7a5" + octets(64, 3), "500000:fast_bitrate=2000000",
         "Identifier: 1957 (0x7a5)|Bit rate switch: 1|Error state indicator: 0|Data length code: 15|", ""},
        {"--fd --esi -e 0a5a5a5a" + octets(20, 9), "500000:fast_bitrate=2000000",
         "Identifier: 662 (0x296)|Full Identifier: 173693530 (0xa5a5a5a)|Bit rate switch: 0|Error state "
         "indicator: 1|Data length code: 11|",
         ""},
        {"--fd --brs -e 1abcdef0 11 22 33 44 55 66 77 88 99 aa bb cc", "500000:fast_bitrate=2000000",
         id1abc + "Bit rate switch: 1|Error state indicator: 0|Data length code: 9|", ""},
        {"--fd --brs -e --debit 1000000 --debit-donnees 8000000 1abcdef0 11 22 33 44 55 66 77 88 99 aa bb cc",
         "1000000:fast_bitrate=8000000",
         id1abc + "Bit rate switch: 1|Error state indicator: 0|Data length code: 9|", ""},
    };
    const std::regex garde("can-1: ((Identifier:|Full Identifier|Bit rate|Error state|Data|CRC-15|CRC "
                           "delimiter|ACK|End).*|.*must.*)");
    for (const auto& [arguments, debits, entete, crc] : cas) {
        SCOPED_TRACE(arguments);
        Dossier d;
        ASSERT_EQ(std::get<0>(Execute(Mots("--vcd " + (d / "t.vcd") + " " + arguments))), 0);
        std::string attendu = entete;
        int n = 0; // the bytes: the two-digit words
        for (const std::string& m : Mots(arguments))
            if (m.size() == 2 && m[0] != '-')
                attendu += "Data byte " + std::to_string(n++) + ": 0x" + m + "|";
        const std::string s = Shell("sigrok-cli -i '" + (d / "t.vcd") +
                                    "' -I vcd -P can:can_rx=can_rx:nominal_bitrate=" + debits +
                                    ":sample_point=75 -A can=fields:warnings 2>&1; echo $?");
        std::string lu;
        for (std::sregex_iterator i(s.begin(), s.end(), garde), fin; i != fin; ++i) lu += (*i)[1].str() + "|";
        EXPECT_EQ(lu, attendu + crc + "CRC delimiter: 1|ACK slot: ACK|ACK delimiter: 1|End of frame|");
        EXPECT_EQ(s.substr(s.size() - 2), "0\n");
    }
}
