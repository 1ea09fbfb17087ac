#include "messages/message_content.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "config/interface_texts.h"
#include "config/settings.h"

namespace veltrin {

namespace {

constexpr char kFileZeroReplacement = static_cast<char>(0x95);
constexpr int kGpsTextStart = kGpsPayloadBytes;

// The verdict line shared by beacons and GPS files; text files have one more
// blank before the comma after OK.
std::string verdictLine(const Msg_header& h, const std::string& speedLabel, double errorRate,
                        int faults, bool blankAfterOk)
{
    if (faults != 0)
        return formatText("%u (%03u) > %u , CRC ERROR!!! %s, Error Rate=%.1lf%% : \r\n",
                          unsigned{h.sender}, unsigned{h.msgNumber}, unsigned{h.recipient},
                          speedLabel.c_str(), errorRate);
    return formatText(blankAfterOk ? "%u (%03u) > %u , CRC OK , %s, Error Rate=%.1lf%% : \r\n"
                                   : "%u (%03u) > %u , CRC OK, %s, Error Rate=%.1lf%% : \r\n",
                      unsigned{h.sender}, unsigned{h.msgNumber}, unsigned{h.recipient},
                      speedLabel.c_str(), errorRate);
}

std::string positionBlock(const GpsReport& r, bool useUtc, const InterfaceTexts& texts)
{
    if (r.payload.fixTime == 0)
        return texts.GpsCoordUnknownMessage + " \r\n\r\nText: ";
    if (r.quality == 0)
        return texts.GpsErrorMessage + " \r\n\r\nText: ";
    const CalendarTime& f = r.fixTime;
    std::string s = formatText("Time: %02d.%02d.%04d  %02d:%02d:%02d %s \r\n", f.day, f.month, f.year,
                               f.hour, f.minute, f.second, useUtc ? "UTC" : "");
    s += formatText("Lat=%.10lf  Lon=%.10lf\r\n", r.latitude, r.longitude);
    if (r.quality < 2)
        s += "Speed=???  Course=???  Altitude=???  Accuracy=???\r\n\r\nText: ";
    else if (r.altitudeKnown())
        s += formatText("Speed=%.1lf km/h  Course=%.1lf  Altitude=%d m  Accuracy=%.1lf m\r\n\r\nText: ",
                        r.speed, r.course, r.altitude, r.accuracy);
    else
        s += formatText("Speed=%.1lf km/h  Course=%.1lf  Altitude: unknown   Accuracy=%.1lf m\r\n\r\nText: ",
                        r.speed, r.course, r.accuracy);
    return s;
}

}  // namespace

std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, again);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(again);
    return out;
}

std::string bodyText(const MessageBody& body, int from, int to, char zeroReplacement)
{
    from = std::clamp(from, 0, static_cast<int>(body.size()));
    to = std::clamp(to, 0, static_cast<int>(body.size()));
    std::string s;
    for (int i = from; i < to; ++i)
        s.push_back(body[i] == 0 ? zeroReplacement : static_cast<char>(body[i]));
    return s;
}

std::string messageFileText(const Msg_header& header, const MessageBody& body, int from)
{
    return bodyText(body, from, header.length, kFileZeroReplacement);
}

const char* crcStatus(int faults)
{
    return faults != 0 ? "ER" : "OK";
}

std::string messageFileTail(const CalendarTime& t, const Settings& settings)
{
    std::string s;
    if (settings.messageFileTimeMarks)
        s += formatText(settings.useUtc ? "\r\n---\r\n%02d.%02d.%04d %02d:%02d:%02d UTC \r\n"
                                        : "\r\n---\r\n%02d.%02d.%04d %02d:%02d:%02d \r\n",
                        t.day, t.month, t.year, t.hour, t.minute, t.second);
    if (settings.addComment) {
        if (!settings.messageFileTimeMarks)
            s += "\r\n---\r\n";
        s += settings.commentText;
        s += "\r\n";
    }
    return s;
}

std::string textMessageContent(const Msg_header& header, const MessageBody& body,
                               const std::string& speedLabel, double errorRate, int faults,
                               bool headless, const CalendarTime& reception,
                               const Settings& settings, const InterfaceTexts& texts)
{
    std::string s = headless ? texts.MessWithHdrErrMessage + " \r\n\r\n"
                             : verdictLine(header, speedLabel, errorRate, faults, true);
    s += messageFileText(header, body, 0);
    s += "\r\n";
    s += messageFileTail(reception, settings);
    return s;
}

std::string beaconMessageContent(const Msg_header& header, const MessageBody& body,
                                 const std::string& speedLabel, double errorRate, int faults,
                                 const CalendarTime& reception, const Settings& settings)
{
    std::string s = verdictLine(header, speedLabel, errorRate, faults, false);
    s += messageFileText(header, body, 0);
    s += "\r\n";
    s += messageFileTail(reception, settings);
    return s;
}

GpsReport decodeGpsReport(const MessageBody& body, bool useUtc)
{
    GpsReport r;
    r.payload = GpsPayload::fromBytes(body.data());
    r.quality = gpsPositionQuality(body.data());
    r.positionCheckOk = gpsPositionCheckOk(body.data());
    r.motionCheckOk = gpsMotionCheckOk(body.data());
    if (r.quality < 1)
        return r;
    r.fixTime = calendarTime(static_cast<std::time_t>(r.payload.fixTime), useUtc);
    r.latitude = r.payload.latitude * kGpsDegreesPerUnit;
    r.longitude = r.payload.longitude * kGpsDegreesPerUnit;
    if (r.quality < 2)
        return r;
    r.speed = r.payload.speed * 0.1;
    r.course = r.payload.course * 0.01;
    r.altitude = r.payload.altitude;
    r.accuracy = r.payload.accuracy * 0.1;
    return r;
}

std::string gpsMessageContent(const Msg_header& header, const MessageBody& body,
                              const std::string& speedLabel, double errorRate, int faults,
                              const GpsReport& report, const CalendarTime& reception,
                              const Settings& settings, const InterfaceTexts& texts)
{
    std::string s = verdictLine(header, speedLabel, errorRate, faults, false);
    s += "\r\n";
    s += positionBlock(report, settings.useUtc != 0, texts);
    s += messageFileText(header, body, kGpsTextStart);
    s += "\r\n";
    s += messageFileTail(reception, settings);
    return s;
}

}  // namespace veltrin
