// veltrin-decode: decodes WAV recordings with the station's own reader,
// sample chain and decoders, as fast as the machine allows.
#include <cstdio>
#include <string>
#include <unistd.h>

#include "config/settings.h"
#include "audio/recording_decoder.h"
#include "platform/working_directory.h"
#include "decode_options.h"
#include "message_outlet.h"

namespace {

constexpr int kExitRefused = 2;
constexpr int kExitUsage = 64;
constexpr int kExitCantCreate = 73;

// "FILE  42%" on standard error while a file is decoded, when someone is
// watching it.
class ProgressLine {
public:
    ProgressLine() : enabled_(isatty(STDERR_FILENO) == 1) {}

    void show(const std::string& file, double fraction)
    {
        if (!enabled_)
            return;
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == shownPercent_)
            return;
        shownPercent_ = percent;
        std::fprintf(stderr, "\r\033[K%s %3d%%", file.c_str(), percent);
        std::fflush(stderr);
        visible_ = true;
    }
    void clear()
    {
        if (visible_) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
        }
        visible_ = false;
        shownPercent_ = -1;
    }

private:
    bool enabled_;
    bool visible_ = false;
    int shownPercent_ = -1;
};

}  // namespace

int main(int argc, char** argv)
{
    using namespace veltrin;
    decode::DecodeOptions options;
    const std::string error = decode::parseDecodeOptions(argc, argv, options);
    if (options.help) {
        std::fputs(decode::usageText(), stdout);
        return 0;
    }
    if (!error.empty()) {
        std::fprintf(stderr, "veltrin-decode: %s\nTry 'veltrin-decode --help'.\n", error.c_str());
        return kExitUsage;
    }

    // --store changes the working directory; the files stay where they are.
    std::vector<std::string> paths;
    for (const std::string& file : options.files)
        paths.push_back(absolutePath(file));

    Settings settings;
    decode::MessageOutlet outlet(stdout, options.json);
    const std::string prepared = outlet.prepare(options, settings);
    if (!prepared.empty()) {
        std::fprintf(stderr, "veltrin-decode: %s\n", prepared.c_str());
        return kExitCantCreate;
    }
    ProgressLine progress;
    outlet.printer().setBeforePrint([&progress] { progress.clear(); });

    RecordingDecoder decoder(settings);
    decoder.setOutlets(outlet.sink(), outlet.rx());
    int status = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& shown = options.files[i];
        outlet.beginFile(shown);
        FileDecodeHooks hooks;
        hooks.progress = [&](const FileDecodeProgress& p) {
            outlet.audioPosition(p.samplesFed);
            progress.show(shown, p.fraction);
        };
        const FileDecodeResult result = decoder.decode(paths[i], hooks);
        progress.clear();
        outlet.endFile();
        if (*fileDecodeMessage(result) != '\0') {
            std::fprintf(stderr, "veltrin-decode: %s: %s\n", shown.c_str(), fileDecodeMessage(result));
            status = kExitRefused;
        }
    }
    return status;
}
