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
#include <QTimer>
#include <QToolBar>

#include <exception>
#include <filesystem>

#include "app/Kivbase.h"
#include "app/ui/About.h"
#include "app/ui/Fileprop.h"
#include "app/ui/GridPrn.h"
#include "app/ui/Pagedlg.h"
#include "app/ui/Params.h"
#include "app/ui/QtText.h"
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

QString Cp(std::string_view cp1250) { return ToQ(cp1250); }

bool PathExists(const std::string& name)
{
    std::error_code ec;
    return fs::exists(name, ec);
}

constexpr const char* OPEN_FILTER = "Pliki rejestracji|*.kiv|Wszystkie pliki|*.*";

// The program's own logo, drawn once: a framed badge with the controller family's name.
QImage MakeLogo()
{
    QImage logo(150, 60, QImage::Format_ARGB32_Premultiplied);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(1.5, 1.5, 147, 57), 8, 8);
    p.fillPath(badge, QColor(0, 64, 128));
    p.setPen(QPen(QColor(255, 255, 255, 200), 2));
    p.drawPath(badge);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(30);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 150, 60), Qt::AlignCenter, QStringLiteral("KIVS"));
    return logo;
}

} // namespace

bool TKivApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Prompts().Error(e.what());
    } catch (...) {
        Prompts().Error("Nieznany wyjątek"_cp);
    }
    return false;
}

// --- MDI client ---------------------------------------------------------------------------

TLogoMdiArea::TLogoMdiArea(QWidget* parent) : QMdiArea(parent), FLogo(MakeLogo()) {}

QPoint TLogoMdiArea::LogoPosition(int frameHeight) const { return QPoint(10, frameHeight - 2 * FLogo.height() - 50); }

void TLogoMdiArea::paintEvent(QPaintEvent* event)
{
    QMdiArea::paintEvent(event);
    QPainter p(viewport());
    const QWidget* frame = window();
    p.drawImage(LogoPosition(frame ? frame->height() : height()), FLogo);
}

void TLogoMdiArea::resizeEvent(QResizeEvent* event)
{
    QMdiArea::resizeEvent(event);
    // The logo keeps its distance from the bottom: its old place must be painted over too.
    viewport()->update();
}

void TLogoMdiArea::scrollContentsBy(int dx, int dy)
{
    QMdiArea::scrollContentsBy(dx, dy);
    // The logo stays where it is: everything is painted again, not shifted.
    viewport()->update();
}

// --- Frame --------------------------------------------------------------------------------

void ApplyHint(QAction& action, const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    action.setToolTip(shortHint);
    action.setStatusTip(longHint);
}

TMainForm::TMainForm(TMainFormOptions options, QWidget* parent) : QMainWindow(parent), FOptions(std::move(options))
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
    FLink->OnBusyChanged = [this] { UpdateToolbar(); };

    FMdi = new TLogoMdiArea(this);
    FMdi->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(FMdi);
    connect(FMdi, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);
    BuildMenus();
    BuildToolbar();
    BuildStatusBar();

    QString caption = Cp("Program obslugi KIV"_cp);
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
    // Documents go first, last one first: they use the link and the frame's settings.
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

QAction* TMainForm::MakeAction(const char* name, const QString& caption, const QString& hint)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        ApplyHint(*action, hint);
    return action;
}

void TMainForm::BuildMenus()
{
    FFileMenu = new QMenu(Cp("&Plik"_cp), this);
    FFileMenu->setObjectName(QStringLiteral("MF_File"));
    QAction* newAction = MakeAction("MF_New", Cp("&Nowy"_cp));
    newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newAction, &QAction::triggered, this, &TMainForm::MF_NewClick);
    QAction* openAction = MakeAction("MF_Open", Cp("&Otworz"_cp));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(openAction, &QAction::triggered, this, [this] { MF_OpenClick(true); });
    QAction* exitAction = MakeAction("MF_Exit", Cp("Zakoncz"_cp));
    connect(exitAction, &QAction::triggered, this, &TMainForm::MF_ExitClick);
    FFileMenu->addAction(newAction);
    FFileMenu->addAction(openAction);
    FFileMenu->addSeparator();
    FFileMenu->addAction(exitAction);

    FOptionsMenu = new QMenu(Cp("Opc&je"_cp), this);
    QAction* comm = MakeAction("CommSetup", Cp("&Komunikacja"_cp));
    connect(comm, &QAction::triggered, this, &TMainForm::CommSetupClick);
    FOptionsMenu->addAction(comm);

    FHelpMenu = new QMenu(Cp("Pomoc"_cp), this);
    QAction* context = MakeAction("C1", Cp("Kontekst"_cp));
    context->setShortcut(QKeySequence(Qt::Key_F1));
    connect(context, &QAction::triggered, this, &TMainForm::C1Click);
    QAction* about = MakeAction("Oprogramie1", Cp("O programie"_cp));
    connect(about, &QAction::triggered, this, &TMainForm::Oprogramie1Click);
    FHelpMenu->addAction(context);
    FHelpMenu->addSeparator();
    FHelpMenu->addAction(about);

    FWindowMenu = new QMenu(Cp("Okno"_cp), this);
    connect(FWindowMenu, &QMenu::aboutToShow, this, &TMainForm::FillWindowMenu);
    FillWindowMenu();
}

void TMainForm::FillWindowMenu()
{
    FWindowMenu->clear();
    QAction* tile = FWindowMenu->addAction(Cp("Tile"_cp));
    tile->setObjectName(QStringLiteral("ile1"));
    connect(tile, &QAction::triggered, this, &TMainForm::ile1Click);
    const QList<QMdiSubWindow*> windows = FMdi->subWindowList(QMdiArea::CreationOrder);
    if (!windows.isEmpty())
        FWindowMenu->addSeparator();
    for (QMdiSubWindow* w : windows) {
        QAction* item = FWindowMenu->addAction(w->windowTitle());
        item->setCheckable(true);
        item->setChecked(w == FMdi->currentSubWindow());
        connect(item, &QAction::triggered, this, [this, w] { FMdi->setActiveSubWindow(w); });
    }
}

void TMainForm::BuildToolbar()
{
    FToolBar = addToolBar(QStringLiteral("Toolbar"));
    FToolBar->setObjectName(QStringLiteral("ToolBar"));
    FToolBar->setMovable(false);
    FToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct TButton {
        const char* Name;
        std::string_view Hint;
        std::function<void()> Click;
        bool Document;
    };
    const TButton buttons[] = {
        {"btnLoad", "Otworz|Zaladuj plik z dysku"_cp, [this] { MF_OpenClick(true); }, false},
        {"btnSaveAs", "Zapisz jako|Zapis pliku pod inna nazwa"_cp, [this] { btnSaveAsClick(); }, true},
        {"btnSave", "Zapisz|Zapis pliku na dysk"_cp, [this] { btnSaveClick(); }, true},
        {"btnPrint", "Drukuj"_cp, [this] { btnPrintClick(); }, true},
        {"btnNormView", "Pokaz wszystko"_cp, [this] { SetViewClick(0); }, true},
        {"btnListView", "Listing"_cp, [this] { SetViewClick(3); }, true},
        {"btnGraphView", "Wykres"_cp, [this] { SetViewClick(2); }, true},
        {"btnEventsView", "Lista sekwencji"_cp, [this] { SetViewClick(1); }, true},
        {"btnGraphLegend", "Legenda"_cp, [this] { btnGraphLegendClick(); }, true},
    };
    for (const TButton& b : buttons) {
        const QString hint = Cp(b.Hint);
        QAction* action = MakeAction(b.Name, hint.section(QLatin1Char('|'), 0, 0), hint);
        connect(action, &QAction::triggered, this, b.Click);
        FToolBar->addAction(action);
        if (b.Document)
            FDocumentButtons.push_back(action);
    }
    FXScale = new QComboBox(FToolBar);
    FXScale->setObjectName(QStringLiteral("cbXScale"));
    FXScale->setEditable(true);
    FXScale->setInsertPolicy(QComboBox::NoInsert);
    // No completion: "2" must not become "200" while 20 is being typed.
    FXScale->setCompleter(nullptr);
    FXScale->setToolTip(Cp("Skala osi x wykresu"_cp));
    FXScale->setStatusTip(Cp("Skala osi x wykresu"_cp));
    FXScale->setMinimumContentsLength(8);
    for (const char* item : XSCALE_ITEMS)
        FXScale->addItem(QString::fromLatin1(item));
    FXScale->setCurrentIndex(-1);
    FXScale->lineEdit()->installEventFilter(this);
    connect(FXScale, &QComboBox::currentTextChanged, this, [this](const QString&) { ApplyXScale(); });
    FToolBar->addWidget(FXScale);
}

void TMainForm::BuildStatusBar()
{
    FStatus0 = new QLabel(this);
    FStatus0->setObjectName(QStringLiteral("StatusPanel0"));
    FStatus0->setFixedWidth(200);
    FStatus1 = new QLabel(this);
    FStatus1->setObjectName(QStringLiteral("StatusPanel1"));
    FStatus1->setFixedWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(FStatus0);
    statusBar()->addWidget(FStatus1);
}

QAction* TMainForm::ActionByName(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QLabel* TMainForm::StatusPanel(int index) const { return index == 0 ? FStatus0 : FStatus1; }

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
    if (watched == FXScale->lineEdit() && event->type() == QEvent::KeyPress) {
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
    // Each document may refuse (a read running, changes the user keeps).
    FMdi->closeAllSubWindows();
    if (!FMdi->subWindowList().isEmpty()) {
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
    if (!name.empty())
        doc->SetDocumentName(name);
    // A closed document leaves the tool bar and the menus to the next one.
    connect(sub, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            UpdateMenus();
            UpdateToolbar();
        });
    });
    sub->show();
    FMdi->setActiveSubWindow(sub);
    return doc;
}

void TMainForm::MF_NewClick()
{
    // The window names itself with the next "Dokument<n>.kiv".
    NewChild(std::string());
    UpdateToolbar();
}

void TMainForm::MF_OpenClick(bool fromMenu)
{
    if (fromMenu) {
        std::string path = FOpenFileName;
        if (!Prompts().OpenFileName(std::string(), OPEN_FILTER, path))
            return;
        FOpenFileName = path;
    }
    IChildOps* doc = NewChild(std::string());
    if (!doc)
        return;
    doc->LoadFile(FOpenFileName);
    UpdateToolbar();
}

bool TMainForm::ExecuteSaveDialog(std::string& name, int filterIndex)
{
    // The filter chosen is offered first; the next dialog starts with the documents again.
    const char* filter = filterIndex == 2 ? "Wszystkie pliki|*.*|Pliki rejestracji|*.kiv" : OPEN_FILTER;
    std::string path = name;
    if (!Prompts().SaveFileName(std::string(), filter, path))
        return false;
    // The default extension: a name typed without one is saved as .kiv.
    if (filterIndex != 2 && !path.empty() && fs::path(path).extension().empty())
        path += ".kiv";
    name = path;
    return true;
}

QPrinter* TMainForm::Printer() { return FPrinter ? FPrinter : &AppPrinter(); }

bool TMainForm::PrinterSetupDialog()
{
    if (FRunPrinterSetup)
        return FRunPrinterSetup(*Printer());
    QPrintDialog dialog(Printer(), this);
    return dialog.exec() == QDialog::Accepted;
}

TPageDlgFrm& TMainForm::PrintOptions()
{
    // One dialog for the whole run: its margins are kept between prints.
    if (!FPrintOptions)
        FPrintOptions = new TPageDlgFrm(this);
    return *FPrintOptions;
}

bool TMainForm::ExecutePrintOptions(uint8_t& flags)
{
    TPageDlgFrm& dialog = PrintOptions();
    dialog.SetPrintFlags(flags);
    if (!dialog.Execute())
        return false;
    flags = dialog.PrintFlags();
    return true;
}

bool TMainForm::PrintStringGrid(const TStringGridImage& grid, const std::string& title)
{
    TPrinterPageSink sink(*Printer());
    return ::PrintStringGrid(grid, title, sink);
}

void TMainForm::ShowFileProperties(TKiv& kiv)
{
    TFileInfoDlg dialog(this);
    if (FRunFileInfo)
        dialog.SetRunner(FRunFileInfo);
    dialog.Execute(kiv);
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
    const TToolbarState state = ToolbarState(doc != nullptr, doc && doc->IsReading(), AnyDocumentBusy());
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
        doc->FormActivate(); // the tool bar and the scale box follow the window
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

void TMainForm::UpdateMenus()
{
    // Qt merges no menus: the active document's "&Plik" and "&Wykres" take the place of the
    // frame's "&Plik". Only what the menu bar shows can fire, so each shortcut has one owner.
    IChildOps* doc = ActiveDocument();
    std::vector<QMenu*> wanted;
    if (doc)
        wanted = doc->Menus();
    if (wanted.empty())
        wanted.push_back(FFileMenu);
    if (wanted == FSwappedMenus)
        return;
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* m : wanted)
        bar->addMenu(m);
    bar->addMenu(FOptionsMenu);
    bar->addMenu(FHelpMenu);
    bar->addMenu(FWindowMenu);
    FSwappedMenus = wanted;
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

void TMainForm::CommSetupClick()
{
    if (AnyDocumentBusy())
        return;
    TRsdHan& rsd = FLink->Rsd();
    const std::string savedPort = rsd.CommPort();
    const int savedSpeed = rsd.BaudRate();
    const int savedReadTimeout = rsd.ReadTotalTimeoutConstant();
    const TCommSettings savedComm = FConfig.Comm;

    TCommDlg dialog(rsd, FConfig.Comm, this);
    dialog.SetTimeOut(FConfig.Comm.Time_Out);
    dialog.SetTimeSilence(FConfig.Comm.TimeSilence);
    const int result = FRunCommDialog ? FRunCommDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        FConfig.Comm.Time_Out = dialog.TimeOut();
        FConfig.Comm.TimeSilence = dialog.TimeSilence();
        rsd.SetReadTotalTimeoutConstant(FConfig.Comm.Time_Out);
        rsd.SetSilenceTime(FConfig.Comm.TimeSilence);
    } else {
        rsd.SetCommPort(savedPort);
        rsd.SetBaudRate(savedSpeed);
        // The dialog applied its time-out to the link while it was open.
        rsd.SetReadTotalTimeoutConstant(savedReadTimeout);
        FConfig.Comm.MBTCPComm = savedComm.MBTCPComm;
        FConfig.Comm.MBTCPIP = savedComm.MBTCPIP;
        FConfig.Comm.MBTCPPort = savedComm.MBTCPPort;
    }
    (void)FLink->SetSettings(FConfig.Comm);
    rsd.Close();
    if (!FConfig.Comm.MBTCPComm && (result != QDialog::Accepted || !rsd.CommPort().empty()))
        OpenLink();
}

void TMainForm::ile1Click() { FMdi->tileSubWindows(); }

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
    for (const std::string& file : plan.OpenFiles) {
        FOpenFileName = file;
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
    // Without a file word the window keeps the next new-document name it took.
    std::string name = DocumentNameFromOptions(options);
    if (name.empty())
        name = doc->DocumentName();
    doc->SetDocumentName(name);
    doc->Widget()->setWindowTitle(PathToQ(name));
    doc->RefreshViews();
    kiv.SetModified(false);
    UpdateToolbar();
    if (!ok || !message.empty())
        ShowNotice(ToQ(message), QString::fromUtf8(ok ? RussianText::Information : RussianText::Error));
}
