#pragma once
// The seam between the main window and its document windows.
//
// The main window (the MDI frame) creates document windows, routes its tool buttons to the
// active one and keeps the things every document shares: the link, the install folder, the
// service flag, the save and printer-setup dialogs. A document window asks for those through
// `IChildFrame` and offers its commands through `IChildOps`. Neither side includes the
// other's window class, so each can be tested against a small fake of the other.

#include <functional>
#include <string>
#include <vector>

#include <cstdint>

#include <QFont>

class QMenu;
class QPrinter;
class QWidget;
class QMdiArea;
class TGraph;
class TKiv;
class TKivLink;

// A string grid as shown on the screen, for printing: every cell with the fixed row and
// column included, the screen sizes of its columns and rows, the screen's resolution and the
// grid's font.
struct TStringGridImage {
  int ColCount = 0;
  int RowCount = 0;
  std::vector<std::string> Cells;  // row-major (RowCount rows of ColCount), Windows-1250
  std::vector<int> ColWidths;      // screen pixels
  std::vector<int> RowHeights;
  int ScreenDpiX = 96;
  int ScreenDpiY = 96;
  QFont Font;

  const std::string& Cell(int col, int row) const
  {
    return Cells[size_t(row) * size_t(ColCount) + size_t(col)];
  }
};

// What a document window asks of the main window.
class IChildFrame {
public:
  virtual ~IChildFrame() = default;

  // Folder of the definition files (native path, no trailing '/').
  virtual std::string InstallDir() const = 0;
  // Set once at start-up by "-service"/"service".
  virtual bool ServiceMode() const = 0;
  // The program's one link with its busy guard; nullptr when there is none (tests).
  virtual TKivLink* Link() = 0;

  // Enables the tool buttons and the document's save/print commands for the active window
  // (disabled while it is busy). Called when a read or write begins and ends.
  virtual void UpdateToolbar() = 0;
  // The X-scale box follows the active chart: its first item ("Dopasuj") when autoscale is
  // on, else the scale in decimal.
  virtual void ShowXScale(bool autoscale, int scaleX) = 0;

  // The frame's save dialog, starting from `name` (its folder, its file part proposed). On
  // OK `name` is replaced by the chosen path and true returned. filterIndex 1 is
  // "Pliki rejestracji" (*.kiv), 2 "Wszystkie pliki"; the dialog returns to 1 afterwards.
  // With 1 the caller asks before a file is written over (the dialog does not); with 2 the
  // dialog asks.
  virtual bool ExecuteSaveDialog(std::string& name, int filterIndex) = 0;
  // The printer-setup dialog on the process-wide printer; false when cancelled.
  virtual bool PrinterSetupDialog() = 0;
  // The process-wide printer every print job of the program goes to (a PDF printer in tests).
  virtual QPrinter* Printer() = 0;
  // The program-wide print-options dialog ("Opcje wydruku") showing `flags` (bit 0 listing,
  // bit 1 chart, bit 2 set 1 grid, bit 3 set 2 grid). OK: `flags` := the boxes, true.
  virtual bool ExecutePrintOptions(uint8_t& flags) = 0;
  // Whether a print command may start its jobs on Printer(): the system's printer needs a
  // default printer. Without one the user is told "Brak domyślnej drukarki" here, once for
  // the whole command, and false is returned.
  virtual bool PrinterReady() = 0;
  // Prints a setting grid on Printer() under `title` (Windows-1250). False when no job was
  // started.
  virtual bool PrintStringGrid(const TStringGridImage& grid, const std::string& title) = 0;
  // The file-properties dialog for this document (modal); it marks the document modified
  // when the user changed anything.
  virtual void ShowFileProperties(TKiv& kiv) = 0;
  // "Dokument<n>.kiv" for the next unsaved document (no file of that name exists).
  virtual std::string NextDocumentName() = 0;

  // The frame's own menu commands, reached from the document window's menu.
  virtual void NewClick() = 0;
  virtual void OpenClick() = 0;
  virtual void ExitClick() = 0;
};

// What the main window calls on a document window.
class IChildOps {
public:
  virtual ~IChildOps() = default;

  // The window itself (to add to the MDI area, activate, close).
  virtual QWidget* Widget() = 0;
  // The document window's menus ("&Plik", "&Wykres"), shown in the frame's menu bar while
  // the window is active.
  virtual std::vector<QMenu*> Menus() = 0;

  // A read or a set write of this document runs (the tool buttons are disabled meanwhile).
  virtual bool IsReading() const = 0;
  virtual bool IsBusy() const = 0;

  // The controller object, for building a document from command-line options.
  virtual TKiv& Kiv() = 0;
  // The chart, for the X-scale box and the legend.
  virtual TGraph& Graph() = 0;

  // Document name and caption: a new window gets "Dokument<n>.kiv" (caption without the
  // extension). The window counts as unnamed until it is saved or loaded.
  virtual void SetDocumentName(const std::string& name) = 0;
  virtual const std::string& DocumentName() const = 0;
  // Loads a .kiv file into the window. False when it could not be read or is of unknown
  // format: the window then keeps the name NextDocumentName gives and stays unnamed.
  virtual bool LoadFile(const std::string& fileName) = 0;
  // After the controller object was filled from outside (command-line options): the read
  // options are shown and stored back, the first sequence is shown, the grid filled, and
  // the document counts as not modified.
  virtual void RefreshViews() = 0;

  // Tool buttons.
  virtual void FileSaveClick() = 0;
  virtual void SaveAsClick() = 0;
  // fromToolbar: print with the last print flags, without the options dialog.
  virtual void FilePrintClick(bool fromToolbar) = 0;
  // 0 all panes, 1 sequence list, 2 chart, 3 listing text.
  virtual void SetView(int n) = 0;
  // The chart legend of the shown sequence.
  virtual void ShowLegend() = 0;
  // Called when the window becomes the active one: the toolbar and the X-scale box follow.
  virtual void FormActivate() = 0;
  // The link was taken or given back (by any document): commands that need it follow.
  virtual void LinkBusyChanged() = 0;

  // Whether the window may close; asked by its own close and, for every window in turn, by
  // the frame before the program ends. False keeps it: a read runs (it is cancelled), a set
  // write or a print runs, or the document is modified and the user answers Cancel to
  // "Zachować zmiany ?" (or Yes and the save fails). Yes saves at once; No agrees, and the
  // changes go only when the window does.
  virtual bool CloseQuery() = 0;
  // Every window agreed: the next close of this one goes ahead without asking again (unless
  // it has become busy by then).
  virtual void CloseAgreed() = 0;
};

// Creates a document window for the frame; the window belongs to `parent`'s chain (the MDI
// area) and deletes itself when closed. main.cpp passes the document window's own factory;
// tests of the frame pass a fake.
using TChildFactory = std::function<IChildOps*(IChildFrame& frame, QMdiArea* parent)>;
