// A host folder held open by its descriptor. Everything inside is reached
// relative to it and never through a symbolic link, so a folder of unknown
// origin (an unpacked archive, a folder another program changes meanwhile)
// cannot lead a read or a write anywhere else.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Fichiers.h"

enum class TGenreHote { Fichier, Dossier, Lien, Special, Inconnu };

struct TElementHote {
    std::string Nom;
    TGenreHote Genre = TGenreHote::Inconnu;
};

class TDossierHote {
public:
    TDossierHote() = default;
    ~TDossierHote();
    TDossierHote(TDossierHote&& autre) noexcept;
    TDossierHote& operator=(TDossierHote&& autre) noexcept;
    TDossierHote(const TDossierHote&) = delete;
    TDossierHote& operator=(const TDossierHote&) = delete;

    // The folder the user named: links in that path are the user's choice
    // and are followed. Not open (Erreur() set) on failure.
    static TDossierHote Ouvre(const std::string& chemin);
    // A sub-folder, never through a link; made when missing and `creer`.
    // Not open on failure: Erreur() is ELOOP for a link, ENOTDIR for
    // something that is no folder.
    TDossierHote Sous(const std::string& nom, bool creer) const;

    bool Ouvert() const { return FFd >= 0; }
    int Erreur() const { return FErreur; }
    // The path as the user reads it, with a trailing separator.
    const std::string& Chemin() const { return FChemin; }

    // The entries, "." and ".." left out, sorted by name; each one's kind as
    // it is itself (a link is a link).
    std::vector<TElementHote> Liste() const;
    TGenreHote Genre(const std::string& nom) const;
    // The whole regular file `nom`, never through a link, nor a FIFO or a
    // device; more than `tailleMax` bytes gives TropGros and nothing read.
    // `err` gets the host's error number of a failed read.
    TLectureFichier Lit(const std::string& nom, std::vector<uint8_t>& octets, uint64_t tailleMax,
                        int& err) const;
    // Creates `nom` holding the data, never replacing anything: the data go
    // to a fresh temporary ".nom.XXXXXX" of this folder (locked while it is
    // written), which takes the name only if it is free. `existe` is set
    // when the name was taken.
    bool CreeFichier(const std::string& nom, const void* donnees, size_t taille, bool& existe, int& err) const;
    // Removes the temporaries ".NAME.XXXXXX" that a killed writer left, for
    // the NAMEs `estDeNous` recognises: regular files locked by nobody.
    // Returns how many.
    int NettoieTemporaires(const std::function<bool(const std::string&)>& estDeNous) const;

private:
    int FFd = -1;
    int FErreur = 0;
    std::string FChemin;
};

// "NAME" of a temporary ".NAME.XXXXXX" as mkstemp makes them; empty when
// `nom` has not that form.
std::string NomDuTemporaire(const std::string& nom);
