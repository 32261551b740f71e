// The CPU window's console pane, function keys, listing menu, colours and
// layout, offscreen. ZORV_CAPTURE_CONSOLE=file.png saves a picture of the
// window with its pane.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <random>

#include "Attente.h"
#include "debugger/CPUForm.h"
#include "ui/MainForm.h"

namespace {

std::vector<uint8_t> RomProgramme() {
    std::vector<uint8_t> rom(0x20, 0);
    const uint8_t code[] = {0x3E, 0x3F,        // 0000 MVI A,3FH
                            0x31, 0x00, 0x80,  // 0002 LXI SP,8000H
                            0xCD, 0x10, 0x00,  // 0005 CALL 0010H
                            0xC3, 0x05, 0x00}; // 0008 JMP 0005H
    std::copy(std::begin(code), std::end(code), rom.begin());
    rom[0x10] = 0x3C; // INR A
    rom[0x11] = 0xC9; // RET
    return rom;
}

void Touche(QWidget* w, int cle, const QString& texte = {}) {
    QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, texte);
    QApplication::sendEvent(w, &appui);
}

struct ConsoleCPU : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    TCPUForm* cpu = nullptr;
    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-console-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomProgramme());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        std::ofstream(dossier / "QBM71K.sym") << "SOUS 0010\n";
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
        cpu = f->CPUForm();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary)
            .write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    // Opened from inside the run loop, then paused.
    bool OuvreEtArrete() {
        QTimer::singleShot(30, f.get(), [this] {
            f->TBCPU->click();
            cpu->SBPause->click();
        });
        return Attends([&] { return !f->Machine().BoucleActive && cpu->PanelEtat->text() == "STOP"; });
    }
    QString Sortie() const { return cpu->MemoConsole->toPlainText(); }
    QAction* Action(const QKeySequence& touche) const {
        for (QAction* a : cpu->actions())
            if (a->shortcut() == touche) return a;
        return nullptr;
    }
};

TEST_F(ConsoleCPU, TheLineRunsTheConsolesCommandsWithHistoryAndCompletion) {
    ASSERT_TRUE(OuvreEtArrete());
    TMachine& m = f->Machine();
    QLineEdit* ligne = cpu->EditConsole;
    EXPECT_TRUE(ligne->isEnabled());
    ligne->setText("reg A=12");
    Touche(ligne, Qt::Key_Return, "\r");
    EXPECT_EQ(m.RegA, 0x12);
    EXPECT_TRUE(ligne->text().isEmpty());
    EXPECT_TRUE(Sortie().contains("debug> reg A=12\nA=12 ")) << Sortie().toStdString();
    ligne->setText("zut");
    Touche(ligne, Qt::Key_Enter, "\r");
    EXPECT_TRUE(Sortie().endsWith(QString::fromUtf8("commande inconnue « zut » (aide donne la liste)")));
    // Up gives the lines back, Down the draft.
    ligne->setText("brouillon");
    Touche(ligne, Qt::Key_Up);
    EXPECT_EQ(ligne->text(), "zut");
    Touche(ligne, Qt::Key_Up);
    EXPECT_EQ(ligne->text(), "reg A=12");
    Touche(ligne, Qt::Key_Down);
    Touche(ligne, Qt::Key_Down);
    EXPECT_EQ(ligne->text(), "brouillon");
    // Tab completes, or lists the candidates.
    ligne->setText("das");
    Touche(ligne, Qt::Key_Tab);
    EXPECT_EQ(ligne->text(), "dasm ");
    ligne->setText("charge");
    Touche(ligne, Qt::Key_Tab);
    EXPECT_EQ(ligne->text(), "charge-");
    EXPECT_TRUE(Sortie().endsWith("charge-mem  charge-etat"));
    // The symbol file beside the boot ROM was loaded at start-up.
    cpu->ExecuteConsole("sym");
    EXPECT_TRUE(Sortie().endsWith("SOUS 0010H")) << Sortie().toStdString();
}

// A run from the pane leaves the window's event loop running: the pane's
// pause stops it, and the stop report follows.
TEST_F(ConsoleCPU, ARunFromThePaneKeepsTheWindowAlive) {
    ASSERT_TRUE(OuvreEtArrete());
    TMachine& m = f->Machine();
    // From inside the run loop, as the user types while it runs.
    bool enCourse = false;
    QTimer::singleShot(50, f.get(), [&] {
        enCourse = m.BoucleActive && cpu->EditConsole->isEnabled();
        cpu->ExecuteConsole("dasm");
        cpu->ExecuteConsole("pause");
    });
    cpu->ExecuteConsole("lance");
    EXPECT_TRUE(Sortie().endsWith("debug> lance")) << "no report yet";
    ASSERT_TRUE(Attends([&] { return !m.BoucleActive && Sortie().contains(QString::fromUtf8("arrêt : pause à")); }));
    EXPECT_TRUE(enCourse);
    EXPECT_TRUE(Sortie().contains(QString::fromUtf8("dasm : impossible, le processeur tourne (pause l'arrête)")));
    EXPECT_TRUE(Sortie().contains(QString::fromUtf8("pause : processeur arrêté en")));
    cpu->ExecuteConsole("etat t");
    EXPECT_TRUE(Sortie().contains(QString::fromUtf8("STOP\nétats T : "))) << Sortie().toStdString();
    EXPECT_TRUE(Attends([&] { return cpu->LabelEtatsT->text().toStdString() == cpu->Debogueur().TexteEtatsT(); }));
    EXPECT_GT(cpu->Debogueur().EtatsTDernier(), 0u) << "the run from the pane";
}

TEST_F(ConsoleCPU, FunctionKeysMenuAndTooltips) {
    ASSERT_TRUE(OuvreEtArrete());
    TMachine& m = f->Machine();
    struct TCas {
        QToolButton* Bouton;
        const char* Touche;
    };
    for (const TCas& c : {TCas{cpu->SBRun, "(F5)"}, TCas{cpu->SBPause, "(F6)"}, TCas{cpu->SBStep, "(F7)"},
                          TCas{cpu->SBStepOver, "(F8)"}, TCas{cpu->SBStepOut, "(Maj+F8)"},
                          TCas{cpu->SBRunTo, "(F4)"}})
        EXPECT_TRUE(c.Bouton->toolTip().endsWith(c.Touche)) << c.Bouton->toolTip().toStdString();
    for (const char* t : {"F4", "F5", "F6", "F7", "F8", "Shift+F8", "F9"})
        EXPECT_NE(Action(QKeySequence(QString::fromLatin1(t))), nullptr) << t;
    EXPECT_EQ(cpu->MenuListing->actions(), (QList<QAction*>{cpu->ActJusquIci, cpu->ActPtArretIci}));
    EXPECT_EQ(cpu->ActJusquIci->text(), QString::fromUtf8("Exécuter jusqu'ici"));
    EXPECT_EQ(cpu->ActPtArretIci->text(), QString::fromUtf8("Point d'arrêt ici"));

    // F7 steps; the changed registers turn red, the PC line has its colour.
    const uint16_t pc = m.RegPC;
    Action(QKeySequence(Qt::Key_F7))->trigger();
    ASSERT_TRUE(Attends([&] {
        return m.RegPC != pc &&
               cpu->EditReg[rgPC]->text() == QString::fromStdString(cpu->Debogueur().TexteRegistre(rgPC));
    }));
    const QColor rouge(0xD0, 0, 0);
    EXPECT_EQ(cpu->EditReg[rgPC]->palette().color(QPalette::Text), rouge);
    EXPECT_NE(cpu->EditReg[rgB]->palette().color(QPalette::Text), rouge);
    // The loop's own lines, PC among them.
    cpu->ExecuteConsole("dasm 0000 0020");
    ASSERT_TRUE(Attends([&] { return cpu->LBDasm->count() > 0 && cpu->LBDasm->item(0)->data(Qt::UserRole).toInt() == 0; }));
    const int lignePC = cpu->Debogueur().LignePC();
    ASSERT_GE(lignePC, 0);
    EXPECT_EQ(cpu->LBDasm->item(lignePC)->background().color(), QColor(0xFF, 0xF2, 0xA8));

    // "Point d'arrêt ici" on another line of the loop, then "Exécuter
    // jusqu'ici" there.
    const int adresse = m.RegPC == 0x0005 ? 0x0010 : 0x0005;
    int cible = -1;
    for (int i = 0; i < cpu->LBDasm->count(); ++i)
        if (cpu->LBDasm->item(i)->data(Qt::UserRole).toInt() == adresse) cible = i;
    ASSERT_GE(cible, 0);
    cpu->LBDasm->setCurrentRow(cible);
    EXPECT_NE(cpu->LBDasm->item(lignePC)->background().style(), Qt::NoBrush) << "the selection is elsewhere";
    cpu->ActPtArretIci->trigger();
    EXPECT_EQ(m.TblPtArret[uint16_t(adresse)], 1);
    cpu->ActPtArretIci->trigger();
    EXPECT_EQ(m.TblPtArret[uint16_t(adresse)], 0);
    cpu->ActJusquIci->trigger();
    ASSERT_TRUE(Attends([&] { return !m.BoucleActive && cpu->PanelEtat->text() == "STOP" && m.RegPC == adresse; }));
    // With no line chosen, the pane says why nothing ran.
    cpu->Debogueur().ChoisitLigne(-1);
    cpu->SBRunTo->click();
    EXPECT_TRUE(Sortie().endsWith(
        QString::fromUtf8("Jusqu'à : rien n'est lancé, aucune ligne n'est choisie dans le listing")));
    EXPECT_EQ(m.RegPC, adresse);
}

TEST_F(ConsoleCPU, ResizedTheListAndThePaneGrowAndClosingClosesItsWindows) {
    ASSERT_TRUE(OuvreEtArrete());
    EXPECT_EQ(cpu->minimumSize(), cpu->size()) << "opened at its smallest";
    const QRect liste = cpu->LBDasm->geometry(), sortie = cpu->MemoConsole->geometry();
    const QRect pc = cpu->EditReg[rgPC]->geometry();
    cpu->resize(cpu->width() + 200, cpu->height() + 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(cpu->LBDasm->height(), liste.height() + 100);
    EXPECT_EQ(cpu->MemoConsole->height(), sortie.height() + 100);
    EXPECT_EQ(cpu->MemoConsole->width(), sortie.width() + 200);
    EXPECT_EQ(cpu->EditConsole->geometry().bottom() + 10, cpu->height() - 1);
    EXPECT_EQ(cpu->EditReg[rgPC]->geometry(), pc) << "the documented part stays in place";

    if (const QByteArray chemin = qgetenv("ZORV_CAPTURE_CONSOLE"); !chemin.isEmpty()) {
        cpu->resize(cpu->minimumSize());
        for (const char* c : {"pas", "pas", "etat t", "reg"}) cpu->ExecuteConsole(c);
        Attends([&] {
            return cpu->EditReg[rgPC]->text() == QString::fromStdString(cpu->Debogueur().TexteRegistre(rgPC)) &&
                   cpu->LabelEtatsT->text().toStdString() == cpu->Debogueur().TexteEtatsT();
        });
        cpu->grab().save(QString::fromLocal8Bit(chemin));
    }

    cpu->BtnAffData->click();
    QPointer<QWidget> donnees;
    for (QWidget* w : cpu->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isWindow() && w->windowTitle() == QString::fromUtf8("Affichage de données")) donnees = w;
    ASSERT_TRUE(donnees);
    ASSERT_TRUE(Attends([&] { return donnees->isVisible(); }));
    cpu->close();
    EXPECT_TRUE(Attends([&] { return !donnees || !donnees->isVisible(); }));
}

} // namespace

// The window keeps a history: the back buttons and their keys step back over
// what ran, the registers and the listing follow, the pane says each stop.
namespace {
TEST_F(ConsoleCPU, BackButtonsGoBackInTheMachinesTime) {
    ASSERT_TRUE(OuvreEtArrete());
    TMachine& m = f->Machine();
    ASSERT_TRUE(cpu->SBRecule->isEnabled());
    EXPECT_TRUE(cpu->SBRecule->toolTip().contains("Maj+F7"));
    cpu->ExecuteConsole("pas 3");
    const uint64_t n = m.NbInstructions;
    const uint16_t pc = m.RegPC;
    const uint8_t a = m.RegA;
    cpu->SBRecule->click();
    EXPECT_EQ(m.NbInstructions, n - 1);
    EXPECT_TRUE(Sortie().contains(QString::fromUtf8("debug> recule\narrêt : nombre d'instructions atteint à")))
        << Sortie().toStdString();
    ASSERT_NE(Action(QKeySequence(Qt::SHIFT | Qt::Key_F7)), nullptr);
    Action(QKeySequence(Qt::SHIFT | Qt::Key_F7))->trigger();
    EXPECT_EQ(m.NbInstructions, n - 2);
    cpu->ExecuteConsole("pas 2"); // the recorded future again
    EXPECT_EQ(m.NbInstructions, n);
    EXPECT_EQ(m.RegPC, pc);
    EXPECT_EQ(m.RegA, a);
    cpu->SBReculeJusqua->click();
    EXPECT_TRUE(Sortie().endsWith(QString::fromUtf8("arrêt : début de l'historique à 0000H"))) << Sortie().toStdString();
    EXPECT_EQ(m.RegPC, 0x0000);
}
// Ctrl+Maj+Retour arrière held in the main window: the first repeat stops
// the running machine, the next ones take it back; once the key is up it
// runs on from there.
TEST_F(ConsoleCPU, TheRewindKeyTakesTheRunningMachineBackAndRunsOn) {
    TMachine& m = f->Machine();
    ASSERT_NE(f->ActRecul, nullptr);
    EXPECT_EQ(f->ActRecul->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace));
    bool enCourse = false;
    QTimer::singleShot(80, f.get(), [&] {
        enCourse = m.BoucleActive;
        f->ActRecul->trigger();
    });
    ASSERT_TRUE(Attends([&] { return enCourse && !m.BoucleActive; }));
    const uint64_t avant = m.NbInstructions;
    f->ActRecul->trigger();
    const uint64_t apres = m.NbInstructions;
    EXPECT_LT(apres, avant);
    bool repart = false, fini = false;
    QTimer::singleShot(700, f.get(), [&] {
        repart = m.BoucleActive && m.NbInstructions > apres;
        m.FinEmul = true;
        fini = true;
    });
    ASSERT_TRUE(Attends([&] { return fini && !m.BoucleActive; }));
    EXPECT_TRUE(repart);
}
} // namespace
