// Raw memory blocks: a host file loaded through a view, a zone written to a
// host file, from the console (charge-mem, sauve-mem) as from the memory
// window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ImagesTemp.h"
#include "MachineEssai.h"
#include "debugger/Console.h"
#include "debugger/OutilsMemoire.h"

namespace {

struct BlocsMemoire : TMachineEssai {
    TDossierTemp tmp;
    std::string Fichier(const std::string& nom, const std::vector<uint8_t>& octets) {
        const std::string p = tmp.Chemin(nom);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(octets.data()),
                                                 std::streamsize(octets.size()));
        return p;
    }
    static std::vector<uint8_t> Motif(size_t n) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 13 + 5);
        return v;
    }
};

TEST_F(BlocsMemoire, AFileGoesInThroughItsViewAndAZoneComesBackWhole) {
    const auto octets = Motif(300);
    const TBilanMemoire b = ChargeFichier(*m, Fichier("bloc.bin", octets), 0x8000, {TVueMemoire::Banque1, 0});
    ASSERT_FALSE(b.Refuse) << b.Message;
    EXPECT_EQ(b.Message, "300 octets charg\u00e9s de 8000H \u00e0 812BH");
    for (size_t i = 0; i < octets.size(); ++i) ASSERT_EQ(m->ReadBank(uint16_t(0x8000 + i), 1), octets[i]);
    EXPECT_EQ(m->ReadBank(0x8000, 0), 0); // bank 0 untouched
    const std::string sortie = tmp.Chemin("zone.bin");
    const TBilanMemoire s = SauveZone(*m, sortie, 0x8000, 0x812B, {TVueMemoire::Banque1, 0});
    ASSERT_FALSE(s.Refuse) << s.Message;
    EXPECT_EQ(TDossierTemp::Contenu(sortie), octets);
}

TEST_F(BlocsMemoire, WhatCannotFitOrBeReadWritesNothing) {
    const auto avant = m->ZorvMem;
    // 300 bytes from FF00 would pass FFFF.
    TBilanMemoire b = ChargeFichier(*m, Fichier("bloc.bin", Motif(300)), 0xFF00, {TVueMemoire::Banque0, 0});
    EXPECT_TRUE(b.Refuse);
    EXPECT_NE(b.Message.find("d\u00e9passerait FFFFH depuis FF00H"), std::string::npos) << b.Message;
    b = ChargeFichier(*m, Fichier("gros.bin", Motif(0x10001)), 0, {TVueMemoire::Banque0, 0});
    EXPECT_TRUE(b.Refuse);
    b = ChargeFichier(*m, Fichier("vide.bin", {}), 0x2000, {TVueMemoire::Banque0, 0});
    EXPECT_EQ(b.Message, "Le fichier " + tmp.Chemin("vide.bin") + " est vide");
    b = ChargeFichier(*m, tmp.Dossier.string(), 0x2000, {TVueMemoire::Banque0, 0});
    EXPECT_EQ(b.Message, tmp.Dossier.string() + " est un dossier");
    b = ChargeFichier(*m, "/dev/zero", 0x2000, {TVueMemoire::Banque0, 0});
    EXPECT_TRUE(b.Refuse);
    EXPECT_EQ(m->ZorvMem, avant);
    // A whole 64 K file fits from 0000H.
    b = ChargeFichier(*m, Fichier("plein.bin", Motif(0x10000)), 0, {TVueMemoire::Banque1, 0});
    EXPECT_FALSE(b.Refuse) << b.Message;
    // A target that is a folder is refused; the folder stays as it was.
    std::filesystem::create_directory(tmp.Chemin("dossier.bin"));
    const TBilanMemoire s = SauveZone(*m, tmp.Chemin("dossier.bin"), 0, 0xFF, {TVueMemoire::Banque0, 0});
    EXPECT_TRUE(s.Refuse);
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Chemin("dossier.bin")));
}

TEST_F(BlocsMemoire, ThroughTheProcessorsViewTheRomRefusesAsTheEditorsWritesDo) {
    m->SelMem = 1; // boot ROM and video RAM over the first 8 K
    const auto rom = m->RomBoot;
    const TBilanMemoire b = ChargeFichier(*m, Fichier("bloc.bin", Motif(16)), 0x0000, {TVueMemoire::CPU, 0});
    EXPECT_FALSE(b.Refuse);
    EXPECT_EQ(m->RomBoot, rom);
    EXPECT_FALSE(hote.Erreurs.empty()); // the machine's own message for a write into ROM
    ChargeFichier(*m, Fichier("ecran.bin", {0x41, 0x42}), 0x1000, {TVueMemoire::CPU, 0});
    EXPECT_EQ(m->RamTv[0], 0x41);
}

TEST_F(BlocsMemoire, TheConsoleLoadsAndSavesBlocksNamingTheirBank) {
    TConsoleDebogueur c(*poste);
    std::vector<std::string> sortie;
    const std::string entree = Fichier("prog.bin", {0x3E, 0x42, 0x76});
    ASSERT_TRUE(c.Execute("charge-mem " + entree + " 3000 1", sortie));
    EXPECT_EQ(sortie.back(), "charge-mem : 3 octets charg\u00e9s de 3000H \u00e0 3002H (data)");
    EXPECT_EQ(m->ReadBank(0x3001, 1), 0x42);
    ASSERT_TRUE(c.Execute("sauve-mem " + tmp.Chemin("retour.bin") + " 3000 3002 data", sortie));
    EXPECT_EQ(TDossierTemp::Contenu(tmp.Chemin("retour.bin")), (std::vector<uint8_t>{0x3E, 0x42, 0x76}));
    EXPECT_FALSE(c.Execute("sauve-mem " + tmp.Chemin("x.bin") + " 3002 3000", sortie)); // end before start
    EXPECT_FALSE(c.Execute("charge-mem " + tmp.Chemin("absent.bin") + " 3000", sortie));
    EXPECT_EQ(sortie.back(), "charge-mem : Le fichier " + tmp.Chemin("absent.bin") + " n'existe pas");
    EXPECT_FALSE(std::filesystem::exists(tmp.Chemin("x.bin")));
}

} // namespace
