#include "core/Fichiers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/Texte.h"

namespace fs = std::filesystem;

TLectureFichier LitFichierEntier(const std::string& chemin, std::vector<uint8_t>& octets, uint64_t tailleMax) {
    std::error_code ec;
    if (!fs::is_regular_file(chemin, ec)) return TLectureFichier::Absent;
    const uint64_t taille = fs::file_size(chemin, ec);
    if (ec) return TLectureFichier::Illisible;
    if (taille > tailleMax) return TLectureFichier::TropGros;
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return TLectureFichier::Illisible;
    octets.resize(size_t(taille));
    if (taille && !f.read(reinterpret_cast<char*>(octets.data()), std::streamsize(taille))) {
        octets.clear();
        return TLectureFichier::Illisible;
    }
    return TLectureFichier::Ok;
}

TLectureFichier LitFichierTexte(const std::string& chemin, std::string& texte, uint64_t tailleMax) {
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, tailleMax);
    texte.assign(octets.begin(), octets.end());
    return r;
}

namespace {

bool EcritTout(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += k;
        n -= size_t(k);
    }
    return true;
}

} // namespace

bool EcritFichierAtomique(const std::string& chemin, const void* donnees, size_t taille, std::string& erreur) {
    // mkstemp gives a fresh name beside the target: never an existing file.
    std::string modele = DossierDe(chemin) + "." + NomSansDossier(chemin) + ".XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back('\0');
    const int fd = ::mkstemp(nom.data());
    if (fd < 0) {
        erreur = "Impossible de créer le fichier \"" + chemin + "\"";
        return false;
    }
    const std::string temp(nom.data());
    // The new file gets ordinary permissions (mkstemp makes it private).
    const mode_t masque = ::umask(0);
    ::umask(masque);
    ::fchmod(fd, 0666 & ~masque);
    bool ok = EcritTout(fd, static_cast<const uint8_t*>(donnees), taille);
    ok = (::fsync(fd) == 0) && ok;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), chemin.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    erreur = "Erreur d'écriture du fichier \"" + chemin + "\"";
    return false;
}

bool EcritFichierNouveau(const std::string& chemin, const void* donnees, size_t taille, bool& existe,
                         std::string& erreur) {
    existe = false;
    std::string modele = DossierDe(chemin) + "." + NomSansDossier(chemin) + ".XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back('\0');
    const int fd = ::mkstemp(nom.data());
    if (fd < 0) {
        erreur = "Impossible de créer le fichier \"" + chemin + "\"";
        return false;
    }
    const std::string temp(nom.data());
    const mode_t masque = ::umask(0);
    ::umask(masque);
    ::fchmod(fd, 0666 & ~masque);
    bool ok = EcritTout(fd, static_cast<const uint8_t*>(donnees), taille);
    ok = (::close(fd) == 0) && ok;
    bool lie = false;
    if (ok) {
        // The name is taken only if free, in one step: no window in which an
        // existing file could be replaced.
        int r = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, chemin.c_str(), RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            lie = true;
            r = ::link(temp.c_str(), chemin.c_str());
        }
        existe = r != 0 && errno == EEXIST;
        ok = r == 0;
    }
    if (ok && !lie) return true;
    ::unlink(temp.c_str()); // after a link, the temporary name only
    if (ok) return true;
    erreur = existe ? "Le fichier \"" + chemin + "\" existe déjà"
                    : "Erreur d'écriture du fichier \"" + chemin + "\"";
    return false;
}

bool MemeFichier(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    auto pa = fs::weakly_canonical(a, ec);
    if (ec) return a == b;
    auto pb = fs::weakly_canonical(b, ec);
    if (ec) return a == b;
    return pa == pb;
}

bool FichierExiste(const std::string& chemin) {
    std::error_code ec;
    return fs::exists(chemin, ec);
}
