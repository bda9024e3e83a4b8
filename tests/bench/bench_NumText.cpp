// Cost of the number and text conversions the listings and grids call per cell.
#include "platform/Codepage.h"
#include "platform/NumText.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const std::vector<double>& Values()
{
  static const std::vector<double> v = {0.1, 12.5, 230, 6.3, 1E-5, 86400.1234, 1.0 / 3, 65535, -2.5E-7, 1E48};
  return v;
}

void BM_FloatToStr(benchmark::State& state)
{
  const TFormatSettings fs;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FloatToStr(Values()[i % Values().size()], fs));
    ++i;
  }
}
BENCHMARK(BM_FloatToStr);

void BM_FormatFixed3(benchmark::State& state)
{
  const TFormatSettings fs;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFixed(Values()[i % Values().size()], 3, fs));
    ++i;
  }
}
BENCHMARK(BM_FormatFixed3);

void BM_FixedExactHalf(benchmark::State& state)
{
  // An exact half needs the full expansion of the double.
  const TFormatSettings fs;
  for (auto _ : state)
    benchmark::DoNotOptimize(FloatToStrF(0.125, TFloatFormat::Fixed, 15, 2, fs));
}
BENCHMARK(BM_FixedExactHalf);

void BM_TryStrToFloat(benchmark::State& state)
{
  const char* texts[] = {"0,4 ", "12,500", "-1,5E-3", "65535", "1,2,3"};
  size_t i = 0;
  for (auto _ : state) {
    double v = 0;
    benchmark::DoNotOptimize(TryStrToFloat(texts[i % 5], v, ','));
    ++i;
  }
}
BENCHMARK(BM_TryStrToFloat);

void BM_Cp1250ToUtf8_1KiB(benchmark::State& state)
{
  std::string text;
  while (text.size() < 1024)
    text += "Zażółć gęślą jaźń 0123456789 "_cp;
  for (auto _ : state)
    benchmark::DoNotOptimize(Cp1250ToUtf8(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_Cp1250ToUtf8_1KiB);

}  // namespace

BENCHMARK_MAIN();
