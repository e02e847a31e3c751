#pragma once
// A whole candump log: its lines read in large blocks, each frame's bits and time, and the
// figures per interface and per identifier, in memory that does not grow with the log.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cli/candump.h"

namespace varnel {

// Nanoseconds as microseconds with a decimal comma, at most three decimals, no trailing
// zero: 96000 -> "96", 96500 -> "96,5", 333333 -> "333,333".
std::string Texte_Microsecondes(uint64_t ns);

// The lines of a file descriptor, read a large block at a time.
class LecteurLignes {
public:
    static constexpr size_t Bloc = size_t{1} << 20; // also the longest line kept whole

    explicit LecteurLignes(int fd) : fd_(fd), tampon_(Bloc) {}
    // The next line, without its end of line; false at the end of the file or on a read
    // error (then `Erreur` is set). A line longer than `Bloc` comes cut to its start, with
    // `Trop_Longue`; the rest of it is skipped.
    bool Suivante(std::string_view& ligne);
    uint64_t Numero() const { return numero_; } // of the line last given, from 1
    bool Trop_Longue() const { return tropLongue_; }
    int Erreur() const { return erreur_; } // errno of the failed read, 0 if none

private:
    int fd_;
    std::vector<char> tampon_;
    size_t debut_ = 0, fin_ = 0; // what is read and not yet given
    uint64_t numero_ = 0;
    bool finFichier_ = false, tropLongue_ = false, sauter_ = false;
    int erreur_ = 0;
};

// The figures of a log: per interface (each one a bus) and per identifier on it, the
// frames, their bits, their time at the given rates, the time span.
class BilanJournal {
public:
    BilanJournal(uint32_t debit, uint32_t debitDonnees) : debit_(debit), debitDonnees_(debitDonnees) {}
    void Ajoute(const LigneCandump& l, const TempsSurLeBus& t);
    uint64_t Trames() const { return trames_; }
    // For each interface in the order it first appears: its name, a table of its
    // identifiers sorted by their share of the bus, and a total line.
    std::string Tableau() const;

private:
    struct Identifiant {
        uint32_t cle = Vide; // identifier, extended format in bit 29, FD in bit 30
        uint64_t trames = 0;
        int bitsMin = 0, bitsMax = 0;
        uint64_t premier = 0, dernier = 0; // earliest and latest time, ns
        Quarts quarts;
    };
    static constexpr uint32_t Vide = 0xFFFFFFFF;
    struct Interface {
        std::string nom;
        std::vector<Identifiant> table; // open addressing, a power of two long, at most half full
        size_t occupees = 0;
        uint64_t trames = 0;
        uint64_t premier = 0, dernier = 0;
        Quarts dureePremiere; // of the earliest frame: the log runs from its start
        Quarts quarts;
        bool brs = false; // some frame runs at the data rate
    };
    Identifiant& Entree(Interface& i, uint32_t cle);
    long double Secondes(const Quarts& q) const;

    uint32_t debit_, debitDonnees_;
    std::vector<Interface> interfaces_;
    std::unordered_map<std::string, size_t> index_;
    size_t derniere_ = 0; // the interface of the last frame: almost always the next one's
    uint64_t trames_ = 0;
};

struct OptionsJournal {
    uint32_t debit = 500000;
    uint32_t debitDonnees = 2000000;
    bool csv = false;    // one line per frame instead of the table
    std::string nom;     // how messages name the log
    std::string prefixe; // starts every line written to `erreurs`
};

// Reads the candump log on `fd` and writes its table (or its CSV lines) to `sortie`. A
// line that does not read is told on `erreurs` with its number, and skipped. Returns 0
// when every line read, 1 when some were skipped, 2 when the log cannot be read or holds
// no frame (then `erreurs` says why).
int Analyse_Journal(int fd, const OptionsJournal& o, std::ostream& sortie, std::ostream& erreurs);

} // namespace varnel
