#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "frame/transmission.h"

using namespace varnel;

// Frames built as the editors build them (test_trame.cpp, test_trame_fd.cpp).
Trame Construit(const std::string& id, bool etendue, bool requete, const std::string& dlc,
                const std::vector<std::string>& octets = {});
TrameFD FD(const std::string& id, bool brs, bool esi, int dlc, const std::vector<uint8_t>& octets);

// Names over the cells (none on stuff bits), the field of each bit (a stuff bit in that of the bit
// before), the fast phase from the bit after BRS to the last CRC bit, the receivers' acknowledge.
TEST(Transmission, NomsChampsEtPhases) {
    const std::string base = "0iiiiiiiiiiiRIFrBEllll";
    const std::string std = "SOF ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 ";
    const std::string ext =
        "SOF ID28 ID27 ID26 ID25 ID24 ID23 ID22 ID21 ID20 ID19 ID18 SRR IDE ID17 ID16 ID15 ID14 "
        "ID13 ID12 ID11 ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 ";
    const std::tuple<Transmission, bool, std::string, std::string> cas[] = {
        {Transmission_Classique(Construit("123", false, false, "2", {"01", "FF"})), false,
         std + "RTR r1 r0 DLC3 DLC2 DLC1 DLC0 d0.7 d0.0 d1.7 d1.0 CRC.14 CRC.0 ",
         "0iiiiiiiiiiiTrrllll" + std::string(16, 'd') + std::string(15, 'C')},
        {Transmission_Classique(Construit("00000000", true, true, "3")), false,
         ext + "RTR r1 r0 DLC3 DLC2 DLC1 DLC0 CRC.14 CRC.0 ",
         "0iiiiiiiiiiiSIiiiiiiiiiiiiiiiiiiTrrllll" + std::string(15, 'C')},
        {FD("000", true, false, 2, {0x00, 0xFF}).Bits, true,
         std + "RRS IDE FDF res BRS ESI DLC3 DLC2 DLC1 DLC0 d0.7 d0.0 d1.7 d1.0 SC2 SC1 SC0 P CRC.16 CRC.0 ",
         base + std::string(16, 'd') + "nnnn" + std::string(17, 'C')},
        {FD("00000000", false, true, 15, {0x12}).Bits, false,
         ext + "RRS FDF res BRS ESI DLC3 DLC2 DLC1 DLC0 d0.7 d0.0 SC2 SC1 SC0 P CRC.20 CRC.0 ",
         "0iiiiiiiiiiiSIiiiiiiiiiiiiiiiiiiRFrBEllll" + std::string(8, 'd') + "nnnn" + std::string(21, 'C')},
        {FD("7E0", true, true, 1, {}).Bits, true, "", base + "nnnn" + std::string(17, 'C')},
    };
    for (const auto& [bits, brs, noms, champs] : cas) {
        SCOPED_TRACE(champs);
        std::string lus, etiquettes;
        bool rapide = false;
        for (size_t i = 0; i < bits.size(); ++i) {
            const TempsBit& b = bits[i];
            if (!b.etiquette.empty()) etiquettes += b.etiquette + " ";
            EXPECT_TRUE(!Est_Stuff(b.genre) || (b.champ == bits[i - 1].champ && b.etiquette.empty())) << i;
            if (!Est_Stuff(b.genre))
                lus += "-0iSITRFrBEldnCcake"[static_cast<int>(b.champ)]; // as Champ lists them
            rapide = rapide && b.champ != Champ::DelimiteurCRC;
            EXPECT_EQ(b.phase == Phase::Donnees, rapide) << i;
            rapide = rapide || (brs && b.champ == Champ::BRS);
            EXPECT_EQ(std::string() + b.recepteur1 + b.recepteur2 + b.bus,
                      b.champ == Champ::ACK ? "000" : std::string("11") + b.emetteur);
        }
        EXPECT_EQ(lus, champs + "cakeeeeeee"); // CRC delimiter, ACK, ACK delimiter, EOF
        if (!noms.empty()) { EXPECT_EQ(etiquettes, noms + "CRCD ACK ACKD EOF.6 EOF.0 "); }
    }
}

// Durations by hand. 20 nominal bits, 30 fast, 13 nominal at 500 k / 2 M: BRS has three nominal
// quarters and one fast, the CRC delimiter the other way round: (31 + 1) * 2 µs + 31 / 2 µs.
TEST(Transmission, Durees) {
    const std::tuple<Quarts, uint32_t, uint32_t, uint64_t> cas[] = {
        {Duree_Phases(20, 30, 13), 500000, 2000000, 64000 + 15500},
        {Duree_Phases(20, 30, 13), 500000, 500000, 63 * 2000},
        {Duree_Phases(1, 0, 0), 3000000, 0, 333},           // 333,33 ns
        {Duree_Phases(2, 0, 0), 3000000, 0, 667},           // 666,67 ns
        {{2, 0}, 1000000000, 0, 1},                         // half a nanosecond rounds up
        {Duree_Phases(1, 1, 1), 1, 1000000000, 1000000002}, // 0,75 + 0,25 s, then 2 fast bits
        {{4, 0}, 0, 1000, 0},
    };
    for (const auto& [q, debit, donnees, ns] : cas)
        EXPECT_EQ(Nanosecondes(q, debit, donnees), ns) << q.nominaux;
}
