// Node entry, the contention step, the tables and the arbitration plot.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

namespace varnel {
namespace {

const QColor Bleu = couleurQt(0xFF0000), Rouge = couleurQt(255), Noir = couleurQt(0);
constexpr int Vert = 0x008000;
constexpr double Rec[4] = {43, 67, 91, 19}, Dom[4] = {28, 52, 76, 4}; // nodes 1..3, bus
const QString B123 = "DDRDDRDDDRRD", B456 = "RDDDRDRDRRDD", B789 = "RRRRDDDRDDRD",
              B7EF = "RRRRRRDRRRRD"; // + RTR

class Arbitrage : public ::testing::Test {
protected:
    PlateformeFactice pf;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(pf);
    void SetUp() override {
        f->show();
        f->Simulation_arbitrage->trigger();
    }
    void Noeuds(std::array<const char*, 3> n) {
        for (int k = 0; k < 3; ++k) QTest::keyClicks(f->Noeud[k], n[k]);
    }
    void Pas(int n = 1) {
        for (int i = 0; i < n; ++i) f->Pas_Arbitrage();
    }
    QTableWidgetItem* Cel(int k, int l, int c) const {
        return (k < 3 ? f->GridN[k] : f->GridBus)->item(l, c);
    }                                                           // bus: k 3
    QString Ligne(int k, int l, int de = 1, int a = 12) const { // row l, columns de..a
        QString s;
        for (int c = de; c <= a; ++c) s += Cel(k, l, c)->text();
        return s;
    }
    QString Points(int k) const { // "x,y,colour " for every point of trace k
        QString s;
        for (const PointTrace& p : Trace(k)->Points())
            s += QStringLiteral("%1,%2,%3 ").arg(p.x).arg(p.y).arg(p.couleur, 0, 16);
        return s;
    }
    QColor Couleur(int k, int l, int c) const { return Cel(k, l, c)->foreground().color(); }
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
    Noeuds({"123", "456", "789"});
    f->Pas_a_Pas->trigger();
    EXPECT_EQ(Points(0), "0,43,8000 0,43,8000 5,43,8000 5,28,8000 10,28,8000 ");
    EXPECT_EQ(Points(1), "0,67,8000 0,67,8000 5,67,8000 10,67,ff ");
    EXPECT_EQ(Points(2), "0,91,8000 0,91,8000 5,91,8000 10,91,ff ");
    EXPECT_EQ(Points(3), "0,19,0 0,19,0 5,19,0 5,4,0 10,4,0 ");
    for (int k : {1, 2}) // nodes 2 and 3 lose on ID10; entries locked during the run
        EXPECT_TRUE(Couleur(k, 1, 1) == Rouge && Cel(k, 2, 13)->text() == "Recepteur" &&
                    Cel(k, 2, 13)->font().bold() && !f->Noeud[k]->isEnabled() && !f->CheckN[k]->isEnabled());
    const Annotation& id10 = f->Visu_ARB->Annotation_Item(0);
    EXPECT_TRUE(id10.texte == "ID10" && id10.x == 6 && id10.y == 90 && id10.taille == 14);

    Pas(13); // the thirteenth and fourteenth steps change nothing
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Ligne(k, k < 3 ? 2 : 0), B123) << k; // nodes read, bus
    EXPECT_EQ(Ligne(1, 1), B456); // the losers' bits stay written
    EXPECT_TRUE(Cel(0, 1, 13)->text() == "Emetteur" && Cel(0, 2, 13)->text().isEmpty() &&
                Couleur(0, 1, 12) == Noir);
    EXPECT_EQ(Niveaux(0) + Niveaux(3) + Niveaux(1) + Niveaux(2), B123 + B123 + QString(24, 'R'));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Trace(k)->Points().back().x, 65) << k;
    for (int c = 1; c <= 12; ++c) EXPECT_TRUE(Fin(0, c).couleur == Vert && Fin(2, c).couleur == 255) << c;
    EXPECT_TRUE(f->Visu_ARB->Nb_Annotations() == 12 && f->Visu_ARB->Annotation_Item(11).texte == "RTR" &&
                f->Visu_ARB->Annotation_Item(11).x == 61);
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
        {{"", "12", ""}, {0, 0, 0}, "1 et 3"},        {{"", "", "123"}, {1, 0, 0}, nullptr}};
    for (const auto& [n, rtr, paire] : cas_) {
        SCOPED_TRACE(std::string(n[0]) + "/" + n[1] + "/" + n[2]);
        f->BP_RAZ->click();
        pf.messages.clear();
        Noeuds(n);
        for (int k = 0; k < 3; ++k)
            if (rtr[size_t(k)]) f->CheckN[k]->click();
        Pas();
        EXPECT_EQ(Ligne(3, 0), paire ? "" : "D");
        ASSERT_EQ(pf.messages.size(), paire ? 1u : 0u);
        if (!paire) continue;
        const QString double_ =
            "Identifiant doubleLes noeuds %1 ont le même identifiant et la même valeur de RTR!";
        EXPECT_EQ(pf.messages[0].titre + pf.messages[0].texte, double_.arg(paire));
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
    EXPECT_EQ(Ligne(0, 1, 1, 13), "R");
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
                        !f->CheckN[k]->isChecked() && (Ligne(k, 1, 1, 13) + Ligne(k, 2, 1, 13)).isEmpty() &&
                        Couleur(k, 1, 1) == Noir && Couleur(k, 2, 13) == Bleu)
                << k;
        EXPECT_TRUE(Ligne(3, 0).isEmpty() && f->Visu_ARB->Nb_Annotations() == 0);
        Noeuds({"456", "123", ""});
        Pas(); // the next run starts from column 1
        EXPECT_TRUE(Ligne(3, 0) == "D" && Cel(0, 2, 13)->text() == "Recepteur" && Fin(1, 1).y == 52);
        f->BP_RAZ->click();
    }
}

TEST_F(Arbitrage, HiddenTraceKeepsDrawingAndStaysHidden) {
    Noeuds({"123", "456", "789"});
    Pas(2);
    f->Masq[3]->trigger();
    EXPECT_TRUE(f->Masq[3]->text() == "Afficher Bus" && Trace(3)->Decalage_Y() == 200 &&
                Trace(0)->Decalage_Y() == 0);
    Pas(10);
    EXPECT_EQ(Trace(3)->Points().back().x, 65);
    f->BP_RAZ->click();
    EXPECT_EQ(Trace(3)->Decalage_Y(), 200); // a new run keeps it hidden
    f->Masq[3]->trigger();
    EXPECT_TRUE(Trace(3)->Decalage_Y() == 0 && f->Masq[3]->isChecked());
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

// The window starts without the arbitration area; whatever needs it first makes it,
// hidden, once, with its controls connected.
TEST(ZoneArbitrage, MadeOnFirstUseOnlyOnce) {
    PlateformeFactice pf;
    const char* const noms[] = {"Frame_Iden", "Label12", "Noeud1",    "CheckN3", "GridN2",
                                "GridBus",    "BP_RAZ",  "Frame_Arb", "Visu_ARB"};
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
