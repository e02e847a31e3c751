// VCD export of a frame and the all-or-nothing file write.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/varnel_trame.h"

namespace varnel {

std::string Texte_VCD(const std::string& trameStuffee, uint32_t debit, const std::string& commentaire) {
    // What the emitter drives; the receiver's view differs only in the ACK slot,
    // which a receiver overwrites with a dominant bit.
    const std::string repos(11, '1');
    const std::string emis = repos + trameStuffee + "1" + "1" + "1" + "1111111" + "111";
    std::string recu = emis;
    const size_t ack = repos.size() + trameStuffee.size() + 1;
    recu[ack] = '0';

    auto instant = [debit](size_t bit) {
        return (static_cast<uint64_t>(bit) * 1000000000u + debit / 2) / debit;
    };

    std::string v;
    v += "$version varnel-trame $end\n";
    if (!commentaire.empty()) v += "$comment " + commentaire + " $end\n";
    v += "$timescale 1 ns $end\n";
    v += "$scope module can $end\n";
    v += "$var wire 1 ! can_tx $end\n";
    v += "$var wire 1 \" can_rx $end\n";
    v += "$upscope $end\n";
    v += "$enddefinitions $end\n";
    v += "#0\n$dumpvars\n";
    v += std::string(1, emis[0]) + "!\n" + std::string(1, recu[0]) + "\"\n";
    v += "$end\n";
    for (size_t i = 1; i < emis.size(); ++i) {
        const bool changeTx = emis[i] != emis[i - 1];
        const bool changeRx = recu[i] != recu[i - 1];
        if (!changeTx && !changeRx) continue;
        v += "#" + std::to_string(instant(i)) + "\n";
        if (changeTx) v += std::string(1, emis[i]) + "!\n";
        if (changeRx) v += std::string(1, recu[i]) + "\"\n";
    }
    // The end time, so that the last idle bits have their full length.
    v += "#" + std::to_string(instant(emis.size())) + "\n";
    return v;
}

namespace {

std::string Raison(int numero) {
    switch (numero) {
    case ENOENT:
    case ENOTDIR: return "dossier inexistant";
    case EACCES:
    case EPERM: return "permission refusée";
    case EISDIR: return "c'est un dossier";
    case ENOSPC: return "plus de place sur le disque";
    case EROFS: return "système de fichiers en lecture seule";
    default: return std::strerror(numero);
    }
}

} // namespace

std::string Ecrit_Fichier(const std::string& chemin, const std::string& contenu) {
    if (chemin.empty()) return "nom de fichier vide";
    std::string temporaire = chemin + ".XXXXXX";
    const int fd = mkstemp(temporaire.data());
    if (fd < 0) return Raison(errno);

    // mkstemp creates the file private; give it the usual permissions of a new file.
    const mode_t masque = umask(0);
    umask(masque);
    int erreur = 0;
    if (fchmod(fd, 0666 & ~masque) != 0) erreur = errno;

    size_t ecrit = 0;
    while (erreur == 0 && ecrit < contenu.size()) {
        const ssize_t n = write(fd, contenu.data() + ecrit, contenu.size() - ecrit);
        if (n < 0) {
            if (errno != EINTR) erreur = errno;
            continue;
        }
        ecrit += static_cast<size_t>(n);
    }
    if (close(fd) != 0 && erreur == 0) erreur = errno;
    if (erreur == 0 && std::rename(temporaire.c_str(), chemin.c_str()) != 0) erreur = errno;
    if (erreur != 0) {
        unlink(temporaire.c_str());
        return Raison(erreur);
    }
    return {};
}

} // namespace varnel
