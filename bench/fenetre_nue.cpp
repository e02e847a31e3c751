// The reference for the start-up benchmark: the smallest Qt window program, started
// and ended the same way as varnel under the benchmark.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow fenetre;
    fenetre.resize(1013, 687);
    fenetre.show();
    if (qEnvironmentVariableIsSet("VARNEL_QUITTER_APRES_AFFICHAGE"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
