// The keyboard queue: twelve 16-bit entries, attribute in the high byte and
// character in the low byte; entry 0 is the oldest.
#include "core/Machine.h"

void TMachine::AjouteTouche(uint16_t entree) {
    if (NbCarClav < 12) BufClav[size_t(NbCarClav++)] = entree;
}

void TMachine::RetireTouche() {
    if (NbCarClav <= 0) return;
    for (size_t i = 1; i < BufClav.size(); ++i) BufClav[i - 1] = BufClav[i];
    BufClav[11] = 0;
    --NbCarClav;
    OffreClavier(true); // the software takes an entry with an IN/OUT
}

uint8_t TMachine::LitCaractereTouche() const {
    return NbCarClav > 0 ? uint8_t(BufClav[0] & 0xFF) : 0;
}

uint8_t TMachine::LitAttributTouche() const {
    return NbCarClav > 0 ? uint8_t(BufClav[0] >> 8) : 0;
}

void TMachine::VideClavier() {
    BufClav.fill(0);
    NbCarClav = 0;
}
