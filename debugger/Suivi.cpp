#include "debugger/Suivi.h"

#include <array>

TSuiviDebogueur::TSuiviDebogueur(TMachine& m, const TListeSymboles& symboles)
    : M(m), FSymboles(symboles), FJournal(TailleJournal) {
    FSuivi.Journal = FJournal.data();
    FSuivi.Taille = TailleJournal;
    FSuivi.Lecteur = this;
}

// A trace still open when the session ends (a script without trace arret)
// is written all the same.
TSuiviDebogueur::~TSuiviDebogueur() {
    if (FTrace) {
        std::string erreur;
        ArreteTrace(erreur);
    }
    if (M.Suivi == &FSuivi) M.Suivi = nullptr;
}

void TSuiviDebogueur::MajMachine() {
    // The journal is handed over at the end of every slice; whatever is
    // left goes to the tools as they were.
    if (FSuivi.Nombre > 0) Recoit(FSuivi.Journal, FSuivi.Nombre, M.NbInstructions);
    FSuivi.Nombre = 0;
    FSuivi.Acces = FCouverture.Actif() ? FCouverture.TableAcces() : nullptr;
    FSuivi.Ecritures = FEcrivains.Actif() ? FEcrivains.Table() : nullptr;
    const bool utile = FHistorique.Actif() || FProfileur.Actif() || FCouverture.Actif() || FTrace;
    M.Suivi = utile ? &FSuivi : nullptr;
}

void TSuiviDebogueur::AjouteClient() {
    if (FClients++ == 0) {
        FHistorique.Active(true);
        FEcrivains.Active(true);
    }
    MajMachine();
}

void TSuiviDebogueur::RetireClient() {
    if (FClients > 0 && --FClients == 0) {
        FHistorique.Active(false);
        FEcrivains.Active(false);
    }
    MajMachine();
}

void TSuiviDebogueur::ActiveProfil(bool actif) {
    if (actif != FProfileur.Actif()) FProfileur.Active(actif);
    MajMachine();
}

void TSuiviDebogueur::ActiveCouverture(bool actif) {
    FCouverture.Active(actif);
    MajMachine();
}

bool TSuiviDebogueur::CommenceTrace(const std::string& chemin, const TReglageTrace& reglage, std::string& erreur) {
    auto trace = std::make_unique<TTrace>(FSymboles, reglage);
    if (!trace->Ouvre(chemin, erreur)) return false;
    if (FTrace) {
        std::string ignoree;
        ArreteTrace(ignoree);
    }
    FTrace = std::move(trace);
    MajMachine();
    return true;
}

bool TSuiviDebogueur::ArreteTrace(std::string& erreur) {
    if (!FTrace) return false;
    MajMachine(); // what the journal holds goes into it first
    const bool ok = FTrace->Ferme(erreur);
    FTrace.reset();
    MajMachine();
    return ok;
}

void TSuiviDebogueur::SymbolesChanges() {
    if (FTrace) FTrace->OublieSymboles();
}

// A conditional jump or call whose condition was not met ran without
// reading its address: the listing's bytes come from memory (when the
// trace lists it, or when the history is shown).
namespace {

// The T-states of Jcc and Ccc when the condition fails; 0 for the others.
constexpr std::array<uint8_t, 256> EtatsSansSaut = [] {
    std::array<uint8_t, 256> t{};
    for (int op = 0xC0; op < 0x100; ++op) {
        if ((op & 0xC7) == 0xC2) t[size_t(op)] = 7;
        if ((op & 0xC7) == 0xC4) t[size_t(op)] = 9;
    }
    return t;
}();

} // namespace

void TSuiviDebogueur::CompleteOctets(TPasExecute& p) const {
    if (p.Etats != EtatsSansSaut[p.Octets[0]]) [[likely]] return;
    p.Octets[1] = M.ReadMem(uint16_t(p.Adresse + 1), p.Banque);
    p.Octets[2] = M.ReadMem(uint16_t(p.Adresse + 2), p.Banque);
}

TPasExecute TSuiviDebogueur::PasHistorique(uint32_t k) const {
    TPasExecute p = FHistorique.Recent(k);
    CompleteOctets(p);
    return p;
}

void TSuiviDebogueur::Recoit(const TPasExecute* pas, uint32_t n, uint64_t dernier) {
    // The trace lists now; the history, when it is shown.
    if (FTrace && pas == FJournal.data())
        for (uint32_t i = 0; i < n; ++i) CompleteOctets(FJournal[i]);
    FHistorique.Recoit(pas, n, dernier);
    FProfileur.Recoit(pas, n);
    FCouverture.Recoit(pas, n);
    if (FTrace) FTrace->Recoit(pas, n);
}
