// The printer of the main window: "Imprime", the end of a job at the
// program's end, and the pages of the PDF file a job becomes when no printer
// is to be used (read back with pdftotext and pdfinfo of poppler-utils).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "ui/MainForm.h"

namespace {

namespace fs = std::filesystem;

// The standard output of a command.
std::string Sortie(const std::string& commande) {
    std::string s;
    if (FILE* f = popen(commande.c_str(), "r")) {
        char tampon[4096];
        size_t n;
        while ((n = fread(tampon, 1, sizeof tampon, f)) > 0) s.append(tampon, n);
        pclose(f);
    }
    return s;
}

int Compte(const std::string& texte, const std::string& motif) {
    int n = 0;
    for (size_t i = texte.find(motif); i != std::string::npos; i = texte.find(motif, i + 1)) ++n;
    return n;
}

struct Impression : ::testing::Test {
    fs::path dossier;
    std::unique_ptr<TMainForm> f;

    void SetUp() override {
        std::random_device alea;
        dossier = fs::temp_directory_path() / ("zorv-impr-" + std::to_string(alea()));
        fs::create_directories(dossier);
        Ecrit("G-CAR-T9.bin", std::string(2048, '\0'));
        Ecrit("QBM71K.bin", std::string("\xC3\x00\x00", 3)); // JMP 0000
        Ecrit("T318-C.bin", std::string(2048, '\xFF'));
    }
    void TearDown() override {
        f.reset();
        std::error_code ec;
        fs::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::string& contenu) {
        std::ofstream(dossier / nom, std::ios::binary) << contenu;
    }
    void Cree() {
        TOptionsFenetre options;
        options.ProgDir = dossier.string();
        options.ImpressionPdf = true;
        options.Boite = [](TTypeBoite, const std::string&) { return true; };
        f = std::make_unique<TMainForm>(options);
        f->show();
        QCoreApplication::sendPostedEvents(f.get(), QEvent::MetaCall); // the start-up only
        ASSERT_TRUE(f->Demarree());
    }
    // Bytes on the printer port, between two instructions.
    void Imprime(const std::string& octets) {
        for (char c : octets) {
            f->Machine().CarImpr = static_cast<unsigned char>(c);
            f->Imprimante().ImprimeCaractere();
        }
    }
    std::vector<fs::path> Pdfs() const {
        std::vector<fs::path> v;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dossier / "Impressions", ec))
            if (e.path().extension() == ".pdf") v.push_back(e.path());
        return v;
    }
};

TEST_F(Impression, ImprimeIsEnabledOnlyForJobsEndedByHand) {
    Ecrit("EmulZorv.ini", "[Impression]\nAttente=5\n");
    Cree();
    EXPECT_FALSE(f->TBPrint->isEnabled());
    f->Machine().TimeOutImpr = -1;
    f->ActiveTBPrint();
    EXPECT_TRUE(f->TBPrint->isEnabled());
}

TEST_F(Impression, AJobEndedByImprimeBecomesAPdfWithHeaderAndPageNumbers) {
    Ecrit("EmulZorv.ini", "[Impression]\nAttente=-1\nNoPage=1\nImprEnTete=1\nEnTete=Journal de l'\xC3\xA9mulateur\n");
    Cree();
    ASSERT_TRUE(f->TBPrint->isEnabled());
    Imprime("\x94R\x18sultats du jour\x92 \x10 \x7F\r\n");
    for (int i = 1; i <= 100; ++i) Imprime("Ligne " + std::to_string(i) + " : " + std::string(size_t(i % 40), '=') + "\r\n");
    Imprime("\xC0");
    for (int i = 0; i < 256; ++i) Imprime(std::string{char(0x80 | (i & 0x7F)), '\xFF'});
    Imprime("\n\rFin\r\n");
    EXPECT_TRUE(Pdfs().empty()); // nothing before the end of the job
    f->TBPrint->click();
    EXPECT_FALSE(f->Machine().ImprEnCours);
    const auto pdfs = Pdfs();
    ASSERT_EQ(pdfs.size(), 1u);
    // Named by date and time as the screenshots are.
    EXPECT_TRUE(std::regex_match(pdfs[0].filename().string(),
                                 std::regex(R"(Zorvex-\d{4}-\d\d-\d\d-\d\dh\d\dm\d\d(-\d+)?\.pdf)")))
        << pdfs[0];
    if (const char* copie = std::getenv("ZORV_COPIE_IMPRESSION")) fs::copy_file(pdfs[0], copie, fs::copy_options::overwrite_existing);
    ASSERT_EQ(std::system("command -v pdftotext > /dev/null"), 0) << "pdftotext (poppler-utils) manque";
    const std::string info = Sortie("pdfinfo '" + pdfs[0].string() + "'");
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    const std::string texte = Sortie("pdftotext -layout '" + pdfs[0].string() + "' -");
    EXPECT_EQ(Compte(texte, "Journal de l'\xC3\xA9mulateur"), 2) << texte; // the header of each page
    EXPECT_NE(texte.find("R\xC3\xA9sultats du jour \xC3\xA0 \xE2\x96\x91"), std::string::npos);
    EXPECT_NE(texte.find("Ligne 1 : ="), std::string::npos);
    EXPECT_NE(texte.find("Ligne 100 :"), std::string::npos);
    EXPECT_NE(texte.find("Fin"), std::string::npos);
    const std::string page2 = Sortie("pdftotext -f 2 -l 2 -layout '" + pdfs[0].string() + "' -");
    EXPECT_NE(page2.find("Ligne 100"), std::string::npos);
    EXPECT_EQ(page2.find("Ligne 1 "), std::string::npos);
    // The page numbers: a line holding only "1" on page 1, "2" on page 2.
    auto seul = [](const std::string& t, const std::string& n) {
        size_t debut = 0;
        while (debut < t.size()) {
            size_t fin = t.find('\n', debut);
            if (fin == std::string::npos) fin = t.size();
            std::string ligne = t.substr(debut, fin - debut);
            const size_t a = ligne.find_first_not_of(" \f"), b = ligne.find_last_not_of(" \f");
            if (a != std::string::npos && ligne.substr(a, b - a + 1) == n) return true;
            debut = fin + 1;
        }
        return false;
    };
    EXPECT_TRUE(seul(Sortie("pdftotext -f 1 -l 1 -layout '" + pdfs[0].string() + "' -"), "1"));
    EXPECT_TRUE(seul(page2, "2"));
    f->close();
}

TEST_F(Impression, ClosingTheWindowEndsTheOpenJob) {
    Cree();
    Imprime("Derni\x11re ligne sans retour");
    EXPECT_TRUE(Pdfs().empty());
    f->close();
    const auto pdfs = Pdfs();
    ASSERT_EQ(pdfs.size(), 1u);
    const std::string texte = Sortie("pdftotext '" + pdfs[0].string() + "' -");
    EXPECT_NE(texte.find("Derni\xC3\xA8re ligne sans retour"), std::string::npos) << texte;
    f.reset(); // the destructor finds no job left
    EXPECT_EQ(Pdfs().size(), 1u);
}

} // namespace
