// Drawing a frame on the signal plot, step by step and at once; inspecting it with the mouse.
#include "../editor/editeur.h"

namespace varnel {
namespace {

struct Saisie {
    bool etendue, requete;
    QString identifiant, dlc = "0";
    QStringList donnees = {};
};

struct Simulation : Fenetre, ::testing::Test {
    void Prend(const Saisie& s, bool legende = true) {
        Neuve(legende), Saisit(s.etendue, s.requete, s.identifiant, s.dlc, s.donnees);
    }
    void Retape(const QString& id) { f->Identifiant->clear(), Tape(f->Identifiant, id); }
};

const auto Stuff = [](QChar c) { return c == 'S' || c == 's'; };
using Noms = std::vector<std::pair<QString, int>>; // name, bit position without stuff (SOF 0)

Noms Attendus(const Saisie& s) {
    QStringList n{"SOF"};
    auto ids = [&](int de, int a) {
        for (int i = de; i >= a; --i) n << QString("ID%1").arg(i);
    };
    s.etendue ? ids(28, 18), n.append({"SRR", "IDE"}), ids(17, 0) : ids(10, 0);
    n.append({"RTR", "r1", "r0", "DLC3", "DLC2", "DLC1", "DLC0"});
    Noms r;
    for (int p = 0; p < n.size(); ++p) r.push_back({n[p], p});
    int p = int(n.size());
    for (int k = 0; k < (s.requete ? 0 : s.dlc.toInt()); ++k, p += 8)
        r.insert(r.end(), {{QString("d%1.7").arg(k), p}, {QString("d%1.0").arg(k), p + 7}});
    const std::pair<const char*, int> fin[] = {{"CRC.14", 0}, {"CRC.0", 14}, {"CRCD", 15}, {"ACK", 16},
                                               {"ACKD", 17},  {"EOF.6", 18}, {"EOF.0", 24}};
    for (auto [t, d] : fin) r.push_back({t, p + d});
    return r;
}

// Step by step (a cell per activation, stuff bits included, one more to end) equals at once:
// names under their bits, blue "S" on stuff bits, texts at Y 450 without legend. A finished
// drawing locks Affichage until "Effacer" or a new frame; drawings reset the time range.
TEST_F(Simulation, CompleteDrawingNamesEveryBitUnderItsCell) {
    const struct {
        Saisie s;
        bool legende;
        double taille; // of every text but the cursor
    } table[] = {{{false, false, "123"}, true, 8},
                 {{false, false, "000"}, true, 8},
                 {{false, false, "000"}, false, 8},
                 {{false, true, "123", "8"}, true, 9},
                 {{false, false, "123", "2", {"00", "FF"}}, true, 8},
                 {{true, true, "1ABCDEF0", "8"}, true, 9},
                 {{true, false, "00000000", "8", QStringList(8, "00")}, true, 7}};
    for (const auto& c : table) {
        SCOPED_TRACE(&c - table);
        Prend(c.s, c.legende);
        const QString dr = f->TrameDR->text();
        const QCPRange plage = v()->xAxis->range();
        v()->xAxis->setRange(300, 420);
        int k = 0;
        for (double x = f->Pos_X; f->Pas_a_Pas->isEnabled() && k < 400; x = f->Pos_X) {
            f->Pas_a_Pas->trigger();
            EXPECT_EQ(f->Pos_X, ++k == 1 ? 20 : k <= dr.size() ? x + 5 : x) << k;
            EXPECT_TRUE(f->Menu_Actif(f->Legende) && f->Masquer->isEnabled() == c.legende);
        }
        EXPECT_TRUE(k == dr.size() + 1 && f->Trace_Fini && !f->Pas_Lance && pf.messages.empty()) << k;
        EXPECT_FALSE(f->Menu_Actif(f->Affichage) || f->Pas_a_Pas->isEnabled() || f->Instantanne->isEnabled());
        const QStringList pas_a_pas = Contenu();
        f->Pas_a_Pas_Click();
        EXPECT_EQ(Contenu(), pas_a_pas);
        QTest::mouseClick(f->BP_Clear, Qt::LeftButton);
        EXPECT_TRUE(f->Menu_Actif(f->Affichage) && f->Pas_a_Pas->isEnabled() && v()->Nb_Annotations() == 0);
        v()->xAxis->setRange(300, 420), f->Instantanne->trigger();
        EXPECT_TRUE(!f->Menu_Actif(f->Affichage) && v()->xAxis->range() == plage);
        EXPECT_EQ(Contenu(), pas_a_pas);

        ASSERT_GE(v()->Nb_Annotations(), 3);
        const double y = c.legende ? 90 : 450;
        QString debut; // the cursor in black, "Idle" in green, the SOF name in red
        for (int i = 0; i < 3; ++i) {
            const Annotation& a = v()->Annotation_Item(i);
            debut += QString::asprintf("%s %g %g %06X %g %g|", qPrintable(a.texte), a.x, a.y, a.couleur,
                                       a.angle, i ? a.taille : 0.);
        }
        EXPECT_EQ(debut,
                  QString::asprintf("<  > 0.75 4 000000 0 0|Idle %d %g 008000 0 %g|SOF %d %g 0000FF 90 %g|",
                                    f->Decal_Texte, c.legende ? 26. : 450., c.taille, f->Decal_Texte + 12, y,
                                    c.taille));
        Noms noms{{v()->Annotation_Item(2).texte, 0}};
        long marques = 0;
        for (int i = 3, j_prec = 0; i < v()->Nb_Annotations(); ++i) {
            const Annotation& a = v()->Annotation_Item(i);
            const bool s = a.texte == "S"; // a mark starts its cell, a name ends it
            const int j = qRound((a.x - (s ? f->Decal_Texte - 2 : f->Decal_Champ) - 15) / 5) + s;
            SCOPED_TRACE(a.texte.toStdString() + " at bit " + std::to_string(j));
            EXPECT_EQ(a.x, s ? 15 + 5 * (j - 1) - 2 + f->Decal_Texte : 15 + 5 * j + f->Decal_Champ);
            EXPECT_EQ(std::tuple(a.y, a.couleur, a.angle, a.taille),
                      std::tuple(y, s ? 0xFF0000 : 0x008000, s ? 0. : 90., c.taille));
            ASSERT_TRUE(j > j_prec && j <= dr.size());
            j_prec = j;
            EXPECT_EQ(Stuff(dr[j - 1]), s);
            marques += s;
            if (!s)
                noms.push_back({a.texte, j - 1 - int(std::count_if(dr.begin(), dr.begin() + j - 1, Stuff))});
        }
        EXPECT_EQ(std::pair(noms, marques),
                  std::pair(Attendus(c.s), std::count_if(dr.begin(), dr.end(), Stuff)));
        Retape(c.s.identifiant);
        EXPECT_TRUE(f->Menu_Actif(f->Affichage) && f->Instantanne->isEnabled() && v()->Nb_Annotations() == 0);
    }
}

// What a trace shows from x to fin (or its end), read every `pas` units: D or R at the trace's levels and in
// its colour, '?' for anything else.
QString Niveaux(const Courbe* c, double dominant, double recessif, int couleur, double x, double pas,
                double fin) {
    QString s;
    const std::vector<PointTrace>& p = c->Points();
    for (; p.size() > 1 && x < fin && x < p.back().x; x += pas) {
        size_t i = 1;
        while (i + 1 < p.size() && p[i].x < x) ++i; // the segment that takes the trace across x
        const double y = p[i - 1].y + (p[i].y - p[i - 1].y) * (x - p[i - 1].x) / (p[i].x - p[i - 1].x);
        s += p[i].couleur != couleur ? '?' : y == dominant ? 'D' : y == recessif ? 'R' : '?';
    }
    return s;
}

// Every trace read one unit before the end of each cell (three idle cells, then SOF): the emitter
// sends the stuffed frame and its recessive tail; the bus follows it but in the ACK slot, where it
// and the receiver go dominant 2 units before the end of the slot and back 2 units before the end
// of its delimiter.
TEST_F(Simulation, EachTraceCellByCell) {
    const std::pair<Saisie, QString> table[] = {
        {{false, false, "123"}, "RRRDDDRDDRDDDRRDDDDDRDDRRDRDDDDRDRRDDDRRRRRRRRRR"},
        {{true, true, "1ABCDEF0", "8"},
         "RRRDRRDRDRDRRRRRDRDDRRDRRRRDRRRRDDDDRDDRDDDDRRDRDDRDRDRRDRRRRRRRRRRR"},
        {{false, false, "7EF", "2", {"01", "FF"}},
         "RRRDRRRRRDRDRRRRDDDDDRRDDDDDRDDDRRRRRDRRRRDDRRDDRDRRRDRRDRRRRRRRRRR"}};
    for (const auto& [s, emet] : table) {
        SCOPED_TRACE(s.identifiant.toStdString());
        Prend(s, false);
        f->Instantanne->trigger();
        const double ack = 5. * double(emet.size() - 8); // end of the ACK slot
        QString bus = emet, recep(emet.size(), 'R');
        bus[emet.size() - 9] = recep[emet.size() - 9] = 'D';
        const std::tuple<Courbe*, double, double, int, QString> traces[] = {
            {f->Courbe_Emet, 0, 10, 0x008000, emet},
            {f->Courbe_CANH, 18, 6, 0x0000FF, bus},
            {f->Courbe_CANL, -9, 3, 0xFF0000, bus},
            {f->Courbe_Recep, 6, 16, 0xFF00FF, recep}};
        for (const auto& [c, d, r, couleur, attendu] : traces)
            EXPECT_EQ(Niveaux(c, d, r, couleur, 4, 5, 1000) +
                          Niveaux(c, d, r, couleur, ack - 4.5, 1, ack + 5),
                      attendu + (c == f->Courbe_Emet ? "RRRRRRRRRR" : "RRRDDDDDRR"));
    }
}

// Incomplete input draws nothing and says why, at every attempt.
TEST_F(Simulation, IncompleteInputDrawsNothing) {
    const QString incomplet = "La saisie de certains champs est incomplete!";
    const std::tuple<Saisie, bool, QString> table[] = {
        {{false, false, "123", "2", {"01", "2"}}, false, incomplet},
        {{false, false, "12"}, true, "Le champ Identifiant doit contenir au moins 3 caractères!"},
        {{false, false, "12"}, false, incomplet},
        {{true, false, "123"}, true, incomplet}};
    for (const auto& [saisie, instant, message] : table) {
        SCOPED_TRACE(saisie.identifiant.toStdString() + (instant ? " instant" : " step"));
        Prend(saisie);
        for (int essai = 0; essai < 2; ++essai, pf.messages.clear()) {
            (instant ? f->Instantanne : f->Pas_a_Pas)->trigger();
            ASSERT_EQ(pf.messages.size(), 1u);
            EXPECT_EQ(pf.messages[0].texte, message);
            EXPECT_EQ(v()->Nb_Annotations(), 0); // any drawing starts with the cursor text
        }
    }
}

// A run interrupted (frame changed, or instant drawing from a remote frame's ACK slot) leaves no trace.
TEST_F(Simulation, InterruptedRunLeavesNoTrace) {
    for (bool requete : {false, true}) {
        Prend({false, requete, "124"}, false);
        f->Instantanne->trigger();
        const QStringList reference = Contenu();
        Prend({false, requete, requete ? "124" : "123"}, false);
        for (int i = 0; i < (requete ? f->TrameDR->text().size() - 8 : 25); ++i) f->Pas_a_Pas->trigger();
        EXPECT_EQ(f->Phase_Ack, requete);
        requete ? f->Instantanne->trigger() : Retape("124");
        for (int i = 0; i < 400 && f->Pas_a_Pas->isEnabled(); ++i) f->Pas_a_Pas->trigger();
        EXPECT_EQ(Contenu(), reference) << requete;
    }
}

// A pixel where the plot reports the first text item named `texte` (the cursor: item 0).
QPoint Pixel_De(const VisuPlot* v, const QString& texte) {
    int i = 0;
    while (i < v->Nb_Annotations() && v->Annotation_Item(i).texte != texte) ++i;
    const Annotation& a = v->Annotation_Item(i);
    const int px = qRound(v->X_Vers_Pixel(a.x)), py = qRound(v->Y_Vers_Pixel(a.y));
    for (int dy = -40; dy <= 40; ++dy)
        for (int dx = -10; dx <= 40; ++dx)
            if (v->Annotation_Sous(px + dx, py + dy) == i) return {px + dx, py + dy};
    return {};
}

// The cursor follows the mouse horizontally till release or pixel 65, the middle button aside.
// A clicked name shows in Text4 by the mouse ("S" spelled out); cursor or empty space hide it.
TEST_F(Simulation, DragAndInspectionWithTheMouse) {
    Prend({false, false, "000"});
    f->Instantanne->trigger(), v()->replot();
    for (int fin : {60, 0}) {
        const QPoint p = Pixel_De(v(), "<  >");
        f->Visu_CAN_MouseDown(Qt::MiddleButton, p.x(), p.y());
        EXPECT_FALSE(f->Glisse_Curseur);
        QTest::mousePress(v(), Qt::LeftButton, {}, p);
        QTest::mouseMove(v(), {300, p.y() - 30});
        EXPECT_TRUE(f->Glisse_Curseur && v()->Annotation_Item(0).y == 4);
        f->Visu_CAN_MouseUp(Qt::MiddleButton, 300, 100);
        QTest::mouseMove(v(), {420, 100});
        if (fin) QTest::mouseMove(v(), {fin, 100});
        QTest::mouseRelease(v(), Qt::LeftButton, {}, {420, 100});
        QTest::mouseMove(v(), {500, 100});
        EXPECT_FALSE(f->Glisse_Curseur);
        EXPECT_DOUBLE_EQ(v()->Annotation_Item(0).x, v()->Pixel_Vers_X(420));
    }
    const std::tuple<QString, QString, bool> table[] = {{"ID3", "ID3", true},      {"S", "Stuff", true},
                                                        {"EOF.0", "EOF.0", false}, {"<  >", "", false},
                                                        {"ID3", "ID3", true},      {"vide", "", false}};
    for (const auto& [texte, montre, pres] : table) {
        SCOPED_TRACE(texte.toStdString());
        const QPoint p = texte == "vide"
                             ? QPoint(qRound(v()->X_Vers_Pixel(60)), qRound(v()->Y_Vers_Pixel(35)))
                             : Pixel_De(v(), texte);
        ASSERT_EQ(v()->Annotation_Sous(p.x(), p.y()) >= 0, texte != "vide");
        QTest::mouseClick(v(), Qt::LeftButton, {}, p);
        EXPECT_EQ(f->Text4->isVisible(), !montre.isEmpty());
        EXPECT_TRUE(montre.isEmpty() || f->Text4->text() == montre) << f->Text4->text().toStdString();
        EXPECT_TRUE(!pres || f->Text4->x() == Twips(p.x() * 15 + 100));
        EXPECT_TRUE(f->Text4->parentWidget()->rect().contains(f->Text4->geometry()));
    }
}

} // namespace
} // namespace varnel
