#include "app/plateforme_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSpinBox>
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

bool PlateformeQt::demandeNombres(const QString& titre, const QString& texte,
                                  std::vector<ChampNombre>& champs) {
    QDialog dialogue(fenetre_);
    dialogue.setWindowTitle(titre);
    auto* forme = new QFormLayout(&dialogue);
    if (!texte.isEmpty()) forme->addRow(new QLabel(texte));
    std::vector<QSpinBox*> boites;
    for (const ChampNombre& c : champs) {
        auto* boite = new QSpinBox;
        boite->setRange(c.min, c.max);
        boite->setValue(c.valeur);
        boite->setToolTip(QStringLiteral("%1 à %2").arg(c.min).arg(c.max));
        forme->addRow(c.libelle, boite);
        boites.push_back(boite);
    }
    auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(boutons, &QDialogButtonBox::accepted, &dialogue, &QDialog::accept);
    QObject::connect(boutons, &QDialogButtonBox::rejected, &dialogue, &QDialog::reject);
    forme->addRow(boutons);
    if (!boites.empty()) {
        boites.front()->selectAll(); // typing replaces the value shown
        boites.front()->setFocus();
    }
    if (dialogue.exec() != QDialog::Accepted) return false;
    for (size_t i = 0; i < champs.size(); ++i) champs[i].valeur = boites[i]->value();
    return true;
}

int PlateformeQt::choisitDansMenu(const QStringList& items, const QPoint& position) {
    QMenu menu(fenetre_);
    for (const QString& item : items) menu.addAction(item);
    QAction* choix = menu.exec(position);
    return choix ? static_cast<int>(menu.actions().indexOf(choix)) : -1;
}

} // namespace varnel
