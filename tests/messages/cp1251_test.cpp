#include "platform/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace veltrin {
namespace {

// glibc's own CP1251 converter, as an independent reference for the table.
std::string iconvCp1251ToUtf8(unsigned char c)
{
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "<no iconv>";
    char in[1] = {static_cast<char>(c)};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1))
        return "<undefined>";
    return std::string(out, outp);
}

TEST(Cp1251, EveryByteMatchesTheSystemConverter)
{
    for (int b = 0x01; b <= 0xFF; ++b) {
        if (b == 0x98)
            continue;
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp1251ToUtf8(one), iconvCp1251ToUtf8(static_cast<unsigned char>(b)))
            << "byte 0x" << std::hex << b;
    }
}

TEST(Cp1251, UndefinedCodeMapsToU0098AndBack)
{
    EXPECT_EQ(cp1251ToUnicode(0x98), U'\u0098');
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xC2\x98");
    EXPECT_EQ(utf8ToCp1251("\xC2\x98"), "\x98");
}

TEST(Cp1251, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b <= 0xFF; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
}

TEST(Cp1251, UnmappableAndMalformedBecomeQuestionMarks)
{
    struct Case {
        const char* utf8;
        const char* cp1251;
    } cases[] = {
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xCF\xF0\xE8\xE2\xE5\xF2"},  // Привет
        {"\xE2\x82\xAC 5", "\x88 5"},      // euro sign
        {"\xE4\xB8\xAD", "?"},             // CJK: no 1251 byte
        {"\xF0\x9F\x98\x80!", "?!"},       // emoji
        {"a\xFFz", "a?z"},                 // invalid lead byte
        {"\xD0", "?"},                     // truncated at the end
        {"\xD0z", "?z"},                   // missing continuation
        {"\xC0\xAF", "??"},                // overlong '/'
        {"\xED\xA0\x80", "???"},           // surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
}

}  // namespace
}  // namespace veltrin
