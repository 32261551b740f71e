// The interpreter reaches memory by several paths, chosen by the memory
// switch and the RAM limit (all RAM; ROM and video RAM under RAM; a page map;
// the record's own ReadMem/WriteMem). A run in slices takes the fastest that
// fits, a single step another: the same program run both ways must leave the
// same machine behind, whatever the switch, the model and the bank routing.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "MachineEssai.h"

namespace {

// Accesses on both sides of every overlay boundary (0FFF/1000, 1FFF/2000),
// words straddling them, the stack across them, ROM writes, the top of RAM.
const std::vector<uint8_t> Programme = {
    0x21, 0xFE, 0x1F,       // LXI H,1FFEH
    0x7E,                   // MOV A,M       (video RAM)
    0x23, 0x46,             // INX H ; MOV B,M
    0x23, 0x4E,             // INX H ; MOV C,M  (first RAM byte above the overlays)
    0x11, 0xFF, 0x0F,       // LXI D,0FFFH
    0x1A,                   // LDAX D        (last ROM byte)
    0x32, 0xFF, 0x1F,       // STA 1FFFH     (video RAM)
    0x32, 0x00, 0x20,       // STA 2000H
    0x32, 0x00, 0x01,       // STA 0100H     (ROM: refused with a message)
    0x31, 0x01, 0x20,       // LXI SP,2001H
    0xC5,                   // PUSH B        (2000H and 1FFFH)
    0xD1,                   // POP D
    0x3A, 0x00, 0xF0,       // LDA 0F000H
    0x32, 0xFF, 0xFF,       // STA 0FFFFH
    0x22, 0xFF, 0x1F,       // SHLD 1FFFH    (straddles the boundary)
    0x2A, 0xFF, 0x0F,       // LHLD 0FFFH    (ROM then video RAM)
    0x36, 0x5A,             // MVI M,5AH
    0x3C, 0x3C,             // INR A ; INR A
    0x76,                   // HLT
};

struct TEssaiChemin {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>(0x5A0E7u);
    TMachine& M = Poste->Machine();

    TEssaiChemin(uint8_t selMem, int32_t modele, bool routage) {
        M.InitMachine();
        M.ChoisitModele(modele);
        M.SelMem = selMem;
        for (size_t i = 0; i < M.RomBoot.size(); ++i) M.RomBoot[i] = uint8_t(i * 7 + 1);
        for (size_t i = 0; i < M.RamTv.size(); ++i) M.RamTv[i] = uint8_t(i * 3 + 2);
        for (size_t i = 0; i < M.ZorvMem.size(); ++i) M.ZorvMem[i] = uint8_t(i * 13 + 5);
        if (routage) {
            M.Rom128K[0x7E] = 0xFD; // MOV A,M reads bank 1
            M.Rom128K[0x32] = 0xF7; // STA writes bank 1
            M.Rom128K[0xC5] = 0xFB; // PUSH: the low byte into bank 1
            M.Rom128K[0x2A] = 0xEF; // LHLD: the high byte from bank 1
        }
        for (size_t i = 0; i < Programme.size(); ++i) M.ZorvMem[0x2800 + i] = Programme[i];
        M.RegPC = 0x2800; // below the smallest model's RAM limit (2FFFH)
    }
    auto Etat() const {
        return std::tuple(M.RegA, M.RegB, M.RegC, M.RegD, M.RegE, M.RegH, M.RegL, M.RegPSW, M.RegSP, M.RegPC,
                          M.EtatCPU, M.NbCycles);
    }
};

TEST(CheminsMemoire, SlicesAndSingleStepsLeaveTheSameMachine) {
    for (const uint8_t selMem : {0x00, 0x01, 0x80, 0x81}) {
        for (const int32_t modele : {0, 3, 4, 16}) {
            for (const bool routage : {false, true}) {
                SCOPED_TRACE(testing::Message() << "SelMem " << int(selMem) << ", modèle " << modele
                                                << (routage ? ", routage" : ""));
                TEssaiChemin tranche(selMem, modele, routage), pas(selMem, modele, routage);
                tranche.M.CommenceCourse();
                EXPECT_EQ(tranche.M.Execute(1000).Cause, TCauseArret::Halte);
                for (int i = 0; i < 1000 && pas.M.EtatCPU != CPUHalt; ++i) pas.M.ExecuteInstruction();
                ASSERT_EQ(pas.M.EtatCPU, CPUHalt);
                EXPECT_EQ(tranche.Etat(), pas.Etat());
                EXPECT_TRUE(tranche.M.ZorvMem == pas.M.ZorvMem);
                EXPECT_TRUE(tranche.M.RamTv == pas.M.RamTv);
                EXPECT_TRUE(tranche.M.RomBoot == pas.M.RomBoot);
                EXPECT_EQ(tranche.Poste->HoteVirtuel.Erreurs, pas.Poste->HoteVirtuel.Erreurs);
            }
        }
    }
}

// The usual running state: boot ROM and video RAM over the first 8 KB, RAM
// above; the overlays answer in both banks.
TEST(CheminsMemoire, OverlaysSeenFromASliceWithRamAbove) {
    TEssaiChemin e(0x01, 0, true);
    e.M.CommenceCourse();
    ASSERT_EQ(e.M.Execute(1000).Cause, TCauseArret::Halte);
    EXPECT_EQ(e.M.ZorvMem[0x12000], 0xFA); // STA 2000H in bank 1: the last boot ROM byte
    EXPECT_EQ(e.M.RomBoot[0x100], 0x01);   // unchanged
    const std::vector<std::string> attendu = {
        "Ecriture en ROM boot PC=2812, Adresse=0100, Donn\u00e9e=FA",
        // LHLD 0FFFH: L from the ROM, H from the video RAM (bank 1 asked)
        "Ecriture en ROM boot PC=2826, Adresse=02FA, Donn\u00e9e=5A",
    };
    EXPECT_EQ(e.Poste->HoteVirtuel.Erreurs, attendu);
}

} // namespace
