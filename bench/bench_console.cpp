// Instructions per second of a console program as `zorv run --bdos` runs it:
// all memory switched to RAM, the program low in memory (under where the ROM
// and video RAM overlays sit otherwise), temporary stops at 0x0000 and at the
// console trap, and the port map in use (keyboard status polled in the loop).
#include <benchmark/benchmark.h>

#include <memory>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"

namespace {

const uint8_t Programme[] = {
    0x21, 0x00, 0x40,       // 0100 BOUCLE: LXI H,4000H
    0x11, 0x00, 0x50,       // 0103 LXI D,5000H
    0x0E, 0x40,             // 0106 MVI C,64
    0x7E,                   // 0108 COPIE: MOV A,M
    0x12,                   // 0109 STAX D
    0x23,                   // 010A INX H
    0x13,                   // 010B INX D
    0xCD, 0x20, 0x01,       // 010C CALL CALCUL
    0x0D,                   // 010F DCR C
    0xC2, 0x08, 0x01,       // 0110 JNZ COPIE
    0xDB, 0xE2,             // 0113 IN E2H
    0xC3, 0x00, 0x01,       // 0115 JMP BOUCLE
};
const uint8_t Calcul[] = {
    0x80,       // 0120 ADD B
    0x47,       // 0121 MOV B,A
    0x27,       // 0122 DAA
    0x89,       // 0123 ADC C
    0x17,       // 0124 RAL
    0xC9,       // 0125 RET
};

void BM_ProgrammeConsole(benchmark::State& state) {
    auto m = std::make_unique<TMachine>();
    THoteVirtuel hote(m.get());
    m->Hote = &hote;
    m->InitMachine();
    m->SelMem = 0x81;
    for (size_t i = 0; i < sizeof Programme; ++i) m->ZorvMem[0x0100 + i] = Programme[i];
    for (size_t i = 0; i < sizeof Calcul; ++i) m->ZorvMem[0x0120 + i] = Calcul[i];
    m->TblPtArret[0x0000] = 2;
    m->TblPtArret[0xFE00] = 2;
    m->RegSP = 0xFDFE;
    m->RegPC = 0x0100;
    const uint64_t parTour = 10'000'000;
    for (auto _ : state) {
        m->Execute(parTour);
        benchmark::DoNotOptimize(m->RegA);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * parTour));
    state.counters["MIPS"] = benchmark::Counter(double(state.iterations() * parTour) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProgrammeConsole)->Unit(benchmark::kMillisecond);

} // namespace
