#include "modem/transmission.h"

#include <algorithm>
#include <cstring>

#include "modem/block_encoder.h"
#include "modem/crc16.h"
#include "modem/signal_rng.h"

namespace veltrin {

void sealHeaderCrc(Msg_header& header)
{
    std::uint8_t bytes[kMsgHeaderBytes];
    header.toBytes(bytes);
    header.headerCrc = crc16(bytes, kMsgHeaderBytes - 2);
}

Msg_header sealedHeader(const OutgoingMessage& message)
{
    Msg_header h;
    h.type = message.type;
    h.flags = message.flags;
    h.recipient = message.recipient;
    h.sender = message.sender;
    h.msgNumber = message.msgNumber;
    h.length = static_cast<std::uint8_t>(std::min<std::size_t>(message.body.size(), 255));
    h.bodyCrc = crc16(message.body.data(), h.length);
    sealHeaderCrc(h);
    return h;
}

std::vector<OutgoingBlock> messageBlocks(const OutgoingMessage& message, bool wrongHeaderCrc, bool wrongBodyCrc)
{
    std::vector<OutgoingBlock> blocks;
    if (message.body.size() > static_cast<std::size_t>(kMaxMessageBody))
        return blocks;
    Msg_header h = sealedHeader(message);
    if (wrongBodyCrc) {
        h.bodyCrc ^= 0x5A5A;
        sealHeaderCrc(h);
    }
    if (wrongHeaderCrc)
        h.headerCrc ^= 0x0101;
    OutgoingBlock header;
    h.toBytes(header.bytes);
    std::memcpy(header.sync, HeaderSync, sizeof header.sync);
    blocks.push_back(header);

    const std::size_t n = message.body.size();
    for (std::size_t at = 0; at < n; at += kBlockBytes) {
        OutgoingBlock b;
        const std::size_t take = std::min<std::size_t>(kBlockBytes, n - at);
        std::memcpy(b.bytes, message.body.data() + at, take);
        const bool last = at + kBlockBytes >= n;
        std::memcpy(b.sync, last ? LastSync : NextSync, sizeof b.sync);
        blocks.push_back(b);
    }
    return blocks;
}

std::vector<std::uint8_t> encodeBlocks(const std::vector<OutgoingBlock>& blocks)
{
    std::vector<std::uint8_t> symbols(blocks.size() * kBlockSymbols);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        EncodeBlock(blocks[i].bytes, blocks[i].sync, symbols.data() + i * kBlockSymbols);
    return symbols;
}

namespace {
// Changes `count` distinct positions of every codeword of every block.
void corruptCodewords(std::vector<std::uint8_t>& symbols, int count, SignalRng& rng)
{
    count = std::clamp(count, 0, kRsLength);
    const std::size_t blocks = symbols.size() / kBlockSymbols;
    for (std::size_t b = 0; b < blocks; ++b)
        for (int q = 0; q < kBlockCodewords; ++q) {
            int positions[kRsLength];
            for (int i = 0; i < kRsLength; ++i)
                positions[i] = i;
            for (int i = 0; i < count; ++i) {  // partial Fisher-Yates
                std::swap(positions[i], positions[i + rng.below(kRsLength - i)]);
                std::uint8_t& s = symbols[b * kBlockSymbols + 4 * positions[i] + q];
                s = static_cast<std::uint8_t>(s ^ (1 + rng.below(15)));
            }
        }
}
}  // namespace

std::vector<std::uint8_t> encodeMessage(const OutgoingMessage& message, const TransmissionFaults& faults,
                                        std::string* error)
{
    if (message.body.size() > static_cast<std::size_t>(kMaxMessageBody)) {
        if (error)
            *error = "message body longer than 252 bytes";
        return {};
    }
    std::vector<OutgoingBlock> blocks = messageBlocks(message, faults.wrongHeaderCrc, faults.wrongBodyCrc);
    std::vector<std::uint8_t> symbols = encodeBlocks(blocks);
    SignalRng rng(faults.seed);

    // Dropped blocks keep their time on the air but carry random symbols, as
    // a block lost in a fade or a burst of interference would.
    for (int d : faults.droppedBlocks) {
        const std::size_t block = static_cast<std::size_t>(d) + 1;  // after the header
        if (d < 0 || block >= blocks.size())
            continue;
        for (int i = 0; i < kBlockSymbols; ++i)
            symbols[block * kBlockSymbols + i] = static_cast<std::uint8_t>(rng.below(16));
    }
    if (faults.noHeader)
        symbols.erase(symbols.begin(), symbols.begin() + kBlockSymbols);
    corruptCodewords(symbols, faults.corruptPerCodeword, rng);
    for (int s : faults.corruptedSymbols)
        if (s >= 0 && static_cast<std::size_t>(s) < symbols.size())
            symbols[s] = static_cast<std::uint8_t>(symbols[s] ^ 0x09);
    return symbols;
}

}  // namespace veltrin
