#include "config/EnregistreurSession.h"

#include <ctime>

#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/HorlogeMachine.h"
#include "core/Version.h"
#include "disks/Lecteurs.h"

TImageSession ImageDuLecteur(const TPoste& poste, int slot) {
    TImageSession im;
    bool lisible = true;
    if (!ContenuDuLecteur(poste.Lecteurs, slot, im.Octets, lisible)) return im;
    const Param_Disque& d = poste.Lecteurs.Disques[size_t(slot)];
    im.Present = true;
    im.Protege = d.Protege;
    im.Nom = NomSansDossier(d.NomFichier);
    return im;
}

TEnregistreurSession::TEnregistreurSession(TPoste& poste, THorlogeMachine& horloge)
    : FPoste(poste), FHorloge(horloge) {
    TMachine& m = poste.Machine();
    horloge.Synchronise(&m);
    TInfoSession& i = FSession.Info;
    i.Programme = ProgrammeEmulZorv;
    i.DateUnix = int64_t(std::time(nullptr));
    i.HorlogeKHz = FKHz = horloge.HorlogeKHz;
    i.NsParInstruction = FNs = horloge.NsParInstruction.value_or(SansDureeFixe);
    i.Origine = horloge.Origine;
    i.OrigineUs = horloge.OrigineUs;
    i.TimeOutImpr = FTimeOut = m.TimeOutImpr;
    i.TypeDsq12 = uint8_t(poste.Lecteurs.TypeDsq12());
    FSession.Etat = CodeEtat(CaptureEtat(poste, &horloge, true));
    FSession.GenCar = m.ImageGenCar;
    for (int s = 1; s <= 6; ++s) FSession.Images[size_t(s - 1)] = ImageDuLecteur(poste, s);
    FChangements = poste.Lecteurs.ChangementsHote;
    FDepart = m.NbInstructions;
    // Started from a window's handler while the loop runs, the machine does
    // not stand still: its records are taken again when it stops.
    FOmbreValide = !m.BoucleActive;
    if (FOmbreValide) FOmbre = Cliche(m, &horloge);
    const uint64_t pas = i.IntervalleControleUs;
    FProchainControleUs = (horloge.MaintenantUs / pas + 1) * pas;
    m.Journal = this;
}

TEnregistreurSession::~TEnregistreurSession() {
    if (FActif && FPoste.Machine().Journal == this) FPoste.Machine().Journal = nullptr;
}

TEvenement TEnregistreurSession::Evenement(const TMachine& m, TTypeEvenement type) const {
    TEvenement e;
    e.Instruction = m.InstantHote();
    e.Cycles = m.NbCycles;
    e.Type = type;
    return e;
}

void TEnregistreurSession::Note(TEvenement e) {
    // Nothing goes before what is already recorded (a key typed inside an
    // instruction counts that instruction as done).
    if (!FSession.Evenements.empty() && e.Instruction < FSession.Evenements.back().Instruction)
        e.Instruction = FSession.Evenements.back().Instruction;
    FSession.Evenements.push_back(std::move(e));
}

// On a machine standing still, what the host changed before the event is
// one difference and the records after it the start of the next.
void TEnregistreurSession::AvantEvenement(TMachine& m) {
    if (!FOmbreValide || FOmbreDeModification) return;
    PrendDifference(m);
    FRafraichir = true;
}

void TEnregistreurSession::ApresEvenement(TMachine& m) {
    if (!FRafraichir) return;
    FRafraichir = false;
    FHorloge.Synchronise(&m);
    FOmbre = Cliche(m, &FHorloge);
    FOmbreValide = true;
}

bool TEnregistreurSession::Touche(TMachine& m, uint16_t entree) {
    AvantEvenement(m);
    TEvenement e = Evenement(m, TTypeEvenement::Touche);
    e.Entree = entree;
    Note(std::move(e));
    return true;
}

// A reset that a change of the settings makes (a new model) is in that
// change's difference.
void TEnregistreurSession::Raz(TMachine& m) {
    if (FModifications > 0) return;
    AvantEvenement(m);
    Note(Evenement(m, TTypeEvenement::Raz));
}

void TEnregistreurSession::Int(TMachine& m) {
    if (FModifications > 0) return;
    AvantEvenement(m);
    Note(Evenement(m, TTypeEvenement::Int));
}

void TEnregistreurSession::VerifieHote(TMachine& m) {
    const TLecteurs& l = FPoste.Lecteurs;
    for (int s = 1; s <= 6; ++s) {
        if (l.ChangementsHote[size_t(s)] == FChangements[size_t(s)]) continue;
        FChangements[size_t(s)] = l.ChangementsHote[size_t(s)];
        TEvenement e = Evenement(m, TTypeEvenement::Disque);
        e.Slot = uint8_t(s);
        e.Image = ImageDuLecteur(FPoste, s);
        Note(std::move(e));
    }
    const uint64_t ns = FHorloge.NsParInstruction.value_or(SansDureeFixe);
    if (FHorloge.HorlogeKHz != FKHz || ns != FNs || m.TimeOutImpr != FTimeOut) {
        FKHz = FHorloge.HorlogeKHz;
        FNs = ns;
        FTimeOut = m.TimeOutImpr;
        TEvenement e = Evenement(m, TTypeEvenement::Reglages);
        e.HorlogeKHz = FKHz;
        e.NsParInstruction = FNs;
        e.TimeOutImpr = FTimeOut;
        Note(std::move(e));
    }
}

void TEnregistreurSession::PrendDifference(TMachine& m) {
    FHorloge.Synchronise(&m);
    TEvenement e = Evenement(m, TTypeEvenement::Modification);
    e.Difference = CodeDifference(FOmbre, Cliche(m, &FHorloge));
    FOmbreValide = false;
    if (!e.Difference.empty()) Note(std::move(e));
}

void TEnregistreurSession::Controle(TMachine& m, bool force) {
    if (!force && FHorloge.MaintenantUs < FProchainControleUs) return;
    const uint64_t pas = FSession.Info.IntervalleControleUs;
    FProchainControleUs = (FHorloge.MaintenantUs / pas + 1) * pas;
    TControleSession c;
    c.Instruction = m.NbInstructions;
    c.Cycles = m.NbCycles;
    c.NbEvenements = FSession.Evenements.size();
    c.Empreintes = Empreintes(m, &FHorloge);
    auto& cs = FSession.Controles;
    // One fingerprint per instant: the later one (events of the instant may lie between).
    if (!cs.empty() && cs.back().Instruction == c.Instruction) cs.pop_back();
    cs.push_back(c);
}

void TEnregistreurSession::Reprise(TMachine& m) {
    VerifieHote(m);
    if (FOmbreValide) PrendDifference(m);
}

void TEnregistreurSession::Frontiere(TMachine& m) {
    VerifieHote(m);
    Controle(m, false);
}

void TEnregistreurSession::Suspension(TMachine& m) {
    FHorloge.Synchronise(&m);
    FOmbre = Cliche(m, &FHorloge);
    FOmbreValide = true;
}

void TEnregistreurSession::AvantModification(TMachine& m) {
    if (FModifications++ > 0 || FOmbreValide) return; // standing still, Reprise will see it
    VerifieHote(m);
    FHorloge.Synchronise(&m);
    FOmbre = Cliche(m, &FHorloge);
    FOmbreValide = FOmbreDeModification = true;
}

void TEnregistreurSession::ApresModification(TMachine& m) {
    if (--FModifications > 0 || !FOmbreDeModification) return;
    FOmbreDeModification = false;
    PrendDifference(m);
}

TSession TEnregistreurSession::Termine() {
    TMachine& m = FPoste.Machine();
    if (FActif) {
        VerifieHote(m);
        if (FOmbreValide && !m.BoucleActive) PrendDifference(m);
        FHorloge.Synchronise(&m);
        Controle(m, true);
        FSession.Info.FinInstruction = m.NbInstructions;
        FSession.Info.FinCycles = m.NbCycles;
        if (m.Journal == this) m.Journal = nullptr;
        FActif = false;
    }
    return FSession;
}
