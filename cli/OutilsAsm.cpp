#include "cli/OutilsAsm.h"

#include <cctype>
#include <filesystem>
#include <fstream>

std::optional<uint32_t> NombreCli(const std::string& texte) {
    std::string t = texte;
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t = t.substr(2);
        base = 16;
    } else if (t.size() > 1 && t[0] == '$') {
        t = t.substr(1);
        base = 16;
    } else if (t.size() > 1 && (t.back() == 'h' || t.back() == 'H')) {
        t.pop_back();
        base = 16;
    }
    if (t.empty() || t.size() > 8) return std::nullopt;
    uint64_t v = 0;
    for (char c : t) {
        int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : std::isxdigit(static_cast<unsigned char>(c))
                    ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                    : 99;
        if (d >= base) return std::nullopt;
        v = v * uint64_t(base) + uint64_t(d);
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return uint32_t(v);
}

bool MemeFichier(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    auto pa = std::filesystem::weakly_canonical(a, ec);
    if (ec) return a == b;
    auto pb = std::filesystem::weakly_canonical(b, ec);
    if (ec) return a == b;
    return pa == pb;
}

bool EcritFichier(const std::string& chemin, const std::string& contenu) {
    // Written beside the target, then renamed over it: a failed write never
    // leaves a truncated file where a good one was.
    std::string temp = chemin + ".zorv-tmp";
    bool ok;
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        ok = f && f.write(contenu.data(), std::streamsize(contenu.size())) && f.flush();
    }
    std::error_code ec;
    if (ok) std::filesystem::rename(temp, chemin, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}
