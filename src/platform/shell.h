#pragma once
// Opening a document or a web address with the desktop's own handler, never
// through a shell command line. Errors are the caller's to ignore.
#include <string>

namespace veltrin {

class Shell {
public:
    virtual ~Shell() = default;
    // A local file path or a URL ("https://...", "mailto:...").
    virtual bool openDocument(const std::string& pathOrUrl) = 0;
};

// Records the requests; where no desktop exists (tests, headless runs).
class NullShell : public Shell {
public:
    bool openDocument(const std::string& pathOrUrl) override
    {
        last = pathOrUrl;
        ++count;
        return false;
    }
    std::string last;
    int count = 0;
};

// The manual: beside the executable (the build tree), else in
// ../share/veltrin of it (an installed program); when neither exists, the
// path beside the executable, so that the desktop reports what is missing.
std::string helpFilePath(const std::string& executableDir);
// The folder of the running executable, without trailing separator.
std::string executableDirectory();

}  // namespace veltrin
