#include "modem/gps_payload.h"

#include "modem/crc16.h"
#include "platform/little_endian.h"

namespace veltrin {

namespace {
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

bool gpsPositionCheckOk(const std::uint8_t* b)
{
    return crc16(b, kPositionBytes) == GpsPayload::fromBytes(b).positionCheck;
}

bool gpsMotionCheckOk(const std::uint8_t* b)
{
    return crc16(b + kPositionBytes, kMotionBytes) == GpsPayload::fromBytes(b).motionCheck;
}

int gpsPositionQuality(const std::uint8_t* b)
{
    if (GpsPayload::fromBytes(b).fixTime == 0 || !gpsPositionCheckOk(b))
        return 0;
    return gpsMotionCheckOk(b) ? 2 : 1;
}

}  // namespace veltrin
