#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/varnel_trame.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "outils.h"

using varnel::Construit_Trame_FD;
using varnel::Regle_Identifiant;
using varnel::SaisieFD;
using varnel::TrameFD;
using varnel::Varnel_Trame;

TEST(Sortie, TrameFD) {
    EXPECT_EQ(
        Lance({"--fd", "--brs", "042", "00", "01", "02", "03", "04", "05", "06", "07"}),
        "Trame brute: 0 00001000010 0 010101000 00000000 00000001 00000010 00000011 00000100 00000101 "
        "00000110 00000111 0110 11011011101111111 11 1111111\n"
        "Nb bits: 116\n"
        "CRC: 1B77F\n"
        "Trame stuffée: 000001100001000101010000010000010000010001000001010000010011000001100000100101000"
        "001110000010111001101110101011010110111101111111111\n"
        "Nb bits stuffée: 132\n"
        "Symboles: "
        "DDDDDSrDDDDrDDDrDrDrDDDDDSDDDDDSDDDDDSDDDrDDDDDSDrDDDDDSDDrrDDDDDSrDDDDDSDDrDrDDDDDSrrDDDDDSD"
        "rrrfDrrDFrrDrfrDrrfrDrrfrrrrfrrrrrrrrrrr\n"
        "0\n");
}

static std::vector<std::string> Avec(std::vector<std::string> a, size_t n, const std::string& octet) {
    a.insert(a.end(), n, octet);
    return a;
}

static std::string Id(const std::string& texte) {
    return Regle_Identifiant(texte, texte.size() == 8).Bits_ID;
}

// The options reach the engine: identifier, format, flags, DLC in decimal or as one
// hexadecimal digit, or from the byte count.
TEST(Sortie, OptionsFD) {
    using O = std::vector<uint8_t>;
    const std::pair<std::vector<std::string>, SaisieFD> cas[] = {
        {{"--fd", "123"}, {Id("123"), false, false, 0, {}}},
        {{"--fd", "--esi", "-d", "1", "7ef", "ab"}, {Id("7EF"), false, true, 1, {0xAB}}},
        {Avec({"--fd", "-d9", "123"}, 12, "a5"), {Id("123"), false, false, 9, O(12, 0xA5)}},
        {Avec({"--fd", "--dlc=c", "123"}, 24, "00"), {Id("123"), false, false, 12, O(24, 0)}},
        {Avec({"--fd", "-e", "--brs", "--esi", "-dF", "1abcdef0"}, 64, "FF"),
         {Id("1ABCDEF0"), true, true, 15, O(64, 0xFF)}},
        {Avec({"-e", "00000000", "--fd"}, 20, "5a"), {Id("00000000"), false, false, 11, O(20, 0x5A)}},
        {Avec({"--brs", "321", "--fd", "-d", "08"}, 8, "01"), {Id("321"), true, false, 8, O(8, 1)}},
    };
    for (const auto& [arguments, saisie] : cas) {
        std::ostringstream sortie, erreurs;
        EXPECT_EQ(Varnel_Trame(arguments, sortie, erreurs), 0) << erreurs.str();
        const TrameFD t = Construit_Trame_FD(saisie);
        EXPECT_EQ(sortie.str(), "Trame brute: " + t.Trame_Bin + "\nNb bits: " + t.Text1 +
                                    "\nCRC: " + t.Champ_CRC + "\nTrame stuffée: " + t.Trame_Bin_Stuf +
                                    "\nNb bits stuffée: " + t.Text2 + "\nSymboles: " + t.TrameDR + "\n");
    }
}

// A VCD read back with its own clock: the time unit, and each signal's changes in order.
struct Chronogramme {
    std::string echelle;
    uint64_t unitesParSeconde = 0;
    std::map<std::string, std::map<uint64_t, char>> changements; // signal -> time -> level
    uint64_t fin = 0;
    bool ordonne = true; // every timestamp later than the one before
    explicit Chronogramme(const std::string& chemin) {
        const std::map<std::string, uint64_t> echelles = {
            {"1 ns", 1000000000ull},      {"100 ps", 10000000000ull},    {"10 ps", 100000000000ull},
            {"1 ps", 1000000000000ull},   {"100 fs", 10000000000000ull}, {"10 fs", 100000000000000ull},
            {"1 fs", 1000000000000000ull}};
        std::map<std::string, std::string> noms;
        std::ifstream in(chemin);
        bool premier = true;
        for (std::string mot, type, largeur, code; in >> mot;) {
            if (mot == "$timescale") {
                std::string e, u;
                in >> e >> u;
                echelle = e + " " + u;
                unitesParSeconde = echelles.count(echelle) ? echelles.at(echelle) : 0;
            } else if (mot == "$var" && in >> type >> largeur >> code) {
                in >> noms[code];
            } else if (mot[0] == '#') {
                const uint64_t t = std::stoull(mot.substr(1));
                ordonne = ordonne && (premier || t > fin);
                premier = false;
                fin = t;
            } else if ((mot[0] == '0' || mot[0] == '1') && noms.count(mot.substr(1))) {
                changements[noms[mot.substr(1)]][fin] = mot[0];
            }
        }
    }
    char Niveau(const std::string& signal, uint64_t t) const {
        const auto& c = changements.at(signal);
        auto it = c.upper_bound(t);
        return it == c.begin() ? 'x' : (--it)->second;
    }
};

// Two bit rates: the nominal one outside the data phase, the data one from the bit after
// BRS to the last CRC bit; BRS lasts three quarters of a nominal bit and one of a data bit,
// the CRC delimiter three quarters of a data bit and one of a nominal bit. Every edge is
// checked at the unit it falls on, in the coarsest exact unit, with no timestamp going
// backwards, even at the extreme accepted rates.
TEST(VCD, DeuxDebits) {
    const std::tuple<std::vector<std::string>, bool, uint64_t, uint64_t, std::string> cas[] = {
        {{"--fd", "--brs", "042", "00", "01", "02", "03", "04", "05", "06", "07"},
         false,
         500000,
         2000000,
         "1 ns"},
        {Avec({"-e", "--fd", "--brs", "--debit", "1000000", "--debit-donnees", "8000000", "1abcdef0"}, 12,
              "3c"),
         true, 1000000, 8000000, "10 ps"},
        {{"--fd", "--brs", "--esi", "--debit=1", "--debit-donnees=1000000000", "7ef", "00"},
         false,
         1,
         1000000000,
         "10 ps"},
        {Avec({"--fd", "--brs", "--debit=8192", "--debit-donnees=8192", "-e", "00000000"}, 64, "00"), true,
         8192, 8192, "1 fs"},
        {{"--fd", "--brs", "--debit=125000", "--debit-donnees=125000", "000"}, false, 125000, 125000, "1 ns"},
    };
    for (auto [arguments, etendue, debit, donnees, echelle] : cas) {
        SCOPED_TRACE(echelle + " " + std::to_string(debit) + " / " + std::to_string(donnees));
        Dossier d;
        const std::string f = (d.chemin / "fd.vcd").string();
        arguments.insert(arguments.end(), {"--vcd", f});
        const std::string r = Lance(arguments);
        ASSERT_EQ(r.substr(r.size() - 2), "0\n") << r;
        const Chronogramme c(f);
        ASSERT_EQ(c.echelle, echelle);
        ASSERT_GT(c.unitesParSeconde, 0u);
        const std::string stuffee = Champ(r, "Trame stuffée"), symboles = Champ(r, "Symboles");
        const std::string emis = stuffee.substr(0, stuffee.size() - 9);
        size_t brs = 0;
        for (int trame = 0; trame < (etendue ? 36 : 17); ++brs) // BRS: frame bit 16 or 35
            trame += symboles[brs] == 'D' || symboles[brs] == 'r';
        --brs;
        const uint64_t nominal = c.unitesParSeconde / debit, rapide = c.unitesParSeconde / donnees;
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
            for (const uint64_t instant : {t, t + duree - 1}) {
                ASSERT_EQ(c.Niveau("can_tx", instant), tx[i]) << "bit " << i << " à " << instant;
                ASSERT_EQ(c.Niveau("can_rx", instant), rx[i]) << "bit " << i << " à " << instant;
            }
            t += duree;
        }
        EXPECT_EQ(c.fin, t);
        EXPECT_TRUE(c.ordonne);
    }
}

// One bit rate only (a classic frame, an FD frame without BRS): 1 ns per unit, each edge
// at the nearest nanosecond of its exact time, whatever the rate, the data rate unused.
TEST(VCD, UnDebitArrondi) {
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"123", "01"}, {"--fd", "--debit-donnees", "3000000", "123", "01"}}) {
        Dossier d;
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--debit", "300000", "--vcd", (d.chemin / "f.vcd").string()});
        ASSERT_EQ(Lance(arguments).substr(0, 12), "Trame brute:");
        const Chronogramme c((d.chemin / "f.vcd").string());
        EXPECT_EQ(c.echelle, "1 ns");
        EXPECT_TRUE(c.ordonne);
        for (const auto& [instant, niveau] : c.changements.at("can_tx")) {
            const uint64_t bit = (instant * 3 + 5000) / 10000; // 300000 bit/s: 10000 / 3 ns per bit
            EXPECT_EQ(instant, (bit * 10000 + 1) / 3) << "bit " << bit;
        }
    }
}

// sigrok's CAN decoder reads the FD frames back, base and extended, with and without BRS,
// at 1 ns and at 10 ps per unit, without a warning. Its CRC value spans the stuff count
// and the fixed stuff bits, so it is not compared. The frames avoid what that decoder
// (libsigrokdecode 0.5.3) gets wrong: DLC 10 (read as CRC-21), a data field ending in
// five equal bits, BRS with ESI both recessive, and, seen here, a fixed stuff bit
// followed by four bits equal to it in the first 17 bits after the data, whose next
// fixed stuff bit it drops as a dynamic one (e.g. -e 0A5A5A5A --esi with the 20 bytes
// 07 0E .. 8C).
TEST(VCD, FDDecodeParSigrok) {
    if (Shell("command -v sigrok-cli").empty()) GTEST_SKIP() << "sigrok-cli absent";
    auto octets = [](int n, int pas) {
        std::vector<std::string> o;
        char t[3];
        for (int i = 1; i <= n; ++i) std::snprintf(t, sizeof t, "%02x", (i * pas) & 0xFF), o.push_back(t);
        return o;
    };
    const struct {
        std::string options, id;
        std::vector<std::string> octets;
        int dlc;
        bool brs, esi;
        std::string nominal = "500000", rapide = "2000000";
    } cas[] = {
        {"--fd", "123", octets(3, 1), 3, false, false},
        {"--fd --brs", "7a5", octets(64, 3), 15, true, false},
        {"--fd --brs -e", "1abcdef0", octets(12, 17), 9, true, false},
        {"--fd --esi -e", "0a5a5a5a", octets(20, 9), 11, false, true},
        {"--fd --brs -e --debit 1000000 --debit-donnees 8000000", "1abcdef0", octets(12, 17), 9, true, false,
         "1000000", "8000000"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.options + " " + c.id);
        Dossier d;
        const std::string f = (d.chemin / "fd.vcd").string();
        std::string ligne = VARNEL_BUILD_DIR "/varnel-trame --vcd '" + f + "' " + c.options + " " + c.id;
        for (const std::string& o : c.octets) ligne += " " + o;
        Shell(ligne);
        const std::string s =
            Shell("sigrok-cli -i '" + f + "' -I vcd -P can:can_rx=can_rx:nominal_bitrate=" + c.nominal +
                  ":fast_bitrate=" + c.rapide + ":sample_point=75 -A can=fields:warnings 2>&1; echo $?");
        // The identifier, flags, DLC, bytes and tail; any warning ("... must ...") too.
        const unsigned long id = std::stoul(c.id, nullptr, 16);
        auto valeur = [](unsigned long v) {
            char t[32];
            std::snprintf(t, sizeof t, "%lu (0x%lx)", v, v);
            return std::string(t);
        };
        std::string attendu = "Identifier: " + valeur(c.id.size() == 8 ? id >> 18 : id) + "|" +
                              (c.id.size() == 8 ? "Full Identifier: " + valeur(id) + "|" : "") +
                              "Bit rate switch: " + (c.brs ? "1" : "0") +
                              "|Error state indicator: " + (c.esi ? "1" : "0") +
                              "|Data length code: " + std::to_string(c.dlc) + "|";
        for (size_t k = 0; k < c.octets.size(); ++k)
            attendu += "Data byte " + std::to_string(k) + ": 0x" + c.octets[k] + "|";
        attendu += "CRC delimiter: 1|ACK slot: ACK|ACK delimiter: 1|End of frame|0";
        const std::regex garde(
            "can-1: ((Identifier:|Full Identifier|Bit rate|Error state|Data|CRC delimiter|ACK|"
            "End).*|.*must.*)|[0-9]+");
        std::string lu;
        std::istringstream lignes(s);
        for (std::string l; std::getline(lignes, l);)
            if (std::regex_match(l, garde)) lu += (lu.empty() ? "" : "|") + l.substr(l[0] == 'c' ? 7 : 0);
        EXPECT_EQ(lu, attendu);
    }
}

// Random argument lists, in-process: either the six lines, consistent with each other, and
// the VCD when asked; or one refusal line, nothing on stdout and no file.
TEST(Options, ArgumentsAuHasard) {
    Dossier d;
    const std::string vcd = "--vcd=" + (d.chemin / "f.vcd").string();
    // Mostly sensible words, so that many lists go through; a few wrong ones.
    const std::vector<std::string> avecErreur = {"--erreur=ack", "--erreur=bus:30", "--erreur=recepteur:60",
                                                 "--erreur",     "--tentatives",    "--tec=130",
                                                 "--rec"};
    std::vector<std::string> options = {
        "-e",    "-e",   "-r",   "-d",    "-d9",   "-dF",   "--dlc=3", "--fd",
        "--fd",  "--fd", "--fd", "--brs", "--brs", "--esi", "--debit", "--debit-donnees",
        "--deb", "--e",  "--es", "-x",    "--",    "-h",    vcd,       vcd};
    options.insert(options.end(), avecErreur.begin(), avecErreur.end());
    const std::vector<std::string> valeurs = {"500000", "3000000", "8000000", "1", "0",
                                              "15",     "a",       "0g",      "ff"},
                                   standards = {"123", "7EF", "000", "7f0", "12"},
                                   etendus = {"1abcdef0", "00000000", "1FFFFFFF", "-1"};
    const size_t longueurs[] = {0, 1, 3, 8, 9, 12, 16, 20, 64, 65};
    std::mt19937 alea(15);
    auto un = [&alea](const std::vector<std::string>& v) { return v[alea() % v.size()]; };
    int reussies = 0, fd = 0, deroulements = 0;
    for (int n = 0; n < 5000; ++n) {
        std::vector<std::string> arguments;
        for (int k = static_cast<int>(alea() % 5); k > 0; --k) {
            arguments.push_back(un(options));
            if (alea() % 4 == 0) arguments.push_back(un(valeurs));
        }
        const bool etendue = std::find(arguments.begin(), arguments.end(), "-e") != arguments.end();
        arguments.push_back(un(etendue == (alea() % 6 != 0) ? etendus : standards));
        arguments.insert(arguments.end(), longueurs[alea() % 10], alea() % 8 ? "5a" : un(valeurs));
        if (alea() % 4 == 0) arguments.push_back(un(options));
        std::string texte;
        for (const std::string& a : arguments) texte += a + " ";
        SCOPED_TRACE(texte);
        std::ostringstream sortie, erreurs;
        const int statut = Varnel_Trame(arguments, sortie, erreurs);
        const std::string s = sortie.str(), e = erreurs.str();
        if (statut != 0) {
            ASSERT_EQ(statut, 2);
            ASSERT_EQ(s, "");
            ASSERT_EQ(e.rfind("varnel-trame: ", 0), 0u);
            ASSERT_EQ(e.find('\n'), e.size() - 1);
            ASSERT_EQ(d.Fichiers(), 0);
            continue;
        }
        ASSERT_EQ(e, "");
        if (s.rfind("Usage:", 0) == 0) continue;
        ++reussies;
        std::string brute = Champ(s, "Trame brute");
        const std::string stuffee = Champ(s, "Trame stuffée"), symboles = Champ(s, "Symboles");
        const std::string crc = brute.substr(0, brute.size() - 11);
        brute.erase(std::remove(brute.begin(), brute.end(), ' '), brute.end());
        ASSERT_EQ(Champ(s, "Nb bits"), std::to_string(brute.size()));
        ASSERT_EQ(Champ(s, "Nb bits stuffée"), std::to_string(stuffee.size()));
        ASSERT_EQ(symboles.size(), stuffee.size() + 1);
        for (size_t i = 0; i < stuffee.size(); ++i)
            ASSERT_EQ(stuffee[i] == '0', std::string("Dsf").find(symboles[i]) != std::string::npos) << i;
        ASSERT_EQ(std::stoul(crc.substr(crc.rfind(' ') + 1), nullptr, 2),
                  std::stoul(Champ(s, "CRC"), nullptr, 16));
        const bool estFD = symboles.find_first_of("fF") != std::string::npos;
        fd += estFD;
        ASSERT_EQ(estFD, std::find(arguments.begin(), arguments.end(), "--fd") != arguments.end());
        // With --erreur, the run: as many bit times in each of its four lines.
        if (s.find("\nBus: ") != std::string::npos) {
            ++deroulements;
            const size_t bits = Champ(s, "Bus").size();
            ASSERT_EQ(Champ(s, "Emetteur").size() + Champ(s, "Récepteur 1").size() +
                          Champ(s, "Récepteur 2").size(),
                      3 * bits);
            ASSERT_EQ(Champ(s, "Etats").rfind("émetteur ", 0), 0u);
        }
        const bool avecVCD = std::find(arguments.begin(), arguments.end(), vcd) != arguments.end();
        ASSERT_EQ(d.Fichiers(), avecVCD ? 1 : 0);
        if (avecVCD) std::filesystem::remove(d.chemin / "f.vcd");
    }
    EXPECT_GT(reussies, 200);
    EXPECT_GT(fd, 70);
    EXPECT_GT(deroulements, 20);
}
