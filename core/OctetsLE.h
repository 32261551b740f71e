// Little-endian integers and length-prefixed byte strings written to and
// read from a byte vector, for the binary files of the program. The reader
// never goes past its end: a short input sets Erreur and gives zeros.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TSortieLE {
    std::vector<uint8_t>& O;
    void Entier(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) O.push_back(uint8_t(v >> (8 * i)));
    }
    void Octets(const uint8_t* p, size_t n) {
        if (n == 0) return;
        const size_t t = O.size();
        O.resize(t + n);
        std::memcpy(O.data() + t, p, n);
    }
    // A 32-bit length, then the bytes.
    void Bloc(const std::vector<uint8_t>& v) {
        Entier(v.size(), 4);
        Octets(v.data(), v.size());
    }
    void Chaine(const std::string& s) {
        Entier(s.size(), 4);
        for (char c : s) O.push_back(uint8_t(c)); // short texts
    }
};

struct TEntreeLE {
    const uint8_t* P;
    size_t N;
    size_t Pos = 0;
    bool Erreur = false;
    TEntreeLE(const uint8_t* p, size_t n) : P(p), N(n) {}
    explicit TEntreeLE(const std::vector<uint8_t>& v) : P(v.data()), N(v.size()) {}
    size_t Reste() const { return Erreur ? 0 : N - Pos; }
    bool Fini() const { return !Erreur && Pos == N; }
    uint64_t Entier(size_t n) {
        if (Erreur || N - Pos < n) {
            Erreur = true;
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(P[Pos + i]) << (8 * i);
        Pos += n;
        return v;
    }
    // `n` bytes in place; nullptr (and Erreur) when fewer are left.
    const uint8_t* Octets(size_t n) {
        if (Erreur || N - Pos < n) {
            Erreur = true;
            return nullptr;
        }
        Pos += n;
        return P + Pos - n;
    }
    std::vector<uint8_t> Bloc() {
        const size_t n = size_t(Entier(4));
        const uint8_t* p = Octets(n);
        return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>{};
    }
    std::string Chaine() {
        const size_t n = size_t(Entier(4));
        const uint8_t* p = Octets(n);
        return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string{};
    }
};
