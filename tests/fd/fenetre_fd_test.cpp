// CAN FD frames in the window: typed as a user does, shown as varnel-trame prints them,
// drawn bit time by bit time with the fast data phase, and the way back to classic frames.
#include "../editor/editeur.h"

#include <QClipboard>
#include <QProcess>
#include <QWheelEvent>

#include <cmath>

namespace varnel {
namespace {

constexpr int Orange = 0x0080FF, Bleu = 0xFF0000, Vert = 0x008000, Rouge = 0x0000FF;

struct SaisieFD_ {
    bool etendue;
    QString id, dlc, octets = {}; // hexadecimal digits, no blanks
    bool brs = false, esi = false;
};

QString Octets(int n, int depart = 1) { // n bytes counting up from `depart`
    QString s;
    for (int i = 0; i < n; ++i) s += QString::asprintf("%02X", (depart + i) & 0xFF);
    return s;
}

struct FD : Fenetre, ::testing::Test {
    void SaisitFD(const SaisieFD_& s) {
        Coche(f->CheckFD, true), Saisit(s.etendue, false, s.id, s.dlc, {s.octets});
        Coche(f->CheckBRS, s.brs), Coche(f->CheckESI, s.esi);
    }
};

// The six lines of varnel-trame for the same frame, in the window's order.
QStringList Cli(const SaisieFD_& s) {
    QStringList args{"--fd", "-d", s.dlc, s.etendue ? "-e" : "", s.brs ? "--brs" : "", s.esi ? "--esi" : "",
                     s.id};
    for (int i = 0; i + 1 < s.octets.size(); i += 2) args << s.octets.mid(i, 2);
    QProcess p;
    p.start(VARNEL_BUILD_DIR "/varnel-trame", (args.removeAll(""), args));
    p.waitForFinished();
    QStringList t;
    for (const QString& ligne : QString::fromUtf8(p.readAllStandardOutput()).split('\n').mid(0, 6))
        t << ligne.mid(ligne.indexOf(": ") + 2);
    return t;
}

// Typed frames show the six texts varnel-trame prints for the same frame.
TEST_F(FD, TypedFramesShowTheCommandLineTexts) {
    const SaisieFD_ table[] = {{false, "000", "0"},
                               {false, "100", "1", "1F"},
                               {false, "042", "8", Octets(8, 0), true},
                               {true, "1ABCDEF0", "9", Octets(12), false, true},
                               {true, "12345678", "F", Octets(64, 0x37), true, true},
                               {true, "00000000", "0", {}, true},
                               {false, "7EF", "8", "FFFFFFFFFFFFFFFF", false, true}};
    for (const auto& s : table) {
        SCOPED_TRACE((s.id + " DLC " + s.dlc).toStdString());
        Neuve(true), SaisitFD(s);
        EXPECT_EQ(Messages(), Msgs{});
        EXPECT_EQ(Textes(), Cli(s));
    }
}

// CheckFD takes the place of the format choices' third row; FD mode changes the frame type
// box, shows BRS and ESI, lets the DLC reach F and tells its length; nothing overlaps.
TEST_F(FD, ControlsAndLayout) {
    EXPECT_TRUE(f->CheckFD->isVisible() && f->CheckFD->text() == "CAN 2.0" && f->CheckBRS->isHidden() &&
                f->CheckESI->isHidden() && f->DonneesFD->isHidden());
    EXPECT_TRUE(!f->Rapport2->isChecked() && f->Rapport4->isChecked() && !f->Rapport8->isChecked());
    Clique(f->Check2); // a remote frame becomes a data frame: FD has none
    Clique(f->CheckFD);
    EXPECT_EQ(f->CheckFD->text(), "CAN FD");
    EXPECT_TRUE(!f->Check2->isChecked() && !f->Check2->isEnabled() &&
                f->Check2->text() == "Trame de données. RRS dominant");
    for (auto [c, texte] :
         {std::pair{f->CheckBRS, "BRS : débit rapide"}, {f->CheckESI, "ESI : émetteur passif"}})
        EXPECT_TRUE(c->isVisible() && !c->isChecked() && c->text() == QString(texte));
    const std::tuple<const char*, const char*, bool> dlcs[] = {
        {"0", "DLC 0 = 0 octet", false},  {"1", "DLC 1 = 1 octet", true},   {"2", "DLC 2 = 2 octets", true},
        {"9", "DLC 9 = 12 octets", true}, {"D", "DLC D = 32 octets", true}, {"F", "DLC F = 64 octets", true}};
    Tape(f->Identifiant, "12");
    for (auto [dlc, sens, boite] : dlcs) {
        Dlc(dlc);
        EXPECT_TRUE(f->Controle->text() == dlc && f->Controle->toolTip() == sens &&
                    f->DonneesFD->isVisible() == boite &&
                    (!boite || f->LabelDonneesFD->text() == QString("Données : ") + sens))
            << dlc;
        for (const BoiteHexa* d : f->Data) EXPECT_TRUE(d->isHidden());
    }
    EXPECT_EQ(Messages(), Msgs{});
    Tape(f->DonneesFD, Octets(64));
    EXPECT_EQ(f->DonneesFD->toPlainText().count('\n'), 3); // four lines of sixteen bytes

    // The FD controls and the CRC box lie inside the band, apart from every other control.
    QList<QWidget*> vus;
    for (QWidget* c : f->Frame_Trame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (c->isVisible()) vus << c;
    for (QWidget* a : std::initializer_list<QWidget*>{f->CheckFD, f->CheckBRS, f->CheckESI, f->LabelDonneesFD,
                                                      f->DonneesFD, f->Champ_CRC, f->LabelCRC}) {
        EXPECT_TRUE(f->Frame_Trame->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : vus)
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " / " << b->objectName().toStdString();
    }
    Clique(f->CheckFD); // back to classic: the classic refusal of a DLC above 8 again
    Dlc("9");
    EXPECT_EQ(pf.dernierMessage(), "Nombre non autorisé!");
}

// The data box: the usual key filter and message, a blank between bytes as they are typed,
// no more digits than the DLC asks, digits (not blanks) removed by Backspace and Delete,
// hexadecimal text alone pasted, the bytes beyond a lowered DLC given back when it grows.
TEST_F(FD, DataBoxTypingAndLength) {
    SaisitFD({false, "123", "3"});
    BoiteOctets* d = f->DonneesFD;
    Tape(d, "0a1");
    EXPECT_EQ(d->toPlainText(), "0A 1");
    QTest::keyClick(d, Qt::Key_G);
    EXPECT_EQ(Messages(), Msgs{"La valeur saisie n'est pas une valeur hexadécimale! | Erreur de saisie"});
    EXPECT_EQ(d->toPlainText(), "0A 1");
    Tape(d, "23456");
    EXPECT_EQ(d->toPlainText(), "0A 12 34"); // six digits for DLC 3: the rest is swallowed
    for (int i = 0; i < 3; ++i) QTest::keyClick(d, Qt::Key_Left);
    Retour(d); // the blank stands before the cursor: the 2 goes
    EXPECT_EQ(d->toPlainText(), "0A 13 4");
    QTest::keyClick(d, Qt::Key_Delete);
    EXPECT_EQ(d->toPlainText(), "0A 14");
    EXPECT_TRUE(f->Trame_Bin->text().contains(" 010000011 00001010 00010100 "))
        << f->Trame_Bin->text().toStdString();
    d->moveCursor(QTextCursor::End);
    for (auto [colle, vu] : {std::pair{"zz", "0A 14"}, {"b6\n 77", "0A 14 B6"}}) { // cut to the DLC
        QApplication::clipboard()->setText(colle);
        QTest::keyClick(d, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(d->toPlainText(), vu);
    }
    Dlc("1");
    EXPECT_EQ(d->toPlainText(), "0A");
    Dlc("2");
    EXPECT_EQ(d->toPlainText(), "0A 14");
    EXPECT_EQ(f->FD.saisie.Octets, (std::vector<uint8_t>{0x0A, 0x14}));
}

// Classic -> FD -> classic keeps the bytes and leaves the classic frame and its drawing as
// they were; 64 FD bytes survive a visit to the eight classic boxes.
TEST_F(FD, ClassicAndBack) {
    Neuve(true), Saisit(false, false, "123", "3", {"A0", "A1", "A2"});
    f->Instantanne->trigger();
    const QStringList textes = Textes(), dessin = Contenu();
    Clique(f->CheckFD);
    EXPECT_TRUE(f->DonneesFD->toPlainText() == "A0 A1 A2" && f->Controle->text() == "3");
    EXPECT_EQ(f->Trame_Bin->text().count(' '), 10); // SOF id RRS control, three bytes, SC CRC 11 1111111
    Clique(f->CheckFD);
    EXPECT_EQ(Textes(), textes);
    f->Instantanne->trigger();
    EXPECT_EQ(Contenu(), dessin);

    Clique(f->CheckFD), Dlc("F"), Tape(f->DonneesFD, Octets(61, 0x10)); // after A0 A1 A2
    const QStringList fd = Textes();
    Clique(f->CheckFD);
    EXPECT_EQ(f->Controle->text(), "8");
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(f->Data[k]->text(), k < 3 ? Octets(1, 0xA0 + k) : Octets(1, 0x10 + k - 3));
    Clique(f->CheckFD), Dlc("F");
    EXPECT_EQ(Textes(), fd);

    // Fewer bytes in FD than the classic boxes held: back in classic, the frame is that of
    // the boxes as a user would have typed them, nothing left of the bytes removed.
    Neuve(), Saisit(false, false, "123", "3", {"A0", "A1", "A2"}), Clique(f->CheckFD);
    for (int i = 0; i < 3; ++i) Retour(f->DonneesFD);
    Clique(f->CheckFD);
    const QStringList moins = Textes();
    Neuve(), Saisit(false, false, "123", "3", {"A0", "A"});
    EXPECT_EQ(moins, Textes());
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
// fixed stuff bits, cells 5 wide or 5 / ratio in the data phase (after BRS up to the last CRC
// bit), the four traces at the levels of the transmitter, receiver 1 and the bus, the time axis
// over the whole frame. Step by step (one cell per activation, one more to end) draws what
// "Instantanné" draws.
TEST_F(FD, DrawnFramesCellByCell) {
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
        Neuve(c.legende);
        (c.rapport == 2 ? f->Rapport2 : c.rapport == 8 ? f->Rapport8 : f->Rapport4)->trigger();
        SaisitFD(c.s);
        const QString dr = f->TrameDR->text();
        int brs = c.s.brs ? int(Noms(c.s, c.octets).indexOf("BRS")) : -1; // its cell, past stuff bits
        for (int j = 0; brs >= 0 && j <= brs; ++j) brs += QString("sSfF").contains(dr[j]);
        std::vector<double> x{15}; // where cell j starts
        for (int j = 0; j < dr.size(); ++j)
            x.push_back(x.back() + (brs >= 0 && j > brs && j < dr.size() - 10 ? 5.0 / c.rapport : 5));
        if (c.fin > 0) { EXPECT_EQ(x.back(), c.fin); }
        EXPECT_EQ(v()->Max_X(), c.plage > 0 ? c.plage : std::ceil((x.back() + 30) / 50) * 50);

        int k = 0;
        for (; f->Pas_a_Pas->isEnabled() && k < 1000; ++k) {
            f->Pas_a_Pas->trigger();
            EXPECT_EQ(f->Courbe_Emet->Points().back().x, x[std::min(k + 1, int(dr.size()))]) << k;
        }
        EXPECT_TRUE(k == dr.size() + 1 && f->Trace_Fini && !f->Menu_Actif(f->Affichage)) << k;
        const QStringList pas = Contenu();
        QTest::mouseClick(f->BP_Clear, Qt::LeftButton);
        f->Instantanne->trigger();
        EXPECT_EQ(Contenu(), pas);
        EXPECT_TRUE(pf.messages.empty());
        for (double xx : x) EXPECT_TRUE(v()->Graduations_X().contains(xx)) << xx;

        // Texts: cursor, Idle, then names and marks over the centres of their cells.
        const double y = c.legende ? 90 : 450, taille = Val_Hexa(c.s.dlc.toStdString()) < 5 ? 8 : 7;
        ASSERT_GT(v()->Nb_Annotations(), 2);
        EXPECT_EQ(v()->Annotation_Item(1).texte, "Idle");
        QStringList noms;
        for (int i = 2, j = -1; i < v()->Nb_Annotations(); ++i) {
            const Annotation& a = v()->Annotation_Item(i);
            while (++j < dr.size() && (x[j] + x[j + 1]) / 2 != a.x)
                EXPECT_FALSE(QString("sSfF").contains(dr[j])) << "unmarked stuff bit " << j;
            ASSERT_LT(j, dr.size()) << a.texte.toStdString();
            const bool stuff = dr[j] == 's' || dr[j] == 'S';
            if (a.angle == 0) { // a mark
                EXPECT_TRUE(QString("sSfF").contains(dr[j]));
                EXPECT_EQ(a.texte + QString::number(a.couleur),
                          stuff ? "S" + QString::number(Bleu) : "F" + QString::number(Orange));
            } else {
                noms << a.texte;
                EXPECT_EQ(a.couleur, a.texte == "SOF" ? Rouge : Vert);
                --j; // a mark may follow over the same cell
            }
            EXPECT_EQ(std::tuple(a.y, a.taille, a.ancre), std::tuple(y, taille, 4));
        }
        EXPECT_EQ(noms, Noms(c.s, c.octets));

        // Levels mid-cell: emitter = letter, receiver dominant in the ACK slot only, the bus = both.
        const auto niveau = [](const Courbe* t, double milieu) {
            double n = 0;
            for (const PointTrace& p : t->Points())
                if (p.x <= milieu) n = p.y;
            return n;
        };
        for (int j = 0; j < dr.size(); ++j) {
            const bool dom = QString("Dsf").contains(dr[j]), ack = j == dr.size() - 9;
            const double m = (x[j] + x[j + 1]) / 2;
            EXPECT_EQ(std::tuple(niveau(f->Courbe_Emet, m), niveau(f->Courbe_Recep, m),
                                 niveau(f->Courbe_CANH, m), niveau(f->Courbe_CANL, m)),
                      std::tuple(dom ? 0 : 10, ack ? 6 : 16, dom || ack ? 18 : 6, dom || ack ? -9 : 3))
                << j;
        }
    }
}

// Around a drawn FD frame: inspection of a fixed stuff mark and of a name, wheel zoom and
// middle-button pan undone by "Effacer" and by each new drawing, the rate items.
TEST_F(FD, AroundTheDrawing) {
    Neuve(true), SaisitFD({false, "100", "1", "1F", true});
    f->Instantanne->trigger();
    v()->replot();
    for (auto [texte, vu] : {std::pair{"F", "Stuff fixe"}, {"S", "Stuff"}, {"BRS", "BRS"}}) {
        int i = 0;
        while (i < v()->Nb_Annotations() && v()->Annotation_Item(i).texte != texte) ++i;
        ASSERT_LT(i, v()->Nb_Annotations()) << texte;
        f->Visu_CAN_Annotation(i);
        EXPECT_EQ(f->Text4->text(), vu);
    }
    const double plage = v()->Max_X();
    QWheelEvent roue(QPointF(300, 200), v()->mapToGlobal(QPointF(300, 200)), {}, {0, 120 * 10}, Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v(), &roue);
    EXPECT_LT(v()->xAxis->range().size(), plage / 4);
    QTest::mousePress(v(), Qt::MiddleButton, {}, {300, 200});
    QMouseEvent glisse(QEvent::MouseMove, QPointF(200, 200), v()->mapToGlobal(QPointF(200, 200)),
                       Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(v(), &glisse);
    QTest::mouseRelease(v(), Qt::MiddleButton, {}, {200, 200});
    EXPECT_GT(v()->xAxis->range().lower, 0);
    QTest::mouseClick(f->BP_Clear, Qt::LeftButton);
    EXPECT_EQ(v()->xAxis->range(), QCPRange(0, plage));
    QApplication::sendEvent(v(), &roue);
    f->Pas_a_Pas->trigger();
    EXPECT_EQ(v()->xAxis->range(), QCPRange(0, plage));

    // ×8 narrows the fast cells: the drawing starts again on a shorter axis; one item checked.
    f->Rapport8->trigger();
    EXPECT_TRUE(!f->Rapport2->isChecked() && !f->Rapport4->isChecked() && f->Rapport8->isChecked());
    EXPECT_EQ(v()->Nb_Annotations(), 0);
    f->Rapport8->trigger();
    EXPECT_TRUE(f->Rapport8->isChecked());
    f->Instantanne->trigger();
    EXPECT_EQ(f->Courbe_Emet->Points().back().x, 15 + 5 * 29 + 0.625 * 40);
    Clique(f->CheckBRS); // without BRS every cell is nominal whatever the ratio
    f->Instantanne->trigger();
    EXPECT_EQ(f->Courbe_Emet->Points().back().x, 15 + 5 * f->TrameDR->text().size());
}

} // namespace
} // namespace varnel
