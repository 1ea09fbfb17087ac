#include "messages/kml_file.h"

#include "platform/cp1251.h"

namespace veltrin {

namespace {
constexpr std::size_t kUtf8Limit = 4000;
}

std::string ansiToUtf8(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (out.size() > kUtf8Limit)
            break;
        appendUtf8(out, cp1251ToUnicode(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string escapeXmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out.push_back(' ');
            else
                out.push_back(c);
        }
    }
    return out;
}

std::string gpsKmlContent(const Msg_header& header, const MessageBody& body,
                          const GpsReport& r, bool useUtc)
{
    const CalendarTime& f = r.fixTime;
    const double altitude = r.altitudeKnown() ? r.altitude : 0.0;
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    s += "<kml xmlns=\"http://earth.google.com/kml/2.2\">\r\n";
    s += "<Document>\r\n";
    s += formatText("<Placemark><name>%u-%02d-%04X</name><Point><altitudeMode>clampToGround</altitudeMode>\r\n",
                    unsigned{header.sender}, int{header.msgNumber}, unsigned{r.payload.fixTime});
    s += formatText("<coordinates>%.10lf,%.10lf,%.10lf</coordinates></Point>\r\n", r.longitude, r.latitude,
                    altitude);
    s += formatText("<description>Call: %u<br/>Date: %02d.%02d.%04d<br/>Time: %02d:%02d:%02d %s<br/>\r\n",
                    unsigned{header.sender}, f.day, f.month, f.year, f.hour, f.minute, f.second,
                    useUtc ? "UTC" : "");
    if (r.quality >= 2) {
        if (r.altitudeKnown())
            s += formatText("Speed: %.1lf km/h<br/>Course: %.1lf<br/>Altitude: %d m <br/>Accuracy: %.1lf m<br/>\r\n",
                            r.speed, r.course, r.altitude, r.accuracy);
        else
            s += formatText("Speed: %.1lf km/h<br/>Course: %.1lf<br/>nAltitude: unknown <br/>Accuracy: %.1lf<br/>\r\n",
                            r.speed, r.course, r.accuracy);
    }
    const std::string text = bodyText(body, kGpsPayloadBytes, header.length, ' ');
    s += ansiToUtf8("Text: " + escapeXmlText(text) + "<br/>");
    s += "\r\n";
    s += "</description></Placemark>\r\n";
    s += "</Document>\r\n";
    s += "</kml>\r\n";
    return s;
}

}  // namespace veltrin
