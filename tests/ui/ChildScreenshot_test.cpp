// Pictures of the document window's three pages with a loaded document, written to
// <build>/screenshots/ for a person to look at; the test checks what can be checked without a
// golden image: every grid text fits its cell, every label and check box its own width.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <cstring>

#include "ChildTestSupport.h"
#include "QtTestApp.h"
#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/ChildGrid.h"
#include "app/ui/ChildMemo.h"
#include "platform/qt/QtText.h"
#include "platform/Prompts.h"
#include "tests/support/TempDir.h"

namespace {

class ChildScreenshot : public TQtAppTest {};

TEST_F(ChildScreenshot, ThreePagesOfALoadedDocument)
{
  childtest::SetFormats();
  TScriptedPrompts script;
  SetPrompts(&script);
  TTempDir dir;
  childtest::TFakeFrame frame;
  TKiv kiv;
  kiv.SetInstallDir(frame.Install);
  kiv.SetIdent("K3SIM-01");
  kiv.SetKivType(2);
  const auto events = childtest::Model2Events();
  std::memcpy(kiv.GetEvRegData(), events.data(), events.size());
  kiv.SetEvRegSize(uint16_t(events.size()));
  for (int i = 0; i < 238; ++i)
    kiv.GetZns1Data()[i] = uint8_t(i * 7 + 1);
  kiv.SetZns1Size(238);
  kiv.SetEvRegDate(45366);
  kiv.SetZns1Date(45366);
  const std::string file = dir.Path() + "/Stacja.kiv";
  ASSERT_TRUE(kiv.SaveToFile(file));

  TChildForm form(frame);
  form.resize(1000, 640);
  form.show();
  ASSERT_TRUE(form.LoadFile(file));
  form.MessageMemo().AppendLine("Identyfikacja automatu:KIVS-3");
  form.MessageMemo().AppendLine("Odczyt zestawu nastaw 1 :OK");
  form.EventsListBox->setCurrentRow(1);
  form.EventsListBoxClick(true);

  const QString out = QString::fromUtf8(KIV_BINARY_DIR) + "/screenshots";
  QDir().mkpath(out);
  const char* names[] = {"child-events.png", "child-grid.png", "child-read.png"};
  for (int page = 0; page < 3; ++page) {
    form.Notebook1->setCurrentIndex(page);
    QApplication::processEvents();
    const QImage shot = form.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(out + "/" + names[page]));
  }

  // The grid: every text fits the cell it is in.
  form.Notebook1->setCurrentIndex(1);
  const QFontMetrics fm(form.ZnsGrid->font());
  const TZnsGridCells& cells = form.GridCells();
  for (int r = 0; r < cells.RowCount(); ++r)
    for (int c = 0; c < cells.ColCount(); ++c) {
      const std::string& t = cells.Cell(c, r);
      if (!t.empty()) {
        EXPECT_LE(fm.horizontalAdvance(ToQ(t)), form.ZnsGrid->GridColWidth(c)) << c << "," << r << " " << t;
      }
    }
  EXPECT_GE(form.ZnsGrid->GridRowHeight(1), fm.height());
  // The read page's labels and boxes are as wide as their texts need.
  form.Notebook1->setCurrentIndex(2);
  for (QCheckBox* b : {form.chbZestaw1, form.chbZestaw2, form.chbEventRegister}) {
    ASSERT_TRUE(b->isVisible());
    EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
  }
  for (QLabel* l : {form.lbZns1LoadTime, form.lbBufLoadTime})
    EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
  SetPrompts(nullptr);
}

}  // namespace
