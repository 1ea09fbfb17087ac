#include "platform/registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/ini_file.h"

namespace veltrin {

Registry::Registry(std::string path) : path_(std::move(path)) {}

std::string Registry::defaultPath()
{
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".config";
    }
    return (base / "veltrin" / "registry.ini").string();
}

bool Registry::ensureExists() const
{
    std::error_code ec;
    if (std::filesystem::exists(path_, ec))
        return true;
    std::filesystem::path p(path_);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    return static_cast<bool>(out);
}

// The values are keys before any section of a settings-style file.
std::optional<std::string> Registry::readString(const std::string& name) const
{
    const IniFile file(path_);
    if (!file.hasKey("", name))
        return std::nullopt;
    return file.readString("", name, "");
}

int Registry::readInt(const std::string& name, int defaultValue) const
{
    return IniFile(path_).readInt("", name, defaultValue);
}

bool Registry::writeString(const std::string& name, const std::string& value)
{
    if (!ensureExists())
        return false;
    IniFile file(path_);
    return file.writeString("", name, value);
}

}  // namespace veltrin
