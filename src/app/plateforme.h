#pragma once
// The services of the desktop that the window uses: message boxes, the clipboard,
// the printer with its dialog, and opening a document with the system's viewer.
// The window owns one `Plateforme`; the program installs the Qt implementation,
// tests install a recording fake so that no test ever waits on a modal dialog.

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <vector>

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

    // One whole number asked for in a small modal dialog: its name, its bounds, and
    // the value shown at first (the value typed once the dialog is accepted).
    struct ChampNombre {
        QString libelle;
        int min = 0;
        int max = 0;
        int valeur = 0;
    };
    // Asks for the numbers of `champs`, each kept within its bounds; false when the
    // user cancels (the values are then left as they were).
    virtual bool demandeNombres(const QString& titre, const QString& texte,
                                std::vector<ChampNombre>& champs) = 0;
    // A context menu of `items` at `position` (global pixels); the index of the item
    // chosen, or -1 when the menu is dismissed.
    virtual int choisitDansMenu(const QStringList& items, const QPoint& position) = 0;
};

} // namespace varnel
