#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <map>
#include <random>

#include "frame/bus_erreurs.h"
#include "frame/crc.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"

using namespace varnel;
using S = Perturbation::Sorte;

static Transmission Classique(const std::string& id, const std::vector<int>& octets, bool requete = false) {
    Trame t;
    t.Bits_ID = Regle_Identifiant(id, id.size() == 8).Bits_ID;
    t.Bit_RTR = requete ? "1" : "0";
    const std::string dlc(1, static_cast<char>('0' + octets.size()));
    t.Bits_Ctrl = "00" + Hexa_Bin(dlc);
    for (size_t k = 0; k < octets.size(); ++k) t.Bits_D[k] = std::bitset<8>(octets[k]).to_string();
    t.Construit_Trame(dlc, true);
    return Transmission_Classique(t);
}

static TrameFD FD(const std::string& id, bool brs, int dlc, const std::vector<uint8_t>& o, bool esi = false) {
    return Construit_Trame_FD({Regle_Identifiant(id, id.size() == 8).Bits_ID, brs, esi, dlc, o});
}

// 0x123 with data 11 22: 62 bits; Debut123 holds bits 0 .. 52 (52: the CRC delimiter).
static const Transmission Trame123 = Classique("123", {0x11, 0x22});
static const std::string Debut123 = "00010010001100000110000100010010001000001100101101111";
static const int E = NoeudEmetteur, R1 = NoeudRecepteur1;

static Deroulement Lance(const Transmission& t, S s, int bit = 0, int n = 1, int tec = 0, int rec = 0) {
    return Simule_Bus(t, {s, bit}, {n, tec, rec});
}

// The bus (noeud -1) or a node's level, one character per bit time, from `debut` on.
static std::string Ligne(const Transmission& b, int noeud, size_t debut = 0, size_t n = 100000) {
    std::string s;
    for (size_t i = debut; i < b.size() && i < debut + n; ++i)
        s += noeud < 0 ? b[i].bus : Niveau(b[i], noeud);
    return s;
}

// Counters in short: "TEC/REC" and the state's initial (a, p, b), e.g. "8/0a".
static std::string C(const Compteurs& c) {
    return std::to_string(c.tec) + "/" + std::to_string(c.rec) + Nom_Etat(c.etat)[0];
}

// A run in short: its events (b s C f A the errors, P arbitration lost, O overload; node: bit
// time), then the final counters of the three nodes.
static std::string Resume(const Deroulement& d) {
    std::string s;
    for (const Evenement& e : d.evenements) {
        const bool erreur = e.sorte == Evenement::Sorte::Erreur;
        s += std::string(1, erreur ? "bsCfA"[static_cast<int>(e.type)] : "-PO"[static_cast<int>(e.sorte)]) +
             std::to_string(e.noeud) + ":" + std::to_string(e.bit) + " ";
    }
    return s + "| " + C(d.final[0]) + " " + C(d.final[1]) + " " + C(d.final[2]);
}

// Every field of a bit time, to compare two runs or a run with its frame.
static std::string Bit(const TempsBit& b) {
    const int n[] = {static_cast<int>(b.genre), static_cast<int>(b.champ), static_cast<int>(b.phase)};
    return std::string{b.emetteur, b.recepteur1, b.recepteur2, b.bus, ' '} +
           std::to_string(n[0] * 1000 + n[1] * 10 + n[2]) + b.etiquette;
}

// The lone transmitter, 18 attempts (the first is written out in the command-line tests): TEC + 8
// in each ACK slot; passive at 128: eight suspend bits, a passive flag, and the TEC moves no more.
TEST(ExemplesDeReference, EmetteurSeul) {
    const Deroulement d = Lance(Trame123, S::Acquittement, 0, 18);
    std::string bus;
    for (int k = 0; k < 16; ++k) bus += Debut123 + "1" + "000000" + "11111111" + "111";
    bus += "11111111" + Debut123 + std::string(1 + 6 + 8 + 3 + 8, '1') + Debut123 + std::string(18, '1');
    EXPECT_EQ(Ligne(d.bits, -1), bus);
    EXPECT_EQ(d.bits[54].etiquette + d.bits[60].etiquette + d.bits[68].etiquette + d.bits[1136].etiquette +
                  d.bits[1144].etiquette, // 1136 = 71 * 16
              "DrapeauDélim.Inter.SuspensionSOF");
    EXPECT_EQ(C(d.compteurs[52][E]) + C(d.compteurs[53][E]) + C(d.compteurs[71 * 14 + 53][E]) +
                  C(d.compteurs[71 * 15 + 53][E]) + C(d.final[E]),
              "0/0a8/0a120/0a128/0p128/0p");
    ASSERT_EQ(d.evenements.size(), 18u);
    for (int k = 0; k < 16; ++k) // each active attempt: its flag, TEC + 8 in its ACK slot
        EXPECT_EQ(
            std::tuple(d.evenements[k].bit, d.compteurs[52 + 71 * k][E].tec, d.compteurs[53 + 71 * k][E].tec),
            std::tuple(54 + 71 * k, 8 * k, 8 * k + 8))
            << k;
    EXPECT_EQ(d.evenements[16].bit, 1144 + 54);
    EXPECT_TRUE(d.bits[1136].genre == Genre::Suspension && d.bits[1198].genre == Genre::Drapeau);
    EXPECT_EQ(C(Lance(Trame123, S::Acquittement, 0, 60).final[E]), "128/0p");
}

// Receiver 1 alone finds a CRC error (the first attempt is written out in the command-line tests).
TEST(ExemplesDeReference, CRCFauxChezUnRecepteur) {
    const Deroulement d = Lance(Trame123, S::Recepteur, 24, 2);
    EXPECT_EQ(std::tuple(d.bitPerturbe, d.compteurs[60][R1].rec, d.bits[55].champ), // REC + 8 at 61
              std::tuple(24, 1, Champ::EOF_)); // the transmitter names the bit times
    EXPECT_EQ(d.bits[56].etiquette + d.bits[62].etiquette + d.bits[70].etiquette + d.bits[73].etiquette,
              "DrapeauDélim.Inter.SOF");
    const Transmission propre = Lance(Trame123, S::Aucune).bits;
    ASSERT_EQ(d.bits.size(), 73 + propre.size());
    for (size_t k = 0; k < propre.size(); ++k) ASSERT_EQ(Bit(d.bits[73 + k]), Bit(propre[k])) << k;
    EXPECT_EQ(Resume(d), "C1:55 f0:56 f2:56 | 7/0a 0/8a 0/0a");
    EXPECT_TRUE(d.reussie && d.debuts == (std::vector<int>{0, 73}));
    // Receiver 2 acknowledged (REC - 1) before its form error (+ 1); receiver 1 did not.
    EXPECT_EQ(Resume(Lance(Trame123, S::Recepteur, 24, 1, 0, 20)), "C1:55 f0:56 f2:56 | 8/0a 0/29a 0/20a");
}

// One disturbance, one attempt, and the dominant bits from the first flag on (6 to 12). Trame123:
// stuff bit 17, DLC1 at 18, data from 20, CRC from 36; identifier 000: stuff bit 5, in arbitration.
TEST(Detection, QuiVoitQuoi) {
    const Transmission huit = Classique("123", std::vector<int>(8, 0x55)), zero = Classique("000", {});
    const struct {
        const Transmission* trame;
        S sorte;
        int bit;
        std::string resume;
        size_t dominants;
    } cas[] = {
        {&Trame123, S::Emetteur, 25, "b0:26 s1:30 s2:30 | 8/0a 0/1a 0/1a", 10},
        // The transmitter sends recessive into receiver 1's flag; receiver 1 pays + 8.
        {&Trame123, S::Recepteur, 17, "s1:18 b0:19 s2:24 | 8/0a 0/9a 0/1a", 12},
        {&Trame123, S::Bus, 17, "s0:18 s1:18 s2:18 | 8/0a 0/1a 0/1a", 6},
        // CRC delimiter read dominant: the flag covers the ACK slot and the ACK delimiter.
        {&Trame123, S::Recepteur, 52, "f1:53 f0:55 f2:55 | 8/0a 0/9a 0/1a", 8},
        // DLC 2 read as 0: receiver 1's CRC delimiter is bit 36; the stuff bit 40 is overwritten.
        {&Trame123, S::Recepteur, 18, "f1:37 s0:41 s2:41 | 8/0a 0/9a 0/1a", 10},
        // DLC 8 read as 9: still eight bytes, but the DLC is under the CRC.
        {&huit, S::Recepteur, 18, "C1:102 f0:103 f2:103 | 8/0a 0/9a 0/1a", 7},
        // The ACK slot read recessive by all: the receivers' bit error on the ACK they send.
        {&Trame123, S::Bus, 53, "A0:54 b1:54 b2:54 | 8/0a 0/1a 0/1a", 6},
        // A recessive stuff bit of the arbitration read dominant costs the transmitter nothing.
        {&zero, S::Bus, 5, "s0:6 s1:6 s2:6 | 0/0a 0/1a 0/1a", 6},
        {&zero, S::Emetteur, 5, "s0:6 s1:12 s2:12 | 0/0a 0/1a 0/1a", 12},
    };
    for (const auto& c : cas) {
        const Deroulement d = Lance(*c.trame, c.sorte, c.bit);
        EXPECT_EQ(Resume(d), c.resume);
        EXPECT_FALSE(d.reussie) << c.resume;
        EXPECT_EQ(Ligne(d.bits, -1, static_cast<size_t>(d.evenements[0].bit)).find('1'), c.dominants)
            << c.resume;
    }
}

// The last EOF bit read dominant by a receiver: still valid for it; overload frames move no counter.
TEST(Surcharge, DernierBitDeFin) {
    const Deroulement d = Lance(Trame123, S::Recepteur, 61, 2, 5, 5);
    EXPECT_EQ(Resume(d), "O1:62 O0:63 O2:63 | 4/0a 0/4a 0/4a");
    EXPECT_EQ(Resume(Lance(Trame123, S::Recepteur, 61, 2, 1, 1)), "O1:62 O0:63 O2:63 | 0/0a 0/0a 0/0a");
    EXPECT_EQ(Ligne(d.bits, -1, 61), "1" + std::string(7, '0') + std::string(11, '1'));
    EXPECT_EQ(d.bits[63].etiquette + d.bits[69].etiquette, "SurchargeDélim.");
    EXPECT_TRUE(d.bits[69].genre == Genre::DelimiteurSurcharge && d.bits.back().genre == Genre::Intermission);
    // A dominant bit in the intermission, seen by all: three overload flags at once.
    const Deroulement i = Lance(Trame123, S::Bus, 63, 2, 5, 5);
    EXPECT_EQ(Resume(i) + Ligne(i.bits, -1, 61) + i.bits[64].etiquette + i.bits[70].etiquette,
              "O0:64 O1:64 O2:64 | 4/0a 0/4a 0/4a110000000" + std::string(11, '1') + "SurchargeDélim.");
}

// A bit error at 25 for an error-passive transmitter, then for one that goes bus off.
TEST(Confinement, PassifEtBusOff) {
    // TEC 128: + 8, a passive flag the receivers take for a stuff error, eight suspend bits.
    const Deroulement b = Lance(Trame123, S::Emetteur, 25, 2, 128);
    EXPECT_EQ(Resume(b), "b0:26 s1:32 s2:32 | 135/0p 0/0a 0/0a");
    EXPECT_EQ(Ligne(b.bits, E, 26, 20) + Ligne(b.bits, -1, 26, 13), std::string(20, '1') + "1111110000001");
    EXPECT_EQ(b.compteurs[25][E].tec, 136);
    EXPECT_EQ(b.bits[46].etiquette + b.bits[49].etiquette + b.bits[57].etiquette, "Inter.SuspensionSOF");
    // TEC 248: bus off at once, no flag; the receivers find the error and the run ends with them.
    const Deroulement o = Lance(Trame123, S::Emetteur, 25, 5, 248);
    EXPECT_EQ(Resume(o), "b0:26 s1:32 s2:32 | 256/0b 0/1a 0/1a");
    EXPECT_EQ(Ligne(o.bits, E, 26), std::string(23, '1'));
}

// Passive from 128 on either counter, bus off from a TEC of 256.
TEST(Confinement, EtatSelonLesCompteurs) {
    const std::tuple<int, int, EtatErreur> cas[] = {
        {0, 0, EtatErreur::Actif},    {127, 127, EtatErreur::Actif},  {128, 0, EtatErreur::Passif},
        {0, 128, EtatErreur::Passif}, {255, 255, EtatErreur::Passif}, {256, 0, EtatErreur::BusOff}};
    for (const auto& [tec, rec, etat] : cas) EXPECT_EQ(Etat_Selon(tec, rec), etat) << tec << " " << rec;
}

// A recessive RTR, SRR or IDE that the transmitter reads dominant loses the arbitration: no error.
TEST(Detection, ArbitrageJusquAIDEEtRTR) {
    const Transmission etendue = Classique("1ABCDEF0", {}, true), base = Classique("123", {}, true);
    for (const auto& [trame, champ] : {std::pair{&base, Champ::RTR}, std::pair{&etendue, Champ::SRR},
                                       std::pair{&etendue, Champ::IDE}, std::pair{&etendue, Champ::RTR}}) {
        const int bit =
            static_cast<int>(std::find_if(trame->begin(), trame->end(),
                                          [c = champ](const TempsBit& b) { return b.champ == c; }) -
                             trame->begin());
        const Deroulement d = Lance(*trame, S::Emetteur, bit);
        ASSERT_FALSE(d.evenements.empty());
        EXPECT_EQ(Resume(d).substr(0, Resume(d).find(' ')), "P0:" + std::to_string(bit)) << bit;
    }
    // Noise on a recessive identifier bit: the transmitter stops driving, nobody drives the bus,
    // six recessive bits are a stuff error for all three; it tries again and gets through.
    const Deroulement b = Lance(Trame123, S::Bus, 3, 2);
    EXPECT_EQ(Resume(b) + Ligne(b.bits, E, 0, 10) + Ligne(b.bits, -1, 0, 10) + C(b.compteurs[10][R1]) +
                  b.bits[27].etiquette,
              "P0:3 s0:10 s1:10 s2:10 | 0/1a 0/0a 0/0a00011111110000111111"
              "0/1aSOF");
    EXPECT_TRUE(b.reussie);
}

// No disturbance: the frame bit for bit, the intermission, TEC and REC - 1; random FD frames of every kind.
TEST(SansPerturbation, TrameEtIntermission) {
    Trame distante; // a remote frame whose DLC asks for 3 bytes it does not carry
    distante.Bits_ID = Regle_Identifiant("123", false).Bits_ID, distante.Bit_RTR = "1",
    distante.Bits_Ctrl = "000011";
    distante.Construit_Trame("3", true);
    std::vector<Transmission> trames = {Trame123, Classique("1ABCDEF0", {}, true), Classique("000", {0}),
                                        Transmission_Classique(distante)};
    std::mt19937 alea(13);
    for (int n = 0; n < 400; ++n) {
        const bool etendue = alea() % 2;
        char id[9];
        std::snprintf(id, sizeof id, etendue ? "%08X" : "%03X",
                      static_cast<unsigned>(alea() % (etendue ? 0x1F000000u : 0x7F0u)));
        const int dlc = static_cast<int>(alea() % 16);
        std::vector<uint8_t> octets; // long runs of equal bits, for the stuff bits
        for (int k = 0; k < Longueur_FD(dlc); ++k)
            octets.push_back(static_cast<uint8_t>(alea() % 3 ? (alea() % 2) * 0xFF : alea() % 256));
        trames.push_back(FD(id, alea() % 2, dlc, octets, alea() % 2).Bits);
    }
    for (const Transmission& trame : trames) {
        const Deroulement d = Lance(trame, S::Aucune, 0, 3, 3, 1);
        ASSERT_EQ(Resume(d), "| 2/0a 0/0a 0/0a") << trame[1].etiquette;
        ASSERT_EQ(d.bitPerturbe, -1);
        ASSERT_EQ(d.bits.size(), trame.size() + 3);
        for (size_t i = 0; i < trame.size(); ++i) ASSERT_EQ(Bit(d.bits[i]), Bit(trame[i])) << i;
        ASSERT_EQ(Ligne(d.bits, -1, trame.size()) + d.bits[trame.size()].etiquette, "111Inter.");
    }
    // A REC above 127 goes back to 127 in the ACK slot.
    const Deroulement r = Lance(Trame123, S::Aucune, 0, 1, 0, 200);
    EXPECT_EQ(C(r.compteurs[52][R1]) + C(r.compteurs[53][R1]) + C(r.compteurs[53][NoeudRecepteur2]),
              "0/200p0/127a0/127a");
}

// A receiver alone, fed what it reads. After a SOF and five dominant bits the sixth is a stuff
// error (REC + 1); genres: T frame, D flag, E delimiter, O overload flag, d its delimiter.
TEST(Noeud, RecepteurSeul) {
    const std::string erreur = "000000", D6 = std::string(6, 'D'), E8 = std::string(8, 'E');
    const struct {
        int rec;
        std::string lus, genres;
        int recFinal;
    } cas[] = {
        // A dominant bit right after its flag: + 8; a dominant last delimiter bit: an overload frame.
        {0, erreur + "000000" + "0" + "1111111" + "0" + "000000" + "1111111",
         "TTTTTT" + D6 + "D" + E8 + "OOOOOO" + "ddddddd", 9},
        // A recessive bit in its active flag: a bit error, + 8 and not + 1, and a new flag.
        {0, erreur + "000" + "1" + "000000" + "1", "TTTTTT" + D6 + "DDDD" + "E", 9},
        // Dominant bits after the flag: + 8 at the first, at the eighth and at the sixteenth.
        {0, erreur + "000000" + std::string(16, '0') + "1", "TTTTTT" + std::string(22, 'D') + "E", 25},
        // Error passive: a recessive flag that ends after six equal bits, even overwritten.
        {130, erreur + "111111" + "11111111" + "111", "TTTTTT" + D6 + E8 + "III", 131},
        {130, erreur + "11" + "000000" + "1", "TTTTTT" + D6 + "DD" + "E", 131},
        // A recessive bit in an overload flag: a bit error, + 8.
        {0, erreur + "000000" + "1111111" + "0" + "00" + "1" + "000000" + "1",
         "TTTTTT" + D6 + E8 + "OOO" + D6 + "E", 9},
    };
    for (const auto& c : cas) {
        const std::vector<ObservationNoeud> o =
            Observe_Noeud(nullptr, 0, {0, c.rec, Etat_Selon(0, c.rec)}, c.lus);
        std::string genres;
        for (const ObservationNoeud& x : o) genres += "TsfDEOdIPR"[static_cast<int>(x.genre)];
        EXPECT_EQ(genres, c.genres) << c.lus;
        EXPECT_EQ(std::to_string(o[5].compteurs.rec) + " " + std::to_string(o.back().compteurs.rec),
                  std::to_string(c.rec + 1) + " " + std::to_string(c.recFinal))
            << c.lus;
    }
    // Back from bus off after 128 sequences of 11 recessive bits, a dominant bit restarting one.
    std::string bits = std::string(11 * 127, '1') + "1111100000" + std::string(11, '1');
    const std::vector<ObservationNoeud> r = Observe_Noeud(nullptr, 0, {256, 0, EtatErreur::BusOff}, bits);
    EXPECT_EQ(C(r[bits.size() - 2].compteurs) + C(r.back().compteurs), "256/0b0/0a");
    bits.back() = '0';
    EXPECT_EQ(C(Observe_Noeud(nullptr, 0, {256, 0, EtatErreur::BusOff}, bits).back().compteurs), "256/0b");
}

// The transmitter alone: a dominant third intermission bit is the SOF of its next attempt; an
// error-passive one would have to suspend, and receives.
TEST(Noeud, EmetteurEtTroisiemeBitDIntermission) {
    const std::string lus = Debut123 + "1" + "000000" + "11111111" + "110" + Debut123.substr(1, 20);
    for (const int tec : {0, 128}) {
        const std::vector<ObservationNoeud> o =
            Observe_Noeud(&Trame123, 2, {tec, 0, Etat_Selon(tec, 0)}, lus);
        std::string niveaux;
        for (size_t t = 68; t < lus.size(); ++t) niveaux += o[t].niveau;
        EXPECT_EQ(niveaux, tec ? std::string(23, '1') : "111" + Debut123.substr(1, 20));
        EXPECT_TRUE(o[68].genre == Genre::Intermission && o[69].genre == Genre::Intermission &&
                    o[70].genre == Genre::Trame && o[71].genre == Genre::Trame &&
                    o.back().compteurs.tec == tec + 8); // passive: its flag saw 0s
    }
}

// CAN FD 042, BRS, 00 .. 07, a bit misread by receiver 1: dynamic stuff (25) stuff error, fixed stuff
// (96, 121) form error, CRC bit (102) CRC error unless fixed stuff follows (105), stuff count (97) CRC
// error, res (16) form error. The flags run at the nominal rate.
TEST(CANFD, ErreursDansLaTrame) {
    const Transmission trame = FD("042", true, 8, {0, 1, 2, 3, 4, 5, 6, 7}).Bits;
    const std::pair<int, std::string> cas[] = {{25, "s1:26"},   {96, "f1:97"},  {102, "C1:126"},
                                               {105, "f1:107"}, {97, "C1:126"}, {16, "f1:17"},
                                               {121, "f1:122"}};
    for (const auto& [bit, evenement] : cas) {
        const Deroulement d = Lance(trame, S::Recepteur, bit, 2);
        EXPECT_TRUE(Resume(d).rfind(evenement + " ", 0) == 0 && d.reussie) << Resume(d);
        for (size_t i = 0; i < static_cast<size_t>(d.debuts[1]); ++i) {
            const bool drapeau = std::any_of(d.vues[i].begin(), d.vues[i].end(), [](Genre g) {
                return g != Genre::Trame && !Est_Stuff(g) && g != Genre::Repos;
            });
            ASSERT_EQ(d.bits[i].phase, drapeau ? Phase::Nominale : trame[i].phase) << bit << " " << i;
        }
    }
    EXPECT_EQ(Resume(Lance(trame, S::Recepteur, 25, 2)), "s1:26 s0:32 s2:32 | 7/0a 0/8a 0/0a");
    // Passive after its error, the transmitter suspends before sending again with ESI recessive.
    const TrameFD actif = FD("042", false, 1, {0x55}), passif = FD("042", false, 1, {0x55}, true);
    const Deroulement e = Simule_Bus(actif.Bits, {S::Emetteur, 30}, {2, 120, 0}, &passif.Bits);
    EXPECT_EQ(C(e.compteurs[30][E]) + e.bits.at(static_cast<size_t>(e.debuts.at(1)) - 8).etiquette,
              "128/0pSuspension");
}

// A stuff count of 4 instead of 2 (parity right) under a right CRC: refused, nobody acknowledges it.
TEST(CANFD, CompteDeStuffFaux) {
    Transmission trame = FD("042", false, 0, {}).Bits;
    uint32_t crc = CRC17.Initial(); // SOF .. DLC0 with the dynamic stuff bits, then SC and P
    size_t i = 0;
    for (; trame[i].champ != Champ::CompteStuff; ++i)
        if (trame[i].genre != Genre::StuffFixe) crc = CRC17.Ajoute_Bit(crc, trame[i].emetteur == '1');
    const std::string champ = "1100" + std::bitset<17>(CRC17.Ajoute_Bits(crc, 0b1100, 4)).to_string();
    for (size_t k = 0; trame[i].champ != Champ::DelimiteurCRC; ++i)
        trame[i].emetteur = trame[i].bus =
            Est_Stuff(trame[i].genre) ? (trame[i - 1].emetteur == '0' ? '1' : '0') : champ[k++];
    const std::string ack = std::to_string(i + 2), forme = std::to_string(i + 3);
    EXPECT_EQ(Resume(Lance(trame, S::Aucune)),
              "A0:" + ack + " f1:" + forme + " f2:" + forme + " | 8/0a 0/1a 0/1a");
}

static bool Arbitrage(Champ c) {
    return c == Champ::Identifiant || c == Champ::SRR || c == Champ::IDE || c == Champ::RTR ||
           c == Champ::RRS;
}

// What each node does, checked from the outside against the rules, for every bit of the frame
// read inverted by everybody, by the transmitter, by receiver 1: flags, delimiters, the
// retransmission, and every counter change.
TEST(Invariants, ToutBitDeLaTrame) {
    using Sorte = Evenement::Sorte;
    const Transmission trames[] = {Trame123,
                                   Classique("00000000", {0x00}),
                                   Classique("7EF", {0x01, 0xFF}),
                                   Classique("1ABCDEF0", {}, true),
                                   FD("042", true, 8, {0, 1, 2, 3, 4, 5, 6, 7}).Bits,
                                   FD("00000000", true, 11, std::vector<uint8_t>(20, 0xF0)).Bits};
    std::map<std::string, int> vus; // every kind of event shows somewhere
    for (const Transmission& trame : trames) {
        const Transmission propre = Lance(trame, S::Aucune).bits;
        for (S sorte : {S::Bus, S::Emetteur, S::Recepteur})
            for (int n = 0; n < static_cast<int>(trame.size()); ++n) {
                SCOPED_TRACE(std::to_string(static_cast<int>(sorte)) + ":" + std::to_string(n) + " " +
                             trame[1].etiquette);
                const Deroulement d = Lance(trame, sorte, n, 2);
                ASSERT_TRUE(d.termine && d.reussie && d.bitPerturbe == n);
                const size_t taille = d.bits.size();
                ASSERT_TRUE(d.vues.size() == taille && d.compteurs.size() == taille);

                // Flags: six dominant bits, then recessive while the others' flags last;
                // delimiters: eight recessive bits.
                for (int i = 0; i < NbNoeuds; ++i)
                    for (size_t t = 0, fin = 0; t < taille; t = fin) {
                        const Genre g = d.vues[t][i];
                        while (fin < taille && d.vues[fin][i] == g) ++fin;
                        if (g == Genre::Drapeau || g == Genre::Surcharge) {
                            ASSERT_GE(fin - t, 6u) << i << " " << t;
                            for (size_t k = t; k < fin; ++k)
                                ASSERT_EQ(std::string({Niveau(d.bits[k], i), d.bits[k].bus}),
                                          k < t + 6 ? "00" : "10")
                                    << i << " " << k;
                        }
                        if (g == Genre::DelimiteurErreur || g == Genre::DelimiteurSurcharge) {
                            ASSERT_EQ(Ligne(d.bits, -1, t, fin - t), "11111111") << i << " " << t;
                        }
                    }

                // Either nothing went wrong for the transmitter, or it sent the frame again, as
                // it is, and that went through; 6 to 12 dominant bits from the first flag.
                bool echec = false;
                for (size_t k = 0; k < d.evenements.size(); ++k) {
                    const Evenement& e = d.evenements[k];
                    ++vus[e.sorte == Sorte::Erreur      ? Nom_Erreur(e.type)
                          : e.sorte == Sorte::Surcharge ? "surcharge"
                                                        : "arbitrage"];
                    echec |= e.sorte != Sorte::Surcharge;
                    if (k > 0) { ASSERT_LE(d.evenements[k - 1].bit, e.bit); }
                }
                ASSERT_EQ(d.debuts.size(), echec ? 2u : 1u);
                if (echec) {
                    const size_t debut = taille - propre.size();
                    ASSERT_EQ(d.debuts[1], static_cast<int>(debut));
                    for (size_t k = 0; k < propre.size(); ++k)
                        ASSERT_EQ(Bit(d.bits[debut + k]).substr(0, 4) + d.bits[debut + k].etiquette,
                                  Bit(propre[k]).substr(0, 4) + propre[k].etiquette)
                            << k;
                    ASSERT_LT(d.evenements.back().bit, static_cast<int>(debut));
                    const auto premier =
                        std::find_if(d.evenements.begin(), d.evenements.end(),
                                     [](const Evenement& e) { return e.sorte == Sorte::Erreur; });
                    const size_t dominants = Ligne(d.bits, -1, static_cast<size_t>(premier->bit)).find('1');
                    ASSERT_TRUE(dominants >= 6 && dominants <= 12) << dominants;
                }

                // Every counter change has its rule: +8 / +1 for an error found at that bit (none
                // for a recessive stuff bit of the arbitration read dominant), +8 for a dominant
                // bit right after a receiver's flag, -1 for a frame sent or acknowledged.
                bool recepteur = false; // the transmitter after a lost arbitration
                for (size_t t = 0; t < taille; ++t) {
                    int erreur[NbNoeuds] = {0, 0, 0};
                    for (const Evenement& e : d.evenements) {
                        if (e.sorte == Sorte::Erreur && e.bit == static_cast<int>(t) + 1) erreur[e.noeud] = 1;
                        if (e.sorte == Sorte::ArbitragePerdu && e.bit == static_cast<int>(t))
                            recepteur = true;
                    }
                    const TempsBit& b = d.bits[t];
                    const char lu =
                        sorte == S::Emetteur && static_cast<int>(t) == n ? (b.bus == '0' ? '1' : '0') : b.bus;
                    const bool arbitrage =
                        Est_Stuff(b.genre) && Arbitrage(b.champ) && b.emetteur == '1' && lu == '0';
                    for (int i = 0; i < NbNoeuds; ++i) {
                        const Compteurs avant =
                                            t ? d.compteurs[t - 1][i] : Compteurs{0, 0, EtatErreur::Actif},
                                        &apres = d.compteurs[t][i];
                        const bool commeRecepteur = i != E || recepteur;
                        int tec = 0, rec = 0;
                        if (erreur[i] && !commeRecepteur && !arbitrage) tec = 8;
                        if (!commeRecepteur && !erreur[i] && b.etiquette == "EOF.0") tec = -(avant.tec > 0);
                        ASSERT_EQ(apres.tec - avant.tec, tec) << i << " " << t;
                        const bool apresDrapeau = t > 0 && d.vues[t][i] == Genre::Drapeau &&
                                                  d.vues[t - 1][i] == Genre::Drapeau && Niveau(b, i) == '1' &&
                                                  Niveau(d.bits[t - 1], i) == '0' && b.bus == '0';
                        const bool acquitte =
                            b.champ == Champ::ACK && d.vues[t][i] == Genre::Trame && Niveau(b, i) == '0';
                        if (commeRecepteur && erreur[i]) rec = 1;
                        if (commeRecepteur && apresDrapeau) rec = 8;
                        if (acquitte && !erreur[i]) rec = -(avant.rec > 0);
                        ASSERT_EQ(apres.rec - avant.rec, rec) << i << " " << t;
                    }
                }
            }
    }
    for (const char* v : {"erreur de bit", "erreur de stuff", "erreur de CRC", "erreur de forme",
                          "erreur d'acquittement", "surcharge", "arbitrage"})
        EXPECT_GT(vus[v], 0) << v;
}
