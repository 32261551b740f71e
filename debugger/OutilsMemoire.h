// The memory tools of the debugger without their windows: reading and
// writing through a view (the processor's, or one raw bank), the fill and
// copy of the dialogs "Initialisation de mémoire" and "Copie de données",
// and the search of the memory window ("Rechercher").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Machine.h"
#include "debugger/Inspection.h"

// A view and the bank the processor's view passes to ReadMem/WriteMem: 0 for
// the memory window and the fill, 1 for the copy.
struct TAccesMemoire {
    TVueMemoire Vue = TVueMemoire::CPU;
    uint8_t BanqueCPU = 0;
};

uint8_t LitAcces(const TMachine& m, uint16_t adresse, TAccesMemoire acces);
// The processor's view writes with all its effects (ROM refused with its
// message, video RAM repainted, nothing above MaxAdrRam).
void EcritAcces(TMachine& m, uint16_t adresse, TAccesMemoire acces, uint8_t octet);

// "cpu", "logiciel", "data" (letter case ignored).
std::optional<TVueMemoire> VueNommee(std::string_view nom);
const char* NomVue(TVueMemoire vue);

// What a fill or a copy did and the text of its message box.
struct TBilanMemoire {
    int64_t Nombre = 0;   // bytes written (0 when refused)
    bool Refuse = false;  // the destination would pass FFFF
    std::string Message;  // "256 octets remplis", "Débordement de la zone de destination" …
};

// Fill: `valeur` from `debut` to `fin` inclusive; nothing when fin < debut.
// In the processor's view a write the ROM refuses is reported once, not once
// per byte.
TBilanMemoire Remplit(TMachine& m, int32_t debut, int32_t fin, uint8_t valeur, TAccesMemoire acces);
// Copy of debut..fin to dest. Refused when the destination block would pass
// FFFF; overlapping blocks copy as the user meant (the source as it was
// before the copy); nothing when fin < debut or when source and destination
// are the very same bytes.
TBilanMemoire Copie(TMachine& m, int32_t debut, int32_t fin, int32_t dest, TAccesMemoire source,
                    TAccesMemoire destination);

// A search pattern: hexadecimal bytes ("3E 01", "3E01", "3e,01") or a text
// between double quotes in the machine's character set ("ÉTÉ" finds the
// machine's codes for É and T). Empty with a French message when malformed.
struct TMotif {
    std::vector<uint8_t> Octets;
    std::string Erreur;
};
TMotif LitMotif(std::string_view texte);
// The machine's code of a host character (the inverse of
// TraduitZorvCourier over codes 0..7F), if it has one.
std::optional<uint8_t> CodeZorv(char32_t c);

// The first address >= depuis where the pattern lies whole inside
// debut..fin, through the view; none when there is none.
std::optional<int32_t> Cherche(const TMachine& m, int32_t debut, int32_t fin, int32_t depuis,
                               const std::vector<uint8_t>& motif, TAccesMemoire acces);

// "Charger un fichier…" and charge-mem: the bytes of a host file written
// from `adresse` through the view, as the editor writes them. Refused with
// nothing written when the file is not a readable regular file, is empty,
// or would pass FFFF.
TBilanMemoire ChargeFichier(TMachine& m, const std::string& chemin, int32_t adresse, TAccesMemoire acces);
// "Enregistrer la zone…" and sauve-mem: debut..fin read through the view
// (with no side effect) into a host file, replaced whole or not at all.
TBilanMemoire SauveZone(const TMachine& m, const std::string& chemin, int32_t debut, int32_t fin,
                        TAccesMemoire acces);
