// The document window's files, printing, set-write commands and closing.

#include <QApplication>
#include <QCloseEvent>
#include <QListWidget>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "app/logic/CloseLogic.h"
#include "app/logic/DocNameLogic.h"
#include "app/document/KivFiles.h"
#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "app/logic/SetWriteLogic.h"
#include "app/ui/Child.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ListerSinks.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "charts/ui/GraphPrinter.h"
#include "charts/ui/PageSink.h"
#include "platform/Prompts.h"

namespace {
// The frame's save dialog with the document filter, and the file system as it is.
class TFrameSaveNames : public ISaveNameSource {
public:
  explicit TFrameSaveNames(IChildFrame& frame) : FFrame(frame) {}
  bool ChooseName(std::string& name) override { return FFrame.ExecuteSaveDialog(name, 1); }
  bool FileExists(const std::string& path) const override
  {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
  }

private:
  IChildFrame& FFrame;
};
}  // namespace

// --- Files ------------------------------------------------------------------------------

bool TChildForm::LoadFile(const std::string& fileName)
{
  FKiv->SetInstallDir(FFrame.InstallDir());
  const bool wasModified = FKiv->Modified();
  // The window shows the file it is loading: a failure is reported while the load runs, and
  // the user must see which file it is about, not a window without a caption.
  setWindowTitle(PathToQ(fileName));
  const bool loaded = FKiv->LoadFromFile(fileName);
  if (loaded) {
    FFileName = fileName;
  } else {
    // The window must not keep the name of a file it could not read: a save would
    // overwrite that file with an empty document.
    SetDocumentName(FFrame.NextDocumentName());
  }
  RefreshViews();
  FHasName = loaded;
  FKiv->SetModified(loaded ? false : wasModified);
  return loaded;
}

void TChildForm::RefreshViews()
{
  ShowReadOptions();
  StoreReadOptions();
  SelectFirstSequence();
  ShowZestawNastaw();
  FKiv->SetModified(false);
}

void TChildForm::FileSaveClick()
{
  if (IsBusy())
    return;
  CommitPendingEdit();
  TFrameSaveNames names(FFrame);
  if (const std::optional<std::string> target = ChooseSaveName(FFileName, FHasName, names, Prompts()))
    SaveTo(*target);
}

void TChildForm::SaveAsClick()
{
  if (IsBusy())
    return;
  CommitPendingEdit();
  TFrameSaveNames names(FFrame);
  if (const std::optional<std::string> target = ChooseSaveAsName(FFileName, names, Prompts()))
    SaveTo(*target);
}

void TChildForm::SaveTo(const std::string& fileName)
{
  FHasName = true;
  FFileName = fileName;
  setWindowTitle(PathToQ(FFileName));
  // A failed save reports itself and leaves the document modified.
  FKiv->SaveToFile(FFileName);
}

void TChildForm::SaveEvRegToFile()
{
  if (IsBusy())
    return;
  std::string name;
  if (!FFrame.ExecuteSaveDialog(name, 2))
    return;
  SaveBufferToFile(
      name, std::span<const uint8_t>(FKiv->GetEvRegData(),
                                     std::min<size_t>(FKiv->GetEvRegSize(), KivImage::EVREG_CAPACITY)));
}

void TChildForm::Waciwoci1Click()
{
  if (IsBusy())
    return;
  FFrame.ShowFileProperties(*FKiv);
}

void TChildForm::PrintSetupClick()
{
  if (FFrame.PrinterSetupDialog())
    GraphReadPrinterPage(FGraph->Model());
}

// --- Printing ---------------------------------------------------------------------------

void TChildForm::FilePrintClick(bool fromToolbar)
{
  if (IsBusy())
    return;
  CommitPendingEdit();
  if (!fromToolbar) {
    uint8_t flags = FPrintFlags;
    if (!FFrame.ExecutePrintOptions(flags))
      return;
    FPrintFlags = flags;
  }
  std::vector<int> selected;
  for (int i = 0; i < EventsListBox->count(); ++i)
    if (EventsListBox->item(i)->isSelected())
      selected.push_back(i);
  if (FLister->SequenceCount() == 0)
    selected.clear();  // "Nie odczytany" is no sequence
  const std::vector<TPrintStep> plan = PrintPlan(FPrintFlags, selected, FFileName);
  // One answer for the whole command: without a printer no step starts, and the user is told
  // once, not once per job.
  if (plan.empty() || !FFrame.PrinterReady())
    return;
  {
    // Window messages are processed between the pages: the window must not be closed (and
    // freed) under the print, nor start a read or a write into it.
    const TChildBusy::TScope printing = FBusy.Begin(TChildActivity::Printing, [this] { UpdateReadState(); });
    UpdateReadState();
    // Each step is a job of its own; printed to a file, each goes to a file of its own.
    const TPrintRun run;
    PrintSteps(plan);
  }
  // The shown sequence again, as the list selects it.
  EventsListBoxClick(false);
}

void TChildForm::PrintSteps(const std::vector<TPrintStep>& plan)
{
  for (const TPrintStep& step : plan) {
    switch (step.Kind) {
    case TPrintStep::TKind::Listing: {
      FLister->SetSequence(step.Sequence);
      TEvPrinterSink sink(FFrame.Printer());
      FLister->SetPrinter(&sink);
      FLister->PrintTitle = step.Title;
      FLister->PrintSequence(step.Sequence);
      FLister->SetPrinter(nullptr);
      break;
    }
    case TPrintStep::TKind::Chart:
      PrintChart(step.Sequence, step.Title);
      break;
    case TPrintStep::TKind::Grid1:
      PrintGrid(0, step.Title);
      break;
    case TPrintStep::TKind::Grid2:
      PrintGrid(1, step.Title);
      break;
    }
    QApplication::processEvents();
  }
}

bool TChildForm::PrintChart(int sequence, const std::string& title)
{
  FLister->SetSequence(sequence);
  FGraph->Model().SetPrintTitle(title);
  TPrinterPageSink sink(*FFrame.Printer());
  return PrintGraph(FGraph->Model(), 1, GraphPages(FGraph->Model(), sink), sink) > 0;
}

void TChildForm::PrintGrid(int shownSet, const std::string& title)
{
  const int shown = FShownSet;
  if (shownSet != shown) {
    FShownSet = shownSet;
    ShowZestawNastaw();
  }
  FFrame.PrintStringGrid(ZnsGrid->Image(), title);
  if (shownSet != shown) {
    FShownSet = shown;
    ShowZestawNastaw();
  }
}

// --- Set-write commands -----------------------------------------------------------------

void TChildForm::BuildCommandTree()
{
  cmdOutline->clear();
  auto* root = new QTreeWidgetItem(cmdOutline, QStringList(ToQ(ZnsCommandRoot())));
  for (const TZnsCommand& c : ZnsCommands()) {
    auto* item = new QTreeWidgetItem(root, QStringList(ToQ(c.Caption)));
    item->setData(0, Qt::UserRole, QString::fromLatin1(c.Code.c_str()));
  }
  root->setExpanded(true);
}

void TChildForm::cmdOutlineDblClick()
{
  const QTreeWidgetItem* item = cmdOutline->currentItem();
  if (!item)
    return;
  const QString code = item->data(0, Qt::UserRole).toString();
  if (!code.isEmpty())
    ExecuteZnsCommand(code.toStdString());
}

void TChildForm::ExecuteZnsCommand(const std::string& code)
{
  if (IsBusy())
    return;
  const TZnsCommand* command = FindZnsCommand(code);
  if (!command)
    return;
  // What the user typed last belongs to the set being written.
  CommitPendingEdit();
  if (Prompts().Confirm(command->Caption, ZnsCommandConfirmCaption(), TPromptButtons::YesNo) !=
      TPromptAnswer::Yes)
    return;
  // An exception goes on to the application's handler, which shows it; the controls are
  // enabled again as the scope ends.
  const TChildBusy::TScope writing = FBusy.Begin(TChildActivity::Writing, [this] { UpdateReadState(); });
  UpdateReadState();
  FKiv->WriteZestawNastaw(command->Source, command->Target);
}

// --- Closing ----------------------------------------------------------------------------

bool TChildForm::CloseQuery()
{
  CommitPendingEdit();
  switch (FBusy.CloseAction(FKiv->IsReading(), FKiv->IsWriting(), FKiv->Modified())) {
  case TCloseAction::CancelRead:
    FKiv->Cancel();
    return false;
  case TCloseAction::Refuse:
    return false;
  case TCloseAction::AskToSave: {
    const TPromptAnswer a = Prompts().Confirm(CloseQueryText(FFileName), std::string(),
                                              TPromptButtons::YesNoCancel, TPromptKind::Warning);
    if (a == TPromptAnswer::No)
      return true;
    if (a != TPromptAnswer::Yes)
      return false;
    FileSaveClick();
    return !FKiv->Modified();
  }
  case TCloseAction::Close:
    return true;
  }
  return false;
}

void TChildForm::closeEvent(QCloseEvent* event)
{
  // The frame's round asked this window already; only a transfer begun since keeps it.
  const bool agreed = std::exchange(FCloseAgreed, false);
  if (agreed ? !IsBusy() : CloseQuery())
    event->accept();
  else
    event->ignore();
}
