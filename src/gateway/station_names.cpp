#include "gateway/station_names.h"

namespace veltrin {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpperOrDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'Z'); }

constexpr std::size_t kMinNameChars = 6;  // the shortest call sign with SSID: N0C-10
constexpr std::size_t kSsidChars = 2;

// Whether the real name reads CALL-SS with a valid call sign.
bool isCallsignWithSsid(std::string_view name)
{
    const std::size_t dash = name.size() - kSsidChars - 1;
    if (name[dash] != '-' || !isUpperOrDigit(name[dash + 1]) || !isUpperOrDigit(name[dash + 2]))
        return false;
    for (std::size_t i = 0; i < dash; ++i)
        if (!isUpperOrDigit(name[i]))
            return false;
    return isValidCallsign(name.substr(0, dash)) == 0;
}

}  // namespace

int isValidCallsign(std::string_view text)
{
    if (text.size() < 3 || text.size() > 6)
        return -1;
    std::string shape;
    int digits = 0, letters = 0;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < '0')
            return -2;
        if (c > 'Z')
            return -3;
        if (c > '9' && c < 'A')
            return -4;
        if (isDigit(c)) {
            shape.push_back('0');
            ++digits;
        } else {
            shape.push_back('K');
            ++letters;
        }
    }
    if (text.size() == 3)
        return shape == "K0K" ? 0 : 3;
    if (shape.back() == '0')
        return 4;
    if (digits == 1 && shape.front() == '0')
        return 5;
    if (digits == 0 || letters < 2)
        return 6;
    return 0;
}

int parseStationName(std::string_view text, char delimiter, std::string& name, std::size_t* textStart)
{
    name.assign(kStationNameChars, ' ');
    const auto at = [&text](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    if (at(0) != '#')
        return -1;
    if (at(1) != delimiter)
        return -2;
    std::size_t length = 0;
    for (;; ++length) {
        const unsigned char c = static_cast<unsigned char>(at(2 + length));
        if (c == static_cast<unsigned char>(delimiter))
            break;
        if (c < 32)
            return -3;
        if (c > 126)
            return -4;
        if (c == '|')
            return -5;
        if (c == '~')
            return -6;
        if (length == kStationNameChars)
            return -7;
        name[length] = static_cast<char>(c);
    }
    if (length < kMinNameChars)
        return -8;
    if (textStart)
        *textStart = 2 + length + 1;
    if (!isCallsignWithSsid(std::string_view(name).substr(0, length)))
        return 1;
    name.resize(length);
    return 2;
}

}  // namespace veltrin
