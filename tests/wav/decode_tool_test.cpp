// veltrin-decode end to end: the recordings of an independent transmitter,
// a generated recording of several messages, refusals, usage errors and
// storing messages as the station does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

#include "mini_json.h"
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
