// The memory windows offscreen: opened by "Données" in any number, the hex
// editor driven by the mouse and the keys, an edit seen by every window, the
// fill and copy dialogs, the one-bank model. ZORV_CAPTURE_DONNEES=dossier
// saves pictures of the window and the two dialogs there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <random>

#include "Attente.h"
#include "debugger/CPUForm.h"
#include "debugger/CopieForm.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/HexDataForm.h"
#include "debugger/HexEditQt.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/RempliForm.h"
#include "ui/MainForm.h"

namespace {

void Touche(QWidget* w, int cle, const QString& texte = {}) {
    QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, texte);
    QApplication::sendEvent(w, &appui);
}

// A double click on byte `col` of line `ligne` of the dump.
void DoubleClic(THexEdit* h, int col, int ligne) {
    const QPointF p(5 + h->LargeurChiffre() * (6 + 3 * col) + 2, 5 + 16 * ligne + 4);
    QMouseEvent e(QEvent::MouseButtonDblClick, p, h->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h, &e);
}

std::string Capture() { return qgetenv("ZORV_CAPTURE_DONNEES").toStdString(); }

struct FenetreDonnees : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;
    std::vector<std::string> boites;
    TCPUForm* cpu = nullptr;
    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-donnees-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", {0xC3, 0x00, 0x00}); // JMP 0000H
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.Boite = [this](TTypeBoite, const std::string& t) {
            boites.push_back(t);
            return true;
        };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        cpu = f->CPUForm();
        QTimer::singleShot(30, f.get(), [this] {
            f->TBCPU->click();
            cpu->SBPause->click();
        });
        ASSERT_TRUE(Attends([this] { return !f->Machine().BoucleActive && cpu->PanelEtat->text() == "STOP"; }));
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    THexDataForm* Ouvre() {
        const auto avant = cpu->findChildren<THexDataForm*>();
        cpu->BtnAffData->click();
        for (THexDataForm* w : cpu->findChildren<THexDataForm*>())
            if (!avant.contains(w)) return w;
        return nullptr;
    }
    // Runs `action` on the modal dialog of type T once it is shown.
    template <class T> void SurDialogue(std::function<void(T*)> action) {
        QTimer::singleShot(20, f.get(), [action] {
            ASSERT_TRUE(Attends([] { return dynamic_cast<T*>(QApplication::activeModalWidget()) != nullptr; }));
            action(dynamic_cast<T*>(QApplication::activeModalWidget()));
        });
    }
};

TEST_F(FenetreDonnees, OpensEditsAndFollowsTheOtherWindows) {
    TMachine& m = f->Machine();
    THexDataForm* a = Ouvre();
    THexDataForm* b = Ouvre();
    ASSERT_TRUE(a && b && a != b);
    EXPECT_EQ(cpu->Debogueur().FenData.size(), 2u);
    EXPECT_EQ(a->windowTitle(), QString::fromUtf8("Affichage de donn\u00e9es"));
    EXPECT_EQ(a->size(), QSize(337, 408));
    EXPECT_EQ(a->EdtAdr->Texte(), "0000 01FF");
    EXPECT_EQ(a->EdtAdr->Gauche(), 16);
    EXPECT_EQ(a->HexEdit->geometry(), QRect(16, 84, 305, 206));
    EXPECT_TRUE(a->RBVueCPU->isChecked());
    EXPECT_TRUE(a->CBMaj->isChecked());
    EXPECT_EQ(a->HexEdit->ScrollBar()->maximum(), 52);
    EXPECT_TRUE(a->HexEdit->ScrollBar()->isEnabled());
    // The processor's view shows the boot ROM, the bank its RAM.
    EXPECT_EQ(a->Logique().Editeur.Lignes()[0].substr(0, 14), "0000  C3 00 00");
    m.ZorvMem[0] = 0x3E;
    a->RBLogiciel->click();
    EXPECT_EQ(a->Logique().Editeur.Lignes()[0].substr(0, 8), "0000  3E");

    // Browse mode: keys do nothing; a double click enters edit mode.
    Touche(a->HexEdit, Qt::Key_7, "7");
    EXPECT_EQ(m.ZorvMem[0], 0x3E);
    DoubleClic(a->HexEdit, 2, 1);
    EXPECT_TRUE(a->Logique().Editeur.EditMode());
    EXPECT_TRUE(a->HexEdit->Timer()->isActive());
    EXPECT_EQ(a->Logique().Editeur.OffsetCur(), 10);
    Touche(a->HexEdit, Qt::Key_7, "7");
    Touche(a->HexEdit, Qt::Key_F, "f");
    Touche(a->HexEdit, Qt::Key_G, "g");
    EXPECT_EQ(m.ZorvMem[10], 0x7F);
    EXPECT_EQ(a->Logique().Editeur.OffsetCur(), 11);
    // The other window in edit mode ends this one's; the edit there repaints both.
    QCoreApplication::processEvents(); // the user's next gesture comes after the queue
    b->RBLogiciel->click();
    DoubleClic(b->HexEdit, 0, 0);
    ASSERT_TRUE(Attends([&] { return !a->Logique().Editeur.EditMode(); }));
    EXPECT_FALSE(a->HexEdit->Timer()->isActive());
    Touche(b->HexEdit, Qt::Key_A, "a");
    EXPECT_EQ(m.ZorvMem[0], 0xAE);
    Touche(b->HexEdit, Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(b->Logique().Editeur.EditMode());
    // Page Down scrolls the dump and its bar.
    DoubleClic(a->HexEdit, 0, 0);
    Touche(a->HexEdit, Qt::Key_PageDown);
    EXPECT_EQ(a->HexEdit->ScrollBar()->value(), 12);
    a->HexEdit->ScrollBar()->setValue(52);
    EXPECT_EQ(a->Logique().Editeur.Lignes().back().substr(0, 4), "01F8");

    // The address entry: a new range on Enter.
    QLineEdit* adr = a->EdtAdr->Edit();
    adr->setFocus();
    adr->selectAll();
    for (const char* k : {"2", "0", "0", "0"}) Touche(adr, Qt::Key_0, k);
    Touche(adr, Qt::Key_Return, "\r");
    EXPECT_EQ(adr->text(), "2000 21FF");
    EXPECT_EQ(a->Logique().Editeur.AdrDebut(), 0x2000);

    // Closing one: the CPU window forgets it.
    b->close();
    ASSERT_TRUE(Attends([&] { return cpu->Debogueur().FenData.size() == 1; }));

    // Running disables the entry, the dump and the bank views.
    a->Logique().Editeur.QuitteEdition();
    cpu->Debogueur().ActiveFenetres(false);
    ASSERT_TRUE(Attends([&] { return !a->HexEdit->isEnabled(); }));
    EXPECT_FALSE(a->EdtAdr->Edit()->isEnabled());
    EXPECT_FALSE(a->RBData->isEnabled());
    EXPECT_FALSE(a->CBMaj->isEnabled());
    EXPECT_FALSE(a->EditRecherche->isEnabled()) << "the search moves the dump's cursor";
    EXPECT_FALSE(a->BtnRechercher->isEnabled());
    cpu->Debogueur().ActiveFenetres(true);
    ASSERT_TRUE(Attends([&] { return a->HexEdit->isEnabled(); }));
    EXPECT_TRUE(a->EditRecherche->isEnabled());
    EXPECT_TRUE(a->BtnRechercher->isEnabled());

    if (const std::string d = Capture(); !d.empty()) {
        a->RBVueCPU->click();
        const std::string texte = "EmulZorv : affichage de donn\x18" "es \x01\x09\x09\x0F ";
        for (size_t i = 0; i < 0x60; ++i) m.RamTv[i] = uint8_t(texte[i % texte.size()]);
        m.RamTv[0x62] = 0xC3;
        a->EdtAdr->SetTexte("1000 11FF");
        DoubleClic(a->HexEdit, 3, 2);
        a->Logique().Editeur.Clignote();
        a->Logique().Editeur.Clignote();
        a->Affiche();
        a->grab().save(QString::fromStdString(d + "/donnees.png"));
    }
}

TEST_F(FenetreDonnees, FillAndCopyDialogs) {
    TMachine& m = f->Machine();
    THexDataForm* a = Ouvre();
    ASSERT_NE(a, nullptr);
    SurDialogue<TRempliForm>([](TRempliForm* d) {
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Initialisation de m\u00e9moire"));
        EXPECT_TRUE(d->RBVueCPU->isChecked());
        d->EditAdrDeb->setFocus();
        for (const char* k : {"2", "0", "0", "0", "x"}) Touche(d->EditAdrDeb, Qt::Key_0, k);
        for (const char* k : {"2", "0", "f", "f", "f"}) Touche(d->EditAdrFin, Qt::Key_0, k);
        Touche(d->EditVal, Qt::Key_5, "5");
        Touche(d->EditVal, Qt::Key_5, "5");
        EXPECT_EQ(d->EditAdrDeb->text(), "2000");
        EXPECT_EQ(d->EditAdrFin->text(), "20FF");
        if (const std::string dossier = Capture(); !dossier.empty())
            d->grab().save(QString::fromStdString(dossier + "/remplissage.png"));
        d->BtnOK->click();
    });
    a->BtnRemplir->click();
    EXPECT_EQ(boites.back(), "256 octets remplis");
    EXPECT_EQ(m.ZorvMem[0x20FF], 0x55);
    EXPECT_EQ(m.ZorvMem[0x2100], 0x00);

    SurDialogue<TCopieForm>([](TCopieForm* d) {
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("Copie de donn\u00e9es"));
        EXPECT_TRUE(d->RBSrcCPU->isChecked());
        EXPECT_TRUE(d->RBDstCPU->isChecked());
        d->EditAdrDeb->setText("2000");
        d->EditAdrFin->setText("20FF");
        d->EditAdrDest->setText("FF80");
        d->RBSrcLog->click();
        d->RBDstLog->click();
        if (const std::string dossier = Capture(); !dossier.empty())
            d->grab().save(QString::fromStdString(dossier + "/copie.png"));
        d->BtnOK->click();
    });
    a->BtnCopier->click();
    EXPECT_EQ(boites.back(), "D\u00e9bordement de la zone de destination");
    EXPECT_EQ(m.ZorvMem[0xFF80], 0x00);
    // The fields and views are remembered; another destination.
    SurDialogue<TCopieForm>([](TCopieForm* d) {
        EXPECT_EQ(d->EditAdrDest->text(), "FF80");
        EXPECT_TRUE(d->RBSrcLog->isChecked());
        d->EditAdrDest->setText("FE00");
        d->BtnOK->click();
    });
    a->BtnCopier->click();
    EXPECT_EQ(boites.back(), "256 octets copi\u00e9s");
    EXPECT_EQ(m.ZorvMem[0xFEFF], 0x55);

    // Search: the editor moves to the match.
    m.ZorvMem[0x0123] = 0xDE;
    m.ZorvMem[0x0124] = 0xAD;
    a->RBLogiciel->click();
    a->EditRecherche->setText("DE AD");
    a->BtnRechercher->click();
    EXPECT_TRUE(a->Logique().Editeur.EditMode());
    EXPECT_EQ(a->Logique().Editeur.AdrDebut() + a->Logique().Editeur.OffsetAdr() + a->Logique().Editeur.OffsetCur(), 0x123);
    EXPECT_EQ(a->HexEdit->ScrollBar()->value(), a->Logique().Editeur.OffsetAdr() / 8);
}

TEST_F(FenetreDonnees, LoadAFileAndSaveTheZoneShown) {
    THexDataForm* a = Ouvre();
    ASSERT_NE(a, nullptr);
    TMachine& m = f->Machine();
    EXPECT_EQ(a->ActCharger->text(), QString::fromUtf8("Charger un fichier\u2026"));
    EXPECT_EQ(a->ActEnregistrer->text(), QString::fromUtf8("Enregistrer la zone\u2026"));
    EXPECT_TRUE(a->actions().contains(a->ActCharger)); // the window's context menu
    EXPECT_EQ(a->size(), QSize(337, 408));
    Ecrit("bloc.bin", {0x11, 0x22, 0x33});
    a->RBData->click();
    a->EdtAdr->Edit()->setText("4000 4002");
    QString choisi = QString::fromStdString((dossier / "bloc.bin").string());
    a->ChoisitFichier = [&](bool) { return choisi; };
    a->ActCharger->trigger();
    EXPECT_EQ(m.ReadBank(0x4001, 1), 0x22);
    ASSERT_FALSE(boites.empty());
    EXPECT_EQ(boites.back(), "3 octets charg\u00e9s de 4000H \u00e0 4002H");
    choisi = QString::fromStdString((dossier / "zone.bin").string());
    a->ActEnregistrer->trigger();
    std::ifstream in(dossier / "zone.bin", std::ios::binary);
    const std::vector<uint8_t> lu{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(lu, (std::vector<uint8_t>{0x11, 0x22, 0x33}));
    // Cancelled: nothing happens.
    const size_t n = boites.size();
    choisi.clear();
    a->ActCharger->trigger();
    EXPECT_EQ(boites.size(), n);
}

TEST_F(FenetreDonnees, OneBankModelForcesTheProcessorView) {
    THexDataForm* a = Ouvre();
    ASSERT_NE(a, nullptr);
    a->RBData->click();
    EXPECT_TRUE(a->RBData->isChecked());
    f->Machine().ChoisitModele(5);
    f->Machine().Hote->PosteMessage(TMessage{MsgBanques, cpu->Debogueur().FenCPU(), 0, 0});
    ASSERT_TRUE(Attends([&] { return a->RBVueCPU->isChecked(); }));
    EXPECT_FALSE(a->RBVueCPU->isEnabled());
    EXPECT_FALSE(a->RBLogiciel->isEnabled());
    EXPECT_FALSE(a->RBData->isEnabled());
    SurDialogue<TRempliForm>([](TRempliForm* d) {
        EXPECT_FALSE(d->RBSrcData->isEnabled());
        EXPECT_TRUE(d->RBVueCPU->isChecked());
        d->BtnAnnuler->click();
    });
    a->BtnRemplir->click();
}

} // namespace
