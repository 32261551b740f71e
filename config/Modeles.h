// The seventeen models of the family: names stored in the settings file,
// captions of the settings dialog. The position in the list is `Machine`.
#pragma once

#include <string>
#include <vector>

// The list text the model names are split from (the tenth name is
// "T9-36T9-32" as the settings files of the machine have always stored it).
extern const char* const TexteModeles;

constexpr int NbModeles = 17;

// The 17 stored names, in `Machine` order.
std::vector<std::string> ListeModeles();

// Position of a stored name (compared without regard to case), or -1.
int IndiceModele(const std::string& nom);

// Caption of the settings dialog: "T7E - 128 k-octets" … "T9 - 4 k-octets".
std::string LibelleModele(int machine);
