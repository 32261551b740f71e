// The user manual: headings, inline markup, folding for the search, the
// contents file, the search over sections, and the committed chapters
// (every file listed, pictures and links that exist, the console's chapter
// as the command table gives it).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "config/Manuel.h"
#include "debugger/Console.h"
#include "debugger/ManuelConsole.h"

namespace fs = std::filesystem;

namespace {

const fs::path DossierManuel = fs::path(ZORV_SOURCE_DIR) / "docs" / "manuel";

std::string Lit(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

} // namespace

TEST(Manuel, HeadingsAreTheAtxLinesOutsideCode) {
    const std::string texte = "# Titre *un*\n"
                              "texte\n"
                              "## Deux ##\n"
                              "#pas un titre\n"
                              "    # indenté : du code\n"
                              "```\n"
                              "# dans un bloc de code\n"
                              "```\n"
                              "   ### Trois `zorv run`\n"
                              "~~~\n"
                              "## encore du code\n"
                              "~~~\n"
                              "####### sept : trop\n"
                              "###### Six #\n";
    const auto t = TitresMarkdown(texte);
    ASSERT_EQ(t.size(), 4u);
    const struct {
        int niveau;
        const char* texte;
        size_t ligne;
    } attendus[] = {{1, "Titre un", 0}, {2, "Deux", 2}, {3, "Trois zorv run", 8}, {6, "Six", 13}};
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].Niveau, attendus[i].niveau) << i;
        EXPECT_EQ(t[i].Texte, attendus[i].texte) << i;
        EXPECT_EQ(t[i].Ligne, attendus[i].ligne) << i;
    }
}

TEST(Manuel, InlineMarkupGivesItsText) {
    const struct {
        const char* ligne;
        const char* texte;
    } cas[] = {
        {"**gras** et *penché*", "gras et penché"},
        {"`a*b` reste", "a*b reste"},
        {"voir [les disques](disques.md) ici", "voir les disques ici"},
        {"![La fenêtre](../fenetre.png)", "La fenêtre"},
        {"[**F1**](clavier.md)", "F1"},
        {"l\\|e\\|le et \\[N]", "l|e|le et [N]"},
        {"[pas un lien] (x)", "[pas un lien] (x)"},
        {"`non fermé", "non fermé"},
        {"| a | b |", "| a | b |"},
    };
    for (const auto& c : cas) EXPECT_EQ(TexteSimple(c.ligne), c.texte) << c.ligne;
}

TEST(Manuel, FoldingDropsCaseAndAccentsAndKeepsOrigins) {
    const struct {
        const char* s;
        const char* pli;
    } cas[] = {
        {"État", "etat"},           {"ÀÂÄÇÉÈÊËÎÏÔÖÙÛÜŸ", "aaaceeeeiioouuuy"}, {"cœur Œuvre", "coeur oeuvre"},
        {"1\u202f024\u00a0o", "1 024 o"}, {"l\u2019aide", "l'aide"}, {"× ÷ ©", "× ÷ ©"},
        {"ABC-xyz_09", "abc-xyz_09"},
    };
    for (const auto& c : cas) EXPECT_EQ(Replie(c.s), c.pli) << c.s;
    // Each byte of the fold points back at the character it comes from.
    std::vector<size_t> o;
    EXPECT_EQ(Replie("aÉœb", &o), "aeoeb");
    EXPECT_EQ(o, (std::vector<size_t>{0, 1, 3, 3, 5}));
    // A byte that is not UTF-8 is kept as it is.
    EXPECT_EQ(Replie("a\xC3"), "a\xC3");
}

TEST(Manuel, ContentsFileGivesTheChaptersInItsOrder) {
    const std::string sommaire = "# Manuel\n"
                                 "1. [Premiers pas](premiers-pas.md)\n"
                                 "2. [Disques](disques.md) et [encore](premiers-pas.md)\n"
                                 "- [Une note](../etat.md), [une ancre](disques.md#lecteurs), "
                                 "[la toile](https://exemple.invalid/x.md), [image](../fenetre.png)\n"
                                 "3. [Console](commandes-console.md)\n";
    EXPECT_EQ(ChapitresDuSommaire(sommaire),
              (std::vector<std::string>{"premiers-pas.md", "disques.md", "commandes-console.md"}));
}

TEST(Manuel, SearchFindsTheSectionsHoldingEveryWord) {
    TManuel m;
    m.Ajoute("a.md", "# Premiers pas\n"
                     "Avant tout.\n"
                     "## Les disques\n"
                     "Un disque **protégé** en écriture.\n"
                     "## Les états\n"
                     "Un état enregistré ; protégé aussi.\n");
    m.Ajoute("b.md", "# Débogueur\n"
                     "## Points d'arrêt\n"
                     "```\n"
                     "pa 2000 si A=3\n"
                     "```\n");
    struct Cas {
        const char* requete;
        std::vector<std::pair<size_t, int>> sections; // chapter, heading rank
    };
    const Cas cas[] = {
        {"PROTEGE", {{0, 1}, {0, 2}}},
        {"protégé ECRITURE", {{0, 1}}},
        {"etat", {{0, 2}}},
        {"avant", {{0, 0}}},
        {"arret pa", {{1, 1}}},
        {"debogueur", {{1, 0}}},
        {"protégé disquette", {}},
        {"   ", {}},
    };
    for (const Cas& c : cas) {
        const auto t = m.Cherche(c.requete);
        std::vector<std::pair<size_t, int>> vues;
        for (const TTrouvaille& x : t) vues.emplace_back(x.Chapitre, x.Titre);
        EXPECT_EQ(vues, c.sections) << c.requete;
    }
    const auto t = m.Cherche("protege ecriture");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Forme, "protégé");
    EXPECT_EQ(t[0].Section, "Les disques");
    EXPECT_EQ(t[0].Extrait, "Un disque protégé en écriture.");
    EXPECT_EQ(m.Indice("b.md"), 1);
    EXPECT_EQ(m.Indice("c.md"), -1);
    EXPECT_EQ(m.Chapitres()[1].Titre, "Débogueur");
}

// The extract shown for a hit: a table row without its bars, a long line
// cut around the word (on character boundaries) with "…" where it was cut.
TEST(Manuel, ExtractsAreShortAndReadable) {
    TManuel m;
    const std::string avant(60, 'a'), apres(120, 'b');
    m.Ajoute("c.md", "# Tables\n"
                     "| `pa` | ADR | pose un point d'arrêt |\n"
                     "## Longue\n" + avant + " é cible é " + apres + "\n");
    const auto rangee = m.Cherche("pose");
    ASSERT_EQ(rangee.size(), 1u);
    EXPECT_EQ(rangee[0].Extrait, "pa ADR pose un point d'arrêt");
    const auto longue = m.Cherche("CIBLE");
    ASSERT_EQ(longue.size(), 1u);
    const std::string& e = longue[0].Extrait;
    EXPECT_EQ(longue[0].Forme, "cible");
    EXPECT_TRUE(e.starts_with("\u2026")) << e;
    EXPECT_TRUE(e.ends_with("b\u2026")) << e;
    EXPECT_NE(e.find("a é cible é b"), std::string::npos) << e;
    EXPECT_LT(e.size(), 100u);
}

// The manual in docs/manuel: the contents file lists every chapter once,
// each chapter opens with its title, and its pictures and links exist.
TEST(Manuel, CommittedManualIsWhole) {
    const std::vector<std::string> listes = ChapitresDuSommaire(Lit(DossierManuel / "index.md"));
    std::set<std::string> fichiers;
    for (const auto& e : fs::directory_iterator(DossierManuel))
        if (e.path().extension() == ".md" && e.path().filename() != "index.md") fichiers.insert(e.path().filename().string());
    EXPECT_EQ(std::set<std::string>(listes.begin(), listes.end()), fichiers);
    const std::regex lien(R"(\]\(([^)#:]+)\))");
    for (const std::string& f : fichiers) {
        const std::string texte = Lit(DossierManuel / f);
        const auto titres = TitresMarkdown(texte);
        ASSERT_FALSE(titres.empty()) << f;
        EXPECT_EQ(titres.front().Niveau, 1) << f;
        EXPECT_EQ(titres.front().Ligne, 0u) << f;
        for (auto it = std::sregex_iterator(texte.begin(), texte.end(), lien); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(fs::exists(DossierManuel / (*it)[1].str())) << f << " : " << (*it)[1].str();
    }
}

// The console's chapter is what the command table gives (`ninja manuel`
// writes it again), so each command is in the manual.
TEST(Manuel, ConsoleChapterIsTheCommandTable) {
    const std::string chapitre = Lit(DossierManuel / "commandes-console.md");
    EXPECT_EQ(chapitre, TexteManuelConsole()) << "docs/manuel/commandes-console.md : ninja -C build manuel";
    for (const TCommandeConsole& c : TConsoleDebogueur::Table())
        EXPECT_NE(chapitre.find(std::string("| `") + c.Nom + "` | " + CelluleMarkdown(c.Parametres) + " |"),
                  std::string::npos)
            << c.Nom;
    EXPECT_EQ(CelluleMarkdown("[A|B] *x* `y` a_b <c>"), "\\[A\\|B] \\*x\\* \\`y\\` a\\_b \\<c>");
}
