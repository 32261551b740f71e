// Recording a session: from the machine as it is now, every event that
// reaches it from outside, stamped with the instruction count where it
// takes effect, and a fingerprint of the machine at each second of its time.
// The recorder is the machine's journal while it records; what the host
// changes while the machine stands still (the debugger's writes, a loaded
// file, the settings) is taken up as the difference of the records when the
// machine runs again.
#pragma once

#include <array>
#include <cstdint>

#include "config/ClicheMachine.h"
#include "config/FichierSession.h"
#include "core/Journal.h"

class TPoste;
class THorlogeMachine;

class TEnregistreurSession : public IJournal {
public:
    // Starts from the machine of `poste` now; `horloge` is the host's clock
    // of the machine (its origin gives the clock ports' hours).
    TEnregistreurSession(TPoste& poste, THorlogeMachine& horloge);
    ~TEnregistreurSession() override;
    TEnregistreurSession(const TEnregistreurSession&) = delete;
    TEnregistreurSession& operator=(const TEnregistreurSession&) = delete;

    // Ends the recording at the machine's present instant: the session as
    // recorded; the recorder no longer follows the machine.
    TSession Termine();

    // A change the host makes while the machine runs (a byte written from a
    // debugger window): the records before it and after it.
    void AvantModification(TMachine& m);
    void ApresModification(TMachine& m);

    bool Touche(TMachine& m, uint16_t entree) override;
    void Raz(TMachine& m) override;
    void Int(TMachine& m) override;
    void Reprise(TMachine& m) override;
    void Frontiere(TMachine& m) override;
    void Suspension(TMachine& m) override;
    void ApresEvenement(TMachine& m) override;

private:
    TPoste& FPoste;
    THorlogeMachine& FHorloge;
    TSession FSession;
    bool FActif = true;
    uint64_t FDepart = 0;
    // The records when the machine last stood still (or before a change of
    // the host while it runs).
    TCliche FOmbre;
    bool FOmbreValide = false;
    int FModifications = 0; // AvantModification without its ApresModification
    bool FOmbreDeModification = false;
    bool FRafraichir = false; // an event acts on a machine standing still: its records after it
    void AvantEvenement(TMachine& m);
    std::array<uint64_t, 7> FChangements{};
    uint32_t FKHz = 0;
    uint64_t FNs = SansDureeFixe;
    int32_t FTimeOut = -1;
    uint64_t FProchainControleUs = 0;

    TEvenement Evenement(const TMachine& m, TTypeEvenement type) const;
    void Note(TEvenement e);
    // Disks and settings the host changed since the last look.
    void VerifieHote(TMachine& m);
    void PrendDifference(TMachine& m);
    void Controle(TMachine& m, bool force);
};

// What a drive holds now, as a session keeps it.
TImageSession ImageDuLecteur(const TPoste& poste, int slot);
