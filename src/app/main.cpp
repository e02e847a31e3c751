// Varnel: shows bit by bit what a CAN frame looks like on the bus.
#include "app/form1.h"
#include "app/plateforme_qt.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel"));

    // Qt's own French texts, so that the standard buttons and dialogs read like the
    // rest of the window ("Oui", "Non", the print dialog).
    QTranslator traductionQt;
    if (traductionQt.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traductionQt);

    varnel::PlateformeQt plateforme;
    varnel::Form1 fenetre(plateforme);
    plateforme.setFenetre(&fenetre);
    QApplication::setWindowIcon(fenetre.windowIcon());
    fenetre.show();
    // For the start-up benchmark (bench.sh): leave once the window has been shown.
    if (qEnvironmentVariableIsSet("VARNEL_QUITTER_APRES_AFFICHAGE"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
