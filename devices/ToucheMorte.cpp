#include "devices/ToucheMorte.h"

#include <string_view>

namespace {

// Base letters and their accented forms, position by position.
struct TTableAccent {
    std::u16string_view Base;
    std::u16string_view Accentuees;
};

constexpr TTableAccent Tables[] = {
    {u"", u""},
    {u"aeiouAEIOU", u"\u00E2\u00EA\u00EE\u00F4\u00FB\u00C2\u00CA\u00CE\u00D4\u00DB"},
    {u"aeiouyAEIOUY", u"\u00E4\u00EB\u00EF\u00F6\u00FC\u00FF\u00C4\u00CB\u00CF\u00D6\u00DC\u0178"},
    {u"aeiouAEIOU", u"\u00E0\u00E8\u00EC\u00F2\u00F9\u00C0\u00C8\u00CC\u00D2\u00D9"},
    {u"aeiouyAEIOUY", u"\u00E1\u00E9\u00ED\u00F3\u00FA\u00FD\u00C1\u00C9\u00CD\u00D3\u00DA\u00DD"},
};

} // namespace

char16_t TToucheMorte::Accent(TAccentMort accent) {
    switch (accent) {
    case mortCirconflexe: return u'^';
    case mortTrema: return u'\u00A8';
    case mortGrave: return u'`';
    case mortAigu: return u'\u00B4';
    default: return 0;
    }
}

char16_t TToucheMorte::Combine(TAccentMort accent, char16_t lettre) {
    if (accent == mortAucun || accent > mortAigu) return 0;
    const TTableAccent& t = Tables[accent];
    const size_t i = t.Base.find(lettre);
    return i == std::u16string_view::npos ? char16_t(0) : t.Accentuees[i];
}

std::u16string TToucheMorte::Frappe(TAccentMort accent) {
    std::u16string sortie;
    if (FEnAttente != mortAucun) sortie += Accent(FEnAttente);
    FEnAttente = accent;
    return sortie;
}

std::u16string TToucheMorte::Compose(const std::u16string& texte) {
    if (FEnAttente == mortAucun || texte.empty()) return texte;
    const TAccentMort accent = FEnAttente;
    FEnAttente = mortAucun;
    if (texte[0] == u' ') return Accent(accent) + texte.substr(1);
    if (const char16_t c = Combine(accent, texte[0])) return c + texte.substr(1);
    return Accent(accent) + texte;
}
