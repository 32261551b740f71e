// Interpreter: flag rules against hand-computed values, bank routing of every
// memory cycle, wrap-around, undocumented opcodes, HLT.
#include <gtest/gtest.h>

#include <initializer_list>

#include "MachineEssai.h"

namespace {

constexpr uint8_t S = 0x80, Z = 0x40, AC = 0x10, P = 0x04, CY = 0x01, B1 = 0x02;

struct Processeur : TMachineEssai {
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RegPSW = B1;
        m->RegPC = 0x2000;
    }
    void Code(std::initializer_list<uint8_t> octets, uint16_t adr = 0x2000, uint8_t banque = 0) {
        TMachineEssai::Code(adr, octets, banque);
    }
    // Runs the one instruction at 0x2000 with the given A and flags.
    void Un(std::initializer_list<uint8_t> octets, uint8_t a, uint8_t psw) {
        Code(octets);
        m->RegPC = 0x2000;
        m->RegA = a;
        m->RegPSW = psw;
        m->ExecuteInstruction();
    }
};

TEST_F(Processeur, AdditionFlags) {
    Un({0xC6, 0x01}, 0x0F, B1); // ADI 1
    EXPECT_EQ(m->RegA, 0x10);
    EXPECT_EQ(m->RegPSW, AC | B1);
    Un({0xC6, 0x01}, 0xFF, B1);
    EXPECT_EQ(m->RegA, 0x00);
    EXPECT_EQ(m->RegPSW, Z | AC | P | CY | B1);
    Un({0xCE, 0x7F}, 0x00, CY | 0x28); // ACI 7FH with carry: bits 3 and 5 cleared
    EXPECT_EQ(m->RegA, 0x80);
    EXPECT_EQ(m->RegPSW, S | AC | B1);
    m->RegB = 0x70;
    Un({0x80}, 0x90, B1); // ADD B: 0x100
    EXPECT_EQ(m->RegA, 0x00);
    EXPECT_EQ(m->RegPSW, Z | P | CY | B1);
}

TEST_F(Processeur, SubtractionBorrowsFromBit4) {
    Un({0xD6, 0x01}, 0x10, B1); // SUI 1
    EXPECT_EQ(m->RegA, 0x0F);
    EXPECT_EQ(m->RegPSW, AC | P | B1);
    Un({0xD6, 0x02}, 0x01, B1); // 1 - 2
    EXPECT_EQ(m->RegA, 0xFF);
    EXPECT_EQ(m->RegPSW, S | AC | P | CY | B1);
    Un({0xD6, 0x11}, 0x33, B1); // no borrow anywhere
    EXPECT_EQ(m->RegA, 0x22);
    EXPECT_EQ(m->RegPSW, P | B1);
    Un({0xDE, 0x0F}, 0x1F, CY); // SBI 0FH with borrow: 0x1F - 0x10
    EXPECT_EQ(m->RegA, 0x0F);
    EXPECT_EQ(m->RegPSW, AC | P | B1);
    Un({0xDE, 0x00}, 0x00, CY); // 0 - 0 - 1
    EXPECT_EQ(m->RegA, 0xFF);
    EXPECT_EQ(m->RegPSW, S | AC | P | CY | B1);
    Un({0xFE, 0x40}, 0x40, CY); // CPI: equal, A kept
    EXPECT_EQ(m->RegA, 0x40);
    EXPECT_EQ(m->RegPSW, Z | P | B1);
    Un({0xFE, 0x41}, 0x40, 0);
    EXPECT_EQ(m->RegA, 0x40);
    EXPECT_EQ(m->RegPSW, S | AC | P | CY | B1);
}

TEST_F(Processeur, LogicalFlags) {
    Un({0xE6, 0x0F}, 0xF0, CY); // ANI: AC always set, CY cleared
    EXPECT_EQ(m->RegA, 0x00);
    EXPECT_EQ(m->RegPSW, Z | AC | P | B1);
    Un({0xEE, 0xFF}, 0x0F, CY | AC); // XRI
    EXPECT_EQ(m->RegA, 0xF0);
    EXPECT_EQ(m->RegPSW, S | P | B1);
    Un({0xF6, 0x01}, 0x02, CY | AC); // ORI
    EXPECT_EQ(m->RegA, 0x03);
    EXPECT_EQ(m->RegPSW, P | B1);
    Un({0x2F}, 0x5A, 0xFF); // CMA: no flag change
    EXPECT_EQ(m->RegA, 0xA5);
    EXPECT_EQ(m->RegPSW, 0xFF);
}

TEST_F(Processeur, IncrementDecrementRebuildFlagsKeepCarry) {
    m->RegB = 0xFF;
    Un({0x04}, 0, CY | S); // INR B
    EXPECT_EQ(m->RegB, 0x00);
    EXPECT_EQ(m->RegPSW, Z | AC | P | CY | B1);
    m->RegC = 0x10;
    Un({0x0D}, 0, Z | AC | 0x28); // DCR C: borrow from bit 4
    EXPECT_EQ(m->RegC, 0x0F);
    EXPECT_EQ(m->RegPSW, AC | P | B1);
    m->RegD = 0x01;
    Un({0x15}, 0, CY); // DCR D -> 0, no borrow from bit 4
    EXPECT_EQ(m->RegD, 0x00);
    EXPECT_EQ(m->RegPSW, Z | P | CY | B1);
    m->RegH = 0x30;
    m->RegL = 0x00;
    m->ZorvMem[0x3000] = 0x7F;
    Un({0x34}, 0, 0); // INR M
    EXPECT_EQ(m->ZorvMem[0x3000], 0x80);
    EXPECT_EQ(m->RegPSW, S | AC | B1);
}

TEST_F(Processeur, DecimalAdjust) {
    // 0x09 + 0x09 = 0x12 with AC: DAA gives 0x18, AC kept, flags of the add kept.
    Un({0xC6, 0x09}, 0x09, B1);
    ASSERT_EQ(m->RegA, 0x12);
    ASSERT_EQ(m->RegPSW, AC | P | B1);
    Un({0x27}, m->RegA, m->RegPSW);
    EXPECT_EQ(m->RegA, 0x18);
    EXPECT_EQ(m->RegPSW, AC | P | B1);
    // Low digit above 9 sets AC; high correction sets CY.
    Un({0x27}, 0x9A, B1);
    EXPECT_EQ(m->RegA, 0x00);
    EXPECT_EQ(m->RegPSW, AC | CY | B1);
    // AC and CY are never cleared by DAA; S Z P untouched.
    Un({0x27}, 0x22, AC | CY | Z);
    EXPECT_EQ(m->RegA, 0x88);
    EXPECT_EQ(m->RegPSW, AC | CY | Z);
    Un({0x27}, 0x45, S);
    EXPECT_EQ(m->RegA, 0x45);
    EXPECT_EQ(m->RegPSW, S);
}

TEST_F(Processeur, RotatesClearAuxCarryOnly) {
    Un({0x07}, 0x80, AC | Z | B1); // RLC
    EXPECT_EQ(m->RegA, 0x01);
    EXPECT_EQ(m->RegPSW, Z | CY | B1);
    Un({0x0F}, 0x01, AC); // RRC
    EXPECT_EQ(m->RegA, 0x80);
    EXPECT_EQ(m->RegPSW, CY);
    Un({0x17}, 0x40, CY | AC | S); // RAL
    EXPECT_EQ(m->RegA, 0x81);
    EXPECT_EQ(m->RegPSW, S);
    Un({0x1F}, 0x01, CY); // RAR
    EXPECT_EQ(m->RegA, 0x80);
    EXPECT_EQ(m->RegPSW, CY);
    Un({0x37}, 0, 0); // STC
    EXPECT_EQ(m->RegPSW, CY);
    Un({0x3F}, 0, CY | AC); // CMC
    EXPECT_EQ(m->RegPSW, AC);
}

TEST_F(Processeur, DoubleAddChangesCarryOnly) {
    m->RegH = 0x80; m->RegL = 0x01;
    m->RegB = 0x80; m->RegC = 0x02;
    Un({0x09}, 0, Z | S | B1); // DAD B
    EXPECT_EQ(m->RegH, 0x00);
    EXPECT_EQ(m->RegL, 0x03);
    EXPECT_EQ(m->RegPSW, Z | S | B1 | CY);
    m->RegSP = 0x0001;
    Un({0x39}, 0, CY); // DAD SP, no carry
    EXPECT_EQ(m->RegL, 0x04);
    EXPECT_EQ(m->RegPSW, 0);
}

TEST_F(Processeur, PopPswLoadsTheByteUnchanged) {
    m->RegSP = 0x4000;
    m->ZorvMem[0x4000] = 0xFF;
    m->ZorvMem[0x4001] = 0x12;
    Un({0xF1}, 0, B1);
    EXPECT_EQ(m->RegPSW, 0xFF);
    EXPECT_EQ(m->RegA, 0x12);
    EXPECT_EQ(m->RegSP, 0x4002);
}

TEST_F(Processeur, StaFollowsTheBankSelectByte) {
    m->Rom128K[0x32] = 0xF7; // cycle 4 in bank 1
    Code({0x32, 0x00, 0x30}); // STA 3000H in bank 0
    Code({0x32, 0x00, 0x40}, 0x2000, 1); // STA 4000H in bank 1
    m->RegA = 0x5A;
    m->ExecuteInstruction();
    EXPECT_EQ(m->ZorvMem[0x13000], 0x5A);
    EXPECT_EQ(m->ZorvMem[0x03000], 0x00);
    EXPECT_EQ(m->RegPC, 0x2003);
    // Bank-1 mode: fetch and operands from bank 1, the complemented byte
    // puts the store in bank 0.
    m->CodeJeuInst = 0xD0;
    m->RegPC = 0x2000;
    m->RegA = 0xA5;
    m->ExecuteInstruction();
    EXPECT_EQ(m->ZorvMem[0x04000], 0xA5);
    EXPECT_EQ(m->ZorvMem[0x14000], 0x00);
}

TEST_F(Processeur, InstructionSetTableOffset) {
    m->AdrBanque = 0x300;
    m->Rom128K[0x300 + 0x77] = 0xFD; // MOV M,A: cycle 2 in bank 1
    m->Rom128K[0x77] = 0xFF;
    m->RegH = 0x50; m->RegL = 0x00;
    Un({0x77}, 0x99, 0);
    EXPECT_EQ(m->ZorvMem[0x15000], 0x99);
    EXPECT_EQ(m->ZorvMem[0x05000], 0x00);
}

TEST_F(Processeur, CallPushesWithCycles4And5AndReadsWith2And3) {
    m->Rom128K[0xCD] = 0xE7; // bits 3 and 4 clear: pushes to bank 1
    Code({0xCD, 0x34, 0x12});
    m->RegSP = 0x8000;
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegPC, 0x1234);
    EXPECT_EQ(m->RegSP, 0x7FFE);
    EXPECT_EQ(m->ZorvMem[0x17FFF], 0x20);
    EXPECT_EQ(m->ZorvMem[0x17FFE], 0x03);
    EXPECT_EQ(m->ZorvMem[0x07FFF], 0x00);
    // Operands from bank 1 instead (bits 1 and 2 clear).
    m->Rom128K[0xCD] = 0xF9;
    Code({0xCD, 0x00, 0x00});
    Code({0xCD, 0x78, 0x56}, 0x2000, 1);
    m->RegPC = 0x2000;
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegPC, 0x5678);
    EXPECT_EQ(m->ZorvMem[0x07FFD], 0x20); // pushed in bank 0
}

TEST_F(Processeur, StackInstructionsBanks) {
    m->RegSP = 0x9000;
    m->RegB = 0x11; m->RegC = 0x22;
    m->Rom128K[0xC5] = 0xFB; // PUSH B: cycle 3 (low byte) in bank 1
    Un({0xC5}, 0, 0);
    EXPECT_EQ(m->ZorvMem[0x08FFF], 0x11);
    EXPECT_EQ(m->ZorvMem[0x18FFE], 0x22);
    m->Rom128K[0xD1] = 0xFB; // POP D: (SP) from bank 0, (SP+1) from bank 1
    m->ZorvMem[0x08FFE] = 0x33;
    m->ZorvMem[0x18FFF] = 0x44;
    Un({0xD1}, 0, 0);
    EXPECT_EQ(m->RegE, 0x33);
    EXPECT_EQ(m->RegD, 0x44);
    EXPECT_EQ(m->RegSP, 0x9000);
    m->Rom128K[0xC9] = 0xFD; // RET: low byte from bank 1
    m->ZorvMem[0x19000] = 0x10;
    m->ZorvMem[0x09001] = 0x30;
    Un({0xC9}, 0, 0);
    EXPECT_EQ(m->RegPC, 0x3010);
    EXPECT_EQ(m->RegSP, 0x9002);
}

TEST_F(Processeur, XthlLhldShldBanks) {
    m->RegSP = 0x6000;
    m->ZorvMem[0x06000] = 0xAA; // read in cycle 2, bank 0
    m->ZorvMem[0x16001] = 0xBB; // read in cycle 3, bank 1
    m->RegH = 0x12; m->RegL = 0x34;
    m->Rom128K[0xE3] = 0xEB; // cycles 3 and 5 in bank 1
    Un({0xE3}, 0, 0);
    EXPECT_EQ(m->RegL, 0xAA);
    EXPECT_EQ(m->RegH, 0xBB);
    EXPECT_EQ(m->ZorvMem[0x06000], 0x34); // L written in cycle 4, bank 0
    EXPECT_EQ(m->ZorvMem[0x16001], 0x12); // H written in cycle 5, bank 1
    m->Rom128K[0x22] = 0xEF; // SHLD: H (cycle 5) in bank 1
    Un({0x22, 0x00, 0x70}, 0, 0);
    EXPECT_EQ(m->ZorvMem[0x07000], 0xAA);
    EXPECT_EQ(m->ZorvMem[0x17001], 0xBB);
    m->Rom128K[0x2A] = 0xF7; // LHLD: L (cycle 4) from bank 1
    m->ZorvMem[0x17100] = 0x01;
    m->ZorvMem[0x07101] = 0x02;
    Un({0x2A, 0x00, 0x71}, 0, 0);
    EXPECT_EQ(m->RegL, 0x01);
    EXPECT_EQ(m->RegH, 0x02);
}

TEST_F(Processeur, MviMAndIncrementMemoryCycles) {
    m->RegH = 0x40; m->RegL = 0x00;
    m->Rom128K[0x36] = 0xFB; // MVI M: write in cycle 3, bank 1
    Un({0x36, 0x77}, 0, 0);
    EXPECT_EQ(m->ZorvMem[0x14000], 0x77);
    m->Rom128K[0x34] = 0xFB; // INR M: read bank 0, write bank 1
    m->ZorvMem[0x04000] = 0x09;
    Un({0x34}, 0, 0);
    EXPECT_EQ(m->ZorvMem[0x14000], 0x0A);
    EXPECT_EQ(m->ZorvMem[0x04000], 0x09);
}

TEST_F(Processeur, WrapAroundAtTheTopOfMemory) {
    m->SelMem = 0x81;
    m->RegPC = 0xFFFE;
    m->ZorvMem[0xFFFE] = 0xCD; // CALL with operands at FFFF and 0000
    m->ZorvMem[0xFFFF] = 0x34;
    m->ZorvMem[0x0000] = 0x12;
    m->RegSP = 0x8000;
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegPC, 0x1234);
    EXPECT_EQ(m->RegSP, 0x7FFE);
    EXPECT_EQ(m->ZorvMem[0x7FFF], 0x00); // return address 0x0001
    EXPECT_EQ(m->ZorvMem[0x7FFE], 0x01);
    // The pushes come first: with SP = 0001 they overwrite the operand
    // bytes at 0000 and FFFF before these are read.
    m->RegPC = 0xFFFE;
    m->RegSP = 0x0001;
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegSP, 0xFFFF);
    EXPECT_EQ(m->RegPC, 0x0001);
    m->RegH = 0xFF; m->RegL = 0xFF;
    m->RegPC = 0x2000;
    m->ZorvMem[0x2000] = 0x23; // INX H
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegH, 0x00);
    EXPECT_EQ(m->RegL, 0x00);
}

TEST_F(Processeur, UndocumentedOpcodesSkipBytes) {
    const std::pair<uint8_t, int> cas[] = {{0x08, 1}, {0x10, 1}, {0x18, 1}, {0xCB, 1}, {0xD9, 1},
                                           {0xED, 1}, {0x28, 2}, {0x38, 2}, {0xDD, 3}, {0xFD, 3}};
    for (auto [op, lg] : cas) {
        m->RegB = 1; m->RegSP = 0x5000;
        Un({op, 0x76, 0x76}, 0x42, 0xD7);
        EXPECT_EQ(m->RegPC, 0x2000 + lg) << std::hex << int(op);
        EXPECT_EQ(m->RegA, 0x42);
        EXPECT_EQ(m->RegPSW, 0xD7);
        EXPECT_EQ(m->RegSP, 0x5000);
        EXPECT_EQ(m->EtatCPU, CPURun);
    }
}

TEST_F(Processeur, HaltStaysOnItself) {
    Code({0x76});
    m->ExecuteInstruction();
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_EQ(m->PCPrec, 0x2000);
    m->ExecuteInstruction();
    EXPECT_EQ(m->RegPC, 0x2000);
}

TEST_F(Processeur, RimSimAndInterruptFlag) {
    Un({0x30}, 0xFF, 0); // SIM keeps the 3 low bits
    EXPECT_EQ(m->MaskINT, 7);
    Un({0x20}, 0x00, 0); // RIM
    EXPECT_EQ(m->RegA, 7);
    Un({0xFB}, 0, 0);
    EXPECT_TRUE(m->BasculeInt);
    Un({0xF3}, 0, 0);
    EXPECT_FALSE(m->BasculeInt);
}

TEST_F(Processeur, ConditionalsNotTakenMakeNoAccess) {
    m->Rom128K[0xC2] = 0x00; // every cycle in bank 1 if it were used
    Un({0xC2, 0x00, 0x30}, 0, Z); // JNZ not taken
    EXPECT_EQ(m->RegPC, 0x2003);
    m->RegSP = 0x7000;
    Un({0xDC, 0x00, 0x30}, 0, 0); // CC not taken
    EXPECT_EQ(m->RegPC, 0x2003);
    EXPECT_EQ(m->RegSP, 0x7000);
    Un({0xE8}, 0, 0); // RPE not taken
    EXPECT_EQ(m->RegPC, 0x2001);
    Un({0xFA, 0x00, 0x30}, 0, S); // JM taken
    EXPECT_EQ(m->RegPC, 0x3000);
    Un({0xE2, 0x00, 0x30}, 0, 0); // JPO taken (parity bit clear)
    EXPECT_EQ(m->RegPC, 0x3000);
}

TEST_F(Processeur, RestartPushesNextAddress) {
    m->RegSP = 0x8000;
    Un({0xEF}, 0, 0); // RST 5
    EXPECT_EQ(m->RegPC, 0x0028);
    EXPECT_EQ(m->ZorvMem[0x7FFF], 0x20);
    EXPECT_EQ(m->ZorvMem[0x7FFE], 0x01);
}

TEST_F(Processeur, RomWriteReportsTheWritingInstruction) {
    m->RegPC = 0x0100;
    m->RomBoot[0x100] = 0x77; // MOV M,A with HL in the ROM
    m->RegH = 0x00; m->RegL = 0x10;
    m->RegA = 0x3C;
    m->ExecuteInstruction();
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Ecriture en ROM boot PC=0100, Adresse=0010, Donn\u00e9e=3C");
    EXPECT_EQ(m->RegPC, 0x0101);
}

} // namespace
