// The "Erreurs" menu in the window: a disturbance chosen from the menu or by a right-click,
// the run drawn as varnel-trame --erreur prints it, the counters and the words at each step.
#include "../editor/editeur.h"

#include <QProcess>

namespace varnel {
namespace {

// The frame of the reference's worked examples (none: an empty window), with the legend.
struct Perturbee : Fenetre {
    explicit Perturbee(bool trame = true) {
        f->Legend->setChecked(true);
        if (trame) Saisit(false, false, "123", "2", {"11", "22"});
    }
    void Choisit(QAction* item, std::vector<int> saisie = {}) {
        if (!saisie.empty()) pf.saisies.push_back(saisie);
        item->trigger();
    }
    double Milieu(int bit) const { return f->Dessin.Debut(bit) + f->Dessin.Largeur(bit) / 2; }
    // The level a trace shows over each drawn cell, '0' at its dominant level.
    QString Niveaux(const Courbe* c, double dominant) const {
        QString s;
        for (size_t i = 0; i < f->Dessin.Dessines(); ++i) {
            auto p = c->Points().begin();
            while (p->x < Milieu(int(i))) ++p;
            s += p->y == dominant ? '0' : '1';
        }
        return s;
    }
    // The texts over cell `bit`, in the order they were placed.
    QStringList Textes(int bit) const {
        QStringList t;
        for (int i = 1; i < v()->Nb_Annotations(); ++i)
            if (std::abs(v()->Annotation_Item(i).x - Milieu(bit)) < 1e-9) t << v()->Annotation_Item(i).texte;
        return t;
    }
    // The colour of the text `texte` over cell `bit`, -1 when there is none.
    int Couleur(int bit, const QString& texte) const {
        for (int i = 1; i < v()->Nb_Annotations(); ++i) {
            const Annotation& a = v()->Annotation_Item(i);
            if (std::abs(a.x - Milieu(bit)) < 1e-9 && a.texte == texte) return a.couleur;
        }
        return -1;
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
    Perturbee w;
    Form1& f = *w.f;
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
    Perturbee vide(false);
    vide.Choisit(vide.f->Err_Emet);
    EXPECT_TRUE(vide.pf.demandes.empty());
    EXPECT_TRUE(vide.pf.dernierMessage().startsWith("Saisissez d'abord une trame complète"));
    EXPECT_TRUE(vide.f->Err_Aucune->isChecked());

    Perturbee w;
    Form1& f = *w.f;
    for (int i = 0; i < 30; ++i) f.Pas_a_Pas->trigger();
    // The cursor dragged over bit 20: its middle is what it points at.
    const double centre = w.v()->Centre_X_Annotation(0) - w.v()->Annotation_Item(0).x;
    w.v()->Deplace_Annotation(0, 15 + 5 * 20 + 2.5 - centre, 4);
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
        QAction* Form1::*item;
        int bit, drapeau;
        const char* bus; // the bus from bit 53 (ACK slot) to the SOF after the error frame
    } cas[] = {{"ack", &Form1::Err_Ack, 0, 54, "1000000111111111110"},
               {"recepteur:24", &Form1::Err_Recep, 24, 56, "010000000111111111110"}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.cli);
        Perturbee w;
        Form1& f = *w.f;
        w.Choisit(f.*c.item, {c.bit});
        f.Instantanne->trigger();
        const QString bus = w.Niveaux(f.Courbe_CANH, 18);
        EXPECT_TRUE(bus.mid(53).startsWith(c.bus)) << bus.toStdString();
        EXPECT_EQ((QStringList{bus, w.Niveaux(f.Courbe_Emet, 0), w.Niveaux(f.Courbe_Recep, 6)}), Cli(c.cli));
        EXPECT_EQ(w.Niveaux(f.Courbe_CANL, -9), bus);
        const std::tuple<int, const char*, int> noms[] = {{0, "Drapeau", Couleurs::Rouge},
                                                          {6, "Délim.", Couleurs::Rouge},
                                                          {14, "Inter.", Couleurs::Gris},
                                                          {17, "SOF", Couleurs::Rouge}};
        for (const auto& [bit, nom, couleur] : noms)
            EXPECT_EQ(w.Couleur(c.drapeau + bit, QString::fromUtf8(nom)), couleur) << bit;
        EXPECT_EQ(w.v()->Max_X() >= f.Dessin.Fin(), true); // the time axis spans the run
    }
}

TEST(Erreurs, CountersAndWordsFollowTheStepRun) {
    Perturbee w;
    Form1& f = *w.f;
    w.Choisit(f.Err_Ack);
    const QString absents = "Pas d'acquittement : les récepteurs sont débranchés",
                  vue = "bit 54 : erreur d'acquittement détectée par l'émetteur";
    EXPECT_EQ(f.Compteurs->text(), "TEC 0   REC1 0   REC2 0   émetteur actif");
    EXPECT_EQ(f.Detections->text(), absents);
    const struct {
        int pas, tec;
        QString mots;
    } etapes[] = {{53, 0, absents}, {54, 8, absents}, {55, 8, vue}, {90, 8, vue}};
    for (const auto& e : etapes) {
        while (int(f.Dessin.Dessines()) < e.pas) f.Pas_a_Pas->trigger();
        EXPECT_EQ(f.Compteurs->text(), QString("TEC %1   REC1 0   REC2 0   émetteur actif").arg(e.tec))
            << e.pas;
        EXPECT_EQ(f.Detections->text(), e.mots) << e.pas;
    }
    EXPECT_TRUE(w.pf.messages.empty() && QApplication::activeModalWidget() == nullptr);

    // An error-passive transmitter: a passive flag, the words say so, then the suspension.
    w.pf.saisies.push_back({128, 0});
    f.Err_Compteurs->trigger();
    EXPECT_EQ(f.Dessin.Dessines(), 90u); // another run, drawn as far as the last one was
    EXPECT_EQ(f.Compteurs->text(), "TEC 128   REC1 0   REC2 0   émetteur passif");
    EXPECT_EQ(f.Detections->text(), vue + " (drapeau passif)");
    EXPECT_EQ(w.Couleur(71, "Suspension"), Couleurs::Gris);

    // A frame edit ends the run as it ends a classic one.
    w.Retour(f.Data[1]), w.Tape(f.Data[1], "3");
    EXPECT_EQ(f.Dessin.Dessines(), 0u);
    EXPECT_EQ(w.v()->Nb_Annotations(), 0);
}

// A right-click on a drawn bit of the frame offers its three disturbances; the run is drawn
// at once when the frame was; the X over the disturbed cell reads "Perturbation".
TEST(Erreurs, RightClickDisturbsThatBit) {
    for (int choix = 0; choix < 3; ++choix) {
        Perturbee w;
        Form1& f = *w.f;
        f.Instantanne->trigger();
        const auto clic = [&](double x) {
            QTest::mouseClick(w.v(), Qt::RightButton, {},
                              QPoint(int(w.v()->X_Vers_Pixel(x)), w.v()->height() / 2));
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
        EXPECT_EQ(w.Couleur(30, "X"), Couleurs::Rouge);
        int x = 0;
        while (w.v()->Annotation_Item(x).texte != "X") ++x;
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
        Perturbee w;
        Form1& f = *w.f;
        if (fd) f.CheckFD->setChecked(true);
        f.Instantanne->trigger();
        const auto contenu = [&] { return w.Contenu() << QString::number(f.Decal_Champ); };
        const QStringList avant = contenu();
        w.Choisit(f.Err_Bus, {20});
        EXPECT_NE(contenu(), avant);
        w.Choisit(f.Err_Aucune);
        EXPECT_EQ(contenu(), avant) << fd;
        EXPECT_TRUE(f.Compteurs->isHidden() && f.Dessin.Actif() == fd);
    }
}

// A printed or copied run keeps the counters and the detections where the window shows
// them, over the plot's title row, and nothing else of the window.
TEST(Erreurs, PrintAndCopyCarryTheCountersLines) {
    Perturbee w;
    Form1& f = *w.f;
    w.Choisit(f.Err_Ack);
    f.Instantanne->trigger();
    const QImage plot = w.v()->Image();
    f.Copie_PP->trigger();
    const QImage copie = w.pf.pressePapier;
    f.Imprimer->trigger();
    ASSERT_EQ(w.pf.imprimees, std::vector<QImage>{copie});
    ASSERT_EQ(copie.size(), plot.size());
    QRegion lignes;
    for (const QLabel* l : {f.Compteurs, f.Detections}) lignes += l->geometry().translated(-w.v()->pos());
    int changes = 0;
    for (int y = 0; y < plot.height(); ++y)
        for (int x = 0; x < plot.width(); ++x)
            if (copie.pixel(x, y) != plot.pixel(x, y)) {
                ASSERT_TRUE(lignes.contains(QPoint(x, y))) << x << "," << y;
                ++changes;
            }
    EXPECT_GT(changes, 100);
}

} // namespace
} // namespace varnel
