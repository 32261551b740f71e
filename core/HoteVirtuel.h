// A host on a virtual clock, for tests and the command-line tool: time moves
// by a fixed amount per instruction (or when told), timers fire against that
// clock, boxes are recorded instead of shown.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/Hote.h"

struct TMachine;

class THoteVirtuel : public IHote {
public:
    explicit THoteVirtuel(TMachine* machine = nullptr) : Machine(machine) {}

    TMachine* Machine;
    uint64_t MaintenantUs = 0;        // virtual time since start, microseconds
    uint64_t NsParInstruction = 250;  // each instruction advances the clock
    THeureLocale Origine{2026, 12, 7, 1, 9, 0, 0, 0}; // local time at MaintenantUs = 0

    // What the machine asked for, for tests to look at.
    std::vector<std::string> Erreurs, Infos;
    std::vector<uint32_t> Messages;
    std::vector<uint8_t> Imprime;
    int NbRepeints = 0;
    int NbPompes = 0;
    uint32_t DormiMs = 0;
    std::function<void(const std::string&)> SurMessage; // e.g. print to stderr
    std::function<void()> SurRepeint;                   // e.g. render the screen

    void MessageErreur(const std::string& t) override;
    void MessageInfo(const std::string& t) override;
    void Repeint() override;
    void DemarreTimer(TTimer t, uint32_t ms) override;
    void ArreteTimer(TTimer t) override;
    bool TimerActif(TTimer t) const override;
    uint32_t TickCount() override { return uint32_t(MaintenantUs / 1000); }
    THeureLocale HeureLocale() override;
    void Dors(uint32_t ms) override;
    void PosteMessage(uint32_t msg) override { Messages.push_back(msg); }
    void CaractereImprimante(uint8_t c) override { Imprime.push_back(c); }
    uint32_t TrancheMax() override;
    void ApresTranche(uint32_t n) override;

    // Move the clock on by `us` microseconds, firing every timer that falls
    // due on the way, in order.
    void Avance(uint64_t us);
    // Fire the timers already due (the message pump).
    void Pompe();

private:
    std::array<uint64_t, NbTimers> Echeance{};
    std::array<bool, NbTimers> Actif{};
    uint64_t ResteNs = 0;
};
