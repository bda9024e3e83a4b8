// The document window on Qt's offscreen platform, with a fake main window and scripted
// prompts: page buttons, read options, views, the grid's editing, files, closing, printing.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "ChildTestSupport.h"
#include "PdfTools.h"
#include "QtTestApp.h"
#include "app/logic/DocNameLogic.h"
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "platform/qt/QtText.h"
#include "charts/ui/Graph.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/support/TempDir.h"

using childtest::TFakeFrame;

namespace {

class ChildForm : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    childtest::SetFormats();
    SetPrompts(&Script);
    Frame.PdfFolder = Dir.Path();
  }
  void TearDown() override
  {
    SetPrompts(nullptr);
    TQtAppTest::TearDown();
  }
  std::string Path(const std::string& name) const { return Dir.Path() + "/" + name; }

  // A Kivs3 document with three sequences and both sets, saved with the given options.
  std::string MakeDocument(const std::string& name, TReadOptions options = {5, 1, 1, 1, 1, 0})
  {
    const std::string path = Path(name);
    EXPECT_TRUE(childtest::SaveModel2Document(path, Frame.Install, options));
    return path;
  }

  TTempDir Dir;
  TScriptedPrompts Script;
  TFakeFrame Frame;
};

std::string Text(const QString& s) { return FromQ(s); }

TEST_F(ChildForm, StartsAsANewUnnamedDocumentOnTheReadPage)
{
  TChildForm form(Frame);
  EXPECT_EQ(form.Notebook1->currentIndex(), 2);
  EXPECT_EQ(Frame.Counter, 0);  // the frame names new windows
  form.SetDocumentName(Frame.NextDocumentName());
  EXPECT_EQ(form.DocumentName(), "Dokument1.kiv");
  EXPECT_EQ(form.windowTitle().toStdString(), "Dokument1");
  EXPECT_FALSE(form.HasName());
  EXPECT_FALSE(form.Kiv().Modified());
  EXPECT_EQ(form.PrintFlags(), 3);
  EXPECT_EQ(form.EventsListBox->item(0)->text().toStdString(), "Nie odczytany");
  ASSERT_EQ(form.cmdOutline->topLevelItemCount(), 1);
  const QTreeWidgetItem* root = form.cmdOutline->topLevelItem(0);
  EXPECT_EQ(Text(root->text(0)), "Zapis zestawów nastaw"_cp);
  ASSERT_EQ(root->childCount(), 4);
  EXPECT_EQ(root->child(2)->text(0).toStdString(), "Zapis zestawu 1 do 2");
  EXPECT_EQ(root->child(2)->data(0, Qt::UserRole).toString().toStdString(), "ZNS1_2");
  EXPECT_EQ(form.SpinSlaveNo->minimum(), 0);
  EXPECT_EQ(form.SpinSlaveNo->maximum(), 247);
  // The menus the frame shows while this window is active.
  const auto menus = form.Menus();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0]->title().toStdString(), "&Plik");
  EXPECT_EQ(menus[1]->title().toStdString(), "&Wykres");
  std::vector<std::string> items;
  for (QAction* a : menus[0]->actions())
    if (!a->isSeparator())
      items.push_back(Text(a->text()) + "|" + a->shortcut().toString().toStdString() +
                      (a->isEnabled() ? "" : "|off"));
  const std::vector<std::string> expected{"&Nowy|Ctrl+N",   "&Otwórz|Ctrl+O"_cp,    "Zamknij|",
                                          "Zapi&sz|Ctrl+S", "Zapisz jako|",         "Wlasciwosci|",
                                          "Drukuj|Ctrl+P",  "Ustawienia drukarki|", "Zakoncz|"};
  EXPECT_EQ(items, expected);
  EXPECT_EQ(menus[1]->actions().size(), 5);  // three commands, a separator, "Opcje"
}

TEST_F(ChildForm, PageButtonsPerPageAndServiceMode)
{
  struct Case {
    bool Service;
    int Page;
    bool Panel;
    const char* Captions[3];  // nullptr: hidden
  };
  const Case cases[] = {
      {false, 0, false, {nullptr, nullptr, nullptr}},    {true, 0, true, {"HexList", "Save Buf", nullptr}},
      {false, 1, false, {nullptr, nullptr, nullptr}},    {true, 1, false, {nullptr, nullptr, nullptr}},
      {false, 2, true, {"Odczyt", "Wykonaj", "Anuluj"}}, {true, 2, true, {"Odczyt", "Wykonaj", "Anuluj"}},
  };
  for (const auto& c : cases) {
    Frame.Service = c.Service;
    TChildForm form(Frame);
    form.Notebook1->setCurrentIndex(c.Page);
    form.SetupPageButtons(c.Page);
    EXPECT_EQ(!form.Panel2->isHidden(), c.Panel) << c.Service << " " << c.Page;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(!form.Btn[i]->isHidden(), c.Captions[i] != nullptr) << c.Page << " " << i;
      if (c.Captions[i]) {
        EXPECT_EQ(form.Btn[i]->text().toStdString(), c.Captions[i]);
      }
    }
    if (c.Page == 2) {
      EXPECT_TRUE(form.Btn[0]->isEnabled());
      EXPECT_TRUE(form.Btn[1]->isEnabled());
      EXPECT_FALSE(form.Btn[2]->isEnabled());  // Anuluj only while reading
      EXPECT_EQ(form.Btn[0]->toolTip().toStdString(), "Odczyt danych z automatu");
      EXPECT_EQ(form.Btn[0]->statusTip().toStdString(), "Odczytaj wybrane pozycje z automatu");
    }
  }
}

TEST_F(ChildForm, ServiceBoxesOnlyInServiceMode)
{
  for (const bool service : {false, true}) {
    Frame.Service = service;
    TChildForm form(Frame);
    EXPECT_EQ(!form.chbcorrectIOtimes->isHidden(), service);
    EXPECT_EQ(!form.ChBshowallEvents->isHidden(), service);
    EXPECT_EQ(!form.ChbTraceMessages->isHidden(), service);
    EXPECT_EQ(form.Kiv().TraceMessages, service);
  }
}

TEST_F(ChildForm, LoadForcesOptionsOutsideServiceModeAndRedecodes)
{
  // Saved in service mode with show-all on and no corrections.
  const std::string serviceFile = MakeDocument("service.kiv", {5, 1, 1, 1, 0, 1});
  const std::string normalFile = MakeDocument("normal.kiv", {5, 1, 1, 1, 1, 0});
  TChildForm normal(Frame);
  ASSERT_TRUE(normal.LoadFile(normalFile));
  TChildForm forced(Frame);
  ASSERT_TRUE(forced.LoadFile(serviceFile));
  const TReadOptions expected{5, 1, 1, 1, 1, 0};
  EXPECT_EQ(forced.Kiv().GetReadOptions(), expected);
  EXPECT_TRUE(forced.chbcorrectIOtimes->isChecked());
  EXPECT_FALSE(forced.ChBshowallEvents->isChecked());
  EXPECT_EQ(forced.SpinSlaveNo->value(), 5);
  EXPECT_FALSE(forced.Kiv().Modified());
  // Listed and shown as if it had been saved that way: no hidden events, no hex lines.
  ASSERT_EQ(forced.EventsListBox->count(), normal.EventsListBox->count());
  for (int i = 0; i < normal.EventsListBox->count(); ++i)
    EXPECT_EQ(forced.EventsListBox->item(i)->text(), normal.EventsListBox->item(i)->text());
  EXPECT_EQ(forced.FMemo->toPlainText(), normal.FMemo->toPlainText());

  // In service mode the stored options stay and are shown.
  Frame.Service = true;
  TChildForm service(Frame);
  ASSERT_TRUE(service.LoadFile(serviceFile));
  EXPECT_EQ(service.Kiv().GetReadOptions(), (TReadOptions{5, 1, 1, 1, 0, 1}));
  EXPECT_TRUE(service.ChBshowallEvents->isChecked());
  EXPECT_NE(service.FMemo->toPlainText(), normal.FMemo->toPlainText());
}

TEST_F(ChildForm, OnlyTheCorrectionBoxRedecodes)
{
  Frame.Service = true;
  TChildForm form(Frame);
  ASSERT_TRUE(form.LoadFile(MakeDocument("a.kiv")));
  form.EventsListBox->setCurrentRow(1);
  form.EventsListBoxClick(true);
  ASSERT_EQ(form.EventsListBox->currentRow(), 1);
  // Another option keeps the decoded sequences (and the selection).
  form.chbZestaw2->click();
  EXPECT_EQ(form.Kiv().GetReadOptions()[ReadOption::ReadZns2], 0);
  EXPECT_EQ(form.EventsListBox->currentRow(), 1);
  // The correction option decodes again: the list is rebuilt and its first line selected.
  form.chbcorrectIOtimes->click();
  EXPECT_EQ(form.Kiv().GetReadOptions()[ReadOption::CorrectTimes], 0);
  EXPECT_EQ(form.EventsListBox->currentRow(), 0);
  // Filling the controls from code stores nothing.
  form.Kiv().SetReadOptions({9, 0, 0, 0, 0, 0});
  form.ShowReadOptions();
  EXPECT_EQ(form.SpinSlaveNo->value(), 9);
  EXPECT_EQ(form.Kiv().GetReadOptions(), (TReadOptions{9, 0, 0, 0, 0, 0}));
}

TEST_F(ChildForm, ViewsShowTheirPanes)
{
  TChildForm form(Frame);
  form.resize(800, 600);
  form.Notebook1->setCurrentIndex(0);
  form.show();
  ASSERT_TRUE(form.LoadFile(MakeDocument("v.kiv")));
  struct Case {
    int View;
    bool List, Memo, Chart;
  };
  for (const auto& c : {Case{1, true, false, false}, Case{2, false, false, true}, Case{3, false, true, false},
                        Case{0, true, true, true}}) {
    form.SetView(c.View);
    EXPECT_EQ(form.View(), c.View);
    EXPECT_EQ(form.EventsListBox->isVisible(), c.List) << c.View;
    EXPECT_EQ(form.FMemo->isVisible(), c.Memo) << c.View;
    EXPECT_EQ(form.Graph().isVisible(), c.Chart) << c.View;
  }
  const int h = form.Panel3->contentsRect().height();
  EXPECT_EQ(form.EventsListBox->height(), h / 4);
  EXPECT_EQ(form.FMemo->height(), h / 4);
  // A click on the list in the list view shows the listing.
  form.SetView(1);
  form.EventsListBox->setCurrentRow(1);
  form.EventsListBoxClick(true);
  EXPECT_EQ(form.View(), 3);
  EXPECT_EQ(form.FMemo->height(), h);
}

TEST_F(ChildForm, GridShowsTitlesValuesAndSetTwoOnItsTab)
{
  TChildForm form(Frame);
  ASSERT_TRUE(form.LoadFile(MakeDocument("g.kiv")));
  const TZnsGridCells& cells = form.GridCells();
  EXPECT_EQ(cells.Cell(0, 0), "def: Kivs3.set");
  EXPECT_EQ(cells.Cell(0, 1), "1. Rejestry 1-6");
  EXPECT_EQ(cells.Cell(1, 1), "Rejestr 1 []");
  EXPECT_EQ(cells.Cell(2, 1), "0001");  // register 1: bytes 0 and 1
  auto* model = form.ZnsGrid->GridModel();
  EXPECT_EQ(model->headerData(0, Qt::Vertical).toString().toStdString(), "1. Rejestry 1-6");
  EXPECT_EQ(model->data(model->index(0, 1)).toString().toStdString(), "0001");
  EXPECT_TRUE(model->flags(model->index(0, 1)).testFlag(Qt::ItemIsEditable));
  EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
  EXPECT_FALSE(model->flags(model->index(0, 2)).testFlag(Qt::ItemIsEditable));
  form.TabSet1->setCurrentIndex(1);
  EXPECT_EQ(form.ShownSet(), 1);
  EXPECT_EQ(cells.Cell(2, 1), "FFFE");
  EXPECT_EQ(model->data(model->index(0, 1)).toString().toStdString(), "FFFE");
  EXPECT_EQ(form.lbZns1LoadTime->text().toStdString(), "2024-03-15");
  EXPECT_EQ(form.lbZns2LoadTime->text().toStdString(), "2024-03-14");
  // The printed image holds every cell with the fixed ones and the screen sizes.
  const TStringGridImage image = form.ZnsGrid->Image();
  EXPECT_EQ(image.ColCount, cells.ColCount());
  EXPECT_EQ(image.Cell(0, 0), "def: Kivs3.set");
  EXPECT_EQ(image.Cell(2, 1), "FFFE");
  EXPECT_GE(image.ColWidths[0], 264);
  EXPECT_GE(image.ColWidths[2], 44);
}

TEST_F(ChildForm, DelegateEditCommitsIntoTheShownSet)
{
  TChildForm form(Frame);
  form.resize(900, 600);
  form.Notebook1->setCurrentIndex(1);
  form.show();
  ASSERT_TRUE(form.LoadFile(MakeDocument("e.kiv")));
  auto* model = form.ZnsGrid->GridModel();
  const QModelIndex cell = model->index(0, 1);
  // Typing into the in-place editor, then Enter.
  form.ZnsGrid->setCurrentIndex(cell);
  form.ZnsGrid->edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(form.ZnsGrid->indexWidget(cell));
  ASSERT_NE(editor, nullptr);
  editor->setText("ABCD");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the delegate commits on Enter through a queued call
  EXPECT_EQ(form.GridCells().Cell(2, 1), "ABCD");
  EXPECT_EQ(form.Kiv().GetZns1Data()[0], 0xAB);
  EXPECT_EQ(form.Kiv().GetZns1Data()[1], 0xCD);
  EXPECT_TRUE(form.Kiv().Modified());

  // An edit still open when the tab changes lands in set 1, not in set 2.
  form.ZnsGrid->edit(model->index(0, 4));
  editor = qobject_cast<QLineEdit*>(form.ZnsGrid->indexWidget(model->index(0, 4)));
  ASSERT_NE(editor, nullptr);
  editor->setText("1234");
  form.TabSet1->setCurrentIndex(1);
  EXPECT_EQ(form.Kiv().GetZns1Data()[2], 0x12);
  EXPECT_EQ(form.Kiv().GetZns1Data()[3], 0x34);
  EXPECT_EQ(form.Kiv().GetZns2Data()[2], 0xFD);
  EXPECT_EQ(form.GridCells().Cell(5, 1), "FDFC");

  // An edit still open when the document is saved goes into the file.
  form.ZnsGrid->edit(model->index(0, 1));
  editor = qobject_cast<QLineEdit*>(form.ZnsGrid->indexWidget(model->index(0, 1)));
  ASSERT_NE(editor, nullptr);
  editor->setText("0F0F");
  form.FileSaveClick();
  TKiv saved;
  ASSERT_TRUE(saved.LoadFromFile(Path("e.kiv")));
  EXPECT_EQ(saved.GetZns2Data()[0], 0x0F);
  EXPECT_EQ(saved.GetZns2Data()[1], 0x0F);
  EXPECT_FALSE(form.Kiv().Modified());
}

TEST_F(ChildForm, FailedLoadKeepsNoFileName)
{
  std::ofstream(Path("bad.kiv"), std::ios::binary) << "KIVS-3 this is no document";
  std::ofstream(Path("empty.kiv"), std::ios::binary);
  for (const std::string& file :
       std::vector<std::string>{Path("bad.kiv"), Path("empty.kiv"), Path("missing.kiv")}) {
    TChildForm form(Frame);
    const std::string before = std::filesystem::exists(file) ? "exists" : "";
    EXPECT_FALSE(form.LoadFile(file)) << file;
    EXPECT_FALSE(form.HasName());
    EXPECT_EQ(form.DocumentName().rfind("Dokument", 0), 0u) << form.DocumentName();
    EXPECT_EQ(form.windowTitle().toStdString(), form.DocumentName().substr(0, form.DocumentName().find('.')));
    // Ctrl+S asks for a name instead of overwriting the file.
    Frame.SaveFilters.clear();
    form.FileSaveClick();
    EXPECT_EQ(Frame.SaveFilters, std::vector<int>{1});
  }
  EXPECT_EQ(std::filesystem::file_size(Path("bad.kiv")), 26u);
}

TEST_F(ChildForm, SaveNamesAndOverwriteQuestion)
{
  TChildForm form(Frame);
  ASSERT_TRUE(form.LoadFile(MakeDocument("src.kiv")));
  // "test" is written as test.kiv; "test.dat" as it is.
  Frame.SaveAnswers = {Path("test"), Path("test.dat")};
  form.SaveAsClick();
  EXPECT_TRUE(std::filesystem::exists(Path("test.kiv")));
  EXPECT_EQ(form.DocumentName(), Path("test.kiv"));
  form.SaveAsClick();
  EXPECT_TRUE(std::filesystem::exists(Path("test.dat")));
  EXPECT_FALSE(std::filesystem::exists(Path("test.dat.kiv")));
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), 0u);

  // "test" again: test.kiv exists, so the question comes. No asks again, Cancel stops.
  std::ofstream(Path("test.kiv"), std::ios::binary | std::ios::trunc) << "mine";
  Frame.SaveAnswers = {Path("test"), Path("test")};
  Script.Answers.push_back(TPromptAnswer::No);
  Script.Answers.push_back(TPromptAnswer::Cancel);
  form.SaveAsClick();
  const auto asked = Script.Texts(TScriptedPrompts::TKind::Confirm);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], OverwriteQueryText(Path("test.kiv")));
  EXPECT_EQ(std::filesystem::file_size(Path("test.kiv")), 4u);
  EXPECT_EQ(form.DocumentName(), Path("test.dat"));
  // Yes overwrites.
  Frame.SaveAnswers = {Path("test")};
  Script.Answers.push_back(TPromptAnswer::Yes);
  form.SaveAsClick();
  EXPECT_EQ(std::filesystem::file_size(Path("test.kiv")), KivImage::SIZE);
}

TEST_F(ChildForm, SaveOfAFileWithoutExtensionAsksBeforeOverwritingItsKivName)
{
  // A file opened without an extension is saved with ".kiv" added: that is another file,
  // which the user may have.
  TChildForm form(Frame);
  const std::string opened = MakeDocument("zapis");
  ASSERT_TRUE(form.LoadFile(opened));
  std::ofstream(Path("zapis.kiv"), std::ios::binary | std::ios::trunc) << "mine";
  Script.Answers.push_back(TPromptAnswer::Cancel);
  form.Kiv().SetModified(true);
  form.FileSaveClick();
  auto asked = Script.Texts(TScriptedPrompts::TKind::Confirm);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], OverwriteQueryText(Path("zapis.kiv")));
  EXPECT_EQ(std::filesystem::file_size(Path("zapis.kiv")), 4u);
  EXPECT_TRUE(form.Kiv().Modified());
  // No: the save dialog, here for another name.
  Script.Answers.push_back(TPromptAnswer::No);
  Frame.SaveAnswers = {Path("inny.kiv")};
  form.FileSaveClick();
  EXPECT_EQ(std::filesystem::file_size(Path("zapis.kiv")), 4u);
  EXPECT_EQ(form.DocumentName(), Path("inny.kiv"));
  EXPECT_EQ(std::filesystem::file_size(Path("inny.kiv")), KivImage::SIZE);
  EXPECT_FALSE(form.Kiv().Modified());
  // Yes overwrites.
  TChildForm again(Frame);
  ASSERT_TRUE(again.LoadFile(opened));
  Script.Answers.push_back(TPromptAnswer::Yes);
  again.FileSaveClick();
  EXPECT_EQ(std::filesystem::file_size(Path("zapis.kiv")), KivImage::SIZE);
  EXPECT_EQ(again.DocumentName(), Path("zapis.kiv"));
  // Without a file of that name nothing is asked.
  std::filesystem::remove(Path("zapis.kiv"));
  again.FileSaveClick();
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), 3u);
}

TEST_F(ChildForm, CloseQuestionTable)
{
  struct Case {
    TPromptAnswer Answer;
    bool SaveWorks;
    bool Closes;
  };
  const Case cases[] = {
      {TPromptAnswer::No, true, true},
      {TPromptAnswer::Cancel, true, false},
      {TPromptAnswer::Yes, true, true},
      {TPromptAnswer::Yes, false, false},  // the save failed: the document is still modified
  };
  for (const auto& c : cases) {
    TChildForm form(Frame);
    ASSERT_TRUE(form.LoadFile(MakeDocument("c.kiv")));
    form.show();
    if (!c.SaveWorks)
      form.SetDocumentName(Path("no-such-folder/c.kiv"));
    form.Kiv().SetModified(true);
    Script.Answers.push_back(c.Answer);
    EXPECT_EQ(form.close(), c.Closes) << int(c.Answer) << c.SaveWorks;
    const auto asked = Script.Texts(TScriptedPrompts::TKind::Confirm);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().rfind("Plik ", 0), 0u);
    EXPECT_NE(asked.back().find(" został zmodyfikowany\nZachować zmiany ?"_cp), std::string::npos);
  }
  // Unmodified: closes without asking.
  const size_t before = Script.Texts(TScriptedPrompts::TKind::Confirm).size();
  TChildForm form(Frame);
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(Script.Texts(TScriptedPrompts::TKind::Confirm).size(), before);
}

TEST_F(ChildForm, PrintsListingChartAndGridsByTheFlags)
{
  TChildForm form(Frame);
  form.resize(900, 600);
  ASSERT_TRUE(form.LoadFile(MakeDocument("druk.kiv")));
  form.EventsListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
  form.EventsListBox->item(0)->setSelected(true);
  form.EventsListBox->item(1)->setSelected(true);
  // From the menu: the dialog's flags; cancelled prints nothing.
  form.FilePrintClick(false);
  EXPECT_EQ(Frame.PrintOptionRuns, 1);
  EXPECT_TRUE(Frame.PdfFiles.empty());
  Frame.PrintOptionAnswers = {0x0F};
  form.FilePrintClick(false);
  EXPECT_EQ(form.PrintFlags(), 0x0F);
  ASSERT_EQ(Frame.PdfFiles.size(), 4u);  // listing and chart of two sequences
  EXPECT_EQ(pdftools::InfoField(pdftools::PdfInfo(Frame.PdfFiles[0]), "Title"),
            "druk.kiv-Sekwencja 1-Listing");
  // The listing's first line is the sequence's list line.
  const std::string listing = pdftools::PdfText(Frame.PdfFiles[0]);
  EXPECT_NE(listing.find(form.EventsListBox->item(0)->text().left(10).toStdString()), std::string::npos)
      << listing;
  EXPECT_EQ(pdftools::InfoField(pdftools::PdfInfo(Frame.PdfFiles[2]), "Title"),
            "druk.kiv-Sekwencja 2-Listing");
  EXPECT_GE(std::stoi(pdftools::InfoField(pdftools::PdfInfo(Frame.PdfFiles[1]), "Pages")), 1);
  EXPECT_EQ(pdftools::InfoField(pdftools::PdfInfo(Frame.PdfFiles[3]), "Title"),
            "druk.kiv-Sekwencja 2-Przebiegi");
  ASSERT_EQ(Frame.PrintedGrids.size(), 2u);
  EXPECT_EQ(Frame.PrintedGrids[0].first, "ZESTAW NASTAW 1");
  EXPECT_EQ(Frame.PrintedGrids[0].second.Cell(2, 1), "0001");
  EXPECT_EQ(Frame.PrintedGrids[1].first, "ZESTAW NASTAW 2");
  EXPECT_EQ(Frame.PrintedGrids[1].second.Cell(2, 1), "FFFE");
  EXPECT_EQ(form.ShownSet(), 0);  // switched back
  // From the toolbar: the last flags, no dialog.
  Frame.PrintedGrids.clear();
  form.FilePrintClick(true);
  EXPECT_EQ(Frame.PrintOptionRuns, 2);
  EXPECT_EQ(Frame.PdfFiles.size(), 8u);
  EXPECT_EQ(Frame.PrintedGrids.size(), 2u);
  // The printer is asked for once per command, and without one no step starts.
  EXPECT_EQ(Frame.PrinterReadyAsks, 2);
  Frame.PrinterIsReady = false;
  Frame.PrintedGrids.clear();
  form.FilePrintClick(true);
  EXPECT_EQ(Frame.PrinterReadyAsks, 3);
  EXPECT_EQ(Frame.PdfFiles.size(), 8u);
  EXPECT_TRUE(Frame.PrintedGrids.empty());
}

TEST_F(ChildForm, ServiceToolsPropertiesAndActivation)
{
  Frame.Service = true;
  TChildForm form(Frame);
  ASSERT_TRUE(form.LoadFile(MakeDocument("s.kiv")));
  form.Notebook1->setCurrentIndex(0);
  // HexList: the raw register into the text control.
  const QString listing = form.FMemo->toPlainText();
  form.Btn[0]->click();
  EXPECT_NE(form.FMemo->toPlainText(), listing);
  EXPECT_FALSE(form.FMemo->toPlainText().isEmpty());
  // Save Buf: the raw register bytes, through the dialog's "all files" filter.
  Frame.SaveAnswers = {Path("reg.bin")};
  form.Btn[1]->click();
  EXPECT_EQ(Frame.SaveFilters, std::vector<int>{2});
  std::ifstream f(Path("reg.bin"), std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const auto events = childtest::Model2Events();
  EXPECT_EQ(saved, std::string(events.begin(), events.end()));
  // Properties through the frame's dialog; activation updates the frame's X-scale box.
  form.Waciwoci1Click();
  EXPECT_EQ(Frame.PropertiesShown, 1);
  form.Graph().Model().SetAutoscale(false);
  form.Graph().Model().SetScaleX(150);
  form.FormActivate();
  EXPECT_FALSE(Frame.XAutoscale);
  EXPECT_EQ(Frame.XScale, 150);
}

TEST_F(ChildForm, MemoKeepsLinesAsTheControllerWritesThem)
{
  TChildForm form(Frame);
  TMemoMessage& memo = form.MessageMemo();
  TStringsMemo plain;
  for (IKivMemo* m : {static_cast<IKivMemo*>(&memo), static_cast<IKivMemo*>(&plain)}) {
    m->TypeAtEnd("ab");
    m->AppendLine("");
    m->AppendLine("Zapis zestawu 1");
    m->TypeAtEnd("...");
    m->AppendLine("c");
    m->DeleteLastLine();
    m->AppendLine("d");
    m->DeleteFirstLines(1);
  }
  ASSERT_EQ(memo.LineCount(), plain.LineCount());
  for (size_t i = 0; i < plain.LineCount(); ++i)
    EXPECT_EQ(memo.Line(i), plain.Lines[i]) << i;
  memo.DeleteFirstLines(10);
  EXPECT_EQ(memo.LineCount(), 0u);
  EXPECT_TRUE(form.MemoMessage->toPlainText().isEmpty());
}

}  // namespace

TEST_F(ChildForm, CloseIsRefusedWhilePrinting)
{
  // Window messages are processed between the printed pages: a close clicked then must not
  // free the window under the print.
  // The flags come before the area: the form's last close only queues its deletion, so the
  // form goes with the area at the end of the test and its destroyed handler writes to them
  // then; the timer's context (the sub-window) goes with the area too.
  bool printing = false, destroyed = false, destroyedWhilePrinting = false;
  bool closed = true, busy = false, readEnabled = true;
  QMdiArea area;
  auto* form = new TChildForm(Frame);
  QMdiSubWindow* sub = area.addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  area.resize(900, 600);
  area.show();
  ASSERT_TRUE(form->LoadFile(MakeDocument("druk.kiv")));
  form->EventsListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
  form->EventsListBox->item(0)->setSelected(true);
  form->EventsListBox->item(1)->setSelected(true);
  Frame.PrintOptionAnswers = {0x0F};
  QObject::connect(form, &QObject::destroyed, [&] {
    destroyed = true;
    destroyedWhilePrinting = printing;
  });
  QTimer::singleShot(0, sub, [&] {
    busy = form->IsBusy();
    readEnabled = form->Btn[0]->isEnabled();
    closed = sub->close();
  });
  printing = true;
  form->FilePrintClick(false);
  printing = false;
  EXPECT_FALSE(destroyedWhilePrinting);
  ASSERT_FALSE(destroyed);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(busy);
  EXPECT_FALSE(readEnabled);
  EXPECT_EQ(Frame.PdfFiles.size(), 4u);  // the print went on to its end
  EXPECT_EQ(Frame.PrintedGrids.size(), 2u);
  EXPECT_FALSE(form->IsBusy());
  EXPECT_TRUE(form->Btn[0]->isEnabled());
  EXPECT_TRUE(sub->close());  // afterwards the window closes
}
