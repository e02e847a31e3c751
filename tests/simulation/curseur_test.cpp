// The mouse on the signal plot: dragging the "<  >" cursor and reading a name.
#include "outils.h"

namespace varnel::essai {
namespace {

// A drawn frame with stuff marks and its names shown, laid out on screen.
void Prepare(Fenetre& w) {
    Form1& f = *w.f;
    f.Legend->setChecked(true);
    Saisit(f, {false, false, "000", "0", {}});
    f.Instantanne->trigger();
    f.Visu_CAN->replot();
}

int Index_De(const VisuPlot* v, const QString& texte) {
    for (int i = 0; i < v->Nb_Annotations(); ++i)
        if (v->Annotation_Item(i).texte == texte) return i;
    return -1;
}

// A pixel where the plot reports text item i, searched around its point.
QPoint Pixel_De(const VisuPlot* v, int i) {
    const Annotation& a = v->Annotation_Item(i);
    const int px = qRound(v->X_Vers_Pixel(a.x)), py = qRound(v->Y_Vers_Pixel(a.y));
    for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -10; dx <= 40; ++dx)
            if (v->Annotation_Sous(px + dx, py + dy) == i) return {px + dx, py + dy};
    ADD_FAILURE() << "no pixel shows text item " << i;
    return {px, py};
}

TEST(Curseur, FollowsTheMouseHorizontallyUntilReleaseOrTheLeftEdge) {
    Fenetre w;
    Prepare(w);
    Form1& f = *w.f;
    VisuPlot* v = f.Visu_CAN;
    auto x_curseur = [&] { return v->Annotation_Item(0).x; };

    const QPoint prise = Pixel_De(v, 0);
    QTest::mouseMove(v, prise);
    QTest::mousePress(v, Qt::LeftButton, {}, prise);
    EXPECT_TRUE(f.Glisse_Curseur);
    QTest::mouseMove(v, {300, prise.y() - 30});
    EXPECT_DOUBLE_EQ(x_curseur(), v->Pixel_Vers_X(300));
    EXPECT_EQ(v->Annotation_Item(0).y, 4);

    // The middle button belongs to the plot: it neither ends the drag...
    QTest::mousePress(v, Qt::MiddleButton, {}, {300, prise.y()});
    QTest::mouseRelease(v, Qt::MiddleButton, {}, {300, prise.y()});
    f.Visu_CAN_MouseUp(Qt::MiddleButton, 300, prise.y());
    EXPECT_TRUE(f.Glisse_Curseur);
    QTest::mouseMove(v, {420, prise.y()});
    EXPECT_DOUBLE_EQ(x_curseur(), v->Pixel_Vers_X(420));

    // Left of pixel 65 the drag ends where the cursor was.
    QTest::mouseMove(v, {60, prise.y()});
    EXPECT_FALSE(f.Glisse_Curseur);
    EXPECT_DOUBLE_EQ(x_curseur(), v->Pixel_Vers_X(420));
    QTest::mouseMove(v, {500, prise.y()});
    EXPECT_DOUBLE_EQ(x_curseur(), v->Pixel_Vers_X(420));
    QTest::mouseRelease(v, Qt::LeftButton, {}, {500, prise.y()});

    // Releasing the button ends it too.
    const QPoint reprise = Pixel_De(v, 0);
    QTest::mousePress(v, Qt::LeftButton, {}, reprise);
    QTest::mouseMove(v, {250, reprise.y()});
    QTest::mouseRelease(v, Qt::LeftButton, {}, {250, reprise.y()});
    EXPECT_FALSE(f.Glisse_Curseur);
    QTest::mouseMove(v, {350, reprise.y()});
    EXPECT_DOUBLE_EQ(x_curseur(), v->Pixel_Vers_X(250));
    EXPECT_EQ(v->Annotation_Item(0).y, 4);

    // ... nor starts one.
    const QPoint encore = Pixel_De(v, 0);
    QTest::mousePress(v, Qt::MiddleButton, {}, encore);
    f.Visu_CAN_MouseDown(Qt::MiddleButton, encore.x(), encore.y());
    EXPECT_FALSE(f.Glisse_Curseur);
    QTest::mouseRelease(v, Qt::MiddleButton, {}, encore);
}

// A click on a name repeats it in Text4 beside the mouse; a stuff mark is spelled out;
// the cursor or an empty place hides Text4.
TEST(Curseur, ClickedNameIsRepeatedBesideTheMouse) {
    Fenetre w;
    Prepare(w);
    Form1& f = *w.f;
    VisuPlot* v = f.Visu_CAN;
    const QRect cadre = f.Text4->parentWidget()->rect();

    struct {
        QString texte, montre;
        bool pres_de_la_souris;
    } const table[] = {{"ID3", "ID3", true},
                       {"S", "Stuff", true},
                       {"CRC.14", "CRC.14", true},
                       {"EOF.0", "EOF.0", false}}; // at the far right: kept inside its frame
    for (const auto& c : table) {
        SCOPED_TRACE(c.texte.toStdString());
        const int i = Index_De(v, c.texte);
        ASSERT_GE(i, 1);
        const QPoint p = Pixel_De(v, i);
        QTest::mouseMove(v, p);
        QTest::mouseClick(v, Qt::LeftButton, {}, p);
        EXPECT_TRUE(f.Text4->isVisible());
        EXPECT_EQ(f.Text4->text(), c.montre);
        EXPECT_EQ(f.Souris_X, p.x());
        if (c.pres_de_la_souris) {
            EXPECT_EQ(f.Text4->x(), Twips(p.x() * 15 + 100));
        }
        EXPECT_TRUE(cadre.contains(f.Text4->geometry())) << f.Text4->x();
    }

    const QPoint curseur = Pixel_De(v, 0);
    QTest::mouseClick(v, Qt::LeftButton, {}, curseur);
    EXPECT_FALSE(f.Text4->isVisible());

    QTest::mouseClick(v, Qt::LeftButton, {}, Pixel_De(v, Index_De(v, "ID3")));
    ASSERT_TRUE(f.Text4->isVisible());
    const QPoint vide(qRound(v->X_Vers_Pixel(60)), qRound(v->Y_Vers_Pixel(35)));
    ASSERT_EQ(v->Annotation_Sous(vide.x(), vide.y()), -1);
    QTest::mouseClick(v, Qt::LeftButton, {}, vide);
    EXPECT_FALSE(f.Text4->isVisible());
    EXPECT_EQ(v->Annotation_Item(0).texte, "<  >"); // clicking never edits the plot
}

} // namespace
} // namespace varnel::essai
