#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "frame/trame.h"
#include "frame/trame_fd.h"

using namespace varnel;

// Also used by test_transmission.cpp.
TrameFD FD(const std::string& id, bool brs, bool esi, int dlc, const std::vector<uint8_t>& octets) {
    return Construit_Trame_FD({Regle_Identifiant(id, id.size() == 8).Bits_ID, brs, esi, dlc, octets});
}

// The worked frames of the reference, bit for bit as the bus carries them ("[x]" a dynamic
// stuff bit, "{x}" a fixed one), with their stuff count, CRC and raw length.
TEST(TrameFD, TramesDeReference) {
    const std::vector<uint8_t> huit = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::tuple<TrameFD, std::string, std::string> cas[] = {
        {FD("042", false, false, 8, huit), "10 B59A 116",
         "00000[1]1000010001000100000[1]00000[1]00000[1]000100000[1]0100000[1]001100000[1]100000[1]00101"
         "00000[1]1100000[1]0111{0}0110{1}0101{0}1010{1}1100{1}1101{0}01011111111"},
        {FD("042", true, false, 8, huit), "10 1B77F 116", ""}, // BRS is CRC input
        {FD("000", false, false, 0, {}), "3 72BF 52",
         "00000[1]00000[1]0000100000[1]00{1}0101{0}0011{0}1001{0}0101{0}1111{0}11011111111"},
        // The stuff-count exception: the data end in five 1s, no stuff bit, none counted.
        {FD("100", false, false, 1, {0x1F}), "3 9312 60",
         "000100000[1]00000[1]100000[1]0100011111{0}0101{0}0100{1}1001{0}1000{1}1001{0}01011111111"},
    };
    for (const auto& [t, attendu, bus] : cas) {
        std::string lu;
        for (const TempsBit& b : t.Bits)
            lu += b.genre == Genre::Stuff       ? std::string("[") + b.bus + "]"
                  : b.genre == Genre::StuffFixe ? std::string("{") + b.bus + "}"
                                                : std::string(1, b.bus);
        EXPECT_EQ(std::to_string(t.Nb_Stuff) + " " + t.Champ_CRC + " " + t.Text1 + " " +
                      (bus.empty() ? "" : lu),
                  attendu + " " + bus);
    }
    EXPECT_EQ(std::get<0>(cas[0]).Trame_Bin,
              "0 00001000010 0 010001000 00000000 00000001 00000010 00000011 00000100 00000101 "
              "00000110 00000111 0110 01011010110011010 11 1111111");
}

// DLC and data length both ways; a bad identifier or DLC gives an empty frame.
TEST(TrameFD, LongueursEtSaisiesRefusees) {
    const int longueurs[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 20, 24, 32, 48, 64};
    for (int dlc = 0; dlc <= 15; ++dlc) {
        EXPECT_EQ(Longueur_FD(dlc), longueurs[dlc]);
        EXPECT_EQ(DLC_FD(static_cast<size_t>(longueurs[dlc])), dlc);
    }
    for (const int dlc : {-1, 16}) EXPECT_EQ(Longueur_FD(dlc), -1);
    for (const size_t n : {9, 13, 63, 65}) EXPECT_EQ(DLC_FD(n), -1);
    for (const TrameFD& t : {FD("123", false, false, 16, {}), FD("12", false, false, 0, {}),
                             Construit_Trame_FD({"0000000000 ", false, false, 0, {}}),
                             Construit_Trame_FD({"00000000000 00 000000000000000000", false, false, 0, {}})})
        EXPECT_EQ(t.Trame_Bin + t.Text1 + t.Champ_CRC + t.Trame_Bin_Stuf + t.Text2 + t.TrameDR +
                      std::to_string(t.Bits.size()),
                  "0");
}

// Five equal bits that end the data, or DLC0 without data, get no dynamic stuff bit: the
// first fixed one follows. Earlier, they do.
TEST(TrameFD, FinDuStuffingDynamique) {
    const std::pair<TrameFD, std::string> cas[] = {
        {FD("100", false, false, 1, {0x3E}), "DDrrrrrsDF"}, // DLC0, then 00111110
        {FD("7E0", true, false, 0, {}), "rDrDDDDDF"},       // FDF res BRS ESI DLC
        {FD("7E0", false, true, 0, {}), "rDDrDDDDF"},
        {FD("7E0", false, false, 0, {}), "rDDDDDSDDF"},
    };
    for (const auto& [t, fin] : cas)
        EXPECT_EQ(t.TrameDR.substr(t.TrameDR.find_first_of("fF") + 1 - fin.size(), fin.size()), fin);
}
