#pragma once
// TGraphSetup: the modal dialog "Opcje wykresu" in which the user sets the time chart's copy
// range, grid lines and horizontal scaling. The state and every rule live in TGraphSetupState
// (charts/GraphSetup.h); this class wires the widgets to it.
//
// Loading, running, applying and the after-step are separate so tests can skip exec():
// ShowSetupDialog runs them in order.

#include <QDialog>

#include "charts/GraphSetup.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;
class QToolButton;
class TGraph;

class TGraphSetup : public QDialog {
  Q_OBJECT
public:
  explicit TGraphSetup(QWidget* Parent = nullptr);

  // Copies the chart's values and shows them; the dialog opens on "Linie pomocnicze".
  void Load(const TGraphModel& Model);
  // Runs the dialog modally; true for OK.
  bool Run();
  // Gives the values back to the chart (OK); false when a width edit held no number.
  bool Apply(TGraphModel& Model);

  TGraphSetupState& State() { return FState; }

  // The widgets, by the names they have always had.
  QTabBar* TabSet() const { return FTabSet; }
  QStackedWidget* Notebook() const { return FNotebook; }
  QRadioButton* rbSelectAll() const { return FSelectAll; }
  QRadioButton* rbSelectMark() const { return FSelectMark; }
  QLineEdit* Edit1() const { return FEdit1; }
  QLineEdit* Edit2() const { return FEdit2; }
  QToolButton* SpinUp(int Which) const { return Which == 1 ? FSpin1Up : FSpin2Up; }
  QToolButton* SpinDown(int Which) const { return Which == 1 ? FSpin1Down : FSpin2Down; }
  QFrame* Shape1() const { return FShape1; }
  QFrame* Shape2() const { return FShape2; }
  QPushButton* btnColorSetup1() const { return FColor1; }
  QPushButton* Button1() const { return FColor2; }
  QCheckBox* cbShowMajor() const { return FShowMajor; }
  QCheckBox* cbShowMinor() const { return FShowMinor; }
  QLineEdit* edit_dXPerDiv() const { return FPerDiv; }
  QLineEdit* editdXLen() const { return FLen; }
  QLineEdit* edit_MinorGridCnt() const { return FMinorCnt; }
  QPushButton* OKBtn() const { return FOk; }
  QPushButton* CancelBtn() const { return FCancel; }
  QPushButton* HelpBtn() const { return FHelp; }

private:
  QWidget* MakeCopyPage();
  QWidget* MakeGridPage();
  QWidget* MakeScalePage();
  void ShowState();
  void PaintSamples();
  void Spin(QLineEdit* Edit, bool Up);
  void PickColor(TColorRef& Color);

  TGraphSetupState FState;
  QTabBar* FTabSet = nullptr;
  QStackedWidget* FNotebook = nullptr;
  QRadioButton* FSelectAll = nullptr;
  QRadioButton* FSelectMark = nullptr;
  QLineEdit* FEdit1 = nullptr;
  QLineEdit* FEdit2 = nullptr;
  QToolButton* FSpin1Up = nullptr;
  QToolButton* FSpin1Down = nullptr;
  QToolButton* FSpin2Up = nullptr;
  QToolButton* FSpin2Down = nullptr;
  QFrame* FShape1 = nullptr;
  QFrame* FShape2 = nullptr;
  QPushButton* FColor1 = nullptr;
  QPushButton* FColor2 = nullptr;
  QCheckBox* FShowMajor = nullptr;
  QCheckBox* FShowMinor = nullptr;
  QLineEdit* FPerDiv = nullptr;
  QLineEdit* FLen = nullptr;
  QLineEdit* FMinorCnt = nullptr;
  QPushButton* FOk = nullptr;
  QPushButton* FCancel = nullptr;
  QPushButton* FHelp = nullptr;
};

// The chart's options: load, run, on OK apply, and in any case the after-step (cursors laid
// out, chart redrawn). Returns true when OK closed the dialog.
bool ShowSetupDialog(TGraph& Graph);
