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
