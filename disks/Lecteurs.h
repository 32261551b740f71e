// The six disk drives of the machine and the image files in them: the drive
// table, its geometry, the sector operations used by the floppy controller
// and the file system, and the drive commands of the disk manager.
//
// Slots are numbered 1 to 6. Drive numbers (list rows, settings keys "D1"…
// "D12") are 1, 2, 9, 10, 11 and 12. An image is a plain sequence of 256-byte
// sectors; sector n (from 1) lies at byte (n - 1) * 256.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/Texte.h"
#include "disks/ActiviteLecteurs.h"
#include "disks/FichierImage.h"

constexpr int NbLecteurs = 6;
constexpr int32_t TailleSecteur = 256;

struct Param_Disque {
    std::string NomFichier; // full host path; empty = no disk
    bool Protege = false;   // write-protected (always set for a file the host opened read-only)
    TFichierImage Fichier;  // open while the disk is in the drive
};

// Drive number (1, 2, 9…12) to slot (1…6); 0 when the number has no drive.
int SlotDuLecteur(int numero);
// Slot (1…6) to drive number; 0 when not a slot.
int LecteurDuSlot(int slot);

// Told before the floppy controller writes or formats an image: what keeps
// the history of the machine reads the bytes about to change.
class IGardeLecteurs {
public:
    virtual ~IGardeLecteurs() = default;
    virtual void AvantEcriture(int slot, int64_t debut, int64_t longueur) = 0;
};

struct TLecteurs {
    explicit TLecteurs(int32_t typeDsq12 = 0) { InitGeometrie(typeDsq12); }

    std::array<Param_Disque, NbLecteurs + 1> Disques; // [1…6]; [0] unused
    std::array<int32_t, NbLecteurs + 1> Taille_Disque{};
    std::array<int32_t, NbLecteurs + 1> NbrSectDisque{};
    std::array<int32_t, NbLecteurs + 1> NbrSectCatal{};
    // Counts, per slot, the changes that come from outside the machine (a
    // disk inserted, ejected, protected, written by the disk tools, a new
    // geometry): a session being recorded looks at them at each boundary.
    // The floppy controller's own writes do not count.
    std::array<uint64_t, NbLecteurs + 1> ChangementsHote{};
    void Change(int slot) {
        if (EstSlot(slot)) ++ChangementsHote[size_t(slot)];
    }
    IGardeLecteurs* Garde = nullptr;
    // Told of each operation of the floppy controller (the drive lights).
    std::vector<IObservateurLecteurs*> Observateurs;
    void SignaleActivite(int numero, TOperationLecteur operation) const {
        for (IObservateurLecteurs* o : Observateurs) o->ActiviteLecteur(numero, operation);
    }

    // Sizes of slots 1 and 2: 0 = 3.5-inch (800 Ko), 1 = 5.25-inch (400 Ko).
    void InitGeometrie(int32_t typeDsq12);
    // The type the geometry was set up with (0 or 1, as above).
    int32_t TypeDsq12() const;
    // "800 Ko", "400 Ko" or "1.2 Mo"; empty when not a slot.
    std::string LegendeTaille(int numero) const;
    static bool EstSlot(int numero) { return numero >= 1 && numero <= NbLecteurs; }

    // 0 no disk (or not a slot), 1 writable disk, 2 write-protected disk.
    uint8_t EtatDuDisque(int numero) const;

    // Sector operations. The buffers hold 256 bytes. A host failure raises
    // TErreurES. Reading outside 1…count (or an empty drive) gives 0xFF bytes.
    void LireSecteur(int numero, int32_t secteur, uint8_t* buffer) const;
    // The floppy controller's write (not counted in ChangementsHote).
    // False when nothing was written: not a slot, sector 0 or beyond the
    // last one, no disk, or a protected disk. The image length never changes.
    bool EcrireSecteur(int numero, int32_t secteur, const uint8_t* buffer);
    // The whole image becomes zero bytes (length unchanged); nothing on an
    // empty or protected drive.
    void FormaterDisque(int numero);
    // `nombre` consecutive sectors from `premier` in one host operation (the
    // disk tools read and write whole files this way). Reading gives 0xFF
    // for the sectors outside the disk; writing writes nothing unless every
    // sector is inside a writable disk.
    void LireSecteurs(int numero, int32_t premier, int32_t nombre, uint8_t* buffer) const;
    bool EcrireSecteurs(int numero, int32_t premier, int32_t nombre, const uint8_t* buffer);

    // Start-up load of the image named for drive number `lecteur`. Returns
    // the error text to show ("La taille du fichier …"), empty when loaded or
    // when the drive or the path is empty.
    std::string ChargeImage(int lecteur, const std::string& chemin, const std::string& separateur,
                            bool lectureSeule = false);
    // Every slot emptied, then ChargeImage for each (drive number, path)
    // pair in the order given. The error texts, in order.
    std::vector<std::string> ChargeImages(const std::vector<std::pair<int, std::string>>& images,
                                          const std::string& separateur);

    // Disk manager commands on slot `numero`.
    // Insert an existing image; returns the error text ("La taille du fichier
    // image doit être : …", what a path that is no file is, or that another
    // program holds the image), empty on success. The previous disk is
    // released.
    std::string InsereDisque(int numero, const std::string& chemin, const std::string& separateur);
    // Create a zero-filled image of the slot's size at `chemin` and insert it
    // unprotected. Raises TErreurES when the host cannot create it, or when
    // `chemin` is the image of another drive; the drive then keeps the disk
    // it had (and a file already at `chemin` stays as it was).
    void InsereVierge(int numero, const std::string& chemin);
    void Ejecte(int numero);
    void VideTout();
    // Toggles the protection of an inserted disk; a file the host opened
    // read-only stays protected. Returns the new protection. A disk that
    // another program reads stays protected (RefusVerrou says who).
    bool BasculeProtection(int numero);
    const std::string& RefusVerrou(int numero) const;
    // The whole image of a writable drive replaced in one step by `octets`
    // (its size); see TFichierImage::Remplace. Raises TErreurES.
    void RemplaceImage(int numero, const std::vector<uint8_t>& octets);
    // (drive number, path) of the six drives, in slot order, for the settings
    // keys D1, D2, D9, D10, D11 and D12 (empty path = empty drive).
    std::vector<std::pair<int, std::string>> Affectation() const;

private:
    // Opens `chemin` and checks its length against the slot; on success the
    // slot's previous file is released and the new one kept (empty answer).
    // Otherwise the slot is emptied and the answer says why; `taille` is set
    // when the reason is the size (or a file that cannot be opened), which
    // the callers word themselves.
    std::string OuvreImage(int numero, const std::string& chemin, bool lectureSeule, bool& taille);
    bool Ecrit(int numero, int32_t premier, int32_t nombre, const uint8_t* buffer, bool parLaMachine);
};
