#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <random>
#include <string>

#include "frame/trame.h"
#include "frame/transmission.h"

using namespace varnel;

static Trame Classique(const std::string& id, bool etendue, bool requete, int dlc,
                       const std::vector<int>& octets) {
    Trame t;
    t.Bits_ID = Regle_Identifiant(id, etendue).Bits_ID;
    t.Bit_RTR = requete ? "1" : "0";
    const std::string texteDlc(1, static_cast<char>('0' + dlc));
    t.Bits_Ctrl = "00" + Hexa_Bin(texteDlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = std::bitset<8>(octets[k]).to_string();
    t.Construit_Trame(texteDlc, true);
    return t;
}

static std::string Noms(const Transmission& tr) {
    std::string s;
    for (const TempsBit& b : tr)
        if (!b.etiquette.empty()) s += b.etiquette + " ";
    return s;
}

// The names over the cells, where the stuff bits fall, and the acknowledge of the receivers.
TEST(Transmission, TrameClassiqueNommee) {
    const struct {
        Trame t;
        std::string noms;
    } cas[] = {
        {Classique("123", false, false, 2, {0x01, 0xFF}),
         "SOF ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 RTR r1 r0 DLC3 DLC2 DLC1 DLC0 d0.7 d0.0 d1.7 d1.0 "
         "CRC.14 CRC.0 CRCD ACK ACKD EOF.6 EOF.0 "},
        {Classique("00000000", true, true, 3, {}), "SOF ID28 ID27 ID26 ID25 ID24 ID23 ID22 ID21 ID20 ID19 "
                                                   "ID18 SRR IDE ID17 ID16 ID15 ID14 ID13 ID12 ID11 "
                                                   "ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 RTR r1 r0 "
                                                   "DLC3 DLC2 DLC1 DLC0 CRC.14 CRC.0 CRCD ACK ACKD "
                                                   "EOF.6 EOF.0 "},
    };
    for (const auto& [t, noms] : cas) {
        const Transmission tr = Transmission_Classique(t);
        EXPECT_EQ(Noms(tr), noms);
        EXPECT_EQ(Symboles(tr), t.TrameDR);
        ASSERT_EQ(tr.size(), std::stoul(t.Text2) + 1);
        for (const TempsBit& b : tr) {
            EXPECT_EQ(b.phase, Phase::Nominale);
            if (b.genre == Genre::Stuff) { EXPECT_EQ(b.etiquette, "") << noms; }
            const bool ack = b.champ == Champ::ACK;
            EXPECT_EQ(std::string() + b.recepteur1 + b.recepteur2 + b.bus,
                      ack ? "000" : std::string("11") + b.emetteur);
        }
    }
}

// Over random frames the sequence is the stuffed frame and its annotation, letter for letter.
TEST(Transmission, TramesAuHasard) {
    std::mt19937 alea(11);
    for (int n = 0; n < 300; ++n) {
        const bool etendue = alea() % 2, requete = alea() % 4 == 0;
        const int dlc = static_cast<int>(alea() % 9);
        char id[9];
        std::snprintf(id, sizeof id, etendue ? "%08X" : "%03X",
                      static_cast<unsigned>(alea() % (etendue ? 0x1F000000u : 0x7F0u)));
        std::vector<int> octets;
        for (int k = 0; k < (requete ? 0 : dlc); ++k)
            octets.push_back(static_cast<int>(alea() % 4 ? 0 : alea() % 256));
        const Trame t = Classique(id, etendue, requete, dlc, octets);
        const Transmission tr = Transmission_Classique(t);
        std::string emis;
        for (const TempsBit& b : tr) emis += b.emetteur;
        ASSERT_EQ(emis, t.Trame_Bin_Stuf + "1") << id; // the ACK slot is the one more bit
        ASSERT_EQ(Symboles(tr), t.TrameDR) << id;
    }
}

// Durations by hand: 48 bits at 500 kbit/s are 96 µs; a frame of 20 nominal bits, 30 of a
// data phase and 13 nominal ones at 500 k / 2 M: BRS three nominal quarters and one fast,
// the CRC delimiter one nominal quarter and three fast, so (19 + 12 + 0,75 + 0,25) µs * 2
// and (30 + 0,25 + 0,75) / 2 µs; rates that do not divide a nanosecond round to the nearest.
TEST(Transmission, Durees) {
    const struct {
        Quarts q;
        uint32_t debit, donnees;
        uint64_t ns;
    } cas[] = {
        {Duree_Phases(48, 0, 0), 500000, 2000000, 96000},
        {Duree_Phases(20, 30, 13), 500000, 2000000, 64000 + 15500},
        {Duree_Phases(20, 30, 13), 500000, 500000, 63 * 2000},
        {Duree_Phases(1, 0, 0), 3000000, 0, 333},           // 333,33 ns
        {Duree_Phases(2, 0, 0), 3000000, 0, 667},           // 666,67 ns
        {{2, 0}, 1000000000, 0, 1},                         // half a nanosecond rounds up
        {Duree_Phases(1, 1, 1), 1, 1000000000, 1000000002}, // 0,75 + 0,25 s, then 2 fast bits
        {{4, 0}, 0, 1000, 0},
    };
    for (const auto& c : cas) EXPECT_EQ(Nanosecondes(c.q, c.debit, c.donnees), c.ns) << c.q.nominaux;
    const Quarts q = Duree_Phases(20, 30, 13);
    EXPECT_EQ(q.nominaux, 4u * 31 + 3 + 1);
    EXPECT_EQ(q.rapides, 4u * 30 + 1 + 3);
}
