// veltrin-decode end to end: the recordings of an independent transmitter,
// a generated recording of several messages, refusals, usage errors and
// storing messages as the station does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <sys/wait.h>

#include "mini_json.h"
#include "modem/gps_payload.h"
#include "platform/cp1251.h"
#include "wav_files.h"

namespace veltrin {
namespace {

using test::Json;
using test::TempDir;

const std::string kBin = VELTRIN_BIN_DIR;
const std::string kData = VELTRIN_TEST_DATA;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<Json> json() const
    {
        std::vector<Json> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(Json::parse(line));
        return lines;
    }
};

std::string readText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

ToolRun runTool(const std::string& tool, const std::string& args, const TempDir& dir)
{
    ToolRun r;
    const std::string errFile = dir.file("stderr.txt");
    const std::string cmd = "'" + kBin + "/" + tool + "' " + args + " 2>'" + errFile + "'";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = readText(errFile);
    return r;
}

void expectMessage(const Json& got, const Json& want, const std::string& file)
{
    EXPECT_EQ(got["file"].text, file);
    for (const char* key : {"speed", "type", "flags", "recipient", "sender", "msgNumber", "length", "faultCount",
                            "symbolCount", "correctedErrors"}) {
        if (want.has(key) && want[key].kind != Json::Null) {
            EXPECT_EQ(got[key].asInt(), want[key].asInt()) << key;
        }
    }
    EXPECT_EQ(got["body"].text, want["body"].text);
    EXPECT_EQ(got["crcOk"].boolean, want["bodyCrcOk"].boolean);
}

// The keys --json adds by message type; an empty text or position means the
// key must be absent.
struct Motion {
    double speed;
    double course;
    std::optional<int> altitude;  // none: null
    double accuracy;
};
struct Position {
    const char* time;  // nullptr: no time, latitude and longitude
    double latitude;
    double longitude;
    std::optional<Motion> motion;
    bool positionCrcOk;
    bool motionCrcOk;
};
struct Content {
    std::optional<std::string> text;
    std::optional<Position> position;
};

void expectContent(const Json& got, const Content& want)
{
    ASSERT_EQ(got.has("text"), want.text.has_value());
    if (want.text) {
        EXPECT_EQ(got["text"].text, *want.text);
    }
    ASSERT_EQ(got.has("position"), want.position.has_value());
    if (!want.position)
        return;
    const Json& p = got["position"];
    const Position& w = *want.position;
    EXPECT_EQ(p["positionCrcOk"].kind, Json::Bool);
    EXPECT_EQ(p["positionCrcOk"].boolean, w.positionCrcOk);
    EXPECT_EQ(p["motionCrcOk"].kind, Json::Bool);
    EXPECT_EQ(p["motionCrcOk"].boolean, w.motionCrcOk);
    for (const char* key : {"time", "latitude", "longitude"})
        EXPECT_EQ(p.has(key), w.time != nullptr) << key;
    if (w.time && p.has("time")) {
        EXPECT_EQ(p["time"].text, w.time);
        // The sender rounds to the nearest unit of the payload.
        const double tolerance = kGpsDegreesPerUnit / 2 + 1e-10;
        EXPECT_NEAR(p["latitude"].number, w.latitude, tolerance);
        EXPECT_NEAR(p["longitude"].number, w.longitude, tolerance);
    }
    for (const char* key : {"speed", "course", "altitude", "accuracy"})
        EXPECT_EQ(p.has(key), w.motion.has_value()) << key;
    if (w.motion && p.has("speed")) {
        EXPECT_DOUBLE_EQ(p["speed"].number, w.motion->speed);
        EXPECT_DOUBLE_EQ(p["course"].number, w.motion->course);
        EXPECT_DOUBLE_EQ(p["accuracy"].number, w.motion->accuracy);
        EXPECT_EQ(p["altitude"].kind, w.motion->altitude ? Json::Number : Json::Null);
        if (w.motion->altitude) {
            EXPECT_EQ(p["altitude"].asInt(), *w.motion->altitude);
        }
    }
}

// The text and position of each recording's messages: their body bytes, and
// the fix time of the stored file name, in recordings.json.
const std::map<std::string, std::vector<Content>> kRecordedContent = {
    {"known_text_s1", {{"CQ 1.46", {}}}},
    {"known_text_s4_48k", {{"Known test at 5.86 Bd", {}}}},
    {"known_text_s16", {{"Three data blocks at 23.44 Bd, all clean.", {}}}},
    {"known_gps_s32", {{{}, Position{"2024-04-05T19:34:38Z", -33.5, -70.25, Motion{36.2, 271.5, 540, 4.8}, true, true}}}},
    {"known_beacon_s32_noisy", {{"Beacon, -3 dB", {}}}},
};

TEST(DecodeTool, RecordingsGiveExactlyTheirMessages)
{
    TempDir dir;
    const Json cases = Json::parse(readText(kData + "/recordings.json"))["cases"];
    ASSERT_FALSE(cases.items.empty());
    for (const Json& c : cases.items) {
        SCOPED_TRACE(c["name"].text);
        const Json& rx = c["receiver"];
        std::ostringstream args;
        args << "--json --sampling-freq " << rx["samplingFreq"].number << " --centre " << rx["centreHz"].number
             << (rx["inverse"].boolean ? " --lsb" : "") << " '" << kData << "/" << c["wav"].text << "'";
        const ToolRun r = runTool("veltrin-decode", args.str(), dir);
        EXPECT_EQ(r.status, 0) << r.err;
        const auto got = r.json();
        const auto& want = c["expected"]["messages"].items;
        ASSERT_EQ(got.size(), want.size()) << r.out;
        for (std::size_t i = 0; i < want.size(); ++i)
            expectMessage(got[i], want[i], kData + "/" + c["wav"].text);
        const auto content = kRecordedContent.find(c["name"].text);
        ASSERT_NE(content, kRecordedContent.end()) << "no text or position given for this recording";
        ASSERT_EQ(content->second.size(), got.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            expectContent(got[i], content->second[i]);
    }
}

std::string repeated(const std::string& s, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += s;
    return out;
}

TEST(DecodeTool, JsonGivesTheTextAsStoredAndThePositionOfGeneratedMessages)
{
    const std::string bullet = "\xE2\x80\xA2";  // U+2022, how the file shows bytes 0x00 and 0x95
    struct Case {
        const char* what;
        std::string genArgs;
        Content want;
    };
    const std::vector<Case> cases = {
        {"Cyrillic text", "--text 'Привет, мир! Ёё №5'", {"Привет, мир! Ёё №5", {}}},
        {"control bytes, quote, backslash, 0x98, 0x00 and filler", "--body-hex 0001090d0a225c7f9895ffc041",
         {bullet + "\x01\t\r\n\"\\\x7F\xC2\x98" + bullet + "яАA", {}}},
        {"Cyrillic beacon", "--type beacon --from 30303 --text 'Маяк \"7\"'", {"Маяк \"7\"", {}}},
        {"fix with motion, text not in the JSON",
         "--type gps --lat 55.7558 --lon 37.6173 --gps-time 2024-02-29T23:59:59Z --gps-speed 12.3"
         " --gps-course 45.67 --gps-alt 156 --gps-accuracy 3.5 --text Moscow",
         {{}, Position{"2024-02-29T23:59:59Z", 55.7558, 37.6173, Motion{12.3, 45.67, 156, 3.5}, true, true}}},
        {"south-west, altitude unknown, extreme motion values",
         "--type gps --lat -33.4489 --lon -179.9999999 --gps-time 1712345400 --gps-speed 6553.5"
         " --gps-course 359.99 --gps-accuracy 0.1",
         {{}, Position{"2024-04-05T19:30:00Z", -33.4489, -179.9999999, Motion{6553.5, 359.99, std::nullopt, 0.1},
                       true, true}}},
        {"motion check wrong", "--type gps --lat 1e-7 --lon -1e-7 --gps-time 86399 --gps-quality 1",
         {{}, Position{"1970-01-01T23:59:59Z", 1e-7, -1e-7, std::nullopt, true, false}}},
        {"position check wrong", "--type gps --lat 10 --lon 10 --gps-time 1712345400 --gps-quality 0",
         {{}, Position{nullptr, 0, 0, std::nullopt, false, false}}},
        {"fix time 0: no position", "--type gps --lat 10 --lon 10 --gps-time 0",
         {{}, Position{nullptr, 0, 0, std::nullopt, true, true}}},
        // 4 letters and 8 zero bytes fill the one block sent; the rest of the
        // 252 bytes was never received.
        {"header lost", "--no-header --text Lost", {"Lost" + repeated(bullet, 248), {}}},
    };
    TempDir dir;
    const std::string wav = dir.file("content.wav");
    std::string genArgs = "--quiet -o '" + wav + "'";
    for (std::size_t i = 0; i < cases.size(); ++i)
        genArgs += (i == 0 ? " " : " --message ") + cases[i].genArgs;
    const ToolRun gen = runTool("veltrin-gen", genArgs, dir);
    ASSERT_EQ(gen.status, 0) << gen.err;

    const std::string store = dir.file("station");
    const ToolRun r = runTool("veltrin-decode", "--json --store '" + store + "' '" + wav + "'", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find_first_of(std::string("\0\x01\t\r", 4)), std::string::npos) << "control bytes escaped";
    const auto got = r.json();
    ASSERT_EQ(got.size(), cases.size()) << r.out;

    // The text is the one the stored message file holds, between its verdict
    // line and its end.
    std::vector<std::string> stored;
    for (const auto& e : std::filesystem::recursive_directory_iterator(store + "/VeltrinData")) {
        const std::string path = e.path().string();
        if (path.find("/MESSAGES.TXT/") != std::string::npos || path.find("/MESSAGES.BEA/") != std::string::npos)
            stored.push_back(cp1251ToUtf8(readText(path)));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        expectContent(got[i], cases[i].want);
        if (!cases[i].want.text)
            continue;
        const std::string inFile = "\r\n" + *cases[i].want.text + "\r\n";
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                                [&](const std::string& f) { return f.find(inFile) != std::string::npos; }))
            << "no message file holds it";
    }
}

TEST(DecodeTool, JsonLinesStayValidForAnyFileName)
{
    // A name with UTF-8 (kept) and a byte that is no UTF-8 at all (escaped).
    TempDir dir;
    const std::string name = dir.file("caf\xC3\xA9-\xFF.wav");
    std::filesystem::copy_file(kData + "/known_gps_s32.wav", name);
    const ToolRun r = runTool("veltrin-decode", "--json '" + name + "'", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("caf\xC3\xA9-\\u00ff.wav\""), std::string::npos) << r.out;
    ASSERT_EQ(r.json().size(), 1u);
}

TEST(DecodeTool, GeneratedRecordingOfSeveralSpeedsDecodesToExactlyItsMessages)
{
    TempDir dir;
    const std::string wav = dir.file("several.wav");
    const ToolRun gen = runTool("veltrin-gen",
                            "--quiet -o '" + wav +
                                "' --rate 24000 --speed 4 --from 777 --to 4242 --number 7 --text 'Five point nine'"
                                " --message --speed 16 --from 31000 --to 2 --number 42 --text 'Twenty three'"
                                " --message --speed 32 --type beacon --from 30303 --number 44 --text Beacon"
                                " --message --speed 1 --from 5 --to 6 --number 1 --text Slow",
                            dir);
    ASSERT_EQ(gen.status, 0) << gen.err;
    const ToolRun r = runTool("veltrin-decode", "--json '" + wav + "'", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto got = r.json();
    const char* want[] = {
        R"({"speed":4,"type":5,"flags":160,"recipient":4242,"sender":777,"msgNumber":7,"length":15,
            "body":"4669766520706f696e74206e696e65","faultCount":0,"bodyCrcOk":true})",
        R"({"speed":16,"type":5,"flags":160,"recipient":2,"sender":31000,"msgNumber":42,"length":12,
            "body":"5477656e7479207468726565","faultCount":0,"bodyCrcOk":true})",
        R"({"speed":32,"type":6,"flags":160,"recipient":0,"sender":30303,"msgNumber":44,"length":6,
            "body":"426561636f6e","faultCount":0,"bodyCrcOk":true})",
        R"({"speed":1,"type":5,"flags":160,"recipient":6,"sender":5,"msgNumber":1,"length":4,
            "body":"536c6f77","faultCount":0,"bodyCrcOk":true})",
    };
    ASSERT_EQ(got.size(), std::size(want)) << r.out;
    for (std::size_t i = 0; i < got.size(); ++i)
        expectMessage(got[i], Json::parse(want[i]), wav);

    // With the 16 Bd decoder off its message is not heard; nothing else changes.
    const ToolRun without16 = runTool("veltrin-decode", "--json --disable 16 '" + wav + "'", dir);
    EXPECT_EQ(without16.status, 0);
    const auto rest = without16.json();
    ASSERT_EQ(rest.size(), 3u) << without16.out;
    EXPECT_EQ(rest[0]["speed"].asInt(), 4);
    EXPECT_EQ(rest[1]["speed"].asInt(), 32);
    EXPECT_EQ(rest[2]["speed"].asInt(), 1);
}

TEST(DecodeTool, RefusedFilesAreReportedAndTheOthersStillDecoded)
{
    TempDir dir;
    ASSERT_TRUE(test::soxWav16(dir, test::testSamples(2000), 44100, 1, dir.file("44k.wav")));
    const std::string good = kData + "/known_gps_s32.wav";
    const ToolRun r = runTool("veltrin-decode",
                          "'" + dir.file("44k.wav") + "' '" + dir.file("none.wav") + "' '" + good + "'", dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("44k.wav: Unsupported sample rate!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("none.wav: File Open Error!"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('%'), std::string::npos) << "no progress line when stderr is not a terminal";
    EXPECT_NE(r.out.find("known_gps_s32.wav: 47Bd type 6 flags A4 from 20202 to 7 #43 len 32 CRC OK"),
              std::string::npos)
        << r.out;
}

TEST(DecodeTool, BadCommandLinesExitWith64)
{
    TempDir dir;
    const std::string file = "'" + kData + "/known_gps_s32.wav'";
    const std::vector<std::string> bad = {"", "--bogus " + file, "--disable 5 " + file,
                                          "--disable 1,,4 " + file, "--sampling-freq 1000 " + file,
                                          "--sampling-freq abc " + file, "--centre 0 " + file, "--centre",
                                          "--start-time '2024-02-30 10:00:00' " + file, "--json=1 " + file};
    for (const std::string& args : bad) {
        SCOPED_TRACE(args);
        const ToolRun r = runTool("veltrin-decode", args, dir);
        EXPECT_EQ(r.status, 64);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("veltrin-decode: "), std::string::npos);
    }
    const ToolRun help = runTool("veltrin-decode", "--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: veltrin-decode"), std::string::npos);
}

TEST(DecodeTool, StoreWritesTheStationsFilesOnTheRecordingsClock)
{
    TempDir dir;
    const std::string store = dir.file("station");
    std::filesystem::create_directories(store);
    {
        std::ofstream ini(store + "/VELTRIN.INI", std::ios::binary);
        ini << "[General]\r\naddComment=1\r\ncommentText=Heard offline\r\nrawLogTimeMarks=1\r\n";
    }
    // A relative file name still means the file beside the caller.
    const std::string relative =
        std::filesystem::relative(kData + "/known_text_s16.wav", std::filesystem::current_path()).string();
    const ToolRun r = runTool("veltrin-decode",
                          "--store '" + store + "' --utc --start-time '2024-04-05 23:59:30' '" + kData +
                              "/known_text_s4_48k.wav' '" + relative + "'",
                          dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);

    // The first message ends about 34 s into the first file, past midnight;
    // the second file continues the clock.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(store + "/VeltrinData"))
        if (e.is_regular_file())
            names.push_back(std::filesystem::relative(e.path(), store + "/VeltrinData").string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 4u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[0], "240405/log240405.txt");
    EXPECT_TRUE(std::regex_match(names[1], std::regex(R"(240406/MESSAGES\.TXT/240406-0000(0[0-9])-REC-OK-0309-1092-29-0\.TXT)")))
        << names[1];
    EXPECT_TRUE(std::regex_match(names[2], std::regex(R"(240406/MESSAGES\.TXT/240406-0000[1-5][0-9]-REC-OK-7918-0002-2A-0\.TXT)")))
        << names[2];
    EXPECT_EQ(names[3], "240406/log240406.txt");

    std::string first;
    for (const auto& e : std::filesystem::directory_iterator(store + "/VeltrinData/240406/MESSAGES.TXT"))
        if (e.path().string().find("-29-0.TXT") != std::string::npos)
            first = readText(e.path().string());
    EXPECT_NE(first.find("Known test at 5.86 Bd"), std::string::npos) << first;
    EXPECT_NE(first.find("Heard offline"), std::string::npos) << "comment from VELTRIN.INI";
    const std::string log = readText(store + "/VeltrinData/240405/log240405.txt");
    EXPECT_NE(log.find("Known test at 5.86 Bd"), std::string::npos) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("<00:00:0[0-9]>"))) << "time marks from VELTRIN.INI: " << log;
}

}  // namespace
}  // namespace veltrin
