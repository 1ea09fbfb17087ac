#pragma once
// A stored position on a web map: the coordinates read back from a GPS text
// file or its KML file, the first service's search address, and the page
// that embeds the second service's map.
#include <string>
#include <vector>

namespace veltrin {

class Shell;

inline constexpr int kMapServiceLink = 2;  // the search page of the first service
inline constexpr int kMapServicePage = 3;  // the generated page with the second service's map

inline constexpr const char* kMapSearchAddress = "https://maps.google.com";
inline constexpr const char* kMapScriptAddress = "https://api-maps.yandex.ru/2.1/?lang=ru_RU";
inline constexpr const char* kMapPageName = "~~~tmp~ymaps.html";

// Latitude and longitude from a file's text: after "<coordinates>" (KML:
// longitude, then latitude after the next comma) or after "Lat=" and
// "Lon=" (GPS text). False when a marker is missing.
bool readCoordinates(const std::string& text, bool kml, double& latitude, double& longitude);

// The first service's address for a position (ten decimals).
std::string mapSearchAddress(double latitude, double longitude);
// The page's ten lines, without line ends.
std::vector<std::string> mapPageLines(double latitude, double longitude);
// writeMapPage: replaces dataFolder/~~~tmp~ymaps.html and opens it.
// Returns false when the page could not be written (nothing is opened).
bool writeMapPage(const std::string& dataFolder, double latitude, double longitude, Shell& shell);

// showOnWebMap for the file at path (already checked to exist):
// service 2 opens the search address, 3 the page. Nothing happens for
// files that are no GPS files or hold no position.
void showFileOnWebMap(const std::string& dataFolder, const std::string& path, int service, Shell& shell);

}  // namespace veltrin
