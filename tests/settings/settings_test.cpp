#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/settings.h"
#include "platform/ini_file.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir()
    {
        path_ = fs::temp_directory_path() / ("veltrin-settings-" + std::to_string(::getpid()) + "-" +
                                             std::to_string(counter_++));
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

TEST(ParseDecimal, Cases)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"", 0.0},          {"48000.0", 48000.0}, {"48012,5", 48012.5}, {" 47990 ", 47990.0},
        {"abc", 0.0},       {"-1,25", -1.25},     {"1e3", 1000.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(parseDecimal(c.text), c.value) << '"' << c.text << '"';
}

TEST(IniFile, ProfileSemantics)
{
    TempDir dir;
    const std::string path = dir.file("VELTRIN.INI");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Main", "OnTop", "dflt"), "dflt");  // no file
    writeFile(path,
              "; comment\r\n[main]\r\nONTOP = 1 \r\nQuoted=\"  two blanks  \"\r\n"
              "Empty=\r\n\r\n[Other]\r\nOnTop=7\r\n");
    EXPECT_EQ(ini.readString("MAIN", "ontop", "x"), "1");
    EXPECT_EQ(ini.readInt("Main", "OnTop", 0), 1);
    EXPECT_EQ(ini.readInt("Other", "OnTop", 0), 7);
    EXPECT_EQ(ini.readString("Main", "Quoted", ""), "  two blanks  ");
    EXPECT_EQ(ini.readString("Main", "Empty", "d"), "");
    EXPECT_EQ(ini.readString("Main", "Missing", "d"), "d");
    EXPECT_EQ(ini.readString("NoSection", "OnTop", "d"), "d");
    EXPECT_EQ(ini.readInt("Main", "Quoted", 42), 42);  // not a number

    ASSERT_TRUE(ini.writeString("other", "ONTOP", "8"));     // replaces, keeps case of file
    ASSERT_TRUE(ini.writeString("Main", "NewKey", "v"));     // appended to its section
    ASSERT_TRUE(ini.writeString("Fresh", "Key", "\xC0\xFF")); // new section, bytes kept
    EXPECT_EQ(ini.readInt("Other", "OnTop", 0), 8);
    EXPECT_EQ(ini.readString("main", "newkey", ""), "v");
    EXPECT_EQ(ini.readString("Fresh", "Key", ""), "\xC0\xFF");
    const std::string text = readFile(path);
    EXPECT_NE(text.find("[main]\r\nONTOP = 1 \r\n"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // CR LF line ends
}

TEST(Settings, NoFileGivesDefaultsAndFirstSaveCreatesEverySection)
{
    TempDir dir;
    IniFile ini(dir.file("VELTRIN.INI"));
    Settings s;
    readSamplingFreq(ini, s);
    loadSettings(ini, s);
    const Settings d;
    EXPECT_EQ(s.SamplingFreq, 48000.0);
    EXPECT_EQ(s.decimatedRate, 12000.0);
    EXPECT_EQ(s.commentText, "Just a comment");
    EXPECT_EQ(s.captureDeviceId, -1);
    EXPECT_EQ(s.outputDeviceId, -2);
    EXPECT_EQ(s.centreFreqMilliHz, 1700000);
    EXPECT_EQ(s.windowLeft, -1);
    EXPECT_EQ(s.browserFontColor, d.browserFontColor);
    EXPECT_EQ(s.AprsCall, "N0CALL-PG");
    EXPECT_EQ(s.TccPath1, "/gps.cgi");
    EXPECT_EQ(readOnTop(ini), 0);

    ASSERT_TRUE(saveSettings(ini, s));
    const std::string text = readFile(dir.file("VELTRIN.INI"));
    for (const char* section : {"[Main]", "[General]", "[Window]", "[Font]", "[Veltrin]", "[TracCar]"})
        EXPECT_NE(text.find(section), std::string::npos) << section;
    EXPECT_NE(text.find("commentText=\"Just a comment\""), std::string::npos);
    EXPECT_NE(text.find("DefLat=55.456789"), std::string::npos);
    EXPECT_NE(text.find("SamplingFreq=48000"), std::string::npos);

    Settings back;
    readSamplingFreq(ini, back);
    loadSettings(ini, back);
    EXPECT_EQ(back.SamplingFreq, s.SamplingFreq);
    EXPECT_EQ(back.commentText, s.commentText);
    EXPECT_EQ(back.browserFontName, s.browserFontName);
    EXPECT_EQ(back.DefLon, 82.987654);
}

TEST(Settings, StoredValuesAreValidated)
{
    TempDir dir;
    const std::string path = dir.file("VELTRIN.INI");
    writeFile(path,
              "[Main]\r\nSamplingFreq=48012,5\r\nOnTop=1\r\n"
              "[General]\r\ncaptureChannel=7\r\ncaptureDeviceId=-5\r\noutputDeviceId=-9\r\n"
              "zoom=9\r\nwaterfallGain=3\r\noutputChannel=2\r\n"
              "commentText=\"  spaced comment  \"\r\n"
              "[Veltrin]\r\nAprsCall=ABCDEFGHIJKLMNOPQRS\r\nDefLat=12.5\r\n"
              "[TracCar]\r\nTccPort0=8082\r\n");
    IniFile ini(path);
    Settings s;
    readSamplingFreq(ini, s);
    loadSettings(ini, s);
    EXPECT_DOUBLE_EQ(s.SamplingFreq, 48012.5);
    EXPECT_DOUBLE_EQ(s.decimatedRate, 12003.125);
    EXPECT_EQ(readOnTop(ini), 1);
    EXPECT_EQ(s.captureChannel, 0);
    EXPECT_EQ(s.captureDeviceId, -1);
    EXPECT_EQ(s.outputDeviceId, -2);
    EXPECT_EQ(s.outputChannel, 2);
    EXPECT_EQ(s.zoom, 1);
    EXPECT_EQ(s.waterfallGain, 1);
    EXPECT_EQ(s.commentText, "  spaced comment  ");
    EXPECT_EQ(s.AprsCall, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(s.DefLat, 12.5);
    EXPECT_EQ(s.TccPort0, 8082);

    // The comment's blanks survive a save and a reload.
    ASSERT_TRUE(saveSettings(ini, s));
    Settings back;
    loadSettings(ini, back);
    EXPECT_EQ(back.commentText, "  spaced comment  ");
}

TEST(Settings, MenuValueRules)
{
    for (int z = -1; z <= 7; ++z)
        EXPECT_EQ(validZoom(z), z >= 2 && z <= 5 ? z : 1) << z;
    EXPECT_EQ(validWaterfallGain(1024), 1024);
    EXPECT_EQ(validWaterfallGain(64), 64);
    EXPECT_EQ(validWaterfallGain(2048), 1);
    EXPECT_EQ(validWaterfallGain(0), 1);
}

TEST(Settings, UnwritableFileIsReportedAsFailure)
{
    TempDir dir;
    fs::create_directories(dir.file("VELTRIN.INI"));  // a folder where the file should be
    IniFile ini(dir.file("VELTRIN.INI"));
    EXPECT_FALSE(saveSettings(ini, Settings{}));
}

TEST(IniFile, ValuesCannotBreakTheLineStructure)
{
    TempDir dir;
    IniFile ini(dir.file("VELTRIN.INI"));
    ASSERT_TRUE(ini.writeString("TracCar", "TccServer0", "evil\r\nTccGateEnabled0=1"));
    EXPECT_EQ(ini.readString("TracCar", "TccServer0", ""), "evil  TccGateEnabled0=1");
    EXPECT_FALSE(ini.hasKey("TracCar", "TccGateEnabled0"));
}

TEST(IniFile, KeysBeforeAnySectionFormTheUnnamedSection)
{
    TempDir dir;
    const std::string path = dir.file("registry.ini");
    writeFile(path, "DefaultDir=/srv/radio\r\n[Other]\r\nIsx64=1\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("", "defaultdir", ""), "/srv/radio");
    EXPECT_FALSE(ini.hasKey("", "Isx64"));
    ASSERT_TRUE(ini.writeString("", "Isx64", "0"));
    EXPECT_EQ(readFile(path), "DefaultDir=/srv/radio\r\nIsx64=0\r\n[Other]\r\nIsx64=1\r\n");
}

TEST(Settings, FailedSaveLeavesTheStoredFileWhole)
{
    TempDir dir;
    const std::string path = dir.file("VELTRIN.INI");
    writeFile(path, "[Main]\r\nSamplingFreq=48012,5\r\n");
    fs::create_directories(path + ".new");  // the replacement cannot be written
    IniFile ini(path);
    Settings s;
    s.SamplingFreq = 47000.0;
    EXPECT_FALSE(saveSettings(ini, s));
    EXPECT_EQ(readFile(path), "[Main]\r\nSamplingFreq=48012,5\r\n");
}

TEST(Settings, ImplausibleSamplingRatesKeepTheDefault)
{
    TempDir dir;
    const std::string path = dir.file("VELTRIN.INI");
    for (const char* stored : {"nan", "inf", "-5", "0", "", "abc", "1e30", "39999"}) {
        writeFile(path, std::string("[Main]\r\nSamplingFreq=") + stored + "\r\n");
        Settings s;
        readSamplingFreq(IniFile(path), s);
        EXPECT_EQ(s.SamplingFreq, 48000.0) << stored;
        EXPECT_EQ(s.decimatedRate, 12000.0) << stored;
    }
}

TEST(Settings, EveryValueSurvivesSaveAndLoad)
{
    TempDir dir;
    IniFile ini(dir.file("VELTRIN.INI"));
    Settings out;
    int n = 100;
    for (int* field : {&out.keyingPortType, &out.keyingPortNumber, &out.gpsPort, &out.gpsSpeed, &out.pttPin,
                       &out.power1Pin, &out.power2Pin, &out.EnableX1Rx, &out.EnableX4Rx, &out.EnableX16Rx,
                       &out.EnableX32Rx, &out.centreFreqMilliHz, &out.displayCentre, &out.inverseManipulation,
                       &out.useUtc, &out.rawLogTimeMarks, &out.messageFileTimeMarks, &out.addComment,
                       &out.windowLeft, &out.windowTop, &out.windowHeight, &out.windowWidth, &out.spectrumHeight,
                       &out.browserHeight, &out.browserFontCharset, &out.browserFontColor, &out.browserFontHeight,
                       &out.browserFontPitch, &out.browserFontSize, &out.browserFontStyle, &out.browserGridColor,
                       &out.VeltrinEnabled, &out.CustomPacketEnabled, &out.AprsPassword, &out.TccGateEnabled0,
                       &out.TccGateEnabled1, &out.TccPort0, &out.TccPort1, &out.lptAddress, &out.captureDeviceId})
        *field = n++;
    out.zoom = 4;
    out.waterfallGain = 256;
    out.outputDeviceId = -1;
    out.captureChannel = 2;
    out.outputChannel = 1;
    int t = 0;
    for (std::string* field : {&out.commentText, &out.browserFontName, &out.AprsCall, &out.AprsServer,
                               &out.AprsServer2, &out.AprsServer3, &out.PositionBeacon, &out.StatusBeacon,
                               &out.TccServer0, &out.TccServer1, &out.TccPath0, &out.TccPath1})
        *field = "text" + std::to_string(t++);
    out.DefLat = -33.5;
    out.DefLon = 151.25;
    out.SamplingFreq = 48012.5;
    out.OnTop = 1;
    ASSERT_TRUE(saveSettings(ini, out));

    Settings in;
    readSamplingFreq(ini, in);
    loadSettings(ini, in);
    EXPECT_EQ(readOnTop(ini), 1);
    EXPECT_EQ(in.SamplingFreq, 48012.5);
    EXPECT_EQ(in.DefLat, -33.5);
    EXPECT_EQ(in.DefLon, 151.25);
    const auto ints = [](const Settings& x) {
        return std::vector<int>{x.keyingPortType, x.keyingPortNumber, x.gpsPort, x.gpsSpeed, x.pttPin,
                                x.power1Pin, x.power2Pin, x.EnableX1Rx, x.EnableX4Rx, x.EnableX16Rx,
                                x.EnableX32Rx, x.centreFreqMilliHz, x.displayCentre, x.inverseManipulation,
                                x.useUtc, x.rawLogTimeMarks, x.messageFileTimeMarks, x.addComment, x.windowLeft,
                                x.windowTop, x.windowHeight, x.windowWidth, x.spectrumHeight, x.browserHeight,
                                x.browserFontCharset, x.browserFontColor, x.browserFontHeight,
                                x.browserFontPitch, x.browserFontSize, x.browserFontStyle, x.browserGridColor,
                                x.VeltrinEnabled, x.CustomPacketEnabled, x.AprsPassword, x.TccGateEnabled0,
                                x.TccGateEnabled1, x.TccPort0, x.TccPort1, x.lptAddress, x.captureDeviceId,
                                x.zoom, x.waterfallGain, x.outputDeviceId, x.captureChannel, x.outputChannel};
    };
    const auto texts = [](const Settings& x) {
        return std::vector<std::string>{x.commentText, x.browserFontName, x.AprsCall, x.AprsServer,
                                        x.AprsServer2, x.AprsServer3, x.PositionBeacon, x.StatusBeacon,
                                        x.TccServer0, x.TccServer1, x.TccPath0, x.TccPath1};
    };
    EXPECT_EQ(ints(in), ints(out));
    EXPECT_EQ(texts(in), texts(out));
}

TEST(Settings, PortsSectionMapsComNumbersToDevices)
{
    TempDir dir;
    const std::string path = dir.file("VELTRIN.INI");
    writeFile(path, "[Ports]\r\ncom3=/dev/ttyUSB0\r\nCOM99=/dev/serial/by-id/gps\r\nCOM100=/dev/ttyX\r\n"
                    "COM0=/dev/ttyY\r\nCOM5=\r\n");
    IniFile ini(path);
    Settings s;
    loadSettings(ini, s);
    EXPECT_EQ(s.comPortPaths, (ComPortOverrides{{3, "/dev/ttyUSB0"}, {99, "/dev/serial/by-id/gps"}}));
    struct Case {
        int number;
        const char* path;
        const char* label;
    };
    const Case cases[] = {
        {1, "/dev/ttyS0", "COM1  /dev/ttyS0"},      {3, "/dev/ttyUSB0", "COM3  /dev/ttyUSB0"},
        {4, "/dev/ttyS3", "COM4  /dev/ttyS3"},      {5, "/dev/ttyUSB0", "COM5  /dev/ttyUSB0"},
        {12, "/dev/ttyUSB7", "COM12  /dev/ttyUSB7"}, {13, "/dev/ttyACM0", "COM13  /dev/ttyACM0"},
        {21, "/dev/rfcomm0", "COM21  /dev/rfcomm0"}, {28, "/dev/rfcomm7", "COM28  /dev/rfcomm7"},
        {29, "", "COM29"},                           {99, "/dev/serial/by-id/gps", "COM99  /dev/serial/by-id/gps"},
        {0, "", "COM0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(comPortPath(c.number, s.comPortPaths), c.path) << c.number;
        EXPECT_EQ(comPortLabel(c.number, s.comPortPaths), c.label) << c.number;
    }

    // Written back by Save, read again the same.
    s.comPortPaths[7] = "/dev/ttyAMA0";
    ASSERT_TRUE(saveSettings(ini, s));
    Settings again;
    loadSettings(ini, again);
    EXPECT_EQ(again.comPortPaths, s.comPortPaths);
    EXPECT_NE(readFile(path).find("[Ports]\r\n"), std::string::npos);
}
