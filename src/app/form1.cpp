// The main window: start-up, the two mode switches, "Effacer" and the end of the program.
// The controls are created in form1_controles.cpp, the menu bar in form1_menus.cpp.
#include "app/form1.h"
#include "app/apparence.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

// The pictures are compiled into the static library: register them before first use.
static void chargeRessources() {
    Q_INIT_RESOURCE(varnel);
}

namespace varnel {

Form1::Form1(Plateforme& plateforme, QWidget* parent) : QMainWindow(parent), plateforme_(plateforme) {
    chargeRessources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Varnel"));
    setWindowIcon(QIcon(QStringLiteral(":/images/varnel.png")));
    Cree_Controles();
    Cree_Menus();
    Connecte_Editeur();
    Connecte_Simulation();
    Connecte_Arbitrage();
    Connecte_Couches();
    Connecte_Sorties();
    Connecte_Erreurs();
    Connecte_Menu(Quitter, [this] { Quitter_Click(); });
    Connecte_Menu(Simulation_trame, [this] { Simulation_trame_Click(); });
    Connecte_Menu(Simulation_arbitrage, [this] { Simulation_arbitrage_Click(); });
    connect(BP_Clear, &QPushButton::clicked, this, [this] { BP_Clear_Click(); });
    Form_Load();
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    Frame_Arb->hide();

    T.Init_Lib_Std();
    T.Init_Lib_Ext();

    Check1->setChecked(false);
    Identifiant->setMaxLength(3);
    T.Long_Max = 3;
    Couleur_Texte(Identifiant, 0);
    Check2->setChecked(false);

    T.Bit_RTR = "0";
    T.Bits_Ctrl = "000000";

    for (int n = 0; n < 8; ++n) {
        Data[n]->hide();
        LabelD[n]->hide();
    }
    Text4->hide();

    // Classic frames at start; BRS and ESI come with CAN FD.
    for (QWidget* w : {static_cast<QWidget*>(CheckBRS), static_cast<QWidget*>(CheckESI),
                       static_cast<QWidget*>(DonneesFD), static_cast<QWidget*>(LabelDonneesFD)})
        w->hide();
    // The data phase of CAN FD frames runs four times as fast as the nominal rate.
    Rapport4->setChecked(true);

    // With DLC 0 no data box is shown: the CRC stands next to the DLC box.
    Champ_CRC->move(Twips(3800), Champ_CRC->y());
    LabelCRC->move(Twips(3800), LabelCRC->y());

    // The legend starts hidden.
    Legend->setChecked(false);
    Pref_Legende->setText(QStringLiteral("Légende OFF"));
    Couleur_Texte(Pref_Legende, Couleurs::Rouge);
    Active_Menu(Legende, false);
    Masquer->setEnabled(false);
    Af_legend->setEnabled(false);

    Aff_Emet->setChecked(true);
    Aff_Recep->setChecked(true);
    Aff_Bus->setChecked(true);
    Active_Menu(TraceArb, false);

    // Both frame displays are shown: their items offer to hide them.
    Aff_T_Brute->setText(QStringLiteral("Masquer trame brute"));
    Aff_T_Stuff->setText(QStringLiteral("Masquer trame stuffée"));

    Pos_Emet = bus::PosEmet;
    Pos_CANH = bus::PosCANH;
    Pos_CANL = bus::PosCANL;
    Pos_Recep = bus::PosRecep;

    Ajust_Aff();
    Init_Axe_X();
    Init_Visu();

    Mode_Trame = true;
    Identifiant->setFocus(); // typing starts with the identifier
}

void Form1::Simulation_arbitrage_Click() {
    Cree_Zone_Arbitrage();
    Mode_Arb = true;
    Mode_Trame = false;

    Active_Menu(Pref, false);
    Active_Menu(TraceTr, false);
    Active_Menu(TraceArb, true);
    Legend->setEnabled(false);
    T.Long_Max = 3;
    Instantanne->setEnabled(false);
    Active_Menu(Legende, true);
    Active_Menu(Erreurs, false); // the disturbance chosen waits for the return

    BP_Clear_Click();

    Frame_Trame->hide();
    Frame_simul->hide();
    Frame_Arb->setGeometry(Twips(120), Twips(3850), Frame_Arb->width(), Twips(6800));
    Frame_Arb->show();
    Frame_Iden->move(Twips(120), Twips(120));
    Frame_Iden->show();
    Noeud[0]->setFocus();

    Init_Grilles();
    Init_Axe_X_Arb();
    Init_Visu_Arb();
}

void Form1::Simulation_trame_Click() {
    Frame_Trame->show();
    Frame_simul->show();
    Frame_Arb->hide();
    Frame_Iden->hide();
    Identifiant->setFocus();

    // "Effacer" runs while the arbitration flag is still set: it leaves the legend
    // menu usable, as the arbitration mode had it.
    BP_RAZ_Click();
    BP_Clear_Click();

    Mode_Trame = true;
    Mode_Arb = false;

    Active_Menu(Pref, true);
    Active_Menu(TraceTr, true);
    Instantanne->setEnabled(true);
    Legend->setEnabled(true);
    Active_Menu(TraceArb, false);
    Active_Menu(Erreurs, true);
}

void Form1::BP_Clear_Click() {
    Trace_Fini = false;

    Active_Menu(Affichage, true);
    Active_Menu(Legende, false);

    Efface_Visu_CAN();
    // A view the user has panned or zoomed comes back to the program's own ranges.
    Visu_CAN->Restaure_Plages();

    Num_Bit = 0;
    Cpt_Bit = 0;
    Cpt_Octet = 0;
    Pas_Lance = false;
    Pos_X = 0;

    Init_Visu();

    if (Mode_Arb) {
        Active_Menu(Legende, true);
        Af_legend->setEnabled(false);
        Masquer->setEnabled(true);
    }
}

void Form1::Quitter_Click() {
    close();
}

void Form1::closeEvent(QCloseEvent* e) {
    // The contact window is created with this window as its parent, so it is destroyed
    // with it; closing the main window closes it, and any other window it owns, now.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->parentWidget() == this && w->isVisible()) w->close();
    e->accept();
}

} // namespace varnel
