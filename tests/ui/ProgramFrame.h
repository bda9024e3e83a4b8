// The program's main window with real document windows over a scratch folder, for window
// tests and benchmarks: the definition files beside the program, kiv.ini on TCP so no serial
// port is opened, and the event loop run as it runs between two clicks.
#pragma once

#include <QApplication>
#include <QMdiArea>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/Child.h"
#include "app/ui/Main.h"
#include "tests/support/TempDir.h"

namespace programtest {

// bin/ with the definition files and kiv.ini in `dir`.
inline void PrepareFolder(const TTempDir& dir, const std::string& sourceDir)
{
  std::filesystem::create_directories(dir.File("bin"));
  for (const char* f : {"Kivs2.set", "Kivs3.set"})
    std::filesystem::copy_file(sourceDir + "/data/" + f, dir.File(std::string("bin/") + f));
  dir.Write("kiv.ini", "[kivssn]\nMBTCPComm=1\nMBTCPIP=127.0.0.1\nMBTCPPort=1\n");
}

// The frame of a program installed in dir/bin reading the kiv.ini at dir/config, making the
// real document windows, at Qt's own size.
inline std::unique_ptr<TMainForm> NewFrame(const TTempDir& dir, const std::string& config,
                                           std::vector<std::string> params = {})
{
  TMainFormOptions o;
  o.Params = std::move(params);
  o.ProgramPath = dir.File("bin/kivssn");
  o.ConfigPath = dir.File(config);
  o.SysfsClassDir = dir.File("no-sysfs");
  auto frame = std::make_unique<TMainForm>(o);
  frame->SetDocumentFactory(
      [](IChildFrame& f, QMdiArea* parent) -> IChildOps* { return new TChildForm(f, parent); });
  return frame;
}

// The same with the kiv.ini PrepareFolder writes, 1000 x 700.
inline std::unique_ptr<TMainForm> MakeFrame(const TTempDir& dir, std::vector<std::string> params = {})
{
  auto frame = NewFrame(dir, "kiv.ini", std::move(params));
  frame->resize(1000, 700);
  return frame;
}

// Runs what was posted, deferred deletes included.
inline void Settle()
{
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }
}

}  // namespace programtest
