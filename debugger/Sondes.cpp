#include "debugger/Sondes.h"

#include <algorithm>

#include "core/Texte.h"
#include "debugger/ExpressionAsm.h"
#include "debugger/Inspection.h"
#include "debugger/PointsArret.h"

namespace {

// The value of a register or flag name (upper case), or nothing.
std::optional<int32_t> ValeurRegistreNomme(const TMachine& m, const std::string& nom) {
    const auto paire = [](uint8_t h, uint8_t l) { return int32_t((h << 8) | l); };
    const auto drapeau = [&m](uint8_t bit) { return int32_t((m.RegPSW & bit) ? 1 : 0); };
    if (nom == "A") return m.RegA;
    if (nom == "B") return m.RegB;
    if (nom == "C") return m.RegC;
    if (nom == "D") return m.RegD;
    if (nom == "E") return m.RegE;
    if (nom == "H") return m.RegH;
    if (nom == "L") return m.RegL;
    if (nom == "BC") return paire(m.RegB, m.RegC);
    if (nom == "DE") return paire(m.RegD, m.RegE);
    if (nom == "HL") return paire(m.RegH, m.RegL);
    if (nom == "SP") return m.RegSP;
    if (nom == "PC") return m.RegPC;
    if (nom == "S") return drapeau(drS);
    if (nom == "Z") return drapeau(drZ);
    if (nom == "AC") return drapeau(drAC);
    if (nom == "P") return drapeau(drP);
    if (nom == "CY") return drapeau(drCY);
    return std::nullopt;
}

} // namespace

const char* TexteAcces(uint8_t acces) {
    return acces == asLecture ? "l" : acces == asEcriture ? "e" : "le";
}

const char* TexteVue(TVueSurv vue) {
    switch (vue) {
    case TVueSurv::CPU: return "cpu";
    case TVueSurv::Logiciel: return "logiciel";
    case TVueSurv::Data: return "data";
    }
    return "?";
}

std::string TexteSurveillance(const TPointSurv& p) {
    std::string t = Format("%.4XH", unsigned(p.Debut));
    if (p.Fin != p.Debut) t += Format("-%.4XH", unsigned(p.Fin));
    return t + " " + TexteAcces(p.Acces) + " " + TexteVue(p.Vue);
}

std::string TexteDeclenchement(const TDeclenchement& d) {
    if (d.Sortie) return Format("retour de routine à %.4XH", unsigned(d.Adresse));
    if (d.Ecriture)
        return Format("écriture de %.4XH (%.2XH → %.2XH) par %.4XH", unsigned(d.Adresse), unsigned(d.Avant),
                      unsigned(d.Apres), unsigned(d.PC));
    return Format("lecture de %.4XH par %.4XH", unsigned(d.Adresse), unsigned(d.PC));
}

TSondesDebogueur::TSondesDebogueur(TMachine& m, const TListeSymboles& symboles) : M(m), FSymboles(symboles) {
    M.Sonde = this;
    MajChemin();
}

TSondesDebogueur::~TSondesDebogueur() {
    if (M.Sonde == this) {
        M.Sonde = nullptr;
        M.SondeMemoire = false;
    }
}

// --- Conditions -------------------------------------------------------------------

std::optional<std::string> TSondesDebogueur::VerifieCondition(const std::string& texte) const {
    if (SansBlancs(texte).empty()) return "condition vide";
    // Every name left undefined: the syntax is checked without values (so
    // that no division by zero of the moment refuses a sound condition),
    // then each name must be a register, a flag or a symbol.
    std::vector<std::string> noms;
    TContexteExpr ctx;
    ctx.Comparaisons = true;
    ctx.Octet = [](uint16_t) { return 0; };
    ctx.Symbole = [&noms](const std::string& nom) -> std::optional<int32_t> {
        noms.push_back(nom);
        return std::nullopt;
    };
    try {
        EvalueExpression(texte, ctx);
    } catch (const TErreurSource& e) {
        return std::string("condition incorrecte : ") + e.what();
    }
    for (const std::string& n : noms)
        if (!ValeurRegistreNomme(M, n) && IndexSymboleNomme(FSymboles, n) < 0)
            return "condition incorrecte : symbole inconnu " + n;
    return std::nullopt;
}

std::optional<std::string> TSondesDebogueur::PoseCondition(uint16_t adresse, const std::string& texte) {
    const std::string t = SansBlancs(texte);
    if (t.empty()) {
        FConditions.erase(adresse);
        return std::nullopt;
    }
    if (auto erreur = VerifieCondition(t)) return erreur;
    FConditions[adresse] = t;
    return std::nullopt;
}

std::string TSondesDebogueur::Condition(uint16_t adresse) const {
    const auto i = FConditions.find(adresse);
    return i == FConditions.end() ? std::string() : i->second;
}

bool TSondesDebogueur::ConditionVraie(const std::string& texte) const {
    TContexteExpr ctx;
    ctx.Comparaisons = true;
    ctx.Dollar = M.RegPC;
    ctx.Octet = [this](uint16_t a) { return int32_t(M.ReadMem(a, 0)); };
    ctx.Symbole = [this](const std::string& nom) -> std::optional<int32_t> {
        if (auto r = ValeurRegistreNomme(M, nom)) return r;
        const int i = IndexSymboleNomme(FSymboles, nom);
        if (i < 0) return std::nullopt;
        return FSymboles[size_t(i)].Adresse;
    };
    try {
        const TValeurExpr v = EvalueExpression(texte, ctx);
        return !v.NonDefini.empty() || v.Valeur != 0;
    } catch (const TErreurSource&) {
        return true;
    }
}

void TSondesDebogueur::OublieSansPtArret() {
    std::erase_if(FConditions, [this](const auto& c) { return !EstPtArret(M.TblPtArret, c.first); });
}

bool TSondesDebogueur::ArretPermis(uint16_t adresse) {
    const auto i = FConditions.find(adresse);
    return i == FConditions.end() || ConditionVraie(i->second);
}

// --- Watchpoints --------------------------------------------------------------------

bool TSondesDebogueur::AjouteSurveillance(const TPointSurv& p) {
    TPointSurv q = p;
    if (q.Fin < q.Debut) std::swap(q.Debut, q.Fin);
    if (q.Acces == 0) q.Acces = asLes2;
    if (std::find(FSurveillances.begin(), FSurveillances.end(), q) != FSurveillances.end()) return false;
    FSurveillances.push_back(q);
    MajChemin();
    return true;
}

int TSondesDebogueur::RetireSurveillance(uint16_t debut) {
    const size_t n = std::erase_if(FSurveillances, [debut](const TPointSurv& p) { return p.Debut == debut; });
    MajChemin();
    return int(n);
}

bool TSondesDebogueur::RetireSurveillanceNo(size_t index) {
    if (index >= FSurveillances.size()) return false;
    FSurveillances.erase(FSurveillances.begin() + std::ptrdiff_t(index));
    MajChemin();
    return true;
}

void TSondesDebogueur::EffaceSurveillances() {
    FSurveillances.clear();
    MajChemin();
}

bool TSondesDebogueur::Surveille(uint16_t adresse, uint8_t banque, uint8_t acces) const {
    for (const TPointSurv& p : FSurveillances) {
        if (!(p.Acces & acces) || adresse < p.Debut || adresse > p.Fin) continue;
        if (p.Vue == TVueSurv::CPU || (p.Vue == TVueSurv::Logiciel) == (banque == 0)) return true;
    }
    return false;
}

bool TSondesDebogueur::Touche(const TDeclenchement& d) {
    if (!FDeclenchement) FDeclenchement = d; // the first access of the instruction
    return true;
}

void TSondesDebogueur::ArmeSortie(uint16_t sp) {
    FSortie = sp;
    MajChemin();
}

void TSondesDebogueur::DesarmeSortie() {
    FSortie.reset();
    MajChemin();
}

namespace {

// RET and the eight conditional returns (taken: they read the stack).
bool EstRetour(uint8_t op) { return op == 0xC9 || (op & 0xC7) == 0xC0; }

} // namespace

// The first byte of the return address read by a return of the frame the
// step out began in.
bool TSondesDebogueur::FinDeSortie(uint16_t adresse, uint8_t banque, uint16_t pc) {
    if (!FSortie || adresse < *FSortie || !EstRetour(M.ReadMem(pc, BanqueCode(M)))) return false;
    const uint16_t retour = uint16_t(M.ReadMem(adresse, banque) | M.ReadMem(uint16_t(adresse + 1), banque) << 8);
    TDeclenchement d{false, retour, banque, 0, 0, pc};
    d.Sortie = true;
    return Touche(d);
}

bool TSondesDebogueur::Lecture(uint16_t adresse, uint8_t banque, uint8_t valeur, uint16_t pc) {
    if (FinDeSortie(adresse, banque, pc)) return true;
    if (!Surveille(adresse, banque, asLecture)) return false;
    return Touche({false, adresse, banque, valeur, valeur, pc});
}

bool TSondesDebogueur::Ecriture(uint16_t adresse, uint8_t banque, uint8_t avant, uint8_t apres, uint16_t pc) {
    if (!Surveille(adresse, banque, asEcriture)) return false;
    return Touche({true, adresse, banque, avant, apres, pc});
}
