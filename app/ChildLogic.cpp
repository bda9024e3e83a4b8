#include "app/ChildLogic.h"

#include <algorithm>
#include <span>

#include "app/SettingValues.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

// --- Read options -----------------------------------------------------------------------

TShownReadOptions ShowReadOptions(const TReadOptions& stored, bool serviceMode)
{
  TShownReadOptions shown;
  shown.Options = stored;
  shown.ServiceBoxesVisible = serviceMode;
  if (!serviceMode) {
    shown.Options[ReadOption::CorrectTimes] = 1;
    shown.Options[ReadOption::ShowAllEvents] = 0;
  }
  shown.Forced = shown.Options != stored;
  return shown;
}

// --- Setting grid -----------------------------------------------------------------------

TZnsGridCells::TZnsGridCells()
    : FCells(size_t(FColCount) * size_t(FRowCount)), FColWidths(size_t(FColCount), ZnsGrid::DEFAULT_COL_WIDTH)
{
  // The title column holds "n. TITLE" and the definition file's name.
  FColWidths[0] = 3 * ZnsGrid::DEFAULT_COL_WIDTH;
}

void TZnsGridCells::SetColCount(int n)
{
  n = std::max(n, 1);
  if (n == FColCount)
    return;
  std::vector<std::string> cells(size_t(n) * size_t(FRowCount));
  const int keep = std::min(n, FColCount);
  for (int r = 0; r < FRowCount; ++r)
    for (int c = 0; c < keep; ++c)
      cells[size_t(r) * size_t(n) + size_t(c)] = std::move(FCells[size_t(r) * size_t(FColCount) + size_t(c)]);
  FCells = std::move(cells);
  FColWidths.resize(size_t(n), ZnsGrid::DEFAULT_COL_WIDTH);
  FColCount = n;
}

void TZnsGridCells::SetRowCount(int n)
{
  n = std::max(n, 1);
  FCells.resize(size_t(n) * size_t(FColCount));
  FRowCount = n;
}

const std::string& TZnsGridCells::Cell(int col, int row) const
{
  static const std::string empty;
  if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
    return empty;
  return FCells[size_t(row) * size_t(FColCount) + size_t(col)];
}

void TZnsGridCells::SetCell(int col, int row, std::string text)
{
  if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
    return;
  FCells[size_t(row) * size_t(FColCount) + size_t(col)] = std::move(text);
}

int TZnsGridCells::ColWidth(int col) const
{
  return col >= 0 && col < FColCount ? FColWidths[size_t(col)] : 0;
}

void TZnsGridCells::SetColWidth(int col, int width)
{
  if (col >= 0 && col < FColCount)
    FColWidths[size_t(col)] = width;
}

void TZnsGridCells::ClearCells()
{
  for (auto& c : FCells)
    c.clear();
}

int ShownSetNumber(int shownSet)
{
  return shownSet == 0 ? 1 : shownSet == 1 ? 2 : 0;
}

namespace {
std::span<const uint8_t> SetSpan(const TKiv& kiv, int set)
{
  const uint8_t* data = kiv.GetZnsData(set);
  return data ? std::span<const uint8_t>(data, KivImage::ZNS_CAPACITY) : std::span<const uint8_t>();
}
} // namespace

void ShowZestawNastaw(const TKiv& kiv, int shownSet, TZnsGridCells& grid)
{
  const int set = ShownSetNumber(shownSet);
  // A document without a model has no groups: what an earlier document showed must not
  // linger (it would be shown and printed as this one's).
  if (kiv.GetKivType() == 0 || set == 0) {
    grid.ClearCells();
    return;
  }
  const TKivDefs& defs = kiv.Defs();
  const std::span<const uint8_t> data = SetSpan(kiv, set);
  const uint16_t size = kiv.GetZnsSize(set);
  const int groups = defs.GroupCount();
  if (grid.RowCount() < groups + 1)
    grid.SetRowCount(groups + 1);
  constexpr int F = ZnsGrid::FIXED_COLS;
  for (int g = 1; g <= groups; ++g) {
    grid.SetCell(0, g, defs.GroupTitle(g));
    const TSets* items = defs.Group(g);
    const int n = items ? items->Count() : 0;
    int next = F; // first column behind the row's last item
    for (int j = 1; j <= n; ++j) {
      const int q = F + 3 * (j - 1);
      if (grid.ColCount() < q + 3)
        grid.SetColCount(q + 3);
      const TSettingDef def = items->GetDef(j);
      grid.SetCell(q, g, def.Name + " [" + def.Dim + "]");
      grid.SetCell(q + 1, g, FormatSettingValue(def, data, size));
      grid.SetCell(q + 2, g, std::string());
      grid.SetColWidth(q + 1, ZnsGrid::DEFAULT_COL_WIDTH / 2);
      grid.SetColWidth(q + 2, ZnsGrid::DEFAULT_COL_WIDTH / 3);
      next = q + 3;
    }
    for (int c = next; c < grid.ColCount(); ++c)
      grid.SetCell(c, g, std::string());
  }
  // Rows below the last group belong to no group of this document.
  for (int r = groups + 1; r < grid.RowCount(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c)
      grid.SetCell(c, r, std::string());
  for (int c = 1; c < grid.ColCount(); ++c)
    grid.SetCell(c, 0, std::string());
  grid.SetCell(0, 0, "def: " + Utf8ToCp1250(FileNamePart(defs.DefFileName())));
}

bool ZnsCellEditable(const TKivDefs& defs, int col, int row)
{
  const int c = col - ZnsGrid::FIXED_COLS;
  if (c < 0 || c % 3 != 1 || row < 1 || row > defs.GroupCount())
    return false;
  const TSets* items = defs.Group(row);
  return items && c <= 3 * items->Count();
}

TCommitResult CommitGridCell(TKiv& kiv, int shownSet, TZnsGridCells& grid, int col, int row)
{
  const int set = ShownSetNumber(shownSet);
  // Only a value cell of an existing item: any other cell would fall back to the default
  // definition and overwrite the set's first register.
  if (set == 0 || kiv.GetKivType() == 0 || !ZnsCellEditable(kiv.Defs(), col, row))
    return TCommitResult::NotEditable;
  const int item = (col - ZnsGrid::FIXED_COLS) / 3 + 1;
  const TSettingDef def = kiv.Defs().Group(row)->GetDef(item);
  uint8_t* data = kiv.GetZnsData(set);
  const uint16_t size = kiv.GetZnsSize(set);
  const std::string old = grid.Cell(col, row);
  const TEncodeResult r = EncodeSettingValue(def, old, std::span<uint8_t>(data, KivImage::ZNS_CAPACITY), size);
  std::string shown = FormatSettingValue(def, std::span<const uint8_t>(data, KivImage::ZNS_CAPACITY), size);
  const bool changed = shown != old;
  grid.SetCell(col, row, std::move(shown));
  if (r == TEncodeResult::ConversionError)
    return TCommitResult::Restored;
  if (changed)
    kiv.SetModified(true);
  return TCommitResult::Stored;
}

// --- Set-write commands -----------------------------------------------------------------

std::string ZnsCommandRoot() { return "Zapis zestawów nastaw"_cp; }
std::string ZnsCommandConfirmCaption() { return "Potwierdź wykonanie polecenia"_cp; }

const std::vector<TZnsCommand>& ZnsCommands()
{
  static const std::vector<TZnsCommand> commands{
      {"Zapis zestawu 1", "ZNS1_1", 1, 1},
      {"Zapis zestawu 2", "ZNS2_2", 2, 2},
      {"Zapis zestawu 1 do 2", "ZNS1_2", 1, 2},
      {"Zapis zestawu 2 do 1", "ZNS2_1", 2, 1},
  };
  return commands;
}

const TZnsCommand* FindZnsCommand(std::string_view code)
{
  for (const auto& c : ZnsCommands())
    if (c.Code == code)
      return &c;
  return nullptr;
}

// --- File names -------------------------------------------------------------------------

std::string FileNamePart(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SaveFileName(const std::string& name)
{
  const std::string file = FileNamePart(name);
  // A leading dot names a hidden file, not an extension.
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos || dot == 0)
    return name + ".kiv";
  return name;
}

std::string CaptionOfName(const std::string& name)
{
  return name.substr(0, name.find('.'));
}

// --- Closing ----------------------------------------------------------------------------

TCloseAction CloseQueryAction(bool reading, bool writing, bool modified)
{
  if (reading)
    return TCloseAction::CancelRead;
  if (writing)
    return TCloseAction::Refuse;
  return modified ? TCloseAction::AskToSave : TCloseAction::Close;
}

std::string CloseQueryText(const std::string& documentName)
{
  return "Plik " + Utf8ToCp1250(documentName) + " został zmodyfikowany"_cp + "\n" + "Zachować zmiany ?"_cp;
}

std::string OverwriteQueryText(const std::string& fileName)
{
  return "Plik :" + Utf8ToCp1250(fileName) + " już istnieje"_cp + "\n" + "Pokryć istniejący plik ?"_cp;
}

// --- Side buttons -----------------------------------------------------------------------

bool LinkHeldElsewhere(const TKivLink* link, const void* self)
{
  return link && link->Busy() && link->Holder() != self;
}

bool LinkCommandsEnabled(TChildActivity activity, bool linkHeldElsewhere)
{
  return activity == TChildActivity::Idle && !linkHeldElsewhere;
}

TPageButtons SetupPageButtons(int page, bool serviceMode, TChildActivity activity, bool linkHeldElsewhere)
{
  TPageButtons b;
  const bool idle = activity == TChildActivity::Idle;
  const bool linkFree = LinkCommandsEnabled(activity, linkHeldElsewhere);
  switch (page) {
  case 0:
    b.HelpContext = 10;
    b.PanelVisible = serviceMode;
    if (serviceMode) {
      b.Btn[0] = {"HexList", "Wyświetl zawartość bufora zdarzeń (w porządku rosnącym)"_cp, TPageAction::HexList, true, idle};
      b.Btn[1] = {"Save Buf", "Zapis bufora zdarzeń do pliku"_cp, TPageAction::SaveBuf, true, idle};
    }
    break;
  case 1:
    b.HelpContext = 134;
    break;
  case 2:
    b.HelpContext = 6;
    b.PanelVisible = true;
    b.Btn[0] = {"Odczyt", "Odczyt danych z automatu|Odczytaj wybrane pozycje z automatu", TPageAction::Read, true,
                linkFree};
    b.Btn[1] = {"Wykonaj", "Wykonaj wybrane polecenie", TPageAction::Execute, true, linkFree};
    // A set write is not cut short: stopping between chunks would leave a partly written
    // set in the controller.
    b.Btn[2] = {"Anuluj", "Przerwij odczyt", TPageAction::Cancel, true, activity == TChildActivity::Reading};
    break;
  default:
    break;
  }
  return b;
}

// --- Printing ---------------------------------------------------------------------------

std::vector<TPrintStep> PrintPlan(uint8_t flags, const std::vector<int>& selectedSequences,
                                  const std::string& documentName)
{
  std::vector<TPrintStep> plan;
  const std::string file = Utf8ToCp1250(FileNamePart(documentName));
  for (const int i : selectedSequences) {
    const std::string base = file + "-" + "Sekwencja " + IntToStr(i + 1);
    if (flags & PrintFlag::Listing)
      plan.push_back({TPrintStep::TKind::Listing, i + 1, base + "-Listing"});
    if (flags & PrintFlag::Chart)
      plan.push_back({TPrintStep::TKind::Chart, i + 1, base + "-Przebiegi"});
  }
  if (flags & PrintFlag::Zns1)
    plan.push_back({TPrintStep::TKind::Grid1, 0, "ZESTAW NASTAW 1"});
  if (flags & PrintFlag::Zns2)
    plan.push_back({TPrintStep::TKind::Grid2, 0, "ZESTAW NASTAW 2"});
  return plan;
}
