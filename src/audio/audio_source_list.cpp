#include "audio/audio_source_list.h"

#include "audio/audio_source.h"

namespace veltrin {

namespace {

void appendDevices(std::vector<std::string>& items, const std::vector<SoundDevice>& devices)
{
    for (std::size_t n = 0; n < devices.size(); ++n)
        items.push_back(std::to_string(n) + "  " + devices[n].description);
}

}  // namespace

std::vector<std::string> captureDeviceItems(const std::vector<SoundDevice>& captureDevices)
{
    std::vector<std::string> items = {"DEFAULT"};
    appendDevices(items, captureDevices);
    return items;
}

std::vector<std::string> playbackDeviceItems(const std::vector<SoundDevice>& playbackDevices)
{
    std::vector<std::string> items = {"DEFAULT", "The same as Input"};
    appendDevices(items, playbackDevices);
    return items;
}

std::vector<AudioSourceChoice> audioSourceChoices(const std::vector<SoundDevice>& captureDevices,
                                                  const std::string& currentSource)
{
    std::vector<AudioSourceChoice> choices;
    const std::vector<std::string> cards = captureDeviceItems(captureDevices);
    for (std::size_t i = 0; i < cards.size(); ++i)
        choices.push_back({cards[i], "", static_cast<int>(i) - 1});

    AudioSourceSpec current;
    const bool readable = parseAudioSourceSpec(currentSource, current).empty();
    AudioSourceSpec udp;
    udp.kind = AudioSourceSpec::Kind::Udp;
    udp.port = kDefaultUdpPort;
    if (readable && current.kind == AudioSourceSpec::Kind::Udp)
        udp = current;
    const std::string udpText = audioSourceText(udp);
    choices.push_back({"UDP " + udpText.substr(4) + " (an SDR program)", udpText, -1});
    choices.push_back({"Standard input", "stdin", -1});
    if (readable && current.kind == AudioSourceSpec::Kind::Wav)
        choices.push_back({"Recording " + current.path, audioSourceText(current), -1});
    return choices;
}

int audioSourceChoiceIndex(const std::vector<AudioSourceChoice>& choices, const std::string& source,
                           int captureDeviceId)
{
    AudioSourceSpec wanted;
    if (!parseAudioSourceSpec(source, wanted).empty())
        return 0;
    const std::string text = audioSourceText(wanted);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const AudioSourceChoice& c = choices[i];
        if (c.source == text && (!text.empty() || c.captureDeviceId == captureDeviceId))
            return static_cast<int>(i);
    }
    return 0;
}

}  // namespace veltrin
