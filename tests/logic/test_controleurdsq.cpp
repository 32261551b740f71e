// The floppy controller driven byte by byte, as the processor drives it
// through its data and status ports.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"
#include "disks/ActiviteLecteurs.h"
#include "disks/ControleurDsq.h"
#include "disks/Lecteurs.h"
#include "ImagesTemp.h"

namespace {

using Octets = std::vector<uint8_t>;
constexpr int64_t T800 = 788480, T1200 = 1261568;

struct Controleur : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    THoteVirtuel hote{m.get()};
    TLecteurs lec;
    TDossierTemp dossier;

    void SetUp() override {
        m->Hote = &hote;
        m->InitMachine();
        m->Lecteurs = &lec;
    }

    void Ecrit(const Octets& o) {
        for (uint8_t b : o) EcritCtrlDsq(*m, b);
    }
    Octets Lit(int n) {
        Octets r;
        for (int i = 0; i < n; ++i) r.push_back(LitCtrlDsq(*m));
        return r;
    }
    uint8_t Status() { return LitStatusCtrlDsq(*m); }

    // Command frame up to the message echo: 0xA5, header (length 3, command),
    // echo of the header checksum, message (sector, drive code, checksum),
    // echo of the message checksum. The command has run when this returns.
    void Commande(uint8_t cmd, uint8_t code, uint16_t secteur) {
        Ecrit({0xA5, 0x00, 0x03, 0x00, 0x00, cmd, 0x00, 0x5E});
        ASSERT_EQ(Lit(2), (Octets{0x5E, 0x00}));
        Ecrit({uint8_t(secteur), uint8_t(secteur >> 8), code});
        EXPECT_EQ(Status(), 0x80) << "le controleur attend le dernier octet du message";
        Ecrit({0xC3});
        EXPECT_EQ(Status(), 0x81);
        ASSERT_EQ(Lit(1), Octets{0xC3});
    }

    // Data frame of a write: 0xA5, 7 header bytes (length), echo, then the
    // data in blocks of 32 each followed by a checksum the controller echoes.
    void Donnees(const Octets& d, uint16_t longueur) {
        Ecrit({0x00, 0x33, 0xA5, uint8_t(longueur >> 8), uint8_t(longueur), 0, 0, 0, 0, 0x77});
        ASSERT_EQ(Lit(2), (Octets{0x77, 0x00}));
        for (size_t i = 0; i < d.size(); i += 32) {
            const size_t fin = std::min(d.size(), i + 32);
            uint8_t somme = 0;
            for (size_t j = i; j < fin; ++j) {
                ASSERT_EQ(Status(), 0x80);
                EcritCtrlDsq(*m, d[j]);
                somme ^= d[j];
            }
            EcritCtrlDsq(*m, somme);
            ASSERT_EQ(Lit(1), Octets{somme}) << "bloc " << i / 32;
        }
    }

    // The data part of a read reply: 8 blocks with their checksums checked.
    Octets Secteur() {
        Ecrit({0x00, 0x00}); // the two acknowledgements of the header
        Octets d;
        for (int bloc = 0; bloc < 8; ++bloc) {
            uint8_t somme = 0;
            for (int i = 0; i < 32; ++i) {
                EXPECT_EQ(Status(), 0x81);
                d.push_back(LitCtrlDsq(*m));
                somme ^= d.back();
            }
            EXPECT_EQ(Status(), 0x81);
            EXPECT_EQ(LitCtrlDsq(*m), somme) << "bloc " << bloc;
            EXPECT_EQ(Status(), 0x80);
            EcritCtrlDsq(*m, 0x00);
        }
        return d;
    }

    // After a full exchange the controller is idle and answers an enquiry.
    void Disponible() {
        EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
        EXPECT_EQ(Status(), 0x80);
        Ecrit({0x05});
        EXPECT_EQ(Lit(2), (Octets{0xAA, 0x19}));
        Ecrit({0x00});
    }

    Octets Motif(uint8_t graine, size_t n = 256) {
        Octets d(n);
        for (size_t i = 0; i < n; ++i) d[i] = uint8_t(graine + i * 5);
        return d;
    }
};

TEST_F(Controleur, EnquirySwallowsOneByteAndIdleReadsChangeNothing) {
    EXPECT_EQ(Status(), 0x80);
    EXPECT_EQ(LitCtrlDsq(*m), 0);
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
    Ecrit({0x05});
    EXPECT_EQ(Status(), 0x81);
    Ecrit({0xA5}); // written while the controller talks: ignored
    EXPECT_EQ(Lit(1), Octets{0xAA});
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(Lit(1), Octets{0x19});
    EXPECT_EQ(Status(), 0x80);
    EXPECT_EQ(Lit(1), Octets{0x00});
    Ecrit({0xA5}); // swallowed, so no command frame starts
    EXPECT_EQ(m->EtatCtrlDsq, ecdAttente);
    Ecrit({0x42, 0x00}); // other bytes are ignored when idle
    Disponible();
}

TEST_F(Controleur, ReadOnAnEmptyOrUnknownDrive) {
    Commande(CmdLecture, 0x5C, 1);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x5C, 0x04, 0x00, 0x32}));
    EXPECT_EQ(m->EtatCtrlDsq, ecdSommeStat);
    Ecrit({0x00});
    Disponible();
    Commande(CmdLecture, 0x13, 1);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x13, 0x04, 0x00, 0x6A ^ 0x13 ^ 0x04}));
    Ecrit({0x00});
    // No drive table at all: every drive is empty.
    lec.InsereDisque(6, dossier.Image("a.img", T1200), " ");
    m->Lecteurs = nullptr;
    Commande(CmdLecture, 0x5C, 1);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x5C, 0x04, 0x00, 0x32}));
    Ecrit({0x00});
    Disponible();
}

TEST_F(Controleur, StatusAnswers80OnceAfterTheCommandRan) {
    Ecrit({0xA5, 0x00, 0x03, 0x00, 0x00, CmdLecture, 0x00, 0x11});
    Lit(2);
    Ecrit({0x01, 0x00, 0x5C});
    EXPECT_FALSE(m->FinDeCmd);
    Ecrit({0x99});
    Lit(1);
    EXPECT_EQ(Status(), 0x80);
    EXPECT_EQ(Status(), 0x81);
    EXPECT_EQ(Status(), 0x81);
    Lit(9);
    EXPECT_EQ(Status(), 0x80);
}

TEST_F(Controleur, FullReadDeliversTheSectorInCheckedBlocks) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    lec.BasculeProtection(1); // protected disks are read too
    Commande(CmdLecture, 0x11, 3080);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x01, 0x00, 0x00, 0x00, 0x11, 0x00, 0x10}));
    const Octets d = Secteur();
    const auto fichier = TDossierTemp::Contenu(a);
    EXPECT_TRUE(std::equal(d.begin(), d.end(), fichier.begin() + 3079 * 256));
    Disponible();
    // Bit 7 of the code is ignored for the drive and kept in the reply.
    Commande(CmdLecture, 0x91, 2);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x01, 0x00, 0x00, 0x00, 0x91, 0x00, 0x90}));
    const Octets d2 = Secteur();
    EXPECT_TRUE(std::equal(d2.begin(), d2.end(), fichier.begin() + 256));
    Disponible();
}

TEST_F(Controleur, ReadOutsideTheDiskGivesFFBytes) {
    ASSERT_EQ(lec.InsereDisque(2, dossier.Image("a.img", T800), " "), "");
    for (uint16_t s : {0, 3081}) {
        Commande(CmdLecture, 0x12, s);
        EXPECT_EQ(Lit(9)[4], 0x00);
        EXPECT_EQ(Secteur(), Octets(256, 0xFF)) << s;
    }
    Disponible();
}

TEST_F(Controleur, FullWriteLandsAtItsSector) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(2, a, " "), "");
    auto attendu = TDossierTemp::Contenu(a);
    const Octets d = Motif(0x40);
    Commande(CmdEcriture, 0x12, 700);
    EXPECT_EQ(m->EtatCtrlDsq, ecdPreambEcr);
    Donnees(d, 256);
    EXPECT_EQ(Status(), 0x80);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x00, 0x12, 0x00, 0x00, 0x12}));
    Ecrit({0x00});
    Disponible();
    std::copy(d.begin(), d.end(), attendu.begin() + 699 * 256);
    EXPECT_TRUE(TDossierTemp::Contenu(a) == attendu);
    // Sector 0 and sectors past the end: answered, nothing written anywhere.
    for (uint16_t s : {0, 3081, 65535}) {
        Commande(CmdEcriture, 0x12, s);
        Donnees(Motif(0x99), 256);
        EXPECT_EQ(Lit(9)[4], 0x00);
        Ecrit({0x00});
    }
    EXPECT_TRUE(TDossierTemp::Contenu(a) == attendu);
}

TEST_F(Controleur, WriteToAProtectedOrEmptyDriveChangesNothing) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    lec.BasculeProtection(1);
    const auto avant = TDossierTemp::Contenu(a);
    Commande(CmdEcriture, 0x11, 1);
    Donnees(Motif(1), 256);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x69, 0x11, 0x04, 0x00, 0x7C}));
    Ecrit({0x00});
    Commande(CmdEcriture, 0x5A, 1);
    Donnees(Motif(1), 256);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x5A, 0x04, 0x00, 0x6A ^ 0x5A ^ 0x04}));
    Ecrit({0x00});
    Disponible();
    EXPECT_TRUE(TDossierTemp::Contenu(a) == avant);
}

TEST_F(Controleur, FormatZeroesTheImageAndKeepsItsLength) {
    const std::string a = dossier.Image("a.img", T1200);
    ASSERT_EQ(lec.InsereDisque(3, a, " "), "");
    lec.BasculeProtection(3);
    Commande(CmdFormatage, 0x59, 0);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x69, 0x59, 0x04, 0x00, 0x69 ^ 0x59 ^ 0x04}));
    Ecrit({0x00});
    EXPECT_EQ(TDossierTemp::Contenu(a)[0], TDossierTemp::OctetMotif(1, 0));
    lec.BasculeProtection(3);
    Commande(CmdFormatage, 0x59, 0);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x00, 0x59, 0x00, 0x00, 0x59}));
    Ecrit({0x00});
    Disponible();
    const auto apres = TDossierTemp::Contenu(a);
    ASSERT_EQ(apres.size(), size_t(T1200));
    EXPECT_EQ(std::count(apres.begin(), apres.end(), 0), T1200);
}

TEST_F(Controleur, HostFailureIsReportedAndTheReplyCompleted) {
    const std::string a = dossier.Image("a.img", T1200);
    ASSERT_EQ(lec.InsereDisque(4, a, " "), "");
    std::filesystem::resize_file(a, 256 * 10);
    Commande(CmdLecture, 0x5A, 11);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x5A, 0x04, 0x00, 0x6A ^ 0x5A ^ 0x04}));
    Ecrit({0x00});
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_NE(hote.Erreurs[0].find(a), std::string::npos) << hote.Erreurs[0];
    Commande(CmdEcriture, 0x5A, 20);
    Donnees(Motif(3), 256);
    EXPECT_EQ(Lit(9)[4], 0x6A);
    Ecrit({0x00});
    EXPECT_EQ(hote.Erreurs.size(), 2u);
    EXPECT_EQ(std::filesystem::file_size(a), 2560u); // not grown back
    // Sectors still in the file are read as usual.
    Commande(CmdLecture, 0x5A, 10);
    EXPECT_EQ(Lit(9)[8], 0x5A ^ 0x01);
    EXPECT_EQ(Secteur()[0], TDossierTemp::OctetMotif(10, 0));
    Disponible();
}

TEST_F(Controleur, ReadOnlyFileAnswersAsProtected) {
    const std::string a = dossier.Image("a.img", T1200);
    if (!dossier.RendNonModifiable(a)) GTEST_SKIP() << "fichier toujours modifiable sur cet hote";
    ASSERT_EQ(lec.InsereDisque(5, a, " "), "");
    Commande(CmdEcriture, 0x5B, 1);
    Donnees(Motif(7), 256);
    EXPECT_EQ(Lit(9)[4], 0x69);
    Ecrit({0x00});
    EXPECT_TRUE(hote.Erreurs.empty());
    Disponible();
}

TEST_F(Controleur, OversizedFramesAreCutToTheBuffers) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    const TEnteteDsq gardeEntete = m->BufEnteteEcr;
    // A 600-byte message: only the first 257 bytes are kept.
    Ecrit({0xA5, 0x02, 0x58, 0x00, 0x00, CmdEcriture, 0x00, 0x01});
    Lit(2);
    Octets msg(600, 0xEE);
    msg[0] = 0x05, msg[1] = 0x00, msg[2] = 0x11;
    Ecrit(msg);
    EXPECT_EQ(m->EtatCtrlDsq, ecdMessage) << "600 octets + la somme";
    Ecrit({0x3C});
    EXPECT_EQ(m->BufEnteteEcr, gardeEntete);
    EXPECT_EQ(Lit(1), Octets{0x3C});
    // 320 data bytes (10 blocks): the sector is the first 256.
    const Octets d = Motif(0x10, 320);
    Donnees(d, 320);
    EXPECT_EQ(Lit(9)[4], 0x00);
    Ecrit({0x00});
    Disponible();
    const auto f = TDossierTemp::Contenu(a);
    EXPECT_TRUE(std::equal(d.begin(), d.begin() + 256, f.begin() + 4 * 256));
    EXPECT_EQ(f[5 * 256], TDossierTemp::OctetMotif(6, 0));
}

TEST_F(Controleur, ShortWriteDataEndsItsLastBlockAndIsPaddedWithZeros) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    Commande(CmdEcriture, 0x11, 9);
    const Octets d = Motif(0x80, 40); // one block of 32, one of 8
    Donnees(d, 40);
    EXPECT_EQ(Lit(9)[4], 0x00);
    Ecrit({0x00});
    Disponible();
    const auto f = TDossierTemp::Contenu(a);
    EXPECT_TRUE(std::equal(d.begin(), d.end(), f.begin() + 8 * 256));
    EXPECT_EQ(std::count(f.begin() + 8 * 256 + 40, f.begin() + 9 * 256, 0), 256 - 40);
    EXPECT_EQ(f[9 * 256], TDossierTemp::OctetMotif(10, 0));
}

TEST_F(Controleur, UnknownCommandAndShortMessageReturnToIdle) {
    Ecrit({0xA5, 0x00, 0x03, 0x00, 0x00, 0x42, 0x00, 0x10});
    Lit(2);
    Ecrit({0x01, 0x00, 0x11, 0x77});
    EXPECT_EQ(Lit(1), Octets{0x77});
    EXPECT_EQ(Status(), 0x80);
    Ecrit({0x05});
    EXPECT_EQ(Lit(2), (Octets{0xAA, 0x19})) << "l'octet suivant n'est pas rangé dans le message";
    Ecrit({0x00});
    // A one-byte message names no drive.
    ASSERT_EQ(lec.InsereDisque(1, dossier.Image("a.img", T800), " "), "");
    Ecrit({0xA5, 0x00, 0x00, 0x00, 0x00, CmdLecture, 0x00, 0x10});
    Lit(2);
    Ecrit({0x11});
    Lit(1);
    EXPECT_EQ(Lit(9), (Octets{0xAA, 0xA5, 0x00, 0x00, 0x6A, 0x00, 0x04, 0x00, 0x6E}));
    Ecrit({0x00});
    Disponible();
}

} // namespace

namespace {

// The drive lights follow what the controller really does to a disk, and
// stay on 100 ms of the host's clock after it.
TEST_F(Controleur, DriveLightsFollowReadsWritesAndFormats) {
    TActiviteLecteurs lumieres;
    lumieres.Horloge = [this] { return hote.TickCount(); };
    lec.Observateurs.push_back(&lumieres);
    ASSERT_EQ(lec.InsereDisque(1, dossier.Image("a.img", T800), " "), "");
    ASSERT_EQ(lec.InsereDisque(3, dossier.Image("b.img", T1200), " "), "");
    lec.BasculeProtection(1);
    hote.MaintenantUs = 5'000'000;
    Commande(CmdLecture, 0x11, 1);
    EXPECT_TRUE(lumieres.Allume(1, hote.TickCount()));
    EXPECT_EQ(lumieres.DerniereOperation(1), TOperationLecteur::Lecture);
    Lit(9);
    Secteur();
    // Refused write (protected) and a read of an empty drive: no light.
    Commande(CmdEcriture, 0x11, 1);
    Donnees(Motif(1), 256);
    Lit(9);
    Ecrit({0x00});
    Commande(CmdLecture, 0x5A, 1);
    Lit(9);
    Ecrit({0x00});
    EXPECT_EQ(lumieres.NbOperations(1), 1u);
    EXPECT_FALSE(lumieres.Allume(4, hote.TickCount()));
    Commande(CmdFormatage, 0x59, 0);
    EXPECT_EQ(lumieres.DerniereOperation(3), TOperationLecteur::Formatage);
    const uint32_t t = hote.TickCount();
    EXPECT_TRUE(lumieres.Allume(3, t + 99));
    EXPECT_EQ(lumieres.AvantExtinction(t + 40), 60u);
    EXPECT_FALSE(lumieres.Allume(3, t + 100));
    EXPECT_FALSE(lumieres.Allume(1, t + 100));
    EXPECT_EQ(lumieres.AvantExtinction(t + 100), 0u);
    EXPECT_FALSE(lumieres.Allume(0, t));
    EXPECT_FALSE(lumieres.Allume(7, t));
}

} // namespace
