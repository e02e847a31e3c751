#pragma once
// varnel-trame: the frame engine on the command line. The logic lives here (not in
// main.cpp) so that the tests can run it in-process.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace varnel {

// Exit statuses of the tool.
inline constexpr int SortieOk = 0;
inline constexpr int SortieErreur = 2;

// Runs the tool with the arguments that follow the program name. The six result
// lines (or the usage) go to `sortie`; a refusal is one line on `erreurs`, starting
// with "varnel-trame: ", and nothing at all is written to `sortie`.
int Varnel_Trame(const std::vector<std::string>& arguments, std::ostream& sortie, std::ostream& erreurs);

// The usage text printed by --help.
std::string Usage_Varnel_Trame();

// Value Change Dump of one frame as the bus carries it: `trameStuffee` is the stuffed
// frame from SOF to the last CRC bit (stuff bits included). Two signals, can_tx (the
// emitter, ACK slot recessive) and can_rx (the bus seen by a receiver, ACK slot
// dominant); 11 idle bits before, CRC delimiter, ACK, ACK delimiter, 7 EOF bits and
// 3 idle bits after. Timescale 1 ns; one bit lasts 1e9 / `debit` ns (rounded per edge).
std::string Texte_VCD(const std::string& trameStuffee, uint32_t debit, const std::string& commentaire);

// Writes `contenu` to `chemin` through a temporary file of the same directory renamed
// at the end, so that a failure never leaves a partial file. Returns an empty text on
// success, else the reason in French.
std::string Ecrit_Fichier(const std::string& chemin, const std::string& contenu);

} // namespace varnel
