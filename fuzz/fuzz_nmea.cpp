// The NMEA feed on arbitrary serial bytes: sentences of any length, broken
// checksums and fields, with the clock moving by the input's own bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "gps/nmea_receiver.h"

using namespace veltrin;

namespace {

struct CheckingSink : GpsStatusSink {
    void publish(const std::string& text, const GpsFix*) override
    {
        // A status line fits the receive window's line and has no line break.
        VELTRIN_FUZZ_CHECK(text.size() < 1024);
        VELTRIN_FUZZ_CHECK(text.find('\n') == std::string::npos);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The whole input as one line, as the checksum test sees it.
    std::string line(reinterpret_cast<const char*>(data), size);
    checkNmeaChecksum(line.c_str());

    CheckingSink sink;
    std::uint32_t now = 0;
    GpsReceiver receiver(sink, [&now] { return now; });
    // Bytes in pieces as the port delivers them; a NUL byte moves the clock
    // (enough to pass the no-data period sometimes).
    std::size_t at = 0;
    while (at < size) {
        std::size_t piece = 1 + data[at] % 64;
        if (piece > size - at)
            piece = size - at;
        receiver.feedBytes(reinterpret_cast<const char*>(data + at), piece);
        for (std::size_t i = at; i < at + piece; ++i)
            if (data[i] == 0)
                now += 700;
        receiver.noDataPeriodElapsed();
        at += piece;
    }
    // Byte by byte, with the line feed the thread puts before a "$".
    GpsReceiver byByte(sink, [&now] { return now; });
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '$')
            byByte.feedNmeaChar('\n');
        byByte.feedNmeaChar(static_cast<char>(data[i]));
    }
    return 0;
}
