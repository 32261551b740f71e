#include "debugger/Trace.h"

#include <cstring>

#include "core/Texte.h"
#include "debugger/Desassembleur.h"
#include "debugger/JeuInstructions.h"

namespace {

constexpr char Chiffres[] = "0123456789ABCDEF";
constexpr size_t TailleCache = 8192;
// The listing part is padded to this many characters before the registers.
constexpr size_t LargeurListing = 46;

char* Hexa2(char* q, unsigned v) {
    q[0] = Chiffres[(v >> 4) & 15];
    q[1] = Chiffres[v & 15];
    return q + 2;
}

char* Hexa4(char* q, unsigned v) { return Hexa2(Hexa2(q, v >> 8), v & 0xFF); }

char* Champ(char* q, const char* nom, unsigned v, bool seize) {
    const size_t n = std::strlen(nom);
    std::memcpy(q, nom, n);
    q += n;
    *q++ = '=';
    return seize ? Hexa4(q, v) : Hexa2(q, v);
}

} // namespace

void EcritRegistres(const TPasExecute& p, std::string& sortie) {
    char t[64];
    char* q = t;
    q = Champ(q, "A", p.A, false), *q++ = ' ';
    q = Champ(q, "B", p.B, false), *q++ = ' ';
    q = Champ(q, "C", p.C, false), *q++ = ' ';
    q = Champ(q, "D", p.D, false), *q++ = ' ';
    q = Champ(q, "E", p.E, false), *q++ = ' ';
    q = Champ(q, "H", p.H, false), *q++ = ' ';
    q = Champ(q, "L", p.L, false), *q++ = ' ';
    q = Champ(q, "PSW", p.F, false), *q++ = ' ';
    q = Champ(q, "SP", p.SP, true), *q++ = ' ';
    q = Champ(q, "PC", p.PC, true);
    sortie.append(t, size_t(q - t));
}

// --- Lines ----------------------------------------------------------------

TFormeTrace::TFormeTrace(const TListeSymboles& symboles) : FSymboles(symboles), FCache(TailleCache) {}

void TFormeTrace::Oublie() {
    for (TCase& c : FCache) c.Cle = UINT32_MAX;
}

const std::string& TFormeTrace::Listing(const TPasExecute& p) {
    const uint32_t cle = uint32_t(p.Banque) << 16 | p.Adresse;
    TCase& c = FCache[(p.Adresse ^ (uint32_t(p.Banque) << 12)) % TailleCache];
    const size_t lg = LgInstr[p.Octets[0]]; // the bytes the listing shows
    if (c.Cle == cle && std::memcmp(c.Octets, p.Octets, lg) == 0) return c.Texte;
    TSourceDasm src;
    src.Lit = [&p](uint16_t a) { return p.Octets[uint16_t(a - p.Adresse) % 3]; };
    src.Symboles = &FSymboles;
    c.Texte = LigneDasm(src, p.Adresse, false).Texte;
    const size_t n = NbCaracteres(c.Texte);
    c.Texte.append(n < LargeurListing ? LargeurListing - n : 1, ' ');
    c.Cle = cle;
    std::memcpy(c.Octets, p.Octets, lg);
    return c.Texte;
}

void TFormeTrace::Ligne(const TPasExecute& p, std::string& sortie) {
    sortie += Listing(p);
    EcritRegistres(p, sortie);
    char t[8] = {' ', ' ', 'T', '='};
    char* q = t + 4;
    if (p.Etats >= 10) *q++ = char('0' + p.Etats / 10 % 10);
    *q++ = char('0' + p.Etats % 10);
    sortie.append(t, size_t(q - t));
}

// --- Loops ----------------------------------------------------------------

TPliageBoucles::TPliageBoucles(ISortie& sortie)
    : FSortie(sortie), FAnneau(TailleAnneau), FVu(TailleTablesAcces, 0) {}

bool TPliageBoucles::Meme(uint64_t a, uint64_t b) const {
    const TPasExecute &x = Brut(a).Pas, &y = Brut(b).Pas;
    return x.Adresse == y.Adresse && x.Banque == y.Banque;
}

bool TPliageBoucles::Exclue(uint32_t longueur, uint64_t n) const {
    for (const auto& [l, jusqua] : FExclues)
        if (l == longueur && n <= jusqua) return true;
    return false;
}

void TPliageBoucles::Ajoute(const TPasExecute& p) {
    const uint64_t n = FSuivant++;
    const uint32_t lieu = uint32_t(p.Banque & 1) << 16 | p.Adresse;
    const uint64_t distance = FVu[lieu] ? n - (FVu[lieu] - 1) : 0;
    FVu[lieu] = n + 1;
    FAnneau[n % TailleAnneau] = {p, distance <= LongueurMax ? uint32_t(distance) : 0};
    Traite(n, true);
    while (!FARejouer.empty()) {
        const uint64_t r = FARejouer.front();
        FARejouer.pop_front();
        Traite(r, false);
    }
}

void TPliageBoucles::Traite(uint64_t n, bool nouvelle) {
    const TBrut& b = Brut(n);
    switch (FEtat) {
    case TEtat::Libre:
        if (nouvelle) FExclues.clear(); // every exclusion ends before a new instruction
        if (b.Distance != 0 && !Exclue(b.Distance, n)) {
            FEtat = TEtat::Soupcon;
            FLongueur = b.Distance;
            FDebut = n;
        } else {
            FSortie.Pas(b.Pas);
        }
        break;
    case TEtat::Soupcon:
        if (!Meme(n, n - FLongueur)) {
            Echoue(FDebut, n);
        } else if (n - FDebut + 1 == FLongueur) {
            FEtat = TEtat::Boucle;
            FTours = 2;
            FDansTour = 0;
        }
        break;
    case TEtat::Boucle:
        if (!Meme(n, n - FLongueur)) {
            FSortie.Boucle(FTours);
            Echoue(n - FDansTour, n);
        } else if (++FDansTour == FLongueur) {
            ++FTours;
            FDansTour = 0;
        }
        break;
    }
}

// The instructions from `debut` to `fin` go through the folding again, the
// length that failed excluded for them.
void TPliageBoucles::Echoue(uint64_t debut, uint64_t fin) {
    FEtat = TEtat::Libre;
    FExclues.emplace_back(FLongueur, fin);
    for (uint64_t n = fin + 1; n-- > debut;) FARejouer.push_front(n);
}

void TPliageBoucles::Termine() {
    uint64_t debut = FSuivant;
    if (FEtat == TEtat::Soupcon) debut = FDebut;
    if (FEtat == TEtat::Boucle) {
        FSortie.Boucle(FTours);
        debut = FSuivant - FDansTour;
    }
    for (uint64_t n = debut; n < FSuivant; ++n) FSortie.Pas(Brut(n).Pas);
    FEtat = TEtat::Libre;
    FExclues.clear();
}

// --- The trace file ---------------------------------------------------------

TTrace::TTrace(const TListeSymboles& symboles, const TReglageTrace& reglage)
    : FReglage(reglage), FForme(symboles), FPliage(*this) {
    FLigne.reserve(256);
}

bool TTrace::Ouvre(const std::string& chemin, std::string& erreur) {
    FChemin = chemin;
    return FFichier.Ouvre(chemin, erreur);
}

void TTrace::Recoit(const TPasExecute* pas, uint32_t n) {
    const TReglageTrace& r = FReglage;
    for (uint32_t i = 0; i < n; ++i) {
        const TPasExecute& p = pas[i];
        if (p.Adresse < r.Debut || p.Adresse > r.Fin || (r.Banque && *r.Banque != p.Banque)) continue;
        ++FInstructions;
        if (r.Tout)
            Pas(p);
        else
            FPliage.Ajoute(p);
    }
}

void TTrace::Pas(const TPasExecute& p) {
    FLigne.clear();
    FForme.Ligne(p, FLigne);
    FLigne += '\n';
    FFichier.Ecrit(FLigne);
    ++FLignes;
}

void TTrace::Boucle(uint64_t tours) {
    FFichier.Ecrit("(boucle \u00D7" + std::to_string(tours) + ")\n");
    ++FLignes;
}

bool TTrace::Ferme(std::string& erreur) {
    FPliage.Termine();
    return FFichier.Termine(erreur);
}
