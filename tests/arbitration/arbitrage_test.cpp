// Node entry, the contention step, the tables and the arbitration plot.
#include "../editor/editeur.h"

#include <QtWidgets>

namespace varnel {
namespace {

const QColor Bleu = couleurQt(0xFF0000), Rouge = couleurQt(255), Noir = couleurQt(0);
constexpr int Vert = 0x008000;
constexpr double Rec[4] = {43, 67, 91, 19}, Dom[4] = {28, 52, 76, 4}; // nodes 1..3, bus
const QString B123 = "DDRDDRDDDRRD", B456 = "RDDDRDRDRRDD", B789 = "RRRRDDDRDDRD",
              B7EF = "RRRRRRDRRRRD"; // + RTR

struct Arbitrage : Fenetre, ::testing::Test {
    void SetUp() override { f->Simulation_arbitrage->trigger(); }
    void Noeuds(std::array<const char*, 3> n) {
        for (int k = 0; k < 3; ++k) QTest::keyClicks(f->Noeud[k], n[k]);
    }
    void Pas(int n = 1) {
        for (int i = 0; i < n; ++i) f->Pas_Arbitrage();
    }
    QTableWidgetItem* Cel(int k, int l, int c) const {
        return (k < 3 ? f->GridN[k] : f->GridBus)->item(l, c);
    }
    QString Ligne(int k, int l, int de = 1, int a = 12) const { // row l, columns de..a
        QString s;
        for (int c = de; c <= a; ++c) s += Cel(k, l, c)->text();
        return s;
    }
    QString Points(int k) const { // "x,y,colour " for every point of trace k (bus: 3)
        QString s;
        for (const PointTrace& p : Trace(k)->Points())
            s += QString("%1,%2,%3 ").arg(p.x).arg(p.y).arg(p.couleur, 0, 16);
        return s;
    }
    QColor Couleur(int k, int l, int c) const { return Cel(k, l, c)->foreground().color(); }
    // Rows 1 and 2 of a node table, the row of the bus table: for each cell with a text, its
    // colour (n black, b blue, r red), in capitals when bold; '.' for an empty cell.
    QString Styles(int k) const {
        QString s;
        for (int l = k < 3; l <= 2 * (k < 3); ++l)
            for (int c = 1; c <= (k < 3 ? 13 : 12); ++c) {
                const QColor q = Couleur(k, l, c);
                const QChar n = q == Noir ? 'n' : q == Bleu ? 'b' : q == Rouge ? 'r' : '?';
                s += Cel(k, l, c)->text().isEmpty() ? '.' : Cel(k, l, c)->font().bold() ? n.toUpper() : n;
            }
        return s;
    }
    Courbe* Trace(int k) const { return k < 3 ? f->Courbe_N[k] : f->Courbe_Bus; }
    PointTrace Fin(int k, int c) const { // the point ending bit cell c = 1..12
        for (const PointTrace& p : Trace(k)->Points())
            if (p.x == 5.0 * c + 5) return p;
        return {-1, -1, -1};
    }
    QString Niveaux(int k) const { // D / R per cell, as the trace shows it
        QString s;
        for (int c = 1; c <= 12; ++c) s += Fin(k, c).y == Rec[k] ? 'R' : Fin(k, c).y == Dom[k] ? 'D' : '?';
        return s;
    }
};

TEST_F(Arbitrage, ThreeNodesPlayedToTheEnd) {
    QString largeurs; // in pixels: 800, 450 (eleven times), 800 and 1200 twips
    for (int c = 0; c < 14; ++c) largeurs += QString::number(f->GridN[2]->columnWidth(c)) + ' ';
    EXPECT_EQ(largeurs + QString::number(f->GridBus->columnWidth(12)),
              "53 " + QString("30 ").repeated(11) + "53 80 53");
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Ligne(k, 0, 0, 13) + Cel(k, 1, 0)->text() + Cel(k, 2, 0)->text(),
                  QString("Noeud %1ID10ID9ID8ID7ID6ID5ID4ID3ID2ID1ID0RTREtat du noeudWR").arg(k + 1));
    EXPECT_EQ(Cel(3, 0, 0)->text(), "Etat Bus");
    Noeuds({"123", "456", "789"});
    EXPECT_EQ(Styles(0) + Styles(3), "nnnnnnnnnnnnB" + QString(25, '.'));
    f->Pas_a_Pas->trigger();
    EXPECT_EQ(Points(0), "0,43,8000 0,43,8000 5,43,8000 5,28,8000 10,28,8000 ");
    EXPECT_EQ(Points(1), "0,67,8000 0,67,8000 5,67,8000 10,67,ff ");
    EXPECT_EQ(Points(2), "0,91,8000 0,91,8000 5,91,8000 10,91,ff ");
    EXPECT_EQ(Points(3), "0,19,0 0,19,0 5,19,0 5,4,0 10,4,0 ");
    const QString perdu = "rrrrrrrrrrrr.b...........R"; // nodes 2 and 3 lose on ID10
    EXPECT_EQ(Styles(0) + Styles(1) + Styles(2) + Styles(3),
              "nnnnnnnnnnnnBb............" + perdu + perdu + "N...........");
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(!f->Noeud[k]->isEnabled() && !f->CheckN[k]->isEnabled()) << k;

    Pas(13); // the thirteenth and fourteenth steps change nothing
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Ligne(k, k < 3 ? 2 : 0), B123) << k; // nodes read, bus
    EXPECT_EQ(Ligne(1, 1) + Cel(0, 1, 13)->text(), B456 + "Emetteur"); // the losers' bits stay written
    EXPECT_EQ(Styles(0) + Styles(2) + Styles(3),
              "nnnnnnnnnnnnBbbbbbbbbbbbb.rrrrrrrrrrrr.bbbbbbbbbbbbR" + QString(12, 'N'));
    EXPECT_EQ(Niveaux(0) + Niveaux(3) + Niveaux(1) + Niveaux(2), B123 + B123 + QString(24, 'R'));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Trace(k)->Points().back().x, 65) << k;
    for (int c = 1; c <= 12; ++c) EXPECT_TRUE(Fin(0, c).couleur == Vert && Fin(2, c).couleur == 255) << c;
    for (int c = 1; c <= 12; ++c) { // the twelve bit names above their cells, black, size 14
        const Annotation& a = f->Visu_ARB->Annotation_Item(c - 1);
        EXPECT_EQ(
            QString::asprintf("%s %g %g %d %g %g", qPrintable(a.texte), a.x, a.y, a.couleur, a.angle,
                              a.taille),
            QString("%1 %2 90 0 0 14").arg(c < 12 ? QString("ID%1").arg(11 - c) : "RTR").arg(5 * c + 1));
    }
    EXPECT_EQ(f->Visu_ARB->Nb_Annotations(), 12);
}

TEST_F(Arbitrage, SameIdentifierRemoteFrameLosesAtRtrAndEmptyNodeStaysEmpty) {
    Noeuds({"123", "123", ""});
    f->CheckN[1]->click();
    Pas(12);
    EXPECT_TRUE(pf.messages.empty() && Ligne(3, 0) == B123); // the remote frame loses at column 12
    EXPECT_TRUE(Cel(1, 1, 13)->text().isEmpty() && Cel(1, 2, 13)->text() == "Recepteur" &&
                Couleur(1, 1, 11) == Noir && Couleur(1, 1, 12) == Rouge);
    EXPECT_TRUE(Niveaux(1) == B123.left(11) + "R" && Fin(1, 11).couleur == Vert && Fin(1, 12).couleur == 255);
    EXPECT_TRUE(Trace(2)->Nb_Points() == 0 &&
                (Ligne(2, 1, 1, 13) + Ligne(2, 2, 1, 13)).isEmpty()); // the empty node
}

TEST_F(Arbitrage, DuplicateMessagesInTheirOrder) {
    const std::tuple<std::array<const char*, 3>, std::array<bool, 3>, const char*> cas_[] = {
        {{"123", "123", "456"}, {0, 0, 0}, "1 et 2"}, {{"456", "123", "123"}, {0, 0, 0}, "2 et 3"},
        {{"123", "456", "123"}, {1, 0, 1}, "1 et 3"}, {{"123", "123", "123"}, {0, 0, 0}, "1 et 2"},
        {{"123", "123", "123"}, {1, 0, 0}, "2 et 3"}, {{"", "", "123"}, {0, 0, 0}, "1 et 2"},
        {{"", "12", ""}, {0, 0, 0}, "1 et 3"},        {{"", "", "123"}, {1, 0, 0}, nullptr},
        {{"1", "12", ""}, {0, 0, 0}, nullptr}}; // no node sends: the bus stays dominant
    for (const auto& [n, rtr, paire] : cas_) {
        SCOPED_TRACE(std::string(n[0]) + "/" + n[1] + "/" + n[2]);
        f->BP_RAZ->click();
        pf.messages.clear();
        Noeuds(n);
        for (int k = 0; k < 3; ++k)
            if (rtr[size_t(k)]) f->CheckN[k]->click();
        Pas();
        EXPECT_EQ(Ligne(3, 0) + QString::number(Fin(3, 1).y), paire ? "-1" : "D4");
        const QString double_ =
            "Les noeuds %1 ont le même identifiant et la même valeur de RTR! | Identifiant double";
        EXPECT_EQ(Messages(), paire ? Msgs{double_.arg(paire)} : Msgs{});
    }
}

TEST_F(Arbitrage, IdentifierEntryAndRefusals) {
    const QString largeur = "En mode standard, la longueur du champ identifiant est de 11 bits!";
    const QString sept = "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous "
                         "récessifs!\r\nAu moins 1 doit être un bit dominant.";
    const std::tuple<const char*, const char*, QString, QString> cas_[] = {
        {"7ef", "7EF", B7EF + "Emetteur", {}},
        {"1234", "123", B123 + "Emetteur", {}},
        {"800", "", "", largeur},
        {"7FF", "", "", sept}};
    for (const auto& [tape, reste, rangee, message] : cas_) {
        SCOPED_TRACE(tape);
        f->Noeud[1]->clear();
        pf.messages.clear();
        QTest::keyClicks(f->Noeud[1], tape); // a fourth digit is dropped
        EXPECT_EQ(std::tuple(f->Noeud[1]->text(), Ligne(1, 1, 1, 13), pf.dernierMessage()),
                  std::tuple(QString(reste), rangee, message));
    }
    f->CheckN[0]->click(); // the RTR box writes its cell without an identifier
    EXPECT_EQ(Ligne(0, 1, 1, 13) + f->CheckN[0]->text(), "RTrame de requête. RTR récessif");
    QTest::keyClicks(f->Noeud[0], "123");
    EXPECT_EQ(Ligne(0, 1), B123.left(11) + "R");
}

TEST_F(Arbitrage, NouvelleSimulationMidRunAndAfter) {
    for (int arret : {3, 12}) {
        SCOPED_TRACE(arret);
        Noeuds({"123", "456", "789"});
        f->CheckN[1]->click();
        Pas(arret);
        f->BP_RAZ->click();
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(f->Noeud[k]->isEnabled() && f->Noeud[k]->text().isEmpty() &&
                        !f->CheckN[k]->isChecked() &&
                        f->CheckN[k]->text() == "Trame de données. RTR dominant" &&
                        (Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13)).isEmpty() && Couleur(k, 1, 1) == Noir &&
                        Couleur(k, 2, 13) == Bleu)
                << k;
        EXPECT_TRUE(Ligne(3, 0).isEmpty() && f->Visu_ARB->Nb_Annotations() == 0);
        Noeuds({"456", "123", ""});
        Pas(); // the next run starts from column 1
        EXPECT_TRUE(Ligne(3, 0) == "D" && Cel(0, 2, 13)->text() == "Recepteur" && Fin(1, 1).y == 52);
        f->BP_RAZ->click();
    }
}

TEST_F(Arbitrage, HiddenTracesKeepDrawingAndStayHidden) {
    const QString noms[] = {"Noeud1", "Noeud2", "Noeud3", "Bus"};
    Noeuds({"123", "456", "789"});
    Pas(2);
    for (int k = 0; k < 4; ++k) {
        f->Masq[k]->trigger();
        EXPECT_TRUE(f->Masq[k]->text() == "Afficher " + noms[k] && !f->Masq[k]->isChecked() &&
                    Trace(k)->Decalage_Y() == 200 && (k == 3 || Trace(k + 1)->Decalage_Y() == 0))
            << k;
    }
    Pas(10);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Trace(k)->Points().back().x, 65) << k;
    f->BP_RAZ->click();
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(Trace(k)->Decalage_Y(), 200); // a new run keeps it hidden
        f->Masq[k]->trigger();
        EXPECT_TRUE(Trace(k)->Decalage_Y() == 0 && f->Masq[k]->isChecked() &&
                    f->Masq[k]->text() == "Masquer " + noms[k])
            << k;
    }
}

TEST_F(Arbitrage, LeavingAndReenteringTheMode) {
    Noeuds({"123", "456", ""});
    Pas(4);
    f->Simulation_trame->trigger();
    Pas(); // no contention step outside arbitration mode
    f->Simulation_arbitrage->trigger();
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(f->Noeud[k]->isEnabled() && Ligne(k, 1, 1, 13).isEmpty() &&
                    !f->Visu_ARB->Nb_Annotations());
    Noeuds({"7EF", "1", "12"});
    Pas(12);
    EXPECT_TRUE(Ligne(3, 0) == B7EF && Cel(0, 1, 13)->text() == "Emetteur");
    for (int k : {1, 2}) // short nodes: out from the first step, still reading the bus
        EXPECT_TRUE(Ligne(k, 2) + Ligne(k, 1, 1, 13) + Cel(k, 2, 13)->text() == B7EF &&
                    !Niveaux(k).contains('D'))
            << k;

    Form1 neuve(pf); // frame mode before arbitration was ever set up: quiet, nothing drawn
    neuve.Simulation_trame->trigger();
    EXPECT_TRUE(neuve.Visu_ARB->Courbes().empty() && neuve.Visu_ARB->Nb_Annotations() == 0 &&
                pf.messages.empty());
}

// The window starts without the node entry area of arbitration; whatever needs it
// first makes it, hidden, once, with its controls connected.
TEST(ZoneArbitrage, MadeOnFirstUseOnlyOnce) {
    PlateformeFactice pf;
    const char* const noms[] = {"Frame_Iden", "Label12", "Noeud1", "CheckN3", "GridN2", "GridBus", "BP_RAZ"};
    const auto presents = [&](const Form1& f) {
        int n = 0;
        for (const char* nom : noms) n += int(f.findChildren<QWidget*>(nom).size());
        return n;
    };
    const std::function<void(Form1&)> premiers[] = {
        [](Form1& f) { f.Simulation_arbitrage->trigger(); },
        [](Form1& f) { f.Simulation_trame->trigger(); }, // resets the area
        [](Form1& f) { EXPECT_EQ(f.GridBus->columnCount(), 13); },
    };
    for (const auto& premier : premiers) {
        Form1 f(pf);
        f.show();
        EXPECT_EQ(presents(f), 0);
        premier(f);
        EXPECT_EQ(presents(f), int(std::size(noms)));
        EXPECT_TRUE(f.Frame_Iden->isHidden() == f.Mode_Trame && f.Frame_Arb->isHidden() == f.Mode_Trame);
        const int widgets = int(f.findChildren<QWidget*>().size());
        f.Simulation_arbitrage->trigger();
        QTest::keyClicks(f.Noeud[0], "123");
        EXPECT_TRUE(!f.Frame_Iden->isHidden() && f.findChildren<QWidget*>().size() == widgets &&
                    f.GridN[0]->item(1, 1)->text() == "D");
    }
}

} // namespace
} // namespace varnel
