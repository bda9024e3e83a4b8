#pragma once
// The document window's setting grid: a table model over the grid's cell matrix, whose
// fixed row and column are the view's headers (so they stay while the body scrolls), and a
// delegate that knows its open editor, so a pending edit can be committed before the shown
// set, the page or the document changes.

#include <QPointer>
#include <QStyledItemDelegate>
#include <QAbstractTableModel>
#include <QTableView>

#include <functional>

#include "app/logic/ChildGridLogic.h"
#include "app/ui/ChildOps.h"

class TZnsGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TZnsGridModel(TZnsGridCells& cells, QObject* parent = nullptr)
      : QAbstractTableModel(parent), FCells(cells)
  {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // Whether grid cell (col, row) takes an edit.
  std::function<bool(int col, int row)> IsEditable;
  // An edit's text arrived for grid cell (col, row) (Windows-1250).
  std::function<void(int col, int row, const std::string& text)> OnSetEditText;

  // The cell matrix changed as a whole (size included).
  void Reload();
  void CellChanged(int col, int row);

private:
  TZnsGridCells& FCells;
};

class TZnsGridDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  // Commits and closes the open editor; false when none was open.
  bool CommitPending();
  bool Editing() const { return FEditor != nullptr; }

private:
  mutable QPointer<QWidget> FEditor;
};

// The grid view: headers for the fixed row and column, the corner showing cell (0, 0).
class TZnsGridView : public QTableView {
  Q_OBJECT
public:
  TZnsGridView(TZnsGridCells& cells, QWidget* parent = nullptr);
  TZnsGridModel* GridModel() const { return FModel; }
  TZnsGridDelegate* GridDelegate() const { return FDelegate; }
  // Column widths and row heights from the matrix's design widths, widened where a text
  // would not fit the window's font; the corner text follows the matrix.
  void ApplySizes();
  // Screen width of grid column col / height of grid row row, fixed ones included.
  int GridColWidth(int col) const;
  int GridRowHeight(int row) const;
  // The grid as shown, for printing.
  TStringGridImage Image() const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TZnsGridCells& FCells;
  TZnsGridModel* FModel;
  TZnsGridDelegate* FDelegate;
  QWidget* FCorner = nullptr;
};
