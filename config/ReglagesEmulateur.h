// The emulator settings window as a value: the positions of its controls,
// filled from the machine record and the settings, then stored back in a
// fixed order (fields, model change, settings file) with a report of what
// the confirmation changed. The window only maps its controls to it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Hote.h"
#include "debugger/MessagesDebogueur.h"

struct TMachine;
struct TParametres;

// Posted to each debugger window after a model change: Param1 = 1 when the
// model has two banks (the debugger shows its bank controls), 0 otherwise.
constexpr uint32_t MsgChoixBanque = MsgBanques;

// The windows of the debugger that follow the bank choice; the debugger
// provides it (empty function: no debugger window is open).
using TFenetresDebogueur = std::function<std::vector<TIdFenetre>()>;

// Items of the lists and radio groups, in position order.
extern const std::array<const char*, 3> CouleursTexte;
extern const std::array<const char*, 4> PlansGraphiques;
extern const std::array<const char*, 4> CouleursGraphiques;
extern const std::array<const char*, 4> ModesClavier;
extern const std::array<const char*, 2> TypesDisquettes;

struct TReglagesEmulateur {
    int CoulTexte = 0;              // RGCoulTexte: IndCoulTxt
    int PlansG = 3;                 // RGPlansG: PlansGraph - 1
    int CoulGraph = 0;              // RGCoulGraph: IndCoulGrph
    int Clavier = 1;                // CBClavier: ModeClavier + 1 (current mode)
    int EmulRam = 0;                // CBEmulRam: Machine
    std::array<bool, 8> Switches{}; // [n] = CBDn = bit n of NumPoste
    int Dsq12 = 0;                  // RGDsq12: TypeDsq12
    bool operator==(const TReglagesEmulateur&) const = default;
};

// What a confirmation did, in the order it was done.
struct TEffetsEmulateur {
    bool Couleurs = false;          // a colour setting changed (the screen is repainted anyway)
    bool Raz = false;               // another model: the machine was reset
    size_t MessagesBanque = 0;      // 0x420 posted to this many debugger windows
    bool DisquettesAuDemarrage = false; // drives 1 and 2 change type at the next start
    bool Fichier = false;           // the settings file was written
};

// FormActivate: the controls for the fields in force. A keyboard mode the
// list does not hold selects nothing (-1).
TReglagesEmulateur LitReglagesEmulateur(const TMachine& m, const TParametres& p);

// A position outside its list (nothing selected) leaves its field as it is.
bool PositionValide(int position, size_t taille);

// BtnOKClick then the main window's part: IndCoulTxt, PlansGraph,
// IndCoulGrph, ModeClavier, NumPoste, TypeDsq12, Machine and MaxAdrRam;
// ChangeMachine; EcrireParametres; the colours chosen and the screen
// repainted through the machine's host.
TEffetsEmulateur AppliqueReglagesEmulateur(const TReglagesEmulateur& r, TMachine& m, TParametres& p,
                                           const TFenetresDebogueur& debogueur);

// A model change made by the settings window: a model other than the one in
// force resets the machine ("RAZ"); the model in force becomes the old one;
// each debugger window is told whether banks exist. Returns true on reset.
bool ChangeMachine(TMachine& m, const TFenetresDebogueur& debogueur, size_t* messages = nullptr);
