// The contention step and the arbitration plot.

#include "arbitrage_test.h"

namespace varnel {
namespace {

const QColor Bleu = couleurQt(0xFF0000);
const QColor Rouge = couleurQt(255);
const QColor NoirQt = couleurQt(0);
constexpr int Vert = 0x008000;

const QString B123 = DR("00100100011");
const QString B456 = DR("10001010110");
const QString B789 = DR("11110001001");

// Levels of the traces: node 1 .. 3, then the bus.
constexpr double Rec[4] = {43, 67, 91, 19};
constexpr double Dom[4] = {28, 52, 76, 4};

TEST_F(ArbitrageTest, ThreeNodesFirstStep) {
    Noeuds("123", "456", "789");
    Pas();

    EXPECT_EQ(f->Pas_Arb, 2);
    EXPECT_EQ(Texte(3, 0, 1), "D");
    EXPECT_TRUE(Gras(3, 0, 1));
    EXPECT_EQ(Texte(0, 1, 13), "Emetteur");
    for (int k : {1, 2}) {
        SCOPED_TRACE(k);
        for (int c = 1; c <= 13; ++c)
            EXPECT_EQ(Couleur(k, 1, c), Rouge) << c;
        EXPECT_EQ(Texte(k, 1, 13), "");
        EXPECT_EQ(Texte(k, 2, 13), "Recepteur");
        EXPECT_TRUE(Gras(k, 2, 13));
        EXPECT_EQ(Couleur(k, 2, 13), Rouge);
        EXPECT_EQ(Ligne(k, 1, 1, 12), (k == 1 ? B456 : B789) + "D"); // bits stay written
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Texte(k, 2, 1), "D");
        EXPECT_EQ(Couleur(k, 2, 1), Bleu);
        EXPECT_FALSE(f->Noeud[k]->isEnabled());
        EXPECT_FALSE(f->CheckN[k]->isEnabled());
    }
    EXPECT_EQ(Couleur(0, 1, 1), NoirQt);

    // Node 1 falls to its dominant level at X 5; the losers run on, recessive and red.
    const std::vector<std::vector<PointTrace>> attendu = {
        {{0, 43, Vert}, {0, 43, Vert}, {5, 43, Vert}, {5, 28, Vert}, {10, 28, Vert}},
        {{0, 67, Vert}, {0, 67, Vert}, {5, 67, Vert}, {10, 67, 255}},
        {{0, 91, Vert}, {0, 91, Vert}, {5, 91, Vert}, {10, 91, 255}},
        {{0, 19, 0}, {0, 19, 0}, {5, 19, 0}, {5, 4, 0}, {10, 4, 0}},
    };
    for (int k = 0; k < 4; ++k) {
        const auto& pts = Trace(k)->Points();
        ASSERT_EQ(pts.size(), attendu[k].size()) << "trace " << k;
        for (size_t i = 0; i < pts.size(); ++i) {
            EXPECT_EQ(pts[i].x, attendu[k][i].x) << k << ' ' << i;
            EXPECT_EQ(pts[i].y, attendu[k][i].y) << k << ' ' << i;
            EXPECT_EQ(pts[i].couleur, attendu[k][i].couleur) << k << ' ' << i;
        }
        EXPECT_EQ(Trace(k)->Decalage_Y(), 0);
    }
    ASSERT_EQ(f->Visu_ARB->Nb_Annotations(), 1);
    const Annotation& nom = f->Visu_ARB->Annotation_Item(0);
    EXPECT_EQ(nom.texte, "ID10");
    EXPECT_EQ(nom.x, 6);
    EXPECT_EQ(nom.y, 90);
    EXPECT_EQ(nom.taille, 14);
    EXPECT_EQ(nom.couleur, 0);
    EXPECT_EQ(nom.angle, 0);
    EXPECT_TRUE(nom.visible);
}

TEST_F(ArbitrageTest, ThreeNodesToTheEnd) {
    Noeuds("123", "456", "789");
    Pas(12);

    EXPECT_EQ(f->Pas_Arb, 13);
    EXPECT_EQ(Ligne(3, 0, 1, 12), B123 + "D");
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Ligne(k, 2, 1, 12), B123 + "D") << k;
    EXPECT_EQ(Texte(0, 1, 13), "Emetteur");
    EXPECT_EQ(Texte(0, 2, 13), "");
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Couleur(0, 1, c), NoirQt) << c;

    // The plot: node 1 and the bus draw the winning bits, the losers stay recessive.
    EXPECT_EQ(Niveaux(0, Rec[0], Dom[0]), B123 + "D");
    EXPECT_EQ(Niveaux(3, Rec[3], Dom[3]), B123 + "D");
    EXPECT_EQ(Niveaux(1, Rec[1], Dom[1]), "RRRRRRRRRRRR");
    EXPECT_EQ(Niveaux(2, Rec[2], Dom[2]), "RRRRRRRRRRRR");
    for (int k = 0; k < 4; ++k) {
        Verifie_Carree(k);
        EXPECT_EQ(Trace(k)->Points().back().x, 65) << k;
    }
    for (const PointTrace& p : Trace(0)->Points())
        EXPECT_EQ(p.couleur, Vert);
    for (const PointTrace& p : Trace(3)->Points())
        EXPECT_EQ(p.couleur, 0);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Fin_Cellule(2, c)->couleur, 255) << c;

    ASSERT_EQ(f->Visu_ARB->Nb_Annotations(), 12);
    for (int c = 1; c <= 12; ++c) {
        const Annotation& nom = f->Visu_ARB->Annotation_Item(c - 1);
        EXPECT_EQ(nom.texte, c < 12 ? QStringLiteral("ID%1").arg(11 - c) : "RTR");
        EXPECT_EQ(nom.x, 5 * c + 1);
    }
    EXPECT_EQ(f->X_Arb, 65);

    // A thirteenth step changes nothing at all.
    const size_t points = Trace(3)->Points().size();
    Pas(3);
    EXPECT_EQ(f->Pas_Arb, 13);
    EXPECT_EQ(Trace(3)->Points().size(), points);
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 12);
    EXPECT_TRUE(plateforme.messages.empty());
}

TEST_F(ArbitrageTest, StepCommandPlaysTheArbitration) {
    Noeuds("456", "123", "");
    for (int i = 0; i < 12; ++i)
        f->Pas_a_Pas->trigger();
    EXPECT_EQ(f->Pas_Arb, 13);
    EXPECT_EQ(Ligne(3, 0, 1, 12), B123 + "D");
    EXPECT_EQ(Texte(1, 1, 13), "Emetteur");
    EXPECT_EQ(Texte(0, 2, 13), "Recepteur");
}

TEST_F(ArbitrageTest, SameIdentifierRemoteFrameLosesAtRtr) {
    Noeuds("123", "123", "");
    f->CheckN[1]->click();
    Pas(11);
    EXPECT_TRUE(plateforme.messages.empty());
    EXPECT_EQ(Texte(1, 1, 13), "Emetteur");
    EXPECT_EQ(Texte(1, 2, 13), "");
    Pas();

    EXPECT_EQ(Ligne(3, 0, 1, 12), B123 + "D");
    EXPECT_EQ(Texte(0, 1, 13), "Emetteur");
    EXPECT_EQ(Texte(1, 1, 13), "");
    EXPECT_EQ(Texte(1, 2, 13), "Recepteur");
    for (int c = 1; c <= 11; ++c)
        EXPECT_EQ(Couleur(1, 1, c), NoirQt) << c;
    EXPECT_EQ(Couleur(1, 1, 12), Rouge);
    EXPECT_EQ(Couleur(1, 1, 13), Rouge);
    EXPECT_EQ(Ligne(1, 2, 1, 12), B123 + "D");

    // On the plot node 2 follows node 1 until the RTR bit, drawn red and recessive.
    EXPECT_EQ(Niveaux(1, Rec[1], Dom[1]), B123 + "R");
    EXPECT_EQ(Fin_Cellule(1, 11)->couleur, Vert);
    EXPECT_EQ(Fin_Cellule(1, 12)->couleur, 255);
    Verifie_Carree(1);
    EXPECT_EQ(Trace(2)->Nb_Points(), 0); // the empty node
}

TEST_F(ArbitrageTest, DuplicateIdentifiersStopTheStep) {
    struct Cas {
        const char* n[3];
        bool rtr[3];
        const char* paire; // nullptr: no duplicate, the run starts
    };
    const Cas cas_[] = {
        {{"123", "123", "456"}, {false, false, false}, "1 et 2"},
        {{"456", "123", "123"}, {false, false, false}, "2 et 3"},
        {{"123", "456", "123"}, {true, false, true}, "1 et 3"},
        {{"123", "123", "123"}, {false, false, false}, "1 et 2"},
        {{"123", "123", "123"}, {true, false, false}, "2 et 3"},
        {{"", "", "123"}, {false, false, false}, "1 et 2"},
        {{"123", "", ""}, {false, false, false}, "2 et 3"},
        {{"", "12", ""}, {false, false, false}, "1 et 3"},
        {{"", "", "123"}, {true, false, false}, nullptr},
        {{"123", "123", ""}, {false, true, false}, nullptr},
    };
    for (const Cas& cas : cas_) {
        SCOPED_TRACE(std::string(cas.n[0]) + "/" + cas.n[1] + "/" + cas.n[2]);
        f->BP_RAZ->click();
        plateforme.messages.clear();
        for (int k = 0; k < 3; ++k) {
            Tape(k, cas.n[k]);
            if (cas.rtr[k]) f->CheckN[k]->click();
        }
        Pas();
        if (!cas.paire) {
            EXPECT_TRUE(plateforme.messages.empty());
            EXPECT_EQ(f->Pas_Arb, 2);
            continue;
        }
        ASSERT_EQ(plateforme.messages.size(), 1u);
        const auto& m = plateforme.messages[0];
        EXPECT_EQ(m.texte, QStringLiteral("Les noeuds %1 ont le même identifiant et la même "
                                          "valeur de RTR!")
                               .arg(QString::fromLatin1(cas.paire)));
        EXPECT_EQ(m.titre, "Identifiant double");
        EXPECT_EQ(m.icone, Plateforme::Icone::Exclamation);
        EXPECT_EQ(m.boutons, Plateforme::Boutons::Ok);
        // Nothing moved: the user can correct the entries and try again.
        EXPECT_EQ(f->Pas_Arb, 0);
        EXPECT_FALSE(f->Pas_Lance);
        EXPECT_TRUE(f->Noeud[0]->isEnabled() && f->CheckN[2]->isEnabled());
        EXPECT_EQ(Ligne(3, 0, 1, 12), "");
        EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
        Pas();
        EXPECT_EQ(plateforme.messages.size(), 2u);
    }
}

TEST_F(ArbitrageTest, ShortEntriesAreOutButReadTheBus) {
    Noeuds("1", "45", "789");
    Pas();
    for (int k : {0, 1}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(f->Hors_N[k]);
        EXPECT_EQ(Texte(k, 2, 1), "R");
    }
    EXPECT_EQ(Texte(3, 0, 1), "R"); // node 3 alone sends its recessive ID10
    Pas(11);
    EXPECT_EQ(Ligne(3, 0, 1, 12), B789 + "D");
    for (int k : {0, 1}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Ligne(k, 2, 1, 12), B789 + "D");
        EXPECT_EQ(Ligne(k, 1, 1, 13), "");
        EXPECT_EQ(Texte(k, 2, 13), "");
        // Their traces never leave the recessive level.
        EXPECT_EQ(Niveaux(k, Rec[k], Dom[k]).count('D'), 0);
        Verifie_Carree(k);
    }
    EXPECT_EQ(Texte(2, 1, 13), "Emetteur");
    EXPECT_EQ(Niveaux(2, Rec[2], Dom[2]), B789 + "D");
}

TEST_F(ArbitrageTest, EmptyNodeHasEmptyTraceAndNoTableEntries) {
    Noeuds("123", "", "456");
    Pas();
    EXPECT_EQ(Trace(1)->Nb_Points(), 0);
    EXPECT_EQ(Ligne(1, 1, 1, 13) + Ligne(1, 2, 1, 13), "");
    Pas(11);
    EXPECT_EQ(Trace(1)->Nb_Points(), 0);
    EXPECT_EQ(Ligne(1, 1, 1, 13) + Ligne(1, 2, 1, 13), "");
    EXPECT_EQ(Texte(0, 1, 13), "Emetteur");
}

TEST_F(ArbitrageTest, NoStepOutsideArbitrationMode) {
    Noeuds("123", "456", "789");
    f->Simulation_trame->trigger();
    f->Pas_Arbitrage();
    EXPECT_EQ(f->Pas_Arb, 0);
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
}

TEST_F(ArbitrageTest, HiddenTraceKeepsDrawing) {
    struct Cas {
        int k;
        const char* afficher;
        const char* masquer;
    };
    for (const Cas& cas :
         {Cas{3, "Afficher Bus", "Masquer Bus"}, Cas{0, "Afficher Noeud1", "Masquer Noeud1"},
          Cas{2, "Afficher Noeud3", "Masquer Noeud3"}}) {
        SCOPED_TRACE(cas.k);
        f->BP_RAZ->click();
        Noeuds("123", "456", "789");
        QAction* item = f->Masq[cas.k];
        ASSERT_TRUE(item->isEnabled());
        ASSERT_TRUE(item->isChecked());
        Pas(2);
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(item->text(), cas.afficher);
        EXPECT_EQ(Trace(cas.k)->Decalage_Y(), 200);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Trace(k)->Decalage_Y(), k == cas.k ? 200 : 0);
        Pas(10);
        EXPECT_EQ(Trace(cas.k)->Points().back().x, 65);

        // A new run keeps the trace hidden, as its menu item says.
        f->BP_RAZ->click();
        EXPECT_EQ(Trace(cas.k)->Decalage_Y(), 200);
        EXPECT_EQ(item->text(), cas.afficher);

        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(item->text(), cas.masquer);
        EXPECT_EQ(Trace(cas.k)->Decalage_Y(), 0);
    }
}

TEST_F(ArbitrageTest, ArbitrationPlotSetUp) {
    const auto ticks = f->Visu_ARB->Graduations_Y();
    EXPECT_EQ(ticks.value(4), "Bus CAN");
    EXPECT_EQ(ticks.value(28), "Noeud 1");
    EXPECT_EQ(ticks.value(52), "Noeud 2");
    EXPECT_EQ(ticks.value(76), "Noeud 3");
    EXPECT_EQ(ticks.size(), 4);
    const int couleurs[4] = {Vert, Vert, Vert, 0};
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(Trace(k), nullptr);
        ASSERT_EQ(Trace(k)->Nb_Points(), 3);
        for (const PointTrace& p : Trace(k)->Points()) {
            EXPECT_EQ(p.y, Rec[k]);
            EXPECT_EQ(p.couleur, couleurs[k]);
        }
    }
    // Choosing arbitration mode again sets the plot up again on the same traces.
    f->Simulation_arbitrage->trigger();
    EXPECT_EQ(f->Visu_ARB->Courbes().size(), 4u);
    EXPECT_EQ(f->Visu_ARB->Graduations_Y().size(), 4);
}

} // namespace
} // namespace varnel
