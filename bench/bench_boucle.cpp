// The run loop as the window drives it: slices of 512 instructions, the host
// clock read after each slice and the event pump called once a millisecond
// has passed (here an empty pump: the window system's share is measured by
// EMULZORV_MESURE on the real window). Program: the CPU-bound loop of the
// demonstration boot ROM.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "core/Machine.h"

namespace {

class THotePompe : public IHote {
public:
    uint64_t Pompes = 0;
    void MessageErreur(const std::string&) override {}
    void MessageInfo(const std::string&) override {}
    void Repeint() override {}
    void DemarreTimer(TTimer, uint32_t) override {}
    void ArreteTimer(TTimer) override {}
    bool TimerActif(TTimer) const override { return false; }
    uint32_t TickCount() override { return 0; }
    THeureLocale HeureLocale() override { return {}; }
    void Dors(uint32_t) override {}
    bool Question(const std::string&) override { return false; }
    void PosteMessage(const TMessage&) override {}
    uint32_t TrancheMax() override { return 512; }
    void ApresTranche(uint32_t) override {
        const auto maintenant = std::chrono::steady_clock::now();
        if (maintenant - FDernierePompe < std::chrono::milliseconds(1)) return;
        FDernierePompe = maintenant;
        ++Pompes;
    }

private:
    std::chrono::steady_clock::time_point FDernierePompe{};
};

void BM_BouclePompee(benchmark::State& state) {
    auto m = std::make_unique<TMachine>();
    THotePompe hote;
    m->Hote = &hote;
    m->InitMachine();
    // 0000: INR B / DCR C / INX D / JMP 0000
    const uint8_t boucle[] = {0x04, 0x0D, 0x13, 0xC3, 0x00, 0x00};
    for (size_t i = 0; i < sizeof boucle; ++i) m->RomBoot[i] = boucle[i];
    const uint64_t parTour = 10'000'000;
    for (auto _ : state) {
        m->Execute(parTour);
        benchmark::DoNotOptimize(m->RegB);
    }
    state.counters["MIPS"] = benchmark::Counter(double(state.iterations() * parTour) / 1e6, benchmark::Counter::kIsRate);
    state.counters["pompes/s"] = benchmark::Counter(double(hote.Pompes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BouclePompee)->Unit(benchmark::kMillisecond);

} // namespace
