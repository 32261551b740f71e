// The assembler's line map: every emitted byte back to its file and line,
// INCLUDE'd files too; the .zdbg file read back as written, and refused with
// a reason when damaged; the console's sym charge and source on it.
#include <gtest/gtest.h>

#include <map>

#include "ImagesTemp.h"
#include "MachineEssai.h"
#include "core/Fichiers.h"
#include "debugger/CarteSource.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"

namespace {

class TLecteurMemoire : public ILecteurSource {
public:
    std::map<std::string, std::string> Fichiers;
    std::optional<std::string> Lit(const std::string& chemin) override {
        const auto it = Fichiers.find(chemin);
        if (it == Fichiers.end()) return std::nullopt;
        return it->second;
    }
};

TResultatAsm Programme() {
    TLecteurMemoire l;
    l.Fichiers["src/sous.inc"] = "; a subroutine\nSOUS:   INR A\n        RET\nLIMITE  EQU 40H\n";
    return Assemble("        ORG 2100H\n"      // 1
                    "DEBUT:  MVI A,1\n"        // 2
                    "        CALL SOUS\n"      // 3
                    "; comment\n"              // 4
                    "\n"                       // 5
                    "        HLT\n"            // 6
                    "TEXTE:  DB 'ABC',0\n"     // 7
                    "        DS 4\n"           // 8
                    "        INCLUDE sous.inc\n" // 9
                    "        ORG 3000H\n"      // 10
                    "TABLE:  DW DEBUT,SOUS\n" // 11
                    "        END DEBUT\n",
                    "src/prog.asm", l);
}

TEST(CarteSource, EveryByteGoesBackToItsLineIncludesToo) {
    const TResultatAsm r = Programme();
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    ASSERT_EQ(r.Sources, (std::vector<std::string>{"src/prog.asm", "src/sous.inc"}));
    const TCarteSource c = CarteDe(r, "prog.bin");
    ASSERT_EQ(c.Fichiers.size(), 2u);
    EXPECT_TRUE(c.Fichiers[0].ends_with("src/prog.asm")) << c.Fichiers[0];
    EXPECT_EQ(c.Fichiers[0].front(), '/'); // absolute
    const std::string prog = c.Fichiers[0], sous = c.Fichiers[1];
    EXPECT_EQ(TexteSource(c, 0x2100), prog + ":2");
    EXPECT_EQ(TexteSource(c, 0x2101), prog + ":2"); // the operand byte
    EXPECT_EQ(TexteSource(c, 0x2104), prog + ":3");
    EXPECT_EQ(TexteSource(c, 0x2105), prog + ":6");
    EXPECT_EQ(TexteSource(c, 0x2109), prog + ":7"); // the 0 after 'ABC'
    EXPECT_EQ(TexteSource(c, 0x210A), "");          // DS: nothing emitted
    EXPECT_EQ(TexteSource(c, 0x210E), sous + ":2");
    EXPECT_EQ(TexteSource(c, 0x210F), sous + ":3");
    EXPECT_EQ(TexteSource(c, 0x3003), prog + ":11");
    EXPECT_EQ(TexteSource(c, 0x3004), "");
    // A breakpoint on a comment or a blank line goes to the next code line.
    EXPECT_EQ(AdresseDeLigne(c, prog, 4), 0x2105);
    EXPECT_EQ(AdresseDeLigne(c, prog, 1), 0x2100);
    EXPECT_EQ(AdresseDeLigne(c, sous, 1), 0x210E);
    EXPECT_EQ(AdresseDeLigne(c, prog, 12), std::nullopt);
    EXPECT_EQ(AdresseDeLigne(c, "/ailleurs.asm", 1), std::nullopt);
    // Labels and constants with their kind; the entry point.
    auto symbole = [&](const std::string& nom) {
        for (const TSymboleCarte& s : c.Symboles)
            if (s.Nom == nom) return s;
        return TSymboleCarte{};
    };
    EXPECT_EQ(symbole("SOUS"), (TSymboleCarte{"SOUS", 0x210E, TGenreSymboleCarte::Etiquette}));
    EXPECT_EQ(symbole("LIMITE"), (TSymboleCarte{"LIMITE", 0x40, TGenreSymboleCarte::Equ}));
    EXPECT_EQ(c.Entree, 0x2100);
    EXPECT_EQ(c.Origine, 0x2100);
    // The file reads back as it was written.
    TCarteSource lue;
    std::string erreur;
    ASSERT_TRUE(LitCarteSource(CodeCarteSource(c), lue, erreur)) << erreur;
    EXPECT_EQ(lue, c);
}

TEST(CarteSource, ADamagedMapIsRefusedWithItsReason) {
    const std::string bon = CodeCarteSource(CarteDe(Programme(), "prog.bin"));
    auto remplace = [&](const std::string& de, const std::string& par) {
        std::string t = bon;
        const size_t p = t.find(de);
        EXPECT_NE(p, std::string::npos) << de;
        return p == std::string::npos ? t : t.replace(p, de.size(), par);
    };
    const std::pair<std::string, std::string> cas[] = {
        {"", "JSON illisible"},
        {bon.substr(0, bon.size() / 2), "JSON illisible"},
        {"[1,2,3]", "n'est pas une carte"},
        {remplace("EmulZorv-zdbg", "autre"), "n'est pas une carte"},
        {remplace("\"version\": 1", "\"version\": 7"), "version 7, plus récente que la version 1"},
        {remplace("\"version\": 1", "\"version\": \"1\""), "version"},
        {remplace("\"adresse\": 8448", "\"adresse\": 70000"), "plage"},
        {remplace("\"longueur\": 2", "\"longueur\": 0"), "plage"},
        {remplace("\"ligne\": 2", "\"ligne\": 0"), "plage"},
        {remplace("\"fichier\": 1", "\"fichier\": 5"), "plage"},
        {remplace("\"genre\": \"equ\"", "\"genre\": \"macro\""), "genre de symbole inconnu"},
        {remplace("\"plages\"", "\"autres\""), "plages"},
    };
    for (const auto& [texte, attendu] : cas) {
        TCarteSource c;
        c.Fichiers = {"reste"};
        std::string erreur;
        EXPECT_FALSE(LitCarteSource(texte, c, erreur)) << attendu;
        EXPECT_NE(erreur.find(attendu), std::string::npos) << erreur;
        EXPECT_TRUE(c.Vide()); // nothing half-read is kept
    }
}

struct ConsoleCarte : TMachineEssai {};

TEST_F(ConsoleCarte, SymChargeTakesTheLabelsAndTheLinesAndSourceNamesTheLine) {
    TDossierTemp dossier;
    const TCarteSource carte = CarteDe(Programme(), "prog.bin");
    const std::string chemin = dossier.Chemin("prog.zdbg"), abime = dossier.Chemin("abime.zdbg");
    std::string erreur;
    ASSERT_TRUE(EcritFichierAtomique(chemin, CodeCarteSource(carte), erreur));
    ASSERT_TRUE(EcritFichierAtomique(abime, std::string("{\"format\": \"EmulZorv-zdbg\"}"), erreur));
    TConsoleDebogueur c(*poste);
    std::vector<std::string> sortie;
    EXPECT_FALSE(c.Execute("source 2100", sortie));
    EXPECT_NE(sortie.back().find("aucune carte"), std::string::npos);
    ASSERT_TRUE(c.Execute("sym charge " + chemin, sortie));
    EXPECT_EQ(sortie.back(), "sym : carte des sources, 2 fichiers, 7 lignes de code");
    const TListeSymboles& l = poste->Debogueur().Symboles;
    ASSERT_EQ(l.size(), 4u); // the labels, not the constant
    EXPECT_EQ(l[0].Nom, "DEBUT");
    m->RegPC = 0x2104;
    ASSERT_TRUE(c.Execute("source", sortie));
    EXPECT_EQ(sortie.back(), "2104H " + carte.Fichiers[0] + ":3");
    EXPECT_TRUE(c.Execute("source 210F", sortie));
    EXPECT_EQ(sortie.back(), "210FH " + carte.Fichiers[1] + ":3");
    EXPECT_FALSE(c.Execute("source 210A", sortie));
    EXPECT_FALSE(c.Execute("sym charge " + abime, sortie));
    EXPECT_NE(sortie.back().find("version"), std::string::npos) << sortie.back();
    EXPECT_EQ(poste->Debogueur().CarteSource, carte); // a refused map changes nothing
}

} // namespace
