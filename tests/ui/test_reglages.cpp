// The two settings windows opened from the toolbar while the machine runs:
// their controls, OK and cancel, the settings file, and the keyboard hook
// given back afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "config/ImprForm.h"
#include "config/ParamsForm.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace {

std::vector<uint8_t> RomBoucle() {
    // Counts its starts at 0x9000, then loops at 0x0008.
    std::vector<uint8_t> rom(0x40, 0);
    const uint8_t code[] = {0x21, 0x00, 0x90, 0x34, 0x31, 0x00, 0x80, 0xF3, 0x00, 0xC3, 0x08, 0x00};
    std::copy(std::begin(code), std::end(code), rom.begin());
    return rom;
}

struct FenetresReglages : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-reglages-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomBoucle());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        std::ofstream(dossier / "EmulZorv.ini")
            << "[Machine]\nMachine=T7E\n[Impression]\nPoints=8\nAttente=-1\n[Switches]\nSwitches=255\n";
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    std::string Ini() const {
        std::ifstream in(dossier / "EmulZorv.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Cree() {
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        ASSERT_TRUE(f->ChargementReussi());
    }
    TMachine& M() { return f->Machine(); }
    // 30 ms from now, from inside the running machine: clicks `bouton`;
    // `pendant` runs once the window it opens is on screen and closes it
    // (a window left open is rejected); `apres` runs when the click returns.
    void Ouvre(QToolButton* bouton, std::function<void(QWidget*)> pendant, std::function<void()> apres) {
        QTimer::singleShot(30, f.get(), [bouton, pendant, apres] {
            QTimer::singleShot(0, bouton, [pendant] {
                QWidget* w = QApplication::activeModalWidget();
                pendant(w);
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
            });
            bouton->click();
            apres();
        });
    }
    // Runs the machine until the window closes (ended after 10 s at most).
    void Tourne() {
        QEventLoop boucle;
        QObject::connect(f.get(), &TMainForm::Fermee, &boucle, &QEventLoop::quit);
        QTimer::singleShot(10000, f.get(), [this] {
            ADD_FAILURE() << "the window was not closed";
            f->close();
        });
        boucle.exec();
    }
    static void Frappe(QWidget* w, int cle, const QString& texte) {
        QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, texte);
        QApplication::sendEvent(w, &appui);
        QKeyEvent relache(QEvent::KeyRelease, cle, Qt::NoModifier, texte);
        QApplication::sendEvent(w, &relache);
    }
    // The window's picture, for docs/ when ZORV_CAPTURES names a folder.
    static void Capture(QWidget* w, const char* nom) {
        const QString dossierCaptures = qEnvironmentVariable("ZORV_CAPTURES");
        if (!dossierCaptures.isEmpty()) w->grab().save(dossierCaptures + "/" + nom);
    }
    bool Centree(QWidget* d) const {
        const QPoint ecart = d->frameGeometry().center() - f->frameGeometry().center();
        return std::abs(ecart.x()) <= 40 && std::abs(ecart.y()) <= 40;
    }
};

TEST_F(FenetresReglages, EmulatorSettingsOkAppliesCancelKeepsEverything) {
    Cree();
    bool vue = false, captureOuverte = true, captureApres = false, vue2 = false, captureOuverte2 = true,
         captureApres2 = false;
    std::string iniApresOk, iniApresAnnuler;
    uint8_t departs = 0;
    auto premiere = [&](QWidget* w) {
        auto* d = qobject_cast<TFormParams*>(w);
        ASSERT_NE(d, nullptr);
        vue = true;
        captureOuverte = M().CaptureClav;
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Param\u00e8tres de l'\u00e9mulateur"));
        EXPECT_EQ(d->size(), QSize(408, 372));
        EXPECT_TRUE(Centree(d));
        EXPECT_EQ(d->RGCoulTexte->title(), " Couleur du texte ");
        EXPECT_EQ(d->CBEmulRam->count(), 17);
        EXPECT_EQ(d->CBEmulRam->itemText(16), "T9 - 4 k-octets");
        EXPECT_EQ(d->CBClavier->currentText(), "Mode Basic");
        for (QCheckBox* cb : d->CBD) EXPECT_TRUE(cb->isChecked());
        EXPECT_LT(d->CBD[7]->x(), d->CBD[0]->x());
        EXPECT_TRUE(d->BtnOK->isDefault());
        Capture(d, "parametres.png");
        for (int n = 1; n < 7; ++n) d->CBD[size_t(n)]->setChecked(false);
        d->CBEmulRam->setCurrentIndex(3);
        d->BGCoulTexte->button(1)->setChecked(true);
        d->BtnOK->click();
    };
    auto seconde = [&](QWidget* w) {
        auto* d = qobject_cast<TFormParams*>(w);
        ASSERT_NE(d, nullptr);
        vue2 = true;
        captureOuverte2 = M().CaptureClav;
        EXPECT_EQ(d->CBEmulRam->currentIndex(), 3);
        d->CBEmulRam->setCurrentIndex(0);
        d->CBD[5]->setChecked(true);
        d->BGCoulGraph->button(2)->setChecked(true);
        d->BtnCancel->click();
    };
    Ouvre(f->TBParams, premiere, [&] {
        captureApres = M().CaptureClav;
        iniApresOk = Ini();
        Ouvre(f->TBParams, seconde, [&] {
            captureApres2 = M().CaptureClav;
            iniApresAnnuler = Ini();
            departs = M().ZorvMem[0x9000];
            f->close();
        });
    });
    Tourne();
    EXPECT_TRUE(vue);
    EXPECT_FALSE(captureOuverte);
    EXPECT_TRUE(captureApres);
    EXPECT_EQ(M().Machine, 3);
    EXPECT_EQ(M().IndCoulTxt, 1);
    EXPECT_EQ(M().CouleurTexte, (TRGB{0x00, 0xD0, 0xFF}));
    EXPECT_NE(iniApresOk.find("\nSwitches=129\n"), std::string::npos) << iniApresOk;
    EXPECT_NE(iniApresOk.find("\nMachine=T9-60\n"), std::string::npos);
    EXPECT_EQ(departs, 2); // the reset started the program again
    EXPECT_TRUE(vue2);
    EXPECT_FALSE(captureOuverte2);
    EXPECT_TRUE(captureApres2);
    EXPECT_EQ(iniApresAnnuler, iniApresOk);
    EXPECT_EQ(M().NumPoste, 129);
    EXPECT_EQ(M().IndCoulGrph, 0);
}

// Under the dialog the machine waits: the title and the status bar say
// STOP, then RUN again; the new model shows at once in both.
TEST_F(FenetresReglages, TitleAndStatusBarFollowTheDialogAndTheNewModel) {
    Cree();
    QString titreAvant, titrePendant, etatPendant, titreApres, etatApres, modeleApres;
    Ouvre(
        f->TBParams,
        [&](QWidget* w) {
            auto* d = qobject_cast<TFormParams*>(w);
            ASSERT_NE(d, nullptr);
            titrePendant = f->windowTitle();
            etatPendant = f->BarreEtat()->LabelEtat->text();
            d->CBEmulRam->setCurrentIndex(3);
            d->BtnOK->click();
        },
        [&] {
            QTimer::singleShot(30, f.get(), [&] {
                titreApres = f->windowTitle();
                etatApres = f->BarreEtat()->LabelEtat->text();
                modeleApres = f->BarreEtat()->LabelModele->text();
                f->close();
            });
        });
    QTimer::singleShot(20, f.get(), [&] { titreAvant = f->windowTitle(); });
    Tourne();
    EXPECT_EQ(titreAvant, "Emulateur Zorvex 2.2a - T7E - 128 k-octets - RUN");
    EXPECT_EQ(titrePendant, "Emulateur Zorvex 2.2a - T7E - 128 k-octets - STOP");
    EXPECT_EQ(etatPendant, "STOP");
    EXPECT_EQ(titreApres, "Emulateur Zorvex 2.2a - T9 - 56 k-octets - RUN");
    EXPECT_EQ(etatApres, "RUN");
    EXPECT_EQ(modeleApres, "T9 - 56 k-octets");
}

TEST_F(FenetresReglages, PrinterSettingsShowTheFontInUseAndKeepKeysForThemselves) {
    Cree();
    bool vue = false, captureOuverte = true, captureApres = false, vue2 = false, captureApres2 = false;
    int32_t pointsApresAnnuler = 0;
    std::string iniApresOk, iniApresAnnuler;
    auto premiere = [&](QWidget* w) {
        auto* d = qobject_cast<TImprForm*>(w);
        ASSERT_NE(d, nullptr);
        vue = true;
        captureOuverte = M().CaptureClav;
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Param\u00e8tres de l'imprimante"));
        EXPECT_EQ(d->size(), QSize(456, 335));
        EXPECT_TRUE(Centree(d));
        EXPECT_EQ(d->CBTaille->currentText(), "11 points"); // no job yet, the file says 8
        EXPECT_TRUE(d->RBManuel->isChecked());
        EXPECT_EQ(d->EditTemps->text(), "5");
        EXPECT_EQ(d->BtnCancel->text(), "Cancel");
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            EXPECT_FALSE(d->BtnParamsImp->isEnabled());
            EXPECT_TRUE(d->BtnParamsImp->toolTip().contains(QString::fromUtf8("Aucune imprimante")));
            EXPECT_TRUE(d->PanelNomImp->text().contains("Impressions"));
        } else {
            EXPECT_TRUE(d->BtnParamsImp->isEnabled());
            EXPECT_FALSE(d->PanelNomImp->text().isEmpty());
        }
        Capture(d, "imprimante.png");
        d->EditEntete->clear();
        Frappe(d->EditEntete, Qt::Key_Z, "z");
        EXPECT_EQ(d->EditEntete->text(), "z");
        d->RBAuto->setChecked(true);
        d->EditTemps->clear();
        d->CBImprimePage->setChecked(true);
        d->BtnOK->click();
    };
    // After a job at 8 points, the window shows 8.
    auto seconde = [&](QWidget* w) {
        auto* d = qobject_cast<TImprForm*>(w);
        ASSERT_NE(d, nullptr);
        vue2 = true;
        EXPECT_EQ(d->CBTaille->currentText(), "8 points");
        EXPECT_TRUE(d->RBAuto->isChecked());
        EXPECT_EQ(d->EditTemps->text(), "1");
        d->RBManuel->setChecked(true);
        d->CBHexPrint->setChecked(true);
        d->BtnCancel->click();
    };
    Ouvre(f->TBPrSetup, premiere, [&] {
        captureApres = M().CaptureClav;
        iniApresOk = Ini();
        M().TaillePoliceImpr = 8;
        Ouvre(f->TBPrSetup, seconde, [&] {
            captureApres2 = M().CaptureClav;
            iniApresAnnuler = Ini();
            pointsApresAnnuler = M().PointsImpr;
            f->close();
        });
    });
    Tourne();
    EXPECT_TRUE(vue);
    EXPECT_FALSE(captureOuverte);
    EXPECT_TRUE(captureApres);
    EXPECT_NE(iniApresOk.find("\nAttente=1\n"), std::string::npos) << iniApresOk;
    EXPECT_NE(iniApresOk.find("\nPoints=11\n"), std::string::npos);
    EXPECT_EQ(M().EnTeteImpr, "z");
    EXPECT_TRUE(M().ImprNoPage);
    EXPECT_TRUE(vue2);
    EXPECT_TRUE(captureApres2);
    EXPECT_EQ(iniApresAnnuler, iniApresOk);
    EXPECT_EQ(M().TimeOutImpr, 1);
    EXPECT_FALSE(M().ImprHexadec);
    EXPECT_EQ(pointsApresAnnuler, 8); // taken from the font before the window opened
}

} // namespace
