#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "outils.h"

// The reference's two examples, whole: the lone transmitter nobody acknowledges, and receiver 1
// reading a data bit inverted (a CRC error only it finds).
TEST(Erreurs, ExemplesDeReference) {
    const std::string sept =
        "Trame brute: 0 00100100011 0 000010 00010001 00100010 000010010110111 11 1111111\n"
        "Nb bits: 59\n"
        "CRC: 4B7\n"
        "Trame stuffée: 0001001000110000011000010001001000100000110010110111111111111\n"
        "Nb bits stuffée: 61\n"
        "Symboles: DDDrDDrDDDrrDDDDDSrDDDDrDDDrDDrDDDrDDDDDSrDDrDrrDrrrrrrrrrrrrr\n"
        "Durée: 65 bits (intermission comprise), 130 µs à 500000 bit/s\n"; // 52 + 10 + 3 bits of 2 µs
    const std::string trame = "00010010001100000110000100010010001000001100101101111";
    EXPECT_EQ(Lance({"--erreur", "ack", "--tentatives", "1", "-d", "2", "123", "11", "22"}),
              sept + "Erreur: erreur d'acquittement, émetteur, drapeau au bit 54\n" + "Bus: " + trame +
                  "100000011111111111\n" + "Emetteur: " + trame + "100000011111111111\n" + "Récepteur 1: " +
                  std::string(71, '1') + "\n" + "Récepteur 2: " + std::string(71, '1') + "\n" +
                  "Compteurs: TEC 8, REC1 0, REC2 0\n"
                  "Etats: émetteur actif, récepteur 1 actif, récepteur 2 actif\n0\n");
    EXPECT_EQ(Lance({"--erreur=recepteur:24", "--tentatives=1", "123", "11", "22"}),
              sept +
                  "Erreur: erreur de CRC, récepteur 1, drapeau au bit 55\n"
                  "Erreur: erreur de forme, émetteur, drapeau au bit 56\n"
                  "Erreur: erreur de forme, récepteur 2, drapeau au bit 56\n" +
                  "Bus: " + trame + "01000000011111111111\n" + "Emetteur: " + trame +
                  "11100000011111111111\n" + "Récepteur 1: " + std::string(53, '1') +
                  "11000000111111111111\n" + "Récepteur 2: " + std::string(53, '1') +
                  "01100000011111111111\n" +
                  "Compteurs: TEC 8, REC1 9, REC2 1\n"
                  "Etats: émetteur actif, récepteur 1 actif, récepteur 2 actif\n0\n");
}

// The event lines, in their order, each followed by "|".
static std::string Evenements(const std::string& sortie) {
    std::string s;
    for (size_t p = 0, fin; (fin = sortie.find('\n', p)) != std::string::npos; p = fin + 1) {
        const std::string ligne = sortie.substr(p, fin - p);
        for (const char* debut : {"Erreur: ", "Arbitrage perdu: ", "Surcharge: "})
            if (ligne.rfind(debut, 0) == 0) s += ligne + "|";
    }
    return s;
}

// Other runs, read line by line: the events, the final counters and states.
TEST(Erreurs, Cas) {
    const struct {
        std::vector<std::string> arguments;
        std::string evenements, compteurs, etats;
    } cas[] = {
        {{"--erreur", "bus:3", "123"},
         "Arbitrage perdu: émetteur au bit 3|Erreur: erreur de stuff, émetteur, drapeau au bit 10|"
         "Erreur: erreur de stuff, récepteur 1, drapeau au bit 10|Erreur: erreur de stuff, récepteur 2, "
         "drapeau "
         "au bit 10|",
         "TEC 0, REC1 0, REC2 0",
         "émetteur actif, récepteur 1 actif, récepteur 2 actif"},
        {{"--erreur", "récepteur:61", "123", "11", "22"},
         "Surcharge: récepteur 1, drapeau au bit 62|Surcharge: émetteur, drapeau au bit 63|"
         "Surcharge: récepteur 2, drapeau au bit 63|",
         "TEC 0, REC1 0, REC2 0",
         "émetteur actif, récepteur 1 actif, récepteur 2 actif"},
        {{"--erreur", "emetteur:25", "--tec", "250", "--rec=130", "123", "11", "22"},
         "Erreur: erreur de bit, émetteur, drapeau au bit 26|Erreur: erreur de stuff, récepteur 1, drapeau "
         "au "
         "bit 32|Erreur: erreur de stuff, récepteur 2, drapeau au bit 32|",
         "TEC 258, REC1 131, REC2 131",
         "émetteur bus off, récepteur 1 passif, récepteur 2 passif"},
        {{"--erreur", "ack", "--tentatives", "3", "--tec", "120", "123"},
         "Erreur: erreur d'acquittement, émetteur, drapeau au bit 37|Erreur: erreur d'acquittement, "
         "émetteur, "
         "drapeau au bit 99|Erreur: erreur d'acquittement, émetteur, drapeau au bit 161|",
         "TEC 128, REC1 0, REC2 0",
         "émetteur passif, récepteur 1 actif, récepteur 2 actif"},
        // CAN FD: a dynamic stuff bit of the data phase read wrong.
        {{"--fd", "--brs", "--erreur", "recepteur:25", "042", "00", "01", "02", "03", "04", "05", "06", "07"},
         "Erreur: erreur de stuff, récepteur 1, drapeau au bit 26|Erreur: erreur de stuff, émetteur, drapeau "
         "au "
         "bit 32|Erreur: erreur de stuff, récepteur 2, drapeau au bit 32|",
         "TEC 7, REC1 8, REC2 0",
         "émetteur actif, récepteur 1 actif, récepteur 2 actif"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.arguments[1]);
        const std::string s = Lance(c.arguments);
        ASSERT_EQ(s.substr(s.size() - 3), "\n0\n") << s;
        EXPECT_EQ(Evenements(s), c.evenements);
        EXPECT_EQ(Champ(s, "Compteurs"), c.compteurs);
        EXPECT_EQ(Champ(s, "Etats"), c.etats);
        const size_t n = Champ(s, "Bus").size();
        EXPECT_EQ(Champ(s, "Emetteur").size() + Champ(s, "Récepteur 1").size() +
                      Champ(s, "Récepteur 2").size(),
                  3 * n);
    }
}

// The VCD of a run: the bus, the transmitter's drive and each receiver's, after 11 idle bits;
// the comment names the disturbance.
TEST(Erreurs, VCD) {
    Dossier d;
    const std::string f = (d.chemin / "erreur.vcd").string();
    const std::string s = Lance({"--erreur", "recepteur:24", "--vcd", f, "123", "11", "22"});
    ASSERT_EQ(s.substr(s.size() - 3), "\n0\n") << s;
    const std::string repos(11, '1'), fin(3, '1');
    const std::map<std::string, std::string> attendu = {
        {"$comment", "trame standard de donnees, identifiant 123, DLC 2, CRC 4B7, perturbation recepteur:24"},
        {"$timescale", "1 ns"},
        {"can_rx", repos + Champ(s, "Bus") + fin},
        {"can_tx", repos + Champ(s, "Emetteur") + fin},
        {"rx1_tx", repos + Champ(s, "Récepteur 1") + fin},
        {"rx2_tx", repos + Champ(s, "Récepteur 2") + fin}};
    EXPECT_EQ(Relit(f, 2000), attendu);
}

// Every bad value: one line, status 2, nothing on stdout, no VCD.
TEST(Erreurs, Refus) {
    Dossier d;
    const std::string spec =
        "la perturbation doit être bus:N, emetteur:N ou recepteur:N (N le numéro du bit, 0 "
        "pour le SOF) ou ack, pas ";
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"--erreur", "bus", "123"}, spec + "« bus »"},
        {{"--erreur", "bus:", "123"}, spec + "« bus: »"},
        {{"--erreur", "bus:-1", "123"}, spec + "« bus:-1 »"},
        {{"--erreur", "bus:1x", "123"}, spec + "« bus:1x »"},
        {{"--erreur", "recepteur2:3", "123"}, spec + "« recepteur2:3 »"},
        {{"--erreur", "ACK", "123"}, spec + "« ACK »"},
        {{"--erreur", "", "123"}, spec + "«  »"},
        {{"--erreur", "bus:9999999", "123"}, spec + "« bus:9999999 »"},
        {{"--erreur", "bus:48", "123"},
         "le bit 48 tombe après la première tentative, qui occupe les bits 0 à 47"},
        {{"--erreur", "ack", "--tentatives", "0", "123"},
         "le nombre de tentatives doit être un nombre de 1 à 1000, pas « 0 »"},
        {{"--erreur", "ack", "--tentatives=1001", "123"},
         "le nombre de tentatives doit être un nombre de 1 à 1000, pas « 1001 »"},
        {{"--erreur", "ack", "--tec", "256", "123"}, "le TEC doit être un nombre de 0 à 255, pas « 256 »"},
        {{"--erreur", "ack", "--tec", "-1", "123"}, "le TEC doit être un nombre de 0 à 255, pas « -1 »"},
        {{"--erreur", "ack", "--rec", "2e2", "123"}, "le REC doit être un nombre de 0 à 255, pas « 2e2 »"},
        {{"--erreur"}, "l'option --erreur attend une valeur"},
        {{"--tentatives", "3", "123"}, "l'option --tentatives ne s'emploie qu'avec --erreur"},
        {{"--tec", "3", "123"}, "l'option --tec ne s'emploie qu'avec --erreur"},
        {{"--rec=3", "123"}, "l'option --rec ne s'emploie qu'avec --erreur"},
        {{"--fd", "--esi", "--erreur", "ack", "123"},
         "avec --erreur, l'ESI suit l'état de l'émetteur: --esi ne s'emploie pas (--tec 128 donne un "
         "émetteur "
         "passif)"},
        {{"--t", "3", "123"}, "option ambiguë « --t » (--tentatives, --tec)"},
    };
    for (auto [arguments, message] : cas) {
        arguments.insert(arguments.begin(), {"--vcd", (d.chemin / "f.vcd").string()});
        EXPECT_EQ(Lance(arguments), "varnel-trame: " + message + "\n2\n");
        EXPECT_EQ(d.Fichiers(), 0);
    }
}

// CAN FD: the frame tells the transmitter's state in ESI. Error passive from the start, the
// six lines are those of the frame with ESI recessive; passive after a first attempt, it sends
// that frame again.
TEST(Erreurs, ESIDeLEmetteurFD) {
    const std::string passif = Lance({"--fd", "--esi", "042", "55"});
    const std::string stuffee = Champ(passif, "Trame stuffée");
    const std::string envoye = stuffee.substr(0, stuffee.size() - 9) + std::string(13, '1');
    const std::string d = Lance({"--fd", "--erreur", "ack", "--tentatives=1", "--tec", "128", "042", "55"});
    EXPECT_EQ(d.substr(0, d.find("\nErreur")), passif.substr(0, passif.find("\n0\n")));
    const std::string e =
        Champ(Lance({"--fd", "--erreur", "emetteur:30", "--tec", "120", "042", "55"}), "Emetteur");
    ASSERT_GT(e.size(), envoye.size());
    EXPECT_EQ(e.substr(e.size() - envoye.size()), envoye);
}
