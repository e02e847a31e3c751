// Trace layers, frame displays and legends of the frame-simulation view.
//
// A layer is hidden by moving it out of the visible range, never by deleting it: a
// trace gets the vertical offset 200, a text item the Y 450. What is drawn meanwhile
// stays on the hidden trace and shows again with it. Each layer's state is kept in
// four places that these handlers keep in step: the menu check mark, the menu
// caption (Masquer ... while shown, Afficher ... while hidden), the status label
// (ON in blue, OFF in red) and, for the traces, the offset variable that `Init_Visu`
// reads whenever it creates the traces again.
//
// The legend handlers address text items by index. When an item is missing (the
// plot holds no drawing yet) the handler ends quietly at that point and keeps what
// it has done before it; nothing is reported to the user.

#include "app/apparence.h"
#include "app/form1.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace varnel {

namespace {

using Couleurs::Bleu;
using Couleurs::Rouge;

// Writes a status label: its subject followed by ON (blue) or OFF (red).
void Ecrit_Pref(QLabel* label, const QString& sujet, bool on) {
    label->setText(sujet + (on ? QStringLiteral(" ON") : QStringLiteral(" OFF")));
    Couleur_Texte(label, on ? Bleu : Rouge);
}

// Moves text item `i` to height `y`, keeping its X. False when the item does not
// exist, which ends the calling handler.
bool Place_Texte(VisuPlot* plot, int i, double y) {
    if (i < 0 || i >= plot->Nb_Annotations()) return false;
    plot->Deplace_Annotation(i, plot->Annotation_Item(i).x, y);
    return true;
}

void Decale(Courbe* courbe, int decalage) {
    if (courbe) courbe->Decalage_Y(decalage);
}

// The legend of the arbitration plot: its bit names, all at one height. The menus
// follow only when there is something to move.
void Place_Legende_Arb(Form1& f, double y) {
    if (f.Visu_ARB->Nb_Annotations() == 0) return;
    for (int i = 0; i < f.Visu_ARB->Nb_Annotations(); ++i) Place_Texte(f.Visu_ARB, i, y);
    const bool montree = y != bus::YCache;
    f.Af_legend->setEnabled(!montree);
    f.Masquer->setEnabled(montree);
    f.Visu_ARB->Rafraichit();
}

// Shows or hides a frame display (its bits and its count). Its check mark is set
// while the display is hidden.
void Bascule_Affichage(QAction* item, QLineEdit* trame, QLineEdit* nb, QLabel* pref, const QString& sujet) {
    const bool cache = !item->isChecked();
    item->setChecked(cache);
    trame->setVisible(!cache);
    nb->setVisible(!cache);
    item->setText((cache ? QStringLiteral("Afficher ") : QStringLiteral("Masquer ")) + sujet);
    Ecrit_Pref(pref, sujet.left(1).toUpper() + sujet.mid(1), !cache);
}

} // namespace

void Form1::Connecte_Couches() {
    Connecte_Menu(Aff_Emet, [this] { Aff_Emet_Click(); });
    Connecte_Menu(Aff_Recep, [this] { Aff_Recep_Click(); });
    Connecte_Menu(Aff_Bus, [this] { Aff_Bus_Click(); });
    Connecte_Menu(Aff_T_Brute, [this] { Aff_T_Brute_Click(); });
    Connecte_Menu(Aff_T_Stuff, [this] { Aff_T_Stuff_Click(); });
    Connecte_Menu(Legend, [this] { Legend_Click(); });
    Connecte_Menu(Masquer, [this] { Masquer_Click(); });
    Connecte_Menu(Af_legend, [this] { Af_legend_Click(); });
}

void Form1::Aff_Emet_Click() {
    if (Aff_Emet->isChecked()) {
        Aff_Emet->setChecked(false);
        Pos_Emet = bus::DecalageCache;
        Decale(Courbe_Emet, Pos_Emet);
        Aff_Emet->setText(QStringLiteral("Afficher Emetteur"));
        Ecrit_Pref(Pref_Em, QStringLiteral("Emetteur"), false);
        Masquer_Click();
        Active_Menu(Legende, false);
    } else {
        Aff_Emet->setChecked(true);
        Pos_Emet = bus::PosEmet;
        Decale(Courbe_Emet, Pos_Emet);
        Ecrit_Pref(Pref_Em, QStringLiteral("Emetteur"), true);
        Aff_Emet->setText(QStringLiteral("Masquer Emetteur"));
        Active_Menu(Legende, true);
    }
    Visu_CAN->Rafraichit();
}

void Form1::Aff_Recep_Click() {
    const bool montre = !Aff_Recep->isChecked();
    Aff_Recep->setChecked(montre);
    Pos_Recep = montre ? bus::PosRecep : bus::DecalageCache;
    Decale(Courbe_Recep, Pos_Recep);
    Aff_Recep->setText(montre ? QStringLiteral("Masquer Récepteur") : QStringLiteral("Afficher Récepteur"));
    Ecrit_Pref(Pref_Rec, QStringLiteral("Récepteur"), montre);
    Visu_CAN->Rafraichit();
}

void Form1::Aff_Bus_Click() {
    const bool montre = !Aff_Bus->isChecked();
    Aff_Bus->setChecked(montre);
    Pos_CANH = montre ? bus::PosCANH : bus::DecalageCache;
    Pos_CANL = montre ? bus::PosCANL : bus::DecalageCache;
    Decale(Courbe_CANH, Pos_CANH);
    Decale(Courbe_CANL, Pos_CANL);
    Aff_Bus->setText(montre ? QStringLiteral("Masquer Bus") : QStringLiteral("Afficher Bus"));
    Ecrit_Pref(Pref_Bus, QStringLiteral("Bus"), montre);
    // The "Idle" text goes with the bus; it comes back only when the legend is on.
    if (!montre) {
        if (!Place_Texte(Visu_CAN, 1, bus::YCache)) return;
    } else if (Legend->isChecked()) {
        if (!Place_Texte(Visu_CAN, 1, bus::YIdle)) return;
    }
    Visu_CAN->Rafraichit();
}

void Form1::Aff_T_Brute_Click() {
    Bascule_Affichage(Aff_T_Brute, Trame_Bin, Text1, Pref_TB, QStringLiteral("trame brute"));
}

void Form1::Aff_T_Stuff_Click() {
    Bascule_Affichage(Aff_T_Stuff, Trame_Bin_Stuf, Text2, Pref_TS, QStringLiteral("trame stuffée"));
}

void Form1::Legend_Click() {
    const bool on = !Legend->isChecked();
    Legend->setChecked(on);
    Ecrit_Pref(Pref_Legende, QStringLiteral("Légende"), on);
    // The preference decides where the texts of the next drawing go: start afresh.
    BP_Clear_Click();
}

void Form1::Masquer_Click() {
    if (Mode_Trame) {
        for (int i = 2; i < Visu_CAN->Nb_Annotations(); ++i) Place_Texte(Visu_CAN, i, bus::YCache);
        if (!Place_Texte(Visu_CAN, 1, bus::YCache)) return;
        Visu_CAN->Rafraichit();
        Af_legend->setEnabled(true);
        Masquer->setEnabled(false);
        Legend->setChecked(false);
        Ecrit_Pref(Pref_Legende, QStringLiteral("Légende"), false);
    }
    if (Mode_Arb) Place_Legende_Arb(*this, bus::YCache);
}

void Form1::Af_legend_Click() {
    if (Mode_Trame) {
        for (int i = 2; i < Visu_CAN->Nb_Annotations(); ++i) Place_Texte(Visu_CAN, i, bus::YChamps);
        // Without a drawing there is no "Idle" text to bring back: leave it out.
        Place_Texte(Visu_CAN, 1, bus::YIdle);
        Visu_CAN->Rafraichit();
        Af_legend->setEnabled(false);
        Masquer->setEnabled(true);
        Legend->setChecked(true);
        Ecrit_Pref(Pref_Legende, QStringLiteral("Légende"), true);
    }
    if (Mode_Arb) Place_Legende_Arb(*this, bus::YChamps);
}

} // namespace varnel
