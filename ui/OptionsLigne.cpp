#include "ui/OptionsLigne.h"

TOptionsLigne LitOptionsLigne(const std::vector<std::string>& arguments) {
    TOptionsLigne o;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            o.Aide = true;
        } else if (a == "--load-state" || a.rfind("--load-state=", 0) == 0) {
            if (!o.EtatACharger.empty()) {
                o.Erreur = "--load-state est donn\u00e9 deux fois";
                return o;
            }
            const bool colle = a.size() > 12;
            if (!colle && i + 1 >= arguments.size()) {
                o.Erreur = "--load-state attend le nom d'un fichier d'\u00e9tat";
                return o;
            }
            o.EtatACharger = colle ? a.substr(13) : arguments[++i];
            if (o.EtatACharger.empty()) {
                o.Erreur = "--load-state attend le nom d'un fichier d'\u00e9tat";
                return o;
            }
        } else {
            o.Erreur = "argument inconnu : " + a;
            return o;
        }
    }
    return o;
}

std::string UsageEmulZorv() {
    return "usage : emulzorv [--load-state FICHIER]\n"
           "  --load-state FICHIER  reprend l'\u00e9tat enregistr\u00e9 dans FICHIER (.zetat) une fois la machine "
           "d\u00e9marr\u00e9e\n"
           "  -h, --help            affiche cette aide\n";
}
