#include "app/ui/Fileprop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "app/Kivbase.h"
#include "platform/Codepage.h"
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
        {QDialog::Rejected, "inna", "skrócone", false,
         {"pierwsza linia", "druga", "trzecia linia notatek"}},
        {QDialog::Accepted, "Rozdzielnia Żółw", "skrócone", true, {"skr\xF3" "cone"}},
        {QDialog::Accepted, "Nowa stacja ☃", nullptr, true,
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
