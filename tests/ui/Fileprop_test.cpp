#include "app/ui/Fileprop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

#include <gtest/gtest.h>

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "tests/ui/DialogTools.h"
#include "tests/ui/QtTestApp.h"

class TFileInfoDlgTest : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    Kiv.SetIdent("K3XC5678");
    Kiv.SetStationInfo("Rozdzielnia Żółw"_cp);
    Kiv.SetNotes({"pierwsza linia", "druga", "trzecia linia notatek"});
    Kiv.SetModified(false);
  }
  TKiv Kiv;
};

namespace {

void OnDialog(const std::function<void(TFileInfoDlg&)>& work) { OnModalDialog<TFileInfoDlg>(work); }

void ClickOk(TFileInfoDlg& dlg)
{
  auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("OKButton"));
  ASSERT_NE(ok, nullptr);
  QTest::mouseClick(ok, Qt::LeftButton);
}

}  // namespace

TEST_F(TFileInfoDlgTest, ShowsTheDocument)
{
  TFileInfoDlg dlg;
  dlg.Fill(Kiv);
  EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Właściwości pliku"));
  EXPECT_EQ(dlg.KivTypeEdit()->text(), QStringLiteral("KIVS-3"));
  EXPECT_EQ(dlg.BackupLabel()->text(), QStringLiteral("kondensatorowe"));
  EXPECT_EQ(dlg.StationEdit()->text(), QString::fromUtf8("Rozdzielnia Żółw"));
  EXPECT_EQ(dlg.NotesMemo()->toPlainText(), QStringLiteral("pierwsza linia\ndruga\ntrzecia linia notatek"));
  EXPECT_TRUE(dlg.KivVersionLabel()->text().startsWith(QStringLiteral("Wersja automatu: K3XC_")));
  EXPECT_FALSE(dlg.Changed());
}

TEST_F(TFileInfoDlgTest, OkWithoutEditsLeavesTheDocumentUnmodified)
{
  const std::vector<uint8_t> before(Kiv.GetNotesBuf(), Kiv.GetNotesBuf() + KivImage::NOTES_SIZE);
  TFileInfoDlg dlg;
  dlg.SetRunner([](TFileInfoDlg&) { return int(QDialog::Accepted); });
  EXPECT_FALSE(dlg.Execute(Kiv));
  EXPECT_FALSE(Kiv.Modified());
  EXPECT_EQ(std::vector<uint8_t>(Kiv.GetNotesBuf(), Kiv.GetNotesBuf() + KivImage::NOTES_SIZE), before);
}

TEST_F(TFileInfoDlgTest, EditsAreWrittenOnOkOnly)
{
  struct TCase {
    int Result;
    const char* Station;
    const char* Notes;
    bool Modified;
    std::vector<std::string> NotesAfter;
  } cases[] = {
      {QDialog::Rejected, "inna", "skrócone", false, {"pierwsza linia", "druga", "trzecia linia notatek"}},
      {QDialog::Accepted,
       "Rozdzielnia Żółw",
       "skrócone",
       true,
       {"skr\xF3"
        "cone"}},
      {QDialog::Accepted,
       "Nowa stacja ☃",
       nullptr,
       true,
       {"pierwsza linia", "druga", "trzecia linia notatek"}},
  };
  for (const TCase& c : cases) {
    SetUp();
    TFileInfoDlg dlg;
    dlg.SetRunner([&](TFileInfoDlg& d) {
      d.StationEdit()->setText(QString::fromUtf8(c.Station));
      if (c.Notes)
        d.NotesMemo()->setPlainText(QString::fromUtf8(c.Notes));
      return c.Result;
    });
    EXPECT_EQ(dlg.Execute(Kiv), c.Modified);
    EXPECT_EQ(Kiv.Modified(), c.Modified);
    EXPECT_EQ(Kiv.GetNotes(), c.NotesAfter);
  }
  // A character outside the code page becomes '?'.
  EXPECT_EQ(Kiv.GetStationInfo(), "Nowa stacja ?");
}

TEST_F(TFileInfoDlgTest, OkWithoutEditsKeepsBytesWithoutALetter)
{
  // Bytes the code page gives no letter show as control characters and go back unchanged.
  Kiv.SetStationInfo("Stacja\x98X\x81\x83\x88\x90");
  Kiv.SetNotes({"a\x81\x83", "\x88\x90\x98"});
  Kiv.SetModified(false);
  const std::vector<uint8_t> before(Kiv.Image().begin(), Kiv.Image().end());
  TFileInfoDlg dlg;
  OnDialog([](TFileInfoDlg& d) {
    ClickInto(d.StationEdit(), d.StationEdit());
    ClickInto(d.NotesMemo()->viewport(), d.NotesMemo());
    ClickOk(d);
  });
  EXPECT_FALSE(dlg.Execute(Kiv));
  EXPECT_FALSE(Kiv.Modified());
  EXPECT_EQ(Kiv.GetStationInfo(), "Stacja\x98X\x81\x83\x88\x90");
  EXPECT_TRUE(std::vector<uint8_t>(Kiv.Image().begin(), Kiv.Image().end()) == before);
}

TEST_F(TFileInfoDlgTest, TypedStationTextIsStored)
{
  Kiv.SetStationInfo("Stacja\x98X");
  Kiv.SetModified(false);
  TFileInfoDlg dlg;
  OnDialog([](TFileInfoDlg& d) {
    ClickInto(d.StationEdit(), d.StationEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Y"));
    ClickOk(d);
  });
  EXPECT_TRUE(dlg.Execute(Kiv));
  EXPECT_TRUE(Kiv.Modified());
  // The byte without a letter the user did not touch is stored as it was.
  EXPECT_EQ(Kiv.GetStationInfo(), "Stacja\x98XY");
}

TEST_F(TFileInfoDlgTest, NotesEditKeepsEmptyLinesAtTheEnd)
{
  using TLines = std::vector<std::string>;
  const std::pair<TLines, TLines> cases[] = {
      {{"a", ""}, {"Xa", ""}},
      {{"a", "", ""}, {"Xa", "", ""}},
      {{"a", "b"}, {"Xa", "b"}},
      {{"", "b", ""}, {"X", "b", ""}},
  };
  for (const auto& c : cases) {
    // Named references, not a structured binding: clang 14 cannot capture a binding in the lambda.
    const TLines& stored = c.first;
    const TLines& saved = c.second;
    SetUp();
    Kiv.SetNotes(stored);
    Kiv.SetModified(false);
    ASSERT_EQ(Kiv.GetNotes(), stored);
    TFileInfoDlg dlg;
    OnDialog([&](TFileInfoDlg& d) {
      EXPECT_EQ(d.NotesMemo()->blockCount(), int(stored.size()));
      ClickInto(d.NotesMemo()->viewport(), d.NotesMemo());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
      QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("X"));
      ClickOk(d);
    });
    EXPECT_TRUE(dlg.Execute(Kiv));
    EXPECT_TRUE(Kiv.Modified());
    EXPECT_EQ(Kiv.GetNotes(), saved);
  }
}
