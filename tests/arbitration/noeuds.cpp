// Node entry: the tables' layout, the identifier and RTR boxes, "Nouvelle simulation"
// and the mode switches.

#include "arbitrage_test.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>

namespace varnel {
namespace {

const QColor Bleu = couleurQt(0xFF0000);
const QColor Rouge = couleurQt(255);
const QColor NoirQt = couleurQt(0);

TEST_F(ArbitrageTest, TablesReadOnlyAndEveryCellVisible) {
    for (int k = 0; k < 4; ++k) {
        QTableWidget* g = Grille(k);
        int largeur = 0;
        for (int c = 0; c < g->columnCount(); ++c)
            largeur += g->columnWidth(c);
        int hauteur = 0;
        for (int r = 0; r < g->rowCount(); ++r)
            hauteur += g->rowHeight(r);
        EXPECT_LE(largeur, g->viewport()->width()) << "table " << k;
        EXPECT_LE(hauteur, g->viewport()->height()) << "table " << k;
        EXPECT_GE(hauteur, g->viewport()->height() - g->rowCount()) << "table " << k;
        EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(g->verticalScrollBar()->isVisible());
        EXPECT_FALSE(g->horizontalHeader()->isVisible());
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 0; c < g->columnCount(); ++c) {
                const QTableWidgetItem* cellule = g->item(r, c);
                ASSERT_NE(cellule, nullptr) << k << ' ' << r << ' ' << c;
                EXPECT_EQ(cellule->flags(), Qt::ItemIsEnabled) << k << ' ' << r << ' ' << c;
                EXPECT_EQ(cellule->textAlignment(), int(Qt::AlignCenter));
            }
        // The header cells look fixed: another background than the data cells.
        EXPECT_NE(g->item(0, 0)->background().style(), Qt::NoBrush);
        EXPECT_EQ(g->item(g->rowCount() - 1, 1)->background().style(), Qt::NoBrush);
    }
    EXPECT_EQ(Grille(0)->columnWidth(0), Twips(800));
    EXPECT_EQ(Grille(0)->columnWidth(5), Twips(450));
    EXPECT_EQ(Grille(0)->columnWidth(12), Twips(800));
    EXPECT_EQ(Grille(0)->columnWidth(13), Twips(1200));
    EXPECT_EQ(Grille(3)->columnWidth(12), Twips(800));
    // The bus levels stand under the node tables' bit columns.
    EXPECT_EQ(Grille(3)->columnViewportPosition(7), Grille(1)->columnViewportPosition(7));
}

TEST_F(ArbitrageTest, HeaderTexts) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Texte(k, 0, 0), QStringLiteral("Noeud %1").arg(k + 1));
        EXPECT_EQ(Texte(k, 1, 0), "W");
        EXPECT_EQ(Texte(k, 2, 0), "R");
        EXPECT_EQ(Ligne(k, 0, 1, 13), "ID10ID9ID8ID7ID6ID5ID4ID3ID2ID1ID0RTREtat du noeud");
        EXPECT_EQ(Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13), "");
    }
    EXPECT_EQ(Texte(3, 0, 0), "Etat Bus");
    EXPECT_EQ(Ligne(3, 0, 1, 12), "");
}

TEST_F(ArbitrageTest, CompleteIdentifierFillsRowOne) {
    struct Cas {
        const char* tape;
        const char* bits;
    };
    for (const Cas& cas : {Cas{"123", "00100100011"}, Cas{"7ef", "11111101111"},
                           Cas{"000", "00000000000"}, Cas{"456", "10001010110"}}) {
        SCOPED_TRACE(cas.tape);
        f->Noeud[1]->clear();
        Tape(1, cas.tape);
        EXPECT_EQ(f->Noeud[1]->text(), QString::fromLatin1(cas.tape).toUpper());
        EXPECT_EQ(Ligne(1, 1, 1, 11), DR(cas.bits));
        EXPECT_EQ(Texte(1, 1, 12), "D");
        EXPECT_EQ(Texte(1, 1, 13), "Emetteur");
        EXPECT_TRUE(Gras(1, 1, 13));
        EXPECT_EQ(Couleur(1, 1, 13), Bleu);
        EXPECT_EQ(Ligne(0, 1, 1, 13) + Ligne(2, 1, 1, 13), ""); // other nodes untouched
    }
    EXPECT_TRUE(plateforme.messages.empty());

    // Deleting down to two digits empties the whole row, state and RTR included.
    QTest::keyClick(f->Noeud[1], Qt::Key_Backspace);
    EXPECT_EQ(f->Noeud[1]->text(), "45");
    EXPECT_EQ(Ligne(1, 1, 1, 13), "");
}

TEST_F(ArbitrageTest, RefusedEntries) {
    const QString norme = QStringLiteral("Valeur non conforme à la norme CAN2.0A");
    const QString largeur =
        QStringLiteral("En mode standard, la longueur du champ identifiant est de 11 bits!");
    const QString sept =
        QStringLiteral("Les 7 bits de poids fort de l'identifiant ne doivent pas être tous "
                       "récessifs!\r\nAu moins 1 doit être un bit dominant.");
    struct Cas {
        const char* tape;
        QString message;
        QString titre;
        const char* reste; // what stays in the box
    };
    const Cas cas_[] = {
        {"800", largeur, norme, ""},
        {"fff", largeur, norme, ""},
        {"7FF", sept, norme, ""},
        {"1g", QStringLiteral("La valeur saisie n'est pas une valeur hexadécimale!"),
         QStringLiteral("Erreur de saisie"), "1"},
        {"1234", QString(), QString(), "123"}, // a fourth digit is dropped silently
    };
    for (const Cas& cas : cas_) {
        SCOPED_TRACE(cas.tape);
        plateforme.messages.clear();
        f->Noeud[2]->clear();
        Tape(2, cas.tape);
        EXPECT_EQ(f->Noeud[2]->text(), cas.reste);
        if (cas.message.isEmpty()) {
            EXPECT_TRUE(plateforme.messages.empty());
        } else {
            ASSERT_EQ(plateforme.messages.size(), 1u);
            EXPECT_EQ(plateforme.messages[0].texte, cas.message);
            EXPECT_EQ(plateforme.messages[0].titre, cas.titre);
            EXPECT_EQ(plateforme.messages[0].icone, Plateforme::Icone::Exclamation);
            EXPECT_EQ(plateforme.messages[0].boutons, Plateforme::Boutons::Ok);
        }
        if (QString(cas.reste).size() < 3) {
            EXPECT_EQ(Ligne(2, 1, 1, 13), "");
        }
    }
}

TEST_F(ArbitrageTest, RtrBoxWritesItsCellWithOrWithoutIdentifier) {
    const QString donnees = QStringLiteral("Trame de données. RTR dominant");
    const QString requete = QStringLiteral("Trame de requête. RTR récessif");
    EXPECT_EQ(f->CheckN[0]->text(), donnees);
    f->CheckN[0]->click();
    EXPECT_EQ(Texte(0, 1, 12), "R");
    EXPECT_EQ(f->CheckN[0]->text(), requete);
    EXPECT_EQ(Ligne(0, 1, 1, 11) + Texte(0, 1, 13), "");
    f->CheckN[0]->click();
    EXPECT_EQ(Texte(0, 1, 12), "D");
    EXPECT_EQ(f->CheckN[0]->text(), donnees);

    // Checked before typing: the identifier comes with a recessive RTR.
    f->CheckN[0]->click();
    Tape(0, "123");
    EXPECT_EQ(Ligne(0, 1, 1, 12), DR("00100100011") + "R");
}

TEST_F(ArbitrageTest, NouvelleSimulationMidRunAndAfterRun) {
    for (int arret : {3, 12}) {
        SCOPED_TRACE(arret);
        Noeuds("123", "456", "789");
        f->CheckN[1]->click();
        Pas(arret);
        ASSERT_EQ(f->Pas_Arb, arret + 1);
        f->BP_RAZ->click();

        EXPECT_EQ(f->Pas_Arb, 0);
        EXPECT_FALSE(f->Pas_Lance);
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(f->Noeud[k]->isEnabled());
            EXPECT_TRUE(f->CheckN[k]->isEnabled());
            EXPECT_EQ(f->Noeud[k]->text(), "");
            EXPECT_FALSE(f->CheckN[k]->isChecked());
            EXPECT_EQ(f->CheckN[k]->text(), QStringLiteral("Trame de données. RTR dominant"));
            EXPECT_EQ(Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13), "");
            for (int c = 1; c <= 13; ++c) {
                EXPECT_EQ(Couleur(k, 1, c), NoirQt) << k << ' ' << c;
                EXPECT_EQ(Couleur(k, 2, c), Bleu) << k << ' ' << c;
            }
            EXPECT_EQ(Texte(k, 0, 1), "ID10");
        }
        EXPECT_EQ(Ligne(3, 0, 1, 12), "");
        EXPECT_EQ(Texte(3, 0, 0), "Etat Bus");

        // The plot is back to its idle stubs, on the same four traces as before.
        EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
        EXPECT_EQ(f->Visu_ARB->Courbes().size(), 4u);
        EXPECT_EQ(f->X_Arb, 5);
        for (int k = 0; k < 4; ++k) {
            ASSERT_EQ(Trace(k)->Nb_Points(), 3);
            EXPECT_EQ(Trace(k)->Point(2).x, 5);
        }

        // The next run starts from column 1.
        Noeuds("456", "123", "");
        Pas();
        EXPECT_EQ(Texte(3, 0, 1), "D");
        EXPECT_EQ(Texte(0, 2, 13), "Recepteur");
        f->BP_RAZ->click();
    }
}

TEST_F(ArbitrageTest, LeavingAndReenteringArbitrationMode) {
    Noeuds("123", "456", "");
    Pas(4);
    f->Simulation_trame->trigger();
    EXPECT_FALSE(f->Mode_Arb);
    f->Simulation_arbitrage->trigger();

    EXPECT_EQ(f->Pas_Arb, 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(f->Noeud[k]->isEnabled());
        EXPECT_EQ(Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13), "");
    }
    EXPECT_EQ(f->Visu_ARB->Courbes().size(), 4u);
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
    Noeuds("7EF", "", "12");
    Pas(12);
    EXPECT_EQ(Ligne(3, 0, 1, 12), DR("11111101111") + "D");
    EXPECT_EQ(Texte(0, 1, 13), "Emetteur");
}

TEST_F(ArbitrageTest, FrameModeChosenBeforeArbitrationEverSetUp) {
    // A window that has never been in arbitration mode: choosing frame mode runs the
    // arbitration reset on a plot that has no traces yet.
    PlateformeFactice autre;
    Form1 fenetre(autre);
    fenetre.Simulation_trame->trigger();
    fenetre.Simulation_trame->trigger();
    EXPECT_TRUE(fenetre.Mode_Trame);
    EXPECT_EQ(fenetre.Visu_ARB->Courbes().size(), 0u);
    EXPECT_EQ(fenetre.Visu_ARB->Nb_Annotations(), 0);
    EXPECT_TRUE(autre.messages.empty());

    fenetre.Simulation_arbitrage->trigger();
    EXPECT_EQ(fenetre.Visu_ARB->Courbes().size(), 4u);
    QTest::keyClicks(fenetre.Noeud[0], "123");
    QTest::keyClicks(fenetre.Noeud[1], "12");
    fenetre.Pas_Arbitrage();
    EXPECT_EQ(fenetre.GridBus->item(0, 1)->text(), "D");
}

} // namespace
} // namespace varnel
