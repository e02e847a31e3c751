#pragma once
// The services of the desktop that the window uses: message boxes, the clipboard,
// the printer with its dialog, and opening a document with the system's viewer.
// The window owns one `Plateforme`; the program installs the Qt implementation,
// tests install a recording fake so that no test ever waits on a modal dialog.

#include <QImage>
#include <QString>

class QWidget;

namespace varnel {

class Plateforme {
public:
    enum class Icone { Exclamation, Question, Information };
    enum class Boutons { Ok, OuiNon };
    enum class Reponse { Ok, Oui, Non };

    virtual ~Plateforme() = default;

    // Modal message box; returns the button pressed.
    virtual Reponse message(const QString& texte, const QString& titre, Icone icone, Boutons boutons) = 0;

    virtual void videPressePapier() = 0;
    virtual void copiePressePapier(const QImage& image) = 0;
    virtual QImage imagePressePapier() const = 0;

    // Shows the printer dialog; false when the user cancels it or it fails.
    virtual bool choisitImprimante() = 0;
    // Prints the picture fitted to the page width on the chosen printer and ends the
    // document; false when printing fails.
    virtual bool imprime(const QImage& image) = 0;

    // Opens a document with the system's viewer, by its path (no command line).
    // False when it cannot be opened.
    virtual bool ouvreDocument(const QString& chemin) = 0;
};

} // namespace varnel
