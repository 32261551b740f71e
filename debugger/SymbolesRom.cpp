#include "debugger/SymbolesRom.h"

#include <filesystem>
#include <system_error>

#include "debugger/Debogueur.h"
#include "debugger/GestionSymboles.h"

std::string CheminSymbolesRom(const std::string& cheminRom) {
    namespace fs = std::filesystem;
    if (cheminRom.empty()) return {};
    for (const char* ext : {".sym", ".SYM"}) {
        fs::path p(cheminRom);
        p.replace_extension(ext);
        std::error_code ec;
        if (p != fs::path(cheminRom) && fs::is_regular_file(p, ec)) return p.string();
    }
    return {};
}

std::optional<int> ChargeSymbolesRom(TDebogueur& d, const std::string& cheminRom) {
    const std::string chemin = CheminSymbolesRom(cheminRom);
    if (chemin.empty()) return std::nullopt;
    const std::optional<int> n = ChargeFichierSymboles(chemin, d.Symboles);
    if (n && *n > 0) d.ReDasmDebug();
    return n;
}
