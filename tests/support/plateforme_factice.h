#pragma once
// A recording stand-in for the desktop services: every message box is recorded and
// answered from a script (OK, or Oui unless told otherwise), the clipboard is a
// variable, printing and opening documents are recorded. The number dialogs and the
// context menus are recorded too and answered from their own scripts.

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
        QString texte;
        QString titre;
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
        QString titre;
        QString texte;
        std::vector<ChampNombre> champs; // as the dialog showed them
    };
    std::vector<Demande> demandes;
    // Answers of the number dialogs, in order: the values typed (kept within bounds, as
    // a spin box keeps them), or an empty list for "Annuler". No answer left: accepted
    // as shown.
    std::deque<std::vector<int>> saisies;
    std::vector<QStringList> menus;
    std::deque<int> choixMenus; // answers of the context menus; none left: dismissed (-1)

    Reponse message(const QString& texte, const QString& titre, Icone icone, Boutons boutons) override {
        messages.push_back({texte, titre, icone, boutons});
        if (boutons == Boutons::Ok) return Reponse::Ok;
        if (reponses.empty()) return Reponse::Oui;
        Reponse r = reponses.front();
        reponses.pop_front();
        return r;
    }
    void videPressePapier() override { pressePapier = QImage(); }
    void copiePressePapier(const QImage& image) override { pressePapier = image; }
    QImage imagePressePapier() const override { return pressePapier; }
    bool choisitImprimante() override { return imprimanteAcceptee; }
    bool imprime(const QImage& image) override {
        imprimees.push_back(image);
        return true;
    }
    bool ouvreDocument(const QString& chemin) override {
        documentsOuverts.push_back(chemin);
        return true;
    }

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
        choixMenus.pop_front();
        return choix < items.size() ? choix : -1;
    }

    // The last message's text, or an empty text when none was shown.
    QString dernierMessage() const { return messages.empty() ? QString() : messages.back().texte; }
};

} // namespace varnel
