#include "app/link/Mbusfun.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

TEST(Mbusfun, IdentificationRequestGetsItsCheck)
{
  std::array<uint8_t, 8> f{0x1F, 0x03, 0x0E, 0x78, 0x00, 0x08, 0, 0};
  ASSERT_TRUE(AddCRC(f, 6));
  // Known CRC-16/MODBUS of "123456789" is 0x4B37; check the register itself too.
  const std::array<uint8_t, 9> ref{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(ModbusCrc16(ref), 0x4B37);
  EXPECT_EQ(ModbusCrc16(std::span<const uint8_t>(f).first(6)), (f[7] << 8) | f[6]);
  EXPECT_TRUE(CheckCRC(f, 8));
}

struct TCrcCase {
  std::vector<uint8_t> data;
  uint8_t lo, hi;
};

TEST(Mbusfun, KnownChecks)
{
  const TCrcCase cases[] = {
      {{}, 0xFF, 0xFF},                                    // length 0 leaves the start value
      {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xC5, 0xCD},  // a textbook read request
      {{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, 0x76, 0x87},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> f = c.data;
    f.resize(f.size() + 2);
    ASSERT_TRUE(AddCRC(f, c.data.size()));
    EXPECT_EQ(f[c.data.size()], c.lo);
    EXPECT_EQ(f[c.data.size() + 1], c.hi);
    EXPECT_TRUE(CheckCRC(f, f.size()));
  }
}

TEST(Mbusfun, EveryFlippedBitFails)
{
  std::array<uint8_t, 8> f{0x1F, 0x03, 0x0E, 0x78, 0x00, 0x08, 0, 0};
  ASSERT_TRUE(AddCRC(f, 6));
  for (size_t i = 0; i < f.size(); ++i)
    for (int bit = 0; bit < 8; ++bit) {
      auto g = f;
      g[i] ^= static_cast<uint8_t>(1u << bit);
      EXPECT_FALSE(CheckCRC(g, g.size())) << "byte " << i << " bit " << bit;
    }
}

TEST(Mbusfun, CheckRejectsEmptyAndOversizedLengths)
{
  std::array<uint8_t, 4> f{0xFF, 0xFF, 0, 0};
  EXPECT_FALSE(CheckCRC(f, 0));
  EXPECT_FALSE(CheckCRC(f, 5));
  EXPECT_FALSE(AddCRC(f, 3));  // no room for two check bytes
  EXPECT_FALSE(AddCRC(f, 9));
  EXPECT_TRUE(AddCRC(f, 2));
}

struct TLenCase {
  std::vector<uint8_t> frame;
  int32_t expected;
};

TEST(Mbusfun, ReplyLength)
{
  const TLenCase cases[] = {
      {{0x1F, 0x03, 0x0E, 0x78, 0x00, 0x08, 0, 0}, 21},
      {{0x1F, 0x03, 0x0F, 0xA0, 0x00, 0x7D, 0, 0}, 255},
      {{0x1F, 0x03, 0x00, 0x00, 0xFF, 0xFF}, 131075},
      {{0x1F, 0x03, 0x00, 0x00, 0x00, 0x00}, 5},
      {{0x1F, 0x10, 0x08, 0x80, 0x00, 0x02, 0x04, 1, 2, 3, 4}, -1},  // function 16
      {{0x1F, 0x03, 0x0E, 0x78}, -1},                                // 4-byte fragment
      {{0x1F, 0x03, 0x0E, 0x78, 0x00}, -1},                          // no count byte yet
      {{}, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ModbusReplyLength(c.frame, c.frame.size()), c.expected);
  const std::array<uint8_t, 6> f{0x1F, 0x03, 0, 0, 0, 8};
  EXPECT_EQ(ModbusReplyLength(f, 7), -1);  // length beyond the buffer
}

}  // namespace
