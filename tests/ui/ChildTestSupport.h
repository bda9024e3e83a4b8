// The document window's tests: a main window played by a small fake, PDF printers, and a
// register whose sequences list, decode and chart.
#pragma once

#include <QPrinter>
#include <QString>

#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/document/Kivbase.h"
#include "app/ui/ChildOps.h"
#include "platform/NumText.h"
#include "tests/app/ListerFixture.h"

namespace childtest {

// The main window's side of the seam, recording what the document window asks.
class TFakeFrame : public IChildFrame {
public:
  std::string Install = std::string(KIV_SOURCE_DIR) + "/data";
  bool Service = false;
  TKivLink* LinkPtr = nullptr;
  std::string PdfFolder;  // where printers write
  int ToolbarUpdates = 0;
  std::function<void()> OnUpdateToolbar;
  // Answers of the save dialog in turn (nothing left: cancelled), and the filters asked for.
  std::deque<std::string> SaveAnswers;
  std::vector<int> SaveFilters;
  // Answers of the print-options dialog (nothing left: cancelled).
  std::deque<uint8_t> PrintOptionAnswers;
  int PrintOptionRuns = 0;
  std::vector<std::pair<std::string, TStringGridImage>> PrintedGrids;
  std::vector<std::string> PdfFiles;  // one per printer handed out
  int PropertiesShown = 0;
  int Counter = 0;
  bool XAutoscale = false;
  int XScale = -1;

  std::string InstallDir() const override { return Install; }
  bool ServiceMode() const override { return Service; }
  TKivLink* Link() override { return LinkPtr; }
  void UpdateToolbar() override
  {
    ++ToolbarUpdates;
    if (OnUpdateToolbar)
      OnUpdateToolbar();
  }
  void ShowXScale(bool autoscale, int scaleX) override
  {
    XAutoscale = autoscale;
    XScale = scaleX;
  }
  bool ExecuteSaveDialog(std::string& name, int filterIndex) override
  {
    SaveFilters.push_back(filterIndex);
    if (SaveAnswers.empty())
      return false;
    name = SaveAnswers.front();
    SaveAnswers.pop_front();
    return true;
  }
  bool PrinterSetupDialog() override { return false; }
  // Whether print commands may go ahead, and how often that was asked.
  bool PrinterIsReady = true;
  int PrinterReadyAsks = 0;
  bool PrinterReady() override
  {
    ++PrinterReadyAsks;
    return PrinterIsReady;
  }
  QPrinter* Printer() override
  {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    const std::string file = PdfFolder + "/print-" + std::to_string(Printers.size() + 1) + ".pdf";
    p->setOutputFileName(QString::fromStdString(file));
    PdfFiles.push_back(file);
    Printers.push_back(std::move(p));
    return Printers.back().get();
  }
  bool ExecutePrintOptions(uint8_t& flags) override
  {
    ++PrintOptionRuns;
    if (PrintOptionAnswers.empty())
      return false;
    flags = PrintOptionAnswers.front();
    PrintOptionAnswers.pop_front();
    return true;
  }
  bool PrintStringGrid(const TStringGridImage& grid, const std::string& title) override
  {
    PrintedGrids.emplace_back(title, grid);
    return true;
  }
  void ShowFileProperties(TKiv&) override { ++PropertiesShown; }
  std::string NextDocumentName() override { return "Dokument" + std::to_string(++Counter) + ".kiv"; }
  void NewClick() override {}
  void OpenClick() override {}
  void ExitClick() override {}

private:
  std::vector<std::unique_ptr<QPrinter>> Printers;
};

using listerfx::SetFormats;

// A Kivs3 register of three sequences: a restart, one with inputs and breaker states, and a
// short one.
inline std::vector<uint8_t> Model2Events()
{
  listerfx::TRegisterBuilder b;
  b.Clock(2024, 3, 15, 10, 30)
      .Event(245, 0, {0x00, 0x01})
      .Event(251, 2, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x41, 0x08, 0x1C, 0x34, 0x00, 0x35})
      .Event(36, 100)
      .Event(39, 3);
  b.Clock(2024, 3, 15, 11, 0)
      .Event(251, 0, {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x00, 0x08, 0x18, 0x14, 0x01, 0x01})
      .Event(4, 1)
      .Event(5, 3)
      .Event(36, 40)
      .Event(39, 200)
      .Event(4, 50);
  b.Clock(2024, 3, 16, 8, 15).Event(36, 10).Event(39, 20);
  return b.Bytes();
}

// A Kivs3 document with the three sequences of Model2Events and both sets filled, saved with
// the given read options.
inline bool SaveModel2Document(const std::string& path, const std::string& installDir,
                               TReadOptions options = {5, 1, 1, 1, 1, 0})
{
  TKiv kiv;
  kiv.SetInstallDir(installDir);
  kiv.SetIdent("K3SIM-01");
  kiv.SetKivType(2);
  const auto events = Model2Events();
  std::memcpy(kiv.GetEvRegData(), events.data(), events.size());
  kiv.SetEvRegSize(uint16_t(events.size()));
  for (int i = 0; i < 238; ++i) {
    kiv.GetZns1Data()[i] = uint8_t(i);
    kiv.GetZns2Data()[i] = uint8_t(0xFF - i);
  }
  kiv.SetZns1Size(238);
  kiv.SetZns2Size(238);
  kiv.SetEvRegDate(45366);
  kiv.SetZns1Date(45366);
  kiv.SetZns2Date(45365);
  kiv.SetReadOptions(options);
  return kiv.SaveToFile(path);
}

}  // namespace childtest
