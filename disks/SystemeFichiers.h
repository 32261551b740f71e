// The machine's disk file system, seen from the host: the header of sector 1,
// the main catalogue (sectors 1 to NbSecteursCatal), directory entry lists,
// chained and contiguous files; the one catalogue walker on which listing,
// export, import and the existence tests are built; entry creation, format
// and the listing of the disk manager.
//
// Names are kept as the bytes on the disk (one byte per character, Latin-1);
// NomAffichable turns them into text for the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "disks/Dialogue.h"
#include "disks/Secteurs.h"

// What an entry is, as the walker reports it.
enum TGenreEntree : uint8_t {
    geIgnoree = 0,    // byte 0 is 0xFD: skipped by every user
    geChainee = 1,    // chained file
    geContigue = 2,   // C1 ≠ 0 and C2 ≠ 0: ⌈C1 × C2 / 256⌉ consecutive sectors
    geTtx = 3,        // C1 = 256, C2 = 0: first part of a long-named text file
    geSuiteNom = 4,   // 0xFD 0xFD 0xFD: 9 more characters of the entry before
    geRepertoire = 5, // C1 = 0 and C2 = 0: directory
    geDansRep = 6,    // any entry of a directory's list
    geFinCatal = 7,   // the catalogue's 0xFF
    geFinRep = 8      // a directory's 0xFF
};

struct TAppelCatal {
    TGenreEntree Genre = geIgnoree;
    int32_t Secteur = 0, Position = 0; // where the entry (or the end mark) lies
    int32_t C1 = 0, C2 = 0, Debut = 0;
    std::string Nom;        // 6 bytes (9 for kind 4); empty for kinds 7 and 8
    std::string Repertoire; // 6 bytes of the directory being walked, empty outside
};
// Returns true to ask the walker to stop calling it (the walk itself goes on).
using TRappelCatal = std::function<bool(const TAppelCatal&)>;
// Called with every sector the walker reads for the catalogue (repertoire
// empty) or for a directory's entry list.
using TObservateurSecteur = std::function<void(int32_t secteur, const std::string& repertoire)>;
// Called with each sector of a file, in order.
using TVisiteurSecteur = std::function<void(int32_t secteur, const uint8_t* tampon)>;

// The file or directory a line of the catalogue view shows.
struct TEntreeListee {
    // geChainee, geContigue, geTtx (a long name, or a first part listed
    // alone), geRepertoire or geDansRep.
    TGenreEntree Genre = geIgnoree;
    std::string Nom;        // the bytes listed: 6, or 15 for a long name
    std::string NomExport;  // trimmed, as the export names the host file
    std::string Repertoire; // 6 bytes of its directory, empty at top level
    int32_t C1 = 0, C2 = 0, Debut = 0;
};

// The caption and lines of the disk manager's catalogue view.
struct TCatalogueAffiche {
    bool Disque = false;  // a disk is in the drive
    bool Formate = false; // the list takes the window colour (else the button face)
    std::string Legende;
    std::vector<std::string> Lignes;
    std::vector<TEntreeListee> Entrees; // one per line, in the same order
    // Sectors a new file can still take (the import keeps the last one
    // free), 0 without a formatted disk.
    int32_t SecteursLibres = 0;
};

// "Place libre : 753 Ko" (1 Ko = 4 sectors); empty without a formatted disk.
std::string TextePlaceLibre(const TCatalogueAffiche& c);

// Why the last AjouteEntreeCatal refused its entry.
enum TRefusEntree : uint8_t { reAucun, reCatalPlein, reDisquePlein };

class TSystemeFichiers {
public:
    TSystemeFichiers(ISecteurs& secteurs, IDialogue& dialogue) : FSecteurs(secteurs), FDialogue(dialogue) {}

    ISecteurs& Secteurs() { return FSecteurs; }

    // Header of sector 1. Without a disk: false, -1 and -1.
    bool DisqueFormate();
    int32_t NumeroDuDisque();
    int32_t PremierSecteurLibre();
    void EcritSecteurLibre(int32_t libre);
    // The next free sector lies in the data area (NbSecteursCatal … NbSecteurs);
    // otherwise reports the damage and answers false.
    bool SecteurLibreValide();

    bool ParcourtCatalogue(const TRappelCatal& rappel);
    // The catalogue is full when the sector it would continue into is past
    // NbSecteursCatal or holds data (or is the next data sector): disks
    // formatted with the next free sector at NbSecteursCatal keep their
    // catalogue below it. Nothing is written then; DernierRefus says why.
    bool AjouteEntreeCatal(const std::string& nom, int32_t secteur, int32_t position, int32_t c1, int32_t c2);
    TRefusEntree DernierRefus() const { return FRefus; }
    // The lowest sector that holds data: the lowest start of any entry, or
    // the next free sector when lower.
    int32_t DebutDonnees();
    bool AjouteEntreeRep(const std::string& nom, int32_t secteur, int32_t position, int32_t c1, int32_t c2);
    bool CreeRepertoire(const std::string& nom);
    // Padded forms: 6-byte directory (empty at top level), 6- or 15-byte name.
    bool FichierExiste(const std::string& repertoire, const std::string& nom);
    bool RepertoireExiste(const std::string& nom);
    // Empty file system: formatted, disk number 0, next free sector
    // NbSecteursCatal, empty catalogue. False on a protected disk.
    bool FormatInconditionnel();
    TCatalogueAffiche AfficheCatalogue();

    // The sectors of a chained file from `debut`, ending after the sector
    // marked 0xFE. A link to sector 0, past the disk or back into the chain
    // ends it with a damage report; the answer is then false. `nom` names
    // the file in the report.
    bool SuitChaine(int32_t debut, const std::string& nom, const TVisiteurSecteur& visiteur);
    // `nombre` consecutive sectors from `debut`; what lies past the disk is
    // reported and left out.
    bool SuitContigu(int32_t debut, int64_t nombre, const std::string& nom, const TVisiteurSecteur& visiteur);

    // "Disque endommagé : …" texts, each shown once (box) and kept in order.
    void SignaleDommage(const std::string& texte);
    const std::vector<std::string>& Dommages() const { return FDommages; }

    TObservateurSecteur ObservateurSecteur;

private:
    void LitEntete(uint8_t* tampon);
    bool SecteurCatalLibre(int32_t secteur);
    bool Present() const { return FSecteurs.Etat() != 0; }
    void LitObserve(int32_t secteur, uint8_t* tampon, const std::string& repertoire);
    void ParcourtRepertoire(const TAppelCatal& entree, std::vector<bool>& vus,
                            const std::function<void(const TAppelCatal&)>& appelle);

    ISecteurs& FSecteurs;
    IDialogue& FDialogue;
    std::vector<std::string> FDommages;
    std::set<std::string> FDommagesVus;
    TRefusEntree FRefus = reAucun;
};

// Upper-cased, each character stored as the low 8 bits of its code, cut or
// padded with spaces to `longueur` bytes. `nom` is host text (UTF-8).
std::string NomCadre(std::string_view nom, size_t longueur);
// Disk bytes as text for the screen and the terminal: printable ASCII as it
// is, the machine's own characters below 0x20 and at 0x7F through its
// character translation (frame pieces, accented letters), 0xA0 and above as
// the character of that code (as host names are written), and the bytes
// that have no character (line controls, 0x80 to 0x9F) as \xHH. Never a
// byte that is not UTF-8, nor a terminal control.
std::string NomAffichable(std::string_view octets);
// Host text (UTF-8) to one byte per character (low 8 bits of each code);
// bytes that are not UTF-8 are kept as they are.
std::string TexteEnOctets(std::string_view texte);
// Disk bytes to host text (UTF-8), every byte kept.
std::string OctetsEnTexte(std::string_view octets);
// Spaces and control characters removed at both ends of disk bytes.
std::string NomSansEspaces(std::string_view octets);
