#include "app/dialog.h"

#include "app/form1.h"

#include <QPushButton>
#include <QTextEdit>

namespace varnel {

Dialog::Dialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QString());
    setModal(false);
    setFixedSize(Twips(6030), Twips(1905));

    // Created first so that it is first in the tab order and has the focus.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(Twips(2400), Twips(1440), Twips(1215), Twips(375));
    OKButton->setDefault(true);

    Text1 = new QTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips(120), Twips(120), Twips(5775), Twips(1215));
    Text1->setReadOnly(true);
    Text1->setPlainText(
        QStringLiteral("Vous avez constaté une erreur, un dysfonctionnement, ou vous avez une "
                       "suggestion pour améliorer ce programme ?\nÉcrivez à l'auteur :\n"
                       "varnel.contact@example.org"));
    // Centre every paragraph of the text.
    Text1->selectAll();
    Text1->setAlignment(Qt::AlignCenter);
    Text1->moveCursor(QTextCursor::Start);

    setTabOrder(OKButton, Text1);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
}

void Dialog::OKButton_Click() {
    hide();
}

} // namespace varnel
