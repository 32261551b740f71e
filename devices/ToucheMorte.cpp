// Composition of dead-key accents with the vowels (and y) they carry.
#include "devices/ToucheMorte.h"

#include <array>
#include <string_view>

namespace {

constexpr std::u16string_view Voyelles = u"aeiouy";

// Lower-case composed letter per vowel of `Voyelles`; 0: no such letter.
constexpr std::array<std::array<char16_t, 6>, 4> Composees = {{
    {u'\u00E0', u'\u00E8', u'\u00EC', u'\u00F2', u'\u00F9', 0},        // grave
    {u'\u00E1', u'\u00E9', u'\u00ED', u'\u00F3', u'\u00FA', u'\u00FD'}, // acute
    {u'\u00E2', u'\u00EA', u'\u00EE', u'\u00F4', u'\u00FB', 0},        // circumflex
    {u'\u00E4', u'\u00EB', u'\u00EF', u'\u00F6', u'\u00FC', u'\u00FF'}, // diaeresis
}};

char16_t Compose(TAccent a, char16_t lettre) {
    if (a == TAccent::Aucun) return 0;
    const bool majuscule = lettre >= u'A' && lettre <= u'Z';
    const char16_t minuscule = majuscule ? char16_t(lettre + 0x20) : lettre;
    const size_t i = Voyelles.find(minuscule);
    if (i == std::u16string_view::npos) return 0;
    const char16_t c = Composees[size_t(a) - 1][i];
    if (!c || !majuscule) return c;
    return c == u'\u00FF' ? u'\u0178' : char16_t(c - 0x20); // Ÿ lies outside Latin-1
}

} // namespace

TAccent AccentDeCleMorte(int cleQt) {
    switch (cleQt) {
    case 0x01001250: return TAccent::Grave;       // Key_Dead_Grave
    case 0x01001251: return TAccent::Aigu;        // Key_Dead_Acute
    case 0x01001252: return TAccent::Circonflexe; // Key_Dead_Circumflex
    case 0x01001257: return TAccent::Trema;       // Key_Dead_Diaeresis
    default: return TAccent::Aucun;
    }
}

char16_t CaractereAccent(TAccent a) {
    constexpr std::array<char16_t, 5> seuls = {0, u'`', u'\u00B4', u'^', u'\u00A8'};
    return seuls[size_t(a)];
}

std::u16string ComposeApresCleMorte(TAccent a, char16_t suivant) {
    if (a == TAccent::Aucun) return std::u16string(1, suivant);
    if (const char16_t c = Compose(a, suivant)) return std::u16string(1, c);
    if (suivant == u' ') return std::u16string(1, CaractereAccent(a));
    return std::u16string{CaractereAccent(a), suivant};
}
