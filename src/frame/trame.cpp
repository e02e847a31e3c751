// The frame state: bit labels, raw frame assembly, CRC-15, bit stuffing and the
// bit annotation.
#include <algorithm>
#include <cstring>
#include <string>

#include "frame/trame.h"

#include "frame/crc.h"
#include "frame/suite_bits.h"

namespace varnel {

namespace {

// Fills the labels shared by both layouts from the position of the RTR bit.
template <size_t N> void Libelles_Apres_RTR(std::array<std::string, N>& lib, size_t rtr) {
    lib[rtr] = "RTR";
    lib[rtr + 1] = "r1";
    lib[rtr + 2] = "r0";
    for (size_t i = 0; i < 4; ++i) lib[rtr + 3 + i] = "DLC" + std::to_string(3 - i);
    const size_t donnees = rtr + 7;
    for (size_t k = 0; k < 8; ++k) {
        lib[donnees + 8 * k] = "d" + std::to_string(k) + ".7";
        lib[donnees + 8 * k + 7] = "d" + std::to_string(k) + ".0";
    }
    const size_t crc = donnees + 64;
    lib[crc] = "CRC.14";
    lib[crc + 14] = "CRC.0";
    lib[crc + 15] = "CRCD";
    lib[crc + 16] = "ACK";
    lib[crc + 17] = "ACKD";
    lib[crc + 18] = "EOF.6";
    lib[crc + 24] = "EOF.0";
}

// Empties a text of the frame, keeping room for the longest frame's (118 bits, their
// blanks, up to 29 stuff bits and the tail): rebuilding a frame reuses the same memory.
void Vide(std::string& texte) {
    const size_t place = 192;
    if (texte.capacity() < place) texte.reserve(place);
    texte.clear();
}

// Eight characters at once, the first in the low byte (and back).
uint64_t Huit_Caracteres(const char* c) {
    uint64_t x;
    std::memcpy(&x, c, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    x = __builtin_bswap64(x);
#endif
    return x;
}
void Ecrit_Huit(char* c, uint64_t x) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    x = __builtin_bswap64(x);
#endif
    std::memcpy(c, &x, 8);
}

const uint64_t Un_Par_Octet = 0x0101010101010101;

// 1 in each byte of `x` that equals `c`, 0 in the others. The low seven bits of a byte
// that is not zero carry into its top bit when 0x7F is added to them; a byte whose only
// bit is the top one shows it directly.
uint64_t Egaux_A(uint64_t x, char c) {
    const uint64_t y = x ^ (Un_Par_Octet * static_cast<unsigned char>(c));
    const uint64_t nonNul = (((y & (Un_Par_Octet * 0x7F)) + Un_Par_Octet * 0x7F) | y) >> 7;
    return (nonNul & Un_Par_Octet) ^ Un_Par_Octet;
}

// Eight characters (as `Huit_Caracteres` reads them) as a byte, the first in the most
// significant bit: "1" is a one, anything else a zero. The multiplication moves the
// flag of byte i (bit 8i) to bit 63 - i, and no two partial products meet.
uint8_t Octet_Texte(uint64_t huit) {
    return static_cast<uint8_t>((Egaux_A(huit, '1') * 0x8040201008040201) >> 56);
}

// One character of the raw frame into the stuffed frame and its symbols, with the stuff
// bit that follows it, if any.
void Ecrit(char c, bool stuff, char*& s, char*& dr) {
    *s++ = c;
    *dr++ = c == '0' ? 'D' : 'r';
    if (stuff) {
        *s++ = c == '1' ? '0' : '1';
        *dr++ = c == '1' ? 's' : 'S';
    }
}

} // namespace

Trame::Trame() {
    Init_Lib_Std();
    Init_Lib_Ext();
}

void Trame::Init_Lib_Std() {
    Lib_Std.fill(std::string());
    Lib_Std[0] = "SOF";
    for (size_t i = 0; i < 11; ++i) Lib_Std[1 + i] = "ID" + std::to_string(10 - i);
    Libelles_Apres_RTR(Lib_Std, 12);
}

void Trame::Init_Lib_Ext() {
    Lib_Ext.fill(std::string());
    Lib_Ext[0] = "SOF";
    for (size_t i = 0; i < 11; ++i) Lib_Ext[1 + i] = "ID" + std::to_string(28 - i);
    Lib_Ext[12] = "SRR";
    Lib_Ext[13] = "IDE";
    for (size_t i = 0; i < 18; ++i) Lib_Ext[14 + i] = "ID" + std::to_string(17 - i);
    Libelles_Apres_RTR(Lib_Ext, 32);
}

void Trame::Calcul_CRC() {
    // Eight characters make a byte for the table; the last few go in bit by bit.
    uint32_t reg = CRC15.Initial();
    const size_t n = Trame_Brute.size();
    const char* const brute = Trame_Brute.data();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) reg = CRC15.Ajoute_Octet(reg, Octet_Texte(Huit_Caracteres(brute + i)));
    for (; i < n; ++i) reg = CRC15.Ajoute_Bit(reg, brute[i] == '1');
    Reg_CRC = static_cast<int16_t>(reg);
    Bits_CRC.resize(15);
    for (int b = 0; b < 15; ++b) Bits_CRC[static_cast<size_t>(b)] = ((reg >> (14 - b)) & 1) ? '1' : '0';
    const char* const chiffres = "0123456789ABCDEF";
    char hexa[4];
    int debut = 4;
    do {
        hexa[--debut] = chiffres[reg & 0xF];
        reg >>= 4;
    } while (reg != 0);
    Champ_CRC.assign(hexa + debut, hexa + 4);
}

bool Trame::Construit_Trame(const std::string& dlc, bool identifiantComplet) {
    // Each text is refilled in place: after the first frame, no allocation.
    Vide(Trame_Bin);
    Trame_Bin += "0 ";
    if (dlc.size() == 1 && dlc[0] >= '0' && dlc[0] <= '8') {
        Trame_Bin.append(Bits_ID).append(" ").append(Bit_RTR).append(" ").append(Bits_Ctrl);
        const size_t d = static_cast<size_t>(dlc[0] - '0');
        for (size_t k = 0; k < d; ++k) {
            Trame_Bin += ' ';
            Trame_Bin += Bits_D[k];
        }
    }
    Trame_Brute.resize(Trame_Bin.size());
    Trame_Brute.erase(std::remove_copy(Trame_Bin.begin(), Trame_Bin.end(), Trame_Brute.begin(), ' '),
                      Trame_Brute.end());
    Calcul_CRC(); // over SOF .. last data bit

    Trame_Bin += ' ';
    Trame_Bin += Bits_CRC;
    Trame_Brute += Bits_CRC;
    Text1 = std::to_string(Trame_Brute.size() + 9); // + CRC delimiter, ACK, EOF

    if (!identifiantComplet) return false;
    Stuffe_Trame();
    return true;
}

void Trame::Stuffe_Trame() {
    // The bits go through the stuffing rule a byte at a time. Each group of eight
    // characters and its eight symbols are written as two words; a stuff bit is written
    // after its character and the rest of the group written again after it. The texts
    // get room for every possible stuff bit (one after the first five bits, then at most
    // one every four) and for a word written past the end, then are cut to what was
    // written.
    const size_t n = Trame_Brute.size();
    const size_t place = n + n / 4 + 1 + 8;
    Trame_Stuffee.resize(place);
    TrameDR.resize(place + 10);
    const char* const brute = Trame_Brute.data();
    char* const debut = &Trame_Stuffee[0];
    char* s = debut;
    char* dr = &TrameDR[0];
    Stuffing regle;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t texte = Huit_Caracteres(brute + i);
        // "D" where the character is "0", "r" elsewhere: 'r' ^ ('D' ^ 'r') in those bytes.
        const uint64_t symboles = Un_Par_Octet * 'r' ^ Egaux_A(texte, '0') * ('D' ^ 'r');
        unsigned ou = regle.Octet(Octet_Texte(texte));
        int ecrits = 0; // characters of the group already in place
        for (;;) {
            if (ecrits < 8) {
                Ecrit_Huit(s, texte >> (8 * ecrits));
                Ecrit_Huit(dr, symboles >> (8 * ecrits));
            }
            if (ou == 0) break;
            const int j = __builtin_clz(ou) - 24; // the first character a stuff bit follows
            ou &= ~(0x80u >> j);
            s += j + 1 - ecrits;
            dr += j + 1 - ecrits;
            ecrits = j + 1;
            const bool recessif = brute[i + static_cast<size_t>(j)] != '1';
            *s++ = recessif ? '1' : '0';
            *dr++ = recessif ? 'S' : 's';
        }
        s += 8 - ecrits;
        dr += 8 - ecrits;
    }
    for (; i < n; ++i) Ecrit(brute[i], regle.Bit(brute[i] == '1'), s, dr);
    if (n > 0) {
        Bit_Prec.assign(1, regle.Dernier() ? '1' : '0');
        Nb_Egaux = static_cast<int16_t>(regle.Egaux());
    }
    Trame_Stuffee.resize(static_cast<size_t>(s - debut));
    std::fill(dr, dr + 10, 'r'); // CRC delimiter, ACK, EOF
    TrameDR.resize(Trame_Stuffee.size() + 10);
    Trame_Bin.append(" 11 1111111");
    Vide(Trame_Bin_Stuf);
    Trame_Bin_Stuf.append(Trame_Stuffee).append("111111111");
    Text2 = std::to_string(Trame_Stuffee.size() + 9);
}

void Trame::Marque_Bits() {
    // A bit that follows five equal bits is a stuff bit; the start bit is compared
    // with a marker that equals nothing, so it is always "D".
    const size_t n = Trame_Stuffee.size();
    TrameDR.resize(n + 10);
    char* dr = &TrameDR[0];
    const char* const bits = Trame_Stuffee.data();
    char prec = 'E';
    int k = 0; // equal neighbours seen so far in the current run
    for (size_t i = 0; i < n; ++i) {
        const char c = bits[i];
        const bool dominant = c == '0';
        if (k == 4) {
            dr[i] = dominant ? 's' : 'S';
            k = 0;
        } else {
            k = (c == prec) ? k + 1 : 0;
            dr[i] = dominant ? 'D' : 'r';
        }
        prec = c;
    }
    std::fill(dr + n, dr + n + 10, 'r');
}

void Trame::Efface_Donnees() {
    for (auto& octet : Bits_D) octet.clear();
}

} // namespace varnel
