// One file at a time between the host and a disk: "Importer un fichier" and
// "Exporter le fichier sous" of the disk manager, `zorv disk put` and `get`.
// The whole-folder export and import are disks/ExportImport.*.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disks/Dialogue.h"
#include "disks/Secteurs.h"
#include "disks/SystemeFichiers.h"

// What the import of one host file asks: the name on the disk as text
// ("NOM", or "REP/NOM" for a file of a directory), C1 and C2.
struct TFichierAImporter {
    std::string Nom;
    int64_t C1 = 1, C2 = 0;
    bool operator==(const TFichierAImporter&) const = default;
};

// The values offered for a host file: decoded from a NOM_C1_C2 base name
// (the %XX of the export read back), else its base name without extension,
// upper-cased and cut to 6 characters, as a chained file (C1 1, C2 0).
TFichierAImporter ValeursImport(const std::string& cheminHote);

// Empty when the disk can take a file under that name with that C1 and C2,
// else the French reason: an empty or too long name, a character the disk
// cannot store or that would read as a catalogue mark, more than one level
// of directories, C1 or C2 past 65 535, C1 and C2 both 0 (a directory).
std::string RefusImport(const TFichierAImporter& f);

// What the file becomes on the disk, for a host file of `taille` bytes:
// "fichier chaîné, 3 secteurs", "fichier contigu de 2 secteurs (C1 × C2 =
// 300 octets)", "texte au nom long, chaîné, 1 secteur"; in a directory
// always chained. Empty when RefusImport refuses `f`.
std::string DescriptionImport(const TFichierAImporter& f, int64_t taille);

// The disk bytes of an accepted name: the directory (6 bytes, empty at the
// top level) and the name (6 bytes, 15 for C1 = 256 and C2 = 0 at the top
// level, where names are continued).
struct TNomSurDisque {
    std::string Repertoire, Nom;
};
TNomSurDisque NomSurDisque(const TFichierAImporter& f);

// Imports the host file `chemin` (a link the user names is followed) as `f`.
// All or nothing: a refusal (said to `dialogue`) leaves every sector as it
// was, a directory named by `f` included. A name already on the disk is
// refused, never replaced. The summary ("Fichier importé : …") goes to
// dialogue.Information. True when the file is on the disk.
bool ImporteFichierSeul(ISecteurs& disque, IDialogue& dialogue, const std::string& chemin,
                        const TFichierAImporter& f);

// The catalogue line of the file typed as "NOM" or "REP/NOM", in either
// case, given as its host text or as the catalogue view shows it (\xHH
// included). nullptr when no file of the view has that name.
const TEntreeListee* TrouveFichier(const TCatalogueAffiche& c, const std::string& nom);

// "NOM_C1_C2", the name the export gives the file of that line.
std::string NomHoteFichier(const TEntreeListee& e);

// The file of catalogue line `e` into the host file `chemin`, its bytes as
// the export writes them. The file goes to a temporary beside `chemin` and
// replaces it only once complete (a link is followed; a folder, a device or
// a read-only file is refused). False when refused (said to `dialogue`).
bool ExporteFichierSous(ISecteurs& disque, IDialogue& dialogue, const TEntreeListee& e,
                        const std::string& chemin);
