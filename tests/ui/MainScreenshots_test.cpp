// Pictures of the main window and its dialogs, written to the build folder for a person to
// look at; the tests check what can be checked on pixels: the logo where it belongs, and
// every label wide enough for its text.

#include <QDir>
#include <QMenuBar>
#include <QImage>
#include <QLabel>
#include <QCheckBox>
#include <QAbstractButton>

#include <gtest/gtest.h>

#include "app/document/Kivbase.h"
#include "app/ui/Child.h"
#include "app/ui/Fileprop.h"
#include "app/ui/Main.h"
#include "app/ui/Pagedlg.h"
#include "app/ui/Params.h"
#include "platform/Codepage.h"
#include "tests/app/DocTestSupport.h"
#include "tests/ui/FakeDocument.h"
#include "tests/ui/QtTestApp.h"

namespace {

class TScreenshotTest : public TQtAppTest {
protected:
  static QString Save(QWidget& w, const char* name)
  {
    const QString dir = QStringLiteral(KIV_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".png");
    const QImage shot = w.grab().toImage();
    EXPECT_TRUE(shot.save(path));
    return path;
  }
  // No label or button cuts its text.
  static void ExpectNothingClipped(QWidget& w)
  {
    for (QLabel* l : w.findChildren<QLabel*>()) {
      if (l->isVisible() && !l->text().isEmpty()) {
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
      }
    }
    for (QAbstractButton* b : w.findChildren<QAbstractButton*>()) {
      if (b->isVisible() && !b->text().isEmpty()) {
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->text().toStdString();
      }
    }
  }
  TTempDir Dir;
};

}  // namespace

TEST_F(TScreenshotTest, MainWindow)
{
  TMainFormOptions o;
  o.ProgramPath = Dir.File("kivssn");
  o.ConfigPath = Dir.File("kiv.ini");
  o.SysfsClassDir = Dir.File("none");
  TMainForm frame(o);
  frame.SetDocumentFactory([](IChildFrame& f, QMdiArea* parent) { return new TFakeDocument(f, parent); });
  frame.resize(900, 600);
  frame.show();
  QCoreApplication::processEvents();
  Save(frame, "main_empty");
  // The logo sits in the lower left of the client area.
  const QImage shot = frame.grab().toImage();
  const QPoint client = frame.MdiArea()->viewport()->mapTo(&frame, QPoint(0, 0));
  const QPoint logo = client + frame.MdiArea()->LogoPosition(frame.height()) + QPoint(20, 30);
  EXPECT_EQ(QColor(shot.pixel(logo)), QColor(0, 64, 128));
  frame.MF_NewClick();
  QCoreApplication::processEvents();
  Save(frame, "main_document");
  ExpectNothingClipped(frame);
}

TEST_F(TScreenshotTest, MainWindowWithTheDocumentWindow)
{
  TMainFormOptions o;
  o.ProgramPath = std::string(KIV_SOURCE_DIR) + "/data/kivssn";
  o.ConfigPath = Dir.File("kiv.ini");
  o.SysfsClassDir = Dir.File("none");
  o.Params = {"-kivtype", "kivs3"};
  TMainForm frame(o);
  frame.SetDocumentFactory(
      [](IChildFrame& f, QMdiArea* parent) -> IChildOps* { return new TChildForm(f, parent); });
  frame.resize(1000, 700);
  frame.show();
  frame.ProcessCommandLine();
  QCoreApplication::processEvents();
  ASSERT_EQ(frame.Documents().size(), 1u);
  frame.ActiveDocument()->Widget()->parentWidget()->showMaximized();
  QCoreApplication::processEvents();
  Save(frame, "main_child");
  EXPECT_EQ(frame.ActiveDocument()->Kiv().GetKivType(), 2);
  // The document's own menus are in the menu bar.
  QStringList titles;
  for (QAction* a : frame.menuBar()->actions())
    titles << a->text();
  EXPECT_EQ(titles, (QStringList{"&Plik", "&Wykres", "Opc&je", "Pomoc", "Okno"}));
  EXPECT_TRUE(frame.ActionByName(QStringLiteral("btnSave"))->isEnabled());
}

TEST_F(TScreenshotTest, CommunicationDialog)
{
  TRsdHan link;
  link.SetSysfsClassDir(Dir.Path());
  TCommSettings tcp;
  TCommDlg dlg(link, tcp);
  dlg.SetTimeOut(500);
  dlg.SetTimeSilence(300);
  dlg.show();
  QCoreApplication::processEvents();
  Save(dlg, "comm_dialog");
  ExpectNothingClipped(dlg);
  dlg.Notebook()->setCurrentIndex(1);
  QCoreApplication::processEvents();
  Save(dlg, "comm_dialog_times");
  ExpectNothingClipped(dlg);
}

TEST_F(TScreenshotTest, PropertiesAndPrintOptions)
{
  TKiv kiv;
  kiv.SetIdent("K3XC5678");
  kiv.SetStationInfo("Rozdzielnia główna Łódź-Żabieniec"_cp);
  kiv.SetNotes({"Zażółć gęślą jaźń"_cp, "druga linia"});
  TFileInfoDlg dlg;
  dlg.Fill(kiv);
  dlg.show();
  QCoreApplication::processEvents();
  Save(dlg, "file_properties");
  ExpectNothingClipped(dlg);

  TPageDlgFrm page;
  page.show();
  QCoreApplication::processEvents();
  Save(page, "print_options");
  ExpectNothingClipped(page);
  page.Notebook()->setCurrentIndex(1);
  QCoreApplication::processEvents();
  Save(page, "print_options_margins");
  ExpectNothingClipped(page);
}
