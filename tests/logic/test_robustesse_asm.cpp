// Random source lines and random symbol files: never a crash, faults are
// reported with a line of the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "debugger/Assembleur.h"
#include "debugger/Desassembleur.h"
#include "debugger/Symboles.h"

namespace {

class SansFichiers : public ILecteurSource {
public:
    std::optional<std::string> Lit(const std::string&) override { return std::nullopt; }
};

std::string LigneAuHasard(std::mt19937& g) {
    static const char* const morceaux[] = {
        "mov", "mvi", "lxi", "db", "dw", "ds", "org", "equ", "set", "end", "include", "rst",
        "a", "b", "m", "sp", "psw", "h", ",", ":", ";", "'", "\"", "(", ")", "$", "+", "-",
        "*", "/", "mod", "not", "and", "shl", "high", "low", "0FFH", "1010B", "17Q", "9",
        "65535", "4294967295", "999999999999", "x", "lab", " ", "\t", "jmp", "call", "'a'",
        "\xC3\xA9", "\x01", "0", "-32768", "7fffffffh", "0ffffh", "100h"};
    std::uniform_int_distribution<int> nb(0, 12), choix(0, std::size(morceaux) - 1),
        octet(1, 255), mode(0, 9);
    std::string l;
    int n = nb(g);
    for (int i = 0; i < n; ++i) {
        if (mode(g) == 0) l += char(octet(g));
        else l += std::string(morceaux[choix(g)]) + (mode(g) < 5 ? " " : "");
    }
    return l;
}

TEST(Robustesse, RandomSourcesNeverCrashAndFaultsAreLocated) {
    std::mt19937 g(12345);
    SansFichiers lecteur;
    for (int essai = 0; essai < 3000; ++essai) {
        int nb = 1 + int(g() % 12);
        std::string source = " pas_un_mnemonique\n"; // at least one fault, before any END
        for (int i = 0; i < nb; ++i) source += LigneAuHasard(g) + "\n";
        int lignes = int(std::count(source.begin(), source.end(), '\n'));
        TResultatAsm r = Assemble(source, "f.asm", lecteur);
        ASSERT_FALSE(r.Ok()) << source;
        EXPECT_EQ(r.Erreurs[0].Texte(), "f.asm:1: mnémonique inconnu : PAS_UN_MNEMONIQUE");
        for (const TErreurAsm& e : r.Erreurs) {
            EXPECT_EQ(e.Fichier, "f.asm");
            EXPECT_GE(e.Ligne, 1);
            EXPECT_LE(e.Ligne, lignes);
            EXPECT_FALSE(e.Message.empty()) << source;
        }
        EXPECT_EQ(r.Octets.size(), r.Ecrit.size());
    }
}

TEST(Robustesse, PathologicalLines) {
    SansFichiers lecteur;
    const std::string cas[] = {std::string(100000, '('), std::string(5000, '-') + "1",
                               " db " + std::string(20000, 'N') + "OT 1",
                               " db " + std::string(30000, '\''), " org 0ffffh\n ds 2\n ds 70000"};
    for (const std::string& c : cas) {
        TResultatAsm r = Assemble(" db " + c + "\n", "p.asm", lecteur);
        EXPECT_FALSE(r.Ok());
    }
    std::string beaucoup;
    for (int i = 0; i < 40000; ++i) beaucoup += " ds 0ffffh\n";
    EXPECT_FALSE(Assemble(beaucoup, "p.asm", lecteur).Ok());
}

TEST(Robustesse, RandomSymbolFiles) {
    std::mt19937 g(777);
    for (int essai = 0; essai < 2000; ++essai) {
        std::string f;
        int n = int(g() % 600);
        for (int i = 0; i < n; ++i) {
            int k = int(g() % 8);
            f += k == 0 ? '\n' : k == 1 ? ' ' : k == 2 ? char('0' + g() % 10) : char(g() % 256);
        }
        TListeSymboles l = {{"DEJA", 1}};
        std::istringstream in(f);
        int compte = ChargeSymboles(in, l);
        ASSERT_EQ(size_t(compte), l.size() - 1);
        for (size_t i = 1; i < l.size(); ++i) EXPECT_FALSE(l[i].Nom.empty());
        TSourceDasm src; // listing with whatever was loaded
        src.Lit = [](uint16_t a) { return uint8_t(a * 7); };
        src.Symboles = &l;
        EXPECT_FALSE(Dasm(src, 0, 64).empty());
    }
}

} // namespace
