#include "modem/gps_payload.h"

#include "modem/crc16.h"

namespace veltrin {

namespace {
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void putLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

constexpr int kPositionBytes = 12;  // fix time, latitude, longitude
constexpr int kMotionBytes = 8;     // speed, course, altitude, accuracy
}  // namespace

GpsPayload GpsPayload::fromBytes(const std::uint8_t* b)
{
    GpsPayload g;
    g.fixTime = le32(b);
    g.latitude = static_cast<std::int32_t>(le32(b + 4));
    g.longitude = static_cast<std::int32_t>(le32(b + 8));
    g.speed = le16(b + 12);
    g.course = le16(b + 14);
    g.altitude = static_cast<std::int16_t>(le16(b + 16));
    g.accuracy = le16(b + 18);
    g.positionCheck = le16(b + 20);
    g.motionCheck = le16(b + 22);
    return g;
}

void GpsPayload::toBytes(std::uint8_t* b) const
{
    putLe32(b, fixTime);
    putLe32(b + 4, static_cast<std::uint32_t>(latitude));
    putLe32(b + 8, static_cast<std::uint32_t>(longitude));
    putLe16(b + 12, speed);
    putLe16(b + 14, course);
    putLe16(b + 16, static_cast<std::uint16_t>(altitude));
    putLe16(b + 18, accuracy);
    putLe16(b + 20, positionCheck);
    putLe16(b + 22, motionCheck);
}

void GpsPayload::sealChecks()
{
    std::uint8_t b[kGpsPayloadBytes];
    toBytes(b);
    positionCheck = crc16(b, kPositionBytes);
    motionCheck = crc16(b + kPositionBytes, kMotionBytes);
}

int gpsPositionQuality(const std::uint8_t* b)
{
    const GpsPayload g = GpsPayload::fromBytes(b);
    if (g.fixTime == 0 || crc16(b, kPositionBytes) != g.positionCheck)
        return 0;
    return crc16(b + kPositionBytes, kMotionBytes) == g.motionCheck ? 2 : 1;
}

}  // namespace veltrin
