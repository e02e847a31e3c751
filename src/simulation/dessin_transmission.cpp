#include "simulation/dessin_transmission.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

namespace varnel {

namespace {

// The cell [x, x + largeur] at the level of `niveau` ('0' dominant) on one trace: an
// edge first when the trace stands at the other level.
void Cellule(Courbe* c, const bus::Niveaux& n, double x, double largeur, char niveau) {
    if (!c) return;
    const double y = niveau == '0' ? n.dominant : n.recessif;
    if (c->Nb_Points() == 0 || c->Points().back().y != y) c->Ajoute_Point(x, y, n.couleur);
    c->Ajoute_Point(x + largeur, y, n.couleur);
}

// A text over the plot; anchor 4 centres it on x, whatever the zoom.
void Texte(const SupportDessin& s, double x, double y, const QString& texte, int angle, int couleur,
           int ancre) {
    const int i = s.plot->Ajoute_Annotation(x, y, couleur);
    Annotation a = s.plot->Annotation_Item(i);
    a.texte = texte;
    a.angle = angle;
    a.taille = s.taille;
    a.ancre = ancre;
    a.visible = true;
    s.plot->Modifie_Annotation(i, a);
}

constexpr int Orange = 0x0080FF;

} // namespace

const MarqueGenre& Marque_Genre(Genre g) {
    // Indexed by Genre, in its order.
    static const MarqueGenre Table[] = {
        {"", Couleurs::Noir, ""},       // Trame
        {"S", Couleurs::Bleu, "Stuff"}, // Stuff
        {"F", Orange, "Stuff fixe"},    // StuffFixe
        {"", Couleurs::Noir, ""},       // Drapeau
        {"", Couleurs::Noir, ""},       // DelimiteurErreur
        {"", Couleurs::Noir, ""},       // Surcharge
        {"", Couleurs::Noir, ""},       // DelimiteurSurcharge
        {"", Couleurs::Noir, ""},       // Intermission
        {"", Couleurs::Noir, ""},       // Suspension
        {"", Couleurs::Noir, ""},       // Repos
    };
    static_assert(std::size(Table) == static_cast<size_t>(Genre::Repos) + 1, "one entry per Genre");
    return Table[static_cast<size_t>(g)];
}

QString Texte_Inspection(const QString& texte) {
    // The classic drawing marks its stuff bits "S" too; a lower-case "s" reads the same.
    if (texte == "s") return QStringLiteral("Stuff");
    for (int g = 0; g <= static_cast<int>(Genre::Repos); ++g) {
        const MarqueGenre& m = Marque_Genre(static_cast<Genre>(g));
        if (*m.marque && texte == QLatin1String(m.marque)) return QString::fromUtf8(m.inspection);
    }
    return texte;
}

void DessinTransmission::Prepare(Transmission bits, int rapport) {
    bits_ = std::move(bits);
    actif_ = true;
    debuts_.assign(1, 15); // three idle bit times before the first cell
    debuts_.reserve(bits_.size() + 1);
    const double rapide = 5.0 / (rapport > 0 ? rapport : 1);
    for (const TempsBit& b : bits_)
        debuts_.push_back(debuts_.back() + (b.phase == Phase::Donnees ? rapide : 5));
    Remet_A_Zero();
}

void DessinTransmission::Abandonne() {
    bits_.clear();
    debuts_.assign(1, 15);
    actif_ = false;
    Remet_A_Zero();
}

void DessinTransmission::Remet_A_Zero() {
    dessines_ = 0;
    etat_ = Etat::Repos;
}

bool DessinTransmission::Dessine_Suivant(const SupportDessin& s) {
    if (Tout_Dessine() || !s.plot) return false;
    const double yTextes = s.legende ? bus::YChamps : bus::YCache;
    if (dessines_ == 0)
        Texte(s, 0, s.legende ? bus::YIdle : bus::YCache, QStringLiteral("Idle"), 0, Couleurs::Vert, 3);

    const size_t i = dessines_++;
    const TempsBit& b = bits_[i];
    const double x = Debut(i), l = Largeur(i), milieu = x + l / 2;
    Cellule(s.emetteur, bus::Emet, x, l, b.emetteur);
    Cellule(s.recepteur, bus::Recep, x, l, b.recepteur1);
    Cellule(s.canh, bus::CANH, x, l, b.bus);
    Cellule(s.canl, bus::CANL, x, l, b.bus);

    if (!b.etiquette.empty())
        Texte(s, milieu, yTextes, QString::fromStdString(b.etiquette), 90,
              b.champ == Champ::SOF ? Couleurs::Rouge : Couleurs::Vert, 4);
    const MarqueGenre& m = Marque_Genre(b.genre);
    if (*m.marque) Texte(s, milieu, yTextes, QString::fromUtf8(m.marque), 0, m.couleur, 4);
    return true;
}

} // namespace varnel
