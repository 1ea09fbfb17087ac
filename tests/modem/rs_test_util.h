#pragma once
// Systematic RS(15,7) encoding for building valid codewords in tests.
#include <array>
#include <cstdint>

#include "modem/gf16.h"
#include "modem/reed_solomon.h"

namespace veltrin::test {

using Codeword = std::array<std::uint8_t, kRsLength>;

// Positions 8..14 = data, positions 0..7 = x^8 d(x) mod g(x).
inline Codeword encodeCodeword(const std::array<std::uint8_t, kRsDataSymbols>& data)
{
    std::uint8_t rem[kRsLength] = {};
    for (int i = 0; i < kRsDataSymbols; ++i)
        rem[kRsParitySymbols + i] = data[i];
    for (int top = kRsLength - 1; top >= kRsParitySymbols; --top) {
        const std::uint8_t coef = rem[top];
        if (coef == 0)
            continue;
        for (int k = 0; k <= kRsParitySymbols; ++k)
            rem[top - kRsParitySymbols + k] ^= gf16::mul(coef, gf16::kGenerator[k]);
    }
    Codeword cw{};
    for (int i = 0; i < kRsParitySymbols; ++i)
        cw[i] = rem[i];
    for (int i = 0; i < kRsDataSymbols; ++i)
        cw[kRsParitySymbols + i] = data[i];
    return cw;
}

}  // namespace veltrin::test
