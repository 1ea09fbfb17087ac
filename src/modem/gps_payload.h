#pragma once
// The packed 24-byte position at the start of every GPS message body.
#include <cstdint>

namespace veltrin {

inline constexpr double kGpsDegreesPerUnit = 9.313225746154785e-08;  // 25 / 2^28
inline constexpr int kGpsPayloadBytes = 24;

// Fields in host order; fromBytes/toBytes give the little-endian air layout.
struct GpsPayload {
    std::uint32_t fixTime = 0;        // seconds since 1970 UTC, 0 = no position
    std::int32_t latitude = 0;        // units of kGpsDegreesPerUnit, north positive
    std::int32_t longitude = 0;       // east positive
    std::uint16_t speed = 0;          // 0.1 km/h
    std::uint16_t course = 0;         // 0.01 degree
    std::int16_t altitude = 0;        // metres; below -9000 unknown
    std::uint16_t accuracy = 0;       // 0.1 m
    std::uint16_t positionCheck = 0;  // CRC-16 of bytes 0..11
    std::uint16_t motionCheck = 0;    // CRC-16 of bytes 12..19

    static GpsPayload fromBytes(const std::uint8_t* bytes);  // reads 24 bytes
    void toBytes(std::uint8_t* bytes) const;                 // writes 24 bytes
    void sealChecks();                                       // sets both checks from the fields
};

// Whether the CRC-16 of the position block (bytes 0..11) and of the motion
// block (bytes 12..19) match their check fields.
bool gpsPositionCheckOk(const std::uint8_t* bytes24);
bool gpsMotionCheckOk(const std::uint8_t* bytes24);

// 0 no usable position (fixTime 0 or position check wrong), 1 position only,
// 2 position and motion.
int gpsPositionQuality(const std::uint8_t* bytes24);

}  // namespace veltrin
