// An image file held open on the host while its disk is in a drive, with
// positioned reads and writes that go straight to the system (no buffering
// in the program), and the input/output error raised when the host fails.
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
    // reading only. Never reports: false when the file cannot be opened.
    bool Ouvre(const std::string& chemin, bool lectureSeule = false);
    void Ferme();
    bool Ouvert() const { return FDesc >= 0; }
    bool LectureSeule() const { return FLectureSeule; }
    const std::string& Chemin() const { return FChemin; }

    // Current length in bytes (-1 when closed or unknown to the host).
    int64_t Longueur() const;
    // Exactly n bytes at `position`; anything less raises TErreurES.
    void Lit(int64_t position, uint8_t* dest, int64_t n) const;
    void Ecrit(int64_t position, const uint8_t* src, int64_t n);

private:
    [[noreturn]] void Echec(const std::string& raison) const;
    int FDesc = -1;
    bool FLectureSeule = false;
    std::string FChemin;
};

// Creates (or truncates) `chemin` and fills it with `taille` zero bytes,
// written in blocks of 1,024. Raises TErreurES when the host fails.
void CreeImageVierge(const std::string& chemin, int64_t taille);
