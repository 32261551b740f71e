#include "debugger/FenetreCode.h"
#include "debugger/VuesSuivi.h"

#include <algorithm>

#include "core/Texte.h"
#include "debugger/Inspection.h"
#include "debugger/MessagesDebogueur.h"

namespace {

void PrepareSaisie(TSaisieAdresse& s) {
    s.SetIntervalle(true);
    s.SetActif(true);
    s.SetTexte("0000 01FF");
}

} // namespace

TFenetreCode::TFenetreCode(TDebogueur& d) : D(d) {
    FFenetre = D.Distributeur().Abonne([this](const TMessage& m) { RecoitMessage(m); });
    D.FenCode.push_back(FFenetre);
    FActif = D.Machine().EtatCPU == CPUStop;
    FChoixUtilisables = DeuxBanques(D.Machine());
    PrepareSaisie(FSaisiePropre);
}

void TFenetreCode::LieSaisie(TSaisieAdresse& saisie) {
    FSaisie = &saisie;
    PrepareSaisie(saisie);
}

TFenetreCode::~TFenetreCode() {
    Ferme();
    D.Distributeur().Desabonne(FFenetre);
}

void TFenetreCode::Ferme() {
    if (!FOuverte) return;
    FOuverte = false;
    if (D.Machine().Hote)
        D.Machine().Hote->PosteMessage(TMessage{MsgFermeCode, D.FenCPU(), 0, int64_t(FFenetre)});
    else // nobody to carry the message: leave the list at once
        D.FenCode.erase(std::remove(D.FenCode.begin(), D.FenCode.end(), FFenetre), D.FenCode.end());
}

std::optional<TCouleurRGB> TFenetreCode::Couleur() const {
    if (!FActif) return std::nullopt;
    return Banque() ? CouleurBanque1 : CouleurBanque0;
}

void TFenetreCode::ChangeAdresses(int32_t adr1, int32_t adr2) {
    FSaisie->SetTexte(adr2 < 0 ? Format("%.4X", unsigned(adr1)) : Format("%.4X %.4X", unsigned(adr1), unsigned(adr2)));
    if (FSaisie->SurTexteReecrit) FSaisie->SurTexteReecrit();
    MajCode();
}

void TFenetreCode::Choisit(TChoixBanqueCode choix) {
    if (!FChoixUtilisables) choix = TChoixBanqueCode::CPU;
    FChoix = choix;
    MajCode();
}

void TFenetreCode::Activation() {
    ChoixBanques(DeuxBanques(D.Machine()));
    MajCode();
}

void TFenetreCode::ChoixBanques(bool utilisables) {
    FChoixUtilisables = utilisables;
    if (!utilisables) FChoix = TChoixBanqueCode::CPU;
    Signale();
}

void TFenetreCode::MajCode() {
    FSaisie->EvaluerAdresses();
    const int32_t a1 = FSaisie->Adr1(), a2 = FSaisie->Adr2();
    if (a1 < 0 || a2 < 0 || a2 < a1)
        FLignes.clear();
    else
        FLignes = Dasm(D.Machine(), D.Symboles, a1, Banque(), a2);
    ++FGeneration;
    Signale();
}

void TFenetreCode::RecoitMessage(const TMessage& message) {
    if (!FOuverte) return;
    switch (message.Numero) {
    case MsgActiveFenetre:
        FActif = message.Param1 != 0;
        Signale();
        break;
    case MsgMajCode:
        MajCode();
        break;
    case MsgBanques:
        ChoixBanques(message.Param1 != 0);
        break;
    default:
        break;
    }
}

std::vector<uint8_t> TFenetreCode::AccesLignes() const {
    if (!CouleursCouverture()) return {};
    return CouvertureLignes(D.Suivi.Couverture(), FLignes, Banque());
}
