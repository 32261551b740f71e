// The interpreter while the debugger follows the execution, on the program
// of BM_Processeur: profiler and coverage, history (with "who wrote this"),
// and the trace written to a file, every instruction or its loops folded.
#include <unistd.h>

#include <filesystem>

#include "MachineBanc.h"
#include "debugger/Debogueur.h"

namespace {

void BM_ProcesseurProfilCouverture(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    TSuiviDebogueur& s = banc.Poste->Debogueur().Suivi;
    s.ActiveProfil(true);
    s.ActiveCouverture(true);
    banc.Mesure(state);
}
BENCHMARK(BM_ProcesseurProfilCouverture)->Unit(benchmark::kMillisecond);

void BM_ProcesseurHistorique(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    banc.Poste->Debogueur().Suivi.AjouteClient();
    banc.Mesure(state);
}
BENCHMARK(BM_ProcesseurHistorique)->Unit(benchmark::kMillisecond);

// One million instructions traced per round into a file of the temporary
// folder; the closing of the file (its fsync and rename) is left out of the
// time.
void Trace(benchmark::State& state, bool tout) {
    TMachineBanc banc = TMachineBanc::Copie();
    TSuiviDebogueur& s = banc.Poste->Debogueur().Suivi;
    const std::string chemin =
        (std::filesystem::temp_directory_path() / ("zorv_banc_trace_" + std::to_string(::getpid()))).string();
    TReglageTrace r;
    r.Tout = tout;
    const uint64_t parTour = 1'000'000;
    uint64_t lignes = 0;
    std::string erreur;
    for (auto _ : state) {
        state.PauseTiming();
        if (!s.CommenceTrace(chemin, r, erreur)) state.SkipWithError(erreur.c_str());
        state.ResumeTiming();
        banc.M->Execute(parTour);
        state.PauseTiming();
        lignes += s.Trace()->Lignes();
        s.ArreteTrace(erreur);
        state.ResumeTiming();
    }
    std::filesystem::remove(chemin);
    const double n = double(state.iterations() * parTour);
    state.SetItemsProcessed(int64_t(n));
    state.counters["MIPS"] = benchmark::Counter(n / 1e6, benchmark::Counter::kIsRate);
    state.counters["lignes/s"] = benchmark::Counter(double(lignes), benchmark::Counter::kIsRate);
}

void BM_TraceChaqueInstruction(benchmark::State& state) { Trace(state, true); }
BENCHMARK(BM_TraceChaqueInstruction)->Unit(benchmark::kMillisecond);

void BM_TraceBouclesRepliees(benchmark::State& state) { Trace(state, false); }
BENCHMARK(BM_TraceBouclesRepliees)->Unit(benchmark::kMillisecond);

} // namespace
