#pragma once
// A recording stand-in for the desktop services: every message box is recorded and
// answered from a script (OK, or Oui unless told otherwise), the clipboard is a
// variable, printing and opening documents are recorded.

#include "app/plateforme.h"

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

    // The last message's text, or an empty text when none was shown.
    QString dernierMessage() const { return messages.empty() ? QString() : messages.back().texte; }
};

} // namespace varnel
