// The status bar under the screen: the machine model, the run state, the
// speed, one light per drive and the last host message. It takes its texts
// from hooks: the host's MessageStatut, the run-state observer, the speed
// setter, and the drive-light tracker of the workstation.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "config/VoyantsLecteurs.h"
#include "core/Hote.h"

class QLabel;
class TActiviteLecteurs;
class IHote;

class TBarreEtat : public QWidget, public IObservateurCPU {
    Q_OBJECT
public:
    TBarreEtat(TActiviteLecteurs& activite, QWidget* parent);

    // The clock the lights are timed with (the host's tick count).
    IHote* Horloge = nullptr;
    // Whether slot 1…6 holds a disk (a dim light at rest).
    std::function<bool(int)> DisqueDans;

    void AfficheModele(const std::string& libelle);
    void AfficheEtatCPU(TEtatCPU etat) override;
    // The speed figure, as its owner formats it ("2,0 MHz", "×12"…); empty hides it.
    void AfficheVitesse(const std::string& texte);
    // The last message of the host (screenshot saved, print job sent…).
    void AfficheMessage(const std::string& texte);
    // A red dot while a session is recorded, a play sign while one is replayed.
    enum class TVoyantSession { Aucune, Enregistrement, Relecture };
    void AfficheSession(TVoyantSession s);
    QLabel* LabelSession = nullptr;

    QLabel* LabelModele = nullptr;
    QLabel* LabelEtat = nullptr;
    QLabel* LabelVitesse = nullptr;
    QLabel* LabelMessage = nullptr;
    std::array<QLabel*, 6> LabelLecteurs{};

    // Whether the light of slot 1…6 is shown on (reading or writing), and
    // how it looks.
    bool LumiereAllumee(int slot) const;
    TAspectVoyant Aspect(int slot) const { return FVoyants.Aspect(slot); }
    // Brings the lights up to date now.
    void MajLumieres();

private:
    TActiviteLecteurs& FActivite;
    QTimer FMinuterie;
    TVoyantsLecteurs FVoyants;
    std::array<const char*, 6> FStyles{};
};
