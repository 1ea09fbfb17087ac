#pragma once
// Names of stations in received APRS traffic: amateur call signs and the
// object or call-sign name a pager user writes at the start of a text.
#include <cstddef>
#include <string>
#include <string_view>

namespace veltrin {

// 0 when text has the shape of an amateur call sign without SSID, else the
// reason: -1 length not 3..6; -2 a character below '0'; -3 one above 'Z';
// -4 one of ':'..'@'; 3 a three-character sign not letter-digit-letter;
// 4 ends in a digit; 5 its only digit stands first; 6 no digit, or fewer
// than two letters.
int isValidCallsign(std::string_view text);

inline constexpr std::size_t kStationNameChars = 9;

// Reads "#" delimiter NAME delimiter from the start of text (delimiter ';'
// or ':'); the end of text counts as a NUL. name becomes the 9-character,
// blank-padded name field. Results: 1 an object name; 2 a call sign with a
// two-character SSID, name cut to its real length; -1 no '#'; -2 no
// delimiter after it; -3 a control character; -4 one above 126; -5 '|';
// -6 '~'; -7 no closing delimiter within 10 characters; -8 a name shorter
// than 6. For results 1 and 2, *textStart (when given) is the index just
// after the closing delimiter.
int parseStationName(std::string_view text, char delimiter, std::string& name,
                     std::size_t* textStart = nullptr);

}  // namespace veltrin
