// ROM images and model list as the start-up needs them: the character
// generator, the boot ROM and the bank-decode PROM, each size-tested.
#pragma once

#include <string>
#include <vector>

struct TMachine;

namespace RomsDemarrage {

// The stored model names, split at the commas of one list text.
std::vector<std::string> ListeModeles();

// Each loader reports a missing or oversized file through the machine's host
// ("Le fichier <nom> est absent" / "… est trop volumineux") and then returns
// false: the caller asks the main window to close.
bool ChargeGenCar(TMachine& m, const std::string& fichier);
bool ChargeRomBoot(TMachine& m, const std::string& fichier);
bool ChargeRom128K(TMachine& m, const std::string& fichier);

} // namespace RomsDemarrage
