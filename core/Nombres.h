// Numbers typed by the user, in one convention for the whole program:
// addresses, bytes and port numbers are hexadecimal ("2100", "2100H",
// "0x2100", "0FFH", "$FF"); counts are decimal, sizes may end in K or M.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Hexadecimal with an optional "0x"/"$" prefix or "H" suffix; nothing else
// around the digits. Empty when malformed or above `max`.
std::optional<uint64_t> LitHexa(std::string_view texte, uint64_t max);
// Decimal digits; with `suffixes`, a final K (× 1024) or M (× 1024²).
std::optional<uint64_t> LitDecimal(std::string_view texte, uint64_t max, bool suffixes = false);
// The value of the leading decimal digits (optional sign, blanks skipped
// before), `defaut` when there is none; clamped to the int32 range.
int32_t ValeurChiffresTete(std::string_view texte, int32_t defaut);
// Value of a hexadecimal digit, or -1.
int ValeurHexa(char c);
