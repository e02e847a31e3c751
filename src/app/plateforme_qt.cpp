#include "app/plateforme_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace varnel {

PlateformeQt::PlateformeQt() = default;
PlateformeQt::~PlateformeQt() = default;

Plateforme::Reponse PlateformeQt::message(const QString& texte, const QString& titre, Icone icone,
                                          Boutons boutons) {
    QMessageBox::Icon icon = QMessageBox::Warning;
    if (icone == Icone::Question) icon = QMessageBox::Question;
    if (icone == Icone::Information) icon = QMessageBox::Information;
    const auto standard = boutons == Boutons::OuiNon ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
    QMessageBox boite(icon, titre, texte, standard, fenetre_);
    const int choix = boite.exec();
    if (boutons == Boutons::Ok) return Reponse::Ok;
    return choix == QMessageBox::Yes ? Reponse::Oui : Reponse::Non;
}

void PlateformeQt::videPressePapier() {
    QGuiApplication::clipboard()->clear();
}

void PlateformeQt::copiePressePapier(const QImage& image) {
    QGuiApplication::clipboard()->setImage(image);
}

QImage PlateformeQt::imagePressePapier() const {
    return QGuiApplication::clipboard()->image();
}

bool PlateformeQt::choisitImprimante() {
    if (!imprimante_) imprimante_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialogue(imprimante_.get(), fenetre_);
    return dialogue.exec() == QDialog::Accepted;
}

bool PlateformeQt::imprime(const QImage& image) {
    if (image.isNull() || !imprimante_) return false;
    QPainter peintre;
    if (!peintre.begin(imprimante_.get())) return false;
    // The picture fills the page width, keeping its proportions (a picture taller than
    // the page would be shrunk to the page height).
    const QSize taille = image.size().scaled(peintre.viewport().size(), Qt::KeepAspectRatio);
    peintre.drawImage(QRect(QPoint(0, 0), taille), image);
    return peintre.end();
}

bool PlateformeQt::ouvreDocument(const QString& chemin) {
    // A missing file is reported here: the viewer would be started for nothing.
    return QFileInfo(chemin).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(chemin));
}

} // namespace varnel
