// Going back in the machine's time: every instruction stepped back gives the
// machine exactly as it was, keys, reset and interrupt included; the sectors
// the controller wrote come back; the console's commands stop where the
// forward ones would; a change in the past drops the recorded future.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "config/ChargeRoms.h"
#include "config/ClicheMachine.h"
#include "config/Poste.h"
#include "config/Retour.h"
#include "core/Fichiers.h"
#include "debugger/Console.h"
#include "disks/Lecteurs.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;

struct Retour : ::testing::Test {
    TPosteVirtuel poste{7u};
    TMachine& m = poste.Machine();

    TEmpreintes Empreinte() { return Empreintes(m, &poste.HoteVirtuel); }
    // The machine of the project's monitor, waiting at its prompt.
    void Moniteur() {
        m.InitMachine();
        ASSERT_EQ(ChargeRomBoot(m, Programme + "/QBM71K.bin"), "");
        ASSERT_EQ(ChargeRom128K(m, Programme + "/T318-C.bin"), "");
        m.Execute(3'000'000);
    }
    void Tape(const std::string& texte) {
        for (char c : texte) {
            while (m.NbCarClav >= 12) m.Execute(2000);
            m.ToucheDeHote(c == '\r' ? 0x030D : uint16_t(0x0300 | uint8_t(c)));
        }
        m.Execute(3'000'000);
    }
    static std::vector<uint8_t> Contenu(const std::string& chemin) {
        std::vector<uint8_t> o;
        LitFichierEntier(chemin, o);
        return o;
    }
    void VaA(TRetour& r, uint64_t n) {
        std::vector<std::string> avis;
        std::string erreur;
        ASSERT_TRUE(r.VaA(n, avis, erreur)) << erreur;
        ASSERT_EQ(m.NbInstructions, n);
    }
};

// Random code over RAM (HLT made a NOP so that it keeps running), keys
// typed, reset and interrupt pressed at random instants: each instant
// stepped back to, newest first, is the machine as it was then.
TEST_F(Retour, EachInstructionSteppedBackIsTheMachineAsItWas) {
    for (uint32_t graine : {1u, 2u, 3u}) {
        std::mt19937 g(graine);
        m.InitMachine();
        // Among the random bytes, IN and OUT on the keyboard, printer and
        // arithmetic chip ports.
        const uint8_t ports[] = {0xC2, 0xE2, 0xAF, 0xCF, 0xEF, 0xFF};
        for (uint32_t a = 0x2000; a < 0x10000; ++a) {
            const uint8_t op = uint8_t(g());
            m.ZorvMem[a] = op == 0x76 ? 0 : op;
            if (g() % 12 == 0 && a + 1 < 0x10000) {
                m.ZorvMem[a] = g() % 2 ? 0xD3 : 0xDB;
                m.ZorvMem[++a] = ports[g() % std::size(ports)];
            }
        }
        m.RegPC = 0x2000;
        m.SelMem = 0;
        TRetour retour(poste, poste.HoteVirtuel);
        const uint64_t debut = m.NbInstructions;
        std::vector<TEmpreintes> vu{Empreinte()};
        for (int i = 0; i < 3000; ++i) {
            switch (g() % 64) {
            case 0: m.ToucheDeHote(uint16_t(0x0300 | (0x41 + g() % 26))); break;
            case 1: m.TBIntClick(); break;
            case 2:
                if (g() % 8 == 0) m.TBRazClick();
                break;
            default: break;
            }
            if (m.EtatCPU != CPURun) m.ChangeEtatCPU(CPURun);
            vu.back() = Empreinte(); // an instant is the machine as it runs on from there
            m.Execute(1 + g() % 3);
            while (vu.size() < m.NbInstructions - debut) vu.push_back({}); // several at once: only the last is known
            vu.push_back(Empreinte());
        }
        ASSERT_EQ(vu.size(), m.NbInstructions - debut + 1);
        for (uint64_t n = m.NbInstructions; n-- > debut;) {
            if (vu[n - debut] == TEmpreintes{}) continue;
            VaA(retour, n);
            ASSERT_EQ(Empreinte(), vu[n - debut]) << "graine " << graine << ", instruction " << n;
        }
        // And forward again to the present, through the recorded future.
        VaA(retour, debut + vu.size() - 1);
        EXPECT_EQ(Empreinte(), vu.back());
    }
}

// The monitor writes sector 1A of drive 1 twice; going back before each
// write puts the image file's bytes back as they were.
TEST_F(Retour, SectorsWrittenByTheControllerComeBack) {
    TDossierTemporaire dossier("retour");
    const std::string image = dossier.Chemin + "/d1.img";
    std::string erreur;
    std::vector<uint8_t> motif(size_t(poste.Lecteurs.Taille_Disque[1]));
    for (size_t i = 0; i < motif.size(); ++i) motif[i] = uint8_t(i * 7 + i / 256);
    ASSERT_TRUE(EcritFichierAtomique(image, motif, erreur)) << erreur;
    ASSERT_EQ(poste.Lecteurs.InsereDisque(1, image, " "), "");
    Moniteur();
    TRetour retour(poste, poste.HoteVirtuel);
    for (int i = 0; i < 256; ++i) m.WriteBank(uint16_t(0x3000 + i), 0, 0xA5);
    const uint64_t avant1 = m.NbInstructions;
    Tape("S 1 1A 3000\r");
    const std::vector<uint8_t> apres1 = Contenu(image);
    ASSERT_NE(apres1, motif);
    for (int i = 0; i < 256; ++i) m.WriteBank(uint16_t(0x3000 + i), 0, 0x5A);
    const uint64_t avant2 = m.NbInstructions;
    Tape("S 1 1A 3000\r");
    const TEmpreintes fin = Empreinte();
    ASSERT_NE(Contenu(image), apres1);

    VaA(retour, avant2);
    EXPECT_EQ(Contenu(image), apres1);
    VaA(retour, avant1);
    EXPECT_EQ(Contenu(image), motif);
    // Forward again: the controller writes them once more.
    VaA(retour, retour.Fin());
    EXPECT_EQ(Empreinte(), fin);
    EXPECT_EQ(Contenu(image)[0x19 * 256], 0x5A);
}

// A loop counting in memory: `recule-jusqua` stops at the previous hit of a
// conditional breakpoint and of a watchpoint; `recule-passe` steps back over
// a CALL; a register changed in the past drops the recorded future.
TEST_F(Retour, ConsoleGoesBackToThePreviousStopAndBranches) {
    m.InitMachine();
    const uint8_t code[] = {
        0x31, 0x00, 0x80,       // 2000 LXI SP,8000
        0x21, 0x00, 0x30,       // 2003 LXI H,3000
        0x34,                   // 2006 INR M
        0xCD, 0x10, 0x20,       // 2007 CALL 2010
        0xC3, 0x06, 0x20,       // 200A JMP 2006
        0, 0, 0,                //
        0x04, 0x04, 0xC9};      // 2010 INR B; INR B; RET
    for (size_t i = 0; i < sizeof code; ++i) m.ZorvMem[0x2000 + i] = code[i];
    m.RegPC = 0x2000;
    m.RegB = 0;
    m.SelMem = 0;
    m.ChangeEtatCPU(CPUStop);
    poste.ActiveRetour(poste.HoteVirtuel, TRetour::CapaciteDefaut);
    TConsoleDebogueur console(poste);
    auto Dit = [&](const std::string& ligne) {
        std::vector<std::string> sortie;
        console.Execute(ligne, sortie);
        return sortie.empty() ? std::string() : sortie.back();
    };
    const std::string budget = "arrêt : nombre d'instructions atteint à ";
    EXPECT_EQ(Dit("lance 500"), budget + "2006H");
    const uint8_t compte = m.ZorvMem[0x3000];
    EXPECT_EQ(Dit("pa 2006 si B = 10"), "pa : point d'arrêt en 2006H si B = 10");
    EXPECT_EQ(Dit("recule-jusqua"), "arrêt : point d'arrêt à 2006H");
    EXPECT_EQ(m.RegB, 10);
    EXPECT_EQ(m.ZorvMem[0x3000], 5);
    EXPECT_EQ(Dit("recule-jusqua"), "arrêt : début de l'historique à 2000H");
    EXPECT_EQ(Dit("pa- 2006"), "pa- : point d'arrêt retiré de 2006H");

    EXPECT_EQ(Dit("lance 500"), budget + "2006H"); // the recorded future, replayed
    EXPECT_EQ(m.ZorvMem[0x3000], compte);
    Dit("pas 3");
    EXPECT_EQ(m.RegPC, 0x2011);
    EXPECT_EQ(Dit("recule-passe"), "arrêt : arrêt temporaire à 2010H");
    EXPECT_EQ(Dit("recule-passe"), "arrêt : arrêt temporaire à 2007H");
    Dit("pas 4"); // into the routine and out of it: at the JMP
    EXPECT_EQ(m.RegPC, 0x200A);
    EXPECT_EQ(Dit("recule-passe"), "arrêt : arrêt temporaire à 2007H");

    TRetour& r = *poste.Retour();
    const uint64_t futur = r.Fin();
    EXPECT_GT(futur, m.NbInstructions);
    EXPECT_EQ(Dit("recule 5"), budget + "2010H");
    Dit("reg B=40");
    Dit("pas");
    EXPECT_EQ(r.Fin(), m.NbInstructions);
    EXPECT_LT(r.Fin(), futur);
    EXPECT_EQ(Dit("recule 1000000"), "arrêt : début de l'historique à 2000H");
}

// A small cap: the oldest snapshots go, the history stays within it and
// still reaches back to its new start.
TEST_F(Retour, HistoryStaysWithinItsMemory) {
    Moniteur();
    const uint64_t cap = 200 << 10;
    TRetour retour(poste, poste.HoteVirtuel, cap);
    for (int i = 0; i < 40; ++i) {
        m.WriteBank(uint16_t(0x4000 + i * 997 % 0x8000), 0, uint8_t(i));
        Tape(std::string(1, char('A' + i % 26)) + "\r");
    }
    EXPECT_LE(retour.Octets(), cap);
    EXPECT_GT(retour.Debut(), 0u);
    const TEmpreintes fin = Empreinte();
    VaA(retour, retour.Debut());
    VaA(retour, retour.Fin());
    EXPECT_EQ(Empreinte(), fin);
}

} // namespace
