// Node entry of the arbitration mode: the three identifier boxes and their RTR
// boxes, the four tables in which the contention is written down, and the
// "Nouvelle simulation" reset.

#include "app/form1.h"
#include "app/plateforme.h"
#include "arbitration/grilles.h"
#include "editor/boite_hexa.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>

namespace varnel {

using namespace arbitrage;

namespace {

// Background of the fixed header cells, the face colour of a classic grid header.
constexpr int GrisFixe = 0xC8D0D4;

constexpr const char* LegendeDonnees = "Trame de données. RTR dominant";
constexpr const char* LegendeRequete = "Trame de requête. RTR récessif";

// Column widths in twips: the row label, the eleven identifier bits, RTR, the state.
constexpr int LargeurTitre = 800;
constexpr int LargeurBit = 450;
constexpr int LargeurRTR = 800;
constexpr int LargeurEtat = 1200;

// Makes the cells fill the grid exactly. The window creates the grid read-only, without
// headers of its own (row 0 and column 0 play that part), scroll bars or selection.
void Prepare_Grille(QTableWidget* grille) {
    grille->setCornerButtonEnabled(false);
    grille->setWordWrap(false);
    grille->setTextElideMode(Qt::ElideNone);
    // The cells draw their own lines on the right and at the bottom; a line on the two
    // other sides closes the table without taking room from them.
    grille->setStyleSheet(
        QStringLiteral("QTableWidget { border: none; border-left: 1px solid palette(dark);"
                       " border-top: 1px solid palette(dark); gridline-color: palette(dark); }"));
    for (QHeaderView* entete : {grille->horizontalHeader(), grille->verticalHeader()}) {
        entete->setMinimumSectionSize(1);
        entete->setSectionResizeMode(QHeaderView::Fixed);
    }
    // The rows share the table's height, so every row is seen whole.
    grille->ensurePolished();
    const int hauteur = grille->contentsRect().height();
    const int lignes = grille->rowCount();
    for (int ligne = 0; ligne < lignes; ++ligne)
        grille->setRowHeight(ligne, hauteur / lignes + (ligne < hauteur % lignes ? 1 : 0));
}

} // namespace

void Form1::Connecte_Arbitrage() {
    for (int k = 0; k < 4; ++k) Connecte_Menu(Masq[k], [this, k] { Masq_Click(k); });
}

// The controls of the arbitration area, when the window creates it.
void Form1::Connecte_Noeuds() {
    for (int k = 0; k < 3; ++k) {
        Noeud[k]->setGestionTouche([this, k](int& code) { Noeud_KeyPress(k, code); });
        connect(Noeud[k], &QLineEdit::textChanged, this, [this, k] { Noeud_Change(k); });
        connect(CheckN[k], &QCheckBox::toggled, this, [this, k] { CheckN_Click(k); });
    }
    connect(BP_RAZ, &QPushButton::clicked, this, [this] { BP_RAZ_Click(); });
}

QTableWidgetItem* Form1::Cellule(QTableWidget* grille, int ligne, int colonne) {
    QTableWidgetItem* cellule = grille->item(ligne, colonne);
    if (cellule) return cellule;
    cellule = new QTableWidgetItem;
    cellule->setTextAlignment(Qt::AlignCenter);
    cellule->setFlags(Qt::ItemIsEnabled);
    // Column 0 holds the row titles; row 0 of a node table holds the bit names. The
    // bus table's only row carries the bus levels, under those of the node tables.
    if (colonne == 0 || (ligne == 0 && grille != GridBus)) cellule->setBackground(couleurQt(GrisFixe));
    grille->setItem(ligne, colonne, cellule);
    return cellule;
}

void Form1::Init_Grilles() {
    const std::array<QTableWidget*, 4> grilles{GridN[0], GridN[1], GridN[2], GridBus};
    for (QTableWidget* grille : grilles) {
        Prepare_Grille(grille);
        const int colonnes = grille->columnCount();
        grille->setColumnWidth(0, Twips(LargeurTitre));
        for (int c = 1; c < colonnes; ++c) grille->setColumnWidth(c, Twips(LargeurBit));
        grille->setColumnWidth(12, Twips(LargeurRTR));
        if (grille != GridBus) grille->setColumnWidth(13, Twips(LargeurEtat));
        // Every cell exists from now on, centred, with its fixed look.
        for (int ligne = 0; ligne < grille->rowCount(); ++ligne)
            for (int c = 0; c < colonnes; ++c) Cellule(grille, ligne, c);
    }
    for (int k = 0; k < 3; ++k) {
        QTableWidget* grille = GridN[k];
        Cellule(grille, 0, 0)->setText(QStringLiteral("Noeud %1").arg(k + 1));
        Cellule(grille, 1, 0)->setText(QStringLiteral("W"));
        Cellule(grille, 2, 0)->setText(QStringLiteral("R"));
        for (int c = 1; c <= 11; ++c) Cellule(grille, 0, c)->setText(QStringLiteral("ID%1").arg(11 - c));
        Cellule(grille, 0, 12)->setText(QStringLiteral("RTR"));
        Cellule(grille, 0, 13)->setText(QStringLiteral("Etat du noeud"));
    }
    Cellule(GridBus, 0, 0)->setText(QStringLiteral("Etat Bus"));
}

void Form1::Noeud_KeyPress(int k, int& code) {
    // `T.Long_Max` is the 3 that the switch to arbitration mode set.
    Filtre_Clavier(code, Noeud[k]->text());
}

void Form1::Noeud_Change(int k) {
    QTableWidget* grille = GridN[k];
    const QString texte = Noeud[k]->text();
    if (texte.size() < 3)
        for (int c = 1; c <= 13; ++c) Cellule(grille, 1, c)->setText(QString());
    if (texte.size() != 3) return;

    const RegleIdentifiant regle = Regle_Identifiant(texte.toStdString(), false);
    if (regle.etat == RegleIdentifiant::Etat::Refuse) {
        plateforme().message(QString::fromStdString(regle.Message), QString::fromStdString(regle.Titre),
                             Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
        Noeud[k]->clear(); // runs this handler again, which empties row 1
        return;
    }
    if (regle.etat != RegleIdentifiant::Etat::Valide) return;

    for (int i = 0; i < 11; ++i)
        Cellule(grille, 1, i + 1)
            ->setText(regle.Bits_ID[static_cast<size_t>(i)] == '0' ? QStringLiteral("D")
                                                                   : QStringLiteral("R"));
    QTableWidgetItem* etat = Cellule(grille, 1, 13);
    Gras_Cellule(etat);
    Couleur_Cellule(etat, Bleu);
    etat->setText(QStringLiteral("Emetteur"));
    Cellule(grille, 1, 12)->setText(CheckN[k]->isChecked() ? QStringLiteral("R") : QStringLiteral("D"));
}

void Form1::CheckN_Click(int k) {
    const bool requete = CheckN[k]->isChecked();
    Cellule(GridN[k], 1, 12)->setText(requete ? QStringLiteral("R") : QStringLiteral("D"));
    CheckN[k]->setText(QString::fromUtf8(requete ? LegendeRequete : LegendeDonnees));
}

void Form1::BP_RAZ_Click() {
    for (BoiteHexa* boite : Noeud) {
        boite->setEnabled(true);
        boite->clear();
    }
    for (QCheckBox* rtr : CheckN) {
        rtr->setEnabled(true);
        rtr->setChecked(false);
    }
    for (QTableWidget* grille : GridN)
        for (int c = 1; c <= 13; ++c) {
            QTableWidgetItem* ecrit = Cellule(grille, 1, c);
            Couleur_Cellule(ecrit, Noir);
            ecrit->setText(QString());
            QTableWidgetItem* lu = Cellule(grille, 2, c);
            Couleur_Cellule(lu, Bleu);
            lu->setText(QString());
        }
    for (int c = 1; c <= 12; ++c) Cellule(GridBus, 0, c)->setText(QString());

    // The plot has no traces until arbitration mode has been entered once, yet
    // choosing frame mode runs this reset in any case: then there is nothing to clear,
    // and nothing is set up on a plot that is not shown.
    const bool plot_pret = Courbe_Bus != nullptr;
    Visu_ARB->Efface_Annotations();
    if (plot_pret) {
        for (Courbe* courbe : Courbe_N) courbe->Efface_Points();
        Courbe_Bus->Efface_Points();
        Visu_ARB->Rafraichit();
    }

    Hors_N = {};
    Perte_Tracee_N = {};
    Pas_Arb = 0;
    Pas_Lance = false;

    if (plot_pret) Init_Visu_Arb();
}

} // namespace varnel
