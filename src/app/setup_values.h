#pragma once
// What the setup dialog shows and edits, as plain values: the dialog copies
// them into its controls and back, the rules of filling and applying live
// here where tests reach them without a window.
#include <string>
#include <vector>

#include "audio/audio_source_list.h"

namespace veltrin {

struct Settings;

// The controls' contents: a list position, a check box or an edit text.
struct SetupValues {
    // " Interface "
    std::string inSamplingRate;   // InSamplingRateEdit
    int inCardIndex = 0;          // InCardNumBox: a position in `audioChoices`
    int inputChannel = 0;         // InputCardChannelBox
    bool reverse = false;         // ReverseBox
    int gpsPortIndex = 0;         // GpsPortBox: 0 "NONE", n COMn
    std::string gpsSpeed;         // GpsSpeedBox
    int outCardIndex = 0;         // hidden OutputCardNumBox
    int outChannel = 0;           // hidden OutputCardChannelBox
    std::string outSamplingRate;  // hidden OutSamplingRateEdit
    // The hidden keying-port controls.
    int portType = 0;             // PortTypeBox
    int portNumberIndex = 0;      // PortNumberBox
    std::string portAddress;      // XPortEdit, four hexadecimal digits
    int pttIndex = 0, power1Index = 0, power2Index = 0;
    // "RX Speeds"
    bool enableX1 = true, enableX4 = true, enableX16 = true, enableX32 = true;
    bool enhanced = false;  // EnhancedDecoderBox: the weak-signal decoding
    // " Text "
    bool useUtc = false, putTime = false, putTimeFiles = false, addComment = false;
    std::string commentText;
    // "I-GATE"
    bool veltrinEnabled = false, customEnabled = true;
    std::string aprsCall, aprsPassword, aprsServer1, aprsServer2, aprsServer3;
    std::string positionBeacon, statusBeacon, defaultLatitude, defaultLongitude;
    // "Traccar Gate"
    bool traccar0 = false, traccar1 = false;
    std::string traccarHost0, traccarPort0, traccarPath0, traccarHost1, traccarPort1, traccarPath1;
};

// The longest inputs the edits take.
inline constexpr int kAprsCallInputMax = 14;
inline constexpr int kAprsServerInputMax = 60;
inline constexpr int kPositionBeaconInputMax = 42;
inline constexpr int kStatusBeaconInputMax = 60;
inline constexpr int kCoordinateInputMax = 14;
inline constexpr int kTraccarTextInputMax = 250;
inline constexpr int kTraccarPortInputMax = 60;

// The item lists of the dialog.
struct SetupLists {
    std::vector<AudioSourceChoice> audioChoices;  // InCardNumBox
    std::vector<std::string> outputItems;         // hidden OutputCardNumBox
    std::vector<std::string> gpsPortItems;        // "NONE", "COM1  /dev/ttyS0", ...
};
inline constexpr int kGpsPortItems = 45;  // COM1..COM45 (more when the Ports section names higher ones)
SetupLists setupLists(const Settings& s, const std::vector<SoundDevice>& captureDevices,
                      const std::vector<SoundDevice>& playbackDevices);

// fillSetupDialog: every setting into its control.
SetupValues fillSetupValues(const Settings& s, const SetupLists& lists);

// What applying the values needs restarted besides storing them.
struct SetupRestarts {
    bool audio = false;  // reopen the audio input with the new source / device
    std::string audioSource;
    int captureDeviceId = -1;
    bool receiveChain = false;  // the sampling rate changed
    bool keying = false;        // configure the keying port again
    bool gps = false;           // reopen the GPS port
};

// applySetup's storing steps, in their order. `values` gets back what the
// edits show afterwards (the Traccar ports as numbers). `parallelDriverMissing`
// turns an LPT type into "NONE".
SetupRestarts applySetupValues(SetupValues& values, const SetupLists& lists, Settings& s,
                               bool parallelDriverMissing);

// "44100,5" reads as 44100.5 (a comma counts as the point); no number is 0.
double readSetupRate(const std::string& text);
// "50x5" is 50, "abc" 0: a decimal integer as far as the digits go.
int leadingInteger(const std::string& text);

}  // namespace veltrin
