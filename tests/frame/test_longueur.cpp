// The word-level computations against plain character-by-character ones: the CRC
// table, the stuff-bit search, the frame length of a log line, and the window's
// texts against the frame engine as it was written before it went to machine words.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <random>
#include <string>
#include <vector>

#include "frame/crc.h"
#include "frame/longueur_trame.h"
#include "frame/suite_bits.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "frame/transmission.h"

using namespace varnel;

namespace {

// The frame engine before it worked on machine words, kept as it was: the oracle.
namespace ancien {

void Calcul_CRC(Trame& t) {
    uint16_t reg = 0;
    for (char c : t.Trame_Brute) {
        const bool suivant = (c == '1') != (((reg >> 14) & 1) != 0);
        reg = static_cast<uint16_t>((reg << 1) & 0x7FFF);
        if (suivant) reg ^= 0x4599;
    }
    t.Reg_CRC = static_cast<int16_t>(reg);
    t.Bits_CRC.clear();
    for (int b = 14; b >= 0; --b) t.Bits_CRC += ((reg >> b) & 1) ? '1' : '0';
    t.Champ_CRC.clear();
    do {
        t.Champ_CRC.insert(t.Champ_CRC.begin(), "0123456789ABCDEF"[reg & 0xF]);
        reg = static_cast<uint16_t>(reg >> 4);
    } while (reg != 0);
}

void Stuffe_Trame(Trame& t) {
    t.Trame_Stuffee.clear();
    if (!t.Trame_Brute.empty()) {
        t.Bit_Prec = t.Trame_Brute.substr(0, 1);
        t.Nb_Egaux = 1;
        t.Trame_Stuffee = t.Bit_Prec;
        for (size_t i = 1; i < t.Trame_Brute.size(); ++i) {
            const std::string c(1, t.Trame_Brute[i]);
            t.Trame_Stuffee += c;
            if (c != t.Bit_Prec) {
                t.Nb_Egaux = 1;
                t.Bit_Prec = c;
            } else if (++t.Nb_Egaux == 5) {
                t.Bit_Prec = (c == "1") ? "0" : "1";
                t.Trame_Stuffee += t.Bit_Prec;
                t.Nb_Egaux = 1;
            }
        }
    }
    t.Trame_Bin += " 11 1111111";
    t.Trame_Bin_Stuf = t.Trame_Stuffee + "11" + "1111111";
    t.Text2 = std::to_string(t.Trame_Stuffee.size() + 9);
    const std::string u = "E" + t.Trame_Stuffee;
    t.TrameDR.clear();
    int k = 0;
    for (size_t i = 1; i < u.size(); ++i) {
        const bool dominant = u[i] == '0';
        if (k == 4) {
            t.TrameDR += dominant ? 's' : 'S';
            k = 0;
        } else {
            k = (u[i] == u[i - 1]) ? k + 1 : 0;
            t.TrameDR += dominant ? 'D' : 'r';
        }
    }
    t.TrameDR += "rrrrrrrrrr";
}

bool Construit_Trame(Trame& t, const std::string& dlc, bool identifiantComplet) {
    std::string bin;
    if (dlc.size() == 1 && dlc[0] >= '0' && dlc[0] <= '8') {
        bin = t.Bits_ID + " " + t.Bit_RTR + " " + t.Bits_Ctrl;
        for (int k = 0; k < dlc[0] - '0'; ++k) bin += " " + t.Bits_D[static_cast<size_t>(k)];
    }
    bin = "0 " + bin;
    t.Trame_Brute = bin;
    Supprime_Blancs(t.Trame_Brute);
    Calcul_CRC(t);
    t.Trame_Bin = bin + " " + t.Bits_CRC;
    t.Trame_Brute = t.Trame_Bin;
    Supprime_Blancs(t.Trame_Brute);
    t.Text1 = std::to_string(t.Trame_Brute.size() + 9);
    if (!identifiantComplet) return false;
    Stuffe_Trame(t);
    return true;
}

} // namespace ancien

// Everything of a `Trame` that the window, varnel-trame or a later step can read.
std::vector<std::string> Resultats(const Trame& t) {
    return {t.Trame_Bin,
            t.Trame_Brute,
            t.Text1,
            t.Bits_CRC,
            std::to_string(t.Reg_CRC),
            t.Champ_CRC,
            t.Trame_Stuffee,
            t.Trame_Bin_Stuf,
            t.Text2,
            t.TrameDR,
            t.Bit_Prec,
            std::to_string(t.Nb_Egaux)};
}

std::string Bits(uint32_t v, size_t n) {
    return std::bitset<32>(v).to_string().substr(32 - n);
}

// Random values, half of them chosen to stuff a lot: runs of zeros or of ones.
struct Hasard {
    std::mt19937 gen;
    explicit Hasard(uint32_t graine) : gen(graine) {}
    uint32_t tire(uint32_t m) { return static_cast<uint32_t>(gen() % m); }
    uint32_t valeur(int largeur) {
        const uint32_t masque = largeur < 32 ? (uint32_t{1} << largeur) - 1 : ~uint32_t{0};
        return (tire(2) ? static_cast<uint32_t>(gen()) : (tire(2) ? 0 : ~uint32_t{0})) & masque;
    }
};

// Identifier bits as the frame editor lays them out, for any identifier value.
std::string Bits_Identifiant(uint32_t id, bool etendue) {
    return etendue ? Bits(id >> 18, 11) + " 11 " + Bits(id & 0x3FFFF, 18) : Bits(id, 11);
}

// Where a stuffer written the obvious way, over text, puts its stuff bits.
std::vector<int> Positions_Stuff(const std::string& bits) {
    std::vector<int> positions;
    char prec = 'x';
    for (int i = 0, run = 0; i < static_cast<int>(bits.size()); ++i) {
        run = bits[static_cast<size_t>(i)] == prec ? run + 1 : 1;
        prec = bits[static_cast<size_t>(i)];
        if (run == 5) {
            positions.push_back(i);
            prec = prec == '0' ? '1' : '0';
            run = 1;
        }
    }
    return positions;
}

} // namespace

// Every text of the frame, for frames the editor can hold (and a few it cannot: no
// identifier, an empty or out-of-range DLC box, missing bytes, an incomplete identifier),
// built one after the other in the same objects so that leftovers count too.
TEST(Equivalence, TextesDeLaTrameContreLAncienMoteur) {
    Hasard h(151);
    Trame nouveau, reference;
    for (int n = 0; n < 5000; ++n) {
        const bool etendue = h.tire(2), requete = !h.tire(4);
        const uint32_t dlc = h.tire(10) ? h.tire(9) : h.tire(16);
        const std::string texteDlc = h.tire(20) ? std::string(1, "0123456789ABCDEF"[dlc]) : "";
        const std::string id = h.tire(20) ? Bits_Identifiant(h.valeur(29), etendue) : "";
        std::array<std::string, 8> octets;
        for (size_t k = 0; !requete && k < 8; ++k)
            if (h.tire(30)) octets[k] = Bits(h.valeur(8), 8);
        for (Trame* t : {&nouveau, &reference}) {
            t->Bits_ID = id;
            t->Bit_RTR = requete ? "1" : "0";
            t->Bits_Ctrl = texteDlc.empty() ? "00" : "00" + Bits(dlc, 4);
            t->Bits_D = octets;
        }
        const bool complet = h.tire(8) != 0;
        ASSERT_EQ(nouveau.Construit_Trame(texteDlc, complet),
                  ancien::Construit_Trame(reference, texteDlc, complet));
        ASSERT_EQ(Resultats(nouveau), Resultats(reference)) << n;
        // Reading the stuffed frame back as a receiver does finds the same stuff bits.
        if (!complet) continue;
        const std::string symboles = nouveau.TrameDR;
        nouveau.Marque_Bits();
        ASSERT_EQ(nouveau.TrameDR, symboles);
    }
}

// Stuffing and the CRC are public on their own, over a raw frame of any length: the
// bytes the table takes, the bits left over, and long runs across bytes.
TEST(Equivalence, StuffingEtCRCDeTexteQuelconque) {
    Hasard h(7);
    Trame nouveau, reference;
    for (int n = 0; n < 3000; ++n) {
        std::string brute;
        for (size_t longueur = h.tire(300); brute.size() < longueur;)
            brute += std::string(h.tire(3) ? 1 + h.tire(3) : 1 + h.tire(12), h.tire(2) ? '1' : '0');
        nouveau.Trame_Brute = reference.Trame_Brute = brute;
        nouveau.Stuffe_Trame();
        ancien::Stuffe_Trame(reference);
        nouveau.Calcul_CRC();
        ancien::Calcul_CRC(reference);
        ASSERT_EQ(Resultats(nouveau), Resultats(reference)) << brute;
    }
    // The most stuff bits a text can get, in objects that never held a longer one.
    for (size_t longueur = 8; longueur <= 400; longueur += 8) {
        Trame t, r;
        t.Trame_Brute = r.Trame_Brute = std::string(longueur, '1');
        t.Stuffe_Trame();
        ancien::Stuffe_Trame(r);
        ASSERT_EQ(Resultats(t), Resultats(r));
    }
}

// The length a log line gets equals the length of the window's stuffed frame, for every
// identifier value (even those the window refuses) and DLC 9..15, which send 8 bytes.
TEST(Equivalence, LongueurStuffeeContreLaTrame) {
    Hasard h(2026);
    Trame t;
    for (int n = 0; n < 20000; ++n) {
        TrameClassique f;
        f.etendue = h.tire(2);
        f.requete = !h.tire(4);
        f.identifiant = h.valeur(f.etendue ? 29 : 11);
        f.dlc = static_cast<uint8_t>(h.tire(8) ? h.tire(9) : h.tire(16));
        t.Efface_Donnees();
        t.Bits_ID = Bits_Identifiant(f.identifiant, f.etendue);
        t.Bit_RTR = f.requete ? "1" : "0";
        t.Bits_Ctrl = "00" + Bits(f.dlc, 4);
        const size_t octets = f.requete ? 0 : std::min<size_t>(f.dlc, 8);
        for (size_t k = 0; k < 8; ++k) {
            f.donnees[k] = static_cast<uint8_t>(h.valeur(8));
            if (k < octets) t.Bits_D[k] = Bits(f.donnees[k], 8);
        }
        t.Construit_Trame(std::to_string(std::min<int>(f.dlc, 8)), true);
        ASSERT_EQ(Longueur_Stuffee(f), static_cast<int>(t.Trame_Stuffee.size())) << t.Trame_Bin;
    }
    // Bits above the format's width are not sent.
    TrameClassique large, juste;
    large.identifiant = 0xFFFFFFFF;
    juste.identifiant = 0x7FF;
    EXPECT_EQ(Longueur_Stuffee(large), Longueur_Stuffee(juste));
    large.etendue = juste.etendue = true;
    juste.identifiant = 0x1FFFFFFF;
    EXPECT_EQ(Longueur_Stuffee(large), Longueur_Stuffee(juste));
}

// Sequences longer than a word, of every length, with runs across bytes and words:
// count and positions against the plain stuffer.
TEST(Stuff, SuitesLonguesContreLeStuffingDeTexte) {
    Hasard h(99);
    for (int n = 0; n < 3000; ++n) {
        SuiteBits<10> s;
        std::string texte;
        const int voulu = static_cast<int>(h.tire(640)) + 1;
        while (s.n < voulu) {
            const int nb = std::min(static_cast<int>(h.tire(64)) + 1, voulu - s.n);
            uint64_t v = uint64_t{h.valeur(32)} << 32 | h.valeur(32);
            if (h.tire(2)) v = h.tire(2) ? 0 : ~uint64_t{0}; // long runs
            s.Ajoute(v, nb);
            for (int b = nb - 1; b >= 0; --b) texte += ((v >> b) & 1) ? '1' : '0';
        }
        for (int i = 0; i < s.n; ++i)
            ASSERT_EQ((s.mots[static_cast<size_t>(i / 64)] >> (63 - i % 64)) & 1,
                      texte[static_cast<size_t>(i)] == '1' ? 1u : 0u);
        const std::vector<int> attendues = Positions_Stuff(texte);
        std::vector<int> positions(static_cast<size_t>(s.n / 4 + 1));
        const int nombre = Compte_Stuff(s.mots.data(), s.n, positions.data());
        positions.resize(static_cast<size_t>(nombre));
        ASSERT_EQ(positions, attendues) << texte;
    }
    for (const auto& [bits, stuff] : std::vector<std::pair<std::string, int>>{
             {"", 0}, {"0000", 0}, {"00000", 1}, {"000001111", 2}, {"0101", 0}}) {
        SuiteBits<1> s;
        for (char c : bits) s.Ajoute(c == '1', 1);
        EXPECT_EQ(Compte_Stuff(s.mots.data(), s.n), stuff) << bits;
    }
}

// The byte table against a register written bit by bit from its definition, for the
// three CAN polynomials, with bits fed in slices of every width; and CRC-17 on two CAN FD frames whose CRC is
// known (SOF .. last data bit with its stuff bits, then the stuff count and parity).
TEST(CRC, TableContreRegistreBitParBit) {
    Hasard h(5);
    for (const CodeCRC* code : {&CRC15, &CRC17, &CRC21}) {
        const int w = code->Largeur();
        for (int n = 0; n < 300; ++n) {
            uint32_t attendu = w == 15 ? 0 : uint32_t{1} << (w - 1), reg = code->Initial();
            for (int tranche = 0; tranche < 5; ++tranche) {
                const int nb = static_cast<int>(h.tire(65));
                const uint64_t v = uint64_t{h.valeur(32)} << 32 | h.valeur(32);
                reg = code->Ajoute_Bits(reg, v, nb);
                for (int b = nb - 1; b >= 0; --b) {
                    const bool suivant = (((v >> b) & 1) != 0) != (((attendu >> (w - 1)) & 1) != 0);
                    attendu = (attendu << 1) & ((uint32_t{1} << w) - 1);
                    if (suivant) attendu ^= w == 15 ? 0x4599u : w == 17 ? 0x1685Bu : 0x102899u;
                }
            }
            ASSERT_EQ(reg, attendu) << w;
        }
    }
    const std::pair<std::string, uint32_t> trames[] = {
        {"0000010000010000100000100"
         "0101",
         0x072BF},
        {"000001100001000100010000010000010000010001000001010000010011000001100000100101000001110000010111"
         "0110",
         0x0B59A},
    };
    for (const auto& [bits, crc] : trames) {
        uint32_t reg = CRC17.Initial();
        for (char c : bits) reg = CRC17.Ajoute_Bits(reg, c == '1', 1);
        EXPECT_EQ(reg, crc);
    }
}

// The length of an FD frame from its numbers equals the frame the window's FD engine sends,
// for thousands of random frames of every DLC, stuff-heavy ones and those whose data end
// on five equal bits among them; and the time of its bit times, cut where the data phase
// starts and ends, equals the time of the engine's bit times with the intermission.
TEST(Equivalence, LongueurFDContreLaTrameFD) {
    Hasard h(1507);
    int exceptions = 0;
    for (int n = 0; n < 6000; ++n) {
        TrameFDNombres f;
        f.etendue = h.tire(2);
        f.brs = h.tire(2);
        f.esi = h.tire(2);
        f.identifiant = h.valeur(f.etendue ? 29 : 11);
        f.dlc = static_cast<uint8_t>(h.tire(16));
        const bool lourd = h.tire(3) == 0;
        for (uint8_t& o : f.donnees) o = static_cast<uint8_t>(lourd ? h.valeur(8) & 0x0F : h.valeur(8));
        SaisieFD s{Bits_Identifiant(f.identifiant, f.etendue), f.brs, f.esi, f.dlc, {}};
        s.Octets.assign(f.donnees.begin(), f.donnees.begin() + Longueur_FD(f.dlc));
        const TrameFD t = Construit_Trame_FD(s);
        const LongueurFD l = Longueur_Stuffee_FD(f);
        ASSERT_EQ(l.bits, static_cast<int>(t.Bits.size()) - 10) << t.Trame_Bin;
        ASSERT_EQ(l.stuff, t.Nb_Stuff) << t.Trame_Bin;
        int avant = 0;
        while (t.Bits[static_cast<size_t>(avant)].champ != Champ::BRS ||
               Est_Stuff(t.Bits[static_cast<size_t>(avant)].genre))
            ++avant;
        ASSERT_EQ(l.avantDonnees, avant + 1) << t.Trame_Bin;
        const Quarts attendu = Duree(t.Bits, 3),
                     calcule = Duree_Phases(l.avantDonnees, f.brs ? l.bits - l.avantDonnees : 0,
                                            13 + (f.brs ? 0 : l.bits - l.avantDonnees));
        ASSERT_EQ(calcule.nominaux, attendu.nominaux);
        ASSERT_EQ(calcule.rapides, attendu.rapides);
        // The data (or DLC) ends a run of five equal bits: no stuff bit before the fixed one.
        size_t fixe = 0, egaux = 1;
        while (t.Bits[fixe].genre != Genre::StuffFixe) ++fixe;
        while (egaux < fixe && t.Bits[fixe - 1 - egaux].emetteur == t.Bits[fixe - 1].emetteur) ++egaux;
        exceptions += egaux >= 5;
    }
    EXPECT_GT(exceptions, 100);
}
