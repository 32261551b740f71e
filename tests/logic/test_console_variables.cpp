// The console's watch, stack, converter and code-window commands.
#include <gtest/gtest.h>

#include "MachineEssai.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"

namespace {

struct ConsoleVariables : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    std::vector<std::string> sortie;
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RegPC = 0x2000;
        c = std::make_unique<TConsoleDebogueur>(*poste);
    }
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
};

TEST_F(ConsoleVariables, WatchesAreAddedListedAndRemoved) {
    Code(0x2000, {0x34, 0x12});
    Code(0x4000, {0x99}, 1);
    poste->Debogueur().Symboles.push_back({"MOT", 0x2000});
    EXPECT_EQ(Une("var"), "var : aucune variable");
    EXPECT_EQ(Une("var 2000 ptr"), "MOT (2000H) | Banque logiciel | Pointeur 16 bits | 1234H");
    EXPECT_EQ(Une("var 4000H octet data"), "4000H | Banque data | Octet | 99H");
    EXPECT_EQ(Une("var FFF9 FLOTTANT"), "FFF9H | Banque logiciel | Valeur flottante | Pas un nombre");
    Code(0x2000, {0x78, 0x56});
    Une("var");
    ASSERT_EQ(sortie.size(), 3u);
    EXPECT_EQ(sortie[0], "MOT (2000H) | Banque logiciel | Pointeur 16 bits | 5678H");
    EXPECT_EQ(Une("var- 2"), "var- : 4000H retirée");
    EXPECT_EQ(Une("var- 3", false), "var- : pas de ligne 3 (2 variables)");
    EXPECT_EQ(Une("var 2000 mot", false), "var : type inconnu « mot » (octet, car, ptr, 32, 64 ou flottant)");
    EXPECT_EQ(Une("var 10000 octet", false), "var : adresse au-delà de FFFFH : 10000");
    EXPECT_EQ(Une("var 2000 octet autre", false), "var : banque « autre » inconnue (logiciel ou data)");
    EXPECT_EQ(Une("var 2000", false), "var : paramètres incorrects (var [ADR TYPE [logiciel|data]])");
    EXPECT_EQ(poste->Debogueur().Variables.Lignes().size(), 2u);
}

TEST_F(ConsoleVariables, StackAndConverter) {
    Code(0xFFFE, {0x34, 0x12});
    m->RegSP = 0xFFFE;
    EXPECT_EQ(Une("pile"), "FFFE 34 12 1234");
    m->RegSP = 0xFFFF;
    EXPECT_EQ(Une("pile"), "pile : aucune ligne (SP = FFFFH)");
    m->RegSP = 0x8000;
    EXPECT_EQ(Une("pile").substr(0, 4), "81FC");
    EXPECT_EQ(sortie.size(), 255u);
    EXPECT_EQ(Une("conv 1"), "3F F0 00 00 00 00 00 00 ");
    EXPECT_EQ(Une("conv -2,5e0"), "C0 04 00 00 00 00 00 00 ");
    EXPECT_EQ(Une("conv 1E-", false), "conv : valeur flottante illisible : 1E-");
    EXPECT_EQ(Une("conv-hex \"3F F0\""), "1.00000000000000");
    EXPECT_EQ(Une("conv-hex 40 09 21 fb 54 44 2d 18"), "3.14159265358979");
    EXPECT_EQ(Une("conv-hex 1 2 3 4 5 6 7 8 9", false),
              "conv-hex : au plus 8 groupes de chiffres hexadécimaux séparés par des blancs : 1 2 3 4 5 6 7 8 9");
}

TEST_F(ConsoleVariables, CodeWindowListing) {
    Code(0x2000, {0xCD, 0x00, 0x30, 0x00});
    Code(0x2000, {0x3E, 0x07}, 1);
    m->ChoisitModele(0);
    Une("code 2000 2003");
    ASSERT_EQ(sortie.size(), 2u);
    EXPECT_EQ(sortie[0], "  \u25BA           2000  CD 00 30  CALL 3000H");
    EXPECT_EQ(Une("code 2000 2001 data"), "  \u25BA           2000  3E 07     MVI  A,07H");
    EXPECT_EQ(sortie.size(), 1u);
    EXPECT_EQ(Une("code FFFF logiciel").substr(14, 4), "FFFF");
    EXPECT_EQ(Une("code 2003 2000", false), "code : paramètres incorrects (code DEBUT [FIN] [cpu|logiciel|data])");
    EXPECT_TRUE(poste->Debogueur().FenCode.empty()); // the console's window closed
    m->ChoisitModele(6);
    EXPECT_EQ(Une("code 2000 data", false), "code : ce modèle n'a qu'une banque, « Banque data » est indisponible");
    Une("aide");
    for (const std::string& l : sortie) EXPECT_NE(l.find("  "), std::string::npos) << l; // columns apart
}

} // namespace
