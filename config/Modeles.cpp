#include "config/Modeles.h"

#include <cctype>

const char* const TexteModeles =
    "T7E,T7,T9-64,T9-60,T9-56,T9-52,T9-48,T9-44,T9-40,T9-36T9-32,T9-28,T9-24,T9-20,T9-16,T9-12,T9-08,T9-04";

std::vector<std::string> ListeModeles() {
    std::vector<std::string> liste;
    std::string nom;
    for (const char* p = TexteModeles;; ++p) {
        if (*p == ',' || *p == '\0') {
            liste.push_back(nom);
            nom.clear();
            if (*p == '\0') break;
        } else {
            nom += *p;
        }
    }
    return liste;
}

int IndiceModele(const std::string& nom) {
    const auto liste = ListeModeles();
    for (size_t i = 0; i < liste.size(); ++i) {
        const std::string& m = liste[i];
        if (m.size() != nom.size()) continue;
        bool egal = true;
        for (size_t k = 0; k < m.size() && egal; ++k)
            egal = std::toupper(static_cast<unsigned char>(m[k])) == std::toupper(static_cast<unsigned char>(nom[k]));
        if (egal) return int(i);
    }
    return -1;
}

std::string LibelleModele(int machine) {
    switch (machine) {
    case 0: return "T7E - 128 k-octets";
    case 1: return "T7 - 64 k-octets";
    case 2: return "T9 - 64 k-octets";
    default: break;
    }
    if (machine < 0 || machine >= NbModeles) return {};
    return "T9 - " + std::to_string(56 - 4 * (machine - 3)) + " k-octets";
}
