// A sector read and a sector write through the floppy controller's ports,
// byte by byte as the processor does it, against an image in a temp folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/Machine.h"
#include "disks/ControleurDsq.h"
#include "disks/Lecteurs.h"

namespace {

struct TBancDsq {
    std::filesystem::path Dossier;
    std::unique_ptr<TMachine> M = std::make_unique<TMachine>();
    TLecteurs Lec;

    TBancDsq() {
        std::string modele = (std::filesystem::temp_directory_path() / "zorv-bench-XXXXXX").string();
        if (::mkdtemp(modele.data()) == nullptr) std::abort();
        Dossier = modele;
        const std::string img = (Dossier / "a.img").string();
        std::vector<char> zeros(1261568, 0);
        std::ofstream(img, std::ios::binary).write(zeros.data(), std::streamsize(zeros.size()));
        if (!Lec.ChargeImage(9, img, " ").empty()) std::abort();
        M->Lecteurs = &Lec;
    }
    ~TBancDsq() {
        Lec.VideTout();
        std::filesystem::remove_all(Dossier);
    }

    void Commande(uint8_t cmd, uint16_t secteur) {
        for (uint8_t b : {0xA5, 0x00, 0x03, 0x00, 0x00, int(cmd), 0x00, 0x00}) EcritCtrlDsq(*M, b);
        LitCtrlDsq(*M), LitCtrlDsq(*M);
        for (uint8_t b : {uint8_t(secteur), uint8_t(secteur >> 8), uint8_t(0x59), uint8_t(0)})
            EcritCtrlDsq(*M, b);
        LitCtrlDsq(*M);
    }
};

void BM_LectureSecteurParLePort(benchmark::State& state) {
    TBancDsq banc;
    uint16_t s = 1;
    for (auto _ : state) {
        banc.Commande(CmdLecture, s);
        for (int i = 0; i < 9; ++i) LitStatusCtrlDsq(*banc.M), LitCtrlDsq(*banc.M);
        EcritCtrlDsq(*banc.M, 0), EcritCtrlDsq(*banc.M, 0);
        uint8_t somme = 0;
        for (int bloc = 0; bloc < 8; ++bloc) {
            for (int i = 0; i < 33; ++i) somme ^= LitCtrlDsq(*banc.M);
            EcritCtrlDsq(*banc.M, 0);
        }
        benchmark::DoNotOptimize(somme);
        s = uint16_t(s % 4928 + 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LectureSecteurParLePort);

void BM_EcritureSecteurParLePort(benchmark::State& state) {
    TBancDsq banc;
    uint16_t s = 1;
    for (auto _ : state) {
        banc.Commande(CmdEcriture, s);
        for (uint8_t b : {0xA5, 0x01, 0x00, 0, 0, 0, 0, 0}) EcritCtrlDsq(*banc.M, b);
        LitCtrlDsq(*banc.M), LitCtrlDsq(*banc.M);
        for (int bloc = 0; bloc < 8; ++bloc) {
            for (int i = 0; i < 33; ++i) EcritCtrlDsq(*banc.M, uint8_t(i));
            LitCtrlDsq(*banc.M);
        }
        for (int i = 0; i < 9; ++i) LitCtrlDsq(*banc.M);
        EcritCtrlDsq(*banc.M, 0);
        s = uint16_t(s % 4928 + 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EcritureSecteurParLePort);

} // namespace
