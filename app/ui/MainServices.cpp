#include "app/ui/Main.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopedValueRollback>

#include <filesystem>

#include "app/ui/Fileprop.h"
#include "app/ui/GridPrn.h"
#include "app/ui/Pagedlg.h"
#include "app/ui/Params.h"
#include "charts/ui/PageSink.h"
#include "platform/Prompts.h"

// What the frame does for its documents and for the link: the save dialog, the printer and
// the print options, the grid print, the file properties, the communication settings, the
// link's busy state passed on, and closing every document at the end.

namespace fs = std::filesystem;

bool TMainForm::ExecuteSaveDialog(std::string& name, int filterIndex)
{
  // The filter chosen is offered first; the next dialog starts with the documents again.
  const char* filter = filterIndex == 2 ? "Wszystkie pliki|*.*|Pliki rejestracji|*.kiv" : KIV_FILE_FILTER;
  std::string path = name;
  if (!Prompts().SaveFileName(std::string(), filter, path))
    return false;
  // The default extension: a name typed without one is saved as .kiv.
  if (filterIndex != 2 && !path.empty() && fs::path(path).extension().empty())
    path += ".kiv";
  name = path;
  return true;
}

QPrinter* TMainForm::Printer() { return FPrinter ? FPrinter : &AppPrinter(); }

bool TMainForm::PrinterReady()
{
  TPrinterPageSink sink(*Printer());
  if (FDefaultPrinterExists)
    sink.DefaultPrinterExists = FDefaultPrinterExists;
  return SinkCanPrint(sink);
}

bool TMainForm::PrinterSetupDialog()
{
  if (FRunPrinterSetup)
    return FRunPrinterSetup(*Printer());
  QPrintDialog dialog(Printer(), this);
  return dialog.exec() == QDialog::Accepted;
}

TPageDlgFrm& TMainForm::PrintOptions()
{
  // One dialog for the whole run: its margins are kept between prints.
  if (!FPrintOptions)
    FPrintOptions = new TPageDlgFrm(this);
  return *FPrintOptions;
}

bool TMainForm::ExecutePrintOptions(uint8_t& flags)
{
  TPageDlgFrm& dialog = PrintOptions();
  dialog.SetPrintFlags(flags);
  if (!dialog.Execute())
    return false;
  flags = dialog.PrintFlags();
  return true;
}

bool TMainForm::PrintStringGrid(const TStringGridImage& grid, const std::string& title)
{
  TPrinterPageSink sink(*Printer());
  if (FDefaultPrinterExists)
    sink.DefaultPrinterExists = FDefaultPrinterExists;
  return ::PrintStringGrid(grid, title, sink);
}

void TMainForm::ShowFileProperties(TKiv& kiv)
{
  TFileInfoDlg dialog(this);
  if (FRunFileInfo)
    dialog.SetRunner(FRunFileInfo);
  dialog.Execute(kiv);
}

void TMainForm::CommSetupClick()
{
  if (AnyDocumentBusy())
    return;
  TRsdHan& rsd = FLink->Rsd();
  // The dialog applies port, speed and time-out to the link while it is open; its state
  // keeps what Cancel puts back.
  TCommDlg dialog(rsd, FConfig.Comm, this);
  dialog.SetTimeOut(FConfig.Comm.Time_Out);
  dialog.SetTimeSilence(FConfig.Comm.TimeSilence);
  const int result = FRunCommDialog ? FRunCommDialog(dialog) : dialog.exec();
  if (result == QDialog::Accepted)
    dialog.State().Commit();
  else
    dialog.State().Revert();
  (void)FLink->SetSettings(FConfig.Comm);
  rsd.Close();
  if (!FConfig.Comm.MBTCPComm && (result != QDialog::Accepted || !rsd.CommPort().empty()))
    OpenLink();
}

void TMainForm::ile1Click() { FMdi->TileWindows(); }

bool TMainForm::CloseDocuments()
{
  // A close asked again while a question of this round is open is left to the round.
  if (FClosingDocuments)
    return false;
  const QScopedValueRollback<bool> closing(FClosingDocuments, true);
  // Closing one window after another would lose a window whose "No" was answered before a
  // later one refused: every window is asked first.
  // (A question lets events run: a window may be gone by the time the next is asked.)
  std::vector<QPointer<QMdiSubWindow>> windows;
  for (QMdiSubWindow* w : FMdi->subWindowList(QMdiArea::CreationOrder))
    windows.emplace_back(w);
  const auto documentOf = [](const QPointer<QMdiSubWindow>& w) {
    return w ? dynamic_cast<IChildOps*>(w->widget()) : nullptr;
  };
  for (const auto& w : windows)
    if (IChildOps* doc = documentOf(w); doc && !doc->CloseQuery())
      return false;
  // A transfer begun while a later window asked keeps every window.
  for (const auto& w : windows)
    if (IChildOps* doc = documentOf(w); doc && doc->IsBusy())
      return false;
  bool closed = true;
  for (const auto& w : windows) {
    if (IChildOps* doc = documentOf(w))
      doc->CloseAgreed();
    if (w)
      closed = w->close() && closed;
  }
  return closed;
}

void TMainForm::LinkBusyChanged()
{
  UpdateToolbar();
  // Every document's read and write commands wait while another document holds the link.
  for (IChildOps* doc : Documents())
    doc->LinkBusyChanged();
}
