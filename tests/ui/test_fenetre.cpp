#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "config/Demarrage.h"
#include "debugger/CPUForm.h"
#include "devices/TraductionClavier.h"
#include "ui/Icones.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

// Runs the event loop until the window says it is closed (at most 10 s).
bool AttendsFermeture(TMainForm& f) {
    if (!f.isVisible()) return true;
    QEventLoop boucle;
    QObject::connect(&f, &TMainForm::Fermee, &boucle, &QEventLoop::quit);
    QTimer garde;
    garde.setSingleShot(true);
    QObject::connect(&garde, &QTimer::timeout, &boucle, &QEventLoop::quit);
    garde.start(10000);
    boucle.exec();
    return !f.isVisible();
}

// Runs `action` `ms` milliseconds from now, from inside the event loop (so
// between two instructions when the machine runs).
void Plus(int ms, QObject* contexte, std::function<void()> action) {
    QTimer::singleShot(ms, contexte, std::move(action));
}

bool TraductionPresente() {
    TMessageClavier a;
    a.Code = u'a';
    return !TraduitMessageClavier(a, {}).Entrees.empty();
}

void Frappe(QWidget* w, int cle, const QString& texte, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QKeyEvent appui(QEvent::KeyPress, cle, mod, texte);
    QApplication::sendEvent(w, &appui);
    QKeyEvent relache(QEvent::KeyRelease, cle, mod, texte);
    QApplication::sendEvent(w, &relache);
}

// The test boot ROM: counts its starts at 0x9000, sets interrupts (EI or DI)
// and loops at 0x0008; the interrupt handler at 0x002C marks 0x9001 and halts.
std::vector<uint8_t> RomTest(bool ei) {
    std::vector<uint8_t> rom(0x40, 0);
    const uint8_t code[] = {0x21, 0x00, 0x90, 0x34, 0x31, 0x00, 0x80, uint8_t(ei ? 0xFB : 0xF3),
                            0x00, 0xC3, 0x08, 0x00};
    std::copy(std::begin(code), std::end(code), rom.begin());
    const uint8_t handler[] = {0x3E, 0x55, 0x32, 0x01, 0x90, 0x76};
    std::copy(std::begin(handler), std::end(handler), rom.begin() + 0x2C);
    return rom;
}

struct Fenetre : ::testing::Test {
    std::filesystem::path dossier;
    std::vector<std::pair<TTypeBoite, std::string>> boites;
    std::unique_ptr<TMainForm> f;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-ui-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomTest(false));
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    void Cree() {
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.ImpressionPdf = true;
        options.Boite = [this](TTypeBoite t, const std::string& s) {
            boites.emplace_back(t, s);
            if (PendantBoite) PendantBoite();
            return true;
        };
        f = std::make_unique<TMainForm>(options);
        f->show();
        // The start-up is queued behind the show; run it (only it: the run
        // message it posts waits for the event loop).
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        EXPECT_TRUE(f->Demarree());
    }
    // What happens while a box is open (a real box runs its own event loop).
    std::function<void()> PendantBoite;
    TMachine& M() { return f->Machine(); }
    QImage ImageCPU() const { return f->TBCPU->icon().pixmap(24, 24).toImage(); }
    static QImage Image(int i) { return ImagesBarreOutils()[i].pixmap(24, 24).toImage(); }
    // Runs the machine until the window closes.
    void Tourne() { ASSERT_TRUE(AttendsFermeture(*f)); }
};

TEST_F(Fenetre, SpeedButtonSwitchesTheModeAndKeepsTheSetting) {
    Cree();
    ASSERT_NE(f->TBVitesse, nullptr);
    EXPECT_FALSE(f->TBVitesse->isChecked());
    EXPECT_FALSE(f->Hote().VitesseReelle());
    EXPECT_TRUE(f->BarreEtat()->LabelVitesse->text().startsWith(QStringLiteral("Vitesse maximale")));
    EXPECT_EQ(f->TBVitesse->shortcut(), QKeySequence(Qt::ALT | Qt::Key_R));
    EXPECT_TRUE(f->TBVitesse->toolTip().contains(QStringLiteral("Alt+R")));
    f->TBVitesse->click();
    EXPECT_TRUE(f->Hote().VitesseReelle());
    EXPECT_EQ(f->Hote().HorlogeKHz(), 3000u);
    EXPECT_TRUE(f->BarreEtat()->LabelVitesse->text().startsWith(QString::fromUtf8("Vitesse r\u00e9elle")));
    std::ifstream ini(f->Parametres().ProgDir + "EmulZorv.ini");
    const std::string texte((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    EXPECT_NE(texte.find("[Vitesse]\nReelle=1\n"), std::string::npos);
    f->TBVitesse->click();
    EXPECT_FALSE(f->Hote().VitesseReelle());
}

TEST_F(Fenetre, WindowToolbarAndBoxes) {
    Cree();
    EXPECT_TRUE(f->windowTitle().startsWith(QString("Emulateur Zorvex 2.2a - T7E - 128 k-octets - "))) << f->windowTitle().toStdString();
    EXPECT_EQ(f->size(), QSize(1060, 650));
    EXPECT_EQ(f->PaintBox1->geometry(), QRect(16, 56, 1024, 576));
    const QStringList attendus{"Disques", "Maj / Min", "RAZ", "INT", QString::fromUtf8("Param\u00e8tres"),
                               "Prop. Imp.", "Imprime", "CPU", "Info", "Quitter", "Vitesse"};
    QStringList vus;
    for (QToolButton* b : f->findChild<QToolBar*>()->findChildren<QToolButton*>())
        if (!b->text().isEmpty() && b->isVisibleTo(f.get())) vus << b->text();
    const QStringList avecMenu = attendus + QStringList{"Menu"}; // the window's own commands, right of the documented buttons
    EXPECT_EQ(vus, avecMenu);
    int xPrec = -1;
    for (QToolButton* b : {f->TBDsq, f->TBKbd, f->TBRaz, f->TBInt, f->TBParams, f->TBPrSetup, f->TBPrint, f->TBCPU,
                           f->TBInfo, f->TBExit}) {
        EXPECT_EQ(b->size(), QSize(62, 36));
        EXPECT_GT(b->x(), xPrec);
        xPrec = b->x();
    }
    for (QToolButton* b : {f->TBDsq, f->TBParams, f->TBPrSetup}) EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(f->TBPrint->isEnabled()); // Attente=-1: jobs are ended by hand
    EXPECT_TRUE(boites.empty());
    f->TBInfo->click();
    ASSERT_NE(f->CPUForm(), nullptr);
    EXPECT_FALSE(f->CPUForm()->isVisible()); // created hidden
    f->TBCPU->click();
    EXPECT_TRUE(f->CPUForm()->isVisible());
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].first, TTypeBoite::Information);
    EXPECT_EQ(boites[0].second, "Emulateur Zorvex\nVersion 2.2a");
    // The three run-state pictures differ from each other.
    EXPECT_NE(Image(10), Image(11));
    EXPECT_NE(Image(11), Image(12));
    EXPECT_NE(Image(10), Image(12));
    f->close();
}

TEST_F(Fenetre, QuitterEndsTheRunLoop) {
    Cree();
    bool tournait = false;
    Plus(30, f.get(), [&] {
        tournait = M().BoucleActive && M().EtatCPU == CPURun && ImageCPU() == Image(10);
        f->TBExit->click();
    });
    Tourne();
    EXPECT_TRUE(tournait);
    EXPECT_TRUE(M().FinEmul);
    EXPECT_FALSE(M().BoucleActive);
    EXPECT_EQ(M().ZorvMem[0x9000], 1);
    EXPECT_GT(M().NbInstructions, 100u);
    EXPECT_TRUE(boites.empty());
}

TEST_F(Fenetre, AltF4EndsTheRunLoop) {
    Cree();
    Plus(30, f.get(), [&] { Frappe(f->PaintBox1, Qt::Key_F4, QString(), Qt::AltModifier); });
    Tourne();
    EXPECT_TRUE(M().FinEmul);
    EXPECT_FALSE(M().BoucleActive);
}

TEST_F(Fenetre, MissingBootRomClosesTheWindow) {
    std::filesystem::remove(dossier / "QBM71K.bin");
    Cree();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].first, TTypeBoite::Erreur);
    EXPECT_EQ(boites[0].second, "Le fichier " + (dossier / "QBM71K.bin").string() + " est absent");
    Tourne();
    EXPECT_EQ(M().NbInstructions, 0u);
}

// Each box runs its own event loop, where the first loader's close request
// arrives: it waits until the last box is closed, so every box shows, in
// the loaders' order, over the window still open.
TEST_F(Fenetre, EveryMissingImageIsReportedInOrderBeforeTheWindowCloses) {
    std::filesystem::remove(dossier / "G-CAR-T9.bin");
    std::filesystem::remove(dossier / "QBM71K.bin");
    std::filesystem::remove(dossier / "T318-C.bin");
    std::vector<bool> ouverte;
    PendantBoite = [&] {
        QEventLoop boucle;
        QTimer::singleShot(30, &boucle, &QEventLoop::quit);
        boucle.exec();
        ouverte.push_back(f->isVisible());
    };
    Cree();
    ASSERT_EQ(boites.size(), 3u);
    EXPECT_EQ(boites[0].second, "Le fichier " + (dossier / "G-CAR-T9.bin").string() + " est absent");
    EXPECT_EQ(boites[1].second, "Le fichier " + (dossier / "QBM71K.bin").string() + " est absent");
    EXPECT_EQ(boites[2].second, "Le fichier " + (dossier / "T318-C.bin").string() + " est absent");
    EXPECT_EQ(ouverte, (std::vector<bool>{true, true, true}));
    Tourne();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(M().NbInstructions, 0u);
}

TEST_F(Fenetre, OversizedBootRomClosesTheWindow) {
    Ecrit("QBM71K.bin", std::vector<uint8_t>(4097, 0));
    Cree();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].second, "Le fichier " + (dossier / "QBM71K.bin").string() + " est trop volumineux");
    Tourne();
    EXPECT_EQ(M().NbInstructions, 0u);
}

TEST_F(Fenetre, RazWhileRunningRestartsAtZeroAndReleasesMajMin) {
    Cree();
    uint8_t avant = 0;
    Plus(30, f.get(), [&] {
        f->TBKbd->click();
        EXPECT_TRUE(M().TBKbdDown);
        avant = M().ZorvMem[0x9000];
        f->TBRaz->click();
    });
    Plus(80, f.get(), [&] { f->close(); });
    Tourne();
    EXPECT_EQ(avant, 1);
    EXPECT_EQ(M().ZorvMem[0x9000], 2); // RAM kept, program started again
    EXPECT_FALSE(f->TBKbd->isChecked());
    EXPECT_FALSE(M().TBKbdDown);
}

TEST_F(Fenetre, IntWithInterruptsDisabledWaits) {
    Cree();
    Plus(30, f.get(), [&] { f->TBInt->click(); });
    Plus(80, f.get(), [&] { f->close(); });
    Tourne();
    EXPECT_TRUE(M().DemandeInt);
    EXPECT_EQ(M().ZorvMem[0x9001], 0);
    EXPECT_GE(M().RegPC, 0x0008);
    EXPECT_LE(M().RegPC, 0x000B);
}

TEST_F(Fenetre, IntTakenThenHaltThenRazRestarts) {
    Ecrit("QBM71K.bin", RomTest(true));
    Cree();
    Plus(30, f.get(), [&] { f->TBInt->click(); });
    bool arrete = false;
    Plus(80, f.get(), [&] {
        arrete = M().EtatCPU == CPUHalt && !M().BoucleActive && ImageCPU() == Image(12) && M().ZorvMem[0x9001] == 0x55;
        M().ZorvMem[0x9001] = 0;
        f->TBInt->click(); // nothing restarts a halted processor but a reset
    });
    bool toujoursArrete = false;
    Plus(120, f.get(), [&] {
        toujoursArrete = M().EtatCPU == CPUHalt && M().ZorvMem[0x9000] == 1;
        f->TBRaz->click();
    });
    Plus(170, f.get(), [&] { f->close(); });
    Tourne();
    EXPECT_TRUE(arrete);
    EXPECT_TRUE(toujoursArrete);
    EXPECT_EQ(M().ZorvMem[0x9000], 2);
    EXPECT_FALSE(M().DemandeInt); // cleared by the reset
    EXPECT_EQ(M().EtatCPU, CPURun);
}

TEST_F(Fenetre, VideoRamWritesShowOnTheScreenInTheTextColour) {
    std::vector<uint8_t> gencar(2048, 0);
    for (int ligne = 0; ligne < 12; ++ligne) gencar[0x41 * 16 + ligne] = 0xFF;
    Ecrit("G-CAR-T9.bin", gencar);
    std::ofstream(dossier / "EmulZorv.ini") << "[Affichage]\nTexte=1\n";
    Cree();
    QImage vu;
    Plus(30, f.get(), [&] {
        M().WriteMem(0x1000, 0, 0x41); // row 0, column 0
        vu = f->PaintBox1->grab().toImage();
        f->close();
    });
    Tourne();
    ASSERT_FALSE(vu.isNull());
    EXPECT_EQ(vu.pixelColor(32 + 5, 3), QColor(0xFF, 0xD0, 0x00)); // amber dot
    EXPECT_EQ(vu.pixelColor(32 + 0, 3), QColor(0, 0, 0));          // cell column 0 stays dark
    EXPECT_EQ(vu.pixelColor(32 + 12 + 5, 3), QColor(0, 0, 0));     // next cell: a space
}

// The clock ports start from the host's local time and then follow the
// machine's own time, not the host's: a stopped machine's clock stands
// still, and the machine's time moved on moves it as far.
TEST_F(Fenetre, LocalTimeStartsFromTheSystemClockAndFollowsTheMachine) {
    Cree();
    M().FinEmul = true; // the run loop ends at once: the machine stands still
    QCoreApplication::processEvents();
    auto secondes = [](const THeureLocale& h) { return (h.Heure * 60 + h.Minute) * 60 + h.Seconde; };
    const THeureLocale h = f->Hote().HeureLocale();
    const QDateTime systeme = QDateTime::currentDateTime();
    const int ecart = std::abs(secondes(h) - systeme.time().msecsSinceStartOfDay() / 1000);
    EXPECT_TRUE(ecart <= 2 || ecart >= 86398) << ecart;
    EXPECT_EQ(h.Jour, systeme.date().day());
    EXPECT_EQ(h.JourSemaine, systeme.date().dayOfWeek() % 7);
    QThread::msleep(1100);
    EXPECT_EQ(f->Hote().HeureLocale(), h); // the host's second went by, not the machine's
    f->Hote().TempsMachine().Ajoute(90'000'000);
    const THeureLocale plus = f->Hote().HeureLocale();
    EXPECT_EQ((secondes(plus) - secondes(h) + 86400) % 86400, 90);
    f->close();
}

TEST_F(Fenetre, KeysReachTheQueueOnceAndUnmatchedOnesTheirWidget) {
    if (!TraductionPresente()) GTEST_SKIP() << "key rules not built";
    Cree();
    // A field of the main window (another window of the program keeps its
    // keys: the debugger's command line).
    auto* champ = new QLineEdit(f.get());
    champ->show();
    std::vector<uint16_t> apresA, apresAccent;
    QString texteChamp, texteModal;
    int fileApresModal = -1;
    Plus(30, f.get(), [&] {
        Frappe(f->PaintBox1, Qt::Key_A, "a");
        apresA.assign(M().BufClav.begin(), M().BufClav.begin() + M().NbCarClav);
        M().VideClavier();
        M().ModeClavier = 0;
        Frappe(f->PaintBox1, Qt::Key_Dead_Circumflex, QString());
        Frappe(f->PaintBox1, Qt::Key_Shift, QString(), Qt::ShiftModifier);
        Frappe(f->PaintBox1, Qt::Key_E, "e");
        apresAccent.assign(M().BufClav.begin(), M().BufClav.begin() + M().NbCarClav);
        M().VideClavier();
        M().ModeClavier = 2; // ê has no rule in this mode
        Frappe(champ, Qt::Key_A, "a");
        Frappe(champ, Qt::Key_Ecircumflex, QString::fromUtf8("\u00ea"));
        Frappe(champ, Qt::Key_Dead_Diaeresis, QString());
        Frappe(champ, Qt::Key_U, "u");
        texteChamp = champ->text();
        // A modal box keeps its keys.
        QDialog boite;
        auto* saisie = new QLineEdit(&boite);
        boite.setModal(true);
        boite.show();
        Frappe(saisie, Qt::Key_Z, "z");
        texteModal = saisie->text();
        fileApresModal = M().NbCarClav;
        boite.hide();
        f->close();
    });
    Tourne();
    EXPECT_EQ(apresA, std::vector<uint16_t>{0x0361});
    EXPECT_EQ(apresAccent, std::vector<uint16_t>{0x0215});
    EXPECT_EQ(texteChamp, QString::fromUtf8("\u00ea\u00fc")); // composed before reaching the field
    EXPECT_EQ(M().NbCarClav, 1); // the 'a' typed into the field
    EXPECT_EQ(texteModal, "z");
    EXPECT_EQ(fileApresModal, 1);
    // Capture ends with the run loop: keys then reach their widgets.
    Frappe(champ, Qt::Key_B, "b");
    EXPECT_EQ(champ->text(), QString::fromUtf8("\u00ea\u00fcb"));
}

} // namespace

namespace {

TEST_F(Fenetre, ImagesOfTheSettingsAreMountedBeforeTheMachineRuns) {
    Ecrit("d2.img", std::vector<uint8_t>(788480, 0xE5));
    Ecrit("d9.img", std::vector<uint8_t>(409600, 0));
    std::ofstream(dossier / "EmulZorv.ini") << "[Images]\nD2=" << (dossier / "d2.img").string()
                                            << "\nD9=" << (dossier / "d9.img").string() << "\n";
    Cree();
    int etat1 = -1, etat2 = -1, etat3 = -1;
    Plus(50, f.get(), [&] {
        etat1 = f->Lecteurs().EtatDuDisque(1);
        etat2 = f->Lecteurs().EtatDuDisque(2);
        etat3 = f->Lecteurs().EtatDuDisque(3);
        f->close();
    });
    Tourne();
    EXPECT_EQ(etat2, 1);
    EXPECT_EQ(etat1, 0);
    EXPECT_EQ(etat3, 0); // wrong size for a 1.2 Mo drive
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].first, TTypeBoite::Erreur);
    EXPECT_NE(boites[0].second.find("doit \u00eatre"), std::string::npos) << boites[0].second;
    EXPECT_EQ(M().Lecteurs, &f->Lecteurs());
}

} // namespace

namespace {

// A box shown at start-up runs its own event loop: the run loop must not start
// from there, and the window is already on screen.
TEST_F(Fenetre, StartUpBoxesComeOverTheShownWindowBeforeTheRunLoop) {
    Ecrit("d2.img", std::vector<uint8_t>(1000, 0));
    std::ofstream(dossier / "EmulZorv.ini") << "[Images]\nD2=" << (dossier / "d2.img").string() << "\n";
    bool visible = false, boucleSousBoite = true;
    PendantBoite = [&] {
        visible = f && f->isVisible();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        boucleSousBoite = M().BoucleActive;
    };
    Cree();
    PendantBoite = nullptr;
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_TRUE(visible);
    EXPECT_FALSE(boucleSousBoite);
    bool tourne = false;
    Plus(30, f.get(), [&] {
        tourne = M().BoucleActive && M().NbInstructions > 0;
        f->close();
    });
    Tourne();
    EXPECT_TRUE(tourne);
}

// A run message that arrives while any box is open waits for the box.
TEST_F(Fenetre, RunMessageWaitsForAnOpenBox) {
    Cree();
    bool boucleSousBoite = true, relancee = false;
    uint64_t pendant = 0, apres = 0;
    Plus(30, f.get(), [&] { M().ChangeEtatCPU(CPUStop); });
    Plus(60, f.get(), [&] {
        PendantBoite = [&] {
            f->Hote().PosteMessage(MsgLanceEmulation);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            boucleSousBoite = M().BoucleActive;
            pendant = M().NbInstructions;
        };
        f->Hote().MessageInfo("une boîte");
        PendantBoite = nullptr;
    });
    Plus(120, f.get(), [&] {
        relancee = M().BoucleActive && M().EtatCPU == CPURun;
        apres = M().NbInstructions;
        f->close();
    });
    Tourne();
    EXPECT_FALSE(boucleSousBoite);
    EXPECT_TRUE(relancee);
    EXPECT_GT(apres, pendant);
}

} // namespace
