// Helpers shared by zorv asm and zorv dasm: numbers on the command line and
// the guard against writing over an input file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Fichiers.h"

// A number as typed on the command line: 4096, 0x1000, 1000H, 0FFH, $1000.
std::optional<uint32_t> NombreCli(const std::string& texte);
