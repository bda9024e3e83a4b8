// Date-time and IPv4 texts of XML attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/DateTime.h"
#include "ternik/XmlLight/WbStrUtils.h"

namespace {

struct TTimeCase {
  const char* Text;
  bool Ok;
  int Y, M, D, H, N, S, Ms;
};

class XmlTimeTest : public ::testing::TestWithParam<TTimeCase> {};

TEST_P(XmlTimeTest, Parses)
{
  const TTimeCase& c = GetParam();
  TDateTime v = -1;
  EXPECT_EQ(TryXmlTimeStrToDateTime(c.Text, v), c.Ok) << c.Text;
  if (!c.Ok) {
    EXPECT_EQ(v, 0) << c.Text;
    EXPECT_EQ(XmlTimeStrToDateTime(c.Text), 0) << c.Text;
    return;
  }
  TDateTime expected = 0;
  ASSERT_TRUE(TryEncodeDateTime(c.Y, c.M, c.D, c.H, c.N, c.S, c.Ms, expected));
  EXPECT_DOUBLE_EQ(v, expected) << c.Text;
  EXPECT_DOUBLE_EQ(XmlTimeStrToDateTime(c.Text), expected) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlTimeTest,
    ::testing::Values(TTimeCase{"2018.11.22 18:30", true, 2018, 11, 22, 18, 30, 0, 0},
                      TTimeCase{"2018.11.22 18:30:28", true, 2018, 11, 22, 18, 30, 28, 0},
                      TTimeCase{"2018-11-22 18:30:28.125", true, 2018, 11, 22, 18, 30, 28, 125},
                      TTimeCase{"2018/11/22 18,30/28:125", true, 2018, 11, 22, 18, 30, 28, 125},
                      TTimeCase{"2018.11.22 18:30:xx.005", true, 2018, 11, 22, 18, 30, 0, 5},
                      // A short part is padded with blanks, which do not convert: it counts 0.
                      TTimeCase{"2018.11.22 18:30:28.5", true, 2018, 11, 22, 18, 30, 28, 0},
                      TTimeCase{"2018.11.22 18:30:28.abc", true, 2018, 11, 22, 18, 30, 28, 0},
                      TTimeCase{"2018.02.30 10:00", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"2018.11.22", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"2018.11.22T18:30", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"2018 11.22 18:30", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"2018.11.22 25:30", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"20x8.11.22 18:30", false, 0, 0, 0, 0, 0, 0, 0},
                      TTimeCase{"", false, 0, 0, 0, 0, 0, 0, 0}));

TEST(XmlTime, WritesAndReadsBack)
{
  EXPECT_EQ(DateTimeToXmlTimeStr(0), "????.??.?? ??:??:??.???");
  TDateTime v = 0;
  ASSERT_TRUE(TryEncodeDateTime(2018, 11, 22, 18, 30, 28, 125, v));
  EXPECT_EQ(DateTimeToXmlTimeStr(v), "2018.11.22 18:30:28.125");
  EXPECT_DOUBLE_EQ(XmlTimeStrToDateTime(DateTimeToXmlTimeStr(v)), v);
}

struct TIpCase {
  const char* Text;
  bool Ok;
  uint32_t Address;
};

class IpAddrTest : public ::testing::TestWithParam<TIpCase> {};

TEST_P(IpAddrTest, Converts)
{
  const TIpCase& c = GetParam();
  uint32_t a = 0xDEADBEEF;
  EXPECT_EQ(StrToIpAddr(c.Text, a), c.Ok) << c.Text;
  EXPECT_EQ(a, c.Ok ? c.Address : 0xDEADBEEF) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IpAddrTest,
    ::testing::Values(TIpCase{"192.168.1.10", true, 0x0A01A8C0}, TIpCase{"1.2.3.4.5", true, 0x04030201},
                      TIpCase{"0.0.0.0", true, 0}, TIpCase{"255.255.255.255", true, 0xFFFFFFFF},
                      TIpCase{"1.2.3", false, 0}, TIpCase{"1.2.3.256", false, 0}, TIpCase{"1..3.4", false, 0},
                      TIpCase{"1.2.3.", false, 0}, TIpCase{"a.2.3.4", false, 0},
                      TIpCase{"1.2.3.-1", false, 0}, TIpCase{"", false, 0}));

}  // namespace
