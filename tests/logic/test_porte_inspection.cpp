// The windows' door on the machine (TInspection), the stop report every
// observer hears, and the rule that keeps the window files off the machine
// record.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "MachineEssai.h"
#include "debugger/Debogueur.h"
#include "debugger/TexteArret.h"

namespace {

struct Porte : TMachineEssai {
    TInspection porte = poste->Inspection();
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RegSP = 0x8000;
        m->SelMem = 0x81; // RAM everywhere
    }
};

// Each view writes where it reads, and only there.
TEST_F(Porte, WritesByViewAndBank) {
    struct TCas {
        TVueMemoire Vue;
        uint8_t BanqueCPU;
        uint8_t BanqueEcrite;
    };
    const TCas cas[] = {{TVueMemoire::CPU, 0, 0}, {TVueMemoire::CPU, 1, 1},
                        {TVueMemoire::Banque0, 1, 0}, {TVueMemoire::Banque1, 0, 1}};
    for (const TCas& c : cas) {
        m->ZorvMem.fill(0);
        porte.EcritMemoire(0x4000, c.Vue, 0x5A, c.BanqueCPU);
        const uint8_t autre = uint8_t(1 - c.BanqueEcrite);
        EXPECT_EQ(m->ZorvMem[(uint32_t(c.BanqueEcrite) << 16) | 0x4000], 0x5A) << int(c.Vue);
        EXPECT_EQ(m->ZorvMem[(uint32_t(autre) << 16) | 0x4000], 0) << int(c.Vue);
        EXPECT_EQ(porte.LitMemoire(0x4000, c.Vue, c.BanqueCPU), 0x5A) << int(c.Vue);
    }
}

TEST_F(Porte, BreakpointsKeepTheTemporaryStops) {
    m->TblPtArret[0x3000] = 2; // a run-to's stop
    EXPECT_TRUE(porte.AjoutePtArret(0x3000));
    EXPECT_FALSE(porte.AjoutePtArret(0x3000));
    EXPECT_TRUE(porte.AjoutePtArret(0x1'2345)); // above FFFF: FFFF
    EXPECT_TRUE(porte.EstPtArret(0xFFFF));
    EXPECT_FALSE(porte.BasculePtArret(0x3000));
    EXPECT_FALSE(porte.EstPtArret(0x3000));
    EXPECT_EQ(m->TblPtArret[0x3000], 2);
    EXPECT_TRUE(porte.BasculePtArret(0x0100));
    EXPECT_EQ(porte.PtsArret(), (std::vector<uint16_t>{0x0100, 0xFFFF}));
    EXPECT_TRUE(porte.RetirePtArret(0xFFFF));
    EXPECT_FALSE(porte.RetirePtArret(0xFFFF));
    EXPECT_EQ(porte.PtsArret(), std::vector<uint16_t>{0x0100});
}

// A pause stops only a running processor; a halted one waits for a reset.
TEST_F(Porte, RunRequests) {
    struct TCas {
        TEtatCPU Avant, Apres;
    };
    for (const TCas c : {TCas{CPURun, CPUStop}, TCas{CPUStop, CPUStop}, TCas{CPUHalt, CPUHalt}}) {
        m->ChangeEtatCPU(c.Avant);
        porte.DemandeArret();
        EXPECT_EQ(porte.EtatCPU(), c.Apres) << int(c.Avant);
    }
    hote.Messages.clear();
    porte.DemandeLancement();
    EXPECT_EQ(hote.NumerosPostes(), std::vector<uint32_t>{MsgLanceEmulation});
    m->ChangeEtatCPU(CPURun);
    EXPECT_FALSE(porte.BasculePause());
    EXPECT_EQ(porte.EtatCPU(), CPUStop);
    EXPECT_TRUE(porte.BasculePause());
    EXPECT_FALSE(porte.EmulationTerminee());
    porte.TermineEmulation();
    EXPECT_TRUE(porte.EmulationTerminee());
}

// A key source types at once when it is attached, and never after it is taken off.
TEST_F(Porte, AKeySourceTypesOnceAttached) {
    struct TSource : ISourceTouches {
        int Appels = 0;
        void Alimente(TMachine& mm) override {
            ++Appels;
            mm.AjouteTouche(0x0141);
        }
    } source;
    porte.ChoisitSourceTouches(&source);
    EXPECT_EQ(source.Appels, 1);
    EXPECT_EQ(m->NbCarClav, 1);
    porte.ChoisitSourceTouches(nullptr);
    m->OffreClavier();
    EXPECT_EQ(source.Appels, 1);
    porte.VideClavier();
    EXPECT_EQ(m->NbCarClav, 0);
}

// --- The stop report ---------------------------------------------------------------

struct TEcouteArret : IObservateurCPU {
    std::vector<TRapportArret> Rapports;
    std::vector<TEtatCPU> EtatsAuRapport;
    TMachine* M = nullptr;
    void Arret(const TRapportArret& r) override {
        Rapports.push_back(r);
        EtatsAuRapport.push_back(M->EtatCPU);
        EXPECT_FALSE(M->BoucleActive); // told once the loop is left
    }
};

struct Rapport : Porte {
    TEcouteArret ecoute;
    void SetUp() override {
        Porte::SetUp();
        ecoute.M = m;
        poste->AjouteObservateur(&ecoute);
    }
    void TearDown() override { poste->RetireObservateur(&ecoute); }
    // The run message delivered as the window's message pump does.
    void Lance() {
        porte.DemandeLancement();
        hote.Pompe();
    }
};

TEST_F(Rapport, EveryObserverHearsWhatTheWorkstationKeeps) {
    Code(0x2000, {0x00, 0x00, 0x76}); // NOP NOP HLT
    m->RegPC = 0x2000;
    porte.AjoutePtArret(0x2001);
    Lance();
    ASSERT_EQ(ecoute.Rapports.size(), 1u);
    EXPECT_EQ(ecoute.Rapports[0].Cause, TCauseArret::PointArret);
    EXPECT_EQ(ecoute.Rapports[0].Adresse, 0x2001);
    EXPECT_EQ(ecoute.EtatsAuRapport[0], CPUStop);
    EXPECT_EQ(poste->DernierArret().Cause, TCauseArret::PointArret);
    EXPECT_EQ(TexteRapportArret(poste->DernierArret()), "arrêt : point d'arrêt à 2001H");
    Lance();
    ASSERT_EQ(ecoute.Rapports.size(), 2u);
    EXPECT_EQ(ecoute.Rapports[1].Cause, TCauseArret::Halte);
    EXPECT_EQ(ecoute.Rapports[1].Adresse, 0x2002);
    EXPECT_EQ(ecoute.Rapports[1].Instructions, 2u);
    EXPECT_EQ(poste->DernierArret().Adresse, 0x2002);
}

// A run asked while the loop runs is no run of its own: no report for it.
TEST_F(Rapport, ARefusedRunTellsNothing) {
    m->BoucleActive = true;
    EXPECT_EQ(m->BoucleEmulation(10).Cause, TCauseArret::DejaEnCours);
    m->BoucleActive = false;
    EXPECT_TRUE(ecoute.Rapports.empty());
}

TEST_F(Rapport, AWatchpointNamesItsAccess) {
    Code(0x2000, {0x3E, 0x12, 0x32, 0xFF, 0x2F, 0x76}); // MVI A,12H ; STA 2FFFH ; HLT
    m->RegPC = 0x2000;
    m->ZorvMem[0x2FFF] = 0xAA;
    TSondesDebogueur& sondes = poste->Debogueur().Sondes;
    ASSERT_TRUE(sondes.AjouteSurveillance({0x2FFF, 0x2FFF, asEcriture, TVueSurv::CPU}));
    Lance();
    ASSERT_EQ(ecoute.Rapports.size(), 1u);
    EXPECT_EQ(ecoute.Rapports[0].Cause, TCauseArret::PointSurveillance);
    EXPECT_EQ(TexteRapportArret(ecoute.Rapports[0], sondes), "arrêt : écriture de 2FFFH (AAH → 12H) par 2002H");
    // Any other cause keeps the console's plain line.
    EXPECT_EQ(TexteRapportArret({TCauseArret::Halte, 0x2005, 0}, sondes), "arrêt : HLT à 2005H");
}

TEST(TexteArret, WhichStopsTheWindowsTell) {
    struct TCas {
        TCauseArret Cause;
        bool Annonce;
        const char* Texte;
    };
    const TCas cas[] = {
        {TCauseArret::PointArret, true, "arrêt : point d'arrêt à 1234H"},
        {TCauseArret::ArretTemporaire, true, "arrêt : arrêt temporaire à 1234H"},
        {TCauseArret::Pause, true, "arrêt : pause à 1234H"},
        {TCauseArret::Halte, true, "arrêt : HLT à 1234H"},
        {TCauseArret::PointSurveillance, true, "arrêt : point de surveillance à 1234H"},
        {TCauseArret::FinEmul, false, "arrêt : fin de l'émulation à 1234H"},
        {TCauseArret::Budget, false, "arrêt : nombre d'instructions atteint à 1234H"},
        {TCauseArret::DejaEnCours, false, "arrêt : déjà en cours à 1234H"},
    };
    for (const TCas& c : cas) {
        const TRapportArret r{c.Cause, 0x1234, 7};
        EXPECT_EQ(ArretAnnonce(r), c.Annonce) << c.Texte;
        EXPECT_EQ(TexteRapportArret(r), c.Texte);
    }
}

// --- The window files stay off the machine record ------------------------------------

// The source without its comments, string and character literals (their
// contents blanked, the lines kept).
std::string SansCommentaires(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "//") == 0) {
            while (i < s.size() && s[i] != '\n') ++i;
            if (i < s.size()) r += '\n';
        } else if (s.compare(i, 2, "/*") == 0) {
            const size_t fin = s.find("*/", i + 2);
            const size_t bout = fin == std::string::npos ? s.size() : fin + 2;
            for (; i < bout; ++i)
                if (s[i] == '\n') r += '\n';
            --i;
        } else if (s[i] == '"' || s[i] == '\'') {
            const char q = s[i];
            r += q;
            for (++i; i < s.size() && s[i] != q && s[i] != '\n'; ++i)
                if (s[i] == '\\') ++i;
            r += q;
        } else {
            r += s[i];
        }
    }
    return r;
}

// The widget tests reach the record through the main window; the window
// itself never does.
constexpr const char* AccesPourLesEssais = "TMachine& Machine() { return FPoste.Machine(); }";

// The lines of a window file that reach the machine record: an accessor that
// returns it (Machine()), its type, or its header. `fenetrePrincipale`: the
// main window's header, which keeps the widget tests' accessor.
std::vector<std::string> AccesMachine(const std::string& source, bool fenetrePrincipale = false) {
    static const std::regex interdit(R"((^|[^A-Za-z0-9_])(Machine\s*\(\s*\)|TMachine\b))");
    static const std::regex declaration(R"(^\s*struct\s+TMachine\s*;\s*$)");
    static const std::regex inclusion(R"(^\s*#\s*include\s*"core/Machine\.h")");
    std::vector<std::string> r;
    std::istringstream brutes(source), lignes(SansCommentaires(source));
    std::string brute, ligne;
    while (std::getline(lignes, ligne) && std::getline(brutes, brute)) {
        if (fenetrePrincipale && ligne.find(AccesPourLesEssais) != std::string::npos) continue;
        if (std::regex_search(brute, inclusion) ||
            (std::regex_search(ligne, interdit) && !std::regex_match(ligne, declaration)))
            r.push_back(brute);
    }
    return r;
}

TEST(FenetresSansMachine, TheCheckSeesEachWayIn) {
    struct TCas {
        const char* Source;
        size_t Acces;
    };
    const TCas cas[] = {
        {"Machine().FinEmul = true;", 1},
        {"  if (D.Machine().Hote) x();", 1},
        {"TMachine& m = poste.Machine();\nm.CaptureClav = false;", 1},
        {"auto& m = FPoste.Machine ( );", 1},
        {"#include \"core/Machine.h\"", 1},
        {"explicit TFiltre(TMachine& m);", 1},
        {"struct TMachine;", 0},
        {"// Machine().FinEmul in a comment", 0},
        {"/* TMachine&\n Machine() */ x();", 0},
        {"s = \"Machine()\";", 0},
        {"const THorlogeMachine& TempsMachine() const;", 0},
        {"FPorte.TermineEmulation();", 0},
        {"    TMachine& Machine() { return FPoste.Machine(); }", 1},
    };
    for (const TCas& c : cas) EXPECT_EQ(AccesMachine(c.Source).size(), c.Acces) << c.Source;
    EXPECT_TRUE(AccesMachine(std::string("    ") + AccesPourLesEssais, true).empty());
    EXPECT_EQ(AccesMachine("Machine().TBKbdDown = true;", true).size(), 1u);
}

bool EstFenetre(const std::filesystem::path& p) {
    const std::string dossier = p.parent_path().filename().string();
    const std::string ext = p.extension().string();
    if (ext != ".cpp" && ext != ".h") return false;
    const std::string base = p.stem().string();
    auto finit = [&](const char* suffixe) {
        const std::string s = suffixe;
        return base.size() >= s.size() && base.compare(base.size() - s.size(), s.size(), s) == 0;
    };
    if (dossier == "debugger") return finit("Form") || finit("Qt");
    if (dossier == "config") return finit("Form");
    if (dossier == "disks") return base == "GesDsqForm";
    return false;
}

// The windows go through TInspection, the workstation and the debugger's
// logic: a window file that names the record again fails here.
TEST(FenetresSansMachine, NoWindowFileReachesTheRecord) {
    namespace fs = std::filesystem;
    const fs::path racine = ZORV_SOURCE_DIR;
    std::vector<fs::path> fichiers;
    for (const auto& e : fs::recursive_directory_iterator(racine / "ui"))
        if (e.is_regular_file() && (e.path().extension() == ".cpp" || e.path().extension() == ".h"))
            fichiers.push_back(e.path());
    for (const char* dossier : {"debugger", "config", "disks"})
        for (const auto& e : fs::directory_iterator(racine / dossier))
            if (EstFenetre(e.path())) fichiers.push_back(e.path());
    ASSERT_GT(fichiers.size(), 30u);
    for (const fs::path& f : fichiers) {
        std::ifstream entree(f, std::ios::binary);
        std::ostringstream texte;
        texte << entree.rdbuf();
        const bool principale = fs::relative(f, racine) == fs::path("ui/MainForm.h");
        for (const std::string& ligne : AccesMachine(texte.str(), principale))
            ADD_FAILURE() << fs::relative(f, racine).string() << " : " << ligne;
    }
}

} // namespace
