// Conversions between hexadecimal text, binary text and numbers, and the hexadecimal
// key filter shared by every entry box.
#include <cmath>
#include <cstdio>

#include "frame/trame.h"

namespace varnel {

namespace {

const char* const ChiffresHexa = "0123456789ABCDEF";

// Position of an upper-case hexadecimal digit, -1 for anything else.
int Rang_Hexa(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string Hexa_Bin(const std::string& hexa) {
    std::string bin;
    bin.reserve(hexa.size() * 4);
    for (char c : hexa) {
        const int v = Rang_Hexa(c);
        if (v < 0) continue;
        for (int b = 3; b >= 0; --b) bin += ((v >> b) & 1) ? '1' : '0';
    }
    return bin;
}

int32_t Val_Hexa(const std::string& hexa) {
    // Reads like a hexadecimal literal: stops at the first non-digit, keeps the low
    // 32 bits (so "FFFFFFFF" is -1, as a 32-bit literal would be).
    uint32_t v = 0;
    for (char c : hexa) {
        const char maj = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        const int r = Rang_Hexa(maj);
        if (r < 0) break;
        v = (v << 4) | static_cast<uint32_t>(r);
    }
    return static_cast<int32_t>(v);
}

double Hexa_Num(const std::string& hexa) {
    double somme = 0;
    double poids = 1;
    for (auto it = hexa.rbegin(); it != hexa.rend(); ++it) {
        somme += Rang_Hexa(*it) * poids;
        poids *= 16;
    }
    return somme;
}

void Supprime_Blancs(std::string& texte) {
    std::string sans;
    sans.reserve(texte.size());
    for (char c : texte)
        if (c != ' ') sans += c;
    texte = sans;
}

std::string Bin_Num(const std::string& bin) {
    double somme = 0;
    double poids = 1;
    for (auto it = bin.rbegin(); it != bin.rend(); ++it) {
        if (*it == '1') somme += poids;
        poids *= 2;
    }
    char tampon[400];
    std::snprintf(tampon, sizeof tampon, "%.0f", somme);
    return tampon;
}

std::string Num_Bin(double x) {
    // Only the integer part counts; values below 1 (and NaN) have no bits. The bit
    // length comes from the integer itself, never from a rounded logarithm.
    if (!(x >= 1)) return {};
    const double plafond = 18446744073709551615.0;
    const uint64_t n = x >= plafond ? UINT64_MAX : static_cast<uint64_t>(x);
    std::string bin;
    for (uint64_t v = n; v != 0; v >>= 1) bin.insert(bin.begin(), (v & 1) ? '1' : '0');
    return bin;
}

bool Trame::Filtre_Hexa() {
    // Upper-case the key (ASCII letters only; other codes stay as they are).
    if (Touche >= 'a' && Touche <= 'z') Touche = static_cast<int16_t>(Touche - 'a' + 'A');
    Car_Saisi = (Touche > 0 && Touche < 128) ? std::string(1, static_cast<char>(Touche)) : std::string();
    const size_t n = Texte_Saisi.size();
    if (n > 1 && Touche == 8) return false;
    if (n > 1 && n == static_cast<size_t>(Long_Max)) {
        Touche = 0; // field full: swallow the key silently
        return false;
    }
    const bool chiffre = (Touche >= '0' && Touche <= '9') || (Touche >= 'A' && Touche <= 'F');
    if (chiffre || Touche == 8 || Touche == 9 || Touche == 16) return false;
    Touche = 0;
    return true;
}

} // namespace varnel
