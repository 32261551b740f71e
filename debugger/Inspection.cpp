#include "debugger/Inspection.h"

#include "core/Texte.h"

namespace {

constexpr const char* Noms[NbRegistresCPU] = {"SP", "PC", "H", "L", "D", "E", "B", "C", "A"};

} // namespace

int LargeurRegistre(TRegistreCPU r) { return r == rgSP || r == rgPC ? 2 : 1; }

const char* NomRegistre(TRegistreCPU r) { return Noms[r]; }

std::optional<TRegistreCPU> RegistreNomme(std::string_view nom) {
    for (int i = 0; i < NbRegistresCPU; ++i)
        if (EgalSansCasse(nom, Noms[i])) return TRegistreCPU(i);
    return std::nullopt;
}

uint32_t TRegistresCPU::Valeur(TRegistreCPU r) const {
    switch (r) {
    case rgSP: return SP;
    case rgPC: return PC;
    case rgH: return H;
    case rgL: return L;
    case rgD: return D;
    case rgE: return E;
    case rgB: return B;
    case rgC: return C;
    case rgA: return A;
    }
    return 0;
}

TRegistresCPU LitRegistres(const TMachine& m) {
    TRegistresCPU r;
    r.A = m.RegA, r.B = m.RegB, r.C = m.RegC, r.D = m.RegD, r.E = m.RegE, r.H = m.RegH, r.L = m.RegL;
    r.PSW = m.RegPSW;
    r.SP = m.RegSP, r.PC = m.RegPC, r.PCPrec = m.PCPrec;
    r.CodeJeuInst = m.CodeJeuInst, r.SelMem = m.SelMem;
    return r;
}

void EcritRegistre(TMachine& m, TRegistreCPU r, uint32_t valeur) {
    const uint8_t octet = uint8_t(valeur);
    switch (r) {
    case rgSP: m.RegSP = uint16_t(valeur); break;
    case rgPC: m.RegPC = uint16_t(valeur); break;
    case rgH: m.RegH = octet; break;
    case rgL: m.RegL = octet; break;
    case rgD: m.RegD = octet; break;
    case rgE: m.RegE = octet; break;
    case rgB: m.RegB = octet; break;
    case rgC: m.RegC = octet; break;
    case rgA: m.RegA = octet; break;
    }
}

void EcritDrapeau(TMachine& m, TDrapeauCPU d, bool leve) {
    m.RegPSW = leve ? uint8_t(m.RegPSW | d) : uint8_t(m.RegPSW & ~d);
}

std::string LigneRegistres(const TRegistresCPU& r) {
    return Format("A=%.2X B=%.2X C=%.2X D=%.2X E=%.2X H=%.2X L=%.2X PSW=%.2X SP=%.4X PC=%.4X", r.A, r.B, r.C,
                  r.D, r.E, r.H, r.L, r.PSW, r.SP, r.PC);
}

std::string LigneRegistresDrapeaux(const TRegistresCPU& r) {
    return LigneRegistres(r) + Format(" S=%d Z=%d AC=%d P=%d CY=%d", r.Drapeau(drS), r.Drapeau(drZ),
                                      r.Drapeau(drAC), r.Drapeau(drP), r.Drapeau(drCY));
}

uint8_t LitMemoire(const TMachine& m, uint16_t adresse, TVueMemoire vue) {
    switch (vue) {
    case TVueMemoire::CPU: return m.ReadMem(adresse, 0);
    case TVueMemoire::Banque0: return m.ReadBank(adresse, 0);
    case TVueMemoire::Banque1: return m.ReadBank(adresse, 1);
    }
    return 0xFF;
}
