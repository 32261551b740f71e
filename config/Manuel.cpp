#include "config/Manuel.h"

#include <algorithm>
#include <sstream>

#include "core/Texte.h"

namespace {

std::vector<std::string> LignesDe(const std::string& texte) {
    std::vector<std::string> lignes;
    std::istringstream flux(texte);
    for (std::string l; std::getline(flux, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lignes.push_back(l);
    }
    return lignes;
}

// "```" or "~~~" (three or more, up to three blanks before) opens or closes a
// fenced block.
bool EstClotureCode(const std::string& l) {
    const size_t i = l.find_first_not_of(' ');
    if (i == std::string::npos || i > 3) return false;
    return l.compare(i, 3, "```") == 0 || l.compare(i, 3, "~~~") == 0;
}

// The heading a line is, if it is one.
bool LitTitre(const std::string& l, TTitreManuel& t) {
    size_t i = l.find_first_not_of(' ');
    if (i == std::string::npos || i > 3 || l[i] != '#') return false;
    size_t n = 0;
    while (i + n < l.size() && l[i + n] == '#') ++n;
    if (n > 6 || (i + n < l.size() && l[i + n] != ' ' && l[i + n] != '\t')) return false;
    std::string texte = SansBlancs(l.substr(i + n));
    // A closing run of '#' after a blank is not part of the text.
    const size_t fin = texte.find_last_not_of('#');
    if (fin == std::string::npos) texte.clear();
    else if (fin + 1 < texte.size() && (texte[fin] == ' ' || texte[fin] == '\t')) texte = SansBlancs(texte.substr(0, fin));
    t.Niveau = int(n);
    t.Texte = TexteSimple(texte);
    return true;
}

// The letters of U+00C0 … U+00DF without accent (lower case); U+00E0 … U+00FF
// are the same letters. Empty: kept as it is (×, ÷, Þ, þ).
constexpr const char* LettresLatin1[32] = {"a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e",
                                           "e", "i", "i", "i", "i", "d", "n",  "o", "o", "o", "o",
                                           "o", "",  "o", "u", "u", "u", "u",  "y", "",  "ss"};

// The folded form of the code point `cp`, or nullptr to keep its bytes.
const char* Pli(uint32_t cp) {
    if (cp == 0xFF) return "y";
    if (cp == 0xFE) return nullptr;
    if (cp >= 0xC0 && cp <= 0xFF) {
        const char* p = LettresLatin1[(cp - 0xC0) & 0x1F];
        return *p ? p : nullptr;
    }
    switch (cp) {
    case 0x152:
    case 0x153: return "oe";
    case 0x178: return "y";
    case 0xA0:
    case 0x202F: return " ";
    case 0x2019: return "'";
    default: return nullptr;
    }
}

// Length of the UTF-8 sequence at s[i] and its code point (a bad sequence
// counts as one byte, code point 0).
size_t LitCaractere(const std::string& s, size_t i, uint32_t& cp) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) {
        cp = 0;
        return 1;
    }
    cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        const auto suite = static_cast<unsigned char>(s[i + k]);
        if ((suite & 0xC0) != 0x80) {
            cp = 0;
            return 1;
        }
        cp = (cp << 6) | (suite & 0x3F);
    }
    return n;
}

// The end of the link or image text opened at s[i] ('['), its target
// skipped: [texte](cible). npos when it is not a link.
size_t FinLien(const std::string& s, size_t i, size_t& finTexte) {
    finTexte = s.find(']', i);
    if (finTexte == std::string::npos || finTexte + 1 >= s.size() || s[finTexte + 1] != '(') return std::string::npos;
    const size_t fin = s.find(')', finTexte);
    return fin == std::string::npos ? fin : fin + 1;
}

std::vector<std::string> Mots(const std::string& requete) {
    std::vector<std::string> mots;
    std::istringstream flux(Replie(requete));
    for (std::string m; flux >> m;) mots.push_back(m);
    return mots;
}

// The extract shown for a hit: the line around the word, some 90 bytes.
std::string Autour(const std::string& ligne, size_t pos) {
    constexpr size_t Avant = 30, Longueur = 90;
    size_t debut = pos > Avant ? pos - Avant : 0;
    while (debut > 0 && (static_cast<unsigned char>(ligne[debut]) & 0xC0) == 0x80) --debut;
    size_t fin = std::min(ligne.size(), debut + Longueur);
    while (fin < ligne.size() && (static_cast<unsigned char>(ligne[fin]) & 0xC0) == 0x80) ++fin;
    std::string t;
    for (char c : ligne.substr(debut, fin - debut)) t += c == '|' ? ' ' : c; // a table row's bars
    t = SansBlancs(t);
    for (size_t p; (p = t.find("  ")) != std::string::npos;) t.erase(p, 1);
    if (debut > 0) t = "\u2026" + t;
    if (fin < ligne.size()) t += "\u2026";
    return t;
}

} // namespace

std::vector<std::string> ChapitresDuSommaire(const std::string& sommaire) {
    std::vector<std::string> fichiers;
    for (size_t i = sommaire.find("]("); i != std::string::npos; i = sommaire.find("](", i + 2)) {
        const size_t fin = sommaire.find(')', i);
        if (fin == std::string::npos) break;
        const std::string cible = sommaire.substr(i + 2, fin - i - 2);
        const bool simple = cible.find_first_of("/#:") == std::string::npos;
        if (simple && cible.size() > 3 && cible.ends_with(".md") &&
            std::find(fichiers.begin(), fichiers.end(), cible) == fichiers.end())
            fichiers.push_back(cible);
    }
    return fichiers;
}

std::vector<TTitreManuel> TitresMarkdown(const std::string& texte) {
    std::vector<TTitreManuel> titres;
    const std::vector<std::string> lignes = LignesDe(texte);
    bool code = false;
    for (size_t i = 0; i < lignes.size(); ++i) {
        if (EstClotureCode(lignes[i])) code = !code;
        TTitreManuel t;
        if (!code && LitTitre(lignes[i], t)) {
            t.Ligne = i;
            titres.push_back(t);
        }
    }
    return titres;
}

std::string TexteSimple(const std::string& ligne) {
    std::string t;
    for (size_t i = 0; i < ligne.size();) {
        const char c = ligne[i];
        size_t finTexte = 0, fin = 0;
        if (c == '\\' && i + 1 < ligne.size()) {
            t += ligne[i + 1];
            i += 2;
        } else if (c == '`') {
            const size_t ferme = ligne.find('`', i + 1);
            if (ferme == std::string::npos) return t + ligne.substr(i + 1);
            t += ligne.substr(i + 1, ferme - i - 1);
            i = ferme + 1;
        } else if (c == '*') {
            ++i;
        } else if ((c == '[' || (c == '!' && i + 1 < ligne.size() && ligne[i + 1] == '[')) &&
                   (fin = FinLien(ligne, c == '!' ? i + 1 : i, finTexte)) != std::string::npos) {
            const size_t debut = c == '!' ? i + 2 : i + 1;
            t += TexteSimple(ligne.substr(debut, finTexte - debut));
            i = fin;
        } else {
            t += c;
            ++i;
        }
    }
    return t;
}

std::string Replie(const std::string& s, std::vector<size_t>* origines) {
    std::string r;
    if (origines) origines->clear();
    for (size_t i = 0; i < s.size();) {
        uint32_t cp = 0;
        const size_t n = LitCaractere(s, i, cp);
        const char* pli = Pli(cp);
        const std::string morceau =
            pli ? std::string(pli) : n == 1 && cp >= 'A' && cp <= 'Z' ? std::string(1, char(cp - 'A' + 'a')) : s.substr(i, n);
        r += morceau;
        if (origines) origines->insert(origines->end(), morceau.size(), i);
        i += n;
    }
    return r;
}

void TManuel::Ajoute(const std::string& fichier, const std::string& texte) {
    TChapitreManuel c;
    c.Fichier = fichier;
    c.Lignes = LignesDe(texte);
    c.Titres = TitresMarkdown(texte);
    c.Titre = c.Titres.empty() ? fichier : c.Titres.front().Texte;
    FChapitres.push_back(std::move(c));
}

int TManuel::Indice(const std::string& fichier) const {
    for (size_t i = 0; i < FChapitres.size(); ++i)
        if (FChapitres[i].Fichier == fichier) return int(i);
    return -1;
}

std::vector<TTrouvaille> TManuel::Cherche(const std::string& requete) const {
    std::vector<TTrouvaille> t;
    const std::vector<std::string> mots = Mots(requete);
    if (mots.empty()) return t;
    for (size_t c = 0; c < FChapitres.size(); ++c) ChercheDans(c, mots, t);
    return t;
}

// Each section of the chapter: from a heading to the next one.
void TManuel::ChercheDans(size_t chapitre, const std::vector<std::string>& mots, std::vector<TTrouvaille>& t) const {
    const TChapitreManuel& c = FChapitres[chapitre];
    for (int s = -1; s < int(c.Titres.size()); ++s) {
        const size_t debut = s < 0 ? 0 : c.Titres[size_t(s)].Ligne;
        const size_t fin = s + 1 < int(c.Titres.size()) ? c.Titres[size_t(s + 1)].Ligne : c.Lignes.size();
        std::string repli;
        TTrouvaille tr;
        for (size_t l = debut; l < fin; ++l) {
            const std::string simple = s >= 0 && l == debut ? c.Titres[size_t(s)].Texte : TexteSimple(c.Lignes[l]);
            std::vector<size_t> origines;
            const std::string r = Replie(simple, &origines);
            const size_t p = r.find(mots.front());
            if (tr.Extrait.empty() && p != std::string::npos) {
                const size_t finMot = p + mots.front().size();
                const size_t finOrigine = finMot < origines.size() ? origines[finMot] : simple.size();
                tr.Forme = simple.substr(origines[p], finOrigine - origines[p]);
                tr.Extrait = Autour(simple, origines[p]);
            }
            repli += r + "\n";
        }
        const bool tous = std::all_of(mots.begin(), mots.end(),
                                      [&repli](const std::string& m) { return repli.find(m) != std::string::npos; });
        if (!tous || tr.Extrait.empty()) continue;
        tr.Chapitre = chapitre;
        tr.Titre = s;
        tr.Section = s < 0 ? c.Titre : c.Titres[size_t(s)].Texte;
        t.push_back(std::move(tr));
    }
}
