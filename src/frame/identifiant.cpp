// Identifier rules of CAN 2.0A / 2.0B and the completeness of the typed frame.
#include "frame/trame.h"

namespace varnel {

namespace {

const char* const TitreCAN2A = "Valeur non conforme à la norme CAN2.0A";
const char* const TitreCAN2B = "Valeur non conforme à la norme CAN2.0B";
const char* const MessageSeptRecessifs =
    "Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs!\r\n"
    "Au moins 1 doit être un bit dominant.";

size_t Chiffres_Identifiant(bool etendue) {
    return etendue ? 8 : 3;
}

RegleIdentifiant Refuse(RegleIdentifiant::Refus pourquoi, const char* message, const char* titre) {
    RegleIdentifiant r;
    r.etat = RegleIdentifiant::Etat::Refuse;
    r.refus = pourquoi;
    r.Message = message;
    r.Titre = titre;
    return r;
}

} // namespace

RegleIdentifiant Regle_Identifiant(const std::string& texte, bool etendue) {
    RegleIdentifiant r;
    if (texte.empty()) return r;
    r.etat = RegleIdentifiant::Etat::Incomplet;
    const std::string bits = Hexa_Bin(texte);
    // Anything but a full-length text of upper-case digits changes nothing.
    if (texte.size() != Chiffres_Identifiant(etendue) || bits.size() != 4 * texte.size()) return r;

    const char premier = texte[0];
    std::string id;
    if (!etendue) {
        if (premier >= '8') // 8..9 and A..F: wider than 11 bits
            return Refuse(RegleIdentifiant::Refus::PremierChiffre,
                          "En mode standard, la longueur du champ identifiant est de 11 bits!", TitreCAN2A);
        id = bits.substr(1);
    } else {
        if (premier >= '2') // 2..9 and A..F: wider than 29 bits
            return Refuse(RegleIdentifiant::Refus::PremierChiffre,
                          "En mode étendu, la longueur du champ identifiant est de 29 bits!", TitreCAN2B);
        id = bits.substr(3, 11) + " 11 " + bits.substr(14, 18);
    }
    if (id.compare(0, 7, "1111111") == 0)
        return Refuse(RegleIdentifiant::Refus::SeptRecessifs, MessageSeptRecessifs,
                      etendue ? TitreCAN2B : TitreCAN2A);
    r.etat = RegleIdentifiant::Etat::Valide;
    r.Bits_ID = id;
    return r;
}

bool Saisie_Est_Complete(const std::string& identifiant, const std::string& dlc,
                         const std::array<std::string, 8>& donnees, bool etendue, bool requete) {
    // Each box's maximum length equals its required digit count, so counting the
    // characters per field is the same as counting them all together, and it stays
    // right even if a box ever held more than it should.
    if (identifiant.size() != Chiffres_Identifiant(etendue)) return false;
    if (dlc.size() != 1) return false;
    if (requete) return true;
    if (dlc[0] < '0' || dlc[0] > '8') return false;
    const int d = dlc[0] - '0';
    for (int k = 0; k < d; ++k)
        if (donnees[static_cast<size_t>(k)].size() != 2) return false;
    return true;
}

} // namespace varnel
