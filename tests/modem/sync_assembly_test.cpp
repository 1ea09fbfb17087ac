// The block synchroniser and message assembly driven by synthetic tone
// histories: what reaches the dispatcher, the receive window and the panels.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "block_signal_util.h"
#include "decoder_test_util.h"
#include "modem/decoder_shared.h"

namespace veltrin {
namespace {

using namespace test;

constexpr std::uint8_t kHead[4] = {0, 2, 4, 6};
constexpr std::uint8_t kNext[4] = {0, 3, 5, 7};
constexpr std::uint8_t kLast[4] = {0, 8, 9, 10};

class SyncAssembly : public ::testing::Test {
protected:
    void SetUp() override
    {
        links.sink = &sink;
        links.status = &panels;
        links.rx = &rx;
        links.shared = &shared;
        decoder.setLinks(links);
        decoder.Setup(32, 1, 1710.9375);
        feed.noise(30);  // let the timing settle on the hop pattern
    }

    int panelCount(int index, const std::string& text) const
    {
        return static_cast<int>(std::count(panels.history.begin(), panels.history.end(), std::make_pair(index, text)));
    }

    RecordingSink sink;
    RecordingPanels panels;
    RecordingRx rx;
    DecoderShared shared;
    DecoderLinks links;
    TIfsk16Decoder decoder;
    HopFeeder feed{decoder};
};

std::string bodyText(const ReceivedMessage& m, int n) { return std::string(m.body.begin(), m.body.begin() + n); }

TEST_F(SyncAssembly, CleanMessageOfTwoBlocks)
{
    const Block head = headerBlock(5, 0xA0, 1234, 5678, 7, 24, 0x1234);
    feed.block(head, kHead);
    feed.block(textBlock("Hello, world"), kNext);
    feed.block(textBlock(" from Corvan"), kLast);
    feed.noise(10);

    ASSERT_EQ(sink.messages.size(), 1u);
    const ReceivedMessage& m = sink.messages[0];
    EXPECT_EQ(m.header.sender, 5678);
    EXPECT_EQ(m.header.length, 24);
    EXPECT_EQ(m.faultCount, 0);
    EXPECT_EQ(m.symbolCount, 180);
    EXPECT_EQ(m.correctedErrors, 0);
    EXPECT_EQ(m.speed, 32);
    EXPECT_EQ(bodyText(m, 24), "Hello, world from Corvan");
    EXPECT_EQ(m.body[24], kBodyFiller);
    EXPECT_EQ(rx.text, "\n[5678>1234]{start}Hello, world from Corvan{end}");
    EXPECT_EQ(panelCount(kPanelChannel, "HEAD"), 1);
    EXPECT_EQ(panelCount(kPanelChannel, "BUSY"), 2);
    EXPECT_EQ(panels.panels[kPanelReception], "Message ...");
    EXPECT_EQ(panels.panels[kPanelErrorRate], "E=0.0%");
    EXPECT_EQ(panels.panels[kPanelTiming], "o: 0+0");
    EXPECT_EQ(decoder.msgState(), 0);
    EXPECT_EQ(decoder.messageTimeout(), 0);
}

TEST_F(SyncAssembly, CorrectedSymbolsAreCountedAndShownAsErrorRate)
{
    feed.block(headerBlock(6, 0xA4, 7, 20202, 1, 12, 0), kHead);
    Symbols data = blockSymbols(textBlock("position....."), kLast);
    data[0] ^= 5;   // codeword 0
    data[5] ^= 1;   // codeword 1
    data[9] ^= 15;  // codeword 1
    feed.symbols(data);
    feed.noise(10);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].correctedErrors, 3);
    EXPECT_EQ(sink.messages[0].faultCount, 0);
    EXPECT_EQ(panels.panels[kPanelErrorRate], "E=5.0%");
    EXPECT_EQ(rx.text.substr(0, 6), "{gps}\n");
}

TEST_F(SyncAssembly, WeakBlockWithThreeMatchesKeepsTheLock)
{
    const std::uint8_t weak[4] = {0, 3, 5, 1};
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 36, 0), kHead);
    feed.block(textBlock("aaaaaaaaaaaa"), kNext);
    feed.block(textBlock("bbbbbbbbbbbb"), weak);
    const Symbols last = blockSymbols(textBlock("cccccccccccc"), kLast);
    feed.symbols(last, 0, 5);  // the block is found a few symbols after its end
    EXPECT_EQ(decoder.lives(), 3);
    EXPECT_GT(decoder.lockCountdown(), 0);
    feed.symbols(last, 5, 60);
    feed.noise(10);

    ASSERT_EQ(sink.messages.size(), 1u);
    const ReceivedMessage& m = sink.messages[0];
    EXPECT_EQ(m.faultCount, 1);            // the weak block
    EXPECT_EQ(m.correctedErrors, 15);      // codeword 3 of the weak block
    EXPECT_EQ(m.symbolCount, 240);
    EXPECT_EQ(bodyText(m, 36), "aaaaaaaaaaaabbbbbbbbbbbbcccccccccccc");
    // The rate shown is that of the Reed-Solomon corrections, before the misfit is charged.
    EXPECT_EQ(panelCount(kPanelErrorRate, "E=0.0%"), 4);
}

TEST_F(SyncAssembly, WeakBlockWithTwoAndTwoMatchesIsDeliveredAndDropsTheLock)
{
    const std::uint8_t mixed[4] = {0, 3, 9, 1};
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 36, 0), kHead);
    feed.block(textBlock("aaaaaaaaaaaa"), kNext);
    feed.block(textBlock("bbbbbbbbbbbb"), mixed);
    const Symbols last = blockSymbols(textBlock("cccccccccccc"), kLast);
    feed.symbols(last, 0, 5);
    EXPECT_EQ(decoder.lives(), 0);
    EXPECT_EQ(decoder.lockCountdown(), 0);
    EXPECT_EQ(decoder.msgState(), 1);
    EXPECT_EQ(decoder.bodyCount(), 24);
    // Without the lock a full match is still found.
    feed.symbols(last, 5, 60);
    feed.noise(10);
    ASSERT_EQ(sink.messages.size(), 1u);
    const ReceivedMessage& m = sink.messages[0];
    EXPECT_EQ(m.faultCount, 1);
    EXPECT_EQ(m.correctedErrors, 15);  // only codeword 3 fits neither pattern
    EXPECT_EQ(bodyText(m, 36), "aaaaaaaaaaaabbbbbbbbbbbbcccccccccccc");
}

TEST_F(SyncAssembly, WeakBlockWithoutMessageIsShownButOpensNothing)
{
    const std::uint8_t weak[4] = {0, 3, 5, 1};
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 12, 0), kHead);
    feed.block(textBlock("first block!"), kLast);  // message handed on, lock kept
    feed.block(textBlock("weak block.."), weak);
    feed.noise(1400);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(rx.text.find("weak block.."), std::string::npos);
    EXPECT_EQ(decoder.msgState(), 0);
}

TEST_F(SyncAssembly, HeaderOfUnknownTypeIsRefused)
{
    feed.block(headerBlock(7, 0xA0, 1, 2, 3, 12, 0), kHead);
    feed.block(headerBlock(5, 0x90, 1, 2, 3, 12, 0), kHead);  // flags outside 0xA0..0xBF
    Block badCrc = headerBlock(5, 0xA0, 1, 2, 3, 12, 0);
    std::swap(badCrc[10], badCrc[11]);
    feed.block(badCrc, kHead);
    feed.noise(10);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(panelCount(kPanelChannel, "HEAD"), 0);
    EXPECT_EQ(decoder.msgState(), 0);
    EXPECT_EQ(rx.text, "");
}

TEST_F(SyncAssembly, MissedBlockLeavesFillerAndCountsOneFault)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 36, 0), kHead);
    const Symbols first = blockSymbols(textBlock("aaaaaaaaaaaa"), kNext);
    feed.symbols(first, 0, 5);
    // 2068 hops from the header's acceptance, 11 per symbol since.
    EXPECT_EQ(decoder.messageTimeout(), 2068 - 11 * (decoder.symbolClock() - decoder.lastBlockSymbol()));
    feed.symbols(first, 5, 60);
    feed.noise(60);
    feed.block(textBlock("cccccccccccc"), kLast);
    feed.noise(10);
    ASSERT_EQ(sink.messages.size(), 1u);
    const ReceivedMessage& m = sink.messages[0];
    EXPECT_EQ(m.faultCount, 1);
    EXPECT_EQ(m.symbolCount, 180);
    EXPECT_EQ(bodyText(m, 12), "aaaaaaaaaaaa");
    for (int i = 12; i < 24; ++i)
        EXPECT_EQ(m.body[i], kBodyFiller) << i;
    EXPECT_EQ(bodyText(m, 36).substr(24), "cccccccccccc");
}

TEST_F(SyncAssembly, BodyFilledWithoutLastMarkEndsEarly)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 20, 0), kHead);
    feed.block(textBlock("aaaaaaaaaaaa"), kNext);
    feed.block(textBlock("bbbbbbbb...."), kNext);
    feed.noise(5);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].faultCount, 1);
    EXPECT_EQ(sink.messages[0].symbolCount, 180);
    EXPECT_EQ(decoder.msgState(), 0);
}

TEST_F(SyncAssembly, EmptyMessageIsHandedOnByItsTimeout)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 0, 0xFFFF), kHead);
    feed.noise(3);
    ASSERT_EQ(decoder.msgState(), 1);
    const int clockAtHeader = decoder.lastBlockSymbol();
    while (sink.messages.empty() && decoder.symbolClock() < clockAtHeader + 20)
        feed.noise(1);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(decoder.symbolClock() - clockAtHeader, 8);
    EXPECT_EQ(sink.messages[0].faultCount, 1);
    EXPECT_EQ(sink.messages[0].symbolCount, 60);
    EXPECT_EQ(sink.messages[0].header.length, 0);
}

TEST_F(SyncAssembly, HeadlessMessageStartsItsCountsAfresh)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 12, 0), kHead);
    feed.block(textBlock("first block!"), kLast);
    Symbols data = blockSymbols(textBlock("orphan block"), kNext);
    data[7] ^= 3;
    data[8] ^= 3;
    feed.symbols(data, 0, 5);
    ASSERT_EQ(sink.messages.size(), 1u);
    feed.symbols(data, 5, 60);
    feed.noise(3);
    EXPECT_EQ(decoder.msgState(), 2);
    EXPECT_EQ(decoder.messageTimeout(), 13288 - 11 * (decoder.symbolClock() - decoder.lastBlockSymbol()));
    EXPECT_EQ(panels.panels[kPanelReception], "Headless message ...");
    EXPECT_EQ(shared.StatusMasks[kMaskHeadless] & 32, 32);
    feed.noise(1210);
    ASSERT_EQ(sink.messages.size(), 2u);
    const ReceivedMessage& m = sink.messages[1];
    EXPECT_EQ(m.header.type, 0);
    EXPECT_EQ(m.header.length, 252);
    EXPECT_EQ(m.header.sender, 0);
    EXPECT_EQ(m.symbolCount, 60);
    EXPECT_EQ(m.correctedErrors, 2);
    EXPECT_EQ(m.faultCount, 2);  // no header, then the timeout
    EXPECT_EQ(bodyText(m, 12), "orphan block");
    EXPECT_EQ(shared.StatusMasks[kMaskHeadless] & 32, 0);
}

TEST_F(SyncAssembly, NewHeaderHandsOnTheInterruptedMessage)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 60, 0), kHead);
    feed.block(textBlock("aaaaaaaaaaaa"), kNext);
    feed.block(textBlock("bbbbbbbbbbbb"), kNext);
    feed.block(textBlock("cccccccccccc"), kNext);
    feed.block(headerBlock(5, 0xA1, 9, 8, 4, 12, 0), kHead);
    const Symbols second = blockSymbols(textBlock("second msg.."), kLast);
    feed.symbols(second, 0, 5);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].header.msgNumber, 3);
    EXPECT_EQ(sink.messages[0].faultCount, 1);
    EXPECT_EQ(sink.messages[0].symbolCount, 240);
    EXPECT_EQ(bodyText(sink.messages[0], 36), "aaaaaaaaaaaabbbbbbbbbbbbcccccccccccc");
    feed.symbols(second, 5, 60);
    feed.noise(10);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].header.msgNumber, 4);
    EXPECT_EQ(sink.messages[1].faultCount, 0);
    EXPECT_EQ(sink.messages[1].symbolCount, 120);
}

TEST_F(SyncAssembly, HeaderWithoutDataIsDroppedByTheNextHeader)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 24, 0), kHead);
    feed.block(headerBlock(5, 0xA0, 1, 2, 4, 12, 0), kHead);
    feed.block(textBlock("only message"), kLast);
    feed.noise(10);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].header.msgNumber, 4);
}

TEST_F(SyncAssembly, AcknowledgementsOnlyShowTheirVerdict)
{
    struct Case {
        int flags;
        const char* text;
    };
    const Case cases[] = {{0xA5, "Got Positive ACK"}, {0xAA, "Got Negative ACK"}, {0xA7, "Got Invalid ACK"}};
    for (const Case& c : cases) {
        rx.text.clear();
        feed.block(headerBlock(12, c.flags, 1, 2, 3, 0, 0), kHead);
        feed.noise(70);
        EXPECT_EQ(panels.panels[kPanelResult], c.text);
        EXPECT_EQ(panels.panels[kPanelReception], "Ack ...");
        EXPECT_EQ(rx.text, "{ack}\n");
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(SyncAssembly, ChannelPanelBlanksOnlyWhenAllCountdownsEnd)
{
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 12, 0), kHead);
    feed.block(textBlock("first block!"), kLast);
    feed.noise(5);
    EXPECT_EQ(panels.panels[kPanelChannel], "BUSY");
    feed.noise(200);
    EXPECT_EQ(panels.panels[kPanelChannel], " ");
    EXPECT_EQ(decoder.activityHold(), 0);
    EXPECT_EQ(shared.StatusMasks[kMaskActivity] & 32, 0);
}

TEST_F(SyncAssembly, TuningPatternShowsSygnOnlyWhenIdle)
{
    for (int i = 0; i < 6; ++i)
        feed.symbol(5);  // Gray 5 = move 6+2? no: value 5 is c = 6, a move of 8
    EXPECT_EQ(decoder.sygnHold(), 0);
    for (int i = 0; i < 6; ++i)
        feed.symbol(4);  // c = 7: a move of 9 ... not 6
    // A tone rising 6 positions per symbol: value with c = 4, i.e. 6.
    for (int i = 0; i < 6; ++i)
        feed.symbol(6);
    EXPECT_GT(decoder.sygnHold(), 0);
    EXPECT_EQ(panels.panels[kPanelChannel], "SYGN");

    // While a message runs the detector is silent.
    feed.noise(200);
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 120, 0), kHead);
    panels.history.clear();
    for (int i = 0; i < 6; ++i)
        feed.symbol(6);
    EXPECT_EQ(panelCount(kPanelChannel, "SYGN"), 0);
}

// Direct calls of the assembly entry points, for cases the air cannot produce easily.
TEST_F(SyncAssembly, GapCheckEndsMessageWhenTheBodyOverflows)
{
    const Block head = headerBlock(5, 0xA0, 1, 2, 3, 255, 0);
    Ifsk16DecoderTestAccess::setSymbolClock(decoder, 1000);
    Ifsk16DecoderTestAccess::startMessage(decoder, head.data(), 0);
    const Block data = textBlock("xxxxxxxxxxxx");
    // 21 blocks missed: the gap check reaches 252 bytes and ends the message.
    Ifsk16DecoderTestAccess::setSymbolClock(decoder, 1000 + 22 * 60);
    Ifsk16DecoderTestAccess::appendBlock(decoder, data.data(), false, false, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].faultCount, 21 + 1);
    EXPECT_EQ(decoder.msgState(), 0);
    for (int i = 0; i < 252; ++i)
        ASSERT_EQ(sink.messages[0].body[i], kBodyFiller);
}

TEST_F(SyncAssembly, LastBlockFarBeyondTheLengthIsAFault)
{
    const Block head = headerBlock(5, 0xA0, 1, 2, 3, 0, 0);
    Ifsk16DecoderTestAccess::startMessage(decoder, head.data(), 0);
    const Block data = textBlock("xxxxxxxxxxxx");
    Ifsk16DecoderTestAccess::appendBlock(decoder, data.data(), true, false, 0);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].faultCount, 1);
}

TEST(DecoderLinksTest, NullLinksDoNotCrash)
{
    TIfsk16Decoder decoder;
    decoder.Setup(32, 1, 1710.9375);
    HopFeeder feed(decoder);
    feed.noise(20);
    feed.block(headerBlock(5, 0xA0, 1, 2, 3, 12, 0), kHead);
    feed.block(textBlock("no one hears"), kLast);
    feed.noise(20);
    EXPECT_EQ(decoder.msgState(), 0);
}

}  // namespace
}  // namespace veltrin
