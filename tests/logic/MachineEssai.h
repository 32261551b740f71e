// A freshly initialised machine on the virtual clock, for the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"

struct TMachineEssai : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    THoteVirtuel hote{m.get()};
    void SetUp() override {
        m->Hote = &hote;
        m->InitMachine();
    }
    // Bytes straight into the RAM of a bank.
    void Code(uint16_t adr, std::initializer_list<uint8_t> octets, uint8_t banque = 0) {
        for (uint8_t o : octets) m->ZorvMem[(uint32_t(banque) << 16) | adr++] = o;
    }
};
