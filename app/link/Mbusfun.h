#pragma once
// Modbus RTU frame check: the CRC-16 every frame of the link carries, low byte first.

#include <cstddef>
#include <cstdint>
#include <span>

// The CRC-16/MODBUS register over `data` (start 0xFFFF, reflected polynomial 0xA001).
uint16_t ModbusCrc16(std::span<const uint8_t> data);

// Appends the check over frame[0, length) at frame[length] (low) and frame[length + 1] (high).
// Returns false, writing nothing, when the frame has no room for the two check bytes.
bool AddCRC(std::span<uint8_t> frame, size_t length);

// True when frame[0, length), the two check bytes included, is intact. A length of 0, or
// one beyond the buffer, is never intact.
bool CheckCRC(std::span<const uint8_t> frame, size_t length);

// The length of the reply a request asks for: 2 x count + 5 for a function 3 request of at
// least 6 bytes (count is bytes 4-5, big-endian); -1 when it cannot be known.
int32_t ModbusReplyLength(std::span<const uint8_t> frame, size_t length);
