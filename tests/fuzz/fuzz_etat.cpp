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

// The chunks written back unpacked, each with a CRC that matches.
std::vector<uint8_t> Recode(uint16_t version, const std::vector<TMorceauEtat>& morceaux) {
    std::vector<uint8_t> o{'Z', 'O', 'R', 'V', 'E', 'T', 'A', 'T'};
    Entier(o, version, 2);
    for (const TMorceauEtat& k : morceaux) {
        std::string id = k.Id;
        id.resize(4, ' ');
        o.insert(o.end(), id.begin(), id.end());
        Entier(o, k.Version, 2);
        o.push_back(0);
        Entier(o, k.Octets.size(), 4);
        Entier(o, k.Octets.size(), 4);
        Entier(o, Crc32(k.Octets.data(), k.Octets.size()), 4);
        o.insert(o.end(), k.Octets.begin(), k.Octets.end());
    }
    return o;
}

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return n ? uint32_t(Alea() % n) : 0; }

    // Bytes of a buffer changed in one of a few ways.
    void Abime(std::vector<uint8_t>& o) {
        const uint32_t fois = 1 + N(4);
        for (uint32_t f = 0; f < fois; ++f) {
            const size_t n = o.size();
            switch (N(7)) {
            case 0: if (n) o[N(uint32_t(n))] ^= uint8_t(1u << N(8)); break;
            case 1: if (n) o[N(uint32_t(n))] = uint8_t(N(256)); break;
            case 2: o.resize(N(uint32_t(n) + 1)); break;
            case 3: for (uint32_t i = N(40); i; --i) o.insert(o.begin() + N(uint32_t(o.size()) + 1), uint8_t(N(256))); break;
            case 4: // a run of one value (0, FF, 80…) over a field
                if (n) {
                    const size_t debut = N(uint32_t(n));
                    const uint8_t v = "\x00\xFF\x80\x7F\x01"[N(5)];
                    for (size_t i = debut; i < n && i < debut + 1 + N(9); ++i) o[i] = v;
                }
                break;
            case 5: // a few bytes taken out
                if (n) {
                    const size_t debut = N(uint32_t(n)), fin = std::min<size_t>(n, debut + 1 + N(16));
                    o.erase(o.begin() + std::ptrdiff_t(debut), o.begin() + std::ptrdiff_t(fin));
                }
                break;
            default: if (n >= 2) o[n - 1 - N(std::min<uint32_t>(uint32_t(n), 16))] = uint8_t(N(256)); break;
            }
        }
    }

private:
    std::mt19937_64 Alea;
};

bool MemesEnregistrements(const TEtatComplet& a, const TEtatComplet& b) {
    return a.Roms == b.Roms && a.Processeur == b.Processeur && a.Memoire == b.Memoire && a.Ecran == b.Ecran &&
           a.Clavier == b.Clavier && a.Imprimante == b.Imprimante && a.Dsq == b.Dsq && a.Arith == b.Arith &&
           a.DisqueDur == b.DisqueDur && a.Ports == b.Ports && a.Horloge == b.Horloge;
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
    TGenerateur g(graine);
    TPosteVirtuel poste(7u);
    uint64_t acceptes = 0;
    for (uint64_t e = 0; e < nbEntrees; ++e) {
        std::vector<uint8_t> fichier;
        if (g.N(4) == 0) {
            fichier = bon;
            g.Abime(fichier);
        } else {
            std::vector<TMorceauEtat> k = morceaux;
            for (uint32_t i = 1 + g.N(3); i; --i) g.Abime(k[g.N(uint32_t(k.size()))].Octets);
            if (g.N(16) == 0) k[g.N(uint32_t(k.size()))].Version = uint16_t(g.N(3));
            if (g.N(32) == 0) k.erase(k.begin() + g.N(uint32_t(k.size())));
            fichier = Recode(g.N(64) ? version : uint16_t(g.N(4)), k);
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
        TChargementEtat c;
        if (!AppliqueEtat(poste, &poste.HoteVirtuel, etat, c)) {
            if (c.Erreur.empty()) Echec("refus sans raison à l'application", e);
            continue;
        }
        if (!MemesEnregistrements(CaptureEtat(poste, &poste.HoteVirtuel, false), etat))
            Echec("l'état repris n'est pas l'état lu", e);
        TMachine& m = poste.Machine();
        if (m.EtatCPU == CPUStop) m.ChangeEtatCPU(CPURun);
        m.LanceEmulation(1000);
    }
    std::printf("fuzz_etat : %llu entrées, %llu acceptées, aucune faute\n", static_cast<unsigned long long>(nbEntrees),
                static_cast<unsigned long long>(acceptes));
    return 0;
}
