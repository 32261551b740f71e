// Random state files against the loader. A sound state of a machine that
// has used its devices is taken apart; each input either damages the file's
// bytes (flips, cuts, random runs, chunk headers) or damages the records
// inside sound chunks (so that the CRC holds and the record readers and the
// range checks are what stands in the way). Checked for each input: a
// refusal says why; an accepted state, put into a workstation, gives back
// exactly its records when captured again, and the machine then runs 1,000
// instructions without a fault (the sanitizers watch the indices).
//
//   fuzz_etat [inputs [seed]]     default 1000000 inputs, seed 1
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "config/EtatPoste.h"
#include "config/FichierEtat.h"
#include "config/Poste.h"
#include "devices/Png.h"

#include "Generateur.h"

namespace {

[[noreturn]] void Echec(const std::string& quoi, uint64_t entree) {
    std::fprintf(stderr, "fuzz_etat : %s (entrée %llu)\n", quoi.c_str(), static_cast<unsigned long long>(entree));
    std::exit(1);
}

// A machine that has been through its devices: a program writes points and
// clears the graphics plane, pushes numbers through the arithmetic chip,
// sends bytes to the printer and to the floppy controller, then loops.
std::vector<uint8_t> EtatDeDepart() {
    TPosteVirtuel poste(7u);
    TMachine& m = poste.Machine();
    m.InitMachine();
    const uint8_t code[] = {
        0x3E, 0x55, 0xD3, 0xEF, 0x78, 0xD3, 0xA3, 0xD3, 0xC3, 0xD3, 0x83, // points, chip stack
        0x3E, 0x41, 0xD3, 0xAF, 0x3E, 0x02, 0xD3, 0xCF, 0xAF, 0xD3, 0xCF, // a printer byte, strobe
        0x78, 0xD3, 0xB9,                                                 // a byte to the controller
        0x05, 0xC2, 0x00, 0x20, 0xD3, 0xE3, 0x3E, 0x10, 0xD3, 0xFF,       // loop; clear; chip command
        0xC3, 0x00, 0x20};
    for (size_t i = 0; i < sizeof code; ++i) m.ZorvMem[0x2000 + i] = code[i];
    m.RegPC = 0x2000, m.RegB = 40, m.SelMem = 0;
    m.ChangeEtatCPU(CPURun);
    m.LanceEmulation(5000);
    return CodeEtat(CaptureEtat(poste, &poste.HoteVirtuel, true));
}

void Entier(std::vector<uint8_t>& o, uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) o.push_back(uint8_t(v >> (8 * i)));
}

// A chunk as it goes into a file, with a CRC that matches.
std::vector<uint8_t> Morceau(const TMorceauEtat& k) {
    std::vector<uint8_t> o;
    std::string id = k.Id;
    id.resize(4, ' ');
    CodeMorceau(o, id.c_str(), k.Version, k.Octets);
    return o;
}

// The chunks of the sound file as it holds them (packed), and unpacked.
struct TMorceaux {
    std::vector<std::vector<uint8_t>> Bruts;
    std::vector<TMorceauEtat> Lus;
};

TMorceaux Decoupe(const std::vector<uint8_t>& bon, const std::vector<TMorceauEtat>& lus) {
    TMorceaux m{{}, lus};
    size_t pos = 10;
    for (const TMorceauEtat& k : lus) {
        const size_t n = 19 + k.LongueurStockee;
        m.Bruts.emplace_back(bon.begin() + std::ptrdiff_t(pos), bon.begin() + std::ptrdiff_t(pos + n));
        pos += n;
    }
    return m;
}

// The first record that differs, or nullptr.
const char* EnregistrementDifferent(const TEtatComplet& a, const TEtatComplet& b) {
    if (!(a.Roms == b.Roms)) return TImagesRom::Id;
    if (!(a.Processeur == b.Processeur)) return TEtatProcesseur::Id;
    if (!(a.Memoire == b.Memoire)) return TEtatMemoire::Id;
    if (!(a.Ecran == b.Ecran)) return TEtatEcran::Id;
    if (!(a.Clavier == b.Clavier)) return TEtatClavier::Id;
    if (!(a.Imprimante == b.Imprimante)) return TEtatImprimante::Id;
    if (!(a.Dsq == b.Dsq)) return TEtatControleurDsq::Id;
    if (!(a.Arith == b.Arith)) return TEtatArith::Id;
    if (!(a.DisqueDur == b.DisqueDur)) return TEtatDisqueDur::Id;
    if (!(a.Ports == b.Ports)) return TEtatPorts::Id;
    if (!(a.Horloge == b.Horloge)) return TEtatHorloge::Id;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const std::vector<uint8_t> bon = EtatDeDepart();
    uint16_t version = 0;
    std::vector<TMorceauEtat> morceaux;
    std::string erreur;
    if (!LitMorceaux(bon.data(), bon.size(), version, morceaux, erreur)) Echec("état de départ : " + erreur, 0);
    const TMorceaux decoupe = Decoupe(bon, morceaux);
    TGenerateur g(graine);
    TPosteVirtuel poste(7u);
    uint64_t acceptes = 0;
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        std::vector<uint8_t> fichier;
        if (g.N(4) == 0) {
            fichier = bon;
            g.Abime(fichier);
        } else {
            // Some chunks damaged inside, the others as they were.
            std::vector<std::vector<uint8_t>> k = decoupe.Bruts;
            for (uint32_t i = 1 + g.N(3); i; --i) {
                const size_t j = g.N(uint32_t(k.size()));
                TMorceauEtat abime = decoupe.Lus[j];
                g.Abime(abime.Octets);
                if (g.N(16) == 0) abime.Version = uint16_t(g.N(3));
                k[j] = Morceau(abime);
            }
            if (g.N(32) == 0) k.erase(k.begin() + g.N(uint32_t(k.size())));
            fichier = {'Z', 'O', 'R', 'V', 'E', 'T', 'A', 'T'};
            Entier(fichier, g.N(64) ? version : uint16_t(g.N(4)), 2);
            for (const auto& b : k) fichier.insert(fichier.end(), b.begin(), b.end());
        }
        TEtatComplet etat;
        erreur.clear();
        if (!DecodeEtat(fichier, etat, erreur)) {
            if (erreur.empty()) Echec("refus sans raison", e);
            continue;
        }
        ++acceptes;
        // A damaged drive list could name any file of the host: none is
        // mounted here.
        for (TDisqueEtat& d : etat.Disques.Lecteurs) d.Chemin.clear();
        // The step repeat in a file is not the machine's and is not taken.
        etat.Horloge.Actif[tmPas] = false;
        etat.Horloge.Echeance[tmPas] = 0;
        TChargementEtat c;
        if (!AppliqueEtat(poste, &poste.HoteVirtuel, etat, c)) {
            if (c.Erreur.empty()) Echec("refus sans raison à l'application", e);
            continue;
        }
        if (const char* id = EnregistrementDifferent(CaptureEtat(poste, &poste.HoteVirtuel, false), etat))
            Echec(std::string("l'état repris n'est pas l'état lu : bloc ") + id, e);
        TMachine& m = poste.Machine();
        if (m.EtatCPU == CPUStop) m.ChangeEtatCPU(CPURun);
        m.LanceEmulation(1000);
    }
    std::printf("fuzz_etat : %llu entrées, %llu acceptées, aucune faute\n", static_cast<unsigned long long>(nbEntrees),
                static_cast<unsigned long long>(acceptes));
    return 0;
}
