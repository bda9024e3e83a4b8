// The real main window with real document windows: new and command-line documents, the
// menus swapped in, the tool buttons routed, the window close questions reached through the
// frame.
#include <QAction>
#include <QDir>
#include <QTabWidget>
#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include "ChildTestSupport.h"
#include "PdfTools.h"
#include "tests/ui/MenuTools.h"
#include "QtTestApp.h"
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/ChildMemo.h"
#include "app/ui/Fileprop.h"
#include "app/ui/Main.h"
#include "app/ui/Pagedlg.h"
#include "app/ui/Params.h"
#include "platform/qt/QtPump.h"
#include "platform/qt/QtText.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/app/DocTestSupport.h"
#include "tests/ui/DialogTools.h"
#include "tests/ui/ProgramFrame.h"
#include "tests/platform/SpecialFiles.h"
#include "tests/sim/KivSimProcess.h"

namespace {

class ChildMain : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    childtest::SetFormats();
    FPrevious = SetPrompts(&Script);
    std::filesystem::create_directories(Dir.File("bin"));
    for (const char* f : {"Kivs2.set", "Kivs3.set"})
      std::filesystem::copy_file(std::string(KIV_SOURCE_DIR) + "/data/" + f,
                                 Dir.File(std::string("bin/") + f));
  }
  void TearDown() override
  {
    SetPrompts(FPrevious);
    TQtAppTest::TearDown();
  }
  std::unique_ptr<TMainForm> MakeFrame(std::vector<std::string> params = {})
  {
    auto frame = programtest::NewFrame(Dir, "cfg/kiv.ini", std::move(params));
    frame->SetNoticeHandler(
        [this](const QString& text, const QString&) { Notices.push_back(text.toStdString()); });
    return frame;
  }

  // kivsim on TCP, and kiv.ini pointing the program at it with short silences.
  void StartSim(TKivSimProcess& sim)
  {
    const std::string kivsim = std::string(KIV_BINARY_DIR) + "/tests/sim/kivsim";
    ASSERT_TRUE(std::filesystem::exists(kivsim));
    ASSERT_TRUE(
        sim.Start(kivsim, {"--events", std::string(KIV_SOURCE_DIR) + "/tests/tools/listing_model2.buf",
                           "--ident", "K3DEMO-01"}));
    std::filesystem::create_directories(Dir.File("cfg"));
    Dir.Write("cfg/kiv.ini", "[kivssn]\nMBTCPComm=1\nMBTCPIP=127.0.0.1\nMBTCPPort=" +
                                 std::to_string(sim.TcpPort) + "\nTime_Out=500\nTimeSilence=20\n");
  }
  static TChildForm* Form(IChildOps* doc) { return dynamic_cast<TChildForm*>(doc); }

  TTempDir Dir;
  TScriptedPrompts Script;
  std::vector<std::string> Notices;

private:
  IPrompts* FPrevious = nullptr;
};

TEST_F(ChildMain, NewDocumentsMenusAndShortcuts)
{
  auto frame = MakeFrame();
  frame->show();
  QApplication::processEvents();
  frame->MF_NewClick();
  frame->MF_NewClick();
  QApplication::processEvents();
  const auto docs = frame->Documents();
  ASSERT_EQ(docs.size(), 2u);
  // Numbered from 1: the window itself takes no number.
  EXPECT_EQ(docs[0]->DocumentName(), "Dokument1.kiv");
  EXPECT_EQ(docs[1]->DocumentName(), "Dokument2.kiv");
  EXPECT_EQ(docs[1]->Widget()->windowTitle().toStdString(), "Dokument2");
  EXPECT_EQ(frame->ActiveDocument(), docs[1]);
  // The active document's menus are in the menu bar, each shortcut reachable once.
  const QStringList titles = MenuTitles(frame->menuBar());
  const auto shortcuts = ReachableShortcuts(frame->menuBar());
  EXPECT_TRUE(titles.contains(QStringLiteral("&Wykres"))) << titles.join(',').toStdString();
  const auto menus = docs[1]->Menus();
  bool found = false;
  for (QAction* a : frame->menuBar()->actions())
    found = found || a->menu() == menus[0];
  EXPECT_TRUE(found);
  for (const QString& key : {QStringLiteral("Ctrl+S"), QStringLiteral("Ctrl+P")})
    EXPECT_LE(shortcuts.count(key), 1u) << key.toStdString();
}

// Records the caption of the document window in the MDI area each time an error is shown.
class TCaptionAtErrorPrompts : public TScriptedPrompts {
public:
  explicit TCaptionAtErrorPrompts(TMainForm*& frame) : FFrame(frame) {}
  void Error(const std::string& text) override
  {
    QMdiSubWindow* sub = FFrame ? FFrame->MdiArea()->currentSubWindow() : nullptr;
    Captions.push_back(sub ? sub->windowTitle().toStdString() : "<no window>");
    TScriptedPrompts::Error(text);
  }
  std::vector<std::string> Captions;

private:
  TMainForm*& FFrame;
};

// The message for a .kiv file that could not be read (paths are native text).
std::string CannotLoad(const std::string& path)
{
  return Utf8ToCp1250("Nie udało się załadować pliku: " + path);
}

TEST_F(ChildMain, AFailedLoadNeverLeavesTheWindowWithoutACaption)
{
  struct Case {
    const char* File;
    std::string Content;
    std::string Message;
  };
  const std::vector<Case> cases{
      {"random.kiv", std::string(3000, '\x5a'), "Nieznany format pliku"},
      {"short.kiv", "KIVS-3 no data", "Nieznany format pliku"},
      {"empty.kiv", "", "Nieznany format pliku"},  // neither layout
  };
  for (const Case& c : cases) {
    const std::string path = Dir.File(c.File);
    std::ofstream(path, std::ios::binary) << c.Content;
    TMainForm* shown = nullptr;
    TCaptionAtErrorPrompts prompts(shown);
    SetPrompts(&prompts);
    auto frame = MakeFrame({path});
    shown = frame.get();
    frame->show();
    QApplication::processEvents();
    frame->ProcessCommandLine();
    QApplication::processEvents();
    SetPrompts(&Script);
    // While a failure is reported, the window shows which file it is about.
    EXPECT_EQ(prompts.Texts(TScriptedPrompts::TKind::Error), std::vector<std::string>{c.Message}) << c.File;
    for (const std::string& caption : prompts.Captions)
      EXPECT_EQ(caption, path) << c.File;
    const auto docs = frame->Documents();
    ASSERT_EQ(docs.size(), 1u) << c.File;
    auto* form = dynamic_cast<TChildForm*>(docs[0]);
    ASSERT_NE(form, nullptr);
    // Afterwards it is an unnamed document with the next free name, never the file's.
    EXPECT_FALSE(form->HasName()) << c.File;
    EXPECT_EQ(form->DocumentName(), "Dokument1.kiv") << c.File;
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->windowTitle().toStdString(), "Dokument1") << c.File;
    EXPECT_EQ(std::filesystem::file_size(path), c.Content.size());
  }
}

TEST_F(ChildMain, OpeningAnEmptyOrUnreadableFileSaysWhy)
{
  const std::string fifo = MakeFifo(Dir.File("fifo.kiv"));
  const std::string folder = Dir.File("folder.kiv");
  std::filesystem::create_directory(folder);
  const std::string empty = Dir.File("empty.kiv");
  std::ofstream(empty, std::ios::binary).flush();
  const std::string missing = Dir.File("missing.kiv");
  struct Case {
    std::string File;
    std::string Message;
  };
  const Case cases[] = {
      {empty, "Nieznany format pliku"},
      {fifo, CannotLoad(fifo)},  // no writer: refused at once, never waited on
      {folder, CannotLoad(folder)},
      {missing, CannotLoad(missing)},
  };
  const THangGuard guard;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    auto frame = MakeFrame();
    frame->show();
    QApplication::processEvents();
    frame->MF_NewClick();
    QApplication::processEvents();
    // "&Otwórz" of the document's own "&Plik" menu, and the file chosen in the open dialog.
    QAction* open = nullptr;
    for (QAction* title : frame->menuBar()->actions())
      if (QMenu* menu = title->menu())
        for (QAction* a : menu->actions())
          if (a->text() == ToQ("&Otwórz"_cp))
            open = a;
    ASSERT_NE(open, nullptr);
    Script.Clear();
    Script.Files.push_back(c.File);
    open->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Error), std::vector<std::string>{c.Message});
    const auto docs = frame->Documents();
    ASSERT_EQ(docs.size(), 2u);
    auto* form = dynamic_cast<TChildForm*>(docs[1]);
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->HasName());
    EXPECT_EQ(form->DocumentName(), "Dokument2.kiv");
    EXPECT_EQ(form->windowTitle().toStdString(), "Dokument2");
    EXPECT_FALSE(form->Kiv().Modified());
    EXPECT_EQ(form->Kiv().GetKivType(), 0);
    // No load event reached the window: its list of sequences still says nothing was read.
    ASSERT_EQ(form->EventsListBox->count(), 1);
    EXPECT_EQ(form->EventsListBox->item(0)->text(), QStringLiteral("Nie odczytany"));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  }
}

// The "Zakoncz" items the menu bar shows, each with whether it is enabled.
std::vector<std::pair<QAction*, bool>> ShownExitItems(QMenuBar* bar)
{
  std::vector<std::pair<QAction*, bool>> found;
  for (QAction* title : bar->actions())
    if (QMenu* menu = title->menu())
      for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("Zakoncz"))
          found.emplace_back(a, a->isEnabled());
  return found;
}

TEST_F(ChildMain, ExitIsReachableFromTheDocumentMenuAndClosesTheProgram)
{
  struct Case {
    int Documents;
    bool Modified;
    TPromptAnswer Answer;  // to the close question of a modified document
    bool Closes;
  };
  const Case cases[] = {
      {0, false, TPromptAnswer::Cancel, true},
      {1, false, TPromptAnswer::Cancel, true},
      {2, false, TPromptAnswer::Cancel, true},
      {1, true, TPromptAnswer::Cancel, false},  // Cancel keeps the program and the document
      {1, true, TPromptAnswer::No, true},
  };
  for (const Case& c : cases) {
    auto frame = MakeFrame();
    frame->show();
    QApplication::processEvents();
    for (int i = 0; i < c.Documents; ++i)
      frame->MF_NewClick();
    QApplication::processEvents();
    if (c.Modified)
      frame->Documents().back()->Kiv().SetModified(true);
    // One exit command is shown, and it can be used, whichever "&Plik" menu is in the bar.
    const auto items = ShownExitItems(frame->menuBar());
    ASSERT_EQ(items.size(), 1u) << c.Documents;
    EXPECT_TRUE(items[0].second) << c.Documents;
    Script.Clear();
    Script.Answers.push_back(c.Answer);
    items[0].first->trigger();
    QApplication::processEvents();
    EXPECT_EQ(frame->isVisible(), !c.Closes) << c.Documents << c.Modified;
    EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), c.Modified ? 1u : 0u) << c.Documents;
    if (!c.Closes) {
      EXPECT_EQ(frame->Documents().size(), size_t(c.Documents));
      frame->Documents().back()->Kiv().SetModified(false);
    }
  }
}

TEST_F(ChildMain, EndingTheProgramAsksEveryWindowBeforeClosingAny)
{
  // Three documents: the first modified, the second not, the third reading when the close
  // is asked for (by "Zakoncz" or by the frame's close button, as the window system sends it).
  TKivSimProcess sim;
  StartSim(sim);
  TQtPumpInstaller pump;
  struct Case {
    const char* Name;
    bool FrameButton;
    bool Reading;
    TPromptAnswer Answer;  // to the first document's "Zachować zmiany ?"
    bool Ends;
  };
  const Case cases[] = {
      // The reading window refuses (and stops its read) after the first said No: nothing
      // closes, and the first keeps its changes.
      {"exit-reading-no", false, true, TPromptAnswer::No, false},
      // Cancel ends the asking: the reading window is not asked, its read goes on.
      {"button-reading-cancel", true, true, TPromptAnswer::Cancel, false},
      // Everyone agrees: all close, and nobody is asked twice.
      {"button-no", true, false, TPromptAnswer::No, true},
      {"exit-yes", false, false, TPromptAnswer::Yes, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    auto frame = MakeFrame();
    frame->show();
    QApplication::processEvents();
    for (int i = 0; i < 3; ++i)
      frame->MF_NewClick();
    const auto docs = frame->Documents();
    ASSERT_EQ(docs.size(), 3u);
    QPointer<TChildForm> forms[3];
    for (int i = 0; i < 3; ++i)
      forms[i] = Form(docs[size_t(i)]);
    forms[0]->Kiv().SetIdent("ZMIANA");
    forms[0]->Kiv().SetModified(true);
    const std::string saved = Dir.File(std::string(c.Name) + ".kiv");
    Script.Clear();
    Script.Answers.push_back(c.Answer);
    if (c.Answer == TPromptAnswer::Yes)
      Script.Files.push_back(saved);
    bool readingWhenAsked = false;
    const auto askToEnd = [&] {
      readingWhenAsked = forms[2]->IsReading();
      if (c.FrameButton) {
        frame->windowHandle()->close();
      } else {
        const auto exits = ShownExitItems(frame->menuBar());
        ASSERT_EQ(exits.size(), 1u);
        exits[0].first->trigger();
      }
    };
    if (c.Reading) {
      QObject scope;  // not the frame, which outlives what the question writes to
      QTimer::singleShot(0, &scope, askToEnd);
      forms[2]->ReadClick();
      EXPECT_TRUE(readingWhenAsked);
    } else {
      askToEnd();
    }
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // One question, for the one modified document: never asked again.
    EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), 1u);
    EXPECT_EQ(frame->isVisible(), !c.Ends);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(forms[i].isNull(), c.Ends) << i;
    EXPECT_EQ(frame->MdiArea()->subWindowList().size(), c.Ends ? 0 : 3);
    EXPECT_EQ(std::filesystem::exists(saved), c.Answer == TPromptAnswer::Yes);
    if (c.Ends)
      continue;
    for (const auto& f : forms)
      ASSERT_FALSE(f.isNull());
    EXPECT_TRUE(forms[0]->Kiv().Modified());
    EXPECT_EQ(forms[0]->Kiv().GetIdent(), "ZMIANA");
    const TMemoMessage& memo = forms[2]->MessageMemo();
    ASSERT_GT(memo.LineCount(), 0u);
    const bool cancelled = memo.Line(memo.LineCount() - 1) == "Odczyt anulowany";
    EXPECT_EQ(cancelled, c.Answer == TPromptAnswer::No);
    if (!cancelled) {
      EXPECT_EQ(forms[2]->EventsListBox->count(), 2);  // the read went on to its end
    }
    for (auto& f : forms)
      f->Kiv().SetModified(false);
  }
  std::string rest;
  EXPECT_EQ(sim.Process.StopKeepingOutput(rest), 0);
}

TEST_F(ChildMain, WhileOneDocumentHoldsTheLinkTheOthersOfferNoReadOrWrite)
{
  TKivSimProcess sim;
  StartSim(sim);
  TQtPumpInstaller pump;
  auto frame = MakeFrame();
  frame->show();
  QApplication::processEvents();
  frame->MF_NewClick();
  frame->MF_NewClick();
  frame->ile1Click();
  QApplication::processEvents();
  const auto docs = frame->Documents();
  ASSERT_EQ(docs.size(), 2u);
  TChildForm* reader = Form(docs[0]);
  TChildForm* other = Form(docs[1]);
  ASSERT_EQ(other->Notebook1->currentIndex(), 2);
  QTreeWidgetItem* command = other->cmdOutline->topLevelItem(0)->child(0);
  const auto doubleClick = [&] {
    other->cmdOutline->scrollToItem(command);
    QTest::mouseDClick(other->cmdOutline->viewport(), Qt::LeftButton, {},
                       other->cmdOutline->visualItemRect(command).center());
  };

  bool held = false, readerCancels = false, otherRead = true, otherExecute = true;
  size_t asked = 99, otherLines = 99;
  QObject scope;  // not the frame: it outlives the flags
  QTimer::singleShot(0, &scope, [&] {
    held = frame->TheLink().Busy() && frame->TheLink().Holder() == &reader->Kiv();
    readerCancels = reader->Btn[2]->isEnabled();
    otherRead = other->Btn[0]->isEnabled();
    otherExecute = other->Btn[1]->isEnabled();
    // What the user can still reach in the other window: the command tree.
    doubleClick();
    other->Btn[1]->click();
    other->Btn[0]->click();
    asked = Script.Texts(TScriptedPrompts::TKind::Confirm).size();
    otherLines = other->MessageMemo().LineCount();
  });
  reader->ReadClick();
  ASSERT_TRUE(held);  // the check ran while the first document held the link
  EXPECT_TRUE(readerCancels);
  EXPECT_FALSE(otherRead);
  EXPECT_FALSE(otherExecute);
  EXPECT_EQ(asked, 0u);  // no "Potwierdź wykonanie polecenia" for a write that cannot be sent
  EXPECT_EQ(otherLines, 0u);
  EXPECT_EQ(reader->MessageMemo().Line(0), "Identyfikacja automatu:KIVS-3");
  EXPECT_EQ(reader->EventsListBox->count(), 2);

  // The link given back, the other window's commands are there again.
  EXPECT_FALSE(frame->TheLink().Busy());
  EXPECT_TRUE(other->Btn[0]->isEnabled());
  EXPECT_TRUE(other->Btn[1]->isEnabled());
  Script.Answers.push_back(TPromptAnswer::No);
  doubleClick();
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm), std::vector<std::string>{"Zapis zestawu 1"});
  std::string rest;
  EXPECT_EQ(sim.Process.StopKeepingOutput(rest), 0);
}

TEST_F(ChildMain, OnePrintCommandWithoutAPrinterSaysSoOnce)
{
  // The system's printer with no print system behind it, and no default printer.
  const std::string path = Dir.File("trzy.kiv");
  ASSERT_TRUE(childtest::SaveModel2Document(path, std::string(KIV_SOURCE_DIR) + "/data"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString());
  auto frame = MakeFrame({path});
  frame->SetPrinter(&printer);
  frame->SetDefaultPrinterQuery([] { return false; });
  int dialogs = 0;
  frame->PrintOptions().SetRunner([&](TPageDlgFrm& dialog) {
    ++dialogs;
    for (int bit = 0; bit < 4; ++bit)
      dialog.FlagBox(bit)->setChecked(true);
    return int(QDialog::Accepted);
  });
  frame->show();
  QApplication::processEvents();
  frame->ProcessCommandLine();
  QApplication::processEvents();
  ASSERT_EQ(frame->Documents().size(), 1u);
  TChildForm* form = Form(frame->Documents()[0]);
  ASSERT_EQ(form->EventsListBox->count(), 3);
  form->EventsListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (int i = 0; i < 3; ++i)
    form->EventsListBox->item(i)->setSelected(true);

  // The menu's "Drukuj" (listings, charts and both grids), then the tool button.
  form->FilePrintAction->trigger();
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(form->PrintFlags(), 0x0F);
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm),
            std::vector<std::string>{"Brak domyślnej drukarki"_cp});
  frame->ActionByName(QStringLiteral("btnPrint"))->trigger();
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), 2u);
  EXPECT_NE(printer.printerState(), QPrinter::Active);
  EXPECT_FALSE(form->IsBusy());
  EXPECT_TRUE(form->Btn[0]->isEnabled());
}

TEST_F(ChildMain, CommandLineDocumentShowsItsSequences)
{
  const std::string buf = std::string(KIV_SOURCE_DIR) + "/tests/tools/listing_model2.buf";
  auto frame = MakeFrame({"-buffile", buf, "-kivtype", "kivs3"});
  frame->show();
  QApplication::processEvents();
  frame->ProcessCommandLine();
  QApplication::processEvents();
  const auto docs = frame->Documents();
  ASSERT_EQ(docs.size(), 1u);
  auto* form = dynamic_cast<TChildForm*>(docs[0]);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->DocumentName(), buf);
  EXPECT_EQ(form->EventsListBox->count(), 2);
  EXPECT_EQ(form->EventsListBox->currentRow(), 0);
  EXPECT_FALSE(form->Kiv().Modified());
  // A picture of the whole program with the document, for a person to look at.
  frame->resize(1100, 760);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
    sub->showMaximized();
  form->Notebook1->setCurrentIndex(0);
  QApplication::processEvents();
  const QString out = QString::fromUtf8(KIV_BINARY_DIR) + "/screenshots";
  QDir().mkpath(out);
  EXPECT_TRUE(frame->grab().save(out + "/main-with-document.png"));
  // The tool buttons reach the window: the views.
  frame->SetViewClick(2);
  EXPECT_EQ(form->View(), 2);
  // Closing the frame asks for the modified document, and Cancel keeps both.
  form->Kiv().SetModified(true);
  Script.Answers.push_back(TPromptAnswer::Cancel);
  EXPECT_FALSE(frame->close());
  EXPECT_EQ(frame->Documents().size(), 1u);
  form->Kiv().SetModified(false);
}

TEST_F(ChildMain, PrintingBeforeAPrinterIsChosenLeavesThePrinterUsable)
{
  // Without a print system the program's printer is a PDF printer without a file. Printing
  // then must start no job: a job that fails to start leaves the printer stuck, and the file
  // chosen afterwards in the printer set-up would never be taken.
  const std::string buf = std::string(KIV_SOURCE_DIR) + "/tests/tools/listing_model2.buf";
  const std::string pdf = Dir.File("out.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString());
  auto frame = MakeFrame({"-buffile", buf, "-kivtype", "kivs3"});
  frame->SetPrinter(&printer);
  frame->SetPrinterSetupRunner([&](QPrinter& p) {
    p.setOutputFileName(QString::fromStdString(pdf));
    return true;
  });
  frame->show();
  QApplication::processEvents();
  frame->ProcessCommandLine();
  QApplication::processEvents();
  ASSERT_EQ(frame->Documents().size(), 1u);
  auto* form = dynamic_cast<TChildForm*>(frame->Documents()[0]);
  ASSERT_NE(form, nullptr);
  ASSERT_GT(form->EventsListBox->count(), 0);

  form->FilePrintClick(true);
  EXPECT_NE(printer.printerState(), QPrinter::Active);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  if (QPrinterInfo::defaultPrinter().isNull()) {
    EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm),
              std::vector<std::string>{"Brak domyślnej drukarki"_cp});
  }

  ASSERT_TRUE(frame->PrinterSetupDialog());
  EXPECT_EQ(printer.outputFileName().toStdString(), pdf);
  // The tool button prints the listing and the chart: two jobs, so two files, none written
  // over the other; the printer keeps the file chosen.
  ASSERT_NE(form->PrintFlags() & 1, 0);
  ASSERT_NE(form->PrintFlags() & 2, 0);
  form->FilePrintClick(true);
  const std::string second = Dir.File("out-2.pdf");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  ASSERT_TRUE(std::filesystem::exists(second));
  EXPECT_NE(pdftools::PdfText(pdf).find("STAN POCZ"), std::string::npos);
  EXPECT_EQ(pdftools::PdfText(second).find("STAN POCZ"), std::string::npos);
  EXPECT_NE(pdftools::InfoField(pdftools::PdfInfo(second), "Pages"), "");
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out-3.pdf")));
  EXPECT_EQ(printer.outputFileName().toStdString(), pdf);
}

TEST_F(ChildMain, ReadmeJourneyOverTcpFromTheCommunicationDialogToKivIni)
{
  // What the README walks a newcomer through, with kivsim as a program of its own: point the
  // program at it in "Komunikacja", open a new document, read, look at the sequences, write
  // set 1 into set 2; the link settings are in kiv.ini at the end.
  const std::string kivsim = std::string(KIV_BINARY_DIR) + "/tests/sim/kivsim";
  ASSERT_TRUE(std::filesystem::exists(kivsim));
  TKivSimProcess sim;
  ASSERT_TRUE(sim.Start(kivsim, {"--events", std::string(KIV_SOURCE_DIR) + "/tests/tools/listing_model2.buf",
                                 "--ident", "K3DEMO-01", "--dump-sets", Dir.Path()}));
  const std::string port = std::to_string(sim.TcpPort);
  TQtPumpInstaller pump;
  {
    auto frame = MakeFrame();
    frame->show();
    QApplication::processEvents();
    frame->SetCommDialogRunner([&](TCommDlg& dlg) {
      dlg.FormShow();
      if (!dlg.TcpCheckBox()->isChecked())
        dlg.TcpCheckBox()->click();
      dlg.TcpIpEdit()->setText(QStringLiteral("127.0.0.1"));
      dlg.TcpPortEdit()->setText(QString::fromStdString(port));
      dlg.OKBtnClick();
      return dlg.result();
    });
    frame->CommSetupClick();
    frame->MF_NewClick();
    ASSERT_EQ(frame->Documents().size(), 1u);
    auto* form = dynamic_cast<TChildForm*>(frame->Documents()[0]);
    ASSERT_NE(form, nullptr);
    form->ReadClick();
    ASSERT_GE(form->MessageMemo().LineCount(), 4u);
    EXPECT_EQ(form->MessageMemo().Line(0), "Identyfikacja automatu:KIVS-3");
    EXPECT_EQ(form->MessageMemo().Line(1), "Odczyt zestawu nastaw 1 :OK");
    EXPECT_EQ(form->MessageMemo().Line(2), "Odczyt zestawu nastaw 2 :OK");
    EXPECT_EQ(form->EventsListBox->count(), 2);
    form->Kiv().GetZns1Data()[0] = 0x5A;
    Script.Answers.push_back(TPromptAnswer::Yes);
    form->ExecuteZnsCommand("ZNS1_2");
    EXPECT_EQ(form->MessageMemo().Line(form->MessageMemo().LineCount() - 1),
              "Zapis zestawu nastaw 1 do 2: OK");
    form->Kiv().SetModified(false);
  }
  std::string rest;
  EXPECT_EQ(sim.Process.StopKeepingOutput(rest), 0);
  std::ifstream set2(Dir.File("set2.bin"), std::ios::binary);
  EXPECT_EQ(set2.get(), 0x5A);
  std::ifstream ini(Dir.File("cfg/kiv.ini"));
  const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("MBTCPComm=1"), std::string::npos) << text;
  EXPECT_NE(text.find("MBTCPIP=127.0.0.1"), std::string::npos) << text;
  EXPECT_NE(text.find("MBTCPPort=" + port), std::string::npos) << text;
}

}  // namespace

namespace {

// The last of a widget's actions with the given text, or null.
QAction* ActionNamed(const QWidget* w, const QString& text)
{
  QAction* found = nullptr;
  for (QAction* a : w->actions())
    if (a->text() == text)
      found = a;
  return found;
}

// Opens a menu of the menu bar and clicks one of its items, as a user does with the mouse.
void ClickMenuItem(QMenuBar* bar, const QString& title, const QString& item)
{
  QAction* top = ActionNamed(bar, title);
  ASSERT_NE(top, nullptr) << title.toStdString();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
  QMenu* menu = top->menu();
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu)) << title.toStdString();
  QAction* target = ActionNamed(menu, item);
  ASSERT_NE(target, nullptr) << item.toStdString();
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
  QApplication::processEvents();
}

// Works a modal dialog that a later click opens: the dialog is looked for until it is there
// (the clicks themselves run events, so a dialog looked for at once would not be open yet).
// The poll belongs to scope, which the test declares after what work writes to: a poll still
// running when the test ends goes with it.
template <class TDialog>
void WhenModalDialogOpens(QObject& scope, const std::function<void(TDialog&)>& work)
{
  auto* poll = new QTimer(&scope);
  auto polls = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [poll, polls, work] {
    const bool open = qobject_cast<TDialog*>(QApplication::activeModalWidget()) != nullptr;
    if (!open && ++*polls < 500)
      return;
    poll->stop();
    poll->deleteLater();
    if (open)
      OnModalDialog<TDialog>(work);
    else
      ADD_FAILURE() << "the dialog never opened";
  });
  poll->start(10);
}

TEST_F(ChildMain, TileKeepsTheFrameAndScrollsToWhatDoesNotFit)
{
  struct TCase {
    int Windows;
    bool Fit;  // whether the tiles can take the windows at their minimum size
  };
  const TCase cases[] = {{2, true}, {8, false}, {12, false}};
  for (const TCase& c : cases) {
    auto frame = MakeFrame();
    frame->resize(1400, 950);
    frame->move(50, 20);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    for (int i = 0; i < c.Windows; ++i)
      frame->MF_NewClick();
    QApplication::processEvents();
    const QRect before = frame->geometry();
    const QRect beforeOuter = frame->frameGeometry();
    TLogoMdiArea* area = frame->MdiArea();
    const QSize room = area->viewport()->size();

    ClickMenuItem(frame->menuBar(), QStringLiteral("Okno"), QStringLiteral("Tile"));

    EXPECT_EQ(frame->geometry(), before) << c.Windows;
    EXPECT_EQ(frame->frameGeometry(), beforeOuter) << c.Windows;
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), c.Windows);
    QRect used;
    QSize minimum(0, 0);
    for (QMdiSubWindow* w : windows) {
      used |= w->geometry();
      minimum = minimum.expandedTo(w->minimumSizeHint());
      // No window is laid over another.
      for (QMdiSubWindow* o : windows) {
        if (o != w) {
          EXPECT_FALSE(o->geometry().intersects(w->geometry())) << c.Windows;
        }
      }
    }
    const int columns = c.Windows == 2 ? 2 : (c.Windows == 8 ? 3 : 4);
    const int rows = c.Windows == 2 ? 1 : 3;
    EXPECT_EQ(minimum.width() * columns <= room.width() && minimum.height() * rows <= room.height(), c.Fit)
        << c.Windows;
    for (QMdiSubWindow* w : windows) {
      EXPECT_GE(w->width(), w->minimumSizeHint().width());
      EXPECT_GE(w->height(), w->minimumSizeHint().height());
    }
    const bool scrolls =
        area->horizontalScrollBar()->maximum() > 0 || area->verticalScrollBar()->maximum() > 0;
    if (c.Fit) {
      // The tiles cover the area as it is, and nothing needs scrolling.
      EXPECT_EQ(used.topLeft(), QPoint(0, 0));
      EXPECT_LE(used.right(), room.width());
      EXPECT_GE(used.right(), room.width() - columns);
      EXPECT_FALSE(scrolls);
    } else {
      // What lies beyond the area is reached by scrolling to it.
      EXPECT_TRUE(scrolls) << c.Windows;
      QScrollBar* bar = area->horizontalScrollBar()->maximum() > 0 ? area->horizontalScrollBar()
                                                                   : area->verticalScrollBar();
      EXPECT_TRUE(bar->isVisible());
      bar->setValue(bar->maximum());
      QApplication::processEvents();
      const QRect last = windows.back()->geometry();
      EXPECT_TRUE(area->viewport()->rect().intersects(last)) << c.Windows;
    }
  }
}

TEST_F(ChildMain, EditingTheStationTextKeepsTheBytesTheUserDidNotTouch)
{
  // A station text with a byte the code page gives no letter, and Polish letters around it.
  const std::string station = std::string("GPZ \x98ywiec ") + "ąę"_cp + " 1";
  const std::string path = Dir.File("gpz.kiv");
  {
    TKiv kiv;
    kiv.SetInstallDir(Dir.File("bin"));
    kiv.SetIdent("K3GPZ-01");
    kiv.SetKivType(2);
    kiv.SetStationInfo(station);
    ASSERT_TRUE(kiv.SaveToFile(path));
  }
  const auto readFile = [](const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string before = readFile(path);
  ASSERT_GT(before.size(), 40 + station.size() + 1);
  ASSERT_EQ(before.substr(40, station.size() + 1), station + '\0');

  auto frame = MakeFrame({path});
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  frame->ProcessCommandLine();
  QApplication::processEvents();
  ASSERT_EQ(frame->Documents().size(), 1u);
  TKiv& kiv = frame->Documents()[0]->Kiv();
  EXPECT_FALSE(kiv.Modified());

  QString shown;
  const std::function<void(TFileInfoDlg&)> work = [&shown](TFileInfoDlg& d) {
    shown = d.StationEdit()->text();
    ClickInto(d.StationEdit(), d.StationEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("X"));
    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
  };
  QObject scope;
  WhenModalDialogOpens<TFileInfoDlg>(scope, work);
  ClickMenuItem(frame->menuBar(), QStringLiteral("&Plik"), QStringLiteral("Wlasciwosci"));
  // The byte without a letter shows as the control character of its own value.
  EXPECT_EQ(shown, QStringLiteral("GPZ ") + QChar(0x98) + QString::fromUtf8("ywiec ąę 1"));
  EXPECT_TRUE(kiv.Modified());
  EXPECT_EQ(kiv.GetStationInfo(), station + "X");

  ClickMenuItem(frame->menuBar(), QStringLiteral("&Plik"), QStringLiteral("Zapi&sz"));
  EXPECT_FALSE(kiv.Modified());
  const std::string after = readFile(path);
  ASSERT_EQ(after.size(), before.size());
  // Only the end of the text changed: the added letter took the place of the terminator.
  std::string expected = before;
  expected[40 + station.size()] = 'X';
  expected[40 + station.size() + 1] = '\0';
  EXPECT_EQ(after.substr(40, 100), expected.substr(40, 100));
  EXPECT_TRUE(after == expected);
}

}  // namespace
