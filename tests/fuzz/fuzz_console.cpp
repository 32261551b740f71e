// Random command lines against the debugger console: known command names
// with garbled parameters, odd bytes and long words. Checked after every
// line: a failing line ends with its message, the processor is never left
// running, and no temporary stop survives a stop.
//
//   fuzz_console [inputs [seed]]     default 100000 inputs, seed 1
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "config/Poste.h"
#include "debugger/Console.h"

int main(int argc, char** argv) {
    const long n = argc > 1 ? std::atol(argv[1]) : 100000;
    std::mt19937 alea(argc > 2 ? unsigned(std::atol(argv[2])) : 1u);
    TPosteVirtuel poste;
    TMachine& m = poste.Machine();
    m.InitMachine();
    for (int a = 0x2000; a < 0x2100; ++a) m.ZorvMem[size_t(a)] = uint8_t(alea());
    m.RegPC = 0x2000;
    TConsoleDebogueur console(poste);
    const char* mots[] = {"reg", "pas", "passe", "jusqua", "lance", "raz", "int", "etat", "pa", "pa-",
                          "dasm", "aide", "mem", "ecris", "remplit", "copie", "cherche", "cpu", "logiciel", "data", "\"",
                          "sym", "surv", "surv-", "si", "tri", "nom", "le",
                          "A=", "PC=", "SP=FFFF", "FFFF", "12345", "0x", "H", "$", "-1"};
    const std::string octets = "0123456789ABCDEFHhx=$ -#;\t\xC3\xA9\xFF";
    for (long i = 0; i < n; ++i) {
        std::string ligne;
        const int nb = int(alea() % 4);
        for (int k = 0; k < nb; ++k) {
            if (alea() % 2) ligne += mots[alea() % std::size(mots)];
            const int lg = int(alea() % 6);
            for (int c = 0; c < lg; ++c) ligne += octets[alea() % octets.size()];
            ligne += ' ';
        }
        // Keep runs short: a budget on every run command.
        if (ligne.rfind("lance", 0) == 0) ligne = "lance " + std::to_string(alea() % 500 + 1);
        if (ligne.rfind("passe", 0) == 0 || ligne.rfind("jusqua", 0) == 0) ligne = "pas";
        std::vector<std::string> sortie;
        const bool ok = console.Execute(ligne, sortie);
        if (!ok && sortie.empty()) {
            std::fprintf(stderr, "« %s » : échec sans message\n", ligne.c_str());
            return 1;
        }
        if (m.EtatCPU == CPURun || m.BoucleActive) {
            std::fprintf(stderr, "« %s » : processeur laissé en marche\n", ligne.c_str());
            return 1;
        }
        for (uint8_t f : m.TblPtArret)
            if (f & 2) {
                std::fprintf(stderr, "« %s » : arrêt temporaire resté posé\n", ligne.c_str());
                return 1;
            }
    }
    return 0;
}
