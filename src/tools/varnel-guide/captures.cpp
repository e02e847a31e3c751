// varnel-captures: makes the pictures of the window that the user guide shows.
//
//   varnel-captures OUTPUT_DIR
//
// It opens the real main window on the offscreen platform with a silent stand-in for
// the desktop services, drives it as a user would (boxes filled, menu commands
// triggered) and saves grabs of the window or of one of its areas as PNG files.
// A file is rewritten only when its picture changed, so that the guide is not
// rebuilt when the window looks the same.
//
// The window is driven in a child process: should it crash or fail, the pictures that
// could not be made are replaced by blank ones and the build goes on with a warning,
// so the guide never stops the program from building.
#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <cstdio>

namespace {

// Desktop services that answer every question with its default and do nothing else.
class PlateformeMuette : public varnel::Plateforme {
public:
    Reponse message(const QString&, const QString&, Icone, Boutons boutons) override {
        return boutons == Boutons::Ok ? Reponse::Ok : Reponse::Oui;
    }
    void videPressePapier() override { image_ = QImage(); }
    void copiePressePapier(const QImage& image) override { image_ = image; }
    QImage imagePressePapier() const override { return image_; }
    bool choisitImprimante() override { return false; }
    bool imprime(const QImage&) override { return false; }
    bool ouvreDocument(const QString&) override { return false; }

private:
    QImage image_;
};

const QStringList Noms = {QStringLiteral("fenetre-depart.png"),
                          QStringLiteral("fenetre-trame.png"),
                          QStringLiteral("bande-saisie.png"),
                          QStringLiteral("trace-exemple.png"),
                          QStringLiteral("pas-a-pas.png"),
                          QStringLiteral("arbitrage.png"),
                          QStringLiteral("arbitrage-tableaux.png"),
                          QStringLiteral("bande-saisie-fd.png"),
                          QStringLiteral("trame-fd.png")};

void Attend() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

void Ecrit(QLineEdit* boite, const QString& texte) {
    if (!boite) return;
    boite->setText(texte);
    Attend();
}

void Lance(QAction* action, int fois = 1) {
    for (int i = 0; action && i < fois; ++i) {
        action->trigger();
        Attend();
    }
}

bool Enregistre(QWidget* w, const QString& dossier, const QString& nom) {
    const QString chemin = QDir(dossier).filePath(nom);
    QByteArray png;
    if (w) {
        Attend();
        QBuffer tampon(&png);
        tampon.open(QIODevice::WriteOnly);
        w->grab().save(&tampon, "PNG");
    }
    if (png.isEmpty()) {
        // The window is not built yet: a small blank picture keeps the guide buildable.
        QImage vide(400, 60, QImage::Format_RGB32);
        vide.fill(Qt::white);
        QBuffer tampon(&png);
        tampon.open(QIODevice::WriteOnly);
        vide.save(&tampon, "PNG");
    }
    QFile fichier(chemin);
    if (fichier.open(QIODevice::ReadOnly) && fichier.readAll() == png) return true;
    fichier.close();
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Truncate) || fichier.write(png) != png.size()) {
        std::fprintf(stderr, "varnel-captures: impossible d'écrire %s\n", qPrintable(chemin));
        return false;
    }
    return true;
}

} // namespace

// Drives the window and saves every picture; runs in the child process.
int Capture(const QString& dossier) {
    bool ok = true;

    PlateformeMuette plateforme;
    {
        varnel::Form1 f(plateforme);
        f.show();
        Attend();
        ok &= Enregistre(&f, dossier, QStringLiteral("fenetre-depart.png"));

        // A data frame with two bytes, drawn at once with its labels.
        Lance(f.Legend);
        Ecrit(f.Identifiant, QStringLiteral("123"));
        Ecrit(f.Controle, QStringLiteral("2"));
        Ecrit(f.Data[0], QStringLiteral("AB"));
        Ecrit(f.Data[1], QStringLiteral("CD"));
        Lance(f.Instantanne);
        ok &= Enregistre(&f, dossier, QStringLiteral("fenetre-trame.png"));
        ok &= Enregistre(f.Frame_Trame, dossier, QStringLiteral("bande-saisie.png"));

        // The worked example of the guide: identifier 123, DLC 0, one stuff bit.
        Ecrit(f.Controle, QStringLiteral("0"));
        Lance(f.Instantanne);
        ok &= Enregistre(f.Frame_simul, dossier, QStringLiteral("trace-exemple.png"));

        // The same frame half drawn with "Pas à Pas".
        if (f.BP_Clear) {
            f.BP_Clear->click();
            Attend();
        }
        Lance(f.Pas_a_Pas, 22);
        ok &= Enregistre(f.Frame_simul, dossier, QStringLiteral("pas-a-pas.png"));

        // A CAN FD frame with BRS, one byte, drawn at once and zoomed on its data phase.
        if (f.CheckFD && f.DonneesFD) {
            f.CheckFD->setChecked(true);
            f.CheckBRS->setChecked(true);
            Ecrit(f.Controle, QStringLiteral("1"));
            f.DonneesFD->setChiffres(QStringLiteral("A5"));
            Attend();
            Lance(f.Instantanne);
            f.Visu_CAN->xAxis->setRange(88, 168); // as the mouse wheel would
            f.Visu_CAN->replot();
            ok &= Enregistre(f.Frame_simul, dossier, QStringLiteral("trame-fd.png"));
            // The entry band with 32 bytes: two lines of sixteen.
            Ecrit(f.Controle, QStringLiteral("D"));
            f.DonneesFD->setChiffres(QStringLiteral("0123456789ABCDEF").repeated(4));
            Attend();
            ok &= Enregistre(f.Frame_Trame, dossier, QStringLiteral("bande-saisie-fd.png"));
        }

        // Arbitration: node 1 loses at ID1, node 3 (remote frame) loses at RTR.
        Lance(f.Simulation_arbitrage);
        Ecrit(f.Noeud[0], QStringLiteral("65A"));
        Ecrit(f.Noeud[1], QStringLiteral("659"));
        Ecrit(f.Noeud[2], QStringLiteral("659"));
        if (f.CheckN[2]) {
            f.CheckN[2]->setChecked(true);
            Attend();
        }
        Lance(f.Pas_a_Pas, 12);
        ok &= Enregistre(&f, dossier, QStringLiteral("arbitrage.png"));
        ok &= Enregistre(f.Frame_Iden, dossier, QStringLiteral("arbitrage-tableaux.png"));
        f.close();
    }
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: varnel-captures DOSSIER_SORTIE\n");
        return 2;
    }
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dossier);
    if (qEnvironmentVariableIsSet("VARNEL_CAPTURES_ENFANT")) return Capture(dossier);

    QProcess enfant;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VARNEL_CAPTURES_ENFANT"), QStringLiteral("1"));
    enfant.setProcessEnvironment(env);
    enfant.setProcessChannelMode(QProcess::ForwardedChannels);
    enfant.start(QCoreApplication::applicationFilePath(), {dossier});
    const bool fini = enfant.waitForFinished(120000);
    if (!fini) enfant.kill();
    if (fini && enfant.exitStatus() == QProcess::NormalExit && enfant.exitCode() == 0) return 0;

    std::fprintf(stderr, "varnel-captures: AVERTISSEMENT : la fenêtre n'a pas pu être "
                         "photographiée ; le guide aura des images vides.\n");
    for (const QString& nom : Noms) {
        if (!QFile::exists(QDir(dossier).filePath(nom))) Enregistre(nullptr, dossier, nom);
    }
    return 0;
}
