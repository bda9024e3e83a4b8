#include "app/link/Mbusfun.h"

namespace {
constexpr uint16_t CrcPolynomial = 0xA001;
}

uint16_t ModbusCrc16(std::span<const uint8_t> data)
{
  uint16_t r = 0xFFFF;
  for (uint8_t b : data) {
    r ^= b;
    for (int bit = 0; bit < 8; ++bit)
      r = (r & 1u) ? static_cast<uint16_t>((r >> 1) ^ CrcPolynomial) : static_cast<uint16_t>(r >> 1);
  }
  return r;
}

bool AddCRC(std::span<uint8_t> frame, size_t length)
{
  if (length > frame.size() || frame.size() - length < 2)
    return false;
  const uint16_t crc = ModbusCrc16(frame.first(length));
  frame[length] = static_cast<uint8_t>(crc & 0xFF);
  frame[length + 1] = static_cast<uint8_t>(crc >> 8);
  return true;
}

bool CheckCRC(std::span<const uint8_t> frame, size_t length)
{
  if (length == 0 || length > frame.size())
    return false;
  return ModbusCrc16(frame.first(length)) == 0;
}

int32_t ModbusReplyLength(std::span<const uint8_t> frame, size_t length)
{
  // The count sits in bytes 4 and 5: a frame of five bytes has no count yet.
  if (length < 6 || length > frame.size() || frame[1] != 3)
    return -1;
  const int32_t count = (static_cast<int32_t>(frame[4]) << 8) | frame[5];
  return 2 * count + 5;
}
