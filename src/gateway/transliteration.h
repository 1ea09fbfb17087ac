#pragma once
// Windows-1251 text reduced to printable ASCII for APRS packets: Cyrillic
// letters become Latin ones, everything else unprintable becomes ".".
#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrin {

// Writes the 1 to 3 character replacement of c and a terminating NUL into
// out; returns the replacement's length.
int transliterateChar(unsigned char c, char out[4]);

// The replacements of text[0..length) for as long as their total stays
// within limit characters; a multi-letter replacement is never split.
std::string transliterate(const std::uint8_t* text, std::size_t length, std::size_t limit);
std::string transliterate(const std::string& text, std::size_t limit);

}  // namespace veltrin
