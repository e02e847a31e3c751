// The reference for the start-up benchmark: the smallest Qt window program that shows
// some text (so that it loads the fonts, as every real window does), started and ended
// the same way as varnel under the benchmark.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    fenetre.menuBar()->addMenu(QStringLiteral("&Fichier"));
    fenetre.setCentralWidget(new QLabel(QStringLiteral("Fenêtre nue")));
    fenetre.resize(1013, 687);
    fenetre.show();
    if (qEnvironmentVariableIsSet("VARNEL_QUITTER_APRES_AFFICHAGE"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
