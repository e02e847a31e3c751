#pragma once
// The contact window: a short invitation to report errors and suggestions, with
// the author's address, and an "OK" button that hides it. It is not modal, and it
// lives as a child of the main window, so it closes and goes away with it.

#include <QDialog>

class QPushButton;
class QTextEdit;

namespace varnel {

class Dialog : public QDialog {
    Q_OBJECT
public:
    explicit Dialog(QWidget* parent = nullptr);

    QTextEdit* Text1 = nullptr;
    QPushButton* OKButton = nullptr;

    void OKButton_Click();
};

} // namespace varnel
