#include "disks/Secteurs.h"

#include <algorithm>
#include <cstring>

void ISecteurs::Efface() {
    static const uint8_t Zeros[TailleSecteur] = {};
    for (int32_t s = 1, n = NbSecteurs(); s <= n; ++s) Ecrit(s, Zeros);
}

int32_t TSecteursLecteur::NbSecteurs() const {
    return TLecteurs::EstSlot(FSlot) ? FLecteurs.NbrSectDisque[FSlot] : 0;
}

int32_t TSecteursLecteur::NbSecteursCatal() const {
    return TLecteurs::EstSlot(FSlot) ? FLecteurs.NbrSectCatal[FSlot] : 0;
}

void TSecteursLecteur::Lit(int32_t secteur, uint8_t* tampon) { FLecteurs.LireSecteur(FSlot, secteur, tampon); }

bool TSecteursLecteur::Ecrit(int32_t secteur, const uint8_t* tampon) {
    return FLecteurs.EcrireSecteur(FSlot, secteur, tampon);
}

TImageMemoire::TImageMemoire(int32_t nbSecteurs, int32_t nbCatal)
    : Octets(size_t(std::max(nbSecteurs, 0)) * TailleSecteur, 0), FNbCatal(nbCatal) {}

TImageMemoire::TImageMemoire(std::vector<uint8_t> octets, int32_t nbCatal)
    : Octets(std::move(octets)), FNbCatal(nbCatal) {
    Octets.resize(Octets.size() / TailleSecteur * TailleSecteur);
}

void TImageMemoire::Lit(int32_t secteur, uint8_t* tampon) {
    if (secteur < 1 || secteur > NbSecteurs()) {
        std::memset(tampon, 0xFF, TailleSecteur);
        return;
    }
    std::memcpy(tampon, Octets.data() + size_t(secteur - 1) * TailleSecteur, TailleSecteur);
}

bool TImageMemoire::Ecrit(int32_t secteur, const uint8_t* tampon) {
    if (Protege || secteur < 1 || secteur > NbSecteurs()) return false;
    std::memcpy(Octets.data() + size_t(secteur - 1) * TailleSecteur, tampon, TailleSecteur);
    return true;
}

void TImageMemoire::Efface() {
    if (!Protege) std::fill(Octets.begin(), Octets.end(), uint8_t(0));
}

bool TailleImageValide(int64_t taille) { return taille == 409600 || taille == 788480 || taille == 1261568; }

std::string MessageTailleImage(const std::string& chemin, const std::string& separateur) {
    return "La taille du fichier " + NomSansDossier(chemin) + " doit \u00eatre : " +
           FormateMilliers(409600, separateur) + ", " + FormateMilliers(788480, separateur) + " ou " +
           FormateMilliers(1261568, separateur) + " octets";
}
