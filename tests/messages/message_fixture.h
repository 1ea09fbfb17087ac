#pragma once
// Shared pieces of the storage tests: a temporary working folder, a fixed
// clock, recorders for the window ports and message builders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/settings.h"
#include "messages/browser_port.h"
#include "messages/gateway_port.h"
#include "modem/crc16.h"
#include "modem/gps_payload.h"
#include "platform/clock.h"
#include "platform/ui_ports.h"

namespace veltrin::test {

namespace fs = std::filesystem;

// One ordered trail of everything the storage code tells the outside world.
struct EventTrail {
    std::vector<std::string> events;
    void add(std::string e) { events.push_back(std::move(e)); }
    int count(const std::string& e) const
    {
        int n = 0;
        for (const auto& x : events)
            n += x == e;
        return n;
    }
    int indexOf(const std::string& e) const
    {
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i] == e)
                return static_cast<int>(i);
        return -1;
    }
};

struct RecordingPanels : StatusPanels {
    EventTrail& trail;
    explicit RecordingPanels(EventTrail& t) : trail(t) {}
    void setPanelText(int index, const std::string& text) override
    {
        trail.add("panel" + std::to_string(index) + ":" + text);
    }
};

struct RecordingBoxes : MessageBoxes {
    EventTrail& trail;
    std::vector<std::string> shown;  // "caption|text"
    explicit RecordingBoxes(EventTrail& t) : trail(t) {}
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + "|" + text);
        trail.add("box:" + caption + "|" + text);
    }
};

struct RecordingGateway : GatewayPort {
    EventTrail& trail;
    std::vector<double> errorRates;
    explicit RecordingGateway(EventTrail& t) : trail(t) {}
    int markBeacon(const Msg_header&, const MessageBody&, int faults) override
    {
        trail.add("markBeacon:" + std::to_string(faults));
        return 0;
    }
    int reportToTraccar(const Msg_header&, const MessageBody&, const std::string& label, double rate,
                        int faultCount) override
    {
        errorRates.push_back(rate);
        trail.add("reportToTraccar:" + label + ":" + std::to_string(faultCount));
        return 0;
    }
    int gatePositionReport(const Msg_header&, const MessageBody&, const std::string& label, double rate,
                           int faultCount) override
    {
        errorRates.push_back(rate);
        trail.add("gatePositionReport:" + label + ":" + std::to_string(faultCount));
        return 0;
    }
    int gateStatusReport(const Msg_header&, const MessageBody&) override
    {
        trail.add("gateStatusReport");
        return 0;
    }
    int gateCustomPacket(const Msg_header&, const MessageBody&) override
    {
        trail.add("gateCustomPacket");
        return 0;
    }
};

// Nodes are the strings "day" and "day/name"; one of them can be focused.
struct RecordingBrowser : BrowserPort {
    EventTrail& trail;
    std::vector<std::string> nodes;
    std::string focused;
    explicit RecordingBrowser(EventTrail& t) : trail(t) { nodes.reserve(64); }
    BrowserNode node(const std::string& name)
    {
        for (auto& n : nodes)
            if (n == name)
                return &n;
        nodes.push_back(name);
        return &nodes.back();
    }
    BrowserNode ensureDayNode(const std::string& day) override { return node(day); }
    BrowserNode ensureFolderNode(BrowserNode day, const std::string& name, int kind) override
    {
        if (!day)
            return nullptr;
        const std::string path = *static_cast<std::string*>(day) + "/" + name;
        trail.add("folderNode:" + path + ":" + std::to_string(kind));
        return node(path);
    }
    bool isFocusedNode(BrowserNode n) const override
    {
        return n && *static_cast<std::string*>(n) == focused;
    }
    void LeftTreeAfterSelectionChange() override { trail.add("refreshList"); }
    void revealNode(BrowserNode n) override { trail.add("reveal:" + *static_cast<std::string*>(n)); }
};

inline std::time_t utcTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return timegm(&tm);
}

inline std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Runs every test in a fresh temporary working folder with the clock fixed.
class StorageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        oldCwd_ = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        dir_ = fs::temp_directory_path() / ("veltrin-msg-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        settings.useUtc = 1;
        setTime(2022, 3, 15, 12, 34, 56);
    }
    void TearDown() override
    {
        setClockSource({});
        fs::current_path(oldCwd_);
        std::error_code ec;
        // Undo permission changes so the folder can be removed.
        for (auto& e : fs::recursive_directory_iterator(dir_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    void setTime(int year, int month, int day, int hour, int minute, int second)
    {
        const std::time_t t = utcTime(year, month, day, hour, minute, second);
        setClockSource([t] { return t; });
    }
    fs::path dir() const { return dir_; }

    Settings settings;
    EventTrail trail;
    RecordingPanels panels{trail};
    RecordingBoxes boxes{trail};

private:
    fs::path oldCwd_;
    fs::path dir_;
};

// A message of the given type whose body is `text` (filler after it) and
// whose header carries the right body CRC.
inline MessageBody bodyWith(const std::string& bytes)
{
    MessageBody body;
    body.fill(0x95);
    for (std::size_t i = 0; i < bytes.size() && i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(bytes[i]);
    return body;
}

inline Msg_header headerFor(std::uint8_t type, std::uint8_t flags, const MessageBody& body, int length)
{
    Msg_header h;
    h.type = type;
    h.flags = flags;
    h.sender = 4660;      // 0x1234
    h.recipient = 22136;  // 0x5678
    h.msgNumber = 7;
    h.length = static_cast<std::uint8_t>(length);
    h.bodyCrc = crc16(body.data(), static_cast<std::size_t>(length));
    return h;
}

// The body of a GPS message: a sealed payload, then the text.
inline std::string gpsBytes(const GpsPayload& payload, const std::string& text)
{
    std::uint8_t raw[kGpsPayloadBytes];
    payload.toBytes(raw);
    return std::string(reinterpret_cast<const char*>(raw), kGpsPayloadBytes) + text;
}

inline GpsPayload samplePosition(std::time_t fixTime)
{
    GpsPayload p;
    p.fixTime = static_cast<std::uint32_t>(fixTime);
    p.latitude = static_cast<std::int32_t>(55.0 / kGpsDegreesPerUnit);    // 55 N
    p.longitude = static_cast<std::int32_t>(-82.5 / kGpsDegreesPerUnit);  // 82.5 W
    p.speed = 123;      // 12.3 km/h
    p.course = 4550;    // 45.5 degrees
    p.altitude = 150;
    p.accuracy = 35;    // 3.5 m
    p.sealChecks();
    return p;
}

}  // namespace veltrin::test
