// Node entry: the tables, the identifier and RTR boxes, "Nouvelle simulation" and
// the mode switches.

#include "arbitrage_test.h"

#include <QPushButton>
#include <QScrollBar>

namespace varnel {
namespace {

TEST_F(ArbitrageTest, TablesShowEveryCellReadOnly) {
    for (int k = 0; k < 4; ++k) {
        QTableWidget* g = Grille(k);
        int largeur = 0, hauteur = 0;
        for (int c = 0; c < g->columnCount(); ++c)
            largeur += g->columnWidth(c);
        for (int r = 0; r < g->rowCount(); ++r)
            hauteur += g->rowHeight(r);
        EXPECT_LE(largeur, g->viewport()->width()) << k;
        EXPECT_LE(hauteur, g->viewport()->height()) << k;
        EXPECT_FALSE(g->horizontalScrollBar()->isVisible() || g->verticalScrollBar()->isVisible());
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 0; c < g->columnCount(); ++c)
                EXPECT_EQ(Cel(k, r, c)->flags(), Qt::ItemIsEnabled) << k << r << c;
        EXPECT_NE(Cel(k, 0, 0)->background().style(), Qt::NoBrush); // fixed look
        EXPECT_EQ(Cel(k, g->rowCount() - 1, 1)->background().style(), Qt::NoBrush);
    }
    // The bus levels stand under the node tables' bit columns.
    EXPECT_EQ(f->GridBus->columnViewportPosition(12), f->GridN[0]->columnViewportPosition(12));
    EXPECT_EQ(Cel(1, 0, 0)->text() + Cel(1, 1, 0)->text() + Cel(1, 2, 0)->text(), "Noeud 2WR");
    EXPECT_EQ(Ligne(2, 0, 1, 13), "ID10ID9ID8ID7ID6ID5ID4ID3ID2ID1ID0RTREtat du noeud");
    EXPECT_EQ(Cel(3, 0, 0)->text(), "Etat Bus");
}

TEST_F(ArbitrageTest, IdentifierEntry) {
    const QString norme = QStringLiteral("Valeur non conforme à la norme CAN2.0A");
    const QString largeur =
        QStringLiteral("En mode standard, la longueur du champ identifiant est de 11 bits!");
    const QString sept =
        QStringLiteral("Les 7 bits de poids fort de l'identifiant ne doivent pas être tous "
                       "récessifs!\r\nAu moins 1 doit être un bit dominant.");
    struct Cas {
        const char* tape;
        const char* reste; // the box afterwards
        const char* bits;  // row 1, or nullptr when it stays empty
        QString message;
        QString titre;
    };
    const Cas cas_[] = {
        {"123", "123", "00100100011", {}, {}},
        {"7ef", "7EF", "11111101111", {}, {}},
        {"000", "000", "00000000000", {}, {}},
        {"1234", "123", "00100100011", {}, {}}, // a fourth digit is dropped silently
        {"800", "", nullptr, largeur, norme},
        {"fff", "", nullptr, largeur, norme},
        {"7FF", "", nullptr, sept, norme},
        {"1g", "1", nullptr, QStringLiteral("La valeur saisie n'est pas une valeur hexadécimale!"),
         QStringLiteral("Erreur de saisie")},
    };
    for (const Cas& cas : cas_) {
        SCOPED_TRACE(cas.tape);
        f->Noeud[1]->clear();
        plateforme.messages.clear();
        QTest::keyClicks(f->Noeud[1], cas.tape);
        EXPECT_EQ(f->Noeud[1]->text(), cas.reste);
        if (cas.bits) {
            EXPECT_EQ(Ligne(1, 1, 1, 13), DR(cas.bits) + "DEmetteur");
            EXPECT_TRUE(Cel(1, 1, 13)->font().bold());
            EXPECT_EQ(Couleur(1, 1, 13), Bleu);
        } else {
            EXPECT_EQ(Ligne(1, 1, 1, 13), "");
        }
        ASSERT_EQ(plateforme.messages.size(), cas.message.isEmpty() ? 0u : 1u);
        if (!cas.message.isEmpty()) {
            EXPECT_EQ(plateforme.messages[0].texte, cas.message);
            EXPECT_EQ(plateforme.messages[0].titre, cas.titre);
            EXPECT_EQ(plateforme.messages[0].icone, Plateforme::Icone::Exclamation);
        }
        EXPECT_EQ(Ligne(0, 1, 1, 13) + Ligne(2, 1, 1, 13), ""); // other nodes untouched
    }
    // Deleting down to two digits empties the whole row, state and RTR included.
    QTest::keyClicks(f->Noeud[1], "456");
    QTest::keyClick(f->Noeud[1], Qt::Key_Backspace);
    EXPECT_EQ(Ligne(1, 1, 1, 13), "");
}

TEST_F(ArbitrageTest, RtrBoxWritesItsCellWithOrWithoutIdentifier) {
    f->CheckN[0]->click();
    EXPECT_EQ(Ligne(0, 1, 1, 13), "R");
    EXPECT_EQ(f->CheckN[0]->text(), QStringLiteral("Trame de requête. RTR récessif"));
    f->CheckN[0]->click();
    EXPECT_EQ(Ligne(0, 1, 1, 13), "D");
    EXPECT_EQ(f->CheckN[0]->text(), QStringLiteral("Trame de données. RTR dominant"));
    f->CheckN[0]->click();
    QTest::keyClicks(f->Noeud[0], "123");
    EXPECT_EQ(Ligne(0, 1, 1, 12), DR("00100100011") + "R");
}

TEST_F(ArbitrageTest, NouvelleSimulationMidRunAndAfterRun) {
    for (int arret : {3, 12}) {
        SCOPED_TRACE(arret);
        Noeuds("123", "456", "789");
        f->CheckN[1]->click();
        Pas(arret);
        f->BP_RAZ->click();

        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(f->Noeud[k]->isEnabled() && f->CheckN[k]->isEnabled());
            EXPECT_EQ(f->Noeud[k]->text(), "");
            EXPECT_FALSE(f->CheckN[k]->isChecked());
            EXPECT_EQ(f->CheckN[k]->text(), QStringLiteral("Trame de données. RTR dominant"));
            EXPECT_EQ(Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13), "");
            for (int c = 1; c <= 13; ++c) {
                EXPECT_EQ(Couleur(k, 1, c), Noir) << k << ' ' << c;
                EXPECT_EQ(Couleur(k, 2, c), Bleu) << k << ' ' << c;
            }
        }
        EXPECT_EQ(Ligne(3, 0, 1, 12), "");
        // The plot is back to its idle stubs, on the same four traces.
        EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
        EXPECT_EQ(f->Visu_ARB->Courbes().size(), 4u);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Trace(k)->Points().back().x, 5);

        // The next run starts from column 1.
        Noeuds("456", "123", "");
        Pas();
        EXPECT_EQ(Ligne(3, 0, 1, 12), "D");
        EXPECT_EQ(Cel(0, 2, 13)->text(), "Recepteur");
        EXPECT_EQ(Fin_Cellule(1, 1)->y, 52);
        f->BP_RAZ->click();
    }
}

TEST_F(ArbitrageTest, LeavingAndReenteringArbitrationMode) {
    Noeuds("123", "456", "");
    Pas(4);
    f->Simulation_trame->trigger();
    Pas(); // no contention step outside arbitration mode
    f->Simulation_arbitrage->trigger();

    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(f->Noeud[k]->isEnabled());
        EXPECT_EQ(Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13), "");
    }
    EXPECT_EQ(f->Visu_ARB->Courbes().size(), 4u);
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
    Noeuds("7EF", "", "12");
    Pas(12);
    EXPECT_EQ(Ligne(3, 0, 1, 12), DR("11111101111") + "D");
}

TEST_F(ArbitrageTest, FrameModeChosenBeforeArbitrationWasEverSetUp) {
    PlateformeFactice autre;
    Form1 fenetre(autre);
    fenetre.Simulation_trame->trigger(); // runs the arbitration reset: no traces yet
    EXPECT_TRUE(fenetre.Mode_Trame);
    EXPECT_EQ(fenetre.Visu_ARB->Courbes().size(), 0u);
    EXPECT_EQ(fenetre.Visu_ARB->Nb_Annotations(), 0);
    EXPECT_TRUE(autre.messages.empty());

    fenetre.Simulation_arbitrage->trigger();
    const auto graduations = fenetre.Visu_ARB->Graduations_Y();
    EXPECT_EQ(graduations.values(), QStringList({"Bus CAN", "Noeud 1", "Noeud 2", "Noeud 3"}));
    EXPECT_EQ(graduations.keys(), QList<double>({4, 28, 52, 76}));
    EXPECT_EQ(fenetre.Visu_ARB->Courbes().size(), 4u);
}

} // namespace
} // namespace varnel
