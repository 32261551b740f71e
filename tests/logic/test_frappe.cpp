// Typing a text into the machine: decoding of the text, and entries fed as
// the program drains the queue.
#include <gtest/gtest.h>

#include <vector>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"
#include "debugger/Assembleur.h"
#include "devices/FrappeTexte.h"

namespace {

TEST(Frappe, EscapesBecomeKeysOrCharacters) {
    std::vector<TMessageClavier> msg;
    ASSERT_EQ(DecodeFrappe("a\\r\\n\\t\\\\\\x41\\x0d\u00e9", msg), "");
    ASSERT_EQ(msg.size(), 8u);
    const auto touche = TTypeMessageClavier::ToucheEnfoncee, car = TTypeMessageClavier::Caractere;
    EXPECT_TRUE(msg[0].Type == car && msg[0].Code == 'a');
    EXPECT_TRUE(msg[1].Type == touche && msg[1].Code == 0x0D);
    EXPECT_TRUE(msg[2].Type == touche && msg[2].Code == 0x0D);
    EXPECT_TRUE(msg[3].Type == touche && msg[3].Code == 0x09);
    EXPECT_TRUE(msg[4].Type == car && msg[4].Code == '\\');
    EXPECT_TRUE(msg[5].Type == car && msg[5].Code == 0x41);
    EXPECT_TRUE(msg[6].Type == touche && msg[6].Code == 0x0D);
    EXPECT_TRUE(msg[7].Type == car && msg[7].Code == 0xE9);
}

TEST(Frappe, MalformedTextIsRefused) {
    std::vector<TMessageClavier> msg;
    EXPECT_NE(DecodeFrappe("abc\\", msg), "");
    EXPECT_NE(DecodeFrappe("\\q", msg), "");
    EXPECT_NE(DecodeFrappe("\\x4", msg), "");
    EXPECT_NE(DecodeFrappe("\\xG1", msg), "");
    EXPECT_NE(DecodeFrappe("\xC3", msg), "");
    EXPECT_NE(DecodeFrappe("\xFF" "a", msg), "");
}

// A stand-in translation: every character gives two entries, attribute 3
// then attribute 7; other messages are not consumed. It notes the modes seen.
std::vector<int32_t> ModesVus;
TTraduction DeuxEntrees(const TMessageClavier& msg, const TContexteClavier& ctx) {
    ModesVus.push_back(ctx.ModeClavier);
    TTraduction t;
    if (msg.Type != TTypeMessageClavier::Caractere) return t;
    t.Consomme = true;
    t.Entrees = {uint16_t(0x0300 | msg.Code), uint16_t(0x0700 | msg.Code)};
    return t;
}

TEST(Frappe, LongTextFedAsTheProgramDrainsTheQueue) {
    auto m = std::make_unique<TMachine>();
    THoteVirtuel hote(m.get());
    m->Hote = &hote;
    m->InitMachine();
    m->ModeClavier = 1;
    const TResultatAsm r = Assemble(R"(
            ORG  2000H
            LXI  H,3000H
    ATT:    IN   0E2H        ; wait for a key
            ANI  80H
            JZ   ATT
            IN   0C2H        ; character, then attribute, into memory
            MOV  M,A
            INX  H
            IN   0E2H
            MOV  M,A
            INX  H
            OUT  0E2H        ; acknowledge
            JMP  ATT
    )");
    ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
    ChargeEnRam(*m, r);
    m->RegPC = 0x2000;
    std::vector<TMessageClavier> msg;
    std::string texte;
    for (int i = 0; i < 40; ++i) texte += char('A' + i % 26);
    ASSERT_EQ(DecodeFrappe(texte + "\\\\\\r", msg), ""); // then a backslash and the Return key
    msg.insert(msg.begin() + 5, TMessageClavier{TTypeMessageClavier::ToucheEnfoncee, 0x70}); // skipped
    TFrappeTexte frappe(msg);
    ModesVus.clear();
    int tours = 0;
    while (frappe.Alimente(*m, TContexteClavier{}, DeuxEntrees)) {
        ASSERT_LE(m->NbCarClav, 12);
        m->Execute(37);
        ASSERT_LT(++tours, 10000);
    }
    m->Execute(5000);
    EXPECT_EQ(m->NbCarClav, 0);
    EXPECT_EQ(m->RegH, 0x30); // 41 characters × 2 entries × 2 bytes = 0xA4 bytes
    EXPECT_EQ(m->RegL, 0xA4);
    for (int i = 0; i < 41; ++i) {
        const uint8_t c = i < 40 ? uint8_t('A' + i % 26) : uint8_t('\\');
        ASSERT_EQ(m->ZorvMem[size_t(0x3000 + 4 * i)], c) << i;
        ASSERT_EQ(m->ZorvMem[size_t(0x3001 + 4 * i)], 0x83) << i;
        ASSERT_EQ(m->ZorvMem[size_t(0x3002 + 4 * i)], c) << i;
        ASSERT_EQ(m->ZorvMem[size_t(0x3003 + 4 * i)], 0x87) << i;
    }
    ASSERT_FALSE(ModesVus.empty());
    for (int32_t mode : ModesVus) EXPECT_EQ(mode, 1);
}

// Keys typed while the machine is paused come after the rest, in order, as
// the queue makes room; a source that had run dry takes them too.
TEST(Frappe, MessagesAddedLaterAreTypedInTheirTurn) {
    auto m = std::make_unique<TMachine>();
    m->InitMachine();
    TFrappeTexte frappe;
    EXPECT_FALSE(frappe.Alimente(*m, TContexteClavier{}, DeuxEntrees));
    for (char16_t c : std::u16string(u"ABCDEFG")) frappe.Ajoute({TTypeMessageClavier::Caractere, c});
    EXPECT_TRUE(frappe.Alimente(*m, TContexteClavier{}, DeuxEntrees));
    EXPECT_EQ(m->NbCarClav, 12); // six keys of two entries
    EXPECT_EQ(frappe.Restants(), 1u);
    EXPECT_EQ(m->BufClav[0], 0x0341);
    EXPECT_EQ(m->BufClav[11], 0x0746);
    m->VideClavier();
    EXPECT_FALSE(frappe.Alimente(*m, TContexteClavier{}, DeuxEntrees));
    EXPECT_EQ(m->NbCarClav, 2);
    EXPECT_EQ(m->BufClav[0], 0x0347);
}

} // namespace
