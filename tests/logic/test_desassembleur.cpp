#include <gtest/gtest.h>

#include <memory>

#include "core/Machine.h"
#include "debugger/Assembleur.h"
#include "debugger/Desassembleur.h"
#include "debugger/JeuInstructions.h"

namespace {

TEST(JeuInstructions, LengthsAndUndocumentedRows) {
    const uint8_t deux[] = {0x06, 0x0E, 0x16, 0x1E, 0x26, 0x2E, 0x36, 0x3E, 0xC6, 0xCE, 0xD6,
                            0xDE, 0xE6, 0xEE, 0xF6, 0xFE, 0xDB, 0xD3};
    const uint8_t trois[] = {0x01, 0x11, 0x21, 0x31, 0x22, 0x2A, 0x32, 0x3A, 0xC3, 0xC2, 0xCA,
                             0xD2, 0xDA, 0xE2, 0xEA, 0xF2, 0xFA, 0xCD, 0xC4, 0xCC, 0xD4,
                             0xDC, 0xE4, 0xEC, 0xF4, 0xFC};
    std::array<int, 256> attendu;
    attendu.fill(1);
    for (uint8_t op : deux) attendu[op] = 2;
    for (uint8_t op : trois) attendu[op] = 3;
    int documentes = 0;
    for (int op = 0; op < 256; ++op) {
        EXPECT_EQ(LgInstr[op], attendu[op]) << std::hex << op;
        documentes += TableInstr[op].Documente;
    }
    EXPECT_EQ(documentes, 246);
    const uint8_t inconnus[] = {0x08, 0x10, 0x18, 0x28, 0x38, 0xCB, 0xD9, 0xDD, 0xED, 0xFD};
    for (uint8_t op : inconnus) {
        char t[8];
        std::snprintf(t, sizeof t, "-%.2X-", op);
        EXPECT_EQ(MnemoDasm[op], t);
        EXPECT_FALSE(TableInstr[op].Documente);
    }
}

TEST(JeuInstructions, MnemonicSpacing) {
    const std::pair<uint8_t, const char*> cas[] = {
        {0x00, "NOP"},      {0x20, "RIM"},       {0x30, "SIM"},       {0x76, "HLT"},
        {0x41, "MOV  B,C"}, {0x34, "INR  M"},    {0x87, "ADD  A"},    {0x39, "DAD  SP"},
        {0x33, "INX  SP"},  {0xF1, "POP  PSW"},  {0xF5, "PUSH PSW"},  {0x02, "STAX B"},
        {0x1A, "LDAX D"},   {0xEF, "RST  5"},    {0x3E, "MVI  A,"},   {0x31, "LXI  SP,"},
        {0xFE, "CPI  "},    {0xDB, "IN   "},     {0xD3, "OUT  "},     {0xCA, "JZ   "},
        {0xCD, "CALL "},    {0x22, "SHLD "},     {0x3A, "LDA  "},     {0xE3, "XTHL"},
        {0xE9, "PCHL"},     {0xEC, "CPE  "},     {0xE0, "RPO"},       {0x9E, "SBB  M"}};
    for (auto [op, texte] : cas) EXPECT_EQ(MnemoDasm[op], texte) << std::hex << int(op);
}

struct Listing : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    TListeSymboles symboles;
    void SetUp() override {
        m->SelMem = 0x80; // RAM everywhere, so low addresses hold what the test puts there
        m->RegPC = 0x0000;
    }
    void Pose(uint16_t a, std::initializer_list<uint8_t> octets) {
        for (uint8_t o : octets) m->WriteBank(a++, 0, o);
    }
    std::string Ligne(uint16_t a, bool bulle = false) {
        return LigneDasm(*m, symboles, a, 0, bulle).Texte;
    }
};

TEST_F(Listing, CallLineToTheCharacterAndMarkers) {
    Pose(0x1234, {0xCD, 0x00, 0x20});
    EXPECT_EQ(Ligne(0x1234), std::string(14, ' ') + "1234  CD 00 20  CALL 2000H");
    EXPECT_EQ(LigneDasm(*m, symboles, 0x1234, 0, false).Longueur, 3);
    m->RegPC = 0x1234;
    m->TblPtArret[0x1234] = 1;
    EXPECT_EQ(Ligne(0x1234), "\u25A0 \u25BA " + std::string(10, ' ') + "1234  CD 00 20  CALL 2000H");
    m->TblPtArret[0x1234] = 2; // a temporary stop is not shown
    EXPECT_EQ(Ligne(0x1234).substr(0, 2), "  ");
    EXPECT_EQ(Ligne(0x1234, true), std::string(10, ' ') + "1234  CD 00 20  CALL 2000H");
}

TEST_F(Listing, OneAndTwoByteFormatsAndLeadingLetters) {
    Pose(0x3000, {0x3E, 0xC0, 0x76, 0xC3, 0x00, 0xC0, 0xDD, 0x00});
    EXPECT_EQ(Ligne(0x3000), std::string(14, ' ') + "3000  3E C0     MVI  A,C0H");
    EXPECT_EQ(Ligne(0x3002), std::string(14, ' ') + "3002  76        HLT");
    EXPECT_EQ(Ligne(0x3003), std::string(14, ' ') + "3003  C3 00 C0  JMP  C000H");
    TLigneDasm dd = LigneDasm(*m, symboles, 0x3006, 0, false);
    EXPECT_EQ(dd.Texte, std::string(14, ' ') + "3006  DD        -DD-");
    EXPECT_EQ(dd.Longueur, 1);
}

TEST_F(Listing, SymbolsAsLabelsAndSixteenBitOperandsOnly) {
    Pose(0x1234, {0xCD, 0x00, 0x20, 0x3E, 0x20});
    symboles = {{"SOUS_PROGRAMME_17", 0x1234}, {"ECRIT", 0x2000}, {"AUTRE", 0x2000}};
    EXPECT_EQ(Ligne(0x1234), "    SOUS_PR\u2026  1234  CD 00 20  CALL ECRIT");
    EXPECT_EQ(Ligne(0x1234, true), "SOUS_PROGRAMME_17  1234  CD 00 20  CALL ECRIT");
    EXPECT_EQ(Ligne(0x1237), std::string(14, ' ') + "1237  3E 20     MVI  A,20H");
    std::swap(symboles[1], symboles[2]); // first in the list's order wins
    EXPECT_EQ(Ligne(0x1234, true), "SOUS_PROGRAMME_17  1234  CD 00 20  CALL AUTRE");
    symboles = {{"HUITCARS", 0x1234}};
    EXPECT_EQ(Ligne(0x1234), "    HUITCARS  1234  CD 00 20  CALL 2000H");
    symboles = {{"ÉÉÉÉÉÉÉÉÉ", 0x1234}}; // nine two-byte characters: cut on a character
    EXPECT_EQ(Ligne(0x1234), "    ÉÉÉÉÉÉÉ\u2026  1234  CD 00 20  CALL 2000H");
}

TEST_F(Listing, OperandsWrapAndBankAndOverlays) {
    Pose(0xFFFE, {0xC3, 0x34});
    m->WriteBank(0x0000, 0, 0x12);
    EXPECT_EQ(Ligne(0xFFFE), std::string(14, ' ') + "FFFE  C3 34 12  JMP  1234H");
    m->WriteBank(0x4000, 1, 0x00);
    m->WriteBank(0x4000, 0, 0x76);
    EXPECT_EQ(LigneDasm(*m, symboles, 0x4000, 1, true).Texte.substr(16), "00        NOP");
    m->SelMem = 1; // boot ROM over the low 4 KB
    m->RomBoot[0x10] = 0xC9;
    EXPECT_EQ(Ligne(0x0010, true).substr(16), "C9        RET");
    m->MaxAdrRam = 0x7FFF; // absent RAM reads FFH
    EXPECT_EQ(Ligne(0x9000, true).substr(16), "FF        RST  7");
}

TEST_F(Listing, RangeWalkStopsAtTheTopOfMemory) {
    for (int a = 0xFF00; a <= 0xFFFF; ++a) m->WriteBank(uint16_t(a), 0, 0x01); // LXI B: 3 bytes
    std::vector<TLigneListing> l = Dasm(SourceMachine(*m, 0, symboles), 0xFF00, 0xFFFF);
    ASSERT_EQ(l.size(), 86u);
    EXPECT_EQ(l.front().Adresse, 0xFF00);
    EXPECT_EQ(l.back().Adresse, 0xFFFF); // reads its operands from 0000 and 0001
    for (size_t i = 1; i < l.size(); ++i) EXPECT_EQ(l[i].Adresse, l[i - 1].Adresse + 3);

    Pose(0x4000, {0x00, 0xCD, 0x00, 0x00});
    m->RegPC = 0x4001;
    l = Dasm(*m, symboles, 0x4000, 0, 0x4001);
    ASSERT_EQ(l.size(), 2u); // the last line runs past the end
    EXPECT_EQ(l[1].Adresse, 0x4001);
    EXPECT_EQ(l[1].Texte, "  \u25BA " + std::string(10, ' ') + "4001  CD 00 00  CALL 0000H");
}

// Every documented instruction, written as source text, assembles to its
// opcode and lists back as the same mnemonic and operand.
TEST(AllerRetour, EveryDocumentedOpcode) {
    auto m = std::make_unique<TMachine>();
    TListeSymboles aucun;
    int vus = 0;
    for (int op = 0; op < 256; ++op) {
        const TDefInstr& d = TableInstr[op];
        if (!d.Documente) continue;
        ++vus;
        std::string ops = d.Operandes;
        std::string valeur = d.Imm == ikOctet ? "0A5H" : d.Imm == ikMot ? "0BEEFH" : "";
        if (!valeur.empty()) ops += (ops.empty() ? "" : ",") + valeur;
        std::string source = std::string(" ") + d.Mnemo + " " + ops + "\n";
        TResultatAsm r = Assemble(" ORG 4000H\n" + source);
        ASSERT_TRUE(r.Ok()) << source << r.TexteErreurs();
        ASSERT_EQ(r.Octets.size(), LgInstr[op]) << source;
        EXPECT_EQ(r.Octets[0], op) << source;
        if (d.Imm == ikOctet) {
            EXPECT_EQ(r.Octets[1], 0xA5);
        } else if (d.Imm == ikMot) {
            EXPECT_EQ(r.Octets[1] | r.Octets[2] << 8, 0xBEEF);
        }
        ChargeEnRam(*m, r);
        std::string ligne = LigneDasm(*m, aucun, 0x4000, 0, true).Texte.substr(26);
        std::string attendu = std::string(d.Mnemo) + " " + d.Operandes;
        if (d.Imm != ikAucun) attendu += std::string(*d.Operandes ? "," : "") +
                                         (d.Imm == ikOctet ? "A5H" : "BEEFH");
        std::string compacte;
        for (size_t i = 0; i < ligne.size(); ++i)
            if (ligne[i] != ' ' || (i && ligne[i - 1] != ' ')) compacte += ligne[i];
        while (!compacte.empty() && compacte.back() == ' ') compacte.pop_back();
        while (!attendu.empty() && attendu.back() == ' ') attendu.pop_back();
        EXPECT_EQ(compacte, attendu) << std::hex << op;
    }
    EXPECT_EQ(vus, 246);
}

TEST(AllerRetour, KnownEncodings) {
    TResultatAsm r = Assemble(" mov b,c\n mvi a,1\n lxi sp,2\n push psw\n rst 5\n rim\n sim\n"
                              " hlt\n jpe 3\n cpo 4\n xthl\n in 5\n out 6\n dad sp\n ldax d\n"
                              " stax b\n sbb m\n cmp a\n sphl\n");
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    const std::vector<uint8_t> attendu = {0x41, 0x3E, 1, 0x31, 2, 0, 0xF5, 0xEF, 0x20, 0x30,
                                          0x76, 0xEA, 3, 0, 0xE4, 4, 0, 0xE3, 0xDB, 5, 0xD3,
                                          6, 0x39, 0x1A, 0x02, 0x9E, 0xBF, 0xF9};
    EXPECT_EQ(r.Octets, attendu);
}

} // namespace
