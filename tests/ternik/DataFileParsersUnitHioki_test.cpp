#include "ternik/DataFileParsersUnitHioki.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "tests/ternik/RecorderFixture.h"

namespace {

struct THiokiFile {
  std::string Row2 = "Shot\t\"(Data Num)\"\t\"Trig Date\"\tTrig Time";
  std::string Count = "3";
  std::string Date = "2024-03-05", Time = "10:20:30";
  std::vector<std::string> Channels = {"CH1\tU1\tVOLT\t10V\tVa\tON\t-\t0\tV",
                                       "CH2\tU2\tCURR\t5A\tIa\tON\t2,5\t0\tA"};
  std::string Titles = "Time[s]\tVa\tIa";
  std::vector<std::string> Samples = {"0,5\t1,5\t-0,25", "0,501\t2\t0", "0,502\t-3,75\t1"};
  std::string Eol = "\n";
  bool FinalEol = true;
};

std::string Build(const THiokiFile& f)
{
  std::vector<std::string> rows = {"\"Recorder \"\"8860\"\"\"\tPlant", f.Row2,
                                   "1\t" + f.Count + "\t" + f.Date + "\t" + f.Time, "",
                                   "CH\tUnit\tMode\tRange\tComment\tScaling\tRatio\tOffset\tEU"};
  rows.insert(rows.end(), f.Channels.begin(), f.Channels.end());
  rows.insert(rows.end(), {"", "", f.Titles});
  rows.insert(rows.end(), f.Samples.begin(), f.Samples.end());
  std::string out;
  for (size_t i = 0; i < rows.size(); ++i) {
    out += rows[i];
    if (i + 1 < rows.size() || f.FinalEol)
      out += f.Eol;
  }
  return out;
}

std::string LoadError(const std::string& bytes, TComtrade& rec)
{
  return ErrorOf([&] { HiokiInterface().LoadFromStreams(rec, {"a.txt"}, "", OneStream(bytes), {}); });
}

// The program's own number and date settings, restored afterwards.
struct TFormatScope {
  TFormatSettings Saved = UtilityFormat();
  ~TFormatScope() { UtilityFormat() = Saved; }
};

TEST(LineStream, LinesAndFields)
{
  std::string longLine(5003, 'a');
  TMemoryStream s("one\r\ntwo\n\nthree\r" + longLine + "\n" + std::string(4999, 'b') + "\nlast");
  TLineStream lines(s);
  EXPECT_EQ(lines.ReadLine(), "one");
  EXPECT_EQ(lines.ReadLine(), "two");
  EXPECT_EQ(lines.ReadLine(), "");
  EXPECT_EQ(lines.ReadLine(), "three" + std::string(4994, 'a'));
  EXPECT_EQ(lines.ReadLine(), std::string(9, 'a'));
  EXPECT_EQ(lines.ReadLine(), std::string(4999, 'b'));
  EXPECT_EQ(lines.ReadLine(), "last");
  EXPECT_EQ(lines.LinesRead(), 7u);
  EXPECT_EQ(lines.ReadLine(), "");  // past the end: an empty line, still counted
  EXPECT_EQ(lines.LinesRead(), 8u);
  lines.Rewind();
  EXPECT_EQ(lines.ReadLine(), "one");
  EXPECT_EQ(lines.LinesRead(), 9u);

  struct TCase {
    std::string Line;
    std::vector<std::string> Fields;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\tb c\t", {"a", "b c", ""}},
      {"\t", {"", ""}},
      {"\"Trig Date\"\t\"say \"\"hi\"\"\"", {"Trig Date", "say \"hi\""}},
      {"\"a\tb\"\tc", {"a\tb", "c"}},
      {"\"open", {"open"}},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> f{"old"};
    SplitHiokiFields(c.Line, f);
    EXPECT_EQ(f, c.Fields) << c.Line;
  }
}

TEST(HiokiInterface, LoadsHeaderChannelsAndSamples)
{
  for (const char* eol : {"\n", "\r\n"}) {
    for (bool finalEol : {true, false}) {
      THiokiFile f;
      f.Eol = eol;
      f.FinalEol = finalEol;
      TComtrade rec;
      HiokiInterface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
      EXPECT_EQ(rec.FileParam.StationName, "Recorder \"8860\", Plant");
      EXPECT_EQ(rec.FileParam.RecordingDeviceId, "HIOKI");
      EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "05/03/2024,10:20:30.000000");
      EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "05/03/2024,10:20:30.500000");
      ASSERT_EQ(rec.GetSampleCount(), 3);
      // The axis counts from the first sample, which lies at the start time.
      EXPECT_DOUBLE_EQ(rec.Rates->GetTime(0), 0.0);
      EXPECT_NEAR(rec.Rates->GetTime(2), 0.002, 1e-12);
      EXPECT_NEAR(rec.Rates->GetItem(0).Rate, 1000.0, 1e-6);
      ASSERT_EQ(rec.Analogs->Count(), 2);
      const TAnalogDescr& va = rec.Analogs->Items(0);
      EXPECT_EQ(va.ChannelId, "Va");
      EXPECT_EQ(va.Component, "CH1. U1. VOLT. 10V. ON");
      EXPECT_EQ(va.Units, "V");
      EXPECT_EQ(va.PenColor, 0xFF0000);
      EXPECT_DOUBLE_EQ(va.Primary, 1.0);
      const TAnalogDescr& ia = rec.Analogs->Items(1);
      EXPECT_DOUBLE_EQ(ia.Primary, 2.5);
      EXPECT_DOUBLE_EQ(ia.Secondary, 1.0);
      EXPECT_EQ(ia.PenColor, 0xFF);
      bool ok = false;
      EXPECT_DOUBLE_EQ(va.GetValueEx(DataModePrimary, 0, ok), 1.5);
      EXPECT_DOUBLE_EQ(ia.GetValueEx(DataModePrimary, 0, ok), -0.25);
      EXPECT_DOUBLE_EQ(va.GetValueEx(DataModePrimary, 2, ok), -3.75);
      // The raw scaling holds the peak with room: 3.75 x 1.2 over 32767 steps.
      EXPECT_DOUBLE_EQ(va.A, 3.75 * 1.2 / 32767);
      EXPECT_EQ(va.RangeMax, 32767);
      EXPECT_EQ(va.GetRawSample(2), RoundHalfEven(-3.75 / va.A));
    }
  }
}

TEST(HiokiInterface, TimeColumnUsesTheProgramsSeparator)
{
  TFormatScope scope;
  UtilityFormat().DecimalSeparator = '.';
  UtilityFormat().DateSeparator = '/';
  UtilityFormat().ShortDateFormat = "dd/mm/yyyy";
  THiokiFile f;
  f.Date = "05/03/2024";
  f.Time = "10:20:30.250";
  f.Channels[1] = "CH2\tU2\tCURR\t5A\tIa\tON\t2.5\t0\tA";
  f.Samples = {"0.5\t1,5\t-0,25", "1.5\t2\t0"};
  f.Count = "2";
  TComtrade rec;
  HiokiInterface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "05/03/2024,10:20:30.250000");
  EXPECT_DOUBLE_EQ(rec.Rates->GetTime(1), 1.0);
  EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "05/03/2024,10:20:30.750000");
  EXPECT_DOUBLE_EQ(rec.Analogs->Items(1).Primary, 2.5);
  bool ok = false;
  EXPECT_DOUBLE_EQ(rec.Analogs->Items(0).GetValueEx(DataModePrimary, 0, ok), 1.5);
  EXPECT_DOUBLE_EQ(rec.Rates->GetItem(0).Rate, 1.0);
}

TEST(HiokiInterface, HeaderAndSampleErrors)
{
  auto with = [](auto change) {
    THiokiFile f;
    change(f);
    return Build(f);
  };
  struct TCase {
    std::string Bytes, Error;
  } cases[] = {
      {with([](THiokiFile& f) { f.Row2 = "Shot\t(Data Num)\tTrig Date\tTrig time"; }),
       "Błąd w linii 2 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Channels[1] = "CH2\tU2"; }), "Błąd w linii 7 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Titles = "Time[s]\tVa"; }), "Błąd w linii 10 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Titles = "Time\tVa\tIa"; }), "Błąd w linii 10 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Samples[1] = "0,501\t2"; }), "Błąd w linii 12 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Samples.pop_back(); }), "Błąd w linii 13 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Count = "-1"; }), "Błąd w linii 3 pliku Hioki"_cp},
      {with([](THiokiFile& f) { f.Count = "x"; }), "'x' is not a valid integer value"},
      {with([](THiokiFile& f) { f.Date = "2024-13-05"; }), "'2024-13-05' is not a valid date"},
      {with([](THiokiFile& f) { f.Samples[0] = "0,5\t1.5\t0"; }),
       "'1.5' is not a valid floating point value"},
      // A count no file of this size can hold: the rows run out, no buffer of that size is made.
      {with([](THiokiFile& f) { f.Count = "2000000000"; }), "Błąd w linii 14 pliku Hioki"_cp},
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    EXPECT_EQ(LoadError(c.Bytes, rec), c.Error);
  }
  TMemoryStream good(Build(THiokiFile()));
  EXPECT_TRUE(HiokiInterface().CanLoad(good, {}));
  TMemoryStream bad(cases[0].Bytes);
  EXPECT_FALSE(HiokiInterface().CanLoad(bad, {}));
  EXPECT_EQ(HiokiInterface().Description(), "Rejestrator firmy HIOKI");
  EXPECT_EQ(HiokiInterface().FileMask(), "*.txt");
}

TEST(HiokiInterface, NoneOrOneSample)
{
  for (int n : {0, 1}) {
    THiokiFile f;
    f.Count = IntToStr(n);
    f.Samples.resize(size_t(n));
    TComtrade rec;
    EXPECT_EQ(LoadError(Build(f), rec), "");
    EXPECT_EQ(rec.GetSampleCount(), n);
    EXPECT_EQ(rec.Rates->GetItem(0).Rate, 0.0);  // times stay as read
    EXPECT_EQ(rec.FileParam.StartTime.FormatText(),
              n == 0 ? "05/03/2024,10:20:30.000000" : "05/03/2024,10:20:30.500000");
  }
}

TEST(HiokiInterface, SavesAsComtradeAndLoadsBackWithinOneRawStep)
{
  TComtrade rec;
  HiokiInterface().LoadFromStreams(rec, {}, "", OneStream(Build(THiokiFile())), {});
  ExpectComtradeRoundTrip(rec, 3.75 * 1.2 / 32767);
}

TEST(HiokiInterface, LoadsTheSeedFile)
{
  TComtrade rec;
  HiokiInterface().LoadFromStreams(
      rec, {}, "",
      OneStream(ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_hioki/two_channels.txt")),
      {});
  EXPECT_EQ(rec.GetSampleCount(), 3);
  EXPECT_DOUBLE_EQ(rec.Analogs->Items(1).Primary, 2.5);
  bool ok = false;
  EXPECT_DOUBLE_EQ(rec.Analogs->Items(1).GetValueEx(DataModePrimary, 0, ok), -0.25);
}

}  // namespace
