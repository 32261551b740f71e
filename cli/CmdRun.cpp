// zorv run: the machine without a window, on the virtual clock.
#include <chrono>
#include <clocale>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/Commandes.h"
#include "cli/ConsoleBdos.h"
#include "cli/Options.h"
#include "cli/OptionsRun.h"
#include "config/ChargeRoms.h"
#include "config/Modeles.h"
#include "config/Parametres.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "devices/Ecran.h"
#include "devices/FrappeTexte.h"
#include "devices/JeuCaracteres.h"
#include "devices/Png.h"
#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"

namespace {

constexpr int SortieOk = 0, SortieCapture = 1, SortieMaxInstructions = 3, SortieHalte = 4;

void UneLigne(const std::string& texte) { AfficheUneLigne(texte); }

// Files loaded into RAM: at most the whole address space.
bool LitFichier(const std::string& nom, std::vector<uint8_t>& octets, std::string& erreur) {
    const TLectureFichier r = LitFichierEntier(nom, octets, 0x10000);
    erreur = MessageLecture(r, nom);
    return r == TLectureFichier::Ok;
}

std::string NomComplet(const std::string& nom) {
    std::error_code ec;
    const auto p = std::filesystem::absolute(nom, ec);
    return ec ? nom : p.string();
}

// The folder of the running executable, where the window finds its images.
std::string DossierProgramme() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("./") : AvecSeparateur(exe.parent_path().string());
}

// The thousands separator of the user's locale, as the window shows it
// (the C locale groups with ",").
std::string SeparateurMilliers() {
    std::string sep = ",";
    if (std::setlocale(LC_NUMERIC, "")) {
        const char* s = std::localeconv()->thousands_sep;
        if (s && *s) sep = s;
    }
    std::setlocale(LC_NUMERIC, "C");
    return sep;
}

// The three images: those the options name, else (without --no-rom or
// --bdos) the window's, from EmulZorv.ini beside the executable or the
// default names there. The settings file also gives the default model.
std::string ChargeImages(TMachine& m, TParametres& p, const TOptionsRun& o) {
    const bool defauts = !o.SansRom && !o.Bdos;
    std::string err;
    const std::string genCar = !o.GenCar.empty() ? NomComplet(o.GenCar) : defauts ? p.GenCarZorv : "";
    if (!genCar.empty() && !(err = ChargeGenCar(m, genCar)).empty()) return err;
    const std::string rom = !o.Rom.empty() ? NomComplet(o.Rom) : defauts ? p.RomBootZorv : "";
    if (!rom.empty() && !(err = ChargeRomBoot(m, rom)).empty()) return err;
    if (!o.Prom.empty()) {
        const std::string nom = NomComplet(o.Prom);
        if (GenreFichier(nom) == TLectureFichier::Absent) return MessageFichierAbsent(nom); // named on purpose
        if (!(err = ChargeRom128K(m, nom)).empty()) return err;
    } else if (defauts && !(err = ChargeRom128K(m, p.ROM128KZorv)).empty()) {
        return err;
    }
    return {};
}

// Set-up of the machine from the options; an empty text when it went well.
std::string PrepareMachine(TPoste& poste, const TOptionsRun& o) {
    TMachine& m = poste.Machine();
    TParametres& p = poste.Parametres;
    p.ProgDir = DossierProgramme();
    m.Machines = ListeModeles();
    LitParametresSansEcrire(m, p); // never written from here
    m.InitMachine();
    m.ChoisitModele(o.ModeleDonne ? o.Modele : m.Machine);
    m.AncienneMach = m.Machine;
    if (o.ModeClavier) m.ModClavParam = m.ModeClavier = *o.ModeClavier;
    std::string err;
    m.IndCoulTxt = o.CouleurTexte;
    m.PlansGraph = uint8_t(o.Plans);
    m.IndCoulGrph = o.Schema;
    ChoisitCouleurs(m);
    if (!(err = ChargeImages(m, p, o)).empty()) return err;
    m.PtrFonte80 = &m.Fonte80;
    m.PtrFonte128 = &m.Fonte128;
    m.FonteSelect = 0;
    if (o.Bdos) {
        std::vector<uint8_t> prog;
        if (!LitFichier(*o.Bdos, prog, err)) return err;
        if (!PrepareBdos(m, prog)) return MessageFichierTropGros(*o.Bdos);
    }
    for (const auto& [adr, nom] : o.Charges) {
        std::vector<uint8_t> octets;
        if (!LitFichier(nom, octets, err)) return err;
        if (size_t(adr) + octets.size() > 0x10000) {
            char texte[64];
            std::snprintf(texte, sizeof texte, " dépasse FFFFH s'il est chargé en %.4XH", unsigned(adr));
            return "Le fichier " + nom + texte;
        }
        for (size_t i = 0; i < octets.size(); ++i) m.WriteBank(uint16_t(adr + i), 0, octets[i]);
    }
    const std::string separateur = SeparateurMilliers();
    poste.Lecteurs.InitGeometrie(p.TypeDsq12); // drives 1 and 2 as the settings say
    for (const std::string& texte : o.Disques) {
        TOptionDisque disque;
        if (!AnalyseOptionDisque(texte, disque, err)) return err;
        if (!(err = InsereOptionDisque(poste.Lecteurs, disque, separateur)).empty()) return err;
    }
    if (o.PC) m.RegPC = uint16_t(*o.PC);
    if (o.SelMem) m.SelMem = uint8_t(*o.SelMem);
    return {};
}

// The run itself: slices of the machine's own run loop, keys fed between
// them. Returns the exit status.
int Fait(TMachine& m, THoteVirtuel& hote, const TOptionsRun& o, TFrappeTexte& frappe) {
    const bool condition = o.JusquAHalte || o.JusquAPC || o.Bdos;
    uint64_t reste = o.MaxInstructions.value_or(UINT64_MAX);
    TContexteClavier ctx;
    // The stop address is armed once the first instruction has run, so that
    // a run starting there goes round at least once.
    bool stopArme = !o.JusquAPC;
    m.CommenceCourse();
    for (;;) {
        // Keys wait for the software to announce its keyboard mode (which
        // empties the queue) or to poll the keyboard.
        const bool clavierPret = o.TouchesImmediates || m.ClavierPret;
        if (!frappe.Fini() && clavierPret) {
            ctx.Date = hote.HeureLocale();
            frappe.Alimente(m, ctx);
        }
        uint64_t tranche = frappe.Fini() ? reste : std::min<uint64_t>(reste, 4000);
        if (!stopArme && m.NbInstructions > 0) {
            m.TblPtArret[*o.JusquAPC] |= 2;
            stopArme = true;
        }
        if (!stopArme) tranche = 1;
        const uint64_t avant = m.NbInstructions;
        const TRapportArret rapport = m.Execute(tranche);
        reste -= m.NbInstructions - avant;
        switch (rapport.Cause) {
        case TCauseArret::PointArret:
        case TCauseArret::ArretTemporaire:
        case TCauseArret::Pause:
        case TCauseArret::PointSurveillance:
            if (o.Bdos) {
                const TArretBdos a = TraiteArretBdos(m, stdout);
                if (a == TArretBdos::Continue) {
                    m.CommenceCourse(); // the call's breakpoint is left behind
                    continue;
                }
                if (a == TArretBdos::Fin) return SortieOk;
            }
            return SortieOk; // --until-pc reached
        case TCauseArret::Halte:
            return (o.JusquAHalte || !condition) ? SortieOk : SortieHalte;
        case TCauseArret::FinEmul:
        case TCauseArret::DejaEnCours:
            return SortieOk;
        case TCauseArret::Budget:
            if (reste == 0) return condition ? SortieMaxInstructions : SortieOk;
            break;
        }
    }
}

// The virtual clock starts from the host's local date and time.
THeureLocale HeureDeDepart() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

void AfficheEcran(const TMachine& m) {
    const int colonnes = m.Mode128Col ? 128 : 80;
    for (int r = 0; r < 24; ++r) {
        std::string ligne;
        for (int c = 0; c < colonnes; ++c) {
            char32_t ch = TraduitZorvCourier(uint16_t(m.RamTv[size_t(128 * r + c)] & 0x7F));
            if (ch < 0x20) ch = U' '; // control codes have no printable shape
            ligne += EnUtf8(ch);
        }
        std::printf("%s\n", ligne.c_str());
    }
}

void AfficheRegistres(const TMachine& m) {
    std::printf("A=%.2X B=%.2X C=%.2X D=%.2X E=%.2X H=%.2X L=%.2X PSW=%.2X SP=%.4X PC=%.4X\n", m.RegA, m.RegB,
                m.RegC, m.RegD, m.RegE, m.RegH, m.RegL, m.RegPSW, m.RegSP, m.RegPC);
}

} // namespace

int CommandeRun(int argc, char** argv) {
    TOptionsRun o;
    if (const int statut = AnalyseOptionsRun(argc, argv, o); statut >= 0) return statut;
    std::vector<TMessageClavier> messages;
    if (o.Touches) {
        const std::string e = DecodeFrappe(*o.Touches, messages);
        if (!e.empty()) {
            UneLigne("zorv run : --keys : " + e);
            return SortieArguments;
        }
    }
    TPosteVirtuel poste(o.Graine ? uint32_t(*o.Graine) : GraineAleatoire());
    TMachine* m = &poste.Machine();
    THoteVirtuel& hote = poste.HoteVirtuel;
    hote.NsParInstruction = o.NsParInstruction.value_or(250);
    hote.Origine = HeureDeDepart();
    // The machine's boxes on stderr, one line each, nothing kept however
    // long the run.
    hote.ConserveBoites = false;
    hote.SurMessage = UneLigne;
    const std::string e = PrepareMachine(poste, o);
    if (!e.empty()) {
        UneLigne(e);
        return SortieArguments;
    }
    if (!o.Imprimante.empty()) { // a target that cannot take the output is refused before the run
        std::string erreur;
        if (CibleEcriture(o.Imprimante, erreur).empty()) {
            UneLigne("zorv run : --printer : " + erreur);
            return SortieArguments;
        }
    }
    TFrappeTexte frappe(std::move(messages));
    const auto debut = std::chrono::steady_clock::now();
    const std::clock_t debutCpu = std::clock();
    int statut = Fait(*m, hote, o, frappe);
    const double secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    const double secondesCpu = double(std::clock() - debutCpu) / CLOCKS_PER_SEC;
    std::fflush(stdout);
    if (o.TexteEcran) AfficheEcran(*m);
    if (o.Registres) AfficheRegistres(*m);
    std::fflush(stdout);
    if (!o.EcranPng.empty()) {
        DessineEcran(*m);
        std::string erreur;
        if (!EcritCapturePng(*m, o.EcranPng, erreur)) {
            UneLigne(erreur);
            if (statut == SortieOk) statut = SortieCapture;
        }
    }
    if (!o.Imprimante.empty()) {
        // Byte 0 is never printed; the file is replaced once complete.
        std::vector<uint8_t> texte;
        for (uint8_t c : poste.Imprimante.Octets)
            if (c) texte.push_back(c);
        std::string erreur;
        if (!EcritFichierAtomique(o.Imprimante, texte, erreur)) {
            UneLigne("zorv run : imprimante : " + erreur);
            if (statut == SortieOk) statut = SortieCapture;
        }
    }
    if (o.Stats) {
        const double n = double(m->NbInstructions);
        std::fprintf(stderr,
                     "instructions : %llu\ntemps virtuel : %.6f s\ntemps réel : %.6f s\n"
                     "temps processeur : %.6f s\nMIPS : %.2f (%.2f en temps processeur)\n",
                     static_cast<unsigned long long>(m->NbInstructions), double(hote.MaintenantUs) / 1e6, secondes,
                     secondesCpu, secondes > 0 ? n / secondes / 1e6 : 0.0, secondesCpu > 0 ? n / secondesCpu / 1e6 : 0.0);
    }
    return statut;
}
