#pragma once
// The GPS thread's reading of NMEA 0183: bytes into sentences, checksums,
// RMC and GGA into one fix, and the status line published for each step.
// The RMC of a second is paired with the GGA of the same second, whichever
// of the two the receiver sends first. GPS thread only.
#include <cstdint>
#include <functional>
#include <string>

#include "gps/gps_fix.h"

namespace veltrin {

// Where the receiver's results go: the status line, and with a complete fix
// the fix itself (null otherwise).
class GpsStatusSink {
public:
    virtual ~GpsStatusSink() = default;
    virtual void publish(const std::string& text, const GpsFix* fix) = 0;
};

// The three kinds of status line the sentences give.
enum class GpsStatusMode { NoFix, TimeOnly, Fix };

// The line of a mode, built from `fix`.
std::string gpsStatusText(GpsStatusMode mode, const GpsFix& fix);

// True when the line starts with "$", has a "*" and the hexadecimal number
// after it equals the exclusive OR of everything between the two.
bool checkNmeaChecksum(const char* line);

class GpsReceiver {
public:
    using TickSource = std::function<std::uint32_t()>;  // milliseconds

    static constexpr int kLineMax = 250;
    static constexpr std::uint32_t kNoDataPeriodMs = 10000;

    // `ticks` defaults to the steady clock.
    explicit GpsReceiver(GpsStatusSink& sink, TickSource ticks = {});

    // One byte from the port. A "$" must be preceded by a line feed (the
    // thread does that), so that it always starts a new sentence.
    void feedNmeaChar(char c);
    // Bytes as the thread reads them: every "$" starts a new sentence.
    void feedBytes(const char* bytes, std::size_t count);
    // True (and the period restarts) when no RMC has come for more than 10 s.
    bool noDataPeriodElapsed();

    // A complete line without its line end.
    void handleNmeaSentence(const char* line);
    bool parseRmc(const char* line);
    bool parseGga(const char* line, GpsFix& slot);

    const GpsFix& fix() const { return fix_; }
    const GpsFix& ggaSlot(int index) const { return ggaSlots_[index & 1]; }

private:
    // The candidate GGA slot for the fix, or null when none is within 0.9 s.
    const GpsFix* pairingSlot() const;
    void publishGpsStatus(GpsStatusMode mode);

    GpsStatusSink& sink_;
    TickSource ticks_;
    std::uint32_t lastRmcTick_ = 0;
    char line_[kLineMax + 1] = {};
    int lineLength_ = 0;
    int ggaSlotIndex_ = -1;
    GpsFix fix_{};
    GpsFix ggaSlots_[2]{};
};

}  // namespace veltrin
