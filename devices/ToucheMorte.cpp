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

struct TRepli {
    char16_t Compose;
    char16_t Accent, Base;
};

// What the compose tables of input methods make of the four dead keys with
// keys other than the vowels: superscripts and letters of other languages.
constexpr std::array<TRepli, 59> Replis = {{
    {u'\u00B9', u'^', u'1'}, {u'\u00B2', u'^', u'2'}, {u'\u00B3', u'^', u'3'},
    {u'\u2070', u'^', u'0'}, {u'\u2074', u'^', u'4'}, {u'\u2075', u'^', u'5'},
    {u'\u2076', u'^', u'6'}, {u'\u2077', u'^', u'7'}, {u'\u2078', u'^', u'8'},
    {u'\u2079', u'^', u'9'}, {u'\u207A', u'^', u'+'}, {u'\u207B', u'^', u'-'},
    {u'\u207C', u'^', u'='}, {u'\u207D', u'^', u'('}, {u'\u207E', u'^', u')'},
    {u'\u0109', u'^', u'c'}, {u'\u0108', u'^', u'C'}, {u'\u011D', u'^', u'g'},
    {u'\u011C', u'^', u'G'}, {u'\u0125', u'^', u'h'}, {u'\u0124', u'^', u'H'},
    {u'\u0135', u'^', u'j'}, {u'\u0134', u'^', u'J'}, {u'\u015D', u'^', u's'},
    {u'\u015C', u'^', u'S'}, {u'\u0175', u'^', u'w'}, {u'\u0174', u'^', u'W'},
    {u'\u0177', u'^', u'y'}, {u'\u0176', u'^', u'Y'}, {u'\u1E91', u'^', u'z'},
    {u'\u1E90', u'^', u'Z'},
    {u'\u1E85', u'\u00A8', u'w'}, {u'\u1E84', u'\u00A8', u'W'}, {u'\u1E8D', u'\u00A8', u'x'},
    {u'\u1E8C', u'\u00A8', u'X'}, {u'\u1E27', u'\u00A8', u'h'}, {u'\u1E26', u'\u00A8', u'H'},
    {u'\u1E97', u'\u00A8', u't'},
    {u'\u01F9', u'`', u'n'}, {u'\u01F8', u'`', u'N'}, {u'\u1E81', u'`', u'w'},
    {u'\u1E80', u'`', u'W'}, {u'\u1EF3', u'`', u'y'}, {u'\u1EF2', u'`', u'Y'},
    {u'\u0107', u'\u00B4', u'c'}, {u'\u0106', u'\u00B4', u'C'}, {u'\u0144', u'\u00B4', u'n'},
    {u'\u0143', u'\u00B4', u'N'}, {u'\u015B', u'\u00B4', u's'}, {u'\u015A', u'\u00B4', u'S'},
    {u'\u017A', u'\u00B4', u'z'}, {u'\u0179', u'\u00B4', u'Z'}, {u'\u013A', u'\u00B4', u'l'},
    {u'\u0139', u'\u00B4', u'L'}, {u'\u0155', u'\u00B4', u'r'}, {u'\u0154', u'\u00B4', u'R'},
    {u'\u1E83', u'\u00B4', u'w'}, {u'\u1E82', u'\u00B4', u'W'}, {u'\u01F5', u'\u00B4', u'g'},
}};

} // namespace

std::u16string RepliComposition(char16_t compose) {
    for (const TRepli& r : Replis)
        if (r.Compose == compose) return std::u16string{r.Accent, r.Base};
    return {};
}

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
