// The disk manager ("Gestionnaire de disques") without its window: the rows
// of the drive list, the enabled state of its pop-up menu, the catalogue view
// of the selected drive, the commands on that drive, the saving of the
// assignment, and the short list of images inserted lately.
//
// The window (disks/GesDsqForm.*) lays out the controls and asks the user;
// everything it shows comes from here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disks/Dialogue.h"
#include "disks/ExportImport.h"
#include "disks/FichierSeul.h"
#include "disks/Lecteurs.h"
#include "disks/SystemeFichiers.h"

struct TMachine;
struct TParametres;

// Items of PopupMenu1, in their order.
enum TCommandeDsq : int {
    cdInsere,     // "Insérer un disque"
    cdEjecte,     // "Éjecter le disque"
    cdVierge,     // "Insérer un disque vierge"
    cdProtect,    // "Protéger en écriture"
    cdExportDsq,  // "Exporter le disque"
    cdFormater,   // "Formater le disque"
    cdImportDir,  // "Importer un répertoire"
    cdFmtImport,  // "Formater puis importer le répertoire"
    NbCommandesDsq
};
extern const std::array<const char*, NbCommandesDsq> LibellesCommandesDsq;

// Which items are enabled for the selected row (none: all disabled) and the
// disk state of its slot (0 empty, 1 writable, 2 protected).
std::array<bool, NbCommandesDsq> EtatsMenuDsq(bool ligneChoisie, uint8_t etatDisque);

// Captions of the drive list.
constexpr const char* PasDeFichier = "<pas de fichier>";
constexpr std::array<const char*, 4> ColonnesDsq{"Disque", "Taille", "Fichier", "Protection"};
constexpr std::array<int, 4> LargeursColonnesDsq{50, 70, 300, 80};

struct TLigneDsq {
    std::string Disque, Taille, Fichier, Protection;
    bool operator==(const TLigneDsq&) const = default;
};

// What the open and save dialogs of the disk manager ask for. Filters are
// in the "caption|pattern|caption|pattern" form.
struct TDemandeFichier {
    std::string Titre, Filtre, Extension;
};
extern const TDemandeFichier DemandeInsertion; // "Nom du fichier disque à insérer"
extern const TDemandeFichier DemandeVierge;    // "Nom du fichier image disque à créer"
// "Images disque|*.img|Tous les fichiers|*.*" as the window system writes
// it: "Images disque (*.img);;Tous les fichiers (*)".
std::string FiltreQt(const std::string& filtre);

// The three sizes of a new image, as `zorv disk new --size` makes them:
// 400K, 800K (the default) and 1.2M.
struct TTailleImage {
    int64_t Octets;
    const char* Legende; // "800 Ko", as the drive list says it
};
extern const std::array<TTailleImage, 3> TaillesImage;
// What the "Nouvelle image" dialog asks: the size, and whether the image
// goes into the selected drive.
struct TChoixNouvelleImage {
    int64_t Taille = 788480;
    bool Insere = false;
    bool operator==(const TChoixNouvelleImage&) const = default;
};
// "800 Ko (788 480 octets)"
std::string LibelleTailleImage(const TTailleImage& t);
extern const TDemandeFichier DemandeNouvelle;     // "Nom de la nouvelle image disque"
extern const TDemandeFichier DemandeImportFichier; // "Fichier de l'hôte à importer"
extern const TDemandeFichier DemandeExportFichier; // "Fichier de l'hôte à écrire"

// The images inserted lately, most recent first, at most NbImagesRecentes,
// each once. Kept in the settings file, section [ImagesRecentes], keys
// Image1 … Image8, written alone (the other lines of the file stay).
constexpr int NbImagesRecentes = 8;
constexpr const char* SectionImagesRecentes = "ImagesRecentes";
std::vector<std::string> AjouteImageRecente(std::vector<std::string> liste, const std::string& chemin);
std::vector<std::string> LitImagesRecentes(const std::string& cheminIni);
bool EcritImagesRecentes(const std::string& cheminIni, const std::vector<std::string>& liste, std::string& erreur);

class TGestionDisques {
public:
    explicit TGestionDisques(TLecteurs& lecteurs) : Lecteurs(lecteurs) {}

    TLecteurs& Lecteurs;
    TExportImport ExportImport;
    std::vector<std::string> Recentes;
    // Where the recent images are kept (the settings file); empty = nowhere.
    std::string CheminRecentes;

    // The selected row of the drive list, 0 to 5, or -1.
    int Ligne = -1;
    // Row r is slot r + 1; 0 with no row.
    int Slot() const { return Ligne >= 0 && Ligne < NbLecteurs ? Ligne + 1 : 0; }
    uint8_t Etat() const { return Lecteurs.EtatDuDisque(Slot()); }

    // Row r (0 to 5) of the drive list.
    TLigneDsq LigneLecteur(int ligne) const;
    std::array<bool, NbCommandesDsq> EtatsMenu() const { return EtatsMenuDsq(Slot() != 0, Etat()); }

    // The catalogue view of the selected drive, rebuilt (and kept in
    // Catalogue). Reports of a damaged disk go to `dialogue`; the view is
    // rebuilt at every click, so the same reports for the same image are
    // shown once, until they change or OublieDommages is called.
    const TCatalogueAffiche& RafraichitCatalogue(IDialogue& dialogue);
    void OublieDommages() { FDommagesMontres = {}; }
    TCatalogueAffiche Catalogue;
    // The catalogue line `ligne` can be exported alone.
    bool LigneExportable(int ligne) const;

    // Insert an image into `slot` (a row's slot, or 1 for a drop on the
    // screen). Empty on success, else the message to show ("La taille du
    // fichier image doit être : …"). A success puts the image first in the
    // recent list; `erreurRecentes` gets the reason when that list could
    // not be stored.
    std::string Insere(int slot, const std::string& chemin, const std::string& separateur,
                       std::string& erreurRecentes);
    // A blank image at `chemin` into the selected drive; raises TErreurES.
    void InsereVierge(const std::string& chemin, std::string& erreurRecentes);
    void Ejecte() { Lecteurs.Ejecte(Slot()); }
    // "Protéger en écriture": toggles the protection of the selected disk.
    // Empty when done, else the message to show: a file the host opened
    // read-only cannot be unprotected.
    std::string BasculeProtection();
    // "Formater le disque": asks, and on Yes writes an empty file system.
    // False when nothing was done.
    bool Formate(IDialogue& dialogue);
    void Exporte(IDialogue& dialogue);
    void Importe(IDialogue& dialogue);
    void FormateEtImporte(IDialogue& dialogue);
    // "Exporter le fichier" on catalogue line `ligne`.
    void ExporteFichier(IDialogue& dialogue, int ligne);

    // "Importer un fichier": the host file `chemin` onto the selected disk
    // as `f`, all or nothing; the summary once the image is written.
    void ImporteFichier(IDialogue& dialogue, const std::string& chemin, const TFichierAImporter& f);
    // "Exporter le fichier sous": catalogue line `ligne` into host file
    // `chemin`; the host name the export would give it, in the folder of the
    // last export (else the image's), is offered first (CheminExportPropose).
    void ExporteFichierSous(IDialogue& dialogue, int ligne, const std::string& chemin);
    std::string CheminExportPropose(int ligne) const;
    // "Nouvelle image": a blank image of `taille` bytes at `chemin`, never
    // over an existing file. Inserted into the selected drive when `insere`
    // and the drive takes that size (TailleAcceptee). Empty on success, else
    // the message to show.
    std::string CreeImage(const std::string& chemin, int64_t taille, bool insere, std::string& erreurRecentes);
    // The size the selected drive takes (800 Ko without a row).
    int64_t TailleProposee() const;
    bool TailleAcceptee(int64_t taille) const { return Slot() != 0 && taille == TailleProposee(); }
    // "Place libre : 753 Ko" for the catalogue view; empty without a
    // formatted disk.
    std::string PlaceLibre() const { return TextePlaceLibre(Catalogue); }

    // "Enregistrer images": the six paths into the settings (keys D1 … D12;
    // empty for an empty drive), then the settings file.
    bool EnregistreImages(const TMachine& m, TParametres& p) const;

private:
    bool NoteRecente(const std::string& chemin, std::string& erreur);
    // Per slot: the image and the damage reports last shown for its view.
    std::array<std::string, NbLecteurs + 1> FDommagesMontres;
};
