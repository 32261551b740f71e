#include "core/ImprimanteBrute.h"

#include "core/Machine.h"

void TImprimanteBrute::ImprimeCaractere() {
    if (!Fichier)
        Octets.push_back(M.CarImpr);
    else if (M.CarImpr != 0)
        std::fputc(M.CarImpr, Fichier);
}
