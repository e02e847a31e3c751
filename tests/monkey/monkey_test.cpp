// Random interaction: a fresh window driven by a long seeded sequence of whatever a user can do
// (keys of every kind into every box, check boxes, buttons, enabled menu items in both modes, mouse
// on the plots, pasting), with invariants checked after every event. On failure the seed and the
// last events are printed and the whole list goes to a file, for a replay with
//   VARNEL_MONKEY_SEED=<seed> VARNEL_MONKEY_EVENTS=<n> test_monkey
#include "../editor/editeur.h"
#include "oracle_trame.h"

#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextStream>

#include <random>

namespace varnel {
namespace {

// States the walk must reach for its invariants to mean something (counted over all seeds).
constexpr const char* Etats[] = {"a frame stuffed",         "a frame drawn to its end",
                                 "twelve contention steps", "a message box",
                                 "a CAN FD frame stuffed",  "a CAN FD frame drawn",
                                 "a disturbed run drawn",   "a bit's right-click menu"};
using Atteints = std::array<int, std::size(Etats)>;

class Singe : Fenetre {
public:
    Singe(unsigned graine, Atteints& atteints) : alea_(graine), atteints_(atteints) {
        f->Cree_Zone_Arbitrage(); // made on first use: made now, its boxes join the lists
        boites_ = f->findChildren<BoiteHexa*>();
        for (BoiteHexa* b : boites_) saisies_.push_back(b);
        saisies_.push_back(f->DonneesFD);
        cases_ = f->findChildren<QCheckBox*>();
        boutons_ = {f->BP_Clear, f->BP_RAZ};
        for (QAction* a : f->findChildren<QAction*>())
            if (!a->menu() && !a->isSeparator() && a != f->Quitter && !a->objectName().isEmpty())
                actions_.push_back(a);
    }

    // Plays n events; returns an empty text, or what went wrong.
    QString joue(int n) {
        for (int i = 0; i < n; ++i, ++joues_) {
            // Every question (clipboard warning), number dialog (a bit, the counters; empty:
            // cancelled) and right-click menu (-1: dismissed) is answered at random.
            pf.reponses.assign(1, tire(2) ? Plateforme::Reponse::Oui : Plateforme::Reponse::Non);
            pf.saisies.assign(1, tire(5) ? std::vector<int>{tire(300) - 20, tire(300) - 20}
                                         : std::vector<int>{});
            pf.choixMenus.assign(1, tire(4) - 1);
            unEvenement();
            if (const QString faute = verifie(); !faute.isEmpty()) return ++joues_, faute;
            const bool stuf = !f->Trame_Bin_Stuf->text().isEmpty(), fini = f->Trace_Fini, fd = f->FD.actif;
            const bool etats[] = {stuf,
                                  fini,
                                  f->Pas_Arb == 13,
                                  !pf.messages.empty(),
                                  fd && stuf,
                                  fd && fini,
                                  !f->Err_Aucune->isChecked() && fini,
                                  !pf.menus.empty()};
            for (size_t k = 0; k < std::size(etats); ++k) atteints_[k] += etats[k];
        }
        return {};
    }

    const QStringList& journal() const { return journal_; }
    int joues() const { return joues_; }

private:
    int tire(int n) { return std::uniform_int_distribution<int>(0, n - 1)(alea_); }

    template <class T> T* choisit(const QList<T*>& liste) {
        QList<T*> utilisables;
        for (T* w : liste)
            if (w->isVisible() && w->isEnabled()) utilisables.push_back(w);
        return utilisables.isEmpty() ? nullptr : utilisables.at(tire(int(utilisables.size())));
    }

    void unEvenement() {
        // Out of 20 events: 10 keys, 1 check box, 1 button, 4 menus, 2 mouse, 2 pastes.
        const int n = tire(20);
        const auto geste = n < 10   ? &Singe::toucheDansBoite
                           : n < 11 ? &Singe::caseACocher
                           : n < 12 ? &Singe::bouton
                           : n < 16 ? &Singe::menu
                           : n < 18 ? &Singe::souris
                                    : &Singe::colle;
        (this->*geste)();
        QCoreApplication::processEvents();
    }

    void toucheDansBoite() {
        QWidget* b = choisit(saisies_);
        if (!b) return;
        b->setFocus();
        const int genre = tire(12);
        QString quoi;
        if (genre < 7) { // hexadecimal digits, letters in both cases
            quoi = QString(QChar("0123456789ABCDEF"[tire(16)]));
            QTest::keyClicks(b, genre >= 5 ? quoi.toLower() : quoi);
        } else if (genre == 7) { // sent as a key event of its own: the test library only types ASCII
            const QString choix = QString::fromUtf8("ghijklmnopqrstuvwxyzGHZ!-+ .,é");
            quoi = choix.at(tire(int(choix.size())));
            QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, quoi);
            QApplication::sendEvent(b, &appui);
        } else {
            // Ten editing keys, then every menu shortcut: those go to the menus and leave the box as it is.
            static const QList<QKeySequence> touches = QKeySequence::listFromString(
                "Backspace; Del; Tab; Left; Home; End; Return; Ctrl+Z; Ctrl+X; Shift+Left; Ctrl+P; Ctrl+I; "
                "Ctrl+A; Ctrl+M; Ctrl+C; Ctrl+E; Ctrl+R; Ctrl+B; F1; F2; F3; F4; Ctrl+F1; Ctrl+F2; Ctrl+F3; "
                "Ctrl+F4");
            const int i = tire(int(touches.size()));
            quoi = touches[i].toString();
            const auto saisie = [b] { // what a key may change in a box: text, selection, cursor
                if (auto* l = qobject_cast<QLineEdit*>(b))
                    return l->text() + '|' + l->selectedText() + QString::number(l->cursorPosition());
                const auto* t = static_cast<QPlainTextEdit*>(b);
                return t->toPlainText() + '|' + t->textCursor().selectedText() +
                       QString::number(t->textCursor().position());
            };
            const QString avant = saisie();
            QTest::keySequence(b, touches[i]);
            if (i >= 10 && b->isEnabled() && saisie() != avant)
                faute_ = "the shortcut " + quoi + " edited " + b->objectName();
        }
        note(QString("touche %1 dans %2").arg(quoi, b->objectName()));
    }

    void caseACocher() {
        if (QCheckBox* c = choisit(cases_))
            note("clic " + c->objectName()),
                QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));
    }

    void bouton() {
        if (QPushButton* b = choisit(boutons_))
            note("clic " + b->objectName()), QTest::mouseClick(b, Qt::LeftButton);
    }

    void menu() {
        QList<QAction*> actives;
        for (QAction* a : actions_)
            if (a->isEnabled() && a->isVisible()) actives.push_back(a);
        if (actives.isEmpty()) return;
        // The step command is what a user presses most, and it takes twelve of them
        // in a row to finish an arbitration: give it two thirds of the menu events.
        QAction* a = tire(3) != 0 && actives.contains(f->Pas_a_Pas) ? f->Pas_a_Pas
                                                                    : actives.at(tire(int(actives.size())));
        note("menu " + a->objectName());
        a->trigger();
    }

    void souris() {
        VisuPlot* plot = f->Mode_Trame ? f->Visu_CAN : f->Visu_ARB;
        if (!plot->isVisible()) return;
        QPoint p(tire(plot->width()), tire(plot->height()));
        // Half of the presses aim at a text item, where inspection and dragging happen.
        if (tire(2) && plot->Nb_Annotations() > 0) {
            const Annotation& a = plot->Annotation_Item(tire(plot->Nb_Annotations()));
            p = QPoint(int(plot->X_Vers_Pixel(a.x)) + 2, int(plot->Y_Vers_Pixel(a.y)) - 2);
        }
        const int b = tire(6);
        const Qt::MouseButton bouton = b == 0 ? Qt::MiddleButton : b == 1 ? Qt::RightButton : Qt::LeftButton;
        const QPoint fin(tire(plot->width()), p.y());
        note(QString::asprintf("souris %d (%d,%d)->(%d,%d) sur ", int(bouton), p.x(), p.y(), fin.x(),
                               fin.y()) +
             plot->objectName());
        QTest::mousePress(plot, bouton, {}, p);
        QMouseEvent move(QEvent::MouseMove, QPointF(fin), plot->mapToGlobal(QPointF(fin)), Qt::NoButton,
                         bouton, Qt::NoModifier);
        QApplication::sendEvent(plot, &move);
        QTest::mouseRelease(plot, bouton, {}, fin);
    }

    void colle() {
        QWidget* b = choisit(saisies_);
        if (!b) return;
        static const char* textes[] = {"12", "7ff",       "1FC00000", "zz",       "A5",
                                       "0",  "123456789", "9",        "01 02\n03"};
        const QString t = textes[tire(int(std::size(textes)))];
        QGuiApplication::clipboard()->setText(t);
        b->setFocus();
        note(QString("colle \"%1\" dans %2").arg(t, b->objectName()));
        QTest::keyClick(b, Qt::Key_V, Qt::ControlModifier);
    }

    void note(const QString& s) { journal_.push_back(s); }

    // ---- Invariants: an empty text, or what is wrong ----

    QString verifie() {
        const bool trame = f->Mode_Trame;
        if (trame == f->Mode_Arb) return "not exactly one mode";
        if (f->Frame_Trame->isHidden() == trame || f->Frame_simul->isHidden() == trame ||
            f->Frame_Iden->isHidden() != trame || f->Frame_Arb->isHidden() != trame)
            return "visible areas do not match the mode";
        if (QApplication::activeModalWidget()) return "a modal dialog is left open";
        if (!faute_.isEmpty()) return faute_;
        static const QRegularExpression hexa("^[0-9A-F]*$");
        for (BoiteHexa* b : boites_)
            if (b->text().size() > b->maxLength() || !hexa.match(b->text()).hasMatch())
                return QString("box %1 holds \"%2\"").arg(b->objectName(), b->text());
        if (f->Visu_CAN->Courbes().size() > 4 || (f->Visu_ARB && f->Visu_ARB->Courbes().size() > 4))
            return "traces pile up on a plot";
        for (auto v : {&Singe::verifieTrame, &Singe::verifieDonnees, &Singe::verifieErreurs})
            if (QString faute = (this->*v)(); !faute.isEmpty()) return faute;
        return {};
    }

    // The six texts of the frame against the boxes and against the oracle's stuffing, CRC and symbols.
    QString verifieTrame() {
        const QString brute = f->Trame_Bin->text(), stuf = f->Trame_Bin_Stuf->text();
        if (brute.isEmpty())
            return !stuf.isEmpty() ? "stuffed frame without a raw frame"
                   : !f->FD.actif && f->Text1->text() != "" && f->Text1->text() != "0"
                       ? "Text1 counts no frame"
                       : "";
        QStringList g = brute.split(' ');
        const bool queue = g.size() >= 3 && g.mid(g.size() - 2) == QStringList{"11", "1111111"};
        if (queue)
            g = g.mid(0, g.size() - 2);
        else if (f->FD.actif || !stuf.isEmpty())
            return "stuffed frame while the raw frame has no tail: " + brute;
        if (f->FD.actif)
            if (QString faute = verifieEnteteFD(g); !faute.isEmpty()) return faute + ": " + brute;
        const int champs = f->FD.actif ? 2 : 1; // CRC group, after the stuff count in CAN FD
        const std::string avant = g.mid(0, g.size() - champs).join("").toStdString();
        const oracle::Envoi e =
            f->FD.actif ? oracle::FD(avant, g.last().size() == 21) : oracle::Classique(avant);
        if (g.mid(g.size() - champs).join("").toStdString() != e.champ)
            return "the CRC field of Trame_Bin is not that of its bits: " + brute;
        if (f->Champ_CRC->text() != QString::number(e.crc, 16).toUpper()) return "Champ_CRC disagrees";
        if (f->Text1->text() != QString::number(avant.size() + e.champ.size() + 9)) return "Text1 disagrees";
        if (stuf.isEmpty()) return {};
        if (stuf.toStdString() != e.bits + "111111111") return "Trame_Bin_Stuf is not the stuffed frame";
        if (f->Text2->text() != QString::number(stuf.size())) return "Text2 disagrees";
        if (f->TrameDR->text().toStdString() != e.dr + std::string(10, 'r')) return "TrameDR disagrees";
        return {};
    }

    // SOF, identifier, RRS, then IDE (base only) FDF res BRS ESI DLC against the check boxes and the
    // DLC box, the data bytes against DonneesFD, the widths of the stuff count and CRC groups.
    QString verifieEnteteFD(const QStringList& g) {
        const bool etendue = g.size() > 2 && g[2] == "11";
        const int entete = etendue ? 6 : 4;
        if (g.size() < entete + 2 || g[0] != "0" || g[entete - 2] != "0") return "FD header of another shape";
        const QString ctrl = g[entete - 1];
        const QString attendu =
            QString(etendue ? "" : "0") + "10" + (f->CheckBRS->isChecked() ? "1" : "0") +
            (f->CheckESI->isChecked() ? "1" : "0") +
            oracle::Bits(uint64_t(Val_Hexa(f->Controle->text().toStdString())), 4).c_str();
        if (ctrl != attendu) return "FD control field disagrees with the boxes";
        const int longueur = Longueur_FD(ctrl.right(4).toInt(nullptr, 2));
        const QStringList octets = g.mid(entete, g.size() - entete - 2);
        const QString chiffres = f->DonneesFD->chiffres();
        if (octets.size() > longueur || octets.size() != std::min<qsizetype>(chiffres.size() / 2, longueur))
            return "FD data bytes disagree with DonneesFD";
        for (int k = 0; k < octets.size(); ++k)
            if (octets[k].size() != 8 ||
                octets[k].toInt(nullptr, 2) != chiffres.mid(2 * k, 2).toInt(nullptr, 16))
                return QString("FD data byte %1 disagrees with DonneesFD").arg(k);
        if (g[g.size() - 2].size() != 4 || g.last().size() != (longueur > 16 ? 21 : 17))
            return "FD CRC field of another shape";
        return {};
    }

    QString verifieDonnees() {
        if (!f->Mode_Trame) return {};
        const BoiteOctets* fd = f->DonneesFD;
        if (fd->toPlainText() != BoiteOctets::Mise_En_Forme(fd->chiffres()) ||
            fd->chiffres().size() > fd->capacite())
            return "DonneesFD holds \"" + fd->toPlainText() + '"';
        if (f->FD.actif != f->CheckFD->isChecked() || f->Check2->isEnabled() == f->FD.actif ||
            f->CheckBRS->isHidden() == f->FD.actif || f->CheckESI->isHidden() == f->FD.actif)
            return "the FD controls do not follow CheckFD";
        const int longueur = Longueur_FD(Val_Hexa(f->Controle->text().toStdString()));
        if (f->FD.actif &&
            (fd->capacite() != 2 * longueur || fd->isHidden() == (longueur > 0) || f->Check2->isChecked()))
            return "DonneesFD does not follow the DLC";
        if (!f->FD.actif && !fd->isHidden()) return "DonneesFD shown for a classic frame";
        const int dlc = f->FD.actif || f->Check2->isChecked() ? 0 : f->Controle->text().toInt();
        for (int k = 0; k < 8; ++k)
            if (!f->Data[k]->isHidden() != (k < dlc)) return QString("Data%1 does not follow the DLC").arg(k);
        return {};
    }

    // One disturbance checked, the one the run is made of; its lines shown with it; the
    // drawing never past its run.
    QString verifieErreurs() {
        using S = Perturbation::Sorte;
        const std::pair<QAction*, S> items[] = {{f->Err_Aucune, S::Aucune},
                                                {f->Err_Bus, S::Bus},
                                                {f->Err_Emet, S::Emetteur},
                                                {f->Err_Recep, S::Recepteur},
                                                {f->Err_Ack, S::Acquittement}};
        int coches = 0;
        for (const auto& [item, sorte] : items)
            if (item->isChecked() && (++coches, sorte != f->Err_Perturbation.sorte))
                return "the checked disturbance is not the one run";
        if (coches != 1) return QString("%1 disturbances checked").arg(coches);
        const bool erreur = !f->Err_Aucune->isChecked();
        if (f->Mode_Trame && (f->Compteurs->isHidden() == erreur || f->Detections->isHidden() == erreur))
            return "the counters line does not follow the disturbance";
        if (erreur && f->Dessin.Actif() && !f->Dessin.Bits().empty() &&
            f->Dessin.Bits() != f->Err_Deroulement.bits)
            return "the plot draws other bits than the run";
        if (f->Dessin.Dessines() > f->Dessin.Bits().size()) return "drawn past the end of the run";
        return {};
    }

    std::mt19937 alea_;
    Atteints& atteints_;
    QList<BoiteHexa*> boites_;
    QList<QWidget*> saisies_; // where keys are typed: the hexadecimal boxes and DonneesFD
    QList<QCheckBox*> cases_;
    QList<QPushButton*> boutons_;
    QList<QAction*> actions_;
    QStringList journal_;
    QString faute_; // found while playing an event, reported by verifie()
    int joues_ = 0; // events played, the failing one included
};

int entier(const char* variable, int defaut) {
    bool ok = false;
    const int v = qEnvironmentVariable(variable).toInt(&ok);
    return ok ? v : defaut;
}

TEST(Singe, RandomInteractionKeepsEveryInvariant) {
    std::vector<unsigned> graines = {1, 2, 3, 4, 5};
    if (qEnvironmentVariableIsSet("VARNEL_MONKEY_SEED"))
        graines = {unsigned(entier("VARNEL_MONKEY_SEED", 1))};
    const int parGraine = entier("VARNEL_MONKEY_EVENTS", 20000);
    Atteints total{};
    for (unsigned graine : graines) {
        Singe singe(graine, total);
        const QString faute = singe.joue(parGraine);
        if (faute.isEmpty()) continue;
        const QString chemin = QString("monkey-seed-%1.log").arg(graine);
        QFile fichier(chemin);
        if (fichier.open(QIODevice::WriteOnly | QIODevice::Text))
            QTextStream(&fichier) << singe.journal().join('\n') << '\n';
        const QStringList fin = singe.journal().mid(std::max<qsizetype>(0, singe.journal().size() - 40));
        ADD_FAILURE() << "seed " << graine << " after " << singe.joues() << " events: " << faute.toStdString()
                      << "\nlast events:\n  " << fin.join("\n  ").toStdString()
                      << "\nfull list: " << chemin.toStdString() << "\nreplay: VARNEL_MONKEY_SEED=" << graine
                      << " VARNEL_MONKEY_EVENTS=" << singe.joues();
        return;
    }
    if (parGraine < 5000) return; // a short replay need not reach everything
    for (size_t k = 0; k < total.size(); ++k) EXPECT_GT(total[k], 0) << Etats[k];
}

} // namespace
} // namespace varnel
