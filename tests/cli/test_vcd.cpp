#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "outils.h"

namespace {

// What a VCD says: the value changes of each named signal and the last time stamp.
struct VCD {
    std::string timescale;
    std::map<std::string, std::vector<std::pair<uint64_t, char>>> changements;
    uint64_t fin = 0;

    char Valeur(const std::string& signal, double t) const {
        char v = 'x';
        for (const auto& [instant, valeur] : changements.at(signal))
            if (static_cast<double>(instant) <= t) v = valeur;
        return v;
    }
};

VCD Decode(const std::string& texte) {
    VCD vcd;
    std::map<std::string, std::string> noms; // identifier code -> signal name
    std::istringstream in(texte);
    std::string mot;
    uint64_t maintenant = 0;
    while (in >> mot) {
        if (mot == "$timescale") {
            std::string m;
            while (in >> m && m != "$end")
                vcd.timescale += (vcd.timescale.empty() ? "" : " ") + m;
        } else if (mot == "$var") {
            std::string type, largeur, code, nom, fin;
            in >> type >> largeur >> code >> nom >> fin;
            EXPECT_EQ(largeur, "1");
            EXPECT_EQ(fin, "$end");
            noms[code] = nom;
        } else if (mot[0] == '$') {
            if (mot != "$end" && mot != "$dumpvars" && mot != "$enddefinitions" &&
                mot != "$upscope") {
                std::string m;
                while (in >> m && m != "$end") {
                }
            } else if (mot == "$enddefinitions") {
                in >> mot; // its $end
            }
        } else if (mot[0] == '#') {
            const uint64_t t = std::stoull(mot.substr(1));
            EXPECT_GE(t, maintenant) << "temps décroissant";
            maintenant = vcd.fin = t;
        } else {
            EXPECT_TRUE(mot[0] == '0' || mot[0] == '1') << mot;
            EXPECT_EQ(noms.count(mot.substr(1)), 1u) << mot;
            vcd.changements[noms[mot.substr(1)]].push_back({maintenant, mot[0]});
        }
    }
    return vcd;
}

} // namespace

TEST(VCD, RelitLaTrameDuMoteurBitABit) {
    struct Cas {
        std::vector<std::string> arguments;
        std::string id;
        bool etendue, requete;
        int dlc;
        std::vector<std::string> octets;
        uint32_t debit;
    };
    const Cas cas[] = {
        {{"123"}, "123", false, false, 0, {}, 500000},
        {{"-d", "2", "7EF", "01", "FF", "--debit", "125000"},
         "7EF",
         false,
         false,
         2,
         {"01", "FF"},
         125000},
        {{"-e", "-r", "-d", "5", "00000000", "--debit=300000"},
         "00000000",
         true,
         true,
         5,
         {},
         300000},
        {{"000", "--debit", "1000000000"}, "000", false, false, 0, {}, 1000000000},
    };
    for (const Cas& c : cas) {
        essai::Dossier d;
        const std::string f = (d.chemin / "trame.vcd").string();
        std::vector<std::string> arguments = c.arguments;
        arguments.push_back("--vcd");
        arguments.push_back(f);
        const essai::Resultat r = essai::Lance(arguments);
        ASSERT_EQ(r.statut, 0) << r.erreurs;
        const varnel::Trame t = essai::Trame_Moteur(c.id, c.etendue, c.requete, c.dlc, c.octets);
        EXPECT_EQ(r.sortie, essai::Six_Lignes(t));
        EXPECT_EQ(d.Fichiers(), std::vector<std::string>{"trame.vcd"});

        const VCD vcd = Decode(essai::Lit(f));
        EXPECT_EQ(vcd.timescale, "1 ns");
        ASSERT_EQ(vcd.changements.count("can_tx"), 1u);
        ASSERT_EQ(vcd.changements.count("can_rx"), 1u);

        // Idle, the stuffed frame, CRC delimiter, ACK slot, ACK delimiter, EOF, idle.
        const std::string tx = std::string(11, '1') + t.Trame_Stuffee + "111" + "1111111" + "111";
        std::string rx = tx;
        rx[11 + t.Trame_Stuffee.size() + 1] = '0';
        const double bit = 1e9 / c.debit;
        EXPECT_NEAR(static_cast<double>(vcd.fin), bit * static_cast<double>(tx.size()), 1.0);
        for (size_t i = 0; i < tx.size(); ++i) {
            const double milieu = (static_cast<double>(i) + 0.5) * bit;
            ASSERT_EQ(vcd.Valeur("can_tx", milieu), tx[i]) << c.id << " bit " << i;
            ASSERT_EQ(vcd.Valeur("can_rx", milieu), rx[i]) << c.id << " bit " << i;
        }
        // Every edge sits on a bit boundary (to the nanosecond).
        for (const auto& [instant, valeur] : vcd.changements.at("can_rx")) {
            const double position = static_cast<double>(instant) / bit;
            EXPECT_NEAR(position, std::round(position), 1.0 / bit + 1e-9);
        }
    }
}

TEST(VCD, RemplaceUnFichierExistant) {
    essai::Dossier d;
    const std::string f = (d.chemin / "t.vcd").string();
    std::ofstream(f) << "ancien contenu, bien plus long que rien du tout\n";
    ASSERT_EQ(essai::Lance({"123", "--vcd", f}).statut, 0);
    const std::string contenu = essai::Lit(f);
    EXPECT_EQ(contenu.rfind("$version", 0), 0u);
    EXPECT_EQ(contenu.find("ancien"), std::string::npos);
    EXPECT_EQ(d.Fichiers(), std::vector<std::string>{"t.vcd"});
}

// The CAN decoder of sigrok reads the VCD written by the real program.
TEST(VCD, DecodeParSigrok) {
    if (essai::Commande("command -v sigrok-cli >/dev/null 2>&1").statut != 0)
        GTEST_SKIP() << "sigrok-cli absent";
    struct Cas {
        std::vector<std::string> arguments;
        std::string id;
        bool etendue;
        std::vector<std::string> octets;
        std::vector<std::string> identifiant; // the decoder's identifier lines
    };
    const Cas cas[] = {
        {{"123", "01", "ff"},
         "123",
         false,
         {"01", "FF"},
         {"Identifier: 291 (0x123)", "Identifier extension bit: standard frame",
          "Reserved bit 0: 0"}},
        {{"-e", "1234abcd", "00", "7f", "80", "fe", "55", "aa", "0f", "f0"},
         "1234ABCD",
         true,
         {"00", "7F", "80", "FE", "55", "AA", "0F", "F0"},
         {"Identifier: 1165 (0x48d)", "Identifier extension bit: extended frame",
          "Extended Identifier: 43981 (0xabcd)", "Full Identifier: 305441741 (0x1234abcd)",
          "Substitute remote request: 1"}},
    };
    for (const Cas& c : cas) {
        essai::Dossier d;
        const std::string f = (d.chemin / "trame.vcd").string();
        const std::string ligne = essai::Outil() + " --vcd '" + f + "'";
        std::string args;
        for (const auto& a : c.arguments)
            args += " " + a;
        ASSERT_EQ(essai::Commande(ligne + args + " >/dev/null").statut, 0);

        const essai::Resultat s = essai::Commande(
            "sigrok-cli -i '" + f +
            "' -I vcd -P can:can_rx=can_rx:nominal_bitrate=500000 -A can=fields:warnings 2>&1");
        EXPECT_EQ(s.statut, 0) << s.sortie;

        const varnel::Trame t = essai::Trame_Moteur(c.id, c.etendue, false,
                                                    static_cast<int>(c.octets.size()), c.octets);
        std::string crc = t.Champ_CRC;
        std::transform(crc.begin(), crc.end(), crc.begin(),
                       [](unsigned char x) { return static_cast<char>(std::tolower(x)); });
        std::vector<std::string> attendu = {"Start of frame"};
        attendu.insert(attendu.end(), c.identifiant.begin(), c.identifiant.end());
        attendu.push_back("Remote transmission request: data frame");
        if (c.etendue) {
            attendu.push_back("Reserved bit 1: 0");
            attendu.push_back("Reserved bit 0: 0");
        }
        attendu.push_back("Data length code: " + std::to_string(c.octets.size()));
        for (size_t k = 0; k < c.octets.size(); ++k) {
            std::string octet = c.octets[k];
            std::transform(octet.begin(), octet.end(), octet.begin(),
                           [](unsigned char x) { return static_cast<char>(std::tolower(x)); });
            attendu.push_back("Data byte " + std::to_string(k) + ": 0x" + octet);
        }
        for (const char* l :
             {"CRC delimiter: 1", "ACK slot: ACK", "ACK delimiter: 1", "End of frame"})
            attendu.push_back(l);
        attendu.insert(attendu.end() - 4, "CRC-15 sequence: 0x" + crc);

        // Every line, in order, and nothing else: a warning would be an extra line.
        std::vector<std::string> lu;
        std::istringstream in(s.sortie);
        for (std::string l; std::getline(in, l);) {
            ASSERT_EQ(l.rfind("can-1: ", 0), 0u) << l;
            lu.push_back(l.substr(7));
        }
        EXPECT_EQ(lu, attendu) << s.sortie;
    }
}
