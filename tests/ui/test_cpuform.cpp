// The CPU window offscreen: opened by "CPU", paused, edited, stepped, a
// breakpoint by double click, run to it. ZORV_CAPTURE_CPU=file.png saves a
// picture of the window at the end.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QToolTip>
#include <QElapsedTimer>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <random>

#include "Attente.h"
#include "debugger/CPUForm.h"
#include "debugger/EditAdresseQt.h"
#include "ui/MainForm.h"

namespace {

std::vector<uint8_t> RomProgramme() {
    std::vector<uint8_t> rom(0x20, 0);
    const uint8_t code[] = {0x3E, 0x3F,              // 0000 MVI A,3FH
                            0x31, 0x00, 0x80,        // 0002 LXI SP,8000H
                            0xCD, 0x10, 0x00,        // 0005 CALL 0010H
                            0xC3, 0x05, 0x00};       // 0008 JMP 0005H
    std::copy(std::begin(code), std::end(code), rom.begin());
    rom[0x10] = 0x3C; // INR A
    rom[0x11] = 0xC9; // RET
    return rom;
}

void Touche(QWidget* w, int cle, const QString& texte) {
    QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, texte);
    QApplication::sendEvent(w, &appui);
}

int LigneDe(QListWidget* l, int adresse) {
    for (int i = 0; i < l->count(); ++i)
        if (l->item(i)->data(Qt::UserRole).toInt() == adresse) return i;
    return -1;
}

struct FenetreCPU : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-cpu-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomProgramme());
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
};

TEST_F(FenetreCPU, PauseEditStepBreakpointAndRun) {
    TCPUForm* cpu = f->CPUForm();
    ASSERT_NE(cpu, nullptr);
    EXPECT_FALSE(cpu->isVisible());
    TMachine& m = f->Machine();
    bool etaitEnRun = false;
    // From inside the run loop: the window opened, then the pause.
    QTimer::singleShot(30, f.get(), [&] {
        f->TBCPU->click();
        QCoreApplication::processEvents();
        etaitEnRun = cpu->PanelEtat->text() == "RUN" && cpu->SBPause->isEnabled() && !cpu->SBStep->isEnabled();
        cpu->SBPause->click();
    });
    ASSERT_TRUE(Attends([&] { return !m.BoucleActive && m.EtatCPU == CPUStop; }));
    EXPECT_TRUE(etaitEnRun);
    ASSERT_TRUE(Attends([&] { return cpu->PanelEtat->text() == "STOP"; }));
    EXPECT_EQ(cpu->windowTitle(), "Debugger");
    EXPECT_TRUE(cpu->SBStep->isEnabled());
    EXPECT_FALSE(cpu->SBPause->isEnabled());
    EXPECT_TRUE(cpu->SBReset->isEnabled());
    EXPECT_TRUE(cpu->BtnAffData->isEnabled());
    EXPECT_EQ(cpu->PanelEtat->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0));
    EXPECT_EQ(cpu->LBDasm->palette().color(QPalette::Base), QColor(0xDE, 0xEF, 0xF5));
    EXPECT_EQ(cpu->LBDasm->font().family(), "Courier New");
    EXPECT_EQ(cpu->LBDasm->font().pixelSize(), 11);
    EXPECT_TRUE(cpu->LBDasm->item(0)->text().startsWith(QString::fromUtf8("  \u25BA")));

    // A: select all, type 1, 0, 0: the third key is refused.
    QLineEdit* a = cpu->EditReg[rgA];
    a->selectAll();
    for (const char* k : {"1", "0", "0"}) Touche(a, Qt::Key_0, k);
    EXPECT_EQ(a->text(), "10");
    EXPECT_EQ(m.RegA, 0x10);
    cpu->SBDec->click();
    ASSERT_TRUE(Attends([&] { return a->text() == "16"; }));
    cpu->SBHex->click();
    ASSERT_TRUE(Attends([&] { return a->text() == "10H"; }));

    // PC typed: the listing follows it.
    cpu->EditReg[rgPC]->setText("0005");
    EXPECT_EQ(m.RegPC, 0x0005);
    ASSERT_TRUE(Attends([&] { return cpu->LBDasm->item(0)->data(Qt::UserRole).toInt() == 5; }));
    cpu->SBStep->click();
    ASSERT_TRUE(Attends([&] { return cpu->EditReg[rgPC]->text() == "0010H"; }));
    EXPECT_EQ(m.RegPC, 0x0010);

    // The hint of a line is its text without the markers.
    const int ret = LigneDe(cpu->LBDasm, 0x0011);
    ASSERT_GE(ret, 0);
    const QRect r = cpu->LBDasm->visualItemRect(cpu->LBDasm->item(ret));
    QHelpEvent aide(QEvent::ToolTip, r.center(), cpu->LBDasm->viewport()->mapToGlobal(r.center()));
    QApplication::sendEvent(cpu->LBDasm->viewport(), &aide);
    EXPECT_EQ(QToolTip::text().toStdString(), cpu->Debogueur().BulleLigne(ret));

    // Breakpoint on the RET by double click, then run to it.
    emit cpu->LBDasm->itemDoubleClicked(cpu->LBDasm->item(ret));
    EXPECT_EQ(m.TblPtArret[0x0011], 1);
    ASSERT_TRUE(Attends([&] { return cpu->LBDasm->item(ret)->text().startsWith(QString::fromUtf8("\u25A0")); }));
    const uint8_t avant = m.RegA;
    const uint64_t n = m.NbInstructions;
    cpu->SBRun->click();
    ASSERT_TRUE(Attends([&] { return m.NbInstructions > n && !m.BoucleActive && cpu->PanelEtat->text() == "STOP"; }));
    EXPECT_EQ(m.RegPC, 0x0011);
    EXPECT_EQ(m.RegA, uint8_t(avant + 1));
    EXPECT_EQ(cpu->EditReg[rgPC]->text(), "0011H");
    EXPECT_EQ(cpu->LBDasm->currentRow(), 0);
    EXPECT_TRUE(cpu->LBDasm->item(0)->text().startsWith(QString::fromUtf8("\u25A0 \u25BA")));

    if (const QByteArray chemin = qgetenv("ZORV_CAPTURE_CPU"); !chemin.isEmpty())
        cpu->grab().save(QString::fromLocal8Bit(chemin));

    // Reset: the machine runs again and the window says so (seen from
    // inside the run loop, which the close then ends).
    emit cpu->LBDasm->itemDoubleClicked(cpu->LBDasm->item(0)); // the breakpoint off again
    EXPECT_EQ(m.TblPtArret[0x0011], 0);

    // The address entry: letters other than hexadecimal digits are dropped,
    // Enter completes the range and lists it.
    QLineEdit* adr = cpu->EdtAdr->Edit();
    EXPECT_TRUE(adr->isEnabled());
    EXPECT_EQ(cpu->EdtAdr->Bouton()->text(), "Symbole");
    EXPECT_EQ(cpu->EdtAdr->Bouton()->x(), adr->x() + adr->width());
    adr->setFocus();
    adr->selectAll();
    for (const char* k : {"x", "5", "g"}) Touche(adr, Qt::Key_A, k);
    EXPECT_EQ(adr->text(), "5");
    Touche(adr, Qt::Key_Return, "\r");
    EXPECT_EQ(adr->text(), "0005 0204");
    ASSERT_TRUE(Attends([&] { return cpu->LBDasm->item(0)->data(Qt::UserRole).toInt() == 5; }));
    EXPECT_EQ(cpu->Debogueur().FinDasm, 0x204);
    bool vuRun = false;
    QTimer::singleShot(50, f.get(), [&] {
        vuRun = m.BoucleActive && cpu->PanelEtat->text() == "RUN" && !cpu->EditReg[rgA]->isEnabled() &&
                cpu->SBPause->isEnabled();
        f->close();
    });
    cpu->SBReset->click();
    ASSERT_TRUE(Attends([&] { return !m.BoucleActive && !f->isVisible(); }));
    EXPECT_TRUE(vuRun);
}

TEST_F(FenetreCPU, EveryCaptionFitsItsControl) {
    // Fixed geometry: a caption wider than its button or box is cut.
    TCPUForm* cpu = f->CPUForm();
    ASSERT_NE(cpu, nullptr);
    // The window, and the dialogs and windows it owns (symbols, breakpoints,
    // watches, stack, converter and their add dialogs).
    for (QAbstractButton* b : cpu->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b))
            EXPECT_LE(b->sizeHint().width(), b->width()) << b->text().toStdString();
        else
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 4, b->width()) << b->text().toStdString();
    }
    for (QLabel* l : cpu->findChildren<QLabel*>()) {
        if (l->wordWrap() || l->text().isEmpty() || l->parentWidget()->layout()) continue; // laid out when shown
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->text().toStdString();
    }
    // The command row still ends with the state panel and does not overlap.
    const QToolButton* rang[] = {cpu->SBReset, cpu->SBRun, cpu->SBPause, cpu->SBStep,
                                 cpu->SBStepOver, cpu->SBRunTo, cpu->SBJumpToPC};
    for (size_t i = 1; i < std::size(rang); ++i) EXPECT_LT(rang[i - 1]->geometry().right(), rang[i]->x());
    EXPECT_EQ(rang[0]->x(), cpu->PanelEtat->x());
    EXPECT_LE(rang[6]->geometry().right(), cpu->PanelEtat->geometry().right());
}

} // namespace
