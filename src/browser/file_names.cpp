#include "browser/file_names.h"

#include <fnmatch.h>

#include <cctype>
#include <cstdio>

#include "platform/text_util.h"

namespace veltrin {

bool markerAt(const std::string& name, const char* marker, int position)
{
    return position >= 1 && name.find(marker) == static_cast<std::size_t>(position - 1);
}

int classifyFileName(const std::string& name)
{
    if (name.size() < 5 || name[name.size() - 4] != '.')
        return kKindNoName;
    const std::string_view extension = std::string_view(name).substr(name.size() - 3);
    if (equalsIgnoringCase(extension, "KML"))
        return kKindKml;
    if (!equalsIgnoringCase(extension, "TXT"))
        return kKindUnlisted;
    if (markerAt(name, "-SNT-", 14)) {
        if (markerAt(name, "-E", 18))
            return kKindMessageErrors;
        if (markerAt(name, "-R", 18))
            return kKindMessageOk;
        return kKindMessage;
    }
    if (markerAt(name, "-REC-", 14)) {
        if (markerAt(name, "-ER-", 18) || markerAt(name, "-BD-", 18))
            return kKindMessageErrors;
        if (markerAt(name, "-OK-", 18))
            return kKindMessageOk;
        return kKindMessage;
    }
    if (markerAt(name, "-BEA-", 14)) {
        if (markerAt(name, "-ER-", 18))
            return kKindBeaconErrors;
        if (markerAt(name, "-OK-", 18))
            return kKindBeaconOk;
        return kKindBeacon;
    }
    if (markerAt(name, "-GPS-", 14)) {
        if (markerAt(name, "-ER-", 18))
            return kKindGpsErrors;
        return kKindGps;
    }
    return kKindUnlisted;
}

int sentState(const std::string& name)
{
    if (markerAt(name, "-SNT-00-", 14))
        return 1;
    if (markerAt(name, "-SNT-", 14))
        return 2;
    return 0;
}

bool matchesMessageMask(const std::string& name)
{
    // ??????-??????-???-*.??? (escaped: "??-" would be a trigraph)
    static const char* const kMask = "\?\?\?\?\?\?-\?\?\?\?\?\?-\?\?\?-*.\?\?\?";
    return ::fnmatch(kMask, name.c_str(), 0) == 0;
}

bool readDayName(const std::string& name, int& yy, int& mm, int& dd)
{
    if (name.size() != 6)
        return false;
    for (char c : name)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    yy = (name[0] - '0') * 10 + (name[1] - '0');
    mm = (name[2] - '0') * 10 + (name[3] - '0');
    dd = (name[4] - '0') * 10 + (name[5] - '0');
    return yy <= 99 && mm >= 1 && mm <= 12 && dd >= 1 && dd <= 31;
}

std::string dayCaption(const std::string& name)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int yy = 0, mm = 0, dd = 0;
    if (!readDayName(name, yy, mm, dd))
        return {};
    char caption[32];
    std::snprintf(caption, sizeof caption, "%02d %s %04d", dd, kMonths[mm - 1], 2000 + yy);
    return caption;
}

}  // namespace veltrin
