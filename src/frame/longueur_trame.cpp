// Frame length on machine words: the classic frame's fields and CRC packed into bits.
#include "frame/longueur_trame.h"

#include "frame/crc.h"
#include "frame/suite_bits.h"

namespace varnel {

int Longueur_Stuffee(const TrameClassique& t) {
    // SOF, identifier, RTR, the two reserved bits and the DLC, all in one number. The
    // extended format puts SRR and IDE (both recessive) after the first 11 identifier
    // bits; the standard format's IDE is the first reserved bit here, dominant.
    const uint64_t rtr = t.requete ? 1 : 0, dlc = t.dlc & 0xFu;
    uint64_t entete;
    int nbEntete;
    if (t.etendue) {
        const uint64_t id = t.identifiant & 0x1FFFFFFFu;
        entete = (id >> 18) << 27 | uint64_t{3} << 25 | (id & 0x3FFFFu) << 7 | rtr << 6 | dlc;
        nbEntete = 39;
    } else {
        entete = uint64_t{t.identifiant & 0x7FFu} << 7 | rtr << 6 | dlc;
        nbEntete = 19;
    }
    SuiteBits<2> s; // 39 + 64 + 15 = 118 bits at most
    s.Ajoute(entete, nbEntete);
    // The register starts at zero and stays there through leading zeros, so the header
    // goes in as whole bytes, with the few zeros above it.
    uint32_t crc = CRC15.Ajoute_Bits(0, entete, (nbEntete + 7) / 8 * 8);
    const int octets = t.requete ? 0 : (dlc > 8 ? 8 : static_cast<int>(dlc));
    if (octets > 0) {
        uint64_t donnees = 0;
        for (int k = 0; k < octets; ++k) {
            const uint8_t o = t.donnees[static_cast<size_t>(k)];
            donnees = donnees << 8 | o;
            crc = CRC15.Ajoute_Octet(crc, o);
        }
        s.Ajoute(donnees, 8 * octets);
    }
    s.Ajoute(crc, 15);
    return s.n + Compte_Stuff(s.mots.data(), s.n);
}

} // namespace varnel
