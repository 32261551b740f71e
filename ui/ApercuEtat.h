// The file dialogs of the saved states: "Charger l'état…" shows, beside the
// list of files, the thumbnail of the screen, the model, the date and the
// program that wrote the state under the cursor, or why it cannot be read.
#pragma once

#include <QString>
#include <QWidget>

#include <string>

class QFileDialog;
class QLabel;
struct TEtatComplet;

// The lines under the thumbnail: "Modèle : …", "Enregistré le : …" (local
// time) and "Programme : …".
QString TexteApercuEtat(const TEtatComplet& e);

class TApercuEtat : public QWidget {
    Q_OBJECT
public:
    explicit TApercuEtat(QWidget* parent);
    // Reads `chemin` and shows what it holds; false when it does not decode
    // (the reason is shown instead). An empty name or a folder clears it.
    bool Montre(const QString& chemin);

    QLabel* ImageVignette = nullptr;
    QLabel* LabelInfo = nullptr;
};

// Filter of the dialogs: "États EmulZorv (*.zetat)".
QString FiltreEtats();
// A dialog in `dossier`, not the desktop's own (the preview needs the
// widget one). To load: existing files and the preview, on the cursor as it
// moves; to save: the suffix added to a bare name and `nom` proposed.
QFileDialog* NouveauDialogueEtat(QWidget* parent, const QString& dossier, bool charger, const QString& nom = {});
