// The filter box of the symbol dialog: which symbols its list keeps.
#pragma once

#include <string>

#include "debugger/Symboles.h"

// Kept: the filter (blanks around it ignored) is empty, is part of the name
// (letter case ignored), or begins the address's text ("20" keeps 2000H…).
bool SymboleRetenu(const TSymbole& s, const std::string& filtre);
