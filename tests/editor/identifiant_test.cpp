// Typing whole frames, the identifier rules, and switching format and frame type.
#include "editeur.h"

namespace varnel {
namespace {

// Typed fields, then raw frame, count, CRC, stuffed frame, count and symbols, computed by hand.
TEST_F(Editeur, TypedFramesShowTheirRawAndStuffedBits) {
    const QString trames[] = {
        "123 1 AB|0 00100100011 0 000001 10101011 110011001101111 11 1111111|51|666F|00010010001100000101"
        "10101011110011001101111111111111|52|DDDrDDrDDDrrDDDDDSDrrDrDrDrrrrDDrrDDrrDrrrrrrrrrrrrrr",
        "12345678 8 01 23 45 67 89 ab cd ef|0 10010001101 11 000101011001111000 0 001000 00000001 0010001"
        "1 01000101 01100111 10001001 10101011 11001101 11101111 110101001011001 11 1111111|127|6A59|0100"
        "100011011100010101100111100000101000001000001100100011010001010110011110001001101010111100110111"
        "1011111010101001011001111111111|131|DrDDrDDDrrDrrrDDDrDrDrrDDrrrrDDDDDSDrDDDDDSDDDDDSrDDrDDDrrDr"
        "DDDrDrDrrDDrrrrDDDrDDrrDrDrDrrrrDDrrDrrrrDrrrrrsrDrDrDDrDrrDDrrrrrrrrrrr"};
    for (const QString& t : trames) {
        const QStringList champs = t.section('|', 0, 0).split(' ');
        Neuve();
        Saisit(champs[0].size() == 8, false, champs[0], champs[1], champs.mid(2));
        EXPECT_EQ(Textes().join('|'), t.section('|', 1));
    }
}

TEST_F(Editeur, IdentifierRulesRefuseOnTheLastDigitAndEmptyTheFrame) {
    const QString Sept =
        QStringLiteral("Les 7 bits de poids fort de l'identifiant ne doivent pas être tous récessifs!\r\n"
                       "Au moins 1 doit être un bit dominant. | ");
    const QString A = "Valeur non conforme à la norme CAN2.0A", B = A.chopped(1) + "B";
    const QString Long = QStringLiteral("la longueur du champ identifiant est de ");
    const struct {
        bool etendue;
        QString id, message, text1;
    } regles[] = {
        {false, "7F0", Sept + A, "0"},
        {false, "7EF", "", "43"},
        {false, "800", "En mode standard, " + Long + "11 bits! | " + A, ""},
        {true, "1FBFFFFF", "", "63"},
        {true, "1FC00000", Sept + B, ""},
        {true, "20000000", "En mode étendu, " + Long + "29 bits! | " + B, ""},
    };
    for (const auto& r : regles) {
        SCOPED_TRACE(r.id.toStdString());
        Neuve();
        Saisit(r.etendue, false, r.id.chopped(1), "0");
        EXPECT_EQ(Messages(), Msgs{}) << "refused before the last digit";
        Tape(f->Identifiant, r.id.right(1));
        EXPECT_EQ(f->Text1->text(), r.text1);
        EXPECT_EQ(Messages(), r.message.isEmpty() ? Msgs{} : Msgs{r.message});
        EXPECT_EQ(f->Identifiant->text(), r.message.isEmpty() ? r.id : "");
        if (r.message.isEmpty()) continue;
        Vides();
        Dlc("1");
        EXPECT_EQ(f->Trame_Bin->text(), "") << "no identifier left behind";
    }
    Neuve(); // a complete identifier shortened leaves no stale count
    Saisit(false, false, "123", "0");
    Retour(f->Identifiant);
    Vides();
    EXPECT_EQ(f->Text1->text(), "");
}

TEST_F(Editeur, SwitchingFormatAndFrameTypeWithDataPresent) {
    Saisit(false, false, "123", "2", {"01", "02"});
    Clique(f->Check2); // remote: the DLC stays, the bytes go
    Attend_Boites(0, 3800);
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 1 000010   101010100110110 11 1111111");
    Clique(f->Check2); // data again: two empty boxes
    Attend_Boites(2, 4660);
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000010   010011011110011 11 1111111");

    Tape(f->Data[0], "01");
    Clique(f->Check1); // extended: a fresh data frame, DLC 0
    Attend_Boites(0, 3800);
    Vides();
    Clique(f->Check2);
    Clique(f->Check1); // standard again from a remote frame: back to data
    EXPECT_FALSE(f->Check2->isChecked());
}

} // namespace
} // namespace varnel
