// Dead keys of the host keyboard composed with the next letter, as the host
// system does before it sends a character message: ^ then e gives ê. The
// window layer remembers the pending accent between two key events.
#pragma once

#include <cstdint>
#include <string>

enum class TAccent : uint8_t { Aucun, Grave, Aigu, Circonflexe, Trema };

// The accent of a dead Qt key (Qt::Key value as a plain integer), or Aucun.
TAccent AccentDeCleMorte(int cleQt);

// The accent typed on its own: ` ´ ^ ¨ (0 for Aucun).
char16_t CaractereAccent(TAccent a);

// The characters to translate after dead key `a` when the next key types
// `suivant`: the composed letter when the accent combines with it, the accent
// alone for a space, otherwise the accent followed by `suivant`.
std::u16string ComposeApresCleMorte(TAccent a, char16_t suivant);

// A character an input method composed from a dead key and a key that the
// host keyboard of the machine's era never combined (^ then 1 gives "¹"
// there): the two characters it was typed as, accent first ("^1"). Empty
// for any other character.
std::u16string RepliComposition(char16_t compose);
