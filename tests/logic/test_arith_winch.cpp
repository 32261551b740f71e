// The Am9512 floating-point processor and the hard-disk handshake, through
// their ports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "MachineEssai.h"
#include "debugger/Assembleur.h"

namespace {

struct Peripheriques : TMachineEssai {
    // Eight data writes, least significant byte first.
    void Pousse(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i) m->PortOut(0xEF, uint8_t(bits >> (8 * i)));
    }
    double Tos() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= uint64_t(m->TosNos[size_t(8 + i)]) << (8 * i);
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    void Donnees(std::initializer_list<uint8_t> octets) {
        for (uint8_t o : octets) m->PortOut(0xA5, o);
    }
};

TEST_F(Peripheriques, SubtractionByProgramReadsBackMostSignificantFirst) {
    const TResultatAsm r = Assemble(R"(
            ORG  2000H
            LXI  H,OPER
            MVI  B,16
    POUSSE: MOV  A,M         ; 2.0 then 3.0, least significant byte first
            OUT  0EFH
            INX  H
            DCR  B
            JNZ  POUSSE
            MVI  A,2AH       ; NOS - TOS
            OUT  0FFH
            IN   0FFH
            MOV  C,A
            LXI  H,3000H
            MVI  B,8
    LIT:    IN   0EFH
            MOV  M,A
            INX  H
            DCR  B
            JNZ  LIT
            HLT
    OPER:   DB   0,0,0,0,0,0,0,40H
            DB   0,0,0,0,0,0,8,40H
    )");
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    ChargeEnRam(*m, r);
    m->RegPC = 0x2000;
    ASSERT_EQ(m->Execute(1000).Cause, TCauseArret::Halte);
    EXPECT_EQ(m->RegC, 0x20);
    const uint8_t attendu[8] = {0xBF, 0xF0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&m->ZorvMem[0x3000], attendu, 8), 0);
    EXPECT_EQ(Tos(), -1.0);
}

TEST_F(Peripheriques, DivisionByZeroKeepsOperands) {
    Pousse(7.5);
    Pousse(0.0);
    const auto avant = m->TosNos;
    m->PortOut(0xFF, 0x2C);
    EXPECT_EQ(m->PortIn(0xFF, 0), 0x48);
    EXPECT_EQ(m->TosNos, avant);
    // Not a number divides nothing either, and counts as zero and negative.
    Pousse(std::nan(""));
    m->PortOut(0xFF, 0x2C);
    EXPECT_EQ(m->Status9512, 0x68);
}

TEST_F(Peripheriques, CommandsOnTheTwoDeepStack) {
    Pousse(10.0);
    Pousse(4.0);
    m->PortOut(0xFF, 0x2C); // NOS / TOS
    EXPECT_EQ(Tos(), 2.5);
    EXPECT_EQ(m->Status9512, 0x00);
    m->PortOut(0xFF, 0x2E); // duplicate
    m->PortOut(0xFF, 0x29); // add
    EXPECT_EQ(Tos(), 5.0);
    m->PortOut(0xFF, 0x2D); // negate
    EXPECT_EQ(Tos(), -5.0);
    EXPECT_EQ(m->Status9512, 0x20);
    Pousse(3.0);            // NOS = -5, TOS = 3
    m->PortOut(0xFF, 0x2F); // exchange
    EXPECT_EQ(Tos(), -5.0);
    m->PortOut(0xFF, 0x2B); // multiply
    EXPECT_EQ(Tos(), -15.0);
    m->Status9512 = 0x08;
    m->PortOut(0xFF, 0x00); // unknown: status from TOS alone
    EXPECT_EQ(m->Status9512, 0x20);
    Pousse(-0.0);
    m->PortOut(0xFF, 0x00);
    EXPECT_EQ(m->Status9512, 0x40); // negative zero is zero, not negative
}

TEST_F(Peripheriques, DataReadsCycleOverTheTopAndWritesShiftBytes) {
    for (size_t i = 0; i < 16; ++i) m->TosNos[i] = uint8_t(0xA0 + i);
    std::vector<uint8_t> lus;
    for (int i = 0; i < 11; ++i) lus.push_back(m->PortIn(0xEF, 0));
    EXPECT_EQ(lus, (std::vector<uint8_t>{0xAF, 0xAE, 0xAD, 0xAC, 0xAB, 0xAA, 0xA9, 0xA8, 0xAF, 0xAE, 0xAD}));
    EXPECT_EQ(m->IndTos9512, 12);
    m->PortOut(0xEF, 0x11);
    m->PortOut(0xEF, 0x22);
    EXPECT_EQ(m->TosNos[0], 0xA2);
    EXPECT_EQ(m->TosNos[7], 0xA9);  // a byte of the old TOS is now in NOS
    EXPECT_EQ(m->TosNos[14], 0x11);
    EXPECT_EQ(m->TosNos[15], 0x22);
    EXPECT_EQ(m->IndTos9512, 12); // writes leave the read index alone
    m->IndTos9512 = 200;          // a wild index set from the debugger stays in bounds
    m->PortIn(0xEF, 0);
    EXPECT_LE(m->IndTos9512, 15);
    EXPECT_GE(m->IndTos9512, 8);
}

TEST_F(Peripheriques, ResetClearsTheArithmeticProcessor) {
    Pousse(1.0);
    m->PortIn(0xEF, 0);
    m->TBRazClick();
    EXPECT_EQ(m->TosNos, (std::array<uint8_t, 16>{}));
    EXPECT_EQ(m->IndTos9512, 15);
    EXPECT_EQ(m->PortIn(0xFF, 0), 0x40);
}

TEST_F(Peripheriques, HardDiskSelectOneAndStatusBit) {
    Donnees({1});
    m->PortOut(0x85, 0x81);
    EXPECT_EQ(m->PortIn(0x85, 0), 0x01);
    EXPECT_EQ(m->EtatCtrlWin, ewSelect);
    EXPECT_EQ(m->PortIn(0xA5, 0x5C), 0x5C);
    m->PortOut(0xC5, 0x12);
    m->PortOut(0xE5, 0x34);
    EXPECT_EQ(m->AddrDMAWinch, 0x1234);
}

TEST_F(Peripheriques, HardDiskParameterPhaseOpensOncePerReset) {
    m->PortOut(0x85, 0x80);
    EXPECT_EQ(m->EtatCtrlWin, ewCommande);
    EXPECT_EQ(m->StatusWinch, 0x80);
    Donnees({0x0C, 1, 2, 3, 4});
    m->PortOut(0x85, 0x80); // ignored: the count is not restarted
    Donnees({5});
    EXPECT_EQ(m->EtatCtrlWin, ewParams);
    EXPECT_EQ(m->CptDataWinch, 8);
    Donnees({10, 11, 12, 13, 14, 15, 16, 17});
    EXPECT_EQ(m->EtatCtrlWin, ewParams);
    EXPECT_EQ(m->CptDataWinch, 0);
    EXPECT_EQ(m->DataWinch[0], 10);
    EXPECT_EQ(m->DataWinch[7], 17);
    // A new command block does not open the phase again…
    m->PortOut(0x85, 0x00);
    m->PortOut(0x85, 0x80);
    Donnees({0x0E, 0, 0, 0, 0, 0});
    EXPECT_EQ(m->EtatCtrlWin, ewCommande);
    EXPECT_EQ(m->IndCmdWinch, 6);
    // … until a reset.
    m->TBRazClick();
    m->PortOut(0x85, 0x80);
    Donnees({0x0E, 0, 0, 0, 0, 0});
    EXPECT_EQ(m->EtatCtrlWin, ewParams);
    EXPECT_EQ(m->CptDataWinch, 3);
}

TEST_F(Peripheriques, HardDiskBytesPastTheBuffersAreDropped) {
    m->PortOut(0x85, 0x80);
    Donnees({0x05, 1, 2, 3, 4, 5});
    EXPECT_EQ(m->EtatCtrlWin, ewCommande);
    EXPECT_EQ(m->CptDataWinch, 0);
    for (int i = 0; i < 40; ++i) m->PortOut(0xA5, 0xEE);
    EXPECT_EQ(m->CmdWinch, (std::array<uint8_t, 6>{0x05, 1, 2, 3, 4, 5}));
    EXPECT_EQ(m->DataWinch[0], 0); // nothing spilled into the next buffer
    m->TBRazClick();
    m->PortOut(0x85, 0x80);
    Donnees({0x0C, 0, 0, 0, 0, 0});
    for (int i = 0; i < 1000; ++i) m->PortOut(0xA5, uint8_t(i));
    EXPECT_EQ(m->DataWinch[255], 255);
    EXPECT_EQ(m->IndDataWinch, 256);
    EXPECT_EQ(m->EtatCtrlWin, ewParams);
}

} // namespace
