#pragma once
// The station's two machine-wide values ("DefaultDir", "Isx64"), kept in a
// small key/value file in the user's configuration folder:
// $XDG_CONFIG_HOME/veltrin/registry.ini, or ~/.config/veltrin/registry.ini.
// Lines are "Name=Value"; names match without regard to case.
#include <optional>
#include <string>

namespace veltrin {

class Registry {
public:
    explicit Registry(std::string path);
    // The file of the current user (from XDG_CONFIG_HOME or HOME).
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    // Opening the key creates it when missing: the folder and an empty file.
    // Returns false when it could not be created.
    bool ensureExists() const;

    std::optional<std::string> readString(const std::string& name) const;
    // A value that is not a decimal integer gives the default.
    int readInt(const std::string& name, int defaultValue) const;
    bool writeString(const std::string& name, const std::string& value);

private:
    std::string path_;
};

}  // namespace veltrin
