#pragma once
// The desktop services of the running program, on Qt: message boxes, the system
// clipboard, the printer with its dialog, and the system's document viewer.

#include "app/plateforme.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QPrinter;

namespace varnel {

class PlateformeQt : public Plateforme {
public:
    PlateformeQt();
    ~PlateformeQt() override;

    // The window that owns the dialogs (the main window, once it exists).
    void setFenetre(QWidget* fenetre) { fenetre_ = fenetre; }

    Reponse message(const QString& texte, const QString& titre, Icone icone, Boutons boutons) override;
    void videPressePapier() override;
    void copiePressePapier(const QImage& image) override;
    QImage imagePressePapier() const override;
    bool choisitImprimante() override;
    bool imprime(const QImage& image) override;
    bool ouvreDocument(const QString& chemin) override;
    bool demandeNombres(const QString& titre, const QString& texte, std::vector<ChampNombre>& champs) override;
    int choisitDansMenu(const QStringList& items, const QPoint& position) override;

private:
    QPointer<QWidget> fenetre_;
    // Made at the first print: setting up a printer loads the print system, which
    // would slow down every start of the program.
    std::unique_ptr<QPrinter> imprimante_;
};

} // namespace varnel
