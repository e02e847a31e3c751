#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "frame/trame.h"

using namespace varnel;

// A frame built as the editor builds it from typed hexadecimal fields (test_transmission.cpp too).
Trame Construit(const std::string& id, bool etendue, bool requete, const std::string& dlc,
                const std::vector<std::string>& octets = {}) {
    Trame t;
    t.Bits_ID = Regle_Identifiant(id, etendue).Bits_ID;
    t.Bit_RTR = requete ? "1" : "0";
    t.Bits_Ctrl = "00" + Hexa_Bin(dlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = Hexa_Bin(octets[k]);
    EXPECT_TRUE(t.Construit_Trame(dlc, true)) << id;
    return t;
}

TEST(Conversions, CasLimites) {
    EXPECT_EQ(Hexa_Bin("0123456789ABCDEF"),
              "0000000100100011010001010110011110001001101010111100110111101111");
    EXPECT_EQ(Hexa_Bin("1a"), "0001"); // lower case is not a digit here
    EXPECT_EQ(std::vector<int>({Val_Hexa(""), Val_Hexa("a"), Val_Hexa("FFFFFFFF")}),
              std::vector<int>({0, 10, -1}));
    EXPECT_DOUBLE_EQ(Hexa_Num("4599"), 17817);
    EXPECT_EQ(Bin_Num("") + " " + Bin_Num(std::string(32, '1')), "0 4294967295");
    EXPECT_EQ(Num_Bin(0) + Num_Bin(-3) + Num_Bin(0.5), "");
    // Every 16-bit value, including the powers of two where a rounded logarithm is off by one.
    for (uint32_t v = 1; v <= 65535; ++v) {
        const std::string b = std::bitset<16>(v).to_string();
        ASSERT_EQ(Num_Bin(v), b.substr(b.find('1'))) << v;
    }
    EXPECT_EQ(Num_Bin(536870912.0), "1" + std::string(29, '0'));
}

// Eight digits: extended. Accepted identifiers are checked bit by bit in the frames below.
TEST(Identifiant, Regles) {
    using E = RegleIdentifiant::Etat;
    using R = RegleIdentifiant::Refus;
    const std::tuple<std::string, E, R> cas[] = {{"", E::Vide, R::Aucun},
                                                 {"12G", E::Incomplet, R::Aucun},
                                                 {"7F0", E::Refuse, R::SeptRecessifs},
                                                 {"800", E::Refuse, R::PremierChiffre},
                                                 {"1FBFFFFF", E::Valide, R::Aucun},
                                                 {"20000000", E::Refuse, R::PremierChiffre}};
    for (const auto& [texte, etat, refus] : cas) {
        const RegleIdentifiant r = Regle_Identifiant(texte, texte.size() == 8);
        EXPECT_EQ(std::make_tuple(r.etat, r.refus, r.Bits_ID.empty()),
                  std::make_tuple(etat, refus, etat != E::Valide))
            << texte;
    }
    std::mt19937 alea(20261206); // accepted identifiers of both formats, bit for bit
    for (int n = 0; n < 500; ++n) {
        const bool e = alea() % 2;
        const uint32_t id = static_cast<uint32_t>(alea() % (e ? 0x1FC00000u : 0x7F0u));
        char texte[9];
        std::snprintf(texte, sizeof texte, e ? "%08X" : "%03X", id);
        const std::string b = std::bitset<29>(id).to_string();
        ASSERT_EQ(Regle_Identifiant(texte, e).Bits_ID,
                  e ? b.substr(0, 11) + " 11 " + b.substr(11) : b.substr(18))
            << texte;
    }
}

TEST(Assemblage, ExemplesDeReference) {
    const std::pair<Trame, std::string> cas[] = {
        {Construit("123", false, false, "0"), "0 00100100011 0 000000 110100001011000 11 1111111|43|6858|"
                                              "00010010001100000100110100001011000111111111|44|"
                                              "DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr"},
        {Construit("7EF", false, false, "2", {"01", "FF"}),
         "0 11111101111 0 000010 00000001 11111111 001100101110110 11 1111111|59|1976|"
         "011111010111100000110000010001111101111001100101110110111111111|63|"
         "DrrrrrsrDrrrrDDDDDSrDDDDDSDDDrrrrrsrrrrDDrrDDrDrrrDrrDrrrrrrrrrr"},
        {Construit("000", false, false, "0"), // all zero: a stuff bit every five bits
         "0 00000000000 0 000000 000000000000000 11 1111111|43|0|"
         "0000010000010000010000010000010000010000111111111|49|"
         "DDDDDSDDDDDSDDDDDSDDDDDSDDDDDSDDDDDSDDDDrrrrrrrrrr"},
        {Construit("123", false, true, "2"), // remote frame: DLC 2, no data, blanks of the bytes
         "0 00100100011 1 000010   101010100110110 11 1111111|43|5536|"
         "0001001000111000010101010100110110111111111|43|"
         "DDDrDDrDDDrrrDDDDrDrDrDrDrDDrrDrrDrrrrrrrrrr"},
        {Construit("12345678", true, false, "0"),
         "0 10010001101 11 000101011001111000 0 000000 110110010010111 11 1111111|63|6C97|"
         "01001000110111000101011001111000001000001110110010010111111111111|65|"
         "DrDDrDDDrrDrrrDDDrDrDrrDDrrrrDDDDDSDDDDDSrrDrrDDrDDrDrrrrrrrrrrrrr"},
        {Construit("123", false, false, ""), // empty DLC box: start bit, two blanks, its CRC
         "0  000000000000000 11 1111111|25|0|0000010000010000010111111111|28|"
         "DDDDDSDDDDDSDDDDDSDrrrrrrrrrr"},
    };
    for (const auto& [t, attendu] : cas)
        EXPECT_EQ(t.Trame_Bin + "|" + t.Text1 + "|" + t.Champ_CRC + "|" + t.Trame_Bin_Stuf + "|" + t.Text2 +
                      "|" + t.TrameDR,
                  attendu);
}
