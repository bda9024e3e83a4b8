// Little- and big-endian field access over byte buffers.
//
// File and device layouts are read through these with offset constants, never through
// packed structs or casts of the bytes. The plain Get forms expect the caller to have
// checked the bounds already; the TryGet forms check them and report false instead. Put into
// a span checks too: a field that does not fit is not written, and false says so.
// TByteCursor walks an untrusted buffer front to back with every read checked.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace bytes_detail {

inline const uint8_t* Ptr(std::span<const uint8_t> s) { return s.data(); }
inline const uint8_t* Ptr(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

template <typename T, bool BigEndian>
inline T Load(const uint8_t* p)
{
  using U = std::conditional_t<
      sizeof(T) == 1, uint8_t,
      std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  U v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) {
    const size_t shift = BigEndian ? 8 * (sizeof(T) - 1 - i) : 8 * i;
    v = static_cast<U>(v | (static_cast<U>(p[i]) << shift));
  }
  return std::bit_cast<T>(v);
}

template <typename T, bool BigEndian>
inline void Store(uint8_t* p, T value)
{
  using U = std::conditional_t<
      sizeof(T) == 1, uint8_t,
      std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
  const U v = std::bit_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) {
    const size_t shift = BigEndian ? 8 * (sizeof(T) - 1 - i) : 8 * i;
    p[i] = static_cast<uint8_t>(v >> shift);
  }
}

inline bool Fits(size_t size, size_t offset, size_t n) { return offset <= size && n <= size - offset; }

}  // namespace bytes_detail

// Get<Type><Order>(buffer, offset) for std::span<const uint8_t> and std::string_view
// (a std::string converts to the latter).
#define KIV_BYTES_ACCESSORS(NAME, TYPE, BIG)                                                \
  inline TYPE Get##NAME(std::span<const uint8_t> b, size_t off)                             \
  {                                                                                         \
    return bytes_detail::Load<TYPE, BIG>(b.data() + off);                                   \
  }                                                                                         \
  inline TYPE Get##NAME(std::string_view b, size_t off)                                     \
  {                                                                                         \
    return bytes_detail::Load<TYPE, BIG>(bytes_detail::Ptr(b) + off);                       \
  }                                                                                         \
  [[nodiscard]] inline bool TryGet##NAME(std::span<const uint8_t> b, size_t off, TYPE& out) \
  {                                                                                         \
    if (!bytes_detail::Fits(b.size(), off, sizeof(TYPE)))                                   \
      return false;                                                                         \
    out = bytes_detail::Load<TYPE, BIG>(b.data() + off);                                    \
    return true;                                                                            \
  }                                                                                         \
  [[nodiscard]] inline bool TryGet##NAME(std::string_view b, size_t off, TYPE& out)         \
  {                                                                                         \
    if (!bytes_detail::Fits(b.size(), off, sizeof(TYPE)))                                   \
      return false;                                                                         \
    out = bytes_detail::Load<TYPE, BIG>(bytes_detail::Ptr(b) + off);                        \
    return true;                                                                            \
  }                                                                                         \
  inline bool Put##NAME(std::span<uint8_t> b, size_t off, TYPE v)                           \
  {                                                                                         \
    if (!bytes_detail::Fits(b.size(), off, sizeof(TYPE)))                                   \
      return false;                                                                         \
    bytes_detail::Store<TYPE, BIG>(b.data() + off, v);                                      \
    return true;                                                                            \
  }                                                                                         \
  /* A std::string too short for the field grows, filled with zero bytes. */                \
  inline void Put##NAME(std::string& b, size_t off, TYPE v)                                 \
  {                                                                                         \
    if (b.size() < off + sizeof(TYPE))                                                      \
      b.resize(off + sizeof(TYPE), '\0');                                                   \
    bytes_detail::Store<TYPE, BIG>(reinterpret_cast<uint8_t*>(b.data()) + off, v);          \
  }                                                                                         \
  inline void Append##NAME(std::string& b, TYPE v) { Put##NAME(b, b.size(), v); }

KIV_BYTES_ACCESSORS(U8, uint8_t, false)
KIV_BYTES_ACCESSORS(I8, int8_t, false)
KIV_BYTES_ACCESSORS(U16LE, uint16_t, false)
KIV_BYTES_ACCESSORS(U16BE, uint16_t, true)
KIV_BYTES_ACCESSORS(I16LE, int16_t, false)
KIV_BYTES_ACCESSORS(I16BE, int16_t, true)
KIV_BYTES_ACCESSORS(U32LE, uint32_t, false)
KIV_BYTES_ACCESSORS(U32BE, uint32_t, true)
KIV_BYTES_ACCESSORS(I32LE, int32_t, false)
KIV_BYTES_ACCESSORS(I32BE, int32_t, true)
KIV_BYTES_ACCESSORS(U64LE, uint64_t, false)
KIV_BYTES_ACCESSORS(U64BE, uint64_t, true)
KIV_BYTES_ACCESSORS(I64LE, int64_t, false)
KIV_BYTES_ACCESSORS(I64BE, int64_t, true)
KIV_BYTES_ACCESSORS(F32LE, float, false)
KIV_BYTES_ACCESSORS(F32BE, float, true)
KIV_BYTES_ACCESSORS(F64LE, double, false)
KIV_BYTES_ACCESSORS(F64BE, double, true)

#undef KIV_BYTES_ACCESSORS

// Views between the two buffer kinds, without copying.
inline std::span<const uint8_t> AsBytes(std::string_view s)
{
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}
inline std::string_view AsChars(std::span<const uint8_t> b)
{
  return {reinterpret_cast<const char*>(b.data()), b.size()};
}
// True when [offset, offset + count) lies inside a buffer of `size` bytes (no overflow).
inline bool RangeFits(size_t size, size_t offset, size_t count)
{
  return bytes_detail::Fits(size, offset, count);
}

// A checked cursor over untrusted bytes, read front to back. No read goes past the data: a
// read that does not fit answers false and leaves the position where it was.
class TByteCursor {
public:
  TByteCursor() = default;
  explicit TByteCursor(std::span<const uint8_t> data, size_t pos = 0) : FData(data) { Seek(pos); }
  explicit TByteCursor(std::string_view data, size_t pos = 0) : TByteCursor(AsBytes(data), pos) {}

  size_t Pos() const { return FPos; }
  size_t Size() const { return FData.size(); }
  size_t Remaining() const { return FData.size() - FPos; }
  bool AtEnd() const { return FPos >= FData.size(); }
  std::span<const uint8_t> Data() const { return FData; }
  // A position past the end is taken as the end.
  void Seek(size_t pos) { FPos = std::min(pos, FData.size()); }

  [[nodiscard]] bool Skip(size_t n)
  {
    if (!RangeFits(FData.size(), FPos, n))
      return false;
    FPos += n;
    return true;
  }
  [[nodiscard]] bool Take(size_t n, std::span<const uint8_t>& out)
  {
    if (!RangeFits(FData.size(), FPos, n))
      return false;
    out = FData.subspan(FPos, n);
    FPos += n;
    return true;
  }
  // Up to n bytes, fewer at the end of the data.
  std::span<const uint8_t> TakeUpTo(size_t n)
  {
    const auto out = FData.subspan(FPos, std::min(n, Remaining()));
    FPos += out.size();
    return out;
  }
  // Bytes up to a NUL (which is consumed) or to the end of the data.
  std::span<const uint8_t> TextToNul()
  {
    const auto rest = FData.subspan(FPos);
    const auto nul = std::find(rest.begin(), rest.end(), uint8_t(0));
    const size_t n = size_t(nul - rest.begin());
    FPos += n == rest.size() ? n : n + 1;
    return rest.first(n);
  }

  [[nodiscard]] bool U8(uint8_t& v) { return Read<uint8_t, false>(v); }
  [[nodiscard]] bool U16LE(uint16_t& v) { return Read<uint16_t, false>(v); }
  [[nodiscard]] bool U16BE(uint16_t& v) { return Read<uint16_t, true>(v); }
  [[nodiscard]] bool U32LE(uint32_t& v) { return Read<uint32_t, false>(v); }
  [[nodiscard]] bool U32BE(uint32_t& v) { return Read<uint32_t, true>(v); }
  [[nodiscard]] bool F64LE(double& v) { return Read<double, false>(v); }

private:
  template <typename T, bool BigEndian>
  bool Read(T& v)
  {
    if (!RangeFits(FData.size(), FPos, sizeof(T)))
      return false;
    v = bytes_detail::Load<T, BigEndian>(FData.data() + FPos);
    FPos += sizeof(T);
    return true;
  }

  std::span<const uint8_t> FData;
  size_t FPos = 0;
};
