#include "devices/AideClavier.h"

#include <array>

#include "core/Texte.h"
#include "devices/JeuCaracteres.h"
#include "devices/TraductionClavier.h"

namespace {

struct TNomTouche {
    uint16_t Vk;
    const char* Nom;
};

// Names of the virtual keys the rules may look at.
constexpr std::array<TNomTouche, 22> NomsTouches = {{
    {0x0D, "Entr\u00e9e"}, {0x09, "Tab"}, {0x08, "Retour arri\u00e8re"}, {0x2D, "Inser"},
    {0x2E, "Suppr"}, {0x24, "Origine"}, {0x23, "Fin"}, {0x25, "Gauche"}, {0x27, "Droite"},
    {0x26, "Haut"}, {0x28, "Bas"}, {0x21, "Page pr\u00e9c."}, {0x22, "Page suiv."},
    {0x71, "F2"}, {0x72, "F3"}, {0x73, "F4"}, {0x74, "F5"}, {0x75, "F6"}, {0x76, "F7"},
    {0x77, "F8"}, {0x78, "F9"}, {0x20, "Espace"},
}};

struct TModif {
    bool Shift, Ctrl;
    const char* Prefixe;
};
constexpr std::array<TModif, 4> Modifs = {{
    {false, false, ""}, {true, false, "Maj+"}, {false, true, "Ctrl+"}, {true, true, "Ctrl+Maj+"},
}};

// One host input and what it gives, before runs are merged.
struct TEssai {
    std::string Touche;
    uint32_t Code;   // letter or character, to find runs
    bool Suite;      // may join a run
    std::vector<uint16_t> Entrees;
};

std::string Hexa(const std::vector<uint16_t>& e) {
    std::string s;
    for (uint16_t v : e) {
        if (!s.empty()) s += ' ';
        s += Format("%04X", v);
    }
    return s.empty() ? "(ignor\u00e9e)" : s;
}

// The text the machine gets when every entry is an ordinary character
// (attribute 0x02 or 0x03, printable code); empty otherwise.
std::string TexteMachine(const std::vector<uint16_t>& e) {
    std::string s;
    for (uint16_t v : e) {
        const uint8_t attribut = uint8_t(v >> 8), c = uint8_t(v & 0xFF);
        if (c == 0x0D && attribut == 0x03) { s += "\u21B5"; continue; }
        // Attribute 0x03: ASCII text; 0x02: the accented letters 0x10…0x1F.
        const bool texte = attribut == 0x03 ? c >= 0x20 && c != 0x7F : attribut == 0x02 && c >= 0x10 && c < 0x20;
        if (!texte) return {};
        s += EnUtf8(TraduitZorvCourier(c));
    }
    return s;
}

TContexteClavier Contexte(int32_t mode, int annee, int mois, int jour) {
    TContexteClavier ctx;
    ctx.ModeClavier = mode;
    ctx.Date.Annee = annee;
    ctx.Date.Mois = mois;
    ctx.Date.Jour = jour;
    ctx.CaptureClav = true;
    return ctx;
}

TTraduction Touche(uint16_t vk, const TModif& mod, bool alt, const TContexteClavier& ctx) {
    TMessageClavier msg;
    msg.Type = TTypeMessageClavier::ToucheEnfoncee;
    msg.Code = vk;
    msg.Shift = mod.Shift;
    msg.Ctrl = mod.Ctrl;
    msg.Alt = alt;
    return alt ? FormKeyDown(msg, ctx) : TraduitMessageClavier(msg, ctx);
}

// The same entries as with fewer modifiers (Ctrl+Maj as Ctrl, Maj as none).
bool MemeQuePlusSimple(uint16_t vk, const TModif& mod, const TTraduction& r, const TContexteClavier& ctx) {
    for (const TModif& autre : Modifs) {
        if (&autre == &mod) return false;
        if ((autre.Shift && !mod.Shift) || (autre.Ctrl && !mod.Ctrl)) continue;
        const TTraduction t = Touche(vk, autre, false, ctx);
        if (t.Consomme && t.Entrees == r.Entrees) return true;
    }
    return false;
}

// Key-downs: each key with each modifier state the rules tell apart.
void EssaisTouches(const TContexteClavier& ctx, std::vector<TEssai>& essais) {
    for (const TModif& mod : Modifs) {
        for (const TNomTouche& t : NomsTouches) {
            const TTraduction r = Touche(t.Vk, mod, false, ctx);
            if (!r.Consomme) continue;
            // A modifier that changes nothing is not worth its own line.
            if (MemeQuePlusSimple(t.Vk, mod, r, ctx)) continue;
            essais.push_back({std::string(mod.Prefixe) + t.Nom, t.Vk, false, r.Entrees});
        }
        for (uint16_t l = 'A'; l <= 'Z'; ++l) {
            const TTraduction r = Touche(l, mod, false, ctx);
            if (r.Consomme) essais.push_back({std::string(mod.Prefixe) + char(l), l, true, r.Entrees});
        }
    }
}

void EssaisAlt(const TContexteClavier& ctx, std::vector<TEssai>& essais) {
    if (Touche(0x73, Modifs[0], true, ctx).FinEmul) essais.push_back({"Alt+F4", 0, false, {}});
    for (uint16_t l = 'A'; l <= 'Z'; ++l) {
        const TTraduction r = Touche(l, Modifs[0], true, ctx);
        if (r.Consomme) essais.push_back({std::string("Alt+") + char(l), l, false, r.Entrees});
    }
}

std::string NomCaractere(char16_t c) {
    if (c == u' ') return "espace";
    return EnUtf8(c);
}

void EssaisCaracteres(const TContexteClavier& ctx, std::vector<TEssai>& essais) {
    for (char16_t c = 0x20; c <= 0xFF; ++c) {
        if (c == 0x7F) continue; // no key types it
        TMessageClavier msg;
        msg.Type = TTypeMessageClavier::Caractere;
        msg.Code = c;
        const TTraduction r = TraduitMessageClavier(msg, ctx);
        if (r.Consomme) essais.push_back({NomCaractere(c), c, true, r.Entrees});
    }
}

// Consecutive inputs whose single entry grows with their code form one line.
bool Prolonge(const TEssai& dernier, const TEssai& e) {
    return dernier.Suite && e.Suite && dernier.Entrees.size() == 1 && e.Entrees.size() == 1 &&
           e.Code == dernier.Code + 1 && e.Entrees[0] == uint16_t(dernier.Entrees[0] + 1);
}

void AjouteLignes(const std::vector<TEssai>& essais, std::vector<TLigneAideClavier>& lignes) {
    for (size_t i = 0; i < essais.size();) {
        size_t j = i;
        while (j + 1 < essais.size() && Prolonge(essais[j], essais[j + 1])) ++j;
        TLigneAideClavier l;
        if (essais[i].Touche == "Alt+F4") {
            lignes.push_back({"Alt+F4", "", "fin de l'\u00e9mulation"});
            ++i;
            continue;
        }
        if (j == i) {
            l.Touche = essais[i].Touche;
            l.Entrees = Hexa(essais[i].Entrees);
            l.Machine = TexteMachine(essais[i].Entrees);
        } else {
            l.Touche = essais[i].Touche + " \u2026 " + essais[j].Touche;
            l.Entrees = Hexa(essais[i].Entrees) + " \u2026 " + Hexa(essais[j].Entrees);
            const std::string a = TexteMachine(essais[i].Entrees), b = TexteMachine(essais[j].Entrees);
            if (!a.empty() && !b.empty()) l.Machine = a + " \u2026 " + b;
        }
        lignes.push_back(l);
        i = j + 1;
    }
}

} // namespace

std::string NomModeClavier(int32_t modeClavier) {
    switch (modeClavier) {
    case 0: return "BASIC";
    case 1: return "TTX";
    case 2: return "APL";
    default: return "INCONNU";
    }
}

std::vector<TLigneAideClavier> AideClavier(int32_t modeClavier, int annee, int mois, int jour) {
    const TContexteClavier ctx = Contexte(modeClavier, annee, mois, jour);
    std::vector<TEssai> essais;
    EssaisTouches(ctx, essais);
    EssaisAlt(ctx, essais);
    EssaisCaracteres(ctx, essais);
    std::vector<TLigneAideClavier> lignes;
    AjouteLignes(essais, lignes);
    return lignes;
}
