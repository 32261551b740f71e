// Random symbol list files against the loader: pairs with odd blanks,
// control bytes, long hexadecimal numbers, stray bytes, long lines. Checked
// for each input: the count returned is the number of pairs added, no added
// name is empty or holds a blank, the list written back and read again is
// the same list, and a cut label keeps at most 8 characters.
//
//   fuzz_symboles [inputs [seed]]     default 1000000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "debugger/Symboles.h"

namespace {

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return uint32_t(Alea() % n); }

    std::string Mot() {
        static const char* const mots[] = {"DEBUT", "Boucle_1", "été", "X", "UnNomDeDixSeptCar", "a\tb", "\x7F", "?"};
        switch (N(4)) {
        case 0: return mots[N(8)];
        case 1: { // hexadecimal of any length
            std::string h;
            const uint32_t n = N(14) + 1;
            for (uint32_t i = 0; i < n; ++i) h += "0123456789ABCDEFabcdef"[N(22)];
            return h;
        }
        case 2: {
            std::string s;
            const uint32_t n = N(6) + 1;
            for (uint32_t i = 0; i < n; ++i) s += char(N(256));
            return s;
        }
        default: return std::string(N(300), char('A' + N(26)));
        }
    }

    std::string Texte() {
        std::string t;
        const uint32_t lignes = N(12);
        for (uint32_t l = 0; l < lignes; ++l) {
            const uint32_t mots = N(8);
            for (uint32_t i = 0; i < mots; ++i) t += Mot() + std::string(N(3) + (i + 1 < mots), N(5) ? ' ' : '\t');
            t += N(4) ? "\n" : "\r\n";
        }
        return t;
    }

private:
    std::mt19937_64 Alea;
};

[[noreturn]] void Echec(const char* quoi, uint64_t entree) {
    std::fprintf(stderr, "fuzz_symboles : %s (entrée %llu)\n", quoi, static_cast<unsigned long long>(entree));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    TGenerateur g(graine);
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        std::istringstream f(g.Texte());
        TListeSymboles liste{{"DEJA", 1}};
        const int n = ChargeSymboles(f, liste);
        if (n < 0 || size_t(n) + 1 != liste.size()) Echec("compte différent des symboles ajoutés", e);
        TListeSymboles propres;
        for (size_t i = 1; i < liste.size(); ++i) {
            const TSymbole& s = liste[i];
            if (s.Nom.empty() || s.Nom.find(' ') != std::string::npos) Echec("nom vide ou avec un blanc", e);
            const std::string court = AbregeSymbole(s.Nom);
            if (NbCaracteres(court) > 8) Echec("étiquette coupée de plus de 8 caractères", e);
            if (NbCaracteres(s.Nom) <= 8 ? court != s.Nom : court.compare(court.size() - 3, 3, "\u2026") != 0)
                Echec("étiquette mal coupée", e);
            // Names without blanks or control bytes, addresses of 16 bits,
            // go through a file unchanged.
            bool simple = s.Adresse >= 0 && s.Adresse <= 0xFFFF;
            for (unsigned char c : s.Nom) simple = simple && c > ' ' && c != 0x7F;
            if (simple) propres.push_back(s);
        }
        std::ostringstream ecrit;
        EcritSymboles(ecrit, propres);
        std::istringstream relu(ecrit.str());
        TListeSymboles retour;
        if (ChargeSymboles(relu, retour) != int(propres.size())) Echec("relecture : compte", e);
        for (size_t i = 0; i < propres.size(); ++i)
            if (retour[i].Nom != propres[i].Nom || retour[i].Adresse != propres[i].Adresse) Echec("relecture : paire", e);
    }
    std::printf("fuzz_symboles : %llu entrées, aucune faute\n", static_cast<unsigned long long>(nbEntrees));
    return 0;
}
