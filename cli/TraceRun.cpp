#include "cli/TraceRun.h"

#include "cli/OptionsRun.h"
#include "config/Poste.h"
#include "core/Nombres.h"
#include "debugger/Debogueur.h"

std::string LitIntervalleTrace(const std::string& texte, uint16_t& debut, uint16_t& fin) {
    const size_t tiret = texte.find('-');
    const auto d = tiret == std::string::npos ? std::nullopt : LitHexa(texte.substr(0, tiret), 0xFFFF);
    const auto f = tiret == std::string::npos ? std::nullopt : LitHexa(texte.substr(tiret + 1), 0xFFFF);
    if (!d || !f) return "attendu DEBUT-FIN en hexadécimal (0000 à FFFF) : « " + texte + " »";
    if (*f < *d) return "la fin précède le début : « " + texte + " »";
    debut = uint16_t(*d);
    fin = uint16_t(*f);
    return {};
}

bool CommenceTraceRun(TPoste& poste, const TOptionsRun& o, const std::function<void(const std::string&)>& ligne) {
    if (o.Trace.empty()) return true;
    TReglageTrace r;
    r.Debut = o.TraceDebut;
    r.Fin = o.TraceFin;
    r.Tout = o.TraceTout;
    std::string erreur;
    if (poste.Debogueur().Suivi.CommenceTrace(o.Trace, r, erreur)) return true;
    ligne("zorv run : --trace : " + erreur);
    return false;
}

bool TermineTraceRun(TPoste& poste, const TOptionsRun& o, const std::function<void(const std::string&)>& ligne) {
    if (o.Trace.empty()) return true;
    std::string erreur;
    if (poste.Debogueur().Suivi.ArreteTrace(erreur)) return true;
    ligne("zorv run : --trace : " + erreur);
    return false;
}
