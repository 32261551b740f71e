// Memory map of the processor: boot ROM / second ROM and video RAM overlays
// below 0x2000 (selected by the memory switch), banked RAM above, absent RAM
// past the model's limit.
#include <cstdio>

#include "core/Machine.h"

namespace {

std::string MessageEcritureRom(bool boot, uint16_t pc, uint16_t a, uint8_t d) {
    char buf[96];
    std::snprintf(buf, sizeof buf, boot ? "Ecriture en ROM boot PC=%.4X, Adresse=%.4X, Donn\u00e9e=%.2X"
                                        : "Ecriture en ROM 9512 PC=%.4X, Adresse=%.4X, Donn\u00e9e=%.2X",
                  unsigned(pc), unsigned(a), unsigned(d));
    return buf;
}

} // namespace

uint8_t TMachine::ReadMemBas(uint16_t a, uint8_t b) const {
    const bool ram = (SelMem & 0x80) != 0;
    if (ram) return ZorvMem[(uint32_t(b) << 16) | a];
    if (a < 0x1000) return SelMem == 0 ? Rom9512[a] : RomBoot[a];
    return RamTv[a - 0x1000];
}

void TMachine::WriteMemBas(uint16_t a, uint8_t b, uint8_t d) {
    if (SelMem & 0x80) {
        ZorvMem[(uint32_t(b) << 16) | a] = d;
        return;
    }
    if (a < 0x1000) {
        if (Hote) Hote->MessageErreur(MessageEcritureRom(SelMem != 0, RegPC, a, d));
        return;
    }
    RamTv[a - 0x1000] = d;
    RafraichitEcran();
}

void TMachine::RafraichitEcran() {
    if (!Hote || Hote->TimerActif(tmEcran)) return;
    Hote->DemarreTimer(tmEcran, 40);
    Hote->Repeint();
}

uint16_t TMachine::MaxAdrRamModele(int32_t machine) {
    if (machine <= 3) return 0xFFFF;
    if (machine > 16) machine = 16;
    return uint16_t(0xEFFF - (machine - 4) * 0x1000);
}

void TMachine::ChoisitModele(int32_t machine) {
    if (machine < 0 || machine > 16) machine = 0;
    Machine = machine;
    MaxAdrRam = MaxAdrRamModele(machine);
}

void TMachine::ApresRestauration() {
    FonteSelect &= 1;
    PtrFonte80 = FonteSelect ? &Fonte80APL : &Fonte80;
    PtrFonte128 = FonteSelect ? &Fonte128APL : &Fonte128;
}
