#include "ui/HoteQt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>

#include "config/Demarrage.h"
#include "ui/MainForm.h"

QEvent::Type TMessageZorv::Type() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

THoteQt::THoteQt(TInspection porte, TMainForm& fenetre, TBoite boite)
    : FPorte(porte), FFenetre(fenetre), FBoite(std::move(boite)) {
    FHorloge.start();
    RecaleHeure();
    for (int t = 0; t < NbTimers; ++t) {
        auto& timer = FTimers[size_t(t)];
        timer = std::make_unique<QTimer>(this);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer.get(), &QTimer::timeout, this, [this, t] { FPorte.ExpireTimer(TTimer(t)); });
    }
    if (!FBoite) {
        FBoite = [this](TTypeBoite type, const std::string& texte) {
            const QString t = QString::fromStdString(texte);
            const QString titre = QStringLiteral("EmulZorv");
            QWidget* parent = ParentBoite();
            switch (type) {
            case TTypeBoite::Erreur: QMessageBox::critical(parent, titre, t); return true;
            case TTypeBoite::Information: QMessageBox::information(parent, titre, t); return true;
            case TTypeBoite::Question:
                return QMessageBox::question(parent, titre, t, QMessageBox::Yes | QMessageBox::No) ==
                       QMessageBox::Yes;
            }
            return false;
        };
    }
}

// A box comes over the window the user is working in: the modal dialog that
// runs (the disk manager, a debugger dialog), else the active window, else
// the main window.
QWidget* THoteQt::ParentBoite() const {
    if (QWidget* modale = QApplication::activeModalWidget(); modale && modale->isVisible()) return modale;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
    return &FFenetre;
}

bool THoteQt::Boite(TTypeBoite type, const std::string& texte) {
    return Modale([&] { return FBoite(type, texte); });
}

bool THoteQt::Modale(const std::function<bool()>& montre) {
    ++FBoitesOuvertes;
    const bool reponse = montre();
    if (--FBoitesOuvertes == 0 && FLancementDiffere) {
        FLancementDiffere = false;
        PosteMessage(MsgLanceEmulation);
    }
    if (FBoitesOuvertes == 0 && FFermetureDifferee) {
        FFermetureDifferee = false;
        PosteMessage(MsgFermeture);
    }
    return reponse;
}

void THoteQt::MessageErreur(const std::string& texte) { Boite(TTypeBoite::Erreur, texte); }

void THoteQt::MessageInfo(const std::string& texte) { Boite(TTypeBoite::Information, texte); }

bool THoteQt::Question(const std::string& texte) { return Boite(TTypeBoite::Question, texte); }

void THoteQt::MessageStatut(const std::string& texte) { FFenetre.AfficheStatut(texte); }

void THoteQt::Repeint() { FFenetre.PaintBox1Paint(); }

void THoteQt::DemarreTimer(TTimer t, uint32_t ms) {
    if (!SurTempsMachine(t)) {
        FTimers[t]->start(int(ms));
        return;
    }
    FPorte.SynchroniseHorloge(FTemps);
    FTemps.DemarreMinuterie(t, ms);
    FPorte.FinitTranche(); // the slice under way ends in time for it
}

void THoteQt::ArreteTimer(TTimer t) {
    if (SurTempsMachine(t))
        FTemps.ArreteMinuterie(t);
    else
        FTimers[t]->stop();
}

bool THoteQt::TimerActif(TTimer t) const {
    return SurTempsMachine(t) ? FTemps.MinuterieActive(t) : FTimers[t]->isActive();
}

uint32_t THoteQt::TickCount() { return uint32_t(FHorloge.elapsed()); }

// The host's local date and time now.
THeureLocale HeureSysteme() {
    const QDateTime maintenant = QDateTime::currentDateTime();
    const QDate d = maintenant.date();
    const QTime t = maintenant.time();
    return {d.year(), d.month(), d.day(), d.dayOfWeek() % 7, t.hour(), t.minute(), t.second(), t.msec()};
}

// The clock ports read the local time of the start moved on by the
// machine's own time: at "Vitesse maximale" the machine's clock runs as
// fast as the machine does, and a replayed session reads the same hours.
THeureLocale THoteQt::HeureLocale() {
    FPorte.SynchroniseHorloge(FTemps);
    return FTemps.HeureLocale();
}

void THoteQt::RecaleHeure() {
    FTemps.Origine = HeureSysteme();
    FTemps.OrigineUs = FTemps.MaintenantUs;
}

// Inside an instruction (the graphics clear): the machine's time moves on;
// the host waits as long only at the real machine's pace.
void THoteQt::Dors(uint32_t ms) {
    FPorte.SynchroniseHorloge(FTemps);
    FTemps.Ajoute(uint64_t(ms) * 1000);
    FPorte.FinitTranche();
    if (FVitesseReelle) QThread::msleep(ms);
}

void THoteQt::PosteMessage(const TMessage& msg) {
    QCoreApplication::postEvent(&FFenetre, new TMessageZorv(msg));
    FMessagePoste = true;
    FPorte.FinitTranche(); // handled at the next instruction boundary
}

void THoteQt::RelacheMajMin() { FFenetre.RelacheMajMin(); }

void THoteQt::CaptureClavier(bool active) { FFenetre.CaptureClavier(active); }

// The run loop hands over every slice; the window system gets its turn when
// about a millisecond has passed, so every handler still runs between two
// instructions.
uint32_t THoteQt::TrancheMax() {
    FPorte.SynchroniseHorloge(FTemps);
    return FTemps.Marge(512);
}

void THoteQt::ApresPas() {
    FPorte.SynchroniseHorloge(FTemps);
    FPorte.DeclencheHorloge(FTemps);
}

void THoteQt::ApresTranche(uint32_t) {
    // The machine's timers first: they belong to this boundary.
    ApresPas();
    if (FMessagePoste) {
        FMessagePoste = false;
        FDernierePompe = FHorloge.nsecsElapsed();
        ++NbPompes;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (FVitesseReelle) {
        const int64_t attente = FCadence.Attente(FPorte.Cycles(), FHorloge.nsecsElapsed());
        if (attente > 0) {
            Attend(attente);
            return;
        }
    }
    const int64_t maintenant = FHorloge.nsecsElapsed();
    if (maintenant - FDernierePompe < IntervallePompeNs) return;
    FDernierePompe = maintenant;
    ++NbPompes;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void THoteQt::ChoisitVitesse(bool reelle, uint32_t kHz) {
    FVitesseReelle = reelle;
    FCadence.ChoisitHorloge(kHz);
    FPorte.SynchroniseHorloge(FTemps); // the time so far at the former frequency
    FTemps.HorlogeKHz = kHz;
}

// The window system's own loop until the host clock has caught up: events
// are handled as they come, the host sleeps in between.
void THoteQt::Attend(int64_t ns) {
    ++NbAttentes;
    QEventLoop boucle;
    QTimer::singleShot(int(ns / 1'000'000), Qt::PreciseTimer, &boucle, &QEventLoop::quit);
    boucle.exec();
    FDernierePompe = FHorloge.nsecsElapsed();
    ++NbPompes;
}
