// Input/output port decoder (the devices are wired in as they are built).
#include "core/Machine.h"

uint8_t TMachine::PortIn(uint8_t, uint8_t) { return 0; }

void TMachine::PortOut(uint8_t, uint8_t) {}
