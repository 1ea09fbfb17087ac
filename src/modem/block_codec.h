#pragma once
// The over-the-air block: 60 symbols = four interleaved RS(15,7) codewords
// carrying 12 bytes, each codeword with a check nibble that also carries one
// nibble of the block's sync pattern.
#include <cstdint>

#include "modem/reed_solomon.h"

namespace veltrin {

constexpr int kBlockCodewords = 4;
constexpr int kBlockSymbols = kBlockCodewords * kRsLength;  // 60
constexpr int kBlockBytes = 12;
constexpr int kFirstDataPosition = 8;   // positions 8..13 carry the six data nibbles
constexpr int kDataNibbles = 6;
constexpr int kCheckPosition = 14;

// Sync nibble per codeword (codeword 0 first).
inline constexpr std::uint8_t HeaderSync[kBlockCodewords] = {0, 2, 4, 6};
inline constexpr std::uint8_t NextSync[kBlockCodewords] = {0, 3, 5, 7};
inline constexpr std::uint8_t LastSync[kBlockCodewords] = {0, 8, 9, 10};

// 4-bit check (CRC-4/G-704 register started at 0xF) of six nibbles.
std::uint8_t CheckNibble(const std::uint8_t nibbles[kDataNibbles]);

// Sync nibble of a codeword: check of positions 8..13 XOR position 14.
std::uint8_t SyncNibble(const std::uint8_t codeword[kRsLength]);

// Byte 4j + q = position 8 + 2j of codeword q (low nibble) and 9 + 2j (high).
void PackBlock(const std::uint8_t codewords[kBlockCodewords][kRsLength],
               std::uint8_t bytes[kBlockBytes]);

// CRC-16 over all 12 block bytes; 0 for a header whose last two bytes hold the
// CRC of the first ten, low byte first.
std::uint16_t HeaderCrc(const std::uint8_t bytes[kBlockBytes]);

}  // namespace veltrin
