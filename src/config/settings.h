#pragma once
// Every configuration value of the station, its default, and the settings
// file that holds them (VELTRIN.INI in the working directory).
#include <string>

#include "platform/com_ports.h"

namespace veltrin {

class IniFile;

// Section names of the settings file.
inline constexpr const char* kMainSection = "Main";
inline constexpr const char* kGeneralSection = "General";
inline constexpr const char* kWindowSection = "Window";
inline constexpr const char* kFontSection = "Font";
inline constexpr const char* kAprsSection = "Veltrin";
inline constexpr const char* kTraccarSection = "TracCar";
inline constexpr const char* kPortsSection = "Ports";
inline constexpr const char* kSettingsFileName = "VELTRIN.INI";

// The settings the decoders read while they run.
struct DecoderOptions {
    int EnableX1Rx = 1;
    int inverseManipulation = 0;
    int enhancedDecoder = 0;  // 1: the weak-signal decoding in place of the standard one
};

// What the sample chain reads while it runs (the decoders' two included).
struct ReceiveChainOptions : DecoderOptions {
    double SamplingFreq = 48000.0;
    double decimatedRate = 12000.0;  // SamplingFreq x 0.25, not stored
    int EnableX4Rx = 1;
    int EnableX16Rx = 1;
    int EnableX32Rx = 1;
    int captureChannel = 0;
};

// Every setting. The blocks of the receive chain see only their bases, so a
// block's dependencies show in its signature.
struct Settings : ReceiveChainOptions {
    // "Main"
    int OnTop = 0;

    // General section
    int keyingPortType = 0;
    int keyingPortNumber = 1;
    int gpsPort = 0;
    int gpsSpeed = 9600;
    int pttPin = 2;
    int power1Pin = 0;
    int power2Pin = 0;
    int lptAddress = 888;
    int centreFreqMilliHz = 1700000;
    int displayCentre = 1700;
    int zoom = 1;
    int waterfallGain = 1;
    int useUtc = 0;
    int rawLogTimeMarks = 0;
    int messageFileTimeMarks = 0;
    int addComment = 0;
    std::string commentText = "Just a comment";
    int captureDeviceId = -1;
    int outputDeviceId = -2;
    int outputChannel = 0;
    double outputSamplingRate = 0.0;
    // Where the audio comes from: "" the sound card, "udp:PORT",
    // "udp:ADDRESS:PORT", "stdin" or "wav:FILE".
    std::string AudioSource;

    // Window section; -1 keeps the designed size or position.
    int windowLeft = -1;
    int windowTop = -1;
    int windowHeight = -1;
    int windowWidth = -1;
    int spectrumHeight = -1;
    int browserHeight = -1;

    // Font section: the message browser's list and text view.
    std::string browserFontName = "MS Sans Serif";
    int browserFontCharset = 204;
    int browserFontColor = -2147483640;
    int browserFontHeight = -13;
    int browserFontPitch = 0;
    int browserFontSize = 10;
    int browserFontStyle = 1;
    int browserGridColor = -2147483643;

    // "Veltrin": APRS-IS gate
    int VeltrinEnabled = 0;
    int CustomPacketEnabled = 1;
    std::string AprsCall = "N0CALL-PG";              // at most 15
    int AprsPassword = -1;
    std::string AprsServer = "rotate.aprs2.net";     // at most 63 each
    std::string AprsServer2 = "euro.aprs2.net";
    std::string AprsServer3 = "noam.aprs2.net";
    std::string PositionBeacon = "Corvane > Veltrin  @  xxxxx+1.7 kHz";  // at most 43
    std::string StatusBeacon = "Veltrin 1.01 https://veltrin.example.org/";  // at most 62
    double DefLat = 55.456789;
    double DefLon = 82.987654;

    // "TracCar"
    int TccGateEnabled0 = 0;
    int TccGateEnabled1 = 0;
    std::string TccServer0 = "127.0.0.1";  // at most 254 each
    std::string TccServer1 = "traccar.example.org";
    int TccPort0 = 5055;
    int TccPort1 = 5055;
    std::string TccPath0 = "/";
    std::string TccPath1 = "/gps.cgi";

    // "Ports": the user's device paths for COM numbers ("COM3=/dev/ttyUSB0").
    ComPortOverrides comPortPaths;
};

// Maximum stored lengths of the text fields that have one.
inline constexpr std::size_t kAprsCallMax = 15;
inline constexpr std::size_t kAprsServerMax = 63;
inline constexpr std::size_t kPositionBeaconMax = 43;
inline constexpr std::size_t kStatusBeaconMax = 62;
inline constexpr std::size_t kTraccarTextMax = 254;
inline constexpr std::size_t kAudioSourceMax = 255;

// "%lf": six decimals, as coordinates are written and shown.
std::string formatLf(double v);

// Decimal number from text; a comma counts as the decimal point. Empty or
// unreadable text gives 0.0.
double parseDecimal(const std::string& text);

// Sound-card rates the resampler can work with; a zero, negative or absurd
// rate would silence reception for the whole run.
inline constexpr double kMinSamplingRate = 40000.0;
inline constexpr double kMaxSamplingRate = 400000.0;
bool plausibleSamplingRate(double rate);

// "OnTop" from "Main" (read when the window is created).
int readOnTop(const IniFile& ini);
// "SamplingFreq" from "Main" (48000.0 when the stored rate is not
// plausible); also sets decimatedRate.
void readSamplingFreq(const IniFile& ini, Settings& s);

// Every setting except OnTop and SamplingFreq, with the validation rules.
// Window geometry and font are stored in the fields; the window applies them.
void loadSettings(const IniFile& ini, Settings& s);
// Every setting, OnTop and SamplingFreq included. Returns false when the file
// could not be written.
bool saveSettings(IniFile& ini, const Settings& s);

// Zoom and waterfall gain as the menus accept them (others become 1).
int validZoom(int zoom);
int validWaterfallGain(int gain);

}  // namespace veltrin
