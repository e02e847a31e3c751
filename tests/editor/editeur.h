#pragma once
// A fresh main window on a recording platform, the gestures of a user typing a frame, and
// what the window shows, read back as text.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace varnel {

using Msgs = std::vector<QString>;

struct Fenetre {
    PlateformeFactice pf;
    std::unique_ptr<Form1> f;
    Fenetre() { Neuve(); }
    void Neuve(bool legende = false) {
        f.reset(), pf = PlateformeFactice(), f = std::make_unique<Form1>(pf);
        f->show(), f->Legend->setChecked(legende);
        QApplication::setActiveWindow(f.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    VisuPlot* v() const { return f->Visu_CAN; }
    static void Tape(QWidget* b, const QString& t) { QTest::keyClicks(b, t); }
    static void Retour(QWidget* b) { QTest::keyClick(b, Qt::Key_Backspace); }
    static void Coche(QCheckBox* c, bool oui) {
        if (c->isChecked() != oui) QTest::mouseClick(c, Qt::LeftButton, {}, {8, c->height() / 2});
    }
    static void Clique(QCheckBox* c) { Coche(c, !c->isChecked()); }
    void Dlc(const QString& chiffre) { Retour(f->Controle), Tape(f->Controle, chiffre); }
    // Format first: it empties the identifier. Classic bytes one per box, FD bytes as one text.
    void Saisit(bool etendue, bool requete, const QString& id, const QString& dlc,
                const QStringList& donnees = {}) {
        Coche(f->Check1, etendue), Coche(f->Check2, requete), Tape(f->Identifiant, id), Dlc(dlc);
        for (int k = 0; k < donnees.size(); ++k)
            Tape(f->CheckFD->isChecked() ? static_cast<QWidget*>(f->DonneesFD) : f->Data[size_t(k)],
                 donnees[k]);
    }
    QStringList Textes() const { // raw frame, count, CRC, stuffed frame, count, symbols
        return {f->Trame_Bin->text(),      f->Text1->text(), f->Champ_CRC->text(),
                f->Trame_Bin_Stuf->text(), f->Text2->text(), f->TrameDR->text()};
    }
    QStringList Contenu() const { // everything on the plot, one line per point, text or tick
        QStringList l;
        for (const Courbe* c : {f->Courbe_Emet, f->Courbe_CANH, f->Courbe_CANL, f->Courbe_Recep})
            for (const PointTrace& p : c->Points())
                l << QString("%1 %2 %3 %4").arg(c->Nom()).arg(p.x).arg(p.y).arg(p.couleur);
        for (int i = 0; i < v()->Nb_Annotations(); ++i) {
            const Annotation& a = v()->Annotation_Item(i);
            l << QString::asprintf("'%s' %g %g %d %g %g %d", qPrintable(a.texte), a.x, a.y, a.couleur,
                                   a.angle, a.taille, a.visible);
        }
        for (double x : v()->Graduations_X().keys()) l << QString("tick %1").arg(x);
        return l << QString("X %1 %2").arg(v()->Min_X()).arg(v()->Max_X());
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
        for (QLineEdit* b : {f->Trame_Bin, f->Trame_Bin_Stuf, f->Text2, f->Champ_CRC, f->TrameDR})
            EXPECT_EQ(b->text(), "") << b->objectName().toStdString();
    }
};

struct Editeur : Fenetre, ::testing::Test {};

} // namespace varnel
