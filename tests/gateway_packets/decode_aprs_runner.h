#pragma once
// Runs a TNC2 packet through decode_aprs (from the Debian package direwolf)
// and reads its human-readable report.
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace veltrin::test {

// decode_aprs on PATH, else in /usr/bin; empty when there is none.
inline std::string findDecodeAprs()
{
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream s(path);
        for (std::string dir; std::getline(s, dir, ':');)
            if (!dir.empty())
                dirs.push_back(dir);
    }
    dirs.push_back("/usr/bin");
    for (const std::string& dir : dirs) {
        const std::string candidate = dir + "/decode_aprs";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

inline std::string shellQuoted(const std::string& s)
{
    std::string q = "'";
    for (const char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// What decode_aprs printed about one packet: its lines without the colour
// escapes and without blank lines. The first line repeats the packet; then
// come the problems found, a line naming the kind of packet ("Object,
// "NAME", ...", "Position with time, ...", "Status Report, ..."), for
// positions "N 56 15.0000, E 037 30.0000[, 31 MPH, course 90]", and the
// comment or status text.
struct DecoderReport {
    std::string packet;  // the packet decoded
    std::vector<std::string> lines;
    std::string output;  // all of it, for messages

    // Lines telling of an error or a warning.
    std::vector<std::string> problems() const
    {
        static const char* const words[] = {"error", "warning", "invalid", "must", "failed",
                                            "unknown", "no-symbol", "could not", "not allowed"};
        std::vector<std::string> found;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            std::string lower = lines[i];
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            for (const char* w : words)
                if (lower.find(w) != std::string::npos) {
                    found.push_back(lines[i]);
                    break;
                }
        }
        return found;
    }

    // "Object", "Position with time", "Status Report", "Position"...
    std::string kind() const { return lines.size() > 1 ? lines[1].substr(0, lines[1].find(',')) : ""; }

    std::string objectName() const
    {
        std::smatch m;
        if (lines.size() > 1 && std::regex_search(lines[1], m, std::regex("^Object, \"([^\"]*)\"")))
            return m[1];
        return {};
    }

    struct Position {
        double latitude = 0.0, longitude = 0.0;
        std::optional<int> mph, course;
    };
    std::optional<Position> position() const
    {
        static const std::regex form(
            "^([NS]) (\\d+) (\\d+\\.\\d+), ([EW]) (\\d+) (\\d+\\.\\d+)(, (\\d+) MPH, course (\\d+))?$");
        for (const std::string& line : lines) {
            std::smatch m;
            if (!std::regex_match(line, m, form))
                continue;
            Position p;
            p.latitude = (std::stod(m[2]) + std::stod(m[3]) / 60.0) * (m[1] == "S" ? -1 : 1);
            p.longitude = (std::stod(m[5]) + std::stod(m[6]) / 60.0) * (m[4] == "W" ? -1 : 1);
            if (m[7].matched) {
                p.mph = std::stoi(m[8]);
                p.course = std::stoi(m[9]);
            }
            return p;
        }
        return std::nullopt;
    }

    // The comment or status text: the last line after the kind (and the
    // position), empty when there is none.
    std::string text() const
    {
        std::size_t first = 2;
        if (position())
            ++first;
        return lines.size() > first ? lines.back() : std::string();
    }
};

inline DecoderReport runDecodeAprs(const std::string& exe, const std::string& packet)
{
    DecoderReport r;
    r.packet = packet;
    char name[] = "/tmp/veltrin-aprs-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0)
        return r;
    ::close(fd);
    std::ofstream(name) << packet << '\n';
    const std::string command = shellQuoted(exe) + " < " + shellQuoted(name) + " 2>&1";
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
            r.output.append(buffer, n);
        ::pclose(p);
    }
    ::unlink(name);
    const std::string plain = std::regex_replace(r.output, std::regex("\x1b\\[[0-9;]*[A-Za-z]"), "");
    std::stringstream s(plain);
    for (std::string line; std::getline(s, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            r.lines.push_back(line);
    }
    return r;
}

// decode_aprs checks source SSIDs as AX.25 does (digits, 0-15) while APRS-IS
// takes letters too (N0CALL-PG). When that is all it objects to, the same
// packet is decoded again with the SSID 15.
inline DecoderReport decodeAprs(const std::string& exe, const std::string& packet)
{
    DecoderReport r = runDecodeAprs(exe, packet);
    const std::vector<std::string> problems = r.problems();
    if (problems.empty())
        return r;
    for (const std::string& p : problems)
        if (p.find("SSID") == std::string::npos && p.find("Bad source address") == std::string::npos &&
            p.find("Could not parse monitoring format") == std::string::npos)
            return r;
    const std::size_t gt = packet.find('>');
    const std::size_t dash = packet.rfind('-', gt);
    if (gt == std::string::npos || dash == std::string::npos)
        return r;
    return runDecodeAprs(exe, packet.substr(0, dash) + "-15" + packet.substr(gt));
}

}  // namespace veltrin::test
