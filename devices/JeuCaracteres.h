// The machine's character set as host characters: box-drawing pieces,
// French accented letters and a few symbols in place of ASCII codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Host character (Unicode code point) of a machine character code.
char32_t TraduitZorvCourier(uint16_t code);

// UTF-8 bytes of a code point (invalid code points give U+FFFD).
std::string EnUtf8(char32_t c);

// Index of the character after the one starting at `i` of a UTF-8 text (a
// stray byte counts as one character).
size_t CaractereUtf8Suivant(const std::string& s, size_t i);
