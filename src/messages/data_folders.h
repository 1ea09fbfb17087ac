#pragma once
// The data folder and its daily folders, relative to the working directory:
// VeltrinData/YYMMDD/{MESSAGES.TXT,MESSAGES.BEA,MESSAGES.GPS,logYYMMDD.txt}.
#include <string>

#include "platform/clock.h"

namespace veltrin {

class MessageBoxes;

inline constexpr const char* kDataFolder = "VeltrinData";
inline constexpr const char* kTextFolder = "MESSAGES.TXT";
inline constexpr const char* kBeaconFolder = "MESSAGES.BEA";
inline constexpr const char* kGpsFolder = "MESSAGES.GPS";

// "YYMMDD" from year mod 100, month and day.
std::string dayFolderName(const CalendarTime& t);
// "VeltrinData/YYMMDD".
std::string dayFolderPath(const CalendarTime& t);

// Makes sure a folder exists. When it is missing and cannot be created, shows
// "Can not create directory!" (caption "Error") and returns false; the caller
// goes on and meets the failure at the file.
bool ensureDataFolder(const std::string& path, MessageBoxes& boxes);

}  // namespace veltrin
