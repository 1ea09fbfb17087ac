#pragma once
// Builds NMEA sentences with their checksum for the GPS tests.
#include <cstdio>
#include <string>

namespace veltrin::test {

// "$" + body + "*HH\r\n" with the right checksum.
inline std::string nmea(const std::string& body, const char* lineEnd = "\r\n")
{
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail + lineEnd;
}

}  // namespace veltrin::test
