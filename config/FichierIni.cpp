#include "config/FichierIni.h"

#include <cctype>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/Fichiers.h"
#include "core/Texte.h"

namespace {

constexpr uint64_t TailleMaxIni = 16 * 1024 * 1024;

// "[nom]" → nom (trimmed); anything else → false.
bool EstEnteteSection(const std::string& ligne, std::string& nom) {
    const std::string l = SansBlancs(ligne);
    if (l.empty() || l[0] != '[') return false;
    const size_t fin = l.find(']');
    nom = SansBlancs(l.substr(1, fin == std::string::npos ? std::string::npos : fin - 1));
    return true;
}

// "cle=valeur" → cle (trimmed); comment and blank lines → false.
bool EstLigneCle(const std::string& ligne, std::string& cle, std::string* valeur) {
    const std::string l = SansBlancs(ligne);
    if (l.empty() || l[0] == ';' || l[0] == '[') return false;
    const size_t egal = l.find('=');
    if (egal == std::string::npos) return false;
    cle = SansBlancs(l.substr(0, egal));
    if (valeur) *valeur = SansBlancs(l.substr(egal + 1));
    return true;
}

} // namespace

bool TFichierIni::Charge(const std::string& chemin) {
    FLignes.clear();
    std::string texte;
    // A settings file is small: a device or a huge file is not one.
    if (LitFichierTexte(chemin, texte, TailleMaxIni) != TLectureFichier::Ok) return false;
    ChargeTexte(texte);
    return true;
}

void TFichierIni::ChargeTexte(const std::string& texte) {
    FLignes.clear();
    size_t debut = texte.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (debut < texte.size()) {
        size_t fin = texte.find('\n', debut);
        if (fin == std::string::npos) fin = texte.size();
        std::string ligne = texte.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
        FLignes.push_back(std::move(ligne));
        debut = fin + 1;
    }
}

std::string TFichierIni::Texte() const {
    std::string t;
    for (const std::string& l : FLignes) t += l + "\n";
    return t;
}

bool TFichierIni::Enregistre(const std::string& chemin) const {
    std::string erreur;
    return EcritFichierAtomique(chemin, Texte(), erreur);
}

int TFichierIni::TrouveSection(const std::string& section) const {
    std::string nom;
    for (size_t i = 0; i < FLignes.size(); ++i)
        if (EstEnteteSection(FLignes[i], nom) && EgalSansCasse(nom, section)) return int(i);
    return -1;
}

int TFichierIni::TrouveCle(int debut, const std::string& cle) const {
    std::string nom;
    for (size_t i = size_t(debut) + 1; i < FLignes.size(); ++i) {
        if (EstEnteteSection(FLignes[i], nom)) return -1;
        if (EstLigneCle(FLignes[i], nom, nullptr) && EgalSansCasse(nom, cle)) return int(i);
    }
    return -1;
}

bool TFichierIni::Existe(const std::string& section, const std::string& cle) const {
    const int s = TrouveSection(section);
    return s >= 0 && TrouveCle(s, cle) >= 0;
}

std::string TFichierIni::LitTexte(const std::string& section, const std::string& cle,
                                  const std::string& defaut) const {
    const int s = TrouveSection(section);
    const int c = s < 0 ? -1 : TrouveCle(s, cle);
    if (c < 0) return defaut;
    std::string nom, valeur;
    EstLigneCle(FLignes[size_t(c)], nom, &valeur);
    if (valeur.size() >= 2 && (valeur.front() == '"' || valeur.front() == '\'') && valeur.back() == valeur.front())
        valeur = valeur.substr(1, valeur.size() - 2);
    return valeur;
}

int32_t TFichierIni::LitEntier(const std::string& section, const std::string& cle, int32_t defaut) const {
    const std::string v = LitTexte(section, cle, "");
    size_t i = 0;
    bool negatif = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negatif = v[i++] == '-';
    if (i >= v.size() || !std::isdigit(static_cast<unsigned char>(v[i]))) return defaut;
    int64_t n = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > int64_t(std::numeric_limits<int32_t>::max()) + 1) n = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negatif) n = -n;
    if (n > std::numeric_limits<int32_t>::max()) n = std::numeric_limits<int32_t>::max();
    return int32_t(n);
}

void TFichierIni::EcritTexte(const std::string& section, const std::string& cle, const std::string& valeur) {
    const std::string ligne = cle + "=" + valeur;
    const int s = TrouveSection(section);
    if (s < 0) {
        if (!FLignes.empty() && !SansBlancs(FLignes.back()).empty()) FLignes.emplace_back();
        FLignes.push_back("[" + section + "]");
        FLignes.push_back(ligne);
        return;
    }
    const int c = TrouveCle(s, cle);
    if (c >= 0) {
        FLignes[size_t(c)] = ligne;
        return;
    }
    // After the last non-blank line of the section.
    size_t pos = size_t(s) + 1;
    std::string nom;
    for (size_t i = size_t(s) + 1; i < FLignes.size() && !EstEnteteSection(FLignes[i], nom); ++i)
        if (!SansBlancs(FLignes[i]).empty()) pos = i + 1;
    FLignes.insert(FLignes.begin() + std::ptrdiff_t(pos), ligne);
}

void TFichierIni::EcritEntier(const std::string& section, const std::string& cle, int32_t valeur) {
    EcritTexte(section, cle, std::to_string(valeur));
}
