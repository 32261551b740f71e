// Host key and character messages turned into entries of the machine's
// keyboard queue (attribute byte high, character low).
#include "devices/TraductionClavier.h"

#include <array>
#include <cstdio>

#include "core/Machine.h"

namespace {

// Windows virtual-key codes named by the rules.
enum : uint16_t {
    VkBack = 0x08, VkTab = 0x09, VkReturn = 0x0D, VkSpace = 0x20,
    VkPrior = 0x21, VkNext = 0x22, VkEnd = 0x23, VkHome = 0x24,
    VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28,
    VkInsert = 0x2D, VkDelete = 0x2E,
    VkF2 = 0x71, VkF3 = 0x72, VkF4 = 0x73, VkF5 = 0x74, VkF6 = 0x75,
    VkF7 = 0x76, VkF8 = 0x77, VkF9 = 0x78
};

// F5 takes base 0: alone it gives attribute 0x03 and with Ctrl 0x00, like its
// neighbours F4 and F6; with Shift it gives 0x01.
constexpr uint8_t BaseAttributF5 = 0x00;

constexpr uint16_t Entree(uint8_t attribut, uint8_t caractere) {
    return uint16_t((attribut << 8) | caractere);
}

struct TCorresp {
    char16_t Car;
    uint16_t Premiere, Seconde; // Seconde = 0: one entry only
};

// Mode 1 (word processing): accented letters and the symbols it moves.
constexpr std::array<TCorresp, 25> CarMode1 = {{
    {u'\u00E0', 0x0241, 0}, {u'\u00E7', 0x0243, 0}, {u'\u00E8', 0x0242, 0},
    {u'\u00E9', 0x0245, 0}, {u'\u00F9', 0x0255, 0},
    {u'\u00E2', 0x0256, 0x0341}, {u'\u00EA', 0x0256, 0x0345}, {u'\u00EE', 0x0256, 0x0349},
    {u'\u00F4', 0x0256, 0x034F}, {u'\u00FB', 0x0256, 0x0355},
    {u'\u00E4', 0x0254, 0x0341}, {u'\u00EB', 0x0254, 0x0345}, {u'\u00EF', 0x0254, 0x0349},
    {u'\u00F6', 0x0254, 0x034F}, {u'\u00FC', 0x0254, 0x0355},
    {u'@', 0x0360, 0}, {u'[', 0x037B, 0}, {u'\\', 0x037C, 0}, {u']', 0x037D, 0},
    {u'^', 0x037E, 0}, {u'`', 0x0340, 0}, {u'{', 0x035B, 0}, {u'|', 0x035C, 0},
    {u'}', 0x035D, 0}, {u'\u00A7', 0x035E, 0},
}};

// Mode 0 (Basic): accented letters in the machine's character set.
constexpr std::array<TCorresp, 15> CarMode0 = {{
    {u'\u00E0', 0x0210, 0}, {u'\u00F9', 0x0212, 0}, {u'\u00E8', 0x0211, 0},
    {u'\u00FB', 0x0213, 0}, {u'\u00E2', 0x0214, 0}, {u'\u00EA', 0x0215, 0},
    {u'\u00F4', 0x0216, 0}, {u'\u00EE', 0x0217, 0}, {u'\u00E9', 0x0218, 0},
    {u'\u00E7', 0x021A, 0}, {u'\u00E4', 0x021B, 0}, {u'\u00EF', 0x021C, 0},
    {u'\u00F6', 0x021D, 0}, {u'\u00FC', 0x021E, 0}, {u'\u00EB', 0x021F, 0},
}};

template <size_t N>
bool ChercheCar(const std::array<TCorresp, N>& table, char16_t c, TTraduction& t) {
    for (const TCorresp& e : table) {
        if (e.Car != c) continue;
        t.Entrees.push_back(e.Premiere);
        if (e.Seconde) t.Entrees.push_back(e.Seconde);
        t.Consomme = true;
        return true;
    }
    return false;
}

TTraduction Consomme(std::initializer_list<uint16_t> entrees) {
    TTraduction t;
    t.Consomme = true;
    t.Entrees.assign(entrees);
    return t;
}

TTraduction TraduitCaractere(char16_t c, int32_t mode) {
    TTraduction t;
    if (mode == 1 && ChercheCar(CarMode1, c, t)) return t;     // rules 1 to 4
    if (mode == 0 && ChercheCar(CarMode0, c, t)) return t;     // rule 7
    if (c >= 0x20 && c <= 0x7F) return Consomme({Entree(0x03, uint8_t(c))}); // rule 8
    return t;
}

// "DD/MM/YYYY" with the host separator, each character with attribute 0x03,
// then Return. A separator the machine cannot show becomes "/".
TTraduction DateF9(const THeureLocale& d, char16_t sep) {
    const char s = (sep >= 0x20 && sep < 0x7F) ? char(sep) : '/';
    char texte[32];
    std::snprintf(texte, sizeof texte, "%02d%c%02d%c%04d", d.Jour % 100, s, d.Mois % 100, s,
                  d.Annee < 0 ? 0 : d.Annee);
    TTraduction t;
    t.Consomme = true;
    for (size_t i = 0; i < 10 && texte[i]; ++i) t.Entrees.push_back(Entree(0x03, uint8_t(texte[i])));
    t.Entrees.push_back(0x030D);
    return t;
}

TTraduction TraduitToucheEnfoncee(const TMessageClavier& msg, const TContexteClavier& ctx) {
    const uint16_t k = msg.Code;
    const int32_t mode = ctx.ModeClavier;
    const bool modif = msg.Shift || msg.Ctrl;
    const uint8_t aj4 = AjusteAttribut(4, msg.Shift, msg.Ctrl);
    if (mode == 1 && msg.Ctrl && msg.Shift && (k == VkSpace || (k >= 'A' && k <= 'Z')))
        return Consomme({Entree(0x02, uint8_t(k))});                       // rule 5
    if (msg.Ctrl && k == 'O') return Consomme({mode == 1 ? uint16_t(0x0029) : uint16_t(0x0219)});
    switch (k) {
    case VkF2: if (mode == 1) return Consomme({0x071F}); break;
    case VkF3: if (mode == 1) return Consomme({0x041F}); break;
    case VkF4: return Consomme({Entree(modif ? 0x00 : 0x03, 0x0C)});
    case VkF5: return Consomme({Entree(AjusteAttribut(BaseAttributF5, msg.Shift, msg.Ctrl), 0x0A)});
    case VkF6: return Consomme({Entree(modif ? 0x00 : 0x03, 0x0B)});
    case VkF7: return Consomme({0x030E});
    case VkF8: return Consomme({0x030F});
    case VkF9: return DateF9(ctx.Date, ctx.SeparateurDate);
    case VkReturn: return Consomme({0x030D});
    case VkLeft: return Consomme({Entree(aj4, 0x1A)});
    case VkRight: return Consomme({Entree(aj4, 0x1B)});
    case VkTab: return Consomme({0x031C});
    case VkDelete: return Consomme({Entree(aj4, 0x1D)});
    case VkInsert: return Consomme({Entree(aj4, 0x1F)});
    case VkBack: return Consomme({0x071A, 0x071D});
    case VkPrior: return Consomme({mode == 1 ? uint16_t(0x040F) : uint16_t(0x0344)});
    case VkNext: return Consomme({mode == 1 ? uint16_t(0x0410) : uint16_t(0x034D)});
    case VkUp: if (mode == 1) return Consomme({Entree(aj4, 0x0F)}); break;
    case VkDown: if (mode == 1) return Consomme({Entree(aj4, 0x10)}); break;
    case VkHome:
    case VkEnd: return Consomme({});                                    // swallowed
    default: break;
    }
    return {};
}

struct TToucheAlt {
    char Touche;
    uint16_t Mode1, Autres;
};

constexpr std::array<TToucheAlt, 11> TableAlt = {{
    {'A', 0x0030, 0x0200}, {'C', 0x0032, 0x0202}, {'D', 0x0036, 0x0206},
    {'E', 0x0031, 0x0201}, {'H', 0x0039, 0x0209}, {'Q', 0x0034, 0x0204},
    {'S', 0x003F, 0x020F}, {'V', 0x0038, 0x0208}, {'W', 0x0033, 0x0203},
    {'X', 0x0037, 0x0207}, {'Z', 0x0035, 0x0205},
}};

} // namespace

uint8_t AjusteAttribut(uint8_t base, bool shift, bool ctrl) {
    if (ctrl) return base;
    return uint8_t(base + (shift ? 1 : 3));
}

TTraduction TraduitMessageClavier(const TMessageClavier& msg, const TContexteClavier& ctx) {
    // Alt without Ctrl makes a system message, which the hook leaves alone
    // (Ctrl+Alt is AltGr and types ordinary characters). With capture off the
    // hook is not installed.
    if (!ctx.CaptureClav || (msg.Alt && !msg.Ctrl)) return {};
    if (msg.Type == TTypeMessageClavier::Caractere) return TraduitCaractere(char16_t(msg.Code), ctx.ModeClavier);
    return TraduitToucheEnfoncee(msg, ctx);
}

TTraduction FormKeyDown(const TMessageClavier& msg, const TContexteClavier& ctx) {
    TTraduction t;
    if (msg.Type != TTypeMessageClavier::ToucheEnfoncee || !msg.Alt) return t;
    if (msg.Code == VkF4) {
        t.FinEmul = true; // the window then closes as usual
        return t;
    }
    if (!ctx.CaptureClav) return t;
    for (const TToucheAlt& e : TableAlt) {
        if (msg.Code != uint16_t(e.Touche)) continue;
        t.Entrees.push_back(ctx.ModeClavier == 1 ? e.Mode1 : e.Autres);
        t.Consomme = true;
        break;
    }
    return t;
}

void PousseEntrees(TMachine& m, const TTraduction& t) {
    for (uint16_t e : t.Entrees) m.ToucheDeHote(e);
}
