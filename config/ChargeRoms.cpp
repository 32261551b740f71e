#include "config/ChargeRoms.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/Fichiers.h"
#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

using TLecture = TLectureFichier;

// Reads a whole image of at most TailleMaxRom bytes.
TLecture LitImage(const std::string& nom, std::vector<uint8_t>& octets) {
    return LitFichierEntier(nom, octets, TailleMaxRom);
}

std::string Message(TLecture r, const std::string& nom) {
    switch (r) {
    case TLecture::Absent: return MessageFichierAbsent(nom);
    case TLecture::TropGros: return MessageFichierTropGros(nom);
    case TLecture::Illisible: return "Le fichier " + nom + " est illisible";
    default: return {};
    }
}

} // namespace

std::string MessageFichierAbsent(const std::string& nom) { return "Le fichier " + nom + " est absent"; }

std::string MessageFichierTropGros(const std::string& nom) { return "Le fichier " + nom + " est trop volumineux"; }

std::string ChargeGenCar(TMachine& m, const std::string& nom) {
    std::vector<uint8_t> octets;
    const TLecture r = LitImage(nom, octets);
    if (r == TLecture::Absent) return Message(r, nom);
    for (auto* f : {&m.Fonte80, &m.Fonte80APL}) *f = {};
    for (auto* f : {&m.Fonte128, &m.Fonte128APL}) *f = {};
    if (r != TLecture::Ok) return Message(r, nom);
    ConstruitFontes(m, octets.data(), octets.size());
    return {};
}

std::string ChargeRomBoot(TMachine& m, const std::string& nom) {
    std::vector<uint8_t> octets;
    const TLecture r = LitImage(nom, octets);
    if (r != TLecture::Ok) return Message(r, nom);
    std::copy(octets.begin(), octets.end(), m.RomBoot.begin());
    return {};
}

std::string ChargeRom128K(TMachine& m, const std::string& nom) {
    m.Rom128K.fill(0xFF);
    std::vector<uint8_t> octets;
    const TLecture r = LitImage(nom, octets);
    if (r == TLecture::Absent && m.Machine != 0) return {};
    if (r != TLecture::Ok) return Message(r, nom);
    std::copy(octets.begin(), octets.end(), m.Rom128K.begin());
    if (octets.size() == TailleMaxRom)
        std::copy(m.Rom128K.begin() + 2048, m.Rom128K.end(), m.Rom128K.begin());
    return {};
}
