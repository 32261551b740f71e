// The stack view, without any widget: the rows of the "Pile du CPU" window
// (TStackForm), the words above the stack pointer, and the rows whose word
// changed since the processor last moved.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Messages.h"

struct TMachine;
class TDebogueur;

struct TLignePile {
    uint16_t Adresse = 0;
    uint8_t Octet = 0, OctetSuivant = 0; // [Adresse], [Adresse+1]
    uint16_t Mot() const { return uint16_t(OctetSuivant << 8 | Octet); }
    // The word differs from the one shown at that address before the
    // processor last moved, or the address was not shown then (pushed).
    bool Change = false;
    // "FFFE", "34", "12", "1234": the four columns.
    std::string Colonne(int i) const;
    // "FFFE 34 12 1234"
    std::string Texte() const;
};

constexpr int NbLignesPileMax = 255;

class TVuePile {
public:
    const std::vector<TLignePile>& Lignes() const { return FLignes; }
    // MajPile: a row for RegSP, RegSP + 2 … while below FFFF, at most 255
    // rows, read in bank 0 as the processor sees it.
    void MajPile(const TMachine& m);
    // The next rebuild has nothing to compare with: no row is drawn as
    // changed (the window opens on rows the user has not seen before).
    void Oublie();

private:
    std::vector<TLignePile> FLignes;
    std::optional<uint64_t> FInstructions;  // NbInstructions at the last rebuild
    std::map<uint16_t, uint16_t> FPrecedents; // address → word before the processor moved
    std::map<uint16_t, uint16_t> FMontres;    // address → word shown by the last rebuild
};

// The stack window's end of the notifications: subscribes as the debugger's
// FenPile and rebuilds the view on 0x414, then SurMaj.
class TFenetrePile {
public:
    explicit TFenetrePile(TDebogueur& d);
    ~TFenetrePile();
    TFenetrePile(const TFenetrePile&) = delete;
    TFenetrePile& operator=(const TFenetrePile&) = delete;

    TIdFenetre Fenetre() const { return FFenetre; }
    std::function<void()> SurMaj;
    // The window opens: the rows as they are now, none drawn as changed.
    void Ouvre();

private:
    TDebogueur& D;
    TIdFenetre FFenetre = 0;
};
