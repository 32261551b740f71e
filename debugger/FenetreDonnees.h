// One memory window ("Affichage de données", THexDataForm) without its
// widgets: the hex editor's model wired to the emulated memory through the
// chosen view, the auto-update box, the enabled states, the posted messages
// it answers (0x404, 0x405, 0x406, 0x420) and the search. The CPU window's
// logic lists it in FenData while it is open.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/Messages.h"
#include "debugger/HexEdit.h"
#include "debugger/OctetsChanges.h"
#include "debugger/OutilsMemoire.h"

class TDebogueur;

class TFenetreDonnees {
public:
    // Subscribes and joins the CPU window's list of data windows.
    explicit TFenetreDonnees(TDebogueur& d);
    ~TFenetreDonnees();
    TFenetreDonnees(const TFenetreDonnees&) = delete;
    TFenetreDonnees& operator=(const TFenetreDonnees&) = delete;

    static constexpr const char* TexteInitial = "0000 01FF";

    THexEditModele Editeur;
    TIdFenetre Id() const { return FId; }
    TVueMemoire Vue() const { return FVue; }
    bool MajAuto = true; // "Mise à jour automatique"

    // Enabled states of the controls.
    bool Actif() const { return FActif; }                      // address entry, dump, auto-update
    bool VueCPUActive() const { return FBanques; }              // "Mémoire vue du CPU"
    bool VuesBanquesActives() const { return FBanques && FActif; } // "Banque logiciel", "Banque data"

    // The widgets' side: repaint the dump and its controls; give the dump
    // the focus inside its window.
    std::function<void()> SurRepeint;
    std::function<void()> SurFocus;

    // The address entry's range (Adr2 = -1: none, the range is 512 bytes).
    void ChoisitAdresses(int32_t adr1, int32_t adr2);
    // Activation: the bank choice of the current model.
    void Active();
    // A view button: leaves edit mode, repaints.
    void ChoisitVue(TVueMemoire vue);
    // After the copy or fill dialog closed: every window refreshes.
    void ApresDialogue();
    // "Rechercher": the next match after the cursor (from the start of the
    // range once the end is passed); the editor shows it in edit mode.
    // Empty with a French message when the pattern is malformed or absent.
    struct TResultatRecherche {
        std::optional<int32_t> Adresse;
        std::string Message;
    };
    TResultatRecherche Recherche(const std::string& motif);
    // The bytes that changed since the last stop are drawn in red (noted at
    // each refresh request, 0x404); while the coverage is on, every byte on
    // the colour of its accesses in the bank the view reads.
    bool CouleursCouverture() const;
    TAspectOctet Aspect(int32_t adresse) const;
    // The hint of a byte: who wrote it ("qui"), what it was at the last stop
    // when it changed, its accesses while the coverage is on.
    std::string BulleOctet(int32_t adresse) const;
    // The window closes: the CPU window forgets it (0x403).
    void Ferme();

private:
    TDebogueur& D;
    TIdFenetre FId = 0;
    TVueMemoire FVue = TVueMemoire::CPU;
    bool FActif = true;
    bool FBanques = true;
    bool FFermee = false;
    TOctetsChanges FChanges;

    TAccesMemoire Acces() const { return {FVue, 0}; }
    void Banques(bool deux);
    void Repeint();
    void NoteOctets();
    // The bank the view reads: the processor's view reads bank 0.
    uint8_t BanqueVue() const { return FVue == TVueMemoire::Banque1 ? 1 : 0; }
    void RecoitMessage(const TMessage& message);
};
