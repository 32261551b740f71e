#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "DossierProgramme.h"
#include "config/FichierIni.h"
#include "config/Parametres.h"
#include "config/Modeles.h"
#include "core/HoteVirtuel.h"
#include "core/Machine.h"

namespace {

TEST(FichierIni, ProfileSemantics) {
    TFichierIni ini;
    ini.ChargeTexte("\xEF\xBB\xBF; commentaire\r\n[affichage]\r\n  TEXTE =  2  \r\nvide=\r\n"
                    "Guillemets=\" a b \"\r\n[Affichage]\r\nTexte=1\r\n");
    EXPECT_EQ(ini.LitEntier("Affichage", "Texte", 9), 2); // first section, case ignored
    EXPECT_EQ(ini.LitTexte("AFFICHAGE", "vide", "x"), "");
    EXPECT_EQ(ini.LitTexte("Affichage", "Guillemets", ""), " a b ");
    EXPECT_EQ(ini.LitTexte("Affichage", "Absente", "def"), "def");
    EXPECT_EQ(ini.LitTexte("Nulle", "Texte", "def"), "def");
}

TEST(FichierIni, IntegersTakeLeadingDigitsAndDefaultWhenNotNumeric) {
    TFichierIni ini;
    ini.ChargeTexte("[S]\na=12abc\nb=abc\nc=-1\nd=\ne=+7\nf=99999999999999\ng=-\n");
    EXPECT_EQ(ini.LitEntier("S", "a", 5), 12);
    EXPECT_EQ(ini.LitEntier("S", "b", 5), 5);
    EXPECT_EQ(ini.LitEntier("S", "c", 5), -1);
    EXPECT_EQ(ini.LitEntier("S", "d", 5), 5);
    EXPECT_EQ(ini.LitEntier("S", "e", 5), 7);
    EXPECT_EQ(ini.LitEntier("S", "f", 5), 2147483647);
    EXPECT_EQ(ini.LitEntier("S", "g", 5), 5);
}

TEST(FichierIni, WritingAKeyKeepsTheRestOfTheFile) {
    TFichierIni ini;
    ini.ChargeTexte("; garde\n[A]\nx=1\n; note\ny=2\n\n[B]\nz=3\n");
    ini.EcritTexte("a", "X", "10");   // replaced in place
    ini.EcritTexte("A", "w", "4");    // appended after the last line of [A]
    ini.EcritTexte("C", "k", "v");    // new section at the end
    EXPECT_EQ(ini.Texte(), "; garde\n[A]\nX=10\n; note\ny=2\nw=4\n\n[B]\nz=3\n\n[C]\nk=v\n");
}

TEST(FichierIni, GarbledTextNeverBreaksTheReader) {
    std::string dechets;
    std::mt19937 alea(7);
    for (int i = 0; i < 20000; ++i) dechets += char(alea() % 256);
    dechets += "\n[[[\n]=]\n=\n[Affichage\nTexte=1\n";
    TFichierIni ini;
    ini.ChargeTexte(dechets);
    EXPECT_EQ(ini.LitEntier("Affichage", "Texte", 0), 1);
    ini.EcritEntier("Affichage", "Texte", 2);
    EXPECT_EQ(ini.LitEntier("Affichage", "Texte", 0), 2);
}

struct Parametres : ::testing::Test {
    TDossierProgramme dossier;
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    THoteVirtuel hote{m.get()};
    TParametres p;
    void SetUp() override {
        m->Hote = &hote;
        m->Machines = ListeModeles();
        p.ProgDir = dossier.Dir();
    }
    void Lit(const std::string& texte) {
        dossier.Ecrit("EmulZorv.ini", texte);
        LitParametres(*m, p);
    }
};

TEST_F(Parametres, FirstStartWritesTheDefaults) {
    LitParametres(*m, p);
    const std::string attendu =
        "[Machine]\nMachine=T7E\n\n"
        "[Impression]\nImprimante=D\u00e9faut\nAttente=-1\nPoints=9\nNoPage=0\nImprEnTete=0\nEnTete=\nImprHexa=0\n\n"
        "[Affichage]\nTexte=0\nPlansGraph=4\nGraphique=0\n\n"
        "[Clavier]\nClavier=0\n\n[Switches]\nSwitches=255\n\n[Disquettes]\nDisques1et2=0\n\n"
        "[Images]\nD1=\nD2=\nD9=\nD10=\nD11=\nD12=\n\n"
        "[Vitesse]\nReelle=0\nHorlogeKHz=3000\n";
    EXPECT_EQ(dossier.Lit("EmulZorv.ini"), attendu);
    EXPECT_EQ(p.GenCarZorv, dossier.Dir() + "G-CAR-T9.bin");
    EXPECT_EQ(p.RomBootZorv, dossier.Dir() + "QBM71K.bin");
    EXPECT_EQ(p.ROM128KZorv, dossier.Dir() + "T318-C.bin");
    EXPECT_EQ(m->TimeOutImpr, -1);
    EXPECT_EQ(m->PointsImpr, 9);
    EXPECT_TRUE(hote.Erreurs.empty());
}

TEST_F(Parametres, RangeRules) {
    Lit("[Impression]\nPoints=13\nAttente=0\nNoPage=2\nImprEnTete=1\n[Affichage]\nPlansGraph=0\nTexte=3\n"
        "Graphique=4\n[Clavier]\nClavier=-1\n[Switches]\nSwitches=511\n[Disquettes]\nDisques1et2=2\n");
    EXPECT_EQ(m->PointsImpr, 9);
    EXPECT_EQ(m->TimeOutImpr, -1);
    EXPECT_FALSE(m->ImprNoPage);
    EXPECT_TRUE(m->ImprEnTete);
    EXPECT_EQ(m->PlansGraph, 4);
    EXPECT_EQ(m->IndCoulTxt, 0);
    EXPECT_EQ(m->IndCoulGrph, 0);
    EXPECT_EQ(m->ModClavParam, 0);
    EXPECT_EQ(m->NumPoste, 255);
    EXPECT_EQ(p.TypeDsq12, 0);

    Lit("[Impression]\nPoints=7\nAttente=30\n[Affichage]\nPlansGraph=1\nTexte=2\nGraphique=3\n"
        "[Clavier]\nClavier=2\n[Switches]\nSwitches=300\n[Disquettes]\nDisques1et2=1\n");
    EXPECT_EQ(m->PointsImpr, 7);
    EXPECT_EQ(m->TimeOutImpr, 30);
    EXPECT_EQ(m->PlansGraph, 1);
    EXPECT_EQ(m->IndCoulTxt, 2);
    EXPECT_EQ(m->IndCoulGrph, 3);
    EXPECT_EQ(m->ModClavParam, 2);
    EXPECT_EQ(m->NumPoste, 300 & 0xFF);
    EXPECT_EQ(p.TypeDsq12, 1);
}

TEST_F(Parametres, SpeedModeAndClock) {
    Lit("[Vitesse]\nReelle=1\nHorlogeKHz=6144\n");
    EXPECT_TRUE(p.VitesseReelle);
    EXPECT_EQ(p.HorlogeKHz, 6144u);
    // Out of range or not a number: the default clock; anything but 1 is the maximum speed.
    Lit("[Vitesse]\nReelle=2\nHorlogeKHz=0\n");
    EXPECT_FALSE(p.VitesseReelle);
    EXPECT_EQ(p.HorlogeKHz, HorlogeDefautKHz);
    Lit("[Vitesse]\nHorlogeKHz=abc\n");
    EXPECT_EQ(p.HorlogeKHz, HorlogeDefautKHz);
    p.VitesseReelle = true;
    p.HorlogeKHz = 2000;
    ASSERT_TRUE(EcrireParametres(*m, p));
    TParametres relu;
    relu.ProgDir = p.ProgDir;
    LitParametres(*m, relu);
    EXPECT_TRUE(relu.VitesseReelle);
    EXPECT_EQ(relu.HorlogeKHz, 2000u);
}

TEST_F(Parametres, ModelNames) {
    Lit("[Machine]\nMachine=T9-36T9-32\n");
    EXPECT_EQ(m->Machine, 9);
    EXPECT_EQ(m->AncienneMach, 9);
    EXPECT_EQ(m->MaxAdrRam, 0x9FFF);
    Lit("[Machine]\nMachine=T9-32\n");
    EXPECT_EQ(m->Machine, 0);
    EXPECT_EQ(m->MaxAdrRam, 0xFFFF);
    Lit("[Machine]\nMachine=t9-04\n");
    EXPECT_EQ(m->Machine, 16);
    EXPECT_EQ(m->MaxAdrRam, 0x2FFF);
}

TEST_F(Parametres, ImageNamesAndMissingDisks) {
    dossier.Ecrit("present.img", "x");
    Lit("[Fonte]\nFonte=/roms/car.bin\n[Boot]\nBoot=boot.bin\n[Images]\nD1=" + dossier.Fichier("present.img") +
        "\nD2=/disques/absent.img\nD12=autre.img\n");
    EXPECT_EQ(p.GenCarZorv, "/roms/car.bin");
    EXPECT_EQ(p.RomBootZorv, dossier.Dir() + "boot.bin");
    EXPECT_EQ(p.ChargeImages[1], dossier.Fichier("present.img"));
    EXPECT_EQ(p.ChargeImages[2], "");
    EXPECT_EQ(p.ChargeImages[12], "");
    ASSERT_EQ(hote.Erreurs.size(), 2u);
    EXPECT_EQ(hote.Erreurs[0], "Param\u00e8tres : le fichier image absent.img n'existe pas");
    EXPECT_EQ(hote.Erreurs[1], "Param\u00e8tres : le fichier image autre.img n'existe pas");
}

TEST_F(Parametres, AnImageThatIsNoFileIsNamedForWhatItIsWithItsPath) {
    const std::string dossierImage = dossier.Dir() + "sous";
    std::filesystem::create_directories(dossierImage);
    Lit("[Images]\nD1=" + dossierImage + "\nD9=/dev/null\n");
    EXPECT_EQ(p.ChargeImages[1], "");
    EXPECT_EQ(p.ChargeImages[9], "");
    ASSERT_EQ(hote.Erreurs.size(), 2u);
    EXPECT_EQ(hote.Erreurs[0], "Param\u00e8tres : l'image " + dossierImage + " est un dossier");
    EXPECT_EQ(hote.Erreurs[1], "Param\u00e8tres : l'image /dev/null n'est pas un fichier ordinaire");
}

TEST_F(Parametres, RewriteKeepsUserKeysAndNeverWritesImageRoms) {
    dossier.Ecrit("EmulZorv.ini", "; mes r\u00e9glages\n[Boot]\nBoot=a.bin\n[Machine]\nMachine=T9-16\n");
    LitParametres(*m, p);
    m->IndCoulTxt = 1;
    m->EnTeteImpr = "Mon en-t\u00eate";
    ASSERT_TRUE(EcrireParametres(*m, p));
    TFichierIni ini;
    ASSERT_TRUE(ini.Charge(dossier.Fichier("EmulZorv.ini")));
    EXPECT_EQ(ini.LitTexte("Boot", "Boot", ""), "a.bin");
    EXPECT_EQ(ini.LitTexte("Machine", "Machine", ""), "T9-16");
    EXPECT_EQ(ini.LitEntier("Affichage", "Texte", 0), 1);
    EXPECT_EQ(ini.LitTexte("Impression", "EnTete", ""), "Mon en-t\u00eate");
    EXPECT_FALSE(ini.Existe("Fonte", "Fonte"));
    EXPECT_FALSE(ini.Existe("AccesRAM", "AccesRAM"));
    EXPECT_EQ(dossier.Lit("EmulZorv.ini").rfind("; mes r\u00e9glages\n", 0), 0u);
}

TEST_F(Parametres, GarbledFileGivesTheDefaults) {
    std::string dechets = "[Affichage]\nTexte=\xFF\xFE\n[Machine]\nMachine=\x01\x02\n";
    std::mt19937 alea(11);
    for (int i = 0; i < 5000; ++i) dechets += char(alea() % 256);
    Lit(dechets);
    EXPECT_EQ(m->IndCoulTxt, 0);
    EXPECT_EQ(m->Machine, 0);
    EXPECT_EQ(m->PlansGraph, 4);
    EXPECT_EQ(dossier.Lit("EmulZorv.ini"), dechets); // read, never rewritten
}

TEST_F(Parametres, UnwritableFolderIsReportedAndDefaultsStand) {
    p.ProgDir = dossier.Dir() + "absent/";
    LitParametres(*m, p);
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_NE(hote.Erreurs[0].find("EmulZorv.ini"), std::string::npos);
    EXPECT_EQ(m->PlansGraph, 4);
}

} // namespace
