// The COMTRADE file interface: file lists, loading sets of named streams, probing and saving.
#include "ternik/ComTrade3UnitInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "TernikTestSupport.h"
#include "platform/Codepage.h"
#include "platform/SysUtil.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

const std::string kCfg1999 = "Station,Device,1999\r\n"
                             "3,2A,1D\r\n"
                             "1,U1,A,comp,V,0.5,1.0,0,-32768,32767,10,1,P\r\n"
                             "2,U2,B,comp,V,2.0,0,0,-32768,32767,10,1,S\r\n"
                             "1,S1,,,0\r\n"
                             "50\r\n"
                             "1\r\n"
                             "1000,4\r\n"
                             "01/02/2020,10:00:00.000000\r\n"
                             "01/02/2020,10:00:00.001000\r\n";

std::string Ascii4() { return "1,0,10,-10,0\r\n2,1000,20,-20,1\r\n3,2000,30,-30,0\r\n4,3000,40,-40,1\r\n"; }

struct TSet {
  TStringArray Names;
  TStreamArray Streams;
  void Add(const std::string& name, const std::string& bytes)
  {
    Names.push_back(name);
    Streams.push_back(std::make_unique<TMemoryStream>(bytes));
  }
  std::string Bytes(const std::string& ext) const
  {
    const int32_t i = IndexOfFileExt(ext, Names);
    return i < 0 ? std::string() : static_cast<const TMemoryStream&>(*Streams[size_t(i)]).Data();
  }
};

// ---------------------------------------------------------------------------------------
// File lists

TEST(ComtradeInterface, ChangeFileExt)
{
  const std::pair<const char*, const char*> cases[] = {
      {"a.cfg", "a.DAT"}, {"dir/a.cfg", "dir/a.DAT"}, {"dir.x/a", "dir.x/a.DAT"},   {"a", "a.DAT"},
      {"", ".DAT"},       {"a.b.cfg", "a.b.DAT"},     {"dir\\a.cfg", "dir\\a.DAT"}, {".cfg", ".DAT"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(ChangeFileExt(in, ".DAT"), out) << in;
}

TEST(ComtradeInterface, GetFileListFindsCompanionsWhateverTheirCase)
{
  TTempDir dir;
  WriteBytes(dir.File("rec.cfg"), "x");
  WriteBytes(dir.File("rec.dat"), "x");
  WriteBytes(dir.File("REC.Hdr"), "x");
  WriteBytes(dir.File("other.inf"), "x");
  WriteBytes(dir.File("default.INF"), "x");
  const TComtradeInterface& ci = ComtradeInterface();
  TStringArray names;
  ci.GetFileList(dir.File("rec.cfg"), names, true);
  EXPECT_EQ(names, (TStringArray{dir.File("rec.cfg"), dir.File("rec.dat"), dir.File("REC.Hdr"),
                                 dir.File("default.INF")}));
  ci.GetFileList(dir.File("rec.cfg"), names, false);
  EXPECT_EQ(names, (TStringArray{dir.File("rec.cfg"), dir.File("rec.dat"), dir.File("REC.Hdr"),
                                 dir.File("rec.INF")}));
  // Named by its data file: the configuration found on disk still comes first.
  ci.GetFileList(dir.File("rec.DAT"), names, false);
  EXPECT_EQ(names[0], dir.File("rec.cfg"));
  // Nothing on disk: the upper-case extensions.
  ci.GetFileList(dir.File("none.cfg"), names, true);
  EXPECT_EQ(names, (TStringArray{dir.File("none.CFG"), dir.File("none.DAT"), dir.File("default.INF")}));
  ci.GetFileList("", names, false);
  EXPECT_EQ(names, (TStringArray{".CFG", ".DAT", ".HDR", ".INF"}));
  // An exact spelling wins over another one.
  WriteBytes(dir.File("rec.DAT"), "x");
  ci.GetFileList(dir.File("rec.cfg"), names, true);
  EXPECT_EQ(names[1], dir.File("rec.DAT"));
}

// ---------------------------------------------------------------------------------------
// Loading

TEST(ComtradeInterface, LoadsASetOfStreams)
{
  TLibraryScope lib;
  TSet set;
  set.Add("x/rec.cfg", kCfg1999 + "ASCII\r\n1000\r\n");
  set.Add("x/rec.dat", Ascii4());
  set.Add("x/rec.hdr", "line one\r\nline two\r\n");
  set.Add("x/rec.inf", "[Public Analog_Channel_#2]\r\nPen_Color=255\r\nUserWaveComment=own\r\n"
                       "[Velmarsk RecAttribs]\r\nKomment=k\r\nID=7\r\nInterrupted=1\r\n");
  set.Add("x/Default.inf", "[Public Analog_Channel_#1]\r\nPen_Color=99\r\nUserWaveComment=dflt\r\n"
                           "[Public Status_Channel_#1]\r\nChannel_Visible=0\r\n");
  TComtrade rec;
  std::vector<std::string> warnings;
  ComtradeInterface().LoadFromStreams(rec, set.Names, "", set.Streams,
                                      [&](const std::string& w) { warnings.push_back(w); });
  EXPECT_EQ(rec.FileParam.StationName, "Station");
  EXPECT_EQ(rec.DataFileFormat(), DataFileFormatAscii);
  EXPECT_EQ(rec.HdrText, (std::vector<std::string>{"line one", "line two"}));
  ASSERT_EQ(rec.GetSampleCount(), 4);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(3), 40);
  EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(1), -20);
  EXPECT_EQ(rec.Statuses->Items(0).GetSample(1), 1);
  EXPECT_DOUBLE_EQ(rec.Rates->GetTime(3), 0.003);
  // Default.inf first, the set's own .INF last: its comment wins, and a comment only in
  // Default.inf is dropped.
  EXPECT_EQ(rec.Analogs->Items(0).PenColor, 99);
  EXPECT_EQ(rec.Analogs->Items(0).Comment, "");
  EXPECT_EQ(rec.Analogs->Items(1).PenColor, 255);
  EXPECT_EQ(rec.Analogs->Items(1).Comment, "own");
  EXPECT_FALSE(rec.Statuses->Items(0).Visible);
  EXPECT_EQ(rec.RecAttribs.Komment, "k");
  EXPECT_EQ(rec.RecAttribs.ID, 7);
  EXPECT_TRUE(rec.RecAttribs.Interrupted);
  // The raw range was wide enough: no warnings.
  EXPECT_TRUE(warnings.empty());
}

TEST(ComtradeInterface, LoadClearsTheRecordingFirst)
{
  TLibraryScope lib;
  TComtrade rec;
  TSet big;
  big.Add(".CFG", kCfg1999 + "ASCII\r\n1000\r\n");
  big.Add(".DAT", Ascii4());
  big.Add(".HDR", "old header\r\n");
  ComtradeInterface().LoadFromStreams(rec, big.Names, "", big.Streams, nullptr);
  ASSERT_EQ(rec.Analogs->Count(), 2);
  TSet small;
  small.Add(".CFG", "S2,D2,1999\r\n1,1A,0D\r\n1,V,,,V,1,0,0,-5,5,1,1,P\r\n50\r\n1\r\n100,2\r\n"
                    "01/01/2021,00:00:00.000000\r\n01/01/2021,00:00:00.000000\r\nASCII\r\n10000\r\n");
  small.Add(".DAT", "1,0,3\r\n2,0,-4\r\n");
  ComtradeInterface().LoadFromStreams(rec, small.Names, "", small.Streams, nullptr);
  EXPECT_EQ(rec.Analogs->Count(), 1);
  EXPECT_EQ(rec.Statuses->Count(), 0);
  EXPECT_EQ(rec.GetSampleCount(), 2);
  EXPECT_TRUE(rec.HdrText.empty());
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(1), -4);
}

// A parser that only writes, to see the read refusal.
class TWriteOnlyParser : public TComtradeDataFileParser {
public:
  std::string ParserName() const override { return "WONLY"; }
  int32_t Capabilities() const override { return ParserCanWrite; }
};

class TReadOnlyParser : public TComtradeDataFileParser {
public:
  std::string ParserName() const override { return "RONLY"; }
  int32_t Capabilities() const override { return ParserCanRead; }
};

TEST(ComtradeInterface, LoadErrors)
{
  TLibraryScope lib;
  static const TWriteOnlyParser wonly;
  RegisterDataFileParser(wonly);
  struct TCase {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Files;
    const char* Error;
  };
  const TCase cases[] = {
      {"nothing", {{".DAT", ""}}, "TComtradeInterface.prvLoadFromStream: *.CFG stream not found"},
      {"an empty configuration",
       {{".CFG", ""}, {".DAT", ""}},
       "TComtradeInterface.prvLoadFromStream: *.CFG stream not found"},
      {"an information file only", {{".INF", "[a]\r\n"}}, "Unknown data file format: "},
      {"an unknown keyword",
       {{".CFG", kCfg1999 + "float32\r\n1\r\n"}, {".DAT", ""}},
       "Unknown data file format: FLOAT32"},
      {"a parser that cannot read",
       {{".CFG", kCfg1999 + "wonly\r\n1\r\n"}, {".DAT", ""}},
       "Read not supported for format :WONLY"},
      {"no data stream",
       {{".CFG", kCfg1999 + "BINARY\r\n1\r\n"}},
       "TBinaryDataFileParser.LoadDataFromStream: brak pliku dat"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSet set;
    for (const auto& [name, bytes] : c.Files)
      set.Add(name, bytes);
    TComtrade rec;
    try {
      ComtradeInterface().LoadFromStreams(rec, set.Names, "", set.Streams, nullptr);
      ADD_FAILURE() << "no error";
    } catch (const EComtrade& e) {
      EXPECT_STREQ(e.what(), c.Error);
    }
  }
}

TEST(ComtradeInterface, CanLoadProbesTheConfiguration)
{
  TLibraryScope lib;
  std::vector<std::string> said;
  auto hook = [&](const std::string& s) { said.push_back(s); };
  TMemoryStream good(kCfg1999 + "BINARY\r\n1\r\n");
  EXPECT_TRUE(ComtradeInterface().CanLoad(good, hook));
  EXPECT_TRUE(said.empty());
  TMemoryStream bad("Station,Device,1999\r\n3,2A,2D\r\n");
  EXPECT_FALSE(ComtradeInterface().CanLoad(bad, hook));
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(Cp1250ToUtf8(said[0]),
            "Błąd w 2 linii pliku .cfg : Nie zgadza się ilość kanałów analogowych,cyfrowych i ich suma\\n");
  TMemoryStream empty;
  EXPECT_FALSE(ComtradeInterface().CanLoad(empty, nullptr));
}

// ---------------------------------------------------------------------------------------
// Sample buffers are sized by the data, never by the declared count alone

// Channel classes that note the largest sample count any channel was sized for, and refuse
// a count beyond a budget instead of allocating it (so a regression fails, not the machine).
struct TSizeWatch {
  static constexpr int32_t kBudget = 1 << 20;
  static inline int32_t Largest = 0;
  static void Note(int32_t n)
  {
    Largest = std::max(Largest, n);
    if (n > kBudget)
      throw EComtrade("sized for " + std::to_string(n) + " samples");
  }
};
struct TWatchedAnalog : TAnalogDescr {
  using TAnalogDescr::TAnalogDescr;
  void SetSampleCount(int32_t n) override
  {
    TSizeWatch::Note(n);
    TAnalogDescr::SetSampleCount(n);
  }
};
struct TWatchedStatus : TCyfrDescr {
  void SetSampleCount(int32_t n) override
  {
    TSizeWatch::Note(n);
    TCyfrDescr::SetSampleCount(n);
  }
};
class TWatchedClasses {
public:
  TWatchedClasses() : FSaved(ComtradeClasses())
  {
    ComtradeClasses().AnalogDescr = [](uint8_t f) { return std::make_unique<TWatchedAnalog>(f); };
    ComtradeClasses().CyfrDescr = [] { return std::make_unique<TWatchedStatus>(); };
    TSizeWatch::Largest = 0;
  }
  ~TWatchedClasses() { ComtradeClasses() = FSaved; }
  TWatchedClasses(const TWatchedClasses&) = delete;
  TWatchedClasses& operator=(const TWatchedClasses&) = delete;

private:
  TComtradeClasses FSaved;
};

constexpr int kHugeAnalogs = 60, kHugeStatuses = 40;
// Far more samples than any buffer could hold, and more than 32 bits count.
constexpr int64_t kHugeDeclared = 5000000000;
// A configuration of 100 channels declaring kHugeDeclared samples: at 1000 Hz, or with time
// stamps (rate 0).
std::string HugeCfg(const char* keyword, bool stamps)
{
  std::string cfg = "Big,Dev,1999\r\n100,60A,40D\r\n";
  for (int i = 1; i <= kHugeAnalogs; ++i)
    cfg += std::to_string(i) + ",A" + std::to_string(i) + ",,,V,1,0,0,-32768,32767,1,1,P\r\n";
  for (int j = 1; j <= kHugeStatuses; ++j)
    cfg += std::to_string(j) + ",S" + std::to_string(j) + ",,,0\r\n";
  const std::string end = std::to_string(kHugeDeclared);
  cfg += stamps ? "50\r\n0\r\n0," + end + "\r\n" : "50\r\n1\r\n1000," + end + "\r\n";
  cfg += "01/02/2020,10:00:00.000000\r\n01/02/2020,10:00:00.000000\r\n";
  return cfg + keyword + "\r\n1\r\n";
}

// One ASCII line of the huge configuration's channels.
std::string HugeAsciiLine(int n)
{
  std::string line = std::to_string(n) + "," + std::to_string(n * 10);
  for (int i = 0; i < kHugeAnalogs; ++i)
    line += "," + std::to_string(n + i);
  for (int j = 0; j < kHugeStatuses; ++j)
    line += j == n % kHugeStatuses ? ",1" : ",0";
  return line + "\r\n";
}

TEST(ComtradeInterface, DeclaredSamplesBeyondTheDataAllocateOnlyWhatTheDataHolds)
{
  TLibraryScope lib;
  const size_t recSize = 8 + 2 * kHugeAnalogs + 2 * 3;  // 134 bytes
  std::string binary(1024, '\0');                       // 7 whole records and a partial one
  for (size_t r = 0; r < 7; ++r) {
    binary[r * recSize] = static_cast<char>(r + 1);
    binary[r * recSize + 4] = static_cast<char>(5 * r);    // time stamp
    binary[r * recSize + 8] = static_cast<char>(100 + r);  // first analog
  }
  std::string ascii;
  for (int n = 1; ascii.size() + HugeAsciiLine(n).size() <= 1024; ++n)
    ascii += HugeAsciiLine(n);
  const int32_t asciiLines = static_cast<int32_t>(std::count(ascii.begin(), ascii.end(), '\n'));
  ASSERT_GT(asciiLines, 1);
  struct TCase {
    const char* Name;
    const char* Keyword;
    bool Stamps;
    std::string Dat;
    int32_t Samples;
    std::vector<std::string> Warnings;
  };
  const std::vector<TCase> cases = {
      {"BINARY at 1000 Hz",
       "BINARY",
       false,
       binary,
       7,
       {"Comtrade warning : data file holds 7 of 5000000000 samples"}},
      {"BINARY with time stamps",
       "BINARY",
       true,
       binary,
       7,
       {"Comtrade warning : data file holds 7 of 5000000000 samples"}},
      {"ASCII at 1000 Hz",
       "ASCII",
       false,
       ascii,
       asciiLines,
       {"Comtrade warning : data file holds " + std::to_string(asciiLines) + " of 5000000000 samples"}},
      {"ASCII with time stamps",
       "ASCII",
       true,
       ascii,
       asciiLines,
       {"Comtrade warning : data file holds " + std::to_string(asciiLines) + " of 5000000000 samples"}},
      {"ASCII of blank lines",
       "ASCII",
       false,
       std::string(1024, '\n'),
       1024,
       {"Comtrade warning : data file holds 1024 of 5000000000 samples"}},
      {"no data at all",
       "BINARY",
       false,
       "",
       0,
       {"Comtrade warning : data file holds 0 of 5000000000 samples"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TWatchedClasses watch;
    TSet set;
    set.Add(".CFG", HugeCfg(c.Keyword, c.Stamps));
    set.Add(".DAT", c.Dat);
    TComtrade rec;
    std::vector<std::string> warnings;
    ComtradeInterface().LoadFromStreams(rec, set.Names, "", set.Streams,
                                        [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(warnings, c.Warnings);
    ASSERT_EQ(rec.GetSampleCount(), c.Samples);
    ASSERT_EQ(rec.Analogs->Count(), kHugeAnalogs);
    ASSERT_EQ(rec.Statuses->Count(), kHugeStatuses);
    // No buffer was ever sized beyond one sample per byte of data, and each now holds the
    // samples loaded.
    const size_t bound = std::max<size_t>(c.Dat.size(), 1);
    EXPECT_LE(size_t(TSizeWatch::Largest), bound);
    EXPECT_LE(rec.Rates->Times().capacity(), bound);
    EXPECT_LE(rec.Rates->SampleNumbers().capacity(), bound);
    EXPECT_EQ(rec.Rates->SampleNumbers().size(), size_t(c.Samples));
    for (int32_t i = 0; i < kHugeAnalogs; ++i)
      EXPECT_EQ(rec.Analogs->Items(i).SampleCount(), c.Samples);
    for (int32_t j = 0; j < kHugeStatuses; ++j)
      EXPECT_EQ(rec.Statuses->Items(j).SampleCount(), c.Samples);
    // The recording agrees with itself: its one segment ends at the samples read, at the
    // declared rate, and the time axis holds exactly those.
    ASSERT_EQ(rec.Rates->SegmentCount(), 1);
    EXPECT_EQ(rec.Rates->TotalSamples64(), c.Samples);
    EXPECT_EQ(rec.Rates->GetItem(0).Rate, c.Stamps ? 0.0 : 1000.0);
    EXPECT_EQ(rec.Rates->Times().size(), size_t(c.Samples));
    if (c.Samples > 1 && std::string(c.Keyword) == "BINARY") {
      EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(6), 106);
      EXPECT_EQ(rec.Rates->FGetSamplIdx(6), 7);
      EXPECT_DOUBLE_EQ(rec.Rates->GetTime(6), c.Stamps ? 30e-6 : 0.006);
    } else if (c.Samples > 1 && c.Dat[0] != '\n') {
      EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(1), 3);
      EXPECT_EQ(rec.Statuses->Items(2).GetSample(1), 1);
      EXPECT_DOUBLE_EQ(rec.Rates->GetTime(1), c.Stamps ? 20e-6 : 0.001);
    }
  }
}

TEST(ComtradeInterface, ProbingAndReadingForNoDataSizeNoSampleBuffers)
{
  TLibraryScope lib;
  for (const bool stamps : {false, true}) {
    SCOPED_TRACE(stamps);
    TWatchedClasses watch;
    TMemoryStream cfg(HugeCfg("BINARY", stamps));
    EXPECT_TRUE(ComtradeInterface().CanLoad(cfg, nullptr));
    EXPECT_EQ(TSizeWatch::Largest, 0);
    // The configuration read alone: it is all there, the buffers are empty.
    TComtrade rec;
    TComtradeInterface ci;
    ci.ReadCfg(rec, cfg, nullptr);
    EXPECT_EQ(TSizeWatch::Largest, 0);
    EXPECT_EQ(rec.GetSampleCount(), 0);
    EXPECT_EQ(rec.Rates->Times().capacity(), 0u);
    EXPECT_EQ(rec.Rates->SampleNumbers().capacity(), 0u);
    EXPECT_EQ(rec.Rates->TotalSamples64(), kHugeDeclared);
    EXPECT_EQ(rec.Analogs->Count(), kHugeAnalogs);
    for (int32_t i = 0; i < kHugeAnalogs; ++i)
      EXPECT_EQ(rec.Analogs->Items(i).SampleCount(), 0);
    EXPECT_EQ(ci.FileType, "BINARY");
    // Nor does a later change of the segments: only the data sizes the buffers.
    rec.Rates->GetItem(0).SetEndSample(kHugeDeclared + 1);
    EXPECT_EQ(rec.Rates->Times().capacity(), 0u);
    EXPECT_EQ(rec.Rates->SampleNumbers().capacity(), 0u);
    // The largest end sample 64 bits hold is read as well.
    const std::string top =
        std::string(HugeCfg("BINARY", stamps))
            .replace(cfg.Data().find(std::to_string(kHugeDeclared)), 10, "9223372036854775807");
    TMemoryStream topCfg(top);
    TComtrade topRec;
    ci.ReadCfg(topRec, topCfg, nullptr);
    EXPECT_EQ(topRec.Rates->TotalSamples64(), INT64_MAX);
    EXPECT_EQ(topRec.GetSampleCount(), 0);
  }
}

TEST(ComtradeInterface, ReusedRecordingKeepsNothingOfTheLastLoad)
{
  TLibraryScope lib;
  TComtrade rec;
  TSet first;
  first.Add(".CFG", kCfg1999 + "ASCII\r\n1000\r\n");
  first.Add(".DAT", Ascii4());
  ComtradeInterface().LoadFromStreams(rec, first.Names, "", first.Streams, nullptr);
  ASSERT_EQ(rec.GetSampleCount(), 4);
  rec.View.ViewStart = 0.001;
  rec.View.ViewEnd = 0.002;
  rec.RecAttribs.Komment = "old";
  rec.RecAttribs.Interrupted = true;
  // Time stamps and an end sample of 0: the configuration says nothing of the count, so
  // the data alone decides, and the old axis must not show through.
  TSet second;
  second.Add(".CFG", "S2,D2,1999\r\n1,1A,0D\r\n1,V,,,V,1,0,0,-5,5,1,1,P\r\n50\r\n0\r\n0,0\r\n"
                     "01/01/2021,00:00:00.000000\r\n01/01/2021,00:00:00.000000\r\nASCII\r\n1\r\n");
  second.Add(".DAT", "7,500,3\r\n9,900,-4\r\n");
  ComtradeInterface().LoadFromStreams(rec, second.Names, "", second.Streams, nullptr);
  ASSERT_EQ(rec.GetSampleCount(), 2);
  EXPECT_EQ(rec.Rates->Times(), (std::vector<double>{500e-6, 900e-6}));
  EXPECT_EQ(rec.Rates->SampleNumbers(), (std::vector<int64_t>{7, 9}));
  EXPECT_EQ(rec.View.ViewStart, -1.0);
  EXPECT_EQ(rec.View.ViewEnd, -1.0);
  EXPECT_EQ(rec.RecAttribs.Komment, "");
  EXPECT_FALSE(rec.RecAttribs.Interrupted);
  EXPECT_EQ(rec.FileParam.StationName, "S2");
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(1), -4);
}

// ---------------------------------------------------------------------------------------
// Saving

std::unique_ptr<TComtrade> LoadedRec()
{
  auto rec = std::make_unique<TComtrade>();
  TSet ascii;
  ascii.Add(".CFG", kCfg1999 + "ASCII\r\n1\r\n");
  ascii.Add(".DAT", Ascii4());
  ComtradeInterface().LoadFromStreams(*rec, ascii.Names, "", ascii.Streams, nullptr);
  return rec;
}

TEST(ComtradeInterface, SaveWritesTheFourNamedStreams)
{
  TLibraryScope lib;
  struct TCase {
    const char* Keyword;
    uint8_t Format;
    size_t DatBytes;
  };
  const TCase cases[] = {{"", DataFileFormatBinary, 4 * (8 + 4 + 2)},
                         {"BINARY", DataFileFormatBinary, 4 * (8 + 4 + 2)},
                         {"ASCII", DataFileFormatAscii, Ascii4().size()}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Keyword);
    auto rec = LoadedRec();
    rec->HdrText = {"h1", "h2"};
    TStringArray names{"junk"};
    TStreamArray streams;
    ComtradeInterface().SaveToStreams(*rec, names, false, false, c.Keyword, streams, 0, 0);
    EXPECT_EQ(names, (TStringArray{".CFG", ".DAT", ".HDR", ".INF"}));
    ASSERT_EQ(streams.size(), 4u);
    EXPECT_EQ(rec->DataFileFormat(), c.Format);
    const std::string cfg = static_cast<TMemoryStream&>(*streams[0]).Data();
    EXPECT_NE(cfg.find(std::string("\r\n") + (c.Format ? "BINARY" : "ASCII") + "\r\n"), std::string::npos);
    EXPECT_EQ(static_cast<TMemoryStream&>(*streams[1]).Size(), int64_t(c.DatBytes));
    if (c.Format == DataFileFormatAscii) {
      EXPECT_EQ(static_cast<TMemoryStream&>(*streams[1]).Data(), Ascii4());
    }
    EXPECT_EQ(static_cast<TMemoryStream&>(*streams[2]).Data(), "h1\r\nh2\r\n");
    const std::string inf = static_cast<TMemoryStream&>(*streams[3]).Data();
    EXPECT_NE(inf.find(std::string("File_Type=") + (c.Format ? "BINARY" : "ASCII")), std::string::npos);

    // Read back: the same channels and samples.
    TComtrade back;
    ComtradeInterface().LoadFromStreams(back, names, "", streams, nullptr);
    ASSERT_EQ(back.GetSampleCount(), 4);
    for (int32_t r = 0; r < 4; ++r) {
      EXPECT_EQ(back.Analogs->Items(0).GetRawSample(r), rec->Analogs->Items(0).GetRawSample(r));
      EXPECT_EQ(back.Analogs->Items(1).GetRawSample(r), rec->Analogs->Items(1).GetRawSample(r));
      EXPECT_EQ(back.Statuses->Items(0).GetSample(r), rec->Statuses->Items(0).GetSample(r));
    }
  }
  auto rec = LoadedRec();
  TStringArray names;
  TStreamArray streams;
  try {
    ComtradeInterface().SaveToStreams(*rec, names, false, false, "FLOAT32", streams, 0, 0);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "Unknown data file format: FLOAT32");
  }
  static const TReadOnlyParser ronly;
  RegisterDataFileParser(ronly);
  try {
    ComtradeInterface().SaveToStreams(*rec, names, false, false, "RONLY", streams, 0, 0);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "Write not supported for format :RONLY");
  }
}

TEST(ComtradeInterface, SelectedViewSaveKeepsConfigurationDataAndInformationTogether)
{
  TLibraryScope lib;
  auto rec = LoadedRec();
  rec->Analogs->Items(0).Visible = false;
  rec->Analogs->Items(1).PenColor = 1234;
  rec->View.ViewStart = 0.001;
  rec->View.ViewEnd = 0.003;
  TStringArray names;
  TStreamArray streams;
  ComtradeInterface().SaveToStreams(*rec, names, true, true, "BINARY", streams, 0, 0);
  TComtrade back;
  ComtradeInterface().LoadFromStreams(back, names, "", streams, nullptr);
  ASSERT_EQ(back.Analogs->Count(), 1);
  EXPECT_EQ(back.Analogs->Items(0).ChannelId, "U2");
  EXPECT_EQ(back.Analogs->Items(0).PenColor, 1234);  // the .INF speaks of the saved channel
  ASSERT_EQ(back.GetSampleCount(), 2);
  EXPECT_EQ(back.Analogs->Items(0).GetRawSample(0), -20);
  EXPECT_EQ(back.Analogs->Items(0).GetRawSample(1), -30);
  EXPECT_EQ(back.FileParam.StartTime.FormatText(), "01/02/2020,10:00:00.001000");
}

TEST(ComtradeInterface, ZeroMultiplierIsSettledBeforeTheConfiguration)
{
  TLibraryScope lib;
  auto rec = LoadedRec();
  rec->Rates->GetItem(0).Rate = 0;  // no rate: the times are the file's
  rec->FileParam.TimeMultiplier = 0;
  for (int32_t r = 0; r < 4; ++r)
    rec->Rates->FSetTime(r, r * 0.004);
  TStringArray names;
  TStreamArray streams;
  std::vector<std::string> warnings;
  ComtradeInterface().SaveToStreams(*rec, names, false, false, "BINARY", streams, 0, 0,
                                    [&](const std::string& w) { warnings.push_back(w); });
  EXPECT_EQ(warnings.size(), 1u);
  EXPECT_EQ(rec->FileParam.TimeMultiplier, 3000.0);  // 0.012 s / 4 samples
  const std::string cfg = static_cast<TMemoryStream&>(*streams[0]).Data();
  EXPECT_NE(cfg.find("\r\n3000.000000000000\r\n"), std::string::npos) << cfg;
  TComtrade back;
  ComtradeInterface().LoadFromStreams(back, names, "", streams, nullptr);
  ASSERT_EQ(back.GetSampleCount(), 4);
  for (int32_t r = 0; r < 4; ++r)
    EXPECT_NEAR(back.Rates->GetTime(r), r * 0.004, 1.5e-3) << r;
}

// ---------------------------------------------------------------------------------------
// Files written by another tool

struct TOtherFile {
  const char* Cfg;
  const char* Start;
  const char* Trigger;
  int32_t Samples;
  int Channel;  // analog channel checked
  std::vector<double> FirstValues;
  double LastValue;
  int OtherChannel;  // a further channel, its sample and value
  int32_t OtherSample;
  double OtherValue;
  double Step;  // seconds between samples
};

// The values the other reader reports (a x raw + b, without primary/secondary factors).
const TOtherFile kOtherFiles[] = {
    {"sample_ascii.cfg",
     "12/01/2011,05:55:30.075011",
     "12/01/2011,05:55:30.078261",
     40,
     0,
     {-9.39605712890625, -1.65142822265625, 6.32098388671875},
     -19.19073486328125,
     3,
     39,
     -12.47113037109375,
     1.0 / 1200},
    {"sample_bin.cfg",
     "07/01/2017,15:35:41.958268",
     "07/01/2017,15:35:41.958333",
     5,
     0,
     {-9.038625717163086, -8.890992164611816, -8.703554153442383},
     -8.246539115905762,
     2,
     0,
     10.302122116088867,
     1.0 / 15360},
    {"sample_iso8859-1.cfg",
     "12/01/2011,05:55:30.075011",
     "12/01/2011,05:55:30.078261",
     40,
     0,
     {-9.39605712890625, -1.65142822265625, 6.32098388671875},
     -19.19073486328125,
     3,
     39,
     -12.47113037109375,
     1.0 / 1200},
    {"sample_iso8859-1_bin.cfg",
     "12/01/2011,05:55:30.750110",
     "12/01/2011,05:55:30.782610",
     40,
     0,
     {-9.395869255065918},
     -19.190528869628906,
     0,
     39,
     -19.190528869628906,
     1.0 / 1200},
};

double Scaled(const TAnalogDescr& d, int32_t r) { return d.GetRawSample(r) * d.A + d.B; }

// The other reader scales binary files in single precision; this library in double. The
// values agree to float rounding.
double FloatTolerance(double v) { return 1e-7 * std::fabs(v) + 1e-9; }

std::unique_ptr<TComtrade> LoadFromDisk(const std::string& cfg, std::vector<std::string>* warnings)
{
  TStringArray names;
  ComtradeInterface().GetFileList(cfg, names, true);
  TStreamArray streams;
  for (const std::string& n : names) {
    std::string bytes;
    if (!ReadWholeFile(n, bytes, size_t(1) << 26))
      bytes.clear();
    streams.push_back(std::make_unique<TMemoryStream>(bytes));
  }
  auto rec = std::make_unique<TComtrade>();
  ComtradeInterface().LoadFromStreams(*rec, names, "", streams, [&](const std::string& w) {
    if (warnings)
      warnings->push_back(w);
  });
  return rec;
}

TEST(ComtradeInterface, LoadsTheFilesOfAnotherTool)
{
  TLibraryScope lib;
  for (const TOtherFile& f : kOtherFiles) {
    SCOPED_TRACE(f.Cfg);
    std::vector<std::string> warnings;
    auto rec = LoadFromDisk(std::string(KIV_TESTDATA_DIR) + "/comtrade/" + f.Cfg, &warnings);
    EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0]);
    EXPECT_EQ(rec->FileParam.StartTime.FormatText(), f.Start);
    EXPECT_EQ(rec->FileParam.TriggerTime.FormatText(), f.Trigger);
    ASSERT_EQ(rec->GetSampleCount(), f.Samples);
    const TAnalogDescr& d = rec->Analogs->Items(f.Channel);
    for (size_t r = 0; r < f.FirstValues.size(); ++r)
      EXPECT_NEAR(Scaled(d, int32_t(r)), f.FirstValues[r], FloatTolerance(f.FirstValues[r])) << r;
    EXPECT_NEAR(Scaled(d, f.Samples - 1), f.LastValue, FloatTolerance(f.LastValue));
    EXPECT_NEAR(Scaled(rec->Analogs->Items(f.OtherChannel), f.OtherSample), f.OtherValue,
                FloatTolerance(f.OtherValue));
    for (int32_t r = 0; r < f.Samples; ++r)
      EXPECT_NEAR(rec->Rates->GetTime(r), r * f.Step, 1e-12) << r;
    // The status channels of these recordings are all 0 in their first samples.
    for (const auto& s : *rec->Statuses)
      EXPECT_EQ(s->GetSample(0), 0);
  }
}

TEST(ComtradeInterface, FilesOfAnotherToolSurviveASaveInEitherFormat)
{
  TLibraryScope lib;
  for (const TOtherFile& f : kOtherFiles) {
    for (const char* keyword : {"BINARY", "ASCII"}) {
      SCOPED_TRACE(std::string(f.Cfg) + " " + keyword);
      auto rec = LoadFromDisk(std::string(KIV_TESTDATA_DIR) + "/comtrade/" + f.Cfg, nullptr);
      TStringArray names;
      TStreamArray streams;
      ComtradeInterface().SaveToStreams(*rec, names, false, false, keyword, streams, 0, 0);
      TComtrade back;
      ComtradeInterface().LoadFromStreams(back, names, "", streams, nullptr);
      ASSERT_EQ(back.Analogs->Count(), rec->Analogs->Count());
      ASSERT_EQ(back.Statuses->Count(), rec->Statuses->Count());
      ASSERT_EQ(back.GetSampleCount(), rec->GetSampleCount());
      EXPECT_EQ(back.FileParam.StartTime.FormatText(), f.Start);
      for (int32_t i = 0; i < rec->Analogs->Count(); ++i) {
        const TAnalogDescr& a = rec->Analogs->Items(i);
        const TAnalogDescr& b = back.Analogs->Items(i);
        EXPECT_EQ(b.ChannelId, a.ChannelId);
        // The configuration writes A and B with 16 decimals: values agree to that.
        for (int32_t r = 0; r < rec->GetSampleCount(); ++r) {
          EXPECT_EQ(b.GetRawSample(r), a.GetRawSample(r)) << i << " " << r;
          EXPECT_NEAR(Scaled(b, r), Scaled(a, r), 1e-9) << i << " " << r;
        }
      }
      for (int32_t j = 0; j < rec->Statuses->Count(); ++j)
        for (int32_t r = 0; r < rec->GetSampleCount(); ++r)
          EXPECT_EQ(back.Statuses->Items(j).GetSample(r), rec->Statuses->Items(j).GetSample(r));
      for (int32_t r = 0; r < rec->GetSampleCount(); ++r)
        EXPECT_NEAR(back.Rates->GetTime(r), rec->Rates->GetTime(r), 1e-9);
    }
  }
}

}  // namespace
