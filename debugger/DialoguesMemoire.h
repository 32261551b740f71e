// The logic of the two dialogs reached from the memory windows: "Copie de
// données" (TCopieForm) and "Initialisation de mémoire" (TRempliForm). Each is
// one object for the session, subscribed to the posted messages so that the
// CPU window's bank choice (0x420) reaches it; the windows show its fields.
#pragma once

#include <cstdint>
#include <string>

#include "core/Messages.h"
#include "debugger/OutilsMemoire.h"

class TDebogueur;

// The key filter of the address and value fields: hexadecimal digits and
// backspace pass, a–f become A–F; 0 when the key is dropped.
char FiltreToucheHexa(char c);
// A field read as hexadecimal, an empty field counting as 0.
int32_t ValeurChampHexa(const std::string& texte);

// Radio buttons of one group of views ("Banque logiciel", "Banque data",
// "Mémoire vue du CPU") with the bank choice applied.
struct TChoixVue {
    TVueMemoire Vue = TVueMemoire::CPU;
    bool Actif = true; // the three buttons usable (two-bank model)
    // 0x420: 1 when the model has two banks; with 0 the processor's view is
    // forced and the buttons disabled.
    void Banques(bool deux);
};

class TDialogueRemplissage {
public:
    TDialogueRemplissage(TDebogueur& d, TDistributeurMessages& distributeur);
    ~TDialogueRemplissage();
    TDialogueRemplissage(const TDialogueRemplissage&) = delete;
    TDialogueRemplissage& operator=(const TDialogueRemplissage&) = delete;

    std::string EditAdrDeb, EditAdrFin, EditVal;
    TChoixVue Vues;
    TIdFenetre Id() const { return FId; }

    // On activation: the bank choice of the current model.
    void Active();
    // "OK": the fill through the chosen view (processor's view in bank 0).
    TBilanMemoire Valide();

private:
    TDebogueur& D;
    TDistributeurMessages& FDistributeur;
    TIdFenetre FId = 0;
};

class TDialogueCopie {
public:
    TDialogueCopie(TDebogueur& d, TDistributeurMessages& distributeur);
    ~TDialogueCopie();
    TDialogueCopie(const TDialogueCopie&) = delete;
    TDialogueCopie& operator=(const TDialogueCopie&) = delete;

    std::string EditAdrDeb, EditAdrFin, EditAdrDest;
    TChoixVue Source, Destination;
    TIdFenetre Id() const { return FId; }

    void Active();
    // "OK": the copy (the processor's view in bank 1, as the copy reads and
    // writes it).
    TBilanMemoire Valide();

private:
    TDebogueur& D;
    TDistributeurMessages& FDistributeur;
    TIdFenetre FId = 0;
};

// Both dialogs, created once for the workstation's debugger.
struct TDialoguesMemoire {
    TDialoguesMemoire(TDebogueur& d, TDistributeurMessages& distributeur)
        : Remplissage(d, distributeur), Copie(d, distributeur) {}
    TDialogueRemplissage Remplissage;
    TDialogueCopie Copie;
};
