#include "platform/sound_devices.h"

#include <alsa/asoundlib.h>

#include <cstdlib>
#include <mutex>

#include "platform/cp1251.h"

namespace veltrin {

namespace {

void quietHandler(const char*, int, const char*, int, const char*, ...) {}

// ALSA hands out malloc'ed strings; an empty string for none.
std::string takeHint(const void* hint, const char* id)
{
    char* value = snd_device_name_get_hint(hint, id);
    std::string text = value ? value : "";
    std::free(value);
    return text;
}

// "HDA Intel PCH, ALC892 Analog\nDirect hardware device..." in one line: the
// second line is what tells hw from plughw from dsnoop of one card.
std::string oneLine(const std::string& description)
{
    std::string out;
    std::size_t start = 0;
    while (start <= description.size()) {
        std::size_t end = description.find('\n', start);
        if (end == std::string::npos)
            end = description.size();
        const std::string line = description.substr(start, end - start);
        if (!line.empty())
            out += (out.empty() ? "" : " - ") + line;
        start = end + 1;
    }
    return out;
}

}  // namespace

void silenceAlsaDiagnostics()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(quietHandler); });
}

std::vector<SoundDevice> listSoundDevices(SoundDirection direction)
{
    silenceAlsaDiagnostics();
    std::vector<SoundDevice> devices;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
        return devices;
    const char* wanted = direction == SoundDirection::Capture ? "Input" : "Output";
    for (void** hint = hints; *hint; ++hint) {
        const std::string name = takeHint(*hint, "NAME");
        // No IOID: the device works both ways.
        const std::string ioid = takeHint(*hint, "IOID");
        if (name.empty() || name == "null" || (!ioid.empty() && ioid != wanted))
            continue;
        std::string description = oneLine(takeHint(*hint, "DESC"));
        if (description.empty())
            description = name;
        devices.push_back(SoundDevice{name, utf8ToCp1251(description)});
    }
    snd_device_name_free_hint(hints);
    return devices;
}

}  // namespace veltrin
