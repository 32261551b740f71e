#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "devices/ToucheMorte.h"
#include "devices/TraductionClavier.h"

namespace {

using Entrees = std::vector<uint16_t>;
constexpr auto Car = TTypeMessageClavier::Caractere;
constexpr auto Touche = TTypeMessageClavier::ToucheEnfoncee;

struct Cas {
    const char* nom;
    int mode;
    TTypeMessageClavier type;
    uint16_t code;
    bool shift, ctrl;
    bool consomme;
    Entrees entrees;
};

const Cas Regles[] = {
    {"a, Basic", 0, Car, u'a', false, false, true, {0x0361}},
    {"a, traitement de texte", 1, Car, u'a', false, false, true, {0x0361}},
    {"a, inconnu", -1, Car, u'a', false, false, true, {0x0361}},
    {"a, APL", 2, Car, u'a', false, false, true, {0x0361}},
    {"DEL", 2, Car, 0x7F, false, false, true, {0x037F}},
    {"échappement", 0, Car, 0x1B, false, false, false, {}},
    {"caractère hors table", 1, Car, u'\u00F1', false, false, false, {}},
    {"é mode 1", 1, Car, u'\u00E9', false, false, true, {0x0245}},
    {"ç mode 1", 1, Car, u'\u00E7', false, false, true, {0x0243}},
    {"ê mode 1", 1, Car, u'\u00EA', false, false, true, {0x0256, 0x0345}},
    {"ô mode 1", 1, Car, u'\u00F4', false, false, true, {0x0256, 0x034F}},
    {"ü mode 1", 1, Car, u'\u00FC', false, false, true, {0x0254, 0x0355}},
    {"ï mode 1", 1, Car, u'\u00EF', false, false, true, {0x0254, 0x0349}},
    {"ê mode 0", 0, Car, u'\u00EA', false, false, true, {0x0215}},
    {"ç mode 0", 0, Car, u'\u00E7', false, false, true, {0x021A}},
    {"ë mode 0", 0, Car, u'\u00EB', false, false, true, {0x021F}},
    {"ù mode 0", 0, Car, u'\u00F9', false, false, true, {0x0212}},
    {"ê mode 2", 2, Car, u'\u00EA', false, false, false, {}},
    {"ê mode inconnu", -1, Car, u'\u00EA', false, false, false, {}},
    {"@ mode 1", 1, Car, u'@', false, false, true, {0x0360}},
    {"` mode 1", 1, Car, u'`', false, false, true, {0x0340}},
    {"§ mode 1", 1, Car, u'\u00A7', false, false, true, {0x035E}},
    {"{ mode 1", 1, Car, u'{', false, false, true, {0x035B}},
    {"@ mode 0", 0, Car, u'@', false, false, true, {0x0340}},
    {"` mode 0", 0, Car, u'`', false, false, true, {0x0360}},
    {"§ mode 0", 0, Car, u'\u00A7', false, false, false, {}},
    {"Ctrl+Maj+A mode 1", 1, Touche, 'A', true, true, true, {0x0241}},
    {"Ctrl+Maj+Espace mode 1", 1, Touche, 0x20, true, true, true, {0x0220}},
    {"Ctrl+Maj+A mode 0", 0, Touche, 'A', true, true, false, {}},
    {"Ctrl+A mode 1", 1, Touche, 'A', false, true, false, {}},
    {"A seule", 1, Touche, 'A', false, false, false, {}},
    {"Ctrl+O mode 1", 1, Touche, 'O', false, true, true, {0x0029}},
    {"Ctrl+O mode 0", 0, Touche, 'O', false, true, true, {0x0219}},
    {"Ctrl+Maj+O mode 1", 1, Touche, 'O', true, true, true, {0x024F}},
    {"Ctrl+Maj+O mode 2", 2, Touche, 'O', true, true, true, {0x0219}},
    {"F2 mode 1", 1, Touche, 0x71, false, false, true, {0x071F}},
    {"F2 mode 0", 0, Touche, 0x71, false, false, false, {}},
    {"F3 mode 1", 1, Touche, 0x72, false, false, true, {0x041F}},
    {"F3 mode 2", 2, Touche, 0x72, false, false, false, {}},
    {"F4", 0, Touche, 0x73, false, false, true, {0x030C}},
    {"Maj+F4", 0, Touche, 0x73, true, false, true, {0x000C}},
    {"F5", 0, Touche, 0x74, false, false, true, {0x030A}},
    {"Maj+F5", 0, Touche, 0x74, true, false, true, {0x010A}},
    {"Ctrl+F5", 1, Touche, 0x74, false, true, true, {0x000A}},
    {"F6", 2, Touche, 0x75, false, false, true, {0x030B}},
    {"Ctrl+F6", 2, Touche, 0x75, false, true, true, {0x000B}},
    {"F7", 1, Touche, 0x76, true, false, true, {0x030E}},
    {"F8", 0, Touche, 0x77, false, true, true, {0x030F}},
    {"Entrée", 0, Touche, 0x0D, false, false, true, {0x030D}},
    {"Gauche", 0, Touche, 0x25, false, false, true, {0x071A}},
    {"Ctrl+Gauche", 0, Touche, 0x25, false, true, true, {0x041A}},
    {"Maj+Gauche", 0, Touche, 0x25, true, false, true, {0x051A}},
    {"Ctrl+Maj+Gauche", 0, Touche, 0x25, true, true, true, {0x041A}},
    {"Droite", 1, Touche, 0x27, false, false, true, {0x071B}},
    {"Tab", 1, Touche, 0x09, true, false, true, {0x031C}},
    {"Suppr", 0, Touche, 0x2E, true, false, true, {0x051D}},
    {"Inser", 0, Touche, 0x2D, false, false, true, {0x071F}},
    {"Retour arrière", 2, Touche, 0x08, false, false, true, {0x071A, 0x071D}},
    {"Page précédente mode 1", 1, Touche, 0x21, false, false, true, {0x040F}},
    {"Page précédente mode 0", 0, Touche, 0x21, false, false, true, {0x0344}},
    {"Page suivante mode 1", 1, Touche, 0x22, false, false, true, {0x0410}},
    {"Page suivante mode 2", 2, Touche, 0x22, false, false, true, {0x034D}},
    {"Haut mode 1", 1, Touche, 0x26, false, false, true, {0x070F}},
    {"Maj+Bas mode 1", 1, Touche, 0x28, true, false, true, {0x0510}},
    {"Haut mode 0", 0, Touche, 0x26, false, false, false, {}},
    {"Bas mode 2", 2, Touche, 0x28, false, false, false, {}},
    {"Origine", 0, Touche, 0x24, false, false, true, {}},
    {"Fin", 1, Touche, 0x23, false, false, true, {}},
    {"Échap", 1, Touche, 0x1B, false, false, false, {}},
};

TEST(TraductionClavier, RuleTable) {
    TContexteClavier ctx;
    for (const Cas& c : Regles) {
        ctx.ModeClavier = c.mode;
        const TMessageClavier msg{c.type, c.code, c.shift, c.ctrl, false};
        const TTraduction t = TraduitMessageClavier(msg, ctx);
        EXPECT_EQ(t.Consomme, c.consomme) << c.nom;
        EXPECT_EQ(t.Entrees, c.entrees) << c.nom;
        EXPECT_FALSE(t.FinEmul) << c.nom;
    }
}

TEST(TraductionClavier, F9TypesTheDateThenReturn) {
    TContexteClavier ctx;
    ctx.Date.Annee = 2026;
    ctx.Date.Mois = 12;
    ctx.Date.Jour = 7;
    const TMessageClavier f9{Touche, 0x78, false, false, false};
    const Entrees attendu = {0x0330, 0x0337, 0x032F, 0x0331, 0x0332, 0x032F,
                             0x0332, 0x0330, 0x0332, 0x0336, 0x030D};
    EXPECT_EQ(TraduitMessageClavier(f9, ctx).Entrees, attendu);

    ctx.SeparateurDate = u'.';
    ctx.Date = THeureLocale{987, 3, 21};
    const Entrees point = {0x0332, 0x0331, 0x032E, 0x0330, 0x0333, 0x032E,
                           0x0330, 0x0339, 0x0338, 0x0337, 0x030D};
    EXPECT_EQ(TraduitMessageClavier(f9, ctx).Entrees, point);

    ctx.Date.Annee = 12026; // only the first ten characters are typed
    const TTraduction longue = TraduitMessageClavier(f9, ctx);
    ASSERT_EQ(longue.Entrees.size(), 11u);
    EXPECT_EQ(longue.Entrees[9], 0x0332);

    ctx.SeparateurDate = u'\u2044'; // not in the machine's set: "/" instead
    EXPECT_EQ(TraduitMessageClavier(f9, ctx).Entrees[2], 0x032F);

    auto m = std::make_unique<TMachine>();
    m->AjouteTouche(0x0341);
    m->AjouteTouche(0x0342);
    ctx.SeparateurDate = u'/';
    ctx.Date = THeureLocale{2026, 12, 7};
    PousseEntrees(*m, TraduitMessageClavier(f9, ctx));
    EXPECT_EQ(m->NbCarClav, 12);
    EXPECT_EQ(m->BufClav[2], 0x0330);
    EXPECT_EQ(m->BufClav[11], 0x0336); // the Return is lost
}

TEST(TraductionClavier, BackspaceCutShortByAFullQueue) {
    auto m = std::make_unique<TMachine>();
    for (int i = 0; i < 11; ++i) m->AjouteTouche(uint16_t(0x0330 + i));
    PousseEntrees(*m, TraduitMessageClavier({Touche, 0x08, false, false, false}, {}));
    EXPECT_EQ(m->NbCarClav, 12);
    EXPECT_EQ(m->BufClav[10], 0x033A);
    EXPECT_EQ(m->BufClav[11], 0x071A);
}

TEST(TraductionClavier, AltMessagesBelongToTheWindowAndCaptureOffTranslatesNothing) {
    TContexteClavier ctx;
    EXPECT_FALSE(TraduitMessageClavier({Touche, 0x25, false, false, true}, ctx).Consomme);
    EXPECT_FALSE(TraduitMessageClavier({Car, u's', false, false, true}, ctx).Consomme);
    // Ctrl+Alt is AltGr: its characters are ordinary ones.
    EXPECT_EQ(TraduitMessageClavier({Car, u'@', false, true, true}, ctx).Entrees, Entrees{0x0340});
    ctx.CaptureClav = false;
    EXPECT_FALSE(TraduitMessageClavier({Touche, 0x24, false, false, false}, ctx).Consomme);
    EXPECT_FALSE(TraduitMessageClavier({Car, u'a', false, false, false}, ctx).Consomme);
}

TEST(TraductionClavier, FormKeyDownAltTable) {
    struct CasAlt { char touche; uint16_t mode1, autres; };
    const CasAlt table[] = {{'A', 0x0030, 0x0200}, {'C', 0x0032, 0x0202}, {'D', 0x0036, 0x0206},
                            {'E', 0x0031, 0x0201}, {'H', 0x0039, 0x0209}, {'Q', 0x0034, 0x0204},
                            {'S', 0x003F, 0x020F}, {'V', 0x0038, 0x0208}, {'W', 0x0033, 0x0203},
                            {'X', 0x0037, 0x0207}, {'Z', 0x0035, 0x0205}};
    TContexteClavier ctx;
    for (const CasAlt& c : table)
        for (int mode : {-1, 0, 1, 2}) {
            ctx.ModeClavier = mode;
            const TTraduction t = FormKeyDown({Touche, uint16_t(c.touche), false, false, true}, ctx);
            EXPECT_TRUE(t.Consomme) << c.touche;
            EXPECT_EQ(t.Entrees, Entrees{mode == 1 ? c.mode1 : c.autres}) << c.touche << " " << mode;
        }
    ctx.ModeClavier = 0;
    EXPECT_TRUE(FormKeyDown({Touche, 'B', false, false, true}, ctx).Entrees.empty());
    EXPECT_TRUE(FormKeyDown({Touche, 'S', false, false, false}, ctx).Entrees.empty());
    ctx.CaptureClav = false;
    const TTraduction arrete = FormKeyDown({Touche, 'S', false, false, true}, ctx);
    EXPECT_TRUE(arrete.Entrees.empty());
    EXPECT_FALSE(arrete.Consomme);
    const TTraduction fin = FormKeyDown({Touche, 0x73, false, false, true}, ctx);
    EXPECT_TRUE(fin.FinEmul);
    EXPECT_TRUE(fin.Entrees.empty());
    EXPECT_FALSE(FormKeyDown({Touche, 0x73, false, false, false}, ctx).FinEmul);
}

TEST(TraductionClavier, QtKeysToVirtualKeys) {
    struct CasQt { int cle; uint16_t vk; };
    const CasQt table[] = {
        {0x20, 0x20},       {0x41, 0x41},       {0x4F, 0x4F},       {0x5A, 0x5A},
        {0x01000001, 0x09}, {0x01000002, 0x09}, {0x01000003, 0x08}, {0x01000004, 0x0D},
        {0x01000005, 0x0D}, {0x01000006, 0x2D}, {0x01000007, 0x2E}, {0x01000010, 0x24},
        {0x01000011, 0x23}, {0x01000012, 0x25}, {0x01000013, 0x26}, {0x01000014, 0x27},
        {0x01000015, 0x28}, {0x01000016, 0x21}, {0x01000017, 0x22}, {0x01000031, 0x71},
        {0x01000032, 0x72}, {0x01000033, 0x73}, {0x01000034, 0x74}, {0x01000035, 0x75},
        {0x01000036, 0x76}, {0x01000037, 0x77}, {0x01000038, 0x78},
        {0x01000000, 0},    {0x30, 0},          {0x61, 0},          {0x01000039, 0},
        {0xC9, 0},          {-1, 0},
    };
    for (const CasQt& c : table) EXPECT_EQ(VkDepuisCleQt(c.cle), c.vk) << std::hex << c.cle;
}

} // namespace

namespace {

TEST(ToucheMorte, AccentsComposeWithVowelsOnly) {
    const TAccent circ = AccentDeCleMorte(0x01001252);
    const TAccent trema = AccentDeCleMorte(0x01001257);
    EXPECT_EQ(circ, TAccent::Circonflexe);
    EXPECT_EQ(trema, TAccent::Trema);
    EXPECT_EQ(AccentDeCleMorte(0x01001250), TAccent::Grave);
    EXPECT_EQ(AccentDeCleMorte(0x01001251), TAccent::Aigu);
    EXPECT_EQ(AccentDeCleMorte(0x01001253), TAccent::Aucun); // tilde: not composed here
    EXPECT_EQ(AccentDeCleMorte(0x45), TAccent::Aucun);

    EXPECT_EQ(ComposeApresCleMorte(circ, u'e'), u"\u00EA");
    EXPECT_EQ(ComposeApresCleMorte(circ, u'U'), u"\u00DB");
    EXPECT_EQ(ComposeApresCleMorte(trema, u'i'), u"\u00EF");
    EXPECT_EQ(ComposeApresCleMorte(trema, u'y'), u"\u00FF");
    EXPECT_EQ(ComposeApresCleMorte(trema, u'Y'), u"\u0178");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Grave, u'a'), u"\u00E0");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Aigu, u'E'), u"\u00C9");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Grave, u'y'), u"`y");
    EXPECT_EQ(ComposeApresCleMorte(circ, u'z'), u"^z");
    EXPECT_EQ(ComposeApresCleMorte(circ, u' '), u"^");
    EXPECT_EQ(ComposeApresCleMorte(trema, u'1'), u"\u00A81");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Aucun, u'q'), u"q");
}

TEST(ToucheMorte, ComposedLetterGoesThroughTheRules) {
    TContexteClavier ctx;
    ctx.ModeClavier = 1;
    const std::u16string t = ComposeApresCleMorte(TAccent::Circonflexe, u'e');
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(TraduitMessageClavier({TTypeMessageClavier::Caractere, t[0], false, false, false}, ctx).Entrees,
              (std::vector<uint16_t>{0x0256, 0x0345}));
}

} // namespace
