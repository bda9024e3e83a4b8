// Builds recorder files for the tests from their field layouts: each field is written at its
// offset in the chosen byte order, so a fixture reads as the layout table it comes from.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitStream.h"

class TFixture {
 public:
  explicit TFixture(bool bigEndian = false, size_t size = 0) : BigEndian(bigEndian), Bytes(size, '\0') {}

  bool BigEndian;
  std::string Bytes;

  size_t Size() const { return Bytes.size(); }
  TFixture& U8(size_t off, uint8_t v) { return Raw(off, v, 1); }
  TFixture& U16(size_t off, uint16_t v) { return Raw(off, v, 2); }
  TFixture& I16(size_t off, int16_t v) { return Raw(off, uint16_t(v), 2); }
  TFixture& U32(size_t off, uint32_t v) { return Raw(off, v, 4); }
  TFixture& I32(size_t off, int32_t v) { return Raw(off, uint32_t(v), 4); }
  TFixture& F32(size_t off, float v) { return Raw(off, std::bit_cast<uint32_t>(v), 4); }
  TFixture& F64(size_t off, double v) { return Raw(off, std::bit_cast<uint64_t>(v), 8); }
  // Characters without a terminator (a zero-filled field ends them).
  TFixture& Text(size_t off, std::string_view s)
  {
    Grow(off + s.size());
    Bytes.replace(off, s.size(), s);
    return *this;
  }
  // A length byte, then the characters.
  TFixture& LenText(size_t off, std::string_view s, int lengthByte = -1)
  {
    U8(off, uint8_t(lengthByte < 0 ? s.size() : size_t(lengthByte)));
    return Text(off + 1, s);
  }
  // Appends another fixture's bytes, or raw bytes.
  TFixture& Append(std::string_view bytes)
  {
    Bytes += bytes;
    return *this;
  }
  TFixture& Append(const TFixture& other) { return Append(other.Bytes); }
  // Offsets relative to the current end for appending fields one after another.
  size_t End() const { return Bytes.size(); }
  TFixture& Pad(size_t size)
  {
    Grow(size);
    return *this;
  }

 private:
  TFixture& Raw(size_t off, uint64_t v, size_t width)
  {
    Grow(off + width);
    for (size_t i = 0; i < width; ++i) {
      const size_t shift = BigEndian ? 8 * (width - 1 - i) : 8 * i;
      Bytes[off + i] = char(uint8_t(v >> shift));
    }
    return *this;
  }
  void Grow(size_t size)
  {
    if (Bytes.size() < size) Bytes.resize(size, '\0');
  }
};

inline TStreamArray OneStream(const std::string& bytes)
{
  TStreamArray s;
  s.push_back(std::make_unique<TMemoryStream>(bytes));
  return s;
}

// Messages collected from a load.
struct THookLog {
  std::vector<std::string> Texts;
  TMessageHook Hook()
  {
    return [this](const std::string& t) { Texts.push_back(t); };
  }
};

// The message of the exception a call raises; empty when it raises none.
template <class F>
std::string ErrorOf(F&& f)
{
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}
