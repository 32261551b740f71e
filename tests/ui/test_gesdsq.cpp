// The disk manager window, offscreen: its rows and menu, the dialogs answered
// through its chooser, the catalogue, the settings file, the keyboard hook
// while it is open, and image files dropped on a drive or on the screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QEventLoop>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "disks/GesDsqForm.h"
#include "ui/BarreEtat.h"
#include "ui/MainForm.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t T800 = 788480, T400 = 409600, T1200 = 1261568;

std::vector<uint8_t> RomBoucle() {
    std::vector<uint8_t> rom(0x40, 0);
    const uint8_t code[] = {0x21, 0x00, 0x90, 0x34, 0x31, 0x00, 0x80, 0xF3, 0x00, 0xC3, 0x08, 0x00};
    std::copy(std::begin(code), std::end(code), rom.begin());
    return rom;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

struct GesDsq : ::testing::Test {
    fs::path dossier;
    std::unique_ptr<TMainForm> f;
    std::vector<std::pair<TTypeBoite, std::string>> boites;
    std::vector<bool> fenetreVisible; // the disk manager was on screen at each box
    bool reponse = true; // to the Yes/No questions
    bool vraiesBoites = false; // the host's own modal boxes instead of the record
    std::vector<TDemandeChoix> demandes;
    std::deque<std::optional<QString>> choix; // the answers of the file and folder dialogs, in order

    void SetUp() override {
        std::random_device alea;
        dossier = fs::temp_directory_path() / ("zorv-gesdsq-" + std::to_string(alea()));
        fs::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomBoucle());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        fs::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    std::string Image(const std::string& nom, int64_t taille) {
        Ecrit(nom, std::vector<uint8_t>(size_t(taille), 0x33));
        return (dossier / nom).string();
    }
    std::string Ini() const {
        std::ifstream in(dossier / "EmulZorv.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // `ini`: the settings file to start with; nullptr keeps the one there.
    void Cree(const char* ini = "[Machine]\nMachine=T7E\n") {
        if (ini) std::ofstream(dossier / "EmulZorv.ini") << ini;
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.ImpressionPdf = true;
        if (!vraiesBoites)
            options.Boite = [this](TTypeBoite t, const std::string& s) {
                boites.emplace_back(t, s);
                fenetreVisible.push_back(f && f->FormGesDsq().isVisible());
                return t == TTypeBoite::Question ? reponse : true;
            };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall);
        ASSERT_TRUE(f->ChargementReussi());
        D().ChoixFichier = [this](const TDemandeChoix& d) -> std::optional<QString> {
            demandes.push_back(d);
            if (choix.empty()) return std::nullopt;
            auto r = choix.front();
            choix.pop_front();
            return r;
        };
        D().FormActivate();
    }
    TFormGesDsq& D() { return f->FormGesDsq(); }
    TMachine& M() { return f->Machine(); }
    QString Cellule(int ligne, int colonne) { return D().ListViewDsqImg->topLevelItem(ligne)->text(colonne); }
    std::vector<bool> Etats() {
        D().PopupMenu1Popup();
        std::vector<bool> v;
        for (QAction* a : {D().TmInsere, D().TmEjecte, D().TmVierge, D().TmProtect, D().TmExportDsq, D().TMFormater,
                           D().TmImportDir, D().TMFmtImport})
            v.push_back(a->isEnabled());
        return v;
    }
    QStringList Catalogue() {
        QStringList l;
        for (int i = 0; i < D().ListBoxCatal->count(); ++i) l << D().ListBoxCatal->item(i)->text();
        return l;
    }
    bool FondBouton() {
        return D().ListBoxCatal->palette().color(QPalette::Base) == D().palette().color(QPalette::Button);
    }
    // Inserts `chemin` in row `ligne` through the menu.
    void Insere(int ligne, const std::string& chemin) {
        D().ChoisitLigne(ligne);
        choix.push_back(Q(chemin));
        D().TmInsere->trigger();
    }
    void Vierge(int ligne, const std::string& chemin) {
        D().ChoisitLigne(ligne);
        choix.push_back(Q(chemin));
        D().TmVierge->trigger();
    }
    static void Depose(QWidget* cible, const QPoint& ou, const std::string& chemin) {
        QMimeData donnees;
        donnees.setUrls({QUrl::fromLocalFile(Q(chemin))});
        QDragEnterEvent entree(ou, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cible, &entree);
        QDragMoveEvent mouvement(ou, Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cible, &mouvement);
        QDropEvent depot(QPointF(ou), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cible, &depot);
    }
    // The window's picture, for docs/ when ZORV_CAPTURES names a folder.
    static void Capture(QWidget* w, const char* nom) {
        const QString dossierCaptures = qEnvironmentVariable("ZORV_CAPTURES");
        if (!dossierCaptures.isEmpty()) w->grab().save(dossierCaptures + "/" + nom);
    }
};

} // namespace

TEST_F(GesDsq, WindowRowsAndMenuStatesFollowTheDrives) {
    Cree();
    TFormGesDsq& d = D();
    EXPECT_EQ(d.windowTitle(), "Gestionnaire de disques");
    EXPECT_EQ(d.size(), QSize(863, 293));
    EXPECT_EQ(d.LabelDsq->text(), "Disques et fichiers images");
    EXPECT_EQ(d.LabelCatal->text(), "Catalogue");
    EXPECT_TRUE(d.BtnOK->isDefault());
    EXPECT_EQ(d.BtnAnnuler->text(), "Annuler");
    EXPECT_EQ(d.BtnEnreg->text(), "Enregistrer images");
    QStringList colonnes;
    for (int c = 0; c < 4; ++c) colonnes << d.ListViewDsqImg->headerItem()->text(c);
    EXPECT_EQ(colonnes, (QStringList{"Disque", "Taille", "Fichier", "Protection"}));
    EXPECT_EQ(d.ListViewDsqImg->columnWidth(0), 50);
    EXPECT_EQ(d.ListViewDsqImg->columnWidth(2), 300);
    EXPECT_EQ(d.ListViewDsqImg->header()->sectionSize(3), 80);
    ASSERT_EQ(d.ListViewDsqImg->topLevelItemCount(), 6);
    const QStringList numeros{"1", "2", "9", "10", "11", "12"};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(Cellule(r, 0), numeros[r]);
        EXPECT_EQ(Cellule(r, 1), r < 2 ? "800 Ko" : "1.2 Mo");
        EXPECT_EQ(Cellule(r, 2), "<pas de fichier>");
        EXPECT_EQ(Cellule(r, 3), "Non");
    }
    QStringList libelles;
    for (QAction* a : d.PopupMenu1->actions())
        if (!a->isSeparator()) libelles << a->text();
    EXPECT_EQ(libelles, (QStringList{QString::fromUtf8("Ins\u00e9rer un disque"), QString::fromUtf8("\u00c9jecter le disque"),
                                     QString::fromUtf8("Ins\u00e9rer un disque vierge"),
                                     QString::fromUtf8("Prot\u00e9ger en \u00e9criture"), "Exporter le disque",
                                     "Formater le disque", QString::fromUtf8("Importer un r\u00e9pertoire"),
                                     QString::fromUtf8("Formater puis importer le r\u00e9pertoire"),
                                     QString::fromUtf8("Images r\u00e9centes")}));

    EXPECT_EQ(Etats(), std::vector<bool>(8, false)); // no row
    EXPECT_FALSE(d.MIRecentes->isEnabled());
    d.ChoisitLigne(3);
    EXPECT_EQ(Etats(), (std::vector<bool>{true, false, true, false, false, false, false, false}));
    EXPECT_TRUE(Catalogue().isEmpty());
    EXPECT_TRUE(FondBouton());
    EXPECT_EQ(d.PanelCatal->text(), "");

    const std::string image = Image("dix.img", T1200);
    Insere(3, image);
    EXPECT_EQ(demandes.back().Type, TTypeChoix::Ouvrir);
    EXPECT_EQ(demandes.back().Titre, QString::fromUtf8("Nom du fichier disque \u00e0 ins\u00e9rer"));
    EXPECT_EQ(demandes.back().Filtre, "Images disque (*.img);;Tous les fichiers (*)");
    EXPECT_EQ(demandes.back().Extension, "img");
    EXPECT_EQ(Cellule(3, 2), "dix.img");
    EXPECT_EQ(Etats(), std::vector<bool>(8, true));
    EXPECT_EQ(d.PanelCatal->text(), QString::fromUtf8("  Disque non format\u00e9"));

    d.TmProtect->trigger();
    EXPECT_EQ(Cellule(3, 3), "Oui");
    EXPECT_EQ(M().Lecteurs->EtatDuDisque(4), 2);
    EXPECT_EQ(Etats(), (std::vector<bool>{true, true, true, true, true, false, false, false}));
    EXPECT_TRUE(d.TmProtect->isChecked());
    d.TmProtect->trigger();
    EXPECT_EQ(Cellule(3, 3), "Non");
    EXPECT_EQ(Etats(), std::vector<bool>(8, true));
    EXPECT_FALSE(d.TmProtect->isChecked());
    d.TmEjecte->trigger();
    EXPECT_EQ(Cellule(3, 2), "<pas de fichier>");
    EXPECT_EQ(M().Lecteurs->EtatDuDisque(4), 0);
    EXPECT_TRUE(boites.empty());
}

TEST_F(GesDsq, AnImageOfTheWrongSizeIsRefusedWithTheExpectedSize) {
    Cree();
    EXPECT_EQ(D().SeparateurMilliers, QLocale::system().groupSeparator());
    D().SeparateurMilliers = "."; // as a German host writes it
    Insere(0, Image("grand.img", T1200));
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].first, TTypeBoite::Erreur);
    EXPECT_EQ(boites[0].second, "La taille du fichier image doit \u00eatre : 788.480 octets");
    EXPECT_EQ(Cellule(0, 2), "<pas de fichier>");
    EXPECT_EQ(M().Lecteurs->EtatDuDisque(1), 0);
    // Cancelling the dialog changes nothing and says nothing.
    D().TmInsere->trigger();
    EXPECT_EQ(boites.size(), 1u);
}

TEST_F(GesDsq, FiveAndAQuarterInchDrivesTakeOnly400KoImages) {
    Cree("[Disquettes]\nDisques1et2=1\n");
    D().SeparateurMilliers = ",";
    EXPECT_EQ(Cellule(1, 1), "400 Ko");
    Insere(1, Image("huit.img", T800));
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].second, "La taille du fichier image doit \u00eatre : 409,600 octets");
    Insere(1, Image("quatre.img", T400));
    EXPECT_EQ(Cellule(1, 2), "quatre.img");
}

TEST_F(GesDsq, BlankDiskThenFormatShowsAnEmptyCatalogue) {
    Cree();
    const std::string chemin = (dossier / "vierge.img").string();
    Vierge(2, chemin);
    EXPECT_EQ(demandes.back().Type, TTypeChoix::Enregistrer);
    EXPECT_EQ(demandes.back().Titre, QString::fromUtf8("Nom du fichier image disque \u00e0 cr\u00e9er"));
    EXPECT_EQ(demandes.back().Filtre, "Fichier image disque (*.img);;Tous les fichiers (*)");
    EXPECT_EQ(fs::file_size(chemin), uint64_t(T1200));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the hourglass is gone
    EXPECT_EQ(Cellule(2, 2), "vierge.img");
    EXPECT_EQ(Cellule(2, 3), "Non");
    EXPECT_EQ(D().PanelCatal->text(), QString::fromUtf8("  Disque non format\u00e9"));
    EXPECT_TRUE(FondBouton());

    reponse = false;
    D().TMFormater->trigger();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0], std::make_pair(TTypeBoite::Question, std::string("Voulez-vous vraiment formater ce disque ?")));
    EXPECT_EQ(D().PanelCatal->text(), QString::fromUtf8("  Disque non format\u00e9"));
    reponse = true;
    D().TMFormater->trigger();
    EXPECT_EQ(D().PanelCatal->text(), " Disque : 00000      Secteur libre : 00064");
    EXPECT_TRUE(Catalogue().isEmpty());
    EXPECT_FALSE(FondBouton());
    // An empty drive: empty caption, button face again.
    D().ChoisitLigne(3);
    EXPECT_EQ(D().PanelCatal->text(), "");
    EXPECT_TRUE(FondBouton());
    // A cancelled blank disk leaves the drive as it was.
    D().ChoisitLigne(2);
    D().TmVierge->trigger();
    EXPECT_EQ(Cellule(2, 2), "vierge.img");
    EXPECT_EQ(D().PanelCatal->text(), " Disque : 00000      Secteur libre : 00064");
}

TEST_F(GesDsq, ImportExportAndOneFileExportFromTheMenus) {
    Cree();
    const fs::path entree = dossier / "entree", sortie = dossier / "sortie", seul = dossier / "seul";
    for (const fs::path& p : {entree, sortie, seul}) fs::create_directory(p);
    fs::create_directory(entree / "UTIL");
    std::ofstream(entree / "prog_00012_00000.txt", std::ios::binary) << std::string(600, 'p');
    std::ofstream(entree / "UTIL" / "A_00003_00004", std::ios::binary) << std::string(300, 'a');
    Vierge(0, (dossier / "d1.img").string());
    // Import on an unformatted disk is refused before any dialog.
    D().TmImportDir->trigger();
    EXPECT_EQ(boites.back().second, "Le disque n'est pas format\u00e9");
    // Format then import: a cancelled folder leaves the disk untouched.
    D().TMFmtImport->trigger();
    EXPECT_EQ(boites.back(), std::make_pair(TTypeBoite::Question,
                                            std::string("Voulez-vous vraiment formater le disque\npuis importer un r\u00e9pertoire ?")));
    EXPECT_EQ(demandes.back().Type, TTypeChoix::Dossier);
    EXPECT_EQ(demandes.back().Titre, QString::fromUtf8("S\u00e9lectionnez le dossier contenant les fichiers \u00e0 importer"));
    EXPECT_EQ(D().PanelCatal->text(), QString::fromUtf8("  Disque non format\u00e9"));

    choix.push_back(Q(entree.string()));
    D().TMFmtImport->trigger();
    EXPECT_EQ(boites.back(), std::make_pair(TTypeBoite::Information, std::string("Fichier(s) import\u00e9(s) : 2")));
    EXPECT_EQ(Catalogue(), (QStringList{"UTIL     ...................... 00064", "  A               00003  00004  00065 ",
                                        "PROG              00012  00000  00067 "}));
    EXPECT_FALSE(FondBouton());

    choix.push_back(Q(sortie.string()));
    D().TmExportDsq->trigger();
    EXPECT_EQ(demandes.back().Titre, QString::fromUtf8("S\u00e9lectionnez le dossier de destination"));
    EXPECT_EQ(boites.back(), std::make_pair(TTypeBoite::Information, std::string("Fichier(s) export\u00e9(s) : 2")));
    EXPECT_EQ(fs::file_size(sortie / "PROG_00012_00000"), 3u * 253u);
    EXPECT_EQ(fs::file_size(sortie / "UTIL" / "A_00003_00004"), 2u * 253u);

    // "Exporter le fichier": file lines only.
    D().ListBoxCatal->setCurrentRow(0);
    D().PopupCatalPopup();
    EXPECT_FALSE(D().TmExportFichier->isEnabled());
    D().ListBoxCatal->setCurrentRow(2);
    D().PopupCatalPopup();
    ASSERT_TRUE(D().TmExportFichier->isEnabled());
    choix.push_back(Q(seul.string()));
    D().TmExportFichier->trigger();
    EXPECT_EQ(boites.back(), std::make_pair(TTypeBoite::Information, std::string("Fichier(s) export\u00e9(s) : 1")));
    EXPECT_EQ(std::distance(fs::directory_iterator(seul), fs::directory_iterator()), 1);
    EXPECT_EQ(fs::file_size(seul / "PROG_00012_00000"), 3u * 253u);
    choix.push_back(Q(seul.string()));
    D().TmExportFichier->trigger(); // never overwritten
    EXPECT_EQ(boites[boites.size() - 2].second, "Le fichier : " + seul.string() + "/PROG_00012_00000 Existe d\u00e9j\u00e0");
    // With an empty drive selected, nothing to export.
    D().ChoisitLigne(1);
    D().PopupCatalPopup();
    EXPECT_FALSE(D().TmExportFichier->isEnabled());
}

TEST_F(GesDsq, SaveImagesWritesTheAssignmentAndLeavesTheOtherKeys) {
    Cree("[Machine]\nMachine=T7E\n[Perso]\nCouleur=bleu\n; une note\n[Images]\nD10=\n");
    const std::string un = Image("un.img", T800);
    Insere(0, un);
    Vierge(5, (dossier / "douze.img").string());
    D().BtnEnreg->click();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("[Perso]\nCouleur=bleu\n; une note\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nD1=" + un + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nD10=\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nD12=" + (dossier / "douze.img").string() + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nMachine=T7E\n"), std::string::npos) << ini;
    EXPECT_EQ(f->Parametres().ChargeImages[1], un);
    EXPECT_EQ(f->BarreEtat()->LabelMessage->text(),
              Q("Images enregistr\u00e9es dans " + (dossier / "EmulZorv.ini").string()));
    EXPECT_TRUE(boites.empty());
}

// A settings file that cannot be written: an error box, nothing said in the
// status bar.
TEST_F(GesDsq, SaveImagesToASettingsFileThatCannotBeWrittenShowsAnErrorBox) {
    Cree();
    fs::remove(dossier / "EmulZorv.ini");
    fs::create_directories(dossier / "EmulZorv.ini" / "occupe"); // a folder stands where the file goes
    const QString avant = f->BarreEtat()->LabelMessage->text();
    D().BtnEnreg->click();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0], std::make_pair(TTypeBoite::Erreur, "Impossible d'\u00e9crire le fichier " +
                                                               (dossier / "EmulZorv.ini").string()));
    EXPECT_EQ(f->BarreEtat()->LabelMessage->text(), avant);
}

TEST_F(GesDsq, RecentImagesAreOfferedNewestFirstAndKeptInTheSettings) {
    Cree();
    const std::string a = Image("a.img", T800), b = Image("b.img", T800);
    Insere(0, a);
    Insere(1, b);
    D().ChoisitLigne(0);
    D().PopupMenu1Popup();
    ASSERT_TRUE(D().MIRecentes->isEnabled());
    const QList<QAction*> recentes = D().MIRecentes->actions();
    ASSERT_EQ(recentes.size(), 2);
    EXPECT_EQ(recentes[0]->text(), "b.img");
    EXPECT_EQ(recentes[0]->toolTip(), Q(b));
    // b is in drive 2: a second drive may not write it too.
    recentes[0]->trigger();
    EXPECT_EQ(Cellule(0, 2), "<pas de fichier>");
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].second, "L'image " + b + " est d\u00e9j\u00e0 dans un autre lecteur");
    boites.clear();
    D().ChoisitLigne(1);
    D().TmEjecte->trigger();
    D().ChoisitLigne(0);
    D().PopupMenu1Popup();
    D().MIRecentes->actions()[0]->trigger(); // once ejected, b goes into drive 1
    EXPECT_EQ(Cellule(0, 2), "b.img");
    EXPECT_NE(Ini().find("[ImagesRecentes]\nImage1=" + b + "\nImage2=" + a + "\n"), std::string::npos) << Ini();
    // The next start offers them again.
    f.reset();
    Cree(nullptr);
    D().ChoisitLigne(2);
    D().PopupMenu1Popup();
    EXPECT_EQ(D().MIRecentes->actions().size(), 2);
}

TEST_F(GesDsq, ImagesDroppedOnARowOrOnTheScreenAreInserted) {
    Cree();
    D().SeparateurMilliers = ",";
    D().resize(863, 293);
    D().show();
    QTreeWidget* liste = D().ListViewDsqImg;
    const std::string jeux = Image("jeux.img", T1200);
    Depose(liste->viewport(), liste->visualItemRect(liste->topLevelItem(3)).center(), jeux);
    EXPECT_EQ(Cellule(3, 2), "jeux.img");
    EXPECT_EQ(M().Lecteurs->Disques[4].NomFichier, jeux);
    EXPECT_EQ(D().PanelCatal->text(), QString::fromUtf8("  Disque non format\u00e9")); // its catalogue shows
    Depose(liste->viewport(), liste->visualItemRect(liste->topLevelItem(0)).center(), jeux);
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0].second, "La taille du fichier image doit \u00eatre : 788,480 octets");
    EXPECT_EQ(Cellule(0, 2), "<pas de fichier>");
    D().hide();

    const std::string un = Image("un.img", T800);
    Depose(f->PaintBox1, f->PaintBox1->rect().center(), un);
    EXPECT_EQ(M().Lecteurs->Disques[1].NomFichier, un);
    EXPECT_EQ(f->BarreEtat()->LabelMessage->text(), "Lecteur 1 : un.img");
    EXPECT_EQ(boites.size(), 1u);
}

// The window opened from the toolbar while the machine runs: the keyboard
// hook is off while it is open and back after, whatever closes it; a disk
// inserted before "Annuler" stays in its drive.
TEST_F(GesDsq, OpenedFromTheToolbarItTakesTheKeyboardAndCancelUndoesNothing) {
    Cree();
    const std::string image = Image("garde.img", T800);
    std::vector<bool> captures;
    int ouvertures = 0;
    auto ouvre = [&](std::function<void(TFormGesDsq*)> pendant, std::function<void()> apres) {
        QTimer::singleShot(30, f.get(), [&, pendant, apres] {
            QTimer::singleShot(0, f->TBDsq, [&, pendant] {
                auto* d = qobject_cast<TFormGesDsq*>(QApplication::activeModalWidget());
                ASSERT_NE(d, nullptr);
                ++ouvertures;
                captures.push_back(M().CaptureClav);
                pendant(d);
                if (d->isVisible()) d->reject();
            });
            f->TBDsq->click();
            captures.push_back(M().CaptureClav);
            apres();
        });
    };
    ouvre(
        [&](TFormGesDsq* d) {
            const QPoint ecart = d->frameGeometry().center() - f->frameGeometry().center();
            EXPECT_LE(std::abs(ecart.x()) + std::abs(ecart.y()), 40); // centred on the main window
            Insere(0, image);
            d->BtnAnnuler->click();
        },
        [&] {
            ouvre([&](TFormGesDsq* d) { d->close(); }, [&] { f->close(); });
        });
    QEventLoop boucle;
    QObject::connect(f.get(), &TMainForm::Fermee, &boucle, &QEventLoop::quit);
    QTimer::singleShot(10000, f.get(), [this] {
        ADD_FAILURE() << "the window was not closed";
        f->close();
    });
    boucle.exec();
    EXPECT_EQ(ouvertures, 2);
    EXPECT_EQ(captures, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(M().Lecteurs->Disques[1].NomFichier, image);
}

// A disk with every kind of line, for the picture in docs/ and to see that
// the columns of the catalogue line up in the fixed-pitch font.
TEST_F(GesDsq, CatalogueColumnsLineUp) {
    Cree();
    const fs::path entree = dossier / "entree";
    fs::create_directories(entree / "UTIL");
    std::ofstream(entree / "prog_00012_00000", std::ios::binary) << std::string(600, 'p');
    std::ofstream(entree / "notes de cours_00256_00000", std::ios::binary) << std::string(900, 'n');
    std::ofstream(entree / "bin_00100_00003", std::ios::binary) << std::string(300, 'b');
    std::ofstream(entree / "UTIL" / "A_00003_00004", std::ios::binary) << std::string(300, 'a');
    Vierge(2, (dossier / "travail.img").string());
    choix.push_back(Q(entree.string()));
    D().TMFmtImport->trigger();
    Insere(0, Image("systeme.img", T800));
    D().ChoisitLigne(2);
    const QStringList lignes = Catalogue();
    ASSERT_EQ(lignes.size(), 5);
    const QFontMetrics fm(D().ListBoxCatal->font());
    EXPECT_TRUE(QFontInfo(D().ListBoxCatal->font()).fixedPitch());
    // Every file line ends at the same pixel; the numbers stand in columns.
    const int largeur = fm.horizontalAdvance(lignes[1]);
    for (int i : {1, 2, 3, 4}) {
        EXPECT_EQ(fm.horizontalAdvance(lignes[i]), largeur) << lignes[i].toStdString();
        EXPECT_EQ(lignes[i].indexOf(QRegularExpression("\\d{5}  \\d{5}  \\d{5} $")), lignes[1].size() - 20)
            << lignes[i].toStdString();
    }
    D().ListBoxCatal->setCurrentRow(3);
    D().resize(863, 293);
    D().show(); // no event loop here: the run message would start the machine
    EXPECT_LE(largeur, D().ListBoxCatal->viewport()->width());
    Capture(&D(), "gestionnaire-disques.png");
    D().hide();
}

// A damaged disk in the selected drive: its box comes over the opened window
// (not alone over the screen before it), once for the opening, not again at
// each click on its row.
TEST_F(GesDsq, ADamagedDiskIsToldOverTheOpenWindowOncePerOpening) {
    Cree();
    std::vector<uint8_t> o(size_t(T800), 0);
    const uint8_t debut[] = {0x0A, 0, 0, 64, 0, 'U', 'T', 'I', 'L', ' ', ' ', 0, 0, 0, 0, 0, 0, 0xFF};
    std::copy(std::begin(debut), std::end(debut), o.begin()); // UTIL's list starts at sector 0
    Ecrit("abime.img", o);
    Insere(0, (dossier / "abime.img").string());
    boites.clear();
    fenetreVisible.clear();
    QTimer::singleShot(30, f.get(), [&] {
        QTimer::singleShot(50, f.get(), [&] {
            D().ChoisitLigne(0);
            D().PopupMenu1Popup();
            if (D().isVisible()) D().reject();
        });
        f->TBDsq->click();
        f->close();
    });
    QEventLoop boucle;
    QObject::connect(f.get(), &TMainForm::Fermee, &boucle, &QEventLoop::quit);
    QTimer::singleShot(10000, f.get(), [this] { f->close(); });
    boucle.exec();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_NE(boites[0].second.find("UTIL"), std::string::npos) << boites[0].second;
    EXPECT_EQ(fenetreVisible, std::vector<bool>{true});
}

// The host's own boxes: one raised while the disk manager is open comes over
// it, not over the main window behind; with no dialog open, over the main
// window.
TEST_F(GesDsq, ABoxComesOverTheDialogTheUserIsWorkingIn) {
    vraiesBoites = true;
    Cree();
    std::vector<QWidget*> parents;
    auto fermeLaBoite = [&] {
        QTimer::singleShot(0, f.get(), [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) {
                    parents.push_back(b->parentWidget());
                    b->done(0);
                    return;
                }
            ADD_FAILURE() << "no box on screen";
        });
    };
    D().open();
    fermeLaBoite();
    f->Hote().MessageInfo("Fichier(s) export\u00e9(s) : 1");
    D().reject();
    fermeLaBoite();
    f->Hote().MessageErreur("Impossible");
    EXPECT_EQ(parents, (std::vector<QWidget*>{&D(), f.get()}));
}

// "Protéger en écriture" on an image the host opened read-only: it stays
// protected and a box tells why.
TEST_F(GesDsq, UnprotectingAReadOnlyImageTellsWhy) {
    Cree();
    ASSERT_EQ(M().Lecteurs->ChargeImage(9, Image("lu.img", T1200), " ", true), "");
    D().ChoisitLigne(2);
    D().TmProtect->trigger();
    ASSERT_EQ(boites.size(), 1u);
    EXPECT_EQ(boites[0], std::make_pair(TTypeBoite::Erreur,
                                        std::string("Le fichier lu.img est ouvert en lecture seule : le disque "
                                                    "reste prot\u00e9g\u00e9 en \u00e9criture.")));
    EXPECT_EQ(Cellule(2, 3), "Oui");
    D().PopupMenu1Popup();
    EXPECT_TRUE(D().TmProtect->isChecked());
}
