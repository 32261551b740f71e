// The saved states from the window, offscreen: the menu's save and load,
// the quick states and their keys, a damaged file, a drive image changed
// since the save, the load dialog's preview and --load-state.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "config/EtatPoste.h"
#include "config/Modeles.h"
#include "core/HorlogeMachine.h"
#include "ui/ApercuEtat.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"
#include "ui/OptionsLigne.h"

#include "Attente.h"

// The window system's own way in for a key (what a real key press takes):
// the shortcut map first, then the focused widget.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* w, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text = QString(), bool autorep = false, ushort count = 1);

namespace {

// Boot ROM: a loop that never reads the keyboard.
std::vector<uint8_t> RomBoucle() { return {0x31, 0x00, 0x80, 0x00, 0xC3, 0x03, 0x00}; }

struct TBoiteVue {
    TTypeBoite Type;
    std::string Texte;
};

struct Etats : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    std::vector<TBoiteVue> boites;
    bool reponse = true; // to the questions
    std::vector<bool> dialogues; // the file dialogs asked for (true: load)
    std::optional<QString> choix;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-etats-" + std::to_string(alea()));
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
    std::vector<uint8_t> Lit(const std::filesystem::path& p) {
        std::ifstream e(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>()};
    }
    void Cree(const std::string& etat = {}) {
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.EtatAuDemarrage = etat;
        options.Boite = [this](TTypeBoite type, const std::string& texte) {
            boites.push_back({type, texte});
            return type == TTypeBoite::Question ? reponse : true;
        };
        f = std::make_unique<TMainForm>(options);
        f->ChoixFichierEtat = [this](bool charger) {
            dialogues.push_back(charger);
            return choix;
        };
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
    TMachine& M() { return f->Machine(); }
    uint64_t Hache() { return HacheMachine(M(), &f->Hote().TempsMachine()); }
    std::string Statut() { return f->BarreEtat()->LabelMessage->text().toStdString(); }
    // A machine that differs from the power-on one in registers, both banks
    // and the text screen.
    void Marque(uint8_t v) {
        M().RegA = v;
        M().RegB = uint8_t(v + 1);
        M().RegPC = uint16_t(0x2000 + v);
        M().RegSP = 0x7FF0;
        M().ZorvMem[0x4000] = v;
        M().ZorvMem[0x1'4000] = uint8_t(~v);
        M().RamTv[10] = uint8_t(0x41 + v % 26);
    }
    std::filesystem::path Rapide(int n) { return std::filesystem::path(FichierEtatRapide(f->Dossiers(), n)); }
    void Touche(int cle, Qt::KeyboardModifiers mod) {
        qt_handleKeyEvent(f->windowHandle(), QEvent::KeyPress, cle, mod);
        qt_handleKeyEvent(f->windowHandle(), QEvent::KeyRelease, cle, mod);
        QCoreApplication::processEvents();
    }
};

TEST_F(Etats, TheMenuSavesAndLoadsTheWholeMachine) {
    Cree();
    SansMachine();
    Marque(0x21);
    const std::filesystem::path chemin = dossier / "sous" / "essai.zetat";
    choix = QString::fromStdString(chemin.string());
    f->ActEnregistreEtat->trigger();
    ASSERT_TRUE(std::filesystem::is_regular_file(chemin)) << Statut();
    EXPECT_EQ(Statut(), "\u00c9tat enregistr\u00e9 : essai.zetat");
    const uint64_t enregistre = Hache();
    const TRegistresCPU registres = f->Porte().Registres();

    Marque(0x5C);
    M().NbInstructions += 1000;
    ASSERT_NE(Hache(), enregistre);
    f->ActChargeEtat->trigger();
    EXPECT_EQ(dialogues, (std::vector<bool>{false, true}));
    EXPECT_EQ(Hache(), enregistre);
    EXPECT_EQ(f->Porte().Registres(), registres);
    EXPECT_EQ(M().ZorvMem[0x4000], 0x21);
    EXPECT_EQ(M().ZorvMem[0x1'4000], 0xDE);
    EXPECT_EQ(M().RamTv[10], 0x41 + 0x21 % 26);
    EXPECT_EQ(Statut(), "\u00c9tat charg\u00e9 : essai.zetat");
    EXPECT_TRUE(boites.empty()) << boites[0].Texte;

    // Cancel changes nothing.
    choix.reset();
    Marque(0x33);
    const uint64_t avant = Hache();
    f->ActChargeEtat->trigger();
    EXPECT_EQ(Hache(), avant);
    f->close();
}

// The thumbnail and the title follow the screen and the model saved.
TEST_F(Etats, ALoadShowsTheModelOfTheState) {
    Cree();
    SansMachine();
    M().ChoisitModele(1);
    M().AncienneMach = 1;
    const std::filesystem::path chemin = dossier / "modele.zetat";
    ASSERT_TRUE(f->EnregistreEtatFichier(chemin.string()));
    M().ChoisitModele(0);
    M().AncienneMach = 0;
    const QString titre0 = f->windowTitle();
    ASSERT_TRUE(f->ChargeEtatFichier(chemin.string()));
    EXPECT_EQ(M().Machine, 1);
    EXPECT_NE(f->windowTitle(), titre0);
    EXPECT_TRUE(f->windowTitle().contains(QString::fromStdString(LibelleModele(1)))) << f->windowTitle().toStdString();
    EXPECT_EQ(f->BarreEtat()->LabelModele->text(), QString::fromStdString(LibelleModele(1)));
    f->close();
}

TEST_F(Etats, QuickStateKeysSaveAndLoadTheirSlot) {
    Cree();
    SansMachine();
    f->activateWindow();
    ASSERT_TRUE(Attends([&] { return f->isActiveWindow(); }));
    for (int n = 1; n <= NbEtatsRapides; ++n) {
        EXPECT_EQ(f->ActEnregistreRapide[size_t(n - 1)]->shortcut(),
                  QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key(Qt::Key_0 + n)));
        EXPECT_EQ(f->ActChargeRapide[size_t(n - 1)]->shortcut(), QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + n)));
        EXPECT_TRUE(f->ActChargeRapide[size_t(n - 1)]->text().contains(QStringLiteral("vide")));
    }
    Marque(0x02);
    Touche(Qt::Key_2, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(std::filesystem::is_regular_file(Rapide(2))) << Statut();
    EXPECT_EQ(Rapide(2).parent_path().filename().string(), "\u00c9tats");
    EXPECT_EQ(Statut(), "\u00c9tat enregistr\u00e9 : Rapide-2.zetat");
    EXPECT_FALSE(f->ActChargeRapide[1]->text().contains(QStringLiteral("vide")));
    const uint64_t deux = Hache();
    Marque(0x04);
    Touche(Qt::Key_4, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_TRUE(std::filesystem::is_regular_file(Rapide(4)));
    const uint64_t quatre = Hache();

    Marque(0x07);
    Touche(Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(Hache(), deux);
    EXPECT_EQ(Statut(), "\u00c9tat charg\u00e9 : Rapide-2.zetat");
    Touche(Qt::Key_4, Qt::AltModifier);
    EXPECT_EQ(Hache(), quatre);
    EXPECT_EQ(M().RegA, 0x04);

    // An empty slot says so and leaves the machine.
    Touche(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(Hache(), quatre);
    EXPECT_NE(Statut().find("Emplacement rapide 3 vide"), std::string::npos) << Statut();
    EXPECT_TRUE(boites.empty());
    f->close();
}

// A run under way goes on from the state loaded, without a stop.
TEST_F(Etats, AQuickLoadWhileRunningCarriesOn) {
    Cree();
    SansMachine();
    Marque(0x11);
    M().RegPC = 0x0003; // the ROM's loop
    ASSERT_TRUE(f->EnregistreEtatFichier(Rapide(1).string()));
    M().FinEmul = false;
    M().RegB = 0x99;
    bool charge = false;
    uint8_t bPendant = 0;
    QTimer::singleShot(30, f.get(), [&] {
        ASSERT_TRUE(M().BoucleActive);
        f->ChargeEtatRapide(1);
        charge = true;
        bPendant = M().RegB;
        QTimer::singleShot(30, f.get(), [&] { M().FinEmul = true; });
    });
    f->Porte().DemandeLancement();
    ASSERT_TRUE(Attends([&] { return charge && !M().BoucleActive; }));
    EXPECT_EQ(bPendant, 0x12);
    EXPECT_EQ(M().RegB, 0x12);
    EXPECT_EQ(M().ZorvMem[0x4000], 0x11);
    EXPECT_GT(M().NbInstructions, 0u);
    f->close();
}

TEST_F(Etats, ADamagedFileIsRefusedAndChangesNothing) {
    Cree();
    SansMachine();
    Marque(0x30);
    const std::filesystem::path bon = dossier / "bon.zetat";
    ASSERT_TRUE(f->EnregistreEtatFichier(bon.string()));
    const std::vector<uint8_t> octets = Lit(bon);
    ASSERT_GT(octets.size(), 200u);
    struct TCas {
        const char* Nom;
        std::vector<uint8_t> Contenu;
    };
    std::vector<uint8_t> retourne = octets;
    retourne[octets.size() / 2] ^= 0x40;
    const TCas cas[] = {
        {"coupe.zetat", std::vector<uint8_t>(octets.begin(), octets.begin() + std::ptrdiff_t(octets.size() / 2))},
        {"retourne.zetat", retourne},
        {"texte.zetat", std::vector<uint8_t>{'b', 'o', 'n', 'j', 'o', 'u', 'r'}},
        {"vide.zetat", {}},
    };
    Marque(0x44);
    const uint64_t avant = Hache();
    f->AfficheStatut("rien");
    for (const TCas& c : cas) {
        Ecrit(c.Nom, c.Contenu);
        boites.clear();
        EXPECT_FALSE(f->ChargeEtatFichier((dossier / c.Nom).string())) << c.Nom;
        EXPECT_EQ(Hache(), avant) << c.Nom;
        ASSERT_EQ(boites.size(), 1u) << c.Nom;
        EXPECT_EQ(boites[0].Type, TTypeBoite::Erreur);
        EXPECT_NE(boites[0].Texte.find(c.Nom), std::string::npos) << boites[0].Texte;
        EXPECT_EQ(Statut(), "rien") << c.Nom;
    }
    boites.clear();
    EXPECT_FALSE(f->ChargeEtatFichier((dossier / "absent.zetat").string()));
    EXPECT_EQ(Hache(), avant);
    EXPECT_EQ(boites.size(), 1u);
    f->close();
}

// Yes puts the changed image back, No leaves the drive empty; either way the
// machine is the one saved.
TEST_F(Etats, AChangedDriveImageIsAQuestion) {
    Cree();
    SansMachine();
    const std::filesystem::path image = dossier / "d1.img";
    Ecrit("d1.img", std::vector<uint8_t>(788480, 0xE5));
    ASSERT_EQ(f->Lecteurs().InsereDisque(1, image.string(), " "), "");
    Marque(0x50);
    const std::filesystem::path chemin = dossier / "disque.zetat";
    ASSERT_TRUE(f->EnregistreEtatFichier(chemin.string()));
    const uint64_t enregistre = Hache();
    f->Lecteurs().Ejecte(1);
    std::vector<uint8_t> autre(788480, 0xE5);
    autre[512] = 0;
    Ecrit("d1.img", autre);

    for (const bool oui : {false, true}) {
        boites.clear();
        reponse = oui;
        Marque(0x60);
        ASSERT_TRUE(f->ChargeEtatFichier(chemin.string())) << oui;
        EXPECT_EQ(Hache(), enregistre);
        ASSERT_FALSE(boites.empty());
        EXPECT_EQ(boites[0].Type, TTypeBoite::Question);
        EXPECT_NE(boites[0].Texte.find("SHA-256"), std::string::npos) << boites[0].Texte;
        if (oui) {
            EXPECT_EQ(f->Lecteurs().Disques[1].NomFichier, image.string());
            EXPECT_EQ(boites.size(), 1u);
        } else {
            EXPECT_TRUE(f->Lecteurs().Disques[1].NomFichier.empty());
            // What was left out: an information box and the status bar.
            ASSERT_EQ(boites.size(), 2u);
            EXPECT_EQ(boites[1].Type, TTypeBoite::Information);
            EXPECT_NE(boites[1].Texte.find("Le lecteur 1 reste vide"), std::string::npos) << boites[1].Texte;
            EXPECT_NE(Statut().find("Le lecteur 1 reste vide"), std::string::npos) << Statut();
        }
    }
    f->close();
}

TEST_F(Etats, TheLoadDialogPreviewsTheFileUnderTheCursor) {
    Cree();
    SansMachine();
    M().RamTv.fill(0x41);
    const std::filesystem::path chemin = dossier / "apercu.zetat";
    ASSERT_TRUE(f->EnregistreEtatFichier(chemin.string()));
    Ecrit("abime.zetat", {'Z', 'O', 'R', 'V'});
    std::unique_ptr<QFileDialog> d(NouveauDialogueEtat(f.get(), QString::fromStdString(dossier.string()), true));
    EXPECT_EQ(d->nameFilters(), QStringList{QStringLiteral("\u00c9tats EmulZorv (*.zetat)")});
    EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
    auto* apercu = d->findChild<TApercuEtat*>();
    ASSERT_NE(apercu, nullptr);
    emit d->currentChanged(QString::fromStdString(chemin.string()));
    const QString texte = apercu->LabelInfo->text();
    EXPECT_TRUE(texte.contains(QStringLiteral("Mod\u00e8le : ") + QString::fromStdString(M().Machines[size_t(M().Machine)])))
        << texte.toStdString();
    EXPECT_TRUE(texte.contains(QStringLiteral("Programme : EmulZorv"))) << texte.toStdString();
    const QRegularExpression date(QStringLiteral("Enregistr\u00e9 le : \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    EXPECT_TRUE(date.match(texte).hasMatch()) << texte.toStdString();
    const QPixmap vignette = apercu->ImageVignette->pixmap();
    ASSERT_FALSE(vignette.isNull());
    EXPECT_EQ(vignette.size(), QSize(256, 144));

    emit d->currentChanged(QString::fromStdString((dossier / "abime.zetat").string()));
    EXPECT_TRUE(apercu->ImageVignette->pixmap().isNull());
    TEtatComplet e;
    std::string raison;
    ASSERT_FALSE(DecodeEtat(Lit(dossier / "abime.zetat"), e, raison));
    EXPECT_EQ(apercu->LabelInfo->text().toStdString(), raison);
    emit d->currentChanged(QString::fromStdString(dossier.string()));
    EXPECT_TRUE(apercu->LabelInfo->text().isEmpty());
    f->close();
}

TEST(TexteApercu, DateInLocalTime) {
    TEtatComplet e;
    e.Info.NomModele = "T7E";
    e.Info.Programme = "EmulZorv 2.2a";
    e.Info.DateUnix = 1'800'000'000;
    const std::time_t t = 1'800'000'000;
    std::tm local{};
    localtime_r(&t, &local);
    char attendu[32];
    std::strftime(attendu, sizeof attendu, "%d/%m/%Y %H:%M:%S", &local);
    EXPECT_EQ(TexteApercuEtat(e),
              QStringLiteral("Mod\u00e8le : T7E\nEnregistr\u00e9 le : %1\nProgramme : EmulZorv 2.2a").arg(QLatin1String(attendu)));
}

TEST_F(Etats, LoadStateOptionLoadsOnceStarted) {
    Cree();
    SansMachine();
    Marque(0x0A);
    M().RegPC = 0x0003;
    const std::filesystem::path chemin = dossier / "depart.zetat";
    ASSERT_TRUE(f->EnregistreEtatFichier(chemin.string()));
    f->close();
    f.reset();

    bool vu = false;
    uint8_t b = 0, memoire = 0;
    Cree(chemin.string());
    auto* tic = new QTimer(f.get());
    QObject::connect(tic, &QTimer::timeout, f.get(), [&, tic] {
        if (Statut().find("\u00c9tat charg\u00e9") == std::string::npos) return;
        tic->stop();
        vu = true;
        b = M().RegB;
        memoire = M().ZorvMem[0x4000];
        M().FinEmul = true;
    });
    tic->start(5);
    ASSERT_TRUE(Attends([&] { return vu && !M().BoucleActive; })) << Statut();
    EXPECT_EQ(b, 0x0B);
    EXPECT_EQ(memoire, 0x0A);
    EXPECT_EQ(Statut().find("Emplacement"), std::string::npos);
    f->close();
}

TEST(OptionsLigne, LoadStateAndBadArguments) {
    struct TCas {
        std::vector<std::string> Arguments;
        std::string Etat;
        bool Aide;
        bool Erreur;
    };
    const TCas cas[] = {
        {{}, "", false, false},
        {{"--load-state", "a.zetat"}, "a.zetat", false, false},
        {{"--load-state=b c.zetat"}, "b c.zetat", false, false},
        {{"-h"}, "", true, false},
        {{"--help", "--load-state", "x"}, "x", true, false},
        {{"--load-state"}, "", false, true},
        {{"--load-state="}, "", false, true},
        {{"--load-state", "a", "--load-state", "b"}, "a", false, true},
        {{"--charge"}, "", false, true},
        {{"fichier.zetat"}, "", false, true},
    };
    for (const TCas& c : cas) {
        const TOptionsLigne o = LitOptionsLigne(c.Arguments);
        const std::string nom = c.Arguments.empty() ? "(rien)" : c.Arguments[0];
        EXPECT_EQ(o.Aide, c.Aide) << nom;
        EXPECT_EQ(!o.Erreur.empty(), c.Erreur) << nom << " : " << o.Erreur;
        if (!c.Erreur) {
            EXPECT_EQ(o.EtatACharger, c.Etat) << nom;
        }
    }
    EXPECT_NE(LitOptionsLigne({"--vite"}).Erreur.find("--vite"), std::string::npos);
    EXPECT_NE(UsageEmulZorv().find("--load-state FICHIER"), std::string::npos);
}

} // namespace
