#pragma once
// The choice of the working directory at start: the current one when it
// holds the settings file, otherwise the registry's "DefaultDir".
#include <string>

namespace veltrin {

class Registry;

struct WorkingDirectoryChoice {
    bool changed = false;    // the current directory was changed to dir
    std::string dir;
};

// Keeps the current directory when it holds settingsFileName (the registry is
// then not read). Otherwise opens the registry (creating it when missing)
// and, when it names a DefaultDir that can be entered, enters it. A missing
// value or a directory that cannot be entered leaves everything as it is.
WorkingDirectoryChoice selectWorkingDirectory(const Registry& registry,
                                              const std::string& settingsFileName = "VELTRIN.INI");

// A path named on a command line, made absolute against the current
// directory before the program moves to its working directory (unchanged
// when that fails).
std::string absolutePath(const std::string& path);

// The receive window's notice after a change: two lines, CR LF ended.
std::string workingDirectoryNotice(const std::string& dir);

}  // namespace veltrin
