#include "core/Fichiers.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/Texte.h"

namespace fs = std::filesystem;

TLectureFichier GenreFichier(const std::string& chemin) {
    std::error_code ec;
    const fs::file_status etat = fs::status(chemin, ec);
    if (!fs::exists(etat)) return TLectureFichier::Absent;
    if (fs::is_directory(etat)) return TLectureFichier::Dossier;
    if (!fs::is_regular_file(etat)) return TLectureFichier::PasOrdinaire;
    return TLectureFichier::Ok;
}

TLectureFichier LitFichierEntier(const std::string& chemin, std::vector<uint8_t>& octets, uint64_t tailleMax) {
    octets.clear();
    std::error_code ec;
    if (const TLectureFichier g = GenreFichier(chemin); g != TLectureFichier::Ok) return g;
    const uint64_t taille = fs::file_size(chemin, ec);
    if (ec) return TLectureFichier::Illisible;
    if (taille > tailleMax) return TLectureFichier::TropGros;
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return TLectureFichier::Illisible;
    // Never more than the bound, even from a file that grows meanwhile.
    octets.resize(size_t(taille));
    if (taille && !f.read(reinterpret_cast<char*>(octets.data()), std::streamsize(taille))) {
        octets.clear();
        return TLectureFichier::Illisible;
    }
    return TLectureFichier::Ok;
}

std::string MessageLecture(TLectureFichier r, const std::string& chemin) {
    switch (r) {
    case TLectureFichier::Ok: return {};
    case TLectureFichier::Absent: return "Le fichier " + chemin + " n'existe pas";
    case TLectureFichier::Dossier: return chemin + " est un dossier";
    case TLectureFichier::PasOrdinaire: return chemin + " n'est pas un fichier ordinaire";
    case TLectureFichier::TropGros: return "Le fichier " + chemin + " est trop volumineux";
    case TLectureFichier::Illisible: break;
    }
    return "Le fichier " + chemin + " est illisible";
}

TLectureFichier LitFichierTexte(const std::string& chemin, std::string& texte, uint64_t tailleMax) {
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, tailleMax);
    texte.assign(octets.begin(), octets.end());
    return r;
}

bool EcritTout(int fd, const uint8_t* p, size_t n, int& err) {
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) {
            err = k < 0 ? errno : EIO;
            return false;
        }
        p += k;
        n -= size_t(k);
    }
    return true;
}

namespace {

// The final path behind a chain of symbolic links (a dangling link gives the
// path it names); empty after too many links.
std::string SuitLiens(std::string chemin) {
    for (int n = 0; n < 40; ++n) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(chemin, ec))) return chemin;
        const fs::path lien = fs::read_symlink(chemin, ec);
        if (ec) return {};
        chemin = lien.is_absolute() ? lien.string() : (fs::path(chemin).parent_path() / lien).string();
    }
    return {};
}

// A complete temporary beside `chemin`, holding `donnees`; empty on failure.
std::string EcritTemporaire(const std::string& chemin, const void* donnees, size_t taille, mode_t mode) {
    std::string modele = DossierDe(chemin) + "." + NomSansDossier(chemin) + ".XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back('\0');
    // mkstemp gives a fresh name beside the target: never an existing file.
    const int fd = ::mkstemp(nom.data());
    if (fd < 0) return {};
    const std::string temp(nom.data());
    ::fchmod(fd, mode);
    int err = 0;
    bool ok = EcritTout(fd, static_cast<const uint8_t*>(donnees), taille, err);
    ok = (::fsync(fd) == 0) && ok;
    ok = (::close(fd) == 0) && ok;
    if (ok) return temp;
    ::unlink(temp.c_str());
    return {};
}

// Permissions of the new file: those of the file it replaces, else the
// ordinary ones (mkstemp makes it private).
mode_t ModeDe(const std::string& cible) {
    struct stat st {};
    if (::stat(cible.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t masque = ::umask(0);
    ::umask(masque);
    return 0666 & ~masque;
}

} // namespace

std::string CibleEcriture(const std::string& chemin, std::string& erreur) {
    const std::string cible = SuitLiens(chemin);
    if (cible.empty()) {
        erreur = "Trop de liens symboliques pour \"" + chemin + "\"";
        return {};
    }
    struct stat st {};
    if (::stat(cible.c_str(), &st) != 0) return cible; // a new file
    if (S_ISDIR(st.st_mode)) {
        erreur = "\"" + chemin + "\" est un dossier";
        return {};
    }
    if (!S_ISREG(st.st_mode)) {
        erreur = "\"" + chemin + "\" n'est pas un fichier ordinaire";
        return {};
    }
    if (::access(cible.c_str(), W_OK) != 0) {
        erreur = "Le fichier \"" + chemin + "\" est protégé en écriture";
        return {};
    }
    return cible;
}

bool EcritFichierAtomique(const std::string& chemin, const void* donnees, size_t taille, std::string& erreur) {
    const std::string cible = CibleEcriture(chemin, erreur);
    if (cible.empty()) return false;
    const std::string temp = EcritTemporaire(cible, donnees, taille, ModeDe(cible));
    if (!temp.empty() && ::rename(temp.c_str(), cible.c_str()) == 0) return true;
    if (!temp.empty()) ::unlink(temp.c_str());
    erreur = "Erreur d'écriture du fichier \"" + chemin + "\"";
    return false;
}

bool EcritFichiersAtomiques(const std::vector<TFichierAEcrire>& fichiers, std::string& erreur) {
    std::vector<std::string> cibles, temps;
    auto abandonne = [&temps]() {
        for (const std::string& t : temps) ::unlink(t.c_str());
        return false;
    };
    for (const TFichierAEcrire& f : fichiers) {
        const std::string cible = CibleEcriture(f.Chemin, erreur);
        if (cible.empty()) return abandonne();
        const std::string temp = EcritTemporaire(cible, f.Contenu.data(), f.Contenu.size(), ModeDe(cible));
        if (temp.empty()) {
            erreur = "Erreur d'écriture du fichier \"" + f.Chemin + "\"";
            return abandonne();
        }
        cibles.push_back(cible);
        temps.push_back(temp);
    }
    // Every temporary is complete and lies in its target's folder: the
    // renames are what is left.
    for (size_t i = 0; i < temps.size(); ++i) {
        if (::rename(temps[i].c_str(), cibles[i].c_str()) != 0) {
            erreur = "Erreur d'écriture du fichier \"" + fichiers[i].Chemin + "\"";
            temps.erase(temps.begin(), temps.begin() + long(i));
            return abandonne();
        }
    }
    return true;
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
    int err = 0;
    bool ok = EcritTout(fd, static_cast<const uint8_t*>(donnees), taille, err);
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

TDossierTemporaire::TDossierTemporaire(const std::string& prefixe) {
    std::error_code ec;
    std::string modele = (std::filesystem::temp_directory_path(ec) / (prefixe + "-XXXXXX")).string();
    if (ec) modele = "/tmp/" + prefixe + "-XXXXXX";
    if (mkdtemp(modele.data())) Chemin = modele;
}

TDossierTemporaire::~TDossierTemporaire() {
    std::error_code ec;
    if (!Chemin.empty()) std::filesystem::remove_all(Chemin, ec);
}

bool TFichierProgressif::Ouvre(const std::string& chemin, std::string& erreur) {
    Abandonne();
    FCible = CibleEcriture(chemin, erreur);
    if (FCible.empty()) return false;
    std::string modele = DossierDe(FCible) + "." + NomSansDossier(FCible) + ".XXXXXX";
    std::vector<char> nom(modele.begin(), modele.end());
    nom.push_back('\0');
    FFd = ::mkstemp(nom.data());
    if (FFd < 0) {
        erreur = "Impossible de créer le fichier \"" + chemin + "\"";
        return false;
    }
    FTemp = nom.data();
    ::fchmod(FFd, ModeDe(FCible));
    FChemin = chemin;
    FEchec = false;
    FTampon.clear();
    FTampon.reserve(TailleTampon + 4096);
    return true;
}

void TFichierProgressif::Vide() {
    int err = 0;
    if (!FEchec && FFd >= 0)
        FEchec = !EcritTout(FFd, reinterpret_cast<const uint8_t*>(FTampon.data()), FTampon.size(), err);
    FTampon.clear();
}

bool TFichierProgressif::Termine(std::string& erreur) {
    if (FFd < 0) return false;
    Vide();
    bool ok = !FEchec && ::fsync(FFd) == 0;
    ok = (::close(FFd) == 0) && ok;
    FFd = -1;
    if (ok && ::rename(FTemp.c_str(), FCible.c_str()) == 0) return true;
    ::unlink(FTemp.c_str());
    erreur = "Erreur d'écriture du fichier \"" + FChemin + "\"";
    return false;
}

void TFichierProgressif::Abandonne() {
    if (FFd < 0) return;
    ::close(FFd);
    ::unlink(FTemp.c_str());
    FFd = -1;
    FTampon.clear();
}
