#include "core/DisqueDur.h"

#include "core/Machine.h"

void ControleWinch(TMachine& m, uint8_t a) {
    if (!(a & 0x80)) {
        m.EtatCtrlWin = ewSelect;
        return;
    }
    if (m.EtatCtrlWin != ewSelect) return;
    if (a & 0x01) {
        if (m.OctSelWinch == 1) m.StatusWinch |= 0x01;
        return;
    }
    m.EtatCtrlWin = ewCommande;
    m.IndCmdWinch = 0;
    m.StatusWinch |= 0x80;
}

// Bytes past the end of either buffer are dropped and no longer counted.
void DonneeWinch(TMachine& m, uint8_t a) {
    switch (m.EtatCtrlWin) {
    case ewSelect: m.OctSelWinch = a; break;
    case ewCommande:
        if (m.IndCmdWinch < 0 || m.IndCmdWinch >= int32_t(m.CmdWinch.size())) break;
        m.CmdWinch[size_t(m.IndCmdWinch++)] = a;
        if (m.IndCmdWinch == 6) ExecCmdWinch(m);
        break;
    case ewParams:
        if (m.IndDataWinch < 0 || m.IndDataWinch >= int32_t(m.DataWinch.size())) break;
        m.DataWinch[size_t(m.IndDataWinch++)] = a;
        if (m.IndDataWinch == 8) ExecCmdWinch(m);
        break;
    default: break;
    }
}

// The parameter phase opens only while no parameter byte has been received
// since the reset.
void ExecCmdWinch(TMachine& m) {
    m.CptDataWinch = 0;
    const uint8_t cmd = m.CmdWinch[0];
    if ((cmd == 0x0C || cmd == 0x0E) && m.IndDataWinch == 0) {
        m.CptDataWinch = cmd == 0x0C ? 8 : 3;
        m.EtatCtrlWin = ewParams;
    }
}
