// The workstation: one record that owns the machine, the drive table, the
// settings, the message dispatcher and (as it arrives) the debugger state,
// and wires them together once. The main window, the command-line tool, the
// tests and the benchmarks all build one; the windows are views on it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "config/Parametres.h"
#include "config/ReglagesEmulateur.h"
#include "config/ReglagesImprimante.h"
#include "core/HoteVirtuel.h"
#include "core/ImprimanteBrute.h"
#include "core/Machine.h"
#include "core/Messages.h"
#include "debugger/Inspection.h"
#include "disks/ActiviteLecteurs.h"
#include "disks/GestionDisques.h"
#include "disks/Lecteurs.h"

// A seed drawn from the host's entropy, for a machine that powers on with
// registers as random as the real one's.
uint32_t GraineAleatoire();

class TDebogueur;
class TImprimante;
class TEnregistreurSession;
class TRelectureSession;
class TRetour;
class THorlogeMachine;
class TDossierTemporaire;
struct TSession;
class ISurfaceImpression;

class TPoste {
public:
    explicit TPoste(uint32_t graine);
    virtual ~TPoste();
    TPoste(const TPoste&) = delete;
    TPoste& operator=(const TPoste&) = delete;

    TMachine& Machine() { return *FMachine; }
    const TMachine& Machine() const { return *FMachine; }
    // The windows' door on the machine.
    TInspection Inspection() { return TInspection(*FMachine); }
    TLecteurs Lecteurs;
    // The disk manager's state over the drive table: selected row, export
    // and import folders, recent images.
    TGestionDisques GestionDisques{Lecteurs};
    TParametres Parametres;
    TDistributeurMessages Distributeur;
    // The drive lights, fed by the floppy controller, timed by the host's clock.
    TActiviteLecteurs Activite;

    // The debugger's state (the CPU window's logic), one for the workstation.
    TDebogueur& Debogueur() { return *FDebogueur; }
    // The debugger windows told of the bank choice after the settings window
    // is confirmed (ChangeMachine); the debugger provides it.
    TFenetresDebogueur FenetresDebogueur;

    // The main window's close request (a ROM image could not be loaded).
    std::function<void()> SurFermeture;
    // Who handles the run message 0x401: the machine's run loop, unless the
    // debugger console takes the request to run it with its own budget.
    std::function<void()> SurDemandeLancement;
    // The run loop with a budget of instructions, its report kept (what the
    // run message does when no one takes it).
    void LanceBoucle(uint64_t budget = UINT64_MAX);

    // The host the machine talks to; nullptr detaches it.
    void ConnecteHote(IHote* hote);
    IHote* Hote() const { return FMachine->Hote; }
    void AjouteObservateur(IObservateurCPU* o);
    void RetireObservateur(IObservateurCPU* o);
    void ConnecteImprimante(IPortImprimante* imprimante) { FMachine->Imprimante = imprimante; }

    // The report of the last run of the loop the run message started
    // (Budget, at 0, before the first).
    const TRapportArret& DernierArret() const { return FDernierArret; }

    // The settings windows' part on the machine and the settings
    // (config/ReglagesEmulateur.h, config/ReglagesImprimante.h): what is in
    // force, and what is applied on OK.
    TReglagesEmulateur LitReglagesEmulateur() const;
    TEffetsEmulateur AppliqueReglagesEmulateur(const TReglagesEmulateur& r);
    // The printer dialog opens: the font size chosen becomes the one in use.
    void PrendTailleFonte();
    TReglagesImprimante LitReglagesImprimante(const std::string& texteTemps) const;
    TEffetsImprimante AppliqueReglagesImprimante(const TReglagesImprimante& r);
    // The settings file written with what is in force; false when it cannot be.
    bool EcritParametres() const;
    // The disk manager's "Enregistrer": the images in the drives become the
    // images of the next start.
    bool EnregistreImages();
    // The window's printer, composing on `surface`; connect it with
    // ConnecteImprimante.
    std::unique_ptr<TImprimante> NouvelleImprimante(ISurfaceImpression& surface);

    // The start-up sequence for the program folder `progDir` (settings, ROM
    // images) without the run message; false when an image is missing. The
    // drive table takes the geometry of the settings. Mounting the images
    // named in the settings is the next step, MonteImages. The recent images
    // of the disk manager are read from the settings file too.
    bool Demarre(const std::string& progDir);
    // The images of keys D1 … D12 into their drives; the error texts, in order.
    std::vector<std::string> MonteImages(const std::string& separateurMilliers);

    // The session being recorded or replayed, at most one at a time
    // (config/EnregistreurSession.h, config/RelectureSession.h); `horloge`
    // is the host's clock of the machine.
    TEnregistreurSession* Enregistreur() const { return FEnregistreur.get(); }
    TRelectureSession* Relecture() const { return FRelecture.get(); }
    // Starts recording from the machine now (a replay under way ends).
    void CommenceEnregistrement(THorlogeMachine& horloge);
    // The session recorded so far; the recording ends.
    TSession TermineEnregistrement();
    // Puts the machine at the start of `session` and replays it, the images
    // in a temporary folder of its own; false with the reason, the machine
    // untouched.
    bool CommenceRelecture(THorlogeMachine& horloge, TSession session, std::string& erreur);
    // The replay ends (the machine goes on by itself, on the replay's images).
    void TermineRelecture();

    // The history that lets the debugger go back in the machine's time
    // (config/Retour.h), `capacite` bytes at most; 0 turns it off. A
    // session being recorded or replayed turns it off.
    TRetour* Retour() const { return FRetour.get(); }
    void ActiveRetour(THorlogeMachine& horloge, uint64_t capacite, bool hoteMuet = false);

private:
    std::unique_ptr<TMachine> FMachine;
    std::unique_ptr<TDebogueur> FDebogueur; // after the machine: it refers to it
    TRapportArret FDernierArret;
    std::unique_ptr<TEnregistreurSession> FEnregistreur;
    std::unique_ptr<TDossierTemporaire> FDossierRelecture; // before the replay: it holds its images
    std::unique_ptr<TRelectureSession> FRelecture;
    std::unique_ptr<TRetour> FRetour;
    void RecoitMessagePrincipal(const TMessage& message);
};

// A workstation on the virtual clock, with its printer port kept as raw
// bytes: the command-line tool, the tests and the benchmarks.
class TPosteVirtuel : public TPoste {
public:
    explicit TPosteVirtuel(uint32_t graine = 0x5A0E7u);
    ~TPosteVirtuel() override;
    THoteVirtuel HoteVirtuel;
    TImprimanteBrute Imprimante;
};
