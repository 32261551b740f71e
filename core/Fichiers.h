// Whole-file reading and writing for every tool that touches host files.
// A written file goes to a fresh temporary beside the target and is renamed
// over it only once complete: a failure never leaves a truncated target and
// never removes what was there before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TLectureFichier { Ok, Absent, TropGros, Illisible };

// Reads the whole regular file `chemin`, refusing more than `tailleMax`
// bytes (nothing is read then).
TLectureFichier LitFichierEntier(const std::string& chemin, std::vector<uint8_t>& octets,
                                 uint64_t tailleMax = UINT64_MAX);
TLectureFichier LitFichierTexte(const std::string& chemin, std::string& texte, uint64_t tailleMax = UINT64_MAX);

// Atomic replacement of `chemin` by `donnees`. On failure returns false and
// puts a French sentence in `erreur`; the target is untouched.
bool EcritFichierAtomique(const std::string& chemin, const void* donnees, size_t taille, std::string& erreur);
inline bool EcritFichierAtomique(const std::string& chemin, const std::vector<uint8_t>& d, std::string& erreur) {
    return EcritFichierAtomique(chemin, d.data(), d.size(), erreur);
}
inline bool EcritFichierAtomique(const std::string& chemin, const std::string& d, std::string& erreur) {
    return EcritFichierAtomique(chemin, d.data(), d.size(), erreur);
}

// Creates `chemin` holding `donnees`, never replacing anything: when a name
// (file, folder or link, even a dangling one) is already there, returns false
// with `existe` set and touches nothing. The data go to a fresh temporary
// beside it first, so the name never shows a half-written file.
bool EcritFichierNouveau(const std::string& chemin, const void* donnees, size_t taille, bool& existe,
                         std::string& erreur);

// True when both paths name the same existing file (or the same path text).
bool MemeFichier(const std::string& a, const std::string& b);
bool FichierExiste(const std::string& chemin);
