#pragma once
// The KML placemark written beside every GPS message with a usable position.
#include <string>
#include <string_view>

#include "messages/message_content.h"

namespace veltrin {

// UTF-8 form of a Windows-1251 text (0x98 -> U+0098). Stops at the end of the
// text or as soon as the output is longer than 4000 bytes.
std::string ansiToUtf8(std::string_view text);

// The message text made safe for XML character data: & < > " ' as entities,
// and the control characters XML 1.0 forbids as blanks, so whatever a sender
// writes the file stays well-formed.
std::string escapeXmlText(std::string_view text);

// The whole KML file (UTF-8, CR LF, no byte-order mark) for a report of
// quality 1 or 2.
std::string gpsKmlContent(const Msg_header& header, const MessageBody& body,
                          const GpsReport& report, bool useUtc);

}  // namespace veltrin
