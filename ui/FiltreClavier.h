// The application-wide keyboard hook of the run loop: every key event of the
// program goes through the key-down rules, then (when none consumed it) the
// character rules with its text, dead keys composed first. Unmatched keys
// go on to their widget.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "devices/ToucheMorte.h"
#include "debugger/Inspection.h"
#include "devices/TraductionClavier.h"

class QKeyEvent;
class QInputMethodEvent;

class TFiltreClavier : public QObject {
    Q_OBJECT
public:
    explicit TFiltreClavier(TInspection porte, QObject* parent = nullptr);

    // Called after each key has gone through the rules (its entries, if any,
    // are then in the queue).
    std::function<void()> SurTraduction;

    TContexteClavier Contexte() const;

    // A key typed at the screen while the machine is paused: it goes through
    // the same rules (dead keys composed), and each message a rule takes is
    // handed to SurRetenue instead of the queue. True when one was taken.
    bool Retient(QObject* cible, QKeyEvent* e);
    std::function<void(const TMessageClavier&)> SurRetenue;

protected:
    bool eventFilter(QObject* cible, QEvent* e) override;

private:
    TInspection FPorte;
    const QEvent* FDernier = nullptr; // the key event already seen (window, then widget)
    TAccent FAccent = TAccent::Aucun; // dead key waiting for the next letter
    bool FRetenue = false;            // inside Retient

    bool ToucheEnfoncee(QObject* cible, QKeyEvent* e);
    bool Caracteres(const std::u16string& texte, bool shift, bool ctrl);
    std::u16string Compose(const std::u16string& texte);
    std::u16string AvecReplis(const std::u16string& texte) const;
    bool Traduit(const TMessageClavier& msg);
};
