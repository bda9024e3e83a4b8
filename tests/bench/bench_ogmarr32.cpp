// Filling and time-sorting a row of event cells, as the event lister does for each sequence.
#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "charts/Ogmarr32.h"

namespace {

std::vector<uint8_t> Cell(uint32_t id, double time)
{
  std::vector<uint8_t> out(12 + 8);
  for (int i = 0; i < 4; ++i)
    out[static_cast<size_t>(i)] = static_cast<uint8_t>(id >> (8 * i));
  const auto bits = std::bit_cast<uint64_t>(time);
  for (int i = 0; i < 8; ++i)
    out[12 + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
  return out;
}

void BM_AppendRow(benchmark::State& state)
{
  const auto n = static_cast<uint16_t>(state.range(0));
  for (auto _ : state) {
    TKivMatrix m;
    for (uint32_t c = 1; c <= n; ++c)
      m.SetCell(Cell(c, c), 1, static_cast<uint16_t>(c));
    benchmark::DoNotOptimize(m.GetColCount(1));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendRow)->Arg(256)->Arg(4096)->Arg(65535);

// Times mostly ascending with local disorder, as event records arrive.
void BM_SortRow(benchmark::State& state)
{
  const auto n = static_cast<uint16_t>(state.range(0));
  TKivMatrix m;
  uint32_t seed = 12345;
  for (auto _ : state) {
    state.PauseTiming();
    for (uint32_t c = 1; c <= n; ++c) {
      seed = seed * 1103515245u + 12345u;
      m.SetCell(Cell(c, c + (seed >> 16) % 16), 1, static_cast<uint16_t>(c));
    }
    state.ResumeTiming();
    m.SortRow(1);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortRow)->Arg(256)->Arg(4096);

}  // namespace
BENCHMARK_MAIN();
