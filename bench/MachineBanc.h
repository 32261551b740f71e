// A machine on the virtual clock running an assembled program, and the
// measure of its instructions per second, for the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "config/Poste.h"
#include "debugger/Assembleur.h"

// The arithmetic subroutine the benchmark programs call for every byte.
inline const char* const SousProgrammeCalcul = R"(
CALCUL: ADD B
        MOV B,A
        DAA
        ADC C
        RAL
        RET
)";

// The copy loop of BM_Processeur: a byte read, a byte stored in bank 1 (the
// PROM entry below), two increments and a call per byte.
inline const char* const ProgrammeCopie = R"(
        ORG 2000H
DEBUT:  LXI SP,0F000H
BOUCLE: LXI H,4000H
        LXI D,5000H
        MVI C,64
COPIE:  MOV A,M
        STAX D              ; bank 1 by the PROM
        INX H
        INX D
        CALL CALCUL
        DCR C
        JNZ COPIE
        JMP BOUCLE
)";

struct TMachineBanc {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>();
    TMachine* M = &Poste->Machine();
    THoteVirtuel& Hote = Poste->HoteVirtuel;

    TMachineBanc(const std::string& source, const std::string& entree) {
        M->InitMachine();
        const TResultatAsm r = Assemble(source + SousProgrammeCalcul, "banc");
        if (!r.Ok()) {
            std::fprintf(stderr, "%s", r.TexteErreurs().c_str());
            std::abort();
        }
        ChargeEnRam(*M, r);
        M->RegPC = r.Adresse(entree);
    }

    // The copy loop, STAX D's data cycle sent to bank 1.
    static TMachineBanc Copie() {
        TMachineBanc banc(ProgrammeCopie, "DEBUT");
        banc.M->Rom128K[0x12] = 0xFD;
        return banc;
    }

    // Runs slices of ten million instructions through the machine's run loop.
    void Mesure(benchmark::State& state) {
        const uint64_t parTour = 10'000'000;
        for (auto _ : state) {
            M->Execute(parTour);
            benchmark::DoNotOptimize(M->RegA);
        }
        const double n = double(state.iterations() * parTour);
        state.SetItemsProcessed(int64_t(n));
        state.counters["MIPS"] = benchmark::Counter(n / 1e6, benchmark::Counter::kIsRate);
    }
};
