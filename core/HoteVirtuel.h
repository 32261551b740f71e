// A host on a virtual clock, for tests and the command-line tool: time moves
// by the T-states of the instructions at the clock frequency (or by a fixed
// amount per instruction, or when told), timers fire against that clock,
// boxes are recorded instead of shown.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Cadence.h"
#include "core/Hote.h"
#include "core/HorlogeMachine.h"
#include "core/Messages.h"

struct TMachine;

// The clock (MaintenantUs, HorlogeKHz, NsParInstruction) is the machine's
// own time: every timer, including the debugger's step repeat, runs on it.
class THoteVirtuel : public IHote, public THorlogeMachine {
public:
    explicit THoteVirtuel(TMachine* machine = nullptr) : Machine(machine) {}

    TMachine* Machine;
    // "Vitesse réelle": after each slice, sleep until the host's clock has
    // caught up with the machine's T-states at Cadence's frequency.
    bool VitesseReelle = false;
    TCadence Cadence;

    // What the machine asked for, for tests to look at.
    std::vector<std::string> Erreurs, Infos, Questions;
    std::vector<std::string> Statuts; // status-bar messages (kept like the boxes)
    std::vector<TMessage> Messages;   // every message posted, in order
    std::vector<bool> Reponses;       // answers to the next questions, in order
    bool ReponseParDefaut = false;    // then this one (No)
    TDistributeurMessages* Distributeur = nullptr; // where the pump delivers them
    int NbRepeints = 0;
    int NbPompes = 0;
    uint32_t DormiMs = 0;
    std::function<void(const std::string&)> SurMessage; // e.g. print to stderr
    bool ConserveBoites = true; // keep box texts in Erreurs/Infos (a long CLI run does not)
    std::function<void()> SurRepeint;                   // e.g. render the screen

    void MessageErreur(const std::string& t) override;
    void MessageInfo(const std::string& t) override;
    void Repeint() override;
    void MessageStatut(const std::string& t) override {
        if (ConserveBoites) Statuts.push_back(t);
    }
    void DemarreTimer(TTimer t, uint32_t ms) override;
    void ArreteTimer(TTimer t) override;
    bool TimerActif(TTimer t) const override;
    uint32_t TickCount() override;
    THeureLocale HeureLocale() override;
    void Dors(uint32_t ms) override;
    bool Question(const std::string& t) override;
    using IHote::PosteMessage;
    void PosteMessage(const TMessage& msg) override;
    // Numbers of the messages posted so far, for tests.
    std::vector<uint32_t> NumerosPostes() const;
    size_t MessagesEnAttente() const { return FFile.Taille(); }
    uint32_t TrancheMax() override;
    void ApresTranche(uint32_t n) override;
    void ApresPas() override;

    // Move the clock on by `us` microseconds, firing every timer that falls
    // due on the way, in order, then deliver the queued messages.
    void Avance(uint64_t us);
    // The message pump: fire the timers already due, then deliver the
    // messages queued so far.
    void Pompe();

private:
    TFileMessages FFile;
    size_t FReponse = 0;
    // Something the next instruction boundary must see: the slice under way
    // ends there.
    void FinDeTranche();
};
