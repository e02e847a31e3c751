// Frames as sequences of bit times: the classic frame of a `Trame`, and the symbols
// of any transmission.
#include "frame/transmission.h"
#include "frame/trame.h"

namespace varnel {

namespace {

void Ajoute(std::vector<Position>& p, Champ champ, int n, const std::string* lib = nullptr) {
    for (int i = 0; i < n; ++i) p.push_back({champ, lib ? lib[p.size()] : std::string()});
}

// Names the first and the last bit of a field of n bits.
void Ajoute_Bornes(std::vector<Position>& p, Champ champ, int n, const std::string& premier,
                   const std::string& dernier) {
    const size_t debut = p.size();
    Ajoute(p, champ, n);
    p[debut].etiquette = premier;
    p.back().etiquette = dernier;
}

// Field and name of every bit of a classic frame from SOF to the last CRC bit, for a
// frame of `octets` data bytes.
std::vector<Position> Positions_Classiques(const Trame& t, bool etendue, int octets) {
    std::vector<Position> p;
    const std::string* lib = etendue ? t.Lib_Ext.data() : t.Lib_Std.data();
    Ajoute(p, Champ::SOF, 1, lib);
    Ajoute(p, Champ::Identifiant, 11, lib);
    if (etendue) {
        Ajoute(p, Champ::SRR, 1, lib);
        Ajoute(p, Champ::IDE, 1, lib);
        Ajoute(p, Champ::Identifiant, 18, lib);
    }
    Ajoute(p, Champ::RTR, 1, lib);
    Ajoute(p, Champ::Reserve, 2, lib); // r1 r0, both dominant
    Ajoute(p, Champ::DLC, 4, lib);
    for (int k = 0; k < octets; ++k) {
        const std::string d = "d" + std::to_string(k);
        Ajoute_Bornes(p, Champ::Donnees, 8, d + ".7", d + ".0");
    }
    Ajoute_Bornes(p, Champ::CRC, 15, "CRC.14", "CRC.0");
    return p;
}

char Et(char a, char b) {
    return (a == '0' || b == '0') ? '0' : '1';
}

} // namespace

std::string Symboles(const Transmission& t) {
    std::string s;
    s.reserve(t.size());
    for (const TempsBit& b : t) {
        const bool dominant = b.emetteur == '0';
        if (b.genre == Genre::Stuff)
            s += dominant ? 's' : 'S';
        else if (b.genre == Genre::StuffFixe)
            s += dominant ? 'f' : 'F';
        else
            s += dominant ? 'D' : 'r';
    }
    return s;
}

Transmission Assemble_Transmission(const std::string& emis, const std::string& symboles,
                                   const std::vector<Position>& positions) {
    Transmission tr;
    tr.reserve(emis.size() + 10);
    size_t brut = 0; // position in the unstuffed frame
    for (size_t i = 0; i < emis.size() && i < symboles.size(); ++i) {
        TempsBit b;
        b.emetteur = emis[i];
        const char s = symboles[i];
        if (s == 's' || s == 'S' || s == 'f' || s == 'F') {
            b.genre = (s == 's' || s == 'S') ? Genre::Stuff : Genre::StuffFixe;
            b.champ = tr.empty() ? Champ::SOF : tr.back().champ;
        } else if (brut < positions.size()) {
            b.champ = positions[brut].champ;
            b.etiquette = positions[brut].etiquette;
            ++brut;
        }
        b.bus = b.emetteur;
        tr.push_back(std::move(b));
    }

    // The tail: CRC delimiter, the ACK slot the receivers pull dominant, the ACK
    // delimiter and the seven end-of-frame bits.
    const struct {
        Champ champ;
        const char* etiquette;
    } queue[10] = {{Champ::DelimiteurCRC, "CRCD"},
                   {Champ::ACK, "ACK"},
                   {Champ::DelimiteurACK, "ACKD"},
                   {Champ::EOF_, "EOF.6"},
                   {Champ::EOF_, ""},
                   {Champ::EOF_, ""},
                   {Champ::EOF_, ""},
                   {Champ::EOF_, ""},
                   {Champ::EOF_, ""},
                   {Champ::EOF_, "EOF.0"}};
    for (const auto& q : queue) {
        TempsBit b;
        b.champ = q.champ;
        b.etiquette = q.etiquette;
        if (q.champ == Champ::ACK) b.recepteur1 = b.recepteur2 = '0';
        b.bus = Et(Et(b.emetteur, b.recepteur1), b.recepteur2);
        tr.push_back(std::move(b));
    }
    return tr;
}

Quarts Duree(const Transmission& t, int intermission) {
    Quarts q;
    for (size_t i = 0; i < t.size(); ++i) {
        auto rapide = [&t](size_t k) { return k < t.size() && t[k].phase == Phase::Donnees; };
        const int n = Quarts_Nominaux(i > 0 && rapide(i - 1), rapide(i), rapide(i + 1));
        q.nominaux += static_cast<uint64_t>(n);
        q.rapides += static_cast<uint64_t>(4 - n);
    }
    q.nominaux += 4 * static_cast<uint64_t>(intermission);
    return q;
}

Quarts Duree_Phases(int avant, int donnees, int apres) {
    if (donnees <= 0) return {4 * static_cast<uint64_t>(avant + apres), 0};
    // The bits that border the data phase share their time between the two rates.
    const int premier = Quarts_Nominaux(false, false, true), dernier = Quarts_Nominaux(true, false, false);
    return {4 * static_cast<uint64_t>(avant - 1 + apres - 1) + static_cast<uint64_t>(premier + dernier),
            4 * static_cast<uint64_t>(donnees) + static_cast<uint64_t>(8 - premier - dernier)};
}

uint64_t Nanosecondes(const Quarts& q, uint32_t debit, uint32_t debitDonnees) {
    // nominaux / (4 debit) + rapides / (4 debitDonnees) seconds, on one denominator.
    __extension__ typedef unsigned __int128 Grand;
    if ((q.nominaux && !debit) || (q.rapides && !debitDonnees)) return 0;
    const Grand d = debit ? debit : 1, dd = debitDonnees ? debitDonnees : 1;
    const Grand numerateur = (q.nominaux * dd + q.rapides * d) * 1000000000u;
    const Grand denominateur = 4 * d * dd;
    return static_cast<uint64_t>((2 * numerateur + denominateur) / (2 * denominateur));
}

Transmission Transmission_Classique(const Trame& t) {
    const bool etendue = t.Bits_ID.size() > 11;
    const int entete = etendue ? 39 : 19;
    const int octets = (static_cast<int>(t.Trame_Brute.size()) - entete - 15) / 8;
    return Assemble_Transmission(t.Trame_Stuffee, t.TrameDR,
                                 Positions_Classiques(t, etendue, octets > 0 ? octets : 0));
}

} // namespace varnel
