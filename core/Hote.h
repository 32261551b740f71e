// Host interface: everything the emulated machine asks of the window system
// while an instruction runs. The Qt front end implements it with real widgets
// and timers; tests and the command-line tool use the virtual clock.
#pragma once

#include <cstdint>
#include <string>

enum TEtatCPU : uint8_t { CPURun = 0, CPUStop = 1, CPUHalt = 2 };

// One-shot timers of the main window.
enum TTimer : uint8_t {
    tmEcran = 0,     // Timer1: 40 ms trailing repaint of the screen
    tmClavier50 = 1, // 50 ms window of the keyboard handshake
    tmClavier1 = 2,  // 1 ms timer that queues 0x037F
    tmImpr = 3,      // Timer3: printer end-of-job time-out
    NbTimers = 4
};

// Private window messages (first user message number is 0x400).
constexpr uint32_t MsgLanceEmulation = 0x401;

struct THeureLocale {
    int Annee = 2000, Mois = 1, Jour = 1;
    int JourSemaine = 6; // 0 = dimanche … 6 = samedi
    int Heure = 0, Minute = 0, Seconde = 0, Milli = 0;
};

class IHote {
public:
    virtual ~IHote() = default;

    // Modal boxes: error icon + OK, and plain information.
    virtual void MessageErreur(const std::string& texte) = 0;
    virtual void MessageInfo(const std::string& texte) = 0;

    // Render the screen from the machine record and show it at once.
    virtual void Repeint() = 0;

    // One-shot timers; on expiry the host calls TMachine::TimerExpire, but
    // only between two instructions (from its message pump).
    virtual void DemarreTimer(TTimer t, uint32_t ms) = 0;
    virtual void ArreteTimer(TTimer t) = 0;
    virtual bool TimerActif(TTimer t) const = 0;

    // Millisecond tick count, local date and time, sleep.
    virtual uint32_t TickCount() = 0;
    virtual THeureLocale HeureLocale() = 0;
    virtual void Dors(uint32_t ms) = 0;

    // Post a private message to the main window (0x401 starts the run loop).
    virtual void PosteMessage(uint32_t msg) = 0;

    // The "CPU" toolbar picture follows the run state.
    virtual void AfficheEtatCPU(TEtatCPU) {}
    // The debugger window is told of run-state changes (entry/exit of the
    // run loop, HLT).
    virtual void EtatDuCPU(TEtatCPU) {}
    // The "Maj / Min" toolbar button is released by a reset.
    virtual void RelacheMajMin() {}
    // Install or remove the application-wide keyboard hook.
    virtual void CaptureClavier(bool) {}

    // Run loop support. TrancheMax: how many instructions may run before the
    // host must be given control again (the virtual clock uses it to fire its
    // timers at the exact instruction). ApresTranche: n instructions have run;
    // the host advances its clock and pumps its messages when it is time.
    virtual uint32_t TrancheMax() { return 256; }
    virtual void ApresTranche(uint32_t /*n*/) {}

    // Printer side, until the printer layer exists: a strobed character, and
    // the end of an open print job (reset).
    virtual void CaractereImprimante(uint8_t) {}
    virtual void FinTravailImpression() {}
};
