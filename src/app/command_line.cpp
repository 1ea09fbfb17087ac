#include "app/command_line.h"

#include <cmath>

#include "config/settings.h"

namespace veltrin {

std::vector<std::string> splitCommandLineOptions(const std::string& commandLine)
{
    std::vector<std::string> options;
    std::size_t slash = commandLine.find('/');
    while (slash != std::string::npos) {
        std::size_t next = commandLine.find('/', slash + 1);
        std::size_t end = next == std::string::npos ? commandLine.size() : next;
        std::size_t length = end - slash - 1;
        if (length > kMaxOptionLength)
            length = kMaxOptionLength;
        options.push_back(commandLine.substr(slash + 1, length));
        slash = next;
    }
    return options;
}

namespace {

// "S 48012.5" or "S\"48000\"" -> the number after the letter.
double samplingRateOption(std::string option)
{
    option[0] = ' ';
    std::string cleaned;
    for (char c : option)
        if (c != '"')
            cleaned += c;
    std::size_t b = cleaned.find_first_not_of(' ');
    std::size_t e = cleaned.find_last_not_of(' ');
    cleaned = b == std::string::npos ? std::string() : cleaned.substr(b, e - b + 1);
    return parseDecimal(cleaned);
}

}  // namespace

bool applyCommandLine(const std::string& commandLine, Settings& settings)
{
    bool set = false;
    for (const std::string& option : splitCommandLineOptions(commandLine)) {
        if (option.empty() || (option[0] != 'S' && option[0] != 's'))
            continue;
        double rate = samplingRateOption(option);
        // A rate the resampler cannot work with would silence the receiver
        // for the whole run; keep the configured one instead.
        if (!plausibleSamplingRate(rate))
            continue;
        settings.SamplingFreq = rate;
        settings.decimatedRate = rate * 0.25;
        set = true;
    }
    return set;
}

std::string joinArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace veltrin
