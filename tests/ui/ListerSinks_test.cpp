// The lister's Qt controls: the list box, the text control and the printer (as PDF).
#include <QApplication>
#include <QListWidget>
#include <QPrinter>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/ui/ListerSinks.h"
#include "PdfTools.h"
#include "QtTestApp.h"
#include "platform/NumText.h"
#include "tests/app/ListerFixture.h"
#include "tests/support/TempDir.h"

using listerfx::SetFormats;
using listerfx::TFixtureDocument;
using listerfx::TRegisterBuilder;
using pdftools::InfoField;
using pdftools::RunCommand;

namespace {

class ListerSinks : public TQtAppTest {};

}  // namespace

TEST_F(ListerSinks, ListBoxTakesLinesSelectsAndClicks)
{
  SetFormats();
  QListWidget list;
  TEvListBoxSink sink(&list);
  TFixtureDocument doc(2);
  doc.Register =
      TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Clock(2024, 6, 2, 12, 0).Event(1, 4).Bytes();
  TEvLister lister;
  lister.SetDocument(&doc);
  lister.SetListBox(&sink);
  int clicks = 0;
  sink.OnClick = [&] {
    ++clicks;
    lister.SetSequence(list.currentRow() + 1);
  };
  lister.RefreshSequences();
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.item(0)->text(), QString::fromUtf8("Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:005"));
  EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(list.selectedItems().size(), 1);
  EXPECT_EQ(list.currentRow(), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lister.Sequence(), 1);
}

TEST_F(ListerSinks, TextControlHoldsPlainLinesWithBoldFormat)
{
  SetFormats();
  QTextEdit edit;
  TEvRichEditSink sink(&edit);
  TFixtureDocument doc(2);
  doc.Correct(false);
  doc.ShowAll(true);
  doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Event(247, 0, {0, 0, 0, 0, 0x10, 0, 0})
                     .Event(36, 4)
                     .Bytes();
  TEvLister lister;
  lister.SetDocument(&doc);
  lister.SetRichEdit(&sink);
  lister.RefreshSequences();
  lister.SetSequence(1);
  const QStringList lines = edit.toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0], "F7 00 00 00 00 00 00 10 00 00 ");
  EXPECT_EQ(lines[1], QString::fromUtf8("0,000 [s] - STAN BLOKAD PRZEŁĄCZEŃ SYNCHRONICZNYCH"));
  EXPECT_EQ(lines[2], "  df_UsB-UA<wart.nastawionej");  // '<' kept as text
  EXPECT_EQ(lines[4], QString::fromUtf8("0,010 [s] - Pojawienie się sygnału WA zamknięty (C1)"));
  const QTextDocument* d = edit.document();
  auto weight = [&](int block) {
    const QTextBlock b = d->findBlockByNumber(block);
    return b.begin().fragment().charFormat().fontWeight();
  };
  EXPECT_EQ(weight(0), QFont::Normal);
  EXPECT_EQ(weight(1), QFont::Bold);
  EXPECT_EQ(weight(2), QFont::Normal);
  EXPECT_EQ(weight(4), QFont::Bold);
  EXPECT_EQ(edit.textCursor().position(), 0);
  EXPECT_TRUE(edit.updatesEnabled());

  // A new selection replaces the text.
  lister.ShowRawRegister();
  EXPECT_EQ(edit.toPlainText(), "F3 00 0C 01 06 18 \nF7 00 00 00 00 00 00 10 00 00 \n24 00 04 ");
}

TEST_F(ListerSinks, PrinterBreaksPagesIntoAPdf)
{
  SetFormats();
  TTempDir dir;
  const QString path = QString::fromStdString(dir.File("listing.pdf"));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  TEvPrinterSink sink(&printer);

  TFixtureDocument doc(2);
  doc.Correct(false);
  TRegisterBuilder b;
  b.Clock(2024, 6, 1, 12, 0);
  for (int i = 0; i < 150; ++i)
    b.Event(uint8_t(36 + (i % 2)), 4);
  doc.Register = b.Bytes();
  TEvLister lister;
  lister.SetDocument(&doc);
  lister.SetPrinter(&sink);
  lister.PrintTitle = "doc.kiv-Sekwencja 1-Listing";
  lister.RefreshSequences();
  lister.PrintSequence(1);
  EXPECT_GE(sink.PagesPrinted(), 2);

  const std::string info = RunCommand("pdfinfo '" + path.toStdString() + "'");
  EXPECT_EQ(InfoField(info, "Title"), "doc.kiv-Sekwencja 1-Listing") << info;
  EXPECT_EQ(InfoField(info, "Pages"), std::to_string(sink.PagesPrinted())) << info;
  const std::string text = RunCommand("pdftotext -layout '" + path.toStdString() + "' -");
  EXPECT_NE(text.find("Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:010"), std::string::npos);
  EXPECT_NE(text.find("0,000 [s] - Pojawienie się sygnału WA zamknięty (C1)"), std::string::npos);
  EXPECT_NE(text.find("1,490 [s] - Zanik sygnału WA zamknięty (C1)"), std::string::npos);
}
