#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "frame/trame.h"

using namespace varnel;

namespace {

// A frame built as the editor builds it from typed hexadecimal fields.
struct Saisie {
    std::string id;
    bool etendue = false;
    bool requete = false;
    std::string dlc = "0";
    std::vector<std::string> octets;
};

Trame Construit(const Saisie& s) {
    Trame t;
    const RegleIdentifiant r = Regle_Identifiant(s.id, s.etendue);
    EXPECT_EQ(r.etat, RegleIdentifiant::Etat::Valide) << s.id;
    t.Bits_ID = r.Bits_ID;
    t.Bit_RTR = s.requete ? "1" : "0";
    t.Bits_Ctrl = "00" + Hexa_Bin(s.dlc);
    for (size_t k = 0; k < s.octets.size(); ++k)
        t.Bits_D[k] = Hexa_Bin(s.octets[k]);
    t.Construit_Trame(s.dlc, true);
    return t;
}

} // namespace

TEST(Conversions, CasLimites) {
    EXPECT_EQ(Hexa_Bin("7FF"), "011111111111");
    EXPECT_EQ(Hexa_Bin("07F"), "000001111111");
    EXPECT_EQ(Hexa_Bin(""), "");
    EXPECT_EQ(Hexa_Bin("1a"), "0001"); // lower case is not a digit here
    EXPECT_EQ(Hexa_Bin("0123456789ABCDEF"),
              "0000000100100011010001010110011110001001101010111100110111101111");
    EXPECT_EQ(Val_Hexa(""), 0);
    EXPECT_EQ(Val_Hexa("8"), 8);
    EXPECT_EQ(Val_Hexa("a"), 10);
    EXPECT_EQ(Val_Hexa("FF"), 255);
    EXPECT_EQ(Val_Hexa("FFFFFFFF"), -1);
    EXPECT_DOUBLE_EQ(Hexa_Num("4599"), 17817);
    EXPECT_DOUBLE_EQ(Hexa_Num(""), 0);
    EXPECT_EQ(Bin_Num("000000000000101"), "5");
    EXPECT_EQ(Bin_Num(""), "0");
    EXPECT_EQ(Bin_Num(std::string(32, '1')), "4294967295");
    std::string t = "0 101 1";
    Supprime_Blancs(t);
    EXPECT_EQ(t, "01011");
    std::string vide;
    Supprime_Blancs(vide);
    EXPECT_EQ(vide, "");
}

TEST(Conversions, Num_BinDonneLaVraieLongueur) {
    EXPECT_EQ(Num_Bin(0), "");
    EXPECT_EQ(Num_Bin(-3), "");
    EXPECT_EQ(Num_Bin(0.5), "");
    EXPECT_EQ(Num_Bin(5), "101");
    // Every value of 16 bits, including the exact powers of two where a rounded
    // logarithm would be off by one.
    for (int v = 1; v <= 65535; ++v) {
        const std::string b = Num_Bin(v);
        ASSERT_EQ(b[0], '1') << v;
        ASSERT_EQ(Bin_Num(b), std::to_string(v)) << v;
    }
    EXPECT_EQ(Num_Bin(536870912.0), "1" + std::string(29, '0'));
}

TEST(Filtre, Touches) {
    struct Cas {
        std::string texte;
        int16_t longMax;
        int16_t touche;
        int16_t attendu;
        bool message;
    };
    const Cas cas[] = {
        {"", 3, 'g', 0, true},     {"1", 2, 'b', 'B', false},      {"A5", 2, '3', 0, false},
        {"A5", 2, 8, 8, false},    {"1", 3, '9', '9', false},      {"", 3, 'f', 'F', false},
        {"12", 3, 'z', 0, true},   {"", 1, 16, 16, false},         {"", 1, 9, 9, false},
        {"1", 1, 'F', 'F', false}, {"", 3, ' ', 0, true},          {"1234567", 8, 'G', 0, true},
        {"", 3, 8, 8, false},      {"12345678", 8, 'A', 0, false},
    };
    for (const Cas& c : cas) {
        Trame t;
        t.Texte_Saisi = c.texte;
        t.Long_Max = c.longMax;
        t.Touche = c.touche;
        EXPECT_EQ(t.Filtre_Hexa(), c.message) << c.texte << " + " << c.touche;
        EXPECT_EQ(t.Touche, c.attendu) << c.texte << " + " << c.touche;
    }
    Trame t;
    t.Touche = 'c';
    t.Filtre_Hexa();
    EXPECT_EQ(t.Car_Saisi, "C");
}

TEST(Libelles, Tables) {
    Trame t;
    const std::pair<size_t, const char*> std_[] = {
        {0, "SOF"},   {1, "ID10"},    {11, "ID0"},    {12, "RTR"},  {13, "r1"},     {18, "DLC0"},
        {19, "d0.7"}, {20, ""},       {26, "d0.0"},   {82, "d7.0"}, {83, "CRC.14"}, {97, "CRC.0"},
        {98, "CRCD"}, {101, "EOF.6"}, {107, "EOF.0"}, {108, ""}};
    for (const auto& [i, lib] : std_)
        EXPECT_EQ(t.Lib_Std[i], lib) << i;
    const std::pair<size_t, const char*> ext[] = {
        {12, "SRR"},  {13, "IDE"},   {14, "ID17"},    {31, "ID0"},   {32, "RTR"},
        {39, "d0.7"}, {102, "d7.0"}, {103, "CRC.14"}, {120, "ACKD"}, {127, "EOF.0"}};
    for (const auto& [i, lib] : ext)
        EXPECT_EQ(t.Lib_Ext[i], lib) << i;
    auto nonVides = [](const auto& lib) {
        int n = 0;
        for (const auto& s : lib)
            n += !s.empty();
        return n;
    };
    EXPECT_EQ(nonVides(t.Lib_Std), 42);
    EXPECT_EQ(nonVides(t.Lib_Ext), 62);
}

TEST(Identifiant, Regles) {
    using E = RegleIdentifiant::Etat;
    using R = RegleIdentifiant::Refus;
    const std::string sept =
        "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs!\r\n"
        "Au moins 1 doit être un bit dominant.";
    const std::string titreA = "Valeur non conforme à la norme CAN2.0A";
    const std::string titreB = "Valeur non conforme à la norme CAN2.0B";
    struct Cas {
        std::string texte;
        bool etendue;
        E etat;
        R refus;
        std::string bits_ou_message;
        std::string titre;
    };
    const Cas cas[] = {
        {"", false, E::Vide, R::Aucun, "", ""},
        {"", true, E::Vide, R::Aucun, "", ""},
        {"12", false, E::Incomplet, R::Aucun, "", ""},
        {"123", true, E::Incomplet, R::Aucun, "", ""},
        {"123", false, E::Valide, R::Aucun, "00100100011", ""},
        {"7EF", false, E::Valide, R::Aucun, "11111101111", ""},
        {"000", false, E::Valide, R::Aucun, "00000000000", ""},
        {"7F0", false, E::Refuse, R::SeptRecessifs, sept, titreA},
        {"7FF", false, E::Refuse, R::SeptRecessifs, sept, titreA},
        {"800", false, E::Refuse, R::PremierChiffre,
         "En mode standard, la longueur du champ identifiant est de 11 bits!", titreA},
        {"F00", false, E::Refuse, R::PremierChiffre,
         "En mode standard, la longueur du champ identifiant est de 11 bits!", titreA},
        {"12345678", true, E::Valide, R::Aucun, "10010001101 11 000101011001111000", ""},
        {"1FBFFFFF", true, E::Valide, R::Aucun, "11111101111 11 111111111111111111", ""},
        {"1FC00000", true, E::Refuse, R::SeptRecessifs, sept, titreB},
        {"20000000", true, E::Refuse, R::PremierChiffre,
         "En mode étendu, la longueur du champ identifiant est de 29 bits!", titreB},
        {"12G", false, E::Incomplet, R::Aucun, "", ""},
    };
    for (const Cas& c : cas) {
        const RegleIdentifiant r = Regle_Identifiant(c.texte, c.etendue);
        EXPECT_EQ(r.etat, c.etat) << c.texte;
        EXPECT_EQ(r.refus, c.refus) << c.texte;
        if (c.etat == E::Valide) {
            EXPECT_EQ(r.Bits_ID, c.bits_ou_message) << c.texte;
        }
        if (c.etat == E::Refuse) {
            EXPECT_EQ(r.Message, c.bits_ou_message) << c.texte;
            EXPECT_EQ(r.Titre, c.titre) << c.texte;
            EXPECT_TRUE(r.Bits_ID.empty());
        }
    }
}

TEST(Saisie, Complete) {
    using D = std::array<std::string, 8>;
    EXPECT_FALSE(Saisie_Est_Complete("123", "2", D{"01", "2"}, false, false));
    EXPECT_TRUE(Saisie_Est_Complete("123", "2", D{"01", "02", "FF"}, false, false));
    EXPECT_TRUE(Saisie_Est_Complete("12345678", "5", D{}, true, true));
    EXPECT_FALSE(Saisie_Est_Complete("123", "", D{}, false, true));
    EXPECT_FALSE(Saisie_Est_Complete("123", "", D{}, false, false));
    EXPECT_FALSE(Saisie_Est_Complete("123", "0", D{}, true, false));
    EXPECT_TRUE(Saisie_Est_Complete("123", "0", D{}, false, false));
    EXPECT_TRUE(
        Saisie_Est_Complete("123", "8", D{"1", "2", "3", "4", "5", "6", "7", "8"}, false, true));
    EXPECT_FALSE(Saisie_Est_Complete("12", "1", D{"123"}, false, false));
}

TEST(Assemblage, ExemplesDeReference) {
    struct Cas {
        Saisie saisie;
        std::string trameBin, text1, crc, stuffee, text2, dr;
    };
    const Cas cas[] = {
        {{"123", false, false, "0", {}},
         "0 00100100011 0 000000 110100001011000 11 1111111",
         "43",
         "6858",
         "00010010001100000100110100001011000",
         "44",
         "DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr"},
        {{"123", false, false, "1", {"AB"}},
         "0 00100100011 0 000001 10101011 110011001101111 11 1111111",
         "51",
         "666F",
         "",
         "",
         ""},
        {{"7EF", false, false, "2", {"01", "FF"}},
         "0 11111101111 0 000010 00000001 11111111 001100101110110 11 1111111",
         "",
         "1976",
         "",
         "",
         ""},
    };
    for (const Cas& c : cas) {
        const Trame t = Construit(c.saisie);
        EXPECT_EQ(t.Trame_Bin, c.trameBin);
        EXPECT_EQ(t.Champ_CRC, c.crc);
        if (!c.text1.empty()) {
            EXPECT_EQ(t.Text1, c.text1);
        }
        if (!c.stuffee.empty()) {
            EXPECT_EQ(t.Trame_Stuffee, c.stuffee);
            EXPECT_EQ(t.Trame_Bin_Stuf, c.stuffee + "111111111");
            EXPECT_EQ(t.Text2, c.text2);
            EXPECT_EQ(t.TrameDR, c.dr);
        }
    }
    const Trame t = Construit({"7EF", false, false, "2", {"01", "FF"}});
    EXPECT_EQ(t.Bits_CRC, "001100101110110");
    EXPECT_EQ(t.Reg_CRC, 0x1976);
}

TEST(Assemblage, TrameToutAZero) {
    const Trame t = Construit({"000", false, false, "0", {}});
    EXPECT_EQ(t.Champ_CRC, "0");
    EXPECT_EQ(t.Bits_CRC, std::string(15, '0'));
    EXPECT_EQ(t.Trame_Brute, std::string(34, '0'));
    std::string attendu;
    for (int g = 0; g < 6; ++g)
        attendu += "000001";
    EXPECT_EQ(t.Trame_Stuffee, attendu + "0000");
    EXPECT_EQ(t.Text2, "49");
    EXPECT_EQ(t.TrameDR.size(), 50u);
    EXPECT_EQ(std::count(t.TrameDR.begin(), t.TrameDR.end(), 'S'), 6);
}

TEST(Assemblage, RequeteEtendueEtDlcVide) {
    // Remote frame with DLC 2: the DLC stays in the control field, no data bits,
    // only the two blanks of the absent bytes.
    Trame r = Construit({"123", false, true, "2", {}});
    EXPECT_EQ(r.Trame_Bin.substr(0, 24), "0 00100100011 1 000010  ");
    EXPECT_EQ(r.Trame_Bin.substr(24, 2), " 1"); // three blanks, then the CRC group
    EXPECT_EQ(r.Text1, std::to_string(1 + 11 + 1 + 6 + 15 + 9));

    const Trame e = Construit({"12345678", true, false, "0", {}});
    EXPECT_EQ(e.Trame_Bin.substr(0, 45), "0 10010001101 11 000101011001111000 0 000000 ");
    EXPECT_EQ(e.Text1, std::to_string(39 + 15 + 9));

    // Empty DLC box: only the start bit, two blanks and the CRC of that bit.
    Trame v;
    v.Bits_ID = "00100100011";
    v.Bits_Ctrl = "00";
    v.Construit_Trame("", true);
    EXPECT_EQ(v.Trame_Bin, "0  000000000000000 11 1111111");
    EXPECT_EQ(v.Text1, "25");
}

TEST(Assemblage, IdentifiantIncompletGardeLaTrameStuffee) {
    Trame t = Construit({"123", false, false, "0", {}});
    const std::string stuffee = t.Trame_Stuffee, dr = t.TrameDR, text2 = t.Text2;
    t.Bits_Ctrl = "000001";
    t.Bits_D[0] = Hexa_Bin("AB");
    EXPECT_FALSE(t.Construit_Trame("1", false));
    EXPECT_EQ(t.Trame_Bin, "0 00100100011 0 000001 10101011 110011001101111");
    EXPECT_EQ(t.Trame_Stuffee, stuffee);
    EXPECT_EQ(t.TrameDR, dr);
    EXPECT_EQ(t.Text2, text2);
    // Rebuilding twice gives the same single annotation.
    EXPECT_TRUE(t.Construit_Trame("1", true));
    const std::string une = t.TrameDR;
    t.Construit_Trame("1", true);
    EXPECT_EQ(t.TrameDR, une);
    EXPECT_EQ(t.TrameDR.size(), t.Trame_Stuffee.size() + 10);
}

TEST(Stuffing, Suites) {
    struct Cas {
        std::string brute, stuffee, dr;
    };
    const Cas cas[] = {
        {"0000", "0000", "DDDD"},
        {"00000", "000001", "DDDDDS"},
        {"0000000000", "000001000001", "DDDDDSDDDDDS"},
        {"0111110", "01111100", "DrrrrrsD"},
        {"0100000", "01000001", "DrDDDDDS"},         // stuff bit after the very last bit
        {"000001111", "00000111110", "DDDDDSrrrrs"}, // the stuff bit counts in the run
    };
    for (const Cas& c : cas) {
        Trame t;
        t.Trame_Brute = c.brute;
        t.Stuffe_Trame();
        EXPECT_EQ(t.Trame_Stuffee, c.stuffee) << c.brute;
        EXPECT_EQ(t.TrameDR, c.dr + "rrrrrrrrrr") << c.brute;
        EXPECT_EQ(t.Text2, std::to_string(c.stuffee.size() + 9));
    }
}

// Independent reference: CRC as the remainder of the polynomial division of the
// message times x^15, and a de-stuffer that reads the bus as a receiver does.
namespace {

std::string CRC_Par_Division(const std::string& message) {
    const std::string g = "1100010110011001"; // x^15 + x^14 + x^10 + x^8 + x^7 + x^4 + x^3 + 1
    std::string reste = message + std::string(15, '0');
    for (size_t i = 0; i + 15 < reste.size(); ++i) {
        if (reste[i] != '1') continue;
        for (size_t j = 0; j < g.size(); ++j)
            reste[i + j] = reste[i + j] == g[j] ? '0' : '1';
    }
    return reste.substr(reste.size() - 15);
}

// Returns the de-stuffed bits and the positions of the stuff bits; fails the test
// on a stuff error (six equal bits).
std::string Destuffe(const std::string& bus, std::vector<size_t>& positions) {
    std::string sortie;
    int run = 0;
    char prec = 0;
    for (size_t i = 0; i < bus.size(); ++i) {
        if (run == 5) {
            EXPECT_NE(bus[i], prec) << "erreur de stuffing au bit " << i;
            positions.push_back(i);
            prec = bus[i];
            run = 1;
            continue;
        }
        run = (bus[i] == prec) ? run + 1 : 1;
        prec = bus[i];
        sortie += bus[i];
    }
    EXPECT_LT(run, 5) << "cinq bits egaux en fin de trame sans bit de stuff";
    return sortie;
}

} // namespace

TEST(Reference, TramesAleatoires) {
    std::mt19937 gen(20261206);
    for (int n = 0; n < 3000; ++n) {
        Trame t;
        const bool etendue = gen() % 2;
        const bool requete = gen() % 4 == 0;
        // Identifiers drawn from the whole range, biased to long runs of equal bits.
        const uint32_t masque = etendue ? 0x1FFFFFFF : 0x7FF;
        uint32_t id = static_cast<uint32_t>(gen()) & masque;
        if (gen() % 3 == 0) id = (gen() % 2) ? 0 : (masque >> 1);
        char texte[16];
        std::snprintf(texte, sizeof texte, etendue ? "%08X" : "%03X", id);
        const RegleIdentifiant r = Regle_Identifiant(texte, etendue);
        if (r.etat != RegleIdentifiant::Etat::Valide) continue;
        t.Bits_ID = r.Bits_ID;
        t.Bit_RTR = requete ? "1" : "0";
        const int dlc = static_cast<int>(gen() % 9);
        t.Bits_Ctrl = "00" + Hexa_Bin(std::string(1, static_cast<char>('0' + dlc)));
        std::string donnees;
        for (int k = 0; !requete && k < dlc; ++k) {
            const uint32_t octet = (gen() % 4 == 0) ? (gen() % 2) * 0xFF : gen() & 0xFF;
            for (int b = 7; b >= 0; --b)
                donnees += ((octet >> b) & 1) ? '1' : '0';
            t.Bits_D[static_cast<size_t>(k)] = donnees.substr(donnees.size() - 8);
        }
        ASSERT_TRUE(t.Construit_Trame(std::string(1, static_cast<char>('0' + dlc)), true));

        std::string id_bits = r.Bits_ID;
        Supprime_Blancs(id_bits);
        const std::string message = "0" + id_bits + t.Bit_RTR + t.Bits_Ctrl + donnees;
        const std::string crc = CRC_Par_Division(message);
        ASSERT_EQ(t.Bits_CRC, crc) << message;
        ASSERT_EQ(t.Trame_Brute, message + crc);
        ASSERT_EQ(std::stoul(t.Champ_CRC, nullptr, 16), std::stoul(crc, nullptr, 2));

        std::vector<size_t> positions;
        ASSERT_EQ(Destuffe(t.Trame_Stuffee, positions), t.Trame_Brute) << message;
        ASSERT_EQ(t.TrameDR.size(), t.Trame_Stuffee.size() + 10);
        size_t p = 0;
        for (size_t i = 0; i < t.Trame_Stuffee.size(); ++i) {
            const bool stuff = p < positions.size() && positions[p] == i;
            if (stuff) ++p;
            const char attendu =
                t.Trame_Stuffee[i] == '0' ? (stuff ? 's' : 'D') : (stuff ? 'S' : 'r');
            ASSERT_EQ(t.TrameDR[i], attendu) << message << " bit " << i;
        }
    }
}
