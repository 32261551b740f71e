// The listing of 512 bytes rebuilt at every stop of the processor, with a
// symbol list of a few hundred names (linear look-ups); and the assembly of a
// source of a few thousand lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "core/Machine.h"
#include "debugger/Assembleur.h"
#include "debugger/Desassembleur.h"

namespace {

void BM_Listing512Octets(benchmark::State& state) {
    auto m = std::make_unique<TMachine>();
    std::mt19937 g(1);
    for (int a = 0x4000; a < 0x4300; ++a) m->WriteBank(uint16_t(a), 0, uint8_t(g()));
    TListeSymboles symboles;
    for (int i = 0; i < state.range(0); ++i)
        symboles.push_back({"SYMBOLE" + std::to_string(i), 0x4000 + 2 * i});
    for (auto _ : state) {
        auto lignes = Dasm(SourceMachine(*m, 0, symboles), 0x4000, 0x41FF);
        benchmark::DoNotOptimize(lignes.data());
    }
}
BENCHMARK(BM_Listing512Octets)->Arg(0)->Arg(300);

void BM_Assemblage(benchmark::State& state) {
    std::string source = " org 100h\n";
    char ligne[80];
    for (int i = 0; i < 2000; ++i) {
        std::snprintf(ligne, sizeof ligne, "L%d: mvi a,(%d and 0ffh)\n jnz L%d\n", i, i,
                      (i * 7) % 2000);
        source += ligne;
    }
    for (auto _ : state) {
        TResultatAsm r = Assemble(source);
        benchmark::DoNotOptimize(r.Octets.data());
    }
    state.SetItemsProcessed(state.iterations() * 4000);
}
BENCHMARK(BM_Assemblage);

} // namespace
