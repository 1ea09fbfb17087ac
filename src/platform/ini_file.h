#pragma once
// A settings file with the semantics of the classic profile functions:
// sections and keys match without regard to case, a value enclosed in double
// quotes is read without them, a missing file, section or key gives the
// default, a write creates the file and the section. Lines end in CR LF and
// bytes are kept as they are (Windows-1251).
#include <string>
#include <vector>

namespace veltrin {

class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // Each read consults the file as it is on disk now.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value read as text and converted as a decimal integer (leading
    // blanks and a sign allowed); text that is not a number gives the default.
    int readInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool hasKey(const std::string& section, const std::string& key) const;

    // Returns false when the file could not be written.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInt(const std::string& section, const std::string& key, int value);

private:
    bool load(std::vector<std::string>& lines) const;
    bool store(const std::vector<std::string>& lines) const;

    std::string path_;
};

}  // namespace veltrin
