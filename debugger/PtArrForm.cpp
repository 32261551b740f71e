#include "debugger/PtArrForm.h"
#include "debugger/ControlesQt.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include "debugger/Debogueur.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/GestionSymboles.h"
#include "core/Texte.h"
#include "debugger/PointsArret.h"

namespace {

void MessageSimple(QWidget* parent, const QString& texte) {
    QMessageBox::information(parent, QStringLiteral("EmulZorv"), texte, QMessageBox::Ok);
}

QPushButton* Bouton(QWidget* parent, const QString& texte, int x, int y) {
    auto* b = new QPushButton(texte, parent);
    b->setGeometry(x, y, 75, 25);
    return b;
}

QTreeWidget* Liste(QWidget* parent, const QStringList& colonnes) {
    auto* l = new QTreeWidget(parent);
    l->setHeaderLabels(colonnes);
    l->setRootIsDecorated(false);
    l->setContextMenuPolicy(Qt::CustomContextMenu);
    return l;
}

int LigneChoisie(const QTreeWidget* l) {
    QTreeWidgetItem* item = l->currentItem();
    return item && item->isSelected() ? l->indexOfTopLevelItem(item) : -1;
}

} // namespace

// --- Add a breakpoint ------------------------------------------------------------------

TNouvPtArrForm::TNouvPtArrForm(TDebogueur& debogueur, QWidget* parent) : QDialog(parent), D(debogueur) {
    setWindowTitle(QStringLiteral("Ajout d'un point d'arr\u00eat"));
    setFixedSize(380, 160);
    Etiquette(this, QStringLiteral("Adresse hexad\u00e9cimale du point d'arr\u00eat"), 16, 16);
    EdtAdr = new TEditAdresse(this, &D);
    EdtAdr->SetIntervalle(false);
    EdtAdr->SetGauche(16);
    EdtAdr->SetHaut(35);
    EdtAdr->SetLargeur(120);
    EdtAdr->SetActif(true);
    EdtAdr->SetOnAdrChange([this] { AjoutePtArret(); });
    Etiquette(this, QStringLiteral("Condition (facultative, ex. A = 3 AND [2000H] <> 0)"), 16, 66);
    EditCondition = new QLineEdit(this);
    EditCondition->setGeometry(16, 84, 348, 22);
    BtnOK = Bouton(this, QStringLiteral("OK"), 208, 122);
    BtnAnnuler = Bouton(this, QStringLiteral("Annuler"), 289, 122);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        if (AjoutePtArret()) accept();
    });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    Message = [this](const QString& t) { MessageSimple(this, t); };
}

void TNouvPtArrForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    EdtAdr->SetFocus();
}

bool TNouvPtArrForm::AjoutePtArret() {
    EdtAdr->EvaluerAdresses();
    const uint16_t a = uint16_t(std::clamp<int32_t>(EdtAdr->Adr1(), 0, 0xFFFF));
    const std::string condition = EditCondition->text().toStdString();
    if (!SansBlancs(condition).empty()) {
        if (auto erreur = D.Sondes.VerifieCondition(condition)) {
            Message(QString::fromStdString(*erreur));
            return false;
        }
    }
    const bool ajoute = TInspection(D).AjoutePtArret(a);
    if (!SansBlancs(condition).empty()) D.Sondes.PoseCondition(a, condition);
    if (ajoute || !SansBlancs(condition).empty()) {
        D.ReDasmDebug();
        if (SurAjout) SurAjout();
    }
    return true;
}

// --- Add a watchpoint --------------------------------------------------------------------

TNouvSurvForm::TNouvSurvForm(TDebogueur& debogueur, QWidget* parent) : QDialog(parent), D(debogueur) {
    setWindowTitle(QStringLiteral("Ajout d'un point de surveillance"));
    setFixedSize(340, 230);
    const auto entree = [this](int haut) {
        auto* e = new TEditAdresse(this, &D);
        e->SetIntervalle(false);
        e->SetGauche(16);
        e->SetHaut(haut);
        e->SetLargeur(120);
        e->SetActif(true);
        return e;
    };
    Etiquette(this, QStringLiteral("D\u00e9but (adresse hexad\u00e9cimale)"), 16, 16);
    EdtDebut = entree(35);
    Etiquette(this, QStringLiteral("Fin (facultative : un seul octet sinon)"), 16, 64);
    EdtFin = entree(83);
    Etiquette(this, QStringLiteral("Acc\u00e8s"), 16, 114);
    CBAcces = new QComboBox(this);
    CBAcces->setGeometry(16, 132, 150, 24);
    CBAcces->addItems({QStringLiteral("\u00c9criture"), QStringLiteral("Lecture"),
                       QStringLiteral("Lecture et \u00e9criture")});
    Etiquette(this, QStringLiteral("M\u00e9moire"), 176, 114);
    CBMemoire = new QComboBox(this);
    CBMemoire->setGeometry(176, 132, 150, 24);
    CBMemoire->addItems({QStringLiteral("Adresses du CPU"), QStringLiteral("Banque logiciel"),
                         QStringLiteral("Banque data")});
    BtnOK = Bouton(this, QStringLiteral("OK"), 170, 192);
    BtnAnnuler = Bouton(this, QStringLiteral("Annuler"), 251, 192);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        AjouteSurveillance();
        accept();
    });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TNouvSurvForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    EdtDebut->SetFocus();
}

void TNouvSurvForm::AjouteSurveillance() {
    EdtDebut->EvaluerAdresses();
    EdtFin->EvaluerAdresses();
    TPointSurv p;
    p.Debut = uint16_t(std::clamp<int32_t>(EdtDebut->Adr1(), 0, 0xFFFF));
    const bool finVide = SansBlancs(EdtFin->Texte()).empty();
    p.Fin = finVide || EdtFin->Adr1() < p.Debut ? p.Debut : uint16_t(EdtFin->Adr1());
    const uint8_t acces[] = {asEcriture, asLecture, asLes2};
    p.Acces = acces[std::clamp(CBAcces->currentIndex(), 0, 2)];
    p.Vue = TVueSurv(std::clamp(CBMemoire->currentIndex(), 0, 2));
    D.Sondes.AjouteSurveillance(p);
}

// --- List --------------------------------------------------------------------------------

TPtArrForm::TPtArrForm(TDebogueur& debogueur, QWidget* parent) : QDialog(parent), D(debogueur) {
    setWindowTitle(QStringLiteral("Points d'arr\u00eat"));
    setFixedSize(420, 470);
    LabelPtArr = Etiquette(this, QStringLiteral("Points d'arr\u00eat (clic droit pour afficher le menu)"), 12, 10);
    LVPtArr = Liste(this, {QStringLiteral("Adresse Hexa."), QStringLiteral("Symbole"), QStringLiteral("Condition")});
    LVPtArr->setGeometry(12, 30, 396, 230);
    LVPtArr->setColumnWidth(0, 90);
    LVPtArr->setColumnWidth(1, 120);
    auto* groupe = new QGroupBox(QStringLiteral("Points de surveillance (clic droit pour afficher le menu)"), this);
    groupe->setGeometry(12, 270, 396, 150);
    LVSurv = Liste(groupe, {QStringLiteral("D\u00e9but"), QStringLiteral("Fin"), QStringLiteral("Acc\u00e8s"),
                            QStringLiteral("M\u00e9moire")});
    LVSurv->setGeometry(8, 22, 380, 100);
    LabelDeclenchement = new QLabel(groupe);
    LabelDeclenchement->setGeometry(8, 126, 380, 18);
    LVSurv->setColumnWidth(0, 70);
    LVSurv->setColumnWidth(1, 70);
    LVSurv->setColumnWidth(2, 110);
    BtnOK = Bouton(this, QStringLiteral("OK"), 252, 432);
    BtnAnnuler = Bouton(this, QStringLiteral("Annuler"), 333, 432);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);

    MenuPtArr = new QMenu(this);
    MIAjouter = MenuPtArr->addAction(QStringLiteral("Ajouter un point d'arr\u00eat"));
    MISupprimer = MenuPtArr->addAction(QStringLiteral("Supprimer le point d'arr\u00eat"));
    MICondition = MenuPtArr->addAction(QStringLiteral("Condition du point d'arr\u00eat\u2026"));
    MenuSurv = new QMenu(this);
    MIAjouterSurv = MenuSurv->addAction(QStringLiteral("Ajouter un point de surveillance"));
    MISupprimerSurv = MenuSurv->addAction(QStringLiteral("Supprimer le point de surveillance"));
    NouvPtArrForm = new TNouvPtArrForm(D, this);
    NouvPtArrForm->SurAjout = [this] { MajListe(); };
    NouvSurvForm = new TNouvSurvForm(D, this);

    connect(LVPtArr, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { MenuPtArr->popup(LVPtArr->viewport()->mapToGlobal(p)); });
    connect(LVSurv, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { MenuSurv->popup(LVSurv->viewport()->mapToGlobal(p)); });
    connect(MIAjouter, &QAction::triggered, this, [this] {
        NouvPtArrForm->EditCondition->clear();
        NouvPtArrForm->exec();
        MajListe();
    });
    connect(MISupprimer, &QAction::triggered, this, [this] { Supprime(); });
    connect(MICondition, &QAction::triggered, this, [this] { ChangeCondition(); });
    connect(MIAjouterSurv, &QAction::triggered, this, [this] {
        NouvSurvForm->exec();
        MajListe();
    });
    connect(MISupprimerSurv, &QAction::triggered, this, [this] { SupprimeSurveillance(); });
    Message = [this](const QString& t) { MessageSimple(this, t); };
    DemandeCondition = [this](QString& texte) {
        // As wide as the add dialog's entry, so a whole condition shows.
        QInputDialog boite(this);
        boite.setWindowTitle(QStringLiteral("Condition du point d'arr\u00eat"));
        boite.setLabelText(QStringLiteral("Condition (vide : aucune)"));
        boite.setTextValue(texte);
        boite.resize(NouvPtArrForm->EditCondition->width() + 32, boite.sizeHint().height());
        if (boite.exec() != QDialog::Accepted) return false;
        texte = boite.textValue();
        return true;
    };
}

bool TPtArrForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) MajListe();
    return QDialog::event(e);
}

void TPtArrForm::MajListe() {
    D.Sondes.OublieSansPtArret();
    LVPtArr->clear();
    for (const TLignePtArret& l : LignesPtArret(TInspection(D).TablePtArret(), D.Symboles, D.Sondes)) {
        auto* item = new QTreeWidgetItem({QString::fromStdString(l.Texte), QString::fromStdString(l.Symbole),
                                          QString::fromStdString(l.Condition)});
        item->setData(0, Qt::UserRole, int(l.Adresse));
        LVPtArr->addTopLevelItem(item);
    }
    LVSurv->clear();
    const QString memoires[] = {QStringLiteral("CPU"), QStringLiteral("logiciel"), QStringLiteral("data")};
    const QString acces[] = {QString(), QStringLiteral("lecture"), QStringLiteral("\u00e9criture"),
                             QStringLiteral("lecture, \u00e9criture")};
    const auto& d = D.Sondes.Declenchement();
    LabelDeclenchement->setText(d ? QString::fromStdString("Dernier arr\u00eat : " + TexteDeclenchement(*d)) : QString());
    for (const TPointSurv& p : D.Sondes.Surveillances())
        LVSurv->addTopLevelItem(new QTreeWidgetItem(
            {QString::asprintf("%.4XH", unsigned(p.Debut)), QString::asprintf("%.4XH", unsigned(p.Fin)),
             acces[p.Acces & 3], memoires[int(p.Vue)]}));
}

void TPtArrForm::Supprime() {
    const int ligne = LigneChoisie(LVPtArr);
    if (ligne < 0) return;
    const uint16_t a = uint16_t(LVPtArr->topLevelItem(ligne)->data(0, Qt::UserRole).toInt());
    TInspection(D).RetirePtArret(a);
    delete LVPtArr->takeTopLevelItem(ligne);
    D.ReDasmDebug();
}

void TPtArrForm::ChangeCondition() {
    const int ligne = LigneChoisie(LVPtArr);
    if (ligne < 0) return;
    const uint16_t a = uint16_t(LVPtArr->topLevelItem(ligne)->data(0, Qt::UserRole).toInt());
    QString texte = QString::fromStdString(D.Sondes.Condition(a));
    if (!DemandeCondition(texte)) return;
    if (auto erreur = D.Sondes.PoseCondition(a, texte.toStdString())) {
        Message(QString::fromStdString(*erreur));
        return;
    }
    MajListe();
}

void TPtArrForm::SupprimeSurveillance() {
    const int ligne = LigneChoisie(LVSurv);
    if (ligne < 0) return;
    D.Sondes.RetireSurveillanceNo(size_t(ligne));
    MajListe();
}
