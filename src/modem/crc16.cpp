#include "modem/crc16.h"

#include <array>

namespace veltrin {

namespace {
constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int b = 0; b < 8; ++b)
            r = (r & 1) ? (r >> 1) ^ 0x8408u : r >> 1;
        t[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}
constexpr auto kTable = makeTable();
static_assert(kTable[1] == 0x1189 && kTable[128] == 0x8408);
}  // namespace

std::uint16_t Crc16Step(std::uint8_t byte, std::uint16_t reg)
{
    return static_cast<std::uint16_t>((reg >> 8) ^ kTable[(reg ^ byte) & 0xFF]);
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t count)
{
    std::uint16_t reg = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i)
        reg = Crc16Step(data[i], reg);
    return reg;
}

}  // namespace veltrin
