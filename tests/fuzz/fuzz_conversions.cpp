// Random texts against the converter's readers and key filters, and random
// lines against the console's watch, stack, converter and code commands.
// Checked: a hexadecimal text judged valid reads back the same bytes from
// their own text; a decimal text judged readable gives the double of its
// readable beginning; the filters never accept a text above 30 characters
// or one the readers refuse; a failing command line ends with its message.
//
//   fuzz_conversions [inputs [seed]]     default 100000 inputs, seed 1
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "config/Poste.h"
#include "debugger/Console.h"
#include "debugger/Conversions.h"

namespace {

int Echec(const char* quoi, const std::string& texte) {
    std::fprintf(stderr, "%s : « %s »\n", quoi, texte.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const long n = argc > 1 ? std::atol(argv[1]) : 100000;
    std::mt19937 alea(argc > 2 ? unsigned(std::atol(argv[2])) : 1u);
    TPosteVirtuel poste;
    poste.Machine().InitMachine();
    TConsoleDebogueur console(poste);
    const std::string lettres = "0123456789ABCDEFabcdefGxE.,-+ \t\"eH\xC3\xA9\xFF";
    const char* mots[] = {"var", "var-", "pile", "conv", "conv-hex", "code", "octet", "car", "ptr", "32", "64",
                          "flottant", "data", "logiciel", "cpu", "FFFF", "FFF9", "0", "1E-", "-"};
    for (long i = 0; i < n; ++i) {
        std::string t;
        const int lg = int(alea() % 34);
        for (int k = 0; k < lg; ++k) t += lettres[alea() % lettres.size()];
        const TOctetsDouble o = HexVersOctets(t);
        if (o.Valide && HexVersOctets(OctetsEnHexa(o.Octets)).Octets != o.Octets) return Echec("octets relus", t);
        double v = 0;
        const size_t lu = LitFlottant(t, v);
        if (lu > t.size()) return Echec("longueur lue", t);
        if (FlottantLisible(t) && FlottantVersHexa(t) != OctetsEnHexa(OctetsDeDouble(v))) return Echec("valeur lue", t);
        const int debut = t.empty() ? 0 : int(alea() % t.size());
        const int longueur = t.empty() ? 0 : int(alea() % (t.size() - size_t(debut) + 1));
        const char touche = lettres[alea() % lettres.size()];
        std::string apres = t;
        apres.replace(size_t(debut), size_t(longueur), 1, touche);
        if (SaisieHexaValide(t, debut, longueur, touche) && (apres.size() > 30 || !HexVersOctets(apres).Valide))
            return Echec("touche hexadécimale acceptée", apres);
        if (SaisieFlottantValide(t, debut, longueur, touche) && apres.size() > 30)
            return Echec("touche décimale acceptée", apres);
        std::string ligne = mots[alea() % std::size(mots)];
        for (int k = int(alea() % 4); k > 0; --k) {
            ligne += ' ';
            ligne += alea() % 2 ? std::string(mots[alea() % std::size(mots)]) : t;
        }
        if (ligne.rfind("code", 0) == 0) ligne += " 0"; // listings stay short enough
        std::vector<std::string> sortie;
        if (!console.Execute(ligne, sortie) && sortie.empty()) return Echec("échec sans message", ligne);
    }
    return 0;
}
