// What the debugger adds to the breakpoint table (whose bits 2-7 stay 0):
// a condition on a breakpoint, and watchpoints on memory accesses. The
// object is the machine's probe while it lives (TMachine::Sonde); the
// interpreter only takes its probe path while a watchpoint is set.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "debugger/Symboles.h"

// Which accesses a watchpoint catches.
enum TAccesSurv : uint8_t { asLecture = 1, asEcriture = 2, asLes2 = 3 };

// Where: the addresses the processor uses whatever bank the PROM picks
// ("cpu"), or only its accesses to bank 0 ("logiciel") or bank 1 ("data").
enum class TVueSurv : uint8_t { CPU, Logiciel, Data };

struct TPointSurv {
    uint16_t Debut = 0, Fin = 0;
    uint8_t Acces = asLes2;
    TVueSurv Vue = TVueSurv::CPU;
    bool operator==(const TPointSurv&) const = default;
};

// The access that stopped the processor.
struct TDeclenchement {
    bool Ecriture = false;
    uint16_t Adresse = 0;
    uint8_t Banque = 0;
    uint8_t Avant = 0, Apres = 0; // a read: both the value read
    uint16_t PC = 0;              // the instruction that made it
    // A step out's end: the return at PC went back to Adresse.
    bool Sortie = false;
};

// "l", "e", "le" ; "cpu", "logiciel", "data".
const char* TexteAcces(uint8_t acces);
const char* TexteVue(TVueSurv vue);
// "2000H-20FFH le cpu" (one address: "2000H le cpu").
std::string TexteSurveillance(const TPointSurv& p);
// "écriture de 2000H (12H → 34H) par 0105H", "lecture de 2000H par 0105H".
std::string TexteDeclenchement(const TDeclenchement& d);

class TSondesDebogueur : public ISondeMachine {
public:
    TSondesDebogueur(TMachine& m, const TListeSymboles& symboles);
    ~TSondesDebogueur() override;
    TSondesDebogueur(const TSondesDebogueur&) = delete;
    TSondesDebogueur& operator=(const TSondesDebogueur&) = delete;

    // --- Conditions -------------------------------------------------------
    // Checks the expression (registers A B C D E H L BC DE HL SP PC, flags
    // S Z AC P CY, symbols, numbers as in the assembler, [ADR] the byte seen
    // by the processor, comparisons, AND OR NOT…): the French message of
    // its fault, or nothing when it is sound.
    std::optional<std::string> VerifieCondition(const std::string& texte) const;
    // Sets (or replaces) the condition of the breakpoint at `adresse`; an
    // empty text removes it. The message of a refused condition.
    std::optional<std::string> PoseCondition(uint16_t adresse, const std::string& texte);
    // "" when the breakpoint has none.
    std::string Condition(uint16_t adresse) const;
    // Its value now; a condition that cannot be evaluated any more (a symbol
    // removed, a division by zero) counts as true, so the processor stops.
    bool ConditionVraie(const std::string& texte) const;
    // Conditions whose breakpoint is gone are forgotten.
    void OublieSansPtArret();
    const std::map<uint16_t, std::string>& Conditions() const { return FConditions; }

    // --- Watchpoints ------------------------------------------------------
    // False when the same one is already there.
    bool AjouteSurveillance(const TPointSurv& p);
    // Those starting at `debut`; the number removed.
    int RetireSurveillance(uint16_t debut);
    // The one at `index` of the list; false when there is none.
    bool RetireSurveillanceNo(size_t index);
    void EffaceSurveillances();
    const std::vector<TPointSurv>& Surveillances() const { return FSurveillances; }
    // The access of the last watchpoint stop of this run.
    const std::optional<TDeclenchement>& Declenchement() const { return FDeclenchement; }
    // A run starts: the next hit is recorded.
    void Rearme() { FDeclenchement.reset(); }

    // --- Step out -----------------------------------------------------------
    // Until the next stop, a return instruction that reads its address at
    // `sp` or above stops the processor after it (the caller's frame is
    // left); the returns of routines called meanwhile read below it.
    void ArmeSortie(uint16_t sp);
    void DesarmeSortie();
    bool SortieArmee() const { return FSortie.has_value(); }

    // --- ISondeMachine ----------------------------------------------------
    bool ArretPermis(uint16_t adresse) override;
    bool Lecture(uint16_t adresse, uint8_t banque, uint8_t valeur, uint16_t pc) override;
    bool Ecriture(uint16_t adresse, uint8_t banque, uint8_t avant, uint8_t apres, uint16_t pc) override;

private:
    TMachine& M;
    const TListeSymboles& FSymboles;
    std::map<uint16_t, std::string> FConditions;
    std::vector<TPointSurv> FSurveillances;
    std::optional<TDeclenchement> FDeclenchement;
    std::optional<uint16_t> FSortie;

    bool Surveille(uint16_t adresse, uint8_t banque, uint8_t acces) const;
    bool Touche(const TDeclenchement& d);
    bool FinDeSortie(uint16_t adresse, uint8_t banque, uint16_t pc);
    void MajChemin() { M.SondeMemoire = !FSurveillances.empty() || FSortie; }
};
