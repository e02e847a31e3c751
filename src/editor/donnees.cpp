// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Controle_KeyPress(int&) {}
void Form1::Controle_Change() {}
void Form1::Controle_LostFocus() {}
void Form1::Data_KeyPress(int, int&) {}
void Form1::Data_Change(int) {}
void Form1::Aff_Donnees() {}
}
