#include "keying/keying_controls.h"

#include "keying/keying_port.h"

namespace veltrin {

namespace {

constexpr int kComItems = 25;
constexpr int kLptItems = 4;

bool isParallelType(int type) { return type == kKeyingParallel || type == kKeyingParallelTessival; }

}  // namespace

std::vector<std::string> keyingPortTypeItems(bool parallelDriverMissing)
{
    const char* lpt = parallelDriverMissing ? "NONE" : "LPT Port";
    const char* tessival = parallelDriverMissing ? "NONE" : "LPT Port / Tessival";
    return {"NONE", "COM-Port", lpt, tessival};
}

std::vector<std::string> keyingPortNumberItems(int type)
{
    std::vector<std::string> items;
    if (type == kKeyingSerial) {
        for (int n = 1; n <= kComItems; ++n)
            items.push_back("COM" + std::to_string(n));
    } else if (isParallelType(type)) {
        items = {"LPT1", "LPT2", "LPT3", "LPT at address:"};
    } else {
        items = {" "};
    }
    return items;
}

std::vector<std::string> keyingPinItems(int type)
{
    if (type == kKeyingSerial)
        return {"NONE", "DTR", "RTS"};
    if (isParallelType(type)) {
        std::vector<std::string> items = {"NONE"};
        for (int d = 0; d < 8; ++d)
            items.push_back("D" + std::to_string(d) + " (pin" + std::to_string(d + 2) + ")");
        return items;
    }
    return {" "};
}

int keyingPositionInList(int type, int position, bool portNumberList)
{
    const int size = static_cast<int>(portNumberList ? keyingPortNumberItems(type).size() : keyingPinItems(type).size());
    return position >= 0 && position < size ? position : 0;
}

KeyingPositions keyingPositionsForType(int type, int portNumberPosition)
{
    KeyingPositions p;
    p.portNumber = keyingPositionInList(type, portNumberPosition, true);
    if (type == kKeyingSerial) {
        p.ptt = 2;
    } else if (type == kKeyingParallel) {
        p.ptt = 2;
        p.power1 = 7;
        p.power2 = 8;
    } else if (type == kKeyingParallelTessival) {
        p.ptt = 6;
        p.power1 = 7;
        p.power2 = 8;
    }
    return p;
}

bool keyingAddressShown(int type, int portNumberPosition)
{
    return isParallelType(type) && portNumberPosition == kLptItems - 1;
}

}  // namespace veltrin
