#include "debugger/ExpressionAsm.h"

#include <cctype>
#include <cstdint>

bool EstDebutIdent(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '?' || c == '@' ||
           c == '.';
}

bool EstSuiteIdent(char c) {
    return EstDebutIdent(c) || std::isdigit(static_cast<unsigned char>(c));
}

bool EstOperateurMot(const std::string& m) {
    return m == "MOD" || m == "AND" || m == "OR" || m == "XOR" || m == "NOT" || m == "SHL" ||
           m == "SHR" || m == "HIGH" || m == "LOW";
}

namespace {

constexpr int ProfondeurMax = 64;

// A result must fit in 32 bits, read as signed or as unsigned; beyond that
// the evaluation would silently lose the high bits.
int32_t Tronque(int64_t v) {
    if (v < int64_t(INT32_MIN) || v > int64_t(UINT32_MAX))
        throw TErreurSource("dépassement de capacité : le calcul sort des 32 bits");
    return int32_t(uint32_t(uint64_t(v)));
}

int ChiffreBase(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// A number token (starts with a digit), suffix gives the base.
int32_t LitNombre(const std::string& mot) {
    std::string t = EnMajuscules(mot);
    int base = 10;
    char fin = t.back();
    if (fin == 'H') base = 16;
    else if (fin == 'O' || fin == 'Q') base = 8;
    else if (fin == 'B' && t.find_first_not_of("01") == t.size() - 1) base = 2;
    else if (fin == 'D' && t.find_first_not_of("0123456789") == t.size() - 1) base = 10;
    else fin = 0;
    if (fin) t.pop_back();
    uint32_t v = 0;
    for (char c : t) {
        int d = ChiffreBase(c);
        if (d >= base) throw TErreurSource("nombre incorrect : " + mot);
        if (v > (UINT32_MAX - uint32_t(d)) / uint32_t(base)) throw TErreurSource("nombre trop grand (32 bits) : " + mot);
        v = v * uint32_t(base) + uint32_t(d);
    }
    return int32_t(v);
}

class TAnalyseur {
public:
    TAnalyseur(const std::string& t, const TContexteExpr& c) : FT(t), FCtx(c) {}

    TValeurExpr Evalue() {
        Suivant();
        int32_t v = OuXou(0);
        if (FGenre != gFin) throw TErreurSource("expression incorrecte : " + FT);
        return {v, FNonDefini};
    }

private:
    enum TGenre { gFin, gNombre, gMot, gOp };
    const std::string& FT;
    const TContexteExpr& FCtx;
    size_t FPos = 0;
    TGenre FGenre = gFin;
    std::string FMot;  // identifier (upper case) or operator character
    int32_t FNombre = 0;
    std::string FNonDefini;

    bool EstMot(const char* m) const { return FGenre == gMot && FMot == m; }
    bool EstOp(char c) const { return FGenre == gOp && FMot[0] == c; }

    void Suivant() {
        while (FPos < FT.size() && (FT[FPos] == ' ' || FT[FPos] == '\t')) ++FPos;
        if (FPos >= FT.size()) {
            FGenre = gFin;
            return;
        }
        char c = FT[FPos];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            size_t d = FPos;
            while (FPos < FT.size() && std::isalnum(static_cast<unsigned char>(FT[FPos]))) ++FPos;
            FGenre = gNombre;
            FNombre = LitNombre(FT.substr(d, FPos - d));
        } else if (c == '\'' || c == '"') {
            LitCaracteres(c);
        } else if (EstDebutIdent(c)) {
            size_t d = FPos;
            while (FPos < FT.size() && EstSuiteIdent(FT[FPos])) ++FPos;
            FGenre = gMot;
            FMot = EnMajuscules(FT.substr(d, FPos - d));
        } else if (std::string("+-*/()$").find(c) != std::string::npos) {
            ++FPos;
            FGenre = gOp;
            FMot = std::string(1, c);
        } else if (FCtx.Comparaisons && std::string("=<>[]").find(c) != std::string::npos) {
            ++FPos;
            FGenre = gOp;
            FMot = std::string(1, c);
            const char d = FPos < FT.size() ? FT[FPos] : 0;
            if ((c == '<' && (d == '=' || d == '>')) || (c == '>' && d == '=')) FMot += FT[FPos++];
        } else {
            throw TErreurSource("caractère inattendu dans l'expression : " + TexteVisible(std::string(1, c)));
        }
    }

    void LitCaracteres(char guillemet) {
        ++FPos;
        std::string s;
        for (;;) {
            if (FPos >= FT.size()) throw TErreurSource("constante caractère non terminée");
            char c = FT[FPos++];
            if (c == guillemet) {
                if (FPos < FT.size() && FT[FPos] == guillemet) ++FPos;
                else break;
            }
            s += c;
        }
        if (s.empty() || s.size() > 2)
            throw TErreurSource("constante caractère de 1 ou 2 caractères attendue");
        FGenre = gNombre;
        FNombre = 0;
        for (unsigned char c : s) FNombre = FNombre << 8 | c;
    }

    static void VerifieProfondeur(int p) {
        if (p > ProfondeurMax) throw TErreurSource("expression trop imbriquée");
    }

    int32_t OuXou(int p) {
        VerifieProfondeur(p);
        int32_t v = Et(p);
        while (EstMot("OR") || EstMot("XOR")) {
            bool ou = FMot == "OR";
            Suivant();
            int32_t w = Et(p);
            v = ou ? (v | w) : (v ^ w);
        }
        return v;
    }

    int32_t Et(int p) {
        int32_t v = Non(p);
        while (EstMot("AND")) {
            Suivant();
            v &= Non(p);
        }
        return v;
    }

    int32_t Non(int p) {
        if (EstMot("NOT")) {
            VerifieProfondeur(p + 1);
            Suivant();
            return ~Non(p + 1);
        }
        return Comparaison(p);
    }

    bool EstComparaison() const {
        return FGenre == gOp && (FMot == "=" || FMot == "<>" || FMot[0] == '<' || FMot[0] == '>');
    }

    int32_t Comparaison(int p) {
        int32_t v = Somme(p);
        if (!EstComparaison()) return v;
        const std::string op = FMot;
        Suivant();
        const int32_t w = Somme(p);
        bool vrai = false;
        if (op == "=") vrai = v == w;
        else if (op == "<>") vrai = v != w;
        else if (op == "<") vrai = v < w;
        else if (op == ">") vrai = v > w;
        else if (op == "<=") vrai = v <= w;
        else vrai = v >= w;
        if (EstComparaison()) throw TErreurSource("comparaisons enchaînées : mettre des parenthèses");
        return vrai ? -1 : 0;
    }

    int32_t Somme(int p) {
        int32_t v = Produit(p);
        while (EstOp('+') || EstOp('-')) {
            bool plus = EstOp('+');
            Suivant();
            int64_t w = Produit(p);
            v = Tronque(plus ? int64_t(v) + w : int64_t(v) - w);
        }
        return v;
    }

    int32_t Produit(int p) {
        int32_t v = Unaire(p);
        for (;;) {
            std::string op;
            if (EstOp('*') || EstOp('/')) op = FMot;
            else if (EstMot("MOD") || EstMot("SHL") || EstMot("SHR")) op = FMot;
            else return v;
            Suivant();
            int32_t w = Unaire(p);
            v = Applique(op, v, w);
        }
    }

    int32_t Applique(const std::string& op, int32_t v, int32_t w) {
        if (op == "*") return Tronque(int64_t(v) * w);
        if (op == "SHL") return (w < 0 || w > 31) ? 0 : int32_t(uint32_t(v) << w);
        if (op == "SHR") return (w < 0 || w > 31) ? 0 : int32_t(uint32_t(v) >> w);
        if (w == 0) {
            if (!FNonDefini.empty()) return 0; // a forward reference in the first pass
            throw TErreurSource("division par zéro");
        }
        if (op == "/") return Tronque(int64_t(v) / w);
        return Tronque(int64_t(v) % w);
    }

    int32_t Unaire(int p) {
        VerifieProfondeur(p);
        if (EstOp('-') || EstOp('+') || EstMot("HIGH") || EstMot("LOW")) {
            std::string op = FMot;
            Suivant();
            int32_t v = Unaire(p + 1);
            if (op == "-") return Tronque(-int64_t(v));
            if (op == "HIGH") return (v >> 8) & 0xFF;
            if (op == "LOW") return v & 0xFF;
            return v;
        }
        return Primaire(p);
    }

    int32_t Primaire(int p) {
        if (FGenre == gNombre) {
            int32_t v = FNombre;
            Suivant();
            return v;
        }
        if (EstOp('$')) {
            Suivant();
            return FCtx.Dollar;
        }
        if (EstOp('(')) {
            Suivant();
            int32_t v = OuXou(p + 1);
            if (!EstOp(')')) throw TErreurSource("parenthèse fermante attendue");
            Suivant();
            return v;
        }
        if (EstOp('[')) {
            if (!FCtx.Octet) throw TErreurSource("[ADR] n'est admis que dans une condition");
            Suivant();
            const int32_t a = OuXou(p + 1);
            if (!EstOp(']')) throw TErreurSource("crochet fermant attendu");
            Suivant();
            return FCtx.Octet(uint16_t(a));
        }
        if (FGenre == gMot && !EstOperateurMot(FMot)) {
            std::string nom = FMot;
            Suivant();
            std::optional<int32_t> v = FCtx.Symbole ? FCtx.Symbole(nom) : std::nullopt;
            if (v) return *v;
            if (FNonDefini.empty()) FNonDefini = nom;
            return 0;
        }
        if (FGenre == gFin) throw TErreurSource("opérande manquant dans l'expression");
        throw TErreurSource("expression incorrecte : " + FT);
    }
};

} // namespace

TValeurExpr EvalueExpression(const std::string& texte, const TContexteExpr& ctx) {
    return TAnalyseur(texte, ctx).Evalue();
}

