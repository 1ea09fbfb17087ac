#include "gateway/transliteration.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp1251.h"

namespace veltrin {
namespace {

// Windows-1251 bytes of UTF-8 source text.
std::string cp(const char* utf8) { return utf8ToCp1251(utf8); }

std::string one(unsigned char c)
{
    char out[4] = {'#', '#', '#', '#'};
    const int n = transliterateChar(c, out);
    EXPECT_EQ(out[n], '\0') << "code " << int(c);
    return std::string(out, static_cast<std::size_t>(n));
}

TEST(Transliteration, EveryKindOfCharacter)
{
    struct Row {
        int code;
        const char* out;
    };
    const Row rows[] = {
        // printable ASCII stays
        {32, " "}, {'A', "A"}, {'z', "z"}, {'0', "0"}, {'#', "#"}, {125, "}"}, {123, "{"},
        // bar, tilde, DEL, controls and the upper non-letters become dots
        {124, "."}, {126, "."}, {127, "."}, {0, "."}, {9, "."}, {31, "."},
        {128, "."}, {0x95, "."}, {167, "."}, {169, "."}, {183, "."}, {185, "."}, {191, "."},
        // Yo
        {168, "E"}, {184, "e"},
        // single-letter capitals and small letters
        {192, "A"}, {193, "B"}, {194, "V"}, {195, "G"}, {196, "D"}, {197, "E"}, {199, "Z"}, {200, "I"},
        {201, "Y"}, {202, "K"}, {203, "L"}, {204, "M"}, {205, "N"}, {206, "O"}, {207, "P"}, {208, "R"},
        {209, "S"}, {210, "T"}, {211, "U"}, {212, "F"},
        {224, "a"}, {225, "b"}, {226, "v"}, {227, "g"}, {228, "d"}, {229, "e"}, {231, "z"}, {232, "i"},
        {233, "y"}, {234, "k"}, {235, "l"}, {236, "m"}, {237, "n"}, {238, "o"}, {239, "p"}, {240, "r"},
        {241, "s"}, {242, "t"}, {243, "u"}, {244, "f"},
        // several letters
        {198, "Zh"}, {213, "Kh"}, {214, "Ts"}, {215, "Ch"}, {216, "Sh"}, {217, "Sch"}, {222, "Yu"}, {223, "Ya"},
        {230, "zh"}, {245, "kh"}, {246, "ts"}, {247, "ch"}, {248, "sh"}, {249, "sch"}, {254, "yu"}, {255, "ya"},
        // hard and soft signs, Y and E
        {218, "'"}, {219, "Y"}, {220, "'"}, {221, "E"}, {250, "'"}, {251, "y"}, {252, "'"}, {253, "e"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(one(static_cast<unsigned char>(r.code)), r.out) << "code " << r.code;
}

TEST(Transliteration, EveryByteGivesPrintableAsciiWithoutBarOrTilde)
{
    for (int c = 0; c < 256; ++c) {
        const std::string s = one(static_cast<unsigned char>(c));
        ASSERT_GE(s.size(), 1u);
        ASSERT_LE(s.size(), 3u);
        for (const char ch : s) {
            EXPECT_TRUE(ch >= 32 && ch <= 125 && ch != '|') << "code " << c;
        }
    }
}

TEST(Transliteration, LimitNeverSplitsAReplacement)
{
    const std::string sixty(60, 'a');
    struct Row {
        const char* what;
        std::string text;
        std::size_t limit;
        std::string out;
    };
    const Row rows[] = {
        {"fits", "Hello", 62, "Hello"},
        {"cut at the limit", std::string(70, 'x'), 62, std::string(62, 'x')},
        {"Shch fits exactly", std::string(59, 'a') + cp("Щ"), 62, std::string(59, 'a') + "Sch"},
        {"Shch dropped whole", sixty + cp("Щb"), 62, sixty},
        {"Shch dropped, nothing after it", std::string(61, 'a') + cp("Щ") + "b", 62, std::string(61, 'a')},
        {"Zh dropped at one free", std::string(61, 'a') + cp("Ж"), 62, std::string(61, 'a')},
        {"Cyrillic word", cp("Привет, мир!"), 62, "Privet, mir!"},
        {"mixed", cp("Щука|Ёж~"), 62, "Schuka.Ezh."},
        {"zero limit", "abc", 0, ""},
        {"empty", "", 10, ""},
        {"NUL and controls", std::string("a\0b\r\n", 5), 10, "a.b.."},
    };
    for (const Row& r : rows)
        EXPECT_EQ(transliterate(r.text, r.limit), r.out) << r.what;
}

TEST(Transliteration, ByteRangeReadsOnlyItsLength)
{
    const std::uint8_t bytes[] = {'a', 'b', 0xD9, 'c'};
    EXPECT_EQ(transliterate(bytes, 2, 10), "ab");
    EXPECT_EQ(transliterate(bytes, 3, 10), "abSch");
    EXPECT_EQ(transliterate(bytes, 0, 10), "");
}

}  // namespace
}  // namespace veltrin
