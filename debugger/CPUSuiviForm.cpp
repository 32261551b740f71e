// The CPU window's "Suivi" button and the windows of the execution tools;
// the places of the debugger's windows.
#include <QAction>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "config/Parametres.h"
#include "config/Poste.h"
#include "debugger/CPUForm.h"
#include "debugger/Console.h"
#include "debugger/DasmForm.h"
#include "debugger/DispositionQt.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/HistoriqueForm.h"
#include "debugger/ProfilForm.h"

namespace {

constexpr int Droite = 368; // the register column's left edge, as CPUForm.cpp has it

} // namespace

void TCPUForm::CreeSuivi() {
    BtnSuivi = new QPushButton(QStringLiteral("Suivi"), this);
    BtnSuivi->setGeometry(Droite + 140, 440, 136, 24);
    BtnSuivi->setToolTip(QStringLiteral("Trace, historique, profil et couverture de l'ex\u00e9cution"));
    BtnSuivi->setEnabled(false);
    MenuSuivi = new QMenu(BtnSuivi);
    ActTrace = MenuSuivi->addAction(QStringLiteral("Trace\u2026"), this, [this] { BasculeTrace(); });
    ActHistorique = MenuSuivi->addAction(QStringLiteral("Historique"), this, [this] {
        HistoriqueForm->show();
        HistoriqueForm->raise();
        HistoriqueForm->activateWindow();
    });
    ActProfil = MenuSuivi->addAction(QStringLiteral("Profil"), this, [this] {
        ProfilForm->show();
        ProfilForm->raise();
        ProfilForm->activateWindow();
    });
    ActCouverture = MenuSuivi->addAction(QStringLiteral("Couverture"));
    ActCouverture->setCheckable(true);
    ActCouverture->setToolTip(QStringLiteral("Les octets ex\u00e9cut\u00e9s, lus et \u00e9crits en couleur dans les "
                                             "fen\u00eatres de donn\u00e9es et de code"));
    connect(ActCouverture, &QAction::triggered, this,
            [this](bool marche) { ExecuteMots({"couverture", marche ? "marche" : "arret"}); });
    BtnSuivi->setMenu(MenuSuivi);
    HistoriqueForm = new THistoriqueForm(D, this);
    ProfilForm = new TProfilForm(D, this);
    SuitFenetre(HistoriqueForm, TGenreFenetre::Historique);
    SuitFenetre(ProfilForm, TGenreFenetre::Profil);
    HistoriqueForm->SurAdresse = [this](uint16_t a, uint8_t b) { MontreCode(a, b); };
    ProfilForm->SurAdresse = [this](uint16_t a, uint8_t b) { MontreCode(a, b); };
    ChoisitFichierTrace = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Trace de l'ex\u00e9cution"), QString(),
                                            QStringLiteral("Traces (*.txt);;Tous les fichiers (*)"));
    };
}

void TCPUForm::BasculeTrace() {
    if (D.Suivi.Trace()) {
        ExecuteMots({"trace", "arret"});
        return;
    }
    const QString chemin = ChoisitFichierTrace();
    if (!chemin.isEmpty()) ExecuteMots({"trace", chemin.toStdString()});
}

void TCPUForm::ExecuteMots(const std::vector<std::string>& mots) {
    if (!FConsole || mots.empty()) return;
    std::string ligne;
    for (const std::string& m : mots) ligne += (ligne.empty() ? "" : " ") + m;
    EcritConsole(QStringLiteral("debug> ") + QString::fromStdString(ligne));
    std::vector<std::string> sortie;
    FConsole->ExecuteMots(mots, sortie);
    for (const std::string& l : sortie) EcritConsole(QString::fromStdString(l));
    AfficheSuivi();
}

void TCPUForm::Recule(const char* commande) {
    if (!SBRecule->isEnabled()) return;
    ExecuteMots({commande});
}

void TCPUForm::AfficheRecul() {
    const bool possible = FConsole && FPoste && FPoste->Retour() && D.Controles().StepOver;
    for (QToolButton* b : {SBRecule, SBReculePasse, SBReculeJusqua}) b->setEnabled(possible);
}

void TCPUForm::AfficheSuivi() {
    BtnSuivi->setEnabled(D.Controles().BoutonsFenetres);
    ActTrace->setEnabled(FConsole != nullptr);
    ActCouverture->setEnabled(FConsole != nullptr);
    ActTrace->setText(D.Suivi.Trace() ? QStringLiteral("Arr\u00eater la trace") : QStringLiteral("Trace\u2026"));
    const bool couverture = D.Suivi.Couverture().Actif();
    ActCouverture->setChecked(couverture);
    if (couverture != FCouvertureVue) {
        // The memory and code windows put their colours on or off.
        FCouvertureVue = couverture;
        D.MajFenDonnees();
        D.MajFenCode();
    }
    HistoriqueForm->Affiche();
    ProfilForm->Affiche();
}

void TCPUForm::MontreCode(uint16_t adresse, uint8_t banque) {
    TDasmForm* code = nullptr;
    // The windows have no meta-object of their own: findChildren would take any widget.
    for (QObject* o : children())
        if (auto* w = dynamic_cast<TDasmForm*>(o); w && w->isVisible()) code = w;
    if (!code) {
        code = new TDasmForm(D, this);
        SuitFenetre(code, TGenreFenetre::Code);
        code->show();
    }
    TFenetreCode& f = code->Fenetre();
    f.ChangeAdresses(adresse, std::min(adresse + 0x1FF, 0xFFFF));
    if (banque == 1 && f.ChoixUtilisables()) f.Choisit(TChoixBanqueCode::Data);
    else if (f.Choix() == TChoixBanqueCode::Data) f.Choisit(TChoixBanqueCode::CPU);
    code->Affiche();
    if (code->LBCode->count()) code->LBCode->setCurrentRow(0);
    code->raise();
    code->activateWindow();
}

void TCPUForm::SuitFenetre(QWidget* w, TGenreFenetre genre) { Disposition->Suit(w, genre); }
