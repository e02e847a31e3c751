// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Connecte_Couches() {}
void Form1::Aff_Emet_Click() {}
void Form1::Aff_Recep_Click() {}
void Form1::Aff_Bus_Click() {}
void Form1::Aff_T_Brute_Click() {}
void Form1::Aff_T_Stuff_Click() {}
void Form1::Legend_Click() {}
void Form1::Masquer_Click() {}
void Form1::Af_legend_Click() {}
}
