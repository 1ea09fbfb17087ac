#include "modem/block_encoder.h"

#include "modem/gf16.h"

namespace veltrin {

void EncodeCodeword(std::uint8_t codeword[kRsLength])
{
    // Long division of x^8 d(x) by the monic generator, highest degree first;
    // rem[k] is the coefficient of x^k of the running remainder.
    std::uint8_t rem[kRsParitySymbols] = {};
    for (int i = kRsLength - 1; i >= kRsParitySymbols; --i) {
        const std::uint8_t factor = gf16::add(codeword[i] & 0x0F, rem[kRsParitySymbols - 1]);
        for (int k = kRsParitySymbols - 1; k > 0; --k)
            rem[k] = gf16::add(rem[k - 1], gf16::mul(factor, gf16::kGenerator[k]));
        rem[0] = gf16::mul(factor, gf16::kGenerator[0]);
    }
    for (int k = 0; k < kRsParitySymbols; ++k)
        codeword[k] = rem[k];
}

void UnpackBlock(const std::uint8_t bytes[kBlockBytes], std::uint8_t codewords[kBlockCodewords][kRsLength])
{
    for (int j = 0; j < 3; ++j)
        for (int q = 0; q < kBlockCodewords; ++q) {
            const std::uint8_t b = bytes[4 * j + q];
            codewords[q][kFirstDataPosition + 2 * j] = b & 0x0F;
            codewords[q][kFirstDataPosition + 2 * j + 1] = static_cast<std::uint8_t>(b >> 4);
        }
}

void EncodeBlock(const std::uint8_t bytes[kBlockBytes], const std::uint8_t sync[kBlockCodewords],
                 std::uint8_t symbols[kBlockSymbols])
{
    std::uint8_t codewords[kBlockCodewords][kRsLength] = {};
    UnpackBlock(bytes, codewords);
    for (int q = 0; q < kBlockCodewords; ++q) {
        codewords[q][kCheckPosition] =
            static_cast<std::uint8_t>((CheckNibble(codewords[q] + kFirstDataPosition) ^ sync[q]) & 0x0F);
        EncodeCodeword(codewords[q]);
    }
    for (int i = 0; i < kRsLength; ++i)
        for (int q = 0; q < kBlockCodewords; ++q)
            symbols[4 * i + q] = codewords[q][i];
}

}  // namespace veltrin
