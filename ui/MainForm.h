// The main window: toolbar, the machine's screen and the run loop. It owns
// the emulated machine.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "config/Parametres.h"
#include "core/Machine.h"
#include "disks/Lecteurs.h"
#include "ui/HoteQt.h"
#include "ui/Icones.h"

class QToolBar;
class QToolButton;
class TFiltreClavier;

// The drawing surface: opaque, never erased, drawn in one copy of the
// machine's bitmap.
class TMyPaintBox : public QWidget {
    Q_OBJECT
public:
    TMyPaintBox(TMachine& m, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TMachine& M;
};

struct TOptionsFenetre {
    std::string ProgDir;  // folder of the executable (settings, ROM images)
    TBoite Boite;         // message boxes; empty = real modal boxes
};

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(const TOptionsFenetre& options);
    ~TMainForm() override;

    TMachine& Machine() { return *FMachine; }
    TParametres& Parametres() { return FParametres; }
    THoteQt& Hote() { return *FHote; }
    TFiltreClavier& FiltreClavier() { return *FFiltre; }
    TLecteurs& Lecteurs() { return *FLecteurs; }
    TMyPaintBox* PaintBox1 = nullptr;

    QToolButton *TBDsq = nullptr, *TBKbd = nullptr, *TBRaz = nullptr, *TBInt = nullptr,
                *TBParams = nullptr, *TBPrSetup = nullptr, *TBPrint = nullptr, *TBCPU = nullptr,
                *TBInfo = nullptr, *TBExit = nullptr;

    // Renders the screen and shows it at once.
    void PaintBox1Paint();
    void AfficheEtatCPU(TEtatCPU etat);
    void RelacheMajMin();
    void CaptureClavier(bool active);
    bool ChargementReussi() const { return FChargementReussi; }

    void TBRazClick();
    void TBIntClick();
    void TBAboutClick();
    void TBCPUClick();
    void TBExitClick();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::unique_ptr<TMachine> FMachine;
    TParametres FParametres;
    std::unique_ptr<THoteQt> FHote;
    std::unique_ptr<TLecteurs> FLecteurs; // drive table, until the disk manager owns it
    TFiltreClavier* FFiltre = nullptr;
    QVector<QIcon> FImages;
    QToolBar* FBarre = nullptr;
    bool FChargementReussi = false;
    bool FRelanceEnAttente = false; // a run message came while the loop ran

    QToolButton* AjouteBouton(const QString& texte, int image);
    void ConstruitBarre();
    void Centre();
    void BoucleEmulation();
    void MonteImages();
};
