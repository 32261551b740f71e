// The record of the emulated Zorvex machine: memories, registers and the
// state of every device. One instance, owned by the main window (or by the
// command-line tool); every component reads and writes these fields directly.
#pragma once

#include <array>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/Hote.h"
#include "core/Sonde.h"

using TZorvMem = std::array<uint8_t, 0x20000>;
using TRom = std::array<uint8_t, 0x1000>;
using TRamTv = std::array<uint8_t, 0x1000>;
using TGraphZorv = std::array<uint8_t, 0x10000>;
using TFonte80 = std::array<std::array<uint16_t, 24>, 128>;
using TFonte128 = std::array<std::array<uint16_t, 24>, 128>;
using PFonte80 = const TFonte80*;
using PFonte128 = const TFonte128*;
using TBufClav = std::array<uint16_t, 12>;
using TEnteteDsq = std::array<uint8_t, 7>;
using TMessDsq = std::array<uint8_t, 257>;
using TMsgCtrlZorv = std::array<uint8_t, 256>;
using TTblPtArret = std::array<uint8_t, 0x10000>;

// A colour as stored in the 24-bit bitmap: blue, green, red.
struct TRGB {
    uint8_t B = 0, G = 0, R = 0;
    bool operator==(const TRGB&) const = default;
};

// Floppy controller protocol states, in their documented order.
enum TEtatCtrlDsq : uint8_t {
    ecdAttente, ecdEmetBuf, ecdIgnore, ecdEntete, ecdMessage, ecdPreambEcr,
    ecdEnteteEcr, ecdEcritSect, ecdRecepSomEcr, ecdSommeData, ecdSommeStat,
    ecdSommeMsg, ecdZeroMsg, ecdZero, ecdEmetData, ecdEmetSomme
};

// Hard-disk controller phases.
enum EtatWinch : uint8_t { ewSelect, ewCommande, ewParams, ewTransfert, ewStatus };

// Why a run (TMachine::Execute) came back.
enum class TCauseArret : uint8_t {
    PointArret,        // CPUStop: permanent breakpoint (bit 0) at Adresse
    ArretTemporaire,   // CPUStop: temporary stop (bit 1) of run-to or step-over
    Pause,             // CPUStop: the state was changed from outside (debugger pause)
    Halte,             // CPUHalt: HLT executed at Adresse
    FinEmul,           // end of emulation requested
    Budget,            // the instruction budget is spent
    PointSurveillance, // CPUStop: a watchpoint or a condition of the debugger
    DejaEnCours        // the run loop was already running: the request is kept
};

// The one report of a run: why and where it stopped. For a stop on a flag
// the instruction at Adresse has not run; for HLT, Adresse is the HLT itself.
struct TRapportArret {
    TCauseArret Cause = TCauseArret::Budget;
    uint16_t Adresse = 0;
    uint64_t Instructions = 0; // executed by this call
};

constexpr int LargeurEcran = 1024;
constexpr int HauteurEcran = 576;
// The printer's graphics hardcopy line: 256 columns of 7 dots.
constexpr int LargeurGCopy = 256;
constexpr int HauteurGCopy = 7;

// Who types into the machine from outside (the keys of a command line, a
// pasted text): asked to fill the keyboard queue at the instants the machine's
// own software makes room in it or announces it is ready, never at a point
// that depends on how the run is cut into slices.
class ISourceTouches {
public:
    virtual ~ISourceTouches() = default;
    virtual void Alimente(struct TMachine& m) = 0;
};

struct TMachine {
    TMachine();
    TMachine(const TMachine&) = delete;
    TMachine& operator=(const TMachine&) = delete;

    IHote* Hote = nullptr;
    struct TLecteurs* Lecteurs = nullptr;        // drive table (owned by the workstation)
    IPortImprimante* Imprimante = nullptr;       // receiver of the printer port
    std::vector<IObservateurCPU*> Observateurs;  // run-state followers, in order

    // --- Memory and mapping -------------------------------------------------
    TZorvMem ZorvMem{};
    TRom RomBoot{};
    TRom Rom9512{};
    TRom Rom128K{};
    uint16_t AdrBanque = 0;
    TRamTv RamTv{};
    uint8_t SelMem = 1;
    uint8_t CodeJeuInst = 0;
    std::vector<std::string> Machines;
    int32_t Machine = 0;
    int32_t AncienneMach = 0;
    uint16_t MaxAdrRam = 0xFFFF;

    // --- Processor ----------------------------------------------------------
    uint8_t RegA = 0, RegB = 0, RegC = 0, RegD = 0, RegE = 0, RegH = 0, RegL = 0;
    uint8_t RegPSW = 0;
    uint16_t RegPC = 0;
    uint16_t RegSP = 0;
    uint16_t MemPC = 0;
    uint16_t PCPrec = 0;

    // --- Run control --------------------------------------------------------
    bool FinEmul = false;
    bool DemandeInt = false;
    bool BasculeInt = false;
    TEtatCPU EtatCPU = CPURun;
    uint8_t MaskINT = 0;
    uint32_t InitCount = 0;
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
    std::mt19937 Aleatoire{0x5A0E7u};   // source of the power-on registers (see Germe)

    // --- Small devices ------------------------------------------------------
    std::array<uint8_t, 12> DateEtHeure{};
    int32_t IndDateHeure = 0;
    uint8_t NumPoste = 255;

    // --- Display ------------------------------------------------------------
    bool Mode128Col = false;
    TGraphZorv GraphZorv{};
    uint8_t GraphX = 0, GraphY = 0, GraphZ = 0;
    uint8_t FonteSelect = 0;
    TFonte80 Fonte80{}, Fonte80APL{};
    TFonte128 Fonte128{}, Fonte128APL{};
    PFonte80 PtrFonte80 = &Fonte80;
    PFonte128 PtrFonte128 = &Fonte128;
    int32_t IndCoulTxt = 0;
    int32_t IndCoulGrph = 0;
    uint8_t PlansGraph = 4;
    TRGB CouleurTexte{};
    TRGB CouleurFond{};
    std::array<TRGB, 16> CoulGraph{};
    std::vector<uint8_t> BmpEcran;                 // 1024 × 576 × 3 (B, G, R)
    std::array<uint8_t*, HauteurEcran> PtrScanLines{};

    // --- Keyboard -----------------------------------------------------------
    TBufClav BufClav{};
    int32_t NbCarClav = 0;
    int32_t ModClavParam = 0;
    int32_t ModeClavier = 0;
    // The software has announced its keyboard mode (first acknowledge of the
    // handshake on port C2) or polled the keyboard outside the handshake
    // window: keys typed from now on are no longer emptied away.
    bool ClavierPret = false;
    bool CaptureClav = false;
    bool TBKbdDown = false;             // "Maj / Min" toolbar button

    // --- Printer ------------------------------------------------------------
    uint8_t CarImpr = 0;
    uint8_t StrobeImpr = 2;
    bool ImprEnCours = false;
    std::u16string BufImp;              // current line, as host characters
    int32_t CptCar = 0, ImprYCt = 0, NumPageImpr = 1;
    int32_t ImprPppX = 0, ImprPppY = 0;
    int32_t MargeGPix = 0, MargeDPix = 0, MargeHPix = 0, MargeBPix = 0;
    int32_t HautLignePix = 0, LargLignePix = 0, LarCar = 0, NbCarLigne = 0;
    bool ImpGraph = false;
    std::array<uint8_t, LargeurGCopy * HauteurGCopy * 3> GCopyBmp{}; // graphics line (B, G, R)
    int32_t XGraph = 0, CptGCopy = 0, EchGCopy = 1;
    bool FinLigGraph = false;
    int32_t TimeOutImpr = -1, PointsImpr = 9; // settings: -1 = jobs ended by hand
    int32_t TaillePoliceImpr = 11;      // printer font size; PointsImpr from the first job on
    bool ImprNoPage = false, ImprEnTete = false, ImprHexadec = false;
    std::string EnTeteImpr;

    // --- Floppy controller --------------------------------------------------
    TEtatCtrlDsq EtatCtrlDsq = ecdAttente;
    TEtatCtrlDsq EtatApresEmi = ecdAttente;
    TMsgCtrlZorv BufMsgZorv{};
    int32_t LgrBufMsgZor = 0;
    int32_t IndBufMsgZor = 0;
    TMsgCtrlZorv BufDataZorv{};
    int32_t LgrDataZorv = 0;
    int32_t IndDataZorv = 0;
    uint8_t SomDataZorv = 0;
    uint8_t StatusCtrl = 0x80;
    int32_t IndEntete = 0;
    TEnteteDsq BufEntete{};
    TMessDsq BufMsgCtrl{};
    TEnteteDsq BufEnteteEcr{};
    TMessDsq BufEcrSect{};
    int32_t IndMsgCtrl = 0;
    int32_t LgrMsgCtrl = 0;
    bool ExecCmdLect = false;
    bool ExecCmdEcr = false;
    bool ExecCmdFmt = false;
    bool FinDeCmd = false;

    // --- Arithmetic processor -----------------------------------------------
    std::array<uint8_t, 16> TosNos{};
    double Tos = 0.0, Nos = 0.0, TmpDouble = 0.0;
    uint8_t IndTos9512 = 15;
    uint8_t Status9512 = 0x40;

    // --- Hard-disk controller -----------------------------------------------
    EtatWinch EtatCtrlWin = ewSelect;
    uint8_t OctSelWinch = 0;
    uint8_t StatusWinch = 0;
    uint16_t AddrDMAWinch = 0;
    std::array<uint8_t, 6> CmdWinch{};
    std::array<uint8_t, 256> DataWinch{};
    int32_t IndCmdWinch = 0;
    int32_t IndDataWinch = 0;
    int32_t CptDataWinch = 0;

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
    void TBIntClick() { DemandeInt = true; }
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
    uint64_t NbInstructions = 0; // instructions executed since creation
    uint64_t NbCycles = 0;       // T-states of those instructions (and of the interrupts taken)
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
    void RetireTouche();
    uint8_t LitCaractereTouche() const;
    uint8_t LitAttributTouche() const;
    void VideClavier();
    ISourceTouches* SourceTouches = nullptr;
    // The queue has room or the software has said it is ready: the source
    // types what it can.
    void OffreClavier() {
        if (SourceTouches) SourceTouches->Alimente(*this);
    }

    // Hooks filled by the device layers (renderer, printer…).
    void ReinitAffichage();   // reset step 1

private:
    uint8_t ReadMemBas(uint16_t a, uint8_t b) const;
    void WriteMemBas(uint16_t a, uint8_t b, uint8_t d);
    void InterruptionAcceptee();
    void ReinitPeripheriques(bool raz);
};
