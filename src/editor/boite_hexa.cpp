#include "editor/boite_hexa.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

namespace varnel {

namespace {
constexpr int CodeRetour = 8;
// Stands for a typed text that is not one character (a compose sequence, a
// character outside the basic plane): the handler refuses it like any non-digit.
constexpr int CodeAutre = 0xFFFD;

// The one gate of every text that does not come from a typed key (paste, drop,
// middle-click selection, input methods): upper-cased, then digits only.
class ValidateurHexa : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& texte, int&) const override {
        texte = texte.toUpper();
        for (const QChar c : texte)
            if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return Invalid;
        return Acceptable;
    }
};
} // namespace

BoiteHexa::BoiteHexa(QWidget* parent) : QLineEdit(parent) {
    setValidator(new ValidateurHexa(this));
}

int BoiteHexa::codeTouche(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Backspace) return CodeRetour;
    const auto mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (mods != Qt::NoModifier) return -1;
    const QString texte = e->text();
    if (texte.isEmpty() || texte.at(0).unicode() < 32 || texte.at(0).unicode() == 127) return -1;
    return texte.size() == 1 ? texte.at(0).unicode() : CodeAutre;
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
        insert(QString(QChar(static_cast<char16_t>(code))));
    }
}

void BoiteHexa::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    const auto raison = e->reason();
    if (raison != Qt::ActiveWindowFocusReason && raison != Qt::PopupFocusReason &&
        raison != Qt::MenuBarFocusReason)
        emit focusPerdu();
}

} // namespace varnel
