// The setup dialog's values: filled from the settings, applied back with
// their reading rules, and only what changed restarted.
#include "app/setup_values.h"

#include <gtest/gtest.h>

#include "config/settings.h"

namespace veltrin {
namespace {

const std::vector<SoundDevice> kCards = {{"hw:0", "Card zero"}, {"hw:1", "Card one"}};

class SetupValuesTest : public ::testing::Test {
protected:
    SetupRestarts applyEdited(void (*edit)(SetupValues&))
    {
        values = fillSetupValues(settings, lists);
        edit(values);
        return applySetupValues(values, lists, settings, false);
    }
    Settings settings;
    SetupLists lists = setupLists(settings, kCards, {});
    SetupValues values;
};

TEST_F(SetupValuesTest, UnchangedValuesRestartNothing)
{
    settings.SamplingFreq = 48012.5;
    settings.DefLat = -33.123456;
    const Settings before = settings;
    const SetupRestarts r = applyEdited([](SetupValues&) {});
    EXPECT_FALSE(r.audio || r.receiveChain || r.keying || r.gps);
    EXPECT_EQ(values.inSamplingRate, "48012.500");
    EXPECT_EQ(settings.SamplingFreq, before.SamplingFreq);
    EXPECT_EQ(settings.DefLat, before.DefLat);
    EXPECT_EQ(settings.pttPin, before.pttPin);
    EXPECT_EQ(settings.AprsPassword, before.AprsPassword);
    EXPECT_EQ(settings.TccPort1, before.TccPort1);
}

TEST_F(SetupValuesTest, SamplingRateReadingRules)
{
    struct Case {
        const char* text;
        double stored;
        bool restart;
    };
    for (const Case& c : {Case{"44100,5", 44100.5, true}, Case{"44100.5", 44100.5, true},
                          Case{"30000", 48000.0, false}, Case{"abc", 48000.0, false},
                          Case{"48000.000001", 48000.0, false}, Case{"900000", 48000.0, false}}) {
        settings = Settings{};
        values = fillSetupValues(settings, lists);
        values.inSamplingRate = c.text;
        const SetupRestarts r = applySetupValues(values, lists, settings, false);
        EXPECT_EQ(settings.SamplingFreq, c.stored) << c.text;
        EXPECT_EQ(settings.decimatedRate, c.stored * 0.25) << c.text;
        EXPECT_EQ(r.receiveChain, c.restart) << c.text;
    }
}

TEST_F(SetupValuesTest, AudioInputIsReopenedOnlyForAnotherChoiceOrChannel)
{
    // "DEFAULT" with the default already chosen.
    EXPECT_EQ(fillSetupValues(settings, lists).inCardIndex, 0);
    EXPECT_FALSE(applyEdited([](SetupValues& v) { v.inCardIndex = 0; }).audio);

    SetupRestarts r = applyEdited([](SetupValues& v) { v.inCardIndex = 2; });  // "1  Card one"
    EXPECT_TRUE(r.audio);
    EXPECT_EQ(r.captureDeviceId, 1);
    EXPECT_EQ(settings.captureDeviceId, 1);
    EXPECT_EQ(fillSetupValues(settings, lists).inCardIndex, 2);

    r = applyEdited([](SetupValues& v) { v.inputChannel = 2; });
    EXPECT_TRUE(r.audio);
    EXPECT_EQ(settings.captureChannel, 2);

    // UDP, chosen from the same list.
    const int udp = static_cast<int>(kCards.size()) + 1;
    ASSERT_EQ(lists.audioChoices[udp].source.rfind("udp:", 0), 0u);
    r = applyEdited([](SetupValues& v) { v.inCardIndex = static_cast<int>(kCards.size()) + 1; });
    EXPECT_TRUE(r.audio);
    EXPECT_EQ(settings.AudioSource, lists.audioChoices[udp].source);
    EXPECT_EQ(settings.captureDeviceId, 1);  // the card number is kept for later
}

TEST_F(SetupValuesTest, GpsPortOrSpeedChangeReopensThePort)
{
    EXPECT_TRUE(applyEdited([](SetupValues& v) { v.gpsSpeed = "4800"; }).gps);
    EXPECT_EQ(settings.gpsSpeed, 4800);
    EXPECT_TRUE(applyEdited([](SetupValues& v) { v.gpsSpeed = "abc"; }).gps);  // reads as 9600
    EXPECT_EQ(settings.gpsSpeed, 9600);
    EXPECT_FALSE(applyEdited([](SetupValues& v) { v.gpsSpeed = "abc"; }).gps);
    EXPECT_TRUE(applyEdited([](SetupValues& v) { v.gpsPortIndex = 13; }).gps);
    EXPECT_EQ(settings.gpsPort, 13);
    EXPECT_EQ(lists.gpsPortItems[13], "COM13  /dev/ttyACM0");
}

TEST_F(SetupValuesTest, TextFieldsAreCutAndNumbersReadAsFarAsTheyGo)
{
    applyEdited([](SetupValues& v) {
        v.aprsCall = "ABCDEFGHIJKLMN";  // 14, taken whole
        v.aprsPassword = "12345x";
        v.aprsServer1 = std::string(70, 's');
        v.positionBeacon = std::string(50, 'p');
        v.traccarPort0 = "50x5";
        v.traccarPort1 = "port";
        v.traccarHost0 = "  host.example  ";
        v.defaultLatitude = "12.5N";
        v.defaultLongitude = "east";
        v.enhanced = true;
    });
    EXPECT_EQ(settings.AprsCall, "ABCDEFGHIJKLMN");
    EXPECT_EQ(settings.AprsPassword, 12345);
    EXPECT_EQ(settings.AprsServer.size(), kAprsServerMax);
    EXPECT_EQ(settings.PositionBeacon.size(), kPositionBeaconMax);
    EXPECT_EQ(settings.TccPort0, 50);
    EXPECT_EQ(values.traccarPort0, "50");  // the edit shows the number
    EXPECT_EQ(settings.TccPort1, 0);
    EXPECT_EQ(values.traccarPort1, "0");
    EXPECT_EQ(settings.TccServer0, "host.example");
    EXPECT_EQ(settings.DefLat, 12.5);
    EXPECT_EQ(settings.enhancedDecoder, 1);
    EXPECT_EQ(settings.DefLon, 0.0);
}

TEST_F(SetupValuesTest, KeyingValuesRestartTheKeyingPort)
{
    EXPECT_TRUE(applyEdited([](SetupValues& v) {
                    v.portType = 1;
                    v.portNumberIndex = 2;
                    v.pttIndex = 2;
                    v.power1Index = 1;
                })
                    .keying);
    EXPECT_EQ(settings.keyingPortType, 1);
    EXPECT_EQ(settings.keyingPortNumber, 3);
    EXPECT_EQ(settings.power1Pin, 1);
    EXPECT_FALSE(applyEdited([](SetupValues&) {}).keying);  // the stored pins come back into the lists

    // No parallel port: an LPT type falls back to none.
    values = fillSetupValues(settings, lists);
    values.portType = 2;
    EXPECT_TRUE(applySetupValues(values, lists, settings, true).keying);
    EXPECT_EQ(settings.keyingPortType, 0);
}

}  // namespace
}  // namespace veltrin
