#include "core/Messages.h"

TIdFenetre TDistributeurMessages::Abonne(TGestionnaire gestionnaire) {
    while (FAbonnes.count(FProchain) || FProchain == FenPrincipale) ++FProchain;
    const TIdFenetre id = FProchain++;
    FAbonnes[id] = std::move(gestionnaire);
    return id;
}

void TDistributeurMessages::AbonneFenetre(TIdFenetre fenetre, TGestionnaire gestionnaire) {
    FAbonnes[fenetre] = std::move(gestionnaire);
}

void TDistributeurMessages::Desabonne(TIdFenetre fenetre) { FAbonnes.erase(fenetre); }

bool TDistributeurMessages::Delivre(const TMessage& message) {
    const auto it = FAbonnes.find(message.Fenetre);
    if (it == FAbonnes.end()) return false;
    // A copy: the handler may unsubscribe its own window.
    const TGestionnaire gestionnaire = it->second;
    gestionnaire(message);
    return true;
}

size_t TFileMessages::Pompe(TDistributeurMessages& distributeur) {
    size_t n = FFile.size();
    const size_t traites = n;
    while (n-- > 0 && !FFile.empty()) {
        const TMessage m = FFile.front();
        FFile.pop_front();
        distributeur.Delivre(m);
    }
    return traites;
}
