// The signal plot's scaling, set-up and drawing primitives on a real window.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QSignalBlocker>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace varnel;

namespace {

struct Pt {
    double x, y;
    bool operator==(const Pt& o) const { return x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& os, const Pt& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
using Pts = std::vector<Pt>;

struct TraceTest : ::testing::Test {
    PlateformeFactice plateforme;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(plateforme);

    // Sets a control without running its handler, to look at one primitive alone.
    void regle(QCheckBox* c, bool v) {
        QSignalBlocker b(c);
        c->setChecked(v);
    }
    void regleDLC(const QString& t) {
        QSignalBlocker b(f->Controle);
        f->Controle->setText(t);
    }
    void regleLegende(bool v) {
        QSignalBlocker b(f->Legend);
        f->Legend->setChecked(v);
    }
    std::array<Courbe*, 4> courbes() const {
        return {f->Courbe_Emet, f->Courbe_CANH, f->Courbe_CANL, f->Courbe_Recep};
    }
    static Pts points(const Courbe* c, int depuis = 0) {
        Pts r;
        for (int i = depuis; i < c->Nb_Points(); ++i)
            r.push_back({c->Point(i).x, c->Point(i).y});
        return r;
    }
    // A fresh drawing with the pen at X 40.
    void nouveauTrace() {
        f->Efface_Visu_CAN();
        f->Init_Visu();
        f->Pos_X = 40;
    }
};

} // namespace

TEST_F(TraceTest, AjustAffSetsTheTimeWindowAndShifts) {
    struct Cas {
        bool etendue, distante;
        const char* dlc;
        int max, decalTexte, decalChamp;
    };
    const Cas cas[] = {
        {false, true, "8", 350, 0, -9},    {true, true, "8", 400, -2, -9},
        {false, false, "", 350, 0, -9},    {true, false, "", 500, -3, -10},
        {false, false, "2", 350, 0, -9},   {true, false, "2", 500, -3, -10},
        {false, false, "3", 450, -4, -11}, {true, false, "4", 600, -5, -12},
        {false, false, "5", 550, -4, -12}, {true, false, "6", 700, -6, -14},
        {false, false, "7", 650, -5, -13}, {false, false, "8", 650, -5, -13},
        {true, false, "8", 800, -7, -16},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(testing::Message() << c.etendue << c.distante << " DLC '" << c.dlc << "'");
        regle(f->Check1, c.etendue);
        regle(f->Check2, c.distante);
        regleDLC(c.dlc);
        f->Ajust_Aff();
        EXPECT_EQ(f->Visu_CAN->Min_X(), 0);
        EXPECT_EQ(f->Visu_CAN->Max_X(), c.max);
        EXPECT_EQ(f->Decal_Texte, c.decalTexte);
        EXPECT_EQ(f->Decal_Champ, c.decalChamp);
    }
}

TEST_F(TraceTest, BitGridHasALineAtEveryBitBoundaryOnBothPlots) {
    for (int fois = 0; fois < 2; ++fois) { // a repeated set-up keeps one tick per value
        f->Init_Axe_X();
        f->Init_Axe_X_Arb();
    }
    for (VisuPlot* plot : {f->Visu_CAN, f->Visu_ARB}) {
        const QMap<double, QString> g = plot->Graduations_X();
        ASSERT_EQ(g.size(), 201);
        int attendu = 0;
        for (auto it = g.begin(); it != g.end(); ++it, attendu += 5) {
            EXPECT_EQ(it.key(), attendu);
            EXPECT_TRUE(it.value().isEmpty());
        }
    }
}

TEST_F(TraceTest, VoltageLabelsFollowTheSpeed) {
    const QMap<double, QString> lente{
        {4, "CAN_L"},  {8, "1,00v"},      {20, "3,25v"},    {40, "CAN_H"}, {48, "1,75v"},
        {60, "4,00v"}, {68, "Récepteur"}, {82, "Emetteur"}, {92, ""},      {78, ""}};
    QMap<double, QString> rapide = lente;
    rapide[8] = "1,5v";
    rapide[20] = "2,5v";
    rapide[48] = "2,5v";
    rapide[60] = "3,5v";
    for (bool vitesse : {true, false, true}) {
        regle(f->Check3, vitesse);
        f->Init_Visu();
        EXPECT_EQ(f->Visu_CAN->Graduations_Y(), vitesse ? rapide : lente);
    }
}

TEST_F(TraceTest, SetUpGivesFourEmptyTracesWithTheirIdleLevel) {
    f->Pos_Emet = 200; // a hidden emitter stays hidden in the new drawing
    for (int fois = 0; fois < 3; ++fois) {
        f->Pos_X = 99;
        f->Efface_Visu_CAN();
        f->Init_Visu();
    }
    EXPECT_EQ(f->Pos_X, 0);
    const size_t total = f->Visu_CAN->Courbes().size();
    f->Init_Visu(); // even without a clear first, the traces start empty
    EXPECT_EQ(f->Visu_CAN->Courbes().size(), total);
    const struct {
        Courbe* c;
        const char* nom;
        int couleur;
        double decalage, recessif;
    } attendu[] = {{f->Courbe_Emet, "c1", 0x008000, 200, 10},
                   {f->Courbe_CANH, "c2", 0x0000FF, 42, 6},
                   {f->Courbe_CANL, "c3", 0xFF0000, 17, 3},
                   {f->Courbe_Recep, "c4", 0xFF00FF, 62, 16}};
    for (const auto& a : attendu) {
        SCOPED_TRACE(a.nom);
        ASSERT_NE(a.c, nullptr);
        EXPECT_EQ(a.c->Nom(), QString(a.nom));
        EXPECT_EQ(a.c->Decalage_Y(), a.decalage);
        EXPECT_EQ(points(a.c), (Pts{{0, a.recessif}, {15, a.recessif}}));
        for (const PointTrace& p : a.c->Points())
            EXPECT_EQ(p.couleur, a.couleur);
    }
}

TEST_F(TraceTest, StartOfFrameIsTheDominantCellAfterTheIdleTime) {
    nouveauTrace();
    f->Trace_SOF();
    EXPECT_EQ(f->Pos_X, 20);
    EXPECT_EQ(points(f->Courbe_Emet, 2), (Pts{{15, 0}, {20, 0}}));
    EXPECT_EQ(points(f->Courbe_CANH, 2), (Pts{{15, 18}, {20, 18}}));
    EXPECT_EQ(points(f->Courbe_CANL, 2), (Pts{{15, -9}, {20, -9}}));
    EXPECT_EQ(points(f->Courbe_Recep, 2), (Pts{{20, 16}}));
}

TEST_F(TraceTest, EachBitAppendsItsCellAfterThePreviousSymbol) {
    enum Primitive { Dominant, Recessif, Stuff };
    struct Cas {
        Primitive primitive;
        const char* precedent;
        bool ack;
        Pts emet, canh, canl, recep;
    };
    const Pts emetD{{45, 0}}, emetDFront{{40, 0}, {45, 0}};
    const Cas cas[] = {
        // Same level: only the end of the cell; a level change starts with an edge.
        {Dominant, "D", false, {{45, 0}}, {{45, 18}}, {{45, -9}}, {{45, 16}}},
        {Dominant, "s", false, {{45, 0}}, {{45, 18}}, {{45, -9}}, {{45, 16}}},
        {Dominant,
         "S",
         false,
         {{40, 0}, {45, 0}},
         {{40, 18}, {45, 18}},
         {{40, -9}, {45, -9}},
         {{45, 16}}},
        {Dominant,
         "r",
         true,
         {{40, 0}, {45, 0}},
         {{40, 18}, {45, 18}},
         {{40, -9}, {45, -9}},
         {{45, 16}}},
        {Recessif, "D", false, {{40, 10}, {45, 10}}, {{40, 6}, {45, 6}}, {{40, 3}, {45, 3}}, {}},
        {Recessif, "s", true, {{40, 10}, {45, 10}}, {}, {}, {}},
        {Recessif, "r", false, {{45, 10}}, {{45, 6}}, {{45, 3}}, {}},
        {Recessif, "S", true, {{45, 10}}, {}, {}, {}},
        // A stuff bit always has an edge, to the level opposite to the one before.
        {Stuff, "D", false, {{40, 10}, {45, 10}}, {{40, 6}, {45, 6}}, {{40, 3}, {45, 3}}, {}},
        {Stuff, "s", true, {{40, 10}, {45, 10}}, {{40, 6}, {45, 6}}, {{40, 3}, {45, 3}}, {}},
        {Stuff, "r", false, {{40, 0}, {45, 0}}, {{40, 18}, {45, 18}}, {{40, -9}, {45, -9}}, {}},
        {Stuff, "S", false, {{40, 0}, {45, 0}}, {{40, 18}, {45, 18}}, {{40, -9}, {45, -9}}, {}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(testing::Message() << "primitive " << c.primitive << " after " << c.precedent
                                        << (c.ack ? " in ACK" : ""));
        nouveauTrace();
        f->Symb_Prec = c.precedent;
        f->Phase_Ack = c.ack;
        if (c.primitive == Dominant) f->Trace_Dominant();
        if (c.primitive == Recessif) f->Trace_Recessif();
        if (c.primitive == Stuff) f->Trace_Stuff();
        EXPECT_EQ(f->Pos_X, 45);
        EXPECT_EQ(points(f->Courbe_Emet, 2), c.emet);
        EXPECT_EQ(points(f->Courbe_CANH, 2), c.canh);
        EXPECT_EQ(points(f->Courbe_CANL, 2), c.canl);
        EXPECT_EQ(points(f->Courbe_Recep, 2), c.recep);
        for (Courbe* courbe : courbes()) // every point in its trace's colour
            for (const PointTrace& p : courbe->Points())
                EXPECT_EQ(p.couleur, courbe->Point(0).couleur);
    }
}

TEST_F(TraceTest, StuffBitIsMarkedWithABlueSShownOnlyWithTheLegend) {
    for (bool legende : {true, false}) {
        SCOPED_TRACE(legende);
        regle(f->Check1, true);
        regleDLC("8");
        f->Ajust_Aff(); // Decal_Texte -7
        nouveauTrace();
        regleLegende(legende);
        f->Symb_Prec = "D";
        f->Trace_Stuff();
        ASSERT_EQ(f->Visu_CAN->Nb_Annotations(), 1);
        EXPECT_EQ(f->Annot_Courante, 0);
        const Annotation& s = f->Visu_CAN->Annotation_Item(0);
        EXPECT_EQ(s.texte, QString("S"));
        EXPECT_EQ(s.x, 40 - 2 - 7);
        EXPECT_EQ(s.y, legende ? 90 : 450);
        EXPECT_EQ(f->Pos_Y_Texte, legende ? 90 : 450);
        EXPECT_EQ(s.couleur, 0xFF0000);
        EXPECT_EQ(s.angle, 0);
        EXPECT_TRUE(s.visible);
    }
}

TEST_F(TraceTest, TextSizeDependsOnTheDataLengthAndFrameType) {
    struct Cas {
        const char* dlc;
        bool distante;
        double taille;
    };
    for (const Cas& c :
         {Cas{"", false, 8}, Cas{"3", true, 8}, Cas{"4", false, 8}, Cas{"5", false, 7},
          Cas{"6", false, 7}, Cas{"6", true, 9}, Cas{"8", true, 9}, Cas{"8", false, 7}}) {
        SCOPED_TRACE(testing::Message() << "DLC '" << c.dlc << "' remote " << c.distante);
        regleDLC(c.dlc);
        regle(f->Check2, c.distante);
        f->Aff_Texte(12.5, 90, "ID3", 90, 0x008000);
        const Annotation& a = f->Visu_CAN->Annotation_Item(f->Annot_Courante);
        EXPECT_EQ(f->Annot_Courante, f->Visu_CAN->Nb_Annotations() - 1);
        EXPECT_EQ(a.taille, c.taille);
        EXPECT_EQ(a.texte, QString("ID3"));
        EXPECT_EQ(a.x, 12.5);
        EXPECT_EQ(a.y, 90);
        EXPECT_EQ(a.angle, 90);
        EXPECT_EQ(a.couleur, 0x008000);
        EXPECT_TRUE(a.visible);
    }
}

TEST_F(TraceTest, ClearingEmptiesTheTracesAndTextsButKeepsTheObjects) {
    nouveauTrace();
    f->Trace_SOF();
    f->Aff_Texte(0, 26, "Idle", 0, 0x008000);
    const auto avant = courbes();
    f->Efface_Visu_CAN();
    EXPECT_EQ(courbes(), avant);
    for (Courbe* c : courbes())
        EXPECT_EQ(c->Nb_Points(), 0);
    EXPECT_EQ(f->Visu_CAN->Nb_Annotations(), 0);
}
