// The main window: its start-up state, its menu bar, the two modes, "Effacer" and
// the end of the program.
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace varnel;

namespace {

class Fenetre : public ::testing::Test {
protected:
    PlateformeFactice plateforme;
    std::unique_ptr<Form1> f = std::make_unique<Form1>(plateforme);

    QAction* action(const char* nom) {
        auto* a = f->findChild<QAction*>(QLatin1String(nom));
        EXPECT_NE(a, nullptr) << nom;
        return a;
    }
    QMenu* menu(const char* nom) {
        auto* m = f->findChild<QMenu*>(QLatin1String(nom));
        EXPECT_NE(m, nullptr) << nom;
        return m;
    }
    // Shows the window and makes it the active one, so that shortcuts can fire.
    void active() {
        f->show();
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
};

QColor couleurTexte(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

// The enabled states that the modes and "Effacer" set: menus (with their items as a
// whole) and the items switched on their own.
struct EtatMenus {
    bool pref, traceTr, traceArb, affichage, legende;
    bool legend, instantanne, masquer, afLegend;
};

void verifieMenus(Form1& f, const EtatMenus& e, const char* quand) {
    SCOPED_TRACE(quand);
    EXPECT_EQ(f.Menu_Actif(f.Pref), e.pref);
    EXPECT_EQ(f.Menu_Actif(f.TraceTr), e.traceTr);
    EXPECT_EQ(f.Menu_Actif(f.TraceArb), e.traceArb);
    EXPECT_EQ(f.Menu_Actif(f.Affichage), e.affichage);
    EXPECT_EQ(f.Menu_Actif(f.Legende), e.legende);
    EXPECT_EQ(f.Legend->isEnabled(), e.legend);
    EXPECT_EQ(f.Instantanne->isEnabled(), e.instantanne);
    EXPECT_EQ(f.Masquer->isEnabled(), e.masquer);
    EXPECT_EQ(f.Af_legend->isEnabled(), e.afLegend);
    // What a user sees: an item of a disabled menu is disabled too.
    EXPECT_EQ(f.Aff_T_Brute->isEnabled(), e.pref);
    EXPECT_EQ(f.Aff_Emet->isEnabled(), e.traceTr);
    EXPECT_EQ(f.Masq[0]->isEnabled(), e.traceArb);
    EXPECT_EQ(f.Pas_a_Pas->isEnabled(), e.affichage);
    EXPECT_EQ(f.Pref->menuAction()->isEnabled(), e.pref);
    EXPECT_EQ(f.TraceArb->menuAction()->isEnabled(), e.traceArb);
}

constexpr EtatMenus ModeTrameAuDepart{true, true, false, true, false, true, true, false, false};
constexpr EtatMenus ModeArbitrage{false, false, true, true, true, false, false, true, false};
// Back from arbitration, "Effacer" has run with the arbitration flag still set.
constexpr EtatMenus RetourModeTrame{true, true, false, true, true, true, true, true, false};

} // namespace

TEST_F(Fenetre, DemarreEnModeTrame) {
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Varnel"));
    EXPECT_FALSE(f->windowIcon().pixmap(32).isNull());
    EXPECT_EQ(f->centralWidget()->size(), QSize(1013, 687));
    EXPECT_TRUE(f->Mode_Trame);
    EXPECT_FALSE(f->Mode_Arb);

    EXPECT_FALSE(f->Frame_Trame->isHidden());
    EXPECT_FALSE(f->Frame_simul->isHidden());
    EXPECT_TRUE(f->Frame_Iden->isHidden());
    EXPECT_TRUE(f->Frame_Arb->isHidden());
    for (int n = 0; n < 8; ++n) {
        EXPECT_TRUE(f->Data[n]->isHidden()) << n;
        EXPECT_TRUE(f->LabelD[n]->isHidden()) << n;
    }
    EXPECT_TRUE(f->Text4->isHidden());
    EXPECT_FALSE(f->Identifiant->isHidden());
    EXPECT_EQ(f->Champ_CRC->x(), Twips(3800));
    EXPECT_EQ(f->LabelCRC->x(), Twips(3800));
    EXPECT_EQ(f->Champ_CRC->y(), Twips(480));
    EXPECT_EQ(f->Controle->text(), QStringLiteral("0"));
    EXPECT_EQ(f->Identifiant->maxLength(), 3);
    EXPECT_EQ(f->T.Long_Max, 3);
    EXPECT_EQ(f->T.Bit_RTR, "0");
    EXPECT_EQ(f->T.Bits_Ctrl, "000000");

    verifieMenus(*f, ModeTrameAuDepart, "au démarrage");
    EXPECT_TRUE(f->Aff_Emet->isChecked());
    EXPECT_TRUE(f->Aff_Recep->isChecked());
    EXPECT_TRUE(f->Aff_Bus->isChecked());
    EXPECT_FALSE(f->Legend->isChecked());
    for (QAction* m : f->Masq)
        EXPECT_TRUE(m->isChecked());
    EXPECT_EQ(f->Aff_T_Brute->text(), QStringLiteral("Masquer trame brute"));
    EXPECT_EQ(f->Aff_T_Stuff->text(), QStringLiteral("Masquer trame stuffée"));
    EXPECT_EQ(f->Pos_Emet, 82);
    EXPECT_EQ(f->Pos_Recep, 62);
    EXPECT_EQ(f->Pos_CANH, 42);
    EXPECT_EQ(f->Pos_CANL, 17);
}

TEST_F(Fenetre, LigneDesPreferences) {
    const QColor rouge(255, 0, 0), bleu(0, 0, 255);
    EXPECT_EQ(f->Pref_Legende->text(), QStringLiteral("Légende OFF"));
    EXPECT_EQ(couleurTexte(f->Pref_Legende), rouge);
    const std::pair<QLabel*, const char*> autres[] = {
        {f->Pref_TB, "Trame brute ON"}, {f->Pref_TS, "Trame stuffée ON"},
        {f->Pref_Em, "Emetteur ON"},    {f->Pref_Rec, "Récepteur ON"},
        {f->Pref_Bus, "Bus ON"},
    };
    for (const auto& [label, texte] : autres) {
        EXPECT_EQ(label->text(), QString::fromUtf8(texte));
        EXPECT_EQ(couleurTexte(label), bleu) << texte;
        EXPECT_TRUE(label->font().bold()) << texte;
    }
    EXPECT_EQ(couleurTexte(f->Label11), QColor(0x80, 0x80, 0x80));
}

TEST_F(Fenetre, ControlesALeurPlace) {
    struct Attendu {
        const char* nom;
        int gauche, haut, largeur, hauteur;
    };
    // Boxes keep their design geometry exactly (labels and check boxes may be wider).
    const Attendu attendus[] = {
        {"Identifiant", 1680, 480, 1215, 375},    {"Controle", 3120, 480, 615, 375},
        {"Data7", 3840 + 360 * 7, 480, 375, 375}, {"Trame_Bin", 120, 1920, 13935, 285},
        {"Text1", 14160, 1920, 615, 285},         {"Trame_Bin_Stuf", 120, 2520, 13935, 285},
        {"Text2", 14160, 2520, 615, 285},         {"TrameDR", 240, 2880, 10575, 285},
        {"Visu_CAN", 120, 480, 14535, 6615},      {"BP_Clear", 360, 600, 735, 375},
        {"Noeud3", 1200, 2160, 1215, 315},        {"GridN1", 5640, 240, 7760, 730},
        {"GridN2", 5640, 1080, 7755, 735},        {"GridBus", 5640, 2760, 6555, 255},
        {"Visu_ARB", 120, 240, 14535, 6115},      {"Picture2", 8400, 240, 6375, 1335},
    };
    for (const Attendu& a : attendus) {
        auto* w = f->findChild<QWidget*>(QLatin1String(a.nom));
        ASSERT_NE(w, nullptr) << a.nom;
        EXPECT_EQ(w->geometry(),
                  QRect(Twips(a.gauche), Twips(a.haut), Twips(a.largeur), Twips(a.hauteur)))
            << a.nom;
    }
    // Texts of the frame display cannot be typed over; the hexadecimal boxes can.
    for (QLineEdit* t :
         {f->Champ_CRC, f->Trame_Bin, f->Text1, f->Trame_Bin_Stuf, f->Text2, f->TrameDR, f->Text4})
        EXPECT_TRUE(t->isReadOnly()) << t->objectName().toStdString();
    EXPECT_FALSE(f->Identifiant->isReadOnly());
    EXPECT_EQ(f->Data[0]->maxLength(), 2);
    EXPECT_EQ(f->Champ_CRC->maxLength(), 4);
    EXPECT_EQ(f->Noeud[0]->maxLength(), 3);
    EXPECT_TRUE(f->Identifiant->font().bold());
    EXPECT_EQ(f->Identifiant->alignment(), Qt::AlignCenter);
    EXPECT_EQ(couleurTexte(f->Label5), QColor(255, 0, 0));
    EXPECT_FALSE(f->findChild<QLabel*>(QStringLiteral("Picture2"))->pixmap().isNull());
    // A caption that the program may change is never cut by its box.
    const QFontMetrics fm(f->Check2->font());
    EXPECT_GT(f->Check2->width(),
              fm.horizontalAdvance(QStringLiteral("Trame de requête. RTR récessif")));
}

TEST_F(Fenetre, BarreDeMenus) {
    struct Haut {
        const char* nom;
        const char* titre;
    };
    const Haut hauts[] = {
        {"Fichier", "&Fichier"},     {"Rien1", "  "},
        {"rien2", "    "},           {"Mode", "&Mode"},
        {"rien3", "     "},          {"rien4", "       "},
        {"Pref", "&Préférences"},    {"rien5", " "},
        {"Graph", "&Graph"},         {"rien6", "         "},
        {"Affichage", "&Affichage"}, {"Legende", "&Légende"},
        {"Plus", "&Plus"},
    };
    const QList<QAction*> barre = f->menuBar()->actions();
    ASSERT_EQ(barre.size(), static_cast<qsizetype>(std::size(hauts)));
    for (qsizetype i = 0; i < barre.size(); ++i) {
        EXPECT_EQ(barre[i]->objectName(), QLatin1String(hauts[i].nom));
        EXPECT_EQ(barre[i]->text(), QString::fromUtf8(hauts[i].titre));
        // The blank entries space the menus out and open nothing.
        EXPECT_EQ(barre[i]->menu() == nullptr, hauts[i].titre[0] == ' ') << hauts[i].nom;
    }

    struct Element {
        const char* menu;
        const char* nom;
        const char* titre; // design caption (start-up rewrites some)
        QKeySequence raccourci;
        bool cochable;
    };
    const auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };
    const Element elements[] = {
        {"Fichier", "Imprimer", "&Imprimer", {}, false},
        {"Fichier", "Quitter", "&Quitter", {}, false},
        {"Mode", "Simulation_trame", "&Simulation Trame", {}, false},
        {"Mode", "Simulation_arbitrage", "&Simulation Arbitrage", {}, false},
        {"Pref", "Aff_T_Brute", "Masquer trame brute", QKeySequence(Qt::Key_F3), true},
        {"Pref", "Aff_T_Stuff", "Masquer trame stuffée", QKeySequence(Qt::Key_F4), true},
        {"Graph", "Legend", "&Légende", QKeySequence(Qt::Key_F2), true},
        {"Graph", "TraceTr", "&Traces simul Trame", {}, false},
        {"Graph", "TraceArb", "&Traces simul Arbitrage", {}, false},
        {"Graph", "Coul_Graph", "&Couleurs Graph", {}, false},
        {"Graph", "Copie_PP", "&Copie vers le presse papier", ctrl(Qt::Key_C), false},
        {"TraceTr", "Aff_Emet", "&Masquer Emetteur", ctrl(Qt::Key_E), true},
        {"TraceTr", "Aff_Recep", "&Masquer Récepteur", ctrl(Qt::Key_R), true},
        {"TraceTr", "Aff_Bus", "&Masquer Bus", ctrl(Qt::Key_B), true},
        {"TraceArb", "Masq1", "&Masquer Noeud1", ctrl(Qt::Key_F1), true},
        {"TraceArb", "Masq2", "&Masquer Noeud2", ctrl(Qt::Key_F2), true},
        {"TraceArb", "Masq3", "&Masquer Noeud3", ctrl(Qt::Key_F3), true},
        {"TraceArb", "MasqBus", "&Masquer Bus", ctrl(Qt::Key_F4), true},
        {"Coul_Graph", "Noir_Blanc", "&Noir et Blanc", {}, false},
        {"Affichage", "Pas_a_Pas", "&Pas à Pas", ctrl(Qt::Key_P), false},
        {"Affichage", "Instantanne", "&Instantanné", ctrl(Qt::Key_I), false},
        {"Legende", "Masquer", "&Masquer", ctrl(Qt::Key_M), false},
        {"Legende", "Af_legend", "&Afficher", ctrl(Qt::Key_A), false},
        {"Plus", "Aide", "&Aide", QKeySequence(Qt::Key_F1), false},
        {"Plus", "Apropos", "&A Propos", {}, false},
    };
    QMap<QString, QStringList> ordre;
    for (const Element& e : elements) {
        SCOPED_TRACE(e.nom);
        QAction* a = action(e.nom);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(e.titre));
        EXPECT_EQ(a->shortcut(), e.raccourci);
        EXPECT_EQ(a->isCheckable(), e.cochable);
        ordre[QLatin1String(e.menu)] << QLatin1String(e.nom);
    }
    for (auto it = ordre.cbegin(); it != ordre.cend(); ++it) {
        QStringList noms;
        for (QAction* a : menu(it.key().toLatin1().constData())->actions())
            noms << a->objectName();
        EXPECT_EQ(noms, it.value()) << it.key().toStdString();
    }
    // A submenu carries its name on the menu and on its entry in the parent menu.
    EXPECT_EQ(f->TraceTr->menuAction()->objectName(), QStringLiteral("TraceTr"));
}

TEST_F(Fenetre, ChangementsDeMode) {
    struct Etape {
        const char* quoi;
        QAction* Form1::*commande;
        EtatMenus menus;
        bool modeArb;
    };
    const Etape scenario[] = {
        {"arbitrage", &Form1::Simulation_arbitrage, ModeArbitrage, true},
        {"arbitrage encore", &Form1::Simulation_arbitrage, ModeArbitrage, true},
        {"retour trame", &Form1::Simulation_trame, RetourModeTrame, false},
        {"trame encore", &Form1::Simulation_trame, ModeTrameAuDepart, false},
        {"arbitrage à nouveau", &Form1::Simulation_arbitrage, ModeArbitrage, true},
    };
    for (const Etape& e : scenario) {
        (f.get()->*e.commande)->trigger();
        SCOPED_TRACE(e.quoi);
        verifieMenus(*f, e.menus, e.quoi);
        EXPECT_EQ(f->Mode_Arb, e.modeArb);
        EXPECT_EQ(f->Mode_Trame, !e.modeArb);
        EXPECT_EQ(f->Frame_Trame->isHidden(), e.modeArb);
        EXPECT_EQ(f->Frame_simul->isHidden(), e.modeArb);
        EXPECT_EQ(f->Frame_Iden->isHidden(), !e.modeArb);
        EXPECT_EQ(f->Frame_Arb->isHidden(), !e.modeArb);
        EXPECT_EQ(f->T.Long_Max, 3);
    }
    // The arbitration areas moved under each other and stay there.
    EXPECT_EQ(f->Frame_Iden->pos(), QPoint(Twips(120), Twips(120)));
    EXPECT_EQ(f->Frame_Arb->geometry(), QRect(Twips(120), Twips(3850), Twips(14895), Twips(6800)));
}

TEST_F(Fenetre, EffacerRemetLesMenusEtLePasAPas) {
    // "Effacer" in frame mode, after a return from arbitration, takes the legend
    // menu away again and gives back the display menu whatever its state.
    f->Simulation_arbitrage->trigger();
    f->Simulation_trame->trigger();
    f->Active_Menu(f->Affichage, false);
    f->Num_Bit = 12;
    f->Cpt_Bit = 3;
    f->Cpt_Octet = 1;
    f->Pas_Lance = true;
    f->Trace_Fini = true;
    f->Pos_X = 60;
    QTest::mouseClick(f->BP_Clear, Qt::LeftButton);
    verifieMenus(*f, ModeTrameAuDepart, "Effacer en mode trame");
    EXPECT_EQ(f->Num_Bit, 0);
    EXPECT_EQ(f->Cpt_Bit, 0);
    EXPECT_EQ(f->Cpt_Octet, 0);
    EXPECT_FALSE(f->Pas_Lance);
    EXPECT_FALSE(f->Trace_Fini);
    EXPECT_EQ(f->Pos_X, 0);

    // In arbitration mode it leaves the legend menu usable, "Masquer" offered.
    f->Simulation_arbitrage->trigger();
    f->Masquer->setEnabled(false);
    f->Af_legend->setEnabled(true);
    f->BP_Clear_Click();
    verifieMenus(*f, ModeArbitrage, "Effacer en mode arbitrage");
}

TEST_F(Fenetre, UnMenuRetabliGardeCeQuiEtaitInactifEnSoi) {
    // TraceArb is disabled on its own at start: disabling and enabling Graph leaves it so.
    f->Active_Menu(f->Graph, false);
    EXPECT_FALSE(f->Legend->isEnabled());
    EXPECT_FALSE(f->Aff_Emet->isEnabled());
    EXPECT_FALSE(f->Noir_Blanc->isEnabled());
    EXPECT_FALSE(f->Menu_Actif(f->TraceTr));
    f->Active_Menu(f->Graph, true);
    EXPECT_TRUE(f->Legend->isEnabled());
    EXPECT_TRUE(f->Aff_Emet->isEnabled());
    EXPECT_TRUE(f->Noir_Blanc->isEnabled());
    EXPECT_FALSE(f->Menu_Actif(f->TraceArb));
    EXPECT_FALSE(f->Masq[3]->isEnabled());
    // And an item disabled on its own stays so when its menu comes back.
    f->Active_Menu(f->Affichage, false);
    f->Active_Menu(f->Affichage, true);
    EXPECT_TRUE(f->Pas_a_Pas->isEnabled());
    f->Instantanne->setEnabled(false);
    f->Active_Menu(f->Affichage, false);
    f->Active_Menu(f->Affichage, true);
    EXPECT_FALSE(f->Instantanne->isEnabled());
}

TEST_F(Fenetre, SeulsLesRaccourcisDesMenusActifsAgissent) {
    active();
    f->setFocus();
    const auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };
    const auto essaie = [&](QAction* item, const QKeySequence& touche) {
        QSignalSpy spy(item, &QAction::triggered);
        QTest::keySequence(f.get(), touche);
        return spy.count() == 1;
    };
    // Frame mode: the frame trace items answer, the arbitration ones do not.
    EXPECT_TRUE(essaie(f->Aff_Emet, ctrl(Qt::Key_E)));
    EXPECT_FALSE(essaie(f->Masq[0], ctrl(Qt::Key_F1)));
    EXPECT_FALSE(essaie(f->Masquer, ctrl(Qt::Key_M)));

    f->Simulation_arbitrage->trigger();
    EXPECT_FALSE(essaie(f->Instantanne, ctrl(Qt::Key_I)));
    EXPECT_FALSE(essaie(f->Aff_Emet, ctrl(Qt::Key_E)));
    EXPECT_FALSE(essaie(f->Aff_T_Brute, QKeySequence(Qt::Key_F3)));
    EXPECT_FALSE(essaie(f->Legend, QKeySequence(Qt::Key_F2)));
    EXPECT_TRUE(essaie(f->Masq[0], ctrl(Qt::Key_F1)));
    EXPECT_TRUE(essaie(f->Masquer, ctrl(Qt::Key_M)));
}

TEST_F(Fenetre, UnElementCochableNeSeCocheQueParSonGestionnaire) {
    QAction essai(QStringLiteral("essai"), f.get());
    essai.setCheckable(true);
    bool cocheVueParLeGestionnaire = true;
    f->Connecte_Menu(&essai, [&] { cocheVueParLeGestionnaire = essai.isChecked(); });
    essai.trigger();
    EXPECT_FALSE(cocheVueParLeGestionnaire);
    EXPECT_FALSE(essai.isChecked());
}

TEST_F(Fenetre, FermerLaFenetreFermeLaFenetreDeContact) {
    active();
    auto* contact = new QDialog(f.get());
    contact->show();
    ASSERT_TRUE(contact->isVisible());
    f->Quitter->trigger();
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(contact->isVisible());
    EXPECT_TRUE(plateforme.messages.empty()); // no confirmation, nothing saved
}

TEST_F(Fenetre, LaSaisieCommenceDansLaZoneVisible) {
    active();
    EXPECT_EQ(QApplication::focusWidget(), f->Identifiant);
    f->Simulation_arbitrage->trigger();
    EXPECT_EQ(QApplication::focusWidget(), f->Noeud[0]);
    f->Simulation_trame->trigger();
    EXPECT_EQ(QApplication::focusWidget(), f->Identifiant);
    // The symbol string lies under the areas: never reached with the Tab key.
    EXPECT_EQ(f->TrameDR->focusPolicy(), Qt::NoFocus);
}
