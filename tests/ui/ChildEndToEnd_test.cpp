// The whole program's path through one document window against the simulated controller,
// over a pseudo-terminal (Modbus RTU) and over Modbus TCP: read, look at sequences, edit and
// write a set, read it back, save and reopen, print; and the faults a user meets: a silent
// controller, Cancel, a close attempt while a transfer runs.
#include <QApplication>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ChildTestSupport.h"
#include "PdfTools.h"
#include "QtTestApp.h"
#include "app/link/KivLink.h"
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/app/LinkTestSupport.h"
#include "tests/support/TempDir.h"

using childtest::TFakeFrame;

namespace {

class ChildEndToEnd : public TQtAppTest, public ::testing::WithParamInterface<TTransport> {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    childtest::SetFormats();
    SetPrompts(&Script);
    Frame.PdfFolder = Dir.Path();
    Device.Ident = "K3SIM-01";
    Device.Events = childtest::Model2Events();
    for (size_t i = 0; i < 512; ++i) {
      Device.Set(1)[i] = uint8_t(i * 7 + 1);
      Device.Set(2)[i] = uint8_t(i * 13 + 5);
    }
    std::string slave;
    uint16_t port = 0;
    ASSERT_TRUE(GetParam() == TTransport::Tcp ? Server.ListenTcp(0, port) : Server.OpenPty(slave));
    Pump.Install();
    TCommSettings s;
    s.Time_Out = 300;
    s.TimeSilence = 0;
    ASSERT_TRUE(ConnectLink(Link, GetParam(), s, slave, port));
    Frame.LinkPtr = &Link;
  }
  void TearDown() override
  {
    Pump.OnPump = nullptr;
    SetPrompts(nullptr);
    TQtAppTest::TearDown();
  }
  std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }

  static void TypeIntoCell(TChildForm& form, int row, int column, const QString& text)
  {
    auto* model = form.ZnsGrid->GridModel();
    const QModelIndex cell = model->index(row, column);
    form.ZnsGrid->setCurrentIndex(cell);
    form.ZnsGrid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(form.ZnsGrid->indexWidget(cell));
    ASSERT_NE(editor, nullptr);
    editor->setText(text);
  }
  static std::vector<std::string> MemoLines(TChildForm& form)
  {
    std::vector<std::string> lines;
    for (size_t i = 0; i < form.MessageMemo().LineCount(); ++i)
      lines.push_back(form.MessageMemo().Line(i));
    return lines;
  }

  TTempDir Dir;
  TScriptedPrompts Script;
  TFakeFrame Frame;
  TKivSimDevice Device;
  TKivSimServer Server{Device};
  TSimPump Pump{Server};
  TKivLink Link;
};

TEST_P(ChildEndToEnd, ReadEditWriteSaveReopenPrint)
{
  TChildForm form(Frame);
  form.resize(900, 600);
  form.show();
  form.ReadClick();
  const auto lines = MemoLines(form);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Identyfikacja automatu:KIVS-3");
  EXPECT_EQ(lines[1], "Odczyt zestawu nastaw 1 :OK");
  EXPECT_EQ(lines[2], "Odczyt zestawu nastaw 2 :OK");
  EXPECT_TRUE(std::equal(Device.Events.begin(), Device.Events.end(), form.Kiv().GetEvRegData()));
  EXPECT_FALSE(form.IsBusy());
  EXPECT_TRUE(form.Notebook1->isEnabled());

  // The sequences, one listing and its chart.
  ASSERT_EQ(form.EventsListBox->count(), 3);
  form.Notebook1->setCurrentIndex(0);
  const QString first = form.FMemo->toPlainText();
  form.EventsListBox->setCurrentRow(1);
  form.EventsListBoxClick(true);
  const QString second = form.FMemo->toPlainText();
  EXPECT_FALSE(second.isEmpty());
  EXPECT_NE(second, first);
  // The second sequence starts with a switchgear snapshot: breaker A closed.
  EXPECT_TRUE(second.contains(ToQ("WA-ZAŁĄCZONY"_cp))) << second.toStdString();
  EXPECT_GT(form.Graph().Model().TraceCount(), 0);

  // Set 1 edited in the grid, written into the device's set 2, read back.
  form.Notebook1->setCurrentIndex(1);
  TypeIntoCell(form, 0, 1, QStringLiteral("BEEF"));
  // The editor is still open: the write commits it first, so it goes with the set.
  Script.Answers.push_back(TPromptAnswer::Yes);
  form.ExecuteZnsCommand("ZNS1_2");
  EXPECT_EQ(form.Kiv().GetZns1Data()[0], 0xBE);
  EXPECT_EQ(Device.Set(2)[0], 0xBE);
  EXPECT_EQ(Device.Set(2)[1], 0xEF);
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).back(), "Zapis zestawu 1 do 2");
  EXPECT_EQ(MemoLines(form).back(), "Zapis zestawu nastaw 1 do 2: OK");
  const uint16_t size = form.Kiv().GetZns1Size();
  ASSERT_GT(size, 0);
  EXPECT_TRUE(std::equal(Device.Set(2).begin(), Device.Set(2).begin() + size, form.Kiv().GetZns1Data()));
  form.ReadClick();
  form.TabSet1->setCurrentIndex(1);
  EXPECT_EQ(form.GridCells().Cell(2, 1), "BEEF");

  // Saved, reopened: the same document.
  Frame.SaveAnswers = {Path("odczyt")};
  form.SaveAsClick();
  ASSERT_TRUE(std::filesystem::exists(Path("odczyt.kiv")));
  EXPECT_FALSE(form.Kiv().Modified());
  TChildForm reopened(Frame);
  ASSERT_TRUE(reopened.LoadFile(Path("odczyt.kiv")));
  EXPECT_TRUE(
      std::equal(form.Kiv().Image().begin(), form.Kiv().Image().end(), reopened.Kiv().Image().begin()));
  ASSERT_EQ(reopened.EventsListBox->count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(reopened.EventsListBox->item(i)->text(), form.EventsListBox->item(i)->text());

  // All four parts printed.
  reopened.EventsListBox->selectAll();
  Frame.PrintOptionAnswers = {0x0F};
  reopened.FilePrintClick(false);
  ASSERT_EQ(Frame.PdfFiles.size(), 6u);
  for (const std::string& pdf : Frame.PdfFiles)
    EXPECT_GE(std::atoi(pdftools::InfoField(pdftools::PdfInfo(pdf), "Pages").c_str()), 1) << pdf;
  EXPECT_EQ(pdftools::InfoField(pdftools::PdfInfo(Frame.PdfFiles[5]), "Title"),
            "odczyt.kiv-Sekwencja 3-Przebiegi");
  ASSERT_EQ(Frame.PrintedGrids.size(), 2u);
  EXPECT_EQ(Frame.PrintedGrids[1].second.Cell(2, 1), "BEEF");
}

TEST_P(ChildEndToEnd, ControlsAreGuardedDuringReadAndWrite)
{
  TChildForm form(Frame);
  form.show();
  struct TSeen {
    bool Any = false, Notebook = true, Read = true, Execute = true, Cancel = false, Closed = true,
         Save = true;
  };
  TSeen read, write;
  TSeen* seen = &read;
  Pump.OnPump = [&] {
    if (!form.IsBusy())
      return;
    seen->Any = true;
    seen->Notebook = seen->Notebook && form.Notebook1->isEnabled();
    seen->Read = seen->Read && form.Btn[0]->isEnabled();
    seen->Execute = seen->Execute && form.Btn[1]->isEnabled();
    seen->Cancel = seen->Cancel || form.Btn[2]->isEnabled();
    seen->Save = seen->Save && form.FileSaveAction->isEnabled() && form.FilePrintAction->isEnabled();
    if (seen == &write)
      seen->Closed = form.close();
  };
  form.ReadClick();
  EXPECT_TRUE(read.Any);
  EXPECT_FALSE(read.Notebook);
  EXPECT_FALSE(read.Read);
  EXPECT_FALSE(read.Execute);
  EXPECT_TRUE(read.Cancel);
  EXPECT_FALSE(read.Save);

  seen = &write;
  Script.Answers.push_back(TPromptAnswer::Yes);
  form.ExecuteZnsCommand("ZNS2_1");
  EXPECT_TRUE(write.Any);
  EXPECT_FALSE(write.Notebook);
  EXPECT_FALSE(write.Read);
  EXPECT_FALSE(write.Cancel);  // a set write is not cut short
  EXPECT_FALSE(write.Closed);  // nor closed under way
  EXPECT_FALSE(write.Save);
  EXPECT_GE(Frame.ToolbarUpdates, 4);  // the frame's buttons follow every start and end
  EXPECT_EQ(MemoLines(form).back(), "Zapis zestawu nastaw 2 do 1: OK");
  const uint16_t size = form.Kiv().GetZns2Size();
  EXPECT_TRUE(std::equal(Device.Set(1).begin(), Device.Set(1).begin() + size, form.Kiv().GetZns2Data()));
  EXPECT_TRUE(form.Notebook1->isEnabled());
  EXPECT_TRUE(form.Btn[0]->isEnabled());

  // Whatever escapes a write goes on to the application's handler, and the window is usable.
  Pump.OnPump = [] { throw std::runtime_error("przerwane"); };
  Script.Answers.push_back(TPromptAnswer::Yes);
  EXPECT_THROW(form.ExecuteZnsCommand("ZNS1_1"), std::runtime_error);
  Pump.OnPump = nullptr;
  EXPECT_FALSE(form.IsBusy());
  EXPECT_FALSE(Link.Busy());
  EXPECT_TRUE(form.Notebook1->isEnabled());
  EXPECT_TRUE(form.Btn[1]->isEnabled());
}

TEST_P(ChildEndToEnd, CancelAndCloseDuringARead)
{
  for (const bool byClose : {false, true}) {
    TChildForm form(Frame);
    form.show();
    bool acted = false;
    bool closed = true;
    const unsigned before = Device.RequestCount();
    Pump.OnPump = [&] {
      // Once the sets are in, during the event register.
      if (acted || !form.IsReading() || Device.RequestCount() < before + 3)
        return;
      acted = true;
      if (byClose)
        closed = form.close();
      else
        form.Btn[2]->click();
    };
    form.ReadClick();
    Pump.OnPump = nullptr;
    EXPECT_TRUE(acted);
    EXPECT_EQ(closed, !byClose);
    EXPECT_FALSE(form.IsBusy());
    EXPECT_TRUE(form.Notebook1->isEnabled());
    // The read stopped before the register's end.
    EXPECT_LT(Device.RequestCount() - before, 3u + 2u);
    EXPECT_GT(form.Kiv().GetZns1Size(), 0);
  }
}

TEST_P(ChildEndToEnd, SilentControllerLeavesTheDocumentAsItWas)
{
  TChildForm form(Frame);
  form.ReadClick();
  ASSERT_EQ(form.EventsListBox->count(), 3);
  const std::vector<uint8_t> before(form.Kiv().Image().begin(), form.Kiv().Image().end());
  const size_t linesBefore = form.MessageMemo().LineCount();
  // The next read's identification is answered, set 1 never.
  Device.Faults.push_back(*ParseSimFault(simfault::Set1ReadNeverAnswered));
  form.ReadClick();
  EXPECT_EQ(Device.Faults.back().Played, 5u);
  EXPECT_GT(form.MessageMemo().LineCount(), linesBefore);
  EXPECT_FALSE(form.IsBusy());
  const auto image = form.Kiv().Image();
  EXPECT_TRUE(
      std::equal(image.begin() + KivImage::EVREG_SIZE, image.end(), before.begin() + KivImage::EVREG_SIZE));
  EXPECT_EQ(form.EventsListBox->count(), 3);
}

TEST_P(ChildEndToEnd, ExceptionInAReadIsShownAndTheProgramGoesOn)
{
  TChildForm form(Frame);
  form.Kiv().OnCompleteZestawNastaw1 = [](TKiv&) { throw std::runtime_error("brak pamięci"); };
  form.ReadClick();
  const auto errors = Script.Texts(TScriptedPrompts::TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Exception in ReadFromKIV: brak pamięci");
  EXPECT_FALSE(form.IsBusy());
  EXPECT_TRUE(form.Notebook1->isEnabled());
  EXPECT_TRUE(form.Btn[0]->isEnabled());
  // The next read works.
  form.Kiv().OnCompleteZestawNastaw1 = nullptr;
  form.ReadClick();
  EXPECT_EQ(form.EventsListBox->count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Transports, ChildEndToEnd, ::testing::Values(TTransport::Rtu, TTransport::Tcp),
                         TransportName);

}  // namespace
