#pragma once
// Error signalling on a bus of three nodes, one bit time at a time.
//
// The transmitter ("émetteur") sends a frame; two receivers ("récepteur 1", "récepteur 2")
// listen. At each bit time every node drives a level, the bus carries the wired AND, and
// every node reads the bus (a disturbance may invert what one node, or all, read) and runs
// the protocol of a CAN controller on what it read: de-stuffing and decoding of the frame
// (format, length and CRC come from the bits read, not from the frame sent), acknowledge,
// bit / stuff / CRC / form / acknowledge errors, active and passive error flags, error and
// overload delimiters, intermission, overload frames, suspend transmission, automatic
// retransmission, and the error counters with the active / passive / bus-off states.
// Nothing here knows about scenarios: each node is one small state machine over one bit
// time, and what a disturbance causes follows from it. CAN FD frames go through the same
// machine: stuff errors up to the last data bit only, a fixed stuff bit read wrong is a form
// error, the stuff count is checked with the CRC, flags run at the nominal rate.
//
// Counter rules worth naming, as a real controller applies them:
// - a successful reception (no error up to the ACK slot and the ACK bit sent and seen) takes
//   one from the REC at the ACK slot; a REC above 127 goes back to 127;
// - a successful transmission (no error up to the last end-of-frame bit) takes one from the
//   TEC at that bit;
// - the counters move at the bit time where the error is detected, the flag starting at the
//   next one; a transmitter that reaches 256 goes bus off there and sends no flag: the
//   receivers then find the error on their own;
// - the state of a node when it detects an error decides whether its flag is active or
//   passive; a passive flag ends after six equal bits read, as controllers wait for them;
// - a dominant last bit of an error or overload delimiter starts an overload frame.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/transmission.h"

namespace varnel {

// The nodes, in the order of the levels of `TempsBit`.
inline constexpr int NoeudEmetteur = 0;
inline constexpr int NoeudRecepteur1 = 1;
inline constexpr int NoeudRecepteur2 = 2;
inline constexpr int NbNoeuds = 3;

// "émetteur", "récepteur 1", "récepteur 2".
const char* Nom_Noeud(int noeud);

// The level node `noeud` drives at bit time `b`.
inline char Niveau(const TempsBit& b, int noeud) {
    return noeud == NoeudEmetteur ? b.emetteur : noeud == NoeudRecepteur1 ? b.recepteur1 : b.recepteur2;
}

enum class TypeErreur : uint8_t { Bit, Stuff, CRC, Forme, Acquittement };
// "erreur de bit", "erreur de stuff", "erreur de CRC", "erreur de forme", "erreur d'acquittement".
const char* Nom_Erreur(TypeErreur type);

enum class EtatErreur : uint8_t { Actif, Passif, BusOff };
// "actif", "passif", "bus off".
const char* Nom_Etat(EtatErreur etat);

// The error counters of one node and the state they give.
struct Compteurs {
    int tec = 0;
    int rec = 0;
    EtatErreur etat = EtatErreur::Actif;
    bool operator==(const Compteurs& c) const { return tec == c.tec && rec == c.rec && etat == c.etat; }
    bool operator!=(const Compteurs& c) const { return !(*this == c); }
};

// The state the counters put a node in.
EtatErreur Etat_Selon(int tec, int rec);

// One disturbance per run. `bit` counts bit times from the SOF of the first attempt (SOF = 0,
// stuff bits counted). Bus, Emetteur and Recepteur invert bit time `bit` once, for every node,
// for the transmitter only or for receiver 1 only, and only if that bit time falls in the
// first attempt (before the second SOF). Acquittement disconnects both receivers for the whole
// run: they drive recessive, read nothing, and nobody acknowledges.
struct Perturbation {
    enum class Sorte : uint8_t { Aucune, Bus, Emetteur, Recepteur, Acquittement };
    Sorte sorte = Sorte::Aucune;
    int bit = 0;
};

// Attempts a run allows at most: each one is a frame and an error frame, and an error-passive
// transmitter that nobody acknowledges would try for ever.
inline constexpr int TentativesMax = 1000;

// How the run starts and when the transmitter gives up.
struct ConditionsBus {
    int tentatives = 2; // attempts at most, 1 to TentativesMax; the run also stops at the first success
    int tec = 0;        // the transmitter's TEC
    int rec = 0;        // the REC of both receivers
};

// What the text output and the window list, in time order.
struct Evenement {
    enum class Sorte : uint8_t { Erreur, ArbitragePerdu, Surcharge };
    Sorte sorte = Sorte::Erreur;
    TypeErreur type = TypeErreur::Bit; // for Erreur
    int noeud = NoeudEmetteur;
    // Erreur, Surcharge: the bit time at which the node starts its flag (a node that goes bus
    // off sends none: the flag would have started there). ArbitragePerdu: the bit time lost.
    int bit = 0;
    bool operator==(const Evenement& e) const {
        return sorte == e.sorte && type == e.type && noeud == e.noeud && bit == e.bit;
    }
};

// The event as a line of text: "Erreur: erreur de CRC, récepteur 1, drapeau au bit 55",
// "Arbitrage perdu: émetteur au bit 3", "Surcharge: récepteur 2, drapeau au bit 63".
std::string Texte_Evenement(const Evenement& e);

// A whole run, from the first SOF to the end of the intermission after the last frame or error
// frame: the run ends at the first bit time after which every node is idle (or bus off) and
// the transmitter has nothing more to send.
//
// Each entry of `bits` holds the levels driven, the bus (as noise made the nodes read it for a
// Bus disturbance), and a name for the bit time. Nodes may be doing different things at the
// same bit time (one flags while another still sends its frame), so one node names it: the
// transmitter while it sends its frame or goes through an error frame, overload frame,
// intermission or suspension; otherwise the first receiver in such an element; otherwise a
// node decoding a frame nobody sends any more (after a lost arbitration). Frame bits carry the
// labels of the frame sent ("SOF", "ID10", "CRCD"...); the first bit time of each element of
// an error or overload frame carries "Drapeau", "Délim.", "Surcharge", "Inter." or
// "Suspension". A node's error flag, in its own view, runs from its first flag bit until it
// reads a recessive bit: the dominant bits of the other nodes' flags that it waits through are
// part of the superposed flag; its delimiter is then the eight recessive bits.
struct Deroulement {
    Transmission bits;
    std::vector<std::array<Genre, NbNoeuds>> vues;          // what each node does, per bit time
    std::vector<std::array<Compteurs, NbNoeuds>> compteurs; // as they stand after each bit time
    int bitPerturbe = -1;                                   // the bit time inverted, -1 if none
    std::vector<Evenement> evenements;
    std::array<Compteurs, NbNoeuds> final;
    std::vector<int> debuts; // the bit time of each attempt's SOF
    bool reussie = false;    // the frame got through
    bool termine = true;     // false only if the safety limit on the length cut the run
};

// Runs the bus for the frame `trame`, from its SOF to its last end-of-frame bit as
// `Transmission_Classique` or `Construit_Trame_FD` build it (classic or CAN FD, the
// transmitter recessive in the ACK slot). `tramePassive`, when given, is the same frame as an
// error-passive transmitter sends it (CAN FD: ESI recessive), for the attempts that start
// while the transmitter is error passive.
Deroulement Simule_Bus(const Transmission& trame, const Perturbation& perturbation,
                       const ConditionsBus& conditions, const Transmission* tramePassive = nullptr);

// The names written over the first bit time of each element of an error or overload frame.
inline constexpr const char* EtiquetteDrapeau = "Drapeau";
inline constexpr const char* EtiquetteDelimiteur = "Délim.";
inline constexpr const char* EtiquetteSurcharge = "Surcharge";
inline constexpr const char* EtiquetteIntermission = "Inter.";
inline constexpr const char* EtiquetteSuspension = "Suspension";

// One node on its own, fed the levels it reads, one per bit time, for what a run with a single
// disturbance never shows (bus-off recovery, a flag overwritten...). With a frame it is the
// transmitter, allowed `tentatives` attempts; without, a receiver. Counters with TEC >= 256
// start it bus off.
struct ObservationNoeud {
    char niveau;         // the level it drove
    Genre genre;         // what it did
    Compteurs compteurs; // after the bit time
};
std::vector<ObservationNoeud> Observe_Noeud(const Transmission* trame, int tentatives,
                                            const Compteurs& depart, const std::string& lus);

} // namespace varnel
