// zorv disk killed at random moments. Each run copies a disk image, starts
// an import, a format-then-import, a format or an export on it, kills it
// with SIGKILL after a random delay, and checks what is left:
//   - the image is byte for byte as it was before or as the same action
//     leaves it when it is not killed (measured once per action), and the
//     disk check finds it sound;
//   - an export folder holds only complete files, each as the unkilled
//     export writes it, and the temporaries a kill left there are removed
//     by the next export; those left beside an image, by the next writer.
//
//   fuzz_tue_disques [runs [seed]]   default 1000 runs, seed 1
//   ZORV names the zorv program (default: ../programme/zorv beside this
//   one); TMPDIR chooses where the temporary folder goes.
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "disks/Secteurs.h"
#include "disks/SystemeFichiers.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

using TOctets = std::vector<uint8_t>;

[[noreturn]] void Echec(const std::string& quoi, int run) {
    std::fprintf(stderr, "fuzz_tue_disques : %s (passe %d)\n", quoi.c_str(), run);
    std::exit(1);
}

TOctets Lit(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Ecrit(const fs::path& p, const TOctets& o) {
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(o.data()),
                                                               std::streamsize(o.size()));
}

std::string Zorv(const char* argv0) {
    if (const char* z = std::getenv("ZORV")) return z;
    return (fs::absolute(argv0).parent_path() / ".." / "programme" / "zorv").lexically_normal().string();
}

double Maintenant() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs zorv with `args`, killed after `delai` seconds (never when negative).
// True when it was killed before it ended.
bool Lance(const std::string& zorv, const std::vector<std::string>& args, double delai) {
    const pid_t pid = ::fork();
    if (pid < 0) std::exit(2);
    if (pid == 0) {
        std::vector<char*> v{const_cast<char*>(zorv.c_str())};
        for (const std::string& a : args) v.push_back(const_cast<char*>(a.c_str()));
        v.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(zorv.c_str(), v.data());
        ::_exit(127);
    }
    int statut = 0;
    if (delai >= 0) {
        const timespec d{time_t(delai), long((delai - double(time_t(delai))) * 1e9)};
        ::nanosleep(&d, nullptr);
        ::kill(pid, SIGKILL);
    }
    ::waitpid(pid, &statut, 0);
    if (WIFEXITED(statut) && WEXITSTATUS(statut) == 127) Echec("zorv introuvable : " + zorv, 0);
    return WIFSIGNALED(statut);
}

// A host folder laid out as the export writes it: chained and contiguous
// files, long names, and a sub-folder.
void Source(const fs::path& dossier, std::mt19937_64& alea) {
    fs::create_directories(dossier / "UTIL");
    for (int i = 0; i < 60; ++i) {
        const bool contigu = i % 5 == 0;
        const size_t taille = contigu ? 256 * (1 + alea() % 6) : alea() % 3000;
        TOctets o(taille);
        for (uint8_t& b : o) b = uint8_t(alea());
        char nom[64];
        if (contigu)
            std::snprintf(nom, sizeof nom, "C%03d_%05u_00001", i, unsigned(taille));
        else if (i % 7 == 0)
            std::snprintf(nom, sizeof nom, "NOTE LONGUE %03d_00256_00000", i);
        else
            std::snprintf(nom, sizeof nom, "F%03d_00012_00000", i);
        Ecrit(dossier / (i % 4 == 1 ? fs::path("UTIL") / nom : fs::path(nom)), o);
    }
}

// The temporaries (".NAME.XXXXXX") directly in `dossier`.
int Temporaires(const fs::path& dossier) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dossier)) n += e.path().filename().string().front() == '.';
    return n;
}

// Every visible file under `dossier`, relative path -> bytes.
std::map<std::string, TOctets> Arbre(const fs::path& dossier, bool& temporaires) {
    std::map<std::string, TOctets> r;
    temporaires = false;
    std::error_code ec; // a folder the kill came before
    for (const auto& e : fs::recursive_directory_iterator(dossier, ec)) {
        if (!e.is_regular_file()) continue;
        if (e.path().filename().string().front() == '.') {
            temporaires = true;
            continue;
        }
        r[fs::relative(e.path(), dossier).string()] = Lit(e.path());
    }
    return r;
}

bool Sain(const TOctets& image) {
    TImageMemoire m(image, 64);
    const TVerification v = VerifieDisque(m);
    return v.Formate && v.Defauts.empty();
}

enum TAction { aImporte, aFormateImporte, aFormate, aExporte, NbActions };

std::vector<std::string> Arguments(TAction a, const std::string& image, const std::string& dossier) {
    switch (a) {
    case aImporte: return {"disk", "import", image, dossier};
    case aFormateImporte: return {"disk", "import", image, dossier, "--format"};
    case aFormate: return {"disk", "format", image};
    default: return {"disk", "export", image, dossier};
    }
}

} // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::atoi(argv[1]) : 1000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const std::string zorv = Zorv(argv[0]);
    std::mt19937_64 alea(graine);
    std::string modele = (fs::temp_directory_path() / "zorv-tue-XXXXXX").string();
    if (!::mkdtemp(modele.data())) return 2;
    const fs::path tmp = modele;
    const fs::path source = tmp / "source", image = tmp / "disque.img", sortie = tmp / "sortie";
    Source(source, alea);

    // The starting disk: formatted, with a first import on it.
    const TOctets vide(788480, 0);
    Ecrit(image, vide);
    Lance(zorv, {"disk", "format", image.string()}, -1);
    const TOctets formate = Lit(image);
    fs::create_directories(tmp / "premier");
    Ecrit(tmp / "premier" / "DEJA_00012_00000", TOctets(700, 0x5A));
    Lance(zorv, {"disk", "import", image.string(), (tmp / "premier").string()}, -1);
    const TOctets depart = Lit(image);
    if (!Sain(depart)) Echec("disque de d\u00e9part endommag\u00e9", 0);

    // What each action leaves when nobody kills it, and how long it takes.
    std::array<TOctets, NbActions> apres;
    std::array<double, NbActions> duree{};
    std::map<std::string, TOctets> exporte;
    for (int a = 0; a < NbActions; ++a) {
        Ecrit(image, depart);
        fs::remove_all(sortie);
        const double t0 = Maintenant();
        Lance(zorv, Arguments(TAction(a), image.string(), (a == aExporte ? sortie : source).string()), -1);
        duree[size_t(a)] = Maintenant() - t0;
        apres[size_t(a)] = Lit(image);
        if (!Sain(apres[size_t(a)])) Echec("action non interrompue : disque endommag\u00e9", 0);
        bool t = false;
        if (a == aExporte) exporte = Arbre(sortie, t);
    }
    if (apres[aImporte] == depart || apres[aExporte] != depart) Echec("actions de r\u00e9f\u00e9rence inattendues", 0);

    int tues = 0, importsTues = 0, avant = 0, fini = 0, nettoyes = 0;
    for (int p = 1; p <= passes; ++p) {
        const TAction a = TAction(alea() % NbActions);
        Ecrit(image, depart);
        if (a == aExporte && alea() % 2) fs::remove_all(sortie); // else into what a killed export left
        const double delai = std::uniform_real_distribution<double>(0, duree[size_t(a)] * 1.2)(alea);
        const std::string cible = (a == aExporte ? sortie : source).string();
        const bool tue = Lance(zorv, Arguments(a, image.string(), cible), delai);
        tues += tue;
        importsTues += tue && (a == aImporte || a == aFormateImporte);
        const TOctets reste = Lit(image);
        if (reste == depart)
            ++avant;
        else if (reste == apres[size_t(a)])
            ++fini;
        else
            Echec(Sain(reste) ? "image ni avant ni apr\u00e8s" : "image endommag\u00e9e", p);
        if (a == aExporte) {
            bool temporaires = false;
            for (const auto& [nom, octets] : Arbre(sortie, temporaires))
                if (exporte.count(nom) == 0 || exporte.at(nom) != octets) Echec("fichier export\u00e9 incomplet : " + nom, p);
            if (temporaires && p % 5 == 0) { // the next export takes them away
                Lance(zorv, Arguments(aExporte, image.string(), cible), -1);
                if (Arbre(sortie, temporaires) != exporte || temporaires)
                    Echec("temporaires d'export rest\u00e9s apr\u00e8s l'export suivant", p);
                ++nettoyes;
            }
        } else if (Temporaires(tmp) > 0 && p % 5 == 0) { // the next writer takes them away
            Lance(zorv, Arguments(aFormate, image.string(), {}), -1);
            if (Temporaires(tmp) > 0) Echec("temporaires d'image rest\u00e9s apr\u00e8s l'\u00e9criture suivante", p);
            ++nettoyes;
        }
    }
    fs::remove_all(tmp);
    std::printf("%d passes, %d tu\u00e9es en route (dont %d imports) : %d images comme avant, %d comme apr\u00e8s, "
                "0 endommag\u00e9e ; %d nettoyages de temporaires\n",
                passes, tues, importsTues, avant, fini, nettoyes);
    return 0;
}
