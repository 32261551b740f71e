// Instructions per second of the interpreter on a CPU-bound program:
// arithmetic, a memory copy whose stores go to bank 1 through the PROM, and a
// call/return per byte, run through the same loop as the machine (breakpoint
// test before every instruction, interrupt test after).
#include "MachineBanc.h"

namespace {

void BM_Processeur(benchmark::State& state) {
    TMachineBanc banc(R"(
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
)", "DEBUT");
    banc.M->Rom128K[0x12] = 0xFD; // STAX D: data cycle in bank 1
    banc.Mesure(state);
}
BENCHMARK(BM_Processeur)->Unit(benchmark::kMillisecond);

} // namespace
