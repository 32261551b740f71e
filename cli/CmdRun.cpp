// zorv run: the machine without a window, on the virtual clock.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/Commandes.h"
#include "cli/ConsoleBdos.h"
#include "cli/OptionsRun.h"
#include "config/ChargeRoms.h"
#include "config/Poste.h"
#include "devices/Ecran.h"
#include "devices/FrappeTexte.h"
#include "devices/JeuCaracteres.h"
#include "devices/Png.h"
#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"

namespace {

constexpr int SortieOk = 0, SortieCapture = 1, SortieArguments = 2, SortieMaxInstructions = 3, SortieHalte = 4;

void UneLigne(const std::string& texte) {
    std::string t = texte;
    for (char& c : t)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s\n", t.c_str());
}

bool LitFichier(const std::string& nom, std::vector<uint8_t>& octets, std::string& erreur) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(nom, ec)) {
        erreur = MessageFichierAbsent(nom);
        return false;
    }
    const auto taille = std::filesystem::file_size(nom, ec);
    std::ifstream f(nom, std::ios::binary);
    if (ec || !f) {
        erreur = "Le fichier " + nom + " est illisible";
        return false;
    }
    if (taille > 0x10000) {
        erreur = MessageFichierTropGros(nom);
        return false;
    }
    octets.resize(size_t(taille));
    if (taille && !f.read(reinterpret_cast<char*>(octets.data()), std::streamsize(taille))) {
        erreur = "Le fichier " + nom + " est illisible";
        return false;
    }
    return true;
}

std::string NomComplet(const std::string& nom) {
    std::error_code ec;
    const auto p = std::filesystem::absolute(nom, ec);
    return ec ? nom : p.string();
}

// Set-up of the machine from the options; an empty text when it went well.
std::string PrepareMachine(TMachine& m, const TOptionsRun& o) {
    m.InitMachine();
    m.ChoisitModele(o.Modele);
    m.AncienneMach = m.Machine;
    if (o.ModeClavier) m.ModClavParam = m.ModeClavier = *o.ModeClavier;
    std::string err;
    m.IndCoulTxt = o.CouleurTexte;
    m.PlansGraph = uint8_t(o.Plans);
    m.IndCoulGrph = o.Schema;
    ChoisitCouleurs(m);
    if (!o.GenCar.empty() && !(err = ChargeGenCar(m, NomComplet(o.GenCar))).empty()) return err;
    if (!o.Rom.empty() && !(err = ChargeRomBoot(m, NomComplet(o.Rom))).empty()) return err;
    if (!o.Prom.empty()) {
        const std::string nom = NomComplet(o.Prom);
        if (!std::filesystem::exists(nom)) return MessageFichierAbsent(nom); // named on purpose: must exist
        if (!(err = ChargeRom128K(m, nom)).empty()) return err;
    }
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
    for (const std::string& texte : o.Disques) {
        TOptionDisque disque;
        if (!AnalyseOptionDisque(texte, disque, err)) return err;
        if (!(err = InsereOptionDisque(*m.Lecteurs, disque, " ")).empty()) return err;
    }
    if (o.PC) m.RegPC = *o.PC;
    if (o.SelMem) m.SelMem = *o.SelMem;
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
        if (!frappe.Fini()) {
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
    const std::string err = AnalyseOptionsRun(argc, argv, o);
    if (!err.empty()) {
        UneLigne("zorv run : " + err);
        return SortieArguments;
    }
    if (o.Aide) {
        std::fputs(AideRun, stdout);
        return SortieOk;
    }
    std::vector<TMessageClavier> messages;
    if (o.Touches) {
        const std::string e = DecodeFrappe(*o.Touches, messages);
        if (!e.empty()) {
            UneLigne("zorv run : --keys : " + e);
            return SortieArguments;
        }
    }
    TPosteVirtuel poste;
    TMachine* m = &poste.Machine();
    THoteVirtuel& hote = poste.HoteVirtuel;
    hote.NsParInstruction = o.NsParInstruction;
    hote.HorlogeKHz = o.HorlogeKHz;
    hote.VitesseReelle = o.VitesseReelle;
    hote.Cadence.ChoisitHorloge(o.HorlogeKHz);
    hote.Origine = HeureDeDepart();
    // The machine's boxes on stderr, one line each, nothing kept however
    // long the run.
    hote.ConserveBoites = false;
    hote.SurMessage = UneLigne;
    const std::string e = PrepareMachine(*m, o);
    if (!e.empty()) {
        UneLigne(e);
        return SortieArguments;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> imprimante(nullptr, std::fclose);
    if (!o.Imprimante.empty()) {
        imprimante.reset(std::fopen(o.Imprimante.c_str(), "wb"));
        if (!imprimante) {
            UneLigne("Impossible de créer le fichier " + o.Imprimante);
            return SortieArguments;
        }
        poste.Imprimante.Fichier = imprimante.get();
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
    if (o.Stats) {
        const double n = double(m->NbInstructions);
        std::fprintf(stderr,
                     "instructions : %llu\nétats T : %llu\ntemps virtuel : %.6f s\ntemps réel : %.6f s\n"
                     "temps processeur : %.6f s\nMIPS : %.2f (%.2f en temps processeur)\n",
                     static_cast<unsigned long long>(m->NbInstructions),
                     static_cast<unsigned long long>(m->NbCycles), double(hote.MaintenantUs) / 1e6, secondes,
                     secondesCpu, secondes > 0 ? n / secondes / 1e6 : 0.0, secondesCpu > 0 ? n / secondesCpu / 1e6 : 0.0);
    }
    return statut;
}
