// The DLC and data boxes, the key filter, completeness, and the plot reset on a new CRC.
#include "editeur.h"

#include <QClipboard>

namespace varnel {
namespace {

const QString DLC0 = "0 00100100011 0 000000 110100001011000 11 1111111";

TEST_F(Editeur, DlcBoxRefusalsLoweringAndEmptying) {
    for (const QString touche : {"9", "A"}) {
        Saisit(false, false, "123", "2", {"01", "02"});
        Dlc(touche);
        EXPECT_EQ(Messages(), Msgs{"Nombre non autorisé! | Erreur de saisie"});
        EXPECT_EQ(f->Controle->text(), "0");
        Attend_Boites(0, 3800);
        EXPECT_EQ(f->Trame_Bin->text(), DLC0);
        Neuve();
    }
    Saisit(false, false, "123", "4", {"11", "22", "33", "44"});
    const QString complete = f->Trame_Bin->text();
    Dlc("2");
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000010 00010001 00100010 000010010110111 11 1111111");
    Dlc("4"); // the hidden bytes come back
    Attend_Boites(4, 5360);
    EXPECT_EQ(f->Trame_Bin->text(), complete);
    f->Controle->setFocus();
    Retour(f->Controle); // emptied: no DLC bits until the box loses the focus
    EXPECT_EQ(f->Trame_Bin->text(), "0  000000000000000 11 1111111");
    QTest::keyClick(f->Controle, Qt::Key_Tab);
    EXPECT_EQ(f->Controle->text(), "0");
    EXPECT_EQ(f->Trame_Bin->text(), DLC0);
}

// The CRC box follows the last data box shown, for every DLC, in both formats; none in a remote frame.
TEST_F(Editeur, CrcBoxAfterTheDataBoxesForEveryDlc) {
    const int gauche[] = {3800, 4300, 4660, 5000, 5360, 5760, 6100, 6460, 6800};
    for (bool etendue : {false, true}) {
        Saisit(etendue, false, "", "0");
        for (int d = 0; d <= 8; ++d) Dlc(QString::number(d)), Attend_Boites(d, gauche[d]);
        Clique(f->Check2);
        Attend_Boites(0, 3800);
    }
}

TEST_F(Editeur, KeyFilterOneDigitUpperCaseFullBoxAndNonHex) {
    Saisit(false, false, "123", "1", {"a"}); // lower-case keys are upper-cased
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000001  010110111000001 11 1111111");
    Tape(f->Data[0], "b1"); // the third digit is swallowed silently
    EXPECT_EQ(f->Data[0]->text(), "AB");
    Retour(f->Data[0]); // one digit left: the byte keeps its previous bits
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000001 10101011 110011001101111 11 1111111");
    EXPECT_EQ(Messages(), Msgs{});
    for (BoiteHexa* boite : {f->Identifiant, f->Controle, f->Data[0]}) {
        Retour(boite);
        QTest::sendKeyEvent(QTest::Click, boite, Qt::Key_unknown, "g", Qt::NoModifier);
        EXPECT_EQ(Messages(), Msgs{"La valeur saisie n'est pas une valeur hexadécimale! | "
                                   "Erreur de saisie"})
            << boite->objectName().toStdString();
    }
}

TEST_F(Editeur, CompletenessCountsEveryNeededDigit) {
    const struct {
        bool etendue, requete;
        QString id, dlc;
        QStringList data;
        bool ok;
    } cas[] = {
        {false, false, "123", "0", {}, true},           {false, false, "123", "", {}, false},
        {false, false, "123", "2", {"01", "2"}, false}, {true, false, "1234567", "0", {}, false},
        {true, false, "00000000", "1", {"11"}, true},   {true, true, "12345678", "5", {}, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(&c - cas);
        Neuve();
        Saisit(c.etendue, c.requete, c.id, c.dlc.isEmpty() ? "0" : c.dlc, c.data);
        if (c.dlc.isEmpty()) Retour(f->Controle);
        f->Verif_Saisie();
        EXPECT_EQ(f->Saisie_Complete, c.ok);
        EXPECT_EQ(Messages(), c.ok ? Msgs{}
                                   : Msgs{"La saisie de certains champs est incomplete! | "
                                          "Erreur de saisie"});
    }
}

TEST_F(Editeur, ThePlotIsResetExactlyWhenTheCrcChanges) {
    Saisit(false, false, "123", "1", {"AB"});
    v()->Ajoute_Annotation(1, 1, 0);
    Retour(f->Data[0]); // the byte keeps its bits: same CRC
    Tape(f->Data[0], "B");
    EXPECT_EQ(v()->Nb_Annotations(), 1);
    Retour(f->Data[0]);
    Tape(f->Data[0], "C");
    EXPECT_EQ(v()->Nb_Annotations(), 0);
}

TEST_F(Editeur, PasteOfNonHexadecimalTextIsRefused) {
    for (const QString t : {"G1", "1 2", "\t12"}) {
        QApplication::clipboard()->setText(t);
        f->Identifiant->setFocus();
        QTest::keyClick(f->Identifiant, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(f->Identifiant->text(), "");
    }
}

} // namespace
} // namespace varnel
