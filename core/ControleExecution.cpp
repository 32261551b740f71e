// Run control: run states, the run loop, the interrupt request, reset and the
// power-on initialisation of the machine record.
#include <algorithm>

#include "core/Machine.h"
#include "core/Processeur.h"

TMachine::TMachine() {
    BmpEcran.assign(size_t(LargeurEcran) * HauteurEcran * 3, 0);
    for (int y = 0; y < HauteurEcran; ++y) PtrScanLines[y] = BmpEcran.data() + size_t(y) * LargeurEcran * 3;
    ChoisitModele(0);
    AncienneMach = Machine;
}

void TMachine::ChangeEtatCPU(TEtatCPU etat) {
    EtatCPU = etat;
    for (IObservateurCPU* o : Observateurs) o->AfficheEtatCPU(etat);
}

void TMachine::SignaleEtatDuCPU(TEtatCPU etat) {
    for (IObservateurCPU* o : Observateurs) o->EtatDuCPU(etat);
}

namespace {

// The stop report to every observer, in order. A copy of the list: an
// observer may leave it while it is told.
void SignaleArret(std::vector<IObservateurCPU*> observateurs, const TRapportArret& rapport) {
    for (IObservateurCPU* o : observateurs) o->Arret(rapport);
}

} // namespace

void TMachine::ReinitAffichage() {
    GraphZorv.fill(0);
    Mode128Col = false;
    PtrFonte80 = &Fonte80;
    PtrFonte128 = &Fonte128;
    FonteSelect = 0;
}

// Keyboard, printer, floppy, hard disk, arithmetic processor, instruction set
// and memory switch, in the order of the reset.
void TMachine::ReinitPeripheriques(bool raz) {
    // Keyboard
    BufClav.fill(0);
    NbCarClav = 0;
    ModeClavier = ModClavParam;
    if (raz) {
        TBKbdDown = false;
        if (Hote) Hote->RelacheMajMin();
    }
    // Printer (for a reset it comes last; see TBRazClick)
    if (!raz) {
        CarImpr = 0;
        StrobeImpr = 2;
        if (ImprEnCours && Imprimante) Imprimante->FinTravail();
        ImprEnCours = false;
        BufImp.clear();
    }
    // Floppy controller
    EtatCtrlDsq = ecdAttente;
    LgrBufMsgZor = 0;
    IndBufMsgZor = 0;
    StatusCtrl = 0x80;
    ExecCmdLect = ExecCmdEcr = ExecCmdFmt = FinDeCmd = false;
    // Hard disk
    EtatCtrlWin = ewSelect;
    OctSelWinch = 0;
    AddrDMAWinch = 0;
    StatusWinch = 0;
    IndCmdWinch = IndDataWinch = CptDataWinch = 0;
    // Arithmetic processor
    TosNos.fill(0);
    IndTos9512 = 15;
    Status9512 = 0x40;
    // Instruction set and memory switch
    CodeJeuInst = 0;
    AdrBanque = 0;
    SelMem = 1;
}

void TMachine::TBRazClick() {
    if (Journal) Journal->Raz(*this);
    ReinitAffichage();
    RegPC = MemPC = PCPrec = 0;
    ReinitPeripheriques(true);
    BasculeInt = DemandeInt = false;
    MaskINT = 0;
    if (EtatCPU != CPURun && Hote) Hote->PosteMessage(MsgLanceEmulation);
    CarImpr = 0;
    StrobeImpr = 2;
    if (ImprEnCours && Imprimante) Imprimante->FinTravail();
    ImprEnCours = false;
    BufImp.clear();
    if (Journal) Journal->ApresEvenement(*this);
}

void TMachine::InitMachine() {
    ClavierPret = false;
    ZorvMem.fill(0);
    RomBoot.fill(0);
    Rom9512.fill(0);
    Rom128K.fill(0xFF);
    RamTv.fill(0x20);
    GraphZorv.fill(0);
    Mode128Col = false;
    for (uint8_t* r : {&RegA, &RegPSW, &RegB, &RegC, &RegD, &RegE, &RegH, &RegL})
        *r = uint8_t(Aleatoire() & 0xFF);
    RegPC = 0;
    RegSP = uint16_t(Aleatoire() & 0xFFFF);
    MemPC = PCPrec = 0;
    FinEmul = DemandeInt = false;
    MaskINT = 0;
    ChangeEtatCPU(CPURun);
    ReinitPeripheriques(false);
    BasculeInt = false;
}

TRapportArret TMachine::Execute(uint64_t budget) {
    TRapportArret r;
    const uint64_t avant = NbInstructions;
    CauseDrapeau = TCauseArret::Budget;
    if (Journal) Journal->Reprise(*this);
    while (!FinEmul && EtatCPU == CPURun && budget > 0) {
        if (Journal) [[unlikely]] {
            Journal->Frontiere(*this);
            if (FinEmul || EtatCPU != CPURun) break;
        }
        if (DemandeArret && *DemandeArret) [[unlikely]] {
            ChangeEtatCPU(CPUStop);
            break;
        }
        uint32_t tranche = Hote ? std::max<uint32_t>(1, Hote->TrancheMax()) : 4096;
        if (tranche > budget) tranche = uint32_t(budget);
        if (RendezVous > NbInstructions && RendezVous - NbInstructions < tranche) [[unlikely]]
            tranche = uint32_t(RendezVous - NbInstructions);
        const uint32_t faites = ExecuteTranche(*this, tranche);
        budget -= faites;
        if (Hote) Hote->ApresTranche(faites);
    }
    if (Journal) Journal->Suspension(*this);
    r.Instructions = NbInstructions - avant;
    r.Adresse = RegPC;
    if (FinEmul)
        r.Cause = TCauseArret::FinEmul;
    else if (EtatCPU == CPUHalt) {
        r.Cause = TCauseArret::Halte;
        r.Adresse = MemPC;
    } else if (EtatCPU == CPUStop)
        r.Cause = CauseDrapeau != TCauseArret::Budget ? CauseDrapeau : TCauseArret::Pause;
    return r;
}

TRapportArret TMachine::BoucleEmulation(uint64_t budget) {
    if (BoucleActive) return {TCauseArret::DejaEnCours, RegPC, 0}; // never re-entered
    BoucleActive = true;
    if (Hote) Hote->CaptureClavier(true);
    CaptureClav = true;
    ChangeEtatCPU(CPURun);
    SignaleEtatDuCPU(EtatCPU);
    CommenceCourse();
    const TRapportArret rapport = Execute(budget);
    if (rapport.Cause == TCauseArret::Budget && EtatCPU == CPURun) ChangeEtatCPU(CPUStop);
    SignaleEtatDuCPU(EtatCPU);
    if (Hote) Hote->CaptureClavier(false);
    CaptureClav = false;
    BoucleActive = false;
    // Told once the loop is left: an observer may start another run.
    SignaleArret(Observateurs, rapport);
    return rapport;
}

TRapportArret TMachine::LanceEmulation(uint64_t budget) {
    if (BoucleActive) {
        RelanceEnAttente = true;
        return {TCauseArret::DejaEnCours, RegPC, 0};
    }
    TRapportArret rapport;
    do {
        RelanceEnAttente = false;
        rapport = BoucleEmulation(budget);
    } while (RelanceEnAttente && !FinEmul);
    return rapport;
}

void TMachine::ExecuteUnPas() {
    if (Journal) {
        Journal->Reprise(*this);
        Journal->Frontiere(*this);
    }
    ExecuteInstruction();
    ++NbInstructions;
    if (Hote) Hote->ApresPas(); // a step is a boundary like any other
    if (Journal) Journal->Suspension(*this);
}

void TMachine::TimerExpire(TTimer t) {
    if (Hote) Hote->ArreteTimer(t);
    switch (t) {
    case tmEcran:
        if (Hote) Hote->Repeint();
        break;
    case tmClavier1:
        AjouteTouche(0x037F);
        OffreClavier(); // typed text follows the ready entry
        break;
    case tmPas:
        if (SurTimerPas) SurTimerPas();
        break;
    case tmImpr: // Timer3: no character for TimeOutImpr seconds ends the job
        if (ImprEnCours && Imprimante) Imprimante->FinTravail();
        ImprEnCours = false;
        break;
    default:
        break;
    }
}
