#pragma once
// Command line of veltrin-decode.
#include <ctime>
#include <string>
#include <vector>

#include "audio/recording_decoder.h"

namespace veltrin::decode {

struct DecodeOptions {
    RecordingOptions recording;
    bool json = false;
    bool help = false;
    // Full dispatch into message files under storeDir/VeltrinData.
    std::string storeDir;
    bool utc = false;
    // --start-time: the clock starts here and runs with the audio.
    bool hasStartTime = false;
    std::time_t startTime = 0;
    std::vector<std::string> files;
};

// Parses argv[1..argc-1]. Returns an empty string on success, else the
// reason the command line is not usable.
std::string parseDecodeOptions(int argc, const char* const argv[], DecodeOptions& options);

const char* usageText();

}  // namespace veltrin::decode
