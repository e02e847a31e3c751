// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Init_Visu_Arb() {}
void Form1::Aff_Arb() {}
void Form1::Aff_Texte_Arb(double, double, const QString&, int, int) {}
void Form1::Masq_Click(int) {}
}
