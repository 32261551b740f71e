#include "core/Arith9512.h"

#include <cmath>
#include <cstring>

#include "core/Machine.h"

namespace {

// The binary64 number stored little-endian from byte `debut` of the stack.
double LitDouble(const TMachine& m, size_t debut) {
    uint64_t bits = 0;
    for (size_t i = 0; i < 8; ++i) bits |= uint64_t(m.TosNos[debut + i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void EcritDouble(TMachine& m, size_t debut, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (size_t i = 0; i < 8; ++i) m.TosNos[debut + i] = uint8_t(bits >> (8 * i));
}

bool NulOuNaN(double v) { return v == 0.0 || std::isnan(v); }

} // namespace

void Empile9512(TMachine& m, uint8_t octet) {
    std::memmove(&m.TosNos[0], &m.TosNos[1], m.TosNos.size() - 1);
    m.TosNos[15] = octet;
}

uint8_t Depile9512(TMachine& m) {
    const uint8_t ind = uint8_t(m.IndTos9512 & 15);
    const uint8_t v = m.TosNos[ind];
    m.IndTos9512 = uint8_t(((ind - 1) | 8) & 15);
    return v;
}

void Commande9512(TMachine& m, uint8_t commande) {
    m.Status9512 = 0;
    m.Tos = LitDouble(m, 8);
    m.Nos = LitDouble(m, 0);
    switch (commande) {
    case 0x29: m.Tos = m.Tos + m.Nos; break;
    case 0x2A: m.Tos = m.Nos - m.Tos; break;
    case 0x2B: m.Tos = m.Nos * m.Tos; break;
    case 0x2C:
        if (NulOuNaN(m.Tos)) m.Status9512 |= 0x08;
        else m.Tos = m.Nos / m.Tos;
        break;
    case 0x2D: m.Tos = -m.Tos; break;
    case 0x2E: m.Nos = m.Tos; break;
    case 0x2F:
        m.TmpDouble = m.Tos;
        m.Tos = m.Nos;
        m.Nos = m.TmpDouble;
        break;
    default: break;
    }
    EcritDouble(m, 8, m.Tos);
    EcritDouble(m, 0, m.Nos);
    if (NulOuNaN(m.Tos)) m.Status9512 |= 0x40;
    if (!(m.Tos >= 0.0)) m.Status9512 |= 0x20;
}
