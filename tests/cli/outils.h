#pragma once
// Helpers shared by the command-line tests: running the tool in-process or as a
// program, a private temporary directory, and building the same frame with the engine.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "cli/varnel_trame.h"
#include "frame/trame.h"

namespace essai {

struct Resultat {
    int statut = -1;
    std::string sortie;
    std::string erreurs;
};

inline Resultat Lance(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    Resultat r;
    r.statut = varnel::Varnel_Trame(arguments, out, err);
    r.sortie = out.str();
    r.erreurs = err.str();
    return r;
}

// Runs a shell command line and returns what it printed (stdout and stderr merged
// when the command line says so) and its exit status.
inline Resultat Commande(const std::string& ligne) {
    Resultat r;
    FILE* f = popen(ligne.c_str(), "r");
    if (!f) return r;
    char tampon[4096];
    size_t n;
    while ((n = fread(tampon, 1, sizeof tampon, f)) > 0)
        r.sortie.append(tampon, n);
    const int s = pclose(f);
    r.statut = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

inline std::string Outil() {
    return std::string(VARNEL_BUILD_DIR) + "/varnel-trame";
}

// A fresh directory removed at the end of the test.
struct Dossier {
    std::filesystem::path chemin;
    Dossier() {
        std::string modele =
            (std::filesystem::temp_directory_path() / "varnel-essai-XXXXXX").string();
        chemin = mkdtemp(modele.data());
    }
    ~Dossier() { std::filesystem::remove_all(chemin); }
    std::vector<std::string> Fichiers() const {
        std::vector<std::string> noms;
        for (const auto& e : std::filesystem::directory_iterator(chemin))
            noms.push_back(e.path().filename().string());
        return noms;
    }
};

inline std::string Lit(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The frame as the window would build it from the same (upper-case) fields.
inline varnel::Trame Trame_Moteur(const std::string& id, bool etendue, bool requete, int dlc,
                                  const std::vector<std::string>& octets) {
    varnel::Trame t;
    t.Bits_ID = varnel::Regle_Identifiant(id, etendue).Bits_ID;
    t.Bit_RTR = requete ? "1" : "0";
    const std::string texteDlc(1, static_cast<char>('0' + dlc));
    t.Bits_Ctrl = "00" + varnel::Hexa_Bin(texteDlc);
    for (size_t k = 0; k < octets.size(); ++k)
        t.Bits_D[k] = varnel::Hexa_Bin(octets[k]);
    t.Construit_Trame(texteDlc, true);
    return t;
}

inline std::string Six_Lignes(const varnel::Trame& t) {
    return "Trame brute: " + t.Trame_Bin + "\nNb bits: " + t.Text1 + "\nCRC: " + t.Champ_CRC +
           "\nTrame stuffée: " + t.Trame_Bin_Stuf + "\nNb bits stuffée: " + t.Text2 +
           "\nSymboles: " + t.TrameDR + "\n";
}

} // namespace essai
