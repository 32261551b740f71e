// The console commands that follow the execution: trace, history,
// profiler, coverage and "who wrote this" (debugger/Suivi.h).
#include <algorithm>

#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/VuesSuivi.h"

namespace {

constexpr uint64_t MaxLignes = THistorique::Capacite;

// "0", "1", "logiciel", "data".
std::optional<uint8_t> LitBanque(const std::string& mot) {
    if (mot == "0" || EgalSansCasse(mot, "logiciel")) return 0;
    if (mot == "1" || EgalSansCasse(mot, "data")) return 1;
    return std::nullopt;
}

std::string Pourcent(uint64_t part, uint64_t tout) {
    return NombreFr(tout ? 100.0 * double(part) / double(tout) : 0.0, 1) + " %";
}

std::string TexteReglage(const TReglageTrace& r) {
    std::string t = Format("%.4XH-%.4XH", unsigned(r.Debut), unsigned(r.Fin));
    if (r.Banque) t += Format(" banque %u", unsigned(*r.Banque));
    return t + (r.Tout ? ", chaque instruction" : ", boucles repliées");
}

} // namespace

bool TConsoleDebogueur::CmdTrace(const TArgumentsConsole& a) {
    TSuiviDebogueur& s = D.Suivi;
    if (a.empty()) {
        if (!s.Trace()) Ecrit("trace : aucune trace en cours");
        else Ecrit("trace : dans " + s.Trace()->Chemin() + ", " + TexteReglage(s.Trace()->Reglage()));
        return true;
    }
    if (EgalSansCasse(a[0], "arret") || a[0] == "arr\u00eat") {
        if (a.size() != 1) return Malforme();
        if (!s.Trace()) return Erreur("trace : aucune trace en cours");
        const std::string chemin = s.Trace()->Chemin();
        const uint64_t lignes = s.Trace()->Lignes(), instructions = s.Trace()->Instructions();
        std::string erreur;
        if (!s.ArreteTrace(erreur)) return Erreur("trace : " + erreur);
        Ecrit("trace : " + NombreFr(int64_t(lignes)) + " lignes pour " + NombreFr(int64_t(instructions)) +
              " instructions dans " + chemin);
        return true;
    }
    TReglageTrace r;
    size_t i = 1;
    if (a.size() >= 3 && LitHexa(a[1], 0xFFFF) && LitHexa(a[2], 0xFFFF)) {
        r.Debut = uint16_t(*LitHexa(a[1], 0xFFFF));
        r.Fin = uint16_t(*LitHexa(a[2], 0xFFFF));
        if (r.Fin < r.Debut) return Erreur("trace : la fin précède le début");
        i = 3;
    }
    for (; i < a.size(); ++i) {
        if (auto b = LitBanque(a[i]); b && !r.Banque) r.Banque = b;
        else if (EgalSansCasse(a[i], "tout") && !r.Tout) r.Tout = true;
        else return Malforme();
    }
    std::string erreur;
    if (!s.CommenceTrace(a[0], r, erreur)) return Erreur("trace : " + erreur);
    Ecrit("trace : dans " + a[0] + ", " + TexteReglage(r));
    return true;
}

bool TConsoleDebogueur::CmdHistorique(const TArgumentsConsole& a) {
    if (a.size() > 1) return Malforme();
    uint64_t n = 20;
    if (a.size() == 1) {
        const auto v = LitDecimal(a[0], MaxLignes, true);
        if (!v || *v == 0) return Erreur(Format("historique : attendu un nombre de lignes de 1 à %llu",
                                                static_cast<unsigned long long>(MaxLignes)));
        n = *v;
    }
    const THistorique& h = D.Suivi.Historique();
    if (h.Taille() == 0) {
        Ecrit("historique : vide");
        return true;
    }
    n = std::min<uint64_t>(n, h.Taille());
    TFormeTrace forme(D.Symboles);
    std::string ligne;
    for (uint64_t k = n; k-- > 0;) {
        ligne = Format("%12llu ", static_cast<unsigned long long>(h.NumeroRecent(uint32_t(k))));
        forme.Ligne(D.Suivi.PasHistorique(uint32_t(k)), ligne);
        Ecrit(ligne);
    }
    return true;
}

bool TConsoleDebogueur::CmdProfil(const TArgumentsConsole& a) {
    TSuiviDebogueur& s = D.Suivi;
    const TProfileur& p = s.Profileur();
    auto nombre = [&](size_t i, uint64_t& n) {
        if (a.size() <= i) return true;
        const auto v = LitDecimal(a[i], 0x20000, true);
        if (!v || *v == 0 || a.size() > i + 1) return false;
        n = *v;
        return true;
    };
    if (a.size() == 1 && EgalSansCasse(a[0], "marche")) {
        s.ActiveProfil(true);
        Ecrit("profil : en marche");
        return true;
    }
    if (a.size() == 1 && (EgalSansCasse(a[0], "arret") || a[0] == "arr\u00eat")) {
        s.ActiveProfil(false);
        Ecrit("profil : arrêté (les comptes restent)");
        return true;
    }
    if (a.size() == 1 && EgalSansCasse(a[0], "raz")) {
        s.Profileur().Raz();
        Ecrit("profil : comptes remis à zéro");
        return true;
    }
    if (!a.empty() && EgalSansCasse(a[0], "csv")) {
        if (a.size() != 2) return Malforme();
        std::string erreur;
        if (!EcritFichierAtomique(a[1], p.Csv(D.Symboles), erreur)) return Erreur("profil : " + erreur);
        Ecrit("profil : comptes écrits dans " + a[1]);
        return true;
    }
    const bool routines = !a.empty() && EgalSansCasse(a[0], "routines");
    uint64_t n = 20;
    if (!nombre(routines ? 1 : 0, n)) return Malforme();
    Ecrit("profil : " + ResumeProfil(p));
    if (!routines) {
        for (const TProfilAdresse& x : p.Chaudes(n))
            Ecrit(Format("%.4XH %u  %-16s ", unsigned(x.Adresse), unsigned(x.Banque),
                         NomProche(D.Symboles, x.Adresse).c_str()) +
                  NombreFr(int64_t(x.Executions)) + " fois, " + NombreFr(int64_t(x.Etats)) + " états T (" +
                  Pourcent(x.Etats, p.Etats()) + ")");
        return true;
    }
    const auto liste = p.Routines(D.Symboles);
    for (size_t i = 0; i < liste.size() && i < n; ++i) {
        const TProfilRoutine& r = liste[i];
        Ecrit(Format("%-16s %.4XH-%.4XH  ", r.Nom.c_str(), unsigned(r.Debut), unsigned(r.Fin)) +
              NombreFr(int64_t(r.Appels)) + " appels, exclusif " + NombreFr(int64_t(r.Exclusif)) + " (" +
              Pourcent(r.Exclusif, p.Etats()) + "), inclusif " + NombreFr(int64_t(r.Inclusif)) + " états T");
    }
    return true;
}

bool TConsoleDebogueur::CmdCouverture(const TArgumentsConsole& a) {
    TSuiviDebogueur& s = D.Suivi;
    if (a.empty()) {
        const TResumeCouverture r = s.Couverture().Resume();
        Ecrit(Format("couverture : %s, ", s.Couverture().Actif() ? "en marche" : "arrêtée") +
              NombreFr(int64_t(r.Executes)) + " octets exécutés, " + NombreFr(int64_t(r.Lus)) + " lus, " +
              NombreFr(int64_t(r.Ecrits)) + " écrits");
        return true;
    }
    if (a.size() == 1 && EgalSansCasse(a[0], "marche")) {
        s.ActiveCouverture(true);
        Ecrit("couverture : en marche");
        return true;
    }
    if (a.size() == 1 && (EgalSansCasse(a[0], "arret") || a[0] == "arr\u00eat")) {
        s.ActiveCouverture(false);
        Ecrit("couverture : arrêtée (les marques restent)");
        return true;
    }
    if (a.size() == 1 && EgalSansCasse(a[0], "raz")) {
        s.Couverture().Raz();
        Ecrit("couverture : marques effacées");
        return true;
    }
    if (!EgalSansCasse(a[0], "lcov") || a.size() < 2 || a.size() > 3) return Malforme();
    std::optional<uint8_t> banque;
    if (a.size() == 3 && !(banque = LitBanque(a[2]))) return Malforme();
    if (D.CarteSource.Vide()) return Erreur("couverture : aucune carte des sources chargée (sym charge FICHIER.zdbg)");
    std::string texte, erreur;
    if (!s.Couverture().Lcov(D.CarteSource, banque, texte, erreur) || !EcritFichierAtomique(a[1], texte, erreur))
        return Erreur("couverture : " + erreur);
    Ecrit("couverture : fichier lcov écrit dans " + a[1]);
    return true;
}

bool TConsoleDebogueur::CmdQui(const TArgumentsConsole& a) {
    if (a.empty() || a.size() > 2) return Malforme();
    const auto adr = LitHexa(a[0], 0xFFFF);
    std::optional<uint8_t> banque;
    if (!adr || (a.size() == 2 && !(banque = LitBanque(a[1])))) return Malforme();
    for (const std::string& l : TextesQui(D.Suivi.Ecrivains(), uint16_t(*adr), banque, D.Symboles)) Ecrit("qui : " + l);
    return true;
}
