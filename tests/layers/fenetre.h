#pragma once
// A fresh main window on a recording platform for every test, with the helpers the
// layer and output tests share.

#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace varnel {

class Fenetre : public ::testing::Test {
protected:
    PlateformeFactice pf;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(pf);

    VisuPlot& can() { return *f->Visu_CAN; }
    VisuPlot& arb() { return *f->Visu_ARB; }

    // Draws a whole standard data frame on the signal plot, as a user would ("Effacer"
    // first: a finished drawing leaves the display commands disabled).
    void Dessine() {
        f->BP_Clear->click();
        QTest::keyClicks(f->Identifiant, QStringLiteral("123"));
        f->Instantanne->trigger();
        ASSERT_GE(can().Nb_Annotations(), 3) << "no drawing on the signal plot";
    }

    // Arbitration mode with the first bits of three nodes played on its plot.
    void Dessine_Arbitrage(int pas = 4) {
        f->Simulation_arbitrage->trigger();
        const char* identifiants[] = {"123", "456", "789"};
        for (int k = 0; k < 3; ++k)
            QTest::keyClicks(f->Noeud[k], identifiants[k]);
        for (int i = 0; i < pas; ++i)
            f->Pas_a_Pas->trigger();
        ASSERT_GT(arb().Nb_Annotations(), 0) << "no drawing on the arbitration plot";
    }

    // Y of every text item from `premier` on.
    static std::vector<double> Y_Textes(const VisuPlot& plot, int premier) {
        std::vector<double> y;
        for (int i = premier; i < plot.Nb_Annotations(); ++i)
            y.push_back(plot.Annotation_Item(i).y);
        return y;
    }
    static std::vector<double> Partout(const VisuPlot& plot, int premier, double y) {
        return std::vector<double>(std::max(0, plot.Nb_Annotations() - premier), y);
    }

    static QColor Couleur(QLabel* label) {
        label->ensurePolished();
        return label->palette().color(QPalette::WindowText);
    }
};

} // namespace varnel
