#include "core/HorlogeMachine.h"

#include <chrono>

#include "core/Machine.h"
#include "core/Processeur.h"

void THorlogeMachine::Synchronise(const TMachine* m, uint32_t instructions) {
    uint64_t cycles = FCyclesVus, faites = FInstructionsVues + instructions;
    if (m) {
        cycles = m->NbCycles;
        faites = m->NbInstructions + m->FaitesTranche;
    }
    // A machine count that went back (a new machine record) starts again.
    const uint64_t nouveauxCycles = cycles >= FCyclesVus ? cycles - FCyclesVus : 0;
    const uint64_t nouvelles = faites >= FInstructionsVues ? faites - FInstructionsVues : 0;
    FCyclesVus = cycles;
    FInstructionsVues = faites;
    if (NsParInstruction) {
        const uint64_t ns = FResteNs + nouvelles * *NsParInstruction;
        MaintenantUs += ns / 1000;
        FResteNs = ns % 1000;
    } else if (HorlogeKHz > 0) {
        const uint64_t x = FResteCycles + nouveauxCycles * 1000;
        MaintenantUs += x / HorlogeKHz;
        FResteCycles = x % HorlogeKHz;
    }
}

void THorlogeMachine::DemarreMinuterie(TTimer t, uint32_t ms) {
    FActif[t] = true;
    FEcheance[t] = MaintenantUs + uint64_t(ms) * 1000;
}

uint32_t THorlogeMachine::Marge(uint32_t max) const {
    uint64_t marge = max;
    if (NsParInstruction && *NsParInstruction == 0) return max;
    for (int t = 0; t < NbTimers; ++t) {
        if (!FActif[t]) continue;
        const uint64_t restantUs = FEcheance[t] > MaintenantUs ? FEcheance[t] - MaintenantUs : 0;
        uint64_t n = 0;
        if (NsParInstruction) {
            const uint64_t ns = restantUs * 1000;
            n = ns > FResteNs ? (ns - FResteNs + *NsParInstruction - 1) / *NsParInstruction : 0;
        } else {
            const uint64_t besoin = restantUs * HorlogeKHz; // in T-states × 1000
            const uint64_t cycles = besoin > FResteCycles ? (besoin - FResteCycles + 999) / 1000 : 0;
            n = cycles / EtatsMaxParInstruction;
        }
        if (n < marge) marge = n;
    }
    return uint32_t(marge < 1 ? 1 : marge);
}

void THorlogeMachine::Declenche(TMachine* m) {
    for (;;) {
        int prochain = -1;
        for (int t = 0; t < NbTimers; ++t)
            if (FActif[t] && FEcheance[t] <= MaintenantUs &&
                (prochain < 0 || FEcheance[t] < FEcheance[size_t(prochain)]))
                prochain = t;
        if (prochain < 0) return;
        FActif[size_t(prochain)] = false;
        if (m) m->TimerExpire(TTimer(prochain));
    }
}

void THorlogeMachine::Ajoute(uint64_t us) { MaintenantUs += us; }

void THorlogeMachine::Avance(uint64_t us, TMachine* m) {
    const uint64_t fin = MaintenantUs + us;
    for (;;) {
        uint64_t prochaine = fin;
        for (int t = 0; t < NbTimers; ++t)
            if (FActif[t] && FEcheance[t] < prochaine) prochaine = FEcheance[t];
        if (prochaine > MaintenantUs) MaintenantUs = prochaine;
        Declenche(m);
        if (MaintenantUs >= fin) break;
    }
}

TEtatHorloge THorlogeMachine::Etat() const {
    return {MaintenantUs, FEcheance, FActif, FResteNs, FResteCycles, FCyclesVus, FInstructionsVues};
}

void THorlogeMachine::Restaure(const TEtatHorloge& e) {
    MaintenantUs = e.MaintenantUs;
    FEcheance = e.Echeance;
    FActif = e.Actif;
    FResteNs = e.ResteNs;
    FResteCycles = e.ResteCycles;
    FCyclesVus = e.CyclesVus;
    FInstructionsVues = e.InstructionsVues;
}

THeureLocale THorlogeMachine::HeureLocale() const {
    using namespace std::chrono;
    const sys_days jour0 = year_month_day{year(Origine.Annee), month(unsigned(Origine.Mois)), day(unsigned(Origine.Jour))};
    const int64_t ms0 = ((int64_t(Origine.Heure) * 60 + Origine.Minute) * 60 + Origine.Seconde) * 1000 + Origine.Milli;
    // Before the origin (a state of earlier time loaded) the clock goes back as far.
    const int64_t ms = ms0 + (int64_t(MaintenantUs / 1000) - int64_t(OrigineUs / 1000));
    constexpr int64_t MsParJour = 86'400'000;
    const int64_t jours = ms >= 0 ? ms / MsParJour : -((-ms + MsParJour - 1) / MsParJour);
    const sys_days jour = jour0 + days(jours);
    const year_month_day ymd{jour};
    THeureLocale h;
    h.Annee = int(ymd.year());
    h.Mois = int(unsigned(ymd.month()));
    h.Jour = int(unsigned(ymd.day()));
    h.JourSemaine = int(weekday{jour}.c_encoding());
    const int64_t dansJour = ms - jours * MsParJour;
    h.Heure = int(dansJour / 3600000);
    h.Minute = int(dansJour / 60000 % 60);
    h.Seconde = int(dansJour / 1000 % 60);
    h.Milli = int(dansJour % 1000);
    return h;
}
