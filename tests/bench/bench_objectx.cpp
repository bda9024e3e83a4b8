// Named-child look-up among many siblings: the 16-bit name hash settles almost every
// non-matching child before any text is compared.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/NumText.h"
#include "ternik/LangUnit.h"
#include "ternik/VmBase.h"

static void BM_FindItemAmongMany(benchmark::State& state)
{
  auto group = NewXmlNode<TXLangGroup>();
  const auto n = static_cast<int>(state.range(0));
  for (int i = 0; i < n; ++i)
    group->AddItem("TXT_KEY_" + IntToStr(i), "text");
  const std::string last = "txt_key_" + IntToStr(n - 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(group->FindItem(last));
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FindItemAmongMany)->Arg(100)->Arg(10000);

static void BM_CmtrDateTimeRoundTrip(benchmark::State& state)
{
  for (auto _ : state) {
    const TDateTime v = CmtrStrToDateTime("05/03/2020,10:20:30.500000", CmtrFormatDayFirst);
    benchmark::DoNotOptimize(DateTimeToCmtrStr(CmtrFormatDayFirst, v));
  }
}
BENCHMARK(BM_CmtrDateTimeRoundTrip);

BENCHMARK_MAIN();
