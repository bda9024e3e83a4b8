// Loading and saving a 10 MB attribute-heavy document, beside libxml2 reading the same file.
// The figure that matters: our load at most twice libxml2's xmlReadFile time.
//
// The empty-node pair measures what a tree of N empty elements holds on the heap (glibc's
// mallinfo2, ordinary and mapped blocks alike), as bytes per node, for our tree and for
// libxml2's on the same text.
#include <benchmark/benchmark.h>
#include <malloc.h>

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

// "<r>" holding N times "<i/>".
std::string EmptyNodesText(size_t n)
{
  std::string text = "<r>";
  text.reserve(n * 4 + 8);
  for (size_t i = 0; i < n; ++i)
    text += "<i/>";
  text += "</r>";
  return text;
}

size_t HeapInUse()
{
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

void ReportTreeBytes(benchmark::State& state, size_t bytes, size_t nodes)
{
  state.counters["tree_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.counters["bytes_per_node"] = static_cast<double>(bytes) / static_cast<double>(nodes);
}

void BM_TernikEmptyNodes(benchmark::State& state)
{
  InitializeLibrary();
  const size_t n = static_cast<size_t>(state.range(0));
  const std::string text = EmptyNodesText(n);
  size_t bytes = 0;
  size_t messages = 0;
  for (auto _ : state) {
    // With a handler, which every node is given.
    TLhXmlDocument doc([&messages](const std::string&) { ++messages; });
    std::string copy = text;
    const size_t before = HeapInUse();
    // Only the tree is counted: the text is freed by the read.
    doc.ReadFromString(std::move(copy));
    bytes = HeapInUse() + text.size() - before;
    benchmark::DoNotOptimize(doc.MainNode());
  }
  ReportTreeBytes(state, bytes, n + 1);
}
BENCHMARK(BM_TernikEmptyNodes)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

#ifdef KIV_HAVE_LIBXML2
void BM_Libxml2EmptyNodes(benchmark::State& state)
{
  const size_t n = static_cast<size_t>(state.range(0));
  const std::string text = EmptyNodesText(n);
  size_t bytes = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    xmlDoc* d = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, XML_PARSE_NONET);
    bytes = HeapInUse() - before;
    benchmark::DoNotOptimize(d);
    xmlFreeDoc(d);
  }
  ReportTreeBytes(state, bytes, n + 1);
}
BENCHMARK(BM_Libxml2EmptyNodes)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

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
