#pragma once
// The names the browser meets in the data folder: day folders (YYMMDD), the
// message-file mask, and the icon kind of a message file, which the tree and
// the list share.
#include <string>

namespace veltrin {

// Icon kinds. 1..3 and 14 are tree folders and the log (BrowserNodeKind);
// the others are listed files.
enum FileKind : int {
    kKindUnlisted = -1,    // a file the list does not show
    kKindNoName = 0,       // too short or without a three-letter extension
    kKindTextFolder = 1,
    kKindBeaconFolder = 2,
    kKindGpsFolder = 3,
    kKindMessage = 4,
    kKindBeacon = 5,
    kKindGps = 6,
    kKindKml = 7,
    kKindMessageErrors = 8,
    kKindBeaconErrors = 9,
    kKindMessageOk = 10,
    kKindBeaconOk = 11,
    kKindGpsErrors = 13,
    kKindLog = 14,
    kMaxKind = 15,
};

// True when marker's first occurrence in name starts at position (counting
// from 1), as file names carry their kind at 14 and their status at 18.
bool markerAt(const std::string& name, const char* marker, int position);

int classifyFileName(const std::string& name);

// 1: sent and delivered ("-SNT-00-" at 14), 2: sent otherwise, 0: received.
int sentState(const std::string& name);

// "??????-??????-???-*.???": every message file and KML file.
bool matchesMessageMask(const std::string& name);

// A day folder name reads as three two-digit numbers with YY <= 99,
// 1 <= MM <= 12 and 1 <= DD <= 31.
bool readDayName(const std::string& name, int& yy, int& mm, int& dd);
// "15 Mar 2022" for "220315"; empty when the name is no date.
std::string dayCaption(const std::string& name);

}  // namespace veltrin
