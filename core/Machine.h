// The emulated Zorvex machine: the state records of its components (see
// core/EtatsMachine.h) put together, with what runs them — the links to the
// host, the run loop's and the debugger's controls, the fonts and the
// rendered screen. One instance, owned by the workstation; the core, device
// and disk code reads and writes the records directly.
#pragma once

#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/EtatsMachine.h"
#include "core/Hote.h"
#include "core/Journal.h"
#include "core/RapportArret.h"
#include "core/Sonde.h"

using TFonte80 = std::array<std::array<uint16_t, 24>, 128>;
using TFonte128 = std::array<std::array<uint16_t, 24>, 128>;
using PFonte80 = const TFonte80*;
using PFonte128 = const TFonte128*;
using TTblPtArret = std::array<uint8_t, 0x10000>;

// A colour as stored in the 24-bit bitmap: blue, green, red.
struct TRGB {
    uint8_t B = 0, G = 0, R = 0;
    bool operator==(const TRGB&) const = default;
};

constexpr int LargeurEcran = 1024;
constexpr int HauteurEcran = 576;

// Who types into the machine from outside (the keys of a command line, a
// pasted text): asked to fill the keyboard queue at the instants the machine's
// own software makes room in it or announces it is ready, never at a point
// that depends on how the run is cut into slices.
class ISourceTouches {
public:
    virtual ~ISourceTouches() = default;
    virtual void Alimente(struct TMachine& m) = 0;
};

struct TMachine : TEtatProcesseur, TEtatMemoire, TImagesRom, TEtatEcran, TEtatClavier,
                  TEtatImprimante, TEtatControleurDsq, TEtatArith, TEtatDisqueDur, TEtatPorts {
    TMachine();
    TMachine(const TMachine&) = delete;
    TMachine& operator=(const TMachine&) = delete;

    IHote* Hote = nullptr;
    struct TLecteurs* Lecteurs = nullptr;        // drive table (owned by the workstation)
    IPortImprimante* Imprimante = nullptr;       // receiver of the printer port
    std::vector<IObservateurCPU*> Observateurs;  // run-state followers, in order

    std::vector<std::string> Machines; // names of the models, from the settings

    // --- Run control --------------------------------------------------------
    bool FinEmul = false;
    bool BoucleActive = false;          // the run loop is running (never re-entered)
    bool RelanceEnAttente = false;      // a run message came while the loop ran
    int32_t DebutCourse = -1;           // breakpoint skipped once at the start of a run; -1 none
    TCauseArret CauseDrapeau = TCauseArret::Budget; // set when a breakpoint flag stopped the slice
    // A stop asked from outside the loop (the debugger console's Ctrl+C),
    // read before each slice: non-zero stops the processor as a pause does.
    const volatile std::sig_atomic_t* DemandeArret = nullptr;
    TTblPtArret TblPtArret{};           // bit 0 breakpoint, bit 1 temporary stop
    // The debugger's probes: asked at each permanent breakpoint reached and,
    // while SondeMemoire is set, for every data access (the interpreter then
    // takes its probe path, chosen once per slice).
    ISondeMachine* Sonde = nullptr;
    bool SondeMemoire = false;
    // The session being recorded or replayed (core/Journal.h); and the
    // instruction count at which the slice under way must end, so that a
    // replayed event finds the machine exactly there.
    IJournal* Journal = nullptr;
    uint64_t RendezVous = UINT64_MAX;
    // The debugger's trace, history, profiler and coverage: while set, every
    // instruction and data access is recorded there (core/Sonde.h).
    TSuiviExecution* Suivi = nullptr;

    // --- Display ------------------------------------------------------------
    // Colours of the picture, from the settings (see ChoisitCouleurs).
    int32_t IndCoulTxt = 0;
    int32_t IndCoulGrph = 0;
    uint8_t PlansGraph = 4;
    TRGB CouleurTexte{};
    TRGB CouleurFond{};
    std::array<TRGB, 16> CoulGraph{};
    TFonte80 Fonte80{}, Fonte80APL{};
    TFonte128 Fonte128{}, Fonte128APL{};
    std::vector<uint8_t> ImageGenCar; // the character generator they were built from (a session keeps it)
    PFonte80 PtrFonte80 = &Fonte80;
    PFonte128 PtrFonte128 = &Fonte128;
    std::vector<uint8_t> BmpEcran;                 // 1024 × 576 × 3 (B, G, R)
    std::array<uint8_t*, HauteurEcran> PtrScanLines{};

    // --- Keyboard -----------------------------------------------------------
    bool CaptureClav = false;
    bool TBKbdDown = false;             // "Maj / Min" toolbar button

    // --- Printer ------------------------------------------------------------
    int32_t TimeOutImpr = -1, PointsImpr = 9; // settings: -1 = jobs ended by hand
    int32_t TaillePoliceImpr = 11;      // printer font size; PointsImpr from the first job on
    bool ImprNoPage = false, ImprEnTete = false, ImprHexadec = false;
    std::string EnTeteImpr;

    // --- Memory access (memory map) -----------------------------------------
    uint8_t ReadMem(uint16_t a, uint8_t b) const {
        // RAM: from 0x2000 up, or everywhere when the switch maps out the
        // ROM and video overlays (MaxAdrRam is never below 0x2FFF).
        if (a >= 0x2000 || (SelMem & 0x80)) [[likely]]
            return a > MaxAdrRam ? 0xFF : ZorvMem[(uint32_t(b) << 16) | a];
        return ReadMemBas(a, b);
    }
    void WriteMem(uint16_t a, uint8_t b, uint8_t d) {
        if (a >= 0x2000 || (SelMem & 0x80)) [[likely]] {
            if (a <= MaxAdrRam) ZorvMem[(uint32_t(b) << 16) | a] = d;
            return;
        }
        WriteMemBas(a, b, d);
    }
    uint8_t ReadBank(uint16_t a, uint8_t b) const { return ZorvMem[(uint32_t(b & 1) << 16) | a]; }
    void WriteBank(uint16_t a, uint8_t b, uint8_t d) { ZorvMem[(uint32_t(b & 1) << 16) | a] = d; }
    void RafraichitEcran();

    // --- Models -------------------------------------------------------------
    static uint16_t MaxAdrRamModele(int32_t machine);
    void ChoisitModele(int32_t machine); // Machine and MaxAdrRam

    // --- Processor ----------------------------------------------------------
    void ExecuteInstruction();

    // --- Port map (IN / OUT) ------------------------------------------------
    uint8_t PortIn(uint8_t port, uint8_t a);
    void PortOut(uint8_t port, uint8_t a);

    // --- Run control --------------------------------------------------------
    void ChangeEtatCPU(TEtatCPU etat);
    // EtatDuCPU of every observer (entry/exit of the run loop, HLT).
    void SignaleEtatDuCPU(TEtatCPU etat);
    // Seeds the power-on registers: the window from the host's entropy, tests
    // and `zorv run --seed` with a number of their own.
    void Germe(uint32_t graine) { Aleatoire.seed(graine); }
    void InitMachine();
    void TBRazClick();
    void TBIntClick() {
        if (Journal) Journal->Int(*this);
        DemandeInt = true;
        if (Journal) Journal->ApresEvenement(*this);
    }
    // A run starts at RegPC: a permanent breakpoint there is skipped once, so
    // that running again continues from a breakpoint. The skip belongs to the
    // run, not to each Execute call of it.
    void CommenceCourse() { DebutCourse = RegPC; }
    // Runs instructions until the CPU leaves CPURun, FinEmul is set, or
    // `budget` instructions have run. Breakpoints and the interrupt are tested
    // around every instruction; the host gets control between slices.
    TRapportArret Execute(uint64_t budget);
    // The run loop itself: hook, state report, a new run. Without budget it
    // runs until a stop; a spent budget (the debugger console's) stops the
    // processor as a pause would, reported as Budget.
    TRapportArret BoucleEmulation(uint64_t budget = UINT64_MAX);
    // Handler of message 0x401: the loop, unless it already runs; a request
    // that comes while it runs is honoured when it returns.
    TRapportArret LanceEmulation(uint64_t budget = UINT64_MAX);
    // One instruction for the debugger's step commands: no breakpoint test,
    // no interrupt taken; counted in NbInstructions like the run loop.
    void ExecuteUnPas();
    // Inside a slice, as a port or a write seen from outside finds it: the
    // instructions of the slice already done (not yet in NbInstructions).
    uint32_t FaitesTranche = 0;
    // Set from outside an instruction under way (a timer started, a message
    // posted, a sleep): the slice ends after it, so that the host reckons
    // again before the next one. Every event then takes effect at the first
    // instruction boundary where the machine's time has reached it.
    bool FinTranche = false;

    // A one-shot timer of the main window has fired (called by the host).
    void TimerExpire(TTimer t);
    // The debugger's step-repeat timer (tmPas) goes here.
    std::function<void()> SurTimerPas;

    // --- Keyboard queue -----------------------------------------------------
    void AjouteTouche(uint16_t entree);
    // An entry pushed from outside the machine (a key, a paste, a command
    // line's keys): the session's journal sees it first.
    void ToucheDeHote(uint16_t entree) {
        if (!Journal) return AjouteTouche(entree);
        if (Journal->Touche(*this, entree)) AjouteTouche(entree);
        Journal->ApresEvenement(*this);
    }
    // The instruction count at which such an entry takes effect.
    uint64_t InstantHote() const { return InstantEvenement(NbInstructions, FaitesTranche, OffreEnInstruction); }
    void RetireTouche();
    uint8_t LitCaractereTouche() const;
    uint8_t LitAttributTouche() const;
    void VideClavier();
    ISourceTouches* SourceTouches = nullptr;
    // The queue has room or the software has said it is ready: the source
    // types what it can.
    // `dansInstruction`: asked by a port of the instruction under way.
    void OffreClavier(bool dansInstruction = false) {
        if (!SourceTouches) return;
        OffreEnInstruction = dansInstruction;
        SourceTouches->Alimente(*this);
        OffreEnInstruction = false;
    }
    bool OffreEnInstruction = false;

    // Hooks filled by the device layers (renderer, printer…).
    void ReinitAffichage();   // reset step 1

    // What follows from the records after they were put back from a saved
    // state: the fonts chosen by FonteSelect, the model's memory limit.
    void ApresRestauration();

private:
    uint8_t ReadMemBas(uint16_t a, uint8_t b) const;
    void WriteMemBas(uint16_t a, uint8_t b, uint8_t d);
    void InterruptionAcceptee();
    void ReinitPeripheriques(bool raz);
};

// A change the host makes to the machine's records, from construction to
// destruction, seen whole by the session's journal (none: nothing to do).
class TModificationHote {
public:
    explicit TModificationHote(TMachine& m) : FM(m), FJournal(m.Journal) {
        if (FJournal) FJournal->AvantModification(FM);
    }
    ~TModificationHote() {
        if (FJournal) FJournal->ApresModification(FM);
    }
    TModificationHote(const TModificationHote&) = delete;
    TModificationHote& operator=(const TModificationHote&) = delete;

private:
    TMachine& FM;
    IJournal* FJournal;
};
