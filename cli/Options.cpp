#include "cli/Options.h"

#include <cstdio>

#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Symboles.h"

const char* const ConventionNombres =
    "Nombres : adresses, octets et ports en hexadécimal (2100, 2100H, 0x2100, 0FFH,\n"
    "FFFF) ; compteurs en décimal, tailles avec K ou M (4K).\n";

namespace {

constexpr size_t LargeurNoms = 24; // column of the help texts

std::string Hexa4(uint64_t v) {
    char t[24];
    std::snprintf(t, sizeof t, "%llX", static_cast<unsigned long long>(v));
    return t;
}

std::string Cite(const std::string& v) { return " : « " + v + " »"; }

} // namespace

void AfficheUneLigne(const std::string& texte) {
    std::string t = texte;
    for (char& c : t)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s\n", t.c_str());
}

std::string FormeHexa(uint64_t max) {
    return "hexadécimal (2100, 2100H ou 0x2100) de 0 à " + Hexa4(max);
}

std::string FormeDecimal(uint64_t min, uint64_t max, bool suffixes) {
    std::string t = "décimal de " + std::to_string(min) + " à " + std::to_string(max);
    if (suffixes) t += " (4K, 1M acceptés)";
    return t;
}

TTraiteOption Hexa(std::optional<uint32_t>& dest, uint32_t max) {
    return [&dest, max](const std::string& v) -> std::string {
        const auto n = LitHexa(v, max);
        if (!n) return "attendu un nombre " + FormeHexa(max) + Cite(v);
        dest = uint32_t(*n);
        return {};
    };
}

TTraiteOption Decimal(std::optional<uint64_t>& dest, uint64_t min, uint64_t max, bool suffixes) {
    return [&dest, min, max, suffixes](const std::string& v) -> std::string {
        const auto n = LitDecimal(v, max, suffixes);
        if (!n || *n < min) return "attendu un nombre " + FormeDecimal(min, max, suffixes) + Cite(v);
        dest = *n;
        return {};
    };
}

TTraiteOption Entier(int& dest, int min, int max) {
    return [&dest, min, max](const std::string& v) -> std::string {
        const auto n = LitDecimal(v, uint64_t(max));
        if (!n || *n < uint64_t(min)) return "attendu un nombre " + FormeDecimal(uint64_t(min), uint64_t(max), false) + Cite(v);
        dest = int(*n);
        return {};
    };
}

TTraiteOption Chemin(std::string& dest) {
    return [&dest](const std::string& v) -> std::string {
        if (v.empty()) return "attendu un nom de fichier";
        dest = v;
        return {};
    };
}

TTraiteOption Chemin(std::optional<std::string>& dest) {
    return [&dest](const std::string& v) -> std::string {
        if (v.empty()) return "attendu un nom de fichier";
        dest = v;
        return {};
    };
}

TOptions::TOptions(std::string commande, std::string usage, std::string description)
    : FCommande(std::move(commande)), FUsage(std::move(usage)), FDescription(std::move(description)) {}

TOptions& TOptions::Option(std::vector<std::string> noms, std::string valeur, std::string aide, TTraiteOption traite) {
    FOptions.push_back({std::move(noms), std::move(valeur), std::move(aide), std::move(traite)});
    return *this;
}

TOptions& TOptions::Drapeau(std::vector<std::string> noms, std::string aide, bool& dest) {
    return Option(std::move(noms), {}, std::move(aide), [&dest](const std::string&) {
        dest = true;
        return std::string();
    });
}

TOptions& TOptions::Arguments(TTraiteOption traite) {
    FArguments = std::move(traite);
    return *this;
}

TOptions& TOptions::Fin(std::string texte) {
    FFin = std::move(texte);
    return *this;
}

const TOption* TOptions::Trouve(const std::string& nom) const {
    for (const TOption& o : FOptions)
        for (const std::string& n : o.Noms)
            if (n == nom) return &o;
    return nullptr;
}

int TOptions::Refus(const std::string& message) const {
    AfficheUneLigne("zorv " + FCommande + " : " + message);
    return SortieArguments;
}

int TOptions::Analyse(int argc, char** argv) const {
    bool finOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (!finOptions && a == "--") {
            finOptions = true;
            continue;
        }
        if (finOptions || a.empty() || a[0] != '-' || a == "-") {
            if (!FArguments) return Refus("argument en trop « " + a + " » (zorv " + FCommande + " --help)");
            const std::string e = FArguments(a);
            if (!e.empty()) return Refus(e);
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(TexteAide().c_str(), stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("zorv %s\n", VersionZorv);
            return 0;
        }
        std::optional<std::string> valeur;
        const size_t egal = a.find('=');
        if (a.rfind("--", 0) == 0 && egal != std::string::npos) {
            valeur = a.substr(egal + 1);
            a.resize(egal);
        }
        const TOption* o = Trouve(a);
        if (!o) return Refus("option inconnue « " + a + " » (zorv " + FCommande + " --help)");
        if (o->Valeur.empty()) {
            if (valeur) return Refus(a + " ne prend pas de valeur");
            valeur = std::string();
        } else if (!valeur) {
            if (i + 1 >= argc) return Refus(a + " attend une valeur (" + o->Valeur + ")");
            valeur = argv[++i];
        }
        const std::string e = o->Traite(*valeur);
        if (!e.empty()) return Refus(a + " : " + e);
    }
    return -1;
}

std::string TOptions::TexteAide() const {
    std::string t = FUsage + FDescription;
    auto ligne = [&t](std::string noms, const std::string& aide) {
        noms = "  " + noms;
        size_t largeur = NbCaracteres(noms);
        if (largeur + 1 > LargeurNoms) {
            t += noms + "\n";
            noms.clear();
            largeur = 0;
        }
        t += noms + std::string(LargeurNoms - largeur, ' ');
        for (char c : aide) {
            t += c;
            if (c == '\n') t += std::string(LargeurNoms, ' ');
        }
        t += "\n";
    };
    for (const TOption& o : FOptions) {
        std::string noms;
        for (const std::string& n : o.Noms) noms += (noms.empty() ? "" : ", ") + n;
        if (!o.Valeur.empty()) noms += " " + o.Valeur;
        ligne(noms, o.Aide);
    }
    ligne("-h, --help", "cette aide");
    ligne("--version", "version du programme");
    return t + FFin;
}
