#include "disks/Secteurs.h"

#include <algorithm>
#include <cstring>

void ISecteurs::Efface() {
    static const uint8_t Zeros[TailleSecteur] = {};
    for (int32_t s = 1, n = NbSecteurs(); s <= n; ++s) Ecrit(s, Zeros);
}

void ISecteurs::LitPlage(int32_t premier, int32_t nombre, uint8_t* tampon) {
    for (int32_t i = 0; i < nombre; ++i) Lit(premier + i, tampon + size_t(i) * TailleSecteur);
}

bool ISecteurs::EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon) {
    if (Etat() != 1 || premier < 1 || int64_t(premier) + nombre - 1 > NbSecteurs()) return false;
    bool ok = true;
    for (int32_t i = 0; i < nombre; ++i) ok = Ecrit(premier + i, tampon + size_t(i) * TailleSecteur) && ok;
    return ok;
}

void TSecteursLecteur::LitPlage(int32_t premier, int32_t nombre, uint8_t* tampon) {
    FLecteurs.LireSecteurs(FSlot, premier, nombre, tampon);
}

bool TSecteursLecteur::EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon) {
    return FLecteurs.EcrireSecteurs(FSlot, premier, nombre, tampon);
}

int32_t TSecteursLecteur::NbSecteurs() const {
    return TLecteurs::EstSlot(FSlot) ? FLecteurs.NbrSectDisque[FSlot] : 0;
}

int32_t TSecteursLecteur::NbSecteursCatal() const {
    return TLecteurs::EstSlot(FSlot) ? FLecteurs.NbrSectCatal[FSlot] : 0;
}

void TSecteursLecteur::Lit(int32_t secteur, uint8_t* tampon) {
    FLecteurs.LireSecteur(FSlot, secteur, tampon);
}

bool TSecteursLecteur::Ecrit(int32_t secteur, const uint8_t* tampon) {
    FLecteurs.Change(FSlot); // the disk tools, not the machine
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

TSecteursTampon::TSecteursTampon(ISecteurs& disque)
    : FDisque(disque), FCopie(std::make_unique_for_overwrite<uint8_t[]>(size_t(std::max(disque.NbSecteurs(), 0)) * TailleSecteur)),
      FLu(size_t(std::max(disque.NbSecteurs(), 0) + Bloc - 1) / Bloc, false) {}

void TSecteursTampon::Lit(int32_t secteur, uint8_t* tampon) {
    if (secteur < 1 || secteur > NbSecteurs()) {
        std::memset(tampon, 0xFF, TailleSecteur);
        return;
    }
    const size_t b = size_t(secteur - 1) / Bloc;
    if (!FLu[b]) {
        const int32_t premier = int32_t(b) * Bloc + 1;
        FDisque.LitPlage(premier, std::min(Bloc, NbSecteurs() - premier + 1),
                         FCopie.get() + b * Bloc * TailleSecteur);
        FLu[b] = true;
    }
    std::memcpy(tampon, FCopie.get() + size_t(secteur - 1) * TailleSecteur, TailleSecteur);
}

void TSecteursTampon::Copie(int32_t premier, int32_t nombre, const uint8_t* tampon) {
    std::memcpy(FCopie.get() + size_t(premier - 1) * TailleSecteur, tampon, size_t(nombre) * TailleSecteur);
}

bool TSecteursTampon::Ecrit(int32_t secteur, const uint8_t* tampon) {
    if (!FDisque.Ecrit(secteur, tampon)) return false;
    Copie(secteur, 1, tampon);
    return true;
}

bool TSecteursTampon::EcritPlage(int32_t premier, int32_t nombre, const uint8_t* tampon) {
    if (!FDisque.EcritPlage(premier, nombre, tampon)) return false;
    Copie(premier, nombre, tampon);
    return true;
}

void TSecteursTampon::Efface() {
    FDisque.Efface();
    std::fill(FLu.begin(), FLu.end(), false);
}

bool TailleImageValide(int64_t taille) { return taille == 409600 || taille == 788480 || taille == 1261568; }

std::string MessageTailleImage(const std::string& chemin, const std::string& separateur) {
    return "La taille du fichier " + NomSansDossier(chemin) +
           " doit \u00eatre : " + FormateMilliers(409600, separateur) + ", " +
           FormateMilliers(788480, separateur) + " ou " + FormateMilliers(1261568, separateur) + " octets";
}

void ModifieImage(TLecteurs& lecteurs, int slot, const std::function<void(ISecteurs&)>& action) {
    if (lecteurs.EtatDuDisque(slot) != 1) {
        TSecteursLecteur direct(lecteurs, slot);
        action(direct);
        return;
    }
    const int32_t n = lecteurs.NbrSectDisque[size_t(slot)];
    std::vector<uint8_t> avant(size_t(n) * TailleSecteur);
    lecteurs.LireSecteurs(slot, 1, n, avant.data());
    TImageMemoire copie(avant, lecteurs.NbrSectCatal[size_t(slot)]);
    action(copie);
    if (copie.Octets == avant || lecteurs.EtatDuDisque(slot) != 1) return;
    std::vector<uint8_t> maintenant(avant.size());
    lecteurs.LireSecteurs(slot, 1, n, maintenant.data());
    if (maintenant != avant)
        throw TErreurES(lecteurs.Disques[size_t(slot)].NomFichier,
                        "l'image a \u00e9t\u00e9 modifi\u00e9e pendant l'op\u00e9ration ; rien n'a \u00e9t\u00e9 \u00e9crit");
    try {
        lecteurs.RemplaceImage(slot, copie.Octets);
    } catch (const TErreurES& e) {
        throw TErreurES(e.NomFichier, e.Raison + " ; l'image est rest\u00e9e telle qu'elle \u00e9tait");
    }
}
