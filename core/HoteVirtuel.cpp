#include "core/HoteVirtuel.h"

#include <chrono>
#include <thread>

#include "core/Machine.h"
#include "core/Processeur.h"

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

void THoteVirtuel::DemarreTimer(TTimer t, uint32_t ms) {
    Actif[t] = true;
    Echeance[t] = MaintenantUs + uint64_t(ms) * 1000;
}

void THoteVirtuel::ArreteTimer(TTimer t) { Actif[t] = false; }

bool THoteVirtuel::TimerActif(TTimer t) const { return Actif[t]; }

void THoteVirtuel::Dors(uint32_t ms) {
    DormiMs += ms;
    MaintenantUs += uint64_t(ms) * 1000; // a sleep does not pump messages
}

THeureLocale THoteVirtuel::HeureLocale() {
    using namespace std::chrono;
    const sys_days jour0 = year_month_day{year(Origine.Annee), month(unsigned(Origine.Mois)), day(unsigned(Origine.Jour))};
    const uint64_t ms0 = ((uint64_t(Origine.Heure) * 60 + uint64_t(Origine.Minute)) * 60 + uint64_t(Origine.Seconde)) * 1000 +
                         uint64_t(Origine.Milli);
    const uint64_t ms = ms0 + MaintenantUs / 1000;
    const sys_days jour = jour0 + days(int64_t(ms / 86400000));
    const year_month_day ymd{jour};
    THeureLocale h;
    h.Annee = int(ymd.year());
    h.Mois = int(unsigned(ymd.month()));
    h.Jour = int(unsigned(ymd.day()));
    h.JourSemaine = int(weekday{jour}.c_encoding());
    const uint64_t dansJour = ms % 86400000;
    h.Heure = int(dansJour / 3600000);
    h.Minute = int(dansJour / 60000 % 60);
    h.Seconde = int(dansJour / 1000 % 60);
    h.Milli = int(dansJour % 1000);
    return h;
}

bool THoteVirtuel::Question(const std::string& t) {
    Questions.push_back(t);
    if (SurMessage) SurMessage(t);
    return FReponse < Reponses.size() ? Reponses[FReponse++] : ReponseParDefaut;
}

void THoteVirtuel::PosteMessage(const TMessage& msg) {
    Messages.push_back(msg);
    FFile.Poste(msg);
}

std::vector<uint32_t> THoteVirtuel::NumerosPostes() const {
    std::vector<uint32_t> n;
    for (const TMessage& m : Messages) n.push_back(m.Numero);
    return n;
}

void THoteVirtuel::Pompe() {
    ++NbPompes;
    DeclencheTimers();
    if (Distributeur) FFile.Pompe(*Distributeur);
}

void THoteVirtuel::DeclencheTimers() {
    for (;;) {
        int prochain = -1;
        for (int t = 0; t < NbTimers; ++t)
            if (Actif[t] && Echeance[t] <= MaintenantUs && (prochain < 0 || Echeance[t] < Echeance[prochain])) prochain = t;
        if (prochain < 0) return;
        Actif[prochain] = false;
        if (Machine) Machine->TimerExpire(TTimer(prochain));
    }
}

void THoteVirtuel::Avance(uint64_t us) {
    const uint64_t fin = MaintenantUs + us;
    for (;;) {
        uint64_t prochaine = fin;
        for (int t = 0; t < NbTimers; ++t)
            if (Actif[t] && Echeance[t] < prochaine) prochaine = Echeance[t];
        if (prochaine > MaintenantUs) MaintenantUs = prochaine;
        DeclencheTimers();
        if (MaintenantUs >= fin) break;
    }
    if (Distributeur) FFile.Pompe(*Distributeur);
}

// Slices end exactly at the instruction where the next timer falls due. On
// T-states, a slice counts no more instructions than the longest could fill.
uint32_t THoteVirtuel::TrancheMax() {
    uint64_t max = 4096;
    if (NsParInstruction && *NsParInstruction == 0) return uint32_t(max);
    for (int t = 0; t < NbTimers; ++t) {
        if (!Actif[t]) continue;
        const uint64_t restantUs = Echeance[t] > MaintenantUs ? Echeance[t] - MaintenantUs : 0;
        uint64_t n = 0;
        if (NsParInstruction) {
            n = (restantUs * 1000 + *NsParInstruction - 1) / *NsParInstruction;
        } else {
            const uint64_t besoin = restantUs * HorlogeKHz; // in T-states × 1000
            const uint64_t cycles = besoin > ResteCycles ? (besoin - ResteCycles + 999) / 1000 : 0;
            n = cycles / EtatsMaxParInstruction;
        }
        if (n < max) max = n;
    }
    return uint32_t(max < 1 ? 1 : max);
}

void THoteVirtuel::ApresTranche(uint32_t n) {
    const uint64_t cycles = Machine ? Machine->NbCycles : 0;
    const uint64_t nouveaux = cycles >= CyclesVus ? cycles - CyclesVus : 0;
    CyclesVus = cycles;
    if (NsParInstruction) {
        const uint64_t ns = ResteNs + uint64_t(n) * *NsParInstruction;
        MaintenantUs += ns / 1000;
        ResteNs = ns % 1000;
    } else if (HorlogeKHz > 0) {
        const uint64_t x = ResteCycles + nouveaux * 1000;
        MaintenantUs += x / HorlogeKHz;
        ResteCycles = x % HorlogeKHz;
    }
    if (VitesseReelle) {
        using namespace std::chrono;
        const int64_t maintenant = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
        const int64_t attente = Cadence.Attente(cycles, maintenant);
        if (attente > 0) std::this_thread::sleep_for(nanoseconds(attente));
    }
    Pompe();
}
