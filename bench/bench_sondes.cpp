// The interpreter with a watchpoint set (its probe path), on the program of
// BM_Processeur: the price of watching memory, which BM_Processeur never
// pays.
#include "MachineBanc.h"
#include "debugger/Debogueur.h"

namespace {

void BM_ProcesseurSurveille(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    // Never reached: every access is looked at, none stops.
    banc.Poste->Debogueur().Sondes.AjouteSurveillance({0x8000, 0x80FF, asLes2, TVueSurv::CPU});
    banc.Mesure(state);
}
BENCHMARK(BM_ProcesseurSurveille)->Unit(benchmark::kMillisecond);

} // namespace
