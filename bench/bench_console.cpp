// Instructions per second of a console program as `zorv run --bdos` runs it:
// all memory switched to RAM, the program low in memory (under where the ROM
// and video RAM overlays sit otherwise), temporary stops at 0x0000 and at the
// console trap, and the port map in use (keyboard status polled in the loop).
#include "MachineBanc.h"

namespace {

void BM_ProgrammeConsole(benchmark::State& state) {
    TMachineBanc banc(R"(
        ORG 0100H
BOUCLE: LXI H,4000H
        LXI D,5000H
        MVI C,64
COPIE:  MOV A,M
        STAX D
        INX H
        INX D
        CALL CALCUL
        DCR C
        JNZ COPIE
        IN 0E2H
        JMP BOUCLE
)", "BOUCLE");
    TMachine& m = *banc.M;
    m.SelMem = 0x81;
    m.TblPtArret[0x0000] = 2;
    m.TblPtArret[0xFE00] = 2;
    m.RegSP = 0xFDFE;
    banc.Mesure(state);
}
BENCHMARK(BM_ProgrammeConsole)->Unit(benchmark::kMillisecond);

} // namespace
