#pragma once
// What the command-line tests share: running varnel-trame, a temporary folder, reading a
// line of its output.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

struct Dossier {
    std::string modele = (std::filesystem::temp_directory_path() / "varnel-essai-XXXXXX").string();
    const std::filesystem::path chemin = mkdtemp(modele.data());
    ~Dossier() { std::filesystem::remove_all(chemin); }
    long Fichiers() const { return std::distance(std::filesystem::directory_iterator(chemin), {}); }
};

inline std::string Champ(const std::string& sortie, const std::string& nom) {
    const size_t debut = sortie.find(nom + ": ") + nom.size() + 2;
    return sortie.substr(debut, sortie.find('\n', debut) - debut);
}

// Reads a VCD back: its $timescale and $comment, and each signal sampled in the middle of every bit.
inline std::map<std::string, std::string> Relit(const std::string& chemin, double bit) {
    std::map<std::string, std::string> noms, bits; // identifier code -> signal name
    std::map<std::string, std::map<double, char, std::greater<>>> changements; // latest first
    double t = 0;
    std::ifstream in(chemin);
    for (std::string mot, type, largeur, code; in >> mot;) {
        if (mot == "$timescale" || mot == "$comment")
            for (std::string m; in >> m && m != "$end";) bits[mot] += (bits[mot].empty() ? "" : " ") + m;
        else if (mot == "$var" && in >> type >> largeur >> code)
            in >> noms[code];
        else if (mot[0] == '#')
            t = std::stod(mot.substr(1));
        else if ((mot[0] == '0' || mot[0] == '1') && noms.count(mot.substr(1)))
            changements[noms[mot.substr(1)]][t] = mot[0];
    }
    for (const auto& [nom, c] : changements)
        for (double milieu = bit / 2; milieu < t; milieu += bit)
            bits[nom] += c.lower_bound(milieu) == c.end() ? 'x' : c.lower_bound(milieu)->second;
    return bits;
}
