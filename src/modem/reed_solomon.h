#pragma once
// RS(15,7) over GF(16): four of these codewords protect every 60-symbol block.
// Positions 0..7 are parity, 8..14 the seven data symbols; position i is the
// coefficient of x^i. Corrects up to four wrong symbols.
#include <cstdint>

namespace veltrin {

constexpr int kRsLength = 15;
constexpr int kRsDataSymbols = 7;
constexpr int kRsParitySymbols = 8;
constexpr int kRsMaxErrors = 4;
// Error count reported for a codeword that could not be decoded.
constexpr int kRsFailed = 15;

// Bounded-distance decoding of one received word. On success `decoded` holds
// the nearest codeword and the result is the number of positions that changed
// (0..4). On failure `decoded` is a copy of `received` and the result is
// kRsFailed. Only the low four bits of each received symbol are used.
// `received` and `decoded` may be the same array.
int DecodeCodeword(const std::uint8_t received[kRsLength], std::uint8_t decoded[kRsLength]);

}  // namespace veltrin
