#include "debugger/DialoguesMemoire.h"

#include <algorithm>

#include "core/Nombres.h"
#include "debugger/Debogueur.h"
#include "debugger/MessagesDebogueur.h"

char FiltreToucheHexa(char c) {
    if (c == '\b' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) return c;
    if (c >= 'a' && c <= 'f') return char(c - 'a' + 'A');
    return 0;
}

int32_t ValeurChampHexa(const std::string& texte) {
    int32_t v = 0;
    for (char c : texte) {
        const int h = ValeurHexa(c);
        if (h < 0) break; // the leading digits only
        v = v * 16 + h;
        if (v > 0xFFFFFF) break;
    }
    return v;
}

void TChoixVue::Banques(bool deux) {
    Actif = deux;
    if (!deux) Vue = TVueMemoire::CPU;
}

// --- Fill ------------------------------------------------------------------------

TDialogueRemplissage::TDialogueRemplissage(TDebogueur& d, TDistributeurMessages& distributeur)
    : D(d), FDistributeur(distributeur) {
    FId = FDistributeur.Abonne([this](const TMessage& m) {
        if (m.Numero == MsgBanques) Vues.Banques(m.Param1 == 1);
    });
    D.FenRemplir = FId;
}

TDialogueRemplissage::~TDialogueRemplissage() { FDistributeur.Desabonne(FId); }

void TDialogueRemplissage::Active() { Vues.Banques(DeuxBanques(D.Machine())); }

TBilanMemoire TDialogueRemplissage::Valide() {
    const int32_t debut = std::min(ValeurChampHexa(EditAdrDeb), 0xFFFF);
    const int32_t fin = std::min(ValeurChampHexa(EditAdrFin), 0xFFFF);
    const uint8_t valeur = uint8_t(ValeurChampHexa(EditVal));
    return Remplit(D.Machine(), debut, fin, valeur, {Vues.Vue, 0});
}

// --- Copy -------------------------------------------------------------------------

TDialogueCopie::TDialogueCopie(TDebogueur& d, TDistributeurMessages& distributeur)
    : D(d), FDistributeur(distributeur) {
    FId = FDistributeur.Abonne([this](const TMessage& m) {
        if (m.Numero != MsgBanques) return;
        Source.Banques(m.Param1 == 1);
        Destination.Banques(m.Param1 == 1);
    });
    D.FenCopie = FId;
}

TDialogueCopie::~TDialogueCopie() { FDistributeur.Desabonne(FId); }

void TDialogueCopie::Active() {
    Source.Banques(DeuxBanques(D.Machine()));
    Destination.Banques(DeuxBanques(D.Machine()));
}

TBilanMemoire TDialogueCopie::Valide() {
    const int32_t debut = std::min(ValeurChampHexa(EditAdrDeb), 0xFFFF);
    const int32_t fin = std::min(ValeurChampHexa(EditAdrFin), 0xFFFF);
    const int32_t dest = std::min(ValeurChampHexa(EditAdrDest), 0xFFFF);
    return Copie(D.Machine(), debut, fin, dest, {Source.Vue, 1}, {Destination.Vue, 1});
}

// --- The debugger's pair of dialogs ---------------------------------------------------

TDialoguesMemoire& TDebogueur::DialoguesMemoire() {
    if (!FDialoguesMemoire) FDialoguesMemoire = std::make_shared<TDialoguesMemoire>(*this, FDistributeur);
    return *FDialoguesMemoire;
}
