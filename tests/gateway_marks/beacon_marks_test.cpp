#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gateway/beacon_marks.h"
#include "platform/clock.h"

using namespace veltrin;

namespace {

constexpr std::time_t kExample = 1700000000;  // period 2833333, slot 133
constexpr std::time_t kDay = 86400;

class BeaconMarksTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    std::string file;
    BeaconMarks marks;
    Msg_header header;
    MessageBody body{};

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("veltrin_marks_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "beacon_marks.bin").string();
    }
    void TearDown() override
    {
        setClockSource({});
        std::filesystem::remove_all(dir);
    }

    void at(std::time_t t) { setClockSource([t] { return t; }); }
    int markAt(std::time_t t, int faults)
    {
        at(t);
        return marks.markBeacon(header, body, faults);
    }
    void writeFile(const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> readFile() const
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

}  // namespace

TEST_F(BeaconMarksTest, CleanThenDamagedInTheSamePeriodKeepsBothFlagsAndIsGreen)
{
    EXPECT_FALSE(marks.load(file));  // no file yet: all zeros
    EXPECT_EQ(BeaconMarks::periodOf(kExample), 2833333);
    EXPECT_EQ(BeaconMarks::slotOf(2833333), 133);

    EXPECT_EQ(markAt(kExample, 0), 0);
    EXPECT_EQ(marks.word(133), 2833333u | 0x2000000u);
    EXPECT_EQ(marks.cellColour(23, kExample), BeaconColour::Green);

    EXPECT_EQ(markAt(kExample + 100, 3), 0);  // same period, damaged
    EXPECT_EQ(marks.word(133), 2833333u | 0x3000000u);
    EXPECT_EQ(marks.cellColour(23, kExample + 100), BeaconColour::Green);

    for (int slot = 0; slot < kBeaconSlots; ++slot) {
        if (slot != 133) {
            EXPECT_EQ(marks.word(slot), 0u) << slot;
        }
    }
}

TEST_F(BeaconMarksTest, DamagedAloneIsYellowAndCleanLaterInThePeriodTurnsItGreen)
{
    marks.load(file);
    markAt(kExample, 1);
    EXPECT_EQ(marks.word(133), 2833333u | 0x1000000u);
    EXPECT_EQ(marks.cellColour(23, kExample), BeaconColour::Yellow);
    markAt(kExample, 0);
    EXPECT_EQ(marks.cellColour(23, kExample), BeaconColour::Green);
}

TEST_F(BeaconMarksTest, AMarkMovesLeftOneColumnEveryPeriodAndLeavesAfterFourHours)
{
    marks.load(file);
    markAt(kExample, 1);
    for (int later = 0; later <= 25; ++later) {
        const std::time_t now = kExample + later * 600;
        for (int column = 0; column < kBeaconColumns; ++column) {
            const BeaconColour expected =
                column == kBeaconColumns - 1 - later ? BeaconColour::Yellow : BeaconColour::Grey;
            EXPECT_EQ(marks.cellColour(column, now), expected) << "later " << later << " column " << column;
        }
    }
    EXPECT_EQ(marks.cellColour(-1, kExample), BeaconColour::Grey);
    EXPECT_EQ(marks.cellColour(24, kExample), BeaconColour::Grey);
}

TEST_F(BeaconMarksTest, ADayLaterTheSlotHoldsTheOldPeriodIsGreyAndTheNextMarkReplacesIt)
{
    marks.load(file);
    markAt(kExample, 0);
    const std::time_t dayLater = kExample + kDay;
    EXPECT_EQ(BeaconMarks::slotOf(BeaconMarks::periodOf(dayLater)), 133);
    EXPECT_EQ(marks.cellColour(23, dayLater), BeaconColour::Grey);

    markAt(dayLater, 1);  // not ORed: the clean flag was the old day's
    EXPECT_EQ(marks.word(133), (2833333u + 144u) | 0x1000000u);
    EXPECT_EQ(marks.cellColour(23, dayLater), BeaconColour::Yellow);
}

TEST_F(BeaconMarksTest, ZeroWordsAreNeverMarkedEvenWherePeriodLabelIsZero)
{
    marks.load(file);
    // Period 2^24 has the label 0, like an empty word.
    const std::time_t wrap = std::time_t{600} * 0x1000000;
    for (std::time_t now : {std::time_t{0}, std::time_t{599}, wrap})
        for (int column = 0; column < kBeaconColumns; ++column)
            EXPECT_EQ(marks.cellColour(column, now), BeaconColour::Grey) << now << " " << column;

    // The period number's 25th bit must not reach the flags.
    markAt(wrap, 0);
    EXPECT_EQ(marks.word(BeaconMarks::slotOf(0x1000000)), 0x2000000u);
    EXPECT_EQ(marks.cellColour(23, wrap), BeaconColour::Green);
}

TEST_F(BeaconMarksTest, LoadReadsAtMostTheWordsAndLeavesTheRestZero)
{
    marks.load(file);
    // Sizes: empty, the 100 bytes of 25 words, a cut word, exact, too long.
    for (std::size_t size : {0u, 100u, 102u, 576u, 700u}) {
        markAt(kExample, 0);  // earlier contents must not survive a load
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
        std::filesystem::remove(file);
        writeFile(bytes);
        EXPECT_TRUE(marks.load(file)) << size;
        for (int w = 0; w < kBeaconSlots; ++w) {
            std::uint32_t expected = 0;  // little-endian bytes, missing ones 0
            for (int b = 0; b < 4; ++b) {
                const std::size_t at = static_cast<std::size_t>(4 * w + b);
                if (at < size)
                    expected |= static_cast<std::uint32_t>(bytes[at]) << (8 * b);
            }
            EXPECT_EQ(marks.word(w), expected) << size << " word " << w;
        }
    }
}

TEST_F(BeaconMarksTest, AHundredByteFileLoadsTwentyFiveWords)
{
    std::vector<std::uint8_t> bytes(100, 0);
    for (int w = 0; w < 25; ++w)
        bytes[static_cast<std::size_t>(4 * w)] = static_cast<std::uint8_t>(w + 1);
    writeFile(bytes);
    marks.load(file);
    for (int w = 0; w < kBeaconSlots; ++w)
        EXPECT_EQ(marks.word(w), w < 25 ? static_cast<std::uint32_t>(w + 1) : 0u) << w;
}

TEST_F(BeaconMarksTest, AMissingFileLoadsZeros)
{
    marks.load(file);
    markAt(kExample, 0);
    EXPECT_FALSE(marks.load((dir / "none.bin").string()));
    for (int w = 0; w < kBeaconSlots; ++w)
        EXPECT_EQ(marks.word(w), 0u) << w;
}

TEST_F(BeaconMarksTest, AMarkWritesAll576BytesLittleEndian)
{
    marks.load(file);
    markAt(kExample, 0);
    markAt(kExample - 600, 1);  // period 2833332, slot 132
    const std::vector<std::uint8_t> bytes = readFile();
    ASSERT_EQ(bytes.size(), 576u);
    // 2833333 = 0x2B3BB5
    const std::uint8_t slot133[4] = {0xB5, 0x3B, 0x2B, 0x02};
    const std::uint8_t slot132[4] = {0xB4, 0x3B, 0x2B, 0x01};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(bytes[133 * 4 + b], slot133[b]) << b;
        EXPECT_EQ(bytes[132 * 4 + b], slot132[b]) << b;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i / 4 != 132 && i / 4 != 133) {
            EXPECT_EQ(bytes[i], 0) << i;
        }
    }

    BeaconMarks again;
    EXPECT_TRUE(again.load(file));
    EXPECT_EQ(again.words(), marks.words());
    EXPECT_EQ(again.cellColour(22, kExample), BeaconColour::Yellow);
    EXPECT_EQ(again.cellColour(23, kExample), BeaconColour::Green);
}

TEST_F(BeaconMarksTest, ALongerFileIsOverwrittenInPlaceNotTruncated)
{
    writeFile(std::vector<std::uint8_t>(700, 0xEE));
    marks.load(file);
    markAt(kExample + kDay, 0);  // a later day: slot 133 is replaced
    const std::vector<std::uint8_t> bytes = readFile();
    ASSERT_EQ(bytes.size(), 700u);
    EXPECT_EQ(bytes[0], 0xEE);  // the old words stay as loaded
    EXPECT_EQ(bytes[133 * 4 + 3], 0x02);
    for (std::size_t i = 576; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], 0xEE) << i;
}

TEST_F(BeaconMarksTest, AFileThatCannotBeWrittenIsIgnoredAndTheStripStillRedraws)
{
    int redraws = 0;
    marks.setRedraw([&] { ++redraws; });
    const std::string unwritable[] = {(dir / "missing_folder" / "beacon_marks.bin").string(),
                                      dir.string()};  // a folder, not a file
    for (const std::string& path : unwritable) {
        marks.load(path);
        EXPECT_EQ(markAt(kExample, 0), 0) << path;
        EXPECT_EQ(marks.word(133), 2833333u | 0x2000000u) << path;
        EXPECT_EQ(marks.cellColour(23, kExample), BeaconColour::Green) << path;
    }
    EXPECT_EQ(redraws, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing_folder"));
}

TEST_F(BeaconMarksTest, EveryMarkCallsTheRedrawAfterTheWordIsSet)
{
    marks.load(file);
    std::vector<BeaconColour> seen;
    marks.setRedraw([&] { seen.push_back(marks.cellColour(23, clockNow())); });
    markAt(kExample, 1);
    markAt(kExample, 0);
    EXPECT_EQ(seen, (std::vector<BeaconColour>{BeaconColour::Yellow, BeaconColour::Green}));
}

TEST(BeaconStripLayoutTest, ColumnsOfAtLeastFivePixelsCentred)
{
    struct Case {
        int clientWidth;
        BeaconStripLayout expected;
    } cases[] = {
        {100, {5, 120, 0}},   // 100 div 24 = 4, raised to 5; sticks out on the right
        {534, {22, 528, 3}},
        {0, {5, 120, 0}},
        {119, {5, 120, 0}},
        {120, {5, 120, 0}},
        {143, {5, 120, 11}},  // 23 / 2 rounds toward zero
        {144, {6, 144, 0}},
        {860, {35, 840, 10}},
        {-10, {5, 120, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(beaconStripLayout(c.clientWidth), c.expected) << c.clientWidth;
}
