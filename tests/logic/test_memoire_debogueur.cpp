// The debugger's memory tools on the virtual clock: views, fill, copy and
// search; the memory windows' logic with its messages; the copy and fill
// dialogs; the console's memory commands.
#include <gtest/gtest.h>

#include "MachineEssai.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/DialoguesMemoire.h"
#include "debugger/FenetreDonnees.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/OutilsMemoire.h"
#include "debugger/Pile.h"

namespace {

struct MemoireDebogueur : TMachineEssai {
    TDebogueur& d = poste->Debogueur();
    void SetUp() override {
        TMachineEssai::SetUp();
        m->ChangeEtatCPU(CPUStop);
        m->SignaleEtatDuCPU(CPUStop);
        hote.Pompe();
        hote.Messages.clear();
    }
    uint8_t B(uint16_t a, uint8_t banque = 0) const { return m->ZorvMem[(uint32_t(banque) << 16) | a]; }
};

TEST_F(MemoireDebogueur, FillThroughTheViews) {
    const TBilanMemoire b = Remplit(*m, 0x2000, 0x20FF, 0x55, {TVueMemoire::CPU, 0});
    EXPECT_EQ(b.Nombre, 256);
    EXPECT_EQ(b.Message, "256 octets remplis");
    EXPECT_EQ(B(0x1FFF), 0x00);
    EXPECT_EQ(B(0x2000), 0x55);
    EXPECT_EQ(B(0x20FF), 0x55);
    EXPECT_EQ(B(0x2100), 0x00);
    EXPECT_EQ(B(0x2000, 1), 0x00);
    // End below start: nothing written, 0 reported.
    EXPECT_EQ(Remplit(*m, 0x3000, 0x2FFF, 0xAA, {TVueMemoire::CPU, 0}).Message, "0 octets remplis");
    EXPECT_EQ(B(0x2FFF), 0x00);
    // The data bank directly, under the video overlay.
    Remplit(*m, 0x1000, 0x1001, 0x77, {TVueMemoire::Banque1, 0});
    EXPECT_EQ(B(0x1000, 1), 0x77);
    EXPECT_EQ(m->RamTv[0], 0x20);
    // The processor's view over the boot ROM: refused with one box, not 4096.
    hote.Erreurs.clear();
    const TBilanMemoire rom = Remplit(*m, 0x0000, 0x1003, 0x41, {TVueMemoire::CPU, 0});
    EXPECT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_NE(hote.Erreurs[0].find("ROM boot"), std::string::npos);
    EXPECT_EQ(m->RamTv[3], 0x41) << "the video RAM past the ROM is still written";
    EXPECT_EQ(B(0x0000), 0x00);
    EXPECT_EQ(rom.Nombre, 0x1004);
    // Above MaxAdrRam the processor's view writes nothing, the bank view does.
    m->ChoisitModele(16);
    Remplit(*m, 0x2FFF, 0x3000, 0x99, {TVueMemoire::CPU, 0});
    EXPECT_EQ(B(0x2FFF), 0x99);
    EXPECT_EQ(B(0x3000), 0x00);
}

TEST_F(MemoireDebogueur, CopyBoundsOverlapAndBanks) {
    for (int i = 0; i < 0x100; ++i) m->ZorvMem[size_t(0x2000 + i)] = uint8_t(i);
    // The copy's processor view is bank 1: a bank-0 source is reached with "logiciel".
    const TAccesMemoire log{TVueMemoire::Banque0, 1}, cpu{TVueMemoire::CPU, 1};
    TBilanMemoire b = Copie(*m, 0x2000, 0x20FF, 0xFF80, log, log);
    EXPECT_TRUE(b.Refuse);
    EXPECT_EQ(b.Message, "D\u00e9bordement de la zone de destination");
    EXPECT_EQ(B(0xFF80), 0x00);
    b = Copie(*m, 0x2000, 0x20FF, 0xFE00, log, log);
    EXPECT_EQ(b.Message, "256 octets copi\u00e9s");
    EXPECT_EQ(B(0xFEFF), 0xFF);
    // The last 256 bytes of memory are a valid destination.
    b = Copie(*m, 0x2000, 0x20FF, 0xFF00, log, log);
    EXPECT_FALSE(b.Refuse);
    EXPECT_EQ(B(0xFFFF), 0xFF);
    // Overlaps, both ways, give the source as it was.
    Copie(*m, 0x2000, 0x20FF, 0x2010, log, log);
    EXPECT_EQ(B(0x2010), 0x00);
    EXPECT_EQ(B(0x210F), 0xFF);
    for (int i = 0; i < 0x100; ++i) m->ZorvMem[size_t(0x2000 + i)] = uint8_t(i);
    Copie(*m, 0x2010, 0x20FF, 0x2000, log, log);
    EXPECT_EQ(B(0x2000), 0x10);
    EXPECT_EQ(B(0x20EF), 0xFF);
    // The processor's view of the copy reaches bank 1; same address, other view: copied.
    b = Copie(*m, 0x2000, 0x2003, 0x2000, log, cpu);
    EXPECT_EQ(b.Nombre, 4);
    EXPECT_EQ(B(0x2001, 1), 0x11);
    // Same bytes: nothing; end below start: nothing.
    EXPECT_EQ(Copie(*m, 0x2000, 0x2003, 0x2000, cpu, cpu).Message, "0 octets copi\u00e9s");
    EXPECT_EQ(Copie(*m, 0x2003, 0x2000, 0x4000, log, log).Nombre, 0);
    EXPECT_EQ(B(0x4000), 0x00);
}

TEST_F(MemoireDebogueur, PatternsAndSearch) {
    EXPECT_EQ(LitMotif("3E 01,c3").Octets, (std::vector<uint8_t>{0x3E, 0x01, 0xC3}));
    EXPECT_EQ(LitMotif("3E01").Octets, (std::vector<uint8_t>{0x3E, 0x01}));
    EXPECT_EQ(LitMotif("A 1").Octets, (std::vector<uint8_t>{0x0A, 0x01}));
    EXPECT_FALSE(LitMotif("3E0").Erreur.empty());
    EXPECT_FALSE(LitMotif("3G").Erreur.empty());
    EXPECT_FALSE(LitMotif("").Erreur.empty());
    EXPECT_FALSE(LitMotif("\"abc").Erreur.empty());
    EXPECT_FALSE(LitMotif("\"\"").Erreur.empty());
    // Text in the machine's character set: é is 18H, ← is 5FH.
    EXPECT_EQ(LitMotif("\"\u00e9t\u00e9\"").Octets, (std::vector<uint8_t>{0x18, 't', 0x18}));
    EXPECT_EQ(LitMotif("\"\u2190\"").Octets, (std::vector<uint8_t>{0x5F}));
    EXPECT_FALSE(LitMotif("\"_\"").Erreur.empty()) << "the machine shows 5FH as an arrow";
    EXPECT_FALSE(LitMotif("\"\xE9\"").Erreur.empty()) << "a stray byte is no character";
    Code(0x3000, {0x3E, 0x01, 0x00, 0x3E, 0x01, 0x3E});
    const TAccesMemoire cpu{TVueMemoire::CPU, 0};
    EXPECT_EQ(Cherche(*m, 0x3000, 0x30FF, 0x3000, {0x3E, 0x01}, cpu), 0x3000);
    EXPECT_EQ(Cherche(*m, 0x3000, 0x30FF, 0x3001, {0x3E, 0x01}, cpu), 0x3003);
    EXPECT_EQ(Cherche(*m, 0x3000, 0x3005, 0x3004, {0x3E, 0x01}, cpu), std::nullopt) << "must lie whole in the range";
    EXPECT_EQ(Cherche(*m, 0x3000, 0x3005, 0x3000, {0x3E, 0x01}, {TVueMemoire::Banque1, 0}), std::nullopt);
    EXPECT_EQ(Cherche(*m, 0xFFFF, 0xFFFF, 0xFFFF, {0x00, 0x00}, cpu), std::nullopt);
}

TEST_F(MemoireDebogueur, WindowReadsEditsAndFollowsTheView) {
    TFenetreDonnees f(d);
    EXPECT_EQ(d.FenData, std::vector<TIdFenetre>{f.Id()});
    EXPECT_EQ(f.Editeur.AdrDebut(), 0x0000);
    EXPECT_EQ(f.Editeur.AdrFin(), 0x01FF);
    EXPECT_EQ(f.Vue(), TVueMemoire::CPU);
    // The processor's view shows the boot ROM at 0000.
    m->RomBoot[0] = 0xC3;
    m->ZorvMem[0] = 0x11;
    EXPECT_EQ(f.Editeur.Lignes()[0].substr(0, 8), "0000  C3");
    f.ChoisitVue(TVueMemoire::Banque0);
    EXPECT_EQ(f.Editeur.Lignes()[0].substr(0, 8), "0000  11");
    // A bank choice leaves edit mode.
    f.ChoisitAdresses(0x2000, -1);
    EXPECT_EQ(f.Editeur.AdrFin(), 0x21FF);
    f.Editeur.DoubleClic(60, 8, 8);
    EXPECT_TRUE(f.Editeur.EditMode());
    f.ChoisitVue(TVueMemoire::Banque1);
    EXPECT_FALSE(f.Editeur.EditMode());
    f.Editeur.DoubleClic(60, 8, 8);
    f.Editeur.Caractere('A');
    f.Editeur.Caractere('B');
    EXPECT_EQ(B(0x2000, 1), 0xAB);
    EXPECT_EQ(B(0x2000, 0), 0x00);
    // Characters 80..FF show ".", the others the machine's own.
    Code(0x2000, {0x10, 0x80, 0xFF, 'A'}, 1);
    EXPECT_EQ(f.Editeur.Lignes()[0].substr(31), "\u00e0..A\u250C\u250C\u250C\u250C");
}

TEST_F(MemoireDebogueur, WindowShowsTheTopHalfOfMemory) {
    // Start x 65,536 + end passes 2^31 from 8000H on: the range must still
    // begin where the user typed it and end at FFFF.
    TFenetreDonnees f(d);
    m->ZorvMem[0xFFF0] = 0x12;
    m->ZorvMem[0xFFFF] = 0x34;
    f.ChoisitAdresses(0xFFF0, 0xFFFF);
    EXPECT_EQ(f.Editeur.AdrDebut(), 0xFFF0);
    EXPECT_EQ(f.Editeur.AdrFin(), 0xFFFF);
    ASSERT_EQ(f.Editeur.Lignes().size(), 2u);
    EXPECT_EQ(f.Editeur.Lignes()[0].substr(0, 8), "FFF0  12");
    EXPECT_EQ(f.Editeur.Lignes()[1].substr(0, 4), "FFF8");
    EXPECT_EQ(f.Editeur.Lignes()[1].substr(27, 2), "34");
    f.ChoisitAdresses(0x8000, -1);
    EXPECT_EQ(f.Editeur.AdrDebut(), 0x8000);
    EXPECT_EQ(f.Editeur.AdrFin(), 0x81FF);
    EXPECT_EQ(f.Editeur.Lignes()[0].substr(0, 4), "8000");
}

TEST_F(MemoireDebogueur, AnEditRepaintsEveryWindowAndEndsTheOthersEdits) {
    TFenetreDonnees a(d), b(d), c(d);
    int repeintsB = 0, repeintsC = 0, focusB = 0;
    b.SurRepeint = [&] { ++repeintsB; };
    b.SurFocus = [&] { ++focusB; };
    c.SurRepeint = [&] { ++repeintsC; };
    c.MajAuto = false;
    d.FenVar = 999; // a watch window number
    b.Editeur.DoubleClic(60, 8, 8);
    hote.Pompe();
    a.Editeur.DoubleClic(60, 8, 8); // entering edit mode here ends it there
    hote.Pompe();
    EXPECT_TRUE(a.Editeur.EditMode());
    EXPECT_FALSE(b.Editeur.EditMode());
    repeintsB = repeintsC = 0;
    hote.Messages.clear();
    m->SelMem = 0x80; // RAM at 0000
    a.Editeur.Caractere('5');
    hote.Pompe();
    EXPECT_EQ(B(0x0000), 0x50);
    EXPECT_EQ(repeintsB, 1);
    EXPECT_EQ(repeintsC, 0) << "without \"Mise \u00e0 jour automatique\"";
    EXPECT_EQ(focusB, 1);
    size_t majVar = 0;
    for (const TMessage& msg : hote.Messages) majVar += msg.Numero == MsgMajVar;
    EXPECT_EQ(majVar, 3u);
    // Closing: the CPU window forgets the window, which hears nothing more.
    b.Ferme();
    hote.Pompe();
    EXPECT_EQ(d.FenData, (std::vector<TIdFenetre>{a.Id(), c.Id()}));
    d.MajFenDonnees();
    hote.Pompe();
    EXPECT_EQ(repeintsB, 1);
}

TEST_F(MemoireDebogueur, EnableAndBankMessages) {
    TFenetreDonnees f(d);
    f.ChoisitVue(TVueMemoire::Banque1);
    d.ActiveFenetres(false);
    hote.Pompe();
    EXPECT_FALSE(f.Actif());
    EXPECT_FALSE(f.Editeur.Actif());
    EXPECT_FALSE(f.VuesBanquesActives());
    EXPECT_TRUE(f.VueCPUActive());
    d.ActiveFenetres(true);
    hote.Pompe();
    EXPECT_TRUE(f.VuesBanquesActives());
    // A one-bank model: the processor's view is forced, the buttons disabled,
    // in the window and in both dialogs.
    TDialoguesMemoire& dlg = d.DialoguesMemoire();
    dlg.Copie.Source.Vue = TVueMemoire::Banque0;
    dlg.Remplissage.Vues.Vue = TVueMemoire::Banque1;
    m->ChoisitModele(3);
    hote.PosteMessage(TMessage{MsgBanques, d.FenCPU(), 0, 0});
    hote.Pompe();
    hote.Pompe();
    EXPECT_EQ(f.Vue(), TVueMemoire::CPU);
    EXPECT_FALSE(f.VueCPUActive());
    EXPECT_FALSE(f.VuesBanquesActives());
    EXPECT_EQ(dlg.Copie.Source.Vue, TVueMemoire::CPU);
    EXPECT_FALSE(dlg.Copie.Destination.Actif);
    EXPECT_EQ(dlg.Remplissage.Vues.Vue, TVueMemoire::CPU);
    f.ChoisitVue(TVueMemoire::Banque0);
    EXPECT_EQ(f.Vue(), TVueMemoire::CPU);
    // A new window on a one-bank model starts the same way; activation on
    // the two-bank model gives the choice back.
    TFenetreDonnees g(d);
    EXPECT_FALSE(g.VueCPUActive());
    m->ChoisitModele(0);
    g.Active();
    EXPECT_TRUE(g.VuesBanquesActives());
}

TEST_F(MemoireDebogueur, DialogFieldsAndTheirResults) {
    EXPECT_EQ(FiltreToucheHexa('a'), 'A');
    EXPECT_EQ(FiltreToucheHexa('\b'), '\b');
    EXPECT_EQ(FiltreToucheHexa('g'), 0);
    EXPECT_EQ(FiltreToucheHexa(' '), 0);
    EXPECT_EQ(ValeurChampHexa(""), 0);
    EXPECT_EQ(ValeurChampHexa("20FF"), 0x20FF);
    TDialoguesMemoire& dlg = d.DialoguesMemoire();
    EXPECT_EQ(d.FenRemplir, dlg.Remplissage.Id());
    EXPECT_EQ(d.FenCopie, dlg.Copie.Id());
    dlg.Remplissage.EditAdrDeb = "2000";
    dlg.Remplissage.EditAdrFin = "20FF";
    dlg.Remplissage.EditVal = "55";
    EXPECT_EQ(dlg.Remplissage.Valide().Message, "256 octets remplis");
    EXPECT_EQ(B(0x2080), 0x55);
    dlg.Copie.EditAdrDeb = "2000";
    dlg.Copie.EditAdrFin = "20FF";
    dlg.Copie.EditAdrDest = "FF80";
    dlg.Copie.Source.Vue = dlg.Copie.Destination.Vue = TVueMemoire::Banque0;
    EXPECT_EQ(dlg.Copie.Valide().Message, "D\u00e9bordement de la zone de destination");
    dlg.Copie.EditAdrDest = "FE00";
    EXPECT_EQ(dlg.Copie.Valide().Message, "256 octets copi\u00e9s");
    EXPECT_EQ(B(0xFE80), 0x55);
    // The processor's view of the copy writes bank 1.
    dlg.Copie.Destination.Vue = TVueMemoire::CPU;
    dlg.Copie.EditAdrDest = "4000";
    dlg.Copie.Valide();
    EXPECT_EQ(B(0x4000, 1), 0x55);
    EXPECT_EQ(B(0x4000, 0), 0x00);
}

TEST_F(MemoireDebogueur, WindowSearchMovesTheEditor) {
    TFenetreDonnees f(d);
    f.ChoisitAdresses(0x2000, 0x2FFF);
    Code(0x2100, {'B', 'O', 'N', 'J', 'O', 'U', 'R'});
    Code(0x2900, {'B', 'O', 'N'});
    auto r = f.Recherche("\"BON\"");
    EXPECT_EQ(r.Adresse, 0x2100);
    EXPECT_TRUE(f.Editeur.EditMode());
    EXPECT_EQ(f.Editeur.AdrDebut() + f.Editeur.OffsetAdr() + f.Editeur.OffsetCur(), 0x2100);
    EXPECT_EQ(f.Recherche("42 4F 4E").Adresse, 0x2900);
    EXPECT_EQ(f.Recherche("42 4F 4E").Adresse, 0x2100) << "from the start again past the end";
    r = f.Recherche("C3 C3");
    EXPECT_FALSE(r.Adresse);
    EXPECT_EQ(r.Message, "S\u00e9quence absente de 2000 \u00e0 2FFF");
    EXPECT_NE(f.Recherche("zz").Message.find("Recherche : "), std::string::npos);
    // While the processor runs the dump is disabled: no search moves it.
    const int32_t curseur = f.Editeur.AdrDebut() + f.Editeur.OffsetAdr() + f.Editeur.OffsetCur();
    f.Editeur.QuitteEdition();
    d.ActiveFenetres(false);
    hote.Pompe();
    r = f.Recherche("42 4F 4E");
    EXPECT_FALSE(r.Adresse);
    EXPECT_FALSE(f.Editeur.EditMode());
    EXPECT_EQ(f.Editeur.AdrDebut() + f.Editeur.OffsetAdr() + f.Editeur.OffsetCur(), curseur);
}

struct ConsoleMemoire : MemoireDebogueur {
    std::unique_ptr<TConsoleDebogueur> c;
    void SetUp() override {
        MemoireDebogueur::SetUp();
        c = std::make_unique<TConsoleDebogueur>(*poste);
    }
    std::vector<std::string> sortie;
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
};

TEST_F(ConsoleMemoire, DumpWriteFillCopySearch) {
    EXPECT_EQ(Une("ecris 2000 41 42 10 C3"), "ecris : 4 octets \u00e9crits en 2000H (cpu)");
    EXPECT_EQ(Une("mem 2000 2009"), "2008  00 00                    \u250C\u250C");
    ASSERT_EQ(sortie.size(), 2u);
    EXPECT_EQ(sortie[0], "2000  41 42 10 C3 00 00 00 00  AB\u00e0.\u250C\u250C\u250C\u250C");
    Une("mem 2000");
    EXPECT_EQ(sortie.size(), 16u);
    EXPECT_EQ(Une("ecris 2000 77 data"), "ecris : 1 octet \u00e9crit en 2000H (data)");
    EXPECT_EQ(B(0x2000, 1), 0x77);
    EXPECT_EQ(Une("mem 2000 2000 data"), "2000  77                       w");
    EXPECT_EQ(Une("remplit 2000 20FF 55"), "256 octets remplis");
    EXPECT_EQ(Une("remplit 3000 2FFF 55"), "0 octets remplis");
    EXPECT_EQ(Une("copie 2000 20FF FF80 logiciel logiciel", false), "D\u00e9bordement de la zone de destination");
    EXPECT_EQ(Une("copie 2000 20FF FE00 logiciel data"), "256 octets copi\u00e9s");
    EXPECT_EQ(B(0xFE00, 1), 0x55);
    EXPECT_EQ(Une("copie 2000 20FF FE00"), "256 octets copi\u00e9s"); // bank 1 to bank 1
    Une("ecris 2100 42 4F 4E 4A 4F 55 52 20 42 4F 4E");
    EXPECT_EQ(Une("cherche 2000 21FF \"BON\""), "2108H");
    EXPECT_EQ(sortie, (std::vector<std::string>{"2100H", "2108H"}));
    EXPECT_EQ(Une("cherche 2000 21FF \"JOUR BON\""), "2103H");
    EXPECT_EQ(Une("cherche 2000 21FF 4A 4F logiciel"), "2103H");
    EXPECT_EQ(Une("cherche 2000 21FF 4A 4F data"), "cherche : s\u00e9quence absente de 2000H \u00e0 21FFH");
    // Malformed lines are named.
    EXPECT_EQ(Une("mem 2000 1000", false), "mem : param\u00e8tres incorrects (mem DEBUT [FIN] [VUE])");
    EXPECT_EQ(Une("ecris 2000 100", false).rfind("ecris : param\u00e8tres incorrects", 0), 0u);
    EXPECT_EQ(Une("ecris FFFF 01 02", false), "ecris : les octets d\u00e9passeraient FFFFH");
    EXPECT_EQ(Une("copie 2000 20FF 3000 cpu", false).rfind("copie : param\u00e8tres incorrects", 0), 0u);
    EXPECT_EQ(Une("cherche 2000 21FF \"BO", false), "cherche : texte entre guillemets attendu : \"texte\"");
}

TEST_F(ConsoleMemoire, WritesRefreshTheMemoryWindows) {
    TFenetreDonnees f(d);
    int repeints = 0;
    f.SurRepeint = [&] { ++repeints; };
    Une("ecris 2000 01");
    EXPECT_EQ(repeints, 1);
    Une("remplit 2000 2001 00");
    EXPECT_EQ(repeints, 2);
}

} // namespace

TEST_F(ConsoleMemoire, MemoryWritesRefreshTheStackView) {
    // The stack view reads the same memory as the memory windows: a byte
    // typed in a dump, a fill or a copy shows there at once, not only after
    // the next step.
    TFenetrePile pile(d);
    m->RegSP = 0x7FFE;
    Code(0x7FFE, {0x34, 0x12});
    d.MajFenPile();
    hote.Pompe();
    ASSERT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE 34 12 1234");
    TFenetreDonnees f(d);
    f.ChoisitAdresses(0x7FF8, 0x7FFF);
    f.Editeur.DoubleClic(60, 8, 8);          // edit mode on 7FF8…
    f.Editeur.Montre(0x7FFE);                // …then the cursor on 7FFE
    f.Editeur.Caractere('5');
    f.Editeur.Caractere('6');
    hote.Pompe();
    EXPECT_EQ(B(0x7FFE), 0x56);
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE 56 12 1256");
    Une("ecris 7FFF 78");
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE 56 78 7856");
    Une("remplit 7FFE 7FFF 00");
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE 00 00 0000");
    Code(0x3000, {0xCD, 0xAB});
    Une("copie 3000 3001 7FFE logiciel logiciel");
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE CD AB ABCD");
    Code(0x7FFE, {0x11, 0x22});
    f.ApresDialogue(); // the copy and fill dialogs' end
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFE 11 22 2211");
}
