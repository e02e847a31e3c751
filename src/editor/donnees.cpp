// The DLC box, the eight data-byte boxes and their layout.
#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"

#include <QCheckBox>
#include <QLabel>

namespace varnel {

namespace {

// Left of the CRC box and its label, in twips, for 0 .. 8 visible data boxes.
constexpr std::array<int, 9> Gauche_CRC{3800, 4300, 4660, 5000, 5360, 5760, 6100, 6460, 6800};

void Place_Gauche(QWidget* w, int twips) {
    w->move(Twips(twips), w->y());
}

} // namespace

void Form1::Controle_KeyPress(int& code) {
    T.Long_Max = 1;
    Filtre_Clavier(code, Controle->text());
}

void Form1::Controle_Change() {
    if (FD.actif) {
        Controle_Change_FD(); // DLC 9 .. F are FD lengths, not refused
        return;
    }
    const QString texte = Controle->text();
    Ajust_Aff();
    if (texte.size() == 1 && Val_Hexa(texte.toStdString()) > 8) {
        plateforme().message("Nombre non autorisé!", "Erreur de saisie", Plateforme::Icone::Exclamation,
                             Plateforme::Boutons::Ok);
        Controle->setText("0"); // this handler runs again for "0" and rebuilds
        Place_Gauche(Champ_CRC, Gauche_CRC[0]);
        Place_Gauche(LabelCRC, Gauche_CRC[0]);
        return;
    }
    T.Bits_Ctrl = "00" + Hexa_Bin(texte.toStdString());
    Aff_Donnees();
    if (!T.Bits_ID.empty()) Construit_Trame();
}

void Form1::Controle_LostFocus() {
    if (Controle->text().isEmpty()) Controle->setText("0");
}

void Form1::Data_KeyPress(int k, int& code) {
    T.Long_Max = 2;
    Filtre_Clavier(code, Data[static_cast<size_t>(k)]->text());
}

void Form1::Data_Change(int k) {
    const QString texte = Data[static_cast<size_t>(k)]->text();
    // A one-digit byte keeps its previous bits until the second digit is typed.
    if (texte.size() == 2) T.Bits_D[static_cast<size_t>(k)] = Hexa_Bin(texte.toStdString());
    if (!T.Bits_ID.empty()) Construit_Trame();
}

void Form1::Aff_Donnees() {
    if (FD.actif) {
        Aff_Donnees_FD();
        return;
    }
    bool ok = false;
    const int dlc = Controle->text().toInt(&ok);
    const int d = Check2->isChecked() ? 0 : (ok ? dlc : 0);
    T.Val_DLC = static_cast<int16_t>(d);
    if (d < 0 || d > 8) return;
    // Hidden boxes keep their text and their bits: raising the DLC brings them back.
    for (size_t k = 0; k < 8; ++k) {
        const bool visible = static_cast<int>(k) < d;
        Data[k]->setVisible(visible);
        LabelD[k]->setVisible(visible);
    }
    Place_Gauche(Champ_CRC, Gauche_CRC[static_cast<size_t>(d)]);
    Place_Gauche(LabelCRC, Gauche_CRC[static_cast<size_t>(d)]);
}

} // namespace varnel
