// An image file held open on the host while its disk is in a drive, with
// positioned reads and writes that go straight to the system (no buffering
// in the program), and the input/output error raised when the host fails.
//
// An open image holds an advisory lock for as long as it is open: exclusive
// while it is writable, shared while it is only read. A second program (or a
// second drive) that wants to write an image in use is refused at once, and
// so is a reader of an image being written.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A host read, write or seek error on an image file. what() is the French text
// shown in the error box; NomFichier and Raison are kept for the caller.
class TErreurES : public std::runtime_error {
public:
    TErreurES(const std::string& nomFichier, const std::string& raison);
    std::string NomFichier; // full host path
    std::string Raison;     // the host's reason, as the platform words it
};

class TFichierImage {
public:
    TFichierImage() = default;
    ~TFichierImage() { Ferme(); }
    TFichierImage(const TFichierImage&) = delete;
    TFichierImage& operator=(const TFichierImage&) = delete;
    TFichierImage(TFichierImage&& autre) noexcept;
    TFichierImage& operator=(TFichierImage&& autre) noexcept;

    // Opens for reading and writing; when the host refuses writing (file
    // permissions, read-only medium) or `lectureSeule` is asked, opens for
    // reading only. False when the file cannot be opened or its lock is
    // held elsewhere; Refus() then says why in French (empty when the file
    // simply cannot be opened).
    bool Ouvre(const std::string& chemin, bool lectureSeule = false);
    const std::string& Refus() const { return FRefus; }
    // Exclusive lock while writable, shared while protected. False (the
    // lock and the protection as they were) when another holder prevents it;
    // Refus() says who.
    bool Verrouille(bool ecriture);
    void Ferme();
    bool Ouvert() const { return FDesc >= 0; }
    bool LectureSeule() const { return FLectureSeule; }
    const std::string& Chemin() const { return FChemin; }

    // Current length in bytes (-1 when closed or unknown to the host).
    int64_t Longueur() const;
    // Exactly n bytes at `position`; anything less raises TErreurES.
    void Lit(int64_t position, uint8_t* dest, int64_t n) const;
    void Ecrit(int64_t position, const uint8_t* src, int64_t n);

    // The whole content replaced in one step: written to a fresh temporary
    // beside the file (locked from its creation, with the file's
    // permissions), synced, then renamed over the file, which this object
    // then holds. A kill, a power cut or a full host disk leaves the file as
    // it was or complete. Raises TErreurES (the file untouched) on failure.
    void Remplace(const uint8_t* octets, int64_t n);

private:
    [[noreturn]] void Echec(const std::string& raison) const;
    int FDesc = -1;
    bool FLectureSeule = false;
    std::string FChemin;
    std::string FRefus;
};

// The host's error number in French ("plus de place sur le disque", …).
std::string RaisonHoteFr(int err);
// Who else holds a lock on the file open as `fd`, as the system lists it
// (Pid 0 when it does not say).
struct TDetenteurVerrou {
    long Pid = 0;
    bool Ecriture = false;  // an exclusive lock
    std::string Programme;  // the process's command name, when known
};
TDetenteurVerrou DetenteurVerrou(int fd);
// The refusal for an image whose lock is held elsewhere.
std::string MessageVerrou(const std::string& chemin, int fd, bool ecritureVoulue);
// Removes the temporaries that a killed writer left beside `chemin`
// (".NAME.XXXXXX", regular, and locked by nobody).
void NettoieTemporaires(const std::string& chemin);

// Creates (or truncates) `chemin` and fills it with `taille` zero bytes,
// written in blocks of 1,024. Raises TErreurES when the host fails.
void CreeImageVierge(const std::string& chemin, int64_t taille);
