#pragma once
// A transmission given as data (frame/transmission.h), drawn on the signal plot one bit
// time per step.
//
// Each bit time is one cell: 5 X units at the nominal rate, 5 / ratio in a fast data
// phase, the first one starting at X 15 after the idle time. The emitter trace shows
// what the transmitter drives, the receiver trace what receiver 1 drives, CAN_H and
// CAN_L the bus. A bit time's name is written over its cell (vertical, green, the SOF
// red), and the mark of its kind beside it (horizontal) when that kind has one: the
// drawing knows nothing of frames, it reads the levels, the names and the table of
// marks below. Any transmission is drawn this way: a CAN FD frame, or an error run of
// the three-node bus once its kinds of bit times have their entries in the table.
//
// How the window uses it (simulation/pas_transmission.cpp): `Prepare` with the bit
// times each time they change (this also puts the drawing back to nothing drawn), then
// one `Dessine_Suivant` per "Pas à Pas"; the plot's own reset (`Efface_Visu_CAN`)
// calls `Remet_A_Zero`. Whatever the window shows beside a step (counters, words) reads
// `Dessines()`: bit time `Dessines() - 1` is the one just drawn.

#include "frame/transmission.h"

#include <QString>

#include <vector>

namespace varnel {

class Courbe;
class VisuPlot;

// How the drawing marks the bit times of one kind: the text written over the cell
// (none when empty), its colour (0x00BBGGRR), and the words `Text4` shows for it when
// the mark is clicked. One entry per `Genre`.
struct MarqueGenre {
    const char* marque;
    int couleur;
    const char* inspection;
};
const MarqueGenre& Marque_Genre(Genre g);

// The words `Text4` shows for a text clicked on the plot: what a mark stands for
// ("S" -> "Stuff", "F" -> "Stuff fixe"), any other text as it is.
QString Texte_Inspection(const QString& texte);

// Where a drawing goes and how its texts look.
struct SupportDessin {
    VisuPlot* plot = nullptr;
    Courbe* emetteur = nullptr;
    Courbe* recepteur = nullptr;
    Courbe* canh = nullptr;
    Courbe* canl = nullptr;
    bool legende = true; // texts in view (Y 90, "Idle" 26) or moved out of it (450)
    double taille = 8;   // point size of the names and marks
};

class DessinTransmission {
public:
    // Where a step-by-step run stands.
    enum class Etat {
        Repos, // nothing drawn (or what is drawn is left from before)
        Lance, // a run is under way: its first step has drawn bit time 0
        Fini,  // every bit time drawn and the run closed
    };

    // From now on the window draws `bits`, the cells of their fast data phase `rapport`
    // times narrower than a nominal one; nothing of them is drawn yet.
    void Prepare(Transmission bits, int rapport);
    // No transmission: the window draws its classic frame again.
    void Abandonne();
    // True between `Prepare` and `Abandonne`.
    bool Actif() const { return actif_; }
    const Transmission& Bits() const { return bits_; }

    // Cell geometry in X units. `Debut(Bits().size())` is the end of the last cell.
    double Debut(size_t i) const { return debuts_.at(i); }
    double Largeur(size_t i) const { return debuts_.at(i + 1) - debuts_.at(i); }
    double Fin() const { return debuts_.back(); }

    // ---- The run ----
    Etat Etat_Run() const { return etat_; }
    size_t Dessines() const { return dessines_; }
    bool Tout_Dessine() const { return dessines_ >= bits_.size(); }
    // Nothing drawn any more: the plot has been emptied.
    void Remet_A_Zero();
    void Demarre() { etat_ = Etat::Lance; }
    void Termine() { etat_ = Etat::Fini; }
    // Draws the next bit time (before bit time 0, the "Idle" text over the bus).
    // False when every bit time is drawn already.
    bool Dessine_Suivant(const SupportDessin& s);

private:
    Transmission bits_;
    std::vector<double> debuts_{15};
    size_t dessines_ = 0;
    Etat etat_ = Etat::Repos;
    bool actif_ = false;
};

} // namespace varnel
