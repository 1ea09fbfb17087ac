#pragma once
// The message texts that the interface-texts file may replace. They are
// created with their built-in defaults before any window exists and are read
// through the one process-wide instance, so a replaced text is used everywhere.
// All texts are Windows-1251.
#include <span>
#include <string>
#include <string_view>

namespace veltrin {

struct InterfaceTexts {
    std::string GpsIsOffMessage = "GPS is switched OFF";
    std::string NoDataFromGpsMessage = "No data from GPS ";
    std::string DeleteMessageMessage = "Delete message?";
    std::string DeleteFolderMessage = "Delete this folder?";
    std::string DeleteDailyFolderMessage = "Delete daily folder?";
    std::string DeleteDailyLogMessage = "Delete daily log?";
    std::string DeleteFolderFilesMessage = "Delete contents of folder %s ?";  // one %s
    std::string DeleteFileMessage = "Delete the file %s ?";                   // one %s
    std::string MessWithHdrErrMessage = "Message with corrupted header !!!";
    std::string GpsErrorMessage = "GPS-coordinates are received with errors!";
    std::string BeaconWoGpsMessage = "Beacon without GPS-coordinates:";
    std::string GpsCoordUnknownMessage = "GPS-coordinates are unknown!";
    std::string ItIsKmlFileMessage = "It is KML-file.";
    std::string ClickTwiceMessage = "Make double-click to open it in Google Earth.";
    std::string GpsFileIsAbsentMessage = "GPS-file is absent.";
};

// A key of the "RxForm" section and the text it replaces.
struct InterfaceTextKey {
    const char* key;
    std::string InterfaceTexts::*text;
};

// Every replaceable message text, in the order of the struct.
std::span<const InterfaceTextKey> interfaceTextKeys();

// A text with exactly one "%s" and no other "%" in it.
bool usableFormatText(const std::string& text);

// Replaces the text named by key (matched without regard to case). An empty
// value leaves the text as it is, and so does a replacement of one of the two
// format texts that is not usableFormatText. Returns false for an unknown key.
bool setInterfaceText(InterfaceTexts& texts, std::string_view key, const std::string& value);

// The process-wide texts (main thread only).
InterfaceTexts& interfaceTexts();

}  // namespace veltrin
