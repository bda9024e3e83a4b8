// What a document or a file dialog leaves behind: the heap in use (mallinfo2) per cycle of
// opening and closing a loaded document in the real main window, of a file dialog shown,
// painted and cancelled, and of both together. Each benchmark warms up first (the first
// cycles fill caches that stay), then runs a fixed number of cycles; "heap_bytes_per_cycle"
// is the growth of the heap over them divided by their number. Goal: about 0.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QTimer>

#include <malloc.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/ui/Child.h"
#include "app/ui/Main.h"
#include "platform/Prompts.h"
#include "platform/qt/QtPrompts.h"
#include "tests/support/TempDir.h"
#include "tests/ui/ChildTestSupport.h"
#include "tests/ui/ProgramFrame.h"

namespace {

double HeapInUse()
{
  const struct mallinfo2 m = mallinfo2();
  return double(m.uordblks + m.hblkhd);
}

using programtest::Settle;

// The program's main window with real document windows, on a loaded document.
class TProgram {
public:
  TProgram()
  {
    programtest::PrepareFolder(FDir, KIV_SOURCE_DIR);
    if (!childtest::SaveModel2Document(Document(), FDir.File("bin")))
      throw std::runtime_error("cannot write the document");
    Frame = programtest::MakeFrame(FDir);
    Frame->show();
    Settle();
  }
  std::string Document() const { return FDir.File("doc.kiv"); }
  void CloseDocuments()
  {
    for (QMdiSubWindow* w : Frame->MdiArea()->subWindowList())
      w->close();
    Settle();
  }

  std::unique_ptr<TMainForm> Frame;

private:
  TTempDir FDir;
};

// Warm-up cycles, then the measured ones; reports the heap growth per measured cycle.
void MeasureCycles(benchmark::State& state, const std::function<void()>& cycle)
{
  for (int i = 0; i < 10; ++i)
    cycle();
  const double before = HeapInUse();
  for (auto _ : state)
    cycle();
  state.counters["heap_bytes_per_cycle"] = (HeapInUse() - before) / double(state.iterations());
}

// Works the next file dialog as a user would see it: painted, then the file given or cancelled.
void AnswerFileDialog(const std::string& file)
{
  QTimer::singleShot(0, [file] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    (void)dialog->grab();
    if (file.empty()) {
      dialog->reject();
      return;
    }
    dialog->selectFile(QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, which checks the name
  });
}

void BM_OpenCloseLoadedDocument(benchmark::State& state)
{
  TScriptedPrompts script;
  IPrompts* previous = SetPrompts(&script);
  {
    TProgram program;
    MeasureCycles(state, [&] {
      script.Files.push_back(program.Document());
      program.Frame->MF_OpenClick(true);
      Settle();
      program.CloseDocuments();
      script.Records.clear();
    });
  }
  SetPrompts(previous);
}
BENCHMARK(BM_OpenCloseLoadedDocument)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_NewCloseEmptyDocument(benchmark::State& state)
{
  TScriptedPrompts script;
  IPrompts* previous = SetPrompts(&script);
  {
    TProgram program;
    MeasureCycles(state, [&] {
      program.Frame->MF_NewClick();
      Settle();
      program.CloseDocuments();
    });
  }
  SetPrompts(previous);
}
BENCHMARK(BM_NewCloseEmptyDocument)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_FileDialogCancelled(benchmark::State& state)
{
  TProgram program;
  TQtPrompts prompts(program.Frame.get());
  prompts.SetFileDialogOptions(QFileDialog::DontUseNativeDialog);
  MeasureCycles(state, [&] {
    AnswerFileDialog({});
    std::string path = program.Document();
    prompts.OpenFileName({}, "Pliki rejestracji|*.kiv|Wszystkie pliki|*.*", path);
    Settle();
  });
}
BENCHMARK(BM_FileDialogCancelled)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_OpenCloseThroughTheFileDialog(benchmark::State& state)
{
  TQtPromptsInstaller prompts;
  {
    TProgram program;
    prompts.Prompts().SetParent(program.Frame.get());
    prompts.Prompts().SetFileDialogOptions(QFileDialog::DontUseNativeDialog);
    MeasureCycles(state, [&] {
      AnswerFileDialog(program.Document());
      program.Frame->MF_OpenClick(true);
      Settle();
      program.CloseDocuments();
    });
    prompts.Prompts().SetParent(nullptr);
  }
}
BENCHMARK(BM_OpenCloseThroughTheFileDialog)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // The file dialogs keep their settings in a folder of the run's own.
  const TTempDir config;
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
