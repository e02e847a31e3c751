// CAN FD frames in the entry band: the FD check box and its BRS / ESI companions, the
// one data box that takes the bytes of any FD length, the layout of the band in FD,
// the six frame texts written from the FD engine, and the data bit rate of the drawing.
//
// Classic frames keep their own handlers; the shared ones (DLC box, layout, rebuild,
// completeness) hand over to these while `FD.actif` holds. What is typed of an FD frame
// lives in `FD`; the identifier stays `T.Bits_ID`, shared by both kinds.

#include "app/form1.h"
#include "app/plateforme.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace varnel {

namespace {

// The FD layout of the band, in twips.
constexpr int GaucheDonneesFD = 6000; // right of the check boxes' rows, where the banner stands
constexpr int HautDonneesFD = 480;
constexpr int GaucheCRCSansDonnees = 3800;
constexpr int EcartCRC = 120;
constexpr int LargeurCRCFD = 900; // the six digits of a CRC-21
constexpr int LargeurCRC = 735;   // the classic design widths
constexpr int LargeurLabelCRC = 615;
constexpr int HauteurBoite = 375;

// "DLC D = 32 octets": what a DLC means, said beside the boxes.
QString Texte_DLC(int dlc) {
    const int n = std::max(0, Longueur_FD(dlc));
    return QStringLiteral("DLC %1 = %2 %3")
        .arg(QString::number(dlc, 16).toUpper())
        .arg(n)
        .arg(n > 1 ? QStringLiteral("octets") : QStringLiteral("octet"));
}

// The complete bytes of a run of hexadecimal digits; a last lone digit is not a byte yet.
std::vector<uint8_t> Octets(const QString& chiffres) {
    std::vector<uint8_t> octets;
    for (int i = 0; i + 1 < chiffres.size(); i += 2)
        octets.push_back(static_cast<uint8_t>(chiffres.mid(i, 2).toUInt(nullptr, 16)));
    return octets;
}

bool Memes_Bits(const Transmission& a, const Transmission& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TempsBit& x, const TempsBit& y) {
        return x.emetteur == y.emetteur && x.recepteur1 == y.recepteur1 && x.recepteur2 == y.recepteur2 &&
               x.bus == y.bus && x.genre == y.genre && x.champ == y.champ && x.phase == y.phase &&
               x.etiquette == y.etiquette;
    });
}

void Place(QWidget* w, int gaucheTwips) {
    w->move(Twips(gaucheTwips), w->y());
}

} // namespace

void Form1::Connecte_Editeur_FD() {
    connect(CheckFD, &QCheckBox::toggled, this, [this] { CheckFD_Click(); });
    connect(CheckBRS, &QCheckBox::toggled, this, [this] { CheckBRS_Click(); });
    connect(CheckESI, &QCheckBox::toggled, this, [this] { CheckESI_Click(); });
    DonneesFD->setGestionTouche([this](int& code) { DonneesFD_KeyPress(code); });
    connect(DonneesFD, &BoiteOctets::chiffresModifies, this, [this] { DonneesFD_Change(); });
    for (QAction* r : {Rapport2, Rapport4, Rapport8}) Connecte_Menu(r, [this, r] { Rapport_Click(r); });
}

void Form1::CheckFD_Click() {
    const bool fd = CheckFD->isChecked();
    if (fd == FD.actif) return;
    BP_Clear_Click();
    CheckFD->setText(fd ? QStringLiteral("CAN FD") : QStringLiteral("CAN 2.0"));
    if (fd) {
        // The bytes typed go over: those of the classic boxes, in order, and when the
        // eight are full, the FD bytes that were beyond them.
        QString chiffres;
        for (const BoiteHexa* d : Data) {
            chiffres += d->text();
            if (d->text().size() < 2) break;
        }
        if (chiffres.size() == 16) chiffres += (DonneesFD->chiffres() + FD.reserve).mid(16);
        Check2->setChecked(false); // no remote frames in CAN FD (its classic handler runs)
        FD.actif = true;
        Check2->setEnabled(false);
        Check2->setText(QStringLiteral("Trame de données. RRS dominant"));
        CheckBRS->show();
        CheckESI->show();
        Picture2->hide();
        Champ_CRC->setMaxLength(6);
        Champ_CRC->resize(Twips(LargeurCRCFD), Champ_CRC->height());
        LabelCRC->resize(Champ_CRC->width(), LabelCRC->height());
        FD.saisie.BRS = CheckBRS->isChecked();
        FD.saisie.ESI = CheckESI->isChecked();
        FD.reserve.clear();
        DonneesFD->setCapacite(2 * Longueur_FD(15));
        DonneesFD->setChiffres(chiffres);
        // From now on the plot draws the FD frame as data; the rebuild gives it the bits.
        Dessin.Prepare({}, Rapport_Debit());
        Controle_Change_FD();
        return;
    }

    // Back to a classic frame: the first eight bytes go to the eight boxes; the FD ones
    // stay in the hidden FD box for a return.
    const QString chiffres = DonneesFD->chiffres() + FD.reserve;
    FD.actif = false;
    Dessin.Abandonne();
    for (QWidget* w : {static_cast<QWidget*>(CheckBRS), static_cast<QWidget*>(CheckESI),
                       static_cast<QWidget*>(DonneesFD), static_cast<QWidget*>(LabelDonneesFD)})
        w->hide();
    Picture2->show();
    Controle->setToolTip(QString());
    Champ_CRC->setMaxLength(4);
    Champ_CRC->resize(Twips(LargeurCRC), Champ_CRC->height());
    LabelCRC->resize(Twips(LargeurLabelCRC), LabelCRC->height());
    Check2->setEnabled(true);
    Check2->setText(QStringLiteral("Trame de données. RTR dominant"));
    Visu_CAN->Efface_Graduations_X();
    Init_Axe_X();
    Efface_Donnees();
    for (size_t k = 0; k < Data.size(); ++k) Data[k]->setText(chiffres.mid(2 * int(k), 2));
    const QString dlc = Controle->text().isEmpty() ? QString() : QString::number(std::min(FD.saisie.DLC, 8));
    if (Controle->text() == dlc)
        Controle_Change(); // the classic handler sets the classic DLC bits, layout and window
    else
        Controle->setText(dlc);
}

void Form1::CheckBRS_Click() {
    FD.saisie.BRS = CheckBRS->isChecked();
    if (FD.actif && !T.Bits_ID.empty()) Construit_Trame();
}

void Form1::CheckESI_Click() {
    FD.saisie.ESI = CheckESI->isChecked();
    if (FD.actif && !T.Bits_ID.empty()) Construit_Trame();
}

void Form1::DonneesFD_KeyPress(int& code) {
    T.Long_Max = static_cast<int16_t>(DonneesFD->capacite());
    Filtre_Clavier(code, DonneesFD->chiffres());
}

void Form1::DonneesFD_Change() {
    if (!FD.actif) return;
    FD.saisie.Octets = Octets(DonneesFD->chiffres());
    if (!T.Bits_ID.empty()) Construit_Trame();
}

void Form1::Controle_Change_FD() {
    const QString texte = Controle->text();
    FD.saisie.DLC = texte.isEmpty() ? 0 : Val_Hexa(texte.toStdString());
    Aff_Donnees();
    if (!T.Bits_ID.empty()) Construit_Trame();
    Ajust_Aff();
}

void Form1::Aff_Donnees_FD() {
    for (size_t k = 0; k < Data.size(); ++k) {
        Data[k]->hide();
        LabelD[k]->hide();
    }
    const int longueur = std::max(0, Longueur_FD(FD.saisie.DLC));
    const int capacite = 2 * longueur;

    // A lower DLC keeps the bytes it no longer shows; a higher one gives them back,
    // after the bytes typed (not after a lone digit, which would shift them).
    QString chiffres = DonneesFD->chiffres();
    if (chiffres.size() > capacite) {
        FD.reserve.prepend(chiffres.mid(capacite));
        chiffres.truncate(capacite);
    } else if (chiffres.size() % 2 == 0) {
        const auto n = std::min(capacite - chiffres.size(), FD.reserve.size());
        chiffres += FD.reserve.left(n);
        FD.reserve.remove(0, n);
    }
    DonneesFD->setCapacite(std::max(capacite, DonneesFD->capacite()));
    DonneesFD->setChiffres(chiffres);
    DonneesFD->setCapacite(capacite);

    const QString sens = Texte_DLC(FD.saisie.DLC);
    Controle->setToolTip(sens);
    LabelDonneesFD->setText(QStringLiteral("Données : ") + sens);
    LabelDonneesFD->setVisible(longueur > 0);
    DonneesFD->setVisible(longueur > 0);
    const QSize taille = DonneesFD->Taille_Pour(longueur);
    DonneesFD->setGeometry(Twips(GaucheDonneesFD), Twips(HautDonneesFD), taille.width(),
                           std::max(taille.height(), Twips(HauteurBoite)));
    // The CRC follows the data, as in the frame.
    const int gauche =
        longueur > 0 ? (DonneesFD->geometry().right() + 1) * 15 + EcartCRC : GaucheCRCSansDonnees;
    Place(Champ_CRC, gauche);
    Place(LabelCRC, gauche);
}

void Form1::Ecrit_Trame_FD(bool identifiantComplet) {
    FD.saisie.Bits_ID = T.Bits_ID;
    FD.trame = Construit_Trame_FD(FD.saisie);
    const TrameFD& r = FD.trame;
    Text1->setText(QString::fromStdString(r.Text1));
    // Written before the stuffed texts, as for a classic frame: a new CRC resets the plot.
    Champ_CRC->setText(QString::fromStdString(r.Champ_CRC));
    Trame_Bin->setText(QString::fromStdString(r.Trame_Bin));
    Trame_Bin->setCursorPosition(0);
    if (!identifiantComplet) return;
    Affiche_Stuffee(r.TrameDR, r.Trame_Bin_Stuf, r.Text2);
    // Other bits: what the plot shows belongs to a frame that no longer exists. The
    // very same bits (a lone digit typed) let a run go on.
    if (Memes_Bits(Dessin.Bits(), r.Bits)) return;
    BP_Clear_Click();
    Dessin.Prepare(r.Bits, Rapport_Debit());
    Init_Axe_X();
    Ajust_Aff();
}

bool Form1::Saisie_FD_Complete() const {
    // Only lengths are counted, as for a classic frame: the contents were checked as typed.
    const int chiffresId = Check1->isChecked() ? 8 : 3;
    const QString dlc = Controle->text();
    return Identifiant->text().size() == chiffresId && dlc.size() == 1 &&
           DonneesFD->chiffres().size() == 2 * Longueur_FD(Val_Hexa(dlc.toStdString()));
}

int Form1::Rapport_Debit() const {
    return Rapport2->isChecked() ? 2 : Rapport8->isChecked() ? 8 : 4;
}

void Form1::Rapport_Click(QAction* item) {
    for (QAction* r : {Rapport2, Rapport4, Rapport8}) r->setChecked(r == item);
    if (!Dessin.Actif()) return;
    // The fast cells change width: the drawing starts again on the new time axis.
    BP_Clear_Click();
    Transmission bits = Dessin.Bits();
    Dessin.Prepare(std::move(bits), Rapport_Debit());
    Init_Axe_X();
    Ajust_Aff();
}

} // namespace varnel
