// Export of a full 1.2 Mo image holding a few hundred files into a host
// folder, then import of that folder into a freshly formatted image: both
// images are real files in drives, as in the disk manager.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/Texte.h"
#include "disks/ExportImport.h"
#include "disks/Lecteurs.h"
#include "disks/Secteurs.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

class TDialogueBanc : public IDialogue {
public:
    void Message(const std::string& t) override { Erreurs.push_back(t); }
    void Information(const std::string&) override {}
    bool Question(const std::string&) override { return true; }
    std::optional<std::string> ChoisitDossier(const std::string&, const std::string&) override {
        return Dossier;
    }
    std::optional<std::string> Dossier;
    std::vector<std::string> Erreurs;
};

struct TBancEchange {
    fs::path Dossier;
    TLecteurs Lec;
    TSecteursLecteur Plein{Lec, 3}, Copie{Lec, 4};
    TDialogueBanc Dlg;
    int Fichiers = 0;

    TBancEchange() {
        std::string modele = (fs::temp_directory_path() / "zorv-bench-XXXXXX").string();
        if (::mkdtemp(modele.data()) == nullptr) std::abort();
        Dossier = modele;
        for (const char* nom : {"plein.img", "copie.img"}) {
            CreeImageVierge((Dossier / nom).string(), 1261568);
            if (!Lec.InsereDisque(nom[0] == 'p' ? 3 : 4, (Dossier / nom).string(), " ").empty()) std::abort();
        }
        // 300 files, 9 to 29 sectors each, 4,868 sectors in all: 200 at the top (chained and
        // contiguous), 100 in four directories.
        const fs::path src = Dossier / "source";
        fs::create_directories(src);
        for (int i = 0; i < 300; ++i) {
            const size_t taille = size_t(253 * (9 + (i * 7) % 21) - i % 100);
            std::vector<char> octets(taille);
            for (size_t k = 0; k < taille; ++k) octets[k] = char(k * 13 + size_t(i));
            fs::path p;
            if (i < 200 && i % 2)
                p = src / Format("C%03d_%05zu_00001", i, taille);
            else if (i < 200)
                p = src / Format("F%03d_00012_00000", i);
            else {
                fs::create_directories(src / Format("REP%d", i % 4));
                p = src / Format("REP%d", i % 4) / Format("D%03d_00012_00000", i);
            }
            std::ofstream(p, std::ios::binary).write(octets.data(), std::streamsize(taille));
        }
        TExportImport ei;
        ei.MemoireFmt = true;
        Dlg.Dossier = src.string();
        ei.Importe(Plein, Dlg);
        Fichiers = ei.NbImport;
        if (!Dlg.Erreurs.empty() || Fichiers != 300 || !VerifieDisque(Plein).Defauts.empty()) std::abort();
        fs::remove_all(src);
    }
    ~TBancEchange() {
        Lec.VideTout();
        fs::remove_all(Dossier);
    }
};

void BM_ExporteEtReimporte12Mo(benchmark::State& state) {
    TBancEchange b;
    TDialogueBanc dlg;
    TSystemeFichiers plein(b.Plein, dlg);
    // A fresh folder per pass, all removed at the end: removing files between
    // passes makes the host's next creations slower than a user ever sees.
    int passe = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path sortie = b.Dossier / Format("sortie%d", passe++);
        fs::create_directory(sortie);
        TSystemeFichiers(b.Copie, dlg).FormatInconditionnel();
        state.ResumeTiming();
        TExportImport ei;
        dlg.Dossier = sortie.string();
        ei.Exporte(b.Plein, dlg);
        ei.Importe(b.Copie, dlg);
        if (ei.NbExport != b.Fichiers || ei.NbImport != b.Fichiers || !dlg.Erreurs.empty()) {
            state.SkipWithError("export ou import incomplet");
            break;
        }
    }
    state.counters["fichiers"] = b.Fichiers;
    state.counters["secteurs_libres"] = double(b.Lec.NbrSectDisque[3] - plein.PremierSecteurLibre());
}
BENCHMARK(BM_ExporteEtReimporte12Mo)->Unit(benchmark::kMillisecond);

} // namespace
