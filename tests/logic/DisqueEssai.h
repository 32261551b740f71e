// Disks in memory for the file-system tests: a dialogue that records what the
// user would see and answers as told, and raw access to entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disks/Dialogue.h"
#include "disks/Secteurs.h"
#include "disks/SystemeFichiers.h"

class TDialogueEssai : public IDialogue {
public:
    void Message(const std::string& t) override { Messages.push_back(t); }
    void Information(const std::string& t) override { Infos.push_back(t); }
    bool Question(const std::string& t) override {
        Questions.push_back(t);
        return Reponse;
    }
    std::optional<std::string> ChoisitDossier(const std::string& titre, const std::string&) override {
        Titres.push_back(titre);
        return Dossier;
    }
    std::vector<std::string> Messages, Infos, Questions, Titres;
    std::optional<std::string> Dossier;
    bool Reponse = true;
};

constexpr int32_t Sect800 = 3080;

inline uint8_t* Octets(TImageMemoire& img, int32_t secteur, int32_t position = 0) {
    return img.Octets.data() + size_t(secteur - 1) * 256 + size_t(position);
}

inline int32_t Mot(TImageMemoire& img, int32_t secteur, int32_t position) {
    const uint8_t* p = Octets(img, secteur, position);
    return p[0] | p[1] << 8;
}

// A 12-byte entry written straight into the image.
inline void PoseEntreeBrute(TImageMemoire& img, int32_t secteur, int32_t position, const std::string& nom6,
                            int32_t c1, int32_t c2, int32_t debut) {
    uint8_t* p = Octets(img, secteur, position);
    for (int i = 0; i < 6; ++i) p[i] = i < int(nom6.size()) ? uint8_t(nom6[size_t(i)]) : ' ';
    p[6] = uint8_t(c1), p[7] = uint8_t(c1 >> 8);
    p[8] = uint8_t(c2), p[9] = uint8_t(c2 >> 8);
    p[10] = uint8_t(debut), p[11] = uint8_t(debut >> 8);
}

// A chain of `n` sectors from `debut`, consecutive, data byte k of sector i
// being (i * 31 + k) & 0xFF.
inline void PoseChaine(TImageMemoire& img, int32_t debut, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        uint8_t* p = Octets(img, debut + i);
        const int32_t suivant = debut + i + 1;
        p[0] = i + 1 == n ? 0xFE : uint8_t(suivant >> 8);
        p[1] = uint8_t(suivant);
        for (int k = 0; k < 253; ++k) p[2 + k] = uint8_t(i * 31 + k);
        p[255] = 0;
    }
}

// Adds an entry at the end of the main catalogue, or of a directory, as the
// import does.
inline bool AjouteEntree(TSystemeFichiers& fs, const std::string& nom, int32_t c1, int32_t c2,
                         const std::string& rep = {}) {
    bool ok = false;
    fs.ParcourtCatalogue([&](const TAppelCatal& a) {
        if (rep.empty() && a.Genre == geFinCatal)
            ok = fs.AjouteEntreeCatal(nom, a.Secteur, a.Position, c1, c2);
        if (!rep.empty() && a.Genre == geFinRep && a.Repertoire == rep)
            ok = fs.AjouteEntreeRep(nom, a.Secteur, a.Position, c1, c2);
        return ok;
    });
    return ok;
}

struct TAppelNote {
    TGenreEntree Genre;
    int32_t Secteur, Position;
    std::string Nom, Repertoire;
};

inline std::vector<TAppelNote> Appels(TSystemeFichiers& fs) {
    std::vector<TAppelNote> v;
    fs.ParcourtCatalogue([&](const TAppelCatal& a) {
        v.push_back({a.Genre, a.Secteur, a.Position, a.Nom, a.Repertoire});
        return false;
    });
    return v;
}
