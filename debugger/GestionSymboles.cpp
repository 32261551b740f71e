#include "debugger/GestionSymboles.h"

#include <algorithm>
#include <sstream>

#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/PointsArret.h"
#include "debugger/SaisieRegistre.h"
#include "debugger/Sondes.h"

char FiltreToucheNomSymbole(char touche) {
    if (touche >= 'a' && touche <= 'z') return char(touche - 'a' + 'A');
    if (touche == '\b' || touche == '.' || touche == '_' || (touche >= '0' && touche <= '9') ||
        (touche >= 'A' && touche <= 'Z'))
        return touche;
    return 0;
}

char FiltreToucheAdresseSymbole(char touche) {
    if (touche >= 'a' && touche <= 'f') return char(touche - 'a' + 'A');
    if (touche == '\b' || ValeurHexa(touche) >= 0) return touche;
    return 0;
}

TAjoutSymbole AjouteSymbole(TListeSymboles& liste, const std::string& nom, const std::string& adresseHexa) {
    const uint32_t adresse = ValeurRegistre(adresseHexa.empty() ? "0" : adresseHexa, false);
    if (nom.empty()) return TAjoutSymbole::NomVide;
    if (IndexSymboleNomme(liste, nom) >= 0) return TAjoutSymbole::ExisteDeja;
    liste.push_back({nom, int32_t(adresse)});
    return TAjoutSymbole::Ajoute;
}

std::string MessageSymboleExiste(const std::string& nom) { return "Le symbole " + nom + " Existe déjà"; }

int CompareNomsSansCasse(const std::string& a, const std::string& b) {
    const std::string ma = EnMajuscules(a), mb = EnMajuscules(b);
    if (ma != mb) return ma < mb ? -1 : 1;
    return a < b ? -1 : a == b ? 0 : 1;
}

void TrieSymbolesParNom(TListeSymboles& liste, const TCompareNoms& compare) {
    std::stable_sort(liste.begin(), liste.end(),
                     [&compare](const TSymbole& a, const TSymbole& b) { return compare(a.Nom, b.Nom) < 0; });
}

void TrieSymbolesParAdresse(TListeSymboles& liste) {
    std::stable_sort(liste.begin(), liste.end(),
                     [](const TSymbole& a, const TSymbole& b) { return a.Adresse < b.Adresse; });
}

std::string TexteAdresseSymbole(int32_t adresse) { return Format("%.4XH", unsigned(adresse)); }

std::string LigneSymbole(const TSymbole& s) { return s.Nom + " " + TexteAdresseSymbole(s.Adresse); }

bool EstCarteSource(const std::string& chemin) {
    const std::string ext = ".zdbg";
    return chemin.size() > ext.size() && EgalSansCasse(chemin.substr(chemin.size() - ext.size()), ext);
}

std::optional<int> ChargeFichierSymboles(const std::string& chemin, TListeSymboles& liste, TCarteSource* carte,
                                         std::string* erreur) {
    std::string texte;
    if (LitFichierTexte(chemin, texte) != TLectureFichier::Ok) return std::nullopt;
    if (!EstCarteSource(chemin)) {
        std::istringstream in(texte);
        return ChargeSymboles(in, liste);
    }
    TCarteSource lue;
    std::string pourquoi;
    if (!LitCarteSource(texte, lue, pourquoi)) {
        if (erreur) *erreur = chemin + " : " + pourquoi;
        return std::nullopt;
    }
    // The labels join the list as a symbol file's pairs would.
    std::ostringstream paires;
    for (const TSymboleCarte& s : lue.Symboles)
        if (s.Genre == TGenreSymboleCarte::Etiquette && s.Valeur >= 0 && s.Valeur <= 0xFFFF)
            paires << s.Nom << ' ' << Format("%X", unsigned(s.Valeur)) << '\n';
    std::istringstream in(paires.str());
    const int n = ChargeSymboles(in, liste);
    if (carte) *carte = std::move(lue);
    return n;
}

std::string MessageSymbolesAjoutes(int nombre) { return std::to_string(nombre) + " symboles ajoutés"; }

TLignePtArret LignePtArret(uint16_t adresse, const TListeSymboles& symboles, const TSondesDebogueur& sondes) {
    return {adresse, Format("%.4XH", unsigned(adresse)), NomSymbole(symboles, adresse), sondes.Condition(adresse)};
}

std::vector<TLignePtArret> LignesPtArret(const TTblPtArret& table, const TListeSymboles& symboles,
                                         const TSondesDebogueur& sondes) {
    std::vector<TLignePtArret> lignes;
    for (uint16_t a : ListePtArret(table)) lignes.push_back(LignePtArret(a, symboles, sondes));
    return lignes;
}

std::string TexteLignePtArret(const TLignePtArret& l) {
    std::string t = l.Texte;
    if (!l.Symbole.empty()) t += " " + l.Symbole;
    if (!l.Condition.empty()) t += " si " + l.Condition;
    return t;
}
