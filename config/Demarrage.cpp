#include "config/Demarrage.h"

#include <clocale>

#include "config/Parametres.h"
#include "config/RomsDemarrage.h"
#include "core/Machine.h"
#include "devices/Ecran.h"

std::string AvecSeparateur(const std::string& dossier) {
    if (dossier.empty()) return "./";
    return dossier.back() == '/' ? dossier : dossier + "/";
}

bool Demarrage(TMachine& m, TParametres& p, const std::string& progDir) {
    p.ProgDir = AvecSeparateur(progDir);
    m.Machines = RomsDemarrage::ListeModeles();
    LitParametres(m, p);
    // Display: the bitmap and its row references belong to the machine record.
    m.GraphX = m.GraphY = m.GraphZ = 0;
    ChoisitCouleurs(m);
    // Printer: no job open, no graphics hardcopy under way.
    m.ImprEnCours = false;
    m.ImpGraph = false;
    m.InitMachine();
    m.InitCount = m.Hote ? m.Hote->TickCount() : 0;
    bool ok = RomsDemarrage::ChargeGenCar(m, p.GenCarZorv);
    ok = RomsDemarrage::ChargeRomBoot(m, p.RomBootZorv) && ok;
    ok = RomsDemarrage::ChargeRom128K(m, p.ROM128KZorv) && ok;
    std::setlocale(LC_NUMERIC, "C");
    m.CaptureClav = false;
    if (m.Hote) {
        if (!ok) m.Hote->PosteMessage(MsgFermeture);
        m.Hote->PosteMessage(MsgLanceEmulation);
    }
    return ok;
}
