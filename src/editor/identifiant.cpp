// The identifier box and the three check boxes beside it: frame format, frame
// type and bus speed. Also where the editor's controls get their handlers.
#include "app/apparence.h"
#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"
#include "simulation/visu_plot.h"

#include <QCheckBox>

namespace varnel {

namespace {

using Couleurs::Noir;
using Couleurs::Rouge;
using Couleurs::Vert;

} // namespace

void Form1::Connecte_Editeur() {
    Identifiant->setGestionTouche([this](int& code) { Identifiant_KeyPress(code); });
    connect(Identifiant, &QLineEdit::textChanged, this, [this] { Identifiant_Change(); });

    connect(Check1, &QCheckBox::toggled, this, [this] { Check1_Click(); });
    connect(Check2, &QCheckBox::toggled, this, [this] { Check2_Click(); });
    connect(Check3, &QCheckBox::toggled, this, [this] { Check3_Click(); });

    Controle->setGestionTouche([this](int& code) { Controle_KeyPress(code); });
    connect(Controle, &QLineEdit::textChanged, this, [this] { Controle_Change(); });
    connect(Controle, &BoiteHexa::focusPerdu, this, [this] { Controle_LostFocus(); });

    for (int k = 0; k < 8; ++k) {
        BoiteHexa* boite = Data[static_cast<size_t>(k)];
        boite->setGestionTouche([this, k](int& code) { Data_KeyPress(k, code); });
        connect(boite, &QLineEdit::textChanged, this, [this, k] { Data_Change(k); });
    }

    connect(Champ_CRC, &QLineEdit::textChanged, this, [this] { Champ_CRC_Change(); });
    Connecte_Editeur_FD();
}

void Form1::Identifiant_KeyPress(int& code) {
    T.Long_Max = Check1->isChecked() ? 8 : 3;
    Filtre_Clavier(code, Identifiant->text());
}

void Form1::Identifiant_Change() {
    Efface_Visu_CAN();
    Trame_Bin->clear();
    Trame_Bin_Stuf->clear();
    // A bit count beside an emptied frame would describe a frame no longer shown.
    Text1->clear();
    Text2->clear();
    Champ_CRC->clear(); // resets the plot through the CRC box's handler

    const bool etendue = Check1->isChecked();
    T.Long_Max = etendue ? 8 : 3;
    const RegleIdentifiant regle = Regle_Identifiant(Identifiant->text().toStdString(), etendue);
    switch (regle.etat) {
    case RegleIdentifiant::Etat::Vide:
        T.Bits_ID.clear();
        Trame_Bin->clear();
        Text1->setText("0");
        break;
    case RegleIdentifiant::Etat::Incomplet: break; // `Bits_ID` keeps the last complete identifier
    case RegleIdentifiant::Etat::Refuse:
        plateforme().message(QString::fromStdString(regle.Message), QString::fromStdString(regle.Titre),
                             Plateforme::Icone::Exclamation, Plateforme::Boutons::Ok);
        Identifiant->clear(); // runs this handler again with an empty box
        Trame_Bin->clear();
        // The standard seven-recessive-bits refusal keeps the "0" of the emptied box.
        if (etendue || regle.refus == RegleIdentifiant::Refus::PremierChiffre) Text1->clear();
        break;
    case RegleIdentifiant::Etat::Valide:
        T.Bits_ID = regle.Bits_ID;
        Construit_Trame();
        break;
    }
}

void Form1::Check1_Click() {
    BP_Clear_Click();
    const bool etendue = Check1->isChecked();
    Check1->setText(etendue ? "Etendue" : "Standard");
    Couleur_Texte(Check1, etendue ? Vert : Noir);
    Identifiant->clear();
    Identifiant->setMaxLength(etendue ? 8 : 3);
    Couleur_Texte(Identifiant, etendue ? Vert : Noir);
    Controle->setText("0");
    Aff_Donnees();
    Check2->setChecked(false);
    Ajust_Aff();
    Champ_CRC->clear();
}

void Form1::Check2_Click() {
    if (!Check2->isChecked()) {
        Check2->setText("Trame de données. RTR dominant");
        Couleur_Texte(Check2, Noir);
        T.Bit_RTR = "0";
        Aff_Donnees();
    } else {
        Check2->setText("Trame de requête. RTR récessif");
        Couleur_Texte(Check2, Rouge);
        T.Bit_RTR = "1";
        Efface_Donnees();
        Aff_Donnees();
    }
    Ajust_Aff();
    if (!T.Bits_ID.empty()) Construit_Trame();
}

void Form1::Check3_Click() {
    Check3->setText(Check3->isChecked() ? "High speed" : "Low speed");
    BP_Clear_Click();
}

} // namespace varnel
