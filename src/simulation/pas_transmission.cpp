// "Pas à Pas" and "Instantanné" for a transmission given as data (a CAN FD frame): the
// run around the drawing of simulation/dessin_transmission.cpp, with the same rules as
// for a classic frame. The first activation checks the input, puts the cursor and draws
// the first bit time; each next one draws one bit time; the one after the last closes
// the run and the `Affichage` menu until "Effacer" or a new frame.

#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>

namespace varnel {

SupportDessin Form1::Support_Dessin() const {
    SupportDessin s;
    s.plot = Visu_CAN;
    s.emetteur = Courbe_Emet;
    s.recepteur = Courbe_Recep;
    s.canh = Courbe_CANH;
    s.canl = Courbe_CANL;
    s.legende = Legend->isChecked();
    s.taille = Taille_Etiquettes();
    return s;
}

void Form1::Pas_Transmission() {
    using Etat = DessinTransmission::Etat;
    if (Dessin.Etat_Run() == Etat::Fini) {
        // The drawing is complete: nothing left to draw.
        Active_Menu(Affichage, false);
        return;
    }
    if (Dessin.Etat_Run() == Etat::Repos) {
        Verif_Saisie();
        if (!Saisie_Complete || Dessin.Bits().empty()) return;
        // What is left of a discarded drawing goes before the new one starts.
        if (Visu_CAN->Nb_Annotations() > 0) BP_Clear_Click();
        Visu_CAN->Restaure_Plages();
        Dessin.Demarre();
        Ajoute_Curseur();
        Af_legend->setEnabled(true);
        Masquer->setEnabled(true);
    }
    if (Dessin.Tout_Dessine()) {
        Dessin.Termine();
        Trace_Fini = true;
        Active_Menu(Affichage, false);
        return;
    }
    const bool premier = Dessin.Dessines() == 0;
    Dessin.Dessine_Suivant(Support_Dessin());
    if (premier) {
        Active_Menu(Legende, true);
        Menus_Legende();
    }
}

void Form1::Instantanne_Transmission() {
    BP_Clear_Click();
    if (Identifiant->text().length() < 3) {
        Message_Identifiant_Court();
        return;
    }
    Verif_Saisie();
    if (!Saisie_Complete || Dessin.Bits().empty()) return;
    // Every step only appends to the plot and asks for a queued redraw: the whole
    // transmission is painted once. One activation per bit time, one more to end.
    const size_t n = Dessin.Bits().size();
    for (size_t i = 0; i <= n; ++i) Pas_Transmission();
    Fin_Instantanne();
}

} // namespace varnel
