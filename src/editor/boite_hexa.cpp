#include "editor/boite_hexa.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace varnel {

namespace {
constexpr int CodeRetour = 8;
constexpr int CodeCtrlI = 9;
constexpr int CodeCtrlP = 16;

bool estRaccourciSimulation(const QKeyEvent* e) {
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    return mods == Qt::ControlModifier && (e->key() == Qt::Key_P || e->key() == Qt::Key_I);
}
}  // namespace

BoiteHexa::BoiteHexa(QWidget* parent) : QLineEdit(parent) {
    // Guards paste, drop and input methods; typed keys go through the handler first.
    setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-F]*"), this));
}

bool BoiteHexa::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && raccourcisPropres_ &&
        estRaccourciSimulation(static_cast<QKeyEvent*>(e))) {
        e->accept(); // the key comes to keyPressEvent, not to the menu shortcut
        return true;
    }
    return QLineEdit::event(e);
}

// The character code the program's handler sees for this key, or -1 for keys that
// keep their ordinary editing meaning without reaching the handler.
int BoiteHexa::codeTouche(const QKeyEvent* e) {
    if (estRaccourciSimulation(e)) return e->key() == Qt::Key_P ? CodeCtrlP : CodeCtrlI;
    if (e->key() == Qt::Key_Backspace) return CodeRetour;
    const auto mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods != Qt::NoModifier) return -1;
    const QString texte = e->text();
    if (texte.size() != 1 || texte.at(0).unicode() < 32 || texte.at(0).unicode() == 127)
        return -1;
    return texte.at(0).unicode();
}

void BoiteHexa::keyPressEvent(QKeyEvent* e) {
    int code = codeTouche(e);
    if (code < 0 || isReadOnly()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (gestion_) gestion_(code);
    e->accept();
    if (code == CodeRetour) {
        QKeyEvent retour(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QLineEdit::keyPressEvent(&retour);
    } else if (code >= 32) {
        insert(QString(QChar(code)));
    }
}

}  // namespace varnel
