#pragma once
// Sound cards without hardware: an ALSA configuration written by the test,
// with capture devices of ALSA's file plugin (slave "null", output to
// /dev/null) that record what a raw file holds, and audio for them made by
// the project's transmitter. Such a device is not paced in real time and
// returns stale data after the end of its file, so files are made longer
// than a test reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "headless/child_process.h"

namespace veltrin::test {

struct AlsaTestPcm {
    std::string name;         // "default" makes it ALSA's default device
    std::string infile;       // raw 16-bit samples as the device records them
    std::string description;  // the hint the device list shows
};

inline std::string alsaConfigText(const std::vector<AlsaTestPcm>& pcms)
{
    std::string text;
    for (const AlsaTestPcm& p : pcms) {
        text += "pcm." + p.name + " {\n  type file\n  slave.pcm { type null }\n  file \"/dev/null\"\n";
        text += "  infile \"" + p.infile + "\"\n  format \"raw\"\n";
        text += "  hint { show on description \"" + p.description + "\" }\n}\n";
    }
    return text;
}

// ALSA_CONFIG_PATH names a configuration of these devices (none: no sound
// device at all) for as long as it lives. ALSA reads its configuration
// again when that path changes, so every configuration gets a new file.
class ScopedAlsaConfig {
public:
    ScopedAlsaConfig(const std::filesystem::path& dir, const std::vector<AlsaTestPcm>& pcms)
    {
        static int serial = 0;
        path_ = dir / ("asound-" + std::to_string(++serial) + ".conf");
        std::ofstream(path_) << alsaConfigText(pcms);
        if (const char* old = std::getenv("ALSA_CONFIG_PATH"))
            saved_ = old;
        ::setenv("ALSA_CONFIG_PATH", path_.c_str(), 1);
    }
    ~ScopedAlsaConfig()
    {
        if (saved_)
            ::setenv("ALSA_CONFIG_PATH", saved_->c_str(), 1);
        else
            ::unsetenv("ALSA_CONFIG_PATH");
    }
    ScopedAlsaConfig(const ScopedAlsaConfig&) = delete;
    ScopedAlsaConfig& operator=(const ScopedAlsaConfig&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::optional<std::string> saved_;
};

// The samples of a veltrin-gen recording (16-bit, 48000 Hz) written raw
// to `raw`, followed by silence up to `seconds`. Returns the seconds the
// transmission itself takes; 0 when veltrin-gen failed.
inline double writeRawTransmission(const std::filesystem::path& raw, std::vector<std::string> genArgs,
                                   int channels, double seconds)
{
    const std::string wav = raw.string() + ".wav";
    std::vector<std::string> args = {std::string(VELTRIN_BIN_DIR) + "/veltrin-gen", "-o", wav, "--quiet",
                                     "--channels", std::to_string(channels)};
    args.insert(args.end(), genArgs.begin(), genArgs.end());
    ChildProcess gen(args, raw.string() + ".out", raw.string() + ".err");
    if (gen.wait(std::chrono::seconds(60)) != 0)
        return 0;
    std::string bytes = ChildProcess::slurp(wav);
    if (bytes.size() < 44 || bytes.compare(36, 4, "data") != 0)
        return 0;
    bytes.erase(0, 44);
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(channels);
    const double transmission = static_cast<double>(bytes.size() / frameBytes) / 48000.0;
    const auto total = static_cast<std::size_t>(seconds * 48000.0) * frameBytes;
    if (bytes.size() < total)
        bytes.resize(total, '\0');
    std::ofstream(raw, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return transmission;
}

// Message files of text messages stored under a data folder.
inline int storedTextMessages(const std::filesystem::path& dataFolder)
{
    int n = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dataFolder, ec))
        n += e.is_regular_file() && e.path().parent_path().filename() == "MESSAGES.TXT";
    return n;
}

}  // namespace veltrin::test
