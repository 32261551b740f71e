// The disk manager's one-file commands and new images, offscreen: the import
// dialog's values and refusals, the size dialog, and the window's commands
// with their dialogs answered in the user's place.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "disks/GesDsqForm.h"
#include "disks/ImportFichierDlg.h"
#include "disks/NouvelleImageDlg.h"
#include "ui/MainForm.h"

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The window's picture, for docs/ when ZORV_CAPTURES names a folder.
void Capture(QWidget* w, const char* nom) {
    const QString dossier = qEnvironmentVariable("ZORV_CAPTURES");
    if (!dossier.isEmpty()) w->grab().save(dossier + "/" + nom);
}

bool Accepte(QValidator* v, const QString& texte) {
    QString t = texte;
    int pos = 0;
    return v->validate(t, pos) != QValidator::Invalid;
}

} // namespace

TEST(DlgImportFichier, OffersTheDecodedNameAndRefusesWhatTheDiskCannotTake) {
    const QString chemin = "/donnees/notes de cours_00256_00000.txt";
    TDlgImportFichier d(chemin, 600, ValeursImport(chemin.toStdString()), nullptr);
    Capture(&d, "import-fichier.png");
    EXPECT_EQ(d.windowTitle(), "Importer un fichier");
    EXPECT_EQ(d.EditNom->text(), "NOTES DE COURS");
    EXPECT_EQ(d.EditC1->text(), "256");
    EXPECT_EQ(d.EditC2->text(), "0");
    EXPECT_EQ(d.LabelGenre->text(), QString::fromUtf8("texte au nom long, cha\u00een\u00e9, 3 secteurs"));
    EXPECT_TRUE(d.LabelFichier->text().startsWith("Fichier : /donnees/"));
    // C1 and C2 are filtered key by key: digits only.
    EXPECT_FALSE(Accepte(const_cast<QValidator*>(d.EditC1->validator()), "12a"));
    EXPECT_FALSE(Accepte(const_cast<QValidator*>(d.EditC2->validator()), "-1"));

    // A name too long for C1 = 1: said under the fields, the dialog stays.
    d.EditC1->setText("1");
    EXPECT_EQ(d.LabelGenre->text(), "");
    d.BtnOK->click();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.LabelErreur->text().startsWith(QString::fromUtf8("Nom sur le disque trop long")))
        << d.LabelErreur->text().toStdString();
    d.EditNom->setText("util/notes");
    EXPECT_EQ(d.LabelErreur->text(), ""); // a change clears the refusal
    EXPECT_EQ(d.LabelGenre->text(), QString::fromUtf8("fichier cha\u00een\u00e9 du r\u00e9pertoire, 3 secteurs"));
    d.EditC1->clear();
    d.BtnOK->click();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.LabelErreur->text(), QString::fromUtf8("C1 et C2 vont de 0 \u00e0 65\u202f535"));
    d.EditC1->setText("3");
    d.BtnOK->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Valeurs(), (TFichierAImporter{"util/notes", 3, 0}));

    // A host name without the form: its base name, as a chained file.
    TDlgImportFichier autre("/x/data.bin", 10, ValeursImport("/x/data.bin"), nullptr);
    EXPECT_EQ(autre.Valeurs(), (TFichierAImporter{"DATA", 1, 0}));
    EXPECT_EQ(autre.LabelGenre->text(), QString::fromUtf8("fichier cha\u00een\u00e9, 1 secteur"));
}

TEST(DlgNouvelleImage, TheDrivesSizeFirstAndTheInsertOnlyWhereItFits) {
    TDlgNouvelleImage d("/x/neuve.img", {1261568, true}, 10, 1261568, nullptr);
    EXPECT_EQ(d.windowTitle(), "Nouvelle image disque");
    QStringList libelles;
    for (QRadioButton* rb : d.RBTaille) libelles << rb->text();
    EXPECT_EQ(libelles, (QStringList{QString::fromUtf8("400 Ko (409\u202f600 octets)"),
                                     QString::fromUtf8("800 Ko (788\u202f480 octets)"),
                                     QString::fromUtf8("1.2 Mo (1\u202f261\u202f568 octets)")}));
    EXPECT_TRUE(d.RBTaille[2]->isChecked());
    EXPECT_EQ(d.CBInsere->text(), QString::fromUtf8("Ins\u00e9rer dans le lecteur 10"));
    EXPECT_TRUE(d.CBInsere->isEnabled());
    EXPECT_EQ(d.Choix(), (TChoixNouvelleImage{1261568, true}));
    d.RBTaille[0]->setChecked(true); // drive 10 takes no 400 Ko image
    EXPECT_FALSE(d.CBInsere->isEnabled());
    EXPECT_EQ(d.Choix(), (TChoixNouvelleImage{409600, false}));
    d.RBTaille[2]->setChecked(true);
    EXPECT_EQ(d.Choix(), (TChoixNouvelleImage{1261568, true}));

    TDlgNouvelleImage sansLecteur("/x/neuve.img", {788480, false}, 0, 0, nullptr);
    EXPECT_TRUE(sansLecteur.RBTaille[1]->isChecked());
    EXPECT_TRUE(sansLecteur.CBInsere->isHidden());
    EXPECT_FALSE(sansLecteur.Choix().Insere);
}

namespace {

std::vector<uint8_t> RomBoucle() {
    std::vector<uint8_t> rom(0x40, 0);
    const uint8_t code[] = {0x21, 0x00, 0x90, 0x34, 0x31, 0x00, 0x80, 0xF3, 0x00, 0xC3, 0x08, 0x00};
    std::copy(std::begin(code), std::end(code), rom.begin());
    return rom;
}

struct GesDsqFichier : ::testing::Test {
    fs::path dossier;
    std::unique_ptr<TMainForm> f;
    std::vector<std::pair<TTypeBoite, std::string>> boites;
    std::vector<TDemandeChoix> demandes;
    std::deque<std::optional<QString>> choix;
    std::vector<TFichierAImporter> offerts;     // what the import dialog offered
    std::optional<TFichierAImporter> valeurs;   // and what the user answers
    std::vector<TChoixNouvelleImage> tailles;   // what the size dialog offered
    std::optional<TChoixNouvelleImage> taille;

    void SetUp() override {
        std::random_device alea;
        dossier = fs::temp_directory_path() / ("zorv-gesdsq-fichier-" + std::to_string(alea()));
        fs::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::vector<uint8_t>(2048, 0));
        Ecrit("QBM71K.bin", RomBoucle());
        Ecrit("T318-C.bin", std::vector<uint8_t>(2048, 0xFF));
        std::ofstream(dossier / "EmulZorv.ini") << "[Machine]\nMachine=T7E\n";
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.ImpressionPdf = true;
        options.Boite = [this](TTypeBoite t, const std::string& s) {
            boites.emplace_back(t, s);
            return true;
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
        D().DemandeImport = [this](const QString&, int64_t, const TFichierAImporter& d) {
            offerts.push_back(d);
            return valeurs;
        };
        D().DemandeTaille = [this](const QString&, const TChoixNouvelleImage& d) {
            tailles.push_back(d);
            return taille;
        };
        D().FormActivate();
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        fs::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& o) {
        std::ofstream(dossier / nom, std::ios::binary)
            .write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    TFormGesDsq& D() { return f->FormGesDsq(); }
    // A formatted blank disk in drive 1.
    void DisqueFormate() {
        D().ChoisitLigne(0);
        choix.push_back(Q((dossier / "d1.img").string()));
        D().TmVierge->trigger();
        D().TMFormater->trigger();
        boites.clear();
    }
};

} // namespace

TEST_F(GesDsqFichier, OneFileInAndOutAndTheFreeRoomFollows) {
    EXPECT_EQ(D().LabelLibre->text(), "");
    DisqueFormate();
    EXPECT_EQ(D().LabelLibre->text(), "Place libre : 753 Ko");
    EXPECT_TRUE(D().BtnImportFichier->isEnabled());
    const std::string hote = (dossier / "prog_00012_00000.txt").string();
    std::ofstream(hote, std::ios::binary) << std::string(600, 'p');

    // Cancelled at the name dialog: nothing happens.
    choix.push_back(Q(hote));
    D().BtnImportFichier->click();
    ASSERT_EQ(offerts.size(), 1u);
    EXPECT_EQ(offerts[0], (TFichierAImporter{"PROG", 12, 0}));
    EXPECT_EQ(demandes.back().Titre, QString::fromUtf8("Fichier de l'h\u00f4te \u00e0 importer"));
    EXPECT_EQ(D().ListBoxCatal->count(), 0);
    EXPECT_TRUE(boites.empty());

    valeurs = TFichierAImporter{"PROG", 12, 0};
    choix.push_back(Q(hote));
    D().PopupCatalPopup();
    ASSERT_TRUE(D().TmImportFichier->isEnabled());
    D().TmImportFichier->trigger();
    ASSERT_EQ(D().ListBoxCatal->count(), 1);
    EXPECT_EQ(D().ListBoxCatal->item(0)->text(), "PROG              00012  00000  00064 ");
    EXPECT_EQ(boites.back(), std::make_pair(TTypeBoite::Information,
                                            std::string("Fichier import\u00e9 : PROG (C1 12, C2 0) ; place libre : 753 Ko")));
    EXPECT_EQ(D().LabelLibre->text(), "Place libre : 753 Ko"); // 3,012 sectors
    // Again: the name is taken, the disk keeps one PROG.
    choix.push_back(Q(hote));
    D().TmImportFichier->trigger();
    EXPECT_EQ(boites.back().first, TTypeBoite::Erreur);
    EXPECT_EQ(boites.back().second, "Le fichier PROG est d\u00e9j\u00e0 sur le disque : rien n'est import\u00e9");
    EXPECT_EQ(D().ListBoxCatal->count(), 1);

    // "Exporter le fichier sous": the export's name, in the image's folder first.
    D().ListBoxCatal->setCurrentRow(0);
    D().PopupCatalPopup();
    ASSERT_TRUE(D().TmExportSous->isEnabled());
    const std::string cible = (dossier / "copie.bin").string();
    choix.push_back(Q(cible));
    D().TmExportSous->trigger();
    EXPECT_EQ(demandes.back().Type, TTypeChoix::Enregistrer);
    EXPECT_EQ(demandes.back().Depart, Q((dossier / "PROG_00012_00000").string()));
    EXPECT_EQ(fs::file_size(cible), 3u * 253u);
    EXPECT_EQ(boites.back().second, "Fichier export\u00e9 : " + cible + " (759 octets)");
    fs::create_directory(dossier / "sous");
    choix.push_back(Q((dossier / "sous" / "x").string()));
    D().TmExportSous->trigger();
    choix.push_back(std::nullopt); // then in the folder chosen last
    D().TmExportSous->trigger();
    EXPECT_EQ(demandes.back().Depart, Q((dossier / "sous" / "PROG_00012_00000").string()));

    // A protected disk takes nothing: refused before any dialog.
    D().TmProtect->trigger();
    const size_t avant = demandes.size();
    D().PopupCatalPopup();
    EXPECT_FALSE(D().TmImportFichier->isEnabled());
    EXPECT_FALSE(D().BtnImportFichier->isEnabled());
    D().TmImportFichierClick();
    EXPECT_EQ(boites.back().second, "Disque prot\u00e9g\u00e9 en \u00e9criture");
    EXPECT_EQ(demandes.size(), avant);
}

TEST_F(GesDsqFichier, ANewImageOfTheChosenSizeNeverOverAFile) {
    D().ChoisitLigne(3); // drive 10: 1.2 Mo
    const std::string neuve = (dossier / "neuve.img").string();
    taille = TChoixNouvelleImage{409600, false};
    choix.push_back(Q(neuve));
    D().BtnNouvelle->click();
    EXPECT_TRUE(demandes.back().SansConfirmation);
    EXPECT_EQ(demandes.back().Titre, "Nom de la nouvelle image disque");
    ASSERT_EQ(tailles.size(), 1u);
    EXPECT_EQ(tailles[0], (TChoixNouvelleImage{1261568, true}));
    EXPECT_EQ(fs::file_size(neuve), 409600u);
    EXPECT_EQ(D().ListViewDsqImg->topLevelItem(3)->text(2), "<pas de fichier>");
    EXPECT_TRUE(boites.empty());

    // The same path again: refused before the size is asked, the file kept.
    choix.push_back(Q(neuve));
    D().BtnNouvelle->click();
    EXPECT_EQ(boites.back().second, "Le fichier : " + neuve + " Existe d\u00e9j\u00e0");
    EXPECT_EQ(tailles.size(), 1u);
    EXPECT_EQ(fs::file_size(neuve), 409600u);

    // The drive's own size, inserted.
    const std::string dix = (dossier / "dix.img").string();
    taille = TChoixNouvelleImage{1261568, true};
    choix.push_back(Q(dix));
    D().BtnNouvelle->click();
    EXPECT_EQ(fs::file_size(dix), 1261568u);
    EXPECT_EQ(D().ListViewDsqImg->topLevelItem(3)->text(2), "dix.img");
}
