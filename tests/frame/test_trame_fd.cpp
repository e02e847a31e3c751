#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "frame/trame.h"
#include "frame/trame_fd.h"

using namespace varnel;

static TrameFD FD(const std::string& id, bool brs, bool esi, int dlc, const std::vector<uint8_t>& octets) {
    return Construit_Trame_FD({Regle_Identifiant(id, id.size() == 8).Bits_ID, brs, esi, dlc, octets});
}

static std::string Bin(uint32_t v, size_t n) {
    return std::bitset<32>(v).to_string().substr(32 - n);
}

// What the bus carries, as a receiver sees it (the ACK slot pulled dominant).
static std::string Bus(const Transmission& tr) {
    std::string s;
    for (const TempsBit& b : tr) s += b.bus;
    return s;
}

static std::string Noms(const Transmission& tr) {
    std::string s;
    for (const TempsBit& b : tr)
        if (!b.etiquette.empty()) s += b.etiquette + " ";
    return s;
}

// The CRC by long division: the register's ISO start value (1 then zeros) amounts to
// inverting the first message bit.
static uint32_t CRC_Division(std::string message, bool crc21) {
    const size_t n = crc21 ? 21 : 17;
    const std::string g = "1" + Bin(crc21 ? 0x102899 : 0x1685B, n); // x^n + the polynomial
    message[0] = message[0] == '0' ? '1' : '0';
    message += std::string(n, '0');
    for (size_t i = 0; i + n < message.size(); ++i)
        if (message[i] == '1')
            for (size_t j = 0; j <= n; ++j) message[i + j] = message[i + j] == g[j] ? '0' : '1';
    return static_cast<uint32_t>(std::stoul(message.substr(message.size() - n), nullptr, 2));
}

// A receiver reading the bits sent from SOF to the last CRC bit back into the frame: it
// drops each dynamic stuff bit (which must be the complement of five equal bits) up to
// the last data bit, then checks the fixed stuff bits of the CRC field.
struct Lecture {
    std::string brut;     // the frame bits without any stuff bit
    std::string symboles; // D r s S f F per bit read
    int stuff = 0;        // dynamic stuff bits dropped
    std::string crcCalcule;
    bool exception = false; // the last data bit ended a run of five
    std::string faute;
};

static Lecture Lit(const std::string& bits, size_t octetsEnvoyes) {
    Lecture l;
    size_t i = 0, entete = 22;
    int egaux = 0;
    char precedent = 0;
    while (l.brut.size() < entete + 8 * octetsEnvoyes) {
        if (i >= bits.size()) return l.faute = "trame trop courte", l;
        const char b = bits[i++];
        if (egaux == 5) {
            if (b == precedent) return l.faute = "six bits égaux au bit " + std::to_string(i - 1), l;
            l.symboles += b == '0' ? 's' : 'S';
            ++l.stuff, egaux = 1, precedent = b;
            continue;
        }
        egaux = b == precedent ? egaux + 1 : 1;
        precedent = b;
        l.brut += b;
        l.symboles += b == '0' ? 'D' : 'r';
        if (l.brut.size() == 14 && l.brut[13] == '1') entete = 41; // IDE recessive: extended
    }
    l.exception = egaux == 5;
    const int dlc = std::stoi(l.brut.substr(entete - 4, 4), nullptr, 2);
    const bool crc21 = Longueur_FD(dlc) > 16;
    const size_t champ = 4 + (crc21 ? 21 : 17);
    const std::string message = bits.substr(0, i);
    for (size_t k = 0; k < champ; ++k) {
        if (k % 4 == 0) { // a fixed stuff bit first and after every fourth bit
            if (i + 1 >= bits.size() || bits[i] == bits[i - 1]) return l.faute = "bit de stuff fixe faux", l;
            l.symboles += bits[i++] == '0' ? 'f' : 'F';
        }
        l.brut += bits[i];
        l.symboles += bits[i++] == '0' ? 'D' : 'r';
    }
    if (i != bits.size()) l.faute = "bits en trop";
    l.crcCalcule = Bin(CRC_Division(message + l.brut.substr(l.brut.size() - champ, 4), crc21), champ - 4);
    return l;
}

// The worked frames of the reference, bit for bit as the bus carries them ("[x]" a dynamic
// stuff bit, "{x}" a fixed one), with their stuff count, CRC and raw length.
TEST(TrameFD, TramesDeReference) {
    const std::vector<uint8_t> huit = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::tuple<TrameFD, std::string, int, std::string, std::string> cas[] = {
        {FD("042", false, false, 8, huit),
         "00000[1]1000010001000100000[1]00000[1]00000[1]000100000[1]0100000[1]001100000[1]100000[1]00101"
         "00000[1]1100000[1]0111{0}0110{1}0101{0}1010{1}1100{1}1101{0}01011111111",
         10, "B59A", "116"},
        {FD("042", true, false, 8, huit), "", 10, "1B77F", "116"}, // BRS is CRC input
        {FD("000", false, false, 0, {}), "00000100000100001000001001010100011010010010101111011011111111", 3,
         "72BF", "52"},
        // The stuff-count exception: the data ends in five 1s, no stuff bit, none counted.
        {FD("100", false, false, 1, {0x1F}),
         "0001000001000001100000101000111110010100100110010100011001001011111111", 3, "9312", "60"},
    };
    for (const auto& [t, attendu, stuff, crc, brut] : cas) {
        SCOPED_TRACE(crc);
        if (!attendu.empty()) {
            const std::string bus = std::regex_replace(attendu, std::regex("[\\[\\]{}]"), "");
            EXPECT_EQ(Bus(t.Bits), bus);
            EXPECT_EQ(t.Text2, std::to_string(bus.size() - 1)); // SOF .. last CRC bit, + 9
            std::string genres, lus;                            // where the stuff bits are, of which kind
            for (size_t i = 0; i < attendu.size(); i += attendu[i] == '[' || attendu[i] == '{' ? 3 : 1)
                genres += attendu[i] == '[' || attendu[i] == '{' ? attendu[i] : '.';
            for (const TempsBit& b : t.Bits)
                lus += b.genre == Genre::Stuff ? '[' : b.genre == Genre::StuffFixe ? '{' : '.';
            if (attendu.find('[') != std::string::npos) { EXPECT_EQ(lus, genres); }
        }
        EXPECT_EQ(t.Nb_Stuff, stuff);
        EXPECT_EQ(t.Champ_CRC, crc);
        EXPECT_EQ(t.Text1, brut);
    }
    EXPECT_EQ(std::get<0>(cas[0]).Trame_Bin,
              "0 00001000010 0 010001000 00000000 00000001 00000010 00000011 00000100 00000101 00000110 "
              "00000111 0110 01011010110011010 11 1111111");
    EXPECT_EQ(std::get<0>(cas[2]).TrameDR, "DDDDDSDDDDDSDDDDrDDDDDSDDFDrDrfDDrrfrDDrfDrDrfrrrrfrrrrrrrrrrr");
    EXPECT_EQ(std::get<0>(cas[3]).Trame_Bin_Stuf, std::get<1>(cas[3]).substr(0, 60) + "111111111");
}

// DLC and length; CRC-17 up to 16 bytes and CRC-21 from 20 (by the DLC, even while fewer
// bytes are typed), 6 or 7 fixed stuff bits; headers of 22 and 41 bits; raw groups.
TEST(TrameFD, LongueursEtCRC) {
    const int longueurs[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 20, 24, 32, 48, 64};
    for (int dlc = 0; dlc <= 15; ++dlc) {
        EXPECT_EQ(Longueur_FD(dlc), longueurs[dlc]);
        EXPECT_EQ(DLC_FD(static_cast<size_t>(longueurs[dlc])), dlc);
        for (const std::string id : {"5A5", "15A5A5A5"})
            for (const size_t n : {size_t(longueurs[dlc]), size_t(longueurs[dlc] / 2)}) {
                SCOPED_TRACE(id + " DLC " + std::to_string(dlc) + ", " + std::to_string(n) + " octets");
                const TrameFD t = FD(id, dlc % 2, dlc % 3 == 0, dlc, std::vector<uint8_t>(n, 0x5A));
                const size_t crc = longueurs[dlc] > 16 ? 21 : 17, entete = id.size() == 8 ? 41 : 22;
                EXPECT_EQ(t.Text1, std::to_string(entete + 8 * n + 4 + crc + 9));
                EXPECT_EQ(t.Text2, std::to_string(entete + 8 * n + t.Nb_Stuff + (crc == 17 ? 27 : 32) + 9));
                EXPECT_EQ(std::count(t.TrameDR.begin(), t.TrameDR.end(), 'f') +
                              std::count(t.TrameDR.begin(), t.TrameDR.end(), 'F'),
                          crc == 17 ? 6 : 7);
                std::string groupes = std::regex_replace(t.Trame_Bin, std::regex("[01]"), "x");
                EXPECT_EQ(groupes,
                          "x " + std::string(11, 'x') +
                              (id.size() == 8 ? " xx " + std::string(18, 'x') : "") + " x " +
                              std::string(id.size() == 8 ? 8 : 9, 'x') +
                              std::regex_replace(std::string(n, '.'), std::regex("\\."), " xxxxxxxx") +
                              " xxxx " + std::string(crc, 'x') + " xx xxxxxxx");
                EXPECT_EQ(t.Trame_Bin.substr(t.Trame_Bin.size() - crc - 11, crc), Bin(t.Reg_CRC, crc));
            }
    }
    for (const int dlc : {-1, 16}) EXPECT_EQ(Longueur_FD(dlc), -1);
    for (const size_t n : {9, 13, 63, 65}) EXPECT_EQ(DLC_FD(n), -1);
    // Bytes beyond the DLC are not sent; a bad identifier or DLC gives nothing.
    EXPECT_EQ(FD("123", false, false, 1, {1, 2, 3}).Trame_Bin, FD("123", false, false, 1, {1}).Trame_Bin);
    for (const TrameFD& t : {FD("123", false, false, 16, {}), FD("12", false, false, 0, {}),
                             Construit_Trame_FD({"0000000000 ", false, false, 0, {}}),
                             Construit_Trame_FD({"00000000000 00 000000000000000000", false, false, 0, {}})})
        EXPECT_EQ(t.Trame_Bin + t.Text1 + t.Champ_CRC + t.Trame_Bin_Stuf + t.Text2 + t.TrameDR +
                      std::to_string(t.Bits.size()),
                  "0");
}

// The stuffing ends with the last data bit, or with DLC0 when there is no data: five equal
// bits ending there get no dynamic stuff bit (none counted), the first fixed one follows.
TEST(TrameFD, FinDuStuffingDynamique) {
    const std::pair<TrameFD, std::string> cas[] = {
        {FD("100", false, false, 1, {0x1F}), "rDDDrrrrrf"}, // DLC0, then 00011111
        {FD("100", false, false, 1, {0x3E}), "DDrrrrrsDF"},
        {FD("7E0", true, false, 0, {}), "rDrDDDDDF"}, // FDF res BRS ESI DLC
        {FD("7E0", false, true, 0, {}), "rDDrDDDDF"},
        {FD("7E0", false, false, 0, {}), "rDDDDDSDDF"},
    };
    for (const auto& [t, fin] : cas) {
        const size_t f = t.TrameDR.size() - 10 - 27; // the first fixed stuff bit
        EXPECT_EQ(t.TrameDR.substr(f + 1 - fin.size(), fin.size()), fin);
        EXPECT_EQ(t.Nb_Stuff, std::count(t.TrameDR.begin(), t.TrameDR.end(), 's') +
                                  std::count(t.TrameDR.begin(), t.TrameDR.end(), 'S'));
    }
}

// Names over the cells (none on stuff bits), the field of every bit (a stuff bit in that of
// the bit before it), the fast phase from the bit after BRS to the last CRC bit, and the
// acknowledge of the receivers.
TEST(TrameFD, NomsChampsEtPhases) {
    const std::string queue = "cakeeeeeee", // CRC delimiter, ACK, ACK delimiter, EOF
        base = "0iiiiiiiiiiiRIFrBEllll", etendue = "0iiiiiiiiiiiSIiiiiiiiiiiiiiiiiiiRFrBEllll";
    const struct {
        TrameFD t;
        bool brs;
        std::string noms, champs;
    } cas[] = {
        {FD("000", true, false, 2, {0x00, 0xFF}), true,
         "SOF ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 RRS IDE FDF res BRS ESI DLC3 DLC2 DLC1 DLC0 d0.7 "
         "d0.0 d1.7 d1.0 SC2 SC1 SC0 P CRC.16 CRC.0 CRCD ACK ACKD EOF.6 EOF.0 ",
         base + std::string(16, 'd') + "nnnn" + std::string(17, 'C') + queue},
        {FD("00000000", false, true, 15, {0x12}), false,
         "SOF ID28 ID27 ID26 ID25 ID24 ID23 ID22 ID21 ID20 ID19 ID18 SRR IDE ID17 ID16 ID15 ID14 ID13 ID12 "
         "ID11 ID10 ID9 ID8 ID7 ID6 ID5 ID4 ID3 ID2 ID1 ID0 RRS FDF res BRS ESI DLC3 DLC2 DLC1 DLC0 d0.7 "
         "d0.0 "
         "SC2 SC1 SC0 P CRC.20 CRC.0 CRCD ACK ACKD EOF.6 EOF.0 ",
         etendue + "dddddddd" + "nnnn" + std::string(21, 'C') + queue},
        {FD("7E0", true, true, 1, {}), true, "", base + "nnnn" + std::string(17, 'C') + queue},
    };
    const std::map<Champ, char> lettres = {
        {Champ::SOF, '0'}, {Champ::Identifiant, 'i'},   {Champ::SRR, 'S'},     {Champ::IDE, 'I'},
        {Champ::RRS, 'R'}, {Champ::FDF, 'F'},           {Champ::Reserve, 'r'}, {Champ::BRS, 'B'},
        {Champ::ESI, 'E'}, {Champ::DLC, 'l'},           {Champ::Donnees, 'd'}, {Champ::CompteStuff, 'n'},
        {Champ::CRC, 'C'}, {Champ::DelimiteurCRC, 'c'}, {Champ::ACK, 'a'},     {Champ::DelimiteurACK, 'k'},
        {Champ::EOF_, 'e'}};
    for (const auto& [t, brs, noms, champs] : cas) {
        SCOPED_TRACE(noms);
        if (!noms.empty()) { EXPECT_EQ(Noms(t.Bits), noms); }
        EXPECT_EQ(Symboles(t.Bits), t.TrameDR);
        std::string phases, lus;
        size_t brsBit = 0;
        for (size_t i = 0; i < t.Bits.size(); ++i) {
            const TempsBit& b = t.Bits[i];
            phases += b.phase == Phase::Donnees ? 'd' : 'n';
            if (Est_Stuff(b.genre)) {
                EXPECT_EQ(b.etiquette, "");
                EXPECT_EQ(b.champ, t.Bits[i - 1].champ);
            } else {
                lus += lettres.at(b.champ);
                if (b.champ == Champ::BRS) brsBit = i;
            }
            const bool ack = b.champ == Champ::ACK;
            EXPECT_EQ(std::string() + b.recepteur1 + b.recepteur2 + b.bus,
                      ack ? "000" : std::string("11") + b.emetteur);
        }
        EXPECT_EQ(lus, champs);
        const size_t crcd = t.Bits.size() - 10;
        EXPECT_EQ(phases, brs ? std::string(brsBit + 1, 'n') + std::string(crcd - brsBit - 1, 'd') +
                                    std::string(10, 'n')
                              : std::string(t.Bits.size(), 'n'));
    }
}

// Hundreds of random frames, read back by the receiver above: the same fields and bytes, a
// stuff bit exactly where five equal bits call for one, the right stuff count, the CRC of
// the long division, the symbols of the bits read.
TEST(TrameFD, TramesAleatoires) {
    std::mt19937 alea(20261207);
    auto tire = [&alea](uint32_t m) { return static_cast<uint32_t>(alea() % m); };
    int exceptions = 0, partielles = 0;
    for (int n = 0; n < 600; ++n) {
        const bool etendue = tire(2), brs = tire(2), esi = tire(2);
        const int dlc = static_cast<int>(tire(16));
        const uint32_t id =
            tire(3) ? tire(etendue ? 0x1F000000 : 0x7F0) : tire(2) * (etendue ? 0xFFFFFF : 0x3F);
        char texte[9];
        std::snprintf(texte, sizeof texte, etendue ? "%08X" : "%03X", id);
        const size_t longueur = size_t(Longueur_FD(dlc)),
                     octets = tire(5) ? longueur : tire(uint32_t(longueur) + 1);
        std::vector<uint8_t> donnees;
        const uint8_t motifs[] = {0x00, 0xFF, 0x0F, 0xF0, 0x1F, 0xE0};
        for (size_t k = 0; k < octets; ++k) donnees.push_back(uint8_t(tire(3) ? motifs[tire(6)] : tire(256)));
        const TrameFD t = FD(texte, brs, esi, dlc, donnees);
        SCOPED_TRACE(std::string(texte) + " DLC " + std::to_string(dlc) + " octets " +
                     std::to_string(octets));

        std::string attendu = "0" +
                              (etendue ? Bin(id >> 18, 11) + "11" + Bin(id, 18) + "0" : Bin(id, 11) + "00") +
                              "10" + (brs ? "1" : "0") + (esi ? "1" : "0") + Bin(uint32_t(dlc), 4);
        for (uint8_t o : donnees) attendu += Bin(o, 8);
        const std::string emis = t.Trame_Bin_Stuf.substr(0, t.Trame_Bin_Stuf.size() - 9);
        const Lecture l = Lit(emis, octets);
        ASSERT_EQ(l.faute, "");
        ASSERT_EQ(l.brut.substr(0, attendu.size()), attendu);
        const std::string compte = l.brut.substr(attendu.size(), 4), crc = l.brut.substr(attendu.size() + 4);
        const char* const gray[8] = {"000", "001", "011", "010", "110", "111", "101", "100"};
        EXPECT_EQ(compte, gray[l.stuff % 8] +
                              std::string(std::count(compte.begin(), compte.end() - 1, '1') % 2 ? "1" : "0"));
        EXPECT_EQ(crc, l.crcCalcule);
        EXPECT_EQ(l.stuff, t.Nb_Stuff);
        EXPECT_EQ(std::stoul(crc, nullptr, 2), t.Reg_CRC);
        EXPECT_EQ(l.symboles + std::string(10, 'r'), t.TrameDR);
        std::string brut = t.Trame_Bin;
        Supprime_Blancs(brut);
        EXPECT_EQ(brut, l.brut + "111111111");
        EXPECT_EQ(Bus(t.Bits), emis + "1011111111");
        exceptions += l.exception;
        partielles += octets < longueur;
    }
    EXPECT_GT(exceptions, 20);
    EXPECT_GT(partielles, 20);
}
