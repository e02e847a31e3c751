// The controls of the main window, placed at their fixed positions (in twips).
#include "app/apparence.h"
#include "app/form1.h"
#include "editor/boite_hexa.h"
#include "editor/boite_octets.h"
#include "simulation/visu_plot.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace varnel {

namespace {

// Client area of the window, below the menu bar.
constexpr int LargeurClient = 15195;
constexpr int HauteurClient = 10305;

// The longest caption of the RTR check boxes.
QString requete() {
    return QStringLiteral("Trame de requête. RTR récessif");
}

using Couleurs::Bleu;
using Couleurs::Gris;
using Couleurs::Rouge;

void place(QWidget* w, int gauche, int haut, int largeur, int hauteur) {
    w->setGeometry(Twips(gauche), Twips(haut), Twips(largeur), Twips(hauteur));
}

// The font of the hexadecimal fields and the CRC box: bold Arial 9.75 pt (fontconfig
// gives Liberation Sans, which has Arial's metrics).
QFont policeChamp() {
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(9.75);
    f.setBold(true);
    return f;
}

// The small bold font of the preference status line.
QFont policeStatut(const QFont& base) {
    QFont f(base);
    f.setPointSizeF(8.25);
    f.setBold(true);
    return f;
}

QFrame* cadre(QWidget* parent, const char* nom, int gauche, int haut, int largeur, int hauteur) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(nom));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Sunken);
    // Opaque, so that what lies under an area on the window stays hidden behind it.
    f->setAutoFillBackground(true);
    place(f, gauche, haut, largeur, hauteur);
    return f;
}

// A label, top-aligned like a classic form label. Its width grows to its text when the
// design width is too narrow for this system's font, so no caption is ever cut.
QLabel* etiquette(QWidget* parent, const QString& nom, const QString& texte, int gauche, int haut,
                  int largeur, int hauteur, bool centre = false) {
    auto* l = new QLabel(texte, parent);
    l->setObjectName(nom);
    l->setAlignment((centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    place(l, gauche, haut, largeur, hauteur);
    return l;
}

QCheckBox* caseACocher(QWidget* parent, const QString& nom, const QString& texte, int gauche, int haut,
                       int largeur, int hauteur) {
    auto* c = new QCheckBox(texte, parent);
    c->setObjectName(nom);
    place(c, gauche, haut, largeur, hauteur);
    return c;
}

QLineEdit* boiteTexte(QWidget* parent, const QString& nom, int gauche, int haut, int largeur, int hauteur,
                      bool verrouillee) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(nom);
    t->setReadOnly(verrouillee);
    place(t, gauche, haut, largeur, hauteur);
    return t;
}

BoiteHexa* boiteHexa(QWidget* parent, const QString& nom, int longueurMax, int gauche, int haut, int largeur,
                     int hauteur) {
    auto* b = new BoiteHexa(parent);
    b->setObjectName(nom);
    b->setMaxLength(longueurMax);
    b->setAlignment(Qt::AlignCenter);
    b->setFont(policeChamp());
    place(b, gauche, haut, largeur, hauteur);
    return b;
}

QTableWidget* grille(QWidget* parent, const QString& nom, int lignes, int colonnes, int gauche, int haut,
                     int largeur, int hauteur) {
    auto* g = new QTableWidget(lignes, colonnes, parent);
    g->setObjectName(nom);
    // Row 0 and column 0 are ordinary cells that the table set-up styles as headers.
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setFocusPolicy(Qt::NoFocus);
    place(g, gauche, haut, largeur, hauteur);
    return g;
}

// Makes a control as wide as the widest of its captions needs, if its design width
// is too narrow for this system's fonts, so that no caption is ever cut.
void elargitAuTexte(QWidget* w, const QString& texte, std::initializer_list<QString> autres = {}) {
    int besoin = w->sizeHint().width();
    if (autres.size() > 0) {
        const QFontMetrics fm(w->font());
        const int avance = fm.horizontalAdvance(texte);
        int texteMax = avance;
        for (const QString& t : autres) texteMax = std::max(texteMax, fm.horizontalAdvance(t));
        besoin += texteMax - avance;
    }
    if (besoin > w->width()) w->resize(besoin, w->height());
}

} // namespace

void Couleur_Texte(QWidget* w, int couleur) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, couleurQt(couleur));
    p.setColor(QPalette::Text, couleurQt(couleur));
    p.setColor(QPalette::ButtonText, couleurQt(couleur));
    w->setPalette(p);
}

void Form1::Cree_Controles() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1_client"));
    client->setFixedSize(Twips(LargeurClient), Twips(HauteurClient));
    // The classic dialog font of the design (MS Sans Serif 8.25 pt); Arial's metrics are
    // the closest this system has, so the captions fit their design widths.
    QFont police(QStringLiteral("Arial"));
    police.setPointSizeF(8.25);
    client->setFont(police);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // ---- Frame entry and frame display -------------------------------------------
    Frame_Trame = cadre(client, "Frame_Trame", 120, 120, 14895, 3015);
    QWidget* f = Frame_Trame;
    Labe1 = etiquette(f, QStringLiteral("Labe1"), QStringLiteral("Format de trame"), 120, 200, 1215, 375);
    Check1 = caseACocher(f, QStringLiteral("Check1"), QStringLiteral("Standard"), 120, 440, 1095, 375);
    Check3 = caseACocher(f, QStringLiteral("Check3"), QStringLiteral("Low speed"), 120, 840, 1575, 375);
    Label2 =
        etiquette(f, QStringLiteral("Label2"), QStringLiteral("Identifiant à émettre"), 1560, 195, 1575, 375);
    Identifiant = boiteHexa(f, QStringLiteral("Identifiant"), 3, 1680, 480, 1215, 375);
    Label1 = etiquette(f, QStringLiteral("Label1"), QStringLiteral("Type de trame"), 1680, 960, 1095, 255);
    Check2 = caseACocher(f, QStringLiteral("Check2"), QStringLiteral("Trame de données. RTR dominant"), 2790,
                         960, 3015, 255);
    Label3 = etiquette(f, QStringLiteral("Label3"), QStringLiteral("DLC"), 3120, 195, 615, 375, true);
    Controle = boiteHexa(f, QStringLiteral("Controle"), 1, 3120, 480, 615, 375);
    Controle->setText(QStringLiteral("0"));
    for (int n = 0; n < 8; ++n) {
        const QString k = QString::number(n);
        LabelD[n] = etiquette(f, QStringLiteral("LabelD") + k, QStringLiteral("D") + k, 3840 + 360 * n, 195,
                              375, 255, true);
        Data[n] = boiteHexa(f, QStringLiteral("Data") + k, 2, 3840 + 360 * n, 480, 375, 375);
    }
    LabelCRC = etiquette(f, QStringLiteral("LabelCRC"), QStringLiteral("CRC"), 6840, 195, 615, 255, true);
    Champ_CRC = boiteTexte(f, QStringLiteral("Champ_CRC"), 6840, 480, 735, 375, true);
    Champ_CRC->setMaxLength(4);
    Champ_CRC->setAlignment(Qt::AlignCenter);
    Champ_CRC->setFont(policeChamp());
    Picture2 = new QLabel(f);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The banner is drawn 80 mm wide (4535 twips) from the box's top-left corner. The
    // picture is stored at that size: decoding a larger one and scaling it took an
    // eighth of the start-up.
    Picture2->setPixmap(QPixmap(QStringLiteral(":/images/bandeau.png")));
    place(Picture2, 8400, 240, 6375, 1335);
    Label7 = etiquette(f, QStringLiteral("Label7"), QStringLiteral("Trame brute sans bit de stuff"), 120,
                       1680, 2175, 255);
    Trame_Bin = boiteTexte(f, QStringLiteral("Trame_Bin"), 120, 1920, 13935, 285, true);
    Label6 = etiquette(f, QStringLiteral("Label6"), QStringLiteral("Nb Bits"), 14160, 1680, 615, 375);
    Text1 = boiteTexte(f, QStringLiteral("Text1"), 14160, 1920, 615, 285, true);
    Label5 = etiquette(f, QStringLiteral("Label5"), QStringLiteral("Trame stuffée"), 120, 2280, 1215, 255);
    Couleur_Texte(Label5, Rouge);
    Trame_Bin_Stuf = boiteTexte(f, QStringLiteral("Trame_Bin_Stuf"), 120, 2520, 13935, 285, true);
    Label4 = etiquette(f, QStringLiteral("Label4"), QStringLiteral("Nb Bits"), 14160, 2280, 615, 375);
    Couleur_Texte(Label4, Rouge);
    Text2 = boiteTexte(f, QStringLiteral("Text2"), 14160, 2520, 615, 285, true);
    Couleur_Texte(Text2, Rouge);

    // CAN FD: the frame kind under the other format choices, the two flags of the
    // control field beside it, and one box for the bytes of any FD length where the
    // banner stands (the FD layout hides the banner).
    CheckFD = caseACocher(f, QStringLiteral("CheckFD"), QStringLiteral("CAN 2.0"), 120, 1240, 1095, 375);
    CheckBRS = caseACocher(f, QStringLiteral("CheckBRS"), QStringLiteral("BRS : débit rapide"), 1680, 1240,
                           1800, 375);
    CheckESI = caseACocher(f, QStringLiteral("CheckESI"), QStringLiteral("ESI : émetteur passif"), 3600, 1240,
                           2200, 375);
    LabelDonneesFD = etiquette(f, QStringLiteral("LabelDonneesFD"), QString(), 6000, 195, 5700, 255);
    DonneesFD = new BoiteOctets(f);
    DonneesFD->setObjectName(QStringLiteral("DonneesFD"));
    // A fixed-width face keeps the bytes in columns, sixteen to a line.
    QFont chasseFixe(QStringLiteral("Courier New"));
    chasseFixe.setStyleHint(QFont::Monospace);
    chasseFixe.setPointSizeF(9.75);
    chasseFixe.setBold(true);
    DonneesFD->setFont(chasseFixe);
    place(DonneesFD, 6000, 480, 5700, 375);

    // ---- Signal plot ---------------------------------------------------------------
    Frame_simul = cadre(client, "Frame_simul", 120, 3120, 14895, 7575);
    f = Frame_simul;
    Label11 = etiquette(f, QStringLiteral("Label11"), QStringLiteral("Préférences d'affichage :"), 120, 120,
                        2175, 255);
    Label11->setFont(policeStatut(police));
    Couleur_Texte(Label11, Gris);
    struct Statut {
        QLabel** label;
        const char* nom;
        const char* texte;
        int gauche, largeur;
    };
    const Statut statuts[] = {
        {&Pref_Legende, "Pref_Legende", "Légende ON", 2280, 1215},
        {&Pref_TB, "Pref_TB", "Trame brute ON", 3600, 1455},
        {&Pref_TS, "Pref_TS", "Trame stuffée ON", 5160, 2055},
        {&Pref_Em, "Pref_Em", "Emetteur ON", 6960, 1215},
        {&Pref_Rec, "Pref_Rec", "Récepteur ON", 8400, 1575},
        {&Pref_Bus, "Pref_Bus", "Bus ON", 9960, 1575},
    };
    for (const Statut& s : statuts) {
        *s.label =
            etiquette(f, QLatin1String(s.nom), QString::fromUtf8(s.texte), s.gauche, 120, s.largeur, 255);
        (*s.label)->setFont(policeStatut(police));
        Couleur_Texte(*s.label, Bleu);
    }
    Visu_CAN = new VisuPlot(f);
    Visu_CAN->setObjectName(QStringLiteral("Visu_CAN"));
    place(Visu_CAN, 120, 480, 14535, 6615);
    BP_Clear = new QPushButton(QStringLiteral("Effacer"), f);
    BP_Clear->setObjectName(QStringLiteral("BP_Clear"));
    place(BP_Clear, 360, 600, 735, 375);
    Text4 = boiteTexte(f, QStringLiteral("Text4"), 240, 480, 735, 285, true);
    Couleur_Texte(Text4, 0);
    Text4->hide();
    // Over the plot's title row, which they take while a disturbance is chosen: the
    // counters right of "Effacer", the detections beyond.
    Compteurs = etiquette(f, QStringLiteral("Compteurs"), QString(), 1200, 510, 4800, 255);
    Compteurs->setFont(policeStatut(police));
    Detections = etiquette(f, QStringLiteral("Detections"), QString(), 6150, 510, 8400, 255);
    Detections->setFont(policeStatut(police));
    Couleur_Texte(Detections, Rouge);
    Compteurs->hide();
    Detections->hide();

    // ---- Arbitration plot ----------------------------------------------------------
    // Made with the window: hidden, it is neither laid out nor drawn until arbitration
    // mode first shows it, so it costs little. The node entry area is made on first use.
    Frame_Arb = cadre(client, "Frame_Arb", 1320, 2640, 14895, 7185);
    Visu_ARB = new VisuPlot(Frame_Arb);
    Visu_ARB->setObjectName(QStringLiteral("Visu_ARB"));
    Visu_ARB->Plage_X(0, 75);
    place(Visu_ARB, 120, 240, 14535, 6115);

    // Lies on the window itself, under the areas that cover it: it holds the frame's
    // symbol string for the program, not for the user, so it never takes the focus.
    TrameDR = boiteTexte(client, QStringLiteral("TrameDR"), 240, 2880, 10575, 285, true);
    Couleur_Texte(TrameDR, Rouge);
    TrameDR->setFocusPolicy(Qt::NoFocus);
    TrameDR->lower();

    // Captions that this system's fonts draw wider than their design boxes get the
    // room they need (for every caption the program gives them); none of them has a
    // neighbour on its right close enough to overlap.
    for (QLabel* l : {Labe1, Label2, Label1, Label7, Label5, Label11}) elargitAuTexte(l, l->text());
    elargitAuTexte(Check1, Check1->text(), {QStringLiteral("Etendue")});
    elargitAuTexte(Check3, Check3->text(), {QStringLiteral("High speed")});
    elargitAuTexte(CheckFD, CheckFD->text(), {QStringLiteral("CAN FD")});
    for (QCheckBox* c : {CheckBRS, CheckESI}) elargitAuTexte(c, c->text());
    elargitAuTexte(Check2, Check2->text(), {requete()});
    for (QLabel* l : {Pref_Legende, Pref_TB, Pref_TS, Pref_Em, Pref_Rec, Pref_Bus}) {
        QString off = l->text();
        off.replace(QStringLiteral(" ON"), QStringLiteral(" OFF"));
        elargitAuTexte(l, l->text(), {off});
    }
}

// Node entry: a third of the window's controls (four tables, three more hexadecimal
// boxes), which frame simulation never shows. They are made the first time they are
// needed, so that the window shows sooner.
void Form1::Cree_Zone_Arbitrage() {
    if (Frame_Iden.existe()) return;
    QWidget* client = centralWidget();

    // ---- Node entry -------------------------------------------------------------------
    Frame_Iden = cadre(client, "Frame_Iden", 3480, 3240, 14895, 3735);
    QWidget* f = Frame_Iden;
    Label9 = etiquette(f, QStringLiteral("Label9"), QStringLiteral("Identifiants à émettre"), 960, 240, 1695,
                       375, true);
    const int hautLabel[3] = {540, 1380, 2220};
    const int hautNoeud[3] = {480, 1320, 2160};
    const int hautCheck[3] = {520, 1365, 2205};
    const int hautGrille[3] = {240, 1080, 1920};
    const char* const nomsLabel[3] = {"Label8", "Label10", "Label12"};
    for (int k = 0; k < 3; ++k) {
        const QString n = QString::number(k + 1);
        LabelN[k] = etiquette(f, QLatin1String(nomsLabel[k]), QStringLiteral("Noeud ") + n, 240, hautLabel[k],
                              855, 255, true);
        Noeud[k] = boiteHexa(f, QStringLiteral("Noeud") + n, 3, 1200, hautNoeud[k], 1215, 315);
        CheckN[k] =
            caseACocher(f, QStringLiteral("CheckN") + n, QStringLiteral("Trame de données. RTR dominant"),
                        2520, hautCheck[k], 3015, 255);
        GridN[k] = grille(f, QStringLiteral("GridN") + n, 3, 14, 5640, hautGrille[k], k == 0 ? 7760 : 7755,
                          k == 0 ? 730 : 735);
    }
    GridBus = grille(f, QStringLiteral("GridBus"), 1, 13, 5640, 2760, 6555, 255);
    BP_RAZ = new QPushButton(QStringLiteral("Nouvelle simulation"), f);
    BP_RAZ->setObjectName(QStringLiteral("BP_RAZ"));
    place(BP_RAZ, 1080, 3000, 1935, 375);

    elargitAuTexte(Label9, Label9->text());
    for (QCheckBox* c : CheckN) elargitAuTexte(c, c->text(), {requete()});
    elargitAuTexte(BP_RAZ, BP_RAZ->text());

    // Hidden until arbitration mode shows it, under the plot area, which overlaps it by
    // a line.
    Frame_Iden->hide();
    Frame_Iden->stackUnder(Frame_Arb);
    Connecte_Noeuds();
}

} // namespace varnel
