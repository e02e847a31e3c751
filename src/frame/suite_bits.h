#pragma once
// Bits packed in machine words, and the stuff bits CAN inserts among them.
//
// The frame's texts hold one character per bit; counting or stuffing millions of
// frames wants whole bytes and words instead. The first bit of a sequence is the most
// significant bit of its first word (or byte), as it is the first sent on the bus.

#include <array>
#include <cstddef>
#include <cstdint>

namespace varnel {

// A sequence of up to 64 * Mots bits.
template <size_t Mots> struct SuiteBits {
    std::array<uint64_t, Mots> mots{};
    int n = 0; // bits appended so far

    // Appends the `nb` low bits of `valeur` (nb from 1 to 64), most significant first.
    void Ajoute(uint64_t valeur, int nb) {
        if (nb < 64) valeur &= (uint64_t{1} << nb) - 1;
        const size_t i = static_cast<size_t>(n >> 6);
        const int libre = 64 - (n & 63); // room left in mots[i]
        if (nb <= libre) {
            mots[i] |= valeur << (libre - nb);
        } else {
            mots[i] |= valeur >> (nb - libre);
            mots[i + 1] |= valeur << (64 - (nb - libre));
        }
        n += nb;
    }
};

// The stuffing rule, fed with the bits of a frame in the order they are sent: after five
// equal bits in a row comes a stuff bit of the opposite level, which itself starts the
// next run; a run that ends on the very last bit gets one too. Eight bits go through at
// once with a table made at compile time, for each state and each byte.
class Stuffing {
public:
    // One bit; true when a stuff bit goes right after it.
    bool Bit(bool bit);
    // Eight bits, most significant first. Returns where stuff bits go: bit 7 - j set
    // when one goes after bit j (at most two per byte).
    unsigned Octet(uint8_t octet);

    int Nombre() const { return nombre_; } // stuff bits so far
    // The level of the last bit sent (a stuff bit included) and the length of the run
    // it ends; meaningless before the first bit.
    bool Dernier() const { return (etat_ >> 2) & 1; }
    int Egaux() const { return static_cast<int>(etat_ & 3) + 1; }

private:
    // Level of the last bit in bit 2, run length - 1 in bits 0..1; 8 before any bit.
    unsigned etat_ = 8;
    int nombre_ = 0;
};

// The stuff bits of the `n` bits of `mots`: returns their number and, when `positions`
// is given (room for n / 4 + 1 entries), the index of the bit each one follows.
int Compte_Stuff(const uint64_t* mots, int n, int* positions = nullptr);

} // namespace varnel
