// The main window: start-up state, menu bar, the two modes, "Effacer", shortcuts, text colours, closing.
#include "../editor/editeur.h"

#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

using namespace varnel;

namespace {

struct Principale : Editeur {
    // Enabled: menus Pref TraceTr TraceArb Affichage Legende (with their items), then the
    // items switched on their own Legend Instantanne Masquer Af_legend.
    void verifieMenus(const char* attendu) {
        QString vu;
        for (QMenu* m : {f->Pref, f->TraceTr, f->TraceArb, f->Affichage, f->Legende})
            vu += f->Menu_Actif(m) && m->menuAction()->isEnabled() ? '1' : '0';
        for (QAction* a : {f->Legend, f->Instantanne, f->Masquer, f->Af_legend})
            vu += a->isEnabled() ? '1' : '0';
        EXPECT_EQ(vu, QLatin1String(attendu));
        EXPECT_TRUE(f->Aff_T_Brute->isEnabled() == (attendu[0] == '1') && // what a user sees
                    f->Masq[0]->isEnabled() == (attendu[2] == '1'));
    }
};

// Back in frame mode, "Effacer" has run with the arbitration flag still set.
constexpr const char *ModeTrame = "110101100", *ModeArbitrage = "001110010", *RetourModeTrame = "110111110";

} // namespace

TEST_F(Principale, DemarreEnModeTrame) {
    EXPECT_TRUE(f->Mode_Trame && !f->Mode_Arb && !f->Frame_Trame->isHidden() && !f->Frame_simul->isHidden() &&
                f->Frame_Iden->isHidden() && f->Frame_Arb->isHidden() && f->Text4->isHidden());
    Attend_Boites(0, 3800);
    EXPECT_EQ(f->Champ_CRC->x(), Twips(3800));
    verifieMenus(ModeTrame);
    EXPECT_TRUE(f->Aff_Emet->isChecked() && f->Aff_Recep->isChecked() && f->Aff_Bus->isChecked());
    const std::pair<QLabel*, const char*> labels[] = {
        {f->Pref_Legende, "Légende OFF"}, {f->Pref_TB, "Trame brute ON"}, {f->Pref_TS, "Trame stuffée ON"},
        {f->Pref_Em, "Emetteur ON"},      {f->Pref_Rec, "Récepteur ON"},  {f->Pref_Bus, "Bus ON"}};
    const auto police = [](QWidget* w) {
        return QString(" %1 %2 %3").arg(w->font().family()).arg(w->font().pointSizeF()).arg(w->font().bold());
    };
    for (const auto& [label, texte] : labels) // the status line in small bold
        EXPECT_EQ(label->text() + label->palette().color(QPalette::WindowText).name() + police(label),
                  QString::fromUtf8(texte) + QColor(label == f->Pref_Legende ? Qt::red : Qt::blue).name() +
                      " Arial 8.25 1");
    for (QWidget* w : std::initializer_list<QWidget*>{f->Identifiant, f->Controle, f->Data[7], f->Champ_CRC,
                                                      f->Noeud[2], f->Label11})
        EXPECT_EQ(police(w), w == f->Label11 ? " Arial 8.25 1" : " Arial 9.75 1")
            << w->objectName().toStdString();
    // Text colours: the captions and the identifier follow the frame; the stuffed frame is red.
    const auto couleurs = [&] {
        QString s;
        for (QWidget* w :
             std::initializer_list<QWidget*>{f->Check1, f->Identifiant, f->Check2, f->Label5, f->Label4,
                                             f->Text2, f->TrameDR, f->Label11, f->Text4})
            s += w->palette().color(w->foregroundRole()).name().mid(1) + ' ';
        return s + f->Check1->text() + '|' + f->Check2->text();
    };
    const QString suite = " ff0000 ff0000 ff0000 ff0000 808080 000000 ";
    EXPECT_EQ(couleurs(), "000000 000000 000000" + suite + "Standard|Trame de données. RTR dominant");
    f->Check1->click(), f->Check2->click();
    EXPECT_EQ(couleurs(), "008000 008000 ff0000" + suite + "Etendue|Trame de requête. RTR récessif");
}

TEST_F(Principale, BandeauALaTailleOuIlEstDessine) { // 80 mm, without scaling at start-up
    EXPECT_EQ(f->Picture2->pixmap().size(), QSize(Twips(4535), 74));
}

TEST_F(Principale, AucuneLegendeCoupee) { // for every caption the program gives a control
    f->Cree_Zone_Arbitrage();
    const char* requete = "Trame de requête. RTR récessif";
    const std::pair<QWidget*, const char*> autres[] = {
        {f->Check1, "Etendue"},          {f->Check3, "High speed"},       {f->Check2, requete},
        {f->CheckN[0], requete},         {f->CheckN[1], requete},         {f->CheckN[2], requete},
        {f->Pref_Legende, "Légende ON"}, {f->Pref_TB, "Trame brute OFF"}, {f->Pref_TS, "Trame stuffée OFF"},
        {f->Pref_Em, "Emetteur OFF"},    {f->Pref_Rec, "Récepteur OFF"},  {f->Pref_Bus, "Bus OFF"}};
    const auto tient = [](QWidget* c, const QString& texte) {
        c->setProperty("text", texte);
        EXPECT_LE(c->sizeHint().width(), c->width()) << texte.toStdString();
    };
    for (QWidget* c : std::initializer_list<QWidget*>{f->Labe1, f->Label2, f->Label1, f->Label7, f->Label5,
                                                      f->Label11, f->Label9, f->BP_RAZ})
        tient(c, c->property("text").toString());
    for (const auto& [c, texte] : autres)
        tient(c, c->property("text").toString()), tient(c, QString::fromUtf8(texte));
}

TEST_F(Principale, BarreDeMenus) {
    QStringList barre;
    for (QAction* a : f->menuBar()->actions())
        barre << (a->menu() ? a->text() : QString("[%1]").arg(a->text().size())); // blank spacers
    EXPECT_EQ(barre.join('|'), QString::fromUtf8("&Fichier|[2]|[4]|&Mode|[5]|[7]|&Préférences|[1]|"
                                                 "&Graph|[9]|&Affichage|&Légende|&Erreurs|&Plus"));
    // Item texts, with their shortcuts.
    const QString menus = QString::fromUtf8(
        "Fichier=&Imprimer|&Quitter;Mode=&Simulation Trame|&Simulation Arbitrage;Pref=Masquer trame brute F3|"
        "Masquer trame stuffée F4|&Débit des données;Debit_Donnees=×2|×4|×8;Graph=&Légende F2|&Traces simul "
        "Trame|&Traces simul Arbitrage|&Couleurs Graph|&Copie vers le presse papier Ctrl+C;TraceTr=&Masquer "
        "Emetteur Ctrl+E|&Masquer Récepteur Ctrl+R|&Masquer Bus Ctrl+B;TraceArb=&Masquer Noeud1 "
        "Ctrl+F1|&Masquer "
        "Noeud2 Ctrl+F2|&Masquer Noeud3 Ctrl+F3|&Masquer Bus Ctrl+F4;Coul_Graph=&Noir et "
        "Blanc;Affichage=&Pas à "
        "Pas Ctrl+P|&Instantanné Ctrl+I;Legende=&Masquer Ctrl+M|&Afficher Ctrl+A;Erreurs=&Aucune erreur|"
        "Perturbation du &bus…|Perturbation de l'é&metteur…|Perturbation du &récepteur…|&Pas d'acquittement||"
        "&Compteurs initiaux…;Plus=&Aide F1|&A Propos");
    for (const QString& menu : menus.split(';')) { // item texts with their shortcuts
        QStringList vus;
        for (QAction* a : f->findChild<QMenu*>(menu.section('=', 0, 0))->actions())
            vus << (a->text() + ' ' + a->shortcut().toString()).trimmed();
        EXPECT_EQ(vus.join('|'), menu.section('=', 1)) << menu.toStdString();
    }
}

TEST_F(Principale, ModesTwiceAndEffacer) {
    for (const char* menus : {ModeArbitrage, ModeArbitrage, RetourModeTrame, ModeTrame, ModeArbitrage}) {
        const bool arb = menus == ModeArbitrage;
        (arb ? f->Simulation_arbitrage : f->Simulation_trame)->trigger();
        verifieMenus(menus);
        EXPECT_EQ(std::tuple(f->Mode_Arb, f->Mode_Trame, f->Frame_Trame->isHidden(),
                             f->Frame_simul->isHidden(), f->Frame_Iden->isHidden(), f->Frame_Arb->isHidden()),
                  std::tuple(arb, !arb, arb, arb, !arb, !arb));
    }
    // In arbitration, "Effacer" leaves the legend menu usable with "Masquer" offered.
    f->Masquer->setEnabled(false), f->Af_legend->setEnabled(true);
    f->BP_Clear_Click();
    verifieMenus(ModeArbitrage);
    // Back in frame mode, it takes the legend menu away and gives back the display menu.
    f->Simulation_trame->trigger();
    f->Active_Menu(f->Affichage, false);
    f->Num_Bit = 12, f->Cpt_Bit = 3, f->Cpt_Octet = 1, f->Pas_Lance = f->Trace_Fini = true, f->Pos_X = 60;
    QTest::mouseClick(f->BP_Clear, Qt::LeftButton);
    verifieMenus(ModeTrame);
    EXPECT_EQ(std::tuple(f->Num_Bit, f->Cpt_Bit, f->Cpt_Octet, f->Pas_Lance, f->Trace_Fini, f->Pos_X),
              std::tuple(0, 0, 0, false, false, 0.));
}

// Every menu shortcut runs its item once whatever control has the focus, in both modes, and nothing
// while its item is disabled; the key never types, moves or selects anything in the control.
TEST_F(Principale, RaccourcisDesMenusQuelQueSoitLeFocus) {
    // Key, item, the modes where the item is enabled (T frame, A arbitration). Ctrl+A comes again
    // once "Afficher" has run: disabled, it must not select all either.
    const QStringList table =
        QString("F1 Aide TA|F2 Legend T|F3 Aff_T_Brute T|F4 Aff_T_Stuff T|Ctrl+E Aff_Emet T|"
                "Ctrl+R Aff_Recep T|Ctrl+B Aff_Bus T|Ctrl+C Copie_PP TA|Ctrl+P Pas_a_Pas TA|"
                "Ctrl+I Instantanne T|Ctrl+M Masquer TA|Ctrl+A Af_legend TA|Ctrl+A - -|Ctrl+F1 Masq1 A|"
                "Ctrl+F2 Masq2 A|Ctrl+F3 Masq3 A|Ctrl+F4 MasqBus A")
            .split('|');
    QStringList lances;
    for (QAction* a : f->findChildren<QAction*>())
        QObject::connect(a, &QAction::triggered, [&lances, a] { lances << a->objectName(); });
    const auto etat = [&] { // what the commands show (the guide F1 opens is not there)
        QString s = QString::number(pf.messages.size());
        for (QAction* a : f->findChildren<QAction*>())
            s += a->text() + char('0' + 2 * a->isChecked() + a->isEnabled());
        for (VisuPlot* v : {f->Visu_CAN, f->Visu_ARB})
            for (int i = 0; i < v->Nb_Annotations(); ++i) s += QString::number(v->Annotation_Item(i).y);
        return s;
    };
    const auto saisie = [](QWidget* w) { // what the key must leave as it is
        const auto* b = qobject_cast<QLineEdit*>(w);
        if (!b) return QString::number(w->property("checked").toBool());
        // A box that the command disables (the nodes, once a run starts) loses its selection.
        return b->text() +
               (b->isEnabled() ? '|' + b->selectedText() + QString::number(b->cursorPosition()) : "");
    };
    f->Identifiant->setText("123"), f->Controle->setText("1"), f->Data[0]->setText("AB");
    QStringList genres;
    for (bool arbitrage : {false, true}) {
        if (arbitrage) f->Simulation_arbitrage->trigger();
        for (const QString& ligne : table) {
            const QStringList c = ligne.split(' ');
            const bool actif = c[2].contains(arbitrage ? 'A' : 'T');
            const auto prepare = [&] { // the item's command has something to do
                arbitrage ? (f->BP_RAZ_Click(), f->Noeud[0]->setText("123"), f->Noeud[1]->setText("456"))
                          : f->BP_Clear_Click();
                if (c[1] != "Masquer" && c[1] != "Af_legend") return;
                arbitrage ? f->Aff_Texte_Arb(6, 90, "ID10", 0, 0) : f->Instantanne_Click();
                c[1] == "Masquer" ? f->Af_legend_Click() : f->Masquer_Click();
            };
            for (QWidget* w : f->findChildren<QWidget*>()) {
                if (w->focusPolicy() == Qt::NoFocus) continue;
                prepare();
                w->setFocus();
                if (!w->hasFocus()) continue; // hidden or disabled
                if (auto* b = qobject_cast<QLineEdit*>(w)) b->setSelection(1, 1);
                SCOPED_TRACE((ligne + " in " + w->objectName()).toStdString());
                genres << w->metaObject()->className();
                const QString avant = etat(), texte = saisie(w);
                lances.clear();
                QTest::keySequence(w, QKeySequence(c[0]));
                EXPECT_EQ(lances, actif ? QStringList{c[1]} : QStringList{});
                EXPECT_EQ(etat() != avant, actif && c[1] != "Aide");
                EXPECT_EQ(saisie(w), w->isEnabled() ? texte : texte.section('|', 0, 0));
            }
        }
    }
    genres.removeDuplicates(), genres.sort();
    EXPECT_EQ(genres.join(' '), "QCheckBox QLineEdit QPushButton varnel::BoiteHexa varnel::VisuPlot");
}

TEST_F(Principale, QuitterFermeAussiLaFenetreDeContact) {
    auto* contact = new QDialog(f.get());
    contact->show();
    f->Quitter->trigger();
    EXPECT_FALSE(f->isVisible() || contact->isVisible());
    EXPECT_TRUE(pf.messages.empty()); // no confirmation, nothing saved
}
