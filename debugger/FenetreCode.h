// A code window ("Affichage de code", TDasmForm) without its widgets: the
// range from its address entry, the bank choice, the listing and its
// colour, and the notifications 0x405, 0x406, 0x420 and 0x408. Any number
// of them; each subscribes to the dispatcher and joins the debugger's
// FenCode while it is open.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/Messages.h"
#include "debugger/Debogueur.h"
#include "debugger/SaisieAdresse.h"

// The three exclusive choices of the window.
enum class TChoixBanqueCode : uint8_t {
    CPU,      // "Mémoire vue du CPU": bank 0 as the processor sees it
    Logiciel, // "Banque logiciel": the same memory
    Data      // "Banque data": bank 1
};

class TFenetreCode {
public:
    explicit TFenetreCode(TDebogueur& d);
    ~TFenetreCode();
    TFenetreCode(const TFenetreCode&) = delete;
    TFenetreCode& operator=(const TFenetreCode&) = delete;

    TIdFenetre Fenetre() const { return FFenetre; }
    // The window closes: 0x408 with itself to the CPU window; from then on
    // it is no longer refreshed.
    void Ferme();

    // --- What the window shows -----------------------------------------------
    const std::vector<TLigneListing>& Lignes() const { return FLignes; }
    // Changes with every listing (the view refills its list then).
    uint32_t Generation() const { return FGeneration; }
    TChoixBanqueCode Choix() const { return FChoix; }
    bool ChoixUtilisables() const { return FChoixUtilisables; }
    // 0x405: the address entry and the list are usable.
    bool Actif() const { return FActif; }
    // 1 for "Banque data", else 0.
    uint8_t Banque() const { return FChoix == TChoixBanqueCode::Data ? 1 : 0; }
    // The bank colour of the listing; none (the system's menu colour) while
    // the window is disabled.
    std::optional<TCouleurRGB> Couleur() const;
    std::function<void()> SurMaj; // the window repaints
    // While the coverage is on, the access bits of each line in the bank
    // listed (debugger/VuesSuivi.h); empty while it is off.
    std::vector<uint8_t> AccesLignes() const;
    bool CouleursCouverture() const { return D.Suivi.Couverture().Actif(); }

    // --- The address entry ----------------------------------------------------
    // Interval mode, active, "0000 01FF" at first. The window's TEditAdresse
    // lends its own logic (LieSaisie) so that MajCode reads what is typed.
    TSaisieAdresse& Saisie() { return *FSaisie; }
    void LieSaisie(TSaisieAdresse& saisie);

    // --- Gestures ------------------------------------------------------------
    // The range written into the address entry ("%.4X %.4X"), then listed.
    void ChangeAdresses(int32_t adr1, int32_t adr2);
    // One of the three choices clicked: list.
    void Choisit(TChoixBanqueCode choix);
    // The window becomes active: bank choices (usable on the two-bank model),
    // then the listing.
    void Activation();
    // 0x420 and activations: the choices usable or not; unusable selects
    // "Mémoire vue du CPU".
    void ChoixBanques(bool utilisables);
    // MajCode: the address entry evaluated, then Dasm from Adr1 to Adr2 in
    // the chosen bank, or an empty list when there is no second address or
    // it is below the first.
    void MajCode();

private:
    TDebogueur& D;
    TIdFenetre FFenetre = 0;
    bool FOuverte = true;
    TSaisieAdresse FSaisiePropre;
    TSaisieAdresse* FSaisie = &FSaisiePropre;
    TChoixBanqueCode FChoix = TChoixBanqueCode::CPU;
    bool FChoixUtilisables = true;
    bool FActif = true;
    std::vector<TLigneListing> FLignes;
    uint32_t FGeneration = 0;
    void RecoitMessage(const TMessage& message);
    void Signale() {
        if (SurMaj) SurMaj();
    }
};
