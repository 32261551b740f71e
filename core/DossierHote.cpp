#include "core/DossierHote.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

TGenreHote GenreDe(mode_t m) {
    if (S_ISREG(m)) return TGenreHote::Fichier;
    if (S_ISDIR(m)) return TGenreHote::Dossier;
    if (S_ISLNK(m)) return TGenreHote::Lien;
    return TGenreHote::Special;
}

std::string AvecBarre(std::string chemin) {
    if (chemin.empty() || chemin.back() != '/') chemin += '/';
    return chemin;
}

} // namespace

std::string NomDuTemporaire(const std::string& nom) {
    if (nom.size() < 9 || nom[0] != '.' || nom[nom.size() - 7] != '.') return {};
    for (size_t i = nom.size() - 6; i < nom.size(); ++i)
        if (std::find(std::begin(Alphabet), std::end(Alphabet) - 1, nom[i]) == std::end(Alphabet) - 1) return {};
    return nom.substr(1, nom.size() - 8);
}

TDossierHote::~TDossierHote() {
    if (FFd >= 0) ::close(FFd);
}

TDossierHote::TDossierHote(TDossierHote&& autre) noexcept
    : FFd(std::exchange(autre.FFd, -1)), FErreur(autre.FErreur), FChemin(std::move(autre.FChemin)) {}

TDossierHote& TDossierHote::operator=(TDossierHote&& autre) noexcept {
    if (this != &autre) {
        if (FFd >= 0) ::close(FFd);
        FFd = std::exchange(autre.FFd, -1);
        FErreur = autre.FErreur;
        FChemin = std::move(autre.FChemin);
    }
    return *this;
}

TDossierHote TDossierHote::Ouvre(const std::string& chemin) {
    TDossierHote d;
    d.FChemin = AvecBarre(chemin);
    d.FFd = ::open(chemin.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d.FFd < 0) d.FErreur = errno;
    return d;
}

TDossierHote TDossierHote::Sous(const std::string& nom, bool creer) const {
    TDossierHote d;
    d.FChemin = FChemin + nom + "/";
    if (FFd < 0) {
        d.FErreur = EBADF;
        return d;
    }
    d.FFd = ::openat(FFd, nom.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (d.FFd < 0 && errno == ENOENT && creer && ::mkdirat(FFd, nom.c_str(), 0777) == 0)
        d.FFd = ::openat(FFd, nom.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (d.FFd < 0) {
        d.FErreur = errno;
        // O_NOFOLLOW on a link to a folder answers ENOTDIR on some systems.
        if (Genre(nom) == TGenreHote::Lien) d.FErreur = ELOOP;
    }
    return d;
}

std::vector<TElementHote> TDossierHote::Liste() const {
    std::vector<TElementHote> r;
    if (FFd < 0) return r;
    const int d = ::dup(FFd);
    if (d < 0) return r;
    DIR* rep = ::fdopendir(d);
    if (!rep) {
        ::close(d);
        return r;
    }
    ::rewinddir(rep);
    while (const dirent* e = ::readdir(rep)) {
        const std::string nom = e->d_name;
        if (nom == "." || nom == "..") continue;
        r.push_back({nom, Genre(nom)});
    }
    ::closedir(rep);
    std::sort(r.begin(), r.end(), [](const TElementHote& a, const TElementHote& b) { return a.Nom < b.Nom; });
    return r;
}

TGenreHote TDossierHote::Genre(const std::string& nom) const {
    struct stat st {};
    if (FFd < 0 || ::fstatat(FFd, nom.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return TGenreHote::Inconnu;
    return GenreDe(st.st_mode);
}

TLectureFichier TDossierHote::Lit(const std::string& nom, std::vector<uint8_t>& octets, uint64_t tailleMax,
                                  int& err) const {
    octets.clear();
    err = 0;
    // Never blocks on a FIFO put where a file was listed.
    const int fd = ::openat(FFd, nom.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        if (err == ENOENT) return TLectureFichier::Absent;
        return err == ELOOP ? TLectureFichier::PasOrdinaire : TLectureFichier::Illisible;
    }
    struct stat st {};
    TLectureFichier r = TLectureFichier::Ok;
    if (::fstat(fd, &st) != 0) {
        err = errno;
        r = TLectureFichier::Illisible;
    } else if (S_ISDIR(st.st_mode)) {
        r = TLectureFichier::Dossier;
    } else if (!S_ISREG(st.st_mode)) {
        r = TLectureFichier::PasOrdinaire;
    } else if (uint64_t(st.st_size) > tailleMax) {
        r = TLectureFichier::TropGros;
    }
    // Never more than the size seen, even from a file that grows meanwhile.
    octets.resize(r == TLectureFichier::Ok ? size_t(st.st_size) : 0);
    for (size_t lus = 0; r == TLectureFichier::Ok && lus < octets.size();) {
        const ssize_t k = ::read(fd, octets.data() + lus, octets.size() - lus);
        if (k < 0 && errno == EINTR) continue;
        if (k < 0) {
            err = errno;
            r = TLectureFichier::Illisible;
        } else if (k == 0) {
            octets.resize(lus); // cut short meanwhile: what it holds now
        } else {
            lus += size_t(k);
        }
    }
    if (r != TLectureFichier::Ok) octets.clear();
    ::close(fd);
    return r;
}

bool TDossierHote::CreeFichier(const std::string& nom, const void* donnees, size_t taille, bool& existe,
                               int& err) const {
    existe = false;
    err = 0;
    if (FFd < 0) {
        err = EBADF;
        return false;
    }
    if (Genre(nom) != TGenreHote::Inconnu) {
        existe = true;
        return false;
    }
    std::random_device alea;
    std::string temp;
    int fd = -1;
    for (int essai = 0; essai < 100 && fd < 0; ++essai) {
        temp = "." + nom + ".";
        for (int i = 0; i < 6; ++i) temp += Alphabet[alea() % (sizeof Alphabet - 1)];
        const mode_t masque = ::umask(0);
        ::umask(masque);
        fd = ::openat(FFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666 & ~masque);
        if (fd < 0 && errno != EEXIST) {
            err = errno;
            return false;
        }
    }
    if (fd < 0) {
        err = EEXIST;
        return false;
    }
    ::flock(fd, LOCK_EX | LOCK_NB); // a cleaner leaves a temporary being written alone
    bool ok = EcritTout(fd, static_cast<const uint8_t*>(donnees), taille, err);
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok) {
        // The name is taken only if free, in one step.
        int r = ::renameat2(FFd, temp.c_str(), FFd, nom.c_str(), RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            r = ::linkat(FFd, temp.c_str(), FFd, nom.c_str(), 0);
            if (r == 0) ::unlinkat(FFd, temp.c_str(), 0);
        }
        if (r == 0) return true;
        err = errno;
        existe = err == EEXIST;
    }
    ::unlinkat(FFd, temp.c_str(), 0);
    return false;
}

int TDossierHote::NettoieTemporaires(const std::function<bool(const std::string&)>& estDeNous) const {
    int n = 0;
    for (const TElementHote& e : Liste()) {
        const std::string base = NomDuTemporaire(e.Nom);
        if (e.Genre != TGenreHote::Fichier || base.empty() || !estDeNous(base)) continue;
        const int f = ::openat(FFd, e.Nom.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (f < 0) continue;
        // A temporary whose writer still runs is locked by it.
        if (::flock(f, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(FFd, e.Nom.c_str(), 0) == 0) ++n;
        ::close(f);
    }
    return n;
}
