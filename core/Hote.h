// What the emulated machine asks of the world around it, split by concern:
//  - IHote: platform services of the window system (boxes, the Yes/No
//    question, repaint, one-shot timers, clock, sleep, posted messages, the
//    keyboard hook and the run loop's pacing);
//  - IObservateurCPU: who follows the run state (the "CPU" toolbar picture,
//    the debugger's EtatDuCPU);
//  - IPortImprimante: who receives the bytes strobed on the printer port.
// The print surface the printer composes on is declared in
// devices/SurfaceImpression.h.
#pragma once

#include <cstdint>
#include <string>

#include "core/RapportArret.h"

enum TEtatCPU : uint8_t { CPURun = 0, CPUStop = 1, CPUHalt = 2 };

// One-shot timers of the main window.
enum TTimer : uint8_t {
    tmEcran = 0,     // Timer1: 40 ms trailing repaint of the screen
    tmClavier50 = 1, // 50 ms window of the keyboard handshake
    tmClavier1 = 2,  // 1 ms timer that queues 0x037F
    tmImpr = 3,      // Timer3: printer end-of-job time-out
    tmPas = 4,       // the CPU window's step repeat (500 ms, then 50 ms)
    NbTimers = 5
};

// Windows that receive posted messages. The main window is 0; the others
// (debugger windows, opened in any number) get their numbers from the
// message dispatcher when they subscribe.
using TIdFenetre = uint32_t;
constexpr TIdFenetre FenPrincipale = 0;

// Private window messages (first user message number is 0x400).
constexpr uint32_t MsgLanceEmulation = 0x401;

// A posted message: its number, its recipient and two parameters, as a
// window message carries them.
struct TMessage {
    uint32_t Numero = 0;
    TIdFenetre Fenetre = FenPrincipale;
    int64_t Param1 = 0;
    int64_t Param2 = 0;
    bool operator==(const TMessage&) const = default;
};

struct THeureLocale {
    int Annee = 2000, Mois = 1, Jour = 1;
    int JourSemaine = 6; // 0 = dimanche … 6 = samedi
    int Heure = 0, Minute = 0, Seconde = 0, Milli = 0;
    bool operator==(const THeureLocale&) const = default;
};

class IHote {
public:
    virtual ~IHote() = default;

    // Modal boxes: error icon + OK, and plain information.
    virtual void MessageErreur(const std::string& texte) = 0;
    virtual void MessageInfo(const std::string& texte) = 0;
    // A confirmation with the buttons Yes and No; true for Yes.
    virtual bool Question(const std::string& texte) = 0;
    // A line for the window's status area, no box (a print job sent to a
    // file, a screenshot saved). Nothing where there is no such area.
    virtual void MessageStatut(const std::string& /*texte*/) {}

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

    // Queue a message; it is handled at the host's next message pump, between
    // two instructions, never inside the call.
    virtual void PosteMessage(const TMessage& message) = 0;
    void PosteMessage(uint32_t numero) { PosteMessage(TMessage{numero}); }

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
    // One instruction ran outside the run loop (a debugger step): the host
    // reckons the machine's time and fires what fell due, as after a slice,
    // without pumping its messages.
    virtual void ApresPas() {}
};

class IObservateurCPU {
public:
    virtual ~IObservateurCPU() = default;
    // Every ChangeEtatCPU: the "CPU" toolbar button shows the state.
    virtual void AfficheEtatCPU(TEtatCPU) {}
    // Entry to and exit from the run loop, and HLT (the debugger window).
    virtual void EtatDuCPU(TEtatCPU) {}
    // A run of the loop has ended, after the exit's EtatDuCPU: why and where
    // (the status bar, the CPU window, the console hear the same report).
    virtual void Arret(const TRapportArret&) {}
};

class IPortImprimante {
public:
    virtual ~IPortImprimante() = default;
    // Bit 1 of port 0xCF rose: print the latched character CarImpr.
    virtual void ImprimeCaractere() = 0;
    // The open job ends: a reset, the machine's initialisation, or Timer3
    // (no character for TimeOutImpr seconds).
    virtual void FinTravail() = 0;
};
