// The mouse on the signal plot: dragging the "<  >" cursor along the time axis, and
// repeating a clicked label in `Text4` so that a small vertical name can be read at
// ease. The middle button belongs to the plot itself (panning the time axis), so
// these handlers leave it alone: it neither starts nor ends a drag.

#include "app/form1.h"
#include "simulation/visu_plot.h"

#include <QLineEdit>

#include <algorithm>

namespace varnel {
namespace {

// The cursor is the first text item of a drawing (created by the first step).
constexpr int Curseur = 0;
// Left of this pixel the mouse has left the traces: the drag ends there.
constexpr double Bord_Gauche = 65;

} // namespace

void Form1::Visu_CAN_MouseDown(Qt::MouseButton bouton, double x, double y) {
    if (bouton == Qt::MiddleButton) return;
    Souris_X = static_cast<int>(x);
    if (Visu_CAN->Annotation_Sous(x, y) == Curseur) Glisse_Curseur = true;
}

void Form1::Visu_CAN_MouseMove(Qt::MouseButtons boutons, double x, double /*y*/) {
    if (boutons & Qt::MiddleButton) return;
    Souris_X = static_cast<int>(x);
    if (x < Bord_Gauche) Glisse_Curseur = false;
    // The drawing may have been cleared under a drag (a shortcut key): nothing to move.
    if (Glisse_Curseur && Visu_CAN->Nb_Annotations() > Curseur) {
        Annot_Courante = Curseur;
        const double y_curseur = Visu_CAN->Annotation_Item(Curseur).y;
        Visu_CAN->Deplace_Annotation(Curseur, Visu_CAN->Pixel_Vers_X(x), y_curseur);
    }
}

void Form1::Visu_CAN_MouseUp(Qt::MouseButton bouton, double, double) {
    if (bouton == Qt::MiddleButton) return;
    Glisse_Curseur = false;
}

void Form1::Visu_CAN_Annotation(int index) {
    if (index <= Curseur || index >= Visu_CAN->Nb_Annotations()) {
        Text4->hide();
        return;
    }
    QString texte = Visu_CAN->Annotation_Item(index).texte;
    texte = Texte_Inspection(texte); // a mark spelled out: "S" reads "Stuff"

    Text4->setText(texte);
    // At the mouse, but never past the right edge of its frame where it would be cut.
    int gauche = Twips(Souris_X * 15 + 100);
    if (QWidget* cadre = Text4->parentWidget())
        gauche = std::clamp(gauche, 0, std::max(0, cadre->width() - Text4->width()));
    Text4->move(gauche, Text4->y());
    Visu_CAN->Rafraichit();
    Text4->raise();
    Text4->show();
}

} // namespace varnel
