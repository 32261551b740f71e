// Saved states of a T7E at the monitor's prompt: the save and the load
// through a file, the size of the file at the prompt and with every byte of
// RAM random, and the two compressors that were weighed for the chunks.
#include <benchmark/benchmark.h>

#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "config/ChargeRoms.h"
#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/SerieEtat.h"
#include "devices/Ecran.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;

// The firmware booted to its prompt (the banner drawn, the cursor blinking).
std::unique_ptr<TPosteVirtuel> PosteAuPrompt(bool ramAleatoire) {
    auto poste = std::make_unique<TPosteVirtuel>(1u);
    TMachine& m = poste->Machine();
    m.InitMachine();
    if (!ChargeRomBoot(m, Programme + "/QBM71K.bin").empty() || !ChargeRom128K(m, Programme + "/T318-C.bin").empty() ||
        !ChargeGenCar(m, Programme + "/G-CAR-T9.bin").empty()) {
        std::fprintf(stderr, "bench_etat : ROM introuvable dans %s\n", Programme.c_str());
        std::abort();
    }
    m.LanceEmulation(2'000'000);
    if (ramAleatoire) {
        std::mt19937 alea(5);
        for (auto& o : m.ZorvMem) o = uint8_t(alea());
    }
    DessineEcran(m);
    return poste;
}

std::string Fichier(const char* nom) {
    return (std::filesystem::temp_directory_path() / (std::string("bench-") + nom + ".zetat")).string();
}

void Sauve(benchmark::State& state, bool ramAleatoire) {
    const auto poste = PosteAuPrompt(ramAleatoire);
    const std::string chemin = Fichier(ramAleatoire ? "aleatoire" : "prompt");
    std::string erreur;
    for (auto _ : state)
        if (!SauveEtat(*poste, &poste->HoteVirtuel, chemin, erreur)) state.SkipWithError(erreur.c_str());
    state.counters["octets"] = double(std::filesystem::file_size(chemin));
    std::filesystem::remove(chemin);
}

void Charge(benchmark::State& state, bool ramAleatoire) {
    const auto source = PosteAuPrompt(ramAleatoire);
    const std::string chemin = Fichier(ramAleatoire ? "aleatoire-c" : "prompt-c");
    std::string erreur;
    if (!SauveEtat(*source, &source->HoteVirtuel, chemin, erreur)) state.SkipWithError(erreur.c_str());
    TPosteVirtuel poste(2u);
    for (auto _ : state) {
        TChargementEtat c;
        if (!ChargeEtat(poste, &poste.HoteVirtuel, chemin, c)) state.SkipWithError(c.Erreur.c_str());
    }
    std::filesystem::remove(chemin);
}

// The parts of a save: the records and the thumbnail taken, the file coded
// in memory.
void BM_EtatCaptureAuPrompt(benchmark::State& state) {
    const auto poste = PosteAuPrompt(false);
    for (auto _ : state) benchmark::DoNotOptimize(CaptureEtat(*poste, &poste->HoteVirtuel, true));
}
void BM_EtatCodeAuPrompt(benchmark::State& state) {
    const auto poste = PosteAuPrompt(false);
    const TEtatComplet e = CaptureEtat(*poste, &poste->HoteVirtuel, true);
    for (auto _ : state) benchmark::DoNotOptimize(CodeEtat(e));
}
BENCHMARK(BM_EtatCaptureAuPrompt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EtatCodeAuPrompt)->Unit(benchmark::kMicrosecond);

void BM_EtatSauveAuPrompt(benchmark::State& s) { Sauve(s, false); }
void BM_EtatChargeAuPrompt(benchmark::State& s) { Charge(s, false); }
void BM_EtatSauveRamAleatoire(benchmark::State& s) { Sauve(s, true); }
void BM_EtatChargeRamAleatoire(benchmark::State& s) { Charge(s, true); }
BENCHMARK(BM_EtatSauveAuPrompt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EtatChargeAuPrompt)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EtatSauveRamAleatoire)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EtatChargeRamAleatoire)->Unit(benchmark::kMicrosecond);

// The memory chunk at the prompt (128 KB of RAM, mostly zero, the
// firmware's variables and stack), packed by each library at the level
// that favours speed.
std::vector<uint8_t> MemoireAuPrompt() {
    const auto poste = PosteAuPrompt(false);
    return OctetsEnregistrement(static_cast<const TEtatMemoire&>(poste->Machine()));
}

void BM_CompresseZstdNiveau1(benchmark::State& state) {
    const std::vector<uint8_t> brut = MemoireAuPrompt();
    std::vector<uint8_t> paquet(ZSTD_compressBound(brut.size()));
    size_t n = 0;
    for (auto _ : state) n = ZSTD_compress(paquet.data(), paquet.size(), brut.data(), brut.size(), 1);
    state.SetBytesProcessed(int64_t(state.iterations() * brut.size()));
    state.counters["octets"] = double(n);
}

void BM_CompresseZlibNiveau1(benchmark::State& state) {
    const std::vector<uint8_t> brut = MemoireAuPrompt();
    std::vector<uint8_t> paquet(compressBound(uLong(brut.size())));
    uLongf n = 0;
    for (auto _ : state) {
        n = uLongf(paquet.size());
        compress2(paquet.data(), &n, brut.data(), uLong(brut.size()), 1);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * brut.size()));
    state.counters["octets"] = double(n);
}

void BM_DecompresseZstd(benchmark::State& state) {
    const std::vector<uint8_t> brut = MemoireAuPrompt();
    std::vector<uint8_t> paquet(ZSTD_compressBound(brut.size())), sortie(brut.size());
    paquet.resize(ZSTD_compress(paquet.data(), paquet.size(), brut.data(), brut.size(), 1));
    for (auto _ : state) benchmark::DoNotOptimize(ZSTD_decompress(sortie.data(), sortie.size(), paquet.data(), paquet.size()));
    state.SetBytesProcessed(int64_t(state.iterations() * brut.size()));
}

void BM_DecompresseZlib(benchmark::State& state) {
    const std::vector<uint8_t> brut = MemoireAuPrompt();
    std::vector<uint8_t> paquet(compressBound(uLong(brut.size()))), sortie(brut.size());
    uLongf n = uLongf(paquet.size());
    compress2(paquet.data(), &n, brut.data(), uLong(brut.size()), 1);
    for (auto _ : state) {
        uLongf m = uLongf(sortie.size());
        benchmark::DoNotOptimize(uncompress(sortie.data(), &m, paquet.data(), n));
    }
    state.SetBytesProcessed(int64_t(state.iterations() * brut.size()));
}

BENCHMARK(BM_CompresseZstdNiveau1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompresseZlibNiveau1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecompresseZstd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecompresseZlib)->Unit(benchmark::kMicrosecond);

} // namespace
