// The contention step and the arbitration plot.

#include "arbitrage_test.h"

namespace varnel {
namespace {

const QString B123 = DR("00100100011");
const QString B456 = DR("10001010110");
const QString B789 = DR("11110001001");

TEST_F(ArbitrageTest, ThreeNodesPlayedToTheEnd) {
    Noeuds("123", "456", "789");
    f->Pas_a_Pas->trigger();

    // ID10: node 1 writes D, nodes 2 and 3 write R, read D and drop out.
    EXPECT_EQ(Cel(3, 0, 1)->text(), "D");
    EXPECT_TRUE(Cel(3, 0, 1)->font().bold());
    for (int k : {1, 2}) {
        for (int c = 1; c <= 13; ++c)
            EXPECT_EQ(Couleur(k, 1, c), Rouge) << k << ' ' << c;
        EXPECT_EQ(Cel(k, 1, 13)->text(), "");
        EXPECT_EQ(Cel(k, 2, 13)->text(), "Recepteur");
        EXPECT_TRUE(Cel(k, 2, 13)->font().bold());
        EXPECT_EQ(Couleur(k, 2, 13), Rouge);
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Cel(k, 2, 1)->text(), "D");
        EXPECT_EQ(Couleur(k, 2, 1), Bleu);
        EXPECT_FALSE(f->Noeud[k]->isEnabled() || f->CheckN[k]->isEnabled());
    }
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
    }
    const Annotation& id10 = f->Visu_ARB->Annotation_Item(0);
    EXPECT_EQ(id10.texte, "ID10");
    EXPECT_EQ(QPointF(id10.x, id10.y), QPointF(6, 90));
    EXPECT_EQ(id10.taille, 14);

    for (int i = 1; i < 12; ++i)
        f->Pas_a_Pas->trigger();
    EXPECT_EQ(Ligne(3, 0, 1, 12), B123 + "D");
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Ligne(k, 2, 1, 12), B123 + "D") << k;
    EXPECT_EQ(Ligne(1, 1, 1, 12), B456 + "D"); // the losers' bits stay written
    EXPECT_EQ(Cel(0, 1, 13)->text(), "Emetteur");
    EXPECT_EQ(Cel(0, 2, 13)->text(), "");
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Couleur(0, 1, c), Noir) << c;

    EXPECT_EQ(Niveaux(0), B123 + "D");
    EXPECT_EQ(Niveaux(3), B123 + "D");
    EXPECT_EQ(Niveaux(1), "RRRRRRRRRRRR");
    EXPECT_EQ(Niveaux(2), "RRRRRRRRRRRR");
    for (int k = 0; k < 4; ++k) {
        Verifie_Carree(k);
        EXPECT_EQ(Trace(k)->Points().back().x, 65) << k;
    }
    for (const PointTrace& p : Trace(0)->Points())
        EXPECT_EQ(p.couleur, Vert);
    for (int c = 1; c <= 12; ++c)
        EXPECT_EQ(Fin_Cellule(2, c)->couleur, 255) << c;
    ASSERT_EQ(f->Visu_ARB->Nb_Annotations(), 12);
    for (int c = 1; c <= 12; ++c) {
        const Annotation& nom = f->Visu_ARB->Annotation_Item(c - 1);
        EXPECT_EQ(nom.texte, c < 12 ? QStringLiteral("ID%1").arg(11 - c) : "RTR");
        EXPECT_EQ(nom.x, 5 * c + 1);
    }

    // A thirteenth step changes nothing.
    const size_t points = Trace(3)->Points().size();
    Pas(2);
    EXPECT_EQ(f->Pas_Arb, 13);
    EXPECT_EQ(Trace(3)->Points().size(), points);
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 12);
    EXPECT_TRUE(plateforme.messages.empty());
}

TEST_F(ArbitrageTest, SameIdentifierRemoteFrameLosesAtRtr) {
    Noeuds("123", "123", "");
    f->CheckN[1]->click();
    Pas(11);
    EXPECT_EQ(Cel(1, 1, 13)->text(), "Emetteur");
    EXPECT_EQ(Trace(2)->Nb_Points(), 0); // the empty node's trace, stub included
    Pas();

    EXPECT_TRUE(plateforme.messages.empty());
    EXPECT_EQ(Ligne(3, 0, 1, 12), B123 + "D");
    EXPECT_EQ(Cel(0, 1, 13)->text(), "Emetteur");
    EXPECT_EQ(Cel(1, 1, 13)->text(), "");
    EXPECT_EQ(Cel(1, 2, 13)->text(), "Recepteur");
    EXPECT_EQ(Couleur(1, 1, 11), Noir);
    EXPECT_EQ(Couleur(1, 1, 12), Rouge);
    EXPECT_EQ(Niveaux(1), B123 + "R");
    EXPECT_EQ(Fin_Cellule(1, 11)->couleur, Vert);
    EXPECT_EQ(Fin_Cellule(1, 12)->couleur, 255);
    EXPECT_EQ(Trace(2)->Nb_Points(), 0);
    EXPECT_EQ(Ligne(2, 1, 1, 13) + Ligne(2, 2, 1, 13), "");
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
        {{"", "12", ""}, {false, false, false}, "1 et 3"},
        {{"", "", "123"}, {true, false, false}, nullptr},
    };
    for (const Cas& cas : cas_) {
        SCOPED_TRACE(std::string(cas.n[0]) + "/" + cas.n[1] + "/" + cas.n[2]);
        f->BP_RAZ->click();
        plateforme.messages.clear();
        Noeuds(cas.n[0], cas.n[1], cas.n[2]);
        for (int k = 0; k < 3; ++k)
            if (cas.rtr[k]) f->CheckN[k]->click();
        Pas();
        if (!cas.paire) {
            EXPECT_TRUE(plateforme.messages.empty());
            EXPECT_EQ(Ligne(3, 0, 1, 12), "D");
            continue;
        }
        ASSERT_EQ(plateforme.messages.size(), 1u);
        const auto& m = plateforme.messages[0];
        EXPECT_EQ(m.texte, QStringLiteral("Les noeuds %1 ont le même identifiant et la même "
                                          "valeur de RTR!")
                               .arg(QString::fromLatin1(cas.paire)));
        EXPECT_EQ(m.titre, "Identifiant double");
        EXPECT_EQ(m.icone, Plateforme::Icone::Exclamation);
        // Nothing moved: the user corrects the entries and tries again.
        EXPECT_TRUE(f->Noeud[0]->isEnabled() && f->CheckN[2]->isEnabled());
        EXPECT_EQ(Ligne(3, 0, 1, 12), "");
        EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 0);
        Pas();
        EXPECT_EQ(plateforme.messages.size(), 2u);
    }
}

TEST_F(ArbitrageTest, ShortEntriesAreOutButReadTheBus) {
    Noeuds("1", "45", "789");
    Pas(12);
    EXPECT_EQ(Ligne(3, 0, 1, 12), B789 + "D"); // node 3 alone: its ID10 is recessive
    for (int k : {0, 1}) {
        EXPECT_EQ(Ligne(k, 2, 1, 12), B789 + "D") << k;
        EXPECT_EQ(Ligne(k, 1, 1, 13) + Cel(k, 2, 13)->text(), "") << k;
        EXPECT_FALSE(Niveaux(k).contains('D')) << k;
        Verifie_Carree(k);
    }
    EXPECT_EQ(Cel(2, 1, 13)->text(), "Emetteur");
    EXPECT_EQ(Niveaux(2), B789 + "D");
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
        Pas(2);
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(item->text(), cas.afficher);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(Trace(k)->Decalage_Y(), k == cas.k ? 200 : 0);
        Pas(10);
        EXPECT_EQ(Trace(cas.k)->Points().back().x, 65);

        // A new run keeps the trace hidden, as its menu item says.
        f->BP_RAZ->click();
        EXPECT_EQ(Trace(cas.k)->Decalage_Y(), 200);
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(item->text(), cas.masquer);
        EXPECT_EQ(Trace(cas.k)->Decalage_Y(), 0);
    }
}

} // namespace
} // namespace varnel
