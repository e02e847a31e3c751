// Frame length on machine words: the classic frame's fields and CRC packed into bits.
#include "frame/longueur_trame.h"

#include "frame/crc.h"
#include "frame/suite_bits.h"
#include "frame/trame_fd.h"

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

LongueurFD Longueur_Stuffee_FD(const TrameFDNombres& t) {
    // SOF, identifier, then RRS, FDF, res, BRS, ESI and the DLC; the extended format puts
    // SRR and IDE (recessive) after the first 11 identifier bits, the base format its
    // dominant IDE after RRS.
    const uint64_t commande = uint64_t{1} << 7 | uint64_t{t.brs} << 5 | uint64_t{t.esi} << 4 | (t.dlc & 0xFu);
    uint64_t entete;
    int nbEntete, brs; // header bits, and the index of BRS among them
    if (t.etendue) {
        const uint64_t id = t.identifiant & 0x1FFFFFFFu;
        entete =
            (id >> 18) << 29 | uint64_t{3} << 27 | (id & 0x3FFFFu) << 9 | commande; // RRS: the zero above FDF
        nbEntete = 41;
        brs = 35;
    } else {
        entete = uint64_t{t.identifiant & 0x7FFu} << 10 | commande; // RRS and IDE: the two zeros above FDF
        nbEntete = 22;
        brs = 16;
    }
    SuiteBits<9> s; // 41 + 8 * 64 = 553 bits at most
    s.Ajoute(entete, nbEntete);
    const int octets = Longueur_FD(t.dlc & 0xF);
    for (int k = 0; k < octets; k += 8) {
        uint64_t mot = 0;
        const int n = octets - k < 8 ? octets - k : 8;
        for (int j = 0; j < n; ++j) mot = mot << 8 | t.donnees[static_cast<size_t>(k + j)];
        s.Ajoute(mot, 8 * n);
    }
    int positions[553 / 4 + 1];
    int stuff = Compte_Stuff(s.mots.data(), s.n, positions);
    if (stuff > 0 && positions[stuff - 1] == s.n - 1) --stuff; // none after the last bit
    int avant = 0;                                             // stuff bits sent before BRS
    while (avant < stuff && positions[avant] < brs) ++avant;
    LongueurFD r;
    r.stuff = stuff;
    r.avantDonnees = brs + 1 + avant;
    r.bits = s.n + stuff + (octets > 16 ? 4 + 21 + 7 : 4 + 17 + 6);
    return r;
}

} // namespace varnel
