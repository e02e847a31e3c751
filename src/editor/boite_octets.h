#pragma once
// A box for a run of bytes typed in hexadecimal, on as many lines as they need.
//
// The keys go through the program's key handler exactly as in a `BoiteHexa` (the same
// character codes, so the same filter and the same message); the box shows the digits
// two by two, a blank between bytes and sixteen bytes to a line, as they are typed.
// Backspace and Delete remove a digit, never a mere blank; the arrows, Home/End and the
// selection keep their meaning; Return adds no line of its own and Tab leaves the box.
// Pasted or dropped text is upper-cased and taken only when it is made of hexadecimal
// digits (blanks and line breaks aside), cut to what the box still holds. The box holds
// at most `capacite()` digits.

#include <QPlainTextEdit>
#include <functional>

namespace varnel {

class BoiteOctets : public QPlainTextEdit {
    Q_OBJECT
public:
    using GestionTouche = std::function<void(int& code)>;
    static constexpr int OctetsParLigne = 16;

    explicit BoiteOctets(QWidget* parent = nullptr);

    void setGestionTouche(GestionTouche gestion) { gestion_ = std::move(gestion); }
    // The digits, without blanks or line breaks.
    QString chiffres() const { return chiffres_; }
    // Shows these digits (upper-cased, anything else dropped), cut to the capacity.
    void setChiffres(const QString& chiffres);
    int capacite() const { return capacite_; }
    // At most this many digits; those beyond are dropped at once.
    void setCapacite(int chiffres);
    // The text the box shows for these digits: "12 34 56", a line break after every
    // sixteenth byte.
    static QString Mise_En_Forme(const QString& chiffres);
    // The size, in pixels, that shows `octets` bytes without scrolling.
    QSize Taille_Pour(int octets) const;

signals:
    // The digits changed (not merely their layout).
    void chiffresModifies();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Replaces the digits [debut, fin) by `texte` and puts the cursor after it.
    void remplace(int debut, int fin, const QString& texte);
    // The digits before the cursor, before the start and the end of the selection.
    int chiffresAvant(int position) const;
    void affiche(const QString& chiffres, int curseur);
    // Whatever edited the text (cut, drop, an input method): back to digits in order.
    void texteModifie();

    GestionTouche gestion_;
    QString chiffres_;
    int capacite_ = 0;
    bool enCours_ = false; // the box is rewriting its own text
};

} // namespace varnel
