#include "debugger/Inspection.h"

#include "config/CommandesPoste.h"
#include "core/HorlogeMachine.h"
#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/OutilsMemoire.h"
#include "debugger/PointsArret.h"
#include "devices/Capture.h"
#include "devices/Ecran.h"
#include "devices/TraductionClavier.h"

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

void EcritMemoire(TMachine& m, uint16_t adresse, TVueMemoire vue, uint8_t octet, uint8_t banqueCPU) {
    EcritAcces(m, adresse, {vue, banqueCPU}, octet);
}

// --- The windows' door ---------------------------------------------------------------

TInspection::TInspection(TDebogueur& d) : M(&d.Machine()) {}

uint8_t TInspection::LitMemoire(uint16_t adresse, TVueMemoire vue, uint8_t banqueCPU) const {
    return LitAcces(*M, adresse, {vue, banqueCPU});
}

TBilanMemoire TInspection::ChargeFichier(const std::string& chemin, int32_t adresse, const TAccesMemoire& acces) {
    return ::ChargeFichier(*M, chemin, adresse, acces);
}

TBilanMemoire TInspection::SauveZone(const std::string& chemin, int32_t debut, int32_t fin,
                                     const TAccesMemoire& acces) const {
    return ::SauveZone(*M, chemin, debut, fin, acces);
}

bool TInspection::EstPtArret(uint16_t a) const { return ::EstPtArret(M->TblPtArret, a); }

bool TInspection::AjoutePtArret(uint64_t adresse) { return ::AjoutePtArret(M->TblPtArret, adresse); }

bool TInspection::RetirePtArret(uint16_t a) { return ::RetirePtArret(M->TblPtArret, a); }

bool TInspection::BasculePtArret(uint16_t a) { return ::BasculePtArret(M->TblPtArret, a); }

std::vector<uint16_t> TInspection::PtsArret() const { return ListePtArret(M->TblPtArret); }

void TInspection::DemandeLancement() {
    if (M->Hote) M->Hote->PosteMessage(MsgLanceEmulation);
}

void TInspection::DemandeArret() {
    if (M->EtatCPU == CPURun) M->ChangeEtatCPU(CPUStop);
}

bool TInspection::BasculePause() { return ::BasculePause(*M); }

void TInspection::PousseEntrees(const TTraduction& t) { ::PousseEntrees(*M, t); }

void TInspection::ChoisitSourceTouches(ISourceTouches* source) {
    M->SourceTouches = source;
    M->OffreClavier();
}

THeureLocale TInspection::HeureLocale() const { return M->Hote ? M->Hote->HeureLocale() : THeureLocale{}; }

const uint8_t* TInspection::DessineEcran() {
    ::DessineEcran(*M);
    return M->BmpEcran.data();
}

std::string TInspection::EnregistreCapture(const std::string& dossier, const THeureLocale& h, std::string& erreur) {
    return ::EnregistreCapture(*M, dossier, h, erreur);
}

void TInspection::MessageInfo(const std::string& texte) const {
    if (M->Hote) M->Hote->MessageInfo(texte);
}

void TInspection::MessageErreur(const std::string& texte) const {
    if (M->Hote) M->Hote->MessageErreur(texte);
}

void TInspection::SynchroniseHorloge(THorlogeMachine& h) const { h.Synchronise(M); }

void TInspection::DeclencheHorloge(THorlogeMachine& h) { h.Declenche(M); }
