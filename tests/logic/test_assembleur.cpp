#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/Machine.h"
#include "core/Texte.h"
#include "debugger/Assembleur.h"

namespace {

std::vector<uint8_t> Octets(const std::string& source) {
    TResultatAsm r = Assemble(source);
    EXPECT_TRUE(r.Ok()) << r.TexteErreurs();
    return r.Octets;
}

TEST(Assembleur, NumbersCharactersAndOperators) {
    EXPECT_EQ(Octets(" DB 10, 0FFH, 1010B, 17O, 17Q, 12D, 'a', ''''\n"),
              (std::vector<uint8_t>{10, 0xFF, 10, 15, 15, 12, 'a', '\''}));
    EXPECT_EQ(Octets(" DB 7 MOD 4, 1 SHL 7, 80H SHR 3, NOT 0FEH AND 0FFH, 5 OR 2, 6 XOR 3\n"),
              (std::vector<uint8_t>{3, 0x80, 0x10, 1, 7, 5}));
    EXPECT_EQ(Octets(" DB 2+3*4, (2+3)*4, 20/6, -1, HIGH 1234H, LOW 1234H, low(0ABCDh)\n"),
              (std::vector<uint8_t>{14, 20, 3, 0xFF, 0x12, 0x34, 0xCD}));
    EXPECT_EQ(Octets(" dw 'AB', -2, 0FFFFH\n"),
              (std::vector<uint8_t>{'B', 'A', 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(Assembleur, LabelsDirectivesAndDollar) {
    TResultatAsm r = Assemble("TAILLE  EQU 3\n"
                              "        ORG 2000H\n"
                              "debut:  jmp suite      ; forward reference\n"
                              "zone    ds TAILLE\n"
                              "suite   lxi h,$\n"
                              "  texte: db 'Oui;non', 0\n"
                              "compte  set 1\n"
                              "compte  set compte+1\n"
                              "        db compte\n"
                              "        end debut\n"
                              "        db 99        ; after END: ignored\n");
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    EXPECT_EQ(r.Origine, 0x2000);
    EXPECT_EQ(r.Adresse("DEBUT"), 0x2000);
    EXPECT_EQ(r.Adresse("zone"), 0x2003);
    EXPECT_EQ(r.Adresse("Suite"), 0x2006);
    EXPECT_EQ(r.Adresse("TEXTE"), 0x2009);
    ASSERT_TRUE(r.Entree.has_value());
    EXPECT_EQ(*r.Entree, 0x2000);
    const std::vector<uint8_t> attendu = {0xC3, 0x06, 0x20, 0, 0, 0, 0x21, 0x06, 0x20,
                                          'O', 'u', 'i', ';', 'n', 'o', 'n', 0, 2};
    EXPECT_EQ(r.Octets, attendu);
    EXPECT_FALSE(r.Ecrit[3]); // DS reserves without writing
    EXPECT_TRUE(r.Ecrit[6]);
    TListeSymboles e = r.Etiquettes(); // labels only, by address
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].Nom, "DEBUT");
    EXPECT_EQ(e[3].Nom, "TEXTE");
}

TEST(Assembleur, OrgBlocksAndLoadingIntoRam) {
    TResultatAsm r = Assemble(" org 3002h\n db 1\n org 3000h\n db 2\n");
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    EXPECT_EQ(r.Origine, 0x3000);
    EXPECT_EQ(r.Octets, (std::vector<uint8_t>{2, 0, 1}));
    auto m = std::make_unique<TMachine>();
    m->WriteBank(0x3001, 0, 0x77);
    ChargeEnRam(*m, r);
    EXPECT_EQ(m->ReadBank(0x3000, 0), 2);
    EXPECT_EQ(m->ReadBank(0x3001, 0), 0x77); // the gap is left alone
    EXPECT_EQ(m->ReadBank(0x3002, 0), 1);
    EXPECT_EQ(m->ReadBank(0x3002, 1), 0);
}

// Each fault names its file and line.
TEST(Assembleur, ErrorsCarryTheirLine) {
    const std::pair<const char*, const char*> cas[] = {
        {" nop\n jmp ailleurs\n", "t.asm:2: symbole non défini : AILLEURS"},
        {"ici: nop\n nop\nici: nop\n", "t.asm:3: symbole déjà défini : ICI"},
        {"\n\n\n mvi a,256\n", "t.asm:4: valeur hors limites pour un octet : 256"},
        {" nop\n mvx a,1\n", "t.asm:2: mnémonique inconnu : MVX"},
        {" mov a\n", "t.asm:1: MOV attend 2 opérandes, trouvé 1"},
        {" mov a,x\n", "t.asm:1: registre incorrect pour MOV : a,x"},
        {" rst 8\n", "t.asm:1: numéro de RST hors limites (0 à 7) : 8"},
        {" db 1/0\n", "t.asm:1: division par zéro"},
        {" lxi h,10000H\n", "t.asm:1: valeur hors limites pour un mot : 65536"},
        {" org fin\n nop\nfin: nop\n", "t.asm:1: valeur de ORG non définie à cet endroit : FIN"},
        {"mov: nop\n", "t.asm:1: nom réservé : MOV"},
        {" org 0FFFFH\n lxi h,0\n", "t.asm:2: le code dépasse l'adresse FFFFH"},
        {" org 10H\n nop\n org 10H\n nop\n", "t.asm:4: l'adresse 0010H est déjà assemblée"},
        {" db 'abc\n", "t.asm:1: constante caractère non terminée"},
        {" include manque.asm\n", "t.asm:1: fichier introuvable : manque.asm"},
    };
    for (auto [source, message] : cas) {
        TResultatAsm r = Assemble(source, "t.asm");
        ASSERT_EQ(r.Erreurs.size(), 1u) << source << r.TexteErreurs();
        EXPECT_EQ(r.Erreurs[0].Texte(), message) << source;
    }
}

TEST(Assembleur, SeveralErrorsInSourceOrderWithoutCascade) {
    TResultatAsm r = Assemble(" mvi a,x1\nl1: nop\n mvi b,x2\nl2: jmp l1\n", "p.asm");
    ASSERT_EQ(r.Erreurs.size(), 2u) << r.TexteErreurs();
    EXPECT_EQ(r.Erreurs[0].Ligne, 1);
    EXPECT_EQ(r.Erreurs[1].Ligne, 3);
    EXPECT_EQ(r.Adresse("L2"), 5); // a faulty line still takes its room
}

class LecteurMemoire : public ILecteurSource {
public:
    std::map<std::string, std::string> Fichiers;
    std::optional<std::string> Lit(const std::string& chemin) override {
        auto it = Fichiers.find(chemin);
        if (it == Fichiers.end()) return std::nullopt;
        return it->second;
    }
};

TEST(Assembleur, IncludeRelativeToTheIncludingFile) {
    LecteurMemoire l;
    l.Fichiers["src/defs.inc"] = "PORT EQU 0C2H\n include 'sous/plus.inc'\n";
    l.Fichiers["src/sous/plus.inc"] = "VAL EQU 7\n bad\n";
    TResultatAsm r = Assemble(" include defs.inc\n out PORT\n mvi a,VAL\n", "src/main.asm", l);
    ASSERT_EQ(r.Erreurs.size(), 1u);
    EXPECT_EQ(r.Erreurs[0].Texte(), "src/sous/plus.inc:2: mnémonique inconnu : BAD");
    l.Fichiers["src/sous/plus.inc"] = "VAL EQU 7\n";
    r = Assemble(" include defs.inc\n out PORT\n mvi a,VAL\n", "src/main.asm", l);
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    EXPECT_EQ(r.Octets, (std::vector<uint8_t>{0xD3, 0xC2, 0x3E, 7}));
    l.Fichiers["src/boucle.inc"] = " include boucle.inc\n";
    r = Assemble(" include boucle.inc\n", "src/main.asm", l);
    ASSERT_FALSE(r.Ok());
    EXPECT_NE(r.Erreurs[0].Message.find("INCLUDE trop imbriqués"), std::string::npos);
}

TEST(Assembleur, IncludeFanOutIsBoundedInTotal) {
    // Three INCLUDEs of a file that includes itself three times: 3^16 copies
    // within the depth limit, stopped by the bound on the whole text.
    LecteurMemoire l;
    l.Fichiers["src/f.inc"] = " nop\n include f.inc\n include f.inc\n include f.inc\n";
    const TResultatAsm r = Assemble(" include f.inc\n include f.inc\n include f.inc\n", "src/main.asm", l);
    ASSERT_FALSE(r.Ok());
    bool borne = false;
    for (const TErreurAsm& e : r.Erreurs) borne = borne || e.Message.find("source trop long") != std::string::npos;
    EXPECT_EQ(r.Erreurs.size(), 1u); // one error, not one per copy
}

TEST(Assembleur, IncludeTotalIsBoundedWithinTheDepthLimit) {
    // Ten INCLUDEs per level over five levels: 10^4 copies of 100 lines.
    LecteurMemoire l;
    for (int n = 0; n < 5; ++n) {
        std::string t;
        for (int k = 0; k < 10; ++k) t += " include f" + std::to_string(n + 1) + ".inc\n";
        l.Fichiers["src/f" + std::to_string(n) + ".inc"] = t;
    }
    std::string feuille;
    for (int k = 0; k < 101; ++k) feuille += "; commentaire\n";
    l.Fichiers["src/f5.inc"] = feuille;
    const TResultatAsm r = Assemble(" include f0.inc\n", "src/main.asm", l);
    ASSERT_EQ(r.Erreurs.size(), 1u);
    EXPECT_NE(r.Erreurs[0].Message.find("plus de 1 000 000 lignes"), std::string::npos) << r.Erreurs[0].Texte();
}

TEST(Assembleur, OverflowAndStrayBytesAreErrorsShownReadably) {
    TResultatAsm r = Assemble(" DW 10000H*10000H\n", "p.asm");
    ASSERT_EQ(r.Erreurs.size(), 1u);
    EXPECT_NE(r.Erreurs[0].Message.find("dépassement"), std::string::npos) << r.TexteErreurs();
    r = Assemble(" DW 99999999999\n", "p.asm");
    EXPECT_FALSE(r.Ok());
    r = Assemble(" DW (8000H*10000H) SHR 16\n DW 0FFFFFFFFH AND 0FFH\n", "p.asm"); // still 32 bits
    EXPECT_TRUE(r.Ok()) << r.TexteErreurs();
    r = Assemble("\xE9\x01 nop\n", "p.asm");
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.Erreurs[0].Texte(), "p.asm:1: caractère inattendu : \\xE9");
    EXPECT_EQ(TexteVisible("été\x07\xC3("), "été\\x07\\xC3(");
}

TEST(Assembleur, ListingShowsAddressesBytesAndValues) {
    TResultatAsm r = Assemble("N EQU 41H\n org 100h\n db 1,2,3,4,5\n mvi a,N\n");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.Listing,
              "= 0041                    1  N EQU 41H\n"
              "0100                      2   org 100h\n"
              "0100    01 02 03 04       3   db 1,2,3,4,5\n"
              "0104    05\n"
              "0105    3E 41             4   mvi a,N\n");
}

} // namespace
