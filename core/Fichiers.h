// Whole-file reading and writing for every tool that touches host files.
// A written file goes to a fresh temporary beside the target and is renamed
// over it only once complete: a failure never leaves a truncated target and
// never removes what was there before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Absent: nothing at the path; Dossier: a folder; PasOrdinaire: a device,
// FIFO or socket (never read, it might not end).
enum class TLectureFichier { Ok, Absent, Dossier, PasOrdinaire, TropGros, Illisible };

// What lies at `chemin`, without reading it: Ok for a regular file, else
// Absent, Dossier or PasOrdinaire.
TLectureFichier GenreFichier(const std::string& chemin);

// Reads the whole regular file `chemin`, refusing more than `tailleMax`
// bytes (nothing is read then).
TLectureFichier LitFichierEntier(const std::string& chemin, std::vector<uint8_t>& octets,
                                 uint64_t tailleMax = UINT64_MAX);
TLectureFichier LitFichierTexte(const std::string& chemin, std::string& texte, uint64_t tailleMax = UINT64_MAX);

// The French sentence for a failed read: "Le fichier X n'existe pas",
// "X est un dossier", "X n'est pas un fichier ordinaire", "Le fichier X est
// trop volumineux", "Le fichier X est illisible"; empty for Ok.
std::string MessageLecture(TLectureFichier r, const std::string& chemin);

// Atomic replacement of `chemin` by `donnees`. On failure returns false and
// puts a French sentence in `erreur`; the target is untouched.
bool EcritFichierAtomique(const std::string& chemin, const void* donnees, size_t taille, std::string& erreur);
inline bool EcritFichierAtomique(const std::string& chemin, const std::vector<uint8_t>& d, std::string& erreur) {
    return EcritFichierAtomique(chemin, d.data(), d.size(), erreur);
}
inline bool EcritFichierAtomique(const std::string& chemin, const std::string& d, std::string& erreur) {
    return EcritFichierAtomique(chemin, d.data(), d.size(), erreur);
}

// An output target is checked before anything is written: a symbolic link
// stands for the file it names (that file is replaced, the link stays), a
// folder, device or FIFO is refused, an existing file that is not writable
// is refused. The replacement keeps the permissions of the file it replaces.
// Returns the path to write, or empty with the refusal in `erreur`.
std::string CibleEcriture(const std::string& chemin, std::string& erreur);

// Several files replaced all or nothing: every content goes to its own
// temporary first; the targets are replaced only when all temporaries are
// complete. On failure no target has changed and no temporary is left.
struct TFichierAEcrire {
    std::string Chemin;
    std::string Contenu;
};
bool EcritFichiersAtomiques(const std::vector<TFichierAEcrire>& fichiers, std::string& erreur);

// Creates `chemin` holding `donnees`, never replacing anything: when a name
// (file, folder or link, even a dangling one) is already there, returns false
// with `existe` set and touches nothing. The data go to a fresh temporary
// beside it first, so the name never shows a half-written file.
bool EcritFichierNouveau(const std::string& chemin, const void* donnees, size_t taille, bool& existe,
                         std::string& erreur);

// Writes all `n` bytes to the open descriptor `fd`, going on after
// interruptions and short writes. False with the host's error number in `err`.
bool EcritTout(int fd, const uint8_t* p, size_t n, int& err);

// True when both paths name the same existing file (or the same path text).
bool MemeFichier(const std::string& a, const std::string& b);
bool FichierExiste(const std::string& chemin);

// A fresh folder of its own under the host's temporary folder, removed with
// everything in it when the object goes.
class TDossierTemporaire {
public:
    explicit TDossierTemporaire(const std::string& prefixe = "zorv");
    ~TDossierTemporaire();
    TDossierTemporaire(const TDossierTemporaire&) = delete;
    TDossierTemporaire& operator=(const TDossierTemporaire&) = delete;
    std::string Chemin; // empty when it could not be made
};

// A file written piece by piece (a trace, a table): the pieces go through a
// buffer into a fresh temporary beside the target, renamed over it by
// Termine once complete. Destroyed before Termine, or after a failed write,
// the temporary is removed and the target is untouched.
class TFichierProgressif {
public:
    TFichierProgressif() = default;
    ~TFichierProgressif() { Abandonne(); }
    TFichierProgressif(const TFichierProgressif&) = delete;
    TFichierProgressif& operator=(const TFichierProgressif&) = delete;

    // The target checked as CibleEcriture does, the temporary created.
    bool Ouvre(const std::string& chemin, std::string& erreur);
    bool Ouvert() const { return FFd >= 0; }
    void Ecrit(const char* texte, size_t n) {
        FTampon.append(texte, n);
        if (FTampon.size() >= TailleTampon) Vide();
    }
    void Ecrit(const std::string& texte) { Ecrit(texte.data(), texte.size()); }
    // Replaces the target; false with the French reason when any write failed.
    bool Termine(std::string& erreur);
    void Abandonne();

private:
    static constexpr size_t TailleTampon = size_t(1) << 20;
    int FFd = -1;
    bool FEchec = false;
    std::string FChemin, FCible, FTemp, FTampon;
    void Vide();
};
