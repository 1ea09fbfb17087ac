// The dispatcher fed arbitrary finished messages: whatever the header, body
// and counts hold, the files it writes have plain names and every KML file
// stays well-formed UTF-8 XML.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/settings.h"
#include "fuzz_util.h"
#include "messages/data_folders.h"
#include "messages/dispatcher.h"
#include "modem/crc16.h"
#include "modem/gps_payload.h"
#include "platform/clock.h"
#include "platform/ui_ports.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

struct QuietPanels : StatusPanels {
    void setPanelText(int, const std::string&) override {}
};
struct QuietBoxes : MessageBoxes {
    void showMessage(const std::string&, const std::string&) override {}
};

bool plainName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (c < 32 || c > 126 || std::strchr("\\/:*?\"<>|", c))
            return false;
    return true;
}

bool validUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (int k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        if (n == 1 && c < 32 && c != '\t' && c != '\r' && c != '\n')
            return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

// Tags balanced, attributes and text free of a bare "<" or "&".
bool wellFormedXml(const std::string& s)
{
    std::vector<std::string> open;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            static const char* const entities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
            bool known = false;
            for (const char* e : entities)
                known = known || s.compare(i, std::strlen(e), e) == 0;
            if (!known)
                return false;
            continue;
        }
        if (s[i] != '<')
            continue;
        const std::size_t end = s.find('>', i);
        if (end == std::string::npos)
            return false;
        const std::string tag = s.substr(i + 1, end - i - 1);
        i = end;
        if (tag.empty() || tag.find('<') != std::string::npos)
            return false;
        if (tag[0] == '?' || tag[0] == '!')
            continue;
        if (tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return false;
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(tag.substr(0, tag.find_first_of(" \t\r\n")));
        }
    }
    return open.empty();
}

std::string readWhole(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = [] {
        fs::current_path(fuzz::scratchDir());
        setClockSource([] { return std::time_t{1647347696}; });  // 2022-03-15 12:34:56
        return true;
    }();
    (void)ready;
    if (size < 2)
        return 0;
    const std::uint8_t control = data[0];
    data += 1;
    size -= 1;

    ReceivedMessage m;
    std::uint8_t headerBytes[kMsgHeaderBytes] = {};
    std::memcpy(headerBytes, data, std::min<std::size_t>(size, kMsgHeaderBytes));
    m.header = Msg_header::fromBytes(headerBytes);
    m.body.fill(kBodyFiller);
    const std::size_t bodyBytes = size > kMsgHeaderBytes ? std::min<std::size_t>(size - kMsgHeaderBytes, kBodyBytes) : 0;
    if (bodyBytes)
        std::memcpy(m.body.data(), data + kMsgHeaderBytes, bodyBytes);
    // Sealed checks let the fuzzer reach the paths of clean GPS messages.
    if (control & 1) {
        GpsPayload p = GpsPayload::fromBytes(m.body.data());
        p.sealChecks();
        p.toBytes(m.body.data());
    }
    if (control & 2)
        m.header.bodyCrc = crc16(m.body.data(), m.header.length);
    static const int speeds[4] = {1, 4, 16, 32};
    m.speed = (control & 4) ? speeds[(control >> 3) & 3] : static_cast<signed char>(control);
    m.faultCount = (control & 0x20) ? 0 : static_cast<signed char>(headerBytes[3]);
    m.correctedErrors = (control & 0x40) ? headerBytes[4] : -static_cast<int>(headerBytes[5]);
    m.symbolCount = (control & 0x80) ? 0 : headerBytes[6] * 60;

    static Settings settings;
    settings.useUtc = (control >> 4) & 1;
    static QuietPanels panels;
    static QuietBoxes boxes;
    static MessageDispatcher dispatcher(settings, panels, boxes);
    dispatcher.dispatchReceivedMessage(m);

    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(kDataFolder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        VELTRIN_FUZZ_CHECK(plainName(name));
        if (it->is_regular_file() && it->path().extension() == ".KML") {
            const std::string kml = readWhole(it->path());
            VELTRIN_FUZZ_CHECK(validUtf8(kml));
            VELTRIN_FUZZ_CHECK(wellFormedXml(kml));
        }
    }
    fs::remove_all(kDataFolder, ec);
    return 0;
}
