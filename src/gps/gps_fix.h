#pragma once
// One position fix of the own GPS receiver, and the own fix the station keeps
// for its position beacon.
#include <cstdint>

namespace veltrin {

// Values a field holds while it is not known.
inline constexpr std::int32_t kGpsSatellitesUnknown = -1;
inline constexpr double kGpsNoTimeRead = -2000.0;    // seconds
inline constexpr double kGpsNoValidFix = -2000.0;    // timeOfDay
inline constexpr double kGpsEmptyGgaSlot = -1000.0;  // timeOfDay
inline constexpr double kGpsAltitudeUnknown = -99999.99;
inline constexpr double kGpsHdopUnknown = -1.0;

// A value-initialised record is all zero.
struct GpsFix {
    std::uint8_t day = 0;     // of the month
    std::uint8_t month = 0;   // 1..12
    std::uint8_t year = 0;    // modulo 100
    std::uint8_t hour = 0;    // UTC
    std::uint8_t minute = 0;
    std::int32_t satellites = 0;
    double seconds = 0.0;     // of the minute, with fraction
    double timeOfDay = 0.0;   // hour x 3600 + minute x 60 + seconds of a complete fix
    double latitude = 0.0;    // degrees, south negative
    double longitude = 0.0;   // degrees, west negative
    double speedKmh = 0.0;
    double altitude = 0.0;    // metres
    double course = 0.0;      // degrees, as sent
    double hdop = 0.0;
};

// Zeros, then the current UTC date and time of the project clock and the
// given default coordinates: the own fix before any GPS fix is taken over.
void initOwnFix(GpsFix& own, double defLat, double defLon);

}  // namespace veltrin
