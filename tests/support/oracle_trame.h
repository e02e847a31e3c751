#pragma once
// A slow oracle of the bits on the bus, written the plain way: bit strings, a CRC register fed
// bit by bit, a stuffing loop. The engine works on words; this is what it is checked against.
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

inline std::string Bits(uint64_t v, size_t n) {
    return std::bitset<64>(v).to_string().substr(64 - n);
}

inline uint32_t Crc(const std::string& bits, int largeur, uint32_t polynome, uint32_t reg) {
    for (char c : bits) {
        const bool suivant = (c == '1') != (((reg >> (largeur - 1)) & 1) != 0);
        reg = (reg << 1) & ((uint32_t{1} << largeur) - 1);
        if (suivant) reg ^= polynome;
    }
    return reg;
}

// After five equal bits, one of the other level, which starts the next run. Returns the bits sent,
// their symbols (D r s S) and the raw bits a stuff bit follows.
struct Stuffee {
    std::string bits, dr;
    std::vector<int> apres;
};
inline Stuffee Stuffe(const std::string& brute) {
    Stuffee s;
    for (size_t i = 0, egaux = 0; i < brute.size(); ++i) {
        const char c = brute[i];
        egaux = !s.bits.empty() && c == s.bits.back() ? egaux + 1 : 1;
        s.bits += c;
        s.dr += c == '0' ? 'D' : 'r';
        if (egaux < 5) continue;
        s.bits += c == '0' ? '1' : '0';
        s.dr += c == '0' ? 'S' : 's';
        s.apres.push_back(static_cast<int>(i));
        egaux = 1;
    }
    return s;
}

// A frame from SOF to its last data bit, sent: the CRC field as raw bits (for CAN FD the stuff
// count first), the CRC, the bits sent up to the CRC delimiter, their symbols, the stuff bits.
struct Envoi {
    std::string champ, bits, dr;
    uint32_t crc = 0;
    size_t stuff = 0;
};

inline Envoi Classique(const std::string& brut) {
    Envoi e;
    e.crc = Crc(brut, 15, 0x4599, 0);
    e.champ = Bits(e.crc, 15);
    Stuffee s = Stuffe(brut + e.champ);
    e.bits = s.bits, e.dr = s.dr, e.stuff = s.apres.size();
    return e;
}

// CAN FD: dynamic stuffing up to the last data bit (none after it), the stuff count in Gray code
// with its parity, the CRC over the bits sent, a fixed stuff bit before every four field bits.
inline Envoi FD(const std::string& brut, bool crc21) {
    Stuffee s = Stuffe(brut);
    if (!s.apres.empty() && s.apres.back() + 1 == static_cast<int>(brut.size()))
        s.bits.pop_back(), s.dr.pop_back(), s.apres.pop_back();
    Envoi e;
    e.stuff = s.apres.size();
    const size_t gray = (e.stuff % 8) ^ (e.stuff % 8 >> 1), largeur = crc21 ? 21 : 17;
    const std::string compte = Bits(gray, 3) + Bits(std::bitset<3>(gray).count() % 2, 1);
    e.crc = Crc(s.bits + compte, int(largeur), crc21 ? 0x102899 : 0x1685B, 1u << (largeur - 1));
    e.champ = compte + Bits(e.crc, largeur);
    for (size_t i = 0; i < e.champ.size(); ++i) {
        if (i % 4 == 0) { // the complement of the bit before it
            s.dr += s.bits.back() == '0' ? 'F' : 'f';
            s.bits += s.bits.back() == '0' ? '1' : '0';
        }
        s.bits += e.champ[i];
        s.dr += e.champ[i] == '0' ? 'D' : 'r';
    }
    e.bits = s.bits, e.dr = s.dr;
    return e;
}

} // namespace oracle
