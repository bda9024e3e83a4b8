// The COMTRADE configuration file: reading both forms, the line-numbered errors and the
// warnings, writing for all or part of a recording, round trips, and files of another tool.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "TernikTestSupport.h"
#include "ComTrade3TestSupport.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

struct TReadResult {
  std::string Error;  // empty when read
  std::vector<std::string> Warnings;
  std::string FileType;
};

TReadResult Read(TComtrade& rec, const std::string& text)
{
  TReadResult r;
  TMemoryStream s(text);
  TComtradeInterface ci;
  try {
    ci.ReadCfg(rec, s, [&](const std::string& w) { r.Warnings.push_back(w); });
  } catch (const EComtrade& e) {
    r.Error = e.what();
  }
  r.FileType = ci.FileType;
  return r;
}

// Loads a BINARY data file of n zero records for the recording's channels, as a set's data
// file that holds n samples would.
void LoadZeroRecords(TComtrade& rec, size_t n)
{
  const size_t size = BinaryRecordSize(size_t(rec.Analogs->Count()), size_t(rec.Statuses->Count()));
  TStringArray names{"x.dat"};
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>(std::string(n * size, '\0')));
  BinaryDataFileParser().LoadDataFromStream(rec, names, streams, nullptr);
}

std::string Lines(std::initializer_list<const char*> lines)
{
  std::string s;
  for (const char* l : lines)
    s += std::string(l) + "\r\n";
  return s;
}

std::string LineError(int line, const std::string& msg)
{
  return std::string("Błąd w "_cp) + IntToStr(line) + " linii pliku .cfg : " + msg;
}

// A 1999 file: two analog channels, one status channel, one rate.
const char* const k1999[] = {
    "STATION,DEV,1999",
    "3,2A,1D",
    "1,Ua,A,Line,kV,0.5,1.25,0,-32768,32767,110,0.1,P",
    "2,Ib,B,Line,A,0.001,0,0.5,-1000,1000,600,5,S",
    "1,CB,A,Breaker,1",
    "50",
    "1",
    "1000,10",
    "05/01/2001,01:02:03.000007",
    "05/01/2001,01:02:03.100007",
    "BINARY",
    "1000",
};

std::string Text1999(int replaceLine = -1, const char* with = nullptr, int cutAfter = -1)
{
  std::string s;
  for (int i = 0; i < int(std::size(k1999)); ++i) {
    if (cutAfter >= 0 && i >= cutAfter)
      break;
    s += (i == replaceLine ? std::string(with) : std::string(k1999[i])) + "\r\n";
  }
  return s;
}

TEST(ComTrade3Cfg, Reads1999Form)
{
  TComtrade rec;
  const TReadResult r = Read(rec, Text1999());
  ASSERT_EQ(r.Error, "");
  EXPECT_TRUE(r.Warnings.empty());
  EXPECT_EQ(r.FileType, "BINARY");
  EXPECT_EQ(rec.DataFileFormat(), 1);
  const TObFileParam& fp = rec.FileParam;
  EXPECT_EQ(fp.StationName, "STATION");
  EXPECT_EQ(fp.RecordingDeviceId, "DEV");
  EXPECT_EQ(fp.RevisionYear, 1999);
  EXPECT_EQ(fp.LineFrequency, 50);
  EXPECT_EQ(fp.TimeMultiplier, 1000);
  EXPECT_EQ(fp.StartTime.FormatText(), "05/01/2001,01:02:03.000007");
  EXPECT_EQ(fp.TriggerTime.FormatText(), "05/01/2001,01:02:03.100007");
  ASSERT_EQ(rec.Analogs->Count(), 2);
  const TAnalogDescr& a = rec.Analogs->Items(0);
  EXPECT_EQ(a.Number, 1);
  EXPECT_EQ(a.ChannelId, "Ua");
  EXPECT_EQ(a.Phase, "A");
  EXPECT_EQ(a.Component, "Line");
  EXPECT_EQ(a.Units, "kV");
  EXPECT_EQ(a.A, 0.5);
  EXPECT_EQ(a.B, 1.25);
  EXPECT_EQ(a.RangeMin, -32768);
  EXPECT_EQ(a.RangeMax, 32767);
  EXPECT_EQ(a.Primary, 110);
  EXPECT_EQ(a.Secondary, 0.1);
  EXPECT_EQ(a.PS, 0);
  EXPECT_EQ(a.MemoryFormat(), MemoryFormatRaw);
  // The configuration declares the samples; only its data file sizes their buffers.
  EXPECT_EQ(a.SampleCount(), 0);
  EXPECT_EQ(rec.Analogs->Items(1).PS, 1);
  EXPECT_EQ(rec.Analogs->Items(1).Skew, 0.5);
  ASSERT_EQ(rec.Statuses->Count(), 1);
  const TCyfrDescr& c = rec.Statuses->Items(0);
  EXPECT_EQ(c.ChannelId, "CB");
  EXPECT_EQ(c.Phase, "A");
  EXPECT_EQ(c.Component, "Breaker");
  EXPECT_EQ(c.NormalState, 1);
  EXPECT_EQ(c.SampleCount(), 0);
  EXPECT_EQ(rec.GetSampleCount(), 0);
  EXPECT_TRUE(rec.Rates->Times().empty());
  ASSERT_EQ(rec.Rates->SegmentCount(), 1);
  EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 10);
  LoadZeroRecords(rec, 10);
  EXPECT_EQ(c.SampleCount(), 10);
  EXPECT_EQ(rec.GetSampleCount(), 10);
  EXPECT_DOUBLE_EQ(rec.Rates->GetTime(9), 0.009);
}

struct TCfgCase {
  const char* Name;
  std::string Text;
  std::string Error;  // expected error, empty when the file reads
  std::vector<std::string> Warnings;
};

TEST(ComTrade3Cfg, LineErrorsAndWarnings)
{
  const TCfgCase cases[] = {
      {"lower-case a", Text1999(1, "3,2a,1D"), LineError(2, ""), {}},
      {"missing D", Text1999(1, "3,2A,1"), LineError(2, ""), {}},
      {"count sum",
       Text1999(1, "4,2A,1D"),
       LineError(2, std::string("Nie zgadza się ilość kanałów analogowych,cyfrowych i ich suma"_cp)),
       {}},
      {"12 fields",
       Text1999(2, "1,Ua,A,Line,kV,0.5,1.25,0,-32768,32767,110,0.1"),
       LineError(3, "Brak informacji - [Primary/Secoundary]"),
       {}},
      {"empty PS",
       Text1999(2, "1,Ua,A,Line,kV,0.5,1.25,0,-32768,32767,110,0.1, "),
       LineError(3, std::string("Błędne informacje [Primary/Secoundary] dozwolone parametry to P lub S"_cp)),
       {}},
      {"PS letter", Text1999(2, "1,Ua,A,Line,kV,0.5,1.25,0,-32768,32767,110,0.1,X"), LineError(3, ""), {}},
      {"zero ratios",
       Text1999(2, "1,Ua,A,Line,kV,0.5,1.25,0,-32768,32767,0,0,p"),
       "",
       {"Comtrade warning : PrimaryRange=0 for signal Ua",
        "Comtrade warning : SecondaryRange=0 for signal Ua"}},
      {"bad A",
       Text1999(2, "1,Ua,A,Line,kV,x,1.25,0,-32768,32767,110,0.1,P"),
       LineError(3, "'x' is not a valid floating point value"),
       {}},
      {"status x",
       Text1999(4, "1,CB,A,Breaker,x"),
       LineError(5, std::string("Zła wartość w polu \"Nominal state\""_cp)),
       {}},
      {"status empty", Text1999(4, "1,CB,A,Breaker,"), "", {}},
      {"more rates than lines",
       Text1999(6, "2"),
       LineError(9, "'05/01/2001' is not a valid floating point value"),
       {}},
      {"end sample decreases",
       Text1999(7, "1000,10\r\n500,5").replace(Text1999().find("\r\n1\r\n") + 2, 1, "2"),
       LineError(9, "Incorrect EndSample Value"),
       {}},
      {"negative end sample", Text1999(7, "1000,-1"), LineError(8, "Incorrect EndSample Value"), {}},
      {"negative count", Text1999(1, "-1,-1A,0D"), LineError(2, ""), {}},
      {"bad date",
       Text1999(8, "32/01/2001,01:02:03.000007"),
       LineError(9, "32/01/2001 is not valid date"),
       {}},
      {"bad time", Text1999(9, "05/01/2001,01:02:03"), LineError(10, "01:02:03 is not valid Time"), {}},
      {"no multiplier",
       Text1999(-1, nullptr, 11),
       "",
       {std::string("Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"_cp)}},
      {"multiplier text",
       Text1999(11, "abc"),
       "",
       {std::string("Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"_cp)}},
      {"ends early", Text1999(-1, nullptr, 9), LineError(9, "List index out of bounds (9)"), {}},
      {"empty", "", LineError(0, "List index out of bounds (0)"), {}},
      {"station only", Text1999(0, "STATION"), LineError(1, "List index out of bounds (1)"), {}},
      // Any end sample that 64 bits hold is a declaration, however large.
      {"huge end sample", Text1999(7, "1000,100000001"), "", {}},
      {"beyond 32 bits", Text1999(7, "1000,5000000000"), "", {}},
      {"largest end sample", Text1999(7, "1000,9223372036854775807"), "", {}},
      {"beyond 64 bits",
       Text1999(7, "1000,9223372036854775808"),
       LineError(8, "'9223372036854775808' is not a valid integer value"),
       {}},
      {"zero-rate end beyond 32 bits",
       Text1999(6, "0").replace(Text1999().find("\r\n1000,10\r\n") + 2, 7, "0,5000000000"),
       "",
       {}},
  };
  for (const TCfgCase& c : cases) {
    TComtrade rec;
    const TReadResult r = Read(rec, c.Text);
    EXPECT_EQ(r.Error, c.Error) << c.Name;
    EXPECT_EQ(r.Warnings, c.Warnings) << c.Name;
    // Whatever the file declares, reading it alone sizes no sample buffer.
    EXPECT_EQ(rec.GetSampleCount(), 0) << c.Name;
    EXPECT_EQ(rec.Rates->Times().capacity(), 0u) << c.Name;
  }
}

TEST(ComTrade3Cfg, FieldRules)
{
  TComtrade rec;
  // Lower-case p reads P; a '+' sign is a number; the 0x1A padding of old editors is trimmed.
  ASSERT_EQ(
      Read(rec, Text1999(2, "1,Ua,A,Line,kV,+0.5,+1.25,z,-32768.5,+32767,110,0.1,p") + "\x1A\x1A").Error, "");
  const TAnalogDescr& a = rec.Analogs->Items(0);
  EXPECT_EQ(a.PS, 0);
  EXPECT_EQ(a.A, 0.5);
  EXPECT_EQ(a.B, 1.25);
  EXPECT_EQ(a.Skew, 0.0);         // no number: 0
  EXPECT_EQ(a.RangeMin, -32768);  // -32768.5 rounds to even
  EXPECT_EQ(a.RangeMax, 32767);

  // A third field that is no number reads as 1997; a blank B keeps 0; missing ranges default.
  TComtrade r2;
  ASSERT_EQ(Read(r2, Lines({"S,D,abc", "1,1A,0D", "7,U,,,V,2", "50", "1", "100,3",
                            "01/02/2003,04:05:06.000000", "01/02/2003,04:05:06.000000", "ascii", "1"}))
                .Error,
            LineError(3, "Brak informacji - [Primary/Secoundary]"));
  EXPECT_EQ(r2.FileParam.RevisionYear, 1997);
  TComtrade r3;
  const TReadResult res =
      Read(r3, Lines({"S,D", "1,1A,0D", "7,U,,,V,2, ", "50", "1", "100,3", "01/02/2003,04:05:06.000000",
                      "01/02/2003,04:05:06.000000", "ascii"}));
  ASSERT_EQ(res.Error, "");
  EXPECT_EQ(r3.FileParam.RevisionYear, 0);
  EXPECT_EQ(res.FileType, "ASCII");
  EXPECT_EQ(r3.DataFileFormat(), 0);
  const TAnalogDescr& u = r3.Analogs->Items(0);
  EXPECT_EQ(u.B, 0.0);
  EXPECT_EQ(u.RangeMin, -32768);
  EXPECT_EQ(u.RangeMax, 32767);
  EXPECT_EQ(u.Primary, 32767 * 2.0);  // old form without a ratio: RangeMax x A
  EXPECT_EQ(u.Secondary, u.Primary);
  // Old form: month first, time multiplier from the rate.
  EXPECT_EQ(r3.FileParam.StartTime.Month, 1);
  EXPECT_EQ(r3.FileParam.StartTime.Day, 2);
  EXPECT_EQ(r3.FileParam.TimeMultiplier, 10000);
}

TEST(ComTrade3Cfg, ZeroRatesAndStatusForms)
{
  TComtrade rec;
  const TReadResult r =
      Read(rec, Lines({"S,D,1999", "1,0A,1D", "1,CB,,,0", "50", "0", "0,1200", "01/02/2003,04:05:06.000000",
                       "01/02/2003,04:05:06.000000", "BINARY"}));
  ASSERT_EQ(r.Error, "");
  ASSERT_EQ(rec.Rates->SegmentCount(), 1);
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 0.0);
  EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 1200);
  // The 1200 samples are there once a data file holds them.
  EXPECT_EQ(rec.GetSampleCount(), 0);
  LoadZeroRecords(rec, 1200);
  EXPECT_EQ(rec.Statuses->Items(0).SampleCount(), 1200);
  EXPECT_EQ(rec.GetSampleCount(), 1200);
  EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 1200);
  // No multiplier line and no rate: time stamps in microseconds, no division by zero.
  EXPECT_EQ(r.Warnings.size(), 1u);
  EXPECT_EQ(rec.FileParam.TimeMultiplier, 1.0);

  // Old form with a zero rate: multiplier 1 as well.
  TComtrade old;
  ASSERT_EQ(Read(old, Lines({"S,D,1", "1,0A,1D", "1,CB,1", "50", "1", "0,5", "01/02/2003,04:05:06.000000",
                             "01/02/2003,04:05:06.000000", "BINARY"}))
                .Error,
            "");
  EXPECT_EQ(old.FileParam.TimeMultiplier, 1.0);
  EXPECT_EQ(old.Statuses->Items(0).NormalState, 1);

  // Revision 0 status lines: a normal state of 0, 1 or empty is taken, other text keeps 0.
  struct {
    const char* Line;
    uint8_t State;
  } rev0[] = {{"1,CB", 0}, {"1,CB,1", 1}, {"1,CB,0", 0}, {"1,CB,", 0}, {"1,CB,junk", 0}, {"1,CB, 1 ", 1}};
  for (const auto& c : rev0) {
    TComtrade r0;
    ASSERT_EQ(Read(r0, Lines({"S,D", "1,0A,1D", c.Line, "50", "1", "100,5", "01/02/2003,04:05:06.000000",
                              "01/02/2003,04:05:06.000000", "BINARY"}))
                  .Error,
              "")
        << c.Line;
    EXPECT_EQ(r0.Statuses->Items(0).NormalState, c.State) << c.Line;
  }
}

TEST(ComTrade3Cfg, ErrorKeepsWhatWasRead)
{
  TComtrade rec;
  EXPECT_NE(Read(rec, Text1999(4, "1,CB,A,Breaker,7")).Error, "");
  EXPECT_EQ(rec.Analogs->Count(), 2);
  EXPECT_EQ(rec.Statuses->Count(), 1);
}

// ---- writing ----

TComtrade& Build(TComtrade& rec, uint16_t revision)
{
  rec.FileParam.StationName = "Stacja, Północ"_cp;
  rec.FileParam.RecordingDeviceId = "REJ1";
  rec.FileParam.RevisionYear = revision;
  rec.FileParam.LineFrequency = 50;
  rec.FileParam.TimeMultiplier = 0.5;
  rec.FileParam.StartTime.ParseDate(1999, "05/01/2001");
  rec.FileParam.StartTime.ParseTime(1999, "01:02:03.000007");
  rec.FileParam.TriggerTime.ParseDate(1999, "05/01/2001");
  rec.FileParam.TriggerTime.ParseTime(1999, "01:02:03.250000");
  TAnalogDescr& a = rec.Analogs->AddChannel(MemoryFormatRaw);
  a.SetChannelIdS("U L1");
  a.SetPhase("A");
  a.SetComponentS("Linia");
  a.SetUnitS("kV");
  a.A = 0.1234567890123;
  a.B = -1.5;
  a.Skew = 0.25;
  a.RangeMin = -2000;
  a.RangeMax = 2000;
  a.Primary = 110000;
  a.Secondary = 100;
  a.PS = 1;
  TAnalogDescr& b = rec.Analogs->AddChannel(MemoryFormatRaw);
  b.SetChannelIdS("I");
  b.A = 1;
  b.RangeMin = -1;
  b.RangeMax = 1;
  b.Primary = b.Secondary = 1;
  TCyfrDescr& c = rec.Statuses->AddChannel();
  c.SetChannelIdS("Q1");
  c.SetPhase("B");
  c.SetComponentS("CB");
  c.NormalState = 1;
  rec.Statuses->AddChannel().SetChannelIdS("Q2");
  AddRates(rec, {{1000, 200}, {500, 400}});
  return rec;
}

std::vector<std::string> WriteAll(const TComtrade& rec, int64_t last, int64_t first, uint8_t fmt = 1)
{
  TAnalogSelection a;
  TCyfrSelection s;
  rec.SelectChannels(false, a, s);
  std::vector<std::string> lines = {"old content"};
  TComtradeInterface::WriteCfgLines(rec, lines, s, a, last, first, fmt);
  return lines;
}

TEST(ComTrade3Cfg, Writes1999Form)
{
  TComtrade rec;
  Build(rec, 1999);
  const std::vector<std::string> expected = {
      "Stacja. Północ,REJ1,1999"_cp,
      "4,02A,02D",
      "1,U L1,A,Linia,kV,0.1234567890123000,-1.5000000000000000,0.2500000000000000,-2000,2000,"
      "110000.0000000000000000,100.0000000000000000,S",
      "2,I,,,,1.0000000000000000,0.0000000000000000,0.0000000000000000,-1,1,1.0000000000000000,"
      "1.0000000000000000,P",
      "1,Q1,B,CB,1",
      "2,Q2,,,0",
      "50",
      "2",
      "1000.000,200",
      "500.000,400",
      "05/01/2001,01:02:03.000007",
      "05/01/2001,01:02:03.250000",
      "BINARY",
      "0.500000000000",
  };
  EXPECT_EQ(WriteAll(rec, -1, -1), expected);
  EXPECT_EQ(WriteAll(rec, 400, 0), expected);
  EXPECT_EQ(WriteAll(rec, 400, 0, 0)[12], "ASCII");
  TMemoryStream s("previous longer content that must go away entirely");
  TAnalogSelection a;
  TCyfrSelection st;
  rec.SelectChannels(false, a, st);
  TComtradeInterface::WriteCfgToStream(rec, s, st, a, -1, -1, 1);
  std::string joined;
  for (const std::string& l : expected)
    joined += l + "\r\n";
  EXPECT_EQ(s.Data(), joined);
  std::vector<std::string> unused;
  EXPECT_THROW(TComtradeInterface::WriteCfgLines(rec, unused, st, a, -1, -1, 2), EComtrade);
}

TEST(ComTrade3Cfg, WritesASampleRange)
{
  TComtrade rec;
  Build(rec, 1999);
  const std::vector<std::string> l = WriteAll(rec, 300, 100);
  EXPECT_EQ(l[7], "2");
  EXPECT_EQ(l[8], "1000.000,100");
  EXPECT_EQ(l[9], "500.000,200");
  // The first sample's time moves with the range; the trigger keeps its own time.
  EXPECT_EQ(l[10], "05/01/2001,01:02:03.100007");
  EXPECT_EQ(l[11], "05/01/2001,01:02:03.250000");
  const std::vector<std::string> tail = WriteAll(rec, 400, 250);
  EXPECT_EQ(tail[7], "1");
  EXPECT_EQ(tail[8], "500.000,150");
  EXPECT_EQ(tail[9], "05/01/2001,01:02:03.300007");
  EXPECT_EQ(tail[10], "05/01/2001,01:02:03.250000");
  EXPECT_THROW(WriteAll(rec, 500, 450), EComtrade);  // first beyond the time axis
  // Empty windows, on a segment boundary or ending before they start, declare no samples
  // in lines that read again.
  struct {
    int64_t Last, First;
    const char* Rate;
  } empty[] = {
      {200, 200, "500.000,0"}, {100, 100, "1000.000,0"}, {399, 399, "500.000,0"}, {50, 150, "1000.000,0"}};
  for (const auto& c : empty) {
    const std::vector<std::string> l = WriteAll(rec, c.Last, c.First);
    EXPECT_EQ(l[7], "1");
    EXPECT_EQ(l[8], c.Rate) << c.First;
    std::string text;
    for (const std::string& line : l)
      text += line + "\r\n";
    TComtrade back;
    EXPECT_EQ(Read(back, text).Error, "") << c.First;
    EXPECT_EQ(back.GetSampleCount(), 0);
  }
}

TEST(ComTrade3Cfg, ZeroRateViewDeclaresTheSamplesWritten)
{
  TComtrade rec;
  rec.Statuses->AddChannel();
  rec.Rates->AddRate().SetEndSample(50);
  rec.SetSampleCount(50);
  struct {
    int64_t Last, First;
    const char* Declared;
  } cases[] = {{-1, -1, "0,50"}, {50, 0, "0,50"}, {30, 10, "0,20"}, {10, 10, "0,0"}, {0, 0, "0,0"}};
  for (const auto& c : cases) {
    const std::vector<std::string> l = WriteAll(rec, c.Last, c.First);
    EXPECT_EQ(l[4], "0");
    EXPECT_EQ(l[5], c.Declared) << c.Last << " " << c.First;
  }
}

TEST(ComTrade3Cfg, OldFormWritesMonthFirstAndReadsBack)
{
  for (uint16_t rev : {0, 1}) {
    TComtrade rec;
    Build(rec, rev);
    const std::vector<std::string> l = WriteAll(rec, -1, -1);
    EXPECT_EQ(l[0], std::string("Stacja. Północ,REJ1,"_cp) + (rev == 0 ? "0000" : "0001"));
    EXPECT_EQ(l[2],
              "1,U L1,A,Linia,kV,0.1234567890123000,-1.5000000000000000,0.2500000000000000,-2000,2000,1100");
    EXPECT_EQ(l[4], rev == 0 ? "1,Q1,1" : "1,Q1,1");
    // 5 January is written 01/05: a reader taking old dates month first gets it back.
    EXPECT_EQ(l[10], "01/05/2001,01:02:03.000007");
    EXPECT_EQ(l.back(), "BINARY");  // no multiplier line in the old form
    const std::string shortDate = UtilityFormat().ShortDateFormat;
    TComtrade back;
    std::string text;
    for (const std::string& s : l)
      text += s + "\r\n";
    ASSERT_EQ(Read(back, text).Error, "");
    EXPECT_EQ(UtilityFormat().ShortDateFormat, shortDate);  // the process-wide format stays
    EXPECT_EQ(back.FileParam.RevisionYear, rev);
    EXPECT_EQ(back.FileParam.StartTime.FormatText(), rec.FileParam.StartTime.FormatText());
    EXPECT_EQ(back.FileParam.TriggerTime.FormatText(), rec.FileParam.TriggerTime.FormatText());
    EXPECT_EQ(back.Analogs->Items(0).Primary, 1100);
    EXPECT_EQ(back.Statuses->Items(0).NormalState, 1);
    EXPECT_EQ(back.FileParam.TimeMultiplier, 1000);
  }
}

TEST(ComTrade3Cfg, NewerFormRoundTripFieldByField)
{
  TComtrade rec;
  Build(rec, 2013);
  TComtrade back;
  std::string text;
  for (const std::string& s : WriteAll(rec, -1, -1))
    text += s + "\r\n";
  ASSERT_EQ(Read(back, text).Error, "");
  EXPECT_EQ(back.FileParam.StationName, "Stacja. Północ"_cp);
  EXPECT_EQ(back.FileParam.RevisionYear, 2013);
  EXPECT_EQ(back.FileParam.TimeMultiplier, 0.5);
  EXPECT_EQ(back.FileParam.StartTime.FormatText(), rec.FileParam.StartTime.FormatText());
  ASSERT_EQ(back.Analogs->Count(), 2);
  for (int i = 0; i < 2; ++i) {
    const TAnalogDescr& x = rec.Analogs->Items(i);
    const TAnalogDescr& y = back.Analogs->Items(i);
    EXPECT_EQ(y.Number, x.Number);
    EXPECT_EQ(y.ChannelId, x.ChannelId);
    EXPECT_EQ(y.Phase, x.Phase);
    EXPECT_EQ(y.Component, x.Component);
    EXPECT_EQ(y.Units, x.Units);
    EXPECT_NEAR(y.A, x.A, 1e-15);
    EXPECT_NEAR(y.B, x.B, 1e-15);
    EXPECT_NEAR(y.Skew, x.Skew, 1e-15);
    EXPECT_EQ(y.RangeMin, x.RangeMin);
    EXPECT_EQ(y.RangeMax, x.RangeMax);
    EXPECT_NEAR(y.Primary, x.Primary, 1e-9);
    EXPECT_NEAR(y.Secondary, x.Secondary, 1e-12);
    EXPECT_EQ(y.PS, x.PS);
  }
  ASSERT_EQ(back.Statuses->Count(), 2);
  EXPECT_EQ(back.Statuses->Items(0).Phase, "B");
  EXPECT_EQ(back.Statuses->Items(0).Component, "CB");
  EXPECT_EQ(back.Statuses->Items(0).NormalState, 1);
  EXPECT_EQ(back.Statuses->Items(1).NormalState, 0);
  ASSERT_EQ(back.Rates->SegmentCount(), 2);
  EXPECT_EQ(back.Rates->GetItem(1).Rate, 500);
  EXPECT_EQ(back.Rates->GetItem(1).EndSample(), 400);
  EXPECT_EQ(back.GetSampleCount(), 0);
  LoadZeroRecords(back, 400);
  EXPECT_EQ(back.GetSampleCount(), 400);
  EXPECT_DOUBLE_EQ(back.Rates->GetTime(399), rec.Rates->GetTime(399));
}

TEST(ComTrade3Cfg, NumberAndFieldHelpers)
{
  std::vector<std::string> f;
  TComtradeInterface::SplitFields("", f);
  EXPECT_EQ(f, std::vector<std::string>{""});
  TComtradeInterface::SplitFields("a,,b,", f);
  EXPECT_EQ(f, (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(TComtradeInterface::JoinFields({"a,b", "", "c"}), "a.b,,c");
  EXPECT_EQ(TComtradeInterface::JoinFields({"", "x"}), "x");  // no comma before the first text
  EXPECT_EQ(TComtradeInterface::ParseFloat(" +1.5 "), 1.5);
  EXPECT_THROW(TComtradeInterface::ParseFloat("1,5"), std::exception);
  EXPECT_EQ(TComtradeInterface::ParseFloatDef("x", 7), 7);
  EXPECT_EQ(TComtradeInterface::ParseInt(" +12 "), 12);
  EXPECT_THROW(TComtradeInterface::ParseInt("$10"), EComtrade);
  EXPECT_THROW(TComtradeInterface::ParseInt("1.0"), EComtrade);
  EXPECT_EQ(TComtradeInterface::FormatFloat(3, 1000), "1000.000");
  EXPECT_EQ(TComtradeInterface::FormatFloat(0, 49.6), "50");
  TSourceList src;
  src.LoadFromText("a\r\n b \nc\rd\x1A\x1A");
  EXPECT_EQ(src.NextLine(), "a");
  EXPECT_EQ(src.NextLine(), "b");
  EXPECT_EQ(src.NextLine(), "c");
  EXPECT_EQ(src.NextLine(), "d");
  EXPECT_TRUE(src.AtEnd());
  EXPECT_THROW(src.NextLine(), EComtrade);
  EXPECT_EQ(src.Cursor(), 4u);
}

// ---- configurations written by another tool ----

struct TSampleFile {
  const char* Name;
  uint16_t Revision;
  const char* FileType;
  int Analogs, Statuses, Samples;
  double Rate, LineFrequency, Multiplier;
  const char* Start;
  const char* Trigger;
  const char* FirstChannel;
  const char* FirstStatus;
};

TEST(ComTrade3Cfg, ReadsFilesOfAnotherTool)
{
  const TSampleFile files[] = {
      {"sample_ascii.cfg", 2013, "ASCII", 4, 4, 40, 1200, 60, 1, "12/01/2011,05:55:30.075011",
       "12/01/2011,05:55:30.078261", "IA ", "51A"},
      {"sample_bin.cfg", 1999, "BINARY", 4, 16, 5, 15360, 60, 1, "07/01/2017,15:35:41.958268",
       "07/01/2017,15:35:41.958333", "VA", "ST_1"},
      {"sample_iso8859-1.cfg", 2013, "ASCII", 4, 4, 40, 1200, 60, 1, "12/01/2011,05:55:30.075011",
       "12/01/2011,05:55:30.078261", "IA ", "51A"},
      {"sample_iso8859-1_bin.cfg", 2013, "BINARY", 4, 4, 40, 1200, 60, 0.00756699591875076,
       "12/01/2011,05:55:30.750110", "12/01/2011,05:55:30.782610", "IA ", "51A"},
      {"sample_sub_char.cfg", 2013, "ASCII", 4, 4, 40, 1200, 60, 1, "12/01/2011,05:55:30.075011",
       "12/01/2011,05:55:30.078261", "IA ", "51A"},
  };
  for (const TSampleFile& f : files) {
    SCOPED_TRACE(f.Name);
    TFileStream s(std::string(KIV_TESTDATA_DIR) + "/comtrade/" + f.Name, TFileStream::TMode::Read);
    TComtrade rec;
    TComtradeInterface ci;
    std::vector<std::string> warnings;
    ci.ReadCfg(rec, s, [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(ci.FileType, f.FileType);
    EXPECT_EQ(rec.FileParam.RevisionYear, f.Revision);
    ASSERT_EQ(rec.Analogs->Count(), f.Analogs);
    ASSERT_EQ(rec.Statuses->Count(), f.Statuses);
    EXPECT_EQ(rec.Rates->TotalSamples64(), f.Samples);
    EXPECT_EQ(rec.GetSampleCount(), 0);
    EXPECT_EQ(rec.Rates->GetItem(0).Rate, f.Rate);
    EXPECT_EQ(rec.FileParam.LineFrequency, f.LineFrequency);
    EXPECT_DOUBLE_EQ(rec.FileParam.TimeMultiplier, f.Multiplier);
    EXPECT_EQ(rec.FileParam.StartTime.FormatText(), f.Start);
    EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), f.Trigger);
    // Names are kept as the file has them: the other tool trims "IA " to "IA", this
    // library keeps the field.
    EXPECT_EQ(rec.Analogs->Items(0).ChannelId, f.FirstChannel);
    EXPECT_EQ(rec.Statuses->Items(0).ChannelId, f.FirstStatus);
    EXPECT_DOUBLE_EQ(rec.Rates->SampleTime(f.Samples - 1), (f.Samples - 1) / f.Rate);
  }
}

TEST(ComTrade3Cfg, SampleFileDetails)
{
  TFileStream s(std::string(KIV_TESTDATA_DIR) + "/comtrade/sample_ascii.cfg", TFileStream::TMode::Read);
  TComtrade rec;
  TComtradeInterface ci;
  ci.ReadCfg(rec, s, nullptr);
  const TAnalogDescr& ia = rec.Analogs->Items(0);
  EXPECT_EQ(ia.Units, " A");
  EXPECT_EQ(ia.Component, "Line123");
  EXPECT_EQ(ia.A, 0.1138916015625);
  EXPECT_EQ(ia.B, 0.05694580078125);
  EXPECT_EQ(ia.Primary, 933);
  EXPECT_EQ(ia.Secondary, 1);
  EXPECT_EQ(ia.PS, 1);  // "s"
  EXPECT_EQ(rec.Analogs->Items(3).ChannelId, "3I0");
  EXPECT_EQ(rec.Statuses->Items(3).ChannelId, "51N");
  EXPECT_EQ(rec.Statuses->Items(3).Component, "Line123");

  TFileStream b(std::string(KIV_TESTDATA_DIR) + "/comtrade/sample_bin.cfg", TFileStream::TMode::Read);
  TComtrade bin;
  ci.ReadCfg(bin, b, nullptr);
  EXPECT_EQ(bin.Analogs->Items(0).A, 0.000361849);
  EXPECT_EQ(bin.Analogs->Items(0).RangeMin, -32767);
  EXPECT_EQ(bin.Analogs->Items(3).Primary, 60);
  EXPECT_EQ(bin.Analogs->Items(3).PS, 0);
  EXPECT_EQ(bin.Statuses->Items(15).ChannelId, "ST_16");
}

}  // namespace
