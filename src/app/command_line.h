#pragma once
// The program's command-line options. Options begin with "/"; "/S<rate>"
// (or "/s") sets the calibrated sound-card rate for this run only.
#include <string>
#include <vector>

namespace veltrin {

struct Settings;

// Each option: the text after a "/" up to the next "/" or the end of the
// line, at most kMaxOptionLength characters.
inline constexpr std::size_t kMaxOptionLength = 99;
std::vector<std::string> splitCommandLineOptions(const std::string& commandLine);

// Applies every option of the line to the settings (SamplingFreq and
// decimatedRate for "/S"); other options, and rates outside the plausible
// range, are ignored. Returns true when the
// sampling rate was set.
bool applyCommandLine(const std::string& commandLine, Settings& settings);

// The arguments after the program name, joined by blanks, as one line.
std::string joinArguments(int argc, const char* const* argv);

}  // namespace veltrin
