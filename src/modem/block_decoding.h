#pragma once
// Block decoding: the four codewords of a 60-symbol block as the block
// search read them, into decoded codewords with an error count each. The
// standard decoding takes the hard symbol values; a soft decoding may also
// use the tone energies at the hops where the search read each symbol.
#include <cstdint>

#include "modem/block_codec.h"

namespace veltrin {

struct BlockReading {
    std::uint8_t symbols[kBlockSymbols] = {};           // hard values, oldest first
    std::uint8_t received[kBlockCodewords][kRsLength] = {};  // de-interleaved
    // History slot (0..1023) of each symbol's tone on the block's timing
    // grid (the fine per-symbol offsets of the hard reading left out: at
    // low SNR they follow the noise).
    int toneHop[kBlockSymbols] = {};
};

class BlockDecoding {
public:
    virtual ~BlockDecoding() = default;
    // Once per block read, before its codewords are decoded.
    virtual void prepare(const BlockReading& reading) = 0;
    // Codeword q (0..3) of the prepared block into `decoded`: the number of
    // symbols corrected (0..14), or kRsFailed with the received word copied.
    virtual int decodeCodeword(int q, std::uint8_t decoded[kRsLength]) = 0;
};

// Bounded-distance decoding of the hard symbol values (up to four errors).
class HardBlockDecoding : public BlockDecoding {
public:
    void prepare(const BlockReading& reading) override { reading_ = &reading; }
    int decodeCodeword(int q, std::uint8_t decoded[kRsLength]) override
    {
        return DecodeCodeword(reading_->received[q], decoded);
    }

private:
    const BlockReading* reading_ = nullptr;
};

}  // namespace veltrin
