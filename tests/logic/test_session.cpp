// Recorded sessions: a replay gives the same machine, disk and printed
// bytes as the recorded run, whatever the replaying host's clock; what the
// host changed while the machine stood still is in the session; a replay
// that no longer follows says where and what; a damaged, foreign or
// disordered file is refused before anything runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ImagesTemp.h"
#include "config/ChargeRoms.h"
#include "config/ClicheMachine.h"
#include "config/EnregistreurSession.h"
#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/FichierSession.h"
#include "config/Poste.h"
#include "config/RelectureSession.h"
#include "core/Fichiers.h"
#include "devices/FrappeTexte.h"
#include "disks/Lecteurs.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;
const std::string Source = ZORV_SOURCE_DIR;

// The monitor writes a sector, prints a line, reads the clock and the
// arithmetic chip, draws: every device the replay must give back.
const std::string Commandes = "M 3000 41 42 43\\rS 1 5 3000\\rP BONJOUR\\rH\\rA 12 34\\rT\\r";
constexpr uint64_t Duree = 12'000'000;

std::vector<uint8_t> Contenu(const std::string& chemin) {
    std::vector<uint8_t> o;
    EXPECT_EQ(LitFichierEntier(chemin, o), TLectureFichier::Ok) << chemin;
    return o;
}

// A workstation on the firmware with a disk in drive 1.
struct TPosteEssai {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>(7u);
    TMachine& M = Poste->Machine();
    THoteVirtuel& H = Poste->HoteVirtuel;
    std::unique_ptr<TSourceFrappe> Frappe;

    explicit TPosteEssai(const std::string& image = "") {
        M.InitMachine();
        EXPECT_EQ(ChargeRomBoot(M, Programme + "/QBM71K.bin"), "");
        EXPECT_EQ(ChargeRom128K(M, Programme + "/T318-C.bin"), "");
        if (!image.empty()) {
            EXPECT_EQ(Poste->Lecteurs.InsereDisque(1, image, " "), "");
        }
    }
    ~TPosteEssai() { M.SourceTouches = nullptr; }
    void Tape(const std::string& texte) {
        std::vector<TMessageClavier> messages;
        EXPECT_EQ(DecodeFrappe(texte, messages), "");
        Frappe = std::make_unique<TSourceFrappe>(std::move(messages), TContexteClavier{}, true);
        Frappe->Date = [this] { return H.HeureLocale(); };
        Frappe->Commence(M);
    }
    // Runs until `fin` instructions (or a halt).
    void Jusqua(uint64_t fin) {
        while (M.NbInstructions < fin && !M.FinEmul) {
            M.LanceEmulation(fin - M.NbInstructions);
            if (M.EtatCPU == CPUHalt) break;
        }
    }
    TEmpreintes Empreinte() { return Empreintes(M, &H); }
};

// Replays `s` on a fresh workstation whose own clock says `kHz`, to the end.
struct TRejeu {
    TPosteEssai P;
    TDossierTemp Dossier;
    std::unique_ptr<TRelectureSession> R;
    explicit TRejeu(const TSession& s, uint32_t kHz = 3000) {
        P.H.HorlogeKHz = kHz;
        P.Poste->SurDemandeLancement = [] {}; // the replay's loop runs the machine
        std::string erreur;
        R = TRelectureSession::Commence(*P.Poste, P.H, s, Dossier.Dossier.string(), erreur);
        EXPECT_TRUE(R) << erreur;
    }
    void Joue() {
        while (R && R->EnCours()) {
            P.M.ChangeEtatCPU(CPURun);
            const uint64_t avant = P.M.NbInstructions;
            P.M.Execute(UINT64_MAX);
            if (P.M.NbInstructions == avant && R->EnCours()) R->Frontiere(P.M);
            if (P.M.NbInstructions == avant && P.M.EtatCPU == CPUHalt) break;
        }
    }
};

// One recorded run of the commands, the session and what it ends with.
struct TEnregistre {
    TDossierTemp Dossier;
    std::string Image = Dossier.Image("d1.img", TLecteurs().Taille_Disque[1]);
    TPosteEssai P{Image};
    TSession S;
    TEmpreintes Fin{};
    std::vector<uint8_t> Imprime;
    explicit TEnregistre(const std::function<void(TPosteEssai&)>& pendant = {}) {
        TEnregistreurSession e(*P.Poste, P.H);
        P.Tape(Commandes);
        P.Jusqua(Duree / 2);
        if (pendant) pendant(P);
        P.Jusqua(Duree);
        S = e.Termine();
        Fin = P.Empreinte();
        Imprime = P.Poste->Imprimante.Octets;
    }
};

TEST(Session, UneRelectureRendLaMachineLeDisqueEtLImpressionQuelleQueSoitLHorlogeDeLHote) {
    const TEnregistre e;
    ASSERT_GT(e.S.Evenements.size(), 20u);
    ASSERT_GE(e.S.Controles.size(), 3u); // one per second of machine time, and the end
    EXPECT_EQ(e.S.Info.FinInstruction, e.P.M.NbInstructions);
    // The file gives back the session exactly.
    TSession lue;
    std::string erreur;
    ASSERT_TRUE(DecodeSession(CodeSession(e.S), lue, erreur)) << erreur;
    EXPECT_EQ(lue, e.S);
    for (uint32_t kHz : {1000u, 3000u, 8000u}) {
        TRejeu r(lue, kHz);
        r.Joue();
        EXPECT_EQ(r.R->Etat(), TEtatRelecture::Finie) << kHz << " : " << r.R->Message();
        EXPECT_EQ(r.P.M.NbInstructions, e.S.Info.FinInstruction);
        EXPECT_EQ(r.P.Empreinte(), e.Fin) << kHz;
        EXPECT_EQ(Contenu(r.R->CheminImage(1)), Contenu(e.Image)) << kHz;
        EXPECT_EQ(r.P.Poste->Imprimante.Octets, e.Imprime) << kHz;
    }
    // The recorded run did write the disk and print: the comparison means something.
    EXPECT_NE(Contenu(e.Image), e.S.Images[0].Octets);
    EXPECT_FALSE(e.Imprime.empty());
}

// What the host does to a machine standing still (the debugger's console
// writing straight into the records, a reset after a halt, a disk inserted,
// the clock changed) is in the session and comes back at its instant.
TEST(Session, CeQueLHoteChangeEntreDeuxCoursesEstRejoue) {
    TDossierTemp autre;
    const std::string image2 = autre.Image("d2.img", TLecteurs().Taille_Disque[2]);
    const TEnregistre e([&](TPosteEssai& p) {
        p.M.WriteBank(0x3100, 0, 0x5A);
        p.M.RegB = 0x77;
        p.M.TBRazClick();
        p.M.TBIntClick();
        ASSERT_EQ(p.Poste->Lecteurs.InsereDisque(2, image2, " "), "");
        p.Poste->Lecteurs.BasculeProtection(2);
        p.H.Synchronise(&p.M);
        p.H.HorlogeKHz = 4000;
        p.Tape("D 3100 3100\\r");
    });
    std::vector<TTypeEvenement> types;
    for (const TEvenement& ev : e.S.Evenements) types.push_back(ev.Type);
    for (TTypeEvenement t : {TTypeEvenement::Modification, TTypeEvenement::Raz, TTypeEvenement::Int,
                             TTypeEvenement::Disque, TTypeEvenement::Reglages})
        EXPECT_NE(std::find(types.begin(), types.end(), t), types.end()) << int(t);
    TRejeu r(e.S);
    r.Joue();
    EXPECT_EQ(r.R->Etat(), TEtatRelecture::Finie) << r.R->Message();
    EXPECT_EQ(r.P.Empreinte(), e.Fin);
    EXPECT_EQ(r.P.H.HorlogeKHz, 4000u);
    EXPECT_TRUE(r.P.Poste->Lecteurs.Disques[2].Protege);
    EXPECT_EQ(Contenu(r.R->CheminImage(2)), Contenu(image2));
}

// A session that no longer matches the machine stops at the first
// fingerprint that differs and names the record.
TEST(Session, UneRelectureQuiNeSuitPlusDitOuEtQuoi) {
    const TEnregistre e;
    struct TCas {
        const char* Nom;
        std::function<void(TSession&)> Altere;
        const char* Attendu;
    };
    const auto premiereTouche = [](TSession& s) -> TEvenement& {
        return *std::find_if(s.Evenements.begin(), s.Evenements.end(),
                             [](const TEvenement& ev) { return ev.Type == TTypeEvenement::Touche; });
    };
    const TCas cas[] = {
        {"une touche changée", [&](TSession& s) { premiereTouche(s).Entree ^= 0x01; }, "diffère de l'enregistrement"},
        {"l'empreinte de la mémoire", [](TSession& s) { s.Controles[1].Empreintes[1] ^= 1; }, "la mémoire diffère"},
        {"celle du clavier", [](TSession& s) { s.Controles[1].Empreintes[4] ^= 1; }, "le clavier diffère"},
        {"celle du temps", [](TSession& s) { s.Controles[0].Empreintes[10] ^= 1; }, "le temps de la machine diffère"},
    };
    for (const TCas& c : cas) {
        TSession s = e.S;
        c.Altere(s);
        TRejeu r(s);
        r.Joue();
        EXPECT_EQ(r.R->Etat(), TEtatRelecture::Desynchronisee) << c.Nom;
        EXPECT_NE(r.R->Message().find("Désynchronisation à l'instruction "), std::string::npos) << r.R->Message();
        EXPECT_NE(r.R->Message().find(c.Attendu), std::string::npos) << c.Nom << " : " << r.R->Message();
        EXPECT_LT(r.R->InstructionDesync(), e.S.Info.FinInstruction) << c.Nom;
        EXPECT_EQ(r.P.M.NbInstructions, r.R->InstructionDesync()) << c.Nom;
    }
}

// Damaged, foreign or disordered files get a French reason and nothing runs.
TEST(Session, UnFichierAbimeOuDesordonneEstRefuse) {
    const TEnregistre e;
    const std::vector<uint8_t> bon = CodeSession(e.S);
    TSession s;
    std::string erreur;
    const auto refuse = [&](const std::vector<uint8_t>& o, const std::string& attendu, const char* nom) {
        erreur.clear();
        EXPECT_FALSE(DecodeSession(o, s, erreur)) << nom;
        EXPECT_NE(erreur.find(attendu), std::string::npos) << nom << " : " << erreur;
    };
    refuse({bon.begin(), bon.begin() + 5}, "n'est pas une session", "trop court");
    refuse({bon.begin(), bon.end() - 3}, "tronquée", "tronqué");
    std::vector<uint8_t> o = bon;
    o[o.size() / 2] ^= 0x40;
    refuse(o, "endommagé", "un octet changé");
    o = bon;
    std::copy_n("ZORVETAT", 8, o.begin());
    refuse(o, "n'est pas une session", "un état");
    o = bon;
    o[8] = 9;
    refuse(o, "plus récent", "format futur");

    struct TCas {
        const char* Nom;
        std::function<void(TSession&)> Altere;
        const char* Attendu;
    };
    const TCas cas[] = {
        {"événements désordonnés",
         [](TSession& x) { std::swap(x.Evenements.front().Instruction, x.Evenements.back().Instruction); }, "daté avant"},
        {"après la fin", [](TSession& x) { x.Evenements.back().Instruction = x.Info.FinInstruction + 1; }, "après la fin"},
        {"contrôle hors d'ordre", [](TSession& x) { std::swap(x.Controles[0], x.Controles[1]); }, "contrôle"},
        {"type inconnu", [](TSession& x) { x.Evenements[0].Type = TTypeEvenement(42); }, "type inconnu"},
        {"lecteur inconnu",
         [](TSession& x) {
             x.Evenements[0].Type = TTypeEvenement::Disque;
             x.Evenements[0].Slot = 7;
         },
         "lecteur inconnu"},
        {"modification tronquée",
         [](TSession& x) {
             x.Evenements[0].Type = TTypeEvenement::Modification;
             x.Evenements[0].Difference = {1, 2, 3};
         },
         "tronquée"},
        {"fin avant les événements", [](TSession& x) { x.Info.FinInstruction = 0; }, "après la fin de la session"},
    };
    for (const TCas& c : cas) {
        TSession x = e.S;
        c.Altere(x);
        refuse(CodeSession(x), c.Attendu, c.Nom);
    }
}

// A difference is refused when the machine is not the one it starts from,
// and leaves the machine as it was.
TEST(Session, UneDifferenceNeSAppliqueQuASonPointDeDepart) {
    TPosteEssai p;
    const TCliche avant = Cliche(p.M, &p.H);
    p.M.WriteBank(0x4000, 1, 0x99);
    p.M.RegA = 0x12;
    const std::vector<uint8_t> d = CodeDifference(avant, Cliche(p.M, &p.H));
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(ControleDifference(d), "");
    EXPECT_TRUE(CodeDifference(avant, avant).empty());

    TPosteEssai q; // the same start
    size_t composant = 99;
    std::string erreur;
    ASSERT_TRUE(AppliqueDifference(q.M, &q.H, d, composant, erreur)) << erreur;
    EXPECT_EQ(q.M.ReadBank(0x4000, 1), 0x99);
    EXPECT_EQ(q.M.RegA, 0x12);
    EXPECT_EQ(q.Empreinte(), p.Empreinte());

    TPosteEssai r;
    r.M.RegA = 0x34; // not where the difference starts
    const TEmpreintes e = r.Empreinte();
    EXPECT_FALSE(AppliqueDifference(r.M, &r.H, d, composant, erreur));
    EXPECT_EQ(composant, 0u);
    EXPECT_NE(erreur.find("le processeur diffère"), std::string::npos) << erreur;
    EXPECT_EQ(r.Empreinte(), e);
}

// Sessions of every format version keep loading and replaying.
TEST(Session, LesSessionsDeChaqueVersionSeRelisent) {
    for (const char* nom : {"moniteur-v1"}) {
        TSession s;
        std::string erreur;
        const std::string chemin = Source + "/tests/data/sessions/" + nom + ".zsession";
        ASSERT_TRUE(LitSession(chemin, s, erreur)) << erreur;
        EXPECT_EQ(s.VersionFormat, 1);
        TRejeu r(s);
        r.Joue();
        EXPECT_EQ(r.R->Etat(), TEtatRelecture::Finie) << nom << " : " << r.R->Message();
    }
}

} // namespace
