#include "config/RomsDemarrage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Machine.h"
#include "devices/Ecran.h"

namespace RomsDemarrage {

namespace {

constexpr const char* TexteModeles =
    "T7E,T7,T9-64,T9-60,T9-56,T9-52,T9-48,T9-44,T9-40,T9-36T9-32,T9-28,T9-24,T9-20,T9-16,T9-12,T9-08,T9-04";
constexpr uintmax_t TailleRom = 4096;

enum class TEtatFichier { Absent, TropGros, Correct };

void Erreur(TMachine& m, const std::string& fichier, const char* fin) {
    if (m.Hote) m.Hote->MessageErreur("Le fichier " + fichier + fin);
}

// Tests the file; on success `octets` holds its whole content (at most 4096 bytes).
TEtatFichier LitImage(const std::string& fichier, std::vector<uint8_t>& octets) {
    std::error_code ec;
    const std::filesystem::path chemin(fichier);
    if (!std::filesystem::is_regular_file(chemin, ec)) return TEtatFichier::Absent;
    const uintmax_t taille = std::filesystem::file_size(chemin, ec);
    if (ec) return TEtatFichier::Absent;
    if (taille > TailleRom) return TEtatFichier::TropGros;
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return TEtatFichier::Absent;
    octets.assign(size_t(taille), 0);
    f.read(reinterpret_cast<char*>(octets.data()), std::streamsize(taille));
    octets.resize(size_t(f.gcount()));
    return TEtatFichier::Correct;
}

bool Signale(TMachine& m, const std::string& fichier, TEtatFichier etat) {
    if (etat == TEtatFichier::Absent) Erreur(m, fichier, " est absent");
    if (etat == TEtatFichier::TropGros) Erreur(m, fichier, " est trop volumineux");
    return etat == TEtatFichier::Correct;
}

} // namespace

std::vector<std::string> ListeModeles() {
    std::vector<std::string> liste;
    std::string texte = TexteModeles;
    size_t debut = 0;
    for (;;) {
        const size_t virgule = texte.find(',', debut);
        liste.push_back(texte.substr(debut, virgule - debut));
        if (virgule == std::string::npos) return liste;
        debut = virgule + 1;
    }
}

bool ChargeGenCar(TMachine& m, const std::string& fichier) {
    std::vector<uint8_t> image;
    const TEtatFichier etat = LitImage(fichier, image);
    if (etat == TEtatFichier::Absent) return Signale(m, fichier, etat);
    for (auto* t : {&m.Fonte80, &m.Fonte80APL}) *t = TFonte80{};
    for (auto* t : {&m.Fonte128, &m.Fonte128APL}) *t = TFonte128{};
    if (etat == TEtatFichier::Correct) ConstruitFontes(m, image.data(), image.size());
    m.PtrFonte80 = &m.Fonte80;
    m.PtrFonte128 = &m.Fonte128;
    m.FonteSelect = 0;
    return Signale(m, fichier, etat);
}

bool ChargeRomBoot(TMachine& m, const std::string& fichier) {
    std::vector<uint8_t> image;
    const TEtatFichier etat = LitImage(fichier, image);
    if (etat == TEtatFichier::Correct) std::copy(image.begin(), image.end(), m.RomBoot.begin());
    return Signale(m, fichier, etat);
}

bool ChargeRom128K(TMachine& m, const std::string& fichier) {
    m.Rom128K.fill(0xFF);
    std::vector<uint8_t> image;
    const TEtatFichier etat = LitImage(fichier, image);
    // Only the 128 KB model needs the PROM; the others run without it.
    if (etat == TEtatFichier::Absent && m.Machine != 0) return true;
    if (etat == TEtatFichier::Correct) {
        std::copy(image.begin(), image.end(), m.Rom128K.begin());
        if (image.size() == TailleRom) std::copy(m.Rom128K.begin() + 2048, m.Rom128K.end(), m.Rom128K.begin());
    }
    return Signale(m, fichier, etat);
}

} // namespace RomsDemarrage
