#pragma once
// TChildForm: the document window. One controller object with its image, the event
// register as a sequence list, listing text and chart, the two setting sets in a grid, the
// read options with the read and set-write commands, and the file and print commands the
// main window routes to it. What it decides lives in the
// Qt-free app/*Logic.h units (grid, set writes, names, closing, print plan, read options,
// side buttons); this file shows it.

#include <QWidget>

#include <memory>
#include <string>

#include "app/logic/ChildActivity.h"
#include "app/logic/ChildGridLogic.h"
#include "app/logic/PageButtonsLogic.h"
#include "app/logic/PagedlgLogic.h"  // PrintFlag
#include "app/logic/PrintPlanLogic.h"
#include "app/ui/ChildOps.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMdiArea;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTabWidget;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TEvGraphChart;
class TEvLister;
class TEvListBoxSink;
class TEvRichEditSink;
class TGraph;
class TKiv;
class TMemoMessage;
class TZnsGridView;

class TChildForm : public QWidget, public IChildOps {
  Q_OBJECT
public:
  explicit TChildForm(IChildFrame& frame, QWidget* parent = nullptr);
  ~TChildForm() override;

  // IChildOps
  QWidget* Widget() override { return this; }
  std::vector<QMenu*> Menus() override;
  bool IsReading() const override { return Activity() == TChildActivity::Reading; }
  bool IsBusy() const override { return Activity() != TChildActivity::Idle; }
  TKiv& Kiv() override { return *FKiv; }
  TGraph& Graph() override { return *FGraph; }
  void SetDocumentName(const std::string& name) override;
  const std::string& DocumentName() const override { return FFileName; }
  bool LoadFile(const std::string& fileName) override;
  void RefreshViews() override;
  void FileSaveClick() override;
  void SaveAsClick() override;
  void FilePrintClick(bool fromToolbar) override;
  void SetView(int n) override;
  void ShowLegend() override;
  void FormActivate() override;
  void LinkBusyChanged() override;
  bool CloseQuery() override;
  void CloseAgreed() override { FCloseAgreed = true; }

  TChildActivity Activity() const;
  bool HasName() const { return FHasName; }
  int ShownSet() const { return FShownSet; }
  int View() const { return FView; }
  uint8_t PrintFlags() const { return FPrintFlags; }

  // The window's operations, as its controls call them.
  void ShowReadOptions();
  void StoreReadOptions();
  void ShowZestawNastaw();
  void EvRegCompleted();
  void UpdateReadState();
  void SetupPageButtons(int page);
  void ReadClick();
  void CancelRead();
  void HexListClick();
  void SaveEvRegToFile();
  void CommitPendingEdit();
  void ZnsGridSetEditText(int col, int row, const std::string& text);
  void TabSet1Change(int index);
  void Notebook1Change(int page);
  void EventsListBoxClick(bool fromListBox);
  void BuildCommandTree();
  void cmdOutlineDblClick();
  void ExecuteZnsCommand(const std::string& code);
  void Waciwoci1Click();
  void PrintSetupClick();

  // Controls, for the main window's wiring and for tests.
  QTabWidget* Notebook1 = nullptr;
  QWidget* Panel2 = nullptr;
  QPushButton* Btn[3] = {nullptr, nullptr, nullptr};
  QFrame* Panel3 = nullptr;
  QListWidget* EventsListBox = nullptr;
  QTextEdit* FMemo = nullptr;
  TZnsGridView* ZnsGrid = nullptr;
  QTabBar* TabSet1 = nullptr;
  QCheckBox* chbZestaw1 = nullptr;
  QCheckBox* chbZestaw2 = nullptr;
  QCheckBox* chbEventRegister = nullptr;
  QCheckBox* chbcorrectIOtimes = nullptr;
  QCheckBox* ChBshowallEvents = nullptr;
  QCheckBox* ChbTraceMessages = nullptr;
  QSpinBox* SpinSlaveNo = nullptr;
  QLabel* lbBufLoadTime = nullptr;
  QLabel* lbZns1LoadTime = nullptr;
  QLabel* lbZns2LoadTime = nullptr;
  QPlainTextEdit* MemoMessage = nullptr;
  QTreeWidget* cmdOutline = nullptr;
  QAction* FileSaveAction = nullptr;
  QAction* SaveAsAction = nullptr;
  QAction* FilePrintAction = nullptr;
  TMemoMessage& MessageMemo() { return *FMemoMessage; }
  const TZnsGridCells& GridCells() const { return FCells; }

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildPages();
  QWidget* BuildEventsPage();
  QWidget* BuildGridPage();
  QWidget* BuildReadPage();
  void BuildMenus();
  void LayoutPanel3();
  void RunPageAction(int button);
  void SelectFirstSequence();
  // Another document's read or write holds the link.
  bool LinkHeldElsewhere() const;
  void ShowLoadDates();
  // The document takes the name and is written to it.
  void SaveTo(const std::string& fileName);
  void PrintSteps(const std::vector<TPrintStep>& plan);
  bool PrintChart(int sequence, const std::string& title);
  void PrintGrid(int shownSet, const std::string& title);

  IChildFrame& FFrame;
  std::unique_ptr<TKiv> FKiv;
  std::unique_ptr<TEvLister> FLister;
  std::unique_ptr<TEvGraphChart> FChart;
  std::unique_ptr<TEvListBoxSink> FListSink;
  std::unique_ptr<TEvRichEditSink> FTextSink;
  std::unique_ptr<TMemoMessage> FMemoMessage;
  TGraph* FGraph = nullptr;
  QMenu* FFileMenu = nullptr;
  QMenu* FChartMenu = nullptr;
  TZnsGridCells FCells;
  TPageButtons FButtons;

  std::string FFileName;
  bool FHasName = false;
  int FShownSet = 0;
  uint8_t FPrintFlags = PrintFlag::Listing | PrintFlag::Chart;
  int FView = 0;
  // A read or set write this window started (the controller object's own state covers the
  // time inside the transfer).
  TChildBusy FBusy;
  // The frame asked every window and all agreed: the next close asks nothing.
  bool FCloseAgreed = false;
};

// The document window's factory for the main window: the window is added to the MDI area
// (not yet shown).
IChildOps* CreateChildForm(IChildFrame& frame, QMdiArea* parent);
