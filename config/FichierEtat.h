// The state file: the whole machine as one value on disk. Layout (all
// integers little-endian; see docs/etat.md):
//   "ZORVETAT"  magic, 8 bytes
//   u16         format version
//   chunks, each: 4-byte identifier, u16 chunk version, u8 packing (0 stored,
//               1 zstd), u32 packed length, u32 length, u32 CRC-32 of the
//               unpacked bytes, then the packed bytes
//   "FIN " chunk last (empty).
// Every chunk keeps its own version; a reader of each older version stays,
// so a state written once loads in every later version of the program.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Empreinte.h"
#include "core/EtatsMachine.h"

constexpr uint16_t VersionFormatEtat = 1;
constexpr size_t NbLecteursEtat = 6;

// What `zorv state info` and the load dialog show.
struct TInfoEtat {
    static constexpr char Id[5] = "INFO";
    static constexpr uint16_t Version = 1;
    int32_t Modele = 0;
    std::string NomModele;
    int64_t DateUnix = 0;   // seconds since 1970, UTC
    std::string Programme;  // "EmulZorv 2.2"
    bool operator==(const TInfoEtat&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.Modele), v(s.NomModele), v(s.DateUnix), v(s.Programme);
    }
};

// One drive at save time; an empty path for an empty drive.
struct TDisqueEtat {
    using EstEnregistrement = void;
    std::string Chemin;
    uint64_t Taille = 0;
    bool Protege = false;
    TSha256 Empreinte{};
    bool operator==(const TDisqueEtat&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.Chemin), v(s.Taille), v(s.Protege), v(s.Empreinte);
    }
};

struct TDisquesEtat {
    static constexpr char Id[5] = "DISQ";
    static constexpr uint16_t Version = 1;
    std::array<TDisqueEtat, NbLecteursEtat> Lecteurs{}; // slots 1…6
    bool operator==(const TDisquesEtat&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) { v(s.Lecteurs); }
};

// The PNG picture of the screen, a quarter of its size each way.
struct TVignetteEtat {
    static constexpr char Id[5] = "VIGN";
    static constexpr uint16_t Version = 1;
    std::vector<uint8_t> Png;
    bool operator==(const TVignetteEtat&) const = default;
};

struct TEtatComplet {
    TInfoEtat Info;
    TVignetteEtat Vignette;
    TDisquesEtat Disques;
    TImagesRom Roms;
    TEtatProcesseur Processeur;
    TEtatMemoire Memoire;
    TEtatEcran Ecran;
    TEtatClavier Clavier;
    TEtatImprimante Imprimante;
    TEtatControleurDsq Dsq;
    TEtatArith Arith;
    TEtatDisqueDur DisqueDur;
    TEtatPorts Ports;
    TEtatHorloge Horloge;
    uint16_t VersionFormat = VersionFormatEtat; // of the file it was read from
    bool operator==(const TEtatComplet&) const = default;
};

// One chunk as found in a file (for the info command and the tests).
struct TMorceauEtat {
    std::string Id;
    uint16_t Version = 0;
    uint8_t Compression = 0;
    uint32_t LongueurStockee = 0, Longueur = 0;
    std::vector<uint8_t> Octets; // unpacked
};

std::vector<uint8_t> CodeEtat(const TEtatComplet& e);
// One chunk in the layout above (packed with zstd when that makes it
// smaller), for every file of the program built of chunks.
void CodeMorceau(std::vector<uint8_t>& o, const char* id, uint16_t version, const std::vector<uint8_t>& brut);
// What tells one file of chunks from another: its magic, the newest format
// version this program reads, the largest chunk, and the messages of a
// refusal (the chunk's name follows TropGrand's subject and Tronque).
struct TFormatMorceaux {
    const char* Magie; // 8 bytes
    uint16_t VersionMax;
    uint32_t LongueurMax;
    const char *Etranger, *Recent /* two %u: the file's version, ours */, *Inconnu, *FinManque, *TropGrand,
        *Tronque, *Suite;
};
bool LitMorceaux(const TFormatMorceaux& format, const uint8_t* p, size_t n, uint16_t& versionFormat,
                 std::vector<TMorceauEtat>& morceaux, std::string& erreur);
// The file's chunks, checked (magic, version, lengths, CRC) and unpacked;
// false with a French message.
bool LitMorceaux(const uint8_t* p, size_t n, uint16_t& versionFormat, std::vector<TMorceauEtat>& morceaux,
                 std::string& erreur);
// The file into `e`, every record read and checked: false with a French
// message and `e` in an unspecified state (callers read into a fresh record).
bool DecodeEtat(const uint8_t* p, size_t n, TEtatComplet& e, std::string& erreur);
inline bool DecodeEtat(const std::vector<uint8_t>& o, TEtatComplet& e, std::string& erreur) {
    return DecodeEtat(o.data(), o.size(), e, erreur);
}
// The values a running machine relies on (indices into its buffers, its
// states, its model): empty when sound, else what is wrong.
std::string ControleEtat(const TEtatComplet& e);
