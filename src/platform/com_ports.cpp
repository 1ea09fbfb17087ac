#include "platform/com_ports.h"

namespace veltrin {

namespace {

struct DeviceRange {
    int firstNumber;
    int count;
    const char* prefix;
};

constexpr DeviceRange kDefaultRanges[] = {
    {1, 4, "/dev/ttyS"},
    {5, 8, "/dev/ttyUSB"},
    {13, 8, "/dev/ttyACM"},
    {21, 8, "/dev/rfcomm"},
};

}  // namespace

std::string defaultComPortPath(int number)
{
    for (const DeviceRange& r : kDefaultRanges) {
        if (number >= r.firstNumber && number < r.firstNumber + r.count)
            return r.prefix + std::to_string(number - r.firstNumber);
    }
    return {};
}

std::string comPortPath(int number, const ComPortOverrides& overrides)
{
    const auto it = overrides.find(number);
    if (it != overrides.end() && !it->second.empty())
        return it->second;
    return defaultComPortPath(number);
}

std::string comPortLabel(int number, const ComPortOverrides& overrides)
{
    const std::string name = "COM" + std::to_string(number);
    const std::string path = comPortPath(number, overrides);
    return path.empty() ? name : name + "  " + path;
}

}  // namespace veltrin
