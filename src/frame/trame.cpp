// The frame state: bit labels, raw frame assembly, CRC-15, bit stuffing and the
// bit annotation.
#include <string>

#include "frame/trame.h"

namespace varnel {

namespace {

// Fills the labels shared by both layouts from the position of the RTR bit.
template <size_t N> void Libelles_Apres_RTR(std::array<std::string, N>& lib, size_t rtr) {
    lib[rtr] = "RTR";
    lib[rtr + 1] = "r1";
    lib[rtr + 2] = "r0";
    for (size_t i = 0; i < 4; ++i) lib[rtr + 3 + i] = "DLC" + std::to_string(3 - i);
    const size_t donnees = rtr + 7;
    for (size_t k = 0; k < 8; ++k) {
        lib[donnees + 8 * k] = "d" + std::to_string(k) + ".7";
        lib[donnees + 8 * k + 7] = "d" + std::to_string(k) + ".0";
    }
    const size_t crc = donnees + 64;
    lib[crc] = "CRC.14";
    lib[crc + 14] = "CRC.0";
    lib[crc + 15] = "CRCD";
    lib[crc + 16] = "ACK";
    lib[crc + 17] = "ACKD";
    lib[crc + 18] = "EOF.6";
    lib[crc + 24] = "EOF.0";
}

// Polynomial of the CAN CRC-15, x^15 left out.
const uint16_t PolynomeCRC = 0x4599;

} // namespace

Trame::Trame() {
    Init_Lib_Std();
    Init_Lib_Ext();
}

void Trame::Init_Lib_Std() {
    Lib_Std.fill(std::string());
    Lib_Std[0] = "SOF";
    for (size_t i = 0; i < 11; ++i) Lib_Std[1 + i] = "ID" + std::to_string(10 - i);
    Libelles_Apres_RTR(Lib_Std, 12);
}

void Trame::Init_Lib_Ext() {
    Lib_Ext.fill(std::string());
    Lib_Ext[0] = "SOF";
    for (size_t i = 0; i < 11; ++i) Lib_Ext[1 + i] = "ID" + std::to_string(28 - i);
    Lib_Ext[12] = "SRR";
    Lib_Ext[13] = "IDE";
    for (size_t i = 0; i < 18; ++i) Lib_Ext[14 + i] = "ID" + std::to_string(17 - i);
    Libelles_Apres_RTR(Lib_Ext, 32);
}

void Trame::Calcul_CRC() {
    uint16_t reg = 0;
    for (char c : Trame_Brute) {
        const bool suivant = (c == '1') != (((reg >> 14) & 1) != 0);
        reg = static_cast<uint16_t>((reg << 1) & 0x7FFF);
        if (suivant) reg ^= PolynomeCRC;
    }
    Reg_CRC = static_cast<int16_t>(reg);
    Bits_CRC.clear();
    for (int b = 14; b >= 0; --b) Bits_CRC += ((reg >> b) & 1) ? '1' : '0';
    const char* const chiffres = "0123456789ABCDEF";
    Champ_CRC.clear();
    do {
        Champ_CRC.insert(Champ_CRC.begin(), chiffres[reg & 0xF]);
        reg = static_cast<uint16_t>(reg >> 4);
    } while (reg != 0);
}

bool Trame::Construit_Trame(const std::string& dlc, bool identifiantComplet) {
    std::string bin;
    if (dlc.size() == 1 && dlc[0] >= '0' && dlc[0] <= '8') {
        bin = Bits_ID + " " + Bit_RTR + " " + Bits_Ctrl;
        const int d = dlc[0] - '0';
        for (int k = 0; k < d; ++k) bin += " " + Bits_D[static_cast<size_t>(k)];
    }
    bin = "0 " + bin;

    Trame_Brute = bin;
    Supprime_Blancs(Trame_Brute);
    Text1 = std::to_string(Trame_Brute.size());
    Calcul_CRC(); // over SOF .. last data bit

    Trame_Bin = bin + " " + Bits_CRC;
    Trame_Brute = Trame_Bin;
    Supprime_Blancs(Trame_Brute);
    Text1 = std::to_string(Trame_Brute.size() + 9); // + CRC delimiter, ACK, EOF

    if (!identifiantComplet) return false;
    Stuffe_Trame();
    return true;
}

void Trame::Stuffe_Trame() {
    Trame_Stuffee.clear();
    if (!Trame_Brute.empty()) {
        Bit_Prec = Trame_Brute.substr(0, 1);
        Nb_Egaux = 1;
        Trame_Stuffee = Bit_Prec;
        for (size_t i = 1; i < Trame_Brute.size(); ++i) {
            const std::string c(1, Trame_Brute[i]);
            if (c != Bit_Prec) {
                Nb_Egaux = 1;
                Bit_Prec = c;
                Trame_Stuffee += c;
                continue;
            }
            Trame_Stuffee += c;
            ++Nb_Egaux;
            if (Nb_Egaux == 5) {
                // The stuff bit, even after the last CRC bit, starts the next run.
                Bit_Prec = (c == "1") ? "0" : "1";
                Trame_Stuffee += Bit_Prec;
                Nb_Egaux = 1;
            }
        }
    }
    Trame_Bin += " 11 1111111";
    Trame_Bin_Stuf = Trame_Stuffee + "11" + "1111111";
    Text2 = std::to_string(Trame_Stuffee.size() + 9);
    Marque_Bits();
}

void Trame::Marque_Bits() {
    // A bit that follows five equal bits is a stuff bit; the start bit is compared
    // with a marker that equals nothing, so it is always "D".
    const std::string u = "E" + Trame_Stuffee;
    TrameDR.clear();
    int k = 0; // equal neighbours seen so far in the current run
    for (size_t i = 1; i < u.size(); ++i) {
        const bool dominant = u[i] == '0';
        if (k == 4) {
            TrameDR += dominant ? 's' : 'S';
            k = 0;
        } else {
            k = (u[i] == u[i - 1]) ? k + 1 : 0;
            TrameDR += dominant ? 'D' : 'r';
        }
    }
    TrameDR += "rrrrrrrrrr";
}

void Trame::Efface_Donnees() {
    for (auto& octet : Bits_D) octet.clear();
}

} // namespace varnel
