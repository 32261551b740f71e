// Random session files against the reader and the replay. A sound session
// of a machine typed at, changed by the host while stopped and given a disk
// is taken apart; each input either damages the file's bytes (flips, cuts,
// random runs) or damages what it says while keeping the file sound (events
// moved, retyped, their differences and images damaged, fingerprints
// changed: re-encoded, so that the checks of the reader and of the replay are
// what stands in the way). Checked for each input: a refusal says why; an
// accepted session replays to its end, stops at a desynchronisation with a
// message, or was given up, with no fault (the sanitizers watch).
//
//   fuzz_session [inputs [seed]]     default 1000000 inputs, seed 1
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/EnregistreurSession.h"
#include "config/FichierSession.h"
#include "config/Poste.h"
#include "config/RelectureSession.h"
#include "core/Fichiers.h"
#include "disks/Lecteurs.h"

#include "Generateur.h"

namespace {

[[noreturn]] void Echec(const std::string& quoi, uint64_t entree) {
    std::fprintf(stderr, "fuzz_session : %s (entrée %llu)\n", quoi.c_str(), static_cast<unsigned long long>(entree));
    std::exit(1);
}

// A loop that reads the keyboard port, writes memory and prints; keys come
// in, the host changes a register and a byte while it stands still, and
// (avecDisque) a 400 K disk goes into drive 2. The diskless session is
// cheaper to encode and replay, so it takes the larger share of the inputs.
TSession SessionDeDepart(const std::string& dossier, bool avecDisque) {
    TPosteVirtuel poste(7u);
    poste.Lecteurs.InitGeometrie(1);
    TMachine& m = poste.Machine();
    m.InitMachine();
    const uint8_t code[] = {
        0xDB, 0xE2, 0xDB, 0xC2, 0xD3, 0xE2, 0x32, 0x00, 0x30, // IN E2; IN C2; OUT E2; STA 3000
        0xD3, 0xAF, 0x3E, 0x02, 0xD3, 0xCF, 0xAF, 0xD3, 0xCF, // a printer byte, strobe
        0x04, 0xC3, 0x00, 0x20};
    for (size_t i = 0; i < sizeof code; ++i) m.ZorvMem[0x2000 + i] = code[i];
    m.RegPC = 0x2000, m.SelMem = 0;
    m.ChangeEtatCPU(CPURun);
    TEnregistreurSession e(poste, poste.HoteVirtuel);
    for (uint16_t k : {0x0141, 0x0142, 0x0143}) m.ToucheDeHote(k);
    m.LanceEmulation(3000);
    m.RegC = 0x99;
    m.WriteBank(0x4000, 1, 0x5A);
    if (avecDisque) {
        const std::string image = dossier + "/d2.img";
        std::string erreur;
        EcritFichierAtomique(image, std::vector<uint8_t>(size_t(poste.Lecteurs.Taille_Disque[2]), 0xE5), erreur);
        poste.Lecteurs.InsereDisque(2, image, " ");
    }
    m.ChangeEtatCPU(CPURun);
    m.LanceEmulation(3000);
    m.TBIntClick();
    m.ToucheDeHote(0x0144);
    m.LanceEmulation(3000);
    return e.Termine();
}

// What a session says, damaged but encoded soundly.
void AbimeContenu(TGenerateur& g, TSession& s) {
    auto& evs = s.Evenements;
    for (uint32_t fois = 1 + g.N(3); fois; --fois) {
        if (evs.empty()) break;
        TEvenement& ev = evs[g.N(uint32_t(evs.size()))];
        switch (g.N(9)) {
        case 0: ev.Instruction = g.N(2) ? ev.Instruction + g.N(5000) : g.N(20000); break;
        case 1: ev.Type = TTypeEvenement(1 + g.N(7)); break;
        case 2: g.Abime(ev.Difference); break;
        case 3: g.Abime(ev.Image.Octets); break;
        case 4: ev.Entree = uint16_t(g.N(65536)); break;
        case 5: ev.Slot = uint8_t(g.N(8)); break;
        case 6: ev.HorlogeKHz = g.N(2'000'000); break;
        case 7: evs.erase(evs.begin() + g.N(uint32_t(evs.size()))); break;
        default:
            if (!s.Controles.empty()) {
                TControleSession& c = s.Controles[g.N(uint32_t(s.Controles.size()))];
                if (g.N(2)) c.Empreintes[g.N(NbComposants)] ^= uint64_t(1) << g.N(64);
                else c.Instruction += g.N(3);
            }
        }
    }
    if (g.N(8) == 0) s.Info.FinInstruction = g.N(2) ? s.Info.FinInstruction + g.N(3000) : g.N(20000);
    if (g.N(16) == 0) g.Abime(s.Etat);
    if (g.N(16) == 0) g.Abime(s.Images[g.N(6)].Octets);
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    TDossierTemporaire dossier("fuzz-session");
    if (dossier.Chemin.empty()) Echec("pas de dossier temporaire", 0);
    const TSession departs[2] = {SessionDeDepart(dossier.Chemin, false), SessionDeDepart(dossier.Chemin, true)};
    if (std::none_of(departs[1].Evenements.begin(), departs[1].Evenements.end(),
                     [](const TEvenement& ev) { return !ev.Image.Octets.empty(); }))
        Echec("la session de départ n'insère pas de disque", 0);
    const std::vector<uint8_t> bons[2] = {CodeSession(departs[0]), CodeSession(departs[1])};
    TGenerateur g(graine);
    uint64_t acceptees = 0, finies = 0;
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        const int k = g.N(4) == 0;
        const TSession& depart = departs[k];
        std::vector<uint8_t> fichier;
        if (g.N(3) == 0) {
            fichier = bons[k];
            g.Abime(fichier);
        } else {
            TSession s = depart;
            AbimeContenu(g, s);
            fichier = CodeSession(s);
        }
        TSession s;
        std::string erreur;
        if (!DecodeSession(fichier, s, erreur)) {
            if (erreur.empty()) Echec("refus sans raison", e);
            continue;
        }
        ++acceptees;
        TPosteVirtuel poste(7u);
        poste.SurDemandeLancement = [] {};
        auto r = TRelectureSession::Commence(poste, poste.HoteVirtuel, s, dossier.Chemin, erreur);
        if (!r) {
            if (erreur.empty()) Echec("départ refusé sans raison", e);
            continue;
        }
        TMachine& m = poste.Machine();
        for (int tours = 0; r->EnCours() && tours < 8; ++tours) {
            m.ChangeEtatCPU(m.EtatCPU == CPUHalt ? CPUHalt : CPURun);
            m.Execute(20'000);
            if (r->EnCours() && m.EtatCPU == CPUHalt) r->Frontiere(m);
        }
        if (!r->EnCours() && r->Message().empty()) Echec("fin de relecture sans message", e);
        finies += r->Etat() == TEtatRelecture::Finie;
    }
    std::printf("fuzz_session : %llu entrées, %llu acceptées, %llu rejouées jusqu'au bout, aucune faute\n",
                static_cast<unsigned long long>(nbEntrees), static_cast<unsigned long long>(acceptees),
                static_cast<unsigned long long>(finies));
    return 0;
}
