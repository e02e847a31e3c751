#pragma once
// The main window `Form1` and everything that runs from its events.
//
// The window is one class, like the classic form it models: controls, module state
// and event handlers are members, named with the program's own vocabulary. The
// handlers live in one file per subsystem:
//
//   app/form1.cpp             controls, menus, start-up, mode switches, "Effacer", end
//   app/couches.cpp           trace layers, frame displays, legends
//   app/sorties.cpp           black and white, printing, clipboard, help, contact window
//   editor/identifiant.cpp    identifier box, format / frame type / speed check boxes
//   editor/donnees.cpp        DLC box, data boxes, their layout
//   editor/trame.cpp          the key filter, frame rebuild, CRC box, completeness check
//   editor/trame_fd.cpp       CAN FD frames: the FD check boxes, the FD data box, their
//                             layout, the FD texts, the data bit rate
//   simulation/trace.cpp      signal plot scaling, set-up and drawing primitives
//   simulation/pas_a_pas.cpp  step-by-step and instant simulation, field labels
//   simulation/pas_transmission.cpp  the same for a transmission given as data (CAN FD)
//   simulation/erreurs.cpp    the "Erreurs" menu: a disturbance, the bus's run drawn,
//                             the counters and the detections told at each step
//   simulation/curseur.cpp    cursor drag and bit inspection with the mouse
//   arbitration/noeuds.cpp    node entry, tables, "Nouvelle simulation"
//   arbitration/arbitrage.cpp the wired-AND contention step
//   arbitration/visu_arb.cpp  the arbitration plot and its trace toggles
//
// Each subsystem connects its own controls in its `Connecte_...` function, which
// the constructor calls (`Connecte_Noeuds` is called when the node entry area is
// created, see `ControleArb`). Setting a box's text from code runs its change handler
// (textChanged), and setting a check box to another state runs its click handler
// (toggled): the re-entry the handlers rely on comes from those signals.

#include "frame/bus_erreurs.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "simulation/dessin_transmission.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace varnel {

class BoiteHexa;
class BoiteOctets;
class Courbe;
class Dialog;
class Form1;
class Plateforme;
class VisuPlot;

// Window coordinates are given in twips: 15 twips make one pixel.
constexpr int Twips(int twips) {
    return twips / 15;
}

// A control of the node entry area of arbitration (`Frame_Iden`: the node boxes and
// the four tables). The window creates that area the first time something needs it,
// not at start-up: reading any of its controls creates the whole area
// (`Form1::Cree_Zone_Arbitrage`, its only creation point), so that no code ever finds
// one of them missing.
template <class T> class ControleArb {
public:
    ControleArb(Form1* fenetre) : fenetre_(fenetre) {}
    ControleArb& operator=(T* controle) {
        controle_ = controle;
        return *this;
    }
    T* get() const;
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    // Whether the area exists, without creating it.
    bool existe() const { return controle_ != nullptr; }

private:
    Form1* fenetre_;
    T* controle_ = nullptr;
};

// What is typed of a CAN FD frame, in one place. The widgets show it; their handlers
// write it and rebuild the frame from it alone.
struct EditionFD {
    bool actif = false; // `CheckFD` checked: the frame being edited is a CAN FD frame
    SaisieFD saisie;    // BRS, ESI, the DLC and the complete bytes of `DonneesFD` (the
                        // identifier is `Trame::Bits_ID`, shared with classic frames)
    QString reserve;    // digits typed beyond the DLC's length, given back when it grows
    TrameFD trame;      // the frame as last built
};

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Plateforme& plateforme, QWidget* parent = nullptr);
    ~Form1() override;

    Plateforme& plateforme() { return plateforme_; }

    // ---- Frame state (engine) ---------------------------------------------------
    Trame T;

    // ---- Controls -----------------------------------------------------------------
    QFrame* Frame_Trame = nullptr;
    QFrame* Frame_simul = nullptr;
    ControleArb<QFrame> Frame_Iden{this};
    QFrame* Frame_Arb = nullptr;

    // Frame_Trame
    QLabel* Labe1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check3 = nullptr;
    QLabel* Label2 = nullptr;
    BoiteHexa* Identifiant = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QLabel* Label3 = nullptr;
    BoiteHexa* Controle = nullptr;
    std::array<QLabel*, 8> LabelD{};  // LabelD0 .. LabelD7
    std::array<BoiteHexa*, 8> Data{}; // Data0 .. Data7
    QLabel* LabelCRC = nullptr;
    QLineEdit* Champ_CRC = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Trame_Bin = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Trame_Bin_Stuf = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* TrameDR = nullptr; // on the window itself
    // CAN FD (editor/trame_fd.cpp)
    QCheckBox* CheckFD = nullptr;
    QCheckBox* CheckBRS = nullptr;
    QCheckBox* CheckESI = nullptr;
    QLabel* LabelDonneesFD = nullptr;
    BoiteOctets* DonneesFD = nullptr;

    // Frame_simul
    QLabel* Label11 = nullptr;
    QLabel* Pref_Legende = nullptr;
    QLabel* Pref_TB = nullptr;
    QLabel* Pref_TS = nullptr;
    QLabel* Pref_Em = nullptr;
    QLabel* Pref_Rec = nullptr;
    QLabel* Pref_Bus = nullptr;
    VisuPlot* Visu_CAN = nullptr;
    QPushButton* BP_Clear = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* Compteurs = nullptr;  // the error counters of an error run (title row of the plot)
    QLabel* Detections = nullptr; // the errors detected, told in words at their step

    // Frame_Iden (the node entry area of arbitration, see ControleArb)
    ControleArb<QLabel> Label9{this};
    std::array<ControleArb<QLabel>, 3> LabelN{{{this}, {this}, {this}}};      // Label8, Label10, Label12
    std::array<ControleArb<BoiteHexa>, 3> Noeud{{{this}, {this}, {this}}};    // Noeud1 .. Noeud3
    std::array<ControleArb<QCheckBox>, 3> CheckN{{{this}, {this}, {this}}};   // CheckN1 .. CheckN3
    std::array<ControleArb<QTableWidget>, 3> GridN{{{this}, {this}, {this}}}; // GridN1 .. GridN3
    ControleArb<QTableWidget> GridBus{this};
    ControleArb<QPushButton> BP_RAZ{this};

    // Frame_Arb
    VisuPlot* Visu_ARB = nullptr;

    // Creates the node entry area, hidden, the first time it is called.
    void Cree_Zone_Arbitrage();

    // ---- Menus (top-level menus are QMenu, their items QAction) ------------------
    QMenu* Fichier = nullptr;
    QAction* Imprimer = nullptr;
    QAction* Quitter = nullptr;
    QMenu* Mode = nullptr;
    QAction* Simulation_trame = nullptr;
    QAction* Simulation_arbitrage = nullptr;
    QMenu* Pref = nullptr;
    QAction* Aff_T_Brute = nullptr;
    QAction* Aff_T_Stuff = nullptr;
    QMenu* Debit_Donnees = nullptr;
    QAction* Rapport2 = nullptr;
    QAction* Rapport4 = nullptr;
    QAction* Rapport8 = nullptr;
    QMenu* Graph = nullptr;
    QAction* Legend = nullptr;
    QMenu* TraceTr = nullptr;
    QAction* Aff_Emet = nullptr;
    QAction* Aff_Recep = nullptr;
    QAction* Aff_Bus = nullptr;
    QMenu* TraceArb = nullptr;
    std::array<QAction*, 4> Masq{}; // Masq1, Masq2, Masq3, MasqBus
    QMenu* Coul_Graph = nullptr;
    QAction* Noir_Blanc = nullptr;
    QAction* Copie_PP = nullptr;
    QMenu* Affichage = nullptr;
    QAction* Pas_a_Pas = nullptr;
    QAction* Instantanne = nullptr;
    QMenu* Legende = nullptr;
    QAction* Masquer = nullptr;
    QAction* Af_legend = nullptr;
    QMenu* Erreurs = nullptr;
    QAction* Err_Aucune = nullptr;
    QAction* Err_Bus = nullptr;
    QAction* Err_Emet = nullptr;
    QAction* Err_Recep = nullptr;
    QAction* Err_Ack = nullptr;
    QAction* Err_Compteurs = nullptr;
    QMenu* Plus = nullptr;
    QAction* Aide = nullptr;
    QAction* Apropos = nullptr;

    // Enables or disables a menu together with its items and their shortcuts; an
    // item disabled on its own stays disabled when its menu is enabled again.
    void Active_Menu(QMenu* menu, bool actif);
    bool Menu_Actif(const QMenu* menu) const;
    // Connects a menu item to its handler. A checkable item is not toggled by the
    // click itself: its handler sets the check mark.
    void Connecte_Menu(QAction* item, std::function<void()> gestion);

    // ---- Modes (app/form1.cpp) ----------------------------------------------------
    bool Mode_Trame = false;
    bool Mode_Arb = false;
    void Form_Load();
    void Simulation_trame_Click();
    void Simulation_arbitrage_Click();
    void BP_Clear_Click();
    void Quitter_Click();

    // ---- Trace layers and legends (app/couches.cpp) ------------------------------
    void Aff_Emet_Click();
    void Aff_Recep_Click();
    void Aff_Bus_Click();
    void Aff_T_Brute_Click();
    void Aff_T_Stuff_Click();
    void Legend_Click();
    void Masquer_Click();
    void Af_legend_Click();

    // ---- Output commands (app/sorties.cpp) ---------------------------------------
    void Noir_Blanc_Click();
    void Imprimer_Click();
    void Copie_PP_Click();
    void Aide_Click();
    void Apropos_Click();
    // Path of "Utilisation de Varnel.pdf" where the program looks for it.
    QString Chemin_Aide() const;
    QPointer<Dialog> Dialogue; // the contact window, created when first shown

    // ---- Frame editor (editor/) ----------------------------------------------------
    void Identifiant_KeyPress(int& code);
    void Identifiant_Change();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Controle_KeyPress(int& code);
    void Controle_Change();
    void Controle_LostFocus();
    void Data_KeyPress(int k, int& code);
    void Data_Change(int k);
    void Aff_Donnees();
    // Runs the key filter on `code` for a box holding `texte`, shows its message
    // when it refuses the key. `T.Long_Max` must be set by the caller.
    void Filtre_Clavier(int& code, const QString& texte);
    void Construit_Trame();
    void Efface_Donnees();
    void Stuffe_Trame();
    void Champ_CRC_Change();
    void Verif_Saisie();
    bool Saisie_Complete = false;
    // Writes the stuffed frame, its bit count and its symbols (from the classic engine or
    // the FD one); a new frame behind the same CRC resets the plot.
    void Affiche_Stuffee(const std::string& symboles, const std::string& stuffee, const std::string& nb);

    // ---- CAN FD frames (editor/trame_fd.cpp) ----------------------------------------
    EditionFD FD;
    void CheckFD_Click();
    void CheckBRS_Click();
    void CheckESI_Click();
    void DonneesFD_KeyPress(int& code);
    void DonneesFD_Change();
    void Controle_Change_FD();
    void Aff_Donnees_FD();
    void Ecrit_Trame_FD(bool identifiantComplet);
    bool Saisie_FD_Complete() const;
    // The data bit rate over the nominal one: 2, 4 or 8 (Préférences > Débit des données).
    int Rapport_Debit() const;
    void Rapport_Click(QAction* item);

    // ---- Signal plot (simulation/trace.cpp) -------------------------------------
    int Decal_Texte = 0;
    int Decal_Champ = 0;
    double Pos_X = 0;
    QString Symb_Prec;
    bool Phase_Ack = false;
    double Pos_Y_Texte = 90;
    Courbe* Courbe_Emet = nullptr;
    Courbe* Courbe_CANH = nullptr;
    Courbe* Courbe_CANL = nullptr;
    Courbe* Courbe_Recep = nullptr;
    int Pos_Emet = 82;
    int Pos_CANH = 42;
    int Pos_CANL = 17;
    int Pos_Recep = 62;
    int Annot_Courante = -1; // index of the last text item added or fetched
    void Ajust_Aff();
    void Init_Axe_X();
    void Init_Axe_X_Arb();
    void Init_Visu();
    // Points.Clear on the four signal traces, Annotations.Clear, View.Refresh.
    void Efface_Visu_CAN();
    void Trace_SOF();
    void Trace_Dominant();
    void Trace_Recessif();
    void Trace_Stuff();
    void Aff_Texte(double x, double y, const QString& texte, int angle, int couleur);
    // Point size of the names over the cells: smaller when the frame is long.
    double Taille_Etiquettes() const;

    // ---- Step-by-step simulation (simulation/pas_a_pas.cpp) ----------------------
    bool Pas_Lance = false;
    int Num_Bit = 0;
    QString Trame_Pas;
    QString Niveau_Prec;
    int Num_Etiq = 0;
    int Cpt_Bit = 0;
    int Cpt_Octet = 0;
    int DLC_Pas = 0;
    bool CRC_Fini = false;
    bool Trace_Fini = false;
    void Pas_a_Pas_Click();
    void Instantanne_Click();
    void Aff_Champ_Std();
    void Aff_Champ_Ext();
    // Shared by every drawing: the "<  >" cursor, the legend menu, the short identifier.
    void Ajoute_Curseur();
    void Menus_Legende();
    void Message_Identifiant_Court();
    void Fin_Instantanne();

    // ---- Drawing a transmission given as data (simulation/pas_transmission.cpp) ---
    // While it holds a transmission (`Dessin.Actif()`), the step, instant, grid and
    // range commands draw it instead of the classic frame.
    DessinTransmission Dessin;
    void Pas_Transmission();
    void Instantanne_Transmission();
    SupportDessin Support_Dessin() const;

    // ---- Error signalling (simulation/erreurs.cpp) ----------------------------------
    // With a disturbance chosen, the plot draws the run of the three-node bus that sends
    // the frame (`Err_Deroulement`, the one source of its bits, counters and events).
    Perturbation Err_Perturbation;
    ConditionsBus Err_Conditions;
    Deroulement Err_Deroulement;
    void Err_Click(QAction* item);
    void Err_Compteurs_Click();
    // Takes `p` as the disturbance (its menu item checked) and redraws as far as the
    // plot was drawn.
    void Choisit_Perturbation(const Perturbation& p);
    // Gives the drawing the bit times it must draw now: the classic routines (no
    // disturbance, classic frame), the FD frame, or the bus's run; resets the plot when
    // they change.
    void Prepare_Transmission();
    // The frame being edited as it goes on the bus, empty while none is complete;
    // `passive`: the same frame as an error-passive transmitter sends it (CAN FD).
    Transmission Trame_Emise(Transmission* passive = nullptr) const;
    // The counters line and the words of the detections, for the bit time just drawn.
    void Aff_Erreurs();
    // A right-click at pixel (x, y) of the plot: the disturbances of that bit, if it is
    // a drawn bit of the frame.
    void Menu_Bit(double x, double y);

    // ---- Cursor and inspection (simulation/curseur.cpp) --------------------------
    int Souris_X = 0;
    bool Glisse_Curseur = false;
    void Visu_CAN_MouseDown(Qt::MouseButton bouton, double x, double y);
    void Visu_CAN_MouseMove(Qt::MouseButtons boutons, double x, double y);
    void Visu_CAN_MouseUp(Qt::MouseButton bouton, double x, double y);
    void Visu_CAN_Annotation(int index);

    // ---- Arbitration (arbitration/) -----------------------------------------------
    void Noeud_KeyPress(int k, int& code); // k = 0 .. 2 for Noeud1 .. Noeud3
    void Noeud_Change(int k);
    void CheckN_Click(int k);
    void BP_RAZ_Click();
    void Init_Grilles();
    // The cell (row, column) of a table, created on first use.
    QTableWidgetItem* Cellule(QTableWidget* grille, int ligne, int colonne);

    int Pas_Arb = 0;
    std::array<QString, 3> Bit_N;
    QString Bit_Bus;
    std::array<bool, 3> Hors_N{};
    void Pas_Arbitrage();

    std::array<Courbe*, 3> Courbe_N{};
    Courbe* Courbe_Bus = nullptr;
    double X_Arb = 5;
    std::array<double, 3> Niveau_N{1, 1, 1};
    double Niveau_Bus = 1;
    std::array<bool, 3> Perte_Tracee_N{};
    void Init_Visu_Arb();
    void Aff_Arb();
    void Aff_Texte_Arb(double x, double y, const QString& texte, int angle, int couleur);
    void Masq_Click(int k); // k = 0 .. 2 for Masq1 .. Masq3, 3 for MasqBus

protected:
    void closeEvent(QCloseEvent* e) override;
    // Gives the menu shortcut keys to the menus whatever control of the window has
    // the focus (app/form1_menus.cpp).
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    void Cree_Controles();
    void Cree_Menus();
    void Connecte_Editeur();
    void Connecte_Editeur_FD();
    void Connecte_Simulation();
    void Connecte_Arbitrage();
    void Connecte_Noeuds();
    void Connecte_Couches();
    void Connecte_Sorties();
    void Connecte_Erreurs();

    Plateforme& plateforme_;
};

template <class T> T* ControleArb<T>::get() const {
    if (!controle_) fenetre_->Cree_Zone_Arbitrage();
    return controle_;
}

} // namespace varnel
