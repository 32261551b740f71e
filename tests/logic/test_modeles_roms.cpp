// Model list, ROM image loading and the machine character set.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "config/ChargeRoms.h"
#include "config/Modeles.h"
#include "core/HoteVirtuel.h"
#include "core/Machine.h"
#include "devices/JeuCaracteres.h"

namespace {

TEST(Modeles, SeventeenNamesWithTheJoinedTenth) {
    const auto liste = ListeModeles();
    ASSERT_EQ(liste.size(), 17u);
    EXPECT_EQ(liste[0], "T7E");
    EXPECT_EQ(liste[9], "T9-36T9-32");
    EXPECT_EQ(liste[16], "T9-04");
    EXPECT_EQ(IndiceModele("t9-04"), 16);
    EXPECT_EQ(IndiceModele("T9-32"), -1);
    EXPECT_EQ(IndiceModele("T9-36"), -1);
    EXPECT_EQ(IndiceModele(""), -1);
}

TEST(Modeles, CaptionsAgreeWithTheRamTop) {
    EXPECT_EQ(LibelleModele(0), "T7E - 128 k-octets");
    EXPECT_EQ(LibelleModele(3), "T9 - 56 k-octets");
    EXPECT_EQ(LibelleModele(16), "T9 - 4 k-octets");
    EXPECT_EQ(LibelleModele(17), "");
    for (int i = 4; i < NbModeles; ++i) {
        const int ko = std::stoi(LibelleModele(i).substr(5));
        EXPECT_EQ(TMachine::MaxAdrRamModele(i), 0x2000 + ko * 1024 - 1) << i;
    }
}

struct Roms : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    THoteVirtuel hote{m.get()};
    std::filesystem::path dossier = std::filesystem::temp_directory_path() /
                                    ("zorv_roms_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override {
        std::filesystem::create_directories(dossier);
        m->Hote = &hote;
        m->InitMachine();
    }
    void TearDown() override { std::filesystem::remove_all(dossier); }
    std::string Fichier(const std::string& nom, const std::vector<uint8_t>& octets) {
        const auto p = dossier / nom;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(octets.data()), std::streamsize(octets.size()));
        return p.string();
    }
};

TEST_F(Roms, FullPromImageUsesItsUpperHalf) {
    std::vector<uint8_t> image(4096);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i < 2048 ? 0x11 : i);
    EXPECT_EQ(ChargeRom128K(*m, Fichier("prom.bin", image)), "");
    for (size_t i = 0; i < 2048; ++i) {
        ASSERT_EQ(m->Rom128K[i], uint8_t(i + 2048)) << i;
        ASSERT_EQ(m->Rom128K[i + 2048], uint8_t(i + 2048)) << i;
    }
}

TEST_F(Roms, ShortPromKeepsFillAndMissingPromOnlyMattersForModelZero) {
    m->Rom128K.fill(0x00);
    EXPECT_EQ(ChargeRom128K(*m, Fichier("prom.bin", std::vector<uint8_t>(2048, 0x3C))), "");
    EXPECT_EQ(m->Rom128K[2047], 0x3C);
    EXPECT_EQ(m->Rom128K[2048], 0xFF);
    const std::string absent = (dossier / "rien.bin").string();
    EXPECT_EQ(ChargeRom128K(*m, absent), "Le fichier " + absent + " est absent");
    m->ChoisitModele(13);
    EXPECT_EQ(ChargeRom128K(*m, absent), "");
    EXPECT_EQ(m->Rom128K[0], 0xFF);
}

TEST_F(Roms, OversizedImagesAreRefusedUnread) {
    const std::string gros = Fichier("gros.bin", std::vector<uint8_t>(4097, 0xAA));
    EXPECT_EQ(ChargeRomBoot(*m, gros), "Le fichier " + gros + " est trop volumineux");
    EXPECT_EQ(m->RomBoot[0], 0);
    m->ChoisitModele(5);
    EXPECT_EQ(ChargeRom128K(*m, gros), "Le fichier " + gros + " est trop volumineux");
    EXPECT_EQ(m->Rom128K[0], 0xFF);
    EXPECT_EQ(ChargeRomBoot(*m, dossier.string()), dossier.string() + " est un dossier");
}

TEST_F(Roms, CharacterGeneratorClearedThenBuilt) {
    m->Fonte80[0x41][0] = 0x123;
    m->FonteSelect = 1;
    m->PtrFonte80 = &m->Fonte80APL;
    const std::string gros = Fichier("gros.bin", std::vector<uint8_t>(4097, 0xFF));
    EXPECT_EQ(ChargeGenCar(*m, gros), "Le fichier " + gros + " est trop volumineux");
    EXPECT_EQ(m->Fonte80[0x41][0], 0); // cleared, nothing read
    std::vector<uint8_t> image(2048, 0);
    image[16 * 0x41] = 0x01; // leftmost dot of the first row of 'A'
    EXPECT_EQ(ChargeGenCar(*m, Fichier("gencar.bin", image)), "");
    EXPECT_NE(m->Fonte80[0x41][0], 0);
    EXPECT_EQ(m->Fonte80APL[0x41][0], m->Fonte80[0x41][0]);
    EXPECT_EQ(m->PtrFonte80, &m->Fonte80);
    EXPECT_EQ(m->FonteSelect, 0);
}

TEST_F(Roms, ShortBootRomLeavesTheRestAlone) {
    m->RomBoot.fill(0x77);
    EXPECT_EQ(ChargeRomBoot(*m, Fichier("boot.bin", {0xC3, 0x00, 0x01})), "");
    EXPECT_EQ(m->RomBoot[0], 0xC3);
    EXPECT_EQ(m->RomBoot[2], 0x01);
    EXPECT_EQ(m->RomBoot[3], 0x77);
}

TEST(JeuCaracteres, MachineCodesAsHostCharacters) {
    EXPECT_EQ(TraduitZorvCourier(0x00), U'\u250C');
    EXPECT_EQ(TraduitZorvCourier(0x09), U'\u2500');
    EXPECT_EQ(TraduitZorvCourier(0x0A), 0x0Au);
    EXPECT_EQ(TraduitZorvCourier(0x0E), 0x0Eu);
    EXPECT_EQ(TraduitZorvCourier(0x0F), U'\u253C');
    EXPECT_EQ(TraduitZorvCourier(0x10), U'\u00E0');
    EXPECT_EQ(TraduitZorvCourier(0x19), U'\u0153');
    EXPECT_EQ(TraduitZorvCourier(0x1F), U'\u00EB');
    EXPECT_EQ(TraduitZorvCourier(0x41), U'A');
    EXPECT_EQ(TraduitZorvCourier(0x5E), U'\u2191');
    EXPECT_EQ(TraduitZorvCourier(0x5F), U'\u2190');
    EXPECT_EQ(TraduitZorvCourier(0x7E), U'\u00A7');
    EXPECT_EQ(TraduitZorvCourier(0x7F), U'\u2591');
    EXPECT_EQ(TraduitZorvCourier(0xC0), U'\u00C0');
    EXPECT_EQ(EnUtf8(U'A'), "A");
    EXPECT_EQ(EnUtf8(U'\u00E9'), "\xC3\xA9");
    EXPECT_EQ(EnUtf8(U'\u2591'), "\xE2\x96\x91");
    EXPECT_EQ(EnUtf8(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(EnUtf8(0xD800), "\xEF\xBF\xBD");
}

} // namespace
