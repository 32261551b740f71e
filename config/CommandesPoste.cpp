#include "config/CommandesPoste.h"

#include "core/Machine.h"

bool BasculePause(TMachine& m) {
    switch (m.EtatCPU) {
    case CPURun: m.ChangeEtatCPU(CPUStop); return false;
    case CPUStop:
        if (m.Hote) m.Hote->PosteMessage(MsgLanceEmulation);
        return true;
    case CPUHalt: return false;
    }
    return false;
}
