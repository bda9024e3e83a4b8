// Loading and saving a 10 MB attribute-heavy document, beside libxml2 reading the same file.
// The figure that matters: our load at most twice libxml2's xmlReadFile time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/NumText.h"
#include "ternik/TernikInit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"
#include "tests/support/TempDir.h"

#ifdef KIV_HAVE_LIBXML2
#include <libxml/parser.h>
#endif

namespace {

// Groups of items with eight attributes each, written by our own writer, ~10 MB.
const std::string& BenchFile()
{
  static const std::string path = [] {
    InitializeLibrary();
    TLhXmlDocument doc;
    TLhXMLNode& root = doc.GetMainNode("SETTINGS", true);
    size_t bytes = 0;
    for (int g = 0; bytes < 10'000'000; ++g) {
      TLhXMLNode& group = root.AddChild("GROUP", true);
      group.WriteAttrib("NAME", "GRP_" + IntToStr(g));
      for (int i = 0; i < 50; ++i) {
        TLhXMLNode& item = group.AddChild("ITEM", true);
        item.WriteAttrib("NAME", "ITEM_" + IntToStr(g) + "_" + IntToStr(i));
        item.WriteAttrib("TYPE", "WORD");
        item.WriteAttrib("DESCR", "Napięcie znamionowe & próg < 110%");
        item.WriteAttrib("VALUE", IntToStr(i * 37 + g));
        item.WriteAttrib("DEFAULT", "100");
        item.WriteAttrib("MIN", "0");
        item.WriteAttrib("MAX", "65535");
        item.WriteAttrib("UNIT", "[V]");
        bytes += 190;
      }
    }
    static const TTempDir dir;
    std::string p = dir.File("bench.xml");
    doc.SaveToFile(p);
    return p;
  }();
  return path;
}

void BM_TernikLoad(benchmark::State& state)
{
  const std::string& path = BenchFile();
  for (auto _ : state) {
    TLhXmlDocument doc;
    doc.LoadFromFile(path);
    benchmark::DoNotOptimize(doc.MainNode());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_TernikLoad)->Unit(benchmark::kMillisecond);

void BM_TernikSave(benchmark::State& state)
{
  TLhXmlDocument doc;
  doc.LoadFromFile(BenchFile());
  for (auto _ : state) {
    std::string out = doc.SaveToString();
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_TernikSave)->Unit(benchmark::kMillisecond);

#ifdef KIV_HAVE_LIBXML2
void BM_Libxml2ReadFile(benchmark::State& state)
{
  const std::string& path = BenchFile();
  for (auto _ : state) {
    xmlDoc* d = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(d);
    xmlFreeDoc(d);
  }
}
BENCHMARK(BM_Libxml2ReadFile)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
