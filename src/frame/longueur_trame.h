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

// A CAN FD frame as numbers.
struct TrameFDNombres {
    uint32_t identifiant = 0; // 11 bits, or 29 when `etendue`; higher bits are ignored
    bool etendue = false;
    bool brs = false;
    bool esi = false;
    uint8_t dlc = 0; // 0 .. 15: Longueur_FD(dlc) data bytes are sent
    std::array<uint8_t, 64> donnees{};
};

struct LongueurFD {
    int bits = 0;         // SOF .. last CRC bit, every stuff bit included (as `Construit_Trame_FD` sends)
    int avantDonnees = 0; // SOF .. BRS, stuff bits included: the bits before a fast data phase
    int stuff = 0;        // dynamic stuff bits; the stuff count sends this modulo 8
};

// The length of an FD frame: dynamic stuff bits up to the last data bit (none after it,
// where the first fixed stuff bit stands), the stuff count and its parity, the CRC-17 or
// CRC-21 and its fixed stuff bits. The CRC's value does not change the length: the fixed
// stuff bits come every fourth bit whatever the bits are.
LongueurFD Longueur_Stuffee_FD(const TrameFDNombres& t);

} // namespace varnel
