#pragma once
// The sending side of the block format: 12 bytes and a sync pattern become
// four systematic RS(15,7) codewords, interleaved into 60 symbol values.
#include <cstdint>

#include "modem/block_codec.h"

namespace veltrin {

// Fills the parity positions 0..7 of a codeword from its data positions
// 8..14: the remainder of x^8 d(x) modulo the generator, so the whole word is
// a multiple of the generator.
void EncodeCodeword(std::uint8_t codeword[kRsLength]);

// Inverse of PackBlock for the data positions: codeword q, positions 8 + 2j
// and 9 + 2j receive the low and high nibble of byte 4j + q.
void UnpackBlock(const std::uint8_t bytes[kBlockBytes], std::uint8_t codewords[kBlockCodewords][kRsLength]);

// One block in sending order: symbol 4i + q is position i of codeword q. The
// check nibble of codeword q is CheckNibble of its data XOR sync[q].
void EncodeBlock(const std::uint8_t bytes[kBlockBytes], const std::uint8_t sync[kBlockCodewords],
                 std::uint8_t symbols[kBlockSymbols]);

}  // namespace veltrin
