#include "config/Retour.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include <zstd.h>

#include "config/Poste.h"
#include "core/Hote.h"
#include "core/HorlogeMachine.h"
#include "core/Machine.h"
#include "core/OctetsLE.h"
#include "core/Texte.h"
#include "debugger/Inspection.h"

namespace {

// Instructions between two snapshots: at the interpreter's speed a step
// back replays at most this many, a few milliseconds.
constexpr uint64_t IntervalleInstructions = 4'000'000;

std::vector<uint8_t> Serialise(const TCliche& c) {
    std::vector<uint8_t> o;
    size_t n = 0;
    for (const auto& v : c.Octets) n += 4 + v.size();
    o.reserve(n);
    TSortieLE s{o};
    for (const auto& v : c.Octets) {
        s.Entier(v.size(), 4);
        o.insert(o.end(), v.begin(), v.end());
    }
    return o;
}

bool Deserialise(const std::vector<uint8_t>& o, TCliche& c) {
    size_t pos = 0;
    for (auto& v : c.Octets) {
        if (o.size() - pos < 4) return false;
        const size_t n = size_t(o[pos]) | size_t(o[pos + 1]) << 8 | size_t(o[pos + 2]) << 16 | size_t(o[pos + 3]) << 24;
        pos += 4;
        if (o.size() - pos < n) return false;
        v.assign(o.begin() + long(pos), o.begin() + long(pos + n));
        pos += n;
    }
    return pos == o.size();
}

std::vector<uint8_t> Compresse(const std::vector<uint8_t>& brut) {
    std::vector<uint8_t> p(ZSTD_compressBound(brut.size()));
    const size_t n = ZSTD_compress(p.data(), p.size(), brut.data(), brut.size(), 1);
    p.resize(ZSTD_isError(n) ? 0 : n);
    p.shrink_to_fit();
    return p;
}

std::vector<uint8_t> Decompresse(const std::vector<uint8_t>& p) {
    const unsigned long long n = ZSTD_getFrameContentSize(p.data(), p.size());
    if (n == ZSTD_CONTENTSIZE_ERROR || n == ZSTD_CONTENTSIZE_UNKNOWN) return {};
    std::vector<uint8_t> o(size_t(n), 0);
    const size_t r = ZSTD_decompress(o.data(), o.size(), p.data(), p.size());
    if (ZSTD_isError(r) || r != o.size()) return {};
    return o;
}

// `a` XOR `base` over a's length (base shorter: zeros beyond it).
void Combine(std::vector<uint8_t>& a, const std::vector<uint8_t>& base) {
    const size_t n = std::min(a.size(), base.size());
    for (size_t i = 0; i < n; ++i) a[i] ^= base[i];
}

// The host seen by a run forward inside the history, beside the window: the
// machine's clock and timers as usual, but nothing shown, asked, slept or
// posted (the run has been seen once already), and no pacing.
class THoteMuet : public IHote {
public:
    explicit THoteMuet(IHote& vrai) : FVrai(vrai) {}
    void MessageErreur(const std::string&) override {}
    void MessageInfo(const std::string&) override {}
    bool Question(const std::string&) override { return false; }
    void Repeint() override {}
    void DemarreTimer(TTimer t, uint32_t ms) override { FVrai.DemarreTimer(t, ms); }
    void ArreteTimer(TTimer t) override { FVrai.ArreteTimer(t); }
    bool TimerActif(TTimer t) const override { return FVrai.TimerActif(t); }
    uint32_t TickCount() override { return FVrai.TickCount(); }
    THeureLocale HeureLocale() override { return FVrai.HeureLocale(); }
    void Dors(uint32_t) override {}
    void PosteMessage(const TMessage&) override {}
    uint32_t TrancheMax() override { return FVrai.TrancheMax(); }
    // The timers that fell due, without the message pump.
    void ApresTranche(uint32_t) override { FVrai.ApresPas(); }
    void ApresPas() override { FVrai.ApresPas(); }

private:
    IHote& FVrai;
};

// What a run must not see while the history runs forward: breakpoints,
// watchpoints, tracing, the printer's host output, a Ctrl+C.
class TMachineMuette {
public:
    TMachineMuette(TMachine& m, bool arrets, bool hoteMuet) : FM(m) {
        if (hoteMuet && m.Hote) {
            FHoteMuet.emplace(*m.Hote);
            FHote = std::exchange(m.Hote, &*FHoteMuet);
        }
        FImprimante = std::exchange(m.Imprimante, nullptr);
        FSuivi = std::exchange(m.Suivi, nullptr);
        FDemande = std::exchange(m.DemandeArret, nullptr);
        if (arrets) return;
        FTable = m.TblPtArret;
        m.TblPtArret.fill(0);
        FSonde = std::exchange(m.Sonde, nullptr);
        FSondeMemoire = std::exchange(m.SondeMemoire, false);
        FArrets = false;
    }
    ~TMachineMuette() {
        if (FHote) FM.Hote = FHote;
        FM.Imprimante = FImprimante;
        FM.Suivi = FSuivi;
        FM.DemandeArret = FDemande;
        if (FArrets) return;
        FM.TblPtArret = FTable;
        FM.Sonde = FSonde;
        FM.SondeMemoire = FSondeMemoire;
    }
    TMachineMuette(const TMachineMuette&) = delete;
    TMachineMuette& operator=(const TMachineMuette&) = delete;

private:
    TMachine& FM;
    std::optional<THoteMuet> FHoteMuet;
    IHote* FHote = nullptr;
    IPortImprimante* FImprimante;
    TSuiviExecution* FSuivi;
    const volatile std::sig_atomic_t* FDemande;
    TTblPtArret FTable{};
    ISondeMachine* FSonde = nullptr;
    bool FSondeMemoire = false;
    bool FArrets = true;
};

bool EstAppel(uint8_t op) {
    return op == 0xCD || (op & 0xC7) == 0xC4 || (op & 0xC7) == 0xC7; // CALL, Ccc, RST
}

} // namespace

TRetour::TRetour(TPoste& poste, THorlogeMachine& horloge, uint64_t capacite, bool hoteMuet)
    : FPoste(poste), FHorloge(horloge), FCapacite(capacite), FHoteMuet(hoteMuet) {
    TMachine& m = M();
    m.Journal = this;
    FPoste.Lecteurs.Garde = this;
    FChangements = FPoste.Lecteurs.ChangementsHote;
    Recommence(m);
}

// From the machine as it is now, with nothing behind it.
void TRetour::Recommence(TMachine& m) {
    FInstantanes.clear();
    FEvenements.clear();
    FEcritures.clear();
    FEvenementsOublies = FEcrituresOubliees = FCurseur = 0;
    FOctets = 0;
    FComplet.clear();
    FChangements = FPoste.Lecteurs.ChangementsHote;
    m.RendezVous = UINT64_MAX;
    Prend(m);
    FFin = FInstantVu = m.NbInstructions;
    FFinUs = FHorloge.MaintenantUs;
    FEmpreinteArret = Empreintes(m, nullptr);
}

TRetour::~TRetour() {
    TMachine& m = M();
    if (m.Journal == this) {
        m.Journal = nullptr;
        m.RendezVous = UINT64_MAX;
    }
    if (FPoste.Lecteurs.Garde == this) FPoste.Lecteurs.Garde = nullptr;
}

TMachine& TRetour::M() const { return FPoste.Machine(); }

uint64_t TRetour::Present() const { return M().NbInstructions; }

uint64_t TRetour::Debut() const { return FInstantanes.empty() ? FFin : FInstantanes.front().Instruction; }

uint64_t TRetour::DureeUs() const {
    if (FInstantanes.empty()) return 0;
    const uint64_t fin = std::max(FFinUs, FInstantanes.back().TempsUs);
    return fin - FInstantanes.front().TempsUs;
}

// --- Snapshots ---------------------------------------------------------------

std::vector<uint8_t> TRetour::Brut(size_t i) const {
    size_t j = i;
    while (j > 0 && !FInstantanes[j].Complet) --j;
    std::vector<uint8_t> base = Decompresse(FInstantanes[j].Octets);
    if (j == i) return base;
    std::vector<uint8_t> o = Decompresse(FInstantanes[i].Octets);
    Combine(o, base);
    return o;
}

void TRetour::Prend(TMachine& m, bool hote) {
    FHorloge.Synchronise(&m);
    std::vector<uint8_t> brut = Serialise(Cliche(m, &FHorloge));
    TInstantane s;
    s.Instruction = m.NbInstructions;
    s.TempsUs = FHorloge.MaintenantUs;
    s.NbEvenements = FEvenementsOublies + FEvenements.size();
    s.NbEcritures = FEcrituresOubliees + FEcritures.size();
    s.Hote = hote;
    FHoteFait = s.Instruction;
    // A later look at the same instant (a change of the host) stands for it.
    bool complet = false;
    if (!FInstantanes.empty() && FInstantanes.back().Instruction == s.Instruction) {
        complet = FInstantanes.back().Complet;
        s.Hote = s.Hote || FInstantanes.back().Hote;
        FOctets -= FInstantanes.back().Octets.size();
        FInstantanes.pop_back();
    }
    size_t depuis = 0;
    for (auto it = FInstantanes.rbegin(); it != FInstantanes.rend() && !it->Complet; ++it) ++depuis;
    complet = complet || FInstantanes.empty() || depuis + 1 >= Groupe || FComplet.empty();
    if (complet) {
        s.Complet = true;
        s.Octets = Compresse(brut);
        FComplet = std::move(brut);
    } else {
        Combine(brut, FComplet);
        s.Octets = Compresse(brut);
    }
    FOctets += s.Octets.size();
    FInstantanes.push_back(std::move(s));
    Allege();
}

// Over the memory given: first the partial snapshots of the older half go,
// then the oldest whole ones with what depends on them.
void TRetour::Allege() {
    if (FOctets <= FCapacite) return;
    const size_t moitie = FInstantanes.size() / 2;
    std::deque<TInstantane> gardes;
    for (size_t i = 0; i < FInstantanes.size(); ++i) {
        TInstantane& s = FInstantanes[i];
        if (i > 0 && i < moitie && !s.Complet && FOctets > FCapacite) {
            FOctets -= s.Octets.size();
            continue;
        }
        gardes.push_back(std::move(s));
    }
    FInstantanes = std::move(gardes);
    while (FOctets > FCapacite && OublieTete()) {
    }
}

// The oldest whole snapshot and those that depend on it go, when another
// whole one follows.
bool TRetour::OublieTete() {
    size_t suivant = 1;
    while (suivant < FInstantanes.size() && !FInstantanes[suivant].Complet) ++suivant;
    if (suivant >= FInstantanes.size()) return false;
    for (size_t k = 0; k < suivant; ++k) {
        FOctets -= FInstantanes.front().Octets.size();
        FInstantanes.pop_front();
    }
    const TInstantane& t = FInstantanes.front();
    while (FEvenementsOublies < t.NbEvenements && !FEvenements.empty()) {
        FEvenements.pop_front();
        ++FEvenementsOublies;
    }
    while (FEcrituresOubliees < t.NbEcritures && !FEcritures.empty()) {
        FOctets -= FEcritures.front().Avant.size();
        FEcritures.pop_front();
        ++FEcrituresOubliees;
    }
    return true;
}

// --- Events -----------------------------------------------------------------

void TRetour::Note(TMachine& m, TGenre genre, uint16_t entree) {
    if (DansLePasse()) Branche(m);
    uint64_t t = m.InstantHote();
    if (!FEvenements.empty()) t = std::max(t, FEvenements.back().Instruction);
    FEvenements.push_back({t, genre, entree});

    FCurseur = FEvenementsOublies + FEvenements.size();
}

bool TRetour::Touche(TMachine& m, uint16_t entree) {
    if (FInterne) return false; // nothing from outside while the history runs forward
    if (!FApplique) Note(m, TGenre::Touche, entree);
    return true;
}

void TRetour::Raz(TMachine& m) {
    if (!FApplique && !FInterne && FModifications == 0) Note(m, TGenre::Raz, 0);
}

void TRetour::Int(TMachine& m) {
    if (!FApplique && !FInterne && FModifications == 0) Note(m, TGenre::Int, 0);
}

void TRetour::DonneEvenements(TMachine& m) {
    const uint64_t n = m.NbInstructions;
    while (FCurseur < FEvenementsOublies + FEvenements.size()) {
        const TEvenementRetour& e = FEvenements[FCurseur - FEvenementsOublies];
        if (e.Instruction > n) break;
        ++FCurseur;
        FHorloge.Synchronise(&m); // a timer the event starts counts from now
        FApplique = true;
        switch (e.Genre) {
        case TGenre::Touche: m.AjouteTouche(e.Entree); break;
        case TGenre::Raz: m.TBRazClick(); break;
        case TGenre::Int: m.TBIntClick(); break;
        }
        FApplique = false;
    }
    // What the host changed at this instant, as the snapshot taken then.
    const size_t i = ProchainHote(FHoteFait);
    if (i < FInstantanes.size() && FInstantanes[i].Instruction == n) {
        std::string erreur;
        FHoteFait = n;
        Applique(i, erreur);
    }
}

size_t TRetour::ProchainHote(uint64_t apres) const {
    auto it = std::upper_bound(FInstantanes.begin(), FInstantanes.end(), apres,
                               [](uint64_t n, const TInstantane& s) { return n < s.Instruction; });
    while (it != FInstantanes.end() && !it->Hote) ++it;
    return size_t(it - FInstantanes.begin());
}

void TRetour::PlaceRendezVous(TMachine& m, uint64_t cible) const {
    uint64_t r = cible;
    if (const size_t i = ProchainHote(FHoteFait); i < FInstantanes.size()) r = std::min(r, FInstantanes[i].Instruction);
    if (FCurseur < FEvenementsOublies + FEvenements.size())
        r = std::min(r, FEvenements[FCurseur - FEvenementsOublies].Instruction);
    m.RendezVous = r;
}

// The future recorded beyond the present instant is dropped.
void TRetour::Branche(TMachine& m) {
    const uint64_t n = m.NbInstructions;
    const size_t garde = FCurseur - FEvenementsOublies;
    FEvenements.erase(FEvenements.begin() + long(garde), FEvenements.end());
    while (FInstantanes.size() > 1 &&
           (FInstantanes.back().Instruction > n || FInstantanes.back().NbEvenements > FCurseur)) {
        FOctets -= FInstantanes.back().Octets.size();
        FInstantanes.pop_back();
    }
    size_t j = FInstantanes.size() - 1;
    while (j > 0 && !FInstantanes[j].Complet) --j;
    FComplet = Decompresse(FInstantanes[j].Octets);
    FFin = n;
    m.RendezVous = UINT64_MAX;
}

// --- The journal of the run loop ----------------------------------------------

void TRetour::Reprise(TMachine& m) {
    if (FInterne) return;
    // Another instant put in by the host (a state loaded): the history
    // starts again from it.
    if (m.NbInstructions != FInstantVu) return Recommence(m);
    const bool disques = FPoste.Lecteurs.ChangementsHote != FChangements;
    const bool change = disques || !FEmpreinteArret || Empreintes(m, nullptr) != *FEmpreinteArret;
    if (change) {
        if (DansLePasse()) Branche(m);
        FChangements = FPoste.Lecteurs.ChangementsHote;
        Prend(m, true);
    }
    if (DansLePasse()) PlaceRendezVous(m, FFin);
}

void TRetour::Frontiere(TMachine& m) {
    if (FInterne) {
        DonneEvenements(m);
        PlaceRendezVous(m, FCible);
        return;
    }
    const uint64_t n = m.NbInstructions;
    if (DansLePasse()) {
        DonneEvenements(m);
        if (DansLePasse()) return PlaceRendezVous(m, FFin);
        m.RendezVous = UINT64_MAX; // the present again
    }
    FFin = n;
    FFinUs = FHorloge.MaintenantUs;
    if (FPoste.Lecteurs.ChangementsHote != FChangements) {
        FChangements = FPoste.Lecteurs.ChangementsHote;
        return Prend(m, true);
    }
    if (n >= FInstantanes.back().Instruction + IntervalleInstructions) Prend(m);
}

void TRetour::Suspension(TMachine& m) {
    if (FInterne) return;
    FInstantVu = m.NbInstructions;
    if (!DansLePasse()) {
        FFin = std::max(FFin, m.NbInstructions);
        FFinUs = std::max(FFinUs, FHorloge.MaintenantUs);
    }
    FEmpreinteArret = Empreintes(m, nullptr);
}

void TRetour::AvantModification(TMachine&) { ++FModifications; }

void TRetour::ApresModification(TMachine& m) {
    if (--FModifications > 0 || !m.BoucleActive || FInterne) return; // standing still: Reprise sees it
    if (m.NbInstructions < FFin && !DansLePasse()) return Recommence(m);
    if (DansLePasse()) Branche(m);
    Prend(m, true);
}

void TRetour::AvantEcriture(int slot, int64_t debut, int64_t longueur) {
    const Param_Disque& d = FPoste.Lecteurs.Disques[size_t(slot)];
    TEcriture e{M().NbInstructions + M().FaitesTranche, slot, FPoste.Lecteurs.ChangementsHote[size_t(slot)], debut,
                std::vector<uint8_t>(size_t(longueur), 0)};
    try {
        d.Fichier.Lit(debut, e.Avant.data(), longueur);
    } catch (const TErreurES&) {
        return; // the write will fail the same way
    }
    FOctets += e.Avant.size();
    FEcritures.push_back(std::move(e));
}

// --- Going back ---------------------------------------------------------------

bool TRetour::Restaure(size_t i, std::vector<std::string>& avis, std::string& erreur) {
    const TInstantane& s = FInstantanes[i];
    // The sectors written since, newest first.
    std::array<bool, NbLecteurs + 1> dits{};
    TLecteurs& l = FPoste.Lecteurs;
    while (FEcrituresOubliees + FEcritures.size() > s.NbEcritures && !FEcritures.empty()) {
        const TEcriture& e = FEcritures.back();
        Param_Disque& d = l.Disques[size_t(e.Slot)];
        if (l.ChangementsHote[size_t(e.Slot)] == e.Changements && d.Fichier.Ouvert()) {
            try {
                d.Fichier.Ecrit(e.Debut, e.Avant.data(), int64_t(e.Avant.size()));
            } catch (const TErreurES& x) {
                avis.push_back(x.what());
            }
        } else if (!dits[size_t(e.Slot)]) {
            dits[size_t(e.Slot)] = true;
            avis.push_back(Format("lecteur %d : l'image a changé depuis, ses secteurs sont laissés tels quels",
                                  LecteurDuSlot(e.Slot)));
        }
        FOctets -= e.Avant.size();
        FEcritures.pop_back();
    }
    if (!Applique(i, erreur)) return false;
    FCurseur = s.NbEvenements;
    FHoteFait = s.Instruction;
    return true;
}

bool TRetour::Applique(size_t i, std::string& erreur) {
    TMachine& m = M();
    const TInstantane& s = FInstantanes[i];
    TCliche cible;
    if (!Deserialise(Brut(i), cible)) {
        erreur = "l'instantané de l'instruction " + NombreFr(int64_t(s.Instruction)) + " est illisible";
        return false;
    }
    FHorloge.Synchronise(&m);
    size_t composant = 0;
    const std::vector<uint8_t> d = CodeDifference(Cliche(m, &FHorloge), cible);
    return d.empty() || AppliqueDifference(m, &FHorloge, d, composant, erreur);
}

bool TRetour::Avance(uint64_t cible, const std::function<bool(const TRapportArret&)>& surArret) {
    TMachine& m = M();
    TMachineMuette muette(m, bool(surArret), FHoteMuet);
    FInterne = true;
    FCible = cible;
    m.DebutCourse = -1;
    bool ok = true;
    while (m.NbInstructions < cible && !m.FinEmul) {
        if (m.EtatCPU == CPUStop) m.ChangeEtatCPU(CPURun);
        PlaceRendezVous(m, cible);
        const TRapportArret r = m.Execute(cible - m.NbInstructions);
        if (m.NbInstructions >= cible) break;
        if (m.EtatCPU == CPUHalt) {
            const size_t avant = FCurseur;
            DonneEvenements(m);
            if (FCurseur == avant || m.EtatCPU == CPUHalt) {
                ok = false; // the machine waits: nothing reaches it before the target
                break;
            }
        } else if (m.EtatCPU == CPUStop && surArret) {
            if (!surArret(r)) break;
            m.DebutCourse = m.RegPC; // go on past this stop
        }
    }
    m.RendezVous = UINT64_MAX;
    FInterne = false;
    return ok && m.NbInstructions == cible;
}

bool TRetour::VaA(uint64_t instruction, std::vector<std::string>& avis, std::string& erreur) {
    TMachine& m = M();
    if (m.BoucleActive) {
        erreur = "le processeur tourne : arrêtez-le d'abord";
        return false;
    }
    if (instruction < Debut() || instruction > FFin) {
        erreur = "l'instruction " + NombreFr(int64_t(instruction)) + " est hors de l'historique (" +
                 NombreFr(int64_t(Debut())) + " à " + NombreFr(int64_t(FFin)) + ")";
        return false;
    }
    if (!DansLePasse()) FFin = std::max(FFin, m.NbInstructions);
    if (instruction < m.NbInstructions) {
        size_t i = FInstantanes.size() - 1;
        while (i > 0 && FInstantanes[i].Instruction > instruction) --i;
        if (!Restaure(i, avis, erreur)) return false;
    }
    if (!Avance(instruction, nullptr)) {
        erreur = "l'instruction " + NombreFr(int64_t(instruction)) + " n'a pas pu être atteinte";
        return false;
    }
    if (m.EtatCPU == CPURun) m.ChangeEtatCPU(CPUStop);
    FEmpreinteArret = Empreintes(m, nullptr);
    FChangements = FPoste.Lecteurs.ChangementsHote;
    FInstantVu = m.NbInstructions;
    return true;
}

std::optional<std::pair<uint64_t, TRapportArret>> TRetour::DernierArret() {
    TMachine& m = M();
    const uint64_t present = m.NbInstructions;
    std::vector<std::string> avis;
    std::string erreur;
    uint64_t fin = present;
    for (size_t i = FInstantanes.size(); i-- > 0;) {
        const uint64_t debut = FInstantanes[i].Instruction;
        if (debut >= fin) continue;
        if (!VaA(debut, avis, erreur)) break;
        std::optional<std::pair<uint64_t, TRapportArret>> dernier;
        Avance(fin, [&](const TRapportArret& r) {
            if (m.NbInstructions >= fin) return false;
            dernier = std::make_pair(m.NbInstructions, r);
            return true;
        });
        // A breakpoint met at the very start of a segment counts too.
        if (dernier) {
            VaA(dernier->first, avis, erreur);
            return dernier;
        }
        fin = debut;
    }
    VaA(present, avis, erreur);
    return std::nullopt;
}

std::optional<uint64_t> TRetour::AvantAppel() {
    TMachine& m = M();
    const uint64_t present = m.NbInstructions;
    if (present <= Debut()) return std::nullopt;
    const uint16_t sp = m.RegSP;
    std::vector<std::string> avis;
    std::string erreur;
    // The instruction just before: a plain one or the return of a routine.
    if (!VaA(present - 1, avis, erreur)) return std::nullopt;
    const uint8_t op = m.ReadMem(m.RegPC, BanqueCode(m));
    const bool retour = op == 0xC9 || (op & 0xC7) == 0xC0; // RET, Rcc
    if (!retour || m.RegSP >= sp) return present - 1;
    uint64_t fin = present - 1;
    for (size_t i = FInstantanes.size(); i-- > 0;) {
        const uint64_t debut = FInstantanes[i].Instruction;
        if (debut >= fin) continue;
        if (!VaA(debut, avis, erreur)) break;
        std::optional<uint64_t> trouve;
        FInterne = true;
        FCible = fin;
        {
            TMachineMuette muette(m, false, FHoteMuet);
            while (m.NbInstructions < fin) {
                if (m.RegSP == sp && EstAppel(m.ReadMem(m.RegPC, BanqueCode(m)))) trouve = m.NbInstructions;
                if (m.EtatCPU == CPUStop) m.ChangeEtatCPU(CPURun);
                PlaceRendezVous(m, fin);
                m.Execute(1);
                if (m.EtatCPU == CPUHalt) break;
            }
        }
        FInterne = false;
        m.RendezVous = UINT64_MAX;
        if (trouve) {
            VaA(*trouve, avis, erreur);
            return trouve;
        }
        fin = debut;
    }
    VaA(present - 1, avis, erreur);
    return present - 1;
}
