#pragma once
// Cyclic redundancy checks over a stream of bits, the way CAN computes them.
//
// For each input bit b: next = b xor the top bit of the register; the register shifts
// left by one inside its width; if next, the polynomial (its x^width term left out) is
// xored in. Nothing is reflected and nothing is xored at the end.
//
// Eight bits go in at once through a table of the 256 remainders of the polynomial,
// made at compile time, so a byte costs one look-up instead of eight shifts. The table
// does not care where the byte sits in the frame: any eight consecutive bits of the
// stream can go in together.

#include <array>
#include <cstdint>

namespace varnel {

class CodeCRC {
public:
    // `largeur` from 8 to 32 bits; `initial` is the register before the first bit.
    constexpr CodeCRC(int largeur, uint32_t polynome, uint32_t initial)
        : largeur_(largeur), masque_(largeur < 32 ? (uint32_t{1} << largeur) - 1 : ~uint32_t{0}),
          polynome_(polynome & masque_), initial_(initial & masque_) {
        for (uint32_t octet = 0; octet < 256; ++octet) {
            uint32_t reg = 0;
            for (int b = 7; b >= 0; --b) reg = Ajoute_Bit(reg, ((octet >> b) & 1) != 0);
            table_[octet] = reg; // the register after this byte, starting from zero
        }
    }

    constexpr int Largeur() const { return largeur_; }
    constexpr uint32_t Initial() const { return initial_; }

    constexpr uint32_t Ajoute_Bit(uint32_t reg, bool bit) const {
        const bool suivant = bit != (((reg >> (largeur_ - 1)) & 1) != 0);
        reg = (reg << 1) & masque_;
        return suivant ? reg ^ polynome_ : reg;
    }

    // The eight bits of `octet`, most significant first. The register's top byte and
    // the input byte meet in the same eight shifts, so their xor picks the remainder.
    constexpr uint32_t Ajoute_Octet(uint32_t reg, uint8_t octet) const {
        const uint32_t haut = (reg >> (largeur_ - 8)) ^ octet;
        return ((reg << 8) & masque_) ^ table_[haut & 0xFF];
    }

    // The `n` low bits of `bits` (n from 0 to 64), most significant first.
    constexpr uint32_t Ajoute_Bits(uint32_t reg, uint64_t bits, int n) const {
        for (; n >= 8; n -= 8) reg = Ajoute_Octet(reg, static_cast<uint8_t>(bits >> (n - 8)));
        for (; n > 0; --n) reg = Ajoute_Bit(reg, ((bits >> (n - 1)) & 1) != 0);
        return reg;
    }

private:
    int largeur_;
    uint32_t masque_;
    uint32_t polynome_;
    uint32_t initial_;
    std::array<uint32_t, 256> table_{};
};

// The classic frame's CRC, from zero over SOF .. last data bit.
inline constexpr CodeCRC CRC15{15, 0x4599, 0};
// CAN FD's two CRCs start with a one followed by zeros; CRC-17 up to 16 data bytes,
// CRC-21 above.
inline constexpr CodeCRC CRC17{17, 0x1685B, uint32_t{1} << 16};
inline constexpr CodeCRC CRC21{21, 0x102899, uint32_t{1} << 20};

} // namespace varnel
