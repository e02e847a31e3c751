// Drawing a frame on the signal plot, step by step and at once: the cells, the names
// under the bits, the stuff marks, the acknowledge, the menus and the messages.
#include "outils.h"

namespace varnel::essai {
namespace {

constexpr int Vert = 0x008000, Rouge = 0x0000FF, Bleu = 0xFF0000, Magenta = 0xFF00FF;

const QString Incomplet = "La saisie de certains champs est incomplete!";
const QString Trop_Court = "Le champ Identifiant doit contenir au moins 3 caractères!";

struct Label {
    QString texte;
    int position; // bit position in the frame without stuff bits, SOF = 0
    bool operator==(const Label& o) const { return texte == o.texte && position == o.position; }
};

std::ostream& operator<<(std::ostream& os, const Label& l) {
    return os << l.texte.toStdString() << "@" << l.position;
}

// What a reader of the bus expects to see named, and where.
std::vector<Label> Labels_Attendus(const Saisie& s) {
    QStringList entete{"SOF"};
    if (s.etendue) {
        for (int i = 28; i >= 18; --i)
            entete << QString("ID%1").arg(i);
        entete << "SRR"
               << "IDE";
        for (int i = 17; i >= 0; --i)
            entete << QString("ID%1").arg(i);
    } else {
        for (int i = 10; i >= 0; --i)
            entete << QString("ID%1").arg(i);
    }
    entete << "RTR"
           << "r1"
           << "r0"
           << "DLC3"
           << "DLC2"
           << "DLC1"
           << "DLC0";
    std::vector<Label> r;
    for (int i = 0; i < entete.size(); ++i)
        r.push_back({entete[i], i});
    const int h = static_cast<int>(entete.size());
    const int octets = s.requete ? 0 : s.dlc.toInt();
    for (int k = 0; k < octets; ++k) {
        r.push_back({QString("d%1.7").arg(k), h + 8 * k});
        r.push_back({QString("d%1.0").arg(k), h + 8 * k + 7});
    }
    const int c = h + 8 * octets;
    for (const Label& l :
         {Label{"CRC.14", c}, Label{"CRC.0", c + 14}, Label{"CRCD", c + 15}, Label{"ACK", c + 16},
          Label{"ACKD", c + 17}, Label{"EOF.6", c + 18}, Label{"EOF.0", c + 24}})
        r.push_back(l);
    return r;
}

bool Stuff(QChar c) {
    return c == 'S' || c == 's';
}

struct Cas {
    const char* nom;
    Saisie saisie;
    int bits_trame; // bits that carry a name slot: every bit that is not a stuff bit
    int stuff;
};

const std::vector<Cas> Trames = {
    {"standard 123 DLC 0", {false, false, "123", "0", {}}, 44, 1},
    {"standard 000 DLC 0", {false, false, "000", "0", {}}, 44, 6},
    {"standard remote DLC 8", {false, true, "123", "8", {}}, 44, -1},
    {"standard DLC 2", {false, false, "123", "2", {"00", "FF"}}, 60, -1},
    {"extended DLC 0", {true, false, "00000000", "0", {}}, 64, -1},
    {"extended remote DLC 8", {true, true, "1ABCDEF0", "8", {}}, 64, -1},
    {"extended DLC 8, many stuff bits",
     {true, false, "00000000", "8", {"00", "00", "00", "00", "00", "00", "00", "00"}},
     128,
     -1},
};

// Step by step to the end, then at once: the same picture, with every bit in its cell,
// each name under its own bit and each stuff bit marked and left unnamed.
TEST(Simulation, CompleteDrawingNamesEveryBitUnderItsCell) {
    for (const Cas& cas : Trames) {
        SCOPED_TRACE(cas.nom);
        Fenetre w;
        Form1& f = *w.f;
        f.Legend->setChecked(true);
        Saisit(f, cas.saisie);
        const QString dr = f.TrameDR->text();
        ASSERT_FALSE(dr.isEmpty());
        ASSERT_EQ(dr.size(), f.Text2->text().toInt() + 1);
        const auto nb_stuff = std::count_if(dr.begin(), dr.end(), Stuff);
        EXPECT_EQ(dr.size() - nb_stuff, cas.bits_trame);
        if (cas.stuff >= 0) {
            EXPECT_EQ(nb_stuff, cas.stuff);
        }

        // One bit cell per activation, stuff bits included, then one that ends the run.
        int activations = 0;
        while (f.Pas_a_Pas->isEnabled() && activations < 400) {
            const double x_avant = f.Pos_X;
            f.Pas_a_Pas->trigger();
            ++activations;
            const double attendu = activations == 1           ? 20
                                   : activations <= dr.size() ? x_avant + 5
                                                              : x_avant;
            EXPECT_EQ(f.Pos_X, attendu) << activations;
        }
        EXPECT_EQ(activations, dr.size() + 1);
        EXPECT_TRUE(f.Trace_Fini);
        EXPECT_FALSE(f.Pas_Lance);
        EXPECT_TRUE(w.pf.messages.empty());
        const QStringList pas_a_pas = Contenu(f);

        QTest::mouseClick(f.BP_Clear, Qt::LeftButton);
        f.Instantanne->trigger();
        EXPECT_EQ(Contenu(f), pas_a_pas);

        VisuPlot* v = f.Visu_CAN;
        ASSERT_GE(v->Nb_Annotations(), 3);
        const Annotation& curseur = v->Annotation_Item(0);
        EXPECT_EQ(curseur.texte, "<  >");
        EXPECT_EQ(curseur.x, 0.75);
        EXPECT_EQ(curseur.y, 4);
        EXPECT_EQ(curseur.couleur, 0);
        const Annotation& idle = v->Annotation_Item(1);
        EXPECT_EQ(idle.texte, "Idle");
        EXPECT_EQ(idle.x, f.Decal_Texte);
        EXPECT_EQ(idle.couleur, Vert);
        EXPECT_EQ(idle.angle, 0);
        const Annotation& sof = v->Annotation_Item(2);
        EXPECT_EQ(sof.x, f.Decal_Texte + 12);
        EXPECT_EQ(sof.couleur, Rouge);

        std::vector<Label> labels{{sof.texte, 0}};
        std::vector<int> marques, attendues;
        for (int j = 1; j <= dr.size(); ++j)
            if (Stuff(dr[j - 1])) attendues.push_back(j);
        int j_prec = 1;
        for (int i = 3; i < v->Nb_Annotations(); ++i) {
            const Annotation& a = v->Annotation_Item(i);
            EXPECT_EQ(a.y, 90) << i;
            if (a.texte == "S") {
                // Near the start of its cell: X = start - 2 + Decal_Texte.
                const int j = qRound((a.x - f.Decal_Texte + 2 - 15) / 5) + 1;
                EXPECT_EQ(a.x, 15 + 5 * (j - 1) - 2 + f.Decal_Texte);
                EXPECT_EQ(a.couleur, Bleu);
                EXPECT_EQ(a.angle, 0);
                marques.push_back(j);
                EXPECT_GT(j, j_prec);
                j_prec = j;
                continue;
            }
            // A name stands at the end of its bit's cell, shifted by Decal_Champ.
            const int j = qRound((a.x - f.Decal_Champ - 15) / 5);
            EXPECT_EQ(a.x, 15 + 5 * j + f.Decal_Champ) << a.texte.toStdString();
            ASSERT_TRUE(j >= 1 && j <= dr.size()) << a.texte.toStdString();
            EXPECT_FALSE(Stuff(dr[j - 1])) << a.texte.toStdString() << " over a stuff bit";
            EXPECT_GT(j, j_prec) << a.texte.toStdString();
            j_prec = j;
            EXPECT_EQ(a.couleur, Vert);
            EXPECT_EQ(a.angle, 90);
            const int stuff_avant =
                static_cast<int>(std::count_if(dr.begin(), dr.begin() + j - 1, Stuff));
            labels.push_back({a.texte, j - 1 - stuff_avant});
        }
        EXPECT_EQ(labels, Labels_Attendus(cas.saisie));
        EXPECT_EQ(marques, attendues);
    }
}

// Hidden legend: every text goes out of view (Y 450) but the cursor; shown: "Idle"
// over the bus at 26, the names and marks at 90. The legend menu offers the opposite
// of what the plot shows, during a run and after it.
TEST(Simulation, LegendDecidesWhereTheTextsGo) {
    struct {
        bool legende;
        double y_idle, y_labels;
    } const table[] = {{true, 26, 90}, {false, 450, 450}};
    for (const auto& l : table) {
        SCOPED_TRACE(l.legende ? "legend on" : "legend off");
        for (bool instant : {false, true}) {
            SCOPED_TRACE(instant ? "instant" : "step by step");
            Fenetre w;
            Form1& f = *w.f;
            f.Legend->setChecked(l.legende);
            Saisit(f, {false, false, "000", "0", {}});
            if (instant) {
                f.Instantanne->trigger();
            } else {
                f.Pas_a_Pas->trigger();
                EXPECT_TRUE(f.Menu_Actif(f.Legende));
                EXPECT_EQ(f.Masquer->isEnabled(), l.legende);
                EXPECT_EQ(f.Af_legend->isEnabled(), !l.legende);
                Pas_Jusqu_Au_Bout(f);
            }
            EXPECT_TRUE(f.Menu_Actif(f.Legende));
            EXPECT_EQ(f.Masquer->isEnabled(), l.legende);
            EXPECT_EQ(f.Af_legend->isEnabled(), !l.legende);
            VisuPlot* v = f.Visu_CAN;
            ASSERT_GT(v->Nb_Annotations(), 10);
            EXPECT_EQ(v->Annotation_Item(0).y, 4);
            EXPECT_EQ(v->Annotation_Item(1).y, l.y_idle);
            int marques = 0;
            for (int i = 2; i < v->Nb_Annotations(); ++i) {
                EXPECT_EQ(v->Annotation_Item(i).y, l.y_labels) << i;
                marques += v->Annotation_Item(i).texte == "S";
            }
            EXPECT_EQ(marques, 6);
        }
    }
}

// The receiver acknowledges: it and both bus wires go dominant 2 units before the end
// of the ACK slot and back 2 units before the end of the ACK delimiter; then the end of
// frame runs recessive. The emitter stays recessive from the CRC delimiter on.
TEST(Simulation, AcknowledgePulseOnReceiverAndBus) {
    const Saisie trames[] = {{false, false, "123", "0", {}}, {true, true, "1ABCDEF0", "8", {}}};
    for (const Saisie& s : trames) {
        SCOPED_TRACE(s.identifiant.toStdString());
        Fenetre w;
        Form1& f = *w.f;
        Saisit(f, s);
        f.Instantanne->trigger();
        const int n = static_cast<int>(f.TrameDR->text().size());
        const double ack = 15 + 5 * (n - 8); // end of the ACK slot cell

        struct {
            const char* nom;
            Courbe* courbe;
            double recessif, dominant;
            int couleur;
        } const traces[] = {{"receiver", f.Courbe_Recep, 16, 6, Magenta},
                            {"CAN_H", f.Courbe_CANH, 6, 18, Rouge},
                            {"CAN_L", f.Courbe_CANL, 3, -9, Bleu}};
        for (const auto& t : traces) {
            SCOPED_TRACE(t.nom);
            std::vector<std::pair<double, double>> attendu = {
                {ack - 2, t.recessif}, {ack - 2, t.dominant}, {ack, t.dominant},
                {ack + 3, t.dominant}, {ack + 3, t.recessif}, {ack + 5, t.recessif}};
            for (int k = 1; k <= 7; ++k)
                attendu.push_back({ack + 5 + 5 * k, t.recessif});
            std::vector<std::pair<double, double>> lu;
            for (const PointTrace& p : Points_Apres(t.courbe, ack - 5)) {
                lu.push_back({p.x, p.y});
                EXPECT_EQ(p.couleur, t.couleur);
            }
            EXPECT_EQ(lu, attendu);
        }
        const auto emetteur = Points_Apres(f.Courbe_Emet, ack - 10);
        ASSERT_FALSE(emetteur.empty());
        for (const PointTrace& p : emetteur)
            EXPECT_EQ(p.y, 10) << "emitter at " << p.x;
        EXPECT_EQ(emetteur.back().x, ack + 40);
    }
}

// Incomplete input draws nothing and says why, at every attempt.
TEST(Simulation, IncompleteInputDrawsNothing) {
    struct {
        const char* nom;
        Saisie saisie;
        bool instant;
        QString message;
    } const table[] = {
        {"missing data digit, step", {false, false, "123", "2", {"01", "2"}}, false, Incomplet},
        {"missing data digit, instant", {false, false, "123", "2", {"01", "2"}}, true, Incomplet},
        {"short identifier, instant", {false, false, "12", "0", {}}, true, Trop_Court},
        {"short identifier, step", {false, false, "12", "0", {}}, false, Incomplet},
        {"3 digits in extended format", {true, false, "123", "0", {}}, true, Incomplet},
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.nom);
        Fenetre w;
        Form1& f = *w.f;
        Saisit(f, c.saisie);
        for (int essai = 0; essai < 2; ++essai) {
            w.pf.messages.clear();
            (c.instant ? f.Instantanne : f.Pas_a_Pas)->trigger();
            ASSERT_EQ(w.pf.messages.size(), 1u);
            EXPECT_EQ(w.pf.messages[0].texte, c.message);
            EXPECT_EQ(w.pf.messages[0].titre, "Erreur de saisie");
            EXPECT_EQ(w.pf.messages[0].icone, Plateforme::Icone::Exclamation);
            EXPECT_EQ(w.pf.messages[0].boutons, Plateforme::Boutons::Ok);
            EXPECT_TRUE(Rien_Dessine(f)) << Contenu(f).join('\n').toStdString();
        }
    }
}

// A finished drawing locks the Affichage menu until "Effacer" or a new frame; a step
// that still arrives (from the identifier box) changes nothing.
TEST(Simulation, FinishedDrawingLocksTheMenuUntilClearOrRebuild) {
    for (bool instant : {false, true}) {
        SCOPED_TRACE(instant ? "instant" : "step by step");
        Fenetre w;
        Form1& f = *w.f;
        Saisit(f, {false, false, "123", "0", {}});
        if (instant)
            f.Instantanne->trigger();
        else
            Pas_Jusqu_Au_Bout(f);
        EXPECT_FALSE(f.Menu_Actif(f.Affichage));
        EXPECT_FALSE(f.Pas_a_Pas->isEnabled());
        EXPECT_FALSE(f.Instantanne->isEnabled());
        const QStringList fini = Contenu(f);
        f.Pas_a_Pas_Click();
        EXPECT_EQ(Contenu(f), fini);

        QTest::mouseClick(f.BP_Clear, Qt::LeftButton);
        EXPECT_TRUE(f.Menu_Actif(f.Affichage));
        EXPECT_TRUE(f.Pas_a_Pas->isEnabled());
        EXPECT_EQ(f.Visu_CAN->Nb_Annotations(), 0);

        f.Instantanne->trigger();
        EXPECT_FALSE(f.Menu_Actif(f.Affichage));
        QTest::keyClick(f.Identifiant, Qt::Key_Backspace);
        QTest::keyClicks(f.Identifiant, "4");
        EXPECT_TRUE(f.Menu_Actif(f.Affichage));
        EXPECT_TRUE(f.Instantanne->isEnabled());
        EXPECT_EQ(f.Visu_CAN->Nb_Annotations(), 0);
    }
}

// A frame changed in the middle of a run: the next step starts the new frame from its
// start of frame, cursor first, with nothing left of the old one.
TEST(Simulation, RebuildDuringARunStartsTheNewFrameCleanly) {
    Fenetre reference;
    Saisit(*reference.f, {false, false, "124", "0", {}});
    reference.f->Instantanne->trigger();

    Fenetre w;
    Form1& f = *w.f;
    Saisit(f, {false, false, "123", "0", {}});
    for (int i = 0; i < 25; ++i)
        f.Pas_a_Pas->trigger();
    QTest::keyClick(f.Identifiant, Qt::Key_Backspace);
    QTest::keyClicks(f.Identifiant, "4");
    Pas_Jusqu_Au_Bout(f);
    EXPECT_EQ(Contenu(f), Contenu(*reference.f));
}

// A run stopped in the frame's tail must not leave the next drawing in it (the remote
// frame is the one that reads the tail state to skip its data field).
TEST(Simulation, RunStoppedInTheTailLeavesNoTrace) {
    Fenetre reference;
    Saisit(*reference.f, {false, true, "123", "0", {}});
    reference.f->Instantanne->trigger();

    Fenetre w;
    Form1& f = *w.f;
    Saisit(f, {false, true, "123", "0", {}});
    const int n = static_cast<int>(f.TrameDR->text().size());
    for (int i = 0; i < n - 8; ++i)
        f.Pas_a_Pas->trigger(); // up to the ACK slot
    ASSERT_TRUE(f.Phase_Ack);
    f.Instantanne->trigger();
    EXPECT_EQ(Contenu(f), Contenu(*reference.f));
}

// "Instantanné" on the longest frame paints once, after the command, and brings the
// time axis back from wherever the user had panned it.
TEST(Simulation, InstantDrawingPaintsOnceWithTheProgramsRanges) {
    Fenetre w;
    Form1& f = *w.f;
    Saisit(f, {true, false, "00000000", "8", {"00", "00", "00", "00", "00", "00", "00", "00"}});
    QCoreApplication::processEvents();
    const QCPRange plage = f.Visu_CAN->xAxis->range();
    f.Visu_CAN->xAxis->setRange(300, 420);
    int dessins = 0;
    QObject::connect(f.Visu_CAN, &QCustomPlot::afterReplot, [&] { ++dessins; });
    f.Instantanne->trigger();
    EXPECT_EQ(dessins, 0);
    EXPECT_EQ(f.Visu_CAN->xAxis->range(), plage);
    QTest::qWait(50);
    EXPECT_GE(dessins, 1);

    // A step-by-step run started after panning also starts from the whole frame.
    QTest::mouseClick(f.BP_Clear, Qt::LeftButton);
    f.Visu_CAN->xAxis->setRange(300, 420);
    f.Pas_a_Pas->trigger();
    EXPECT_EQ(f.Visu_CAN->xAxis->range(), plage);
}

} // namespace
} // namespace varnel::essai

namespace varnel::essai {
namespace {

// In arbitration mode the step command plays the contention and leaves the signal plot
// alone; back in frame mode it draws the frame from its start.
TEST(Simulation, StepInArbitrationModeIsTheArbitrationStep) {
    Fenetre w;
    Form1& f = *w.f;
    Saisit(f, {false, false, "123", "0", {}});
    f.Simulation_arbitrage->trigger();
    const QStringList signal = Contenu(f);
    QTest::keyClicks(f.Noeud[0], "123");
    QTest::keyClicks(f.Noeud[1], "124");
    QTest::keyClicks(f.Noeud[2], "125");
    for (int pas = 0; pas < 2; ++pas) {
        const int avant = f.Pas_Arb;
        f.Pas_a_Pas->trigger();
        EXPECT_GT(f.Pas_Arb, avant);
    }
    EXPECT_EQ(Contenu(f), signal);
    EXPECT_TRUE(w.pf.messages.empty());

    f.Simulation_trame->trigger();
    f.Pas_a_Pas->trigger();
    ASSERT_EQ(f.Visu_CAN->Nb_Annotations(), 3);
    EXPECT_EQ(f.Visu_CAN->Annotation_Item(2).texte, "SOF");
}

// Ctrl+P and Ctrl+I typed in the identifier or DLC box run their command once.
TEST(Simulation, ShortcutsInTheEntryBoxesRunTheirCommandOnce) {
    for (bool dans_dlc : {false, true}) {
        SCOPED_TRACE(dans_dlc ? "DLC box" : "identifier box");
        Fenetre w;
        Form1& f = *w.f;
        Saisit(f, {false, false, "123", "0", {}});
        QWidget* boite = dans_dlc ? static_cast<QWidget*>(f.Controle) : f.Identifiant;
        QTest::keyClick(boite, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(f.Num_Bit, 1);
        QTest::keyClick(boite, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(f.Num_Bit, 2);
        QTest::keyClick(boite, Qt::Key_I, Qt::ControlModifier);
        EXPECT_TRUE(f.Trace_Fini);
        EXPECT_EQ(f.Visu_CAN->Annotation_Item(0).texte, "<  >");
        EXPECT_EQ(f.Visu_CAN->Annotation_Item(2).texte, "SOF");
        EXPECT_EQ(f.Identifiant->text(), "123");
        EXPECT_EQ(f.Controle->text(), "0");
        EXPECT_TRUE(w.pf.messages.empty());
    }
}

} // namespace
} // namespace varnel::essai
