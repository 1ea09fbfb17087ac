#pragma once
// Minimal reading of PCM WAV files for tests: enough to compare samples.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace veltrin::test {

struct WavData {
    int rate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;  // interleaved, 8-bit data widened to 16 bits
    bool ok = false;
};

inline WavData readWav(const std::string& path)
{
    WavData w;
    std::ifstream f(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    auto u32 = [&](std::size_t p) { return b[p] | (b[p + 1] << 8) | (b[p + 2] << 16) | (std::uint32_t(b[p + 3]) << 24); };
    auto u16 = [&](std::size_t p) { return static_cast<int>(b[p] | (b[p + 1] << 8)); };
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return w;
    for (std::size_t p = 12; p + 8 <= b.size();) {
        const std::uint32_t size = u32(p + 4);
        const std::size_t body = p + 8;
        if (body + size > b.size())
            return w;
        if (std::memcmp(b.data() + p, "fmt ", 4) == 0 && size >= 16) {
            w.channels = u16(body + 2);
            w.rate = static_cast<int>(u32(body + 4));
            w.bits = u16(body + 14);
        } else if (std::memcmp(b.data() + p, "data", 4) == 0) {
            if (w.bits == 16) {
                for (std::size_t i = 0; i + 1 < size; i += 2)
                    w.samples.push_back(static_cast<std::int16_t>(u16(body + i)));
            } else if (w.bits == 8) {
                for (std::size_t i = 0; i < size; ++i)
                    w.samples.push_back(static_cast<std::int16_t>((b[body + i] - 128) * 256));
            }
            w.ok = w.rate > 0 && w.channels > 0;
        }
        p = body + size + (size & 1);
    }
    return w;
}

inline std::vector<std::uint8_t> fromHex(const std::string& hex)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace veltrin::test
