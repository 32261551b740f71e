// Watches, the stack view, the converter and the code windows, on the
// virtual clock: contents from known byte patterns, placeholders near FFFF,
// captions fixed at creation, modify in place, the notifications, and the
// change colouring after a step.
#include <gtest/gtest.h>

#include <cstring>

#include "MachineEssai.h"
#include "debugger/Conversions.h"
#include "debugger/Debogueur.h"
#include "debugger/FenetreCode.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/Pile.h"
#include "debugger/Variables.h"

namespace {

struct Variables : TMachineEssai {
    TDebogueur& d = poste->Debogueur();
    TVariables& v = d.Variables;
    // Adds a watch and recomputes; the content of that row.
    std::string Contenu(uint16_t adr, uint8_t type, uint8_t banque = 0) {
        const int l = v.AjoutVariable(TDescripteurVar{adr, banque, type}.Valeur(), d.Symboles);
        v.MajVariables(*m);
        return v.Lignes()[size_t(l)].Contenu;
    }
};

TEST(DescripteurVar, PackingAndFields) {
    EXPECT_EQ((TDescripteurVar{0x2000, 1, tvFlottant}.Valeur()), 0x2000u + 0x10000u + 5u * 0x100000u);
    EXPECT_EQ(TDescripteurVar::De(0x512345), (TDescripteurVar{0x2345, 1, 5}));
    // Any bank bits other than 0 mean the data bank: memory is never read
    // outside the two banks.
    EXPECT_EQ(TDescripteurVar::De(0x0F1234).Banque, 1);
    EXPECT_EQ(TDescripteurVar::De(0xFF00F000).Type, 0); // bits 24..31 ignored
    const TChampsVariable c = ChampsVariable(0x31ABC);
    EXPECT_EQ(c.Adresse, "1ABC");
    EXPECT_TRUE(c.Donnees);
    EXPECT_EQ(c.Type, 0);
    EXPECT_EQ(ChampsVariable(0x200ABC).Type, 2);
    EXPECT_STREQ(NomTypeVariable(1), "Caract\u00e8re ASCII");
    EXPECT_STREQ(NomTypeVariable(9), "Type inconnu");
}

TEST_F(Variables, ContentsOfTheSixTypes) {
    Code(0x2000, {0x34, 0x12});
    EXPECT_EQ(Contenu(0x2000, tvPointeur), "1234H");
    EXPECT_EQ(Contenu(0x2000, tvOctet), "34H");
    Code(0x2000, {0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(Contenu(0x2000, tvValeur32), "01 02 03 04 ");
    Code(0x3000, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    EXPECT_EQ(Contenu(0x3000, tvFlottant), "1.00000000000000");
    EXPECT_EQ(Contenu(0x3000, tvValeur64), "00 00 00 00 00 00 F0 3F ");
    Code(0x3008, {0x18, 0x2D, 0x44, 0x54, 0xFB, 0x21, 0x09, 0xC0}); // -π
    EXPECT_EQ(Contenu(0x3008, tvFlottant), "-3.14159265358979");
    Code(0x3010, {0, 0, 0, 0, 0, 0, 0xF0, 0x7F});
    EXPECT_EQ(Contenu(0x3010, tvFlottant), "Infini");
    Code(0x3010, {0, 0, 0, 0, 0, 0, 0xF8, 0x7F});
    EXPECT_EQ(Contenu(0x3010, tvFlottant), "NaN");
    Code(0x3020, {'A', 0x18, 0x0A});
    EXPECT_EQ(Contenu(0x3020, tvCaractere), "'A'");
    EXPECT_EQ(Contenu(0x3021, tvCaractere), "'\u00e9'");      // machine's accented letter
    EXPECT_EQ(Contenu(0x3022, tvCaractere), "'\u240A'");      // a control code shows its picture
    EXPECT_EQ(Contenu(0x3000, 7), "????????????");
    // The data bank, and memory as the processor sees it (0xFF above the RAM).
    Code(0x4000, {0xAB}, 1);
    EXPECT_EQ(Contenu(0x4000, tvOctet, 1), "ABH");
    EXPECT_EQ(Contenu(0x4000, tvOctet, 0), "00H");
    // Bank bits beyond 1 (a descriptor from elsewhere) read the data bank,
    // never past the 128 KB.
    v.AjoutVariable(0xF4000, d.Symboles);
    v.MajVariables(*m);
    EXPECT_EQ(v.Lignes().back().Contenu, "ABH");
    EXPECT_EQ(v.Lignes().back().Banque, "Banque data");
    m->ChoisitModele(8);
    EXPECT_EQ(Contenu(0xF000, tvOctet), "FFH");
}

TEST_F(Variables, PlaceholdersNearTheTopOfMemory) {
    Code(0xFFF8, {0x01, 0x02, 0x03, 0x04, 0xA1, 0xB2, 0xC3, 0xD4});
    EXPECT_EQ(Contenu(0xFFF9, tvFlottant), "Pas un nombre");
    EXPECT_EQ(Contenu(0xFFF9, tvValeur64), "XX XX XX XX XX XX XX XX");
    EXPECT_EQ(Contenu(0xFFF8, tvValeur64), "01 02 03 04 A1 B2 C3 D4 "); // the last 8 bytes are real
    EXPECT_EQ(Contenu(0xFFFC, tvValeur32), "A1 B2 C3 D4 ");
    EXPECT_EQ(Contenu(0xFFFD, tvValeur32), "XX XX XX XX");
    EXPECT_EQ(Contenu(0xFFFF, tvPointeur), "XXXXH");
    EXPECT_EQ(Contenu(0xFFFE, tvPointeur), "D4C3H");
}

TEST_F(Variables, CaptionsAreFixedAndModifyKeepsTheRow) {
    d.Symboles.push_back({"COMPTEUR", 0x2000});
    v.AjoutVariable(0x2000, d.Symboles);
    v.AjoutVariable(0x3000, d.Symboles);
    v.AjoutVariable(0x4000, d.Symboles);
    EXPECT_EQ(v.Lignes()[0].Legende, "COMPTEUR (2000H)");
    // A symbol defined afterwards does not rename the watch.
    d.Symboles.push_back({"TAMPON", 0x3000});
    v.MajVariables(*m);
    EXPECT_EQ(v.Lignes()[1].Legende, "3000H");
    // Modify the middle row: same position, new caption, bank, type; the
    // content is empty until the next recompute.
    EXPECT_FALSE(v.Modifie().has_value()); // no row selected
    v.Choisit(1);
    const auto champs = v.Modifie();
    ASSERT_TRUE(champs);
    EXPECT_EQ(champs->Adresse, "3000");
    EXPECT_TRUE(v.Modif());
    EXPECT_EQ(v.AjoutVariable(TDescripteurVar{0x3000, 1, tvValeur32}.Valeur(), d.Symboles), 1);
    ASSERT_EQ(v.Lignes().size(), 3u);
    EXPECT_EQ(v.Lignes()[1].Legende, "TAMPON (3000H)");
    EXPECT_EQ(v.Lignes()[1].Banque, "Banque data");
    EXPECT_EQ(v.Lignes()[1].Type, "Valeur 32 bits");
    EXPECT_EQ(v.Lignes()[1].Contenu, "");
    EXPECT_FALSE(v.Modif());
    // FModif with the selection gone appends rather than writing nowhere.
    v.Modifie();
    v.Choisit(-1);
    EXPECT_EQ(v.AjoutVariable(0x5000, d.Symboles), 3);
    v.Choisit(0);
    v.SupprimeSelection();
    EXPECT_EQ(v.Lignes().front().Legende, "TAMPON (3000H)");
    EXPECT_FALSE(v.LigneChoisie());
    v.SupprimeTout();
    EXPECT_TRUE(v.Lignes().empty());
}

TEST_F(Variables, NotificationsArePostedAndAChangeShowsAfterAStep) {
    TFenetreVariables fen(d);
    int majs = 0;
    fen.SurMaj = [&] { ++majs; };
    EXPECT_EQ(d.FenVar, fen.Fenetre());
    // MVI A,5 / STA 3000H / NOP
    Code(0x2000, {0x3E, 0x05, 0x32, 0x00, 0x30, 0x00});
    Code(0x3000, {0x01});
    m->RegPC = 0x2000;
    m->ChangeEtatCPU(CPUStop);
    fen.PosteDescripteur(0x3000);
    fen.PosteDescripteur(0x3001);
    EXPECT_TRUE(v.Lignes().empty()); // posted, not called
    hote.Pompe();
    ASSERT_EQ(v.Lignes().size(), 2u);
    EXPECT_EQ(v.Lignes()[0].Contenu, ""); // the recompute is still queued
    hote.Pompe();
    EXPECT_EQ(v.Lignes()[0].Contenu, "01H");
    EXPECT_FALSE(v.Lignes()[0].Change());
    d.Pas(); // MVI: nothing watched changes
    hote.Pompe();
    EXPECT_FALSE(v.Lignes()[0].Change());
    d.Pas(); // STA 3000H
    hote.Pompe();
    EXPECT_EQ(v.Lignes()[0].Contenu, "05H");
    EXPECT_TRUE(v.Lignes()[0].Change());
    EXPECT_FALSE(v.Lignes()[1].Change());
    d.MajFenVar(); // another refresh without moving keeps the colour
    hote.Pompe();
    EXPECT_TRUE(v.Lignes()[0].Change());
    d.Pas(); // NOP
    hote.Pompe();
    EXPECT_FALSE(v.Lignes()[0].Change());
    EXPECT_GE(majs, 6);
}

TEST_F(Variables, StackRowsFromTheStackPointer) {
    TVuePile& p = d.Pile;
    Code(0xFFFE, {0x34, 0x12});
    m->RegSP = 0xFFFE;
    p.MajPile(*m);
    ASSERT_EQ(p.Lignes().size(), 1u);
    EXPECT_EQ(p.Lignes()[0].Texte(), "FFFE 34 12 1234");
    m->RegSP = 0xFFFF;
    p.MajPile(*m);
    EXPECT_TRUE(p.Lignes().empty());
    m->RegSP = 0x8000;
    p.MajPile(*m);
    ASSERT_EQ(p.Lignes().size(), 255u);
    EXPECT_EQ(p.Lignes().back().Colonne(0), "81FC");
    // Bank 0 as the processor sees it, whichever bank the program runs in.
    m->RegSP = 0x1FFE;
    m->CodeJeuInst = 0xD0;
    Code(0x1FFE, {0x11, 0x22}, 1);
    p.MajPile(*m);
    EXPECT_EQ(p.Lignes()[0].Mot(), uint16_t(m->ReadMem(0x1FFF, 0) << 8 | m->ReadMem(0x1FFE, 0)));
}

// Rebuilt while its window was hidden, from a stack somewhere else: the
// window opens with no row in red, then colours what the next step changes.
TEST_F(Variables, StackWindowOpensWithNoRowInRed) {
    TFenetrePile fen(d);
    int vues = 0;
    fen.SurMaj = [&] { ++vues; };
    // LXI SP,7FFEH / LXI B,1234H / PUSH B
    Code(0x2000, {0x31, 0xFE, 0x7F, 0x01, 0x34, 0x12, 0xC5});
    m->RegPC = 0x2000;
    m->RegSP = 0xCB4F; // as at power-on
    m->ChangeEtatCPU(CPUStop);
    d.MajFenPile();
    hote.Pompe();
    d.Pas(); // LXI SP
    hote.Pompe();
    ASSERT_TRUE(d.Pile.Lignes()[0].Change); // every row is new to the view
    fen.Ouvre();
    EXPECT_EQ(vues, 3);
    ASSERT_EQ(d.Pile.Lignes()[0].Adresse, 0x7FFE);
    for (const TLignePile& l : d.Pile.Lignes()) ASSERT_FALSE(l.Change) << l.Texte();
    d.Pas(); // LXI B
    hote.Pompe();
    d.Pas(); // PUSH B
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFC 34 12 1234");
    EXPECT_TRUE(d.Pile.Lignes()[0].Change);
    EXPECT_FALSE(d.Pile.Lignes()[1].Change);
}

TEST_F(Variables, StackViewColoursWhatAStepPushedOrChanged) {
    TFenetrePile fen(d);
    // LXI B,1234H / PUSH B / INX SP / INX SP / NOP
    Code(0x2000, {0x01, 0x34, 0x12, 0xC5, 0x33, 0x33, 0x00});
    Code(0x7FFC, {0xAA, 0xBB, 0xCC, 0xDD});
    m->RegPC = 0x2000;
    m->RegSP = 0x7FFE;
    m->ChangeEtatCPU(CPUStop);
    d.MajFenPile();
    hote.Pompe();
    ASSERT_EQ(d.Pile.Lignes().size(), 255u);
    d.Pas(); // LXI
    hote.Pompe();
    EXPECT_FALSE(d.Pile.Lignes()[0].Change);
    d.Pas(); // PUSH B: a new row on top
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Texte(), "7FFC 34 12 1234");
    EXPECT_TRUE(d.Pile.Lignes()[0].Change);
    EXPECT_FALSE(d.Pile.Lignes()[1].Change);
    d.Pas();
    d.Pas(); // SP back up: no row changed
    hote.Pompe();
    EXPECT_EQ(d.Pile.Lignes()[0].Adresse, 0x7FFE);
    EXPECT_FALSE(d.Pile.Lignes()[0].Change);
}

TEST(Conversions, DecimalToBytes) {
    EXPECT_EQ(FlottantVersHexa("1"), "3F F0 00 00 00 00 00 00 ");
    EXPECT_EQ(FlottantVersHexa("-2.5"), "C0 04 00 00 00 00 00 00 ");
    EXPECT_EQ(FlottantVersHexa("0.1"), "3F B9 99 99 99 99 99 9A ");
    EXPECT_EQ(FlottantVersHexa("1E-5"), FlottantVersHexa("0.00001"));
    // Correctly rounded, not truncated: the nearest double of a long text.
    EXPECT_EQ(FlottantVersHexa("3.141592653589793238462643383279"), "40 09 21 FB 54 44 2D 18 ");
    EXPECT_EQ(FlottantVersHexa("1E999"), "7F F0 00 00 00 00 00 00 ");
    EXPECT_EQ(FlottantVersHexa("-1E-999"), "80 00 00 00 00 00 00 00 ");
    // The readable beginning, 0 when there is none.
    EXPECT_EQ(FlottantVersHexa("2.5x"), FlottantVersHexa("2.5"));
    EXPECT_EQ(FlottantVersHexa("1E"), FlottantVersHexa("1"));
    EXPECT_EQ(FlottantVersHexa("abc"), "00 00 00 00 00 00 00 00 ");
    double v = 0;
    EXPECT_EQ(LitFlottant("12.5E+2;", v), 7u);
    EXPECT_EQ(v, 1250.0);
    EXPECT_EQ(LitFlottant(".", v), 0u);
    EXPECT_FALSE(FlottantLisible(""));
}

TEST(Conversions, BytesToDecimal) {
    EXPECT_EQ(HexaVersFlottant("3F F0"), "1.00000000000000");
    EXPECT_EQ(HexaVersFlottant("40 09 21 FB 54 44 2D 18"), "3.14159265358979");
    EXPECT_EQ(HexaVersFlottant(""), "0.00000000000000");
    // A group keeps its last two digits.
    EXPECT_EQ(HexVersOctets("13F F0").Octets, HexVersOctets("3F F0").Octets);
    const TOctetsDouble o = HexVersOctets("  C0 4 ");
    EXPECT_TRUE(o.Valide);
    EXPECT_EQ(DoubleDeOctets(o.Octets), -2.5);
    EXPECT_FALSE(HexVersOctets("1 2 3 4 5 6 7 8 9").Valide);
    EXPECT_TRUE(HexVersOctets("1 2 3 4 5 6 7 8 ").Valide);
    EXPECT_FALSE(HexVersOctets("3F G0").Valide);
    for (double x : {0.0, -0.0, 1e-310, 6.02214076e23, -123.456})
        EXPECT_EQ(DoubleDeOctets(OctetsDeDouble(x)), x);
}

// The 8 bytes written without blanks read as they are; a text that is not
// wholly a number, or empty, is refused with a reason instead of giving 0.
TEST(Conversions, UnspacedBytesAndRefusedTexts) {
    EXPECT_EQ(HexVersOctets("40BB000000000000").Octets, HexVersOctets("40 BB 00 00 00 00 00 00").Octets);
    EXPECT_TRUE(HexVersOctets(" 40bb000000000000 ").Valide);
    EXPECT_EQ(ConvertitVersFlottant("40BB000000000000").Texte, "6912.00000000000000");
    EXPECT_EQ(ConvertitVersFlottant("40BB000000000000").Erreur, "");
    EXPECT_EQ(ConvertitVersFlottant("C0 04").Texte, "-2.50000000000000");
    const TResultatConversion hexa = ConvertitVersFlottant("40BB00000000000G");
    EXPECT_EQ(hexa.Texte, "");
    EXPECT_EQ(hexa.Erreur, "Valeur hexad\u00e9cimale illisible : \u00ab 40BB00000000000G \u00bb (8 octets "
                           "s\u00e9par\u00e9s par des blancs, ou 16 chiffres \u00e0 la suite)");
    EXPECT_NE(ConvertitVersFlottant("1 2 3 4 5 6 7 8 9").Erreur, "");
    EXPECT_EQ(ConvertitVersFlottant("   ").Erreur, "Aucune valeur hexad\u00e9cimale \u00e0 convertir");
    EXPECT_EQ(ConvertitVersHexa(" -2.5 ").Texte, "C0 04 00 00 00 00 00 00 ");
    EXPECT_EQ(ConvertitVersHexa("abc").Erreur, "Valeur flottante illisible : \u00ab abc \u00bb (par exemple -2.5E3)");
    EXPECT_NE(ConvertitVersHexa("2.5x").Erreur, "");
    EXPECT_NE(ConvertitVersHexa("1E").Erreur, "");
    EXPECT_EQ(ConvertitVersHexa("").Erreur, "Aucune valeur flottante \u00e0 convertir");
}

TEST(Conversions, KeyFilters) {
    EXPECT_EQ(FiltreToucheOctetsHexa('a'), 'A');
    EXPECT_EQ(FiltreToucheOctetsHexa('G'), 0);
    EXPECT_EQ(FiltreToucheOctetsHexa(' '), ' ');
    EXPECT_EQ(FiltreToucheFlottant(','), '.');
    EXPECT_EQ(FiltreToucheFlottant('e'), 'E');
    EXPECT_EQ(FiltreToucheFlottant('+'), 0);
    EXPECT_EQ(FiltreToucheFlottant(' '), 0);
    // 1, E, - : refused at the minus (1E- does not read, nothing is appended).
    EXPECT_TRUE(SaisieFlottantValide("", 0, 0, '1'));
    EXPECT_TRUE(SaisieFlottantValide("1", 1, 0, 'E'));
    EXPECT_FALSE(SaisieFlottantValide("1E", 2, 0, '-'));
    // 1, E, 5 then a minus between E and 5.
    EXPECT_TRUE(SaisieFlottantValide("1E", 2, 0, '5'));
    EXPECT_TRUE(SaisieFlottantValide("1E5", 2, 0, '-'));
    EXPECT_TRUE(SaisieFlottantValide("", 0, 0, '-'));
    EXPECT_FALSE(SaisieFlottantValide("", 0, 0, '.'));
    EXPECT_FALSE(SaisieFlottantValide("1.5", 3, 0, '.'));
    EXPECT_TRUE(SaisieFlottantValide("0.0", 0, 3, '7')); // the selection replaced
    EXPECT_FALSE(SaisieFlottantValide(std::string(30, '1'), 30, 0, '1'));
    // A ninth group cannot be typed; a blank after the eighth can.
    const std::string huit = "11 22 33 44 55 66 77 88";
    EXPECT_TRUE(SaisieHexaValide(huit, int(huit.size()), 0, ' '));
    EXPECT_FALSE(SaisieHexaValide(huit + " ", int(huit.size()) + 1, 0, '9'));
    EXPECT_TRUE(SaisieHexaValide(huit, int(huit.size()), 0, '9')); // a longer last group
    EXPECT_TRUE(SaisieHexaValide(huit, 0, 3, 'A'));
}

TEST_F(Variables, CodeWindowBanksColoursAndNotifications) {
    Code(0x2000, {0x00, 0xC3, 0x00, 0x20});
    Code(0x2000, {0x3E, 0x42}, 1);
    m->RegPC = 0x2000;
    m->TblPtArret[0x2001] = 1;
    m->ChoisitModele(0);
    m->ChangeEtatCPU(CPUStop);
    TFenetreCode fen(d);
    ASSERT_EQ(d.FenCode, std::vector<TIdFenetre>{fen.Fenetre()});
    fen.ChangeAdresses(0x2000, 0x2003);
    ASSERT_EQ(fen.Lignes().size(), 2u);
    EXPECT_EQ(fen.Lignes()[0].Texte.rfind("  \u25BA", 0), 0u);        // the PC marker
    EXPECT_EQ(fen.Lignes()[1].Texte.rfind("\u25A0", 0), 0u);          // a breakpoint
    EXPECT_EQ(*fen.Couleur(), CouleurBanque0);
    fen.Choisit(TChoixBanqueCode::Data);
    EXPECT_NE(fen.Lignes()[0].Texte.find("MVI  A,42H"), std::string::npos);
    EXPECT_EQ(*fen.Couleur(), CouleurBanque1);
    // Another model: 0x420 with 0 disables the choices and selects the CPU view.
    hote.PosteMessage(TMessage{MsgBanques, fen.Fenetre(), 0, 0});
    hote.Pompe();
    EXPECT_FALSE(fen.ChoixUtilisables());
    EXPECT_EQ(fen.Choix(), TChoixBanqueCode::CPU);
    hote.PosteMessage(TMessage{MsgBanques, fen.Fenetre(), 1, 0});
    hote.Pompe();
    EXPECT_TRUE(fen.ChoixUtilisables());
    EXPECT_EQ(fen.Choix(), TChoixBanqueCode::CPU);
    // A one-bank model: activation leaves the choices unusable.
    m->ChoisitModele(5);
    fen.Activation();
    EXPECT_FALSE(fen.ChoixUtilisables());
    // The CPU window's refresh lists again: the breakpoint is gone.
    m->TblPtArret[0x2001] = 0;
    d.MajFenCode();
    hote.Pompe();
    EXPECT_EQ(fen.Lignes()[1].Texte[0], ' ');
    // Disabled while the processor runs; no listing without a range.
    d.ActiveFenetres(false);
    hote.Pompe();
    EXPECT_FALSE(fen.Actif());
    EXPECT_FALSE(fen.Couleur());
    fen.ChangeAdresses(0x2003, 0x2000);
    EXPECT_TRUE(fen.Lignes().empty());
    fen.ChangeAdresses(0x2000, -1);
    EXPECT_TRUE(fen.Lignes().empty());
    // What is typed counts at the next listing, even before Enter.
    fen.Saisie().SetTexte("2001 2001");
    d.MajFenCode();
    hote.Pompe();
    ASSERT_EQ(fen.Lignes().size(), 1u);
    EXPECT_EQ(fen.Lignes()[0].Adresse, 0x2001);
    // Closing: 0x408 to the CPU window, which drops it; no more refreshes.
    fen.Ferme();
    hote.Pompe();
    EXPECT_TRUE(d.FenCode.empty());
    const uint32_t g = fen.Generation();
    hote.PosteMessage(TMessage{MsgMajCode, fen.Fenetre(), 0, 0});
    hote.Pompe();
    EXPECT_EQ(fen.Generation(), g);
}

} // namespace
