// Random line maps (.zdbg) against their reader: a sound map with bytes
// flipped, cut, repeated or replaced by JSON tokens, numbers pushed past
// their limits. Checked for each input: a refusal says why and leaves the
// map empty; an accepted map writes back to a text that reads back as the
// same map, and every address it gives back names one of its files.
//
//   fuzz_carte_source [inputs [seed]]     default 1000000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "debugger/CarteSource.h"

namespace {

[[noreturn]] void Echec(const char* quoi, uint64_t entree) {
    std::fprintf(stderr, "fuzz_carte_source : %s (entrée %llu)\n", quoi, static_cast<unsigned long long>(entree));
    std::exit(1);
}

std::string CarteDeDepart() {
    TCarteSource c;
    c.Image = "prog.bin";
    c.Origine = 0x2100;
    c.Entree = 0x2100;
    c.Fichiers = {"/src/prog.asm", "/src/sous.inc", "/src/été.inc"};
    for (uint16_t i = 0; i < 12; ++i)
        c.Plages.push_back({uint16_t(0x2100 + 3 * i), 3, uint32_t(i % 3), 10 + i});
    c.Plages.push_back({0xFFFE, 2, 0, 99});
    c.Symboles = {{"DEBUT", 0x2100, TGenreSymboleCarte::Etiquette},
                  {"PORT", 0xC2, TGenreSymboleCarte::Equ},
                  {"N", -5, TGenreSymboleCarte::Set}};
    return CodeCarteSource(c);
}

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return n ? uint32_t(Alea() % n) : 0; }

    void Abime(std::string& t) {
        static const char* const jetons[] = {"{", "}", "[", "]", ",", ":", "\"", "null", "true", "-1", "0",
                                             "65535", "65536", "4294967296", "1e308", "-9223372036854775809",
                                             "\"fichier\"", "\"ligne\"", "\"\\u0000\"", "\xC3", "\xFF"};
        for (uint32_t f = 1 + N(4); f; --f) {
            const size_t n = t.size();
            const size_t p = N(uint32_t(n + 1));
            switch (N(6)) {
            case 0: if (n) t[std::min(p, n - 1)] = char(N(256)); break;
            case 1: t.resize(p); break;
            case 2: t.insert(p, jetons[N(sizeof jetons / sizeof *jetons)]); break;
            case 3: t.erase(p, N(12)); break;
            case 4: t.insert(p, t.substr(p, N(200))); break;
            default: { // a number of the map replaced
                const size_t c = t.find_first_of("0123456789", p);
                if (c != std::string::npos) t.replace(c, 1, jetons[9 + N(7)]);
                break;
            }
            }
        }
    }

private:
    std::mt19937_64 Alea;
};

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const std::string bon = CarteDeDepart();
    TGenerateur g(graine);
    uint64_t acceptees = 0;
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        std::string texte = bon;
        g.Abime(texte);
        TCarteSource c;
        std::string erreur;
        if (!LitCarteSource(texte, c, erreur)) {
            if (erreur.empty()) Echec("refus sans raison", e);
            if (!c.Vide()) Echec("carte à moitié lue après un refus", e);
            continue;
        }
        ++acceptees;
        TCarteSource relue;
        if (!LitCarteSource(CodeCarteSource(c), relue, erreur)) Echec("relecture refusée", e);
        // Text that was not UTF-8 comes back with U+FFFD: compare the rest.
        if (relue.Plages != c.Plages || relue.Fichiers.size() != c.Fichiers.size() ||
            relue.Symboles.size() != c.Symboles.size() || relue.Entree != c.Entree)
            Echec("relecture différente", e);
        for (uint32_t a = 0; a < 0x10000; a += 1 + g.N(4096))
            if (const TPlageSource* p = PlageDe(c, uint16_t(a)); p && p->Source >= c.Fichiers.size())
                Echec("plage vers un fichier absent", e);
    }
    std::printf("fuzz_carte_source : %llu entrées, %llu acceptées, aucune faute\n",
                static_cast<unsigned long long>(nbEntrees), static_cast<unsigned long long>(acceptees));
    return 0;
}
