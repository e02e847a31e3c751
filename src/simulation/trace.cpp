// The signal plot: its time window, its bit grid, its four traces and the primitives
// that draw one bit cell (5 X units) at a time.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QRegularExpression>

#include <cmath>

namespace varnel {

double bus::Valeur(const QString& texte) {
    static const QRegularExpression nombre(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = nombre.match(texte);
    return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0;
}

namespace {

using bus::CANH;
using bus::CANL;
using bus::Emet;
using bus::Niveaux;
using bus::Recep;
using bus::Valeur;

// A vertical grid line at every bit boundary that any frame can reach (200 bits).
void Grille_Bits(VisuPlot* plot) {
    for (int x = 0; x <= 1000; x += 5) plot->Ajoute_Graduation_X(x, QString());
}

// The cell [x, x + 5] at `niveau` on one trace; `front` draws the edge at x first.
void Cellule_Bit(Courbe* c, const Niveaux& n, double x, double niveau, bool front) {
    if (front) c->Ajoute_Point(x, niveau, n.couleur);
    c->Ajoute_Point(x + 5, niveau, n.couleur);
}

bool Est_Dominant(const QString& symbole) {
    return symbole == "D" || symbole == "s";
}
bool Est_Recessif(const QString& symbole) {
    return symbole == "S" || symbole == "r";
}

} // namespace

void Form1::Ajust_Aff() {
    // A transmission given as data: the time axis spans it, whatever its length.
    if (Dessin.Actif()) {
        if (!Dessin.Bits().empty()) Visu_CAN->Plage_X(0, std::ceil((Dessin.Fin() + 30) / 50) * 50);
        return;
    }
    struct Fenetre {
        int max, texte, champ;
    };
    // Rows: remote frame, then data frames by DLC class; columns: standard, extended.
    static constexpr Fenetre Table[5][2] = {
        {{350, 0, -9}, {400, -2, -9}},    // remote frame, any DLC
        {{350, 0, -9}, {500, -3, -10}},   // DLC under 3
        {{450, -4, -11}, {600, -5, -12}}, // 3 or 4
        {{550, -4, -12}, {700, -6, -14}}, // 5 or 6
        {{650, -5, -13}, {800, -7, -16}}, // 7 or 8
    };
    const double dlc = Valeur(Controle->text());
    int ligne = 4;
    if (Check2->isChecked())
        ligne = 0;
    else if (dlc < 3)
        ligne = 1;
    else if (dlc < 5)
        ligne = 2;
    else if (dlc < 7)
        ligne = 3;
    const Fenetre& f = Table[ligne][Check1->isChecked() ? 1 : 0];
    Visu_CAN->Plage_X(0, f.max);
    Decal_Texte = f.texte;
    Decal_Champ = f.champ;
}

void Form1::Init_Axe_X() {
    // A transmission given as data: a grid line at every cell boundary, whatever the
    // cells' widths.
    if (Dessin.Actif()) {
        if (Dessin.Bits().empty()) return;
        Visu_CAN->Efface_Graduations_X();
        for (int x = 0; x < 15; x += 5) Visu_CAN->Ajoute_Graduation_X(x, QString());
        for (size_t i = 0; i <= Dessin.Bits().size(); ++i)
            Visu_CAN->Ajoute_Graduation_X(Dessin.Debut(i), QString());
        return;
    }
    Grille_Bits(Visu_CAN);
}

void Form1::Init_Axe_X_Arb() {
    Grille_Bits(Visu_ARB);
}

void Form1::Init_Visu() {
    const bool rapide = Check3->isChecked();
    Visu_CAN->Efface_Graduations_Y();
    Visu_CAN->Ajoute_Graduation_Y(4, "CAN_L");
    Visu_CAN->Ajoute_Graduation_Y(8, rapide ? "1,5v" : "1,00v");
    Visu_CAN->Ajoute_Graduation_Y(20, rapide ? "2,5v" : "3,25v");
    Visu_CAN->Ajoute_Graduation_Y(40, "CAN_H");
    Visu_CAN->Ajoute_Graduation_Y(48, rapide ? "2,5v" : "1,75v");
    Visu_CAN->Ajoute_Graduation_Y(60, rapide ? "3,5v" : "4,00v");
    Visu_CAN->Ajoute_Graduation_Y(68, QStringLiteral("Récepteur"));
    Visu_CAN->Ajoute_Graduation_Y(82, "Emetteur");
    Visu_CAN->Ajoute_Graduation_Y(92, QString());
    Visu_CAN->Ajoute_Graduation_Y(78, QString());

    // The four traces are created once and reused: each set-up starts them empty.
    const struct {
        Courbe*& courbe;
        const char* nom;
        const Niveaux& niveaux;
        int decalage;
    } traces[] = {{Courbe_Emet, "c1", Emet, Pos_Emet},
                  {Courbe_CANH, "c2", CANH, Pos_CANH},
                  {Courbe_CANL, "c3", CANL, Pos_CANL},
                  {Courbe_Recep, "c4", Recep, Pos_Recep}};
    for (const auto& t : traces) {
        if (t.courbe)
            t.courbe->Efface_Points();
        else
            t.courbe = Visu_CAN->Ajoute_Courbe(t.nom);
        t.courbe->Decalage_Y(t.decalage);
        // Idle: three recessive bit times before the start of frame.
        t.courbe->Ajoute_Point(0, t.niveaux.recessif, t.niveaux.couleur);
        t.courbe->Ajoute_Point(15, t.niveaux.recessif, t.niveaux.couleur);
    }
    Pos_X = 0;
    Visu_CAN->Rafraichit();
}

void Form1::Efface_Visu_CAN() {
    for (Courbe* c : {Courbe_Emet, Courbe_CANH, Courbe_CANL, Courbe_Recep})
        if (c) c->Efface_Points();
    Visu_CAN->Efface_Annotations();
    Visu_CAN->Rafraichit();
    Dessin.Remet_A_Zero(); // nothing of a transmission is drawn any more
}

void Form1::Trace_SOF() {
    Pos_X = 0;
    Cellule_Bit(Courbe_Emet, Emet, 15, Emet.dominant, true);
    Cellule_Bit(Courbe_CANH, CANH, 15, CANH.dominant, true);
    Cellule_Bit(Courbe_CANL, CANL, 15, CANL.dominant, true);
    Courbe_Recep->Ajoute_Point(20, Recep.recessif, Recep.couleur);
    Pos_X = 20;
}

void Form1::Trace_Dominant() {
    const double x = Pos_X;
    if (Est_Dominant(Symb_Prec) || Est_Recessif(Symb_Prec)) {
        const bool front = Est_Recessif(Symb_Prec);
        Cellule_Bit(Courbe_Emet, Emet, x, Emet.dominant, front);
        Cellule_Bit(Courbe_CANH, CANH, x, CANH.dominant, front);
        Cellule_Bit(Courbe_CANL, CANL, x, CANL.dominant, front);
        // The receiver keeps its recessive level while the emitter transmits.
        Courbe_Recep->Ajoute_Point(x + 5, Recep.recessif, Recep.couleur);
    }
    Pos_X = x + 5;
}

void Form1::Trace_Recessif() {
    const double x = Pos_X;
    if (Est_Dominant(Symb_Prec) || Est_Recessif(Symb_Prec)) {
        const bool front = Est_Dominant(Symb_Prec);
        Cellule_Bit(Courbe_Emet, Emet, x, Emet.recessif, front);
        // During the acknowledge the bus wires are drawn by the frame tail itself.
        if (!Phase_Ack) {
            Cellule_Bit(Courbe_CANH, CANH, x, CANH.recessif, front);
            Cellule_Bit(Courbe_CANL, CANL, x, CANL.recessif, front);
        }
    }
    Pos_X = x + 5;
}

void Form1::Trace_Stuff() {
    const double x = Pos_X;
    // A stuff bit always takes the level opposite to the bit before it.
    if (Est_Dominant(Symb_Prec) || Est_Recessif(Symb_Prec)) {
        const bool recessif = Est_Dominant(Symb_Prec);
        Cellule_Bit(Courbe_Emet, Emet, x, recessif ? Emet.recessif : Emet.dominant, true);
        Cellule_Bit(Courbe_CANH, CANH, x, recessif ? CANH.recessif : CANH.dominant, true);
        Cellule_Bit(Courbe_CANL, CANL, x, recessif ? CANL.recessif : CANL.dominant, true);
    }
    Pos_Y_Texte = Legend->isChecked() ? bus::YChamps : bus::YCache;
    Aff_Texte(x - 2 + Decal_Texte, Pos_Y_Texte, "S", 0, Couleurs::Bleu);
    Pos_X = x + 5;
}

double Form1::Taille_Etiquettes() const {
    // Long frames squeeze their cells: smaller labels for data frames of 5 bytes and
    // more (a CAN FD DLC is read in hexadecimal), larger ones for remote frames, whose
    // window is short.
    const int dlc = Val_Hexa(Controle->text().toStdString());
    return dlc < 5 ? 8 : (Check2->isChecked() ? 9 : 7);
}

void Form1::Aff_Texte(double x, double y, const QString& texte, int angle, int couleur) {
    Annot_Courante = Visu_CAN->Ajoute_Annotation(x, y, couleur);
    Annotation a = Visu_CAN->Annotation_Item(Annot_Courante);
    a.ancre = 3;
    a.texte = texte;
    a.taille = Taille_Etiquettes();
    a.angle = angle;
    a.visible = true;
    Visu_CAN->Modifie_Annotation(Annot_Courante, a);
}

} // namespace varnel
