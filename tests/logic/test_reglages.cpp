// The two settings windows as values: filling from the record, storing in
// order, the model change (reset or not, the bank message to the debugger),
// the end-of-job time-out and the printer font size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DossierProgramme.h"
#include "MachineEssai.h"
#include "config/ChargeRoms.h"
#include "config/FichierIni.h"
#include "config/Modeles.h"
#include "config/Parametres.h"
#include "config/ReglagesEmulateur.h"
#include "config/ReglagesImprimante.h"
#include "core/Machine.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;

struct Reglages : TMachineEssai {
    TDossierProgramme dossier;
    TParametres& p = poste->Parametres;
    std::vector<TIdFenetre> fenetres;
    int appelsDebogueur = 0;
    TFenetresDebogueur debogueur = [this] {
        ++appelsDebogueur;
        return fenetres;
    };

    void SetUp() override {
        TMachineEssai::SetUp();
        m->Machines = ListeModeles();
        p.ProgDir = dossier.Dir();
    }
    void Lit(const std::string& ini) {
        dossier.Ecrit("EmulZorv.ini", ini);
        LitParametres(*m, p);
    }
    std::string Ini() const { return dossier.Lit("EmulZorv.ini"); }
    int Cle(const std::string& section, const std::string& cle) const {
        TFichierIni ini;
        ini.ChargeTexte(Ini());
        return ini.LitEntier(section, cle, -99);
    }
    TEffetsEmulateur Confirme(const TReglagesEmulateur& r) { return AppliqueReglagesEmulateur(r, *m, p, debogueur); }
    // The monitor of the program folder, started on the current model.
    std::string Banniere() {
        for (int i = 0; i < 400; ++i) {
            m->Execute(20000);
            std::string s;
            for (int c = 0; c < 80; ++c) s += char(m->RamTv[size_t(128 + c)] & 0x7F);
            s = s.substr(0, s.find_last_not_of(' ') + 1);
            if (s.find("k-octets") != std::string::npos) return s;
        }
        return {};
    }
};

TEST_F(Reglages, FillingShowsTheCurrentKeyboardModeSwitchesAndModel) {
    Lit("[Clavier]\nClavier=0\n[Switches]\nSwitches=129\n[Machine]\nMachine=T9-16\n"
        "[Affichage]\nTexte=2\nPlansGraph=2\nGraphique=3\n[Disquettes]\nDisques1et2=1\n");
    m->ModeClavier = 1; // announced by the software, the settings say Basic
    const TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    ASSERT_EQ(r.Clavier, 2);
    EXPECT_STREQ(ModesClavier[size_t(r.Clavier)], "Mode traitement de textes");
    EXPECT_EQ(r.Switches, (std::array<bool, 8>{true, false, false, false, false, false, false, true}));
    EXPECT_EQ(r.EmulRam, 13);
    EXPECT_EQ(LibelleModele(r.EmulRam), "T9 - 16 k-octets");
    EXPECT_EQ(r.CoulTexte, 2);
    EXPECT_EQ(r.PlansG, 1);
    EXPECT_EQ(r.CoulGraph, 3);
    EXPECT_EQ(r.Dsq12, 1);
    m->ModeClavier = 7; // no such item: nothing selected, and OK keeps it
    TReglagesEmulateur sans = LitReglagesEmulateur(*m, p);
    EXPECT_EQ(sans.Clavier, -1);
    Confirme(sans);
    EXPECT_EQ(m->ModeClavier, 7);
}

TEST_F(Reglages, UnknownModeStoresMinusOneAndKeepsTheStoredMode) {
    Lit("[Clavier]\nClavier=2\n");
    m->ModeClavier = 1;
    TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    r.Clavier = 0; // "Mode inconnu"
    const TEffetsEmulateur e = Confirme(r);
    EXPECT_TRUE(e.Fichier);
    EXPECT_FALSE(e.Raz);
    EXPECT_EQ(m->ModeClavier, -1);
    EXPECT_EQ(m->ModClavParam, 2);
    EXPECT_EQ(Cle("Clavier", "Clavier"), 2);
}

TEST_F(Reglages, TickedBoxesAreBitsOfTheSwitches) {
    Lit("[Switches]\nSwitches=0\n");
    TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    r.Switches[7] = r.Switches[0] = true;
    Confirme(r);
    EXPECT_EQ(m->NumPoste, 129);
    EXPECT_NE(Ini().find("\nSwitches=129\n"), std::string::npos) << Ini();
    r.Switches.fill(false);
    r.Switches[3] = true;
    Confirme(r);
    EXPECT_EQ(Cle("Switches", "Switches"), 8);
}

TEST_F(Reglages, ColoursAreChosenAndTheScreenRepainted) {
    Lit("[Affichage]\nTexte=0\n");
    const TRGB vert = m->CouleurTexte;
    const int repeints = hote.NbRepeints;
    TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    EXPECT_FALSE(Confirme(r).Couleurs);
    EXPECT_EQ(hote.NbRepeints, repeints + 1); // repainted on every OK
    r.CoulTexte = 1;
    r.PlansG = 0;
    EXPECT_TRUE(Confirme(r).Couleurs);
    EXPECT_EQ(m->IndCoulTxt, 1);
    EXPECT_EQ(m->PlansGraph, 1);
    EXPECT_NE(m->CouleurTexte, vert);
    EXPECT_EQ(Cle("Affichage", "Texte"), 1);
    EXPECT_EQ(Cle("Affichage", "PlansGraph"), 1);
    r.CoulTexte = -1; // nothing selected: the field stays
    Confirme(r);
    EXPECT_EQ(m->IndCoulTxt, 1);
}

TEST_F(Reglages, SameModelDoesNotResetButStillTellsEachDebuggerWindow) {
    Lit("[Machine]\nMachine=T7E\n");
    std::vector<TMessage> recus;
    auto recoit = [&recus](const TMessage& msg) { recus.push_back(msg); };
    fenetres = {poste->Distributeur.Abonne(recoit), poste->Distributeur.Abonne(recoit)};
    m->RegPC = 0x1234;
    m->ZorvMem[0x3000] = 0x5A;
    const TEffetsEmulateur e = Confirme(LitReglagesEmulateur(*m, p));
    EXPECT_FALSE(e.Raz);
    EXPECT_EQ(m->RegPC, 0x1234);
    EXPECT_EQ(appelsDebogueur, 1);
    EXPECT_EQ(e.MessagesBanque, 2u);
    EXPECT_TRUE(recus.empty()); // posted, not sent
    hote.Pompe();
    ASSERT_EQ(recus.size(), 2u);
    EXPECT_EQ(recus[0], (TMessage{MsgChoixBanque, fenetres[0], 1, 0}));
    EXPECT_EQ(recus[1], (TMessage{MsgChoixBanque, fenetres[1], 1, 0}));
    // No debugger: nothing posted, nothing asked.
    const size_t postes = hote.Messages.size();
    EXPECT_EQ(AppliqueReglagesEmulateur(LitReglagesEmulateur(*m, p), *m, p, nullptr).MessagesBanque, 0u);
    EXPECT_EQ(hote.Messages.size(), postes);
}

TEST_F(Reglages, AnotherModelResetsAndTheMonitorShowsItsRam) {
    Lit("[Machine]\nMachine=T7E\n");
    ASSERT_EQ(ChargeRomBoot(*m, Programme + "/QBM71K.bin"), "");
    ASSERT_EQ(ChargeRom128K(*m, Programme + "/T318-C.bin"), "");
    ASSERT_EQ(Banniere(), "M\x18moire vive : 128 k-octets");
    fenetres = {poste->Distributeur.Abonne([](const TMessage&) {})};
    TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    r.EmulRam = 16;
    const TEffetsEmulateur e = Confirme(r);
    EXPECT_TRUE(e.Raz);
    EXPECT_EQ(m->RegPC, 0);
    EXPECT_EQ(m->Machine, 16);
    EXPECT_EQ(m->AncienneMach, 16);
    EXPECT_EQ(m->MaxAdrRam, 0x2FFF);
    EXPECT_NE(Ini().find("\nMachine=T9-04\n"), std::string::npos);
    ASSERT_FALSE(hote.Messages.empty());
    EXPECT_EQ(hote.Messages.back(), (TMessage{MsgChoixBanque, fenetres[0], 0, 0}));
    m->RamTv.fill(0x20);
    EXPECT_EQ(Banniere(), "M\x18moire vive : 4 k-octets");
    // A second OK on the same model is no reset.
    m->RegPC = 0x1234;
    EXPECT_FALSE(Confirme(LitReglagesEmulateur(*m, p)).Raz);
    EXPECT_EQ(m->RegPC, 0x1234);
}

TEST_F(Reglages, DriveTypeWaitsForTheNextStart) {
    Lit("[Disquettes]\nDisques1et2=0\n");
    poste->Lecteurs.InitGeometrie(p.TypeDsq12);
    TReglagesEmulateur r = LitReglagesEmulateur(*m, p);
    r.Dsq12 = 1;
    EXPECT_TRUE(Confirme(r).DisquettesAuDemarrage);
    EXPECT_EQ(poste->Lecteurs.LegendeTaille(1), "800 Ko");
    EXPECT_EQ(Cle("Disquettes", "Disques1et2"), 1);
    r.Dsq12 = 0; // back to the type in force
    EXPECT_FALSE(Confirme(r).DisquettesAuDemarrage);
}

TEST(ReglagesImpression, TimeOutOfTheSecondsField) {
    EXPECT_EQ(TempsImpression(true, "12"), -1);
    EXPECT_EQ(TempsImpression(false, ""), 1);
    EXPECT_EQ(TempsImpression(false, "0"), 1);
    EXPECT_EQ(TempsImpression(false, "-5"), 1);
    EXPECT_EQ(TempsImpression(false, "12"), 12);
    EXPECT_EQ(TempsImpression(false, "007"), 7);
    EXPECT_EQ(TempsImpression(false, "12s"), 1);
    EXPECT_EQ(TempsImpression(false, " 12"), 1);
    EXPECT_EQ(TempsImpression(false, "99999999999"), 1);
}

TEST(ReglagesImpression, FontSizePositions) {
    for (int32_t points = 7; points <= 12; ++points) {
        EXPECT_EQ(PointsDePosition(PositionTaille(points)), points);
        EXPECT_EQ(std::string(TaillesFonte[size_t(PositionTaille(points))]), std::to_string(points) + " points");
    }
    EXPECT_EQ(PositionTaille(6), 2);
    EXPECT_EQ(PositionTaille(13), 2);
    EXPECT_EQ(PointsDePosition(-1), 9);
    EXPECT_EQ(PointsDePosition(6), 9);
}

TEST_F(Reglages, PrinterWindowShowsTheFontInUseAndStoresEveryField) {
    Lit("[Impression]\nPoints=8\nAttente=-1\n");
    ASSERT_EQ(m->PointsImpr, 8);
    PrendTailleFonte(*m); // no job yet
    TReglagesImprimante r = LitReglagesImprimante(*m, p, "");
    EXPECT_STREQ(TaillesFonte[size_t(r.Taille)], "11 points");
    EXPECT_TRUE(r.Manuelle);
    EXPECT_EQ(r.Temps, "5");
    r.Manuelle = false;
    r.Temps = "-5";
    r.Taille = 1;
    r.EnTete = r.NoPage = r.Hexa = true;
    r.TexteEnTete = "Essai\r\nsuite";
    r.Imprimante = "Laser 2";
    const TEffetsImprimante e = AppliqueReglagesImprimante(r, *m, p);
    EXPECT_TRUE(e.Fichier);
    EXPECT_TRUE(e.Imprimante);
    EXPECT_FALSE(e.ImprimeActif);
    EXPECT_EQ(m->TimeOutImpr, 1);
    EXPECT_EQ(m->PointsImpr, 8);
    EXPECT_EQ(m->EnTeteImpr, "Essai  suite");
    EXPECT_EQ(p.Imprimante, "Laser 2");
    TFichierIni ini;
    ini.ChargeTexte(Ini());
    EXPECT_EQ(ini.LitEntier("Impression", "Attente", 0), 1);
    EXPECT_EQ(ini.LitEntier("Impression", "Points", 0), 8);
    EXPECT_EQ(ini.LitTexte("Impression", "EnTete", ""), "Essai  suite");
    EXPECT_EQ(ini.LitTexte("Impression", "Imprimante", ""), "Laser 2");
    EXPECT_EQ(ini.LitEntier("Impression", "NoPage", 0), 1);
    EXPECT_EQ(ini.LitEntier("Impression", "ImprHexa", 0), 1);
    // After a job the font has the stored size; a timed end shows its seconds.
    m->TaillePoliceImpr = 8;
    PrendTailleFonte(*m);
    r = LitReglagesImprimante(*m, p, "33");
    EXPECT_STREQ(TaillesFonte[size_t(r.Taille)], "8 points");
    EXPECT_FALSE(r.Manuelle);
    EXPECT_EQ(r.Temps, "1");
    r.Manuelle = true;
    EXPECT_TRUE(AppliqueReglagesImprimante(r, *m, p).ImprimeActif);
    EXPECT_EQ(m->TimeOutImpr, -1);
    // By hand, the field keeps what it held.
    EXPECT_EQ(LitReglagesImprimante(*m, p, "33").Temps, "33");
}

TEST_F(Reglages, PdfJobsGoBesideTheSettingsFile) {
    EXPECT_EQ(DossierImpressions(p), dossier.Dir() + "Impressions/");
}

} // namespace
