// SHA-256 digests of what a saved state points to (the disk images), so
// that an image changed since the save is not put back silently.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TSha256 = std::array<uint8_t, 32>;

TSha256 Sha256(const uint8_t* p, size_t n);
inline TSha256 Sha256(const std::vector<uint8_t>& o) { return Sha256(o.data(), o.size()); }
// 64 lowercase hexadecimal digits.
std::string TexteSha256(const TSha256& s);
