// The three-node bus: each node runs a CAN controller's protocol, one bit time at a time.
#include "frame/bus_erreurs.h"
#include "frame/crc.h"
#include "frame/trame_fd.h"

#include <algorithm>

namespace varnel {

namespace {

char Inverse(char b) {
    return b == '0' ? '1' : '0';
}

// Fields in which a recessive bit overwritten by a dominant one means another node wins.
bool Arbitrage(Champ c) {
    return c == Champ::Identifiant || c == Champ::SRR || c == Champ::IDE || c == Champ::RTR ||
           c == Champ::RRS;
}

// What an error or overload frame is made of; the other kinds are frame bits or idle.
bool Element(Genre g) {
    return g == Genre::Drapeau || g == Genre::DelimiteurErreur || g == Genre::Surcharge ||
           g == Genre::DelimiteurSurcharge || g == Genre::Intermission || g == Genre::Suspension;
}

const char* Etiquette_Element(Genre g) {
    switch (g) {
    case Genre::Drapeau: return EtiquetteDrapeau;
    case Genre::Surcharge: return EtiquetteSurcharge;
    case Genre::DelimiteurErreur:
    case Genre::DelimiteurSurcharge: return EtiquetteDelimiteur;
    case Genre::Intermission: return EtiquetteIntermission;
    default: return EtiquetteSuspension;
    }
}

// A REC above 127 goes back to this value after a successful reception.
const int RecApresReception = 127;

// ---- The receiving side, which every node runs --------------------------------------------

// Reads a frame from the bits on the bus as a receiver does: it drops the stuff bits, learns
// the format from IDE and FDF, the length from RTR and the DLC, checks the fixed stuff bits,
// the stuff count, the CRC and the fixed-form bits. It knows nothing of the frame sent: a bit
// read wrong changes what it expects next.
class Decodeur {
public:
    enum class Verdict : uint8_t { Rien, ErreurStuff, ErreurForme, DernierEOFDominant, Fin };
    // The fields in the order they come. Bit 12 is RTR, SRR or RRS; FDF stands where a
    // classic frame has r0 (base) or r1 (extended).
    enum class Pas : uint8_t {
        SOF,
        IdBase,
        Bit12,
        IDE,
        IdExt,
        RTRExt,
        FDF,
        R0,
        Res,
        BRS,
        ESI,
        DLC,
        Donnees,
        CompteStuff,
        CRC,
        DelimCRC,
        ACK,
        DelimACK,
        EOF_,
        Fini,
    };

    // What the last bit read was.
    Pas pasLu = Pas::SOF;
    Genre genreLu = Genre::Trame;

    void Debut() { *this = Decodeur(); }

    // Receivers acknowledge a frame whose CRC they found right.
    bool Acquitte() const { return pas_ == Pas::ACK && !crcFaux_; }
    bool Crc_Faux() const { return crcFaux_; }

    Champ Champ_Lu() const {
        static const Champ champs[] = {
            Champ::SOF,         Champ::Identifiant,   Champ::RTR,  Champ::IDE,
            Champ::Identifiant, Champ::RTR,           Champ::FDF,  Champ::Reserve,
            Champ::Reserve,     Champ::BRS,           Champ::ESI,  Champ::DLC,
            Champ::Donnees,     Champ::CompteStuff,   Champ::CRC,  Champ::DelimiteurCRC,
            Champ::ACK,         Champ::DelimiteurACK, Champ::EOF_, Champ::EOF_,
        };
        return pasLu == Pas::FDF && !fd_ ? Champ::Reserve : champs[static_cast<int>(pasLu)];
    }

    Verdict Lit(char b) {
        pasLu = pas_;
        genreLu = Genre::Trame;
        // Dynamic stuffing runs to the end of the CRC in a classic frame (a stuff bit may
        // follow its last bit), to the last data bit in a CAN FD frame.
        if (pas_ == Pas::CompteStuff) dynamique_ = false;
        if (dynamique_ && egaux_ == 5) { // five equal bits: this one must be their complement
            if (b == prec_) return Verdict::ErreurStuff;
            Suit(b, true);
            ++nbStuff_;
            genreLu = Genre::Stuff;
            return Verdict::Rien;
        }
        if (pas_ == Pas::DelimCRC) dynamique_ = false;
        if (fixe_) { // CAN FD: the complement of the bit before, whatever the run
            if (b == prec_) return Verdict::ErreurForme;
            prec_ = b;
            fixe_ = false;
            genreLu = Genre::StuffFixe;
            return Verdict::Rien;
        }
        Suit(b, false);

        Verdict v = Verdict::Rien;
        switch (pas_) {
        case Pas::Bit12: bit12_ = b; break;
        case Pas::IDE: etendu_ = b == '1'; break;
        case Pas::RTRExt: bit12_ = b; break;
        case Pas::FDF: fd_ = b == '1'; break;
        case Pas::Res: // no CAN FD frame sets it: a node without protocol exception takes it as a form error
            if (b == '1') v = Verdict::ErreurForme;
            break;
        case Pas::DLC: dlc_ = dlc_ * 2 + (b == '1'); break;
        case Pas::CompteStuff:
            compte_ = compte_ * 2 + (b == '1');
            if (reste_ == 1) { // the count of the stuff bits read, in Gray code, and its even parity
                const int n = nbStuff_ % 8, gray = n ^ (n >> 1);
                const int parite = (gray ^ (gray >> 1) ^ (gray >> 2)) & 1;
                compteFaux_ = compte_ != (gray << 1 | parite);
            }
            break;
        case Pas::DelimCRC:
            crcFaux_ = compteFaux_ || (fd_ ? octets_ > 16 ? crc21_ : crc17_ : crc15_) != 0;
            if (b == '0') v = Verdict::ErreurForme;
            break;
        case Pas::DelimACK:
            if (b == '0') v = Verdict::ErreurForme;
            break;
        case Pas::EOF_:
            if (b == '0') v = reste_ == 1 ? Verdict::DernierEOFDominant : Verdict::ErreurForme;
            break;
        default: break;
        }
        if (fd_ && (pas_ == Pas::CompteStuff || pas_ == Pas::CRC)) {
            // A fixed stuff bit after every fourth bit of the CAN FD CRC field (never its last).
            fixe_ = ++bitsChampCRC_ % 4 == 0;
        }
        if (--reste_ == 0) Champ_Suivant();
        return v == Verdict::Rien && pas_ == Pas::Fini ? Verdict::Fin : v;
    }

private:
    Pas pas_ = Pas::SOF; // field of the next bit
    int reste_ = 1;      // bits of that field still to read, the next one included
    char prec_ = '1';    // the last bit on the bus
    int egaux_ = 0;      // equal bits in a row, stuff bits included
    bool dynamique_ = true;
    bool fixe_ = false; // the next bit is a fixed stuff bit
    int nbStuff_ = 0;   // dynamic stuff bits read
    int bitsChampCRC_ = 0;
    // The three CRCs from SOF on: the format is known only after FDF and the DLC. Fed a
    // frame and then its own CRC, a register comes back to 0.
    uint32_t crc15_ = CRC15.Initial(), crc17_ = CRC17.Initial(), crc21_ = CRC21.Initial();
    bool crcFaux_ = false;
    bool compteFaux_ = false;
    int compte_ = 0;
    char bit12_ = '0'; // RTR of a classic base frame, or of an extended one once read
    bool etendu_ = false;
    bool fd_ = false;
    int dlc_ = 0;
    int octets_ = 0;

    // A bit of the frame (SOF to the CRC) on its way through the runs and the CRCs. The
    // classic CRC leaves the stuff bits out; the CAN FD ones take the dynamic ones in.
    void Suit(char b, bool stuff) {
        egaux_ = b == prec_ ? egaux_ + 1 : 1;
        prec_ = b;
        if (pas_ > Pas::CRC) return;
        if (!stuff) crc15_ = CRC15.Ajoute_Bit(crc15_, b == '1');
        crc17_ = CRC17.Ajoute_Bit(crc17_, b == '1');
        crc21_ = CRC21.Ajoute_Bit(crc21_, b == '1');
    }

    void Va(Pas p, int n) {
        pas_ = p;
        reste_ = n;
    }

    void Champ_Suivant() {
        switch (pas_) {
        case Pas::SOF: Va(Pas::IdBase, 11); break;
        case Pas::IdBase: Va(Pas::Bit12, 1); break;
        case Pas::Bit12: Va(Pas::IDE, 1); break;
        case Pas::IDE: etendu_ ? Va(Pas::IdExt, 18) : Va(Pas::FDF, 1); break;
        case Pas::IdExt: Va(Pas::RTRExt, 1); break;
        case Pas::RTRExt: Va(Pas::FDF, 1); break;
        case Pas::FDF:
            if (fd_)
                Va(Pas::Res, 1);
            else
                etendu_ ? Va(Pas::R0, 1) : Va(Pas::DLC, 4);
            break;
        case Pas::R0: Va(Pas::DLC, 4); break;
        case Pas::Res: Va(Pas::BRS, 1); break;
        case Pas::BRS: Va(Pas::ESI, 1); break;
        case Pas::ESI: Va(Pas::DLC, 4); break;
        case Pas::DLC:
            // A classic DLC above 8 still means 8 bytes; a remote frame carries none; CAN FD
            // has no remote frame.
            octets_ = fd_ ? Longueur_FD(dlc_) : bit12_ == '1' ? 0 : std::min(dlc_, 8);
            octets_ > 0 ? Va(Pas::Donnees, 8 * octets_) : Fin_Donnees();
            break;
        case Pas::Donnees: Fin_Donnees(); break;
        case Pas::CompteStuff: Va(Pas::CRC, octets_ > 16 ? 21 : 17); break;
        case Pas::CRC: Va(Pas::DelimCRC, 1); break;
        case Pas::DelimCRC: Va(Pas::ACK, 1); break;
        case Pas::ACK: Va(Pas::DelimACK, 1); break;
        case Pas::DelimACK: Va(Pas::EOF_, 7); break;
        default: Va(Pas::Fini, 0); break;
        }
    }

    void Fin_Donnees() {
        if (!fd_) return Va(Pas::CRC, 15);
        Va(Pas::CompteStuff, 4);
        fixe_ = true; // in place of any dynamic stuff bit
    }
};

// ---- One node ---------------------------------------------------------------------------------

// What a node did during a bit time, to name it.
struct Vue {
    Genre genre = Genre::Repos;
    Champ champ = Champ::Aucun;
    Phase phase = Phase::Nominale;
    const std::string* etiquette = nullptr; // the name of a bit of the frame the node sends
    bool emise = false;                     // a bit of the frame the node sends
    bool debut = false;                     // the first bit time of an element
};

// A CAN controller. Each bit time the bus calls `Emet` (the level it drives), then `Lit` with
// the level it reads. The transmitter has a frame to send; a receiver has none.
class NoeudCAN {
public:
    NoeudCAN(int indice, const Transmission* trame, const Transmission* tramePassive, int tentativesMax,
             Compteurs depart, std::vector<Evenement>* evenements)
        : indice_(indice), trame_(trame), tramePassive_(tramePassive ? tramePassive : trame),
          max_(tentativesMax), c_(depart), ev_(evenements) {
        enAttente_ = trame_ != nullptr && !trame_->empty();
        c_.etat = Etat_Selon(c_.tec, c_.rec);
        if (c_.etat == EtatErreur::BusOff) Passe_BusOff();
    }

    char Emet() {
        envoye_ = '1';
        switch (etape_) {
        case Etape::Repos:
            if (Veut_Emettre()) {
                Commence_Trame();
                envoye_ = (*envoi_)[0].emetteur;
            }
            break;
        case Etape::Trame:
            if (emetteur_)
                envoye_ = pos_ < envoi_->size() ? (*envoi_)[pos_].emetteur : '1';
            else if (dec_.Acquitte())
                envoye_ = '0';
            break;
        case Etape::Drapeau: envoye_ = actif_ ? '0' : '1'; break;
        case Etape::Surcharge: envoye_ = '0'; break;
        default: break;
        }
        return envoye_;
    }

    void Lit(char lu, int t) {
        t_ = t;
        vue_ = Vue();
        switch (etape_) {
        case Etape::Repos:
            if (lu == '0') Recoit_SOF();
            break;
        case Etape::Trame: Lit_Trame(lu); break;
        case Etape::Drapeau: Lit_Drapeau(lu); break;
        case Etape::Surcharge: Lit_Surcharge(lu); break;
        case Etape::Attente: Lit_Attente(lu); break;
        case Etape::Delimiteur: Lit_Delimiteur(lu); break;
        case Etape::Intermission: Lit_Intermission(lu); break;
        case Etape::Suspension: Lit_Suspension(lu); break;
        case Etape::BusOff: Lit_BusOff(lu); break;
        }
    }

    // Idle, or bus off, with nothing to send: the run may end.
    bool Au_Repos() const { return etape_ == Etape::BusOff || (etape_ == Etape::Repos && !Veut_Emettre()); }
    const Compteurs& compteurs() const { return c_; }
    const Vue& vue() const { return vue_; }
    int tentatives() const { return tentatives_; }
    bool reussie() const { return reussie_; }

private:
    enum class Etape : uint8_t {
        Repos,        // bus idle: waits for a SOF, or sends one
        Trame,        // in a frame: decodes it, and sends it when transmitter
        Drapeau,      // sends an error flag
        Surcharge,    // sends an overload flag
        Attente,      // flag sent: recessive until the bus is recessive
        Delimiteur,   // the eight recessive bits after a flag
        Intermission, // three bits
        Suspension,   // eight bits an error-passive transmitter waits before sending again
        BusOff,
    };

    const int indice_;
    // What the transmitter sends, error active and error passive (a CAN FD frame tells its
    // state in ESI); null for a receiver. `envoi_`: the frame of the attempt under way.
    const Transmission* const trame_;
    const Transmission* const tramePassive_;
    const Transmission* envoi_ = nullptr;
    const int max_; // attempts allowed
    Compteurs c_;
    std::vector<Evenement>* const ev_;

    Etape etape_ = Etape::Repos;
    int compte_ = 0;         // bits done in the current element
    bool emetteur_ = false;  // transmitter of the frame under way, until the bus is idle again
    bool enAttente_ = false; // has a frame to send
    int tentatives_ = 0;     // SOFs started
    bool reussie_ = false;   // the frame got through
    size_t pos_ = 0;         // transmitter: the bit of `envoi_` under way
    char envoye_ = '1';      // level driven at this bit time
    bool actif_ = true;      // the flag under way is active
    bool surcharge_ = false; // the flag or delimiter under way belongs to an overload frame
    int egaux_ = 0;          // passive flag: equal bits read in a row
    char dernier_ = '1';     // passive flag: the last bit read
    // A passive transmitter with an ACK error: TEC unchanged unless a dominant bit shows in its flag.
    bool ackPassif_ = false;
    bool premier_ = false; // the bit after an error flag, for the +8 of a receiver
    int dominants_ = 0;    // dominant bits read since the flag ended
    int recessifs_ = 0;    // bus off: recessive bits read in a row
    int occurrences_ = 0;  // bus off: sequences of 11 recessive bits
    int t_ = 0;
    Decodeur dec_;
    Vue vue_;

    bool Veut_Emettre() const { return enAttente_ && tentatives_ < max_ && c_.etat != EtatErreur::BusOff; }

    void Ajoute(int tec, int rec) {
        c_.tec += tec;
        c_.rec += rec;
        c_.etat = Etat_Selon(c_.tec, c_.rec);
        if (c_.etat == EtatErreur::BusOff) Passe_BusOff();
    }

    // +8 to the counter of the role the node plays (rules 4 and 5).
    void Ajoute_Huit() { emetteur_ ? Ajoute(8, 0) : Ajoute(0, 8); }

    void Passe_BusOff() {
        etape_ = Etape::BusOff;
        emetteur_ = false;
        enAttente_ = false;
        recessifs_ = occurrences_ = 0;
    }

    void Note(Evenement::Sorte sorte, TypeErreur type, int bit) {
        Evenement e;
        e.sorte = sorte;
        e.type = type;
        e.noeud = indice_;
        e.bit = bit;
        ev_->push_back(e);
    }

    Vue Vue_Emise(size_t pos) const {
        const TempsBit& b = (*envoi_)[pos];
        Vue v;
        v.genre = b.genre;
        v.champ = b.champ;
        v.phase = b.phase;
        v.etiquette = &b.etiquette;
        v.emise = true;
        return v;
    }

    void Vue_Element(Genre g, bool debut) {
        vue_.genre = g;
        vue_.debut = debut;
    }

    void Commence_Trame() {
        envoi_ = c_.etat == EtatErreur::Passif ? tramePassive_ : trame_;
        emetteur_ = true;
        pos_ = 0;
        ++tentatives_;
        etape_ = Etape::Trame;
        dec_.Debut();
    }

    // A dominant bit while the bus is idle: another frame starts, and this node receives it.
    void Recoit_SOF() {
        emetteur_ = false;
        etape_ = Etape::Trame;
        dec_.Debut();
        dec_.Lit('0');
        vue_.genre = Genre::Trame;
        vue_.champ = Champ::SOF;
    }

    void Lit_Trame(char lu) {
        const bool sienne = emetteur_ && pos_ < envoi_->size();
        const TempsBit* bit = sienne ? &(*envoi_)[pos_] : nullptr;
        const Decodeur::Verdict v = dec_.Lit(lu);
        if (sienne) {
            vue_ = Vue_Emise(pos_);
        } else {
            vue_.genre = dec_.genreLu;
            vue_.champ = dec_.Champ_Lu();
        }
        using V = Decodeur::Verdict;
        // What the decoder finds comes first: a stuff bit sent and read wrong is a stuff error,
        // a dominant fixed-form bit a form error, even for the transmitter that sent it.
        if (v == V::ErreurStuff) return Erreur(TypeErreur::Stuff, lu);
        if (v == V::ErreurForme || (v == V::DernierEOFDominant && emetteur_))
            return Erreur(TypeErreur::Forme, lu);
        if (v == V::DernierEOFDominant) return Surcharge(); // the frame is valid for a receiver
        if (envoye_ == '0' && lu == '1') return Erreur(TypeErreur::Bit, lu);
        // (A recessive stuff bit read dominant is the sixth dominant bit: a stuff error above.)
        if (bit && lu == '0' && envoye_ == '1' && bit->champ != Champ::ACK) {
            if (!Arbitrage(bit->champ)) return Erreur(TypeErreur::Bit, lu);
            emetteur_ = false; // another node wins: receive the rest
            Note(Evenement::Sorte::ArbitragePerdu, TypeErreur::Bit, t_);
            return;
        }
        if (bit && bit->champ == Champ::ACK && lu == '1') return Erreur(TypeErreur::Acquittement, lu);
        if (!emetteur_ && dec_.pasLu == Decodeur::Pas::DelimACK && dec_.Crc_Faux())
            return Erreur(TypeErreur::CRC, lu);
        if (!emetteur_ && dec_.pasLu == Decodeur::Pas::ACK && envoye_ == '0') Reception_Reussie();
        if (v == V::Fin) {
            if (emetteur_) Transmission_Reussie();
            etape_ = Etape::Intermission;
            compte_ = 0;
            return;
        }
        if (emetteur_) ++pos_;
    }

    void Reception_Reussie() {
        if (c_.rec > 127)
            c_.rec = RecApresReception;
        else if (c_.rec > 0)
            --c_.rec;
        c_.etat = Etat_Selon(c_.tec, c_.rec);
    }

    void Transmission_Reussie() {
        if (c_.tec > 0) --c_.tec;
        c_.etat = Etat_Selon(c_.tec, c_.rec);
        reussie_ = true;
        enAttente_ = false;
    }

    void Erreur(TypeErreur type, char lu) {
        Note(Evenement::Sorte::Erreur, type, t_ + 1);
        const bool actif = c_.etat == EtatErreur::Actif; // decides the flag about to start
        const bool dansDrapeau = (etape_ == Etape::Drapeau && actif_) || etape_ == Etape::Surcharge;
        if (emetteur_) {
            // Rule 3's exceptions: a passive transmitter whose ACK nobody sent waits to see a
            // dominant bit in its flag; a recessive stuff bit of the arbitration overwritten.
            const TempsBit* bit =
                etape_ == Etape::Trame && emetteur_ && pos_ < envoi_->size() ? &(*envoi_)[pos_] : nullptr;
            const bool stuffArbitrage = type == TypeErreur::Stuff && bit && Est_Stuff(bit->genre) &&
                                        Arbitrage(bit->champ) && envoye_ == '1' && lu == '0';
            ackPassif_ = type == TypeErreur::Acquittement && !actif;
            if (!ackPassif_ && !stuffArbitrage) Ajoute(8, 0);
        } else {
            Ajoute(0, type == TypeErreur::Bit && dansDrapeau ? 8 : 1);
        }
        if (etape_ == Etape::BusOff) return; // no flag from a node that leaves the bus
        etape_ = Etape::Drapeau;
        compte_ = 0;
        actif_ = actif;
        surcharge_ = false;
    }

    void Surcharge() {
        Note(Evenement::Sorte::Surcharge, TypeErreur::Bit, t_ + 1);
        etape_ = Etape::Surcharge;
        compte_ = 0;
        surcharge_ = true;
    }

    void Fin_Drapeau() {
        etape_ = Etape::Attente;
        premier_ = !surcharge_;
        dominants_ = 0;
        ackPassif_ = false;
    }

    void Lit_Drapeau(char lu) {
        Vue_Element(Genre::Drapeau, compte_ == 0);
        if (actif_) {
            if (lu == '1') return Erreur(TypeErreur::Bit, lu);
            if (++compte_ == 6) Fin_Drapeau();
            return;
        }
        // A passive flag ends once six equal bits have been read from its start.
        egaux_ = compte_ > 0 && lu == dernier_ ? egaux_ + 1 : 1;
        dernier_ = lu;
        ++compte_;
        if (lu == '0' && ackPassif_) {
            ackPassif_ = false;
            Ajoute(8, 0);
            if (etape_ == Etape::BusOff) return;
        }
        if (egaux_ == 6) Fin_Drapeau();
    }

    void Lit_Surcharge(char lu) {
        Vue_Element(Genre::Surcharge, compte_ == 0);
        if (lu == '1') return Erreur(TypeErreur::Bit, lu);
        if (++compte_ == 6) Fin_Drapeau();
    }

    // After its flag a node waits for a recessive bit; the dominant bits it waits through are
    // the other nodes' flags, and too many of them cost +8 (rules 2 and 5).
    void Lit_Attente(char lu) {
        const bool premier = premier_;
        premier_ = false;
        if (lu == '1') {
            Vue_Element(surcharge_ ? Genre::DelimiteurSurcharge : Genre::DelimiteurErreur, true);
            etape_ = Etape::Delimiteur;
            compte_ = 1;
            return;
        }
        Vue_Element(surcharge_ ? Genre::Surcharge : Genre::Drapeau, false);
        if (premier && !emetteur_) Ajoute(0, 8);
        if (etape_ != Etape::BusOff && ++dominants_ % 8 == 0) Ajoute_Huit();
    }

    void Lit_Delimiteur(char lu) {
        Vue_Element(surcharge_ ? Genre::DelimiteurSurcharge : Genre::DelimiteurErreur, false);
        ++compte_;
        if (lu == '0') return compte_ == 8 ? Surcharge() : Erreur(TypeErreur::Forme, lu);
        if (compte_ == 8) {
            etape_ = Etape::Intermission;
            compte_ = 0;
        }
    }

    // A transmitter that was error passive at the end of its frame waits eight more bits.
    bool Doit_Suspendre() const { return emetteur_ && c_.etat == EtatErreur::Passif; }

    void Lit_Intermission(char lu) {
        Vue_Element(Genre::Intermission, compte_ == 0);
        ++compte_;
        if (lu == '0' && compte_ < 3) return Surcharge();
        if (lu == '0') {
            // A dominant third bit is a SOF. A node with a frame waiting takes it for its own and
            // goes on with the identifier.
            if (Veut_Emettre() && !Doit_Suspendre()) {
                Commence_Trame();
                dec_.Lit('0');
                vue_ = Vue_Emise(0);
                pos_ = 1;
            } else {
                Recoit_SOF();
            }
            return;
        }
        if (compte_ < 3) return;
        compte_ = 0;
        if (Veut_Emettre() && Doit_Suspendre()) {
            etape_ = Etape::Suspension;
            return;
        }
        etape_ = Etape::Repos;
        emetteur_ = false;
    }

    void Lit_Suspension(char lu) {
        Vue_Element(Genre::Suspension, compte_ == 0);
        if (lu == '0') return Recoit_SOF();
        if (++compte_ == 8) {
            etape_ = Etape::Repos;
            emetteur_ = false;
        }
    }

    // Back on the bus after 128 sequences of 11 recessive bits, counters reset.
    void Lit_BusOff(char lu) {
        if (lu == '0') {
            recessifs_ = 0;
            return;
        }
        if (++recessifs_ < 11) return;
        recessifs_ = 0;
        if (++occurrences_ < 128) return;
        c_ = Compteurs();
        etape_ = Etape::Repos;
    }
};

} // namespace

const char* Nom_Noeud(int noeud) {
    static const char* const noms[NbNoeuds] = {"émetteur", "récepteur 1", "récepteur 2"};
    return noeud >= 0 && noeud < NbNoeuds ? noms[noeud] : "";
}

const char* Nom_Erreur(TypeErreur type) {
    switch (type) {
    case TypeErreur::Bit: return "erreur de bit";
    case TypeErreur::Stuff: return "erreur de stuff";
    case TypeErreur::CRC: return "erreur de CRC";
    case TypeErreur::Forme: return "erreur de forme";
    default: return "erreur d'acquittement";
    }
}

const char* Nom_Etat(EtatErreur etat) {
    switch (etat) {
    case EtatErreur::Actif: return "actif";
    case EtatErreur::Passif: return "passif";
    default: return "bus off";
    }
}

std::string Texte_Evenement(const Evenement& e) {
    const std::string bit = std::to_string(e.bit);
    switch (e.sorte) {
    case Evenement::Sorte::Erreur:
        return std::string("Erreur: ") + Nom_Erreur(e.type) + ", " + Nom_Noeud(e.noeud) +
               ", drapeau au bit " + bit;
    case Evenement::Sorte::ArbitragePerdu:
        return std::string("Arbitrage perdu: ") + Nom_Noeud(e.noeud) + " au bit " + bit;
    default: return std::string("Surcharge: ") + Nom_Noeud(e.noeud) + ", drapeau au bit " + bit;
    }
}

EtatErreur Etat_Selon(int tec, int rec) {
    if (tec >= 256) return EtatErreur::BusOff;
    return tec >= 128 || rec >= 128 ? EtatErreur::Passif : EtatErreur::Actif;
}

Deroulement Simule_Bus(const Transmission& trame, const Perturbation& perturbation,
                       const ConditionsBus& conditions, const Transmission* tramePassive) {
    using S = Perturbation::Sorte;
    Deroulement d;
    const int tentatives = std::clamp(conditions.tentatives, 1, TentativesMax);
    std::array<NoeudCAN, NbNoeuds> noeuds = {
        NoeudCAN(NoeudEmetteur, &trame, tramePassive, tentatives, {conditions.tec, 0, EtatErreur::Actif},
                 &d.evenements),
        NoeudCAN(NoeudRecepteur1, nullptr, nullptr, 0, {0, conditions.rec, EtatErreur::Actif}, &d.evenements),
        NoeudCAN(NoeudRecepteur2, nullptr, nullptr, 0, {0, conditions.rec, EtatErreur::Actif}, &d.evenements),
    };
    // Without receivers, nobody but the transmitter drives or reads the bus.
    const int connectes = perturbation.sorte == S::Acquittement ? 1 : NbNoeuds;
    const bool unBit = perturbation.sorte == S::Bus || perturbation.sorte == S::Emetteur ||
                       perturbation.sorte == S::Recepteur;
    // Far beyond any run: each attempt with its error and overload frames stays well below it.
    const size_t limite = (trame.size() + 200) * (static_cast<size_t>(tentatives) + 1) + 1000;
    // Room for two attempts with their error frames, the common run.
    const size_t prevu = 2 * (trame.size() + 40);
    d.bits.reserve(prevu);
    d.vues.reserve(prevu);
    d.compteurs.reserve(prevu);

    for (int t = 0;; ++t) {
        std::array<char, NbNoeuds> niveaux = {'1', '1', '1'};
        for (int i = 0; i < connectes; ++i) niveaux[i] = noeuds[i].Emet();
        const char bus = niveaux[0] == '0' || niveaux[1] == '0' || niveaux[2] == '0' ? '0' : '1';
        const bool perturbe = unBit && t == perturbation.bit && noeuds[NoeudEmetteur].tentatives() <= 1;
        if (perturbe) d.bitPerturbe = t;
        const char busLu = perturbe && perturbation.sorte == S::Bus ? Inverse(bus) : bus;
        for (int i = 0; i < connectes; ++i) {
            const bool vise = perturbe && ((perturbation.sorte == S::Emetteur && i == NoeudEmetteur) ||
                                           (perturbation.sorte == S::Recepteur && i == NoeudRecepteur1));
            noeuds[i].Lit(vise ? Inverse(busLu) : busLu, t);
        }

        // Who names this bit time: the transmitter when it sends its frame or goes through an
        // element of its own, then the first receiver in an element, then whoever decodes.
        const Vue* nom = nullptr;
        const Vue& ve = noeuds[NoeudEmetteur].vue();
        if (ve.emise || Element(ve.genre)) nom = &ve;
        for (int i = 1; !nom && i < NbNoeuds; ++i)
            if (Element(noeuds[i].vue().genre)) nom = &noeuds[i].vue();
        for (int i = 0; !nom && i < NbNoeuds; ++i)
            if (noeuds[i].vue().genre != Genre::Repos) nom = &noeuds[i].vue();
        const Vue repos;
        if (!nom) nom = &repos;

        TempsBit b;
        b.emetteur = niveaux[0];
        b.recepteur1 = niveaux[1];
        b.recepteur2 = niveaux[2];
        b.bus = busLu;
        b.genre = nom->genre;
        b.champ = nom->champ;
        // Error and overload flags run at the nominal rate, whoever names the bit time.
        b.phase = std::any_of(noeuds.begin(), noeuds.end(),
                              [](const NoeudCAN& n) { return Element(n.vue().genre); })
                      ? Phase::Nominale
                      : nom->phase;
        if (nom->etiquette)
            b.etiquette = *nom->etiquette;
        else if (Element(nom->genre) && (nom->debut || d.bits.empty() || d.bits.back().genre != nom->genre))
            b.etiquette = Etiquette_Element(nom->genre);
        if (noeuds[NoeudEmetteur].tentatives() > static_cast<int>(d.debuts.size())) d.debuts.push_back(t);
        d.bits.push_back(std::move(b));
        d.vues.push_back({noeuds[0].vue().genre, noeuds[1].vue().genre, noeuds[2].vue().genre});
        d.compteurs.push_back({noeuds[0].compteurs(), noeuds[1].compteurs(), noeuds[2].compteurs()});

        if (std::all_of(noeuds.begin(), noeuds.end(), [](const NoeudCAN& n) { return n.Au_Repos(); })) break;
        if (d.bits.size() >= limite) {
            d.termine = false;
            break;
        }
    }
    d.final = d.compteurs.back();
    d.reussie = noeuds[NoeudEmetteur].reussie();
    return d;
}

std::vector<ObservationNoeud> Observe_Noeud(const Transmission* trame, int tentatives,
                                            const Compteurs& depart, const std::string& lus) {
    std::vector<Evenement> evenements;
    NoeudCAN n(trame ? NoeudEmetteur : NoeudRecepteur1, trame, nullptr, tentatives, depart, &evenements);
    std::vector<ObservationNoeud> o;
    o.reserve(lus.size());
    for (size_t t = 0; t < lus.size(); ++t) {
        const char niveau = n.Emet();
        n.Lit(lus[t], static_cast<int>(t));
        o.push_back({niveau, n.vue().genre, n.compteurs()});
    }
    return o;
}

} // namespace varnel
