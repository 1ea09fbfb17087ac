#include "config/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ini_file.h"
#include "platform/text_util.h"

namespace veltrin {

namespace {


// The C locale's "%lf" reading; text that is not a number keeps the default.
double readPointDecimal(const IniFile& ini, const char* section, const char* key, double def)
{
    std::string text = ini.readString(section, key, "");
    if (text.empty())
        return def;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? def : v;
}

// Up to 15 significant digits, as the system formats a double.
std::string formatDouble15(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string comPortKey(int number) { return "COM" + std::to_string(number); }

}  // namespace

std::string formatLf(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lf", v);
    return buf;
}

double parseDecimal(const std::string& text)
{
    if (text.empty())
        return 0.0;
    std::string t = text;
    for (char& c : t)
        if (c == ',')
            c = '.';
    double v = 0.0;
    if (std::sscanf(t.c_str(), "%lf", &v) != 1)
        return 0.0;
    return v;
}

bool plausibleSamplingRate(double rate)
{
    return std::isfinite(rate) && rate >= kMinSamplingRate && rate <= kMaxSamplingRate;
}

int validZoom(int zoom) { return zoom >= 2 && zoom <= 5 ? zoom : 1; }

int validWaterfallGain(int gain)
{
    for (int g = 1; g <= 1024; g *= 2)
        if (gain == g)
            return gain;
    return 1;
}

int readOnTop(const IniFile& ini)
{
    return ini.readInt(kMainSection, "OnTop", 0);
}

void readSamplingFreq(const IniFile& ini, Settings& s)
{
    const double rate = parseDecimal(ini.readString(kMainSection, "SamplingFreq", "48000.0"));
    s.SamplingFreq = plausibleSamplingRate(rate) ? rate : 48000.0;
    s.decimatedRate = s.SamplingFreq * 0.25;
}

namespace {

// Integer settings that are read with their current value as the default and
// written back as they are; load and save share this one list.
struct IntKey {
    const char* section;
    const char* key;
    int Settings::*field;
};

constexpr IntKey kIntKeys[] = {
    {kGeneralSection, "keyingPortType", &Settings::keyingPortType},
    {kGeneralSection, "keyingPortNumber", &Settings::keyingPortNumber},
    {kGeneralSection, "gpsPort", &Settings::gpsPort},
    {kGeneralSection, "gpsSpeed", &Settings::gpsSpeed},
    {kGeneralSection, "pttPin", &Settings::pttPin},
    {kGeneralSection, "power1Pin", &Settings::power1Pin},
    {kGeneralSection, "power2Pin", &Settings::power2Pin},
    {kGeneralSection, "EnableX1Rx", &Settings::EnableX1Rx},
    {kGeneralSection, "EnableX4Rx", &Settings::EnableX4Rx},
    {kGeneralSection, "EnableX16Rx", &Settings::EnableX16Rx},
    {kGeneralSection, "EnableX32Rx", &Settings::EnableX32Rx},
    {kGeneralSection, "centreFreqMilliHz", &Settings::centreFreqMilliHz},
    {kGeneralSection, "CenterFreq", &Settings::displayCentre},
    {kGeneralSection, "inverseManipulation", &Settings::inverseManipulation},
    {kGeneralSection, "enhancedDecoder", &Settings::enhancedDecoder},
    {kGeneralSection, "useUtc", &Settings::useUtc},
    {kGeneralSection, "rawLogTimeMarks", &Settings::rawLogTimeMarks},
    {kGeneralSection, "messageFileTimeMarks", &Settings::messageFileTimeMarks},
    {kGeneralSection, "addComment", &Settings::addComment},
    {kWindowSection, "windowLeft", &Settings::windowLeft},
    {kWindowSection, "windowTop", &Settings::windowTop},
    {kWindowSection, "windowHeight", &Settings::windowHeight},
    {kWindowSection, "windowWidth", &Settings::windowWidth},
    {kWindowSection, "spectrumHeight", &Settings::spectrumHeight},
    {kWindowSection, "browserHeight", &Settings::browserHeight},
    {kFontSection, "browserFontCharset", &Settings::browserFontCharset},
    {kFontSection, "browserFontColor", &Settings::browserFontColor},
    {kFontSection, "browserFontHeight", &Settings::browserFontHeight},
    {kFontSection, "browserFontPitch", &Settings::browserFontPitch},
    {kFontSection, "browserFontSize", &Settings::browserFontSize},
    {kFontSection, "browserFontStyle", &Settings::browserFontStyle},
    {kFontSection, "browserGridColor", &Settings::browserGridColor},
    {kAprsSection, "VeltrinEnabled", &Settings::VeltrinEnabled},
    {kAprsSection, "CustomPacketEnabled", &Settings::CustomPacketEnabled},
    {kAprsSection, "AprsPassword", &Settings::AprsPassword},
    {kTraccarSection, "TccGateEnabled0", &Settings::TccGateEnabled0},
    {kTraccarSection, "TccGateEnabled1", &Settings::TccGateEnabled1},
    {kTraccarSection, "TccPort0", &Settings::TccPort0},
    {kTraccarSection, "TccPort1", &Settings::TccPort1},
};

// Text settings: cut to their maximum length; the quoted ones are written in
// double quotes so that leading and trailing blanks survive.
struct TextKey {
    const char* section;
    const char* key;
    std::string Settings::*field;
    std::size_t maxLength;
    bool quoted;
};

constexpr std::size_t kUnlimited = std::string::npos;

constexpr TextKey kTextKeys[] = {
    {kGeneralSection, "commentText", &Settings::commentText, kUnlimited, true},
    {kGeneralSection, "AudioSource", &Settings::AudioSource, kAudioSourceMax, true},
    {kFontSection, "browserFontName", &Settings::browserFontName, kUnlimited, true},
    {kAprsSection, "AprsCall", &Settings::AprsCall, kAprsCallMax, false},
    {kAprsSection, "AprsServer", &Settings::AprsServer, kAprsServerMax, false},
    {kAprsSection, "AprsServer2", &Settings::AprsServer2, kAprsServerMax, false},
    {kAprsSection, "AprsServer3", &Settings::AprsServer3, kAprsServerMax, false},
    {kAprsSection, "PositionBeacon", &Settings::PositionBeacon, kPositionBeaconMax, false},
    {kAprsSection, "StatusBeacon", &Settings::StatusBeacon, kStatusBeaconMax, false},
    {kTraccarSection, "TccServer0", &Settings::TccServer0, kTraccarTextMax, false},
    {kTraccarSection, "TccServer1", &Settings::TccServer1, kTraccarTextMax, false},
    {kTraccarSection, "TccPath0", &Settings::TccPath0, kTraccarTextMax, false},
    {kTraccarSection, "TccPath1", &Settings::TccPath1, kTraccarTextMax, false},
};

}  // namespace

void loadSettings(const IniFile& ini, Settings& s)
{
    for (const IntKey& k : kIntKeys)
        s.*k.field = ini.readInt(k.section, k.key, s.*k.field);
    for (const TextKey& k : kTextKeys)
        s.*k.field = firstChars(ini.readString(k.section, k.key, s.*k.field), k.maxLength);

    // Values with rules of their own.
    const char* g = kGeneralSection;
    s.lptAddress = ini.readInt(g, "lptAddress", s.lptAddress) & 0xFFFF;
    s.zoom = validZoom(ini.readInt(g, "zoom", s.zoom));
    s.waterfallGain = validWaterfallGain(ini.readInt(g, "waterfallGain", s.waterfallGain));
    const int device = ini.readInt(g, "captureDeviceId", s.captureDeviceId);
    if (device >= 0)
        s.captureDeviceId = device;
    const int output = ini.readInt(g, "outputDeviceId", s.outputDeviceId);
    s.outputDeviceId = output < -2 ? -2 : output;
    int channel = ini.readInt(g, "captureChannel", s.captureChannel);
    if (channel >= 0 && channel <= 2)
        s.captureChannel = channel;
    channel = ini.readInt(g, "outputChannel", s.outputChannel);
    if (channel >= 0 && channel <= 2)
        s.outputChannel = channel;
    s.DefLat = readPointDecimal(ini, kAprsSection, "DefLat", s.DefLat);
    s.DefLon = readPointDecimal(ini, kAprsSection, "DefLon", s.DefLon);
    for (int n = kComPortMin; n <= kComPortMax; ++n) {
        const std::string path = ini.readString(kPortsSection, comPortKey(n), "");
        if (!path.empty())
            s.comPortPaths[n] = path;
    }
}

bool saveSettings(IniFile& ini, const Settings& s)
{
    bool ok = true;
    ini.beginEdit();  // one store of the whole file at the end
    auto wi = [&](const char* sec, const char* key, int v) { ok = ini.writeInt(sec, key, v) && ok; };
    auto ws = [&](const char* sec, const char* key, const std::string& v) {
        ok = ini.writeString(sec, key, v) && ok;
    };

    wi(kMainSection, "OnTop", s.OnTop ? 1 : 0);
    ws(kMainSection, "SamplingFreq", formatDouble15(s.SamplingFreq));
    for (const IntKey& k : kIntKeys)
        wi(k.section, k.key, s.*k.field);
    for (const TextKey& k : kTextKeys) {
        const std::string text = firstChars(s.*k.field, k.maxLength);
        ws(k.section, k.key, k.quoted ? quoted(text) : text);
    }
    const char* g = kGeneralSection;
    wi(g, "lptAddress", s.lptAddress);
    wi(g, "zoom", s.zoom);
    wi(g, "waterfallGain", s.waterfallGain);
    wi(g, "captureDeviceId", s.captureDeviceId);
    wi(g, "outputDeviceId", s.outputDeviceId);
    wi(g, "captureChannel", s.captureChannel);
    wi(g, "outputChannel", s.outputChannel);
    ws(g, "outputSamplingRate", formatDouble15(s.outputSamplingRate));
    ws(kAprsSection, "DefLat", formatLf(s.DefLat));
    ws(kAprsSection, "DefLon", formatLf(s.DefLon));
    for (const auto& [number, path] : s.comPortPaths) {
        if (number >= kComPortMin && number <= kComPortMax && !path.empty())
            ws(kPortsSection, comPortKey(number).c_str(), path);
    }
    return ini.commitEdit() && ok;
}

}  // namespace veltrin
