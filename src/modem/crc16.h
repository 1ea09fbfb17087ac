#pragma once
// CRC-16/MCRF4XX (reflected 0x8408, start 0xFFFF, no final XOR): header,
// body and GPS payload checks.
#include <cstddef>
#include <cstdint>

namespace veltrin {

std::uint16_t Crc16Step(std::uint8_t byte, std::uint16_t reg);
// CRC of a byte string, starting from 0xFFFF.
std::uint16_t crc16(const std::uint8_t* data, std::size_t count);

}  // namespace veltrin
