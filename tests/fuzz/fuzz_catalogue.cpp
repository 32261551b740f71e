// Random and damaged disks against the file system: every input is walked,
// listed and checked, and exported into a temporary folder; now and then a
// small host folder is imported into it. Checked: nothing throws, every walk
// ends (an alarm catches a hang), the number of walker calls stays within
// what the disk can hold, nothing is written outside the export folder, a
// file already there is never replaced, a link in the folder is never
// followed, and a protected image never changes.
//
//   fuzz_catalogue [inputs [seed]]     default 1000000 inputs, seed 1
//   (TMPDIR chooses where the temporary folder goes)
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/Texte.h"
#include "disks/ExportImport.h"
#include "disks/Secteurs.h"
#include "disks/SystemeFichiers.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

uint64_t EntreeCourante = 0;

[[noreturn]] void Echec(const std::string& quoi) {
    std::fprintf(stderr, "fuzz_catalogue : %s (entree %llu)\n", quoi.c_str(),
                 (unsigned long long)EntreeCourante);
    std::exit(1);
}

void Alarme(int) {
    const char m[] = "fuzz_catalogue : une entree ne finit pas\n";
    (void)!::write(2, m, sizeof m - 1);
    std::_Exit(1);
}

class TDialogueFuzz : public IDialogue {
public:
    void Message(const std::string&) override { ++Messages; }
    void Information(const std::string&) override {}
    bool Question(const std::string&) override { return true; }
    std::optional<std::string> ChoisitDossier(const std::string&, const std::string&) override {
        return Dossier;
    }
    std::optional<std::string> Dossier;
    uint64_t Messages = 0;
};

void EcritFichier(const fs::path& p, const std::vector<uint8_t>& o) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
}

std::vector<uint8_t> Lit(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t Hasard(uint32_t n) { return uint32_t(Alea() % n); }
    uint8_t Octet() { return uint8_t(Alea()); }

    // The next input in `img`, whose storage is reused from one input to the
    // next (a fresh megabyte per input would cost more than the walk).
    void Image(const TImageMemoire& saine, TImageMemoire& img) {
        switch (Hasard(4)) {
        case 0: Aleatoire(img); break;
        case 1: Structuree(img); break;
        default: Mutee(saine, img); break;
        }
    }

private:
    std::mt19937_64 Alea;

    int32_t Secteurs() {
        const uint32_t t = Hasard(16);
        return t == 0 ? 4928 : t == 1 ? 3080 : 1600;
    }
    // A sector number near the ones that matter.
    int32_t SecteurProche(int32_t n) {
        switch (Hasard(6)) {
        case 0: return int32_t(Hasard(3));
        case 1: return n - 1 + int32_t(Hasard(3));
        case 2: return int32_t(Hasard(0x10000));
        default: return 60 + int32_t(Hasard(40));
        }
    }
    void Formate(TImageMemoire& img) {
        img.Octets[0] = Hasard(4) ? 0x0A : Octet();
        const int32_t libre = Hasard(4) ? 64 + int32_t(Hasard(60)) : SecteurProche(img.NbSecteurs());
        img.Octets[3] = uint8_t(libre), img.Octets[4] = uint8_t(libre >> 8);
    }

    // Random bytes over the first catalogue sectors and a few data sectors.
    void Aleatoire(TImageMemoire& img) {
        img.Octets.assign(size_t(Secteurs()) * 256, 0);
        const size_t n = size_t(256) * (1 + Hasard(3));
        for (size_t i = 0; i < n; ++i) img.Octets[i] = Octet();
        for (int k = 0; k < 20; ++k) {
            const size_t s = 63 + Hasard(40);
            for (size_t i = 0; i < 256; ++i)
                img.Octets[s * 256 + i] = Hasard(3) ? Octet() : uint8_t(Hasard(4) ? 0 : 0xFE);
        }
        Formate(img);
    }

    void Entree(uint8_t* p, int32_t n) {
        static const char* const Noms[] = {"PROG  ", "UTIL  ", "..    ", "A/B   ", "NOTES ", "      "};
        const char* nom = Noms[Hasard(6)];
        std::memcpy(p, nom, 6);
        if (Hasard(8) == 0) p[Hasard(6)] = Octet();
        const int32_t c[][2] = {
            {0, 0}, {256, 0}, {12, 0}, {int32_t(Hasard(300)), int32_t(Hasard(4))}, {0xFFFF, 0xFFFF}};
        const auto& cc = c[Hasard(5)];
        p[6] = uint8_t(cc[0]), p[7] = uint8_t(cc[0] >> 8), p[8] = uint8_t(cc[1]), p[9] = uint8_t(cc[1] >> 8);
        const int32_t d = SecteurProche(n);
        p[10] = uint8_t(d), p[11] = uint8_t(d >> 8);
        if (Hasard(10) == 0)
            p[0] = p[1] = p[2] = 0xFD;
        else if (Hasard(20) == 0)
            p[0] = 0xFD;
    }

    // Entries of every kind with markers and links in and around their places.
    void Structuree(TImageMemoire& img) {
        img.Octets.assign(size_t(Secteurs()) * 256, 0);
        const int32_t n = img.NbSecteurs();
        for (int32_t s = 1; s <= 3; ++s) {
            uint8_t* t = img.Octets.data() + size_t(s - 1) * 256;
            int32_t pos = s == 1 ? 5 : 0;
            for (; pos + 12 <= 256 && Hasard(12); pos += 12) Entree(t + pos, n);
            t[pos < 256 ? pos : 255] = Hasard(3) ? 0xFE : 0xFF;
        }
        for (int k = 0; k < 40; ++k) { // directory lists and chains
            const int32_t s = SecteurProche(n);
            if (s < 1 || s > n) continue;
            uint8_t* t = img.Octets.data() + size_t(s - 1) * 256;
            if (Hasard(2)) {
                int32_t pos = 0;
                for (; pos + 12 <= 256 && Hasard(10); pos += 12) Entree(t + pos, n);
                const int32_t l = SecteurProche(n);
                t[pos < 256 ? pos : 255] = Hasard(2) ? 0xFB : 0xFF;
                if (pos + 2 < 256) t[pos + 1] = uint8_t(l >> 8), t[pos + 2] = uint8_t(l);
            } else {
                const int32_t l = SecteurProche(n);
                t[0] = Hasard(3) ? uint8_t(l >> 8) : 0xFE;
                t[1] = uint8_t(l);
            }
        }
        Formate(img);
    }

    // A sound disk with a few bytes changed where they matter most.
    void Mutee(const TImageMemoire& saine, TImageMemoire& img) {
        img.Octets = saine.Octets;
        const int32_t n = img.NbSecteurs();
        for (int k = 0, m = 1 + int(Hasard(6)); k < m; ++k) {
            size_t o;
            switch (Hasard(4)) {
            case 0: o = Hasard(3 * 256); break;                             // catalogue
            case 1: o = size_t(63 + Hasard(60)) * 256 + Hasard(2); break;   // chain links
            case 2: o = size_t(63 + Hasard(60)) * 256 + Hasard(256); break; // lists and data
            default: o = Hasard(uint32_t(n) * 256); break;
            }
            static const uint8_t Forts[] = {0x00, 0xFB, 0xFD, 0xFE, 0xFF, 0x01, 0x40, 0x0C};
            img.Octets[o] = Hasard(2) ? Forts[Hasard(8)] : Octet();
        }
    }
};

// A sound 400 Ko disk: directories, chained, contiguous and long-named files.
TImageMemoire DisqueSain(const fs::path& racine, TDialogueFuzz& dlg) {
    const fs::path src = racine / "source";
    fs::create_directories(src / "UTIL");
    fs::create_directories(src / "DOCS");
    EcritFichier(src / "PROG_00012_00000", std::vector<uint8_t>(700, 0x41));
    EcritFichier(src / "notes de cours_00256_00000", std::vector<uint8_t>(300, 0x42));
    EcritFichier(src / "BIN_00100_00003", std::vector<uint8_t>(512, 0x43));
    EcritFichier(src / "VIDE_00001_00000", {});
    for (int i = 0; i < 25; ++i)
        EcritFichier(src / "UTIL" / Format("F%d_00001_00000", i),
                     std::vector<uint8_t>(size_t(i * 40), uint8_t(i)));
    EcritFichier(src / "DOCS" / "A_00003_00004", std::vector<uint8_t>(20, 0x44));
    TImageMemoire img(1600);
    TExportImport ei;
    dlg.Dossier = src.string();
    ei.MemoireFmt = true;
    ei.Importe(img, dlg);
    if (dlg.Messages || !VerifieDisque(img).Defauts.empty()) Echec("disque de depart");
    fs::remove_all(src);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::signal(SIGALRM, Alarme);

    std::string modele = (fs::temp_directory_path() / "zorv-fuzz-catal-XXXXXX").string();
    if (::mkdtemp(modele.data()) == nullptr) Echec("dossier temporaire");
    const fs::path racine = modele;
    TDialogueFuzz dlg;
    const TImageMemoire saine = DisqueSain(racine, dlg);

    // Outside the export folder: a folder that a link points to, and a host
    // folder to import.
    const fs::path dehors = racine / "dehors", sortie = racine / "sortie", import = racine / "import";
    fs::create_directories(dehors);
    fs::create_directories(import / "UTIL");
    EcritFichier(import / "X_00012_00000", std::vector<uint8_t>(300, 1));
    EcritFichier(import / "UTIL" / "Y_00001_00002", std::vector<uint8_t>(30, 2));
    EcritFichier(import / "notes de cours_00256_00000", std::vector<uint8_t>(3, 3));
    const std::vector<uint8_t> temoin = {'g', 'a', 'r', 'd', 'e'};

    TGenerateur gen(graine);
    TImageMemoire img(1);
    uint64_t appels = 0, dommages = 0, exportes = 0, importes = 0, defauts = 0;
    for (uint64_t n = 0; n < nbEntrees; ++n) {
        EntreeCourante = n;
        ::alarm(20);
        gen.Image(saine, img);
        const size_t taille = img.Octets.size();
        const int32_t ns = img.NbSecteurs();
        try {
            dlg = {};
            TSystemeFichiers sf(img, dlg);
            uint64_t k = 0;
            sf.ParcourtCatalogue([&](const TAppelCatal& a) {
                ++k;
                if (a.Position < 0 || a.Position > 255 || a.Secteur < 1 || a.Secteur > ns)
                    Echec("appel hors du disque");
                return false;
            });
            if (k > uint64_t(64 + ns) * 23) Echec("trop d'appels du parcours");
            appels += k;
            dommages += sf.Dommages().size();
            sf.AfficheCatalogue();
            defauts += VerifieDisque(img).Defauts.size();

            // Export, with a file and a link already in the folder.
            fs::create_directory(sortie);
            EcritFichier(sortie / "PROG_00012_00000", temoin);
            fs::create_directory_symlink(dehors, sortie / "UTIL");
            dlg.Dossier = sortie.string();
            TExportImport ei;
            ei.Exporte(img, dlg);
            exportes += uint64_t(ei.NbExport);
            if (Lit(sortie / "PROG_00012_00000") != temoin) Echec("fichier existant remplace");
            if (!fs::is_empty(dehors)) Echec("ecriture par un lien du dossier");
            for (const auto& e : fs::directory_iterator(racine)) {
                const auto nom = e.path().filename();
                if (nom != "sortie" && nom != "dehors" && nom != "import") Echec("ecriture hors du dossier");
            }
            // Every file there is the witness or a counted export: no temporary left.
            uint64_t fichiers = 0;
            for (const auto& e : fs::recursive_directory_iterator(sortie)) fichiers += e.is_regular_file();
            if (fichiers != uint64_t(ei.NbExport) + 1) Echec("fichier non compte ou temporaire laisse");
            fs::remove_all(sortie);

            if (n % 16 == 0) { // import into the damaged disk, then walk it again
                TImageMemoire protege(img.Octets);
                protege.Protege = true;
                dlg.Dossier = import.string();
                ei.Importe(protege, dlg);
                if (protege.Octets != img.Octets) Echec("image protegee modifiee");
                ei.MemoireFmt = n % 32 == 0;
                ei.Importe(img, dlg);
                importes += uint64_t(ei.NbImport);
                sf.ParcourtCatalogue([](const TAppelCatal&) { return false; });
                VerifieDisque(img);
            }
        } catch (const std::exception& e) {
            Echec(std::string("exception : ") + e.what());
        }
        if (img.Octets.size() != taille) Echec("taille d'image changee");
        if ((n + 1) % 100000 == 0 || n + 1 == nbEntrees) {
            std::printf("%llu entrees\n", (unsigned long long)(n + 1));
            std::fflush(stdout);
        }
    }
    ::alarm(0);
    std::printf("fuzz_catalogue : %llu entrees sans defaut (%llu appels du parcours, %llu dommages signales, "
                "%llu defauts de verification, %llu fichiers exportes, %llu importes)\n",
                (unsigned long long)nbEntrees, (unsigned long long)appels, (unsigned long long)dommages,
                (unsigned long long)defauts, (unsigned long long)exportes, (unsigned long long)importes);
    fs::remove_all(racine);
    return 0;
}
