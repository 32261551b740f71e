#include "config/ClicheMachine.h"

#include <cstring>

#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "core/HorlogeMachine.h"
#include "core/Machine.h"
#include "core/OctetsLE.h"
#include "core/SerieEtat.h"

namespace {

struct TComposant {
    const char* Id;
    const char* Nom;
};
constexpr std::array<TComposant, NbComposants> Composants{{
    {TEtatProcesseur::Id, "le processeur"},
    {TEtatMemoire::Id, "la mémoire"},
    {TImagesRom::Id, "les images ROM"},
    {TEtatEcran::Id, "l'écran"},
    {TEtatClavier::Id, "le clavier"},
    {TEtatImprimante::Id, "le port imprimante"},
    {TEtatControleurDsq::Id, "le contrôleur de disquettes"},
    {TEtatArith::Id, "le processeur arithmétique"},
    {TEtatDisqueDur::Id, "le disque dur"},
    {TEtatPorts::Id, "les ports d'horloge"},
    {TEtatHorloge::Id, "le temps de la machine"},
}};

// Calls `f(i, record)` for each record of `e`, in the order above.
template <class E, class F> void PourChaque(E& e, F f) {
    f(0, e.Processeur), f(1, e.Memoire), f(2, e.Roms), f(3, e.Ecran), f(4, e.Clavier), f(5, e.Imprimante);
    f(6, e.Dsq), f(7, e.Arith), f(8, e.DisqueDur), f(9, e.Ports), f(10, e.Horloge);
}

// The timers of the host's own, which the machine never sees: the screen's
// repaint throttle, the debugger's step repeat, the printer's time-out that
// ends the host's print job.
constexpr TTimer TimersHote[] = {tmEcran, tmPas, tmImpr};

// The clock's record without them.
TEtatHorloge HorlogeDeSession(const THorlogeMachine& h) {
    TEtatHorloge r = h.Etat();
    for (TTimer t : TimersHote) {
        r.Actif[t] = false;
        r.Echeance[t] = 0;
    }
    return r;
}

// The printer's record as the machine sees it: its port. The rest is the
// host's print job (open or not, the page being composed at the printer's
// resolution), which depends on the printer the host attached.
TEtatImprimante ImprimanteVue(const TEtatImprimante& i) {
    TEtatImprimante r;
    r.CarImpr = i.CarImpr;
    r.StrobeImpr = i.StrobeImpr;
    return r;
}

// The records of the machine now, drives and picture aside.
TEtatComplet EtatDe(const TMachine& m, const THorlogeMachine* h) {
    TEtatComplet e;
    e.Info.Modele = m.Machine;
    CaptureEnregistrements(m, e);
    e.Imprimante = ImprimanteVue(e.Imprimante);
    if (h) e.Horloge = HorlogeDeSession(*h);
    // Stopped or running is the host's doing (a pause, the debugger); a
    // halt is the machine's own.
    if (e.Processeur.EtatCPU == CPUStop) e.Processeur.EtatCPU = CPURun;
    return e;
}

void Entier(std::vector<uint8_t>& o, uint64_t v, size_t n) { TSortieLE{o}.Entier(v, n); }

// Equal bytes shorter than this between two runs join them: a header per
// run costs as much.
constexpr size_t JointureMax = 8;
// No record of any version comes near this.
constexpr uint64_t LongueurMaxComposant = 1u << 20;

// A fingerprint read in four lanes of 64 bits, several bytes per cycle.
class THacheur {
public:
    void Mot(uint64_t v) { FA[0] = Melange(FA[0], v); }
    void Bloc(const uint8_t* p, size_t n) {
        Mot(n);
        while (n >= 32) {
            for (int i = 0; i < 4; ++i) {
                uint64_t w;
                std::memcpy(&w, p + 8 * i, 8);
                FA[i] = Melange(FA[i], w);
            }
            p += 32, n -= 32;
        }
        for (; n >= 8; p += 8, n -= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            Mot(w);
        }
        uint64_t reste = 0;
        for (size_t i = 0; i < n; ++i) reste |= uint64_t(p[i]) << (8 * i);
        Mot(reste);
    }
    uint64_t Fin() const {
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (uint64_t a : FA) h = Melange(h, a);
        return h ^ (h >> 29);
    }

    // The fields of a record, as TEcrivainEtat walks them.
    template <class T> void operator()(const T& v) {
        if constexpr (std::is_same_v<T, bool> || std::is_enum_v<T> || std::is_integral_v<T>) {
            Mot(uint64_t(v));
        } else if constexpr (std::is_same_v<T, double>) {
            Mot(std::bit_cast<uint64_t>(v));
        } else if constexpr (std::is_same_v<T, TAleatoire>) {
            Mot(v.Graine), Mot(v.Tirages);
        } else if constexpr (std::is_same_v<T, std::string>) {
            Bloc(reinterpret_cast<const uint8_t*>(v.data()), v.size());
        } else if constexpr (std::is_same_v<T, std::u16string>) {
            Mot(v.size());
            for (char16_t c : v) Mot(c);
        } else if constexpr (requires { typename T::EstEnregistrement; }) {
            T::Champs(v, *this);
        } else if constexpr (std::is_same_v<T, std::array<uint8_t, sizeof(T)>>) {
            Bloc(v.data(), v.size());
        } else {
            for (const auto& e : v) (*this)(e);
        }
    }

private:
    std::array<uint64_t, 4> FA{0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                               0x082EFA98EC4E6C89ull};
    static uint64_t Melange(uint64_t a, uint64_t w) {
        a ^= w * 0x9FB21C651E98DF25ull;
        a = (a << 31) | (a >> 33);
        return a * 0xC2B2AE3D27D4EB4Full;
    }
};

template <class R> uint64_t EmpreinteDe(const R& r) {
    THacheur h;
    R::Champs(r, h);
    return h.Fin();
}

uint64_t EmpreinteOctets(const std::vector<uint8_t>& o) {
    THacheur h;
    h.Bloc(o.data(), o.size());
    return h.Fin();
}

// The runs of bytes that differ between two records of the same length.
void Pieces(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, std::vector<uint8_t>& o) {
    std::vector<std::pair<size_t, size_t>> runs;
    size_t i = 0;
    while (i < b.size()) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        size_t fin = i + 1, egaux = 0;
        for (size_t j = fin; j < b.size() && egaux < JointureMax; ++j) {
            if (a[j] != b[j]) {
                fin = j + 1;
                egaux = 0;
            } else {
                ++egaux;
            }
        }
        runs.emplace_back(i, fin);
        i = fin;
    }
    Entier(o, runs.size(), 4);
    for (auto [debut, fin] : runs) {
        Entier(o, debut, 4);
        Entier(o, fin - debut, 4);
        o.insert(o.end(), b.begin() + std::ptrdiff_t(debut), b.begin() + std::ptrdiff_t(fin));
    }
}

struct TEntreeDifference {
    size_t Composant = 0;
    uint64_t EmpreinteAvant = 0;
    uint64_t Longueur = 0;
    std::vector<std::pair<uint64_t, const uint8_t*>> Debuts; // offset, bytes
    std::vector<uint64_t> Longueurs;
};

// Every entry of a difference, checked for form; empty text when sound.
std::string Decoupe(const std::vector<uint8_t>& d, std::vector<TEntreeDifference>& entrees) {
    TEntreeLE c(d);
    std::array<bool, NbComposants> vus{};
    while (c.Reste() > 0) {
        TEntreeDifference e;
        e.Composant = size_t(c.Entier(1));
        e.EmpreinteAvant = c.Entier(8);
        e.Longueur = c.Entier(4);
        const uint64_t n = c.Entier(4);
        if (c.Erreur) break;
        if (e.Composant >= NbComposants) return "une modification touche un composant inconnu";
        if (vus[e.Composant]) return "une modification touche deux fois le même composant";
        vus[e.Composant] = true;
        if (e.Longueur > LongueurMaxComposant) return "une modification est trop grande";
        uint64_t apres = 0;
        for (uint64_t k = 0; k < n && !c.Erreur; ++k) {
            const uint64_t debut = c.Entier(4), longueur = c.Entier(4);
            const uint8_t* p = c.Octets(size_t(longueur));
            if (c.Erreur) break;
            if (longueur == 0 || debut < apres || debut + longueur > e.Longueur)
                return "une modification sort de son composant";
            apres = debut + longueur;
            e.Debuts.emplace_back(debut, p);
            e.Longueurs.push_back(longueur);
        }
        entrees.push_back(std::move(e));
    }
    if (c.Erreur) return "une modification est tronquée";
    return {};
}

// Decodes the record `i` of `e` from its bytes: false when they do not
// make one.
bool Decode(TEtatComplet& e, size_t i, const std::vector<uint8_t>& o) {
    bool ok = true;
    PourChaque(e, [&](size_t k, auto& r) {
        if (k != i) return;
        TLecteurEtat l(o.data(), o.size());
        l.Enregistrement(r);
        ok = !l.Erreur && l.Fini();
    });
    return ok;
}

} // namespace

const char* IdComposant(size_t i) { return i < NbComposants ? Composants[i].Id : "????"; }
const char* NomComposant(size_t i) { return i < NbComposants ? Composants[i].Nom : "un composant inconnu"; }

TCliche Cliche(const TMachine& m, const THorlogeMachine* h) {
    const TEtatComplet e = EtatDe(m, h);
    TCliche c;
    PourChaque(e, [&](size_t i, const auto& r) {
        if (i == 10 && !h) return;
        c.Octets[i] = OctetsEnregistrement(r);
    });
    return c;
}

std::vector<uint8_t> CodeDifference(const TCliche& avant, const TCliche& apres) {
    std::vector<uint8_t> o;
    for (size_t i = 0; i < NbComposants; ++i) {
        const auto &a = avant.Octets[i], &b = apres.Octets[i];
        if (a == b || b.empty()) continue;
        o.push_back(uint8_t(i));
        Entier(o, EmpreinteOctets(a), 8);
        Entier(o, b.size(), 4);
        if (a.size() == b.size()) {
            Pieces(a, b, o);
        } else { // a string grew or shrank: the whole record
            Entier(o, 1, 4);
            Entier(o, 0, 4);
            Entier(o, b.size(), 4);
            o.insert(o.end(), b.begin(), b.end());
        }
    }
    return o;
}

std::string ControleDifference(const std::vector<uint8_t>& d) {
    std::vector<TEntreeDifference> entrees;
    return Decoupe(d, entrees);
}

bool AppliqueDifference(TMachine& m, THorlogeMachine* h, const std::vector<uint8_t>& d, size_t& composant,
                        std::string& erreur) {
    std::vector<TEntreeDifference> entrees;
    if (!(erreur = Decoupe(d, entrees)).empty()) return false;
    const TCliche maintenant = Cliche(m, h);
    TEtatComplet e = EtatDe(m, h);
    for (const TEntreeDifference& x : entrees) {
        composant = x.Composant;
        std::vector<uint8_t> o = maintenant.Octets[x.Composant];
        if (EmpreinteOctets(o) != x.EmpreinteAvant) {
            erreur = std::string("la machine ne correspond plus à l'enregistrement : ") + NomComposant(x.Composant) +
                     " diffère";
            return false;
        }
        o.resize(size_t(x.Longueur));
        for (size_t k = 0; k < x.Debuts.size(); ++k)
            std::memcpy(o.data() + x.Debuts[k].first, x.Debuts[k].second, size_t(x.Longueurs[k]));
        if (!Decode(e, x.Composant, o)) {
            erreur = std::string("une modification de ") + NomComposant(x.Composant) + " est illisible";
            return false;
        }
    }
    TEtatImprimante imprimante = m; // the host's print job stays
    imprimante.CarImpr = e.Imprimante.CarImpr;
    imprimante.StrobeImpr = e.Imprimante.StrobeImpr;
    e.Imprimante = imprimante;
    if (!(erreur = ControleEtat(e)).empty()) return false;
    if (e.Processeur.EtatCPU == CPURun && m.EtatCPU == CPUStop) e.Processeur.EtatCPU = CPUStop; // stays stopped
    if (h) { // the host's own timers stay as they are
        const TEtatHorloge actuel = h->Etat();
        for (TTimer t : TimersHote) {
            e.Horloge.Actif[t] = actuel.Actif[t];
            e.Horloge.Echeance[t] = actuel.Echeance[t];
        }
    }
    RestaureMachine(m, h, e);
    return true;
}

TEmpreintes Empreintes(const TMachine& m, const THorlogeMachine* h) {
    TEmpreintes r{};
    TEtatProcesseur cpu = m;
    if (cpu.EtatCPU == CPUStop) cpu.EtatCPU = CPURun;
    r[0] = EmpreinteDe(cpu);
    r[1] = EmpreinteDe<TEtatMemoire>(m);
    r[2] = EmpreinteDe<TImagesRom>(m);
    r[3] = EmpreinteDe<TEtatEcran>(m);
    r[4] = EmpreinteDe<TEtatClavier>(m);
    r[5] = EmpreinteDe(ImprimanteVue(m));
    r[6] = EmpreinteDe<TEtatControleurDsq>(m);
    r[7] = EmpreinteDe<TEtatArith>(m);
    r[8] = EmpreinteDe<TEtatDisqueDur>(m);
    r[9] = EmpreinteDe<TEtatPorts>(m);
    if (h) r[10] = EmpreinteDe(HorlogeDeSession(*h));
    return r;
}
