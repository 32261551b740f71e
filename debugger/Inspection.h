// The inspection door of the machine: the registers as a copyable value,
// memory through the processor's view or either raw bank, the bank that
// instruction fetches use and whether the model has two banks (free
// functions, for the debugger's logic); and TInspection, the one handle
// through which the windows read and change the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Machine.h"

// The nine register entries of the CPU window, in their order.
enum TRegistreCPU : uint8_t { rgSP, rgPC, rgH, rgL, rgD, rgE, rgB, rgC, rgA };
constexpr int NbRegistresCPU = 9;

// 1 for the 8-bit registers, 2 for PC and SP.
int LargeurRegistre(TRegistreCPU r);
const char* NomRegistre(TRegistreCPU r);
// "a", "Sp", "PC" … (letter case ignored).
std::optional<TRegistreCPU> RegistreNomme(std::string_view nom);

// Bits of RegPSW shown by the five flag boxes.
enum TDrapeauCPU : uint8_t { drS = 0x80, drZ = 0x40, drAC = 0x10, drP = 0x04, drCY = 0x01 };

struct TRegistresCPU {
    uint8_t A = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0, PSW = 0;
    uint16_t SP = 0, PC = 0, PCPrec = 0;
    uint8_t CodeJeuInst = 0, SelMem = 0;
    uint32_t Valeur(TRegistreCPU r) const;
    bool Drapeau(TDrapeauCPU d) const { return (PSW & d) != 0; }
    bool operator==(const TRegistresCPU&) const = default;
};

TRegistresCPU LitRegistres(const TMachine& m);
// Keeps the low 8 bits (16 for PC and SP).
void EcritRegistre(TMachine& m, TRegistreCPU r, uint32_t valeur);
// Sets or clears one bit of RegPSW, the others unchanged.
void EcritDrapeau(TMachine& m, TDrapeauCPU d, bool leve);

// "A=.. B=.. C=.. D=.. E=.. H=.. L=.. PSW=.. SP=.... PC=...."
std::string LigneRegistres(const TRegistresCPU& r);
// The same followed by " S=0 Z=1 AC=0 P=1 CY=0".
std::string LigneRegistresDrapeaux(const TRegistresCPU& r);

// Where a debugger view reads memory.
enum class TVueMemoire : uint8_t {
    CPU,     // "Mémoire vue du CPU": ReadMem in bank 0, with the overlays
    Banque0, // "Banque logiciel": raw RAM
    Banque1  // "Banque data": raw RAM
};
uint8_t LitMemoire(const TMachine& m, uint16_t adresse, TVueMemoire vue);
// Writes as the hex editor does: the processor's view (in bank banqueCPU)
// with all its effects (ROM refused with its message, video RAM repainted,
// nothing above MaxAdrRam); a bank view straight into the RAM.
void EcritMemoire(TMachine& m, uint16_t adresse, TVueMemoire vue, uint8_t octet, uint8_t banqueCPU = 0);

// Bank of instruction fetches: 1 exactly when CodeJeuInst is 0xD0.
inline uint8_t BanqueCode(const TMachine& m) { return m.CodeJeuInst == 0xD0 ? 1 : 0; }
// The model has the two 64 KB banks (the T7E).
inline bool DeuxBanques(const TMachine& m) { return m.Machine == 0; }

class TDebogueur;
class THorlogeMachine;
struct TAccesMemoire;
struct TBilanMemoire;
struct TTraduction;

// The windows' door on the machine, a handle that copies freely (it refers
// to the machine, it does not own it). A window holds one and nothing else
// of the machine: every reading and every change it makes goes through here
// (or through the workstation and the debugger's logic), so that the record
// can change shape without the windows knowing.
class TInspection {
public:
    explicit TInspection(TMachine& m) : M(&m) {}
    // The door on the machine the debugger's logic follows.
    explicit TInspection(TDebogueur& d);

    // --- Registers and run state ---------------------------------------------
    TRegistresCPU Registres() const { return LitRegistres(*M); }
    // Every change of the machine from here is seen whole by a session
    // being recorded (TModificationHote).
    void EcritRegistre(TRegistreCPU r, uint32_t valeur) {
        const TModificationHote modification(*M);
        ::EcritRegistre(*M, r, valeur);
    }
    void EcritDrapeau(TDrapeauCPU d, bool leve) {
        const TModificationHote modification(*M);
        ::EcritDrapeau(*M, d, leve);
    }
    TEtatCPU EtatCPU() const { return M->EtatCPU; }
    // The model's number in the settings' list (0 the T7E).
    int32_t Modele() const { return M->Machine; }
    uint64_t Instructions() const { return M->NbInstructions; }
    uint64_t Cycles() const { return M->NbCycles; }

    // --- Memory ----------------------------------------------------------------
    // No side effect: the hex views and the painting read through here.
    uint8_t LitMemoire(uint16_t adresse, TVueMemoire vue, uint8_t banqueCPU = 0) const;
    void EcritMemoire(uint16_t adresse, TVueMemoire vue, uint8_t octet, uint8_t banqueCPU = 0) {
        const TModificationHote modification(*M);
        ::EcritMemoire(*M, adresse, vue, octet, banqueCPU);
    }
    uint8_t BanqueCode() const { return ::BanqueCode(*M); }
    bool DeuxBanques() const { return ::DeuxBanques(*M); }
    // The memory blocks of the memory window (debugger/OutilsMemoire.h).
    TBilanMemoire ChargeFichier(const std::string& chemin, int32_t adresse, const TAccesMemoire& acces);
    TBilanMemoire SauveZone(const std::string& chemin, int32_t debut, int32_t fin, const TAccesMemoire& acces) const;

    // --- Breakpoints -------------------------------------------------------------
    // The conditions and the watchpoints are the debugger's (TDebogueur::Sondes);
    // the table of the processor's addresses is the machine's.
    bool EstPtArret(uint16_t a) const;
    // An address above FFFF counts as FFFF; false when it was already set.
    bool AjoutePtArret(uint64_t adresse);
    bool RetirePtArret(uint16_t a);
    bool BasculePtArret(uint16_t a);
    std::vector<uint16_t> PtsArret() const;
    const TTblPtArret& TablePtArret() const { return M->TblPtArret; }

    // --- Running -------------------------------------------------------------------
    // The run message 0x401 to the main window (nothing without a host).
    void DemandeLancement();
    // A running processor stops as the debugger's pause stops it.
    void DemandeArret();
    // "Pause" of the main window: stops a running processor, starts a
    // stopped one again; true when it runs (or is about to).
    bool BasculePause();
    void Raz() { M->TBRazClick(); }
    void Int() { M->TBIntClick(); }
    // The program ends: the run loop comes back at the next slice.
    void TermineEmulation() { M->FinEmul = true; }
    bool EmulationTerminee() const { return M->FinEmul; }
    bool BoucleActive() const { return M->BoucleActive; }

    // --- Keyboard ----------------------------------------------------------------
    // The application-wide hook is in place (the run loop runs, no settings
    // window is open).
    bool CaptureClavier() const { return M->CaptureClav; }
    void ChoisitCaptureClavier(bool active) { M->CaptureClav = active; }
    // The "Maj / Min" toolbar button.
    bool MajMinEnfonce() const { return M->TBKbdDown; }
    void EnfonceMajMin(bool enfonce) { M->TBKbdDown = enfonce; }
    int32_t ModeClavier() const { return M->ModeClavier; }
    // The entries of a translated key into the queue.
    void PousseEntrees(const TTraduction& t);
    void VideClavier() {
        const TModificationHote modification(*M);
        M->VideClavier();
    }
    // Who types into the machine from outside; it types what it can at once.
    // nullptr: nobody.
    void ChoisitSourceTouches(ISourceTouches* source);
    // The host's local date and time (the keys that type the date).
    THeureLocale HeureLocale() const;

    // --- Printer -----------------------------------------------------------------
    // Jobs are ended by hand ("Imprime"), not by a time-out.
    bool ImpressionManuelle() const { return M->TimeOutImpr == -1; }

    // --- Screen ------------------------------------------------------------------
    // Renders the screen; the 1024 × 576 × 3 bitmap (blue, green, red).
    const uint8_t* DessineEcran();
    // Draws the screen and writes it as a PNG under the first free name of
    // `dossier`: the full name, or empty with the reason in `erreur`.
    std::string EnregistreCapture(const std::string& dossier, const THeureLocale& h, std::string& erreur);

    // --- Host side ---------------------------------------------------------------
    // Boxes through the machine's host (nothing without one).
    void MessageInfo(const std::string& texte) const;
    void MessageErreur(const std::string& texte) const;
    // A one-shot timer fired.
    void ExpireTimer(TTimer t) { M->TimerExpire(t); }
    // The slice under way ends after its instruction.
    void FinitTranche() { M->FinTranche = true; }
    // The machine's time brought up to its count; its timers that fell due fired.
    void SynchroniseHorloge(THorlogeMachine& h) const;
    void DeclencheHorloge(THorlogeMachine& h);

private:
    TMachine* M;
};
