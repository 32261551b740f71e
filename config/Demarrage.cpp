#include "config/Demarrage.h"

#include <clocale>

#include "config/Parametres.h"
#include "config/ChargeRoms.h"
#include "config/Modeles.h"
#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

// A loader's message: shown in an error box, then the window is asked to
// close (the other images are still loaded).
bool Charge(TMachine& m, const std::string& erreur) {
    if (erreur.empty()) return true;
    if (m.Hote) {
        m.Hote->MessageErreur(erreur);
        m.Hote->PosteMessage(MsgFermeture);
    }
    return false;
}

} // namespace

bool DemarrageSansLancement(TMachine& m, TParametres& p, const std::string& progDir) {
    p.ProgDir = AvecSeparateur(progDir);
    m.Machines = ListeModeles();
    LitParametres(m, p);
    // Display: the bitmap and its row references belong to the machine record.
    m.GraphX = m.GraphY = m.GraphZ = 0;
    ChoisitCouleurs(m);
    // Printer: no job open, no graphics hardcopy under way.
    m.ImprEnCours = false;
    m.ImpGraph = false;
    m.InitMachine();
    m.InitCount = m.Hote ? m.Hote->TickCount() : 0;
    bool ok = Charge(m, ChargeGenCar(m, p.GenCarZorv));
    m.PtrFonte80 = &m.Fonte80;
    m.PtrFonte128 = &m.Fonte128;
    m.FonteSelect = 0;
    ok = Charge(m, ChargeRomBoot(m, p.RomBootZorv)) && ok;
    ok = Charge(m, ChargeRom128K(m, p.ROM128KZorv)) && ok;
    std::setlocale(LC_NUMERIC, "C");
    m.CaptureClav = false;
    return ok;
}

bool Demarrage(TMachine& m, TParametres& p, const std::string& progDir) {
    const bool ok = DemarrageSansLancement(m, p, progDir);
    if (m.Hote) m.Hote->PosteMessage(MsgLanceEmulation);
    return ok;
}
