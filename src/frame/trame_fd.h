#pragma once
// CAN FD frames (ISO CAN FD), base and extended: the texts the window shows for one and
// the frame as bit times.
//
// Plain C++17, no Qt, no state: the window calls `Construit_Trame_FD` at every key with
// what is typed so far; varnel-trame calls it once. Bits are characters, "0" dominant,
// "1" recessive, most significant bit first, as in the classic engine (trame.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/transmission.h"

namespace varnel {

// Data length of an FD DLC: 0..8 -> 0..8 bytes, 9..15 -> 12, 16, 20, 24, 32, 48, 64;
// -1 outside 0..15.
int Longueur_FD(int dlc);
// The DLC of exactly `octets` data bytes; -1 when no DLC has that length.
int DLC_FD(size_t octets);

// What is typed of an FD frame.
struct SaisieFD {
    std::string Bits_ID;         // as Regle_Identifiant gives them: 11 bits, or 11 + " 11 " + 18 (extended)
    bool BRS = false;            // recessive: the data phase runs at the fast bit rate
    bool ESI = false;            // recessive: the transmitter is error passive
    int DLC = 0;                 // 0..15
    std::vector<uint8_t> Octets; // the bytes typed so far; those beyond Longueur_FD(DLC) are not sent
};

// An FD frame: the six texts of the window's frame boxes and its bit times.
struct TrameFD {
    std::string Trame_Bin;      // raw frame in blank-separated groups, then " 11 1111111"
    std::string Text1;          // raw bits from SOF to the last CRC bit, + 9
    std::string Champ_CRC;      // CRC in upper-case hexadecimal, no leading zeros
    std::string Trame_Bin_Stuf; // bits sent from SOF to the last CRC bit, then "11" + "1111111"
    std::string Text2;          // bits sent from SOF to the last CRC bit, + 9
    std::string TrameDR;        // one letter per bit sent: D r s S f F, then ten "r"; = Symboles(Bits)
    Transmission Bits;          // SOF .. last end-of-frame bit, names, fields and phases
    uint32_t Reg_CRC = 0;       // the CRC-17 (up to 16 data bytes by the DLC) or CRC-21
    int Nb_Stuff = 0;           // dynamic stuff bits; the stuff count is this modulo 8
};

// The frame of `s`. With fewer bytes than the DLC asks, the frame carries the bytes given
// (its DLC field still says `s.DLC`): the window shows a frame as it is typed. The CRC
// width follows the DLC. An identifier of another shape than Regle_Identifiant's, or a
// DLC outside 0..15, gives an empty frame (every text empty, no bit).
TrameFD Construit_Trame_FD(const SaisieFD& s);

} // namespace varnel
