#pragma once
// COM port numbers, as the settings and the setup dialog know them, and the
// device paths they stand for. The default map is fixed, so a number keeps
// its device whatever else is plugged in:
//   COM1-COM4    /dev/ttyS0-/dev/ttyS3      built-in serial ports
//   COM5-COM12   /dev/ttyUSB0-/dev/ttyUSB7  USB serial adapters
//   COM13-COM20  /dev/ttyACM0-/dev/ttyACM7  USB modems (most USB GPS receivers)
//   COM21-COM28  /dev/rfcomm0-/dev/rfcomm7  Bluetooth serial links
// The "Ports" section of the settings file overrides any number from 1 to 99
// ("COM3=/dev/ttyUSB0"); numbers above 28 have no default path.
#include <map>
#include <string>

namespace veltrin {

inline constexpr int kComPortMin = 1;
inline constexpr int kComPortMax = 99;

using ComPortOverrides = std::map<int, std::string>;

// The default device path of COM`number`, or "" when it has none.
std::string defaultComPortPath(int number);
// The path COM`number` stands for: the user's override, else the default.
std::string comPortPath(int number, const ComPortOverrides& overrides);
// "COM5  /dev/ttyUSB0" (or just "COM40" without a path): the item of a list
// in which the user chooses a port.
std::string comPortLabel(int number, const ComPortOverrides& overrides);

}  // namespace veltrin
