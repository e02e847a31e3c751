// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Connecte_Editeur() {}
void Form1::Identifiant_KeyPress(int&) {}
void Form1::Identifiant_Change() {}
void Form1::Check1_Click() {}
void Form1::Check2_Click() {}
void Form1::Check3_Click() {}
}
