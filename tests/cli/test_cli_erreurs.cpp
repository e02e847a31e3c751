#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "outils.h"

// The run: what follows the frame's own lines (tested with the frame).
static std::string Deroulement(const std::vector<std::string>& arguments) {
    const std::string s = Lance(arguments);
    return s.substr(s.find('\n', s.find("\nDurée: ") + 1) + 1);
}

static std::string Etats(const std::string& e, const std::string& r) {
    return "Etats: émetteur " + e + ", récepteur 1 " + r + ", récepteur 2 " + r + "\n0\n";
}

static std::string Erreur(const std::string& type, const std::string& noeud, int bit) {
    return "Erreur: erreur " + type + ", " + noeud + ", drapeau au bit " + std::to_string(bit) + "\n";
}

// The reference's two examples, first attempt: the lone transmitter nobody acknowledges, and
// receiver 1 reading a data bit inverted, a CRC error only it finds.
TEST(Erreurs, ExemplesDeReference) {
    // The frame's own lines come first, as without a disturbance, -d included.
    const std::string seule = Lance({"-d", "2", "123", "11", "22"}),
                      avec = Lance({"--erreur", "ack", "-d", "2", "123", "11", "22"});
    EXPECT_EQ(avec.substr(0, avec.find("Erreur: ")), seule.substr(0, seule.size() - 2));
    const std::string trame = "00010010001100000110000100010010001000001100101101111";
    EXPECT_EQ(Deroulement({"--erreur", "ack", "--tentatives", "1", "123", "11", "22"}),
              Erreur("d'acquittement", "émetteur", 54) + "Bus: " + trame + "100000011111111111\nEmetteur: " +
                  trame + "100000011111111111\nRécepteur 1: " + std::string(71, '1') + "\nRécepteur 2: " +
                  std::string(71, '1') + "\nCompteurs: TEC 8, REC1 0, REC2 0\n" + Etats("actif", "actif"));
    EXPECT_EQ(Deroulement({"--erreur=recepteur:24", "--tentatives=1", "123", "11", "22"}),
              Erreur("de CRC", "récepteur 1", 55) + Erreur("de forme", "émetteur", 56) +
                  Erreur("de forme", "récepteur 2", 56) + "Bus: " + trame +
                  "01000000011111111111\nEmetteur: " + trame + "11100000011111111111\nRécepteur 1: " +
                  std::string(53, '1') + "11000000111111111111\nRécepteur 2: " + std::string(53, '1') +
                  "01100000011111111111\nCompteurs: TEC 8, REC1 9, REC2 1\n" + Etats("actif", "actif"));
}

// Each way to name the disturbance and the counters to start from, each kind of event line: the
// events, counters and states (the four level lines left out).
TEST(Erreurs, Cas) {
    const std::string stuff = "de stuff", r1 = "récepteur 1", r2 = "récepteur 2";
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        // The transmitter alone reads a recessive identifier bit dominant; its flag comes last.
        {{"--erreur=émetteur:3", "123"},
         "Arbitrage perdu: émetteur au bit 3\n" + Erreur(stuff, r1, 9) + Erreur(stuff, r2, 9) +
             Erreur(stuff, "émetteur", 15) + "Compteurs: TEC 0, REC1 8, REC2 8\n" + Etats("actif", "actif")},
        // Receiver 1's overload flag at bit 64, the third intermission bit: a SOF for the others.
        {{"--erreur", "récepteur:63", "--tec", "5", "--rec=5", "123", "11", "22"},
         "Surcharge: récepteur 1, drapeau au bit 64\n" + Erreur(stuff, "émetteur", 70) +
             Erreur(stuff, r2, 70) + "Compteurs: TEC 4, REC1 4, REC2 5\n" + Etats("actif", "actif")},
        {{"--erreur", "bus:25", "--tec", "250", "--rec", "130", "123", "11", "22"},
         Erreur("de bit", "émetteur", 26) + Erreur(stuff, r1, 31) + Erreur(stuff, r2, 31) +
             "Compteurs: TEC 258, REC1 131, REC2 131\n" + Etats("bus off", "passif")},
        // Passive from the second attempt on: eight suspend bits make each attempt 62 bits long.
        {{"--erreur", "ack", "--tentatives", "3", "--tec", "120", "123"},
         Erreur("d'acquittement", "émetteur", 37) + Erreur("d'acquittement", "émetteur", 99) +
             Erreur("d'acquittement", "émetteur", 161) + "Compteurs: TEC 128, REC1 0, REC2 0\n" +
             Etats("passif", "actif")},
    };
    for (const auto& [arguments, attendu] : cas) {
        const std::string s = Deroulement(arguments);
        EXPECT_EQ(s.substr(0, s.find("Bus: ")) + s.substr(s.find("Compteurs: ")), attendu);
    }
}

// The VCD of a run: the bus and each node's drive after 11 idle bits; the comment names the
// disturbance.
TEST(Erreurs, VCD) {
    Dossier d;
    const std::string f = d / "erreur.vcd";
    const std::string s = Lance({"--erreur", "recepteur:24", "--vcd", f, "123", "11", "22"}), repos(11, '1');
    std::map<std::string, std::string> attendu = {
        {"$comment", "trame standard de donnees, identifiant 123, DLC 2, CRC 4B7, perturbation recepteur:24"},
        {"$timescale", "1 ns"}};
    for (const auto& [signal, ligne] : std::map<std::string, std::string>{
             {"can_rx", "Bus"}, {"can_tx", "Emetteur"}, {"rx1_tx", "Récepteur 1"}, {"rx2_tx", "Récepteur 2"}})
        attendu[signal] = repos + Champ(s, ligne) + "111";
    EXPECT_EQ(Relit(f, 2000), attendu);
}

// Every bad value: one line, status 2, nothing on stdout, no VCD.
TEST(Erreurs, Refus) {
    Dossier d;
    const std::string tentatives = "le nombre de tentatives doit être un nombre de 1 à 1000, pas ";
    std::vector<std::pair<std::vector<std::string>, std::string>> cas = {
        {{"--erreur=bus:48", "123"},
         "le bit 48 tombe après la première tentative, qui occupe les bits 0 à 47"},
        {{"--erreur=ack", "--tentatives", "0", "123"}, tentatives + "« 0 »"},
        {{"--erreur=ack", "--tentatives=1001", "123"}, tentatives + "« 1001 »"},
        {{"--erreur=ack", "--tec", "256", "123"}, "le TEC doit être un nombre de 0 à 255, pas « 256 »"},
        {{"--erreur=ack", "--tec", "-1", "123"}, "le TEC doit être un nombre de 0 à 255, pas « -1 »"},
        {{"--erreur"}, "l'option --erreur attend une valeur"},
        {{"--t", "3", "123"}, "option ambiguë « --t » (--tentatives, --tec)"},
        {{"--erreur=ack", "--rec", "2e2", "123"}, "le REC doit être un nombre de 0 à 255, pas « 2e2 »"},
        {{"--tentatives", "3", "123"}, "l'option --tentatives ne s'emploie qu'avec --erreur"},
        {{"--rec=3", "123"}, "l'option --rec ne s'emploie qu'avec --erreur"},
        {{"--fd", "--esi", "--erreur", "ack", "123"},
         "avec --erreur, l'ESI suit l'état de l'émetteur: --esi ne s'emploie pas (--tec 128 donne un "
         "émetteur passif)"},
    };
    for (const char* p : {"bus", "bus:", "bus:-1", "bus:1x", "recepteur2:3", "ACK", "", "bus:9999999"})
        cas.push_back({{"--erreur", p, "123"},
                       "la perturbation doit être bus:N, emetteur:N ou recepteur:N (N le "
                       "numéro du bit, 0 pour le SOF) ou ack, pas « " +
                           std::string(p) + " »"});
    for (auto [arguments, message] : cas) {
        arguments.insert(arguments.begin(), {"--vcd", d / "f.vcd"});
        EXPECT_EQ(Lance(arguments), "varnel-trame: " + message + "\n2\n");
        EXPECT_EQ(d.Fichiers(), 0);
    }
}

// CAN FD: ESI tells the transmitter's state. Passive from the start, the six lines are those of the
// frame with ESI recessive; passive after a first attempt, it sends that frame, gets through, and
// is active again.
TEST(Erreurs, ESIDeLEmetteurFD) {
    const std::string passif = Lance({"--fd", "--esi", "042", "55"}), bits = Champ(passif, "Trame stuffée");
    const std::string d = Lance({"--fd", "--erreur", "ack", "--tentatives=1", "--tec", "128", "042", "55"});
    EXPECT_EQ(d.substr(0, d.find("\nErreur")), passif.substr(0, passif.find("\n0\n")));
    const std::string s = Lance({"--fd", "--erreur", "emetteur:30", "--tec", "120", "042", "55"});
    const std::string e = Champ(s, "Emetteur"), envoye = bits.substr(0, bits.size() - 9) + "1111111111111";
    EXPECT_EQ(e.substr(e.size() - envoye.size()), envoye);
    EXPECT_EQ(s.substr(s.find("Compteurs: ")),
              "Compteurs: TEC 127, REC1 0, REC2 0\n" + Etats("actif", "actif"));
}
