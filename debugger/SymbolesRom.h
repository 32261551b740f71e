// The symbols that come with a ROM image: a file of the same base name with
// the extension ".sym" in the same folder (QBM71K.bin and QBM71K.sym), put
// into the debugger's list when the program starts.
#pragma once

#include <optional>
#include <string>

class TDebogueur;

// The symbol file beside `cheminRom`, or "" when there is none (".sym" or
// ".SYM").
std::string CheminSymbolesRom(const std::string& cheminRom);
// Its pairs appended to the debugger's list, the listing made again with
// them; the count, or nothing when there is no such file.
std::optional<int> ChargeSymbolesRom(TDebogueur& d, const std::string& cheminRom);
