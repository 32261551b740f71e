#include "cli/PrepareMachine.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "cli/ConsoleBdos.h"
#include "cli/ImprimanteRun.h"
#include "config/ChargeRoms.h"
#include "config/DossiersUtilisateur.h"
#include "config/EtatPoste.h"
#include "config/Modeles.h"
#include "config/Parametres.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Machine.h"
#include "devices/Ecran.h"
#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"

namespace {

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

} // namespace

std::string SeparateurMilliers() { return SeparateurMilliersFr; }

// Set-up of the machine from the options; an empty text when it went well.
std::string PrepareMachine(TPoste& poste, const TOptionsRun& o) {
    TMachine& m = poste.Machine();
    TParametres& p = poste.Parametres;
    // The window's folders: beside the executable in a build folder, the
    // images in share/emulzorv and the settings in ~/.config once installed.
    const TDossiers dossiers = ChoisitDossiers(DossierProgramme(), TEnvironnementDossiers::DuProcessus());
    p.ProgDir = dossiers.Programme;
    p.DossierParametres = dossiers.Parametres;
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

// The virtual clock starts from the host's local date and time.
THeureLocale HeureDeDepart() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

uint32_t GraineDesOptions(const TOptionsRun& o) { return o.Graine ? uint32_t(*o.Graine) : GraineAleatoire(); }

std::string PreparePoste(TPosteVirtuel& poste, const TOptionsRun& o, TImprimanteRun& imprimante,
                         void (*ligne)(const std::string&)) {
    THoteVirtuel& hote = poste.HoteVirtuel;
    hote.NsParInstruction = o.NsParInstruction;
    hote.HorlogeKHz = o.HorlogeKHz;
    hote.VitesseReelle = o.VitesseReelle;
    hote.Cadence.ChoisitHorloge(o.HorlogeKHz);
    hote.Origine = HeureDeDepart();
    // One line each, nothing kept however long the run.
    hote.ConserveBoites = false;
    hote.SurMessage = ligne;
    if (std::string e = PrepareMachine(poste, o); !e.empty()) return e;
    return imprimante.Prepare(poste, o);
}

bool ChargeEtatDesOptions(TPosteVirtuel& poste, const TOptionsRun& o, void (*ligne)(const std::string&)) {
    if (o.EtatEntree.empty()) return true;
    TChargementEtat c;
    const bool force = o.EtatForce;
    c.SurImageChangee = [force](const std::string&) { return force ? TChoixDisque::Remettre : TChoixDisque::Refuser; };
    const bool ok = ChargeEtat(poste, &poste.HoteVirtuel, o.EtatEntree, c);
    for (const std::string& m : c.Messages) ligne(m);
    if (!ok) ligne(c.Erreur + (c.Erreur.find("a changé") != std::string::npos ? " (--state-force le remet quand même)" : ""));
    return ok;
}

bool SauveEtatDesOptions(TPosteVirtuel& poste, const TOptionsRun& o, void (*ligne)(const std::string&)) {
    if (o.EtatSortie.empty()) return true;
    DessineEcran(poste.Machine());
    std::string erreur;
    if (SauveEtat(poste, &poste.HoteVirtuel, o.EtatSortie, erreur)) return true;
    ligne(erreur);
    return false;
}
