// The help window, offscreen: opened from the window's menu while the
// machine runs, its contents list, its search and the key table beside it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QImage>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "Attente.h"
#include "debugger/Console.h"
#include "ui/AideClavierForm.h"
#include "ui/AideForm.h"
#include "ui/MainForm.h"

namespace {

// Boot ROM: a loop that never reads the keyboard.
const std::vector<uint8_t> RomBoucle = {0x31, 0x00, 0x80, 0x00, 0xC3, 0x03, 0x00};

struct Aide : ::testing::Test {
    std::filesystem::path dossier;
    std::unique_ptr<TMainForm> f;

    void SetUp() override {
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-aide-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0x55));
        Ecrit("QBM71K.bin", RomBoucle);
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    QAction* Entree(const QString& texte) {
        for (QAction* a : f->TBMenu->menu()->actions())
            if (a->text() == texte) return a;
        return nullptr;
    }
    // The heading the text shows at the cursor.
    static QString TitreAuCurseur(const QTextBrowser* t) {
        for (QTextBlock b = t->textCursor().block(); b.isValid(); b = b.previous())
            if (b.blockFormat().headingLevel() > 0) return b.text();
        return {};
    }
};

// The window's picture, for docs/ when ZORV_CAPTURES names a folder.
void Capture(QWidget* w, const char* nom) {
    const QString dossier = qEnvironmentVariable("ZORV_CAPTURES");
    if (!dossier.isEmpty()) w->grab().save(dossier + "/" + nom);
}

} // namespace

TEST_F(Aide, ManualOpensFromTheMenuWithItsContentsSearchAndKeyTable) {
    QAction* entree = Entree(QStringLiteral("Aide\u2026"));
    ASSERT_TRUE(entree);
    EXPECT_EQ(entree->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    bool tournait = false, clavierVisible = false, resultatsVisibles = false;
    int chapitres = 0, items = 0, sections = 0, resultats = 0, aucun = -1, chapitreLien = -1;
    QString selection, forme, titre, section, labelAucun, titreLien;
    QTimer::singleShot(100, f.get(), [&] {
        tournait = f->Machine().EtatCPU == CPURun && f->Machine().BoucleActive;
        entree->trigger();
        TAideForm* a = f->Manuel();
        if (!a) {
            f->Machine().FinEmul = true;
            return;
        }
        chapitres = int(a->Manuel().Chapitres().size());
        items = a->LVSommaire->topLevelItemCount();
        for (int i = 0; i < items; ++i) sections += a->LVSommaire->topLevelItem(i)->childCount();
        // A word of the disk chapter, typed without its accents and in capitals.
        a->EditRecherche->setText(QStringLiteral("PROTEGE ecriture"));
        resultats = a->LVResultats->count();
        if (resultats > 0) {
            a->LVResultats->setCurrentRow(0);
            const TTrouvaille t = a->Manuel().Cherche("PROTEGE ecriture").front();
            selection = a->Texte->textCursor().selectedText();
            forme = QString::fromStdString(t.Forme);
            section = QString::fromStdString(t.Section);
            titre = TitreAuCurseur(a->Texte);
        }
        QCoreApplication::processEvents();
        resultatsVisibles = a->LVResultats->isVisible() && a->LVResultats->height() > 50 && a->LVSommaire->isVisible();
        Capture(a, "aide-manuel.png");
        a->EditRecherche->setText(QStringLiteral("xylophone"));
        aucun = a->LVResultats->count();
        labelAucun = a->LabelResultats->text();
        // A link of the contents page opens its chapter, and the list follows.
        a->EditRecherche->clear();
        a->OuvreChapitre(0);
        a->Texte->setSource(QUrl(QStringLiteral("disques.md")));
        chapitreLien = a->Chapitre();
        if (QTreeWidgetItem* c = a->LVSommaire->currentItem()) titreLien = c->text(0);
        a->BtnClavier->click();
        clavierVisible = f->AideClavier() && f->AideClavier()->isVisible();
        f->Machine().FinEmul = true;
    });
    ASSERT_TRUE(Attends([&] { return f->Machine().FinEmul && !f->Machine().BoucleActive; }));
    EXPECT_TRUE(tournait);
    ASSERT_TRUE(f->Manuel());
    // The contents page and at least the chapters the manual is made of.
    EXPECT_GE(chapitres, 12);
    EXPECT_EQ(items, chapitres);
    EXPECT_GT(sections, 3 * chapitres);
    ASSERT_GT(resultats, 0);
    EXPECT_TRUE(resultatsVisibles);
    EXPECT_FALSE(selection.isEmpty());
    EXPECT_EQ(selection, forme);
    EXPECT_EQ(titre, section);
    EXPECT_EQ(aucun, 0);
    EXPECT_EQ(labelAucun, QStringLiteral("Aucune section ne contient \u00ab xylophone \u00bb"));
    const TManuel& m = f->Manuel()->Manuel();
    ASSERT_GE(chapitreLien, 0);
    EXPECT_EQ(m.Chapitres()[size_t(chapitreLien)].Fichier, "disques.md");
    EXPECT_EQ(titreLien.toStdString(), m.Chapitres()[size_t(chapitreLien)].Titre);
    EXPECT_TRUE(clavierVisible);
    f->close();
}

// Every heading of every chapter has its block in the rendered text: the
// contents list reaches each one.
TEST_F(Aide, EveryEntryOfTheContentsReachesItsHeading) {
    f->Machine().FinEmul = true;
    QCoreApplication::processEvents();
    Entree(QStringLiteral("Aide\u2026"))->trigger();
    TAideForm* a = f->Manuel();
    ASSERT_TRUE(a);
    int vus = 0;
    for (QTreeWidgetItemIterator it(a->LVSommaire); *it; ++it) {
        const int c = (*it)->data(0, Qt::UserRole).toInt(), t = (*it)->data(0, Qt::UserRole + 1).toInt();
        a->OuvreChapitre(c, t);
        const QString attendu = (*it)->text(0);
        if (t >= 0) {
            EXPECT_EQ(TitreAuCurseur(a->Texte), attendu) << attendu.toStdString();
        }
        ++vus;
    }
    EXPECT_GT(vus, 40);
    f->close();
}

// The console's chapter as the window renders it: each command with its
// parameters and its help exactly as the table has them (the marks the
// generator escapes come out as they were).
TEST_F(Aide, ConsoleCommandsReadInTheWindowAsInTheTable) {
    f->Machine().FinEmul = true;
    QCoreApplication::processEvents();
    Entree(QStringLiteral("Aide\u2026"))->trigger();
    TAideForm* a = f->Manuel();
    ASSERT_TRUE(a);
    const int chapitre = a->Manuel().Indice("commandes-console.md");
    ASSERT_GE(chapitre, 0);
    a->OuvreChapitre(chapitre);
    const QString texte = a->Texte->document()->toPlainText();
    for (const TCommandeConsole& c : TConsoleDebogueur::Table()) {
        EXPECT_TRUE(texte.contains(QString::fromUtf8(c.Parametres))) << c.Nom << " " << c.Parametres;
        EXPECT_TRUE(texte.contains(QString::fromUtf8(c.Aide))) << c.Nom;
    }
    f->close();
}

// Every picture a chapter shows is in the program: the text browser loads
// each one from the resource, relative to its chapter.
TEST_F(Aide, ThePicturesOfEveryChapterAreFound) {
    f->Machine().FinEmul = true;
    QCoreApplication::processEvents();
    Entree(QStringLiteral("Aide\u2026"))->trigger();
    TAideForm* a = f->Manuel();
    ASSERT_TRUE(a);
    int images = 0;
    for (size_t c = 0; c < a->Manuel().Chapitres().size(); ++c) {
        a->OuvreChapitre(int(c));
        for (QTextBlock b = a->Texte->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat()) continue;
                const QString nom = format.toImageFormat().name();
                const QVariant image = a->Texte->loadResource(QTextDocument::ImageResource, QUrl(nom));
                EXPECT_FALSE(image.value<QImage>().isNull() && image.value<QPixmap>().isNull() && image.toByteArray().isEmpty())
                    << a->Manuel().Chapitres()[c].Fichier << " : " << nom.toStdString();
                ++images;
            }
    }
    EXPECT_GE(images, 20);
    f->close();
}
