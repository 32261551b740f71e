// T-states of the interpreter, the virtual clock that follows them, and the
// pacing of "Vitesse réelle".
#include <gtest/gtest.h>

#include "MachineEssai.h"
#include "core/Cadence.h"
#include "core/Processeur.h"

namespace {

struct Etats : TMachineEssai {
    // Runs the program at 0x2000 up to its HLT; the T-states it took.
    uint64_t Cycles(std::initializer_list<uint8_t> octets) {
        Code(0x2000, octets);
        m->RegPC = 0x2000;
        m->RegSP = 0xF000;
        m->ChangeEtatCPU(CPURun);
        const uint64_t avant = m->NbCycles;
        EXPECT_EQ(m->Execute(1000).Cause, TCauseArret::Halte);
        return m->NbCycles - avant;
    }
};

TEST_F(Etats, DocumentedFiguresOfTheMainGroups) {
    // MVI A (7), MOV B,A (4), ADD M (7), INX H (6), DAD B (10), LXI H (10),
    // STA (13), LHLD (16), PUSH B (12), POP B (10), XTHL (16), HLT (5).
    EXPECT_EQ(Cycles({0x3E, 0x01, 0x47, 0x86, 0x23, 0x09, 0x21, 0x00, 0x40, 0x32, 0x00, 0x40, 0x2A, 0x00,
                      0x40, 0xC5, 0xC1, 0xE3, 0x76}),
              7u + 4 + 7 + 6 + 10 + 10 + 13 + 16 + 12 + 10 + 16 + 5);
    // MVI M (10), INR M (10), MOV M,A (7), OUT (10), IN (10), EI (4), DI (4), RIM (4).
    EXPECT_EQ(Cycles({0x21, 0x00, 0x40, 0x36, 0x05, 0x34, 0x77, 0xD3, 0xA5, 0xDB, 0xA5, 0xFB, 0xF3, 0x20, 0x76}),
              10u + 10 + 10 + 7 + 10 + 10 + 4 + 4 + 4 + 5);
}

TEST_F(Etats, ConditionalsCountTakenAndNotTaken) {
    // XRA A sets Z. JNZ not taken (7), JZ taken (10).
    EXPECT_EQ(Cycles({0xAF, 0xC2, 0x00, 0x00, 0xCA, 0x07, 0x20, 0x76}), 4u + 7 + 10 + 5);
    // CNZ not taken (9), CZ taken (18) to a RNZ not taken (6), RZ taken (12).
    EXPECT_EQ(Cycles({0xAF, 0xC4, 0x00, 0x00, 0xCC, 0x08, 0x20, 0x76, 0xC0, 0xC8}), 4u + 9 + 18 + 6 + 12 + 5);
    // CALL (18), RET (10), RST 1 (12) to a RET (10), PCHL (6), SPHL (6), JMP (10).
    Code(0x0008, {0xC9});
    m->SelMem = 0x81;
    EXPECT_EQ(Cycles({0xCD, 0x0A, 0x20, 0xCF, 0x21, 0x0E, 0x20, 0xE9, 0x76, 0x76, 0xC9, 0x76, 0x76, 0x76, 0x31,
                      0x00, 0xF0, 0xF9, 0xC3, 0x15, 0x20, 0x76}),
              18u + 10 + 12 + 10 + 10 + 6 + 10 + 6 + 10 + 5);
}

TEST_F(Etats, TableMatchesTheInterpreterForEveryOpcode) {
    // Each opcode stepped once from random power-on flags: conditionals add
    // their taken figure when their condition holds.
    for (int op = 0; op < 256; ++op) {
        m->InitMachine();
        m->SelMem = 0x81;
        m->RegPC = 0x4000;
        m->RegSP = 0xF000;
        Code(0x4000, {uint8_t(op), 0x00, 0x50});
        const uint64_t avant = m->NbCycles;
        m->ExecuteUnPas();
        const int cc = (op >> 3) & 7;
        const uint8_t f = m->RegPSW;
        const bool cond = cc == 0 ? !(f & 0x40) : cc == 1 ? (f & 0x40) : cc == 2 ? !(f & 1) : cc == 3 ? (f & 1)
                        : cc == 4 ? !(f & 4) : cc == 5 ? (f & 4) : cc == 6 ? !(f & 0x80) : (f & 0x80);
        const bool conditionnel = op >= 0xC0 && ((op & 7) == 0 || (op & 7) == 2 || (op & 7) == 4);
        const uint64_t attendu = EtatsInstruction[size_t(op)] + (conditionnel && cond ? EtatsSiPris[size_t(op)] : 0);
        EXPECT_EQ(m->NbCycles - avant, attendu) << "opcode " << op;
        EXPECT_GE(EtatsInstruction[size_t(op)], 4) << "opcode " << op;
        EXPECT_LE(attendu + EtatsInterruption, EtatsMaxParInstruction) << "opcode " << op;
    }
}

TEST_F(Etats, InterruptAcknowledgeCounts) {
    // EI then NOP with INT pressed: taken after EI, 12 T-states more.
    Code(0x002C, {0x76});
    m->SelMem = 0x81;
    m->TBIntClick();
    EXPECT_EQ(Cycles({0xFB, 0x00}), 4u + EtatsInterruption + 5);
    EXPECT_EQ(m->MemPC, 0x002C);
}

TEST_F(Etats, VirtualClockFollowsTheTStatesAtTheClockFrequency) {
    // 2000: JMP 2000 (10 T-states). At 1000 kHz, 10 µs each: the 1 ms timer
    // falls due at the hundredth.
    Code(0x2000, {0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    hote.HorlogeKHz = 1000;
    hote.DemarreTimer(tmClavier1, 1);
    const uint64_t t0 = hote.MaintenantUs;
    m->Execute(99);
    EXPECT_EQ(m->NbCarClav, 0);
    EXPECT_EQ(hote.MaintenantUs - t0, 990u);
    m->Execute(1);
    EXPECT_EQ(m->NbCarClav, 1);
    // At 3000 kHz, three JMPs are 10 µs: no fraction is lost over a long run.
    hote.HorlogeKHz = 3000;
    const uint64_t t1 = hote.MaintenantUs;
    m->Execute(300'000);
    EXPECT_EQ(hote.MaintenantUs - t1, 1'000'000u);
}

TEST(Cadence, WaitsUntilTheHostCatchesUpAndNeverChasesALongLag) {
    TCadence c;
    c.ChoisitHorloge(2000); // 500 ns per T-state
    EXPECT_EQ(c.Attente(1000, 5'000'000), 0);           // the reference
    EXPECT_EQ(c.Attente(1000 + 16000, 5'000'000), 8'000'000); // 8 ms ahead
    EXPECT_EQ(c.Attente(1000 + 16000, 11'000'000), 0);   // 2 ms ahead: left for later
    EXPECT_EQ(c.Attente(1000 + 16000, 14'000'000), 0);   // behind
    // Far behind (a box left open): the reference starts again.
    EXPECT_EQ(c.Attente(1000 + 16000, 500'000'000), 0);
    EXPECT_EQ(c.Attente(1000 + 16000 + 10000, 500'000'000), 5'000'000);
    // A long run does not overflow: 10^12 T-states at 1 kHz are 10^18 ns.
    c.ChoisitHorloge(1);
    c.Attente(0, 0);
    EXPECT_EQ(c.TempsEmuleNs(1'000'000'000'000ull), 1'000'000'000'000'000'000ll);
}

} // namespace
