#include "config/RelectureSession.h"

#include "config/ClicheMachine.h"
#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/HorlogeMachine.h"
#include "core/Texte.h"
#include "devices/Ecran.h"
#include "disks/Lecteurs.h"

namespace {

std::string TexteInstruction(uint64_t n) { return NombreFr(int64_t(n)); }

} // namespace

TRelectureSession::TRelectureSession(TPoste& poste, THorlogeMachine& horloge, TSession session, std::string dossier)
    : FPoste(poste), FHorloge(horloge), FSession(std::move(session)), FDossier(std::move(dossier)) {}

std::unique_ptr<TRelectureSession> TRelectureSession::Commence(TPoste& poste, THorlogeMachine& horloge,
                                                               TSession session, const std::string& dossier,
                                                               std::string& erreur) {
    TEtatComplet depart;
    if (!DecodeEtat(session.Etat, depart, erreur)) {
        erreur = "L'état de départ de la session est illisible : " + erreur;
        return nullptr;
    }
    std::unique_ptr<TRelectureSession> r(new TRelectureSession(poste, horloge, std::move(session), dossier));
    const TInfoSession& i = r->FSession.Info;
    // The images first: a drive that cannot take its image leaves the
    // machine as it was.
    TLecteurs& l = poste.Lecteurs;
    l.VideTout();
    l.InitGeometrie(i.TypeDsq12);
    for (int s = 1; s <= 6; ++s)
        if (!r->MonteImage(s, r->FSession.Images[size_t(s - 1)], erreur)) return nullptr;
    TMachine& m = poste.Machine();
    // The screen as it was drawn: the session's character generator (the
    // fonts are chosen again by the state's records).
    const std::vector<uint8_t> genCar = r->FSession.GenCar;
    if (!genCar.empty()) ConstruitFontes(m, genCar.data(), genCar.size());
    RestaureMachine(m, &horloge, depart);
    horloge.HorlogeKHz = i.HorlogeKHz;
    horloge.NsParInstruction = i.NsParInstruction == SansDureeFixe ? std::nullopt : std::optional(i.NsParInstruction);
    horloge.Origine = i.Origine;
    horloge.OrigineUs = i.OrigineUs;
    m.TimeOutImpr = i.TimeOutImpr;
    m.Journal = r.get();
    r->PlaceRendezVous(m);
    return r;
}

TRelectureSession::~TRelectureSession() {
    TMachine& m = FPoste.Machine();
    if (m.Journal == this) {
        m.Journal = nullptr;
        m.RendezVous = UINT64_MAX;
    }
}

bool TRelectureSession::MonteImage(int slot, const TImageSession& im, std::string& erreur) {
    TLecteurs& l = FPoste.Lecteurs;
    if (!l.Disques[size_t(slot)].NomFichier.empty()) l.Ejecte(slot);
    FChemins[size_t(slot)].clear();
    if (!im.Present) return true;
    // A file of its own for each image given: the one a drive held stays as
    // it was when the next one comes.
    const std::string chemin = FDossier + "/" + Format("lecteur%d-%d.img", LecteurDuSlot(slot), ++FNbImages);
    if (!EcritFichierAtomique(chemin, im.Octets, erreur)) return false;
    if (std::string e = l.InsereDisque(slot, chemin, "\u202F"); !e.empty()) {
        erreur = Format("L'image %s du lecteur %d de la session ne peut pas être remise : ", im.Nom.c_str(),
                        LecteurDuSlot(slot)) + e;
        return false;
    }
    if (im.Protege && !l.Disques[size_t(slot)].Protege) l.BasculeProtection(slot);
    FChemins[size_t(slot)] = chemin;
    return true;
}

void TRelectureSession::PlaceRendezVous(TMachine& m) const {
    uint64_t r = FSession.Info.FinInstruction;
    if (FEvenement < FSession.Evenements.size()) r = std::min(r, FSession.Evenements[FEvenement].Instruction);
    if (FControle < FSession.Controles.size()) r = std::min(r, FSession.Controles[FControle].Instruction);
    m.RendezVous = FEtat == TEtatRelecture::EnCours ? r : UINT64_MAX;
}

void TRelectureSession::Arrete(TMachine& m, TEtatRelecture etat, std::string message) {
    FEtat = etat;
    FMessage = std::move(message);
    m.RendezVous = UINT64_MAX;
    if (m.EtatCPU == CPURun) m.ChangeEtatCPU(CPUStop);
}

void TRelectureSession::Desynchronise(TMachine& m, const std::string& quoi) {
    FInstructionDesync = m.NbInstructions;
    Arrete(m, TEtatRelecture::Desynchronisee,
           "Désynchronisation à l'instruction " + TexteInstruction(m.NbInstructions) + " : " + quoi);
}

void TRelectureSession::Abandonne(TMachine& m) {
    if (FEtat != TEtatRelecture::EnCours) return;
    FEtat = TEtatRelecture::Abandonnee;
    FMessage = "Relecture abandonnée à l'instruction " + TexteInstruction(m.NbInstructions) +
               " : la machine a été modifiée, elle continue seule";
    m.RendezVous = UINT64_MAX;
}

bool TRelectureSession::Applique(TMachine& m, const TEvenement& e) {
    FApplique = true;
    bool ok = true;
    std::string erreur;
    switch (e.Type) {
    case TTypeEvenement::Touche: m.AjouteTouche(e.Entree); break;
    case TTypeEvenement::Raz: m.TBRazClick(); break;
    case TTypeEvenement::Int: m.TBIntClick(); break;
    case TTypeEvenement::Modification: {
        size_t composant = 0;
        if (!AppliqueDifference(m, &FHorloge, e.Difference, composant, erreur)) {
            Desynchronise(m, erreur);
            ok = false;
        }
        break;
    }
    case TTypeEvenement::Disque:
        if (!MonteImage(e.Slot, e.Image, erreur)) {
            Desynchronise(m, erreur);
            ok = false;
        }
        break;
    case TTypeEvenement::Reglages:
        FHorloge.Synchronise(&m); // the time so far at the former frequency
        FHorloge.HorlogeKHz = e.HorlogeKHz;
        FHorloge.NsParInstruction =
            e.NsParInstruction == SansDureeFixe ? std::nullopt : std::optional(e.NsParInstruction);
        m.TimeOutImpr = e.TimeOutImpr;
        if (SurHorloge) SurHorloge(e.HorlogeKHz);
        break;
    }
    FApplique = false;
    return ok;
}

bool TRelectureSession::Verifie(TMachine& m, const TControleSession& c) {
    FHorloge.Synchronise(&m);
    const TEmpreintes e = Empreintes(m, &FHorloge);
    for (size_t i = 0; i < NbComposants; ++i)
        if (e[i] != c.Empreintes[i]) {
            Desynchronise(m, std::string(NomComposant(i)) + " diffère de l'enregistrement");
            return false;
        }
    if (m.NbCycles != c.Cycles) {
        Desynchronise(m, "le nombre d'états T diffère de l'enregistrement");
        return false;
    }
    return true;
}

void TRelectureSession::Frontiere(TMachine& m) {
    if (FEtat != TEtatRelecture::EnCours) return;
    const uint64_t n = m.NbInstructions;
    const auto& evs = FSession.Evenements;
    const auto& cs = FSession.Controles;
    for (;;) {
        // A fingerprint comes after the events recorded before it.
        if (FControle < cs.size() && cs[FControle].NbEvenements <= FEvenement) {
            if (cs[FControle].Instruction < n) return Desynchronise(m, "un contrôle a été dépassé");
            if (cs[FControle].Instruction == n) {
                if (!Verifie(m, cs[FControle++])) return;
                continue;
            }
        }
        if (FEvenement < evs.size() && evs[FEvenement].Instruction <= n) {
            if (evs[FEvenement].Instruction < n) return Desynchronise(m, "un événement a été dépassé");
            if (!Applique(m, evs[FEvenement++])) return;
            continue;
        }
        break;
    }
    if (n >= FSession.Info.FinInstruction && FEvenement == evs.size() && FControle == cs.size()) {
        Arrete(m, TEtatRelecture::Finie, "Fin de la session à l'instruction " + TexteInstruction(n));
        return;
    }
    PlaceRendezVous(m);
}

// The keyboard belongs to the session while it plays.
bool TRelectureSession::Touche(TMachine&, uint16_t) { return FApplique || FEtat != TEtatRelecture::EnCours; }

void TRelectureSession::Raz(TMachine& m) {
    if (!FApplique) Abandonne(m);
}

void TRelectureSession::Int(TMachine& m) {
    if (!FApplique) Abandonne(m);
}

void TRelectureSession::AvantModification(TMachine& m) {
    if (!FApplique) Abandonne(m);
}
