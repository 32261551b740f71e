#include "config/EtatPoste.h"

#include <ctime>

#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/HorlogeMachine.h"
#include "core/SerieEtat.h"
#include "core/Texte.h"
#include "core/Version.h"
#include "devices/Png.h"
#include "disks/Lecteurs.h"

namespace {

constexpr int ReductionVignette = 4;
constexpr uint64_t TailleMaxEtat = 16u << 20;

TDisqueEtat DisqueDuLecteur(const TLecteurs& l, int slot) {
    TDisqueEtat d;
    std::vector<uint8_t> octets;
    bool lisible = true;
    if (!ContenuDuLecteur(l, slot, octets, lisible)) return d;
    const Param_Disque& p = l.Disques[size_t(slot)];
    d.Chemin = p.NomFichier;
    d.Protege = p.Protege;
    d.Taille = octets.size();
    if (!lisible) octets.clear(); // an unreadable image: its fingerprint will not match on load
    d.Empreinte = Sha256(octets);
    return d;
}

template <class R> void Restaure(TMachine& m, const R& r) { static_cast<R&>(m) = r; }

} // namespace

bool ContenuDuLecteur(const TLecteurs& l, int slot, std::vector<uint8_t>& octets, bool& lisible) {
    const Param_Disque& p = l.Disques[size_t(slot)];
    lisible = true;
    octets.clear();
    if (p.NomFichier.empty() || !p.Fichier.Ouvert()) return false;
    octets.assign(size_t(p.Fichier.Longueur()), 0);
    try {
        p.Fichier.Lit(0, octets.data(), int64_t(octets.size()));
    } catch (const TErreurES&) {
        octets.assign(octets.size(), 0xFF);
        lisible = false;
    }
    return true;
}

std::vector<uint8_t> VignetteEcran(const TMachine& m) {
    const int l = LargeurEcran / ReductionVignette, h = HauteurEcran / ReductionVignette;
    std::vector<uint8_t> bgr(size_t(l) * size_t(h) * 3);
    if (m.BmpEcran.size() < size_t(LargeurEcran) * HauteurEcran * 3) return {};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const uint8_t* s = m.BmpEcran.data() + (size_t(y * ReductionVignette) * LargeurEcran +
                                                    size_t(x * ReductionVignette)) * 3;
            std::copy(s, s + 3, bgr.data() + (size_t(y) * size_t(l) + size_t(x)) * 3);
        }
    return CodePngBgr(bgr.data(), l, h);
}

TEtatHorloge EtatHorlogeMachine(const THorlogeMachine& horloge) {
    TEtatHorloge h = horloge.Etat();
    // The debugger's step repeat belongs to the window, not to the machine.
    h.Actif[tmPas] = false;
    h.Echeance[tmPas] = 0;
    return h;
}

void CaptureEnregistrements(const TMachine& m, TEtatComplet& e) {
    e.Roms = m;
    e.Processeur = m;
    e.Memoire = m;
    e.Ecran = m;
    e.Clavier = m;
    e.Imprimante = m;
    e.Dsq = m;
    e.Arith = m;
    e.DisqueDur = m;
    e.Ports = m;
}

TEtatComplet CaptureEtat(const TPoste& poste, const THorlogeMachine* horloge, bool vignette) {
    const TMachine& m = poste.Machine();
    TEtatComplet e;
    e.Info.Modele = m.Machine;
    if (m.Machine >= 0 && size_t(m.Machine) < m.Machines.size()) e.Info.NomModele = m.Machines[size_t(m.Machine)];
    e.Info.DateUnix = int64_t(std::time(nullptr));
    e.Info.Programme = ProgrammeEmulZorv;
    if (vignette) e.Vignette.Png = VignetteEcran(m);
    for (int s = 1; s <= NbLecteurs; ++s) e.Disques.Lecteurs[size_t(s - 1)] = DisqueDuLecteur(poste.Lecteurs, s);
    CaptureEnregistrements(m, e);
    if (horloge) e.Horloge = EtatHorlogeMachine(*horloge);
    return e;
}

void RestaureMachine(TMachine& m, THorlogeMachine* horloge, const TEtatComplet& e) {
    Restaure<TImagesRom>(m, e.Roms);
    Restaure<TEtatProcesseur>(m, e.Processeur);
    Restaure<TEtatMemoire>(m, e.Memoire);
    Restaure<TEtatEcran>(m, e.Ecran);
    Restaure<TEtatClavier>(m, e.Clavier);
    Restaure<TEtatImprimante>(m, e.Imprimante);
    Restaure<TEtatControleurDsq>(m, e.Dsq);
    Restaure<TEtatArith>(m, e.Arith);
    Restaure<TEtatDisqueDur>(m, e.DisqueDur);
    Restaure<TEtatPorts>(m, e.Ports);
    m.FaitesTranche = 0;
    m.ApresRestauration();
    if (horloge) {
        const bool pas = horloge->MinuterieActive(tmPas);
        TEtatHorloge h = e.Horloge;
        h.Actif[tmPas] = pas;
        if (pas) h.Echeance[tmPas] = horloge->Etat().Echeance[tmPas];
        horloge->Restaure(h);
    }
    m.ChangeEtatCPU(m.EtatCPU);
}

uint64_t HacheMachine(const TMachine& m, const THorlogeMachine* horloge) {
    TEcrivainEtat e;
    e.Enregistrement<TEtatProcesseur>(m);
    e.Enregistrement<TEtatMemoire>(m);
    e.Enregistrement<TImagesRom>(m);
    e.Enregistrement<TEtatEcran>(m);
    e.Enregistrement<TEtatClavier>(m);
    e.Enregistrement<TEtatImprimante>(m);
    e.Enregistrement<TEtatControleurDsq>(m);
    e.Enregistrement<TEtatArith>(m);
    e.Enregistrement<TEtatDisqueDur>(m);
    e.Enregistrement<TEtatPorts>(m);
    if (horloge) e.Enregistrement(EtatHorlogeMachine(*horloge));
    return HacheOctets(e.Octets);
}

bool SauveEtat(const TPoste& poste, const THorlogeMachine* horloge, const std::string& chemin, std::string& erreur) {
    return EcritFichierAtomique(chemin, CodeEtat(CaptureEtat(poste, horloge)), erreur);
}

bool ChargeEtat(TPoste& poste, THorlogeMachine* horloge, const std::string& chemin, TChargementEtat& c) {
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, TailleMaxEtat);
    if (r != TLectureFichier::Ok) {
        c.Erreur = MessageLecture(r, chemin);
        return false;
    }
    TEtatComplet e;
    std::string erreur;
    if (!DecodeEtat(octets, e, erreur)) {
        c.Erreur = "L'état " + chemin + " ne peut pas être chargé : " + erreur;
        return false;
    }
    return AppliqueEtat(poste, horloge, e, c);
}

namespace {

enum class TPlanDisque { Vider, Garder, Inserer };

// What becomes of one drive; false when the load is refused.
bool PlanDuLecteur(const TLecteurs& l, int slot, const TDisqueEtat& d, TPlanDisque& plan, TChargementEtat& c) {
    plan = TPlanDisque::Vider;
    if (d.Chemin.empty()) return true;
    const Param_Disque& p = l.Disques[size_t(slot)];
    const bool meme = !p.NomFichier.empty() && p.Fichier.Ouvert() && MemeFichier(p.NomFichier, d.Chemin);
    TDisqueEtat actuel;
    if (meme) {
        actuel = DisqueDuLecteur(l, slot);
    } else {
        std::vector<uint8_t> octets;
        const TLectureFichier r = LitFichierEntier(d.Chemin, octets, 64u << 20);
        if (r != TLectureFichier::Ok) {
            c.Messages.push_back(Format("Le lecteur %d reste vide : ", LecteurDuSlot(slot)) + MessageLecture(r, d.Chemin));
            return true;
        }
        actuel.Taille = octets.size();
        actuel.Empreinte = Sha256(octets);
    }
    plan = meme ? TPlanDisque::Garder : TPlanDisque::Inserer;
    if (actuel.Taille == d.Taille && actuel.Empreinte == d.Empreinte) return true;
    const std::string question =
        Format("L'image %s du lecteur %d a changé depuis l'enregistrement de l'état (son empreinte SHA-256 "
               "n'est plus la même) : la machine pourrait y lire autre chose que ce qu'elle attend. "
               "La remettre quand même dans le lecteur ?",
               d.Chemin.c_str(), LecteurDuSlot(slot));
    const TChoixDisque choix = c.SurImageChangee ? c.SurImageChangee(question) : TChoixDisque::Refuser;
    if (choix == TChoixDisque::Refuser) {
        c.Erreur = Format("L'image %s du lecteur %d a changé depuis l'enregistrement de l'état : "
                          "l'état n'est pas chargé",
                          d.Chemin.c_str(), LecteurDuSlot(slot));
        return false;
    }
    if (choix == TChoixDisque::LaisserVide) {
        plan = TPlanDisque::Vider;
        c.Messages.push_back(Format("Le lecteur %d reste vide : son image a changé depuis l'enregistrement de l'état",
                                    LecteurDuSlot(slot)));
    }
    return true;
}

} // namespace

bool AppliqueEtat(TPoste& poste, THorlogeMachine* horloge, const TEtatComplet& e, TChargementEtat& c) {
    TLecteurs& l = poste.Lecteurs;
    std::array<TPlanDisque, NbLecteurs + 1> plans{};
    for (int s = 1; s <= NbLecteurs; ++s)
        if (!PlanDuLecteur(l, s, e.Disques.Lecteurs[size_t(s - 1)], plans[size_t(s)], c)) return false;
    {
        const TModificationHote modification(poste.Machine()); // a session being recorded keeps it
        RestaureMachine(poste.Machine(), horloge, e);
    }
    // Every drive that changes is emptied first, so that an image moving
    // from one drive to another finds no one holding it.
    for (int s = 1; s <= NbLecteurs; ++s)
        if (plans[size_t(s)] != TPlanDisque::Garder && !l.Disques[size_t(s)].NomFichier.empty()) l.Ejecte(s);
    for (int s = 1; s <= NbLecteurs; ++s) {
        const TDisqueEtat& d = e.Disques.Lecteurs[size_t(s - 1)];
        if (plans[size_t(s)] == TPlanDisque::Inserer) {
            const std::string err = l.InsereDisque(s, d.Chemin, "\u202F");
            if (!err.empty()) {
                c.Messages.push_back(Format("Le lecteur %d reste vide : ", LecteurDuSlot(s)) + err);
                continue;
            }
        }
        if (plans[size_t(s)] != TPlanDisque::Vider && l.Disques[size_t(s)].Protege != d.Protege)
            l.BasculeProtection(s);
    }
    return true;
}
