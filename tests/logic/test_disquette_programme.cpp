// The floppy controller as the machine's software drives it: an 8085 program
// that sends a command frame through port 0xB9, polls port 0x99, and takes
// the sector in eight checked blocks.
#include <gtest/gtest.h>

#include "debugger/Assembleur.h"
#include "disks/Lecteurs.h"
#include "ImagesTemp.h"
#include "MachineEssai.h"

namespace {

const char* const ProgrammeLecture = R"(
        ORG 2000H
DEBUT:  LXI SP,8000H
        LXI H,CMD
        MVI B,8
        CALL ENVOIE
        CALL RECOIT         ; echo of the header checksum
        CALL RECOIT
        LXI H,MSG
        MVI B,4
        CALL ENVOIE
        CALL RECOIT         ; echo of the message checksum: the command runs
        LXI H,REPONSE
        MVI B,9
LIRE9:  CALL RECOIT
        MOV M,A
        INX H
        DCR B
        JNZ LIRE9
        XRA A
        OUT 0B9H            ; the two acknowledgements of the header
        OUT 0B9H
        LDA REPONSE+4
        ORA A
        JNZ FIN             ; error status: no data follows
        LXI H,3000H
        MVI C,8
BLOC:   MVI B,32
        MVI D,0             ; running checksum
OCTET:  CALL RECOIT
        MOV M,A
        XRA D
        MOV D,A
        INX H
        DCR B
        JNZ OCTET
        CALL RECOIT
        CMP D
        JZ BON
        LDA ERREURS
        INR A
        STA ERREURS
BON:    XRA A
        OUT 0B9H
        DCR C
        JNZ BLOC
FIN:    HLT
ENVOIE: MOV A,M
        OUT 0B9H
        INX H
        DCR B
        JNZ ENVOIE
        RET
RECOIT: IN 99H
        ANI 1
        JZ RECOIT
        IN 0B9H
        RET
CMD:    DB 0A5H,0,3,0,0,0CH,0,5EH
MSG:    DB SECT AND 0FFH, SECT SHR 8, LECT, 0C3H
ERREURS: DB 0
REPONSE: DS 9
)";

struct ProgrammeDisquette : TMachineEssai {
    TLecteurs lecteurs;
    TDossierTemp dossier;
    TResultatAsm r;

    void SetUp() override {
        TMachineEssai::SetUp();
        m->Lecteurs = &lecteurs;
    }
    void Lance(uint16_t secteur, uint8_t lecteur) {
        const std::string source = "SECT EQU " + std::to_string(secteur) + "\nLECT EQU " +
                                   std::to_string(lecteur) + "\n" + ProgrammeLecture;
        r = Assemble(source);
        ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        ASSERT_EQ(m->Execute(200000).Cause, TCauseArret::Halte);
    }
    std::vector<uint8_t> Reponse() const {
        const uint16_t a = r.Adresse("REPONSE");
        return {m->ZorvMem.begin() + a, m->ZorvMem.begin() + a + 9};
    }
};

TEST_F(ProgrammeDisquette, ReadsASectorThroughThePorts) {
    ASSERT_TRUE(lecteurs.InsereDisque(2, dossier.Image("d2.img", 788480), " ").empty());
    Lance(3, 0x12);
    EXPECT_EQ(Reponse(), (std::vector<uint8_t>{0xAA, 0xA5, 0x01, 0x00, 0x00, 0x00, 0x12, 0x00, 0x13}));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(m->ZorvMem[0x3000 + i], TDossierTemp::OctetMotif(3, i)) << "octet " << i;
    EXPECT_EQ(m->ZorvMem[r.Adresse("ERREURS")], 0);
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
}

TEST_F(ProgrammeDisquette, EmptyDriveAnswersWithStatus6A) {
    Lance(1, 0x5C);
    EXPECT_EQ(Reponse(), (std::vector<uint8_t>{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x5C, 0x04, 0x00, 0x32}));
    EXPECT_EQ(m->ZorvMem[0x3000], 0);
}

} // namespace
