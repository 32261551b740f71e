#include "disks/FichierImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

std::string RaisonHote(int err) { return std::strerror(err); }

} // namespace

TErreurES::TErreurES(const std::string& nomFichier, const std::string& raison)
    : std::runtime_error("Erreur d'entr\u00e9e/sortie sur le fichier " + nomFichier + " : " + raison),
      NomFichier(nomFichier), Raison(raison) {}

TFichierImage::TFichierImage(TFichierImage&& autre) noexcept
    : FDesc(std::exchange(autre.FDesc, -1)), FLectureSeule(autre.FLectureSeule),
      FChemin(std::move(autre.FChemin)) {}

TFichierImage& TFichierImage::operator=(TFichierImage&& autre) noexcept {
    if (this != &autre) {
        Ferme();
        FDesc = std::exchange(autre.FDesc, -1);
        FLectureSeule = autre.FLectureSeule;
        FChemin = std::move(autre.FChemin);
    }
    return *this;
}

bool TFichierImage::Ouvre(const std::string& chemin, bool lectureSeule) {
    Ferme();
    int fd = -1;
    if (!lectureSeule) fd = ::open(chemin.c_str(), O_RDWR | O_CLOEXEC);
    FLectureSeule = fd < 0;
    if (fd < 0) fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) { // a folder or a device is no image
        ::close(fd);
        return false;
    }
    FDesc = fd;
    FChemin = chemin;
    return true;
}

void TFichierImage::Ferme() {
    if (FDesc >= 0) ::close(FDesc);
    FDesc = -1;
    FLectureSeule = false;
    FChemin.clear();
}

int64_t TFichierImage::Longueur() const {
    struct stat st {};
    if (FDesc < 0 || ::fstat(FDesc, &st) != 0) return -1;
    return st.st_size;
}

void TFichierImage::Echec(const std::string& raison) const { throw TErreurES(FChemin, raison); }

void TFichierImage::Lit(int64_t position, uint8_t* dest, int64_t n) const {
    if (FDesc < 0) Echec(RaisonHote(EBADF));
    while (n > 0) {
        const ssize_t lu = ::pread(FDesc, dest, size_t(n), off_t(position));
        if (lu < 0 && errno == EINTR) continue;
        if (lu < 0) Echec(RaisonHote(errno));
        if (lu == 0) Echec("fin de fichier inattendue (le fichier a \u00e9t\u00e9 raccourci)");
        dest += lu;
        position += lu;
        n -= lu;
    }
}

void TFichierImage::Ecrit(int64_t position, const uint8_t* src, int64_t n) {
    if (FDesc < 0) Echec(RaisonHote(EBADF));
    if (FLectureSeule) Echec(RaisonHote(EROFS));
    while (n > 0) {
        const ssize_t ecrit = ::pwrite(FDesc, src, size_t(n), off_t(position));
        if (ecrit < 0 && errno == EINTR) continue;
        if (ecrit <= 0) Echec(RaisonHote(ecrit < 0 ? errno : EIO));
        src += ecrit;
        position += ecrit;
        n -= ecrit;
    }
}

void CreeImageVierge(const std::string& chemin, int64_t taille) {
    const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw TErreurES(chemin, RaisonHote(errno));
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
    if (err != 0) throw TErreurES(chemin, RaisonHote(err));
}
