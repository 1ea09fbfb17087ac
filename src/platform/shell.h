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
    // Lets the user choose the program that opens a local path; the path
    // reaches that program as one argument. Nothing happens by default.
    virtual bool openWith(const std::string& /*path*/) { return false; }
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
    bool openWith(const std::string& path) override
    {
        lastOpenWith = path;
        ++openWithCount;
        return false;
    }
    std::string last;
    int count = 0;
    std::string lastOpenWith;
    int openWithCount = 0;
};

// The manual: beside the executable (the build tree), else in
// ../share/veltrin of it (an installed program); when neither exists, the
// path beside the executable, so that the desktop reports what is missing.
std::string helpFilePath(const std::string& executableDir);
// The folder of the running executable, without trailing separator.
std::string executableDirectory();

}  // namespace veltrin
