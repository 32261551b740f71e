#include "devices/FrappeTexte.h"

#include "core/Machine.h"

namespace {

TMessageClavier Touche(uint16_t vk) { return {TTypeMessageClavier::ToucheEnfoncee, vk}; }

// A control character typed on a keyboard is a key, not a character.
TMessageClavier MessagePour(char32_t c) {
    switch (c) {
    case 0x0D: case 0x0A: return Touche(0x0D);
    case 0x09: return Touche(0x09);
    case 0x08: return Touche(0x08);
    default: return {TTypeMessageClavier::Caractere, uint16_t(c)};
    }
}

int ValeurHexa(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One UTF-8 sequence from s[i]; -1 when malformed.
int64_t LitUtf8(const std::string& s, size_t& i) {
    const auto o = static_cast<unsigned char>(s[i++]);
    if (o < 0x80) return o;
    int n;
    char32_t c;
    if ((o & 0xE0) == 0xC0) { n = 1; c = o & 0x1F; }
    else if ((o & 0xF0) == 0xE0) { n = 2; c = o & 0x0F; }
    else if ((o & 0xF8) == 0xF0) { n = 3; c = o & 0x07; }
    else return -1;
    for (int k = 0; k < n; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return -1;
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return c;
}

} // namespace

std::string DecodeFrappe(const std::string& texte, std::vector<TMessageClavier>& messages) {
    messages.clear();
    size_t i = 0;
    while (i < texte.size()) {
        if (texte[i] == '\\') {
            if (i + 1 >= texte.size()) return "barre oblique inverse isolée en fin de texte";
            const char e = texte[i + 1];
            i += 2;
            switch (e) {
            case 'r': case 'n': messages.push_back(Touche(0x0D)); break;
            case 't': messages.push_back(Touche(0x09)); break;
            case '\\': messages.push_back(MessagePour(U'\\')); break;
            case 'x': {
                const int h = i < texte.size() ? ValeurHexa(texte[i]) : -1;
                const int l = i + 1 < texte.size() ? ValeurHexa(texte[i + 1]) : -1;
                if (h < 0 || l < 0) return "\\x doit être suivi de deux chiffres hexadécimaux";
                messages.push_back(MessagePour(char32_t(h * 16 + l)));
                i += 2;
                break;
            }
            default: return std::string("séquence inconnue \\") + e;
            }
            continue;
        }
        const int64_t c = LitUtf8(texte, i);
        if (c < 0) return "texte UTF-8 mal formé";
        if (c > 0xFFFF) continue; // no single UTF-16 unit: no key gives it
        messages.push_back(MessagePour(char32_t(c)));
    }
    return {};
}

std::vector<TMessageClavier> MessagesDuTexte(const std::u16string& texte) {
    std::vector<TMessageClavier> messages;
    messages.reserve(texte.size());
    for (size_t i = 0; i < texte.size(); ++i) {
        const char16_t c = texte[i];
        if (c == u'\r' && i + 1 < texte.size() && texte[i + 1] == u'\n') continue; // CR LF: one Return
        if (c == u'\r' || c == u'\n' || c == u'\t') messages.push_back(MessagePour(c));
        else if (c >= 0x20 && c != 0x7F) messages.push_back({TTypeMessageClavier::Caractere, uint16_t(c)});
    }
    return messages;
}

bool TFrappeTexte::Alimente(TMachine& m, const TContexteClavier& contexte, TTraducteur traduit) {
    TContexteClavier ctx = contexte;
    ctx.ModeClavier = m.ModeClavier;
    while (FProchain < FMessages.size()) {
        const TTraduction t = traduit(FMessages[FProchain], ctx);
        if (t.Consomme && !t.Entrees.empty()) {
            const size_t libres = size_t(12 - m.NbCarClav);
            if (t.Entrees.size() > libres && m.NbCarClav > 0) break; // wait for the queue to drain
            for (uint16_t e : t.Entrees) m.ToucheDeHote(e);
        }
        ++FProchain;
    }
    return !Fini();
}

void TSourceFrappe::Alimente(TMachine& m) {
    if (FFrappe.Fini() || (FAttendPret && !m.ClavierPret)) return;
    if (Date) FContexte.Date = Date();
    FFrappe.Alimente(m, FContexte);
}
