// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Ajust_Aff() {}
void Form1::Init_Axe_X() {}
void Form1::Init_Axe_X_Arb() {}
void Form1::Init_Visu() {}
void Form1::Efface_Visu_CAN() {}
void Form1::Trace_SOF() {}
void Form1::Trace_Dominant() {}
void Form1::Trace_Recessif() {}
void Form1::Trace_Stuff() {}
void Form1::Aff_Texte(double, double, const QString&, int, int) {}
}
