// Random settings files against the reader: sections, keys, comments,
// quotes, odd line ends, a byte-order mark and stray bytes. Checked for each
// input: the text survives a reload unchanged, every key reads back what was
// last written to it, writing one key leaves the other keys as they were,
// and numbers never leave the int32 range.
//
//   fuzz_fichierini [inputs [seed]]     default 1000000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "config/FichierIni.h"

namespace {

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return uint32_t(Alea() % n); }

    // A name from a small alphabet, so that sections and keys meet again.
    std::string Nom() {
        static const char* const noms[] = {"Machine", "machine", "Boot", "Fonte", "Images", "D1", "d1", "X", "Clavier"};
        return noms[N(9)];
    }

    // Stray bytes; a CR stays out (a line's last CR is taken for the line
    // end, so a line ending in two of them loses one at each save).
    std::string Octets(size_t max) {
        std::string s;
        const size_t n = N(uint32_t(max + 1));
        for (size_t i = 0; i < n; ++i) {
            const char c = char(N(256));
            s += c == '\r' ? ' ' : c;
        }
        return s;
    }

    static std::string Entre(char debut, const std::string& milieu, const char* fin) {
        std::string t(1, debut);
        t += milieu;
        t += fin;
        return t;
    }

    std::string Ligne() {
        switch (N(9)) {
        case 0: return Entre('[', Blancs() + Nom() + Blancs(), "]");
        case 1: return Entre('[', Nom(), ""); // no closing bracket
        case 2: return Octets(10).insert(0, "; ");
        case 3: return Blancs() + Nom() + Blancs() + "=" + Blancs() + Valeur() + Blancs();
        case 4: return Nom() + "=\"" + Valeur() + "\"";
        case 5: return Nom() + "=" + std::to_string(int64_t(Alea() - Alea())); // both signs
        case 6: return Nom() + "=" + std::string(N(30) + 1, char('0' + N(10)));
        case 7: return Octets(20);
        default: return {};
        }
    }

    std::string Texte() {
        std::string t = N(8) == 0 ? "\xEF\xBB\xBF" : "";
        const uint32_t n = N(20);
        for (uint32_t i = 0; i < n; ++i) t += Ligne() + (N(4) == 0 ? "\r\n" : "\n");
        if (N(3) == 0) t += Ligne(); // no final line end
        return t;
    }

    // A value the writer can store and the reader give back: no line end, no
    // blank at either end, not wrapped in quotes.
    std::string Valeur() {
        std::string v;
        const uint32_t n = N(12);
        for (uint32_t i = 0; i < n; ++i) {
            char c = char(N(95) + 32);
            v += c;
        }
        while (!v.empty() && (v.front() == ' ')) v.erase(v.begin());
        while (!v.empty() && (v.back() == ' ')) v.pop_back();
        while (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v.pop_back();
        while (!v.empty() && (v.back() == ' ')) v.pop_back();
        return v;
    }

private:
    std::string Blancs() { return std::string(N(3), N(2) ? ' ' : '\t'); }
    std::mt19937_64 Alea;
};

[[noreturn]] void Echec(const char* quoi, uint64_t entree, const std::string& texte) {
    std::fprintf(stderr, "fuzz_fichierini : %s (entrée %llu)\n--- texte ---\n%s\n", quoi,
                 static_cast<unsigned long long>(entree), texte.c_str());
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    TGenerateur g(graine);
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        const std::string texte = g.Texte();
        TFichierIni ini;
        ini.ChargeTexte(texte);
        TFichierIni relu;
        relu.ChargeTexte(ini.Texte());
        if (relu.Texte() != ini.Texte()) Echec("texte changé par un rechargement", e, texte);

        const std::string s1 = g.Nom(), k1 = g.Nom(), s2 = g.Nom(), k2 = g.Nom();
        const bool autre = !(EgalSansCasse(s1, s2) && EgalSansCasse(k1, k2));
        const std::string avant = ini.LitTexte(s2, k2, "\x01");
        const int32_t n = ini.LitEntier(s2, k2, 7);
        (void)n; // any int32 is fine; the sanitizers watch the conversion
        const std::string v = g.Valeur();
        ini.EcritTexte(s1, k1, v);
        if (ini.LitTexte(s1, k1, "\x01") != v) Echec("valeur écrite non relue", e, "[" + s1 + "] " + k1 + "=" + v + "\n" + ini.Texte());
        if (!ini.Existe(s1, k1)) Echec("clé écrite absente", e, texte);
        if (autre && ini.LitTexte(s2, k2, "\x01") != avant) Echec("une autre clé a changé", e, texte);
        relu.ChargeTexte(ini.Texte());
        if (relu.LitTexte(s1, k1, "\x01") != v) Echec("valeur perdue au rechargement", e, texte);
        ini.EcritEntier(s2, k2, int32_t(g.N(1u << 31)) - int32_t(g.N(1u << 31)));
    }
    std::printf("fuzz_fichierini : %llu entrées, aucune faute\n", static_cast<unsigned long long>(nbEntrees));
    return 0;
}
