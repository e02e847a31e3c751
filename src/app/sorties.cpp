// The commands around the plots: black and white, printing, the clipboard copy, the
// user guide and the contact window. Each acts on the plot of the current mode:
// `Visu_CAN` in frame simulation, `Visu_ARB` in arbitration.

#include "app/dialog.h"
#include "app/form1.h"
#include "app/plateforme.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>

namespace varnel {

namespace {

using Couleurs::Noir;

void Noircit(Courbe* courbe) {
    if (!courbe) return;
    for (int i = 0; i < courbe->Nb_Points(); ++i) courbe->Couleur_Point(i, Noir);
}

VisuPlot* Plot_Courant(Form1& f) {
    if (f.Mode_Trame) return f.Visu_CAN;
    if (f.Mode_Arb) return f.Visu_ARB;
    return nullptr;
}

// The picture that printing and the copy take: the plot of the mode, with the lines an
// error run writes over its title row (the counters, the detections) where the window
// shows them, so that a printed run keeps what the screen tells of it.
QImage Image_Courante(Form1& f) {
    VisuPlot* plot = Plot_Courant(f);
    if (!plot) return {};
    QImage image = plot->Image();
    if (plot != f.Visu_CAN || f.Compteurs->isHidden()) return image;
    QPainter peintre(&image);
    for (QLabel* ligne : {f.Compteurs, f.Detections})
        ligne->render(&peintre, ligne->pos() - plot->pos(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

void Form1::Connecte_Sorties() {
    Connecte_Menu(Noir_Blanc, [this] { Noir_Blanc_Click(); });
    Connecte_Menu(Imprimer, [this] { Imprimer_Click(); });
    Connecte_Menu(Copie_PP, [this] { Copie_PP_Click(); });
    Connecte_Menu(Aide, [this] { Aide_Click(); });
    Connecte_Menu(Apropos, [this] { Apropos_Click(); });
}

void Form1::Noir_Blanc_Click() {
    if (Mode_Trame) {
        for (Courbe* c : {Courbe_Emet, Courbe_CANH, Courbe_CANL, Courbe_Recep}) Noircit(c);
        // Item 0 is the cursor: it keeps its colour so that it stays easy to find.
        for (int i = 1; i < Visu_CAN->Nb_Annotations(); ++i) Visu_CAN->Couleur_Annotation(i, Noir);
        Visu_CAN->Rafraichit();
    }
    if (Mode_Arb) {
        // The bus trace is black already, and the bit names stay as they are.
        for (Courbe* c : Courbe_N) Noircit(c);
        Visu_ARB->Rafraichit();
    }
}

void Form1::Imprimer_Click() {
    // Any failure ends the command where it happens, without a message.
    if (!plateforme().choisitImprimante()) return;
    const QImage dessin = Image_Courante(*this);
    if (dessin.isNull()) return;
    plateforme().copiePressePapier(dessin);
    const QImage image = plateforme().imagePressePapier();
    if (image.isNull()) return;
    if (!plateforme().imprime(image)) return;
    plateforme().videPressePapier();
}

void Form1::Copie_PP_Click() {
    plateforme().videPressePapier();
    const auto reponse = plateforme().message(
        QStringLiteral("La copie se fait avec les couleurs écran!\nPoursuivre?"),
        QStringLiteral("ATTENTION!"), Plateforme::Icone::Exclamation, Plateforme::Boutons::OuiNon);
    const QImage dessin = reponse == Plateforme::Reponse::Oui ? Image_Courante(*this) : QImage();
    if (!dessin.isNull())
        plateforme().copiePressePapier(dessin);
    else
        plateforme().videPressePapier();
}

QString Form1::Chemin_Aide() const {
    const QString nom = QStringLiteral("Utilisation de Varnel.pdf");
    const QDir programme(QCoreApplication::applicationDirPath());
    // Beside the program in the build tree, in the program's data folder once installed.
    const QString chemins[] = {
        programme.filePath(nom),
        QDir::cleanPath(programme.filePath(QStringLiteral("../share/varnel/") + nom)),
    };
    for (const QString& chemin : chemins)
        if (QFileInfo(chemin).isFile()) return chemin;
    return chemins[0];
}

void Form1::Aide_Click() {
    const QString chemin = Chemin_Aide();
    if (!QFileInfo(chemin).isFile()) return;
    plateforme().ouvreDocument(chemin);
}

void Form1::Apropos_Click() {
    if (!Dialogue) Dialogue = new Dialog(this);
    Dialogue->show();
    Dialogue->raise();
    Dialogue->activateWindow();
}

} // namespace varnel
