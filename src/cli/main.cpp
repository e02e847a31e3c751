// varnel-trame: see cli/varnel_trame.h.
#include <iostream>
#include <string>
#include <vector>

#include "cli/varnel_trame.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int statut = varnel::Varnel_Trame(arguments, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "varnel-trame: erreur d'écriture sur la sortie standard\n";
        return varnel::SortieErreur;
    }
    return statut;
}
