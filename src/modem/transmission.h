#pragma once
// From a message to the block symbols the modulator sends: the header block,
// the body cut into 12-byte data blocks, and deliberate faults for testing
// receivers.
#include <cstdint>
#include <string>
#include <vector>

#include "modem/block_codec.h"
#include "modem/msg_header.h"

namespace veltrin {

inline constexpr int kMaxMessageBody = 252;  // 21 data blocks, all a receiver holds

inline constexpr std::uint8_t kMsgTypeText = 5;
inline constexpr std::uint8_t kMsgTypePosition = 6;  // GPS (flags bit 0x04) or beacon
inline constexpr std::uint8_t kMsgTypeAck = 12;
inline constexpr std::uint8_t kMsgFlagsPlain = 0xA0;
inline constexpr std::uint8_t kMsgFlagsGps = 0xA4;
inline constexpr std::uint8_t kMsgFlagsPositiveAck = 0xA5;
inline constexpr std::uint8_t kMsgFlagsNegativeAck = 0xAA;

struct OutgoingMessage {
    std::uint8_t type = kMsgTypeText;
    std::uint8_t flags = kMsgFlagsPlain;
    std::uint16_t recipient = 0;
    std::uint16_t sender = 0;
    std::uint8_t msgNumber = 0;
    std::vector<std::uint8_t> body;  // at most kMaxMessageBody bytes; empty = header only
};

// A block exactly as sent: 12 bytes and one of the three sync patterns (or
// any other four nibbles).
struct OutgoingBlock {
    std::uint8_t bytes[kBlockBytes] = {};
    std::uint8_t sync[kBlockCodewords] = {};
};

struct TransmissionFaults {
    bool noHeader = false;          // data blocks only: the receiver sees a headless message
    bool wrongHeaderCrc = false;    // header CRC damaged: the header is never accepted
    bool wrongBodyCrc = false;      // header announces a body CRC that does not match
    std::vector<int> droppedBlocks; // data block numbers (0 = first): sent as random symbols
    std::vector<int> corruptedSymbols;  // symbol numbers from the first block symbol
    int corruptPerCodeword = 0;     // this many positions of every codeword changed (0..15)
    std::uint64_t seed = 1;         // chooses dropped-block symbols and corrupted positions
};

// The header of a message with length, body CRC and header CRC filled in.
Msg_header sealedHeader(const OutgoingMessage& message);
// headerCrc = CRC-16 of bytes 0..9, so that HeaderCrc of the 12 bytes is 0.
void sealHeaderCrc(Msg_header& header);

// The blocks of a message: the header (HeaderSync), then the body in 12-byte
// blocks, the last one padded with zeros and marked LastSync, the others
// NextSync. A body over kMaxMessageBody bytes gives no blocks.
std::vector<OutgoingBlock> messageBlocks(const OutgoingMessage& message, bool wrongHeaderCrc = false,
                                         bool wrongBodyCrc = false);

// 60 symbols per block, in sending order.
std::vector<std::uint8_t> encodeBlocks(const std::vector<OutgoingBlock>& blocks);

// All block symbols of a message with the faults applied; empty when the body
// is too long (error text in *error when given).
std::vector<std::uint8_t> encodeMessage(const OutgoingMessage& message, const TransmissionFaults& faults,
                                        std::string* error = nullptr);

}  // namespace veltrin
