// Instructions per second of the interpreter on a CPU-bound program:
// arithmetic, a memory copy whose stores go to bank 1 through the PROM, and a
// call/return per byte, run through the same loop as the machine (breakpoint
// test before every instruction, interrupt test after).
#include <benchmark/benchmark.h>

#include <memory>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"

namespace {

const uint8_t Programme[] = {
    0x31, 0x00, 0xF0,       // 2000 LXI SP,F000H
    0x21, 0x00, 0x40,       // 2003 BOUCLE: LXI H,4000H
    0x11, 0x00, 0x50,       // 2006 LXI D,5000H
    0x0E, 0x40,             // 2009 MVI C,64
    0x7E,                   // 200B COPIE: MOV A,M
    0x12,                   // 200C STAX D      (bank 1 by the PROM)
    0x23,                   // 200D INX H
    0x13,                   // 200E INX D
    0xCD, 0x20, 0x20,       // 200F CALL CALCUL
    0x0D,                   // 2012 DCR C
    0xC2, 0x0B, 0x20,       // 2013 JNZ COPIE
    0xC3, 0x03, 0x20,       // 2016 JMP BOUCLE
};
const uint8_t Calcul[] = {
    0x80,       // 2020 ADD B
    0x47,       // 2021 MOV B,A
    0x27,       // 2022 DAA
    0x89,       // 2023 ADC C
    0x17,       // 2024 RAL
    0xC9,       // 2025 RET
};

void BM_Processeur(benchmark::State& state) {
    auto m = std::make_unique<TMachine>();
    THoteVirtuel hote(m.get());
    m->Hote = &hote;
    m->InitMachine();
    for (size_t i = 0; i < sizeof Programme; ++i) m->ZorvMem[0x2000 + i] = Programme[i];
    for (size_t i = 0; i < sizeof Calcul; ++i) m->ZorvMem[0x2020 + i] = Calcul[i];
    m->Rom128K[0x12] = 0xFD; // STAX D: data cycle in bank 1
    m->RegPC = 0x2000;
    const uint64_t parTour = 10'000'000;
    for (auto _ : state) {
        m->Execute(parTour);
        benchmark::DoNotOptimize(m->RegA);
    }
    state.SetItemsProcessed(int64_t(state.iterations() * parTour));
    state.counters["MIPS"] = benchmark::Counter(double(state.iterations() * parTour) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Processeur)->Unit(benchmark::kMillisecond);

} // namespace
