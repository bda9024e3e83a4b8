#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(Bytes, GetBothOrders)
{
  const std::vector<uint8_t> b = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  const std::span<const uint8_t> s(b);
  EXPECT_EQ(GetU8(s, 7), 0xF0);
  EXPECT_EQ(GetI8(s, 7), int8_t(-16));
  EXPECT_EQ(GetU16LE(s, 0), 0x3412);
  EXPECT_EQ(GetU16BE(s, 0), 0x1234);
  EXPECT_EQ(GetI16BE(s, 6), int16_t(0xDEF0));
  EXPECT_EQ(GetI16LE(s, 6), int16_t(0xF0DE));
  EXPECT_EQ(GetU32LE(s, 1), 0x9A785634u);
  EXPECT_EQ(GetU32BE(s, 1), 0x3456789Au);
  EXPECT_EQ(GetI32BE(s, 4), int32_t(0x9ABCDEF0u));
  EXPECT_EQ(GetU64BE(s, 0), 0x123456789ABCDEF0ull);
  EXPECT_EQ(GetU64LE(s, 0), 0xF0DEBC9A78563412ull);
  EXPECT_EQ(GetI64LE(s, 0), int64_t(0xF0DEBC9A78563412ull));

  const std::string str(reinterpret_cast<const char*>(b.data()), b.size());
  EXPECT_EQ(GetU16BE(str, 2), 0x5678);
  EXPECT_EQ(GetU32LE(str, 4), 0xF0DEBC9Au);
}

TEST(Bytes, FloatsKeepTheirBits)
{
  for (double v : {0.0, -0.0, 1.5, -123.456, 1e300, 5e-324}) {
    std::string le, be;
    PutF64LE(le, 0, v);
    PutF64BE(be, 0, v);
    ASSERT_EQ(le.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
      EXPECT_EQ(le[i], be[7 - i]);
    EXPECT_EQ(std::signbit(GetF64LE(le, 0)), std::signbit(v));
    EXPECT_EQ(GetF64LE(le, 0), v);
    EXPECT_EQ(GetF64BE(be, 0), v);
  }
  // 1.0 as a little-endian double.
  const std::string one("\0\0\0\0\0\0\xF0\x3F", 8);
  EXPECT_EQ(GetF64LE(one, 0), 1.0);
  const std::string f("\x00\x00\xC0\x3F", 4);
  EXPECT_EQ(GetF32LE(f, 0), 1.5f);
  EXPECT_EQ(GetF32BE(std::string("\x3F\xC0\x00\x00", 4), 0), 1.5f);
  EXPECT_TRUE(std::isnan(GetF32LE(std::string("\x00\x00\xC0\x7F", 4), 0)));
}

TEST(Bytes, PutIntoStringGrowsAndAppends)
{
  std::string s;
  PutU16BE(s, 2, 0xABCD);
  EXPECT_EQ(s, std::string("\0\0\xAB\xCD", 4));
  AppendU32LE(s, 0x01020304);
  EXPECT_EQ(s, std::string("\0\0\xAB\xCD\x04\x03\x02\x01", 8));
  PutI16LE(s, 0, -2);
  EXPECT_EQ(GetI16LE(s, 0), -2);
  EXPECT_EQ(s.size(), 8u);
}

TEST(Bytes, PutIntoSpan)
{
  std::vector<uint8_t> b(6, 0);
  PutU32BE(b, 1, 0xDEADBEEF);
  EXPECT_EQ(b, (std::vector<uint8_t>{0, 0xDE, 0xAD, 0xBE, 0xEF, 0}));
  PutU16LE(b, 4, 0x1122);
  EXPECT_EQ(b[4], 0x22);
  EXPECT_EQ(b[5], 0x11);
}

TEST(Bytes, TryGetChecksBounds)
{
  const std::string s("\x01\x02\x03", 3);
  struct Case {
    size_t Offset;
    bool Ok16;
  };
  const Case cases[] = {{0, true}, {1, true}, {2, false}, {3, false}, {size_t(-1), false}};
  for (const auto& c : cases) {
    uint16_t v = 0xEEEE;
    EXPECT_EQ(TryGetU16BE(s, c.Offset, v), c.Ok16) << c.Offset;
    if (!c.Ok16) {
      EXPECT_EQ(v, 0xEEEE) << "untouched on failure";
    }
  }
  uint32_t v32 = 0;
  EXPECT_FALSE(TryGetU32LE(AsBytes(s), 0, v32));
  uint8_t v8 = 0;
  EXPECT_TRUE(TryGetU8(AsBytes(s), 2, v8));
  EXPECT_EQ(v8, 3);
  EXPECT_TRUE(RangeFits(10, 4, 6));
  EXPECT_FALSE(RangeFits(10, 4, 7));
  EXPECT_FALSE(RangeFits(10, 11, 0));
  EXPECT_FALSE(RangeFits(10, 2, size_t(-1)));
}

TEST(Bytes, PutIntoSpanWritesNothingThatDoesNotFit)
{
  std::vector<uint8_t> b(6, 0xEE);
  const std::span<uint8_t> s(b);
  EXPECT_TRUE(PutU16LE(s, 4, 0x1122));
  EXPECT_FALSE(PutU16LE(s, 5, 0x3344));
  EXPECT_FALSE(PutU32BE(s, 3, 0xDEADBEEF));
  EXPECT_FALSE(PutF64LE(s, SIZE_MAX - 2, 1.0));  // offset + size overflows
  EXPECT_EQ(b, (std::vector<uint8_t>{0xEE, 0xEE, 0xEE, 0xEE, 0x22, 0x11}));
}

TEST(ByteCursor, ReadsInOrderAndRefusesWhatIsNotThere)
{
  const std::vector<uint8_t> b = {0x01, 0x34, 0x12, 0x12, 0x34, 'a', 'b', 0, 'c', 0xAA};
  TByteCursor in{std::span<const uint8_t>(b)};
  uint8_t u8 = 0;
  uint16_t le = 0, be = 0;
  ASSERT_TRUE(in.U8(u8) && in.U16LE(le) && in.U16BE(be));
  EXPECT_EQ(u8, 1);
  EXPECT_EQ(le, 0x1234);
  EXPECT_EQ(be, 0x1234);
  const auto text = in.TextToNul();
  EXPECT_EQ(std::string(text.begin(), text.end()), "ab");
  EXPECT_EQ(in.Pos(), 8u);  // the NUL is consumed

  // A read that does not fit answers false and leaves the position.
  uint32_t u32 = 7;
  EXPECT_FALSE(in.U32LE(u32));
  EXPECT_EQ(u32, 7u);
  std::span<const uint8_t> taken;
  EXPECT_FALSE(in.Take(3, taken));
  EXPECT_FALSE(in.Skip(SIZE_MAX));
  EXPECT_EQ(in.Pos(), 8u);
  EXPECT_EQ(in.TakeUpTo(5).size(), 2u);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_TRUE(in.TextToNul().empty());

  // A text without its NUL runs to the end of the data; a seek past the end stops there.
  TByteCursor tail(std::string_view("xyz"), 1);
  const auto rest = tail.TextToNul();
  EXPECT_EQ(std::string(rest.begin(), rest.end()), "yz");
  tail.Seek(99);
  EXPECT_EQ(tail.Pos(), 3u);
  EXPECT_EQ(tail.Remaining(), 0u);
}
