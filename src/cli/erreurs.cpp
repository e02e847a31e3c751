// varnel-trame --erreur: the disturbance as typed, and the run as text.
#include "cli/varnel_trame.h"

namespace varnel {

bool Lit_Perturbation(const std::string& texte, Perturbation& p) {
    if (texte == "ack") {
        p = {Perturbation::Sorte::Acquittement, 0};
        return true;
    }
    const struct {
        const char* nom;
        Perturbation::Sorte sorte;
    } formes[] = {{"bus:", Perturbation::Sorte::Bus},
                  {"emetteur:", Perturbation::Sorte::Emetteur},
                  {"émetteur:", Perturbation::Sorte::Emetteur},
                  {"recepteur:", Perturbation::Sorte::Recepteur},
                  {"récepteur:", Perturbation::Sorte::Recepteur}};
    for (const auto& f : formes) {
        const std::string nom = f.nom;
        if (texte.compare(0, nom.size(), nom) != 0) continue;
        const std::string n = texte.substr(nom.size());
        if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos) return false;
        p = {f.sorte, std::stoi(n)};
        return true;
    }
    return false;
}

std::string Lignes_Deroulement(const Deroulement& d) {
    std::string s;
    for (const Evenement& e : d.evenements) s += Texte_Evenement(e) + "\n";
    const char* const noms[] = {"Bus: ", "Emetteur: ", "Récepteur 1: ", "Récepteur 2: "};
    for (int noeud = -1; noeud < NbNoeuds; ++noeud) {
        s += noms[noeud + 1];
        for (const TempsBit& b : d.bits) s += noeud < 0 ? b.bus : Niveau(b, noeud);
        s += "\n";
    }
    const auto& f = d.final;
    s += "Compteurs: TEC " + std::to_string(f[NoeudEmetteur].tec) + ", REC1 " +
         std::to_string(f[NoeudRecepteur1].rec) + ", REC2 " + std::to_string(f[NoeudRecepteur2].rec) + "\n";
    s += std::string("Etats: émetteur ") + Nom_Etat(f[NoeudEmetteur].etat) + ", récepteur 1 " +
         Nom_Etat(f[NoeudRecepteur1].etat) + ", récepteur 2 " + Nom_Etat(f[NoeudRecepteur2].etat) + "\n";
    return s;
}

} // namespace varnel
