// The debugger's following of the execution: the journal the interpreter
// fills while TMachine::Suivi is set, and the tools it is handed to — the
// history and "who wrote this" (on while the debugger has a user: the CPU
// window or a console), the profiler and the coverage (on when asked), the
// trace (while a file is open). With none of them on, Suivi is unset and
// the interpreter runs its usual paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "debugger/Couverture.h"
#include "debugger/Ecrivains.h"
#include "debugger/Historique.h"
#include "debugger/Profileur.h"
#include "debugger/Trace.h"

class TSuiviDebogueur : private ILecteurPas {
public:
    TSuiviDebogueur(TMachine& m, const TListeSymboles& symboles);
    ~TSuiviDebogueur() override;
    TSuiviDebogueur(const TSuiviDebogueur&) = delete;
    TSuiviDebogueur& operator=(const TSuiviDebogueur&) = delete;

    // A user of the debugger comes or goes.
    void AjouteClient();
    void RetireClient();
    int Clients() const { return FClients; }

    void ActiveProfil(bool actif);
    void ActiveCouverture(bool actif);
    // A new trace replaces the one under way (which is closed first).
    bool CommenceTrace(const std::string& chemin, const TReglageTrace& reglage, std::string& erreur);
    // Closes it; false with the French reason (the target then is untouched).
    bool ArreteTrace(std::string& erreur);
    const TTrace* Trace() const { return FTrace.get(); }
    // The symbols changed: the trace lists again.
    void SymbolesChanges();

    const THistorique& Historique() const { return FHistorique; }
    // The history's entry `k` back, with the bytes of its listing.
    TPasExecute PasHistorique(uint32_t k) const;
    const TProfileur& Profileur() const { return FProfileur; }
    TProfileur& Profileur() { return FProfileur; }
    const TCouverture& Couverture() const { return FCouverture; }
    TCouverture& Couverture() { return FCouverture; }
    const TEcrivains& Ecrivains() const { return FEcrivains; }

private:
    static constexpr uint32_t TailleJournal = 4096;
    TMachine& M;
    const TListeSymboles& FSymboles;
    THistorique FHistorique;
    TProfileur FProfileur;
    TCouverture FCouverture;
    TEcrivains FEcrivains;
    std::unique_ptr<TTrace> FTrace;
    std::vector<TPasExecute> FJournal;
    TSuiviExecution FSuivi;
    int FClients = 0;

    void Recoit(const TPasExecute* pas, uint32_t n, uint64_t dernier) override;
    void CompleteOctets(TPasExecute& p) const;
    // Machine's Suivi and the access tables after a change of the tools.
    void MajMachine();
};
