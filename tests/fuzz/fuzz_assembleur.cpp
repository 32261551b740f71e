// Random sources against the assembler: mnemonics with good and bad
// operands, directives, expressions with every operator, labels, strings,
// stray bytes, and INCLUDE trees among a few files held in memory (which
// include each other and themselves). Checked for each input: the result is
// the same when assembled again, the image stays inside the address space,
// every error names a line that exists and shows no raw control or invalid
// byte, and a source without errors gives bytes where it says it wrote.
//
//   fuzz_assembleur [inputs [seed]]     default 1000000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "core/Texte.h"
#include "debugger/Assembleur.h"

namespace {

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return uint32_t(Alea() % n); }

    std::string Nombre() {
        switch (N(7)) {
        case 0: return std::to_string(N(70000));
        case 1: {
            std::string t(1, '0');
            t += Hexa(N(0x10000));
            t += 'H';
            return t;
        }
        case 2: return std::to_string(Alea()); // too large
        case 3: return "1010B";
        case 4: return std::string{'\'', char('A' + N(26)), '\''};
        case 5: return "$";
        default: return Symbole();
        }
    }

    std::string Expression(int profondeur = 0) {
        static const char* const ops[] = {"+", "-", "*", "/", " MOD ", " SHL ", " SHR ", " AND ", " OR ", " XOR "};
        if (profondeur > 3 || N(3) == 0) {
            std::string t = N(6) == 0 ? (N(2) ? "-" : "HIGH ") : "";
            t += Nombre();
            return t;
        }
        if (N(5) == 0) {
            std::string t(1, '(');
            t += Expression(profondeur + 1);
            t += ')';
            return t;
        }
        return Expression(profondeur + 1) + ops[N(10)] + Expression(profondeur + 1);
    }

    std::string Symbole() {
        static const char* const s[] = {"DEBUT", "FIN", "X", "Y", "BOUCLE", "TABLE"};
        return s[N(6)];
    }

    std::string Ligne(int fichier) {
        static const char* const mn[] = {"MVI A,", "LXI H,", "JMP ", "CALL ", "ADI ", "OUT ", "IN ", "LDA ", "RST "};
        static const char* const nus[] = {"NOP", "HLT", "MOV A,B", "MOV M,M", "RET", "XCHG", "PUSH PSW", "POP Q"};
        std::string l = N(4) == 0 ? Symbole() + (N(2) ? ":" : "") : "";
        l += " ";
        switch (N(13)) {
        case 0: l += nus[N(8)]; break;
        case 1: case 2: l += mn[N(9)] + Expression(); break;
        case 3: l += "DB " + Expression() + ",'txt'," + Nombre(); break;
        case 4: l += "DW " + Expression() + "," + Expression(); break;
        case 5: l += "ORG " + Expression(); break;
        case 6: l += "DS " + Nombre(); break;
        case 7: l = Symbole() + " EQU " + Expression(); break;
        case 8: l = Symbole() + " SET " + Expression(); break;
        case 9: l += "INCLUDE " + std::string(N(4) == 0 ? "absent.asm" : std::string(1, char('a' + N(4))) + ".asm"); break;
        case 10: l += std::string(1, char(N(256))) + Expression(); break;
        case 11: l += "END"; break;
        default: l += "; commentaire " + std::to_string(fichier);
        }
        return l;
    }

    std::string Source(int fichier) {
        std::string s;
        const uint32_t n = N(12);
        for (uint32_t i = 0; i < n; ++i) s += Ligne(fichier) + (N(5) ? "\n" : "\r\n");
        return s;
    }

private:
    static std::string Hexa(uint32_t v) {
        char t[16];
        std::snprintf(t, sizeof t, "%X", v);
        return t;
    }
    std::mt19937_64 Alea;
};

// Four files a.asm … d.asm in memory; each read is counted so that a tree
// that fans out stays small enough for millions of inputs.
class TSourcesMemoire : public ILecteurSource {
public:
    std::map<std::string, std::string> Fichiers;
    int Lectures = 0;
    std::optional<std::string> Lit(const std::string& chemin) override {
        if (++Lectures > 200) return std::nullopt;
        const auto it = Fichiers.find(NomSansDossier(chemin));
        if (it == Fichiers.end()) return std::nullopt;
        return it->second;
    }
};

[[noreturn]] void Echec(const char* quoi, uint64_t entree, const std::string& source) {
    std::fprintf(stderr, "fuzz_assembleur : %s (entrée %llu)\n--- source ---\n%s\n", quoi,
                 static_cast<unsigned long long>(entree), source.c_str());
    std::exit(1);
}

bool MemeResultat(const TResultatAsm& a, const TResultatAsm& b) {
    return a.Octets == b.Octets && a.Ecrit == b.Ecrit && a.Origine == b.Origine && a.Entree == b.Entree &&
           a.Listing == b.Listing && a.TexteErreurs() == b.TexteErreurs();
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    TGenerateur g(graine);
    uint64_t sansErreur = 0;
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        TSourcesMemoire sources;
        for (char f = 'a'; f <= 'd'; ++f) sources.Fichiers[std::string(1, f) + ".asm"] = g.Source(f);
        const std::string principal = g.Source(0);
        TSourcesMemoire bis = sources;
        const TResultatAsm r = Assemble(principal, "/src/main.asm", sources);
        if (e % 8 == 0 && !MemeResultat(r, Assemble(principal, "/src/main.asm", bis)))
            Echec("deux assemblages diffèrent", e, principal);
        if (r.Octets.size() != r.Ecrit.size()) Echec("octets et marques de tailles différentes", e, principal);
        if (size_t(r.Origine) + r.Octets.size() > 0x10000) Echec("image hors de l'espace d'adresses", e, principal);
        for (const TErreurAsm& err : r.Erreurs) {
            if (err.Ligne < 0 || err.Message.empty()) Echec("erreur sans ligne ou sans texte", e, principal);
            const std::string t = err.Texte();
            if (TexteVisible(t) != t) Echec("octet brut dans un message", e, principal);
        }
        if (r.Ok()) {
            ++sansErreur;
            if (!r.Octets.empty() && !r.Ecrit.front()) Echec("l'image ne commence pas par un octet écrit", e, principal);
        }
    }
    std::printf("fuzz_assembleur : %llu entrées (%llu sans erreur), aucune faute\n",
                static_cast<unsigned long long>(nbEntrees), static_cast<unsigned long long>(sansErreur));
    return 0;
}
