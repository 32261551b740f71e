// Copying files between a disk and a host folder. Export writes each file of
// the disk as one host file named "NAME_C1_C2" ("%s_%.5u_%.5u"), files of a
// directory in a sub-folder of the directory's name; import reads a folder
// laid out the same way back onto a disk. Bytes are kept as they are: chained
// files travel as the 253 data bytes of each sector, contiguous files as
// whole sectors.
//
// Host names never lead outside the chosen folder: characters a host name
// cannot hold safely (control characters, '/', '\\', and '%' itself) are
// written as %XX, and a name "." or ".." as %2E; the import reads %XX back.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/DossierHote.h"
#include "disks/Dialogue.h"
#include "disks/SystemeFichiers.h"

struct TNomHote {
    bool Valide = false;
    std::string Nom; // 6 bytes, or 15 for C1 = 256 and C2 = 0 (NomCadre)
    int32_t C1 = -1, C2 = -1;
};

// A host base name (no folder, no extension) as NAME_C1_C2. Exactly one "_"
// is refused: it would leave C1 unknown.
TNomHote DecodeNomHote(const std::string& texte);
// The second line of the refusal of a host name without that form: what it
// should look like.
std::string FormeNomHote();
// Host name of disk bytes: trimmed, unsafe characters as %XX, text in UTF-8.
std::string NomHoteSur(const std::string& octets);
// "%XX" (two hexadecimal digits) back to the character of that code.
std::string DecodeEchappements(const std::string& texte);

// "NAME_C1_C2": the host base name the export gives a file (`nom`: trimmed
// disk bytes).
std::string NomHoteExport(const std::string& nom, int32_t c1, int32_t c2);
// Every character of host text (UTF-8) fits in one byte of the disk; bytes
// that are not UTF-8 are stored as they are.
bool CaracteresStockables(std::string_view texte);

// The bytes of a file as the export writes them: the 253 data bytes of each
// sector of a chain, the whole sectors of a contiguous file. Damage met on
// the way is reported through `fs` and what was read is kept. `nom`
// (trimmed disk bytes) names the file in those reports.
std::vector<uint8_t> OctetsChaine(TSystemeFichiers& fs, int32_t debut, const std::string& repertoire,
                                  const std::string& nom);
std::vector<uint8_t> OctetsContigu(TSystemeFichiers& fs, int32_t debut, int32_t c1, int32_t c2,
                                   const std::string& nom);

// A line of the catalogue view that "Exporter le fichier" can write: any
// file, not a directory.
bool ExportableSeul(const TEntreeListee& e);

// The export and import state of the disk manager: the folders chosen last,
// the counters and the format-then-import flag.
class TExportImport {
public:
    std::string RepExport, RepImport;
    int32_t NbExport = 0, NbImport = 0;
    std::string NomFicZorv, NomRepZorv; // disk name and directory of the file being imported
    int32_t C1FicZorv = 0, C2FicZorv = 0;
    bool MemoireFmt = false; // the next import formats the disk first

    // "Exporter le disque".
    void Exporte(ISecteurs& secteurs, IDialogue& dialogue);
    // "Exporter le fichier": one line of the catalogue view into a chosen
    // folder, named and refused exactly as by the whole export. Directory
    // lines are not exported alone.
    void ExporteFichier(ISecteurs& secteurs, IDialogue& dialogue, const TEntreeListee& entree);
    // "Importer un répertoire" (formats first when MemoireFmt is set).
    void Importe(ISecteurs& secteurs, IDialogue& dialogue);
    // "Formater puis importer le répertoire": asks, then imports.
    void FormateEtImporte(ISecteurs& secteurs, IDialogue& dialogue);

    // One host file onto the disk, in `repertoire` (6 bytes) or at the top
    // level (empty). False when refused (reported to `dialogue`).
    bool ImporteFichier(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                        const std::string& repertoire, const std::string& nom, int32_t c1, int32_t c2);
    // The same with the host file's bytes already read (`tropGros`: the
    // file is larger than the disk); `chemin` names it in the messages.
    bool ImporteOctets(TSystemeFichiers& fs, IDialogue& dialogue, const std::string& chemin,
                       const std::vector<uint8_t>& octets, bool tropGros, const std::string& repertoire,
                       const std::string& nom, int32_t c1, int32_t c2);
    // The folder RepImport. False when an invalid host name ended it. Every
    // host file the disk cannot take (a link, never followed; a FIFO or a
    // device; an unreadable file; a folder nested deeper than one level; a
    // name with a character the disk cannot store, or that becomes the disk
    // name of another file of the folder; C1 and C2 both 0 at the top level)
    // is listed with its reason before the summary. A file whose name was
    // already on the disk is skipped without a word and not counted.
    bool ImporteRepertoire(TSystemeFichiers& fs, IDialogue& dialogue);

private:
    bool ImporteUn(TSystemeFichiers& fs, IDialogue& dialogue, const TDossierHote& dossier, const TElementHote& e,
                   const std::string& repertoire);
    std::vector<std::string> FIgnores;                 // the skipped host files, with their reasons
    std::map<std::string, std::string> FNomsImportes; // "directory/name" on the disk -> host path
};
