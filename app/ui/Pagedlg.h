#pragma once
// TPageDlgFrm ("Opcje wydruku"): what a document prints, and four page margins kept while
// the program runs.

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

class TPageDlgFrm : public QDialog {
  Q_OBJECT
public:
  enum TMargin { Top, Bottom, Left, Right };

  explicit TPageDlgFrm(QWidget* parent = nullptr);

  void SetPrintFlags(uint8_t flags);
  uint8_t GetPrintFlags() const;
  uint8_t PrintFlags() const { return FFlags; }
  // Runs the dialog; on OK the flags are read back from the boxes and true returned.
  bool Execute();
  void SetRunner(std::function<int(TPageDlgFrm&)> run) { FRun = std::move(run); }

  int Margin(TMargin m) const { return FMargins[size_t(m)]; }
  QLineEdit* MarginEdit(TMargin m) const { return FEdits[size_t(m)]; }
  QCheckBox* FlagBox(int bit) const { return FBoxes[size_t(bit)]; }
  QTabWidget* Notebook() const { return FNotebook; }
  // The up or down arrow of a margin's spin button.
  QToolButton* SpinArrow(TMargin m, bool up) const { return (up ? FUp : FDown)[size_t(m)]; }
  // The spin buttons and leaving an edit.
  void SpinUp(TMargin m) { Spin(m, +1); }
  void SpinDown(TMargin m) { Spin(m, -1); }
  void StoreMargin(TMargin m);

private:
  void Spin(TMargin m, int delta);
  void ShowMargins();
  // An edit's value, or the stored margin when the text holds no number.
  int EditValue(TMargin m) const;

  uint8_t FFlags = 3;
  std::array<int, 4> FMargins{};
  std::array<QLineEdit*, 4> FEdits{};
  std::array<QToolButton*, 4> FUp{};
  std::array<QToolButton*, 4> FDown{};
  std::array<QCheckBox*, 4> FBoxes{};
  QTabWidget* FNotebook = nullptr;
  std::function<int(TPageDlgFrm&)> FRun;
};
