// The COMTRADE data parsers (BINARY and ASCII) and the data-file unit's start-up.
#include "ternik/DataFileParsersUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <cstdint>
#include <string>
#include <vector>

#include "ComTrade3TestSupport.h"
#include "TernikTestSupport.h"
#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/LangUnit.h"

namespace {

// A recording of A raw analog and D status channels, numbered from 1, without samples yet.
std::unique_ptr<TComtrade> MakeRec(int A, int D, std::initializer_list<std::pair<double, int64_t>> rates = {},
                                   double multiplier = 1.0)
{
  auto rec = std::make_unique<TComtrade>();
  for (int i = 0; i < A; ++i) {
    TAnalogDescr& d = rec->Analogs->AddChannel(MemoryFormatRaw);
    d.A = 1;
    d.RangeMin = -32768;
    d.RangeMax = 32767;
  }
  for (int j = 0; j < D; ++j)
    rec->Statuses->AddChannel();
  AddRates(*rec, rates);
  rec->FileParam.TimeMultiplier = multiplier;
  return rec;
}

struct TDatSet {
  TStringArray Names;
  TStreamArray Streams;
  explicit TDatSet(std::string bytes, std::string name = "rec.dat")
  {
    Names.push_back(".CFG");
    Streams.push_back(std::make_unique<TMemoryStream>());
    Names.push_back(std::move(name));
    Streams.push_back(std::make_unique<TMemoryStream>(std::move(bytes)));
  }
  const std::string& Dat() const { return static_cast<const TMemoryStream&>(*Streams[1]).Data(); }
};

// One BINARY record, written field by field.
struct TBinRec {
  uint32_t Number;
  uint32_t Stamp;
  std::vector<int16_t> Analogs;
  std::vector<uint16_t> Words;
};

std::string BinBytes(const std::vector<TBinRec>& recs)
{
  std::string b;
  for (const TBinRec& r : recs) {
    AppendU32LE(b, r.Number);
    AppendU32LE(b, r.Stamp);
    for (int16_t a : r.Analogs)
      AppendI16LE(b, a);
    for (uint16_t w : r.Words)
      AppendU16LE(b, w);
  }
  return b;
}

// ---------------------------------------------------------------------------------------
// BINARY loading

TEST(BinaryDataFileParser, LoadsRecordsTable)
{
  struct TCase {
    const char* Name;
    int A, D;
    std::vector<std::pair<double, int64_t>> Rates;
    std::vector<TBinRec> Records;
    std::string Tail;  // bytes after the whole records
    int32_t Samples;   // expected sample count
    int32_t Read;      // records expected to be read
  };
  const TCase cases[] = {
      // 8 + 2x2 + 2x2 = 16-byte records; no declared count: the stream size decides.
      {"A2 D17 ten records",
       2,
       17,
       {},
       {{1, 0, {100, -100}, {0x0001, 0x0001}},
        {2, 10, {-32768, 32767}, {0x8000, 0x0000}},
        {3, 20, {0, 1}, {0xFFFF, 0x0001}},
        {4, 30, {5, 5}, {0, 0}},
        {5, 40, {6, 6}, {0, 0}},
        {6, 50, {7, 7}, {0, 0}},
        {7, 60, {8, 8}, {0, 0}},
        {8, 70, {9, 9}, {0, 0}},
        {9, 80, {10, 10}, {0, 0}},
        {10, 90, {11, 11}, {0, 0}}},
       "",
       10,
       10},
      {"sample numbers 0 and 0xFFFFFFFF, stamp 0xFFFFFFFF",
       1,
       1,
       {},
       {{0, 0, {1}, {1}}, {0xFFFFFFFF, 0xFFFFFFFF, {2}, {0}}, {0, 5, {3}, {1}}},
       "",
       3,
       3},
      {"declared count below the stream's records",
       1,
       0,
       {{1000, 2}},
       {{1, 0, {1}, {}}, {2, 0, {2}, {}}, {3, 0, {3}, {}}},
       "",
       2,
       2},
      {"partial last record is not read",
       1,
       2,
       {},
       {{1, 0, {1}, {3}}, {2, 1, {2}, {0}}},
       std::string(7, '\x7F'),
       2,
       2},
      {"no channels at all", 0, 0, {}, {{1, 0, {}, {}}, {2, 1, {}, {}}}, "", 2, 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto rec = MakeRec(c.A, c.D, {}, 2.5);
    for (const auto& [rate, end] : c.Rates) {
      TRateDescr& r = rec->Rates->AddRate();
      r.Rate = rate;
      r.SetEndSample(end);
    }
    TDatSet set(BinBytes(c.Records) + c.Tail);
    std::vector<std::string> warnings;
    BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams,
                                              [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(rec->GetSampleCount(), c.Samples);
    const bool stamps = rec->Rates->HasExplicitTimes();
    for (int32_t r = 0; r < c.Read; ++r) {
      const TBinRec& b = c.Records[size_t(r)];
      EXPECT_EQ(rec->Rates->FGetSamplIdx(r), b.Number == 0 ? r + 1 : int64_t(b.Number));
      EXPECT_DOUBLE_EQ(rec->Rates->GetTime(r), stamps ? double(b.Stamp) * 2.5 / 1e6 : r / 1000.0);
      for (int i = 0; i < c.A; ++i)
        EXPECT_EQ(rec->Analogs->Items(i).GetRawSample(r), b.Analogs[size_t(i)]);
      for (int j = 0; j < c.D; ++j)
        EXPECT_EQ(rec->Statuses->Items(j).GetSample(r), (b.Words[size_t(j / 16)] >> (j % 16)) & 1);
    }
  }
}

TEST(BinaryDataFileParser, StatusChannel16IsBit0OfTheSecondWord)
{
  auto rec = MakeRec(2, 17);
  // Written by hand: number 1, stamp 0, analogs 0 and 0, word 1 = 0x0000, word 2 = 0x0001.
  const std::string bytes("\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0", 16);
  TDatSet set(bytes);
  BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
  ASSERT_EQ(rec->GetSampleCount(), 1);
  for (int j = 0; j < 16; ++j)
    EXPECT_EQ(rec->Statuses->Items(j).GetSample(0), 0) << j;
  EXPECT_EQ(rec->Statuses->Items(16).GetSample(0), 1);
  EXPECT_DOUBLE_EQ(rec->Rates->GetTime(0), 0.0);
  // A time stamp 0xFFFFFFFF is a large unsigned count, never -1.
  auto one = MakeRec(0, 0, {}, 1.0);
  TDatSet big(std::string("\x00\x00\x00\x00\xFF\xFF\xFF\xFF", 8));
  BinaryDataFileParser().LoadDataFromStream(*one, big.Names, big.Streams, nullptr);
  EXPECT_DOUBLE_EQ(one->Rates->GetTime(0), 4294.967295);
}

TEST(BinaryDataFileParser, ScaledStoresAreFilledThroughTheirScaling)
{
  // A channel held as scaled values (raw x A + B) next to a raw one, in both formats.
  const std::pair<const TComtradeDataFileParser*, std::string> files[] = {
      {&BinaryDataFileParser(), BinBytes({{1, 0, {5, 5}, {1}}, {2, 1, {-3, -3}, {0}}})},
      {&AsciiDataFileParser(), "1,0,5,5,1\r\n2,1,-3,-3,0\r\n"},
  };
  for (const auto& [parser, bytes] : files) {
    SCOPED_TRACE(parser->ParserName());
    auto rec = MakeRec(1, 1);
    TAnalogDescr& scaled = rec->Analogs->AddChannel(MemoryFormatScaled);
    scaled.A = 2;
    scaled.B = 1;
    TDatSet set(bytes);
    parser->LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
    ASSERT_EQ(rec->GetSampleCount(), 2);
    bool ok = false;
    EXPECT_EQ(scaled.GetValueEx(DataModePrimary, 0, ok), 11.0);
    EXPECT_EQ(scaled.GetValueEx(DataModePrimary, 1, ok), -5.0);
    EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(1), -3);
    EXPECT_EQ(rec->Statuses->Items(0).GetSample(0), 1);
  }
}

TEST(BinaryDataFileParser, ShortFileLoadsTheRecordsItHolds)
{
  // Declared 6 samples at 1000 Hz, the file holds 2 records and a few bytes: the 2 records
  // load, and the buffers are sized for them, not for the declared count.
  for (const bool stampMode : {false, true}) {
    SCOPED_TRACE(stampMode);
    auto rec = stampMode ? MakeRec(2, 3, {{0, 6}}) : MakeRec(2, 3, {{1000, 6}});
    // Values from an earlier use of the buffers must not survive.
    for (int32_t r = 0; r < 6; ++r)
      rec->Analogs->Items(0).SetRawSample(r, 77);
    TDatSet set(BinBytes({{1, 10, {11, -11}, {5}}, {2, 20, {22, -22}, {2}}}) + "\x01\x02\x03");
    std::vector<std::string> warnings;
    BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams,
                                              [&](const std::string& w) { warnings.push_back(w); });
    ASSERT_EQ(rec->GetSampleCount(), 2);
    EXPECT_EQ(warnings, std::vector<std::string>{"Comtrade warning : data file holds 2 of 6 samples"});
    for (int i = 0; i < 2; ++i)
      EXPECT_EQ(rec->Analogs->Items(i).SampleCount(), 2);
    for (int j = 0; j < 3; ++j)
      EXPECT_EQ(rec->Statuses->Items(j).SampleCount(), 2);
    EXPECT_EQ(rec->Rates->SampleNumbers().size(), 2u);
    EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(0), 11);
    EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(1), 22);
    EXPECT_EQ(rec->Analogs->Items(1).GetRawSample(1), -22);
    EXPECT_EQ(rec->Statuses->Items(1).GetSample(1), 1);
    EXPECT_EQ(rec->Statuses->Items(0).GetSample(1), 0);
    EXPECT_EQ(rec->Rates->FGetSamplIdx(1), 2);
    EXPECT_DOUBLE_EQ(rec->Rates->GetTime(1), stampMode ? 20e-6 : 0.001);
    // The one segment ends at the samples read.
    ASSERT_EQ(rec->Rates->SegmentCount(), 1);
    EXPECT_EQ(rec->Rates->TotalSamples64(), 2);
    EXPECT_EQ(rec->Rates->Times().size(), 2u);
  }
}

TEST(BinaryDataFileParser, DeclaredCountFarBeyondTheDataLoadsTheRecordsItHolds)
{
  // Any declared count that 64 bits hold is only a declaration: no error, no buffer for it.
  for (const int64_t declared : {int64_t(100000001), int64_t(5000000000), INT64_MAX}) {
    SCOPED_TRACE(declared);
    auto rec = MakeRec(1, 0);
    TRateDescr& r = rec->Rates->AddRate();
    r.Rate = 1000;
    r.SetEndSample(declared);
    TDatSet set(BinBytes({{1, 0, {1}, {}}, {2, 0, {2}, {}}}));
    std::vector<std::string> warnings;
    BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams,
                                              [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(warnings, std::vector<std::string>{"Comtrade warning : data file holds 2 of " +
                                                 IntToStr(declared) + " samples"});
    ASSERT_EQ(rec->GetSampleCount(), 2);
    EXPECT_EQ(rec->Rates->TotalSamples64(), 2);
    EXPECT_LE(rec->Rates->Times().capacity(), 2u);
    EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(1), 2);
    EXPECT_DOUBLE_EQ(rec->Rates->GetTime(1), 0.001);
  }
}

// Both parsers: a recording holds only the samples its data file gave. The segment that holds
// the last sample read ends there and later ones go; with none read the first segment stays,
// at its rate, ending at 0.
TEST(DataFileParsers, RecordingHoldsOnlyTheSamplesRead)
{
  using TSegs = std::vector<std::pair<double, int64_t>>;
  struct TCase {
    int32_t Held;  // samples the data file holds
    TSegs Segments;
  };
  const TCase cases[] = {
      {0, {{1000, 0}}},
      {50, {{1000, 50}}},
      {100, {{1000, 100}}},
      {150, {{1000, 100}, {500, 150}}},
      {299, {{1000, 100}, {500, 200}, {250, 299}}},
      {300, {{1000, 100}, {500, 200}, {250, 300}}},
  };
  for (const bool ascii : {false, true}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::string(ascii ? "ASCII " : "BINARY ") + std::to_string(c.Held));
      auto rec = MakeRec(1, 1, {{1000, 100}, {500, 200}, {250, 300}});
      // An earlier use of the recording sized it for every declared sample.
      ASSERT_EQ(rec->GetSampleCount(), 300);
      std::string dat;
      std::vector<TBinRec> recs;
      for (int32_t k = 0; k < c.Held; ++k) {
        dat += std::to_string(k + 1) + ",0," + std::to_string(k) + ",1\r\n";
        recs.push_back({uint32_t(k + 1), 0, {int16_t(k)}, {1}});
      }
      TDatSet set(ascii ? dat : BinBytes(recs));
      std::vector<std::string> warnings;
      (ascii ? AsciiDataFileParser() : BinaryDataFileParser())
          .LoadDataFromStream(*rec, set.Names, set.Streams,
                              [&](const std::string& w) { warnings.push_back(w); });
      ASSERT_EQ(rec->GetSampleCount(), c.Held);
      EXPECT_EQ(rec->Analogs->Items(0).SampleCount(), c.Held);
      EXPECT_EQ(rec->Statuses->Items(0).SampleCount(), c.Held);
      EXPECT_EQ(rec->Rates->Times().size(), size_t(c.Held));
      EXPECT_EQ(rec->Rates->SampleNumbers().size(), size_t(c.Held));
      TSegs segs;
      for (int32_t k = 0; k < rec->Rates->SegmentCount(); ++k)
        segs.emplace_back(rec->Rates->GetItem(k).Rate, rec->Rates->GetItem(k).EndSample());
      EXPECT_EQ(segs, c.Segments);
      EXPECT_FALSE(rec->Rates->HasExplicitTimes());
      if (c.Held > 0) {
        const int32_t last = c.Held - 1;
        EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(last), last);
        EXPECT_DOUBLE_EQ(rec->Rates->GetTime(last), rec->Rates->SampleTime(last));
      }
      // Both say that the file was short.
      const std::vector<std::string> said =
          c.Held < 300 ? std::vector<std::string>{"Comtrade warning : data file holds " +
                                                  std::to_string(c.Held) + " of 300 samples"}
                       : std::vector<std::string>{};
      EXPECT_EQ(warnings, said);
    }
  }
}

TEST(BinaryDataFileParser, MissingStreamAndFailingStore)
{
  TLibraryScope lib;
  auto rec = MakeRec(1, 0);
  TStringArray names{".CFG", "x.hdr"};
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>());
  streams.push_back(std::make_unique<TMemoryStream>());
  try {
    BinaryDataFileParser().LoadDataFromStream(*rec, names, streams, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "TBinaryDataFileParser.LoadDataFromStream: brak pliku dat");
  }
  try {
    BinaryDataFileParser().SaveDataToStream(*rec, names, false, false, streams, 0, 0, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "TBinaryDataFileParser.SaveDataToStream: brak strumienia *.dat");
  }
  // A channel held in an unknown store fails its first store; the message says where.
  TComtrade bad;
  bad.Analogs->Add(std::make_unique<TAnalogDescr>(uint8_t(7)));
  TDatSet set(BinBytes({{1, 0, {1}, {}}}));
  try {
    BinaryDataFileParser().LoadDataFromStream(bad, set.Names, set.Streams, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(),
                 "TBinaryDataFileParser.LoadDataStream(): Unknown format of memory for analog buffer.");
  }
}

// A channel that cannot be sized fails the load before any sample is written; the channels
// sized before it read 0 in their new samples, not what their stores held before.
TEST(BinaryDataFileParser, FailedSizingLeavesZeros)
{
  TLibraryScope lib;
  auto rec = MakeRec(1, 1);
  rec->SetSampleCount(3);
  for (int32_t r = 0; r < 3; ++r) {
    rec->Analogs->Items(0).SetRawSample(r, 77);
    rec->Statuses->Items(0).SetSample(r, 1);
  }
  rec->SetSampleCount(1);
  rec->Analogs->Add(std::make_unique<TAnalogDescr>(uint8_t(7)));
  TDatSet set(BinBytes({{1, 0, {5, 5}, {1}}, {2, 0, {6, 6}, {1}}, {3, 0, {7, 7}, {1}}}));
  EXPECT_THROW(BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr), EComtrade);
  const TAnalogDescr& a = rec->Analogs->Items(0);
  ASSERT_EQ(a.SampleCount(), 3);
  EXPECT_EQ(a.GetRawSample(0), 77);  // kept from before, as a plain sizing keeps it
  EXPECT_EQ(a.GetRawSample(1), 0);
  EXPECT_EQ(a.GetRawSample(2), 0);
}

// A status channel class of a derived library that sizes its store its own way: Delta
// samples more than it is asked for (fewer for a negative Delta, never below none). Where a
// sizing leaves its new samples unset, it fills them with a poison byte, so that a test sees
// any sample that nobody wrote.
constexpr uint8_t kPoison = 0xA5;
class TOwnSizedStatus : public TCyfrDescr {
public:
  explicit TOwnSizedStatus(int32_t delta) : FDelta(delta) {}
  void SetSampleCount(int32_t n) override
  {
    const int32_t old = SampleCount();
    TCyfrDescr::SetSampleCount(std::max(0, n + FDelta));
    if (FLeaveNewUnset)
      for (int32_t i = old; i < SampleCount(); ++i)
        Samples()[size_t(i)] = kPoison;
  }

private:
  int32_t FDelta;
};

// A status channel class that refuses to hold any sample.
class TRefusingStatus : public TCyfrDescr {
public:
  std::vector<int32_t> Asked;
  void SetSampleCount(int32_t n) override
  {
    Asked.push_back(n);
    if (n > 0)
      throw EComtrade("refused");
    TCyfrDescr::SetSampleCount(n);
  }
};

// Adds a status channel of the given class, substituted as a derived library does.
template <class T>
T& AddStatusOfClass(TComtrade& rec, std::function<std::unique_ptr<TCyfrDescr>()> make)
{
  const TComtradeClasses saved = ComtradeClasses();
  ComtradeClasses().CyfrDescr = std::move(make);
  TCyfrDescr& d = rec.Statuses->AddChannel();
  ComtradeClasses() = saved;
  T* own = dynamic_cast<T*>(&d);
  if (!own)
    throw std::logic_error("the substituted class was not used");
  return *own;
}

TOwnSizedStatus& AddOwnSizedStatus(TComtrade& rec, int32_t delta)
{
  return AddStatusOfClass<TOwnSizedStatus>(rec, [delta] { return std::make_unique<TOwnSizedStatus>(delta); });
}

// The same three samples, analog 5 6 7 and status 1 1 1, in either format; a second status
// channel, when there is one, reads 1 as well.
std::string ThreeRecords(bool ascii, bool twoStatuses)
{
  if (ascii)
    return twoStatuses ? "1,0,5,1,1\r\n2,1,6,1,1\r\n3,2,7,1,1\r\n" : "1,0,5,1\r\n2,1,6,1\r\n3,2,7,1\r\n";
  const uint16_t w = twoStatuses ? 3 : 1;
  return BinBytes({{1, 0, {5}, {w}}, {2, 1, {6}, {w}}, {3, 2, {7}, {w}}});
}

const TComtradeDataFileParser& Parser(bool ascii)
{
  return ascii ? AsciiDataFileParser() : BinaryDataFileParser();
}

std::vector<int32_t> AnalogSamples(const TAnalogDescr& d)
{
  std::vector<int32_t> v;
  for (int32_t i = 0; i < d.SampleCount(); ++i)
    v.push_back(d.GetRawSample(i));
  return v;
}

std::vector<int32_t> StatusSamples(const TCyfrDescr& d)
{
  std::vector<int32_t> v;
  for (int32_t i = 0; i < d.SampleCount(); ++i)
    v.push_back(d.GetSample(i));
  return v;
}

// A status store one longer than the sample count loads in both formats; its last sample,
// which the file does not fill, reads 0.
TEST(DataFileParsers, ALargerStoreLoads)
{
  TLibraryScope lib;
  for (const bool ascii : {false, true}) {
    SCOPED_TRACE(ascii ? "ASCII" : "BINARY");
    auto rec = MakeRec(1, 0);
    rec->SetSampleCount(3);
    for (int32_t r = 0; r < 3; ++r)
      rec->Analogs->Items(0).SetRawSample(r, 77);  // an earlier use of the store
    rec->SetSampleCount(1);
    TOwnSizedStatus& status = AddOwnSizedStatus(*rec, +1);
    TDatSet set(ThreeRecords(ascii, false));
    std::vector<std::string> warnings;
    Parser(ascii).LoadDataFromStream(*rec, set.Names, set.Streams,
                                     [&](const std::string& w) { warnings.push_back(w); });
    ASSERT_EQ(rec->GetSampleCount(), 3);
    EXPECT_EQ(status.SampleCount(), 4);  // the store really is not the sample count
    EXPECT_EQ(AnalogSamples(rec->Analogs->Items(0)), (std::vector<int32_t>{5, 6, 7}));
    EXPECT_EQ(StatusSamples(status), (std::vector<int32_t>{1, 1, 1, 0}));
    EXPECT_EQ(rec->Rates->SampleNumbers(), (std::vector<int64_t>{1, 2, 3}));
    EXPECT_EQ(rec->Rates->Times(), (std::vector<double>{0, 1e-6, 2e-6}));
    EXPECT_TRUE(warnings.empty());
  }
}

// A status store one shorter than the sample count fails on the last sample, with the error
// of each format; the samples stored before the failure stay, the ones after it read 0.
TEST(DataFileParsers, ASmallerStoreFailsWithThePrefixedErrorAndKeepsTheSamplesBeforeIt)
{
  TLibraryScope lib;
  for (const bool ascii : {false, true}) {
    for (const bool twoStatuses : {false, true}) {
      SCOPED_TRACE(std::string(ascii ? "ASCII" : "BINARY") + (twoStatuses ? ", a second status" : ""));
      auto rec = MakeRec(1, 0);
      TOwnSizedStatus& status = AddOwnSizedStatus(*rec, -1);
      if (twoStatuses)
        rec->Statuses->AddChannel();
      TDatSet set(ThreeRecords(ascii, twoStatuses));
      std::vector<std::string> warnings;
      try {
        Parser(ascii).LoadDataFromStream(*rec, set.Names, set.Streams,
                                         [&](const std::string& w) { warnings.push_back(w); });
        FAIL() << "the short store took every sample";
      } catch (const EComtrade& e) {
        EXPECT_EQ(Cp1250ToUtf8(e.what()),
                  ascii ? "Błąd w 2 linii pliku .dat : Index out of buffer range."
                        : "TBinaryDataFileParser.LoadDataStream(): Index out of buffer range.");
      }
      ASSERT_EQ(rec->GetSampleCount(), 3);
      EXPECT_EQ(status.SampleCount(), 2);  // the store really is not the sample count
      EXPECT_EQ(AnalogSamples(rec->Analogs->Items(0)), (std::vector<int32_t>{5, 6, 7}));
      EXPECT_EQ(StatusSamples(status), (std::vector<int32_t>{1, 1}));
      if (twoStatuses) {
        EXPECT_EQ(StatusSamples(rec->Statuses->Items(1)), (std::vector<int32_t>{1, 1, 0}));
      }
      EXPECT_EQ(rec->Rates->SampleNumbers(), (std::vector<int64_t>{1, 2, 3}));
      EXPECT_TRUE(warnings.empty());
    }
  }
}

// A store of another size is filled through the checked setters; what a load gives stays
// what the in-place load of the library's own classes gives: the same samples and sample
// numbers, bit for bit the same times, zeros where the file fills nothing, the warning of a
// file shorter than declared, and the same ranges and warnings of the range check.
TEST(DataFileParsers, AStoreOfAnotherSizeGetsWhatTheInPlaceLoadGives)
{
  TLibraryScope lib;
  // Four samples of six declared; the second is a blank ASCII line and a record of zeros.
  const std::string ascii = "1,0,5,4,1\r\n\r\n3,2000,-40,-7,0\r\n4,3000,300,9,1\r\n";
  const std::string binary = BinBytes(
      {{1, 0, {5, 4}, {1}}, {2, 1000, {0, 0}, {0}}, {3, 2000, {-40, -7}, {0}}, {4, 3000, {300, 9}, {1}}});
  using TSegs = std::initializer_list<std::pair<double, int64_t>>;
  const TSegs withRates = {{3000, 2}, {700, 6}}, withStamps = {{0, 6}};
  for (const bool isAscii : {false, true}) {
    for (const bool stamps : {false, true}) {
      SCOPED_TRACE(std::string(isAscii ? "ASCII" : "BINARY") + (stamps ? " with time stamps" : " at rates"));
      struct TLoaded {
        std::unique_ptr<TComtrade> Rec;
        std::vector<std::string> Said;
      } loaded[2];
      for (int own = 0; own < 2; ++own) {
        TLoaded& l = loaded[own];
        l.Rec = MakeRec(0, 0, stamps ? withStamps : withRates, 0.5);
        TAnalogDescr& raw = l.Rec->Analogs->AddChannel(MemoryFormatRaw);
        TAnalogDescr& scaled = l.Rec->Analogs->AddChannel(MemoryFormatScaled);
        for (TAnalogDescr* d : {&raw, &scaled}) {
          d->ChannelId = d == &raw ? "raw" : "scaled";
          d->RangeMin = -10;
          d->RangeMax = 10;
        }
        raw.A = 1;
        scaled.A = 0.5;
        scaled.B = 1;
        if (own)
          AddOwnSizedStatus(*l.Rec, +1);
        else
          l.Rec->Statuses->AddChannel();
        TDatSet set(isAscii ? ascii : binary);
        const auto hook = [&](const std::string& w) { l.Said.push_back(w); };
        Parser(isAscii).LoadDataFromStream(*l.Rec, set.Names, set.Streams, hook);
        l.Rec->Analogs->CheckRanges(hook);
      }
      const TComtrade& inPlace = *loaded[0].Rec;
      const TComtrade& checked = *loaded[1].Rec;
      ASSERT_EQ(checked.GetSampleCount(), 4);
      ASSERT_EQ(checked.Statuses->Items(0).SampleCount(), 5);  // the store really is longer
      EXPECT_EQ(inPlace.Statuses->Items(0).SampleCount(), 4);

      EXPECT_EQ(loaded[1].Said, loaded[0].Said);
      EXPECT_EQ(loaded[1].Said, (std::vector<std::string>{"Comtrade warning : data file holds 4 of 6 samples",
                                                          "Comtrade warning : Data > Max for : raw",
                                                          "Comtrade warning : Data < Min for : raw"}));
      for (int32_t i = 0; i < 2; ++i) {
        const TAnalogDescr& a = inPlace.Analogs->Items(i);
        const TAnalogDescr& b = checked.Analogs->Items(i);
        EXPECT_EQ(AnalogSamples(b), AnalogSamples(a)) << i;
        for (int32_t r = 0; r < 4; ++r) {
          bool okA = false, okB = false;
          EXPECT_EQ(b.GetValueEx(DataModePrimary, r, okB), a.GetValueEx(DataModePrimary, r, okA))
              << i << " " << r;
          EXPECT_TRUE(okA && okB);
        }
        EXPECT_EQ(b.RangeMin, a.RangeMin) << i;
        EXPECT_EQ(b.RangeMax, a.RangeMax) << i;
      }
      EXPECT_EQ(AnalogSamples(checked.Analogs->Items(0)), (std::vector<int32_t>{5, 0, -40, 300}));
      EXPECT_EQ(checked.Analogs->Items(0).RangeMin, -40);
      EXPECT_EQ(checked.Analogs->Items(0).RangeMax, 300);
      EXPECT_EQ(StatusSamples(checked.Statuses->Items(0)), (std::vector<int32_t>{1, 0, 0, 1, 0}));
      EXPECT_EQ(StatusSamples(inPlace.Statuses->Items(0)), (std::vector<int32_t>{1, 0, 0, 1}));
      EXPECT_EQ(checked.Rates->SampleNumbers(), inPlace.Rates->SampleNumbers());
      // Bit for bit: each time is compared as its bytes.
      ASSERT_EQ(checked.Rates->Times().size(), 4u);
      ASSERT_EQ(inPlace.Rates->Times().size(), 4u);
      EXPECT_EQ(std::memcmp(checked.Rates->Times().data(), inPlace.Rates->Times().data(), 4 * sizeof(double)),
                0);
      EXPECT_EQ(checked.Rates->GetTime(3), stamps ? 3000 * 0.5 / 1000000.0 : 2 / 3000.0 + 1 / 700.0);
    }
  }
}

// A BINARY load that fails once the channels are sized leaves no sample unset in any of
// them, however a channel's class sizes its store: the channels read 0 where nothing was
// stored.
TEST(BinaryDataFileParser, AFailureAfterSizingLeavesNoSampleUnset)
{
  TLibraryScope lib;
  // The poison shows a sample that a sizing left unset.
  {
    TOwnSizedStatus probe(+1);
    probe.SetSampleCountUnset(2);
    ASSERT_EQ(StatusSamples(probe), (std::vector<int32_t>{kPoison, kPoison, kPoison}));
  }
  for (const int32_t delta : {+1, 0, -1}) {
    SCOPED_TRACE(delta);
    auto rec = MakeRec(1, 0);
    TOwnSizedStatus& status = AddOwnSizedStatus(*rec, delta);
    TRefusingStatus& refusing =
        AddStatusOfClass<TRefusingStatus>(*rec, [] { return std::make_unique<TRefusingStatus>(); });
    TDatSet set(ThreeRecords(false, true));
    try {
      BinaryDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
      FAIL() << "the refusing channel took the samples";
    } catch (const EComtrade& e) {
      EXPECT_STREQ(e.what(), "TBinaryDataFileParser.LoadDataStream(): refused");
    }
    EXPECT_EQ(refusing.Asked.back(), 3);  // the failure came once the channels before it were sized
    EXPECT_EQ(AnalogSamples(rec->Analogs->Items(0)), (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(status.SampleCount(), 3 + delta);
    EXPECT_EQ(StatusSamples(status), std::vector<int32_t>(size_t(3 + delta), 0));
  }
}

// ---------------------------------------------------------------------------------------
// ASCII loading

TEST(AsciiDataFileParser, LoadTable)
{
  TLibraryScope lib;
  struct TCase {
    const char* Name;
    bool Stamps;  // time-stamp mode (no rates) or 1000 Hz
    std::string Text;
    int32_t Samples;
    const char* Error;  // expected message, or null
    // Expected per sample: index, time stamp, analog 0, analog 1, status 0 (checked when no error)
    std::vector<std::array<int64_t, 5>> Values;
  };
  const TCase cases[] = {
      {"plain CR LF",
       true,
       "1,0,5,-3,0\r\n2,1000,6,-4,1\r\n",
       2,
       nullptr,
       {{1, 0, 5, -3, 0}, {2, 1000, 6, -4, 1}}},
      {"LF and CR line ends, no final break",
       true,
       "1,0,5,-3,0\n2,1000,6,-4,1\r3,2000,7,-5,0",
       3,
       nullptr,
       {{1, 0, 5, -3, 0}, {2, 1000, 6, -4, 1}, {3, 2000, 7, -5, 0}}},
      {"blank line keeps its sample",
       true,
       "1,0,5,-3,0\r\n   \r\n3,2000,7,-5,1\r\n",
       3,
       nullptr,
       {{1, 0, 5, -3, 0}, {2, 0, 0, 0, 0}, {3, 2000, 7, -5, 1}}},
      {"a trailing empty line is a sample",
       true,
       "1,0,5,-3,0\r\n\r\n",
       2,
       nullptr,
       {{1, 0, 5, -3, 0}, {2, 0, 0, 0, 0}}},
      {"fields trimmed, empty number", true, " , 7 ,\t8 , -9 ,  2 \r\n", 1, nullptr, {{1, 7, 8, -9, 1}}},
      {"status -1 reads 1, sample numbers in 64 bits",
       true,
       "9999999999,4294967295,0,0,-1\r\n",
       1,
       nullptr,
       {{9999999999, 4294967295, 0, 0, 1}}},
      {"rates: the time stamp field is not read",
       false,
       "1,x,5,-3,0\r\n2,,6,-4,1\r\n",
       2,
       nullptr,
       {{1, 0, 5, -3, 0}, {2, 1, 6, -4, 1}}},
      {"bad time stamp on line 0",
       true,
       "1,x,5,-3,0\r\n",
       1,
       "Błąd w 0 linii pliku .dat : odczyt czasu dla próbki nr  0 błąd:'x' is not a valid integer value",
       {}},
      {"time stamp beyond 32 bits",
       true,
       "1,0,5,-3,0\r\n2,4294967296,5,-3,0\r\n",
       2,
       "Błąd w 1 linii pliku .dat : odczyt czasu dla próbki nr  1 błąd:'4294967296' is not a valid integer "
       "value",
       {}},
      {"negative time stamp",
       true,
       "1,-1,5,-3,0\r\n",
       1,
       "Błąd w 0 linii pliku .dat : odczyt czasu dla próbki nr  0 błąd:'-1' is not a valid integer value",
       {}},
      {"missing time stamp field",
       true,
       "1\r\n",
       1,
       "Błąd w 0 linii pliku .dat : odczyt czasu dla próbki nr  0 błąd:List index out of bounds (1)",
       {}},
      {"missing status field",
       true,
       "1,0,5,-3,0\r\n\r\n2,0,5,-3\r\n",
       3,
       "Błąd w 2 linii pliku .dat : List index out of bounds (4)",
       {}},
      {"analog not an integer",
       false,
       "1,0,5.5,-3,0\r\n",
       1,
       "Błąd w 0 linii pliku .dat : '5.5' is not a valid integer value",
       {}},
      {"sample number not an integer",
       false,
       "1,0,5,-3,0\r\nz,0,5,-3,0\r\n",
       2,
       "Błąd w 1 linii pliku .dat : 'z' is not a valid integer value",
       {}},
      {"analog beyond 32 bits",
       false,
       "1,0,2147483648,0,0\r\n",
       1,
       "Błąd w 0 linii pliku .dat : '2147483648' is not a valid integer value",
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto rec = c.Stamps ? MakeRec(2, 1, {}, 10.0) : MakeRec(2, 1, {{1000, 1}}, 10.0);
    TDatSet set(c.Text, "Rec.DAT");
    if (c.Error) {
      try {
        AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
        ADD_FAILURE() << "no error";
      } catch (const EComtrade& e) {
        EXPECT_EQ(Cp1250ToUtf8(e.what()), c.Error);
      }
      EXPECT_EQ(rec->GetSampleCount(), c.Samples);
      continue;
    }
    AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
    ASSERT_EQ(rec->GetSampleCount(), c.Samples);
    for (int32_t q = 0; q < c.Samples; ++q) {
      const auto& v = c.Values[size_t(q)];
      EXPECT_EQ(rec->Rates->FGetSamplIdx(q), v[0]) << q;
      EXPECT_DOUBLE_EQ(rec->Rates->GetTime(q), c.Stamps ? double(v[1]) * 10.0 / 1e6 : q / 1000.0) << q;
      EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(q), v[2]) << q;
      EXPECT_EQ(rec->Analogs->Items(1).GetRawSample(q), v[3]) << q;
      EXPECT_EQ(rec->Statuses->Items(0).GetSample(q), v[4]) << q;
    }
  }
}

TEST(AsciiDataFileParser, LinesBeforeTheBadOneStayAndMissingStreamFails)
{
  TLibraryScope lib;
  auto rec = MakeRec(1, 0, {}, 1.0);
  TDatSet set("1,0,42\r\n2,1,x\r\n");
  EXPECT_THROW(AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr), EComtrade);
  EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(0), 42);

  TStringArray names{"a.cfg"};
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>());
  for (int save = 0; save < 2; ++save) {
    try {
      if (save)
        AsciiDataFileParser().SaveDataToStream(*rec, names, false, false, streams, 0, 0, nullptr);
      else
        AsciiDataFileParser().LoadDataFromStream(*rec, names, streams, nullptr);
      FAIL();
    } catch (const EComtrade& e) {
      EXPECT_EQ(std::string(e.what()), std::string("TAsciiDataFileParser.") +
                                           (save ? "SaveDataToStream" : "LoadDataFromStream") +
                                           ": brak strumienia *.dat");
    }
  }
}

TEST(AsciiDataFileParser, TranslatedLinePatternThatDoesNotFitFallsBack)
{
  TLibraryScope lib;
  TXLangGroup* g = LangDictionary().FindGroup("DateFileParserUnit");
  ASSERT_NE(g, nullptr);
  TXLangItem* item = g->FindItem("KEY_ERROR_IN_DAT_LINE_us");
  ASSERT_NE(item, nullptr);
  item->Text = "Line %s of %d";  // a translation with its arguments the wrong way round
  auto rec = MakeRec(1, 0, {{1000, 1}});
  TDatSet set("1,0,q\r\n");
  try {
    AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_EQ(Cp1250ToUtf8(e.what()), "Błąd w 0 linii pliku .dat : 'q' is not a valid integer value");
  }
  item->Text = "Linia %u: %s";
  try {
    AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "Linia 0: 'q' is not a valid integer value");
  }
}

// An ASCII file with fewer lines than the configuration declares says so, as BINARY does;
// blank lines are samples and count.
TEST(AsciiDataFileParser, ShortFileSaysHowManySamplesItHolds)
{
  struct TCase {
    const char* Name;
    int64_t Declared;  // 0: no segment end
    std::string Text;
    std::vector<std::string> Warnings;
  };
  const TCase cases[] = {
      {"no line at all", 4, "", {"Comtrade warning : data file holds 0 of 4 samples"}},
      {"one line", 4, "1,0,5\r\n", {"Comtrade warning : data file holds 1 of 4 samples"}},
      {"blank lines count", 4, "1,0,5\r\n\r\n  \r\n", {"Comtrade warning : data file holds 3 of 4 samples"}},
      {"complete", 4, "1,0,5\r\n\r\n3,0,7\r\n4,0,8", {}},
      {"more lines than declared", 2, "1,0,5\r\n2,0,6\r\n3,0,7\r\n", {}},
      {"nothing declared", 0, "1,0,5\r\n", {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto rec = MakeRec(1, 0, {{1000, c.Declared}});
    TDatSet set(c.Text);
    std::vector<std::string> warnings;
    AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams,
                                             [&](const std::string& w) { warnings.push_back(w); });
    EXPECT_EQ(warnings, c.Warnings);
  }
  // A file that fails on a line reports its error only.
  auto rec = MakeRec(1, 0, {{1000, 4}});
  TDatSet bad("1,0,5\r\n2,0,x\r\n");
  std::vector<std::string> warnings;
  EXPECT_THROW(AsciiDataFileParser().LoadDataFromStream(*rec, bad.Names, bad.Streams,
                                                        [&](const std::string& w) { warnings.push_back(w); }),
               EComtrade);
  EXPECT_TRUE(warnings.empty());
}

// The range check after a load takes the extents the decoders gathered: the same ranges and
// warnings, in the same order, as reading every sample again; a store of scaled values still
// reads its samples back, and its failure stops the check where it stood.
TEST(DataFileParsers, RangeCheckAfterALoadIsTheWalkOverTheSamples)
{
  TLibraryScope lib;
  const std::vector<std::vector<int16_t>> samples = {
      {-32768, 100, -32768, -5}, {7, 8, 9, 40}, {3, -32768, 32767, -20}, {0, 0, 0, 0}};
  std::string ascii;
  std::vector<TBinRec> recs;
  for (size_t r = 0; r < 4; ++r) {
    TBinRec b{uint32_t(r + 1), 0, {}, {}};
    ascii += std::to_string(r + 1) + ",0";
    for (const auto& ch : samples) {
      b.Analogs.push_back(ch[r]);
      ascii += "," + std::to_string(ch[r]);
    }
    recs.push_back(b);
    ascii += "\r\n";
  }
  ascii += "\r\n";  // a blank fifth sample: 0 in every channel
  recs.push_back({5, 0, {0, 0, 0, 0}, {}});
  const std::pair<const TComtradeDataFileParser*, std::string> files[] = {
      {&BinaryDataFileParser(), BinBytes(recs)}, {&AsciiDataFileParser(), ascii}};
  for (const auto& [parser, bytes] : files) {
    for (const bool failing : {false, true}) {
      SCOPED_TRACE(parser->ParserName() + (failing ? " with a failing channel" : ""));
      std::vector<std::string> said[2];
      int32_t ranges[2][4][2] = {};
      std::string errors[2];
      for (int walk = 0; walk < 2; ++walk) {
        auto rec = MakeRec(0, 0, {{1000, 5}});
        for (int i = 0; i < 4; ++i) {
          TAnalogDescr& d =
              rec->Analogs->AddChannel(failing && i == 2 ? MemoryFormatScaled : MemoryFormatRaw);
          d.ChannelId = "ch" + std::to_string(i);
          d.A = failing && i == 2 ? 0 : 1;
          d.RangeMin = -10;
          d.RangeMax = 10;
        }
        TDatSet set(bytes);
        const auto hook = [&](const std::string& w) { said[walk].push_back(w); };
        parser->LoadDataFromStream(*rec, set.Names, set.Streams, hook);
        if (walk)
          for (int i = 0; i < 4; ++i)
            (void)rec->Analogs->Items(i).RawSamples();  // forgets what the decoder gathered
        try {
          rec->Analogs->CheckRanges(hook);
        } catch (const EComtrade& e) {
          errors[walk] = e.what();
        }
        for (int i = 0; i < 4; ++i) {
          ranges[walk][i][0] = rec->Analogs->Items(i).RangeMin;
          ranges[walk][i][1] = rec->Analogs->Items(i).RangeMax;
        }
      }
      EXPECT_EQ(said[0], said[1]);
      EXPECT_EQ(errors[0], errors[1]);
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ranges[0][i][0], ranges[1][i][0]) << i;
        EXPECT_EQ(ranges[0][i][1], ranges[1][i][1]) << i;
      }
      std::vector<std::string> expected = {"Comtrade warning : Data > Max for : ch0",
                                           "Comtrade warning : Data < Min for : ch0",
                                           "Comtrade warning : Data > Max for : ch1"};
      if (!failing)
        expected.insert(expected.end(), {"Comtrade warning : Data > Max for : ch2",
                                         "Comtrade warning : Data < Min for : ch2"});
      EXPECT_EQ(said[0], expected);
      EXPECT_EQ(errors[0], failing ? "Channel An3 invalid Multiplier=0" : "");
      // A marker as the first sample counts, a later one does not.
      EXPECT_EQ(ranges[0][0][0], -32768);
      EXPECT_EQ(ranges[0][0][1], 100);
      if (!failing) {
        EXPECT_EQ(ranges[0][2][0], -20);
      }
    }
  }
}

// Samples that a failing ASCII line and the lines after it did not fill read 0, with the
// sample numbers and times the recording was sized with.
TEST(AsciiDataFileParser, SamplesAFailedLoadDidNotFillReadZero)
{
  TLibraryScope lib;
  auto rec = MakeRec(2, 1, {{1000, 3}});
  for (int32_t r = 0; r < 3; ++r)
    rec->Analogs->Items(1).SetRawSample(r, 99);  // an earlier load cleared below
  rec->SetSampleCount(0);
  TDatSet set("1,0,42,7,1\r\n2,1,5,x,1\r\n3,2,9,9,1\r\n");
  EXPECT_THROW(AsciiDataFileParser().LoadDataFromStream(*rec, set.Names, set.Streams, nullptr), EComtrade);
  ASSERT_EQ(rec->GetSampleCount(), 3);
  const int32_t expected[3][3] = {{42, 7, 1}, {5, 0, 0}, {0, 0, 0}};
  for (int32_t r = 0; r < 3; ++r) {
    EXPECT_EQ(rec->Analogs->Items(0).GetRawSample(r), expected[r][0]) << r;
    EXPECT_EQ(rec->Analogs->Items(1).GetRawSample(r), expected[r][1]) << r;
    EXPECT_EQ(rec->Statuses->Items(0).GetSample(r), expected[r][2]) << r;
    EXPECT_EQ(rec->Rates->FGetSamplIdx(r), r + 1);
    EXPECT_DOUBLE_EQ(rec->Rates->GetTime(r), r / 1000.0);
  }
}

// ---------------------------------------------------------------------------------------
// Saving

// A recording of two analog and two status channels over five samples at 1000 Hz, with
// values that tell the samples apart.
std::unique_ptr<TComtrade> FiveSamples()
{
  auto rec = MakeRec(2, 2, {{1000, 5}}, 1.0);
  for (int32_t r = 0; r < 5; ++r) {
    rec->Analogs->Items(0).SetRawSample(r, 100 + r);
    rec->Analogs->Items(1).SetRawSample(r, -100 - r);
    rec->Statuses->Items(0).SetSample(r, r % 2);
    rec->Statuses->Items(1).SetSample(r, 1);
    rec->Rates->FSetSamplIdx(r, 10 + r + (r >= 3 ? 1 : 0));  // stored numbers 10 11 12 14 15
  }
  return rec;
}

struct TSaveCase {
  const char* Name;
  bool SelectedOnly;
  bool ViewOnly;
  double ViewStart, ViewEnd;
  std::vector<int32_t> Samples;  // positions written
  bool HideFirstAnalog;
  const char* Ascii;  // the ASCII file expected
};

const TSaveCase kSaveCases[] = {
    {"everything",
     false,
     false,
     0,
     0,
     {0, 1, 2, 3, 4},
     false,
     "1,0,100,-100,0,1\r\n2,1000,101,-101,1,1\r\n3,2000,102,-102,0,1\r\n5,3000,103,-103,1,1\r\n"
     "6,4000,104,-104,0,1\r\n"},
    {"selected channels",
     true,
     false,
     0,
     0,
     {0, 1, 2, 3, 4},
     true,
     "1,0,-100,0,1\r\n2,1000,-101,1,1\r\n3,2000,-102,0,1\r\n5,3000,-103,1,1\r\n6,4000,-104,0,1\r\n"},
    {"hidden channels all written without selectedOnly",
     false,
     false,
     0,
     0,
     {0, 1, 2, 3, 4},
     true,
     "1,0,100,-100,0,1\r\n2,1000,101,-101,1,1\r\n3,2000,102,-102,0,1\r\n5,3000,103,-103,1,1\r\n"
     "6,4000,104,-104,0,1\r\n"},
    {"view window", false, true, 0.002, 0.004, {2, 3}, false, "1,0,102,-102,0,1\r\n3,1000,103,-103,1,1\r\n"},
    {"zero-length view", false, true, 0.002, 0.002, {}, false, ""},
};

// The case's save into a stream that held older, longer content.
std::string SaveCase(const TSaveCase& c, const TComtradeDataFileParser& parser)
{
  auto rec = FiveSamples();
  rec->Analogs->Items(0).Visible = !c.HideFirstAnalog;
  rec->View.ViewStart = c.ViewStart;
  rec->View.ViewEnd = c.ViewEnd;
  TDatSet set(std::string(1000, 'x'));  // a stale tail longer than any save
  parser.SaveDataToStream(*rec, set.Names, c.SelectedOnly, c.ViewOnly, set.Streams, 0, 0, nullptr);
  return set.Dat();
}

TEST(DataFileParsersSave, AsciiTable)
{
  for (const TSaveCase& c : kSaveCases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(SaveCase(c, AsciiDataFileParser()), c.Ascii);
  }
}

TEST(DataFileParsersSave, BinaryTable)
{
  for (const TSaveCase& c : kSaveCases) {
    SCOPED_TRACE(c.Name);
    std::vector<TBinRec> expected;
    const bool both = !(c.SelectedOnly && c.HideFirstAnalog);
    for (size_t k = 0; k < c.Samples.size(); ++k) {
      const int32_t r = c.Samples[k];
      TBinRec b{uint32_t(k + 1), uint32_t(1000 * (r - c.Samples[0])), {}, {uint16_t((r % 2) | 2)}};
      if (both)
        b.Analogs.push_back(int16_t(100 + r));
      b.Analogs.push_back(int16_t(-100 - r));
      expected.push_back(b);  // numbered by position: 1, 2, 3, ...
    }
    EXPECT_EQ(SaveCase(c, BinaryDataFileParser()), BinBytes(expected));
  }
}

TEST(DataFileParsersSave, UnreadableAnalogValue)
{
  // A channel of scaled values with multiplier 0 has no raw value.
  auto rec = MakeRec(0, 0, {{1000, 2}});
  TAnalogDescr& d = rec->Analogs->AddChannel(MemoryFormatScaled);
  d.A = 0;
  TDatSet bin("");
  BinaryDataFileParser().SaveDataToStream(*rec, bin.Names, false, false, bin.Streams, 0, 0, nullptr);
  EXPECT_EQ(bin.Dat(), BinBytes({{1, 0, {-32768}, {}}, {2, 1000, {-32768}, {}}}));
  TDatSet asc("keep");
  try {
    AsciiDataFileParser().SaveDataToStream(*rec, asc.Names, false, false, asc.Streams, 0, 0, nullptr);
    FAIL();
  } catch (const EComtrade& e) {
    EXPECT_STREQ(e.what(), "Channel An1 invalid Multiplier=0");
  }
  EXPECT_EQ(asc.Dat(), "keep");
}

TEST(DataFileParsersSave, BinaryClampsAnalogValuesWithAWarning)
{
  auto rec = MakeRec(3, 0, {{1000, 4}});
  const int32_t values[3][4] = {{40000, 32767, -32768, -32769}, {5, 6, 7, 8}, {-100000, 0, 0, 0}};
  for (int i = 0; i < 3; ++i)
    for (int32_t r = 0; r < 4; ++r)
      rec->Analogs->Items(i).SetRawSample(r, values[i][r]);
  rec->Analogs->Items(2).Number = 9;
  std::vector<std::string> warnings;
  TDatSet set("");
  BinaryDataFileParser().SaveDataToStream(*rec, set.Names, false, false, set.Streams, 0, 0,
                                          [&](const std::string& w) { warnings.push_back(w); });
  EXPECT_EQ(set.Dat(), BinBytes({{1, 0, {32767, 5, -32767}, {}},
                                 {2, 1000, {32767, 6, 0}, {}},
                                 {3, 2000, {-32768, 7, 0}, {}},
                                 {4, 3000, {-32767, 8, 0}, {}}}));
  EXPECT_EQ(warnings,
            (std::vector<std::string>{"Comtrade warning : analog values out of range in channel 1",
                                      "Comtrade warning : analog values out of range in channel 9"}));
}

TEST(DataFileParsersSave, TimeStampsClampedNotWrapped)
{
  struct TCase {
    std::vector<double> Times;
    double Multiplier;
    std::vector<uint32_t> Stamps;
    bool Warned;
  };
  const TCase cases[] = {
      {{0.0, 0.001, 0.002}, 1.0, {0, 1000, 2000}, false},
      {{0.0, 4294.967294, 4294.967295}, 1.0, {0, 4294967294u, 4294967294u}, true},
      {{1.0, 0.5, 2.0}, 1.0, {0, 0, 1000000}, true},  // a time before the first sample
      {{0.0, 1e30, 0.0}, 1.0, {0, 4294967294u, 0}, true},
      {{0.0, 0.00001, 0.00002}, 2.0, {0, 5, 10}, false},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const TCase& c = cases[k];
    for (const TComtradeDataFileParser* parser : {&BinaryDataFileParser(), &AsciiDataFileParser()}) {
      SCOPED_TRACE(parser->ParserName() + " case " + IntToStr(int64_t(k)));
      auto rec = MakeRec(0, 0, {}, c.Multiplier);
      rec->SetSampleCount(int32_t(c.Times.size()));
      for (size_t r = 0; r < c.Times.size(); ++r)
        rec->Rates->FSetTime(int32_t(r), c.Times[r]);
      std::vector<std::string> warnings;
      TDatSet set("");
      parser->SaveDataToStream(*rec, set.Names, false, false, set.Streams, 0, 0,
                               [&](const std::string& w) { warnings.push_back(w); });
      std::string expected;
      for (size_t r = 0; r < c.Stamps.size(); ++r) {
        if (parser == &AsciiDataFileParser()) {
          expected += IntToStr(int64_t(r + 1)) + "," + IntToStr(c.Stamps[r]) + "\r\n";
        } else {
          AppendU32LE(expected, uint32_t(r + 1));
          AppendU32LE(expected, c.Stamps[r]);
        }
      }
      EXPECT_EQ(set.Dat(), expected);
      EXPECT_EQ(warnings, c.Warned ? std::vector<std::string>{"Comtrade warning : time stamps out of range"}
                                   : std::vector<std::string>{});
    }
  }
}

TEST(DataFileParsersSave, ZeroTimeMultiplierGetsTheFallback)
{
  const std::string warning = "Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"_cp;
  struct TCase {
    const char* Name;
    bool Rates;                 // 2000 Hz segments, else the given times
    std::vector<double> Times;  // without rates
    double Multiplier;          // expected afterwards
    std::vector<uint32_t> Stamps;
  };
  const TCase cases[] = {
      {"from the first rate", true, {}, 500.0, {0, 1, 2}},
      {"from the mean interval", false, {0.0, 0.004, 0.006}, 2000.0, {0, 2, 3}},
      {"equal times: microseconds", false, {0.25, 0.25, 0.25}, 1.0, {0, 0, 0}},
  };
  for (const TCase& c : cases) {
    for (const TComtradeDataFileParser* parser : {&BinaryDataFileParser(), &AsciiDataFileParser()}) {
      SCOPED_TRACE(std::string(c.Name) + " " + parser->ParserName());
      auto rec = c.Rates ? MakeRec(0, 0, {{2000, 3}}, 0.0) : MakeRec(0, 0, {}, 0.0);
      if (!c.Rates) {
        rec->SetSampleCount(3);
        for (int32_t r = 0; r < 3; ++r)
          rec->Rates->FSetTime(r, c.Times[size_t(r)]);
      }
      std::vector<std::string> warnings;
      TDatSet set("");
      parser->SaveDataToStream(*rec, set.Names, false, false, set.Streams, 0, 0,
                               [&](const std::string& w) { warnings.push_back(w); });
      EXPECT_EQ(rec->FileParam.TimeMultiplier, c.Multiplier);
      EXPECT_EQ(warnings, std::vector<std::string>{warning});
      for (size_t r = 0; r < 3; ++r) {
        if (parser == &AsciiDataFileParser())
          continue;
        EXPECT_EQ(GetU32LE(set.Dat(), 8 * r + 4), c.Stamps[r]) << r;
      }
    }
  }
  // Without samples there is no interval either.
  auto empty = MakeRec(1, 0, {}, 0.0);
  EnsureTimeMultiplier(*empty, nullptr);
  EXPECT_EQ(empty->FileParam.TimeMultiplier, 1.0);
}

TEST(DataFileParsersSave, RoundTripsBetweenTheFormats)
{
  // Time-stamp mode with uneven times, 17 status channels (two words) and extreme values.
  auto src = MakeRec(3, 17, {}, 0.5);
  src->SetSampleCount(40);
  for (int32_t r = 0; r < 40; ++r) {
    src->Rates->FSetTime(r, r * r * 0.0005);
    src->Analogs->Items(0).SetRawSample(r, r * 1000 - 20000);
    src->Analogs->Items(1).SetRawSample(r, r % 2 ? -32768 : 32767);
    src->Analogs->Items(2).SetRawSample(r, -r);
    for (int j = 0; j < 17; ++j)
      src->Statuses->Items(j).SetSample(r, ((r >> (j % 6)) & 1));
  }
  for (const char* path : {"BINARY,ASCII,BINARY", "ASCII,BINARY,ASCII"}) {
    SCOPED_TRACE(path);
    const std::string order(path);
    const TComtrade* from = src.get();
    std::vector<std::unique_ptr<TComtrade>> hops;
    for (size_t b = 0, e; b < order.size(); b = e + 1) {
      e = order.find(',', b);
      if (e == std::string::npos)
        e = order.size();
      const TComtradeDataFileParser* p =
          order.substr(b, e - b) == "BINARY" ? &BinaryDataFileParser() : &AsciiDataFileParser();
      TDatSet set("");
      p->SaveDataToStream(const_cast<TComtrade&>(*from), set.Names, false, false, set.Streams, 0, 0, nullptr);
      auto to = MakeRec(3, 17, {}, 0.5);
      p->LoadDataFromStream(*to, set.Names, set.Streams, nullptr);
      hops.push_back(std::move(to));
      from = hops.back().get();
    }
    ASSERT_EQ(from->GetSampleCount(), 40);
    for (int32_t r = 0; r < 40; ++r) {
      EXPECT_DOUBLE_EQ(from->Rates->GetTime(r), src->Rates->GetTime(r)) << r;
      EXPECT_EQ(from->Rates->FGetSamplIdx(r), r + 1);
      for (int i = 0; i < 3; ++i)
        EXPECT_EQ(from->Analogs->Items(i).GetRawSample(r), src->Analogs->Items(i).GetRawSample(r)) << r;
      for (int j = 0; j < 17; ++j)
        EXPECT_EQ(from->Statuses->Items(j).GetSample(r), src->Statuses->Items(j).GetSample(r))
            << r << " " << j;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Start-up

TEST(DataFileParsersUnit, StartUpAddsTheMessageGroupAndTheParsers)
{
  TLibraryScope lib;
  const char* const keys[] = {
      "KEY_CORRUPTED_REC",
      "KEY_CANCELLED_REC",
      "KEY_CORRUPTED_REC2",
      "KEY_DAT_NOT_FOUND",
      "KEY_DAT_STREAM_NOT_FOUND",
      "KEY_READ_SAMP_TIME",
      "KEY_ERROR",
      "KEY_INCORRECT_DAT_FILE",
      "KEY_LX3_DESC",
      "KEY_UNKNOWN_FILE_HEADER",
      "KEY_UNEXPECTED_EOD",
      "KEY_DMG_FIX_CNT",
      "KEY_LX2_DESC",
      "KEY_INCOMPLETE_DATA",
      "KEY_MV70I_DESC",
      "KEY_CFG_READ_ERROR",
      "KEY_CFG_CHKSUM_ERROR",
      "KEY_HDR_READ_ERROR",
      "KEY_UNRECOG_SIGNATURE_I",
      "KEY_UNRECOG_SIGNATURE_IS",
      "KEY_UNRECOG_SIGNATURE_II",
      "KEY_INVALID_HDRSPEED",
      "KEY_DAT_STORED_INCORRECTLY",
      "KEY_DATA_CORRUPTED_IN",
      "KEY_DATA_CORRUPTED",
      "KEY_ERROR_READING_HDR",
      "KEY_HIOKII_DESC",
      "KEY_HIOKI_ERROR_LINE",
      "KEY_SELECT_RECNUM",
      "KEY_NAME",
      "KEY_INTEGRAL",
      "KEY_PWRCUT_ABBR",
      "KEY_PWRCUT",
      "KEY_ERROR_IN_DAT_LINE_us",
  };
  const TXLangGroup* g = LangDictionary().FindGroup("DateFileParserUnit");
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->ChildCount(), std::size(keys));
  for (size_t i = 0; i < std::size(keys); ++i)
    EXPECT_EQ(g->GetChildObject(i).GetName(), keys[i]);
  // "\e" is two characters, part of the text.
  EXPECT_EQ(Cp1250ToUtf8(g->Translate("KEY_CORRUPTED_REC2")),
            "Uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e");
  EXPECT_EQ(Cp1250ToUtf8(g->Translate("KEY_READ_SAMP_TIME")), "odczyt czasu dla próbki nr ");

  const auto& parsers = DataFileParsers();
  std::vector<std::string> names;
  for (const TComtradeDataFileParser* p : parsers)
    names.push_back(p->ParserName());
  EXPECT_EQ(names, (std::vector<std::string>{"BINARY", "ASCII", "MVK_RAW", "SLOW_RAW"}));
  ASSERT_EQ(parsers.size(), 4u);
  EXPECT_EQ(parsers[0], &BinaryDataFileParser());
  EXPECT_EQ(parsers[1], &AsciiDataFileParser());
  names.clear();
  for (const TFileInterface* f : FileInterfaces())
    names.push_back(f->InterfaceName());
  EXPECT_EQ(names, (std::vector<std::string>{"COMTRADE", "MV70", "LX3", "LX2", "HIOKI", "NEB1"}));
  EXPECT_EQ(BinaryDataFileParser().ParserName(), "BINARY");
  EXPECT_EQ(AsciiDataFileParser().ParserName(), "ASCII");
  EXPECT_EQ(BinaryDataFileParser().Capabilities(), 3);
  EXPECT_EQ(AsciiDataFileParser().Capabilities(), 3);

  // A second start-up of the unit adds nothing; the matching finalisation removes nothing.
  DataFileParsersUnitInitialize();
  DataFileParsersUnitFinalize();
  EXPECT_EQ(DataFileParsers().size(), parsers.size());
  EXPECT_EQ(LangDictionary().FindGroup("DateFileParserUnit")->ChildCount(), std::size(keys));
}

}  // namespace
