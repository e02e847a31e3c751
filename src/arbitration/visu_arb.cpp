// The arbitration plot: the level each node writes and the level of the bus, as
// four stacked square waves, one bit cell of 5 X units per step, with the name of
// the contended bit above each cell; and the four menu items that hide a trace.

#include "app/form1.h"
#include "arbitration/grilles.h"
#include "editor/boite_hexa.h"
#include "simulation/niveaux.h"
#include "simulation/visu_plot.h"

#include <QAction>

namespace varnel {

using namespace arbitrage;

namespace {

// Levels of the traces (plot Y units), node 1 .. node 3 and the bus.
constexpr std::array<double, 3> Recessif_N{43, 67, 91};
constexpr std::array<double, 3> Dominant_N{28, 52, 76};
constexpr double Recessif_Bus = 19;
constexpr double Dominant_Bus = 4;

constexpr double LargeurBit = 5;

constexpr const char* NomsMasq[4] = {"Noeud1", "Noeud2", "Noeud3", "Bus"};

// Draws one bit cell from x to x + 5 after a trace left at `niveau` (1 recessive,
// 0 dominant): a vertical edge at x when the level changes, then the flat top.
void Trace_Bit(Courbe* courbe, double& niveau, bool recessif, double x, double haut, double bas,
               int couleur) {
    const double y = recessif ? haut : bas;
    if ((niveau > 0.5) != recessif) courbe->Ajoute_Point(x, y, couleur);
    courbe->Ajoute_Point(x + LargeurBit, y, couleur);
    niveau = recessif ? 1 : 0;
}

} // namespace

void Form1::Init_Visu_Arb() {
    Visu_ARB->Efface_Graduations_Y();
    Visu_ARB->Ajoute_Graduation_Y(Dominant_Bus, QStringLiteral("Bus CAN"));
    for (int k = 0; k < 3; ++k)
        Visu_ARB->Ajoute_Graduation_Y(Dominant_N[k], QStringLiteral("Noeud %1").arg(k + 1));

    // The same four traces serve every run: cleared and given their idle stub again.
    // A trace the user has hidden stays hidden, as its menu item says.
    const auto prepare = [this](Courbe*& courbe, const QString& nom, double haut, int couleur,
                                const QAction* masq) {
        if (courbe)
            courbe->Efface_Points();
        else
            courbe = Visu_ARB->Ajoute_Courbe(nom);
        courbe->Decalage_Y(masq->isChecked() ? 0 : bus::DecalageCache);
        courbe->Ajoute_Point(0, haut, couleur);
        courbe->Ajoute_Point(0, haut, couleur);
        courbe->Ajoute_Point(LargeurBit, haut, couleur);
    };
    for (int k = 2; k >= 0; --k)
        prepare(Courbe_N[k], QStringLiteral("Noeud %1").arg(k + 1), Recessif_N[k], Vert, Masq[k]);
    prepare(Courbe_Bus, QStringLiteral("Bus CAN"), Recessif_Bus, Noir, Masq[3]);

    X_Arb = LargeurBit;
    Niveau_N = {1, 1, 1};
    Niveau_Bus = 1;
}

void Form1::Aff_Arb() {
    if (!Courbe_Bus) return; // no plot set up: nothing to draw on
    const double x = X_Arb;
    for (int k = 0; k < 3; ++k) {
        Courbe* courbe = Courbe_N[k];
        if (Noeud[k]->text().isEmpty()) {
            courbe->Efface_Points();
            continue;
        }
        const bool perte_deja_tracee = Perte_Tracee_N[k];
        if (Bit_N[k] == Bit_Bus && !Hors_N[k]) {
            Trace_Bit(courbe, Niveau_N[k], Bit_N[k] == QLatin1String("R"), x, Recessif_N[k], Dominant_N[k],
                      Vert);
        } else if (!perte_deja_tracee && Hors_N[k] && Bit_N[k] != Bit_Bus) {
            // Lost at this bit (or had no bit at all: then there is nothing to draw).
            if (!Bit_N[k].isEmpty())
                Trace_Bit(courbe, Niveau_N[k], true, x, Recessif_N[k], Dominant_N[k], Rouge);
            Perte_Tracee_N[k] = true;
        }
        if (perte_deja_tracee) courbe->Ajoute_Point(x + LargeurBit, Recessif_N[k], Rouge);
    }
    Trace_Bit(Courbe_Bus, Niveau_Bus, Bit_Bus == QLatin1String("R"), x, Recessif_Bus, Dominant_Bus, Noir);

    const int n = 12 - Pas_Arb;
    Aff_Texte_Arb(x + 1, 90, n >= 0 ? QStringLiteral("ID%1").arg(n) : QStringLiteral("RTR"), 0, Noir);
    X_Arb = x + LargeurBit;
}

void Form1::Aff_Texte_Arb(double x, double y, const QString& texte, int angle, int couleur) {
    Annot_Courante = Visu_ARB->Ajoute_Annotation(x, y, couleur);
    Annotation item = Visu_ARB->Annotation_Item(Annot_Courante);
    item.texte = texte;
    item.ancre = 3;
    item.taille = 14;
    item.angle = angle;
    item.visible = true;
    Visu_ARB->Modifie_Annotation(Annot_Courante, item);
}

void Form1::Masq_Click(int k) {
    QAction* item = Masq[k];
    Courbe* courbe = k < 3 ? Courbe_N[k] : Courbe_Bus;
    const bool montre = item->isChecked();
    item->setChecked(!montre);
    if (courbe) courbe->Decalage_Y(montre ? bus::DecalageCache : 0);
    item->setText((montre ? QStringLiteral("Afficher ") : QStringLiteral("Masquer ")) +
                  QLatin1String(NomsMasq[k]));
    Visu_ARB->Rafraichit();
}

} // namespace varnel
