#include "ternik/VmBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "ternik/LangUnit.h"

namespace {

struct ParseRow {
  const char* text;
  int code;
  bool ok;
  int y, m, d, h, n, s;
  double us;
  const char* message;  // expected on failure
};

const ParseRow kParseRows[] = {
    {"05/03/2020,10:20:30.5", 2007, true, 2020, 3, 5, 10, 20, 30, 500000, ""},
    {"05/03/2020,10:20:30.5", 0, true, 2020, 5, 3, 10, 20, 30, 500000, ""},
    {"05/03/2020,10:20:30.5", 1, true, 2020, 5, 3, 10, 20, 30, 500000, ""},
    {"25/03/2020,00:00:00", 0, true, 2020, 3, 25, 0, 0, 0, 0, ""},
    // Month first where that is the only reading: May 13.
    {"05/13/2020,00:00:00", 0, true, 2020, 5, 13, 0, 0, 0, 0, ""},
    {"05/13/2020,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "05/13/2020 is not valid date"},
    {"05/03/99,00:00", 2007, true, 1999, 3, 5, 0, 0, 0, 0, ""},
    {"05/03/50,00:00", 2007, true, 2050, 3, 5, 0, 0, 0, 0, ""},
    {"05/03/051,00:00", 2007, true, 1951, 3, 5, 0, 0, 0, 0, ""},
    {"5-3-2020,1:2:3", 2007, true, 2020, 3, 5, 1, 2, 3, 0, ""},
    {"05.03.2020,10:20:30.000123", 2007, true, 2020, 3, 5, 10, 20, 30, 123, ""},
    {"29/02/2020,23:59:59.999999", 2007, true, 2020, 2, 29, 23, 59, 59, 999999, ""},
    {"05/03/2020,10:20 PM", 2007, true, 2020, 3, 5, 22, 20, 0, 0, ""},
    {"05/03/2020,12:00 PM", 2007, true, 2020, 3, 5, 12, 0, 0, 0, ""},
    {"05/03/2020,12:30 AM", 2007, true, 2020, 3, 5, 0, 30, 0, 0, ""},
    {"05/03/2020,11:59 AM", 2007, true, 2020, 3, 5, 11, 59, 0, 0, ""},
    {"05/03/2020, 7:05:01", 2007, true, 2020, 3, 5, 7, 5, 1, 0, ""},
    {"05/03/2020,13:00 PM", 2007, false, 0, 0, 0, 0, 0, 0, 0, "13:00 PM is not valid Time"},
    {"31/02/2020,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "31/02/2020 is not valid date"},
    {"29/02/2019,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "29/02/2019 is not valid date"},
    {"32/01/2020,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "32/01/2020 is not valid date"},
    {"00/01/2020,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "00/01/2020 is not valid date"},
    {"05/03,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "05/03 is not valid date"},
    {"ab/03/2020,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "ab/03/2020 is not valid date"},
    {"05/03/20200,00:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "05/03/20200 is not valid date"},
    {"05/03/2020 10:20:30", 2007, false, 0, 0, 0, 0, 0, 0, 0,
     "missing comma, expected input format: dd/mm/yyyy,hh:mm:ss.zzzzzz"},
    {"05/03/2020,24:00:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "invalid hour 24:00:00"},
    {"05/03/2020,123:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "invalid hour 123:00"},
    {"05/03/2020,10", 2007, false, 0, 0, 0, 0, 0, 0, 0, "invalid hour 10"},
    {"05/03/2020,", 2007, false, 0, 0, 0, 0, 0, 0, 0, "invalid hour "},
    {"05/03/2020,10:60:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "10:60:00 is not valid Time"},
    {"05/03/2020,10:20:61", 2007, false, 0, 0, 0, 0, 0, 0, 0, "10:20:61 is not valid Time"},
    {"05/03/2020,10:xx:00", 2007, false, 0, 0, 0, 0, 0, 0, 0, "10:xx:00 is not valid Time"},
    {"05/03/2020,10:20:30.5x", 2007, false, 0, 0, 0, 0, 0, 0, 0, "10:20:30.5x is not valid Time"},
    {"05/03/2020,10:20:30.5E9", 2007, false, 0, 0, 0, 0, 0, 0, 0, "10:20:30.5E9 is not valid Time"},
};

class VmBaseParse : public ::testing::TestWithParam<ParseRow> {};

}  // namespace

TEST_P(VmBaseParse, Row)
{
  const ParseRow& r = GetParam();
  TCmtrDateTimeParts p;
  p.Year = 77;
  std::string msg;
  ASSERT_EQ(ParseCmtrDateTime(r.code, r.text, p, msg), r.ok) << msg;
  if (!r.ok) {
    EXPECT_EQ(msg, r.message);
    return;
  }
  EXPECT_EQ(p.Year, r.y);
  EXPECT_EQ(p.Month, r.m);
  EXPECT_EQ(p.Day, r.d);
  EXPECT_EQ(p.Hour, r.h);
  EXPECT_EQ(p.Minute, r.n);
  EXPECT_EQ(p.Second, r.s);
  EXPECT_NEAR(p.Microseconds, r.us, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Table, VmBaseParse, ::testing::ValuesIn(kParseRows));

TEST(VmBase, FractionReadsTheSameUnderBothSeparators)
{
  const TFormatSettings saved = UtilityFormat();
  for (char sep : {',', '.'}) {
    UtilityFormat().DecimalSeparator = sep;
    TCmtrDateTimeParts p;
    std::string msg;
    ASSERT_TRUE(ParseCmtrTime(2007, "10:20:30.25", p, msg)) << sep;
    EXPECT_NEAR(p.Microseconds, 250000, 1e-6);
  }
  UtilityFormat() = saved;
}

TEST(VmBase, PartsToDateTimeAndBack)
{
  struct Row {
    const char* text;
    const char* written;
  };
  const Row rows[] = {
      {"05/03/2020,10:20:30.5", "05/03/2020,10:20:30.500000"},
      {"07/01/2021,09:05:00", "07/01/2021,09:05:00.000000"},
      {"31/12/1999,23:59:59.999999", "31/12/1999,23:59:59.999999"},
      {"01/01/1900,00:00:00.000001", "01/01/1900,00:00:00.000001"},
      {"29/12/1899,06:00:00", "29/12/1899,06:00:00.000000"},
      {"01/01/0001,12:00:00", "01/01/0001,12:00:00.000000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const TDateTime v = CmtrStrToDateTime(r.text, 2007);
    EXPECT_EQ(DateTimeToCmtrStr(2007, v), r.written);
    EXPECT_EQ(DateTimeToCmtrStr(0, v), r.written);  // writing ignores the code
    long double ex = 0;
    std::string msg;
    ASSERT_TRUE(TryCmtrStrToDateTimeEx(r.text, ex, msg, 2007));
    EXPECT_NEAR(static_cast<double>(ex), v, 1e-9);
  }
  TDateTime d = 0;
  ASSERT_TRUE(TryEncodeDate(2020, 3, 5, d));
  TDateTime t = 0;
  ASSERT_TRUE(TryEncodeTime(10, 20, 30, 500, t));
  EXPECT_EQ(DateTimeToCmtrStr(2007, d + t), "05/03/2020,10:20:30.500000");
  EXPECT_EQ(DateToCmtrStr(d + t), "05/03/2020");
  EXPECT_EQ(TimeToCmtrStr(d + t), "10:20:30.500000");
}

// A time that rounds up to midnight moves the date with it.
TEST(VmBase, WriterCarriesIntoTheNextDay)
{
  struct Row {
    double value;  // a small day number keeps a step of the double far below 1 us
    const char* written;
  };
  const Row rows[] = {
      {1 + (86400 - 0.0000004) / 86400, "01/01/1900,00:00:00.000000"},
      {1 + (86400 - 0.0000006) / 86400, "31/12/1899,23:59:59.999999"},
      {2 + (59 - 0.0000004) / 86400, "01/01/1900,00:00:59.000000"},
      {1 + (3599.9999996) / 86400, "31/12/1899,01:00:00.000000"},
      {0, "30/12/1899,00:00:00.000000"},
      {-1.25, "29/12/1899,06:00:00.000000"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.written);
    EXPECT_EQ(DateTimeToCmtrStr(2007, r.value), r.written);
    const std::string w = r.written;
    EXPECT_EQ(DateToCmtrStr(r.value), w.substr(0, 10));
    EXPECT_EQ(TimeToCmtrStr(r.value), w.substr(11));
  }
  EXPECT_THROW(DateTimeToCmtrStr(2007, std::numeric_limits<double>::quiet_NaN()), ECmtrDateTime);
  EXPECT_THROW(DateTimeToCmtrStr(2007, 1e12), ECmtrDateTime);
}

TEST(VmBase, TruncToSecondAndDaysToMs)
{
  EXPECT_EQ(TruncToSecond(0), 0);
  const TDateTime v = CmtrStrToDateTime("05/03/2020,10:20:30.75", 2007);
  EXPECT_EQ(DateTimeToCmtrStr(2007, TruncToSecond(v)), "05/03/2020,10:20:30.000000");
  EXPECT_EQ(DateTimeToCmtrStr(2007, TruncToSecond(1 + (86400 - 0.0000004) / 86400)),
            "01/01/1900,00:00:00.000000");
  EXPECT_EQ(DateTimeToCmtrStr(2007, TruncToSecond(-1.25 - 0.5 / 86400)), "29/12/1899,06:00:00.000000");
  EXPECT_EQ(DaysToMs(1.5), 129600000.0);
}

TEST(VmBase, FailuresRaiseWithTheirTexts)
{
  try {
    CmtrStrToDateTime("05/03/2020", 2007);
    FAIL() << "no exception";
  } catch (const ECmtrDateTime& e) {
    EXPECT_STREQ(e.what(), "CmtrStrToDateTime: missing comma, expected input format: "
                           "dd/mm/yyyy,hh:mm:ss.zzzzzz");
  }
  TCmtrDateTimeParts p;
  p.Year = 2020;
  p.Month = 2;
  p.Day = 30;
  EXPECT_THROW(PartsToDate(p), ECmtrDateTime);
  p.Day = 28;
  p.Hour = 24;
  try {
    PartsToDateTime(p);
    FAIL() << "no exception";
  } catch (const ECmtrDateTime& e) {
    EXPECT_STREQ(e.what(), "invalid cmtr time");
  }
  p.Hour = 0;
  p.Microseconds = 1000000;
  EXPECT_THROW(PartsToTime(p), ECmtrDateTime);
  p.Microseconds = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(PartsToTime(p), ECmtrDateTime);
  std::string msg;
  TDateTime v = 42;
  EXPECT_FALSE(TryCmtrStrToDateTime("x,y", v, msg, 2007));
  EXPECT_EQ(v, 42);
  EXPECT_EQ(msg, "x is not valid date");
}

TEST(VmBase, GroupAndLocalNames)
{
  TLibraryScope lib;
  ASSERT_NE(VmBaseGroup(), nullptr);
  TXLangGroup& g = *VmBaseGroup();
  EXPECT_EQ(g.GetName(), "VmBase");
  ASSERT_EQ(g.ChildCount(), 63u);
  // Column by column: the singular names, then the short ones, and so on.
  const char* expectedKeys[] = {"YEAR",   "MONTH", "WEEK", "DAY",  "HOUR",      "MINUTE",
                                "SECOND", "MSEC",  "USEC", "NSEC", "YEAR_SHORT"};
  for (size_t i = 0; i < std::size(expectedKeys); ++i)
    EXPECT_EQ(g.GetChildObject(i).GetName(), expectedKeys[i]);
  EXPECT_EQ(g.GetChildObject(59).GetName(), "NSECS_GENIT_SHORT");
  EXPECT_EQ(g.GetChildObject(60).GetName(), "TXT_SAMP_TYPE_ANALOG");
  EXPECT_EQ(g.GetChildObject(62).GetName(), "TXT_NO_BYTES");
  EXPECT_EQ(g.Translate("TXT_NO_BYTES"), "Bajtów"_cp);
  EXPECT_EQ(g.Translate("months"), "miesięce"_cp);
  EXPECT_EQ(g.Translate("KEY_X"), "!!Not found in dictionary:VmBase\\KEY_X");

  TLocalNames& names = LocalNames();
  EXPECT_EQ(names.Language, "");
  RefreshLocalNames();
  EXPECT_EQ(names.Name(TTimeUnitName::Year, TTimeNameForm::Singular), "rok");
  EXPECT_EQ(names.Name(TTimeUnitName::Month, TTimeNameForm::Singular), "miesięc"_cp);
  EXPECT_EQ(names.Name(TTimeUnitName::Week, TTimeNameForm::Genitive), "tygodni");
  EXPECT_EQ(names.Name(TTimeUnitName::NSec, TTimeNameForm::Singular), "nanosekundy");
  EXPECT_EQ(names.Name(TTimeUnitName::NSec, TTimeNameForm::GenitiveShort), "ns");
  EXPECT_EQ(names.Name(TTimeUnitName::Hour, TTimeNameForm::PluralShort), "godz");

  // A new language reads the names again; the same language again does not.
  LangDictionary().Language = "EN";
  g.FindItem("YEAR")->Text = "year";
  RefreshLocalNames();
  EXPECT_EQ(names.Language, "EN");
  EXPECT_EQ(names.Names[0], "year");
  g.FindItem("YEAR")->Text = "yr";
  RefreshLocalNames();
  EXPECT_EQ(names.Names[0], "year");
  // Without a language every refresh reads.
  LangDictionary().Language = "";
  RefreshLocalNames();
  EXPECT_EQ(names.Names[0], "yr");

  const TFormatSettings& fs = CmtrFormatSettings();
  EXPECT_EQ(fs.DecimalSeparator, ',');
  EXPECT_EQ(fs.DateSeparator, '/');
  EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
  EXPECT_EQ(fs.LongTimeFormat, "HH:mm:ss");
  EXPECT_EQ(MagnitudePrefixes[4], "T");
}
