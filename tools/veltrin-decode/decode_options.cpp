#include "decode_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/settings.h"
#include "modem/ifsk16_decoder.h"
#include "platform/clock.h"

namespace veltrin::decode {

namespace {

bool parseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

// "1,16" -> enabled speeds cleared for 1 and 16.
bool parseDisabled(const std::string& list, std::array<bool, 4>& enabled)
{
    std::size_t at = 0;
    while (at <= list.size()) {
        const std::size_t comma = list.find(',', at);
        const std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        bool known = false;
        for (int i = 0; i < 4; ++i) {
            if (item == std::to_string(kDecoderSpeeds[i])) {
                enabled[static_cast<std::size_t>(i)] = false;
                known = true;
            }
        }
        if (!known)
            return false;
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return true;
}

}  // namespace

std::string parseDecodeOptions(int argc, const char* const argv[], DecodeOptions& options)
{
    std::string startTimeText;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        if (optionsEnded || opt.empty() || opt[0] != '-' || opt == "-") {
            options.files.push_back(opt);
            continue;
        }
        if (opt == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            hasInlineValue = true;
        }
        if (opt == "-h" || opt == "--help") {
            options.help = true;
            continue;
        }
        if (opt == "--json" || opt == "--lsb" || opt == "--utc" || opt == "--enhanced") {
            if (hasInlineValue)
                return opt + " takes no value";
            (opt == "--json"       ? options.json
             : opt == "--lsb"      ? options.recording.inverse
             : opt == "--enhanced" ? options.recording.enhanced
                                   : options.utc) = true;
            continue;
        }
        const bool takesValue = opt == "--sampling-freq" || opt == "--centre" || opt == "--center" ||
                                opt == "--disable" || opt == "--store" || opt == "--start-time";
        if (!takesValue)
            return "unknown option " + opt;
        if (!hasInlineValue) {
            if (i + 1 >= argc)
                return opt + " needs a value";
            value = argv[++i];
        }
        double x = 0.0;
        if (opt == "--sampling-freq") {
            if (!parseNumber(value, x) || !plausibleSamplingRate(x))
                return "--sampling-freq needs a rate from 40000 to 400000 Hz";
            options.recording.samplingFreq = x;
        } else if (opt == "--centre" || opt == "--center") {
            if (!parseNumber(value, x) || x <= 0.0 || x >= 6000.0)
                return "--centre needs a frequency between 0 and 6000 Hz";
            options.recording.centreHz = x;
        } else if (opt == "--disable") {
            if (!parseDisabled(value, options.recording.enabled))
                return "--disable takes a comma list of the speeds 1, 4, 16 and 32";
        } else if (opt == "--store") {
            if (value.empty())
                return "--store needs a folder";
            options.storeDir = value;
        } else {
            startTimeText = value;
            options.hasStartTime = true;
        }
    }
    if (options.hasStartTime && !parseDateTime(startTimeText, options.utc, options.startTime))
        return "--start-time needs \"YYYY-MM-DD hh:mm:ss\"";
    if (!options.help && options.files.empty())
        return "no file to decode";
    return {};
}

const char* usageText()
{
    return R"(Usage: veltrin-decode [options] FILE.wav...

Decodes WAV recordings of a receiver's audio with the station's four IFSK16
decoders (1.46, 5.86, 23.44 and 46.88 Bd), as fast as the machine allows,
and prints one line per finished message. Files of 8- or 16-bit PCM at
12000, 24000 or 48000 Hz are read; of several channels the first one.
Every file starts with freshly set-up decoders.

Options:
  --sampling-freq HZ   calibrated rate of the sound card that made the
                       recording (default 48000.0)
  --centre HZ          centre frequency of the 1.46 and 5.86 Bd decoders
                       (default 1700); the faster ones listen at 1710.9375
  --lsb                tones step downwards (inverse manipulation)
  --enhanced           the enhanced decoding: hears signals a few dB weaker
  --disable SPEEDS     comma list of speeds not to decode: 1,4,16,32
  --json               one JSON object per message instead of text
  --store DIR          also store the messages as the station does, in
                       DIR/VeltrinData (with the raw log); time marks and
                       comment follow DIR/VELTRIN.INI when present
  --start-time "YYYY-MM-DD hh:mm:ss"
                       with --store: the time the recording began; the
                       clock runs with the audio (default: the system clock)
  --utc                with --store: times in UTC (also for --start-time)
  -h, --help           this text

JSON keys: file, speed, type, flags, recipient, sender, msgNumber, length,
bodyCrc, body (hex of the first length bytes), correctedErrors, symbolCount,
faultCount, crcOk (no fault and the body CRC matches), and by message type:
  text                 text messages (type 5), beacons (type 6) and messages
                       whose header was lost (type 0): the text as the
                       message file holds it, from Windows-1251 to UTF-8; a
                       0 byte and a byte never received both read U+2022
  position             GPS messages (type 6, flag 0x04): an object of
    time               fix time in UTC, "YYYY-MM-DDThh:mm:ssZ"
    latitude, longitude
                       degrees, north and east positive
    speed              km/h
    course             degrees
    altitude           metres, null when the sender did not know it
    accuracy           metres
    positionCrcOk      the CRC of fix time, latitude and longitude matches
    motionCrcOk        the CRC of speed, course, altitude and accuracy
                       matches
                       time, latitude and longitude are there only when the
                       position CRC matches and the fix time is not 0; the
                       four motion keys only when the motion CRC matches too

Exit status: 0 when every file was read, 2 when a file was refused, 64 for
a bad command line, 73 when the --store folder cannot be used.
)";
}

}  // namespace veltrin::decode
