#include "editor/boite_octets.h"
#include "editor/boite_hexa.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

namespace varnel {

namespace {

constexpr int CodeRetour = 8;

bool Chiffre_Hexa(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
}

// The hexadecimal digits of a text, upper-cased; false when it holds anything else
// than digits, blanks and line breaks.
bool Lit_Chiffres(const QString& texte, QString& chiffres) {
    chiffres.clear();
    for (QChar c : texte.toUpper()) {
        if (Chiffre_Hexa(c))
            chiffres += c;
        else if (!c.isSpace())
            return false;
    }
    return true;
}

// The hexadecimal digits of any text, upper-cased, in order.
QString Seuls_Chiffres(const QString& texte) {
    QString chiffres;
    for (QChar c : texte.toUpper())
        if (Chiffre_Hexa(c)) chiffres += c;
    return chiffres;
}

} // namespace

BoiteOctets::BoiteOctets(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false); // every change is rewritten at once: nothing to undo in between
    document()->setDocumentMargin(2);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { texteModifie(); });
}

QString BoiteOctets::Mise_En_Forme(const QString& chiffres) {
    QString texte;
    texte.reserve(chiffres.size() * 3 / 2);
    for (int i = 0; i < chiffres.size(); ++i) {
        if (i > 0 && i % 2 == 0) texte += (i / 2) % OctetsParLigne == 0 ? QChar('\n') : QChar(' ');
        texte += chiffres.at(i);
    }
    return texte;
}

QSize BoiteOctets::Taille_Pour(int octets) const {
    const QFontMetrics fm(font());
    const int parLigne = std::clamp(octets, 1, int(OctetsParLigne));
    const int lignes = std::max(1, (octets + OctetsParLigne - 1) / OctetsParLigne);
    const int bord = 2 * (frameWidth() + int(document()->documentMargin()));
    // The cursor may stand after the last digit of a full line.
    return {fm.horizontalAdvance(QString(3 * parLigne - 1, u'0')) + bord + cursorWidth() + 2,
            lignes * fm.lineSpacing() + bord + 2};
}

void BoiteOctets::setCapacite(int chiffres) {
    capacite_ = std::max(0, chiffres);
    if (chiffres_.size() > capacite_) affiche(chiffres_.left(capacite_), capacite_);
}

void BoiteOctets::setChiffres(const QString& chiffres) {
    const QString propres = Seuls_Chiffres(chiffres).left(capacite_);
    affiche(propres, int(propres.size()));
}

int BoiteOctets::chiffresAvant(int position) const {
    const QString texte = toPlainText();
    int n = 0;
    for (int i = 0; i < position && i < texte.size(); ++i) n += Chiffre_Hexa(texte.at(i));
    return n;
}

void BoiteOctets::affiche(const QString& chiffres, int curseur) {
    const bool change = chiffres != chiffres_;
    chiffres_ = chiffres;
    const QString texte = Mise_En_Forme(chiffres_);
    enCours_ = true;
    if (toPlainText() != texte) setPlainText(texte);
    // Digit k stands after k digits and k / 2 separators; past the last one, the end.
    curseur = std::clamp(curseur, 0, int(chiffres_.size()));
    QTextCursor c = textCursor();
    c.setPosition(curseur < chiffres_.size() ? curseur + curseur / 2 : int(texte.size()));
    setTextCursor(c);
    verticalScrollBar()->setValue(0);
    enCours_ = false;
    if (change) emit chiffresModifies();
}

void BoiteOctets::remplace(int debut, int fin, const QString& texte) {
    // Only what the box still has room for goes in, as a full line box takes no more.
    const int place = capacite_ - int(chiffres_.size()) + (fin - debut);
    const QString ajout = texte.left(std::max(0, place));
    affiche(chiffres_.left(debut) + ajout + chiffres_.mid(fin), debut + int(ajout.size()));
}

void BoiteOctets::texteModifie() {
    if (enCours_) return;
    affiche(Seuls_Chiffres(toPlainText()).left(capacite_), chiffresAvant(textCursor().position()));
}

void BoiteOctets::keyPressEvent(QKeyEvent* e) {
    const QTextCursor c = textCursor();
    const int debut = chiffresAvant(c.selectionStart());
    const int fin = chiffresAvant(c.selectionEnd());
    const bool simple = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->ignore(); // one run of bytes: no line of its own
        return;
    }
    if (e->key() == Qt::Key_Delete && simple && !isReadOnly()) {
        // The digit after the cursor, whatever blank stands in between.
        remplace(debut, fin > debut ? fin : std::min(fin + 1, int(chiffres_.size())), {});
        e->accept();
        return;
    }
    int code = BoiteHexa::codeTouche(e);
    if (code < 0 || isReadOnly()) {
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    if (gestion_) gestion_(code);
    e->accept();
    if (code == CodeRetour)
        remplace(fin > debut ? debut : std::max(0, debut - 1), fin, {});
    else if (code >= 32)
        remplace(debut, fin, QString(QChar(static_cast<char16_t>(code))));
}

bool BoiteOctets::canInsertFromMimeData(const QMimeData* source) const {
    QString chiffres;
    return source->hasText() && Lit_Chiffres(source->text(), chiffres);
}

void BoiteOctets::insertFromMimeData(const QMimeData* source) {
    QString chiffres;
    if (isReadOnly() || !source->hasText() || !Lit_Chiffres(source->text(), chiffres)) return;
    const QTextCursor c = textCursor();
    remplace(chiffresAvant(c.selectionStart()), chiffresAvant(c.selectionEnd()), chiffres);
}

} // namespace varnel
