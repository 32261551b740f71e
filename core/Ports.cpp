// Input/output port decoder: every port of the machine, and the small devices
// that live entirely here (instruction set and memory switch, display
// control, graphics registers and clear, clock, DIP switches, keyboard and
// printer handshakes).
#include "core/Ports.h"

#include <cstdio>

#include "core/Arith9512.h"
#include "core/DisqueDur.h"
#include "core/Machine.h"
#include "disks/ControleurDsq.h"

int32_t AdrBanqueJeu(uint8_t code) {
    switch (code) {
    case 0x00: return 0x000;
    case 0x80: return 0x100;
    case 0x40: return 0x200;
    case 0xD0: return 0x300;
    case 0x20: return 0x400;
    case 0xA0: return 0x500;
    default: return -1;
    }
}

void LitHorloge(TMachine& m) {
    if (!m.Hote) return;
    const THeureLocale h = m.Hote->HeureLocale();
    const int chiffres[12] = {h.Milli / 100, h.Seconde % 10, h.Seconde / 10, h.Minute % 10,
                              h.Minute / 10, h.Heure % 10,   h.Heure / 10,   h.Jour % 10,
                              h.Jour / 10,   h.JourSemaine,  h.Mois % 10,    h.Mois / 10};
    for (size_t i = 0; i < 12; ++i) m.DateEtHeure[i] = uint8_t(0x30 + chiffres[i] % 10);
    m.IndDateHeure = 0;
}

void EffaceGraphique(TMachine& m) {
    for (int p = 0; p < 32; ++p) {
        for (int x = p; x < 256; x += 32)
            for (int y = 0; y < 256; ++y) m.GraphZorv[size_t(x * 256 + y)] = m.GraphZ;
        if (m.Hote) {
            m.Hote->Repeint();
            m.Hote->Dors(5);
        }
    }
}

// Bit 7 clear opens the 50 ms window (mode unknown); bit 7 set inside the
// window acknowledges: the first one empties the queue and asks for the ready
// entry 1 ms later, the others count the mode up from code outside the boot
// ROM. The mode stops at 2, the highest the keyboard knows.
void ControleClavier(TMachine& m, uint8_t a) {
    if (!m.Hote) return;
    const bool fenetre = m.Hote->TimerActif(tmClavier50);
    if (!(a & 0x80)) {
        if (!fenetre) {
            m.Hote->DemarreTimer(tmClavier50, 50);
            m.ModeClavier = -1;
        }
        return;
    }
    if (!fenetre) return;
    const bool inconnu = m.ModeClavier == -1;
    if (inconnu) {
        m.VideClavier();
        m.Hote->DemarreTimer(tmClavier1, 1);
        m.ClavierPret = true;
    }
    if ((inconnu || (m.RegPC >= 0x1000 && m.SelMem == 1)) && m.ModeClavier < 2) ++m.ModeClavier;
}

namespace {

void JeuInstructions(TMachine& m, uint8_t a) {
    if (m.Machine != 0) return;
    m.CodeJeuInst = a;
    const int32_t adr = AdrBanqueJeu(a);
    if (adr < 0) {
        char texte[64];
        std::snprintf(texte, sizeof texte, "Mauvaise valeur de jeu d'instructions : %.2XH", unsigned(a));
        if (m.Hote) m.Hote->MessageErreur(texte);
        return;
    }
    m.AdrBanque = uint16_t(adr);
}

void ControleAffichage(TMachine& m, uint8_t a) {
    m.Mode128Col = (a & 0x80) != 0;
    if ((a & 1) != m.FonteSelect) {
        m.FonteSelect ^= 1;
        m.PtrFonte80 = m.FonteSelect ? &m.Fonte80APL : &m.Fonte80;
        m.PtrFonte128 = m.FonteSelect ? &m.Fonte128APL : &m.Fonte128;
    }
    if (m.Hote) m.Hote->Repeint();
}

void PointGraphique(TMachine& m, uint8_t a) {
    m.GraphZ = a & 0x0F;
    m.GraphZorv[size_t(m.GraphX) * 256 + m.GraphY] = m.GraphZ;
    if (m.Hote && !m.Hote->TimerActif(tmEcran)) m.Hote->DemarreTimer(tmEcran, 40);
}

void StrobeImprimante(TMachine& m, uint8_t a) {
    if (!(m.StrobeImpr & 0x02) && (a & 0x02) && m.Imprimante) m.Imprimante->ImprimeCaractere();
    m.StrobeImpr = a;
}

uint8_t DonneeClavier(const TMachine& m) {
    if (m.NbCarClav <= 0) return 0x7F;
    uint8_t c = m.LitCaractereTouche();
    const bool lettre = (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A);
    if (lettre && m.TBKbdDown) c ^= 0x20;
    return c;
}

uint8_t LitChiffreHorloge(TMachine& m) {
    if (m.IndDateHeure < 0 || m.IndDateHeure >= int32_t(m.DateEtHeure.size())) return HorlogeAuDela;
    return m.DateEtHeure[size_t(m.IndDateHeure++)];
}

} // namespace

uint8_t TMachine::PortIn(uint8_t port, uint8_t a) {
    switch (port) {
    case 0x85: return StatusWinch;
    case 0x97: return NumPoste;
    case 0x99: return LitStatusCtrlDsq(*this);
    case 0xA1: return LitChiffreHorloge(*this);
    case 0xA5: return a;
    case 0xB9: return LitCtrlDsq(*this);
    case 0xC2: return DonneeClavier(*this);
    case 0xC3: return GraphZorv[size_t(GraphX) * 256 + GraphY];
    case 0xCF: return 0x0B;
    case 0xE2:
        if (!ClavierPret && (!Hote || !Hote->TimerActif(tmClavier50))) {
            ClavierPret = true;
            OffreClavier(true);
        }
        return NbCarClav > 0 ? uint8_t(LitAttributTouche() | 0x80) : 0;
    case 0xE3: return 0x80;
    case 0xEF: return Depile9512(*this);
    case 0xFF: return Status9512;
    default: return 0;
    }
}

void TMachine::PortOut(uint8_t port, uint8_t a) {
    switch (port) {
    case 0x7F: JeuInstructions(*this, a); break;
    case 0x81: LitHorloge(*this); break;
    case 0x82: ControleAffichage(*this, a); break;
    case 0x83: GraphX = a; break;
    case 0x85: ControleWinch(*this, a); break;
    case 0x8F:
        if (Machine < 3) SelMem = a & 0x81;
        break;
    case 0xA3: GraphY = a; break;
    case 0xA5: DonneeWinch(*this, a); break;
    case 0xAF: CarImpr = a; break;
    case 0xB9: EcritCtrlDsq(*this, a); break;
    case 0xC2: ControleClavier(*this, a); break;
    case 0xC3: PointGraphique(*this, a); break;
    case 0xC5: AddrDMAWinch = uint16_t((AddrDMAWinch & 0x00FF) | (a << 8)); break;
    case 0xCF: StrobeImprimante(*this, a); break;
    case 0xE2: RetireTouche(); break;
    case 0xE3: EffaceGraphique(*this); break;
    case 0xE5: AddrDMAWinch = uint16_t((AddrDMAWinch & 0xFF00) | a); break;
    case 0xEF: Empile9512(*this, a); break;
    case 0xFF: Commande9512(*this, a); break;
    default: break;
    }
}
