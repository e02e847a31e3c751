#pragma once
// A fresh main window on a recording platform, and the gestures of a user typing a frame.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace varnel {

using Msgs = std::vector<QString>;

class Editeur : public ::testing::Test {
protected:
    PlateformeFactice pf;
    std::unique_ptr<Form1> f;

    void SetUp() override { // also called again for a fresh window
        f = std::make_unique<Form1>(pf);
        f->show();
        QApplication::setActiveWindow(f.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    static void Tape(QWidget* b, const QString& t) { QTest::keyClicks(b, t); }
    static void Retour(QWidget* b) { QTest::keyClick(b, Qt::Key_Backspace); }
    void Clique(QCheckBox* c) { QTest::mouseClick(c, Qt::LeftButton, {}, {8, c->height() / 2}); }
    void Dlc(const QString& chiffre) {
        Retour(f->Controle);
        Tape(f->Controle, chiffre);
    }
    void Saisit(bool etendue, bool requete, const QString& id, const QString& dlc,
                const QStringList& donnees = {}) {
        if (etendue != f->Check1->isChecked()) Clique(f->Check1);
        if (requete != f->Check2->isChecked()) Clique(f->Check2);
        Tape(f->Identifiant, id);
        Dlc(dlc);
        for (int k = 0; k < donnees.size(); ++k) Tape(f->Data[static_cast<size_t>(k)], donnees[k]);
    }
    // The first n data boxes shown with their labels, each 360 twips right of the one before; left of
    // the CRC box in twips (15/px).
    void Attend_Boites(int n, int twips) const {
        for (size_t k = 0; k < 8; ++k)
            EXPECT_TRUE(f->Data[k]->isHidden() == (static_cast<int>(k) >= n) &&
                        f->LabelD[k]->isHidden() == f->Data[k]->isHidden() &&
                        f->Data[k]->x() == Twips(3840 + 360 * int(k)) && f->LabelD[k]->x() == f->Data[k]->x())
                << "box " << k;
        EXPECT_NEAR(f->Champ_CRC->x() * 15, twips, 14);
        EXPECT_EQ(f->LabelCRC->x(), f->Champ_CRC->x());
    }
    // Messages since the last call as "text | title", each with exclamation icon and OK.
    Msgs Messages() {
        Msgs m;
        for (const auto& x : pf.messages) {
            EXPECT_TRUE(x.icone == Plateforme::Icone::Exclamation && x.boutons == Plateforme::Boutons::Ok)
                << x.texte.toStdString();
            m.push_back(x.texte + " | " + x.titre);
        }
        pf.messages.clear();
        return m;
    }
    void Vides() const {
        for (QLineEdit* v : {f->Trame_Bin, f->Trame_Bin_Stuf, f->Text2, f->Champ_CRC, f->TrameDR})
            EXPECT_EQ(v->text(), "") << v->objectName().toStdString();
    }
};

} // namespace varnel
