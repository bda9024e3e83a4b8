#include "app/ui/ChildGrid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

#include "platform/qt/QtText.h"

// --- Model ------------------------------------------------------------------------------

int TZnsGridModel::rowCount(const QModelIndex& parent) const
{
  return parent.isValid() ? 0 : FCells.RowCount() - ZnsGrid::FIXED_ROWS;
}

int TZnsGridModel::columnCount(const QModelIndex& parent) const
{
  return parent.isValid() ? 0 : FCells.ColCount() - ZnsGrid::FIXED_COLS;
}

QVariant TZnsGridModel::data(const QModelIndex& index, int role) const
{
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
    return {};
  return ToQ(FCells.Cell(index.column() + ZnsGrid::FIXED_COLS, index.row() + ZnsGrid::FIXED_ROWS));
}

QVariant TZnsGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  if (role != Qt::DisplayRole)
    return {};
  if (orientation == Qt::Horizontal)
    return ToQ(FCells.Cell(section + ZnsGrid::FIXED_COLS, 0));
  return ToQ(FCells.Cell(0, section + ZnsGrid::FIXED_ROWS));
}

Qt::ItemFlags TZnsGridModel::flags(const QModelIndex& index) const
{
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (index.isValid() && IsEditable &&
      IsEditable(index.column() + ZnsGrid::FIXED_COLS, index.row() + ZnsGrid::FIXED_ROWS))
    f |= Qt::ItemIsEditable;
  return f;
}

bool TZnsGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
  if (!index.isValid() || role != Qt::EditRole || !OnSetEditText)
    return false;
  OnSetEditText(index.column() + ZnsGrid::FIXED_COLS, index.row() + ZnsGrid::FIXED_ROWS,
                FromQ(value.toString()));
  return true;
}

void TZnsGridModel::Reload()
{
  beginResetModel();
  endResetModel();
}

void TZnsGridModel::CellChanged(int col, int row)
{
  const QModelIndex i = index(row - ZnsGrid::FIXED_ROWS, col - ZnsGrid::FIXED_COLS);
  if (i.isValid())
    emit dataChanged(i, i);
}

// --- Delegate ---------------------------------------------------------------------------

QWidget* TZnsGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  FEditor = editor;
  return editor;
}

void TZnsGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
  if (editor == FEditor)
    FEditor = nullptr;
  QStyledItemDelegate::destroyEditor(editor, index);
}

bool TZnsGridDelegate::CommitPending()
{
  QWidget* editor = FEditor;
  if (!editor)
    return false;
  // The editor's text goes through setModelData, then the view closes it.
  emit commitData(editor);
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  FEditor = nullptr;
  return true;
}

// --- View -------------------------------------------------------------------------------

TZnsGridView::TZnsGridView(TZnsGridCells& cells, QWidget* parent)
    : QTableView(parent),
      FCells(cells),
      FModel(new TZnsGridModel(cells, this)),
      FDelegate(new TZnsGridDelegate(this))
{
  setModel(FModel);
  setItemDelegate(FDelegate);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setWordWrap(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setCornerButtonEnabled(false);
  FCorner = findChild<QAbstractButton*>();
  if (FCorner)
    FCorner->installEventFilter(this);
}

int TZnsGridView::GridColWidth(int col) const
{
  return col < ZnsGrid::FIXED_COLS ? verticalHeader()->width() : columnWidth(col - ZnsGrid::FIXED_COLS);
}

int TZnsGridView::GridRowHeight(int row) const
{
  return row < ZnsGrid::FIXED_ROWS ? horizontalHeader()->height() : rowHeight(row - ZnsGrid::FIXED_ROWS);
}

void TZnsGridView::ApplySizes()
{
  const QFontMetrics fm(font());
  const int pad = fm.horizontalAdvance(QLatin1Char('0')) * 2;
  auto fit = [&](int col, int design) {
    int w = design;
    for (int r = 0; r < FCells.RowCount(); ++r) {
      const std::string& t = FCells.Cell(col, r);
      if (!t.empty())
        w = std::max(w, fm.horizontalAdvance(ToQ(t)) + pad);
    }
    return w;
  };
  verticalHeader()->setFixedWidth(fit(0, FCells.ColWidth(0)));
  for (int c = ZnsGrid::FIXED_COLS; c < FCells.ColCount(); ++c)
    setColumnWidth(c - ZnsGrid::FIXED_COLS, fit(c, FCells.ColWidth(c)));
  const int h = std::max(ZnsGrid::DEFAULT_ROW_HEIGHT, fm.height() + 4);
  verticalHeader()->setDefaultSectionSize(h);
  horizontalHeader()->setFixedHeight(h);
  if (FCorner)
    FCorner->update();
}

bool TZnsGridView::eventFilter(QObject* watched, QEvent* event)
{
  // The corner is a fixed cell too: it names the definition file.
  if (watched == FCorner && event->type() == QEvent::Paint) {
    QPainter p(FCorner);
    QStyleOptionHeader opt;
    opt.initFrom(FCorner);
    // The button is disabled (it would select everything), but its text is a fixed cell.
    opt.state |= QStyle::State_Enabled;
    opt.palette = palette();
    opt.rect = FCorner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = ToQ(FCells.Cell(0, 0));
    opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    FCorner->style()->drawControl(QStyle::CE_Header, &opt, &p, FCorner);
    return true;
  }
  return QTableView::eventFilter(watched, event);
}

TStringGridImage TZnsGridView::Image() const
{
  TStringGridImage g;
  g.ColCount = FCells.ColCount();
  g.RowCount = FCells.RowCount();
  g.Cells.reserve(size_t(g.ColCount) * size_t(g.RowCount));
  for (int r = 0; r < g.RowCount; ++r)
    for (int c = 0; c < g.ColCount; ++c)
      g.Cells.push_back(FCells.Cell(c, r));
  for (int c = 0; c < g.ColCount; ++c)
    g.ColWidths.push_back(GridColWidth(c));
  for (int r = 0; r < g.RowCount; ++r)
    g.RowHeights.push_back(GridRowHeight(r));
  g.ScreenDpiX = logicalDpiX();
  g.ScreenDpiY = logicalDpiY();
  g.Font = font();
  return g;
}
