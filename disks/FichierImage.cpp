#include "disks/FichierImage.h"

#include "core/DossierHote.h"
#include "core/Fichiers.h"
#include "core/Texte.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace {

bool MemeInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

void SyncDossier(const std::string& dossier) {
    const int d = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0) return;
    ::fsync(d);
    ::close(d);
}

} // namespace

std::string RaisonHoteFr(int err) {
    switch (err) {
    case ENOSPC: return "plus de place sur le disque de l'h\u00f4te";
    case EDQUOT: return "quota de disque d\u00e9pass\u00e9";
    case EFBIG: return "fichier trop grand pour l'h\u00f4te";
    case EACCES: return "permission refus\u00e9e";
    case EPERM: return "op\u00e9ration non permise";
    case EROFS: return "syst\u00e8me de fichiers en lecture seule";
    case EIO: return "erreur mat\u00e9rielle d'entr\u00e9e/sortie";
    case ENOENT: return "fichier ou dossier absent";
    case ENOTDIR: return "un \u00e9l\u00e9ment du chemin n'est pas un dossier";
    case EISDIR: return "c'est un dossier";
    case EBADF: return "fichier non ouvert";
    case EEXIST: return "le fichier existe d\u00e9j\u00e0";
    case ELOOP: return "lien symbolique refus\u00e9";
    case ENAMETOOLONG: return "nom trop long";
    case EMFILE:
    case ENFILE: return "trop de fichiers ouverts";
    case ENOMEM: return "m\u00e9moire insuffisante";
    case EBUSY:
    case ETXTBSY: return "fichier occup\u00e9";
    case EWOULDBLOCK: return "fichier verrouill\u00e9 par un autre programme";
    case EXDEV: return "le fichier est sur un autre syst\u00e8me de fichiers";
    case EINVAL: return "op\u00e9ration invalide";
    default: return "erreur syst\u00e8me " + std::to_string(err);
    }
}

TErreurES::TErreurES(const std::string& nomFichier, const std::string& raison)
    : std::runtime_error("Erreur d'entr\u00e9e/sortie sur le fichier " + nomFichier + " : " + raison),
      NomFichier(nomFichier), Raison(raison) {}

TDetenteurVerrou DetenteurVerrou(int fd) {
    TDetenteurVerrou r;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return r;
    char cle[64];
    std::snprintf(cle, sizeof cle, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  (unsigned long long)st.st_ino);
    std::ifstream verrous("/proc/locks");
    std::string ligne;
    while (std::getline(verrous, ligne)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5308447 0 EOF"; "->" marks a waiter.
        std::istringstream in(ligne);
        std::string numero, genre, mode, acces, pid, fichier;
        in >> numero >> genre;
        if (genre == "->") continue;
        in >> mode >> acces >> pid >> fichier;
        if (fichier != cle) continue;
        r.Pid = std::strtol(pid.c_str(), nullptr, 10);
        r.Ecriture = acces == "WRITE";
        std::ifstream comm("/proc/" + pid + "/comm");
        std::getline(comm, r.Programme);
        if (r.Pid > 0) return r;
    }
    return r;
}

std::string MessageVerrou(const std::string& chemin, int fd, bool ecritureVoulue) {
    const TDetenteurVerrou d = DetenteurVerrou(fd);
    if (d.Pid == long(::getpid())) return "L'image " + chemin + " est d\u00e9j\u00e0 dans un autre lecteur";
    std::string qui;
    if (d.Pid > 0) qui = " (processus " + std::to_string(d.Pid) + (d.Programme.empty() ? "" : ", " + d.Programme) + ")";
    const bool lue = d.Pid > 0 && !d.Ecriture;
    return "L'image " + chemin +
           (lue ? " est lue par un autre programme" : " est ouverte en \u00e9criture par un autre programme") + qui +
           (ecritureVoulue ? " : elle ne peut pas \u00eatre modifi\u00e9e en m\u00eame temps"
                           : " : elle ne peut pas \u00eatre lue pendant qu'il l'\u00e9crit");
}

void NettoieTemporaires(const std::string& chemin) {
    const std::string base = NomSansDossier(chemin);
    TDossierHote::Ouvre(DossierDe(chemin).empty() ? "." : DossierDe(chemin)).NettoieTemporaires([&](const std::string& nom) { return nom == base; });
}

TFichierImage::TFichierImage(TFichierImage&& autre) noexcept
    : FDesc(std::exchange(autre.FDesc, -1)), FLectureSeule(autre.FLectureSeule),
      FChemin(std::move(autre.FChemin)), FRefus(std::move(autre.FRefus)) {}

TFichierImage& TFichierImage::operator=(TFichierImage&& autre) noexcept {
    if (this != &autre) {
        Ferme();
        FDesc = std::exchange(autre.FDesc, -1);
        FLectureSeule = autre.FLectureSeule;
        FChemin = std::move(autre.FChemin);
        FRefus = std::move(autre.FRefus);
    }
    return *this;
}

bool TFichierImage::Ouvre(const std::string& chemin, bool lectureSeule) {
    Ferme();
    // A writer that renames a new image over the path between our open and
    // our lock leaves us the old file: take the one now at the path.
    for (int essai = 0; essai < 50; ++essai) {
        // Never blocks, even on a FIFO left where an image was expected.
        int fd = -1;
        if (!lectureSeule) fd = ::open(chemin.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        const bool lecture = fd < 0;
        if (fd < 0) fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return false;
        struct stat st {}, ici {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) { // a folder or a device is no image
            ::close(fd);
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (::flock(fd, (lecture ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
            FRefus = MessageVerrou(chemin, fd, !lecture);
            ::close(fd);
            return false;
        }
        if (::stat(chemin.c_str(), &ici) != 0 || !MemeInode(st, ici)) {
            ::close(fd);
            continue;
        }
        FDesc = fd;
        FLectureSeule = lecture;
        FChemin = chemin;
        return true;
    }
    return false;
}

bool TFichierImage::Verrouille(bool ecriture) {
    if (FDesc < 0) return false;
    if (::flock(FDesc, (ecriture ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return true;
    FRefus = MessageVerrou(FChemin, FDesc, ecriture);
    // A refused conversion may have dropped the lock held before.
    ::flock(FDesc, (ecriture ? LOCK_SH : LOCK_EX) | LOCK_NB);
    return false;
}

void TFichierImage::Ferme() {
    if (FDesc >= 0) ::close(FDesc);
    FDesc = -1;
    FLectureSeule = false;
    FChemin.clear();
    FRefus.clear();
}

int64_t TFichierImage::Longueur() const {
    struct stat st {};
    if (FDesc < 0 || ::fstat(FDesc, &st) != 0) return -1;
    return st.st_size;
}

void TFichierImage::Echec(const std::string& raison) const { throw TErreurES(FChemin, raison); }

void TFichierImage::Lit(int64_t position, uint8_t* dest, int64_t n) const {
    if (FDesc < 0) Echec(RaisonHoteFr(EBADF));
    while (n > 0) {
        const ssize_t lu = ::pread(FDesc, dest, size_t(n), off_t(position));
        if (lu < 0 && errno == EINTR) continue;
        if (lu < 0) Echec(RaisonHoteFr(errno));
        if (lu == 0) Echec("fin de fichier inattendue (le fichier a \u00e9t\u00e9 raccourci)");
        dest += lu;
        position += lu;
        n -= lu;
    }
}

void TFichierImage::Ecrit(int64_t position, const uint8_t* src, int64_t n) {
    if (FDesc < 0) Echec(RaisonHoteFr(EBADF));
    if (FLectureSeule) Echec(RaisonHoteFr(EROFS));
    while (n > 0) {
        const ssize_t ecrit = ::pwrite(FDesc, src, size_t(n), off_t(position));
        if (ecrit < 0 && errno == EINTR) continue;
        if (ecrit <= 0) Echec(RaisonHoteFr(ecrit < 0 ? errno : EIO));
        src += ecrit;
        position += ecrit;
        n -= ecrit;
    }
}

void TFichierImage::Remplace(const uint8_t* octets, int64_t n) {
    if (FDesc < 0) Echec(RaisonHoteFr(EBADF));
    if (FLectureSeule) Echec(RaisonHoteFr(EROFS));
    // The file replaced is the one held open, reached through any links.
    char reel[PATH_MAX];
    struct stat tenu {}, ici {};
    if (::realpath(FChemin.c_str(), reel) == nullptr) Echec(RaisonHoteFr(errno));
    if (::fstat(FDesc, &tenu) != 0 || ::stat(reel, &ici) != 0 || !MemeInode(tenu, ici))
        Echec("l'image a \u00e9t\u00e9 d\u00e9plac\u00e9e ou remplac\u00e9e depuis son insertion");
    const std::string cible = reel;
    NettoieTemporaires(cible);
    std::string modele = DossierDe(cible) + "." + NomSansDossier(cible) + ".XXXXXX";
    const int fd = ::mkostemp(modele.data(), O_CLOEXEC);
    if (fd < 0) Echec(RaisonHoteFr(errno));
    // Locked before it bears the image's name: no other writer can take it.
    ::flock(fd, LOCK_EX | LOCK_NB);
    ::fchmod(fd, tenu.st_mode & 07777);
    if (::geteuid() == 0 && ::fchown(fd, tenu.st_uid, tenu.st_gid) != 0) { /* kept as root's */ }
    int err = 0;
    bool ok = EcritTout(fd, octets, size_t(n), err);
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (ok && ::rename(modele.c_str(), cible.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::close(fd);
        ::unlink(modele.c_str());
        Echec(RaisonHoteFr(err));
    }
    SyncDossier(DossierDe(cible));
    ::close(FDesc);
    FDesc = fd;
}

void CreeImageVierge(const std::string& chemin, int64_t taille) {
    const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw TErreurES(chemin, RaisonHoteFr(errno));
    static constexpr uint8_t Zeros[1024] = {};
    int64_t reste = taille;
    int err = 0;
    while (reste > 0 && err == 0) {
        const size_t n = size_t(reste < 1024 ? reste : 1024);
        const ssize_t ecrit = ::write(fd, Zeros, n);
        if (ecrit < 0 && errno == EINTR) continue;
        if (ecrit <= 0) err = ecrit < 0 ? errno : EIO;
        else reste -= ecrit;
    }
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) throw TErreurES(chemin, RaisonHoteFr(err));
}
