#include "app/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ini_file.h"

namespace veltrin {

namespace {

std::string cut(const std::string& s, std::size_t max) { return s.size() > max ? s.substr(0, max) : s; }

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

std::string formatLf(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lf", v);
    return buf;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

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

void loadSettings(const IniFile& ini, Settings& s)
{
    const char* g = kGeneralSection;
    s.keyingPortType = ini.readInt(g, "keyingPortType", s.keyingPortType);
    s.keyingPortNumber = ini.readInt(g, "keyingPortNumber", s.keyingPortNumber);
    s.gpsPort = ini.readInt(g, "gpsPort", s.gpsPort);
    s.gpsSpeed = ini.readInt(g, "gpsSpeed", s.gpsSpeed);
    s.pttPin = ini.readInt(g, "pttPin", s.pttPin);
    s.power1Pin = ini.readInt(g, "power1Pin", s.power1Pin);
    s.power2Pin = ini.readInt(g, "power2Pin", s.power2Pin);
    s.lptAddress = ini.readInt(g, "lptAddress", s.lptAddress) & 0xFFFF;

    s.EnableX1Rx = ini.readInt(g, "EnableX1Rx", s.EnableX1Rx);
    s.EnableX4Rx = ini.readInt(g, "EnableX4Rx", s.EnableX4Rx);
    s.EnableX16Rx = ini.readInt(g, "EnableX16Rx", s.EnableX16Rx);
    s.EnableX32Rx = ini.readInt(g, "EnableX32Rx", s.EnableX32Rx);
    s.centreFreqMilliHz = ini.readInt(g, "centreFreqMilliHz", s.centreFreqMilliHz);
    s.displayCentre = ini.readInt(g, "CenterFreq", s.displayCentre);

    s.zoom = validZoom(ini.readInt(g, "zoom", s.zoom));
    s.waterfallGain = validWaterfallGain(ini.readInt(g, "waterfallGain", s.waterfallGain));

    s.inverseManipulation = ini.readInt(g, "inverseManipulation", s.inverseManipulation);
    s.useUtc = ini.readInt(g, "useUtc", s.useUtc);
    s.rawLogTimeMarks = ini.readInt(g, "rawLogTimeMarks", s.rawLogTimeMarks);
    s.messageFileTimeMarks = ini.readInt(g, "messageFileTimeMarks", s.messageFileTimeMarks);
    s.addComment = ini.readInt(g, "addComment", s.addComment);
    if (ini.hasKey(g, "commentText"))
        s.commentText = ini.readString(g, "commentText", s.commentText);

    int device = ini.readInt(g, "captureDeviceId", s.captureDeviceId);
    if (device >= 0)
        s.captureDeviceId = device;
    int output = ini.readInt(g, "outputDeviceId", s.outputDeviceId);
    s.outputDeviceId = output < -2 ? -2 : output;
    int channel = ini.readInt(g, "captureChannel", s.captureChannel);
    if (channel >= 0 && channel <= 2)
        s.captureChannel = channel;
    channel = ini.readInt(g, "outputChannel", s.outputChannel);
    if (channel >= 0 && channel <= 2)
        s.outputChannel = channel;

    const char* w = kWindowSection;
    s.windowLeft = ini.readInt(w, "windowLeft", -1);
    s.windowTop = ini.readInt(w, "windowTop", -1);
    s.windowHeight = ini.readInt(w, "windowHeight", -1);
    s.windowWidth = ini.readInt(w, "windowWidth", -1);
    s.spectrumHeight = ini.readInt(w, "spectrumHeight", -1);
    s.browserHeight = ini.readInt(w, "browserHeight", -1);

    const char* f = kFontSection;
    s.browserFontName = ini.readString(f, "browserFontName", s.browserFontName);
    s.browserFontCharset = ini.readInt(f, "browserFontCharset", s.browserFontCharset);
    s.browserFontColor = ini.readInt(f, "browserFontColor", s.browserFontColor);
    s.browserFontHeight = ini.readInt(f, "browserFontHeight", s.browserFontHeight);
    s.browserFontPitch = ini.readInt(f, "browserFontPitch", s.browserFontPitch);
    s.browserFontSize = ini.readInt(f, "browserFontSize", s.browserFontSize);
    s.browserFontStyle = ini.readInt(f, "browserFontStyle", s.browserFontStyle);
    s.browserGridColor = ini.readInt(f, "browserGridColor", s.browserGridColor);

    const char* a = kAprsSection;
    s.VeltrinEnabled = ini.readInt(a, "VeltrinEnabled", s.VeltrinEnabled);
    s.CustomPacketEnabled = ini.readInt(a, "CustomPacketEnabled", s.CustomPacketEnabled);
    s.AprsCall = cut(ini.readString(a, "AprsCall", s.AprsCall), kAprsCallMax);
    s.AprsPassword = ini.readInt(a, "AprsPassword", s.AprsPassword);
    s.AprsServer = cut(ini.readString(a, "AprsServer", s.AprsServer), kAprsServerMax);
    s.AprsServer2 = cut(ini.readString(a, "AprsServer2", s.AprsServer2), kAprsServerMax);
    s.AprsServer3 = cut(ini.readString(a, "AprsServer3", s.AprsServer3), kAprsServerMax);
    s.PositionBeacon = cut(ini.readString(a, "PositionBeacon", s.PositionBeacon), kPositionBeaconMax);
    s.StatusBeacon = cut(ini.readString(a, "StatusBeacon", s.StatusBeacon), kStatusBeaconMax);
    s.DefLat = readPointDecimal(ini, a, "DefLat", s.DefLat);
    s.DefLon = readPointDecimal(ini, a, "DefLon", s.DefLon);

    const char* t = kTraccarSection;
    s.TccGateEnabled0 = ini.readInt(t, "TccGateEnabled0", s.TccGateEnabled0);
    s.TccGateEnabled1 = ini.readInt(t, "TccGateEnabled1", s.TccGateEnabled1);
    s.TccPort0 = ini.readInt(t, "TccPort0", s.TccPort0);
    s.TccPort1 = ini.readInt(t, "TccPort1", s.TccPort1);
    s.TccServer0 = cut(ini.readString(t, "TccServer0", s.TccServer0), kTraccarTextMax);
    s.TccServer1 = cut(ini.readString(t, "TccServer1", s.TccServer1), kTraccarTextMax);
    s.TccPath0 = cut(ini.readString(t, "TccPath0", s.TccPath0), kTraccarTextMax);
    s.TccPath1 = cut(ini.readString(t, "TccPath1", s.TccPath1), kTraccarTextMax);
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

    const char* g = kGeneralSection;
    wi(g, "keyingPortType", s.keyingPortType);
    wi(g, "keyingPortNumber", s.keyingPortNumber);
    wi(g, "gpsPort", s.gpsPort);
    wi(g, "gpsSpeed", s.gpsSpeed);
    wi(g, "pttPin", s.pttPin);
    wi(g, "power1Pin", s.power1Pin);
    wi(g, "power2Pin", s.power2Pin);
    wi(g, "lptAddress", s.lptAddress);
    wi(g, "EnableX1Rx", s.EnableX1Rx);
    wi(g, "EnableX4Rx", s.EnableX4Rx);
    wi(g, "EnableX16Rx", s.EnableX16Rx);
    wi(g, "EnableX32Rx", s.EnableX32Rx);
    wi(g, "centreFreqMilliHz", s.centreFreqMilliHz);
    wi(g, "CenterFreq", s.displayCentre);
    wi(g, "zoom", s.zoom);
    wi(g, "waterfallGain", s.waterfallGain);
    wi(g, "inverseManipulation", s.inverseManipulation);
    wi(g, "useUtc", s.useUtc);
    wi(g, "rawLogTimeMarks", s.rawLogTimeMarks);
    wi(g, "messageFileTimeMarks", s.messageFileTimeMarks);
    wi(g, "addComment", s.addComment);
    ws(g, "commentText", quoted(s.commentText));
    wi(g, "captureDeviceId", s.captureDeviceId);
    wi(g, "outputDeviceId", s.outputDeviceId);
    wi(g, "captureChannel", s.captureChannel);
    wi(g, "outputChannel", s.outputChannel);
    ws(g, "outputSamplingRate", formatDouble15(s.outputSamplingRate));

    const char* w = kWindowSection;
    wi(w, "windowLeft", s.windowLeft);
    wi(w, "windowTop", s.windowTop);
    wi(w, "windowHeight", s.windowHeight);
    wi(w, "windowWidth", s.windowWidth);
    wi(w, "spectrumHeight", s.spectrumHeight);
    wi(w, "browserHeight", s.browserHeight);

    const char* f = kFontSection;
    ws(f, "browserFontName", quoted(s.browserFontName));
    wi(f, "browserFontCharset", s.browserFontCharset);
    wi(f, "browserFontColor", s.browserFontColor);
    wi(f, "browserFontHeight", s.browserFontHeight);
    wi(f, "browserFontPitch", s.browserFontPitch);
    wi(f, "browserFontSize", s.browserFontSize);
    wi(f, "browserFontStyle", s.browserFontStyle);
    wi(f, "browserGridColor", s.browserGridColor);

    const char* a = kAprsSection;
    wi(a, "VeltrinEnabled", s.VeltrinEnabled);
    wi(a, "CustomPacketEnabled", s.CustomPacketEnabled);
    ws(a, "AprsCall", cut(s.AprsCall, kAprsCallMax));
    wi(a, "AprsPassword", s.AprsPassword);
    ws(a, "AprsServer", cut(s.AprsServer, kAprsServerMax));
    ws(a, "AprsServer2", cut(s.AprsServer2, kAprsServerMax));
    ws(a, "AprsServer3", cut(s.AprsServer3, kAprsServerMax));
    ws(a, "PositionBeacon", cut(s.PositionBeacon, kPositionBeaconMax));
    ws(a, "StatusBeacon", cut(s.StatusBeacon, kStatusBeaconMax));
    ws(a, "DefLat", formatLf(s.DefLat));
    ws(a, "DefLon", formatLf(s.DefLon));

    const char* t = kTraccarSection;
    wi(t, "TccGateEnabled0", s.TccGateEnabled0);
    wi(t, "TccGateEnabled1", s.TccGateEnabled1);
    ws(t, "TccServer0", cut(s.TccServer0, kTraccarTextMax));
    ws(t, "TccServer1", cut(s.TccServer1, kTraccarTextMax));
    wi(t, "TccPort0", s.TccPort0);
    wi(t, "TccPort1", s.TccPort1);
    ws(t, "TccPath0", cut(s.TccPath0, kTraccarTextMax));
    ws(t, "TccPath1", cut(s.TccPath1, kTraccarTextMax));
    return ini.commitEdit() && ok;
}

}  // namespace veltrin
