#include "core/HoteVirtuel.h"

#include <chrono>
#include <thread>

#include "core/Machine.h"
#include "core/Processeur.h"

void THoteVirtuel::FinDeTranche() {
    if (Machine) Machine->FinTranche = true;
}

void THoteVirtuel::MessageErreur(const std::string& t) {
    if (ConserveBoites) Erreurs.push_back(t);
    if (SurMessage) SurMessage(t);
}

void THoteVirtuel::MessageInfo(const std::string& t) {
    if (ConserveBoites) Infos.push_back(t);
    if (SurMessage) SurMessage(t);
}

void THoteVirtuel::Repeint() {
    ++NbRepeints;
    if (SurRepeint) SurRepeint();
}

// Started inside an instruction: due from that instruction's own time, and
// the slice under way ends after it so that the next one stops in time.
void THoteVirtuel::DemarreTimer(TTimer t, uint32_t ms) {
    Synchronise(Machine);
    DemarreMinuterie(t, ms);
    FinDeTranche();
}

void THoteVirtuel::ArreteTimer(TTimer t) { ArreteMinuterie(t); }

bool THoteVirtuel::TimerActif(TTimer t) const { return MinuterieActive(t); }

uint32_t THoteVirtuel::TickCount() {
    Synchronise(Machine);
    return uint32_t(MaintenantUs / 1000);
}

void THoteVirtuel::Dors(uint32_t ms) {
    Synchronise(Machine);
    DormiMs += ms;
    Ajoute(uint64_t(ms) * 1000); // a sleep does not pump messages
    FinDeTranche();              // a timer may be due from the next boundary on
}

THeureLocale THoteVirtuel::HeureLocale() {
    Synchronise(Machine);
    return THorlogeMachine::HeureLocale();
}

bool THoteVirtuel::Question(const std::string& t) {
    Questions.push_back(t);
    if (SurMessage) SurMessage(t);
    return FReponse < Reponses.size() ? Reponses[FReponse++] : ReponseParDefaut;
}

void THoteVirtuel::PosteMessage(const TMessage& msg) {
    Messages.push_back(msg);
    FFile.Poste(msg);
    FinDeTranche(); // delivered at the next instruction boundary
}

std::vector<uint32_t> THoteVirtuel::NumerosPostes() const {
    std::vector<uint32_t> n;
    for (const TMessage& m : Messages) n.push_back(m.Numero);
    return n;
}

void THoteVirtuel::Pompe() {
    ++NbPompes;
    Synchronise(Machine);
    Declenche(Machine);
    if (Distributeur) FFile.Pompe(*Distributeur);
}

void THoteVirtuel::Avance(uint64_t us) {
    Synchronise(Machine);
    THorlogeMachine::Avance(us, Machine);
    if (Distributeur) FFile.Pompe(*Distributeur);
}

// Slices end exactly at the instruction where the next timer falls due.
uint32_t THoteVirtuel::TrancheMax() {
    Synchronise(Machine);
    return Marge(4096);
}

void THoteVirtuel::ApresTranche(uint32_t n) {
    Synchronise(Machine, n);
    if (VitesseReelle) {
        using namespace std::chrono;
        const int64_t maintenant = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
        const int64_t attente = Cadence.Attente(Machine ? Machine->NbCycles : 0, maintenant);
        if (attente > 0) std::this_thread::sleep_for(nanoseconds(attente));
    }
    Pompe();
}

void THoteVirtuel::ApresPas() {
    Synchronise(Machine);
    Declenche(Machine);
}
