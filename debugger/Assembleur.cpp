#include "debugger/Assembleur.h"

#include "core/Fichiers.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>

#include "core/Machine.h"
#include "debugger/ExpressionAsm.h"
#include "debugger/JeuInstructions.h"

std::string TErreurAsm::Texte() const {
    return Fichier + ":" + std::to_string(Ligne) + ": " + TexteVisible(Message);
}

std::string TResultatAsm::TexteErreurs() const {
    std::string t;
    for (const TErreurAsm& e : Erreurs) t += e.Texte() + "\n";
    return t;
}

uint16_t TResultatAsm::Adresse(const std::string& nom) const {
    auto it = Symboles.find(EnMajuscules(nom));
    if (it == Symboles.end()) throw std::out_of_range("symbole absent : " + nom);
    return uint16_t(it->second.Valeur);
}

TListeSymboles TResultatAsm::Etiquettes() const {
    TListeSymboles l;
    for (const auto& [nom, s] : Symboles)
        if (s.Genre == gsEtiquette && s.Valeur <= 0xFFFF) l.push_back({nom, s.Valeur});
    std::stable_sort(l.begin(), l.end(),
                     [](const TSymbole& a, const TSymbole& b) { return a.Adresse < b.Adresse; });
    return l;
}

namespace {

constexpr int ProfondeurInclusionMax = 16;
// Bounds of the whole text, INCLUDE files counted each time they are read:
// a file that includes itself several times would otherwise grow without end.
constexpr uint64_t TailleSourceMax = 64 * 1024 * 1024;
constexpr size_t LignesSourceMax = 1'000'000;

// ---------------------------------------------------------------------------
// Opcode look-up, derived from the instruction table.

struct TFormeAsm {
    int NbRegistres = 0; // register operands before the value
    TGenreImm Imm = ikAucun;
};

struct TCatalogue {
    std::map<std::string, TFormeAsm> Formes;     // mnemonic -> operand form
    std::map<std::string, uint8_t> Codes;        // "MOV B,C" -> opcode
};

const TCatalogue& Catalogue() {
    static const TCatalogue c = [] {
        TCatalogue k;
        for (int op = 0; op < 256; ++op) {
            const TDefInstr& d = TableInstr[op];
            if (!d.Documente) continue;
            std::string m = d.Mnemo, ops = d.Operandes;
            int nb = ops.empty() ? 0 : 1 + int(std::count(ops.begin(), ops.end(), ','));
            if (m == "RST") nb = 0; // its number is an expression
            k.Formes[m] = {nb, m == "RST" ? ikOctet : d.Imm};
            k.Codes[m + " " + (m == "RST" ? std::string() : ops)] = uint8_t(op);
        }
        return k;
    }();
    return c;
}

bool EstDirective(const std::string& m) {
    return m == "ORG" || m == "EQU" || m == "SET" || m == "DB" || m == "DW" || m == "DS" ||
           m == "END" || m == "INCLUDE";
}

bool EstRegistre(const std::string& m) {
    return m == "A" || m == "B" || m == "C" || m == "D" || m == "E" || m == "H" || m == "L" ||
           m == "M" || m == "SP" || m == "PSW";
}

bool EstReserve(const std::string& m) {
    return EstDirective(m) || EstRegistre(m) || EstOperateurMot(m) ||
           Catalogue().Formes.count(m);
}

// ---------------------------------------------------------------------------
// Source lines and their parts.

struct TLigneSource {
    std::string Fichier;
    int Numero = 0;
    std::string Texte;
};

struct TLigneAnalysee {
    std::string Etiquette; // upper case, or ""
    std::string Operation; // upper case, or ""
    std::string Operandes; // the rest, trimmed
};

std::string Nettoie(const std::string& s) {
    size_t d = s.find_first_not_of(" \t\r\n\f\v");
    if (d == std::string::npos) return {};
    size_t f = s.find_last_not_of(" \t\r\n\f\v");
    return s.substr(d, f - d + 1);
}

// The text before a ";" that is outside quotes.
std::string SansCommentaire(const std::string& t) {
    char guillemet = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (guillemet) {
            if (c == guillemet) guillemet = 0;
        } else if (c == '\'' || c == '"') {
            guillemet = c;
        } else if (c == ';') {
            return t.substr(0, i);
        }
    }
    return t;
}

size_t SauteBlancs(const std::string& t, size_t i) {
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\r')) ++i;
    return i;
}

std::string LitIdent(const std::string& t, size_t& i) {
    size_t d = i;
    if (i < t.size() && EstDebutIdent(t[i]))
        while (i < t.size() && EstSuiteIdent(t[i])) ++i;
    return EnMajuscules(t.substr(d, i - d));
}

TLigneAnalysee Analyse(const std::string& brut) {
    std::string t = SansCommentaire(brut);
    TLigneAnalysee r;
    size_t i = SauteBlancs(t, 0);
    bool colonne1 = i == 0;
    std::string mot = LitIdent(t, i);
    if (mot.empty() && i < t.size())
        throw TErreurSource("caractère inattendu : " + TexteVisible(std::string(1, t[i])));
    if (!mot.empty() && i < t.size() && t[i] == ':') {
        r.Etiquette = mot;
        i = SauteBlancs(t, i + 1);
        mot = LitIdent(t, i);
    } else if (!mot.empty()) {
        size_t j = SauteBlancs(t, i);
        size_t k = j;
        std::string suivant = LitIdent(t, k);
        bool nomme = (suivant == "EQU" || suivant == "SET") && (k >= t.size() || !EstSuiteIdent(t[k]));
        if (nomme || (colonne1 && !EstReserve(mot))) {
            r.Etiquette = mot;
            i = j;
            mot = LitIdent(t, i);
        }
    }
    if (mot.empty() && SauteBlancs(t, i) < t.size())
        throw TErreurSource("mnémonique attendu : " + Nettoie(t.substr(i)));
    if (i < t.size() && !(t[i] == ' ' || t[i] == '\t' || t[i] == '\r'))
        throw TErreurSource("mnémonique inconnu : " + mot + Nettoie(t.substr(i)).substr(0, 20));
    r.Operation = mot;
    r.Operandes = Nettoie(t.substr(std::min(i, t.size())));
    return r;
}

// Operands split at the commas that are outside quotes and parentheses.
std::vector<std::string> DecoupeOperandes(const std::string& t) {
    std::vector<std::string> r;
    if (Nettoie(t).empty()) return r;
    std::string cour;
    char guillemet = 0;
    int niveau = 0;
    for (char c : t) {
        if (guillemet) {
            if (c == guillemet) guillemet = 0;
        } else if (c == '\'' || c == '"') {
            guillemet = c;
        } else if (c == '(') {
            ++niveau;
        } else if (c == ')') {
            --niveau;
        } else if (c == ',' && niveau <= 0) {
            r.push_back(Nettoie(cour));
            cour.clear();
            continue;
        }
        cour += c;
    }
    r.push_back(Nettoie(cour));
    return r;
}

// A whole operand that is one quoted string: its characters.
std::optional<std::string> ChaineSeule(const std::string& op) {
    if (op.size() < 2 || (op[0] != '\'' && op[0] != '"')) return std::nullopt;
    char g = op[0];
    std::string s;
    size_t i = 1;
    for (; i < op.size(); ++i) {
        if (op[i] == g) {
            if (i + 1 < op.size() && op[i + 1] == g) {
                s += g;
                ++i;
                continue;
            }
            break;
        }
        s += op[i];
    }
    if (i != op.size() - 1) return std::nullopt; // more follows the string
    return s;
}

// ---------------------------------------------------------------------------
// Reading the source with its INCLUDE files.

class TLecteurDisque : public ILecteurSource {
public:
    std::optional<std::string> Lit(const std::string& chemin) override {
        std::string texte;
        if (LitFichierTexte(chemin, texte, TailleSourceMax) != TLectureFichier::Ok) return std::nullopt;
        return texte;
    }
};

struct TErreurNumerotee {
    size_t Index; // position of the line in the flattened source
    TErreurAsm Erreur;
};

class TDepliage {
public:
    TDepliage(ILecteurSource& l, std::vector<TLigneSource>& lignes,
              std::vector<TErreurNumerotee>& erreurs)
        : FLecteur(l), FLignes(lignes), FErreurs(erreurs) {}

    std::vector<std::string> Fichiers;
    bool Depasse() const { return FDepasse; }

    void Ajoute(const std::string& source, const std::string& fichier, int profondeur) {
        FTotal += source.size();
        std::istringstream in(source);
        std::string ligne;
        int numero = 0;
        while (!FDepasse && std::getline(in, ligne)) {
            ++numero;
            if (FLignes.size() >= LignesSourceMax) {
                FDepasse = true;
                FLignes.push_back({fichier, numero, ligne});
                return Erreur(fichier, numero, "source trop long : plus de 1 000 000 lignes avec les INCLUDE");
            }
            if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
            FLignes.push_back({fichier, numero, ligne});
            std::optional<std::string> inclus = Inclusion(ligne);
            if (inclus) Inclut(*inclus, fichier, numero, profondeur);
        }
    }

private:
    ILecteurSource& FLecteur;
    uint64_t FTotal = 0;    // bytes of source read, INCLUDE files too
    bool FDepasse = false;  // a bound was passed: nothing more is read
    std::vector<TLigneSource>& FLignes;
    std::vector<TErreurNumerotee>& FErreurs;

    static std::optional<std::string> Inclusion(const std::string& ligne) {
        try {
            TLigneAnalysee a = Analyse(ligne);
            if (a.Operation != "INCLUDE") return std::nullopt;
            std::string nom = a.Operandes;
            if (auto s = ChaineSeule(nom)) nom = *s;
            return nom;
        } catch (const TErreurSource&) {
            return std::nullopt; // reported by the passes
        }
    }

    void Erreur(const std::string& fichier, int numero, const std::string& message) {
        FErreurs.push_back({FLignes.size() - 1, {fichier, numero, message}});
    }

    void Inclut(const std::string& nom, const std::string& fichier, int numero, int profondeur) {
        if (nom.empty()) return Erreur(fichier, numero, "nom de fichier attendu après INCLUDE");
        if (profondeur >= ProfondeurInclusionMax) {
            FDepasse = true; // a runaway recursion is one fault, not one per copy
            return Erreur(fichier, numero, "INCLUDE trop imbriqués : " + nom);
        }
        std::filesystem::path p(nom);
        if (p.is_relative()) p = std::filesystem::path(fichier).parent_path() / p;
        std::optional<std::string> texte = FLecteur.Lit(p.string());
        if (!texte) return Erreur(fichier, numero, "fichier introuvable : " + nom);
        if (FTotal + texte->size() > TailleSourceMax) {
            FDepasse = true;
            return Erreur(fichier, numero, "source trop long : plus de 64 Mo avec les INCLUDE (" + nom + ")");
        }
        Fichiers.push_back(p.string());
        Ajoute(*texte, p.string(), profondeur + 1);
    }
};

// ---------------------------------------------------------------------------
// The two passes.

// A fault already recorded in the first pass.
struct TDejaSignale {};

struct TLigneListee {
    size_t Index = 0;
    int32_t Adresse = -1;          // -1: no address column
    std::optional<int32_t> Valeur; // EQU and SET
    std::vector<uint8_t> Octets;
};

class TAssembleur {
public:
    TAssembleur(const std::vector<TLigneSource>& lignes, std::vector<TErreurNumerotee>& erreurs)
        : FLignes(lignes), FErreurs(erreurs), FMem(0x10000), FEcrit(0x10000) {
        for (const TLigneSource& l : FLignes)
            if (FNumerosSources.emplace(l.Fichier, uint32_t(FSources.size())).second) FSources.push_back(l.Fichier);
    }

    void Passe(int numero) {
        FPasse = numero;
        FSansPhase = FErreurs.empty(); // after first-pass faults addresses may move
        FPC = 0;
        FDeclares.clear();
        FFin = false;
        for (FIndex = 0; FIndex < FLignes.size() && !FFin; ++FIndex) TraiteLigne();
    }

    void Resultat(TResultatAsm& r) {
        const int32_t bas = FBas, haut = FHaut;
        if (haut >= 0) {
            r.Origine = uint16_t(bas);
            r.Octets.assign(FMem.begin() + bas, FMem.begin() + haut + 1);
            r.Ecrit.assign(FEcrit.begin() + bas, FEcrit.begin() + haut + 1);
        }
        r.Entree = FEntree;
        r.Symboles = FSymboles;
        r.Listing = Listing();
        r.Sources = FSources;
        r.Plages = FPlages;
    }

private:
    const std::vector<TLigneSource>& FLignes;
    std::vector<TErreurNumerotee>& FErreurs;
    std::vector<uint8_t> FMem;
    std::vector<bool> FEcrit;
    int32_t FBas = 0x10000, FHaut = -1; // lowest and highest address written
    std::map<std::string, TSymboleAsm> FSymboles;
    std::set<std::string> FDeclares; // names defined in the current pass
    std::vector<TLigneListee> FListing;
    std::optional<uint16_t> FEntree;
    int FPasse = 1;
    bool FSansPhase = true;
    int32_t FPC = 0;
    size_t FIndex = 0;
    bool FFin = false;
    int FLgPrevue = 0; // bytes the current line takes, known before its values
    std::vector<TPlageSource> FPlages;          // second pass
    std::vector<std::string> FSources;
    std::map<std::string, uint32_t> FNumerosSources;
    size_t FIndexPlage = 0;                     // the line of FPlages.back()
    TLigneListee FCour;

    void Erreur(const std::string& message) {
        const TLigneSource& l = FLignes[FIndex];
        FErreurs.push_back({FIndex, {l.Fichier, l.Numero, message}});
    }

    void TraiteLigne() {
        FCour = {FIndex, -1, std::nullopt, {}};
        FLgPrevue = 0;
        int32_t debut = FPC;
        try {
            TLigneAnalysee a = Analyse(FLignes[FIndex].Texte);
            if (!a.Etiquette.empty() || !a.Operation.empty()) FCour.Adresse = FPC;
            if (a.Operation == "EQU" || a.Operation == "SET") return DefinitValeur(a);
            if (!a.Etiquette.empty()) DefinitEtiquette(a.Etiquette);
            if (!a.Operation.empty()) Operation(a);
        } catch (const TErreurSource& e) {
            if (FPasse == 2) Erreur(e.what());
            FPC = debut + FLgPrevue;
        } catch (const TDejaSignale&) {
            FPC = debut + FLgPrevue;
        }
        if (FPasse == 2) FListing.push_back(FCour);
    }

    // --- Symbols ----------------------------------------------------------

    std::optional<int32_t> ValeurSymbole(const std::string& nom) const {
        auto it = FSymboles.find(nom);
        if (it == FSymboles.end()) return std::nullopt;
        return it->second.Valeur;
    }

    TValeurExpr Evalue(const std::string& texte) {
        TContexteExpr ctx;
        ctx.Symbole = [this](const std::string& n) { return ValeurSymbole(n); };
        ctx.Dollar = FCour.Adresse >= 0 ? FCour.Adresse : FPC;
        TValeurExpr v = EvalueExpression(texte, ctx);
        if (!v.NonDefini.empty() && FPasse == 2)
            throw TErreurSource("symbole non défini : " + v.NonDefini);
        return v;
    }

    // A value that must be known in the first pass (addresses depend on it).
    int32_t EvalueImmediat(const std::string& texte, const char* directive) {
        TValeurExpr v = Evalue(texte);
        if (!v.NonDefini.empty())
            ErreurPasse1(std::string("valeur de ") + directive +
                         " non définie à cet endroit : " + v.NonDefini);
        return v.Valeur;
    }

    // A fault found in the first pass only: recorded there, not repeated.
    [[noreturn]] void ErreurPasse1(const std::string& message) {
        if (FPasse == 1) Erreur(message);
        throw TDejaSignale{};
    }

    void VerifieNom(const std::string& nom) {
        if (EstReserve(nom)) throw TErreurSource("nom réservé : " + nom);
    }

    void DefinitEtiquette(const std::string& nom) {
        VerifieNom(nom);
        Declare(nom, gsEtiquette, FPC);
    }

    void Declare(const std::string& nom, TGenreSymbAsm genre, int32_t valeur) {
        auto it = FSymboles.find(nom);
        bool deja = FDeclares.count(nom) > 0;
        if (deja && !(genre == gsSet && it != FSymboles.end() && it->second.Genre == gsSet)) {
            ErreurPasse1("symbole déjà défini : " + nom);
        }
        if (FPasse == 2 && FSansPhase && genre == gsEtiquette && it != FSymboles.end() &&
            it->second.Valeur != valeur)
            throw TErreurSource("erreur de phase sur " + nom);
        FDeclares.insert(nom);
        FSymboles[nom] = {valeur, genre};
    }

    void DefinitValeur(const TLigneAnalysee& a) {
        if (a.Etiquette.empty()) throw TErreurSource(a.Operation + " sans nom");
        VerifieNom(a.Etiquette);
        if (a.Operandes.empty()) throw TErreurSource("valeur attendue après " + a.Operation);
        TValeurExpr v = Evalue(a.Operandes);
        TGenreSymbAsm genre = a.Operation == "EQU" ? gsEqu : gsSet;
        FCour.Adresse = -1;
        FCour.Valeur = v.Valeur;
        if (v.NonDefini.empty()) {
            Declare(a.Etiquette, genre, v.Valeur);
        } else if (FDeclares.count(a.Etiquette) && genre == gsEqu) {
            ErreurPasse1("symbole déjà défini : " + a.Etiquette);
        } else {
            FDeclares.insert(a.Etiquette); // defined in the second pass
        }
        if (FPasse == 2) FListing.push_back(FCour);
    }

    // --- Bytes ------------------------------------------------------------

    void Emet(uint8_t octet) {
        if (FPC > 0xFFFF) throw TErreurSource("le code dépasse l'adresse FFFFH");
        if (FPasse == 2) {
            if (FEcrit[FPC]) {
                char t[64];
                std::snprintf(t, sizeof t, "l'adresse %.4XH est déjà assemblée", unsigned(FPC));
                throw TErreurSource(t);
            }
            FMem[FPC] = octet;
            FEcrit[FPC] = true;
            NotePlage();
            FBas = std::min(FBas, FPC);
            FHaut = std::max(FHaut, FPC);
            FCour.Octets.push_back(octet);
        }
        ++FPC;
    }

    // The byte at FPC comes from the current line: it extends the line's
    // range, or opens one.
    void NotePlage() {
        if (!FPlages.empty()) {
            TPlageSource& p = FPlages.back();
            if (FIndexPlage == FIndex && p.Debut + p.Longueur == uint32_t(FPC)) {
                ++p.Longueur;
                return;
            }
        }
        const TLigneSource& l = FLignes[FIndex];
        FPlages.push_back({uint16_t(FPC), 1, FNumerosSources.at(l.Fichier), l.Numero});
        FIndexPlage = FIndex;
    }

    static std::string Decimal(int32_t v) { return std::to_string(v); }

    uint8_t Octet(const std::string& texte) {
        int32_t v = Evalue(texte).Valeur;
        if (v < -128 || v > 255)
            throw TErreurSource("valeur hors limites pour un octet : " + Decimal(v));
        return uint8_t(v);
    }

    uint16_t Mot(const std::string& texte) {
        int32_t v = Evalue(texte).Valeur;
        if (v < -32768 || v > 0xFFFF)
            throw TErreurSource("valeur hors limites pour un mot : " + Decimal(v));
        return uint16_t(v);
    }

    void EmetMot(uint16_t v) {
        Emet(uint8_t(v & 0xFF));
        Emet(uint8_t(v >> 8));
    }

    // --- Operations -------------------------------------------------------

    void Operation(const TLigneAnalysee& a) {
        const std::string& op = a.Operation;
        if (op == "ORG") return Org(a.Operandes);
        if (op == "DB") return Db(a.Operandes);
        if (op == "DW") return Dw(a.Operandes);
        if (op == "DS") return Ds(a.Operandes);
        if (op == "END") return Fin(a.Operandes);
        if (op == "INCLUDE") {
            FCour.Adresse = -1;
            return; // already read in with the source
        }
        Instruction(a);
    }

    void Org(const std::string& texte) {
        if (texte.empty()) throw TErreurSource("adresse attendue après ORG");
        int32_t v = EvalueImmediat(texte, "ORG");
        if (v < 0 || v > 0xFFFF)
            throw TErreurSource("adresse hors limites pour ORG : " + Decimal(v));
        FPC = v;
        FCour.Adresse = v;
    }

    void Ds(const std::string& texte) {
        if (texte.empty()) throw TErreurSource("taille attendue après DS");
        int32_t n = EvalueImmediat(texte, "DS");
        if (n < 0 || FPC + int64_t(n) > 0x10000)
            throw TErreurSource("taille de DS hors limites : " + Decimal(n));
        FPC += n;
    }

    void Fin(const std::string& texte) {
        FFin = true;
        if (!texte.empty()) FEntree = Mot(texte);
    }

    void Db(const std::string& texte) {
        std::vector<std::string> ops = DecoupeOperandes(texte);
        if (ops.empty()) throw TErreurSource("valeur attendue après DB");
        std::vector<std::optional<std::string>> chaines;
        for (const std::string& o : ops) {
            chaines.push_back(ChaineSeule(o));
            FLgPrevue += chaines.back() && chaines.back()->size() != 1
                             ? int(chaines.back()->size()) : 1;
        }
        for (size_t i = 0; i < ops.size(); ++i) {
            if (ops[i].empty()) throw TErreurSource("valeur vide dans DB");
            if (chaines[i] && chaines[i]->size() != 1)
                for (unsigned char c : *chaines[i]) Emet(c);
            else
                Emet(Octet(ops[i]));
        }
    }

    void Dw(const std::string& texte) {
        std::vector<std::string> ops = DecoupeOperandes(texte);
        if (ops.empty()) throw TErreurSource("valeur attendue après DW");
        FLgPrevue = 2 * int(ops.size());
        for (const std::string& o : ops) {
            if (o.empty()) throw TErreurSource("valeur vide dans DW");
            EmetMot(Mot(o));
        }
    }

    void Instruction(const TLigneAnalysee& a) {
        const TCatalogue& cat = Catalogue();
        auto forme = cat.Formes.find(a.Operation);
        if (forme == cat.Formes.end()) throw TErreurSource("mnémonique inconnu : " + a.Operation);
        const TFormeAsm& f = forme->second;
        FLgPrevue = 1 + (f.Imm == ikOctet ? 1 : f.Imm == ikMot ? 2 : 0);
        std::vector<std::string> ops = DecoupeOperandes(a.Operandes);
        size_t attendus = size_t(f.NbRegistres) + (f.Imm != ikAucun ? 1 : 0);
        if (ops.size() != attendus)
            throw TErreurSource(a.Operation + " attend " + std::to_string(attendus) +
                                " opérande" + (attendus > 1 ? "s" : "") + ", trouvé" +
                                (ops.size() > 1 ? "s " : " ") + std::to_string(ops.size()));
        if (a.Operation == "RST") return Rst(ops[0]);
        std::string cle = a.Operation + " ";
        for (int i = 0; i < f.NbRegistres; ++i) cle += (i ? "," : "") + EnMajuscules(ops[i]);
        auto code = cat.Codes.find(cle);
        if (code == cat.Codes.end())
            throw TErreurSource("registre incorrect pour " + a.Operation + " : " +
                                a.Operandes);
        uint8_t valeur8 = 0;
        uint16_t valeur16 = 0;
        if (f.Imm == ikOctet) valeur8 = Octet(ops.back());
        if (f.Imm == ikMot) valeur16 = Mot(ops.back());
        Emet(code->second);
        if (f.Imm == ikOctet) Emet(valeur8);
        if (f.Imm == ikMot) EmetMot(valeur16);
    }

    void Rst(const std::string& texte) {
        FLgPrevue = 1;
        int32_t n = Evalue(texte).Valeur;
        if (n < 0 || n > 7) throw TErreurSource("numéro de RST hors limites (0 à 7) : " + Decimal(n));
        Emet(uint8_t(0xC7 | n << 3));
    }

    // --- Listing ----------------------------------------------------------

    std::string Listing() const {
        std::string t;
        char tampon[64];
        for (const TLigneListee& l : FListing) {
            const std::string& source = FLignes[l.Index].Texte;
            size_t n = l.Octets.size();
            for (size_t d = 0; d == 0 || d < n; d += 4) {
                std::string col;
                if (l.Valeur) {
                    std::snprintf(tampon, sizeof tampon, "= %.4X", unsigned(*l.Valeur) & 0xFFFF);
                    col = tampon;
                } else if (l.Adresse >= 0) {
                    std::snprintf(tampon, sizeof tampon, "%.4X", unsigned(l.Adresse + d) & 0xFFFF);
                    col = tampon;
                }
                col.resize(8, ' ');
                for (size_t i = d; i < n && i < d + 4; ++i) {
                    std::snprintf(tampon, sizeof tampon, "%.2X ", l.Octets[i]);
                    col += tampon;
                }
                col.resize(22, ' ');
                if (d == 0) {
                    std::snprintf(tampon, sizeof tampon, "%5d  ", FLignes[l.Index].Numero);
                    col += tampon + source;
                }
                while (!col.empty() && col.back() == ' ') col.pop_back();
                t += col + "\n";
            }
        }
        return t;
    }
};

} // namespace

TResultatAsm Assemble(const std::string& source, const std::string& nomFichier,
                      ILecteurSource& lecteur) {
    std::vector<TLigneSource> lignes;
    std::vector<TErreurNumerotee> erreurs;
    TDepliage depliage(lecteur, lignes, erreurs);
    depliage.Ajoute(source, nomFichier, 0);
    TAssembleur a(lignes, erreurs);
    if (!depliage.Depasse()) { // a cut source is not assembled
        a.Passe(1);
        a.Passe(2);
    }
    std::stable_sort(erreurs.begin(), erreurs.end(),
                     [](const TErreurNumerotee& x, const TErreurNumerotee& y) {
                         return x.Index < y.Index;
                     });
    TResultatAsm r;
    a.Resultat(r);
    for (TErreurNumerotee& e : erreurs) r.Erreurs.push_back(std::move(e.Erreur));
    r.Fichiers = std::move(depliage.Fichiers);
    return r;
}

TResultatAsm Assemble(const std::string& source, const std::string& nomFichier) {
    TLecteurDisque lecteur;
    return Assemble(source, nomFichier, lecteur);
}

TResultatAsm AssembleFichier(const std::string& chemin) {
    TLecteurDisque lecteur;
    std::optional<std::string> texte = lecteur.Lit(chemin);
    if (!texte) {
        TResultatAsm r;
        r.Erreurs.push_back({chemin, 0, "fichier illisible"});
        return r;
    }
    return Assemble(*texte, chemin, lecteur);
}

void ChargeEnRam(TMachine& m, const TResultatAsm& r, uint8_t banque) {
    for (size_t i = 0; i < r.Octets.size(); ++i)
        if (r.Ecrit[i]) m.WriteBank(uint16_t(r.Origine + i), banque, r.Octets[i]);
}
