// Typing whole frames, the identifier rules, and switching format and frame type.
#include "editeur.h"

namespace varnel {
namespace {

const QColor Noir = couleurQt(0);
const QColor Rouge = couleurQt(255);
const QColor Vert = couleurQt(0x008000);

QColor Couleur(QWidget* w, QPalette::ColorRole role) {
    w->ensurePolished();
    return w->palette().color(role);
}

struct Trame_Attendue {
    const char* nom;
    bool etendue;
    bool requete;
    QString id;
    QString dlc;
    QStringList donnees;
    QString trameBin, text1, crc, stuffee, text2, dr;
    int crcTwips;
};

// Independently computed frames, the first two being the worked examples everyone
// checks by hand (identifier 123 with one byte AB, and with no data).
const Trame_Attendue trames[] = {
    {"std 123 AB",
     false,
     false,
     "123",
     "1",
     {"AB"},
     "0 00100100011 0 000001 10101011 110011001101111 11 1111111",
     "51",
     "666F",
     "0001001000110000010110101011110011001101111111111111",
     "52",
     "DDDrDDrDDDrrDDDDDSDrrDrDrDrrrrDDrrDDrrDrrrrrrrrrrrrrr",
     4300},
    {"std 123 DLC 0",
     false,
     false,
     "123",
     "0",
     {},
     "0 00100100011 0 000000 110100001011000 11 1111111",
     "43",
     "6858",
     "00010010001100000100110100001011000111111111",
     "44",
     "DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr",
     3800},
    {"std 000, six stuff bits",
     false,
     false,
     "000",
     "0",
     {},
     "0 00000000000 0 000000 000000000000000 11 1111111",
     "43",
     "0",
     "0000010000010000010000010000010000010000111111111",
     "49",
     "DDDDDSDDDDDSDDDDDSDDDDDSDDDDDSDDDDDSDDDDrrrrrrrrrr",
     3800},
    {"std 7EF, three bytes",
     false,
     false,
     "7EF",
     "3",
     {"FF", "00", "A5"},
     "0 11111101111 0 000011 11111111 00000000 10100101 011000110101000 11 1111111",
     "67",
     "31A8",
     "011111010111100000111110111110100000100010100101011000110101000111111111",
     "72",
     "DrrrrrsrDrrrrDDDDDSrrrrsrrrrrsrDDDDDSDDDrDrDDrDrDrrDDDrrDrDrDDDrrrrrrrrrr",
     5000},
    {"std remote DLC 2",
     false,
     true,
     "123",
     "2",
     {},
     "0 00100100011 1 000010   101010100110110 11 1111111",
     "43",
     "5536",
     "0001001000111000010101010100110110111111111",
     "43",
     "DDDrDDrDDDrrrDDDDrDrDrDrDrDDrrDrrDrrrrrrrrrr",
     3800},
    {"ext 12345678, eight bytes",
     true,
     false,
     "12345678",
     "8",
     {"01", "23", "45", "67", "89", "ab", "cd", "ef"},
     "0 10010001101 11 000101011001111000 0 001000 00000001 00100011 01000101 01100111 "
     "10001001 10101011 11001101 11101111 110101001011001 11 1111111",
     "127",
     "6A59",
     "010010001101110001010110011110000010100000100000110010001101000101011001111000100110101"
     "01111001101111011111010101001011001111111111",
     "131",
     "DrDDrDDDrrDrrrDDDrDrDrrDDrrrrDDDDDSDrDDDDDSDDDDDSrDDrDDDrrDrDDDrDrDrrDDrrrrDDDrDDrrDrDrD"
     "rrrrDDrrDrrrrDrrrrrsrDrDrDDrDrrDDrrrrrrrrrrr",
     6800},
    {"ext 1FBFFFFF",
     true,
     false,
     "1FBFFFFF",
     "0",
     {},
     "0 11111101111 11 111111111111111111 0 000000 010111101111100 11 1111111",
     "63",
     "2F7C",
     "0111110101111101111101111101111101111000001000101111011111000111111111",
     "70",
     "DrrrrrsrDrrrrrsrrrrrsrrrrrsrrrrrsrrrrDDDDDSDDDrDrrrrDrrrrrsDDrrrrrrrrrr",
     3800},
};

TEST_F(Editeur, TypedFramesShowTheirRawAndStuffedBits) {
    for (const auto& t : trames) {
        SCOPED_TRACE(t.nom);
        f = std::make_unique<Form1>(pf);
        SetUp();
        Saisit(t.etendue, t.requete, t.id, t.dlc, t.donnees);
        EXPECT_EQ(f->Trame_Bin->text(), t.trameBin);
        EXPECT_EQ(f->Text1->text(), t.text1);
        EXPECT_EQ(f->Champ_CRC->text(), t.crc);
        EXPECT_EQ(f->Trame_Bin_Stuf->text(), t.stuffee);
        EXPECT_EQ(f->Text2->text(), t.text2);
        EXPECT_EQ(f->TrameDR->text(), t.dr);
        EXPECT_EQ(Boites_Visibles(), t.requete ? 0 : t.donnees.size());
        Attend_CRC_A(t.crcTwips);
        EXPECT_EQ(Messages(), std::vector<QString>{});
        // The long frames are shown from their start, not scrolled to their end.
        EXPECT_EQ(f->Trame_Bin->cursorPosition(), 0);
        EXPECT_EQ(f->Trame_Bin_Stuf->cursorPosition(), 0);
    }
}

struct Regle {
    bool etendue;
    QString id;
    QString message; // empty: accepted
    QString text1;   // what the bit count shows afterwards
};

TEST_F(Editeur, IdentifierRulesRefuseOnTheLastDigitAndEmptyTheFrame) {
    const QString Standard11 =
        QStringLiteral("En mode standard, la longueur du champ identifiant est de 11 bits! | ") +
        TitreA;
    const QString Etendu29 =
        QStringLiteral("En mode étendu, la longueur du champ identifiant est de 29 bits! | ") +
        TitreB;
    const Regle regles[] = {
        {false, "7F0", SeptRecessifs + " | " + TitreA, "0"},
        {false, "7FF", SeptRecessifs + " | " + TitreA, "0"},
        {false, "7EF", "", "43"},
        {false, "800", Standard11, ""},
        {false, "F12", Standard11, ""},
        {true, "1FBFFFFF", "", "63"},
        {true, "1FC00000", SeptRecessifs + " | " + TitreB, ""},
        {true, "20000000", Etendu29, ""},
        {true, "FFFFFFFF", Etendu29, ""},
    };
    for (const auto& r : regles) {
        SCOPED_TRACE(r.id.toStdString());
        f = std::make_unique<Form1>(pf);
        SetUp();
        if (r.etendue) Clique(f->Check1);
        Tape(f->Identifiant, r.id.chopped(1));
        EXPECT_EQ(Messages(), std::vector<QString>{}) << "refused before the last digit";
        Tape(f->Identifiant, r.id.right(1));
        EXPECT_EQ(f->Text1->text(), r.text1);
        if (r.message.isEmpty()) {
            EXPECT_EQ(Messages(), std::vector<QString>{});
            EXPECT_EQ(f->Identifiant->text(), r.id);
            EXPECT_FALSE(f->TrameDR->text().isEmpty());
            continue;
        }
        EXPECT_EQ(Messages(), std::vector<QString>{r.message});
        EXPECT_EQ(f->Identifiant->text(), "");
        EXPECT_EQ(f->T.Bits_ID, "");
        for (QLineEdit* vide :
             {f->Trame_Bin, f->Trame_Bin_Stuf, f->Text2, f->Champ_CRC, f->TrameDR})
            EXPECT_EQ(vide->text(), "") << vide->objectName().toStdString();
        // Nothing left behind: a later DLC change builds no frame.
        Dlc("1");
        EXPECT_EQ(f->Trame_Bin->text(), "");
    }
}

TEST_F(Editeur, ShortIdentifierKeepsTheLastCompleteOneForRebuilds) {
    Saisit(false, false, "123", "1", {"AB"});
    Retour(f->Identifiant);
    // The stuffed frame and its count go together; the raw frame waits for a rebuild.
    EXPECT_EQ(f->Trame_Bin->text(), "");
    EXPECT_EQ(f->Trame_Bin_Stuf->text(), "");
    EXPECT_EQ(f->Text2->text(), "");
    EXPECT_EQ(f->TrameDR->text(), "");
    Retour(f->Data[0]);
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000001 10101011 110011001101111");
    EXPECT_EQ(f->Text1->text(), "51");
    EXPECT_EQ(f->Trame_Bin_Stuf->text(), "") << "no stuffing without a complete identifier";

    Retour(f->Identifiant, 2);
    EXPECT_EQ(f->T.Bits_ID, "");
    EXPECT_EQ(f->Text1->text(), "0");
    Dlc("2");
    EXPECT_EQ(f->Trame_Bin->text(), "");
}

TEST_F(Editeur, ExtendedIdentifierErasedLeavesNoIdentifier) {
    Saisit(true, false, "12345678", "0");
    EXPECT_EQ(f->T.Bits_ID, "10010001101 11 000101011001111000");
    Retour(f->Identifiant, 8);
    EXPECT_EQ(f->T.Bits_ID, "");
    EXPECT_EQ(f->Text1->text(), "0");
    Dlc("1");
    EXPECT_EQ(f->Trame_Bin->text(), "");
}

TEST_F(Editeur, SwitchingFormatStartsAFreshDataFrame) {
    Saisit(false, false, "123", "2", {"01", "02"});
    Clique(f->Check1);
    EXPECT_TRUE(f->Check1->isChecked());
    EXPECT_EQ(f->Check1->text(), "Etendue");
    EXPECT_EQ(Couleur(f->Check1, QPalette::WindowText), Vert);
    EXPECT_EQ(Couleur(f->Identifiant, QPalette::Text), Vert);
    EXPECT_EQ(f->Identifiant->text(), "");
    EXPECT_EQ(f->Identifiant->maxLength(), 8);
    EXPECT_EQ(f->Controle->text(), "0");
    EXPECT_EQ(Boites_Visibles(), 0);
    Attend_CRC_A(3800);
    EXPECT_EQ(f->T.Bits_ID, "") << "no standard identifier bits left behind";
    EXPECT_EQ(f->Text1->text(), "0");
    for (QLineEdit* vide : {f->Trame_Bin, f->Trame_Bin_Stuf, f->Text2, f->Champ_CRC, f->TrameDR})
        EXPECT_EQ(vide->text(), "") << vide->objectName().toStdString();

    // The hidden bytes come back with a DLC that shows them again.
    Tape(f->Identifiant, "12345678");
    Dlc("2");
    EXPECT_EQ(f->Trame_Bin->text(), "0 10010001101 11 000101011001111000 0 000010 00000001 "
                                    "00000010 011100111000000 11 1111111");

    // Back to standard from a remote frame: the frame type returns to data.
    Clique(f->Check2);
    Clique(f->Check1);
    EXPECT_EQ(f->Check1->text(), "Standard");
    EXPECT_EQ(Couleur(f->Check1, QPalette::WindowText), Noir);
    EXPECT_EQ(Couleur(f->Identifiant, QPalette::Text), Noir);
    EXPECT_EQ(f->Identifiant->maxLength(), 3);
    EXPECT_FALSE(f->Check2->isChecked());
    EXPECT_EQ(f->Check2->text(), "Trame de données. RTR dominant");
    EXPECT_EQ(f->T.Bit_RTR, "0");
    EXPECT_EQ(Messages(), std::vector<QString>{});
}

TEST_F(Editeur, SwitchingFrameTypeDropsTheDataBytes) {
    Saisit(false, false, "123", "2", {"01", "02"});
    Clique(f->Check2);
    EXPECT_EQ(f->Check2->text(), "Trame de requête. RTR récessif");
    EXPECT_EQ(Couleur(f->Check2, QPalette::WindowText), Rouge);
    EXPECT_EQ(Boites_Visibles(), 0);
    Attend_CRC_A(3800);
    EXPECT_EQ(f->Controle->text(), "2") << "the DLC keeps its value";
    EXPECT_EQ(f->Data[0]->text(), "");
    EXPECT_EQ(f->Data[1]->text(), "");
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 1 000010   101010100110110 11 1111111");
    EXPECT_EQ(f->Text2->text(), "43");

    Clique(f->Check2);
    EXPECT_EQ(f->Check2->text(), "Trame de données. RTR dominant");
    EXPECT_EQ(Couleur(f->Check2, QPalette::WindowText), Noir);
    EXPECT_EQ(Boites_Visibles(), 2);
    Attend_CRC_A(4660);
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000010   010011011110011 11 1111111");
    Tape(f->Data[0], "01");
    Tape(f->Data[1], "02");
    Clique(f->Check2);
    Dlc("3");
    EXPECT_EQ(Boites_Visibles(), 0);
    Attend_CRC_A(3800);
    EXPECT_EQ(f->T.Bits_Ctrl, "000011");
    EXPECT_EQ(Messages(), std::vector<QString>{});
}

TEST_F(Editeur, SpeedCaptionFollowsTheCheckBox) {
    Clique(f->Check3);
    EXPECT_EQ(f->Check3->text(), "High speed");
    Clique(f->Check3);
    EXPECT_EQ(f->Check3->text(), "Low speed");
}

} // namespace
} // namespace varnel
