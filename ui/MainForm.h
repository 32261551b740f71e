// The main window: toolbar, the machine's screen and the run loop. It owns
// the emulated machine.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <string>

#include "config/Poste.h"
#include "ui/HoteQt.h"
#include "ui/Icones.h"

class QLabel;
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

// The start-up runs once the message loop runs, over the shown window: the
// settings and ROM images (their error boxes), the images of the drives,
// then the run message.
class TMainForm : public QWidget, public IObservateurCPU {
    Q_OBJECT
public:
    explicit TMainForm(const TOptionsFenetre& options);
    ~TMainForm() override;

    TPoste& Poste() { return FPoste; }
    TMachine& Machine() { return FPoste.Machine(); }
    TParametres& Parametres() { return FPoste.Parametres; }
    THoteQt& Hote() { return *FHote; }
    TFiltreClavier& FiltreClavier() { return *FFiltre; }
    TLecteurs& Lecteurs() { return FPoste.Lecteurs; }
    TMyPaintBox* PaintBox1 = nullptr;

    QToolButton *TBDsq = nullptr, *TBKbd = nullptr, *TBRaz = nullptr, *TBInt = nullptr,
                *TBParams = nullptr, *TBPrSetup = nullptr, *TBPrint = nullptr, *TBCPU = nullptr,
                *TBInfo = nullptr, *TBExit = nullptr;
    // "Vitesse réelle" (checked) or "Vitesse maximale"; Alt+R.
    QToolButton* TBVitesse = nullptr;
    QLabel* LblVitesse = nullptr; // speed of the run loop, refreshed twice a second

    // Renders the screen and shows it at once.
    void PaintBox1Paint();
    void AfficheEtatCPU(TEtatCPU etat) override;
    void RelacheMajMin();
    void CaptureClavier(bool active);
    bool ChargementReussi() const { return FChargementReussi; }
    // The start-up has run (successfully or not).
    bool Demarree() const { return FDemarree; }

signals:
    // The window has been closed (its run loop is ending).
    void Fermee();

public:
    void TBRazClick();
    void TBIntClick();
    void TBAboutClick();
    void TBCPUClick();
    void TBExitClick();
    void TBVitesseClick(bool reelle);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TPoste FPoste;
    std::string FProgDir;
    std::unique_ptr<THoteQt> FHote;
    TFiltreClavier* FFiltre = nullptr;
    QVector<QIcon> FImages;
    QToolBar* FBarre = nullptr;
    bool FChargementReussi = false;
    bool FDemarree = false;

    uint64_t FInstructionsVues = 0, FCyclesVus = 0;
    int64_t FMesureNs = 0;
    QElapsedTimer FHorlogeVitesse;
    QToolButton* AjouteBouton(const QString& texte, int image);
    void ConstruitVitesse();
    void AfficheVitesse();
    void ConstruitBarre();
    void Centre();
    void Demarre();
    void MonteImages();
};
