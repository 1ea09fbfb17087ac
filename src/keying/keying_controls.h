#pragma once
// The item lists of the keying port's (hidden) setup controls and the
// positions a change of the port type gives them.
#include <string>
#include <vector>

namespace veltrin {

// PortTypeBox: the LPT items read "NONE" where no parallel port can be used.
std::vector<std::string> keyingPortTypeItems(bool parallelDriverMissing);
// PortNumberBox for a type: one blank item, "COM1".."COM25", or
// "LPT1".."LPT3" and "LPT at address:".
std::vector<std::string> keyingPortNumberItems(int type);
// The PTT, Power1 and Power2 lists for a type.
std::vector<std::string> keyingPinItems(int type);

struct KeyingPositions {
    int portNumber = 0;
    int ptt = 0, power1 = 0, power2 = 0;
};
// PortTypeBoxChange: the positions the lists start at for a type chosen by
// the user; the port number position is kept when the new list has it.
KeyingPositions keyingPositionsForType(int type, int portNumberPosition);
// A position that the list of `type` has, else 0.
int keyingPositionInList(int type, int position, bool portNumberList);
// "LPT at address:" selected: the address edit is shown.
bool keyingAddressShown(int type, int portNumberPosition);

}  // namespace veltrin
