// The Qt-free pieces of the main window: screen placement, the user's
// folders, screenshots, the window's settings, pause, paste and the keyboard
// help.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/CommandesPoste.h"
#include "config/DossiersUtilisateur.h"
#include "config/ParametresFenetre.h"
#include "config/VoyantsLecteurs.h"
#include "core/Fichiers.h"
#include "devices/AideClavier.h"
#include "devices/Capture.h"
#include "devices/Ecran.h"
#include "devices/FrappeTexte.h"
#include "devices/PlacementEcran.h"
#include "devices/Png.h"
#include "devices/ToucheMorte.h"
#include "DossierProgramme.h"
#include "MachineEssai.h"

namespace {

TPlacement Place(int l, int h, TZoom z, bool plein = false) { return PlaceEcran(ZoneEcran(l, h, plein), z); }

TEST(PlacementEcran, OneToOneWhereItAlwaysWasAndLargerZoomsKeepTheirShape) {
    EXPECT_EQ(Place(1060, 650, TZoom::X1).Ecran, (TRect{16, 56, 1024, 576}));
    EXPECT_EQ(Place(1060, 650, TZoom::X1).Facteur, 1);
    int l = 0, h = 0;
    TailleFenetre(TZoom::X1, l, h);
    EXPECT_EQ(l, 1060);
    EXPECT_EQ(h, 650);
    TailleFenetre(TZoom::X2, l, h);
    EXPECT_EQ(Place(l, h, TZoom::X2).Ecran, (TRect{16, 56, 2048, 1152}));
    // ×2 asked in a window too small for it: the sharp ×1, centred.
    const TPlacement p = Place(1600, 1000, TZoom::X2);
    EXPECT_EQ(p.Facteur, 1);
    EXPECT_EQ(p.Ecran.L, 1024);
    EXPECT_EQ(p.Ecran.X, 16 + (1564 - 1024) / 2);
    // Fitted: as large as the room allows, exactly 16:9, smooth.
    for (auto [fl, fh] : {std::pair{1600, 1000}, {1060, 650}, {700, 900}, {3000, 700}}) {
        const TPlacement a = Place(fl, fh, TZoom::Ajuste);
        const TRect zone = ZoneEcran(fl, fh, false);
        EXPECT_EQ(a.Facteur, 0);
        EXPECT_EQ(a.Ecran.L * 9, a.Ecran.H * 16);
        EXPECT_LE(a.Ecran.L, zone.L);
        EXPECT_LE(a.Ecran.H, zone.H);
        EXPECT_TRUE(zone.L - a.Ecran.L < 16 || zone.H - a.Ecran.H < 9) << fl << "x" << fh;
    }
    // Not even 1:1 fits: scaled down rather than cut.
    EXPECT_EQ(Place(800, 600, TZoom::X1).Facteur, 0);
    EXPECT_LE(Place(800, 600, TZoom::X1).Ecran.L, 764);
    // Full screen: the whole window, centred.
    EXPECT_EQ(Place(1920, 1080, TZoom::X1, true).Ecran, (TRect{448, 252, 1024, 576}));
    EXPECT_EQ(Place(1920, 1080, TZoom::Ajuste, true).Ecran, (TRect{0, 0, 1920, 1080}));
    EXPECT_EQ(Place(0, 0, TZoom::Ajuste).Ecran.L, 16);
}

// Ctrl+2 on a screen of 1920 × 1200 (a frame of 2 + 30 pixels): the ×2
// window (2084 × 1226) would not fit, ×1 does; on 2560 × 1600 ×2 fits.
TEST(PlacementEcran, AZoomNeverMakesTheWindowLargerThanTheScreen) {
    EXPECT_EQ(ZoomQuiTient(TZoom::X2, 1920 - 4, 1200 - 32), TZoom::X1);
    EXPECT_EQ(ZoomQuiTient(TZoom::X2, 2560 - 4, 1600 - 32), TZoom::X2);
    EXPECT_EQ(ZoomQuiTient(TZoom::X2, 2084, 1226), TZoom::X2); // exactly
    EXPECT_EQ(ZoomQuiTient(TZoom::X2, 2084, 1225), TZoom::X1);
    EXPECT_EQ(ZoomQuiTient(TZoom::X1, 800, 600), TZoom::X1); // nothing smaller: the window shrinks
    EXPECT_EQ(ZoomQuiTient(TZoom::Ajuste, 800, 600), TZoom::Ajuste);
    // A window moved back within the screen, top-left corner first.
    const TRect ecran{0, 0, 1920, 1200};
    EXPECT_EQ(DansLaZone({900, 700, 1064, 682}, ecran), (TRect{856, 518, 1064, 682}));
    EXPECT_EQ(DansLaZone({-50, -10, 1064, 682}, ecran), (TRect{0, 0, 1064, 682}));
    EXPECT_EQ(DansLaZone({100, 100, 2500, 1300}, ecran), (TRect{0, 0, 2500, 1300}));
    EXPECT_EQ(DansLaZone({100, 100, 800, 600}, {1920, 0, 1280, 1024}), (TRect{1920, 100, 800, 600}));
}

// ×1 and ×2 stay sharp while the window has their size; once the user drags
// its corner the picture follows the window, as "Ajuster à la fenêtre".
TEST(PlacementEcran, ResizingTheWindowScalesThePicture) {
    EXPECT_EQ(ZoomEffectif(TZoom::X1, 1060, 650, false), TZoom::X1);
    EXPECT_EQ(ZoomEffectif(TZoom::X2, 2084, 1226, false), TZoom::X2);
    EXPECT_EQ(ZoomEffectif(TZoom::X1, 1400, 900, false), TZoom::Ajuste);
    EXPECT_EQ(ZoomEffectif(TZoom::X2, 1060, 650, false), TZoom::Ajuste);
    EXPECT_EQ(ZoomEffectif(TZoom::X1, 1061, 650, false), TZoom::Ajuste);
    EXPECT_EQ(ZoomEffectif(TZoom::X1, 1920, 1080, true), TZoom::X1); // full screen keeps the sharp picture
    const TPlacement p = Place(1400, 900, ZoomEffectif(TZoom::X1, 1400, 900, false));
    EXPECT_EQ(p.Facteur, 0);
    EXPECT_GT(p.Ecran.L, 1024);
}

// The drive lights: lit at least 150 ms after the last operation seen, bright
// green reading, red writing or formatting; at rest dim for a drive that
// holds a disk, dark for an empty one.
TEST(VoyantsLecteurs, HeldLongEnoughToSeeAndShowWhichDrivesHoldADisk) {
    TActiviteLecteurs activite;
    TVoyantsLecteurs v;
    auto disque = [](int slot) { return slot == 1 || slot == 3; };
    v.Maj(activite, disque, 1000);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Monte);
    EXPECT_EQ(v.Aspect(2), TAspectVoyant::Vide);
    EXPECT_EQ(v.AvantRepos(1000), 0u);
    activite.ActiviteLecteur(1, TOperationLecteur::Lecture); // one sector, a few microseconds
    activite.ActiviteLecteur(3, TOperationLecteur::Formatage);
    v.Maj(activite, disque, 1001);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Lecture);
    EXPECT_EQ(v.Aspect(3), TAspectVoyant::Ecriture);
    EXPECT_EQ(v.AvantRepos(1001), 150u);
    v.Maj(activite, disque, 1150);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Lecture); // 149 ms after
    EXPECT_EQ(v.AvantRepos(1150), 1u);
    // A write keeps drive 1 lit, now red, for 150 ms more.
    activite.ActiviteLecteur(1, TOperationLecteur::Ecriture);
    v.Maj(activite, disque, 1151);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Ecriture);
    EXPECT_EQ(v.Aspect(3), TAspectVoyant::Monte); // 150 ms after its format
    EXPECT_EQ(v.AvantRepos(1151), 150u);
    v.Maj(activite, disque, 1301);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Monte);
    EXPECT_EQ(v.AvantRepos(1301), 0u);
    // A drive emptied since: no light at all; a light held across the tick
    // count's wrap still goes out.
    activite.ActiviteLecteur(2, TOperationLecteur::Lecture);
    v.Maj(activite, [](int) { return false; }, 0xFFFFFFF0u);
    EXPECT_EQ(v.Aspect(2), TAspectVoyant::Lecture);
    EXPECT_EQ(v.Aspect(1), TAspectVoyant::Vide);
    v.Maj(activite, [](int) { return false; }, 140);
    EXPECT_EQ(v.Aspect(2), TAspectVoyant::Vide);
    EXPECT_EQ(v.Aspect(0), TAspectVoyant::Vide);
    EXPECT_EQ(v.Aspect(7), TAspectVoyant::Vide);
}

TEST(Dossiers, BuildFolderWhenWritableUserFoldersOtherwiseOrWhenInstalled) {
    TDossierProgramme d;
    d.Ecrit("QBM71K.bin", "rom");
    const TEnvironnementDossiers env{"/home/u", "", ""};
    auto oui = [](const std::string&) { return true; };
    auto non = [](const std::string&) { return false; };
    const TDossiers local = ChoisitDossiers(d.Dir(), env, oui);
    EXPECT_EQ(local.Programme, d.Dir());
    EXPECT_EQ(local.Parametres, d.Dir());
    EXPECT_EQ(DossierCaptures(local), d.Dir() + "Captures/");
    EXPECT_FALSE(local.Utilisateur);
    const TDossiers lecture = ChoisitDossiers(d.Dir(), env, non);
    EXPECT_EQ(lecture.Programme, d.Dir());
    EXPECT_EQ(lecture.Parametres, "/home/u/.config/EmulZorv/");
    EXPECT_EQ(DossierCaptures(lecture), "/home/u/.local/share/EmulZorv/Captures/");
    // XDG variables count when absolute.
    EXPECT_EQ(ChoisitDossiers(d.Dir(), {"/home/u", "/x/conf", "rel"}, non).Parametres, "/x/conf/EmulZorv/");
    EXPECT_EQ(ChoisitDossiers(d.Dir(), {"/home/u", "/x/conf", "rel"}, non).Donnees, "/home/u/.local/share/EmulZorv/");
    // Installed: bin/ without images, share/emulzorv/ with them; the user's
    // folders even when bin/ could be written (root).
    std::filesystem::create_directories(d.Chemin / "bin");
    std::filesystem::create_directories(d.Chemin / "share/emulzorv");
    d.Ecrit("share/emulzorv/QBM71K.bin", "rom");
    const TDossiers installe = ChoisitDossiers(d.Fichier("bin"), env, oui);
    EXPECT_TRUE(std::filesystem::equivalent(installe.Programme, d.Chemin / "share/emulzorv"));
    EXPECT_TRUE(installe.Utilisateur);
    EXPECT_EQ(installe.Parametres, "/home/u/.config/EmulZorv/");
}

struct Capture : TMachineEssai {};

TEST_F(Capture, PngHoldsTheScreenAsShownUnderAFreeDatedName) {
    TDossierProgramme d;
    const THeureLocale h{2026, 12, 9, 3, 14, 5, 33, 0};
    EXPECT_EQ(NomCapture(h), "Zorvex-2026-12-09-14h05m33.png");
    EXPECT_EQ(NomCapture(h, 3), "Zorvex-2026-12-09-14h05m33-3.png");
    // PDF prints are named the same way.
    EXPECT_EQ(NomHorodate(h, ".pdf", 2), "Zorvex-2026-12-09-14h05m33-2.pdf");
    std::string plein;
    EXPECT_EQ(CheminHorodateLibre("/d/", h, ".pdf", plein, [](const std::string&) { return true; }), "");
    EXPECT_NE(plein.find("seconde"), std::string::npos) << plein;
    EXPECT_EQ(CheminHorodateLibre("/d/", h, ".pdf", plein,
                                  [](const std::string& c) { return c.find("-5.pdf") == std::string::npos; }),
              "/d/Zorvex-2026-12-09-14h05m33-5.pdf");
    m->RamTv[0] = 0xC1; // inverse video, so the bitmap is not uniform
    m->GraphZorv[0x1234] = 5;
    std::string erreur;
    const std::string premier = EnregistreCapture(*m, d.Fichier("Captures"), h, erreur);
    ASSERT_EQ(premier, d.Fichier("Captures/Zorvex-2026-12-09-14h05m33.png")) << erreur;
    const std::string second = EnregistreCapture(*m, d.Fichier("Captures"), h, erreur);
    EXPECT_EQ(second, d.Fichier("Captures/Zorvex-2026-12-09-14h05m33-2.png"));
    std::vector<uint8_t> png;
    ASSERT_EQ(LitFichierEntier(premier, png), TLectureFichier::Ok);
    DessineEcran(*m);
    EXPECT_EQ(png, CodePngBgr(m->BmpEcran.data(), LargeurEcran, HauteurEcran));
    // A file where the folder should be: the reason, nothing written.
    d.Ecrit("fichier", "x");
    EXPECT_EQ(EnregistreCapture(*m, d.Fichier("fichier"), h, erreur), "");
    EXPECT_NE(erreur.find("dossier"), std::string::npos) << erreur;
    EXPECT_EQ(d.Lit("fichier"), "x");
}

TEST(ParametresFenetre, StoredBesideTheOtherSettingsAndReadBackSafely) {
    TDossierProgramme d;
    const std::string ini = d.Fichier("EmulZorv.ini");
    EXPECT_EQ(LitParametresFenetre(ini), TParametresFenetre{});
    d.Ecrit("EmulZorv.ini", "; notes\n[Machine]\nMachine=T9-16\n");
    std::string erreur;
    ASSERT_TRUE(EcritParametresFenetre(ini, {TZoom::Ajuste, true, std::nullopt}, erreur)) << erreur;
    EXPECT_EQ(LitParametresFenetre(ini), (TParametresFenetre{TZoom::Ajuste, true, std::nullopt}));
    EXPECT_NE(d.Lit("EmulZorv.ini").find("; notes\n[Machine]\nMachine=T9-16\n"), std::string::npos);
    d.Ecrit("EmulZorv.ini", "[Fenetre]\nZoom=7\nPleinEcran=oui\n");
    EXPECT_EQ(LitParametresFenetre(ini), TParametresFenetre{});
}

struct Pause : TMachineEssai {};

TEST_F(Pause, StopsAndResumesLikeTheDebuggerAndLeavesAHaltAlone) {
    // A pause while the program runs: the run comes back with the cause Pause.
    Code(0x2000, {0xC3, 0x00, 0x20}); // JMP 2000H
    m->RegPC = 0x2000;
    m->ChangeEtatCPU(CPURun);
    EXPECT_EQ(m->Execute(1000).Cause, TCauseArret::Budget);
    EXPECT_FALSE(BasculePause(*m));
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->Execute(1000).Cause, TCauseArret::Pause);
    // Resuming posts the run message (the run loop is not entered here).
    hote.Messages.clear();
    EXPECT_TRUE(BasculePause(*m));
    ASSERT_EQ(hote.Messages.size(), 1u);
    EXPECT_EQ(hote.Messages[0].Numero, MsgLanceEmulation);
    m->ChangeEtatCPU(CPUHalt);
    hote.Messages.clear();
    EXPECT_FALSE(BasculePause(*m));
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_TRUE(hote.Messages.empty());
}

// The paste: a long text with Windows and Unix line ends arrives whole, in
// order, through the real translation, as fast as a program drains the queue.
struct Collage : TMachineEssai {};

TEST_F(Collage, LongTextArrivesWholeOnTheVirtualClock) {
    EXPECT_EQ(MessagesDuTexte(u"a\r\nb\rc\nd\te\x01\x7F").size(), 9u); // a ⏎ b ⏎ c ⏎ d Tab e
    // IN E2 until a key is there, IN C2, store, OUT E2, again.
    Code(0x2000, {0x21, 0x00, 0x40, 0xDB, 0xE2, 0xE6, 0x80, 0xCA, 0x03, 0x20, 0xDB, 0xC2,
                  0x77, 0x23, 0xD3, 0xE2, 0xC3, 0x03, 0x20});
    m->RegPC = 0x2000;
    m->ModeClavier = 0;
    std::u16string texte, attendu;
    for (int i = 0; i < 1500; ++i) {
        const char16_t c = char16_t(u'!' + i % 90);
        texte += c;
        attendu += c;
        if (i % 50 == 49) {
            texte += u"\r\n";
            attendu += u'\r';
        }
    }
    TFrappeTexte collage(MessagesDuTexte(texte));
    TContexteClavier ctx;
    for (int tour = 0; tour < 20000 && !collage.Fini(); ++tour) {
        collage.Alimente(*m, ctx);
        m->Execute(200);
    }
    m->Execute(5000);
    ASSERT_TRUE(collage.Fini());
    std::u16string recu;
    for (size_t i = 0; i < attendu.size(); ++i) recu += char16_t(m->ZorvMem[0x4000 + i]);
    EXPECT_EQ(recu, attendu);
    EXPECT_EQ(m->ZorvMem[0x4000 + attendu.size()], 0);
}

TEST(ToucheMorte, KeysTheAccentDoesNotTakeComeAfterItAsOnWindows) {
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Circonflexe, u'x'), u"^x");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Circonflexe, u'1'), u"^1");
    EXPECT_EQ(ComposeApresCleMorte(TAccent::Circonflexe, u' '), u"^");
    // What an input method composes that no such keyboard would.
    EXPECT_EQ(RepliComposition(u'\u00B9'), u"^1");
    EXPECT_EQ(RepliComposition(u'\u00B3'), u"^3");
    EXPECT_EQ(RepliComposition(u'\u0175'), u"^w");
    EXPECT_EQ(RepliComposition(u'\u1E8D'), u"\u00A8x");
    EXPECT_EQ(RepliComposition(u'\u00EA'), u"");
    EXPECT_EQ(RepliComposition(u'x'), u"");
}

const TLigneAideClavier* Ligne(const std::vector<TLigneAideClavier>& lignes, const std::string& touche) {
    for (const TLigneAideClavier& l : lignes)
        if (l.Touche == touche) return &l;
    return nullptr;
}

TEST(AideClavier, TableComesFromTheRulesOfEachMode) {
    const auto ttx = AideClavier(1), basic = AideClavier(0), apl = AideClavier(2);
    ASSERT_TRUE(Ligne(ttx, "\u00ea"));
    EXPECT_EQ(Ligne(ttx, "\u00ea")->Entrees, "0256 0345");
    ASSERT_TRUE(Ligne(basic, "\u00ea"));
    EXPECT_EQ(Ligne(basic, "\u00ea")->Entrees, "0215");
    EXPECT_EQ(Ligne(basic, "\u00ea")->Machine, "\u00ea");
    EXPECT_FALSE(Ligne(apl, "\u00ea"));
    EXPECT_EQ(Ligne(ttx, "Ctrl+O")->Entrees, "0029");
    EXPECT_EQ(Ligne(basic, "Ctrl+O")->Entrees, "0219");
    EXPECT_EQ(Ligne(ttx, "Alt+S")->Entrees, "003F");
    EXPECT_EQ(Ligne(basic, "Alt+S")->Entrees, "020F");
    EXPECT_TRUE(Ligne(basic, "Alt+F4"));
    EXPECT_TRUE(Ligne(ttx, "Haut"));
    EXPECT_FALSE(Ligne(basic, "Haut"));
    EXPECT_EQ(Ligne(basic, "Retour arri\u00e8re")->Entrees, "071A 071D");
    EXPECT_EQ(Ligne(basic, "Gauche")->Entrees, "071A");
    EXPECT_EQ(Ligne(basic, "Ctrl+Gauche")->Entrees, "041A");
    EXPECT_FALSE(Ligne(basic, "Maj+Entr\u00e9e")); // same as Entrée alone
    EXPECT_EQ(Ligne(ttx, "Ctrl+Maj+A \u2026 Ctrl+Maj+Z")->Entrees, "0241 \u2026 025A");
    ASSERT_TRUE(Ligne(basic, "espace \u2026 ~"));
    EXPECT_EQ(Ligne(basic, "espace \u2026 ~")->Entrees, "0320 \u2026 037E");
    EXPECT_EQ(Ligne(basic, "Tab")->Machine, ""); // a control code, not text
    EXPECT_FALSE(Ligne(basic, "Ctrl+Maj+Gauche")); // as Ctrl+Gauche
    const auto aideDatee = AideClavier(0, 2026, 12, 7); // kept: the line points into it
    const auto f9 = Ligne(aideDatee, "F9");
    ASSERT_TRUE(f9);
    EXPECT_EQ(f9->Machine, "07/12/2026\u21B5");
    // Mode 1 moves the at sign: the run of ASCII characters breaks there.
    EXPECT_EQ(Ligne(ttx, "@")->Entrees, "0360");
    EXPECT_EQ(Ligne(basic, "@"), nullptr);
    EXPECT_EQ(NomModeClavier(-1), "INCONNU");
    EXPECT_EQ(NomModeClavier(1), "TTX");
}

} // namespace
