#include "ternik/DataFileParsersUnitReader.h"

#include <bit>

#include "platform/Bytes.h"
#include "ternik/ComTrade3UnitStream.h"

bool TRecBytes::Fits(size_t offset, size_t count) const { return RangeFits(FData.size(), offset, count); }

uint8_t TRecBytes::U8(size_t offset) const { return Fits(offset, 1) ? GetU8(FData, offset) : 0; }

uint16_t TRecBytes::U16(size_t offset) const
{
  if (!Fits(offset, 2))
    return 0;
  return FBigEndian ? GetU16BE(FData, offset) : GetU16LE(FData, offset);
}

uint32_t TRecBytes::U32(size_t offset) const
{
  if (!Fits(offset, 4))
    return 0;
  return FBigEndian ? GetU32BE(FData, offset) : GetU32LE(FData, offset);
}

float TRecBytes::F32(size_t offset) const { return std::bit_cast<float>(U32(offset)); }

double TRecBytes::F64(size_t offset) const
{
  if (!Fits(offset, 8))
    return 0.0;
  return FBigEndian ? GetF64BE(FData, offset) : GetF64LE(FData, offset);
}

std::string TRecBytes::Text(size_t offset, size_t width) const
{
  if (offset >= FData.size())
    return {};
  std::string_view s = FData.substr(offset, width);
  const size_t zero = s.find('\0');
  if (zero != std::string_view::npos)
    s = s.substr(0, zero);
  return std::string(s);
}

std::string TRecBytes::LenText(size_t offset, size_t capacity) const
{
  if (offset >= FData.size())
    return {};
  size_t n = U8(offset);
  if (n > capacity)
    n = capacity;
  return std::string(FData.substr(offset + 1, n));
}

TRecBytes TRecBytes::Sub(size_t offset, size_t count) const
{
  if (offset >= FData.size())
    return TRecBytes({}, FBigEndian);
  return TRecBytes(FData.substr(offset, count), FBigEndian);
}

bool TRecReader::Read(size_t count, TRecBytes& out)
{
  std::span<const uint8_t> bytes;
  if (!FCursor.Take(count, bytes))
    return false;
  out = Block(bytes);
  return true;
}

TRecBytes TRecReader::ReadUpTo(size_t count) { return Block(FCursor.TakeUpTo(count)); }

bool TRecReader::ReadU16(uint16_t& v) { return FBigEndian ? FCursor.U16BE(v) : FCursor.U16LE(v); }

bool TRecReader::ReadU32(uint32_t& v) { return FBigEndian ? FCursor.U32BE(v) : FCursor.U32LE(v); }

std::string ReadWholeStream(TStream& stream)
{
  std::string data = stream.ReadAll();
  stream.Seek(0);
  return data;
}
