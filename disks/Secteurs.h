// The disk seen by the file system: a numbered sequence of 256-byte sectors
// (from 1), with the catalogue sector count of its drive. Two kinds: a slot
// of the drive table (the live image file) and an image held in memory (tests,
// fuzzing, benchmarks).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "disks/Lecteurs.h"

class ISecteurs {
public:
    virtual ~ISecteurs() = default;
    virtual int32_t NbSecteurs() const = 0;
    virtual int32_t NbSecteursCatal() const = 0;
    // 0 no disk, 1 writable disk, 2 write-protected disk.
    virtual uint8_t Etat() const = 0;
    // 256 bytes; outside 1…NbSecteurs() the buffer gets 0xFF bytes.
    virtual void Lit(int32_t secteur, uint8_t* tampon) = 0;
    // False when nothing was written (sector outside the disk, protected disk).
    virtual bool Ecrit(int32_t secteur, const uint8_t* tampon) = 0;
    // Every sector becomes zero bytes (nothing on a protected disk).
    virtual void Efface();
    // `nombre` consecutive sectors, in one host operation where the disk
    // can. Writing writes nothing unless every sector fits.
    virtual void LitPlage(int32_t premier, int32_t nombre, uint8_t* tampon);
    virtual bool EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon);
};

// A drive slot (1…6) of the drive table. Host failures raise TErreurES.
class TSecteursLecteur : public ISecteurs {
public:
    TSecteursLecteur(TLecteurs& lecteurs, int slot) : FLecteurs(lecteurs), FSlot(slot) {}
    int32_t NbSecteurs() const override;
    int32_t NbSecteursCatal() const override;
    uint8_t Etat() const override { return FLecteurs.EtatDuDisque(FSlot); }
    void Lit(int32_t secteur, uint8_t* tampon) override;
    bool Ecrit(int32_t secteur, const uint8_t* tampon) override;
    void Efface() override { FLecteurs.FormaterDisque(FSlot); }
    void LitPlage(int32_t premier, int32_t nombre, uint8_t* tampon) override;
    bool EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon) override;

private:
    TLecteurs& FLecteurs;
    int FSlot;
};

// An image in memory: Octets holds NbSecteurs() * 256 bytes.
class TImageMemoire : public ISecteurs {
public:
    explicit TImageMemoire(int32_t nbSecteurs, int32_t nbCatal = 64);
    explicit TImageMemoire(std::vector<uint8_t> octets, int32_t nbCatal = 64);
    int32_t NbSecteurs() const override { return int32_t(Octets.size() / TailleSecteur); }
    int32_t NbSecteursCatal() const override { return FNbCatal; }
    uint8_t Etat() const override { return Protege ? 2 : 1; }
    void Lit(int32_t secteur, uint8_t* tampon) override;
    bool Ecrit(int32_t secteur, const uint8_t* tampon) override;
    void Efface() override;

    std::vector<uint8_t> Octets;
    bool Protege = false;

private:
    int32_t FNbCatal;
};

// A disk seen through a copy of the sectors already read, for the length of
// one command of the disk tools (a walk of the catalogue per imported file
// would otherwise read the catalogue again and again). Writes go through to
// the disk at once; the copy follows them. Nothing else may write the disk
// while it lives — on the single thread of the program, nothing does.
class TSecteursTampon : public ISecteurs {
public:
    explicit TSecteursTampon(ISecteurs& disque);
    int32_t NbSecteurs() const override { return FDisque.NbSecteurs(); }
    int32_t NbSecteursCatal() const override { return FDisque.NbSecteursCatal(); }
    uint8_t Etat() const override { return FDisque.Etat(); }
    void Lit(int32_t secteur, uint8_t* tampon) override;
    bool Ecrit(int32_t secteur, const uint8_t* tampon) override;
    void Efface() override;
    bool EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon) override;

private:
    static constexpr int32_t Bloc = 32; // sectors read together
    void Copie(int32_t premier, int32_t nombre, const uint8_t* tampon);
    ISecteurs& FDisque;
    // Left uninitialised: a block is filled from the disk before it is read,
    // so a check that looks at a few blocks touches only their pages.
    std::unique_ptr<uint8_t[]> FCopie;
    std::vector<bool> FLu; // per block
};

// A change of the file system made all at once: `action` works on a copy of
// the image of `slot` held in memory; what it changed then replaces the image
// in one step (TLecteurs::RemplaceImage), so a kill, a power cut or a full
// host disk leaves the image as it was or as the action left it, never half
// written. When the image changed under the action (the machine wrote it
// meanwhile), nothing is written and TErreurES is raised. An empty or
// protected drive is handed to the action as it is (nothing can be written).
void ModifieImage(TLecteurs& lecteurs, int slot, const std::function<void(ISecteurs&)>& action);

// The image sizes a drive accepts: 409,600, 788,480 and 1,261,568 bytes.
bool TailleImageValide(int64_t taille);
// "La taille du fichier <nom> doit être : 409 600, 788 480 ou 1 261 568 octets"
std::string MessageTailleImage(const std::string& chemin, const std::string& separateur);
