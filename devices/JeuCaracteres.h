// The machine's character set as host characters: box-drawing pieces,
// French accented letters and a few symbols in place of ASCII codes.
#pragma once

#include <cstdint>
#include <string>

// Host character (Unicode code point) of a machine character code.
char32_t TraduitZorvCourier(uint16_t code);

// UTF-8 bytes of a code point (invalid code points give U+FFFD).
std::string EnUtf8(char32_t c);
