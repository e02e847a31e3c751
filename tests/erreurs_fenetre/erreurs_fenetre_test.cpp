// The "Erreurs" menu in the window: a disturbance chosen from the menu or by a right-click,
// the run drawn as varnel-trame --erreur prints it, the counters and the words at each step.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>

namespace varnel {
namespace {

struct Fenetre {
    PlateformeFactice pf;
    std::unique_ptr<Form1> w = std::make_unique<Form1>(pf);
    Form1& f = *w;
    VisuPlot* v = f.Visu_CAN;
    explicit Fenetre(bool trame = true) {
        f.show();
        if (!trame) return;
        f.Legend->setChecked(true);
        QTest::keyClicks(f.Identifiant, "123"); // the frame of the reference's worked examples
        QTest::keyClick(f.Controle, Qt::Key_Backspace);
        QTest::keyClicks(f.Controle, "2");
        QTest::keyClicks(f.Data[0], "11");
        QTest::keyClicks(f.Data[1], "22");
    }
    void Choisit(QAction* item, std::vector<int> saisie = {}) {
        if (!saisie.empty()) pf.saisies.push_back(saisie);
        item->trigger();
    }
    double Milieu(int bit) const { return f.Dessin.Debut(bit) + f.Dessin.Largeur(bit) / 2; }
    // The level a trace shows over each drawn cell, '0' at its dominant level.
    QString Niveaux(const Courbe* c, double dominant) const {
        QString s;
        for (size_t i = 0; i < f.Dessin.Dessines(); ++i) {
            auto p = c->Points().begin();
            while (p->x < Milieu(int(i))) ++p;
            s += p->y == dominant ? '0' : '1';
        }
        return s;
    }
    // The texts over cell `bit`, in the order they were placed.
    QStringList Textes(int bit) const {
        QStringList t;
        for (int i = 1; i < v->Nb_Annotations(); ++i)
            if (std::abs(v->Annotation_Item(i).x - Milieu(bit)) < 1e-9) t << v->Annotation_Item(i).texte;
        return t;
    }
};

// varnel-trame --erreur for the same frame: its Bus, Emetteur and Récepteur 1 lines.
QStringList Cli(const QString& erreur) {
    QProcess p;
    p.start(VARNEL_BUILD_DIR "/varnel-trame", {"--erreur", erreur, "123", "11", "22"});
    p.waitForFinished();
    QStringList l;
    for (const QString& ligne : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        for (const char* nom : {"Bus: ", "Emetteur: ", "Récepteur 1: "})
            if (ligne.startsWith(QString::fromUtf8(nom))) l << ligne.mid(ligne.indexOf(": ") + 2);
    return l;
}

TEST(Erreurs, MenuStatesAcrossModes) {
    Fenetre w;
    Form1& f = w.f;
    EXPECT_TRUE(f.Err_Aucune->isChecked() && f.Compteurs->isHidden() && f.Detections->isHidden());
    w.Choisit(f.Err_Bus, {24});
    f.Simulation_arbitrage->trigger();
    EXPECT_FALSE(f.Err_Bus->isEnabled() || f.Err_Compteurs->isEnabled() ||
                 f.Erreurs->menuAction()->isEnabled());
    f.Simulation_trame->trigger();
    EXPECT_TRUE(f.Err_Bus->isEnabled() && f.Err_Bus->isChecked() && !f.Err_Aucune->isChecked());
    f.Instantanne->trigger();
    EXPECT_TRUE(w.Textes(24).contains("X")); // the disturbance survived the visit
    EXPECT_TRUE(w.pf.messages.empty());
}

TEST(Erreurs, BitDialogRangePrefillAndRefusals) {
    Fenetre vide(false);
    vide.Choisit(vide.f.Err_Emet);
    EXPECT_TRUE(vide.pf.demandes.empty());
    EXPECT_TRUE(vide.pf.dernierMessage().startsWith("Saisissez d'abord une trame complète"));
    EXPECT_TRUE(vide.f.Err_Aucune->isChecked());

    Fenetre w;
    Form1& f = w.f;
    for (int i = 0; i < 30; ++i) f.Pas_a_Pas->trigger();
    // The cursor dragged over bit 20: its middle is what it points at.
    const double centre = w.v->Centre_X_Annotation(0) - w.v->Annotation_Item(0).x;
    w.v->Deplace_Annotation(0, 15 + 5 * 20 + 2.5 - centre, 4);
    w.pf.saisies.push_back({}); // cancelled
    f.Err_Recep->trigger();
    ASSERT_EQ(w.pf.demandes.size(), 1u);
    const auto& c = w.pf.demandes[0].champs.at(0);
    EXPECT_EQ(std::tuple(c.min, c.max, c.valeur), std::tuple(0, 61, 20)); // SOF .. EOF.0 of 62 bits
    EXPECT_TRUE(f.Err_Aucune->isChecked() && !f.Err_Recep->isChecked());
    EXPECT_EQ(f.Dessin.Actif(), false); // nothing changed: the classic drawing goes on
    w.Choisit(f.Err_Recep, {300});      // typed beyond the range: the box keeps it within
    EXPECT_EQ(f.Err_Perturbation.bit, 61);
    EXPECT_TRUE(f.Err_Recep->isChecked() && !f.Err_Aucune->isChecked());
}

// The two worked examples of the reference, read off the drawn traces, and the very bits of
// varnel-trame --erreur.
TEST(Erreurs, WorkedExamplesDrawnAsTheCommandLinePrintsThem) {
    const struct {
        const char* cli;
        int item, bit;
        const char* bus; // the bus from bit 53 (ACK slot) to the SOF after the error frame
        std::vector<std::pair<int, QString>> noms; // names over some cells
    } cas[] = {
        {"ack", 4, 0, "1000000111111111110", {{54, "Drapeau"}, {60, "Délim."}, {68, "Inter."}, {71, "SOF"}}},
        {"recepteur:24",
         3,
         24,
         "010000000111111111110",
         {{56, "Drapeau"}, {62, "Délim."}, {70, "Inter."}, {73, "SOF"}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.cli);
        Fenetre w;
        Form1& f = w.f;
        QAction* items[] = {f.Err_Aucune, f.Err_Bus, f.Err_Emet, f.Err_Recep, f.Err_Ack};
        w.Choisit(items[c.item], {c.bit});
        f.Instantanne->trigger();
        const QString bus = w.Niveaux(f.Courbe_CANH, 18);
        EXPECT_EQ(bus.mid(53, int(strlen(c.bus))), c.bus);
        EXPECT_EQ((QStringList{bus, w.Niveaux(f.Courbe_Emet, 0), w.Niveaux(f.Courbe_Recep, 6)}), Cli(c.cli));
        EXPECT_EQ(w.Niveaux(f.Courbe_CANL, -9), bus);
        for (const auto& [bit, nom] : c.noms) EXPECT_TRUE(w.Textes(bit).contains(nom)) << bit;
        EXPECT_EQ(w.v->Max_X() >= f.Dessin.Fin(), true); // the time axis spans the run
    }
}

TEST(Erreurs, CountersAndWordsFollowTheStepRun) {
    Fenetre w;
    Form1& f = w.f;
    w.Choisit(f.Err_Ack);
    const QString zero = "TEC 0   REC1 0   REC2 0   émetteur actif";
    EXPECT_EQ(f.Compteurs->text(), zero);
    EXPECT_EQ(f.Detections->text(), "Pas d'acquittement : les récepteurs sont débranchés");
    const struct {
        int pas;
        QString compteurs, mots;
    } etapes[] = {
        {53, zero, "Pas d'acquittement : les récepteurs sont débranchés"},
        {54, "TEC 8   REC1 0   REC2 0   émetteur actif",
         "Pas d'acquittement : les récepteurs sont débranchés"},
        {55, "TEC 8   REC1 0   REC2 0   émetteur actif",
         "bit 54 : erreur d'acquittement détectée par l'émetteur"},
        {90, "TEC 8   REC1 0   REC2 0   émetteur actif",
         "bit 54 : erreur d'acquittement détectée par l'émetteur"},
    };
    for (const auto& e : etapes) {
        while (int(f.Dessin.Dessines()) < e.pas) f.Pas_a_Pas->trigger();
        EXPECT_EQ(f.Compteurs->text(), e.compteurs) << e.pas;
        EXPECT_EQ(f.Detections->text(), e.mots) << e.pas;
    }
    EXPECT_TRUE(w.pf.messages.empty() && QApplication::activeModalWidget() == nullptr);

    // An error-passive transmitter: a passive flag, the words say so, then the suspension.
    w.pf.saisies.push_back({128, 0});
    f.Err_Compteurs->trigger();
    EXPECT_EQ(f.Dessin.Dessines(), 90u); // another run, drawn as far as the last one was
    EXPECT_EQ(f.Compteurs->text(), "TEC 128   REC1 0   REC2 0   émetteur passif");
    EXPECT_EQ(f.Detections->text(),
              "bit 54 : erreur d'acquittement détectée par l'émetteur (drapeau passif)");
    EXPECT_TRUE(w.Textes(71).contains("Suspension"));

    // A frame edit ends the run as it ends a classic one.
    QTest::keyClick(f.Data[1], Qt::Key_Backspace);
    QTest::keyClicks(f.Data[1], "3");
    EXPECT_EQ(f.Dessin.Dessines(), 0u);
    EXPECT_EQ(w.v->Nb_Annotations(), 0);
}

// A right-click on a drawn bit of the frame offers its three disturbances; the run is drawn
// at once when the frame was; the X over the disturbed cell reads "Perturbation".
TEST(Erreurs, RightClickDisturbsThatBit) {
    for (int choix = 0; choix < 3; ++choix) {
        Fenetre w;
        Form1& f = w.f;
        f.Instantanne->trigger();
        const auto clic = [&](double x) {
            QTest::mouseClick(w.v, Qt::RightButton, {}, QPoint(int(w.v->X_Vers_Pixel(x)), w.v->height() / 2));
        };
        w.pf.choixMenus = {choix};
        clic(15 + 5 * 30 + 2.5);
        ASSERT_EQ(w.pf.menus.size(), 1u);
        EXPECT_EQ(w.pf.menus[0],
                  (QStringList{"Perturbation du bus au bit 30", "Perturbation de l'émetteur au bit 30",
                               "Perturbation du récepteur au bit 30"}));
        QAction* items[] = {f.Err_Bus, f.Err_Emet, f.Err_Recep};
        EXPECT_TRUE(items[choix]->isChecked());
        EXPECT_TRUE(f.Trace_Fini && f.Dessin.Tout_Dessine());
        EXPECT_EQ(w.Textes(30).last(), "X");
        int x = 0;
        while (w.v->Annotation_Item(x).texte != "X") ++x;
        f.Visu_CAN_Annotation(x);
        EXPECT_EQ(f.Text4->text(), "Perturbation");
        clic(w.Milieu(int(f.Trame_Emise().size()))); // past the frame: no menu
        clic(5);                                     // idle time: none either
        EXPECT_EQ(w.pf.menus.size(), 1u);
    }
}

// Back to "Aucune erreur", classic and FD frames are drawn exactly as before.
TEST(Erreurs, AucuneDrawsAsBefore) {
    for (bool fd : {false, true}) {
        Fenetre w;
        Form1& f = w.f;
        if (fd) f.CheckFD->setChecked(true);
        f.Instantanne->trigger();
        const auto contenu = [&] {
            QStringList l;
            for (const Courbe* c : {f.Courbe_Emet, f.Courbe_CANH, f.Courbe_CANL, f.Courbe_Recep})
                for (const PointTrace& p : c->Points())
                    l << QString("%1 %2 %3").arg(p.x).arg(p.y).arg(p.couleur);
            for (int i = 0; i < w.v->Nb_Annotations(); ++i) {
                const Annotation& a = w.v->Annotation_Item(i);
                l << QString("%1 %2 %3 %4 %5").arg(a.texte).arg(a.x).arg(a.y).arg(a.couleur).arg(a.taille);
            }
            l << QString("%1 %2 %3").arg(w.v->Max_X()).arg(w.v->Graduations_X().size()).arg(f.Decal_Champ);
            return l;
        };
        const QStringList avant = contenu();
        w.Choisit(f.Err_Bus, {20});
        EXPECT_NE(contenu(), avant);
        w.Choisit(f.Err_Aucune);
        EXPECT_EQ(contenu(), avant) << fd;
        EXPECT_TRUE(f.Compteurs->isHidden() && f.Dessin.Actif() == fd);
    }
}

} // namespace
} // namespace varnel
