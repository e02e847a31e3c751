#pragma once
// The frame engine: the bit-level model of the CAN frame being edited.
//
// Plain C++17, no Qt. One `Trame` object holds the whole state of one frame; the
// window, the command-line tool and every test create their own. The member names
// are the program's own vocabulary (French), kept as they are so that the code
// reads like the rest of the program.
//
// Bits are characters: "0" dominant, "1" recessive, most significant bit first.

#include <array>
#include <cstdint>
#include <string>

namespace varnel {

// ---- Conversions between hexadecimal text, binary text and numbers ----------

// "7FF" -> "011111111111". Case-sensitive: anything but 0-9 and A-F contributes nothing.
std::string Hexa_Bin(const std::string& hexa);
// Value of a hexadecimal text (upper or lower case); empty text gives 0.
int32_t Val_Hexa(const std::string& hexa);
// Value of a text of upper-case hexadecimal digits, as a double ("4599" -> 17817).
double Hexa_Num(const std::string& hexa);
// Removes every blank, in place.
void Supprime_Blancs(std::string& texte);
// Value of a binary text as decimal text ("000000000000101" -> "5").
std::string Bin_Num(const std::string& bin);
// Binary text without leading zeros (5 -> "101"); 0 gives the empty text.
std::string Num_Bin(double x);

// ---- Identifier rules (CAN 2.0A / 2.0B) -----------------------------------

struct RegleIdentifiant {
    enum class Etat {
        Vide,      // no digit: there is no identifier
        Incomplet, // some digits, fewer than the format needs: nothing changes yet
        Valide,    // complete and allowed: `Bits_ID` holds its bits
        Refuse,    // complete but against the CAN rules: `Message` / `Titre` say why
    };
    enum class Refus {
        Aucun,
        PremierChiffre, // first digit too high (identifier wider than 11 / 29 bits)
        SeptRecessifs,  // the seven most significant bits all recessive
    };
    Etat etat = Etat::Vide;
    Refus refus = Refus::Aucun;
    std::string Bits_ID; // standard: 11 chars; extended: 11 + " 11 " + 18 = 33 chars
    std::string Message; // exact text of the message box (lines separated by "\r\n")
    std::string Titre;   // exact title of the message box
};

// Checks an identifier typed in upper-case hexadecimal: 3 digits in the standard
// format, 8 in the extended one. Shared by the frame editor, the node entry of the
// arbitration and the command-line tool.
RegleIdentifiant Regle_Identifiant(const std::string& texte, bool etendue);

// ---- Input completeness ------------------------------------------------------

// True when every field the frame needs is typed in full: the identifier digits,
// the DLC digit and two digits for each of the first DLC data bytes (none for a
// remote frame). Only lengths are counted; the contents were checked while typed.
bool Saisie_Est_Complete(const std::string& identifiant, const std::string& dlc,
                         const std::array<std::string, 8>& donnees, bool etendue, bool requete);

// ---- Frame state -----------------------------------------------------------------

class Trame {
public:
    Trame();

    // Fields (set by the editor, read by the assembly).
    std::string Bit_RTR = "0";         // "0" data frame, "1" remote frame
    std::string Bits_ID;               // empty = no valid identifier yet
    std::string Bits_Ctrl = "000000";  // r1 r0 DLC3..DLC0; "00" alone when the DLC box is empty
    std::array<std::string, 8> Bits_D; // Bits_D0 .. Bits_D7: 8 chars each, or empty

    // Assembly and stuffing.
    std::string Trame_Brute;   // unstuffed bits without blanks
    std::string Bits_CRC;      // 15 chars, CRC.14 first
    int16_t Reg_CRC = 0;       // the CRC register as a number
    std::string Trame_Stuffee; // stuffed bits SOF .. last CRC bit (and a final stuff bit)
    std::string Bit_Prec;      // previous bit while stuffing
    int16_t Nb_Egaux = 0;      // length of the current run of equal bits
    int16_t Val_DLC = 0;       // number of data boxes shown

    // Texts of the window's frame boxes, as the last computation left them.
    std::string Trame_Bin;      // raw frame in blank-separated groups
    std::string Text1;          // raw bit count + 9
    std::string Champ_CRC;      // CRC in hexadecimal, no leading zeros
    std::string Trame_Bin_Stuf; // stuffed frame + "11" + "1111111"
    std::string Text2;          // stuffed bit count + 9
    std::string TrameDR;        // one letter per transmitted bit: D r s S, then ten "r"

    // Key filter working variables.
    int16_t Touche = 0;
    int16_t Long_Max = 3;
    std::string Texte_Saisi;
    std::string Car_Saisi;

    // Bit-label tables, filled by the constructor (and again by the Init_ calls).
    std::array<std::string, 111> Lib_Std;
    std::array<std::string, 131> Lib_Ext;
    void Init_Lib_Std();
    void Init_Lib_Ext();

    // Key filter: call with `Touche` = key code, `Texte_Saisi` = the box text before
    // the key, `Long_Max` = digit count. Leaves in `Touche` the code to apply (0
    // swallows the key). Returns true when the caller must show the message
    // "La valeur saisie n'est pas une valeur hexadécimale!" / "Erreur de saisie".
    bool Filtre_Hexa();

    // CRC-15 of `Trame_Brute`: sets `Reg_CRC`, `Bits_CRC` and `Champ_CRC`.
    void Calcul_CRC();

    // Rebuilds `Trame_Bin`, `Trame_Brute`, `Text1`, the CRC and, when
    // `identifiantComplet`, the stuffed frame (`Stuffe_Trame`). `dlc` is the text
    // of the DLC box. Returns true when the stuffing ran.
    bool Construit_Trame(const std::string& dlc, bool identifiantComplet);

    // Inserts the stuff bits, completes `Trame_Bin`, sets `Trame_Stuffee`,
    // `Trame_Bin_Stuf`, `Text2` and `TrameDR`.
    void Stuffe_Trame();
    // Rewrites `TrameDR` from `Trame_Stuffee` as a receiver reads it: the bit after five
    // equal bits is a stuff bit. Over a frame `Stuffe_Trame` made, the same symbols.
    void Marque_Bits();

    // Empties the eight data-byte strings (a remote frame carries no data).
    void Efface_Donnees();
};

// Shown by the caller when `Filtre_Hexa` refuses a key.
inline constexpr const char* MessageNonHexa = "La valeur saisie n'est pas une valeur hexadécimale!";
inline constexpr const char* TitreErreurSaisie = "Erreur de saisie";

} // namespace varnel
