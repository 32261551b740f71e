// The state records as bytes (a record nested in another says so with a
// member type EstEnregistrement): every field in the order its record lists it,
// integers little-endian, booleans and enumerations as their byte, doubles by
// their bits, arrays element by element, strings as a 32-bit length and
// their units. The same bytes give each record's hash.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "core/EtatsMachine.h"

class TEcrivainEtat {
public:
    std::vector<uint8_t> Octets;

    template <class T> void operator()(const T& v) {
        if constexpr (std::is_same_v<T, bool>) {
            Octets.push_back(v ? 1 : 0);
        } else if constexpr (std::is_enum_v<T>) {
            Entier(uint64_t(v), sizeof(T));
        } else if constexpr (std::is_same_v<T, double>) {
            Entier(std::bit_cast<uint64_t>(v), 8);
        } else if constexpr (std::is_integral_v<T>) {
            Entier(uint64_t(v), sizeof(T));
        } else if constexpr (std::is_same_v<T, TAleatoire>) {
            (*this)(v.Graine), (*this)(v.Tirages);
        } else if constexpr (std::is_same_v<T, std::u16string> || std::is_same_v<T, std::string>) {
            Entier(v.size(), 4);
            for (auto c : v) (*this)(c);
        } else if constexpr (requires { typename T::EstEnregistrement; }) {
            T::Champs(v, *this);
        } else if constexpr (std::is_same_v<T, std::array<uint8_t, sizeof(T)>>) {
            Octets.insert(Octets.end(), v.begin(), v.end());
        } else {
            for (const auto& e : v) (*this)(e);
        }
    }
    template <class R> void Enregistrement(const R& r) { R::Champs(r, *this); }

private:
    void Entier(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) Octets.push_back(uint8_t(v >> (8 * i)));
    }
};

// Reads what TEcrivainEtat wrote. A short input, a string longer than what
// is left, or a draw count no machine reaches set Erreur; the fields read
// after that are left as they were.
class TLecteurEtat {
public:
    TLecteurEtat(const uint8_t* p, size_t n) : FP(p), FN(n) {}
    bool Erreur = false;
    bool Fini() const { return FPos == FN; }

    template <class T> void operator()(T& v) {
        if constexpr (std::is_same_v<T, bool>) {
            uint64_t x = 0;
            if (Entier(x, 1)) v = x != 0;
        } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
            uint64_t x = 0;
            if (Entier(x, sizeof(T))) v = T(x);
        } else if constexpr (std::is_same_v<T, double>) {
            uint64_t x = 0;
            if (Entier(x, 8)) v = std::bit_cast<double>(x);
        } else if constexpr (std::is_same_v<T, TAleatoire>) {
            uint32_t graine = 0;
            uint64_t tirages = 0;
            (*this)(graine), (*this)(tirages);
            if (tirages > TiragesMax) Erreur = true;
            if (!Erreur) v.Restaure(graine, tirages);
        } else if constexpr (std::is_same_v<T, std::u16string> || std::is_same_v<T, std::string>) {
            uint64_t n = 0;
            if (!Entier(n, 4)) return;
            if (n * sizeof(typename T::value_type) > FN - FPos) {
                Erreur = true;
                return;
            }
            v.assign(size_t(n), 0);
            for (auto& c : v) (*this)(c);
        } else if constexpr (requires { typename T::EstEnregistrement; }) {
            T::Champs(v, *this);
        } else if constexpr (std::is_same_v<T, std::array<uint8_t, sizeof(T)>>) {
            if (Erreur || FN - FPos < v.size()) {
                Erreur = true;
                return;
            }
            std::memcpy(v.data(), FP + FPos, v.size());
            FPos += v.size();
        } else {
            for (auto& e : v) (*this)(e);
        }
    }
    template <class R> void Enregistrement(R& r) { R::Champs(r, *this); }

    // Eight values per reset; far more than any machine draws in its life.
    static constexpr uint64_t TiragesMax = 100'000'000;

private:
    const uint8_t* FP;
    size_t FN, FPos = 0;
    bool Entier(uint64_t& v, size_t n) {
        if (Erreur || FN - FPos < n) {
            Erreur = true;
            return false;
        }
        v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(FP[FPos + i]) << (8 * i);
        FPos += n;
        return true;
    }
};

template <class R> std::vector<uint8_t> OctetsEnregistrement(const R& r) {
    TEcrivainEtat e;
    e.Enregistrement(r);
    return std::move(e.Octets);
}

// FNV-1a over the record's bytes, 64 bits.
inline uint64_t HacheOctets(const std::vector<uint8_t>& o, uint64_t h = 0xCBF29CE484222325ull) {
    for (uint8_t b : o) h = (h ^ b) * 0x100000001B3ull;
    return h;
}
template <class R> uint64_t HacheEnregistrement(const R& r) { return HacheOctets(OctetsEnregistrement(r)); }

template <class R>
    requires requires { R::Id; R::Version; }
struct std::hash<R> {
    size_t operator()(const R& r) const { return size_t(HacheEnregistrement(r)); }
};
