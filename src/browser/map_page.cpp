#include "browser/map_page.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "browser/file_names.h"
#include "browser/folder_files.h"
#include "platform/shell.h"
#include "platform/working_directory.h"

namespace veltrin {

namespace {

// strtod reads the number right after pos (leading blanks skipped).
double numberAt(const std::string& text, std::size_t pos)
{
    return std::strtod(text.c_str() + pos, nullptr);
}

std::string withCoordinates(const char* format, double latitude, double longitude)
{
    char line[512];
    std::snprintf(line, sizeof line, format, latitude, longitude);
    return line;
}

}  // namespace

bool readCoordinates(const std::string& text, bool kml, double& latitude, double& longitude)
{
    if (kml) {
        static const std::string tag = "<coordinates>";
        const std::size_t at = text.find(tag);
        if (at == std::string::npos)
            return false;
        const std::size_t comma = text.find(',', at);
        if (comma == std::string::npos)
            return false;
        longitude = numberAt(text, at + tag.size());
        latitude = numberAt(text, comma + 1);
        return true;
    }
    const std::size_t lat = text.find("Lat=");
    const std::size_t lon = text.find("Lon=");
    if (lat == std::string::npos || lon == std::string::npos)
        return false;
    latitude = numberAt(text, lat + 4);
    longitude = numberAt(text, lon + 4);
    return true;
}

std::string mapSearchAddress(double latitude, double longitude)
{
    return std::string(kMapSearchAddress) + withCoordinates("/?q=%.10lf,%.10lf", latitude, longitude);
}

std::vector<std::string> mapPageLines(double latitude, double longitude)
{
    return {
        "<!DOCTYPE html>",
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">",
        "<head><title>Location</title>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />",
        std::string("<script src=\"") + kMapScriptAddress + "\" type=\"text/javascript\"></script>",
        "<script type=\"text/javascript\">ymaps.ready(init);var myMap,myPlacemark,stPlacemark;",
        withCoordinates("function init(){myMap = new ymaps.Map(\"map\", {center: [%lf, %lf],zoom: 14});",
                        latitude, longitude),
        withCoordinates("myPlacemark = new ymaps.Placemark([%lf, %lf], {hintContent: 'Location',"
                        "balloonContent: 'Sector position'},{preset: 'islands#redIcon'});",
                        latitude, longitude),
        "myMap.geoObjects.add(myPlacemark);}",
        "</script></head><body><div id=\"map\"  style=\"width: 1024px; height: 768px\"  ></div></body></html>",
    };
}

bool writeMapPage(const std::string& dataFolder, double latitude, double longitude, Shell& shell)
{
    const std::string path = dataFolder + "/" + kMapPageName;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = true;
    for (const std::string& line : mapPageLines(latitude, longitude)) {
        const std::string text = line + "\r\n";
        ok = ok && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        return false;  // a half page would show a broken map
    shell.openDocument(absolutePath(path));
    return true;
}

void showFileOnWebMap(const std::string& dataFolder, const std::string& path, int service, Shell& shell)
{
    const std::string name = path.substr(path.rfind('/') + 1);
    if (!markerAt(name, "-GPS-", 14))
        return;
    const std::size_t kmlAt = name.find(".KML");
    const bool kml = kmlAt != std::string::npos && kmlAt >= 30;
    std::string text;
    if (readTextPieces(path, text) == -1 || text.size() < 7)
        return;
    double latitude = 0, longitude = 0;
    if (!readCoordinates(text, kml, latitude, longitude))
        return;
    if (service == kMapServiceLink)
        shell.openDocument(mapSearchAddress(latitude, longitude));
    else if (service == kMapServicePage)
        writeMapPage(dataFolder, latitude, longitude, shell);
}

}  // namespace veltrin
