// Station names and transliteration on arbitrary received text: the name
// field and the packet text must stay printable ASCII of their fixed sizes.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.h"
#include "gateway/station_names.h"
#include "gateway/transliteration.h"

using namespace veltrin;

namespace {

bool printableAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 32 || c > 126)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t limit = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    isValidCallsign(text);
    for (char delimiter : {';', ':'}) {
        std::string name;
        std::size_t textStart = 0;
        const int result = parseStationName(text, delimiter, name, &textStart);
        if (result == 1 || result == 2) {
            VELTRIN_FUZZ_CHECK(textStart <= text.size());
            VELTRIN_FUZZ_CHECK(name.size() <= kStationNameChars);
            VELTRIN_FUZZ_CHECK(printableAscii(name));
        }
    }

    const std::string out = transliterate(data + 1, size - 1, limit);
    VELTRIN_FUZZ_CHECK(out.size() <= limit);
    VELTRIN_FUZZ_CHECK(printableAscii(out));
    for (std::size_t i = 1; i < size; ++i) {
        char one[4] = {'x', 'x', 'x', 'x'};
        const int n = transliterateChar(data[i], one);
        VELTRIN_FUZZ_CHECK(n >= 1 && n <= 3 && one[n] == '\0');
    }
    return 0;
}
