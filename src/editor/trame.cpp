// Placeholder: this subsystem's handlers land with its own work.
#include "app/form1.h"
namespace varnel {
void Form1::Filtre_Clavier(int&, const QString&) {}
void Form1::Construit_Trame() {}
void Form1::Efface_Donnees() {}
void Form1::Stuffe_Trame() {}
void Form1::Champ_CRC_Change() {}
void Form1::Verif_Saisie() {}
}
