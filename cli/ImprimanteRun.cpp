#include "cli/ImprimanteRun.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/OptionsRun.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "devices/SurfaceTexte.h"
#ifdef ZORV_IMPRESSION_PDF
#include "ui/SurfaceImpressionQt.h"
#endif

namespace {

bool NomPdf(const std::string& nom) { return nom.size() > 4 && EgalSansCasse(nom.substr(nom.size() - 4), ".pdf"); }

// The file can be created there (nothing is written before the end).
bool Creable(const std::string& fichier) {
    std::error_code ec;
    if (fichier.empty() || std::filesystem::is_directory(fichier, ec)) return false;
    const std::string dossier = DossierDe(fichier).empty() ? "." : DossierDe(fichier);
    return std::filesystem::is_directory(dossier, ec) && access(dossier.c_str(), W_OK) == 0;
}

} // namespace

TImprimanteRun::TImprimanteRun() = default;
TImprimanteRun::~TImprimanteRun() = default;

std::string TImprimanteRun::Prepare(TPosteVirtuel& poste, const TOptionsRun& o) {
    FPoste = &poste;
    if (!o.Imprimante.empty() && !o.ImprimanteBrute.empty())
        return "--printer et --printer-raw ne peuvent pas servir ensemble";
    if (o.Imprimante.empty() && o.ImprimanteBrute.empty()) return {};
    FFichier = o.Imprimante.empty() ? o.ImprimanteBrute : o.Imprimante;
    // A folder, device, FIFO or read-only file is refused before the run.
    if (std::string erreur; CibleEcriture(FFichier, erreur).empty()) return erreur;
    if (!Creable(FFichier)) return "Impossible de cr\u00e9er le fichier " + FFichier;
    if (!o.ImprimanteBrute.empty()) {
        FMode = TMode::Brute; // the workstation's own raw printer keeps the bytes
        return {};
    }
    if (NomPdf(FFichier)) {
        const std::string erreur = PreparePdf();
        if (!erreur.empty()) return erreur;
    } else {
        FMode = TMode::Texte;
        FSurface = std::make_unique<TSurfaceTexte>();
    }
    FImprimante = std::make_unique<TImprimante>(poste.Machine(), *FSurface);
    poste.ConnecteImprimante(FImprimante.get());
    return {};
}

std::string TImprimanteRun::PreparePdf() {
#ifdef ZORV_IMPRESSION_PDF
    FMode = TMode::Pdf;
    FSurface = TSurfaceImpressionQt::VersPdf(
        FFichier, [](const std::string& texte) { std::fprintf(stderr, "%s\n", texte.c_str()); });
    return {};
#else
    return "--printer " + FFichier + " : les pages PDF demandent zorv construit avec les fen\u00eatres (Qt) ; "
           "un autre nom donne le texte imprim\u00e9";
#endif
}

bool TImprimanteRun::Termine(std::string& erreur) {
    switch (FMode) {
    case TMode::Aucune: return true;
    case TMode::Brute: {
        std::vector<uint8_t> octets;
        for (uint8_t o : FPoste->Imprimante.Octets)
            if (o != 0) octets.push_back(o); // byte 0 is never printed
        return EcritFichierAtomique(FFichier, octets, erreur);
    }
    case TMode::Texte:
        FImprimante->FinProgramme();
        return EcritFichierAtomique(FFichier, static_cast<TSurfaceTexte&>(*FSurface).Texte(), erreur);
    case TMode::Pdf:
        FImprimante->FinProgramme();
#ifdef ZORV_IMPRESSION_PDF
        if (static_cast<TSurfaceImpressionQt&>(*FSurface).NbEchecs() > 0) return false; // already reported
#endif
        return true;
    }
    return true;
}
