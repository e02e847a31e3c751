#pragma once
// The length of a frame on the bus, computed on machine words: no text, no allocation.
//
// `Trame` builds a frame as the window shows it, one character per bit; reading a log
// of millions of frames needs only how many bit times each one takes. This computes the
// same bits as whole numbers: the fields are packed into 64-bit words, and the CRC and
// the stuff bits are computed a byte at a time.

#include <array>
#include <cstdint>

namespace varnel {

// A classic frame (CAN 2.0A / 2.0B) as numbers.
struct TrameClassique {
    uint32_t identifiant = 0; // 11 bits, or 29 when `etendue`; higher bits are ignored
    bool etendue = false;
    bool requete = false; // remote frame: no data bytes whatever the DLC
    uint8_t dlc = 0;      // 0 .. 15 as sent; 9 .. 15 carry eight bytes
    std::array<uint8_t, 8> donnees{};
};

// Bit times from SOF to the last CRC bit, stuff bits included (the length of the
// window's stuffed frame). The frame then takes 10 more bits to its last end-of-frame
// bit, and 3 of intermission before the next one may start.
int Longueur_Stuffee(const TrameClassique& t);

} // namespace varnel
