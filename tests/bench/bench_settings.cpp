// Settings files: loading a group of many items (each load settles the modified flags of its
// group), checking every item, and comparing two trees item by item.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/NumText.h"
#include "ternik/SettingsTools.h"
#include "ternik/TernikInit.h"

namespace {

std::string SettingsFile(int items)
{
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<GROUP NAME=\"R\">\r\n";
  for (int i = 0; i < items; ++i) {
    const std::string n = IntToStr(i);
    s += i % 2 ? "  <ITEM NAME=\"f" + n + "\" TYPE=\"FLOAT\" VALUE=\"" + n + ".5\" MAX=\"1E9\"/>\r\n"
               : "  <ITEM NAME=\"i" + n + "\" TYPE=\"INT\" VALUE=\"" + n + "\" MIN=\"0\"/>\r\n";
  }
  return s + "</GROUP>\r\n";
}

struct TLibrary {
  TLibrary() { InitializeLibrary(); }
};

}  // namespace

static void BM_LoadSettings(benchmark::State& state)
{
  static TLibrary lib;
  const std::string file = SettingsFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TLhXmlDocument doc;
    doc.ReadFromString(file);
    benchmark::DoNotOptimize(doc.MainNode());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadSettings)->Arg(100)->Arg(10000);

static void BM_CheckEveryItem(benchmark::State& state)
{
  static TLibrary lib;
  TLhXmlDocument doc;
  doc.ReadFromString(SettingsFile(static_cast<int>(state.range(0))));
  TLhXMLNode& root = *doc.MainNode();
  for (auto _ : state) {
    for (size_t i = 0; i < root.ChildCount(); ++i) {
      std::string text, message;
      benchmark::DoNotOptimize(static_cast<TSettItem&>(root.GetChild(i)).Tool().CheckCurrent(text, message));
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CheckEveryItem)->Arg(1000);

static void BM_CompareTrees(benchmark::State& state)
{
  static TLibrary lib;
  const std::string file = SettingsFile(static_cast<int>(state.range(0)));
  TLhXmlDocument a, b;
  a.ReadFromString(file);
  b.ReadFromString(file);
  auto& ra = static_cast<TSettGroup&>(*a.MainNode());
  auto& rb = static_cast<TSettGroup&>(*b.MainNode());
  for (auto _ : state) {
    std::vector<TSettCompareLine> lines;
    benchmark::DoNotOptimize(ra.CompareWith(&rb, &lines));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompareTrees)->Arg(100)->Arg(10000);

BENCHMARK_MAIN();
