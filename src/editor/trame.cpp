// What every hexadecimal box shares (the key filter and its message), the frame
// texts written from the engine's results, the CRC box and the completeness check.
#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"

#include <QCheckBox>

namespace varnel {

void Form1::Filtre_Clavier(int& code, const QString& texte) {
    T.Texte_Saisi = texte.toStdString();
    // The filter works on 16-bit codes; anything beyond is no hexadecimal digit either.
    T.Touche = static_cast<int16_t>(code > 0x7FFF ? 0x7FFF : code);
    if (T.Filtre_Hexa())
        plateforme().message(QString::fromUtf8(MessageNonHexa), QString::fromUtf8(TitreErreurSaisie),
                             Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
    code = T.Touche;
}

void Form1::Construit_Trame() {
    const int n = static_cast<int>(Identifiant->text().size());
    const bool complet = Check1->isChecked() ? n == 8 : n == 3;
    if (FD.actif) {
        Ecrit_Trame_FD(complet);
        return;
    }
    const bool stuffee = T.Construit_Trame(Controle->text().toStdString(), complet);
    Text1->setText(QString::fromStdString(T.Text1));
    // Written before the stuffed texts: when the CRC changes, its handler resets the
    // plot and empties the annotation before the new one is written.
    Champ_CRC->setText(QString::fromStdString(T.Champ_CRC));
    Trame_Bin->setText(QString::fromStdString(T.Trame_Bin));
    Trame_Bin->setCursorPosition(0);
    if (stuffee) Stuffe_Trame();
}

void Form1::Efface_Donnees() {
    // Emptying a box runs its handler, which may rebuild before the next byte is
    // emptied; the caller rebuilds once more at the end.
    for (size_t k = 0; k < 8; ++k) {
        Data[k]->clear();
        T.Bits_D[k].clear();
    }
}

// Shows the result of the stuffing that the engine's assembly has just run.
void Form1::Stuffe_Trame() {
    Affiche_Stuffee(T.TrameDR, T.Trame_Bin_Stuf, T.Text2);
}

void Form1::Affiche_Stuffee(const std::string& symboles, const std::string& stuffee, const std::string& nb) {
    const QString annotation = QString::fromStdString(symboles);
    const bool memeTrame = TrameDR->text() == annotation;
    // Other bits behind the same CRC: the plot shows a frame that no longer exists.
    if (!memeTrame && !TrameDR->text().isEmpty()) Champ_CRC_Change();
    Trame_Bin_Stuf->setText(QString::fromStdString(stuffee));
    Trame_Bin_Stuf->setCursorPosition(0);
    Text2->setText(QString::fromStdString(nb));
    TrameDR->setText(annotation);
    TrameDR->setCursorPosition(0);
    // A rebuild of the very frame being drawn lets the step-by-step run go on.
    if (memeTrame && Pas_Lance) return;
    Num_Bit = 0;
    Niveau_Prec.clear();
    Pas_Lance = false;
}

void Form1::Champ_CRC_Change() {
    Trace_Fini = false;
    Active_Menu(Affichage, true);
    Efface_Visu_CAN();
    Num_Bit = 0;
    Pos_X = 0;
    // The run drawn so far belonged to the previous frame: the next step starts anew.
    Pas_Lance = false;
    Init_Axe_X();
    Init_Visu();
    TrameDR->clear();
}

void Form1::Verif_Saisie() {
    std::array<std::string, 8> donnees;
    for (size_t k = 0; k < 8; ++k) donnees[k] = Data[k]->text().toStdString();
    Saisie_Complete =
        FD.actif ? Saisie_FD_Complete()
                 : Saisie_Est_Complete(Identifiant->text().toStdString(), Controle->text().toStdString(),
                                       donnees, Check1->isChecked(), Check2->isChecked());
    if (!Saisie_Complete)
        plateforme().message("La saisie de certains champs est incomplete!", "Erreur de saisie",
                             Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
}

} // namespace varnel
