// Random breakpoint conditions and watchpoints against a running program:
// garbled expressions are refused with a message or accepted, accepted ones
// evaluate without fault, and runs over random code with random conditions
// and watchpoints always come back stopped.
//
//   fuzz_conditions [inputs [seed]]     default 20000 inputs, seed 1
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "config/Poste.h"
#include "debugger/Debogueur.h"
#include "debugger/PointsArret.h"

int main(int argc, char** argv) {
    const long n = argc > 1 ? std::atol(argv[1]) : 20000;
    std::mt19937 alea(argc > 2 ? unsigned(std::atol(argv[2])) : 1u);
    TPosteVirtuel poste;
    TMachine& m = poste.Machine();
    m.InitMachine();
    for (int a = 0x2000; a < 0x2100; ++a) m.ZorvMem[size_t(a)] = uint8_t(alea());
    TDebogueur& d = poste.Debogueur();
    d.Symboles = {{"DEBUT", 0x2000}, {"FIN", 0x20FF}};
    const char* mots[] = {"A", "BC", "HL", "SP", "PC", "CY", "Z", "DEBUT", "FIN", "[", "]", "(", ")", "=", "<>",
                          "<", ">=", "AND", "OR", "NOT", "+", "-", "*", "/", "MOD", "SHL", "0FFH", "2000H",
                          "1", "0", "'", "$", "X", "99999999999", "HIGH", "\xC3\xA9"};
    for (long i = 0; i < n; ++i) {
        std::string c;
        const int nb = int(alea() % 8);
        for (int k = 0; k < nb; ++k) c += std::string(mots[alea() % std::size(mots)]) + (alea() % 2 ? " " : "");
        const auto erreur = d.Sondes.VerifieCondition(c);
        if (erreur && erreur->empty()) {
            std::fprintf(stderr, "« %s » : refus sans message\n", c.c_str());
            return 1;
        }
        if (erreur) continue;
        d.Sondes.ConditionVraie(c);
        if (i % 50 != 0) continue;
        // A run with this condition on a random breakpoint and a random watchpoint.
        const uint16_t pa = uint16_t(0x2000 + alea() % 0x100);
        AjoutePtArret(m.TblPtArret, pa);
        d.Sondes.PoseCondition(pa, c);
        const uint16_t debut = uint16_t(alea());
        d.Sondes.AjouteSurveillance({debut, uint16_t(debut + alea() % 16), uint8_t(1 + alea() % 3),
                                     TVueSurv(alea() % 3)});
        m.RegPC = 0x2000;
        m.SelMem = 1;
        m.LanceEmulation(2000);
        if (m.EtatCPU == CPURun || m.BoucleActive) {
            std::fprintf(stderr, "« %s » : processeur laissé en marche\n", c.c_str());
            return 1;
        }
        m.ChangeEtatCPU(CPUStop);
        RetirePtArret(m.TblPtArret, pa);
        d.Sondes.EffaceSurveillances();
    }
    return 0;
}
