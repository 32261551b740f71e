#include "disks/GesDsqForm.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "config/Parametres.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "disks/GestionDisques.h"
#include "disks/ImportFichierDlg.h"
#include "disks/NouvelleImageDlg.h"
#include "ui/FenetreModale.h"
#include "ui/HoteQt.h"

namespace {

constexpr int LargeurClient = 863, HauteurClient = 293;
constexpr int HauteurLigneCatal = 14;

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The hourglass while a blank image is written.
struct TSablier {
    TSablier() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TSablier() { QApplication::restoreOverrideCursor(); }
    TSablier(const TSablier&) = delete;
    TSablier& operator=(const TSablier&) = delete;
};

} // namespace

// ---------------------------------------------------------------- drops

QString FichierDepose(const QMimeData* donnees) {
    if (!donnees || !donnees->hasUrls()) return {};
    for (const QUrl& url : donnees->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

void TListeLecteurs::dragEnterEvent(QDragEnterEvent* e) {
    if (!FichierDepose(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TListeLecteurs::dragMoveEvent(QDragMoveEvent* e) {
    if (!FichierDepose(e->mimeData()).isEmpty() && itemAt(e->position().toPoint()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TListeLecteurs::dropEvent(QDropEvent* e) {
    const QString chemin = FichierDepose(e->mimeData());
    QTreeWidgetItem* item = itemAt(e->position().toPoint());
    if (chemin.isEmpty() || !item || !SurDepot) return;
    e->acceptProposedAction();
    SurDepot(indexOfTopLevelItem(item), chemin);
}

// ---------------------------------------------------------------- boxes and folders

// The disk tools' questions, answered by the main window's boxes and the
// window's folder chooser.
class TDialogueGesDsq : public IDialogue {
public:
    explicit TDialogueGesDsq(TFormGesDsq& f) : F(f) {}
    void Message(const std::string& texte) override { F.FHote.MessageErreur(texte); }
    void Messages(const std::vector<std::string>& lignes) override {
        if (lignes.empty()) return;
        constexpr size_t Montrees = 30;
        std::string texte;
        for (size_t i = 0; i < lignes.size() && i < Montrees; ++i) texte += (i ? "\n" : "") + lignes[i];
        if (lignes.size() > Montrees)
            texte += "\n\u2026 et " + std::to_string(lignes.size() - Montrees) + " autre(s)";
        F.FHote.MessageErreur(texte);
    }
    void Information(const std::string& texte) override { F.FHote.MessageInfo(texte); }
    bool Question(const std::string& texte) override { return F.FHote.Question(texte); }
    std::optional<std::string> ChoisitDossier(const std::string& titre, const std::string& depart) override {
        const auto r = F.Choisit({TTypeChoix::Dossier, Q(titre), {}, {}, Q(depart)});
        if (!r) return std::nullopt;
        return S(*r);
    }

private:
    TFormGesDsq& F;
};

// ---------------------------------------------------------------- window

TFormGesDsq::TFormGesDsq(TPoste& poste, THoteQt& hote, QWidget* parent)
    : QDialog(parent), SeparateurMilliers(QLocale::system().groupSeparator()), FPoste(poste), FHote(hote),
      G(poste.GestionDisques), FDialogue(std::make_unique<TDialogueGesDsq>(*this)) {
    setWindowTitle(QStringLiteral("Gestionnaire de disques"));
    FixeCadre(*this, LargeurClient, HauteurClient);
    ConstruitListe();
    ConstruitCatalogue();
    ConstruitMenus();
    BtnEnreg = new QPushButton(QStringLiteral("Enregistrer images"), this);
    BtnEnreg->setGeometry(8, 256, 140, 28);
    BtnNouvelle = new QPushButton(QString::fromUtf8("Nouvelle image\u2026"), this);
    BtnNouvelle->setGeometry(156, 256, 140, 28);
    BtnNouvelle->setToolTip(QString::fromUtf8("Une image vierge de 400 Ko, 800 Ko ou 1.2 Mo"));
    BtnImportFichier = new QPushButton(QString::fromUtf8("Importer un fichier\u2026"), this);
    BtnImportFichier->setGeometry(304, 256, 160, 28);
    BtnImportFichier->setToolTip(QString::fromUtf8("Un fichier de l'h\u00f4te sur le disque choisi"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(680, 256, 84, 28);
    BtnOK->setDefault(true);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setGeometry(772, 256, 84, 28);
    connect(BtnEnreg, &QPushButton::clicked, this, &TFormGesDsq::BtnEnregClick);
    connect(BtnNouvelle, &QPushButton::clicked, this, &TFormGesDsq::BtnNouvelleClick);
    connect(BtnImportFichier, &QPushButton::clicked, this, &TFormGesDsq::TmImportFichierClick);
    // Every command acts at once: both buttons only close.
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    PanelCatal->clear();
    AfficheCatalogue();
}

TFormGesDsq::~TFormGesDsq() = default;

void TFormGesDsq::ConstruitListe() {
    LabelDsq = new QLabel(QStringLiteral("Disques et fichiers images"), this);
    LabelDsq->setGeometry(8, 6, 300, 16);
    ListViewDsqImg = new TListeLecteurs(this);
    ListViewDsqImg->setGeometry(8, 24, 504, 148);
    ListViewDsqImg->setRootIsDecorated(false);
    ListViewDsqImg->setItemsExpandable(false);
    ListViewDsqImg->setUniformRowHeights(true);
    ListViewDsqImg->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewDsqImg->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewDsqImg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewDsqImg->setContextMenuPolicy(Qt::CustomContextMenu);
    ListViewDsqImg->setAcceptDrops(true);
    ListViewDsqImg->setDropIndicatorShown(false);
    ListViewDsqImg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QStringList titres;
    for (const char* t : ColonnesDsq) titres << QString::fromUtf8(t);
    ListViewDsqImg->setHeaderLabels(titres);
    ListViewDsqImg->header()->setSectionsMovable(false);
    ListViewDsqImg->header()->setStretchLastSection(false);
    for (int c = 0; c < int(LargeursColonnesDsq.size()); ++c)
        ListViewDsqImg->setColumnWidth(c, LargeursColonnesDsq[size_t(c)]);
    for (int r = 0; r < NbLecteurs; ++r) new QTreeWidgetItem(ListViewDsqImg);
    MajLignes();
    connect(ListViewDsqImg, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem* item = ListViewDsqImg->currentItem();
        G.Ligne = item && item->isSelected() ? ListViewDsqImg->indexOfTopLevelItem(item) : -1;
        AfficheCatalogue();
    });
    connect(ListViewDsqImg, &QTreeWidget::itemClicked, this, [this] { AfficheCatalogue(); });
    connect(ListViewDsqImg, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        ChoisitLigne(ListViewDsqImg->indexOfTopLevelItem(item));
        TmInsereClick();
    });
    connect(ListViewDsqImg, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PopupMenu1Popup();
        PopupMenu1->popup(ListViewDsqImg->viewport()->mapToGlobal(p));
    });
    ListViewDsqImg->SurDepot = [this](int ligne, const QString& chemin) {
        ChoisitLigne(ligne);
        InsereImage(G.Slot(), chemin);
    };
    LabelAide = new QLabel(QString::fromUtf8("Clic droit sur un lecteur : ses commandes. Une image d\u00e9pos\u00e9e "
                                             "sur un lecteur y est ins\u00e9r\u00e9e."),
                           this);
    LabelAide->setGeometry(8, 178, 504, 36);
    LabelAide->setWordWrap(true);
    LabelAide->setEnabled(false);
}

void TFormGesDsq::ConstruitCatalogue() {
    LabelCatal = new QLabel(QStringLiteral("Catalogue"), this);
    LabelCatal->setGeometry(520, 6, 120, 16);
    LabelLibre = new QLabel(this);
    LabelLibre->setGeometry(640, 6, 215, 16);
    LabelLibre->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PanelCatal = new QLabel(QStringLiteral("  Disque : 00000      Secteur libre : 00000"), this);
    PanelCatal->setGeometry(520, 24, 335, 20);
    PanelCatal->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelCatal->setLineWidth(1);
    PanelCatal->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ListBoxCatal = new QListWidget(this);
    ListBoxCatal->setGeometry(520, 48, 335, 200);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    courier.setPixelSize(12);
    ListBoxCatal->setFont(courier);
    ListBoxCatal->setUniformItemSizes(true);
    ListBoxCatal->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxCatal->setContextMenuPolicy(Qt::CustomContextMenu);
    ListBoxCatal->setAutoFillBackground(true);
    connect(ListBoxCatal, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (QListWidgetItem* item = ListBoxCatal->itemAt(p)) ListBoxCatal->setCurrentItem(item);
        PopupCatalPopup();
        PopupCatal->popup(ListBoxCatal->viewport()->mapToGlobal(p));
    });
}

void TFormGesDsq::ConstruitMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setToolTipsVisible(true);
    std::array<QAction*, NbCommandesDsq> actions{};
    const std::array<void (TFormGesDsq::*)(), NbCommandesDsq> commandes{
        &TFormGesDsq::TmInsereClick,    &TFormGesDsq::TmEjecteClick,   &TFormGesDsq::TmViergeClick,
        &TFormGesDsq::TmProtectClick,   &TFormGesDsq::TmExportDsqClick, &TFormGesDsq::TMFormaterClick,
        &TFormGesDsq::TmImportDirClick, &TFormGesDsq::TMFmtImportClick};
    for (int c = 0; c < NbCommandesDsq; ++c) {
        actions[size_t(c)] = PopupMenu1->addAction(QString::fromUtf8(LibellesCommandesDsq[size_t(c)]));
        connect(actions[size_t(c)], &QAction::triggered, this, commandes[size_t(c)]);
    }
    TmInsere = actions[cdInsere];
    TmEjecte = actions[cdEjecte];
    TmVierge = actions[cdVierge];
    TmProtect = actions[cdProtect];
    TmExportDsq = actions[cdExportDsq];
    TMFormater = actions[cdFormater];
    TmImportDir = actions[cdImportDir];
    TMFmtImport = actions[cdFmtImport];
    TmProtect->setCheckable(true); // ticked while the disk is protected
    PopupMenu1->addSeparator();
    MIRecentes = PopupMenu1->addMenu(QString::fromUtf8("Images r\u00e9centes"));
    MIRecentes->setToolTipsVisible(true);
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] { ListViewDsqImg->setFocus(); });

    PopupCatal = new QMenu(this);
    TmExportFichier = PopupCatal->addAction(QStringLiteral("Exporter le fichier"));
    connect(TmExportFichier, &QAction::triggered, this, &TFormGesDsq::TmExportFichierClick);
    TmExportSous = PopupCatal->addAction(QString::fromUtf8("Exporter le fichier sous\u2026"));
    connect(TmExportSous, &QAction::triggered, this, &TFormGesDsq::TmExportSousClick);
    PopupCatal->addSeparator();
    TmImportFichier = PopupCatal->addAction(QString::fromUtf8("Importer un fichier\u2026"));
    connect(TmImportFichier, &QAction::triggered, this, &TFormGesDsq::TmImportFichierClick);
}

// ---------------------------------------------------------------- views

void TFormGesDsq::Montre() {
    G.OublieDommages(); // each opening tells once more what is wrong with a disk
    MajLignes();
    // The catalogue is read once the window is on screen: the box of a
    // damaged disk then comes over it, not alone before it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) FormActivate();
    });
    CentreSurParent(*this);
    FHote.Modale([this] { return exec() == QDialog::Accepted; });
}

void TFormGesDsq::FormActivate() {
    MajLignes();
    AfficheCatalogue();
    ListViewDsqImg->setFocus();
}

void TFormGesDsq::MajLignes() {
    for (int r = 0; r < NbLecteurs; ++r) {
        const TLigneDsq l = G.LigneLecteur(r);
        QTreeWidgetItem* item = ListViewDsqImg->topLevelItem(r);
        const std::array<std::string, 4> textes{l.Disque, l.Taille, l.Fichier, l.Protection};
        for (int c = 0; c < 4; ++c) item->setText(c, Q(textes[size_t(c)]));
        item->setToolTip(2, Q(G.Lecteurs.Disques[size_t(r + 1)].NomFichier));
    }
}

void TFormGesDsq::AfficheCatalogue() {
    TCatalogueAffiche c;
    try {
        c = G.RafraichitCatalogue(*FDialogue);
    } catch (const std::exception& e) {
        FHote.MessageErreur(e.what());
    }
    ListBoxCatal->clear();
    for (const std::string& ligne : c.Lignes) {
        auto* item = new QListWidgetItem(Q(ligne), ListBoxCatal);
        item->setSizeHint(QSize(0, HauteurLigneCatal));
    }
    QPalette pal = ListBoxCatal->palette();
    pal.setColor(QPalette::Base, palette().color(c.Formate ? QPalette::Base : QPalette::Button));
    ListBoxCatal->setPalette(pal);
    PanelCatal->setText(Q(c.Legende));
    LabelLibre->setText(Q(G.PlaceLibre()));
    BtnImportFichier->setEnabled(G.Etat() == 1);
}

void TFormGesDsq::MajRecentes() {
    MIRecentes->clear();
    for (const std::string& chemin : G.Recentes) {
        QAction* a = MIRecentes->addAction(Q(NomSansDossier(chemin)));
        a->setToolTip(Q(chemin));
        a->setEnabled(QFileInfo::exists(Q(chemin)));
        connect(a, &QAction::triggered, this, [this, chemin] { InsereImage(G.Slot(), Q(chemin)); });
    }
    MIRecentes->setEnabled(G.Slot() != 0 && !G.Recentes.empty());
}

void TFormGesDsq::PopupMenu1Popup() {
    AfficheCatalogue();
    const auto etats = G.EtatsMenu();
    const std::array<QAction*, NbCommandesDsq> actions{TmInsere,    TmEjecte,   TmVierge,    TmProtect,
                                                       TmExportDsq, TMFormater, TmImportDir, TMFmtImport};
    for (int c = 0; c < NbCommandesDsq; ++c) actions[size_t(c)]->setEnabled(etats[size_t(c)]);
    TmProtect->setChecked(G.Etat() == 2);
    MajRecentes();
    ListViewDsqImg->setFocus();
}

void TFormGesDsq::PopupCatalPopup() {
    TmExportFichier->setEnabled(G.LigneExportable(ListBoxCatal->currentRow()));
    TmExportSous->setEnabled(TmExportFichier->isEnabled());
    TmImportFichier->setEnabled(G.Etat() == 1);
}

void TFormGesDsq::ChoisitLigne(int ligne) {
    QTreeWidgetItem* item = ligne >= 0 ? ListViewDsqImg->topLevelItem(ligne) : nullptr;
    if (item) {
        ListViewDsqImg->setCurrentItem(item);
        item->setSelected(true);
    } else {
        ListViewDsqImg->clearSelection();
    }
    G.Ligne = item ? ligne : -1;
    AfficheCatalogue();
}

// ---------------------------------------------------------------- commands

std::optional<QString> TFormGesDsq::Choisit(const TDemandeChoix& d) {
    std::optional<QString> r;
    FHote.Modale([&] {
        if (ChoixFichier) {
            r = ChoixFichier(d);
            return true;
        }
        if (d.Type == TTypeChoix::Dossier) {
            const QString dossier = QFileDialog::getExistingDirectory(this, d.Titre, d.Depart);
            if (!dossier.isEmpty()) r = dossier;
            return true;
        }
        QFileDialog dlg(this, d.Titre, d.Depart, d.Filtre);
        dlg.setDefaultSuffix(d.Extension);
        if (d.SansConfirmation) dlg.setOption(QFileDialog::DontConfirmOverwrite);
        if (d.Type == TTypeChoix::Ouvrir) {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(QFileDialog::ExistingFile);
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
        }
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) r = dlg.selectedFiles().first();
        return true;
    });
    return r;
}

void TFormGesDsq::Execute(const std::function<void()>& commande) {
    try {
        commande();
    } catch (const std::exception& e) {
        FHote.MessageErreur(e.what());
    }
    MajLignes();
    AfficheCatalogue();
}

namespace {

// The folder of the drive's image, else of the latest image used.
QString DossierDepart(const TGestionDisques& g) {
    const std::string& image = g.Lecteurs.Disques[size_t(g.Slot())].NomFichier;
    if (!image.empty()) return Q(DossierDe(image));
    return g.Recentes.empty() ? QString() : Q(DossierDe(g.Recentes.front()));
}

TDemandeChoix Demande(TTypeChoix type, const TDemandeFichier& d, const QString& depart) {
    return {type, QString::fromUtf8(d.Titre), Q(FiltreQt(d.Filtre)), Q(d.Extension), depart};
}

} // namespace

bool TFormGesDsq::InsereImage(int slot, const QString& chemin) {
    if (!TLecteurs::EstSlot(slot) || chemin.isEmpty()) return false;
    std::string erreurRecentes, message;
    Execute([&] { message = G.Insere(slot, S(chemin), S(SeparateurMilliers), erreurRecentes); });
    if (!message.empty()) FHote.MessageErreur(message);
    if (!erreurRecentes.empty()) FHote.MessageStatut(erreurRecentes);
    return message.empty() && G.Lecteurs.EtatDuDisque(slot) != 0;
}

void TFormGesDsq::TmInsereClick() {
    if (!G.Slot()) return;
    const auto chemin = Choisit(Demande(TTypeChoix::Ouvrir, DemandeInsertion, DossierDepart(G)));
    if (chemin) InsereImage(G.Slot(), *chemin);
}

void TFormGesDsq::TmViergeClick() {
    if (!G.Slot()) return;
    const auto chemin = Choisit(Demande(TTypeChoix::Enregistrer, DemandeVierge, DossierDepart(G)));
    if (!chemin) return; // the drive keeps its disk
    std::string erreurRecentes;
    Execute([&] {
        TSablier sablier;
        G.InsereVierge(S(*chemin), erreurRecentes);
    });
    if (!erreurRecentes.empty()) FHote.MessageStatut(erreurRecentes);
}

void TFormGesDsq::TmEjecteClick() {
    Execute([this] { G.Ejecte(); });
}

void TFormGesDsq::TmProtectClick() {
    std::string message;
    Execute([&] { message = G.BasculeProtection(); });
    if (!message.empty()) FHote.MessageErreur(message);
}

void TFormGesDsq::TmExportDsqClick() {
    Execute([this] { G.Exporte(*FDialogue); });
}

void TFormGesDsq::TMFormaterClick() {
    Execute([this] { G.Formate(*FDialogue); });
}

void TFormGesDsq::TmImportDirClick() {
    Execute([this] { G.Importe(*FDialogue); });
}

void TFormGesDsq::TMFmtImportClick() {
    Execute([this] { G.FormateEtImporte(*FDialogue); });
}

void TFormGesDsq::TmExportFichierClick() {
    const int ligne = ListBoxCatal->currentRow();
    try {
        G.ExporteFichier(*FDialogue, ligne);
    } catch (const std::exception& e) {
        FHote.MessageErreur(e.what());
    }
}

void TFormGesDsq::BtnEnregClick() {
    // A failure has its own box (the settings file cannot be written); a
    // success is told in the main window's status bar.
    if (FPoste.EnregistreImages())
        FHote.MessageStatut("Images enregistr\u00e9es dans " + CheminParametres(FPoste.Parametres));
}

// ---------------------------------------------------------------- one file, new images

std::optional<TFichierAImporter> TFormGesDsq::DemandeValeurs(const QString& chemin, int64_t taille,
                                                            const TFichierAImporter& defauts) {
    std::optional<TFichierAImporter> r;
    FHote.Modale([&] {
        if (DemandeImport) {
            r = DemandeImport(chemin, taille, defauts);
            return r.has_value();
        }
        TDlgImportFichier dlg(chemin, taille, defauts, this);
        if (dlg.exec() == QDialog::Accepted) r = dlg.Valeurs();
        return r.has_value();
    });
    return r;
}

std::optional<TChoixNouvelleImage> TFormGesDsq::ChoixNouvelle(const QString& chemin,
                                                               const TChoixNouvelleImage& defauts) {
    std::optional<TChoixNouvelleImage> r;
    FHote.Modale([&] {
        if (DemandeTaille) {
            r = DemandeTaille(chemin, defauts);
            return r.has_value();
        }
        TDlgNouvelleImage dlg(chemin, defauts, LecteurDuSlot(G.Slot()), G.TailleProposee(), this);
        if (dlg.exec() == QDialog::Accepted) r = dlg.Choix();
        return r.has_value();
    });
    return r;
}

void TFormGesDsq::TmImportFichierClick() {
    AfficheCatalogue();
    if (G.Etat() != 1) {
        if (G.Etat() == 2) FHote.MessageErreur("Disque prot\u00e9g\u00e9 en \u00e9criture");
        return;
    }
    if (!G.Catalogue.Formate) {
        FHote.MessageErreur("Le disque n'est pas format\u00e9");
        return;
    }
    const QString depart = G.ExportImport.RepImport.empty() ? DossierDepart(G) : Q(G.ExportImport.RepImport);
    const auto chemin = Choisit(Demande(TTypeChoix::Ouvrir, DemandeImportFichier, depart));
    if (!chemin) return;
    const auto valeurs = DemandeValeurs(*chemin, QFileInfo(*chemin).size(), ValeursImport(S(*chemin)));
    if (!valeurs) return;
    Execute([&] { G.ImporteFichier(*FDialogue, S(*chemin), *valeurs); });
}

void TFormGesDsq::TmExportSousClick() {
    const int ligne = ListBoxCatal->currentRow();
    if (!G.LigneExportable(ligne)) return;
    TDemandeChoix d = Demande(TTypeChoix::Enregistrer, DemandeExportFichier, Q(G.CheminExportPropose(ligne)));
    const auto chemin = Choisit(d);
    if (!chemin) return;
    try {
        G.ExporteFichierSous(*FDialogue, ligne, S(*chemin));
    } catch (const std::exception& e) {
        FHote.MessageErreur(e.what());
    }
}

void TFormGesDsq::BtnNouvelleClick() {
    TDemandeChoix d = Demande(TTypeChoix::Enregistrer, DemandeNouvelle, DossierDepart(G));
    d.SansConfirmation = true; // an existing file is refused, never replaced
    const auto chemin = Choisit(d);
    if (!chemin) return;
    if (FichierExiste(S(*chemin))) {
        FHote.MessageErreur("Le fichier : " + S(*chemin) + " Existe d\u00e9j\u00e0");
        return;
    }
    const auto choix = ChoixNouvelle(*chemin, {G.TailleProposee(), G.Slot() != 0});
    if (!choix) return;
    std::string message, erreurRecentes;
    Execute([&] {
        TSablier sablier;
        message = G.CreeImage(S(*chemin), choix->Taille, choix->Insere, erreurRecentes);
    });
    if (!message.empty()) {
        FHote.MessageErreur(message);
        return;
    }
    FHote.MessageStatut(erreurRecentes.empty()
                            ? "Image cr\u00e9\u00e9e : " + S(*chemin) + " (" + NombreFr(choix->Taille) + " octets)"
                            : erreurRecentes);
}
