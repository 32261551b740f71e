// The machine's state as plain records, one per component: copyable,
// comparable and hashable values that TMachine is made of. Each record lists
// its fields once (Champs), in the order they are saved, and carries the
// identifier and version of its chunk in a state file: a change of a record's
// fields is a new version, and the reader of every older version is kept.
// What is not here is not the machine's state: the run loop's and the
// debugger's controls, the fonts of the character generator, the rendered
// screen, the settings of the printer and the links to the host.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>

#include "core/Hote.h"

using TZorvMem = std::array<uint8_t, 0x20000>;
using TRom = std::array<uint8_t, 0x1000>;
using TRamTv = std::array<uint8_t, 0x1000>;
using TGraphZorv = std::array<uint8_t, 0x10000>;
using TBufClav = std::array<uint16_t, 12>;
using TEnteteDsq = std::array<uint8_t, 7>;
using TMessDsq = std::array<uint8_t, 257>;
using TMsgCtrlZorv = std::array<uint8_t, 256>;

// The printer's graphics hardcopy line: 256 columns of 7 dots.
constexpr int LargeurGCopy = 256;
constexpr int HauteurGCopy = 7;

// Floppy controller protocol states, in their documented order.
enum TEtatCtrlDsq : uint8_t {
    ecdAttente, ecdEmetBuf, ecdIgnore, ecdEntete, ecdMessage, ecdPreambEcr,
    ecdEnteteEcr, ecdEcritSect, ecdRecepSomEcr, ecdSommeData, ecdSommeStat,
    ecdSommeMsg, ecdZeroMsg, ecdZero, ecdEmetData, ecdEmetSomme
};
constexpr uint8_t NbEtatsCtrlDsq = ecdEmetSomme + 1;

// Hard-disk controller phases.
enum EtatWinch : uint8_t { ewSelect, ewCommande, ewParams, ewTransfert, ewStatus };
constexpr uint8_t NbEtatsWinch = ewStatus + 1;

// The source of the power-on registers: a seed and the number of values
// drawn from it, which is all a saved state needs to go on drawing the same.
struct TAleatoire {
    uint32_t Graine = 0x5A0E7u;
    uint64_t Tirages = 0;
    uint32_t operator()() {
        ++Tirages;
        return uint32_t(FGen());
    }
    void seed(uint32_t graine) { Restaure(graine, 0); }
    void Restaure(uint32_t graine, uint64_t tirages) {
        Graine = graine;
        Tirages = tirages;
        FGen.seed(graine);
        FGen.discard(tirages);
    }
    bool operator==(const TAleatoire& o) const { return Graine == o.Graine && Tirages == o.Tirages; }

private:
    std::mt19937 FGen{0x5A0E7u};
};

// Processor registers, interrupt state and the counts of the run.
struct TEtatProcesseur {
    static constexpr char Id[5] = "CPU ";
    static constexpr uint16_t Version = 1;
    uint8_t RegA = 0, RegB = 0, RegC = 0, RegD = 0, RegE = 0, RegH = 0, RegL = 0;
    uint8_t RegPSW = 0;
    uint16_t RegPC = 0;
    uint16_t RegSP = 0;
    uint16_t MemPC = 0;
    uint16_t PCPrec = 0;
    bool DemandeInt = false;
    bool BasculeInt = false;
    TEtatCPU EtatCPU = CPURun;
    uint8_t MaskINT = 0;
    uint32_t InitCount = 0;
    TAleatoire Aleatoire;
    uint64_t NbInstructions = 0; // instructions executed since creation
    uint64_t NbCycles = 0;       // T-states of those instructions (and of the interrupts taken)
    bool operator==(const TEtatProcesseur&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.RegA), v(s.RegB), v(s.RegC), v(s.RegD), v(s.RegE), v(s.RegH), v(s.RegL), v(s.RegPSW);
        v(s.RegPC), v(s.RegSP), v(s.MemPC), v(s.PCPrec);
        v(s.DemandeInt), v(s.BasculeInt), v(s.EtatCPU), v(s.MaskINT), v(s.InitCount);
        v(s.Aleatoire), v(s.NbInstructions), v(s.NbCycles);
    }
};

// RAM in its two banks, the video text RAM, the memory switch and the model.
struct TEtatMemoire {
    static constexpr char Id[5] = "MEM ";
    static constexpr uint16_t Version = 1;
    TZorvMem ZorvMem{};
    uint16_t AdrBanque = 0;
    TRamTv RamTv{};
    uint8_t SelMem = 1;
    uint8_t CodeJeuInst = 0;
    int32_t Machine = 0;
    int32_t AncienneMach = 0;
    uint16_t MaxAdrRam = 0xFFFF;
    bool operator==(const TEtatMemoire&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.ZorvMem), v(s.AdrBanque), v(s.RamTv), v(s.SelMem), v(s.CodeJeuInst);
        v(s.Machine), v(s.AncienneMach), v(s.MaxAdrRam);
    }
};

// The three ROM images (boot, arithmetic, 128-column).
struct TImagesRom {
    static constexpr char Id[5] = "ROMS";
    static constexpr uint16_t Version = 1;
    TRom RomBoot{};
    TRom Rom9512{};
    TRom Rom128K{};
    bool operator==(const TImagesRom&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) { v(s.RomBoot), v(s.Rom9512), v(s.Rom128K); }
};

// Text mode, graphics plane and the character set in use (the colours
// they are shown in are the window's settings).
struct TEtatEcran {
    static constexpr char Id[5] = "ECRN";
    static constexpr uint16_t Version = 1;
    bool Mode128Col = false;
    TGraphZorv GraphZorv{};
    uint8_t GraphX = 0, GraphY = 0, GraphZ = 0;
    uint8_t FonteSelect = 0;
    bool operator==(const TEtatEcran&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.Mode128Col), v(s.GraphZorv), v(s.GraphX), v(s.GraphY), v(s.GraphZ), v(s.FonteSelect);
    }
};

// The keyboard queue and its modes.
struct TEtatClavier {
    static constexpr char Id[5] = "CLAV";
    static constexpr uint16_t Version = 1;
    TBufClav BufClav{};
    int32_t NbCarClav = 0;
    int32_t ModClavParam = 0;
    int32_t ModeClavier = 0;
    // The software has announced its keyboard mode (first acknowledge of the
    // handshake on port C2) or polled the keyboard outside the handshake
    // window: keys typed from now on are no longer emptied away.
    bool ClavierPret = false;
    bool operator==(const TEtatClavier&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.BufClav), v(s.NbCarClav), v(s.ModClavParam), v(s.ModeClavier), v(s.ClavierPret);
    }
};

// The printer port and the job it composes.
struct TEtatImprimante {
    static constexpr char Id[5] = "IMPR";
    static constexpr uint16_t Version = 1;
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
    bool operator==(const TEtatImprimante&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.CarImpr), v(s.StrobeImpr), v(s.ImprEnCours), v(s.BufImp), v(s.CptCar), v(s.ImprYCt);
        v(s.NumPageImpr), v(s.ImprPppX), v(s.ImprPppY), v(s.MargeGPix), v(s.MargeDPix), v(s.MargeHPix);
        v(s.MargeBPix), v(s.HautLignePix), v(s.LargLignePix), v(s.LarCar), v(s.NbCarLigne);
        v(s.ImpGraph), v(s.GCopyBmp), v(s.XGraph), v(s.CptGCopy), v(s.EchGCopy), v(s.FinLigGraph);
    }
};

// The floppy controller, a command in progress included.
struct TEtatControleurDsq {
    static constexpr char Id[5] = "DSQ ";
    static constexpr uint16_t Version = 1;
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
    bool operator==(const TEtatControleurDsq&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.EtatCtrlDsq), v(s.EtatApresEmi), v(s.BufMsgZorv), v(s.LgrBufMsgZor), v(s.IndBufMsgZor);
        v(s.BufDataZorv), v(s.LgrDataZorv), v(s.IndDataZorv), v(s.SomDataZorv), v(s.StatusCtrl);
        v(s.IndEntete), v(s.BufEntete), v(s.BufMsgCtrl), v(s.BufEnteteEcr), v(s.BufEcrSect);
        v(s.IndMsgCtrl), v(s.LgrMsgCtrl), v(s.ExecCmdLect), v(s.ExecCmdEcr), v(s.ExecCmdFmt), v(s.FinDeCmd);
    }
};

// The arithmetic processor: its stack and the values of a command under way.
struct TEtatArith {
    static constexpr char Id[5] = "ARIT";
    static constexpr uint16_t Version = 1;
    std::array<uint8_t, 16> TosNos{};
    double Tos = 0.0, Nos = 0.0, TmpDouble = 0.0;
    uint8_t IndTos9512 = 15;
    uint8_t Status9512 = 0x40;
    // Bit for bit: a NaN left by a command equals itself.
    bool operator==(const TEtatArith& o) const {
        auto bits = [](double d) { return std::bit_cast<uint64_t>(d); };
        return TosNos == o.TosNos && bits(Tos) == bits(o.Tos) && bits(Nos) == bits(o.Nos) &&
               bits(TmpDouble) == bits(o.TmpDouble) && IndTos9512 == o.IndTos9512 &&
               Status9512 == o.Status9512;
    }
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.TosNos), v(s.Tos), v(s.Nos), v(s.TmpDouble), v(s.IndTos9512), v(s.Status9512);
    }
};

// The hard-disk controller.
struct TEtatDisqueDur {
    static constexpr char Id[5] = "WINC";
    static constexpr uint16_t Version = 1;
    EtatWinch EtatCtrlWin = ewSelect;
    uint8_t OctSelWinch = 0;
    uint8_t StatusWinch = 0;
    uint16_t AddrDMAWinch = 0;
    std::array<uint8_t, 6> CmdWinch{};
    std::array<uint8_t, 256> DataWinch{};
    int32_t IndCmdWinch = 0;
    int32_t IndDataWinch = 0;
    int32_t CptDataWinch = 0;
    bool operator==(const TEtatDisqueDur&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.EtatCtrlWin), v(s.OctSelWinch), v(s.StatusWinch), v(s.AddrDMAWinch), v(s.CmdWinch);
        v(s.DataWinch), v(s.IndCmdWinch), v(s.IndDataWinch), v(s.CptDataWinch);
    }
};

// The clock port and the station number.
struct TEtatPorts {
    static constexpr char Id[5] = "PORT";
    static constexpr uint16_t Version = 1;
    std::array<uint8_t, 12> DateEtHeure{};
    int32_t IndDateHeure = 0;
    uint8_t NumPoste = 255;
    bool operator==(const TEtatPorts&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) { v(s.DateEtHeure), v(s.IndDateHeure), v(s.NumPoste); }
};

// The machine's own time and the one-shot timers that run on it (kept by
// the host's clock, see THorlogeMachine).
struct TEtatHorloge {
    static constexpr char Id[5] = "HORL";
    static constexpr uint16_t Version = 1;
    uint64_t MaintenantUs = 0;
    std::array<uint64_t, NbTimers> Echeance{};
    std::array<bool, NbTimers> Actif{};
    uint64_t ResteNs = 0;          // below one microsecond, by instructions
    uint64_t ResteCycles = 0;      // below one microsecond, in T-states × 1000
    uint64_t CyclesVus = 0;        // the machine's T-states at the last reckoning
    uint64_t InstructionsVues = 0; // its instructions then
    bool operator==(const TEtatHorloge&) const = default;
    template <class S, class V> static void Champs(S& s, V& v) {
        v(s.MaintenantUs), v(s.Echeance), v(s.Actif), v(s.ResteNs), v(s.ResteCycles);
        v(s.CyclesVus), v(s.InstructionsVues);
    }
};
