#include "ui/OptionsLigne.h"

namespace {

struct TOptionFichier {
    const char* Nom;
    std::string TOptionsLigne::*Champ;
    const char* Quoi; // "d'un fichier d'état"
};
constexpr TOptionFichier OptionsFichier[] = {
    {"--load-state", &TOptionsLigne::EtatACharger, "d'un fichier d'\u00e9tat"},
    {"--record", &TOptionsLigne::SessionAEnregistrer, "du fichier de la session"},
    {"--replay", &TOptionsLigne::SessionARejouer, "d'une session enregistr\u00e9e"},
};

} // namespace

TOptionsLigne LitOptionsLigne(const std::vector<std::string>& arguments) {
    TOptionsLigne o;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            o.Aide = true;
            continue;
        }
        const TOptionFichier* option = nullptr;
        for (const TOptionFichier& f : OptionsFichier) {
            const std::string nom = f.Nom;
            if (a == nom || a.rfind(nom + "=", 0) == 0) option = &f;
        }
        if (!option) {
            o.Erreur = "argument inconnu : " + a;
            return o;
        }
        const std::string nom = option->Nom;
        std::string& valeur = o.*(option->Champ);
        if (!valeur.empty()) {
            o.Erreur = nom + " est donn\u00e9 deux fois";
            return o;
        }
        const bool colle = a.size() > nom.size();
        if (!colle && i + 1 >= arguments.size()) {
            o.Erreur = nom + " attend le nom " + option->Quoi;
            return o;
        }
        valeur = colle ? a.substr(nom.size() + 1) : arguments[++i];
        if (valeur.empty()) {
            o.Erreur = nom + " attend le nom " + option->Quoi;
            return o;
        }
    }
    if (!o.SessionAEnregistrer.empty() && !o.SessionARejouer.empty())
        o.Erreur = "--record et --replay ne se combinent pas";
    return o;
}

std::string UsageEmulZorv() {
    return "usage : emulzorv [--load-state FICHIER] [--record FICHIER | --replay FICHIER]\n"
           "  --load-state FICHIER  reprend l'\u00e9tat enregistr\u00e9 dans FICHIER (.zetat) une fois la machine "
           "d\u00e9marr\u00e9e\n"
           "  --record FICHIER      enregistre la session depuis le d\u00e9marrage (.zsession, \u00e9crit \u00e0 la "
           "fermeture)\n"
           "  --replay FICHIER      rejoue une session enregistr\u00e9e (.zsession)\n"
           "  -h, --help            affiche cette aide\n";
}
