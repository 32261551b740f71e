// Time of one full repaint of the 1024 × 576 picture, in the two heaviest
// cases: 80-column text over a full graphics plane, and a screen of inverse
// video in 128 columns (over the same plane).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

std::unique_ptr<TMachine> MachineDessinee(bool m128) {
    auto m = std::make_unique<TMachine>();
    std::mt19937 alea(42);
    std::vector<uint8_t> image(4096);
    for (auto& o : image) o = uint8_t(alea());
    ConstruitFontes(*m, image.data(), image.size());
    m->PlansGraph = 4;
    ChoisitCouleurs(*m);
    for (auto& g : m->GraphZorv) g = uint8_t(1 + alea() % 15);
    for (size_t i = 0; i < m->RamTv.size(); ++i)
        m->RamTv[i] = uint8_t(0x20 + i % 95) | (m128 ? 0x80 : 0x00);
    m->Mode128Col = m128;
    return m;
}

void Dessine(benchmark::State& etat, bool m128) {
    auto m = MachineDessinee(m128);
    for (auto _ : etat) {
        DessineEcran(*m);
        benchmark::DoNotOptimize(m->BmpEcran.data());
        benchmark::ClobberMemory();
    }
    etat.SetItemsProcessed(int64_t(etat.iterations()));
}

void BM_Ecran80ColonnesSurGraphique(benchmark::State& etat) { Dessine(etat, false); }
void BM_Ecran128ColonnesInverse(benchmark::State& etat) { Dessine(etat, true); }

BENCHMARK(BM_Ecran80ColonnesSurGraphique)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ecran128ColonnesInverse)->Unit(benchmark::kMicrosecond);

} // namespace
