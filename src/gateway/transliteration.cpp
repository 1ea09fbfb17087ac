#include "gateway/transliteration.h"

#include <cctype>
#include <cstring>

namespace veltrin {

namespace {

constexpr unsigned char kUpperA = 192;  // first capital letter; the small ones follow at 224
constexpr unsigned char kSmallA = 224;
constexpr unsigned char kCapitalYo = 168;
constexpr unsigned char kSmallYo = 184;

// А..Я in code order; the small letters use the same replacements in lower case.
constexpr const char* kCapitals[32] = {
    "A", "B", "V",  "G",  "D",  "E",  "Zh",  "Z", "I", "Y", "K", "L",  "M",  "N",  "O",  "P",
    "R", "S", "T",  "U",  "F",  "Kh", "Ts",  "Ch", "Sh", "Sch", "'", "Y", "'", "E", "Yu", "Ya",
};

}  // namespace

int transliterateChar(unsigned char c, char out[4])
{
    if (c >= 32 && c <= 125 && c != '|') {
        out[0] = static_cast<char>(c);
        out[1] = '\0';
        return 1;
    }
    const char* replacement = ".";
    bool small = false;
    if (c == kCapitalYo) {
        replacement = "E";
    } else if (c == kSmallYo) {
        replacement = "e";
    } else if (c >= kSmallA) {
        replacement = kCapitals[c - kSmallA];
        small = true;
    } else if (c >= kUpperA) {
        replacement = kCapitals[c - kUpperA];
    }
    const int n = static_cast<int>(std::strlen(replacement));
    for (int i = 0; i < n; ++i)
        out[i] = small ? static_cast<char>(std::tolower(static_cast<unsigned char>(replacement[i])))
                       : replacement[i];
    out[n] = '\0';
    return n;
}

std::string transliterate(const std::uint8_t* text, std::size_t length, std::size_t limit)
{
    std::string out;
    char piece[4];
    for (std::size_t i = 0; i < length; ++i) {
        const int n = transliterateChar(text[i], piece);
        if (out.size() + static_cast<std::size_t>(n) > limit)
            break;
        out.append(piece, static_cast<std::size_t>(n));
    }
    return out;
}

std::string transliterate(const std::string& text, std::size_t limit)
{
    return transliterate(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), limit);
}

}  // namespace veltrin
