#include "debugger/FenetreDonnees.h"

#include <algorithm>

#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/VuesSuivi.h"

TFenetreDonnees::TFenetreDonnees(TDebogueur& d) : D(d) {
    FId = D.Distributeur().Abonne([this](const TMessage& m) { RecoitMessage(m); });
    D.FenData.push_back(FId);
    FActif = D.Machine().EtatCPU == CPUStop;
    FBanques = DeuxBanques(D.Machine());
    Editeur.SetActif(FActif);
    Editeur.OnGetData = [this](int32_t a) { return LitAcces(D.Machine(), uint16_t(a), Acces()); };
    Editeur.OnSetData = [this](int32_t a, uint8_t o) { EcritAcces(D.Machine(), uint16_t(a), Acces(), o); };
    Editeur.OnTraduit = TraduitDump;
    // The stack view reads the same memory: it follows every byte typed.
    Editeur.OnChange = [this] {
        D.MajFenDonnees();
        D.MajFenPile();
    };
    Editeur.OnEdit = [this] { D.DebutEdit(FId); };
    Editeur.OnAspect = [this](int32_t a) { return Aspect(a); };
    NoteOctets();
    ChoisitAdresses(0, 0x1FF);
}

void TFenetreDonnees::NoteOctets() {
    FChanges.Note(D.Machine().NbInstructions, [this](uint16_t a) { return LitAcces(D.Machine(), a, Acces()); });
}

bool TFenetreDonnees::CouleursCouverture() const { return D.Suivi.Couverture().Actif(); }

TAspectOctet TFenetreDonnees::Aspect(int32_t adresse) const {
    TAspectOctet a;
    const uint16_t x = uint16_t(adresse);
    a.Change = FChanges.Change(x, LitAcces(D.Machine(), x, Acces()));
    if (CouleursCouverture()) a.Acces = D.Suivi.Couverture().Acces(x, BanqueVue());
    return a;
}

std::string TFenetreDonnees::BulleOctet(int32_t adresse) const {
    const uint16_t x = uint16_t(adresse);
    const std::optional<uint8_t> banque =
        FVue == TVueMemoire::CPU ? std::nullopt : std::optional<uint8_t>(BanqueVue());
    std::string t;
    for (const std::string& l : TextesQui(D.Suivi.Ecrivains(), x, banque, D.Symboles))
        t += (t.empty() ? "" : "\n") + l;
    const uint8_t maintenant = LitAcces(D.Machine(), x, Acces());
    if (FChanges.Change(x, maintenant))
        t += Format("\nchang\u00e9 depuis le dernier arr\u00eat : %.2XH avant, %.2XH maintenant",
                    unsigned(*FChanges.Avant(x)), unsigned(maintenant));
    if (CouleursCouverture()) {
        const uint8_t acces = D.Suivi.Couverture().Acces(x, BanqueVue());
        std::string quoi;
        for (const auto& [bit, nom] : {std::pair{AccesExecute, "ex\u00e9cut\u00e9"}, std::pair{AccesLu, "lu"},
                                       std::pair{AccesEcrit, "\u00e9crit"}})
            if (acces & bit) quoi += (quoi.empty() ? "" : ", ") + std::string(nom);
        t += "\ncouverture : " + (quoi.empty() ? std::string("aucun acc\u00e8s") : quoi);
    }
    return t;
}

TFenetreDonnees::~TFenetreDonnees() {
    Ferme();
    D.Distributeur().Desabonne(FId);
}

void TFenetreDonnees::Repeint() {
    if (SurRepeint) SurRepeint();
}

void TFenetreDonnees::ChoisitAdresses(int32_t adr1, int32_t adr2) {
    adr1 = std::clamp(adr1, 0, 0xFFFF);
    if (adr2 < 0) adr2 = std::min(adr1 + 511, 0xFFFF);
    Editeur.SetAdresses(uint32_t(adr1) * 65536u + uint32_t(std::clamp(adr2, 0, 0xFFFF)));
    Repeint();
}

void TFenetreDonnees::Banques(bool deux) {
    FBanques = deux;
    // Neither bank selected, or no bank at all: the processor's view.
    if (!deux && FVue != TVueMemoire::CPU) {
        FVue = TVueMemoire::CPU;
        FChanges.Oublie();
        NoteOctets();
    }
}

void TFenetreDonnees::Active() {
    Banques(DeuxBanques(D.Machine()));
    Repeint();
}

void TFenetreDonnees::ChoisitVue(TVueMemoire vue) {
    Editeur.QuitteEdition();
    if ((vue == TVueMemoire::CPU || FBanques) && vue != FVue) {
        FVue = vue;
        FChanges.Oublie();
        NoteOctets();
    }
    Repeint();
}

void TFenetreDonnees::ApresDialogue() {
    D.MajFenetres();
}

TFenetreDonnees::TResultatRecherche TFenetreDonnees::Recherche(const std::string& texte) {
    TResultatRecherche r;
    if (!FActif) return r; // the dump is disabled while the processor runs
    const TMotif motif = LitMotif(texte);
    if (!motif.Erreur.empty()) {
        r.Message = "Recherche : " + motif.Erreur;
        return r;
    }
    const int32_t debut = Editeur.AdrDebut(), fin = Editeur.AdrFin();
    const int32_t curseur = debut + Editeur.OffsetAdr() + Editeur.OffsetCur();
    r.Adresse = Cherche(D.Machine(), debut, fin, curseur + 1, motif.Octets, Acces());
    if (!r.Adresse) r.Adresse = Cherche(D.Machine(), debut, fin, debut, motif.Octets, Acces());
    if (!r.Adresse) {
        r.Message = Format("S\u00e9quence absente de %.4X \u00e0 %.4X", unsigned(debut), unsigned(fin));
        return r;
    }
    Editeur.Montre(*r.Adresse);
    Repeint();
    return r;
}

void TFenetreDonnees::Ferme() {
    if (FFermee) return;
    FFermee = true;
    if (D.Machine().Hote) D.Machine().Hote->PosteMessage(TMessage{MsgFermeDonnees, D.FenCPU(), 0, int64_t(FId)});
    else D.FenData.erase(std::remove(D.FenData.begin(), D.FenData.end(), FId), D.FenData.end());
}

void TFenetreDonnees::RecoitMessage(const TMessage& message) {
    switch (message.Numero) {
    case MsgMajDonnees:
        NoteOctets();
        if (MajAuto) Repeint();
        D.MajFenVar();
        if (SurFocus) SurFocus();
        break;
    case MsgActiveFenetre:
        FActif = message.Param1 != 0;
        Editeur.SetActif(FActif);
        Repeint();
        break;
    case MsgMajCode: // abandon the edit in progress
        Editeur.QuitteEdition();
        Repeint();
        break;
    case MsgBanques:
        Banques(message.Param1 == 1);
        Repeint();
        break;
    default:
        break;
    }
}
