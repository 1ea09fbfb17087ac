#pragma once
// Shared pieces of the fuzz targets: the parsers under test read real files,
// so an input is written to a scratch file of this process first; findings
// that are not crashes stop the run through trap().
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace veltrin::fuzz {

// A per-process scratch folder under TMPDIR; each target reuses one file in
// it, and scripts/fuzz.sh removes the folders after a run.
inline const std::string& scratchDir()
{
    static const std::string dir = [] {
        const char* base = std::getenv("TMPDIR");
        std::string d = std::string(base && *base ? base : "/tmp") + "/veltrin-fuzz-" + std::to_string(::getpid());
        std::error_code ec;
        std::filesystem::create_directories(d, ec);
        if (ec)
            std::abort();
        return d;
    }();
    return dir;
}

// Writes the input to scratchDir()/name and returns the path.
inline std::string writeScratch(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = scratchDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

// A property of the code under test does not hold: report it as a crash.
#define VELTRIN_FUZZ_CHECK(condition)                                                     \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                       \
            __builtin_trap();                                                             \
        }                                                                                 \
    } while (0)

}  // namespace veltrin::fuzz
