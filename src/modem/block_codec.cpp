#include "modem/block_codec.h"

#include "modem/crc16.h"

namespace veltrin {

namespace {
// CRC-4/G-704 table, entries 0..15 (a nibble never exceeds 15).
constexpr std::uint8_t kC4[16] = {0, 7, 14, 9, 5, 2, 11, 12, 10, 13, 4, 3, 15, 8, 1, 6};
}  // namespace

std::uint8_t CheckNibble(const std::uint8_t nibbles[kDataNibbles])
{
    std::uint8_t reg = 0x0F;
    for (int i = 0; i < kDataNibbles; ++i)
        reg = kC4[(reg ^ nibbles[i]) & 0x0F];
    return reg;
}

std::uint8_t SyncNibble(const std::uint8_t codeword[kRsLength])
{
    return static_cast<std::uint8_t>((CheckNibble(codeword + kFirstDataPosition) ^ codeword[kCheckPosition]) & 0x0F);
}

void PackBlock(const std::uint8_t codewords[kBlockCodewords][kRsLength], std::uint8_t bytes[kBlockBytes])
{
    for (int j = 0; j < 3; ++j)
        for (int q = 0; q < kBlockCodewords; ++q) {
            const int lo = codewords[q][kFirstDataPosition + 2 * j] & 0x0F;
            const int hi = codewords[q][kFirstDataPosition + 2 * j + 1] & 0x0F;
            bytes[4 * j + q] = static_cast<std::uint8_t>(lo | (hi << 4));
        }
}

std::uint16_t HeaderCrc(const std::uint8_t bytes[kBlockBytes]) { return crc16(bytes, kBlockBytes); }

}  // namespace veltrin
