// The word-level engine against the plain oracle, over thousands of random frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "../support/oracle_trame.h"
#include "frame/crc.h"
#include "frame/longueur_trame.h"
#include "frame/suite_bits.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "frame/transmission.h"

using namespace varnel;

namespace {

using oracle::Bits, oracle::Crc, oracle::Stuffe, oracle::Stuffee;

// The classic engine's texts. Without `dlc`, the stuffing and the CRC of `Trame_Brute` alone.
bool Oracle(Trame& r, const std::string* dlc, bool stuffe) {
    std::string bin = "0 ";
    if (dlc && dlc->size() == 1 && (*dlc)[0] >= '0' && (*dlc)[0] <= '8') {
        bin += r.Bits_ID + " " + r.Bit_RTR + " " + r.Bits_Ctrl;
        for (int k = 0; k < (*dlc)[0] - '0'; ++k) bin += " " + r.Bits_D[static_cast<size_t>(k)];
    }
    if (dlc) Supprime_Blancs(r.Trame_Brute = bin);
    const oracle::Envoi e = oracle::Classique(r.Trame_Brute);
    char hexa[8];
    std::snprintf(hexa, sizeof hexa, "%X", e.crc);
    r.Reg_CRC = static_cast<int16_t>(e.crc), r.Bits_CRC = e.champ, r.Champ_CRC = hexa;
    if (dlc) r.Trame_Bin = bin + " " + e.champ, r.Trame_Brute += e.champ;
    if (dlc) r.Text1 = std::to_string(r.Trame_Brute.size() + 9);
    if (!stuffe) return false;
    const Stuffee s = Stuffe(r.Trame_Brute); // with the CRC for a frame, without for a text alone
    r.Trame_Stuffee = s.bits, r.Trame_Bin += " 11 1111111", r.Trame_Bin_Stuf = s.bits + "111111111";
    r.Text2 = std::to_string(s.bits.size() + 9), r.TrameDR = s.dr + std::string(10, 'r');
    if (s.bits.empty()) return true;
    r.Bit_Prec.assign(1, s.bits.back()); // and the run it ends, which never passes five
    r.Nb_Egaux = static_cast<int16_t>(s.bits.size() - 1 - s.bits.find_last_not_of(s.bits.back()));
    return true;
}

// Everything of a `Trame` that the window, varnel-trame or a later step can read.
std::string Resultats(const Trame& t) {
    return t.Trame_Bin + "|" + t.Trame_Brute + "|" + t.Text1 + "|" + t.Bits_CRC + "|" +
           std::to_string(t.Reg_CRC) + "|" + t.Champ_CRC + "|" + t.Trame_Stuffee + "|" + t.Trame_Bin_Stuf +
           "|" + t.Text2 + "|" + t.TrameDR + "|" + t.Bit_Prec + "|" + std::to_string(t.Nb_Egaux);
}

// Identifier bits as the frame editor lays them out.
std::string Bits_Identifiant(uint32_t id, bool etendue) {
    return etendue ? Bits(id >> 18, 11) + " 11 " + Bits(id, 18) : Bits(id, 11);
}

// An FD frame's texts: raw groups, raw length, bits sent, their number and symbols, the bus
// from SOF to the last EOF bit, the CRC and the stuff count.
std::string Oracle_FD(const TrameFDNombres& f, size_t octets) {
    std::string bin = "0 " + Bits_Identifiant(f.identifiant, f.etendue) + " 0 " + (f.etendue ? "" : "0") +
                      "10" + Bits(f.brs, 1) + Bits(f.esi, 1) + Bits(f.dlc, 4);
    for (size_t k = 0; k < octets; ++k) bin += " " + Bits(f.donnees[k], 8);
    std::string brut = bin;
    Supprime_Blancs(brut);
    const oracle::Envoi e = oracle::FD(brut, Longueur_FD(f.dlc) > 16);
    bin += " " + e.champ.substr(0, 4) + " " + e.champ.substr(4) + " 11 1111111";
    return bin + "|" + std::to_string(brut.size() + e.champ.size() + 9) + "|" + e.bits + "111111111|" +
           std::to_string(e.bits.size() + 9) + "|" + e.dr + "rrrrrrrrrr|" + e.bits + "1011111111|" +
           std::to_string(e.crc) + "|" + std::to_string(e.stuff);
}

// Random values, half of them all zeros or all ones, to stuff a lot. Identifiers get bits above
// the format's width, which are not sent.
struct Hasard {
    std::mt19937 gen;
    explicit Hasard(uint32_t graine) : gen(graine) {}
    uint32_t tire(uint32_t m) { return static_cast<uint32_t>(gen() % m); }
    uint32_t valeur() { return tire(2) ? static_cast<uint32_t>(gen()) : tire(2) ? 0 : ~0u; }
    uint64_t mot() { return tire(2) ? uint64_t{valeur()} << 32 | valeur() : tire(2) ? 0 : ~uint64_t{0}; }
};

} // namespace

// Texts of any length through the stuffing and the CRC alone, and frames, some as the editor
// holds them while typing, one after the other in the same objects so that leftovers count too.
TEST(Equivalence, TramesClassiquesContreLOracle) {
    Hasard h(151);
    Trame t, r;
    std::string pire = "0"; // the most stuff bits a text can get: one every four after the first five
    for (int k = 0; k < 50; ++k) pire += "00001111";
    for (int n = 0; n < 10000; ++n) {
        // First such texts, each longer than any before.
        std::string brute = n < 50 ? pire.substr(0, 8 * n + 8) : "";
        for (size_t l = n < 50 ? 0 : h.tire(300); brute.size() < l;)
            brute += std::string(h.tire(3) ? 1 + h.tire(3) : 1 + h.tire(12), h.tire(2) ? '1' : '0');
        t.Trame_Brute = r.Trame_Brute = brute;
        t.Stuffe_Trame(), t.Calcul_CRC(), Oracle(r, nullptr, true);
        ASSERT_EQ(Resultats(t), Resultats(r)) << brute;
        t.Marque_Bits(); // read back as a receiver does: the same symbols
        ASSERT_EQ(t.TrameDR, r.TrameDR) << brute;

        TrameClassique f;
        f.etendue = h.tire(2), f.requete = !h.tire(4);
        f.identifiant = h.valeur();
        f.dlc = static_cast<uint8_t>(h.tire(8) ? h.tire(9) : h.tire(16)); // 9..15 send 8 bytes
        for (uint8_t& o : f.donnees) o = static_cast<uint8_t>(h.valeur());
        // While typing: no identifier, an empty or out-of-range DLC, a missing byte, no stuffing.
        const bool saisie = !h.tire(5), complet = !saisie || h.tire(8);
        std::string dlc = std::to_string(std::min<int>(f.dlc, 8));
        if (saisie && h.tire(2)) dlc = h.tire(2) ? "" : std::string(1, "0123456789ABCDEF"[h.tire(16)]);
        const std::string id = saisie && !h.tire(4) ? "" : Bits_Identifiant(f.identifiant, f.etendue);
        for (Trame* x : {&t, &r}) {
            x->Bits_ID = id;
            x->Bit_RTR = f.requete ? "1" : "0";
            x->Bits_Ctrl = "00" + Bits(f.dlc, 4);
            for (size_t k = 0; k < 8; ++k) x->Bits_D[k] = f.requete ? "" : Bits(f.donnees[k], 8);
        }
        if (saisie) t.Bits_D[n % 8] = r.Bits_D[n % 8] = "";
        ASSERT_EQ(t.Construit_Trame(dlc, complet), Oracle(r, &dlc, complet));
        ASSERT_EQ(Resultats(t), Resultats(r)) << n;
        if (!saisie) {
            ASSERT_EQ(Longueur_Stuffee(f), static_cast<int>(r.Trame_Stuffee.size())) << r.Trame_Bin;
            // The bit times the window draws: the stuffed frame, the ACK delimiter, its symbols.
            const Transmission tr = Transmission_Classique(t);
            std::string emis;
            for (const TempsBit& b : tr) emis += b.emetteur;
            ASSERT_EQ(emis + "|" + Symboles(tr), r.Trame_Bin_Stuf + "1|" + r.TrameDR) << r.Trame_Bin;
        }
    }
}

// Bits appended in slices of every width, runs across bytes and words: the places of the stuff
// bits, and the CRC tables of the three CAN polynomials.
TEST(Equivalence, SuitesLonguesStuffEtCRC) {
    const CodeCRC* const codes[] = {&CRC15, &CRC17, &CRC21};
    Hasard h(99);
    for (int n = 0; n < 3000; ++n) {
        SuiteBits<10> s;
        std::string texte;
        uint32_t reg[3] = {codes[0]->Initial(), codes[1]->Initial(), codes[2]->Initial()};
        for (int voulu = static_cast<int>(h.tire(641)); s.n < voulu;) {
            const int nb = std::min(static_cast<int>(h.tire(64)) + 1, voulu - s.n);
            const uint64_t v = h.mot();
            s.Ajoute(v, nb);
            for (int c = 0; c < 3; ++c) reg[c] = codes[c]->Ajoute_Bits(reg[c], v, nb);
            texte += Bits(v, static_cast<size_t>(nb));
        }
        for (int i = 0; i < s.n; ++i) // the bits stored, not only where the stuff bits go
            ASSERT_EQ(Bits(s.mots[size_t(i / 64)] >> (63 - i % 64), 1)[0], texte[size_t(i)]) << i;
        for (int c = 0; c < 3; ++c) ASSERT_EQ(codes[c]->Ajoute_Bits(reg[c], ~uint64_t{0}, 0), reg[c]);
        std::vector<int> positions(static_cast<size_t>(s.n / 4 + 1));
        positions.resize(static_cast<size_t>(Compte_Stuff(s.mots.data(), s.n, positions.data())));
        ASSERT_EQ(positions, Stuffe(texte).apres) << texte;
        ASSERT_EQ(Compte_Stuff(s.mots.data(), s.n), static_cast<int>(positions.size()));
        ASSERT_EQ(reg[0], Crc(texte, 15, 0x4599, 0));
        ASSERT_EQ(reg[1], Crc(texte, 17, 0x1685B, 1u << 16));
        ASSERT_EQ(reg[2], Crc(texte, 21, 0x102899, 1u << 20));
    }
}

// FD frames of every DLC, stuff-heavy ones, some still being typed: the window's texts and bit
// times; for whole frames the length from the numbers, and the time cut at the data phase.
TEST(Equivalence, TramesFDContreLOracle) {
    Hasard h(1507);
    for (int n = 0; n < 6000; ++n) {
        TrameFDNombres f;
        f.etendue = h.tire(2), f.brs = h.tire(2), f.esi = h.tire(2);
        f.identifiant = h.valeur();
        f.dlc = static_cast<uint8_t>(h.tire(16));
        const bool lourd = !h.tire(3);
        for (uint8_t& o : f.donnees) o = static_cast<uint8_t>(lourd ? h.valeur() & 0x0F : h.valeur());
        const size_t longueur = static_cast<size_t>(Longueur_FD(f.dlc));
        const size_t octets = h.tire(5) ? longueur : h.tire(static_cast<uint32_t>(longueur) + 1);
        // A whole frame gets all 64 bytes: those beyond the DLC are not sent.
        SaisieFD saisie{Bits_Identifiant(f.identifiant, f.etendue), f.brs, f.esi, f.dlc, {}};
        saisie.Octets.assign(f.donnees.begin(), f.donnees.begin() + (octets < longueur ? octets : 64));
        const TrameFD t = Construit_Trame_FD(saisie);
        std::string bus;
        for (const TempsBit& b : t.Bits) bus += b.bus;
        ASSERT_EQ(t.Trame_Bin + "|" + t.Text1 + "|" + t.Trame_Bin_Stuf + "|" + t.Text2 + "|" + t.TrameDR +
                      "|" + bus + "|" + std::to_string(t.Reg_CRC) + "|" + std::to_string(t.Nb_Stuff),
                  Oracle_FD(f, octets));
        if (octets < longueur) continue;
        const LongueurFD l = Longueur_Stuffee_FD(f);
        size_t avant = 0;
        while (t.Bits[avant].champ != Champ::BRS || Est_Stuff(t.Bits[avant].genre)) ++avant;
        ASSERT_EQ(std::to_string(l.bits + 9) + " " + std::to_string(l.stuff) + " " +
                      std::to_string(l.avantDonnees),
                  t.Text2 + " " + std::to_string(t.Nb_Stuff) + " " + std::to_string(avant + 1));
        const int donnees = l.bits - l.avantDonnees;
        const Quarts q = Duree(t.Bits, 3),
                     p = Duree_Phases(l.avantDonnees, f.brs ? donnees : 0, 13 + (f.brs ? 0 : donnees));
        ASSERT_EQ(std::make_pair(p.nominaux, p.rapides), std::make_pair(q.nominaux, q.rapides));
    }
}
