// The host of the emulated machine in the window system: message boxes,
// one-shot timers of the main window, clock, posted messages, and the message
// pump of the run loop.
#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/Cadence.h"
#include "core/Hote.h"
#include "core/HorlogeMachine.h"
#include "debugger/Inspection.h"

class QWidget;
class TMainForm;

// A private message (0x400 and up, or the close request) posted to a window.
class TMessageZorv : public QEvent {
public:
    explicit TMessageZorv(const TMessage& message) : QEvent(Type()), Message(message) {}
    static QEvent::Type Type();
    const TMessage Message;
};

enum class TTypeBoite { Erreur, Information, Question };
// Shows a box (modal) — or, in tests, records it. For a question, the
// answer is true for Yes.
using TBoite = std::function<bool(TTypeBoite, const std::string&)>;

class THoteQt : public QObject, public IHote {
    Q_OBJECT
public:
    THoteQt(TInspection porte, TMainForm& fenetre, TBoite boite);

    void MessageErreur(const std::string& texte) override;
    void MessageInfo(const std::string& texte) override;
    void Repeint() override;
    void DemarreTimer(TTimer t, uint32_t ms) override;
    void ArreteTimer(TTimer t) override;
    bool TimerActif(TTimer t) const override;
    uint32_t TickCount() override;
    THeureLocale HeureLocale() override;
    void Dors(uint32_t ms) override;
    bool Question(const std::string& texte) override;
    void MessageStatut(const std::string& texte) override;
    using IHote::PosteMessage;
    void PosteMessage(const TMessage& msg) override;
    void RelacheMajMin() override;
    void CaptureClavier(bool active) override;
    uint32_t TrancheMax() override;
    void ApresTranche(uint32_t n) override;
    void ApresPas() override;
    // The machine's own time: the keyboard's timers, the printer's time-out
    // and the clock ports run on it, "Vitesse réelle" only paces it against
    // the host's clock. The screen's repaint throttle and the debugger's
    // step repeat, which the machine cannot see, stay on the host's clock.
    const THorlogeMachine& TempsMachine() const { return FTemps; }
    THorlogeMachine& TempsMachine() { return FTemps; }
    // The machine's count jumped (a state was loaded): "Vitesse réelle"
    // paces from the new count on instead of chasing or waiting out the jump.
    void RecaleCadence() { FCadence.Recale(); }
    // The clock ports start again from the host's local time now.
    void RecaleHeure();

    // A modal box is open: its own event loop runs. The run loop must not
    // start from there (it would never give the box back), so a run message
    // that arrives then waits until the last box is closed.
    bool BoiteOuverte() const { return FBoitesOuvertes > 0; }
    void DiffereLancement() { FLancementDiffere = true; }
    // So does a close request (the start-up's after a missing ROM image):
    // every box of the start-up shows, in order, before the window closes.
    void DiffereFermeture() { FFermetureDifferee = true; }
    // A modal window of the program runs `montre` (its own event loop): it
    // counts as an open box.
    bool Modale(const std::function<bool()>& montre);
    // The window a box opened now comes over.
    QWidget* ParentBoite() const;

    // "Vitesse réelle" paces the run loop to the clock frequency: after a
    // slice that got ahead of the host clock, the window system runs (keys,
    // timers, repaints) until the host has caught up, the host otherwise
    // idle. "Vitesse maximale" runs as fast as it can.
    void ChoisitVitesse(bool reelle, uint32_t kHz);
    bool VitesseReelle() const { return FVitesseReelle; }
    uint32_t HorlogeKHz() const { return FCadence.HorlogeKHz(); }
    uint64_t NbAttentes = 0;

    // Pumps are spaced by at least this many nanoseconds of host time.
    int64_t IntervallePompeNs = 1'000'000;
    uint64_t NbPompes = 0;

private:
    TInspection FPorte;
    TMainForm& FFenetre;
    TBoite FBoite;
    int FBoitesOuvertes = 0;
    bool FLancementDiffere = false;
    bool FFermetureDifferee = false;
    bool Boite(TTypeBoite type, const std::string& texte);
    QElapsedTimer FHorloge;
    int64_t FDernierePompe = 0;
    bool FVitesseReelle = false;
    TCadence FCadence;
    void Attend(int64_t ns);
    std::array<std::unique_ptr<QTimer>, NbTimers> FTimers; // those on the host's clock
    THorlogeMachine FTemps;
    bool FMessagePoste = false; // a message waits: the next boundary pumps
    static bool SurTempsMachine(TTimer t) { return t != tmEcran && t != tmPas; }
};
