// Cutting a full register and listing every sequence.
//
// A 10240-byte register of about 3000 records in 50 sequences: each a clock record, a
// switchgear snapshot, a voltage state and signal events. The figure that matters is the
// cut plus all listings, as a refresh followed by a walk through every sequence does.
#include <benchmark/benchmark.h>

#include "app/events/EventKinds.h"
#include "app/events/Lister.h"
#include "platform/NumText.h"

namespace {

class TBenchDocument : public IEvDocument {
public:
  std::vector<uint8_t> Register;
  TEventKindTable Table = ::EventKindTable(2);
  std::span<const uint8_t> EvRegister() const override { return Register; }
  std::array<uint8_t, 6> ReadOptions() const override { return {0x1F, 1, 1, 1, 1, 0}; }
  int KivType() const override { return 2; }
  std::span<const uint8_t> EventKindTable() const override { return Table; }
  int Correction(int kind) const override { return kind == 1 ? -5 : kind == 2 ? 15 : kind == 3 ? -30 : 0; }
  bool ImplementsSysLogick() const override { return false; }
  bool UseStnBelch() const override { return false; }
};

// Records in time order, stored newest first, filling `bytes` before the end marker.
std::vector<uint8_t> FullRegister(size_t bytes, int sequences, int& records)
{
  std::vector<std::vector<uint8_t>> recs;
  const size_t perSequence = (bytes - 2) / size_t(sequences);
  records = 0;
  for (int s = 0; s < sequences; ++s) {
    size_t used = 0;
    auto add = [&](std::vector<uint8_t> r) {
      used += r.size();
      recs.push_back(std::move(r));
      ++records;
    };
    add({243, uint8_t(s % 60), 10, uint8_t(1 + s % 28), 6, 24});
    add({251, 0, 0, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0, 0x41, 0x08, 0x1C, 0x34, 0, 0x35});
    add({246, 0, 8, 0x0B, 0x07, 0, 0x40, 1, 0x0F});
    // A while loop: add() grows used, which clang's check of a for condition cannot see.
    int k = 0;
    while (used + 3 <= perSequence) {
      add({uint8_t(36 + (k % 4)), 0, uint8_t(1 + k % 7)});
      ++k;
    }
  }
  std::vector<uint8_t> out;
  for (auto it = recs.rbegin(); it != recs.rend(); ++it)
    out.insert(out.end(), it->begin(), it->end());
  out.resize(bytes - 2, 0);
  out.push_back(240);
  out.push_back(127);
  return out;
}

void BM_CutAndListAll(benchmark::State& state)
{
  UtilityFormat().DecimalSeparator = ',';
  TBenchDocument doc;
  int records = 0;
  doc.Register = FullRegister(10240, 50, records);
  TEvLister lister;
  lister.SetDocument(&doc);
  size_t bytes = 0;
  for (auto _ : state) {
    lister.RefreshSequences();
    for (int n = 1; n <= lister.SequenceCount(); ++n) {
      lister.SetSequence(n);
      lister.ForEachEvent([&bytes](std::string_view line, TEvFontStyle) { bytes += line.size(); });
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["records"] = records;
  state.counters["sequences"] = lister.SequenceCount();
}
BENCHMARK(BM_CutAndListAll)->Unit(benchmark::kMillisecond);

void BM_CutOnly(benchmark::State& state)
{
  TBenchDocument doc;
  int records = 0;
  doc.Register = FullRegister(10240, 50, records);
  TEvLister lister;
  lister.SetDocument(&doc);
  for (auto _ : state) {
    lister.RefreshSequences();
    benchmark::DoNotOptimize(lister.SequenceCount());
  }
}
BENCHMARK(BM_CutOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
