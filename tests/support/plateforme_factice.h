#pragma once
// The desktop services recorded: message boxes, number dialogs and context menus answered from
// scripts, the clipboard a variable, printing and opened documents kept.

#include "app/plateforme.h"

#include <algorithm>
#include <deque>
#include <ostream>
#include <vector>

// Test failures print texts as texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace varnel {

class PlateformeFactice : public Plateforme {
public:
    struct Message {
        QString texte, titre;
        Icone icone;
        Boutons boutons;
    };
    std::vector<Message> messages;
    std::deque<Reponse> reponses; // answers for Oui/Non questions, in order
    QImage pressePapier;
    bool imprimanteAcceptee = true;
    std::vector<QImage> imprimees;
    std::vector<QString> documentsOuverts;

    struct Demande {
        QString titre, texte;
        std::vector<ChampNombre> champs; // as the dialog showed them
    };
    std::vector<Demande> demandes;
    // Number dialogs' answers: values typed (kept within bounds), {} for "Annuler"; none left: as shown.
    std::deque<std::vector<int>> saisies;
    std::vector<QStringList> menus;
    std::deque<int> choixMenus; // answers of the context menus; none left: dismissed (-1)

    Reponse message(const QString& texte, const QString& titre, Icone icone, Boutons boutons) override {
        messages.push_back({texte, titre, icone, boutons});
        if (boutons == Boutons::Ok) return Reponse::Ok;
        if (reponses.empty()) return Reponse::Oui;
        const Reponse r = reponses.front();
        return reponses.pop_front(), r;
    }
    void videPressePapier() override { pressePapier = QImage(); }
    void copiePressePapier(const QImage& image) override { pressePapier = image; }
    QImage imagePressePapier() const override { return pressePapier; }
    bool choisitImprimante() override { return imprimanteAcceptee; }
    bool imprime(const QImage& image) override { return imprimees.push_back(image), true; }
    bool ouvreDocument(const QString& chemin) override { return documentsOuverts.push_back(chemin), true; }

    bool demandeNombres(const QString& titre, const QString& texte,
                        std::vector<ChampNombre>& champs) override {
        demandes.push_back({titre, texte, champs});
        if (saisies.empty()) return true;
        const std::vector<int> valeurs = saisies.front();
        saisies.pop_front();
        if (valeurs.empty()) return false;
        for (size_t i = 0; i < champs.size() && i < valeurs.size(); ++i)
            champs[i].valeur = std::clamp(valeurs[i], champs[i].min, champs[i].max);
        return true;
    }
    int choisitDansMenu(const QStringList& items, const QPoint&) override {
        menus.push_back(items);
        if (choixMenus.empty()) return -1;
        const int choix = choixMenus.front();
        return choixMenus.pop_front(), choix < items.size() ? choix : -1;
    }

    // The last message's text, empty when none was shown.
    QString dernierMessage() const { return messages.empty() ? QString() : messages.back().texte; }
};

} // namespace varnel
