#pragma once
// A settings file with the semantics of the classic profile functions:
// sections and keys match without regard to case, a value enclosed in double
// quotes is read without them, a missing file, section or key gives the
// default, a write creates the file and the section. Lines end in CR LF and
// bytes are kept as they are (Windows-1251). Keys before the first section
// belong to the section named "".
#include <string>
#include <vector>

namespace veltrin {

class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // Each read consults the file as it is on disk now (or the pending edit).
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value read as text and converted as a decimal integer (leading
    // blanks and a sign allowed); text that is not a number in the int range
    // gives the default.
    int readInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool hasKey(const std::string& section, const std::string& key) const;

    // Returns false when the file could not be written. Line breaks in a
    // value would split it into lines of their own, so they become blanks.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInt(const std::string& section, const std::string& key, int value);

    // Between beginEdit and commitEdit, writes only change the text held in
    // memory; commitEdit stores it once. Every store replaces the file as a
    // whole (a new file renamed over the old one), so a write that fails
    // halfway never leaves a truncated settings file.
    void beginEdit();
    bool commitEdit();

private:
    std::vector<std::string> lines() const;
    bool store(const std::vector<std::string>& lines) const;

    std::string path_;
    bool editing_ = false;
    std::vector<std::string> edit_;
};

}  // namespace veltrin
