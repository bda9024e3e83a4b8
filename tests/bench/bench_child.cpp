// Opening a full document in a document window: a 10240-byte register and both sets, until
// the first sequence's listing and chart are shown (the window painted once). Goal: under
// 200 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QTabWidget>

#include <cstring>
#include <string>

#ifndef KIV_SOURCE_DIR
#define KIV_SOURCE_DIR ""
#endif
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "platform/Prompts.h"
#include "tests/ui/ChildTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

std::string SourceDir()
{
  const std::string self = __FILE__;
  return self.substr(0, self.rfind("/tests/bench/"));
}

// Sequences of a clock record, a switchgear snapshot and input events, up to 10240 bytes.
std::vector<uint8_t> FullRegister()
{
  listerfx::TRegisterBuilder b;
  size_t bytes = 2;
  for (int s = 0; bytes < 10240 - 40; ++s) {
    b.Clock(2024, 6, 1 + s % 28, 10, s % 60)
        .Event(251, 0, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x41, 0x08, 0x1C, 0x34, 0x00, 0x35});
    bytes += 6 + 16;
    for (int k = 0; k < 40 && bytes + 3 <= 10240 - 40; ++k, bytes += 3)
      b.Event(uint8_t(k % 2 ? 36 : 39), uint16_t(1 + k * 7));
  }
  return b.Bytes();
}

void BM_OpenFullDocument(benchmark::State& state)
{
  childtest::SetFormats();
  TScriptedPrompts prompts;
  SetPrompts(&prompts);
  TTempDir dir;
  childtest::TFakeFrame frame;
  frame.Install = SourceDir() + "/data";
  TKiv kiv;
  kiv.SetInstallDir(frame.Install);
  kiv.SetIdent("K3SIM-01");
  kiv.SetKivType(2);
  const auto reg = FullRegister();
  std::memcpy(kiv.GetEvRegData(), reg.data(), reg.size());
  kiv.SetEvRegSize(uint16_t(reg.size()));
  for (int i = 0; i < 512; ++i) {
    kiv.GetZns1Data()[i] = uint8_t(i);
    kiv.GetZns2Data()[i] = uint8_t(~i);
  }
  kiv.SetZns1Size(512);
  kiv.SetZns2Size(512);
  const std::string file = dir.File("full.kiv");
  if (!kiv.SaveToFile(file)) {
    state.SkipWithError("cannot write the document");
    return;
  }
  int sequences = 0;
  for (auto _ : state) {
    TChildForm form(frame);
    form.resize(1000, 700);
    form.Notebook1->setCurrentIndex(0);
    form.show();
    form.LoadFile(file);
    QApplication::processEvents();
    sequences = form.EventsListBox->count();
    benchmark::DoNotOptimize(sequences);
  }
  state.counters["sequences"] = sequences;
  state.counters["register_bytes"] = double(reg.size());
  SetPrompts(nullptr);
}
BENCHMARK(BM_OpenFullDocument)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
