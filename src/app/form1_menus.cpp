// The menu bar of the main window, and enabling menus as a whole.
//
// Every menu owns one non-exclusive QActionGroup holding its items (and the entries of
// its submenus). Disabling the group greys the items and silences their shortcuts;
// enabling it again brings back only the items that were not disabled on their own,
// because QAction remembers an explicit setEnabled(false) apart from its group's state.
//
// The menu shortcuts win over the control that has the focus, as in the classic window:
// a text box would otherwise keep Ctrl+A, Ctrl+C or Ctrl+E for its own editing (select
// all, copy, end of line) and the menu item would never run. The window watches the key
// events of its own controls: it refuses the box's claim on a shortcut key, so the
// shortcut runs its item once (when the item is enabled), and it drops the key press
// that follows when the shortcut did not run (its item disabled), so that such a key
// never types, moves or selects anything in a box.
#include "app/form1.h"

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace varnel {

namespace {

constexpr const char* ProprieteActif = "varnel_actif";

QActionGroup* groupe(const QMenu* menu) {
    return menu->findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly);
}

// A menu's own enabled flag, as last set by Active_Menu (true at design).
bool actifPropre(const QMenu* menu) {
    const QVariant v = menu->property(ProprieteActif);
    return !v.isValid() || v.toBool();
}

QMenu* menuParent(const QMenu* menu) {
    return qobject_cast<QMenu*>(menu->parent());
}

// Gives the items of `menu` and of its submenus the state their menus allow.
void propage(QMenu* menu, bool parentActif) {
    const bool actif = parentActif && actifPropre(menu);
    groupe(menu)->setEnabled(actif);
    for (QAction* a : menu->actions())
        if (a->menu()) propage(a->menu(), actif);
}

QMenu* nouveauMenu(QWidget* parent, const char* nom, const QString& titre) {
    auto* m = new QMenu(titre, parent);
    m->setObjectName(QLatin1String(nom));
    m->menuAction()->setObjectName(QLatin1String(nom));
    new QActionGroup(m);
    groupe(m)->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    return m;
}

QMenu* menuPrincipal(QMenuBar* barre, const char* nom, const QString& titre) {
    QMenu* m = nouveauMenu(barre, nom, titre);
    barre->addMenu(m);
    return m;
}

QMenu* sousMenu(QMenu* parent, const char* nom, const QString& titre) {
    QMenu* m = nouveauMenu(parent, nom, titre);
    groupe(parent)->addAction(parent->addMenu(m));
    return m;
}

QAction* element(QMenu* menu, const char* nom, const QString& titre, const QKeySequence& raccourci = {},
                 bool cochable = false) {
    auto* a = new QAction(titre, menu);
    a->setObjectName(QLatin1String(nom));
    a->setShortcut(raccourci);
    a->setCheckable(cochable);
    menu->addAction(a);
    groupe(menu)->addAction(a);
    return a;
}

// True when `touche` is the shortcut of one of these items or of an item of their submenus.
bool estRaccourci(const QList<QAction*>& items, const QKeySequence& touche) {
    for (const QAction* a : items)
        if (a->menu() ? estRaccourci(a->menu()->actions(), touche) : a->shortcut() == touche) return true;
    return false;
}

// A blank top-level entry that only spaces the menus out.
void espace(QMenuBar* barre, const char* nom, int espaces) {
    QAction* a = barre->addAction(QString(espaces, QLatin1Char(' ')));
    a->setObjectName(QLatin1String(nom));
}

} // namespace

void Form1::Cree_Menus() {
    QMenuBar* barre = menuBar();
    const auto ctrl = [](Qt::Key k) { return QKeySequence(Qt::CTRL | k); };

    Fichier = menuPrincipal(barre, "Fichier", QStringLiteral("&Fichier"));
    Imprimer = element(Fichier, "Imprimer", QStringLiteral("&Imprimer"));
    Quitter = element(Fichier, "Quitter", QStringLiteral("&Quitter"));
    espace(barre, "Rien1", 2);
    espace(barre, "rien2", 4);

    Mode = menuPrincipal(barre, "Mode", QStringLiteral("&Mode"));
    Simulation_trame = element(Mode, "Simulation_trame", QStringLiteral("&Simulation Trame"));
    Simulation_arbitrage = element(Mode, "Simulation_arbitrage", QStringLiteral("&Simulation Arbitrage"));
    espace(barre, "rien3", 5);
    espace(barre, "rien4", 7);

    Pref = menuPrincipal(barre, "Pref", QStringLiteral("&Préférences"));
    Aff_T_Brute =
        element(Pref, "Aff_T_Brute", QStringLiteral("&Afficher trame brute"), QKeySequence(Qt::Key_F3), true);
    Aff_T_Stuff = element(Pref, "Aff_T_Stuff", QStringLiteral("&Afficher trame stuffée"),
                          QKeySequence(Qt::Key_F4), true);
    Debit_Donnees = sousMenu(Pref, "Debit_Donnees", QStringLiteral("&Débit des données"));
    Rapport2 = element(Debit_Donnees, "Rapport2", QStringLiteral("×2"), {}, true);
    Rapport4 = element(Debit_Donnees, "Rapport4", QStringLiteral("×4"), {}, true);
    Rapport8 = element(Debit_Donnees, "Rapport8", QStringLiteral("×8"), {}, true);
    espace(barre, "rien5", 1);

    Graph = menuPrincipal(barre, "Graph", QStringLiteral("&Graph"));
    Legend = element(Graph, "Legend", QStringLiteral("&Légende"), QKeySequence(Qt::Key_F2), true);
    TraceTr = sousMenu(Graph, "TraceTr", QStringLiteral("&Traces simul Trame"));
    Aff_Emet = element(TraceTr, "Aff_Emet", QStringLiteral("&Masquer Emetteur"), ctrl(Qt::Key_E), true);
    Aff_Recep = element(TraceTr, "Aff_Recep", QStringLiteral("&Masquer Récepteur"), ctrl(Qt::Key_R), true);
    Aff_Bus = element(TraceTr, "Aff_Bus", QStringLiteral("&Masquer Bus"), ctrl(Qt::Key_B), true);
    TraceArb = sousMenu(Graph, "TraceArb", QStringLiteral("&Traces simul Arbitrage"));
    const char* const nomsMasq[4] = {"Masq1", "Masq2", "Masq3", "MasqBus"};
    const Qt::Key touchesMasq[4] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
    for (int k = 0; k < 4; ++k) {
        const QString sujet =
            k < 3 ? QStringLiteral("Noeud") + QString::number(k + 1) : QStringLiteral("Bus");
        Masq[k] =
            element(TraceArb, nomsMasq[k], QStringLiteral("&Masquer ") + sujet, ctrl(touchesMasq[k]), true);
        Masq[k]->setChecked(true);
    }
    Coul_Graph = sousMenu(Graph, "Coul_Graph", QStringLiteral("&Couleurs Graph"));
    Noir_Blanc = element(Coul_Graph, "Noir_Blanc", QStringLiteral("&Noir et Blanc"));
    Copie_PP = element(Graph, "Copie_PP", QStringLiteral("&Copie vers le presse papier"), ctrl(Qt::Key_C));
    espace(barre, "rien6", 9);

    Affichage = menuPrincipal(barre, "Affichage", QStringLiteral("&Affichage"));
    Pas_a_Pas = element(Affichage, "Pas_a_Pas", QStringLiteral("&Pas à Pas"), ctrl(Qt::Key_P));
    Instantanne = element(Affichage, "Instantanne", QStringLiteral("&Instantanné"), ctrl(Qt::Key_I));

    Legende = menuPrincipal(barre, "Legende", QStringLiteral("&Légende"));
    Masquer = element(Legende, "Masquer", QStringLiteral("&Masquer"), ctrl(Qt::Key_M));
    Af_legend = element(Legende, "Af_legend", QStringLiteral("&Afficher"), ctrl(Qt::Key_A));

    Plus = menuPrincipal(barre, "Plus", QStringLiteral("&Plus"));
    Aide = element(Plus, "Aide", QStringLiteral("&Aide"), QKeySequence(Qt::Key_F1));
    Apropos = element(Plus, "Apropos", QStringLiteral("&A Propos"));

    // The key events of every control, those created later included, pass by the window.
    QApplication::instance()->installEventFilter(this);
}

bool Form1::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
    const auto* controle = qobject_cast<QWidget*>(objet);
    if (controle == nullptr || controle->window() != this) return false;
    const auto* touche = static_cast<QKeyEvent*>(e);
    if (!estRaccourci(menuBar()->actions(), QKeySequence(touche->keyCombination()))) return false;
    // Refused override: the shortcut runs. Accepted key press: nobody else sees it.
    e->setAccepted(e->type() == QEvent::KeyPress);
    return true;
}

void Form1::Active_Menu(QMenu* menu, bool actif) {
    menu->setProperty(ProprieteActif, actif);
    menu->menuAction()->setEnabled(actif);
    const QMenu* parent = menuParent(menu);
    propage(menu, parent == nullptr || Menu_Actif(parent));
}

bool Form1::Menu_Actif(const QMenu* menu) const {
    for (const QMenu* m = menu; m != nullptr; m = menuParent(m))
        if (!actifPropre(m)) return false;
    return true;
}

void Form1::Connecte_Menu(QAction* item, std::function<void()> gestion) {
    connect(item, &QAction::triggered, this, [item, gestion = std::move(gestion)](bool) {
        // Qt has already toggled a checkable item; the handler decides its mark.
        if (item->isCheckable()) item->setChecked(!item->isChecked());
        gestion();
    });
}

} // namespace varnel
