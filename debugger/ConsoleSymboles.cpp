// The console commands of the symbols, of the breakpoint conditions and of
// the watchpoints.
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/GestionSymboles.h"
#include "debugger/PointsArret.h"

namespace {

std::string Joint(const TArgumentsConsole& a, size_t depuis) {
    std::string t;
    for (size_t i = depuis; i < a.size(); ++i) t += (t.empty() ? "" : " ") + a[i];
    return t;
}

bool NomSymboleAdmis(const std::string& nom) {
    if (nom.empty() || nom.size() > LongueurMaxNomSymbole) return false;
    for (char c : nom)
        if (c == '\b' || FiltreToucheNomSymbole(c) == 0) return false;
    return true;
}

} // namespace

std::string TConsoleDebogueur::TexteRapport(const TRapportArret& r) const {
    return TexteRapportArret(r, D.Sondes);
}

bool TConsoleDebogueur::CmdPaEtendu(const TArgumentsConsole& a) {
    if (a.empty()) {
        D.Sondes.OublieSansPtArret();
        const auto lignes = LignesPtArret(M.TblPtArret, D.Symboles, D.Sondes);
        if (lignes.empty()) Ecrit("pa : aucun point d'arrêt");
        for (const TLignePtArret& l : lignes) Ecrit(TexteLignePtArret(l));
        return true;
    }
    if (a.size() < 3 || !EgalSansCasse(a[1], "si")) return Malforme();
    const auto adr = LitHexa(a[0], UINT64_MAX);
    if (!adr) return Malforme();
    const uint16_t p = *adr > 0xFFFF ? 0xFFFF : uint16_t(*adr);
    const std::string condition = Joint(a, 2);
    if (auto erreur = D.Sondes.VerifieCondition(condition)) return Erreur("pa : " + *erreur);
    AjoutePtArret(M.TblPtArret, *adr);
    D.ReDasmDebug();
    D.Sondes.PoseCondition(p, condition);
    Ecrit(Format("pa : point d'arrêt en %.4XH si ", unsigned(p)) + D.Sondes.Condition(p));
    return true;
}

bool TConsoleDebogueur::CmdSym(const TArgumentsConsole& a) {
    TListeSymboles& l = D.Symboles;
    if (a.empty()) {
        if (l.empty()) Ecrit("sym : liste vide");
        for (const TSymbole& s : l) Ecrit(LigneSymbole(s));
        return true;
    }
    if (EgalSansCasse(a[0], "efface") && a.size() == 1) {
        l.clear();
        D.ReDasmDebug();
        Ecrit("sym : liste effacée");
        return true;
    }
    if (EgalSansCasse(a[0], "tri") && a.size() == 2) {
        const bool parNom = EgalSansCasse(a[1], "nom");
        if (!parNom && !EgalSansCasse(a[1], "adresse")) return Malforme();
        if (parNom)
            TrieSymbolesParNom(l);
        else
            TrieSymbolesParAdresse(l);
        D.ReDasmDebug();
        Ecrit(parNom ? "sym : liste triée par nom" : "sym : liste triée par adresse");
        return true;
    }
    if (EgalSansCasse(a[0], "charge") && a.size() >= 2) {
        const std::string chemin = Joint(a, 1);
        std::string pourquoi;
        const auto n = ChargeFichierSymboles(chemin, l, &D.CarteSource, &pourquoi);
        if (!n) return Erreur("sym : " + (pourquoi.empty() ? MessageLecture(GenreFichier(chemin), chemin) : pourquoi));
        D.ReDasmDebug();
        Ecrit(MessageSymbolesAjoutes(*n));
        if (EstCarteSource(chemin))
            Ecrit(Format("sym : carte des sources, %zu fichiers, %zu lignes de code", D.CarteSource.Fichiers.size(),
                         D.CarteSource.Plages.size()));
        return true;
    }
    if (a.size() != 2) return Malforme();
    const std::string nom = EnMajuscules(a[0]);
    if (!NomSymboleAdmis(nom))
        return Erreur("sym : nom incorrect (40 caractères maxi. parmi A-Z, 0-9, « . » et « _ ») : " + a[0]);
    const auto adr = LitHexa(a[1], 0xFFFF);
    if (!adr) return Malforme();
    if (AjouteSymbole(l, nom, Format("%X", unsigned(*adr))) == TAjoutSymbole::ExisteDeja)
        return Erreur(MessageSymboleExiste(nom));
    D.ReDasmDebug();
    Ecrit("sym : " + LigneSymbole(l.back()));
    return true;
}

bool TConsoleDebogueur::CmdSurv(const TArgumentsConsole& a) {
    if (a.empty()) {
        if (D.Sondes.Surveillances().empty()) Ecrit("surv : aucun point de surveillance");
        for (const TPointSurv& p : D.Sondes.Surveillances()) Ecrit(TexteSurveillance(p));
        return true;
    }
    TPointSurv p;
    const auto debut = LitHexa(a[0], 0xFFFF);
    if (!debut) return Malforme();
    p.Debut = p.Fin = uint16_t(*debut);
    bool finLue = false, accesLu = false, vueLue = false;
    for (size_t i = 1; i < a.size(); ++i) {
        const std::string m = EnMajuscules(a[i]);
        if (!accesLu && (m == "L" || m == "E" || m == "LE" || m == "EL")) {
            p.Acces = m == "L" ? asLecture : m == "E" ? asEcriture : asLes2;
            accesLu = true;
        } else if (!vueLue && (m == "CPU" || m == "LOGICIEL" || m == "DATA")) {
            p.Vue = m == "CPU" ? TVueSurv::CPU : m == "LOGICIEL" ? TVueSurv::Logiciel : TVueSurv::Data;
            vueLue = true;
        } else if (!finLue && i == 1) {
            const auto fin = LitHexa(a[i], 0xFFFF);
            if (!fin || *fin < p.Debut) return Malforme();
            p.Fin = uint16_t(*fin);
            finLue = true;
        } else {
            return Malforme();
        }
    }
    const bool ajoute = D.Sondes.AjouteSurveillance(p);
    Ecrit((ajoute ? "surv : " : "surv : déjà posé : ") + TexteSurveillance(p));
    return true;
}

bool TConsoleDebogueur::CmdSurvMoins(const TArgumentsConsole& a) {
    if (a.size() > 1) return Malforme();
    int n = 0;
    if (a.empty()) {
        n = int(D.Sondes.Surveillances().size());
        D.Sondes.EffaceSurveillances();
    } else {
        const auto debut = LitHexa(a[0], 0xFFFF);
        if (!debut) return Malforme();
        n = D.Sondes.RetireSurveillance(uint16_t(*debut));
    }
    Ecrit(Format("surv- : %d point%s de surveillance retiré%s", n, n > 1 ? "s" : "", n > 1 ? "s" : ""));
    return true;
}

bool TConsoleDebogueur::CmdSource(const TArgumentsConsole& a) {
    if (a.size() > 1) return Malforme();
    uint16_t adr = M.RegPC;
    if (a.size() == 1) {
        const auto lue = LitHexa(a[0], 0xFFFF);
        if (!lue) return Malforme();
        adr = uint16_t(*lue);
    }
    if (D.CarteSource.Vide()) return Erreur("source : aucune carte des sources (sym charge FICHIER.zdbg)");
    const std::string ligne = TexteSource(D.CarteSource, adr);
    if (ligne.empty()) return Erreur(Format("source : aucune ligne du source n'a assemblé %.4XH", unsigned(adr)));
    Ecrit(Format("%.4XH ", unsigned(adr)) + ligne);
    return true;
}
