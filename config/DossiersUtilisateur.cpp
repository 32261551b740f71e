#include "config/DossiersUtilisateur.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "config/Parametres.h"
#include "core/Fichiers.h"
#include "core/Texte.h"

namespace {

constexpr const char* NomDossierUtilisateur = "EmulZorv/";
constexpr const char* PartageInstalle = "../share/emulzorv/";
constexpr const char* RomBoot = "QBM71K.bin";

std::string Variable(const char* nom) {
    const char* v = std::getenv(nom);
    return v ? std::string(v) : std::string();
}

bool Dossier(const std::string& chemin) {
    std::error_code ec;
    return std::filesystem::is_directory(chemin, ec);
}

bool AccesEcriture(const std::string& dossier) { return ::access(dossier.c_str(), W_OK) == 0; }

// An XDG base folder: the variable when it names an absolute path, else the
// default under the home folder.
std::string Base(const std::string& variable, const std::string& home, const char* defaut) {
    if (!variable.empty() && variable[0] == '/') return AvecSeparateur(variable);
    return AvecSeparateur(home.empty() ? std::string("/tmp") : home) + defaut;
}

} // namespace

TEnvironnementDossiers TEnvironnementDossiers::DuProcessus() {
    return {Variable("HOME"), Variable("XDG_CONFIG_HOME"), Variable("XDG_DATA_HOME")};
}

TDossiers ChoisitDossiers(const std::string& dossierExe, const TEnvironnementDossiers& env,
                          const std::function<bool(const std::string&)>& inscriptible) {
    TDossiers d;
    const std::string exe = AvecSeparateur(dossierExe);
    const std::string partage = exe + PartageInstalle;
    const bool local = FichierExiste(exe + RomBoot) || FichierExiste(exe + NomFichierParametres);
    const bool installe = !local && Dossier(partage) && FichierExiste(partage + RomBoot);
    d.Programme = installe ? partage : exe;
    const bool ecrit = inscriptible ? inscriptible(exe) : AccesEcriture(exe);
    if (!installe && ecrit) {
        d.Parametres = d.Donnees = exe;
        return d;
    }
    d.Utilisateur = true;
    d.Parametres = AvecSeparateur(Base(env.XdgConfigHome, env.Home, ".config/") + NomDossierUtilisateur);
    d.Donnees = AvecSeparateur(Base(env.XdgDataHome, env.Home, ".local/share/") + NomDossierUtilisateur);
    return d;
}

std::string DossierCaptures(const TDossiers& d) { return d.Donnees + "Captures/"; }

std::string DossierEtats(const TDossiers& d) { return d.Donnees + "\u00c9tats/"; }

std::string DossierSessions(const TDossiers& d) { return d.Donnees + "Sessions/"; }

std::string FichierEtatRapide(const TDossiers& d, int numero) {
    return DossierEtats(d) + "Rapide-" + std::to_string(numero) + ".zetat";
}
