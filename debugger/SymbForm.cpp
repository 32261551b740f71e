#include "debugger/SymbForm.h"
#include "debugger/ControlesQt.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include "debugger/Debogueur.h"
#include "debugger/FiltreSymboles.h"
#include "debugger/GestionSymboles.h"
#include "debugger/SaisieAdresse.h"

namespace {

void MessageSimple(QWidget* parent, const QString& texte) {
    QMessageBox::information(parent, QStringLiteral("EmulZorv"), texte, QMessageBox::Ok);
}

// Keeps in the entry only what its key filter lets through (typed or
// pasted), upper-cased.
void Filtre(QLineEdit* e, char (*filtre)(char)) {
    QObject::connect(e, &QLineEdit::textEdited, e, [e, filtre](const QString& t) {
        QString propre;
        for (QChar c : t) {
            const char f = c.unicode() < 0x80 && c.unicode() != '\b' ? filtre(char(c.unicode())) : 0;
            if (f) propre += QChar(f);
        }
        if (propre == t) return;
        const int curseur = e->cursorPosition() - int(t.size() - propre.size());
        e->setText(propre);
        e->setCursorPosition(std::max(0, curseur));
    });
}

QPushButton* Bouton(QWidget* parent, const QString& texte, int x, int y) {
    auto* b = new QPushButton(texte, parent);
    b->setGeometry(x, y, 75, 25);
    return b;
}

} // namespace

// --- Add dialog ----------------------------------------------------------------------

TNouvSymbForm::TNouvSymbForm(TDebogueur& debogueur, QWidget* parent) : QDialog(parent), D(debogueur) {
    setWindowTitle(QStringLiteral("Ajout d'un symbole"));
    setFixedSize(300, 150);
    Etiquette(this, QStringLiteral("Symbole (40 caract\u00e8res maxi.)"), 16, 12);
    EditNom = new QLineEdit(this);
    EditNom->setGeometry(16, 30, 268, 22);
    EditNom->setMaxLength(int(LongueurMaxNomSymbole));
    Filtre(EditNom, FiltreToucheNomSymbole);
    Etiquette(this, QStringLiteral("Adresse hexad\u00e9cimale"), 16, 62);
    EditAdr = new QLineEdit(this);
    EditAdr->setGeometry(16, 80, 80, 22);
    EditAdr->setMaxLength(4);
    Filtre(EditAdr, FiltreToucheAdresseSymbole);
    BtnOK = Bouton(this, QStringLiteral("OK"), 128, 114);
    BtnAnnuler = Bouton(this, QStringLiteral("Annuler"), 209, 114);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, [this] { Valide(); });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    Message = [this](const QString& t) { MessageSimple(this, t); };
}

void TNouvSymbForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    EditNom->setFocus();
    EditNom->selectAll();
}

void TNouvSymbForm::Valide() {
    if (EditAdr->text().isEmpty()) EditAdr->setText(QStringLiteral("0"));
    const std::string nom = EditNom->text().toStdString();
    if (AjouteSymbole(D.Symboles, nom, EditAdr->text().toStdString()) == TAjoutSymbole::ExisteDeja)
        Message(QString::fromStdString(MessageSymboleExiste(nom)));
    accept();
}

// --- Symbol dialog -------------------------------------------------------------------

TSymbForm::TSymbForm(TDebogueur& debogueur, QWidget* parent) : QDialog(parent), D(debogueur) {
    setWindowTitle(QStringLiteral("Symboles"));
    setFixedSize(330, 410);
    LabelSymb = Etiquette(this, QStringLiteral("Symboles (clicc droit pour afficher le menu)"), 12, 10);
    LVSymb = new QTreeWidget(this);
    LVSymb->setGeometry(12, 30, 306, 300);
    LVSymb->setHeaderLabels({QStringLiteral("Symbole"), QStringLiteral("Adresse")});
    LVSymb->setRootIsDecorated(false);
    LVSymb->setColumnWidth(0, 190);
    LVSymb->header()->setSectionsClickable(true);
    LVSymb->setContextMenuPolicy(Qt::CustomContextMenu);
    EditFiltre = new QLineEdit(this);
    EditFiltre->setGeometry(12, 340, 306, 22);
    EditFiltre->setPlaceholderText(QStringLiteral("Filtre : partie du nom ou d\u00e9but de l'adresse"));
    EditFiltre->setClearButtonEnabled(true);
    connect(EditFiltre, &QLineEdit::textChanged, this, [this] { MajListView(); });
    BtnOK = Bouton(this, QStringLiteral("OK"), 162, 372);
    BtnAnnuler = Bouton(this, QStringLiteral("Annuler"), 243, 372);
    BtnOK->setDefault(true);
    MenuSymb = new QMenu(this);
    MIAjouter = MenuSymb->addAction(QStringLiteral("Ajouter un symbole"));
    MISupprimer = MenuSymb->addAction(QStringLiteral("Supprimer un symbole"));
    MICharger = MenuSymb->addAction(QStringLiteral("Charger une liste"));
    MIEffacer = MenuSymb->addAction(QStringLiteral("Effacer toute la liste"));
    NouvSymbForm = new TNouvSymbForm(D, this);
    connect(LVSymb, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { MenuSymb->popup(LVSymb->viewport()->mapToGlobal(p)); });
    connect(LVSymb->header(), &QHeaderView::sectionClicked, this, [this](int c) { Trie(c); });
    connect(LVSymb, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (FEditeur) ChoisitLigne(LVSymb->indexOfTopLevelItem(item));
    });
    connect(MIAjouter, &QAction::triggered, this, [this] {
        NouvSymbForm->exec(); // the last entries stay, selected
        MajListView();
    });
    connect(MISupprimer, &QAction::triggered, this, [this] { Supprime(); });
    connect(MICharger, &QAction::triggered, this, [this] { Charge(); });
    connect(MIEffacer, &QAction::triggered, this, [this] { Efface(); });
    connect(BtnOK, &QPushButton::clicked, this, [this] {
        QTreeWidgetItem* item = LVSymb->currentItem();
        if (item && item->isSelected() && FEditeur) FEditeur->IndexSymbole(D.Symboles, LVSymb->indexOfTopLevelItem(item));
        accept();
    });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    Message = [this](const QString& t) { MessageSimple(this, t); };
    ChoisitFichier = [this] {
        QFileDialog d(this, QStringLiteral("Importer une liste de symboles"));
        d.setNameFilters({QStringLiteral("Fichiers texte (*.txt)"), QStringLiteral("Cartes des sources (*.zdbg)"),
                          QStringLiteral("Tous les fichiers (*.*)")});
        d.setDefaultSuffix(QStringLiteral("txt"));
        d.setFileMode(QFileDialog::ExistingFile);
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().first() : QString();
    };
}

void TSymbForm::Choisit(TSaisieAdresse& editeur) {
    FEditeur = &editeur;
    exec();
    FEditeur = nullptr;
}

void TSymbForm::done(int r) {
    FEditeur = nullptr; // however the dialog closes
    QDialog::done(r);
}

void TSymbForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    MajListView();
}

// Rows and list entries stay in the same order: the filter hides rows.
void TSymbForm::MajListView() {
    LVSymb->clear();
    QList<QTreeWidgetItem*> items;
    for (const TSymbole& s : D.Symboles)
        items.append(new QTreeWidgetItem(
            {QString::fromStdString(s.Nom), QString::fromStdString(TexteAdresseSymbole(s.Adresse))}));
    LVSymb->addTopLevelItems(items);
    const std::string filtre = EditFiltre->text().toStdString();
    for (int i = 0; i < items.size(); ++i) items[i]->setHidden(!SymboleRetenu(D.Symboles[size_t(i)], filtre));
}

void TSymbForm::Trie(int colonne) {
    if (colonne == 0)
        TrieSymbolesParNom(D.Symboles, [](const std::string& a, const std::string& b) {
            return QString::localeAwareCompare(QString::fromStdString(a).toCaseFolded(),
                                               QString::fromStdString(b).toCaseFolded());
        });
    else
        TrieSymbolesParAdresse(D.Symboles);
    MajListView();
}

void TSymbForm::ChoisitLigne(int ligne) {
    if (ligne < 0 || !FEditeur) return;
    FEditeur->IndexSymbole(D.Symboles, ligne);
    accept();
}

void TSymbForm::Supprime() {
    QTreeWidgetItem* item = LVSymb->currentItem();
    if (!item || !item->isSelected()) return;
    const int ligne = LVSymb->indexOfTopLevelItem(item);
    if (ligne < 0 || size_t(ligne) >= D.Symboles.size()) return;
    D.Symboles.erase(D.Symboles.begin() + ligne);
    MajListView();
}

void TSymbForm::Efface() {
    D.Symboles.clear();
    MajListView();
}

void TSymbForm::Charge() {
    const QString chemin = ChoisitFichier();
    if (chemin.isEmpty() || !QFileInfo::exists(chemin)) return;
    std::string erreur;
    const auto n = ChargeFichierSymboles(QFile::encodeName(chemin).toStdString(), D.Symboles, &D.CarteSource, &erreur);
    if (!n) {
        if (!erreur.empty()) Message(QString::fromStdString(erreur)); // a damaged line map says why
        return;
    }
    MajListView();
    Message(QString::fromStdString(MessageSymbolesAjoutes(*n)));
}
