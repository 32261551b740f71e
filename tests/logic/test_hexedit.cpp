// The hex editor control's model without a widget: range and scroll bar,
// painted lines, mouse placement, the key table and nibble entry.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "debugger/HexEdit.h"

namespace {

struct HexEdit : ::testing::Test {
    std::array<uint8_t, 0x10000> mem{};
    std::vector<std::pair<int32_t, uint8_t>> ecrits;
    int changes = 0, editions = 0;
    THexEditModele h;
    void SetUp() override {
        h.OnGetData = [this](int32_t a) { return mem[size_t(a)]; };
        h.OnSetData = [this](int32_t a, uint8_t o) {
            ecrits.emplace_back(a, o);
            mem[size_t(a)] = o;
        };
        h.OnChange = [this] { ++changes; };
        h.OnEdit = [this] { ++editions; };
        h.SetHauteur(GeomHex::HauteurDefaut);
    }
    void Plage(int32_t debut, int32_t fin) { h.SetAdresses(uint32_t(debut) * 65536u + uint32_t(fin)); }
    // A double click on byte `col` of visible line `ligne` (w = 8 pixels).
    void Edite(int col, int ligne) { h.DoubleClic(5 + 8 * (6 + 3 * col) + 1, 5 + 16 * ligne + 2, 8); }
    int32_t Curseur() const { return h.AdrDebut() + h.OffsetAdr() + h.OffsetCur(); }
};

TEST_F(HexEdit, RangeScrollBarAndWheel) {
    Plage(0x0000, 0x01FF);
    EXPECT_EQ(h.NbLignesVisibles(), 12);
    EXPECT_TRUE(h.ScrollActif());
    EXPECT_EQ(h.ScrollMax(), 52);
    const auto lignes = h.Lignes();
    ASSERT_EQ(lignes.size(), 12u);
    EXPECT_EQ(lignes.front().substr(0, 4), "0000");
    EXPECT_EQ(lignes.back().substr(0, 4), "0058");
    h.Defile(52);
    EXPECT_EQ(h.Lignes().back().substr(0, 4), "01F8");
    h.Molette(-120); // towards the user: down, but not past the maximum
    EXPECT_EQ(h.ScrollPosition(), 52);
    h.Molette(120);
    EXPECT_EQ(h.ScrollPosition(), 51);
    // Twelve lines exactly: no scrolling; a disabled control never scrolls.
    Plage(0x2000, 0x205F);
    EXPECT_FALSE(h.ScrollActif());
    EXPECT_EQ(h.ScrollPosition(), 0) << "a smaller range does not leave the dump empty";
    Plage(0x2000, 0x2060);
    EXPECT_EQ(h.ScrollMax(), 1);
    h.SetActif(false);
    EXPECT_FALSE(h.ScrollActif());
    h.Molette(-120);
    EXPECT_EQ(h.ScrollPosition(), 0);
    // An end below the start is raised to it.
    h.SetAdresses(0x3000 * 65536 + 0x2000);
    EXPECT_EQ(h.AdrFin(), 0x3000);
}

TEST_F(HexEdit, PaintedLines) {
    Plage(0x1234, 0x1234);
    mem[0x1234] = 0x41;
    auto lignes = h.Lignes();
    ASSERT_EQ(lignes.size(), 1u);
    EXPECT_EQ(lignes[0], "1234  41                       A");
    EXPECT_EQ(lignes[0].find('A'), size_t(GeomHex::LargeurHexa + 1));
    // 0x80..0xFF show "." whatever the translation; the translation sees ".".
    Plage(0x0000, 0x0007);
    const uint8_t octets[] = {0x30, 0x7F, 0x80, 0xFF, 0x2E, 0x10, 0x00, 0xC3};
    std::copy(std::begin(octets), std::end(octets), mem.begin());
    std::vector<uint8_t> vus;
    h.OnTraduit = [&](uint8_t c) {
        vus.push_back(c);
        return char32_t(c < 0x20 ? U'#' : c);
    };
    EXPECT_EQ(h.Lignes()[0], "0000  30 7F 80 FF 2E 10 00 C3  0\x7F..\x2E##.");
    EXPECT_EQ(vus, (std::vector<uint8_t>{0x30, 0x7F, '.', '.', 0x2E, 0x10, 0x00, '.'}));
    // The memory window's translation: the machine's characters.
    EXPECT_EQ(TraduitDump(0x10), U'\u00E0');
    EXPECT_EQ(TraduitDump(0x9F), U'.');
    EXPECT_EQ(LigneDump(0xFFF8, {0x10}, TraduitDump), "FFF8  10                       \u00e0");
    // The few control characters among the translations (0AH to 0EH) would
    // break the character column (a line feed draws nothing): every code
    // gives one visible character, the control ones their pictures.
    EXPECT_EQ(TraduitDump(0x0A), U'\u240A');
    EXPECT_EQ(TraduitDump(0x0E), U'\u240E');
    for (int c = 0; c < 256; ++c) {
        const char32_t t = TraduitDump(uint8_t(c));
        EXPECT_TRUE(t >= 0x20 && !(t >= 0x7F && t < 0xA0)) << "code " << c;
    }
}

TEST_F(HexEdit, NibbleEntryWritesAndAdvances) {
    Plage(0x2000, 0x21FF);
    Edite(0, 0);
    EXPECT_TRUE(h.EditMode());
    EXPECT_EQ(editions, 1);
    EXPECT_TRUE(h.Caractere('7'));
    EXPECT_EQ(mem[0x2000], 0x70);
    EXPECT_EQ(h.Poids(), 1);
    EXPECT_TRUE(h.Caractere('f'));
    EXPECT_EQ(mem[0x2000], 0x7F);
    EXPECT_EQ(ecrits, (std::vector<std::pair<int32_t, uint8_t>>{{0x2000, 0x70}, {0x2000, 0x7F}}));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Curseur(), 0x2001);
    EXPECT_EQ(h.Poids(), 0);
    // Not a hex digit: swallowed, nothing written.
    EXPECT_FALSE(h.Caractere('g'));
    EXPECT_EQ(ecrits.size(), 2u);
    // Low nibble keeps the high one.
    mem[0x2001] = 0xA5;
    h.Touche(TToucheHex::Droite);
    h.Caractere('C');
    EXPECT_EQ(mem[0x2001], 0xAC);
    // Escape leaves edit mode; then keys and digits do nothing.
    EXPECT_TRUE(h.Caractere(0x1B));
    EXPECT_FALSE(h.EditMode());
    EXPECT_FALSE(h.Caractere('1'));
    EXPECT_FALSE(h.Touche(TToucheHex::Bas));
    EXPECT_EQ(ecrits.size(), 3u);
    EXPECT_EQ(Curseur(), 0x2002);
}

TEST_F(HexEdit, NoDataHandlerUses55) {
    h.OnGetData = nullptr;
    Plage(0x0000, 0x000F);
    Edite(1, 0);
    EXPECT_EQ(h.ChiffreCurseur(), '5');
    h.Caractere('A');
    EXPECT_EQ(ecrits.back(), (std::pair<int32_t, uint8_t>{1, 0xA5}));
    EXPECT_EQ(h.Lignes()[0].substr(0, 12), "0000  00 00 ");
}

TEST_F(HexEdit, DisabledOrBrowsingIgnoresKeysAndClicks) {
    Plage(0x0000, 0x01FF);
    h.Clic(5 + 8 * 9, 5, 8); // browse mode: the click does not move the cursor
    EXPECT_EQ(h.OffsetCur(), 0);
    h.SetActif(false);
    Edite(3, 2);
    EXPECT_FALSE(h.EditMode());
    EXPECT_EQ(editions, 0);
    h.SetActif(true);
    Edite(3, 2);
    h.SetActif(false);
    EXPECT_FALSE(h.Touche(TToucheHex::Droite));
    EXPECT_FALSE(h.Caractere('1'));
    EXPECT_TRUE(ecrits.empty());
}

TEST_F(HexEdit, MousePlacementStaysInTheRange) {
    Plage(0x0000, 0x0012); // three lines, the last with three bytes
    Edite(2, 1);
    EXPECT_EQ(Curseur(), 0x000A);
    h.Clic(5 + 8 * (6 + 3 * 7), 5 + 16 * 2, 8); // beyond the last byte
    EXPECT_EQ(Curseur(), 0x0012);
    h.Clic(400, 5 + 16 * 11, 8); // the character column, below the lines
    EXPECT_EQ(Curseur(), 0x0012);
    h.Clic(0, 5, 8); // left of the first byte
    EXPECT_EQ(Curseur(), 0x0000);
    EXPECT_EQ(h.ColonneCurseur(), 6);
    EXPECT_EQ(h.LigneCurseur(), 0);
}

TEST_F(HexEdit, ArrowsScrollAtThePageEdges) {
    Plage(0x0000, 0x01FF);
    Edite(0, 0);
    h.Touche(TToucheHex::Gauche); // very first nibble: nothing
    EXPECT_EQ(Curseur(), 0);
    EXPECT_EQ(h.Poids(), 0);
    h.Touche(TToucheHex::Haut);
    EXPECT_EQ(h.OffsetAdr(), 0);
    for (int i = 0; i < 11; ++i) h.Touche(TToucheHex::Bas);
    EXPECT_EQ(h.LigneCurseur(), 11);
    h.Touche(TToucheHex::Bas); // last visible line: scrolls
    EXPECT_EQ(h.OffsetAdr(), 8);
    EXPECT_EQ(Curseur(), 0x60);
    h.Touche(TToucheHex::Fin);
    EXPECT_EQ(Curseur(), 0x67);
    h.Touche(TToucheHex::Droite);
    h.Touche(TToucheHex::Droite); // last byte of the page, low nibble: scrolls
    EXPECT_EQ(h.OffsetAdr(), 16);
    EXPECT_EQ(Curseur(), 0x68);
    EXPECT_EQ(h.Poids(), 0);
    h.Touche(TToucheHex::Debut);
    h.Touche(TToucheHex::Haut);
    for (int i = 0; i < 10; ++i) h.Touche(TToucheHex::Haut);
    EXPECT_EQ(h.OffsetCur(), 0);
    h.Touche(TToucheHex::Gauche); // first byte of the page, high nibble: scrolls up
    EXPECT_EQ(h.OffsetAdr(), 8);
    EXPECT_EQ(Curseur(), 0x0F);
    EXPECT_EQ(h.Poids(), 1);
    EXPECT_EQ(h.ScrollPosition(), 1);
}

TEST_F(HexEdit, PagesAndTheEndOfTheRange) {
    Plage(0x0000, 0x01FF);
    Edite(5, 3);
    h.Touche(TToucheHex::PagePrec); // first page: cursor to the first byte
    EXPECT_EQ(Curseur(), 0);
    h.Touche(TToucheHex::PageSuiv);
    EXPECT_EQ(h.OffsetAdr(), 96);
    for (int i = 0; i < 5; ++i) h.Touche(TToucheHex::PageSuiv);
    EXPECT_EQ(h.OffsetAdr(), 52 * 8); // the last page
    h.Touche(TToucheHex::PageSuiv); // did not move: cursor to the last byte
    EXPECT_EQ(Curseur(), 0x1FF);
    h.Touche(TToucheHex::Droite);
    EXPECT_EQ(h.Poids(), 1);
    h.Touche(TToucheHex::Droite); // last nibble of the range: stays
    EXPECT_EQ(Curseur(), 0x1FF);
    EXPECT_EQ(h.Poids(), 1);
    h.Caractere('3'); // writes, the Right that follows does nothing
    EXPECT_EQ(mem[0x1FF], 0x03);
    EXPECT_EQ(Curseur(), 0x1FF);
    // A short last line: Down and End never leave the range.
    Plage(0x0000, 0x0009);
    Edite(0, 0);
    h.Touche(TToucheHex::Bas);
    EXPECT_EQ(Curseur(), 0x08);
    h.Touche(TToucheHex::Bas);
    EXPECT_EQ(Curseur(), 0x09);
    h.Touche(TToucheHex::Fin);
    EXPECT_EQ(Curseur(), 0x09);
    h.Touche(TToucheHex::PageSuiv); // everything visible: to the last byte
    EXPECT_EQ(Curseur(), 0x09);
    // Scrolling the bar past the cursor brings it back into the range.
    Plage(0x0000, 0x01FF);
    Edite(7, 11);
    h.Defile(52);
    EXPECT_EQ(Curseur(), 0x1FF);
}

TEST_F(HexEdit, ShowBringsAnAddressIntoView) {
    Plage(0x2000, 0x2FFF);
    h.Montre(0x2805);
    EXPECT_TRUE(h.EditMode());
    EXPECT_EQ(h.OffsetAdr(), 0x800);
    EXPECT_EQ(Curseur(), 0x2805);
    h.Montre(0x2809); // already visible: the page stays
    EXPECT_EQ(h.OffsetAdr(), 0x800);
    h.Montre(0x2FFF); // near the end: the last page
    EXPECT_EQ(h.OffsetAdr(), h.ScrollMax() * 8);
    EXPECT_EQ(Curseur(), 0x2FFF);
}

} // namespace
