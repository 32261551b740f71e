// Instructions per second of the interpreter on a CPU-bound program:
// arithmetic, a memory copy whose stores go to bank 1 through the PROM, and a
// call/return per byte, run through the same loop as the machine (breakpoint
// test before every instruction, interrupt test after).
#include "MachineBanc.h"

namespace {

void BM_Processeur(benchmark::State& state) {
    TMachineBanc banc = TMachineBanc::Copie();
    banc.Mesure(state);
}
BENCHMARK(BM_Processeur)->Unit(benchmark::kMillisecond);

} // namespace
