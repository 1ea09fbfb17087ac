#include "platform/ini_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/text_util.h"

namespace veltrin {

namespace {

std::string trim(const std::string& s) { return std::string(trimBlanks(s)); }

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
    bool sectionFound = false;
    int keyLine = -1;   // index of the "key=" line
    int insertAt = 0;   // where a new key of this section goes
};

Location locate(const std::vector<std::string>& lines, const std::string& section,
                const std::string& key)
{
    Location loc;
    // Keys before the first section header form the section "".
    bool inSection = section.empty();
    loc.sectionFound = inSection;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break;  // keys of a repeated section later in the file are not consulted
            inSection = equalsIgnoringCase(name, section);
            if (inSection) {
                loc.sectionFound = true;
                loc.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string k, v;
        if (keyValue(lines[i], k, v) && equalsIgnoringCase(k, key)) {
            loc.keyLine = i;
            return loc;
        }
        if (!trim(lines[i]).empty())
            loc.insertAt = i + 1;
    }
    return loc;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> IniFile::lines() const
{
    if (editing_)
        return edit_;
    std::vector<std::string> result;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

bool IniFile::store(const std::vector<std::string>& lines) const
{
    const std::string temp = path_ + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& l : lines)
            out << l << "\r\n";
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const std::vector<std::string> text = lines();
    Location loc = locate(text, section, key);
    if (loc.keyLine < 0)
        return defaultValue;
    std::string k, v;
    keyValue(text[loc.keyLine], k, v);
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
    return locate(lines(), section, key).keyLine >= 0;
}

bool IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value)
{
    std::vector<std::string> text = lines();  // a missing file starts empty
    Location loc = locate(text, section, key);
    std::string entry = key + "=" + value;
    for (char& c : entry)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (loc.keyLine >= 0) {
        text[loc.keyLine] = entry;
    } else if (loc.sectionFound) {
        text.insert(text.begin() + loc.insertAt, entry);
    } else {
        if (!text.empty() && !trim(text.back()).empty())
            text.push_back("");
        text.push_back("[" + section + "]");
        text.push_back(entry);
    }
    if (editing_) {
        edit_ = std::move(text);
        return true;
    }
    return store(text);
}

bool IniFile::writeInt(const std::string& section, const std::string& key, int value)
{
    return writeString(section, key, std::to_string(value));
}

void IniFile::beginEdit()
{
    edit_ = lines();
    editing_ = true;
}

bool IniFile::commitEdit()
{
    if (!editing_)
        return true;
    editing_ = false;
    const bool ok = store(edit_);
    edit_.clear();
    return ok;
}

}  // namespace veltrin
