// COMTRADE data files: loading a 100 MB ASCII .DAT of 16 analog and 16 status channels and
// the BINARY .DAT of the same recording, against a plain read of the same bytes from memory.
// Each load reports MB/s and "x_plain_read": its time per byte over the plain read's.
//
// BM_LoadBinarySetFromFile loads a whole set from disk (64 analog and 4 status channels x
// 1,000,000 samples, a 138 MB .DAT) through the COMTRADE interface, range check included, and
// in the same run its floor: the file read into memory and one pass that fills the 64 int32
// arrays, the times and the sample numbers and gathers each channel's minimum and maximum.
// "x_floor" is the best load over the best floor. Both run with freed memory kept in the heap
// (arrays up to 32 MB come from it, not from fresh pages), so that the figures compare the
// work of the two passes and not how fast this machine hands out new pages, which varies
// from run to run far more than the passes do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>

#include "platform/Bytes.h"
#include "platform/SysUtil.h"
#include "ternik/TernikInit.h"

#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

constexpr int kAnalogs = 16, kStatuses = 16;

std::unique_ptr<TComtrade> Shape(int32_t samples)
{
  auto rec = std::make_unique<TComtrade>();
  for (int i = 0; i < kAnalogs; ++i)
    rec->Analogs->AddChannel(MemoryFormatRaw).A = 1;
  for (int j = 0; j < kStatuses; ++j)
    rec->Statuses->AddChannel();
  TRateDescr& r = rec->Rates->AddRate();
  r.Rate = 0;  // time stamps from the file, the heavier path
  r.SetEndSample(0);
  rec->SetSampleCount(samples);
  rec->FileParam.TimeMultiplier = 1.0;
  return rec;
}

struct TFiles {
  std::string Ascii, Binary;
  int32_t Samples = 0;
};

// A recording with values of every width and changing states, saved in both forms.
const TFiles& Files()
{
  static const TFiles files = [] {
    TFiles f;
    const int32_t samples = 640000;  // about 100 MB of ASCII text
    auto rec = Shape(samples);
    uint32_t x = 12345;
    for (int32_t s = 0; s < samples; ++s) {
      rec->Rates->FSetTime(s, s * 0.0002);
      for (int i = 0; i < kAnalogs; ++i) {
        x = x * 1664525u + 1013904223u;
        rec->Analogs->Items(i).SetRawSample(s, int32_t(x >> 16) - 32768);
      }
      for (int j = 0; j < kStatuses; ++j)
        rec->Statuses->Items(j).SetSample(s, uint8_t((x >> j) & 1));
    }
    for (const TComtradeDataFileParser* p : {&AsciiDataFileParser(), &BinaryDataFileParser()}) {
      TStringArray names{".DAT"};
      TStreamArray streams;
      streams.push_back(std::make_unique<TMemoryStream>());
      p->SaveDataToStream(*rec, names, false, false, streams, 0, 0, nullptr);
      (p == &AsciiDataFileParser() ? f.Ascii : f.Binary) = static_cast<TMemoryStream&>(*streams[0]).Data();
    }
    f.Samples = samples;
    return f;
  }();
  return files;
}

// Seconds per byte of copying the bytes once and touching every cache line: what reading a
// file that is already in memory costs.
double PlainReadSecondsPerByte(const std::string& bytes)
{
  std::string copy(bytes.size(), '\0');
  double best = 1e30;
  for (int k = 0; k < 5; ++k) {
    const auto t0 = std::chrono::steady_clock::now();
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    uint64_t sum = 0;
    for (size_t i = 0; i < copy.size(); i += 64)
      sum += static_cast<unsigned char>(copy[i]);
    benchmark::DoNotOptimize(sum);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best)
      best = s;
  }
  return best / double(bytes.size());
}

void LoadBench(benchmark::State& state, bool ascii)
{
  const TFiles& f = Files();
  const std::string& bytes = ascii ? f.Ascii : f.Binary;
  const double plain = PlainReadSecondsPerByte(bytes);
  const TComtradeDataFileParser& p = ascii ? AsciiDataFileParser() : BinaryDataFileParser();
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto rec = Shape(0);
    TStringArray names{".DAT"};
    TStreamArray streams;
    streams.push_back(std::make_unique<TMemoryStream>(bytes));
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    p.LoadDataFromStream(*rec, names, streams, nullptr);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (rec->GetSampleCount() != f.Samples)
      state.SkipWithError("wrong sample count");
    state.PauseTiming();
    rec.reset();
    streams.clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["MB"] = double(bytes.size()) / 1e6;
  state.counters["plain_read_MB/s"] = 1e-6 / plain;
  state.counters["x_plain_read"] = seconds / double(state.iterations()) / double(bytes.size()) / plain;
}

constexpr int kSetAnalogs = 64, kSetStatuses = 4;
constexpr int32_t kSetSamples = 1000000;

// The set's files beside the benchmark (inside the build tree), written once.
const std::string& SetCfg()
{
  static const std::string cfg = [] {
    InitializeLibrary();  // the interface finds the BINARY parser in the registry
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    const std::string dir = std::string(KIV_BENCH_WORKDIR) + "/cmtrdat_set";
    std::filesystem::create_directories(dir);
    std::string text = "bench,bench,1999\r\n" + std::to_string(kSetAnalogs + kSetStatuses) + "," +
                       std::to_string(kSetAnalogs) + "A," + std::to_string(kSetStatuses) + "D\r\n";
    for (int i = 1; i <= kSetAnalogs; ++i)
      text += std::to_string(i) + ",A" + std::to_string(i) + ",,,V,0.01,0,0,-32767,32767,1,1,P\r\n";
    for (int j = 1; j <= kSetStatuses; ++j)
      text += std::to_string(j) + ",S" + std::to_string(j) + ",,,0\r\n";
    text += "50\r\n1\r\n0," + std::to_string(kSetSamples) +
            "\r\n01/01/2024,00:00:00.000000\r\n01/01/2024,00:00:00.000000\r\nBINARY\r\n1\r\n";
    std::string dat;
    const size_t recSize = BinaryRecordSize(kSetAnalogs, kSetStatuses);
    dat.reserve(recSize * kSetSamples);
    uint32_t x = 777;
    for (int32_t r = 0; r < kSetSamples; ++r) {
      AppendU32LE(dat, uint32_t(r + 1));
      AppendU32LE(dat, uint32_t(r * 250));
      for (int i = 0; i < kSetAnalogs; ++i) {
        x = x * 1664525u + 1013904223u;
        AppendI16LE(dat, int16_t(int32_t(x >> 17) - 16384));
      }
      AppendU16LE(dat, uint16_t(x >> 3) & 0xF);
    }
    const std::string path = dir + "/set.cfg";
    if (!AtomicWriteFile(dir + "/set.dat", dat) || !AtomicWriteFile(path, text))
      throw std::runtime_error("cannot write the set into " + dir);
    return path;
  }();
  return cfg;
}

// What a BINARY load of the set cannot go below.
int64_t Floor(const std::string& datPath)
{
  std::string data;
  if (!ReadWholeFile(datPath, data, size_t(1) << 31))
    throw std::runtime_error("cannot read " + datPath);
  const size_t recSize = BinaryRecordSize(kSetAnalogs, kSetStatuses);
  const size_t n = data.size() / recSize;
  std::vector<std::unique_ptr<int32_t[]>> raw;
  for (int i = 0; i < kSetAnalogs; ++i)
    raw.emplace_back(new int32_t[n]);
  std::unique_ptr<double[]> times(new double[n]);
  std::unique_ptr<int64_t[]> numbers(new int64_t[n]);
  int32_t lo[kSetAnalogs], hi[kSetAnalogs];
  std::fill(std::begin(lo), std::end(lo), INT32_MAX);
  std::fill(std::begin(hi), std::end(hi), INT32_MIN);
  // Blocks of records, a channel at a time: the 64 arrays start at the same offset in their
  // pages, and a record-by-record pass over all of them at once thrashes the cache sets.
  constexpr size_t kBlock = 64;
  for (size_t r0 = 0; r0 < n; r0 += kBlock) {
    const size_t r1 = std::min(n, r0 + kBlock);
    for (size_t r = r0; r < r1; ++r) {
      numbers[r] = GetU32LE(data, r * recSize);
      times[r] = double(GetU32LE(data, r * recSize + 4)) / 1e6;
    }
    for (int i = 0; i < kSetAnalogs; ++i) {
      int32_t* out = raw[size_t(i)].get();
      int32_t l = lo[i], h = hi[i];
      for (size_t r = r0; r < r1; ++r) {
        const int32_t v = GetI16LE(data, r * recSize + 8 + 2 * size_t(i));
        out[r] = v;
        l = std::min(l, v);
        h = std::max(h, v);
      }
      lo[i] = l;
      hi[i] = h;
    }
  }
  int64_t check = int64_t(numbers[n - 1]) + int64_t(times[n / 2]);
  for (int i = 0; i < kSetAnalogs; ++i)
    check += lo[i] + hi[i] + raw[size_t(i)][n / 3];
  return check;
}

void BM_LoadBinarySetFromFile(benchmark::State& state)
{
  const std::string& cfg = SetCfg();
  const std::string dat = cfg.substr(0, cfg.size() - 4) + ".dat";
  double bestLoad = 1e30, bestFloor = 1e30;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Floor(dat));
    bestFloor =
        std::min(bestFloor, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());

    TStringArray names;
    ComtradeInterface().GetFileList(cfg, names, true);
    TStreamArray streams;
    for (const std::string& n : names)
      streams.push_back(std::make_unique<TFileStream>(n, TFileStream::TMode::Read));
    TComtrade rec;
    t0 = std::chrono::steady_clock::now();
    ComtradeInterface().LoadFromStreams(rec, names, "", streams, nullptr);
    bestLoad =
        std::min(bestLoad, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    if (rec.GetSampleCount() != kSetSamples || rec.Analogs->Count() != kSetAnalogs)
      state.SkipWithError("wrong set");
  }
  state.counters["load_s"] = bestLoad;
  state.counters["floor_s"] = bestFloor;
  state.counters["x_floor"] = bestLoad / bestFloor;
}

void BM_LoadAscii(benchmark::State& state) { LoadBench(state, true); }
void BM_LoadBinary(benchmark::State& state) { LoadBench(state, false); }

void SaveBench(benchmark::State& state, bool ascii)
{
  const TFiles& f = Files();
  auto rec = Shape(0);
  {
    TStringArray names{".DAT"};
    TStreamArray streams;
    streams.push_back(std::make_unique<TMemoryStream>(f.Binary));
    BinaryDataFileParser().LoadDataFromStream(*rec, names, streams, nullptr);
  }
  const TComtradeDataFileParser& p = ascii ? AsciiDataFileParser() : BinaryDataFileParser();
  size_t written = 0;
  for (auto _ : state) {
    TStringArray names{".DAT"};
    TStreamArray streams;
    streams.push_back(std::make_unique<TMemoryStream>());
    p.SaveDataToStream(*rec, names, false, false, streams, 0, 0, nullptr);
    written = size_t(streams[0]->Size());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
}

void BM_SaveAscii(benchmark::State& state) { SaveBench(state, true); }
void BM_SaveBinary(benchmark::State& state) { SaveBench(state, false); }

}  // namespace

BENCHMARK(BM_LoadAscii)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveAscii)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveBinary)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadBinarySetFromFile)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
