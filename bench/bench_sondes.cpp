// The interpreter with a watchpoint set (its probe path), on the program of
// BM_Processeur: the price of watching memory, which BM_Processeur never
// pays.
#include "MachineBanc.h"
#include "debugger/Debogueur.h"

namespace {

void BM_ProcesseurSurveille(benchmark::State& state) {
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
    banc.M->Rom128K[0x12] = 0xFD;
    // Never reached: every access is looked at, none stops.
    banc.Poste->Debogueur().Sondes.AjouteSurveillance({0x8000, 0x80FF, asLes2, TVueSurv::CPU});
    banc.Mesure(state);
}
BENCHMARK(BM_ProcesseurSurveille)->Unit(benchmark::kMillisecond);

} // namespace
