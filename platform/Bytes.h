// Little- and big-endian field access over byte buffers.
//
// File and device layouts are read through these with offset constants, never through
// packed structs or casts of the bytes. The plain Get/Put forms expect the caller to have
// checked the bounds already; the TryGet forms check them and report false instead.
#pragma once

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
    using U = std::conditional_t<sizeof(T) == 1, uint8_t,
              std::conditional_t<sizeof(T) == 2, uint16_t,
              std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
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
    using U = std::conditional_t<sizeof(T) == 1, uint8_t,
              std::conditional_t<sizeof(T) == 2, uint16_t,
              std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    const U v = std::bit_cast<U>(value);
    for (size_t i = 0; i < sizeof(T); ++i) {
        const size_t shift = BigEndian ? 8 * (sizeof(T) - 1 - i) : 8 * i;
        p[i] = static_cast<uint8_t>(v >> shift);
    }
}

inline bool Fits(size_t size, size_t offset, size_t n) { return offset <= size && n <= size - offset; }

} // namespace bytes_detail

// Get<Type><Order>(buffer, offset) for std::span<const uint8_t> and std::string_view
// (a std::string converts to the latter).
#define KIV_BYTES_ACCESSORS(NAME, TYPE, BIG)                                                      \
    inline TYPE Get##NAME(std::span<const uint8_t> b, size_t off)                                 \
    {                                                                                             \
        return bytes_detail::Load<TYPE, BIG>(b.data() + off);                                     \
    }                                                                                             \
    inline TYPE Get##NAME(std::string_view b, size_t off)                                         \
    {                                                                                             \
        return bytes_detail::Load<TYPE, BIG>(bytes_detail::Ptr(b) + off);                         \
    }                                                                                             \
    [[nodiscard]] inline bool TryGet##NAME(std::span<const uint8_t> b, size_t off, TYPE& out)     \
    {                                                                                             \
        if (!bytes_detail::Fits(b.size(), off, sizeof(TYPE)))                                     \
            return false;                                                                         \
        out = bytes_detail::Load<TYPE, BIG>(b.data() + off);                                      \
        return true;                                                                              \
    }                                                                                             \
    [[nodiscard]] inline bool TryGet##NAME(std::string_view b, size_t off, TYPE& out)             \
    {                                                                                             \
        if (!bytes_detail::Fits(b.size(), off, sizeof(TYPE)))                                     \
            return false;                                                                         \
        out = bytes_detail::Load<TYPE, BIG>(bytes_detail::Ptr(b) + off);                          \
        return true;                                                                              \
    }                                                                                             \
    inline void Put##NAME(std::span<uint8_t> b, size_t off, TYPE v)                               \
    {                                                                                             \
        bytes_detail::Store<TYPE, BIG>(b.data() + off, v);                                        \
    }                                                                                             \
    /* A std::string too short for the field grows, filled with zero bytes. */                    \
    inline void Put##NAME(std::string& b, size_t off, TYPE v)                                     \
    {                                                                                             \
        if (b.size() < off + sizeof(TYPE))                                                        \
            b.resize(off + sizeof(TYPE), '\0');                                                   \
        bytes_detail::Store<TYPE, BIG>(reinterpret_cast<uint8_t*>(b.data()) + off, v);            \
    }                                                                                             \
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
inline bool RangeFits(size_t size, size_t offset, size_t count) { return bytes_detail::Fits(size, offset, count); }
