// candump's frames and log lines, the time of a frame on the bus, and a log read whole.
#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "cli/candump.h"
#include "cli/journal.h"
#include "frame/trame.h"
#include "frame/trame_fd.h"
#include "outils.h"

using namespace varnel;

namespace {

// The fields of a frame in one text: identifier, format, flags, DLC and bytes.
std::string Decrit(const TrameCandump& t) {
    std::string d =
        Identifiant_Candump(t) + " " + Format_Trame(t, true) + " dlc " + std::to_string(t.dlc) + ":";
    for (size_t k = 0; k < t.longueur; ++k) {
        char o[4];
        std::snprintf(o, sizeof o, " %02X", t.donnees[k]);
        d += o;
    }
    return d;
}

std::string Bits(uint32_t v, size_t n) {
    return std::bitset<32>(v).to_string().substr(32 - n);
}

// The frame as the window's engine builds it, one character per bit: its bit times.
Transmission Par_Le_Texte(const TrameCandump& t) {
    const std::string id = t.etendue
                               ? Bits(t.identifiant >> 18, 11) + " 11 " + Bits(t.identifiant & 0x3FFFF, 18)
                               : Bits(t.identifiant, 11);
    if (t.fd) {
        SaisieFD s{id, t.brs, t.esi, t.dlc,
                   std::vector<uint8_t>(t.donnees.begin(), t.donnees.begin() + t.longueur)};
        return Construit_Trame_FD(s).Bits;
    }
    Trame f;
    f.Bits_ID = id;
    f.Bit_RTR = t.requete ? "1" : "0";
    f.Bits_Ctrl = "00" + Bits(t.dlc, 4);
    for (size_t k = 0; k < t.longueur; ++k) f.Bits_D[k] = Bits(t.donnees[k], 8);
    f.Construit_Trame(std::to_string(t.requete ? t.dlc : t.longueur), true);
    return Transmission_Classique(f);
}

// A log written to a file, opened for reading.
struct Fichier {
    Dossier d;
    std::string chemin = (d.chemin / "candump.log").string();
    int fd = -1;
    explicit Fichier(const std::string& contenu) {
        std::ofstream(chemin, std::ios::binary) << contenu;
        fd = open(chemin.c_str(), O_RDONLY);
    }
    ~Fichier() { close(fd); }
};

// Reads a log as varnel-trame does: the status, then what went to stdout and to stderr.
std::tuple<int, std::string, std::string> Analyse(const std::string& contenu, uint32_t debit = 500000,
                                                  uint32_t donnees = 2000000, bool csv = false) {
    Fichier f(contenu);
    std::ostringstream sortie, erreurs;
    const int statut = Analyse_Journal(f.fd, {debit, donnees, csv, "le journal", "v: "}, sortie, erreurs);
    return {statut, sortie.str(), erreurs.str()};
}

} // namespace

// Every form candump writes, and those it reads: bytes with or without dots, both cases,
// the two identifier widths, remote frames, FD with each flag digit and every FD length.
TEST(Candump, FormesLues) {
    const std::pair<std::string, std::string> cas[] = {
        {"123#", "123 standard dlc 0:"},
        {"123#01FF", "123 standard dlc 2: 01 FF"},
        {"7ef#01.ff.A5", "7EF standard dlc 3: 01 FF A5"},
        {"7ef#.01FF.", "7EF standard dlc 2: 01 FF"}, // as cansend reads them
        {"000#0011223344556677", "000 standard dlc 8: 00 11 22 33 44 55 66 77"},
        {"12345678#00", "12345678 étendue dlc 1: 00"},
        {"1FFFFFFF#", "1FFFFFFF étendue dlc 0:"},
        {"123#R", "123 standard requête dlc 0:"},
        {"123#R3", "123 standard requête dlc 3:"},
        {"00000001#r8", "00000001 étendue requête dlc 8:"},
        {"123##0", "123 FD standard dlc 0:"},
        {"123##1AB", "123 FD standard BRS dlc 1: AB"},
        {"123##2AB", "123 FD standard ESI dlc 1: AB"},
        {"1abcdef0##3.01.02", "1ABCDEF0 FD étendue BRS ESI dlc 2: 01 02"},
        {"123##5" + std::string(24, 'F'), "123 FD standard BRS dlc 9: FF FF FF FF FF FF FF FF FF FF FF FF"},
        {"123##4" + std::string(128, '0'),
         "123 FD standard dlc 15:" + std::string(64 * 3, ' ')}, // " 00" each
    };
    for (const auto& [texte, attendu] : cas) {
        TrameCandump t;
        EXPECT_EQ(Lit_Trame_Candump(texte, t), "") << texte;
        std::string d = Decrit(t);
        if (t.longueur == 64) d = std::regex_replace(d, std::regex(" 00"), "   ");
        EXPECT_EQ(d, attendu);
    }
}

// Each malformed frame with its reason.
TEST(Candump, FormesRefusees) {
    const std::pair<std::string, std::string> cas[] = {
        {"", "trame vide"},
        {"123", "il manque « # » entre l'identifiant et les données (123#01FF) dans « 123 »"},
        {"12G#00", "l'identifiant « 12G » n'est pas une valeur hexadécimale"},
        {"#00",
         "l'identifiant «  » a 0 chiffre hexadécimal, il en faut 3 (trame standard) ou 8 (trame étendue)"},
        {"1234#00",
         "l'identifiant « 1234 » a 4 chiffres hexadécimaux, il en faut 3 (trame standard) ou 8 (trame "
         "étendue)"},
        {"800#", "l'identifiant standard « 800 » dépasse 7FF (11 bits)"},
        {"20000080#0004",
         "« 20000080 » est une trame d'erreur du contrôleur (bit 29 de l'identifiant), pas une "
         "trame du bus"},
        {"40000000#", "l'identifiant étendu « 40000000 » dépasse 1FFFFFFF (29 bits)"},
        {"123#0", "l'octet « 0 » n'a qu'un chiffre hexadécimal, il en faut deux, dans les données « 0 »"},
        {"123#012", "l'octet « 2 » n'a qu'un chiffre hexadécimal, il en faut deux, dans les données « 012 »"},
        {"123#0.12",
         "l'octet « 0 » n'a qu'un chiffre hexadécimal, il en faut deux, dans les données « 0.12 »"},
        {"123#0G", "« G » n'est pas un chiffre hexadécimal, dans les données « 0G »"},
        {"123#01 FF", "«   » n'est pas un chiffre hexadécimal, dans les données « 01 FF »"},
        {"123#01..02", "deux points se suivent dans les données « 01..02 »"},
        {"123##1..01", "deux points se suivent dans les données « ..01 »"},
        {"123#001122334455667788", "trop d'octets de données: 9 (8 au plus)"},
        {"123#R9", "le DLC d'une trame de requête s'écrit d'un chiffre de 0 à 8 après « R », pas « 9 »"},
        {"123#R01", "le DLC d'une trame de requête s'écrit d'un chiffre de 0 à 8 après « R », pas « 01 »"},
        {"123##", "il manque le chiffre hexadécimal des drapeaux CAN FD après « ## » (1 BRS, 2 ESI)"},
        {"123##G00", "les drapeaux CAN FD « G » ne sont pas un chiffre hexadécimal (1 BRS, 2 ESI)"},
        {"123##800",
         "les drapeaux CAN FD « 8 » ont le bit 8, qui ne veut rien dire (1 BRS, 2 ESI, 4 trame FD)"},
        {"123##1R", "une trame CAN FD n'a pas de forme requête: « 123##1R »"},
        {"123##1" + std::string(18, '0'),
         "une trame CAN FD porte 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas 9"},
        {"123##1" + std::string(130, '0'),
         "une trame CAN FD porte 0 à 8, 12, 16, 20, 24, 32, 48 ou 64 octets de données, pas 65"},
        {"123###1", "les drapeaux CAN FD « # » ne sont pas un chiffre hexadécimal (1 BRS, 2 ESI)"},
        {"123#\x01\x02", "« ? » n'est pas un chiffre hexadécimal, dans les données « ?? »"},
        {"123#" + std::string(50, 'x'),
         "« x » n'est pas un chiffre hexadécimal, dans les données « " + std::string(40, 'x') + "… »"},
    };
    for (const auto& [texte, raison] : cas) {
        TrameCandump t;
        EXPECT_EQ(Lit_Trame_Candump(texte, t), raison) << texte;
    }
}

// Log lines: the timestamp to the nanosecond, blanks, a Windows end of line, the R or T of
// candump -x; and each malformed line with its reason.
TEST(Candump, LignesDuJournal) {
    const std::tuple<std::string, uint64_t, std::string, std::string> lues[] = {
        {"(1436509052.249713) can0 123#01FF", 1436509052249713000, "can0", "123 standard dlc 2: 01 FF"},
        {"(0000000001.000001)\tvcan1\t12345678#R", 1000001000, "vcan1", "12345678 étendue requête dlc 0:"},
        {"(5) can0 123#  \r", 5000000000, "can0", "123 standard dlc 0:"},
        {"(1.123456789) x 123##1 R", 1123456789, "x", "123 FD standard BRS dlc 0:"},
        {"(9999999999.5) can0 7FF#00 T", 9999999999500000000u, "can0", "7FF standard dlc 1: 00"},
    };
    for (const auto& [ligne, instant, interface, trame] : lues) {
        LigneCandump l;
        ASSERT_EQ(Lit_Ligne_Candump(ligne, l), "") << ligne;
        EXPECT_EQ(l.instant, instant);
        EXPECT_EQ(std::string(l.interface), interface);
        EXPECT_EQ(Decrit(l.trame), trame);
    }
    LigneCandump l;
    ASSERT_EQ(Lit_Ligne_Candump("(1436509052.249713) can0 123#01FF", l), "");
    EXPECT_EQ(std::string(l.horodatage) + "|" + std::string(l.texteTrame), "1436509052.249713|123#01FF");

    const std::string modele = " (candump -L : « (1436509052.249713) can0 123#01FF »)";
    const std::pair<std::string, std::string> refusees[] = {
        {"1436509052.249713 can0 123#01FF", "la ligne ne commence pas par un horodatage" + modele},
        {"(14365a) can0 123#", "horodatage illisible: « (14365a) »" + modele},
        {"() can0 123#", "horodatage illisible: « () »" + modele},
        {"(.5) can0 123#", "horodatage illisible: « (.5) »" + modele},
        {"(5.) can0 123#", "horodatage illisible: « (5.) »" + modele},
        {"(1.5 can0 123#", "horodatage illisible: « (1.5 can0 123# »" + modele},
        {"(12345678901.0) can0 123#",
         "horodatage hors limites (10 chiffres avant la virgule, 9 après au plus): « (12345678901.0) »"},
        {"(1.0123456789) can0 123#",
         "horodatage hors limites (10 chiffres avant la virgule, 9 après au plus): « (1.0123456789) »"},
        {"(1.0)", "il manque l'interface et la trame" + modele},
        {"(1.0) can0", "il manque la trame" + modele},
        {"(1.0) can0 123#00 X", "texte en trop après la trame: « X »"},
        {"(1.0) can0 123#00 R T", "texte en trop après la trame: « R T »"},
        {"(1.0) can0 123 00", "il manque « # » entre l'identifiant et les données (123#01FF) dans « 123 »"},
        {"(1.0) can0 7F#00",
         "l'identifiant « 7F » a 2 chiffres hexadécimaux, il en faut 3 (trame standard) ou 8 "
         "(trame étendue)"},
    };
    for (const auto& [ligne, raison] : refusees) EXPECT_EQ(Lit_Ligne_Candump(ligne, l), raison) << ligne;
}

// For thousands of random frames written as candump writes them: the frame read back is the
// frame written, and its bits and time on the bus are those of the window's engine (one
// character per bit) with the intermission, at one rate or with a data phase.
TEST(Candump, TempsSurLeBusContreLeMoteurTexte) {
    std::mt19937 alea(1436509052);
    auto tire = [&alea](uint32_t m) { return static_cast<uint32_t>(alea() % m); };
    int fd = 0, brs = 0;
    for (int n = 0; n < 6000; ++n) {
        TrameCandump t;
        t.etendue = tire(2);
        t.fd = tire(3) == 0;
        const bool lourd = tire(3) == 0; // runs of equal bits: many stuff bits
        t.identifiant = lourd ? (tire(2) ? 0 : 0x1FFFFFFF) : static_cast<uint32_t>(alea());
        t.identifiant &= t.etendue ? 0x1FFFFFFF : 0x7FF;
        if (t.fd) {
            t.brs = tire(2);
            t.esi = tire(2);
            t.dlc = static_cast<uint8_t>(tire(16));
            t.longueur = static_cast<uint8_t>(Longueur_FD(t.dlc));
        } else {
            t.requete = tire(5) == 0;
            t.dlc = static_cast<uint8_t>(tire(9));
            t.longueur = t.requete ? 0 : t.dlc;
        }
        for (size_t k = 0; k < t.longueur; ++k)
            t.donnees[k] = static_cast<uint8_t>(lourd ? (tire(2) ? 0 : 0xFF) : tire(256));
        std::string texte = Identifiant_Candump(t) + (t.fd ? "##" + std::to_string(t.brs + 2 * t.esi) : "#");
        if (t.requete) texte += "R" + (t.dlc || tire(2) ? std::to_string(t.dlc) : "");
        for (size_t k = 0; k < t.longueur; ++k) {
            char o[4];
            std::snprintf(o, sizeof o, tire(2) ? "%02X" : "%02x", t.donnees[k]);
            texte += (k && tire(4) == 0 ? "." : "") + std::string(o);
        }
        TrameCandump lue;
        ASSERT_EQ(Lit_Trame_Candump(texte, lue), "") << texte;
        ASSERT_EQ(Decrit(lue), Decrit(t)) << texte;

        const Transmission tr = Par_Le_Texte(t);
        const TempsSurLeBus r = Temps_Sur_Le_Bus(lue);
        const Quarts q = Duree(tr, Intermission);
        ASSERT_EQ(r.bits, static_cast<int>(tr.size()) + 3) << texte;
        ASSERT_EQ(r.quarts.nominaux, q.nominaux) << texte;
        ASSERT_EQ(r.quarts.rapides, q.rapides) << texte;
        fd += t.fd;
        brs += t.brs;
    }
    EXPECT_GT(fd, 1500);
    EXPECT_GT(brs, 700);
}

TEST(Candump, Microsecondes) {
    const std::pair<uint64_t, std::string> cas[] = {{0, "0"},
                                                    {96000, "96"},
                                                    {96500, "96,5"},
                                                    {96050, "96,05"},
                                                    {333333, "333,333"},
                                                    {1, "0,001"},
                                                    {1000000000000, "1000000000"}};
    for (const auto& [ns, texte] : cas) EXPECT_EQ(Texte_Microsecondes(ns), texte);
}

// Lines across the blocks of the reader: a last line without end of line, empty lines, a
// line longer than a block (cut, the rest skipped), numbers kept through it all.
TEST(Journal, LignesParBlocs) {
    const size_t bloc = LecteurLignes::Bloc;
    std::string contenu, attendu;
    const std::vector<size_t> longueurs = {10, bloc - 20, 30, 0, bloc, bloc + 5, 3 * bloc + 1, 7, 0, 12};
    for (size_t i = 0; i < longueurs.size(); ++i) {
        const std::string ligne(longueurs[i], static_cast<char>('a' + i));
        contenu += ligne + (i + 1 < longueurs.size() ? "\n" : "");
        attendu += std::to_string(i + 1) + ":" + std::to_string(std::min(longueurs[i], bloc)) +
                   (longueurs[i] > bloc || longueurs[i] == bloc ? "+" : "") + " ";
    }
    Fichier f(contenu);
    LecteurLignes lecteur(f.fd);
    std::string lu;
    for (std::string_view l; lecteur.Suivante(l);) {
        if (!l.empty()) { EXPECT_EQ(l.find_first_not_of(l[0]), std::string_view::npos); }
        lu += std::to_string(lecteur.Numero()) + ":" + std::to_string(l.size()) +
              (lecteur.Trop_Longue() ? "+" : "") + " ";
    }
    EXPECT_EQ(lu, attendu);
    EXPECT_EQ(lecteur.Erreur(), 0);

    // A folder opens but does not read.
    Dossier d;
    const int dossier = open(d.chemin.c_str(), O_RDONLY);
    LecteurLignes rien(dossier);
    std::string_view l;
    EXPECT_FALSE(rien.Suivante(l));
    EXPECT_EQ(rien.Erreur(), EISDIR);
    close(dossier);
}

// A small log whose load is computed here by hand. At 500 kbit/s a bit lasts 2 µs; 123#
// (no data) sends 35 bits from SOF to the last CRC bit (varnel-trame 123: 44 - 9), 7EF#01FF
// 54 (63 - 9); each then 10 bits to the end of frame and 3 of intermission: 48 and 67 bits,
// 96 µs and 134 µs. The log runs from the start of its first frame, 96 µs before its
// first date, to its last date: 2 ms + 96 µs. 123 takes 3 * 96 µs of it, 7EF 2 * 134 µs.
TEST(Journal, ChargeCalculeeALaMain) {
    const std::string journal = "(1000.000000) can0 123#\n"
                                "(1000.000500) can0 7EF#01FF\n"
                                "\n"
                                "(1000.001000) can0 123#\n"
                                "(1000.001700) can0 7EF#01.FF\n"
                                "(1000.002000) can0 123#\n";
    const double duree = 2000 + 96, a = 3 * 96, b = 2 * 134;
    char attendu[1024];
    std::snprintf(attendu, sizeof attendu,
                  "Interface can0\n"
                  "Identifiant  Format    Trames  Bits (min / max)  Période moyenne (ms)  Part du bus (%%)\n"
                  "123          standard       3           48 / 48                 1,000            %.2f\n"
                  "7EF          standard       2           67 / 67                 1,200            %.2f\n"
                  "Total: 5 trames en 0,002096 s, charge du bus %.2f %% à 500000 bit/s\n",
                  100 * a / duree, 100 * b / duree, 100 * (a + b) / duree);
    std::string texte = attendu;
    for (char& c : texte)
        if (c == '.') c = ',';
    EXPECT_EQ(Analyse(journal), std::make_tuple(0, texte, std::string()));
    EXPECT_NE(texte.find("charge du bus 26,53 %"), std::string::npos);
    // At 250 kbit/s every time doubles: 192 µs more at the start, the same frames twice as long.
    const std::string lent = std::get<1>(Analyse(journal, 250000));
    EXPECT_NE(lent.find("Total: 5 trames en 0,002192 s, charge du bus 50,73 % à 250000 bit/s\n"),
              std::string::npos)
        << lent;
}

// Two buses in one log, each with its own table and load; an FD frame with BRS names the
// data rate; identifiers of both formats and of FD apart; one frame: no period; dates out of
// order (logs merged by hand) count from the earliest to the latest.
TEST(Journal, DeuxInterfaces) {
    const auto [statut, sortie, erreurs] = Analyse("(1.000000) can1 123##1\n"
                                                   "(1.002000) can0 123#\n"
                                                   "(1.001000) can0 00000123#\n"
                                                   "(1.000000) can0 123#\n"
                                                   "(1.003000) can0 123##0\n");
    EXPECT_EQ(statut, 0);
    EXPECT_EQ(erreurs, "");
    EXPECT_EQ(sortie.substr(0, sortie.find('\n')), "Interface can1");
    EXPECT_NE(sortie.find("\n\nInterface can0\n"), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("Total: 1 trame en "), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("charge du bus 100,00 % à 500000 / 2000000 bit/s\n\nInterface can0"),
              std::string::npos)
        << sortie;
    EXPECT_EQ(sortie.substr(sortie.find("\n\nInterface can0\n") + 2),
              "Interface can0\n"
              "Identifiant  Format       Trames  Bits (min / max)  Période moyenne (ms)  Part du bus (%)\n"
              "123          standard          2           48 / 48                 2,000             6,20\n"
              "00000123     étendue           1           71 / 71                     —             4,59\n"
              "123          FD standard       1           63 / 63                     —             4,07\n"
              "Total: 4 trames en 0,003096 s, charge du bus 14,86 % à 500000 bit/s\n");
}

// Unreadable lines told with their number and skipped (status 1); nothing readable, an
// empty log or a log that cannot be read: status 2 and one line; the CSV, header first.
TEST(Journal, IllisiblesEtCSV) {
    auto [statut, sortie, erreurs] =
        Analyse("(1.0) can0 123#0\n(1.000500) can0 123#R2\nbla\n(1.001) can0 12345678##1" +
                    std::string(24, 'A') + "\n",
                500000, 4000000, true);
    EXPECT_EQ(statut, 1);
    EXPECT_EQ(erreurs,
              "v: ligne 1 ignorée: l'octet « 0 » n'a qu'un chiffre hexadécimal, il en faut deux, dans "
              "les données « 0 »\n"
              "v: ligne 3 ignorée: la ligne ne commence pas par un horodatage (candump -L : « "
              "(1436509052.249713) can0 123#01FF »)\n"
              "v: 2 lignes illisibles ignorées\n");
    const std::string csv = "horodatage;interface;identifiant;format;dlc;bits;duree_us\n"
                            "1.000500;can0;123;standard requête;2;",
                      lue = sortie.substr(0, csv.size());
    EXPECT_EQ(lue, csv);
    TrameCandump fd;
    ASSERT_EQ(Lit_Trame_Candump("12345678##1" + std::string(24, 'A'), fd), "");
    const TempsSurLeBus t = Temps_Sur_Le_Bus(fd);
    EXPECT_NE(sortie.find("\n1.001;can0;12345678;FD étendue BRS;9;" + std::to_string(t.bits) + ";" +
                          Texte_Microsecondes(Nanosecondes(t.quarts, 500000, 4000000)) + "\n"),
              std::string::npos)
        << sortie;

    std::tie(statut, sortie, erreurs) = Analyse("(1.0) can0 123#\n(1.5) can0 123#\n", 500000, 2000000, false);
    EXPECT_EQ(statut, 0);
    EXPECT_EQ(sortie.find("ignorée"), std::string::npos);
    std::tie(statut, sortie, erreurs) = Analyse("x\n(1.0) can0 123#\n", 500000, 2000000, false);
    EXPECT_EQ(statut, 1);
    EXPECT_EQ(sortie.substr(sortie.rfind('\n', sortie.size() - 2) + 1),
              "1 ligne illisible ignorée (voir la sortie d'erreur)\n");

    const std::pair<std::string, std::string> vides[] = {
        {"", "v: le journal ne contient aucune trame\n"},
        {"\n  \n", "v: le journal ne contient aucune trame\n"},
        {"x",
         "v: ligne 1 ignorée: la ligne ne commence pas par un horodatage (candump -L : « (1436509052.249713) "
         "can0 123#01FF »)\nv: le journal ne contient aucune trame lisible (1 ligne illisible)\n"},
    };
    for (const auto& [contenu, message] : vides)
        for (const bool enCSV : {false, true})
            EXPECT_EQ(Analyse(contenu, 500000, 2000000, enCSV), std::make_tuple(2, std::string(), message));

    Dossier d;
    const int dossier = open(d.chemin.c_str(), O_RDONLY);
    std::ostringstream s, e;
    EXPECT_EQ(Analyse_Journal(dossier, {500000, 2000000, false, "le journal « d »", "v: "}, s, e), 2);
    EXPECT_EQ(s.str() + e.str(), "v: impossible de lire le journal « d »: c'est un dossier\n");
    close(dossier);
}
