#include "debugger/FenetreCode.h"

#include <algorithm>

#include "debugger/Inspection.h"
#include "debugger/MessagesDebogueur.h"

TFenetreCode::TFenetreCode(TDebogueur& d) : D(d) {
    FFenetre = D.Distributeur().Abonne([this](const TMessage& m) { RecoitMessage(m); });
    D.FenCode.push_back(FFenetre);
    FActif = D.Machine().EtatCPU == CPUStop;
    FChoixUtilisables = DeuxBanques(D.Machine());
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
    FAdr1 = adr1;
    FAdr2 = adr2;
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
    if (FAdr1 < 0 || FAdr2 < 0 || FAdr2 < FAdr1)
        FLignes.clear();
    else
        FLignes = Dasm(D.Machine(), D.Symboles, FAdr1, Banque(), FAdr2);
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
