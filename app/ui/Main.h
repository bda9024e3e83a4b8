#pragma once
// TMainForm: the MDI frame. It owns the one link and its settings (kept in kiv.ini), finds
// the install folder, carries out the command line, creates the document windows and routes
// its tool buttons and menus to the active one. What it decides lives in app/MainLogic.

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/logic/MainLogic.h"
#include "app/ui/ChildOps.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class TCommDlg;
class TFileInfoDlg;
class TPageDlgFrm;
class TMainForm;

// The application: an exception that escapes an event handler is shown in a message box and
// the program goes on.
class TKivApplication : public QApplication {
public:
  TKivApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

// The MDI client: the logo in its lower left corner. Documents that reach past its edges
// are scrolled to.
class TLogoMdiArea : public QMdiArea {
public:
  explicit TLogoMdiArea(QWidget* parent = nullptr);
  // Arranges the shown document windows side by side in ceil(sqrt(n)) columns over the area
  // as it is. Unlike Qt's own tiling it never resizes the frame: tiles too small for a
  // window's minimum size take that size, and the area scrolls to what lies beyond.
  void TileWindows();
  const QImage& Logo() const { return FLogo; }
  // Where the logo goes in a frame of the given height (client coordinates).
  QPoint LogoPosition(int frameHeight) const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QImage FLogo;
};

struct TMainFormOptions {
  std::vector<std::string> Params;  // command-line words after the program name
  std::string ProgramPath;          // the program file; its base name is the ini section
  std::string ConfigPath;           // kiv.ini; empty: the user's configuration folder
  std::string SysfsClassDir = "/sys/class/tty";
};

class TMainForm : public QMainWindow, public IChildFrame {
  Q_OBJECT
public:
  explicit TMainForm(TMainFormOptions options, QWidget* parent = nullptr);
  ~TMainForm() override;

  void SetDocumentFactory(TChildFactory factory);

  // --- IChildFrame: what the document windows ask --------------------------------------
  std::string InstallDir() const override { return FInstallDir; }
  bool ServiceMode() const override { return FService; }
  TKivLink* Link() override { return FLink.get(); }
  void UpdateToolbar() override;
  void ShowXScale(bool autoscale, int scaleX) override;
  // Asks for a file name to save under, starting from `name`; true (name replaced) on OK.
  // A name without an extension gets ".kiv" when the document filter was offered.
  bool ExecuteSaveDialog(std::string& name, int filterIndex) override;
  bool PrinterSetupDialog() override;
  QPrinter* Printer() override;
  bool PrinterReady() override;
  bool ExecutePrintOptions(uint8_t& flags) override;
  bool PrintStringGrid(const TStringGridImage& grid, const std::string& title) override;
  void ShowFileProperties(TKiv& kiv) override;
  std::string NextDocumentName() override;
  void NewClick() override { MF_NewClick(); }
  void OpenClick() override { MF_OpenClick(true); }
  void ExitClick() override { MF_ExitClick(); }

  TKivLink& TheLink() { return *FLink; }
  const TMainConfig& Config() const { return FConfig; }
  const std::string& HelpFile() const { return FHelpFile; }
  const std::string& AppTitle() const { return FTitle; }
  QComboBox* XScaleBox() const { return FXScale; }
  TPageDlgFrm& PrintOptions();

  // --- Documents -------------------------------------------------------------------------
  IChildOps* ActiveDocument() const;
  std::vector<IChildOps*> Documents() const;
  // A new document window; an empty name keeps the one the window chose itself.
  IChildOps* NewChild(const std::string& name);

  // --- Commands ------------------------------------------------------------------------
  void MF_NewClick();
  // fromMenu: asks for the file; else the last chosen name is opened without asking.
  void MF_OpenClick(bool fromMenu = true);
  void MF_ExitClick() { close(); }
  void btnSaveClick();
  void btnSaveAsClick();
  void btnPrintClick();
  void SetViewClick(int view);
  void btnGraphLegendClick();
  void ApplyXScale();
  void C1Click();
  void Oprogramie1Click();
  void CommSetupClick();
  void ile1Click();
  void ProcessCommandLine();
  void OpenFromOptions(const std::string& options);
  void OpenFromPlan(const TCommandLinePlan& plan);

  // --- Seams for tests -----------------------------------------------------------------
  // Runs the communication dialog (default: exec); returns a QDialog result code.
  void SetCommDialogRunner(std::function<int(TCommDlg&)> run) { FRunCommDialog = std::move(run); }
  // Shows the three Russian notices (default: a message box).
  void SetNoticeHandler(std::function<void(const QString& text, const QString& caption)> show)
  {
    FNotice = std::move(show);
  }
  void SetAboutRunner(std::function<void(QWidget&)> run) { FRunAbout = std::move(run); }
  // Runs the file-properties dialog (default: exec).
  void SetFilePropertiesRunner(std::function<int(TFileInfoDlg&)> run) { FRunFileInfo = std::move(run); }
  // Runs the printer set-up (default: the print dialog); true on OK.
  void SetPrinterSetupRunner(std::function<bool(QPrinter&)> run) { FRunPrinterSetup = std::move(run); }
  // The printer the program prints on (default: the process-wide one).
  void SetPrinter(QPrinter* printer) { FPrinter = printer; }
  // Whether the system has a default printer (default: asks the print system).
  void SetDefaultPrinterQuery(std::function<bool()> query) { FDefaultPrinterExists = std::move(query); }
  QAction* ActionByName(const QString& objectName) const;
  QLabel* StatusPanel(int index) const;
  TLogoMdiArea* MdiArea() const { return FMdi; }
  // Writes the link settings to kiv.ini now (the destructor does it too).
  bool SaveConfig();

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildMenus();
  void BuildToolbar();
  void BuildStatusBar();
  QAction* MakeAction(const char* name, const QString& caption, const QString& hint = QString());
  void SubWindowActivated(QMdiSubWindow* window);
  void UpdateMenus();
  void FillWindowMenu();
  void OpenLink();
  void ShowNotice(const QString& text, const QString& caption);
  bool AnyDocumentBusy() const;
  // Asks every document, in order, whether it may close, and closes them all only when
  // each agreed; the first refusal ends the asking and closes nothing.
  bool CloseDocuments();
  void LinkBusyChanged();

  TMainFormOptions FOptions;
  std::string FTitle;
  std::string FConfigPath;
  std::unique_ptr<TKivLink> FLink;
  TMainConfig FConfig;
  std::string FInstallDir;
  std::string FHelpFile;
  bool FService = false;
  int FDocCounter = 0;
  bool FShown = false;
  bool FCommandLineDone = false;
  bool FConfigSaved = false;
  std::string FOpenFileName;
  TChildFactory FFactory;
  std::function<int(TFileInfoDlg&)> FRunFileInfo;
  std::function<bool(QPrinter&)> FRunPrinterSetup;
  QPrinter* FPrinter = nullptr;
  std::function<bool()> FDefaultPrinterExists;
  bool FClosingDocuments = false;
  TPageDlgFrm* FPrintOptions = nullptr;
  std::function<int(TCommDlg&)> FRunCommDialog;
  std::function<void(const QString&, const QString&)> FNotice;
  std::function<void(QWidget&)> FRunAbout;

  TLogoMdiArea* FMdi = nullptr;
  QMenu* FFileMenu = nullptr;
  QMenu* FOptionsMenu = nullptr;
  QMenu* FHelpMenu = nullptr;
  QMenu* FWindowMenu = nullptr;
  QToolBar* FToolBar = nullptr;
  QComboBox* FXScale = nullptr;
  QLabel* FStatus0 = nullptr;
  QLabel* FStatus1 = nullptr;
  std::vector<QAction*> FDocumentButtons;
  std::vector<QMenu*> FSwappedMenus;
};

// Splits "short|long": the tool tip and the status tip.
void ApplyHint(QAction& action, const QString& hint);
