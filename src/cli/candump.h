#pragma once
// Frames and log lines as the Linux CAN tools (can-utils) write them, and the time a frame
// takes on the bus.
//
// candump writes a frame as `123#01FF` (3 hexadecimal digits: standard identifier, 8:
// extended; then the data bytes, with dots between them if one likes, one at a time, as
// cansend reads them), `123#R` or `123#R3` (remote frame, DLC 0 or 3) and `123##1<data>`
// (CAN FD, the digit after "##" its flags: 1 BRS, 2 ESI, 4 the FD mark recent versions
// add). `candump -L` writes one frame a line: `(1436509052.249713) can0 123#01FF`. Reading
// a line allocates nothing; only a refusal builds its text.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/transmission.h"

namespace varnel {

struct TrameCandump {
    uint32_t identifiant = 0;
    bool etendue = false; // written with 8 digits
    bool fd = false;      // "##"
    bool requete = false; // "R": remote frame, no data bytes
    bool brs = false;
    bool esi = false;
    uint8_t dlc = 0;      // classic: the byte count, or the digit after R; FD: the DLC of the byte count
    uint8_t longueur = 0; // data bytes
    std::array<uint8_t, 64> donnees{};
};

// Reads `texte` as candump writes a frame. Returns an empty text when it reads, else the
// reason in French (then `t` holds anything).
std::string Lit_Trame_Candump(std::string_view texte, TrameCandump& t);

// "standard", "étendue", "FD standard" or "FD étendue"; with `detail`, " requête", " BRS"
// and " ESI" after it when the frame has them.
const char* Format_Trame(const TrameCandump& t, bool detail);

// The identifier as candump writes it: 3 or 8 upper-case hexadecimal digits.
std::string Identifiant_Candump(const TrameCandump& t);

// A frame on the bus: every bit time from SOF to the end of the 3 intermission bits, stuff
// bits included, and how long they last (a CAN FD frame with BRS runs its data phase at
// the data rate).
struct TempsSurLeBus {
    int bits = 0;
    Quarts quarts;
};
TempsSurLeBus Temps_Sur_Le_Bus(const TrameCandump& t);

// One line of `candump -L`.
struct LigneCandump {
    std::string_view horodatage; // the text between the parentheses
    uint64_t instant = 0;        // that time in nanoseconds
    std::string_view interface;
    std::string_view texteTrame;
    TrameCandump trame;
};

// Reads `ligne` (without its end of line). Returns an empty text when it reads, else the
// reason in French.
std::string Lit_Ligne_Candump(std::string_view ligne, LigneCandump& l);

} // namespace varnel
