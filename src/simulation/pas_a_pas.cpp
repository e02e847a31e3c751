// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Connecte_Simulation() {}
void Form1::Pas_a_Pas_Click() {}
void Form1::Instantanne_Click() {}
void Form1::Aff_Champ_Std() {}
void Form1::Aff_Champ_Ext() {}
}
