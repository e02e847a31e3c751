// Placeholder: the window's controls, menus and start-up land with the window work.
#include "app/form1.h"
#include "app/plateforme.h"
#include <QCloseEvent>
namespace varnel {
Form1::Form1(Plateforme& plateforme, QWidget* parent) : QMainWindow(parent), plateforme_(plateforme) {}
Form1::~Form1() = default;
void Form1::Active_Menu(QMenu*, bool) {}
bool Form1::Menu_Actif(const QMenu*) const { return true; }
void Form1::Connecte_Menu(QAction*, std::function<void()>) {}
void Form1::Form_Load() {}
void Form1::Simulation_trame_Click() {}
void Form1::Simulation_arbitrage_Click() {}
void Form1::BP_Clear_Click() {}
void Form1::Quitter_Click() {}
void Form1::closeEvent(QCloseEvent* e) { QMainWindow::closeEvent(e); }
void Form1::Cree_Controles() {}
void Form1::Cree_Menus() {}
}
