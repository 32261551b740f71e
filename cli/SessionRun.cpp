#include "cli/SessionRun.h"

#include <cstdio>
#include <filesystem>

#include "cli/ImprimanteRun.h"
#include "cli/Options.h"
#include "cli/PrepareMachine.h"
#include "cli/TraceRun.h"
#include "config/FichierSession.h"
#include "config/Poste.h"
#include "config/RelectureSession.h"
#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "devices/Ecran.h"
#include "devices/JeuCaracteres.h"
#include "devices/Png.h"
#include "disks/Lecteurs.h"

namespace {

void AfficheRegistres(const TMachine& m) {
    std::printf("A=%.2X B=%.2X C=%.2X D=%.2X E=%.2X H=%.2X L=%.2X PSW=%.2X SP=%.4X PC=%.4X\n", m.RegA, m.RegB,
                m.RegC, m.RegD, m.RegE, m.RegH, m.RegL, m.RegPSW, m.RegSP, m.RegPC);
}

// The replay's run: to the end of the session (or the budget). A halted
// processor goes on only when the events of its instant start it again (the
// reset that follows a HLT).
void Fait(TMachine& m, TRelectureSession& r, uint64_t budget) {
    while (r.EnCours() && budget > 0 && !m.FinEmul) {
        const uint64_t avant = m.NbInstructions;
        m.ChangeEtatCPU(m.EtatCPU == CPUHalt ? CPUHalt : CPURun);
        m.Execute(budget);
        budget -= m.NbInstructions - avant;
        if (!r.EnCours() || m.EtatCPU != CPUHalt) continue;
        r.Frontiere(m);
        if (m.EtatCPU == CPUHalt) break;
    }
}

// Compares the screen as drawn with the expected PNG: a sentence when they
// differ (the differing pixels written beside the expected file), empty
// when equal.
std::string CompareEcran(const TMachine& m, const std::string& attendu) {
    std::vector<uint8_t> png, bgr;
    const TLectureFichier l = LitFichierEntier(attendu, png, 64u << 20);
    if (l != TLectureFichier::Ok) return MessageLecture(l, attendu);
    int largeur = 0, hauteur = 0;
    std::string erreur;
    if (!DecodePngBgr(png, bgr, largeur, hauteur, erreur)) return attendu + " : " + erreur;
    if (largeur != LargeurEcran || hauteur != HauteurEcran)
        return Format("%s n'a pas la taille de l'écran (%d × %d au lieu de %d × %d)", attendu.c_str(), largeur, hauteur,
                      LargeurEcran, HauteurEcran);
    std::vector<uint8_t> difference(bgr.size());
    int64_t n = 0;
    for (size_t i = 0; i < bgr.size(); i += 3) {
        const bool egal = std::equal(&bgr[i], &bgr[i] + 3, &m.BmpEcran[i]);
        for (size_t k = 0; k < 3; ++k) // the differences in red over the screen dimmed
            difference[i + k] = egal ? uint8_t(m.BmpEcran[i + k] / 4) : (k == 2 ? 0xFF : 0);
        n += egal ? 0 : 1;
    }
    if (n == 0) return {};
    std::string nom = attendu;
    if (nom.size() > 4 && EgalSansCasse(nom.substr(nom.size() - 4), ".png")) nom.resize(nom.size() - 4);
    nom += ".difference.png";
    std::string texte = "L'écran final diffère de " + attendu + " (" + NombreFr(n) + " pixels)";
    if (EcritFichierAtomique(nom, CodePngBgr(difference.data(), LargeurEcran, HauteurEcran), erreur))
        texte += " : les pixels différents sont dans " + nom;
    else
        texte += " ; " + erreur;
    return texte;
}

std::string CompareFichier(const std::vector<uint8_t>& obtenu, const std::string& attendu, const std::string& quoi) {
    std::vector<uint8_t> octets;
    const TLectureFichier l = LitFichierEntier(attendu, octets, 64u << 20);
    if (l != TLectureFichier::Ok) return MessageLecture(l, attendu);
    if (octets == obtenu) return {};
    size_t i = 0;
    while (i < octets.size() && i < obtenu.size() && octets[i] == obtenu[i]) ++i;
    return quoi + " diffère de " + attendu + " à partir de l'octet " + NombreFr(int64_t(i)) + " (" +
           NombreFr(int64_t(obtenu.size())) + " octets obtenus, " + NombreFr(int64_t(octets.size())) + " attendus)";
}

std::vector<uint8_t> Octets(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> ContenuOuRien(const std::string& chemin) {
    std::vector<uint8_t> o;
    if (!chemin.empty() && LitFichierEntier(chemin, o, 64u << 20) != TLectureFichier::Ok) o.clear();
    return o;
}

// "N=IMAGE": the slot and the path; slot 0 when the drive is unknown.
std::pair<int, std::string> DisqueAttendu(const std::string& v) {
    const size_t eg = v.find('=');
    if (eg == std::string::npos) return {0, v};
    const auto n = LitDecimal(v.substr(0, eg), 12);
    return {n ? SlotDuLecteur(int(*n)) : 0, v.substr(eg + 1)};
}

// Writes `octets` at `chemin` unless it already holds them; a failure is a
// sentence in `ecarts`.
void EcritReference(const std::string& chemin, const std::vector<uint8_t>& octets, std::vector<std::string>& ecarts) {
    if (ContenuOuRien(chemin) == octets && GenreFichier(chemin) == TLectureFichier::Ok) return;
    if (std::string erreur; !EcritFichierAtomique(chemin, octets, erreur)) ecarts.push_back(erreur);
}

// The end of the replay against what is expected, or the expectations
// written from it.
void Attentes(TPosteVirtuel& poste, const TRelectureSession& r, const TOptionsRun& o, bool reference,
              const std::string& texteImprime, TBilanRelecture& b) {
    TMachine& m = poste.Machine();
    DessineEcran(m);
    const std::string texte = TexteEcran(m);
    if (reference) {
        if (!o.AttenteEcran.empty())
            EcritReference(o.AttenteEcran, CodePngBgr(m.BmpEcran.data(), LargeurEcran, HauteurEcran), b.Ecarts);
        if (!o.AttenteTexte.empty()) EcritReference(o.AttenteTexte, Octets(texte), b.Ecarts);
        if (!o.AttenteImprimante.empty() &&
            (!texteImprime.empty() || GenreFichier(o.AttenteImprimante) == TLectureFichier::Ok))
            EcritReference(o.AttenteImprimante, Octets(texteImprime), b.Ecarts);
        for (const std::string& d : o.AttentesDisques) {
            const auto [slot, chemin] = DisqueAttendu(d);
            if (slot) EcritReference(chemin, ContenuOuRien(r.CheminImage(slot)), b.Ecarts);
        }
        return;
    }
    std::vector<std::string>& e = b.Ecarts;
    if (!o.AttenteEcran.empty())
        if (std::string x = CompareEcran(m, o.AttenteEcran); !x.empty()) e.push_back(x);
    if (!o.AttenteTexte.empty())
        if (std::string x = CompareFichier(Octets(texte), o.AttenteTexte, "Le texte de l'écran"); !x.empty()) e.push_back(x);
    if (!o.AttenteImprimante.empty())
        if (std::string x = CompareFichier(Octets(texteImprime), o.AttenteImprimante, "Le texte imprimé"); !x.empty())
            e.push_back(x);
    for (const std::string& d : o.AttentesDisques) {
        const auto [slot, chemin] = DisqueAttendu(d);
        if (slot == 0) {
            e.push_back("--expect-disk " + d + " : attendu N=IMAGE, N un lecteur (1, 2, 9 à 12)");
            continue;
        }
        if (r.CheminImage(slot).empty()) {
            e.push_back(Format("Le lecteur %d est vide à la fin de la session", LecteurDuSlot(slot)));
            continue;
        }
        const std::string quoi = Format("L'image du lecteur %d", LecteurDuSlot(slot));
        if (std::string x = CompareFichier(ContenuOuRien(r.CheminImage(slot)), chemin, quoi); !x.empty()) e.push_back(x);
    }
}

} // namespace

std::string TexteEcran(const TMachine& m) {
    const int colonnes = m.Mode128Col ? 128 : 80;
    std::string texte;
    for (int r = 0; r < 24; ++r) {
        for (int c = 0; c < colonnes; ++c) {
            char32_t ch = TraduitZorvCourier(uint16_t(m.RamTv[size_t(128 * r + c)] & 0x7F));
            if (ch < 0x20) ch = U' '; // control codes have no printable shape
            texte += EnUtf8(ch);
        }
        texte += '\n';
    }
    return texte;
}

int SortiesDeRun(TPosteVirtuel& poste, const TOptionsRun& o, TImprimanteRun& imprimante, int statut,
                 void (*ligne)(const std::string&)) {
    TMachine& m = poste.Machine();
    if (!SauveEtatDesOptions(poste, o, ligne) && statut == 0) statut = 1;
    // The program ends: the open print job with it.
    if (std::string erreur; !imprimante.Termine(erreur)) {
        if (!erreur.empty()) ligne(erreur);
        if (statut == 0) statut = 1;
    }
    std::fflush(stdout);
    if (o.TexteEcran) std::fputs(TexteEcran(m).c_str(), stdout);
    if (o.Registres) AfficheRegistres(m);
    std::fflush(stdout);
    if (!o.EcranPng.empty()) {
        DessineEcran(m);
        std::string erreur;
        if (!EcritCapturePng(m, o.EcranPng, erreur)) {
            ligne(erreur);
            if (statut == 0) statut = 1;
        }
    }
    return statut;
}

void AfficheStats(const TMachine& m, const THoteVirtuel& hote, double secondes, double secondesCpu) {
    const double n = double(m.NbInstructions);
    const std::string texte =
        "instructions : " + NombreFr(int64_t(m.NbInstructions)) + "\nétats T : " + NombreFr(int64_t(m.NbCycles)) +
        "\ntemps virtuel : " + NombreFr(double(hote.MaintenantUs) / 1e6, 6) + " s\ntemps réel : " +
        NombreFr(secondes, 6) + " s\ntemps processeur : " + NombreFr(secondesCpu, 6) + " s\nMIPS : " +
        NombreFr(secondes > 0 ? n / secondes / 1e6 : 0.0, 2) + " (" +
        NombreFr(secondesCpu > 0 ? n / secondesCpu / 1e6 : 0.0, 2) + " en temps processeur)\n";
    std::fputs(texte.c_str(), stderr);
}

TBilanRelecture Rejoue(const TOptionsRun& o, bool reference, void (*ligne)(const std::string&)) {
    TBilanRelecture b;
    TSession s;
    if (!LitSession(o.SessionEntree, s, b.Message)) {
        b.Statut = 1;
        return b;
    }
    TDossierTemporaire dossier("zorv-session");
    if (dossier.Chemin.empty()) {
        b.Message = "Impossible de créer un dossier temporaire pour les images de la session";
        b.Statut = 1;
        return b;
    }
    // The session brings its ROM images; the printer's text is kept when
    // it is expected.
    TOptionsRun p = o;
    p.SansRom = true;
    const bool texteImprime = !o.AttenteImprimante.empty();
    if (texteImprime && p.Imprimante.empty() && p.ImprimanteBrute.empty()) p.Imprimante = dossier.Chemin + "/imprime.txt";
    TPosteVirtuel poste(0);
    TImprimanteRun imprimante;
    if (std::string e = PreparePoste(poste, p, imprimante, ligne); !e.empty()) {
        b.Message = e;
        b.Statut = SortieArguments;
        return b;
    }
    THoteVirtuel& hote = poste.HoteVirtuel;
    poste.SurDemandeLancement = [] {}; // the replay's own loop runs the machine again
    std::unique_ptr<TRelectureSession> r =
        TRelectureSession::Commence(poste, hote, std::move(s), dossier.Chemin, b.Message);
    if (!r) {
        b.Statut = 1;
        return b;
    }
    hote.Cadence.ChoisitHorloge(hote.HorlogeKHz); // "Vitesse réelle" at the session's clock
    r->SurHorloge = [&hote](uint32_t kHz) { hote.Cadence.ChoisitHorloge(kHz); };
    if (!CommenceTraceRun(poste, p, ligne)) {
        b.Statut = SortieArguments;
        return b;
    }
    Fait(poste.Machine(), *r, o.MaxInstructions.value_or(UINT64_MAX));
    if (!TermineTraceRun(poste, p, ligne)) b.Statut = 1;
    if (r->Etat() == TEtatRelecture::Desynchronisee) {
        b.Message = r->Message();
        b.Statut = SortieDesynchronisation;
    } else if (r->EnCours() && !o.MaxInstructions) {
        b.Message = "La relecture s'est arrêtée avant la fin de la session (processeur arrêté par HLT à " +
                    Format("%.4XH", unsigned(poste.Machine().MemPC)) + ")";
        b.Statut = SortieDesynchronisation;
    }
    poste.Machine().Journal = nullptr;
    b.Statut = SortiesDeRun(poste, p, imprimante, b.Statut, ligne);
    std::string imprime;
    if (texteImprime) {
        const std::vector<uint8_t> t = ContenuOuRien(p.Imprimante);
        imprime.assign(t.begin(), t.end());
    }
    if (b.Statut == 0 || reference) Attentes(poste, *r, o, reference, imprime, b);
    if (!reference && b.Statut == 0 && !b.Ecarts.empty()) b.Statut = SortieAttenteDifferente;
    if (reference && !b.Ecarts.empty() && b.Statut == 0) b.Statut = 1;
    return b;
}

int RejoueRun(const TOptionsRun& o) {
    void (*ligne)(const std::string&) = [](const std::string& t) { AfficheUneLigne(t); };
    const TBilanRelecture b = Rejoue(o, false, ligne);
    if (!b.Message.empty()) ligne(b.Message);
    for (const std::string& e : b.Ecarts) ligne(e);
    return b.Statut;
}
