// The small devices behind the port map (clock, graphics clear, keyboard
// handshake, instruction-set switch); the decoder is TMachine::PortIn/PortOut.
#pragma once

#include <cstdint>

struct TMachine;

// OUT 0x81: latch the host's local date and time into the twelve digits.
void LitHorloge(TMachine& m);
// OUT 0xE3: 32 interleaved passes filling the graphics plane with GraphZ.
void EffaceGraphique(TMachine& m);
// OUT 0xC2: the keyboard mode handshake.
void ControleClavier(TMachine& m, uint8_t a);
// OUT 0x7F: instruction-set code; AdrBanque of a valid code, -1 otherwise.
int32_t AdrBanqueJeu(uint8_t code);

// Clock value read past the twelfth digit after a latch.
constexpr uint8_t HorlogeAuDela = 0x30;
