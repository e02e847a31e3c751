#pragma once
// The geometry of the signal plot shared by its set-up, the bit drawing, the frame
// tail and the layer commands: the four traces' colours, levels and offsets, and
// where texts stand.

#include <QString>

namespace varnel::bus {

// One trace of the signal plot: its colour and its levels relative to its offset.
struct Niveaux {
    int couleur; // 0x00BBGGRR
    double dominant;
    double recessif;
};
inline constexpr Niveaux Emet{0x008000, 0, 10};
inline constexpr Niveaux CANH{0x0000FF, 18, 6};
inline constexpr Niveaux CANL{0xFF0000, -9, 3};
inline constexpr Niveaux Recep{0xFF00FF, 6, 16};

// Vertical offsets of the shown traces; a hidden trace is moved out of view.
inline constexpr int PosEmet = 82;
inline constexpr int PosRecep = 62;
inline constexpr int PosCANH = 42;
inline constexpr int PosCANL = 17;
inline constexpr int DecalageCache = 200;

// Y of the texts: field labels and stuff marks, "Idle" over the bus, out of view.
inline constexpr double YChamps = 90;
inline constexpr double YIdle = 26;
inline constexpr double YCache = 450;

// Numeric value of a text the way the classic Val reads it: the leading number,
// 0 when there is none ("" -> 0, "7" -> 7, "A" -> 0).
double Valeur(const QString& texte);

} // namespace varnel::bus
