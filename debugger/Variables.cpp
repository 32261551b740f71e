#include "debugger/Variables.h"

#include <bit>
#include <charconv>
#include <cmath>

#include "core/Machine.h"
#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/MessagesDebogueur.h"
#include "devices/JeuCaracteres.h"

namespace {

constexpr const char* NomsTypes[NbTypesVariable] = {"Octet", "Caract\u00e8re ASCII", "Pointeur 16 bits",
                                                    "Valeur 32 bits", "Valeur 64 bits", "Valeur flottante"};

// Bytes a .. a + n - 1, each as two digits followed by a blank.
std::string Octets(const TMachine& m, const TDescripteurVar& d, int n) {
    std::string t;
    for (int i = 0; i < n; ++i) t += Format("%.2X ", unsigned(m.ReadMem(uint16_t(d.Adresse + i), d.Banque)));
    return t;
}

// The host character of a machine code, as a list cell can show it: the
// control characters among the translations become their control pictures
// (C0) or the replacement character (C1).
// "'" + the character + "'".
std::string CaractereVisible(uint8_t code) {
    char32_t c = TraduitZorvCourier(code);
    if (c < 0x20) c = 0x2400 + c;
    else if (c >= 0x7F && c < 0xA0) c = 0xFFFD;
    std::string t(1, '\'');
    t += EnUtf8(c);
    t += '\'';
    return t;
}

double DoubleEnMemoire(const TMachine& m, const TDescripteurVar& d) {
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | m.ReadMem(uint16_t(d.Adresse + i), d.Banque);
    return std::bit_cast<double>(bits);
}

} // namespace

const char* NomTypeVariable(unsigned type) { return type < NbTypesVariable ? NomsTypes[type] : "Type inconnu"; }

const char* NomBanqueVariable(unsigned banque) { return banque ? "Banque data" : "Banque logiciel"; }

TDescripteurVar TDescripteurVar::De(uint32_t valeur) {
    TDescripteurVar d;
    d.Adresse = uint16_t(valeur & 0xFFFF);
    d.Banque = (valeur >> 16 & 0xF) ? 1 : 0;
    d.Type = uint8_t(valeur >> 20 & 0xF);
    return d;
}

std::string LegendeVariable(uint16_t adresse, const TListeSymboles& symboles) {
    const std::string nom = NomSymbole(symboles, adresse);
    return nom.empty() ? Format("%.4XH", unsigned(adresse)) : Format("%s (%.4XH)", nom.c_str(), unsigned(adresse));
}

std::string TexteFlottant(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infini" : "-Infini";
    char t[400];
    const auto r = std::to_chars(t, t + sizeof t, v, std::chars_format::fixed, 14);
    return std::string(t, r.ptr);
}

std::string ContenuVariable(const TMachine& m, const TDescripteurVar& d) {
    const unsigned a = d.Adresse;
    auto octet = [&](unsigned i) { return unsigned(m.ReadMem(uint16_t(a + i), d.Banque)); };
    switch (d.Type) {
    case tvOctet: return Format("%.2XH", octet(0));
    case tvCaractere: return CaractereVisible(uint8_t(octet(0)));
    case tvPointeur: return a == 0xFFFF ? "XXXXH" : Format("%.4XH", octet(1) << 8 | octet(0));
    case tvValeur32: return a > 0xFFFC ? "XX XX XX XX" : Octets(m, d, 4);
    case tvValeur64: return a > 0xFFF8 ? "XX XX XX XX XX XX XX XX" : Octets(m, d, 8);
    case tvFlottant: return a > 0xFFF8 ? "Pas un nombre" : TexteFlottant(DoubleEnMemoire(m, d));
    default: return "????????????";
    }
}

TChampsVariable ChampsVariable(uint32_t descripteur) {
    const TDescripteurVar d = TDescripteurVar::De(descripteur);
    return {Format("%.4X", unsigned(d.Adresse)), d.Banque != 0, d.Type < NbTypesVariable ? int(d.Type) : 0};
}

// --- The list ----------------------------------------------------------------

void TVariables::Choisit(int ligne) { FSelection = ligne >= 0 && ligne < int(FLignes.size()) ? ligne : -1; }

std::optional<TChampsVariable> TVariables::Modifie() {
    FModif = true;
    if (FSelection < 0) return std::nullopt;
    return ChampsVariable(FLignes[size_t(FSelection)].Descripteur);
}

int TVariables::AjoutVariable(uint32_t descripteur, const TListeSymboles& symboles) {
    const TDescripteurVar d = TDescripteurVar::De(descripteur);
    int ligne = FSelection;
    if (!FModif || ligne < 0) {
        FLignes.emplace_back();
        ligne = int(FLignes.size()) - 1;
    }
    TLigneVariable& l = FLignes[size_t(ligne)];
    l = TLigneVariable{};
    l.Descripteur = descripteur;
    l.Legende = LegendeVariable(d.Adresse, symboles);
    l.Banque = NomBanqueVariable(d.Banque);
    l.Type = NomTypeVariable(d.Type);
    FModif = false;
    return ligne;
}

void TVariables::MajVariables(const TMachine& m) {
    const bool aBouge = FInstructions && *FInstructions != m.NbInstructions;
    FInstructions = m.NbInstructions;
    for (TLigneVariable& l : FLignes) {
        if (aBouge && !l.Contenu.empty()) l.Precedent = l.Contenu;
        l.Contenu = ContenuVariable(m, TDescripteurVar::De(l.Descripteur));
    }
}

void TVariables::SupprimeLigne(int ligne) {
    if (ligne < 0 || ligne >= int(FLignes.size())) return;
    FLignes.erase(FLignes.begin() + ligne);
    FSelection = -1;
}

void TVariables::SupprimeTout() {
    FLignes.clear();
    FSelection = -1;
}

// --- The window's notifications ------------------------------------------------

TFenetreVariables::TFenetreVariables(TDebogueur& d) : D(d) {
    FFenetre = D.Distributeur().Abonne([this](const TMessage& m) { RecoitMessage(m); });
    D.FenVar = FFenetre;
}

TFenetreVariables::~TFenetreVariables() {
    if (D.FenVar == FFenetre) D.FenVar.reset();
    D.Distributeur().Desabonne(FFenetre);
}

TVariables& TFenetreVariables::Variables() { return D.Variables; }

void TFenetreVariables::PosteDescripteur(uint32_t descripteur) {
    if (D.Machine().Hote) D.Machine().Hote->PosteMessage(TMessage{MsgAjouteVar, FFenetre, int64_t(descripteur), 0});
}

void TFenetreVariables::RecoitMessage(const TMessage& message) {
    if (message.Numero == MsgAjouteVar) {
        D.Variables.AjoutVariable(uint32_t(message.Param1), D.Symboles);
        if (SurMaj) SurMaj(); // the new row, its content still empty
        if (D.Machine().Hote) D.Machine().Hote->PosteMessage(TMessage{MsgMajVar, FFenetre, 0, 0});
    } else if (message.Numero == MsgMajVar) {
        D.Variables.MajVariables(D.Machine());
        if (SurMaj) SurMaj();
    }
}
