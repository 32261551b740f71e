#include "config/Poste.h"

#include <algorithm>
#include <random>

#include "config/Demarrage.h"
#include "config/EnregistreurSession.h"
#include "config/RelectureSession.h"
#include "config/Retour.h"
#include "core/Fichiers.h"
#include "debugger/Debogueur.h"
#include "devices/Imprimante.h"

uint32_t GraineAleatoire() {
    std::random_device entropie;
    return entropie();
}

TPoste::TPoste(uint32_t graine) : FMachine(std::make_unique<TMachine>()) {
    FMachine->Lecteurs = &Lecteurs;
    FMachine->Germe(graine);
    Activite.Horloge = [this] { return FMachine->Hote ? FMachine->Hote->TickCount() : 0; };
    Lecteurs.Observateurs.push_back(&Activite);
    Distributeur.AbonneFenetre(FenPrincipale, [this](const TMessage& m) { RecoitMessagePrincipal(m); });
    FDebogueur = std::make_unique<TDebogueur>(*FMachine, Distributeur);
    AjouteObservateur(FDebogueur.get());
    // The bank choice goes to the CPU window, which passes it on to the
    // debugger windows open at that time.
    FenetresDebogueur = [this] { return std::vector<TIdFenetre>{FDebogueur->FenCPU()}; };
}

TPoste::~TPoste() {
    FMachine->Hote = nullptr;
    FMachine->Imprimante = nullptr;
    FMachine->Observateurs.clear();
    FMachine->Lecteurs = nullptr;
}

void TPoste::ConnecteHote(IHote* hote) { FMachine->Hote = hote; }

void TPoste::AjouteObservateur(IObservateurCPU* o) { FMachine->Observateurs.push_back(o); }

void TPoste::RetireObservateur(IObservateurCPU* o) {
    auto& v = FMachine->Observateurs;
    v.erase(std::remove(v.begin(), v.end(), o), v.end());
}

void TPoste::RecoitMessagePrincipal(const TMessage& message) {
    if (message.Numero == MsgLanceEmulation) {
        if (SurDemandeLancement)
            SurDemandeLancement();
        else
            LanceBoucle();
    }
    if (message.Numero == MsgFermeture && SurFermeture) SurFermeture();
}

void TPoste::LanceBoucle(uint64_t budget) {
    FDernierArret = FMachine->LanceEmulation(budget);
}

TReglagesEmulateur TPoste::LitReglagesEmulateur() const { return ::LitReglagesEmulateur(*FMachine, Parametres); }

TEffetsEmulateur TPoste::AppliqueReglagesEmulateur(const TReglagesEmulateur& r) {
    const TModificationHote modification(*FMachine); // a session being recorded keeps it
    return ::AppliqueReglagesEmulateur(r, *FMachine, Parametres, FenetresDebogueur);
}

void TPoste::PrendTailleFonte() { ::PrendTailleFonte(*FMachine); }

TReglagesImprimante TPoste::LitReglagesImprimante(const std::string& texteTemps) const {
    return ::LitReglagesImprimante(*FMachine, Parametres, texteTemps);
}

TEffetsImprimante TPoste::AppliqueReglagesImprimante(const TReglagesImprimante& r) {
    const TModificationHote modification(*FMachine);
    return ::AppliqueReglagesImprimante(r, *FMachine, Parametres);
}

bool TPoste::EcritParametres() const { return EcrireParametres(*FMachine, Parametres); }

bool TPoste::EnregistreImages() { return GestionDisques.EnregistreImages(*FMachine, Parametres); }

std::unique_ptr<TImprimante> TPoste::NouvelleImprimante(ISurfaceImpression& surface) {
    return std::make_unique<TImprimante>(*FMachine, surface);
}

void TPoste::ActiveRetour(THorlogeMachine& horloge, uint64_t capacite, bool hoteMuet) {
    FRetour.reset();
    if (capacite > 0 && !FEnregistreur && !FRelecture && !FMachine->Journal)
        FRetour = std::make_unique<TRetour>(*this, horloge, capacite, hoteMuet);
}

void TPoste::CommenceEnregistrement(THorlogeMachine& horloge) {
    FRetour.reset();
    FRelecture.reset();
    FEnregistreur.reset();
    FEnregistreur = std::make_unique<TEnregistreurSession>(*this, horloge);
}

TSession TPoste::TermineEnregistrement() {
    if (!FEnregistreur) return {};
    TSession s = FEnregistreur->Termine();
    FEnregistreur.reset();
    return s;
}

bool TPoste::CommenceRelecture(THorlogeMachine& horloge, TSession session, std::string& erreur) {
    auto dossier = std::make_unique<TDossierTemporaire>("emulzorv-session");
    if (dossier->Chemin.empty()) {
        erreur = "Impossible de créer un dossier temporaire pour les images de la session";
        return false;
    }
    TermineEnregistrement();
    FRetour.reset();
    auto r = TRelectureSession::Commence(*this, horloge, std::move(session), dossier->Chemin, erreur);
    if (!r) return false;
    FRelecture = std::move(r); // the former replay's images go only now
    FDossierRelecture = std::move(dossier);
    return true;
}

void TPoste::TermineRelecture() { FRelecture.reset(); }

bool TPoste::Demarre(const std::string& progDir) {
    const bool ok = DemarrageSansLancement(*FMachine, Parametres, progDir);
    Lecteurs.InitGeometrie(Parametres.TypeDsq12);
    GestionDisques.CheminRecentes = CheminParametres(Parametres);
    GestionDisques.Recentes = LitImagesRecentes(GestionDisques.CheminRecentes);
    return ok;
}

std::vector<std::string> TPoste::MonteImages(const std::string& separateurMilliers) {
    std::vector<std::pair<int, std::string>> images;
    for (int lecteur : LecteursEnregistres) {
        const std::string& chemin = Parametres.ChargeImages[size_t(lecteur)];
        if (!chemin.empty()) images.emplace_back(lecteur, chemin);
    }
    return Lecteurs.ChargeImages(images, separateurMilliers);
}

TPosteVirtuel::TPosteVirtuel(uint32_t graine) : TPoste(graine), HoteVirtuel(&Machine()), Imprimante(Machine()) {
    HoteVirtuel.Distributeur = &Distributeur;
    ConnecteHote(&HoteVirtuel);
    ConnecteImprimante(&Imprimante);
}

TPosteVirtuel::~TPosteVirtuel() {
    ConnecteHote(nullptr);
    ConnecteImprimante(nullptr);
}
