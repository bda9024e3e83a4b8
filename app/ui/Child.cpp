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

#include "app/Kivbase.h"
#include "app/Lister.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "app/ui/ListerSinks.h"
#include "app/ui/QtText.h"
#include "charts/ui/Graph.h"
#include "charts/ui/Graphdlg.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {
// "short|long": the short part as the tool tip, the long one (or the short) as status tip.
void SetHint(QWidget* w, const std::string& hint)
{
  const QString h = ToQ(hint);
  const qsizetype bar = h.indexOf(QLatin1Char('|'));
  w->setToolTip(bar < 0 ? h : h.left(bar));
  w->setStatusTip(bar < 0 ? h : h.mid(bar + 1));
}
void SetHint(QAction* a, const std::string& hint)
{
  a->setStatusTip(ToQ(hint));
  a->setToolTip(ToQ(hint));
}
QCheckBox* CheckBox(const std::string& caption, QWidget* parent)
{
  return new QCheckBox(ToQ(caption), parent);
}
} // namespace

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
  FLister->SetGraph(FChart.get());
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

// --- Construction -----------------------------------------------------------------------

void TChildForm::BuildPages()
{
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  Notebook1 = new QTabWidget(this);
  Notebook1->addTab(BuildEventsPage(), ToQ("Bufor zdarzeń"_cp));
  Notebook1->addTab(BuildGridPage(), ToQ("Zestawy Nastaw"));
  Notebook1->addTab(BuildReadPage(), ToQ("Zapis/Odczyt"));
  Notebook1->setCurrentIndex(2);
  layout->addWidget(Notebook1, 1);

  Panel2 = new QWidget(this);
  auto* side = new QVBoxLayout(Panel2);
  side->setContentsMargins(2, 24, 2, 2);
  for (int i = 0; i < 3; ++i) {
    Btn[i] = new QPushButton(Panel2);
    side->addWidget(Btn[i]);
    connect(Btn[i], &QPushButton::clicked, this, [this, i] { RunPageAction(i); });
  }
  side->addStretch(1);
  layout->addWidget(Panel2);
  connect(Notebook1, &QTabWidget::currentChanged, this, [this](int page) { Notebook1Change(page); });
}

QWidget* TChildForm::BuildEventsPage()
{
  Panel3 = new QFrame();
  Panel3->setFrameShape(QFrame::StyledPanel);
  EventsListBox = new QListWidget(Panel3);
  EventsListBox->addItem(ToQ("Nie odczytany"));
  EventsListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  FMemo = new QTextEdit(Panel3);
  FMemo->setReadOnly(true);
  FMemo->setLineWrapMode(QTextEdit::NoWrap);
  FMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FGraph = new TGraph(Panel3);
  Panel3->installEventFilter(this);
  EventsListBox->installEventFilter(this);
  connect(EventsListBox, &QListWidget::itemClicked, this, [this] { EventsListBoxClick(true); });
  return Panel3;
}

QWidget* TChildForm::BuildGridPage()
{
  auto* page = new QWidget();
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  ZnsGrid = new TZnsGridView(FCells, page);
  ZnsGrid->GridModel()->IsEditable = [this](int col, int row) {
    return FKiv->GetKivType() != 0 && ZnsCellEditable(FKiv->Defs(), col, row);
  };
  ZnsGrid->GridModel()->OnSetEditText = [this](int col, int row, const std::string& text) {
    ZnsGridSetEditText(col, row, text);
  };
  v->addWidget(ZnsGrid, 1);
  TabSet1 = new QTabBar(page);
  TabSet1->setShape(QTabBar::RoundedSouth);
  TabSet1->addTab(ToQ("Zestaw Nastaw 1"));
  TabSet1->addTab(ToQ("Zestaw Nastaw 2"));
  TabSet1->setExpanding(false);
  v->addWidget(TabSet1);
  connect(TabSet1, &QTabBar::currentChanged, this, [this](int index) { TabSet1Change(index); });
  return page;
}

QWidget* TChildForm::BuildReadPage()
{
  auto* page = new QWidget();
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(2, 2, 2, 2);
  auto* panel4 = new QWidget(page);
  auto* g = new QGridLayout(panel4);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(12);
  g->addWidget(new QLabel(ToQ("Odczyt:"), panel4), 0, 0);
  chbZestaw1 = CheckBox("Zestaw nastaw 1", panel4);
  chbZestaw2 = CheckBox("Zestaw nastaw 2", panel4);
  chbEventRegister = CheckBox("Rejestr zdarzen", panel4);
  chbcorrectIOtimes = CheckBox("Koryguj czasy zadz. urządzeń"_cp, panel4);
  ChBshowallEvents = CheckBox("Pokaż wszyskie zdarzenia"_cp, panel4);
  ChbTraceMessages = CheckBox("Śledź dane z RS"_cp, panel4);
  for (QCheckBox* b : {chbZestaw1, chbZestaw2, chbEventRegister, chbcorrectIOtimes})
    b->setChecked(true);
  ChbTraceMessages->hide();
  g->addWidget(new QLabel(ToQ("Data odczytu wg. PC"), panel4), 0, 2);
  lbZns1LoadTime = new QLabel(QStringLiteral("???"), panel4);
  lbZns2LoadTime = new QLabel(QStringLiteral("???"), panel4);
  lbBufLoadTime = new QLabel(QStringLiteral("???"), panel4);
  g->addWidget(chbZestaw1, 1, 1);
  g->addWidget(lbZns1LoadTime, 1, 2);
  g->addWidget(chbZestaw2, 2, 1);
  g->addWidget(lbZns2LoadTime, 2, 2);
  g->addWidget(chbEventRegister, 3, 1);
  g->addWidget(lbBufLoadTime, 3, 2);
  g->addWidget(chbcorrectIOtimes, 1, 3);
  g->addWidget(ChBshowallEvents, 2, 3);
  g->addWidget(ChbTraceMessages, 3, 3);
  auto* slave = new QHBoxLayout();
  slave->addWidget(new QLabel(ToQ("Numer urządzenia"_cp), panel4));
  SpinSlaveNo = new QSpinBox(panel4);
  SpinSlaveNo->setRange(0, 247);
  SpinSlaveNo->setValue(1);
  slave->addWidget(SpinSlaveNo);
  slave->addStretch(1);
  g->addLayout(slave, 0, 3);
  g->setColumnStretch(4, 1);
  v->addWidget(panel4);

  cmdOutline = new QTreeWidget(page);
  cmdOutline->setHeaderHidden(true);
  connect(cmdOutline, &QTreeWidget::itemDoubleClicked, this, [this] { cmdOutlineDblClick(); });
  v->addWidget(cmdOutline, 2);
  MemoMessage = new QPlainTextEdit(page);
  MemoMessage->setReadOnly(true);
  MemoMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoMessage->setLineWrapMode(QPlainTextEdit::NoWrap);
  v->addWidget(MemoMessage, 1);
  return page;
}

void TChildForm::BuildMenus()
{
  FFileMenu = new QMenu(ToQ("&Plik"), this);
  auto add = [](QMenu* m, const std::string& caption, const std::string& hint, auto slot) {
    QAction* a = m->addAction(ToQ(caption));
    SetHint(a, hint);
    QObject::connect(a, &QAction::triggered, m, slot);
    return a;
  };
  add(FFileMenu, "&Nowy", "Nowa rejestracja", [this] { FFrame.NewClick(); })->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
  add(FFileMenu, "&Otwórz"_cp, "Otwórz plik Rejestratora"_cp, [this] { FFrame.OpenClick(); })
      ->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
  add(FFileMenu, "Zamknij", "Zamknij aktywne okno", [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->close();
    else
      close();
  });
  FFileMenu->addSeparator();
  FileSaveAction = add(FFileMenu, "Zapi&sz", "Zapisz plik", [this] { FileSaveClick(); });
  FileSaveAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
  SaveAsAction = add(FFileMenu, "Zapisz jako", "Zapisz plik pod inna nazwa", [this] { SaveAsClick(); });
  FFileMenu->addSeparator();
  add(FFileMenu, "Wlasciwosci", "Informacje o automacie, notatki", [this] { Waciwoci1Click(); });
  FFileMenu->addSeparator();
  FilePrintAction = add(FFileMenu, "Drukuj", "Drukuj zarejestrowane przebiegi", [this] { FilePrintClick(false); });
  FilePrintAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
  add(FFileMenu, "Ustawienia drukarki", "Konfiguracja domyslnej drukarki", [this] { PrintSetupClick(); });
  FFileMenu->addSeparator();
  add(FFileMenu, "Zakoncz", "Konczy dzia3anie programu", [this] { FFrame.ExitClick(); })->setEnabled(false);

  FChartMenu = new QMenu(ToQ("&Wykres"), this);
  FChartMenu->addAction(ToQ("Zaznacz wszystko"), this, [this] { FGraph->SelectAll(); });
  FChartMenu->addAction(ToQ("Kopiuj"), this, [this] { FGraph->CopyToClipboard(); });
  FChartMenu->addAction(ToQ("Odznacz wszystko"), this, [this] { FGraph->UnselectAll(); });
  FChartMenu->addSeparator();
  FChartMenu->addAction(ToQ("Opcje"), this, [this] { ShowSetupDialog(*FGraph); });
}

std::vector<QMenu*> TChildForm::Menus()
{
  return {FFileMenu, FChartMenu};
}

IChildOps* CreateChildForm(IChildFrame& frame, QMdiArea* parent)
{
  auto* form = new TChildForm(frame);
  if (parent)
    parent->addSubWindow(form);
  return form;
}

// --- State ------------------------------------------------------------------------------

TChildActivity TChildForm::Activity() const
{
  if (FKiv->IsReading())
    return TChildActivity::Reading;
  if (FKiv->IsWriting())
    return TChildActivity::Writing;
  return FRunning;
}

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

void TChildForm::SetupPageButtons(int page)
{
  FButtons = ::SetupPageButtons(page, FFrame.ServiceMode(), Activity());
  Panel2->setVisible(FButtons.PanelVisible);
  for (int i = 0; i < 3; ++i) {
    const TPageButton& b = FButtons.Btn[i];
    Btn[i]->setText(ToQ(b.Caption));
    SetHint(Btn[i], b.Hint);
    Btn[i]->setVisible(b.Visible);
    Btn[i]->setEnabled(b.Enabled);
  }
}

void TChildForm::RunPageAction(int button)
{
  // The buttons' enabled state is checked again: a click may have been queued before a
  // transfer began.
  const TPageAction action = FButtons.Btn[button].Action;
  if (!FButtons.Btn[button].Enabled)
    return;
  switch (action) {
  case TPageAction::HexList: HexListClick(); break;
  case TPageAction::SaveBuf: SaveEvRegToFile(); break;
  case TPageAction::Read: ReadClick(); break;
  case TPageAction::Execute: cmdOutlineDblClick(); break;
  case TPageAction::Cancel: CancelRead(); break;
  case TPageAction::None: break;
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
  const QSignalBlocker b0(SpinSlaveNo), b1(chbZestaw1), b2(chbZestaw2), b3(chbEventRegister), b4(chbcorrectIOtimes),
      b5(ChBshowallEvents);
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
  FRunning = TChildActivity::Reading;
  try {
    FKiv->ReadFromKIV();
  } catch (const std::exception& e) {
    FRunning = TChildActivity::Idle;
    Prompts().Error("Exception in ReadFromKIV: " + std::string(e.what()));
  } catch (...) {
    FRunning = TChildActivity::Idle;
    UpdateReadState();
    throw;
  }
  FRunning = TChildActivity::Idle;
  UpdateReadState();
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

void TChildForm::HexListClick()
{
  FLister->ShowRawRegister();
}

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
  case 1: EventsListBox->setGeometry(r); break;
  case 2: FGraph->setGeometry(r); break;
  case 3: FMemo->setGeometry(r); break;
  default: break;
  }
}

void TChildForm::ShowLegend()
{
  FLister->DrawLegend();
}

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
    case Qt::Key_End: EventsListBoxClick(true); break;
    default: break;
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

void TChildForm::CommitPendingEdit()
{
  ZnsGrid->GridDelegate()->CommitPending();
}

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
