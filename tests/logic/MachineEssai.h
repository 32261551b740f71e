// A freshly initialised machine on the virtual clock, for the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "config/Poste.h"

// The workstation on the virtual clock, seeded with a fixed number.
struct TMachineEssai : ::testing::Test {
    std::unique_ptr<TPosteVirtuel> poste = std::make_unique<TPosteVirtuel>(0x5A0E7u);
    TMachine* m = &poste->Machine();
    THoteVirtuel& hote = poste->HoteVirtuel;
    void SetUp() override { m->InitMachine(); }
    // Bytes straight into the RAM of a bank.
    void Code(uint16_t adr, std::initializer_list<uint8_t> octets, uint8_t banque = 0) {
        for (uint8_t o : octets) m->ZorvMem[(uint32_t(banque) << 16) | adr++] = o;
    }
};
