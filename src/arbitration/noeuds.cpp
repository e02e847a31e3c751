// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Connecte_Arbitrage() {}
void Form1::Noeud_KeyPress(int, int&) {}
void Form1::Noeud_Change(int) {}
void Form1::CheckN_Click(int) {}
void Form1::BP_RAZ_Click() {}
void Form1::Init_Grilles() {}
QTableWidgetItem* Form1::Cellule(QTableWidget*, int, int) { return nullptr; }
}
