// What going back in the machine's time costs: BM_Processeur's program with
// the history on (snapshots every few million instructions), one step back
// anywhere in a full history (its distribution: the 99th percentile is what
// counts), and back to a breakpoint hit 10 s of machine time earlier.
#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "MachineBanc.h"
#include "config/Retour.h"

namespace {

void BM_ProcesseurRetour(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    banc.Poste->ActiveRetour(banc.Hote, TRetour::CapaciteDefaut);
    banc.Mesure(state);
    const TRetour& r = *banc.Poste->Retour();
    state.counters["instantanés"] = double(r.NbInstantanes());
    state.counters["Mo"] = double(r.Octets()) / double(1 << 20);
}
BENCHMARK(BM_ProcesseurRetour)->Unit(benchmark::kMillisecond);

// A history of 400 M instructions (several minutes of machine time), then
// steps back of one instruction from random instants in it.
void BM_ReculeUne(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    banc.Poste->ActiveRetour(banc.Hote, TRetour::CapaciteDefaut);
    TRetour& r = *banc.Poste->Retour();
    banc.M->Execute(400'000'000);
    std::mt19937_64 g(5);
    std::vector<double> durees;
    std::vector<std::string> avis;
    std::string erreur;
    for (auto _ : state) {
        state.PauseTiming();
        const uint64_t instant = r.Debut() + 1 + g() % (r.Fin() - r.Debut() - 1);
        r.VaA(instant, avis, erreur);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        r.VaA(instant - 1, avis, erreur);
        durees.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(durees.begin(), durees.end());
    state.counters["p99 ms"] = durees[std::min(durees.size() - 1, durees.size() * 99 / 100)];
    state.counters["max ms"] = durees.back();
}
BENCHMARK(BM_ReculeUne)->Unit(benchmark::kMillisecond)->Iterations(200);

// A breakpoint at the start of the program, hit once; then 10 s of machine
// time of the copy loop; back to the hit.
void BM_ReculeJusqua(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TMachineBanc banc = TMachineBanc::Copie();
        banc.Poste->ActiveRetour(banc.Hote, TRetour::CapaciteDefaut);
        TRetour& r = *banc.Poste->Retour();
        banc.M->TblPtArret[banc.M->RegPC] |= 1;
        banc.M->DebutCourse = banc.M->RegPC;
        const uint64_t fin = banc.Hote.MaintenantUs + 10'000'000;
        while (banc.Hote.MaintenantUs < fin) banc.M->Execute(1'000'000);
        banc.M->ChangeEtatCPU(CPUStop);
        state.ResumeTiming();
        benchmark::DoNotOptimize(r.DernierArret());
    }
}
BENCHMARK(BM_ReculeJusqua)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
