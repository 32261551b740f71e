// A scratch program folder (settings file and ROM images), removed at the
// end of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

struct TDossierProgramme {
    std::filesystem::path Chemin;
    TDossierProgramme() {
        std::random_device alea;
        Chemin = std::filesystem::temp_directory_path() / ("zorv-" + std::to_string(alea()) + std::to_string(alea()));
        std::filesystem::create_directories(Chemin);
    }
    ~TDossierProgramme() {
        std::error_code ec;
        std::filesystem::remove_all(Chemin, ec);
    }
    std::string Dir() const { return Chemin.string() + "/"; }
    std::string Fichier(const std::string& nom) const { return (Chemin / nom).string(); }
    void Ecrit(const std::string& nom, const std::string& texte) const {
        std::ofstream(Chemin / nom, std::ios::binary) << texte;
    }
    void EcritOctets(const std::string& nom, const std::vector<uint8_t>& o) const {
        std::ofstream(Chemin / nom, std::ios::binary).write(reinterpret_cast<const char*>(o.data()), std::streamsize(o.size()));
    }
    std::string Lit(const std::string& nom) const {
        std::ifstream f(Chemin / nom, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
};
