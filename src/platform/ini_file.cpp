#include "platform/ini_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace veltrin {

namespace {

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

bool equalNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// "[name]" gives name; anything else is not a section line.
bool sectionName(const std::string& line, std::string& name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    std::size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives key and raw value; comments and other lines do not.
bool keyValue(const std::string& line, std::string& key, std::string& value)
{
    std::string t = trim(line);
    if (t.empty() || t[0] == ';')
        return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return !key.empty();
}

struct Location {
    int sectionLine = -1;  // index of the "[section]" line
    int keyLine = -1;      // index of the "key=" line
    int insertAt = -1;     // where a new key of this section goes
};

Location locate(const std::vector<std::string>& lines, const std::string& section,
                const std::string& key)
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break;  // keys of a repeated section later in the file are not consulted
            inSection = equalNoCase(name, section);
            if (inSection) {
                loc.sectionLine = i;
                loc.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string k, v;
        if (keyValue(lines[i], k, v)) {
            if (equalNoCase(k, key)) {
                loc.keyLine = i;
                return loc;
            }
        }
        if (!trim(lines[i]).empty())
            loc.insertAt = i + 1;
    }
    return loc;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::load(std::vector<std::string>& lines) const
{
    lines.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return true;
}

bool IniFile::store(const std::vector<std::string>& lines) const
{
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    for (const std::string& l : lines)
        out << l << "\r\n";
    out.flush();
    return static_cast<bool>(out);
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    std::vector<std::string> lines;
    if (!load(lines))
        return defaultValue;
    Location loc = locate(lines, section, key);
    if (loc.keyLine < 0)
        return defaultValue;
    std::string k, v;
    keyValue(lines[loc.keyLine], k, v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.substr(1, v.size() - 2);
    return v;
}

int IniFile::readInt(const std::string& section, const std::string& key, int defaultValue) const
{
    std::string text = readString(section, key, std::to_string(defaultValue));
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return defaultValue;
    return static_cast<int>(v);
}

bool IniFile::hasKey(const std::string& section, const std::string& key) const
{
    std::vector<std::string> lines;
    if (!load(lines))
        return false;
    return locate(lines, section, key).keyLine >= 0;
}

bool IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value)
{
    std::vector<std::string> lines;
    load(lines);  // a missing file starts empty
    Location loc = locate(lines, section, key);
    std::string entry = key + "=" + value;
    if (loc.keyLine >= 0) {
        lines[loc.keyLine] = entry;
    } else if (loc.sectionLine >= 0) {
        lines.insert(lines.begin() + loc.insertAt, entry);
    } else {
        if (!lines.empty() && !trim(lines.back()).empty())
            lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    return store(lines);
}

bool IniFile::writeInt(const std::string& section, const std::string& key, int value)
{
    return writeString(section, key, std::to_string(value));
}

}  // namespace veltrin
