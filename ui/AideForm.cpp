#include "ui/AideForm.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString DossierManuel = QStringLiteral("qrc:/docs/manuel/");
constexpr int RoleChapitre = Qt::UserRole, RoleTitre = Qt::UserRole + 1;

std::string LitRessource(const QString& fichier) {
    QFile f(QStringLiteral(":/docs/manuel/") + fichier);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

TAideForm::TAideForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Aide \u2014 manuel d'EmulZorv"));
    resize(980, 680);
    auto* gauche = new QWidget(this);
    auto* lg = new QVBoxLayout(gauche);
    lg->setContentsMargins(0, 0, 0, 0);
    EditRecherche = new QLineEdit(gauche);
    EditRecherche->setPlaceholderText(QStringLiteral("Rechercher dans le manuel"));
    EditRecherche->setClearButtonEnabled(true);
    EditRecherche->setToolTip(QStringLiteral("Les sections qui contiennent tous les mots, sans tenir compte "
                                             "des majuscules ni des accents"));
    LabelResultats = new QLabel(gauche);
    LabelResultats->hide();
    LVResultats = new QListWidget(gauche);
    LVResultats->hide();
    LVSommaire = new QTreeWidget(gauche);
    LVSommaire->setHeaderHidden(true);
    BtnClavier = new QPushButton(QStringLiteral("Touches du clavier (F1)"), gauche);
    BtnClavier->setToolTip(QStringLiteral("Ce que donne chaque touche dans le mode du clavier en cours"));
    BtnClavier->setEnabled(false);
    LVResultats->setWordWrap(true);
    LVResultats->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LVResultats->setResizeMode(QListView::Adjust);
    // The hits above the contents, which stay in view.
    auto* listes = new QSplitter(Qt::Vertical, gauche);
    listes->addWidget(LVResultats);
    listes->addWidget(LVSommaire);
    listes->setCollapsible(0, false);
    listes->setSizes({260, 360});
    lg->addWidget(EditRecherche);
    lg->addWidget(LabelResultats);
    lg->addWidget(listes, 1);
    lg->addWidget(BtnClavier);
    Texte = new QTextBrowser(this);
    auto* separation = new QSplitter(this);
    separation->addWidget(gauche);
    separation->addWidget(Texte);
    separation->setStretchFactor(1, 3);
    separation->setSizes({330, 650});
    auto* l = new QHBoxLayout(this);
    l->addWidget(separation);

    auto* touches = new QAction(this);
    touches->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(touches);
    connect(touches, &QAction::triggered, BtnClavier, &QPushButton::click);
    connect(BtnClavier, &QPushButton::clicked, this, [this] {
        if (FClavier) FClavier();
    });
    connect(EditRecherche, &QLineEdit::textChanged, this, &TAideForm::Cherche);
    connect(EditRecherche, &QLineEdit::returnPressed, this, [this] {
        if (LVResultats->count() > 0) LVResultats->setCurrentRow(0);
    });
    connect(LVResultats, &QListWidget::currentRowChanged, this, &TAideForm::MontreTrouvaille);
    connect(LVSommaire, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        OuvreChapitre(item->data(0, RoleChapitre).toInt(), item->data(0, RoleTitre).toInt());
    });
    connect(Texte, &QTextBrowser::sourceChanged, this, &TAideForm::SuitSource);
    ChargeManuel();
    RemplitSommaire();
    OuvreChapitre(0);
}

// The contents file first, then the chapters it links to, in its order.
void TAideForm::ChargeManuel() {
    const std::string sommaire = LitRessource(QStringLiteral("index.md"));
    FManuel.Ajoute("index.md", sommaire);
    for (const std::string& fichier : ChapitresDuSommaire(sommaire))
        FManuel.Ajoute(fichier, LitRessource(Q(fichier)));
}

// One item per chapter, its sections under it, their subsections under them.
void TAideForm::RemplitSommaire() {
    LVSommaire->clear();
    const auto& chapitres = FManuel.Chapitres();
    for (size_t c = 0; c < chapitres.size(); ++c) {
        auto* chapitre = new QTreeWidgetItem(LVSommaire, {Q(chapitres[c].Titre)});
        chapitre->setData(0, RoleChapitre, int(c));
        chapitre->setData(0, RoleTitre, -1);
        QTreeWidgetItem* section = nullptr;
        const auto& titres = chapitres[c].Titres;
        for (size_t t = 0; t < titres.size(); ++t) {
            if (titres[t].Niveau < 2 || titres[t].Niveau > 3) continue;
            QTreeWidgetItem* dessus = titres[t].Niveau == 3 && section ? section : chapitre;
            auto* item = new QTreeWidgetItem(dessus, {Q(titres[t].Texte)});
            item->setData(0, RoleChapitre, int(c));
            item->setData(0, RoleTitre, int(t));
            if (titres[t].Niveau == 2) section = item;
        }
    }
}

void TAideForm::Montre() {
    show();
    raise();
    activateWindow();
}

void TAideForm::ChoisitClavier(std::function<void()> montre) {
    FClavier = std::move(montre);
    BtnClavier->setEnabled(FClavier != nullptr);
}

void TAideForm::OuvreChapitre(int chapitre, int titre) {
    const auto& chapitres = FManuel.Chapitres();
    if (chapitre < 0 || chapitre >= int(chapitres.size())) return;
    const QUrl url(DossierManuel + Q(chapitres[size_t(chapitre)].Fichier));
    if (chapitre != FChapitre || Texte->source() != url) Texte->setSource(url, QTextDocument::MarkdownResource);
    FChapitre = chapitre;
    VaAuTitre(titre);
}

// A chapter reached by a link of the text: the contents list follows.
void TAideForm::SuitSource(const QUrl& url) {
    FChapitre = FManuel.Indice(url.fileName().toStdString());
    for (QTreeWidgetItemIterator it(LVSommaire); *it; ++it)
        if ((*it)->data(0, RoleChapitre).toInt() == FChapitre && (*it)->data(0, RoleTitre).toInt() == -1) {
            const QSignalBlocker bloque(LVSommaire);
            LVSommaire->setCurrentItem(*it);
        }
}

// The heading of that rank at the top of the text (the rendered document
// has one heading block per heading of the chapter, in the same order).
void TAideForm::VaAuTitre(int titre) {
    QTextBlock bloc = Texte->document()->begin();
    for (int rang = -1; titre >= 0 && bloc.isValid(); bloc = bloc.next())
        if (bloc.blockFormat().headingLevel() > 0 && ++rang == titre) break;
    if (titre < 0 || !bloc.isValid()) bloc = Texte->document()->begin();
    Texte->setTextCursor(QTextCursor(bloc));
    const QRectF r = Texte->document()->documentLayout()->blockBoundingRect(bloc);
    Texte->verticalScrollBar()->setValue(int(r.top()));
}

void TAideForm::Cherche(const QString& requete) {
    FTrouvailles = FManuel.Cherche(requete.toStdString());
    const bool cherche = !requete.trimmed().isEmpty();
    LabelResultats->setVisible(cherche);
    LVResultats->setVisible(cherche);
    const QSignalBlocker bloque(LVResultats);
    LVResultats->clear();
    for (const TTrouvaille& t : FTrouvailles) {
        const std::string& chapitre = FManuel.Chapitres()[t.Chapitre].Titre;
        const std::string ou = t.Section == chapitre ? chapitre : chapitre + " \u2014 " + t.Section;
        auto* item = new QListWidgetItem(Q(ou + "\n    " + t.Extrait), LVResultats);
        item->setToolTip(Q(t.Extrait));
    }
    const int n = int(FTrouvailles.size());
    LabelResultats->setText(n == 0   ? QStringLiteral("Aucune section ne contient \u00ab %1 \u00bb").arg(requete.trimmed())
                            : n == 1 ? QStringLiteral("1 section")
                                     : QStringLiteral("%1 sections").arg(n));
}

// The section of a hit, its word selected.
void TAideForm::MontreTrouvaille(int ligne) {
    if (ligne < 0 || ligne >= int(FTrouvailles.size())) return;
    const TTrouvaille& t = FTrouvailles[size_t(ligne)];
    OuvreChapitre(int(t.Chapitre), t.Titre);
    const QTextCursor trouve = Texte->document()->find(Q(t.Forme), Texte->textCursor());
    if (trouve.isNull()) return;
    Texte->setTextCursor(trouve);
    Texte->ensureCursorVisible();
}
