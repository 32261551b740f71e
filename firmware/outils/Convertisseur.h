// The shared frame of the build's image converters: a text file in, a binary
// image out, errors as "file:line: message" and no output on error.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

struct TErreur {
    int Ligne;
    std::string Texte;
};

using TConvertit = std::vector<uint8_t> (*)(std::istream&);

inline int ExecuteConvertisseur(const char* nom, int argc, char** argv, TConvertit convertit) {
    if (argc != 3) {
        std::fprintf(stderr, "usage : %s SOURCE.txt IMAGE.bin\n", nom);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "%s : impossible de lire %s\n", nom, argv[1]);
        return 1;
    }
    std::vector<uint8_t> image;
    try {
        image = convertit(in);
    } catch (const TErreur& e) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], e.Ligne, e.Texte.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    if (!out) {
        std::fprintf(stderr, "%s : impossible d'écrire %s\n", nom, argv[2]);
        return 1;
    }
    return 0;
}
