#pragma once
// A test-side model of the air interface: blocks of 12 bytes with per-codeword
// sync nibbles, turned into 60 symbol values and into tone positions, plus a
// seam that feeds per-hop tone estimates straight into a decoder.
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "modem/block_codec.h"
#include "modem/crc16.h"
#include "modem/msg_header.h"
#include "modem/ifsk16_decoder.h"
#include "rs_test_util.h"

namespace veltrin {

// Reaches the decoder's per-hop and per-block entry points.
struct Ifsk16DecoderTestAccess {
    static void storeHop(TIfsk16Decoder& d, double quality, double tonePos) { d.StoreHop(quality, tonePos); }
    static float* quality(TIfsk16Decoder& d) { return d.timing_.quality_; }
    static const float* tonePos(TIfsk16Decoder& d) { return d.timing_.tonePos_; }
    static void startMessage(TIfsk16Decoder& d, const std::uint8_t bytes[12], int errors)
    {
        d.assembly_.StartMessage(bytes, errors, d.timing_.symbolClock(), d.status_);
        d.presenter_.flushPanels(d.status_);
    }
    static void appendBlock(TIfsk16Decoder& d, const std::uint8_t bytes[12], bool last, bool weak, int errors)
    {
        d.assembly_.AppendBlock(bytes, last, weak, errors, d.timing_.symbolClock(), d.status_);
        d.presenter_.flushPanels(d.status_);
    }
    static void setSymbolClock(TIfsk16Decoder& d, int clock) { d.timing_.symbolClock_ = clock; }
};

namespace test {

using Block = std::array<std::uint8_t, 12>;
using Symbols = std::array<std::uint8_t, 60>;

// The 60 symbol values of a block, in sending order, with one sync nibble per codeword.
inline Symbols blockSymbols(const Block& bytes, const std::uint8_t sync[4])
{
    Symbols out{};
    for (int q = 0; q < 4; ++q) {
        std::array<std::uint8_t, 7> data{};
        for (int j = 0; j < 3; ++j) {
            data[2 * j] = bytes[4 * j + q] & 0x0F;
            data[2 * j + 1] = bytes[4 * j + q] >> 4;
        }
        data[6] = static_cast<std::uint8_t>(CheckNibble(data.data()) ^ sync[q]);
        const Codeword cw = encodeCodeword(data);
        for (int i = 0; i < 15; ++i)
            out[4 * i + q] = cw[i];
    }
    return out;
}

inline Block headerBlock(int type, int flags, int recipient, int sender, int number, int length, int bodyCrc)
{
    Msg_header h;
    h.type = static_cast<std::uint8_t>(type);
    h.flags = static_cast<std::uint8_t>(flags);
    h.recipient = static_cast<std::uint16_t>(recipient);
    h.sender = static_cast<std::uint16_t>(sender);
    h.msgNumber = static_cast<std::uint8_t>(number);
    h.length = static_cast<std::uint8_t>(length);
    h.bodyCrc = static_cast<std::uint16_t>(bodyCrc);
    Block b{};
    h.toBytes(b.data());
    const std::uint16_t crc = crc16(b.data(), 10);
    b[10] = static_cast<std::uint8_t>(crc & 0xFF);
    b[11] = static_cast<std::uint8_t>(crc >> 8);
    return b;
}

inline Block textBlock(const char* text)
{
    Block b{};
    for (int i = 0; i < 12 && text[i]; ++i)
        b[i] = static_cast<std::uint8_t>(text[i]);
    return b;
}

// Feeds symbols to a decoder as 11 hops each: the tone moves up by
// 2 + inverse Gray(value) positions per symbol; the window that sees one
// symbol alone (hop 5 of 11) has the best quality.
class HopFeeder {
public:
    explicit HopFeeder(TIfsk16Decoder& d, unsigned seed = 1) : d_(d), rng_(seed) {}

    void symbol(int value)
    {
        int c = 0;
        while ((c ^ (c >> 1)) != value)
            ++c;
        position_ = (position_ + 2 + c) % 18;
        emit();
    }
    void symbols(const Symbols& s, int from = 0, int to = 60)
    {
        for (int i = from; i < to; ++i)
            symbol(s[i]);
    }
    void block(const Block& bytes, const std::uint8_t sync[4]) { symbols(blockSymbols(bytes, sync)); }
    // Symbols that carry nothing: a tone jumping at random.
    void noise(int count)
    {
        std::uniform_int_distribution<int> pos(0, 17);
        for (int i = 0; i < count; ++i) {
            position_ = pos(rng_);
            emit();
        }
    }

private:
    void emit()
    {
        const double bins = 100.0 + position_ * d_.binsPerPosition();
        for (int hop = 0; hop < 11; ++hop)
            Ifsk16DecoderTestAccess::storeHop(d_, hop == 5 ? 1.0 : 0.2, bins);
    }

    TIfsk16Decoder& d_;
    std::mt19937 rng_;
    int position_ = 0;
};

}  // namespace test
}  // namespace veltrin
