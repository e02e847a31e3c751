#pragma once
// A fresh main window on a recording platform for every test, and the gestures of a
// user typing a frame into it.

#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace varnel {

class Editeur : public ::testing::Test {
protected:
    PlateformeFactice pf;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(pf);

    void SetUp() override {
        f->show();
        QApplication::setActiveWindow(f.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }

    static void Tape(QWidget* boite, const QString& texte) { QTest::keyClicks(boite, texte); }
    static void Retour(QWidget* boite, int fois = 1) {
        for (int i = 0; i < fois; ++i)
            QTest::keyClick(boite, Qt::Key_Backspace);
    }
    static void Clique(QCheckBox* c) {
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(8, c->height() / 2));
    }

    // Replaces the one digit of the DLC box as a user does: backspace, then the digit.
    void Dlc(const QString& chiffre) {
        Retour(f->Controle);
        Tape(f->Controle, chiffre);
    }
    // Types a whole frame: format and type first, then identifier, DLC and bytes.
    void Saisit(bool etendue, bool requete, const QString& id, const QString& dlc,
                const QStringList& donnees = {}) {
        if (etendue != f->Check1->isChecked()) Clique(f->Check1);
        if (requete != f->Check2->isChecked()) Clique(f->Check2);
        Tape(f->Identifiant, id);
        Dlc(dlc);
        for (int k = 0; k < donnees.size(); ++k)
            Tape(f->Data[static_cast<size_t>(k)], donnees[k]);
    }

    // Number of data boxes shown, checking that they are the first ones with their labels.
    int Boites_Visibles() const {
        int n = 0;
        for (size_t k = 0; k < 8; ++k) {
            EXPECT_EQ(f->Data[k]->isHidden(), f->LabelD[k]->isHidden()) << "label " << k;
            if (!f->Data[k]->isHidden()) {
                EXPECT_EQ(static_cast<int>(k), n) << "data box " << k << " shown after a gap";
                ++n;
            }
        }
        return n;
    }
    // Left of the CRC box and its label, in twips (one pixel is 15 twips).
    void Attend_CRC_A(int twips) const {
        EXPECT_NEAR(f->Champ_CRC->x() * 15, twips, 14);
        EXPECT_EQ(f->LabelCRC->x(), f->Champ_CRC->x());
    }

    // The messages shown since the last call, as "text | title"; each must carry the
    // exclamation icon and one OK button.
    std::vector<QString> Messages() {
        std::vector<QString> m;
        for (const auto& msg : pf.messages) {
            EXPECT_EQ(msg.icone, Plateforme::Icone::Exclamation) << msg.texte.toStdString();
            EXPECT_EQ(msg.boutons, Plateforme::Boutons::Ok) << msg.texte.toStdString();
            m.push_back(msg.texte + " | " + msg.titre);
        }
        pf.messages.clear();
        return m;
    }

    // A text item that only the test puts on the signal plot: it survives exactly as
    // long as the plot is not reset.
    void Pose_Repere() {
        const int i = f->Visu_CAN->Ajoute_Annotation(1, 1, 0);
        f->Visu_CAN->Texte_Annotation(i, QStringLiteral("repère"));
    }
    bool Repere_Present() const {
        for (int i = 0; i < f->Visu_CAN->Nb_Annotations(); ++i)
            if (f->Visu_CAN->Annotation_Item(i).texte == QStringLiteral("repère")) return true;
        return false;
    }
};

inline const QString NonHexa =
    QStringLiteral("La valeur saisie n'est pas une valeur hexadécimale! | Erreur de saisie");
inline const QString Incomplete =
    QStringLiteral("La saisie de certains champs est incomplete! | Erreur de saisie");
inline const QString SeptRecessifs = QStringLiteral(
    "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs!\r\n"
    "Au moins 1 doit être un bit dominant.");
inline const QString TitreA = QStringLiteral("Valeur non conforme à la norme CAN2.0A");
inline const QString TitreB = QStringLiteral("Valeur non conforme à la norme CAN2.0B");

} // namespace varnel
