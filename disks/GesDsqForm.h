// The disk manager window, "Gestionnaire de disques": the six drives and
// their images, the catalogue of the selected disk, the drive commands of its
// pop-up menu, the recent images, the export of one catalogue line, and the
// drop of an image file on a drive. Made once at start-up, shown modally by
// the toolbar's "Disques". The logic is disks/GestionDisques.*.
#pragma once

#include <QDialog>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "disks/FichierSeul.h"
#include "disks/GestionDisques.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMimeData;
class QPushButton;
class IDialogue;
class THoteQt;
class TPoste;

// The drive list: a report view that takes image files dropped on a row.
class TListeLecteurs : public QTreeWidget {
    Q_OBJECT
public:
    explicit TListeLecteurs(QWidget* parent) : QTreeWidget(parent) {}
    // A local file dropped on row `ligne`.
    std::function<void(int ligne, const QString& chemin)> SurDepot;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

// The first local file a drop carries; empty when none.
QString FichierDepose(const QMimeData* donnees);

// What the window asks the window system's file and folder dialogs; the
// tests answer in their place.
enum class TTypeChoix { Ouvrir, Enregistrer, Dossier };
struct TDemandeChoix {
    TTypeChoix Type = TTypeChoix::Ouvrir;
    QString Titre, Filtre, Extension, Depart; // Filtre in the window system's form
    bool SansConfirmation = false; // a save dialog that does not ask about an existing file
};
using TChoixFichier = std::function<std::optional<QString>(const TDemandeChoix&)>;
// The window's own small dialogs ("Importer un fichier", "Nouvelle image
// disque"), given the host path and the values they offer.
using TDemandeImport = std::function<std::optional<TFichierAImporter>(const QString& chemin, int64_t taille,
                                                                      const TFichierAImporter& defauts)>;
using TDemandeTaille =
    std::function<std::optional<TChoixNouvelleImage>(const QString& chemin, const TChoixNouvelleImage& defauts)>;

class TFormGesDsq : public QDialog {
    Q_OBJECT
public:
    TFormGesDsq(TPoste& poste, THoteQt& hote, QWidget* parent);
    ~TFormGesDsq() override;

    QLabel *LabelDsq = nullptr, *LabelCatal = nullptr, *PanelCatal = nullptr, *LabelAide = nullptr;
    TListeLecteurs* ListViewDsqImg = nullptr;
    QListWidget* ListBoxCatal = nullptr;
    QPushButton *BtnEnreg = nullptr, *BtnOK = nullptr, *BtnAnnuler = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *TmInsere = nullptr, *TmEjecte = nullptr, *TmVierge = nullptr, *TmProtect = nullptr,
            *TmExportDsq = nullptr, *TMFormater = nullptr, *TmImportDir = nullptr, *TMFmtImport = nullptr;
    QMenu* MIRecentes = nullptr; // "Images récentes", below the eight items
    QMenu* PopupCatal = nullptr; // the catalogue's own menu
    QAction *TmExportFichier = nullptr, *TmExportSous = nullptr, *TmImportFichier = nullptr;
    QLabel* LabelLibre = nullptr;                // free room of the disk, beside "Catalogue"
    QPushButton *BtnNouvelle = nullptr, *BtnImportFichier = nullptr;

    // The file and folder dialogs; the window system's own by default.
    TChoixFichier ChoixFichier;
    // The window's small dialogs; TDlgImportFichier and TDlgNouvelleImage
    // by default.
    TDemandeImport DemandeImport;
    TDemandeTaille DemandeTaille;
    // The host's thousands separator, for the size messages.
    QString SeparateurMilliers;

    // Shows the window modally over the main window; every way of closing
    // it returns here.
    void Montre();
    // Rows and catalogue from the drive table; the focus on the drive list.
    void FormActivate();
    void MajLignes();
    void AfficheCatalogue();
    // Before PopupMenu1 shows: catalogue rebuilt, items enabled for the row.
    void PopupMenu1Popup();
    void PopupCatalPopup();
    // Selects row `ligne` (-1: none).
    void ChoisitLigne(int ligne);

    // The menu's commands, on the selected row.
    void TmInsereClick();
    void TmEjecteClick();
    void TmViergeClick();
    void TmProtectClick();
    void TmExportDsqClick();
    void TMFormaterClick();
    void TmImportDirClick();
    void TMFmtImportClick();
    void TmExportFichierClick();
    // "Exporter le fichier sous…": a save dialog for the catalogue line.
    void TmExportSousClick();
    // "Importer un fichier…": a host file, then its name, C1 and C2.
    void TmImportFichierClick();
    // "Nouvelle image…": a path, then the size (and the drive).
    void BtnNouvelleClick();
    void BtnEnregClick();
    // An image into drive slot `slot` (a drop on a row, a recent image, a
    // drop on the main window's screen): the size test and its message as
    // for an insert. True when inserted.
    bool InsereImage(int slot, const QString& chemin);

private:
    TPoste& FPoste;
    THoteQt& FHote;
    TGestionDisques& G;
    std::unique_ptr<IDialogue> FDialogue;

    void ConstruitListe();
    void ConstruitCatalogue();
    void ConstruitMenus();
    void MajRecentes();
    std::optional<QString> Choisit(const TDemandeChoix& d);
    std::optional<TFichierAImporter> DemandeValeurs(const QString& chemin, int64_t taille,
                                                    const TFichierAImporter& defauts);
    std::optional<TChoixNouvelleImage> ChoixNouvelle(const QString& chemin, const TChoixNouvelleImage& defauts);
    // Runs a command; a host input/output error is shown in a box.
    void Execute(const std::function<void()>& commande);
    friend class TDialogueGesDsq;
};
