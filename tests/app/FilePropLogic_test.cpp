#include "app/logic/FilePropLogic.h"

#include <gtest/gtest.h>

#include "app/document/Kivbase.h"
#include "platform/Codepage.h"

TEST(FileProps, FillsFromTheDocument)
{
  TKiv kiv;
  kiv.SetIdent("K3C1234567");
  kiv.SetStationInfo("Stacja Łódź"_cp);
  kiv.SetVerMajor(3);
  kiv.SetVerMinor(12);
  kiv.SetNotes({"pierwsza", "", "trzecia"});
  TDateTime d = 0;
  ASSERT_TRUE(TryEncodeDate(2024, 3, 5, d));
  kiv.SetCreateDate(d + 0.5);
  const TFileInfoView v = FileInfoFromDocument(kiv);
  EXPECT_EQ(v.DateCreate, "2024-03-05");
  EXPECT_EQ(v.VersionText, "Wersja programu: 3.12");
  EXPECT_EQ(v.KivVersionText, "Wersja automatu: " + kiv.GetIdentName());
  EXPECT_EQ(v.StationInfo, std::string("Stacja Łódź"_cp));
  EXPECT_EQ(v.Notes, (std::vector<std::string>{"pierwsza", "", "trzecia"}));
}

TEST(FileProps, ModelAndPowerBackupTexts)
{
  // The identification name is the identification cut in halves joined by '_'.
  struct TCase {
    const char* Ident;
    const char* Type;
    const char* Backup;
  } cases[] = {
      {"K3", "?", "?"},  // "K_3": three characters
      {"K3XC5678", "KIVS-3", "kondensatorowe"},
      {"K2Xc5678", "KIVS-2", "kondensatorowe"},
      {"K2XB5678", "KIVS-2", "bateryjne"},
      {"K9XB5678", "?", "bateryjne"},
  };
  for (const TCase& c : cases) {
    TKiv kiv;
    kiv.SetIdent(c.Ident);
    const TFileInfoView v = FileInfoFromDocument(kiv);
    EXPECT_EQ(v.BackupText, c.Backup) << c.Ident;
    EXPECT_EQ(v.KivType, c.Type) << c.Ident;
  }
  TKiv empty;
  EXPECT_EQ(FileInfoFromDocument(empty).BackupText, "?");
  EXPECT_EQ(PowerBackupText("abc"), "?");
  EXPECT_EQ(PowerBackupText("abcC"), "kondensatorowe");
  EXPECT_EQ(PowerBackupText("abcd"), "bateryjne");
}

TEST(FileProps, NoChangeLeavesTheDocumentUnmodified)
{
  TKiv kiv;
  kiv.SetStationInfo("S1");
  kiv.SetNotes({"a", "b"});
  kiv.SetModified(false);
  EXPECT_FALSE(ApplyFileInfo(kiv, {}));
  EXPECT_FALSE(kiv.Modified());
  // A station text edited back to the stored one is no change.
  EXPECT_FALSE(ApplyFileInfo(kiv, {std::nullopt, "S1"}));
  EXPECT_FALSE(kiv.Modified());
  // A station text longer than its field equals the stored text once cut.
  kiv.SetStationInfo(std::string(99, 'x'));
  kiv.SetModified(false);
  EXPECT_FALSE(ApplyFileInfo(kiv, {std::nullopt, std::string(120, 'x')}));
  EXPECT_FALSE(kiv.Modified());
}

TEST(FileProps, StationAndNotesChanges)
{
  TKiv kiv;
  kiv.SetNotes({"line one is long", "line two", "line three"});
  kiv.SetModified(false);
  EXPECT_TRUE(ApplyFileInfo(kiv, {std::nullopt, "Nowa"}));
  EXPECT_TRUE(kiv.Modified());
  EXPECT_EQ(kiv.GetStationInfo(), "Nowa");
  EXPECT_EQ(kiv.GetNotes(), (std::vector<std::string>{"line one is long", "line two", "line three"}));

  kiv.SetModified(false);
  EXPECT_TRUE(ApplyFileInfo(kiv, {std::vector<std::string>{"short"}, std::nullopt}));
  EXPECT_TRUE(kiv.Modified());
  EXPECT_EQ(kiv.GetNotes(), std::vector<std::string>{"short"});
  EXPECT_EQ(kiv.GetStationInfo(), "Nowa");
  // Nothing of the old, longer lines is left in the area.
  const uint8_t* notes = kiv.GetNotesBuf();
  for (size_t i = 6; i < KivImage::NOTES_SIZE; ++i)
    ASSERT_EQ(notes[i], 0) << i;
}

TEST(FileProps, NotesFromTheMemoKeepEveryLine)
{
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {}},           {"a", {"a"}},
      {"a\n", {"a", ""}}, {"Xa\n\n", {"Xa", "", ""}},
      {"\n", {"", ""}},   {"a\n\nb", {"a", "", "b"}},
  };
  for (const auto& [text, lines] : cases)
    EXPECT_EQ(NotesFromMemoText(text), lines) << text;
}
