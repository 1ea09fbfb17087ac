#pragma once
// The bytes of the three kinds of message file (text, beacon, GPS) and the
// decoded position of a GPS message. Windows-1251 text, CR LF line ends.
#include <string>

#include "messages/gateway_port.h"
#include "modem/gps_payload.h"
#include "platform/clock.h"

namespace veltrin {

struct InterfaceTexts;
struct Settings;

// printf into a std::string.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Body bytes [from, to) with every 0x00 replaced by `zeroReplacement`;
// empty when from >= to. Bounds are clipped to the body.
std::string bodyText(const MessageBody& body, int from, int to, char zeroReplacement);

// The text a message file holds for a body (Windows-1251): bytes
// [from, length) with every 0x00 shown as 0x95.
std::string messageFileText(const Msg_header& header, const MessageBody& body, int from);

// "ER" when faults is not 0, else "OK".
const char* crcStatus(int faults);

// The time mark and comment that end every message file, by the settings.
std::string messageFileTail(const CalendarTime& reception, const Settings& settings);

std::string textMessageContent(const Msg_header& header, const MessageBody& body,
                               const std::string& speedLabel, double errorRate, int faults,
                               bool headless, const CalendarTime& reception,
                               const Settings& settings, const InterfaceTexts& texts);

std::string beaconMessageContent(const Msg_header& header, const MessageBody& body,
                                 const std::string& speedLabel, double errorRate, int faults,
                                 const CalendarTime& reception, const Settings& settings);

// The position carried by a GPS message body, decoded as far as its checks
// allow. Fields of a lower quality keep their "unknown" values.
struct GpsReport {
    GpsPayload payload;
    int quality = 0;            // 0 no position, 1 position only, 2 position and motion
    CalendarTime fixTime;       // UTC or local by the setting (quality >= 1)
    double latitude = 0.0;      // degrees
    double longitude = 0.0;
    double speed = 0.0;         // km/h
    double course = 0.0;        // degrees
    int altitude = -9999;       // metres
    double accuracy = 999.0;    // metres
    bool positionCheckOk = false;  // CRC verdicts of the two blocks, whatever the quality
    bool motionCheckOk = false;

    bool altitudeKnown() const { return altitude >= -9000; }
};

// Reads the first 24 body bytes whatever the body length (filler included).
GpsReport decodeGpsReport(const MessageBody& body, bool useUtc);

std::string gpsMessageContent(const Msg_header& header, const MessageBody& body,
                              const std::string& speedLabel, double errorRate, int faults,
                              const GpsReport& report, const CalendarTime& reception,
                              const Settings& settings, const InterfaceTexts& texts);

}  // namespace veltrin
