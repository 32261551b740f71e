// The execution tools in the windows, offscreen: the CPU window's "Suivi"
// menu (trace through the console, history, profile, coverage), the bytes a
// step changed in red, who wrote a byte in a hint, the coverage colours of
// the memory and code windows, resizable windows opened cascaded and kept
// in the settings file, the main window's place. ZORV_CAPTURE_SUIVI=dossier
// saves pictures of the new windows there.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <random>

#include "Attente.h"
#include "config/DispositionFenetres.h"
#include "config/Parametres.h"
#include "config/ParametresFenetre.h"
#include "debugger/CPUForm.h"
#include "debugger/DasmForm.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/HexDataForm.h"
#include "debugger/HexEditQt.h"
#include "debugger/HistoriqueForm.h"
#include "debugger/ProfilForm.h"
#include "debugger/SuiviQt.h"
#include "debugger/VuesSuivi.h"
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

std::string Capture() { return qgetenv("ZORV_CAPTURE_SUIVI").toStdString(); }

struct FenetresSuivi : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    TCPUForm* cpu = nullptr;
    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-suivi-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomProgramme());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        std::ofstream(dossier / "QBM71K.sym") << "SOUS 0010\n";
        Demarre();
    }
    void Demarre() {
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
    bool Arrete() { return !f->Machine().BoucleActive && cpu->PanelEtat->text() == "STOP"; }
    // Opened from inside the run loop, then paused.
    bool OuvreEtArrete() {
        QTimer::singleShot(30, f.get(), [this] {
            f->TBCPU->click();
            cpu->SBPause->click();
        });
        return Attends([&] { return Arrete(); });
    }
    // Runs a little while, then pauses.
    bool Court() {
        const uint64_t avant = f->Machine().NbInstructions;
        cpu->SBRun->click();
        QTimer::singleShot(40, f.get(), [this] { cpu->SBPause->click(); });
        return Attends([&] { return f->Machine().NbInstructions > avant + 100 && Arrete(); });
    }
    QString Sortie() const { return cpu->MemoConsole->toPlainText(); }
    std::string Ini() const { return (dossier / "EmulZorv.ini").string(); }
    // The windows have no meta-object of their own: findChildren would take any widget.
    template <class T> std::vector<T*> Enfants() const {
        std::vector<T*> v;
        for (QObject* o : cpu->children())
            if (auto* w = dynamic_cast<T*>(o)) v.push_back(w);
        return v;
    }
    template <class T> T* Nouvelle(QPushButton* bouton) {
        const auto avant = Enfants<T>();
        bouton->click();
        for (T* w : Enfants<T>())
            if (std::find(avant.begin(), avant.end(), w) == avant.end()) return w;
        return nullptr;
    }
    static TRect Zone(const QWidget* w) {
        const QRect z = w->screen()->availableGeometry();
        return {z.x(), z.y(), z.width(), z.height()};
    }
    static bool DansEcran(const QWidget* w) {
        const TRect z = Zone(w);
        return w->x() >= z.X && w->y() >= z.Y && w->x() + w->width() <= z.X + z.L && w->y() + w->height() <= z.Y + z.H;
    }
};

TEST_F(FenetresSuivi, TheMenuOpensTheHistoryAndTheProfileWhichShowTheCodeOnADoubleClick) {
    ASSERT_TRUE(OuvreEtArrete());
    ASSERT_TRUE(cpu->BtnSuivi->isEnabled());
    EXPECT_EQ(cpu->BtnSuivi->geometry(), QRect(368 + 140, 440, 136, 24));
    QStringList textes;
    for (QAction* a : cpu->MenuSuivi->actions()) textes << a->text();
    EXPECT_EQ(textes, (QStringList{QString::fromUtf8("Trace\u2026"), "Historique", "Profil", "Couverture"}));
    ASSERT_TRUE(Court()); // the history follows while the window shows

    cpu->ActHistorique->trigger();
    THistoriqueForm* h = cpu->HistoriqueForm;
    ASSERT_TRUE(h->isVisible());
    EXPECT_EQ(h->windowTitle(), QString::fromUtf8("Historique d'ex\u00e9cution"));
    const int n = h->LVHistorique->topLevelItemCount();
    ASSERT_GT(n, 10);
    EXPECT_LE(n, int(THistoriqueForm::NbLignes));
    QTreeWidgetItem* dernier = h->LVHistorique->topLevelItem(n - 1);
    EXPECT_EQ(dernier->text(0).toStdString(), NombreFr(int64_t(f->Machine().NbInstructions)));
    EXPECT_TRUE(dernier->text(2).startsWith("A=")) << dernier->text(2).toStdString();
    // A step adds its row at the bottom.
    cpu->SBStep->click();
    ASSERT_TRUE(Attends([&] { return h->LVHistorique->topLevelItem(h->LVHistorique->topLevelItemCount() - 1)->text(0).toStdString() ==
                                     NombreFr(int64_t(f->Machine().NbInstructions)); }));
    // The double click lists from the instruction's address in a code window.
    QTreeWidgetItem* ligne = h->LVHistorique->topLevelItem(h->LVHistorique->topLevelItemCount() - 1);
    const unsigned adresse = ligne->data(0, Qt::UserRole).toUInt();
    emit h->LVHistorique->itemDoubleClicked(ligne, 0);
    const auto codes = Enfants<TDasmForm>();
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0]->Fenetre().Lignes().front().Adresse, adresse);
    EXPECT_EQ(codes[0]->EditAdresse->Edit()->text().left(4), QString::asprintf("%.4X", adresse));

    cpu->ActProfil->trigger();
    TProfilForm* p = cpu->ProfilForm;
    ASSERT_TRUE(p->isVisible());
    EXPECT_TRUE(p->BtnMarche->isEnabled());
    EXPECT_FALSE(p->BtnArret->isEnabled());
    p->BtnMarche->click();
    EXPECT_TRUE(cpu->Debogueur().Suivi.Profileur().Actif());
    EXPECT_FALSE(p->BtnMarche->isEnabled());
    ASSERT_TRUE(Court());
    ASSERT_TRUE(Attends([&] { return p->LVProfil->topLevelItemCount() == 4; })) << "0005, 0008, 0010, 0011";
    EXPECT_EQ(p->LVProfil->headerItem()->text(4), QString::fromUtf8("\u00c9tats T"));
    EXPECT_TRUE(p->LabelResume->text().startsWith("Profil : en marche, "));
    // Sorted by T-states (the CALL, 18), then by the heading clicked.
    EXPECT_EQ(p->LVProfil->topLevelItem(0)->text(0), "0005H");
    emit p->LVProfil->header()->sectionClicked(0);
    EXPECT_EQ(p->LVProfil->topLevelItem(0)->text(0), "0005H");
    EXPECT_EQ(p->LVProfil->topLevelItem(3)->text(0), "0011H");
    EXPECT_EQ(p->LVProfil->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    emit p->LVProfil->header()->sectionClicked(0);
    EXPECT_EQ(p->LVProfil->topLevelItem(0)->text(0), "0011H");
    EXPECT_EQ(p->LVProfil->topLevelItem(0)->text(2), "SOUS+1");
    p->RBRoutines->click();
    EXPECT_EQ(p->LVProfil->headerItem()->text(0), "Routine");
    ASSERT_EQ(p->LVProfil->topLevelItemCount(), 2);
    // CALL 18 + JMP 10 a round below the first symbol, INR 4 + RET 10 in SOUS.
    EXPECT_EQ(p->LVProfil->topLevelItem(0)->text(0), "(sans symbole)");
    EXPECT_EQ(p->LVProfil->topLevelItem(1)->text(0), "SOUS");
    EXPECT_FALSE(p->LVProfil->topLevelItem(1)->text(3).isEmpty()) << "its calls";
    p->BtnRaz->click();
    EXPECT_EQ(p->LVProfil->topLevelItemCount(), 0);
    // Running, its buttons wait with the other windows'.
    const uint64_t avant = f->Machine().NbInstructions;
    cpu->SBRun->click();
    QTimer::singleShot(20, f.get(), [&] {
        EXPECT_FALSE(p->BtnRaz->isEnabled());
        EXPECT_FALSE(cpu->BtnSuivi->isEnabled());
        cpu->SBPause->click();
    });
    ASSERT_TRUE(Attends([&] { return f->Machine().NbInstructions > avant && Arrete() && p->BtnRaz->isEnabled(); }));
    if (!Capture().empty()) {
        p->RBAdresses->click();
        p->grab().save(QString::fromStdString(Capture() + "/profil.png"));
        h->grab().save(QString::fromStdString(Capture() + "/historique.png"));
    }
    // Closing the CPU window closes them.
    cpu->close();
    EXPECT_FALSE(h->isVisible());
    EXPECT_FALSE(p->isVisible());
}

TEST_F(FenetresSuivi, TraceStartsAndStopsThroughTheConsolesCommand) {
    ASSERT_TRUE(OuvreEtArrete());
    const std::string chemin = (dossier / "la trace.txt").string(); // a blank in the name
    int demandes = 0;
    cpu->ChoisitFichierTrace = [&] {
        ++demandes;
        return QString::fromStdString(chemin);
    };
    cpu->ActTrace->trigger();
    EXPECT_EQ(demandes, 1);
    EXPECT_TRUE(Sortie().contains(QString::fromStdString("debug> trace " + chemin))) << Sortie().toStdString();
    EXPECT_TRUE(Sortie().contains(QString::fromStdString("trace : dans " + chemin + ", 0000H-FFFFH")));
    ASSERT_NE(cpu->Debogueur().Suivi.Trace(), nullptr);
    EXPECT_EQ(cpu->ActTrace->text(), QString::fromUtf8("Arr\u00eater la trace"));
    ASSERT_TRUE(Court());
    cpu->ActTrace->trigger();
    EXPECT_EQ(demandes, 1) << "stopping asks for no file";
    EXPECT_EQ(cpu->Debogueur().Suivi.Trace(), nullptr);
    EXPECT_TRUE(Sortie().contains(QString::fromStdString(" instructions dans " + chemin)));
    EXPECT_EQ(cpu->ActTrace->text(), QString::fromUtf8("Trace\u2026"));
    std::ifstream fichier(chemin);
    std::string premiere;
    ASSERT_TRUE(std::getline(fichier, premiere));
    EXPECT_NE(premiere.find(" T="), std::string::npos) << premiere;
    // A cancelled dialog starts nothing.
    cpu->ChoisitFichierTrace = [] { return QString(); };
    cpu->ActTrace->trigger();
    EXPECT_EQ(cpu->Debogueur().Suivi.Trace(), nullptr);
}

TEST_F(FenetresSuivi, AStepsWritesAreRedAndTheHintSaysWhoWroteThem) {
    ASSERT_TRUE(OuvreEtArrete());
    cpu->ExecuteConsole("reg PC=0005");
    cpu->ExecuteConsole("reg SP=7000");
    THexDataForm* a = Nouvelle<THexDataForm>(cpu->BtnAffData);
    ASSERT_TRUE(a);
    a->EdtAdr->Edit()->setText("6FF0 6FFF");
    cpu->SBStep->click(); // CALL 0010H: 08H at 6FFE, 00H at 6FFF
    ASSERT_TRUE(Attends([&] { return a->Logique().Aspect(0x6FFE).Change; }));
    EXPECT_FALSE(a->Logique().Aspect(0x6FFF).Change) << "written, but with the byte it held";
    EXPECT_FALSE(a->Logique().Aspect(0x6FFD).Change);
    // Painted in red: byte 6FFE is the seventh of the second line.
    const QImage image = a->HexEdit->grab().toImage();
    const int w = a->HexEdit->LargeurChiffre();
    auto rouges = [&](int colonne) {
        int n = 0;
        for (int x = 5 + w * (6 + 3 * colonne); x < 5 + w * (8 + 3 * colonne); ++x)
            for (int y = 5 + 16; y < 5 + 32; ++y) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            }
        return n;
    };
    EXPECT_GT(rouges(6), 0);
    EXPECT_EQ(rouges(7), 0);
    // The hint over it: the CALL at 0005H wrote it.
    const QPoint p(5 + w * (6 + 3 * 6) + 2, 5 + 16 + 6);
    QHelpEvent aide(QEvent::ToolTip, p, a->HexEdit->mapToGlobal(p));
    QApplication::sendEvent(a->HexEdit, &aide);
    EXPECT_TRUE(QToolTip::text().contains(QString::fromUtf8("6FFEH banque 0 : \u00e9crit par 0005H"))) << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("00H avant, 08H maintenant"))) << QToolTip::text().toStdString();
}

TEST_F(FenetresSuivi, CoverageColoursTheMemoryAndCodeWindowsWithALegend) {
    ASSERT_TRUE(OuvreEtArrete());
    THexDataForm* a = Nouvelle<THexDataForm>(cpu->BtnAffData);
    TDasmForm* c = Nouvelle<TDasmForm>(cpu->BtnAffCode);
    ASSERT_TRUE(a && c);
    EXPECT_FALSE(a->LabelLegende->isVisible());
    EXPECT_FALSE(c->LabelLegende->isVisible());
    cpu->ActCouverture->trigger();
    EXPECT_TRUE(cpu->ActCouverture->isChecked());
    EXPECT_TRUE(Sortie().contains("couverture : en marche"));
    ASSERT_TRUE(Court());
    ASSERT_TRUE(Attends([&] { return a->LabelLegende->isVisible() && c->LabelLegende->isVisible(); }));
    EXPECT_TRUE(a->LabelLegende->text().contains(QString::fromUtf8("ex\u00e9cut\u00e9")));
    EXPECT_GE(a->height(), 408 + 22) << "the legend below the documented layout";
    EXPECT_GE(a->LabelLegende->y(), a->EditRecherche->geometry().bottom());
    // The stack's bytes written, the loop's code run.
    a->EdtAdr->Edit()->setText("7FF0 7FFF");
    EXPECT_EQ(a->Logique().Aspect(0x7FFE).Acces & AccesEcrit, AccesEcrit);
    EXPECT_EQ(a->Logique().Aspect(0x7FF0).Acces, 0);
    ASSERT_TRUE(Attends([&] { return c->LBCode->count() > 8; }));
    for (int i = 0; i < c->LBCode->count(); ++i) {
        const unsigned adr = c->LBCode->item(i)->data(Qt::UserRole).toUInt();
        const bool boucle = adr == 0x05 || adr == 0x08 || adr == 0x10 || adr == 0x11;
        if (boucle) {
            EXPECT_EQ(c->LBCode->item(i)->background().color(), CouleurQt(CouleurExecute)) << adr;
        } else if (adr >= 0x12) {
            EXPECT_EQ(c->LBCode->item(i)->background().style(), Qt::NoBrush) << adr;
        }
    }
    if (!Capture().empty()) {
        a->grab().save(QString::fromStdString(Capture() + "/couverture.png"));
        c->grab().save(QString::fromStdString(Capture() + "/couverture-code.png"));
    }
    cpu->ActCouverture->trigger();
    EXPECT_TRUE(Sortie().contains(QString::fromUtf8("couverture : arr\u00eat\u00e9e")));
    ASSERT_TRUE(Attends([&] { return !a->LabelLegende->isVisible() && !c->LabelLegende->isVisible(); }));
    EXPECT_EQ(c->LBCode->item(5)->background().style(), Qt::NoBrush);
}

TEST_F(FenetresSuivi, WindowsGrowCascadeWithinTheScreenAndKeepTheirPlaces) {
    ASSERT_TRUE(OuvreEtArrete());
    THexDataForm* a = Nouvelle<THexDataForm>(cpu->BtnAffData);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->size(), QSize(337, 408));
    EXPECT_TRUE(DansEcran(a));
    a->resize(420, 560);
    EXPECT_EQ(a->HexEdit->geometry(), QRect(16, 84, 305 + 83, 206 + 152));
    EXPECT_EQ(a->HexEdit->Modele().NbLignesVisibles(), (206 + 152) / 16);
    EXPECT_EQ(a->BtnRechercher->geometry().right(), a->HexEdit->geometry().right());
    EXPECT_EQ(a->EditRecherche->geometry().bottom(), 560 - 408 + 380 + 23);
    THexDataForm* b = Nouvelle<THexDataForm>(cpu->BtnAffData);
    ASSERT_TRUE(b);
    EXPECT_TRUE(DansEcran(b));
    EXPECT_NE(b->pos(), a->pos()) << "cascaded";
    const QPoint ouA = a->pos();
    a->close();
    ASSERT_EQ(LitDisposition(Ini(), TGenreFenetre::Donnees), (TRect{ouA.x(), ouA.y(), 420, 560}));
    b->close();
    THexDataForm* c = Nouvelle<THexDataForm>(cpu->BtnAffData);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->size(), QSize(337, 408)) << "where the last one was left, with its size";
    const auto garde = LitDisposition(Ini(), TGenreFenetre::Donnees);
    ASSERT_TRUE(garde);
    EXPECT_EQ(c->pos(), QPoint(garde->X, garde->Y));
    THexDataForm* d = Nouvelle<THexDataForm>(cpu->BtnAffData);
    const TRect attendu = PlaceFenetre(*garde, 1, Zone(d));
    EXPECT_EQ(d->pos(), QPoint(attendu.X, attendu.Y));
    // A place kept off the screen (another screen unplugged) comes back in.
    std::string erreur;
    ASSERT_TRUE(EcritDisposition(Ini(), TGenreFenetre::Profil, {5000, 4000, 640, 420}, erreur));
    cpu->ActProfil->trigger();
    EXPECT_TRUE(DansEcran(cpu->ProfilForm));
    EXPECT_EQ(cpu->ProfilForm->size(), QSize(640, 420));
    // The windows still open keep their places when the program ends.
    cpu->ProfilForm->move(cpu->ProfilForm->x() - 10, cpu->ProfilForm->y() - 10);
    const QPoint ouProfil = cpu->ProfilForm->pos();
    f.reset();
    EXPECT_EQ(LitDisposition(Ini(), TGenreFenetre::Profil), (TRect{ouProfil.x(), ouProfil.y(), 640, 420}));
}

TEST_F(FenetresSuivi, TheMainWindowOpensWhereItWasClosed) {
    const TRect zone = Zone(f.get());
    const QSize taille(std::min(700, zone.L - 40), std::min(500, zone.H - 40));
    f->resize(taille);
    f->move(zone.X + 12, zone.Y + 8);
    f->close();
    const TParametresFenetre p = LitParametresFenetre(Ini());
    ASSERT_TRUE(p.Geometrie);
    EXPECT_EQ(*p.Geometrie, (TRect{zone.X + 12, zone.Y + 8, taille.width(), taille.height()}));
    f.reset();
    Demarre();
    EXPECT_EQ(f->size(), taille);
    EXPECT_EQ(f->pos(), QPoint(zone.X + 12, zone.Y + 8));
    // A place beyond the screen is brought back within it.
    f->move(zone.X + zone.L + 300, zone.Y);
    f->close();
    f.reset();
    Demarre();
    EXPECT_TRUE(DansEcran(f.get()));
    f->Machine().FinEmul = true;
}

} // namespace
