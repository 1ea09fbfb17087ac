#include "gen_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "modem/gps_payload.h"
#include "platform/clock.h"
#include "platform/cp1251.h"

namespace veltrin::gen {

namespace {

enum class Kind { Text, Gps, Beacon, Ack };

// Everything one --message group can say; turned into a SignalPart at the end.
struct MessageSpec {
    bool touched = false;
    Kind kind = Kind::Text;
    int sender = 1;
    int recipient = 0;
    int number = 1;
    std::string text;
    bool textIsUtf8 = true;
    bool haveBodyHex = false;
    std::vector<std::uint8_t> bodyHex;
    int flags = -1;  // -1: by kind
    bool haveTime = false;
    long long fixTime = 0;
    double lat = 0.0, lon = 0.0;
    double gpsSpeedKmh = 0.0, gpsCourse = 0.0, gpsAccuracyM = 0.0;
    int gpsAltitude = -9999;
    int gpsQuality = 2;
    ModulatorSettings modulator;
    TransmissionFaults faults;
    std::vector<OutgoingBlock> rawBlocks;
};

bool parseDouble(const std::string& text, double lo, double hi, double& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseInt(const std::string& text, long long lo, long long hi, long long& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    // Decimal, or hexadecimal after "0x"; a leading zero is not octal.
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseHex(const std::string& text, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != ':')
            digits += c;
    if (digits.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        long long v = 0;
        if (!parseInt("0x" + digits.substr(i, 2), 0, 255, v))
            return false;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return true;
}

// "HEX" of 12 bytes, optionally followed by "/header", "/next", "/last" or
// "/a,b,c,d" (four sync nibbles); without a pattern the block is a next block.
bool parseBlock(const std::string& text, OutgoingBlock& block)
{
    const std::size_t slash = text.find('/');
    std::vector<std::uint8_t> bytes;
    if (!parseHex(text.substr(0, slash), bytes) || bytes.size() != kBlockBytes)
        return false;
    std::copy(bytes.begin(), bytes.end(), block.bytes);
    const std::string sync = slash == std::string::npos ? "next" : text.substr(slash + 1);
    const std::uint8_t* named = sync == "header" ? HeaderSync : sync == "next" ? NextSync : sync == "last" ? LastSync : nullptr;
    if (named) {
        std::copy(named, named + kBlockCodewords, block.sync);
        return true;
    }
    int n[4];
    int used = 0;
    if (std::sscanf(sync.c_str(), "%d,%d,%d,%d%n", &n[0], &n[1], &n[2], &n[3], &used) != 4 ||
        used != static_cast<int>(sync.size()))
        return false;
    for (int q = 0; q < kBlockCodewords; ++q) {
        if (n[q] < 0 || n[q] > 15)
            return false;
        block.sync[q] = static_cast<std::uint8_t>(n[q]);
    }
    return true;
}

// Seconds since 1970 UTC, or "YYYY-MM-DD[T ]HH:MM:SS[Z]" in UTC.
bool parseTime(const std::string& text, long long& out)
{
    if (parseInt(text, 0, 0xFFFFFFFFll, out))
        return true;
    std::time_t t = 0;
    if (!parseDateTime(text, true, t))
        return false;
    out = static_cast<long long>(t);
    return out >= 0 && out <= 0xFFFFFFFFll;
}

bool takesValue(const std::string& opt)
{
    static const char* const kValueOptions[] = {
        "-o", "--output", "--rate", "--real-rate", "--bits", "--channels", "--signal-channel", "--snr",
        "--amplitude", "--noise-seed", "--lead", "--gap", "--trail", "--type", "--from", "--to", "--number",
        "--text", "--encoding", "--body-hex", "--block", "--flags", "--ack", "--lat", "--lon", "--gps-time", "--gps-speed",
        "--gps-course", "--gps-alt", "--gps-accuracy", "--gps-quality", "--speed", "--centre", "--center",
        "--offset", "--tuning", "--plain", "--tail", "--drop-block", "--corrupt-symbol", "--corrupt-per-codeword",
        "--fault-seed"};
    for (const char* o : kValueOptions)
        if (opt == o)
            return true;
    return false;
}

std::string buildPart(const MessageSpec& spec, int index, SignalPart& part)
{
    const std::string where = "message " + std::to_string(index + 1) + ": ";
    OutgoingMessage& m = part.message;
    m.sender = static_cast<std::uint16_t>(spec.sender);
    m.recipient = static_cast<std::uint16_t>(spec.recipient);
    m.msgNumber = static_cast<std::uint8_t>(spec.number);
    const std::string text = spec.textIsUtf8 ? utf8ToCp1251(spec.text) : spec.text;
    std::vector<std::uint8_t> body(text.begin(), text.end());
    switch (spec.kind) {
    case Kind::Text:
        m.type = kMsgTypeText;
        m.flags = kMsgFlagsPlain;
        break;
    case Kind::Beacon:
        m.type = kMsgTypePosition;
        m.flags = kMsgFlagsPlain;
        break;
    case Kind::Ack:
        m.type = kMsgTypeAck;
        m.flags = kMsgFlagsPositiveAck;
        if (!body.empty())
            return where + "an acknowledgement carries no text";
        break;
    case Kind::Gps: {
        m.type = kMsgTypePosition;
        m.flags = kMsgFlagsGps;
        GpsPayload g;
        g.fixTime = static_cast<std::uint32_t>(spec.haveTime ? spec.fixTime : static_cast<long long>(clockNow()));
        g.latitude = static_cast<std::int32_t>(std::llround(spec.lat / kGpsDegreesPerUnit));
        g.longitude = static_cast<std::int32_t>(std::llround(spec.lon / kGpsDegreesPerUnit));
        g.speed = static_cast<std::uint16_t>(std::lround(spec.gpsSpeedKmh * 10.0));
        g.course = static_cast<std::uint16_t>(std::lround(spec.gpsCourse * 100.0));
        g.altitude = static_cast<std::int16_t>(spec.gpsAltitude);
        g.accuracy = static_cast<std::uint16_t>(std::lround(spec.gpsAccuracyM * 10.0));
        g.sealChecks();
        if (spec.gpsQuality < 2)
            g.motionCheck ^= 0xFFFF;
        if (spec.gpsQuality < 1)
            g.positionCheck ^= 0xFFFF;
        std::vector<std::uint8_t> payload(kGpsPayloadBytes);
        g.toBytes(payload.data());
        body.insert(body.begin(), payload.begin(), payload.end());
        break;
    }
    }
    if (spec.flags >= 0)
        m.flags = static_cast<std::uint8_t>(spec.flags);
    if (spec.haveBodyHex)
        body = spec.bodyHex;
    if (body.size() > static_cast<std::size_t>(kMaxMessageBody))
        return where + "body of " + std::to_string(body.size()) + " bytes, at most " +
               std::to_string(kMaxMessageBody) + " fit into one message";
    m.body = std::move(body);
    part.modulator = spec.modulator;
    part.faults = spec.faults;
    part.rawBlocks = spec.rawBlocks;
    return {};
}

}  // namespace

std::string parseCommandLine(int argc, const char* const argv[], GenRequest& request)
{
    std::vector<MessageSpec> specs(1);
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        std::string value;
        bool haveValue = false;
        if (const auto eq = opt.find('='); opt.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = opt.substr(eq + 1);
            opt = opt.substr(0, eq);
            haveValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (haveValue)
                return true;
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            haveValue = true;
            return true;
        };
        auto bad = [&](const char* what) { return "option " + opt + ": " + what; };
        auto noValue = [&] { return bad("needs a value"); };
        MessageSpec& spec = specs.back();
        long long n = 0;
        double x = 0.0;

        // Options without a value.
        if (opt == "-h" || opt == "--help") {
            request.help = true;
            return {};
        }
        const bool flagOption = opt == "--message" || opt == "--lsb" || opt == "--no-header" ||
                                opt == "--bad-header-crc" || opt == "--bad-body-crc" || opt == "--quiet";
        if (flagOption && haveValue)
            return bad("takes no value");
        if (opt == "--message") {
            if (spec.touched)
                specs.emplace_back();
            continue;
        }
        if (opt == "--quiet") {
            request.quiet = true;
            continue;
        }
        if (opt == "--lsb" || opt == "--no-header" || opt == "--bad-header-crc" || opt == "--bad-body-crc") {
            spec.touched = true;
            if (opt == "--lsb")
                spec.modulator.lsb = true;
            else if (opt == "--no-header")
                spec.faults.noHeader = true;
            else if (opt == "--bad-header-crc")
                spec.faults.wrongHeaderCrc = true;
            else
                spec.faults.wrongBodyCrc = true;
            continue;
        }
        if (opt.rfind("-", 0) != 0)
            return "unexpected argument " + opt;
        if (!takesValue(opt))
            return "unknown option " + opt;
        if (!takeValue())
            return noValue();

        // File and signal options.
        if (opt == "-o" || opt == "--output") {
            request.outputPath = value;
        } else if (opt == "--rate") {
            if (!parseInt(value, 0, 48000, n) || (n != 12000 && n != 24000 && n != 48000))
                return bad("must be 12000, 24000 or 48000");
            request.signal.nominalRate = static_cast<double>(n);
        } else if (opt == "--real-rate") {
            if (!parseDouble(value, 8000, 192000, x))
                return bad("must be a rate in Hz between 8000 and 192000");
            request.signal.realRate = x;
        } else if (opt == "--bits") {
            if (!parseInt(value, 8, 16, n) || (n != 8 && n != 16))
                return bad("must be 8 or 16");
            request.bits = static_cast<int>(n);
        } else if (opt == "--channels") {
            if (!parseInt(value, 1, 2, n))
                return bad("must be 1 or 2");
            request.channels = static_cast<int>(n);
        } else if (opt == "--signal-channel") {
            if (value == "both")
                request.signalChannel = SignalChannel::Both;
            else if (value == "left")
                request.signalChannel = SignalChannel::Left;
            else if (value == "right")
                request.signalChannel = SignalChannel::Right;
            else
                return bad("must be both, left or right");
        } else if (opt == "--snr") {
            if (!parseDouble(value, -60, 100, x))
                return bad("must be a number of dB between -60 and 100");
            request.signal.snrDb = x;
        } else if (opt == "--amplitude") {
            if (!parseDouble(value, 1, 32767, x))
                return bad("must be between 1 and 32767");
            request.signal.amplitude = x;
        } else if (opt == "--noise-seed") {
            if (!parseInt(value, 0, INT64_MAX, n))
                return bad("must be a non-negative integer");
            request.signal.noiseSeed = static_cast<std::uint64_t>(n);
        } else if (opt == "--lead" || opt == "--gap" || opt == "--trail") {
            if (!parseDouble(value, 0, 3600, x))
                return bad("must be seconds between 0 and 3600");
            (opt == "--lead" ? request.signal.leadS : opt == "--gap" ? request.signal.gapS : request.signal.trailS) = x;
        }
        // Message options.
        else {
            spec.touched = true;
            if (opt == "--type") {
                if (value == "text")
                    spec.kind = Kind::Text;
                else if (value == "gps")
                    spec.kind = Kind::Gps;
                else if (value == "beacon")
                    spec.kind = Kind::Beacon;
                else if (value == "ack")
                    spec.kind = Kind::Ack;
                else
                    return bad("must be text, gps, beacon or ack");
            } else if (opt == "--from" || opt == "--to") {
                if (!parseInt(value, 0, 65535, n))
                    return bad("must be a station number 0..65535");
                (opt == "--from" ? spec.sender : spec.recipient) = static_cast<int>(n);
            } else if (opt == "--number") {
                if (!parseInt(value, 0, 255, n))
                    return bad("must be 0..255");
                spec.number = static_cast<int>(n);
            } else if (opt == "--text") {
                spec.text = value;
            } else if (opt == "--encoding") {
                if (value != "utf8" && value != "cp1251")
                    return bad("must be utf8 or cp1251");
                spec.textIsUtf8 = value == "utf8";
            } else if (opt == "--body-hex") {
                if (!parseHex(value, spec.bodyHex))
                    return bad("must be pairs of hexadecimal digits");
                spec.haveBodyHex = true;
            } else if (opt == "--block") {
                OutgoingBlock block;
                if (!parseBlock(value, block))
                    return bad("must be 24 hexadecimal digits, optionally /header, /next, /last or /a,b,c,d");
                spec.rawBlocks.push_back(block);
            } else if (opt == "--flags") {
                if (!parseInt(value, 0, 255, n))
                    return bad("must be 0..255 (0x.. accepted)");
                spec.flags = static_cast<int>(n);
            } else if (opt == "--ack") {
                spec.kind = Kind::Ack;
                if (value == "positive")
                    spec.flags = kMsgFlagsPositiveAck;
                else if (value == "negative")
                    spec.flags = kMsgFlagsNegativeAck;
                else if (value == "invalid")
                    spec.flags = 0xA7;
                else
                    return bad("must be positive, negative or invalid");
            } else if (opt == "--lat") {
                if (!parseDouble(value, -90, 90, spec.lat))
                    return bad("must be degrees -90..90, north positive");
            } else if (opt == "--lon") {
                if (!parseDouble(value, -180, 180, spec.lon))
                    return bad("must be degrees -180..180, east positive");
            } else if (opt == "--gps-time") {
                if (!parseTime(value, spec.fixTime))
                    return bad("must be seconds since 1970 or YYYY-MM-DDTHH:MM:SSZ (UTC)");
                spec.haveTime = true;
            } else if (opt == "--gps-speed") {
                if (!parseDouble(value, 0, 6553.5, spec.gpsSpeedKmh))
                    return bad("must be km/h 0..6553.5");
            } else if (opt == "--gps-course") {
                if (!parseDouble(value, 0, 360, spec.gpsCourse))
                    return bad("must be degrees 0..360");
            } else if (opt == "--gps-alt") {
                if (!parseInt(value, -32768, 32767, n))
                    return bad("must be metres -32768..32767");
                spec.gpsAltitude = static_cast<int>(n);
            } else if (opt == "--gps-accuracy") {
                if (!parseDouble(value, 0, 6553.5, spec.gpsAccuracyM))
                    return bad("must be metres 0..6553.5");
            } else if (opt == "--gps-quality") {
                if (!parseInt(value, 0, 2, n))
                    return bad("must be 0, 1 or 2");
                spec.gpsQuality = static_cast<int>(n);
            } else if (opt == "--speed") {
                if (!parseInt(value, 1, 32, n) || !isValidSpeed(static_cast<int>(n)))
                    return bad("must be 1, 4, 16 or 32");
                spec.modulator.speed = static_cast<int>(n);
            } else if (opt == "--centre" || opt == "--center") {
                if (!parseDouble(value, 100, 5000, x))
                    return bad("must be Hz between 100 and 5000");
                spec.modulator.centreHz = x;
            } else if (opt == "--offset") {
                if (!parseDouble(value, -1000, 1000, spec.modulator.freqOffsetHz))
                    return bad("must be Hz between -1000 and 1000");
            } else if (opt == "--tuning" || opt == "--plain" || opt == "--tail") {
                if (!parseInt(value, 0, 1000, n))
                    return bad("must be a number of symbols 0..1000");
                (opt == "--tuning"  ? spec.modulator.tuningSymbols
                 : opt == "--plain" ? spec.modulator.plainSymbols
                                    : spec.modulator.tailSymbols) = static_cast<int>(n);
            } else if (opt == "--drop-block") {
                if (!parseInt(value, 1, 21, n))
                    return bad("must be a data block number 1..21");
                spec.faults.droppedBlocks.push_back(static_cast<int>(n - 1));
            } else if (opt == "--corrupt-symbol") {
                if (!parseInt(value, 0, 100000, n))
                    return bad("must be a symbol number from 0");
                spec.faults.corruptedSymbols.push_back(static_cast<int>(n));
            } else if (opt == "--corrupt-per-codeword") {
                if (!parseInt(value, 0, 15, n))
                    return bad("must be 0..15");
                spec.faults.corruptPerCodeword = static_cast<int>(n);
            } else if (opt == "--fault-seed") {
                if (!parseInt(value, 0, INT64_MAX, n))
                    return bad("must be a non-negative integer");
                spec.faults.seed = static_cast<std::uint64_t>(n);
            }
        }
    }
    if (request.outputPath.empty())
        return "no output file (-o FILE)";
    if (request.channels == 1 && request.signalChannel != SignalChannel::Both)
        return "--signal-channel needs --channels 2";
    if (specs.back().touched == false && specs.size() > 1)
        specs.pop_back();
    request.parts.clear();
    for (std::size_t k = 0; k < specs.size(); ++k) {
        SignalPart part;
        if (std::string error = buildPart(specs[k], static_cast<int>(k), part); !error.empty())
            return error;
        request.parts.push_back(std::move(part));
    }
    return {};
}

const char* usageText()
{
    return R"(Usage: veltrin-gen -o FILE.wav [file options] [message options]
                   [--message [message options]]...

Writes a WAV file with one or more IFSK16 transmissions, as a Corvane
station sends them, for testing a receiving station. Options before the
first --message describe the first message; each --message starts the
next one with default settings. Transmissions follow each other with a gap.

File and signal:
  -o, --output FILE      WAV file to write (required)
  --rate HZ              sample rate written into the file: 12000, 24000 or
                         48000 (default 48000)
  --real-rate HZ         rate the samples really represent, as from a sound
                         card whose clock is off (e.g. 48012); default --rate
  --bits 8|16            sample size (default 16)
  --channels 1|2         mono or stereo (default 1)
  --signal-channel both|left|right
                         stereo: which channel carries the signal; the other
                         stays silent (default both)
  --snr DB               add white Gaussian noise: SNR = tone power (A^2/2)
                         over the noise power in a 2500 Hz bandwidth
                         (default: no noise)
  --amplitude A          tone peak in 16-bit units (default 8000; with --snr
                         lowered so that the noise sigma stays at most 4000)
  --noise-seed N         noise seed (default 1)
  --lead S, --gap S, --trail S
                         seconds of silence (noise only with --snr) before,
                         between and after the transmissions
                         (defaults 0.37, 1.0, 0.5)
  --quiet                print nothing on success

Message (each --message group):
  --type text|gps|beacon|ack
                         text: type 5; gps: type 6 with a position (flags
                         0xA4); beacon: type 6 (flags 0xA0); ack: type 12,
                         header only (default text)
  --from N, --to N       sender and recipient station numbers 0..65535
                         (defaults 1 and 0)
  --number N             message number 0..255 (default 1)
  --text STRING          message text (after the position for gps)
  --encoding utf8|cp1251 how --text is given: utf8 is converted to
                         Windows-1251 (Cyrillic), cp1251 bytes are sent as
                         they are (default utf8)
  --body-hex HEX         the whole body as hexadecimal bytes instead
  --block HEX[/SYNC]     send this 12-byte block (24 hex digits) as it is,
                         with the sync pattern header, next, last or four
                         nibbles a,b,c,d (default next); repeatable. A group
                         with blocks sends only these, without a header of
                         its own and without the faults below
  --flags N              header flags byte instead of the type's own
  --ack positive|negative|invalid
                         an acknowledgement with flags 0xA5, 0xAA or 0xA7
  --lat DEG, --lon DEG   position, north and east positive (default 0, 0)
  --gps-time T           fix time: seconds since 1970 or YYYY-MM-DDTHH:MM:SSZ
                         (default: now)
  --gps-speed KMH, --gps-course DEG, --gps-alt M, --gps-accuracy M
                         motion fields (defaults 0, 0, -9999 = unknown, 0)
  --gps-quality 0|1|2    2: both checks right; 1: motion check wrong;
                         0: position check wrong too (default 2)

Keying (each --message group):
  --speed 1|4|16|32      1.46, 5.86, 23.44 or 46.88 Bd (default 32)
  --centre HZ            centre of the 18 tones (default 1700 for speeds 1
                         and 4, 1710.9375 for 16 and 32, where receivers
                         listen)
  --offset HZ            mistuning added to every tone (default 0)
  --lsb                  tones step downwards (a receiver on LSB)
  --tuning N             tuning-pattern symbols before the data (default 8)
  --plain N              plain symbols after the tuning pattern (default 2)
  --tail N               symbols after the last block (default 5)

Faults (each --message group):
  --no-header            send the data blocks only
  --drop-block K         data block K (1 = first) is sent as random symbols;
                         repeatable
  --corrupt-symbol I     change symbol I, counted from the first block
                         symbol (0 = first header symbol); repeatable
  --corrupt-per-codeword N
                         change N symbols of every codeword (up to 4 are
                         corrected)
  --bad-header-crc       damage the header CRC (the header is refused)
  --bad-body-crc         announce a wrong body CRC
  --fault-seed N         seed of dropped blocks and corrupted symbols

Exit status: 0 written, 64 bad usage, 73 the file could not be written.
)";
}

}  // namespace veltrin::gen
