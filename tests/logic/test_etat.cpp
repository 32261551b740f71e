// Saved states: a machine restored from a state goes on exactly as the
// original (at many points of a run that reaches every device), states of
// every format version keep loading, and a damaged or foreign file leaves the
// running machine as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ImagesTemp.h"
#include "config/ChargeRoms.h"
#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/SerieEtat.h"
#include "debugger/Console.h"
#include "devices/FrappeTexte.h"

namespace fs = std::filesystem;

namespace {

const std::string Programme = ZORV_PROGRAMME;
const std::string Source = ZORV_SOURCE_DIR;

#if defined(__SANITIZE_ADDRESS__) || defined(ZORV_ESSAI_COURT)
constexpr bool Court = true;
#else
constexpr bool Court = false;
#endif

// A workstation on the firmware, keys typed as the software takes them.
struct TCourse {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>(1u);
    TMachine& M = Poste->Machine();
    std::unique_ptr<TSourceFrappe> Frappe;

    TCourse() = default;
    TCourse(const std::string& image, const std::string& texte) {
        M.ModClavParam = 1;
        M.InitMachine();
        EXPECT_EQ(ChargeRomBoot(M, Programme + "/QBM71K.bin"), "");
        EXPECT_EQ(ChargeRom128K(M, Programme + "/T318-C.bin"), "");
        if (!image.empty()) {
            EXPECT_EQ(Poste->Lecteurs.InsereDisque(1, image, " "), "");
        }
        std::vector<TMessageClavier> messages;
        EXPECT_EQ(DecodeFrappe(texte, messages), "");
        Frappe = std::make_unique<TSourceFrappe>(std::move(messages), TContexteClavier{}, true);
        Attache();
    }
    ~TCourse() { M.SourceTouches = nullptr; }
    void Attache() {
        Frappe->Date = [this] { return Poste->HoteVirtuel.HeureLocale(); };
        Frappe->Commence(M);
    }
    void Lance(uint64_t n) {
        const uint64_t fin = M.NbInstructions + n;
        while (M.NbInstructions < fin && !M.FinEmul) {
            M.LanceEmulation(fin - M.NbInstructions);
            if (M.EtatCPU == CPUHalt) break;
        }
    }
    uint64_t Hache() const { return HacheMachine(M, &Poste->HoteVirtuel); }
    TEtatComplet Etat() const { return CaptureEtat(*Poste, &Poste->HoteVirtuel, false); }
};

const std::string Commandes = Court ? "H\\rP BONJOUR\\rA 1234 5678\\rL 1 2 3000\\r"
                                    : "H\\rP BONJOUR\\rA 1234 5678\\rL 1 2 3000\\rE\\rT\\rD 3000 3010\\r?\\r";

// What the original does next, against the same outside world: the same
// keys still to come, a copy of the disk as it was.
struct TSuite {
    uint64_t Hache;
    std::vector<uint8_t> Imprime;
    int FinsTravail;
};

TSuite Continue(TCourse& c, uint64_t m) {
    const size_t avant = c.Poste->Imprimante.Octets.size();
    const int fins = c.Poste->Imprimante.NbFinsTravail;
    c.Lance(m);
    const auto& o = c.Poste->Imprimante.Octets;
    return {c.Hache(), std::vector<uint8_t>(o.begin() + std::ptrdiff_t(avant), o.end()),
            c.Poste->Imprimante.NbFinsTravail - fins};
}

// Saves the course now, restores the state into a fresh workstation whose
// drive holds a copy of the image as it was, and runs both `m` instructions
// further: the same state, the same printed bytes.
struct TVerification {
    std::string Image, Copie;
    TSha256 EmpreinteCopie{};

    void operator()(TCourse& c, uint64_t m) {
        TEtatComplet e = c.Etat();
        TDisqueEtat& d = e.Disques.Lecteurs[0];
        ASSERT_EQ(d.Chemin, Image);
        if (d.Empreinte != EmpreinteCopie) {
            fs::copy_file(Image, Copie, fs::copy_options::overwrite_existing);
            EmpreinteCopie = d.Empreinte;
        }
        d.Chemin = Copie;
        TCourse r;
        r.Frappe = std::make_unique<TSourceFrappe>(*c.Frappe);
        TChargementEtat ch;
        ASSERT_TRUE(AppliqueEtat(*r.Poste, &r.Poste->HoteVirtuel, e, ch)) << ch.Erreur;
        EXPECT_TRUE(ch.Messages.empty());
        r.Attache();
        ASSERT_EQ(r.Hache(), c.Hache()) << "à " << e.Processeur.NbInstructions;
        const TSuite attendu = Continue(c, m), obtenu = Continue(r, m);
        ASSERT_EQ(obtenu.Hache, attendu.Hache) << "à " << e.Processeur.NbInstructions << " + " << m;
        ASSERT_EQ(obtenu.Imprime, attendu.Imprime);
        ASSERT_EQ(obtenu.FinsTravail, attendu.FinsTravail);
    }
};

TEST(EtatMachine, ARestoredMachineGoesOnExactlyAsTheOriginalAtManyPoints) {
    TDossierTemp dossier;
    const std::string image = dossier.Image("d.img", 788480);
    TCourse c(image, Commandes);
    TVerification verifie{image, dossier.Chemin("copie.img")};
    std::mt19937_64 alea(27);
    const int points = Court ? 120 : 1000;
    const uint64_t ecartMax = Court ? 25'000 : 12'000;
    int dansFenetreClavier = 0;
    for (int i = 0; i < points; ++i) {
        c.Lance(1 + alea() % ecartMax);
        dansFenetreClavier += c.Poste->HoteVirtuel.TimerActif(tmClavier50);
        verifie(c, 1 + alea() % 20'000);
        if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_TRUE(c.Frappe->Fini());
    EXPECT_FALSE(c.Poste->Imprimante.Octets.empty());
    EXPECT_GT(dansFenetreClavier, 0);
}

// The disk commands and the print job last a few thousand instructions: a
// first course finds where they are, a second goes through them in small
// steps and saves wherever one is under way.
TEST(EtatMachine, ARestoredMachineGoesOnInTheMiddleOfADiskCommandAndAPrintJob) {
    TDossierTemp dossier;
    const std::string image = dossier.Image("d.img", 788480);
    const uint64_t duree = Court ? 6'000'000 : 9'000'000, pas = 1000;
    auto disque = [](const TCourse& c) { return c.M.EtatCtrlDsq != ecdAttente || c.M.ExecCmdLect; };
    std::vector<uint64_t> fenetres; // ends of the steps where something happened
    size_t imprimes = 0;
    {
        TCourse essai(image, Commandes);
        while (essai.M.NbInstructions < duree) {
            const size_t avant = essai.Poste->Imprimante.Octets.size();
            essai.Lance(pas);
            if (disque(essai) || essai.Poste->Imprimante.Octets.size() != avant)
                fenetres.push_back(essai.M.NbInstructions);
        }
        imprimes = essai.Poste->Imprimante.Octets.size();
    }
    ASSERT_GT(imprimes, 2u);
    ASSERT_FALSE(fenetres.empty());
    TCourse c(image, Commandes);
    TVerification verifie{image, dossier.Chemin("copie.img")};
    std::mt19937_64 alea(28);
    int dansDisque = 0, dansImpression = 0;
    for (const uint64_t fin : fenetres) {
        if (c.M.NbInstructions + pas < fin) c.Lance(fin - pas - c.M.NbInstructions);
        while (c.M.NbInstructions < fin + pas) {
            c.Lance(1 + alea() % 7);
            const size_t n = c.Poste->Imprimante.Octets.size();
            const bool d = disque(c), i = n > 0 && n < imprimes;
            if (!d && !i) continue;
            dansDisque += d;
            dansImpression += i;
            verifie(c, 1 + alea() % 60);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    EXPECT_GT(dansDisque, 5);
    EXPECT_GT(dansImpression, 2);
}

// A program that clears the graphics plane byte by byte and pushes values
// through the arithmetic chip, saved in the middle of both.
TEST(EtatMachine, ARestoredMachineGoesOnInTheMiddleOfAGraphicsClearAndAnArithmeticCommand) {
    TCourse c({}, "");
    // 2000: MVI A,55 ; OUT EF (onto the chip's stack) ; MOV A,B ; OUT A3 ; OUT C3 (a point) ;
    //       DCR B ; JNZ 2000 ; OUT E3 (clear) ; MVI A,10 ; OUT FF (a command) ; HLT
    const uint8_t code[] = {0x3E, 0x55, 0xD3, 0xEF, 0x78, 0xD3, 0xA3, 0xD3, 0xC3, 0x05,
                            0xC2, 0x00, 0x20, 0xD3, 0xE3, 0x3E, 0x10, 0xD3, 0xFF, 0x76};
    std::copy(std::begin(code), std::end(code), c.M.ZorvMem.begin() + 0x2000);
    c.M.RegPC = 0x2000, c.M.RegB = 0, c.M.SelMem = 0;
    for (uint64_t n : {7, 100, 333, 300, 1}) {
        c.Lance(n);
        const TEtatComplet e = c.Etat();
        TCourse r;
        r.Frappe = std::make_unique<TSourceFrappe>(*c.Frappe);
        TChargementEtat ch;
        ASSERT_TRUE(AppliqueEtat(*r.Poste, &r.Poste->HoteVirtuel, e, ch));
        r.Attache();
        EXPECT_EQ(Continue(r, 500).Hache, Continue(c, 500).Hache) << n;
    }
}

TEST(EtatMachine, AStateFileRoundTripsEveryRecordAndItsThumbnail) {
    TCourse c({}, "H\\r");
    c.Lance(400'000);
    TEtatComplet e = CaptureEtat(*c.Poste, &c.Poste->HoteVirtuel, true);
    ASSERT_GT(e.Vignette.Png.size(), 24u);
    EXPECT_EQ(std::vector<uint8_t>(e.Vignette.Png.begin(), e.Vignette.Png.begin() + 24),
              (std::vector<uint8_t>{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 1, 0, 0, 0, 0, 144}));
    TEtatComplet lu;
    std::string erreur;
    ASSERT_TRUE(DecodeEtat(CodeEtat(e), lu, erreur)) << erreur;
    EXPECT_EQ(lu, e);
    // The records compare and hash by value.
    TEtatProcesseur p = e.Processeur;
    EXPECT_EQ(std::hash<TEtatProcesseur>{}(p), std::hash<TEtatProcesseur>{}(e.Processeur));
    p.RegA ^= 1;
    EXPECT_NE(p, e.Processeur);
    EXPECT_NE(std::hash<TEtatProcesseur>{}(p), std::hash<TEtatProcesseur>{}(e.Processeur));
    // A NaN left in the arithmetic chip equals itself.
    TEtatArith a;
    a.Tos = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(a, TEtatArith(a));
}

// The console saves and takes back the whole machine; with no one to ask, an
// image changed since the save is a refusal that leaves the machine as it was.
TEST(EtatMachine, TheConsoleSavesAndTakesBackTheMachine) {
    TDossierTemp dossier;
    const std::string image = dossier.Image("d.img", 788480), etat = dossier.Chemin("e.zetat");
    TCourse c(image, "H\\r");
    TConsoleDebogueur console(*c.Poste);
    std::vector<std::string> sortie;
    ASSERT_TRUE(console.Execute("lance 300000", sortie));
    ASSERT_TRUE(console.Execute("sauve-etat " + etat, sortie));
    EXPECT_NE(sortie.back().find("300\u202F000 instructions"), std::string::npos) << sortie.back();
    const uint64_t sauve = c.Hache();
    const uint16_t pc = c.M.RegPC;
    ASSERT_TRUE(console.Execute("lance 5000", sortie));
    ASSERT_TRUE(console.Execute("ecris 3000 AA BB", sortie));
    ASSERT_TRUE(console.Execute("charge-etat " + etat, sortie));
    EXPECT_EQ(sortie.back(), Format("charge-etat : état repris, PC=%.4XH, 300\u202F000 instructions", unsigned(pc)));
    EXPECT_EQ(c.M.EtatCPU, CPUStop);
    EXPECT_EQ(c.M.ZorvMem[0x3000], 0);
    EXPECT_EQ(c.Hache(), sauve);
    {
        std::fstream f(image, std::ios::in | std::ios::out | std::ios::binary);
        f.put('!');
    }
    ASSERT_TRUE(console.Execute("lance 5000", sortie));
    const uint64_t avant = c.Hache();
    EXPECT_FALSE(console.Execute("charge-etat " + etat, sortie));
    EXPECT_NE(sortie.back().find("a changé"), std::string::npos) << sortie.back();
    EXPECT_EQ(c.Hache(), avant);
    EXPECT_FALSE(console.Execute("charge-etat " + dossier.Chemin("absent.zetat"), sortie));
    EXPECT_FALSE(console.Execute("sauve-etat", sortie));
}

// Every golden state of tests/data/etats loads; the newest holds every
// chunk at today's version, and its records read and written again give its
// own bytes: a record changed without a new version fails here.
TEST(EtatMachine, EveryGoldenStateLoadsAndTheNewestMatchesTodaysRecords) {
    const fs::path dossier = fs::path(Source) / "tests/data/etats";
    std::vector<fs::path> fichiers;
    for (const auto& f : fs::directory_iterator(dossier))
        if (f.path().extension() == ".zetat") fichiers.push_back(f.path());
    std::sort(fichiers.begin(), fichiers.end());
    ASSERT_FALSE(fichiers.empty());
    for (const fs::path& f : fichiers) {
        std::vector<uint8_t> octets;
        ASSERT_EQ(LitFichierEntier(f.string(), octets), TLectureFichier::Ok);
        TEtatComplet e;
        std::string erreur;
        EXPECT_TRUE(DecodeEtat(octets, e, erreur)) << f << " : " << erreur;
        TPosteVirtuel poste;
        TChargementEtat c;
        EXPECT_TRUE(AppliqueEtat(poste, &poste.HoteVirtuel, e, c)) << c.Erreur;
    }
    std::vector<uint8_t> octets;
    ASSERT_EQ(LitFichierEntier(fichiers.back().string(), octets), TLectureFichier::Ok);
    uint16_t version = 0;
    std::vector<TMorceauEtat> golden, refait;
    std::string erreur;
    ASSERT_TRUE(LitMorceaux(octets.data(), octets.size(), version, golden, erreur));
    EXPECT_EQ(version, VersionFormatEtat);
    TEtatComplet e;
    ASSERT_TRUE(DecodeEtat(octets, e, erreur));
    const std::vector<uint8_t> code = CodeEtat(e);
    ASSERT_TRUE(LitMorceaux(code.data(), code.size(), version, refait, erreur));
    ASSERT_EQ(golden.size(), refait.size());
    for (size_t i = 0; i < golden.size(); ++i) {
        EXPECT_EQ(golden[i].Id, refait[i].Id);
        EXPECT_EQ(golden[i].Version, refait[i].Version) << golden[i].Id << " : un nouvel état de référence est à ajouter";
        EXPECT_EQ(golden[i].Octets, refait[i].Octets) << golden[i].Id << " a changé sans nouvelle version";
    }
    // What the golden state was: the monitor after three commands.
    EXPECT_EQ(e.Info.Modele, 0);
    EXPECT_EQ(e.Processeur.NbInstructions, 3'000'000u);
    EXPECT_EQ(e.Disques.Lecteurs[0].Taille, 788480u);
    EXPECT_TRUE(e.Disques.Lecteurs[0].Protege);
}

// Damaged or foreign files: a French reason, and the machine unchanged.
class EtatRefuse : public ::testing::Test {
protected:
    TDossierTemp Dossier;
    TCourse C{{}, "H\\r"};
    std::vector<uint8_t> Bon;
    void SetUp() override {
        C.Lance(300'000);
        Bon = CodeEtat(C.Etat());
        C.Lance(1000);
    }
    std::string Charge(const std::vector<uint8_t>& octets) {
        const std::string chemin = Dossier.Chemin("e.zetat");
        std::string erreur;
        EXPECT_TRUE(EcritFichierAtomique(chemin, octets, erreur));
        const uint64_t avant = C.Hache();
        TChargementEtat c;
        EXPECT_FALSE(ChargeEtat(*C.Poste, &C.Poste->HoteVirtuel, chemin, c));
        EXPECT_EQ(C.Hache(), avant);
        return c.Erreur;
    }
    // The offset of the chunk `id` in Bon.
    size_t Morceau(const char* id) {
        size_t pos = 10;
        while (std::string(Bon.begin() + std::ptrdiff_t(pos), Bon.begin() + std::ptrdiff_t(pos) + 4) != id) {
            pos += 19 + (Bon[pos + 7] | Bon[pos + 8] << 8 | Bon[pos + 9] << 16 | size_t(Bon[pos + 10]) << 24);
        }
        return pos;
    }
};

TEST_F(EtatRefuse, DamagedFilesAreRefusedWithTheirReason) {
    struct TCas {
        const char* Nom;
        std::function<void(std::vector<uint8_t>&)> Abime;
        const char* Attendu;
    };
    const size_t cpu = Morceau("CPU "), mem = Morceau("MEM ");
    const std::vector<TCas> cas = {
        {"vide", [](auto& o) { o.clear(); }, "n'est pas un état"},
        {"magie", [](auto& o) { o[0] = 'X'; }, "n'est pas un état"},
        {"format récent", [](auto& o) { o[8] = 2; }, "format 2, plus récent que le format 1"},
        {"tronqué au milieu", [mem](auto& o) { o.resize(mem + 30); }, "tronqué"},
        {"sans fin", [](auto& o) { o.resize(o.size() - 19); }, "tronqué"},
        {"octets après la fin", [](auto& o) { o.push_back(0); }, "suivent la fin"},
        {"bloc récent", [cpu](auto& o) { o[cpu + 4] = 9; }, "version 9, plus récente que la version 1"},
        {"bloc inconnu", [cpu](auto& o) { o[cpu] = 'Q'; }, "bloc inconnu"},
        {"bloc démesuré", [cpu](auto& o) { o[cpu + 14] = 0x40; }, "trop grand"},
        {"CRC", [cpu](auto& o) { o[cpu + 15] ^= 1; }, "CRC"},
        {"données altérées", [cpu](auto& o) { o[cpu + 19 + 3] ^= 0x10; }, "CRC"},
        {"compression altérée", [mem](auto& o) { o[mem + 19 + 40] ^= 0xFF; }, "endommagé"},
        {"compression inconnue", [mem](auto& o) { o[mem + 6] = 7; }, "inconnue"},
    };
    for (const TCas& k : cas) {
        std::vector<uint8_t> o = Bon;
        k.Abime(o);
        EXPECT_NE(Charge(o).find(k.Attendu), std::string::npos) << k.Nom << " : " << Charge(o);
    }
}

TEST_F(EtatRefuse, RecordsOutOfTheirRangeAreRefused) {
    TEtatComplet e;
    std::string erreur;
    ASSERT_TRUE(DecodeEtat(Bon, e, erreur));
    const std::vector<std::function<void(TEtatComplet&)>> abimes = {
        [](TEtatComplet& x) { x.Memoire.Machine = 40, x.Info.Modele = 40; },
        [](TEtatComplet& x) { x.Info.Modele = 3; },
        [](TEtatComplet& x) { x.Clavier.NbCarClav = -1; },
        [](TEtatComplet& x) { x.Dsq.EtatCtrlDsq = TEtatCtrlDsq(99); },
        [](TEtatComplet& x) { x.Dsq.IndMsgCtrl = 5000; },
        [](TEtatComplet& x) { x.Imprimante.XGraph = -3; },
        [](TEtatComplet& x) { x.DisqueDur.IndCmdWinch = 7; },
        [](TEtatComplet& x) { x.Ports.IndDateHeure = 13; },
        [](TEtatComplet& x) { x.Processeur.EtatCPU = TEtatCPU(7); },
        [](TEtatComplet& x) { x.Processeur.Aleatoire.Tirages = ~0ull; },
    };
    for (size_t i = 0; i < abimes.size(); ++i) {
        TEtatComplet x = e;
        abimes[i](x);
        EXPECT_FALSE(Charge(CodeEtat(x)).empty()) << i;
    }
}

TEST_F(EtatRefuse, AnImageChangedSinceTheSaveIsAskedAboutAndAMissingOneLeavesTheDriveEmpty) {
    const std::string image = Dossier.Image("a.img", 788480), autre = Dossier.Image("b.img", 788480);
    TCourse o({}, "");
    ASSERT_EQ(o.Poste->Lecteurs.InsereDisque(1, image, " "), "");
    ASSERT_EQ(o.Poste->Lecteurs.InsereDisque(2, autre, " "), "");
    o.Poste->Lecteurs.BasculeProtection(2);
    const TEtatComplet e = o.Etat();
    o.Poste->Lecteurs.VideTout();
    {   // Drive 1's image changes; drive 2's goes away.
        std::fstream f(image, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(1000);
        f.put('!');
    }
    fs::rename(autre, autre + ".parti");
    const std::string chemin = Dossier.Chemin("e.zetat");
    std::string erreur;
    ASSERT_TRUE(EcritFichierAtomique(chemin, CodeEtat(e), erreur));
    for (TChoixDisque choix : {TChoixDisque::Refuser, TChoixDisque::LaisserVide, TChoixDisque::Remettre}) {
        TPosteVirtuel p;
        const uint64_t avant = HacheMachine(p.Machine(), &p.HoteVirtuel);
        std::vector<std::string> questions;
        TChargementEtat c;
        c.SurImageChangee = [&](const std::string& q) {
            questions.push_back(q);
            return choix;
        };
        const bool ok = ChargeEtat(p, &p.HoteVirtuel, chemin, c);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].find("a changé"), std::string::npos);
        if (choix == TChoixDisque::Refuser) {
            EXPECT_FALSE(ok);
            EXPECT_NE(c.Erreur.find(image), std::string::npos);
            EXPECT_EQ(HacheMachine(p.Machine(), &p.HoteVirtuel), avant);
            EXPECT_TRUE(p.Lecteurs.Disques[1].NomFichier.empty());
            continue;
        }
        ASSERT_TRUE(ok);
        EXPECT_EQ(p.Lecteurs.Disques[1].NomFichier.empty(), choix == TChoixDisque::LaisserVide);
        EXPECT_TRUE(p.Lecteurs.Disques[2].NomFichier.empty()); // the missing one
        EXPECT_EQ(c.Messages.size(), choix == TChoixDisque::LaisserVide ? 2u : 1u);
        EXPECT_EQ(HacheMachine(p.Machine(), &p.HoteVirtuel), HacheMachine(o.M, &o.Poste->HoteVirtuel));
    }
    // Without anyone to ask, the load is refused.
    TPosteVirtuel p;
    TChargementEtat c;
    EXPECT_FALSE(ChargeEtat(p, &p.HoteVirtuel, chemin, c));
}

} // namespace
