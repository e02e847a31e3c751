// Random interaction: a fresh window driven by a long seeded sequence of whatever a
// user can do (keys of every kind into every box, check boxes, buttons, enabled menu
// items in both modes, mouse on the plots, pasting), with invariants checked after
// every event. On failure the seed and the last events are printed; the whole event
// list goes to a file so that the run can be replayed:
//   VARNEL_MONKEY_SEED=<seed> VARNEL_MONKEY_EVENTS=<n> test_monkey
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "plateforme_factice.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>
#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace varnel {
namespace {

// ---- Independent reference computations -----------------------------------------

int crc15(const std::string& bits) {
    int reg = 0;
    for (char c : bits) {
        const int next = (c == '1') ^ ((reg >> 14) & 1);
        reg = (reg << 1) & 0x7FFF;
        if (next) reg ^= 0x4599;
    }
    return reg;
}

std::string stuffed(const std::string& bits) {
    std::string out;
    int run = 0;
    char last = 0;
    for (char c : bits) {
        if (run == 5) { // five equal bits were sent: the complement goes in first
            last = last == '0' ? '1' : '0';
            out += last;
            run = 1;
        }
        run = c == last ? run + 1 : 1;
        last = c;
        out += c;
    }
    if (run == 5) out += last == '0' ? '1' : '0';
    return out;
}

// A CAN FD frame recomputed from its raw bits: the dynamic stuffing up to the last data
// bit (none after it), the stuff count, the CRC over what is sent, the fixed stuff bits.
struct FD {
    std::string envoye;   // SOF .. last CRC bit as sent
    std::string symboles; // one letter per bit of `envoye`
    std::string compte;   // SC2 SC1 SC0 P
    uint32_t crc = 0;
};

FD stuffedFD(const std::string& donnees, bool crc21) {
    FD r;
    int run = 0, stuff = 0;
    char last = 0;
    for (size_t i = 0; i < donnees.size(); ++i) {
        const char c = donnees[i];
        run = c == last ? run + 1 : 1;
        last = c;
        r.envoye += c;
        r.symboles += c == '0' ? 'D' : 'r';
        if (run == 5 && i + 1 < donnees.size()) {
            last = last == '0' ? '1' : '0';
            r.envoye += last;
            r.symboles += last == '0' ? 's' : 'S';
            run = 1;
            ++stuff;
        }
    }
    const int gray = (stuff % 8) ^ ((stuff % 8) >> 1);
    const int parite = ((gray >> 2) ^ (gray >> 1) ^ gray) & 1;
    for (int b : {gray >> 2 & 1, gray >> 1 & 1, gray & 1, parite}) r.compte += char('0' + b);
    const int n = crc21 ? 21 : 17;
    const uint32_t poly = crc21 ? 0x102899 : 0x1685B;
    uint32_t reg = 1u << (n - 1);
    for (char c : r.envoye + r.compte) {
        const bool next = (c == '1') != bool(reg >> (n - 1) & 1);
        reg = (reg << 1) & ((1u << n) - 1);
        if (next) reg ^= poly;
    }
    r.crc = reg;
    std::string champ = r.compte;
    for (int i = n - 1; i >= 0; --i) champ += char('0' + (reg >> i & 1));
    auto fixe = [&] {
        const char f = r.envoye.back() == '0' ? '1' : '0';
        r.envoye += f;
        r.symboles += f == '0' ? 'f' : 'F';
    };
    fixe();
    for (size_t i = 0; i < champ.size(); ++i) {
        r.envoye += champ[i];
        r.symboles += champ[i] == '0' ? 'D' : 'r';
        if (i % 4 == 3) fixe();
    }
    return r;
}

// ---- The monkey -----------------------------------------------------------------

// States the walk must reach for its invariants to mean something (counted over all seeds).
struct Atteints {
    int trameStuffee = 0;  // a complete frame with its stuffed form
    int dessinFini = 0;    // a frame drawn to its end
    int arbitrageFini = 0; // twelve contention steps played
    int messages = 0;      // message boxes shown
    int trameFD = 0;       // a complete CAN FD frame with its stuffed form
    int dessinFD = 0;      // a CAN FD frame drawn to its end
    int dessinErreur = 0;  // the run of a disturbed frame drawn to its end
    int menuBit = 0;       // a right-click menu of a drawn bit shown
};

class Singe {
public:
    Singe(unsigned graine, Atteints& atteints) : alea_(graine), atteints_(atteints) {
        fenetre_ = std::make_unique<Form1>(plateforme_);
        fenetre_->show();
        fenetre_->activateWindow();
        // The arbitration area is made on first use: made now, its boxes join the lists.
        fenetre_->Cree_Zone_Arbitrage();
        boites_ = fenetre_->findChildren<BoiteHexa*>();
        for (BoiteHexa* b : boites_) saisies_.push_back(b);
        saisies_.push_back(fenetre_->DonneesFD);
        cases_ = fenetre_->findChildren<QCheckBox*>();
        boutons_ = {fenetre_->BP_Clear, fenetre_->BP_RAZ};
        for (QAction* a : fenetre_->findChildren<QAction*>()) {
            if (a->menu() || a->isSeparator() || a == fenetre_->Quitter) continue;
            if (!a->objectName().isEmpty()) actions_.push_back(a);
        }
    }

    // Plays n events; returns an empty text, or what went wrong.
    QString joue(int n) {
        for (int i = 0; i < n; ++i, ++joues_) {
            // Every question (clipboard warning), number dialog (a bit, the counters; empty:
            // cancelled) and right-click menu (-1: dismissed) is answered at random.
            plateforme_.reponses.assign(1, tire(2) ? Plateforme::Reponse::Oui : Plateforme::Reponse::Non);
            std::vector<int> nombres;
            if (tire(5)) nombres = {tire(300) - 20, tire(300) - 20};
            plateforme_.saisies.assign(1, nombres);
            plateforme_.choixMenus.assign(1, tire(4) - 1);
            unEvenement();
            const QString faute = verifie();
            if (!faute.isEmpty()) {
                ++joues_;
                return faute;
            }
            compteEtats();
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
        // Out of 20 events: 10 keys, 2 check boxes, 1 button, 4 menus, 2 mouse, 1 paste.
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
        static const char* hexa = "0123456789ABCDEF";
        static const char* autres = "ghijklmnopqrstuvwxyzGHZ!-+ .,é";
        const int genre = tire(12);
        QString quoi;
        if (genre < 7) { // hexadecimal digits, letters in both cases
            char c = hexa[tire(16)];
            if (genre >= 5) c = static_cast<char>(std::tolower(c));
            quoi = QString(QChar(c));
            QTest::keyClicks(b, quoi);
        } else if (genre == 7) {
            // Sent as a key event of its own: the test library only types ASCII.
            const QString choix = QString::fromUtf8(autres);
            quoi = choix.at(tire(int(choix.size())));
            QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, quoi);
            QApplication::sendEvent(b, &appui);
        } else {
            // Ten editing keys, then every menu shortcut: those go to the menus and leave the box as it is.
            constexpr int PremierRaccourci = 10;
            static const QList<QKeySequence> touches = QKeySequence::listFromString(
                "Backspace; Del; Tab; Left; Home; End; Return; Ctrl+Z; Ctrl+X; Shift+Left; Ctrl+P; Ctrl+I; "
                "Ctrl+A; Ctrl+M; Ctrl+C; Ctrl+E; Ctrl+R; Ctrl+B; F1; F2; F3; F4; Ctrl+F1; Ctrl+F2; Ctrl+F3; "
                "Ctrl+F4");
            const int i = tire(int(touches.size()));
            quoi = touches[i].toString();
            const auto saisie = [b] { // what a key may change in a box: text, selection, cursor
                if (auto* l = qobject_cast<QLineEdit*>(b))
                    return l->text() + '|' + l->selectedText() + QString::number(l->cursorPosition());
                const QTextCursor c = static_cast<QPlainTextEdit*>(b)->textCursor();
                return static_cast<QPlainTextEdit*>(b)->toPlainText() + '|' + c.selectedText() +
                       QString::number(c.position());
            };
            const QString avant = saisie();
            QTest::keySequence(b, touches[i]);
            if (i >= PremierRaccourci && b->isEnabled() && saisie() != avant)
                faute_ = "the shortcut " + quoi + " edited " + b->objectName();
        }
        note(QString("touche %1 dans %2").arg(quoi, b->objectName()));
    }

    void caseACocher() {
        QCheckBox* c = choisit(cases_);
        if (!c) return;
        note("clic " + c->objectName());
        QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(6, c->height() / 2));
    }

    void bouton() {
        QPushButton* b = choisit(boutons_);
        if (!b) return;
        note("clic " + b->objectName());
        QTest::mouseClick(b, Qt::LeftButton);
    }

    void menu() {
        QList<QAction*> actives;
        for (QAction* a : actions_)
            if (a->isEnabled() && a->isVisible()) actives.push_back(a);
        if (actives.isEmpty()) return;
        // The step command is what a user presses most, and it takes twelve of them
        // in a row to finish an arbitration: give it two thirds of the menu events.
        QAction* a = tire(3) != 0 && actives.contains(fenetre_->Pas_a_Pas)
                         ? fenetre_->Pas_a_Pas
                         : actives.at(tire(int(actives.size())));
        note("menu " + a->objectName());
        a->trigger();
    }

    void souris() {
        VisuPlot* plot = fenetre_->Mode_Trame ? fenetre_->Visu_CAN : fenetre_->Visu_ARB;
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
        note(QString("souris %1 (%2,%3)->(%4,%5) sur %6")
                 .arg(int(bouton))
                 .arg(p.x())
                 .arg(p.y())
                 .arg(fin.x())
                 .arg(fin.y())
                 .arg(plot->objectName()));
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

    void compteEtats() {
        atteints_.trameStuffee += !fenetre_->Trame_Bin_Stuf->text().isEmpty();
        atteints_.trameFD += fenetre_->FD.actif && !fenetre_->Trame_Bin_Stuf->text().isEmpty();
        atteints_.dessinFD += fenetre_->FD.actif && fenetre_->Trace_Fini;
        atteints_.dessinFini += fenetre_->Trace_Fini;
        atteints_.dessinErreur += !fenetre_->Err_Aucune->isChecked() && fenetre_->Trace_Fini;
        atteints_.menuBit += !plateforme_.menus.empty();
        atteints_.arbitrageFini += fenetre_->Pas_Arb == 13;
        atteints_.messages += !plateforme_.messages.empty();
    }

    // ---- Invariants ----

    QString verifie() {
        Form1& f = *fenetre_;
        if (f.Mode_Trame == f.Mode_Arb) return "not exactly one mode";
        const bool trame = f.Mode_Trame;
        if (f.Frame_Trame->isHidden() == trame || f.Frame_simul->isHidden() == trame ||
            f.Frame_Iden->isHidden() != trame || f.Frame_Arb->isHidden() != trame)
            return "visible areas do not match the mode";
        if (QApplication::activeModalWidget()) return "a modal dialog is left open";
        if (!faute_.isEmpty()) return faute_;

        static const QRegularExpression hexa("^[0-9A-F]*$");
        for (BoiteHexa* b : boites_) {
            if (b->text().size() > b->maxLength() || !hexa.match(b->text()).hasMatch())
                return QString("box %1 holds \"%2\"").arg(b->objectName(), b->text());
        }
        if (QString faute = f.FD.actif ? verifieTrameFD(f) : verifieTrame(f); !faute.isEmpty()) return faute;
        if (QString faute = verifieDonnees(f); !faute.isEmpty()) return faute;
        if (f.Visu_CAN->Courbes().size() > 4 || (f.Visu_ARB && f.Visu_ARB->Courbes().size() > 4))
            return "traces pile up on a plot";
        if (QString faute = verifieErreurs(f); !faute.isEmpty()) return faute;
        return {};
    }

    static QString verifieTrame(Form1& f) {
        const QString brute = f.Trame_Bin->text();
        if (brute.isEmpty()) {
            if (!f.Trame_Bin_Stuf->text().isEmpty()) return "stuffed frame without a raw frame";
            if (f.Text1->text() != "" && f.Text1->text() != "0") return "Text1 counts no frame";
            return {};
        }
        QStringList groupes = brute.split(' ');
        const bool queue = groupes.size() >= 3 && groupes.last() == "1111111" &&
                           groupes.at(groupes.size() - 2) == "11" &&
                           groupes.at(groupes.size() - 3).size() == 15;
        if (queue) groupes = groupes.mid(0, groupes.size() - 2);
        const QString crc = groupes.last();
        const std::string avant = groupes.mid(0, groupes.size() - 1).join("").toStdString();
        if (crc.size() != 15 || crc15(avant) != crc.toInt(nullptr, 2))
            return "CRC group of Trame_Bin is not the CRC of its bits: " + brute;
        if (f.Champ_CRC->text() != QString::number(crc15(avant), 16).toUpper())
            return "Champ_CRC disagrees with Trame_Bin";
        const int nbBits = int(avant.size()) + 15 + 9;
        if (f.Text1->text() != QString::number(nbBits)) return "Text1 disagrees with Trame_Bin";

        const QString stuf = f.Trame_Bin_Stuf->text();
        if (stuf.isEmpty()) return {};
        if (!queue) return "stuffed frame shown while the raw frame has no tail";
        const std::string attendu = stuffed(avant + crc.toStdString()) + "111111111";
        if (stuf.toStdString() != attendu) return "Trame_Bin_Stuf is not the stuffed Trame_Bin";
        if (f.Text2->text() != QString::number(stuf.size())) return "Text2 disagrees";
        const QString dr = f.TrameDR->text();
        if (dr.size() != stuf.size() - 9 + 10) return "TrameDR has the wrong length";
        for (int j = 0; j < dr.size(); ++j) {
            const QChar bit = j < stuf.size() - 9 ? stuf.at(j) : QChar('1');
            const bool dominant = dr.at(j) == 'D' || dr.at(j) == 's';
            if (dominant != (bit == '0')) return QString("TrameDR letter %1 disagrees").arg(j + 1);
        }
        return {};
    }

    // One disturbance checked, the one the run is made of; its lines shown with it; the
    // drawing never past its run.
    static QString verifieErreurs(Form1& f) {
        using S = Perturbation::Sorte;
        const std::pair<QAction*, S> items[] = {{f.Err_Aucune, S::Aucune},
                                                {f.Err_Bus, S::Bus},
                                                {f.Err_Emet, S::Emetteur},
                                                {f.Err_Recep, S::Recepteur},
                                                {f.Err_Ack, S::Acquittement}};
        int coches = 0;
        for (const auto& [item, sorte] : items) {
            coches += item->isChecked();
            if (item->isChecked() && sorte != f.Err_Perturbation.sorte)
                return "the checked disturbance is not the one run";
        }
        if (coches != 1) return QString("%1 disturbances checked").arg(coches);
        const bool erreur = !f.Err_Aucune->isChecked();
        if (f.Mode_Trame && (f.Compteurs->isHidden() == erreur || f.Detections->isHidden() == erreur))
            return "the counters line does not follow the disturbance";
        if (erreur && f.Dessin.Actif() && !f.Dessin.Bits().empty() &&
            f.Dessin.Bits() != f.Err_Deroulement.bits)
            return "the plot draws other bits than the run";
        if (f.Dessin.Dessines() > f.Dessin.Bits().size()) return "drawn past the end of the run";
        return {};
    }

    static QString verifieDonnees(Form1& f) {
        if (!f.Mode_Trame) return {};
        const BoiteOctets* fd = f.DonneesFD;
        if (fd->toPlainText() != BoiteOctets::Mise_En_Forme(fd->chiffres()) ||
            fd->chiffres().size() > fd->capacite())
            return "DonneesFD holds \"" + fd->toPlainText() + '"';
        if (f.FD.actif != f.CheckFD->isChecked() || f.Check2->isEnabled() == f.FD.actif ||
            f.CheckBRS->isHidden() == f.FD.actif || f.CheckESI->isHidden() == f.FD.actif)
            return "the FD controls do not follow CheckFD";
        if (f.FD.actif) {
            const int longueur = Longueur_FD(Val_Hexa(f.Controle->text().toStdString()));
            if (fd->capacite() != 2 * longueur || fd->isHidden() == (longueur > 0) || f.Check2->isChecked())
                return "DonneesFD does not follow the DLC";
            for (int k = 0; k < 8; ++k)
                if (!f.Data[k]->isHidden()) return QString("Data%1 shown in CAN FD").arg(k);
            return {};
        }
        if (!fd->isHidden()) return "DonneesFD shown for a classic frame";
        const int dlc = f.Check2->isChecked() ? 0 : f.Controle->text().toInt();
        for (int k = 0; k < 8; ++k)
            if (!f.Data[k]->isHidden() != (k < dlc)) return QString("Data%1 does not follow the DLC").arg(k);
        return {};
    }

    // The six texts of a CAN FD frame against the boxes, and against a recomputation of
    // the stuffing, stuff count, CRC and fixed stuff bits from the raw bits.
    static QString verifieTrameFD(Form1& f) {
        const QString brute = f.Trame_Bin->text();
        if (brute.isEmpty()) {
            if (!f.Trame_Bin_Stuf->text().isEmpty()) return "stuffed frame without a raw frame";
            return {};
        }
        QStringList g = brute.split(' ');
        const bool etendue = g.size() > 2 && g[2] == "11";
        const int entete = etendue ? 6 : 4; // SOF, identifier groups, RRS, then the control group
        if (g.size() < entete + 4 || g.mid(g.size() - 2) != QStringList{"11", "1111111"})
            return "FD raw frame of another shape: " + brute;
        const QString ctrl = g[entete - 1];
        if (g[0] != "0" || g[entete - 2] != "0" || ctrl.size() != (etendue ? 8 : 9))
            return "FD header of another shape: " + brute;
        // IDE (base only) FDF res BRS ESI DLC: against the check boxes and the DLC box.
        const QString flags = ctrl.left(ctrl.size() - 4);
        const QString attendu = QString(etendue ? "" : "0") + "10" + (f.CheckBRS->isChecked() ? "1" : "0") +
                                (f.CheckESI->isChecked() ? "1" : "0");
        const int dlc = ctrl.right(4).toInt(nullptr, 2);
        if (flags != attendu || dlc != Val_Hexa(f.Controle->text().toStdString()))
            return "FD control field disagrees with the boxes: " + ctrl;
        const int longueur = Longueur_FD(dlc);
        const QStringList octets = g.mid(entete, g.size() - entete - 4);
        const QString chiffres = f.DonneesFD->chiffres();
        if (octets.size() > longueur || octets.size() != std::min<qsizetype>(chiffres.size() / 2, longueur))
            return "FD data bytes disagree with DonneesFD: " + brute;
        for (int k = 0; k < octets.size(); ++k)
            if (octets[k].size() != 8 ||
                octets[k].toInt(nullptr, 2) != chiffres.mid(2 * k, 2).toInt(nullptr, 16))
                return QString("FD data byte %1 disagrees with DonneesFD").arg(k);
        const QString compte = g[g.size() - 4], crc = g[g.size() - 3];
        const bool crc21 = longueur > 16;
        if (compte.size() != 4 || crc.size() != (crc21 ? 21 : 17)) return "FD CRC field of another shape";

        const std::string donnees = g.mid(0, g.size() - 4).join("").toStdString();
        const FD r = stuffedFD(donnees, crc21);
        if (compte.toStdString() != r.compte || crc.toUInt(nullptr, 2) != r.crc)
            return "FD stuff count or CRC is not that of the bits: " + brute;
        if (f.Champ_CRC->text() != QString::number(r.crc, 16).toUpper()) return "Champ_CRC disagrees (FD)";
        const int brutes = int(donnees.size()) + 4 + int(crc.size());
        if (f.Text1->text() != QString::number(brutes + 9)) return "Text1 disagrees (FD)";
        const QString stuf = f.Trame_Bin_Stuf->text();
        if (stuf.isEmpty()) return {};
        if (stuf.toStdString() != r.envoye + "111111111") return "Trame_Bin_Stuf is not the stuffed FD frame";
        if (f.Text2->text() != QString::number(stuf.size())) return "Text2 disagrees (FD)";
        if (f.TrameDR->text().toStdString() != r.symboles + std::string(10, 'r'))
            return "TrameDR disagrees (FD)";
        return {};
    }

    PlateformeFactice plateforme_;
    std::unique_ptr<Form1> fenetre_;
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

    Atteints total;
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
    EXPECT_GT(total.trameStuffee, 0);
    EXPECT_GT(total.dessinFini, 0);
    EXPECT_GT(total.arbitrageFini, 0);
    EXPECT_GT(total.messages, 0);
    EXPECT_GT(total.trameFD, 0);
    EXPECT_GT(total.dessinFD, 0);
    EXPECT_GT(total.dessinErreur, 0);
    EXPECT_GT(total.menuBit, 0);
}

} // namespace
} // namespace varnel
