#pragma once
// Test helpers: a temporary folder, WAV files made by sox or byte by byte,
// and the samples a fresh pair of decimators makes of a 48/24 kHz signal.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/decimators.h"

namespace veltrin::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "veltrin-wav-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (std::filesystem::path(path_) / name).string(); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline std::uint32_t le32At(const std::vector<std::uint8_t>& b, std::size_t p)
{
    return b[p] | b[p + 1] << 8 | b[p + 2] << 16 | static_cast<std::uint32_t>(b[p + 3]) << 24;
}

inline void put16(std::vector<std::uint8_t>& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, static_cast<std::uint16_t>(v));
    put16(b, static_cast<std::uint16_t>(v >> 16));
}

inline void putId(std::vector<std::uint8_t>& b, const char* id)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(id[i]));
}

inline std::vector<std::uint8_t> int16Bytes(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> b;
    for (std::int16_t s : samples)
        put16(b, static_cast<std::uint16_t>(s));
    return b;
}

// sox converts raw signed 16-bit (or unsigned 8-bit) samples into a WAV
// file; extra carries output options such as "-b 8" or "-e floating-point".
inline bool soxFromRaw(const std::string& rawPath, const std::string& input, const std::string& wavPath,
                       const std::string& extra = "")
{
    const std::string cmd = "sox -q -t raw " + input + " '" + rawPath + "' " + extra + " '" + wavPath + "'";
    return std::system(cmd.c_str()) == 0;
}

inline bool soxWav16(const TempDir& dir, const std::vector<std::int16_t>& interleaved, int rate, int channels,
                     const std::string& wavPath, const std::string& extra = "")
{
    const std::string raw = dir.file("in.raw");
    writeBytes(raw, int16Bytes(interleaved));
    return soxFromRaw(raw,
                      "-r " + std::to_string(rate) + " -e signed -b 16 -c " + std::to_string(channels), wavPath,
                      extra);
}

// The same arithmetic as the live chain, on fresh filter instances.
inline std::vector<std::int16_t> decimateLikeChain(const std::vector<std::int16_t>& in, int rate)
{
    std::vector<std::int16_t> out;
    Decimator2Ex first;
    first.Setup(57, kDecimator57Taps);
    Decimator2 second;
    if (rate == 24000) {
        for (std::size_t i = 0; i + 1 < in.size(); i += 2) {
            const double y = second.Filter(in[i]);
            second.Filter(in[i + 1]);
            out.push_back(roundToSample(y));
        }
    } else {
        for (std::size_t i = 0; i + 3 < in.size(); i += 4) {
            const double a = first.Filter(in[i]);
            first.Filter(in[i + 1]);
            const double b = first.Filter(in[i + 2]);
            first.Filter(in[i + 3]);
            const double y = second.Filter(a);
            second.Filter(b);
            out.push_back(roundToSample(y));
        }
    }
    return out;
}

// A noisy test signal that exercises the filters (tone + pseudo-random).
inline std::vector<std::int16_t> testSamples(std::size_t count, std::uint32_t seed = 1)
{
    std::vector<std::int16_t> s(count);
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < count; ++i) {
        x = x * 1664525u + 1013904223u;
        const int noise = static_cast<int>(x >> 20) - 2048;
        s[i] = static_cast<std::int16_t>(((i / 7) % 2 ? 9000 : -9000) + noise * 4);
    }
    return s;
}

}  // namespace veltrin::test
