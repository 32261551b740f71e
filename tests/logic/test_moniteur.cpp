// The boot ROM monitor built into the program folder, run on the machine
// with the virtual clock: start-up, line editing, every command, errors and
// the "INT" button.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "config/ChargeRoms.h"
#include "disks/Lecteurs.h"
#include "ImagesTemp.h"
#include "MachineEssai.h"
#include "core/Machine.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;
// Monitor variables at fixed places of its RAM area.
constexpr uint16_t LIGCUR = 0x2000; // cursor row
constexpr uint16_t PILE = 0x2006;   // top of RAM + 1
constexpr uint16_t LIGNE = 0x2040;  // command line

std::map<std::string, uint16_t> LitSymboles(const std::string& nom) {
    std::map<std::string, uint16_t> s;
    std::ifstream in(nom);
    std::string n, v;
    while (in >> n >> v) s[n] = uint16_t(std::stoul(v, nullptr, 16));
    return s;
}

struct Moniteur : TMachineEssai {
    std::map<std::string, uint16_t> symb = LitSymboles(Programme + "/QBM71K.sym");

    void Demarre(int modele = 0) {
        m->Hote = &hote;
        m->ChoisitModele(modele);
        m->ModClavParam = 1; // the monitor announces the Basic mode (0) itself
        m->InitMachine();
        ASSERT_EQ(ChargeRomBoot(*m, Programme + "/QBM71K.bin"), "");
        ASSERT_EQ(ChargeRom128K(*m, Programme + "/T318-C.bin"), "");
        Attend();
    }
    // True while the monitor waits for a key with an empty queue.
    bool EnAttente() const {
        return m->NbCarClav == 0 && m->RegPC >= symb.at("LITTCH") && m->RegPC < symb.at("LIRLIG");
    }
    // Runs until the monitor waits for a key (at most about 10 virtual s).
    void Attend() {
        for (int i = 0; i < 2000 && !EnAttente(); ++i) m->Execute(20000);
        ASSERT_TRUE(EnAttente()) << "PC=" << std::hex << m->RegPC;
    }
    void Touche(uint16_t entree) {
        while (m->NbCarClav >= 12) m->Execute(2000);
        m->AjouteTouche(entree);
    }
    // Types a text (\r is Return) and waits for the next prompt.
    void Tape(const std::string& texte) {
        for (char c : texte) Touche(c == '\r' ? 0x030D : uint16_t(0x0300 | uint8_t(c)));
        Attend();
    }
    std::string Ligne(int r) const {
        std::string s;
        for (int c = 0; c < 80; ++c) s += char(m->RamTv[size_t(128 * r + c)] & 0x7F);
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
    // Row of the cursor, and the rows above it.
    int LigneCurseur() const { return m->ReadMem(LIGCUR, 0); }
    std::string Avant(int n) const { return Ligne(LigneCurseur() - n); }
};

TEST_F(Moniteur, BannerPromptAndKeyboardModeOnEachModel) {
    const std::pair<int, const char*> cas[] = {{0, "128"}, {2, "64"}, {3, "56"}, {5, "48"}, {16, "4"}};
    for (auto [modele, ko] : cas) {
        hote = THoteVirtuel{m}; // no keyboard timer left from the last start
        hote.Distributeur = &poste->Distributeur;
        Demarre(modele);
        EXPECT_EQ(Ligne(0), "Moniteur Zorvex QBM71K");
        EXPECT_EQ(Ligne(1), std::string("M\x18moire vive : ") + ko + " k-octets") << modele;
        EXPECT_EQ(Ligne(3), "*");
        EXPECT_EQ(m->ModeClavier, 0);
        EXPECT_EQ(m->SelMem, 1);
        EXPECT_EQ(m->CodeJeuInst, 0);
        EXPECT_TRUE(hote.Erreurs.empty()) << hote.Erreurs.front();
        const uint16_t haut = uint16_t(m->MaxAdrRam + 1);
        EXPECT_EQ(m->ReadMem(PILE, 0) | m->ReadMem(PILE + 1, 0) << 8, haut) << modele;
        const uint16_t profondeur = uint16_t(haut - m->RegSP);
        EXPECT_GT(profondeur, 0);
        EXPECT_LE(profondeur, 0x40);
    }
}

TEST_F(Moniteur, StartUpProbesLeaveRamAsItWas) {
    m->WriteBank(0xEFFF, 0, 0x12);
    m->WriteBank(0x3000, 0, 0x34);
    m->WriteBank(0x3000, 1, 0x56);
    m->WriteBank(0x2FFF, 0, 0x78);
    ASSERT_EQ(ChargeRomBoot(*m, Programme + "/QBM71K.bin"), "");
    ASSERT_EQ(ChargeRom128K(*m, Programme + "/T318-C.bin"), "");
    Attend();
    EXPECT_EQ(m->ReadBank(0xEFFF, 0), 0x12);
    EXPECT_EQ(m->ReadBank(0x3000, 0), 0x34);
    EXPECT_EQ(m->ReadBank(0x3000, 1), 0x56);
    EXPECT_EQ(m->ReadBank(0x2FFF, 0), 0x78);
}

TEST_F(Moniteur, CursorBlinksInInverseVideoAtThePrompt) {
    Demarre();
    const size_t cellule = 128 * 3 + 2;
    bool allume = false, eteint = false;
    for (int i = 0; i < 40; ++i) { // 40 × 50 ms
        m->Execute(200000);
        (m->RamTv[cellule] & 0x80 ? allume : eteint) = true;
        EXPECT_EQ(m->RamTv[cellule] & 0x7F, ' ');
    }
    EXPECT_TRUE(allume);
    EXPECT_TRUE(eteint);
    Tape("?\r");
    for (int r = 0; r < 24; ++r) {
        for (int c = 0; c < 128; ++c) {
            if (r == LigneCurseur()) continue;
            EXPECT_LT(m->RamTv[size_t(128 * r + c)], 0x80) << r << "," << c;
        }
    }
}

TEST_F(Moniteur, HelpListsEveryCommandAndScrolls) {
    Demarre();
    Tape("?\r");
    EXPECT_EQ(LigneCurseur(), 21);
    EXPECT_EQ(Avant(18), "* ?");
    EXPECT_EQ(Avant(17), "? : liste des commandes");
    EXPECT_EQ(Avant(5), "C : bascule entre 80 et 128 colonnes");
    EXPECT_EQ(Avant(4), "L lecteur secteur adresse : lit un secteur");
    EXPECT_EQ(Avant(3), "S lecteur secteur adresse : \x18" "crit un secteur");
    EXPECT_EQ(Avant(2), "K lecteur : formate le disque (efface tout)");
    EXPECT_EQ(Avant(1), "Nombres en hexad\x18" "cimal, sauf pour A.");
    EXPECT_EQ(Ligne(0), "Moniteur Zorvex QBM71K");
    Tape("?\r");
    EXPECT_EQ(LigneCurseur(), 23);
    EXPECT_EQ(Avant(17), "? : liste des commandes");
    EXPECT_EQ(Ligne(23), "*");
    EXPECT_EQ(Ligne(0), "C : bascule entre 80 et 128 colonnes"); // scrolled up by sixteen rows
}

TEST_F(Moniteur, ChangeThenDumpMemory) {
    Demarre();
    Tape("M 2100 41 42 43\r");
    EXPECT_EQ(m->ReadBank(0x2100, 0), 0x41);
    EXPECT_EQ(m->ReadBank(0x2102, 0), 0x43);
    EXPECT_EQ(m->ReadBank(0x2100, 1), 0);
    Tape("d 2100 2110\r");
    EXPECT_EQ(Avant(2), "2100  41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00  ABC.............");
    EXPECT_EQ(Avant(1), "2110  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  ................");
    Tape("D FFF0\r"); // stops at the end of memory
    EXPECT_EQ(Avant(2), "* D FFF0");
    EXPECT_EQ(Avant(1).substr(0, 6), "FFF0  ");
    Tape("D 0 0\r");
    EXPECT_EQ(Avant(1).substr(0, 9), "0000  F3 ");  // DI at the reset address
}

TEST_F(Moniteur, SpaceStopsALongDumpOtherKeysWait) {
    Demarre();
    Tape("D 2100 FFFF\r ");
    EXPECT_EQ(Avant(1), "Interrompu");
    Tape("D 2100 27FF\rH");
    Touche(0x030D);
    Attend(); // the whole dump ran, then the typed-ahead H
    EXPECT_TRUE(std::regex_match(Avant(1), std::regex("Il est .*"))) << Avant(1);
    EXPECT_EQ(Avant(3).substr(0, 4), "27F0");
}

TEST_F(Moniteur, FillAndItsRefusals) {
    Demarre();
    Tape("F 2200 220F AA\r");
    for (uint16_t a = 0x2200; a <= 0x220F; ++a) EXPECT_EQ(m->ReadBank(a, 0), 0xAA);
    EXPECT_EQ(m->ReadBank(0x2210, 0), 0);
    Tape("F 2210 2200 1\r");
    EXPECT_EQ(Avant(1), "Fin avant le d\x18" "but");
    const std::string protegee = "Zone prot\x18g\x18" "e (ROM, moniteur ou pile)";
    for (const char* ligne : {"F 0F00 1000 0\r", "F 1F00 2000 0\r", "F 20FF 2200 0\r", "F F000 FFFF 0\r", "M 0 1\r",
                              "M 2050 1\r", "M FFFF 1\r"}) {
        Tape(ligne);
        EXPECT_EQ(Avant(1), protegee) << ligne;
    }
    EXPECT_TRUE(hote.Erreurs.empty()); // nothing was written into the ROM
    EXPECT_EQ(m->ReadBank(0x2200, 0), 0xAA);
    Tape("F 1800 1803 5A\r"); // the video RAM may be filled
    EXPECT_EQ(m->RamTv[0x800], 0x5A);
    Tape("M 2300 1 2 3 XYZ\r"); // nothing is written when a byte is wrong
    EXPECT_EQ(Avant(1), "Erreur de syntaxe");
    EXPECT_EQ(m->ReadBank(0x2300, 0), 0);
}

TEST_F(Moniteur, BadCommandLinesGiveAMessageAndANewPrompt) {
    Demarre();
    const std::pair<const char*, std::string> cas[] = {
        {"X\r", "Commande inconnue (? pour la liste)"},
        {"D\r", "Argument manquant"},
        {"D 12345\r", "Valeur trop grande"},
        {"D 20G0\r", "Erreur de syntaxe"},
        {"D 2000 2001 2002\r", "Erreur de syntaxe"},
        {"I 100\r", "Valeur trop grande"},
        {"H 1\r", "Erreur de syntaxe"},
        {"A 70000 1\r", "Nombre d\x18" "cimal invalide (0 \x10 65535)"},
        {"A 12\r", "Argument manquant"},
        {"A 1x 2\r", "Nombre d\x18" "cimal invalide (0 \x10 65535)"},
        {"O 7F 80\r", "Refus\x18 : ce port arr\x15terait le moniteur"},
        {"O 8F 81\r", "Refus\x18 : ce port arr\x15terait le moniteur"},
        {"O 8F 80\r", "Refus\x18 : ce port arr\x15terait le moniteur"},
    };
    for (const auto& [ligne, message] : cas) {
        Tape(ligne);
        EXPECT_EQ(Avant(1), message) << ligne;
        EXPECT_EQ(Ligne(LigneCurseur()), "*");
    }
    Tape("   \r"); // an empty line is no error
    EXPECT_EQ(Avant(1), "*");
    EXPECT_EQ(m->CodeJeuInst, 0);
    EXPECT_EQ(m->SelMem, 1);
    Tape("O 8F 1\r"); // what keeps the monitor in place is let through
    Tape("O 7F 0\r");
    EXPECT_EQ(Avant(1), "* O 7F 0");
    EXPECT_TRUE(hote.Erreurs.empty());
}

TEST_F(Moniteur, BackspaceAndLeftArrowRubOut) {
    Demarre();
    for (char c : std::string("DX")) Touche(uint16_t(0x0300 | c));
    Touche(0x071A); // Backspace: left arrow, then delete
    Touche(0x071D);
    Tape(" 2100 2100\r");
    EXPECT_EQ(Avant(2), "* D 2100 2100");
    EXPECT_EQ(Avant(1).substr(0, 6), "2100  ");
    Touche(0x041A); // Ctrl+left on an empty line does nothing
    Touche(0x0300 | '?');
    Touche(0x051A); // Shift+left
    Touche(0x0300 | 'H');
    Tape("\r");
    EXPECT_EQ(Avant(2), "* H");
    EXPECT_EQ(m->ReadMem(LIGNE, 0), 'H');
}

TEST_F(Moniteur, ClockTimeAndDate) {
    hote.Origine = THeureLocale{2026, 3, 5, 4, 14, 7, 9, 250}; // Thursday
    Demarre();
    Tape("H\r");
    EXPECT_TRUE(std::regex_match(Avant(1), std::regex("Il est 14:07:(09|1[0-2]),[0-9] le jeudi 05/03"))) << Avant(1);
}

TEST_F(Moniteur, PrinterGetsTheLineWithItsAccents) {
    Demarre();
    for (char c : std::string("P Voil")) Touche(uint16_t(0x0300 | c));
    Touche(0x0210); // à
    Tape(" 2 lignes\r");
    EXPECT_EQ(Avant(1), "Ligne imprim\x18" "e");
    const std::string attendu = "Voil\x10 2 lignes\r\n";
    EXPECT_EQ(std::string(poste->Imprimante.Octets.begin(), poste->Imprimante.Octets.end()), attendu);
    Tape("P\r");
    EXPECT_EQ(std::string(poste->Imprimante.Octets.begin(), poste->Imprimante.Octets.end()), attendu + "\r\n");
}

TEST_F(Moniteur, GraphicsDemoReadBackThroughThePortAndCleared) {
    Demarre();
    Tape("T\r");
    auto point = [&](int x, int y) { return m->GraphZorv[size_t(x * 256 + y)]; };
    EXPECT_EQ(point(0, 128), 15);
    EXPECT_EQ(point(255, 255), 15);
    EXPECT_EQ(point(16, 100), 13);
    EXPECT_EQ(point(120, 112), 1);
    EXPECT_EQ(point(128, 128), 0);
    Tape("O 83 10\r");
    Tape("O A3 64\r");
    Tape("I C3\r");
    EXPECT_EQ(Avant(1), "Port C3 = 0D");
    Tape("E\r");
    EXPECT_EQ(Avant(1), "Graphique effac\x18");
    int allumes = 0;
    for (uint8_t v : m->GraphZorv) allumes += v != 0;
    EXPECT_EQ(allumes, 0);
}

TEST_F(Moniteur, ArithmeticProcessorSum) {
    Demarre();
    Tape("A 123 456\r");
    EXPECT_EQ(Avant(2), "123 + 456 = 579");
    EXPECT_EQ(Avant(1), "Octets du r\x18sultat : 40 82 18 00 00 00 00 00");
    Tape("I EF\r"); // a stray read moves the result index
    Tape("A 65535 65535\r");
    EXPECT_EQ(Avant(2), "65535 + 65535 = 131070");
    EXPECT_EQ(Avant(1), "Octets du r\x18sultat : 40 FF FF E0 00 00 00 00");
    Tape("A 0 0\r");
    EXPECT_EQ(Avant(2), "0 + 0 = 0");
    Tape("A 1 0\r");
    EXPECT_EQ(Avant(2), "1 + 0 = 1");
    EXPECT_EQ(Avant(1), "Octets du r\x18sultat : 3F F0 00 00 00 00 00 00");
}

TEST_F(Moniteur, ColumnsPortsGoAndRestarts) {
    Demarre();
    Tape("C\r");
    EXPECT_TRUE(m->Mode128Col);
    EXPECT_EQ(Avant(1), "128 colonnes");
    Tape("O 82 0\r"); // the monitor follows a width set through the port
    EXPECT_FALSE(m->Mode128Col);
    Tape("C\r");
    EXPECT_TRUE(m->Mode128Col);
    Tape("C\r");
    EXPECT_FALSE(m->Mode128Col);
    EXPECT_EQ(Avant(1), "80 colonnes");
    // MVI A,5AH ; STA 2200H ; RET
    Tape("M 2100 3E 5A 32 00 22 C9\r");
    Tape("G 2100\r");
    EXPECT_EQ(m->ReadBank(0x2200, 0), 0x5A);
    EXPECT_EQ(Avant(1), "* G 2100");
    Tape("M 2100 FF\r"); // RST 7
    Tape("G 2100\r");
    EXPECT_EQ(Avant(1), "Retour au moniteur");
    Tape("I 97\r");
    EXPECT_EQ(Avant(1), "Port 97 = FF");
}

// Garbled command lines (every command but G, which would run whatever the
// line points at) always end in a prompt, never write into the ROM and
// leave the monitor working.
TEST_F(Moniteur, RandomLinesAlwaysComeBackToThePrompt) {
    Demarre();
    std::mt19937 alea(20261208);
    const std::string commandes = "?DMFIOHPTEACXd m";
    const std::string signes = "0123456789ABCDEFabcdef XYZ,.-+";
    for (int n = 0; n < 150; ++n) {
        std::string ligne(1, commandes[alea() % commandes.size()]);
        const int jetons = ligne == "D" || ligne == "d" ? 1 : int(alea() % 4);
        for (int j = 0; j < jetons; ++j) {
            ligne += ' ';
            const size_t choix = alea() % 4 ? 16 : signes.size(); // mostly hexadecimal numbers
            for (int k = int(alea() % 5); k >= 0; --k) ligne += signes[alea() % choix];
        }
        Tape(ligne + "\r");
        ASSERT_TRUE(hote.Erreurs.empty()) << ligne << " : " << hote.Erreurs.front();
        ASSERT_EQ(m->CodeJeuInst, 0) << ligne;
        ASSERT_EQ(m->SelMem, 1) << ligne;
    }
    Tape("A 2 3\r");
    EXPECT_EQ(Avant(2), "2 + 3 = 5");
}

TEST_F(Moniteur, ResetStartsAgainAndKeepsUserMemory) {
    Demarre();
    Tape("M 2100 99\r");
    Tape("C\r");
    m->Execute(400000); // the keyboard's 50 ms window of the first start is over
    m->TBRazClick();
    Attend();
    EXPECT_EQ(Ligne(0), "Moniteur Zorvex QBM71K");
    EXPECT_EQ(Ligne(3), "*");
    EXPECT_EQ(Ligne(4), "");
    EXPECT_FALSE(m->Mode128Col);
    EXPECT_EQ(m->ModeClavier, 0);
    EXPECT_EQ(m->ReadBank(0x2100, 0), 0x99);
}

TEST_F(Moniteur, InterruptButtonShowsItsMarkAndReturns) {
    Demarre();
    for (char c : std::string("D 2")) Touche(uint16_t(0x0300 | c));
    m->Execute(50000);
    m->TBIntClick();
    m->Execute(50000);
    EXPECT_EQ(m->RamTv[77], 'I' | 0x80);
    EXPECT_EQ(m->RamTv[78], 'N' | 0x80);
    EXPECT_EQ(m->RamTv[79], 'T' | 0x80);
    EXPECT_FALSE(m->DemandeInt);
    EXPECT_TRUE(m->BasculeInt); // EI before RET
    m->TBIntClick();            // and the next one is taken too
    m->RamTv[77] = ' ';
    m->Execute(50000);
    EXPECT_EQ(m->RamTv[77], 'I' | 0x80);
    Tape("100 2100\r");         // the line goes on where it was
    EXPECT_EQ(Avant(1).substr(0, 6), "2100  ");
    Tape("C\r"); // in 128 columns the mark is at the end of the longer row
    m->TBIntClick();
    m->Execute(50000);
    EXPECT_EQ(m->RamTv[125], 'I' | 0x80);
    EXPECT_EQ(m->RamTv[127], 'T' | 0x80);
}

} // namespace

// Floppy disks through the controller: L reads, S writes, K formats.
struct MoniteurDisques : Moniteur {
    TDossierTemp dossier;
    TLecteurs lecteurs;
    const std::string reussie = "Disque : op\x18ration r\x18ussie";
    const std::string protege = "Disque prot\x18g\x18 en \x18" "criture";
    const std::string vide = "Pas de disque dans le lecteur";

    void Demarre() {
        Moniteur::Demarre();
        m->Lecteurs = &lecteurs;
    }
    std::string Insere(int slot, const std::string& nom, int64_t taille) {
        const std::string chemin = dossier.Image(nom, taille);
        EXPECT_EQ(lecteurs.InsereDisque(slot, chemin, " "), "");
        return chemin;
    }
    static std::vector<uint8_t> Secteur(const std::vector<uint8_t>& image, int n) {
        return {image.begin() + (n - 1) * 256, image.begin() + n * 256};
    }
    std::vector<uint8_t> Memoire(uint16_t adr) const {
        std::vector<uint8_t> v;
        for (int i = 0; i < 256; ++i) v.push_back(m->ReadBank(uint16_t(adr + i), 0));
        return v;
    }
};

TEST_F(MoniteurDisques, SectorWrittenFromMemoryReadsBackFromACopy) {
    const std::string image1 = Insere(1, "d1.img", 788480);
    Demarre();
    std::vector<uint8_t> donnees;
    for (int i = 0; i < 256; ++i) donnees.push_back(uint8_t(i * 37 + 11));
    for (int i = 0; i < 256; ++i) m->WriteBank(uint16_t(0x3000 + i), 0, donnees[size_t(i)]);
    Tape("S 1 1A 3000\r");
    EXPECT_EQ(Avant(1), reussie);
    const std::vector<uint8_t> contenu = TDossierTemp::Contenu(image1);
    ASSERT_EQ(contenu.size(), 788480u);
    EXPECT_EQ(Secteur(contenu, 0x1A), donnees);
    EXPECT_EQ(Secteur(contenu, 0x19)[255], TDossierTemp::OctetMotif(0x19, 255));
    EXPECT_EQ(Secteur(contenu, 0x1B)[0], TDossierTemp::OctetMotif(0x1B, 0));

    const std::string copie = dossier.Chemin("copie.img");
    std::filesystem::copy_file(image1, copie);
    ASSERT_EQ(lecteurs.InsereDisque(2, copie, " "), "");
    Tape("L 2 1A 4000\r");
    EXPECT_EQ(Avant(1), reussie);
    EXPECT_EQ(Memoire(0x4000), donnees);
    EXPECT_EQ(m->ReadBank(0x3FFF, 0), 0);
    EXPECT_EQ(m->ReadBank(0x4100, 0), 0);

    // Drive 10 (typed as the monitor reads numbers) is the fourth drive.
    Insere(4, "d10.img", 1261568);
    Tape("L 10 1340 5000\r");
    EXPECT_EQ(Avant(1), reussie);
    for (int i : {0, 31, 32, 255}) EXPECT_EQ(m->ReadBank(uint16_t(0x5000 + i), 0), TDossierTemp::OctetMotif(0x1340, i));
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
}

TEST_F(MoniteurDisques, FormatAsksFirstThenZeroesTheWholeImage) {
    const std::string image = Insere(3, "d9.img", 1261568);
    Demarre();
    Tape("K 9\rN");
    EXPECT_EQ(Avant(2), "Tout effacer ? (O/N)");
    EXPECT_EQ(Avant(1), "Abandon");
    EXPECT_EQ(TDossierTemp::Contenu(image)[300], TDossierTemp::OctetMotif(2, 44));
    Tape("k 9\ro");
    EXPECT_EQ(Avant(2), "Tout effacer ? (O/N) O");
    EXPECT_EQ(Avant(1), reussie);
    const std::vector<uint8_t> contenu = TDossierTemp::Contenu(image);
    EXPECT_EQ(contenu.size(), 1261568u);
    EXPECT_EQ(std::count(contenu.begin(), contenu.end(), 0), 1261568);
}

TEST_F(MoniteurDisques, ProtectedAndEmptyDrivesGiveTheirMessages) {
    const std::string image = Insere(1, "d1.img", 788480);
    lecteurs.BasculeProtection(1);
    Demarre();
    const std::vector<uint8_t> avant = TDossierTemp::Contenu(image);
    m->WriteBank(0x3000, 0, 0x99);
    Tape("S 1 1 3000\r");
    EXPECT_EQ(Avant(1), protege);
    Tape("K 1\rO");
    EXPECT_EQ(Avant(1), protege);
    EXPECT_EQ(TDossierTemp::Contenu(image), avant);
    Tape("L 1 2 3000\r"); // a protected disk is read all the same
    EXPECT_EQ(Avant(1), reussie);
    EXPECT_EQ(Memoire(0x3000), Secteur(avant, 2));
    for (const char* ligne : {"L 2 1 3000\r", "S 11 1 3000\r", "K 12\rO"}) {
        Tape(ligne);
        EXPECT_EQ(Avant(1), vide) << ligne;
    }
    m->Lecteurs = nullptr; // no drive table at all
    Tape("L 1 1 3000\r");
    EXPECT_EQ(Avant(1), vide);
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
}

TEST_F(MoniteurDisques, BadArgumentsSendNothing) {
    const std::string image = Insere(1, "d1.img", 788480);
    Demarre();
    const std::vector<uint8_t> avant = TDossierTemp::Contenu(image);
    const std::string zone = "Zone prot\x18g\x18" "e (ROM, moniteur ou pile)";
    const std::pair<const char*, std::string> cas[] = {
        {"L 3 1 3000\r", "Lecteur inconnu"},     {"S 0 1 3000\r", "Lecteur inconnu"},
        {"K 111\r", "Lecteur inconnu"},          {"L 1 0 3000\r", "Secteur hors du disque"},
        {"S 1 C09 3000\r", "Secteur hors du disque"}, {"L 9 1341 3000\r", "Secteur hors du disque"},
        {"L 1 1 2080\r", zone},                  {"L 1 1 1F01\r", zone},
        {"L 1 1 FF80\r", zone},                  {"L 1 1 0\r", zone},
        {"L 1 1\r", "Argument manquant"},        {"S 1 1 3000 4\r", "Erreur de syntaxe"},
        {"K 1 2\r", "Erreur de syntaxe"},        {"L 1 1 12345\r", "Valeur trop grande"},
    };
    for (const auto& [ligne, message] : cas) {
        Tape(ligne);
        EXPECT_EQ(Avant(1), message) << ligne;
    }
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
    EXPECT_EQ(m->ReadBank(0x2100, 0), 0);
    EXPECT_EQ(TDossierTemp::Contenu(image), avant);
    Tape("L 1 C08 1F00\r"); // the last sector, into the video RAM
    EXPECT_EQ(Avant(1), reussie);
    EXPECT_EQ(m->RamTv[0xF00 + 5], TDossierTemp::OctetMotif(0xC08, 5));
}

TEST_F(MoniteurDisques, ASilentControllerGivesAMessageNotAHang) {
    Insere(1, "d1.img", 788480);
    Demarre();
    m->EtatCtrlDsq = ecdEmetSomme; // takes no byte and offers none
    m->StatusCtrl = 0x80;
    Tape("L 1 1 3000\r");
    EXPECT_EQ(Avant(1), "Disque : pas de r\x18ponse");
    m->EtatCtrlDsq = ecdAttente; // the next command goes through
    Tape("L 1 1 3000\r");
    EXPECT_EQ(Avant(1), reussie);
}
