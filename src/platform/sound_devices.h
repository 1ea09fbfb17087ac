#pragma once
// The sound devices the system offers, as ALSA lists them (its PCM hints):
// the stand-in for the wave-in and wave-out device enumeration. PipeWire
// and PulseAudio appear here through their ALSA plugins.
#include <string>
#include <vector>

namespace veltrin {

enum class SoundDirection { Capture, Playback };

struct SoundDevice {
    std::string name;         // what ALSA opens ("hw:CARD=PCH,DEV=0", "default", ...)
    std::string description;  // for the user, Windows-1251: ALSA's description, lines joined
};

// ALSA's devices that can work in this direction, in ALSA's order. "null"
// (which records silence and plays into nothing) is not a sound device and
// is left out. The list is read afresh on every call; callers that number
// devices keep one list for the run.
std::vector<SoundDevice> listSoundDevices(SoundDirection direction);

// Keeps ALSA's own diagnostics off standard error: every failure reaches
// the user once, through our own message. Safe to call more than once.
void silenceAlsaDiagnostics();

}  // namespace veltrin
