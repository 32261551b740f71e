// A printer port receiver that keeps the raw bytes: for the command-line
// tool (written to a file at the end of its run) and the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Hote.h"

struct TMachine;

class TImprimanteBrute : public IPortImprimante {
public:
    explicit TImprimanteBrute(const TMachine& m) : M(m) {}
    std::vector<uint8_t> Octets; // every strobed byte, 0 included
    int NbFinsTravail = 0;
    void ImprimeCaractere() override;
    void FinTravail() override { ++NbFinsTravail; }

private:
    const TMachine& M;
};
