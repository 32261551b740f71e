// Delivery of posted messages to their windows. Each window (the main
// window, the debugger windows) subscribes with a handler; the host queues
// what is posted and hands it here at its next message pump, so a message is
// always handled between two instructions, after the handler that posted it
// has returned.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "core/Hote.h"

class TDistributeurMessages {
public:
    using TGestionnaire = std::function<void(const TMessage&)>;

    // A new window number (never FenPrincipale) and its handler.
    TIdFenetre Abonne(TGestionnaire gestionnaire);
    // The handler of a known window number (FenPrincipale for the main window).
    void AbonneFenetre(TIdFenetre fenetre, TGestionnaire gestionnaire);
    void Desabonne(TIdFenetre fenetre);
    bool EstAbonne(TIdFenetre fenetre) const { return FAbonnes.count(fenetre) != 0; }

    // Hands the message to its window; false when nobody has that number
    // (a closed window: the message is dropped, as the system does).
    bool Delivre(const TMessage& message);

private:
    std::map<TIdFenetre, TGestionnaire> FAbonnes;
    TIdFenetre FProchain = 1;
};

// The queue of a host without a window system: what is posted waits here
// until Pompe delivers it.
class TFileMessages {
public:
    void Poste(const TMessage& message) { FFile.push_back(message); }
    // Delivers the messages queued before the call, in order; those posted
    // by their handlers wait for the next pump. Returns how many were handled.
    size_t Pompe(TDistributeurMessages& distributeur);
    size_t Taille() const { return FFile.size(); }
    bool Vide() const { return FFile.empty(); }

private:
    std::deque<TMessage> FFile;
};
