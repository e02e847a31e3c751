// Black and white, printing, the clipboard copy, the user guide, the contact window.
#include "app/dialog.h"
#include "fenetre.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextEdit>

#include <algorithm>

namespace varnel {
namespace {

using Reponse = Plateforme::Reponse;

class Sorties : public Fenetre {
protected:
    // Puts the window in the mode under test with something drawn on its plot.
    VisuPlot& Plot_Dessine(bool arbitrage) {
        if (!arbitrage) {
            Dessine();
            return can();
        }
        Dessine_Arbitrage();
        return arb();
    }
    // Something else the clipboard held before the command.
    const QImage Autre = [] {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::yellow);
        return image;
    }();
};

TEST_F(Sorties, NoirEtBlancBlackensTheSignalTracesAndEveryTextButTheCursor) {
    Dessine();
    const int curseur = can().Annotation_Item(0).couleur;
    f->Noir_Blanc->trigger();
    for (Courbe* c : {f->Courbe_Emet, f->Courbe_CANH, f->Courbe_CANL, f->Courbe_Recep}) {
        ASSERT_GT(c->Nb_Points(), 5);
        for (const PointTrace& p : c->Points())
            EXPECT_EQ(p.couleur, 0) << c->Nom().toStdString();
    }
    EXPECT_EQ(can().Annotation_Item(0).couleur, curseur);
    for (int i = 1; i < can().Nb_Annotations(); ++i)
        EXPECT_EQ(can().Annotation_Item(i).couleur, 0);

    // The next drawing is in colour again.
    Dessine();
    const auto& points = f->Courbe_CANH->Points();
    EXPECT_TRUE(std::any_of(points.begin(), points.end(),
                            [](const PointTrace& p) { return p.couleur != 0; }));
}

TEST_F(Sorties, NoirEtBlancInArbitrationBlackensTheNodesOnly) {
    VisuPlot& plot = Plot_Dessine(true);
    std::vector<int> textes;
    for (int i = 0; i < plot.Nb_Annotations(); ++i)
        textes.push_back(plot.Annotation_Item(i).couleur);
    std::vector<int> bus;
    for (const PointTrace& p : f->Courbe_Bus->Points())
        bus.push_back(p.couleur);
    f->Noir_Blanc->trigger();
    for (Courbe* c : f->Courbe_N) {
        ASSERT_GT(c->Nb_Points(), 0);
        for (const PointTrace& p : c->Points())
            EXPECT_EQ(p.couleur, 0);
    }
    std::vector<int> apres;
    for (const PointTrace& p : f->Courbe_Bus->Points())
        apres.push_back(p.couleur);
    EXPECT_EQ(apres, bus);
    for (int i = 0; i < plot.Nb_Annotations(); ++i)
        EXPECT_EQ(plot.Annotation_Item(i).couleur, textes[i]) << "bit names keep their colour";
}

TEST_F(Sorties, PrintingPrintsThePlotOfTheCurrentModeAndEmptiesTheClipboard) {
    for (bool arbitrage : {false, true}) {
        SCOPED_TRACE(arbitrage ? "arbitration" : "frame simulation");
        pf = PlateformeFactice();
        VisuPlot& plot = Plot_Dessine(arbitrage);
        pf.pressePapier = Autre;
        f->Imprimer->trigger();
        ASSERT_EQ(pf.imprimees.size(), 1u);
        EXPECT_EQ(pf.imprimees[0], plot.Image());
        EXPECT_NE(pf.imprimees[0].size(), (arbitrage ? can() : arb()).Image().size());
        EXPECT_TRUE(pf.pressePapier.isNull());
        EXPECT_TRUE(pf.messages.empty());
    }
}

TEST_F(Sorties, PrintingStopsSilentlyAtTheFirstFailure) {
    Dessine();
    // Cancelled dialog: nothing else happens. Failed print: the clipboard keeps the
    // picture it was given, because the command ends before clearing it.
    pf.imprimanteAcceptee = false;
    pf.pressePapier = Autre;
    f->Imprimer->trigger();
    EXPECT_TRUE(pf.imprimees.empty());
    EXPECT_EQ(pf.pressePapier, Autre);

    pf.imprimanteAcceptee = true;
    pf.impressionReussie = false;
    f->Imprimer->trigger();
    EXPECT_TRUE(pf.imprimees.empty());
    EXPECT_EQ(pf.pressePapier, can().Image());
    EXPECT_TRUE(pf.messages.empty());
}

TEST_F(Sorties, CopyAsksFirstAndCopiesOnlyOnYes) {
    for (bool arbitrage : {false, true}) {
        for (Reponse reponse : {Reponse::Oui, Reponse::Non}) {
            SCOPED_TRACE(std::string(arbitrage ? "arbitration" : "frame") +
                         (reponse == Reponse::Oui ? " yes" : " no"));
            f = std::make_unique<Form1>(pf);
            pf = PlateformeFactice();
            VisuPlot& plot = Plot_Dessine(arbitrage);
            pf.pressePapier = Autre;
            pf.reponses = {reponse};
            f->Copie_PP->trigger();
            ASSERT_EQ(pf.messages.size(), 1u);
            EXPECT_EQ(pf.messages[0].titre, "ATTENTION!");
            EXPECT_EQ(pf.messages[0].texte,
                      "La copie se fait avec les couleurs écran!\nPoursuivre?");
            EXPECT_EQ(pf.messages[0].icone, Plateforme::Icone::Exclamation);
            EXPECT_EQ(pf.messages[0].boutons, Plateforme::Boutons::OuiNon);
            if (reponse == Reponse::Oui)
                EXPECT_EQ(pf.pressePapier, plot.Image());
            else
                EXPECT_TRUE(pf.pressePapier.isNull());
        }
    }
}

// A stand-in guide beside the test program, removed whatever happens.
struct GuideTemporaire {
    QString chemin =
        QDir(QCoreApplication::applicationDirPath()).filePath("Utilisation de Varnel.pdf");
    bool cree = false;
    GuideTemporaire() {
        if (QFile::exists(chemin)) return;
        QFile fichier(chemin);
        cree = fichier.open(QIODevice::WriteOnly) && fichier.write("%PDF-1.4\n") > 0;
    }
    ~GuideTemporaire() {
        if (cree) QFile::remove(chemin);
    }
};

TEST_F(Sorties, AideOpensTheGuideOnlyWhenItIsThere) {
    {
        GuideTemporaire guide;
        ASSERT_TRUE(QFile::exists(guide.chemin));
        EXPECT_EQ(f->Chemin_Aide(), guide.chemin);
        f->Aide->trigger();
        ASSERT_EQ(pf.documentsOuverts.size(), 1u);
        EXPECT_EQ(pf.documentsOuverts[0], guide.chemin);
        pf.documentOuvrable = false; // the viewer refuses it: still nothing shown
        f->Aide->trigger();
        EXPECT_TRUE(pf.messages.empty());
        if (!guide.cree) GTEST_SKIP() << "a guide lies beside the test program";
    }
    pf.documentsOuverts.clear();
    if (QFile::exists(f->Chemin_Aide())) GTEST_SKIP() << "an installed guide is present";
    f->Aide->trigger();
    EXPECT_TRUE(pf.documentsOuverts.empty());
    EXPECT_TRUE(pf.messages.empty());
}

TEST_F(Sorties, ContactWindowIsOneModelessWindowHiddenByOk) {
    f->show();
    f->Apropos->trigger();
    QPointer<Dialog> dialogue = f->Dialogue;
    ASSERT_TRUE(dialogue);
    EXPECT_TRUE(dialogue->isVisible());
    EXPECT_FALSE(dialogue->isModal());
    EXPECT_EQ(dialogue->objectName(), "Dialog");
    EXPECT_EQ(dialogue->parentWidget(), f.get());
    EXPECT_TRUE(dialogue->windowTitle().isEmpty());
    EXPECT_TRUE(dialogue->Text1->isReadOnly());
    EXPECT_TRUE(dialogue->Text1->toPlainText().contains("varnel.contact@example.org"));
    EXPECT_EQ(dialogue->focusWidget(), dialogue->OKButton);

    QTest::mouseClick(dialogue->OKButton, Qt::LeftButton);
    EXPECT_FALSE(dialogue->isVisible());
    f->Apropos->trigger();
    EXPECT_EQ(f->Dialogue, dialogue) << "the same window each time";
    EXPECT_TRUE(dialogue->isVisible());
    f->Apropos->trigger();
    EXPECT_EQ(f->Dialogue, dialogue);
}

TEST_F(Sorties, ContactWindowGoesWithTheMainWindow) {
    f->show();
    f->Apropos->trigger();
    QPointer<Dialog> dialogue = f->Dialogue;
    f->close();
    EXPECT_TRUE(!dialogue || !dialogue->isVisible());
    f.reset();
    EXPECT_FALSE(dialogue);
}

} // namespace
} // namespace varnel
