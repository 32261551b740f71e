#include "core/Empreinte.h"

#include <openssl/evp.h>

TSha256 Sha256(const uint8_t* p, size_t n) {
    TSha256 s{};
    unsigned int lg = 0;
    EVP_Digest(p, n, s.data(), &lg, EVP_sha256(), nullptr);
    return s;
}

std::string TexteSha256(const TSha256& s) {
    static const char* chiffres = "0123456789abcdef";
    std::string t;
    for (uint8_t b : s) {
        t += chiffres[b >> 4];
        t += chiffres[b & 15];
    }
    return t;
}
