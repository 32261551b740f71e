#include <gtest/gtest.h>

#include <memory>

#include "DossierProgramme.h"
#include "config/Demarrage.h"
#include "config/Parametres.h"
#include "config/ChargeRoms.h"
#include "core/HoteVirtuel.h"
#include "core/Machine.h"

namespace {

struct Demarre : ::testing::Test {
    TDossierProgramme dossier;
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    THoteVirtuel hote{m.get()};
    TParametres p;
    void SetUp() override { m->Hote = &hote; }
    void RomsCompletes() {
        dossier.EcritOctets("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        dossier.EcritOctets("QBM71K.bin", {0xC3, 0x00, 0x00});
        std::vector<uint8_t> prom(4096);
        for (size_t i = 0; i < prom.size(); ++i) prom[i] = uint8_t(i < 2048 ? 0x11 : i * 7);
        dossier.EcritOctets("T318-C.bin", prom);
    }
};

TEST_F(Demarre, CompleteStartPostsTheRunMessageOnly) {
    RomsCompletes();
    m->Hote = &hote;
    hote.MaintenantUs = 7'000'000;
    EXPECT_TRUE(Demarrage(*m, p, dossier.Chemin.string()));
    EXPECT_EQ(p.ProgDir, dossier.Dir());
    EXPECT_TRUE(hote.Erreurs.empty());
    EXPECT_EQ(hote.NumerosPostes(), std::vector<uint32_t>{MsgLanceEmulation});
    EXPECT_EQ(m->InitCount, 7000u);
    EXPECT_EQ(m->RomBoot[0], 0xC3);
    EXPECT_EQ(m->RomBoot[3], 0x00); // beyond the file: left at 0
    for (size_t i = 0; i < 2048; ++i) { // a 4 KB PROM: its upper half twice
        ASSERT_EQ(m->Rom128K[i], uint8_t((2048 + i) * 7)) << i;
        ASSERT_EQ(m->Rom128K[2048 + i], uint8_t((2048 + i) * 7)) << i;
    }
    EXPECT_FALSE(m->CaptureClav);
    EXPECT_EQ(m->Machines.size(), 17u);
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin / "EmulZorv.ini"));
}

TEST_F(Demarre, MissingImagesAreEachReportedThenTheWindowCloses) {
    EXPECT_FALSE(Demarrage(*m, p, dossier.Chemin.string()));
    ASSERT_EQ(hote.Erreurs.size(), 3u);
    EXPECT_EQ(hote.Erreurs[0], "Le fichier " + dossier.Dir() + "G-CAR-T9.bin est absent");
    EXPECT_EQ(hote.Erreurs[1], "Le fichier " + dossier.Dir() + "QBM71K.bin est absent");
    EXPECT_EQ(hote.Erreurs[2], "Le fichier " + dossier.Dir() + "T318-C.bin est absent");
    // Close requests come before the run message.
    EXPECT_EQ(hote.NumerosPostes(), (std::vector<uint32_t>{MsgFermeture, MsgFermeture, MsgFermeture, MsgLanceEmulation}));
}

TEST_F(Demarre, OversizedBootRom) {
    RomsCompletes();
    dossier.EcritOctets("QBM71K.bin", std::vector<uint8_t>(4097, 0x76));
    EXPECT_FALSE(Demarrage(*m, p, dossier.Chemin.string()));
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Le fichier " + dossier.Dir() + "QBM71K.bin est trop volumineux");
    EXPECT_EQ(m->RomBoot[0], 0x00); // nothing read
    EXPECT_EQ(hote.NumerosPostes().front(), MsgFermeture);
}

TEST_F(Demarre, OversizedCharacterGeneratorReadsNothing) {
    RomsCompletes();
    std::vector<uint8_t> grosse(5000, 0xFF);
    dossier.EcritOctets("G-CAR-T9.bin", grosse);
    EXPECT_FALSE(Demarrage(*m, p, dossier.Chemin.string()));
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Le fichier " + dossier.Dir() + "G-CAR-T9.bin est trop volumineux");
    EXPECT_EQ(m->Fonte80[1][0], 0);
}

TEST_F(Demarre, SmallModelsStartWithoutProm) {
    // A 16 KB model starts without PROM and without a message.
    RomsCompletes();
    std::filesystem::remove(dossier.Chemin / "T318-C.bin");
    dossier.Ecrit("EmulZorv.ini", "[Machine]\nMachine=T9-16\n");
    EXPECT_TRUE(Demarrage(*m, p, dossier.Chemin.string()));
    EXPECT_TRUE(hote.Erreurs.empty());
    EXPECT_EQ(m->MaxAdrRam, 0x5FFF);
    EXPECT_EQ(m->Rom128K[0], 0xFF);
}

} // namespace
