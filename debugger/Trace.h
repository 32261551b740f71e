// The execution trace: one line per instruction executed, as the listing
// shows it, followed by the registers it left (in the form of
// `zorv run --regs`) and its T-states; a loop that runs the same
// instructions again and again is written once, then "(boucle ×N)". The
// lines go through a buffer into a temporary beside the target, which
// replaces it when the trace stops.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Fichiers.h"
#include "core/Sonde.h"
#include "debugger/Symboles.h"

// The line of an instruction, shared with the history:
// "    BOUCLE    2103  05        DCR  B          A=00 … PC=2104  T=4".
// The listing part is kept per address and bytes; Oublie after a change of
// the symbols.
class TFormeTrace {
public:
    explicit TFormeTrace(const TListeSymboles& symboles);
    // Appends the line, without its end, to `sortie`.
    void Ligne(const TPasExecute& p, std::string& sortie);
    void Oublie();

private:
    struct TCase {
        uint32_t Cle = UINT32_MAX;
        uint8_t Octets[3] = {};
        std::string Texte;
    };
    const TListeSymboles& FSymboles;
    std::vector<TCase> FCache;
    const std::string& Listing(const TPasExecute& p);
};

// "A=05 B=00 C=00 D=00 E=00 H=00 L=00 PSW=02 SP=FFFF PC=2102", as
// `zorv run --regs` prints the registers.
void EcritRegistres(const TPasExecute& p, std::string& sortie);

// Folds the loops of a stream of instructions. An instruction that ran
// again within the last LongueurMax instructions may start a loop of that
// length: the instructions that follow are held while they repeat the ones
// run that many before; after one whole round the loop is established and
// its rounds are counted until the stream leaves it. What was held and does
// not repeat goes out again through the same folding, the failed length
// excluded, so that a shorter loop inside it is still folded.
class TPliageBoucles {
public:
    class ISortie {
    public:
        virtual ~ISortie() = default;
        virtual void Pas(const TPasExecute& p) = 0;
        // The rounds of the loop whose body went out last, the written one included.
        virtual void Boucle(uint64_t tours) = 0;
    };
    static constexpr uint32_t LongueurMax = 1024;

    explicit TPliageBoucles(ISortie& sortie);
    void Ajoute(const TPasExecute& p);
    // What is held goes out (a loop under way with its count).
    void Termine();

private:
    static constexpr uint32_t TailleAnneau = 4 * LongueurMax;
    struct TBrut {
        TPasExecute Pas;
        uint32_t Distance = 0; // back to the previous run of its address, 0: none near
    };
    enum class TEtat : uint8_t { Libre, Soupcon, Boucle };
    ISortie& FSortie;
    std::vector<TBrut> FAnneau;
    std::vector<uint64_t> FVu; // by bank and address: number + 1 of its last run
    uint64_t FSuivant = 0;
    TEtat FEtat = TEtat::Libre;
    uint32_t FLongueur = 0, FDansTour = 0;
    uint64_t FDebut = 0, FTours = 0;
    std::deque<uint64_t> FARejouer;
    std::vector<std::pair<uint32_t, uint64_t>> FExclues; // (length, up to which instruction)

    const TBrut& Brut(uint64_t n) const { return FAnneau[n % TailleAnneau]; }
    bool Meme(uint64_t a, uint64_t b) const;
    bool Exclue(uint32_t longueur, uint64_t n) const;
    void Traite(uint64_t n, bool nouvelle);
    void Echoue(uint64_t debut, uint64_t fin);
};

struct TReglageTrace {
    uint16_t Debut = 0, Fin = 0xFFFF;  // instructions whose opcode is there
    std::optional<uint8_t> Banque;     // and fetched from this bank
    bool Tout = false;                 // every instruction, no folding
    bool operator==(const TReglageTrace&) const = default;
};

class TTrace : private TPliageBoucles::ISortie {
public:
    TTrace(const TListeSymboles& symboles, const TReglageTrace& reglage);
    bool Ouvre(const std::string& chemin, std::string& erreur);
    void Recoit(const TPasExecute* pas, uint32_t n);
    // Writes what is held and replaces the target.
    bool Ferme(std::string& erreur);
    void OublieSymboles() { FForme.Oublie(); }
    const TReglageTrace& Reglage() const { return FReglage; }
    const std::string& Chemin() const { return FChemin; }
    uint64_t Instructions() const { return FInstructions; } // traced
    uint64_t Lignes() const { return FLignes; }

private:
    TReglageTrace FReglage;
    TFormeTrace FForme;
    TPliageBoucles FPliage;
    TFichierProgressif FFichier;
    std::string FChemin, FLigne;
    uint64_t FInstructions = 0, FLignes = 0;

    void Pas(const TPasExecute& p) override;
    void Boucle(uint64_t tours) override;
};
