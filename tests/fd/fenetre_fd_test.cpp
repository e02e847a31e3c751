// CAN FD frames in the window: typed as a user does, shown as varnel-trame prints them,
// drawn bit time by bit time with the fast data phase, and the way back to classic frames.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>

namespace varnel {
namespace {

constexpr int Orange = 0x0080FF, Bleu = 0xFF0000, Vert = 0x008000, Rouge = 0x0000FF;

struct SaisieFD_ {
    bool etendue;
    QString id, dlc;
    QString octets = {}; // hexadecimal digits, no blanks
    bool brs = false, esi = false;
};

QString Octets(int n, int depart = 1) { // n bytes counting up from `depart`
    QString s;
    for (int i = 0; i < n; ++i) s += QString::asprintf("%02X", (depart + i) & 0xFF);
    return s;
}

struct Fenetre {
    PlateformeFactice pf;
    std::unique_ptr<Form1> w = std::make_unique<Form1>(pf);
    Form1& f = *w;
    VisuPlot* v = f.Visu_CAN;
    Fenetre() {
        f.show();
        QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void Clique(QCheckBox* c) { QTest::mouseClick(c, Qt::LeftButton, {}, {8, c->height() / 2}); }
    void Coche(QCheckBox* c, bool oui) {
        if (c->isChecked() != oui) Clique(c);
    }
    void Dlc(const QString& d) {
        QTest::keyClick(f.Controle, Qt::Key_Backspace);
        QTest::keyClicks(f.Controle, d);
    }
    void Saisit(const SaisieFD_& s, bool legende = true) {
        f.Legend->setChecked(legende);
        Coche(f.CheckFD, true);
        Coche(f.Check1, s.etendue);
        QTest::keyClicks(f.Identifiant, s.id);
        Dlc(s.dlc);
        QTest::keyClicks(f.DonneesFD, s.octets);
        Coche(f.CheckBRS, s.brs);
        Coche(f.CheckESI, s.esi);
    }
    QStringList Textes() const {
        return {f.Trame_Bin->text(),      f.Text1->text(), f.Champ_CRC->text(),
                f.Trame_Bin_Stuf->text(), f.Text2->text(), f.TrameDR->text()};
    }
    QStringList Contenu() const { // everything on the plot, one line per point or text
        QStringList l;
        for (const Courbe* c : {f.Courbe_Emet, f.Courbe_CANH, f.Courbe_CANL, f.Courbe_Recep})
            for (const PointTrace& p : c->Points())
                l << QString("%1 %2 %3 %4").arg(c->Nom()).arg(p.x).arg(p.y).arg(p.couleur);
        for (int i = 0; i < v->Nb_Annotations(); ++i) {
            const Annotation& a = v->Annotation_Item(i);
            l << QString::asprintf("'%s' %g %g %d %g %g %d", qPrintable(a.texte), a.x, a.y, a.couleur,
                                   a.angle, a.taille, a.visible);
        }
        for (auto [x, t] : v->Graduations_X().toStdMap()) l << QString("tick %1").arg(x);
        l << QString("X %1 %2").arg(v->Min_X()).arg(v->Max_X());
        return l;
    }
};

// The six lines of varnel-trame for the same frame, in the window's order.
QStringList Cli(const SaisieFD_& s) {
    QStringList args{"--fd", "-d", s.dlc};
    if (s.etendue) args << "-e";
    if (s.brs) args << "--brs";
    if (s.esi) args << "--esi";
    args << s.id;
    for (int i = 0; i + 1 < s.octets.size(); i += 2) args << s.octets.mid(i, 2);
    QProcess p;
    p.start(VARNEL_BUILD_DIR "/varnel-trame", args);
    p.waitForFinished();
    QStringList t; // the six texts the window shows too, not the duration line
    for (const QString& ligne : QString::fromUtf8(p.readAllStandardOutput()).split('\n').mid(0, 6))
        t << ligne.mid(ligne.indexOf(": ") + 2);
    return t;
}

// Typed frames show the texts varnel-trame prints, and the worked frames of the reference
// (bus bits with the ACK slot dominant; the window shows the transmitter's recessive one and
// no ACK slot in the stuffed text, as for classic frames).
TEST(FD, TypedFramesShowTheCommandLineTexts) {
    const struct {
        SaisieFD_ s;
        const char* bus; // worked frame of the reference, or empty
        const char* crc;
    } table[] = {
        {{false, "000", "0"}, "00000100000100001000001001010100011010010010101111011011111111", "72BF"},
        {{false, "100", "1", "1F"},
         "0001000001000001100000101000111110010100100110010100011001001011111111",
         "9312"},
        {{false, "042", "8", Octets(8, 0)},
         "00000[1]1000010001000100000[1]00000[1]00000[1]000100000[1]0100000[1]001100000[1]100000[1]"
         "0010100000[1]"
         "1100000[1]0111{0}0110{1}0101{0}1010{1}1100{1}1101{0}01011111111",
         "B59A"},
        {{false, "042", "8", Octets(8, 0), true}, "", "1B77F"},
        {{true, "1ABCDEF0", "9", Octets(12), false, true}, "", nullptr},
        {{true, "12345678", "F", Octets(64, 0x37), true, true}, "", nullptr},
        {{true, "00000000", "0", {}, true}, "", nullptr},
        {{false, "7EF", "8", "FFFFFFFFFFFFFFFF", false, true}, "", nullptr},
    };
    for (const auto& c : table) {
        SCOPED_TRACE((c.s.id + " DLC " + c.s.dlc).toStdString());
        Fenetre w;
        w.Saisit(c.s);
        EXPECT_TRUE(w.pf.messages.empty());
        EXPECT_EQ(w.Textes(), Cli(c.s));
        if (c.crc) { EXPECT_EQ(w.f.Champ_CRC->text(), c.crc); }
        const QString bus = QString(c.bus).remove(QRegularExpression("[][{}]"));
        if (!bus.isEmpty()) {
            EXPECT_EQ(w.f.Trame_Bin_Stuf->text(), bus.left(bus.size() - 10) + QString(9, '1'));
            EXPECT_EQ(w.f.Text2->text(), QString::number(bus.size() - 1));
        }
    }
}

// CheckFD takes the place of the format choices' third row; FD mode changes the frame type
// box, shows BRS and ESI, lets the DLC reach F and tells its length; nothing overlaps.
TEST(FD, ControlsAndLayout) {
    Fenetre w;
    Form1& f = w.f;
    EXPECT_TRUE(f.CheckFD->isVisible() && f.CheckFD->text() == "CAN 2.0" && f.CheckBRS->isHidden() &&
                f.CheckESI->isHidden() && f.DonneesFD->isHidden());
    EXPECT_EQ(std::tuple(f.Rapport2->isChecked(), f.Rapport4->isChecked(), f.Rapport8->isChecked()),
              std::tuple(false, true, false));
    w.Clique(f.Check2); // a remote frame becomes a data frame: FD has none
    w.Clique(f.CheckFD);
    EXPECT_EQ(f.CheckFD->text(), "CAN FD");
    EXPECT_TRUE(!f.Check2->isChecked() && !f.Check2->isEnabled() &&
                f.Check2->text() == "Trame de données. RRS dominant");
    EXPECT_TRUE(f.CheckBRS->isVisible() && !f.CheckBRS->isChecked() &&
                f.CheckBRS->text() == "BRS : débit rapide");
    EXPECT_TRUE(f.CheckESI->isVisible() && !f.CheckESI->isChecked() &&
                f.CheckESI->text() == "ESI : émetteur passif");
    const std::tuple<const char*, const char*, bool> dlcs[] = {{"0", "DLC 0 = 0 octet", false},
                                                               {"1", "DLC 1 = 1 octet", true},
                                                               {"9", "DLC 9 = 12 octets", true},
                                                               {"D", "DLC D = 32 octets", true},
                                                               {"F", "DLC F = 64 octets", true}};
    QTest::keyClicks(f.Identifiant, "12");
    for (auto [dlc, sens, boite] : dlcs) {
        w.Dlc(dlc);
        EXPECT_EQ(f.Controle->text(), dlc);
        EXPECT_EQ(f.Controle->toolTip(), sens);
        EXPECT_EQ(f.DonneesFD->isVisible(), boite);
        EXPECT_TRUE(!boite || f.LabelDonneesFD->text() == QString("Données : ") + sens);
        for (const BoiteHexa* d : f.Data) EXPECT_TRUE(d->isHidden());
    }
    EXPECT_TRUE(w.pf.messages.empty()) << w.pf.dernierMessage().toStdString();
    QTest::keyClicks(f.DonneesFD, Octets(64));
    EXPECT_EQ(f.DonneesFD->toPlainText().count('\n'), 3); // four lines of sixteen bytes

    // The FD controls and the CRC box lie inside the band, apart from every other control.
    QList<QWidget*> vus;
    for (QWidget* c : f.Frame_Trame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (c->isVisible()) vus << c;
    for (QWidget* a : {static_cast<QWidget*>(f.CheckFD), static_cast<QWidget*>(f.CheckBRS),
                       static_cast<QWidget*>(f.CheckESI), static_cast<QWidget*>(f.LabelDonneesFD),
                       static_cast<QWidget*>(f.DonneesFD), static_cast<QWidget*>(f.Champ_CRC),
                       static_cast<QWidget*>(f.LabelCRC)}) {
        EXPECT_TRUE(f.Frame_Trame->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : vus)
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString();
    }
    // Back to classic: the classic refusal of a DLC above 8 again.
    w.Clique(f.CheckFD);
    w.Dlc("9");
    EXPECT_EQ(w.pf.dernierMessage(), "Nombre non autorisé!");
}

// The data box: the usual key filter and message, a blank between bytes as they are typed,
// no more digits than the DLC asks, digits (not blanks) removed by Backspace and Delete,
// hexadecimal text alone pasted, the bytes beyond a lowered DLC given back when it grows.
TEST(FD, DataBoxTypingAndLength) {
    Fenetre w;
    Form1& f = w.f;
    w.Saisit({false, "123", "3"});
    BoiteOctets* d = f.DonneesFD;
    QTest::keyClicks(d, "0a1");
    EXPECT_EQ(d->toPlainText(), "0A 1");
    QTest::keyClick(d, Qt::Key_G);
    EXPECT_EQ(w.pf.dernierMessage(), "La valeur saisie n'est pas une valeur hexadécimale!");
    EXPECT_EQ(w.pf.messages.back().titre, "Erreur de saisie");
    EXPECT_EQ(d->toPlainText(), "0A 1");
    QTest::keyClicks(d, "23456");
    EXPECT_EQ(d->toPlainText(), "0A 12 34"); // six digits for DLC 3: the rest is swallowed
    QTest::keyClick(d, Qt::Key_Left), QTest::keyClick(d, Qt::Key_Left), QTest::keyClick(d, Qt::Key_Left);
    QTest::keyClick(d, Qt::Key_Backspace); // the blank stands before the cursor: the 2 goes
    EXPECT_EQ(d->toPlainText(), "0A 13 4");
    QTest::keyClick(d, Qt::Key_Delete);
    EXPECT_EQ(d->toPlainText(), "0A 14");
    EXPECT_TRUE(f.Trame_Bin->text().contains(" 010000011 00001010 00010100 "))
        << f.Trame_Bin->text().toStdString();
    d->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText("zz");
    QTest::keyClick(d, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(d->chiffres(), "0A14");
    QApplication::clipboard()->setText("b6\n 77");
    QTest::keyClick(d, Qt::Key_V, Qt::ControlModifier); // cut to what the DLC still allows
    EXPECT_EQ(d->toPlainText(), "0A 14 B6");
    w.Dlc("1");
    EXPECT_EQ(d->toPlainText(), "0A");
    w.Dlc("2");
    EXPECT_EQ(d->toPlainText(), "0A 14");
    EXPECT_EQ(f.FD.saisie.Octets, (std::vector<uint8_t>{0x0A, 0x14}));
}

// Classic -> FD -> classic keeps the bytes and leaves the classic frame and its drawing as
// they were; 64 FD bytes survive a visit to the eight classic boxes.
TEST(FD, ClassicAndBack) {
    Fenetre w;
    Form1& f = w.f;
    f.Legend->setChecked(true);
    QTest::keyClicks(f.Identifiant, "123");
    w.Dlc("3");
    for (int k = 0; k < 3; ++k) QTest::keyClicks(f.Data[k], Octets(1, 0xA0 + k));
    f.Instantanne->trigger();
    const QStringList textes = w.Textes(), dessin = w.Contenu();
    w.Clique(f.CheckFD);
    EXPECT_EQ(f.DonneesFD->toPlainText(), "A0 A1 A2");
    EXPECT_EQ(f.Controle->text(), "3");
    EXPECT_EQ(f.Trame_Bin->text().count(' '), 10); // SOF id RRS control, three bytes, SC CRC 11 1111111
    w.Clique(f.CheckFD);
    EXPECT_EQ(w.Textes(), textes);
    f.Instantanne->trigger();
    EXPECT_EQ(w.Contenu(), dessin);

    w.Clique(f.CheckFD);
    w.Dlc("F");
    QTest::keyClicks(f.DonneesFD, Octets(61, 0x10)); // after A0 A1 A2
    const QStringList fd = w.Textes();
    w.Clique(f.CheckFD);
    EXPECT_EQ(f.Controle->text(), "8");
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(f.Data[k]->text(), k < 3 ? Octets(1, 0xA0 + k) : Octets(1, 0x10 + k - 3));
    w.Clique(f.CheckFD);
    w.Dlc("F");
    EXPECT_EQ(w.Textes(), fd);

    // Fewer bytes in FD than the classic boxes held: back in classic, the frame is that of
    // the boxes as a user would have typed them, nothing left of the bytes removed.
    Fenetre moins, tape;
    for (Fenetre* x : {&moins, &tape}) {
        QTest::keyClicks(x->f.Identifiant, "123");
        x->Dlc("3");
    }
    for (int k = 0; k < 3; ++k) QTest::keyClicks(moins.f.Data[k], Octets(1, 0xA0 + k));
    moins.Clique(moins.f.CheckFD);
    for (int i = 0; i < 3; ++i) QTest::keyClick(moins.f.DonneesFD, Qt::Key_Backspace);
    moins.Clique(moins.f.CheckFD);
    QTest::keyClicks(tape.f.Data[0], "A0"), QTest::keyClicks(tape.f.Data[1], "A");
    EXPECT_EQ(moins.Textes(), tape.Textes());
}

// Where the test expects cell j of a drawn frame: nominal cells of 5, the data phase (after
// BRS up to the last CRC bit) `rapport` times narrower.
std::vector<double> Debuts(const QString& dr, int brs, int rapport) {
    std::vector<double> x{15};
    const int crcd = int(dr.size()) - 10;
    for (int j = 0; j < dr.size(); ++j)
        x.push_back(x.back() + (brs >= 0 && j > brs && j < crcd ? 5.0 / rapport : 5));
    return x;
}

QStringList Noms(const SaisieFD_& s, int octets) {
    QStringList n{"SOF"};
    auto ids = [&](int de, int a) {
        for (int i = de; i >= a; --i) n << QString("ID%1").arg(i);
    };
    s.etendue ? (ids(28, 18), n.append({"SRR", "IDE"}), ids(17, 0)) : ids(10, 0);
    n << "RRS";
    if (!s.etendue) n << "IDE";
    n.append({"FDF", "res", "BRS", "ESI", "DLC3", "DLC2", "DLC1", "DLC0"});
    for (int k = 0; k < octets; ++k) n << QString("d%1.7").arg(k) << QString("d%1.0").arg(k);
    n.append({"SC2", "SC1", "SC0", "P", octets > 16 ? "CRC.20" : "CRC.16", "CRC.0", "CRCD", "ACK", "ACKD",
              "EOF.6", "EOF.0"});
    return n;
}

// Drawn frames: a name over each named cell, "S" (blue) over dynamic and "F" (orange) over
// fixed stuff bits, cells 5 wide or 5 / ratio in the data phase, the four traces at the levels
// of the transmitter, receiver 1 and the bus, the time axis over the whole frame. Step by step
// (one cell per activation, one more to end) draws what "Instantanné" draws.
TEST(FD, DrawnFramesCellByCell) {
    const struct {
        SaisieFD_ s;
        int rapport, octets;
        double fin, plage; // end of the last cell, X range
        bool legende;
    } table[] = {
        {{false, "000", "0"}, 4, 0, 325, 400, true},
        {{false, "100", "1", "1F", true}, 4, 1, 15 + 5 * 29 + 1.25 * 40, 250, true},
        {{false, "100", "1", "1F", true}, 8, 1, 15 + 5 * 29 + 0.625 * 40, 250, false},
        {{true, "1ABCDEF0", "9", Octets(12), true, true}, 2, 12, -1, -1, true},
        {{true, "00000000", "F", QString(128, '0'), true}, 4, 64, -1, -1, true},
        {{true, "12345678", "8", Octets(8), false, true}, 4, 8, -1, -1, true},
    };
    for (const auto& c : table) {
        SCOPED_TRACE((c.s.id + " DLC " + c.s.dlc + " x" + QString::number(c.rapport)).toStdString());
        Fenetre w;
        Form1& f = w.f;
        (c.rapport == 2 ? f.Rapport2 : c.rapport == 8 ? f.Rapport8 : f.Rapport4)->trigger();
        w.Saisit(c.s, c.legende);
        const QString dr = f.TrameDR->text();
        const int brs = c.s.brs ? int(Noms(c.s, c.octets).indexOf("BRS")) : -1;
        int brsCell = -1;
        for (int j = 0, n = 0; brs >= 0 && j < dr.size(); ++j)
            if (!QString("sSfF").contains(dr[j]) && n++ == brs) brsCell = j;
        const std::vector<double> x = Debuts(dr, brsCell, c.rapport);
        if (c.fin > 0) { EXPECT_EQ(x.back(), c.fin); }
        EXPECT_EQ(f.Visu_CAN->Max_X(), c.plage > 0 ? c.plage : std::ceil((x.back() + 30) / 50) * 50);

        int k = 0;
        for (; f.Pas_a_Pas->isEnabled() && k < 1000; ++k) {
            f.Pas_a_Pas->trigger();
            const double bout = f.Courbe_Emet->Points().back().x;
            EXPECT_EQ(bout, x[std::min(k + 1, int(dr.size()))]) << k;
        }
        EXPECT_TRUE(k == dr.size() + 1 && f.Trace_Fini && !f.Menu_Actif(f.Affichage)) << k;
        const QStringList pas = w.Contenu();
        QTest::mouseClick(f.BP_Clear, Qt::LeftButton);
        f.Instantanne->trigger();
        EXPECT_EQ(w.Contenu(), pas);
        EXPECT_TRUE(w.pf.messages.empty());

        // Texts: cursor, Idle, then names and marks over the centres of their cells.
        const double y = c.legende ? 90 : 450, taille = Val_Hexa(c.s.dlc.toStdString()) < 5 ? 8 : 7;
        ASSERT_GT(w.v->Nb_Annotations(), 2);
        EXPECT_EQ(w.v->Annotation_Item(1).texte, "Idle");
        QStringList noms;
        int j = -1;
        for (int i = 2; i < w.v->Nb_Annotations(); ++i) {
            const Annotation& a = w.v->Annotation_Item(i);
            const bool marque = a.angle == 0;
            while (++j < dr.size() && (x[j] + x[j + 1]) / 2 != a.x) {
                EXPECT_FALSE(QString("sSfF").contains(dr[j])) << "unmarked stuff bit " << j;
            }
            ASSERT_LT(j, dr.size()) << a.texte.toStdString();
            const QChar l = dr[j];
            if (marque) {
                EXPECT_EQ(a.texte, l == 's' || l == 'S' ? "S" : "F");
                EXPECT_EQ(a.couleur, a.texte == "S" ? Bleu : Orange);
                EXPECT_TRUE(QString("sSfF").contains(l));
            } else {
                noms << a.texte;
                EXPECT_EQ(a.couleur, a.texte == "SOF" ? Rouge : Vert);
                --j; // a mark may follow over the same cell
            }
            EXPECT_EQ(std::tuple(a.y, a.taille, a.ancre), std::tuple(y, taille, 4));
        }
        EXPECT_EQ(noms, Noms(c.s, c.octets));

        // Levels at the end of each cell: emitter = letter, receiver dominant in the ACK slot
        // only, the bus = both.
        auto niveau = [](const Courbe* t, double milieu) {
            double y_ = 0;
            for (const PointTrace& p : t->Points())
                if (p.x <= milieu) y_ = p.y;
            return y_;
        };
        const int ack = int(dr.size()) - 9;
        for (int jj = 0; jj < dr.size(); ++jj) {
            const bool dom = QString("Dsf").contains(dr[jj]), recDom = jj == ack;
            const double milieu = (x[jj] + x[jj + 1]) / 2;
            EXPECT_EQ(niveau(f.Courbe_Emet, milieu), dom ? 0 : 10) << jj;
            EXPECT_EQ(niveau(f.Courbe_Recep, milieu), recDom ? 6 : 16) << jj;
            EXPECT_EQ(niveau(f.Courbe_CANH, milieu), dom || recDom ? 18 : 6) << jj;
            EXPECT_EQ(niveau(f.Courbe_CANL, milieu), dom || recDom ? -9 : 3) << jj;
        }
        const auto ticks = w.v->Graduations_X();
        for (double xx : x) EXPECT_TRUE(ticks.contains(xx)) << xx;
    }
}

// Around a drawn FD frame: inspection of marks and names, legend and layers, black and
// white, copy and print, the rate items, wheel zoom and middle-button pan undone by
// "Effacer" and by each new drawing.
TEST(FD, AroundTheDrawing) {
    Fenetre w;
    Form1& f = w.f;
    w.Saisit({false, "100", "1", "1F", true});
    f.Instantanne->trigger();
    w.v->replot();
    for (auto [texte, vu] : {std::pair{"F", "Stuff fixe"}, {"S", "Stuff"}, {"BRS", "BRS"}}) {
        int i = 0;
        while (i < w.v->Nb_Annotations() && w.v->Annotation_Item(i).texte != texte) ++i;
        ASSERT_LT(i, w.v->Nb_Annotations()) << texte;
        f.Visu_CAN_Annotation(i);
        EXPECT_EQ(f.Text4->text(), vu);
    }
    f.Masquer->trigger();
    for (int i = 1; i < w.v->Nb_Annotations(); ++i) EXPECT_EQ(w.v->Annotation_Item(i).y, 450);
    f.Af_legend->trigger();
    EXPECT_EQ(w.v->Annotation_Item(1).y, 26);
    EXPECT_EQ(w.v->Annotation_Item(5).y, 90);
    f.Aff_Emet->trigger();
    EXPECT_EQ(f.Courbe_Emet->Decalage_Y(), 200);
    f.Aff_Emet->trigger();
    f.Noir_Blanc->trigger();
    for (const PointTrace& p : f.Courbe_CANH->Points()) EXPECT_EQ(p.couleur, 0);
    w.pf.reponses = {Plateforme::Reponse::Oui};
    f.Copie_PP->trigger();
    EXPECT_FALSE(w.pf.pressePapier.isNull());
    f.Imprimer->trigger();
    EXPECT_EQ(w.pf.imprimees.size(), 1u);

    const double plage = w.v->Max_X();
    QWheelEvent roue(QPointF(300, 200), w.v->mapToGlobal(QPointF(300, 200)), {}, {0, 120 * 10}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.v, &roue);
    EXPECT_LT(w.v->xAxis->range().size(), plage / 4);
    QTest::mousePress(w.v, Qt::MiddleButton, {}, {300, 200});
    QMouseEvent glisse(QEvent::MouseMove, QPointF(200, 200), w.v->mapToGlobal(QPointF(200, 200)),
                       Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(w.v, &glisse);
    QTest::mouseRelease(w.v, Qt::MiddleButton, {}, {200, 200});
    EXPECT_GT(w.v->xAxis->range().lower, 0);
    QTest::mouseClick(f.BP_Clear, Qt::LeftButton);
    EXPECT_EQ(w.v->xAxis->range(), QCPRange(0, plage));
    QApplication::sendEvent(w.v, &roue);
    f.Pas_a_Pas->trigger();
    EXPECT_EQ(w.v->xAxis->range(), QCPRange(0, plage));

    // ×8 narrows the fast cells: the drawing starts again on a shorter axis; one item checked.
    f.Rapport8->trigger();
    EXPECT_EQ(std::tuple(f.Rapport2->isChecked(), f.Rapport4->isChecked(), f.Rapport8->isChecked()),
              std::tuple(false, false, true));
    EXPECT_EQ(w.v->Nb_Annotations(), 0);
    f.Rapport8->trigger();
    EXPECT_TRUE(f.Rapport8->isChecked());
    f.Instantanne->trigger();
    EXPECT_EQ(f.Courbe_Emet->Points().back().x, 15 + 5 * 29 + 0.625 * 40);
    // Without BRS every cell is nominal whatever the ratio.
    w.Clique(f.CheckBRS);
    f.Instantanne->trigger();
    EXPECT_EQ(f.Courbe_Emet->Points().back().x, 15 + 5 * f.TrameDR->text().size());
}

} // namespace
} // namespace varnel
