// Dead keys of the host keyboard, composed before the character rules run:
// the host delivers "^" then "e" as two key events, the machine wants "ê".
#pragma once

#include <cstdint>
#include <string>

enum TAccentMort : uint8_t { mortAucun, mortCirconflexe, mortTrema, mortGrave, mortAigu };

class TToucheMorte {
public:
    bool EnAttente() const { return FEnAttente != mortAucun; }

    // A dead key is pressed. Returns the characters to deliver now: nothing,
    // or the accent of a dead key already waiting (it combines with nothing).
    std::u16string Frappe(TAccentMort accent);

    // Text of the next key. With a dead key waiting, its first character is
    // composed with the accent (or, when they do not combine, preceded by the
    // accent itself); the dead key is then spent. Empty text (a modifier key)
    // leaves the dead key waiting.
    std::u16string Compose(const std::u16string& texte);

    void Oublie() { FEnAttente = mortAucun; }

    // The accent as a character of its own (^ ¨ ` ´).
    static char16_t Accent(TAccentMort accent);
    // The letter with the accent, or 0 when they do not combine.
    static char16_t Combine(TAccentMort accent, char16_t lettre);

private:
    TAccentMort FEnAttente = mortAucun;
};
