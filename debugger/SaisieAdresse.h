// The address entry of the debugger windows, without any widget: the text
// of the edit box, its key filter, the reading of one address or a range
// "DEBUT FIN" (hexadecimal), the normal form written back on Enter and the
// choice of a symbol. TEditAdresse (debugger/EditAdresseQt.h) is its view.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "debugger/Symboles.h"

// Both addresses read from a text; -1 = none.
struct TAdressesLues {
    int32_t Adr1 = -1;
    int32_t Adr2 = -1;
    bool operator==(const TAdressesLues&) const = default;
};

// The text without blanks and control characters at its ends; the first
// word (up to the first blank) read as hexadecimal, stopping at the first
// character that is not a digit (an empty word gives 0); when that word is
// nothing but digits, the first word of the rest the same way. Each value is
// limited to 0xFFFF.
TAdressesLues LitAdresses(std::string_view texte);

// The range an address opens: `adresse` + 511, limited to 0xFFFF.
int32_t FinParDefaut(int32_t adresse);

class TSaisieAdresse {
public:
    // Raised when a new address is confirmed (Enter, a symbol chosen), the
    // first before the second, each only when set.
    std::function<void()> OnAdrChange;
    std::function<void()> OnEditChange;
    // For the view: the text was rewritten by the logic.
    std::function<void()> SurTexteReecrit;

    int32_t Adr1() const { return FAdr1; }
    int32_t Adr2() const { return FAdr2; }
    void SetAdr1(int32_t a) { FAdr1 = a; }
    void SetAdr2(int32_t a) { FAdr2 = a; }
    bool Actif() const { return FActif; }
    void SetActif(bool actif) { FActif = actif; }
    // A range of two addresses (true, the default) or a single address.
    bool Intervalle() const { return FIntervalle; }
    void SetIntervalle(bool intervalle) { FIntervalle = intervalle; }
    const std::string& Texte() const { return FTexte; }
    // The text as typed (no notification, no rewrite).
    void SetTexte(std::string texte) { FTexte = std::move(texte); }

    // Reads the text into Adr1 and Adr2.
    void EvaluerAdresses();
    // A key typed in the edit box: true when it may go in (backspace '\b',
    // Enter '\r', the blank in interval mode, the hexadecimal digits). The
    // text before the key is evaluated; Enter also confirms (Valide).
    bool Touche(char touche);
    // Enter: in interval mode a missing or reversed end becomes Adr1 + 511;
    // the text is rewritten "%.4X %.4X" (interval) or "%.4X" (single), then
    // the notifications.
    void Valide();
    // The addresses of symbol `index` of `liste` (Adr2 = Adr1 + 511, both
    // limited to 0xFFFF), the text rewritten, then the notifications. An
    // index outside the list changes nothing (false).
    bool IndexSymbole(const TListeSymboles& liste, int index);

private:
    std::string FTexte;
    int32_t FAdr1 = -1;
    int32_t FAdr2 = -1;
    bool FActif = false;
    bool FIntervalle = true;

    void Reecrit();
    void Notifie();
};
