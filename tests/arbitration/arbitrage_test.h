#pragma once
// A fresh window in arbitration mode for every test, and readers for its tables and
// its arbitration plot.

#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << c.name().toStdString();
}

namespace varnel {

// "0010" -> "DDRD": the tables write dominant as D, recessive as R.
inline QString DR(const QString& bits) {
    QString dr;
    for (QChar b : bits)
        dr += b == QLatin1Char('0') ? QLatin1Char('D') : QLatin1Char('R');
    return dr;
}

const QColor Bleu = couleurQt(0xFF0000);
const QColor Rouge = couleurQt(255);
const QColor Noir = couleurQt(0);
constexpr int Vert = 0x008000;
// Recessive and dominant levels of the traces: node 1 .. 3, then the bus.
constexpr double Rec[4] = {43, 67, 91, 19};
constexpr double Dom[4] = {28, 52, 76, 4};

class ArbitrageTest : public ::testing::Test {
protected:
    PlateformeFactice plateforme;
    std::unique_ptr<Form1> f;

    void SetUp() override {
        f = std::make_unique<Form1>(plateforme);
        f->show();
        f->Simulation_arbitrage->trigger();
    }

    void Noeuds(const QString& n1, const QString& n2, const QString& n3) {
        QTest::keyClicks(f->Noeud[0], n1);
        QTest::keyClicks(f->Noeud[1], n2);
        QTest::keyClicks(f->Noeud[2], n3);
    }
    void Pas(int n = 1) {
        for (int i = 0; i < n; ++i)
            f->Pas_Arbitrage();
    }

    // Table k = 0 .. 2 for the nodes, 3 for the bus.
    QTableWidget* Grille(int k) const { return k < 3 ? f->GridN[k] : f->GridBus; }
    QTableWidgetItem* Cel(int k, int ligne, int col) const { return Grille(k)->item(ligne, col); }
    // The texts of columns `de` .. `a` of a row, joined.
    QString Ligne(int k, int ligne, int de, int a) const {
        QString s;
        for (int c = de; c <= a; ++c)
            s += Cel(k, ligne, c)->text();
        return s;
    }
    QColor Couleur(int k, int ligne, int col) const {
        return Cel(k, ligne, col)->foreground().color();
    }

    Courbe* Trace(int k) const { return k < 3 ? f->Courbe_N[k] : f->Courbe_Bus; }
    // The point that ends bit cell c = 1 .. 12 (X 5c + 5); a change of level for the
    // next cell adds a second point at the same X.
    const PointTrace* Fin_Cellule(int k, int c) const {
        for (const PointTrace& p : Trace(k)->Points())
            if (p.x == 5.0 * c + 5) return &p;
        return nullptr;
    }
    // The level trace k shows in each of the twelve cells, as D / R.
    QString Niveaux(int k) const {
        QString s;
        for (int c = 1; c <= 12; ++c) {
            const PointTrace* fin = Fin_Cellule(k, c);
            s += !fin ? '?' : fin->y == Rec[k] ? 'R' : fin->y == Dom[k] ? 'D' : '!';
        }
        return s;
    }
    // A square wave: every segment is vertical or flat, and X never goes back.
    void Verifie_Carree(int k) const {
        const auto& pts = Trace(k)->Points();
        for (size_t i = 1; i < pts.size(); ++i) {
            EXPECT_GE(pts[i].x, pts[i - 1].x) << "trace " << k << " point " << i;
            EXPECT_TRUE(pts[i].x == pts[i - 1].x || pts[i].y == pts[i - 1].y)
                << "trace " << k << " point " << i;
        }
    }
};

} // namespace varnel
