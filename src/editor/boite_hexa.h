#pragma once
// A text box for hexadecimal digits that runs the program's key handler before a
// key takes effect, as a character code: characters as typed, 8 backspace. The
// handler may change the code (upper-case it) or set it to 0 to swallow the key.
// Control codes never insert a character. The menu shortcut keys (Ctrl+P, Ctrl+I ...)
// never reach the box: the window gives them to its menus.
//
// Editing keys (arrows, Home/End, Delete, Tab, selection, copy) keep their usual
// meaning. Pasted or dropped text is upper-cased and accepted only when it is then
// made of hexadecimal digits, so nothing enters the box that typing could not put
// there.

#include <QLineEdit>
#include <functional>

namespace varnel {

class BoiteHexa : public QLineEdit {
    Q_OBJECT
public:
    using GestionTouche = std::function<void(int& code)>;

    explicit BoiteHexa(QWidget* parent = nullptr);

    void setGestionTouche(GestionTouche gestion) { gestion_ = std::move(gestion); }

    // The character code the program's handler sees for this key, or -1 for keys that
    // keep their ordinary editing meaning without reaching the handler. Every box that
    // takes hexadecimal digits reads its keys with it.
    static int codeTouche(const QKeyEvent* e);

signals:
    // The focus went to another control of the window (Tab, a click, a hidden
    // parent). Not emitted when the window itself loses the activation (another
    // window, a message box) or when a menu opens.
    void focusPerdu();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    GestionTouche gestion_;
};

} // namespace varnel
