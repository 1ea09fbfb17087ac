#pragma once
// Windows-1251, the 8-bit text of every message, file and setting, and its
// conversion to and from Unicode at the window and KML boundaries.
#include <string>
#include <string_view>

namespace veltrin {

// The Unicode character of one Windows-1251 byte. The one undefined code,
// 0x98, maps to U+0098 so that every byte survives a round trip.
char32_t cp1251ToUnicode(unsigned char c);

// The Windows-1251 byte of a Unicode character, or -1 when it has none.
int unicodeToCp1251(char32_t u);

// Appends the UTF-8 encoding of u (at most U+10FFFF) to out.
void appendUtf8(std::string& out, char32_t u);

std::string cp1251ToUtf8(std::string_view text);
// Characters without a Windows-1251 byte, and malformed UTF-8, become '?'.
std::string utf8ToCp1251(std::string_view text);

}  // namespace veltrin
