// The main window's own commands, offscreen: zoom, screenshots, paste,
// pause, status bar, tooltips, keyboard help and dead keys over the screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "devices/AideClavier.h"
#include "devices/Capture.h"
#include "disks/ActiviteLecteurs.h"
#include "disks/GesDsqForm.h"
#include "ui/AideClavierForm.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

// Runs the event loop until `fini` holds (checked at every timer tick) or
// `ms` have passed; returns whether it held. While the machine runs, its run
// loop holds the event loop: this returns once the run loop has returned
// (`secours` closes the window when time is up).
bool Attends(const std::function<bool()>& fini, int ms = 10000, const std::function<void()>& secours = {}) {
    if (fini()) return true;
    QEventLoop boucle;
    QTimer tic, garde;
    QObject::connect(&tic, &QTimer::timeout, &boucle, [&] {
        if (fini()) boucle.quit();
    });
    QObject::connect(&garde, &QTimer::timeout, &boucle, [&] {
        if (secours) secours();
        boucle.quit();
    });
    tic.start(5);
    garde.setSingleShot(true);
    garde.start(ms);
    boucle.exec();
    return fini();
}

// The window's picture, for docs/ when ZORV_CAPTURES names a folder.
void Capture(QWidget* w, const char* nom) {
    const QString dossier = qEnvironmentVariable("ZORV_CAPTURES");
    if (!dossier.isEmpty()) w->grab().save(dossier + "/" + nom);
}

void Frappe(QWidget* w, int cle, const QString& texte) {
    QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, texte);
    QApplication::sendEvent(w, &appui);
    QKeyEvent relache(QEvent::KeyRelease, cle, Qt::NoModifier, texte);
    QApplication::sendEvent(w, &relache);
}

// Boot ROM: a loop that never reads the keyboard.
std::vector<uint8_t> RomBoucle() { return {0x31, 0x00, 0x80, 0x00, 0xC3, 0x03, 0x00}; }

struct Commandes : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-cmd-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0x55));
        Ecrit("QBM71K.bin", RomBoucle());
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
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        ASSERT_TRUE(f->Demarree());
    }
    // The run loop ends at once when it starts: the window stays, the event
    // loop is free.
    void SansMachine() {
        M().FinEmul = true;
        QCoreApplication::processEvents();
        ASSERT_FALSE(M().BoucleActive);
    }
    // Once `condition` holds (checked every 5 ms from inside the event loop,
    // so between two instructions), runs `action` once.
    void Quand(std::function<bool()> condition, std::function<void()> action) {
        auto* tic = new QTimer(f.get());
        QObject::connect(tic, &QTimer::timeout, f.get(), [tic, condition, action] {
            if (!condition()) return;
            tic->stop();
            tic->deleteLater();
            action();
        });
        tic->start(5);
    }
    // Waits for `fini` and for the run loop to have ended.
    bool Fin(const std::function<bool()>& fini) {
        return Attends([&] { return fini() && !M().BoucleActive; }, 10000, [this] { f->close(); });
    }
    TMachine& M() { return f->Machine(); }
};

TEST_F(Commandes, ScreenScalesSharplyAtTwoAndSmoothlyWhenFitted) {
    Cree();
    SansMachine();
    auto place = [&] {
        QCoreApplication::processEvents();
        return TRect{f->PaintBox1->x(), f->PaintBox1->y(), f->PaintBox1->width(), f->PaintBox1->height()};
    };
    const TRect unUn = place();
    f->ZoneDisponible = [] { return QRect(0, 0, 2560, 1600); };
    f->ChoisitZoom(TZoom::X2);
    const QSize tailleX2 = f->size();
    const TRect x2 = place();
    const bool lisseX2 = f->PaintBox1->Lisse;
    f->ChoisitZoom(TZoom::Ajuste);
    f->resize(1600, 1000);
    const TRect ajuste = place();
    const bool lisseAjuste = f->PaintBox1->Lisse;
    f->close();
    EXPECT_EQ(unUn, (TRect{16, 56, 1024, 576}));
    EXPECT_EQ(tailleX2, QSize(2084, 1226));
    EXPECT_EQ(x2, (TRect{16, 56, 2048, 1152}));
    EXPECT_FALSE(lisseX2);
    EXPECT_EQ(ajuste, (TRect{22, 82, 1552, 873}));
    EXPECT_TRUE(lisseAjuste);
    // The choice is in the settings file for the next start.
    const TParametresFenetre choix = LitParametresFenetre((dossier / "EmulZorv.ini").string());
    EXPECT_EQ(choix.Zoom, TZoom::Ajuste);
    EXPECT_FALSE(choix.PleinEcran);
    EXPECT_EQ(f->ActCapture->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_EQ(f->ActPleinEcran->shortcut(), QKeySequence(Qt::Key_F11));
}

// Ctrl+2 on a 1920 × 1200 screen: ×2 does not fit, the window stays within
// the screen at ×1 and says so; dragging its corner scales the picture.
TEST_F(Commandes, ZoomFitsTheScreenAndTheWindowsSizeScalesThePicture) {
    Cree();
    SansMachine();
    f->ZoneDisponible = [] { return QRect(0, 0, 1920, 1200); };
    f->move(1000, 700);
    f->ActZoom2->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Zoom(), TZoom::X1);
    EXPECT_TRUE(f->ActZoom1->isChecked());
    EXPECT_FALSE(f->ActZoom2->isChecked());
    EXPECT_EQ(f->size(), QSize(1060, 650));
    EXPECT_LE(f->frameGeometry().bottom(), 1199);
    EXPECT_LE(f->frameGeometry().right(), 1919);
    EXPECT_EQ(f->BarreEtat()->LabelMessage->text(),
              QString::fromUtf8("Zoom \u00d72 trop grand pour l'\u00e9cran (1\u202f920 \u00d7 1\u202f200) : zoom \u00d71"));
    EXPECT_FALSE(f->PaintBox1->Lisse);
    EXPECT_EQ(f->PaintBox1->size(), QSize(1024, 576));
    // The user drags the corner: the picture follows, smoothed.
    f->resize(1400, 900);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f->PaintBox1->Lisse);
    EXPECT_GT(f->PaintBox1->width(), 1024);
    EXPECT_EQ(f->PaintBox1->width() * 9, f->PaintBox1->height() * 16);
    // Ctrl+1 gives the sharp ×1 back.
    f->ActZoom1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->size(), QSize(1060, 650));
    EXPECT_FALSE(f->PaintBox1->Lisse);
    EXPECT_EQ(f->PaintBox1->geometry(), QRect(16, 56, 1024, 576));
    f->close();
}

// Keys typed at the screen while the machine is paused are kept, as a paste
// is, and reach the machine's queue as it reads it once it runs again.
TEST_F(Commandes, KeysTypedDuringPauseAreKeptForTheRun) {
    Cree();
    M().ModeClavier = 0;
    bool arretee = false;
    int pendant = -1, apres = -1;
    QString statut;
    std::vector<uint16_t> file;
    QTimer::singleShot(30, f.get(), [&] { f->ActPause->trigger(); });
    ASSERT_TRUE(Attends([&] { return !M().BoucleActive && M().EtatCPU == CPUStop; }));
    arretee = true;
    for (int i = 0; i < 14; ++i) Frappe(f->PaintBox1, Qt::Key_A + i % 3, QString(QChar('a' + i % 3)));
    pendant = M().NbCarClav;
    file.assign(M().BufClav.begin(), M().BufClav.begin() + M().NbCarClav);
    statut = f->BarreEtat()->LabelMessage->text();
    // Running again, the program takes every key: the two left follow.
    QTimer::singleShot(10, f.get(), [&] {
        for (int i = 0; i < 12; ++i) M().RetireTouche();
        apres = M().NbCarClav;
        f->close();
    });
    f->ActPause->trigger();
    ASSERT_TRUE(Fin([&] { return apres >= 0; }));
    EXPECT_TRUE(arretee);
    EXPECT_EQ(pendant, 12);
    ASSERT_EQ(file.size(), 12u);
    EXPECT_EQ(file[0] & 0xFF, 'a');
    EXPECT_EQ(file[1] & 0xFF, 'b');
    EXPECT_EQ(statut, QString::fromUtf8("Machine arr\u00eat\u00e9e : 14 touches gard\u00e9es pour la reprise"));
    EXPECT_EQ(apres, 2);
    EXPECT_EQ(M().BufClav[0] & 0xFF, 'a');
    EXPECT_EQ(M().BufClav[1] & 0xFF, 'b');
}

TEST_F(Commandes, CaptureWritesTheMachinesBitmapAndSaysWhere) {
    Cree();
    SansMachine();
    M().RamTv[5] = 0xC1;
    const std::string chemin = f->Capture();
    const QString statut = f->BarreEtat()->LabelMessage->text();
    f->close();
    ASSERT_FALSE(chemin.empty());
    EXPECT_EQ(std::filesystem::path(chemin).parent_path(), dossier / "Captures");
    EXPECT_TRUE(statut.contains(QString::fromStdString(chemin))) << statut.toStdString();
    const QImage image(QString::fromStdString(chemin));
    ASSERT_EQ(image.size(), QSize(1024, 576));
    const QImage bitmap(M().BmpEcran.data(), 1024, 576, 1024 * 3, QImage::Format_BGR888);
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB888), bitmap.convertToFormat(QImage::Format_RGB888));
}

// The paste arriving whole as a program drains the queue is tested on the
// virtual clock; here, the commands around it.
TEST_F(Commandes, PasteTypesTheClipboardPacedByTheQueueAndCanBeStopped) {
    Cree();
    SansMachine();
    std::string texte;
    for (int i = 0; i < 400; ++i) texte += char('A' + i % 26);
    QGuiApplication::clipboard()->setText(QString::fromStdString(texte));
    if (QGuiApplication::clipboard()->text().isEmpty()) GTEST_SKIP() << "pas de presse-papiers";
    M().CaptureClav = false; // not running: the entries wait in the queue all the same
    M().ModeClavier = 0;
    f->ActColle->trigger();
    EXPECT_TRUE(f->CollageEnCours());
    EXPECT_TRUE(f->ActArretColle->isEnabled());
    ASSERT_EQ(M().NbCarClav, 12);
    EXPECT_EQ(M().BufClav[0], 0x0341);
    EXPECT_EQ(M().BufClav[11], 0x034C);
    // The queue drains by two: the next two letters follow, nothing skipped.
    M().RetireTouche();
    M().RetireTouche();
    ASSERT_TRUE(Attends([&] { return M().NbCarClav == 12; }, 2000));
    EXPECT_EQ(M().BufClav[10], 0x034D);
    EXPECT_EQ(M().BufClav[11], 0x034E);
    f->ActArretColle->trigger();
    EXPECT_FALSE(f->CollageEnCours());
    EXPECT_TRUE(f->BarreEtat()->LabelMessage->text().contains(QStringLiteral("386 caract\u00e8res non tap\u00e9s")))
        << f->BarreEtat()->LabelMessage->text().toStdString();
    f->close();
}

TEST_F(Commandes, PauseAndResumeShowInTitleAndStatusBar) {
    Cree();
    bool demande = false;
    QTimer::singleShot(20, f.get(), [&] {
        f->ActPause->trigger();
        demande = true;
    });
    ASSERT_TRUE(Fin([&] { return demande; }));
    EXPECT_EQ(M().EtatCPU, CPUStop);
    EXPECT_TRUE(f->windowTitle().endsWith(QStringLiteral(" - STOP")));
    EXPECT_EQ(f->BarreEtat()->LabelEtat->text(), QStringLiteral("STOP"));
    const uint64_t arrete = M().NbInstructions;
    bool repris = false;
    uint64_t pendantPause = 0;
    QString etat, titre;
    QTimer::singleShot(30, f.get(), [&] {
        pendantPause = M().NbInstructions;
        f->ActPause->trigger();
    });
    Quand([&] { return M().BoucleActive && M().NbInstructions > arrete; }, [&] {
        repris = true;
        etat = f->BarreEtat()->LabelEtat->text();
        titre = f->windowTitle();
        f->close();
    });
    ASSERT_TRUE(Fin([&] { return repris; }));
    EXPECT_EQ(pendantPause, arrete);
    EXPECT_EQ(etat, QStringLiteral("RUN"));
    EXPECT_TRUE(titre.endsWith(QStringLiteral(" - RUN")));
}

// One sector read at full speed lasts microseconds: the light stays lit at
// least 150 ms; at rest a drive with a disk shows a dim light, an empty one
// none.
TEST_F(Commandes, DriveLightComesOnWithActivityHoldsAndRestsDimWhenADiskIsIn) {
    Ecrit("disque.img", std::vector<uint8_t>(1261568, 0xE5)); // drive 9
    Ecrit("autre.img", std::vector<uint8_t>(788480, 0xE5));   // drive 1
    Cree();
    EXPECT_EQ(f->BarreEtat()->LabelModele->text(), QStringLiteral("T7E - 128 k-octets"));
    bool allumee = false, eteinte = false, autre = true;
    qint64 tenue = 0;
    TAspectVoyant repos = TAspectVoyant::Lecture, vide = TAspectVoyant::Lecture;
    QString styleMonte, styleVide;
    QElapsedTimer chrono;
    QTimer::singleShot(10, f.get(), [&] {
        ASSERT_TRUE(f->FormGesDsq().InsereImage(3, QString::fromStdString((dossier / "disque.img").string())));
        ASSERT_TRUE(f->FormGesDsq().InsereImage(1, QString::fromStdString((dossier / "autre.img").string())));
        f->BarreEtat()->MajLumieres();
        styleMonte = f->BarreEtat()->LabelLecteurs[2]->styleSheet();
        styleVide = f->BarreEtat()->LabelLecteurs[1]->styleSheet();
        chrono.start();
        f->Lecteurs().SignaleActivite(3, TOperationLecteur::Lecture);
        Quand([&] { return f->BarreEtat()->LumiereAllumee(3); }, [&] {
            allumee = true;
            autre = f->BarreEtat()->LumiereAllumee(1);
            Capture(f->BarreEtat(), "voyants-lecteurs.png");
            Quand([&] { return !f->BarreEtat()->LumiereAllumee(3); }, [&] {
                tenue = chrono.elapsed();
                eteinte = true;
                repos = f->BarreEtat()->Aspect(3);
                vide = f->BarreEtat()->Aspect(2);
                f->close();
            });
        });
    });
    ASSERT_TRUE(Fin([&] { return eteinte; }));
    EXPECT_TRUE(allumee);
    EXPECT_FALSE(autre);
    EXPECT_GE(tenue, 150);
    EXPECT_EQ(repos, TAspectVoyant::Monte);
    EXPECT_EQ(vide, TAspectVoyant::Vide);
    EXPECT_EQ(f->BarreEtat()->Aspect(1), TAspectVoyant::Monte);
    EXPECT_NE(styleMonte, styleVide);
    EXPECT_EQ(f->BarreEtat()->LabelLecteurs[2]->text(), QStringLiteral("9"));
}

TEST_F(Commandes, EveryToolbarButtonSaysWhatItDoesAndWhyItIsDisabled) {
    Cree();
    for (QToolButton* b : {f->TBDsq, f->TBKbd, f->TBRaz, f->TBInt, f->TBParams, f->TBPrSetup, f->TBPrint, f->TBCPU,
                           f->TBInfo, f->TBExit, f->TBMenu}) {
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->text().toStdString();
        EXPECT_EQ(b->toolTip().contains(QStringLiteral("\u2014")), !b->isEnabled()) << b->text().toStdString();
    }
    // Whoever enables a button, its tooltip drops the reason.
    f->TBPrint->setEnabled(true);
    EXPECT_FALSE(f->TBPrint->toolTip().contains(QStringLiteral("\u2014")));
    f->close();
    ASSERT_TRUE(Fin([] { return true; }));
}

TEST_F(Commandes, KeyboardHelpListsTheRulesOfTheCurrentMode) {
    Cree();
    M().ModeClavier = 1;
    f->ActAide->trigger();
    TAideClavierForm* aide = f->AideClavier();
    ASSERT_TRUE(aide);
    EXPECT_TRUE(aide->isVisible());
    EXPECT_EQ(aide->windowTitle(), QStringLiteral("Clavier"));
    const auto lignes = AideClavier(1);
    ASSERT_EQ(aide->LVTouches->rowCount(), int(lignes.size()));
    bool trouve = false;
    for (int i = 0; i < aide->LVTouches->rowCount(); ++i)
        if (aide->LVTouches->item(i, 0)->text() == QStringLiteral("@"))
            trouve = aide->LVTouches->item(i, 1)->text() == QStringLiteral("0360");
    EXPECT_TRUE(trouve);
    aide->CBMode->setCurrentIndex(aide->CBMode->findData(0));
    EXPECT_EQ(aide->LVTouches->rowCount(), int(AideClavier(0).size()));
    aide->CBMode->setCurrentIndex(aide->CBMode->findData(1));
    Capture(aide, "aide-clavier.png");
    // Every column whole, in every mode: the window is as wide as the table.
    for (int mode = -1; mode <= 2; ++mode) {
        aide->CBMode->setCurrentIndex(aide->CBMode->findData(mode));
        int colonnes = 0;
        for (int c = 0; c < 3; ++c) colonnes += aide->LVTouches->columnWidth(c);
        EXPECT_LE(colonnes, aide->LVTouches->viewport()->width()) << mode;
        EXPECT_EQ(aide->LVTouches->horizontalScrollBar()->maximum(), 0) << mode;
        QAbstractItemModel* modele = aide->LVTouches->model();
        for (int i = 0; i < aide->LVTouches->rowCount(); ++i) {
            const QString texte = modele->data(modele->index(i, 2)).toString();
            ASSERT_LE(aide->LVTouches->fontMetrics().horizontalAdvance(texte), aide->LVTouches->columnWidth(2))
                << mode << " " << texte.toStdString();
        }
    }
    f->close();
    ASSERT_TRUE(Fin([] { return true; }));
}

TEST_F(Commandes, DeadKeysOverTheScreenFallBackAsOnWindows) {
    Cree(); // the run message waits: keys stay in the queue
    auto file = [&] {
        std::vector<uint16_t> v(M().BufClav.begin(), M().BufClav.begin() + M().NbCarClav);
        M().VideClavier();
        return v;
    };
    M().CaptureClav = true;
    f->CaptureClavier(true);
    M().ModeClavier = 0;
    M().VideClavier();
    Frappe(f->PaintBox1, Qt::Key_Dead_Circumflex, QString());
    Frappe(f->PaintBox1, Qt::Key_X, "x");
    const std::vector<uint16_t> x = file();
    Frappe(f->PaintBox1, Qt::Key_Dead_Circumflex, QString());
    Frappe(f->PaintBox1, Qt::Key_Space, " ");
    const std::vector<uint16_t> espace = file();
    QInputMethodEvent compose;
    compose.setCommitString(QString::fromUtf8("\u00B9"));
    QApplication::sendEvent(f->PaintBox1, &compose);
    const std::vector<uint16_t> exposant = file();
    f->CaptureClavier(false);
    EXPECT_EQ(x, (std::vector<uint16_t>{0x035E, 0x0378}));
    EXPECT_EQ(espace, (std::vector<uint16_t>{0x035E}));
    EXPECT_EQ(exposant, (std::vector<uint16_t>{0x035E, 0x0331}));
    EXPECT_FALSE(f->PaintBox1->testAttribute(Qt::WA_InputMethodEnabled));
    f->close();
    ASSERT_TRUE(Fin([] { return true; }));
}

} // namespace
