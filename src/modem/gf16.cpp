#include "modem/gf16.h"

#include <array>

namespace veltrin::gf16 {

namespace {
struct Tables {
    std::array<std::uint8_t, 15> exp{};
    std::array<int, 16> log{};
    constexpr Tables()
    {
        unsigned v = 1;
        log[0] = -1;
        for (int i = 0; i < 15; ++i) {
            exp[i] = static_cast<std::uint8_t>(v);
            log[v] = i;
            v <<= 1;
            if (v & 0x10)
                v ^= 0x13;  // x^4 + x + 1
        }
    }
};
constexpr Tables kTables;
static_assert(kTables.exp[4] == 3 && kTables.exp[14] == 9);
}  // namespace

std::uint8_t exp(int i)
{
    i %= 15;
    if (i < 0)
        i += 15;
    return kTables.exp[i];
}

int log(std::uint8_t a) { return kTables.log[a & 0x0F]; }

std::uint8_t mul(std::uint8_t a, std::uint8_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return kTables.exp[(kTables.log[a & 0x0F] + kTables.log[b & 0x0F]) % 15];
}

std::uint8_t div(std::uint8_t a, std::uint8_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return kTables.exp[(kTables.log[a & 0x0F] - kTables.log[b & 0x0F] + 15) % 15];
}

}  // namespace veltrin::gf16
