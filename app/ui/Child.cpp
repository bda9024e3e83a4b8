#include "app/ui/Child.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/logic/DocNameLogic.h"
#include "app/document/Kivbase.h"
#include "app/events/Lister.h"
#include "app/events/ListerChart.h"
#include "app/logic/ReadOptionsLogic.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "app/ui/ListerSinks.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "charts/ui/Graphdlg.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

TChildForm::TChildForm(IChildFrame& frame, QWidget* parent) : QWidget(parent), FFrame(frame)
{
  FKiv = std::make_unique<TKiv>();
  FLister = std::make_unique<TEvLister>();
  resize(559, 304);
  BuildPages();
  BuildMenus();

  FMemoMessage = std::make_unique<TMemoMessage>(MemoMessage);
  FKiv->SetMessageMemo(FMemoMessage.get());
  FKiv->SetLink(FFrame.Link());
  FKiv->OnBeginRead = [this](TKiv&) { UpdateReadState(); };
  FKiv->OnCompleteAll = [this](TKiv&) { UpdateReadState(); };
  FKiv->OnCompleteZestawNastaw1 = [this](TKiv&) { ShowZestawNastaw(); };
  FKiv->OnCompleteZestawNastaw2 = [this](TKiv&) { ShowZestawNastaw(); };
  FKiv->OnEvRegCompleted = [this](TKiv&) { EvRegCompleted(); };
  FKiv->SetInstallDir(FFrame.InstallDir());
  ShowReadOptions();
  StoreReadOptions();

  const bool service = FFrame.ServiceMode();
  ChbTraceMessages->setVisible(service);
  FKiv->TraceMessages = service;
  {
    const QSignalBlocker block(ChbTraceMessages);
    ChbTraceMessages->setChecked(service);
  }

  FGraph->Model().SetDataTimeType(TIntervalTimeType::Seconds);
  FChart = std::make_unique<TEvGraphChart>(FGraph->Model());
  FListSink = std::make_unique<TEvListBoxSink>(EventsListBox);
  FListSink->OnClick = [this] { EventsListBoxClick(false); };
  FTextSink = std::make_unique<TEvRichEditSink>(FMemo);
  FLister->SetRichEdit(FTextSink.get());
  FLister->SetGraph(FChart.get(), &EvChart::BuildEventChart);
  FLister->SetListBox(FListSink.get());
  FLister->SetDevice(FKiv.get());

  // The frame names the window (NewChild) or it loads a file: asking for a name here would
  // use up a document number.
  LayoutPanel3();
  SetupPageButtons(Notebook1->currentIndex());
  ShowZestawNastaw();
  BuildCommandTree();

  for (QCheckBox* box : {chbZestaw1, chbZestaw2, chbEventRegister, chbcorrectIOtimes, ChBshowallEvents})
    connect(box, &QCheckBox::clicked, this, [this] { StoreReadOptions(); });
  connect(SpinSlaveNo, &QSpinBox::editingFinished, this, [this] { StoreReadOptions(); });
  connect(SpinSlaveNo, &QSpinBox::valueChanged, this, [this] {
    if (!SpinSlaveNo->cleanText().isEmpty())
      StoreReadOptions();
  });
  connect(ChbTraceMessages, &QCheckBox::clicked, this, [this](bool on) { FKiv->TraceMessages = on; });
  FKiv->SetModified(false);
}

TChildForm::~TChildForm()
{
  // The lister and the controller object point at widgets and sinks of this window.
  FLister->SetDevice(nullptr);
  FLister->SetListBox(nullptr);
  FLister->SetRichEdit(nullptr);
  FLister->SetGraph(nullptr);
  FKiv->SetMessageMemo(nullptr);
  FKiv->OnBeginRead = nullptr;
  FKiv->OnCompleteAll = nullptr;
  FKiv->OnCompleteZestawNastaw1 = nullptr;
  FKiv->OnCompleteZestawNastaw2 = nullptr;
  FKiv->OnEvRegCompleted = nullptr;
  // The pages hold views of this window's members (the grid's cells, the controller object):
  // they go before the members do.
  delete Notebook1;
  Notebook1 = nullptr;
}

// --- State ------------------------------------------------------------------------------

TChildActivity TChildForm::Activity() const { return FBusy.Activity(FKiv->IsReading(), FKiv->IsWriting()); }

void TChildForm::SetDocumentName(const std::string& name)
{
  FFileName = name;
  setWindowTitle(PathToQ(CaptionOfName(name)));
}

void TChildForm::UpdateReadState()
{
  FFrame.UpdateToolbar();
  const bool idle = Activity() == TChildActivity::Idle;
  Notebook1->setEnabled(idle);
  for (QAction* a : {FileSaveAction, SaveAsAction, FilePrintAction})
    a->setEnabled(idle);
  SetupPageButtons(Notebook1->currentIndex());
}

void TChildForm::RunPageAction(int button)
{
  // The buttons' enabled state is checked again: a click may have been queued before a
  // transfer began.
  const TPageAction action = FButtons.Btn[button].Action;
  if (!FButtons.Btn[button].Enabled)
    return;
  switch (action) {
  case TPageAction::HexList:
    HexListClick();
    break;
  case TPageAction::SaveBuf:
    SaveEvRegToFile();
    break;
  case TPageAction::Read:
    ReadClick();
    break;
  case TPageAction::Execute:
    cmdOutlineDblClick();
    break;
  case TPageAction::Cancel:
    CancelRead();
    break;
  case TPageAction::None:
    break;
  }
}

void TChildForm::Notebook1Change(int page)
{
  CommitPendingEdit();
  SetupPageButtons(page);
}

// --- Read options -----------------------------------------------------------------------

void TChildForm::ShowReadOptions()
{
  const TShownReadOptions s = ::ShowReadOptions(FKiv->GetReadOptions(), FFrame.ServiceMode());
  if (s.Forced) {
    FKiv->SetReadOptions(s.Options);
    // The register was decoded with the stored options: decode it again with the forced ones.
    FLister->RefreshSequences();
  }
  chbcorrectIOtimes->setVisible(s.ServiceBoxesVisible);
  ChBshowallEvents->setVisible(s.ServiceBoxesVisible);
  const QSignalBlocker b0(SpinSlaveNo), b1(chbZestaw1), b2(chbZestaw2), b3(chbEventRegister),
      b4(chbcorrectIOtimes), b5(ChBshowallEvents);
  SpinSlaveNo->setValue(s.Options[ReadOption::SlaveAddress]);
  chbZestaw1->setChecked(s.Options[ReadOption::ReadZns1] != 0);
  chbZestaw2->setChecked(s.Options[ReadOption::ReadZns2] != 0);
  chbEventRegister->setChecked(s.Options[ReadOption::ReadEvReg] != 0);
  chbcorrectIOtimes->setChecked(s.Options[ReadOption::CorrectTimes] != 0);
  ChBshowallEvents->setChecked(s.Options[ReadOption::ShowAllEvents] != 0);
}

void TChildForm::StoreReadOptions()
{
  TReadOptions o{};
  o[ReadOption::SlaveAddress] = uint8_t(SpinSlaveNo->value());
  o[ReadOption::ReadZns1] = chbZestaw1->isChecked() ? 1 : 0;
  o[ReadOption::ReadZns2] = chbZestaw2->isChecked() ? 1 : 0;
  o[ReadOption::ReadEvReg] = chbEventRegister->isChecked() ? 1 : 0;
  o[ReadOption::CorrectTimes] = chbcorrectIOtimes->isChecked() ? 1 : 0;
  o[ReadOption::ShowAllEvents] = ChBshowallEvents->isChecked() ? 1 : 0;
  const uint8_t oldCorrect = FKiv->GetReadOptions()[ReadOption::CorrectTimes];
  FKiv->SetReadOptions(o);
  if (o[ReadOption::CorrectTimes] != oldCorrect)
    FLister->RefreshSequences();
}

// --- Reading ----------------------------------------------------------------------------

void TChildForm::ReadClick()
{
  if (IsBusy())
    return;
  CommitPendingEdit();
  try {
    const TChildBusy::TScope reading = FBusy.Begin(TChildActivity::Reading, [this] { UpdateReadState(); });
    FKiv->ReadFromKIV();
  } catch (const std::exception& e) {
    Prompts().Error("Exception in ReadFromKIV: " + std::string(e.what()));
  }
}

void TChildForm::CancelRead()
{
  if (FKiv->IsReading())
    FKiv->Cancel();
  UpdateReadState();
}

void TChildForm::ShowLoadDates()
{
  auto show = [](QLabel* label, TDateTime date) {
    label->setText(date != 0 ? ToQ(DateToStr(date, UtilityFormat())) : QStringLiteral("???"));
  };
  show(lbBufLoadTime, FKiv->GetEvRegDate());
  show(lbZns1LoadTime, FKiv->GetZns1Date());
  show(lbZns2LoadTime, FKiv->GetZns2Date());
}

void TChildForm::EvRegCompleted()
{
  ShowLoadDates();
  FLister->RefreshSequences();
  if (EventsListBox->count() > 0 && EventsListBox->selectedItems().isEmpty()) {
    EventsListBox->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    EventsListBoxClick(false);
  }
}

void TChildForm::SelectFirstSequence()
{
  if (EventsListBox->count() > 0)
    EventsListBox->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  EventsListBoxClick(false);
}

void TChildForm::HexListClick() { FLister->ShowRawRegister(); }

// --- Sequences and views ----------------------------------------------------------------

void TChildForm::EventsListBoxClick(bool fromListBox)
{
  FGraph->UnselectAll();
  FLister->SetSequence(EventsListBox->currentRow() + 1);
  if (!fromListBox)
    return;
  if (FView == 1)
    SetView(3);
  FListSink->SetMultiSelect(QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier));
  EventsListBox->setFocus();
}

void TChildForm::SetView(int n)
{
  if (n < 0 || n > 3)
    return;
  FView = n;
  EventsListBox->setVisible(n == 0 || n == 1);
  FMemo->setVisible(n == 0 || n == 3);
  FGraph->setVisible(n == 0 || n == 2);
  LayoutPanel3();
  EventsListBoxClick(false);
}

void TChildForm::LayoutPanel3()
{
  const QRect r = Panel3->contentsRect();
  const int quarter = r.height() / 4;
  switch (FView) {
  case 0:
    EventsListBox->setGeometry(r.x(), r.y(), r.width(), quarter);
    FMemo->setGeometry(r.x(), r.y() + quarter, r.width(), quarter);
    FGraph->setGeometry(r.x(), r.y() + 2 * quarter, r.width(), r.height() - 2 * quarter);
    break;
  case 1:
    EventsListBox->setGeometry(r);
    break;
  case 2:
    FGraph->setGeometry(r);
    break;
  case 3:
    FMemo->setGeometry(r);
    break;
  default:
    break;
  }
}

void TChildForm::ShowLegend() { FLister->DrawLegend(); }

void TChildForm::FormActivate()
{
  FFrame.UpdateToolbar();
  FFrame.ShowXScale(FGraph->Model().Autoscale(), FGraph->Model().ScaleX());
}

bool TChildForm::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == Panel3 && event->type() == QEvent::Resize)
    LayoutPanel3();
  if (watched == EventsListBox && event->type() == QEvent::KeyPress)
    FListSink->SetMultiSelect(static_cast<QKeyEvent*>(event)->modifiers().testFlag(Qt::ControlModifier));
  if (watched == EventsListBox && event->type() == QEvent::KeyRelease) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      EventsListBoxClick(true);
      break;
    default:
      break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- Setting grid -----------------------------------------------------------------------

void TChildForm::ShowZestawNastaw()
{
  ShowLoadDates();
  ::ShowZestawNastaw(*FKiv, FShownSet, FCells);
  ZnsGrid->GridModel()->Reload();
  ZnsGrid->ApplySizes();
}

void TChildForm::CommitPendingEdit() { ZnsGrid->GridDelegate()->CommitPending(); }

void TChildForm::ZnsGridSetEditText(int col, int row, const std::string& text)
{
  FCells.SetCell(col, row, text);
  FKiv->SetModified(true);
  CommitGridCell(*FKiv, FShownSet, FCells, col, row);
  ZnsGrid->GridModel()->CellChanged(col, row);
}

void TChildForm::TabSet1Change(int index)
{
  CommitPendingEdit();
  FShownSet = index;
  ShowZestawNastaw();
}
