#include "core/ImprimanteBrute.h"

#include "core/Machine.h"

void TImprimanteBrute::ImprimeCaractere() { Octets.push_back(M.CarImpr); }
