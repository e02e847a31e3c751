// CAN FD frames: layout, dynamic stuffing up to the last data bit, stuff count, fixed
// stuff bits, CRC-17 / CRC-21, the window's texts and the bit times.
#include <cstdio>

#include "frame/trame_fd.h"

#include "frame/crc.h"
#include "frame/suite_bits.h"

namespace varnel {

namespace {

const int Longueurs[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 20, 24, 32, 48, 64};

// The stuff count modulo 8 in Gray code: each value differs from the next by one bit.
const uint32_t Gray[8] = {0, 1, 3, 2, 6, 7, 5, 4};

// The n low bits of v, most significant first.
std::string Binaire(uint32_t v, int n) {
    std::string b(static_cast<size_t>(n), '0');
    for (int i = 0; i < n; ++i)
        if ((v >> (n - 1 - i)) & 1) b[static_cast<size_t>(i)] = '1';
    return b;
}

char Inverse(char bit) {
    return bit == '0' ? '1' : '0';
}

bool Binaire_Pur(const std::string& s, size_t debut, size_t n) {
    for (size_t i = debut; i < debut + n; ++i)
        if (s[i] != '0' && s[i] != '1') return false;
    return true;
}

// The shapes Regle_Identifiant gives: 11 bits, or 11 bits, " 11 ", 18 bits.
bool Identifiant_Valide(const std::string& id) {
    if (id.size() == 11) return Binaire_Pur(id, 0, 11);
    return id.size() == 33 && Binaire_Pur(id, 0, 11) && id.compare(11, 4, " 11 ") == 0 &&
           Binaire_Pur(id, 15, 18);
}

// The bits on the bus from SOF to the last CRC bit with one symbol each, as they are sent.
struct Emission {
    std::string bits;
    std::string symboles;
    void Ajoute(char bit, char dominant, char recessif) {
        bits += bit;
        symboles += bit == '0' ? dominant : recessif;
    }
};

} // namespace

int Longueur_FD(int dlc) {
    return dlc >= 0 && dlc <= 15 ? Longueurs[dlc] : -1;
}

int DLC_FD(size_t octets) {
    for (int dlc = 0; dlc <= 15; ++dlc)
        if (static_cast<size_t>(Longueurs[dlc]) == octets) return dlc;
    return -1;
}

TrameFD Construit_Trame_FD(const SaisieFD& s) {
    TrameFD r;
    if (!Identifiant_Valide(s.Bits_ID) || Longueur_FD(s.DLC) < 0) return r;
    const bool etendue = s.Bits_ID.size() > 11;
    const size_t longueur = static_cast<size_t>(Longueur_FD(s.DLC));
    const size_t octets = s.Octets.size() < longueur ? s.Octets.size() : longueur;
    const bool crc21 = longueur > 16;
    const int largeurCRC = crc21 ? 21 : 17;

    // The frame before stuffing, SOF .. last data bit, each bit with its field and name.
    const size_t bits = 41 + 8 * octets + 4 + 21; // at most, before stuffing
    std::string brut;
    brut.reserve(bits);
    std::vector<Position> positions;
    positions.reserve(bits);
    auto bit = [&](char b, Champ champ, std::string nom = {}) {
        brut += b;
        positions.push_back({champ, std::move(nom)});
    };
    bit('0', Champ::SOF, "SOF");
    const int premier = etendue ? 28 : 10;
    for (int i = 0; i < 11; ++i) bit(s.Bits_ID[i], Champ::Identifiant, "ID" + std::to_string(premier - i));
    if (etendue) {
        bit('1', Champ::SRR, "SRR");
        bit('1', Champ::IDE, "IDE");
        for (int i = 0; i < 18; ++i)
            bit(s.Bits_ID[15 + i], Champ::Identifiant, "ID" + std::to_string(17 - i));
    }
    bit('0', Champ::RRS, "RRS");
    if (!etendue) bit('0', Champ::IDE, "IDE");
    bit('1', Champ::FDF, "FDF");
    bit('0', Champ::Reserve, "res");
    bit(s.BRS ? '1' : '0', Champ::BRS, "BRS");
    bit(s.ESI ? '1' : '0', Champ::ESI, "ESI");
    const std::string dlc = Binaire(static_cast<uint32_t>(s.DLC), 4);
    for (int i = 0; i < 4; ++i) bit(dlc[i], Champ::DLC, "DLC" + std::to_string(3 - i));
    // Raw groups: SOF, identifier, RRS, then the rest of the control field in one group.
    r.Trame_Bin = "0 " + s.Bits_ID + " 0 " + brut.substr(etendue ? 33 : 13);
    for (size_t k = 0; k < octets; ++k) {
        const std::string octet = Binaire(s.Octets[k], 8);
        const std::string d = "d" + std::to_string(k);
        for (int i = 0; i < 8; ++i) bit(octet[i], Champ::Donnees, i == 0 ? d + ".7" : i == 7 ? d + ".0" : "");
        r.Trame_Bin += " " + octet;
    }

    // Dynamic stuffing: after five equal bits, their complement, which starts the next
    // run. Not after the last bit before the CRC field: there the first fixed stuff bit
    // takes its place, and it is not counted. The CRC takes every bit sent, stuff bits
    // included.
    Emission e;
    e.bits.reserve(bits + bits / 4 + 7);
    e.symboles.reserve(bits + bits / 4 + 7);
    const CodeCRC& code = crc21 ? CRC21 : CRC17;
    uint32_t reg = code.Initial();
    Stuffing regle;
    for (size_t i = 0; i < brut.size(); ++i) {
        e.Ajoute(brut[i], 'D', 'r');
        reg = code.Ajoute_Bit(reg, brut[i] == '1');
        if (regle.Bit(brut[i] == '1') && i + 1 < brut.size()) {
            const bool stuff = regle.Dernier(); // the rule already counts the stuff bit as sent
            e.Ajoute(stuff ? '1' : '0', 's', 'S');
            reg = code.Ajoute_Bit(reg, stuff);
            ++r.Nb_Stuff;
        }
    }

    // The CRC field: the stuff count and its parity, then the CRC over every bit sent so
    // far and those four; a fixed stuff bit, the complement of the bit before it, first
    // and after every fourth bit.
    const uint32_t compte = Gray[r.Nb_Stuff % 8];
    const uint32_t parite = ((compte >> 2) ^ (compte >> 1) ^ compte) & 1;
    const std::string bitsCompte = Binaire(compte << 1 | parite, 4);
    r.Reg_CRC = code.Ajoute_Bits(reg, compte << 1 | parite, 4);
    const std::string bitsCRC = Binaire(r.Reg_CRC, largeurCRC);
    for (int i = 0; i < 3; ++i) bit(bitsCompte[i], Champ::CompteStuff, "SC" + std::to_string(2 - i));
    bit(bitsCompte[3], Champ::CompteStuff, "P");
    for (int i = 0; i < largeurCRC; ++i)
        bit(bitsCRC[i], Champ::CRC,
            i == 0                ? "CRC." + std::to_string(largeurCRC - 1)
            : i == largeurCRC - 1 ? "CRC.0"
                                  : "");
    const std::string champCRC = bitsCompte + bitsCRC;
    e.Ajoute(Inverse(e.bits.back()), 'f', 'F');
    for (size_t i = 0; i < champCRC.size(); ++i) {
        e.Ajoute(champCRC[i], 'D', 'r');
        if (i % 4 == 3) e.Ajoute(Inverse(champCRC[i]), 'f', 'F');
    }

    r.Bits = Assemble_Transmission(e.bits, e.symboles, positions);
    if (s.BRS) {
        // The fast rate from the sample point of BRS to that of the CRC delimiter: on
        // whole bits, every bit after BRS up to the last CRC bit.
        size_t i = 0;
        while (r.Bits[i].champ != Champ::BRS || r.Bits[i].genre != Genre::Trame) ++i;
        while (r.Bits[++i].champ != Champ::DelimiteurCRC) r.Bits[i].phase = Phase::Donnees;
    }

    char hexa[12];
    std::snprintf(hexa, sizeof hexa, "%X", static_cast<unsigned>(r.Reg_CRC));
    r.Trame_Bin += " " + bitsCompte + " " + bitsCRC + " 11 1111111";
    r.Text1 = std::to_string(brut.size() + 9);
    r.Champ_CRC = hexa;
    r.Trame_Bin_Stuf = e.bits + "11" + "1111111";
    r.Text2 = std::to_string(e.bits.size() + 9);
    r.TrameDR = Symboles(r.Bits);
    return r;
}

} // namespace varnel
