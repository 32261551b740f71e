// A printer port receiver that keeps the raw bytes: for the command-line
// tool (written to a file) and the tests. Byte 0 is never printed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/Hote.h"

struct TMachine;

class TImprimanteBrute : public IPortImprimante {
public:
    explicit TImprimanteBrute(const TMachine& m) : M(m) {}
    std::vector<uint8_t> Octets; // every strobed byte, 0 included (without Fichier)
    FILE* Fichier = nullptr;     // when set, non-zero bytes go there instead
    int NbFinsTravail = 0;
    void ImprimeCaractere() override;
    void FinTravail() override { ++NbFinsTravail; }

private:
    const TMachine& M;
};
