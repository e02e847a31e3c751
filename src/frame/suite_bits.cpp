// The stuffing rule as a state machine, one bit at a time and a byte at a time.
#include "frame/suite_bits.h"

namespace varnel {

namespace {

struct Pas {
    unsigned etat;
    bool stuff;
};

// One bit through the rule. The stuff bit, opposite to the run it ends, starts a run
// of one; a bit that differs from the last starts a run of one too.
constexpr Pas Avance(unsigned etat, unsigned bit) {
    if (etat == 8 || bit != ((etat >> 2) & 1)) return {bit << 2, false};
    if ((etat & 3) < 3) return {etat + 1, false};
    return {(bit ^ 1) << 2, true};
}

// For each state (9) and byte: the next state in bits 0..3, the number of stuff bits in
// bits 4..5 and where they go (as `Stuffing::Octet` returns it) in bits 8..15.
struct TableStuffing {
    std::array<uint16_t, 9 * 256> entrees{};
    constexpr TableStuffing() {
        for (unsigned etat = 0; etat < 9; ++etat)
            for (unsigned octet = 0; octet < 256; ++octet) {
                unsigned e = etat, nombre = 0, ou = 0;
                for (int j = 0; j < 8; ++j) {
                    const Pas p = Avance(e, (octet >> (7 - j)) & 1);
                    e = p.etat;
                    if (p.stuff) {
                        ++nombre;
                        ou |= 1u << (7 - j);
                    }
                }
                entrees[etat * 256 + octet] = static_cast<uint16_t>(e | nombre << 4 | ou << 8);
            }
    }
};

constexpr TableStuffing Table{};

} // namespace

bool Stuffing::Bit(bool bit) {
    const Pas p = Avance(etat_, bit ? 1 : 0);
    etat_ = p.etat;
    nombre_ += p.stuff ? 1 : 0;
    return p.stuff;
}

unsigned Stuffing::Octet(uint8_t octet) {
    const unsigned e = Table.entrees[etat_ * 256 + octet];
    etat_ = e & 15;
    nombre_ += static_cast<int>((e >> 4) & 3);
    return e >> 8;
}

int Compte_Stuff(const uint64_t* mots, int n, int* positions) {
    // Whole bytes through the table, then the last few bits as one byte padded with
    // zeros: a stuff bit depends only on the bits before it, so those the padding
    // brings in are simply left out.
    auto octet = [mots](int k) { return static_cast<uint8_t>(mots[k >> 6] >> (56 - (k & 63))); };
    auto note = [positions](unsigned ou, int k, int nombre) {
        for (int j; ou != 0; ou &= ~(0x80u >> j)) {
            j = __builtin_clz(ou) - 24; // bit j of the byte, the first with a stuff bit after it
            positions[nombre++] = k + j;
        }
    };
    Stuffing s;
    const int entiers = n & ~7;
    for (int k = 0; k < entiers; k += 8) {
        const int avant = s.Nombre();
        const unsigned ou = s.Octet(octet(k));
        if (positions) note(ou, k, avant);
    }
    int nombre = s.Nombre();
    if (entiers < n) {
        const unsigned ou = s.Octet(octet(entiers)) & (0xFF00u >> (n - entiers)) & 0xFFu;
        if (positions) note(ou, entiers, nombre);
        nombre += (ou != 0 ? 1 : 0) + ((ou & (ou - 1)) != 0 ? 1 : 0); // at most two in a byte
    }
    return nombre;
}

} // namespace varnel
