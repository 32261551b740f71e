// Sessions from the window, offscreen: the menu starts a recording (the red
// dot shows) while the machine runs, the host's changes during the run (a
// byte written through the debugger's door, the reset and interrupt
// buttons) go into it, the menu stops and writes it; another window replays
// it to its end without losing it; --record and --replay on the command line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "config/FichierSession.h"
#include "config/Poste.h"
#include "config/RelectureSession.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"
#include "ui/OptionsLigne.h"

#include "Attente.h"

namespace {

// Boot ROM: a loop that never reads the keyboard.
std::vector<uint8_t> RomBoucle() { return {0x31, 0x00, 0x80, 0x00, 0xC3, 0x03, 0x00}; }

struct Sessions : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    std::vector<std::string> boites;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-sessions-" + std::to_string(alea()));
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
    void Cree(const std::string& enregistre = {}, const std::string& rejoue = {}) {
        f.reset();
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.SessionAEnregistrer = enregistre;
        options.SessionARejouer = rejoue;
        options.Boite = [this](TTypeBoite, const std::string& texte) {
            boites.push_back(texte);
            return true;
        };
        f = std::make_unique<TMainForm>(options);
        f->ChoixFichierSession = [this](bool) { return std::optional<QString>(QString::fromStdString(Chemin())); };
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        ASSERT_TRUE(f->Demarree());
    }
    std::string Chemin() const { return (dossier / "essai.zsession").string(); }
    TMachine& M() { return f->Machine(); }
    QLabel* Voyant() { return f->BarreEtat()->LabelSession; }
    std::string Statut() { return f->BarreEtat()->LabelMessage->text().toStdString(); }
    // Runs the event loop (the machine with it) for `ms` milliseconds.
    void Tourne(int ms) {
        bool fini = false;
        QTimer::singleShot(ms, f.get(), [&] { fini = true; });
        ASSERT_TRUE(Attends([&] { return fini; }));
    }
};

// The window's run loop runs inside the event loop: each step below is a
// timer of it, the last one ends the run.
TEST_F(Sessions, LaFenetreEnregistreEtRejoueUneSession) {
    Cree();
    bool enregistrait = false, voyant = false, fini = false;
    QTimer::singleShot(30, f.get(), [&] {
        f->DialogueSession();
        enregistrait = f->EnregistrementEnCours();
        voyant = !Voyant()->isHidden() && Voyant()->text().contains(QStringLiteral("REC"));
        QTimer::singleShot(40, f.get(), [&] {
            f->Porte().EcritMemoire(0x4000, TVueMemoire::CPU, 0xA5); // while it runs
            f->TBIntClick();
            QTimer::singleShot(40, f.get(), [&] {
                f->TBRazClick();
                QTimer::singleShot(40, f.get(), [&] {
                    f->DialogueSession(); // stops and writes
                    fini = true;
                    M().FinEmul = true;
                });
            });
        });
    });
    ASSERT_TRUE(Attends([&] { return fini && !M().BoucleActive; }));
    EXPECT_TRUE(enregistrait);
    EXPECT_TRUE(voyant);
    EXPECT_FALSE(f->EnregistrementEnCours());
    EXPECT_TRUE(Voyant()->isHidden());
    EXPECT_EQ(f->ActSession->text().toStdString(), "Enregistrer une session\u2026");
    EXPECT_NE(Statut().find("Session enregistrée : essai.zsession"), std::string::npos) << Statut();
    TSession s;
    std::string erreur;
    ASSERT_TRUE(LitSession(Chemin(), s, erreur)) << erreur;
    std::vector<TTypeEvenement> types;
    for (const TEvenement& e : s.Evenements) types.push_back(e.Type);
    for (TTypeEvenement t : {TTypeEvenement::Modification, TTypeEvenement::Int, TTypeEvenement::Raz})
        EXPECT_NE(std::find(types.begin(), types.end(), t), types.end()) << int(t);
    EXPECT_GT(s.Info.FinInstruction, InstructionDeDepart(s));

    // Another window plays it back to its end: its fingerprints, the byte
    // written during the run included, all match; the machine stops there.
    Cree({}, Chemin());
    ASSERT_TRUE(Attends([&] { return f->Poste().Relecture() && !f->Poste().Relecture()->EnCours() && !M().BoucleActive; }));
    EXPECT_EQ(f->Poste().Relecture()->Etat(), TEtatRelecture::Finie) << f->Poste().Relecture()->Message();
    EXPECT_EQ(M().NbInstructions, s.Info.FinInstruction);
    EXPECT_EQ(M().ReadBank(0x4000, 0), 0xA5);
    EXPECT_NE(Statut().find("Fin de la session"), std::string::npos) << Statut();
    EXPECT_TRUE(Voyant()->isHidden());
    EXPECT_TRUE(boites.empty());
}

// --record writes the session from power-on when the window closes; a
// damaged session to replay is a box and the machine goes on.
TEST_F(Sessions, LaLigneDeCommandeEnregistreDepuisLeDemarrage) {
    Cree(Chemin());
    EXPECT_TRUE(f->EnregistrementEnCours());
    QTimer::singleShot(40, f.get(), [&] { f->close(); });
    ASSERT_TRUE(Attends([&] { return !f->isVisible() && !M().BoucleActive; }));
    TSession s;
    std::string erreur;
    ASSERT_TRUE(LitSession(Chemin(), s, erreur)) << erreur;
    EXPECT_EQ(InstructionDeDepart(s), 0u);
    EXPECT_GT(s.Info.FinInstruction, 0u);

    std::ofstream(Chemin(), std::ios::binary | std::ios::trunc) << "ZORVSESS tronqué";
    Cree({}, Chemin());
    QTimer::singleShot(60, f.get(), [&] { M().FinEmul = true; });
    ASSERT_TRUE(Attends([&] { return !boites.empty() && !M().BoucleActive; }));
    EXPECT_NE(boites[0].find("ne peut pas être relue"), std::string::npos) << boites[0];
    EXPECT_EQ(f->Poste().Relecture(), nullptr);
    EXPECT_GT(M().NbInstructions, 0u);
}

// The picture of the documentation: the monitor on the project's firmware,
// a recording under way (ZORV_CAPTURE_SESSION=FICHIER.png).
TEST_F(Sessions, CaptureDeLaDocumentation) {
    const QByteArray capture = qgetenv("ZORV_CAPTURE_SESSION");
    if (capture.isEmpty()) GTEST_SKIP() << "ZORV_CAPTURE_SESSION absent";
    for (const char* nom : {"QBM71K.bin", "G-CAR-T9.bin", "T318-C.bin"})
        std::filesystem::copy_file(std::filesystem::path(ZORV_PROGRAMME) / nom, dossier / nom,
                                   std::filesystem::copy_options::overwrite_existing);
    Cree();
    bool fini = false;
    QTimer::singleShot(1500, f.get(), [&] {
        f->DialogueSession();
        QTimer::singleShot(300, f.get(), [&] {
            EXPECT_TRUE(f->grab().save(QString::fromLocal8Bit(capture)));
            f->DialogueSession();
            fini = true;
            M().FinEmul = true;
        });
    });
    ASSERT_TRUE(Attends([&] { return fini && !M().BoucleActive; }));
}

TEST(OptionsLigneSessions, RecordEtReplay) {
    struct TCas {
        std::vector<std::string> Arguments;
        std::string Enregistre, Rejoue;
        bool Erreur;
    };
    const TCas cas[] = {
        {{"--record", "a.zsession"}, "a.zsession", "", false},
        {{"--replay=b.zsession"}, "", "b.zsession", false},
        {{"--load-state", "e.zetat", "--record", "c.zsession"}, "c.zsession", "", false},
        {{"--record", "a", "--replay", "b"}, "", "", true},
        {{"--replay"}, "", "", true},
        {{"--record", "a", "--record", "b"}, "", "", true},
    };
    for (const TCas& c : cas) {
        const TOptionsLigne o = LitOptionsLigne(c.Arguments);
        EXPECT_EQ(!o.Erreur.empty(), c.Erreur) << c.Arguments[0] << " : " << o.Erreur;
        if (c.Erreur) continue;
        EXPECT_EQ(o.SessionAEnregistrer, c.Enregistre);
        EXPECT_EQ(o.SessionARejouer, c.Rejoue);
    }
    EXPECT_NE(UsageEmulZorv().find("--replay FICHIER"), std::string::npos);
}

} // namespace
