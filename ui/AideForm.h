// The help window: the user manual (docs/manuel/, in the program as a
// resource) with its contents list, a search box and, one click away, the
// "Clavier" key table.
#pragma once

#include <QDialog>

#include <functional>

#include "config/Manuel.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

class TAideForm : public QDialog {
    Q_OBJECT
public:
    explicit TAideForm(QWidget* parent);

    void Montre();
    // Shows a chapter at one of its headings (its rank in the chapter's
    // headings; -1: its top).
    void OuvreChapitre(int chapitre, int titre = -1);
    // Fills the list of the sections holding every word of `requete`.
    void Cherche(const QString& requete);
    // What BtnClavier (and F1 here) opens; the button is enabled from then on.
    void ChoisitClavier(std::function<void()> montre);

    const TManuel& Manuel() const { return FManuel; }
    int Chapitre() const { return FChapitre; }

    QLineEdit* EditRecherche = nullptr;
    QTreeWidget* LVSommaire = nullptr;
    QListWidget* LVResultats = nullptr;
    QLabel* LabelResultats = nullptr;
    QTextBrowser* Texte = nullptr;
    QPushButton* BtnClavier = nullptr;

private:
    TManuel FManuel;
    std::vector<TTrouvaille> FTrouvailles;
    int FChapitre = -1;
    std::function<void()> FClavier;
    void ChargeManuel();
    void RemplitSommaire();
    void SuitSource(const QUrl& url);
    void VaAuTitre(int titre);
    void MontreTrouvaille(int ligne);
};
