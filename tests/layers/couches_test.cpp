// Trace layers, frame displays, legends, black and white, printing, copy, guide, contact.
#include "../editor/editeur.h"
#include "app/dialog.h"

#include <QtWidgets>

namespace varnel {
namespace {

struct Couches : Fenetre, ::testing::Test {
    VisuPlot& can() { return *f->Visu_CAN; }
    VisuPlot& Dessine(bool arbitrage = false) {
        if (arbitrage) {
            f->Simulation_arbitrage->trigger();
            for (int k = 0; k < 3; ++k) QTest::keyClicks(f->Noeud[k], QString::number(0x123 + 0x333 * k, 16));
            for (int i = 0; i < 4; ++i) f->Pas_a_Pas->trigger();
            return *f->Visu_ARB;
        }
        f->BP_Clear->click();
        Tape(f->Identifiant, "123");
        f->Instantanne->trigger();
        return can();
    }
    static bool Textes_A(const VisuPlot& p, int premier, double y) { // every text from `premier` on at y
        bool ok = p.Nb_Annotations() > premier;
        for (int i = premier; i < p.Nb_Annotations(); ++i) ok = ok && p.Annotation_Item(i).y == y;
        return ok;
    }
    static void Etiquette(QLabel* l, const QString& sujet, bool on) { // "<sujet> ON" blue, "OFF" red
        l->ensurePolished();
        EXPECT_EQ(l->text() + l->palette().color(QPalette::WindowText).name(),
                  sujet + (on ? " ON" : " OFF") + couleurQt(on ? 0xFF0000 : 255).name());
    }
    void Legende(bool on) {
        EXPECT_TRUE(f->Af_legend->isEnabled() != on && f->Masquer->isEnabled() == on &&
                    f->Legend->isChecked() == on);
        Etiquette(f->Pref_Legende, "Légende", on);
    }
};

TEST_F(Couches, TraceTogglesHoldThroughEffacerAndRedrawing) {
    using Trace = std::tuple<QAction * Form1::*, QLabel * Form1::*, std::vector<Courbe * Form1::*>,
                             std::vector<int>, QString>;
    const Trace traces[] = {
        {&Form1::Aff_Bus, &Form1::Pref_Bus, {&Form1::Courbe_CANH, &Form1::Courbe_CANL}, {42, 17}, "Bus"},
        {&Form1::Aff_Emet, &Form1::Pref_Em, {&Form1::Courbe_Emet}, {82}, "Emetteur"},
        {&Form1::Aff_Recep, &Form1::Pref_Rec, {&Form1::Courbe_Recep}, {62}, "Récepteur"}};
    for (const auto& [item, label, courbes, y, sujet] : traces)
        for (bool montre : {false, true}) {
            SCOPED_TRACE(sujet.toStdString() + (montre ? " shown" : " hidden"));
            const size_t points = ((*f).*courbes[0])->Points().size();
            ((*f).*item)->trigger(); // the first one hides the bus before any drawing
            if (!montre) Dessine();  // "Effacer" and a new drawing keep it hidden
            EXPECT_TRUE(!montre || ((*f).*courbes[0])->Points().size() == points);
            EXPECT_EQ(((*f).*item)->isChecked(), montre);
            EXPECT_EQ(((*f).*item)->text().remove('&'), (montre ? "Masquer " : "Afficher ") + sujet);
            Etiquette((*f).*label, sujet, montre);
            for (size_t k = 0; k < courbes.size(); ++k)
                EXPECT_EQ(((*f).*courbes[k])->Decalage_Y(), montre ? y[k] : 200);
        }
}

TEST_F(Couches, FrameDisplaysHideWithTheirCountsAndKeepBeingUpdated) {
    for (auto [item, trame, nombre, label, sujet] :
         {std::tuple{&Form1::Aff_T_Brute, &Form1::Trame_Bin, &Form1::Text1, &Form1::Pref_TB, "Trame brute"},
          std::tuple{&Form1::Aff_T_Stuff, &Form1::Trame_Bin_Stuf, &Form1::Text2, &Form1::Pref_TS,
                     "Trame stuffée"}})
        for (bool cache : {true, false, true}) {
            SCOPED_TRACE(std::string(sujet) + (cache ? " hidden" : " shown"));
            ((*f).*item)->trigger();
            EXPECT_EQ(((*f).*item)->isChecked(), cache); // checked means hidden here
            EXPECT_EQ(((*f).*item)->text(), (cache ? "Afficher " : "Masquer ") + QString(sujet).toLower());
            EXPECT_TRUE(((*f).*trame)->isHidden() == cache && ((*f).*nombre)->isHidden() == cache);
            Etiquette((*f).*label, sujet, !cache);
        }
    Tape(f->Identifiant, "5A3");
    for (QLineEdit* champ : {f->Trame_Bin, f->Text1, f->Trame_Bin_Stuf, f->Text2})
        EXPECT_TRUE(!champ->text().isEmpty() && champ->isHidden()) << champ->objectName().toStdString();
}

TEST_F(Couches, LegendAndBlackAndWhiteCommandsChangeEveryTextButTheCursor) {
    Dessine(); // legend off: every text at 450
    const QPointF curseur(can().Annotation_Item(0).x, can().Annotation_Item(0).y);
    f->Aff_Bus->trigger();
    f->Aff_Bus->trigger(); // the bus shown with the legend off leaves the Idle text out
    EXPECT_EQ(can().Annotation_Item(1).y, 450);
    f->Af_legend->trigger();
    EXPECT_TRUE(can().Annotation_Item(1).y == 26 && Textes_A(can(), 2, 90));
    Legende(true);
    f->Masquer->trigger();
    EXPECT_TRUE(Textes_A(can(), 1, 450));
    Legende(false);
    f->Af_legend->trigger(), f->Aff_Bus->trigger(); // the Idle text alone goes with the bus
    EXPECT_TRUE(can().Annotation_Item(1).y == 450 && Textes_A(can(), 2, 90));
    f->Aff_Bus->trigger();
    EXPECT_TRUE(can().Annotation_Item(1).y == 26 &&
                QPointF(can().Annotation_Item(0).x, can().Annotation_Item(0).y) == curseur);
    f->Masquer->trigger();
    f->Legend->trigger(); // the preference clears the plot; the next drawing follows it
    EXPECT_EQ(can().Nb_Annotations(), 0);
    Dessine();
    EXPECT_TRUE(can().Annotation_Item(1).y == 26 && Textes_A(can(), 2, 90));
    const int couleur = can().Annotation_Item(0).couleur;
    f->Noir_Blanc->trigger(); // black and white: every trace and text but the cursor
    for (Courbe* c : {f->Courbe_Emet, f->Courbe_CANH, f->Courbe_CANL, f->Courbe_Recep})
        for (const PointTrace& p : c->Points()) EXPECT_EQ(p.couleur, 0) << c->Nom().toStdString();
    for (int i = 0; i < can().Nb_Annotations(); ++i)
        EXPECT_EQ(can().Annotation_Item(i).couleur, i ? 0 : couleur) << i;
}

TEST_F(Couches, LegendCommandsOnEmptyPlotsAndInArbitration) {
    f->Legend->trigger();
    f->Simulation_arbitrage->trigger();
    for (bool arbitrage : {true, false}) { // empty plots: the menus stay as they are
        SCOPED_TRACE(arbitrage);
        f->Masquer->trigger();
        Legende(true);
        f->Simulation_trame->trigger();
    }
    f->Legend->trigger();
    Dessine(true); // the bit names move, the legend preference stays off
    f->Masquer->trigger();
    EXPECT_TRUE(Textes_A(*f->Visu_ARB, 0, 450));
    f->Af_legend->trigger();
    EXPECT_TRUE(Textes_A(*f->Visu_ARB, 0, 90) && !f->Legend->isChecked());
    f->Noir_Blanc->trigger(); // the node traces turn black, the texts stay
    for (const auto& c : f->Visu_ARB->Courbes())
        for (const PointTrace& p : c->Points()) EXPECT_EQ(p.couleur, 0) << c->Nom().toStdString();
    f->Masquer->trigger();
    f->BP_RAZ->click(); // empties the plot, Afficher still reachable
    f->Af_legend->trigger();
    EXPECT_TRUE(f->Af_legend->isEnabled() && !f->Masquer->isEnabled());
}

TEST_F(Couches, PrintAndCopyTakeThePlotOfTheMode) {
    QImage autre(4, 4, QImage::Format_RGB32);
    autre.fill(Qt::yellow);
    for (bool arbitrage : {false, true}) {
        SCOPED_TRACE(arbitrage);
        Neuve();
        VisuPlot& plot = Dessine(arbitrage);
        pf.imprimanteAcceptee = false, pf.pressePapier = autre; // cancelled dialog: nothing happens
        f->Imprimer->trigger();
        EXPECT_TRUE(pf.imprimees.empty() && pf.pressePapier == autre);
        pf.imprimanteAcceptee = true, f->Imprimer->trigger();
        ASSERT_EQ(pf.imprimees, std::vector<QImage>{plot.Image()});
        EXPECT_NE(pf.imprimees[0].size(), (arbitrage ? can() : *f->Visu_ARB).Image().size());
        EXPECT_TRUE(pf.pressePapier.isNull() && pf.messages.empty());
        for (auto r : {Plateforme::Reponse::Non, Plateforme::Reponse::Oui}) {
            pf.messages.clear(), pf.reponses = {r}, f->Copie_PP->trigger();
            EXPECT_TRUE(pf.messages.size() == 1 && pf.messages[0].titre == "ATTENTION!" &&
                        pf.messages[0].boutons == Plateforme::Boutons::OuiNon);
            EXPECT_EQ(pf.pressePapier, r == Plateforme::Reponse::Oui ? plot.Image() : QImage());
        }
    }
}

TEST_F(Couches, AideOpensTheGuideOnlyWhenItIsThere) {
    const QString chemin = f->Chemin_Aide(); // beside the program when no guide is found
    if (QFile::exists(chemin)) GTEST_SKIP() << "a guide is installed";
    f->Aide->trigger(); // no guide: nothing shown
    EXPECT_TRUE(pf.documentsOuverts.empty() && pf.messages.empty());
    QFile guide(chemin);
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly) && guide.write("%PDF-1.4\n") > 0);
    guide.close();
    f->Aide->trigger();
    QFile::remove(chemin);
    EXPECT_EQ(pf.documentsOuverts, std::vector<QString>{chemin});
}

TEST_F(Couches, ContactWindowIsOneModelessWindowHiddenByOkAndClosedWithTheMain) {
    f->Apropos->trigger();
    QPointer<Dialog> d = f->Dialogue;
    ASSERT_TRUE(d && d->isVisible() && !d->isModal());
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    f->Apropos->trigger(); // shown again: the same window
    EXPECT_TRUE(f->Dialogue == d && d->isVisible());
    f.reset();
    EXPECT_FALSE(d);
}

} // namespace
} // namespace varnel
