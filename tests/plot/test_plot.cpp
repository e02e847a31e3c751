// The plot widget (painting, hit-testing) and the signal drawing primitives, read back.
#include "../editor/editeur.h"

#include <QSignalBlocker>

#include <cmath>

using namespace varnel;

namespace {

constexpr int Rouge = 0x0000FF, Bleu = 0xFF0000, Vert = 0x008000;
using Pts = std::vector<std::pair<double, double>>;

struct VisuPlotTest : ::testing::Test {
    std::unique_ptr<VisuPlot> plot = std::make_unique<VisuPlot>();
    void SetUp() override { plot->resize(900, 440), plot->replot(); } // lays out the axes
    QPoint pixel(double x, double y) const {
        return {int(std::lround(plot->X_Vers_Pixel(x))), int(std::lround(plot->Y_Vers_Pixel(y)))};
    }
    static bool proche(QColor v, int couleur) {
        const QColor c = couleurQt(couleur);
        return std::abs(v.red() - c.red()) < 90 && std::abs(v.green() - c.green()) < 90 &&
               std::abs(v.blue() - c.blue()) < 90;
    }
    int pixels(int couleur, QRect zone = {}) const { // in the zone, whole picture if empty
        const QImage img = plot->Image();
        zone = zone.isNull() ? img.rect() : zone.intersected(img.rect());
        int n = 0;
        for (int y = zone.top(); y <= zone.bottom(); ++y)
            for (int x = zone.left(); x <= zone.right(); ++x) n += proche(img.pixelColor(x, y), couleur);
        return n;
    }
    bool peint(double x, double y, int couleur, int rayon = 2) const { // lines are antialiased
        return pixels(couleur, QRect(pixel(x, y) - QPoint(0, rayon), QSize(1, 2 * rayon + 1))) > 0;
    }
};

struct TraceTest : Fenetre, ::testing::Test {
    // Sets controls without running their handlers, to look at one primitive alone.
    template <class C> void regle(C* c, bool v) { QSignalBlocker{c}, c->setChecked(v); }
    void regle(bool etendue, bool distante, const char* dlc) {
        QSignalBlocker b(f->Controle);
        regle(f->Check1, etendue), regle(f->Check2, distante), f->Controle->setText(dlc);
    }
    void nouveauTrace() { f->Efface_Visu_CAN(), f->Init_Visu(), f->Pos_X = 40; }
    static Pts points(const Courbe* c, int depuis = 2) { // by default after the idle segment
        Pts r;
        for (int i = depuis; i < c->Nb_Points(); ++i) r.emplace_back(c->Point(i).x, c->Point(i).y);
        return r;
    }
    std::vector<Pts> traces() const {
        return {points(f->Courbe_Emet), points(f->Courbe_CANH), points(f->Courbe_CANL),
                points(f->Courbe_Recep)};
    }
};

} // namespace

TEST_F(VisuPlotTest, EachSegmentIsPaintedInItsEndPointColourAndOffset200Hides) {
    Courbe* c = plot->Ajoute_Courbe("c");
    for (auto [x, y, coul] :
         {std::tuple{0, 50, Vert}, {100, 50, Rouge}, {100, 20, Bleu}, {200, 20, Bleu}, {300, 20, Vert}})
        c->Ajoute_Point(x, y, coul); // the first point's colour is never seen
    plot->Image();                   // lays out again with the data
    EXPECT_TRUE(peint(50, 50, Rouge) && !peint(50, 50, Vert) && peint(100, 35, Bleu, 0) /* the edge down */ &&
                peint(150, 20, Bleu) && peint(250, 20, Vert));
    c->Decalage_Y(200);
    EXPECT_EQ(pixels(Rouge), 0);
}

// What is drawn before a plot is first shown is on screen once it is, and a later
// drawing replaces it.
TEST(VisuPlotAffiche, DrawingMadeBeforeTheFirstShowIsSeen) {
    VisuPlot plot;
    plot.resize(900, 440);
    Courbe* c = plot.Ajoute_Courbe("c");
    const auto rouges = [&] { // what the widget paints
        QCoreApplication::processEvents();
        const QImage ecran = plot.grab().toImage();
        int n = 0;
        for (int i = 0; i < ecran.width() * ecran.height(); ++i)
            n += ecran.pixelColor(i % ecran.width(), i / ecran.width()) == QColor(Qt::red);
        return n;
    };
    for (double x : {0, 300}) c->Ajoute_Point(x, 50, Rouge);
    plot.show();
    EXPECT_GT(rouges(), 100);
    c->Efface_Points();
    EXPECT_EQ(rouges(), 0);
}

// A click lands on a text exactly where it is seen, horizontal or turned upright;
// a hidden or out-of-range text is never hit.
TEST_F(VisuPlotTest, HitTestMatchesWhereTextsArePainted) {
    for (auto [mot, angle, ancre] : {std::tuple{"CRC.14", 90, 3}, {"Stuff", 0, 3}, {"<  >", 0, 0}}) {
        SCOPED_TRACE(mot);
        Annotation a;
        plot->Efface_Annotations();
        std::tie(a.x, a.y, a.couleur, a.texte, a.angle, a.ancre, a.taille) =
            std::tuple(150, 50, Rouge, mot, angle, ancre, 10);
        plot->Modifie_Annotation(plot->Ajoute_Annotation(0, 0, 0), a);
        const QImage img = plot->Image();
        int rouges = 0, touches = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (proche(img.pixelColor(x, y), Rouge))
                    ++rouges, touches += !plot->Annotation_Sous(x, y) || !plot->Annotation_Sous(x + 1, y) ||
                                         !plot->Annotation_Sous(x, y + 1);
        EXPECT_TRUE(rouges > 15 && touches >= rouges * 9 / 10) << rouges << " " << touches;
        const QPoint p = pixel(150, 50);
        if (angle == 90) { // reads upwards: stands above its point, not beside it
            EXPECT_GT(pixels(Rouge, QRect(p.x(), p.y() - 40, 25, 40)), 15);
            EXPECT_EQ(pixels(Rouge, QRect(p.x() - 40, p.y() + 2, 80, 40)), 0);
        }
        a.visible = false, plot->Modifie_Annotation(0, a);
        plot->Texte_Annotation(plot->Ajoute_Annotation(100, 450, Rouge), "ID3");
        EXPECT_EQ(pixels(Rouge), 0);
        for (int i = 0, l = plot->width(); i < l * plot->height(); i += 3)
            ASSERT_EQ(plot->Annotation_Sous(i % l, i / l), -1) << i % l << "," << i / l;
    }
}

TEST_F(TraceTest, AjustAffSetsTheTimeWindowAndShifts) {
    const std::tuple<bool, bool, const char*, int, int, int> cas[] = {
        // extended, remote, DLC; max X, shifts
        {0, 1, "8", 350, 0, -9},   {1, 1, "8", 400, -2, -9},  {0, 0, "", 350, 0, -9},
        {1, 0, "", 500, -3, -10},  {0, 0, "2", 350, 0, -9},   {1, 0, "2", 500, -3, -10},
        {0, 0, "3", 450, -4, -11}, {1, 0, "4", 600, -5, -12}, {0, 0, "5", 550, -4, -12},
        {1, 0, "6", 700, -6, -14}, {0, 0, "7", 650, -5, -13}, {0, 0, "8", 650, -5, -13},
        {1, 0, "8", 800, -7, -16}};
    for (const auto& [etendue, distante, dlc, max, texte, champ] : cas) {
        SCOPED_TRACE(testing::Message() << etendue << distante << " DLC '" << dlc << "'");
        regle(etendue, distante, dlc), f->Ajust_Aff();
        EXPECT_EQ(std::tuple(f->Visu_CAN->Min_X(), f->Visu_CAN->Max_X(), f->Decal_Texte, f->Decal_Champ),
                  std::tuple(0., double(max), texte, champ));
    }
}

TEST_F(TraceTest, VoltageLabelsFollowTheSpeedAndTheBitGridIsEvery5) {
    QMap<double, QString> lente{{4, "CAN_L"},  {8, "1,00v"},  {20, "3,25v"},     {40, "CAN_H"},
                                {48, "1,75v"}, {60, "4,00v"}, {68, "Récepteur"}, {82, "Emetteur"},
                                {92, ""},      {78, ""}};
    auto rapide = lente;
    rapide[8] = "1,5v", rapide[20] = rapide[48] = "2,5v", rapide[60] = "3,5v";
    for (bool vitesse : {true, false, true}) {
        regle(f->Check3, vitesse), f->Init_Visu();
        EXPECT_EQ(f->Visu_CAN->Graduations_Y(), vitesse ? rapide : lente);
    }
    QMap<double, QString> grille;
    for (int x = 0; x <= 1000; x += 5) grille[x] = "";
    for (int fois = 0; fois < 2; ++fois) f->Init_Axe_X(), f->Init_Axe_X_Arb(); // no duplicates
    EXPECT_TRUE(f->Visu_CAN->Graduations_X() == grille && f->Visu_ARB->Graduations_X() == grille);
}

// Idle levels and colours, and the offsets, are read back from whole drawings elsewhere.
TEST_F(TraceTest, SetUpGivesFourIdleTracesThenTheStartOfFrame) {
    f->Init_Visu(), f->Pos_X = 99, f->Init_Visu(); // even without a clear, traces start empty
    EXPECT_EQ(f->Pos_X, 0);
    for (auto [c, repos] :
         {std::pair{f->Courbe_Emet, 10.}, {f->Courbe_CANH, 6.}, {f->Courbe_CANL, 3.}, {f->Courbe_Recep, 16.}})
        EXPECT_EQ(points(c, 0), (Pts{{0, repos}, {15, repos}}));
    f->Trace_SOF();
    EXPECT_EQ(f->Pos_X, 20);
    EXPECT_EQ(traces(),
              (std::vector<Pts>{{{15, 0}, {20, 0}}, {{15, 18}, {20, 18}}, {{15, -9}, {20, -9}}, {{20, 16}}}));
}

// A bit's cell follows the previous symbol: an edge first on a level change (a stuff
// bit always has one, to the opposite level, and a text mark); in ACK a recessive bit leaves the bus alone.
TEST_F(TraceTest, EachBitAppendsItsCellAfterThePreviousSymbol) {
    const struct {
        char bit;
        const char* avant;
        bool ack, dominant, front, bus;
    } cas[] = {{'D', "D", 0, 1, 0, 1}, {'D', "s", 0, 1, 0, 1}, {'D', "S", 0, 1, 1, 1},
               {'D', "r", 1, 1, 1, 1}, {'R', "D", 0, 0, 1, 1}, {'R', "s", 1, 0, 1, 0},
               {'R', "r", 0, 0, 0, 1}, {'R', "S", 1, 0, 0, 0}, {'S', "D", 0, 0, 1, 1},
               {'S', "s", 1, 0, 1, 1}, {'S', "r", 0, 1, 1, 1}, {'S', "S", 0, 1, 1, 1}};
    for (const auto& c : cas) {
        SCOPED_TRACE(std::string(1, c.bit) + " after " + c.avant + (c.ack ? " in ACK" : ""));
        nouveauTrace();
        f->Symb_Prec = c.avant, f->Phase_Ack = c.ack;
        c.bit == 'D' ? f->Trace_Dominant() : c.bit == 'R' ? f->Trace_Recessif() : f->Trace_Stuff();
        EXPECT_TRUE(f->Pos_X == 45 && f->Visu_CAN->Nb_Annotations() == (c.bit == 'S'));
        const auto cellule = [&](double y, bool la) {
            return !la ? Pts{} : c.front ? Pts{{40, y}, {45, y}} : Pts{{45, y}};
        };
        EXPECT_EQ(traces(),
                  (std::vector{cellule(c.dominant ? 0 : 10, true), cellule(c.dominant ? 18 : 6, c.bus),
                               cellule(c.dominant ? -9 : 3, c.bus), c.bit == 'D' ? Pts{{45, 16}} : Pts{}}));
    }
}

TEST_F(TraceTest, TextSizeDependsOnTheDataLengthAndFrameType) {
    const std::tuple<const char*, bool, double> cas[] = {{"", false, 8.},  {"3", true, 8.},  {"4", false, 8.},
                                                         {"5", false, 7.}, {"6", false, 7.}, {"6", true, 9.}};
    for (auto [dlc, distante, taille] : cas) {
        SCOPED_TRACE(testing::Message() << "DLC '" << dlc << "' remote " << distante);
        regle(false, distante, dlc), f->Aff_Texte(12.5, 90, "ID3", 90, Vert);
        const Annotation& a = f->Visu_CAN->Annotation_Item(f->Annot_Courante);
        EXPECT_EQ(std::tuple(a.taille, a.texte, a.x, a.y, a.angle, a.couleur, a.visible),
                  std::tuple(taille, QString("ID3"), 12.5, 90., 90., Vert, true));
    }
}
