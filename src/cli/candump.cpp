// candump's frame syntax, the lines of `candump -L`, and the time of a frame on the bus.
#include <algorithm>
#include <cstdio>

#include "cli/candump.h"

#include "frame/longueur_trame.h"
#include "frame/trame_fd.h"

namespace varnel {

namespace {

// The value of each character as a hexadecimal digit, 0xFF for the others.
constexpr std::array<uint8_t, 256> TableHexa = [] {
    std::array<uint8_t, 256> t{};
    for (uint8_t& v : t) v = 0xFF;
    for (int c = 0; c < 10; ++c) t[static_cast<size_t>('0' + c)] = static_cast<uint8_t>(c);
    for (int c = 0; c < 6; ++c) {
        t[static_cast<size_t>('A' + c)] = static_cast<uint8_t>(10 + c);
        t[static_cast<size_t>('a' + c)] = static_cast<uint8_t>(10 + c);
    }
    return t;
}();

unsigned Hexa(char c) {
    return TableHexa[static_cast<unsigned char>(c)];
}

bool Blanc(char c) {
    return c == ' ' || c == '\t';
}

// A piece of the input inside « », cut after 40 characters, control characters shown as
// "?": a line of a binary file must not reach the terminal as it is.
std::string Cite(std::string_view s) {
    std::string c = "« ";
    size_t caracteres = 0;
    for (const char o : s) {
        const bool suite = (static_cast<unsigned char>(o) & 0xC0) == 0x80; // inside a UTF-8 character
        if (!suite && ++caracteres > 40) {
            c += "…";
            break;
        }
        c += static_cast<unsigned char>(o) < 0x20 || o == 0x7F ? '?' : o;
    }
    return c + " »";
}

std::string Nombre(size_t n, const char* singulier, const char* pluriel) {
    return std::to_string(n) + " " + (n > 1 ? pluriel : singulier);
}

// The data bytes of `texte` into `t`, a dot allowed before and after each; their number, in
// `n`, is checked by the caller (`t` keeps the first 64).
std::string Lit_Octets(std::string_view texte, TrameCandump& t, size_t& n) {
    n = 0;
    for (size_t i = 0; i < texte.size();) {
        if (texte[i] == '.') { // a separator, as cansend reads them: one at a time
            if (i > 0 && texte[i - 1] == '.') return "deux points se suivent dans les données " + Cite(texte);
            ++i;
            continue;
        }
        const unsigned haut = Hexa(texte[i]);
        const unsigned bas = i + 1 < texte.size() ? Hexa(texte[i + 1]) : 0;
        if (haut > 15 || (bas > 15 && texte[i + 1] != '.'))
            return Cite(texte.substr(haut > 15 ? i : i + 1, 1)) +
                   " n'est pas un chiffre hexadécimal, dans les données " + Cite(texte);
        if (i + 1 == texte.size() || texte[i + 1] == '.')
            return "l'octet " + Cite(texte.substr(i, 1)) +
                   " n'a qu'un chiffre hexadécimal, il en faut deux, dans les données " + Cite(texte);
        if (n < t.donnees.size()) t.donnees[n] = static_cast<uint8_t>(haut << 4 | bas);
        ++n;
        i += 2;
    }
    return {};
}

} // namespace

std::string Lit_Trame_Candump(std::string_view texte, TrameCandump& t) {
    t = TrameCandump{};
    if (texte.empty()) return "trame vide";
    const size_t diese = texte.find('#');
    if (diese == std::string_view::npos)
        return "il manque « # » entre l'identifiant et les données (123#01FF) dans " + Cite(texte);
    const std::string_view id = texte.substr(0, diese);
    for (const char c : id)
        if (Hexa(c) > 15) return "l'identifiant " + Cite(id) + " n'est pas une valeur hexadécimale";
    if (id.size() != 3 && id.size() != 8)
        return "l'identifiant " + Cite(id) + " a " +
               Nombre(id.size(), "chiffre hexadécimal", "chiffres hexadécimaux") +
               ", il en faut 3 (trame standard) ou 8 (trame étendue)";
    for (const char c : id) t.identifiant = t.identifiant << 4 | Hexa(c);
    t.etendue = id.size() == 8;
    if (!t.etendue && t.identifiant > 0x7FF)
        return "l'identifiant standard " + Cite(id) + " dépasse 7FF (11 bits)";
    if (t.etendue && t.identifiant > 0x1FFFFFFF)
        return t.identifiant < 0x40000000
                   ? Cite(id) + " est une trame d'erreur du contrôleur (bit 29 de l'identifiant), "
                                "pas une trame du bus"
                   : "l'identifiant étendu " + Cite(id) + " dépasse 1FFFFFFF (29 bits)";

    std::string_view reste = texte.substr(diese + 1);
    size_t octets = 0;
    if (!reste.empty() && reste[0] == '#') {
        t.fd = true;
        if (reste.size() == 1)
            return "il manque le chiffre hexadécimal des drapeaux CAN FD après « ## » (1 BRS, 2 ESI)";
        const unsigned drapeaux = Hexa(reste[1]);
        if (drapeaux > 15)
            return "les drapeaux CAN FD " + Cite(reste.substr(1, 1)) +
                   " ne sont pas un chiffre hexadécimal (1 BRS, 2 ESI)";
        if (drapeaux & 8)
            return "les drapeaux CAN FD " + Cite(reste.substr(1, 1)) +
                   " ont le bit 8, qui ne veut rien dire "
                   "(1 BRS, 2 ESI, 4 trame FD)";
        t.brs = drapeaux & 1;
        t.esi = drapeaux & 2;
        reste = reste.substr(2);
        if (!reste.empty() && (reste[0] == 'R' || reste[0] == 'r'))
            return "une trame CAN FD n'a pas de forme requête: " + Cite(texte);
        std::string raison = Lit_Octets(reste, t, octets);
        if (!raison.empty()) return raison;
        const int dlc = DLC_FD(octets);
        if (dlc < 0)
            return "une trame CAN FD porte 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas " +
                   std::to_string(octets);
        t.dlc = static_cast<uint8_t>(dlc);
    } else if (!reste.empty() && (reste[0] == 'R' || reste[0] == 'r')) {
        t.requete = true;
        const std::string_view dlc = reste.substr(1);
        if (dlc.size() > 1 || (dlc.size() == 1 && (dlc[0] < '0' || dlc[0] > '8')))
            return "le DLC d'une trame de requête s'écrit d'un chiffre de 0 à 8 après « R », pas " +
                   Cite(dlc);
        t.dlc = static_cast<uint8_t>(dlc.empty() ? 0 : dlc[0] - '0');
        return {};
    } else {
        std::string raison = Lit_Octets(reste, t, octets);
        if (!raison.empty()) return raison;
        if (octets > 8) return "trop d'octets de données: " + std::to_string(octets) + " (8 au plus)";
        t.dlc = static_cast<uint8_t>(octets);
    }
    t.longueur = static_cast<uint8_t>(octets);
    return {};
}

const char* Format_Trame(const TrameCandump& t, bool detail) {
    static const char* const classiques[] = {"standard", "standard requête", "étendue", "étendue requête"};
    static const char* const fd[] = {"FD standard",         "FD standard ESI",   "FD standard BRS",
                                     "FD standard BRS ESI", "FD étendue",        "FD étendue ESI",
                                     "FD étendue BRS",      "FD étendue BRS ESI"};
    if (!t.fd) return classiques[t.etendue * 2 + (detail && t.requete)];
    return fd[t.etendue * 4 + (detail ? t.brs * 2 + t.esi : 0)];
}

std::string Identifiant_Candump(const TrameCandump& t) {
    char texte[9];
    std::snprintf(texte, sizeof texte, t.etendue ? "%08X" : "%03X", static_cast<unsigned>(t.identifiant));
    return texte;
}

TempsSurLeBus Temps_Sur_Le_Bus(const TrameCandump& t) {
    // After the last CRC bit: CRC delimiter, ACK slot, ACK delimiter, 7 end-of-frame bits,
    // then the intermission, all at the nominal rate.
    const int apres = 10 + Intermission;
    TempsSurLeBus r;
    if (!t.fd) {
        TrameClassique c;
        c.identifiant = t.identifiant;
        c.etendue = t.etendue;
        c.requete = t.requete;
        c.dlc = t.dlc;
        for (size_t k = 0; k < c.donnees.size(); ++k) c.donnees[k] = t.donnees[k];
        r.bits = Longueur_Stuffee(c) + apres;
        r.quarts = Duree_Phases(r.bits, 0, 0);
        return r;
    }
    TrameFDNombres f;
    f.identifiant = t.identifiant;
    f.etendue = t.etendue;
    f.brs = t.brs;
    f.esi = t.esi;
    f.dlc = t.dlc;
    f.donnees = t.donnees;
    const LongueurFD l = Longueur_Stuffee_FD(f);
    r.bits = l.bits + apres;
    r.quarts =
        t.brs ? Duree_Phases(l.avantDonnees, l.bits - l.avantDonnees, apres) : Duree_Phases(r.bits, 0, 0);
    return r;
}

std::string Lit_Ligne_Candump(std::string_view ligne, LigneCandump& l) {
    const char* const modele = " (candump -L : « (1436509052.249713) can0 123#01FF »)";
    size_t i = 0;
    if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1); // a file written on Windows
    const size_t n = ligne.size();
    if (n == 0 || ligne[0] != '(') return std::string("la ligne ne commence pas par un horodatage") + modele;
    // Seconds and their decimals, kept as nanoseconds.
    uint64_t secondes = 0, fraction = 0;
    size_t chiffres = 0, decimales = 0;
    for (i = 1; i < n && ligne[i] >= '0' && ligne[i] <= '9'; ++i, ++chiffres)
        secondes = secondes * 10 + static_cast<uint64_t>(ligne[i] - '0');
    if (i < n && ligne[i] == '.')
        for (++i; i < n && ligne[i] >= '0' && ligne[i] <= '9'; ++i, ++decimales)
            if (decimales < 9) fraction = fraction * 10 + static_cast<uint64_t>(ligne[i] - '0');
    if (chiffres == 0 || i >= n || ligne[i] != ')' || ligne[i - 1] == '.')
        return "horodatage illisible: " + Cite(ligne.substr(0, std::min(ligne.find(')'), n - 1) + 1)) +
               modele;
    if (chiffres > 10 || decimales > 9)
        return "horodatage hors limites (10 chiffres avant la virgule, 9 après au plus): " +
               Cite(ligne.substr(0, i + 1));
    for (size_t d = decimales; d < 9; ++d) fraction *= 10;
    l.horodatage = ligne.substr(1, i - 1);
    l.instant = secondes * 1000000000u + fraction;

    // The interface, the frame and, from `candump -x`, an R or T: words between blanks.
    std::string_view mots[3];
    size_t nombre = 0;
    for (++i; i < n && nombre < 3;) {
        while (i < n && Blanc(ligne[i])) ++i;
        const size_t debut = i;
        while (i < n && !Blanc(ligne[i])) ++i;
        if (i > debut) mots[nombre++] = ligne.substr(debut, i - debut);
    }
    while (i < n && Blanc(ligne[i])) ++i;
    if (nombre < 2)
        return std::string("il manque ") + (nombre == 0 ? "l'interface et " : "") + "la trame" + modele;
    l.interface = mots[0];
    l.texteTrame = mots[1];
    std::string raison = Lit_Trame_Candump(mots[1], l.trame);
    if (raison.empty() && (i < n || (nombre == 3 && mots[2] != "R" && mots[2] != "T")))
        raison = "texte en trop après la trame: " +
                 Cite(ligne.substr(static_cast<size_t>(mots[2].data() - ligne.data())));
    return raison;
}

} // namespace varnel
