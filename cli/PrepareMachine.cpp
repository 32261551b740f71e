#include "cli/PrepareMachine.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "cli/ConsoleBdos.h"
#include "config/ChargeRoms.h"
#include "core/Machine.h"
#include "devices/Ecran.h"
#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"

namespace {

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

} // namespace

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


THeureLocale HeureDeDepart() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

