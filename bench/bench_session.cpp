// What recording a session costs: the run loop of a workstation on the
// virtual clock with and without a recorder (a CPU-bound loop in RAM, where
// the recorder's per-slice look and its fingerprint each second of machine
// time weigh the most), one fingerprint of the whole machine, and the size of
// a minute of machine time at the monitor's prompt with a key every 200 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "config/ChargeRoms.h"
#include "config/ClicheMachine.h"
#include "config/EnregistreurSession.h"
#include "config/FichierSession.h"
#include "config/Poste.h"

namespace {

void Boucle(TMachine& m) {
    m.InitMachine();
    // 2000: INR B / DCR C / INX D / JMP 2000, all of memory RAM
    const uint8_t boucle[] = {0x04, 0x0D, 0x13, 0xC3, 0x00, 0x20};
    for (size_t i = 0; i < sizeof boucle; ++i) m.ZorvMem[0x2000 + i] = boucle[i];
    m.RegPC = 0x2000;
    m.SelMem = 0x81;
    m.ChangeEtatCPU(CPURun);
}

void BM_SessionBoucle(benchmark::State& state) {
    const bool enregistre = state.range(0) != 0;
    TPosteVirtuel poste(7u);
    TMachine& m = poste.Machine();
    Boucle(m);
    std::unique_ptr<TEnregistreurSession> e;
    if (enregistre) e = std::make_unique<TEnregistreurSession>(poste, poste.HoteVirtuel);
    const uint64_t parTour = 20'000'000;
    for (auto _ : state) {
        m.Execute(parTour);
        benchmark::DoNotOptimize(m.RegB);
    }
    state.counters["MIPS"] = benchmark::Counter(double(state.iterations() * parTour) / 1e6, benchmark::Counter::kIsRate);
    if (e) state.counters["empreintes"] = double(e->Termine().Controles.size());
    state.SetLabel(enregistre ? "enregistrée" : "sans enregistrement");
}
BENCHMARK(BM_SessionBoucle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_EmpreinteMachine(benchmark::State& state) {
    TPosteVirtuel poste(7u);
    Boucle(poste.Machine());
    for (auto _ : state) benchmark::DoNotOptimize(Empreintes(poste.Machine(), &poste.HoteVirtuel));
}
BENCHMARK(BM_EmpreinteMachine)->Unit(benchmark::kMicrosecond);

// A minute of machine time at the prompt, a key every 200 ms.
void BM_SessionUneMinute(benchmark::State& state) {
    size_t octets = 0, evenements = 0;
    for (auto _ : state) {
        TPosteVirtuel poste(7u);
        TMachine& m = poste.Machine();
        THoteVirtuel& h = poste.HoteVirtuel;
        m.InitMachine();
        ChargeRomBoot(m, std::string(ZORV_PROGRAMME) + "/QBM71K.bin");
        ChargeRom128K(m, std::string(ZORV_PROGRAMME) + "/T318-C.bin");
        TEnregistreurSession e(poste, h);
        for (int k = 0; k < 300; ++k) {
            const uint64_t fin = h.MaintenantUs + 200'000;
            while (h.MaintenantUs < fin) m.LanceEmulation(100'000);
            m.ToucheDeHote(uint16_t(0x0100 | ('A' + k % 26)));
        }
        const TSession s = e.Termine();
        octets = CodeSession(s).size();
        evenements = s.Evenements.size();
    }
    state.counters["octets"] = double(octets);
    state.counters["événements"] = double(evenements);
}
BENCHMARK(BM_SessionUneMinute)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
