// COMTRADE data files: loading a 100 MB ASCII .DAT of 16 analog and 16 status channels and
// the BINARY .DAT of the same recording, against a plain read of the same bytes from memory.
// Each load reports MB/s and "x_plain_read": its time per byte over the plain read's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

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

BENCHMARK_MAIN();
