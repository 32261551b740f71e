#include "debugger/Debogueur.h"

#include <algorithm>

#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/PointsArret.h"
#include "debugger/SaisieRegistre.h"

namespace {

constexpr const char* MarquePt = "\u25A0";
constexpr const char* MarquePC = "\u25BA";

int32_t FinDepuis(int32_t debut) { return std::min(debut + 511, 0xFFFF); }

bool EstAppel(uint8_t op) {
    switch (op) {
    case 0xC4: case 0xCC: case 0xCD: case 0xD4: case 0xDC: case 0xE4: case 0xEC: case 0xF4: case 0xFC:
        return true;
    default:
        return false;
    }
}

// Length in bytes of one marker column (a blank or a 3-byte marker).
size_t LgMarque(const std::string& t, size_t pos) { return t.compare(pos, 3, MarquePt) == 0 || t.compare(pos, 3, MarquePC) == 0 ? 3 : 1; }

} // namespace

std::string TexteRefus(TRefus refus, TEtatCPU etat) {
    switch (refus) {
    case TRefus::Aucun: return {};
    case TRefus::PasArrete:
        return etat == CPUHalt ? "le processeur est arrêté par HLT (raz le relance)" : "le processeur n'est pas arrêté";
    case TRefus::PasEnCourse: return "le processeur ne tourne pas";
    case TRefus::DansInstruction: return "une instruction est en cours";
    case TRefus::AucuneLigne: return "aucune ligne n'est choisie dans le listing";
    }
    return {};
}

TDebogueur::TDebogueur(TMachine& m, TDistributeurMessages& distributeur)
    : Sondes(m, Symboles), Suivi(m, Symboles), M(m), FDistributeur(distributeur) {
    FRegistresArret = FRegistresAvant = LitRegistres(M);
    FEtatsTArret = M.NbCycles;
    FFenCPU = FDistributeur.Abonne([this](const TMessage& msg) { RecoitMessage(msg); });
    MemCodeJeu = M.CodeJeuInst;
    DemandeCourse = [this] {
        if (M.Hote) M.Hote->PosteMessage(MsgLanceEmulation);
    };
    M.SurTimerPas = [this] { TickPas(); };
    EnableChange(M.EtatCPU == CPUStop);
    ChoisitPanneau("RUN", {0, 0xFF, 0}, {0, 0, 0});
}

TDebogueur::~TDebogueur() {
    M.SurTimerPas = nullptr;
    FDistributeur.Desabonne(FFenCPU);
}

// --- Display -----------------------------------------------------------------

void TDebogueur::ChoisitLigne(int ligne) {
    FLigneChoisie = ligne >= 0 && ligne < int(FLignes.size()) ? ligne : -1;
}

std::optional<TCouleurRGB> TDebogueur::CouleurListing() const {
    if (!FControles.Listing) return std::nullopt;
    return MemCodeJeu == 0xD0 ? CouleurBanque1 : CouleurBanque0;
}

std::string TDebogueur::TexteRegistre(TRegistreCPU r) const {
    return ::TexteRegistre(LitRegistres(M).Valeur(r), LargeurRegistre(r), Decimal);
}

std::string TDebogueur::TextePCPrec() const { return ::TexteRegistre(M.PCPrec, 2, Decimal); }
std::string TDebogueur::Texte128K() const { return ::TexteRegistre(M.CodeJeuInst, 1, Decimal); }
std::string TDebogueur::TexteCommut() const { return ::TexteRegistre(M.SelMem, 1, Decimal); }

bool TDebogueur::PrendRegistresAAfficher() {
    const bool r = FRegistresAAfficher;
    FRegistresAAfficher = false;
    return r;
}

void TDebogueur::AfficheRegistres() {
    FRegistresAAfficher = true;
    DemandeAffichage();
}

void TDebogueur::DemandeAffichage() {
    if (FAffichageEnAttente || !M.Hote || !SurAffichage) return; // no window, nothing to repaint
    FAffichageEnAttente = true;
    Poste(MsgAfficheCPU, FFenCPU);
}

void TDebogueur::ChoisitPanneau(const char* texte, TCouleurRGB fond, TCouleurRGB encre) {
    FPanneau = {texte, fond, encre};
}

// --- Editing -----------------------------------------------------------------

void TDebogueur::ChangeTexteRegistre(TRegistreCPU r, const std::string& texte) {
    if (!CanChange) return;
    const uint32_t v = ValeurRegistre(texte, Decimal);
    EcritRegistre(M, r, v);
    // The stack view starts at SP, the code windows mark PC.
    if (r == rgSP) MajFenPile();
    if (r != rgPC) return;
    MajFenCode();
    // The listing follows the new PC; DebDasm, FinDasm and the address
    // entry keep the range last chosen.
    RemplitListing(M.RegPC, FinDepuis(M.RegPC));
    IndLigCour = 0;
    FLigneChoisie = 0;
    DemandeAffichage();
}

void TDebogueur::ChangeDrapeau(TDrapeauCPU d, bool leve) {
    if (!CanChange) return;
    EcritDrapeau(M, d, leve);
}

void TDebogueur::ChoisitDecimal(bool decimal) {
    Decimal = decimal;
    AfficheRegistres();
}

bool TDebogueur::ChangeTexteAdresses(const std::string& texte) {
    const std::string t = SansBlancs(texte);
    const size_t blanc = t.find_first_of(" \t");
    if (blanc == std::string::npos) return false;
    const auto debut = LitHexa(t.substr(0, blanc), 0xFFFF);
    const auto fin = LitHexa(SansBlancs(t.substr(blanc)), 0xFFFF);
    if (!debut || !fin || *fin < *debut) return false;
    ListeDasm(int32_t(*debut), int32_t(*fin));
    return true;
}

// --- Listing -------------------------------------------------------------------

void TDebogueur::RemplitListing(int32_t debut, int32_t fin) {
    MemCodeJeu = M.CodeJeuInst; // the bank is decided here
    FLignes = Dasm(M, Symboles, debut, BanqueCode(M), fin);
    FLigneChoisie = FLignes.empty() ? -1 : 0;
    ++FGeneration;
}

int TDebogueur::LigneDe(uint16_t adresse) const {
    for (size_t i = 0; i < FLignes.size(); ++i)
        if (FLignes[i].Adresse == adresse) return int(i);
    return -1;
}

void TDebogueur::ListeDasm(int32_t debut, int32_t fin) {
    FTexteAdresses = Format("%.4X %.4X", unsigned(debut), unsigned(fin));
    DebDasm = debut;
    FinDasm = fin;
    RemplitListing(debut, fin);
    IndLigCour = LigneDe(M.RegPC);
    DemandeAffichage();
}

void TDebogueur::ReDasmDebug() {
    Sondes.OublieSansPtArret(); // after every change of the breakpoints
    Suivi.SymbolesChanges();
    ListeDasm(DebDasm, FinDasm);
}

void TDebogueur::SuitPC() {
    const bool autreBanque = M.CodeJeuInst != MemCodeJeu && (M.CodeJeuInst == 0xD0 || MemCodeJeu == 0xD0);
    MemCodeJeu = M.CodeJeuInst;
    const int ligne = LigneDe(M.RegPC);
    if (ligne < 0 || autreBanque) {
        ListeDasm(M.RegPC, FinDepuis(M.RegPC));
        return;
    }
    IndLigCour = ligne;
    FLigneChoisie = ligne;
    MarqueLigne(ligne, EstPtArret(M.TblPtArret, M.RegPC), true);
}

void TDebogueur::MarqueLigne(int ligne, bool pointArret, bool pc) {
    if (ligne < 0 || ligne >= int(FLignes.size())) return;
    std::string& t = FLignes[size_t(ligne)].Texte;
    const size_t l1 = LgMarque(t, 0);
    const size_t l3 = LgMarque(t, l1 + 1);
    const std::string marques = std::string(pointArret ? MarquePt : " ") + " " + (pc ? MarquePC : " ") + " ";
    t.replace(0, l1 + 1 + l3 + 1, marques);
    DemandeAffichage();
}

std::string TDebogueur::BulleLigne(int ligne) const {
    if (ligne < 0 || ligne >= int(FLignes.size())) return {};
    return LigneDasm(M, Symboles, FLignes[size_t(ligne)].Adresse, BanqueCode(M), true).Texte;
}

bool TDebogueur::SurvolLigne(int ligne) {
    if (ligne == AncienItem) return false;
    AncienItem = ligne;
    return true;
}

// --- Commands ------------------------------------------------------------------

TRefus TDebogueur::PeutExecuter() const {
    if (FDansInstruction || M.BoucleActive) return TRefus::DansInstruction;
    if (M.EtatCPU != CPUStop) return TRefus::PasArrete;
    return TRefus::Aucun;
}

void TDebogueur::OtePC() {
    if (IndLigCour >= 0 && IndLigCour < int(FLignes.size()))
        MarqueLigne(IndLigCour, EstPtArret(M.TblPtArret, FLignes[size_t(IndLigCour)].Adresse), false);
}

void TDebogueur::MajFenetres() {
    MajFenDonnees();
    MajFenCode();
    MajFenVar();
    MajFenPile();
}

TRefus TDebogueur::Pas() {
    const TRefus refus = PeutExecuter();
    if (refus != TRefus::Aucun) return refus;
    OtePC();
    FDansInstruction = true;
    M.ExecuteUnPas();
    FDansInstruction = false;
    NoteArret();
    AfficheRegistres();
    SuitPC();
    MajFenetres();
    return TRefus::Aucun;
}

TRefus TDebogueur::PasseAuDessus() {
    const TRefus refus = PeutExecuter();
    if (refus != TRefus::Aucun) return refus;
    OtePC();
    if (EstAppel(M.ReadMem(M.RegPC, BanqueCode(M)))) {
        AdrPtRet = uint16_t(M.RegPC + 3);
        PoseArretTemporaire(M.TblPtArret, AdrPtRet);
        DemandeCourse();
        MajFenetres();
        return TRefus::Aucun;
    }
    return Pas();
}

TRefus TDebogueur::JusquA(uint16_t adresse) {
    const TRefus refus = PeutExecuter();
    if (refus != TRefus::Aucun) return refus;
    OtePC();
    AdrPtRet = adresse;
    PoseArretTemporaire(M.TblPtArret, adresse);
    DemandeCourse();
    return TRefus::Aucun;
}

TRefus TDebogueur::JusquALigne() {
    if (const TRefus refus = PeutExecuter(); refus != TRefus::Aucun) return refus;
    if (FLigneChoisie < 0 || FLigneChoisie >= int(FLignes.size())) return TRefus::AucuneLigne;
    return JusquA(FLignes[size_t(FLigneChoisie)].Adresse);
}

TRefus TDebogueur::Sort() {
    const TRefus refus = PeutExecuter();
    if (refus != TRefus::Aucun) return refus;
    OtePC();
    Sondes.ArmeSortie(M.RegSP);
    DemandeCourse();
    return TRefus::Aucun;
}

TRefus TDebogueur::Lance() {
    const TRefus refus = PeutExecuter();
    if (refus != TRefus::Aucun) return refus;
    OtePC();
    DemandeCourse();
    return TRefus::Aucun;
}

TRefus TDebogueur::Pause() {
    if (M.EtatCPU != CPURun) return TRefus::PasEnCourse;
    M.ChangeEtatCPU(CPUStop);
    MemCodeJeu = M.CodeJeuInst;
    // A loop that runs reports the stop itself when it ends.
    if (!M.BoucleActive) EtatDuCPU(CPUStop);
    return TRefus::Aucun;
}

void TDebogueur::Raz() {
    EffaceArretsTemporaires(M.TblPtArret);
    Sondes.DesarmeSortie();
    M.TBRazClick();
    EnableChange(false);
    ActiveFenetres(false);
}

bool TDebogueur::BasculePtArretLigne(int ligne) {
    if (ligne < 0 || ligne >= int(FLignes.size())) return false;
    const uint16_t a = FLignes[size_t(ligne)].Adresse;
    const bool pose = BasculePtArret(M.TblPtArret, a);
    Sondes.OublieSansPtArret();
    MarqueLigne(ligne, pose, a == M.RegPC);
    MajFenCode();
    return pose;
}

void TDebogueur::AppuiPas() {
    if (PeutExecuter() != TRefus::Aucun || !M.Hote) return;
    FPasAppuye = true;
    FIntervallePas = 500;
    M.Hote->DemarreTimer(tmPas, FIntervallePas);
}

void TDebogueur::TickPas() {
    if (!FPasAppuye) return;
    if (M.EtatCPU == CPUStop && PeutExecuter() == TRefus::Aucun) {
        FIntervallePas = 50;
        Pas();
    }
    if (FPasAppuye && M.Hote) M.Hote->DemarreTimer(tmPas, FIntervallePas);
}

void TDebogueur::RelachePas() {
    FPasAppuye = false;
    if (M.Hote) M.Hote->ArreteTimer(tmPas);
    FIntervallePas = 500;
}

// --- State display -------------------------------------------------------------

// --- What changed ---------------------------------------------------------------

void TDebogueur::NoteArret() {
    FRegistresAvant = FRegistresArret;
    FRegistresArret = LitRegistres(M);
    FEtatsTDernier = M.NbCycles - FEtatsTArret;
    FEtatsTArret = M.NbCycles;
}

// The run is over (the registers and the count are in the record again).
void TDebogueur::Arret(const TRapportArret& rapport) {
    if (rapport.Cause == TCauseArret::DejaEnCours) return;
    NoteArret();
    AfficheRegistres();
}

std::string TDebogueur::TexteEtatsT() const {
    return "états T : " + NombreFr(int64_t(EtatsTDepart())) + " depuis le départ, " +
           NombreFr(int64_t(FEtatsTDernier)) + " depuis l'arrêt précédent";
}

bool TDebogueur::RegistreChange(TRegistreCPU r) const {
    return LitRegistres(M).Valeur(r) != FRegistresAvant.Valeur(r);
}

bool TDebogueur::DrapeauChange(TDrapeauCPU d) const {
    return LitRegistres(M).Drapeau(d) != FRegistresAvant.Drapeau(d);
}

void TDebogueur::EtatDuCPU(TEtatCPU etat) {
    if (etat != CPURun) Sondes.DesarmeSortie(); // a step out ends with any stop
    switch (etat) {
    case CPURun:
        Sondes.Rearme();
        EnableChange(false);
        ActiveFenetres(false);
        ChoisitPanneau("RUN", {0, 0xFF, 0}, {0, 0, 0});
        break;
    case CPUStop:
        // Every temporary stop goes, not only the one reached: a step over
        // interrupted by a breakpoint never stops the machine later.
        EffaceArretsTemporaires(M.TblPtArret);
        EnableChange(true);
        ActiveFenetres(true);
        ChoisitPanneau("STOP", {0xFF, 0xFF, 0}, {0, 0, 0});
        // The panel only says STOP: the access that stopped the machine goes
        // to the status bar, as the console prints it.
        if (Sondes.Declenchement() && M.Hote)
            M.Hote->MessageStatut("arr\u00eat : " + TexteDeclenchement(*Sondes.Declenchement()));
        AfficheRegistres();
        ListeDasm(M.RegPC, FinDepuis(M.RegPC));
        MajFenetres();
        break;
    case CPUHalt:
        EffaceArretsTemporaires(M.TblPtArret);
        EnableChange(false);
        ActiveFenetres(false);
        ChoisitPanneau("HLT", {0xFF, 0, 0}, {0xFF, 0xFF, 0xFF});
        FControles.Reset = true;
        FControles.Pause = false;
        AfficheRegistres();
        break;
    }
    DemandeAffichage();
}

void TDebogueur::EnableChange(bool actif) {
    TEtatControles& c = FControles;
    c.Listing = c.Adresses = c.Registres = c.Drapeaux = c.BoutonsFenetres = c.Panneaux = actif;
    c.Run = c.Step = c.StepOver = c.RunTo = c.JumpToPC = c.DecHex = actif;
    c.Pause = !actif;
    c.Reset = true;
    DemandeAffichage();
}

// --- Notifications -------------------------------------------------------------

void TDebogueur::Poste(uint32_t numero, TIdFenetre fenetre, int64_t p1, int64_t p2) {
    if (M.Hote) M.Hote->PosteMessage(TMessage{numero, fenetre, p1, p2});
}

void TDebogueur::MajFenDonnees() {
    for (TIdFenetre f : FenData) Poste(MsgMajDonnees, f);
}

void TDebogueur::MajFenCode() {
    for (TIdFenetre f : FenCode) Poste(MsgMajCode, f);
}

void TDebogueur::MajFenVar() {
    if (FenVar) Poste(MsgMajVar, *FenVar);
}

void TDebogueur::MajFenPile() {
    if (FenPile) Poste(MsgMajPile, *FenPile);
}

void TDebogueur::ActiveFenetres(bool actif) {
    for (TIdFenetre f : FenData) Poste(MsgActiveFenetre, f, actif ? 1 : 0);
    for (TIdFenetre f : FenCode) Poste(MsgActiveFenetre, f, actif ? 1 : 0);
}

void TDebogueur::DebutEdit(TIdFenetre fenetre) {
    for (TIdFenetre f : FenData)
        if (f != fenetre) Poste(MsgMajCode, f);
}

void TDebogueur::RecoitMessage(const TMessage& message) {
    auto retire = [](std::vector<TIdFenetre>& liste, int64_t fenetre) {
        liste.erase(std::remove(liste.begin(), liste.end(), TIdFenetre(fenetre)), liste.end());
    };
    switch (message.Numero) {
    case MsgAfficheCPU:
        FAffichageEnAttente = false;
        if (SurAffichage) SurAffichage();
        break;
    case MsgFermeDonnees:
        retire(FenData, message.Param2);
        break;
    case MsgFermeCode:
        retire(FenCode, message.Param2);
        break;
    case MsgBanques:
        for (const auto& f : {FenRemplir, FenCopie})
            if (f) Poste(MsgBanques, *f, message.Param1, message.Param2);
        for (TIdFenetre f : FenCode) Poste(MsgBanques, f, message.Param1, message.Param2);
        for (TIdFenetre f : FenData) Poste(MsgBanques, f, message.Param1, message.Param2);
        break;
    default:
        break;
    }
}
