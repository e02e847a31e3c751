#pragma once
// What the command-line tests share.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/varnel_trame.h"

// What a shell command line writes on its standard output.
inline std::string Shell(const std::string& ligne) {
    std::string sortie;
    FILE* f = popen(ligne.c_str(), "r");
    for (int c; (c = fgetc(f)) != EOF;) sortie += static_cast<char>(c);
    pclose(f);
    return sortie;
}

// Runs varnel-trame: what it writes on stdout and stderr, then its exit status on a last line.
inline std::string Lance(const std::vector<std::string>& arguments) {
    std::string ligne = VARNEL_BUILD_DIR "/varnel-trame";
    for (const std::string& a : arguments) ligne += " '" + a + "'";
    return Shell(ligne + " 2>&1; echo $?");
}

// In this process: the status, then stdout and stderr.
inline std::tuple<int, std::string, std::string> Execute(const std::vector<std::string>& arguments) {
    std::ostringstream sortie, erreurs;
    const int statut = varnel::Varnel_Trame(arguments, sortie, erreurs);
    return {statut, sortie.str(), erreurs.str()};
}

// The words of a command line written in one text.
inline std::vector<std::string> Mots(const std::string& ligne) {
    std::istringstream in(ligne);
    return {std::istream_iterator<std::string>(in), {}};
}

inline std::string Repete(const std::string& s, size_t n) {
    std::string r;
    while (n--) r += s;
    return r;
}

struct Dossier {
    std::string modele = (std::filesystem::temp_directory_path() / "varnel-essai-XXXXXX").string();
    const std::filesystem::path chemin = mkdtemp(modele.data());
    ~Dossier() { std::filesystem::remove_all(chemin); }
    long Fichiers() const { return std::distance(std::filesystem::directory_iterator(chemin), {}); }
    std::string operator/(const std::string& nom) const { return (chemin / nom).string(); }
};

inline std::string Champ(const std::string& sortie, const std::string& nom) {
    const size_t debut = sortie.find(nom + ": ") + nom.size() + 2;
    return sortie.substr(debut, sortie.find('\n', debut) - debut);
}

// A VCD read back: its $timescale and $comment, each signal's changes, its last time.
struct VCD {
    std::map<std::string, std::string> textes;
    std::map<std::string, std::map<uint64_t, char>> changements; // signal -> time -> level
    int64_t fin = -1;
    bool ordonne = true; // every time later than the one before
    explicit VCD(const std::string& chemin) {
        std::map<std::string, std::string> noms; // identifier code -> signal name
        std::ifstream in(chemin);
        for (std::string mot, type, largeur, code; in >> mot;) {
            if (mot == "$timescale" || mot == "$comment") {
                for (std::string m; in >> m && m != "$end";)
                    textes[mot] += (textes[mot].empty() ? "" : " ") + m;
            } else if (mot == "$var" && in >> type >> largeur >> code) {
                in >> noms[code];
            } else if (mot[0] == '#') {
                const int64_t t = std::stoll(mot.substr(1));
                ordonne = ordonne && t > fin;
                fin = t;
            } else if ((mot[0] == '0' || mot[0] == '1') && noms.count(mot.substr(1))) {
                changements[noms[mot.substr(1)]][static_cast<uint64_t>(fin)] = mot[0];
            }
        }
    }
    char Niveau(const std::string& signal, uint64_t t) const {
        const auto& c = changements.at(signal);
        auto it = c.upper_bound(t);
        return it == c.begin() ? 'x' : (--it)->second;
    }
};

// The VCD's texts and each signal sampled in the middle of every bit.
inline std::map<std::string, std::string> Relit(const std::string& chemin, double bit) {
    const VCD v(chemin);
    std::map<std::string, std::string> bits = v.textes;
    for (const auto& [nom, c] : v.changements)
        for (double milieu = bit / 2; milieu < static_cast<double>(v.fin); milieu += bit)
            bits[nom] += v.Niveau(nom, static_cast<uint64_t>(milieu));
    return bits;
}
