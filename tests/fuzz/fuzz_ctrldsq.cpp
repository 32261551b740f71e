// Random byte streams against the floppy controller: writes to the data
// port, reads of the data and status ports, interleaved, half of them shaped
// like real frames so that the commands run. Checked after every step: no
// index leaves its buffer, nothing outside the controller's fields changes,
// and after every stream the images keep their length (and the protected
// ones their contents).
//
//   fuzz_ctrldsq [inputs [seed]]     default 1000000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"
#include "disks/ControleurDsq.h"
#include "disks/Lecteurs.h"

namespace fs = std::filesystem;

namespace {

enum TOp : uint8_t { opEcrit, opLit, opStatus };
struct TPas {
    TOp Op;
    uint8_t Octet;
};

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}

    std::vector<TPas> Entree() {
        std::vector<TPas> e;
        const int morceaux = 1 + int(Hasard(12));
        for (int i = 0; i < morceaux; ++i) {
            if (Hasard(8) == 0) Bruit(e, int(Hasard(64)));
            else Trame(e);
        }
        return e;
    }

private:
    std::mt19937_64 Alea;
    uint32_t Hasard(uint32_t n) { return uint32_t(Alea() % n); }
    uint8_t Octet() { return uint8_t(Alea()); }

    void Ecrit(std::vector<TPas>& e, uint8_t b) { e.push_back({opEcrit, b}); }
    // The processor's side: read a few bytes, look at the status now and then.
    void Lectures(std::vector<TPas>& e, int n) {
        for (int i = 0; i < n; ++i) {
            if (Hasard(3) == 0) e.push_back({opStatus, 0});
            e.push_back({opLit, 0});
        }
    }
    void Bruit(std::vector<TPas>& e, int n) {
        for (int i = 0; i < n; ++i) e.push_back({TOp(Hasard(3)), Octet()});
    }

    uint16_t Longueur(uint16_t normale) {
        switch (Hasard(8)) {
        case 0: return uint16_t(Hasard(600));
        case 1: return uint16_t(Hasard(40));
        case 2: return uint16_t(Alea());
        default: return normale;
        }
    }

    void Trame(std::vector<TPas>& e) {
        if (Hasard(6) == 0) { // enquiry
            Ecrit(e, 0x05);
            Lectures(e, int(Hasard(4)));
            Ecrit(e, Octet());
            return;
        }
        static constexpr uint8_t Codes[] = {0x11, 0x12, 0x59, 0x5A, 0x5B, 0x5C, 0x91, 0xDC};
        static constexpr uint8_t Cmds[] = {CmdLecture, CmdLecture, CmdEcriture, CmdEcriture};
        uint8_t cmd = Cmds[Hasard(4)];
        if (Hasard(40) == 0) cmd = CmdFormatage;
        if (Hasard(16) == 0) cmd = Octet();
        const uint16_t lgr = Hasard(4) == 0 ? Longueur(3) : 3;
        Ecrit(e, 0xA5);
        const uint8_t entete[7] = {uint8_t(lgr >> 8), uint8_t(lgr), Octet(), Octet(), cmd, Octet(), Octet()};
        for (uint8_t b : entete) Ecrit(e, b);
        Lectures(e, 2);
        const uint32_t secteurs[] = {0, 1, Hasard(3082), Hasard(4930), 3080, 3081, 4928, 4929, 0xFFFF};
        const uint32_t s = secteurs[Hasard(9)];
        const uint8_t code = Hasard(10) == 0 ? Octet() : Codes[Hasard(8)];
        const uint8_t msg[3] = {uint8_t(s), uint8_t(s >> 8), code};
        for (uint32_t i = 0; i < uint32_t(lgr) + 1u && i < 4000; ++i) Ecrit(e, i < 3 ? msg[i] : Octet());
        Lectures(e, 1 + int(Hasard(2)));
        if (cmd == CmdEcriture && Hasard(8) != 0) {
            const uint16_t d = Longueur(256);
            Ecrit(e, 0xA5);
            Ecrit(e, uint8_t(d >> 8));
            Ecrit(e, uint8_t(d));
            for (int i = 0; i < 5; ++i) Ecrit(e, Octet());
            Lectures(e, 2);
            for (uint32_t i = 0; i < d && i < 4000; ++i) {
                Ecrit(e, Octet());
                if ((i + 1) % 32 == 0 || i + 1 == d) {
                    Ecrit(e, Octet());
                    Lectures(e, 1);
                }
            }
        }
        // Reply, acknowledgements and data, in a loose order.
        Lectures(e, int(Hasard(12)));
        for (int i = 0, n = int(Hasard(12)); i < n; ++i) {
            Ecrit(e, Octet());
            Lectures(e, int(Hasard(34)));
        }
    }
};

[[noreturn]] void Echec(const char* quoi, uint64_t entree) {
    std::fprintf(stderr, "fuzz_ctrldsq : %s (entree %llu)\n", quoi, (unsigned long long)entree);
    std::exit(1);
}

bool Invariants(const TMachine& m) {
    if (m.EtatCtrlDsq > ecdEmetSomme || m.EtatCtrlDsq == ecdZero) return false;
    if (m.StatusCtrl != 0x80 && m.StatusCtrl != 0x81) return false;
    if (m.IndEntete < 0 || m.IndEntete > 7) return false;
    if (m.EtatCtrlDsq == ecdEmetBuf &&
        (m.LgrBufMsgZor <= 0 || m.IndBufMsgZor < 0 || m.IndBufMsgZor + m.LgrBufMsgZor > 256))
        return false;
    if (m.EtatCtrlDsq == ecdEmetData && (m.LgrDataZorv <= 0 || m.IndDataZorv < 0 ||
                                         m.IndDataZorv + m.LgrDataZorv != 256))
        return false;
    return !(m.EtatCtrlDsq == ecdEcritSect && m.LgrMsgCtrl <= 0);
}

// The machine record outside the controller's fields: [debut, fin) must not change.
struct TZoneCtrl {
    size_t Debut, Fin;
    explicit TZoneCtrl(const TMachine& m) {
        const auto* base = reinterpret_cast<const char*>(&m);
        Debut = size_t(reinterpret_cast<const char*>(&m.EtatCtrlDsq) - base);
        Fin = size_t(reinterpret_cast<const char*>(&m.FinDeCmd) - base) + sizeof(m.FinDeCmd);
    }
};

std::vector<uint8_t> Contenu(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string CreeImage(const fs::path& dossier, const char* nom, int64_t taille, uint8_t motif) {
    const std::string chemin = (dossier / nom).string();
    std::vector<char> octets(static_cast<size_t>(taille), char(motif));
    std::ofstream(chemin, std::ios::binary).write(octets.data(), std::streamsize(taille));
    return chemin;
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t nbEntrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const uint64_t graine = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;

    std::string modele = (fs::temp_directory_path() / "zorv-fuzz-XXXXXX").string();
    if (::mkdtemp(modele.data()) == nullptr) Echec("dossier temporaire", 0);
    const fs::path dossier = modele;

    auto m = std::make_unique<TMachine>();
    THoteVirtuel hote(m.get());
    m->Hote = &hote;
    m->InitMachine();
    TLecteurs lec(0);
    m->Lecteurs = &lec;
    // Drive 1 writable, 2 protected, 9 opened read-only, 10 empty,
    // 11 writable, 12 empty.
    const std::string img1 = CreeImage(dossier, "d1.img", 788480, 0x11);
    const std::string img2 = CreeImage(dossier, "d2.img", 788480, 0x22);
    const std::string img9 = CreeImage(dossier, "d9.img", 1261568, 0x99);
    const std::string img11 = CreeImage(dossier, "d11.img", 1261568, 0xBB);
    bool ok = lec.ChargeImage(1, img1, " ").empty() && lec.ChargeImage(2, img2, " ").empty() &&
              lec.ChargeImage(9, img9, " ", true).empty() && lec.ChargeImage(11, img11, " ").empty();
    lec.BasculeProtection(2);
    if (!ok || lec.EtatDuDisque(2) != 2 || lec.EtatDuDisque(3) != 2) Echec("images de depart", 0);
    const auto ref2 = Contenu(img2), ref9 = Contenu(img9);

    const TZoneCtrl zone(*m);
    const auto* octetsMachine = reinterpret_cast<const uint8_t*>(m.get());
    const std::vector<uint8_t> avant(octetsMachine, octetsMachine + zone.Debut);
    const std::vector<uint8_t> apres(octetsMachine + zone.Fin, octetsMachine + sizeof(TMachine));

    TGenerateur gen(graine);
    uint64_t pas = 0, commandes = 0;
    uint64_t vues[3] = {}; // data replies, success replies, error replies
    for (uint64_t n = 0; n < nbEntrees; ++n) {
        if (n % 2 == 0) { // a reset of the controller between streams, or not
            m->EtatCtrlDsq = ecdAttente;
            m->LgrBufMsgZor = m->IndBufMsgZor = 0;
            m->StatusCtrl = 0x80;
            m->ExecCmdLect = m->ExecCmdEcr = m->ExecCmdFmt = m->FinDeCmd = false;
        }
        for (const TPas& p : gen.Entree()) {
            try {
                switch (p.Op) {
                case opEcrit: EcritCtrlDsq(*m, p.Octet); break;
                case opLit: {
                    // Count the replies reaching the processor, by kind.
                    const bool reponse = m->EtatCtrlDsq == ecdEmetBuf && m->IndBufMsgZor == 2 &&
                                         m->BufMsgZorv[0] == 0xAA && m->BufMsgZorv[1] == 0xA5;
                    const uint8_t genre = LitCtrlDsq(*m);
                    if (reponse) ++vues[genre == 0x01 ? 0 : m->BufMsgZorv[4] == 0 ? 1 : 2];
                    break;
                }
                case opStatus: commandes += LitStatusCtrlDsq(*m) == 0x80 && m->StatusCtrl == 0x81; break;
                }
            } catch (...) {
                Echec("exception sortie du controleur", n);
            }
            ++pas;
            if (!Invariants(*m)) Echec("etat du controleur incoherent", n);
        }
        if (std::memcmp(avant.data(), octetsMachine, zone.Debut) != 0 ||
            std::memcmp(apres.data(), octetsMachine + zone.Fin, apres.size()) != 0)
            Echec("ecriture hors des champs du controleur", n);
        for (int slot : {1, 2, 3, 5})
            if (lec.Disques[slot].Fichier.Longueur() != lec.Taille_Disque[slot])
                Echec("longueur d'image changee", n);
        if (!hote.Erreurs.empty()) Echec(hote.Erreurs.front().c_str(), n);
        if ((n + 1) % 100000 == 0 || n + 1 == nbEntrees) {
            if (Contenu(img2) != ref2 || Contenu(img9) != ref9) Echec("image protegee modifiee", n);
            std::printf("%llu entrees, %llu octets de port\n", (unsigned long long)(n + 1),
                        (unsigned long long)pas);
            std::fflush(stdout);
        }
    }
    std::printf("fuzz_ctrldsq : %llu entrees sans defaut (%llu fins de commande vues ; "
                "%llu lectures, %llu succes, %llu erreurs)\n",
                (unsigned long long)nbEntrees, (unsigned long long)commandes,
                (unsigned long long)vues[0], (unsigned long long)vues[1], (unsigned long long)vues[2]);
    lec.VideTout();
    fs::remove_all(dossier);
    return 0;
}
