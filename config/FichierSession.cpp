#include "config/FichierSession.h"

#include "config/FichierEtat.h"
#include "core/Fichiers.h"
#include "core/OctetsLE.h"
#include "core/Texte.h"

namespace {

constexpr char Magie[9] = "ZORVSESS";
// Six images of 1.2 MB and a long session's events fit far below this.
constexpr uint32_t LongueurMaxMorceau = 256u << 20;
constexpr uint64_t TailleMaxSession = 1024ull << 20;
constexpr uint64_t NbMaxEvenements = 100'000'000;
constexpr uint64_t TailleMaxImage = 16u << 20;

const TFormatMorceaux FormatSession{
    Magie, VersionFormatSession, LongueurMaxMorceau,
    "Ce fichier n'est pas une session enregistrée par EmulZorv",
    "Cette session est au format %u, plus récent que le format %u que lit ce programme : elle a été "
    "enregistrée par une version plus récente d'EmulZorv",
    "Cette session est dans un format inconnu (0)",
    "La session est tronquée : sa fin manque",
    " est trop grand pour une session",
    "La session est tronquée dans le bloc ",
    "Des octets suivent la fin de la session"};

struct TMorceauConnu {
    const char* Id;
    uint16_t Version;
};
constexpr TMorceauConnu MorceauxSession[] = {{"INFO", 1}, {"ETAT", 1}, {"IMAG", 1},
                                             {"EVEN", 1}, {"CTRL", 1}, {"GCAR", 1}};
constexpr size_t TailleMaxGenCar = 64u << 10;

void CodeHeure(TSortieLE& s, const THeureLocale& h) {
    for (int v : {h.Annee, h.Mois, h.Jour, h.JourSemaine, h.Heure, h.Minute, h.Seconde, h.Milli})
        s.Entier(uint64_t(int64_t(v)), 4);
}
THeureLocale LitHeure(TEntreeLE& e) {
    THeureLocale h;
    for (int* v : {&h.Annee, &h.Mois, &h.Jour, &h.JourSemaine, &h.Heure, &h.Minute, &h.Seconde, &h.Milli})
        *v = int(int32_t(uint32_t(e.Entier(4))));
    return h;
}

std::vector<uint8_t> CodeInfo(const TInfoSession& i) {
    std::vector<uint8_t> o;
    TSortieLE s{o};
    s.Chaine(i.Programme);
    s.Entier(uint64_t(i.DateUnix), 8);
    s.Entier(i.HorlogeKHz, 4);
    s.Entier(i.NsParInstruction, 8);
    CodeHeure(s, i.Origine);
    s.Entier(i.OrigineUs, 8);
    s.Entier(uint64_t(int64_t(i.TimeOutImpr)), 4);
    s.Entier(i.TypeDsq12, 1);
    s.Entier(i.FinInstruction, 8);
    s.Entier(i.FinCycles, 8);
    s.Entier(i.IntervalleControleUs, 8);
    return o;
}

bool LitInfo(const std::vector<uint8_t>& o, TInfoSession& i) {
    TEntreeLE e(o);
    i.Programme = e.Chaine();
    i.DateUnix = int64_t(e.Entier(8));
    i.HorlogeKHz = uint32_t(e.Entier(4));
    i.NsParInstruction = e.Entier(8);
    i.Origine = LitHeure(e);
    i.OrigineUs = e.Entier(8);
    i.TimeOutImpr = int32_t(uint32_t(e.Entier(4)));
    i.TypeDsq12 = uint8_t(e.Entier(1));
    i.FinInstruction = e.Entier(8);
    i.FinCycles = e.Entier(8);
    i.IntervalleControleUs = e.Entier(8);
    return e.Fini();
}

void CodeImage(TSortieLE& s, const TImageSession& im) {
    s.Entier(im.Present, 1);
    s.Entier(im.Protege, 1);
    s.Chaine(im.Nom);
    s.Bloc(im.Octets);
}
TImageSession LitImage(TEntreeLE& e) {
    TImageSession im;
    im.Present = e.Entier(1) != 0;
    im.Protege = e.Entier(1) != 0;
    im.Nom = e.Chaine();
    im.Octets = e.Bloc();
    return im;
}

void CodeEvenement(TSortieLE& s, const TEvenement& ev) {
    s.Entier(ev.Instruction, 8);
    s.Entier(ev.Cycles, 8);
    s.Entier(uint8_t(ev.Type), 1);
    switch (ev.Type) {
    case TTypeEvenement::Touche: s.Entier(ev.Entree, 2); break;
    case TTypeEvenement::Raz:
    case TTypeEvenement::Int: break;
    case TTypeEvenement::Modification: s.Bloc(ev.Difference); break;
    case TTypeEvenement::Disque:
        s.Entier(ev.Slot, 1);
        CodeImage(s, ev.Image);
        break;
    case TTypeEvenement::Reglages:
        s.Entier(ev.HorlogeKHz, 4);
        s.Entier(ev.NsParInstruction, 8);
        s.Entier(uint64_t(int64_t(ev.TimeOutImpr)), 4);
        break;
    }
}

// One event; an empty text when it was read and is sound.
std::string LitEvenement(TEntreeLE& e, TEvenement& ev) {
    ev.Instruction = e.Entier(8);
    ev.Cycles = e.Entier(8);
    const uint64_t type = e.Entier(1);
    ev.Type = TTypeEvenement(type);
    switch (ev.Type) {
    case TTypeEvenement::Touche: ev.Entree = uint16_t(e.Entier(2)); break;
    case TTypeEvenement::Raz:
    case TTypeEvenement::Int: break;
    case TTypeEvenement::Modification:
        ev.Difference = e.Bloc();
        if (!e.Erreur) return ControleDifference(ev.Difference);
        break;
    case TTypeEvenement::Disque:
        ev.Slot = uint8_t(e.Entier(1));
        ev.Image = LitImage(e);
        if (!e.Erreur && (ev.Slot < 1 || ev.Slot > 6)) return Format("un événement vise le lecteur inconnu %u", unsigned(ev.Slot));
        break;
    case TTypeEvenement::Reglages:
        ev.HorlogeKHz = uint32_t(e.Entier(4));
        ev.NsParInstruction = e.Entier(8);
        ev.TimeOutImpr = int32_t(uint32_t(e.Entier(4)));
        if (!e.Erreur && (ev.HorlogeKHz < 1 || ev.HorlogeKHz > 1'000'000))
            return "un événement donne une fréquence d'horloge impossible";
        break;
    default:
        if (!e.Erreur) return Format("un événement est d'un type inconnu (%u)", unsigned(type));
    }
    return e.Erreur ? "un événement est tronqué" : "";
}

std::vector<uint8_t> CodeEvenements(const std::vector<TEvenement>& evs) {
    std::vector<uint8_t> o;
    TSortieLE s{o};
    s.Entier(evs.size(), 4);
    for (const TEvenement& ev : evs) CodeEvenement(s, ev);
    return o;
}

std::vector<uint8_t> CodeControles(const std::vector<TControleSession>& cs) {
    std::vector<uint8_t> o;
    TSortieLE s{o};
    s.Entier(cs.size(), 4);
    for (const TControleSession& c : cs) {
        s.Entier(c.Instruction, 8);
        s.Entier(c.Cycles, 8);
        s.Entier(c.NbEvenements, 8);
        for (uint64_t h : c.Empreintes) s.Entier(h, 8);
    }
    return o;
}

std::string LitImages(const std::vector<uint8_t>& o, std::array<TImageSession, 6>& images) {
    TEntreeLE e(o);
    for (TImageSession& im : images) im = LitImage(e);
    return e.Fini() ? "" : "le bloc des images est endommagé";
}

std::string LitEvenements(const std::vector<uint8_t>& o, std::vector<TEvenement>& evs) {
    TEntreeLE e(o);
    const uint64_t n = e.Entier(4);
    // Each event takes at least 17 bytes: a count beyond that is a lie.
    if (e.Erreur || n > NbMaxEvenements || n > e.Reste() / 17) return "le bloc des événements est endommagé";
    evs.resize(size_t(n));
    for (TEvenement& ev : evs)
        if (std::string err = LitEvenement(e, ev); !err.empty()) return err;
    return e.Fini() ? "" : "le bloc des événements est endommagé";
}

std::string LitControles(const std::vector<uint8_t>& o, std::vector<TControleSession>& cs) {
    TEntreeLE e(o);
    const uint64_t n = e.Entier(4);
    constexpr size_t Taille = 24 + 8 * NbComposants;
    if (e.Erreur || n != e.Reste() / Taille || e.Reste() % Taille != 0) return "le bloc des contrôles est endommagé";
    cs.resize(size_t(n));
    for (TControleSession& c : cs) {
        c.Instruction = e.Entier(8);
        c.Cycles = e.Entier(8);
        c.NbEvenements = e.Entier(8);
        for (uint64_t& h : c.Empreintes) h = e.Entier(8);
    }
    return {};
}

// The order of the events and fingerprints, and that each lies inside the
// recording: refused before anything runs.
std::string ControleOrdre(const TSession& s, uint64_t depart) {
    const uint64_t fin = s.Info.FinInstruction;
    if (fin < depart) return "la session finit avant son état de départ";
    uint64_t avant = depart;
    for (size_t i = 0; i < s.Evenements.size(); ++i) {
        const uint64_t t = s.Evenements[i].Instruction;
        if (t < avant)
            return Format("l'événement %zu est daté avant le précédent (instruction %llu)", i + 1,
                          static_cast<unsigned long long>(t));
        if (t > fin) return Format("l'événement %zu est daté après la fin de la session", i + 1);
        avant = t;
    }
    avant = depart;
    uint64_t evenements = 0;
    for (size_t i = 0; i < s.Controles.size(); ++i) {
        const TControleSession& c = s.Controles[i];
        const uint64_t t = c.Instruction, k = c.NbEvenements;
        // In the order of the recording: after the events it follows, before the others.
        const bool place = k >= evenements && k <= s.Evenements.size() &&
                           (k == 0 || s.Evenements[size_t(k - 1)].Instruction <= t) &&
                           (k == s.Evenements.size() || s.Evenements[size_t(k)].Instruction >= t);
        if (t < avant || (i > 0 && t == avant) || t > fin || !place)
            return Format("le contrôle %zu est hors de l'ordre de la session", i + 1);
        avant = t;
        evenements = k;
    }
    if (s.Info.TypeDsq12 > 1) return "le type des lecteurs 1 et 2 est inconnu";
    if (s.Info.IntervalleControleUs == 0) return "l'intervalle des contrôles est nul";
    if (s.Info.HorlogeKHz < 1 || s.Info.HorlogeKHz > 1'000'000) return "la fréquence d'horloge de la session est impossible";
    for (const TImageSession& im : s.Images)
        if (im.Octets.size() > TailleMaxImage) return "une image de la session est trop grande";
    return {};
}

} // namespace

std::vector<uint8_t> CodeSession(const TSession& s) {
    std::vector<uint8_t> o(Magie, Magie + 8);
    TSortieLE{o}.Entier(VersionFormatSession, 2);
    CodeMorceau(o, "INFO", 1, CodeInfo(s.Info));
    CodeMorceau(o, "ETAT", 1, s.Etat);
    CodeMorceau(o, "GCAR", 1, s.GenCar);
    std::vector<uint8_t> images;
    TSortieLE si{images};
    for (const TImageSession& im : s.Images) CodeImage(si, im);
    CodeMorceau(o, "IMAG", 1, images);
    CodeMorceau(o, "EVEN", 1, CodeEvenements(s.Evenements));
    CodeMorceau(o, "CTRL", 1, CodeControles(s.Controles));
    CodeMorceau(o, "FIN ", 1, {});
    return o;
}

uint64_t InstructionDeDepart(const TSession& s) {
    TEtatComplet e;
    std::string erreur;
    return DecodeEtat(s.Etat, e, erreur) ? e.Processeur.NbInstructions : 0;
}

bool DecodeSession(const uint8_t* p, size_t n, TSession& s, std::string& erreur) {
    std::vector<TMorceauEtat> morceaux;
    if (!LitMorceaux(FormatSession, p, n, s.VersionFormat, morceaux, erreur)) return false;
    std::array<const TMorceauEtat*, std::size(MorceauxSession)> trouves{};
    for (const TMorceauEtat& m : morceaux) {
        if (m.Id == "FIN ") continue;
        size_t i = 0;
        while (i < std::size(MorceauxSession) && m.Id != MorceauxSession[i].Id) ++i;
        if (i == std::size(MorceauxSession)) {
            erreur = "La session contient un bloc inconnu « " + m.Id + " »";
            return false;
        }
        if (trouves[i]) {
            erreur = "Le bloc « " + m.Id + " » figure deux fois dans la session";
            return false;
        }
        if (m.Version != MorceauxSession[i].Version) {
            erreur = Format("Le bloc « %s » de la session est dans une version que ce programme ne lit pas (%u)",
                            m.Id.c_str(), unsigned(m.Version));
            return false;
        }
        trouves[i] = &m;
    }
    for (size_t i = 0; i < trouves.size(); ++i)
        if (!trouves[i]) {
            erreur = std::string("Il manque à la session le bloc « ") + MorceauxSession[i].Id + " »";
            return false;
        }
    if (!LitInfo(trouves[0]->Octets, s.Info)) {
        erreur = "Le bloc « INFO » de la session n'a pas la longueur de sa version";
        return false;
    }
    s.Etat = trouves[1]->Octets;
    s.GenCar = trouves[5]->Octets;
    if (s.GenCar.size() > TailleMaxGenCar) {
        erreur = "Le générateur de caractères de la session est trop grand";
        return false;
    }
    TEtatComplet depart;
    if (!DecodeEtat(s.Etat, depart, erreur)) {
        erreur = "L'état de départ de la session est illisible : " + erreur;
        return false;
    }
    std::string e = LitImages(trouves[2]->Octets, s.Images);
    if (e.empty()) e = LitEvenements(trouves[3]->Octets, s.Evenements);
    if (e.empty()) e = LitControles(trouves[4]->Octets, s.Controles);
    if (e.empty()) e = ControleOrdre(s, depart.Processeur.NbInstructions);
    if (!e.empty()) {
        erreur = "La session est refusée : " + e;
        return false;
    }
    return true;
}

bool EcritSession(const TSession& s, const std::string& chemin, std::string& erreur) {
    return EcritFichierAtomique(chemin, CodeSession(s), erreur);
}

bool LitSession(const std::string& chemin, TSession& s, std::string& erreur) {
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, TailleMaxSession);
    if (r != TLectureFichier::Ok) {
        erreur = MessageLecture(r, chemin);
        return false;
    }
    if (!DecodeSession(octets, s, erreur)) {
        erreur = "La session " + chemin + " ne peut pas être relue : " + erreur;
        return false;
    }
    return true;
}
