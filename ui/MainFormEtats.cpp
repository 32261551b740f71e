// The main window's saved states: "Enregistrer l'état…" and "Charger
// l'état…" (file dialogs in the "États" folder, the load one with a preview)
// and the four quick states, Ctrl+Alt+1 … 4 to save and Alt+1 … 4 to load.
// F5 … F8 (with Shift or Ctrl too) are keys of the machine; Alt with a digit
// is none (Alt with a letter is), nor Ctrl+Alt with a digit (under X11 AltGr
// is a level of its own, not Ctrl+Alt).
#include <QAction>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

#include <filesystem>
#include <memory>

#include "config/EtatPoste.h"
#include "config/Modeles.h"
#include "config/ReglagesEmulateur.h"
#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "devices/Capture.h"
#include "ui/ApercuEtat.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

QKeySequence ToucheEnregistreRapide(int numero) { return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key(Qt::Key_0 + numero)); }
QKeySequence ToucheChargeRapide(int numero) { return QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + numero)); }

QString Touches(const QKeySequence& k) { return k.toString(QKeySequence::NativeText); }

// "Zorvex-2026-12-09-14h05m33.zetat", as the captures are named.
std::string NomEtatPropose(const THeureLocale& h) {
    std::string nom = NomCapture(h);
    const size_t point = nom.rfind('.');
    return nom.substr(0, point) + ".zetat";
}

} // namespace

void TMainForm::ConstruitEtats() {
    FMenu->addSeparator();
    ActEnregistreEtat = NouvelleAction(FMenu, QStringLiteral("Enregistrer l'\u00e9tat\u2026"), {},
                                       [this] { DialogueEnregistreEtat(); });
    ActChargeEtat =
        NouvelleAction(FMenu, QStringLiteral("Charger l'\u00e9tat\u2026"), {}, [this] { DialogueChargeEtat(); });
    QMenu* enregistre = FMenu->addMenu(QStringLiteral("Enregistrement rapide"));
    QMenu* charge = FMenu->addMenu(QStringLiteral("Chargement rapide"));
    for (QMenu* m : {enregistre, charge}) {
        m->setToolTipsVisible(true);
        connect(m, &QMenu::aboutToShow, this, &TMainForm::MajEtatsRapides);
    }
    for (int n = 1; n <= NbEtatsRapides; ++n) {
        QAction*& e = ActEnregistreRapide[size_t(n - 1)];
        e = NouvelleAction(enregistre, {}, {ToucheEnregistreRapide(n)}, [this, n] { EnregistreEtatRapide(n); });
        e->setToolTip(QStringLiteral("Enregistre la machine dans Rapide-%1.zetat (%2)")
                          .arg(n)
                          .arg(Touches(ToucheEnregistreRapide(n))));
        QAction*& c = ActChargeRapide[size_t(n - 1)];
        c = NouvelleAction(charge, {}, {ToucheChargeRapide(n)}, [this, n] { ChargeEtatRapide(n); });
        c->setToolTip(QStringLiteral("Reprend l'\u00e9tat de Rapide-%1.zetat (%2)").arg(n).arg(Touches(ToucheChargeRapide(n))));
    }
    MajEtatsRapides();
}

// Each quick state says when it was saved, or that it is empty.
void TMainForm::MajEtatsRapides() {
    for (int n = 1; n <= NbEtatsRapides; ++n) {
        const QFileInfo f(QString::fromStdString(FichierEtatRapide(FDossiers, n)));
        const QString quand = f.isFile() ? f.lastModified().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                                         : QStringLiteral("vide");
        const QString texte = QStringLiteral("Emplacement %1 (%2)").arg(n).arg(quand);
        ActEnregistreRapide[size_t(n - 1)]->setText(texte);
        ActChargeRapide[size_t(n - 1)]->setText(texte);
    }
}

bool TMainForm::EnregistreEtatFichier(const std::string& chemin) {
    const std::filesystem::path p(chemin);
    std::error_code ec;
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    FPorte.DessineEcran(); // the thumbnail shows the screen as it is now
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    std::string erreur;
    if (!SauveEtat(FPoste, &FHote->TempsMachine(), chemin, erreur)) {
        FHote->MessageErreur("L'\u00e9tat n'est pas enregistr\u00e9 : " + erreur);
        return false;
    }
    FHote->MessageStatut("\u00c9tat enregistr\u00e9 : " + NomSansDossier(chemin));
    MajEtatsRapides();
    return true;
}

bool TMainForm::ChargeEtatFichier(const std::string& chemin) {
    TChargementEtat c;
    c.SurImageChangee = [this](const std::string& question) {
        return FHote->Question(question) ? TChoixDisque::Remettre : TChoixDisque::LaisserVide;
    };
    const int32_t modele = FPorte.Modele();
    FPorte.SynchroniseHorloge(FHote->TempsMachine());
    if (!ChargeEtat(FPoste, &FHote->TempsMachine(), chemin, c)) {
        FHote->MessageErreur(c.Erreur);
        return false;
    }
    // The clock ports go on from the host's time now (a session being
    // recorded keeps its own: the replay reads the same hours).
    if (!EnregistrementEnCours()) FHote->RecaleHeure();
    ApresChargement(modele);
    std::string statut = "\u00c9tat charg\u00e9 : " + NomSansDossier(chemin);
    std::string details;
    for (const std::string& m : c.Messages) {
        statut += " ; " + m;
        details += "\n" + m;
    }
    FHote->MessageStatut(statut);
    if (!details.empty()) FHote->MessageInfo("\u00c9tat charg\u00e9 : " + NomSansDossier(chemin) + "\n" + details);
    return true;
}

// The window follows the machine it now shows: its model (title, status
// bar, the bank of the debugger's views), its run state, its screen.
void TMainForm::ApresChargement(int32_t modeleAvant) {
    FHote->RecaleCadence();
    ArreteCollage(); // the text was for the machine as it was
    MajModele();
    FBarreEtat->MajLumieres();
    ActiveTBPrint();
    if (FPorte.Modele() != modeleAvant && FPoste.FenetresDebogueur)
        for (TIdFenetre f : FPoste.FenetresDebogueur())
            FHote->PosteMessage(TMessage{MsgChoixBanque, f, FPorte.DeuxBanques() ? 1 : 0, 0});
    PaintBox1->update();
    // A run under way goes on, or stops and says so, as the state has it.
    if (FPorte.BoucleActive()) return;
    if (FPorte.EtatCPU() == CPURun) FPorte.DemandeLancement();
    else FPoste.Debogueur().EtatDuCPU(FPorte.EtatCPU());
}

void TMainForm::EnregistreEtatRapide(int numero) { EnregistreEtatFichier(FichierEtatRapide(FDossiers, numero)); }

void TMainForm::ChargeEtatRapide(int numero) {
    const std::string chemin = FichierEtatRapide(FDossiers, numero);
    if (!QFileInfo(QString::fromStdString(chemin)).isFile()) {
        FHote->MessageStatut("Emplacement rapide " + std::to_string(numero) + " vide : aucun fichier " +
                             NomSansDossier(chemin));
        return;
    }
    ChargeEtatFichier(chemin);
}

// The dialogs are modal: the machine waits (its keyboard hook off) while
// they are open.
std::optional<QString> TMainForm::ChoisitFichierEtat(bool charger) {
    if (ChoixFichierEtat) return ChoixFichierEtat(charger);
    std::string dossier = DossierEtats(FDossiers);
    std::error_code ec;
    if (!charger) std::filesystem::create_directories(dossier, ec);
    else if (!std::filesystem::is_directory(dossier, ec)) dossier = FDossiers.Donnees;
    std::optional<QString> r;
    const bool capture = SuspendCapture();
    FHote->Modale([&] {
        const std::unique_ptr<QFileDialog> d(NouveauDialogueEtat(this, QString::fromStdString(dossier), charger,
                                                                 QString::fromStdString(NomEtatPropose(FHote->HeureLocale()))));
        if (d->exec() == QDialog::Accepted && !d->selectedFiles().isEmpty()) r = d->selectedFiles().first();
        return r.has_value();
    });
    RetablitCapture(capture);
    return r;
}

void TMainForm::DialogueEnregistreEtat() {
    if (const auto chemin = ChoisitFichierEtat(false)) EnregistreEtatFichier(chemin->toStdString());
}

void TMainForm::DialogueChargeEtat() {
    if (const auto chemin = ChoisitFichierEtat(true)) ChargeEtatFichier(chemin->toStdString());
}
