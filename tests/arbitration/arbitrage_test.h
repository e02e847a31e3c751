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

class ArbitrageTest : public ::testing::Test {
protected:
    PlateformeFactice plateforme;
    std::unique_ptr<Form1> f;

    void SetUp() override {
        f = std::make_unique<Form1>(plateforme);
        f->show();
        f->Simulation_arbitrage->trigger();
    }

    void Tape(int k, const QString& texte) { QTest::keyClicks(f->Noeud[k], texte); }
    void Noeuds(const QString& n1, const QString& n2, const QString& n3) {
        Tape(0, n1);
        Tape(1, n2);
        Tape(2, n3);
    }
    void Pas(int n = 1) {
        for (int i = 0; i < n; ++i)
            f->Pas_Arbitrage();
    }

    QTableWidget* Grille(int k) const { return k < 3 ? f->GridN[k] : f->GridBus; }
    QString Texte(int k, int ligne, int col) const {
        const QTableWidgetItem* c = Grille(k)->item(ligne, col);
        return c ? c->text() : QStringLiteral("<absente>");
    }
    // The texts of columns `de` .. `a` of a row, joined.
    QString Ligne(int k, int ligne, int de, int a) const {
        QString s;
        for (int c = de; c <= a; ++c)
            s += Texte(k, ligne, c);
        return s;
    }
    QColor Couleur(int k, int ligne, int col) const {
        return Grille(k)->item(ligne, col)->foreground().color();
    }
    bool Gras(int k, int ligne, int col) const {
        return Grille(k)->item(ligne, col)->font().bold();
    }

    Courbe* Trace(int k) const { return k < 3 ? f->Courbe_N[k] : f->Courbe_Bus; }
    // The level each trace shows in bit cell c = 1 .. 12 (read at the cell's right
    // end), as D / R from the trace's own levels; "?" where no point ends the cell.
    QString Niveaux(int k, double recessif, double dominant) const {
        QString s;
        for (int c = 1; c <= 12; ++c) {
            const PointTrace* fin = Fin_Cellule(k, c);
            s += !fin                 ? QStringLiteral("?")
                 : fin->y == recessif ? QStringLiteral("R")
                 : fin->y == dominant ? QStringLiteral("D")
                                      : QStringLiteral("!");
        }
        return s;
    }
    // The point that ends cell c: the first at its right end (a change of level for
    // the next cell adds a second point there).
    const PointTrace* Fin_Cellule(int k, int c) const {
        for (const PointTrace& p : Trace(k)->Points())
            if (p.x == 5.0 * c + 5) return &p;
        return nullptr;
    }
    // A square wave: every segment is either vertical or flat, and X never goes back.
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
