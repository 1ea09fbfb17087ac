#include "platform/registry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace veltrin {

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string trimmed(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

}  // namespace

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

std::optional<std::string> Registry::readString(const std::string& name) const
{
    for (const std::string& line : readLines(path_)) {
        std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        if (sameName(trimmed(line.substr(0, eq)), name))
            return trimmed(line.substr(eq + 1));
    }
    return std::nullopt;
}

int Registry::readInt(const std::string& name, int defaultValue) const
{
    std::optional<std::string> text = readString(name);
    if (!text || text->empty())
        return defaultValue;
    char* end = nullptr;
    long value = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || *end != '\0')
        return defaultValue;
    return static_cast<int>(value);
}

bool Registry::writeString(const std::string& name, const std::string& value)
{
    if (!ensureExists())
        return false;
    std::vector<std::string> lines = readLines(path_);
    bool replaced = false;
    for (std::string& line : lines) {
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && sameName(trimmed(line.substr(0, eq)), name)) {
            line = name + "=" + value;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        lines.push_back(name + "=" + value);
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines)
        out << line << '\n';
    return static_cast<bool>(out.flush());
}

}  // namespace veltrin
