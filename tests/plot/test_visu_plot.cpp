// The plot widget on its own: read-back of its content, what it really paints,
// hit-testing of its texts, queued redraws and the mouse.
#include "simulation/visu_plot.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace varnel;

namespace {

constexpr int Rouge = 0x0000FF;
constexpr int Bleu = 0xFF0000;
constexpr int Vert = 0x008000;

struct VisuPlotTest : ::testing::Test {
    std::unique_ptr<VisuPlot> plot = std::make_unique<VisuPlot>();
    void SetUp() override {
        plot->resize(900, 440);
        plot->replot(); // lays out the axis rect so pixel conversions are meaningful
    }
    QPoint pixel(double x, double y) const {
        return {static_cast<int>(std::lround(plot->X_Vers_Pixel(x))),
                static_cast<int>(std::lround(plot->Y_Vers_Pixel(y)))};
    }
};

// True when a pixel near (px, py) (a few pixels up or down, as lines are antialiased)
// is close to the colour.
bool couleurPres(const QImage& img, QPoint p, QColor c, int rayon = 2) {
    for (int dy = -rayon; dy <= rayon; ++dy) {
        const QPoint q(p.x(), p.y() + dy);
        if (!img.rect().contains(q)) continue;
        const QColor v = img.pixelColor(q);
        if (std::abs(v.red() - c.red()) < 70 && std::abs(v.green() - c.green()) < 70 &&
            std::abs(v.blue() - c.blue()) < 70)
            return true;
    }
    return false;
}

int pixelsDeCouleur(const QImage& img, QRect zone, QColor c) {
    int n = 0;
    zone = zone.intersected(img.rect());
    for (int y = zone.top(); y <= zone.bottom(); ++y)
        for (int x = zone.left(); x <= zone.right(); ++x) {
            const QColor v = img.pixelColor(x, y);
            if (std::abs(v.red() - c.red()) < 90 && std::abs(v.green() - c.green()) < 90 &&
                std::abs(v.blue() - c.blue()) < 90)
                ++n;
        }
    return n;
}

} // namespace

TEST_F(VisuPlotTest, StartsWithTitleAndRanges) {
    auto* titre = qobject_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0));
    ASSERT_NE(titre, nullptr);
    EXPECT_EQ(titre->text(), QString("Simulation d'une trame CAN"));
    EXPECT_EQ(plot->Min_Y(), 0);
    EXPECT_EQ(plot->Max_Y(), 100);
    EXPECT_EQ(plot->Min_X(), 0);
    EXPECT_EQ(plot->Max_X(), 350);
    EXPECT_EQ(plot->xAxis->range(), QCPRange(0, 350));
}

TEST(CouleurQt, ReadsBlueGreenRed) {
    EXPECT_EQ(couleurQt(0), QColor(0, 0, 0));
    EXPECT_EQ(couleurQt(255), QColor(255, 0, 0));
    EXPECT_EQ(couleurQt(0x008000), QColor(0, 128, 0));
    EXPECT_EQ(couleurQt(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(couleurQt(0xFF00FF), QColor(255, 0, 255));
}

TEST_F(VisuPlotTest, TracesKeepTheirPointsColoursAndOffset) {
    Courbe* c = plot->Ajoute_Courbe("c1");
    c->Decalage_Y(42);
    c->Ajoute_Point(0, 6, Rouge);
    c->Ajoute_Point(15, 6, Rouge);
    c->Ajoute_Point(15, 18, Bleu); // vertical edge: same X twice, kept in order
    ASSERT_EQ(c->Nb_Points(), 3);
    EXPECT_EQ(c->Point(2).x, 15);
    EXPECT_EQ(c->Point(2).y, 18);
    EXPECT_EQ(c->Point(2).couleur, Bleu);
    EXPECT_EQ(c->Decalage_Y(), 42);
    EXPECT_EQ(c->Nom(), QString("c1"));
    c->Couleur_Point(1, 0);
    EXPECT_EQ(c->Point(1).couleur, 0);
    c->Efface_Points();
    EXPECT_EQ(c->Nb_Points(), 0);
    c->Ajoute_Point(1, 2, Vert); // the object stays usable after a clear
    EXPECT_EQ(c->Nb_Points(), 1);
    EXPECT_EQ(plot->Courbes().size(), 1u);
}

TEST_F(VisuPlotTest, TickLabelsReadBackWithoutDuplicates) {
    plot->Ajoute_Graduation_Y(4, "CAN_L");
    plot->Ajoute_Graduation_Y(68, "Récepteur");
    plot->Ajoute_Graduation_X(5, "");
    plot->Ajoute_Graduation_X(5, ""); // the same value twice keeps one tick
    EXPECT_EQ(plot->Graduations_X().size(), 1);
    EXPECT_EQ(plot->Graduations_Y().value(68), QString("Récepteur"));
    plot->Efface_Graduations_Y();
    EXPECT_TRUE(plot->Graduations_Y().isEmpty());
    EXPECT_EQ(plot->Graduations_X().size(), 1);
}

TEST_F(VisuPlotTest, EachSegmentIsPaintedInItsEndPointColour) {
    Courbe* c = plot->Ajoute_Courbe("c");
    c->Ajoute_Point(0, 50, Vert); // first point: its colour is never seen
    c->Ajoute_Point(100, 50, Rouge);
    c->Ajoute_Point(100, 20, Bleu); // the edge down is blue
    c->Ajoute_Point(200, 20, Bleu);
    c->Ajoute_Point(300, 20, Vert);
    const QImage img = plot->Image();
    ASSERT_EQ(img.size(), plot->size());
    EXPECT_TRUE(couleurPres(img, pixel(50, 50), couleurQt(Rouge)));
    EXPECT_FALSE(couleurPres(img, pixel(50, 50), couleurQt(Vert)));
    EXPECT_TRUE(couleurPres(img, pixel(150, 20), couleurQt(Bleu)));
    EXPECT_TRUE(couleurPres(img, pixel(250, 20), couleurQt(Vert)));
    const QPoint arete = pixel(100, 35);
    EXPECT_TRUE(couleurPres(img, arete, couleurQt(Bleu), 0));
}

TEST_F(VisuPlotTest, OffsetRaisesTheTraceAnd200HidesIt) {
    Courbe* c = plot->Ajoute_Courbe("c");
    c->Ajoute_Point(0, 10, Rouge);
    c->Ajoute_Point(300, 10, Rouge);
    c->Decalage_Y(40);
    QImage img = plot->Image();
    EXPECT_TRUE(couleurPres(img, pixel(150, 50), couleurQt(Rouge)));
    EXPECT_FALSE(couleurPres(img, pixel(150, 10), couleurQt(Rouge)));
    c->Decalage_Y(200);
    img = plot->Image();
    EXPECT_EQ(pixelsDeCouleur(img, img.rect(), couleurQt(Rouge)), 0);
}

TEST_F(VisuPlotTest, TextItemsReadBackAndMove) {
    const int i = plot->Ajoute_Annotation(10, 90, Vert);
    EXPECT_EQ(i, 0);
    plot->Texte_Annotation(i, "ID10");
    Annotation a = plot->Annotation_Item(i);
    a.angle = 90;
    a.taille = 7;
    plot->Modifie_Annotation(i, a);
    plot->Deplace_Annotation(i, 12, 450);
    plot->Couleur_Annotation(i, 0);
    const Annotation& b = plot->Annotation_Item(i);
    EXPECT_EQ(b.texte, QString("ID10"));
    EXPECT_EQ(b.x, 12);
    EXPECT_EQ(b.y, 450);
    EXPECT_EQ(b.couleur, 0);
    EXPECT_EQ(b.angle, 90);
    EXPECT_EQ(b.taille, 7);
    EXPECT_EQ(plot->Ajoute_Annotation(0, 0, 0), 1);
    plot->Efface_Annotations();
    EXPECT_EQ(plot->Nb_Annotations(), 0);
    EXPECT_EQ(plot->itemCount(), 0);
}

// The hit-test and the painting must agree: a click lands on a text exactly where
// the text is seen, horizontal or turned upright.
TEST_F(VisuPlotTest, HitTestMatchesWhereTextsArePainted) {
    struct Cas {
        const char* texte;
        double angle;
        int ancre;
    };
    for (const Cas& cas : {Cas{"CRC.14", 90, 3}, Cas{"Stuff", 0, 3}, Cas{"<  >", 0, 0}}) {
        SCOPED_TRACE(cas.texte);
        plot->Efface_Annotations();
        const int i = plot->Ajoute_Annotation(150, 50, Rouge);
        Annotation a = plot->Annotation_Item(i);
        a.texte = cas.texte;
        a.angle = cas.angle;
        a.ancre = cas.ancre;
        a.taille = 10;
        plot->Modifie_Annotation(i, a);
        const QImage img = plot->Image();
        // Every red pixel of the picture is a pixel where the hit-test finds the text,
        // and there are enough of them to be a text.
        int rouges = 0, touches = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (pixelsDeCouleur(img, QRect(x, y, 1, 1), QColor(255, 0, 0)) == 1) {
                    ++rouges;
                    if (plot->Annotation_Sous(x, y) == i || plot->Annotation_Sous(x + 1, y) == i ||
                        plot->Annotation_Sous(x, y + 1) == i)
                        ++touches;
                }
        EXPECT_GT(rouges, 15);
        EXPECT_GE(touches, rouges * 9 / 10);
        // The upright text reads upwards: it stands above its point, not beside it.
        const QPoint p = pixel(150, 50);
        if (cas.angle == 90) {
            EXPECT_GT(pixelsDeCouleur(img, QRect(p.x(), p.y() - 40, 25, 40), QColor(255, 0, 0)),
                      15);
            EXPECT_EQ(pixelsDeCouleur(img, QRect(p.x() - 40, p.y() + 2, 80, 40), QColor(255, 0, 0)),
                      0);
        }
        EXPECT_EQ(plot->Annotation_Sous(p.x() - 30, p.y() + 30), -1);
    }
}

TEST_F(VisuPlotTest, HiddenTextsAreNeverHitAndTheFirstItemWins) {
    const int cachee = plot->Ajoute_Annotation(100, 450, Rouge);
    plot->Texte_Annotation(cachee, "ID3");
    const int invisible = plot->Ajoute_Annotation(200, 50, Rouge);
    plot->Texte_Annotation(invisible, "ID4");
    Annotation a = plot->Annotation_Item(invisible);
    a.visible = false;
    plot->Modifie_Annotation(invisible, a);
    for (int y = 0; y < plot->height(); y += 2)
        for (int x = 0; x < plot->width(); x += 2) {
            const int touche = plot->Annotation_Sous(x, y);
            ASSERT_NE(touche, cachee) << x << "," << y;
            ASSERT_NE(touche, invisible) << x << "," << y;
        }
    const QImage img = plot->Image();
    EXPECT_EQ(pixelsDeCouleur(img, img.rect(), couleurQt(Rouge)), 0);

    const int premier = plot->Ajoute_Annotation(50, 50, Vert);
    plot->Texte_Annotation(premier, "AAAA");
    const int second = plot->Ajoute_Annotation(50, 50, Vert);
    plot->Texte_Annotation(second, "AAAA");
    const QPoint p = pixel(50, 50);
    EXPECT_EQ(plot->Annotation_Sous(p.x() + 12, p.y()), premier);
}

TEST_F(VisuPlotTest, ManyChangesPaintOnceAndWithoutBeingAsked) {
    QCoreApplication::processEvents();
    QSignalSpy peint(plot.get(), &QCustomPlot::afterReplot);
    Courbe* c = plot->Ajoute_Courbe("c");
    for (int i = 0; i < 50; ++i)
        c->Ajoute_Point(i, 10, Rouge);
    plot->Ajoute_Annotation(10, 90, Vert);
    plot->Rafraichit();
    plot->Rafraichit();
    EXPECT_EQ(peint.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(peint.count(), 1);
}

TEST_F(VisuPlotTest, PixelAndValueConvertBothWays) {
    for (double x : {0.0, 17.5, 350.0})
        EXPECT_NEAR(plot->Pixel_Vers_X(plot->X_Vers_Pixel(x)), x, 1e-9);
    EXPECT_LT(plot->X_Vers_Pixel(0), plot->X_Vers_Pixel(350));
    EXPECT_GT(plot->Y_Vers_Pixel(0), plot->Y_Vers_Pixel(100)); // Y grows upwards
}

TEST_F(VisuPlotTest, LeftAndRightButtonsAreReportedWithTheTextClicked) {
    const int i = plot->Ajoute_Annotation(100, 50, Vert);
    plot->Texte_Annotation(i, "ACK");
    QSignalSpy enfonce(plot.get(), &VisuPlot::sourisEnfoncee);
    QSignalSpy relache(plot.get(), &VisuPlot::sourisRelachee);
    QSignalSpy clic(plot.get(), &VisuPlot::annotationCliquee);
    const QPoint p = pixel(100, 50) + QPoint(12, 0);
    QTest::mouseClick(plot.get(), Qt::LeftButton, {}, p);
    QTest::mouseClick(plot.get(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(plot.get(), Qt::RightButton, {}, p);
    ASSERT_EQ(enfonce.count(), 3);
    EXPECT_EQ(enfonce.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(enfonce.at(0).at(1).toDouble(), p.x());
    EXPECT_EQ(relache.count(), 3);
    ASSERT_EQ(clic.count(), 2); // left clicks only
    EXPECT_EQ(clic.at(0).at(0).toInt(), i);
    EXPECT_EQ(clic.at(1).at(0).toInt(), -1);
}

TEST_F(VisuPlotTest, MiddleDragAndWheelMoveOnlyTheTimeAxis) {
    QSignalSpy enfonce(plot.get(), &VisuPlot::sourisEnfoncee);
    QSignalSpy deplace(plot.get(), &VisuPlot::sourisDeplacee);
    const QPoint depart = pixel(200, 50);
    QTest::mousePress(plot.get(), Qt::MiddleButton, {}, depart);
    QMouseEvent glisse(QEvent::MouseMove, QPointF(depart - QPoint(100, 0)),
                       plot->mapToGlobal(QPointF(depart - QPoint(100, 0))), Qt::NoButton,
                       Qt::MiddleButton, Qt::NoModifier);
    QCoreApplication::sendEvent(plot.get(), &glisse);
    QTest::mouseRelease(plot.get(), Qt::MiddleButton, {}, depart - QPoint(100, 0));
    EXPECT_EQ(enfonce.count(), 0);
    EXPECT_EQ(deplace.count(), 0);
    EXPECT_GT(plot->xAxis->range().lower, 0);
    EXPECT_NEAR(plot->xAxis->range().size(), 350, 1e-9);

    QWheelEvent molette(QPointF(depart), plot->mapToGlobal(QPointF(depart)), {}, {0, 240},
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(plot.get(), &molette);
    EXPECT_LT(plot->xAxis->range().size(), 350);
    EXPECT_EQ(plot->yAxis->range(), QCPRange(0, 100));

    plot->Restaure_Plages();
    EXPECT_EQ(plot->xAxis->range(), QCPRange(0, 350));
    EXPECT_EQ(plot->Min_X(), 0);
    EXPECT_EQ(plot->Max_X(), 350);
}
