// Trace layers, frame displays and legends.
#include "fenetre.h"

namespace varnel {
namespace {

const QColor Bleu = couleurQt(0xFF0000);

// A caption without its access-key marker: the design captions carry one.
QString Sans_Touche(QString texte) {
    return texte.remove(QLatin1Char('&'));
}
const QColor Rouge = couleurQt(255);

struct Trace {
    const char* nom;
    QAction* Form1::*item;
    QLabel* Form1::*label;
    std::vector<Courbe * Form1::*> courbes;
    std::vector<int Form1::*> positions;
    std::vector<int> visibles;
    QString sujet, montre, cache;
};

const std::vector<Trace> traces = {
    {"Emetteur",
     &Form1::Aff_Emet,
     &Form1::Pref_Em,
     {&Form1::Courbe_Emet},
     {&Form1::Pos_Emet},
     {82},
     "Emetteur",
     "Masquer Emetteur",
     "Afficher Emetteur"},
    {"Recepteur",
     &Form1::Aff_Recep,
     &Form1::Pref_Rec,
     {&Form1::Courbe_Recep},
     {&Form1::Pos_Recep},
     {62},
     "Récepteur",
     "Masquer Récepteur",
     "Afficher Récepteur"},
    {"Bus",
     &Form1::Aff_Bus,
     &Form1::Pref_Bus,
     {&Form1::Courbe_CANH, &Form1::Courbe_CANL},
     {&Form1::Pos_CANH, &Form1::Pos_CANL},
     {42, 17},
     "Bus",
     "Masquer Bus",
     "Afficher Bus"},
};

class Couches : public Fenetre {
protected:
    void Attend_Trace(const Trace& t, bool montre) {
        SCOPED_TRACE(std::string(t.nom) + (montre ? " shown" : " hidden"));
        QAction* item = (*f).*t.item;
        QLabel* label = (*f).*t.label;
        EXPECT_EQ(item->isChecked(), montre);
        EXPECT_EQ(Sans_Touche(item->text()), montre ? t.montre : t.cache);
        EXPECT_EQ(label->text(), t.sujet + (montre ? " ON" : " OFF"));
        EXPECT_EQ(Couleur(label), montre ? Bleu : Rouge);
        for (size_t k = 0; k < t.courbes.size(); ++k) {
            const int attendu = montre ? t.visibles[k] : 200;
            EXPECT_EQ((*f).*t.positions[k], attendu);
            EXPECT_EQ(((*f).*t.courbes[k])->Decalage_Y(), attendu);
        }
    }
};

TEST_F(Couches, EachTraceHidesAndShowsWithoutLosingWhatIsDrawn) {
    Dessine();
    for (const Trace& t : traces) {
        std::vector<size_t> points;
        for (auto c : t.courbes)
            points.push_back(((*f).*c)->Points().size());
        Attend_Trace(t, true);
        ((*f).*t.item)->trigger();
        Attend_Trace(t, false);
        ((*f).*t.item)->trigger();
        Attend_Trace(t, true);
        for (size_t k = 0; k < t.courbes.size(); ++k)
            EXPECT_EQ(((*f).*t.courbes[k])->Points().size(), points[k]) << t.nom;
    }
}

TEST_F(Couches, HiddenTracesStayHiddenAfterEffacer) {
    for (const Trace& t : traces) {
        ((*f).*t.item)->trigger();
        f->BP_Clear->click();
        Attend_Trace(t, false);
        Dessine();
        Attend_Trace(t, false);
        ((*f).*t.item)->trigger();
        Attend_Trace(t, true);
    }
}

TEST_F(Couches, BusHiddenBeforeAnyDrawingTakesEffectOnTheNextDrawing) {
    ASSERT_EQ(can().Nb_Annotations(), 0);
    f->Aff_Bus->trigger();
    Attend_Trace(traces[2], false);
    EXPECT_EQ(can().Nb_Annotations(), 0);
    Dessine();
    EXPECT_EQ(f->Courbe_CANH->Decalage_Y(), 200);
    EXPECT_EQ(f->Courbe_CANL->Decalage_Y(), 200);
}

TEST_F(Couches, IdleTextFollowsTheBusOnlyWhenTheLegendIsOn) {
    Dessine(); // legend off: every text out of view
    f->Aff_Bus->trigger();
    EXPECT_EQ(can().Annotation_Item(1).y, 450);
    f->Aff_Bus->trigger();
    EXPECT_EQ(can().Annotation_Item(1).y, 450) << "shown with the legend off";

    f->Af_legend->trigger();
    f->Aff_Bus->trigger();
    EXPECT_EQ(can().Annotation_Item(1).y, 450);
    EXPECT_EQ(Y_Textes(can(), 2), Partout(can(), 2, 90)) << "only the Idle text goes";
    f->Aff_Bus->trigger();
    EXPECT_EQ(can().Annotation_Item(1).y, 26);
}

TEST_F(Couches, HidingTheEmitterHidesTheLegendShowingItLeavesItHidden) {
    Dessine();
    f->Af_legend->trigger();
    const double curseur = can().Annotation_Item(0).y;

    f->Aff_Emet->trigger();
    EXPECT_EQ(Y_Textes(can(), 1), Partout(can(), 1, 450));
    EXPECT_EQ(can().Annotation_Item(0).y, curseur);
    EXPECT_FALSE(f->Legend->isChecked());
    EXPECT_EQ(f->Pref_Legende->text(), "Légende OFF");
    EXPECT_FALSE(f->Menu_Actif(f->Legende));

    f->Aff_Emet->trigger();
    EXPECT_TRUE(f->Menu_Actif(f->Legende));
    EXPECT_EQ(Y_Textes(can(), 1), Partout(can(), 1, 450));
    EXPECT_TRUE(f->Af_legend->isEnabled());

    f->Af_legend->trigger();
    EXPECT_EQ(can().Annotation_Item(1).y, 26);
    EXPECT_EQ(Y_Textes(can(), 2), Partout(can(), 2, 90));
}

TEST_F(Couches, FrameDisplaysHideWithTheirCountsAndKeepBeingUpdated) {
    struct Affichage {
        QAction* Form1::*item;
        QLineEdit* Form1::*trame;
        QLineEdit* Form1::*nombre;
        QLabel* Form1::*label;
        QString sujet, montre, cache;
    };
    const Affichage affichages[] = {
        {&Form1::Aff_T_Brute, &Form1::Trame_Bin, &Form1::Text1, &Form1::Pref_TB, "Trame brute",
         "Masquer trame brute", "Afficher trame brute"},
        {&Form1::Aff_T_Stuff, &Form1::Trame_Bin_Stuf, &Form1::Text2, &Form1::Pref_TS,
         "Trame stuffée", "Masquer trame stuffée", "Afficher trame stuffée"},
    };
    for (const Affichage& a : affichages) {
        SCOPED_TRACE(a.sujet.toStdString());
        QAction* item = (*f).*a.item;
        EXPECT_EQ(item->text(), a.montre);
        item->trigger();
        // Checked means hidden here, the opposite of the trace items.
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(((*f).*a.trame)->isHidden());
        EXPECT_TRUE(((*f).*a.nombre)->isHidden());
        EXPECT_EQ(item->text(), a.cache);
        EXPECT_EQ(((*f).*a.label)->text(), a.sujet + " OFF");
        EXPECT_EQ(Couleur((*f).*a.label), Rouge);

        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(((*f).*a.trame)->isHidden());
        EXPECT_FALSE(((*f).*a.nombre)->isHidden());
        EXPECT_EQ(item->text(), a.montre);
        EXPECT_EQ(((*f).*a.label)->text(), a.sujet + " ON");
        EXPECT_EQ(Couleur((*f).*a.label), Bleu);
    }
    f->Aff_T_Brute->trigger();
    f->Aff_T_Stuff->trigger();
    QTest::keyClicks(f->Identifiant, QStringLiteral("5A3"));
    for (QLineEdit* champ : {f->Trame_Bin, f->Text1, f->Trame_Bin_Stuf, f->Text2}) {
        EXPECT_FALSE(champ->text().isEmpty()) << champ->objectName().toStdString();
        EXPECT_TRUE(champ->isHidden());
    }
}

TEST_F(Couches, LegendPreferenceClearsThePlotAndPlacesTheNextDrawing) {
    Dessine();
    f->Legend->trigger();
    EXPECT_TRUE(f->Legend->isChecked());
    EXPECT_EQ(f->Pref_Legende->text(), "Légende ON");
    EXPECT_EQ(Couleur(f->Pref_Legende), Bleu);
    EXPECT_EQ(can().Nb_Annotations(), 0);
    EXPECT_FALSE(f->Menu_Actif(f->Legende));

    Dessine();
    EXPECT_EQ(can().Annotation_Item(1).y, 26);
    EXPECT_EQ(Y_Textes(can(), 2), Partout(can(), 2, 90));

    f->Legend->trigger();
    EXPECT_FALSE(f->Legend->isChecked());
    EXPECT_EQ(f->Pref_Legende->text(), "Légende OFF");
    EXPECT_EQ(Couleur(f->Pref_Legende), Rouge);
    EXPECT_EQ(can().Nb_Annotations(), 0);
}

TEST_F(Couches, MasquerAndAfficherMoveEveryTextButTheCursor) {
    Dessine();
    const Annotation curseur = can().Annotation_Item(0);
    for (int tour = 0; tour < 2; ++tour) {
        f->Af_legend->trigger();
        EXPECT_EQ(can().Annotation_Item(1).y, 26);
        EXPECT_EQ(Y_Textes(can(), 2), Partout(can(), 2, 90));
        EXPECT_FALSE(f->Af_legend->isEnabled());
        EXPECT_TRUE(f->Masquer->isEnabled());
        EXPECT_TRUE(f->Legend->isChecked());
        EXPECT_EQ(f->Pref_Legende->text(), "Légende ON");
        EXPECT_EQ(Couleur(f->Pref_Legende), Bleu);

        f->Masquer->trigger();
        EXPECT_EQ(Y_Textes(can(), 1), Partout(can(), 1, 450));
        EXPECT_TRUE(f->Af_legend->isEnabled());
        EXPECT_FALSE(f->Masquer->isEnabled());
        EXPECT_FALSE(f->Legend->isChecked());
        EXPECT_EQ(f->Pref_Legende->text(), "Légende OFF");
        EXPECT_EQ(Couleur(f->Pref_Legende), Rouge);
    }
    EXPECT_EQ(can().Annotation_Item(0).x, curseur.x);
    EXPECT_EQ(can().Annotation_Item(0).y, curseur.y);
}

TEST_F(Couches, MasquerOnAnEmptySignalPlotChangesNothing) {
    f->Legend->trigger(); // legend preference on
    f->Simulation_arbitrage->trigger();
    f->Simulation_trame->trigger(); // leaves Masquer reachable on an empty plot
    ASSERT_TRUE(f->Masquer->isEnabled());
    f->Masquer->trigger();
    EXPECT_TRUE(f->Masquer->isEnabled());
    EXPECT_FALSE(f->Af_legend->isEnabled());
    EXPECT_TRUE(f->Legend->isChecked());
    EXPECT_EQ(f->Pref_Legende->text(), "Légende ON");
    EXPECT_EQ(can().Nb_Annotations(), 0);
}

TEST_F(Couches, ArbitrationLegendCommandsMoveTheBitNamesOnly) {
    f->Simulation_arbitrage->trigger();
    ASSERT_EQ(arb().Nb_Annotations(), 0);
    ASSERT_TRUE(f->Masquer->isEnabled());
    f->Masquer->trigger();
    EXPECT_TRUE(f->Masquer->isEnabled()) << "empty plot: menus untouched";
    EXPECT_FALSE(f->Af_legend->isEnabled());

    Dessine_Arbitrage();
    f->Masquer->trigger();
    EXPECT_EQ(Y_Textes(arb(), 0), Partout(arb(), 0, 450));
    EXPECT_TRUE(f->Af_legend->isEnabled());
    EXPECT_FALSE(f->Masquer->isEnabled());
    f->Af_legend->trigger();
    EXPECT_EQ(Y_Textes(arb(), 0), Partout(arb(), 0, 90));
    EXPECT_FALSE(f->Af_legend->isEnabled());
    EXPECT_TRUE(f->Masquer->isEnabled());
    EXPECT_FALSE(f->Legend->isChecked()) << "the legend preference is not touched";
    EXPECT_EQ(f->Pref_Legende->text(), "Légende OFF");

    // "Nouvelle simulation" empties the plot but leaves Afficher reachable.
    f->Masquer->trigger();
    f->BP_RAZ->click();
    ASSERT_EQ(arb().Nb_Annotations(), 0);
    ASSERT_TRUE(f->Af_legend->isEnabled());
    f->Af_legend->trigger();
    EXPECT_TRUE(f->Af_legend->isEnabled()) << "empty plot: menus untouched";
    EXPECT_FALSE(f->Masquer->isEnabled());
}

} // namespace
} // namespace varnel
