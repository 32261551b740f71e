#include "cli/ConsoleBdos.h"

#include "core/Machine.h"

bool PrepareBdos(TMachine& m, const std::vector<uint8_t>& programme) {
    if (programme.size() > size_t(AdrTrapBdos - 0x0100 - 0x100)) return false; // room for a stack below the trap
    m.ChoisitModele(0);
    m.SelMem = 0x81;
    m.Rom128K.fill(0xFF);
    for (size_t i = 0; i < programme.size(); ++i) m.WriteBank(uint16_t(AdrProgrammeBdos + i), 0, programme[i]);
    m.WriteBank(0x0000, 0, 0x76); // HLT, never reached: the stop comes first
    m.WriteBank(0x0005, 0, 0xC3); // JMP trap
    m.WriteBank(0x0006, 0, uint8_t(AdrTrapBdos & 0xFF));
    m.WriteBank(0x0007, 0, uint8_t(AdrTrapBdos >> 8));
    m.WriteBank(AdrTrapBdos, 0, 0xC9); // RET
    // A program that returns from its entry goes to 0x0000 like a warm boot.
    m.RegSP = uint16_t(AdrTrapBdos - 2);
    m.WriteBank(m.RegSP, 0, 0x00);
    m.WriteBank(uint16_t(m.RegSP + 1), 0, 0x00);
    m.RegPC = AdrProgrammeBdos;
    m.TblPtArret[0x0000] |= 2;
    m.TblPtArret[AdrTrapBdos] |= 2;
    return true;
}

namespace {

void AppelConsole(TMachine& m, FILE* console) {
    switch (m.RegC) {
    case 2: std::fputc(m.RegE, console); break;
    case 9: {
        uint16_t a = uint16_t((m.RegD << 8) | m.RegE);
        for (uint32_t n = 0; n < 0x10000; ++n, ++a) {
            const uint8_t c = m.ReadMem(a, 0);
            if (c == '$') break;
            std::fputc(c, console);
        }
        break;
    }
    default: break;
    }
}

} // namespace

TArretBdos TraiteArretBdos(TMachine& m, FILE* console) {
    if (m.RegPC == 0x0000) return TArretBdos::Fin;
    if (m.RegPC != AdrTrapBdos) return TArretBdos::Autre;
    if (m.RegC == 0) return TArretBdos::Fin; // system reset
    AppelConsole(m, console);
    const uint8_t l = m.ReadMem(m.RegSP, 0);
    const uint8_t h = m.ReadMem(uint16_t(m.RegSP + 1), 0);
    m.RegSP = uint16_t(m.RegSP + 2);
    m.PCPrec = m.RegPC;
    m.RegPC = uint16_t((h << 8) | l);
    m.ChangeEtatCPU(CPURun);
    return TArretBdos::Continue;
}
