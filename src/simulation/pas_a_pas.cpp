// Drawing the current frame on the signal plot: one bit per "Pas à Pas", or the whole
// frame at once with "Instantanné", and the field labels that name each bit.
//
// The bits come from the annotation `TrameDR` (one letter per transmitted bit: D r s S,
// then the ten recessive tail bits); the bus levels are drawn with the primitives of
// simulation/trace.cpp. The label routine also draws the receiver's side of the tail:
// its line through the CRC and the acknowledge pulse it puts on the bus.

#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>

#include <algorithm>

namespace varnel {
namespace {

using Couleurs::Noir;
using Couleurs::Rouge;
using Couleurs::Vert;

// The numbers of one frame format that the label routine needs: its label table,
// the number of header bits (SOF to DLC0, every one labelled), where the CRC labels
// start and where the last end-of-frame label stands.
struct Format {
    const std::string* lib;
    int taille;
    int entete;
    int debut_crc;
    int dernier_eof;
};

Format Format_Std(const Trame& t) {
    return {t.Lib_Std.data(), static_cast<int>(t.Lib_Std.size()), 19, 83, 107};
}
Format Format_Ext(const Trame& t) {
    return {t.Lib_Ext.data(), static_cast<int>(t.Lib_Ext.size()), 39, 103, 127};
}

// Label of entry i; an index outside the table names nothing.
QString Etiquette(const Format& f, int i) {
    if (i < 0 || i >= f.taille) return {};
    return QString::fromStdString(f.lib[i]);
}

// Number shown in a box, read as the classic Val reads it.
int Valeur(const QLineEdit* boite) {
    return static_cast<int>(bus::Valeur(boite->text()));
}

bool Est_Stuff(const QString& symbole) {
    return symbole == "S" || symbole == "s";
}

// Names the frame bit just drawn and draws the receiver's tail. Runs with `Num_Etiq`
// still at the position of that bit in the label table (the caller moves it on).
void Aff_Champ(Form1& w, const Format& f) {
    auto place = [&](int index) {
        w.Aff_Texte(w.Pos_X + w.Decal_Champ, w.Pos_Y_Texte, Etiquette(f, index), 90, Vert);
    };
    auto recepteur = [&](double x, double y) { w.Courbe_Recep->Ajoute_Point(x, y, bus::Recep.couleur); };
    const double x = w.Pos_X;

    // Arbitration and control fields: every bit has its name.
    if (w.Num_Etiq < f.entete) {
        place(w.Num_Etiq);
        return;
    }

    // Data field: only the first and the last bit of each byte are named.
    const bool requete = w.Check2->isChecked();
    if (!requete && w.Cpt_Octet < w.DLC_Pas) {
        if (w.Cpt_Bit == 0) {
            place(w.Num_Etiq);
            w.Cpt_Bit = 1;
        } else if (++w.Cpt_Bit == 8) {
            place(w.Num_Etiq);
            w.Cpt_Bit = 0;
            ++w.Cpt_Octet;
        }
        return;
    }
    // A remote frame carries no data whatever its DLC: straight on to the CRC.
    if (requete) w.Cpt_Octet = (w.Phase_Ack || w.CRC_Fini) ? w.DLC_Pas + 1 : w.DLC_Pas;

    // CRC: the labels jump to the CRC entries whatever the number of data bytes.
    if (w.Cpt_Octet == w.DLC_Pas) {
        if (w.Cpt_Bit == 0) {
            w.Num_Etiq = f.debut_crc;
            w.Cpt_Bit = 1;
            place(w.Num_Etiq);
        } else if (w.Cpt_Bit < 14) {
            ++w.Cpt_Bit;
            recepteur(x, bus::Recep.recessif);
        } else {
            place(w.Num_Etiq);
            w.Cpt_Bit = -1;
            recepteur(x, bus::Recep.recessif);
            w.T.Nb_Egaux = 0;
            w.Cpt_Octet = w.DLC_Pas + 1;
            w.CRC_Fini = true;
        }
        return;
    }

    // Tail. The receiver answers in the ACK slot: it and both bus wires go dominant two
    // units before the end of the slot and come back two units before the end of the
    // delimiter. The emitter's own recessive bits leave the bus wires to this code while
    // `Phase_Ack` holds.
    const bool filsBus = w.Symb_Prec == "r";
    // One edge of the acknowledge pulse: on the receiver, and on both bus wires when the
    // emitter left them recessive.
    auto front = [&](bool versDominant) {
        auto trace = [&](Courbe* c, const bus::Niveaux& n) {
            const double vers = versDominant ? n.dominant : n.recessif;
            c->Ajoute_Point(x - 2, versDominant ? n.recessif : n.dominant, n.couleur);
            c->Ajoute_Point(x - 2, vers, n.couleur);
            c->Ajoute_Point(x, vers, n.couleur);
        };
        trace(w.Courbe_Recep, bus::Recep);
        if (filsBus) {
            trace(w.Courbe_CANH, bus::CANH);
            trace(w.Courbe_CANL, bus::CANL);
        }
    };
    switch (w.Cpt_Bit) {
    case -1: // CRC delimiter
        place(w.Num_Etiq);
        w.Cpt_Bit = 0;
        recepteur(x, bus::Recep.recessif);
        w.Phase_Ack = true;
        break;
    case 0: // ACK slot
        place(w.Num_Etiq);
        w.T.Nb_Egaux = 0;
        w.Cpt_Bit = 1;
        front(true);
        break;
    case 1: // ACK delimiter
        place(w.Num_Etiq);
        w.T.Nb_Egaux = 0;
        w.Cpt_Bit = 2;
        front(false);
        w.Phase_Ack = false;
        break;
    case 2: // first end-of-frame bit
        place(w.Num_Etiq);
        w.T.Nb_Egaux = 0;
        w.Cpt_Bit = 3;
        recepteur(x, bus::Recep.recessif);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        w.T.Nb_Egaux = 0;
        ++w.Cpt_Bit;
        recepteur(x, bus::Recep.recessif);
        break;
    case 8: // last end-of-frame bit
        place(f.dernier_eof);
        w.Cpt_Bit = 0;
        w.T.Nb_Egaux = 0;
        recepteur(x, bus::Recep.recessif);
        w.Phase_Ack = false;
        w.CRC_Fini = false;
        break;
    default: break;
    }
}

} // namespace

void Form1::Connecte_Simulation() {
    Connecte_Menu(Pas_a_Pas, [this] { Pas_a_Pas_Click(); });
    Connecte_Menu(Instantanne, [this] { Instantanne_Click(); });
    connect(Visu_CAN, &VisuPlot::sourisEnfoncee, this,
            [this](Qt::MouseButton b, double x, double y) { Visu_CAN_MouseDown(b, x, y); });
    connect(Visu_CAN, &VisuPlot::sourisDeplacee, this,
            [this](Qt::MouseButtons b, double x, double y) { Visu_CAN_MouseMove(b, x, y); });
    connect(Visu_CAN, &VisuPlot::sourisRelachee, this,
            [this](Qt::MouseButton b, double x, double y) { Visu_CAN_MouseUp(b, x, y); });
    connect(Visu_CAN, &VisuPlot::annotationCliquee, this, [this](int index) { Visu_CAN_Annotation(index); });
}

void Form1::Message_Identifiant_Court() {
    plateforme().message("Le champ Identifiant doit contenir au moins 3 caractères!", "Erreur de saisie",
                         Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
}

// The legend menu offers to hide the labels when they are shown and to show them when
// they are hidden.
void Form1::Menus_Legende() {
    const bool visibles = Legend->isChecked();
    Af_legend->setEnabled(!visibles);
    Masquer->setEnabled(visibles);
}

// The cursor the user drags along the plot: always the first text item of a drawing.
void Form1::Ajoute_Curseur() {
    Annot_Courante = Visu_CAN->Ajoute_Annotation(0.75, 4, Noir);
    Annotation curseur = Visu_CAN->Annotation_Item(Annot_Courante);
    curseur.texte = "<  >";
    curseur.ancre = 0;
    curseur.visible = true;
    Visu_CAN->Modifie_Annotation(Annot_Courante, curseur);
}

void Form1::Pas_a_Pas_Click() {
    if (Mode_Arb) {
        Pas_Arbitrage();
        return;
    }
    if (!Mode_Trame) return;
    if (Dessin.Actif()) {
        Pas_Transmission();
        return;
    }

    // A rebuild of the frame discards the drawing (`Num_Bit` back to 0): a run that was
    // under way drew a frame that no longer exists, so this step starts a new one.
    if (Pas_Lance && Num_Bit == 0) Pas_Lance = false;

    if (!Pas_Lance) {
        // The frame on the plot is complete: nothing left to draw (a step asked for while
        // the menu is disabled, or by a caller that does not look at it).
        if (Trace_Fini && Num_Bit > 0) {
            Active_Menu(Affichage, false);
            return;
        }
        Verif_Saisie();
        if (!Saisie_Complete) {
            Num_Bit = Valeur(Text2) + 1;
            return;
        }
        // What is left of a discarded drawing goes before the new one starts.
        if (Visu_CAN->Nb_Annotations() > 0) BP_Clear_Click();
        Visu_CAN->Restaure_Plages();
        Trame_Pas = TrameDR->text();
        Num_Etiq = 0;
        DLC_Pas = std::clamp(Valeur(Controle), 0, 8);
        Cpt_Bit = 0;
        Cpt_Octet = 0;
        // A run interrupted in the tail must not leave the next one in it.
        CRC_Fini = false;
        Phase_Ack = false;
        Pas_Lance = true;

        Ajoute_Curseur();
        Af_legend->setEnabled(true);
        Masquer->setEnabled(true);
    }

    if (Identifiant->text().length() < 3) {
        Message_Identifiant_Court();
        return;
    }
    if (Trace_Fini) Active_Menu(Affichage, false);
    if (T.Trame_Stuffee.empty()) return;

    // End of the frame: the activation after the last bit.
    if (Num_Bit == Valeur(Text2) + 1 || (Num_Bit > 0 && Trame_Pas.isEmpty())) {
        Trace_Fini = true;
        Active_Menu(Affichage, false);
        Pas_Lance = false;
        Num_Etiq = 0;
        CRC_Fini = false;
        return;
    }
    if (Trame_Pas.isEmpty()) return;

    const bool legende = Legend->isChecked();
    const Format format = Check1->isChecked() ? Format_Ext(T) : Format_Std(T);

    if (Num_Bit == 0) {
        Num_Bit = 1;
        Trace_SOF();
        Pos_Y_Texte = legende ? bus::YIdle : bus::YCache;
        Aff_Texte(Decal_Texte, Pos_Y_Texte, "Idle", 0, Vert);
        Pos_Y_Texte = legende ? bus::YChamps : bus::YCache;
        Aff_Texte(Decal_Texte + 12, Pos_Y_Texte, Etiquette(format, Num_Etiq), 90, Rouge);
        ++Num_Etiq;
        Trame_Pas.remove(0, 1);
        Niveau_Prec = "D";
        T.Nb_Egaux = 1;
        Active_Menu(Legende, true);
        Menus_Legende();
        return;
    }

    const QString sym = Trame_Pas.left(1);
    // The symbol drawn last decides from which level this bit starts.
    Symb_Prec = TrameDR->text().mid(Num_Bit - 1, 1);
    if (Symb_Prec.isEmpty()) Symb_Prec = Niveau_Prec;

    if (Est_Stuff(sym)) {
        // A stuff bit has a cell of its own, its "S" mark and no field label.
        T.Nb_Egaux = 5;
        ++Num_Bit;
        Symb_Prec = Niveau_Prec;
        Niveau_Prec = sym;
        Trame_Pas.remove(0, 1);
        Trace_Stuff();
        Niveau_Prec = sym == "s" ? "D" : "r";
        T.Nb_Egaux = 0;
        return;
    }

    T.Nb_Egaux = Symb_Prec == sym ? static_cast<int16_t>(T.Nb_Egaux + 1) : int16_t{1};
    ++Num_Bit;
    Niveau_Prec = sym;
    Trame_Pas.remove(0, 1);
    if (sym == "D")
        Trace_Dominant();
    else if (sym == "r")
        Trace_Recessif();
    Pos_Y_Texte = legende ? bus::YChamps : bus::YCache;
    if (Check1->isChecked())
        Aff_Champ_Ext();
    else
        Aff_Champ_Std();
    ++Num_Etiq;
}

void Form1::Aff_Champ_Std() {
    Aff_Champ(*this, Format_Std(T));
}

void Form1::Aff_Champ_Ext() {
    Aff_Champ(*this, Format_Ext(T));
}

void Form1::Instantanne_Click() {
    if (!Mode_Trame) return;
    if (Dessin.Actif()) {
        Instantanne_Transmission();
        return;
    }
    BP_Clear_Click();
    Pas_Lance = false;
    Num_Etiq = 0;
    if (Identifiant->text().length() < 3) {
        Message_Identifiant_Court();
        return;
    }
    // Incomplete input is reported even before any frame could be built, as the step
    // command does: the command never fails silently on what the user typed.
    Verif_Saisie();
    if (!Saisie_Complete) return;
    Trame_Pas = TrameDR->text();
    if (T.Trame_Stuffee.empty()) return;

    // Every step only appends to the plot and asks for a queued redraw: the whole frame
    // is painted once, when the event loop runs again.
    const int n = Valeur(Text2) + 1;
    for (int i = 0; i <= n && (i == 0 || Pas_Lance); ++i) Pas_a_Pas_Click();
    Fin_Instantanne();
}

void Form1::Fin_Instantanne() {
    Trace_Fini = true;
    Pas_Lance = false;
    Active_Menu(Legende, true);
    Menus_Legende();
}

} // namespace varnel
