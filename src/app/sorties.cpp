// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Connecte_Sorties() {}
void Form1::Noir_Blanc_Click() {}
void Form1::Imprimer_Click() {}
void Form1::Copie_PP_Click() {}
void Form1::Aide_Click() {}
void Form1::Apropos_Click() {}
QString Form1::Chemin_Aide() const { return {}; }
}
