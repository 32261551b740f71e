#include "disks/Lecteurs.h"

#include <algorithm>
#include <filesystem>

#include "core/Fichiers.h"

namespace {

constexpr std::array<int, NbLecteurs + 1> NumerosLecteurs = {0, 1, 2, 9, 10, 11, 12};
constexpr int32_t Taille800Ko = 788480;
constexpr int32_t Taille400Ko = 409600;
constexpr int32_t Taille1200Ko = 1261568;
constexpr int32_t SecteursCatalogue = 64;

} // namespace

int SlotDuLecteur(int numero) {
    for (int slot = 1; slot <= NbLecteurs; ++slot)
        if (NumerosLecteurs[slot] == numero) return slot;
    return 0;
}

int LecteurDuSlot(int slot) { return TLecteurs::EstSlot(slot) ? NumerosLecteurs[slot] : 0; }

void TLecteurs::InitGeometrie(int32_t typeDsq12) {
    for (int slot = 1; slot <= NbLecteurs; ++slot) Change(slot);
    for (int slot = 1; slot <= NbLecteurs; ++slot) {
        const bool petit = slot <= 2;
        Taille_Disque[slot] = !petit ? Taille1200Ko : typeDsq12 == 1 ? Taille400Ko : Taille800Ko;
        NbrSectDisque[slot] = Taille_Disque[slot] / TailleSecteur;
        NbrSectCatal[slot] = SecteursCatalogue;
    }
}

int32_t TLecteurs::TypeDsq12() const { return Taille_Disque[1] == Taille400Ko ? 1 : 0; }

std::string TLecteurs::LegendeTaille(int numero) const {
    if (!EstSlot(numero)) return {};
    switch (Taille_Disque[numero]) {
    case Taille400Ko: return "400 Ko";
    case Taille800Ko: return "800 Ko";
    default: return "1.2 Mo";
    }
}

uint8_t TLecteurs::EtatDuDisque(int numero) const {
    if (!EstSlot(numero)) return 0;
    const Param_Disque& d = Disques[numero];
    if (d.Protege) return 2;
    return d.NomFichier.empty() ? 0 : 1;
}

void TLecteurs::LireSecteur(int numero, int32_t secteur, uint8_t* buffer) const {
    LireSecteurs(numero, secteur, 1, buffer);
}

bool TLecteurs::EcrireSecteur(int numero, int32_t secteur, const uint8_t* buffer) {
    return Ecrit(numero, secteur, 1, buffer, true);
}

void TLecteurs::LireSecteurs(int numero, int32_t premier, int32_t nombre, uint8_t* buffer) const {
    if (nombre <= 0) return;
    std::fill_n(buffer, int64_t(nombre) * TailleSecteur, uint8_t(0xFF));
    if (!EstSlot(numero) || !Disques[numero].Fichier.Ouvert()) return;
    const int64_t debut = std::max<int64_t>(premier, 1);
    const int64_t fin = std::min<int64_t>(int64_t(premier) + nombre - 1, NbrSectDisque[numero]);
    if (debut > fin) return;
    Disques[numero].Fichier.Lit((debut - 1) * TailleSecteur, buffer + (debut - premier) * TailleSecteur,
                                (fin - debut + 1) * TailleSecteur);
}

bool TLecteurs::EcrireSecteurs(int numero, int32_t premier, int32_t nombre, const uint8_t* buffer) {
    Change(numero);
    return Ecrit(numero, premier, nombre, buffer, false);
}

bool TLecteurs::Ecrit(int numero, int32_t premier, int32_t nombre, const uint8_t* buffer, bool parLaMachine) {
    if (EtatDuDisque(numero) != 1 || nombre <= 0 || premier < 1 ||
        int64_t(premier) + nombre - 1 > NbrSectDisque[numero])
        return false;
    TFichierImage& f = Disques[numero].Fichier;
    if (!f.Ouvert()) return false;
    // An image cut short behind our back must not grow again here: its
    // length would no longer be the one of the drive.
    const int64_t longueur = f.Longueur();
    if (longueur != Taille_Disque[numero])
        throw TErreurES(f.Chemin(), "la taille du fichier a chang\u00e9 depuis son insertion (" +
                                        std::to_string(longueur) + " octets)");
    const int64_t debut = int64_t(premier - 1) * TailleSecteur, n = int64_t(nombre) * TailleSecteur;
    if (parLaMachine && Garde) Garde->AvantEcriture(numero, debut, n);
    f.Ecrit(debut, buffer, n);
    return true;
}

void TLecteurs::FormaterDisque(int numero) {
    if (EtatDuDisque(numero) != 1 || !Disques[numero].Fichier.Ouvert()) return;
    TFichierImage& f = Disques[numero].Fichier;
    const int64_t longueur = f.Longueur();
    if (longueur < 0) throw TErreurES(f.Chemin(), "longueur du fichier inconnue");
    static constexpr int64_t Bloc = 64 * 1024;
    static const std::vector<uint8_t> Zeros(Bloc, 0);
    const int64_t total = longueur / TailleSecteur * TailleSecteur;
    if (Garde) Garde->AvantEcriture(numero, 0, total);
    for (int64_t pos = 0; pos < total; pos += Bloc)
        f.Ecrit(pos, Zeros.data(), std::min(Bloc, total - pos));
}

std::string TLecteurs::OuvreImage(int numero, const std::string& chemin, bool lectureSeule, bool& taille) {
    Change(numero);
    taille = false;
    // A folder, a device or a FIFO is named for what it is, path and all.
    if (const TLectureFichier g = GenreFichier(chemin); g != TLectureFichier::Ok && g != TLectureFichier::Absent) {
        Ejecte(numero);
        return MessageLecture(g, chemin);
    }
    // A wrong size is said before whether the image is in use elsewhere.
    std::error_code ec;
    const auto longueur = std::filesystem::file_size(chemin, ec);
    if (!ec && int64_t(longueur) != Taille_Disque[numero]) {
        Ejecte(numero);
        taille = true;
        return "taille";
    }
    TFichierImage f;
    const bool ouvert = f.Ouvre(chemin, lectureSeule);
    if (!ouvert && !f.Refus().empty()) { // in use elsewhere
        const std::string refus = f.Refus();
        Ejecte(numero);
        return refus;
    }
    if (!ouvert || f.Longueur() != Taille_Disque[numero]) {
        Ejecte(numero);
        taille = true;
        return "taille";
    }
    Param_Disque& d = Disques[numero];
    d.Fichier = std::move(f); // releases the previous image, if any
    d.NomFichier = chemin;
    if (d.Fichier.LectureSeule()) d.Protege = true;
    // A disk inserted protected reads only: others may read it too.
    if (d.Protege && !d.Fichier.LectureSeule()) d.Fichier.Verrouille(false);
    return {};
}

std::string TLecteurs::ChargeImage(int lecteur, const std::string& chemin,
                                   const std::string& separateur, bool lectureSeule) {
    const int slot = SlotDuLecteur(lecteur);
    if (slot == 0 || chemin.empty()) return {};
    Disques[slot].Protege = false;
    bool taille = false;
    const std::string m = OuvreImage(slot, chemin, lectureSeule, taille);
    if (!taille) return m;
    return "La taille du fichier " + NomSansDossier(chemin) + " doit \u00eatre : " +
           FormateMilliers(Taille_Disque[slot], separateur) + " octets";
}

std::vector<std::string> TLecteurs::ChargeImages(
    const std::vector<std::pair<int, std::string>>& images, const std::string& separateur) {
    VideTout();
    std::vector<std::string> messages;
    for (const auto& [lecteur, chemin] : images) {
        std::string m = ChargeImage(lecteur, chemin, separateur);
        if (!m.empty()) messages.push_back(std::move(m));
    }
    return messages;
}

std::string TLecteurs::InsereDisque(int numero, const std::string& chemin,
                                    const std::string& separateur) {
    if (!EstSlot(numero)) return {};
    bool taille = false;
    const std::string m = OuvreImage(numero, chemin, false, taille);
    if (!taille) return m;
    return "La taille du fichier image doit \u00eatre : " +
           FormateMilliers(Taille_Disque[numero], separateur) + " octets";
}

void TLecteurs::InsereVierge(int numero, const std::string& chemin) {
    Change(numero);
    if (!EstSlot(numero)) return;
    // Another drive's disk would be wiped under the machine's feet.
    for (int slot = 1; slot <= NbLecteurs; ++slot)
        if (slot != numero && !Disques[slot].NomFichier.empty() && MemeFichier(Disques[slot].NomFichier, chemin))
            throw TErreurES(chemin, "cette image est dans le lecteur " + std::to_string(LecteurDuSlot(slot)));
    // Written beside and renamed over the target once complete: a failure
    // never leaves the file that was there truncated.
    // Nor is an image that another program holds replaced under its feet.
    const bool lui = !Disques[numero].NomFichier.empty() && MemeFichier(Disques[numero].NomFichier, chemin);
    if (!lui && GenreFichier(chemin) == TLectureFichier::Ok) {
        TFichierImage occupe;
        if (!occupe.Ouvre(chemin) && !occupe.Refus().empty()) throw TErreurES(chemin, occupe.Refus());
    }
    const std::vector<uint8_t> zeros(size_t(Taille_Disque[numero]), 0);
    std::string erreur;
    if (!EcritFichierAtomique(chemin, zeros, erreur)) throw TErreurES(chemin, erreur);
    TFichierImage f;
    if (!f.Ouvre(chemin)) throw TErreurES(chemin, "le fichier cr\u00e9\u00e9 ne s'ouvre pas");
    Param_Disque& d = Disques[numero];
    d.Fichier = std::move(f);
    d.NomFichier = chemin;
    d.Protege = d.Fichier.LectureSeule();
}

void TLecteurs::Ejecte(int numero) {
    Change(numero);
    if (!EstSlot(numero)) return;
    Param_Disque& d = Disques[numero];
    d.Fichier.Ferme();
    d.NomFichier.clear();
    d.Protege = false;
}

void TLecteurs::VideTout() {
    for (int slot = 1; slot <= NbLecteurs; ++slot) Ejecte(slot);
}

bool TLecteurs::BasculeProtection(int numero) {
    Change(numero);
    if (EtatDuDisque(numero) == 0) return false;
    Param_Disque& d = Disques[numero];
    const bool protege = !d.Protege || d.Fichier.LectureSeule();
    // Writable holds the image alone; protected lets others read it.
    if (!d.Fichier.LectureSeule() && !d.Fichier.Verrouille(!protege)) return d.Protege;
    d.Protege = protege;
    return d.Protege;
}

const std::string& TLecteurs::RefusVerrou(int numero) const {
    static const std::string Aucun;
    return EstSlot(numero) ? Disques[numero].Fichier.Refus() : Aucun;
}

void TLecteurs::RemplaceImage(int numero, const std::vector<uint8_t>& octets) {
    Change(numero);
    if (EtatDuDisque(numero) != 1 || int64_t(octets.size()) != Taille_Disque[numero]) return;
    Disques[numero].Fichier.Remplace(octets.data(), int64_t(octets.size()));
}

std::vector<std::pair<int, std::string>> TLecteurs::Affectation() const {
    std::vector<std::pair<int, std::string>> res;
    for (int slot = 1; slot <= NbLecteurs; ++slot)
        res.emplace_back(LecteurDuSlot(slot), Disques[slot].NomFichier);
    return res;
}
