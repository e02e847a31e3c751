#pragma once
// A text box for hexadecimal digits that runs the program's key handler before a
// key takes effect, as a character code: letters as typed, 8 backspace, 9 Ctrl+I,
// 16 Ctrl+P. The handler may change the code (upper-case it) or set it to 0 to
// swallow the key. Control codes never insert a character.
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
    // When true, Ctrl+P and Ctrl+I reach this box's handler (as 16 and 9) instead
    // of the window's menu shortcuts, so one key press runs its command once.
    void setRaccourcisPropres(bool propres) { raccourcisPropres_ = propres; }

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
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    GestionTouche gestion_;
    bool raccourcisPropres_ = false;
};

} // namespace varnel
