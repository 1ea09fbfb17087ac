#include "app/setup_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "config/settings.h"
#include "keying/keying_controls.h"
#include "keying/keying_port.h"
#include "platform/com_ports.h"
#include "platform/text_util.h"

namespace veltrin {

namespace {

std::string trimmed(const std::string& s) { return std::string(trimBlanks(s)); }

std::string rateText(double rate)
{
    char text[64];
    std::snprintf(text, sizeof text, "%09.3f", rate);
    return text;
}

// The whole text as an integer, else `fallback`.
int wholeInteger(const std::string& text, int fallback)
{
    const std::string t = trimmed(text);
    int value = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value);
    return !t.empty() && r.ec == std::errc{} && r.ptr == t.data() + t.size() ? value : fallback;
}

// A decimal number as far as it goes ("12.5abc" is 12.5); none is 0.
double leadingDecimal(const std::string& text)
{
    const std::string t = trimmed(text);
    double value = 0.0;
    const char* begin = t.data();
    if (!t.empty() && t[0] == '+')
        ++begin;
    const auto r = std::from_chars(begin, t.data() + t.size(), value);
    return r.ec == std::errc{} && std::isfinite(value) ? value : 0.0;
}

int hexAddress(const std::string& text)
{
    const std::string t = trimmed(text);
    unsigned value = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), value, 16);
    return r.ec == std::errc{} ? static_cast<int>(value & 0xFFFF) : 0;
}

bool flag(int setting) { return setting != 0; }

}  // namespace

double readSetupRate(const std::string& text) { return parseDecimal(text); }

int leadingInteger(const std::string& text)
{
    const std::string t = trimmed(text);
    long long value = 0;
    const char* begin = t.data();
    if (!t.empty() && t[0] == '+')
        ++begin;
    const auto r = std::from_chars(begin, t.data() + t.size(), value);
    if (r.ec == std::errc::result_out_of_range || value > INT32_MAX || value < INT32_MIN)
        return 0;
    return r.ec == std::errc{} ? static_cast<int>(value) : 0;
}

SetupLists setupLists(const Settings& s, const std::vector<SoundDevice>& captureDevices,
                      const std::vector<SoundDevice>& playbackDevices)
{
    SetupLists lists;
    lists.audioChoices = audioSourceChoices(captureDevices, s.AudioSource);
    lists.outputItems = playbackDeviceItems(playbackDevices);
    int last = kGpsPortItems;
    for (const auto& [number, path] : s.comPortPaths) {
        if (number > last && number <= kComPortMax && !path.empty())
            last = number;
    }
    lists.gpsPortItems.push_back("NONE");
    for (int n = 1; n <= last; ++n)
        lists.gpsPortItems.push_back(comPortLabel(n, s.comPortPaths));
    return lists;
}

SetupValues fillSetupValues(const Settings& s, const SetupLists& lists)
{
    SetupValues v;
    v.reverse = flag(s.inverseManipulation);
    v.inCardIndex = audioSourceChoiceIndex(lists.audioChoices, s.AudioSource, s.captureDeviceId);
    const int outputPosition = s.outputDeviceId + 2;
    v.outCardIndex = outputPosition >= 1 && outputPosition < static_cast<int>(lists.outputItems.size())
                         ? outputPosition
                         : 0;
    v.inputChannel = s.captureChannel;
    v.outChannel = s.outputChannel;
    v.inSamplingRate = rateText(s.SamplingFreq);
    v.outSamplingRate = rateText(s.outputSamplingRate);

    // The keying controls keep what the settings hold where their lists
    // have it; the type's own starting positions are for a type the user
    // picks.
    v.portType = s.keyingPortType >= 0 && s.keyingPortType <= 3 ? s.keyingPortType : 0;
    v.portNumberIndex = keyingPositionInList(v.portType, s.keyingPortNumber - 1, true);
    v.pttIndex = keyingPositionInList(v.portType, s.pttPin, false);
    v.power1Index = keyingPositionInList(v.portType, s.power1Pin, false);
    v.power2Index = keyingPositionInList(v.portType, s.power2Pin, false);
    char address[16];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(s.lptAddress) & 0xFFFFu);
    v.portAddress = address;

    v.gpsPortIndex = s.gpsPort >= 0 && s.gpsPort < static_cast<int>(lists.gpsPortItems.size()) ? s.gpsPort : 0;
    v.gpsSpeed = std::to_string(s.gpsSpeed);

    v.useUtc = flag(s.useUtc);
    v.putTime = flag(s.rawLogTimeMarks);
    v.putTimeFiles = flag(s.messageFileTimeMarks);
    v.addComment = flag(s.addComment);
    v.commentText = s.commentText;

    v.veltrinEnabled = flag(s.VeltrinEnabled);
    v.customEnabled = flag(s.CustomPacketEnabled);
    v.aprsCall = s.AprsCall;
    v.aprsPassword = std::to_string(s.AprsPassword);
    v.aprsServer1 = s.AprsServer;
    v.aprsServer2 = s.AprsServer2;
    v.aprsServer3 = s.AprsServer3;
    v.positionBeacon = s.PositionBeacon;
    v.statusBeacon = s.StatusBeacon;
    v.defaultLatitude = formatLf(s.DefLat);
    v.defaultLongitude = formatLf(s.DefLon);

    v.traccar0 = flag(s.TccGateEnabled0);
    v.traccar1 = flag(s.TccGateEnabled1);
    v.traccarHost0 = s.TccServer0;
    v.traccarHost1 = s.TccServer1;
    v.traccarPort0 = std::to_string(static_cast<unsigned>(s.TccPort0));
    v.traccarPort1 = std::to_string(static_cast<unsigned>(s.TccPort1));
    v.traccarPath0 = s.TccPath0;
    v.traccarPath1 = s.TccPath1;

    v.enableX1 = flag(s.EnableX1Rx);
    v.enableX4 = flag(s.EnableX4Rx);
    v.enableX16 = flag(s.EnableX16Rx);
    v.enableX32 = flag(s.EnableX32Rx);
    v.enhanced = flag(s.enhancedDecoder);
    return v;
}

SetupRestarts applySetupValues(SetupValues& v, const SetupLists& lists, Settings& s, bool parallelDriverMissing)
{
    SetupRestarts r;
    s.inverseManipulation = v.reverse ? 1 : 0;

    // The audio input: restarted only when the choice or the channel changed.
    const int choices = static_cast<int>(lists.audioChoices.size());
    const AudioSourceChoice chosen = v.inCardIndex >= 0 && v.inCardIndex < choices
                                         ? lists.audioChoices[static_cast<std::size_t>(v.inCardIndex)]
                                         : AudioSourceChoice{"DEFAULT", "", -1};
    const int channel = v.inputChannel >= 0 && v.inputChannel <= 2 ? v.inputChannel : 0;
    const bool soundCard = chosen.source.empty();
    if (channel != s.captureChannel || chosen.source != s.AudioSource ||
        (soundCard && chosen.captureDeviceId != s.captureDeviceId)) {
        s.captureChannel = channel;
        s.AudioSource = chosen.source;
        if (soundCard)
            s.captureDeviceId = chosen.captureDeviceId;
        r.audio = true;
        r.audioSource = chosen.source;
        r.captureDeviceId = s.captureDeviceId;
    }
    s.outputDeviceId = v.outCardIndex - 2;
    s.outputChannel = v.outChannel >= 0 && v.outChannel <= 2 ? v.outChannel : 0;

    const double rate = readSetupRate(v.inSamplingRate);
    if (rate >= kMinSamplingRate && plausibleSamplingRate(rate) && std::fabs(rate - s.SamplingFreq) > 0.00001) {
        s.SamplingFreq = rate;
        s.decimatedRate = rate * 0.25;
        r.receiveChain = true;
    }
    const double outputRate = readSetupRate(v.outSamplingRate);
    if (outputRate >= kMinSamplingRate && std::fabs(outputRate - s.outputSamplingRate) > 0.0001)
        s.outputSamplingRate = outputRate;

    // The keying port.
    int type = v.portType >= 0 && v.portType <= 3 ? v.portType : 0;
    if (parallelDriverMissing && (type == kKeyingParallel || type == kKeyingParallelTessival))
        type = kKeyingNone;
    const int number = v.portNumberIndex + 1;
    const int address = hexAddress(v.portAddress);
    // With no keying port the blank lists say nothing of the stored pins.
    const bool stillNone = type == kKeyingNone && s.keyingPortType == kKeyingNone;
    if (!stillNone && (type != s.keyingPortType || number != s.keyingPortNumber || v.pttIndex != s.pttPin ||
                       v.power1Index != s.power1Pin || v.power2Index != s.power2Pin || address != s.lptAddress)) {
        s.keyingPortType = type;
        s.keyingPortNumber = number;
        s.pttPin = v.pttIndex;
        s.power1Pin = v.power1Index;
        s.power2Pin = v.power2Index;
        s.lptAddress = address;
        r.keying = true;
    }

    const int gpsSpeed = wholeInteger(v.gpsSpeed, 9600);
    if (v.gpsPortIndex != s.gpsPort || gpsSpeed != s.gpsSpeed) {
        s.gpsPort = v.gpsPortIndex;
        s.gpsSpeed = gpsSpeed;
        r.gps = true;
    }

    s.useUtc = v.useUtc ? 1 : 0;
    s.rawLogTimeMarks = v.putTime ? 1 : 0;
    s.messageFileTimeMarks = v.putTimeFiles ? 1 : 0;
    s.addComment = v.addComment ? 1 : 0;
    s.commentText = v.commentText;

    s.VeltrinEnabled = v.veltrinEnabled ? 1 : 0;
    s.CustomPacketEnabled = v.customEnabled ? 1 : 0;
    s.AprsCall = firstChars(v.aprsCall, kAprsCallMax);
    s.AprsPassword = leadingInteger(v.aprsPassword);
    s.AprsServer = firstChars(v.aprsServer1, kAprsServerMax);
    s.AprsServer2 = firstChars(v.aprsServer2, kAprsServerMax);
    s.AprsServer3 = firstChars(v.aprsServer3, kAprsServerMax);
    s.PositionBeacon = firstChars(v.positionBeacon, kPositionBeaconMax);
    s.StatusBeacon = firstChars(v.statusBeacon, kStatusBeaconMax);
    s.DefLat = leadingDecimal(v.defaultLatitude);
    s.DefLon = leadingDecimal(v.defaultLongitude);

    s.TccGateEnabled0 = v.traccar0 ? 1 : 0;
    s.TccGateEnabled1 = v.traccar1 ? 1 : 0;
    s.TccServer0 = firstChars(trimmed(v.traccarHost0), kTraccarTextMax);
    s.TccServer1 = firstChars(trimmed(v.traccarHost1), kTraccarTextMax);
    s.TccPath0 = firstChars(trimmed(v.traccarPath0), kTraccarTextMax);
    s.TccPath1 = firstChars(trimmed(v.traccarPath1), kTraccarTextMax);
    s.TccPort0 = leadingInteger(v.traccarPort0);
    s.TccPort1 = leadingInteger(v.traccarPort1);
    v.traccarPort0 = std::to_string(s.TccPort0);
    v.traccarPort1 = std::to_string(s.TccPort1);

    s.EnableX1Rx = v.enableX1 ? 1 : 0;
    s.EnableX4Rx = v.enableX4 ? 1 : 0;
    s.EnableX16Rx = v.enableX16 ? 1 : 0;
    s.EnableX32Rx = v.enableX32 ? 1 : 0;
    s.enhancedDecoder = v.enhanced ? 1 : 0;  // read by the decoders from their next hop
    return r;
}

}  // namespace veltrin
