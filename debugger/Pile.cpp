#include "debugger/Pile.h"

#include "core/Machine.h"
#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/MessagesDebogueur.h"

std::string TLignePile::Colonne(int i) const {
    switch (i) {
    case 0: return Format("%.4X", unsigned(Adresse));
    case 1: return Format("%.2X", unsigned(Octet));
    case 2: return Format("%.2X", unsigned(OctetSuivant));
    default: return Format("%.4X", unsigned(Mot()));
    }
}

std::string TLignePile::Texte() const { return Colonne(0) + ' ' + Colonne(1) + ' ' + Colonne(2) + ' ' + Colonne(3); }

void TVuePile::MajPile(const TMachine& m) {
    const bool aBouge = FInstructions && *FInstructions != m.NbInstructions;
    if (aBouge) FPrecedents = FMontres;
    const bool comparer = FInstructions.has_value();
    FInstructions = m.NbInstructions;
    FLignes.clear();
    FMontres.clear();
    for (int32_t a = m.RegSP; a < 0xFFFF && int(FLignes.size()) < NbLignesPileMax; a += 2) {
        TLignePile l;
        l.Adresse = uint16_t(a);
        l.Octet = m.ReadMem(uint16_t(a), 0);
        l.OctetSuivant = m.ReadMem(uint16_t(a + 1), 0);
        if (comparer && !FPrecedents.empty()) {
            const auto p = FPrecedents.find(l.Adresse);
            l.Change = p == FPrecedents.end() || p->second != l.Mot();
        }
        FMontres[l.Adresse] = l.Mot();
        FLignes.push_back(l);
    }
}

void TVuePile::Oublie() {
    FInstructions.reset();
    FPrecedents.clear();
    FMontres.clear();
}

void TFenetrePile::Ouvre() {
    D.Pile.Oublie();
    D.Pile.MajPile(D.Machine());
    if (SurMaj) SurMaj();
}

TFenetrePile::TFenetrePile(TDebogueur& d) : D(d) {
    FFenetre = D.Distributeur().Abonne([this](const TMessage& msg) {
        if (msg.Numero != MsgMajPile) return;
        D.Pile.MajPile(D.Machine());
        if (SurMaj) SurMaj();
    });
    D.FenPile = FFenetre;
}

TFenetrePile::~TFenetrePile() {
    if (D.FenPile == FFenetre) D.FenPile.reset();
    D.Distributeur().Desabonne(FFenetre);
}
