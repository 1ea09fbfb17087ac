#pragma once
// Command line of veltrin-gen: which messages to send and how the signal and
// the file look.
#include <string>
#include <vector>

#include "modem/test_signal.h"

namespace veltrin::gen {

enum class SignalChannel { Both, Left, Right };

struct GenRequest {
    std::string outputPath;
    int bits = 16;
    int channels = 1;
    SignalChannel signalChannel = SignalChannel::Both;  // stereo only
    TestSignalSettings signal;
    std::vector<SignalPart> parts;
    bool quiet = false;
    bool help = false;
};

// Parses argv[1..argc-1]. Returns an empty string on success, else the
// reason the command line is not usable.
std::string parseCommandLine(int argc, const char* const argv[], GenRequest& request);

// The --help text.
const char* usageText();

}  // namespace veltrin::gen
