#pragma once
// Small text helpers shared by the settings, registry and interface-text
// files. ASCII case rules: the names compared are ASCII.
#include <string>
#include <string_view>

namespace veltrin {

bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Without leading and trailing blanks, tabs, CR and LF.
std::string_view trimBlanks(std::string_view s);
// At most the first `max` characters of s.
inline std::string firstChars(const std::string& s, std::size_t max) { return s.size() > max ? s.substr(0, max) : s; }

}  // namespace veltrin
