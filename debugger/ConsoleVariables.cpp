// The console's commands for the watch window, the stack view, the
// converter and the code windows: the same logic as TVarForm, TStackForm,
// TConvertForm and TDasmForm, printed one row per line.
#include "debugger/Console.h"

#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Conversions.h"
#include "debugger/Debogueur.h"
#include "debugger/FenetreCode.h"
#include "debugger/Variables.h"

namespace {

std::string LigneVariable(const TLigneVariable& l) {
    return l.Legende + " | " + l.Banque + " | " + l.Type + " | " + l.Contenu;
}

// "octet", "car", "ptr", "32", "64", "flottant" (letter case ignored).
int TypeNomme(const std::string& nom) {
    const char* noms[NbTypesVariable] = {"octet", "car", "ptr", "32", "64", "flottant"};
    for (int t = 0; t < NbTypesVariable; ++t)
        if (EgalSansCasse(nom, noms[t])) return t;
    return -1;
}

// An address of the address entry: above FFFF counts as FFFF.
std::optional<int32_t> AdresseEntree(const std::string& mot) {
    const auto a = LitHexa(mot, UINT64_MAX);
    if (!a) return std::nullopt;
    return *a > 0xFFFF ? 0xFFFF : int32_t(*a);
}

} // namespace

bool TConsoleDebogueur::CmdVar(const TArgumentsConsole& a) {
    TVariables& v = D.Variables;
    if (a.empty()) {
        v.MajVariables(M);
        if (v.Lignes().empty()) Ecrit("var : aucune variable");
        for (const TLigneVariable& l : v.Lignes()) Ecrit(LigneVariable(l));
        return true;
    }
    if (a.size() > 3 || a.size() < 2) return Malforme();
    const auto adr = LitHexa(a[0], UINT64_MAX);
    if (!adr) return Malforme();
    if (*adr > 0xFFFF) return Erreur("var : adresse au-delà de FFFFH : " + a[0]);
    const int type = TypeNomme(a[1]);
    if (type < 0) return Erreur("var : type inconnu « " + a[1] + " » (octet, car, ptr, 32, 64 ou flottant)");
    uint8_t banque = 0;
    if (a.size() == 3) {
        if (EgalSansCasse(a[2], "data")) banque = 1;
        else if (!EgalSansCasse(a[2], "logiciel")) return Erreur("var : banque « " + a[2] + " » inconnue (logiciel ou data)");
    }
    v.Nouvelle();
    const int ligne = v.AjoutVariable(TDescripteurVar{uint16_t(*adr), banque, uint8_t(type)}.Valeur(), D.Symboles);
    v.MajVariables(M);
    Ecrit(LigneVariable(v.Lignes()[size_t(ligne)]));
    return true;
}

bool TConsoleDebogueur::CmdVarMoins(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    const auto n = LitDecimal(a[0], UINT32_MAX);
    if (!n) return Malforme();
    TVariables& v = D.Variables;
    if (*n < 1 || *n > v.Lignes().size())
        return Erreur(Format("var- : pas de ligne %s (%zu variable%s)", a[0].c_str(), v.Lignes().size(),
                             v.Lignes().size() > 1 ? "s" : ""));
    const std::string legende = v.Lignes()[size_t(*n - 1)].Legende;
    v.SupprimeLigne(int(*n - 1));
    Ecrit("var- : " + legende + " retirée");
    return true;
}

bool TConsoleDebogueur::CmdPile(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    D.Pile.MajPile(M);
    if (D.Pile.Lignes().empty()) Ecrit(Format("pile : aucune ligne (SP = %.4XH)", unsigned(M.RegSP)));
    for (const TLignePile& l : D.Pile.Lignes()) Ecrit(l.Texte());
    return true;
}

bool TConsoleDebogueur::CmdConv(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    // As the entry takes the keys: "," is the decimal point, "e" the exponent.
    std::string t = a[0];
    for (char& c : t) {
        if (c == ',') c = '.';
        if (c == 'e') c = 'E';
    }
    if (!FlottantLisible(t)) return Erreur("conv : valeur flottante illisible : " + a[0]);
    Ecrit(FlottantVersHexa(t));
    return true;
}

bool TConsoleDebogueur::CmdConvHex(const TArgumentsConsole& a) {
    if (a.empty()) return Malforme();
    std::string t;
    for (const std::string& mot : a) t += (t.empty() ? "" : " ") + mot;
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front()) t = t.substr(1, t.size() - 2);
    if (!HexVersOctets(t).Valide)
        return Erreur("conv-hex : au plus 8 groupes de chiffres hexadécimaux séparés par des blancs : " + t);
    Ecrit(HexaVersFlottant(t));
    return true;
}

bool TConsoleDebogueur::CmdCode(const TArgumentsConsole& a) {
    if (a.empty() || a.size() > 3) return Malforme();
    TArgumentsConsole mots = a;
    TChoixBanqueCode choix = TChoixBanqueCode::CPU;
    const std::string& dernier = mots.back();
    if (EgalSansCasse(dernier, "data") || EgalSansCasse(dernier, "logiciel") || EgalSansCasse(dernier, "cpu")) {
        choix = EgalSansCasse(dernier, "data")       ? TChoixBanqueCode::Data
                : EgalSansCasse(dernier, "logiciel") ? TChoixBanqueCode::Logiciel
                                                     : TChoixBanqueCode::CPU;
        mots.pop_back();
    }
    if (mots.empty() || mots.size() > 2) return Malforme();
    const auto debut = AdresseEntree(mots[0]);
    if (!debut) return Malforme();
    int32_t fin = std::min(*debut + 511, 0xFFFF);
    if (mots.size() == 2) {
        const auto f = AdresseEntree(mots[1]);
        if (!f || *f < *debut) return Malforme();
        fin = *f;
    }
    TFenetreCode fenetre(D);
    fenetre.Activation();
    if (choix == TChoixBanqueCode::Data && !fenetre.ChoixUtilisables())
        return Erreur("code : ce modèle n'a qu'une banque, « Banque data » est indisponible");
    fenetre.Choisit(choix);
    fenetre.ChangeAdresses(*debut, fin);
    for (const TLigneListing& l : fenetre.Lignes()) Ecrit(l.Texte);
    return true;
}
