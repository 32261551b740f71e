// A sectioned settings file read and written like the host's profile
// routines: sections and keys compared without regard to case, values
// trimmed (and freed of one pair of enclosing quotes), a missing key gives the
// caller's default, and writing one key leaves every other line of the file
// as it was. The text is UTF-8; a byte-order mark is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Texte.h"

class TFichierIni {
public:
    // Reads `chemin`; a missing or unreadable file gives an empty one.
    // Returns false when the file could not be read.
    bool Charge(const std::string& chemin);
    // Builds the file from text already in memory.
    void ChargeTexte(const std::string& texte);
    // Writes the lines back; false when the file cannot be written.
    bool Enregistre(const std::string& chemin) const;
    std::string Texte() const;

    std::string LitTexte(const std::string& section, const std::string& cle, const std::string& defaut) const;
    // The value of its leading digits (with an optional sign); a value that
    // does not start with a digit counts as missing.
    int32_t LitEntier(const std::string& section, const std::string& cle, int32_t defaut) const;
    bool Existe(const std::string& section, const std::string& cle) const;

    void EcritTexte(const std::string& section, const std::string& cle, const std::string& valeur);
    void EcritEntier(const std::string& section, const std::string& cle, int32_t valeur);

private:
    std::vector<std::string> FLignes;

    // Index of the line "[section]" (first one), or -1.
    int TrouveSection(const std::string& section) const;
    // Index of the line of `cle` inside the section that starts at `debut`, or -1.
    int TrouveCle(int debut, const std::string& cle) const;
};
