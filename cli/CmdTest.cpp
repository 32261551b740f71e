// zorv test: every recorded session of a folder replayed and compared with
// the expected outputs found beside it (same base name).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/Options.h"
#include "cli/OptionsRun.h"
#include "cli/SessionRun.h"
#include "core/Fichiers.h"
#include "core/Texte.h"

namespace {

namespace fs = std::filesystem;

const char* const FinTest =
    "Chaque session NOM.zsession du dossier est rejouée jusqu'à sa fin ; ce qui se trouve\n"
    "à côté sous le même nom en donne les résultats attendus : NOM.png l'écran final,\n"
    "NOM.txt son texte, NOM.prn le texte imprimé, NOM.img l'image finale du lecteur 1\n"
    "(NOM.dN.img celle du lecteur N). --rebaseline écrit ces fichiers d'après ce que\n"
    "donne la relecture : l'écran et son texte toujours, l'impression quand elle n'est\n"
    "pas vide ou que NOM.prn existe, les images quand elles existent déjà.\n"
    "Une ligne par session, puis « N passed, N failed ».\n"
    "Code de sortie : 0 toutes réussies, 1 au moins un échec, 2 arguments incorrects.\n";

constexpr int NumerosLecteurs[] = {1, 2, 9, 10, 11, 12};

bool Existe(const fs::path& p) { return GenreFichier(p.string()) == TLectureFichier::Ok; }

// The expectations beside `session`; with `reference`, those to write too.
TOptionsRun OptionsDuCas(const fs::path& session, bool reference) {
    TOptionsRun o;
    o.SessionEntree = session.string();
    fs::path base = session;
    base.replace_extension();
    const auto beside = [&](const std::string& ext) { return fs::path(base.string() + ext); };
    if (reference || Existe(beside(".png"))) o.AttenteEcran = beside(".png").string();
    if (reference || Existe(beside(".txt"))) o.AttenteTexte = beside(".txt").string();
    if (reference || Existe(beside(".prn"))) o.AttenteImprimante = beside(".prn").string();
    if (Existe(beside(".img"))) o.AttentesDisques.push_back("1=" + beside(".img").string());
    for (int n : NumerosLecteurs)
        if (Existe(beside(".d" + std::to_string(n) + ".img")))
            o.AttentesDisques.push_back(std::to_string(n) + "=" + beside(".d" + std::to_string(n) + ".img").string());
    return o;
}

// The machine's own boxes of a case are not the verdict: dropped.
void Silence(const std::string&) {}

} // namespace

int CommandeTest(int argc, char** argv) {
    std::string dossier;
    bool reference = false;
    TOptions t("test", "usage : zorv test DOSSIER [--rebaseline]\n",
               "Rejoue les sessions enregistrées d'un dossier et compare leurs résultats aux attendus.\n");
    t.Drapeau({"--rebaseline"}, "écrit les résultats attendus d'après la relecture", reference)
        .Arguments([&dossier](const std::string& v) -> std::string {
            if (!dossier.empty()) return "un seul dossier : « " + v + " » en trop";
            dossier = v;
            return {};
        });
    t.Fin(FinTest);
    if (const int statut = t.Analyse(argc, argv); statut >= 0) return statut;
    if (dossier.empty()) return t.Refus("il manque le dossier des sessions");
    std::error_code ec;
    if (!fs::is_directory(dossier, ec)) return t.Refus(dossier + " n'est pas un dossier");
    std::vector<fs::path> sessions;
    for (const fs::directory_entry& e : fs::directory_iterator(dossier, ec))
        if (e.path().extension() == ".zsession" && Existe(e.path())) sessions.push_back(e.path());
    std::sort(sessions.begin(), sessions.end());
    int reussis = 0, rates = 0;
    for (const fs::path& s : sessions) {
        TOptionsRun o = OptionsDuCas(s, reference);
        TBilanRelecture b = Rejoue(o, reference, Silence);
        const std::string nom = s.filename().string();
        std::string raison = b.Message;
        if (raison.empty() && !b.Ecarts.empty()) raison = b.Ecarts.front();
        if (b.Statut == 0) {
            ++reussis;
            std::printf("%s %s\n", reference ? "écrit " : "ok    ", nom.c_str());
        } else {
            ++rates;
            std::printf("échec  %s : %s\n", nom.c_str(), raison.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", reussis, rates);
    return rates > 0 ? 1 : 0;
}
