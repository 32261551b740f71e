#include "debugger/CarteSource.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

#include "core/Texte.h"

using TJson = nlohmann::json;

namespace {

constexpr const char* NomFormat = "EmulZorv-zdbg";
constexpr size_t FichiersMax = 100'000;

const char* NomGenre(TGenreSymboleCarte g) {
    switch (g) {
    case TGenreSymboleCarte::Equ: return "equ";
    case TGenreSymboleCarte::Set: return "set";
    default: return "etiquette";
    }
}

TGenreSymboleCarte GenreDe(TGenreSymbAsm g) {
    return g == gsEqu ? TGenreSymboleCarte::Equ : g == gsSet ? TGenreSymboleCarte::Set : TGenreSymboleCarte::Etiquette;
}

// A whole number of the object `o` at `cle`, within min..max.
std::optional<int64_t> Entier(const TJson& o, const char* cle, int64_t min, int64_t max) {
    const auto it = o.find(cle);
    if (it == o.end() || !it->is_number_integer()) return std::nullopt;
    const int64_t v = it->is_number_unsigned() && it->get<uint64_t>() > uint64_t(INT64_MAX) ? max + 1 : it->get<int64_t>();
    if (v < min || v > max) return std::nullopt;
    return v;
}

bool LitPlages(const TJson& j, TCarteSource& c, std::string& erreur) {
    const auto it = j.find("plages");
    if (it == j.end() || !it->is_array()) return erreur = "la liste « plages » manque", false;
    for (const TJson& p : *it) {
        const auto adr = p.is_object() ? Entier(p, "adresse", 0, 0xFFFF) : std::nullopt;
        const auto lg = adr ? Entier(p, "longueur", 1, 0x10000 - *adr) : std::nullopt;
        const auto f = lg ? Entier(p, "fichier", 0, int64_t(c.Fichiers.size()) - 1) : std::nullopt;
        const auto l = f ? Entier(p, "ligne", 1, INT32_MAX) : std::nullopt;
        if (!l) return erreur = "une plage d'octets est incorrecte (adresse, longueur, fichier ou ligne)", false;
        c.Plages.push_back({uint16_t(*adr), uint32_t(*lg), uint32_t(*f), int(*l)});
    }
    return true;
}

bool LitSymboles(const TJson& j, TCarteSource& c, std::string& erreur) {
    const auto it = j.find("symboles");
    if (it == j.end() || !it->is_array()) return erreur = "la liste « symboles » manque", false;
    for (const TJson& s : *it) {
        const auto nom = s.is_object() ? s.find("nom") : TJson::const_iterator();
        const auto genre = s.is_object() ? s.find("genre") : TJson::const_iterator();
        const auto valeur = s.is_object() ? Entier(s, "valeur", -32768, 0xFFFF) : std::nullopt;
        if (!s.is_object() || nom == s.end() || !nom->is_string() || nom->get<std::string>().empty() ||
            genre == s.end() || !genre->is_string() || !valeur)
            return erreur = "un symbole est incorrect (nom, valeur ou genre)", false;
        const std::string g = genre->get<std::string>();
        TSymboleCarte x{nom->get<std::string>(), int32_t(*valeur), TGenreSymboleCarte::Etiquette};
        if (g == "equ")
            x.Genre = TGenreSymboleCarte::Equ;
        else if (g == "set")
            x.Genre = TGenreSymboleCarte::Set;
        else if (g != "etiquette")
            return erreur = "genre de symbole inconnu : « " + TexteVisible(g) + " »", false;
        c.Symboles.push_back(std::move(x));
    }
    return true;
}

bool LitEntete(const TJson& j, TCarteSource& c, std::string& erreur) {
    if (!j.is_object() || !j.contains("format") || j["format"] != NomFormat)
        return erreur = "ce fichier n'est pas une carte des sources (.zdbg)", false;
    const auto version = Entier(j, "version", 1, INT32_MAX);
    if (!version) return erreur = "la version de la carte des sources manque", false;
    if (*version > VersionCarteSource)
        return erreur = Format("carte des sources en version %lld, plus récente que la version %d que lit ce programme",
                               static_cast<long long>(*version), VersionCarteSource),
               false;
    if (const auto it = j.find("image"); it != j.end() && it->is_string()) c.Image = it->get<std::string>();
    if (const auto o = Entier(j, "origine", 0, 0xFFFF)) c.Origine = uint16_t(*o);
    if (const auto e = Entier(j, "entree", 0, 0xFFFF)) c.Entree = uint16_t(*e);
    const auto f = j.find("fichiers");
    if (f == j.end() || !f->is_array() || f->size() > FichiersMax)
        return erreur = "la liste « fichiers » manque", false;
    for (const TJson& x : *f) {
        if (!x.is_string()) return erreur = "un nom de fichier source est incorrect", false;
        c.Fichiers.push_back(x.get<std::string>());
    }
    return true;
}

} // namespace

TCarteSource CarteDe(const TResultatAsm& r, const std::string& image) {
    TCarteSource c;
    c.Image = image;
    c.Origine = r.Origine;
    c.Entree = r.Entree;
    std::error_code ec;
    for (const std::string& f : r.Sources) {
        const auto absolu = std::filesystem::absolute(f, ec);
        c.Fichiers.push_back(ec ? f : absolu.lexically_normal().string());
    }
    c.Plages = r.Plages;
    for (const auto& [nom, s] : r.Symboles) c.Symboles.push_back({nom, s.Valeur, GenreDe(s.Genre)});
    std::stable_sort(c.Symboles.begin(), c.Symboles.end(),
                     [](const TSymboleCarte& a, const TSymboleCarte& b) { return a.Valeur < b.Valeur; });
    return c;
}

std::string CodeCarteSource(const TCarteSource& c) {
    TJson j;
    j["format"] = NomFormat;
    j["version"] = VersionCarteSource;
    j["image"] = c.Image;
    j["origine"] = c.Origine;
    j["entree"] = c.Entree ? TJson(*c.Entree) : TJson(nullptr);
    j["fichiers"] = c.Fichiers;
    TJson plages = TJson::array();
    for (const TPlageSource& p : c.Plages)
        plages.push_back({{"adresse", p.Debut}, {"longueur", p.Longueur}, {"fichier", p.Source}, {"ligne", p.Ligne}});
    j["plages"] = std::move(plages);
    TJson symboles = TJson::array();
    for (const TSymboleCarte& s : c.Symboles)
        symboles.push_back({{"nom", s.Nom}, {"valeur", s.Valeur}, {"genre", NomGenre(s.Genre)}});
    j["symboles"] = std::move(symboles);
    // A name that is not UTF-8 gets U+FFFD in place of its odd bytes.
    return j.dump(1, '\t', false, TJson::error_handler_t::replace) + "\n";
}

bool LitCarteSource(const std::string& texte, TCarteSource& c, std::string& erreur) {
    c = {};
    const TJson j = TJson::parse(texte, nullptr, false);
    if (j.is_discarded()) return erreur = "ce fichier n'est pas une carte des sources (JSON illisible)", false;
    TCarteSource lue;
    if (!LitEntete(j, lue, erreur) || !LitPlages(j, lue, erreur) || !LitSymboles(j, lue, erreur)) return false;
    c = std::move(lue);
    return true;
}

const TPlageSource* PlageDe(const TCarteSource& c, uint16_t adresse) {
    // Each byte is assembled once: at most one line holds it.
    for (auto it = c.Plages.rbegin(); it != c.Plages.rend(); ++it)
        if (adresse >= it->Debut && uint32_t(adresse - it->Debut) < it->Longueur) return &*it;
    return nullptr;
}

std::string TexteSource(const TCarteSource& c, uint16_t adresse) {
    const TPlageSource* p = PlageDe(c, adresse);
    if (!p || p->Source >= c.Fichiers.size()) return {};
    return c.Fichiers[p->Source] + ":" + std::to_string(p->Ligne);
}

std::optional<uint16_t> AdresseDeLigne(const TCarteSource& c, const std::string& fichier, int ligne) {
    const TPlageSource* meilleure = nullptr;
    for (const TPlageSource& p : c.Plages) {
        if (p.Source >= c.Fichiers.size() || c.Fichiers[p.Source] != fichier || p.Ligne < ligne) continue;
        if (!meilleure || p.Ligne < meilleure->Ligne) meilleure = &p;
    }
    if (!meilleure) return std::nullopt;
    return meilleure->Debut;
}
