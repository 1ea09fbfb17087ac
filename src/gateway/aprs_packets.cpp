#include "gateway/aprs_packets.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "config/settings.h"
#include "gateway/station_names.h"
#include "gateway/traccar_client.h"  // kFirstDemoSender
#include "gateway/transliteration.h"
#include "gps/gps_fix.h"
#include "messages/dispatcher.h"
#include "messages/message_content.h"
#include "modem/gps_payload.h"

namespace veltrin {

namespace {

constexpr const char* kSoftwareId = "APCRVG";
constexpr std::size_t kCommentMax = 43;
constexpr std::size_t kCommentWithCourseMax = 36;
constexpr std::size_t kStatusMax = 62;
constexpr std::size_t kCustomFieldMax = 200;
constexpr double kKnotsPerKmh = 0.5399568034557235;
constexpr double kMinMovingKmh = 1.0;
constexpr int kMaxKnots = 999;

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

std::string_view bodyView(const MessageBody& body, std::size_t from)
{
    return {reinterpret_cast<const char*>(body.data()) + from, body.size() - from};
}

// "DDMM.mm" (or "DDDMM.mm" up to 180 degrees) of the absolute value. Minutes
// that would print as 60.00 carry into the degrees, so that the field stays
// a valid angle. False beyond maxDegrees once rounded, or for NaN: such a
// field would not have its fixed width.
bool degreesMinutes(double value, int maxDegrees, std::string& out)
{
    const double a = std::fabs(value);
    if (!(a <= maxDegrees + 1.0))
        return false;
    int degrees = static_cast<int>(std::floor(a));
    std::string minutes = formatText("%05.2lf", (a - degrees) * 60.0);
    if (minutes == "60.00") {
        ++degrees;
        minutes = "00.00";
    }
    if (degrees > maxDegrees || (degrees == maxDegrees && minutes != "00.00"))
        return false;
    out = formatText("%0*d", maxDegrees >= 100 ? 3 : 2, degrees) + minutes;
    return true;
}

// Latitude, symbol table, longitude and symbol as an APRS position carries
// them; false for coordinates off the globe.
bool formatPosition(double latitude, double longitude, char table, char symbol, std::string& out)
{
    std::string lat, lon;
    if (!degreesMinutes(latitude, 90, lat) || !degreesMinutes(longitude, 180, lon))
        return false;
    out = lat + (latitude < 0 ? 'S' : 'N') + table + lon + (longitude < 0 ? 'W' : 'E') + symbol;
    return true;
}

// "CSE/SPD" of a moving station, else empty.
std::string courseSpeed(const GpsReport& report)
{
    if (report.quality < 2 || !(report.speed > kMinMovingKmh))
        return {};
    const int knots = std::min(roundHalfUp(report.speed * kKnotsPerKmh), kMaxKnots);
    int course = roundHalfUp(report.course);
    if (course == 360)
        course = 0;
    if (course < 0 || knots <= 0)
        return {};
    return formatText("%03d/%03d", course, knots);
}

// "(label/rate%)": whole percents from 0.95 on, tenths below.
std::string receptionNote(const std::string& speedLabel, double errorRate)
{
    if (errorRate >= 0.95)
        return formatText("(%s/%.0lf%%)", speedLabel.c_str(), std::floor(errorRate + 0.5));
    return formatText("(%s/%.1lf%%)", speedLabel.c_str(), errorRate);
}

}  // namespace

AprsPacketBuilder::AprsPacketBuilder(const Settings& settings, AprsQueue& queue, const GpsFix& ownFix)
    : settings_(settings), queue_(queue), ownFix_(ownFix)
{
}

bool AprsPacketBuilder::queueFull() const { return queue_.waiting() >= AprsQueue::kMaxWaiting; }

int AprsPacketBuilder::enqueue(const std::string& packet, int station)
{
    return queue_.push(packet, station) ? kAprsQueued : kAprsQueueFull;
}

// The stored setting is at most 15 characters; a longer one set directly
// must not push a packet past the queue's 254.
std::string AprsPacketBuilder::ownCall() const { return settings_.AprsCall.substr(0, kAprsCallMax); }

int AprsPacketBuilder::gateCallsignText(const Msg_header& header, const MessageBody& body, char delimiter,
                                        const char* typeMark, std::size_t limit)
{
    if (header.sender >= kFirstDemoSender)
        return kAprsDemoSender;
    if (verifyBodyCrc(header, body, 0) != 0)
        return kAprsNotUsable;
    std::string call;
    std::size_t textStart = 0;
    if (parseStationName(bodyView(body, 0), delimiter, call, &textStart) != 2)
        return kAprsWrongForm;
    if (queueFull())
        return kAprsQueueFull;
    const std::string text = bodyText(body, static_cast<int>(textStart), header.length, '.');
    return enqueue(call + ">" + kSoftwareId + ",TCPIP*:" + typeMark + transliterate(text, limit), header.sender);
}

int AprsPacketBuilder::gatePositionReport(const Msg_header& header, const MessageBody& body,
                                          const std::string& speedLabel, double errorRate, int faultCount)
{
    if (!settings_.VeltrinEnabled)
        return kAprsGateOff;
    if (queueFull())
        return kAprsQueueFull;
    // A negative count says no more than "no faults": the body is checked.
    const int faults = verifyBodyCrc(header, body, std::max(faultCount, 0));
    std::string comment = receptionNote(speedLabel, errorRate);
    if (faults != 0)
        comment += "BAD CRC:";

    const GpsReport report = decodeGpsReport(body, true);
    if (report.quality < 1)
        return kAprsNotUsable;
    std::string position;
    if (!formatPosition(report.latitude, report.longitude, 'P', 'a', position))
        return kAprsNotUsable;

    const bool demo = header.sender >= kFirstDemoSender;
    int nameResult = 0;
    std::string name;
    std::size_t textStart = kGpsPayloadBytes;
    if (faults == 0 && !demo) {
        std::size_t afterName = 0;
        nameResult = parseStationName(bodyView(body, kGpsPayloadBytes), ';', name, &afterName);
        if (nameResult == 1 || nameResult == 2)
            textStart += afterName;
    }
    if (demo)
        name = formatText("CRVD%05u", static_cast<unsigned>(header.sender));
    else if (nameResult != 1 && nameResult != 2)
        name = formatText("CRVG%05u", static_cast<unsigned>(header.sender));

    std::string source, destination, prefix;
    if (nameResult == 2) {
        source = name;
        destination = kSoftwareId;
        prefix = "/";
    } else {
        source = ownCall();
        destination = formatText("PG%04X", static_cast<unsigned>(header.sender));
        prefix = ";" + name + "*";
    }

    comment += demo ? std::string(kDemoComment) : bodyText(body, static_cast<int>(textStart), header.length, '.');
    const std::string extension = courseSpeed(report);
    comment = transliterate(comment, extension.empty() ? kCommentMax : kCommentWithCourseMax);

    const CalendarTime& t = report.fixTime;
    return enqueue(formatText("%s>%s,TCPIP*:%s%02d%02d%02dz%s%s%s", source.c_str(), destination.c_str(),
                              prefix.c_str(), t.day, t.hour, t.minute, position.c_str(), extension.c_str(),
                              comment.c_str()),
                   header.sender);
}

int AprsPacketBuilder::gateStatusReport(const Msg_header& header, const MessageBody& body)
{
    if (!settings_.VeltrinEnabled)
        return kAprsGateOff;
    return gateCallsignText(header, body, ';', ">", kStatusMax);
}

int AprsPacketBuilder::gateCustomPacket(const Msg_header& header, const MessageBody& body)
{
    if (!settings_.VeltrinEnabled)
        return kAprsGateOff;
    if (!settings_.CustomPacketEnabled)
        return kAprsQueueFull;
    return gateCallsignText(header, body, ':', "", kCustomFieldMax);
}

int AprsPacketBuilder::sendPositionBeacon()
{
    if (!settings_.VeltrinEnabled)
        return kAprsGateOff;
    if (queueFull())
        return kAprsQueueFull;
    std::string position;
    if (!formatPosition(ownFix_.latitude, ownFix_.longitude, '/', 'r', position))
        return kAprsNotUsable;
    return enqueue(formatText("%s>%s,TCPIP*:/%02d%02d%02dz%s%s", ownCall().c_str(), kSoftwareId, ownFix_.day,
                              ownFix_.hour, ownFix_.minute, position.c_str(),
                              transliterate(settings_.PositionBeacon, kCommentMax).c_str()),
                   0);
}

int AprsPacketBuilder::sendStatusBeacon()
{
    if (!settings_.VeltrinEnabled)
        return kAprsGateOff;
    if (queueFull())
        return kAprsQueueFull;
    return enqueue(ownCall() + ">" + kSoftwareId + ",TCPIP*:>" + transliterate(settings_.StatusBeacon, kStatusMax),
                   0);
}

}  // namespace veltrin
