#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "frame/bus_erreurs.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"

using namespace varnel;
using S = Perturbation::Sorte;
using T = TypeErreur;
using Sorte = Evenement::Sorte;

static Transmission Trame_Classique(const std::string& id, const std::vector<int>& octets,
                                    bool requete = false) {
    Trame t;
    const bool etendue = id.size() == 8;
    t.Bits_ID = Regle_Identifiant(id, etendue).Bits_ID;
    t.Bit_RTR = requete ? "1" : "0";
    const std::string dlc(1, static_cast<char>('0' + octets.size()));
    t.Bits_Ctrl = "00" + Hexa_Bin(dlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = std::bitset<8>(octets[k]).to_string();
    t.Construit_Trame(dlc, true);
    return Transmission_Classique(t);
}

static TrameFD Trame_FD(const std::string& id, bool brs, int dlc, const std::vector<uint8_t>& octets,
                        bool esi = false) {
    return Construit_Trame_FD({Regle_Identifiant(id, id.size() == 8).Bits_ID, brs, esi, dlc, octets});
}

// The frame of the reference's examples: 0x123, data 11 22, 62 bits, CRC delimiter at bit 52.
static const Transmission Trame123 = Trame_Classique("123", {0x11, 0x22});
// Its bits SOF .. CRC delimiter (0 .. 52).
static const std::string Debut123 = "00010010001100000110000100010010001000001100101101111";

static Deroulement Lance(const Transmission& trame, S sorte, int bit = 0, int tentatives = 1, int tec = 0,
                         int rec = 0) {
    Perturbation p;
    p.sorte = sorte;
    p.bit = bit;
    ConditionsBus c;
    c.tentatives = tentatives;
    c.tec = tec;
    c.rec = rec;
    return Simule_Bus(trame, p, c);
}

// The bus (noeud -1) or a node's drive, one character per bit time, from `debut` on.
static std::string Ligne(const Deroulement& d, int noeud, size_t debut = 0, size_t n = std::string::npos) {
    std::string s;
    for (size_t i = debut; i < d.bits.size() && i - debut < n; ++i)
        s += noeud < 0 ? d.bits[i].bus : Niveau(d.bits[i], noeud);
    return s;
}

static Evenement Ev(Sorte sorte, T type, int noeud, int bit) {
    Evenement e;
    e.sorte = sorte;
    e.type = type;
    e.noeud = noeud;
    e.bit = bit;
    return e;
}
static Evenement Err(T type, int noeud, int bit) {
    return Ev(Sorte::Erreur, type, noeud, bit);
}

static std::string Texte(const std::vector<Evenement>& ev) {
    std::string s;
    for (const Evenement& e : ev) s += Texte_Evenement(e) + "\n";
    return s;
}

namespace varnel {
static void PrintTo(const Compteurs& c, std::ostream* os) {
    *os << "{TEC " << c.tec << ", REC " << c.rec << ", " << Nom_Etat(c.etat) << "}";
}
} // namespace varnel

static const int E = NoeudEmetteur, R1 = NoeudRecepteur1, R2 = NoeudRecepteur2;
static const Compteurs Actif0{0, 0, EtatErreur::Actif};

// The lone transmitter: ACK error in the slot (53), flag 54-59, delimiter 60-67, intermission
// 68-70, SOF again at 71. +8 per attempt; at 128 the node is passive: passive flag, eight
// suspend bits, and its TEC no longer moves.
TEST(ExemplesDeReference, EmetteurSeul) {
    const Deroulement un = Lance(Trame123, S::Acquittement);
    EXPECT_EQ(Ligne(un, -1), Debut123 + "1" + "000000" + "11111111" + "111");
    EXPECT_EQ(Ligne(un, E), Ligne(un, -1));
    EXPECT_EQ(Ligne(un, R1) + Ligne(un, R2), std::string(2 * 71, '1'));
    EXPECT_EQ(Texte(un.evenements), Texte({Err(T::Acquittement, E, 54)}));
    EXPECT_EQ(un.final[E], (Compteurs{8, 0, EtatErreur::Actif}));
    EXPECT_EQ(un.bits[54].etiquette + un.bits[60].etiquette + un.bits[68].etiquette, "DrapeauDélim.Inter.");

    const Deroulement d = Lance(Trame123, S::Acquittement, 0, 18);
    ASSERT_EQ(d.evenements.size(), 18u);
    for (int k = 0; k < 16; ++k) { // active: 71 bits an attempt, TEC + 8 in the ACK slot
        SCOPED_TRACE(k);
        EXPECT_EQ(d.evenements[k].bit, 54 + 71 * k);
        EXPECT_EQ(Ligne(d, -1, 71 * k, 71), Ligne(un, -1));
        EXPECT_EQ(d.compteurs[52 + 71 * k][E].tec, 8 * k);
        EXPECT_EQ(d.compteurs[53 + 71 * k][E].tec, 8 * (k + 1));
    }
    EXPECT_EQ(d.compteurs[71 * 16 - 1][E], (Compteurs{128, 0, EtatErreur::Passif}));
    // 17th attempt after eight suspend bits; its flag is passive, on an idle-looking bus.
    const size_t debut = 71 * 16 + 8;
    EXPECT_EQ(d.bits[71 * 16].genre, Genre::Suspension);
    EXPECT_EQ(d.bits[71 * 16].etiquette, "Suspension");
    EXPECT_EQ(Ligne(d, -1, 71 * 16, 8), "11111111");
    EXPECT_EQ(d.bits[debut].etiquette, "SOF");
    EXPECT_EQ(Ligne(d, -1, debut, 79), Debut123 + "1" + "111111" + "11111111" + "111" + "11111111");
    EXPECT_EQ(d.evenements[16].bit, static_cast<int>(debut + 54));
    EXPECT_EQ(d.bits[debut + 54].genre, Genre::Drapeau);
    EXPECT_EQ(d.final[E], (Compteurs{128, 0, EtatErreur::Passif}));
    EXPECT_EQ(Lance(Trame123, S::Acquittement, 0, 60).final[E], (Compteurs{128, 0, EtatErreur::Passif}));
}

// Only receiver 1 finds a CRC error (one data bit read inverted): it flags 55-60; the others
// see a form error at EOF bit 55 and flag 56-61; delimiter 62-69, intermission 70-72, SOF 73.
TEST(ExemplesDeReference, CRCFauxChezUnRecepteur) {
    const Deroulement d = Lance(Trame123, S::Recepteur, 24, 2);
    EXPECT_EQ(d.bitPerturbe, 24);
    EXPECT_EQ(Ligne(d, -1, 0, 73), Debut123 + "0" + "1" + "0000000" + "11111111" + "111");
    const std::string rien(53, '1');
    EXPECT_EQ(Ligne(d, E, 0, 73), Debut123 + "1" + "1" + "1000000" + "11111111" + "111");
    EXPECT_EQ(Ligne(d, R1, 0, 73), rien + "1" + "1" + "0000001" + "11111111" + "111"); // no ACK
    EXPECT_EQ(Ligne(d, R2, 0, 73), rien + "0" + "1" + "1000000" + "11111111" + "111");
    EXPECT_EQ(Texte(d.evenements), Texte({Err(T::CRC, R1, 55), Err(T::Forme, E, 56), Err(T::Forme, R2, 56)}));
    const std::array<Compteurs, 3> apres = {Compteurs{8, 0, EtatErreur::Actif},
                                            Compteurs{0, 9, EtatErreur::Actif},
                                            Compteurs{0, 1, EtatErreur::Actif}};
    EXPECT_EQ(d.compteurs[72], apres);
    EXPECT_EQ(d.compteurs[60][R1].rec, 1); // +1 when it detects, +8 at bit 61, dominant
    // The transmitter names the bit times: EOF bit 55, then its own flag.
    EXPECT_EQ(d.bits[55].champ, Champ::EOF_);
    EXPECT_EQ(d.bits[56].etiquette + d.bits[62].etiquette + d.bits[70].etiquette, "DrapeauDélim.Inter.");
    // The retransmission goes through: TEC - 1, REC - 1 for both.
    EXPECT_EQ(Ligne(d, -1, 73), Ligne(Lance(Trame123, S::Aucune), -1));
    EXPECT_EQ(d.bits[73].etiquette, "SOF");
    EXPECT_EQ(d.final, (std::array<Compteurs, 3>{Compteurs{7, 0, EtatErreur::Actif},
                                                 Compteurs{0, 8, EtatErreur::Actif},
                                                 Compteurs{0, 0, EtatErreur::Actif}}));
    EXPECT_TRUE(d.reussie);
    EXPECT_EQ(d.debuts, (std::vector<int>{0, 73}));
    // Receiver 2 acknowledged (REC - 1) before its form error (+ 1); receiver 1 did not.
    const Deroulement r = Lance(Trame123, S::Recepteur, 24, 1, 0, 20);
    EXPECT_EQ(r.final[R1].rec, 29);
    EXPECT_EQ(r.final[R2].rec, 20);
}

static size_t Dominants_Depuis(const Deroulement& d, size_t i) {
    size_t n = 0;
    while (i + n < d.bits.size() && d.bits[i + n].bus == '0') ++n;
    return n;
}

// Each kind of error from one disturbance: who finds what, and where each flag starts. The
// frame's bits: 12-16 dominant, 17 a recessive stuff bit, DLC1 at 18, data from 20, CRC from 36.
TEST(Detection, CinqTypesEtQuiLesVoit) {
    const Transmission huit = Trame_Classique("123", std::vector<int>(8, 0x55));
    const struct {
        S sorte;
        int bit;
        std::vector<Evenement> attendu;
        // TEC, REC1, REC2 after the first attempt; the dominant bits from the first flag on,
        // where the flags of several nodes add up to 6 to 12.
        std::array<int, 4> apres;
        const Transmission* trame = &Trame123;
    } cas[] = {
        // The transmitter reads a dominant data bit recessive; the receivers meet six dominant bits.
        {S::Emetteur, 25, {Err(T::Bit, E, 26), Err(T::Stuff, R1, 30), Err(T::Stuff, R2, 30)}, {8, 1, 1, 10}},
        // Receiver 1 reads the stuff bit dominant; the transmitter sends recessive into its flag;
        // receiver 2 sees six dominant bits: 12 dominant bits, and receiver 1 pays + 8.
        {S::Recepteur, 17, {Err(T::Stuff, R1, 18), Err(T::Bit, E, 19), Err(T::Stuff, R2, 24)}, {8, 9, 1, 12}},
        {S::Recepteur, 24, {Err(T::CRC, R1, 55), Err(T::Forme, E, 56), Err(T::Forme, R2, 56)}, {8, 9, 1, 7}},
        // CRC delimiter read dominant; its flag covers the ACK slot and the ACK delimiter.
        {S::Recepteur,
         52,
         {Err(T::Forme, R1, 53), Err(T::Forme, E, 55), Err(T::Forme, R2, 55)},
         {8, 9, 1, 8}},
        {S::Acquittement, 0, {Err(T::Acquittement, E, 54)}, {8, 0, 0, 6}},
        // DLC 2 read as 0: receiver 1 takes bits 20-35 (one stuff bit) for its CRC and finds its
        // CRC delimiter dominant at 36; the transmitter's recessive stuff bit at 40 is overwritten.
        {S::Recepteur,
         18,
         {Err(T::Forme, R1, 37), Err(T::Stuff, E, 41), Err(T::Stuff, R2, 41)},
         {8, 9, 1, 10}},
        // Eight bytes, DLC 8 read as 9: still eight bytes, but the DLC is under the CRC.
        {S::Recepteur,
         18,
         {Err(T::CRC, R1, 102), Err(T::Forme, E, 103), Err(T::Forme, R2, 103)},
         {8, 9, 1, 7},
         &huit},
        // Everybody reads the ACK slot recessive: the transmitter an ACK error, the receivers
        // a bit error on the ACK they send.
        {S::Bus, 53, {Err(T::Acquittement, E, 54), Err(T::Bit, R1, 54), Err(T::Bit, R2, 54)}, {8, 1, 1, 6}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.sorte)) + ":" + std::to_string(c.bit));
        const Deroulement d = Lance(*c.trame, c.sorte, c.bit);
        EXPECT_EQ(Texte(d.evenements), Texte(c.attendu));
        const std::array<int, 4> apres = {d.final[E].tec, d.final[R1].rec, d.final[R2].rec,
                                          static_cast<int>(Dominants_Depuis(d, d.evenements[0].bit))};
        EXPECT_EQ(apres, c.apres);
        EXPECT_FALSE(d.reussie);
    }
}

// Noise on a recessive identifier bit: the transmitter loses the arbitration to nobody, nobody
// drives the bus, and all three read six recessive bits: a stuff error each, as receivers.
TEST(Arbitrage, PerduSurUnBruit) {
    const Deroulement d = Lance(Trame123, S::Bus, 3, 2);
    EXPECT_EQ(Texte(d.evenements), Texte({Ev(Sorte::ArbitragePerdu, T::Bit, E, 3), Err(T::Stuff, E, 10),
                                          Err(T::Stuff, R1, 10), Err(T::Stuff, R2, 10)}));
    EXPECT_EQ(Ligne(d, E, 0, 10), "0001111111"); // recessive from the bit it lost
    EXPECT_EQ(Ligne(d, -1, 0, 10), "0000111111");
    const std::array<Compteurs, 3> apres = {Compteurs{0, 1, EtatErreur::Actif},
                                            Compteurs{0, 1, EtatErreur::Actif},
                                            Compteurs{0, 1, EtatErreur::Actif}};
    EXPECT_EQ(d.compteurs[10], apres);
    EXPECT_EQ(d.bits[27].etiquette, "SOF"); // 10 + 6 + 8 + 3: it tries again, and gets through
    EXPECT_TRUE(d.reussie);
    EXPECT_EQ(d.final[E], (Compteurs{0, 1, EtatErreur::Actif}));
}

// Overload frames: the last EOF bit read dominant by a receiver (the frame stays valid for it),
// a dominant bit in the intermission; nobody's counter moves, except for the frame received.
TEST(Surcharge, FinDeTrameEtIntermission) {
    const struct {
        S sorte;
        int bit;
        std::vector<Evenement> attendu;
        std::string bus;  // from bit 61, the last EOF bit
        size_t surcharge; // where the transmitter's overload flag starts
    } cas[] = {
        {S::Recepteur,
         61,
         {Ev(Sorte::Surcharge, T::Bit, R1, 62), Ev(Sorte::Surcharge, T::Bit, E, 63),
          Ev(Sorte::Surcharge, T::Bit, R2, 63)},
         "1" + std::string(7, '0') + std::string(11, '1'),
         63},
        {S::Bus,
         63,
         {Ev(Sorte::Surcharge, T::Bit, E, 64), Ev(Sorte::Surcharge, T::Bit, R1, 64),
          Ev(Sorte::Surcharge, T::Bit, R2, 64)},
         "110" + std::string(6, '0') + std::string(11, '1'),
         64},
    };
    for (const auto& c : cas) {
        const Deroulement d = Lance(Trame123, c.sorte, c.bit, 2, 5, 5);
        EXPECT_EQ(Texte(d.evenements), Texte(c.attendu));
        EXPECT_EQ(Ligne(d, -1, 61), c.bus);
        EXPECT_EQ(d.bits[c.surcharge].etiquette + d.bits[c.surcharge + 6].etiquette, "SurchargeDélim.");
        EXPECT_EQ(d.bits[c.surcharge + 6].genre, Genre::DelimiteurSurcharge);
        EXPECT_EQ(d.bits.back().genre, Genre::Intermission);
        EXPECT_EQ(d.debuts.size(), 1u);
        EXPECT_EQ(d.final, (std::array<Compteurs, 3>{Compteurs{4, 0, EtatErreur::Actif},
                                                     Compteurs{0, 4, EtatErreur::Actif},
                                                     Compteurs{0, 4, EtatErreur::Actif}}));
    }
}

// A stuff bit read wrong: a stuff error for whoever reads it. In the arbitration, a recessive
// stuff bit the transmitter reads dominant costs it nothing (identifier 000: stuff bit at 5).
TEST(Stuff, BitDeStuffPerturbe) {
    const Transmission zero = Trame_Classique("000", {});
    const struct {
        const Transmission* trame;
        S sorte;
        int bit;
        std::vector<Evenement> attendu;
        int tec;
    } cas[] = {
        {&Trame123, S::Bus, 17, {Err(T::Stuff, E, 18), Err(T::Stuff, R1, 18), Err(T::Stuff, R2, 18)}, 8},
        {&zero, S::Bus, 5, {Err(T::Stuff, E, 6), Err(T::Stuff, R1, 6), Err(T::Stuff, R2, 6)}, 0},
        {&zero, S::Emetteur, 5, {Err(T::Stuff, E, 6), Err(T::Stuff, R1, 12), Err(T::Stuff, R2, 12)}, 0},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.bit);
        ASSERT_EQ((*c.trame)[static_cast<size_t>(c.bit)].genre, Genre::Stuff);
        const Deroulement d = Lance(*c.trame, c.sorte, c.bit);
        EXPECT_EQ(Texte(d.evenements), Texte(c.attendu));
        EXPECT_EQ(d.final[E].tec, c.tec);
        EXPECT_EQ(d.final[R1].rec, 1);
    }
}

// Error-passive and bus-off transmitters.
TEST(Confinement, PassifEtBusOff) {
    // TEC 128, nobody acknowledges: passive flag, TEC unchanged, eight suspend bits, SOF at 79.
    const Deroulement p = Lance(Trame123, S::Acquittement, 0, 2, 128);
    EXPECT_EQ(Ligne(p, -1, 53, 26), std::string(26, '1'));
    EXPECT_EQ(p.bits[54].genre, Genre::Drapeau);
    EXPECT_EQ(p.bits[71].etiquette, "Suspension");
    EXPECT_EQ(p.bits[79].etiquette, "SOF");
    EXPECT_EQ(p.final[E], (Compteurs{128, 0, EtatErreur::Passif}));

    // TEC 128 and a bit error: TEC + 8, a passive flag (six recessive bits) that the receivers
    // take for a stuff error, their flags, and the retransmission waits eight bits more.
    const Deroulement b = Lance(Trame123, S::Emetteur, 25, 2, 128);
    EXPECT_EQ(Ligne(b, E, 26, 20), std::string(20, '1'));
    EXPECT_EQ(Texte(b.evenements), Texte({Err(T::Bit, E, 26), Err(T::Stuff, R1, 32), Err(T::Stuff, R2, 32)}));
    EXPECT_EQ(b.compteurs[25][E].tec, 136);
    EXPECT_EQ(Ligne(b, -1, 26, 13), "111111"
                                    "000000"
                                    "1");
    EXPECT_EQ(b.bits[46].etiquette + b.bits[49].etiquette + b.bits[57].etiquette, "Inter.SuspensionSOF");
    EXPECT_EQ(b.final[E], (Compteurs{135, 0, EtatErreur::Passif}));

    // From a high TEC, one more error: bus off at once, no flag; the receivers find the error.
    for (int tec : {248, 250}) {
        const Deroulement o = Lance(Trame123, S::Emetteur, 25, 5, tec);
        EXPECT_EQ(Texte(o.evenements),
                  Texte({Err(T::Bit, E, 26), Err(T::Stuff, R1, 32), Err(T::Stuff, R2, 32)}));
        EXPECT_EQ(o.final[E], (Compteurs{tec + 8, 0, EtatErreur::BusOff}));
        EXPECT_EQ(Ligne(o, E, 26), std::string(o.bits.size() - 26, '1'));
        EXPECT_EQ(o.debuts.size(), 1u);
        EXPECT_EQ(o.bits.size(), 49u); // ends with the receivers' intermission
    }
}

// TEC - 1 after a successful retransmission; a REC above 127 goes back to 127 in the ACK slot.
TEST(Confinement, RetourApresSucces) {
    const Deroulement d = Lance(Trame123, S::Emetteur, 25, 2);
    EXPECT_EQ(d.compteurs[25][E].tec, 8);
    EXPECT_EQ(d.final[E], (Compteurs{7, 0, EtatErreur::Actif}));
    const Deroulement r = Lance(Trame123, S::Aucune, 0, 1, 0, 200);
    EXPECT_EQ(r.compteurs[52][R2], (Compteurs{0, 200, EtatErreur::Passif}));
    EXPECT_EQ(r.compteurs[53][R2], (Compteurs{0, 127, EtatErreur::Actif}));
}

// No disturbance: the frame, then the intermission; the counters go down by one.
TEST(SansPerturbation, TrameEtIntermission) {
    for (const Transmission& trame :
         {Trame123, Trame_Classique("1ABCDEF0", {}, true), Trame_Classique("000", {0})}) {
        const Deroulement d = Lance(trame, S::Aucune, 0, 3, 3, 1);
        ASSERT_EQ(d.bits.size(), trame.size() + 3);
        for (size_t i = 0; i < trame.size(); ++i) {
            const TempsBit &a = d.bits[i], &b = trame[i];
            ASSERT_EQ(std::string() + a.emetteur + a.recepteur1 + a.recepteur2 + a.bus + a.etiquette,
                      std::string() + b.emetteur + b.recepteur1 + b.recepteur2 + b.bus + b.etiquette)
                << i;
            ASSERT_TRUE(a.genre == b.genre && a.champ == b.champ) << i;
        }
        EXPECT_EQ(Ligne(d, -1, trame.size()), "111");
        EXPECT_EQ(d.bits[trame.size()].etiquette, "Inter.");
        EXPECT_TRUE(d.evenements.empty());
        EXPECT_EQ(d.bitPerturbe, -1);
        EXPECT_EQ(d.final, (std::array<Compteurs, 3>{Compteurs{2, 0, EtatErreur::Actif},
                                                     Compteurs{0, 0, EtatErreur::Actif},
                                                     Compteurs{0, 0, EtatErreur::Actif}}));
    }
}

static std::string Genres(const std::vector<ObservationNoeud>& o) {
    std::string genres;
    for (const ObservationNoeud& x : o) genres += "TsfDEOdIPR"[static_cast<int>(x.genre)];
    return genres;
}

// A receiver alone, fed what it reads: what a run with a single disturbance never shows.
TEST(Noeud, RecepteurSeul) {
    // A SOF and five dominant bits: the sixth is a stuff error (REC + 1), the flag follows.
    const std::string erreur = "000000";
    const struct {
        int rec;
        std::string lus, genres;
        int recFinal;
    } cas[] = {
        // A dominant bit right after its flag (+ 8), then a dominant last delimiter bit: an
        // overload frame, which costs nothing.
        {0, erreur + "000000" + "0" + "1111111" + "0" + "000000" + "1111111",
         "TTTTTT" + std::string(7, 'D') + std::string(8, 'E') + std::string(6, 'O') + std::string(7, 'd'), 9},
        // A recessive bit in its active flag: a bit error, + 8 and not + 1, and a new flag.
        {0, erreur + "000" + "1" + "000000" + "1", "TTTTTT" + std::string(10, 'D') + "E", 9},
        // Dominant bits after the flag: + 8 at the first, at the eighth and at the sixteenth.
        {0, erreur + "000000" + std::string(16, '0') + "1", "TTTTTT" + std::string(22, 'D') + "E", 25},
        // Error passive: a recessive flag that ends after six equal bits, even overwritten.
        {130, erreur + "111111" + "11111111" + "111",
         "TTTTTT" + std::string(6, 'D') + std::string(8, 'E') + "III", 131},
        {130, erreur + "11" + "000000" + "1", "TTTTTT" + std::string(8, 'D') + "E", 131},
        // A recessive bit in an overload flag: a bit error, + 8.
        {0, erreur + "000000" + "1111111" + "0" + "00" + "1" + "000000" + "1",
         "TTTTTT" + std::string(6, 'D') + std::string(8, 'E') + "OOO" + std::string(6, 'D') + "E", 9},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.lus);
        const std::vector<ObservationNoeud> o =
            Observe_Noeud(nullptr, 0, Compteurs{0, c.rec, Etat_Selon(0, c.rec)}, c.lus);
        EXPECT_EQ(Genres(o), c.genres);
        EXPECT_EQ(o[5].compteurs.rec, c.rec + 1);
        EXPECT_EQ(o.back().compteurs.rec, c.recFinal);
    }

    // Back from bus off after 128 sequences of 11 recessive bits, a dominant bit restarting one.
    std::string bits = std::string(11 * 127, '1') + "1111100000" + std::string(11, '1');
    std::vector<ObservationNoeud> r = Observe_Noeud(nullptr, 0, Compteurs{256, 0, EtatErreur::BusOff}, bits);
    EXPECT_EQ(r[bits.size() - 2].compteurs, (Compteurs{256, 0, EtatErreur::BusOff}));
    EXPECT_EQ(r.back().compteurs, Actif0);
    bits.back() = '0';
    EXPECT_EQ(Observe_Noeud(nullptr, 0, Compteurs{256, 0, EtatErreur::BusOff}, bits).back().compteurs.etat,
              EtatErreur::BusOff);
}

// The transmitter alone: a dominant third intermission bit is the SOF of its next attempt,
// which goes on with the identifier; an error-passive one would have to suspend, and receives.
TEST(Noeud, EmetteurEtTroisiemeBitDIntermission) {
    const std::string lus = Debut123 + "1" + "000000" + "11111111" + "110" + Debut123.substr(1, 20);
    const std::vector<ObservationNoeud> o = Observe_Noeud(&Trame123, 2, Actif0, lus);
    const std::vector<ObservationNoeud> p =
        Observe_Noeud(&Trame123, 2, Compteurs{128, 0, EtatErreur::Passif}, lus);
    std::string actif, passif;
    for (size_t t = 68; t < lus.size(); ++t) {
        actif += o[t].niveau;
        passif += p[t].niveau;
    }
    EXPECT_EQ(actif, "111" + Debut123.substr(1, 20));
    EXPECT_EQ(passif, std::string(23, '1'));
    EXPECT_EQ(Genres(o).substr(68, 4) + Genres(p).substr(68, 4), "IITTIITT");
    EXPECT_EQ(o.back().compteurs.tec, 8);
}

static bool Arbitrage(Champ c) {
    return c == Champ::Identifiant || c == Champ::SRR || c == Champ::IDE || c == Champ::RTR ||
           c == Champ::RRS;
}

// What each node does, checked against the rules from the outside, for every bit of the
// frame read inverted by everybody, by the transmitter, by receiver 1.
TEST(Invariants, ToutBitDeLaTrame) {
    const Transmission trames[] = {Trame123,
                                   Trame_Classique("00000000", {0x00}),
                                   Trame_Classique("7EF", {0x01, 0xFF}),
                                   Trame_Classique("1ABCDEF0", {}, true),
                                   Trame_FD("042", true, 8, {0, 1, 2, 3, 4, 5, 6, 7}).Bits,
                                   Trame_FD("00000000", true, 11, std::vector<uint8_t>(20, 0xF0)).Bits};
    std::map<std::string, int> vus; // every kind of event shows somewhere
    for (const Transmission& trame : trames) {
        const Deroulement propre = Lance(trame, S::Aucune);
        for (S sorte : {S::Bus, S::Emetteur, S::Recepteur})
            for (int n = 0; n < static_cast<int>(trame.size()); ++n) {
                SCOPED_TRACE(Nom_Noeud(E) + std::string(" ") + std::to_string(static_cast<int>(sorte)) + ":" +
                             std::to_string(n) + " " + trame[1].etiquette);
                const Deroulement d = Lance(trame, sorte, n, 2);
                ASSERT_TRUE(d.termine);
                ASSERT_EQ(d.bitPerturbe, n);
                const size_t taille = d.bits.size();
                ASSERT_EQ(d.vues.size(), taille);
                ASSERT_EQ(d.compteurs.size(), taille);

                // Flags: six dominant bits, then recessive while the others' flags last;
                // delimiters: eight recessive bits.
                for (int i = 0; i < NbNoeuds; ++i)
                    for (size_t t = 0; t < taille;) {
                        const Genre g = d.vues[t][i];
                        size_t fin = t;
                        while (fin < taille && d.vues[fin][i] == g) ++fin;
                        if (g == Genre::Drapeau || g == Genre::Surcharge) {
                            ASSERT_GE(fin - t, 6u) << i << " " << t;
                            for (size_t k = t; k < fin; ++k)
                                ASSERT_EQ(std::string() + Niveau(d.bits[k], i) + d.bits[k].bus,
                                          k < t + 6 ? "00" : "10")
                                    << i << " " << k;
                        }
                        if (g == Genre::DelimiteurErreur || g == Genre::DelimiteurSurcharge) {
                            ASSERT_EQ(fin - t, 8u) << i << " " << t;
                            ASSERT_EQ(Ligne(d, -1, t, 8), "11111111");
                        }
                        t = fin;
                    }

                // Either nothing went wrong for the transmitter, or it sent the frame again,
                // as it is, and that went through.
                bool echec = false;
                for (size_t k = 0; k < d.evenements.size(); ++k) {
                    const Evenement& e = d.evenements[k];
                    ++vus[e.sorte == Sorte::Erreur      ? Nom_Erreur(e.type)
                          : e.sorte == Sorte::Surcharge ? "surcharge"
                                                        : "arbitrage"];
                    echec |= e.sorte != Sorte::Surcharge;
                    if (k > 0) { ASSERT_LE(d.evenements[k - 1].bit, e.bit); }
                }
                ASSERT_TRUE(d.reussie);
                ASSERT_EQ(d.debuts.size(), echec ? 2u : 1u);
                if (echec) {
                    const size_t debut = taille - propre.bits.size();
                    ASSERT_EQ(d.debuts[1], static_cast<int>(debut));
                    for (size_t k = 0; k < propre.bits.size(); ++k) {
                        const TempsBit &a = d.bits[debut + k], &b = propre.bits[k];
                        ASSERT_EQ(
                            std::string() + a.emetteur + a.recepteur1 + a.recepteur2 + a.bus + a.etiquette,
                            std::string() + b.emetteur + b.recepteur1 + b.recepteur2 + b.bus + b.etiquette)
                            << k;
                    }
                    ASSERT_LT(d.evenements.back().bit, static_cast<int>(debut));
                    const Evenement& premier =
                        *std::find_if(d.evenements.begin(), d.evenements.end(),
                                      [](const Evenement& e) { return e.sorte == Sorte::Erreur; });
                    const size_t dominants = Dominants_Depuis(d, static_cast<size_t>(premier.bit));
                    ASSERT_TRUE(dominants >= 6 && dominants <= 12) << dominants;
                }

                // Every counter change has its rule: +8 / +1 for an error found at that bit
                // (none for a recessive stuff bit of the arbitration), +8 for a dominant bit
                // right after a receiver's flag, -1 for a frame sent or acknowledged.
                bool recepteur = false; // the transmitter after a lost arbitration
                for (size_t t = 0; t < taille; ++t) {
                    int erreur[NbNoeuds] = {0, 0, 0};
                    for (const Evenement& e : d.evenements) {
                        if (e.sorte == Sorte::Erreur && e.bit == static_cast<int>(t) + 1) erreur[e.noeud] = 1;
                        if (e.sorte == Sorte::ArbitragePerdu && e.bit == static_cast<int>(t))
                            recepteur = true;
                    }
                    for (int i = 0; i < NbNoeuds; ++i) {
                        const Compteurs avant = t ? d.compteurs[t - 1][i] : Actif0,
                                        &apres = d.compteurs[t][i];
                        const int dt = apres.tec - avant.tec, dr = apres.rec - avant.rec;
                        // The transmitter's recessive stuff bit of the arbitration, read dominant.
                        const char lu = sorte == S::Emetteur && static_cast<int>(t) == n
                                            ? (d.bits[t].bus == '0' ? '1' : '0')
                                            : d.bits[t].bus;
                        const bool arbitrage = Est_Stuff(d.bits[t].genre) && Arbitrage(d.bits[t].champ) &&
                                               d.bits[t].emetteur == '1' && lu == '0';
                        const bool commeRecepteur = i != E || recepteur;
                        int tec = 0, rec = 0;
                        if (erreur[i] && !commeRecepteur && !arbitrage) tec = 8;
                        if (i == E && !commeRecepteur && !erreur[i] && d.bits[t].etiquette == "EOF.0")
                            tec = -(avant.tec > 0);
                        ASSERT_EQ(dt, tec) << i << " " << t;
                        const bool apresDrapeau = t > 0 && d.vues[t][i] == Genre::Drapeau &&
                                                  d.vues[t - 1][i] == Genre::Drapeau &&
                                                  Niveau(d.bits[t], i) == '1' &&
                                                  Niveau(d.bits[t - 1], i) == '0' && d.bits[t].bus == '0';
                        const bool acquitte = d.bits[t].champ == Champ::ACK && d.vues[t][i] == Genre::Trame &&
                                              Niveau(d.bits[t], i) == '0';
                        if (commeRecepteur && erreur[i]) rec = 1;
                        if (commeRecepteur && apresDrapeau) rec = 8;
                        if (acquitte && !erreur[i]) rec = -(avant.rec > 0);
                        ASSERT_EQ(dr, rec) << i << " " << t;
                    }
                }
            }
    }
    for (const char* v : {"erreur de bit", "erreur de stuff", "erreur de CRC", "erreur de forme",
                          "erreur d'acquittement", "surcharge", "arbitrage"})
        EXPECT_GT(vus[v], 0) << v;
}

// CAN FD frames sent without disturbance, through every node's decoder: base and extended,
// every DLC, both CRCs, fixed stuff bits, the stuff count and its exception.
TEST(CANFD, TramesAuHasardSansErreur) {
    std::mt19937 alea(13);
    for (int n = 0; n < 400; ++n) {
        const bool etendue = alea() % 2;
        char id[9];
        std::snprintf(id, sizeof id, etendue ? "%08X" : "%03X",
                      static_cast<unsigned>(alea() % (etendue ? 0x1F000000u : 0x7F0u)));
        const int dlc = static_cast<int>(alea() % 16);
        std::vector<uint8_t> octets;
        for (int k = 0; k < Longueur_FD(dlc); ++k) // runs of equal bits, for the stuff bits
            octets.push_back(static_cast<uint8_t>(alea() % 3 ? (alea() % 2) * 0xFF : alea() % 256));
        const Transmission trame = Trame_FD(id, alea() % 2, dlc, octets, alea() % 2).Bits;
        const Deroulement d = Lance(trame, S::Aucune);
        ASSERT_TRUE(d.evenements.empty()) << id << " " << dlc << " " << Texte(d.evenements);
        ASSERT_EQ(d.bits.size(), trame.size() + 3);
        for (size_t i = 0; i < trame.size(); ++i) {
            const TempsBit &a = d.bits[i], &b = trame[i];
            ASSERT_TRUE(a.bus == b.bus && a.recepteur1 == b.recepteur1 && a.genre == b.genre &&
                        a.champ == b.champ && a.phase == b.phase && a.etiquette == b.etiquette)
                << id << " " << i;
        }
    }
}

// Errors in a CAN FD frame (identifier 042, BRS, eight bytes 00 .. 07): a dynamic stuff bit
// read wrong is a stuff error, a fixed one a form error; a CRC bit read wrong is a CRC error,
// unless a fixed stuff bit follows it, which then equals it; a stuff count read wrong is
// found with the CRC; res read recessive is a form error. Flags run at the nominal rate.
TEST(CANFD, ErreursDansLaTrame) {
    const Transmission trame = Trame_FD("042", true, 8, {0, 1, 2, 3, 4, 5, 6, 7}).Bits;
    const struct {
        int bit;
        Genre genre; // of the bit read wrong
        Evenement attendu;
    } cas[] = {
        {25, Genre::Stuff, Err(T::Stuff, R1, 26)},       {96, Genre::StuffFixe, Err(T::Forme, R1, 97)},
        {102, Genre::Trame, Err(T::CRC, R1, 126)},       {105, Genre::Trame, Err(T::Forme, R1, 107)},
        {97, Genre::Trame, Err(T::CRC, R1, 126)},        {16, Genre::Trame, Err(T::Forme, R1, 17)},
        {121, Genre::StuffFixe, Err(T::Forme, R1, 122)},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.bit);
        ASSERT_EQ(trame[static_cast<size_t>(c.bit)].genre, c.genre);
        const Deroulement d = Lance(trame, S::Recepteur, c.bit, 2);
        EXPECT_EQ(Texte({d.evenements[0]}), Texte({c.attendu}));
        EXPECT_TRUE(d.reussie);
        for (size_t i = 0; i < static_cast<size_t>(d.debuts[1]); ++i) {
            const bool drapeau = std::any_of(d.vues[i].begin(), d.vues[i].end(), [](Genre g) {
                return g != Genre::Trame && g != Genre::Stuff && g != Genre::StuffFixe && g != Genre::Repos;
            });
            ASSERT_EQ(d.bits[i].phase, drapeau ? Phase::Nominale : trame[i].phase) << i;
        }
    }
}

// An FD transmitter tells its state in ESI: once error passive, it sends the frame again
// with ESI recessive (and so another CRC), after its suspend bits.
TEST(CANFD, ESIDeLEmetteurPassif) {
    const TrameFD actif = Trame_FD("042", false, 1, {0x55}), passif = Trame_FD("042", false, 1, {0x55}, true);
    Perturbation p;
    p.sorte = S::Emetteur;
    p.bit = 30;
    const Deroulement d = Simule_Bus(actif.Bits, p, ConditionsBus{2, 120, 0}, &passif.Bits);
    ASSERT_EQ(d.debuts.size(), 2u);
    const size_t debut = static_cast<size_t>(d.debuts[1]);
    EXPECT_EQ(d.compteurs[30][E], (Compteurs{128, 0, EtatErreur::Passif}));
    EXPECT_EQ(d.bits[debut - 8].genre, Genre::Suspension);
    std::string envoye, attendu;
    for (size_t i = 0; i < passif.Bits.size(); ++i) {
        envoye += d.bits[debut + i].emetteur;
        attendu += passif.Bits[i].emetteur;
    }
    EXPECT_EQ(envoye, attendu);
    EXPECT_EQ(d.bits[debut + 18].etiquette + d.bits[debut + 18].bus, "ESI1");
    EXPECT_TRUE(d.reussie);
    EXPECT_EQ(d.final[E], (Compteurs{127, 0, EtatErreur::Actif}));
}

// A stuff count that does not match the stuff bits read is rejected even with a CRC computed
// over it: the frame below says 4 stuff bits instead of 2 (parity right), nobody
// acknowledges it.
TEST(CANFD, CompteDeStuffFaux) {
    Transmission trame = Trame_FD("042", false, 0, {}).Bits;
    std::string entree; // CRC input: SOF .. DLC0 with the dynamic stuff bits, then SC and P
    size_t compte = 0;
    while (trame[compte].champ != Champ::CompteStuff) {
        if (trame[compte].genre != Genre::StuffFixe) entree += trame[compte].emetteur;
        ++compte;
    }
    ASSERT_EQ(
        std::count_if(trame.begin(), trame.end(), [](const TempsBit& b) { return b.genre == Genre::Stuff; }),
        2);
    entree += "1100"; // Gray 110 is 4, its parity 0
    uint32_t crc = 1u << 16;
    for (char c : entree) {
        const bool x = (c == '1') != ((crc >> 16) & 1);
        crc = (crc << 1) & 0x1FFFF;
        if (x) crc ^= 0x1685B;
    }
    const std::string champ = entree.substr(entree.size() - 4) + std::bitset<17>(crc).to_string();
    size_t k = 0;
    for (size_t i = compte; trame[i].champ != Champ::DelimiteurCRC; ++i) {
        TempsBit& b = trame[i];
        b.emetteur = b.genre == Genre::StuffFixe ? (trame[i - 1].emetteur == '0' ? '1' : '0') : champ[k++];
        b.bus = b.emetteur;
    }
    const Deroulement d = Lance(trame, S::Aucune);
    const int ack = static_cast<int>(
        std::find_if(trame.begin(), trame.end(), [](const TempsBit& b) { return b.champ == Champ::ACK; }) -
        trame.begin());
    EXPECT_EQ(Texte(d.evenements), Texte({Err(T::Acquittement, E, ack + 1), Err(T::Forme, R1, ack + 2),
                                          Err(T::Forme, R2, ack + 2)}));
}
