#include <gtest/gtest.h>

#include "app/command_line.h"
#include "config/settings.h"

namespace veltrin {
namespace {

struct CommandLineCase {
    const char* line;
    double expectedRate;  // 48000.0: unchanged
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, SetsSamplingRateForTheRun)
{
    Settings s;
    applyCommandLine(GetParam().line, s);
    EXPECT_DOUBLE_EQ(s.SamplingFreq, GetParam().expectedRate) << GetParam().line;
    EXPECT_DOUBLE_EQ(s.decimatedRate, GetParam().expectedRate * 0.25) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineTest,
    ::testing::Values(CommandLineCase{"/S48012.5", 48012.5},
                      CommandLineCase{"/s 48012.5", 48012.5},           // the blank is stripped
                      CommandLineCase{"/S\"48000\"", 48000.0},
                      CommandLineCase{"/S\"47990.25\" ", 47990.25},     // quotes removed, trailing blank
                      CommandLineCase{"/s 44100,5", 44100.5},           // decimal comma
                      CommandLineCase{"/X47000", 48000.0},              // other letters ignored
                      CommandLineCase{"/Q/S47000/Z", 47000.0},          // option ends at the next "/"
                      CommandLineCase{"S47000", 48000.0},               // no "/" changes nothing
                      CommandLineCase{"", 48000.0},
                      CommandLineCase{"/", 48000.0},
                      CommandLineCase{"/S47000 /S47500", 47500.0},      // the last one wins
                      CommandLineCase{"/S", 48000.0},                   // no number
                      CommandLineCase{"/Sabc", 48000.0},
                      CommandLineCase{"/S0", 48000.0},                  // would stop the resampler
                      CommandLineCase{"/S-48000", 48000.0},
                      CommandLineCase{"/S1e30", 48000.0}));

TEST(CommandLine, OptionIsCutAfter99Characters)
{
    // 98 blanks after the letter leave room for one digit of the number only.
    std::string line = "/S" + std::string(97, ' ') + "47000";
    std::vector<std::string> options = splitCommandLineOptions(line);
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].size(), 99u);
    EXPECT_EQ(options[0].back(), '4');
    Settings s;
    EXPECT_FALSE(applyCommandLine(line, s));  // "4" Hz is no rate
    EXPECT_DOUBLE_EQ(s.SamplingFreq, 48000.0);

    std::string fits = "/S" + std::string(93, ' ') + "47000";  // exactly 99
    EXPECT_TRUE(applyCommandLine(fits, s));
    EXPECT_DOUBLE_EQ(s.SamplingFreq, 47000.0);
}

TEST(CommandLine, JoinsArgumentsAfterTheProgramName)
{
    const char* argv[] = {"veltrin", "/s", "48012.5"};
    EXPECT_EQ(joinArguments(3, argv), "/s 48012.5");
    Settings s;
    EXPECT_TRUE(applyCommandLine(joinArguments(3, argv), s));
    EXPECT_DOUBLE_EQ(s.SamplingFreq, 48012.5);
}

}  // namespace
}  // namespace veltrin
