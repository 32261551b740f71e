#include <gtest/gtest.h>

#include <sstream>

#include "debugger/Symboles.h"

namespace {

int Charge(const std::string& texte, TListeSymboles& l) {
    std::istringstream in(texte);
    return ChargeSymboles(in, l);
}

TEST(Symboles, LoaderStopsAfterALineEndingWithABadPair) {
    TListeSymboles l;
    EXPECT_EQ(Charge("DEBUT 0100\nBOUCLE 0105 FIN 0110\nX Y\nAPRES 0200\n", l), 3);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].Nom, "DEBUT");
    EXPECT_EQ(l[0].Adresse, 0x100);
    EXPECT_EQ(l[2].Nom, "FIN");
    EXPECT_EQ(l[2].Adresse, 0x110);
}

TEST(Symboles, LoaderSkipsBadPairsInsideALineAndKeepsNames) {
    TListeSymboles l;
    // A bad pair followed by a good one on the same line does not stop.
    EXPECT_EQ(Charge("  a 12G  Bb ffff\r\n\n\tÉté\t 1a2B \nsuite 7\n", l), 3);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].Nom, "Bb");
    EXPECT_EQ(l[0].Adresse, 0xFFFF);
    EXPECT_EQ(l[1].Nom, "Été\t"); // the line is trimmed, but a tab inside stays in the name
    EXPECT_EQ(l[1].Adresse, 0x1A2B);
    EXPECT_EQ(l[2].Adresse, 7);
    l.clear();
    EXPECT_EQ(Charge("SEUL\nAPRES 1\n", l), 0); // a name without address ends the loading
    EXPECT_EQ(Charge("tab\t12 3\n", l), 1);     // a tab is not a separator
    EXPECT_EQ(l[0].Nom, "tab\t12");
}

TEST(Symboles, OnlyAbout255CharactersFollowingTheFirstName) {
    TListeSymboles l;
    std::string ligne = "A 1";
    for (int i = 0; i < 40; ++i) ligne += " NOM" + std::to_string(i) + " 10";
    // 255 characters after "A": " 1" (2), ten " NOMi 10" (8 each), nineteen
    // " NOMii 10" (9 each), then " N", a name without address.
    EXPECT_EQ(Charge(ligne + "\nAPRES 1\n", l), 1 + 10 + 19);
    ASSERT_EQ(l.size(), 30u);
    EXPECT_EQ(l.back().Nom, "NOM28");
}

TEST(Symboles, LookUpsAndShortening) {
    TListeSymboles l = {{"Debut", 0x100}, {"AUTRE", 0x100}};
    EXPECT_EQ(NomSymbole(l, 0x100), "Debut");
    EXPECT_EQ(NomSymbole(l, 0x101), "");
    EXPECT_EQ(IndexSymboleNomme(l, "DEBUT"), 0);
    EXPECT_EQ(IndexSymboleNomme(l, "autre"), 1);
    EXPECT_EQ(IndexSymboleNomme(l, "X"), -1);
    EXPECT_EQ(AbregeSymbole("ABCDEFGH"), "ABCDEFGH");
    EXPECT_EQ(AbregeSymbole("ABCDEFGHI"), "ABCDEFG\u2026");
}

TEST(Symboles, WrittenFileReadsBack) {
    TListeSymboles l = {{"DEBUT", 0x100}, {"HAUT", 0xC000}}, relu;
    std::ostringstream out;
    EcritSymboles(out, l);
    EXPECT_EQ(out.str(), "DEBUT 0100\nHAUT C000\n");
    EXPECT_EQ(Charge(out.str(), relu), 2);
    EXPECT_EQ(relu[1].Adresse, 0xC000);
}

} // namespace
