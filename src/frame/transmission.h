#pragma once
// A transmission described as data: one entry per bit time on the bus.
//
// For each bit time: the level each of the three nodes drives (the transmitter and
// two receivers), the level the bus carries, what kind of bit it is, the field it
// belongs to, the name written over its cell (most bits have none) and the bit rate
// it runs at. A frame is one such sequence; a run of the error model is a longer one.
// The window draws it cell by cell, varnel-trame prints it and writes it as VCD: the
// same frame gives the same bits everywhere, because they all read this.
//
// Levels are characters, as everywhere in the engine: '0' dominant, '1' recessive.

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

class Trame;

// What a bit time carries.
enum class Genre : uint8_t {
    Trame,               // a bit of the frame, SOF to the last end-of-frame bit
    Stuff,               // a dynamic stuff bit
    StuffFixe,           // a fixed stuff bit of a CAN FD CRC field
    Drapeau,             // an error flag bit (active or passive)
    DelimiteurErreur,    // an error delimiter bit
    Surcharge,           // an overload flag bit
    DelimiteurSurcharge, // an overload delimiter bit
    Intermission,        // one of the three bits between frames
    Suspension,          // suspend transmission of an error-passive transmitter
    Repos,               // the bus is idle
};

// The field of the frame a bit belongs to. A stuff bit belongs to the field of the bit
// before it (it is sent inside that field's run).
enum class Champ : uint8_t {
    Aucun, // not a frame bit
    SOF,
    Identifiant, // every identifier bit, base and extension
    SRR,
    IDE,
    RTR,
    RRS,     // CAN FD: the bit in RTR's place, always dominant
    FDF,     // CAN FD: recessive, this is an FD frame
    Reserve, // r1 / r0 of a classic frame, res of an FD frame
    BRS,
    ESI,
    DLC,
    Donnees,
    CompteStuff, // CAN FD: stuff count and its parity
    CRC,
    DelimiteurCRC,
    ACK,
    DelimiteurACK,
    EOF_, // end of frame (EOF is a macro of <cstdio>)
};

// The bit rate a bit time runs at: CAN FD frames with BRS send their data phase faster.
enum class Phase : uint8_t { Nominale, Donnees };

struct TempsBit {
    char emetteur = '1';   // level the transmitter drives
    char recepteur1 = '1'; // level receiver 1 drives
    char recepteur2 = '1'; // level receiver 2 drives
    char bus = '1';        // level on the bus: the wired AND, plus any disturbance
    Genre genre = Genre::Trame;
    Champ champ = Champ::Aucun;
    Phase phase = Phase::Nominale;
    std::string etiquette; // name over the cell ("SOF", "ID10", "d0.7", ...), empty for most
    bool operator==(const TempsBit& b) const {
        return emetteur == b.emetteur && recepteur1 == b.recepteur1 && recepteur2 == b.recepteur2 &&
               bus == b.bus && genre == b.genre && champ == b.champ && phase == b.phase &&
               etiquette == b.etiquette;
    }
    bool operator!=(const TempsBit& b) const { return !(*this == b); }
};

using Transmission = std::vector<TempsBit>;

// True for the bits the transmitter adds for the receivers' clocks, not for content.
inline bool Est_Stuff(Genre g) {
    return g == Genre::Stuff || g == Genre::StuffFixe;
}

// One bit of a frame before stuffing: the field it belongs to and the name over its cell.
struct Position {
    Champ champ = Champ::Aucun;
    std::string etiquette;
};

// A frame from its SOF to its last end-of-frame bit, as it goes on the bus. `emis`: the
// bits the transmitter sends from SOF to the last CRC bit, stuff bits included;
// `symboles`: at least one letter per bit of `emis` (as `Symboles` writes them), telling
// the stuff bits from the others; `positions`: the field and name of each of the other
// bits, in order. A stuff bit belongs to the field of the bit before it and has no name.
// Then the tail: CRC delimiter, the ACK slot both receivers pull dominant, ACK delimiter
// and the seven end-of-frame bits. Every bit at the nominal rate.
Transmission Assemble_Transmission(const std::string& emis, const std::string& symboles,
                                   const std::vector<Position>& positions);

// The recessive bits after a frame's last end-of-frame bit before the next frame may start.
inline constexpr int Intermission = 3;

// How long bit times last, in quarters of a bit at each rate. A CAN FD frame with BRS
// switches to the data rate at the sample point (75 %) of BRS, the last bit before its data
// phase, and back at the sample point of the CRC delimiter, the first bit after it: BRS
// lasts three nominal quarters and one fast one, the CRC delimiter three fast quarters and
// one nominal. The VCD writer, the frame durations and the bus load all count this way.
struct Quarts {
    uint64_t nominaux = 0; // quarters of a bit at the nominal rate
    uint64_t rapides = 0;  // quarters of a bit at the data rate
    Quarts& operator+=(const Quarts& q) {
        nominaux += q.nominaux;
        rapides += q.rapides;
        return *this;
    }
};

// The quarters of one bit time run at the nominal rate, from the phase of the bit and of
// its two neighbours (the rest at the data rate).
inline int Quarts_Nominaux(bool precedentRapide, bool rapide, bool suivantRapide) {
    return rapide ? 0 : suivantRapide ? 3 : precedentRapide ? 1 : 4;
}

// The bit times of `t`, with `intermission` nominal bits after them (the bus around them
// at the nominal rate).
Quarts Duree(const Transmission& t, int intermission = 0);
// A frame as `avant` bits at the nominal rate, `donnees` of a data phase, `apres` nominal.
Quarts Duree_Phases(int avant, int donnees, int apres);
// The time of `q` at `debit` (nominal) and `debitDonnees` bit/s, in nanoseconds rounded to
// the nearest (half up); 0 when a rate it needs is 0.
uint64_t Nanosecondes(const Quarts& q, uint32_t debit, uint32_t debitDonnees);

// One letter per bit time as the transmitter sends it: "D" / "r" for a bit, "s" / "S"
// for a dynamic stuff bit, "f" / "F" for a fixed stuff bit (dominant / recessive).
std::string Symboles(const Transmission& t);

// The classic frame that `t` holds once built and stuffed (`Construit_Trame` with a
// complete identifier), from its SOF to its last end-of-frame bit, as it goes on the
// bus: both receivers answer in the ACK slot. Its symbols are `t.TrameDR`, its labels
// those the window writes over a classic frame.
Transmission Transmission_Classique(const Trame& t);

} // namespace varnel
