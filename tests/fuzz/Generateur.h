// Random damage for the fuzz targets: bytes flipped, set, cut, inserted,
// runs of one value, bytes taken out, the end changed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

class TGenerateur {
public:
    explicit TGenerateur(uint64_t graine) : Alea(graine) {}
    uint32_t N(uint32_t n) { return n ? uint32_t(Alea() % n) : 0; }

    // Bytes of a buffer changed in one of a few ways.
    void Abime(std::vector<uint8_t>& o) {
        const uint32_t fois = 1 + N(4);
        for (uint32_t f = 0; f < fois; ++f) {
            const size_t n = o.size();
            switch (N(7)) {
            case 0: if (n) o[N(uint32_t(n))] ^= uint8_t(1u << N(8)); break;
            case 1: if (n) o[N(uint32_t(n))] = uint8_t(N(256)); break;
            case 2: o.resize(N(uint32_t(n) + 1)); break;
            case 3: for (uint32_t i = N(40); i; --i) o.insert(o.begin() + N(uint32_t(o.size()) + 1), uint8_t(N(256))); break;
            case 4: // a run of one value (0, FF, 80…) over a field
                if (n) {
                    const size_t debut = N(uint32_t(n));
                    const uint8_t v = "\x00\xFF\x80\x7F\x01"[N(5)];
                    for (size_t i = debut; i < n && i < debut + 1 + N(9); ++i) o[i] = v;
                }
                break;
            case 5: // a few bytes taken out
                if (n) {
                    const size_t debut = N(uint32_t(n)), fin = std::min<size_t>(n, debut + 1 + N(16));
                    o.erase(o.begin() + std::ptrdiff_t(debut), o.begin() + std::ptrdiff_t(fin));
                }
                break;
            default: if (n >= 2) o[n - 1 - N(std::min<uint32_t>(uint32_t(n), 16))] = uint8_t(N(256)); break;
            }
        }
    }

private:
    std::mt19937_64 Alea;
};
