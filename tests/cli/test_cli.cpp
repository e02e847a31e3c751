#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>

#include "outils.h"

using essai::Lance;
using essai::Resultat;

TEST(Sortie, ExempleStandard123) {
    const Resultat r = Lance({"123"});
    EXPECT_EQ(r.statut, 0);
    EXPECT_EQ(r.erreurs, "");
    EXPECT_EQ(r.sortie, "Trame brute: 0 00100100011 0 000000 110100001011000 11 1111111\n"
                        "Nb bits: 43\n"
                        "CRC: 6858\n"
                        "Trame stuffée: 00010010001100000100110100001011000111111111\n"
                        "Nb bits stuffée: 44\n"
                        "Symboles: DDDrDDrDDDrrDDDDDSDDrrDrDDDDrDrrDDDrrrrrrrrrr\n");
}

TEST(Sortie, DlcOctetsEtRequetes) {
    struct Cas {
        std::vector<std::string> arguments;
        std::string id;
        bool etendue, requete;
        int dlc;
        std::vector<std::string> octets;
    };
    const Cas cas[] = {
        {{"123", "ab"}, "123", false, false, 1, {"AB"}},
        {{"-d", "1", "123", "AB"}, "123", false, false, 1, {"AB"}},
        {{"--dlc=2", "7ef", "01", "ff"}, "7EF", false, false, 2, {"01", "FF"}},
        {{"-d2", "7EF", "01", "FF"}, "7EF", false, false, 2, {"01", "FF"}},
        {{"123", "00", "11", "22", "33", "44", "55", "66", "77"},
         "123",
         false,
         false,
         8,
         {"00", "11", "22", "33", "44", "55", "66", "77"}},
        {{"-r", "123"}, "123", false, true, 0, {}},
        {{"-r", "-d", "2", "123"}, "123", false, true, 2, {}},
        {{"--requete", "--dlc", "8", "--etendue", "1abcdef0"}, "1ABCDEF0", true, true, 8, {}},
        {{"-er", "-d", "3", "00000000"}, "00000000", true, true, 3, {}},
        {{"-e", "12345678", "01", "02", "03"}, "12345678", true, false, 3, {"01", "02", "03"}},
        {{"--", "000"}, "000", false, false, 0, {}},
    };
    for (const Cas& c : cas) {
        const Resultat r = Lance(c.arguments);
        const std::string quoi = c.arguments.back();
        EXPECT_EQ(r.statut, 0) << quoi << r.erreurs;
        EXPECT_EQ(r.erreurs, "") << quoi;
        EXPECT_EQ(r.sortie, essai::Six_Lignes(
                                essai::Trame_Moteur(c.id, c.etendue, c.requete, c.dlc, c.octets)))
            << quoi;
    }
    // A remote frame carries its DLC but no data: three blanks before the CRC group.
    EXPECT_NE(Lance({"-r", "-d", "2", "123"}).sortie.find("1 000010   "), std::string::npos);
}

TEST(Sortie, Aide) {
    for (const char* option : {"-h", "--help"}) {
        const Resultat r = Lance({option});
        EXPECT_EQ(r.statut, 0);
        EXPECT_EQ(r.erreurs, "");
        EXPECT_EQ(r.sortie, varnel::Usage_Varnel_Trame());
        EXPECT_NE(r.sortie.find("--vcd FICHIER"), std::string::npos);
    }
}

TEST(Refus, EntreesInvalides) {
    const std::string sept = "Valeur non conforme à la norme CAN2.0A: Les 7 bits de poids fort "
                             "de l'identifiant ne doivent pas être tous récessifs! Au moins 1 "
                             "doit être un bit dominant.";
    struct Cas {
        std::vector<std::string> arguments;
        std::string message; // the whole line after "varnel-trame: ", or a part of it
        bool entier;
    };
    const Cas cas[] = {
        {{}, "il manque l'identifiant", false},
        {{"12G"}, "l'identifiant « 12G » n'est pas une valeur hexadécimale", true},
        {{"12"}, "l'identifiant « 12 » a 2 chiffres hexadécimaux, il en faut 3", false},
        {{"1234"}, "a 4 chiffres hexadécimaux, il en faut 3", false},
        {{""}, "a 0 chiffre hexadécimal, il en faut 3", false},
        {{"-e", "123"}, "a 3 chiffres hexadécimaux, il en faut 8 en trame étendue", false},
        {{"7F0"}, sept, true},
        {{"7ff"}, sept, true},
        {{"800"},
         "Valeur non conforme à la norme CAN2.0A: En mode standard, la longueur du champ "
         "identifiant est de 11 bits!",
         true},
        {{"-e", "1FC00000"}, "Valeur non conforme à la norme CAN2.0B: Les 7 bits", false},
        {{"-e", "20000000"},
         "Valeur non conforme à la norme CAN2.0B: En mode étendu, la longueur du champ "
         "identifiant est de 29 bits!",
         true},
        {{"-d", "9", "123"}, "le DLC doit être un nombre de 0 à 8, pas « 9 »", true},
        {{"-d", "-1", "123"}, "le DLC doit être un nombre de 0 à 8, pas « -1 »", true},
        {{"--dlc=", "123"}, "le DLC doit être un nombre de 0 à 8, pas «  »", true},
        {{"-d", "A", "123"}, "le DLC doit être", false},
        {{"123", "-d"}, "l'option -d attend une valeur", true},
        {{"123", "--vcd"}, "l'option --vcd attend une valeur", true},
        {{"-d", "2", "123", "01"}, "le DLC 2 demande 2 octets de données, 1 donné", true},
        {{"-d", "1", "123", "01", "02"}, "le DLC 1 demande 1 octet de données, 2 donnés", true},
        {{"-d", "0", "123", "01"}, "le DLC 0 demande", false},
        {{"123", "00", "11", "22", "33", "44", "55", "66", "77", "88"},
         "trop d'octets de données: 9 (8 au plus)",
         true},
        {{"123", "1"}, "l'octet « 1 » doit avoir deux chiffres hexadécimaux, pas 1", true},
        {{"123", "123"}, "l'octet « 123 » doit avoir deux chiffres hexadécimaux, pas 3", true},
        {{"123", "0g"}, "l'octet « 0g » n'est pas une valeur hexadécimale", true},
        {{"-r", "123", "01"},
         "une trame de requête ne porte aucun octet de données (1 octet donné)",
         true},
        {{"-x", "123"}, "option inconnue « -x »", true},
        {{"-ex", "123"}, "option inconnue « -x »", true},
        {{"--etendu", "123"}, "option inconnue « --etendu »", true},
        {{"--etendue=1", "12345678"}, "l'option --etendue ne prend pas de valeur", true},
        {{"--debit", "0", "123"}, "le débit doit être un nombre entier", false},
        {{"--debit", "1000000001", "123"}, "le débit doit être", false},
        {{"--debit=5e5", "123"}, "pas « 5e5 »", false},
        {{"--vcd", "", "123"}, "impossible d'écrire le fichier VCD «  »", false},
    };
    for (const Cas& c : cas) {
        const Resultat r = Lance(c.arguments);
        const std::string quoi = c.arguments.empty() ? "(rien)" : c.arguments.back();
        EXPECT_EQ(r.statut, 2) << quoi;
        EXPECT_EQ(r.sortie, "") << quoi;
        ASSERT_EQ(r.erreurs.rfind("varnel-trame: ", 0), 0u) << quoi << ": " << r.erreurs;
        ASSERT_EQ(r.erreurs.find('\n'), r.erreurs.size() - 1) << "une seule ligne: " << r.erreurs;
        EXPECT_EQ(r.erreurs.find('\r'), std::string::npos) << r.erreurs;
        const std::string ligne = r.erreurs.substr(14, r.erreurs.size() - 15);
        if (c.entier)
            EXPECT_EQ(ligne, c.message) << quoi;
        else
            EXPECT_NE(ligne.find(c.message), std::string::npos) << quoi << ": " << ligne;
    }
}

TEST(Refus, FichierVCDImpossibleNeLaisseRien) {
    essai::Dossier d;
    std::filesystem::create_directory(d.chemin / "sous-dossier");
    const std::string cas[] = {
        (d.chemin / "absent" / "f.vcd").string(), // missing directory
        (d.chemin / "sous-dossier").string(),     // a directory, not a file
    };
    for (const std::string& chemin : cas) {
        const Resultat r = Lance({"123", "--vcd", chemin});
        EXPECT_EQ(r.statut, 2) << chemin;
        EXPECT_EQ(r.sortie, "");
        EXPECT_NE(r.erreurs.find("impossible d'écrire le fichier VCD « " + chemin + " »"),
                  std::string::npos)
            << r.erreurs;
    }
    EXPECT_EQ(d.Fichiers(), std::vector<std::string>{"sous-dossier"});

    // A refused frame writes no file either, even when the path is fine.
    const std::string f = (d.chemin / "f.vcd").string();
    EXPECT_EQ(Lance({"7F0", "--vcd", f}).statut, 2);
    EXPECT_FALSE(std::filesystem::exists(f));

    // Read-only directory (not enforced for root).
    if (geteuid() != 0) {
        std::filesystem::create_directory(d.chemin / "lecture");
        chmod((d.chemin / "lecture").c_str(), 0555);
        const Resultat r = Lance({"123", "--vcd", (d.chemin / "lecture" / "f.vcd").string()});
        EXPECT_EQ(r.statut, 2);
        EXPECT_NE(r.erreurs.find("permission refusée"), std::string::npos) << r.erreurs;
        chmod((d.chemin / "lecture").c_str(), 0755);
    }
}

TEST(Programme, SortieEtStatutReels) {
    const std::string outil = essai::Outil();
    Resultat r = essai::Commande(outil + " 123 2>/dev/null");
    EXPECT_EQ(r.statut, 0);
    EXPECT_EQ(r.sortie, Lance({"123"}).sortie);

    r = essai::Commande(outil + " 12G 2>/dev/null");
    EXPECT_EQ(r.statut, 2);
    EXPECT_EQ(r.sortie, "");
    r = essai::Commande(outil + " 12G 2>&1 >/dev/null");
    EXPECT_EQ(r.sortie, "varnel-trame: l'identifiant « 12G » n'est pas une valeur hexadécimale\n");

    r = essai::Commande(outil + " --help 2>/dev/null");
    EXPECT_EQ(r.statut, 0);
    EXPECT_EQ(r.sortie, varnel::Usage_Varnel_Trame());
}
