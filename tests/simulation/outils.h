#pragma once
// Shared helpers of the simulation tests: typing a frame into the window as a user
// would, reading back what the signal plot holds, stepping a run to its end.

#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Readable QStrings in test failures (found by argument-dependent lookup).
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace varnel::essai {

// A fresh main window, shown and active so that typed keys reach its boxes.
class Fenetre {
public:
    PlateformeFactice pf;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(pf);
    Fenetre() {
        f->show();
        QApplication::setActiveWindow(f.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
};

struct Saisie {
    bool etendue = false;
    bool requete = false;
    QString identifiant;
    QString dlc = "0";
    QStringList donnees;
};

inline void Clique(QCheckBox* c) {
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(8, c->height() / 2));
}

// Format and type first (they empty the identifier), then identifier, DLC and bytes.
inline void Saisit(Form1& f, const Saisie& s) {
    if (s.etendue != f.Check1->isChecked()) Clique(f.Check1);
    if (s.requete != f.Check2->isChecked()) Clique(f.Check2);
    QTest::keyClicks(f.Identifiant, s.identifiant);
    QTest::keyClick(f.Controle, Qt::Key_Backspace);
    QTest::keyClicks(f.Controle, s.dlc);
    for (int k = 0; k < s.donnees.size(); ++k)
        QTest::keyClicks(f.Data[static_cast<size_t>(k)], s.donnees[k]);
}

// Everything drawn on the signal plot, one line per point or text item, so that a
// mismatch shows where the drawings part.
inline QStringList Contenu(const Form1& f) {
    QStringList lignes;
    for (const Courbe* c : {f.Courbe_Emet, f.Courbe_CANH, f.Courbe_CANL, f.Courbe_Recep})
        for (const PointTrace& p : c->Points())
            lignes << QString("%1 %2 %3 %4").arg(c->Nom()).arg(p.x).arg(p.y).arg(p.couleur);
    for (int i = 0; i < f.Visu_CAN->Nb_Annotations(); ++i) {
        const Annotation& a = f.Visu_CAN->Annotation_Item(i);
        lignes << QString("texte %1 '%2' %3 %4 %5 %6 %7")
                      .arg(i)
                      .arg(a.texte)
                      .arg(a.x)
                      .arg(a.y)
                      .arg(a.couleur)
                      .arg(a.angle)
                      .arg(a.visible);
    }
    return lignes;
}

// Triggers "Pas à Pas" until the menu refuses further steps; returns the number of
// activations (bounded, so that a run that never ends fails instead of hanging).
inline int Pas_Jusqu_Au_Bout(Form1& f) {
    int n = 0;
    while (f.Pas_a_Pas->isEnabled() && n < 400) {
        f.Pas_a_Pas->trigger();
        ++n;
    }
    return n;
}

// Nothing drawn: no text item, every trace at most its idle line before the frame.
inline bool Rien_Dessine(const Form1& f) {
    for (const Courbe* c : {f.Courbe_Emet, f.Courbe_CANH, f.Courbe_CANL, f.Courbe_Recep})
        for (const PointTrace& p : c->Points())
            if (p.x > 15) return false;
    return f.Visu_CAN->Nb_Annotations() == 0;
}

// Points of a trace with X strictly above `apres`.
inline std::vector<PointTrace> Points_Apres(const Courbe* c, double apres) {
    std::vector<PointTrace> r;
    for (const PointTrace& p : c->Points())
        if (p.x > apres) r.push_back(p);
    return r;
}

} // namespace varnel::essai
