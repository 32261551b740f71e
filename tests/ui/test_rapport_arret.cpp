// The stop report in the windows: the main window's status bar and the hint
// of the CPU window's state panel say why and where a run stopped, in the
// console's words.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <random>

#include "Attente.h"
#include "debugger/CPUForm.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

// MVI A,3FH ; LXI SP,8000H ; CALL 0010H ; JMP 0005H ; at 0010H INR A ; RET.
std::vector<uint8_t> RomBoucle() {
    std::vector<uint8_t> rom(0x20, 0);
    const uint8_t code[] = {0x3E, 0x3F, 0x31, 0x00, 0x80, 0xCD, 0x10, 0x00, 0xC3, 0x05, 0x00};
    std::copy(std::begin(code), std::end(code), rom.begin());
    rom[0x10] = 0x3C;
    rom[0x11] = 0xC9;
    return rom;
}

struct RapportFenetre : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-rapport-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomBoucle());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    bool Arrete() {
        return Attends([&] { return !f->Porte().BoucleActive() && f->Porte().EtatCPU() == CPUStop; });
    }
    QString Statut() const { return f->BarreEtat()->LabelMessage->text(); }
};

TEST_F(RapportFenetre, PauseThenBreakpointAreTold) {
    TCPUForm* cpu = f->CPUForm();
    f->TBCPU->click();
    QTimer::singleShot(30, f.get(), [&] { f->BasculePause(); });
    ASSERT_TRUE(Arrete());
    const QString pause = QString::asprintf("arr\u00eat : pause \u00e0 %.4XH", unsigned(f->Machine().RegPC));
    ASSERT_TRUE(Attends([&] { return Statut() == pause; })) << Statut().toStdString();
    EXPECT_EQ(QString::fromStdString(cpu->TexteArret()), pause);
    EXPECT_EQ(cpu->PanelEtat->toolTip(), pause);
    // The panel keeps its caption.
    ASSERT_TRUE(Attends([&] { return cpu->PanelEtat->text() == "STOP" && cpu->SBRun->isEnabled(); }));

    f->Porte().AjoutePtArret(0x0010);
    cpu->SBRun->click();
    ASSERT_TRUE(Attends([&] { return Statut() == QString::fromUtf8("arrêt : point d'arrêt à 0010H"); }))
        << Statut().toStdString();
    EXPECT_TRUE(Arrete());
    EXPECT_EQ(f->Machine().RegPC, 0x0010);
    EXPECT_EQ(cpu->TexteArret(), "arrêt : point d'arrêt à 0010H");
    EXPECT_EQ(f->Poste().DernierArret().Cause, TCauseArret::PointArret);
}

} // namespace
