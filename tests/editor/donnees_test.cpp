// The DLC and data boxes, the keys every hexadecimal box accepts, the completeness
// check, and what a rebuild does to the signal plot and the step-by-step run.
#include "editeur.h"

#include <QClipboard>

namespace varnel {
namespace {

const QString Dlc_Interdit = QStringLiteral("Nombre non autorisé! | Erreur de saisie");
const QString Trame_DLC0 = "0 00100100011 0 000000 110100001011000 11 1111111";

TEST_F(Editeur, DlcLaysOutTheDataBoxesAndTheCrcBox) {
    const int gauche[9] = {3800, 4300, 4660, 5000, 5360, 5760, 6100, 6460, 6800};
    Tape(f->Identifiant, "123");
    for (int d = 0; d <= 8; ++d) {
        SCOPED_TRACE(d);
        Dlc(QString::number(d));
        EXPECT_EQ(Boites_Visibles(), d);
        Attend_CRC_A(gauche[d]);
        EXPECT_EQ(f->T.Bits_Ctrl,
                  "00" + QString::number(d, 2).rightJustified(4, '0').toStdString());
    }
    EXPECT_EQ(Messages(), std::vector<QString>{});
}

TEST_F(Editeur, DlcAboveEightIsRefusedAndReplacedByZero) {
    for (const QString touche : {"9", "A", "f"}) {
        SCOPED_TRACE(touche.toStdString());
        f = std::make_unique<Form1>(pf);
        SetUp();
        Saisit(false, false, "123", "2", {"01", "02"});
        Dlc(touche);
        EXPECT_EQ(Messages(), std::vector<QString>{Dlc_Interdit});
        EXPECT_EQ(f->Controle->text(), "0");
        EXPECT_EQ(f->T.Bits_Ctrl, "000000");
        EXPECT_EQ(Boites_Visibles(), 0);
        Attend_CRC_A(3800);
        EXPECT_EQ(f->Trame_Bin->text(), Trame_DLC0);
    }
}

TEST_F(Editeur, LoweringAndRaisingTheDlcBringsTheBytesBack) {
    Saisit(false, false, "123", "4", {"11", "22", "33", "44"});
    const QString complete = f->Trame_Bin->text();
    EXPECT_EQ(complete, "0 00100100011 0 000100 00010001 00100010 00110011 01000100 "
                        "001000111011010 11 1111111");
    Dlc("2");
    EXPECT_EQ(Boites_Visibles(), 2);
    EXPECT_EQ(f->Trame_Bin->text(),
              "0 00100100011 0 000010 00010001 00100010 000010010110111 11 1111111");
    EXPECT_EQ(f->Data[2]->text(), "33") << "a hidden box keeps its text";
    Dlc("4");
    EXPECT_EQ(Boites_Visibles(), 4);
    EXPECT_EQ(f->Trame_Bin->text(), complete);
}

TEST_F(Editeur, EmptiedDlcIsWrittenBackAsZeroWhenTheBoxLosesTheFocus) {
    Saisit(false, false, "123", "1", {"AB"});
    f->Controle->setFocus();
    Retour(f->Controle);
    EXPECT_EQ(f->T.Bits_Ctrl, "00");
    EXPECT_EQ(Boites_Visibles(), 0);
    EXPECT_EQ(f->Trame_Bin->text(), "0  000000000000000 11 1111111");
    EXPECT_EQ(f->Text1->text(), "25");
    EXPECT_EQ(f->Controle->text(), "") << "still empty while it has the focus";

    QTest::keyClick(f->Controle, Qt::Key_Tab);
    EXPECT_FALSE(f->Controle->hasFocus());
    EXPECT_EQ(f->Controle->text(), "0");
    EXPECT_EQ(f->T.Bits_Ctrl, "000000");
    EXPECT_EQ(f->Trame_Bin->text(), Trame_DLC0);
    EXPECT_EQ(Messages(), std::vector<QString>{});
}

TEST_F(Editeur, OneDigitByteKeepsThePreviousBits) {
    Saisit(false, false, "123", "1");
    Tape(f->Data[0], "A");
    EXPECT_EQ(f->Trame_Bin->text(), "0 00100100011 0 000001  010110111000001 11 1111111");
    Tape(f->Data[0], "B");
    const QString ab = "0 00100100011 0 000001 10101011 110011001101111 11 1111111";
    EXPECT_EQ(f->Trame_Bin->text(), ab);
    Retour(f->Data[0]);
    EXPECT_EQ(f->Data[0]->text(), "A");
    EXPECT_EQ(f->Trame_Bin->text(), ab);
}

TEST_F(Editeur, KeysAreUpperCasedAndFullBoxesSwallowThemSilently) {
    Tape(f->Identifiant, "7ef");
    EXPECT_EQ(f->Identifiant->text(), "7EF");
    Dlc("2");
    Tape(f->Data[0], "a5");
    EXPECT_EQ(f->Data[0]->text(), "A5");
    Tape(f->Data[0], "1g");
    Tape(f->Identifiant, "4");
    EXPECT_EQ(f->Data[0]->text(), "A5");
    EXPECT_EQ(f->Identifiant->text(), "7EF");
    EXPECT_EQ(Messages(), std::vector<QString>{});
    Retour(f->Data[0]);
    EXPECT_EQ(f->Data[0]->text(), "A");
}

TEST_F(Editeur, NonHexadecimalKeysAreRefusedInEveryKindOfBox) {
    Dlc("1");
    for (BoiteHexa* boite : {f->Identifiant, f->Controle, f->Data[0]}) {
        for (const QString touche : {"g", " ", "-", "é", "Z"}) {
            SCOPED_TRACE(boite->objectName().toStdString() + " '" + touche.toStdString() + "'");
            const QString avant = boite->text();
            QTest::sendKeyEvent(QTest::Click, boite, Qt::Key_unknown, touche, Qt::NoModifier);
            EXPECT_EQ(boite->text(), avant);
            EXPECT_EQ(Messages(), std::vector<QString>{NonHexa});
        }
    }
}

TEST_F(Editeur, EditingKeysKeepTheirMeaning) {
    Tape(f->Identifiant, "123");
    QTest::keyClick(f->Identifiant, Qt::Key_Home);
    QTest::keyClick(f->Identifiant, Qt::Key_Delete);
    EXPECT_EQ(f->Identifiant->text(), "23");
    QTest::keyClick(f->Identifiant, Qt::Key_End);
    Tape(f->Identifiant, "4");
    EXPECT_EQ(f->Identifiant->text(), "234");
    QTest::keyClick(f->Identifiant, Qt::Key_Left);
    QTest::keyClick(f->Identifiant, Qt::Key_Backspace);
    EXPECT_EQ(f->Identifiant->text(), "24");
    EXPECT_EQ(Messages(), std::vector<QString>{});
}

TEST_F(Editeur, PastedTextGoesThroughTheSameGateAsTyping) {
    QClipboard* pp = QApplication::clipboard();
    const auto colle = [pp](BoiteHexa* boite, const QString& texte) {
        pp->setText(texte);
        boite->setFocus();
        boite->selectAll();
        QTest::keyClick(boite, Qt::Key_V, Qt::ControlModifier);
    };
    colle(f->Identifiant, "G1");
    colle(f->Identifiant, "1 2");
    colle(f->Identifiant, "\t12");
    EXPECT_EQ(f->Identifiant->text(), "");
    colle(f->Identifiant, "7ef");
    EXPECT_EQ(f->Identifiant->text(), "7EF");
    EXPECT_EQ(f->Text2->text(), "45") << "a pasted identifier builds the frame";
    colle(f->Controle, "9");
    EXPECT_EQ(Messages(), std::vector<QString>{Dlc_Interdit});
    EXPECT_EQ(f->Controle->text(), "0");
    Dlc("1");
    colle(f->Data[0], "x1");
    EXPECT_EQ(f->Data[0]->text(), "");
    colle(f->Data[0], "c3d4");
    EXPECT_EQ(f->Data[0]->text(), "C3") << "no more than the box holds";
}

struct Saisie {
    const char* nom;
    bool etendue, requete;
    QString id, dlc; // dlc "" leaves the DLC box empty
    QStringList donnees;
    bool complete;
};

TEST_F(Editeur, CompletenessCountsEveryNeededDigit) {
    const Saisie saisies[] = {
        {"std DLC 0", false, false, "123", "0", {}, true},
        {"std short identifier", false, false, "12", "0", {}, false},
        {"std byte of one digit", false, false, "123", "2", {"01", "2"}, false},
        {"std two bytes", false, false, "123", "2", {"01", "02"}, true},
        {"std eight bytes",
         false,
         false,
         "7EF",
         "8",
         {"1", "2", "3", "4", "5", "6", "7", "8"},
         false},
        {"std empty DLC", false, false, "123", "", {}, false},
        {"std remote DLC 8", false, true, "123", "8", {}, true},
        {"std remote empty DLC", false, true, "123", "", {}, false},
        {"ext 3 digits", true, false, "123", "0", {}, false},
        {"ext DLC 0", true, false, "12345678", "0", {}, true},
        {"ext remote DLC 5", true, true, "12345678", "5", {}, true},
        {"ext eight bytes",
         true,
         false,
         "00000000",
         "8",
         {"11", "22", "33", "44", "55", "66", "77", "88"},
         true},
        {"ext last byte short",
         true,
         false,
         "00000000",
         "8",
         {"11", "22", "33", "44", "55", "66", "77", "8"},
         false},
    };
    for (const auto& s : saisies) {
        SCOPED_TRACE(s.nom);
        f = std::make_unique<Form1>(pf);
        SetUp();
        Saisit(s.etendue, s.requete, s.id, s.dlc.isEmpty() ? "0" : s.dlc, s.donnees);
        if (s.dlc.isEmpty()) Retour(f->Controle);
        Messages();
        f->Verif_Saisie();
        EXPECT_EQ(f->Saisie_Complete, s.complete);
        EXPECT_EQ(Messages(),
                  s.complete ? std::vector<QString>{} : std::vector<QString>{Incomplete});
    }
}

TEST_F(Editeur, HiddenBoxesAreNotCountedForCompleteness) {
    Saisit(false, false, "123", "3", {"01", "02", "0"});
    Dlc("2");
    f->Verif_Saisie();
    EXPECT_TRUE(f->Saisie_Complete);
}

TEST_F(Editeur, ThePlotIsResetExactlyWhenTheCrcChanges) {
    Pose_Repere();
    f->Efface_Visu_CAN();
    if (Repere_Present()) GTEST_SKIP() << "the signal plot cannot be cleared yet";

    Saisit(false, false, "123", "1", {"AB"});
    Pose_Repere();
    Retour(f->Data[0]); // the byte keeps its bits: same frame, same CRC
    Tape(f->Data[0], "B");
    EXPECT_TRUE(Repere_Present());
    Retour(f->Data[0]);
    Tape(f->Data[0], "C");
    EXPECT_EQ(f->Champ_CRC->text(), "3592");
    EXPECT_FALSE(Repere_Present());
    EXPECT_FALSE(f->TrameDR->text().isEmpty()) << "the new annotation follows the reset";

    // Other bits behind the same CRC (as after a CRC collision): the drawing goes too.
    const QString annotation = f->TrameDR->text();
    f->TrameDR->setText("D");
    Pose_Repere();
    Retour(f->Data[0]);
    EXPECT_FALSE(Repere_Present());
    EXPECT_EQ(f->TrameDR->text(), annotation);

    Pose_Repere();
    Retour(f->Identifiant); // every identifier edit empties the CRC box
    EXPECT_FALSE(Repere_Present());
}

TEST_F(Editeur, CrcResetReenablesTheDisplayMenu) {
    Saisit(false, false, "123", "0");
    f->Trace_Fini = true;
    f->Active_Menu(f->Affichage, false);
    Dlc("1");
    EXPECT_FALSE(f->Trace_Fini);
    EXPECT_TRUE(f->Menu_Actif(f->Affichage));
}

TEST_F(Editeur, ARebuildEndsTheStepRunOnlyWhenTheFrameChanged) {
    Saisit(false, false, "123", "1", {"AB"});
    f->Pas_Lance = true;
    f->Num_Bit = 7;
    f->Niveau_Prec = "D";
    Retour(f->Data[0]); // same bits: the run being drawn is still this frame's
    EXPECT_TRUE(f->Pas_Lance);
    EXPECT_EQ(f->Num_Bit, 7);
    Tape(f->Data[0], "C");
    EXPECT_FALSE(f->Pas_Lance);
    EXPECT_EQ(f->Num_Bit, 0);
    EXPECT_EQ(f->Niveau_Prec, "");

    // An identifier edit empties the CRC box: the run is over too.
    f->Pas_Lance = true;
    Retour(f->Identifiant);
    EXPECT_FALSE(f->Pas_Lance);
    Tape(f->Identifiant, "3");

    // Out of a run (after an incomplete input was refused) the position goes back to 0.
    f->Num_Bit = 53;
    Retour(f->Data[0]);
    EXPECT_EQ(f->Num_Bit, 0);
}

class Raccourcis : public Editeur {
protected:
    // What the command shows, run directly, with an empty identifier; empty while the
    // simulation commands are not there yet.
    std::vector<QString> Reference(void (Form1::*commande)()) {
        ((*f).*commande)();
        return Messages();
    }
};

TEST_F(Raccourcis, CtrlPAndCtrlIRunTheirCommandOnceAndTypeNothing) {
    Dlc("1");
    const struct {
        Qt::Key touche;
        void (Form1::*commande)();
    } cas[] = {{Qt::Key_P, &Form1::Pas_a_Pas_Click}, {Qt::Key_I, &Form1::Instantanne_Click}};
    for (const auto& c : cas) {
        const auto attendu = Reference(c.commande);
        if (attendu.empty()) GTEST_SKIP() << "the simulation commands show nothing yet";
        for (BoiteHexa* boite : {f->Identifiant, f->Controle, f->Data[0]}) {
            SCOPED_TRACE(boite->objectName().toStdString() + " " + std::to_string(c.touche));
            const QString avant = boite->text();
            boite->setFocus();
            QTest::keyClick(boite, c.touche, Qt::ControlModifier);
            EXPECT_EQ(Messages(), attendu);
            EXPECT_EQ(boite->text(), avant);
        }
    }
}

TEST_F(Raccourcis, DisabledCommandsDoNotRunFromTheBoxes) {
    f->Active_Menu(f->Affichage, false);
    for (BoiteHexa* boite : {f->Identifiant, f->Controle}) {
        boite->setFocus();
        QTest::keyClick(boite, Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(boite, Qt::Key_I, Qt::ControlModifier);
    }
    EXPECT_EQ(Messages(), std::vector<QString>{});
    EXPECT_EQ(f->Identifiant->text(), "");
    EXPECT_EQ(f->Controle->text(), "0");
}

} // namespace
} // namespace varnel
