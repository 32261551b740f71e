// Replaying a recorded session: the machine put back at the session's start
// (its state, its clock, its disks as they were, copied into a folder of the
// replay's own), then every event given again at the instruction it took
// effect at, and the machine's fingerprints compared at each second of its
// time. The run loop stops at the session's end, or at the first instant
// where the machine no longer follows the recording.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "config/FichierSession.h"
#include "core/Journal.h"

class TPoste;
class THorlogeMachine;

enum class TEtatRelecture : uint8_t {
    EnCours,
    Finie,          // the end of the session was reached
    Desynchronisee, // the machine no longer follows the recording
    Abandonnee,     // the user changed the machine: it goes on by itself
};

class TRelectureSession : public IJournal {
public:
    // Puts the machine of `poste` at the session's start and follows it; the
    // images go into `dossier` (which must exist). Nullptr with the reason
    // when the session cannot start, the machine then untouched.
    static std::unique_ptr<TRelectureSession> Commence(TPoste& poste, THorlogeMachine& horloge, TSession session,
                                                       const std::string& dossier, std::string& erreur);
    ~TRelectureSession() override;
    TRelectureSession(const TRelectureSession&) = delete;
    TRelectureSession& operator=(const TRelectureSession&) = delete;

    TEtatRelecture Etat() const { return FEtat; }
    bool EnCours() const { return FEtat == TEtatRelecture::EnCours; }
    const TSession& Session() const { return FSession; }
    // Desynchronisee: where, and the record that differs.
    uint64_t InstructionDesync() const { return FInstructionDesync; }
    // "Désynchronisation à l'instruction N : le processeur diffère de
    // l'enregistrement", "Fin de la session à l'instruction N", …
    const std::string& Message() const { return FMessage; }
    // The path of the image now in slot `s` (1…6), as the replay wrote it.
    const std::string& CheminImage(int s) const { return FChemins[size_t(s)]; }
    // Told when a replayed event changes the clock (the host paces by it).
    std::function<void(uint32_t kHz)> SurHorloge;

    bool Touche(TMachine& m, uint16_t entree) override;
    void Raz(TMachine& m) override;
    void Int(TMachine& m) override;
    void Reprise(TMachine&) override {}
    void Frontiere(TMachine& m) override;
    void Suspension(TMachine&) override {}
    void AvantModification(TMachine& m) override;

private:
    TRelectureSession(TPoste& poste, THorlogeMachine& horloge, TSession session, std::string dossier);
    TPoste& FPoste;
    THorlogeMachine& FHorloge;
    TSession FSession;
    std::string FDossier;
    TEtatRelecture FEtat = TEtatRelecture::EnCours;
    std::string FMessage;
    uint64_t FInstructionDesync = 0;
    size_t FEvenement = 0, FControle = 0;
    bool FApplique = false; // an event of the session is being given: the hooks are ours
    int FNbImages = 0;
    std::array<std::string, 7> FChemins;

    bool MonteImage(int slot, const TImageSession& im, std::string& erreur);
    bool Applique(TMachine& m, const TEvenement& e);
    bool Verifie(TMachine& m, const TControleSession& c);
    void Desynchronise(TMachine& m, const std::string& quoi);
    void Arrete(TMachine& m, TEtatRelecture etat, std::string message);
    void Abandonne(TMachine& m);
    void PlaceRendezVous(TMachine& m) const;
};
