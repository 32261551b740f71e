// A run's course does not depend on where it is cut: the firmware at its
// prompt with commands typed in (the clock, the printer, the arithmetic
// chip, a disk sector read, the graphics), and a program that polls the
// keyboard through its handshake, run for N instructions in one go, in
// pieces of k instructions for many k (as the debugger's "lance k" does),
// and in N single steps, end in exactly the same whole machine state.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ImagesTemp.h"
#include "config/ChargeRoms.h"
#include "config/Poste.h"
#include "devices/FrappeTexte.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;

// The sanitizers' build runs every instruction many times slower: there the
// same rule is checked on shorter runs and fewer cuts.
#if defined(__SANITIZE_ADDRESS__) || defined(ZORV_ESSAI_COURT)
constexpr bool Court = true;
#else
constexpr bool Court = false;
#endif

// FNV-1a over everything the machine's course can change.
class TEmpreinte {
public:
    template <class T>
    void Ajoute(const T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        Octets(&v, sizeof v);
    }
    void Octets(const void* p, size_t n) {
        const auto* o = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) H = (H ^ o[i]) * 0x100000001B3ull;
    }
    uint64_t H = 0xCBF29CE484222325ull;
};

uint64_t Empreinte(const TPosteVirtuel& poste) {
    const TMachine& m = const_cast<TPosteVirtuel&>(poste).Machine();
    const THoteVirtuel& h = poste.HoteVirtuel;
    TEmpreinte e;
    for (uint8_t r : {m.RegA, m.RegB, m.RegC, m.RegD, m.RegE, m.RegH, m.RegL, m.RegPSW}) e.Ajoute(r);
    for (uint16_t r : {m.RegPC, m.RegSP, m.MemPC, m.PCPrec}) e.Ajoute(r);
    e.Ajoute(m.NbCycles), e.Ajoute(m.NbInstructions), e.Ajoute(m.EtatCPU), e.Ajoute(m.MaskINT);
    e.Ajoute(m.BasculeInt), e.Ajoute(m.DemandeInt);
    e.Ajoute(m.ZorvMem), e.Ajoute(m.RamTv), e.Ajoute(m.GraphZorv), e.Ajoute(m.SelMem), e.Ajoute(m.CodeJeuInst);
    e.Ajoute(m.GraphX), e.Ajoute(m.GraphY), e.Ajoute(m.GraphZ), e.Ajoute(m.Mode128Col), e.Ajoute(m.FonteSelect);
    e.Ajoute(m.BufClav), e.Ajoute(m.NbCarClav), e.Ajoute(m.ModeClavier), e.Ajoute(m.ClavierPret);
    e.Ajoute(m.DateEtHeure), e.Ajoute(m.IndDateHeure);
    e.Ajoute(m.CarImpr), e.Ajoute(m.StrobeImpr), e.Ajoute(m.ImprEnCours);
    e.Ajoute(m.EtatCtrlDsq), e.Ajoute(m.EtatApresEmi), e.Ajoute(m.BufMsgZorv), e.Ajoute(m.LgrBufMsgZor);
    e.Ajoute(m.IndBufMsgZor), e.Ajoute(m.BufDataZorv), e.Ajoute(m.LgrDataZorv), e.Ajoute(m.IndDataZorv);
    e.Ajoute(m.StatusCtrl), e.Ajoute(m.ExecCmdLect), e.Ajoute(m.ExecCmdEcr), e.Ajoute(m.FinDeCmd);
    e.Ajoute(m.TosNos), e.Ajoute(m.IndTos9512), e.Ajoute(m.Status9512);
    e.Ajoute(h.MaintenantUs);
    for (int t = 0; t < NbTimers; ++t) e.Ajoute(h.TimerActif(TTimer(t)));
    e.Octets(poste.Imprimante.Octets.data(), poste.Imprimante.Octets.size());
    e.Ajoute(poste.Imprimante.NbFinsTravail);
    return e.H;
}

// One workstation on the firmware, with a disk in drive 1 and a text typed
// as the machine's software takes its keys.
struct TCourse {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>(1u);
    TMachine& M = Poste->Machine();
    std::unique_ptr<TSourceFrappe> Frappe;

    TCourse(const std::string& image, const std::string& texte) {
        M.ModClavParam = 1;
        M.InitMachine();
        EXPECT_EQ(ChargeRomBoot(M, Programme + "/QBM71K.bin"), "");
        EXPECT_EQ(ChargeRom128K(M, Programme + "/T318-C.bin"), "");
        if (!image.empty()) {
            EXPECT_EQ(Poste->Lecteurs.InsereDisque(1, image, " "), "");
        }
        std::vector<TMessageClavier> messages;
        EXPECT_EQ(DecodeFrappe(texte, messages), "");
        Frappe = std::make_unique<TSourceFrappe>(std::move(messages), TContexteClavier{}, true);
        Frappe->Date = [this] { return Poste->HoteVirtuel.HeureLocale(); };
        Frappe->Commence(M);
    }
    ~TCourse() { M.SourceTouches = nullptr; }
    // `n` instructions through the run loop, as "lance n" does.
    void Lance(uint64_t n) {
        const uint64_t fin = M.NbInstructions + n;
        while (M.NbInstructions < fin && !M.FinEmul) {
            M.LanceEmulation(fin - M.NbInstructions);
            if (M.EtatCPU == CPUHalt) break;
        }
    }
};

// The commands of the firmware that reach every device.
const std::string Commandes = Court ? "H\\rP BONJOUR\\rA 1234 5678\\r"
                                    : "H\\rP BONJOUR\\rA 1234 5678\\rL 1 2 3000\\rE\\rT\\rD 3000 3010\\r?\\r";

class Decoupage : public ::testing::Test {
protected:
    TDossierTemp Dossier;
    int NumeroImage = 0;
    std::string Image() {
        std::string nom = "d";
        nom += std::to_string(NumeroImage++);
        nom += ".img";
        return Dossier.Image(nom, 788480);
    }
    uint64_t EnMorceaux(uint64_t n, const std::vector<uint64_t>& morceaux) {
        TCourse c(Image(), Commandes);
        uint64_t fait = 0;
        for (size_t i = 0; fait < n; ++i) {
            const uint64_t k = std::min(morceaux[i % morceaux.size()], n - fait);
            c.Lance(k);
            fait += k;
        }
        return Empreinte(*c.Poste);
    }
};

TEST_F(Decoupage, TheFirmwareWithTypedCommandsEndsTheSameWhereverTheRunIsCut) {
    constexpr uint64_t N = Court ? 2'500'000 : 6'000'000;
    TCourse temoin(Image(), Commandes);
    temoin.Lance(N);
    // Every command was typed and run.
    ASSERT_TRUE(temoin.Frappe->Fini());
    ASSERT_FALSE(temoin.Poste->Imprimante.Octets.empty());
    const uint64_t attendu = Empreinte(*temoin.Poste);
    const std::vector<uint64_t> coupes = Court ? std::vector<uint64_t>{999, 100000}
                                               : std::vector<uint64_t>{100, 999, 1000, 4096, 65536, 100000};
    for (uint64_t k : coupes) EXPECT_EQ(EnMorceaux(N, {k}), attendu) << "par morceaux de " << k;
    if (Court) return;
    std::mt19937_64 alea(34);
    std::vector<uint64_t> hasard;
    for (int i = 0; i < 64; ++i) hasard.push_back(1 + alea() % 150000);
    EXPECT_EQ(EnMorceaux(N, hasard), attendu) << "morceaux au hasard";
}

// The smallest cuts on the boot and the first command: the keyboard's
// handshake, the clock, a key typed.
TEST_F(Decoupage, TheSmallestCutsEndTheSameAsOneRun) {
    constexpr uint64_t N = 60'000;
    TCourse temoin(Image(), "H\\r");
    temoin.Lance(N);
    ASSERT_TRUE(temoin.Frappe->Fini()); // the key went in on the way
    const uint64_t attendu = Empreinte(*temoin.Poste);
    for (uint64_t k : Court ? std::vector<uint64_t>{7} : std::vector<uint64_t>{1, 2, 3, 7}) {
        TCourse c(Image(), "H\\r");
        for (uint64_t fait = 0; fait < N; fait += k) c.Lance(std::min(k, N - fait));
        EXPECT_EQ(Empreinte(*c.Poste), attendu) << "par morceaux de " << k;
    }
}

TEST_F(Decoupage, SingleStepsEndWhereTheRunLoopEnds) {
    constexpr uint64_t N = 1'200'000; // boot, the banner, the clock command
    TCourse pas(Image(), "H\\r");
    for (uint64_t i = 0; i < N; ++i) pas.M.ExecuteUnPas();
    TCourse boucle(Image(), "H\\r");
    boucle.Lance(N);
    // A spent budget stops the processor as a pause would; steps leave it
    // running.
    pas.M.ChangeEtatCPU(boucle.M.EtatCPU);
    EXPECT_EQ(Empreinte(*pas.Poste), Empreinte(*boucle.Poste));
    EXPECT_EQ(pas.M.RegPC, boucle.M.RegPC);
    EXPECT_EQ(pas.Poste->HoteVirtuel.MaintenantUs, boucle.Poste->HoteVirtuel.MaintenantUs);
    EXPECT_EQ(pas.M.NbCarClav, boucle.M.NbCarClav);
    EXPECT_GT(pas.M.NbCarClav + int(pas.Frappe->Fini()), 0); // the key went in
}

// A program of its own that polls the keyboard through the handshake: the
// 50 ms window, the acknowledge, the ready entry 1 ms later, then keys as
// it takes them; with a fixed time per instruction as with T-states.
TEST_F(Decoupage, AKeyboardPollingProgramEndsTheSameWhereverTheRunIsCut) {
    // 2000: MVI A,0 ; OUT C2 ; MVI A,80 ; OUT C2 (window, acknowledge)
    // 2008: IN E2 ; ORA A ; JP 2008 ; IN C2 ; STAX D ; INX D ; OUT E2 ; JMP 2008
    const uint8_t code[] = {0x3E, 0x00, 0xD3, 0xC2, 0x3E, 0x80, 0xD3, 0xC2, 0xDB, 0xE2, 0xB7, 0xF2,
                            0x08, 0x20, 0xDB, 0xC2, 0x12, 0x13, 0xD3, 0xE2, 0xC3, 0x08, 0x20};
    for (std::optional<uint64_t> ns : {std::optional<uint64_t>{}, std::optional<uint64_t>{1700}}) {
        auto course = [&](const std::vector<uint64_t>& morceaux, bool unPas) {
            TCourse c({}, "abcdefghijklmnopqrstuvwxyz0123456789");
            c.Poste->HoteVirtuel.NsParInstruction = ns;
            std::memcpy(c.M.ZorvMem.data() + 0x2000, code, sizeof code);
            c.M.RegPC = 0x2000;
            c.M.RegD = 0x40, c.M.RegE = 0x00;
            c.M.SelMem = 0; // RAM everywhere
            constexpr uint64_t N = 30'000; // past the 50 ms window
            uint64_t fait = 0;
            for (size_t i = 0; fait < N; ++i) {
                const uint64_t k = unPas ? 1 : std::min(morceaux[i % morceaux.size()], N - fait);
                if (unPas)
                    c.M.ExecuteUnPas();
                else
                    c.Lance(k);
                fait += k;
            }
            EXPECT_TRUE(c.Frappe->Fini());
            c.M.ChangeEtatCPU(CPUStop); // as a spent budget leaves it
            return Empreinte(*c.Poste);
        };
        const uint64_t attendu = course({30'000}, false);
        for (uint64_t k : Court ? std::vector<uint64_t>{100, 4096}
                                : std::vector<uint64_t>{1, 3, 100, 1000, 4096, 100000})
            EXPECT_EQ(course({k}, false), attendu) << k << (ns ? " ns" : "");
        EXPECT_EQ(course({}, true), attendu) << "pas à pas" << (ns ? " ns" : "");
    }
}

} // namespace
