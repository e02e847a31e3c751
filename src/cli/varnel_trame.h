#pragma once
// varnel-trame: the frame engine on the command line. The logic lives here (not in
// main.cpp) so that the tests can run it in-process.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "frame/bus_erreurs.h"
#include "frame/transmission.h"

namespace varnel {

// Exit statuses of the tool.
inline constexpr int SortieOk = 0;
inline constexpr int SortieLignesIgnorees = 1; // --journal: some lines did not read
inline constexpr int SortieErreur = 2;

// Runs the tool with the arguments that follow the program name. The result lines (or
// the usage, or the figures of a log) go to `sortie`; a refusal is one line on `erreurs`,
// starting with "varnel-trame: ", and nothing at all is written to `sortie`. With
// --journal, each line of the log that does not read is told on `erreurs`.
int Varnel_Trame(const std::vector<std::string>& arguments, std::ostream& sortie, std::ostream& erreurs);

// The usage text printed by --help.
std::string Usage_Varnel_Trame();

// Value Change Dump of a frame as the bus carries it: 11 idle bits, the bit times of
// `bits` (SOF to the last end-of-frame bit, or a whole run of the error model), 3 idle bits.
// Two signals: can_tx, what the transmitter drives, and can_rx, the bus a receiver sees (its
// own acknowledge included); with `recepteurs`, two more: rx1_tx and rx2_tx, what each
// receiver drives.
// Bits run at `debit` bit/s; those of a data phase at `debitDonnees`, the rate switching
// at the sample point, 75 %, of the last bit before that phase (BRS) and of the first
// after it (CRC delimiter). The time unit is the one `Unites_VCD` gives, which must not
// be 0.
std::string Texte_VCD(const Transmission& bits, uint32_t debit, uint32_t debitDonnees,
                      const std::string& commentaire, bool recepteurs = false);

// VCD time units per second for `bits`: 1 ns when every bit runs at `debit` (each edge
// rounded to the nearest nanosecond); with a data phase, the coarsest of 1 ns .. 1 fs in
// which a quarter of a bit lasts a whole number of units at both rates, 0 when none does.
uint64_t Unites_VCD(const Transmission& bits, uint32_t debit, uint32_t debitDonnees);

// The disturbance of --erreur: "bus:N", "emetteur:N", "recepteur:N" (also with accents, N
// from 0 to 999999) or "ack". False for anything else.
bool Lit_Perturbation(const std::string& texte, Perturbation& p);

// The lines --erreur prints after the usual six: the events in time order, the bus and the
// level each node drives at each bit time, the final counters and states.
std::string Lignes_Deroulement(const Deroulement& d);

// Writes `contenu` to `chemin` through a temporary file of the same directory renamed
// at the end, so that a failure never leaves a partial file. Returns an empty text on
// success, else the reason in French.
std::string Ecrit_Fichier(const std::string& chemin, const std::string& contenu);

// The reason for an error number (errno), in French.
std::string Raison_Systeme(int numero);

} // namespace varnel
