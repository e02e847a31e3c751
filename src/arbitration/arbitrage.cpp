// The contention on the bus, one bit per step command: every node still in the
// race writes its bit, the bus takes the wired AND of them (one dominant bit wins),
// and a node that wrote recessive and reads dominant drops out as a receiver.

#include "app/form1.h"
#include "app/plateforme.h"
#include "arbitration/grilles.h"
#include "editor/boite_hexa.h"

#include <QCheckBox>

namespace varnel {

using namespace arbitrage;

namespace {

// The last column the run contends: ID10 .. ID0 are columns 1 .. 11, RTR is 12.
constexpr int DerniereColonne = 12;

// Two nodes sending the same identifier with the same RTR bit would never be told
// apart on the bus; the pairs are checked in this order and only the first is told.
struct Doublon {
    int a;
    int b;
    const char* message;
};
constexpr Doublon Doublons[] = {
    {0, 1, "Les noeuds 1 et 2 ont le même identifiant et la même valeur de RTR!"},
    {1, 2, "Les noeuds 2 et 3 ont le même identifiant et la même valeur de RTR!"},
    {0, 2, "Les noeuds 1 et 3 ont le même identifiant et la même valeur de RTR!"},
};

} // namespace

void Form1::Pas_Arbitrage() {
    if (Pas_Arb > DerniereColonne || !Mode_Arb) return;

    for (const Doublon& d : Doublons) {
        if (Noeud[d.a]->text() == Noeud[d.b]->text() &&
            CheckN[d.a]->isChecked() == CheckN[d.b]->isChecked()) {
            plateforme().message(QString::fromUtf8(d.message), QStringLiteral("Identifiant double"),
                                 Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
            return;
        }
    }

    if (!Pas_Lance || Pas_Arb < 1) {
        // The identifiers and frame types are fixed for the whole run.
        Pas_Lance = true;
        for (BoiteHexa* boite : Noeud) boite->setEnabled(false);
        for (QCheckBox* rtr : CheckN) rtr->setEnabled(false);
        Pas_Arb = 1;
    }
    const int c = Pas_Arb;

    // A node with no bit in this column (no complete identifier) takes no part.
    bool recessif = true;
    bool emetteurs = false;
    for (int k = 0; k < 3; ++k) {
        Bit_N[k] = Cellule(GridN[k], 1, c)->text();
        if (Bit_N[k].isEmpty()) Hors_N[k] = true;
        if (!Hors_N[k]) {
            emetteurs = true;
            recessif = recessif && Bit_N[k] == QLatin1String("R");
        }
    }
    Bit_Bus = emetteurs && recessif ? QStringLiteral("R") : QStringLiteral("D");

    for (int k = 0; k < 3; ++k) {
        QTableWidget* grille = GridN[k];
        if (Noeud[k]->text().isEmpty()) {
            Cellule(grille, 1, 13)->setText(QString());
            continue;
        }
        if (Bit_N[k] != Bit_Bus && !Hors_N[k]) {
            // Wrote recessive, reads dominant: the bits it will not send turn red.
            for (int j = c; j <= 13; ++j) Couleur_Cellule(Cellule(grille, 1, j), Rouge);
            Cellule(grille, 1, 13)->setText(QString());
            QTableWidgetItem* etat = Cellule(grille, 2, 13);
            Gras_Cellule(etat);
            Couleur_Cellule(etat, Rouge);
            etat->setText(QStringLiteral("Recepteur"));
            Hors_N[k] = true;
        }
        // Every node with an entry reads the bus, senders and receivers alike.
        QTableWidgetItem* lu = Cellule(grille, 2, c);
        Couleur_Cellule(lu, Bleu);
        lu->setText(Bit_Bus);
    }

    QTableWidgetItem* bus = Cellule(GridBus, 0, c);
    Gras_Cellule(bus);
    bus->setText(Bit_Bus);

    ++Pas_Arb;
    Aff_Arb();
}

} // namespace varnel
