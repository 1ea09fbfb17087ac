#pragma once
// The lists the setup dialog shows for audio: the capture devices of
// InCardNumBox, the playback devices of the hidden output list, and the
// one list of audio sources a user chooses from, the sound cards first,
// then UDP and standard input. A choice is a value of the AudioSource
// setting and, for a sound card, of captureDeviceId; nothing else.
#include <string>
#include <vector>

#include "platform/sound_devices.h"

namespace veltrin {

// "DEFAULT", then "n  description" for device n.
std::vector<std::string> captureDeviceItems(const std::vector<SoundDevice>& captureDevices);
// "DEFAULT", "The same as Input", then "n  description" for device n.
std::vector<std::string> playbackDeviceItems(const std::vector<SoundDevice>& playbackDevices);

// The UDP port offered when the settings name none.
inline constexpr int kDefaultUdpPort = 7355;

struct AudioSourceChoice {
    std::string label;         // for the user (Windows-1251)
    std::string source;        // the AudioSource value: "" for a sound card
    int captureDeviceId = -1;  // for a sound card: -1 ALSA's default, else the device number
};

// The sound cards (as captureDeviceItems), then UDP (the port of
// `currentSource` when it is a UDP source, else kDefaultUdpPort), standard
// input, and the current recording when `currentSource` is one.
std::vector<AudioSourceChoice> audioSourceChoices(const std::vector<SoundDevice>& captureDevices,
                                                  const std::string& currentSource);
// The position of what the settings say in `choices`; 0 (DEFAULT) when it
// is not there (a device number that no longer exists).
int audioSourceChoiceIndex(const std::vector<AudioSourceChoice>& choices, const std::string& source,
                           int captureDeviceId);

}  // namespace veltrin
