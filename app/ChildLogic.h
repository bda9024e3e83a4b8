#pragma once
// What the document window decides, kept apart from its widgets: the read options it shows,
// the setting grid as a matrix of cell texts, which cell may be edited and how an edit is
// stored, the set-write commands, the save name, whether a close may go ahead, the side
// buttons of each page and what a print job prints in which order. The window only copies
// these into its controls and forwards what the user does.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/KivLink.h"
#include "app/Kivbase.h"
#include "app/PagedlgLogic.h" // PrintFlag

// --- Read options -----------------------------------------------------------------------

struct TShownReadOptions {
  TReadOptions Options{};      // what the controls show (and what goes back into the image)
  bool ServiceBoxesVisible = false; // "Koryguj czasy..." and "Pokaż wszyskie zdarzenia"
  bool Forced = false;         // bytes 4 or 5 were changed by the forcing
};
// Outside service mode the operator always gets corrected times and never the hidden
// events: bytes 4 and 5 are forced to 1 and 0 and their boxes are hidden.
TShownReadOptions ShowReadOptions(const TReadOptions& stored, bool serviceMode);

// --- Setting grid -----------------------------------------------------------------------

namespace ZnsGrid {
constexpr int COLUMNS = 19;
constexpr int ROWS = 46;
constexpr int DEFAULT_COL_WIDTH = 88;  // pixels at the grid's design font
constexpr int DEFAULT_ROW_HEIGHT = 18;
constexpr int FIXED_COLS = 1;
constexpr int FIXED_ROWS = 1;
} // namespace ZnsGrid

// The grid's cells (column, row), both 0-based, fixed row and column included.
class TZnsGridCells {
public:
  TZnsGridCells();
  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  void SetColCount(int n);
  void SetRowCount(int n);
  // Empty outside the grid.
  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text); // ignored outside the grid
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // Every cell emptied; size and widths stay.
  void ClearCells();

private:
  int FColCount = ZnsGrid::COLUMNS;
  int FRowCount = ZnsGrid::ROWS;
  std::vector<std::string> FCells; // row-major, FColCount per row
  std::vector<int> FColWidths;
};

// Fills the grid with the shown set (0 = set 1, 1 = set 2): a row per group with its title,
// then per item "Name [Dim]", the value and an empty spacer column. Rows below the last
// group and cells behind a row's last item are emptied; a document of unknown model leaves
// the whole grid empty. Cell (0, 0) names the definition file.
void ShowZestawNastaw(const TKiv& kiv, int shownSet, TZnsGridCells& grid);

// A value column of an item the cell's group has (the only cells that take an edit).
bool ZnsCellEditable(const TKivDefs& defs, int col, int row);

enum class TCommitResult {
  NotEditable, // not a value cell of an item: nothing happened
  Stored,      // the set was updated (or kept) and the cell shows the stored value
  Restored,    // the text was no value: the cell shows the stored value again
};
// Stores the cell's text into the shown set and shows the stored value in the cell. The
// document is marked modified when the shown text changed.
TCommitResult CommitGridCell(TKiv& kiv, int shownSet, TZnsGridCells& grid, int col, int row);

// The set of a grid (1 or 2) for a shown-set index; 0 for any other index.
int ShownSetNumber(int shownSet);

// --- Set-write commands -----------------------------------------------------------------

struct TZnsCommand {
  std::string Caption; // Windows-1250
  std::string Code;
  int Source = 0;
  int Target = 0;
};
// The tree's root item and the caption of the confirmation box (Windows-1250).
std::string ZnsCommandRoot();
std::string ZnsCommandConfirmCaption();
// The four commands in tree order.
const std::vector<TZnsCommand>& ZnsCommands();
// The command of a code; nullptr for an unknown code.
const TZnsCommand* FindZnsCommand(std::string_view code);

// --- File names -------------------------------------------------------------------------

// The part after the last '/'.
std::string FileNamePart(const std::string& path);
// ".kiv" appended when the file part has no extension of its own.
std::string SaveFileName(const std::string& name);
// A caption: the file part up to (not including) its first '.'.
std::string CaptionOfName(const std::string& name);

// --- Closing ----------------------------------------------------------------------------

enum class TCloseAction {
  CancelRead,  // a read runs: it is cancelled and the window stays
  Refuse,      // a set write runs: it finishes first (stopping it would leave a half set)
  Close,
  AskToSave,   // modified: "Zachować zmiany ?"
};
TCloseAction CloseQueryAction(bool reading, bool writing, bool modified);
// "Plik <name> został zmodyfikowany\nZachować zmiany ?"
std::string CloseQueryText(const std::string& documentName);
// "Plik :<name> już istnieje\nPokryć istniejący plik ?"
std::string OverwriteQueryText(const std::string& fileName);

// --- Side buttons -----------------------------------------------------------------------

enum class TPageAction { None, HexList, SaveBuf, Read, Execute, Cancel };
struct TPageButton {
  std::string Caption; // Windows-1250
  std::string Hint;
  TPageAction Action = TPageAction::None;
  bool Visible = false;
  bool Enabled = false;
};
struct TPageButtons {
  bool PanelVisible = false;
  int HelpContext = 0;
  TPageButton Btn[3];
};
// Printing counts as busy: its pages are printed while window messages are processed.
enum class TChildActivity { Idle, Reading, Writing, Printing };
// Page 0 "Bufor zdarzeń", 1 "Zestawy Nastaw", 2 "Zapis/Odczyt". While another document
// holds the link (`linkHeldElsewhere`), "Odczyt" and "Wykonaj" wait for it: the controller
// object would refuse them, and a write offered and confirmed must not come to nothing.
TPageButtons SetupPageButtons(int page, bool serviceMode, TChildActivity activity, bool linkHeldElsewhere);
// Whether "Odczyt", "Wykonaj" and the command tree's double-click may start now.
bool LinkCommandsEnabled(TChildActivity activity, bool linkHeldElsewhere);
// Whether the link is held by another holder than `self` (the document's controller object).
bool LinkHeldElsewhere(const TKivLink* link, const void* self);

// --- Printing ---------------------------------------------------------------------------

struct TPrintStep {
  enum class TKind { Listing, Chart, Grid1, Grid2 } Kind;
  int Sequence = 0;  // 1-based, for Listing and Chart
  std::string Title; // Windows-1250 (the file part of the name passes through as it is)
};
// Per selected sequence (0-based indices in list order) its listing and chart, then the
// grids of set 1 and set 2, as the flags ask.
std::vector<TPrintStep> PrintPlan(uint8_t flags, const std::vector<int>& selectedSequences,
                                  const std::string& documentName);
