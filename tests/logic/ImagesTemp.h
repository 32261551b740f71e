// Disk images in a fresh temporary folder, removed with the folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

class TDossierTemp {
public:
    TDossierTemp() {
        std::string modele = (std::filesystem::temp_directory_path() / "zorv-dsq-XXXXXX").string();
        if (::mkdtemp(modele.data()) == nullptr) std::abort();
        Dossier = modele;
    }
    ~TDossierTemp() {
        for (const std::string& f : Figes) Fige(f, false);
        std::error_code ec;
        std::filesystem::remove_all(Dossier, ec);
    }
    TDossierTemp(const TDossierTemp&) = delete;
    TDossierTemp& operator=(const TDossierTemp&) = delete;

    std::string Chemin(const std::string& nom) const { return (Dossier / nom).string(); }

    // An image whose sector n (from 1) holds bytes (n * 7 + i * 3) & 0xFF:
    // every sector differs from its neighbours.
    std::string Image(const std::string& nom, int64_t taille) const {
        std::vector<char> octets(static_cast<size_t>(taille));
        for (int64_t p = 0; p < taille; ++p)
            octets[size_t(p)] = char(((p / 256 + 1) * 7 + (p % 256) * 3) & 0xFF);
        const std::string chemin = Chemin(nom);
        std::ofstream(chemin, std::ios::binary).write(octets.data(), std::streamsize(taille));
        return chemin;
    }

    static uint8_t OctetMotif(int32_t secteur, int i) { return uint8_t((secteur * 7 + i * 3) & 0xFF); }

    static std::vector<uint8_t> Contenu(const std::string& chemin) {
        std::ifstream f(chemin, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    }

    // Makes a file impossible to open for writing: permissions for an
    // ordinary user, the immutable attribute for the superuser. False when
    // this host offers neither.
    bool RendNonModifiable(const std::string& chemin) {
        std::filesystem::permissions(chemin, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::group_read |
                                                 std::filesystem::perms::others_read);
        if (Fige(chemin, true)) Figes.push_back(chemin);
        const int fd = ::open(chemin.c_str(), O_RDWR);
        if (fd >= 0) ::close(fd);
        return fd < 0;
    }

    std::filesystem::path Dossier;

private:
    static bool Fige(const std::string& chemin, bool fige) {
        const int fd = ::open(chemin.c_str(), O_RDONLY);
        if (fd < 0) return false;
        int attr = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &attr) == 0;
        attr = fige ? (attr | FS_IMMUTABLE_FL) : (attr & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &attr) == 0;
        ::close(fd);
        return ok;
    }
    std::vector<std::string> Figes;
};
