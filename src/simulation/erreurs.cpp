// The "Erreurs" menu: one disturbance of the frame on a bus of three nodes, and the run
// it gives drawn like any transmission given as data (simulation/dessin_transmission.*).
//
// The run comes from the bus model (frame/bus_erreurs.h), as for varnel-trame --erreur:
// the same frame and disturbance give the same bits in both. It is computed again each
// time the frame, the disturbance or the initial counters change; when its bits change,
// the plot is reset as for a frame edit. The counters line follows the
// bit time just drawn, and each detection is told in words at its step; both lines take
// the place of the plot's title.

#include "app/form1.h"
#include "app/plateforme.h"
#include "simulation/visu_plot.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <cmath>

namespace varnel {

namespace {

using Sorte = Perturbation::Sorte;

// The three disturbances of one bit, in the order of the menu and of the right-click menu.
constexpr Sorte SortesBit[] = {Sorte::Bus, Sorte::Emetteur, Sorte::Recepteur};

// "du bus", "de l'émetteur", "du récepteur": what a disturbance of one bit hits.
QString Cible(Sorte s) {
    return s == Sorte::Bus        ? QStringLiteral("du bus")
           : s == Sorte::Emetteur ? QStringLiteral("de l'émetteur")
                                  : QStringLiteral("du récepteur");
}

bool Sur_Un_Bit(Sorte s) {
    return s == Sorte::Bus || s == Sorte::Emetteur || s == Sorte::Recepteur;
}

QString Nom(const char* texte) {
    return QString::fromUtf8(texte);
}

// "TEC 8   REC1 1   REC2 1   émetteur actif", and the state of a receiver that is not
// error active.
QString Texte_Compteurs(const std::array<::varnel::Compteurs, NbNoeuds>& c) {
    QString t = QStringLiteral("TEC %1   REC1 %2   REC2 %3   émetteur %4")
                    .arg(c[NoeudEmetteur].tec)
                    .arg(c[NoeudRecepteur1].rec)
                    .arg(c[NoeudRecepteur2].rec)
                    .arg(Nom(Nom_Etat(c[NoeudEmetteur].etat)));
    for (int n : {NoeudRecepteur1, NoeudRecepteur2})
        if (c[n].etat != EtatErreur::Actif)
            t += QStringLiteral(", %1 %2").arg(Nom(Nom_Noeud(n)), Nom(Nom_Etat(c[n].etat)));
    return t;
}

// What happens at bit time `bit` of the run, in words, the nodes that find the same error
// together ("bit 56 : erreur de forme détectée par l'émetteur et le récepteur 2"); empty
// when nothing does.
QString Texte_Detections(const Deroulement& d, int bit) {
    const auto qui = [&](int noeud) {
        QString nom = noeud == NoeudEmetteur ? QStringLiteral("l'émetteur")
                                             : QStringLiteral("le ") + Nom(Nom_Noeud(noeud));
        // A node sends its flag from this bit time, unless it has just gone bus off.
        if (static_cast<size_t>(bit) < d.bits.size() && d.compteurs[bit][noeud].etat == EtatErreur::BusOff)
            nom += QStringLiteral(", qui passe bus off");
        else if (static_cast<size_t>(bit) < d.bits.size() && Niveau(d.bits[bit], noeud) == '1')
            nom += QStringLiteral(" (drapeau passif)");
        return nom;
    };
    QStringList faits;
    std::vector<bool> dits(d.evenements.size());
    for (size_t i = 0; i < d.evenements.size(); ++i) {
        const Evenement& e = d.evenements[i];
        if (e.bit != bit || dits[i]) continue;
        QStringList noeuds;
        for (size_t j = i; j < d.evenements.size(); ++j) {
            const Evenement& f = d.evenements[j];
            if (f.bit == bit && f.sorte == e.sorte && f.type == e.type) {
                noeuds << qui(f.noeud);
                dits[j] = true;
            }
        }
        const QString tous = noeuds.join(QStringLiteral(" et "));
        switch (e.sorte) {
        case Evenement::Sorte::Erreur:
            faits << QStringLiteral("%1 détectée par %2").arg(Nom(Nom_Erreur(e.type)), tous);
            break;
        case Evenement::Sorte::ArbitragePerdu:
            faits << QStringLiteral("arbitrage perdu par %1").arg(tous);
            break;
        case Evenement::Sorte::Surcharge:
            faits << QStringLiteral("trame de surcharge envoyée par %1").arg(tous);
            break;
        }
    }
    return faits.isEmpty() ? QString()
                           : QStringLiteral("bit %1 : ").arg(bit) + faits.join(QStringLiteral(" ; "));
}

// The bit time drawn at plot X, -1 when no drawn cell holds X.
int Bit_Dessine_En(const Form1& f, double x) {
    if (f.Dessin.Actif()) {
        const int i = f.Dessin.Cellule_En(x);
        return i < static_cast<int>(f.Dessin.Dessines()) ? i : -1;
    }
    // The classic drawing: SOF from X 15, one bit every 5 units.
    const int i = static_cast<int>(std::floor((x - 15) / 5));
    return x >= 15 && i < f.Num_Bit ? i : -1;
}

// The bit under the "<  >" cursor of a drawing, -1 when there is none.
int Bit_Sous_Curseur(const Form1& f) {
    const VisuPlot* v = f.Visu_CAN;
    if (v->Nb_Annotations() == 0 || v->Annotation_Item(0).texte != QLatin1String("<  >")) return -1;
    return Bit_Dessine_En(f, v->Centre_X_Annotation(0));
}

} // namespace

void Form1::Connecte_Erreurs() {
    for (QAction* a : {Err_Aucune, Err_Bus, Err_Emet, Err_Recep, Err_Ack})
        Connecte_Menu(a, [this, a] { Err_Click(a); });
    Connecte_Menu(Err_Compteurs, [this] { Err_Compteurs_Click(); });
}

Transmission Form1::Trame_Emise(Transmission* passive) const {
    if (TrameDR->text().isEmpty()) return {};
    if (!FD.actif) return Transmission_Classique(T);
    if (passive) {
        SaisieFD s = FD.saisie;
        s.ESI = true;
        *passive = Construit_Trame_FD(s).Bits;
    }
    return FD.trame.Bits;
}

void Form1::Err_Click(QAction* item) {
    Perturbation p;
    if (item == Err_Ack) p.sorte = Sorte::Acquittement;
    if (item == Err_Bus || item == Err_Emet || item == Err_Recep) {
        const Sorte sorte = item == Err_Bus    ? Sorte::Bus
                            : item == Err_Emet ? Sorte::Emetteur
                                               : Sorte::Recepteur;
        const int n = static_cast<int>(Trame_Emise().size());
        if (n == 0) {
            plateforme().message(
                QStringLiteral("Saisissez d'abord une trame complète : le bit à perturber se "
                               "choisit parmi les temps bit de la trame."),
                QStringLiteral("Perturbation ") + Cible(sorte), Plateforme::Icone::Exclamation,
                Plateforme::Boutons::Ok);
            return;
        }
        // The bit the cursor points at in a drawing, else the bit chosen last.
        int bit = Bit_Sous_Curseur(*this);
        if (bit < 0 || bit >= n) bit = std::clamp(Err_Perturbation.bit, 0, n - 1);
        std::vector<Plateforme::ChampNombre> champs = {{QStringLiteral("Bit"), 0, n - 1, bit}};
        const QString texte = QStringLiteral("Temps bit à perturber, compté depuis le SOF (bit 0), bits de "
                                             "stuff compris : 0 à %1")
                                  .arg(n - 1);
        if (!plateforme().demandeNombres(QStringLiteral("Perturbation ") + Cible(sorte), texte, champs))
            return;
        p = {sorte, champs[0].valeur};
    }
    Choisit_Perturbation(p);
}

void Form1::Err_Compteurs_Click() {
    std::vector<Plateforme::ChampNombre> champs = {
        {QStringLiteral("TEC de l'émetteur"), 0, 255, Err_Conditions.tec},
        {QStringLiteral("REC des deux récepteurs"), 0, 255, Err_Conditions.rec}};
    if (!plateforme().demandeNombres(QStringLiteral("Compteurs initiaux"),
                                     QStringLiteral("Compteurs d'erreurs au début de l'essai (128 et plus : "
                                                    "erreur passive) :"),
                                     champs))
        return;
    Err_Conditions.tec = champs[0].valeur;
    Err_Conditions.rec = champs[1].valeur;
    Choisit_Perturbation(Err_Perturbation);
}

void Form1::Choisit_Perturbation(const Perturbation& p) {
    // How far the plot was drawn: the new run is drawn as far.
    const bool fini = Trace_Fini;
    const int avant =
        Dessin.Actif() ? static_cast<int>(Dessin.Dessines()) : (Pas_Lance || fini ? Num_Bit : 0);

    Err_Perturbation = p;
    const std::pair<QAction*, Sorte> items[] = {{Err_Aucune, Sorte::Aucune},
                                                {Err_Bus, Sorte::Bus},
                                                {Err_Emet, Sorte::Emetteur},
                                                {Err_Recep, Sorte::Recepteur},
                                                {Err_Ack, Sorte::Acquittement}};
    for (const auto& [item, sorte] : items) item->setChecked(sorte == p.sorte);
    Prepare_Transmission();
    Aff_Erreurs();

    // The same bits as before leave the drawing as it stands.
    const int apres = Dessin.Actif() ? static_cast<int>(Dessin.Dessines()) : Num_Bit;
    if (avant == 0 || apres > 0) return;
    if (fini)
        Instantanne_Click();
    else
        for (int i = 0; i < avant; ++i) Pas_a_Pas_Click();
}

void Form1::Prepare_Transmission() {
    const bool erreur = Err_Perturbation.sorte != Sorte::Aucune;
    if (!erreur && !FD.actif && !Dessin.Actif()) return; // classic frames keep their own drawing

    Transmission passive;
    Transmission bits = Trame_Emise(&passive);
    Err_Deroulement = {};
    if (erreur && !bits.empty()) {
        Err_Deroulement = Simule_Bus(bits, Err_Perturbation, Err_Conditions, FD.actif ? &passive : nullptr);
        bits = Err_Deroulement.bits;
    }
    if (!FD.actif && (!erreur || bits.empty())) {
        // Back to the classic drawing, on its own time axis.
        BP_Clear_Click();
        Dessin.Abandonne();
        Visu_CAN->Efface_Graduations_X();
        Init_Axe_X();
        Ajust_Aff();
        return;
    }
    // The very same bits (a lone digit typed) let a run go on.
    if (Dessin.Actif() && Dessin.Bits() == bits && Dessin.Bit_Marque() == Err_Deroulement.bitPerturbe) return;
    BP_Clear_Click();
    Dessin.Prepare(std::move(bits), Rapport_Debit(), Err_Deroulement.bitPerturbe);
    Init_Axe_X();
    Ajust_Aff();
}

void Form1::Aff_Erreurs() {
    const Perturbation& p = Err_Perturbation;
    const bool erreur = p.sorte != Sorte::Aucune;
    Compteurs->setVisible(erreur);
    Detections->setVisible(erreur);
    Visu_CAN->Titre_Visible(!erreur);
    if (!erreur) return;

    const Deroulement& d = Err_Deroulement;
    const size_t dessines = Dessin.Actif() ? Dessin.Dessines() : 0;
    if (dessines > 0 && dessines <= d.compteurs.size()) {
        Compteurs->setText(Texte_Compteurs(d.compteurs[dessines - 1]));
        const QString mots = Texte_Detections(d, static_cast<int>(dessines) - 1);
        if (!mots.isEmpty()) {
            Detections->setText(mots);
            Detections->setToolTip(mots); // the whole of it, should the line be cut
        }
        return;
    }
    // Nothing drawn: the counters the run starts from, and the disturbance chosen.
    const int tec = Err_Conditions.tec, rec = Err_Conditions.rec;
    Compteurs->setText(Texte_Compteurs({::varnel::Compteurs{tec, 0, Etat_Selon(tec, 0)},
                                        ::varnel::Compteurs{0, rec, Etat_Selon(0, rec)},
                                        ::varnel::Compteurs{0, rec, Etat_Selon(0, rec)}}));
    const int n = static_cast<int>(Trame_Emise().size());
    QString choix = p.sorte == Sorte::Acquittement
                        ? QStringLiteral("Pas d'acquittement : les récepteurs sont débranchés")
                        : QStringLiteral("Perturbation %1 au bit %2").arg(Cible(p.sorte)).arg(p.bit);
    if (Sur_Un_Bit(p.sorte) && n > 0 && p.bit >= n)
        choix = QStringLiteral("Le bit %1 tombe après la trame (bits 0 à %2) : aucune perturbation")
                    .arg(p.bit)
                    .arg(n - 1);
    Detections->setText(choix);
    Detections->setToolTip(choix);
}

void Form1::Menu_Bit(double x, double y) {
    if (!Mode_Trame ||
        !Visu_CAN->axisRect()->rect().contains(QPoint(static_cast<int>(x), static_cast<int>(y))))
        return;
    const int bit = Bit_Dessine_En(*this, Visu_CAN->Pixel_Vers_X(x));
    if (bit < 0 || bit >= static_cast<int>(Trame_Emise().size())) return;
    QStringList items;
    for (Sorte s : SortesBit) items << QStringLiteral("Perturbation %1 au bit %2").arg(Cible(s)).arg(bit);
    const int choix = plateforme().choisitDansMenu(
        items, Visu_CAN->mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(y))));
    if (choix < 0 || choix >= static_cast<int>(std::size(SortesBit))) return;
    Choisit_Perturbation({SortesBit[choix], bit});
}

} // namespace varnel
