#include "app/ui/Main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <map>
#include <memory>

#include "app/ui/Child.h"
#include "app/ui/Params.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"
#include "tests/app/DocTestSupport.h"
#include "tests/ui/FakeDocument.h"
#include "tests/ui/MenuTools.h"
#include "tests/ui/QtTestApp.h"

namespace {

class TMainFormTest : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    FPrevPrompts = SetPrompts(&Script);
  }
  void TearDown() override
  {
    SetPrompts(FPrevPrompts);
    TQtAppTest::TearDown();
  }

  std::string IniPath() const { return Dir.File("cfg/kiv.ini"); }
  void WriteIni(const std::string& text)
  {
    std::filesystem::create_directories(Dir.File("cfg"));
    Dir.Write("cfg/kiv.ini", text);
  }

  std::unique_ptr<TMainForm> MakeFrame(std::vector<std::string> params = {}, bool withFactory = true)
  {
    TMainFormOptions o;
    o.Params = std::move(params);
    o.ProgramPath = Dir.File("bin/kivssn");
    o.ConfigPath = IniPath();
    o.SysfsClassDir = Dir.File("no-sysfs");
    auto frame = std::make_unique<TMainForm>(o);
    if (withFactory)
      frame->SetDocumentFactory([this](IChildFrame& f, QMdiArea* parent) {
        auto* doc = new TFakeDocument(f, parent);
        Docs.push_back(doc);
        return doc;
      });
    frame->SetNoticeHandler([this](const QString& text, const QString& caption) {
      Notices.push_back({text.toStdString(), caption.toStdString()});
    });
    return frame;
  }

  TTempDir Dir;
  TScriptedPrompts Script;
  std::vector<TFakeDocument*> Docs;
  std::vector<std::pair<std::string, std::string>> Notices;

private:
  IPrompts* FPrevPrompts = nullptr;
};

}  // namespace

TEST_F(TMainFormTest, KivIniReadAtStartAndWrittenBackAtTheEnd)
{
  WriteIni("[other]\nKeep=1\n[kivssn]\nPort=3\nSpeed=4\nMBTCPIP=192.168.100.200\nMBTCPComm=2\n"
           "Time_Out=900\nTimeSilence=40\nMBTCPPort=1502\n");
  {
    auto frame = MakeFrame();
    EXPECT_EQ(frame->TheLink().Rsd().CommPort(), "COM3");
    EXPECT_EQ(frame->TheLink().Rsd().BaudRate(), 4);
    EXPECT_EQ(frame->TheLink().Rsd().ReadTotalTimeoutConstant(), 900);
    // The link keeps its own silence until the dialog is confirmed.
    EXPECT_EQ(frame->TheLink().Rsd().SilenceTime(), 10);
    EXPECT_EQ(frame->TheLink().Settings().TimeSilence, 40);
    EXPECT_FALSE(frame->Config().Comm.MBTCPComm);
    EXPECT_EQ(frame->Config().Comm.MBTCPIP, "192.168.100.200");
    EXPECT_EQ(frame->TheLink().Settings().MBTCPPort, 1502);
    frame->TheLink().Rsd().SetCommPort("/dev/ttyUSB1");
  }
  TIniFile ini;
  ASSERT_TRUE(ini.LoadFromFile(IniPath()));
  EXPECT_EQ(ini.ReadString("other", "Keep", ""), "1");
  EXPECT_EQ(ini.ReadString("kivssn", "Port", ""), "/dev/ttyUSB1");
  EXPECT_EQ(ini.ReadString("kivssn", "MBTCPComm", ""), "0");
  EXPECT_EQ(ini.ReadString("kivssn", "MBTCPIP", ""), "192.168.100.200");
  EXPECT_EQ(ini.ReadString("kivssn", "Time_Out", ""), "900");
  EXPECT_EQ(ini.ReadSection("kivssn").size(), 7u);
}

TEST_F(TMainFormTest, DefaultsWithoutOrWithAnEmptyKivIni)
{
  for (bool present : {false, true}) {
    if (present)
      WriteIni("");
    auto frame = MakeFrame();
    EXPECT_EQ(frame->Config(), TMainConfig{}) << present;
    EXPECT_EQ(frame->TheLink().Rsd().CommPort(), "COM1");
    EXPECT_EQ(frame->TheLink().Rsd().BaudRate(), 6);
  }
}

TEST_F(TMainFormTest, CaptionServiceSwitchAndInstallFolder)
{
  auto plain = MakeFrame({"service"});
  EXPECT_EQ(plain->windowTitle(), QStringLiteral("Program obslugi KIV"));
  EXPECT_FALSE(plain->ServiceMode());
  plain->ProcessCommandLine();
  EXPECT_TRUE(plain->ServiceMode());
  EXPECT_EQ(plain->windowTitle(), QStringLiteral("Program obslugi KIV"));

  auto service = MakeFrame({"-service"});
  EXPECT_TRUE(service->ServiceMode());
  EXPECT_EQ(service->windowTitle(), QStringLiteral("Program obslugi KIV (service)"));
  EXPECT_EQ(service->InstallDir(), Dir.File("bin"));
  EXPECT_EQ(service->HelpFile(), "");
  EXPECT_EQ(service->AppTitle(), "kivssn");
}

TEST_F(TMainFormTest, MissingKivFileGivesTheNoticeAndStops)
{
  const std::string present = Dir.Write("a.kiv", "x");
  const std::string missing = Dir.File("x.kiv");
  auto frame = MakeFrame({present, missing, "-buffile", Dir.Write("b.bin", "abc")});
  frame->ProcessCommandLine();
  ASSERT_EQ(Docs.size(), 1u);
  EXPECT_EQ(Docs[0]->Calls.front(), "load:" + present);
  ASSERT_EQ(Notices.size(), 1u);
  EXPECT_EQ(Notices[0].first, missing + " Файл не найден");
  // The command line runs once only.
  frame->ProcessCommandLine();
  EXPECT_EQ(Docs.size(), 1u);
}

TEST_F(TMainFormTest, ServiceWordHoldsForTheFilesAfterIt)
{
  // The words count in their order: a file named after "service" opens in service mode, one
  // named before it does not.
  const std::string a = Dir.Write("a.kiv", "x");
  const std::string b = Dir.Write("b.kiv", "x");
  auto frame = MakeFrame({a, "Service", b});
  EXPECT_FALSE(frame->ServiceMode());
  frame->ProcessCommandLine();
  ASSERT_EQ(Docs.size(), 2u);
  EXPECT_FALSE(Docs[0]->ServiceAtLoad);
  EXPECT_TRUE(Docs[1]->ServiceAtLoad);
  EXPECT_TRUE(frame->ServiceMode());
}

TEST_F(TMainFormTest, BufFileBuildsOneDocumentNamedAfterIt)
{
  const std::string buf = Dir.Write("my-buf.bin", std::string(40, '\x01'));
  auto frame = MakeFrame({"-BUFFILE", buf, "-kivtype", "KIVS3"});
  frame->ProcessCommandLine();
  ASSERT_EQ(Docs.size(), 1u);
  EXPECT_EQ(Docs[0]->Name, buf);
  EXPECT_EQ(Docs[0]->windowTitle().toStdString(), buf);
  EXPECT_EQ(Docs[0]->Kiv().GetEvRegSize(), 40);
  EXPECT_EQ(Docs[0]->Kiv().GetKivType(), 2);
  EXPECT_EQ(Docs[0]->Kiv().InstallDir(), frame->InstallDir());
  EXPECT_FALSE(Docs[0]->Kiv().Modified());
  EXPECT_EQ(Docs[0]->Calls, std::vector<std::string>{"refresh"});
  EXPECT_EQ(Docs[0]->windowTitle().toStdString(), buf);
  EXPECT_TRUE(Notices.empty());
}

TEST_F(TMainFormTest, HelpAndUnknownOptionsAreShownWithTheirCaptions)
{
  struct TCase {
    const char* Option;
    const char* Caption;
    const char* TextStart;
  } cases[] = {{"-h", "информация", ""}, {"-x", "ошибка", "Nieznane polecenie: x"}};
  for (const TCase& c : cases) {
    Docs.clear();
    Notices.clear();
    auto frame = MakeFrame({c.Option});
    frame->ProcessCommandLine();
    ASSERT_EQ(Docs.size(), 1u) << c.Option;
    // No file word: the next new-document name.
    EXPECT_EQ(Docs[0]->Name, "Dokument1.kiv");
    ASSERT_EQ(Notices.size(), 1u);
    EXPECT_EQ(Notices[0].second, c.Caption);
    EXPECT_EQ(Notices[0].first.rfind(c.TextStart, 0), 0u) << Notices[0].first;
  }
  EXPECT_FALSE(Notices[0].first.empty());
}

TEST_F(TMainFormTest, NewDocumentNamesSkipFilesOfTheWorkingFolder)
{
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Path());
  Dir.Write("Dokument3.kiv", "x");
  auto frame = MakeFrame();
  frame->MF_NewClick();
  frame->MF_NewClick();
  frame->MF_NewClick();
  std::filesystem::current_path(cwd);
  ASSERT_EQ(Docs.size(), 3u);
  EXPECT_EQ(Docs[0]->Name, "Dokument1.kiv");
  EXPECT_EQ(Docs[1]->Name, "Dokument2.kiv");
  EXPECT_EQ(Docs[2]->Name, "Dokument4.kiv");
  EXPECT_EQ(Docs[2]->windowTitle(), QStringLiteral("Dokument4"));
}

TEST_F(TMainFormTest, OpenAsksForTheFileAndLoadsIt)
{
  auto frame = MakeFrame();
  Script.Files.push_back(std::nullopt);
  frame->MF_OpenClick(true);
  EXPECT_TRUE(Docs.empty());
  Script.Files.push_back(Dir.File("d.kiv"));
  frame->MF_OpenClick(true);
  ASSERT_EQ(Docs.size(), 1u);
  EXPECT_EQ(Docs[0]->Calls, std::vector<std::string>{"load:" + Dir.File("d.kiv")});
  ASSERT_EQ(Script.Records.size(), 2u);
  EXPECT_EQ(Script.Records[1].Kind, TScriptedPrompts::TKind::OpenFile);
}

TEST_F(TMainFormTest, SaveDialogAddsTheDefaultExtension)
{
  auto frame = MakeFrame();
  std::string name = "Dokument1.kiv";
  Script.Files.push_back(std::nullopt);
  EXPECT_FALSE(frame->ExecuteSaveDialog(name, 1));
  EXPECT_EQ(name, "Dokument1.kiv");
  Script.Files.push_back(Dir.File("plik"));
  EXPECT_TRUE(frame->ExecuteSaveDialog(name, 1));
  EXPECT_EQ(name, Dir.File("plik.kiv"));
  Script.Files.push_back(Dir.File("plik.dat"));
  EXPECT_TRUE(frame->ExecuteSaveDialog(name, 1));
  EXPECT_EQ(name, Dir.File("plik.dat"));
  // All files: the name is taken as given.
  Script.Files.push_back(Dir.File("bufor"));
  EXPECT_TRUE(frame->ExecuteSaveDialog(name, 2));
  EXPECT_EQ(name, Dir.File("bufor"));
}

TEST_F(TMainFormTest, ToolButtonsGoToTheActiveDocument)
{
  auto frame = MakeFrame();
  // Without a document nothing happens (and nothing breaks).
  for (const char* name : {"btnSave", "btnSaveAs", "btnPrint", "btnNormView", "btnGraphLegend"})
    frame->ActionByName(QString::fromLatin1(name))->trigger();
  frame->MF_NewClick();
  frame->MF_NewClick();
  const std::pair<const char*, const char*> cases[] = {
      {"btnSave", "save"},       {"btnSaveAs", "saveas"},      {"btnPrint", "print:toolbar"},
      {"btnNormView", "view:0"}, {"btnEventsView", "view:1"},  {"btnGraphView", "view:2"},
      {"btnListView", "view:3"}, {"btnGraphLegend", "legend"},
  };
  for (const auto& [name, call] : cases)
    frame->ActionByName(QString::fromLatin1(name))->trigger();
  ASSERT_EQ(Docs.size(), 2u);
  EXPECT_TRUE(Docs[0]->Calls.empty());
  ASSERT_EQ(Docs[1]->Calls.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Docs[1]->Calls[i], cases[i].second);
}

TEST_F(TMainFormTest, ToolbarStates)
{
  auto frame = MakeFrame();
  QAction* save = frame->ActionByName(QStringLiteral("btnSave"));
  QAction* comm = frame->ActionByName(QStringLiteral("CommSetup"));
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(frame->XScaleBox()->isEnabled());
  EXPECT_TRUE(frame->XScaleBox()->currentText().isEmpty());
  EXPECT_TRUE(comm->isEnabled());

  frame->MF_NewClick();
  EXPECT_TRUE(save->isEnabled());
  EXPECT_TRUE(frame->ActionByName(QStringLiteral("btnGraphLegend"))->isEnabled());

  Docs[0]->Reading = true;
  ASSERT_TRUE(frame->TheLink().Acquire(&Docs[0]->Kiv(), TLinkActivity::Reading));
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(frame->XScaleBox()->isEnabled());
  // Changing the link in the middle of a transfer could close the port under it.
  EXPECT_FALSE(comm->isEnabled());
  frame->CommSetupClick();  // refused: no dialog
  Docs[0]->Reading = false;
  frame->TheLink().Release(&Docs[0]->Kiv());
  EXPECT_TRUE(save->isEnabled());
  EXPECT_TRUE(comm->isEnabled());

  // A set write holds the document as a read does: its tool-bar commands wait for it.
  Docs[0]->Writing = true;
  ASSERT_TRUE(frame->TheLink().Acquire(&Docs[0]->Kiv(), TLinkActivity::Writing));
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(frame->ActionByName(QStringLiteral("btnPrint"))->isEnabled());
  EXPECT_FALSE(frame->XScaleBox()->isEnabled());
  EXPECT_FALSE(comm->isEnabled());
  Docs[0]->Writing = false;
  frame->TheLink().Release(&Docs[0]->Kiv());
  EXPECT_TRUE(save->isEnabled());
}

TEST_F(TMainFormTest, NoFactoryMeansNoNewOrOpen)
{
  auto frame = MakeFrame({}, false);
  EXPECT_FALSE(frame->ActionByName(QStringLiteral("MF_New"))->isEnabled());
  frame->MF_NewClick();
  EXPECT_TRUE(frame->Documents().empty());
}

// The scale box as a user types into it: the box has the focus (its line edit is only its
// focus proxy), and the keys go to the widget that has the focus.
QComboBox* FocusedXScaleBox(TMainForm& frame)
{
  frame.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
  QComboBox* box = frame.XScaleBox();
  box->setFocus();
  EXPECT_EQ(QApplication::focusWidget(), box);
  return box;
}

TEST_F(TMainFormTest, XScaleBox)
{
  auto frame = MakeFrame();
  frame->show();
  frame->MF_NewClick();
  TFakeDocument& doc = *Docs[0];
  QComboBox* box = FocusedXScaleBox(*frame);
  // Activation shows the chart's scale.
  EXPECT_EQ(box->currentText(), QStringLiteral("Dopasuj"));

  struct TCase {
    const char* Typed;
    bool Autoscale;
    int32_t Scale;
    const char* Shown;
  } cases[] = {
      {"20", false, 20, "20"},
      {"5", true, 20, "Dopasuj"},
      {"300", false, 300, "300"},
      // On the way to 50001 the texts 50, 500 and 5000 are items: each applied as typed.
      {"50001", true, 5000, "Dopasuj"},
      {"abc", true, 5000, "Dopasuj"},
      {"10", false, 10, "10"},
  };
  for (const TCase& c : cases) {
    // Select all, then type over it.
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString::fromLatin1(c.Typed));
    ASSERT_EQ(box->currentText().toStdString(), c.Typed);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box) << c.Typed;
    EXPECT_EQ(doc.Graph().Model().Autoscale(), c.Autoscale) << c.Typed;
    EXPECT_EQ(doc.Graph().Model().ScaleX(), c.Scale) << c.Typed;
    EXPECT_EQ(box->currentText().toStdString(), c.Shown) << c.Typed;
  }
  // Choosing an item applies at once.
  box->setCurrentIndex(3);
  EXPECT_FALSE(doc.Graph().Model().Autoscale());
  EXPECT_EQ(doc.Graph().Model().ScaleX(), 100);
  box->setCurrentIndex(0);
  EXPECT_TRUE(doc.Graph().Model().Autoscale());
  EXPECT_EQ(box->count(), 10);
}

TEST_F(TMainFormTest, TypingDoesNotApplyBeforeEnter)
{
  auto frame = MakeFrame();
  frame->show();
  frame->MF_NewClick();
  QComboBox* box = FocusedXScaleBox(*frame);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, QStringLiteral("20"));
  EXPECT_TRUE(Docs[0]->Graph().Model().Autoscale());
  EXPECT_EQ(Docs[0]->Graph().Model().ScaleX(), 100);
  QTest::keyClick(box, Qt::Key_Enter);
  EXPECT_FALSE(Docs[0]->Graph().Model().Autoscale());
  EXPECT_EQ(Docs[0]->Graph().Model().ScaleX(), 20);
}

TEST_F(TMainFormTest, ActiveDocumentMenusTakeTheFramesPlaceWithOneActionPerShortcut)
{
  auto frame = MakeFrame();
  frame->show();
  QMenuBar* bar = frame->menuBar();
  EXPECT_EQ(MenuTitles(bar), (QStringList{"&Plik", "Opc&je", "Pomoc", "Okno"}));
  auto frameShortcuts = ReachableShortcuts(bar);
  EXPECT_EQ(frameShortcuts.count(QStringLiteral("Ctrl+N")), 1u);
  EXPECT_EQ(frameShortcuts.find(QStringLiteral("Ctrl+N"))->second,
            frame->ActionByName(QStringLiteral("MF_New")));

  frame->MF_NewClick();
  frame->MF_NewClick();
  EXPECT_EQ(MenuTitles(bar), (QStringList{"&Plik", "&Wykres", "Opc&je", "Pomoc", "Okno"}));
  for (int active : {1, 0}) {
    frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList(QMdiArea::CreationOrder)[active]);
    const auto shortcuts = ReachableShortcuts(bar);
    for (const char* key : {"Ctrl+N", "Ctrl+O", "Ctrl+S", "Ctrl+P", "F1"})
      EXPECT_EQ(shortcuts.count(QString::fromLatin1(key)), 1u) << key;
    EXPECT_EQ(shortcuts.find(QStringLiteral("Ctrl+S"))->second->parent(), Docs[size_t(active)]->FileMenu);
  }
  // The last document closed: the frame's own menu is back.
  for (QMdiSubWindow* w : frame->MdiArea()->subWindowList())
    delete w;
  QCoreApplication::processEvents();
  EXPECT_EQ(MenuTitles(bar), (QStringList{"&Plik", "Opc&je", "Pomoc", "Okno"}));
  EXPECT_FALSE(frame->ActionByName(QStringLiteral("btnSave"))->isEnabled());
}

TEST_F(TMainFormTest, HintsGoToToolTipsAndTheStatusBar)
{
  auto frame = MakeFrame();
  QAction* load = frame->ActionByName(QStringLiteral("btnLoad"));
  EXPECT_EQ(load->toolTip(), QStringLiteral("Otworz"));
  EXPECT_EQ(load->statusTip(), QStringLiteral("Zaladuj plik z dysku"));
  QAction* print = frame->ActionByName(QStringLiteral("btnPrint"));
  EXPECT_EQ(print->toolTip(), QStringLiteral("Drukuj"));
  EXPECT_EQ(print->statusTip(), QStringLiteral("Drukuj"));
  QStatusTipEvent tip(load->statusTip());
  QCoreApplication::sendEvent(frame.get(), &tip);
  EXPECT_EQ(frame->StatusPanel(0)->text(), QStringLiteral("Zaladuj plik z dysku"));
  EXPECT_EQ(frame->StatusPanel(0)->width(), 200);
  EXPECT_EQ(frame->StatusPanel(1)->width(), 50);
}

TEST_F(TMainFormTest, ShutdownFreesDocumentsBeforeTheLink)
{
  bool hooked[2] = {false, false};
  {
    auto frame = MakeFrame();
    frame->MF_NewClick();
    frame->MF_NewClick();
    Docs[0]->LinkHookedAtDestruction = &hooked[0];
    Docs[1]->LinkHookedAtDestruction = &hooked[1];
  }
  EXPECT_TRUE(hooked[0]);
  EXPECT_TRUE(hooked[1]);
  EXPECT_TRUE(std::filesystem::exists(IniPath()));
}

TEST_F(TMainFormTest, CommunicationDialogOkTakesTheTimes)
{
  WriteIni("[kivssn]\nPort=\nTime_Out=500\nTimeSilence=300\n");
  auto frame = MakeFrame();
  frame->SetCommDialogRunner([](TCommDlg& dlg) {
    dlg.FormShow();
    EXPECT_EQ(dlg.TimeOutEdit()->value(), 500);
    EXPECT_EQ(dlg.TimeSilenceEdit()->value(), 300);
    dlg.TimeOutEdit()->setValue(800);
    dlg.TimeSilenceEdit()->setValue(25);
    dlg.TcpCheckBox()->click();
    dlg.TcpIpEdit()->setText(QStringLiteral("10.1.2.3"));
    dlg.TcpPortEdit()->setText(QStringLiteral("1502"));
    dlg.OKBtnClick();
    return dlg.result();
  });
  frame->CommSetupClick();
  EXPECT_EQ(frame->Config().Comm.Time_Out, 800);
  EXPECT_EQ(frame->Config().Comm.TimeSilence, 25);
  EXPECT_EQ(frame->TheLink().Rsd().ReadTotalTimeoutConstant(), 800);
  EXPECT_EQ(frame->TheLink().Rsd().SilenceTime(), 25);
  EXPECT_TRUE(frame->TheLink().Settings().MBTCPComm);
  EXPECT_EQ(frame->TheLink().Settings().MBTCPIP, "10.1.2.3");
  EXPECT_EQ(frame->TheLink().Settings().MBTCPPort, 1502);
  EXPECT_EQ(frame->TheLink().Settings().Time_Out, 800);
  EXPECT_FALSE(frame->TheLink().Rsd().IsOpen());
}

TEST_F(TMainFormTest, CommunicationDialogCancelRestoresEverything)
{
  WriteIni("[kivssn]\nPort=/nonexistent/ttyA\nSpeed=4\nTime_Out=500\n");
  auto frame = MakeFrame();
  frame->SetCommDialogRunner([](TCommDlg& dlg) {
    dlg.FormShow();
    dlg.TimeOutEdit()->setValue(1200);
    dlg.SpeedComboBox()->setCurrentIndex(8);
    dlg.PortComboBox()->setEditText(QStringLiteral("/nonexistent/ttyB"));
    dlg.ApplyPort();
    dlg.TcpCheckBox()->click();
    dlg.TcpPortEdit()->setText(QString());
    dlg.reject();
    return dlg.result();
  });
  frame->CommSetupClick();
  EXPECT_EQ(frame->TheLink().Rsd().CommPort(), "/nonexistent/ttyA");
  EXPECT_EQ(frame->TheLink().Rsd().BaudRate(), 4);
  EXPECT_EQ(frame->TheLink().Rsd().ReadTotalTimeoutConstant(), 500);
  EXPECT_EQ(frame->TheLink().Rsd().SilenceTime(), 10);
  EXPECT_FALSE(frame->Config().Comm.MBTCPComm);
  EXPECT_EQ(frame->Config().Comm.MBTCPPort, 502);
  EXPECT_EQ(frame->Config().Comm.Time_Out, 500);
}

TEST_F(TMainFormTest, AboutBoxRuns)
{
  auto frame = MakeFrame();
  QString title;
  frame->SetAboutRunner([&](QWidget& box) { title = box.windowTitle(); });
  frame->Oprogramie1Click();
  EXPECT_EQ(title, QStringLiteral("O programie"));
  // No help file: help does nothing.
  frame->C1Click();
  EXPECT_TRUE(Script.Records.empty());
}

namespace {
class TThrower : public QObject {
public:
  bool event(QEvent* e) override
  {
    if (e->type() == QEvent::User)
      throw std::runtime_error("boom");
    return QObject::event(e);
  }
};
}  // namespace

TEST(KivApplication, AnEscapedExceptionIsShownAndTheProgramGoesOn)
{
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  int argc = 1;
  char name[] = "tests_ui";
  char* argv[] = {name, nullptr};
  TKivApplication app(argc, argv);
  TScriptedPrompts script;
  IPrompts* prev = SetPrompts(&script);
  TThrower thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  QEvent again(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &again));
  SetPrompts(prev);
  EXPECT_EQ(script.Texts(TScriptedPrompts::TKind::Error), (std::vector<std::string>{"boom", "boom"}));
}

namespace {
// A pseudo-terminal whose slave side stands in for a serial port.
struct TPty {
  int Master = -1;
  std::string SlavePath;
  TPty()
  {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (Master >= 0 && ::grantpt(Master) == 0 && ::unlockpt(Master) == 0)
      SlavePath = ::ptsname(Master);
  }
  ~TPty()
  {
    if (Master >= 0)
      ::close(Master);
  }
};
}  // namespace

TEST_F(TMainFormTest, ShowingOpensThePortOnlyWithoutTcpAndThenRunsTheCommandLine)
{
  TPty pty;
  ASSERT_FALSE(pty.SlavePath.empty());
  for (int tcp : {0, 1}) {
    Docs.clear();
    WriteIni("[kivssn]\nPort=" + pty.SlavePath + "\nMBTCPComm=" + std::to_string(tcp) + "\n");
    auto frame = MakeFrame({"-kivtype", "kivs2"});
    frame->show();
    EXPECT_EQ(frame->TheLink().Rsd().IsOpen(), tcp == 0) << tcp;
    EXPECT_TRUE(Docs.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(Docs.size(), 1u);
    EXPECT_EQ(Docs[0]->Kiv().GetKivType(), 1);
  }
}

TEST_F(TMainFormTest, AShortcutReachesTheActiveDocumentOnly)
{
  auto frame = MakeFrame();
  frame->show();
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  frame->MF_NewClick();
  frame->MF_NewClick();
  for (int active : {0, 1}) {
    frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList(QMdiArea::CreationOrder)[active]);
    QCoreApplication::processEvents();
    Docs[0]->Calls.clear();
    Docs[1]->Calls.clear();
    QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Docs[size_t(active)]->Calls, std::vector<std::string>{"menu:Zapisz"}) << active;
    EXPECT_TRUE(Docs[size_t(1 - active)]->Calls.empty()) << active;
  }
  // Ctrl+N goes to the active document's "&Nowy", not to the frame's as well.
  const size_t before = Docs.size();
  QTest::keyClick(frame.get(), Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(Docs.size(), before);
  EXPECT_EQ(Docs[1]->Calls.back(), "menu:&Nowy");
}

TEST_F(TMainFormTest, RealDocumentWindowsShareNoShortcut)
{
  auto frame = MakeFrame({}, false);
  frame->SetDocumentFactory(
      [](IChildFrame& f, QMdiArea* parent) -> IChildOps* { return new TChildForm(f, parent); });
  frame->show();
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
  frame->MF_NewClick();
  frame->MF_NewClick();
  ASSERT_EQ(frame->Documents().size(), 2u);
  const auto shortcuts = ReachableShortcuts(frame->menuBar());
  for (const auto& [key, action] : shortcuts)
    EXPECT_EQ(shortcuts.count(key), 1u) << key.toStdString();
  // An unnamed document asks for a name: once, from the active window only.
  QTest::keyClick(frame.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::SaveFile).size(), 1u);
}
