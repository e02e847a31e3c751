// Placeholder until the engine lands.
#include "frame/trame.h"
namespace varnel {
std::string Hexa_Bin(const std::string&) { return {}; }
int32_t Val_Hexa(const std::string&) { return 0; }
double Hexa_Num(const std::string&) { return 0; }
void Supprime_Blancs(std::string&) {}
std::string Bin_Num(const std::string&) { return {}; }
std::string Num_Bin(double) { return {}; }
RegleIdentifiant Regle_Identifiant(const std::string&, bool) { return {}; }
bool Saisie_Est_Complete(const std::string&, const std::string&, const std::array<std::string, 8>&, bool, bool) { return false; }
Trame::Trame() {}
void Trame::Init_Lib_Std() {}
void Trame::Init_Lib_Ext() {}
bool Trame::Filtre_Hexa() { return false; }
void Trame::Calcul_CRC() {}
bool Trame::Construit_Trame(const std::string&, bool) { return false; }
void Trame::Stuffe_Trame() {}
void Trame::Marque_Bits() {}
void Trame::Efface_Donnees() {}
}
