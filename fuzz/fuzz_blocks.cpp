// Reed-Solomon decoding and the block path: arbitrary codewords, then
// blocks (valid or damaged headers, data and last blocks, noise) fed to a
// decoder as tone hops, through the block search, the header test and
// message assembly.
#include <algorithm>
#include <cstdint>

#include "audio/receive_chain.h"
#include "decoder_sinks.h"
#include "modem/block_codec.h"
#include "modem/block_encoder.h"
#include "modem/crc16.h"
#include "modem/reed_solomon.h"

namespace veltrin {

// The decoder's per-hop entry point (the tests use the same seam).
struct Ifsk16DecoderTestAccess {
    static void storeHop(TIfsk16Decoder& d, double quality, double tonePos) { d.StoreHop(quality, tonePos); }
};

}  // namespace veltrin

using namespace veltrin;

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The codeword property: a decoded word is a codeword at the reported
// distance from the received one.
void checkCodeword(Input& in)
{
    std::uint8_t received[kRsLength], decoded[kRsLength];
    for (auto& s : received)
        s = in.next();
    const int errors = DecodeCodeword(received, decoded);
    if (errors == kRsFailed)
        return;
    VELTRIN_FUZZ_CHECK(errors >= 0 && errors <= kRsMaxErrors);
    int distance = 0;
    for (int i = 0; i < kRsLength; ++i)
        distance += (received[i] & 0x0F) != decoded[i];
    VELTRIN_FUZZ_CHECK(distance == errors);
    std::uint8_t again[kRsLength];
    VELTRIN_FUZZ_CHECK(DecodeCodeword(decoded, again) == 0);
}

// Symbols as the transmitter's tones: each moves the tone by 2 + inverse
// Gray(value) positions; 11 hops per symbol, the middle one the clearest.
class HopFeeder {
public:
    explicit HopFeeder(TIfsk16Decoder& d) : d_(d) {}
    void symbol(int value)
    {
        int c = 0;
        while ((c ^ (c >> 1)) != (value & 0x0F))
            ++c;
        position_ = (position_ + 2 + c) % 18;
        const double bins = 100.0 + position_ * d_.binsPerPosition();
        for (int hop = 0; hop < 11; ++hop)
            Ifsk16DecoderTestAccess::storeHop(d_, hop == 5 ? 1.0 : 0.2, bins);
    }
    void jump(int position, double quality)
    {
        position_ = position % 18;
        Ifsk16DecoderTestAccess::storeHop(d_, quality, 100.0 + position_ * d_.binsPerPosition());
    }

private:
    TIfsk16Decoder& d_;
    int position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    checkCodeword(in);

    static fuzz::QuietStation station;
    ReceiveChain& receive = station.receive;
    static const bool ready = [] {
        station.receive.sampleChain().setupReceiveChain(1700.0);
        return true;
    }();
    (void)ready;
    TIfsk16Decoder& decoder = receive.decoder(in.next() & 3);
    decoder.Reset();
    HopFeeder feed(decoder);

    while (!in.empty()) {
        const std::uint8_t op = in.next();
        std::uint8_t bytes[kBlockBytes];
        for (auto& b : bytes)
            b = in.next();
        const std::uint8_t* sync = NextSync;
        switch (op & 3) {
        case 0: {  // a header with a right CRC unless op says otherwise
            sync = HeaderSync;
            if (!(op & 0x80)) {
                const std::uint16_t crc = crc16(bytes, 10);
                bytes[10] = static_cast<std::uint8_t>(crc & 0xFF);
                bytes[11] = static_cast<std::uint8_t>(crc >> 8);
            }
            break;
        }
        case 1:
            break;
        case 2:
            sync = LastSync;
            break;
        default:  // tones jumping at random, of any quality
            for (int i = 0; i < (op >> 2); ++i)
                feed.jump(bytes[i % kBlockBytes], (bytes[(i + 1) % kBlockBytes] & 0x7F) / 127.0);
            continue;
        }
        std::uint8_t symbols[kBlockSymbols];
        EncodeBlock(bytes, sync, symbols);
        // Up to seven damaged symbols: within and beyond what RS repairs.
        const int damaged = (op >> 2) & 7;
        for (int i = 0; i < damaged; ++i) {
            const std::uint8_t where = in.next();
            symbols[where % kBlockSymbols] ^= static_cast<std::uint8_t>(1 + (where >> 6));
        }
        for (std::uint8_t s : symbols)
            feed.symbol(s);
    }
    // Silence of random tones after the input, so a message is ended by its
    // time-outs.
    for (int i = 0; i < 400; ++i)
        feed.jump(static_cast<int>((i * 7) % 18), 0.1);
    return 0;
}
