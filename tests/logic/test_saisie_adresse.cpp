#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debugger/SaisieAdresse.h"

namespace {

// Types `texte` key by key (the filter decides what goes in), then Enter.
std::string Tape(TSaisieAdresse& s, const std::string& texte) {
    for (char c : texte)
        if (s.Touche(c)) s.SetTexte(s.Texte() + c);
    s.Touche('\r');
    return s.Texte();
}

TEST(SaisieAdresse, EnterNormalisesARangeInIntervalMode) {
    struct TCas {
        const char* Tape;
        const char* Attendu;
    };
    const TCas cas[] = {{"100", "0100 02FF"},  {"2000 1000", "2000 21FF"}, {"FF80", "FF80 FFFF"},
                        {"", "0000 01FF"},     {"12345", "FFFF FFFF"},     {"ab 1234", "00AB 1234"},
                        {"  10   20 ", "0010 0020"}, {"0100 0200 0300", "0100 0200"}, {"5 5", "0005 0005"}};
    for (const TCas& c : cas) {
        TSaisieAdresse s;
        EXPECT_EQ(Tape(s, c.Tape), c.Attendu) << c.Tape;
    }
    TSaisieAdresse s;
    Tape(s, "12345");
    EXPECT_EQ(s.Adr1(), 0xFFFF);
}

TEST(SaisieAdresse, ReadingStopsAtTheFirstNonDigit) {
    EXPECT_EQ(LitAdresses("12G4 5"), (TAdressesLues{0x12, -1})); // a bad first word: no second address
    EXPECT_EQ(LitAdresses("1234 5x6"), (TAdressesLues{0x1234, 5}));
    EXPECT_EQ(LitAdresses("\t\x01 20\t30 \r\n"), (TAdressesLues{0x20, 0x30}));
    EXPECT_EQ(LitAdresses("zz"), (TAdressesLues{0, -1}));
    EXPECT_EQ(LitAdresses(""), (TAdressesLues{0, -1}));
    EXPECT_EQ(LitAdresses(std::string(200, 'F') + " " + std::string(40, '9')), (TAdressesLues{0xFFFF, 0xFFFF}));
}

TEST(SaisieAdresse, KeyFilterAndSingleMode) {
    TSaisieAdresse s;
    for (char c : std::string("0123456789abcdefABCDEF \b")) EXPECT_TRUE(s.Touche(c)) << c;
    for (char c : std::string("gGxH-+$.,\t")) EXPECT_FALSE(s.Touche(c)) << c;
    s.SetIntervalle(false);
    EXPECT_FALSE(s.Touche(' '));
    EXPECT_EQ(Tape(s, "1a 2b"), "1A2B"); // the blank never went in
    EXPECT_EQ(s.Adr1(), 0x1A2B);
    EXPECT_EQ(s.Adr2(), -1);
}

TEST(SaisieAdresse, KeysEvaluateTheTextBeforeThemAndEnterNotifiesInOrder) {
    TSaisieAdresse s;
    std::vector<std::string> appels;
    s.OnAdrChange = [&] { appels.push_back("adr " + s.Texte()); };
    s.OnEditChange = [&] { appels.push_back("edit"); };
    s.SetTexte("1234");
    s.Touche('5'); // evaluated before the key goes in
    EXPECT_EQ(s.Adr1(), 0x1234);
    EXPECT_TRUE(appels.empty());
    s.Touche('\r');
    EXPECT_EQ(appels, (std::vector<std::string>{"adr 1234 1433", "edit"}));
    s.OnAdrChange = nullptr;
    s.Touche('\r');
    EXPECT_EQ(appels.size(), 3u);
}

TEST(SaisieAdresse, ChoosingASymbolListsItsRange) {
    const TListeSymboles l = {{"ECRAN", 0x4000}, {"HAUT", 0xFF00}, {"LOIN", 0x123456}, {"NEG", -5}};
    TSaisieAdresse s;
    int notifications = 0;
    std::string texteVu;
    s.SurTexteReecrit = [&] { texteVu = s.Texte(); };
    s.OnEditChange = [&] { ++notifications; };
    ASSERT_TRUE(s.IndexSymbole(l, 0));
    EXPECT_EQ(s.Adr1(), 0x4000);
    EXPECT_EQ(s.Adr2(), 0x41FF);
    EXPECT_EQ(texteVu, "4000 41FF");
    EXPECT_TRUE(s.IndexSymbole(l, 1));
    EXPECT_EQ(s.Texte(), "FF00 FFFF");
    EXPECT_TRUE(s.IndexSymbole(l, 2));
    EXPECT_EQ(s.Texte(), "FFFF FFFF");
    EXPECT_TRUE(s.IndexSymbole(l, 3));
    EXPECT_EQ(s.Texte(), "0000 01FF");
    EXPECT_EQ(notifications, 4);
    EXPECT_FALSE(s.IndexSymbole(l, 4));
    EXPECT_FALSE(s.IndexSymbole(l, -1));
    EXPECT_EQ(notifications, 4);
    s.SetIntervalle(false);
    s.IndexSymbole(l, 0);
    EXPECT_EQ(s.Texte(), "4000");
}

} // namespace
