#pragma once
// The headless station: the station engine with no window and no display,
// for unattended receivers. Receive-window text goes to standard output
// (UTF-8) as it arrives; message boxes, status-panel changes and the GPS
// status line go to standard error, each line prefixed with what it is.
// SIGINT and SIGTERM run the normal shutdown; SIGUSR1 and SIGUSR2 send the
// position and the status beacon.
#include <string>
#include <vector>

namespace veltrin {

struct HeadlessOptions {
    bool headless = false;    // --headless was given
    bool help = false;
    bool listPorts = false;   // --list-ports
    std::string workdir;      // --workdir DIR
    std::string audio;        // --audio SOURCE
    bool fast = false;        // --fast
    bool listAudio = false;   // --list-audio: print the audio sources and exit
    bool enhanced = false;    // --enhanced: the enhanced decoding for this run
    std::string startTime;    // --start-time "YYYY-MM-DD hh:mm:ss": a clock that runs with the audio
    bool utc = false;         // --utc: the start time is UTC
    std::string recordFile;   // --record FILE: the WAV capture file, open from the start
    std::string slashOptions; // the "/" options (e.g. /S48012.5), as the window takes them
};

// Exit statuses besides 0.
inline constexpr int kHeadlessExitUsage = 64;
inline constexpr int kHeadlessExitNoAudio = 66;     // the audio input could not be used
inline constexpr int kHeadlessExitCantCreate = 73;  // the working directory cannot be used

// True when the arguments ask for the headless station (so the window is
// not created at all).
bool wantsHeadless(int argc, const char* const* argv);

// Returns an error text for the usage message, empty on success.
std::string parseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions& options);
const char* headlessUsageText();

// Runs the station until a signal ends it or, for standard input and
// recordings, until the audio is used up. Returns the exit status.
int runHeadless(const HeadlessOptions& options);

}  // namespace veltrin
