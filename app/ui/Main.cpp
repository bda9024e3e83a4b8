#include "app/ui/Main.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <exception>
#include <filesystem>

#include "app/document/Kivbase.h"
#include "app/ui/About.h"
#include "app/ui/Fileprop.h"
#include "app/ui/GridPrn.h"
#include "app/ui/Pagedlg.h"
#include "app/ui/Params.h"
#include "platform/qt/QtText.h"
#include "charts/GraphModel.h"
#include "charts/ui/Graph.h"
#include "charts/ui/PageSink.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/SysUtil.h"

namespace fs = std::filesystem;

namespace {

bool PathExists(const std::string& name)
{
  std::error_code ec;
  return fs::exists(name, ec);
}

}  // namespace

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent)
    : QMainWindow(parent), FOptions(std::move(options))
{
  setObjectName(QStringLiteral("MainForm"));
  FTitle = fs::path(FOptions.ProgramPath).stem().string();
  if (FTitle.empty())
    FTitle = "kivssn";
  FConfigPath = FOptions.ConfigPath.empty() ? KivIniPath() : FOptions.ConfigPath;

  // The utility's numbers use a decimal comma and its dates year first.
  UtilityFormat().DecimalSeparator = ',';
  UtilityFormat().ShortDateFormat = "yyyy-mm-dd";

  FConfig = LoadKivIni(FConfigPath, FTitle);
  FLink = std::make_unique<TKivLink>();
  FLink->Rsd().SetSysfsClassDir(FOptions.SysfsClassDir);
  FLink->Rsd().SetCommPort(FConfig.Port);
  FLink->Rsd().SetBaudRate(FConfig.Speed);
  FLink->Rsd().SetReadTotalTimeoutConstant(FConfig.Comm.Time_Out);
  (void)FLink->SetSettings(FConfig.Comm);
  FLink->OnBusyChanged = [this] { LinkBusyChanged(); };

  FMdi = new TLogoMdiArea(this);
  FMdi->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(FMdi);
  connect(FMdi, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);
  BuildMenus();
  BuildToolbar();
  BuildStatusBar();

  QString caption = ToQ("Program obslugi KIV"_cp);
  if (HasServiceSwitch(FOptions.Params)) {
    FService = true;
    caption += QStringLiteral(" (service)");
  }
  setWindowTitle(caption);

  std::string programDir = fs::path(FOptions.ProgramPath).parent_path().string();
  if (programDir.empty())
    programDir = ".";
  FInstallDir = FindInstallDir(programDir);
  FHelpFile = FindHelpFile(FInstallDir);
  UpdateMenus();
  UpdateToolbar();
  resize(900, 600);
}

TMainForm::~TMainForm()
{
  // Documents go first, last one first: they use the link and the frame's settings. No
  // window is activated on the way out.
  disconnect(FMdi, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);
  const QList<QMdiSubWindow*> windows = FMdi->subWindowList(QMdiArea::CreationOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    delete *it;
  FLink->OnBusyChanged = nullptr;
  if (!FConfigSaved)
    SaveConfig();
}

bool TMainForm::SaveConfig()
{
  TMainConfig c = FConfig;
  c.Port = FLink->Rsd().CommPort();
  c.Speed = FLink->Rsd().BaudRate();
  std::string error;
  if (!SaveKivIni(FConfigPath, FTitle, c, &error)) {
    DebugOutput("kiv.ini " + FConfigPath + ": " + error);
    return false;
  }
  FConfigSaved = true;
  return true;
}

bool TMainForm::event(QEvent* event)
{
  // The long part of a hint goes to the first panel of the status bar.
  if (event->type() == QEvent::StatusTip) {
    FStatus0->setText(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
  // The box keeps the focus for its line edit and hands it the keys itself, past any
  // filter on the line edit: Enter is caught where the key press arrives, on the box.
  if (watched == FXScale && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      FXScale->lineEdit()->selectAll();
      ApplyXScale();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event)
{
  QMainWindow::showEvent(event);
  if (FShown)
    return;
  FShown = true;
  if (!FConfig.Comm.MBTCPComm)
    OpenLink();
  // The command line runs once the frame stands on the screen.
  QTimer::singleShot(0, this, &TMainForm::ProcessCommandLine);
}

void TMainForm::OpenLink()
{
  try {
    FLink->Rsd().Open();
  } catch (const EComState& e) {
    Prompts().Error(e.what());
  }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
  if (!CloseDocuments()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TMainForm::SetDocumentFactory(TChildFactory factory)
{
  FFactory = std::move(factory);
  UpdateToolbar();
}

IChildOps* TMainForm::ActiveDocument() const
{
  QMdiSubWindow* w = FMdi->currentSubWindow();
  return w ? dynamic_cast<IChildOps*>(w->widget()) : nullptr;
}

std::vector<IChildOps*> TMainForm::Documents() const
{
  std::vector<IChildOps*> docs;
  for (QMdiSubWindow* w : FMdi->subWindowList(QMdiArea::CreationOrder))
    if (auto* doc = dynamic_cast<IChildOps*>(w->widget()))
      docs.push_back(doc);
  return docs;
}

std::string TMainForm::NextDocumentName()
{
  return ::NextDocumentName(FDocCounter, int(FMdi->subWindowList().size()), PathExists);
}

IChildOps* TMainForm::NewChild(const std::string& name)
{
  if (!FFactory)
    return nullptr;
  IChildOps* doc = FFactory(*this, FMdi);
  if (!doc)
    return nullptr;
  QWidget* widget = doc->Widget();
  QMdiSubWindow* sub = FMdi->addSubWindow(widget);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // The icon the sub-window would make for itself, made once.
  if (FDocumentIcon.isNull())
    FDocumentIcon = sub->style()->standardIcon(QStyle::SP_TitleBarMenuButton, nullptr, sub);
  sub->setWindowIcon(FDocumentIcon);
  if (!name.empty())
    doc->SetDocumentName(name);
  // A closed document leaves the tool bar and the menus to the next one, and its item in
  // "Okno" goes with it.
  connect(sub, &QObject::destroyed, this, [this] {
    QTimer::singleShot(0, this, [this] {
      UpdateMenus();
      UpdateToolbar();
      FillWindowMenu();
    });
  });
  sub->show();
  FMdi->setActiveSubWindow(sub);
  return doc;
}

void TMainForm::MF_NewClick()
{
  // The frame names a new window; an opened or command-line window takes its name from its
  // file or options, so it uses up no document number.
  NewChild(NextDocumentName());
  UpdateToolbar();
}

void TMainForm::MF_OpenClick(bool fromMenu)
{
  if (fromMenu) {
    std::string path = FOpenFileName;
    if (!Prompts().OpenFileName(std::string(), KIV_FILE_FILTER, path))
      return;
    FOpenFileName = path;
  }
  IChildOps* doc = NewChild(std::string());
  if (!doc)
    return;
  doc->LoadFile(FOpenFileName);
  UpdateToolbar();
}

bool TMainForm::AnyDocumentBusy() const
{
  if (FLink->Busy())
    return true;
  for (IChildOps* doc : Documents())
    if (doc->IsBusy())
      return true;
  return false;
}

void TMainForm::UpdateToolbar()
{
  IChildOps* doc = ActiveDocument();
  // A set write holds the document as a read does: its commands wait until it ends.
  const TToolbarState state = ToolbarState(doc != nullptr, doc && doc->IsBusy(), AnyDocumentBusy());
  if (state.ClearScale) {
    const QSignalBlocker block(FXScale);
    FXScale->setCurrentIndex(-1);
    FXScale->setEditText(QString());
  }
  for (QAction* a : FDocumentButtons)
    a->setEnabled(state.DocumentActions);
  FXScale->setEnabled(state.DocumentActions);
  ActionByName(QStringLiteral("CommSetup"))->setEnabled(state.CommSetup);
  // Without a way to make documents there is nothing to create or open.
  for (const char* name : {"MF_New", "MF_Open", "btnLoad"})
    ActionByName(QString::fromLatin1(name))->setEnabled(bool(FFactory));
}

void TMainForm::SubWindowActivated(QMdiSubWindow* window)
{
  (void)window;
  UpdateMenus();
  if (IChildOps* doc = ActiveDocument())
    doc->FormActivate();  // the tool bar and the scale box follow the window
  else
    UpdateToolbar();
}

void TMainForm::ShowXScale(bool autoscale, int scaleX)
{
  const QSignalBlocker block(FXScale);
  if (autoscale)
    FXScale->setCurrentIndex(0);
  else
    FXScale->setEditText(QString::fromStdString(XScaleText(false, scaleX)));
}

void TMainForm::btnSaveClick()
{
  if (IChildOps* doc = ActiveDocument())
    doc->FileSaveClick();
}

void TMainForm::btnSaveAsClick()
{
  if (IChildOps* doc = ActiveDocument())
    doc->SaveAsClick();
}

void TMainForm::btnPrintClick()
{
  if (IChildOps* doc = ActiveDocument())
    doc->FilePrintClick(true);
}

void TMainForm::SetViewClick(int view)
{
  if (IChildOps* doc = ActiveDocument())
    doc->SetView(view);
}

void TMainForm::btnGraphLegendClick()
{
  if (IChildOps* doc = ActiveDocument())
    doc->ShowLegend();
}

void TMainForm::ApplyXScale()
{
  IChildOps* doc = ActiveDocument();
  const QString text = FXScale->currentText();
  const bool item = FXScale->findText(text, Qt::MatchFixedString) >= 0;
  const bool selected = FXScale->lineEdit()->hasSelectedText();
  const auto choice = ChooseXScale(FromQ(text), item || selected);
  if (!doc || !choice)
    return;
  TGraphModel& chart = doc->Graph().Model();
  if (choice->Autoscale) {
    chart.SetAutoscale(true);
  } else {
    chart.SetScaleX(choice->ScaleX);
    chart.SetAutoscale(false);
  }
  if (chart.Autoscale()) {
    const QSignalBlocker block(FXScale);
    FXScale->setCurrentIndex(0);
  }
}

void TMainForm::C1Click()
{
  // Help needs a help file; without one (always so on this system) the command does nothing.
  if (FHelpFile.empty())
    return;
  DebugOutput("Help file " + FHelpFile + " cannot be shown: no help viewer");
}

void TMainForm::Oprogramie1Click()
{
  TAboutBox box(this);
  if (FRunAbout)
    FRunAbout(box);
  else
    box.exec();
}

void TMainForm::ShowNotice(const QString& text, const QString& caption)
{
  if (FNotice) {
    FNotice(text, caption);
    return;
  }
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
  box.exec();
}

void TMainForm::ProcessCommandLine()
{
  if (FCommandLineDone)
    return;
  FCommandLineDone = true;
  OpenFromPlan(PlanCommandLine(FOptions.Params, PathExists));
}

void TMainForm::OpenFromPlan(const TCommandLinePlan& plan)
{
  for (size_t i = 0; i < plan.OpenFiles.size(); ++i) {
    // A document takes the service flag when it is made: the words count in their order.
    if (plan.Service && i >= plan.ServiceFromFile)
      FService = true;
    FOpenFileName = plan.OpenFiles[i];
    MF_OpenClick(false);
  }
  if (plan.Service)
    FService = true;
  if (plan.MissingFile) {
    ShowNotice(QString::fromStdString(FileNotFoundNotice(*plan.MissingFile)), QString::fromStdString(FTitle));
    return;
  }
  if (!plan.Options.empty())
    OpenFromOptions(plan.Options);
}

void TMainForm::OpenFromOptions(const std::string& options)
{
  if (!FFactory)
    return;
  IChildOps* doc = NewChild(std::string());
  if (!doc)
    return;
  TKiv& kiv = doc->Kiv();
  kiv.SetInstallDir(FInstallDir);
  bool ok = false;
  std::string message;
  kiv.ParseCommandLine(options, ok, message);
  // Without a file word: the next new-document name.
  std::string name = DocumentNameFromOptions(options);
  if (name.empty())
    name = NextDocumentName();
  doc->SetDocumentName(name);
  doc->Widget()->setWindowTitle(PathToQ(name));
  doc->RefreshViews();
  kiv.SetModified(false);
  UpdateToolbar();
  if (!ok || !message.empty())
    ShowNotice(ToQ(message), QString::fromUtf8(ok ? RussianText::Information : RussianText::Error));
}
