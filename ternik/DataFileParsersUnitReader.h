// Reading recorder files: the whole stream is taken into memory once and walked through a
// cursor; every field is read through a bounds-checked view of the block that holds it.
// Recorder files come from devices and from the field, so no count, length or offset in them
// is trusted: a read past the data answers "not there" instead of touching other memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Bytes.h"

class TStream;

// A block of bytes in one byte order. Fields that lie (partly) past the block read as zero,
// so a short layout reads the same as a long one whose tail is zero.
class TRecBytes {
public:
  TRecBytes() = default;
  TRecBytes(std::string_view data, bool bigEndian) : FData(data), FBigEndian(bigEndian) {}

  size_t Size() const { return FData.size(); }
  std::string_view Data() const { return FData; }
  bool BigEndian() const { return FBigEndian; }
  bool Fits(size_t offset, size_t count) const;

  uint8_t U8(size_t offset) const;
  uint16_t U16(size_t offset) const;
  int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
  uint32_t U32(size_t offset) const;
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  // A 32-bit float stored in the block's byte order (swapped as a dword).
  float F32(size_t offset) const;
  double F64(size_t offset) const;
  // A fixed-width text field, cut at its first zero byte.
  std::string Text(size_t offset, size_t width) const;
  // A length byte followed by the characters: at most capacity characters are taken, so a
  // length byte larger than its field never reaches into the next one.
  std::string LenText(size_t offset, size_t capacity) const;
  // Bytes offset .. offset + count - 1, cut to the block.
  TRecBytes Sub(size_t offset, size_t count) const;

private:
  std::string_view FData;
  bool FBigEndian = false;
};

// A cursor over the whole content of a stream, in one byte order.
class TRecReader {
public:
  explicit TRecReader(std::string_view data, bool bigEndian = false)
      : FData(data), FCursor(data), FBigEndian(bigEndian)
  {}

  size_t Size() const { return FCursor.Size(); }
  size_t Position() const { return FCursor.Pos(); }
  size_t Remaining() const { return FCursor.Remaining(); }
  bool BigEndian() const { return FBigEndian; }
  void SetBigEndian(bool bigEndian) { FBigEndian = bigEndian; }
  // A position past the end is taken as the end.
  void Seek(size_t position) { FCursor.Seek(position); }
  // The next count bytes, advancing past them; false (and the position unchanged) when fewer
  // remain.
  [[nodiscard]] bool Read(size_t count, TRecBytes& out);
  // Up to count bytes, fewer at the end of the data; the position advances past them.
  TRecBytes ReadUpTo(size_t count);
  [[nodiscard]] bool ReadU16(uint16_t& v);
  [[nodiscard]] bool ReadU32(uint32_t& v);
  // The whole data as one block.
  TRecBytes All() const { return TRecBytes(FData, FBigEndian); }

private:
  TRecBytes Block(std::span<const uint8_t> bytes) const { return TRecBytes(AsChars(bytes), FBigEndian); }

  std::string_view FData;
  TByteCursor FCursor;
  bool FBigEndian;
};

// Everything a stream holds, from position 0.
std::string ReadWholeStream(TStream& stream);
