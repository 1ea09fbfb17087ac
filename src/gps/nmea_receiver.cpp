#include "gps/nmea_receiver.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace veltrin {

namespace {

constexpr double kPairingWindowSeconds = 0.9;
constexpr double kKmhPerKnot = 1.852;

std::uint32_t steadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A field reader over one sentence. Every read stays inside the line: the
// line ends at its terminating zero, which is a control character.
class Fields {
public:
    explicit Fields(const char* line, std::size_t start) : p_(line + start) {}

    // Advances past the next comma; false when a control character (the end
    // of the line included) comes first.
    bool skip()
    {
        while (*p_ != ',') {
            if (isControl(*p_))
                return false;
            ++p_;
        }
        ++p_;
        return true;
    }

    bool digits(int count, int& value)
    {
        int v = 0;
        for (int i = 0; i < count; ++i) {
            if (!isDigit(p_[i]))
                return false;
            v = v * 10 + (p_[i] - '0');
        }
        p_ += count;
        value = v;
        return true;
    }

    // A decimal number at the current place; an empty field reads as 0 when
    // `emptyIsZero` is set. The place does not move.
    bool decimal(double& value, bool emptyIsZero = false) const
    {
        const char* end = fieldEnd();
        if (end == p_) {
            value = 0.0;
            return emptyIsZero;
        }
        const auto r = std::from_chars(p_, end, value, std::chars_format::fixed);
        return r.ec == std::errc{} && r.ptr == end && std::isfinite(value);
    }

    // A whole number; an empty field reads as 0.
    bool integer(int& value) const
    {
        const char* end = fieldEnd();
        value = 0;
        if (end == p_)
            return true;
        const auto r = std::from_chars(p_, end, value);
        return r.ec == std::errc{} && r.ptr == end;
    }

    bool empty() const { return *p_ == ','; }
    char at(std::size_t offset) const { return p_[offset]; }
    // The character after the current one, without reading past the end.
    bool followedByComma() const { return !isControl(p_[0]) && p_[1] == ','; }
    std::size_t fieldLength() const { return static_cast<std::size_t>(fieldEnd() - p_); }

private:
    const char* fieldEnd() const
    {
        const char* e = p_;
        while (*e != ',' && *e != '*' && !isControl(*e))
            ++e;
        return e;
    }

    const char* p_;
};

// hhmmss.sss at the current place; the place moves past the field.
bool readTime(Fields& f, GpsFix& fix)
{
    int hour = 0, minute = 0;
    if (!f.digits(2, hour) || !f.digits(2, minute) || hour > 23 || minute > 59)
        return false;
    double seconds = 0.0;
    if (!f.decimal(seconds) || seconds < 0.0 || seconds >= 61.0)
        return false;
    fix.hour = static_cast<std::uint8_t>(hour);
    fix.minute = static_cast<std::uint8_t>(minute);
    fix.seconds = seconds;
    return f.skip();
}

// ddmm.mmm (or dddmm.mmm) and its hemisphere; the place moves past both.
bool readCoordinate(Fields& f, int degreeDigits, char positive, char negative, double& out)
{
    int degrees = 0;
    double minutes = 0.0;
    if (!f.digits(degreeDigits, degrees) || !f.decimal(minutes) || minutes < 0.0 || minutes >= 60.0)
        return false;
    if (!f.skip())
        return false;
    const char hemisphere = f.at(0);
    if ((hemisphere != positive && hemisphere != negative) || !f.followedByComma())
        return false;
    out = degrees + minutes / 60.0;
    if (hemisphere == negative)
        out = -out;
    return f.skip();
}

double timeOfDayOf(const GpsFix& fix) { return fix.hour * 3600.0 + fix.minute * 60.0 + fix.seconds; }

int wholeSeconds(double seconds) { return static_cast<int>(seconds + 0.000001); }

}  // namespace

std::string gpsStatusText(GpsStatusMode mode, const GpsFix& fix)
{
    char text[512];
    switch (mode) {
    case GpsStatusMode::NoFix:
        return "No fix ";
    case GpsStatusMode::TimeOnly:
        std::snprintf(text, sizeof text, "UTC: %02d:%02d:%02d  No fix Sats: %d  ", fix.hour, fix.minute,
                      wholeSeconds(fix.seconds), fix.satellites);
        return text;
    case GpsStatusMode::Fix:
        break;
    }
    std::string line;
    std::snprintf(text, sizeof text, "UTC: %02d.%02d.%02d %02d:%02d:%02d Lat: %lf Lon: %lf Alt: ", fix.day,
                  fix.month, fix.year, fix.hour, fix.minute, wholeSeconds(fix.seconds), fix.latitude, fix.longitude);
    line = text;
    if (fix.altitude > -90000.0) {
        std::snprintf(text, sizeof text, "%.1lf ", fix.altitude);
        line += text;
    } else {
        line += "??? ";
    }
    std::snprintf(text, sizeof text, "Speed: %.1lf km/h Course: %.1lf Sats: %d  Hdop: %.1lf ", fix.speedKmh, fix.course,
                  fix.satellites, fix.hdop);
    return line + text;
}

bool checkNmeaChecksum(const char* line)
{
    if (line[0] != '$')
        return false;
    unsigned sum = 0;
    const char* p = line + 1;
    for (; *p != '*'; ++p) {
        if (*p == '\0')
            return false;
        sum ^= static_cast<unsigned char>(*p);
    }
    ++p;
    unsigned value = 0;
    int count = 0;
    for (; count < 8; ++count, ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    if (count == 0 || count == 8)  // nothing readable, or far too long for a checksum
        return false;
    return value == sum;
}

GpsReceiver::GpsReceiver(GpsStatusSink& sink, TickSource ticks) : sink_(sink), ticks_(std::move(ticks))
{
    if (!ticks_)
        ticks_ = steadyMilliseconds;
    lastRmcTick_ = ticks_();
    fix_.altitude = kGpsAltitudeUnknown;
    fix_.hdop = kGpsHdopUnknown;
    fix_.timeOfDay = kGpsNoValidFix;
    ggaSlots_[0].timeOfDay = ggaSlots_[1].timeOfDay = -10.0;
}

void GpsReceiver::feedNmeaChar(char c)
{
    if (lineLength_ < kLineMax)
        line_[lineLength_++] = c;
    if (c != '\r' && c != '\n')
        return;
    // The line end (or, on an overlong line, its last kept character) goes.
    if (lineLength_ > 0)
        --lineLength_;
    line_[lineLength_] = '\0';
    const int length = lineLength_;
    lineLength_ = 0;
    if (length >= 7 && length < kLineMax && line_[0] == '$' && line_[1] == 'G')
        handleNmeaSentence(line_);
}

void GpsReceiver::feedBytes(const char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (bytes[i] == '$')
            feedNmeaChar('\n');
        feedNmeaChar(bytes[i]);
    }
}

bool GpsReceiver::noDataPeriodElapsed()
{
    const std::uint32_t now = ticks_();
    if (now - lastRmcTick_ <= kNoDataPeriodMs)
        return false;
    lastRmcTick_ = now;
    return true;
}

void GpsReceiver::handleNmeaSentence(const char* line)
{
    if (ggaSlotIndex_ == -1) {
        ggaSlotIndex_ = 0;
        for (GpsFix& slot : ggaSlots_) {
            slot.altitude = kGpsAltitudeUnknown;
            slot.timeOfDay = kGpsEmptyGgaSlot;
        }
        fix_.timeOfDay = kGpsNoValidFix;
        fix_.seconds = kGpsNoTimeRead;
    }
    if (std::strlen(line) < 7)
        return;
    if (std::memcmp(line + 3, "GGA,", 4) == 0) {
        if (!checkNmeaChecksum(line))
            return;
        ggaSlotIndex_ ^= 1;
        parseGga(line, ggaSlots_[ggaSlotIndex_]);
        return;
    }
    if (std::memcmp(line + 3, "RMC,", 4) != 0 || !checkNmeaChecksum(line))
        return;

    if (fix_.timeOfDay > -1.0) {
        if (const GpsFix* slot = pairingSlot()) {
            fix_.altitude = slot->altitude;
            fix_.hdop = slot->hdop;
            fix_.satellites = slot->satellites;
        } else {
            fix_.altitude = kGpsAltitudeUnknown;
            fix_.hdop = kGpsHdopUnknown;
            fix_.satellites = kGpsSatellitesUnknown;
        }
        publishGpsStatus(GpsStatusMode::Fix);
    } else {
        publishGpsStatus(fix_.seconds > -1.0 ? GpsStatusMode::TimeOnly : GpsStatusMode::NoFix);
    }
    if (!parseRmc(line))
        return;
    if (const GpsFix* slot = pairingSlot()) {
        fix_.altitude = slot->altitude;
        fix_.hdop = slot->hdop;
        fix_.satellites = slot->satellites;
        publishGpsStatus(GpsStatusMode::Fix);
    }
}

const GpsFix* GpsReceiver::pairingSlot() const
{
    const double d0 = std::fabs(ggaSlots_[0].timeOfDay - fix_.timeOfDay);
    const double d1 = std::fabs(ggaSlots_[1].timeOfDay - fix_.timeOfDay);
    const GpsFix& candidate = d0 >= d1 ? ggaSlots_[1] : ggaSlots_[0];
    return std::fabs(candidate.timeOfDay - fix_.timeOfDay) < kPairingWindowSeconds ? &candidate : nullptr;
}

bool GpsReceiver::parseRmc(const char* line)
{
    fix_.altitude = kGpsAltitudeUnknown;
    fix_.timeOfDay = kGpsNoValidFix;
    fix_.seconds = kGpsNoTimeRead;
    lastRmcTick_ = ticks_();

    Fields f(line, 7);
    if (!readTime(f, fix_))
        return false;
    // A void fix keeps the time just read.
    if (f.at(0) != 'A' || !f.followedByComma() || !f.skip())
        return false;
    double latitude = 0.0, longitude = 0.0, knots = 0.0, course = 0.0;
    if (!readCoordinate(f, 2, 'N', 'S', latitude) || !readCoordinate(f, 3, 'E', 'W', longitude))
        return false;
    if (!f.decimal(knots, true) || !f.skip() || !f.decimal(course, true) || !f.skip())
        return false;
    int day = 0, month = 0, year = 0;
    if (f.fieldLength() != 6 || f.at(6) != ',' || !f.digits(2, day) || !f.digits(2, month) || !f.digits(2, year))
        return false;
    fix_.latitude = latitude;
    fix_.longitude = longitude;
    fix_.speedKmh = knots * kKmhPerKnot;
    fix_.course = course;
    fix_.day = static_cast<std::uint8_t>(day);
    fix_.month = static_cast<std::uint8_t>(month);
    fix_.year = static_cast<std::uint8_t>(year);
    fix_.timeOfDay = timeOfDayOf(fix_);
    return true;
}

bool GpsReceiver::parseGga(const char* line, GpsFix& slot)
{
    slot.altitude = kGpsAltitudeUnknown;
    slot.timeOfDay = kGpsEmptyGgaSlot;
    slot.hdop = kGpsHdopUnknown;
    slot.satellites = kGpsSatellitesUnknown;

    Fields f(line, 7);
    GpsFix time = slot;
    if (!readTime(f, time))
        return false;
    for (int i = 0; i < 4; ++i) {  // latitude, hemisphere, longitude, hemisphere
        if (!f.skip())
            return false;
    }
    int quality = 0, satellites = 0;
    if (!f.integer(quality) || !f.skip() || !f.integer(satellites))
        return false;
    slot.satellites = satellites;
    if (quality <= 0 || !f.skip())
        return false;
    double hdop = 0.0;
    if (!f.decimal(hdop, true))
        return false;
    slot.hdop = hdop;
    if (!f.skip() || f.empty())
        return false;
    double altitude = 0.0;
    if (!f.decimal(altitude) || !f.skip() || f.at(0) != 'M')
        return false;
    slot.hour = time.hour;
    slot.minute = time.minute;
    slot.seconds = time.seconds;
    slot.altitude = altitude;
    slot.timeOfDay = timeOfDayOf(slot);
    return true;
}

void GpsReceiver::publishGpsStatus(GpsStatusMode mode)
{
    sink_.publish(gpsStatusText(mode, fix_), mode == GpsStatusMode::Fix ? &fix_ : nullptr);
}

}  // namespace veltrin
