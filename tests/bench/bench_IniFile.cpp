// Ini-style files (kiv.ini, .set, the recording's information file): loading a file of many
// sections, and reading a key of every section of it. Both should grow with the file, not
// with its square: compare the 10,000 and the 100,000 section figures.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/IniFile.h"
#include "platform/NumText.h"

namespace {

// About 50 bytes a section, as an information file's channel sections are.
std::string ManySections(int sections)
{
  std::string s = "; generated\r\n";
  for (int i = 0; i < sections; ++i) {
    const std::string n = IntToStr(i);
    s += "[Channel_" + n + "]\r\nName=ch" + n + "\r\nUnits=V\r\nScale=1.5\r\n\r\n";
  }
  return s;
}

}  // namespace

static void BM_IniLoad(benchmark::State& state)
{
  const std::string text = ManySections(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TIniFile ini;
    ini.LoadFromString(text);
    benchmark::DoNotOptimize(ini);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_IniLoad)->Arg(10000)->Arg(30000)->Arg(100000)->Arg(300000)->Unit(benchmark::kMillisecond);

static void BM_IniReadEverySection(benchmark::State& state)
{
  TIniFile ini;
  ini.LoadFromString(ManySections(static_cast<int>(state.range(0))));
  for (auto _ : state)
    for (int i = 0; i < state.range(0); ++i)
      benchmark::DoNotOptimize(ini.ReadString("CHANNEL_" + IntToStr(i), "units", ""));
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_IniReadEverySection)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
