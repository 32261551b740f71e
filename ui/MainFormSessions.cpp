// The main window's sessions: "Enregistrer une session…" starts recording
// what reaches the machine from outside and, chosen again, stops and writes
// it; "Rejouer une session…" puts the machine at a session's start and plays
// it at the window's speed, the keyboard belonging to the session meanwhile.
// A red dot in the status bar says a recording runs.
#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "config/DossiersUtilisateur.h"
#include "config/EnregistreurSession.h"
#include "config/FichierSession.h"
#include "config/RelectureSession.h"
#include "config/Retour.h"
#include "core/Texte.h"
#include "devices/Capture.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

// "Zorvex-2026-12-09-14h05m33.zsession", as the captures are named.
std::string NomSessionPropose(const THeureLocale& h) {
    std::string nom = NomCapture(h);
    return nom.substr(0, nom.rfind('.')) + ".zsession";
}

const QString FiltreSessions = QStringLiteral("Sessions EmulZorv (*.zsession)");

} // namespace

void TMainForm::ConstruitSessions() {
    FMenu->addSeparator();
    ActSession = NouvelleAction(FMenu, QStringLiteral("Enregistrer une session\u2026"), {}, [this] { DialogueSession(); });
    ActSession->setToolTip(QStringLiteral("Enregistre ce que reçoit la machine (frappe, disques, RAZ, débogueur) "
                                          "pour le rejouer à l'identique ; choisi à nouveau, arrête l'enregistrement"));
    ActRejoueSession =
        NouvelleAction(FMenu, QStringLiteral("Rejouer une session\u2026"), {}, [this] { DialogueRejoueSession(); });
    ActRejoueSession->setToolTip(QStringLiteral("Reprend la machine au début d'une session enregistrée et la rejoue"));
    MajSession();
}

bool TMainForm::EnregistrementEnCours() const { return FPoste.Enregistreur() != nullptr; }

void TMainForm::MajSession() {
    const bool enregistre = EnregistrementEnCours();
    const TRelectureSession* r = FPoste.Relecture();
    if (ActSession)
        ActSession->setText(enregistre ? QStringLiteral("Arrêter l'enregistrement de la session")
                                       : QStringLiteral("Enregistrer une session\u2026"));
    if (FBarreEtat)
        FBarreEtat->AfficheSession(enregistre ? TBarreEtat::TVoyantSession::Enregistrement
                                   : r && r->EnCours() ? TBarreEtat::TVoyantSession::Relecture
                                                       : TBarreEtat::TVoyantSession::Aucune);
}

void TMainForm::CommenceSession(const std::string& chemin) {
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    FPoste.CommenceEnregistrement(FHote->TempsMachine());
    FCheminSession = chemin;
    FHote->MessageStatut("Enregistrement de la session dans " + NomSansDossier(chemin));
    MajSession();
}

void TMainForm::ActiveHistorique() {
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    FPoste.ActiveRetour(FHote->TempsMachine(), uint64_t(Parametres().HistoriqueMo) << 20, true);
}

namespace {
// Machine time gone back at each repeat of the key (about thirty a second):
// several times real speed.
constexpr uint64_t ReculParRepetitionMs = 100;
} // namespace

void TMainForm::PasDeRecul() {
    TRetour* r = FPoste.Retour();
    if (!r) {
        FHote->MessageStatut("Retour en arrière : l'historique est éteint (réglage Historique à 0, ou une session en cours)");
        return;
    }
    if (!FFinRecul) {
        FFinRecul = new QTimer(this);
        FFinRecul->setSingleShot(true);
        FFinRecul->setInterval(250); // no repeat for that long: the key is up
        connect(FFinRecul, &QTimer::timeout, this, [this] { FinDuRecul(); });
    }
    FFinRecul->start();
    if (FPorte.BoucleActive()) { // stopped first; the next repeat goes back
        if (FPorte.EtatCPU() == CPURun) {
            FReprendreApresRecul = true;
            FPorte.DemandeArret();
        }
        return;
    }
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    const uint64_t pas = std::max<uint64_t>(1, uint64_t(FHote->TempsMachine().HorlogeKHz) * ReculParRepetitionMs / 8);
    const uint64_t n = FPorte.Instructions();
    const uint64_t cible = n - r->Debut() > pas ? n - pas : r->Debut();
    std::vector<std::string> avis;
    std::string erreur;
    if (cible == n || !r->VaA(cible, avis, erreur)) {
        FHote->MessageStatut(cible == n ? "Retour en arrière : début de l'historique" : "Retour en arrière : " + erreur);
        return;
    }
    FHote->Repeint();
    FHote->MessageStatut(avis.empty() ? "Retour en arrière : instruction " + NombreFr(int64_t(cible))
                                      : "Retour en arrière : " + avis.front());
}

void TMainForm::FinDuRecul() {
    if (!FReprendreApresRecul) return;
    FReprendreApresRecul = false;
    FPorte.DemandeLancement();
}

bool TMainForm::TermineSession() {
    if (!EnregistrementEnCours()) return true;
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    const TSession s = FPoste.TermineEnregistrement();
    ActiveHistorique();
    MajSession();
    const std::filesystem::path p(FCheminSession);
    std::error_code ec;
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::string erreur;
    if (!EcritSession(s, FCheminSession, erreur)) {
        FHote->MessageErreur("La session n'est pas enregistrée : " + erreur);
        return false;
    }
    FHote->MessageStatut("Session enregistrée : " + NomSansDossier(FCheminSession) + " (" +
                         NombreFr(int64_t(s.Evenements.size())) + " événements, " +
                         NombreFr(int64_t(s.Info.FinInstruction - InstructionDeDepart(s))) + " instructions)");
    return true;
}

bool TMainForm::RejoueSessionFichier(const std::string& chemin) {
    TSession s;
    std::string erreur;
    if (!LitSession(chemin, s, erreur)) {
        FHote->MessageErreur(erreur);
        return false;
    }
    const int32_t modele = FPorte.Modele();
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    if (!FPoste.CommenceRelecture(FHote->TempsMachine(), std::move(s), erreur)) {
        FHote->MessageErreur("La session " + chemin + " ne peut pas être rejouée : " + erreur);
        return false;
    }
    TRelectureSession* r = FPoste.Relecture();
    // "Vitesse réelle" paces at the session's clock, which its events may change.
    FHote->ChoisitVitesse(FHote->VitesseReelle(), FHote->TempsMachine().HorlogeKHz);
    r->SurHorloge = [this](uint32_t kHz) { FHote->ChoisitVitesse(FHote->VitesseReelle(), kHz); };
    FFinRelectureDite = false;
    ApresChargement(modele);
    FBarreEtat->MajLumieres();
    FHote->MessageStatut("Relecture de la session " + NomSansDossier(chemin));
    MajSession();
    if (!FPorte.BoucleActive() && FPorte.EtatCPU() != CPURun) FPorte.DemandeLancement();
    return true;
}

// Called at each stop of the run loop.
void TMainForm::SuitRelecture() {
    const TRelectureSession* r = FPoste.Relecture();
    if (!r || r->EnCours() || FFinRelectureDite) return;
    FFinRelectureDite = true;
    MajSession();
    if (r->Etat() == TEtatRelecture::Desynchronisee)
        FHote->MessageErreur(r->Message());
    else
        FHote->MessageStatut(r->Message());
}

std::optional<QString> TMainForm::ChoisitFichierSession(bool rejouer) {
    if (ChoixFichierSession) return ChoixFichierSession(rejouer);
    std::string dossier = DossierSessions(FDossiers);
    std::error_code ec;
    if (!rejouer) std::filesystem::create_directories(dossier, ec);
    else if (!std::filesystem::is_directory(dossier, ec)) dossier = FDossiers.Donnees;
    std::optional<QString> r;
    const bool capture = SuspendCapture();
    FHote->Modale([&] {
        QFileDialog d(this, rejouer ? QStringLiteral("Rejouer une session") : QStringLiteral("Enregistrer une session"),
                      QString::fromStdString(dossier), FiltreSessions);
        d.setAcceptMode(rejouer ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        d.setFileMode(rejouer ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        d.setDefaultSuffix(QStringLiteral("zsession"));
        if (!rejouer) d.selectFile(QString::fromStdString(NomSessionPropose(FHote->HeureLocale())));
        if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()) r = d.selectedFiles().first();
        return r.has_value();
    });
    RetablitCapture(capture);
    return r;
}

void TMainForm::DialogueSession() {
    if (EnregistrementEnCours()) {
        TermineSession();
        return;
    }
    if (const auto chemin = ChoisitFichierSession(false)) CommenceSession(chemin->toStdString());
}

void TMainForm::DialogueRejoueSession() {
    if (const auto chemin = ChoisitFichierSession(true)) RejoueSessionFichier(chemin->toStdString());
}
