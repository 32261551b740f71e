// The profiler: how many times each address of each bank ran and the
// T-states spent there, and per routine — a symbol's range up to the next
// symbol — the calls, the exclusive T-states (its own instructions) and the
// inclusive ones (from its entry to its return, the routines it called
// included). Calls are followed by the stack: CALL, a taken Ccc and RST
// open a frame at the SP they leave; a return closes every frame at or
// below the SP it read its address from, so an interrupt's handler or a
// routine that drops its return address does not confuse the count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Sonde.h"
#include "debugger/Symboles.h"

struct TProfilAdresse {
    uint16_t Adresse = 0;
    uint8_t Banque = 0;
    uint64_t Executions = 0, Etats = 0;
};

struct TProfilRoutine {
    std::string Nom; // "(sans symbole)" below the first symbol
    uint16_t Debut = 0, Fin = 0;
    uint64_t Appels = 0, Exclusif = 0, Inclusif = 0;
};

class TProfileur {
public:
    void Active(bool actif);
    bool Actif() const { return FActif; }
    void Raz();
    void Recoit(const TPasExecute* pas, uint32_t n);

    uint64_t Instructions() const { return FInstructions; }
    uint64_t Etats() const { return FEtats; }
    uint64_t Executions(uint16_t adresse, uint8_t banque) const;
    // The `n` addresses of most T-states (then most runs), in that order.
    std::vector<TProfilAdresse> Chaudes(size_t n) const;
    // Every routine that ran or was called, by exclusive T-states; frames
    // still open count up to now.
    std::vector<TProfilRoutine> Routines(const TListeSymboles& symboles) const;
    // "adresse,banque,symbole,executions,etats_t", one line per address run.
    std::string Csv(const TListeSymboles& symboles) const;

private:
    struct TCadre {
        uint16_t SP = 0, Cible = 0;
        uint64_t Depart = 0; // T-states counted when the routine was entered
    };
    static constexpr size_t ProfondeurMax = 4096;
    bool FActif = false;
    struct TCompte {
        uint64_t Executions = 0, Etats = 0;
    };
    std::vector<TCompte> FComptes;            // bank << 16 | address
    std::vector<uint64_t> FAppels, FInclusif;     // by call target
    std::vector<uint32_t> FOuverts;               // frames of each target on the stack
    std::vector<TCadre> FPile;
    uint64_t FInstructions = 0, FEtats = 0;

    void Appel(const TPasExecute& p);
    void Retour(const TPasExecute& p);
};
