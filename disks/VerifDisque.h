// A full check of a disk's file system: walks the catalogue, every directory
// list and every file, and reports one line per fault found — links out of
// the disk or into sector 0, loops, sectors shared by two files or by a file
// and the catalogue, data past the header's next free sector, sectors below it
// that no entry reaches (orphans).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disks/Secteurs.h"

struct TVerification {
    std::vector<std::string> Defauts; // "Disque endommagé : …", in the order found
    int32_t Fichiers = 0, Repertoires = 0;
    bool Formate = false;
};

TVerification VerifieDisque(ISecteurs& secteurs);
